#include "models/quad/Quad.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "models/quad/QuadMath.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"

namespace {

constexpr double kMaxSpin = 20.0;  // larger spins are taken as input errors: no splitting

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

struct Component {
  double fUp, fLo, frq, itn;
};

// Quadrupole constants chi_aa, chi_bb, chi_cc of a level and its <Pa^2>, <Pb^2>, <Pc^2>.
struct Level {
  int J = 0;
  const double* chi = nullptr;
  double p2[3] = {};
};

// Column of the frequency derivative by constant slot g of a state: the number of
// active constants before it, ground state (slots 0..21) first; -1 when g is not active.
int32_t Column(const SimRecord& sim, int16_t set, int state, int g) {
  if (sim.RC_DevStat[set][state][g] == 0) return -1;
  int32_t col = 0;
  for (int st = 0; st < state; ++st)
    for (int slot = 0; slot < SIM_RC_CONSTS - 1; ++slot) col += sim.RC_DevStat[set][st][slot] != 0;
  for (int slot = 0; slot < g; ++slot) col += sim.RC_DevStat[set][state][slot] != 0;
  return col;
}

// <Pg^2> of both levels of the line from its derivatives by A, B and C: the lower level
// -d nu/dG of the ground state, the upper +d nu/dG of the excited state; a one-state set
// keeps the lower level's derivatives in its first half of columns and the upper's in
// the second, both by the ground-state constants. A level needs the derivative by an
// axis whose constant is not 0 (none for J = 0). False, with the status text naming the
// first missing one, when a needed derivative is not active.
bool LevelP2(const SimRecord& sim, int16_t set, int32_t line, Level* lo, Level* up) {
  const bool oneState = sim.ONESTATE_STAT[set] == 1;
  const uint32_t nd = oneState ? 2 * sim.DVS_NO[set][SIM_GND] : sim.DVS_NO[set][SIM_GND] + sim.DVS_NO[set][SIM_EXC];
  const int32_t half = static_cast<int32_t>(nd / 2);
  const double* row = sim.FI_Dev[set] ? sim.FI_Dev[set] + static_cast<size_t>(line) * nd : nullptr;
  for (int upper = 0; upper < 2; ++upper) {
    Level* lv = upper ? up : lo;
    const int state = upper && !oneState ? SIM_EXC : SIM_GND;
    for (int g = 0; g < 3 && lv->J > 0; ++g) {
      if (lv->chi[g] == 0.0) continue;
      int32_t col = Column(sim, set, state, g);
      if (oneState && col >= 0) col = col < half ? col + (upper ? half : 0) : -1;
      if (col < 0 || !row || sim.DVS_STAT[set] == 0 || static_cast<uint32_t>(col) >= nd) {
        core_io::StatusText(3, StrPrintf("[%s] SIM [%s] - QUAD NOT SPLIT - NO ACTIVE DERIVATIVE BY [%c] OF [%s]",
                                         sim.Set_Lbl[set], sim.Sim_Flnm[set], "ABC"[g], state == SIM_GND ? "GND" : "EXC"));
        return false;
      }
      lv->p2[g] = upper ? row[col] : -row[col];
    }
  }
  return true;
}

// First-order quadrupole energy of level F of a level: 2 (sum chi_gg <Pg^2>) / (J(J+1)) Y.
double Energy(const Level& lv, double I, double F) {
  if (lv.J == 0) return 0.0;
  const double J = lv.J;
  double s = 0.0;
  for (int g = 0; g < 3; ++g) s += lv.chi[g] * lv.p2[g];
  return 2.0 * s / (J * (J + 1.0)) * quadmath::Casimir(J, I, F);
}

// The hyperfine components of a line, or one component F' = J', F'' = J'' at the line's
// frequency when it does not split (spin below 1, all constants 0, a missing
// derivative, no allowed component). Intensities are shares of the line's intensity:
// (2F'+1)(2F''+1){J' F' I; F'' J'' 1}^2 over their sum (2I+1); a component below the
// set's intensity cut (a share, 0..1) is left out.
std::vector<Component> Components(int16_t set, int32_t line, const SimRecord& sim, const QuadRecord& q) {
  const double nu = sim.FI_Sim_Erg[set][line];
  Level lo, up;
  if (sim.FI_Jkk_Lbl[set]) {
    up.J = sim.FI_Jkk_Lbl[set][6 * static_cast<size_t>(line)];
    lo.J = sim.FI_Jkk_Lbl[set][6 * static_cast<size_t>(line) + 3];
  }
  const std::vector<Component> unsplit = {{static_cast<double>(up.J), static_cast<double>(lo.J), nu, 1.0}};
  const double spin = q.Prm2[set];
  if (!(spin >= 1.0 && spin <= kMaxSpin) || up.J < 0 || lo.J < 0) return unsplit;
  const int twoI = static_cast<int>(std::lround(2.0 * spin));
  const double I = 0.5 * twoI;
  const bool oneState = sim.ONESTATE_STAT[set] == 1;
  lo.chi = q.Prm[set][SIM_GND];
  up.chi = oneState ? q.Prm[set][SIM_GND] : q.Prm[set][SIM_EXC];
  const bool anyChi = std::any_of(lo.chi, lo.chi + 3, [](double c) { return c != 0.0; }) ||
                      std::any_of(up.chi, up.chi + 3, [](double c) { return c != 0.0; });
  if (!anyChi || !LevelP2(sim, set, line, &lo, &up)) return unsplit;

  std::vector<Component> comps;
  double total = 0.0;
  for (int tFu = std::abs(2 * up.J - twoI); tFu <= 2 * up.J + twoI; tFu += 2)
    for (int tFl = std::abs(2 * lo.J - twoI); tFl <= 2 * lo.J + twoI; tFl += 2) {
      if (std::abs(tFu - tFl) > 2) continue;
      const double w6 = quadmath::SixJ(2 * up.J, tFu, twoI, tFl, 2 * lo.J, 2);
      const double w = (tFu + 1.0) * (tFl + 1.0) * w6 * w6;
      if (!(w > 1e-12)) continue;
      const double Fu = 0.5 * tFu, Fl = 0.5 * tFl;
      comps.push_back({Fu, Fl, nu + Energy(up, I, Fu) - Energy(lo, I, Fl), w});
      total += w;
    }
  if (comps.empty()) return unsplit;
  const double cut = q.Itn_Cut[set];
  std::vector<Component> kept;
  for (Component c : comps) {
    c.itn /= total;
    if (c.itn >= cut) kept.push_back(c);
  }
  return kept;
}

}  // namespace

