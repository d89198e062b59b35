// View-file decimation of a large raw float file into its three levels in one pass,
// beside the same block loop with GSL's natural cubic spline (gsl_interp_cspline
// with an accelerator, the same sampling positions, maxima and averages) and beside
// a plain pass that only reads the file and takes block minima and maxima.
//
//   bench_view [--points=N] [benchmark options]
//
// N raw points (default 100,000,000; also QV95_VIEW_BENCH_POINTS). The raw file is
// written once to the temporary folder and reused by later runs of the same size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_interp.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "display/ViewDecimate.h"

namespace {

// The same spline through the block's knots at 0..n-1, computed by GSL.
class GslSpline {
 public:
  GslSpline() = default;
  GslSpline(const GslSpline&) = delete;
  GslSpline& operator=(const GslSpline&) = delete;
  ~GslSpline() { Release(); }

  void Fit(const ViewWork& work, uint32_t n) {
    y_ = work.y;
    n_ = n;
    if (n < 3) return;
    if (!interp_ || size_ != n) {
      Release();
      interp_ = gsl_interp_alloc(gsl_interp_cspline, n);
      acc_ = gsl_interp_accel_alloc();
      size_ = n;
      x_.resize(n);
      for (uint32_t i = 0; i < n; ++i) x_[i] = i;
    }
    gsl_interp_init(interp_, x_.data(), y_, n);
    gsl_interp_accel_reset(acc_);
  }

  double Eval(double s) const {
    if (n_ < 3) return y_[0];
    const double last = static_cast<double>(n_ - 1);
    return gsl_interp_eval(interp_, x_.data(), y_, s > last ? last : s, acc_);
  }

 private:
  void Release() {
    if (interp_) gsl_interp_free(interp_);
    if (acc_) gsl_interp_accel_free(acc_);
    interp_ = nullptr;
    acc_ = nullptr;
  }
  gsl_interp* interp_ = nullptr;
  gsl_interp_accel* acc_ = nullptr;
  std::vector<double> x_;
  const double* y_ = nullptr;
  uint32_t n_ = 0;
  uint32_t size_ = 0;
};

struct Setup {
  uint64_t points = 100000000;
  std::string path;
  // Levels as the view thread defines them for a long file: 1, 100 and 1000 pages
  // of 3000 pixels.
  double pages[3] = {1.0, 100.0, 1000.0};
  int16_t kinds[3] = {VIEW_KIND_MAX, VIEW_KIND_MAX, VIEW_KIND_AVE};
  std::vector<float> out[3];
  std::vector<float> gslOut[3];
  double seconds[3] = {0, 0, 0};  // plain, decimation, GSL
};

// A trace with a slow baseline, noise and a narrow line every 50,000 points.
bool WriteRawFile(const Setup& s) {
  std::error_code ec;
  if (std::filesystem::exists(s.path, ec) && std::filesystem::file_size(s.path, ec) == s.points * 4) return true;
  const std::string temp = s.path + ".part";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  std::vector<float> block(1 << 20);
  uint32_t seed = 12345;
  for (uint64_t p = 0; p < s.points; p += block.size()) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), s.points - p));
    for (size_t i = 0; i < n; ++i) {
      const uint64_t k = p + i;
      seed = seed * 1664525u + 1013904223u;
      const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.05;
      const double d = static_cast<double>(k % 50000) - 25000.0;
      block[i] = static_cast<float>(0.3 * std::sin(k * 1.0e-6) + noise + 2.0 / (1.0 + d * d / 9.0));
    }
    if (std::fwrite(block.data(), sizeof(float), n, f) != n) {
      std::fclose(f);
      return false;
    }
  }
  if (std::fclose(f) != 0) return false;
  std::filesystem::rename(temp, s.path, ec);
  return !ec;
}

