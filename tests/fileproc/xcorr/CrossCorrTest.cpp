// Array cross-correlation: known shifts of a measured spectrum, the weights and the
// overlap lengths, the choice among equal maxima (exact and to nine digits) in both
// routines, the per-slot buffers of the pool twin, and refusals.
#include "fileproc/xcorr/CrossCorr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/windows/MessageBox.h"
#include "records/Cnv.h"
#include "records/XCorrWork.h"
#include "tests/support/XyData.h"

namespace {

std::vector<float> SpectrumY() { return qvtest::XyColumnY(); }

// Places a single product a * b at lag k (b moved forward by k for k >= 0, a for
// k < 0) at position p; groups far enough apart meet at no lag within the radius.
void Place(std::vector<float>& a, std::vector<float>& b, size_t p, int32_t k, float va, float vb) {
  if (k >= 0) {
    a[p] = va;
    b[p + k] = vb;
  } else {
    a[p - k] = va;
    b[p] = vb;
  }
}

struct Result {
  int32_t ok = 0;
  uint32_t index = 0;
  double max = 0.0;
};

Result Single(const std::vector<float>& a, const std::vector<float>& b, int32_t r, double d) {
  Result res;
  res.ok = CrossCorrArys(a.data(), b.data(), static_cast<uint32_t>(a.size()), r, d, &res.index, &res.max);
  return res;
}

Result Twin(const std::vector<float>& a, const std::vector<float>& b, int32_t r, double d, int16_t slot = 1) {
  Result res;
  const auto n = static_cast<uint32_t>(a.size());
  res.ok = CrossCorrArysTS(slot, a.data(), b.data(), n, n, r, d, &res.index, &res.max);
  return res;
}

class CrossCorrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cnv = CnvRecord{};
    XCorrWork = XCorrWorkRecord{};
    platform::ClearBoxLog();
  }
};

TEST_F(CrossCorrTest, FindsKnownShiftsOfASpectrumAndAnInvertedCopy) {
  const std::vector<float> y = SpectrumY();
  ASSERT_EQ(y.size(), 10000u);
  constexpr int32_t kR = 20;
  constexpr size_t kAt = 100;
  constexpr size_t kN = 8000;
  const std::vector<float> a(y.begin() + kAt, y.begin() + kAt + kN);
  for (int32_t shift : {3, -7}) {
    // b[i + shift] = a[i]: the copy lies later by `shift`, found at lag +shift.
    const std::vector<float> b(y.begin() + kAt - shift, y.begin() + kAt - shift + kN);
    for (const Result& r : {Single(a, b, kR, 0.01), Twin(a, b, kR, 0.01)}) {
      ASSERT_EQ(r.ok, 1);
      EXPECT_EQ(static_cast<int32_t>(r.index), kR + shift) << "shift " << shift;
    }
  }
  // An inverted copy lying 5 later: the maximum lies elsewhere, but the copy turned
  // back about its largest value is found at +5 with a larger maximum.
  std::vector<float> b(y.begin() + kAt - 5, y.begin() + kAt - 5 + kN);
  for (float& v : b) v = -v;
  const Result inverted = Twin(a, b, kR, 0.01);
  float top = -1e20f;
  for (float v : b) top = std::max(top, v);
  for (float& v : b) v = top - v;
  const Result turned = Twin(a, b, kR, 0.01);
  EXPECT_EQ(static_cast<int32_t>(turned.index), kR + 5);
  EXPECT_NE(inverted.index, turned.index);
  EXPECT_GE(turned.max, inverted.max);
  EXPECT_EQ(Single(a, b, kR, 0.01).index, turned.index);
}

TEST_F(CrossCorrTest, ValuesAreWeightedMeanProductsOverTheOverlap) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> value(-3.0f, 3.0f);
  std::vector<float> a(300), b(300);
  for (size_t i = 0; i < a.size(); ++i) {
    a[i] = value(rng);
    b[i] = value(rng);
  }
  constexpr int32_t kR = 37;  // lags side by side in groups, and a few left over
  const double d = 0.5;
  ASSERT_EQ(Single(a, b, kR, -d).ok, 1);  // a negative damping is its absolute value
  const std::vector<double>& ctr = XCorrWork.Single.ctr;
  ASSERT_EQ(ctr.size(), size_t{2 * kR + 1});
  for (int32_t k = -kR; k <= kR; ++k) {
    const int32_t m = 300 - std::abs(k);
    double sum = 0.0;
    for (int32_t i = 0; i < m; ++i)
      sum += k >= 0 ? double(a[i]) * double(b[i + k]) : double(a[i - k]) * double(b[i]);
    const double w = 1.0 - std::fabs(double(k) / kR) * d;
    EXPECT_EQ(ctr[kR + k], sum * (w / m)) << "lag " << k;  // every sum in the order of i
  }
  // The twin with the full length gives the same values; with fewer running terms
  // the overlap is min(nInner, nOuter - k), shorter for the later lags of a group.
  uint32_t index = 0;
  ASSERT_EQ(CrossCorrArysTS(2, a.data(), b.data(), 300, 300, kR, d, &index, nullptr), 1);
  EXPECT_EQ(XCorrWork.Slot[2].ctr, ctr);
  ASSERT_EQ(CrossCorrArysTS(2, a.data(), b.data(), 295, 290, kR, d, &index, nullptr), 1);
  for (int32_t k = 0; k <= kR; ++k) {
    const int32_t m = std::min(290, 295 - k);
    double fwd = 0.0, bwd = 0.0;
    for (int32_t i = 0; i < m; ++i) {
      fwd += double(a[i]) * double(b[i + k]);
      bwd += double(a[i + k]) * double(b[i]);
    }
    const double s = (1.0 - std::fabs(double(k) / kR) * d) / m;
    EXPECT_EQ(XCorrWork.Slot[2].ctr[kR + k], fwd * s) << "lag " << k;
    EXPECT_EQ(XCorrWork.Slot[2].ctr[kR - k], bwd * s) << "lag " << -k;
  }
}

