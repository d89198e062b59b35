// The COMBINATION DIFFERENCES DIALOG of a set: five rows of the combined list of the
// selected line's combination differences, the choice of the shared-level lists and of
// loops, and the fix sets that move an upper-level group by its mean O-C.
#include <algorithm>
#include <string>

#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "display/ViewKeys.h"
#include "platform/kernel/Text.h"
#include "records/Quad.h"
#include "records/Win.h"
#include "sim/SimCombDiff.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimItn.h"

using namespace simdlg;

namespace {

constexpr int kRows = 5;

int32_t Count(int16_t s) {
  return Sim.FI_CD_List_Ary[s][CD_BS] ? static_cast<int32_t>(Sim.FI_CD_List_Tot[s][CD_BS]) : 0;
}

bool QnListEmpty(int16_t s) { return Sim.FI_QN_List_Cnt[s] <= 0 || !Sim.FI_QN_List_Ary[s]; }

// The QN list's selected line, -1 when the list is empty or its position is stale.
int32_t QnSelected(int16_t s) {
  const int32_t k = Sim.FI_QN_List_Sel[s];
  if (QnListEmpty(s) || k < 0 || k >= Sim.FI_QN_List_Cnt[s]) return -1;
  return Sim.FI_QN_List_Ary[s][k];
}

void Search(int16_t s) { CombDiffFind(s, QnSelected(s), 0.0, 0.0); }

// Every command makes this dialog the set's active assignment list and its set current.
void MakeActive(int16_t s) {
  Sim.Cur_Set = s;
  Sim.QN_FromCD[s] = 1;
  Sim.QN_FromList[s] = 0;
  Quad.QN_FromList[s] = 0;
}

bool UpperOnly(int16_t s) { return Sim.CD_Search[s][CD_US] == 1 && Sim.CD_Search[s][CD_LS] != 1; }

// The current fix set, -1 when there is none.
int32_t CurrentFixSet(int16_t s) {
  const int32_t f = Sim.FI_CD_FixSet_Cur[s];
  return f >= 0 && static_cast<uint32_t>(f) < Sim.FI_CD_FixSet_Tot[s] && Sim.FI_CD_FixSet_Fixed[s] ? f : -1;
}

void SetFixed(int16_t s, int32_t f, BOOL fixed) {
  Sim.FI_CD_FixSet_Fixed[s][f] = fixed;
  CombDiffFixRestore(s, f);
}

void ClearRow(HWND d, int r) {
  for (int k = 0; k < 6; ++k) SetText(d, 820 + 6 * r + k, "");
  for (int k = 0; k < 2; ++k) SetText(d, 850 + 2 * r + k, "");
  SetText(d, 860 + r, "");
  SetText(d, 880 + r, "");
}

void ShowRow(HWND d, int16_t s, int r, int32_t line) {
  if (Sim.FI_Jkk_Lbl[s])
    for (int k = 0; k < 6; ++k) SetText(d, 820 + 6 * r + k, StrPrintf("%hd", Sim.FI_Jkk_Lbl[s][6 * line + k]));
  if (Sim.FM_STAT[s] == 1 && Sim.FI_FM_Lbl[s])
    for (int k = 0; k < 2; ++k) SetText(d, 850 + 2 * r + k, StrPrintf("%.1f", Sim.FI_FM_Lbl[s][2 * line + k]));
  SetText(d, 860 + r, StrPrintf("%f", SimFIItnCalc(s, line)));
  const double exp = Sim.FI_Exp_Erg[s] ? Sim.FI_Exp_Erg[s][line] : 0.0;
  SetText(d, 880 + r, exp == 0.0 ? "" : StrPrintf("%.4lf", exp - Sim.FI_Sim_Erg[s][line]));
}

void Refresh(HWND d, int16_t s) {
  if (QnListEmpty(s)) {
    Sim.FI_CD_List_Tot[s][CD_BS] = 0;
    Sim.CD_FixMode[s] = 0;
  } else if (Sim.QN_FromList[s] == 1) {
    Search(s);
    Sim.FI_CD_Sel[s] = Sim.FI_CD_Top[s] = 0;
  }
  const int32_t count = Count(s);
  for (int r = 0; r < kRows && Sim.QN_Scan[s] == 1; ++r) {
    const int32_t p = Sim.FI_CD_Top[s] + r;
    Check(d, 810 + r, p == Sim.FI_CD_Sel[s]);
    ClearRow(d, r);
    if (p >= count) continue;
    const int32_t line = Sim.FI_CD_List_Ary[s][CD_BS][p];
    if (line >= 0 && static_cast<uint32_t>(line) < Sim.FI_Lines[s] && Sim.FI_Sim_Erg[s]) ShowRow(d, s, r, line);
  }
  Check(d, 747, Sim.CD_Search[s][CD_LS] == 1);
  Check(d, 748, Sim.CD_Search[s][CD_US] == 1);
  Check(d, 749, Sim.CD_Loop[s] == 1);
  const int32_t f = CurrentFixSet(s);
  Check(d, 778, f >= 0 && Sim.FI_CD_FixSet_Fixed[s][f] == 1);
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
}

void Key(char key) {
  if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) DisplayViewKey(Win.hWnd_Main, key, 0);
}

