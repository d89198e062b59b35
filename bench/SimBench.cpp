// The complex error function beside libcerf's w_of_z on the same points, and the
// rendering of a 100,000-line set beside a plain loop that adds the same profiles.
// Each runs five times; compare the medians.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/TypedArrays.h"
#include "platform/gdi/Gdi.h"
#include "records/Dsp.h"
#include "records/Locks.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "sim/LineShape.h"
#include "sim/SimPlot.h"
#include "sim/Voigt.h"

// libcerf's C interface, in the compiler's C99 complex type.
extern "C" __complex__ double w_of_z(__complex__ double z);

namespace {

struct Points {
  std::vector<double> x, y;
};

// The accuracy grid: x from -60 to 60, y log-spaced from 1e-5 to 100.
Points Grid() {
  Points p;
  for (int i = 0; i <= 600; ++i)
    for (int k = 0; k <= 70; ++k) {
      p.x.push_back(-60.0 + 0.2 * i);
      p.y.push_back(std::pow(10.0, -5.0 + 7.0 * k / 70.0));
    }
  return p;
}

// Points of line profiles: |x| <= 5 in 200 steps, y up to 2.
Points Profile() {
  Points p;
  for (int i = 0; i < 200; ++i)
    for (int k = 1; k <= 20; ++k) {
      p.x.push_back(-5.0 + 10.0 * i / 199.0);
      p.y.push_back(0.1 * k);
    }
  return p;
}

void Ours(benchmark::State& state, const Points& p) {
  for (auto _ : state) {
    double sum = 0.0;
    for (size_t i = 0; i < p.x.size(); ++i) {
      const double z[2] = {p.x[i], p.y[i]};
      double w[2];
      VoigtComplexErrorFn(z, w);
      sum += w[0] + w[1];
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(p.x.size()));
}

void Libcerf(benchmark::State& state, const Points& p) {
  for (auto _ : state) {
    double sum = 0.0;
    for (size_t i = 0; i < p.x.size(); ++i) {
      __complex__ double z;
      __real__ z = p.x[i];
      __imag__ z = p.y[i];
      const __complex__ double w = w_of_z(z);
      sum += __real__ w + __imag__ w;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(p.x.size()));
}

// The same points through the entry that runs several points' loops side by side.
void OursMany(benchmark::State& state, const Points& p) {
  std::vector<double> wr(p.x.size()), wi(p.x.size());
  for (auto _ : state) {
    VoigtComplexErrorFnMany(p.x.data(), p.y.data(), static_cast<int32_t>(p.x.size()), wr.data(), wi.data(), nullptr);
    double sum = 0.0;
    for (size_t i = 0; i < wr.size(); ++i) sum += wr[i] + wi[i];
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(p.x.size()));
}

void BM_VoigtGrid(benchmark::State& state) { Ours(state, Grid()); }
void BM_VoigtGridLibcerf(benchmark::State& state) { Libcerf(state, Grid()); }
void BM_VoigtProfilePoints(benchmark::State& state) { Ours(state, Profile()); }
void BM_VoigtProfilePointsLibcerf(benchmark::State& state) { Libcerf(state, Profile()); }
void BM_VoigtGridMany(benchmark::State& state) { OursMany(state, Grid()); }
void BM_VoigtProfilePointsMany(benchmark::State& state) { OursMany(state, Profile()); }
BENCHMARK(BM_VoigtGrid)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_VoigtGridLibcerf)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_VoigtProfilePoints)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_VoigtProfilePointsLibcerf)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_VoigtGridMany)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_VoigtProfilePointsMany)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// ---- a 100,000-line set ----------------------------------------------------------

constexpr int kLines = 100000;
constexpr int kRun = WIN_DRAW_PTS;

// Set 0: lines spread over a run of 20,000 points 0.05 apart, Voigt widths 0.5 and 0.2
// over 10 widths: half profiles of 100 points, about 200 points a line.
struct BigSet {
  explicit BigSet(int lines = kLines) {
    if (!SimPlotLock.state) InitializeCriticalSection(&SimPlotLock);
    FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS);
    for (auto& s : Dsp.FrqStpView) s = 0.05;
    for (auto& p : Dsp.Pts2Pxl) p = 1.0;
    Sim.FI_Lines[0] = static_cast<uint32_t>(lines);
    DAlloc1Dim(&Sim.FI_Sim_Erg[0], static_cast<uint32_t>(lines));
    FAlloc1Dim(&Sim.FI_Sim_Itn[0], static_cast<uint32_t>(lines));
    CAlloc1Dim(&Sim.FI_BT_Lbl[0], static_cast<uint32_t>(lines));
    for (int i = 0; i < lines; ++i) {
      Sim.FI_Sim_Erg[0][i] = 0.05 * kRun * (i + 0.5) / lines;
      Sim.FI_Sim_Itn[0][i] = 1.0f + static_cast<float>(i % 7);
      Sim.FI_BT_Lbl[0][i] = 'A';
    }
    Sim.LN_STAT[0] = 1;
    Sim.LS_Double = 1;
    Sim.LS_GAU[0] = 0.5;
    Sim.LS_LOR[0] = 0.2;
    Sim.LS_WidthMode[0] = 1;
    Sim.LS_NOLWS[0] = 10;
    Sim.Lbl_Stat = 0;
  }
  ~BigSet() {
    SimLineShapeStoresFree();
    DFree1Dim(&Sim.FI_Sim_Erg[0]);
    FFree1Dim(&Sim.FI_Sim_Itn[0]);
    CFree1Dim(&Sim.FI_BT_Lbl[0]);
    FFree1Dim(&Win.PM_DrawAry);
  }
};

