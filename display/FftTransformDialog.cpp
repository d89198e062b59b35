#include "display/FftTransformDialog.h"

#include <cmath>
#include <string>

#include "core/FileIo.h"
#include "display/DisplayDialogs.h"
#include "display/ChildWindows.h"
#include "core/Repaint.h"
#include "display/ViewFiles.h"
#include "fileproc/Fourier.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Dsp.h"
#include "records/Trans.h"
#include "records/Win.h"

namespace {

constexpr int kTime = 0;
constexpr int kFreq = 1;
constexpr int kData = 2;

int16_t ChannelOf(HWND dialog) {
  for (int16_t c = 0; c <= 8; ++c)
    if (Trans.Trans_Dlg_Hwnd[c] == dialog) return c;
  return -1;
}

void SetText(HWND d, int id, const std::string& text) { SetDlgItemText(d, id, text.c_str()); }

std::string Text(HWND d, int id) {
  char text[260] = "";
  GetDlgItemText(d, id, text, sizeof text);
  return text;
}

// A number read as "%lf" reads it: the longest numeric prefix after blanks.
bool ReadDouble(HWND d, int id, double* value) {
  const std::string text = Text(d, id);
  const char* p = text.c_str();
  return core_io::ScanDouble(p, value);
}

bool Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }

// True once when the edit's text was changed; the mark is then cleared.
bool TakeModified(HWND d, int id) {
  if (SendDlgItemMessage(d, id, EM_GETMODIFY, 0, 0) == 0) return false;
  SendDlgItemMessage(d, id, EM_SETMODIFY, FALSE, 0);
  return true;
}

void Refresh(HWND d) { SendMessage(d, WM_INITDIALOG, 0, 0); }

void RepaintView(int16_t c, int view) {
  HWND w = Win.hWnd_Child[c][view];
  if (Win.Child_Created[c][view] == 1 && w && IsWindow(w)) RepaintWindow("FFT_DLG", w, TRUE);
}
// Each of the channel's open child windows.
void RepaintAll(int16_t c) {
  for (int v = kTime; v <= kData; ++v) RepaintView(c, v);
}
void RepaintFreqData(int16_t c) {
  RepaintView(c, kFreq);
  RepaintView(c, kData);
}

// Opens (or closes) a child window and keeps its open flag.
void ChildWindow(int16_t c, int view, bool open) {
  Win.Child_Created[c][view] = ChildWindowOpenClose(open ? 1 : 0, c, static_cast<int16_t>(view)) == 1 ? 1u : 0u;
}

void PhaseUpdate(int16_t c) { FFTwPhaseShift(c, 0, Trans.Trans_FreqSz[c]); }

void Transform(int16_t c) { Trans.Trans_Fft_Flag[c] = FFTwExpChnTransform(c, kTime) == 1 ? 1u : 0u; }

void FrequencyFactor(int16_t c) {
  const uint32_t t = Trans.Trans_TimeSz[c];
  Trans.Trans_FrqSzFactor[c] = t != 0 ? Trans.Trans_FrqSzEntry[c] / (t * 0.5) : 1.0;
}

// ---- refresh --------------------------------------------------------------------------

void ShowCoefficient(HWND d, int16_t c, int k) {
  const double lo = Trans.Trans_CoefMin[c][k];
  const double hi = Trans.Trans_CoefMax[c][k];
  const double p = Trans.Trans_PhaseCoef[c][k];
  auto plain = [](double v) { return std::fabs(v) > 0.01 && std::fabs(v) < 1e6; };
  const bool fixed = plain(lo) && plain(hi);
  SetText(d, IDC_FT_MAX + k, StrPrintf(fixed ? "%.5lf" : "%.3le", hi));
  SetText(d, IDC_FT_MIN + k, StrPrintf(fixed ? "%.5lf" : "%.3le", lo));
  SetText(d, IDC_FT_COEF + k, StrPrintf(fixed ? "%.6lf" : "%.4le", p));
}

