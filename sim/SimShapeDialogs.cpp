// The display-shaping dialogs of a set: RESIDUALS (9001), SIM SCALAR/OFFSET/SLOPE
// (1201), SIM AMP/FREQ/PHASE/DAMPING/CHIRP (1203) and CHEBYSHEV & POWER NORM PRMS
// (1280). The last three share one trackbar mechanism: every parameter has a range
// (low, high) kept per set, rebuilt around its value from a range width w when the
// dialog's range-set flag is clear, either as value / 2^w to value x 2^w (factor
// parameters) or as value - w to value + w (additive ones).
#include <cmath>
#include <utility>

#include "sim/SimFileDialogs.h"
#include "core/FileIo.h"
#include "core/Repaint.h"
#include "core/TypedArrays.h"
#include "display/ChildWindows.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Win.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"

using namespace simdlg;

namespace {

enum ShapePrm : int { SP_SCALAR, SP_SLOPE, SP_OFFSET, SP_AMP, SP_PERIOD, SP_PEREND, SP_PHASE, SP_DAMP, SP_CHIRP, SP_RATE, SP_DELAY };
enum ShapeDlg : int { SD_SCALE, SD_SINE, SD_CHEB };

struct Prm {
  ShapePrm prm;
  bool factor;
  int value, high, low, track, x2, half;
};

constexpr Prm kScalePrms[] = {{SP_SCALAR, true, 1210, 1204, 1207, 40, 1213, 1214},
                              {SP_SLOPE, false, 1211, 1205, 1208, 41, 1215, 1216},
                              {SP_OFFSET, false, 1212, 1206, 1209, 42, 1217, 1218}};
constexpr Prm kSinePrms[] = {{SP_AMP, true, 1232, 1220, 1226, 40, 1238, 1239},
                             {SP_PERIOD, true, 1233, 1221, 1227, 41, 1240, 1241},
                             {SP_PEREND, true, 1234, 1222, 1228, 42, 1242, 1243},
                             {SP_PHASE, false, 1235, 1223, 1229, 43, 1244, 1245},
                             {SP_DAMP, false, 1236, 1224, 1230, 44, 1246, 1247},
                             {SP_CHIRP, false, 1237, 1225, 1231, 45, 1248, 1249}};
constexpr Prm kChebPrms[] = {{SP_RATE, false, 1293, 1289, 1291, 43, 1285, 1286},
                             {SP_DELAY, false, 1294, 1290, 1292, 44, 1287, 1288}};

struct Table {
  const Prm* prms;
  int count;
};

Table TableOf(ShapeDlg dlg) {
  if (dlg == SD_SCALE) return {kScalePrms, 3};
  if (dlg == SD_SINE) return {kSinePrms, 6};
  return {kChebPrms, 2};
}

// The field a parameter edits (amplitude, period and phase of the selected term).
double& Value(int16_t s, ShapePrm p) {
  const int term = Sim.Sine_Term[s] == 1 ? 1 : 0;
  switch (p) {
    case SP_SCALAR: return Sim.Dsp_Scalar[s];
    case SP_SLOPE: return Sim.Dsp_Slope[s];
    case SP_OFFSET: return Sim.Dsp_Offset[s];
    case SP_AMP: return Sim.Sine_Amp[s][term];
    case SP_PERIOD: return Sim.Sine_Period[s][term];
    case SP_PEREND: return Sim.Sine_PerEnd[s];
    case SP_PHASE: return Sim.Sine_Phase[s][term];
    case SP_DAMP: return Sim.Sine_Damping[s];
    case SP_CHIRP: return Sim.Sine_ChirpT[s];
    case SP_RATE: return Sim.TD_Rate[s];
    default: return Sim.TD_Delay[s];
  }
}

double& Lo(int16_t s, ShapePrm p) { return Sim.Shape_Lo[s][p]; }
double& Hi(int16_t s, ShapePrm p) { return Sim.Shape_Hi[s][p]; }
double& W(int16_t s, ShapePrm p) { return Sim.Shape_W[s][p]; }

void Rebuild(int16_t s, const Prm& p) {
  const double v = Value(s, p.prm);
  if (p.factor) {
    const double spread = std::pow(2.0, W(s, p.prm));
    Hi(s, p.prm) = v * spread;
    Lo(s, p.prm) = v / spread;
  } else {
    Hi(s, p.prm) = v + W(s, p.prm);
    Lo(s, p.prm) = v - W(s, p.prm);
  }
}

void Widen(int16_t s, ShapePrm p) {
  const double v = Value(s, p);
  if (v > Hi(s, p)) Hi(s, p) = v;
  if (v < Lo(s, p)) Lo(s, p) = v;
}

void TinyToZero(int16_t s, ShapePrm p) {
  if (std::fabs(Lo(s, p)) < 1e-15) Lo(s, p) = 0.0;
  if (std::fabs(Hi(s, p)) < 1e-15) Hi(s, p) = 0.0;
}

bool Moderate(double v, double limit) { return std::fabs(v) > 0.01 && std::fabs(v) < limit; }

// Step 1 of the mechanism for each dialog: the ranges made valid around the values.
void PrepareRanges(ShapeDlg dlg, int16_t s) {
  uint32_t& valid = Sim.Shape_Valid[s][dlg];
  const Table t = TableOf(dlg);
  if (dlg == SD_SCALE) {
    if (Sim.Dsp_Scalar[s] == 0.0) Sim.Dsp_Scalar[s] = 1.0;
    TinyToZero(s, SP_SLOPE);
    TinyToZero(s, SP_OFFSET);
    if (Lo(s, SP_SLOPE) == Hi(s, SP_SLOPE) || Lo(s, SP_OFFSET) == Hi(s, SP_OFFSET)) valid = 0;
  } else if (dlg == SD_SINE) {
    for (int i = 0; i < t.count; ++i)
      if (W(s, t.prms[i].prm) == 0.0) W(s, t.prms[i].prm) = 1.0;
    TinyToZero(s, SP_PHASE);
    if (Lo(s, SP_PHASE) == Hi(s, SP_PHASE) || Lo(s, SP_DAMP) == Hi(s, SP_DAMP)) valid = 0;
  }
  if (valid == 0) {
    valid = 1;
    for (int i = 0; i < t.count; ++i) Rebuild(s, t.prms[i]);
    if (dlg == SD_SINE && Value(s, SP_PEREND) * std::pow(2.0, W(s, SP_PEREND)) == 0.0)
      Hi(s, SP_PEREND) = Hi(s, SP_PERIOD);
  }
  if (dlg == SD_SINE) {
    if (Lo(s, SP_DAMP) < 0.0) Lo(s, SP_DAMP) = 0.0;
    if (Lo(s, SP_CHIRP) < 0.0) Lo(s, SP_CHIRP) = 0.0;
  }
  for (int i = 0; i < t.count; ++i) {
    const ShapePrm p = t.prms[i].prm;
    if (dlg != SD_CHEB && Hi(s, p) < Lo(s, p)) std::swap(Hi(s, p), Lo(s, p));
    if (!(dlg == SD_SINE && p == SP_CHIRP)) Widen(s, p);
  }
}

void ShowPrm(HWND d, ShapeDlg dlg, int16_t s, const Prm& p) {
  const double v = Value(s, p.prm);
  const double lo = Lo(s, p.prm);
  const double hi = Hi(s, p.prm);
  const char* fh;
  const char* fv;
  if (dlg == SD_SCALE) {
    fh = fv = Moderate(v, 100.0) ? "%.6lf" : "%.4le";
  } else {
    const double limit = dlg == SD_SINE ? 100.0 : 1e6;
    const bool moderate = Moderate(hi, limit) && Moderate(lo, limit);
    fh = moderate ? "%.5lf" : "%.3le";
    fv = moderate ? "%.6lf" : (dlg == SD_SINE ? "%.6le" : "%.4le");
  }
  SetText(d, p.high, StrPrintf(fh, hi));
  SetText(d, p.low, StrPrintf(fh, lo));
  SetText(d, p.value, StrPrintf(fv, v));
  for (int id : {p.high, p.low, p.value}) ClearModified(d, id);
  SetTrackbar(d, p.track, v, lo, hi);
}

void ShowPrms(HWND d, ShapeDlg dlg, int16_t s) {
  const Table t = TableOf(dlg);
  for (int i = 0; i < t.count; ++i) ShowPrm(d, dlg, s, t.prms[i]);
  SetText(d, IDC_SC_ITC, StrPrintf("%.9le", Sim.Dsp_Intercept[s]));
  ClearModified(d, IDC_SC_ITC);
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
}

// A new scalar: unless the offset is fixed, scalar x offset stays as it was.
void SetScalar(int16_t s, double scalar) {
  const double old = Sim.Dsp_Scalar[s];
  if (Sim.Ofs_Fix[s] == 0 && scalar != 0.0) Sim.Dsp_Offset[s] = Sim.Dsp_Offset[s] * old / scalar;
  Sim.Dsp_Scalar[s] = scalar;
}

void SetValue(int16_t s, ShapePrm p, double v) {
  if (p == SP_SCALAR)
    SetScalar(s, v);
  else
    Value(s, p) = v;
}

const char* TrackTag(ShapeDlg dlg) { return dlg == SD_SCALE ? "CB2_76P" : "CB2_78P"; }

void Track(HWND d, ShapeDlg dlg, int16_t s, WPARAM wParam, LPARAM lParam) {
  const WORD code = LOWORD(wParam);
  if (code > TB_THUMBTRACK) return;
  const HWND bar = reinterpret_cast<HWND>(lParam);
  const int id = GetDlgCtrlID(bar);
  const Table t = TableOf(dlg);
  for (int i = 0; i < t.count; ++i) {
    const Prm& p = t.prms[i];
    if (p.track != id) continue;
    const int32_t pos = static_cast<int32_t>(SendMessage(bar, TBM_GETPOS, 0, 0));
    const double lo = Lo(s, p.prm);
    const double hi = Hi(s, p.prm);
    SetValue(s, p.prm, TrackbarValue(pos, lo, hi));
    SetText(d, p.value, StrPrintf(Moderate(hi, 100.0) && Moderate(lo, 100.0) ? "%.5lf" : "%.3le", Value(s, p.prm)));
    ClearModified(d, p.value);
    if (dlg == SD_SINE && Sim.Sine_FFT == 1) {
      HWND child = Win.hWnd_Child[9][0];
      if (child && IsWindow(child)) RepaintWindow("CB2_78P", child, TRUE);
    }
    Repaint(TrackTag(dlg));
    return;
  }
}

// x2, /2, CENTER and the three edits of each parameter; true when handled.
bool PrmCommand(HWND d, ShapeDlg dlg, int16_t s, int id, WORD code) {
  uint32_t& valid = Sim.Shape_Valid[s][dlg];
  if (id == 1353) {
    valid = 0;
    Refresh(d);
    return true;
  }
  const Table t = TableOf(dlg);
  for (int i = 0; i < t.count; ++i) {
    const Prm& p = t.prms[i];
    if (id == p.x2 || id == p.half) {
      const double w = id == p.x2 ? W(s, p.prm) * 2.0 : W(s, p.prm) * 0.5;
      W(s, p.prm) = static_cast<float>(w);
      valid = 0;
      Refresh(d);
      return true;
    }
    if (id != p.value && id != p.high && id != p.low) continue;
    if (code != EN_KILLFOCUS || !TakeModified(d, id)) return true;
    double v = 0.0;
    if (!ReadDouble(d, id, &v)) return true;
    if (id == p.value) {
      SetValue(s, p.prm, v);
      valid = 0;
      if (dlg == SD_SINE) {
        Repaint("CB2_77P");
        return true;
      }
      Refresh(d);
      Repaint(TrackTag(dlg));
    } else {
      (id == p.high ? Hi(s, p.prm) : Lo(s, p.prm)) = v;
      Refresh(d);
    }
    return true;
  }
  return false;
}

bool Intercept(HWND d, int16_t s, int id, WORD code) {
  if (id != IDC_SC_ITC) return false;
  if (code == EN_KILLFOCUS && TakeModified(d, id) && ReadDouble(d, id, &Sim.Dsp_Intercept[s])) Repaint("CB2_73P");
  return true;
}

// ---- 1201 ------------------------------------------------------------------------------

void ScaleRefresh(HWND d, int16_t s) {
  PrepareRanges(SD_SCALE, s);
  SetText(d, IDC_SC_LABEL, Sim.Set_Lbl[s]);
  FillChannelList(d, IDC_SC_CHN, Sim.Dsp_Cnl[s]);
  Check(d, 1350, Sim.Ofs_Fix[s] == 1);
  ShowPrms(d, SD_SCALE, s);
  if (Sim.HT_Global_Stat[s] == 1 && Sim.HT_ScalarNote[s] == 0) {
    Sim.HT_ScalarNote[s] = 1;
    Box("HITRAN SIMULATION\n\nSCALAR MUST BE UNITY SCALAR TO READ OFF ABSORBANCE VALUES\n\nBEST TO SCALE USING EXP CHN & EXP SCALAR TRACKBAR",
        "Info", kInfoBox);
  }
}

void ScaleCommand(HWND d, int16_t s, int id, WORD code) {
  if (PrmCommand(d, SD_SCALE, s, id, code) || Intercept(d, s, id, code)) return;
  if (id == 1350) {
    Sim.Ofs_Fix[s] = Checked(d, id) ? 1 : 0;
  } else if (id == IDC_SC_CHN && code == LBN_SELCHANGE) {
    const LRESULT top = SendDlgItemMessage(d, id, LB_GETTOPINDEX, 0, 0);
    if (top >= 0 && top <= 9) Sim.Dsp_Cnl[s] = static_cast<int16_t>(top);
    RefreshControl();
    Refresh(d);
  }
}

// ---- 1203 ------------------------------------------------------------------------------

// First opening for a set, or a selected term without a period: starting values from
// the view step and the length of the set's channel. A sine the set has already (read
// from the working file, which opens this dialog for a set whose sine is on) keeps its
// period, period end and damping; only the ranges and CHIRP T start anew.
void SineDefaults(int16_t s) {
  const int term = Sim.Sine_Term[s] == 1 ? 1 : 0;
  const bool noPeriod = Sim.Sine_Period[s][term] == 0.0;
  if (Sim.Sine_Opened[s] == 1 && !noPeriod) return;
  Sim.Sine_Opened[s] = 1;
  const double step = Dsp.FrqStpView[3];
  if (noPeriod) {
    Sim.Sine_Period[s][term] = step != 0.0 ? 1.0 / (100.0 * step) : 1.0;
    Sim.Sine_PerEnd[s] = 0.0;
    Sim.Sine_Damping[s] = 0.0;
  }
  const double ns = static_cast<double>(Dsp.FL_SZ[3][s]) * step;
  W(s, SP_DAMP) = ns != 0.0 ? 2.5 / ns : 0.5;
  Sim.Sine_ChirpT[s] = 0.0;
  W(s, SP_CHIRP) = ns / 2.0;
  Sim.Shape_Valid[s][SD_SINE] = 0;
  PrepareRanges(SD_SINE, s);
  Hi(s, SP_DAMP) = 2.0 * W(s, SP_DAMP);
  Hi(s, SP_CHIRP) = 2.0 * W(s, SP_CHIRP);
}

void SineRefresh(HWND d, int16_t s) {
  SineDefaults(s);
  PrepareRanges(SD_SINE, s);
  Check(d, 1250, Sim.Sine_Ofs[s] == 1);
  Check(d, 1252, Sim.Sine_Rel[s] == 1);
  Check(d, 1251, Sim.Sine_FFT == 1);
  SendDlgItemMessage(d, 1255, LB_RESETCONTENT, 0, 0);
  for (const char* row : {"0", "1"}) SendDlgItemMessage(d, 1255, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
  const int term = Sim.Sine_Term[s] == 1 ? 1 : 0;
  SendDlgItemMessage(d, 1255, LB_SETCURSEL, static_cast<WPARAM>(term), 0);
  SendDlgItemMessage(d, 1255, LB_SETTOPINDEX, static_cast<WPARAM>(term), 0);
  ShowPrms(d, SD_SINE, s);
}

void SineCommand(HWND d, int16_t s, int id, WORD code) {
  if (PrmCommand(d, SD_SINE, s, id, code)) return;
  switch (id) {
    case 1250:
      Sim.Sine_Ofs[s] = Checked(d, id) ? 1 : 0;
      break;
    case 1252:
      Sim.Sine_Rel[s] = Checked(d, id) ? 1 : 0;
      Refresh(d);
      break;
    case 1251: {
      if (code != BN_CLICKED) break;
      const bool on = Checked(d, id);
      Sim.Sine_FFT = ChildWindowOpenClose(on ? 1 : 0, 9, 0) == 1 ? 1 : 0;
      if (on && Sim.Sine_FFT == 0) {
        Check(d, id, false);
        break;
      }
      HWND child = Win.hWnd_Child[9][0];
      if (child && IsWindow(child)) RepaintWindow("CB_15C", child, TRUE);
      Repaint("CB2_78P");
      break;
    }
    case 1255: {
      if (code != LBN_SELCHANGE) break;
      const LRESULT top = SendDlgItemMessage(d, id, LB_GETTOPINDEX, 0, 0);
      const LRESULT sel = SendDlgItemMessage(d, id, LB_GETCURSEL, 0, 0);
      const LRESULT row = sel >= 0 ? sel : top;
      if (row != 0 && row != 1) break;
      if (row == Sim.Sine_Term[s]) {
        std::swap(Sim.Sine_Amp[s][0], Sim.Sine_Amp[s][1]);
        std::swap(Sim.Sine_Period[s][0], Sim.Sine_Period[s][1]);
        std::swap(Sim.Sine_Phase[s][0], Sim.Sine_Phase[s][1]);
      }
      Sim.Sine_Term[s] = static_cast<int16_t>(row);
      Refresh(d);
      Repaint("CB2_78P");
      break;
    }
    default:
      break;
  }
}

// ---- 1280 ------------------------------------------------------------------------------

void ChebRefresh(HWND d, int16_t s) {
  Sim.Cur_Set = s;
  PrepareRanges(SD_CHEB, s);
  FillChannelList(d, IDC_SC_CHN, Sim.Dsp_Cnl[s]);
  if (Sim.Cheb_Order[s] < 1) Sim.Cheb_Order[s] = 1;
  if (Sim.Cheb_Sections[s] < 1) Sim.Cheb_Sections[s] = 1;
  Check(d, 1281, Sim.Cheb_Dsp[s] == 1);
  SetText(d, 1282, StrPrintf("%ld", static_cast<long>(Sim.Cheb_Order[s])));
  SetText(d, 1283, StrPrintf("%ld", static_cast<long>(Sim.Cheb_Sections[s])));
  Check(d, 1295, Sim.PowNrm_Stat[s] == 1);
  // One power-normalisation file serves every set: its name is the first row.
  SetText(d, 1296, Sim.Norm_Flnm[0]);
  SetText(d, 1297, StrPrintf("%lf", Sim.PowNrm_Ref));
  for (int id : {1282, 1283, 1296, 1297}) ClearModified(d, id);
  ShowPrms(d, SD_CHEB, s);
}

void ChebCommand(HWND d, int16_t s, int id, WORD code) {
  if (PrmCommand(d, SD_CHEB, s, id, code) || Intercept(d, s, id, code)) return;
  const bool edited = code == EN_KILLFOCUS && TakeModified(d, id);
  int32_t n = 0;
  switch (id) {
    case 1281:
      Box("OPTION NOT YET FUNCTIONAL - SORRY", "Warning", kWarningBox);
      if (Sim.Cheb_Coef[s]) DFree2Dim(&Sim.Cheb_Coef[s], Sim.Cheb_Sections[s]);
      Sim.Cheb_Valid[s] = 0;
      Sim.Cheb_Dsp[s] = 0;
      Check(d, id, false);
      core_io::StatusText(3, "CHEBYSHEV FUNCTION UNDEFINED");
      Repaint("CB2_78P");
      break;
    case 1282:
      if (edited && ReadInt(d, id, &n)) Sim.Cheb_Order[s] = n;
      break;
    case 1283:
      if (edited && ReadInt(d, id, &n)) Sim.Cheb_Sections[s] = n;
      break;
    case 1295:
      Sim.PowNrm_Stat[s] = Checked(d, id) ? 1 : 0;
      Repaint("CB2_78P");
      break;
    case 1296:
      if (edited) {
        StrCopy(Sim.Norm_Flnm[0], GetText(d, id).c_str());
        Repaint("CB2_78P");
      }
      break;
    case 1297:
      if (edited && ReadDouble(d, id, &Sim.PowNrm_Ref)) Repaint("CB2_78P");
      break;
    default:
      break;
  }
}

// ---- 9001 ------------------------------------------------------------------------------

void ResidualRefresh(HWND d, int16_t s) {
  SetText(d, 9016, StrPrintf("%.6lf", Sim.Res_Scalar[s]));
  SetText(d, 9017, StrPrintf("%.6lf", Sim.Res_Offset[s]));
  SetText(d, 3502, StrPrintf("%ld", static_cast<long>(Win.Pt_Lim[0][0])));
  SetText(d, 3503, StrPrintf("%ld", static_cast<long>(Win.Pt_Lim[0][1])));
  const bool lim = Cnv.Lim_Stat[0] == 1;
  Check(d, 2341, lim);
  SendDlgItemMessage(d, 3502, EM_SETREADONLY, lim ? FALSE : TRUE, 0);
  SendDlgItemMessage(d, 3503, EM_SETREADONLY, lim ? FALSE : TRUE, 0);
  Check(d, 9010, Sim.Res_1st[s] == 1);
  Check(d, 9012, Sim.Res_Ave[s] == 1);
  Check(d, 9011, Sim.Res_2nd[s] == 1);
  Check(d, 9013, Sim.Res_Rms[s] == 1);
  SetText(d, 9014, StrPrintf("%.8le", Sim.Res_AveVal[s]));
  SetText(d, 9015, StrPrintf("%.8le", Sim.Res_RmsVal[s]));
  SendDlgItemMessage(d, 9014, EM_SETREADONLY, TRUE, 0);
  SendDlgItemMessage(d, 9015, EM_SETREADONLY, TRUE, 0);
  for (int id : {9016, 9017, 3502, 3503}) ClearModified(d, id);
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
}

void ResidualCommand(HWND d, int16_t s, int id, WORD code) {
  int32_t v = 0;
  int32_t& lo = Win.Pt_Lim[0][0];
  int32_t& hi = Win.Pt_Lim[0][1];
  switch (id) {
    case 9016:
    case 9017:
      if (code != EN_KILLFOCUS || !TakeModified(d, id)) break;
      ReadDouble(d, 9016, &Sim.Res_Scalar[s]);
      ReadDouble(d, 9017, &Sim.Res_Offset[s]);
      Refresh(d);
      break;
    case 3502:
      if (code != EN_KILLFOCUS || !ReadInt(d, id, &v)) break;
      lo = v;
      if (lo > hi)
        hi = lo;
      else if (lo == hi)
        lo = hi = 0;
      break;
    case 3503:
      if (code != EN_KILLFOCUS || !ReadInt(d, id, &v)) break;
      hi = v;
      if (hi < lo)
        lo = hi;
      else if (lo == hi)
        lo = hi = 0;
      break;
    case 2341:
      Cnv.Lim_Stat[0] = Checked(d, id) ? 1 : 0;
      SendDlgItemMessage(d, 3502, EM_SETREADONLY, Cnv.Lim_Stat[0] ? FALSE : TRUE, 0);
      SendDlgItemMessage(d, 3503, EM_SETREADONLY, Cnv.Lim_Stat[0] ? FALSE : TRUE, 0);
      Repaint("CB2_72P");
      break;
    case 9010:
    case 9011:
    case 9012:
    case 9013: {
      uint32_t* flag[] = {&Sim.Res_1st[s], &Sim.Res_2nd[s], &Sim.Res_Ave[s], &Sim.Res_Rms[s]};
      *flag[id - 9010] = Checked(d, id) ? 1 : 0;
      Repaint("CB2_72P");
      break;
    }
    case 9018:
      // The next paint writes the residual, to a file the user chose.
      if (SimFileSaveDialog(Win.hWnd_Main, 0, s) != 1) break;
      Sim.Res_Written[s] = 1;
      Repaint("CB2_71P");
      break;
    default:
      break;
  }
}

// The parts every procedure here shares: its set, the colour caption and closing.
INT_PTR ShapeProc(SimDlgKind kind, HWND d, UINT msg, WPARAM wParam, LPARAM lParam,
                  void (*refresh)(HWND, int16_t), void (*command)(HWND, int16_t, int, WORD), int dlg) {
  const int16_t s = SimDlgSetOf(kind, d);
  if (s < 0) return 0;
  switch (msg) {
    case WM_INITDIALOG:
      refresh(d, s);
      return 1;
    case WM_CTLCOLORSTATIC:
      return CaptionBrush(s, lParam, 60);
    case WM_VSCROLL: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (kind == SIM_DLG_SCALEOFS && id == IDC_SC_COLOR) {
        const WORD code = LOWORD(wParam);
        if (code == SB_LINEDOWN && Sim.COLOR_NO[s] < 10) {
          ++Sim.COLOR_NO[s];
          SimModelessDialogRecolor(0, s);
          Repaint("CB2_75P");
        } else if (code == SB_LINEUP && Sim.COLOR_NO[s] > 0) {
          --Sim.COLOR_NO[s];
          SimModelessDialogRecolor(0, s);
          Repaint("CB2_74P");
        }
        return 1;
      }
      if (dlg >= 0) Track(d, static_cast<ShapeDlg>(dlg), s, wParam, lParam);
      return 1;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDCANCEL) {
        CloseThroughCreator(kind, s);
        return 1;
      }
      command(d, s, id, HIWORD(wParam));
      return 1;
    }
    default:
      return 0;
  }
}

}  // namespace

INT_PTR ResidualDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ShapeProc(SIM_DLG_RESIDUAL, hwnd, msg, wParam, lParam, ResidualRefresh, ResidualCommand, -1);
}

INT_PTR SimScaleOffsetDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ShapeProc(SIM_DLG_SCALEOFS, hwnd, msg, wParam, lParam, ScaleRefresh, ScaleCommand, SD_SCALE);
}

INT_PTR SimSineDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ShapeProc(SIM_DLG_SINE, hwnd, msg, wParam, lParam, SineRefresh, SineCommand, SD_SINE);
}

INT_PTR SimChebyshevDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ShapeProc(SIM_DLG_CHEB, hwnd, msg, wParam, lParam, ChebRefresh, ChebCommand, SD_CHEB);
}
