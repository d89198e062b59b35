// View-file decimation of a large raw float file into its three levels in one pass,
// beside two references at their best: a plain read of the file in the same blocks,
// and a plain per-pixel pass that reads the file once and builds the same three level
// sizes (maximum of the raw points of each pixel at two levels, their average at the
// third) with no spline.
//
//   bench_view [--points=N] [--hashes] [benchmark options]
//
// N raw points (default 100,000,000; also QV95_VIEW_BENCH_POINTS). The raw file is
// written once to the temporary folder and reused by later runs of the same size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchMedians.h"
#include "display/ViewDecimate.h"

namespace {

struct Setup {
  uint64_t points = 100000000;
  std::string path;
  // Levels as the view thread defines them for a long file: 1, 100 and 1000 pages
  // of 3000 pixels.
  double pages[3] = {1.0, 100.0, 1000.0};
  int16_t kinds[3] = {VIEW_KIND_MAX, VIEW_KIND_MAX, VIEW_KIND_AVE};
};
Setup setup;

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

double LevelPixels(const Setup& s, int v) { return 3000.0 * s.pages[v]; }

void SetBytes(benchmark::State& state, const Setup& s) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.points) * 4);
}

// The three levels of setup s, zero-filled, their values in out.
void SetLevels(const Setup& s, std::vector<float> out[3], ViewLevelOut levels[3]) {
  for (int v = 0; v < 3; ++v) {
    const double pixels = LevelPixels(s, v);
    out[v].assign(static_cast<size_t>(pixels + 0.5), 0.0f);
    levels[v].kind = s.kinds[v];
    levels[v].ptsPerPixel = static_cast<double>(s.points) / pixels;
    levels[v].size = static_cast<uint32_t>(out[v].size());
    levels[v].values = out[v].data();
  }
}

// The pass as the view thread runs it on one core (sets > 1: blocks fitted a few at
// a time), or with one work set, as it ran before.
void ViewDecimateThreeLevels(benchmark::State& state, int sets) {
  const Setup& s = setup;
  ViewWork works[ViewUniformSpline::kGroupMax];
  if (ViewWorkAllocSets(works, sets, VIEW_BLOCK_POINTS) != sets) {
    state.SkipWithError("work arrays");
    return;
  }
  std::vector<float> out[3];
  const int fd = ::open(s.path.c_str(), O_RDONLY);
  for (auto _ : state) {
    ViewLevelOut levels[3];
    SetLevels(s, out, levels);
    ViewUniformSpline spline;
    ViewDecimateStats stats;
    if (ViewDecimate(fd, s.points, levels, works, sets, spline, ViewDecimateHooks{}, &stats) != ViewDecimateEnd::Done)
      state.SkipWithError("decimation failed");
    benchmark::DoNotOptimize(out[0].data());
  }
  ::close(fd);
  for (ViewWork& work : works) ViewWorkFree(&work);
  SetBytes(state, s);
}
// The pass on every core: the file's blocks cut into ranges taken by the view thread
// and one view worker a further core, each fitting two blocks at a time.
void BM_ViewDecimateAllCores(benchmark::State& state) {
  const Setup& s = setup;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  std::vector<ViewWork> works(static_cast<size_t>(std::max(kViewWorkSetsPerWorker * cores, ViewUniformSpline::kGroupMax)));
  const int sets = static_cast<int>(works.size());
  if (ViewWorkAllocSets(works.data(), sets, VIEW_BLOCK_POINTS) != sets) {
    state.SkipWithError("work arrays");
    return;
  }
  std::vector<float> out[3];
  const int fd = ::open(s.path.c_str(), O_RDONLY);
  int ranges = 0;
  for (auto _ : state) {
    ViewLevelOut levels[3];
    SetLevels(s, out, levels);
    ViewDecimateStats stats;
    if (ViewDecimateOnWorkers(fd, s.points, levels, works.data(), sets, cores, ViewDecimateHooks{}, &stats) !=
        ViewDecimateEnd::Done)
      state.SkipWithError("decimation failed");
    ranges = stats.ranges;
    benchmark::DoNotOptimize(out[0].data());
  }
  ::close(fd);
  for (ViewWork& work : works) ViewWorkFree(&work);
  state.counters["ranges"] = ranges;
  SetBytes(state, s);
}

