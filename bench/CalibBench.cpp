// The AOM linearisation of a 2^22-point five-channel scan, beside plain code doing the
// same work on its own: it reads the same files in the same blocks, builds the linear
// ramp table and its natural spline, looks every ramp voltage up in it (walking the
// knots from the voltage before), bins the
// accepted points per FSR segment and resamples each segment with a natural spline of
// its own (the textbook sweep in single precision). Both outputs are compared, bit
// for bit, before timing. Medians of interleaved repetitions and their ratio.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchMedians.h"
#include "convert/calib/AomCalib.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/AomSettings.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThzSettings.h"

namespace {

constexpr int kPoints = 1 << 22;
constexpr int kPerInterval = 4096;
constexpr int kBlock = AOM_BLOCK;

void Settings() {
  AomSettings = AomSettingsRecord{};
  AomSettings.RfLow = 0.0;
  AomSettings.RfHigh = 100.0;
  AomSettings.RfScalar = 1.0;
  AomSettings.VoltLow = 0.0f;
  AomSettings.VoltHigh = 10.0f;
  AomSettings.JmpWin = 2;
  const char* names[9] = {"", "Ramp", "Mrk", "", "Err0", "", "Err1", "Out", "Itn"};
  for (int c = 0; c < 9; ++c) StrCopy(Cnv.Out_Flnm[0][c], names[c]);
  Dsp.FSR = 100.0;
}

template <class T>
void Write(const std::string& name, const std::vector<T>& v) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return;
  std::fwrite(v.data(), sizeof(T), v.size(), f);
  std::fclose(f);
}

// The scan's folder, made once; the benchmark works in it.
const std::string& Folder() {
  static const std::string folder = [] {
    // TMPDIR chooses the folder: AomCalibrate spills its segments to a file there.
    const std::string base = std::filesystem::temp_directory_path().string();
    std::string pattern = base + "/qv95bench-XXXXXX";
    std::string made = mkdtemp(pattern.data()) ? pattern : base;
    std::filesystem::current_path(made);
    std::vector<float> ramp(kPoints), itn(kPoints), err(kPoints, 0.0f), mrk(kPoints, 1.0f);
    for (int i = 0; i < kPoints; ++i) {
      const double f = 100.0 * (i % kPerInterval) / kPerInterval;
      ramp[static_cast<size_t>(i)] = static_cast<float>(f / 10.0);
      itn[static_cast<size_t>(i)] = static_cast<float>(1.0 + 0.5 * std::sin(0.0628 * f) + 0.001 * (i % 7));
    }
    Write("Ramp", ramp);
    Write("Itn", itn);
    Write("Err0", err);
    Write("Err1", err);
    Write("Mrk", mrk);
    std::string mks;
    for (int k = 1; k <= kPoints / kPerInterval; ++k) mks += std::to_string(k * kPerInterval - 1) + "\n";
    std::FILE* f = std::fopen("Mks", "wb");
    if (f) {
      std::fputs(mks.c_str(), f);
      std::fclose(f);
    }
    return made;
  }();
  return folder;
}

bool RunAom() {
  Settings();
  return AomCalibrate(0, 0, kPoints, 0, 0, 0, 0) == 1;
}

// ---- the reference's own spline -----------------------------------------------------

// Second derivatives y2[1..n] of the natural cubic spline through (x[i], y[i]), 1-based,
// in single precision (u: work of n + 1 values).
void NaturalSpline(const float* x, const float* y, int32_t n, float* y2, float* u) {
  y2[1] = u[1] = 0.0f;
  for (int32_t i = 2; i <= n - 1; ++i) {
    const float sig = (x[i] - x[i - 1]) / (x[i + 1] - x[i - 1]);
    const float p = sig * y2[i - 1] + 2.0f;
    y2[i] = (sig - 1.0f) / p;
    u[i] = (y[i + 1] - y[i]) / (x[i + 1] - x[i]) - (y[i] - y[i - 1]) / (x[i] - x[i - 1]);
    u[i] = (6.0f * u[i] / (x[i + 1] - x[i - 1]) - sig * u[i - 1]) / p;
  }
  y2[n] = (0.0f - 0.0f * u[n - 1]) / (0.0f * y2[n - 1] + 1.0f);
  for (int32_t k = n - 1; k >= 1; --k) y2[k] = y2[k] * y2[k + 1] + u[k];
}

