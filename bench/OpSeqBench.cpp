// The pool fan-out of the sequence command SEQCCFILEFIX (a negative mode): 4 x cores
// numbered files of 2^18 points in a temporary folder are aligned sequence by
// sequence, once by one worker and once by one worker per core (at most 29). Each
// run is one command file run by the interpreter with its pauses cut to nothing, so
// the time is that of the pool from the first start to the last done event, plus the
// reading of two lines. The reference is the same command with one worker: the
// speed-up is the ratio of the two medians, against a bar of 0.7 x cores.
//
// The first repetition creates every sequence file under a new name, which the platform
// looks up ignoring case by reading the whole folder; the later ones write over the files
// of the one before (the median). Each sequence still puts two files in place by an
// atomic rename in the one folder, and a file system serialises those on the folder's
// lock: where that lock is slow (a disk folder) it bounds what more workers gain. Set
// TMPDIR to choose the folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchMedians.h"
#include "convert/OpSeq.h"
#include "fileproc/CrossCorrFix.h"
#include "platform/kernel/Sync.h"
#include "platform/windows/MessageBox.h"
#include "records/ThreadCtl.h"
#include "resources/Dialogs.h"

namespace {

constexpr int32_t kPoints = 1 << 18;
constexpr int32_t kSeq = 1 << 14;  // 16 sequences per file
constexpr int32_t kMaxWorkers = 29;
// A pool run lasts as long as its slowest worker, so single runs spread widely on a
// shared machine: more repetitions than the other benchmarks give a steadier median.
constexpr int kPoolRepetitions = 9;

int32_t Cores() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int32_t>(n);
}
int32_t Workers() { return std::min(Cores(), kMaxWorkers); }

// File k: the same chirp in every sequence, each sequence moved by a few points.
void WriteFiles(int32_t count) {
  std::vector<float> v(kPoints);
  for (int32_t k = 0; k < count; ++k) {
    for (int32_t i = 0; i < kPoints; ++i) {
      const int32_t s = i / kSeq;
      const double t = (i % kSeq - (s * 3 + k) % 11) * 1e-4;
      v[i] = static_cast<float>(std::sin(t * (40.0 + 300.0 * t)) + 0.05 * std::cos(i * 0.37));
    }
    char name[16];
    std::snprintf(name, sizeof name, "cc%03d", k);
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(v.data()), kPoints * sizeof(float));
  }
}

void WriteCommandFile(int32_t workers) {
  std::ofstream out("OpASeq100.dat", std::ios::binary);
  // One segment of the whole file, given as such: a SEG SZ of 0 would be replaced by the
  // first file's size in the slot and the later files would take the other path.
  out << "SEQCCFILEFIX\r\n-" << workers << " cc al old aves " << kSeq << " " << kPoints
      << " 64 0.01 1 1000 15000 1 0 0 15 0 15 0\r\n";
}

void BM_SeqCcFileFixPool(benchmark::State& state) {
  const int32_t workers = static_cast<int32_t>(state.range(0));
  WriteCommandFile(workers);
  for (auto _ : state) {
    ThreadCtl.OpSeq_Running = 1;
    CnvOperationSequence(nullptr);
  }
  state.counters["workers"] = workers;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path home = std::filesystem::current_path();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qv95-opseq-bench";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  RegisterDialogResources();
  CrossCorrInstallPoolRoutine();
  platform::SetSleepLimit(0);
  // The edit question: run the file as it is; the co-add reports are passed. Any other
  // box (a worker's failure) is counted, since a run that failed is not a run to time.
  int32_t otherBoxes = 0;
  std::string firstOther;
  platform::SetBoxAnswerer([&otherBoxes, &firstOther](const platform::BoxRequest& box) {
    if (box.text.find("EDIT USING") != std::string::npos) return IDCANCEL;
    if (box.caption == "Info") return IDOK;  // each file's co-add report
    if (otherBoxes++ == 0) firstOther = box.caption + ": " + box.text;
    return platform::NonDestructiveAnswer(box.style);
  });
  WriteFiles(4 * Cores());
  benchmark::RegisterBenchmark("BM_SeqCcFileFixPool", BM_SeqCcFileFixPool)
      ->Arg(1)
      ->Arg(Workers())
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1)
      ->Repetitions(kPoolRepetitions);
  qvbench::MedianReporter reporter;
  const bool ran = qvbench::RunWithMedians(&argc, argv, &reporter);
  // Every file must have been worked on: its co-added sequences were written.
  int32_t averaged = 0;
  for (int32_t k = 0; k < 4 * Cores(); ++k) {
    char name[24];
    std::snprintf(name, sizeof name, "al%03dAveCat", k);
    if (std::filesystem::exists(name)) ++averaged;
  }
  std::printf("files aligned and co-added: %d of %d\n", averaged, 4 * Cores());
  std::filesystem::current_path(home);
  std::filesystem::remove_all(dir);
  if (!ran) return 1;
  const double one = reporter.Of("BM_SeqCcFileFixPool/1").real;
  const double many = reporter.Of("BM_SeqCcFileFixPool/" + std::to_string(Workers())).real;
  const double bar = 0.7 * Cores();
  if (one > 0.0 && many > 0.0) {
    std::printf("%d files of %d points, %d cores: 1 worker %.1f ms, %d workers %.1f ms, speed-up %.2f (bar %.2f: %s)\n",
                4 * Cores(), kPoints, Cores(), one * 1e3, Workers(), many * 1e3, one / many, bar,
                one / many >= bar ? "kept" : "MISSED");
  }
  if (otherBoxes != 0)
    std::printf("%d warnings, the first:\n%s\nthe runs failed\n", otherBoxes,
                firstOther.c_str());
  return 0;
}
