// View keys that act on the simulation sets: display of sets A and B and their sum,
// the current set's scalar and reference frequency, labels, the cursor-window
// selection for assignment and the assignment keys.
#include <cmath>
#include <cstdint>

#include "core/Coords.h"
#include "display/Hooks.h"
#include "display/ViewKeysInternal.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"

using namespace viewkeys;

namespace {

// An open simulation control dialog shows the sets' display values: fill it again.
void RefreshControlDialog() {
  if (Sim.Ctl_Shown) RefreshDialog(Sim.Ctl_Hwnd);
}

bool IsSet(int16_t s) { return s >= 0 && s < SIM_SETS; }

// '[' and ']': display of set A or B.
void ToggleSetDisplay(int16_t s) {
  if (Sim.FI_Lines[s] > 0) {
    Sim.Dsp_Stat[s] = Sim.Dsp_Stat[s] ? 0 : 1;
    if (Sim.Dsp_Stat[s]) Sim.Cur_Set = s;
    Sim.AB_Sum = 0;
    Sim.Sum_Stat[0] = Sim.Sum_Stat[1] = 0;
  } else {
    char text[300];
    StrFormat(text, "[%s] SIM [%s] - READ SIM FIRST", Sim.Set_Lbl[s], Sim.Sim_Flnm[s]);
    MainStatus(3, text);
  }
  if (DisplayHooks.simDialogsUpdate) DisplayHooks.simDialogsUpdate(s, 1);
  RefreshControlDialog();
}

// '+': sets A and B drawn as their sum; switched on only while both are displayed.
void ToggleSum() {
  if (Sim.AB_Sum)
    Sim.AB_Sum = 0;
  else if (Sim.Dsp_Stat[0] && Sim.Dsp_Stat[1])
    Sim.AB_Sum = 1;
  Sim.Sum_Stat[0] = Sim.Sum_Stat[1] = Sim.AB_Sum;
  RefreshControlDialog();
}

void ClearReferences(bool keepMegahertz) {
  double f0 = keepMegahertz ? std::trunc(Dsp.Init_Frq * 1.0e-6) * 1.0e6 : 0.0;
  for (int s = 0; s < SIM_SETS; ++s) {
    Sim.Ref_Frq[s] = f0;
    Sim.Shift_Stat[s] = 0;
    Sim.Frq_Shift[s] = 0.0;
    Sim.Frq_ShiftRef[s] = 0.0;
  }
  MainStatus(3, "");
  RefreshControlDialog();
}

}  // namespace

void ViewKeySimLabelSwitch(bool assignedOnly) {
  uint32_t& flag = assignedOnly ? Sim.Lbl_AsnOnly : Sim.Lbl_Stat;
  flag = flag ? 0 : 1;
  RefreshControlDialog();
}

// 'j': the cursor window becomes the window in which the sets look for candidates.
void ViewKeySimSelectWindow(int16_t s) {
  int16_t v = Win.View_Level;
  int16_t c = Win.Active_Chn;
  if (Sim.Auto_Ctr == 1 && Sim.Edit_Stat[s] == 0) {
    // Centring keeps the cursor on the same view point, which every channel shares.
    double f = DisplayPixelToFreqAt(v, Win.Page_Start, Win.Cursor_X);
    int32_t first = Win.Page_Start;
    int32_t pixel = Win.Cursor_X;
    if (DisplayCenterOnFreq(v, c, f, &first, &pixel) == 1) {
      Win.Page_Start = first;
      Win.Cursor_X = pixel;
    } else {
      char text[200];
      StrFormat(text, "FRQ [%lf] NOT IN RANGE", f);
      MainStatus(2, text);
    }
  }
  int32_t x = Win.Cursor_X;
  Sim.Asn_CursorX = x;
  // The window's frequencies on the scale of the channel the set is drawn over.
  double lo = DisplayPixelToFreqOn(v, Sim.Dsp_Cnl[s], Win.Page_Start, x - Win.Cursor_HalfWidth);
  double hi = DisplayPixelToFreqOn(v, Sim.Dsp_Cnl[s], Win.Page_Start, x + Win.Cursor_HalfWidth);
  if (lo > hi) {
    double swap = lo;
    lo = hi;
    hi = swap;
  }
  Win.Cursor_Freq_Lo = lo;
  Win.Cursor_Freq_Hi = hi;
  for (int set = 0; set < SIM_SETS; ++set) {
    if (!Sim.Dsp_Stat[set]) continue;
    Sim.QN_Request[set] = 1;
    if (Sim.QC_STAT[set] == 1) Quad.QN_Request[set] = 1;
  }
  Sim.Redraw = 1;
  RefreshControlDialog();
}

