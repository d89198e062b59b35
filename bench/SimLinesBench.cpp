// Recomputing 100,000 line frequencies from 10 active constants (derivatives, then the
// sort with every parallel array), beside plain code doing the same work at its best:
// the same dot products, an index sort by frequency and the same reorders in place
// through kept buffers (the same arrays, checked); the dot products alone are
// reported too. Medians of interleaved repetitions and their ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <vector>

#include "bench/BenchMedians.h"
#include "core/TypedArrays.h"
#include "records/Sim.h"
#include "sim/SimLines.h"
#include "sim/SimSets.h"

namespace {

constexpr uint32_t kLines = 100000;
constexpr uint32_t kConsts = 10;  // 5 per state
constexpr int16_t kSet = 0;

// Set 0 with the derivative rows of a two-state set; the constants differ per call so
// that every run reorders some lines.
void MakeSet() {
  SimFIFreeQVS(kSet, &Sim, 0);
  Sim.FI_Lines[kSet] = kLines;
  Sim.DVS_STAT[kSet] = 1;
  Sim.DVS_NO[kSet][SIM_GND] = Sim.DVS_NO[kSet][SIM_EXC] = kConsts / 2;
  for (int st = 0; st < 2; ++st)
    for (uint32_t k = 0; k < kConsts / 2; ++k) {
      Sim.RC_DevStat[kSet][st][k] = 1;
      Sim.RC_Prm[kSet][st][k] = 1000.0 / (k + 1) + st;
    }
  DAlloc1Dim(&Sim.FI_Sim_Erg[kSet], kLines);
  DAlloc1Dim(&Sim.FI_Exp_Erg[kSet], kLines);
  FAlloc1Dim(&Sim.FI_Exp_Unc[kSet], kLines);
  FAlloc1Dim(&Sim.FI_Sim_Itn[kSet], kLines);
  CAlloc1Dim(&Sim.FI_BT_Lbl[kSet], kLines);
  SAlloc1Dim(&Sim.FI_Jkk_Lbl[kSet], 6 * kLines);
  DAlloc1Dim(&Sim.FI_Dev[kSet], kConsts * kLines);
  for (uint32_t i = 0; i < kLines; ++i) {
    for (uint32_t k = 0; k < kConsts; ++k) Sim.FI_Dev[kSet][kConsts * i + k] = std::sin(0.37 * i + 1.3 * k) * (k + 1);
    Sim.FI_Sim_Itn[kSet][i] = static_cast<float>(i);
    Sim.FI_BT_Lbl[kSet][i] = static_cast<char>('A' + i % 26);
    for (int q = 0; q < 6; ++q) Sim.FI_Jkk_Lbl[kSet][6 * i + q] = static_cast<int16_t>(i * 7 + q);
    Sim.FI_Exp_Erg[kSet][i] = i % 3 == 0 ? 0.5 * i : 0.0;
    Sim.FI_Exp_Unc[kSet][i] = static_cast<float>(i % 5);
  }
}

std::vector<double> Constants() {
  std::vector<double> p;
  for (int st = 0; st < 2; ++st)
    for (uint32_t k = 0; k < kConsts / 2; ++k) p.push_back(Sim.RC_Prm[kSet][st][k]);
  return p;
}

void BM_SimFIDerRun(benchmark::State& state) {
  MakeSet();
  int round = 0;
  for (auto _ : state) {
    Sim.RC_Prm[kSet][SIM_GND][1] = 500.0 + 0.01 * (++round % 7);
    benchmark::DoNotOptimize(SimFIDerRun(kSet, &Sim));
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  SimFIFreeQVS(kSet, &Sim, 0);
  LFree1Dim(&Sim.FI_SortIdx[kSet]);
}

// The reference's own copy of the set's arrays, and its kept buffers.
struct Lines {
  std::vector<double> erg, expErg, dev;
  std::vector<float> itn, expUnc;
  std::vector<char> lbl;
  std::vector<int16_t> jkk;
  std::vector<uint32_t> order;
  // A kept buffer of the same size for each array.
  std::vector<double> ergB, expErgB, devB;
  std::vector<float> itnB, expUncB;
  std::vector<char> lblB;
  std::vector<int16_t> jkkB;
  void Take() {
    erg.assign(Sim.FI_Sim_Erg[kSet], Sim.FI_Sim_Erg[kSet] + kLines);
    expErg.assign(Sim.FI_Exp_Erg[kSet], Sim.FI_Exp_Erg[kSet] + kLines);
    dev.assign(Sim.FI_Dev[kSet], Sim.FI_Dev[kSet] + kConsts * kLines);
    itn.assign(Sim.FI_Sim_Itn[kSet], Sim.FI_Sim_Itn[kSet] + kLines);
    expUnc.assign(Sim.FI_Exp_Unc[kSet], Sim.FI_Exp_Unc[kSet] + kLines);
    lbl.assign(Sim.FI_BT_Lbl[kSet], Sim.FI_BT_Lbl[kSet] + kLines);
    jkk.assign(Sim.FI_Jkk_Lbl[kSet], Sim.FI_Jkk_Lbl[kSet] + 6 * kLines);
    order.resize(kLines);
    ergB = erg, expErgB = expErg, devB = dev, itnB = itn, expUncB = expUnc, lblB = lbl, jkkB = jkk;
  }
  // v[i] := v[order[i]] for rows of `width` values, in place (the arrays stay where
  // they are, as the set's own do), through the kept buffer.
  template <typename T>
  void Reorder(std::vector<T>& v, std::vector<T>& buffer, uint32_t width) {
    std::copy(v.begin(), v.end(), buffer.begin());
    for (uint32_t i = 0; i < kLines; ++i)
      std::copy_n(buffer.begin() + static_cast<size_t>(order[i]) * width, width, v.begin() + static_cast<size_t>(i) * width);
  }
  // The frequencies from the constants p (ground then excited state) and the origin,
  // then every array in the order of rising frequency.
  void Run(const std::vector<double>& p, double e0) {
    for (uint32_t i = 0; i < kLines; ++i) {
      const double* row = dev.data() + static_cast<size_t>(i) * kConsts;
      double value = e0;
      for (uint32_t m = 0; m < kConsts; ++m) value += p[m] * row[m];
      erg[i] = value;
    }
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return erg[a] < erg[b]; });
    Reorder(erg, ergB, 1);
    Reorder(expErg, expErgB, 1);
    Reorder(dev, devB, kConsts);
    Reorder(itn, itnB, 1);
    Reorder(expUnc, expUncB, 1);
    Reorder(lbl, lblB, 1);
    Reorder(jkk, jkkB, 6);
  }
};

