#include "fileproc/xcorr/CrossCorr.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

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

// Mean products over the overlap for every lag: at lag k the terms run over
// i < nInner with i + k < nOuter.
void Correlate(const float* a, const float* b, uint32_t nOuter, uint32_t nInner, int32_t radius, const double* w,
               double* ctr) {
  for (int64_t k = 0; k <= radius; ++k) {
    const int64_t up = radius + k;
    const int64_t down = radius - k;
    if (w[up] == 0.0) {
      ctr[up] = 0.0;
      ctr[down] = 0.0;
      continue;
    }
    const int64_t terms = k < nOuter ? std::min<int64_t>(nInner, nOuter - k) : 0;
    if (terms <= 0) {
      ctr[up] = 0.0;
      ctr[down] = 0.0;
      continue;
    }
    const float* ak = a + k;
    const float* bk = b + k;
    double forward = 0.0;
    double backward = 0.0;
    // Two terms a turn, added in the same order as one at a time (the sums stay the
    // same to the last bit): the loop is bound by the two chains of additions, and with
    // half the turns its speed no longer depends on where the code happens to lie.
    int64_t i = 0;
    for (; i + 1 < terms; i += 2) {
      forward += static_cast<double>(a[i]) * static_cast<double>(bk[i]);
      backward += static_cast<double>(ak[i]) * static_cast<double>(b[i]);
      forward += static_cast<double>(a[i + 1]) * static_cast<double>(bk[i + 1]);
      backward += static_cast<double>(ak[i + 1]) * static_cast<double>(b[i + 1]);
    }
    if (i < terms) {
      forward += static_cast<double>(a[i]) * static_cast<double>(bk[i]);
      backward += static_cast<double>(ak[i]) * static_cast<double>(b[i]);
    }
    const double s = w[up] / static_cast<double>(terms);
    ctr[up] = forward * s;
    ctr[down] = backward * s;
  }
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
  double* ctr = set.ctr.data();
  Weights(set.wt.data(), radius, damp);
  Correlate(a, b, n, n, radius, set.wt.data(), ctr);

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
  double* ctr = set.ctr.data();
  Correlate(a, b, nOuter, nInner, radius, set.wt.data(), ctr);

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
