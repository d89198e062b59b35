// The program's one FFTW planner lock. FFTW's planner keeps global state, so planning
// and destroying plans must never run on two threads at once (the transform dialog on
// the interface thread while an operation sequence transforms on its own thread).
// Every plan the program makes or destroys goes through these two calls; executing a
// plan needs no lock.
#pragma once

#include <fftw3.h>

#include <cstdint>

// Plans a one-dimensional real-to-complex transform of n values with FFTW_ESTIMATE
// (which leaves both buffers untouched). Null when FFTW could not plan it.
fftw_plan FftwPlanR2C(int32_t n, double* in, fftw_complex* out);
// Destroys a plan (null is ignored).
void FftwDestroy(fftw_plan plan);
