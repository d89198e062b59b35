// Intensity of one line of a set.
#pragma once

#include <cstdint>

// The line's intensity: its stored value, or the square of its transition amplitudes
// weighted by the signed roots of the dipole shares, times the Boltzmann factors of the
// set's temperatures (with the one-state factor nu x 0.0001). 0 for a line or level
// outside the set.
double SimFIItnCalc(int16_t set, int32_t line);
