#include "convert/CalNormLinDialog.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "display/AnalysisOptions.h"
#include "convert/DialogFields.h"
#include "convert/FileConversionDialog.h"
#include "convert/calib/JumpPoints.h"
#include "convert/calib/MarkerWriters.h"
#include "convert/calib/PeakFind.h"
#include "core/FileIo.h"
#include "core/Repaint.h"
#include "core/TypedArrays.h"
#include "core/FrqAxis.h"
#include "display/ChildWindows.h"
#include "display/ViewFiles.h"
#include "filelib/FileManip.h"
#include "filelib/Markers.h"
#include "fileproc/FileOps.h"
#include "fileproc/NoiseStats.h"
#include "fit/LineFit.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

constexpr int kSlot = 0;

using dialog_fields::ReadDouble;
using dialog_fields::ReadFloat;
using dialog_fields::ReadLong;
using dialog_fields::ReadName;
using dialog_fields::ReadOnly;
using dialog_fields::Show;

void Check(HWND d, int id, bool on) { CheckDlgButton(d, id, on ? BST_CHECKED : BST_UNCHECKED); }
bool Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }
void ReadBox(HWND d, int id, uint32_t* field) { *field = Checked(d, id) ? 1u : 0u; }

// Size of a file in 4-byte values, 0 when it is missing.
int64_t Values(const char* name) {
  int64_t bytes = 0;
  return FileSizeGet(name, &bytes) == 1 ? bytes / 4 : 0;
}
void ShowSize(HWND d, int id, const char* name) {
  Show(d, id, StrPrintf("%lld", static_cast<long long>(Values(name))));
  ReadOnly(d, id, true);
}

bool TimeWindowOpen() { return Win.Child_Created[0][0] == 1 && Win.hWnd_Child[0][0]; }
void ReloadTimeWindow(const char* tag) {
  Cnl.Data_Pend[0][0] = 1;
  if (TimeWindowOpen()) RepaintWindow(tag, Win.hWnd_Child[0][0], TRUE);
}

// ---- refresh ------------------------------------------------------------------------------

