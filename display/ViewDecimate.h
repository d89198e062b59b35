// Decimation of a raw float file into the view levels in one pass.
//
// The raw file is read in blocks; a natural cubic spline is laid through each block
// and sampled at positions k * h of every level (h = raw points per pixel / m, with m
// the rounded number of raw points per pixel), and each pixel keeps the maximum or
// the average of its samples. All positions are counted in raw points from the start
// of the file, so a block's knots sit exactly at the points it was read from.
//
// Blocks overlap: a block that is not the file's last one is sampled only up to
// VIEW_BLOCK_MARGIN points before its end, and the next block is read from
// VIEW_BLOCK_MARGIN points before its first sampling position. The natural end
// conditions of a block's spline fade by a factor of about 3.7 per knot, so the
// samples never see them and the result does not depend on where blocks begin.
//
// The engine is a template over the spline backend so that a benchmark can run the
// same block loop with another spline library; the program uses ViewUniformSpline.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cmath>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <cstdint>
#include <functional>
#include <vector>

// Raw points per block: 1,048,576 floats, 4,194,304 bytes.
constexpr uint32_t VIEW_BLOCK_POINTS = 1048576;
// Points a block reaches past the samples taken from it, on either side.
constexpr uint32_t VIEW_BLOCK_MARGIN = 16;
// Smallest block the engine works with (smaller requests are raised to it).
constexpr uint32_t VIEW_BLOCK_MIN = 8 * VIEW_BLOCK_MARGIN;
// Magnitude from which a float is a missing value (read as 0).
constexpr double VIEW_MISSING_VALUE = 1.0e18;

// View kinds of a level (the ViewKind table of Win).
constexpr int16_t VIEW_KIND_MAX = 0;
constexpr int16_t VIEW_KIND_AVE = 1;
constexpr int16_t VIEW_KIND_NONE = 2;

// One level to build. kind comes back VIEW_KIND_NONE when the level could not be
// built (fewer than half a raw point per pixel, or no sensible position).
struct ViewLevelOut {
  int16_t kind = VIEW_KIND_NONE;
  double ptsPerPixel = 0.0;  // raw points per pixel
  uint32_t size = 0;         // values of the level
  float* values = nullptr;   // zero-filled array of size values
};

// Working storage of one decimation, for blocks of up to `points` raw points.
struct ViewWork {
  uint32_t points = 0;
  float* raw = nullptr;   // the raw block as read
  float* y = nullptr;     // ordinates of the block: raw's own array once KeepOrdinates
                          // has set its missing values to 0 (each widens to a double
                          // exactly where the spline uses it)
  double* y2 = nullptr;   // second derivatives of its spline
  double* u = nullptr;    // work vector of the spline sweep: y2's own array, which
                          // the back substitution overwrites after reading it
};
// 1, or -1 when an array could not be allocated (then nothing stays allocated).
int16_t ViewWorkAlloc(ViewWork* work, uint32_t points);
void ViewWorkFree(ViewWork* work);
// Allocates up to count work sets of points each: how many were allocated (the
// first ones), or -1 when not even one could be.
int ViewWorkAllocSets(ViewWork* works, int count, uint32_t points);

enum class ViewDecimateEnd {
  Done,           // every level complete, or the file ended
  Stopped,        // the stop hook asked to stop
  ReadFailed,     // the file could not be read
  InternalError,  // no level has a position left to sample
  SeekTooFar,     // the next block would start beyond the 32-bit point range
};

// Where a block starts and the state of the levels at its start: the positions
// sampled (k), the values written (j) and whether the level is still sampled.
struct ViewBlockStart {
  uint64_t p0 = 0;     // first raw point of the block
  uint32_t n = 0;      // raw points of the block
  bool last = false;   // sampled up to its end
  uint64_t k[3] = {};
  uint32_t j[3] = {};
  bool active[3] = {};
};

struct ViewDecimateHooks {
  std::function<bool()> stop;                  // polled once per block
  std::function<void(const ViewBlockStart&)> block;  // each block as it is sampled
  std::function<void(uint64_t)> progress;      // raw points read so far, once per block
  std::function<void(int level)> disabled;     // a level became none on the way
};

struct ViewDecimateStats {
  uint64_t overflows = 0;    // raw points of magnitude 1e18 or more (or not a number)
  uint64_t pointsRead = 0;   // raw points read, overlaps included
  double nextPosition = 0;   // for SeekTooFar: the position that was refused
  int ranges = 1;            // ranges of blocks processed side by side
};

// Natural cubic spline through y[0..n-1] at the abscissae 0..n-1: the textbook
// tridiagonal sweep specialised for unit spacing. Its elimination factors do not
// depend on the data, so they are computed once; from the 64th knot on they have
// reached their fixed point in double precision.
class ViewUniformSpline {
 public:
  ViewUniformSpline() {
    double prev = 0.0;  // y2 factor of knot 0 (natural end)
    factor_[0] = 0.0;
    inverse_[0] = 0.0;
    for (int i = 1; i < kTable; ++i) {
      const double p = 0.5 * prev + 2.0;
      inverse_[i] = 1.0 / p;
      factor_[i] = -0.5 / p;
      prev = factor_[i];
    }
  }

