#include "models/quad/Quad.h"

#include "core/TypedArrays.h"
#include "platform/windows/MessageBox.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"

namespace {

bool Grow(QuadRecord* q, int16_t set, int32_t n) {
  if (q->Comp_Cap[set] >= n && q->Comp_Frq[set]) return true;
  const uint32_t un = static_cast<uint32_t>(n);
  const bool ok = !QvAllocFailed(DReAlloc1Dim(&q->Comp_F[set], 2 * un)) &&
                  !QvAllocFailed(DReAlloc1Dim(&q->Comp_Frq[set], un)) &&
                  !QvAllocFailed(FReAlloc1Dim(&q->Comp_Itn[set], un)) &&
                  !QvAllocFailed(DReAlloc1Dim(&q->Comp_ExpFrq[set], un)) &&
                  !QvAllocFailed(FReAlloc1Dim(&q->Comp_Unc[set], un));
  q->Comp_Cap[set] = ok ? n : 0;
  return ok;
}

}  // namespace

int32_t QuadCalc(int16_t set, int32_t line, SimRecord* sim, QuadRecord* q) {
  if (!sim || !q || set < 0 || set >= QUAD_SETS) return 0;
  if (line < 0 || static_cast<uint32_t>(line) >= sim->FI_Lines[set] || !sim->FI_Sim_Erg[set]) return 0;
  if (!Grow(q, set, 1)) {
    q->Comp_Count[set] = 0;
    MessageBox(Win.hWnd_Main,
               "QuadCalc()/Sim_Frq_1st/Exp_Frq_1st/Exp_Unc_1st/Sim_Itn_1st/QN_Lbl_1st/Erg_1st - CORE ALLOCATION ERROR",
               "Error", MB_SYSTEMMODAL | MB_ICONERROR);
    return 0;
  }
  q->Comp_Count[set] = 1;
  q->Comp_F[set][0] = 0.0;
  q->Comp_F[set][1] = 0.0;
  q->Comp_Frq[set][0] = sim->FI_Sim_Erg[set][line];
  q->Comp_Itn[set][0] = 1.0f;
  q->Comp_ExpFrq[set][0] = 0.0;
  q->Comp_Unc[set][0] = 1e30f;
  return 1;
}

int32_t QuadAsnFind(int16_t set, int32_t line, int32_t component, QuadRecord* q) {
  if (!q || set < 0 || set >= QUAD_SETS || component < 0 || component >= q->Comp_Count[set]) return 0;
  q->Comp_ExpFrq[set][component] = 0.0;
  q->Comp_Unc[set][component] = 1e30f;
  const double* list = q->Asn_TList[set];
  if (!list) return 0;
  const double fUp = q->Comp_F[set][2 * component], fLo = q->Comp_F[set][2 * component + 1];
  for (int32_t k = 0; k < q->Asn_Cnt[set]; ++k) {
    const double* entry = list + 5 * k;
    if (entry[3] == line && entry[1] == fUp && entry[2] == fLo) {
      q->Comp_ExpFrq[set][component] = entry[0];
      q->Comp_Unc[set][component] = static_cast<float>(entry[4]);
      return 1;
    }
  }
  return 0;
}

void QuadComponentsFree(int16_t set, QuadRecord* q) {
  if (!q || set < 0 || set >= QUAD_SETS) return;
  DFree1Dim(&q->Comp_F[set]);
  DFree1Dim(&q->Comp_Frq[set]);
  FFree1Dim(&q->Comp_Itn[set]);
  DFree1Dim(&q->Comp_ExpFrq[set]);
  FFree1Dim(&q->Comp_Unc[set]);
  LFree1Dim(&q->QN_List[set]);
  q->Comp_Cap[set] = 0;
  q->Comp_Count[set] = 0;
}
