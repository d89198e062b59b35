// Array cross-correlation over a window of 65,536 points and lags -256..+256, both
// routines each beside a plain loop that does the same work at its best (the traces
// widened to doubles once, lags side by side in vector lanes, each lag's sums in the
// order of its terms: the same values bit for bit, checked), and the whole
// correlation curve of two files of 32,768 points (65,537 lags) on one worker and on
// every core the process may use, beside the same lane loop on one thread and on as
// many threads, reading and writing the same files. Medians of interleaved
// repetitions, their ratios with the bars, and the speed-up over one worker.
//
//   bench_xcorr [--hashes] [benchmark options]
//
// --hashes prints checksums of the values, indices and curves of a few
// configurations, for byte-for-byte comparisons of builds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "bench/BenchMedians.h"
#include "fileproc/CrossCorrFiles.h"
#include "fileproc/xcorr/CrossCorr.h"
#include "platform/kernel/Sync.h"
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
  std::string dir, f0, f1;
};
Data data;

// ---- the arrays: the reference ------------------------------------------------------

// The reference's buffers, kept between runs.
struct Reference {
  std::vector<double> a, b, w, ctr;
  uint32_t index = 0;
};
Reference reference;

// Sixteen lags k..k+15 side by side over their first m terms: forward sums
// a[i] b[i + k + l], backward a[i + k + l] b[i] (AVX2, no FMA).
__attribute__((target("avx2"))) void Lanes16(const double* a, const double* b, int64_t k, int64_t m, double* f,
                                             double* g) {
  __m256d fs[4], gs[4];
  for (int q = 0; q < 4; ++q) fs[q] = gs[q] = _mm256_setzero_pd();
  for (int64_t i = 0; i < m; ++i) {
    const __m256d x = _mm256_set1_pd(a[i]), y = _mm256_set1_pd(b[i]);
    for (int q = 0; q < 4; ++q) {
      fs[q] = _mm256_add_pd(fs[q], _mm256_mul_pd(x, _mm256_loadu_pd(b + i + k + 4 * q)));
      gs[q] = _mm256_add_pd(gs[q], _mm256_mul_pd(_mm256_loadu_pd(a + i + k + 4 * q), y));
    }
  }
  for (int q = 0; q < 4; ++q) {
    _mm256_storeu_pd(f + 4 * q, fs[q]);
    _mm256_storeu_pd(g + 4 * q, gs[q]);
  }
}

// The same eight lags at a time in SSE2 lanes.
void Lanes8(const double* a, const double* b, int64_t k, int64_t m, double* f, double* g) {
  __m128d fs[4], gs[4];
  for (int q = 0; q < 4; ++q) fs[q] = gs[q] = _mm_setzero_pd();
  for (int64_t i = 0; i < m; ++i) {
    const __m128d x = _mm_set1_pd(a[i]), y = _mm_set1_pd(b[i]);
    for (int q = 0; q < 4; ++q) {
      fs[q] = _mm_add_pd(fs[q], _mm_mul_pd(x, _mm_loadu_pd(b + i + k + 2 * q)));
      gs[q] = _mm_add_pd(gs[q], _mm_mul_pd(_mm_loadu_pd(a + i + k + 2 * q), y));
    }
  }
  for (int q = 0; q < 4; ++q) {
    _mm_storeu_pd(f + 2 * q, fs[q]);
    _mm_storeu_pd(g + 2 * q, gs[q]);
  }
}