  // Prepares the spline of block y[0..n-1] (n >= 1) with the work arrays of work.
  void Fit(const ViewWork& work, uint32_t n) {
    y_ = work.y;
    y2_ = work.y2;
    n_ = n;
    if (n < 3) {
      for (uint32_t i = 0; i < n; ++i) y2_[i] = 0.0;
      return;
    }
    const float* y = work.y;
    double* u = work.u;
    u[0] = 0.0;
    const uint32_t head = n - 1 < static_cast<uint32_t>(kTable) ? n - 1 : static_cast<uint32_t>(kTable);
    for (uint32_t i = 1; i < head; ++i) {
      u[i] = (3.0 * (y[i + 1] - 2.0 * y[i] + y[i - 1]) - 0.5 * u[i - 1]) * inverse_[i];
    }
    const double inv = inverse_[kTable - 1];
    for (uint32_t i = head; i + 1 < n; ++i) {
      u[i] = (3.0 * (y[i + 1] - 2.0 * y[i] + y[i - 1]) - 0.5 * u[i - 1]) * inv;
    }
    y2_[n - 1] = 0.0;
    const double fac = factor_[kTable - 1];
    uint32_t k = n - 2;
    for (; k >= static_cast<uint32_t>(kTable); --k) y2_[k] = fac * y2_[k + 1] + u[k];
    for (;; --k) {
      y2_[k] = factor_[k] * y2_[k + 1] + u[k];
      if (k == 0) break;
    }
  }

  // Most blocks FitGroup takes at once.
  static constexpr int kGroupMax = 4;

  // Prepares the splines of count blocks (1 <= count <= kGroupMax), block b with the
  // work arrays of works[b] and ns[b] points, side by side: the sweeps of different
  // blocks do not depend on each other, so their chains of dependent steps overlap.
  // Every value is computed with the operations of Fit, in its order. Attach then
  // chooses the block to evaluate.
  void FitGroup(const ViewWork* const* works, const uint32_t* ns, int count) {
    bool together = count > 1;
    for (int b = 0; b < count; ++b) together = together && ns[b] > static_cast<uint32_t>(kTable);
    if (!together) {
      for (int b = 0; b < count; ++b) Fit(*works[b], ns[b]);
      return;
    }
    switch (count) {
      case 2: SweepSideBySide<2>(works, ns); break;
      case 3: SweepSideBySide<3>(works, ns); break;
      default: SweepSideBySide<4>(works, ns); break;
    }
    Attach(*works[count - 1], ns[count - 1]);
  }

  // Evaluates the block of work (n points) fitted before.
  void Attach(const ViewWork& work, uint32_t n) {
    y_ = work.y;
    y2_ = work.y2;
    n_ = n;
  }

  // Values at the positions t - p0 with t = k * h for k = k0 .. k0 + count - 1, each
  // computed with the operations of Eval (no contraction, the same order).
  void EvalBatch(uint64_t k0, uint32_t count, double h, double p0, double* out) const;

  // Value at s (block coordinates, 0 <= s < n); past the last knot the last
  // interval's cubic is continued.
  double Eval(double s) const {
    if (n_ < 2) return y_[0];
    int64_t i = static_cast<int64_t>(s);
    if (i > static_cast<int64_t>(n_) - 2) i = static_cast<int64_t>(n_) - 2;
    if (i < 0) i = 0;
    const double b = s - static_cast<double>(i);
    const double a = 1.0 - b;
    return a * y_[i] + b * y_[i + 1] + ((a * a * a - a) * y2_[i] + (b * b * b - b) * y2_[i + 1]) * (1.0 / 6.0);
  }

 private:
  static constexpr int kTable = 64;

