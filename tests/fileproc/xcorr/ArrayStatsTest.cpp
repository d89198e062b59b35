// Minimum, maximum, mean and RMS of index ranges and of differences of two traces,
// against a plain two-pass reference in double precision.
#include "fileproc/xcorr/ArrayStats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

struct Ref {
  double min, max, mean, rms;
};

template <typename T>
Ref Reference(const std::vector<T>& v, int64_t lo, int64_t hi) {
  Ref r{static_cast<double>(v[lo]), static_cast<double>(v[lo]), 0.0, 0.0};
  for (int64_t i = lo; i <= hi; ++i) {
    r.min = std::min(r.min, static_cast<double>(v[i]));
    r.max = std::max(r.max, static_cast<double>(v[i]));
    r.mean += static_cast<double>(v[i]);
  }
  const double count = static_cast<double>(hi - lo + 1);
  r.mean /= count;
  for (int64_t i = lo; i <= hi; ++i) r.rms += (v[i] - r.mean) * (v[i] - r.mean);
  r.rms = count > 1 ? std::sqrt(r.rms / (count - 1)) : 0.0;
  return r;
}

void ExpectNear(const Ref& want, double mn, double mx, double mean, double rms) {
  EXPECT_EQ(mn, want.min);
  EXPECT_EQ(mx, want.max);
  EXPECT_NEAR(mean, want.mean, 1e-9 * (1.0 + std::fabs(want.mean)));
  EXPECT_NEAR(rms, want.rms, 1e-9 * (1.0 + want.rms));
}

TEST(ArrayStatsTest, RandomRangesOfEveryTypeMatchTheTwoPassReference) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> value(-1e6, 1e6);
  const uint32_t n = 5000;
  std::vector<int32_t> l(n);
  std::vector<float> f(n);
  std::vector<double> d(n);
  for (uint32_t i = 0; i < n; ++i) {
    d[i] = value(rng);
    f[i] = static_cast<float>(d[i]);
    l[i] = static_cast<int32_t>(d[i]);
  }
  std::uniform_int_distribution<int32_t> index(0, static_cast<int32_t>(n) - 1);
  for (int round = 0; round < 50; ++round) {
    int32_t lo = index(rng);
    int32_t hi = index(rng);
    if (hi < lo) std::swap(lo, hi);
    if (lo == 0 && hi == 0) hi = 1;
    double mn = 0, mx = 0, mean = 0, rms = 0;
    ASSERT_EQ(ManFindMinMaxDiffAveRMS1DAry(l.data(), nullptr, nullptr, n, lo, hi, &mn, &mx, &mean, &rms), 1);
    ExpectNear(Reference(l, lo, hi), mn, mx, mean, rms);
    ASSERT_EQ(ManFindMinMaxDiffAveRMS1DAry(nullptr, f.data(), nullptr, n, lo, hi, &mn, &mx, &mean, &rms), 1);
    ExpectNear(Reference(f, lo, hi), mn, mx, mean, rms);
    ASSERT_EQ(ManFindMinMaxDiffAveRMS1DAry(nullptr, nullptr, d.data(), n, lo, hi, &mn, &mx, &mean, &rms), 1);
    ExpectNear(Reference(d, lo, hi), mn, mx, mean, rms);
    // Several arrays: the last one given wins.
    ASSERT_EQ(ManFindMinMaxDiffAveRMS1DAry(l.data(), nullptr, d.data(), n, lo, hi, &mn, &mx, &mean, nullptr), 1);
    EXPECT_EQ(mn, Reference(d, lo, hi).min);
  }
}

