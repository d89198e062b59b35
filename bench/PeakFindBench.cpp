// Peak finding over a 32 MB ramp of 4,000 Gaussian peaks, beside plain code doing the
// same work at its best: the first pass for the running average's range and the
// cutoff, then the second for the peaks, each peak's right minimum found as the
// averages come, its left minimum from the window before it read back, the half
// height between the two and the centre of the peak at it, written as text (the
// same marker file, checked). The settings are the defaults: averages of 8, the
// cutoff floating above the minima. Medians of interleaved repetitions and their
// ratio.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/BenchMedians.h"
#include "convert/calib/PeakFind.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnl.h"

namespace {

constexpr int kPoints = 8 * 1024 * 1024;
constexpr int kSpacing = 2048;

// A folder with the ramp file, made once for the whole run.
const std::string& Folder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/qv95peaks-XXXXXX";
    std::string made = mkdtemp(pattern) ? pattern : "/tmp";
    std::vector<float> values(kPoints);
    for (int i = 0; i < kPoints; ++i) {
      const double d = (i % kSpacing - kSpacing / 2) / 6.0;
      values[static_cast<size_t>(i)] = static_cast<float>(0.1 + 1e-8 * i + std::exp(-0.5 * d * d));
    }
    std::FILE* f = std::fopen((made + "/AOMRampF").c_str(), "wb");
    if (f) {
      std::fwrite(values.data(), sizeof(float), values.size(), f);
      std::fclose(f);
    }
    return made;
  }();
  return folder;
}

void BM_PeakFindHWHM(benchmark::State& state) {
  StrCopy(Cnl.RampFlnm, (Folder() + "/AOMRampF").c_str());
  StrCopy(Cnl.Mks_Flnm, (Folder() + "/Mks").c_str());
  for (auto _ : state)
    if (PeakFindHWHM(0) != 1) state.SkipWithError("PeakFindHWHM failed");
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 4);
}

// The minimum rule either side of a peak: the first average below the cutoff, once
// the averages stop falling.
struct Minimum {
  int32_t first = -1;
  float last = 1e20f;
  bool Step(float a, int32_t k, float cutoff) {
    if (a >= cutoff) return false;
    if (first < 0) first = k;
    if (last <= a) return true;
    last = a;
    return false;
  }
};

// The plain search, its buffers kept.
struct PlainPeaks {
  int p = Cnl.PtsAve;
  double k = Cnl.CutScalar;
  std::vector<float> block = std::vector<float>(static_cast<size_t>(p) + 65536);
  std::vector<float> left, rt = std::vector<float>(PEAK_AVE_SPACE), lf = std::vector<float>(PEAK_AVE_SPACE);