// The weights, every lag's two sums over i < nInner with i + k < nOuter, the mean
// products, the largest value and, among values equal to it to nine digits, the
// index nearest the centre (the lower one first; the twin's rule when `twin`).
uint32_t LaneReference(const float* a, const float* b, uint32_t nOuter, uint32_t nInner, bool twin) {
  Reference& r = reference;
  const size_t width = 2 * kR + 1;
  r.w.resize(width);
  r.ctr.resize(width);
  for (int32_t c = 0; c <= 2 * kR; ++c) {
    const double v = 1.0 - std::fabs(static_cast<double>(c - kR) / kR) * kDamp;
    r.w[static_cast<size_t>(c)] = v > 0.0 ? v : 0.0;
  }
  const uint32_t count = std::min<uint32_t>(nOuter, nInner + kR);
  r.a.assign(a, a + count);
  r.b.assign(b, b + count);
  const bool wide = __builtin_cpu_supports("avx2");
  const int64_t lanes = wide ? 16 : 8;
  const auto terms = [&](int64_t k) { return k < nOuter ? std::min<int64_t>(nInner, nOuter - k) : 0; };
  for (int64_t k = 0; k <= kR; k += lanes) {
    double f[16], g[16];
    const int64_t group = std::min<int64_t>(lanes, kR + 1 - k);
    const int64_t common = group == lanes ? std::max<int64_t>(0, terms(k + lanes - 1)) : 0;
    if (group < lanes) std::fill(f, f + 16, 0.0), std::fill(g, g + 16, 0.0);
    else if (wide) Lanes16(r.a.data(), r.b.data(), k, common, f, g);
    else Lanes8(r.a.data(), r.b.data(), k, common, f, g);
    for (int64_t l = 0; l < group; ++l) {
      const int64_t m = terms(k + l);
      for (int64_t i = common; i < m; ++i) {
        f[l] += r.a[static_cast<size_t>(i)] * r.b[static_cast<size_t>(i + k + l)];
        g[l] += r.a[static_cast<size_t>(i + k + l)] * r.b[static_cast<size_t>(i)];
      }
      const double s = m > 0 ? r.w[static_cast<size_t>(kR + k + l)] / static_cast<double>(m) : 0.0;
      r.ctr[static_cast<size_t>(kR + k + l)] = m > 0 ? f[l] * s : 0.0;
      r.ctr[static_cast<size_t>(kR - k - l)] = m > 0 ? g[l] * s : 0.0;
    }
  }
  double best = r.ctr[0];
  size_t top = 0;
  for (size_t c = 0; c < width; ++c)
    if (r.ctr[c] >= best) best = r.ctr[c], top = c;
  double scale = 1e10;
  while (std::fabs(best * scale) >= 214748365.0) scale *= 0.1;
  const auto rounded = [scale](double v, int32_t* out) {
    const double x = v * scale + 0.5;
    if (!(x > -2147483649.0 && x < 2147483648.0)) return false;
    *out = static_cast<int32_t>(x);
    return true;
  };
  int32_t target = 0;
  const bool fits = rounded(best, &target);
  uint32_t index = twin ? static_cast<uint32_t>(top) : static_cast<uint32_t>(kR);
  bool found = twin;
  for (size_t c = 0; c < width && fits; ++c) {
    int32_t v = 0;
    if (!rounded(r.ctr[c], &v) || v != target) continue;
    const int64_t here = std::llabs(static_cast<int64_t>(c) - kR), there = std::llabs(static_cast<int64_t>(index) - kR);
    if (!found || here < there) index = static_cast<uint32_t>(c), found = true;
  }
  r.index = index;
  return index;
}

// ---- the file curve: the reference --------------------------------------------------

