// Spline resizing of 1,000,000 points onto 1,500,000, beside GSL's natural cubic
// spline (set-up and evaluation over the same points, walking the output grid with an
// accelerator), with the medians of both and their ratio.
#include <benchmark/benchmark.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_interp.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/TypedArrays.h"
#include "fileproc/xcorr/Resample.h"
#include "numerics/Spline.h"
#include "records/ResizeWork.h"

namespace {

constexpr int32_t kIn = 1000000;
constexpr int32_t kOut = 1500000;

struct Data {
  std::vector<float> in = std::vector<float>(kIn);
  std::vector<float> ours = std::vector<float>(kOut);
  std::vector<float> gsl = std::vector<float>(kOut);
  std::vector<double> x = std::vector<double>(kIn);
  std::vector<double> y = std::vector<double>(kIn);
  std::vector<double> seconds[2];
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

float Clamp(double v) {
  if (v > 1e20) return 1e20f;
  if (v < -1e20 || std::isnan(v)) return -1e20f;
  return static_cast<float>(v);
}

void Ours(benchmark::State& state, Data& d) {
  float* out = d.ours.data();
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    if (ResizeFileAry(0, RESIZE_ARRAY_MODE, nullptr, nullptr, 1, kIn, kOut, 1.0, 0.0, d.in.data(), nullptr, &out, 1.0,
                      0) != 1)
      state.SkipWithError("ResizeFileAry failed");
    d.seconds[0].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    benchmark::DoNotOptimize(out);
  }
}

// The reference: the same knots from the float input, GSL's set-up, and the output
// grid walked forward with an accelerator, clamped to float as ours is.
void Gsl(benchmark::State& state, Data& d) {
  gsl_interp* spline = gsl_interp_alloc(gsl_interp_cspline, kIn);
  gsl_interp_accel* acc = gsl_interp_accel_alloc();
  const double step = static_cast<double>(kIn) / kOut;
  const double last = d.x.back();
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    for (int32_t i = 0; i < kIn; ++i) d.y[i] = d.in[i];
    gsl_interp_init(spline, d.x.data(), d.y.data(), kIn);
    gsl_interp_accel_reset(acc);
    for (int32_t j = 0; j < kOut; ++j) {
      const double at = std::min(static_cast<double>(j) * step, last);  // GSL does not extrapolate
      d.gsl[j] = Clamp(gsl_interp_eval(spline, d.x.data(), d.y.data(), at, acc));
    }
    d.seconds[1].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    benchmark::DoNotOptimize(d.gsl.data());
  }
  gsl_interp_accel_free(acc);
  gsl_interp_free(spline);
}

}  // namespace

int main(int argc, char** argv) {
  gsl_set_error_handler_off();
  static Data d;
  for (int32_t i = 0; i < kIn; ++i) {
    d.in[i] = static_cast<float>(std::sin(i * 1.0e-3) + 0.25 * std::cos(i * 0.37));
    d.x[i] = i;
  }
  benchmark::RegisterBenchmark("ResizeFileAry_1M_to_1.5M", [](benchmark::State& st) { Ours(st, d); })
      ->Repetitions(7)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("GslCspline_1M_to_1.5M", [](benchmark::State& st) { Gsl(st, d); })
      ->Repetitions(7)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  // The values are DSplint's: check a spread of output points against it.
  const double* frq = ResizeWork.Slot[0].frq.data();
  const double* itn = ResizeWork.Slot[0].itn.data();
  const double* d2 = ResizeWork.Slot[0].frq2itn.data();
  int64_t unequal = 0;
  double gslDiff = 0.0;
  for (int32_t j = 0; j < kOut && ResizeWork.Slot[0].frq.size() > 1; j += 997) {
    double v = 0.0;
    DSplint(frq, itn, d2, kIn, j * (static_cast<double>(kIn) / kOut), &v);
    if (Clamp(v) != d.ours[j]) ++unequal;
    if (j * (static_cast<double>(kIn) / kOut) <= kIn - 1)
      gslDiff = std::max(gslDiff, static_cast<double>(std::fabs(d.ours[j] - d.gsl[j])));
  }
  const double ours = Median(d.seconds[0]);
  const double gsl = Median(d.seconds[1]);
  std::printf("\nmedian ResizeFileAry : %8.3f ms\nmedian GSL cspline   : %8.3f ms\n", ours * 1e3, gsl * 1e3);
  if (gsl > 0) std::printf("ResizeFileAry / GSL  : %8.3f  (at most 1.2 wanted)\n", ours / gsl);
  std::printf("points unequal to DSplint: %lld, largest difference to GSL: %.3g\n", static_cast<long long>(unequal),
              gslDiff);
  return 0;
}