int32_t QuadCalc(int16_t set, int32_t line, SimRecord* sim, QuadRecord* q) {
  if (!sim || !q || set < 0 || set >= QUAD_SETS) return 0;
  if (line < 0 || static_cast<uint32_t>(line) >= sim->FI_Lines[set] || !sim->FI_Sim_Erg[set]) return 0;
  const std::vector<Component> comps = Components(set, line, *sim, *q);
  const int32_t n = static_cast<int32_t>(comps.size());
  if (!Grow(q, set, std::max(n, 1))) {
    q->Comp_Count[set] = 0;
    MessageBox(Win.hWnd_Main,
               "QuadCalc()/Sim_Frq_1st/Exp_Frq_1st/Exp_Unc_1st/Sim_Itn_1st/QN_Lbl_1st/Erg_1st - CORE ALLOCATION ERROR",
               "Error", MB_SYSTEMMODAL | MB_ICONERROR);
    return 0;
  }
  q->Comp_Count[set] = n;
  for (int32_t k = 0; k < n; ++k) {
    q->Comp_F[set][2 * k] = comps[static_cast<size_t>(k)].fUp;
    q->Comp_F[set][2 * k + 1] = comps[static_cast<size_t>(k)].fLo;
    q->Comp_Frq[set][k] = comps[static_cast<size_t>(k)].frq;
    q->Comp_Itn[set][k] = static_cast<float>(comps[static_cast<size_t>(k)].itn);
    q->Comp_ExpFrq[set][k] = 0.0;
    q->Comp_Unc[set][k] = 1e30f;
  }
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
