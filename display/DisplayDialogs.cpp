#include "display/DisplayDialogs.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "display/FileDialogs.h"
#include "core/FileIo.h"
#include "filelib/FileManip.h"
#include "core/Coords.h"
#include "core/WorkText.h"
#include "display/FileSection.h"
#include "core/Repaint.h"
#include "display/ViewFiles.h"
#include "display/ViewKeys.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/Win.h"

int16_t DisplayColorStep(int16_t row, int dir) {
  const int bg = Win.Bg_Brush_Idx;
  int next = row + dir;
  if (next == bg) next = row + 2 * dir;
  if (next < 0 || next > 10) return row;
  return static_cast<int16_t>(next);
}

int32_t DisplayTrackbarPosition(double value, double low, double high) {
  if (high == low) return static_cast<int32_t>(-10000.0 * high);
  const double position = -10000.0 * (value - low) / (high - low);
  const double whole = std::round(position);
  return static_cast<int32_t>(std::fabs(position - whole) < 1e-6 ? whole : position);
}

double DisplayTrackbarValue(int32_t position, double low, double high) {
  return low + (high - low) * 0.0001 * static_cast<double>(-position);
}

namespace {

constexpr UINT kWarningBox = MB_SYSTEMMODAL | MB_ICONWARNING;
constexpr UINT kErrorBox = MB_SYSTEMMODAL | MB_ICONERROR;

bool ValidChn(int16_t c) { return c >= 0 && c <= 8; }

void Repaint(const char* tag) {
  if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) RepaintWindow(tag, Win.hWnd_Main, TRUE);
}

void Refresh(HWND dialog) {
  if (dialog && IsWindow(dialog)) SendMessage(dialog, WM_INITDIALOG, 0, 0);
}

