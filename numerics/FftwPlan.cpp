#include "numerics/FftwPlan.h"

#include <mutex>

namespace {

// FFTW's planner is not reentrant; this is the only lock around it.
std::mutex FftwPlannerLock;

}  // namespace

fftw_plan FftwPlanR2C(int32_t n, double* in, fftw_complex* out) {
  std::lock_guard<std::mutex> hold(FftwPlannerLock);
  return fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
}

void FftwDestroy(fftw_plan plan) {
  if (!plan) return;
  std::lock_guard<std::mutex> hold(FftwPlannerLock);
  fftw_destroy_plan(plan);
}