void BM_ViewDecimateThreeLevels(benchmark::State& state) { ViewDecimateThreeLevels(state, ViewUniformSpline::kGroupMax); }
void BM_ViewDecimateBlockByBlock(benchmark::State& state) { ViewDecimateThreeLevels(state, 1); }

// The file read in the same blocks, nothing else.
void BM_PlainReadReference(benchmark::State& state) {
  const Setup& s = setup;
  std::vector<float> block(VIEW_BLOCK_POINTS);
  const int fd = ::open(s.path.c_str(), O_RDONLY);
  for (auto _ : state) {
    for (uint64_t p = 0; p < s.points; p += VIEW_BLOCK_POINTS) {
      if (viewdetail::ReadBlock(fd, p, block.data(), VIEW_BLOCK_POINTS) <= 0) break;
      benchmark::DoNotOptimize(block.data());
    }
  }
  ::close(fd);
  SetBytes(state, s);
}

// Per pixel the maximum or average of the raw points it covers (pixel j takes points
// from ceil(j f) to below ceil((j + 1) f)), the file read once in the same blocks.
void BM_PlainMaxAverageReference(benchmark::State& state) {
  const Setup& s = setup;
  std::vector<float> block(VIEW_BLOCK_POINTS);
  std::vector<float> out[3];
  const int fd = ::open(s.path.c_str(), O_RDONLY);
  for (auto _ : state) {
    double f[3];
    uint64_t edge[3];  // first point of the next pixel
    uint32_t j[3] = {0, 0, 0};
    float best[3] = {-1e20f, -1e20f, -1e20f};
    double sum[3] = {0, 0, 0};
    for (int v = 0; v < 3; ++v) {
      out[v].assign(static_cast<size_t>(LevelPixels(s, v) + 0.5), 0.0f);
      f[v] = static_cast<double>(s.points) / LevelPixels(s, v);
      edge[v] = static_cast<uint64_t>(std::ceil(f[v]));
    }
    for (uint64_t p = 0; p < s.points; p += VIEW_BLOCK_POINTS) {
      const int64_t n = viewdetail::ReadBlock(fd, p, block.data(), VIEW_BLOCK_POINTS);
      if (n <= 0) break;
      for (int v = 0; v < 3; ++v) {
        const bool isMax = s.kinds[v] == VIEW_KIND_MAX;
        uint64_t at = p;
        const uint64_t end = p + static_cast<uint64_t>(n);
        while (at < end) {
          const uint64_t stop = std::min(end, edge[v]);
          const float* from = block.data() + (at - p);
          const size_t count = static_cast<size_t>(stop - at);
          // Eight lanes, so that the loops run at the machine's width.
          size_t i = 0;
          if (isMax) {
            float m[8];
            std::fill(m, m + 8, best[v]);
            for (; i + 8 <= count; i += 8)
              for (int l = 0; l < 8; ++l) m[l] = m[l] > from[i + l] ? m[l] : from[i + l];
            for (; i < count; ++i) m[0] = m[0] > from[i] ? m[0] : from[i];
            best[v] = *std::max_element(m, m + 8);
          } else {
            float partial[8] = {};
            for (; i + 8 <= count; i += 8)
              for (int l = 0; l < 8; ++l) partial[l] += from[i + l];
            for (; i < count; ++i) partial[0] += from[i];
            for (float part : partial) sum[v] += part;
          }
          at = stop;
          if (at == edge[v]) {
            if (j[v] < out[v].size()) out[v][j[v]] = isMax ? best[v] : static_cast<float>(sum[v] / f[v]);
            ++j[v];
            best[v] = -1e20f;
            sum[v] = 0.0;
            edge[v] = static_cast<uint64_t>(std::ceil((j[v] + 1) * f[v]));
          }
        }
      }
    }
    benchmark::DoNotOptimize(out[2].data());
  }
  ::close(fd);
  SetBytes(state, s);
}

