// The assigned-line list of a set ("ASN LIST": every assigned line passing the JKK
// filters) and the JKK filter dialog that sets those filters.
#include <algorithm>
#include <string>

#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "display/ViewKeys.h"
#include "platform/kernel/Text.h"
#include "records/Quad.h"
#include "records/Win.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimPlotInternal.h"

using namespace simdlg;

namespace {

// Names of the filter lists, each ending at "EOL".
constexpr const char* kQnNames[] = {"ALL", "J'", "Ka'", "Kc'", "J\"", "Ka\"", "Kc\"", "EOL"};
constexpr const char* kBranchNames[] = {"ALL", "P", "Q", "R", "EOL"};

bool FilterOn(int16_t s) { return Sim.Jkk_Filter[s][0] == 1 || Sim.Jkk_Filter[s][1] == 1; }

bool Assigned(int16_t s, uint32_t line) { return Sim.FI_Exp_Erg[s][line] != 0.0; }

void ViewKey(char key) {
  if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) DisplayViewKey(Win.hWnd_Main, key, 0);
}

// The list rebuilt when ASN LIST is on, then key 'j'.
void Rebuild(int16_t s) {
  if (Sim.QN_Freeze[s] == 1) Sim.QN_Freeze[s] = SimAsnListCreate(s) == 1 ? 1u : 0u;
  ViewKey('j');
}

void FillList(HWND d, int id, const char* const* names, int selected) {
  SendDlgItemMessage(d, id, LB_RESETCONTENT, 0, 0);
  for (int k = 0; std::string(names[k]) != "EOL"; ++k)
    SendDlgItemMessage(d, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[k]));
  SendDlgItemMessage(d, id, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  SendDlgItemMessage(d, id, LB_SETTOPINDEX, static_cast<WPARAM>(selected), 0);
}

// The row a one-row list shows: its selection, else its top row.
int ListRow(HWND d, int id) {
  const LRESULT sel = SendDlgItemMessage(d, id, LB_GETCURSEL, 0, 0);
  return static_cast<int>(sel >= 0 ? sel : SendDlgItemMessage(d, id, LB_GETTOPINDEX, 0, 0));
}

void FilterRefresh(HWND d, int16_t s) {
  const int qn = Sim.Jkk_Filter[s][0] == 1 ? std::clamp<int>(Sim.Jkk_QNIdx[s], 0, 5) + 1 : 0;
  const int branch = Sim.Jkk_Filter[s][1] == 1 ? std::clamp<int>(Sim.Jkk_BrVal[s], -1, 1) + 2 : 0;
  FillList(d, 780, kQnNames, qn);
  FillList(d, 781, kBranchNames, branch);
  SetText(d, 782, StrPrintf("%d", static_cast<int>(Sim.Jkk_QNVal[s])));
  Sim.Jkk_QNValSeen[s] = Sim.Jkk_QNVal[s];
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
}

void FilterSelection(HWND d, int16_t s) {
  const int qn = ListRow(d, 780);
  const int branch = ListRow(d, 781);
  if (Sim.QN_Freeze[s] == 1 && !FilterOn(s)) Sim.FI_QN_List_Mem[s] = Sim.FI_QN_List_Sel[s];
  Sim.Jkk_Filter[s][0] = qn >= 1 && qn <= 6 ? 1u : 0u;
  if (Sim.Jkk_Filter[s][0] == 1) Sim.Jkk_QNIdx[s] = static_cast<int16_t>(qn - 1);
  Sim.Jkk_Filter[s][1] = branch >= 1 && branch <= 3 ? 1u : 0u;
  if (Sim.Jkk_Filter[s][1] == 1) Sim.Jkk_BrVal[s] = static_cast<int16_t>(branch - 2);
  Rebuild(s);
  Repaint("CB2_69P");
}

void FilterValue(HWND d, int16_t s) {
  int32_t value = 0;
  if (!ReadInt(d, 782, &value)) return;
  Sim.Jkk_QNVal[s] = value;
  if (value == Sim.Jkk_QNValSeen[s]) return;
  Sim.Jkk_QNValSeen[s] = value;
  if (Sim.QN_Freeze[s] == 1 && Sim.Jkk_Filter[s][0] == 1 && Sim.Jkk_Filter[s][1] == 1) Rebuild(s);
  Repaint("CB2_69P");
}

