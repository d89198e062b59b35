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
#include <random>
#include <thread>
#include <vector>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fileproc/NoiseStats.h"
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
  double* out;  // out[tau - 1]
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
      for (uint32_t tau = first; tau <= last; ++tau) out[tau - 1] = AvarOf(s, n, tau);
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
  double* result = nullptr;
  if (QvAllocFailed(DAlloc1Dim(&prefix, n + 1)) || QvAllocFailed(DAlloc1Dim(&result, half + 1))) {
    DFree1Dim(&prefix);
    DFree1Dim(&result);
    core_io::Error("AllanVarDev()\n\ntmpI_dpt/tmpA_dpt/tmpB_dpt - CORE ALLOCATION ERROR");
    if (Debug.DebugTraceFlag == 1) DebugTrace(1, "AllanVarDev()", DEBUG_EXIT);
    return 0;
  }
  auto value = [&](uint32_t i) { return dIn ? dIn[i] : (fIn ? static_cast<double>(fIn[i]) : 0.0); };

  if (half >= 1) {
    CompensatedSum total;
    for (uint32_t i = 0; i < n; ++i) total.Add(value(i));
    const double mean = total.Value() / static_cast<double>(n);
    CompensatedSum run;
    prefix[0] = 0.0;
    for (uint32_t i = 0; i < n; ++i) {
      run.Add(value(i) - mean);
      prefix[i + 1] = run.Value();
    }

    Sweep sweep{prefix, result, n, half};
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
    const double work = static_cast<double>(n) * std::log(static_cast<double>(half) + 1.0);
    unsigned helpers = 0;
    if (work >= kThreadWork) {
      const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
      helpers = std::min(cores - 1, std::max(1u, half / kBatch) - 1);
    }
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (unsigned k = 0; k < helpers; ++k) threads.emplace_back([&sweep] { sweep.Work([](uint32_t) {}); });
    sweep.Work(tick);
    for (std::thread& t : threads) t.join();
  }

  if (deviation == 1)
    for (uint32_t i = 0; i < half; ++i) result[i] = std::sqrt(result[i]);
  float* fTarget = fOut ? fOut : fIn;
  double* dTarget = dOut ? dOut : dIn;
  for (uint32_t i = 0; i < half; ++i) {
    if (fTarget) fTarget[i] = static_cast<float>(result[i]);
    if (dTarget) dTarget[i] = result[i];
  }
  DFree1Dim(&prefix);
  DFree1Dim(&result);
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