TEST_F(CrossCorrTest, DampingZeroRadiusAndShortOverlaps) {
  const std::vector<float> ones(40, 1.0f);
  // d = 1: weights fall from 1 at zero lag to exactly 0 at the ends.
  Result r = Single(ones, ones, 10, 1.0);
  EXPECT_EQ(r.index, 10u);
  EXPECT_DOUBLE_EQ(r.max, 1.0);
  EXPECT_EQ(XCorrWork.Single.ctr.front(), 0.0);
  EXPECT_EQ(XCorrWork.Single.ctr.back(), 0.0);
  EXPECT_DOUBLE_EQ(XCorrWork.Single.ctr[15], 0.5);
  // d = 2 cuts off every lag from half the radius out.
  Twin(ones, ones, 10, 2.0);
  for (int32_t c = 0; c <= 20; ++c) EXPECT_EQ(XCorrWork.Slot[1].ctr[c] == 0.0, std::abs(c - 10) >= 5) << c;
  // d = 0: all lags equal, the centre wins in both.
  EXPECT_EQ(Single(ones, ones, 10, 0.0).index, 10u);
  EXPECT_EQ(Twin(ones, ones, 10, 0.0).index, 10u);
  // R = 0 and negative R: one entry, the mean product, index 0.
  const std::vector<float> a = {1.0f, 2.0f, 3.0f, 4.0f};
  const std::vector<float> b = {2.0f, 2.0f, -1.0f, 0.5f};
  for (int32_t radius : {0, -4}) {
    r = Single(a, b, radius, 1.0);
    EXPECT_EQ(r.ok, 1);
    EXPECT_EQ(r.index, 0u);
    EXPECT_DOUBLE_EQ(r.max, 5.0 / 4.0);
    r = Twin(a, b, radius, 1.0);
    EXPECT_EQ(r.index, 0u);
    EXPECT_DOUBLE_EQ(r.max, 5.0 / 4.0);
  }
  // Lags at or beyond the length have no overlap and read 0.
  Single(a, a, 6, 0.0);
  for (int32_t c = 0; c <= 12; ++c) EXPECT_EQ(XCorrWork.Single.ctr[c] == 0.0, std::abs(c - 6) >= 4) << c;
}

// Products of 1 at lags -3 and +3 (the one at +3 larger by `extra`), and optionally a
// zero-lag product equal in mean: 1027 = 1024 + 3 makes 1027/1024 over 1027 terms
// the same mean as 1 over 1024.
void Ties(std::vector<float>& a, std::vector<float>& b, float extraAtPlus, float extraAtMinus, bool atZero) {
  a.assign(1027, 0.0f);
  b.assign(1027, 0.0f);
  Place(a, b, 100, 3, 1.0f, 1.0f);
  Place(a, b, 200, -3, 1.0f, 1.0f);
  if (extraAtPlus != 0.0f) Place(a, b, 300, 3, extraAtPlus, 1.0f);
  if (extraAtMinus != 0.0f) Place(a, b, 400, -3, extraAtMinus, 1.0f);
  if (atZero) Place(a, b, 500, 0, 1027.0f / 1024.0f, 1.0f);
}