TEST(ArrayStatsTest, RangeRulesAndStartingExtremes) {
  std::vector<double> d = {5, 1, 9, 3, 7, 4, 8};
  const uint32_t n = static_cast<uint32_t>(d.size());
  double mn = 0, mx = 0, mean = 0, rms = -1;
  // lo = hi = 0: the whole array, not point 0.
  ASSERT_EQ(ManFindMinMaxDiffAveRMS1DAry(nullptr, nullptr, d.data(), n, 0, 0, &mn, &mx, &mean, &rms), 1);
  ExpectNear(Reference(d, 0, 6), mn, mx, mean, rms);
  // lo = hi = 5: the single point 5, RMS 0.
  ASSERT_EQ(ManFindMinMaxDiffAveRMS1DAry(nullptr, nullptr, d.data(), n, 5, 5, &mn, &mx, &mean, &rms), 1);
  EXPECT_EQ(mn, 4.0);
  EXPECT_EQ(mx, 4.0);
  EXPECT_EQ(mean, 4.0);
  EXPECT_EQ(rms, 0.0);
  // hi beyond the end, hi below lo and a negative lo: the whole array, not a clipped range.
  for (auto [lo, hi] : {std::pair{3, 7}, std::pair{4, 2}, std::pair{-1, 3}}) {
    ASSERT_EQ(ManFindMinMaxDiffAveRMS1DAry(nullptr, nullptr, d.data(), n, lo, hi, &mn, &mx, &mean, &rms), 1);
    EXPECT_EQ(mn, 1.0);
    EXPECT_EQ(mx, 9.0);
  }
  // Inclusive limits.
  ASSERT_EQ(ManFindMinMaxDiffAveRMS1DAry(nullptr, nullptr, d.data(), n, 1, 2, &mn, &mx, &mean, nullptr), 1);
  EXPECT_EQ(mean, 5.0);
  // Floats beyond 1e20 never replace the starting minimum.
  std::vector<float> big = {3e20f, 5e20f};
  ASSERT_EQ(ManFindMinMaxDiffAveRMS1DAry(nullptr, big.data(), nullptr, 2, 0, 0, &mn, &mx, nullptr, nullptr), 1);
  EXPECT_EQ(mn, static_cast<double>(1e20f));
  EXPECT_EQ(mx, static_cast<double>(5e20f));
  // n = 0: result 0, outputs untouched.
  mn = mx = 42.0;
  EXPECT_EQ(ManFindMinMaxDiffAveRMS1DAry(nullptr, nullptr, d.data(), 0, 0, 0, &mn, &mx, &mean, &rms), 0);
  EXPECT_EQ(mn, 42.0);
  EXPECT_EQ(ManFindMinMaxDiffAveRMS2DAry(nullptr, nullptr, nullptr, nullptr, d.data(), d.data(), 0, &mn, &mx,
                                         nullptr, nullptr),
            0);
}

TEST(ArrayStatsTest, DifferencesOfTwoTraces) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> value(-100, 100);
  const uint32_t n = 777;
  std::vector<double> a(n), b(n), diff(n);
  std::vector<float> fa(n), fb(n);
  for (uint32_t i = 0; i < n; ++i) {
    a[i] = value(rng);
    b[i] = value(rng);
    diff[i] = b[i] - a[i];
    fa[i] = static_cast<float>(a[i]);
    fb[i] = static_cast<float>(b[i]);
  }
  double mn = 0, mx = 0, mean = 0, rms = 0;
  ASSERT_EQ(ManFindMinMaxDiffAveRMS2DAry(nullptr, nullptr, nullptr, nullptr, a.data(), b.data(), n, &mn, &mx, &mean,
                                         &rms),
            1);
  ExpectNear(Reference(diff, 0, n - 1), mn, mx, mean, rms);
  // Equal traces: everything 0.
  ASSERT_EQ(ManFindMinMaxDiffAveRMS2DAry(nullptr, nullptr, fa.data(), fa.data(), nullptr, nullptr, n, &mn, &mx, &mean,
                                         &rms),
            1);
  EXPECT_EQ(mn, 0.0);
  EXPECT_EQ(mx, 0.0);
  EXPECT_EQ(mean, 0.0);
  EXPECT_EQ(rms, 0.0);
  // Integer differences beyond the 32-bit range are exact.
  std::vector<int32_t> la = {-2147483647 - 1, 0, 2147483647};
  std::vector<int32_t> lb = {2147483647, 0, -2147483647 - 1};
  ASSERT_EQ(ManFindMinMaxDiffAveRMS2DAry(la.data(), lb.data(), nullptr, nullptr, nullptr, nullptr, 3, &mn, &mx, &mean,
                                         nullptr),
            1);
  EXPECT_EQ(mx, 4294967295.0);
  EXPECT_EQ(mn, -4294967295.0);
  EXPECT_EQ(mean, 0.0);
}

}  // namespace
