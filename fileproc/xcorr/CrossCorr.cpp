#include "fileproc/xcorr/CrossCorr.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/XCorrWork.h"

namespace {

// Sizes a set's three buffers to 2R + 1 entries. The set remembers the radius only
// when all three were had, so that a later call tries again.
bool SizeSet(XCorrSet& set, int32_t radius, const char* failure) {
  const size_t n = 2 * static_cast<size_t>(radius) + 1;
  set.radius = -1;
  try {
    set.ctr.resize(n);
    set.wt.resize(n);
    set.equal.resize(n);
  } catch (const std::bad_alloc&) {
    core_io::Error(failure);
    return false;
  }
  set.radius = radius;
  return true;
}

void Weights(double* w, int32_t radius, double damp) {
  const int64_t last = 2 * static_cast<int64_t>(radius);
  for (int64_t c = 0; c <= last; ++c) {
    if (damp == 0.0 || radius == 0) {
      w[c] = 1.0;
      continue;
    }
    const double k = static_cast<double>(c - radius);
    const double v = 1.0 - std::fabs(k / static_cast<double>(radius)) * damp;
    w[c] = v > 0.0 ? v : 0.0;
  }
}

// Terms at lag k: i < nInner with i + k < nOuter.
int64_t Terms(uint32_t nOuter, uint32_t nInner, int64_t k) {
  return k < nOuter ? std::min<int64_t>(nInner, nOuter - k) : 0;
}

// Lags side by side in vector lanes: every lag's two sums run one term after the
// other in the order of i, as one lag at a time adds them, so each sum keeps its bits
// (the products of two widened floats are exact); the lags share the loads and keep
// the adder busy with independent chains. Sixteen lags with AVX2 where the processor
// has it, else eight.
constexpr int64_t kLanesMost = 16;

// The two sums of each of the lags k .. k + 7 over their first m terms (m at most the
// terms of the last of them).
void LaneSums8(const double* a, const double* b, int64_t k, int64_t m, double* forward, double* backward) {
  const double* ak = a + k;
  const double* bk = b + k;
#if defined(__SSE2__)
  __m128d f[4], g[4];
  for (int q = 0; q < 4; ++q) f[q] = g[q] = _mm_setzero_pd();
  for (int64_t i = 0; i < m; ++i) {
    const __m128d x = _mm_set1_pd(a[i]);
    const __m128d y = _mm_set1_pd(b[i]);
    for (int q = 0; q < 4; ++q) {
      f[q] = _mm_add_pd(f[q], _mm_mul_pd(x, _mm_loadu_pd(bk + i + 2 * q)));
      g[q] = _mm_add_pd(g[q], _mm_mul_pd(_mm_loadu_pd(ak + i + 2 * q), y));
    }
  }
  for (int q = 0; q < 4; ++q) {
    _mm_storeu_pd(forward + 2 * q, f[q]);
    _mm_storeu_pd(backward + 2 * q, g[q]);
  }
#else
  for (int l = 0; l < 8; ++l) forward[l] = backward[l] = 0.0;
  for (int64_t i = 0; i < m; ++i)
    for (int l = 0; l < 8; ++l) {
      forward[l] += a[i] * bk[i + l];
      backward[l] += ak[i + l] * b[i];
    }
#endif
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
// The same for the lags k .. k + 15, four lanes a vector (no FMA: every product and
// sum rounded alone).
__attribute__((target("avx2"))) void LaneSums16(const double* a, const double* b, int64_t k, int64_t m,
                                                double* forward, double* backward) {
  const double* ak = a + k;
  const double* bk = b + k;
  __m256d f[4], g[4];
  for (int q = 0; q < 4; ++q) f[q] = g[q] = _mm256_setzero_pd();
  for (int64_t i = 0; i < m; ++i) {
    const __m256d x = _mm256_set1_pd(a[i]);
    const __m256d y = _mm256_set1_pd(b[i]);
    for (int q = 0; q < 4; ++q) {
      f[q] = _mm256_add_pd(f[q], _mm256_mul_pd(x, _mm256_loadu_pd(bk + i + 4 * q)));
      g[q] = _mm256_add_pd(g[q], _mm256_mul_pd(_mm256_loadu_pd(ak + i + 4 * q), y));
    }
  }
  for (int q = 0; q < 4; ++q) {
    _mm256_storeu_pd(forward + 4 * q, f[q]);
    _mm256_storeu_pd(backward + 4 * q, g[q]);
  }
}
bool Wide() { return __builtin_cpu_supports("avx2"); }
#else
void LaneSums16(const double* a, const double* b, int64_t k, int64_t m, double* forward, double* backward) {
  LaneSums8(a, b, k, m, forward, backward);
  LaneSums8(a, b, k + 8, m, forward + 8, backward + 8);
}
bool Wide() { return false; }
#endif

// Mean products over the overlap for every lag of the traces a and b widened to
// doubles: at lag k the terms run over i < nInner with i + k < nOuter.
void Correlate(const double* a, const double* b, uint32_t nOuter, uint32_t nInner, int32_t radius, const double* w,
               double* ctr) {
  const auto store = [&](int64_t k, int64_t terms, double forward, double backward) {
    const int64_t up = radius + k;
    const int64_t down = radius - k;
    if (w[up] == 0.0 || terms <= 0) {
      ctr[up] = 0.0;
      ctr[down] = 0.0;
      return;
    }
    const double s = w[up] / static_cast<double>(terms);
    ctr[up] = forward * s;
    ctr[down] = backward * s;
  };
  const int64_t lanes = Wide() ? 16 : 8;
  int64_t k = 0;
  for (; k + lanes <= static_cast<int64_t>(radius) + 1; k += lanes) {
    bool any = false;
    for (int64_t l = 0; l < lanes; ++l) any = any || (w[radius + k + l] != 0.0 && Terms(nOuter, nInner, k + l) > 0);
    double forward[kLanesMost] = {}, backward[kLanesMost] = {};
    if (any) {
      const int64_t common = std::max<int64_t>(0, Terms(nOuter, nInner, k + lanes - 1));
      if (lanes == 16) LaneSums16(a, b, k, common, forward, backward);
      else LaneSums8(a, b, k, common, forward, backward);
      // The terms the later lags of the group lack, lag by lag.
      for (int64_t l = 0; l < lanes; ++l) {
        const int64_t terms = Terms(nOuter, nInner, k + l);
        for (int64_t i = common; i < terms; ++i) {
          forward[l] += a[i] * b[i + k + l];
          backward[l] += a[i + k + l] * b[i];
        }
      }
    }
    for (int64_t l = 0; l < lanes; ++l) store(k + l, Terms(nOuter, nInner, k + l), forward[l], backward[l]);
  }
  for (; k <= radius; ++k) {
    const int64_t terms = Terms(nOuter, nInner, k);
    double forward = 0.0;
    double backward = 0.0;
    if (w[radius + k] != 0.0)
      for (int64_t i = 0; i < terms; ++i) {
        forward += a[i] * b[i + k];
        backward += a[i + k] * b[i];
      }
    store(k, terms, forward, backward);
  }
}

// The values of a and b that the lags up to R read, widened to doubles into the set's
// buffers (grown as needed); false when they cannot grow.
bool Widen(XCorrSet& set, const float* a, const float* b, uint32_t nOuter, uint32_t nInner, int32_t radius) {
  const size_t count = std::min<size_t>(nOuter, static_cast<size_t>(nInner) + static_cast<size_t>(radius));
  try {
    if (set.wideA.size() < count) set.wideA.resize(count);
    if (set.wideB.size() < count) set.wideB.resize(count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::copy(a, a + count, set.wideA.begin());
  std::copy(b, b + count, set.wideB.begin());
  return true;
}

// A value scaled to nine significant digits and rounded, as a 32-bit integer; false
// when it does not fit (or is not a number), so that it equals nothing.
bool Rounded(double v, double scale, int32_t* out) {
  const double x = v * scale + 0.5;
  if (!(x > -2147483649.0 && x < 2147483648.0)) return false;
  *out = static_cast<int32_t>(x);
  return true;
}

// The scale that leaves the maximum at most nine significant digits.
double NineDigitScale(double dmax) {
  double scale = 1e10;
  while (std::fabs(dmax * scale) >= 214748365.0) scale *= 0.1;
  return scale;
}

// Among the listed indices, the first one strictly nearest the centre R; R when the
// list is empty.
uint32_t Nearest(const uint32_t* list, size_t count, int32_t radius) {
  if (count == 0) return static_cast<uint32_t>(radius);
  uint32_t best = list[0];
  for (size_t j = 1; j < count; ++j) {
    const int64_t c = list[j];
    if (std::llabs(c - radius) < std::llabs(static_cast<int64_t>(best) - radius)) best = list[j];
  }
  return best;
}

void Normalise(int32_t* radius, double* damp) {
  if (*radius < 0) *radius = 0;
  if (*damp < 0.0) *damp = -*damp;
}

}  // namespace

int32_t CrossCorrArys(const float* a, const float* b, uint32_t n, int32_t radius, double damp, uint32_t* outIndex,
                      double* outMax) {
  const bool trace = Debug.DebugTraceFlag == 1;
  if (trace) DebugTrace(1, "CrossCorrArys()", DEBUG_ENTER);
  Normalise(&radius, &damp);
  XCorrSet& set = XCorrWork.Single;
  const bool ready = (a && b) && (radius == set.radius ||
                                  SizeSet(set, radius, "CrossCorrArys()/ctr_dary/wtcoeff_dary/equal_lary - CORE ALLOCATION ERROR"));
  if (!ready) {
    if (outIndex) *outIndex = static_cast<uint32_t>(radius);
    if (trace) DebugTrace(1, "CrossCorrArys()", DEBUG_EXIT);
    return 0;
  }
  if (!Widen(set, a, b, n, n, radius)) {
    core_io::Error("CrossCorrArys()/ctr_dary/wtcoeff_dary/equal_lary - CORE ALLOCATION ERROR");
    if (outIndex) *outIndex = static_cast<uint32_t>(radius);
    if (trace) DebugTrace(1, "CrossCorrArys()", DEBUG_EXIT);
    return 0;
  }
  double* ctr = set.ctr.data();
  Weights(set.wt.data(), radius, damp);
  Correlate(set.wideA.data(), set.wideB.data(), n, n, radius, set.wt.data(), ctr);

  const int64_t last = 2 * static_cast<int64_t>(radius);
  double dmax = ctr[0];
  for (int64_t c = 0; c <= last; ++c)
    if (ctr[c] >= dmax) dmax = ctr[c];
  if (outMax) *outMax = dmax;

  const double scale = NineDigitScale(dmax);
  int32_t target = 0;
  size_t count = 0;
  if (Rounded(dmax, scale, &target)) {
    for (int64_t c = 0; c <= last; ++c) {
      int32_t v = 0;
      if (Rounded(ctr[c], scale, &v) && v == target) set.equal[count++] = static_cast<uint32_t>(c);
    }
  }
  if (outIndex) *outIndex = Nearest(set.equal.data(), count, radius);
  if (trace) DebugTrace(1, "CrossCorrArys()", DEBUG_EXIT);
  return 1;
}

int32_t CrossCorrArysTS(int16_t slot, const float* a, const float* b, uint32_t nOuter, uint32_t nInner,
                        int32_t radius, double damp, uint32_t* outIndex, double* outMax) {
  Normalise(&radius, &damp);
  if (slot < 0 || slot >= CNV_SLOTS || !a || !b || !outIndex) {
    if (outIndex) *outIndex = static_cast<uint32_t>(radius);
    return 0;
  }
  XCorrSet& set = XCorrWork.Slot[slot];
  if (set.radius != radius || set.damp != damp) {
    if (!SizeSet(set, radius,
                 "CrossCorrArysTS()/Cnv.Tmp_CCCtr_DPt/Cnv.Tmp_CCWtCoeff_DPt/Tmp_CCEqual_LPt - CORE ALLOCATION ERROR")) {
      *outIndex = static_cast<uint32_t>(radius);
      return 0;
    }
    set.damp = damp;
    Weights(set.wt.data(), radius, damp);
  }
  if (!Widen(set, a, b, nOuter, nInner, radius)) {
    core_io::Error("CrossCorrArysTS()/Cnv.Tmp_CCCtr_DPt/Cnv.Tmp_CCWtCoeff_DPt/Tmp_CCEqual_LPt - CORE ALLOCATION ERROR");
    *outIndex = static_cast<uint32_t>(radius);
    return 0;
  }
  double* ctr = set.ctr.data();
  Correlate(set.wideA.data(), set.wideB.data(), nOuter, nInner, radius, set.wt.data(), ctr);

  // The last index holding the exact maximum is listed first.
  const int64_t last = 2 * static_cast<int64_t>(radius);
  double dmax = ctr[0];
  size_t count = 0;
  for (int64_t c = 0; c <= last; ++c) {
    if (ctr[c] >= dmax) {
      dmax = ctr[c];
      set.equal[0] = static_cast<uint32_t>(c);
      count = 1;
    }
  }
  if (outMax) *outMax = dmax;

  const double scale = NineDigitScale(dmax);
  int32_t target = 0;
  if (count == 1 && Rounded(dmax, scale, &target)) {
    for (int64_t c = 0; c <= last; ++c) {
      int32_t v = 0;
      if (c != set.equal[0] && Rounded(ctr[c], scale, &v) && v == target) set.equal[count++] = static_cast<uint32_t>(c);
    }
  }
  *outIndex = Nearest(set.equal.data(), count, radius);
  return 1;
}
