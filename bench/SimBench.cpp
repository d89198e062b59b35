// The complex error function beside libcerf's w_of_z on the same points, and the
// rendering of a 100,000-line set: with widths shared by the set beside a plain loop
// that adds the set's precomputed profile, cut to the run once a line (the same run
// bit for bit, checked), and with every line's own widths beside a plain loop that
// works out each line's profile point by point with libcerf's voigt (the same run to
// the precision of the two w(z), checked). Medians of interleaved repetitions, their
// ratios and the bars.
//
//   bench_sim [--hashes] [benchmark options]
//
// --hashes prints checksums of the rendered run of a few configurations, for
// byte-for-byte comparisons of builds.
#include <benchmark/benchmark.h>
#include <cerf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchMedians.h"
#include "core/TypedArrays.h"
#include "platform/gdi/Gdi.h"
#include "records/Dsp.h"
#include "records/Locks.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "lineshape/LineShape.h"
#include "sim/SimPlot.h"
#include "lineshape/Voigt.h"


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

// The same set with every line's own Voigt widths: each line builds its own profile,
// sampled around its true centre.
void OwnWidths(BigSet&) {
  Sim.IDVWIDTH_STAT[0] = 1;
  FAlloc1Dim(&Sim.FI_Gau_FWHM[0], kLines);
  FAlloc1Dim(&Sim.FI_Lor_FWHM[0], kLines);
  for (int i = 0; i < kLines; ++i) {
    Sim.FI_Gau_FWHM[0][i] = 0.5f;
    Sim.FI_Lor_FWHM[0][i] = 0.2f;
  }
}
void OwnWidthsEnd() {
  FFree1Dim(&Sim.FI_Gau_FWHM[0]);
  FFree1Dim(&Sim.FI_Lor_FWHM[0]);
  Sim.IDVWIDTH_STAT[0] = 0;
}

void BM_SimFIPlot100kLinesOwnWidths(benchmark::State& state) {
  BigSet set;
  OwnWidths(set);
  for (auto _ : state) benchmark::DoNotOptimize(SimFIPlot(nullptr, 0, 0, 3, 0, kRun, 1, 9, 9));
  OwnWidthsEnd();
  state.SetItemsProcessed(state.iterations() * kLines);
}

// The runs the references leave, for the checks.
std::vector<float> ours[2];

// Where the renderer puts a line of frequency f in the run, and the frequency of run
// point x (view 3, the run from point 0).
int32_t CentreOf(double f) {
  const double x = (f - Dsp.Init_Frq) / Dsp.FrqStpView[3] - 0.0 / Dsp.Pts2Pxl[3];
  return static_cast<int32_t>(x >= 0.0 ? x + 0.5 : x - 0.5);
}
double FreqOf(int32_t x) { return Dsp.Init_Frq + (x + 0.0 / Dsp.Pts2Pxl[3]) * Dsp.FrqStpView[3]; }

// The lines as the references take them: centre, height, and the line's frequency
// above its centre point's.
struct Line {
  int32_t centre;
  double height, shift;
};
Line LineOf(int i) {
  const double f = Sim.FI_Sim_Erg[0][i] * Sim.Frq_Scale[0] + Sim.Frq_Shift[0] + Sim.Frq_Offset[0];
  const int32_t centre = CentreOf(f);
  return Line{centre, static_cast<double>(Sim.FI_Sim_Itn[0][i]) * Sim.Dsp_Scalar[0] * 1.0, f - FreqOf(centre)};
}

// out[x] += f x v[x] for x < n, each product rounded to a float (vectorised, AVX2
// where the processor has it).
__attribute__((target_clones("avx2", "default"))) void AddScaledReference(float* out, const double* v, int64_t n,
                                                                        double f) {
  for (int64_t x = 0; x < n; ++x) out[x] += static_cast<float>(f * v[x]);
}

// Adds h x profile (2n - 1 points, its middle at centre) into the run, cut to it once.
void AddCut(std::vector<float>& out, const std::vector<double>& profile, int32_t n, int32_t centre, double h) {
  const int64_t left = static_cast<int64_t>(centre) - (n - 1);
  const int64_t from = std::max<int64_t>(0, left), to = std::min<int64_t>(kRun, left + 2 * n - 1);
  if (to > from) AddScaledReference(out.data() + from, profile.data() + (from - left), to - from, h);
}

// Reference, widths shared by the set: each line's centre and height, and the set's
// profile (2n - 1 points, taken from the render before the timing) added there, cut
// to the run once a line.
void BM_AddProfilesReference(benchmark::State& state) {
  BigSet set;
  SimFIPlot(nullptr, 0, 0, 3, 0, kRun, 1, 9, 9);  // the set's profile
  const int32_t n = Sim.LS_Pts[0][3];
  std::vector<double> profile(2 * static_cast<size_t>(n) - 1);
  for (int32_t k = 0; k < n; ++k) {
    profile[static_cast<size_t>(n - 1 - k)] = Sim.LS_Lo_DAry[0][3][k];
    profile[static_cast<size_t>(n - 1 + k)] = k == 0 ? Sim.LS_Lo_DAry[0][3][0] : Sim.LS_Hi_DAry[0][3][k];
  }
  std::vector<float> out(kRun);
  for (auto _ : state) {
    std::fill(out.begin(), out.end(), 0.0f);
    for (int i = 0; i < kLines; ++i) {
      const Line line = LineOf(i);
      AddCut(out, profile, n, line.centre, line.height);
    }
    benchmark::DoNotOptimize(out.data());
  }
  ours[0] = out;
  state.SetItemsProcessed(state.iterations() * kLines);
}