// Selects list position p (clamped to the list) and its line.
void Select(int16_t s, int32_t p) {
  const int32_t count = Count(s);
  if (count == 0) return;
  Sim.FI_CD_Sel[s] = std::clamp(p, 0, count - 1);
  Sim.QN_Sel_Line[s] = Sim.FI_CD_List_Ary[s][CD_BS][Sim.FI_CD_Sel[s]];
  Sim.CD_SelChanged[s] = 1;
  Sim.Sel_Changed = 1;  // the painting refreshes the QN dialogs for the new line
}

void CheckedRowSelected(HWND d, int16_t s) {
  for (int r = 0; r < kRows; ++r)
    if (Checked(d, 810 + r)) Select(s, Sim.FI_CD_Top[s] + r);
}

// The JKK QN dialog and this one show the new state.
void RefreshBoth(HWND d, int16_t s) {
  if (Sim.Dlg_Shown[SIM_DLG_JKKQN][s] == 1) simdlg::Refresh(Sim.Dlg_Hwnd[SIM_DLG_JKKQN][s]);
  simdlg::Refresh(d);
}

void Scroll(HWND d, int16_t s, bool up) {
  const int32_t count = Count(s);
  if (count == 0) return;
  int32_t& sel = Sim.FI_CD_Sel[s];
  int32_t& top = Sim.FI_CD_Top[s];
  if (up) {
    sel = std::max(sel - 1, 0);
    top = std::max(top - 1, 0);
  } else if (sel < count - 1) {
    ++sel;
    if (sel >= kRows) ++top;
  }
  Select(s, sel);
  Sim.Redraw = 1;
  simdlg::Refresh(d);
  Repaint(up ? "CD_2P" : "CD_1P");
}

void Fix(HWND d, int16_t s) {
  if (UpperOnly(s) && !QnListEmpty(s)) {
    Sim.CD_FixMode[s] = 1;
    if (CurrentFixSet(s) < 0) Search(s);
  } else {
    Sim.CD_FixMode[s] = 0;
  }
  const int32_t f = CurrentFixSet(s);
  if (Sim.CD_FixMode[s] != 1 || f < 0) {
    Check(d, 778, false);
    return;
  }
  SetFixed(s, f, Checked(d, 778) ? 1 : 0);
  Sim.Redraw = 1;
  Repaint("CD_5P");
  RefreshBoth(d, s);
}

