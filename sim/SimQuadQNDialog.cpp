// The QUADRUPOLE QN DIALOG of a set: five rows of the hyperfine components of the
// selected line with their assigned frequencies and uncertainties, which the user types
// into the set's quadrupole assignment list.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "display/ViewKeys.h"
#include "models/quad/Quad.h"
#include "platform/kernel/Text.h"
#include "records/Debug.h"
#include "records/Quad.h"
#include "records/Win.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"

using namespace simdlg;

namespace {

constexpr int kRows = 5;

int32_t Count(int16_t s) { return Quad.QN_List[s] ? Quad.QN_LIST_TOT[s] : 0; }

// The component list can be used: components computed and listed.
bool Usable(int16_t s) { return Quad.Comp_Count[s] >= 0 && Count(s) != 0; }

// Component c exists with all the arrays the rows show.
bool ValidComponent(int16_t s, int32_t c) {
  return c >= 0 && c < Quad.Comp_Count[s] && Quad.Comp_F[s] && Quad.Comp_Frq[s] && Quad.Comp_Itn[s] &&
         Quad.Comp_ExpFrq[s] && Quad.Comp_Unc[s];
}

void MakeActive(int16_t s) {
  Sim.Cur_Set = s;
  Quad.QN_FromList[s] = 1;
  Sim.QN_FromList[s] = 0;
  Sim.QN_FromCD[s] = 0;
}

void FocusMain(HWND d) {
  if (HWND strip = GetDlgItem(d, 60)) SetFocus(strip);
  if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) SetFocus(Win.hWnd_Main);
}

std::string Uncertainty(double u) {
  return u >= 0.001 && u <= 100.0 ? StrPrintf("%.4f", u) : StrPrintf("%.2e", u);
}

void ClearRow(HWND d, int r) {
  for (int id : {820 + 2 * r, 821 + 2 * r, 860 + r, 870 + r, 880 + r, 890 + r}) SetText(d, id, "");
}

void ShowRow(HWND d, int16_t s, int r, int32_t c) {
  SetText(d, 820 + 2 * r, StrPrintf("%.1lf", Quad.Comp_F[s][2 * c]));
  SetText(d, 821 + 2 * r, StrPrintf("%.1lf", Quad.Comp_F[s][2 * c + 1]));
  SetText(d, 860 + r, StrPrintf("%f", static_cast<double>(Quad.Comp_Itn[s][c])));
  const double sim = Quad.Comp_Frq[s][c];
  SetText(d, 870 + r, StrPrintf("%.4lf", sim));
  const double exp = Quad.Comp_ExpFrq[s][c];
  SetText(d, 880 + r, exp == 0.0 ? "" : StrPrintf("%.4lf", Quad.QN_ShowOC[s] == 1 ? exp - sim : exp));
  SetText(d, 890 + r, exp == 0.0 ? "" : Uncertainty(Quad.Comp_Unc[s][c]));
}

void Refresh(HWND d, int16_t s) {
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
  int32_t p = Quad.QN_List_Top[s];
  for (int r = 0; r < kRows && Quad.QN_Scan[s] == 1; ++r, ++p) {
    ClearRow(d, r);
    if (p >= Count(s) || p < 0) continue;
    const int32_t c = Quad.QN_List[s][p];
    if (!ValidComponent(s, c)) continue;
    QuadAsnFind(s, Sim.QN_Sel_Line[s], c, &Quad);
    Check(d, 810 + r, c == Quad.QN_SEL[s]);
    ShowRow(d, s, r, c);
  }
  if (Sim.ONESTATE_STAT[s] == 1)
    for (int k = 0; k < 3; ++k) Quad.Prm[s][SIM_EXC][k] = Quad.Prm[s][SIM_GND][k];
  Check(d, 8813, Quad.SecondOrder[s] == 1);
  SetText(d, 865, StrPrintf("%f", static_cast<double>(Quad.Itn_Cut[s])));
  SetText(d, 8824, StrPrintf("%.0lf", Quad.Frq_Win));
  SetText(d, 8169, StrPrintf("%.4f", static_cast<double>(Sim.Asn_StdUnc[s])));
  Check(d, 8168, Quad.QN_ShowOC[s] == 1);
  for (int r = 0; r < kRows; ++r) {
    ClearModified(d, 880 + r);
    ClearModified(d, 890 + r);
  }
  ClearModified(d, 8824);
  ClearModified(d, 8169);
  if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) SetFocus(Win.hWnd_Main);
}

