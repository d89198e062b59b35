// The JKK QN dialog of a set: five rows of its QN list with their labels, intensities,
// frequencies and uncertainties, the row selection, the scroll bar and the buttons that
// hand assigning, clearing and centring to the main window's keys.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "core/Coords.h"
#include "display/ViewKeys.h"
#include "platform/kernel/Text.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
#include "records/Win.h"
#include "sim/SimSibling.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"
#include "lineshape/SimInternal.h"
#include "sim/SimItn.h"
#include "sim/SimLines.h"
#include "sim/SimSets.h"

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

bool Hitran(int16_t s) { return Sim.HT_Global_Stat[s] == 1 && Sim.HT_Mol_Lbl[s]; }

// Ground-state energy of a line of a HITRAN set; 0 when the set holds none.
double GroundEnergy(int16_t s, int32_t line) {
  const int32_t* idx = Sim.FI_Erg_Idx[s][SIM_GND];
  const double* erg = Sim.FI_HamErg_Vector[s][SIM_GND];
  if (!idx || !erg) return 0.0;
  const int32_t level = idx[line];
  return level >= 0 && static_cast<uint32_t>(level) < Sim.FI_Erg_Sz[s] ? erg[level] : 0.0;
}

void ShowRow(HWND d, int16_t s, int r, int32_t line) {
  const bool ht = Hitran(s);
  if (ht) {
    SetText(d, 815 + r, StrPrintf("%d", Sim.HT_Mol_Lbl[s][line] % 10));
    if (sim::DebugTopic(sim::DEBUG_TOPIC_QNLIST))
      DebugPrintf("QN MOL LBLLBL=%d %d\n", static_cast<int>(line), static_cast<int>(Sim.HT_Mol_Lbl[s][line]));
  } else if (Sim.FI_BT_Lbl[s]) {
    SetText(d, 815 + r, std::string(1, Sim.FI_BT_Lbl[s][line]));
  }
  if (Sim.FI_Jkk_Lbl[s])
    for (int k = 0; k < 6; ++k) SetText(d, 820 + 6 * r + k, StrPrintf("%hd", Sim.FI_Jkk_Lbl[s][6 * line + k]));
  if (Sim.FM_STAT[s] == 1 && Sim.FI_FM_Lbl[s])
    for (int k = 0; k < 2; ++k) SetText(d, 850 + 2 * r + k, StrPrintf("%.1f", Sim.FI_FM_Lbl[s][2 * line + k]));
  SetText(d, 860 + r, Intensity(SimFIItnCalc(s, line)));
  const double sim = Sim.FI_Sim_Erg[s][line];
  // A HITRAN line sits where the set's pressure shifts it.
  const double shown = ht && Sim.HT_Air_Delta[s] ? sim + Sim.HT_Air_Delta[s][line] * Sim.HT_Press[s] : sim;
  SetText(d, 870 + r, StrPrintf("%.4lf", shown));
  const double exp = Sim.FI_Exp_Erg[s] ? Sim.FI_Exp_Erg[s][line] : 0.0;
  if (exp != 0.0)
    SetText(d, 880 + r, StrPrintf("%.4lf", Sim.QN_ShowOC[s] == 1 ? exp - sim : exp));
  else
    SetText(d, 880 + r, ht ? StrPrintf("%.4le", GroundEnergy(s, line)) : "");
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

// ---- edits --------------------------------------------------------------------------------
enum class Column { None, Band, Qn, F, Itn, SimFrq, ExpFrq, ExpUnc };

struct Cell {
  Column column = Column::None;
  int row = 0;
  int k = 0;  // quantum number (0..5) or F (0..1)
};

Cell CellOf(int id) {
  if (id >= 815 && id < 820) return {Column::Band, id - 815, 0};
  if (id >= 820 && id < 850) return {Column::Qn, (id - 820) / 6, (id - 820) % 6};
  if (id >= 850 && id < 860) return {Column::F, (id - 850) / 2, (id - 850) % 2};
  if (id >= 860 && id < 865) return {Column::Itn, id - 860, 0};
  if (id >= 870 && id < 875) return {Column::SimFrq, id - 870, 0};
  if (id >= 880 && id < 885) return {Column::ExpFrq, id - 880, 0};
  if (id >= 890 && id < 895) return {Column::ExpUnc, id - 890, 0};
  return {};
}

const char* TagOf(Column c) {
  switch (c) {
    case Column::SimFrq:
      return "CB2_39P";
    case Column::Itn:
      return "CB2_40P";
    case Column::ExpUnc:
      return "CB2_41P";
    default:
      return "CB2_38P";
  }
}

bool IsAssigned(int16_t s, int32_t line) { return Sim.FI_Exp_Erg[s] && Sim.FI_Exp_Erg[s][line] != 0.0; }

// A label or value changed: the set is modified, and its assignments when the line is assigned.
void Modified(int16_t s, int32_t line) {
  Sim.Sim_Modified[s] = 1;
  if (IsAssigned(s, line)) Sim.Asn_Modified[s] = 1;
}

// The assigned-line count and O-C spread after a frequency changed by hand; whether the
// assignments count as modified stays the edit's own decision.
void Recount(int16_t s) {
  const uint32_t modified = Sim.Asn_Modified[s];
  SimFIAsnCalc(s, 0, 0);
  Sim.Asn_Modified[s] = modified;
}

// The F labels added to every line of a set that had none (F' = J', F'' = J'').
void AddFLabels(int16_t s) {
  Sim.FM_STAT[s] = 1;
  const uint32_t n = Sim.FI_Lines[s];
  if (QvAllocFailed(FReAlloc1Dim(&Sim.FI_FM_Lbl[s], 2 * std::max(n, 1u)))) {
    Sim.FM_STAT[s] = 0;
    Box("JkkQNDialogProc()/FI_FM_Lbl\n\nCORE ALLOCATION ERROR", "Error", kErrorBox);
    return;
  }
  for (uint32_t i = 0; i < n && Sim.FI_Jkk_Lbl[s]; ++i) {
    Sim.FI_FM_Lbl[s][2 * i] = Sim.FI_Jkk_Lbl[s][6 * i];
    Sim.FI_FM_Lbl[s][2 * i + 1] = Sim.FI_Jkk_Lbl[s][6 * i + 3];
  }
}

// A band typed into the new-line slot offers F labels to a set without them.
void SlotBand(int16_t s) {
  if (Sim.FM_STAT[s] == 0 &&
      Box(SetHead(s) + "\n\nADD 4TH (F/M) LABEL TO SIM LINES [YES] | ABORT [NO]?", "Question", kQuestionBox) == IDYES) {
    AddFLabels(s);
    return;
  }
  Box("ENTRY DISCARDED\n\nADD LINE FIRST BY ENTERING SIM FRQ | USING ASSIGN BUTTON", "Warning", kWarningBox);
}

// Labels, F values, widths and fit statistics of line `from` given to line `to`.
void CopyLine(int16_t s, int32_t from, int32_t to) {
  if (Hitran(s))
    Sim.HT_Mol_Lbl[s][to] = Sim.HT_Mol_Lbl[s][from];
  else if (Sim.FI_BT_Lbl[s])
    Sim.FI_BT_Lbl[s][to] = Sim.FI_BT_Lbl[s][from];
  for (int k = 0; k < 6 && Sim.FI_Jkk_Lbl[s]; ++k) Sim.FI_Jkk_Lbl[s][6 * to + k] = Sim.FI_Jkk_Lbl[s][6 * from + k];
  for (int k = 0; k < 2 && Sim.FM_STAT[s] == 1 && Sim.FI_FM_Lbl[s]; ++k)
    Sim.FI_FM_Lbl[s][2 * to + k] = Sim.FI_FM_Lbl[s][2 * from + k];
  if (Sim.IDVWIDTH_STAT[s] == 1 && Sim.FI_Gau_FWHM[s] && Sim.FI_Lor_FWHM[s]) {
    Sim.FI_Gau_FWHM[s][to] = Sim.FI_Gau_FWHM[s][from];
    Sim.FI_Lor_FWHM[s][to] = Sim.FI_Lor_FWHM[s][from];
  }
  if (Sim.NLLSF_STAT[s] == 1 && Sim.FI_LS_VarStat[s] && Sim.FI_LS_StdDev[s])
    for (int k = 0; k < 5; ++k) {
      Sim.FI_LS_VarStat[s][5 * to + k] = Sim.FI_LS_VarStat[s][5 * from + k];
      Sim.FI_LS_StdDev[s][5 * to + k] = Sim.FI_LS_StdDev[s][5 * from + k];
    }
}

// Frequencies compared to the kHz: trunc(f x 1000) in 64 bits (sets reach 2e6 MHz and more).
int64_t Khz(double f) { return static_cast<int64_t>(std::trunc(f * 1000.0)); }

// A line added at the end of the set for the new-line slot; its labels come from the
// first listed line at the typed frequency. -1 when the line could not be added.
int32_t AddLine(int16_t s, double f) {
  Sim.Dsp_Stat[s] = static_cast<uint32_t>(SimFIAddDelLineQVS(1, 1, s, &Sim, 1));
  if (Sim.Dsp_Stat[s] == 0) return -1;
  const int32_t line = static_cast<int32_t>(Sim.FI_Lines[s]) - 1;
  Sim.FI_Sim_Itn[s][line] = 1.0f;
  const bool log = sim::DebugTopic(sim::DEBUG_TOPIC_LINEEDIT);
  if (log) DebugPrintf("DEFINE LINE - FI_LNS[%hd]=%ld SIM_LN=%ld\n", s, static_cast<long>(Sim.FI_Lines[s]),
                       static_cast<long>(line));
  const int32_t count = Count(s);
  for (int32_t p = 0; p <= count - 2; ++p) {
    const int32_t from = Sim.FI_QN_List_Ary[s][p];
    if (log) DebugPrintf("COPY(1) LINE - SIM_CT=%ld LST_CT=%ld LIST_TOT=%ld\n", static_cast<long>(from),
                         static_cast<long>(p), static_cast<long>(count));
    if (from < 0 || from >= line || Khz(Sim.FI_Sim_Erg[s][from]) != Khz(f)) continue;
    if (log) DebugPrintf("COPY LINE(2) - FI_LINES[%hd]=%ld MATCH\n", s, static_cast<long>(Sim.FI_Lines[s]));
    CopyLine(s, from, line);
    break;
  }
  if (log) DebugPrintf("GET LINE - FRQ=%lf\n", f);
  return line;
}

// SIM FREQ: the typed frequency must lie in the displayed data; the new-line slot adds a line.
void SimFrequency(HWND d, int16_t s, int32_t line, bool slot, int id) {
  double f = 0.0;
  if (!ReadDouble(d, id, &f)) return;
  if (DisplayCenterOnFreq(Win.View_Level, Win.Active_Chn, f, nullptr, nullptr) != 1) {
    Box(StrPrintf("FRQ [%.6lf] NOT IN EXPT DATA RANGE\n\nDISCARDING", f), "Warning", kWarningBox);
    return;
  }
  if (slot) line = AddLine(s, f);
  if (line < 0) return;
  Sim.FI_Sim_Erg[s][line] = f;
  SimFISort(s, &Sim);
  if (Sim.FI_Exp_Erg[s][line] != 0.0 || slot) Recount(s);
  // The assigned-line list names lines by position: rebuilt after the sort.
  if (Sim.QN_Freeze[s] == 1) Sim.QN_Freeze[s] = SimAsnListCreate(s) == 1 ? 1u : 0u;
  Sim.Sim_Modified[s] = 1;
  Sim.Auto_Ctr = 1;
  Key(d, 'j');
}

// UNC: the standard uncertainty, with ASN LIST on offered to every assigned line.
void StandardUncertainty(HWND d, int16_t s) {
  double u = 0.0;
  if (!ReadDouble(d, 8169, &u)) return;
  Sim.Asn_StdUnc[s] = static_cast<float>(u);
  if (Sim.QN_Freeze[s] == 1 &&
      Box(SetHead(s) +
              "\n\nASN SAME UNCERTAINTY TO ALL LINES [YES] | ABORT [NO]?\n\nUNCHECK [NRM] IN RIGID ROTOR DIALOG TO "
              "USE UNCERTAINTIES",
          "Question", kQuestionBox) == IDYES)
    for (uint32_t i = 0; i < Sim.FI_Lines[s]; ++i)
      if (Sim.FI_Exp_Erg[s][i] != 0.0) Sim.FI_Exp_Unc[s][i] = Sim.Asn_StdUnc[s];
  Sim.Sim_Modified[s] = 1;
  Sim.Asn_Modified[s] = 1;
}

// An edit that lost the focus after a change.
void Edit(HWND d, int16_t s, int id) {
  if (!Sim.FI_Exp_Erg[s] && Sim.FI_Lines[s] > 0) return;
  if (id == 8169) {
    StandardUncertainty(d, s);
    simdlg::Refresh(d);
    RepaintAfter("CB2_44P", true);
    return;
  }
  const Cell c = CellOf(id);
  if (c.column == Column::None) return;
  const int32_t p = RowPosition(s, c.row);
  const bool slot = p == 0 && Sim.Edit_Stat[s] == 1;
  const int32_t count = Count(s);
  int32_t line = -1;
  if (!slot) {
    if (count == 0) return;
    line = Sim.FI_QN_List_Ary[s][p];
    if (!ValidLine(s, line)) return;
  }
  Sim.FI_QN_List_Sel[s] = p;
  if (slot && c.column != Column::SimFrq && c.column != Column::Band) {
    Box("ENTRY DISCARDED\n\nADD LINE FIRST BY ENTERING SIM FRQ | USING [ASSIGN] BUTTON", "Warning", kWarningBox);
  } else {
    double v = 0.0;
    int32_t n = 0;
    switch (c.column) {
      case Column::Band:
        if (slot) {
          SlotBand(s);
        } else if (Hitran(s)) {
          if (ReadInt(d, id, &n)) {
            Sim.HT_Mol_Lbl[s][line] = static_cast<int16_t>(n);
            Modified(s, line);
          }
        } else if (const std::string t = GetText(d, id); !t.empty() && Sim.FI_BT_Lbl[s]) {
          Sim.FI_BT_Lbl[s][line] = t[0];
          Modified(s, line);
        }
        break;
      case Column::Qn:
        if (Sim.FI_Jkk_Lbl[s] && ReadInt(d, id, &n)) {
          Sim.FI_Jkk_Lbl[s][6 * line + c.k] = static_cast<int16_t>(n);
          Modified(s, line);
        }
        break;
      case Column::F:
        if (Sim.FM_STAT[s] == 1 && Sim.FI_FM_Lbl[s] && ReadDouble(d, id, &v)) {
          Sim.FI_FM_Lbl[s][2 * line + c.k] = static_cast<float>(v);
          Modified(s, line);
        }
        break;
      case Column::Itn:
        if (ReadDouble(d, id, &v)) {
          Sim.FI_Sim_Itn[s][line] = static_cast<float>(v);
          Sim.Sim_Modified[s] = 1;
        }
        break;
      case Column::SimFrq:
        SimFrequency(d, s, line, slot, id);
        break;
      case Column::ExpFrq:
        if (ReadDouble(d, id, &v)) {
          Sim.FI_Exp_Erg[s][line] = v;
          Sim.Sim_Modified[s] = 1;
          if (v != 0.0) Sim.Asn_Modified[s] = 1;
          Recount(s);
        }
        break;
      case Column::ExpUnc:
        if (ReadDouble(d, id, &v)) {
          Sim.FI_Exp_Unc[s][line] = static_cast<float>(v);
          Modified(s, line);
        }
        break;
      case Column::None:
        break;
    }
  }
  const int32_t now = Count(s);
  if (now > 0 && Sim.FI_QN_List_Sel[s] < now) Sim.QN_Sel_Line[s] = Sim.FI_QN_List_Ary[s][Sim.FI_QN_List_Sel[s]];
  simdlg::Refresh(d);
  RepaintAfter(TagOf(c.column), true);
}

// CALC: the rotor program run for the set.
void Calc(int16_t s) {
  simdlg::Refresh(OrvPrm.Dlg_Hwnd);
  if (OrvRun(s, 1) != 0) Repaint("CB2_33P");
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
  const bool edit = (id >= 815 && id < 895) || id == 8169;
  if (edit) {
    if (code != EN_KILLFOCUS || !TakeModified(d, id)) return;
    MakeActive(s);
    Edit(d, s, id);
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
    case 8153:
      if (code == BN_CLICKED) Calc(s);
      return;
    default:
      return;
  }
}

INT_PTR LineScroll(HWND d, int16_t s, bool up) {
  MakeActive(s);
  ScrollList(d, s, up);
  return 1;
}

}  // namespace

INT_PTR JkkQNDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  static constexpr simdlg::ListDialog kList{SIM_DLG_JKKQN, Refresh, LineScroll, Command};
  return simdlg::ListDialogProc(kList, hwnd, msg, wParam, lParam);
}
