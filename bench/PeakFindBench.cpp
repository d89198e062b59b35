// Peak finding over a 32 MB ramp of 4,000 Gaussian peaks, beside a plain running-average
// pass over the same file that marks every local maximum above the same cutoff.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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
  // YES to the cutoff question, OK to the count.
  platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDYES; });
  for (auto _ : state)
    if (PeakFindHWHM(0) != 1) state.SkipWithError("PeakFindHWHM failed");
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 4);
}
BENCHMARK(BM_PeakFindHWHM)->Unit(benchmark::kMillisecond);

// Reference: the running average of the same length in blocks, a marker at every local
// maximum above the cutoff, written as text.
void BM_PlainRunningAverageMaxima(benchmark::State& state) {
  const std::string in = Folder() + "/AOMRampF";
  const std::string out = Folder() + "/plain.txt";
  const int p = Cnl.PtsAve;
  const float cutoff = 0.5f;
  std::vector<float> buf(static_cast<size_t>(p) + 65536);
  for (auto _ : state) {
    int fi = ::open(in.c_str(), O_RDONLY);
    std::FILE* fo = std::fopen(out.c_str(), "wb");
    std::fill(buf.begin(), buf.begin() + p, 0.0f);
    double sum = 0.0;
    float previous = -1e20f;
    bool rising = false;
    long long i = 0;
    for (;;) {
      ssize_t got = ::read(fi, buf.data() + p, 65536 * sizeof(float));
      if (got <= 0) break;
      const int n = static_cast<int>(got / static_cast<ssize_t>(sizeof(float)));
      for (int j = 0; j < n; ++j, ++i) {
        sum += static_cast<double>(buf[static_cast<size_t>(p + j)]) - buf[static_cast<size_t>(j)];
        const float a = static_cast<float>(sum / p);
        if (a > previous) {
          rising = true;
        } else if (rising && previous >= cutoff) {
          std::fprintf(fo, "%lld\r\n", i - p / 2 - 1);
          rising = false;
        }
        previous = a;
      }
      std::copy(buf.begin() + n, buf.begin() + n + p, buf.begin());
    }
    ::close(fi);
    std::fclose(fo);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 4);
}
BENCHMARK(BM_PlainRunningAverageMaxima)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The run's files go with it.
  for (const char* name : {"/AOMRampF", "/Mks", "/plain.txt"}) std::remove((Folder() + name).c_str());
  if (Folder() != "/tmp") ::rmdir(Folder().c_str());
  return 0;
}