// Its value at t, the interval walked from the one of the call before (*lo, from 1):
// the knots rise strictly, so it is the interval halving would find.
float SplineValue(const float* x, const float* y, const float* y2, int32_t n, float t, int32_t* lo) {
  int32_t k = *lo;
  while (k > 1 && x[k] > t) --k;
  while (k < n - 1 && x[k + 1] <= t) ++k;
  *lo = k;
  const float h = x[k + 1] - x[k];
  const float a = (x[k + 1] - t) / h, b = (t - x[k]) / h;
  return a * y[k] + b * y[k + 1] + ((a * a * a - a) * y2[k] + (b * b * b - b) * y2[k + 1]) * (h * h) / 6.0f;
}

// The reference: the same lookup, binning and resampling in one straight pass.
std::vector<float> Plain() {
  Settings();
  const AomSettingsRecord& A = AomSettings;
  // The linear ramp of 100 rows (no calibration file) and its spline.
  const int32_t rows = 100;
  std::vector<float> volt(rows + 1), frq(rows + 1), v2f(rows + 1), work(rows + 1);
  for (int32_t i = 0; i < rows; ++i) {
    volt[i + 1] = A.VoltLow + static_cast<float>(i) * (A.VoltHigh - A.VoltLow) / 99.0f;
    const double step = i * (A.RfHigh - A.RfLow) / 99.0;
    frq[i + 1] = static_cast<float>(A.Rev == 1 ? (A.RfHigh - step) * A.RfScalar : (A.RfLow + step) * A.RfScalar);
  }
  NaturalSpline(volt.data(), frq.data(), rows, v2f.data(), work.data());
  const double fsr = 100.0;
  const int32_t n = static_cast<int32_t>(fsr / A.OutResol + 0.5);
  const int32_t g = 4 * n;
  const double cut = A.MarkerCut;
  const int64_t win = A.JmpWin;
  std::vector<int64_t> jumps;
  for (int k = 1; k <= kPoints / kPerInterval; ++k) jumps.push_back(int64_t{k} * kPerInterval - 1);
  jumps.push_back(kPoints + 1);

  const char* names[5] = {"Ramp", "Err0", "Err1", "Mrk", "Itn"};
  int fd[5];
  for (int r = 0; r < 5; ++r) fd[r] = ::open(names[r], O_RDONLY);
  std::vector<float> buf[5];
  for (auto& b : buf) b.resize(kBlock);
  std::vector<float> sums(3 * static_cast<size_t>(g), 0.0f);
  std::vector<int32_t> counts(3 * static_cast<size_t>(g), 0);
  std::vector<float> segSums, out;
  std::vector<int32_t> segCounts;
  auto keep = [&](int s) {
    segSums.insert(segSums.end(), sums.begin() + s * g, sums.begin() + (s + 1) * g);
    segCounts.insert(segCounts.end(), counts.begin() + s * g, counts.begin() + (s + 1) * g);
  };
  size_t k = 0;
  int32_t lo = 1;
  for (int64_t pos = 0; pos < kPoints; pos += kBlock) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(kBlock, kPoints - pos));
    for (int r = 0; r < 5; ++r)
      if (::pread(fd[r], buf[r].data(), want * 4, pos * 4) != static_cast<ssize_t>(want * 4)) return {};
    for (size_t i = 0; i < want; ++i) {
      const int64_t at = pos + static_cast<int64_t>(i);
      const float f = SplineValue(volt.data(), frq.data(), v2f.data(), rows, buf[0][i], &lo);
      const int64_t idx = static_cast<int64_t>(static_cast<long double>(f) / fsr * g + g);
      const bool reject = (k > 0 && at < jumps[k - 1] + win) || at > jumps[k] - win || std::fabs(buf[3][i]) <= cut;
      if (!reject && idx >= 0 && idx < 3 * g) {
        sums[static_cast<size_t>(idx)] += buf[4][i];
        counts[static_cast<size_t>(idx)] += 1;
      }
      if (at == jumps[k]) {
        ++k;
        if (at != 0) keep(0);
        std::copy(sums.begin() + g, sums.end(), sums.begin());
        std::copy(counts.begin() + g, counts.end(), counts.begin());
        std::fill(sums.begin() + 2 * g, sums.end(), 0.0f);
        std::fill(counts.begin() + 2 * g, counts.end(), 0);
      }
    }
  }
  for (int s = 0; s < 3; ++s) keep(s);
  for (int r = 0; r < 5; ++r) ::close(fd[r]);

  // Each segment's bin means (an empty bin takes the value before it) resampled onto
  // n points by its natural spline; the points of bins that are marked -1 stay 0.
  std::vector<float> x(static_cast<size_t>(g) + 1), y(static_cast<size_t>(g) + 1), y2(static_cast<size_t>(g) + 1),
      u(static_cast<size_t>(g) + 1);
  float carry = 0.0f;
  const size_t records = segSums.size() / static_cast<size_t>(g);
  const double s = fsr / n, w = fsr / g;
  for (size_t rec = 0; rec < records; ++rec) {
    const float* sum = segSums.data() + rec * static_cast<size_t>(g);
    const int32_t* c = segCounts.data() + rec * static_cast<size_t>(g);
    for (int b = 0; b < g; ++b) {
      x[static_cast<size_t>(b) + 1] = static_cast<float>(b * fsr / g);
      y[static_cast<size_t>(b) + 1] = c[b] >= 1 ? sum[b] / static_cast<float>(c[b]) : (b == 0 ? carry : y[static_cast<size_t>(b)]);
    }
    carry = y[static_cast<size_t>(g)];
    NaturalSpline(x.data(), y.data(), g, y2.data(), u.data());
    double at = 0.0;
    int64_t j = 0;
    int32_t knot = 1;
    for (int32_t i = 0; i < n; ++i) {
      while (static_cast<double>(j) * w < at) ++j;
      out.push_back(c[j] == -1 ? 0.0f : SplineValue(x.data(), y.data(), y2.data(), g, static_cast<float>(at), &knot));
      at += s;
    }
  }
  Write("Plain", out);
  return out;
}