void Ranges(HWND d, int16_t c) {
  if (Trans.Trans_Dlg_RangesSet[c] == 0) {
    Trans.Trans_Dlg_RangesSet[c] = 1;
    for (int k = 0; k < 4; ++k) {
      Trans.Trans_CoefMin[c][k] = Trans.Trans_PhaseCoef[c][k] - Trans.Trans_CoefSpan[c][k];
      Trans.Trans_CoefMax[c][k] = Trans.Trans_PhaseCoef[c][k] + Trans.Trans_CoefSpan[c][k];
    }
  }
  for (int k = 0; k < 4; ++k) {
    const double p = Trans.Trans_PhaseCoef[c][k];
    double& lo = Trans.Trans_CoefMin[c][k];
    double& hi = Trans.Trans_CoefMax[c][k];
    if (p < lo) lo = p;
    if (p > hi) hi = p;
    ShowCoefficient(d, c, k);
    const int id = IDC_FT_TRACK + k;
    Trans.Trans_Dlg_Track[c][k] = GetDlgItem(d, id);
    SendDlgItemMessage(d, id, TBM_SETRANGEMIN, FALSE, -10000);
    SendDlgItemMessage(d, id, TBM_SETRANGEMAX, FALSE, 0);
    SendDlgItemMessage(d, id, TBM_SETPAGESIZE, 0, 100);
    SendDlgItemMessage(d, id, TBM_SETTICFREQ, 5000, 0);
    SendDlgItemMessage(d, id, TBM_SETPOS, TRUE, DisplayTrackbarPosition(p, lo, hi));
  }
}

