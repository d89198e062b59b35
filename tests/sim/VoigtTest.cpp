// The complex error function against libcerf, and its values on the axes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "lineshape/Voigt.h"

extern "C" double re_w_of_z(double x, double y);
extern "C" double im_w_of_z(double x, double y);

namespace {

double RelativeError(double x, double y) {
  const double z[2] = {x, y};
  double w[2];
  EXPECT_EQ(VoigtComplexErrorFn(z, w), 0) << x << " " << y;
  const double rr = re_w_of_z(x, y), ri = im_w_of_z(x, y);
  return std::hypot(w[0] - rr, w[1] - ri) / std::hypot(rr, ri);
}

TEST(VoigtTest, AgreesWithLibcerfOverTheAccuracyGrid) {
  // x from -60 to 60 (irregular steps so that no point repeats a special value), y
  // log-spaced from 1e-5 to 100: every region and both sides of their borders.
  double worst = 0.0, wx = 0.0, wy = 0.0;
  for (int i = 0; i <= 1200; ++i) {
    const double x = -60.0 + 0.1 * i + 1e-4 * (i % 7);
    for (int k = 0; k <= 140; ++k) {
      const double y = std::pow(10.0, -5.0 + 7.0 * k / 140.0);
      const double e = RelativeError(x, y);
      if (e > worst) worst = e, wx = x, wy = y;
    }
  }
  EXPECT_LT(worst, 1e-13) << "at x=" << wx << " y=" << wy;
  // Region borders themselves (rho = 0.292 and 1).
  for (double angle = 0.0; angle < 1.5708; angle += 0.05)
    for (double rho : {0.292, 0.2919999, 1.0, 0.9999999}) {
      const double x = rho * std::cos(angle) * 6.3, y = rho * std::sin(angle) * 4.4 + 1e-5;
      EXPECT_LT(RelativeError(x, y), 1e-13) << x << " " << y;
    }
}

TEST(VoigtTest, LowerHalfPlaneByReflection) {
  for (double x : {-3.0, -0.7, -0.01, 0.0, 0.2, 1.1, 2.5, 5.0, 9.0})
    for (double y : {-0.01, -0.2, -0.9, -1.5, -3.0}) EXPECT_LT(RelativeError(x, y), 1e-12) << x << " " << y;
}

TEST(VoigtTest, ValuesOnTheAxesAndOverflow) {
  double w[2];
  const double origin[2] = {0.0, 0.0};
  EXPECT_EQ(VoigtComplexErrorFn(origin, w), 0);
  EXPECT_EQ(w[0], 1.0);
  EXPECT_EQ(w[1], 0.0);
  // On the imaginary axis w is real (erfcx(y)).
  for (double y : {1e-5, 0.1, 1.0, 3.0, 10.0, 100.0}) {
    const double z[2] = {0.0, y};
    VoigtComplexErrorFn(z, w);
    EXPECT_EQ(w[1], 0.0) << y;
    const double reference = y < 20.0 ? std::exp(y * y) * std::erfc(y) : re_w_of_z(0.0, y);
    EXPECT_NEAR(w[0], reference, 1e-13 * w[0]) << y;
  }
  // On the real axis, in the series and fraction regions, Re w = exp(-x^2) exactly.
  for (double x : {2.0, 5.0, 7.0, 30.0, -4.0}) {
    const double z[2] = {x, 0.0};
    VoigtComplexErrorFn(z, w);
    EXPECT_EQ(w[0], std::exp(-x * x)) << x;
  }
  // Far below the axis exp(-z^2) overflows: flagged, both parts e^708.
  const double deep[2] = {0.5, -40.0};
  EXPECT_NE(VoigtComplexErrorFn(deep, w), 0);
  EXPECT_EQ(w[0], std::exp(708.0));
  EXPECT_EQ(w[1], std::exp(708.0));
  // A huge argument is still computed (by the quotient form of the fraction).
  const double huge[2] = {3e13, 2e13};
  EXPECT_EQ(VoigtComplexErrorFn(huge, w), 0);
  EXPECT_NEAR(w[0], re_w_of_z(3e13, 2e13), 1e-12 * std::fabs(re_w_of_z(3e13, 2e13)));
}

TEST(VoigtTest, ProfileHasAreaOneAndTheTextbookLimits) {
  // Gaussian 1, Lorentzian 0.5: integral over +-2000 widths (the wings fall as 1/d^2).
  double sum = 0.0;
  const double h = 0.01;
  for (int k = -200000; k <= 200000; ++k) sum += VoigtProfile(k * h, 1.0, 0.5) * h;
  EXPECT_NEAR(sum, 1.0, 2e-4);
  // Nearly pure Gaussian and nearly pure Lorentzian.
  EXPECT_NEAR(VoigtProfile(0.3, 1.0, 1e-9), std::sqrt(VOIGT_4LN2 / M_PI) * std::exp(-VOIGT_4LN2 * 0.09), 1e-8);
  EXPECT_NEAR(VoigtProfile(0.3, 1e-9, 1.0), (1.0 / (2 * M_PI)) / (0.25 + 0.09), 1e-6);
}

TEST(VoigtTest, ManyPointsGiveTheValuesOfOnePointEach) {
  // Points of every region, both half planes, the axes, overflow and huge arguments, in
  // an order that mixes regions and step counts; counts that leave short lane groups
  // and blocks.
  std::vector<double> zr, zi;
  for (int i = 0; i < 900; ++i) {
    const double x = (i % 2 ? -1.0 : 1.0) * std::pow(10.0, -3.0 + 5.0 * ((i * 37) % 900) / 900.0);
    const double y = std::pow(10.0, -5.0 + 7.0 * ((i * 53) % 900) / 900.0) * (i % 3 == 0 ? -0.01 : 1.0);
    zr.push_back(i % 41 == 0 ? 0.0 : x);
    zi.push_back(i % 43 == 0 ? 0.0 : y);
  }
  zr.insert(zr.end(), {3e13, 0.5, 0.0, 6.0, 2.0});
  zi.insert(zi.end(), {2e13, -40.0, 0.0, 0.0, -0.3});
  for (size_t count : {zr.size(), size_t{1}, size_t{3}, size_t{5}, size_t{64}, size_t{65}, size_t{131}}) {
    std::vector<double> wr(count), wi(count);
    std::vector<int16_t> flags(count);
    VoigtComplexErrorFnMany(zr.data(), zi.data(), static_cast<int32_t>(count), wr.data(), wi.data(), flags.data());
    for (size_t i = 0; i < count; ++i) {
      const double z[2] = {zr[i], zi[i]};
      double w[2];
      const int16_t flag = VoigtComplexErrorFn(z, w);
      EXPECT_EQ(flags[i], flag) << zr[i] << " " << zi[i];
      EXPECT_EQ(std::memcmp(&wr[i], &w[0], sizeof(double)), 0) << zr[i] << " " << zi[i];
      EXPECT_EQ(std::memcmp(&wi[i], &w[1], sizeof(double)), 0) << zr[i] << " " << zi[i];
    }
  }
  // The profile at many distances: the values of one call each.
  std::vector<double> d, v(300);
  for (int k = 0; k < 150; ++k) d.insert(d.end(), {0.05 * k + 0.0137, 0.05 * k - 0.0137});
  VoigtProfiles(d.data(), 300, 0.5, 0.2, v.data());
  for (int k = 0; k < 300; ++k) {
    const double one = VoigtProfile(d[k], 0.5, 0.2);
    EXPECT_EQ(std::memcmp(&v[k], &one, sizeof(double)), 0) << d[k];
  }
}

}  // namespace