// The spline fit alone of four blocks of the file: one block after the other (as the
// pass fits them today), and the four side by side with the same operations.
struct FitBlocks {
  ViewWork works[ViewUniformSpline::kGroupMax];
  uint32_t ns[ViewUniformSpline::kGroupMax] = {};
  const ViewWork* ptrs[ViewUniformSpline::kGroupMax] = {};
  bool Load(const Setup& s) {
    const int fd = ::open(s.path.c_str(), O_RDONLY);
    bool ok = fd >= 0;
    for (int b = 0; ok && b < ViewUniformSpline::kGroupMax; ++b) {
      ok = ViewWorkAlloc(&works[b], VIEW_BLOCK_POINTS) == 1;
      const int64_t got = ok ? viewdetail::ReadBlock(fd, static_cast<uint64_t>(b) * VIEW_BLOCK_POINTS / 2,
                                                    works[b].raw, VIEW_BLOCK_POINTS)
                             : -1;
      ok = got > 0;
      ns[b] = ok ? static_cast<uint32_t>(got) : 0;
      viewdetail::BlockOrdinates(works[b], ns[b], 0);
      ptrs[b] = &works[b];
    }
    if (fd >= 0) ::close(fd);
    return ok;
  }
  ~FitBlocks() {
    for (ViewWork& w : works) ViewWorkFree(&w);
  }
};

void SplineFit(benchmark::State& state, bool sideBySide) {
  FitBlocks blocks;
  if (!blocks.Load(setup)) {
    state.SkipWithError("blocks");
    return;
  }
  ViewUniformSpline spline;
  for (auto _ : state) {
    if (sideBySide) {
      spline.FitGroup(blocks.ptrs, blocks.ns, ViewUniformSpline::kGroupMax);
    } else {
      for (int b = 0; b < ViewUniformSpline::kGroupMax; ++b) spline.Fit(blocks.works[b], blocks.ns[b]);
    }
    benchmark::DoNotOptimize(blocks.works[0].y2);
  }
}
void BM_SplineFitOneByOne(benchmark::State& state) { SplineFit(state, false); }
void BM_SplineFitSideBySide(benchmark::State& state) { SplineFit(state, true); }

// FNV-1a over the bytes of the three levels of a few configurations, so that builds
// of the decimation can be compared byte for byte (--hashes).
void PrintHashes(const Setup& s) {
  struct Config {
    double pages[3];
    int16_t kinds[3];
  };
  const Config configs[] = {{{1.0, 100.0, 1000.0}, {VIEW_KIND_MAX, VIEW_KIND_MAX, VIEW_KIND_AVE}},
                            {{2.5, 333.3, 1111.1}, {VIEW_KIND_AVE, VIEW_KIND_AVE, VIEW_KIND_MAX}},
                            {{0.7, 20000.0, 33333.3}, {VIEW_KIND_MAX, VIEW_KIND_AVE, VIEW_KIND_MAX}}};
  constexpr int kWorkers = 8;
  constexpr int kSets = kWorkers * kViewWorkSetsPerWorker;
  ViewWork works[kSets];
  if (ViewWorkAllocSets(works, kSets, VIEW_BLOCK_POINTS) != kSets) return;
  const int fd = ::open(s.path.c_str(), O_RDONLY);
  // One work set, blocks fitted four at a time, and ranges side by side on eight
  // threads, each fitting two blocks at a time.
  for (int sets : {1, ViewUniformSpline::kGroupMax, kSets}) {
    for (const Config& c : configs) {
      std::vector<float> out[3];
      ViewLevelOut levels[3];
      for (int v = 0; v < 3; ++v) {
        const double pixels = 3000.0 * c.pages[v];
        out[v].assign(static_cast<size_t>(pixels + 0.5), 0.0f);
        levels[v].kind = c.kinds[v];
        levels[v].ptsPerPixel = static_cast<double>(s.points) / pixels;
        levels[v].size = static_cast<uint32_t>(out[v].size());
        levels[v].values = out[v].data();
      }
      ViewUniformSpline spline;
      ViewDecimateStats stats;
      const ViewDecimateEnd end =
          sets == kSets ? ViewDecimateOnWorkers(fd, s.points, levels, works, sets, kWorkers, ViewDecimateHooks{}, &stats)
                           : ViewDecimate(fd, s.points, levels, works, sets, spline, ViewDecimateHooks{}, &stats);
      uint64_t hash = 1469598103934665603ull;
      for (int v = 0; v < 3; ++v) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(out[v].data());
        for (size_t i = 0; i < out[v].size() * sizeof(float); ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
      }
      std::printf("pages %g %g %g: end %d, hash %016llx (%d work sets, %d ranges)\n", c.pages[0], c.pages[1],
                  c.pages[2], static_cast<int>(end), static_cast<unsigned long long>(hash), sets, stats.ranges);
    }
  }
  ::close(fd);
  for (ViewWork& work : works) ViewWorkFree(&work);
}

}  // namespace

