// The Allan variance of a series and added uniform noise.
//
// The block means of every averaging size come from one prefix sum of the series:
// with s[k] the sum of the first k values, the mean of block i of size tau is
// (s[(i+1) tau] - s[i tau]) / tau, so one size costs n / tau steps and the whole
// sweep about n ln(n/2). The mean is removed first and both sums are compensated, so
// the prefix sums stay small and exact to their last bit even for values like a
// 10 MHz frequency read to a millihertz, whose plain running sum would drown the
// differences that the statistic measures.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <latch>
#include <random>
#include <system_error>
#include <thread>
#include <vector>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fileproc/NoiseStats.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Debug.h"

namespace {

// Neumaier's compensated sum.
struct CompensatedSum {
  double sum = 0.0;
  double carry = 0.0;
  void Add(double v) {
    const double t = sum + v;
    carry += std::fabs(sum) >= std::fabs(v) ? (sum - t) + v : (v - t) + sum;
    sum = t;
  }
  double Value() const { return sum + carry; }
};

// AVAR(tau) from the prefix sums s[0..n]; m = n / tau >= 2.
double AvarOf(const double* s, uint32_t n, uint32_t tau) {
  const uint32_t m = n / tau;
  double acc = 0.0;
  const double* p = s;
  for (uint32_t i = 0; i + 1 < m; ++i, p += tau) {
    // (mean of block i+1) - (mean of block i), times tau.
    const double d = (p[2 * static_cast<size_t>(tau)] - p[tau]) - (p[tau] - p[0]);
    acc += d * d;
  }
  const double t = static_cast<double>(tau);
  return acc / (t * t) / (2.0 * static_cast<double>(m - 1));
}

// The averaging sizes are handed out in small batches from one counter, so that the
// threads share the cheap large sizes and the dear small ones evenly.
constexpr uint32_t kBatch = 16;
// Below this much work (values times sizes, roughly) one thread does it all.
constexpr double kThreadWork = 4.0e6;

struct Sweep {
  const double* s;
  float* f;   // where each size's value goes (either may be null)
  double* d;
  bool deviation;  // the square root of the variance
  uint32_t n;
  uint32_t half;
  std::atomic<uint32_t> next{1};

  // Runs batches until none is left; after each batch calls tick(last tau done).
  template <class Tick>
  void Work(Tick tick) {
    for (;;) {
      const uint32_t first = next.fetch_add(kBatch, std::memory_order_relaxed);
      if (first > half) return;
      const uint32_t last = std::min(half, first + kBatch - 1);
      for (uint32_t tau = first; tau <= last; ++tau) {
        double value = AvarOf(s, n, tau);
        if (deviation) value = std::sqrt(value);
        if (f) f[tau - 1] = static_cast<float>(value);
        if (d) d[tau - 1] = value;
      }
      tick(last);
    }
  }
};

}  // namespace

int32_t AllanVarDev(float* fIn, float* fOut, double* dIn, double* dOut, uint32_t n, int16_t deviation,
                    int16_t progress) {
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "AllanVarDev()", DEBUG_ENTER);
  const uint32_t half = n / 2;
  double* prefix = nullptr;
  if (QvAllocFailed(DAlloc1Dim(&prefix, n + 1))) {
    core_io::Error("AllanVarDev()\n\ntmpI_dpt/tmpA_dpt/tmpB_dpt - CORE ALLOCATION ERROR");
    if (Debug.DebugTraceFlag == 1) DebugTrace(1, "AllanVarDev()", DEBUG_EXIT);
    return 0;
  }
  auto value = [&](uint32_t i) { return dIn ? dIn[i] : (fIn ? static_cast<double>(fIn[i]) : 0.0); };

  if (half >= 1) {
    // Each size's value goes straight to the output (the input, unless an output is
    // given), which no longer needs the values once the prefix sums are made.
    Sweep sweep{prefix, fOut ? fOut : fIn, dOut ? dOut : dIn, deviation == 1, n, half};
    const double work = static_cast<double>(n) * std::log(static_cast<double>(half) + 1.0);
    unsigned helpers = 0;
    if (work >= kThreadWork) {
      const unsigned cores = static_cast<unsigned>(platform::CoresAllowed());
      helpers = std::min(cores - 1, std::max(1u, half / kBatch) - 1);
    }
    // The helpers start at once and bring the pages of the prefix sums in (their
    // first writes) while the calling thread takes the mean; they sweep once the
    // prefix sums are made.
    std::latch pagesIn(static_cast<std::ptrdiff_t>(helpers) + 1);
    std::latch made(1);
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (unsigned k = 0; k < helpers; ++k) {
      const size_t from = static_cast<size_t>(n + 1) * k / helpers, to = static_cast<size_t>(n + 1) * (k + 1) / helpers;
      try {
        threads.emplace_back([&sweep, &pagesIn, &made, prefix, from, to] {
          for (size_t i = from; i < to; i += 512) prefix[i] = 0.0;  // one write a page; the value stays 0
          pagesIn.count_down();
          made.wait();
          sweep.Work([](uint32_t) {});
        });
      } catch (const std::system_error&) {
        pagesIn.count_down();  // its share is swept by the others
      }
    }

    CompensatedSum total;
    for (uint32_t i = 0; i < n; ++i) total.Add(value(i));
    const double mean = total.Value() / static_cast<double>(n);
    pagesIn.arrive_and_wait();
    CompensatedSum run;
    prefix[0] = 0.0;
    for (uint32_t i = 0; i < n; ++i) {
      run.Add(value(i) - mean);
      prefix[i + 1] = run.Value();
    }
    made.count_down();

    const char* kind = deviation == 1 ? "DEV" : "VAR";
    auto lastShown = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    // Progress from the calling thread only: the text of the latest tenth size done,
    // at most one every 50 ms.
    auto tick = [&](uint32_t last) {
      if (progress != 1 || last < 10) return;
      const auto now = std::chrono::steady_clock::now();
      if (now - lastShown < std::chrono::milliseconds(50)) return;
      lastShown = now;
      core_io::StatusText(0, StrPrintf("ALLAN [%s]=[%u] OF [%u]", kind, last - last % 10, half));
    };
    sweep.Work(tick);
    for (std::thread& t : threads) t.join();
  }
  DFree1Dim(&prefix);
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "AllanVarDev()", DEBUG_EXIT);
  return 1;
}

int32_t ManAddRandomNoise(float* f, double* d, uint32_t n, int32_t pts2ave, int16_t report) {
  const int32_t levels = pts2ave < 1 ? 1 : pts2ave;
  if (report == 1 && levels == 1)
    core_io::Info(StrPrintf("RANDOM NOISE HAS NO PRECISION\n\nALL VALUES=[%d]\n\nINCREASE PTS2AVE VALUE", 0));
  std::mt19937 draw(static_cast<uint32_t>(std::time(nullptr)));
  const double p = static_cast<double>(levels);
  auto noise = [&] {
    const uint32_t r = (draw() >> 1) % static_cast<uint32_t>(levels);  // a draw of 0 .. 2^31-1
    return ((static_cast<double>(r) + 0.5) * 2.0 - p) / p;
  };
  if (f)
    for (uint32_t i = 0; i < n; ++i) f[i] = static_cast<float>(f[i] + noise());
  if (d)
    for (uint32_t i = 0; i < n; ++i) d[i] += noise();
  if (report == 1)
    core_io::Info(StrPrintf("RANDOM NOISE FROM [-1.0 TO 1.0] ADDED TO FILE WITH PRECISION=[%le]", 1.0 / p));
  return 1;
}
