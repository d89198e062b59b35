// The JKK QN dialog of a set: five rows of its QN list with their labels, intensities,
// frequencies and uncertainties, the row selection, the scroll bar and the buttons that
// hand assigning, clearing and centring to the main window's keys.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "display/ViewKeys.h"
#include "platform/kernel/Text.h"
#include "records/Quad.h"
#include "records/Win.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimItn.h"

using namespace simdlg;

namespace {

constexpr int kRows = 5;

bool ValidLine(int16_t s, int32_t line) {
  return line >= 0 && static_cast<uint32_t>(line) < Sim.FI_Lines[s] && Sim.FI_Sim_Erg[s] != nullptr;
}

int32_t Count(int16_t s) { return Sim.FI_QN_List_Ary[s] ? Sim.FI_QN_List_Cnt[s] : 0; }

// Every command makes this dialog the set's active assignment list and its set current.
void MakeActive(int16_t s) {
  Sim.Cur_Set = s;
  Sim.QN_FromList[s] = 1;
  Sim.QN_FromCD[s] = 0;
  Quad.QN_FromList[s] = 0;
}

void Key(HWND d, char key) { DisplayViewKey(d, key, 0); }

std::string Intensity(double v) {
  const double a = std::fabs(v);
  return a > 1000.0 || a < 0.001 ? StrPrintf("%.4e", v) : StrPrintf("%.6f", v);
}

std::string Uncertainty(double u) {
  if (u == 0.0) return "";
  return u >= 0.001 && u <= 100.0 ? StrPrintf("%.4f", u) : StrPrintf("%.2e", u);
}

void ClearRow(HWND d, int r) {
  SetText(d, 815 + r, "");
  for (int k = 0; k < 6; ++k) SetText(d, 820 + 6 * r + k, "");
  for (int k = 0; k < 2; ++k) SetText(d, 850 + 2 * r + k, "");
  for (int base : {860, 870, 880, 890}) SetText(d, base + r, "");
}

void ShowRow(HWND d, int16_t s, int r, int32_t line) {
  const bool ht = Sim.HT_Global_Stat[s] == 1 && Sim.HT_Mol_Lbl[s];
  if (ht)
    SetText(d, 815 + r, StrPrintf("%d", Sim.HT_Mol_Lbl[s][line] % 10));
  else if (Sim.FI_BT_Lbl[s])
    SetText(d, 815 + r, std::string(1, Sim.FI_BT_Lbl[s][line]));
  if (Sim.FI_Jkk_Lbl[s])
    for (int k = 0; k < 6; ++k) SetText(d, 820 + 6 * r + k, StrPrintf("%hd", Sim.FI_Jkk_Lbl[s][6 * line + k]));
  if (Sim.FM_STAT[s] == 1 && Sim.FI_FM_Lbl[s])
    for (int k = 0; k < 2; ++k) SetText(d, 850 + 2 * r + k, StrPrintf("%.1f", Sim.FI_FM_Lbl[s][2 * line + k]));
  SetText(d, 860 + r, Intensity(SimFIItnCalc(s, line)));
  const double sim = Sim.FI_Sim_Erg[s][line];
  SetText(d, 870 + r, StrPrintf("%.4lf", sim));
  const double exp = Sim.FI_Exp_Erg[s] ? Sim.FI_Exp_Erg[s][line] : 0.0;
  SetText(d, 880 + r, exp == 0.0 ? "" : StrPrintf("%.4lf", Sim.QN_ShowOC[s] == 1 ? exp - sim : exp));
  if (ht)
    SetText(d, 890 + r, StrPrintf("%d", static_cast<int>(line)));
  else
    SetText(d, 890 + r, Uncertainty(Sim.FI_Exp_Unc[s] ? Sim.FI_Exp_Unc[s][line] : 0.0));
}

void Refresh(HWND d, int16_t s) {
  const int32_t count = Count(s);
  for (int r = 0; r < kRows && Sim.QN_Scan[s] == 1; ++r) {
    const int32_t p = Sim.FI_QN_List_Top[s] + r;
    Check(d, 810 + r, p == Sim.FI_QN_List_Sel[s]);
    ClearRow(d, r);
    if (p >= count || (p == 0 && Sim.Edit_Stat[s] == 1)) continue;
    const int32_t line = Sim.FI_QN_List_Ary[s][p];
    if (ValidLine(s, line)) ShowRow(d, s, r, line);
  }
  Check(d, 8167, Sim.QN_SortItn[s] == 1);
  Check(d, 8168, Sim.QN_ShowOC[s] == 1);
  Check(d, 8164, Sim.Auto_Ctr == 1);
  Check(d, 8170, Sim.QN_Freeze[s] == 1);
  Check(d, 746, Sim.Dlg_Req[SIM_DLG_COMBDIFF][s] == 1);
  SetText(d, 8169, StrPrintf("%.4f", Sim.Asn_StdUnc[s]));
  for (int id = 810; id < 900; ++id)
    if (GetDlgItem(d, id)) ClearModified(d, id);
  ClearModified(d, 8169);
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
  if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) SetFocus(Win.hWnd_Main);
}

void RepaintAfter(const char* tag, bool redraw) {
  if (redraw) Sim.Redraw = 1;
  Repaint(tag);
}

// The list position of row r, clamped to the last entry.
int32_t RowPosition(int16_t s, int r) {
  const int32_t count = Count(s);
  return std::clamp(Sim.FI_QN_List_Top[s] + r, 0, std::max(count - 1, 0));
}

