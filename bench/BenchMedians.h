// Medians of Google Benchmark repetitions and the ratio of two medians.
//
// Every benchmark of a program runs kRepetitions times (unless the command line
// gives --benchmark_repetitions); the reporter keeps the median real and CPU time of
// each and prints, after the run, each measured benchmark's medians against its
// reference's: the ratio of the medians, never of one repetition.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
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

// Runs the registered benchmarks with the reporter; false on bad arguments.
inline bool RunWithMedians(int* argc, char** argv, MedianReporter* reporter) {
  benchmark::Initialize(argc, argv);
  if (benchmark::ReportUnrecognizedArguments(*argc, argv)) return false;
  benchmark::RunSpecifiedBenchmarks(reporter);
  benchmark::Shutdown();
  std::printf("\nmedians of the repetitions, ratio of the medians:\n");
  return true;
}

}  // namespace qvbench
