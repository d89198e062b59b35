// Levenberg-Marquardt non-linear least squares (mrqmin with mrqcof), in the 1-based
// textbook form, extended for concurrent fits: each fit uses its own process index p
// (0..29), whose work arrays are kept between calls in MrqWork; the caller's run flag
// (the fit passes its set's Lsf.Run_Flag[s]) is tested before every model evaluation,
// and a 0 ends the call with -1; a hook may prepare the model before each pass over the
// data.
//
// x, y, sig are addressed 1..ndata, a 1..ma, lista 1..ma (fitted parameters first,
// 1..mfit; mrqmin fills in the held ones), covar and alpha [1..mfit][1..mfit].
// Results: 1 success, -1 failure.
#pragma once

#include <cstdint>

#include "records/AtomicField.h"

// model(p, s, i - 1, x[i], a, &ymod, dyda, ma): value and derivatives by all ma
// parameters (dyda[1..ma]) at point i.
using MrqModelFunc = void (*)(int16_t p, int16_t s, int32_t i0, double x, double* a, double* ymod, double* dyda,
                              int32_t ma);
// hook(s, a): called once before each pass over the data.
using MrqHookFunc = void (*)(int16_t s, double* a);

// One step. alamda < 0 starts a fit: alamda becomes 0.001 and chisq that of the
// start parameters, no step is taken yet. alamda = 0 finishes it
// (covar gets the covariance in the order of lista), alamda = -10 returns 1 at once.
int16_t mrqmin(int16_t p, int16_t s, const double* x, const double* y, const double* sig, int32_t ndata, double* a,
               int32_t ma, int32_t* lista, int32_t mfit, double** covar, double** alpha, double* chisq,
               MrqModelFunc funcs, MrqHookFunc hook, const Shared<uint32_t>& run, double* alamda);

// Curvature matrix alpha, gradient beta and chi-square of the parameters a.
int16_t mrqcof(int16_t p, int16_t s, const double* x, const double* y, const double* sig, int32_t ndata, double* a,
               int32_t ma, const int32_t* lista, int32_t mfit, double** alpha, double* beta, double* chisq,
               MrqModelFunc funcs, MrqHookFunc hook, const Shared<uint32_t>& run);

// Releases the work arrays of process p (all processes for p < 0).
void MrqRelease(int16_t p);
