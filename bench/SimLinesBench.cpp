// Recomputing 100,000 line frequencies from 10 active constants (derivatives, then the
// sort with every parallel array), beside a plain loop doing the same dot products
// followed by the same index sort and reorders; the dot products alone are reported too.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "core/TypedArrays.h"
#include "numerics/Sorts.h"
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
    Sim.FI_BT_Lbl[kSet][i] = 'A';
  }
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
BENCHMARK(BM_SimFIDerRun)->Unit(benchmark::kMillisecond);

// Reference: the dot products over the same rows, then IndexSortD and the same reorders.
void DotProducts(const std::vector<double>& p, double e0) {
  const double* dev = Sim.FI_Dev[kSet];
  double* frq = Sim.FI_Sim_Erg[kSet];
  for (uint32_t i = 0; i < kLines; ++i) {
    const double* row = dev + static_cast<size_t>(i) * kConsts;
    double f = e0;
    for (uint32_t m = 0; m < kConsts; ++m) f += p[m] * row[m];
    frq[i] = f;
  }
}

std::vector<double> Constants() {
  std::vector<double> p;
  for (int st = 0; st < 2; ++st)
    for (uint32_t k = 0; k < kConsts / 2; ++k) p.push_back(Sim.RC_Prm[kSet][st][k]);
  return p;
}

void BM_PlainDotSortReference(benchmark::State& state) {
  MakeSet();
  std::vector<int32_t> idx(kLines);
  const int32_t n = kLines;
  int round = 0;
  for (auto _ : state) {
    Sim.RC_Prm[kSet][SIM_GND][1] = 500.0 + 0.01 * (++round % 7);
    DotProducts(Constants(), 0.0);
    IndexSortD(n, Sim.FI_Sim_Erg[kSet] - 1, idx.data() - 1);
    const int32_t* index = idx.data() - 1;
    Csi6sfdrddASort(n, index, Sim.FI_BT_Lbl[kSet] - 1, nullptr, nullptr, nullptr, Sim.FI_Jkk_Lbl[kSet] - 6,
                    Sim.FI_Sim_Itn[kSet] - 1, Sim.FI_Sim_Erg[kSet] - 1, 0);
    Csi6sfdrddASort(n, index, nullptr, nullptr, nullptr, nullptr, nullptr, Sim.FI_Exp_Unc[kSet] - 1,
                    Sim.FI_Exp_Erg[kSet] - 1, 0);
    Csi6sfdrddASort(n, index, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, Sim.FI_Dev[kSet] - kConsts,
                    static_cast<int32_t>(kConsts));
    benchmark::DoNotOptimize(Sim.FI_Sim_Erg[kSet]);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  SimFIFreeQVS(kSet, &Sim, 0);
}
BENCHMARK(BM_PlainDotSortReference)->Unit(benchmark::kMillisecond);

// The dot-product step alone.
void BM_DotProductsAlone(benchmark::State& state) {
  MakeSet();
  const std::vector<double> p = Constants();
  for (auto _ : state) {
    DotProducts(p, 0.0);
    benchmark::DoNotOptimize(Sim.FI_Sim_Erg[kSet]);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  SimFIFreeQVS(kSet, &Sim, 0);
}
BENCHMARK(BM_DotProductsAlone)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
