// View-file decimation of a large raw float file into its three levels in one pass,
// beside two references at their best: a plain read of the file in the same blocks,
// and a plain per-pixel pass that reads the file once and builds the same three level
// sizes (maximum of the raw points of each pixel at two levels, their average at the
// third) with no spline. The build runs on one core and on every core the process may
// use (the speed-up of the second, bar 0.7 x cores), for one file and for three
// files one after the other as the view thread builds three channels; the spline
// fit of one block alone, whole and window by window.
//
//   bench_view [--points=N] [--pixels=P] [--hashes] [--peak] [benchmark options]
//
// N raw points (default 100,000,000; also QV95_VIEW_BENCH_POINTS), P pixels a page
// (default 3000: the widest pixels of the top level are N / P points). The raw files are
// written once to the temporary folder and reused by later runs of the same size.
// --hashes prints checksums of the levels of a few configurations, built on one
// thread and on eight, for byte-for-byte comparisons of builds; --peak builds three
// average levels once as the program does (the levels that hold the most samples
// back where ranges meet), with work sets for the cores the process may use, and
// prints the process's peak memory (bar 60 MB up to 100,000,000 points, 100 MB
// above; e.g. --points=400000000).
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
#include <vector>

#include "bench/BenchMedians.h"
#include "core/TypedArrays.h"
#include "display/ViewDecimate.h"
#include "platform/kernel/Sync.h"

namespace {

struct Setup {
  uint64_t points = 100000000;
  std::string path;             // the file of the one-file benchmarks
  std::string channels[3];      // the three files (the first is path)
  // Levels as the view thread defines them for a long file: 1, 100 and 1000 pages
  // of 3000 pixels (a page as wide as the window; --pixels sets it).
  double pagePixels = 3000.0;
  double pages[3] = {1.0, 100.0, 1000.0};
  int16_t kinds[3] = {VIEW_KIND_MAX, VIEW_KIND_MAX, VIEW_KIND_AVE};
};
Setup setup;

// A trace with a slow baseline, noise and a narrow line every 50,000 points (shifted
// by `shift` points and with its own noise for each channel).
bool WriteRawFile(const Setup& s, const std::string& path, uint32_t channel) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && std::filesystem::file_size(path, ec) == s.points * 4) return true;
  const std::string temp = path + ".part";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  std::vector<float> block(1 << 20);
  uint32_t seed = 12345 + 7919 * channel;
  const uint64_t shift = 17000 * channel;
  for (uint64_t p = 0; p < s.points; p += block.size()) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), s.points - p));
    for (size_t i = 0; i < n; ++i) {
      const uint64_t k = p + i;
      seed = seed * 1664525u + 1013904223u;
      const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.05;
      const double d = static_cast<double>((k + shift) % 50000) - 25000.0;
      block[i] = static_cast<float>(0.3 * std::sin(k * 1.0e-6) + noise + 2.0 / (1.0 + d * d / 9.0));
    }
    if (std::fwrite(block.data(), sizeof(float), n, f) != n) {
      std::fclose(f);
      return false;
    }
  }
  if (std::fclose(f) != 0) return false;
  std::filesystem::rename(temp, path, ec);
  return !ec;
}

double LevelPixels(const Setup& s, int v) { return s.pagePixels * s.pages[v]; }

void SetBytes(benchmark::State& state, const Setup& s, int files) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.points) * 4 * files);
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

// Work sets as the program allocates them: one a worker.
struct WorkSets {
  explicit WorkSets(int count) : works(static_cast<size_t>(count)) {
    ok = ViewWorkAllocSets(works.data(), count, VIEW_BLOCK_POINTS) == count;
  }
  ~WorkSets() {
    for (ViewWork& w : works) ViewWorkFree(&w);
  }
  std::vector<ViewWork> works;
  bool ok = false;
};