  // The sweeps of Fit for G blocks of more than kTable points each: the steps every
  // block has run together, the rest of a longer block alone.
  template <int G>
  void SweepSideBySide(const ViewWork* const* works, const uint32_t* ns) {
    const float* y[G];
    double* u[G];
    double* y2[G];
    double last[G];  // each block's value of the step before, kept out of memory
    uint32_t least = ns[0];
    for (int b = 0; b < G; ++b) {
      y[b] = works[b]->y;
      u[b] = works[b]->u;
      y2[b] = works[b]->y2;
      u[b][0] = 0.0;
      last[b] = 0.0;
      if (ns[b] < least) least = ns[b];
    }
    for (uint32_t i = 1; i < static_cast<uint32_t>(kTable); ++i)
      for (int b = 0; b < G; ++b) {
        last[b] = (3.0 * (y[b][i + 1] - 2.0 * y[b][i] + y[b][i - 1]) - 0.5 * last[b]) * inverse_[i];
        u[b][i] = last[b];
      }
    const double inv = inverse_[kTable - 1];
    for (uint32_t i = kTable; i + 1 < least; ++i)
      for (int b = 0; b < G; ++b) {
        last[b] = (3.0 * (y[b][i + 1] - 2.0 * y[b][i] + y[b][i - 1]) - 0.5 * last[b]) * inv;
        u[b][i] = last[b];
      }
    const double fac = factor_[kTable - 1];
    for (int b = 0; b < G; ++b) {
      const float* yb = y[b];
      double* ub = u[b];
      double* zb = y2[b];
      const uint32_t n = ns[b];
      for (uint32_t i = least - 1; i + 1 < n; ++i)
        ub[i] = (3.0 * (yb[i + 1] - 2.0 * yb[i] + yb[i - 1]) - 0.5 * ub[i - 1]) * inv;
      zb[n - 1] = 0.0;
      for (uint32_t k = n - 2; k + 1 >= least && k + 1 < n; --k) zb[k] = fac * zb[k + 1] + ub[k];
      last[b] = zb[least - 1];
    }
    for (uint32_t k = least - 2; k >= static_cast<uint32_t>(kTable); --k)
      for (int b = 0; b < G; ++b) {
        last[b] = fac * last[b] + u[b][k];
        y2[b][k] = last[b];
      }
    for (uint32_t k = kTable - 1;; --k) {
      for (int b = 0; b < G; ++b) {
        last[b] = factor_[k] * last[b] + u[b][k];
        y2[b][k] = last[b];
      }
      if (k == 0) break;
    }
  }
  double factor_[kTable];
  double inverse_[kTable];
  const float* y_ = nullptr;
  double* y2_ = nullptr;
  uint32_t n_ = 0;
};

namespace viewdetail {

// The batch of ViewUniformSpline::EvalBatch as a loop without branches that the
// compiler vectorises: k0 + q is formed as double(k0) + q, exact below 2^53, and the
// truncation of Eval is taken on the position held within +-2e9, which clamps the
// interval the same way.
__attribute__((always_inline)) inline void SplineBatch(const float* y, const double* y2, int32_t lastInterval,
                                                       double k0, int32_t count, double h, double p0, double* out) {
  for (int32_t q = 0; q < count; ++q) {
    const double t = (k0 + static_cast<double>(q)) * h;
    const double s = t - p0;
    const double held = s < -2.0e9 ? -2.0e9 : (s > 2.0e9 ? 2.0e9 : s);
    int32_t i = static_cast<int32_t>(held);
    i = i > lastInterval ? lastInterval : i;
    i = i < 0 ? 0 : i;
    const double b = s - static_cast<double>(i);
    const double a = 1.0 - b;
    out[q] = a * y[i] + b * y[i + 1] + ((a * a * a - a) * y2[i] + (b * b * b - b) * y2[i + 1]) * (1.0 / 6.0);
  }
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
// The value of SplineBatch at four positions s in the intervals id (as doubles)
// with the knots' values y0, y1 and second derivatives z0, z1 at their ends.
__attribute__((target("avx2"), always_inline)) inline __m256d CubicAvx2(__m256d s, __m256d id, __m256d y0, __m256d y1,
                                                                      __m256d z0, __m256d z1) {
  const __m256d one = _mm256_set1_pd(1.0), sixth = _mm256_set1_pd(1.0 / 6.0);
  const __m256d b = _mm256_sub_pd(s, id);
  const __m256d a = _mm256_sub_pd(one, b);
  const __m256d ca = _mm256_sub_pd(_mm256_mul_pd(_mm256_mul_pd(a, a), a), a);
  const __m256d cb = _mm256_sub_pd(_mm256_mul_pd(_mm256_mul_pd(b, b), b), b);
  const __m256d linear = _mm256_add_pd(_mm256_mul_pd(a, y0), _mm256_mul_pd(b, y1));
  const __m256d curve = _mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(ca, z0), _mm256_mul_pd(cb, z1)), sixth);
  return _mm256_add_pd(linear, curve);
}

// The knots' values and second derivatives at the ends of the four intervals from
// first on.
__attribute__((target("avx2"), always_inline)) inline void KnotsAvx2(const float* y, const double* y2, int32_t first,
                                                                   __m256d& y0, __m256d& y1, __m256d& z0,
                                                                   __m256d& z1) {
  y0 = _mm256_cvtps_pd(_mm_loadu_ps(y + first));
  y1 = _mm256_cvtps_pd(_mm_loadu_ps(y + first + 1));
  z0 = _mm256_loadu_pd(y2 + first);
  z1 = _mm256_loadu_pd(y2 + first + 1);
}