// Reads an edit as one finite "C"-locale number; false leaves *value as it was.
bool ReadNumber(HWND dialog, int id, double* value) {
  char text[128] = "";
  GetDlgItemText(dialog, id, text, sizeof text);
  double v = 0.0;
  if (!platform::ParseDouble(text, &v) || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

void SetText(HWND dialog, int id, const std::string& text) { SetDlgItemText(dialog, id, text.c_str()); }

// The ten channel labels with the dialog's channel selected.
void FillChannelList(HWND dialog, int16_t chn) {
  SendDlgItemMessage(dialog, IDC_DD_CHN_LIST, LB_RESETCONTENT, 0, 0);
  for (const auto& label : Win.Chn_Lbl)
    SendDlgItemMessage(dialog, IDC_DD_CHN_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
  SendDlgItemMessage(dialog, IDC_DD_CHN_LIST, LB_SETCURSEL, static_cast<WPARAM>(chn), 0);
}

// The lock is 0 until the first refresh after it is cleared: that refresh takes the
// active channel; the dialog's channel also follows the active channel while that one
// is displayed.
int16_t TakeChannel(uint32_t* lock, int16_t* chn) {
  const int16_t a = Win.Active_Chn;
  if (*lock == 0) {
    if (ValidChn(a)) *chn = a;
    *lock = 1;
  } else if (ValidChn(a) && Dsp.Chn_DspStat[a] == 1) {
    *chn = a;
  }
  if (!ValidChn(*chn)) *chn = 0;
  return *chn;
}

void ChannelKey(int16_t chn) {
  if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) DisplayViewKey(Win.hWnd_Main, '0' + chn, 0);
}

// Channel c shown with the file it now names, and a view run started for it. The key
// takes a channel out of the shown list or puts it in: one that goes out (shown) gets
// it again, once the run the first key started is stopped, or that run would refuse
// the second key. The stop is part of the key's restart: the display flags stay.
void ShowWithNewFile(int16_t c, bool shown) {
  ChannelKey(c);
  if (!shown) return;
  DisplayViewStopForChange();
  ChannelKey(c);
}

bool InShownList(int16_t c) {
  const int count = Win.Shown_Count >= 0 && Win.Shown_Count <= 9 ? Win.Shown_Count : 0;
  for (int i = 0; i < count; ++i)
    if (Win.Shown_List[i] == c) return true;
  return false;
}

// Shared parts of the two dialogs' commands.
void NotDisplayedWarning(int16_t chn) {
  MessageBox(Win.hWnd_Main,
             StrPrintf("DISPLAY FILE=[%s] FIRST FOR CHN=[%ld]\n\nABORTING", Dsp.Chn_Flnm[chn], static_cast<long>(chn))
                 .c_str(),
             "Warning", kWarningBox);
}

void ChannelScroll(int16_t* chn, WORD code) {
  if (code == SB_LINEUP && *chn > 0) --*chn;
  if (code == SB_LINEDOWN && *chn < 8) ++*chn;
  if (Dsp.Chn_DspStat[*chn] == 1) Win.Active_Chn = *chn;
}

void ChannelStatus(int16_t chn) {
  core_io::StatusText(0, StrPrintf("[%hd] [%s] LEN=[%lu]", chn, Dsp.Chn_Flnm[chn],
                                   static_cast<unsigned long>(Dsp.FL_SZ[WIN_RAW][chn])));
}

INT_PTR SwatchBrush(LPARAM control) {
  if (GetDlgCtrlID(reinterpret_cast<HWND>(control)) != IDC_DD_SWATCH) return 0;
  const int16_t a = ValidChn(Win.Active_Chn) ? Win.Active_Chn : 9;
  const int16_t row = Dsp.Chn_ColorNo[a];
  return row >= 0 && row < DSP_COLORS ? reinterpret_cast<INT_PTR>(Dsp.Brush[row]) : 0;
}

// ---- scalar/offset dialog -------------------------------------------------------------

const char* BoundFormat(double lo, double hi) {
  auto wide = [](double v) { return std::fabs(v) <= 0.01 || std::fabs(v) >= 100.0; };
  return wide(lo) || wide(hi) ? "%.3le" : "%.5lf";
}

void SetTrackbar(HWND dialog, int id, double value, double lo, double hi) {
  SendDlgItemMessage(dialog, id, TBM_SETRANGEMIN, FALSE, SO_TRACK_MIN);
  SendDlgItemMessage(dialog, id, TBM_SETRANGEMAX, FALSE, SO_TRACK_MAX);
  SendDlgItemMessage(dialog, id, TBM_SETPAGESIZE, 0, 100);
  SendDlgItemMessage(dialog, id, TBM_SETTICFREQ, 5000, 0);
  SendDlgItemMessage(dialog, id, TBM_SETPOS, TRUE, DisplayTrackbarPosition(value, lo, hi));
}

// A new scalar for channel c: unless the offset is fixed, the offset is rescaled so
// that the drawn offset stays where it was.
void SetScalar(int16_t c, double scalar) {
  const double old = Dsp.Chn_Scalar[c];
  if (Dsp.Chn_OfsFix[c] == 0 && scalar != 0.0) Dsp.Chn_Offset[c] = old / scalar * Dsp.Chn_Offset[c];
  Dsp.Chn_Scalar[c] = scalar;
}

void ScalarOffsetRefresh(HWND dialog) {
  Dsp.SclOfs_Hwnd = dialog;
  const int16_t c = TakeChannel(&Dsp.SclOfs_Lock, &Dsp.SclOfs_Chn);
  SetText(dialog, IDC_DD_FILENAME, Dsp.Chn_Flnm[c]);
  SendDlgItemMessage(dialog, IDC_DD_FILENAME, EM_SETMODIFY, FALSE, 0);
  FillChannelList(dialog, c);
  CheckDlgButton(dialog, IDC_SO_FIX, Dsp.Chn_OfsFix[c] ? BST_CHECKED : BST_UNCHECKED);
  if (Dsp.Chn_Scalar[c] == 0.0) Dsp.Chn_Scalar[c] = 1.0;
  if (std::fabs(Dsp.Ofs_Hi[c]) < 1e-15) Dsp.Ofs_Hi[c] = 0.0;
  if (std::fabs(Dsp.Ofs_Lo[c]) < 1e-15) Dsp.Ofs_Lo[c] = 0.0;
  if (Dsp.Ofs_Hi[c] == Dsp.Ofs_Lo[c]) Dsp.SclOfs_Valid[c] = 0;
  const double s = Dsp.Chn_Scalar[c];
  const double o = Dsp.Chn_Offset[c];
  if (Dsp.SclOfs_Valid[c] == 0) {
    const double spread = std::pow(2.0, Dsp.Scl_SpreadK[c]);
    Dsp.Scl_Hi[c] = s * spread;
    Dsp.Scl_Lo[c] = s / spread;
    Dsp.Ofs_Hi[c] = o + Dsp.Ofs_HalfD[c];
    Dsp.Ofs_Lo[c] = o - Dsp.Ofs_HalfD[c];
    Dsp.SclOfs_Valid[c] = 1;
  }
  auto order = [](double* hi, double* lo, double v) {
    if (*hi < *lo) std::swap(*hi, *lo);
    if (v > *hi) *hi = v;
    if (v < *lo) *lo = v;
  };
  order(&Dsp.Scl_Hi[c], &Dsp.Scl_Lo[c], s);
  order(&Dsp.Ofs_Hi[c], &Dsp.Ofs_Lo[c], o);
  const char* sf = BoundFormat(Dsp.Scl_Lo[c], Dsp.Scl_Hi[c]);
  const char* of = BoundFormat(Dsp.Ofs_Lo[c], Dsp.Ofs_Hi[c]);
  SetText(dialog, IDC_SO_SCL_HIGH, StrPrintf(sf, Dsp.Scl_Hi[c]));
  SetText(dialog, IDC_SO_SCL_LOW, StrPrintf(sf, Dsp.Scl_Lo[c]));
  SetText(dialog, IDC_SO_SCL_VALUE, StrPrintf(sf, s));
  SetText(dialog, IDC_SO_OFS_HIGH, StrPrintf(of, Dsp.Ofs_Hi[c]));
  SetText(dialog, IDC_SO_OFS_LOW, StrPrintf(of, Dsp.Ofs_Lo[c]));
  SetText(dialog, IDC_SO_OFS_VALUE, StrPrintf(of, o));
  for (int id : {IDC_SO_SCL_HIGH, IDC_SO_SCL_LOW, IDC_SO_SCL_VALUE, IDC_SO_OFS_HIGH, IDC_SO_OFS_LOW, IDC_SO_OFS_VALUE})
    SendDlgItemMessage(dialog, id, EM_SETMODIFY, FALSE, 0);
  SetTrackbar(dialog, IDC_SO_SCL_TRACK, s, Dsp.Scl_Lo[c], Dsp.Scl_Hi[c]);
  SetTrackbar(dialog, IDC_SO_OFS_TRACK, o, Dsp.Ofs_Lo[c], Dsp.Ofs_Hi[c]);
  InvalidateRect(GetDlgItem(dialog, IDC_DD_SWATCH), nullptr, TRUE);
  Refresh(Dsp.Anl_Hwnd);
}

void ScalarOffsetTrack(HWND dialog, WPARAM wParam, LPARAM lParam) {
  const WORD code = LOWORD(wParam);
  if (code == TB_THUMBPOSITION || code == TB_ENDTRACK || !ValidChn(Win.Active_Chn)) return;
  const int16_t c = Dsp.SclOfs_Chn;
  if (!ValidChn(c)) return;
  const HWND bar = reinterpret_cast<HWND>(lParam);
  const int32_t pos = static_cast<int32_t>(SendMessage(bar, TBM_GETPOS, 0, 0));
  if (GetDlgCtrlID(bar) == IDC_SO_SCL_TRACK) {
    SetScalar(c, DisplayTrackbarValue(pos, Dsp.Scl_Lo[c], Dsp.Scl_Hi[c]));
    SetText(dialog, IDC_SO_SCL_VALUE, StrPrintf("%.4lf", Dsp.Chn_Scalar[c]));
  } else {
    Dsp.Chn_Offset[c] = DisplayTrackbarValue(pos, Dsp.Ofs_Lo[c], Dsp.Ofs_Hi[c]);
    SetText(dialog, IDC_SO_OFS_VALUE, StrPrintf("%.4lf", Dsp.Chn_Offset[c]));
  }
  Dsp.SclOfs_Lock = 0;
  Repaint("CB_25P");
}

void ScalarOffsetEdit(HWND dialog, int id) {
  if (SendDlgItemMessage(dialog, id, EM_GETMODIFY, 0, 0) == 0) return;
  SendDlgItemMessage(dialog, id, EM_SETMODIFY, FALSE, 0);
  const int16_t c = Dsp.SclOfs_Chn;
  if (!ValidChn(c)) return;
  if (id == IDC_DD_FILENAME) {
    char name[200] = "";
    GetDlgItemText(dialog, id, name, sizeof name);
    // A view run under way stops before the name changes; the key's run, or the
    // resumed one, builds with the new name. The channel is shown with it, whether it
    // was shown before or not.
    const bool stored = DisplayViewStoppedFor([&] {
      if (!ChannelNameSet(c, WorkTextTyped(name).c_str())) return false;
      ShowWithNewFile(c, InShownList(c));
      return true;
    });
    if (!stored) {
      SetText(dialog, id, Dsp.Chn_Flnm[c]);
      return;
    }
    Repaint("CB_20P");
    return;
  }
  double v = 0.0;
  if (!ReadNumber(dialog, id, &v)) {
    ScalarOffsetRefresh(dialog);  // the text goes back to the value held
    return;
  }
  switch (id) {
    case IDC_SO_SCL_HIGH: Dsp.Scl_Hi[c] = v; break;
    case IDC_SO_SCL_LOW: Dsp.Scl_Lo[c] = v; break;
    case IDC_SO_OFS_HIGH: Dsp.Ofs_Hi[c] = v; break;
    case IDC_SO_OFS_LOW: Dsp.Ofs_Lo[c] = v; break;
    case IDC_SO_SCL_VALUE:
      SetScalar(c, v);
      Dsp.SclOfs_Valid[c] = 0;
      break;
    case IDC_SO_OFS_VALUE:
      Dsp.Chn_Offset[c] = v;
      Dsp.SclOfs_Valid[c] = 0;
      break;
    default: return;
  }
  ScalarOffsetRefresh(dialog);
  Repaint("CB_21P");
}

void ScalarOffsetCommand(HWND dialog, WORD id, WORD code) {
  const int16_t c = ValidChn(Dsp.SclOfs_Chn) ? Dsp.SclOfs_Chn : 0;
  switch (id) {
    case IDC_DD_FILENAME:
    case IDC_SO_SCL_HIGH:
    case IDC_SO_SCL_LOW:
    case IDC_SO_SCL_VALUE:
    case IDC_SO_OFS_HIGH:
    case IDC_SO_OFS_LOW:
    case IDC_SO_OFS_VALUE:
      if (code == EN_KILLFOCUS) ScalarOffsetEdit(dialog, id);
      return;
    case IDC_SO_SCL_X2:
    case IDC_SO_SCL_HALF:
      Dsp.Scl_SpreadK[c] *= id == IDC_SO_SCL_X2 ? 2.0 : 0.5;
      Dsp.SclOfs_Valid[c] = 0;
      break;
    case IDC_SO_OFS_X2:
    case IDC_SO_OFS_HALF:
      Dsp.Ofs_HalfD[c] *= id == IDC_SO_OFS_X2 ? 2.0 : 0.5;
      Dsp.SclOfs_Valid[c] = 0;
      break;
    case IDC_SO_CENTER:
      Dsp.SclOfs_Valid[c] = 0;
      break;
    case IDC_SCLOFS_REFRESH:
      break;
    case IDC_SO_AUTO:
      if (Dsp.Chn_DspStat[c] != 1) {
        NotDisplayedWarning(c);
        return;
      }
      CnvAutoScalarOffSetChn(c);
      Dsp.SclOfs_Valid[c] = 0;
      break;
    case IDC_SO_FIX:
      Dsp.Chn_OfsFix[c] = IsDlgButtonChecked(dialog, IDC_SO_FIX) == BST_CHECKED ? 1 : 0;
      return;
    case IDC_SO_OPEN:
      char chosen[sizeof Dsp.Chn_Flnm[c]];
      StrCopy(chosen, Dsp.Chn_Flnm[c]);
      if (BinaryFileDialog(0, chosen, sizeof chosen, dialog) == 1 && ChannelNameAccepted(c, chosen)) {
        // The view thread reads the channel names: a run under way stops before the
        // name changes (part of the key's restart: the display flags stay). A displayed
        // channel gets the key twice (off and on again with the new file), any other
        // once (shown with it).
        DisplayViewStopForChange();
        StrCopy(Dsp.Chn_Flnm[c], chosen);
        ShowWithNewFile(c, Dsp.Chn_DspStat[c] == 1);
        Dsp.SclOfs_Valid[c] = 0;
        Repaint("CB_19P");
      }
      break;
    case IDC_DD_CHN_LIST:
      if (code == LBN_SELCHANGE) {
        const LRESULT row = SendDlgItemMessage(dialog, IDC_DD_CHN_LIST, LB_GETCURSEL, 0, 0);
        if (row >= 0 && row <= 8) ChannelKey(static_cast<int16_t>(row));
        Repaint("CB_22P");
        if (Win.hWnd_Main) SetFocus(Win.hWnd_Main);
      }
      return;
    case IDCANCEL:
      Dsp.SclOfs_Shown = 0;
      Dsp.SclOfs_Lock = 0;
      Refresh(Dsp.Anl_Hwnd);
      DisplayScalarOffsetDialogShow(0, Win.hWnd_Main);
      return;
    default:
      return;
  }
  ScalarOffsetRefresh(dialog);
}

// ---- cursor-info dialog ---------------------------------------------------------------

std::string ValueText(double v) {
  const double a = std::fabs(v);
  return StrPrintf(a <= 1.0 || a >= 100000.0 ? "%.6le" : "%.8lf", v);
}

std::string FreqText(double v) { return StrPrintf(std::fabs(v) <= 1.0 ? "%.6le" : "%.8lf", v); }

void CursorInfoRefresh(HWND dialog) {
  Win.CurInfo_Hwnd = dialog;
  const int16_t c = TakeChannel(&Win.CurInfo_Lock, &Win.CurInfo_Chn);
  FillChannelList(dialog, c);
  SetText(dialog, IDC_CI_AVE_LOW, ValueText(Win.Chn_Ave1[c]));
  SetText(dialog, IDC_CI_AVE_HIGH, ValueText(Win.Chn_Ave2[c]));
  SetText(dialog, IDC_CI_RMS_LOW, ValueText(Win.Chn_Sig1[c]));
  SetText(dialog, IDC_CI_RMS_HIGH, ValueText(Win.Chn_Sig2[c]));
  SetText(dialog, IDC_CI_DIFF, ValueText(Win.Chn_AveDiff[c]));
  SetText(dialog, IDC_CI_SUM_DEV, ValueText(Win.Chn_SigSum[c]));
  CheckDlgButton(dialog, IDC_CI_ADJ_CROSS, Win.CurInfo_AdjCross ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_CI_INTG, Win.CurInfo_Intg ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_CI_CTR_DIFF, Win.CurInfo_CtrDiff ? BST_CHECKED : BST_UNCHECKED);
  const int32_t w = Win.Cursor_HalfWidth;
  const double lo = DisplayFreqUnitConvert(DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, Win.Cursor_X - w), 0.0);
  const double hi = DisplayFreqUnitConvert(DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, Win.Cursor_X + w), 0.0);
  SetText(dialog, IDC_CI_FRQ_LOW, FreqText(lo));
  SetText(dialog, IDC_CI_FRQ_HIGH, FreqText(hi));
  SetText(dialog, IDC_CI_FRQ_MID, FreqText(Win.CurInfo_CtrDiff ? 0.5 * (lo + hi) : hi - lo));
  InvalidateRect(GetDlgItem(dialog, IDC_DD_SWATCH), nullptr, TRUE);
}

