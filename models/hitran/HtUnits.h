// Unit state of the HITRAN simulation sets: their frequencies, lower-state energies,
// air and self widths, air shifts and cut-off are held either in MHz or in cm-1.
#pragma once

#include <cstdint>

inline constexpr double HT_MHZ_PER_CM1 = 29979.2458;
inline constexpr double HT_CM1_PER_MHZ = 3.3356409519815205e-5;

// set 0..8, or -1 (65535) for all nine; for each named HITRAN set: mode 1 converts a
// set held in MHz to cm-1 (the unit the files hold); mode 0 converts when the set's
// unit differs from the unit of the data axis (units text "MHz" or "CM-1"). While the
// axis is in nanometres mode 0 converts nothing and status part 3 names the set.
void SimHTUnitsConvert(int16_t set, int16_t mode);