// The values at the four positions kq * h - p0 (kq exact integers), their intervals
// clamped unless Inside (the positions known to lie within them).
template <bool Inside>
__attribute__((target("avx2"), always_inline)) inline __m256d ValuesAvx2(const float* y, const double* y2,
                                                                       int32_t lastInterval, __m256d kq, double h,
                                                                       double p0) {
  const __m256d s = _mm256_sub_pd(_mm256_mul_pd(kq, _mm256_set1_pd(h)), _mm256_set1_pd(p0));
  __m128i i;
  if constexpr (Inside) {
    i = _mm256_cvttpd_epi32(s);
  } else {
    i = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(s, _mm256_set1_pd(-2.0e9)), _mm256_set1_pd(2.0e9)));
    i = _mm_max_epi32(_mm_min_epi32(i, _mm_set1_epi32(lastInterval)), _mm_setzero_si128());
  }
  __m256d y0, y1, z0, z1;
  // At about one sample a knot the four intervals are mostly consecutive: plain loads.
  const int32_t first = _mm_cvtsi128_si32(i);
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(i, _mm_add_epi32(_mm_set1_epi32(first), _mm_set_epi32(3, 2, 1, 0)))) ==
      0xFFFF) {
    KnotsAvx2(y, y2, first, y0, y1, z0, z1);
  } else {
    const __m256d none = _mm256_setzero_pd(), all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    const __m128 noneF = _mm_setzero_ps(), allF = _mm_castsi128_ps(_mm_set1_epi32(-1));
    y0 = _mm256_cvtps_pd(_mm_mask_i32gather_ps(noneF, y, i, allF, 4));
    y1 = _mm256_cvtps_pd(_mm_mask_i32gather_ps(noneF, y + 1, i, allF, 4));
    z0 = _mm256_mask_i32gather_pd(none, y2, i, all, 8);
    z1 = _mm256_mask_i32gather_pd(none, y2 + 1, i, all, 8);
  }
  return CubicAvx2(s, _mm256_cvtepi32_pd(i), y0, y1, z0, z1);
}

// The same values four at a time with AVX2 gathers; every product and sum is
// rounded alone, in the order of SplineBatch (no FMA). Inside: every position of the
// batch lies within the knots' intervals; rising: besides, sixteen positions in a
// row lie in consecutive intervals when the first and the last lie fifteen apart.
template <bool Inside>
__attribute__((target("avx2"))) inline void SplineBatchAvx2Of(const float* y, const double* y2, int32_t lastInterval,
                                                              double k0, int32_t count, double h, double p0,
                                                              double* out, bool rising) {
  const __m256d four = _mm256_set1_pd(4.0);
  const __m256d lanes = _mm256_set_pd(3.0, 2.0, 1.0, 0.0);
  __m256d kq = _mm256_add_pd(_mm256_set1_pd(k0), lanes);  // exact integers
  int32_t q = 0;
  if constexpr (Inside) {
    for (; q + 16 <= count; q += 16) {
      int32_t first = 0, end = 0;
      if (rising) {
        first = static_cast<int32_t>((k0 + static_cast<double>(q)) * h - p0);
        end = static_cast<int32_t>((k0 + static_cast<double>(q + 15)) * h - p0);
      }
      if (rising && end - first == 15) {
        // The intervals counted on from the first, the knots loaded plainly.
        const __m256d vh = _mm256_set1_pd(h), vp0 = _mm256_set1_pd(p0);
        __m256d id = _mm256_add_pd(_mm256_set1_pd(static_cast<double>(first)), lanes);  // exact integers
        for (int32_t r = 0; r < 16; r += 4) {
          const __m256d s = _mm256_sub_pd(_mm256_mul_pd(kq, vh), vp0);
          __m256d y0, y1, z0, z1;
          KnotsAvx2(y, y2, first + r, y0, y1, z0, z1);
          _mm256_storeu_pd(out + q + r, CubicAvx2(s, id, y0, y1, z0, z1));
          kq = _mm256_add_pd(kq, four);
          id = _mm256_add_pd(id, four);
        }
      } else {
        for (int32_t r = 0; r < 16; r += 4) {
          _mm256_storeu_pd(out + q + r, ValuesAvx2<true>(y, y2, lastInterval, kq, h, p0));
          kq = _mm256_add_pd(kq, four);
        }
      }
    }
  }
  for (; q + 4 <= count; q += 4) {
    _mm256_storeu_pd(out + q, ValuesAvx2<Inside>(y, y2, lastInterval, kq, h, p0));
    kq = _mm256_add_pd(kq, four);
  }
  if (q < count) SplineBatch(y, y2, lastInterval, k0 + static_cast<double>(q), count - q, h, p0, out + q);
}
__attribute__((target("avx2"))) inline void SplineBatchAvx2(const float* y, const double* y2, int32_t lastInterval,
                                                            double k0, int32_t count, double h, double p0,
                                                            double* out) {
  // The positions grow with q: the first and the last bound them all.
  const double first = k0 * h - p0;
  const double end = (k0 + static_cast<double>(count - 1)) * h - p0;
  if (count > 0 && first >= 0.0 && end < static_cast<double>(lastInterval) + 1.0) {
    // Each position is within 1e-6 of its exact value below 2^33, so that two in a
    // row are always more (or always less) than one knot apart when h is 4e-6 or
    // more from 1 (with h 1 and p0 whole, exactly one knot apart).
    const bool rising = (k0 + static_cast<double>(count)) * h < 8.0e9 &&
                        (std::fabs(h - 1.0) >= 4.0e-6 || (h == 1.0 && p0 == std::floor(p0)));
    SplineBatchAvx2Of<true>(y, y2, lastInterval, k0, count, h, p0, out, rising);
  } else {
    SplineBatchAvx2Of<false>(y, y2, lastInterval, k0, count, h, p0, out, false);
  }
}
inline bool HasAvx2() { return __builtin_cpu_supports("avx2"); }
#else
inline void SplineBatchAvx2(const float* y, const double* y2, int32_t lastInterval, double k0, int32_t count,
                            double h, double p0, double* out) {
  SplineBatch(y, y2, lastInterval, k0, count, h, p0, out);
}
inline bool HasAvx2() { return false; }
#endif

}  // namespace viewdetail

