// FFT smoothing and spline evaluation, each beside a plain loop over the same data.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "numerics/Smooth.h"
#include "numerics/Spline.h"

namespace {

constexpr int kPoints = 2000000;

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
    benchmark::DoNotOptimize(FSmooth(a.data(), 4.0f, kPoints));
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_FSmooth)->Unit(benchmark::kMillisecond);

// Reference: a straight 9-point moving average over the same trace.
void BM_MovingAverageReference(benchmark::State& state) {
  const std::vector<float> source = Trace();
  std::vector<float> out(kPoints);
  for (auto _ : state) {
    float sum = 0.0f;
    for (int i = 0; i < kPoints; ++i) {
      sum += source[i];
      if (i >= 9) sum -= source[i - 9];
      out[i] = sum / 9.0f;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_MovingAverageReference)->Unit(benchmark::kMillisecond);

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

void BM_DSplintSweep(benchmark::State& state) {
  const Knots k;
  const double step = (k.x[kKnots] - k.x[1]) / kSamples;
  for (auto _ : state) {
    double sum = 0.0;
    for (int s = 0; s < kSamples; ++s) {
      double v = 0.0;
      DSplint(k.x.data(), k.y.data(), k.y2.data(), kKnots, k.x[1] + s * step, &v);
      sum += v;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_DSplintSweep)->Unit(benchmark::kMillisecond);

// Reference: linear interpolation over the same monotone sweep, walking the knots.
void BM_LinearInterpolationReference(benchmark::State& state) {
  const Knots k;
  const double step = (k.x[kKnots] - k.x[1]) / kSamples;
  for (auto _ : state) {
    double sum = 0.0;
    int lo = 1;
    for (int s = 0; s < kSamples; ++s) {
      const double t = k.x[1] + s * step;
      while (lo < kKnots - 1 && k.x[lo + 1] <= t) ++lo;
      const double f = (t - k.x[lo]) / (k.x[lo + 1] - k.x[lo]);
      sum += k.y[lo] + f * (k.y[lo + 1] - k.y[lo]);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_LinearInterpolationReference)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
