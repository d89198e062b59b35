// Interpolating cubic splines (set-up of the second derivatives, evaluation), in
// single and double precision. Arrays are addressed 1..n. An end slope of 9.9e29 or
// more selects the natural end (second derivative 0); callers pass 1e30. Set-up and
// evaluation need at least two knots. The work vector is allocated per call, so
// every routine may run in several threads at once.
#pragma once

#include <cstdint>

// Natural-end marker that callers pass as an end slope.
constexpr double SPLINE_NATURAL = 1.0e30;

// Second derivatives y2[1..n] of the spline through (x[i], y[i]), x ascending.
// 1, or -1 after an "Error" box (allocation failure, fewer than two knots).
int16_t FSpline(const float* x, const float* y, int32_t n, float yp1, float ypn, float* y2);
// As FSpline; with plot = 1 the knots are also written to the file named by
// Dsp.Plot_Flnm ("PLOT.dat" at first, current folder), one "%14.6lf %14.6lf" line
// per knot, with CR LF line ends.
int16_t DSpline(const double* x, const double* y, int32_t n, double yp1, double ypn, double* y2, int16_t plot);

// Spline value at x (the end intervals' cubics extend outside the knots). -1 without
// a message, *y untouched, when the bracketing abscissae are equal or n < 2.
int16_t FSplint(const float* xa, const float* ya, const float* y2a, int32_t n, float x, float* y);
int16_t DSplint(const double* xa, const double* ya, const double* y2a, int32_t n, double x, double* y);
