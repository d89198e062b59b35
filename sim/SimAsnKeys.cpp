// The assignment keys of the main plot on a set with lines: space moves the selection
// through the set's candidate list, 'k' assigns the selected line at the cursor (or, in
// line-adding mode, adds a line there), 'K' removes the assignment (or the line).
#include <cmath>

#include "core/FileIo.h"
#include "models/quad/Quad.h"
#include "records/Quad.h"
#include "platform/kernel/Text.h"
#include "sim/SimAsnKeys.h"
#include "sim/SimCombDiff.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimLines.h"
#include "sim/SimSets.h"

using namespace simdlg;

namespace {

enum class AsnMode { None, Add, Quad, CombDiff, Jkk };

// The combined (BS) list of the combination-difference dialog.
bool CombDiffList(int16_t s) {
  return Sim.QN_FromCD[s] == 1 && Sim.FI_CD_List_Tot[s][2] > 0 && Sim.FI_CD_List_Ary[s][2] != nullptr;
}

bool QuadList(int16_t s) {
  return Quad.QN_FromList[s] == 1 && Quad.QN_LIST_TOT[s] > 0 && Quad.QN_List[s] != nullptr;
}

bool QnList(int16_t s) { return Sim.FI_QN_List_Cnt[s] > 0 && Sim.FI_QN_List_Ary[s] != nullptr; }

AsnMode ModeOf(int16_t s) {
  if (Sim.Edit_Stat[s] == 1) return AsnMode::Add;
  if (QuadList(s)) return AsnMode::Quad;
  if (CombDiffList(s)) return AsnMode::CombDiff;
  if (QnList(s)) return AsnMode::Jkk;
  return AsnMode::None;
}

// The selected line when the set has a candidate list and the line exists, else -1.
int32_t SelectedLine(int16_t s) {
  const int32_t line = Sim.QN_Sel_Line[s];
  if (line < 0 || static_cast<uint32_t>(line) >= Sim.FI_Lines[s] || !Sim.FI_Exp_Erg[s]) return -1;
  return line;
}

// The combination-difference fix set that holds the line, -1 when none does.
int32_t FixSetOf(int16_t s, int32_t line) {
  if (!Sim.FI_CD_FixSet_Cnt[s] || !Sim.FI_CD_FixSet_Idx[s] || !Sim.FI_CD_FixSet_Fixed[s]) return -1;
  for (uint32_t f = 0; f < Sim.FI_CD_FixSet_Tot[s]; ++f)
    for (int32_t m = 0; m < Sim.FI_CD_FixSet_Cnt[s][f]; ++m)
      if (Sim.FI_CD_FixSet_Idx[s][f][m] == line) return static_cast<int32_t>(f);
  return -1;
}

// Marks the line's fix set fixed (shifted by the mean of its assignments as they are
// now) or released. A shifted set is put back first, so that a new shift starts from
// the unshifted frequencies and a released set is never restored twice.
void FixLine(int16_t s, int32_t line, BOOL fixed) {
  const int32_t f = FixSetOf(s, line);
  if (f < 0) return;
  if (Sim.FI_CD_FixSet_Fixed[s][f] == 1) {
    Sim.FI_CD_FixSet_Fixed[s][f] = 0;
    CombDiffFixRestore(s, f);
  }
  if (fixed != TRUE) return;
  Sim.FI_CD_FixSet_Fixed[s][f] = 1;
  CombDiffFixRestore(s, f);
}

// The selected quadrupole component of the selected line, -1 when none.
int32_t SelectedComponent(int16_t s) {
  const int32_t c = Quad.QN_SEL[s];
  if (c < 0 || c >= Quad.Comp_Count[s] || !Quad.Comp_ExpFrq[s]) return -1;
  return c;
}

// The component's assigned frequency and uncertainty as the assignment list holds them
// (the component arrays hold them only where a view has looked them up).
void AssignmentOf(int16_t s, int32_t line, int32_t c) {
  if (Quad.Comp_Unc[s]) QuadAsnFind(s, line, c, &Quad);
}

void Status(int16_t s, const char* what, uint32_t count) {
  core_io::StatusText(0, SetHead(s) + StrPrintf(" %s=[%ld]", what, static_cast<long>(count)));
}

// The next position of a list of count entries, back to the first after the last; the
// first row its dialog shows stays 0 while the position is below 5 and then moves on
// with each step, so that the selection stays in view.
int32_t Step(int32_t position, int32_t count, int32_t* top) {
  const int32_t next = position + 1 < count ? position + 1 : 0;
  *top = next < 5 ? 0 : *top + 1;
  return next;
}

}  // namespace