// The build of `files` files one after the other (the view thread's channels) with
// `workers` workers (1: the one-thread pass).
void ViewBuild(benchmark::State& state, int workers, int files) {
  const Setup& s = setup;
  WorkSets sets(workers);
  if (!sets.ok) {
    state.SkipWithError("work arrays");
    return;
  }
  std::vector<float> out[3][3];
  int fds[3];
  for (int c = 0; c < files; ++c) fds[c] = ::open(s.channels[c].c_str(), O_RDONLY);
  int ranges = 0;
  for (auto _ : state) {
    for (int c = 0; c < files; ++c) {
      ViewLevelOut levels[3];
      SetLevels(s, out[c], levels);
      ViewDecimateStats stats;
      ViewDecimateEnd end;
      if (workers == 1) {
        ViewUniformSpline spline;
        end = ViewDecimate(fds[c], s.points, levels, sets.works[0], spline, ViewDecimateHooks{}, &stats);
      } else {
        end = ViewDecimateOnWorkers(fds[c], s.points, levels, sets.works.data(), workers, workers, ViewDecimateHooks{},
                                    &stats);
      }
      if (end != ViewDecimateEnd::Done) state.SkipWithError("decimation failed");
      ranges = stats.ranges;
      benchmark::DoNotOptimize(out[c][0].data());
    }
  }
  for (int c = 0; c < files; ++c) ::close(fds[c]);
  state.counters["ranges"] = ranges;
  SetBytes(state, s, files);
}

int Cores() { return platform::CoresAllowed(); }

void BM_ViewBuildOneCore(benchmark::State& state) { ViewBuild(state, 1, 1); }
void BM_ViewBuildAllCores(benchmark::State& state) { ViewBuild(state, Cores(), 1); }
void BM_ViewBuildThreeChannelsOneCore(benchmark::State& state) { ViewBuild(state, 1, 3); }
void BM_ViewBuildThreeChannelsAllCores(benchmark::State& state) { ViewBuild(state, Cores(), 3); }

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
  SetBytes(state, s, 1);
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
  SetBytes(state, s, 1);
}

// The spline fit alone of one block of the file: the whole sweep into an array of
// the block's length, and window by window as the pass works it out.
struct FitBlock {
  ViewWork whole, windows;
  uint32_t n = 0;
  bool Load(const Setup& s) {
    const int fd = ::open(s.path.c_str(), O_RDONLY);
    bool ok = fd >= 0 && ViewWorkAlloc(&whole, VIEW_FIT_WINDOW) == 1 && ViewWorkAlloc(&windows, VIEW_BLOCK_POINTS) == 1;
    if (ok) {
      // The whole sweep's arrays: a block's length of each.
      ViewWorkFree(&whole);
      ok = !QvAllocFailed(FAlloc1Dim(&whole.raw, VIEW_BLOCK_POINTS)) && !QvAllocFailed(DAlloc1Dim(&whole.y2, VIEW_BLOCK_POINTS));
      whole.y = whole.raw;
      whole.u = whole.y2;
    }
    const int64_t got = ok ? viewdetail::ReadBlock(fd, VIEW_BLOCK_POINTS / 2, windows.raw, VIEW_BLOCK_POINTS) : -1;
    ok = ok && got > 0;
    n = ok ? static_cast<uint32_t>(got) : 0;
    if (ok) {
      viewdetail::BlockOrdinates(windows, n, 0);
      std::copy(windows.raw, windows.raw + n, whole.raw);
    }
    if (fd >= 0) ::close(fd);
    return ok;
  }
  ~FitBlock() {
    FFree1Dim(&whole.raw);
    DFree1Dim(&whole.y2);
    ViewWorkFree(&windows);
  }
};

