// The import of a line list of 200,000 records as the token stream "ASCII_LINESDOTDAT"
// beside the import of the same records as "ASCII_8QN", one record a line: the stream
// must grow with the file as the line layout does (within three times its time, CPU
// medians). Both imports give the same lines (checked before timing).
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "bench/BenchMedians.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/Sim.h"
#include "sim/SimAscii.h"
#include "sim/SimSets.h"

namespace {

constexpr uint32_t kRecords = 200000;
constexpr int16_t kSet = 0;

// Record i in both layouts; every fifth is assigned (an experimental frequency, and in
// the stream one number more).
void WriteLists() {
  std::string qn8, ldd;
  qn8.reserve(kRecords * 64);
  ldd.reserve(kRecords * 64);
  for (uint32_t i = 0; i < kRecords; ++i) {
    const char label = static_cast<char>('a' + i % 26);
    const int q[6] = {static_cast<int>(i % 50), static_cast<int>(i % 7), static_cast<int>(i % 11),
                      static_cast<int>(i % 50 + 1), static_cast<int>(i % 5), static_cast<int>(i % 13)};
    const double itn = 1e-3 * (i % 97 + 1), sim = 10000.0 + 0.5 * i, exp = i % 5 == 0 ? sim + 0.0125 : 0.0;
    qn8 += StrPrintf("%c %d %d %d 0.0 %d %d %d 0.0 %.6g %.4f %.4f\n", label, q[0], q[1], q[2], q[3], q[4], q[5], itn, exp,
                     sim);
    ldd += StrPrintf("%c x y 0 %d %d %d %d %d %d %.6g %.4f %.4f%s\n", label, q[0], q[1], q[2], q[3], q[4], q[5], itn, exp,
                     sim, exp != 0.0 ? " 0.01" : "");
  }
  for (const auto& [name, text] : {std::pair<const char*, const std::string&>{"list.8qn", qn8}, {"list.ldd", ldd}}) {
    std::FILE* f = std::fopen(name, "wb");
    if (f) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
  }
}

bool Import(const char* file, const char* format) {
  return SimFIAscii2Binary(kSet, file, format) == 1 && Sim.FI_Lines[kSet] == kRecords;
}

void BM_LinesDotDatImport(benchmark::State& state) {
  for (auto _ : state)
    if (!Import("list.ldd", "ASCII_LINESDOTDAT")) state.SkipWithError("import failed");
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_Ascii8QnImportReference(benchmark::State& state) {
  for (auto _ : state)
    if (!Import("list.8qn", "ASCII_8QN")) state.SkipWithError("import failed");
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// The lines of one import: labels, quantum numbers, intensities, frequencies.
struct Kept {
  std::string lbl;
  std::string jkk, itn, exp, sim;
  void Take() {
    const size_t n = Sim.FI_Lines[kSet];
    lbl.assign(Sim.FI_BT_Lbl[kSet], n);
    jkk.assign(reinterpret_cast<const char*>(Sim.FI_Jkk_Lbl[kSet]), 6 * n * sizeof(int16_t));
    itn.assign(reinterpret_cast<const char*>(Sim.FI_Sim_Itn[kSet]), n * sizeof(float));
    exp.assign(reinterpret_cast<const char*>(Sim.FI_Exp_Erg[kSet]), n * sizeof(double));
    sim.assign(reinterpret_cast<const char*>(Sim.FI_Sim_Erg[kSet]), n * sizeof(double));
  }
  bool operator==(const Kept&) const = default;
};

}  // namespace

int main(int argc, char** argv) {
  platform::SetBoxAnswerer([](const platform::BoxRequest& box) { return platform::NonDestructiveAnswer(box.style); });
  const std::filesystem::path start = std::filesystem::current_path();
  std::string pattern = (std::filesystem::temp_directory_path() / "qv95bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  std::filesystem::current_path(pattern);
  WriteLists();
  Kept stream, lines;
  const bool read = Import("list.ldd", "ASCII_LINESDOTDAT");
  if (read) stream.Take();
  const bool same = read && Import("list.8qn", "ASCII_8QN") && (lines.Take(), lines == stream);
  int result = 0;
  if (!same) {
    std::fprintf(stderr, "the two imports differ\n");
    result = 1;
  } else {
    for (auto* b : {benchmark::RegisterBenchmark("BM_LinesDotDatImport", BM_LinesDotDatImport),
                    benchmark::RegisterBenchmark("BM_Ascii8QnImportReference", BM_Ascii8QnImportReference)})
      b->Unit(benchmark::kMillisecond)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true);
    qvbench::MedianReporter reporter;
    if (qvbench::RunWithMedians(&argc, argv, &reporter)) {
      std::printf("the same lines from both layouts: yes (checked before timing)\n");
      reporter.PrintRatio("ASCII_LINESDOTDAT / ASCII_8QN, CPU time", "BM_LinesDotDatImport", "BM_Ascii8QnImportReference",
                          true, 3.0);
      reporter.PrintRatio("ASCII_LINESDOTDAT / ASCII_8QN, real time", "BM_LinesDotDatImport",
                          "BM_Ascii8QnImportReference", false, 3.0);
    } else {
      result = 1;
    }
  }
  SimFIFreeQVS(kSet, &Sim, 0);
  std::filesystem::current_path(start);
  std::error_code ignored;
  std::filesystem::remove_all(pattern, ignored);
  return result;
}
