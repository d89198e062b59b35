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
#include <bit>
#include <cmath>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "core/BinFile.h"

// Raw points per block: 1,048,576 floats, 4,194,304 bytes.
constexpr uint32_t VIEW_BLOCK_POINTS = 1048576;
// Points a block reaches past the samples taken from it, on either side.
constexpr uint32_t VIEW_BLOCK_MARGIN = 16;
// Smallest block the engine works with (smaller requests are raised to it).
constexpr uint32_t VIEW_BLOCK_MIN = 8 * VIEW_BLOCK_MARGIN;
// A block's spline is worked out in stretches of VIEW_FIT_STRETCH knots,
// VIEW_FIT_LANES of them side by side, a window of them at a time; blocks of up to
// VIEW_FIT_WINDOW points are worked out whole. A stretch is 8 knots more than a
// multiple of 16, so that the stretches side by side fall into different sets of
// the first-level cache.
constexpr uint32_t VIEW_FIT_LANES = 8;
constexpr uint32_t VIEW_FIT_STRETCH = 4104;
// Knots a stretch's sweeps start ahead of it, and the most a start may be looked for.
constexpr uint32_t VIEW_FIT_LEAD = 128;
constexpr uint32_t VIEW_FIT_LEAD_MAX = 2048;
constexpr uint32_t VIEW_FIT_WINDOW = 64 + VIEW_FIT_LANES * VIEW_FIT_STRETCH + VIEW_FIT_LEAD_MAX + 64;

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

// Working storage of one decimation, for blocks of up to `points` raw points. A
// block of up to VIEW_FIT_WINDOW points has its spline's second derivatives held
// whole; a longer one has them worked out and sampled window by window.
struct ViewWork {
  uint32_t points = 0;
  uint32_t window = 0;    // knots y2 holds at once: points, at most VIEW_FIT_WINDOW
  float* raw = nullptr;   // the raw block as read
  float* y = nullptr;     // ordinates of the block: raw's own array once KeepOrdinates
                          // has set its missing values to 0 (each widens to a double
                          // exactly where the spline uses it)
  double* y2 = nullptr;   // second derivatives of its spline (of the window sampled)
  double* u = nullptr;    // work vector of the spline sweep: y2's own array, which
                          // the back substitution overwrites after reading it
  double* lane = nullptr; // one stretch's forward values, worked out again (windows)
  float maxAbs = 0.0f;    // largest magnitude among the block's ordinates
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
  uint64_t heldMost = 0;     // most samples the ranges held back at once (doubles reserved)
};