void SplineFit(benchmark::State& state, bool windows) {
  FitBlock block;
  if (!block.Load(setup)) {
    state.SkipWithError("block");
    return;
  }
  ViewUniformSpline spline;
  double sum = 0.0;
  for (auto _ : state) {
    if (windows) {
      spline.FitWindows(block.windows, block.n, [&](uint32_t, uint32_t, const double* y2, bool) { sum += y2[1]; });
    } else {
      spline.Fit(block.whole, block.n);
      sum += block.whole.y2[1];
    }
    benchmark::DoNotOptimize(sum);
  }
}
void BM_SplineFitWhole(benchmark::State& state) { SplineFit(state, false); }
void BM_SplineFitWindows(benchmark::State& state) { SplineFit(state, true); }

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
  WorkSets sets(kWorkers);
  if (!sets.ok) return;
  const int fd = ::open(s.path.c_str(), O_RDONLY);
  // One thread, and ranges side by side on eight.
  for (int workers : {1, kWorkers}) {
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
          workers > 1 ? ViewDecimateOnWorkers(fd, s.points, levels, sets.works.data(), workers, workers,
                                              ViewDecimateHooks{}, &stats)
                      : ViewDecimate(fd, s.points, levels, sets.works[0], spline, ViewDecimateHooks{}, &stats);
      uint64_t hash = 1469598103934665603ull;
      for (int v = 0; v < 3; ++v) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(out[v].data());
        for (size_t i = 0; i < out[v].size() * sizeof(float); ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
      }
      std::printf("pages %g %g %g: end %d, hash %016llx (%d workers, %d ranges)\n", c.pages[0], c.pages[1], c.pages[2],
                  static_cast<int>(end), static_cast<unsigned long long>(hash), workers, stats.ranges);
    }
  }
  ::close(fd);
}

// The process's peak resident memory in kB (VmHWM), 0 when unknown.
uint64_t PeakKilobytes() {
  uint64_t kb = 0;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof(line), f))
      if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::strtoull(line + 6, nullptr, 10);
    std::fclose(f);
  }
  return kb;
}