TEST_F(CrossCorrTest, EqualMaximaNearestZeroLagWithEachRoutinesTieOrder) {
  constexpr int32_t kR = 10;
  std::vector<float> a, b;
  // Exactly equal at -3 and +3: the single routine keeps the lower index, the twin
  // the last index holding the maximum.
  Ties(a, b, 0.0f, 0.0f, false);
  EXPECT_EQ(Single(a, b, kR, 0.0).index, uint32_t{kR - 3});
  EXPECT_EQ(Twin(a, b, kR, 0.0).index, uint32_t{kR + 3});
  // Equal to nine digits (2^-40 apart): still a tie; the twin lists the exact
  // maximum first, wherever it lies.
  Ties(a, b, std::ldexp(1.0f, -40), 0.0f, false);
  EXPECT_EQ(Single(a, b, kR, 0.0).index, uint32_t{kR - 3});
  EXPECT_EQ(Twin(a, b, kR, 0.0).index, uint32_t{kR + 3});
  Ties(a, b, 0.0f, std::ldexp(1.0f, -40), false);
  EXPECT_EQ(Single(a, b, kR, 0.0).index, uint32_t{kR - 3});
  EXPECT_EQ(Twin(a, b, kR, 0.0).index, uint32_t{kR - 3});
  // Apart in the seventh digit: no tie.
  Ties(a, b, std::ldexp(1.0f, -20), 0.0f, false);
  EXPECT_EQ(Single(a, b, kR, 0.0).index, uint32_t{kR + 3});
  EXPECT_EQ(Twin(a, b, kR, 0.0).index, uint32_t{kR + 3});
  // A zero-lag value equal to the others is always chosen.
  Ties(a, b, 0.0f, 0.0f, true);
  EXPECT_EQ(Single(a, b, kR, 0.0).index, uint32_t{kR});
  EXPECT_EQ(Twin(a, b, kR, 0.0).index, uint32_t{kR});
}

TEST_F(CrossCorrTest, ValuesBeyondThe32BitScaleAreNotEqual) {
  // A small positive maximum at +2 beside lags far below it: scaled to nine digits of
  // the maximum they leave the 32-bit range and count as unequal, never wrap.
  std::vector<float> a(400, 0.0f), b(400, 0.0f);
  Place(a, b, 50, 2, 1e-3f, 1e-3f);
  Place(a, b, 150, -4, 1e18f, -1e18f);
  Place(a, b, 250, 1, -1e15f, 1e15f);
  const Result s = Single(a, b, 8, 0.0);
  const Result t = Twin(a, b, 8, 0.0);
  EXPECT_EQ(s.index, 10u);
  EXPECT_EQ(t.index, 10u);
  // Not a number at zero lag leaves nothing to choose: zero shift.
  std::vector<float> c(400, 0.0f);
  c[7] = std::nanf("");
  EXPECT_EQ(Single(c, c, 8, 0.0).index, 8u);
  EXPECT_EQ(Twin(c, c, 8, 0.0).index, 8u);
}

TEST_F(CrossCorrTest, TwinKeepsBuffersPerSlotAndRefusesBadCalls) {
  const std::vector<float> y = SpectrumY();
  ASSERT_GE(y.size(), 4200u);
  const std::vector<float> a(y.begin() + 100, y.begin() + 4100);
  const std::vector<float> b(y.begin() + 96, y.begin() + 4096);  // lies 4 later
  ASSERT_EQ(Twin(a, b, 16, 0.2, 3).index, 20u);
  const double* ctr = XCorrWork.Slot[3].ctr.data();
  const double* wt = XCorrWork.Slot[3].wt.data();
  const double edge = XCorrWork.Slot[3].wt[0];
  EXPECT_DOUBLE_EQ(edge, 0.8);
  ASSERT_EQ(Twin(a, b, 16, 0.2, 3).index, 20u);
  EXPECT_EQ(XCorrWork.Slot[3].ctr.data(), ctr);  // same radius and damping: nothing allocated
  EXPECT_EQ(XCorrWork.Slot[3].wt.data(), wt);
  ASSERT_EQ(Twin(a, b, 16, 0.5, 3).ok, 1);
  EXPECT_DOUBLE_EQ(XCorrWork.Slot[3].wt[0], 0.5);  // a new damping: new weights
  EXPECT_EQ(XCorrWork.Slot[4].radius, -1);           // other slots untouched

  // Workers on their own slots run at once and agree with the single routine.
  const uint32_t expected = Single(a, b, 24, 0.1).index;
  std::vector<uint32_t> got(8, 0);
  std::vector<std::thread> pool;
  for (int16_t w = 0; w < 8; ++w)
    pool.emplace_back([&, w] {
      for (int rep = 0; rep < 3; ++rep)
        CrossCorrArysTS(static_cast<int16_t>(w + 1), a.data(), b.data(), 4000, 4000, 24 + rep % 2, 0.1,
                        &got[static_cast<size_t>(w)], nullptr);
    });
  for (auto& t : pool) t.join();
  for (uint32_t g : got) EXPECT_EQ(g, expected);

  // Refusals: zero shift, no box.
  uint32_t index = 0;
  EXPECT_EQ(CrossCorrArysTS(30, a.data(), b.data(), 4000, 4000, 9, 0.1, &index, nullptr), 0);
  EXPECT_EQ(index, 9u);
  EXPECT_EQ(CrossCorrArysTS(-1, a.data(), b.data(), 4000, 4000, 9, 0.1, &index, nullptr), 0);
  EXPECT_EQ(CrossCorrArysTS(1, a.data(), b.data(), 4000, 4000, 9, 0.1, nullptr, nullptr), 0);
  index = 0;
  EXPECT_EQ(CrossCorrArys(nullptr, b.data(), 4000, 5, 0.1, &index, nullptr), 0);
  EXPECT_EQ(index, 5u);
  EXPECT_TRUE(platform::BoxLog().empty());
}

}  // namespace