int32_t ViewKeySimSelectNext(int16_t s) {
  if (!IsSet(s)) return 0;
  if (QuadList(s)) {
    Quad.QN_LIST_SEL[s] = Step(Quad.QN_LIST_SEL[s], Quad.QN_LIST_TOT[s], &Quad.QN_List_Top[s]);
    Quad.QN_SEL[s] = Quad.QN_List[s][Quad.QN_LIST_SEL[s]];
  } else if (CombDiffList(s)) {
    Sim.FI_CD_Sel[s] = Step(Sim.FI_CD_Sel[s], static_cast<int32_t>(Sim.FI_CD_List_Tot[s][2]), &Sim.FI_CD_Top[s]);
    Sim.QN_Sel_Line[s] = Sim.FI_CD_List_Ary[s][2][Sim.FI_CD_Sel[s]];
  } else if (QnList(s)) {
    Sim.FI_QN_List_Sel[s] = Step(Sim.FI_QN_List_Sel[s], Sim.FI_QN_List_Cnt[s], &Sim.FI_QN_List_Top[s]);
    Sim.QN_Sel_Line[s] = Sim.FI_QN_List_Ary[s][Sim.FI_QN_List_Sel[s]];
  } else {
    return 0;
  }
  Sim.Sel_Changed = 1;
  Sim.Redraw = 1;
  return 1;
}

int32_t ViewKeySimAssign(int16_t s, double fa) {
  if (!IsSet(s)) return 0;
  const AsnMode mode = ModeOf(s);
  if (mode == AsnMode::Add) {
    const uint32_t before = Sim.FI_Lines[s];
    if (SimFIAddDelLineQVS(1, 1, s, &Sim, 1) != 1 || Sim.FI_Lines[s] != before + 1 || !Sim.FI_Sim_Erg[s]) return 0;
    Sim.FI_Sim_Erg[s][before] = fa;
    if (Sim.FI_Sim_Itn[s]) Sim.FI_Sim_Itn[s][before] = 1.0f;
    SimFISort(s, &Sim);
    SimFIAsnCalc(s, 0, 0);  // the count and RMS follow the lines
    return 1;
  }
  if (mode == AsnMode::None) return 0;
  const int32_t line = SelectedLine(s);
  if (line < 0) return 0;
  if (mode == AsnMode::Quad) {
    const int32_t c = SelectedComponent(s);
    if (c < 0) return 0;
    AssignmentOf(s, line, c);
    if (Quad.Comp_ExpFrq[s][c] == 0.0 && Quad.Comp_Unc[s]) Quad.Comp_Unc[s][c] = Sim.Asn_StdUnc[s];
    Quad.Comp_ExpFrq[s][c] = fa;
    QuadMakeAsn(s, 1, c, line, &Quad);
    Quad.Asn_Modified[s] = 1;
    Status(s, "QUAD ASN ADDED", static_cast<uint32_t>(Quad.Asn_Cnt[s]));
    return 1;
  }
  const double centre = Sim.QC_STAT[s] == 1 ? QuadAsnCtrFrq(s, line, &Quad, &Sim) : 0.0;
  Sim.FI_Exp_Erg[s][line] = centre != 0.0 ? centre : fa;
  if (Sim.FI_Exp_Unc[s] && Sim.FI_Exp_Unc[s][line] == 0.0f) Sim.FI_Exp_Unc[s][line] = Sim.Asn_StdUnc[s];
  SimFIAsnCalc(s, 0, 0);
  FixLine(s, line, TRUE);
  Status(s, "JKK ASN ADDED", Sim.FI_Asn_Lines[s]);
  return 1;
}

int32_t ViewKeySimUnassign(int16_t s) {
  if (!IsSet(s)) return 0;
  const AsnMode mode = ModeOf(s);
  if (mode == AsnMode::Add) {
    if (Sim.FI_QN_List_Sel[s] == 0) return 0;
    Sim.Dsp_Stat[s] = SimFIAddDelLineQVS(0, 0, s, &Sim, 1) == 1 ? 1 : 0;
    // A deleted line takes its assignment with it: the count and RMS follow.
    SimFIAsnCalc(s, 0, 0);
    return 1;
  }
  if (mode == AsnMode::None) return 0;
  const int32_t line = SelectedLine(s);
  if (mode == AsnMode::Quad) {
    const int32_t c = SelectedComponent(s);
    if (line < 0 || c < 0) return 0;
    AssignmentOf(s, line, c);
    if (Quad.Comp_ExpFrq[s][c] == 0.0) return 0;
    Quad.Comp_ExpFrq[s][c] = 0.0;
    QuadMakeAsn(s, 0, c, line, &Quad);
    Quad.Asn_Modified[s] = 1;
    Status(s, "QUAD ASN DELETED", static_cast<uint32_t>(Quad.Asn_Cnt[s]));
    return 1;
  }
  if (line < 0 || Sim.FI_Exp_Erg[s][line] == 0.0) return 0;
  Sim.FI_Exp_Erg[s][line] = 0.0;
  // The count and the RMS together: the RMS must not keep the removed line.
  SimFIAsnCalc(s, 0, 0);
  FixLine(s, line, FALSE);
  Status(s, "JKK ASN DELETED", Sim.FI_Asn_Lines[s]);
  return 1;
}