void CursorInfoCommand(HWND dialog, WORD id, WORD code) {
  const int16_t c = ValidChn(Win.CurInfo_Chn) ? Win.CurInfo_Chn : 0;
  auto checked = [&](int box) -> uint32_t { return IsDlgButtonChecked(dialog, box) == BST_CHECKED ? 1u : 0u; };
  switch (id) {
    case IDC_CI_LOW:
    case IDC_CI_HIGH: {
      if (Dsp.Chn_DspStat[c] != 1) {
        NotDisplayedWarning(c);
        return;
      }
      const int32_t w = Win.Cursor_HalfWidth;
      const int32_t lo = DisplayPixelToPoint(Win.View_Level, Win.Cursor_X - w);
      const int32_t hi = DisplayPixelToPoint(Win.View_Level, Win.Cursor_X + w);
      FileGetAveValue(c, id == IDC_CI_LOW ? 1 : 0, DisplayDataPath(Dsp.Chn_Flnm[c]).c_str(), lo, hi);
      Repaint(id == IDC_CI_LOW ? "CB_27P" : "CB_28P");
      break;
    }
    case IDC_CI_ADJ_CROSS:
      Win.CurInfo_AdjCross = checked(IDC_CI_ADJ_CROSS);
      if (Win.CurInfo_AdjCross) Win.Cursor_Changed = 1;
      return;
    case IDC_CI_INTG:
      Win.CurInfo_Intg = checked(IDC_CI_INTG);
      if (Win.CurInfo_Intg) Win.Cursor_Changed = 1;
      return;
    case IDC_CI_CTR_DIFF:
      Win.CurInfo_CtrDiff = checked(IDC_CI_CTR_DIFF);
      Repaint("CB_26P");
      break;
    case IDC_DD_CHN_LIST:
      if (code == LBN_SELCHANGE) {
        const LRESULT row = SendDlgItemMessage(dialog, IDC_DD_CHN_LIST, LB_GETCURSEL, 0, 0);
        if (row >= 0 && row <= 8) ChannelKey(static_cast<int16_t>(row));
        Repaint("CB_29P");
        if (Win.hWnd_Main) SetFocus(Win.hWnd_Main);
      }
      return;
    case IDCANCEL:
      Win.CurInfo_Lock = 0;
      Win.CurInfo_Shown = 0;
      DisplayCursorInfoDialogShow(0, Win.hWnd_Main);
      return;
    default:
      return;
  }
  CursorInfoRefresh(dialog);
}

