// The file operation engine over a 32 MB float file, each operation beside the plain
// loop doing the same work with the same block size: scaling (read-modify-write),
// reversal (blocks from the last), cut-out of the middle half and append of a second
// file. Every run is timed; the medians and their ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "fileproc/FileOps.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Win.h"

namespace {

constexpr int kPoints = 8 * 1024 * 1024;

// Seconds of every run, per operation: [0] the engine, [1] the plain loop.
std::map<std::string, std::vector<double>> runs[2];

void Record(const char* name, int which, std::chrono::steady_clock::time_point begin) {
  runs[which][name].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A folder with the input file, made once for the whole run.
const std::string& Folder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/qv95bench-XXXXXX";
    std::string made = mkdtemp(pattern) ? pattern : "/tmp";
    std::vector<float> values(kPoints);
    for (int i = 0; i < kPoints; ++i) values[static_cast<size_t>(i)] = static_cast<float>(i % 1000) * 0.25f;
    std::FILE* f = std::fopen((made + "/in.bin").c_str(), "wb");
    if (f) {
      std::fwrite(values.data(), sizeof(float), values.size(), f);
      std::fclose(f);
    }
    f = std::fopen((made + "/SubBin").c_str(), "wb");  // the second file of the append
    if (f) {
      std::fwrite(values.data(), sizeof(float), values.size() / 4, f);
      std::fclose(f);
    }
    return made;
  }();
  return folder;
}

// Runs one engine operation over the bench file.
void RunOsi(benchmark::State& state, const char* name, int32_t id, int16_t variant) {
  const std::string in = Folder() + "/in.bin";
  const std::string out = Folder() + "/osi.bin";
  for (auto _ : state) {
    char inName[200];
    char outName[200];
    StrCopy(inName, in.c_str());
    StrCopy(outName, out.c_str());
    const auto begin = std::chrono::steady_clock::now();
    if (OSIFile(0, 0, id, inName, outName, variant, 0, 0) != 1) state.SkipWithError("OSIFile failed");
    Record(name, 0, begin);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 4);
}

// What the plain loop does to the blocks it copies.
enum class Plain { Copy, Scale, Reverse, Append };

// Plain streaming: blocks of the input to a new file, multiplied when scaling, from the
// last block on when reversing, followed by the second file when appending.
void PlainCopy(benchmark::State& state, const char* name, int64_t from, int64_t to, Plain what) {
  const std::string in = Folder() + "/in.bin";
  const std::string second = Folder() + "/SubBin";
  const std::string out = Folder() + "/plain.bin";
  std::vector<float> block(OSI_BLOCK);
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    int fi = ::open(in.c_str(), O_RDONLY);
    int fo = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    auto copy = [&](int fd, int64_t a, int64_t b) {
      if (what == Plain::Reverse) {
        for (int64_t start = ((b - a - 1) / OSI_BLOCK) * OSI_BLOCK; start >= 0; start -= OSI_BLOCK) {
          const int64_t k = std::min<int64_t>(OSI_BLOCK, b - start);
          if (::pread(fd, block.data(), k * 4, start * 4) != k * 4) return;
          std::reverse(block.begin(), block.begin() + k);
          if (::write(fo, block.data(), k * 4) != k * 4) return;
        }
        return;
      }
      for (int64_t p = a; p < b; p += OSI_BLOCK) {
        const int64_t k = std::min<int64_t>(OSI_BLOCK, b - p);
        if (::pread(fd, block.data(), k * 4, p * 4) != k * 4) return;
        if (what == Plain::Scale)
          for (int64_t i = 0; i < k; ++i) block[static_cast<size_t>(i)] *= 1.5f;
        if (::write(fo, block.data(), k * 4) != k * 4) return;
      }
    };
    copy(fi, from, to);
    if (what == Plain::Append) {
      int fs = ::open(second.c_str(), O_RDONLY);
      copy(fs, 0, kPoints / 4);
      ::close(fs);
    }
    ::close(fi);
    ::close(fo);
    Record(name, 1, begin);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 4);
}

void BM_OSIFileScale(benchmark::State& state) {
  Cnv.Scalar[0] = 1.5f;
  RunOsi(state, "scale", OSI_SCALE, 1);
}
BENCHMARK(BM_OSIFileScale)->Unit(benchmark::kMillisecond)->Repetitions(5);
// Reference: read a block, multiply it, write it, until the end of the file.
void BM_PlainReadModifyWrite(benchmark::State& state) { PlainCopy(state, "scale", 0, kPoints, Plain::Scale); }
BENCHMARK(BM_PlainReadModifyWrite)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_OSIFileReverse(benchmark::State& state) { RunOsi(state, "reverse", OSI_REVERSE, 0); }
BENCHMARK(BM_OSIFileReverse)->Unit(benchmark::kMillisecond)->Repetitions(5);
void BM_PlainReverse(benchmark::State& state) { PlainCopy(state, "reverse", 0, kPoints, Plain::Reverse); }
BENCHMARK(BM_PlainReverse)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Cut-out of the middle half of the file (point range switch on).
void BM_OSIFileCutOut(benchmark::State& state) {
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = kPoints / 4;
  Win.Pt_Lim[0][1] = kPoints / 4 * 3;
  RunOsi(state, "cut-out", OSI_CUTSECT, 1);
  Cnv.Lim_Stat[0] = 0;
}
BENCHMARK(BM_OSIFileCutOut)->Unit(benchmark::kMillisecond)->Repetitions(5);
void BM_PlainCutOut(benchmark::State& state) { PlainCopy(state, "cut-out", kPoints / 4, kPoints / 4 * 3 + 1, Plain::Copy); }
BENCHMARK(BM_PlainCutOut)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Append of a second file a quarter the size.
void BM_OSIFileAppend(benchmark::State& state) {
  StrCopy(Cnv.Sub_Flnm[0], (Folder() + "/SubBin").c_str());
  RunOsi(state, "append", OSI_APPEND, 0);
}
BENCHMARK(BM_OSIFileAppend)->Unit(benchmark::kMillisecond)->Repetitions(5);
void BM_PlainAppend(benchmark::State& state) { PlainCopy(state, "append", 0, kPoints, Plain::Append); }
BENCHMARK(BM_PlainAppend)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\n%-10s %14s %14s %8s\n", "operation", "engine ms", "plain ms", "ratio");
  for (const auto& [name, times] : runs[0]) {
    const double engine = Median(times);
    const double plain = Median(runs[1][name]);
    std::printf("%-10s %14.3f %14.3f %8.3f  (at most 1.2 wanted)\n", name.c_str(), engine * 1e3, plain * 1e3,
                plain > 0 ? engine / plain : 0.0);
  }
  // The run's files go with it.
  for (const char* name : {"/in.bin", "/SubBin", "/osi.bin", "/plain.bin"}) std::remove((Folder() + name).c_str());
  if (Folder() != "/tmp") ::rmdir(Folder().c_str());
  return 0;
}