// Reference, every line's own widths: each line's profile worked out point by point
// with libcerf's voigt around the line's true frequency, then added as above.
void BM_OwnWidthsLibcerfReference(benchmark::State& state) {
  BigSet set;
  OwnWidths(set);
  SimFIPlot(nullptr, 0, 0, 3, 0, kRun, 1, 9, 9);  // the profile length of these widths
  const int32_t n = Sim.LS_Pts[0][3];
  OwnWidthsEnd();
  const std::vector<double> gaus(kLines, 0.5), lors(kLines, 0.2);  // the lines' own widths
  const double step = Dsp.FrqStpView[3];
  std::vector<double> profile(2 * static_cast<size_t>(n) - 1);
  std::vector<float> out(kRun);
  for (auto _ : state) {
    std::fill(out.begin(), out.end(), 0.0f);
    for (int i = 0; i < kLines; ++i) {
      const Line line = LineOf(i);
      const double sigma = gaus[i] / (2.0 * std::sqrt(2.0 * std::log(2.0))), gamma = lors[i] / 2.0;
      for (int32_t k = -(n - 1); k <= n - 1; ++k)
        profile[static_cast<size_t>(k + n - 1)] = voigt(k * step - line.shift, sigma, gamma);
      AddCut(out, profile, n, line.centre, line.height);
    }
    benchmark::DoNotOptimize(out.data());
  }
  ours[1] = out;
  state.SetItemsProcessed(state.iterations() * kLines);
}

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
  for (auto* b : {benchmark::RegisterBenchmark("BM_VoigtGrid", BM_VoigtGrid),
                  benchmark::RegisterBenchmark("BM_VoigtGridLibcerf", BM_VoigtGridLibcerf),
                  benchmark::RegisterBenchmark("BM_VoigtGridMany", BM_VoigtGridMany),
                  benchmark::RegisterBenchmark("BM_VoigtProfilePoints", BM_VoigtProfilePoints),
                  benchmark::RegisterBenchmark("BM_VoigtProfilePointsLibcerf", BM_VoigtProfilePointsLibcerf),
                  benchmark::RegisterBenchmark("BM_VoigtProfilePointsMany", BM_VoigtProfilePointsMany),
                  benchmark::RegisterBenchmark("BM_SimFIPlot100kLinesComputeOnly", BM_SimFIPlot100kLinesComputeOnly),
                  benchmark::RegisterBenchmark("BM_SimFIPlot100kLinesDrawingNoLabels",
                                               BM_SimFIPlot100kLinesDrawingNoLabels),
                  benchmark::RegisterBenchmark("BM_AddProfilesReference", BM_AddProfilesReference)})
    b->Unit(benchmark::kMillisecond)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true);
  for (auto* b : {benchmark::RegisterBenchmark("BM_SimFIPlot100kLinesOwnWidths", BM_SimFIPlot100kLinesOwnWidths),
                  benchmark::RegisterBenchmark("BM_OwnWidthsLibcerfReference", BM_OwnWidthsLibcerfReference)})
    b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true);
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;

  // The runs the renderer leaves, against the references'.
  std::string same = "not run";
  double largest = -1.0;
  {
    BigSet set;
    SimFIPlot(nullptr, 0, 0, 3, 0, kRun, 1, 9, 9);
    if (!ours[0].empty())
      same = std::memcmp(ours[0].data(), Win.PM_DrawAry, kRun * sizeof(float)) == 0 ? "yes" : "NO";
    OwnWidths(set);
    SimFIPlot(nullptr, 0, 0, 3, 0, kRun, 1, 9, 9);
    OwnWidthsEnd();
    if (!ours[1].empty()) {
      float top = 0.0f;
      for (float v : ours[1]) top = std::max(top, std::fabs(v));
      largest = 0.0;
      for (int x = 0; x < kRun; ++x)
        largest = std::max(largest, static_cast<double>(std::fabs(ours[1][static_cast<size_t>(x)] - Win.PM_DrawAry[x])) / top);
    }
  }
  std::printf("shared widths, the same run as the reference bit for bit: %s\n", same.c_str());
  if (largest >= 0.0)
    std::printf("own widths, largest difference to the libcerf reference: %.3g of the peak (bar 1e-6: %s)\n", largest,
                largest <= 1e-6 ? "kept" : "MISSED");
  // One point a call is the fit's entry (no bar); the renderer takes many at a time.
  reporter.PrintRatio("w(z) on the grid / libcerf", "BM_VoigtGrid", "BM_VoigtGridLibcerf", true, 0);
  reporter.PrintRatio("w(z) many on the grid / libcerf", "BM_VoigtGridMany", "BM_VoigtGridLibcerf", true, 1.0);
  reporter.PrintRatio("w(z) on profile points / libcerf", "BM_VoigtProfilePoints", "BM_VoigtProfilePointsLibcerf", true,
                      0);
  reporter.PrintRatio("w(z) many on profile points / libcerf", "BM_VoigtProfilePointsMany",
                      "BM_VoigtProfilePointsLibcerf", true, 1.0);
  reporter.PrintRatio("100,000 lines, shared widths / reference", "BM_SimFIPlot100kLinesComputeOnly",
                      "BM_AddProfilesReference", true, 1.2);
  reporter.PrintRatio("100,000 lines, own widths / libcerf reference", "BM_SimFIPlot100kLinesOwnWidths",
                      "BM_OwnWidthsLibcerfReference", true, 1.0);
  return 0;
}