// Sixteen lags k..k+15 of the curve side by side over their first m terms: float
// products, those that are 0 left out of the double sums and their counts.
__attribute__((target("avx2"))) void CurveLanes16(const float* a, const float* b, int64_t k, int64_t m, double* p,
                                                  double* q, int32_t* np, int32_t* nq) {
  __m256d ps[4], qs[4];
  __m256i nps[2], nqs[2];
  for (int h = 0; h < 4; ++h) ps[h] = qs[h] = _mm256_setzero_pd();
  for (int h = 0; h < 2; ++h) nps[h] = nqs[h] = _mm256_setzero_si256();
  for (int64_t i = 0; i < m; ++i) {
    const __m256 x = _mm256_set1_ps(a[i]), y = _mm256_set1_ps(b[i]);
    for (int h = 0; h < 2; ++h) {
      const __m256 xp = _mm256_mul_ps(x, _mm256_loadu_ps(b + i + k + 8 * h));
      const __m256 yq = _mm256_mul_ps(y, _mm256_loadu_ps(a + i + k + 8 * h));
      const __m256 xk = _mm256_cmp_ps(xp, _mm256_setzero_ps(), _CMP_NEQ_UQ);
      const __m256 yk = _mm256_cmp_ps(yq, _mm256_setzero_ps(), _CMP_NEQ_UQ);
      const __m256 xs = _mm256_and_ps(xp, xk), ys = _mm256_and_ps(yq, yk);
      ps[2 * h] = _mm256_add_pd(ps[2 * h], _mm256_cvtps_pd(_mm256_castps256_ps128(xs)));
      ps[2 * h + 1] = _mm256_add_pd(ps[2 * h + 1], _mm256_cvtps_pd(_mm256_extractf128_ps(xs, 1)));
      qs[2 * h] = _mm256_add_pd(qs[2 * h], _mm256_cvtps_pd(_mm256_castps256_ps128(ys)));
      qs[2 * h + 1] = _mm256_add_pd(qs[2 * h + 1], _mm256_cvtps_pd(_mm256_extractf128_ps(ys, 1)));
      nps[h] = _mm256_sub_epi32(nps[h], _mm256_castps_si256(xk));
      nqs[h] = _mm256_sub_epi32(nqs[h], _mm256_castps_si256(yk));
    }
  }
  for (int h = 0; h < 4; ++h) {
    _mm256_storeu_pd(p + 4 * h, ps[h]);
    _mm256_storeu_pd(q + 4 * h, qs[h]);
  }
  for (int h = 0; h < 2; ++h) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(np + 8 * h), nps[h]);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(nq + 8 * h), nqs[h]);
  }
}

// The curve's lags first..last (groups of sixteen, the rest one at a time).
void CurveLags(const std::vector<float>& a, const std::vector<float>& b, const std::vector<float>& wt,
               std::vector<float>& curve, int64_t first, int64_t last) {
  const int64_t r = static_cast<int64_t>(a.size());
  const bool wide = __builtin_cpu_supports("avx2");
  for (int64_t k = first; k <= last;) {
    const int64_t group = wide && k + 15 <= last ? 16 : 1;
    double p[16] = {}, q[16] = {};
    int32_t np[16] = {}, nq[16] = {};
    const int64_t common = group == 16 ? std::max<int64_t>(0, r - (k + 15)) : 0;
    if (group == 16) CurveLanes16(a.data(), b.data(), k, common, p, q, np, nq);
    for (int64_t l = 0; l < group; ++l) {
      int64_t cp = np[l], cq = nq[l];
      for (int64_t i = common; i < r - (k + l); ++i) {
        const float x = a[static_cast<size_t>(i)] * b[static_cast<size_t>(i + k + l)];
        const float y = b[static_cast<size_t>(i)] * a[static_cast<size_t>(i + k + l)];
        if (x != 0.0f) p[l] += x, ++cp;
        if (y != 0.0f) q[l] += y, ++cq;
      }
      const float w = wt[static_cast<size_t>(r + k + l)];
      curve[static_cast<size_t>(r + k + l)] = w != 0.0f && cp ? static_cast<float>(p[l] * w / static_cast<double>(cp)) : 0.0f;
      curve[static_cast<size_t>(r - k - l)] = w != 0.0f && cq ? static_cast<float>(q[l] * w / static_cast<double>(cq)) : 0.0f;
    }
    k += group;
  }
}

