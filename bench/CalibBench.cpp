// The AOM linearisation of a 2^22-point five-channel scan, beside a plain loop that
// reads the same files in the same blocks, looks every ramp voltage up in the same
// spline table, bins the accepted points per FSR segment and resamples each segment
// with the same spline routines. Both outputs are compared before timing.
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

#include "convert/calib/AomCalib.h"
#include "numerics/Spline.h"
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
    char pattern[] = "/tmp/qv95bench-XXXXXX";
    std::string made = mkdtemp(pattern) ? pattern : "/tmp";
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

// The reference: the same lookup, binning and resampling in one straight pass.
std::vector<float> Plain() {
  Settings();
  AomRFCalib(nullptr, nullptr, nullptr);
  const int32_t rows = AomSettings.RfRows;
  const double fsr = 100.0;
  const int32_t n = static_cast<int32_t>(fsr / AomSettings.OutResol + 0.5);
  const int32_t g = 4 * n;
  const double cut = AomSettings.MarkerCut;
  const int64_t win = AomSettings.JmpWin;
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
  for (int64_t pos = 0; pos < kPoints; pos += kBlock) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(kBlock, kPoints - pos));
    for (int r = 0; r < 5; ++r)
      if (::pread(fd[r], buf[r].data(), want * 4, pos * 4) != static_cast<ssize_t>(want * 4)) return {};
    for (size_t i = 0; i < want; ++i) {
      const int64_t at = pos + static_cast<int64_t>(i);
      float f = 0.0f;
      FSplint(AomSettings.RfVolt, AomSettings.RfFrq, AomSettings.RfV2f, rows, buf[0][i], &f);
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
  AomRFCalibFree();

  std::vector<float> x(static_cast<size_t>(g)), y(static_cast<size_t>(g)), seg(static_cast<size_t>(n));
  float carry = 0.0f;
  const size_t records = segSums.size() / static_cast<size_t>(g);
  for (size_t rec = 0; rec < records; ++rec) {
    const float* s = segSums.data() + rec * static_cast<size_t>(g);
    const int32_t* c = segCounts.data() + rec * static_cast<size_t>(g);
    for (int b = 0; b < g; ++b) {
      x[static_cast<size_t>(b)] = static_cast<float>(b * fsr / g);
      y[static_cast<size_t>(b)] = c[b] >= 1 ? s[b] / static_cast<float>(c[b]) : (b == 0 ? carry : y[static_cast<size_t>(b - 1)]);
    }
    carry = y[static_cast<size_t>(g - 1)];
    AomLinearizeItn(y.data(), x.data(), g, seg.data(), n, fsr / n, c, fsr / g);
    out.insert(out.end(), seg.begin(), seg.end());
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
BENCHMARK(BM_AomCalibrate)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PlainBinning(benchmark::State& state) {
  Folder();
  for (auto _ : state) benchmark::DoNotOptimize(Plain());
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 20);
}
BENCHMARK(BM_PlainBinning)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Reports the ratio of the medians.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.aggregate_name == "median") {
        medians_.push_back(r.GetAdjustedRealTime());
        cpuMedians_.push_back(r.GetAdjustedCPUTime());
      }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    // On a loaded machine the wall-clock ratio wanders; the CPU-time ratio is steadier.
    if (medians_.size() == 2 && medians_[1] > 0.0 && cpuMedians_[1] > 0.0)
      std::printf("AomCalibrate / plain loop (medians): %.2f wall clock, %.2f CPU time\n", medians_[0] / medians_[1],
                  cpuMedians_[0] / cpuMedians_[1]);
  }

 private:
  std::vector<double> medians_;
  std::vector<double> cpuMedians_;
};

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
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::filesystem::current_path("/tmp");
  std::error_code ignored;
  if (Folder() != "/tmp") std::filesystem::remove_all(Folder(), ignored);
  return 0;
}
