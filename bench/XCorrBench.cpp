// Array cross-correlation over a window of 65,536 points and lags -256..+256, both
// routines each beside a plain direct loop over the same lags doing the same sums and
// counts, and the whole correlation curve of two files of 32,768 points beside a plain
// direct loop over every lag; with the medians and their ratios.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fileproc/CrossCorrFiles.h"
#include "fileproc/xcorr/CrossCorr.h"
#include "platform/windows/MessageBox.h"
#include "records/XCorrWork.h"

namespace {

constexpr uint32_t kWindow = 65536;
constexpr int32_t kR = 256;
constexpr double kDamp = 0.01;

constexpr uint32_t kCurve = 32768;

struct Data {
  std::vector<float> a = std::vector<float>(kWindow + kR);
  std::vector<float> b = std::vector<float>(kWindow + kR);
  std::vector<double> ctr = std::vector<double>(2 * kR + 1);
  uint32_t index[6] = {};
  std::vector<double> seconds[6];
  std::vector<float> curve = std::vector<float>(2 * kCurve + 1);
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

// The reference of the file curve: the same weights, the two sums of the products
// that are not 0 at every lag with their counts, the mean products, the first
// largest value; the files are read and the curve written as the routine does.
uint32_t DirectCurve(const std::string& n0, const std::string& n1, const std::string& out, std::vector<float>& curve) {
  std::vector<float> a(kCurve);
  std::vector<float> b(kCurve);
  std::ifstream(n0, std::ios::binary).read(reinterpret_cast<char*>(a.data()), kCurve * 4);
  std::ifstream(n1, std::ios::binary).read(reinterpret_cast<char*>(b.data()), kCurve * 4);
  const int64_t r = kCurve;
  for (int64_t k = 0; k <= r; ++k) {
    const double w = 1.0 - std::fabs(static_cast<double>(k) / r) * kDamp;
    double p = 0.0;
    double q = 0.0;
    int64_t np = 0;
    int64_t nq = 0;
    for (int64_t i = 0; i < r - k; ++i) {
      const float x = a[i] * b[i + k];
      const float y = b[i] * a[i + k];
      if (x != 0.0f) p += x, ++np;
      if (y != 0.0f) q += y, ++nq;
    }
    curve[r + k] = np ? static_cast<float>(p * w / np) : 0.0f;
    curve[r - k] = nq ? static_cast<float>(q * w / nq) : 0.0f;
  }
  uint32_t best = 0;
  for (uint32_t c = 1; c < curve.size(); ++c)
    if (curve[c] > curve[best]) best = c;
  std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(curve.data()), curve.size() * 4);
  return best;
}

uint64_t Fnv(const void* data, size_t bytes, uint64_t hash = 1469598103934665603ull) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < bytes; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
  return hash;
}