// Natural cubic spline through y[0..n-1] at the abscissae 0..n-1: the textbook
// tridiagonal sweep specialised for unit spacing. Its elimination factors do not
// depend on the data, so they are computed once; from the 64th knot on they have
// reached their fixed point in double precision.
//
// A block longer than its work set's window is worked out window by window
// (FitWindows), every value bit for bit the one of the whole sweep. Past the table
// the forward sweep is u[i] = (d[i] - u[i-1] / 2) c and the back substitution
// y2[k] = f y2[k+1] + u[k]; both contract by |f| = 0.27 a knot, and each of their
// steps, rounding included, is a non-increasing function of the value before. So
// the stretches of a window are swept side by side, each with sweeps that begin
// VIEW_FIT_LEAD knots outside it:
//  - a forward sweep begins from 0 and is then checked against the exact sweep
//    carried on from the stretch before, which runs only until both give the same
//    bits (from there on they are the same sweep);
//  - a back substitution begins from the two bounds -B and B that every second
//    derivative of the block keeps (|y2| <= 12 max|y|; B = 16 max|y|): the exact
//    values lie between the two sweeps at every knot, so where the two meet the
//    exact value is known (a zero's sign too, unless the step adds a -0). A stretch
//    whose bounds have not met looks further ahead, and failing that is worked out
//    from the stretch after it; the window's last one, from the whole block.
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

  // Prepares the spline of block y[0..n-1] (n >= 1) with the work arrays of work,
  // whose y2 holds n values.
  void Fit(const ViewWork& work, uint32_t n) {
    FitWhole(work.y, work.y2, n);
    Attach(work, n);
  }

  // Works out the spline of block work.y[0..n-1] (n >= 1; work.maxAbs its ordinates'
  // largest magnitude) and hands its second derivatives over window by window, in
  // order: window(first, last, y2, final) with y2[q] the value at knot first + q for
  // the knots first..last (a few more values follow, all finite; final: last is
  // n - 1). False when the block needed them whole and they could not be had.
  template <class Window>
  bool FitWindows(const ViewWork& work, uint32_t n, Window&& window);

  // Evaluates the block of work (n points) fitted before.
  void Attach(const ViewWork& work, uint32_t n) { AttachWindow(work.y, work.y2, n); }
  // Evaluates the knots y[0..n-1] with the second derivatives y2 (a window of a
  // block: the knots from the window's first on).
  void AttachWindow(const float* y, const double* y2, uint32_t n) {
    y_ = y;
    y2_ = y2;
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

  // Second derivatives of y[0..n-1] into y2[0..n-1], the whole sweep.
  void FitWhole(const float* y, double* y2, uint32_t n) const {
    if (n < 3) {
      for (uint32_t i = 0; i < n; ++i) y2[i] = 0.0;
      return;
    }
    double* u = y2;
    u[0] = 0.0;
    const uint32_t head = n - 1 < static_cast<uint32_t>(kTable) ? n - 1 : static_cast<uint32_t>(kTable);
    for (uint32_t i = 1; i < head; ++i) {
      u[i] = (3.0 * (y[i + 1] - 2.0 * y[i] + y[i - 1]) - 0.5 * u[i - 1]) * inverse_[i];
    }
    const double inv = inverse_[kTable - 1];
    for (uint32_t i = head; i + 1 < n; ++i) {
      u[i] = (3.0 * (y[i + 1] - 2.0 * y[i] + y[i - 1]) - 0.5 * u[i - 1]) * inv;
    }
    y2[n - 1] = 0.0;
    const double fac = factor_[kTable - 1];
    uint32_t k = n - 2;
    for (; k >= static_cast<uint32_t>(kTable); --k) y2[k] = fac * y2[k + 1] + u[k];
    for (;; --k) {
      y2[k] = factor_[k] * y2[k + 1] + u[k];
      if (k == 0) break;
    }
  }

  // Whether the second derivative at a knot is known from the bounds lo and hi at
  // the knot after it and the knot's own forward value u.
  static bool Meet(double lo, double hi, double u) { return lo == hi && (lo != 0.0 || !(u == 0.0 && std::signbit(u))); }
  static bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

  double factor_[kTable];
  double inverse_[kTable];
  const float* y_ = nullptr;
  const double* y2_ = nullptr;
  uint32_t n_ = 0;
};

