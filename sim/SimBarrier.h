// The torsional-barrier calculation of a set, as the barrier dialog ("V3 BARRIER") and
// the simulation-file reader use it.
#pragma once

#include <cstdint>

#include "records/Sim.h"

// Keeps the frame choice (1 principal axes, 2 rho axes; anything else keeps the set's
// choice) and the set's rotor constants as the calculation's start values. 1, or 0 for
// an invalid set.
int32_t W36InitValue(int16_t set, int32_t frame, SimRecord* sim, int32_t mode);
// Recomputes the set's lines from its constants and derivatives (SimFIDerRun). Its
// result, or 0 when the set has no derivatives.
int32_t W36DevRun(int16_t set, int32_t frame, SimRecord* sim);