void All(HWND d, int16_t s) {
  const int answer = Box(SetHead(s) + "\n\nAPPLY CD FIXS TO ALL ASN LINES [YES] | REMOVE ALL CD FIXS [NO] | ABORT [CANCEL]?",
                         "Question", MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNOCANCEL);
  if (answer == IDCANCEL) return;
  if (!UpperOnly(s)) {
    Sim.CD_FixMode[s] = 0;
    return;
  }
  if (answer == IDYES) {
    Sim.CD_FixMode[s] = 1;
    for (int32_t line = 0; static_cast<uint32_t>(line) < Sim.FI_Lines[s] && Sim.FI_Exp_Erg[s]; ++line) {
      if (Sim.FI_Exp_Erg[s][line] == 0.0 || CombDiffFind(s, line, 0.0, 0.0) != 1) continue;
      const int32_t f = CurrentFixSet(s);
      if (f >= 0 && Sim.FI_CD_FixSet_Fixed[s][f] != 1) SetFixed(s, f, 1);
    }
  } else if (Sim.CD_FixMode[s] == 1) {
    for (uint32_t f = 0; f < Sim.FI_CD_FixSet_Tot[s] && Sim.FI_CD_FixSet_Fixed[s]; ++f)
      if (Sim.FI_CD_FixSet_Fixed[s][f] == 1) SetFixed(s, static_cast<int32_t>(f), 0);
  }
  Sim.Redraw = 1;
  Repaint("CD_6P");
  RefreshBoth(d, s);
}

void Close(int16_t s) {
  Sim.Dlg_Req[SIM_DLG_COMBDIFF][s] = SimJkkCombDiffDialogShow(s, 0, Win.hWnd_Main);
  Sim.CD_SelChanged[s] = 0;
  for (int k = 0; k < 3; ++k) {
    Sim.FI_CD_List_Tot[s][k] = 0;
    LFree1Dim(&Sim.FI_CD_List_Ary[s][k]);
  }
  if (Sim.Dlg_Shown[SIM_DLG_JKKQN][s] == 1) simdlg::Refresh(Sim.Dlg_Hwnd[SIM_DLG_JKKQN][s]);
}

void Command(HWND d, int16_t s, int id, WORD code) {
  if (id == IDCANCEL) {
    Close(s);
    return;
  }
  MakeActive(s);
  if (id >= 810 && id < 810 + kRows) {
    if (code != BN_CLICKED) return;
    Select(s, Sim.FI_CD_Top[s] + id - 810);
    Sim.Redraw = 1;
    Repaint("CD_0P");
    return;
  }
  switch (id) {
    case 896:
    case 897:
      CheckedRowSelected(d, s);
      Key(id == 896 ? 'k' : 'K');
      simdlg::Refresh(d);
      Repaint(id == 896 ? "CD_3P" : "CD_4P");
      return;
    case 747:
    case 748:
      Sim.CD_Search[s][id - 747] = Checked(d, id) ? 1 : 0;
      if (Sim.CD_Search[s][CD_LS] != 1 || Sim.CD_Search[s][CD_US] != 1) {
        Sim.CD_Loop[s] = 0;
        Check(d, 749, false);
      }
      return;
    case 749:
      Sim.CD_Loop[s] = Sim.CD_Loop[s] == 1 ? 0u : 1u;
      if (Sim.CD_Loop[s] == 1) {
        Sim.CD_Search[s][CD_LS] = Sim.CD_Search[s][CD_US] = 1;
        Check(d, 747, true);
        Check(d, 748, true);
      } else if (Sim.CD_Search[s][CD_LS] == 1 && Sim.CD_Search[s][CD_US] == 1) {
        core_io::StatusText(0, "CD FOR BOTH STATES + LOOPS");
      }
      Search(s);
      Sim.FI_CD_Sel[s] = Sim.FI_CD_Top[s] = 0;
      Key('j');
      simdlg::Refresh(d);
      Repaint("CD_7P");
      return;
    case 778:
      Fix(d, s);
      return;
    case 898:
      All(d, s);
      return;
    default:
      return;
  }
}

INT_PTR LineScroll(HWND d, int16_t s, bool up) {
  MakeActive(s);
  Scroll(d, s, up);
  return 1;
}

}  // namespace

INT_PTR JkkCombDiffDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  static constexpr simdlg::ListDialog kList{SIM_DLG_COMBDIFF, Refresh, LineScroll, Command};
  return simdlg::ListDialogProc(kList, hwnd, msg, wParam, lParam);
}