void ViewKeySim(HWND window, int32_t key) {
  int16_t s = Sim.Cur_Set;
  switch (key) {
    case '[':
      ToggleSetDisplay(0);
      return;
    case ']':
      ToggleSetDisplay(1);
      return;
    case '+':
      ToggleSum();
      return;
    case 'c':
      Sim.Ctl_Shown = Sim.Ctl_Shown ? 0 : 1;
      Sim.Ctl_Shown = DisplayHooks.simControlDialogShow
                          ? static_cast<uint32_t>(DisplayHooks.simControlDialogShow(Sim.Ctl_Shown, window))
                          : 0;
      return;
    case 'L':
      ViewKeySimLabelSwitch(false);
      return;
    case 'z':
      ClearReferences(false);
      return;
    case 'Z':
      ClearReferences(true);
      return;
    default:
      break;
  }
  if (!IsSet(s)) return;
  switch (key) {
    case '&':
      Sim.Dsp_Scalar[s] *= 2.0;
      RefreshControlDialog();
      break;
    case '^':
      Sim.Dsp_Scalar[s] *= 0.5;
      RefreshControlDialog();
      break;
    case 'R':
      Sim.Shift_Stat[s] = Sim.Shift_Stat[s] ? 0 : 1;
      if (Sim.Shift_Stat[s])
        Sim.Frq_ShiftRef[s] = DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, Win.Cursor_X) - Sim.Frq_Shift[s];
      RefreshControlDialog();
      break;
    case 'j':
      ViewKeySimSelectWindow(s);
      break;
    case 'J':
      Sim.Dlg_Req[SIM_DLG_JKKQN][s] =
          DisplayHooks.simJkkQNDialogShow ? DisplayHooks.simJkkQNDialogShow(s, 0, Win.hWnd_Main) : 0;
      RefreshControlDialog();
      break;
    case ' ':
      if (Sim.FI_Lines[s] > 0 && DisplayHooks.simSelectNext) DisplayHooks.simSelectNext(s);
      Sim.Redraw = 1;
      break;
    case 'k':
    case 'K': {
      int32_t changed = 0;
      if (Sim.FI_Lines[s] > 0) {
        if (key == 'k') {
          double fa = DisplayPixelToFreqOn(Win.View_Level, Sim.Dsp_Cnl[s], Win.Page_Start, Win.Cursor_X) -
                      Sim.Ref_Frq[s];
          if (DisplayHooks.simAssign) changed = DisplayHooks.simAssign(s, fa);
        } else {
          if (DisplayHooks.simUnassign) changed = DisplayHooks.simUnassign(s);
        }
      }
      if (changed == 1) {
        Sim.Asn_Modified[s] = 1;
        // A line added or deleted by hand changes the candidates in the cursor window.
        if (Sim.Edit_Stat[s]) ViewKeySimSelectWindow(s);
      } else {
        char text[300];
        StrFormat(text, "[%s] SIM [%s] ASNS NOT MODIFIED", Sim.Set_Lbl[s], Sim.Sim_Flnm[s]);
        MainStatus(0, text);
      }
      Sim.Redraw = 1;
      RefreshControlDialog();
      break;
    }
    default:
      break;
  }
}