template <class Spline>
void Decimate(benchmark::State& state, Setup& s, std::vector<float>* out, int slot) {
  ViewWork work;
  if (ViewWorkAlloc(&work, VIEW_BLOCK_POINTS) != 1) {
    state.SkipWithError("work arrays");
    return;
  }
  const int fd = ::open(s.path.c_str(), O_RDONLY);
  for (auto _ : state) {
    ViewLevelOut levels[3];
    for (int v = 0; v < 3; ++v) {
      const double pixels = 3000.0 * s.pages[v];
      out[v].assign(static_cast<size_t>(pixels + 0.5), 0.0f);
      levels[v].kind = s.kinds[v];
      levels[v].ptsPerPixel = static_cast<double>(s.points) / pixels;
      levels[v].size = static_cast<uint32_t>(out[v].size());
      levels[v].values = out[v].data();
    }
    Spline spline;
    ViewDecimateStats stats;
    const auto begin = std::chrono::steady_clock::now();
    if (ViewDecimate(fd, s.points, levels, work, spline, ViewDecimateHooks{}, &stats) != ViewDecimateEnd::Done)
      state.SkipWithError("decimation failed");
    s.seconds[slot] = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    benchmark::DoNotOptimize(out[0].data());
  }
  ::close(fd);
  ViewWorkFree(&work);
  state.counters["Mpoints/s"] = benchmark::Counter(static_cast<double>(s.points) * 1e-6, benchmark::Counter::kIsRate);
}

void PlainMinMax(benchmark::State& state, Setup& s) {
  std::vector<float> block(VIEW_BLOCK_POINTS);
  std::vector<float> lo, hi;
  const int fd = ::open(s.path.c_str(), O_RDONLY);
  for (auto _ : state) {
    lo.clear();
    hi.clear();
    const auto begin = std::chrono::steady_clock::now();
    for (uint64_t p = 0; p < s.points; p += VIEW_BLOCK_POINTS) {
      const int64_t n = viewdetail::ReadBlock(fd, p, block.data(), VIEW_BLOCK_POINTS);
      if (n <= 0) break;
      const auto [mn, mx] = std::minmax_element(block.begin(), block.begin() + n);
      lo.push_back(*mn);
      hi.push_back(*mx);
    }
    s.seconds[0] = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    benchmark::DoNotOptimize(hi.data());
  }
  ::close(fd);
  state.counters["Mpoints/s"] = benchmark::Counter(static_cast<double>(s.points) * 1e-6, benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char** argv) {
  Setup s;
  if (const char* env = std::getenv("QV95_VIEW_BENCH_POINTS")) s.points = std::strtoull(env, nullptr, 10);
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--points=", 9) == 0) {
      s.points = std::strtoull(argv[i] + 9, nullptr, 10);
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  if (s.points < 3000000) s.points = 3000000;  // at least one point per pixel at 1000 pages
  s.path = (std::filesystem::temp_directory_path() / ("qv95_view_bench_" + std::to_string(s.points) + ".f32")).string();
  if (!WriteRawFile(s)) {
    std::fprintf(stderr, "cannot write %s\n", s.path.c_str());
    return 1;
  }
  gsl_set_error_handler_off();

  benchmark::RegisterBenchmark("PlainReadBlockMinMax", [&s](benchmark::State& st) { PlainMinMax(st, s); })
      ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("ViewDecimateThreeLevels",
                               [&s](benchmark::State& st) { Decimate<ViewUniformSpline>(st, s, s.out, 1); })
      ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("GslSplineThreeLevels",
                               [&s](benchmark::State& st) { Decimate<GslSpline>(st, s, s.gslOut, 2); })
      ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  double diff = 0.0;
  for (int v = 0; v < 3; ++v)
    for (size_t j = 0; j < s.out[v].size() && j < s.gslOut[v].size(); ++j)
      diff = std::max(diff, static_cast<double>(std::fabs(s.out[v][j] - s.gslOut[v][j])));
  std::printf("\n%llu raw points, file %s\n", static_cast<unsigned long long>(s.points), s.path.c_str());
  std::printf("plain read + block min/max : %8.3f s\n", s.seconds[0]);
  std::printf("view decimation, 3 levels  : %8.3f s\n", s.seconds[1]);
  std::printf("GSL spline, same work      : %8.3f s\n", s.seconds[2]);
  if (s.seconds[0] > 0 && s.seconds[1] > 0 && s.seconds[2] > 0) {
    std::printf("decimation / GSL reference : %8.3f  (at most 1 wanted)\n", s.seconds[1] / s.seconds[2]);
    std::printf("decimation / plain pass    : %8.3f\n", s.seconds[1] / s.seconds[0]);
  }
  std::printf("largest difference to GSL  : %.3g\n", diff);
  return 0;
}