inline void ViewUniformSpline::EvalBatch(uint64_t k0, uint32_t count, double h, double p0, double* out) const {
  if (n_ < 2) {
    for (uint32_t q = 0; q < count; ++q) out[q] = y_[0];
    return;
  }
  const int32_t lastInterval = static_cast<int32_t>(n_) - 2;
  const double kd = static_cast<double>(k0);
  if (viewdetail::HasAvx2()) {
    viewdetail::SplineBatchAvx2(y_, y2_, lastInterval, kd, static_cast<int32_t>(count), h, p0, out);
  } else {
    viewdetail::SplineBatch(y_, y2_, lastInterval, kd, static_cast<int32_t>(count), h, p0, out);
  }
}

namespace viewdetail {

// Running state of one level during the pass.
struct LevelRun {
  bool active = false;
  bool isMax = false;
  double h = 0.0;    // sampling step in raw points
  double f = 0.0;    // output step (raw points per pixel)
  uint64_t k = 0;    // sampling positions done
  uint32_t j = 0;    // values written
  double best = -1.0e20;
  double sum = 0.0;
  double count = 1.0;
  // A run that starts inside a pixel without the samples before it (a range of
  // blocks on a view worker) holds that pixel's samples back until the pixel ends:
  // the maximum taken from -1e20 (heldBest) or the samples themselves (held), so
  // that the pixel can be finished once the samples before the range are known.
  bool holding = false;
  bool heldEdge = false;      // the held pixel ended within the run (with its last sample)
  double heldBest = -1.0e20;
  uint64_t heldCount = 0;
  std::vector<double>* held = nullptr;
};

// Sets up the runs of levels[0..2]; a level with fewer than half a raw point per
// pixel (or no array) becomes none.
void StartRuns(ViewLevelOut* levels, LevelRun* runs);

// After a block that was not the last: the levels with no position left become none
// (disabled called for each), and *p0 moves to the next block's start. Done with
// *complete set when every level is complete; InternalError or SeekTooFar (with the
// refused position in *nextPosition) when the pass cannot go on.
ViewDecimateEnd NextBlock(LevelRun* runs, ViewLevelOut* levels, const std::function<void(int)>& disabled, uint64_t* p0,
                          bool* complete, double* nextPosition);

// The block at p0 of n points and the state of runs at its start.
inline ViewBlockStart BlockStartOf(uint64_t p0, uint32_t n, bool last, const LevelRun* runs) {
  ViewBlockStart b;
  b.p0 = p0;
  b.n = n;
  b.last = last;
  for (int v = 0; v < 3; ++v) {
    b.k[v] = runs[v].k;
    b.j[v] = runs[v].j;
    b.active[v] = runs[v].active;
  }
  return b;
}

// Reads up to n floats at point position p; the number read, or -1 on an error.
int64_t ReadBlock(int fd, uint64_t p, float* into, uint32_t n);

// Samples evaluated ahead of the pixel logic at a time.
constexpr uint32_t kSampleBatch = 256;

// The maximum of best and v[0..n-1] as the running maximum "if (y > best) best = y"
// leaves it: values are compared four lanes at a time, and where two zeros of
// different signs could tie for the result, the values are taken in order.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target("avx2"))) inline double RunMaxAvx2(const double* v, uint32_t n, double best) {
  __m256d m = _mm256_set1_pd(best);
  uint32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m256d y = _mm256_loadu_pd(v + i);
    m = _mm256_blendv_pd(m, y, _mm256_cmp_pd(y, m, _CMP_GT_OQ));
  }
  double lanes[4];
  _mm256_storeu_pd(lanes, m);
  double top = best;
  for (double lane : lanes) top = lane > top ? lane : top;
  for (; i < n; ++i) top = v[i] > top ? v[i] : top;
  return top;
}
#endif

inline double RunMax(const double* v, uint32_t n, double best) {
  double top = best;
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
  if (n >= 8 && HasAvx2()) top = RunMaxAvx2(v, n, best);
  else
#endif
    for (uint32_t i = 0; i < n; ++i) top = v[i] > top ? v[i] : top;
  if (top == 0.0 && top > best) {  // which zero comes first decides the sign
    top = best;
    for (uint32_t i = 0; i < n; ++i) top = v[i] > top ? v[i] : top;
  }
  return top;
}

