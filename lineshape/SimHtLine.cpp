// The HITRAN line calculation: a line's own Doppler and pressure widths from its
// catalogue parameters and the set's gas sample, as the half profiles of the line or
// as one value of its profile.
#include <cmath>

#include "core/TypedArrays.h"
#include "records/Dsp.h"
#include "records/Sim.h"
#include "lineshape/LineShape.h"
#include "lineshape/SimInternal.h"

namespace {

// The three per-line coefficient arrays the widths need, and the line inside the set.
bool HasHitranArrays(int16_t set, uint32_t line) {
  return sim::ValidSet(set) && line < Sim.FI_Lines[set] && Sim.HT_Air_Gamma[set] && Sim.HT_Self_Gamma[set] &&
         Sim.HT_Temp_Gamma[set];
}

// Element 0 of both level-3 f64 half profiles, grown when the set has none yet.
bool HasLevel3Pair(int16_t set) {
  if (Sim.LS_DAryCap[set][3] >= 1 && Sim.LS_Lo_DAry[set][3] && Sim.LS_Hi_DAry[set][3]) return true;
  if (QvAllocFailed(DReAlloc1Dim(&Sim.LS_Lo_DAry[set][3], 1)) || QvAllocFailed(DReAlloc1Dim(&Sim.LS_Hi_DAry[set][3], 1)))
    return false;
  Sim.LS_DAryCap[set][3] = 1;
  if (Sim.LS_Pts[set][3] < 1) Sim.LS_Pts[set][3] = 1;
  return true;
}

}  // namespace

bool SimHTLineArrays(int16_t set) {
  return sim::ValidSet(set) && Sim.HT_Global_Stat[set] == 1 && Sim.FI_Lines[set] > 0 && HasHitranArrays(set, 0);
}

bool SimHTLineIsotope(int16_t set, uint32_t line, int* mol, int* iso) {
  const int16_t label = Sim.HT_Mol_Lbl[set] && line < Sim.FI_Lines[set] ? Sim.HT_Mol_Lbl[set][line] : 0;
  *mol = label / 10;
  *iso = label - 10 * *mol;
  return *mol >= 1 && *mol < HT_MOLECULES && *iso >= 1 && *iso <= HT_ISOTOPES && *iso <= SimRecord::HT_Iso_Cnt[*mol];
}

void SimHTLineWidths(int16_t set, uint32_t line, double f, double* gd, double* gl) {
  *gd = *gl = 0.0;
  if (!sim::ValidSet(set) || line >= Sim.FI_Lines[set]) return;
  auto per = [&](const float* a) { return a ? static_cast<double>(a[line]) : 0.0; };
  const double T = Sim.HT_Temp[set];
  int mol = 0, iso = 0;
  // The Doppler width from the mass of the line's isotope; none for an unknown isotope.
  const bool valid = SimHTLineIsotope(set, line, &mol, &iso);
  const double mass = valid ? SimRecord::HT_MassTable[mol][iso - 1] : 0.0;
  if (Sim.HT_Doppler_Stat[set] == 1 && mass > 0.0 && T > 0.0) *gd = 7.16234729e-07 * f * std::sqrt(T / mass);
  const double tempGamma = per(Sim.HT_Temp_Gamma[set]);
  double s = per(Sim.HT_Self_Gamma[set]);
  if (s != 0.0 && T != 296.0 && T != 0.0) s *= std::pow(296.0 / T, tempGamma);
  // A total pressure not above the partial pressure counts as none.
  const double press = Sim.HT_Press[set] <= Sim.HT_PPress[set] ? 0.0 : Sim.HT_Press[set];
  double a = 0.0;
  if (press <= 0.0) {
    if (s == 0.0) s = Sim.HT_SelfFactor[set] * per(Sim.HT_Air_Gamma[set]);
  } else {
    a = per(Sim.HT_Air_Gamma[set]);
    if (T != 296.0 && T > 0.0) a *= std::pow(296.0 / T, tempGamma);
    if (s == 0.0) s = Sim.HT_SelfFactor[set] * a;
  }
  *gl = s * Sim.HT_PPress[set] + (press - Sim.HT_PPress[set]) * a;
}

int32_t SimHTLineCalc(int32_t /*mode*/, LineShapeRec* rec) {
  if (!rec || !HasHitranArrays(rec->Set, rec->Line) || rec->View < 0 || rec->View > 3) return 0;
  const int16_t set = rec->Set, view = rec->View;
  const uint32_t line = rec->Line;
  if (rec->Mode == 1 && rec->Sub == 0) {
    // The half profiles at the record's centre, sized by the builder that called.
    double gd = 0.0, gl = 0.0;
    SimHTLineWidths(set, line, rec->Nu0, &gd, &gl);
    double* lo = Sim.LS_Lo_DAry[set][view];
    double* hi = Sim.LS_Hi_DAry[set][view];
    const int32_t n = Sim.LS_Pts[set][view];
    const double s = std::fabs(sim::SetViewStep(set, view));
    if (!lo || !hi || n < 1 || n > Sim.LS_DAryCap[set][view] || s == 0.0) return 0;
    rec->Gau = gd;
    rec->Lor = gl;
    rec->Ht[0] = gd;
    rec->Ht[1] = gl;
    rec->Ht[2] = Sim.HT_Temp[set];
    rec->Ht[3] = Sim.HT_Press[set];
    const double S = rec->FrqCor;
    if (gd == 0.0 && gl == 0.0) {
      // A stick of area 1 at the centre point.
      for (int32_t k = 0; k < n; ++k) lo[k] = hi[k] = 0.0;
      lo[0] = hi[0] = 1.0 / s;
      return 1;
    }
    for (int32_t k = 0; k < n; ++k) {
      lo[k] = LineShapeValue(gd, gl, k * s + S);
      hi[k] = LineShapeValue(gd, gl, k * s - S);
    }
    return 1;
  }
  if (rec->Mode == 0 && rec->Sub == 1) {
    // One value at Offset from the line's own frequency.
    if (!Sim.FI_Sim_Erg[set] || !HasLevel3Pair(set)) return 0;
    double gd = 0.0, gl = 0.0;
    SimHTLineWidths(set, line, Sim.FI_Sim_Erg[set][line], &gd, &gl);
    Sim.LS_Hi_DAry[set][3][0] = LineShapeValue(gd, gl, rec->Offset);
    return 1;
  }
  return 0;
}
