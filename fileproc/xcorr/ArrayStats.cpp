#include "fileproc/xcorr/ArrayStats.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "core/FileIo.h"

namespace {

struct Stats {
  double min = 0.0;
  double max = 0.0;
  double mean = 0.0;
  double rms = 0.0;
};

// Two passes over v[lo..hi]: extremes and mean, then the scatter about the mean.
template <typename T>
Stats RangeStats(const T* v, int64_t lo, int64_t hi, T startMin, T startMax, bool wantRms) {
  T lowest = startMin;
  T highest = startMax;
  double sum = 0.0;
  for (int64_t i = lo; i <= hi; ++i) {
    const T x = v[i];
    if (x < lowest) lowest = x;
    if (x > highest) highest = x;
    sum += static_cast<double>(x);
  }
  const int64_t count = hi - lo + 1;
  Stats s;
  s.min = static_cast<double>(lowest);
  s.max = static_cast<double>(highest);
  s.mean = sum / static_cast<double>(count);
  if (wantRms && count >= 2) {
    double squares = 0.0;
    for (int64_t i = lo; i <= hi; ++i) {
      const double d = static_cast<double>(v[i]) - s.mean;
      squares += d * d;
    }
    s.rms = std::sqrt(squares / static_cast<double>(count - 1));
  }
  return s;
}

void Store(const Stats& s, double* outMin, double* outMax, double* outMean, double* outRms) {
  *outMin = s.min;
  *outMax = s.max;
  if (outMean) *outMean = s.mean;
  if (outRms) *outRms = s.rms;
}

}  // namespace

int32_t ManFindMinMaxDiffAveRMS1DAry(const int32_t* la, const float* fa, const double* da, uint32_t n, int32_t lo,
                                     int32_t hi, double* outMin, double* outMax, double* outMean, double* outRms) {
  if (n == 0 || !outMin || !outMax) return 0;
  int64_t first = lo;
  int64_t last = hi;
  if ((lo == 0 && hi == 0) || hi < lo || lo < 0 || static_cast<int64_t>(hi) > static_cast<int64_t>(n) - 1) {
    first = 0;
    last = static_cast<int64_t>(n) - 1;
  }
  const bool wantRms = outRms != nullptr;
  if (la) Store(RangeStats<int32_t>(la, first, last, 2147483647, -2147483647, wantRms), outMin, outMax, outMean, outRms);
  if (fa) Store(RangeStats<float>(fa, first, last, 1e20f, -1e20f, wantRms), outMin, outMax, outMean, outRms);
  if (da) Store(RangeStats<double>(da, first, last, 1e80, -1e80, wantRms), outMin, outMax, outMean, outRms);
  return 1;
}

int32_t ManFindMinMaxDiffAveRMS2DAry(const int32_t* longA, const int32_t* longB, const float* floatA,
                                     const float* floatB, const double* doubleA, const double* doubleB, uint32_t n,
                                     double* outMin, double* outMax, double* outMean, double* outRms) {
  if (n == 0 || !outMin || !outMax) return 0;
  const int64_t last = static_cast<int64_t>(n) - 1;
  const bool wantRms = outRms != nullptr;
  // Each difference array lives for its own pair only.
  auto pair = [&](auto a, auto b, auto startMin, auto startMax, const char* name) -> bool {
    using D = decltype(startMin);
    std::vector<D> dif;
    try {
      dif.resize(n);
    } catch (const std::bad_alloc&) {
      core_io::Error(std::string("ManFindMinMaxDiffAveRMS2DAry()\n\n") + name + " - CORE ALLOCATION ERROR");
      return false;
    }
    for (uint32_t i = 0; i < n; ++i) dif[i] = static_cast<D>(b[i]) - static_cast<D>(a[i]);
    Store(RangeStats<D>(dif.data(), 0, last, startMin, startMax, wantRms), outMin, outMax, outMean, outRms);
    return true;
  };
  constexpr int64_t kBig = std::numeric_limits<int64_t>::max();
  if (longA && longB && !pair(longA, longB, kBig, -kBig, "dif_lpt")) return 0;
  if (floatA && floatB && !pair(floatA, floatB, 1e20f, -1e20f, "dif_fpt")) return 0;
  if (doubleA && doubleB && !pair(doubleA, doubleB, 1e80, -1e80, "dif_dpt")) return 0;
  return 1;
}
