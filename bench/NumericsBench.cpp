// FFT smoothing and spline evaluation, each beside plain code doing the same work at
// its best: the smoothing of 2,000,000 floats beside FFTW's single-precision real
// transforms with their plans kept (the same line taken out, the same padding, filter
// and line put back: the same trace to float precision, checked), and DSplint over a
// monotone sweep of 1,000,000 positions on 20,000 knots beside the same cubic found
// by walking the knots (the same values bit for bit, checked). Medians of interleaved
// repetitions and their ratios.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/BenchMedians.h"
#include "numerics/Smooth.h"
#include "numerics/Spline.h"

namespace {

constexpr int kPoints = 2000000;
constexpr float kWidth = 4.0f;

std::vector<float> Trace() {
  std::vector<float> a(kPoints);
  for (int i = 0; i < kPoints; ++i) a[i] = std::sin(0.001f * i) + 0.1f * std::sin(1.7f * i);
  return a;
}

void BM_FSmooth(benchmark::State& state) {
  const std::vector<float> source = Trace();
  std::vector<float> a;
  for (auto _ : state) {
    state.PauseTiming();
    a = source;
    state.ResumeTiming();
    benchmark::DoNotOptimize(FSmooth(a.data(), kWidth, kPoints));
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

// The reference smoothing: the straight line through the ends taken out, the trace
// padded with zeros to the same power of two m, FFTW's real transform, every
// frequency j weighted by max(0, 1 - (pts j / m)^2) (the highest by 1 - pts^2 / 4),
// the inverse transform scaled by 1 / m and the line put back.
struct FftwSmooth {
  int64_t m = 0;
  float* buf = nullptr;
  fftwf_complex* spectrum = nullptr;
  fftwf_plan forward = nullptr, inverse = nullptr;
  explicit FftwSmooth(int64_t size) : m(size) {
    buf = fftwf_alloc_real(static_cast<size_t>(m));
    spectrum = fftwf_alloc_complex(static_cast<size_t>(m / 2 + 1));
    forward = fftwf_plan_dft_r2c_1d(static_cast<int>(m), buf, spectrum, FFTW_MEASURE);
    inverse = fftwf_plan_dft_c2r_1d(static_cast<int>(m), spectrum, buf, FFTW_MEASURE);
  }
  ~FftwSmooth() {
    fftwf_destroy_plan(forward);
    fftwf_destroy_plan(inverse);
    fftwf_free(buf);
    fftwf_free(spectrum);
  }
  void Run(float* a, int32_t n, float pts) {
    const float y1 = a[0], yn = a[n - 1], rn1 = 1.0f / static_cast<float>(n - 1);
    for (int32_t j = 0; j < n; ++j) buf[j] = a[j] - rn1 * (y1 * static_cast<float>(n - 1 - j) + yn * static_cast<float>(j));
    std::fill(buf + n, buf + m, 0.0f);
    fftwf_execute(forward);
    const double cnst = (static_cast<double>(pts) / static_cast<double>(m)) * (static_cast<double>(pts) / static_cast<double>(m));
    const int64_t half = m / 2;
    for (int64_t j = 1; j < half; ++j) {
      const float w = static_cast<float>(std::max(0.0, 1.0 - cnst * static_cast<double>(j) * static_cast<double>(j)) / m);
      spectrum[j][0] *= w;
      spectrum[j][1] *= w;
    }
    spectrum[0][0] /= static_cast<float>(m);
    spectrum[0][1] = 0.0f;
    const float top = static_cast<float>(std::max(0.0, 1.0 - 0.25 * pts * pts) / m);
    spectrum[half][0] *= top;
    spectrum[half][1] = 0.0f;
    fftwf_execute(inverse);
    for (int32_t j = 0; j < n; ++j) a[j] = buf[j] + rn1 * (y1 * static_cast<float>(n - 1 - j) + yn * static_cast<float>(j));
  }
};

void BM_FftwSmoothReference(benchmark::State& state) {
  const std::vector<float> source = Trace();
  std::vector<float> a;
  FftwSmooth smooth(SmoothWorkSize(kPoints, kWidth));
  for (auto _ : state) {
    state.PauseTiming();
    a = source;
    state.ResumeTiming();
    smooth.Run(a.data(), kPoints, kWidth);
    benchmark::DoNotOptimize(a.data());
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

constexpr int kKnots = 20000;
constexpr int kSamples = 1000000;

struct Knots {
  std::vector<double> x, y, y2;
  Knots() : x(kKnots + 1), y(kKnots + 1), y2(kKnots + 1) {
    for (int i = 1; i <= kKnots; ++i) {
      x[i] = i + 0.3 * std::sin(0.1 * i);
      y[i] = std::cos(0.01 * i);
    }
    DSpline(x.data(), y.data(), kKnots, SPLINE_NATURAL, SPLINE_NATURAL, y2.data(), 0);
  }
};

std::vector<double> sweeps[2];

void BM_DSplintSweep(benchmark::State& state) {
  const Knots k;
  const double step = (k.x[kKnots] - k.x[1]) / kSamples;
  sweeps[0].assign(kSamples, 0.0);
  for (auto _ : state) {
    for (int s = 0; s < kSamples; ++s) DSplint(k.x.data(), k.y.data(), k.y2.data(), kKnots, k.x[1] + s * step, &sweeps[0][s]);
    benchmark::DoNotOptimize(sweeps[0].data());
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}

// The reference: the same cubic of the same interval (the last knot at or below the
// position), the interval found by walking the knots with the monotone sweep.
void BM_WalkingCubicReference(benchmark::State& state) {
  const Knots k;
  const double step = (k.x[kKnots] - k.x[1]) / kSamples;
  sweeps[1].assign(kSamples, 0.0);
  const double* xa = k.x.data();
  const double* ya = k.y.data();
  const double* y2a = k.y2.data();
  for (auto _ : state) {
    int lo = 1;
    for (int s = 0; s < kSamples; ++s) {
      const double t = xa[1] + s * step;
      while (lo < kKnots - 1 && xa[lo + 1] <= t) ++lo;
      const double h = xa[lo + 1] - xa[lo];
      const double a = (xa[lo + 1] - t) / h, b = (t - xa[lo]) / h;
      sweeps[1][s] = a * ya[lo] + b * ya[lo + 1] + ((a * a * a - a) * y2a[lo] + (b * b * b - b) * y2a[lo + 1]) * (h * h) / 6.0;
    }
    benchmark::DoNotOptimize(sweeps[1].data());
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}

}  // namespace

int main(int argc, char** argv) {
  for (auto* b : {benchmark::RegisterBenchmark("BM_FSmooth", BM_FSmooth),
                  benchmark::RegisterBenchmark("BM_FftwSmoothReference", BM_FftwSmoothReference),
                  benchmark::RegisterBenchmark("BM_DSplintSweep", BM_DSplintSweep),
                  benchmark::RegisterBenchmark("BM_WalkingCubicReference", BM_WalkingCubicReference)})
    b->Unit(benchmark::kMillisecond)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true);
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;
  // The same results.
  std::vector<float> ours = Trace(), theirs = Trace();
  FSmooth(ours.data(), kWidth, kPoints);
  {
    FftwSmooth smooth(SmoothWorkSize(kPoints, kWidth));
    smooth.Run(theirs.data(), kPoints, kWidth);
  }
  double largest = 0.0;
  for (int i = 0; i < kPoints; ++i) largest = std::max(largest, static_cast<double>(std::fabs(ours[i] - theirs[i])));
  std::printf("smoothing, largest difference to the FFTW reference: %.3g (bar 1e-5: %s)\n", largest,
              largest <= 1e-5 ? "kept" : "MISSED");
  const bool same = !sweeps[0].empty() && sweeps[0].size() == sweeps[1].size() &&
                    std::memcmp(sweeps[0].data(), sweeps[1].data(), sweeps[0].size() * sizeof(double)) == 0;
  std::printf("spline sweep, the walking reference's values bit for bit: %s\n", same ? "yes" : "NO");
  reporter.PrintRatio("FSmooth / FFTW with kept plans", "BM_FSmooth", "BM_FftwSmoothReference", true, 0);
  reporter.PrintRatio("DSplint sweep / walking cubic", "BM_DSplintSweep", "BM_WalkingCubicReference", true, 0);
  return 0;
}
