#include "convert/AomCalibrationDialog.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "convert/DialogFields.h"
#include "convert/calib/AomCalib.h"
#include "convert/calib/ThzLinearize.h"
#include "core/FileIo.h"
#include "core/Repaint.h"
#include "core/Threads.h"
#include "display/ViewFiles.h"
#include "numerics/Spline.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "records/AomSettings.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/ThzSettings.h"
#include "records/Win.h"

// The view-file thread; until its code is linked in it stays null and the dialog does
// without it.
DWORD DisplayQviQvoSetup(void* parameter) __attribute__((weak));

namespace {

constexpr int kRows = 9;
constexpr int kSlot = 0;
constexpr int16_t kBlock = 0;

AomSettingsRecord& A = AomSettings;
ThzSettingsRecord& T = ThzSettings;

// ---- show and read forms ------------------------------------------------------------------

using dialog_fields::ReadDouble;
using dialog_fields::ReadFloat;
using dialog_fields::ReadLong;
using dialog_fields::ReadName;
using dialog_fields::ReadOnly;
using dialog_fields::Show;

void Check(HWND d, int id, bool on) { CheckDlgButton(d, id, on ? BST_CHECKED : BST_UNCHECKED); }
bool Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }

// A radio column's channel: the row whose button is checked, else unchanged.
void ReadColumn(HWND d, int base, int16_t* channel) {
  for (int c = 0; c < kRows; ++c)
    if (Checked(d, base + c)) *channel = static_cast<int16_t>(c);
}
void ShowColumn(HWND d, int base, int16_t channel) {
  for (int c = 0; c < kRows; ++c) Check(d, base + c, c == channel);
}

int16_t ErrSet() { return A.ErrSet == 1 ? 1 : 0; }
int16_t& ErrChannel(int16_t s) { return s == 1 ? A.Err2Chn : A.ErrChn; }

// ---- refresh --------------------------------------------------------------------------------

