// The Allan variance of 2^24 values over all 2^23 averaging sizes, on every core the
// process may use and on one, beside the same sweep written plainly: the mean taken
// out and the prefix sums of the series built with compensated sums, then each
// size's block means from prefix differences, the sizes shared among as many threads
// in batches (the same values bit for bit, checked). Medians of interleaved
// repetitions, the ratio (bar 1.2) and the speed-up over one worker.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "bench/BenchMedians.h"
#include "fileproc/NoiseStats.h"
#include "platform/kernel/Sync.h"
#include "platform/windows/MessageBox.h"

namespace {

constexpr uint32_t kValues = 1u << 24;

// A frequency record: a random walk around 10 MHz with white noise on it.
const std::vector<double>& Series() {
  static const std::vector<double> series = [] {
    std::vector<double> v(kValues);
    std::mt19937_64 gen(11);
    std::normal_distribution<double> walk(0.0, 1e-5);
    std::normal_distribution<double> white(0.0, 1e-3);
    double drift = 0.0;
    for (double& x : v) x = 1e7 + (drift += walk(gen)) + white(gen);
    return v;
  }();
  return series;
}

// Neumaier's compensated running sum.
struct Compensated {
  double sum = 0.0, carry = 0.0;
  void Add(double v) {
    const double t = sum + v;
    carry += std::fabs(sum) >= std::fabs(v) ? (sum - t) + v : (v - t) + sum;
    sum = t;
  }
  double Value() const { return sum + carry; }
};

// The reference's arrays, kept between runs.
std::vector<double> prefix, plain;

// AVAR of every size tau = 1 .. n/2 into out[tau - 1], on `threads` threads.
void PlainSweep(const std::vector<double>& x, int threads, std::vector<double>& out) {
  const uint32_t n = static_cast<uint32_t>(x.size()), half = n / 2;
  Compensated total;
  for (double v : x) total.Add(v);
  const double mean = total.Value() / n;
  prefix.resize(n + 1);
  Compensated run;
  prefix[0] = 0.0;
  for (uint32_t i = 0; i < n; ++i) {
    run.Add(x[i] - mean);
    prefix[i + 1] = run.Value();
  }
  out.resize(half);
  std::atomic<uint32_t> next{1};
  const auto work = [&] {
    for (uint32_t first; (first = next.fetch_add(16)) <= half;)
      for (uint32_t tau = first; tau <= std::min(half, first + 15); ++tau) {
        const uint32_t m = n / tau;
        double acc = 0.0;
        for (uint32_t i = 0; i + 1 < m; ++i) {
          const double* p = prefix.data() + static_cast<size_t>(i) * tau;
          const double d = (p[2 * static_cast<size_t>(tau)] - p[tau]) - (p[tau] - p[0]);
          acc += d * d;
        }
        const double t = tau;
        out[tau - 1] = acc / (t * t) / (2.0 * static_cast<double>(m - 1));
      }
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& t : helpers) t.join();
}

std::vector<double> work;

void Sweep(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    work = Series();
    state.ResumeTiming();
    if (AllanVarDev(nullptr, nullptr, work.data(), nullptr, kValues, 0, 0) != 1) state.SkipWithError("failed");
    benchmark::DoNotOptimize(work.data());
  }
}
void BM_AllanVarDevAllCores(benchmark::State& state) { Sweep(state); }
void BM_AllanVarDevOneWorker(benchmark::State& state) { qvbench::OnOneCore([&] { Sweep(state); }); }
void BM_PlainSweepAllCores(benchmark::State& state) {
  for (auto _ : state) PlainSweep(Series(), platform::CoresAllowed(), plain);
}
void BM_PlainSweepOneThread(benchmark::State& state) {
  for (auto _ : state) PlainSweep(Series(), 1, plain);
}

}  // namespace

int main(int argc, char** argv) {
  platform::SetBoxAnswerer([](const platform::BoxRequest& box) { return platform::NonDestructiveAnswer(box.style); });
  Series();
  for (auto* b : {benchmark::RegisterBenchmark("BM_AllanVarDevAllCores", BM_AllanVarDevAllCores),
                  benchmark::RegisterBenchmark("BM_AllanVarDevOneWorker", BM_AllanVarDevOneWorker),
                  benchmark::RegisterBenchmark("BM_PlainSweepAllCores", BM_PlainSweepAllCores),
                  benchmark::RegisterBenchmark("BM_PlainSweepOneThread", BM_PlainSweepOneThread)})
    b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true)
        ->UseRealTime()->MeasureProcessCPUTime();
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;
  // The same values, bit for bit.
  std::vector<double> all = Series();
  AllanVarDev(nullptr, nullptr, all.data(), nullptr, kValues, 0, 0);
  PlainSweep(Series(), platform::CoresAllowed(), plain);
  const bool same = std::memcmp(all.data(), plain.data(), plain.size() * sizeof(double)) == 0;
  std::printf("AllanVarDev over all %u sizes, the plain sweep's values bit for bit: %s\n", kValues / 2,
              same ? "yes" : "NO");
  reporter.PrintRatio("AllanVarDev / plain sweep, all cores", "BM_AllanVarDevAllCores", "BM_PlainSweepAllCores", false,
                      1.2);
  reporter.PrintRatio("AllanVarDev / plain sweep, one worker", "BM_AllanVarDevOneWorker", "BM_PlainSweepOneThread",
                      false, 1.2);
  const int cores = platform::CoresAllowed();
  reporter.PrintSpeedUp("AllanVarDev", "BM_AllanVarDevOneWorker", "BM_AllanVarDevAllCores", cores, 0.7 * cores);
  return 0;
}
