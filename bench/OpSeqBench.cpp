// The pool fan-out of the sequence command SEQCCFILEFIX (a negative mode): 4 x cores
// numbered files of 2^18 points in a temporary folder are aligned sequence by
// sequence, once by one worker and once by one worker per core (at most 29). Each
// run is one command file run by the interpreter with its pauses cut to nothing, so
// the time is that of the pool from the first start to the last done event, plus the
// reading of two lines. The reference is the same command with one worker: the
// speed-up is the ratio of the two medians, against a bar of 0.7 x cores.
//
// Before timing, the command runs once with one worker and once with all of them, and
// every file it writes (names and contents) is hashed: the two hashes must agree with
// each other and with the one recorded here, so that a change to the pool, the engine
// or the alignment cannot alter a byte unnoticed. Those runs also create every output
// under its new name; the timed repetitions write over them. Each sequence still puts
// its files in place by an atomic rename in the one folder, and a file system
// serialises those on the folder's lock: where that lock is slow (a disk folder) it
// bounds what more workers gain. Set TMPDIR to choose the folder.
//
// Beside it, the same correlations in memory, split over threads as the pool splits
// the files: its speed-up is what the machine itself gives a fixed split of the pool's
// heaviest work at the time of the run, and the pool's speed-up is given as a share
// of it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/BenchMedians.h"
#include "convert/OpSeq.h"
#include "fileproc/CrossCorrFix.h"
#include "fileproc/xcorr/CrossCorr.h"
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
// The command's correlation: lag radius, damping and the window of points correlated.
constexpr int32_t kRadius = 64;
constexpr double kDamp = 0.01;
constexpr int32_t kWinLo = 1000;
constexpr int32_t kWinHi = 15000;

int32_t Cores() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int32_t>(n);
}
int32_t Workers() { return std::min(Cores(), kMaxWorkers); }

// File k: the same chirp in every sequence, each sequence moved by a few points.
std::vector<float> FileValues(int32_t k) {
  std::vector<float> v(kPoints);
  for (int32_t i = 0; i < kPoints; ++i) {
    const int32_t s = i / kSeq;
    const double t = (i % kSeq - (s * 3 + k) % 11) * 1e-4;
    v[i] = static_cast<float>(std::sin(t * (40.0 + 300.0 * t)) + 0.05 * std::cos(i * 0.37));
  }
  return v;
}

std::string InputName(int32_t k) {
  char name[16];
  std::snprintf(name, sizeof name, "cc%03d", k);
  return name;
}

void WriteFiles(int32_t count) {
  for (int32_t k = 0; k < count; ++k) {
    const std::vector<float> v = FileValues(k);
    std::ofstream(InputName(k), std::ios::binary).write(reinterpret_cast<const char*>(v.data()), kPoints * sizeof(float));
  }
}

void WriteCommandFile(int32_t workers) {
  std::ofstream out("OpASeq100.dat", std::ios::binary);
  // One segment of the whole file, given as such: a SEG SZ of 0 would be replaced by the
  // first file's size in the slot and the later files would take the other path.
  out << "SEQCCFILEFIX\r\n-" << workers << " cc al old aves " << kSeq << " " << kPoints
      << " " << kRadius << " " << kDamp << " 1 " << kWinLo << " " << kWinHi << " 1 0 0 15 0 15 0\r\n";
}

// The outputs of the command over 32 files (4 x 8 cores), as the alignment writes them.
constexpr uint64_t kRecordedHash = 0x2a0e64b056d53d33ull;