void Refresh(HWND d) {
  DisplayFileDateCheck(0, "");
  for (int c = 0; c < kRows; ++c) {
    char* name = Cnv.Out_Flnm[kBlock][c];
    if (name[0] == '\0') StrCopy(name, sizeof Cnv.Out_Flnm[kBlock][c], Dsp.Chn_Flnm[c]);
    Show(d, IDC_AOM_NAME0 + c, name);
    Cnv.Out_Sz[c] = static_cast<uint32_t>(DisplayFileDateCheck(-1, name));
    Show(d, IDC_AOM_SIZE0 + c, StrPrintf("%u", Cnv.Out_Sz[c]));
  }
  const int16_t s = ErrSet();
  ShowColumn(d, IDC_AOM_IN0, T.InChn);
  ShowColumn(d, IDC_AOM_OUT0, T.OutChn);
  ShowColumn(d, IDC_AOM_CAL0, A.CalChn);
  ShowColumn(d, IDC_AOM_ERR0, ErrChannel(s));
  ShowColumn(d, IDC_AOM_MRK0, A.MrkChn);
  ShowColumn(d, IDC_AOM_PHASE0, A.PhaseChn);

  SendDlgItemMessage(d, IDC_AOM_ERRCHN, LB_RESETCONTENT, 0, 0);
  SendDlgItemMessage(d, IDC_AOM_ERRCHN, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("0"));
  SendDlgItemMessage(d, IDC_AOM_ERRCHN, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("1"));
  SendDlgItemMessage(d, IDC_AOM_ERRCHN, LB_SETCURSEL, static_cast<WPARAM>(s), 0);
  Show(d, IDC_AOM_ERRMIN, StrPrintf("%lf", A.ErrMinV[s]));
  Show(d, IDC_AOM_ERRMAX, StrPrintf("%lf", A.ErrMaxV[s]));
  Show(d, IDC_AOM_ERRZERO, StrPrintf("%lf", A.ErrZeroV[s]));
  Show(d, IDC_AOM_ERRFWHM, StrPrintf("%lf", A.ErrFwhm[s]));
  Show(d, IDC_AOM_MKCAL, StrPrintf("%lf", A.MkCal[s]));
  Show(d, IDC_AOM_MRZERO, StrPrintf("%lf", A.MrZeroV[s]));
  Show(d, IDC_AOM_MARKERCUT, StrPrintf("%.4lf", A.MarkerCut));
  if (!A.OutResolTyped) A.OutResol = Dsp.FSR / (Dsp.Pts_FSR == 0 ? 1 : Dsp.Pts_FSR);
  Show(d, IDC_AOM_OUTRESOL, StrPrintf("%.6le", A.OutResol));
  Show(d, IDC_AOM_JMPWIN, StrPrintf("%d", A.JmpWin));
  Check(d, IDC_AOM_EO, A.EoStat == 1);
  SendDlgItemMessage(d, IDC_AOM_INTERP, LB_RESETCONTENT, 0, 0);
  for (int i = 0; std::string(AOM_INTERP_METHODS[i]) != "EOL"; ++i) {
    SendDlgItemMessage(d, IDC_AOM_INTERP, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AOM_INTERP_METHODS[i]));
    if (std::string(AOM_INTERP_METHODS[i]) == A.Interp)
      SendDlgItemMessage(d, IDC_AOM_INTERP, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
  }
  const bool rf = A.RampStat == 1;
  Check(d, IDC_AOM_RAMPSTAT, rf);
  Show(d, IDC_AOM_RAMPNAME, A.RampFlnm);
  Check(d, IDC_AOM_REV, A.Rev == 1);
  Show(d, IDC_AOM_RFSCALAR, StrPrintf("%.3lf", A.RfScalar));
  Show(d, IDC_AOM_RFLOW, StrPrintf("%.4lf", A.RfLow));
  Show(d, IDC_AOM_RFHIGH, StrPrintf("%.4lf", A.RfHigh));
  Show(d, IDC_AOM_VOLTLOW, StrPrintf("%.4f", static_cast<double>(A.VoltLow)));
  Show(d, IDC_AOM_VOLTHIGH, StrPrintf("%.4f", static_cast<double>(A.VoltHigh)));
  for (int id : {IDC_AOM_RFLOW, IDC_AOM_RFHIGH, IDC_AOM_VOLTLOW, IDC_AOM_VOLTHIGH}) ReadOnly(d, id, rf);
  Show(d, IDC_AOM_MKPOSNAME, Cnl.Mks_Flnm);

  Show(d, IDC_AOM_CALNAME, T.WaveFlnm);
  Show(d, IDC_AOM_BEGFRQ, StrPrintf("%.4lf", T.BegFrq));
  Show(d, IDC_AOM_ENDFRQ, StrPrintf("%.4lf", T.EndFrq));
  const uint32_t raw = T.InChn >= 0 && T.InChn < kRows ? Dsp.FL_SZ[WIN_RAW][T.InChn] : 0;
  T.InFrqStp = raw == 0 ? 0.0 : (T.EndFrq - T.BegFrq) / raw;
  Show(d, IDC_AOM_INFRQSTP, StrPrintf("%.7le", T.InFrqStp));
  // A step of 0 is taken as 1.0, and the field shows the step taken, so that the
  // next store keeps it.
  if (T.OutFrqStp == 0.0) T.OutFrqStp = 1.0;
  Show(d, IDC_AOM_OUTFRQSTP, StrPrintf("%.7le", T.OutFrqStp));
  Show(d, IDC_AOM_INTVSIZE, StrPrintf("%d", T.IntvSize));
  Show(d, IDC_AOM_TOTINTV, StrPrintf("%d", T.TotIntv));
  Show(d, IDC_AOM_LOWERMK, StrPrintf("%d", T.LowerMk));
  Show(d, IDC_AOM_UPPERMK, StrPrintf("%d", T.UpperMk));
  Show(d, IDC_AOM_FFT, StrPrintf("%f", static_cast<double>(Cnv.FFT_SmoothWin)));
  Show(d, IDC_AOM_FSRSCALAR, StrPrintf("%lf", T.FsrScalar));
  Show(d, IDC_AOM_MINRES, StrPrintf("%lf", T.MinRes));
  Check(d, IDC_AOM_MRKSTAT, T.MrkStat == 1);
  Check(d, IDC_AOM_LOCKSTAT, T.LockStat == 1);
  Show(d, IDC_AOM_REPEATNAME, T.RepeatFlnm);
  // A downward scan counts its points as an upward one.
  const double points = std::fabs(T.EndFrq - T.BegFrq) / T.OutFrqStp + 0.5;
  T.OutPts = points < 4294967295.0 ? static_cast<uint32_t>(points) : 0;

  const bool lim = Cnv.Lim_Stat[kSlot] == 1;
  Check(d, IDC_AOM_LIMSTAT, lim);
  Show(d, IDC_AOM_LOWLIM, StrPrintf("%d", Win.Pt_Lim[kSlot][0]));
  Show(d, IDC_AOM_HIGHLIM, StrPrintf("%d", Win.Pt_Lim[kSlot][1]));
  ReadOnly(d, IDC_AOM_LOWLIM, !lim);
  ReadOnly(d, IDC_AOM_HIGHLIM, !lim);
}