void Refresh(HWND d) {
  Show(d, IDC_CNL_RAMPNAME, Cnl.RampFlnm);
  ShowSize(d, IDC_CNL_RAMPSIZE, Cnl.RampFlnm);
  Check(d, IDC_CNL_INV, Cnl.Inv == 1);
  Show(d, IDC_CNL_PTSAVE, StrPrintf("%d", Cnl.PtsAve));
  Show(d, IDC_CNL_CUTSCALAR, StrPrintf("%lf", Cnl.CutScalar));
  if (Cnl.ScaleDiff == 1) Cnl.FloatMin = 0;
  Check(d, IDC_CNL_FLOATMIN, Cnl.FloatMin == 1);
  Check(d, IDC_CNL_SCALEDIFF, Cnl.ScaleDiff == 1);
  Show(d, IDC_CNL_MKSPTSFSR, StrPrintf("%d", Cnl.Mks_AveDif));
  Show(d, IDC_CNL_RMSLIN, StrPrintf("%lf", Cnl.Mks_RmsLin));
  Check(d, IDC_CNL_TTL, Cnl.TtlStat == 1);
  Show(d, IDC_CNL_STPDIF, StrPrintf("%lf", Cnl.StpDif));
  Show(d, IDC_CNL_INTVPTS, StrPrintf("%d", Cnl.IntvPts));
  Show(d, IDC_CNL_STPPTSFSR, StrPrintf("%d", Cnl.PtsFsr));
  Check(d, IDC_CNL_DSP, Cnl.Asc_Stat[0][0] == 1);
  Check(d, IDC_CNL_ALLAN, Cnl.Allan_Stat == 1);
  Check(d, IDC_CNL_LOGLOG, Cnl.LogLog_Stat == 1);
  Show(d, IDC_CNL_MKSNAME, Cnl.Mks_Flnm);
  SendDlgItemMessage(d, IDC_CNL_MKSNAME, EM_SETMODIFY, FALSE, 0);
  Show(d, IDC_CNL_XSCALAR, StrPrintf("%lf", Cnl.X_Div));
  if (Cnl.X_Div == 0.0) Cnl.X_Div = 1.0;
  Show(d, IDC_CNL_POINTS, StrPrintf("%u", Cnl.Pt_Cnt[0][0]));
  for (int id : {IDC_CNL_POINTS, IDC_CNL_MKSPTSFSR, IDC_CNL_RMSLIN}) ReadOnly(d, id, true);

  const int16_t active = Win.Active_Chn;
  if (active >= 0 && active < 9 && Cnl.NrmVm == 0.0f) {
    Cnl.NrmVm = static_cast<float>(Win.Chn_AveValue[active]);
    Cnl.NrmVp = static_cast<float>(Win.Chn_Ave1[active]);
  }
  Show(d, IDC_CNL_NRMIN, Cnl.NrmInFlnm);
  ShowSize(d, IDC_CNL_NRMINSIZE, Cnl.NrmInFlnm);
  Show(d, IDC_CNL_NRMOUT, Cnl.NrmOutFlnm);
  ShowSize(d, IDC_CNL_NRMOUTSIZE, Cnl.NrmOutFlnm);
  Show(d, IDC_CNL_NRMPOW, Cnl.NrmPowFlnm);
  ShowSize(d, IDC_CNL_NRMPOWSIZE, Cnl.NrmPowFlnm);
  Check(d, IDC_CNL_NRMINV, Cnl.NrmInvCut == 1);
  Show(d, IDC_CNL_VM, StrPrintf("%f", static_cast<double>(Cnl.NrmVm)));
  Show(d, IDC_CNL_VS, StrPrintf("%f", static_cast<double>(Cnl.NrmVs)));
  Show(d, IDC_CNL_VP, StrPrintf("%f", static_cast<double>(Cnl.NrmVp)));
  Show(d, IDC_CNL_VC, StrPrintf("%f", static_cast<double>(Cnl.NrmVc)));
  Check(d, IDC_CNL_RELATIVE, Cnl.NrmRelative == 1);
  Check(d, IDC_CNL_AC, Cnl.AcStat == 1);
  Show(d, IDC_CNL_FFTWIN, StrPrintf("%f", static_cast<double>(Cnv.FFT_SmoothWin)));
  Show(d, IDC_CNL_REJLVL, StrPrintf("%lf", Cnl.RejLvl));

  Show(d, IDC_CNL_SATNSIG, Cnl.Satn_SigFlnm);
  Show(d, IDC_CNL_SATNPOW, Cnl.Satn_PowFlnm);
  Show(d, IDC_CNL_SATNIN, Cnl.Satn_InFlnm);
  Show(d, IDC_CNL_SATNOUT, Cnl.Satn_OutFlnm);
  for (int k = 0; k < 3; ++k) {
    Show(d, IDC_CNL_SATNA + k, StrPrintf("%lf", Cnl.Satn_Prm[k]));
    Show(d, IDC_CNL_SATNUNC + k, StrPrintf("%lf", Cnl.Satn_Unc[k]));
    ReadOnly(d, IDC_CNL_SATNUNC + k, true);
    Show(d, IDC_CNL_SATNCORR + k, StrPrintf("%lf", Cnl.Satn_Corr[k]));
  }

  Show(d, IDC_CNL_LININ, Cnl.Lin_InFlnm);
  ShowSize(d, IDC_CNL_LININSIZE, Cnl.Lin_InFlnm);
  Show(d, IDC_CNL_LINOUT, Cnl.Lin_OutFlnm);
  ShowSize(d, IDC_CNL_LINOUTSIZE, Cnl.Lin_OutFlnm);
  Check(d, IDC_CNL_NEAR, Cnl.Mks_CursorStat == 1);
  Show(d, IDC_CNL_INIT, StrPrintf("%d", Cnl.Mks_Beg));
  Show(d, IDC_CNL_FINAL, StrPrintf("%d", Cnl.Mks_End));
  Show(d, IDC_CNL_FSR, StrPrintf("%.10le", Dsp.FSR));
  Show(d, IDC_CNL_PTSFSR, StrPrintf("%d", Dsp.Pts_FSR));
  if (Dsp.Pts_FSR == 0) Dsp.Pts_FSR = 1;
  Show(d, IDC_CNL_FRQSTP, StrPrintf("%.10lf", Dsp.Frq_Stp));

  Check(d, IDC_CNL_LIMSTAT, Cnv.Lim_Stat[kSlot] == 1);
  Show(d, IDC_CNL_LOWLIM, StrPrintf("%d", Win.Pt_Lim[kSlot][0]));
  Show(d, IDC_CNL_HIGHLIM, StrPrintf("%d", Win.Pt_Lim[kSlot][1]));
  ReadOnly(d, IDC_CNL_LOWLIM, Cnv.Lim_Stat[kSlot] != 1);
  ReadOnly(d, IDC_CNL_HIGHLIM, Cnv.Lim_Stat[kSlot] != 1);
}