void Redraw(HWND d, const char* tag) {
  Sim.Redraw = 1;
  simdlg::Refresh(d);
  Repaint(tag);
}

void Key(char key) {
  if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) DisplayViewKey(Win.hWnd_Main, key, 0);
}

// Row r of the dialog, or the last filled row below it, becomes the selected one.
void SelectRow(int16_t s, int r) {
  const int32_t filled = Count(s) - Quad.QN_List_Top[s];
  const int32_t row = r >= filled ? std::max(filled - 1, 0) : r;
  Quad.QN_LIST_SEL[s] = Quad.QN_List_Top[s] + row;
  Quad.QN_SEL[s] = Quad.QN_List[s][Quad.QN_LIST_SEL[s]];
}

// The line whose components are listed: the QN list's selected entry; false (nothing
// recorded) when the list has no entry at the selected position.
bool TakeSelectedLine(int16_t s) {
  const int32_t k = Sim.FI_QN_List_Sel[s];
  if (!Sim.FI_QN_List_Ary[s] || k < 0 || k >= Sim.FI_QN_List_Cnt[s]) return false;
  Sim.QN_Sel_Line[s] = Sim.FI_QN_List_Ary[s][k];
  return true;
}

// The component's assignment as the list holds it: a paint splits the line again and
// leaves only the selected component looked up, while the rows still show theirs.
void TakeAssignment(int16_t s, int32_t c) { QuadAsnFind(s, Sim.QN_Sel_Line[s], c, &Quad); }

// A typed number for a single-precision field of the assignment file: one beyond the
// field's range is not taken (ReadDouble already refuses what is no finite number).
bool ReadSingle(HWND d, int id, double* value) {
  double v = 0.0;
  if (!ReadDouble(d, id, &v) || std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) return false;
  *value = v;
  return true;
}

void Recorded(int16_t s) {
  Sim.Sim_Modified[s] = 1;
  Quad.Asn_Modified[s] = 1;
}

void Scroll(HWND d, int16_t s, bool up) {
  int32_t& sel = Quad.QN_LIST_SEL[s];
  int32_t& top = Quad.QN_List_Top[s];
  if (up) {
    if (sel > 0) --sel;
    if (top > 0) --top;
  } else if (sel < Quad.QN_LIST_TOT[s] - 1) {
    ++sel;
    if (sel >= kRows) ++top;
  }
  sel = std::clamp(sel, 0, Count(s) - 1);
  Quad.QN_SEL[s] = Quad.QN_List[s][sel];
  if (Debug.DebugLevel == 116)
    DebugPrintf("LINEUP - QUAD.LIST_TOT=%ld QUAD.QN_LIST_SEL=%ld QUAD.QN_SEL=%ld\n", static_cast<long>(Count(s)),
                static_cast<long>(sel), static_cast<long>(Quad.QN_SEL[s]));
  Redraw(d, up ? "CB2_53P" : "CB2_52P");
}

void ExptFreq(HWND d, int16_t s, int r) {
  SelectRow(s, r);
  const int32_t c = Quad.QN_SEL[s];
  const int row = Quad.QN_LIST_SEL[s] - Quad.QN_List_Top[s];
  double f = 0.0;
  if (!ValidComponent(s, c) || !TakeSelectedLine(s) || !ReadDouble(d, 880 + r, &f)) return;
  TakeAssignment(s, c);
  if (Quad.Comp_ExpFrq[s][c] == 0.0) Quad.Comp_Unc[s][c] = Sim.Asn_StdUnc[s];
  Quad.Comp_ExpFrq[s][c] = f;
  QuadMakeAsn(s, 1, c, Sim.QN_Sel_Line[s], &Quad);
  if (Debug.DebugLevel == 108)
    DebugPrintf("SEL=[%ld] QN_SEL=%ld FRQ=%lf\n", static_cast<long>(row), static_cast<long>(c), f);
  Recorded(s);
  Redraw(d, "CB2_55P");
}

void ExptUnc(HWND d, int16_t s, int r) {
  SelectRow(s, r);
  const int32_t c = Quad.QN_SEL[s];
  double u = 0.0;
  if (!ValidComponent(s, c) || !TakeSelectedLine(s)) return;
  TakeAssignment(s, c);
  if (Quad.Comp_ExpFrq[s][c] == 0.0 || !ReadSingle(d, 890 + r, &u)) return;
  Quad.Comp_Unc[s][c] = static_cast<float>(u);
  QuadMakeAsn(s, 1, c, Sim.QN_Sel_Line[s], &Quad);
  Recorded(s);
  Redraw(d, "CB2_56P");
}