void BM_PlainDotSortReference(benchmark::State& state) {
  MakeSet();
  Lines lines;
  lines.Take();
  int round = 0;
  for (auto _ : state) {
    Sim.RC_Prm[kSet][SIM_GND][1] = 500.0 + 0.01 * (++round % 7);
    lines.Run(Constants(), Sim.RC_Prm[kSet][SIM_EXC][22]);
    benchmark::DoNotOptimize(lines.erg.data());
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  SimFIFreeQVS(kSet, &Sim, 0);
}

// The dot-product step alone.
void BM_DotProductsAlone(benchmark::State& state) {
  MakeSet();
  const std::vector<double> p = Constants();
  const double* dev = Sim.FI_Dev[kSet];
  double* frq = Sim.FI_Sim_Erg[kSet];
  for (auto _ : state) {
    for (uint32_t i = 0; i < kLines; ++i) {
      const double* row = dev + static_cast<size_t>(i) * kConsts;
      double f = 0.0;
      for (uint32_t m = 0; m < kConsts; ++m) f += p[m] * row[m];
      frq[i] = f;
    }
    benchmark::DoNotOptimize(frq);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  SimFIFreeQVS(kSet, &Sim, 0);
}

template <typename T>
bool Same(const std::vector<T>& v, const T* p, size_t n) {
  return v.size() == n && std::memcmp(v.data(), p, n * sizeof(T)) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (auto* b : {benchmark::RegisterBenchmark("BM_SimFIDerRun", BM_SimFIDerRun),
                  benchmark::RegisterBenchmark("BM_PlainDotSortReference", BM_PlainDotSortReference),
                  benchmark::RegisterBenchmark("BM_DotProductsAlone", BM_DotProductsAlone)})
    b->Unit(benchmark::kMillisecond)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true);
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;
  // Both roads from the same set with the same constants: the same arrays.
  MakeSet();
  Lines lines;
  lines.Take();
  Sim.RC_Prm[kSet][SIM_GND][1] = 500.0;
  SimFIDerRun(kSet, &Sim);
  lines.Run(Constants(), Sim.RC_Prm[kSet][SIM_EXC][22]);
  const bool same = Same(lines.erg, Sim.FI_Sim_Erg[kSet], kLines) && Same(lines.expErg, Sim.FI_Exp_Erg[kSet], kLines) &&
                    Same(lines.dev, Sim.FI_Dev[kSet], kConsts * kLines) && Same(lines.itn, Sim.FI_Sim_Itn[kSet], kLines) &&
                    Same(lines.expUnc, Sim.FI_Exp_Unc[kSet], kLines) && Same(lines.lbl, Sim.FI_BT_Lbl[kSet], kLines) &&
                    Same(lines.jkk, Sim.FI_Jkk_Lbl[kSet], 6 * kLines);
  SimFIFreeQVS(kSet, &Sim, 0);
  LFree1Dim(&Sim.FI_SortIdx[kSet]);
  std::printf("the reference's arrays, bit for bit: %s\n", same ? "yes" : "NO");
  reporter.PrintRatio("SimFIDerRun / plain dot products and sort", "BM_SimFIDerRun", "BM_PlainDotSortReference", true,
                      1.2);
  return 0;
}