// ---- store ----------------------------------------------------------------------------------

// ERR MIN V typed as 0 takes the error channel's stored range averages.
void ErrorAverages(int16_t s) {
  if (A.ErrMinV[s] != 0.0) return;
  const int16_t c = ErrChannel(s);
  if (c < 0 || c >= WIN_CHN) return;
  A.ErrMinV[s] = Win.Chn_Ave1[c];
  A.ErrMaxV[s] = Win.Chn_Ave2[c];
}

void Store(HWND d) {
  const int16_t s = ErrSet();
  ReadName(d, IDC_AOM_CALNAME, T.WaveFlnm);
  ReadDouble(d, IDC_AOM_OUTFRQSTP, &T.OutFrqStp);
  ReadDouble(d, IDC_AOM_BEGFRQ, &T.BegFrq);
  ReadDouble(d, IDC_AOM_ENDFRQ, &T.EndFrq);
  ReadLong(d, IDC_AOM_INTVSIZE, &T.IntvSize);
  ReadLong(d, IDC_AOM_LOWERMK, &T.LowerMk);
  ReadLong(d, IDC_AOM_UPPERMK, &T.UpperMk);
  ReadFloat(d, IDC_AOM_FFT, &Cnv.FFT_SmoothWin);
  ReadDouble(d, IDC_AOM_FSRSCALAR, &T.FsrScalar);
  ReadDouble(d, IDC_AOM_MINRES, &T.MinRes);
  T.MrkStat = Checked(d, IDC_AOM_MRKSTAT) ? 1 : 0;
  T.LockStat = Checked(d, IDC_AOM_LOCKSTAT) ? 1 : 0;
  ReadName(d, IDC_AOM_REPEATNAME, T.RepeatFlnm);
  ReadName(d, IDC_AOM_MKPOSNAME, Cnl.Mks_Flnm);
  A.EoStat = Checked(d, IDC_AOM_EO) ? 1 : 0;
  A.Rev = Checked(d, IDC_AOM_REV) ? 1 : 0;
  const LRESULT row = SendDlgItemMessage(d, IDC_AOM_INTERP, LB_GETCURSEL, 0, 0);
  if (row >= 0 && row < 2) StrCopy(A.Interp, AOM_INTERP_METHODS[row]);
  ReadName(d, IDC_AOM_RAMPNAME, A.RampFlnm);
  ReadDouble(d, IDC_AOM_RFSCALAR, &A.RfScalar);
  ReadDouble(d, IDC_AOM_RFLOW, &A.RfLow);
  ReadDouble(d, IDC_AOM_RFHIGH, &A.RfHigh);
  ReadFloat(d, IDC_AOM_VOLTLOW, &A.VoltLow);
  ReadFloat(d, IDC_AOM_VOLTHIGH, &A.VoltHigh);
  ReadDouble(d, IDC_AOM_ERRMIN, &A.ErrMinV[s]);
  ReadDouble(d, IDC_AOM_ERRMAX, &A.ErrMaxV[s]);
  ErrorAverages(s);
  ReadDouble(d, IDC_AOM_ERRZERO, &A.ErrZeroV[s]);
  ReadDouble(d, IDC_AOM_ERRFWHM, &A.ErrFwhm[s]);
  ReadDouble(d, IDC_AOM_OUTRESOL, &A.OutResol);
  ReadDouble(d, IDC_AOM_MARKERCUT, &A.MarkerCut);
  ReadDouble(d, IDC_AOM_MKCAL, &A.MkCal[s]);
  ReadDouble(d, IDC_AOM_MRZERO, &A.MrZeroV[s]);
  ReadLong(d, IDC_AOM_JMPWIN, &A.JmpWin);
  for (int c = 0; c < kRows; ++c) ReadName(d, IDC_AOM_NAME0 + c, Cnv.Out_Flnm[kBlock][c]);
  ReadColumn(d, IDC_AOM_IN0, &T.InChn);
  ReadColumn(d, IDC_AOM_OUT0, &T.OutChn);
  ReadColumn(d, IDC_AOM_CAL0, &A.CalChn);
  ReadColumn(d, IDC_AOM_ERR0, &ErrChannel(s));
  ReadColumn(d, IDC_AOM_MRK0, &A.MrkChn);
  ReadColumn(d, IDC_AOM_PHASE0, &A.PhaseChn);
  const LRESULT set = SendDlgItemMessage(d, IDC_AOM_ERRCHN, LB_GETCURSEL, 0, 0);
  if (set == 0 || set == 1) A.ErrSet = static_cast<int16_t>(set);
  ReadLong(d, IDC_AOM_LOWLIM, &Win.Pt_Lim[kSlot][0]);
  ReadLong(d, IDC_AOM_HIGHLIM, &Win.Pt_Lim[kSlot][1]);
}