// Checksums of the correlation values, indices and maxima of a few configurations
// (--hashes), so that builds can be compared byte for byte: both array routines over
// windows, radii and dampings (weights that reach 0, lags longer than the overlap),
// traces with many equal maxima, and the file curve in its kinds.
void PrintHashes(const std::string& dir) {
  std::vector<float> a(70000), b(70000), flat(70000), zeros(70000, 0.0f);
  for (size_t i = 0; i < a.size(); ++i) {
    const double t = static_cast<double>(i) * 1e-4;
    a[i] = static_cast<float>(std::sin(t * (40.0 + 300.0 * t)) + 0.1 * std::cos(static_cast<double>(i) * 0.71));
    b[i] = (i >= 37 ? a[i - 37] : 0.0f) + static_cast<float>(0.01 * std::sin(static_cast<double>(i) * 1.3));
    if (i % 1000 < 40) b[i] = (i % 2) ? -0.0f : 0.0f;
    flat[i] = static_cast<float>(i % 16 == 0 ? 1.0 : 0.25);  // equal maxima every 16 lags
  }
  struct Case {
    const std::vector<float>* x;
    const std::vector<float>* y;
    uint32_t n, outer;
    int32_t r;
    double damp;
  };
  const Case cases[] = {{&a, &b, 65536, 65536 + 256, 256, 0.01}, {&a, &b, 65536, 65536, 256, 0.0},
                        {&a, &b, 4099, 4200, 1000, 1.5},        {&a, &b, 300, 310, 512, -0.5},
                        {&a, &b, 1, 1, 7, 0.2},                 {&a, &b, 20000, 20000, 0, 0.3},
                        {&flat, &flat, 4096, 4096 + 100, 100, 0.0}, {&flat, &a, 4097, 4097, 33, 0.0},
                        {&zeros, &zeros, 1000, 1000, 20, 0.1}};
  uint64_t all = 1469598103934665603ull;
  for (const Case& c : cases) {
    uint32_t index = 0, indexTS = 0;
    double max = 0.0, maxTS = 0.0;
    CrossCorrArys(c.x->data(), c.y->data(), c.n, c.r, c.damp, &index, &max);
    const int32_t radius = c.r < 0 ? 0 : c.r;
    uint64_t h = Fnv(XCorrWork.Single.ctr.data(), (2 * static_cast<size_t>(radius) + 1) * sizeof(double));
    CrossCorrArysTS(3, c.x->data(), c.y->data(), c.outer, c.n, c.r, c.damp, &indexTS, &maxTS);
    uint64_t hTS = Fnv(XCorrWork.Slot[3].ctr.data(), (2 * static_cast<size_t>(radius) + 1) * sizeof(double));
    std::printf("arrays n %u R %d damp %g: index %u max %.17g hash %016llx | twin index %u max %.17g hash %016llx\n", c.n,
                c.r, c.damp, index, max, static_cast<unsigned long long>(h), indexTS, maxTS,
                static_cast<unsigned long long>(hTS));
    all = Fnv(&h, sizeof(h), Fnv(&hTS, sizeof(hTS), Fnv(&index, 4, Fnv(&indexTS, 4, all))));
  }
  const auto write = [&](const std::string& name, const std::vector<float>& v, size_t n) {
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(n * 4));
  };
  for (size_t n : {size_t{4096}, size_t{kCurve}}) {
    write(dir + "/ha", a, n);
    write(dir + "/hb", b, n);
    for (double damp : {0.01, 0.0, 1.5})
      for (int32_t steps : {0, -5})
        for (int16_t full : {int16_t{0}, int16_t{1}}) {
          if (n == kCurve && (steps != 0 || full != 1 || damp == 1.5)) continue;
          const std::string out = dir + "/hc";
          CrossCorrFiles(0, 0, (dir + "/ha").c_str(), (dir + "/hb").c_str(), out.c_str(), damp, steps, full, 0);
          std::ifstream in(out, std::ios::binary);
          const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
          const uint64_t h = Fnv(bytes.data(), bytes.size());
          std::printf("curve n %zu damp %g steps %d full %d: max %.9g shift %.9g bytes %zu hash %016llx\n", n, damp,
                      steps, full, static_cast<double>(XCorrWork.Files_Max[0]),
                      static_cast<double>(XCorrWork.Files_Shift[0]), bytes.size(), static_cast<unsigned long long>(h));
          all = Fnv(&h, sizeof(h), all);
        }
  }
  std::printf("all: %016llx\n", static_cast<unsigned long long>(all));
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
  platform::SetBoxAnswerer([](const platform::BoxRequest& box) { return platform::NonDestructiveAnswer(box.style); });
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--hashes") == 0) {
      const std::string dir = (std::filesystem::temp_directory_path() / "qv95_bench_xcorr_hashes").string();
      std::filesystem::create_directories(dir);
      PrintHashes(dir);
      std::filesystem::remove_all(dir);
      return 0;
    }
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
  // The file pair: the same chirp, the second 37 points later.
  const std::string dir = (std::filesystem::temp_directory_path() / "qv95_bench_xcorr").string();
  std::filesystem::create_directories(dir);
  const std::string f0 = dir + "/a";
  const std::string f1 = dir + "/b";
  std::ofstream(f0, std::ios::binary).write(reinterpret_cast<const char*>(d.a.data()), kCurve * 4);
  std::ofstream(f1, std::ios::binary).write(reinterpret_cast<const char*>(d.b.data()), kCurve * 4);
  benchmark::RegisterBenchmark("CrossCorrFiles_32K", [&](benchmark::State& st) {
    Timed(st, d, 4, [&] {
      CrossCorrFiles(0, 0, f0.c_str(), f1.c_str(), (dir + "/cc").c_str(), kDamp, 0, 1, 0);
      return static_cast<uint32_t>(XCorrWork.Files_Shift[0] + kCurve);
    });
  })->Repetitions(3)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("DirectCurve_32K", [&](benchmark::State& st) {
    Timed(st, d, 5, [&] { return DirectCurve(f0, f1, dir + "/cc_direct", d.curve); });
  })->Repetitions(3)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  const char* names[3] = {"CrossCorrArys  ", "CrossCorrArysTS", "CrossCorrFiles "};
  for (int j = 0; j < 3; ++j) {
    const double ours = Median(d.seconds[2 * j]);
    const double direct = Median(d.seconds[2 * j + 1]);
    std::printf("\nmedian %s : %8.3f ms\nmedian direct loop    : %8.3f ms\n", names[j], ours * 1e3, direct * 1e3);
    if (direct > 0) std::printf("%s / direct : %8.3f  (at most 1.2 wanted)\n", names[j], ours / direct);
    const int32_t centre = j < 2 ? kR : static_cast<int32_t>(kCurve);
    const int32_t sign = j < 2 ? 1 : -1;  // the curve's index is R + shift
    std::printf("shift found: %d, direct loop: %d (%d expected)\n", sign * (centre - static_cast<int32_t>(d.index[2 * j])),
                sign * (centre - static_cast<int32_t>(d.index[2 * j + 1])), j < 2 ? -37 : 37);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
