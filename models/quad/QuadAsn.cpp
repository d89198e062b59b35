// The quadrupole assignment list of a set: entries of five values (assigned frequency,
// F', F'', line index, uncertainty) made from the components of the selected line,
// and the centre frequency of a line from its assigned components.
#include <cmath>

#include "core/TypedArrays.h"
#include "models/quad/Quad.h"
#include "records/Quad.h"
#include "records/Sim.h"

namespace {

constexpr int kEntry = 5;

// The entry of (line, F', F'') in the set's list, -1 when there is none.
int32_t FindEntry(int16_t set, int32_t line, double f1, double f2, const QuadRecord* q) {
  const double* list = q->Asn_TList[set];
  for (int32_t e = 0; list && e < q->Asn_Cnt[set]; ++e) {
    const double* at = list + kEntry * e;
    if (static_cast<int32_t>(at[3]) == line && at[1] == f1 && at[2] == f2) return e;
  }
  return -1;
}

// The components of the line with the assignment of each looked up; false when the line
// could not be split.
bool SplitWithAssignments(int16_t set, int32_t line, QuadRecord* q, SimRecord* sim) {
  if (QuadCalc(set, line, sim, q) != 1) return false;
  for (int32_t c = 0; c < q->Comp_Count[set]; ++c) QuadAsnFind(set, line, c, q);
  return true;
}

}  // namespace

int32_t QuadMakeAsn(int16_t set, int32_t mode, int32_t component, int32_t line, QuadRecord* q) {
  if (set < 0 || set >= QUAD_SETS || component < 0 || component >= q->Comp_Count[set] || !q->Comp_F[set] ||
      !q->Comp_ExpFrq[set])
    return 0;
  const double f1 = q->Comp_F[set][2 * component];
  const double f2 = q->Comp_F[set][2 * component + 1];
  int32_t e = FindEntry(set, line, f1, f2, q);
  if (mode == 0) {
    if (e < 0) return 0;
    double* list = q->Asn_TList[set];
    const int32_t last = q->Asn_Cnt[set] - 1;
    for (int k = 0; k < kEntry; ++k) list[kEntry * e + k] = list[kEntry * last + k];
    q->Asn_Cnt[set] = last;
    return 1;
  }
  if (e < 0) {
    const uint32_t n = static_cast<uint32_t>(q->Asn_Cnt[set] + 1) * kEntry;
    const int32_t status = q->Asn_TList[set] ? DReAlloc1Dim(&q->Asn_TList[set], n) : DAlloc1Dim(&q->Asn_TList[set], n);
    if (QvAllocFailed(status)) return 0;
    e = q->Asn_Cnt[set]++;
  }
  double* at = q->Asn_TList[set] + kEntry * e;
  at[0] = q->Comp_ExpFrq[set][component];
  at[1] = f1;
  at[2] = f2;
  at[3] = line;
  at[4] = q->Comp_Unc[set] ? q->Comp_Unc[set][component] : 0.0;
  return 1;
}

double QuadAsnCtrFrq(int16_t set, int32_t line, QuadRecord* q, SimRecord* sim) {
  if (!q || !sim || set < 0 || set >= QUAD_SETS || line < 0 || static_cast<uint32_t>(line) >= sim->FI_Lines[set] ||
      !sim->FI_Sim_Erg[set])
    return 0.0;
  // Every assigned component of the line counts, not only those some view has looked up:
  // the line is split here and each component's assignment is taken from the list.
  double sum = 0.0;
  int32_t n = 0;
  if (SplitWithAssignments(set, line, q, sim)) {
    for (int32_t c = 0; c < q->Comp_Count[set]; ++c) {
      if (q->Comp_ExpFrq[set][c] == 0.0) continue;
      sum += q->Comp_ExpFrq[set][c] - (q->Comp_Frq[set][c] - sim->FI_Sim_Erg[set][line]);
      ++n;
    }
  }
  // The component arrays are the selected line's, which the dialog and the markers show.
  const int32_t selected = sim->QN_Sel_Line[set];
  if (selected != line && selected >= 0 && static_cast<uint32_t>(selected) < sim->FI_Lines[set])
    SplitWithAssignments(set, selected, q, sim);
  return n > 0 ? sum / n : 0.0;
}
