// The transforms of the Fourier processing beside FFTW doing the same work at its
// best: FFTwConvertAry (cached plan) against a plan made once, then widening,
// fftw_execute and the magnitude of the same array; FFTwConvertFileAry (array form)
// against allocate, plan, execute, destroy and free on every call. One run per
// repetition at 2^20 and 2^24 points; the medians and their ratio are printed last.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "fileproc/Fourier.h"

namespace {

std::vector<float> Input(int64_t n) {
  std::vector<float> v(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<float>(std::sin(0.001 * i) + 0.01 * (i % 17));
  return v;
}

void Magnitude(const fftw_complex* c, int64_t m, float* out) {
  for (int64_t k = 0; k < m; ++k) out[k] = static_cast<float>(std::sqrt(c[k][0] * c[k][0] + c[k][1] * c[k][1]));
}

void BM_FFTwConvertAry(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  const std::vector<float> in = Input(n);
  std::vector<float> out(static_cast<size_t>(n / 2 + 1));
  FFTwConvertAry(0, n, n, in.data(), out.data(), nullptr, nullptr, nullptr, FFT_OUT_MAG, 0);  // plans
  for (auto _ : state) FFTwConvertAry(0, n, n, in.data(), out.data(), nullptr, nullptr, nullptr, FFT_OUT_MAG, 0);
  FFTwConvertAry(0, n, 0, in.data(), out.data(), nullptr, nullptr, nullptr, FFT_OUT_MAG, 0);  // releases
}

void BM_FftwPlannedOnce(benchmark::State& state) {
  const int64_t n = state.range(0);
  const std::vector<float> in = Input(n);
  std::vector<float> out(static_cast<size_t>(n / 2 + 1));
  double* buf = static_cast<double*>(fftw_malloc(sizeof(double) * static_cast<size_t>(n)));
  fftw_complex* spectrum = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * static_cast<size_t>(n / 2 + 1)));
  fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), buf, spectrum, FFTW_ESTIMATE);
  auto once = [&] {
    for (int64_t i = 0; i < n; ++i) buf[i] = in[static_cast<size_t>(i)];
    fftw_execute(plan);
    Magnitude(spectrum, n / 2 + 1, out.data());
  };
  once();  // the buffers are touched before timing, as the cache's are by its planning call
  for (auto _ : state) once();
  fftw_destroy_plan(plan);
  fftw_free(buf);
  fftw_free(spectrum);
}

void BM_FFTwConvertFileAry(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  const std::vector<float> in = Input(n);
  std::vector<float> out(static_cast<size_t>(n / 2 + 1));
  for (auto _ : state) FFTwConvertFileAry(0, n, n, in.data(), out.data(), nullptr, nullptr, nullptr, FFT_OUT_MAG);
}

void BM_FftwPlanPerCall(benchmark::State& state) {
  const int64_t n = state.range(0);
  const std::vector<float> in = Input(n);
  std::vector<float> out(static_cast<size_t>(n / 2 + 1));
  for (auto _ : state) {
    double* buf = static_cast<double*>(fftw_malloc(sizeof(double) * static_cast<size_t>(n)));
    fftw_complex* spectrum = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * static_cast<size_t>(n / 2 + 1)));
    fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), buf, spectrum, FFTW_ESTIMATE);
    for (int64_t i = 0; i < n; ++i) buf[i] = in[static_cast<size_t>(i)];
    fftw_execute(plan);
    Magnitude(spectrum, n / 2 + 1, out.data());
    fftw_destroy_plan(plan);
    fftw_free(buf);
    fftw_free(spectrum);
  }
}

void Register(const char* name, void (*fn)(benchmark::State&)) {
  benchmark::RegisterBenchmark(name, fn)
      ->Arg(1 << 20)
      ->Arg(1 << 24)
      ->Iterations(1)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

// Prints as usual and keeps the median of every run for the ratios.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.aggregate_name == "median") medians_[r.run_name.str()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    const char* pairs[2][2] = {{"FFTwConvertAry", "FftwPlannedOnce"}, {"FFTwConvertFileAry", "FftwPlanPerCall"}};
    for (const auto& p : pairs)
      for (const char* size : {"1048576", "16777216"}) {
        const auto a = medians_.find(std::string(p[0]) + "/" + size + "/iterations:1/repeats:5/real_time");
        const auto b = medians_.find(std::string(p[1]) + "/" + size + "/iterations:1/repeats:5/real_time");
        if (a == medians_.end() || b == medians_.end() || b->second <= 0.0) continue;
        std::printf("ratio %s / %s at %s points: %.3f (bar 1.2)\n", p[0], p[1], size, a->second / b->second);
      }
  }

 private:
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  Register("FFTwConvertAry", BM_FFTwConvertAry);
  Register("FftwPlannedOnce", BM_FftwPlannedOnce);
  Register("FFTwConvertFileAry", BM_FFTwConvertFileAry);
  Register("FftwPlanPerCall", BM_FftwPlanPerCall);
  benchmark::Initialize(&argc, argv);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
