// Array cross-correlation over a window of 65,536 points and lags -256..+256, both
// routines each beside a plain direct loop over the same lags doing the same sums and
// counts, with the medians and their ratios.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "fileproc/xcorr/CrossCorr.h"

namespace {

constexpr uint32_t kWindow = 65536;
constexpr int32_t kR = 256;
constexpr double kDamp = 0.01;

struct Data {
  std::vector<float> a = std::vector<float>(kWindow + kR);
  std::vector<float> b = std::vector<float>(kWindow + kR);
  std::vector<double> ctr = std::vector<double>(2 * kR + 1);
  uint32_t index[4] = {};
  std::vector<double> seconds[4];
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The reference: weights, every lag's two sums over i < nInner with i + k < nOuter,
// the mean products, the largest value and the first index nearest the centre.
uint32_t Direct(const float* a, const float* b, uint32_t nOuter, uint32_t nInner, double* ctr) {
  for (int32_t k = 0; k <= kR; ++k) {
    const double w = 1.0 - std::fabs(static_cast<double>(k) / kR) * kDamp;
    double forward = 0.0;
    double backward = 0.0;
    const uint32_t m = std::min(nInner, nOuter > uint32_t(k) ? nOuter - k : 0u);
    for (uint32_t i = 0; i < m; ++i) {
      forward += static_cast<double>(a[i]) * static_cast<double>(b[i + k]);
      backward += static_cast<double>(a[i + k]) * static_cast<double>(b[i]);
    }
    ctr[kR + k] = m ? forward * (w / m) : 0.0;
    ctr[kR - k] = m ? backward * (w / m) : 0.0;
  }
  uint32_t best = 0;
  for (uint32_t c = 1; c <= 2 * kR; ++c)
    if (ctr[c] > ctr[best] || (ctr[c] == ctr[best] && std::abs(int32_t(c) - kR) < std::abs(int32_t(best) - kR)))
      best = c;
  return best;
}

template <typename Fn>
void Timed(benchmark::State& state, Data& d, int which, Fn fn) {
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    d.index[which] = fn();
    d.seconds[which].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    benchmark::DoNotOptimize(d.index[which]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  static Data d;
  // A chirped trace and the same trace lying 37 points later with a little noise.
  for (uint32_t i = 0; i < kWindow + kR; ++i) {
    const double t = i * 1e-4;
    d.a[i] = static_cast<float>(std::sin(t * (40.0 + 300.0 * t)) + 0.1 * std::cos(i * 0.71));
  }
  for (uint32_t i = 0; i < kWindow + kR; ++i)
    d.b[i] = (i >= 37 ? d.a[i - 37] : 0.0f) + static_cast<float>(0.01 * std::sin(i * 1.3));
  const uint32_t outer = kWindow + kR;
  benchmark::RegisterBenchmark("CrossCorrArys_64K_R256", [](benchmark::State& st) {
    uint32_t index = 0;
    Timed(st, d, 0, [&] {
      CrossCorrArys(d.a.data(), d.b.data(), kWindow, kR, kDamp, &index, nullptr);
      return index;
    });
  })->Repetitions(7)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("DirectLoop_64K_R256", [](benchmark::State& st) {
    Timed(st, d, 1, [&] { return Direct(d.a.data(), d.b.data(), kWindow, kWindow, d.ctr.data()); });
  })->Repetitions(7)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("CrossCorrArysTS_64K_R256", [outer](benchmark::State& st) {
    uint32_t index = 0;
    Timed(st, d, 2, [&] {
      CrossCorrArysTS(1, d.a.data(), d.b.data(), outer, kWindow, kR, kDamp, &index, nullptr);
      return index;
    });
  })->Repetitions(7)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("DirectLoopTS_64K_R256", [outer](benchmark::State& st) {
    Timed(st, d, 3, [&] { return Direct(d.a.data(), d.b.data(), outer, kWindow, d.ctr.data()); });
  })->Repetitions(7)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  const char* names[2] = {"CrossCorrArys  ", "CrossCorrArysTS"};
  for (int j = 0; j < 2; ++j) {
    const double ours = Median(d.seconds[2 * j]);
    const double direct = Median(d.seconds[2 * j + 1]);
    std::printf("\nmedian %s : %8.3f ms\nmedian direct loop    : %8.3f ms\n", names[j], ours * 1e3, direct * 1e3);
    if (direct > 0) std::printf("%s / direct : %8.3f  (at most 1.2 wanted)\n", names[j], ours / direct);
    std::printf("shift found: %d, direct loop: %d (-37 expected)\n", kR - static_cast<int32_t>(d.index[2 * j]),
                kR - static_cast<int32_t>(d.index[2 * j + 1]));
  }
  return 0;
}