void FilterClose(int16_t s) {
  Sim.Jkk_Filter[s][0] = Sim.Jkk_Filter[s][1] = 0;
  CloseThroughCreator(SIM_DLG_FILTER, s);
  if (Sim.QN_Freeze[s] == 1) {
    Rebuild(s);
    Repaint("CB2_69P");
  }
}

}  // namespace

int32_t SimAsnListCreate(int16_t s) {
  if (!IsSet(s)) return 0;
  const uint32_t assigned = Sim.FI_Exp_Erg[s] ? Sim.FI_Asn_Lines[s] : 0;
  if (assigned == 0) {
    Box(SetHead(s) + "\n\nNO ASSIGNED LINES FOUND", "Info", kInfoBox);
    return 0;
  }
  if (static_cast<uint32_t>(std::max(Sim.FI_QN_List_Sz[s], 0)) < assigned || !Sim.FI_QN_List_Ary[s]) {
    if (QvAllocFailed(LReAlloc1Dim(&Sim.FI_QN_List_Ary[s], assigned))) {
      // Nothing to list: ASN LIST stays off over an empty list.
      Sim.FI_QN_List_Sz[s] = 0;
      Sim.FI_QN_List_Cnt[s] = 0;
      Sim.QN_Freeze[s] = 0;
      Sim.Dlg_Req[SIM_DLG_JKKQN][s] = 0;
      Box("JkkQNDialogProc()/Sim.FI_QN_List_Ary - CORE ALLOCATION ERROR", "Error", kErrorBox);
      return 0;
    }
    Sim.FI_QN_List_Sz[s] = static_cast<int32_t>(assigned);
  }
  Sim.Auto_Ctr = 1;
  Sim.Edit_Stat[s] = 0;
  Sim.QN_Scan[s] = 1;
  Sim.FI_QN_List_Sel[s] = 0;
  Sim.FI_QN_List_Top[s] = 0;
  Quad.QN_LIST_SEL[s] = 0;
  Quad.QN_List_Top[s] = 0;
  Sim.FI_QN_List_Cnt[s] = 0;
  int32_t* list = Sim.FI_QN_List_Ary[s];
  int32_t& count = Sim.FI_QN_List_Cnt[s];
  uint32_t line = 0;
  for (; line < Sim.FI_Lines[s] && static_cast<uint32_t>(count) < assigned; ++line) {
    if (!Assigned(s, line) || !sim::JkkFilterPass(s, static_cast<int32_t>(line))) continue;
    if (count == 0) Sim.QN_Sel_Line[s] = static_cast<int32_t>(line);
    list[count++] = static_cast<int32_t>(line);
  }
  core_io::StatusText(0, SetHead(s) + StrPrintf(" - ASN LINES=[%d]", static_cast<int>(count)));
  // A full list with further assigned lines behind it: the assigned-line count is wrong.
  bool more = false;
  for (; line < Sim.FI_Lines[s] && !more; ++line)
    more = Assigned(s, line) && sim::JkkFilterPass(s, static_cast<int32_t>(line));
  if (more) {
    Box(StrPrintf("SimAsnListCreate()\n\nLIST TOT[%d] != ASN SIM LINES[%u] (PROGRAM BUG)\nCONTINUING",
                  static_cast<int>(count + 1), static_cast<unsigned>(assigned)),
        "Warning", kWarningBox);
    return 0;
  }
  if (count == 0) return 0;
  const int32_t mem = Sim.FI_QN_List_Mem[s];
  if (mem >= 0 && mem < count && !FilterOn(s)) Sim.FI_QN_List_Sel[s] = mem;
  Sim.FI_QN_List_Top[s] = Sim.FI_QN_List_Sel[s] >= 5 ? Sim.FI_QN_List_Sel[s] : 0;
  Sim.QN_Sel_Line[s] = list[Sim.FI_QN_List_Sel[s]];
  return 1;
}

INT_PTR JkkFilterDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int16_t s = SimDlgSetOf(SIM_DLG_FILTER, hwnd);
  if (s < 0) return 0;
  switch (msg) {
    case WM_INITDIALOG:
      FilterRefresh(hwnd, s);
      return 1;
    case WM_CTLCOLORSTATIC:
      return CaptionBrush(s, lParam, 60);
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const WORD code = HIWORD(wParam);
      if (id == IDCANCEL)
        FilterClose(s);
      else if ((id == 780 || id == 781) && code == LBN_SELCHANGE)
        FilterSelection(hwnd, s);
      else if (id == 782 && code == EN_CHANGE)
        FilterValue(hwnd, s);
      return 1;
    }
    default:
      return 0;
  }
}