// ---- store --------------------------------------------------------------------------------

void Store(HWND d, int id, WORD code) {
  uint32_t lim = 0;
  ReadBox(d, IDC_CNL_LIMSTAT, &lim);
  Cnv.Lim_Stat[kSlot] = static_cast<int32_t>(lim);
  ReadLong(d, IDC_CNL_LOWLIM, &Win.Pt_Lim[kSlot][0]);
  ReadLong(d, IDC_CNL_HIGHLIM, &Win.Pt_Lim[kSlot][1]);
  ReadName(d, IDC_CNL_RAMPNAME, Cnl.RampFlnm);
  ReadLong(d, IDC_CNL_PTSAVE, &Cnl.PtsAve);
  ReadDouble(d, IDC_CNL_CUTSCALAR, &Cnl.CutScalar);
  ReadBox(d, IDC_CNL_TTL, &Cnl.TtlStat);
  ReadBox(d, IDC_CNL_INV, &Cnl.Inv);
  ReadBox(d, IDC_CNL_SCALEDIFF, &Cnl.ScaleDiff);
  ReadBox(d, IDC_CNL_FLOATMIN, &Cnl.FloatMin);
  ReadDouble(d, IDC_CNL_STPDIF, &Cnl.StpDif);
  ReadLong(d, IDC_CNL_INTVPTS, &Cnl.IntvPts);
  ReadLong(d, IDC_CNL_STPPTSFSR, &Cnl.PtsFsr);
  ReadDouble(d, IDC_CNL_XSCALAR, &Cnl.X_Div);
  ReadBox(d, IDC_CNL_ALLAN, &Cnl.Allan_Stat);
  ReadBox(d, IDC_CNL_LOGLOG, &Cnl.LogLog_Stat);
  ReadName(d, IDC_CNL_NRMIN, Cnl.NrmInFlnm);
  ReadName(d, IDC_CNL_NRMOUT, Cnl.NrmOutFlnm);
  ReadName(d, IDC_CNL_NRMPOW, Cnl.NrmPowFlnm);
  ReadFloat(d, IDC_CNL_VM, &Cnl.NrmVm);
  ReadFloat(d, IDC_CNL_VS, &Cnl.NrmVs);
  ReadFloat(d, IDC_CNL_VP, &Cnl.NrmVp);
  ReadFloat(d, IDC_CNL_VC, &Cnl.NrmVc);
  ReadBox(d, IDC_CNL_RELATIVE, &Cnl.NrmRelative);
  ReadBox(d, IDC_CNL_NRMINV, &Cnl.NrmInvCut);
  ReadBox(d, IDC_CNL_AC, &Cnl.AcStat);
  ReadDouble(d, IDC_CNL_REJLVL, &Cnl.RejLvl);
  ReadFloat(d, IDC_CNL_FFTWIN, &Cnv.FFT_SmoothWin);
  ReadName(d, IDC_CNL_SATNSIG, Cnl.Satn_SigFlnm);
  ReadName(d, IDC_CNL_SATNPOW, Cnl.Satn_PowFlnm);
  for (int k = 0; k < 3; ++k) ReadDouble(d, IDC_CNL_SATNA + k, &Cnl.Satn_Prm[k]);
  ReadName(d, IDC_CNL_SATNIN, Cnl.Satn_InFlnm);
  ReadName(d, IDC_CNL_SATNOUT, Cnl.Satn_OutFlnm);
  for (int k = 0; k < 3; ++k) ReadDouble(d, IDC_CNL_SATNCORR + k, &Cnl.Satn_Corr[k]);
  ReadName(d, IDC_CNL_LININ, Cnl.Lin_InFlnm);
  ReadName(d, IDC_CNL_LINOUT, Cnl.Lin_OutFlnm);
  ReadBox(d, IDC_CNL_NEAR, &Cnl.Mks_CursorStat);
  ReadLong(d, IDC_CNL_INIT, &Cnl.Mks_Beg);
  ReadLong(d, IDC_CNL_FINAL, &Cnl.Mks_End);
  ReadDouble(d, IDC_CNL_FSR, &Dsp.FSR);
  ReadLong(d, IDC_CNL_PTSFSR, &Dsp.Pts_FSR);
  if (Dsp.Pts_FSR == 0) Dsp.Pts_FSR = 1;
  // The frequency axis: a typed step sets the FSR, otherwise the step follows the FSR.
  if (id == IDC_CNL_FRQSTP && code == EN_KILLFOCUS) {
    double step = Dsp.Frq_Stp;
    ReadDouble(d, IDC_CNL_FRQSTP, &step);
    DspFrqStpSet(step);
    Dsp.FSR = Dsp.Pts_FSR * Dsp.Frq_Stp;
  } else {
    DspFrqStpSet(Dsp.FSR / Dsp.Pts_FSR);
  }
  if (id == IDC_CNL_NEAR && Cnl.Mks_CursorStat == 0) {
    Cnl.Mks_Beg = 0;
    Cnl.Mks_End = static_cast<int32_t>(Cnl.Mks_Cnt);
  }
}

