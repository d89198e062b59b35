// Transition-dipole shares from a dipole given as magnitude and two angles.
#pragma once

#include <cstdint>

// Converts a dipole of the given magnitude at polar angle theta (degrees, measured
// from the a axis) and azimuth phi (degrees, in the bc plane measured from b towards
// c) into signed percentage shares along a, b and c: each share is 100 times the
// squared direction cosine, with the sign of that cosine, so the magnitudes of the
// three shares sum to 100 whatever the magnitude. mode is kept for the callers'
// signature and does not change the result. Returns 1.
int32_t HamDipoleAngleCnv(int32_t mode, double magnitude, double theta, double phi, double* a, double* b, double* c);
