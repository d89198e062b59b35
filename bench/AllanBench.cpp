// The Allan variance of 2^24 values over all 2^23 averaging sizes, beside a plain
// two-pass loop (block means, then squared differences) at single sizes. The bar:
// the whole sweep within 100 times the plain loop at tau = 1. Medians of three runs
// and the ratio are printed at the end.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "fileproc/NoiseStats.h"
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

// Block means, then the squared differences of neighbours.
double PlainAvar(const std::vector<double>& x, uint32_t tau, std::vector<double>& means) {
  const size_t m = x.size() / tau;
  means.resize(m);
  for (size_t i = 0; i < m; ++i) {
    double sum = 0.0;
    const double* p = x.data() + i * tau;
    for (uint32_t j = 0; j < tau; ++j) sum += p[j];
    means[i] = sum / tau;
  }
  double acc = 0.0;
  for (size_t i = 0; i + 1 < m; ++i) acc += (means[i + 1] - means[i]) * (means[i + 1] - means[i]);
  return acc / (2.0 * static_cast<double>(m - 1));
}

void BM_AllanVarDevAllSizes(benchmark::State& state) {
  std::vector<double> work;
  for (auto _ : state) {
    state.PauseTiming();
    work = Series();
    state.ResumeTiming();
    if (AllanVarDev(nullptr, nullptr, work.data(), nullptr, kValues, 0, 0) != 1) state.SkipWithError("failed");
    benchmark::DoNotOptimize(work.data());
  }
}
BENCHMARK(BM_AllanVarDevAllSizes)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_PlainTwoPass(benchmark::State& state) {
  const std::vector<double>& x = Series();
  std::vector<double> means;
  for (auto _ : state) benchmark::DoNotOptimize(PlainAvar(x, static_cast<uint32_t>(state.range(0)), means));
}
BENCHMARK(BM_PlainTwoPass)
    ->Arg(1)
    ->Arg(16)
    ->Arg(1024)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.aggregate_name == "median") medians_[r.run_name.str()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    double sweep = 0.0;
    double plain = 0.0;
    for (const auto& [name, t] : medians_) {
      if (name.rfind("BM_AllanVarDevAllSizes", 0) == 0) sweep = t;
      if (name.rfind("BM_PlainTwoPass/1/", 0) == 0 || name == "BM_PlainTwoPass/1") plain = t;
    }
    if (sweep > 0.0 && plain > 0.0)
      std::printf("AllanVarDev over all %u sizes / plain loop at tau = 1 (medians): %.1f (bar: 100)\n", kValues / 2,
                  sweep / plain);
  }

 private:
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  platform::SetBoxAnswerer([](const platform::BoxRequest& box) { return platform::NonDestructiveAnswer(box.style); });
  // Both roads give the same values at the sizes the plain loop measures.
  std::vector<double> all = Series();
  if (AllanVarDev(nullptr, nullptr, all.data(), nullptr, kValues, 0, 0) != 1) return 1;
  // The plain sums of raw 10 MHz values lose the last digits at large sizes, so the
  // check runs it on the series less its first value.
  std::vector<double> centred = Series();
  for (double& v : centred) v -= Series()[0];
  std::vector<double> means;
  for (uint32_t tau : {1u, 16u, 1024u, 1u << 20}) {
    const double plain = PlainAvar(centred, tau, means);
    if (std::fabs(all[tau - 1] - plain) > 1e-6 * plain) {
      std::fprintf(stderr, "tau %u: %.10e and %.10e differ\n", tau, all[tau - 1], plain);
      return 1;
    }
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