// ---- commands -----------------------------------------------------------------------------

// ASCII FLNM after an edit: a plain marker file's positions are read unless the time
// window shows something else.
void MarkerNameEdited(HWND d) {
  if (SendDlgItemMessage(d, IDC_CNL_MKSNAME, EM_GETMODIFY, 0, 0) == 0) return;
  SendDlgItemMessage(d, IDC_CNL_MKSNAME, EM_SETMODIFY, FALSE, 0);
  ReadName(d, IDC_CNL_MKSNAME, Cnl.Mks_Flnm);
  if (Cnl.Asc_Stat[0][0] != 1 && Cnl.Time_Stat[0][0] != 1) {
    bool threeColumns = false;
    core_io::LineIn in(499);
    std::string line;
    if (in.Open(Cnl.Mks_Flnm) && in.Next(line)) {
      const char* p = line.c_str();
      int32_t position = 0;
      double a = 0.0, b = 0.0;
      threeColumns = core_io::ScanLong(p, &position) && core_io::ScanDouble(p, &a) && core_io::ScanDouble(p, &b);
    }
    Cnl.Asc_Mode[0][0] = threeColumns ? 2 : 0;
    if (!threeColumns) {
      if (ManAsciiFileRead(Cnl.Mks_Flnm, 1, &Cnl.Mks_Pos, nullptr, nullptr, &Cnl.Mks_Cnt, 1) != 1) {
        LFree1Dim(&Cnl.Mks_Pos);
        return;
      }
      // The channel markers are held from entry 1 on (entry 0 is 0), as the marker
      // reader keeps them; the reader gave them from entry 0 in an array of count + 1.
      std::memmove(Cnl.Mks_Pos + 1, Cnl.Mks_Pos, size_t{Cnl.Mks_Cnt} * sizeof(int32_t));
      Cnl.Mks_Pos[0] = 0;
      // The differences and statistics belong to the markers read before: dropped,
      // so that the linearisation reads this file itself.
      LFree1Dim(&Cnl.Mks_Dif);
      Cnl.Mks_MaxDif = 0;
    }
  }
  ReloadTimeWindow("CB_45C");
}

// DSP: opens or closes the time window of channel 0 on the marker file.
void DspClicked(HWND d) {
  const bool open = Checked(d, IDC_CNL_DSP);
  if (open) StrCopy(Cnl.Asc_Flnm[0][0], Cnl.Mks_Flnm);
  const int32_t result = ChildWindowOpenClose(open ? 1 : 0, 0, 0) == 1 ? 1 : 0;
  Win.Child_Created[0][0] = static_cast<uint32_t>(result);
  Cnl.Asc_Stat[0][0] = static_cast<uint32_t>(result);
  Check(d, IDC_CNL_DSP, result == 1);
  ReloadTimeWindow("CB_45C");
}

