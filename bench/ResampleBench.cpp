// Spline resizing of 1,000,000 points onto 1,500,000, beside GSL at its best in two
// ways: GSL's natural cubic spline (set-up, then evaluation over the same points with
// an accelerator), and the natural spline's second derivatives from GSL's symmetric
// tridiagonal solver with the output grid walked forward through the knots. The
// values are checked against DSplint's (the same bits) and against GSL's (to float
// precision). Medians of interleaved repetitions and their ratios.
#include <benchmark/benchmark.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_interp.h>
#include <gsl/gsl_linalg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/BenchMedians.h"
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
  std::vector<float> walked = std::vector<float>(kOut);
  std::vector<double> x = std::vector<double>(kIn);
  std::vector<double> y = std::vector<double>(kIn);
};
Data data;

float Clamp(double v) {
  if (v > 1e20) return 1e20f;
  if (v < -1e20 || std::isnan(v)) return -1e20f;
  return static_cast<float>(v);
}

void BM_ResizeFileAry(benchmark::State& state) {
  float* out = data.ours.data();
  for (auto _ : state)
    if (ResizeFileAry(0, RESIZE_ARRAY_MODE, nullptr, nullptr, 1, kIn, kOut, 1.0, 0.0, data.in.data(), nullptr, &out,
                      1.0, 0) != 1)
      state.SkipWithError("ResizeFileAry failed");
}

// GSL's natural cubic spline: the same knots from the float input, GSL's set-up, and
// the output grid evaluated forward with an accelerator, clamped to float as ours is.
void BM_GslCspline(benchmark::State& state) {
  Data& d = data;
  gsl_interp* spline = gsl_interp_alloc(gsl_interp_cspline, kIn);
  gsl_interp_accel* acc = gsl_interp_accel_alloc();
  const double step = static_cast<double>(kIn) / kOut;
  const double last = d.x.back();
  for (auto _ : state) {
    for (int32_t i = 0; i < kIn; ++i) d.y[i] = d.in[i];
    gsl_interp_init(spline, d.x.data(), d.y.data(), kIn);
    gsl_interp_accel_reset(acc);
    for (int32_t j = 0; j < kOut; ++j) {
      const double at = std::min(static_cast<double>(j) * step, last);  // GSL does not extrapolate
      d.gsl[j] = Clamp(gsl_interp_eval(spline, d.x.data(), d.y.data(), at, acc));
    }
  }
  gsl_interp_accel_free(acc);
  gsl_interp_free(spline);
}

// The natural spline through the unit-spaced knots: second derivatives M from GSL's
// symmetric tridiagonal solver (M[i-1] + 4 M[i] + M[i+1] = 6 (y[i+1] - 2 y[i] +
// y[i-1]), M = 0 at both ends), then the output grid walked forward through the
// knots, the last interval continued past the last knot.
void BM_GslTridiagonalWalking(benchmark::State& state) {
  Data& d = data;
  const size_t inner = kIn - 2;
  gsl_vector* diag = gsl_vector_alloc(inner);
  gsl_vector* off = gsl_vector_alloc(inner - 1);
  gsl_vector* rhs = gsl_vector_alloc(inner);
  gsl_vector* m = gsl_vector_alloc(inner);
  std::vector<double> y2(kIn);
  const double step = static_cast<double>(kIn) / kOut;
  gsl_vector_set_all(diag, 4.0);  // the solver leaves the matrix as it is
  gsl_vector_set_all(off, 1.0);
  for (auto _ : state) {
    double* r = rhs->data;
    for (size_t i = 0; i < inner; ++i) r[i] = 6.0 * (static_cast<double>(d.in[i + 2]) - 2.0 * d.in[i + 1] + d.in[i]);
    gsl_linalg_solve_symm_tridiag(diag, off, rhs, m);
    y2.front() = y2.back() = 0.0;
    std::copy(m->data, m->data + inner, y2.begin() + 1);
    int32_t i = 0;
    for (int32_t j = 0; j < kOut; ++j) {
      const double t = static_cast<double>(j) * step;
      while (i < kIn - 2 && static_cast<double>(i + 1) <= t) ++i;
      const double b = t - i, a = 1.0 - b;
      d.walked[j] = Clamp(a * d.in[i] + b * d.in[i + 1] + ((a * a * a - a) * y2[i] + (b * b * b - b) * y2[i + 1]) / 6.0);
    }
  }
  gsl_vector_free(diag);
  gsl_vector_free(off);
  gsl_vector_free(rhs);
  gsl_vector_free(m);
}

}  // namespace

int main(int argc, char** argv) {
  gsl_set_error_handler_off();
  Data& d = data;
  for (int32_t i = 0; i < kIn; ++i) {
    d.in[i] = static_cast<float>(std::sin(i * 1.0e-3) + 0.25 * std::cos(i * 0.37));
    d.x[i] = i;
  }
  for (auto* b : {benchmark::RegisterBenchmark("BM_ResizeFileAry", BM_ResizeFileAry),
                  benchmark::RegisterBenchmark("BM_GslCspline", BM_GslCspline),
                  benchmark::RegisterBenchmark("BM_GslTridiagonalWalking", BM_GslTridiagonalWalking)})
    b->Repetitions(7)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->UseRealTime();
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;

  // The values are DSplint's: check a spread of output points against it.
  const double* frq = ResizeWork.Slot[0].frq.data();
  const double* itn = ResizeWork.Slot[0].itn.data();
  const double* d2 = ResizeWork.Slot[0].frq2itn.data();
  int64_t unequal = 0;
  double gslDiff = 0.0, walkedDiff = 0.0;
  for (int32_t j = 0; j < kOut && ResizeWork.Slot[0].frq.size() > 1; j += 997) {
    double v = 0.0;
    DSplint(frq, itn, d2, kIn, j * (static_cast<double>(kIn) / kOut), &v);
    if (Clamp(v) != d.ours[j]) ++unequal;
    if (j * (static_cast<double>(kIn) / kOut) <= kIn - 1)
      gslDiff = std::max(gslDiff, static_cast<double>(std::fabs(d.ours[j] - d.gsl[j])));
    walkedDiff = std::max(walkedDiff, static_cast<double>(std::fabs(d.ours[j] - d.walked[j])));
  }
  std::printf("points unequal to DSplint: %lld; largest difference to GSL's spline %.3g, to the walked one %.3g "
              "(bar 1e-6: %s)\n",
              static_cast<long long>(unequal), gslDiff, walkedDiff,
              std::max(gslDiff, walkedDiff) <= 1e-6 ? "kept" : "MISSED");
  reporter.PrintRatio("ResizeFileAry / GSL cspline", "BM_ResizeFileAry", "BM_GslCspline", false, 1.2);
  reporter.PrintRatio("ResizeFileAry / GSL tridiagonal, walked", "BM_ResizeFileAry", "BM_GslTridiagonalWalking", false,
                      1.2);
  return 0;
}