int main(int argc, char** argv) {
  Setup& s = setup;
  if (const char* env = std::getenv("QV95_VIEW_BENCH_POINTS")) s.points = std::strtoull(env, nullptr, 10);
  int kept = 1;
  bool hashes = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--hashes") == 0) {
      hashes = true;
    } else if (std::strncmp(argv[i], "--points=", 9) == 0) {
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
  if (hashes) {
    PrintHashes(s);
    return 0;
  }
  for (auto* b : {benchmark::RegisterBenchmark("BM_PlainReadReference", BM_PlainReadReference),
                  benchmark::RegisterBenchmark("BM_PlainMaxAverageReference", BM_PlainMaxAverageReference),
                  benchmark::RegisterBenchmark("BM_ViewDecimateBlockByBlock", BM_ViewDecimateBlockByBlock),
                  benchmark::RegisterBenchmark("BM_ViewDecimateThreeLevels", BM_ViewDecimateThreeLevels),
                  benchmark::RegisterBenchmark("BM_ViewDecimateAllCores", BM_ViewDecimateAllCores)}) {
    b->Iterations(1)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  for (auto* b : {benchmark::RegisterBenchmark("BM_SplineFitOneByOne", BM_SplineFitOneByOne),
                  benchmark::RegisterBenchmark("BM_SplineFitSideBySide", BM_SplineFitSideBySide)}) {
    b->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->UseRealTime();
  }
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;
  std::printf("%llu raw points, file %s\n", static_cast<unsigned long long>(s.points), s.path.c_str());
  const double gb = static_cast<double>(s.points) * 4.0 / 1e9;
  for (const char* name : {"BM_PlainReadReference", "BM_PlainMaxAverageReference", "BM_ViewDecimateBlockByBlock",
                           "BM_ViewDecimateThreeLevels", "BM_ViewDecimateAllCores"}) {
    const qvbench::Median m = reporter.Of(name);
    if (m.real > 0)
      std::printf("%-44s: %8.3f s  %6.2f GB/s  %6.2f ns a point\n", name, m.real, gb / m.real,
                  m.real * 1e9 / static_cast<double>(s.points));
  }
  // Real time, and CPU time, which a machine busy with other work disturbs less.
  for (bool cpu : {false, true}) {
    reporter.PrintRatio("view build / plain read", "BM_ViewDecimateThreeLevels", "BM_PlainReadReference", cpu, 0);
    reporter.PrintRatio("view build / plain max-average pass", "BM_ViewDecimateThreeLevels",
                        "BM_PlainMaxAverageReference", cpu, 0);
    reporter.PrintRatio("view build / block by block", "BM_ViewDecimateThreeLevels", "BM_ViewDecimateBlockByBlock",
                        cpu, 0);
    reporter.PrintRatio("view build one core / all cores", "BM_ViewDecimateThreeLevels", "BM_ViewDecimateAllCores",
                        cpu, 0);
    reporter.PrintRatio("fit side by side / one by one", "BM_SplineFitSideBySide", "BM_SplineFitOneByOne", cpu, 0);
  }
  return 0;
}