void BM_AomCalibrate(benchmark::State& state) {
  Folder();
  for (auto _ : state)
    if (!RunAom()) state.SkipWithError("AomCalibrate failed");
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 20);
}
void BM_PlainBinning(benchmark::State& state) {
  Folder();
  for (auto _ : state) benchmark::DoNotOptimize(Plain());
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 20);
}

}  // namespace

int main(int argc, char** argv) {
  // Boxes are answered quietly: the linear calibration's notice comes every run.
  platform::SetBoxAnswerer([](const platform::BoxRequest& box) { return platform::NonDestructiveAnswer(box.style); });
  Folder();
  // The two roads give the same output.
  const std::vector<float> plain = Plain();
  if (!RunAom()) return 1;
  std::vector<float> aom(plain.size() + 1);
  std::FILE* f = std::fopen("Out", "rb");
  const size_t got = f ? std::fread(aom.data(), sizeof(float), aom.size(), f) : 0;
  if (f) std::fclose(f);
  if (got != plain.size() || !std::equal(plain.begin(), plain.end(), aom.begin())) {
    std::fprintf(stderr, "outputs differ: %zu and %zu values\n", got, plain.size());
    return 1;
  }
  for (auto* b : {benchmark::RegisterBenchmark("BM_AomCalibrate", BM_AomCalibrate),
                  benchmark::RegisterBenchmark("BM_PlainBinning", BM_PlainBinning)})
    b->Unit(benchmark::kMillisecond)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true);
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;
  std::printf("the same output bit for bit: yes (checked before timing)\n");
  // On a loaded machine the wall-clock ratio wanders; the CPU-time ratio is steadier.
  reporter.PrintRatio("AomCalibrate / plain code, CPU time", "BM_AomCalibrate", "BM_PlainBinning", true, 1.2);
  reporter.PrintRatio("AomCalibrate / plain code, real time", "BM_AomCalibrate", "BM_PlainBinning", false, 1.2);
  std::filesystem::current_path("/tmp");
  std::error_code ignored;
  if (Folder() != "/tmp") std::filesystem::remove_all(Folder(), ignored);
  return 0;
}
