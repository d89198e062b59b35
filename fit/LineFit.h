// Straight-line least squares with outlier rejection: y = intercept + slope * x by the
// SVD fit of the numerical library. After each fit every point whose residual exceeds
// level times the RMS residual is left out and the rest fitted again, until no point
// drops. A vary flag of 0 holds that parameter at its value on entry. Each call writes
// its report to "LLsf.log" in the working folder, created anew.
#pragma once

#include <cstdint>

// The report file of the line fits.
constexpr const char* LSF_LOG_NAME = "LLsf.log";

// x[0..n), y[0..n); slope and intercept are starting values on entry and results on
// return. status, when given, receives the number of points of the final fit (0 on
// failure). Returns 1 on success; 0 when fewer points than fitted parameters remain,
// nothing is varied, the log cannot be written or memory is short (each with its box).
int32_t LsfLineFit(int32_t n, const double* x, const double* y, int32_t varySlope, int32_t varyIntercept,
                   double* slope, double* intercept, int32_t* status, double level);

// Power normalisation: fits signal = scalar x power + offset over the points
// [first, end) of the two float files (0, 0: the whole of the shorter one) by
// LsfLineFit at the rejection level, and logs the result to "LLsf.log". With the AC
// switch (Cnl.AcStat) the smoothed baseline of each file (operation 2011 at the FFT
// smoothing window) is removed first, smoothed into temporary files; the named files
// and the settings stay unchanged. A point of the range without a value (not a number,
// or 1e18 and more) fails it, named.
// 1 on success, 0 on failure.
int32_t LsfPowerNrm(int16_t slot, const char* signal, const char* power, int32_t first, int32_t end, double level);