void ScrollList(HWND d, int16_t s, bool up) {
  const int32_t count = Count(s);
  if (count == 0) {
    if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) SetFocus(Win.hWnd_Main);
    return;
  }
  if (up) {
    Sim.FI_QN_List_Sel[s] = std::max(Sim.FI_QN_List_Sel[s] - 1, 0);
    Sim.FI_QN_List_Top[s] = std::max(Sim.FI_QN_List_Top[s] - 1, 0);
  } else if (Sim.FI_QN_List_Sel[s] < count - 1) {
    ++Sim.FI_QN_List_Sel[s];
    if (Sim.FI_QN_List_Sel[s] >= kRows) ++Sim.FI_QN_List_Top[s];
  }
  Sim.QN_Sel_Line[s] = Sim.FI_QN_List_Ary[s][Sim.FI_QN_List_Sel[s]];
  if (Sim.Dlg_Shown[SIM_DLG_QUADQN][s] == 1) simdlg::Refresh(Sim.Dlg_Hwnd[SIM_DLG_QUADQN][s]);
  simdlg::Refresh(d);
  RepaintAfter(up ? "CB2_32P" : "CB2_31P", true);
}

void ToggleCombDiff(HWND d, int16_t s) {
  uint32_t& req = Sim.Dlg_Req[SIM_DLG_COMBDIFF][s];
  req = req == 1 ? 0u : 1u;
  if (req == 1) {
    Sim.Edit_Stat[s] = 0;
    Sim.Auto_Ctr = 1;
    req = SimJkkCombDiffDialogShow(s, 1, Win.hWnd_Main);
  } else {
    SimJkkCombDiffDialogShow(s, 0, Win.hWnd_Main);
    Sim.QN_FromCD[s] = 0;
    for (int k = 0; k < 3; ++k) {
      Sim.FI_CD_List_Tot[s][k] = 0;
      LFree1Dim(&Sim.FI_CD_List_Ary[s][k]);
    }
  }
  Check(d, 746, req == 1);
  Sim.Redraw = 1;
  Repaint("CB2_33bP");
}

void Close(int16_t s) {
  Sim.Dlg_Req[SIM_DLG_JKKQN][s] = SimJkkQNDialogShow(s, 0, Win.hWnd_Main);
  Sim.Dlg_Req[SIM_DLG_QUADQN][s] = SimQuadQNDialogShow(s, 0, Win.hWnd_Main);
  Sim.Dlg_Req[SIM_DLG_COMBDIFF][s] = SimJkkCombDiffDialogShow(s, 0, Win.hWnd_Main);
  RefreshControl();
}

void Command(HWND d, int16_t s, int id, WORD code) {
  if (id == IDCANCEL) {
    Close(s);
    return;
  }
  if (id == 8164) {
    Sim.Auto_Ctr = Checked(d, id) ? 1 : 0;
    return;
  }
  MakeActive(s);
  const int32_t count = Count(s);
  if (id >= 810 && id < 810 + kRows) {
    if (code != BN_CLICKED) return;
    Sim.FI_QN_List_Sel[s] = RowPosition(s, id - 810);
    if (count > 0) Sim.QN_Sel_Line[s] = Sim.FI_QN_List_Ary[s][Sim.FI_QN_List_Sel[s]];
    RepaintAfter("CB2_37P", true);
    return;
  }
  switch (id) {
    case 895:
      Key(d, 'j');
      Repaint("CB2_34P");
      return;
    case 896:
      for (int r = 0; r < kRows; ++r)
        if (Checked(d, 810 + r)) Sim.FI_QN_List_Sel[s] = RowPosition(s, r);
      Key(d, 'k');
      Repaint("CB2_35P");
      return;
    case 897:
      for (int r = kRows - 1; r >= 0; --r)
        if (Checked(d, 810 + r)) Sim.FI_QN_List_Sel[s] = RowPosition(s, r);
      Key(d, 'K');
      Repaint("CB2_36P");
      return;
    case 8167:
      Sim.QN_SortItn[s] = Checked(d, id) ? 1 : 0;
      Key(d, 'j');
      Repaint("CB2_42P");
      return;
    case 8168:
      Sim.QN_ShowOC[s] = Checked(d, id) ? 1 : 0;
      Key(d, 'j');
      Repaint("CB2_43P");
      return;
    case 8170:
      Sim.QN_Freeze[s] = Sim.QN_Freeze[s] == 1 ? 0u : 1u;
      if (Sim.QN_Freeze[s] == 1) Sim.QN_Freeze[s] = SimAsnListCreate(s) == 1 ? 1u : 0u;
      if (Sim.QN_Freeze[s] == 0 && Sim.Jkk_Filter[s][0] == 0 && Sim.Jkk_Filter[s][1] == 0)
        Sim.FI_QN_List_Mem[s] = Sim.FI_QN_List_Sel[s];
      Key(d, 'j');
      Repaint("CB2_45P");
      return;
    case 746:
      if (code == BN_CLICKED) ToggleCombDiff(d, s);
      return;
    default:
      return;
  }
}

}  // namespace

INT_PTR JkkQNDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int16_t s = SimDlgSetOf(SIM_DLG_JKKQN, hwnd);
  if (s < 0) return 0;
  switch (msg) {
    case WM_INITDIALOG:
      Refresh(hwnd, s);
      return 1;
    case WM_CTLCOLORSTATIC:
      return CaptionBrush(s, lParam, 60);
    case WM_VSCROLL:
      if (LOWORD(wParam) == SB_LINEUP || LOWORD(wParam) == SB_LINEDOWN) {
        MakeActive(s);
        ScrollList(hwnd, s, LOWORD(wParam) == SB_LINEUP);
      }
      return 1;
    case WM_COMMAND:
      Command(hwnd, s, LOWORD(wParam), HIWORD(wParam));
      return 1;
    default:
      return 0;
  }
}
