// Vibrational anharmonic components, at their least: each line of the set's rendered
// range is one component at its own frequency with relative intensity 1 until the
// anharmonic model is built.
#pragma once

#include <cstdint>

// Components of the lines Sim.FI_IDX_BEG..FI_IDX_END of the set into VibArrays.
// Non-zero on success, 0 when the arrays cannot be made.
uint32_t VibAnharmCalc(int16_t set);
// Releases the set's VibArrays (tests, end of the program).
void VibArraysFree(int16_t set);