// Channel and colour scroll bars, shared by both dialogs.
void DialogScroll(HWND dialog, WPARAM wParam, LPARAM lParam, bool scalarOffset) {
  const HWND bar = reinterpret_cast<HWND>(lParam);
  const int id = GetDlgCtrlID(bar);
  const WORD code = LOWORD(wParam);
  if (scalarOffset && (id == IDC_SO_SCL_TRACK || id == IDC_SO_OFS_TRACK)) {
    ScalarOffsetTrack(dialog, wParam, lParam);
    return;
  }
  if (code != SB_LINEUP && code != SB_LINEDOWN) return;
  if (id == IDC_DD_CHN_SCROLL) {
    int16_t* chn = scalarOffset ? &Dsp.SclOfs_Chn : &Win.CurInfo_Chn;
    ChannelScroll(chn, code);
    if (scalarOffset) {
      ScalarOffsetRefresh(dialog);
      if (Win.CurInfo_Shown) Refresh(Win.CurInfo_Hwnd);
    } else {
      CursorInfoRefresh(dialog);
      if (Dsp.SclOfs_Shown) Refresh(Dsp.SclOfs_Hwnd);
      Repaint("CB_29P");
    }
    ChannelStatus(*chn);
  } else if (scalarOffset && id == IDC_DD_RGB_SCROLL) {
    const int16_t a = ValidChn(Win.Active_Chn) ? Win.Active_Chn : 9;
    Dsp.Chn_ColorNo[a] = DisplayColorStep(Dsp.Chn_ColorNo[a], code == SB_LINEUP ? -1 : 1);
    InvalidateRect(GetDlgItem(dialog, IDC_DD_SWATCH), nullptr, TRUE);
    Repaint(code == SB_LINEUP ? "CB_23P" : "CB_24P");
  }
}

}  // namespace