// One build as the program runs it (--peak): work sets for the cores the process may
// use, the three level arrays (all of them averages), the pass on every one of those
// cores.
int PrintPeak(Setup s) {
  const uint64_t before = PeakKilobytes();
  const int cores = std::min<int>(Cores(), static_cast<int>(kViewWorkersMax));
  std::vector<float> out[3];
  ViewLevelOut levels[3];
  for (int16_t& kind : s.kinds) kind = VIEW_KIND_AVE;
  SetLevels(s, out, levels);
  WorkSets sets(cores);
  if (!sets.ok) return 1;
  const int fd = ::open(s.path.c_str(), O_RDONLY);
  ViewDecimateStats stats;
  const ViewDecimateEnd end =
      ViewDecimateOnWorkers(fd, s.points, levels, sets.works.data(), cores, cores, ViewDecimateHooks{}, &stats);
  ::close(fd);
  const double peak = static_cast<double>(PeakKilobytes()) / 1024.0;
  const double bar = s.points <= 100000000 ? 60.0 : 100.0;
  std::printf("view build of %llu points on %d cores, %d ranges (end %d): peak memory %.1f MB (%.1f MB before the "
              "build, at most %.1f MB of samples held back)  (bar %.0f MB: %s)\n",
              static_cast<unsigned long long>(s.points), cores, stats.ranges, static_cast<int>(end), peak,
              static_cast<double>(before) / 1024.0, static_cast<double>(stats.heldMost) * 8.0 / 1048576.0, bar,
              peak < bar ? "kept" : "MISSED");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Setup& s = setup;
  if (const char* env = std::getenv("QV95_VIEW_BENCH_POINTS")) s.points = std::strtoull(env, nullptr, 10);
  int kept = 1;
  bool hashes = false, peak = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--hashes") == 0) {
      hashes = true;
    } else if (std::strcmp(argv[i], "--peak") == 0) {
      peak = true;
    } else if (std::strncmp(argv[i], "--points=", 9) == 0) {
      s.points = std::strtoull(argv[i] + 9, nullptr, 10);
    } else if (std::strncmp(argv[i], "--pixels=", 9) == 0) {
      s.pagePixels = std::max(1.0, std::strtod(argv[i] + 9, nullptr));
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  // At least one point per pixel at 1000 pages.
  if (static_cast<double>(s.points) < s.pagePixels * 1000.0) s.points = static_cast<uint64_t>(s.pagePixels * 1000.0);
  const std::filesystem::path temp = std::filesystem::temp_directory_path();
  for (uint32_t c = 0; c < 3; ++c) {
    char name[96];
    if (c == 0) std::snprintf(name, sizeof(name), "qv95_view_bench_%llu.f32", static_cast<unsigned long long>(s.points));
    else std::snprintf(name, sizeof(name), "qv95_view_bench_%llu_%u.f32", static_cast<unsigned long long>(s.points), c);
    s.channels[c] = (temp / name).string();
    if ((c == 0 || (!hashes && !peak)) && !WriteRawFile(s, s.channels[c], c)) {
      std::fprintf(stderr, "cannot write %s\n", s.channels[c].c_str());
      return 1;
    }
  }
  s.path = s.channels[0];
  if (hashes) {
    PrintHashes(s);
    return 0;
  }
  if (peak) return PrintPeak(s);
  for (auto* b : {benchmark::RegisterBenchmark("BM_PlainReadReference", BM_PlainReadReference),
                  benchmark::RegisterBenchmark("BM_PlainMaxAverageReference", BM_PlainMaxAverageReference),
                  benchmark::RegisterBenchmark("BM_ViewBuildOneCore", BM_ViewBuildOneCore),
                  benchmark::RegisterBenchmark("BM_ViewBuildAllCores", BM_ViewBuildAllCores),
                  benchmark::RegisterBenchmark("BM_ViewBuildThreeChannelsOneCore", BM_ViewBuildThreeChannelsOneCore),
                  benchmark::RegisterBenchmark("BM_ViewBuildThreeChannelsAllCores", BM_ViewBuildThreeChannelsAllCores)}) {
    b->Iterations(1)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)
        ->UseRealTime()->MeasureProcessCPUTime();
  }
  for (auto* b : {benchmark::RegisterBenchmark("BM_SplineFitWhole", BM_SplineFitWhole),
                  benchmark::RegisterBenchmark("BM_SplineFitWindows", BM_SplineFitWindows)}) {
    b->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->UseRealTime();
  }
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;
  std::printf("%llu raw points a file, %s\n", static_cast<unsigned long long>(s.points), s.path.c_str());
  const double gb = static_cast<double>(s.points) * 4.0 / 1e9;
  for (const char* name : {"BM_PlainReadReference", "BM_PlainMaxAverageReference", "BM_ViewBuildOneCore",
                           "BM_ViewBuildAllCores"}) {
    const qvbench::Median m = reporter.Of(name);
    if (m.real > 0)
      std::printf("%-44s: %8.3f s  %6.2f GB/s  %6.2f ns a point\n", name, m.real, gb / m.real,
                  m.real * 1e9 / static_cast<double>(s.points));
  }
  // CPU time of one core, which a machine busy with other work disturbs less.
  reporter.PrintRatio("view build one core / plain read", "BM_ViewBuildOneCore", "BM_PlainReadReference", true, 0);
  reporter.PrintRatio("view build one core / plain max-average pass", "BM_ViewBuildOneCore",
                      "BM_PlainMaxAverageReference", true, 8.0);
  reporter.PrintRatio("fit window by window / whole sweep", "BM_SplineFitWindows", "BM_SplineFitWhole", true, 0);
  const int cores = Cores();
  reporter.PrintSpeedUp("view build, one file", "BM_ViewBuildOneCore", "BM_ViewBuildAllCores", cores, 0.7 * cores);
  reporter.PrintSpeedUp("view build, three files", "BM_ViewBuildThreeChannelsOneCore",
                        "BM_ViewBuildThreeChannelsAllCores", cores, 0.7 * cores);
  return 0;
}