// How many positions k0 + r (r = 0, 1, ..., below count) in a row come before the
// first one that reaches limit or completes the pixel ending at edge (both are
// reached from some position on and stay reached); estimate is where the first is
// expected.
inline uint32_t PositionsBefore(double k0, uint32_t count, double h, double half, double limit, double edge,
                                double estimate) {
  const auto reached = [&](uint32_t r) {
    const double t = (k0 + static_cast<double>(r)) * h;
    return !(t < limit) || edge <= t + half;
  };
  uint32_t r = 0;
  if (estimate > 0.0) r = estimate < static_cast<double>(count) ? static_cast<uint32_t>(estimate) : count;
  while (r > 0 && reached(r - 1)) --r;
  while (r < count && !reached(r)) ++r;
  return r;
}

// Adds n samples to the pixel run holds back.
inline void Hold(LevelRun& run, const double* ys, uint32_t n) {
  run.heldCount += n;
  if (!run.isMax) run.held->insert(run.held->end(), ys, ys + n);
}

// Samples level run over the spline for positions below limit (absolute raw
// points, block starting at p0) and completes its pixels into out. The spline's
// values come a batch at a time; the pixels take them in order: the samples before
// the next pixel's end in one go, the one that ends it alone.
template <class Spline>
inline void SampleLevel(LevelRun& run, const Spline& spline, double p0, double limit, ViewLevelOut& out) {
  const double h = run.h;
  const double half = 0.5 * h;
  const double f = run.f;
  const bool isMax = run.isMax;
  const uint32_t size = out.size;
  float* const values = out.values;
  uint64_t k = run.k;
  uint32_t j = run.j;
  double best = run.best;
  double sum = run.sum;
  double count = run.count;
  double edge = (static_cast<double>(j) + 0.499999) * f;
  double ys[kSampleBatch];
  bool more = true;
  while (more) {
    // The positions left below the limit, as an estimate for the batch size.
    const double left = (limit - static_cast<double>(k) * h) / h + 2.0;
    const uint32_t batch = !(left > 0.0) ? 1u : (left < kSampleBatch ? static_cast<uint32_t>(left) : kSampleBatch);
    spline.EvalBatch(k, batch, h, p0, ys);
    uint32_t q = 0;
    double kd = static_cast<double>(k);  // k as a double, exact below 2^53
    while (q < batch) {
      // The samples that neither reach the limit nor end a pixel.
      const double toEdge = (edge - half) / h - kd;
      const double toLimit = limit / h - kd;
      const uint32_t plain = PositionsBefore(kd, batch - q, h, half, limit, edge, toEdge < toLimit ? toEdge : toLimit);
      if (plain > 0) {
        if (isMax) {
          best = RunMax(ys + q, plain, best);
        } else {
          for (uint32_t r = 0; r < plain; ++r) sum += ys[q + r];
        }
        if (run.holding) Hold(run, ys + q, plain);
        k += plain;
        count += static_cast<double>(plain);
        kd += static_cast<double>(plain);
        q += plain;
        if (q >= batch) break;
      }
      // The sample at q reaches the limit or ends a pixel.
      const double t = kd * h;
      if (!(t < limit)) {
        more = false;
        break;
      }
      const double y = ys[q];
      if (isMax) {
        if (y > best) best = y;
      } else {
        sum += y;
      }
      if (run.holding) {
        Hold(run, &y, 1);
        run.holding = false;
        run.heldEdge = true;
        run.heldBest = best;
      }
      if (j < size) {
        const double v = isMax ? best : sum / count;
        values[j] = std::fabs(v) > VIEW_MISSING_VALUE ? 0.0f : static_cast<float>(v);
      }
      ++j;
      edge = (static_cast<double>(j) + 0.499999) * f;
      best = -1.0e20;
      sum = 0.0;
      count = 0.0;
      if (j >= size) {
        ++k;
        more = false;
        break;  // the level is complete
      }
      ++k;
      count += 1.0;
      kd += 1.0;
      ++q;
    }
  }
  run.k = k;
  run.j = j;
  run.best = best;
  run.sum = sum;
  run.count = count;
  if (run.holding) run.heldBest = best;
}

}  // namespace viewdetail

// The blocks of a pass of ViewDecimate over a file of rawPoints points with blocks
// of up to blockPoints points (raised to VIEW_BLOCK_MIN), worked out from the sizes
// alone: where each block starts, its length, and the state of the levels at its
// start, exactly as the pass has them when every read returns what was asked. The
// kinds the levels end with are in kinds (none for a level that is not built or
// that the pass disables on the way, disabled[v] set for the latter), and the end is
// the pass's end, Stopped and ReadFailed aside.
struct ViewSchedule {
  std::vector<ViewBlockStart> blocks;
  ViewDecimateEnd end = ViewDecimateEnd::Done;
  int16_t kinds[3] = {VIEW_KIND_NONE, VIEW_KIND_NONE, VIEW_KIND_NONE};
  bool disabled[3] = {};
  double nextPosition = 0;  // for SeekTooFar
};
ViewSchedule ViewBlockSchedule(uint64_t rawPoints, uint32_t blockPoints, const ViewLevelOut* levels);