void StandardUnc(HWND d, int16_t s) {
  double u = 0.0;
  if (ReadSingle(d, 8169, &u)) Sim.Asn_StdUnc[s] = static_cast<float>(u);
  if (Sim.QN_Freeze[s] == 1 &&
      Box(SetHead(s) + "\n\nASSIGN THIS STANDARD UNCERTAINTY TO ALL QUAD LINES [YES] | ABORT [NO]?", "Question",
          kQuestionBox) == IDYES)
    for (int32_t k = 0; k < Quad.Asn_Cnt[s] && Quad.Asn_TList[s]; ++k) Quad.Asn_TList[s][5 * k + 4] = Sim.Asn_StdUnc[s];
  Recorded(Sim.Cur_Set);
  Sim.Redraw = 1;
  Repaint("CB2_63P");
}

void Command(HWND d, int16_t s, int id, WORD code) {
  if (id == IDCANCEL) {
    Sim.Dlg_Req[SIM_DLG_QUADQN][s] = SimQuadQNDialogShow(s, 0, Win.hWnd_Main);
    RefreshControl();
    return;
  }
  const bool edited = code == EN_KILLFOCUS && TakeModified(d, id);
  if (id == 8168 || id == 8169) {
    Sim.Cur_Set = s;
    if (id == 8169 && edited) StandardUnc(d, s);
    if (id == 8168 && code == BN_CLICKED) {
      Quad.QN_ShowOC[s] = Checked(d, id) ? 1 : 0;
      Key('j');
      simdlg::Refresh(d);
      Repaint("CB2_62P");
    }
    return;
  }
  const bool row = (id >= 810 && id < 810 + kRows) || (id >= 880 && id < 880 + kRows) || (id >= 890 && id < 890 + kRows);
  if (row && !Usable(s)) return;
  if (id >= 810 && id < 810 + kRows) {
    if (code != BN_CLICKED) return;
    MakeActive(s);
    SelectRow(s, id - 810);
    Sim.Redraw = 1;
    simdlg::Refresh(d);
    FocusMain(d);
    Repaint("CB2_54P");
    return;
  }
  if (id >= 880 && id < 880 + kRows) {
    if (edited) {
      MakeActive(s);
      ExptFreq(d, s, id - 880);
    }
    return;
  }
  if (id >= 890 && id < 890 + kRows) {
    if (edited) {
      MakeActive(s);
      ExptUnc(d, s, id - 890);
    }
    return;
  }
  switch (id) {
    case 8824:
      if (!edited) return;
      MakeActive(s);
      ReadDouble(d, id, &Quad.Frq_Win);
      Repaint("CB2_60P");
      return;
    case 8813:
      if (code != BN_CLICKED) return;
      MakeActive(s);
      if (Quad.SecondOrderRead[s] == 1)
        Quad.SecondOrder[s] = Quad.SecondOrder[s] == 1 ? 0u : 1u;
      else
        core_io::Warning("READ 2ND ORDER LINESET FIRST\n\nUSE OPTION RotCalc/QUAD PRMS/RD");
      Check(d, 8813, Quad.SecondOrder[s] == 1);
      Sim.Redraw = 1;
      Repaint("CB2_61P");
      return;
    case 895:
    case 896:
    case 897: {
      if (code != BN_CLICKED) return;
      MakeActive(s);
      Key(id == 895 ? 'j' : id == 896 ? 'k' : 'K');
      simdlg::Refresh(d);
      Repaint(id == 895 ? "CB2_57P" : id == 896 ? "CB2_58P" : "CB2_59P");
      return;
    }
    default:
      return;
  }
}

// Without a component list the scroll bar hands the focus back to the main window.
INT_PTR LineScroll(HWND d, int16_t s, bool up) {
  if (!Usable(s)) {
    FocusMain(d);
    return 0;
  }
  MakeActive(s);
  Scroll(d, s, up);
  return 1;
}

}  // namespace

INT_PTR QuadQNDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  static constexpr simdlg::ListDialog kList{SIM_DLG_QUADQN, Refresh, LineScroll, Command};
  return simdlg::ListDialogProc(kList, hwnd, msg, wParam, lParam);
}