uint32_t DisplayModelessShow(uint32_t show, HWND owner, HWND* handle, uint32_t* shown, uint32_t* guard,
                             int templateId, DLGPROC procedure, const char* failure) {
  if (*guard) return *shown;
  *guard = 1;
  if (show == 1) {
    if (!*handle || !IsWindow(*handle)) {
      *handle = CreateDialog(Win.hInst, MAKEINTRESOURCE(templateId), owner, procedure);
      if (!*handle) {
        MessageBox(Win.hWnd_Main, failure, "Error", kErrorBox);
        *shown = 0;
        *guard = 0;
        return 0;
      }
    }
    SendMessage(*handle, WM_INITDIALOG, 0, 0);
    if (!IsWindowVisible(*handle)) ShowWindow(*handle, SW_SHOW);
    *shown = 1;
  } else {
    if (*handle && IsWindow(*handle) && IsWindowVisible(*handle)) ShowWindow(*handle, SW_HIDE);
    *shown = 0;
  }
  *guard = 0;
  return show == 1 ? 1 : 0;
}

INT_PTR DspScalarOffsetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      ScalarOffsetRefresh(dialog);
      return 1;
    case WM_COMMAND:
      ScalarOffsetCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return 1;
    case WM_VSCROLL:
      DialogScroll(dialog, wParam, lParam, true);
      return 1;
    case WM_CTLCOLORSTATIC:
      return SwatchBrush(lParam);
    default:
      return 0;
  }
}

INT_PTR CursorInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      CursorInfoRefresh(dialog);
      return 1;
    case WM_COMMAND:
      CursorInfoCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return 1;
    case WM_VSCROLL:
      DialogScroll(dialog, wParam, lParam, false);
      return 1;
    case WM_CTLCOLORSTATIC:
      return SwatchBrush(lParam);
    default:
      return 0;
  }
}

uint32_t DisplayScalarOffsetDialogShow(uint32_t show, HWND owner) {
  return DisplayModelessShow(show, owner, &Dsp.SclOfs_Hwnd, &Dsp.SclOfs_Shown, &Dsp.SclOfs_Guard,
                             IDD_DSP_SCALAR_OFFSET, DspScalarOffsetDialogProc, "FAILED TO CREATE DSP SCALE/OFFSET DIALOG");
}

uint32_t DisplayCursorInfoDialogShow(uint32_t show, HWND owner) {
  return DisplayModelessShow(show, owner, &Win.CurInfo_Hwnd, &Win.CurInfo_Shown, &Win.CurInfo_Guard,
                             IDD_CURSOR_INFO, CursorInfoDialogProc, "FAILED TO CREATE CURSOR INFO DIALOG");
}
