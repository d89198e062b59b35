#include "models/hitran/HtUnits.h"

#include <cstring>

#include "core/FileIo.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/Sim.h"

namespace {

template <typename T>
void Scale(T* values, uint32_t n, double factor) {
  if (!values) return;
  for (uint32_t i = 0; i < n; ++i) values[i] = static_cast<T>(values[i] * factor);
}

// Converts every unit-bearing value of set s by factor and flips its unit state.
void ConvertSet(int s, bool toMHz) {
  const double factor = toMHz ? HT_MHZ_PER_CM1 : HT_CM1_PER_MHZ;
  const uint32_t n = Sim.FI_Lines[s];
  Scale(Sim.FI_Sim_Erg[s], n, factor);
  Scale(Sim.FI_Exp_Erg[s], n, factor);  // 0 (unassigned) stays 0
  Scale(Sim.HT_Shift_Erg[s], n, factor);
  Scale(Sim.FI_HamErg_Vector[s][0], Sim.FI_Erg_Sz[s], factor);  // the set's lower-state energies
  Scale(Sim.HT_Air_Gamma[s], n, factor);
  Scale(Sim.HT_Self_Gamma[s], n, factor);
  Scale(Sim.HT_Air_Delta[s], n, factor);
  Sim.HT_FrqLim[s] *= factor;
  Sim.HT_MHz_Stat[s] = toMHz ? 1 : 0;
}

}  // namespace

void SimHTUnitsConvert(int16_t set, int16_t mode) {
  const bool all = set == -1;
  if (!all && (set < 0 || set >= SIM_SETS)) return;
  // The sets follow the unit of the data axis (the units text), not the readout unit
  // that the 'u' key steps through.
  const bool mhz = std::strcmp(Dsp.Units_Txt, "MHz") == 0;
  const bool cm1 = std::strcmp(Dsp.Units_Txt, "CM-1") == 0;
  for (int s = all ? 0 : set; s <= (all ? SIM_SETS - 1 : set); ++s) {
    if (Sim.HT_Global_Stat[s] != 1) continue;
    if (!mhz && !cm1)
      core_io::StatusText(3, StrPrintf("[%s] SIM [%s] - [NM] UNITS NOT VALID FOR HITRAN", Sim.Set_Lbl[s], Sim.Sim_Flnm[s]));
    if (mode == 1) {
      // Files hold cm-1 whatever the axis shows: a set held in MHz is always brought
      // back, also while the axis is in nanometres.
      if (Sim.HT_MHz_Stat[s] == 1) ConvertSet(s, false);
    } else if (mode == 0 && (mhz || cm1)) {
      const uint32_t wanted = mhz ? 1u : 0u;
      if (Sim.HT_MHz_Stat[s] != wanted) ConvertSet(s, wanted == 1);
    }
  }
}