// ---- actions --------------------------------------------------------------------------------

// The check table of the RF calibration: frequency against ramp voltage from 1 V to
// 10 V in steps of 0.01 V. False when the calibration or the table cannot be had.
bool WriteRampTest(const float* volt, const float* frq, const float* v2f) {
  platform::TextFileWriter out;
  if (!out.Open(AOM_RAMP_TEST_NAME)) return false;
  out.Write("PT     AOM VOLT     FRQ\n");
  int32_t row = 1;
  for (double v = 1.0; v < 10.001; v += 0.01, ++row) {
    float f = 0.0f;
    FSplint(volt, frq, v2f, A.RfRows, static_cast<float>(v), &f);
    out.Printf("%3d %10.5f %10.5f\n", row, v, static_cast<double>(f));
  }
  return out.Commit();
}

void StartViewThread() {
  if (ThreadCtl.View_Started == 0 && &DisplayQviQvoSetup) {
    ThreadCtl.View_Started = 1;
    Win.ViewPageType = 0;
    Win.ViewPrep = 1;
    FunctionThreadCreate(&DisplayQviQvoSetup);
  }
}

void Linearize(uint16_t phase) {
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  int32_t result = THzLinearization(kBlock, 0, 1);
  if (result == 1) result = THzLinearization(kBlock, phase, 1);
  SetCursor(LoadCursor(nullptr, IDC_CROSS));
  StartViewThread();
  RepaintWindow("CB_6P", Win.hWnd_Main, TRUE);
  if (result == 1) MessageBox(Win.hWnd_Main, "CALIBRATION COMPLETE", "Info", core_io::kInfoStyle);
}