// The files read, the same weights, every lag (chunks of 256 lags taken by `threads`
// threads), the first largest value, the curve written.
uint32_t CurveReference(int threads, const std::string& out, std::vector<float>& curve) {
  std::vector<float> a(kCurve), b(kCurve);
  std::ifstream(data.f0, std::ios::binary).read(reinterpret_cast<char*>(a.data()), kCurve * 4);
  std::ifstream(data.f1, std::ios::binary).read(reinterpret_cast<char*>(b.data()), kCurve * 4);
  const int64_t r = kCurve;
  curve.assign(2 * kCurve + 1, 0.0f);
  std::vector<float> wt(2 * kCurve + 1);
  for (int64_t k = -r; k <= r; ++k) {
    const double w = 1.0 - std::fabs(static_cast<double>(k) / static_cast<double>(r)) * kDamp;
    wt[static_cast<size_t>(k + r)] = static_cast<float>(w <= 0.0 ? 0.0 : w);
  }
  std::atomic<int64_t> next{0};
  const auto work = [&] {
    for (int64_t chunk; (chunk = next.fetch_add(1)) * 256 <= r;)
      CurveLags(a, b, wt, curve, chunk * 256, std::min(r, chunk * 256 + 255));
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& t : helpers) t.join();
  uint32_t best = 0;
  for (uint32_t c = 1; c < curve.size(); ++c)
    if (curve[c] > curve[best]) best = c;
  std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(curve.data()), static_cast<std::streamsize>(curve.size() * 4));
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


// ---- the benchmarks -----------------------------------------------------------------

uint32_t found[8] = {};
std::vector<float> curves[2];