namespace viewdetail {

// Sets the missing values of y[0..n-1] (magnitude 1e18 or more, or not a number)
// to 0 and returns how many there were.
inline uint32_t KeepOrdinates(float* y, uint32_t n) {
  uint32_t i = 0, count = 0;  // n < 2^32
#if defined(__x86_64__)
  const __m128 limit = _mm_set1_ps(static_cast<float>(VIEW_MISSING_VALUE));
  const __m128 sign = _mm_set1_ps(-0.0f);
  __m128i missing = _mm_setzero_si128();  // minus the count, lane by lane
  for (; i + 4 <= n; i += 4) {
    const __m128 value = _mm_loadu_ps(y + i);
    const __m128 keep = _mm_cmplt_ps(_mm_andnot_ps(sign, value), limit);  // not a number: false
    _mm_storeu_ps(y + i, _mm_and_ps(value, keep));
    missing = _mm_sub_epi32(missing, _mm_castps_si128(_mm_xor_ps(keep, _mm_castsi128_ps(_mm_set1_epi32(-1)))));
  }
  alignas(16) uint32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), missing);
  count = lanes[0] + lanes[1] + lanes[2] + lanes[3];
#endif
  for (; i < n; ++i) {
    const bool keep = std::fabs(y[i]) < static_cast<float>(VIEW_MISSING_VALUE);
    count += keep ? 0u : 1u;
    y[i] = keep ? y[i] : 0.0f;
  }
  return count;
}

// Makes the raw block of work (n points as read) its ordinates; the missing values
// from fresh on (the points no block before had) are counted.
inline uint32_t BlockOrdinates(ViewWork& work, uint32_t n, uint32_t fresh) {
  if (fresh > n) fresh = n;
  KeepOrdinates(work.raw, fresh);
  return KeepOrdinates(work.raw + fresh, n - fresh);
}

// Raw points of a block the levels are sampled over in turn, so that the spline's
// arrays of that stretch are still in the cache for the second and third level.
constexpr uint32_t kSampleStretch = 8192;

// Samples the active levels of runs over the block at p0 for positions below limit,
// stretch by stretch; a level stops being active when it is complete. The positions
// each level samples and their order are those of one SampleLevel call per level.
template <class Spline>
inline void SampleLevels(LevelRun* runs, const Spline& spline, double p0, double limit, ViewLevelOut* levels) {
  for (double upTo = p0;;) {
    upTo += kSampleStretch;
    const double stretch = upTo < limit ? upTo : limit;
    for (int v = 0; v < 3; ++v) {
      if (!runs[v].active) continue;
      SampleLevel(runs[v], spline, p0, stretch, levels[v]);
      if (runs[v].j >= levels[v].size) runs[v].active = false;  // complete
    }
    if (!(upTo < limit)) break;
  }
}

// A block read ahead and fitted, waiting for the pass to reach it.
struct ReadAhead {
  uint64_t p0 = 0;
  uint32_t want = 0;
  int64_t got = -1;  // points read, -1 for a failed read
  bool filled = false;
  uint32_t overflows = 0;  // missing values among the points no block before had
};

}  // namespace viewdetail