void Action(int id) {
  switch (id) {
    case IDC_AOM_THZ1: Linearize(1); break;
    case IDC_AOM_THZ2: Linearize(2); break;
    case IDC_AOM_THZ3: Linearize(3); break;
    case IDC_AOM_AOMCAL:
      if (AomCalibrate(kBlock, Win.Pt_Lim[kSlot][0], Win.Pt_Lim[kSlot][1], 0, 0, 1, 1) == 1) {
        StartViewThread();
        RepaintWindow("CB_7P", Win.hWnd_Main, TRUE);
      }
      break;
    case IDC_AOM_DEMOD:
      if (DemodProc(kBlock, Win.Pt_Lim[kSlot][0], Win.Pt_Lim[kSlot][1]) == 1) {
        StartViewThread();
        RepaintWindow("CB_8P", Win.hWnd_Main, TRUE);
        MessageBox(Win.hWnd_Main, "DEMODULATION COMPLETE", "Info", core_io::kInfoStyle);
      }
      break;
    default: break;
  }
}

bool InColumn(int id, int base) { return id >= base && id < base + kRows; }

// Commands that store the fields, by control and notification.
bool StoringCommand(int id, WORD code) {
  switch (id) {
    case IDOK: case IDC_AOM_APPLY: case IDC_AOM_AOMCAL: case IDC_AOM_DEMOD: case IDC_AOM_THZ1: case IDC_AOM_THZ2:
    case IDC_AOM_THZ3:
      return code == BN_CLICKED;
    case IDC_AOM_ERRCHN:
      return code == LBN_SELCHANGE;
    case IDC_AOM_FSRSCALAR: case IDC_AOM_JMPWIN: case IDC_AOM_MKPOSNAME: case IDC_AOM_RAMPNAME:
      return code == EN_KILLFOCUS;
    default:
      break;
  }
  if (InColumn(id, IDC_AOM_IN0) || InColumn(id, IDC_AOM_OUT0) || InColumn(id, IDC_AOM_CAL0) ||
      InColumn(id, IDC_AOM_ERR0) || InColumn(id, IDC_AOM_MRK0))
    return code == BN_CLICKED;
  if ((id >= 3502 && id <= 3512) || (id >= IDC_AOM_RFHIGH && id <= IDC_AOM_VOLTHIGH)) return code == EN_KILLFOCUS;
  return false;
}

INT_PTR Command(HWND d, WPARAM wParam) {
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  if (id == IDCANCEL) {
    A.OutResolTyped = false;
    AomRFCalibFree();
    EndDialog(d, static_cast<INT_PTR>(wParam));
    return 1;
  }
  if (id == IDC_AOM_RAMPSTAT) {
    if (code != BN_CLICKED) return 0;
    A.RampStat = A.RampStat == 1 ? 0 : 1;
    if (A.RampStat == 1) {
      // A table that cannot be written ends the command without storing.
      float *volt = nullptr, *frq = nullptr, *v2f = nullptr;
      if (AomRFCalib(&volt, &frq, &v2f) == 1 && !WriteRampTest(volt, frq, v2f)) return 0;
    }
    Store(d);
    A.OutResolTyped = false;
    SendMessage(d, WM_INITDIALOG, 0, 0);
    return 0;
  }
  if (!StoringCommand(id, code)) return 0;
  Store(d);
  // A typed OUT RESOL is kept by the refreshes after the fields' own stores and
  // replaced by the one after any other stored command, which has used it.
  A.OutResolTyped = code == EN_KILLFOCUS && (A.OutResolTyped || id == IDC_AOM_OUTRESOL);
  if (id == IDC_AOM_RAMPNAME) A.RampStat = 0;
  Action(id);
  if (id == IDOK) {
    AomRFCalibFree();
    EndDialog(d, static_cast<INT_PTR>(wParam));
    return 1;
  }
  SendMessage(d, WM_INITDIALOG, 0, 0);
  return 0;
}

}  // namespace

INT_PTR AomCalibrationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return dialog_fields::RefreshAndCommand(dialog, message, wParam, Refresh, Command);
}