template <class Window>
bool ViewUniformSpline::FitWindows(const ViewWork& work, uint32_t n, Window&& window) {
  constexpr uint32_t L = VIEW_FIT_LANES;
  constexpr uint32_t kLead = VIEW_FIT_LEAD;
  const float* y = work.y;
  double* w = work.y2;  // the window: w[k - ws] is knot k
  if (n <= work.window) {
    FitWhole(y, w, n);
    window(0u, n - 1, static_cast<const double*>(w), true);
    return true;
  }
  const double c = inverse_[kTable - 1];
  const double f = factor_[kTable - 1];
  const double bound = 16.0 * static_cast<double>(work.maxAbs);
  const auto d = [y](uint32_t i) { return 3.0 * (y[i + 1] - 2.0 * y[i] + y[i - 1]); };
  // The head, with the factors of the table.
  w[0] = 0.0;
  for (uint32_t i = 1; i < static_cast<uint32_t>(kTable); ++i) w[i] = (d(i) - 0.5 * w[i - 1]) * inverse_[i];
  uint32_t ws = 0;                 // the window's first knot
  uint32_t bs = kTable;            // its first swept side by side
  double carry = w[kTable - 1];    // u[bs - 1]
  for (;;) {
    const uint32_t rest = n - 1 - bs;
    const bool final = rest <= L * VIEW_FIT_STRETCH + VIEW_FIT_LEAD_MAX + 1;
    uint32_t S = final ? rest / L : VIEW_FIT_STRETCH;
    if (final && S >= 24) S -= (S - 8) % 16;
    if (final && S < 2 * kLead + 1) {
      // Too short for stretches: the end of the block in one sweep.
      double u = carry;
      for (uint32_t i = bs; i + 1 < n; ++i) {
        u = (d(i) - 0.5 * u) * c;
        w[i - ws] = u;
      }
      w[n - 1 - ws] = 0.0;
      for (uint32_t k = n - 1; k-- > bs;) w[k - ws] = f * w[k + 1 - ws] + w[k - ws];
      for (uint32_t k = bs; k-- > ws;) w[k - ws] = (k < static_cast<uint32_t>(kTable) ? factor_[k] : f) * w[k + 1 - ws] + w[k - ws];
      for (uint32_t q = n - ws; q < n - ws + 32; ++q) w[q] = 0.0;
      window(ws, n - 1, static_cast<const double*>(w), true);
      return true;
    }
    const uint32_t be = bs + L * S;  // the knot after the last stretch
    uint32_t off[L];                 // each stretch's first knot in the window
    for (uint32_t l = 0; l < L; ++l) off[l] = bs - ws + l * S;

    // Forward: d of the stretches, overwritten by u as the sweeps reach them. Every
    // stretch but the first starts its sweep a lead of knots early from 0.
    {
      const float* yb = y + bs;
      double* wb = w + (bs - ws);
      const size_t count = static_cast<size_t>(be - bs);
      for (size_t q = 0; q < count; ++q) wb[q] = 3.0 * (yb[q + 1] - 2.0 * yb[q] + yb[q - 1]);
    }
    double st[L];
    {
      uint32_t from[L];
      for (uint32_t l = 0; l < L; ++l) {
        from[l] = (l == 0 ? off[1] : off[l]) - kLead;  // the first's is a stand-in
        st[l] = 0.0;
      }
      for (uint32_t q = 0; q < kLead; ++q)
        for (uint32_t l = 0; l < L; ++l) st[l] = (w[from[l] + q] - 0.5 * st[l]) * c;
    }
    st[0] = carry;
    for (uint32_t s = 0; s < S; ++s)
      for (uint32_t l = 0; l < L; ++l) {
        double& x = w[off[l] + s];
        st[l] = (x - 0.5 * st[l]) * c;
        x = st[l];
      }
    // The exact sweep through each stretch, until it meets the side-by-side one.
    for (uint32_t l = 1; l < L; ++l) {
      double u = w[off[l] - 1];
      for (uint32_t s = 0; s < S; ++s) {
        u = (d(bs + l * S + s) - 0.5 * u) * c;
        double& x = w[off[l] + s];
        if (SameBits(u, x)) break;
        x = u;
      }
    }
    double before[L];  // u of the knot before each stretch
    before[0] = carry;
    for (uint32_t l = 1; l < L; ++l) before[l] = w[off[l] - 1];
    carry = w[be - 1 - ws];

    // Past the stretches: the block's end (final), else a lead of u.
    uint32_t ahead = be;  // u is known below this knot
    const auto sweepAhead = [&](uint32_t to) {
      double u = ahead > be ? w[ahead - 1 - ws] : carry;
      for (uint32_t i = ahead; i < to; ++i) {
        u = (d(i) - 0.5 * u) * c;
        w[i - ws] = u;
      }
      ahead = to;
    };
    if (final) {
      sweepAhead(n - 1);
      w[n - 1 - ws] = 0.0;
      for (uint32_t k = n - 1; k-- > be;) w[k - ws] = f * w[k + 1 - ws] + w[k - ws];
    } else {
      sweepAhead(be + kLead);
    }

    // Back substitution: each stretch's start from the bounds a lead of knots ahead.
    double start[L];
    bool known[L];
    {
      uint32_t at[L];  // the knot after each stretch, in the window
      double lo[L], hi[L];
      for (uint32_t l = 0; l < L; ++l) {
        at[l] = final && l == L - 1 ? off[0] + S : off[l] + S;  // the last's is a stand-in when final
        lo[l] = -bound;
        hi[l] = bound;
      }
      for (uint32_t q = kLead - 1; q >= 1; --q)
        for (uint32_t l = 0; l < L; ++l) {
          const double u = w[at[l] + q];
          lo[l] = f * lo[l] + u;
          hi[l] = f * hi[l] + u;
        }
      for (uint32_t l = 0; l < L; ++l) {
        const double u = w[at[l]];
        known[l] = Meet(lo[l], hi[l], u);
        start[l] = f * lo[l] + u;
      }
    }
    // Bounds that have not met look as far ahead as there are u.
    const auto settle = [&](uint32_t e, uint32_t top, double* out) {
      double lo = -bound, hi = bound;
      for (uint32_t k = top; --k > e;) {
        lo = f * lo + w[k];
        hi = f * hi + w[k];
      }
      *out = f * lo + w[e];
      return Meet(lo, hi, w[e]);
    };
    for (uint32_t l = 0; l + 1 < L; ++l)
      if (!known[l]) {
        const uint32_t e = off[l] + S;
        known[l] = settle(e, e + std::min(S, VIEW_FIT_LEAD_MAX), &start[l]);
      }
    if (final) {
      start[L - 1] = w[be - ws];
      known[L - 1] = true;
    } else if (!known[L - 1]) {
      sweepAhead(be + VIEW_FIT_LEAD_MAX);
      known[L - 1] = settle(be - ws, be - ws + VIEW_FIT_LEAD_MAX, &start[L - 1]);
      if (!known[L - 1]) {
        // The block's second derivatives whole, for the rest of it.
        std::unique_ptr<double[]> whole(new (std::nothrow) double[n]);
        if (!whole) return false;
        FitWhole(y, whole.get(), n);
        window(ws, n - 1, static_cast<const double*>(whole.get() + ws), true);
        return true;
      }
    }
    if (!final) w[be - ws] = start[L - 1];
    for (uint32_t l = 0; l < L; ++l) st[l] = start[l];
    for (uint32_t s = S; s-- > 0;)
      for (uint32_t l = 0; l < L; ++l) {
        double& x = w[off[l] + s];
        st[l] = f * st[l] + x;
        x = st[l];
      }
    // A stretch whose bounds never met: its u again, and the exact substitution from
    // the stretch after it until it meets the side-by-side one.
    for (uint32_t l = L - 1; l-- > 0;) {
      if (known[l]) continue;
      double u = before[l];
      for (uint32_t s = 0; s < S; ++s) {
        u = (d(bs + l * S + s) - 0.5 * u) * c;
        work.lane[s] = u;
      }
      double v = w[off[l] + S];
      for (uint32_t s = S; s-- > 0;) {
        v = f * v + work.lane[s];
        double& x = w[off[l] + s];
        if (SameBits(v, x)) break;
        x = v;
      }
    }
    if (ws == 0)
      for (uint32_t k = kTable; k-- > 0;) w[k] = factor_[k] * w[k + 1] + w[k];
    if (final) {
      for (uint32_t q = n - ws; q < n - ws + 32; ++q) w[q] = 0.0;
      window(ws, n - 1, static_cast<const double*>(w), true);
      return true;
    }
    window(ws, be, static_cast<const double*>(w), false);
    ws = be;
    bs = be;
  }
}

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