uint64_t Fnv(const std::string& bytes, uint64_t hash) {
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

// The files of the folder the command wrote, in name order: all but the input files,
// the command file, the log and the platform's own temporary files.
std::vector<std::string> Outputs(int32_t inputs) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    bool input = false;
    for (int32_t k = 0; k < inputs && !input; ++k) input = name == InputName(k);
    if (input || name == "OpASeq100.dat" || name == "OpSeq.log" || name.rfind("__", 0) == 0 || name.rfind(".", 0) == 0)
      continue;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The names and contents of those files.
uint64_t OutputHash(int32_t inputs) {
  const std::vector<std::string> names = Outputs(inputs);
  uint64_t hash = 1469598103934665603ull;
  for (const std::string& name : names) {
    std::ifstream in(name, std::ios::binary);
    const std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    hash = Fnv(contents, Fnv(name + '\0', hash));
  }
  return hash;
}

// One run of the command with the given number of workers, then the hash of its outputs.
uint64_t CheckedRun(int32_t workers, int32_t inputs) {
  for (const std::string& name : Outputs(inputs)) std::filesystem::remove(name);
  WriteCommandFile(workers);
  ThreadCtl.OpSeq_Running = 1;
  CnvOperationSequence(nullptr);
  return OutputHash(inputs);
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

// What the machine itself gives the pool's work: the same correlations (each file's
// sequences 1..15 against its sequence 0, the command's radius, damping and window)
// in memory, with no file, note or folder, split as the pool splits the files (thread
// i takes the files i, i + n, ...) and each thread on the parameter slot of its
// worker. Identical work on every core still ends with the slowest core: where cores
// slow each other down (shared physical cores, a host's other guests) this speed-up
// stays under the number of cores however little the pool adds.
std::vector<std::vector<float>> g_inMemory;

void CorrelateShare(int32_t first, int32_t step, uint64_t* sum) {
  uint64_t total = 0;
  for (int32_t k = first; k < static_cast<int32_t>(g_inMemory.size()); k += step) {
    const float* file = g_inMemory[static_cast<size_t>(k)].data();
    for (int32_t s = 1; s < kPoints / kSeq; ++s) {
      uint32_t index = 0;
      CrossCorrArysTS(static_cast<int16_t>(first + 1), file + kWinLo, file + s * kSeq + kWinLo,
                      static_cast<uint32_t>(kSeq - kWinLo), static_cast<uint32_t>(kWinHi - kWinLo), kRadius, kDamp,
                      &index, nullptr);
      total += index;
    }
  }
  *sum = total;
}

void BM_CorrelationsInMemory(benchmark::State& state) {
  const int32_t workers = static_cast<int32_t>(state.range(0));
  std::vector<uint64_t> sums(static_cast<size_t>(workers));
  for (auto _ : state) {
    std::vector<std::thread> threads;
    for (int32_t i = 1; i < workers; ++i) threads.emplace_back(CorrelateShare, i, workers, &sums[static_cast<size_t>(i)]);
    CorrelateShare(0, workers, &sums[0]);
    for (std::thread& t : threads) t.join();
  }
  benchmark::DoNotOptimize(sums.data());
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
  // The outputs of one worker and of all, each hashed after a run over fresh outputs.
  const uint64_t oneHash = CheckedRun(1, 4 * Cores());
  const uint64_t manyHash = CheckedRun(Workers(), 4 * Cores());
  std::printf("%zu outputs of 1 and %d workers: %016llx and %016llx, %s\n", Outputs(4 * Cores()).size(), Workers(),
              static_cast<unsigned long long>(oneHash), static_cast<unsigned long long>(manyHash),
              oneHash != manyHash ? "DIFFERENT" : Cores() != 8 ? "the same (no recorded hash for this core count)"
                                  : oneHash == kRecordedHash ? "the same as recorded"
                                                             : "NOT the recorded ones");
  for (int32_t k = 0; k < 4 * Cores(); ++k) g_inMemory.push_back(FileValues(k));
  using Body = void (*)(benchmark::State&);
  for (const auto& [name, run] : {std::pair<const char*, Body>{"BM_SeqCcFileFixPool", BM_SeqCcFileFixPool},
                                  std::pair<const char*, Body>{"BM_CorrelationsInMemory", BM_CorrelationsInMemory}})
    benchmark::RegisterBenchmark(name, run)
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
  const double alone = reporter.Of("BM_CorrelationsInMemory/1").real;
  const double split = reporter.Of("BM_CorrelationsInMemory/" + std::to_string(Workers())).real;
  if (alone > 0.0 && split > 0.0) {
    std::printf("its correlations alone, in memory, split the same way: 1 thread %.1f ms, %d threads %.1f ms, "
                "speed-up %.2f",
                alone * 1e3, Workers(), split * 1e3, alone / split);
    if (one > 0.0 && many > 0.0) std::printf(" (the pool's speed-up is %.0f%% of it)", 100.0 * (one / many) / (alone / split));
    std::printf("\n");
  }
  if (oneHash != manyHash || (Cores() == 8 && oneHash != kRecordedHash)) {
    std::printf("the outputs are not the recorded ones\n");
    return 1;
  }
  if (otherBoxes != 0)
    std::printf("%d warnings, the first:\n%s\nthe runs failed\n", otherBoxes,
                firstOther.c_str());
  return 0;
}
