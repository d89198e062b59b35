#include "display/ViewKeys.h"

#include <cmath>

#include "filelib/FileManip.h"
#include "filelib/Markers.h"
#include "core/Threads.h"
#include "core/Coords.h"
#include "display/ViewFiles.h"
#include "display/ViewKeysInternal.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

namespace viewkeys {

int32_t Trunc32(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return 2147483647;
  if (x <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int32_t>(x);
}

double Ppp(int16_t v) {
  int level = v < 0 ? 0 : (v > WIN_RAW ? WIN_RAW : v);
  if (Dsp.Pts2Pxl[level] == 0.0) Dsp.Pts2Pxl[level] = 1.0;
  return Dsp.Pts2Pxl[level];
}

void MainStatus(int part, const char* text) {
  if (Win.hWnd_StatusBar && IsWindow(Win.hWnd_StatusBar))
    SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

void Warning(const char* text) { MessageBox(Win.hWnd_Main, text, "Warning", MB_SYSTEMMODAL | MB_ICONWARNING); }

void RefreshDialog(HWND dialog) {
  if (dialog && IsWindow(dialog)) SendMessage(dialog, WM_INITDIALOG, 0, 0);
}

}  // namespace viewkeys

using namespace viewkeys;

namespace {

void RefreshScalarOffsetDialog() {
  if (Dsp.SclOfs_Shown && Dsp.SclOfs_Hwnd && IsWindow(Dsp.SclOfs_Hwnd))
    SendMessage(Dsp.SclOfs_Hwnd, WM_COMMAND, static_cast<WPARAM>(IDC_SCLOFS_REFRESH), 0);
}

void ScaleChannel(int16_t c, double factor) {
  double old = Dsp.Chn_Scalar[c];
  double now = old * factor;
  Dsp.Chn_Scalar[c] = now;
  if (Dsp.Chn_OfsFix[c] == 0 && now != 0.0) Dsp.Chn_Offset[c] = old / now * Dsp.Chn_Offset[c];
  RefreshScalarOffsetDialog();
}

void MoveOffset(int16_t c, double sign) {
  double step = Dsp.Chn_ScaleStat[c] == 1 ? Win.Cursor_Step : 0.01 * Win.Cursor_Step;
  Dsp.Chn_Offset[c] += sign * step;
  RefreshScalarOffsetDialog();
}

// ---- channel keys -------------------------------------------------------------------

int ShownIndex(int16_t n) {
  int count = Win.Shown_Count < 0 ? 0 : (Win.Shown_Count > 9 ? 9 : Win.Shown_Count);
  for (int i = 0; i < count; ++i)
    if (Win.Shown_List[i] == n) return i;
  return -1;
}

// The scalar/offset and cursor-info dialogs show the active channel: when it goes,
// their refresh locks are released and they are filled again.
void RefreshChannelDialogs() {
  if (Dsp.SclOfs_Shown) {
    Dsp.SclOfs_Lock = 0;
    RefreshDialog(Dsp.SclOfs_Hwnd);
  }
  if (Win.CurInfo_Shown) {
    Win.CurInfo_Lock = 0;
    RefreshDialog(Win.CurInfo_Hwnd);
  }
}

void ChannelKey(int16_t n) {
  if (ThreadCtl.View_Busy != 0) {
    MainStatus(0, "WAIT - VIEW PROCESSING RUNNING");
    return;
  }
  if (Win.Shown_Count < 0 || Win.Shown_Count > 9) Win.Shown_Count = 0;
  int at = ShownIndex(n);
  if (at >= 0) {
    // The display flag follows the list, so a shown channel is always in it.
    Dsp.Chn_DspStat[n] = 0;
    for (int i = at; i + 1 < Win.Shown_Count; ++i) Win.Shown_List[i] = Win.Shown_List[i + 1];
    --Win.Shown_Count;
    Win.Shown_List[Win.Shown_Count] = 0;
    if (Win.Shown_Count == 0) {
      Win.Active_Chn = 9;
      RefreshChannelDialogs();
    } else {
      Win.Active_Chn = Win.Shown_List[0];
    }
  } else {
    Dsp.Chn_DspStat[n] = 1;
    Win.Shown_List[Win.Shown_Count++] = n;
    Win.Active_Chn = n;
  }
  if (ThreadCtl.View_Busy == 0) {
    ThreadCtl.View_Busy = 1;
    Win.ViewPageType = 0;
    Win.ViewPrep = 1;
    if (FunctionThreadCreate(DisplayQviQvoSetup) != 1) ThreadCtl.View_Busy = 0;
  }
}

// ---- view level ---------------------------------------------------------------------

// The level has data for channel c: the raw level always, the others with a view file.
bool LevelHasData(int level, int16_t c) { return level == WIN_RAW || Win.ViewKind[level][c] != 2; }

// 'x' (up) and 'X'/'o': the next level with data; the page is then centred on the
// cursor's raw point and the cursor kept on its frequency. Near the end of the file a
// view level's page keeps its centre on the end (its page reader fills half a page
// there); the raw page ends with the file, as the raw page reader will read it, before
// the cursor is placed on that page.
void ChangeLevel(bool up) {
  int16_t c = Win.Active_Chn;
  const int16_t level = Win.View_Level;
  int16_t v = level < 0 || level > WIN_RAW ? 0 : level;
  double fc = DisplayPixelToFreqRel(v, Win.Cursor_X);
  Win.Page_Start = Trunc32(Win.Page_Start + Win.Cursor_X * Ppp(v) + 0.5);
  int16_t next = v;
  bool found = false;
  for (int level = up ? v + 1 : v - 1; up ? level <= WIN_RAW : level >= 0; level += up ? 1 : -1) {
    if (LevelHasData(level, c)) {
      next = static_cast<int16_t>(level);
      found = true;
      break;
    }
  }
  Win.View_Level = next;
  char text[100];
  StrFormat(text, "VIEW=%s", Win.View_Lbl[next]);
  if (!found) StrAppend(text, up ? " - FULLY EXPANDED" : " - FULLY CONTRACTED");
  MainStatus(2, text);

  int32_t h = Win.Page_Width / 2;
  double ppp = Ppp(next);
  Win.Page_Start = Trunc32(Win.Page_Start - h * ppp + 0.5);
  if (static_cast<double>(DisplayPixelToPoint(next, h)) > static_cast<double>(Dsp.FL_SZ[WIN_RAW][c]))
    Win.Page_Start = Trunc32(Dsp.FL_SZ[WIN_RAW][c] - h * ppp + 0.5);
  if (Win.Page_Start < 0) Win.Page_Start = 0;
  if (next == WIN_RAW) Win.Page_Start = DisplayRawPageFirst(c, Win.Page_Start, Win.Page_Width);
  Win.Cursor_X = DisplayFreqToPixel(next, fc);
}

// ---- file averages and positions ----------------------------------------------------

// 'h' and 'l': the mean of channel c's file across the cursor window.
void CursorWindowAverage(int16_t c, int32_t slot) {
  int16_t v = Win.View_Level;
  int32_t lo = DisplayPixelToPoint(v, Win.Cursor_X - Win.Cursor_HalfWidth);
  int32_t hi = DisplayPixelToPoint(v, Win.Cursor_X + Win.Cursor_HalfWidth);
  FileGetAveValue(c, slot, Dsp.Chn_Flnm[c], lo, hi);
  Win.Cursor_Window_On = 0;
  Win.Cursor_Window_Set = 1;
}

// 'P': the raw point at the cursor goes into the marker file (one field per line).
void SaveFilePosition() {
  char text[400];
  if (Win.View_Level != WIN_RAW) {
    StrFormat(text, "WRITE OF FILE POSITION FAILED TO ASCII FILE=[%s]\n\nEXPAND TO RAW DATA VIEW", Cnl.Mks_Flnm);
    Warning(text);
    return;
  }
  char line[40];
  StrFormat(line, "%d\n", DisplayPixelToPoint(WIN_RAW, Win.Cursor_X));
  if (ManMarkerAddDelete(Cnl.Mks_Flnm, line, 1) == 1) {
    StrFormat(text, "FILE POSITION SAVED TO FILE=[%s]", Cnl.Mks_Flnm);
    MainStatus(2, text);
  } else {
    StrFormat(text, "WRITE OF FILE POSITION FAILED TO ASCII FILE=[%s]", Cnl.Mks_Flnm);
    Warning(text);
  }
}

void UnitStatus() {
  if (Dsp.Units_Idx == Dsp.Units_IdxData && Dsp.Harm_Idx == Dsp.Harm_IdxData) MainStatus(2, "");
}

}  // namespace

int32_t DisplayCursorKey(int32_t source, HWND window, int32_t virtualKey, int32_t flags) {
  (void)window;
  int16_t c = Win.Active_Chn;
  if (c < 0 || c > 8) return 0;
  if (virtualKey != VK_LEFT && virtualKey != VK_RIGHT && virtualKey != VK_UP && virtualKey != VK_DOWN) return 0;
  // Modifiers come from the keyboard for source 0 and from the command otherwise: the
  // key data of a keystroke is no modifier.
  int32_t command = source == 0 ? 0 : flags;
  bool shift = (source == 0 && GetKeyState(VK_SHIFT) < 0) || command == CURSOR_KEY_SHIFT;
  bool ctrl = (source == 0 && GetKeyState(VK_CONTROL) < 0) || command == CURSOR_KEY_CTRL;
  int32_t step = Trunc32(Win.Cursor_Step);
  int16_t v = Win.View_Level;
  int32_t halfPage = Trunc32(Trunc32(Win.Page_Width / 2) * Ppp(v) + 0.5);
  switch (virtualKey) {
    case VK_LEFT:
      if (shift) {
        Win.Page_Start -= halfPage;
      } else {
        Win.Cursor_X -= step;
        if (Win.Cursor_X < 0) Win.Cursor_X = 0;
      }
      break;
    case VK_RIGHT:
      if (shift) {
        Win.Page_Start += halfPage;
      } else {
        Win.Cursor_X += step;
        if (Win.Cursor_X >= Win.Page_Width) Win.Cursor_X = Win.Page_Width - 1;
      }
      break;
    case VK_UP:
      if (ctrl) {
        MoveOffset(c, 1.0);
      } else if (command == CURSOR_KEY_SCALE_UP) {
        ScaleChannel(c, 2.0);
      } else if (Win.Cursor_Window_On == 1) {
        Win.Cursor_HalfWidth += step;
      } else {
        Win.Cursor_Y -= step;
        if (Win.Cursor_Y < Win.Plot_Top + Win.Plot_Y0) Win.Cursor_Y = Win.Plot_Top + Win.Plot_Y0;
      }
      break;
    default:  // VK_DOWN
      if (ctrl) {
        MoveOffset(c, -1.0);
      } else if (command == CURSOR_KEY_SCALE_DOWN) {
        ScaleChannel(c, 0.5);
      } else if (Win.Cursor_Window_On == 1) {
        Win.Cursor_HalfWidth -= step;
        if (Win.Cursor_HalfWidth < 1) Win.Cursor_HalfWidth = 1;
      } else {
        Win.Cursor_Y += step;
        if (Win.Cursor_Y > Win.Plot_Bottom + Win.Plot_Y0) Win.Cursor_Y = Win.Plot_Bottom + Win.Plot_Y0;
      }
      break;
  }
  return 1;
}

int32_t DisplayViewKey(HWND window, int32_t key, LPARAM lParam) {
  (void)lParam;
  bool digit = key >= '0' && key <= '8';
  int16_t c = Win.Active_Chn;
  if ((c < 0 || c > 8) && !digit) return 0;
  if (digit) {
    ChannelKey(static_cast<int16_t>(key - '0'));
    return 1;
  }
  int16_t v = Win.View_Level;
  int32_t x = Win.Cursor_X;
  switch (key) {
    case 'x':
      ChangeLevel(true);
      break;
    case 'X':
    case 'o':
      ChangeLevel(false);
      break;
    case 'C': {
      char text[300];
      StrFormat(text,
                "DEFINE INITIAL ABSOLUTE FREQUENCY=[%lf] (DEFINED IN ANALYSIS DIALOG)\nAT CURSOR LOCATION [YES] | "
                "ABORT [NO]?",
                Dsp.Init_Frq);
      if (MessageBox(Win.hWnd_Main, text, "Question", MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO) == IDYES)
        Dsp.Init_Frq = Dsp.Init_Frq - DisplayPixelToFreqRel(v, x);
      break;
    }
    case 'F': {
      Win.FFT_Smooth_On = Win.FFT_Smooth_On ? 0 : 1;
      char text[100];
      if (Win.FFT_Smooth_On)
        StrFormat(text, "FFT SMOOTHING ENABLED - WIN=[%.3f]", static_cast<double>(Cnv.FFT_SmoothWin));
      else
        StrCopy(text, "FFT SMOOTHING DISABLED");
      MainStatus(2, text);
      break;
    }
    case 'f':
      DisplayCursorInfoWrite();
      break;
    case 'h':
      CursorWindowAverage(c, 0);
      break;
    case 'l':
      CursorWindowAverage(c, 1);
      ViewKeySimLabelSwitch(true);
      break;
    case 'w':
      Win.Cursor_Window_On = Win.Cursor_Window_On ? 0 : 1;
      Win.Cursor_Window_Set = 1;
      break;
    case 'W':
      Win.Cursor_Window_Set = 0;
      Win.Cursor_Window_On = 0;
      Win.Cursor_HalfWidth = 10;
      break;
    case 'm':
    case 'M': {
      int mark = key == 'm' ? 0 : 1;
      Win.Pt_Lim[0][mark] = Trunc32(Win.Page_Start + x * Ppp(v));
      if (Win.Pt_Lim[0][0] == Win.Pt_Lim[0][1]) Win.Pt_Lim[0][0] = Win.Pt_Lim[0][1] = 0;
      break;
    }
    case 't':
    case 'T':
      if (Dsp.Pts_FSR != 0) {
        int mark = key == 't' ? 0 : 1;
        Win.Pt_Lim[0][mark] = Win.Pt_Lim[0][mark] == 1 ? 0 : 1;
      }
      break;
    case 'P':
      SaveFilePosition();
      break;
    case 'r':
      Win.Rel_On = Win.Rel_On ? 0 : 1;
      if (Win.Rel_On) {
        Win.Rel_Freq = DisplayPixelToFreqAt(v, Win.Page_Start, x);
        Win.Rel_Point = DisplayPixelToPoint(v, x);
      } else {
        Win.Rel_Freq = 0.0;
        Win.Rel_Point = 0;
      }
      break;
    case 's':
      if (Trunc32(10.01 * Win.Cursor_Step) == 1) Win.Cursor_Step = 1000.0;
      Win.Cursor_Step *= 0.1;
      break;
    case 'u':
      Dsp.Units_Idx = static_cast<int16_t>(Dsp.Units_Idx >= 2 || Dsp.Units_Idx < 0 ? 0 : Dsp.Units_Idx + 1);
      UnitStatus();
      break;
    case 'U':
      Dsp.Harm_Idx = static_cast<int16_t>(Dsp.Harm_Idx >= 3 || Dsp.Harm_Idx < 0 ? 0 : Dsp.Harm_Idx + 1);
      UnitStatus();
      break;
    default:
      // The simulation-set keys; any other key has no action and still repaints.
      ViewKeySim(window, key);
      break;
  }
  return 1;
}
