#include "numerics/Derivative.h"

#include <cmath>
#include <vector>

#include "NumericsFixture.h"

namespace {

using DerivativeTest = qvtest::NumericsTest;

TEST_F(DerivativeTest, ChebevSumsKnownSeries) {
  // exp(y) = I0(1) + 2 sum I_k(1) T_k(y): c_k = 2 I_k(1), c[0] halved by chebev.
  std::vector<double> c(16);
  for (int k = 0; k < 16; ++k) c[k] = 2.0 * std::cyl_bessel_i(static_cast<double>(k), 1.0);
  for (double y : {-1.0, -0.3, 0.0, 0.55, 1.0}) EXPECT_NEAR(chebev(-1.0, 1.0, c.data(), 16, y), std::exp(y), 1e-14);
  // On [0, 4], ((x - 2) / 2)^2 = (T0 + T2) / 2: c = (1, 0, 0.5); the ends evaluate normally.
  const double q[3] = {1.0, 0.0, 0.5};
  for (double x : {0.0, 1.0, 2.5, 4.0}) EXPECT_NEAR(chebev(0.0, 4.0, q, 3, x), (x - 2) * (x - 2) / 4, 1e-15);
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(DerivativeTest, ChebevOutsideRangeShowsMessageAndGivesZero) {
  const double q[3] = {1.0, 0.0, 0.5};
  EXPECT_EQ(chebev(0.0, 4.0, q, 3, 4.000001), 0.0);
  EXPECT_EQ(OnlyErrorBox(), "chebev()\n\nX OUT OF RANGE ERROR");
}

// y = a1 sin(a2 x) + exp(a3 x).
void SineModel(int16_t, int16_t, int32_t, double x, double* a, double* y, double* dyda, int32_t) {
  *y = a[1] * std::sin(a[2] * x) + std::exp(a[3] * x);
  dyda[1] = dyda[2] = dyda[3] = 0.0;  // not used by dfridr
}

TEST_F(DerivativeTest, DfridrMatchesAnalyticDerivatives) {
  std::vector<double> a = {0, 2.0, 1.3, -0.4};
  const double x = 0.7;
  float err = 0.0f;
  const float d2 = dfridr(SineModel, 0, 0, 3, x, a.data(), 3, 2, 0.1f, &err);
  EXPECT_NEAR(d2, 2.0 * x * std::cos(1.3 * x), 1e-4);
  EXPECT_LT(err, 1e-3f);
  const float d3 = dfridr(SineModel, 0, 0, 3, x, a.data(), 3, 3, 0.1f, &err);
  EXPECT_NEAR(d3, x * std::exp(-0.4 * x), 1e-4);
  const float d1 = dfridr(SineModel, 0, 0, 3, x, a.data(), 3, 1, 0.5f, &err);
  EXPECT_NEAR(d1, std::sin(1.3 * x), 1e-5);
  EXPECT_EQ(a, (std::vector<double>{0, 2.0, 1.3, -0.4}));  // parameters restored
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(DerivativeTest, DfridrRefusesZeroStep) {
  std::vector<double> a = {0, 2.0, 1.3, -0.4};
  float err = 0.0f;
  EXPECT_EQ(dfridr(SineModel, 0, 0, 0, 0.5, a.data(), 3, 2, 0.0f, &err), 0.0f);
  EXPECT_EQ(err, 1.0e30f);
  EXPECT_EQ(OnlyErrorBox(), "dfridr()\n\nh must be nonzero in dfridr");
}

}  // namespace
