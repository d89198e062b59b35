// Medians of Google Benchmark repetitions and the ratio of two medians.
//
// Every benchmark of a program runs kRepetitions times (unless the command line
// gives --benchmark_repetitions), the repetitions of all benchmarks interleaved in a
// random order (unless --benchmark_enable_random_interleaving=false); the reporter
// keeps the median real and CPU time of each and prints, after the run, each
// measured benchmark's medians against its reference's: the ratio of the medians,
// never of one repetition. The machine's load average is printed before and after
// the run, since figures of several cores hold only on a machine otherwise idle.
#pragma once

#include <benchmark/benchmark.h>
#include <sched.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace qvbench {

constexpr int kRepetitions = 5;

struct Median {
  double real = 0.0;  // seconds
  double cpu = 0.0;   // seconds
};

class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
      const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
      medians_[name] = Median{run.GetAdjustedRealTime() / unit, run.GetAdjustedCPUTime() / unit};
    }
  }

  // One line: the speed-up of the many-worker run over the one-worker run (the ratio
  // of their real-time medians) for `workers` workers, against the bar.
  void PrintSpeedUp(const std::string& label, const std::string& one, const std::string& many, int workers,
                    double bar) const {
    const Median a = Of(one);
    const Median b = Of(many);
    if (a.real <= 0.0 || b.real <= 0.0) {
      std::printf("%-44s: not measured\n", label.c_str());
      return;
    }
    const double speedUp = a.real / b.real;
    std::printf("%-44s: %10.3f ms / %10.3f ms real = %6.3f on %d workers", label.c_str(), a.real * 1e3, b.real * 1e3,
                speedUp, workers);
    if (b.cpu > 0.0) std::printf(", %.2f cores busy", b.cpu / b.real);
    if (bar > 0.0) std::printf("  (bar %.2f: %s)", bar, speedUp >= bar ? "kept" : "MISSED");
    std::printf("\n");
  }

  // The medians of a benchmark by its name ("BM_Name/arg"); zero when it did not run.
  Median Of(const std::string& name) const {
    const auto found = medians_.find(name);
    return found == medians_.end() ? Median{} : found->second;
  }

  // One line: the two medians and their ratio, with the bar the ratio should keep
  // (0: none). useCpu picks the CPU-time medians (single-threaded work on a shared
  // machine), else real time.
  void PrintRatio(const std::string& label, const std::string& measured, const std::string& reference, bool useCpu,
                  double bar) const {
    const Median m = Of(measured);
    const Median r = Of(reference);
    const double a = useCpu ? m.cpu : m.real;
    const double b = useCpu ? r.cpu : r.real;
    if (a <= 0.0 || b <= 0.0) {
      std::printf("%-44s: not measured\n", label.c_str());
      return;
    }
    std::printf("%-44s: %10.3f ms / %10.3f ms %s = %6.3f", label.c_str(), a * 1e3, b * 1e3, useCpu ? "cpu " : "real",
                a / b);
    if (bar > 0.0) std::printf("  (bar %.2f: %s)", bar, a / b <= bar ? "kept" : "MISSED");
    std::printf("\n");
  }

 private:
  std::map<std::string, Median> medians_;
};

// Runs fn with the process held to the one core it is on, so that routines that start
// a helper a core the process may use start none; the affinity is given back after.
template <typename Fn>
void OnOneCore(Fn fn) {
  cpu_set_t all, one;
  sched_getaffinity(0, sizeof(all), &all);
  CPU_ZERO(&one);
  CPU_SET(sched_getcpu(), &one);
  sched_setaffinity(0, sizeof(one), &one);
  fn();
  sched_setaffinity(0, sizeof(all), &all);
}

// The load averages of the machine (/proc/loadavg), or "unknown".
inline std::string LoadAverage() {
  char text[128] = "unknown";
  if (FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (!std::fgets(text, sizeof(text), f)) std::snprintf(text, sizeof(text), "unknown");
    std::fclose(f);
  }
  std::string load = text;
  while (!load.empty() && (load.back() == '\n' || load.back() == ' ')) load.pop_back();
  return load;
}

// Runs the registered benchmarks with the reporter, their repetitions interleaved
// unless the command line says otherwise; false on bad arguments.
inline bool RunWithMedians(int* argc, char** argv, MedianReporter* reporter) {
  std::vector<char*> args(argv, argv + *argc);
  bool interleaving = false;
  for (char* arg : args) interleaving = interleaving || std::strstr(arg, "random_interleaving") != nullptr;
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  if (!interleaving) args.push_back(interleave);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  std::printf("load average before: %s\n", LoadAverage().c_str());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return false;
  benchmark::RunSpecifiedBenchmarks(reporter);
  benchmark::Shutdown();
  std::printf("load average after: %s\n", LoadAverage().c_str());
  std::printf("\nmedians of the repetitions, ratio of the medians:\n");
  return true;
}

}  // namespace qvbench