void Action(int id) {
  switch (id) {
    case IDC_CNL_ALLAN:
    case IDC_CNL_LOGLOG:
      if (TimeWindowOpen()) {
        if (Cnl.Allan_Stat == 1 && Cnl.LogLog_Stat == 0) Cnl.LogLog_Stat = 1;
        ReloadTimeWindow("CB_45C");
      }
      break;
    case IDC_CNL_PEAKFIND:
      if (PeakFindHWHM(0) == 0) core_io::Warning("PEAK FINDING PROCEDURE FAILED");
      CsMkOpenRead(1);
      break;
    case IDC_CNL_STPFIND:
      if (Cnl.TtlStat != 1 || JumpPointFind(0, 4) != 1) JumpPointFind(0, 0);
      break;
    case IDC_CNL_CREATE:
      Cnl.MkStart = 0;
      Cnl.MkEnd = static_cast<int32_t>(Values(Cnl.Lin_OutFlnm));
      if (Cnl.MkEnd == 0)
        core_io::Warning(StrPrintf("MARKER FILE BASED ON LINEARIZED OUTPUT FILE [%s] WITH ZERO LENGTH\n\nABORTING",
                                   Cnl.Lin_OutFlnm));
      else if (MarkerFileWrite() == 1)
        core_io::Info(StrPrintf("LINEAR MARKER FILE [%s] CREATED", Cnl.Mks_Flnm));
      else
        core_io::Warning(StrPrintf("LINEAR MARKER FILE [%s] NOT CREATED", Cnl.Mks_Flnm));
      break;
    case IDC_CNL_LSF: {
      const bool lim = Cnv.Lim_Stat[kSlot] == 1;
      LsfPowerNrm(kSlot, Cnl.NrmInFlnm, Cnl.NrmPowFlnm, lim ? Win.Pt_Lim[kSlot][0] : 0, lim ? Win.Pt_Lim[kSlot][1] : 0,
                  Cnl.RejLvl);
      break;
    }
    case IDC_CNL_LINEARIZE:
      if (CsF2ISetup() == 1)
        core_io::Info(StrPrintf("IN FLNM [%s] LINEARIZED TO [%s]", Cnl.Lin_InFlnm, Cnl.Lin_OutFlnm));
      else
        core_io::Warning(StrPrintf("LINEARIZATION OF IN FLNM [%s] FAILED", Cnl.Lin_InFlnm));
      break;
    case IDC_CNL_SATNFIT:
      SatnNLLsfRun(0);
      break;
    case IDC_CNL_SATNCORRECT: {
      char in[OSI_NAME_SIZE];
      char out[OSI_NAME_SIZE];
      StrCopy(in, Cnl.Satn_InFlnm);
      StrCopy(out, Cnl.Satn_OutFlnm);
      OSIFile(kSlot, -1, OSI_SATN_CORR, in, out, 0, 1, 1);
      break;
    }
    default:
      break;
  }
  if ((id == IDC_CNL_PEAKFIND || id == IDC_CNL_STPFIND || id == IDC_CNL_CREATE) && Cnl.Asc_Stat[0][0] == 1 &&
      TimeWindowOpen())
    RepaintWindow("CB_2C", Win.hWnd_Child[0][0], TRUE);
}

// NORMALIZE: false when it refused (the dialog is then not refreshed).
bool Normalize() {
  if (Cnl.NrmVm == 0.0f) {
    core_io::Warning("REFERENCE VOLTAGE (Vm) ZERO\n\nABORTING");
    return false;
  }
  // The normalised file becomes the linearisation's input, its name with "l" the
  // output: a name that does not fit would be the input's own.
  char linOut[sizeof Cnl.Lin_OutFlnm];
  if (!core_io::NameWithSuffix(linOut, Cnl.NrmOutFlnm, "l")) return false;
  char in[OSI_NAME_SIZE];
  char out[OSI_NAME_SIZE];
  StrCopy(in, Cnl.NrmInFlnm);
  StrCopy(out, Cnl.NrmOutFlnm);
  if (OSIFile(kSlot, 0, OSI_NORMALIZE, in, out, 0, 0, 1) == 1) {
    StrCopy(Cnl.Lin_InFlnm, out);
    StrCopy(Cnl.Lin_OutFlnm, linOut);
  }
  return true;
}