  void Run(const std::string& in, const std::string& out) {
    const int fd = ::open(in.c_str(), O_RDONLY);
    std::FILE* marks = std::fopen(out.c_str(), "wb");
    // Pass one: the range of the running averages (from the p-th on) and the cutoff.
    float low = 1e20f, high = -1e20f;
    double sum = 0.0;
    int64_t count = 0;
    std::fill(block.begin(), block.begin() + p, 0.0f);
    for (int64_t at = 0;;) {
      const ssize_t got = ::pread(fd, block.data() + p, 65536 * sizeof(float), at * 4);
      const int n = got > 0 ? static_cast<int>(got / 4) : 0;
      if (n == 0) break;
      for (int j = 0; j < n; ++j, ++count) {
        sum += static_cast<double>(block[static_cast<size_t>(p + j)]) - block[static_cast<size_t>(j)];
        const float a = static_cast<float>(sum / p);
        if (count > p - 1) low = std::min(low, a), high = std::max(high, a);
        else if (count == p - 1) low = high = a;
      }
      std::copy(block.begin() + n, block.begin() + n + p, block.begin());
      at += n;
    }
    float min = low, minRt = low, minLf = low;
    float cutoff = static_cast<float>(low + k);
    // Pass two: the peaks.
    sum = 0.0;
    std::fill(block.begin(), block.begin() + p, 0.0f);
    int64_t x = -(p / 2), peak = -1;
    float runMax = -1e20f;
    int32_t rtMin = -1, rtCount = 0;
    double leftSum = 0.0;
    Minimum rtRule;
    bool inPeak = false;
    for (int64_t at = 0;;) {
      const ssize_t got = ::pread(fd, block.data() + p, 65536 * sizeof(float), at * 4);
      const int n = got > 0 ? static_cast<int>(got / 4) : 0;
      if (n == 0) break;
      for (int j = 0; j < n; ++j, ++x) {
        const double before = sum;
        sum += static_cast<double>(block[static_cast<size_t>(p + j)]) - block[static_cast<size_t>(j)];
        const float a = static_cast<float>(sum / p);
        if (x < p / 2 - 1 || (a < cutoff && !inPeak)) continue;
        inPeak = true;
        if (peak < 0) {  // rising to the peak
          if (a > runMax) {
            runMax = a;
            continue;
          }
          peak = x - 1;
          rt[0] = runMax;
          rt[1] = a;
          rtCount = 1;
          leftSum = before;
          cutoff = static_cast<float>(min + k);
          runMax = -1e20f;
        } else if (rtMin < 0) {  // falling to the right minimum
          if (rt[0] <= a) {
            peak = -1;
            rtRule = Minimum{};
            runMax = a;
            continue;
          }
          rt[static_cast<size_t>(++rtCount)] = a;
          if (rtRule.Step(a, rtCount, cutoff)) {
            rtMin = rtRule.first;
            minRt = a;
            min = (a + minLf) * 0.5f;
            cutoff = static_cast<float>(min + k);
          }
        } else {  // the left minimum from the window read back, the half height, the centre
          const int64_t end = p / 2 + peak;
          int64_t size = std::min<int64_t>(5 * static_cast<int64_t>(rtMin) + p, p + int64_t{PEAK_AVE_SPACE} - 1);
          int64_t from = end - size + 1;
          if (from < 0) from = 0, size = end + 1;
          left.assign(static_cast<size_t>(size), 0.0f);
          (void)::pread(fd, left.data(), static_cast<size_t>(size) * 4, from * 4);
          lf[0] = rt[0];
          int32_t lfCount = 0, lfMin = -1;
          Minimum lfRule;
          for (int64_t q = size - p - 1; q >= 0 && lfCount + 1 <= PEAK_AVE_SPACE - 1; --q) {
            leftSum += static_cast<double>(left[static_cast<size_t>(q)]) - left[static_cast<size_t>(q + p)];
            const float la = static_cast<float>(leftSum / p);
            lf[static_cast<size_t>(++lfCount)] = la;
            if (lfRule.Step(la, lfCount, cutoff)) {
              lfMin = lfRule.first;
              minLf = la;
              min = (minRt + minLf) * 0.5f;
              cutoff = static_cast<float>(min + k);
              break;
            }
          }
          if (lfMin < 0) lfMin = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(size - p, lfCount)));
          const int32_t r = rtMin, l = lfMin;
          const double slope = l + r == 0 ? 0.0 : (static_cast<double>(rt[static_cast<size_t>(r)]) - lf[static_cast<size_t>(l)]) / (l + r);
          const double base = l * slope + lf[static_cast<size_t>(l)];
          const double half = base + (lf[0] - base) * 0.5;
          int32_t hl = -1, hr = -1;
          for (int32_t q = 1; (q < r || q < l) && (hl < 0 || hr < 0); ++q) {
            if (hl < 0 && q <= lfCount && lf[static_cast<size_t>(q)] < half) hl = q;
            if (hr < 0 && q <= rtCount && rt[static_cast<size_t>(q)] < half) hr = q;
          }
          if (hl < 0 || hr < 0) hl = hr = 0;
          if (hl > 0 || hr > 0) peak += (hr - hl + 1) / 2;
          std::fprintf(marks, "%lld\r\n", static_cast<long long>(peak));
          peak = -1;
          rtMin = -1;
          rtCount = 0;
          rtRule = Minimum{};
          inPeak = false;
        }
      }
      std::copy(block.begin() + n, block.begin() + n + p, block.begin());
      at += n;
    }
    ::close(fd);
    std::fclose(marks);
  }
};

void BM_PlainPeakSearchReference(benchmark::State& state) {
  PlainPeaks plain;
  for (auto _ : state) plain.Run(Folder() + "/AOMRampF", Folder() + "/plain.txt");
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 4);
}

std::string Contents(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  // YES to the cutoff question, OK to the count.
  platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDYES; });
  for (auto* b : {benchmark::RegisterBenchmark("BM_PeakFindHWHM", BM_PeakFindHWHM),
                  benchmark::RegisterBenchmark("BM_PlainPeakSearchReference", BM_PlainPeakSearchReference)})
    b->Unit(benchmark::kMillisecond)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true);
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;
  const std::string ours = Contents(Folder() + "/Mks"), plain = Contents(Folder() + "/plain.txt");
  std::printf("the same marker file: %s (%zu bytes)\n", !ours.empty() && ours == plain ? "yes" : "NO", ours.size());
  reporter.PrintRatio("PeakFindHWHM / plain peak search", "BM_PeakFindHWHM", "BM_PlainPeakSearchReference", true, 1.2);
  // The run's files go with it.
  for (const char* name : {"/AOMRampF", "/Mks", "/plain.txt"}) std::remove((Folder() + name).c_str());
  if (Folder() != "/tmp") ::rmdir(Folder().c_str());
  return 0;
}