void BM_CrossCorrArys(benchmark::State& state) {
  for (auto _ : state) CrossCorrArys(data.a.data(), data.b.data(), kWindow, kR, kDamp, &found[0], nullptr);
}
void BM_LaneReference(benchmark::State& state) {
  for (auto _ : state) found[1] = LaneReference(data.a.data(), data.b.data(), kWindow, kWindow, false);
}
void BM_CrossCorrArysTS(benchmark::State& state) {
  for (auto _ : state)
    CrossCorrArysTS(1, data.a.data(), data.b.data(), kWindow + kR, kWindow, kR, kDamp, &found[2], nullptr);
}
void BM_LaneReferenceTS(benchmark::State& state) {
  for (auto _ : state) found[3] = LaneReference(data.a.data(), data.b.data(), kWindow + kR, kWindow, true);
}
void CurveFiles(benchmark::State& state) {
  for (auto _ : state) {
    CrossCorrFiles(0, 0, data.f0.c_str(), data.f1.c_str(), (data.dir + "/cc").c_str(), kDamp, 0, 1, 0);
    found[4] = static_cast<uint32_t>(XCorrWork.Files_Shift[0] + kCurve);
  }
}
void BM_CrossCorrFilesAllCores(benchmark::State& state) { CurveFiles(state); }
void BM_CrossCorrFilesOneWorker(benchmark::State& state) { qvbench::OnOneCore([&] { CurveFiles(state); }); }
void BM_CurveReferenceAllCores(benchmark::State& state) {
  for (auto _ : state) found[5] = CurveReference(platform::CoresAllowed(), data.dir + "/cc_ref", curves[0]);
}
void BM_CurveReferenceOneThread(benchmark::State& state) {
  for (auto _ : state) found[6] = CurveReference(1, data.dir + "/cc_ref1", curves[1]);
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
  // A chirped trace and the same trace lying 37 points later with a little noise.
  Data& d = data;
  for (uint32_t i = 0; i < kWindow + kR; ++i) {
    const double t = i * 1e-4;
    d.a[i] = static_cast<float>(std::sin(t * (40.0 + 300.0 * t)) + 0.1 * std::cos(i * 0.71));
  }
  for (uint32_t i = 0; i < kWindow + kR; ++i)
    d.b[i] = (i >= 37 ? d.a[i - 37] : 0.0f) + static_cast<float>(0.01 * std::sin(i * 1.3));
  // The file pair: the same chirp, the second 37 points later.
  d.dir = (std::filesystem::temp_directory_path() / "qv95_bench_xcorr").string();
  std::filesystem::create_directories(d.dir);
  d.f0 = d.dir + "/a";
  d.f1 = d.dir + "/b";
  std::ofstream(d.f0, std::ios::binary).write(reinterpret_cast<const char*>(d.a.data()), kCurve * 4);
  std::ofstream(d.f1, std::ios::binary).write(reinterpret_cast<const char*>(d.b.data()), kCurve * 4);

  for (auto* b : {benchmark::RegisterBenchmark("BM_CrossCorrArys", BM_CrossCorrArys),
                  benchmark::RegisterBenchmark("BM_LaneReference", BM_LaneReference),
                  benchmark::RegisterBenchmark("BM_CrossCorrArysTS", BM_CrossCorrArysTS),
                  benchmark::RegisterBenchmark("BM_LaneReferenceTS", BM_LaneReferenceTS)})
    b->Repetitions(7)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->UseRealTime();
  for (auto* b : {benchmark::RegisterBenchmark("BM_CrossCorrFilesAllCores", BM_CrossCorrFilesAllCores),
                  benchmark::RegisterBenchmark("BM_CrossCorrFilesOneWorker", BM_CrossCorrFilesOneWorker),
                  benchmark::RegisterBenchmark("BM_CurveReferenceAllCores", BM_CurveReferenceAllCores),
                  benchmark::RegisterBenchmark("BM_CurveReferenceOneThread", BM_CurveReferenceOneThread)})
    b->Repetitions(qvbench::kRepetitions)->Iterations(1)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)
        ->UseRealTime()->MeasureProcessCPUTime();
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;

  // The same values, bit for bit.
  const auto same = [](const std::vector<double>& x, const std::vector<double>& y) {
    return x.size() == y.size() && std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0;
  };
  LaneReference(d.a.data(), d.b.data(), kWindow, kWindow, false);
  CrossCorrArys(d.a.data(), d.b.data(), kWindow, kR, kDamp, &found[0], nullptr);
  const bool sameSingle = same(reference.ctr, XCorrWork.Single.ctr) && reference.index == found[0];
  LaneReference(d.a.data(), d.b.data(), kWindow + kR, kWindow, true);
  CrossCorrArysTS(1, d.a.data(), d.b.data(), kWindow + kR, kWindow, kR, kDamp, &found[2], nullptr);
  const bool sameTwin = same(reference.ctr, XCorrWork.Slot[1].ctr) && reference.index == found[2];
  std::vector<float> curve;
  CurveReference(platform::CoresAllowed(), d.dir + "/cc_ref", curve);
  CrossCorrFiles(0, 0, d.f0.c_str(), d.f1.c_str(), (d.dir + "/cc").c_str(), kDamp, 0, 1, 0);
  std::ifstream in(d.dir + "/cc", std::ios::binary);
  std::vector<float> ours(2 * kCurve + 1);
  in.read(reinterpret_cast<char*>(ours.data()), static_cast<std::streamsize>(ours.size() * 4));
  const bool sameCurve = in.gcount() == static_cast<std::streamsize>(ours.size() * 4) &&
                         std::memcmp(ours.data(), curve.data(), ours.size() * 4) == 0 &&
                         (curves[0].size() != curve.size() || curves[1].size() != curve.size() ||
                          std::memcmp(curves[0].data(), curves[1].data(), curve.size() * 4) == 0);
  std::printf("same values: arrays %s, twin %s, curve %s; shift %d (37 expected)\n", sameSingle ? "yes" : "NO",
              sameTwin ? "yes" : "NO", sameCurve ? "yes" : "NO", static_cast<int32_t>(XCorrWork.Files_Shift[0]));

  reporter.PrintRatio("CrossCorrArys / lane reference", "BM_CrossCorrArys", "BM_LaneReference", false, 1.2);
  reporter.PrintRatio("CrossCorrArysTS / lane reference", "BM_CrossCorrArysTS", "BM_LaneReferenceTS", false, 1.2);
  reporter.PrintRatio("file curve / lane reference, all cores", "BM_CrossCorrFilesAllCores",
                      "BM_CurveReferenceAllCores", false, 1.2);
  reporter.PrintRatio("file curve / lane reference, one worker", "BM_CrossCorrFilesOneWorker",
                      "BM_CurveReferenceOneThread", false, 1.2);
  const int cores = platform::CoresAllowed();
  reporter.PrintSpeedUp("file curve", "BM_CrossCorrFilesOneWorker", "BM_CrossCorrFilesAllCores", cores, 0.7 * cores);
  reporter.PrintSpeedUp("lane reference curve", "BM_CurveReferenceOneThread", "BM_CurveReferenceAllCores", cores, 0);
  std::filesystem::remove_all(d.dir);
  return 0;
}