bool StoringCommand(int id, WORD code) {
  switch (id) {
    case IDOK: case IDC_CNL_APPLY:
    case IDC_CNL_SCALEDIFF: case IDC_CNL_FLOATMIN: case IDC_CNL_ALLAN: case IDC_CNL_LOGLOG: case IDC_CNL_TTL:
    case IDC_CNL_NEAR: case IDC_CNL_RELATIVE: case IDC_CNL_NRMINV: case IDC_CNL_AC: case IDC_CNL_LIMSTAT:
    case IDC_CNL_PEAKFIND: case IDC_CNL_STPFIND: case IDC_CNL_NORMALIZE: case IDC_CNL_LSF: case IDC_CNL_CREATE:
    case IDC_CNL_SATNFIT: case IDC_CNL_SATNCORRECT: case IDC_CNL_LINEARIZE:
      return code == BN_CLICKED;
    case IDC_CNL_FFTWIN: case IDC_CNL_LOWLIM: case IDC_CNL_HIGHLIM: case IDC_CNL_RAMPNAME: case IDC_CNL_INTVPTS:
    case IDC_CNL_LININ: case IDC_CNL_LINOUT: case IDC_CNL_FSR: case IDC_CNL_PTSFSR: case IDC_CNL_FRQSTP:
    case IDC_CNL_NRMIN: case IDC_CNL_NRMOUT: case IDC_CNL_NRMPOW: case IDC_CNL_REJLVL:
      return code == EN_KILLFOCUS;
    default:
      break;
  }
  if ((id >= IDC_CNL_SATNSIG && id <= IDC_CNL_SATNA + 2) || (id >= IDC_CNL_SATNIN && id <= IDC_CNL_SATNCORR + 2))
    return code == EN_KILLFOCUS;
  return false;
}

INT_PTR Command(HWND d, WPARAM wParam) {
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  switch (id) {
    case IDC_CNL_ANLDIAG:
      if (code == BN_CLICKED) DialogBox(Win.hInst, MAKEINTRESOURCE(101), d, &AnalysisOptionsDialogProc);
      return 0;
    case IDC_CNL_CNVDIAG:
      if (code == BN_CLICKED) DialogBox(Win.hInst, MAKEINTRESOURCE(IDD_FILE_CONVERSION), d, &FileConversionDialogProc);
      return 0;
    case IDC_CNL_POS2FRQ:
      if (code != BN_CLICKED) return 0;
      FrqItnWrite(Win.Active_Chn);
      SendMessage(d, WM_INITDIALOG, 0, 0);
      return 0;
    case IDC_CNL_DSP:
      if (code != BN_CLICKED) return 0;
      DspClicked(d);
      SendMessage(d, WM_INITDIALOG, 0, 0);
      return 0;
    case IDC_CNL_MKSNAME:
      if (code == EN_KILLFOCUS) MarkerNameEdited(d);
      return 0;
    case IDCANCEL:
      LFree1Dim(&Cnl.Mks_Dif);
      DisplayViewStartOnce();
      EndDialog(d, static_cast<INT_PTR>(wParam));
      return 1;
    default:
      break;
  }
  if (!StoringCommand(id, code)) return 0;
  Store(d, id, code);
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const bool refresh = id == IDC_CNL_NORMALIZE ? Normalize() : (Action(id), true);
  SetCursor(previous);
  if (id == IDC_CNL_APPLY) {
    DisplayViewStartOnce();
    RepaintWindow("CB_3P", Win.hWnd_Main, TRUE);
  }
  if (id == IDOK) {
    LFree1Dim(&Cnl.Mks_Dif);
    DisplayViewStartOnce();
    EndDialog(d, static_cast<INT_PTR>(wParam));
    return 1;
  }
  if (refresh) SendMessage(d, WM_INITDIALOG, 0, 0);
  return 0;
}

}  // namespace

INT_PTR CalNormLinDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return dialog_fields::RefreshAndCommand(dialog, message, wParam, Refresh, Command);
}