// Pages of the system for bytes bytes (nullptr when there are none), and their
// return.
void* SystemPages(size_t bytes);
void SystemPagesFree(void* pages, size_t bytes);

// The arrays of samples a range holds back come straight from the system and go back
// to it whole when the range is joined: a heap would keep arrays of this size for
// later use, in every thread's arena, and the memory of a pass would grow with them.
template <class T>
struct SystemPagesAllocator {
  using value_type = T;
  SystemPagesAllocator() = default;
  template <class U>
  SystemPagesAllocator(const SystemPagesAllocator<U>&) {}
  T* allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void* pages = SystemPages(n * sizeof(T));
    if (!pages) throw std::bad_alloc();
    return static_cast<T*>(pages);
  }
  void deallocate(T* p, size_t n) { SystemPagesFree(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const SystemPagesAllocator<U>&) const {
    return true;
  }
};
using HeldSamples = std::vector<double, SystemPagesAllocator<double>>;

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
  HeldSamples* held = nullptr;
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
// to 0 and returns how many there were; *maxAbs is raised to the largest magnitude
// kept.
inline uint32_t KeepOrdinates(float* y, uint32_t n, float* maxAbs) {
  uint32_t i = 0, count = 0;  // n < 2^32
  float top = *maxAbs;
#if defined(__x86_64__)
  const __m128 limit = _mm_set1_ps(static_cast<float>(VIEW_MISSING_VALUE));
  const __m128 sign = _mm_set1_ps(-0.0f);
  __m128i missing = _mm_setzero_si128();  // minus the count, lane by lane
  __m128 most = _mm_setzero_ps();
  for (; i + 4 <= n; i += 4) {
    const __m128 value = _mm_loadu_ps(y + i);
    const __m128 size = _mm_andnot_ps(sign, value);
    const __m128 keep = _mm_cmplt_ps(size, limit);  // not a number: false
    _mm_storeu_ps(y + i, _mm_and_ps(value, keep));
    most = _mm_max_ps(most, _mm_and_ps(size, keep));
    missing = _mm_sub_epi32(missing, _mm_castps_si128(_mm_xor_ps(keep, _mm_castsi128_ps(_mm_set1_epi32(-1)))));
  }
  alignas(16) uint32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), missing);
  count = lanes[0] + lanes[1] + lanes[2] + lanes[3];
  alignas(16) float tops[4];
  _mm_store_ps(tops, most);
  for (float t : tops) top = t > top ? t : top;
#endif
  for (; i < n; ++i) {
    const float size = std::fabs(y[i]);
    const bool keep = size < static_cast<float>(VIEW_MISSING_VALUE);
    count += keep ? 0u : 1u;
    y[i] = keep ? y[i] : 0.0f;
    top = keep && size > top ? size : top;
  }
  *maxAbs = top;
  return count;
}

