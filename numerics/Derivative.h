// Chebyshev series evaluation and Ridders' extrapolated numerical derivative.
#pragma once

#include <cstdint>

#include "numerics/Marquardt.h"

// Clenshaw sum of the first m coefficients c[0..m-1] (c[0] halved) at x in [a, b].
// Outside the interval: "chebev()\n\nX OUT OF RANGE ERROR" and 0.
double chebev(double a, double b, const double* c, int32_t m, double x);

// Derivative of the model value at point i0 (abscissa x) with respect to parameter
// a[iprm] (a addressed 1..ma) by Ridders' method with initial step h, in single
// precision; *err receives the error estimate. a[iprm] keeps its value. h = 0 shows
// "dfridr()\n\nh must be nonzero in dfridr" and gives 0 with *err = 1e30; an
// allocation failure gives -1. The tableau is allocated per call.
float dfridr(MrqModelFunc func, int16_t p, int16_t s, int32_t i0, double x, double* a, int32_t ma, int32_t iprm,
             float h, float* err);