void RefreshControls(HWND d, int16_t c) {
  auto check = [d](int id, uint32_t flag) { CheckDlgButton(d, id, flag == 1 ? BST_CHECKED : BST_UNCHECKED); };
  check(IDC_FT_STAT, Trans.Trans_Stat[c]);
  check(IDC_FT_FFT, Trans.Trans_Fft_Flag[c]);
  check(IDC_FT_REIMPH, Trans.Trans_ReImPh_Flag[c]);
  check(IDC_FT_TUKEY, Trans.Trans_Tukey_Flag[c]);
  check(IDC_FT_UNWRAP, Trans.Trans_Unwrap_Flag[c]);
  check(IDC_FT_RES, Trans.Trans_Res_Flag[c]);
  SetText(d, IDC_FT_TIMEFLNM, Trans.Trans_TimeFlnm[c]);
  const double us = Cnl.Horz_Intv[c][kTime] * 1e6;
  SetText(d, IDC_FT_HORZ_INTV, StrPrintf(us < 1.0 ? "%.10le" : "%.10lf", us));
  SetText(d, IDC_FT_FRQSZ, StrPrintf("%lu", static_cast<unsigned long>(Trans.Trans_FrqSzEntry[c])));
  SetText(d, IDC_FT_TUKEY_ALPHA, StrPrintf("%lf", Trans.Trans_Tukey_Alpha[c]));
  SetText(d, IDC_FT_CYCS, StrPrintf("%.0lf", Trans.Trans_Cycs[c]));
  SetText(d, IDC_FT_RATE, StrPrintf("%.8le", Trans.Trans_ChirpRate[c] * 1e-12));
  SetText(d, IDC_FT_DELAY, StrPrintf("%.8le", Trans.Trans_Delay[c] * 1e6));
  SendDlgItemMessage(d, IDC_FT_ASSOC, LB_RESETCONTENT, 0, 0);
  static const char* const kRows[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8"};
  for (const char* row : kRows) SendDlgItemMessage(d, IDC_FT_ASSOC, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
  SendDlgItemMessage(d, IDC_FT_ASSOC, LB_SETCURSEL, static_cast<WPARAM>(Trans.Trans_RefChn[c]), 0);
  for (int id : {IDC_FT_TIMEFLNM, IDC_FT_HORZ_INTV, IDC_FT_FRQSZ, IDC_FT_TUKEY_ALPHA, IDC_FT_CYCS, IDC_FT_RATE,
                 IDC_FT_DELAY})
    SendDlgItemMessage(d, id, EM_SETMODIFY, FALSE, 0);
  Ranges(d, c);
  InvalidateRect(GetDlgItem(d, IDC_FT_SWATCH), nullptr, TRUE);
}

// ---- edits ----------------------------------------------------------------------------

void Edit(HWND d, int16_t c, int id) {
  if (id >= IDC_FT_COEF && id < IDC_FT_COEF + 4) {
    double v = 0.0;
    if (!ReadDouble(d, id, &v)) return;
    Trans.Trans_PhaseCoef[c][id - IDC_FT_COEF] = v;
    PhaseUpdate(c);
    RepaintFreqData(c);
    return;
  }
  if (!TakeModified(d, id)) return;
  double v = 0.0;
  if (id == IDC_FT_TIMEFLNM) {
    const std::string name = Text(d, id);
    const char* p = name.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    std::string word(p);
    word = word.substr(0, word.find_first_of(" \t"));
    if (word.empty() || !core_io::NameFits(word, sizeof Trans.Trans_TimeFlnm[c])) return;
    StrCopy(Trans.Trans_TimeFlnm[c], word.c_str());
    Trans.Trans_ReImPh_Flag[c] = 0;
    Trans.Trans_Fft_Flag[c] = 0;
    Trans.Trans_Stat[c] = 0;
    RepaintAll(c);
    Refresh(d);
    return;
  }
  if (!ReadDouble(d, id, &v)) return;
  switch (id) {
    case IDC_FT_TUKEY_ALPHA:
      Trans.Trans_Tukey_Alpha[c] = v;
      Cnl.Data_Pend[c][kTime] = 1;
      RepaintAll(c);
      return;
    case IDC_FT_FRQSZ:
      if (v < 0.0 || v > 4294967295.0) return;
      Trans.Trans_FrqSzEntry[c] = static_cast<uint32_t>(v);
      FrequencyFactor(c);
      if (Trans.Trans_Fft_Flag[c] == 1) {
        Transform(c);
        RepaintFreqData(c);
      }
      return;
    case IDC_FT_CYCS:
      Trans.Trans_Cycs[c] = v;
      RepaintView(c, kData);
      return;
    case IDC_FT_HORZ_INTV: Cnl.Horz_Intv[c][kTime] = v * 1e-6; break;
    case IDC_FT_RATE: Trans.Trans_ChirpRate[c] = v * 1e12; break;
    case IDC_FT_DELAY: Trans.Trans_Delay[c] = v * 1e-6; break;
    default: return;
  }
  PhaseUpdate(c);
  RepaintFreqData(c);
}

// ---- buttons --------------------------------------------------------------------------

void PhaseFit(int16_t c) {
  int32_t w = (Win.Child_CursorHi[c][kFreq] - Win.Child_CursorLo[c][kFreq]) / 2;
  if (w == 0) w = 250;
  if (FFTwPhaseZero(1, c, Win.Pt_Lim[0][0], Win.Pt_Lim[0][1], w) != 1) return;
  RepaintFreqData(c);
  DisplayViewStartOnce();
  if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) RepaintWindow("FFT_DLG_FIT", Win.hWnd_Main, TRUE);
}

void Command(HWND d, int16_t c, int id, WORD code) {
  if (code == EN_KILLFOCUS) {
    Edit(d, c, id);
    return;
  }
  if (id == IDC_FT_ASSOC) {
    if (code != LBN_SELCHANGE) return;
    const LRESULT row = SendDlgItemMessage(d, IDC_FT_ASSOC, LB_GETCURSEL, 0, 0);
    if (row >= 0 && row <= 8) Trans.Trans_RefChn[c] = static_cast<int16_t>(row);
    PhaseUpdate(c);
    RepaintFreqData(c);
    Refresh(d);
    return;
  }
  if (code != BN_CLICKED) return;
  if (id >= IDC_FT_X2 && id <= IDC_FT_HALF + 6) {
    const int k = (id - IDC_FT_X2) / 2;
    Trans.Trans_CoefSpan[c][k] *= (id - IDC_FT_X2) % 2 == 0 ? 2.0 : 0.5;
    Trans.Trans_Dlg_RangesSet[c] = 0;
    Refresh(d);
    return;
  }
  const uint32_t on = Checked(d, id) ? 1u : 0u;
  switch (id) {
    case IDC_FT_STAT:
      if (on) {
        // The window shows the time file again, read when it opens: closing it ended
        // the child's file display.
        Cnl.Time_Stat[c][kTime] = 1;
        Cnl.Data_Pend[c][kTime] = 1;
        Cnl.Asc_Mode[c][kTime] = 4;
        Trans.Trans_Stat[c] = 1;
        ChildWindow(c, kTime, true);
        Trans.Trans_Stat[c] = Win.Child_Created[c][kTime];
        if (Trans.Trans_Stat[c] != 1) Cnl.Time_Stat[c][kTime] = Cnl.Data_Pend[c][kTime] = 0;
      } else {
        ChildWindow(c, kTime, false);
        Trans.Trans_Stat[c] = 0;
      }
      RepaintAll(c);
      Refresh(d);
      return;
    case IDC_FT_FFT:
      if (Trans.Trans_TimeSz[c] != 0) FrequencyFactor(c);
      TransChildStatus(c, kTime, 2,
                           StrPrintf("TIME SZ=[%ld] FREQ SZ=[%ld]", static_cast<long>(Trans.Trans_TimeSz[c]),
                                     static_cast<long>(Trans.Trans_FreqSz[c])));
      if (on)
        Transform(c);
      else
        Trans.Trans_Fft_Flag[c] = 0;
      ChildWindow(c, kFreq, Trans.Trans_Fft_Flag[c] == 1);
      RepaintAll(c);
      Refresh(d);
      return;
    case IDC_FT_REIMPH:
      Trans.Trans_ReImPh_Flag[c] = on;
      if (on) Transform(c);
      ChildWindow(c, kData, Trans.Trans_ReImPh_Flag[c] == 1);
      if (Win.Child_Created[c][kData] == 1) ChildWindow(c, kFreq, true);
      Refresh(d);
      return;
    case IDC_FT_TUKEY:
      Trans.Trans_Tukey_Flag[c] = on;
      if (on && Trans.Trans_Fft_Flag[c] == 0) {
        Trans.Trans_Tukey_Flag[c] = 0;
        core_io::Warning(
            "SPECTRAL LEAKAGE FILTER USES FFT LIMITS IN TIME DOMAIN\n\nENABLE FFT STAT & MARK TIME LIMITS\n\nABORTING");
        Refresh(d);
        return;
      }
      Cnl.Data_Pend[c][kTime] = 1;
      RepaintAll(c);
      Refresh(d);
      return;
    case IDC_FT_UNWRAP:
      Trans.Trans_Unwrap_Flag[c] = on;
      if (Trans.Trans_Fft_Flag[c] == 1) {
        if (on)
          PhaseUpdate(c);
        else
          Transform(c);
      }
      RepaintFreqData(c);
      return;
    case IDC_FT_RES:
      Trans.Trans_Res_Flag[c] = Trans.Trans_FitLines[c] > 0 ? on : 0u;
      RepaintView(c, kData);
      Refresh(d);
      return;
    case IDC_FT_CENTER:
      Trans.Trans_Dlg_RangesSet[c] = 0;
      Refresh(d);
      return;
    case IDC_FT_PHASE_FIT:
      PhaseFit(c);
      return;
    case IDCANCEL:
      FftTransformDialogCreate(c, 0, Win.hWnd_Main);
      Trans.Trans_Dlg_Wanted[c] = 0;
      return;
    default:
      return;
  }
}

void Track(HWND d, int16_t c, WPARAM wParam, LPARAM lParam) {
  const WORD code = LOWORD(wParam);
  if (code == TB_THUMBPOSITION || code == TB_ENDTRACK || code > TB_BOTTOM) return;
  const HWND bar = reinterpret_cast<HWND>(lParam);
  const int k = GetDlgCtrlID(bar) - IDC_FT_TRACK;
  if (k < 0 || k > 3) return;
  const int32_t pos = static_cast<int32_t>(SendMessage(bar, TBM_GETPOS, 0, 0));
  Trans.Trans_PhaseCoef[c][k] = DisplayTrackbarValue(pos, Trans.Trans_CoefMin[c][k], Trans.Trans_CoefMax[c][k]);
  ShowCoefficient(d, c, k);
  PhaseUpdate(c);
  RepaintFreqData(c);
}

INT_PTR SwatchBrush(int16_t c, LPARAM control) {
  if (GetDlgCtrlID(reinterpret_cast<HWND>(control)) != IDC_FT_SWATCH) return 0;
  const int16_t row = Dsp.Chn_ColorNo[c];
  return row >= 0 && row < DSP_COLORS ? reinterpret_cast<INT_PTR>(Dsp.Brush[row]) : 0;
}

}  // namespace

INT_PTR FftTransformDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const int16_t c = ChannelOf(dialog);
  if (c < 0) return 0;
  switch (message) {
    case WM_INITDIALOG:
      RefreshControls(dialog, c);
      return 1;
    case WM_COMMAND:
      Command(dialog, c, LOWORD(wParam), HIWORD(wParam));
      return 1;
    case WM_VSCROLL:
      Track(dialog, c, wParam, lParam);
      return 1;
    case WM_CTLCOLORSTATIC:
      return SwatchBrush(c, lParam);
    default:
      return 0;
  }
}

uint32_t FftTransformDialogCreate(int16_t chn, uint32_t show, HWND owner) {
  if (chn < 0 || chn > 8) return 0;
  return DisplayModelessShow(show, owner, &Trans.Trans_Dlg_Hwnd[chn], &Trans.Trans_Dlg_Shown[chn],
                             &Trans.Trans_Dlg_Guard, IDD_FFT_TRANSFORM, FftTransformDialogProc,
                             "FAILED TO CREATE FFT TRANSFORMATION DIALOG");
}