void BM_SimFIPlot100kLinesComputeOnly(benchmark::State& state) {
  BigSet set;
  for (auto _ : state) benchmark::DoNotOptimize(SimFIPlot(nullptr, 0, 0, 3, 0, kRun, 1, 9, 9));
  state.counters["half_profile_pts"] = Sim.LS_Pts[0][3];
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_SimFIPlot100kLinesComputeOnly)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SimFIPlot100kLinesDrawingNoLabels(benchmark::State& state) {
  BigSet set;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kRun, 200);
  HGDIOBJ old = SelectObject(dc, bitmap);
  Win.hDC_Mem = dc;
  for (auto _ : state) benchmark::DoNotOptimize(SimFIPlot(dc, 2, 0, 3, 0, kRun, 1, 9, 9));
  Win.hDC_Mem = nullptr;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_SimFIPlot100kLinesDrawingNoLabels)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same set with every line's own Voigt widths: each line builds its own profile,
// sampled around its true centre.
void BM_SimFIPlot100kLinesOwnWidths(benchmark::State& state) {
  BigSet set;
  Sim.IDVWIDTH_STAT[0] = 1;
  FAlloc1Dim(&Sim.FI_Gau_FWHM[0], kLines);
  FAlloc1Dim(&Sim.FI_Lor_FWHM[0], kLines);
  for (int i = 0; i < kLines; ++i) {
    Sim.FI_Gau_FWHM[0][i] = 0.5f;
    Sim.FI_Lor_FWHM[0][i] = 0.2f;
  }
  for (auto _ : state) benchmark::DoNotOptimize(SimFIPlot(nullptr, 0, 0, 3, 0, kRun, 1, 9, 9));
  FFree1Dim(&Sim.FI_Gau_FWHM[0]);
  FFree1Dim(&Sim.FI_Lor_FWHM[0]);
  Sim.IDVWIDTH_STAT[0] = 0;
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_SimFIPlot100kLinesOwnWidths)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// Reference: the same lines, each adding one precomputed 199-point profile into the run.
void BM_AddProfilesReference(benchmark::State& state) {
  std::vector<double> profile(199);
  for (int k = 0; k < 199; ++k) profile[k] = VoigtProfile(0.05 * (k - 99), 0.5, 0.2);
  std::vector<float> out(kRun);
  std::vector<int32_t> centre(kLines);
  std::vector<double> height(kLines);
  for (int i = 0; i < kLines; ++i) {
    centre[i] = static_cast<int32_t>(static_cast<double>(kRun) * (i + 0.5) / kLines + 0.5);
    height[i] = 1.0 + i % 7;
  }
  for (auto _ : state) {
    std::fill(out.begin(), out.end(), 0.0f);
    for (int i = 0; i < kLines; ++i) {
      const int32_t c = centre[i];
      const double h = height[i];
      for (int k = 0; k < 199; ++k) {
        const int32_t j = c + k - 99;
        if (j >= 0 && j < kRun) out[j] += static_cast<float>(h * profile[k]);
      }
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_AddProfilesReference)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

uint64_t Fnv(const void* data, size_t bytes, uint64_t hash = 1469598103934665603ull) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < bytes; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
  return hash;
}

// Checksums of the rendered run of a few configurations (--hashes), so that builds
// can be compared byte for byte: half profiles in single and double precision and
// the 16-bit template, widths shared by the set and every line's own, runs that
// start inside the lines and past them (lines cut at both ends).
void PrintHashes() {
  uint64_t all = 1469598103934665603ull;
  for (int16_t doubles : {int16_t{0}, int16_t{1}})
    for (int16_t profiles : {int16_t{1}, int16_t{0}})
      for (bool own : {false, true})
        for (int32_t first : {0, -3000, 7001}) {
          BigSet set(own ? 4000 : 30000);
          Sim.LS_Double = doubles;
          Sim.LN_STAT[0] = profiles;
          if (own) {
            Sim.IDVWIDTH_STAT[0] = 1;
            FAlloc1Dim(&Sim.FI_Gau_FWHM[0], Sim.FI_Lines[0]);
            FAlloc1Dim(&Sim.FI_Lor_FWHM[0], Sim.FI_Lines[0]);
            for (uint32_t i = 0; i < Sim.FI_Lines[0]; ++i) {
              Sim.FI_Gau_FWHM[0][i] = 0.3f + 0.0001f * static_cast<float>(i % 1000);
              Sim.FI_Lor_FWHM[0][i] = 0.1f + 0.0002f * static_cast<float>(i % 700);
            }
          }
          const int32_t result = SimFIPlot(nullptr, 0, 0, 3, first, kRun, 1, 9, 9);
          const uint64_t h = Fnv(Win.PM_DrawAry, kRun * sizeof(float));
          std::printf("double %d profiles %d own %d first %d: result %d hash %016llx\n", doubles, profiles, own, first,
                      result, static_cast<unsigned long long>(h));
          all = Fnv(&h, sizeof(h), all);
          if (own) {
            FFree1Dim(&Sim.FI_Gau_FWHM[0]);
            FFree1Dim(&Sim.FI_Lor_FWHM[0]);
            Sim.IDVWIDTH_STAT[0] = 0;
          }
          Sim.LN_STAT[0] = 1;
          Sim.LS_Double = 1;
        }
  std::printf("all: %016llx\n", static_cast<unsigned long long>(all));
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--hashes") == 0) {
      PrintHashes();
      return 0;
    }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
