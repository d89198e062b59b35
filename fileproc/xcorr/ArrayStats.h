// Minimum, maximum, mean and RMS scatter of a trace, or of the point-by-point
// difference of two traces.
#pragma once

#include <cstdint>

// Statistics of the values lo..hi (both included) of each array given, in the order
// la, fa, da (each later one replaces the results of the one before). lo = hi = 0,
// hi < lo, lo < 0 or hi > n - 1 select the whole array. The extremes start from
// +-2147483647 (integers), +-1e20 (floats) or +-1e80 (doubles). outRms, when given,
// receives the sample standard deviation about the mean (0.0 for one value).
// outMean and outRms may be null. Returns 0 when n is 0 or outMin/outMax is
// absent (the outputs untouched), else 1.
int32_t ManFindMinMaxDiffAveRMS1DAry(const int32_t* la, const float* fa, const double* da, uint32_t n, int32_t lo,
                                     int32_t hi, double* outMin, double* outMax, double* outMean, double* outRms);

// Statistics of B[i] - A[i] over the whole arrays for each pair given (both arrays
// present), in the order integer, float, double; the outputs hold those of the last
// pair. Integer differences are formed in 64 bits. Returns 1, or 0 when n is 0 or a
// work array could not be had (after an "Error" box).
int32_t ManFindMinMaxDiffAveRMS2DAry(const int32_t* longA, const int32_t* longB, const float* floatA,
                                     const float* floatB, const double* doubleA, const double* doubleB, uint32_t n,
                                     double* outMin, double* outMax, double* outMean, double* outRms);