// One pass over the raw file fd (rawPoints floats) building every level of
// levels[0..2] whose kind is not none, with blocks of up to works[0].points points.
// With more than one work set (up to ViewUniformSpline::kGroupMax, all of the same
// size), the blocks the pass is going to read next, known from the sizes alone, are
// read and fitted together ahead of their sampling; the pass samples them in its
// own order, so every value is the one of a pass with one work set.
template <class Spline>
ViewDecimateEnd ViewDecimate(int fd, uint64_t rawPoints, ViewLevelOut* levels, ViewWork* works, int workCount,
                             Spline& spline, const ViewDecimateHooks& hooks, ViewDecimateStats* stats) {
  using viewdetail::LevelRun;
  using viewdetail::ReadAhead;
  const uint32_t cap = works[0].points;
  if (workCount > Spline::kGroupMax) workCount = Spline::kGroupMax;
  ViewSchedule plan;
  if (workCount > 1) plan = ViewBlockSchedule(rawPoints, cap, levels);
  size_t planAt = 0;  // the first scheduled block not yet read ahead
  ReadAhead ahead[Spline::kGroupMax];
  int aheadCount = 0, aheadAt = 0;

  LevelRun runs[3];
  viewdetail::StartRuns(levels, runs);
  uint64_t p0 = 0;
  uint64_t countedEnd = 0;  // overflows are counted once per raw point
  for (;;) {
    bool any = false;
    for (const LevelRun& run : runs) any = any || (run.active);
    if (!any || p0 >= rawPoints) break;

    const uint64_t left = rawPoints - p0;
    const uint32_t want = left < cap ? static_cast<uint32_t>(left) : cap;
    if (aheadAt >= aheadCount || ahead[aheadAt].p0 != p0 || ahead[aheadAt].want != want) {
      // Read the next blocks of the schedule from p0 on (only this one when p0 is
      // not in it), each into its own work set, and fit them together.
      while (planAt < plan.blocks.size() && plan.blocks[planAt].p0 < p0) ++planAt;
      const bool planned = planAt < plan.blocks.size() && plan.blocks[planAt].p0 == p0 && plan.blocks[planAt].n == want;
      aheadCount = 0;
      aheadAt = 0;
      const ViewWork* fit[Spline::kGroupMax];
      uint32_t ns[Spline::kGroupMax];
      int fitCount = 0;
      uint64_t readEnd = countedEnd;  // as the pass will have it when it reaches block b
      for (int b = 0; b < (planned ? workCount : 1); ++b) {
        ReadAhead& r = ahead[b];
        if (b == 0) {
          r.p0 = p0;
          r.want = want;
        } else {
          if (planAt + static_cast<size_t>(b) >= plan.blocks.size()) break;
          r.p0 = plan.blocks[planAt + static_cast<size_t>(b)].p0;
          r.want = plan.blocks[planAt + static_cast<size_t>(b)].n;
        }
        r.got = viewdetail::ReadBlock(fd, r.p0, works[b].raw, r.want);
        r.filled = r.got > 0;
        ++aheadCount;
        if (r.filled) {
          const uint32_t got = static_cast<uint32_t>(r.got);
          const uint32_t fresh = readEnd > r.p0 ? static_cast<uint32_t>(std::min<uint64_t>(readEnd - r.p0, got)) : 0;
          r.overflows = viewdetail::BlockOrdinates(works[b], got, fresh);
          if (r.p0 + got > readEnd) readEnd = r.p0 + got;
          fit[fitCount] = &works[b];
          ns[fitCount++] = static_cast<uint32_t>(r.got);
        }
        if (r.got < static_cast<int64_t>(r.want)) break;  // a short read ends the pass there
      }
      if (planned) planAt += static_cast<size_t>(aheadCount);
      if (fitCount > 0) spline.FitGroup(fit, ns, fitCount);
    }
    const ReadAhead& r = ahead[aheadAt];
    const ViewWork& work = works[aheadAt];
    ++aheadAt;
    if (r.got < 0) return ViewDecimateEnd::ReadFailed;
    const uint32_t n = static_cast<uint32_t>(r.got);
    if (n == 0) break;
    if (hooks.stop && hooks.stop()) return ViewDecimateEnd::Stopped;

    if (stats) stats->overflows += r.overflows;
    if (p0 + n > countedEnd) countedEnd = p0 + n;
    if (stats) stats->pointsRead += n;
    spline.Attach(work, n);

    const bool last = n < want || p0 + n >= rawPoints || n <= 2 * VIEW_BLOCK_MARGIN + 1;
    if (hooks.block) hooks.block(viewdetail::BlockStartOf(p0, n, last, runs));
    const double pd = static_cast<double>(p0);
    const double limit = last ? pd + n : pd + n - 1 - VIEW_BLOCK_MARGIN;
    viewdetail::SampleLevels(runs, spline, pd, limit, levels);
    if (hooks.progress) hooks.progress(stats ? stats->pointsRead : 0);
    if (last) break;

    bool complete = false;
    const ViewDecimateEnd step = viewdetail::NextBlock(runs, levels, hooks.disabled, &p0, &complete,
                                                       stats ? &stats->nextPosition : nullptr);
    if (step != ViewDecimateEnd::Done) return step;
    if (complete) break;
  }
  return ViewDecimateEnd::Done;
}

// The pass with one work set.
template <class Spline>
ViewDecimateEnd ViewDecimate(int fd, uint64_t rawPoints, ViewLevelOut* levels, ViewWork& work, Spline& spline,
                             const ViewDecimateHooks& hooks, ViewDecimateStats* stats) {
  return ViewDecimate(fd, rawPoints, levels, &work, 1, spline, hooks, stats);
}

// Most view workers a pass uses.
constexpr unsigned kViewWorkersMax = 16;
// Work sets a view worker fits its blocks with, side by side, when there is room.
constexpr int kViewWorkSetsPerWorker = 2;

// The pass of ViewDecimate with the blocks of the file cut into ranges of whole
// blocks, the ranges processed side by side: the calling thread takes the first,
// view workers (threads of their own at below-normal priority) the others. Each
// range starts at a block start of the one-thread pass and with the levels' state
// there, worked out from the sizes (ViewBlockSchedule); a pixel that a range starts
// inside is finished once the ranges before it are done, with its samples taken in
// the one-thread order, so every value is the one-thread pass's. works holds
// workCount work sets of the same size: each thread takes as many as there are for
// every thread (up to ViewUniformSpline::kGroupMax) and fits that many blocks of
// its range together, and up to ViewUniformSpline::kGroupMax of them fit blocks
// together when the pass runs on one thread. workers 1, or a file the schedule cannot cut (one block, a level
// disabled or a pass that fails on the way, an average level of pixels wider than
// half a block), runs the one-thread pass. The hooks are called on the calling
// thread only (block not at all when the ranges run side by side); stop is polled
// while the workers run. A file that turns out shorter than its size said is done
// again on one thread.
ViewDecimateEnd ViewDecimateOnWorkers(int fd, uint64_t rawPoints, ViewLevelOut* levels, ViewWork* works,
                                      int workCount, int workers, const ViewDecimateHooks& hooks,
                                      ViewDecimateStats* stats);