// Makes the raw block of work (n points as read) its ordinates, with their largest
// magnitude; the missing values from fresh on (the points no block before had) are
// counted.
inline uint32_t BlockOrdinates(ViewWork& work, uint32_t n, uint32_t fresh) {
  if (fresh > n) fresh = n;
  work.maxAbs = 0.0f;
  KeepOrdinates(work.raw, fresh, &work.maxAbs);
  return KeepOrdinates(work.raw + fresh, n - fresh, &work.maxAbs);
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

// Works out the spline of the block of work (n points at p0, its ordinates and their
// largest magnitude set) window by window and samples the active levels of runs
// over each for positions below limit; false when the spline could not be worked
// out.
template <class Spline>
inline bool SampleBlock(LevelRun* runs, Spline& spline, const ViewWork& work, uint32_t n, double p0, double limit,
                        ViewLevelOut* levels) {
  return spline.FitWindows(work, n, [&](uint32_t first, uint32_t last, const double* y2, bool final) {
    spline.AttachWindow(work.y + first, y2, n - first);
    const double end = p0 + static_cast<double>(last);
    SampleLevels(runs, spline, p0 + static_cast<double>(first), final || limit < end ? limit : end, levels);
  });
}

}  // namespace viewdetail

// One pass over the raw file fd (rawPoints floats) building every level of
// levels[0..2] whose kind is not none, with blocks of up to work.points points.
template <class Spline>
ViewDecimateEnd ViewDecimate(int fd, uint64_t rawPoints, ViewLevelOut* levels, ViewWork& work, Spline& spline,
                             const ViewDecimateHooks& hooks, ViewDecimateStats* stats) {
  using viewdetail::LevelRun;
  const uint32_t cap = work.points;
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
    const int64_t got = viewdetail::ReadBlock(fd, p0, work.raw, want);
    if (got < 0) return ViewDecimateEnd::ReadFailed;
    const uint32_t n = static_cast<uint32_t>(got);
    if (n == 0) break;
    if (hooks.stop && hooks.stop()) return ViewDecimateEnd::Stopped;

    const uint32_t fresh = countedEnd > p0 ? static_cast<uint32_t>(std::min<uint64_t>(countedEnd - p0, n)) : 0;
    const uint32_t overflows = viewdetail::BlockOrdinates(work, n, fresh);
    if (stats) stats->overflows += overflows;
    if (p0 + n > countedEnd) countedEnd = p0 + n;
    if (stats) stats->pointsRead += n;

    const bool last = n < want || p0 + n >= rawPoints || n <= 2 * VIEW_BLOCK_MARGIN + 1;
    if (hooks.block) hooks.block(viewdetail::BlockStartOf(p0, n, last, runs));
    const double pd = static_cast<double>(p0);
    const double limit = last ? pd + n : pd + n - 1 - VIEW_BLOCK_MARGIN;
    if (!viewdetail::SampleBlock(runs, spline, work, n, pd, limit, levels)) return ViewDecimateEnd::InternalError;
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

// Most view workers a pass uses.
constexpr unsigned kViewWorkersMax = 16;

// The pass of ViewDecimate with the blocks of the file cut into ranges of whole
// blocks, the ranges processed side by side: the calling thread takes the first,
// view workers (threads of their own at below-normal priority) the others. Each
// range starts at a block start of the one-thread pass and with the levels' state
// there, worked out from the sizes (ViewBlockSchedule); a pixel that a range starts
// inside is finished once the ranges before it are done, with its samples taken in
// the one-thread order, so every value is the one-thread pass's. Ranges are joined in
// order as soon as they and every range before them are done, which frees the
// samples they held back, and a thread takes a range only while it lies within twice
// the threads of the ranges joined: the memory of a pass is a few ranges' samples
// whatever the length of the file. works holds
// workCount work sets of the same size, one a thread. workers 1, or a file the
// schedule cannot cut (one block, a level disabled or a pass that fails on the way,
// an average level of pixels wider than half a block), runs the one-thread pass.
// The hooks are called on the calling thread only (block not at all when the ranges
// run side by side); stop is polled while the workers run. A file that turns out
// shorter than its size said, or samples to hold back that find no memory, are done
// again on one thread.
ViewDecimateEnd ViewDecimateOnWorkers(int fd, uint64_t rawPoints, ViewLevelOut* levels, ViewWork* works,
                                      int workCount, int workers, const ViewDecimateHooks& hooks,
                                      ViewDecimateStats* stats);

