#include "numerics/Spline.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "NumericsFixture.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"

namespace {

using SplineTest = qvtest::NumericsTest;

double Cubic(double x) { return 1.0 - 2.0 * x + 0.5 * x * x + 0.3 * x * x * x; }
double CubicSlope(double x) { return -2.0 + x + 0.9 * x * x; }

TEST_F(SplineTest, ClampedSplineReproducesCubic) {
  const std::vector<double> x = {0, -1.0, -0.2, 0.5, 0.9, 2.0, 2.3, 3.5};  // uneven knots
  const int n = 7;
  std::vector<double> y(n + 1), y2(n + 1);
  for (int i = 1; i <= n; ++i) y[i] = Cubic(x[i]);
  ASSERT_EQ(DSpline(x.data(), y.data(), n, CubicSlope(x[1]), CubicSlope(x[n]), y2.data(), 0), 1);
  for (int i = 1; i <= n; ++i) EXPECT_NEAR(y2[i], 1.0 + 1.8 * x[i], 1e-12);
  for (double t = -1.5; t <= 4.0; t += 0.013) {  // also beyond the ends: end cubics extend
    double v = 0.0;
    ASSERT_EQ(DSplint(x.data(), y.data(), y2.data(), n, t, &v), 1);
    EXPECT_NEAR(v, Cubic(t), 1e-11) << t;
  }
  // Single precision.
  std::vector<float> fx(n + 1), fy(n + 1), fy2(n + 1);
  for (int i = 1; i <= n; ++i) {
    fx[i] = static_cast<float>(x[i]);
    fy[i] = static_cast<float>(Cubic(fx[i]));
  }
  ASSERT_EQ(FSpline(fx.data(), fy.data(), n, static_cast<float>(CubicSlope(fx[1])),
                    static_cast<float>(CubicSlope(fx[n])), fy2.data()),
            1);
  for (float t = -1.0f; t <= 3.5f; t += 0.05f) {
    float v = 0.0f;
    ASSERT_EQ(FSplint(fx.data(), fy.data(), fy2.data(), n, t, &v), 1);
    EXPECT_NEAR(v, Cubic(t), 2e-4) << t;
  }
}

TEST_F(SplineTest, NaturalSplineReproducesStraightLinesAndKnots) {
  const std::vector<double> x = {0, 0.0, 0.3, 1.7, 2.0, 5.5};
  const int n = 5;
  std::vector<double> y(n + 1), y2(n + 1, 99.0);
  for (int i = 1; i <= n; ++i) y[i] = 4.0 - 1.25 * x[i];
  ASSERT_EQ(DSpline(x.data(), y.data(), n, SPLINE_NATURAL, SPLINE_NATURAL, y2.data(), 0), 1);
  for (int i = 1; i <= n; ++i) EXPECT_NEAR(y2[i], 0.0, 1e-14);
  for (double t = -1.0; t <= 6.0; t += 0.1) {
    double v = 0.0;
    ASSERT_EQ(DSplint(x.data(), y.data(), y2.data(), n, t, &v), 1);
    EXPECT_NEAR(v, 4.0 - 1.25 * t, 1e-12);
  }
  // A curved natural spline still passes through its knots; its end curvature is 0.
  std::vector<float> fx = {0, 0.0f, 1.0f, 2.5f, 3.0f}, fy = {0, 1.0f, -2.0f, 0.5f, 4.0f}, fy2(5);
  ASSERT_EQ(FSpline(fx.data(), fy.data(), 4, 1e30f, 1e30f, fy2.data()), 1);
  EXPECT_EQ(fy2[1], 0.0f);
  EXPECT_EQ(fy2[4], 0.0f);
  for (int i = 1; i <= 4; ++i) {
    float v = 0.0f;
    ASSERT_EQ(FSplint(fx.data(), fy.data(), fy2.data(), 4, fx[i], &v), 1);
    EXPECT_NEAR(v, fy[i], 1e-6f);
  }
}

TEST_F(SplineTest, EqualAbscissaeAndTooFewKnotsAreRefused) {
  // Bisection over (0, 1, 1) at 1 brackets the equal pair.
  std::vector<float> x = {0, 0.0f, 1.0f, 1.0f}, y = {0, 0.0f, 1.0f, 2.0f}, y2(4, 0.0f);
  float v = 42.0f;
  EXPECT_EQ(FSplint(x.data(), y.data(), y2.data(), 3, 1.0f, &v), -1);
  EXPECT_EQ(v, 42.0f);
  EXPECT_TRUE(platform::BoxLog().empty());  // the callers report it
  // Fewer than two knots: refused instead of reading beyond the arrays.
  EXPECT_EQ(FSplint(x.data(), y.data(), y2.data(), 1, 0.5f, &v), -1);
  double dv = 7.0;
  std::vector<double> dx = {0, 1.0}, dy = {0, 2.0}, dy2(2);
  EXPECT_EQ(DSplint(dx.data(), dy.data(), dy2.data(), 1, 1.0, &dv), -1);
  EXPECT_EQ(dv, 7.0);
  EXPECT_EQ(DSpline(dx.data(), dy.data(), 1, SPLINE_NATURAL, SPLINE_NATURAL, dy2.data(), 0), -1);
  EXPECT_EQ(OnlyErrorBox(), "DSpline()\n\nTOO FEW KNOTS N=[1]");
}

TEST_F(SplineTest, CursorGivesTheBisectionsValuesBitForBit) {
  // Uneven rising knots; x walks up and down in small and large steps, jumps back,
  // stays outside both ends, lands on knots and is NaN.
  const int n = 40;
  std::vector<float> x(n + 1), y(n + 1), y2(n + 1);
  for (int i = 1; i <= n; ++i) {
    x[i] = static_cast<float>(i * i) * 0.01f - 2.0f;
    y[i] = std::sin(static_cast<float>(i) * 0.7f);
  }
  ASSERT_EQ(FSpline(x.data(), y.data(), n, 1e30f, 1e30f, y2.data()), 1);
  std::vector<float> ts;
  for (float t = -3.0f; t < 15.0f; t += 0.037f) ts.push_back(t);
  for (float t = 15.0f; t > -3.0f; t -= 0.41f) ts.push_back(t);
  for (int i = 1; i <= n; i += 3) ts.push_back(x[i]);
  ts.insert(ts.end(), {14.0f, -2.5f, 0.3f, std::nanf(""), 0.31f, 13.9f});
  const auto agree = [&](const std::vector<float>& knots) {
    spline::Cursor<float> cursor(knots.data(), y.data(), y2.data(), n);
    for (float t : ts) {
      float a = -7.0f, b = -7.0f;
      const bool bisected = FSplint(knots.data(), y.data(), y2.data(), n, t, &a) == 1;
      EXPECT_EQ(cursor.At(t, &b), bisected) << t;
      EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << t << ": " << a << " " << b;
    }
  };
  agree(x);
  // Knots that do not rise strictly: a run of equal abscissae and a step back.
  std::vector<float> flat = x;
  flat[20] = flat[21] = flat[22];
  agree(flat);
  std::vector<float> back = x;
  std::swap(back[10], back[11]);
  agree(back);
  // The double form over the same knots.
  std::vector<double> dx(x.begin(), x.end()), dy(y.begin(), y.end()), dy2(n + 1);
  ASSERT_EQ(DSpline(dx.data(), dy.data(), n, SPLINE_NATURAL, SPLINE_NATURAL, dy2.data(), 0), 1);
  spline::Cursor<double> cursor(dx.data(), dy.data(), dy2.data(), n);
  for (float t : ts) {
    double a = 0.0, b = 0.0;
    DSplint(dx.data(), dy.data(), dy2.data(), n, t, &a);
    cursor.At(t, &b);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << t;
  }
}

TEST_F(SplineTest, PlotFlagWritesKnotsAndSizesMayChange) {
  std::vector<double> x8(9), y8(9), y28(9);
  for (int i = 1; i <= 8; ++i) {
    x8[i] = i;
    y8[i] = i * i;
  }
  ASSERT_EQ(DSpline(x8.data(), y8.data(), 8, SPLINE_NATURAL, SPLINE_NATURAL, y28.data(), 0), 1);
  std::vector<double> x = {0, 1.0, 2.5, 3.0, 4.25, 6.0}, y = {0, -1.0, 2.0, 0.5, 10.125, 3.0}, y2(6);
  ASSERT_EQ(DSpline(x.data(), y.data(), 5, SPLINE_NATURAL, SPLINE_NATURAL, y2.data(), 1), 1);
  const auto read = [&](const char* name) {
    std::ifstream in(dir_.File(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  };
  const std::string knots =
      "      1.000000      -1.000000\r\n"
      "      2.500000       2.000000\r\n"
      "      3.000000       0.500000\r\n"
      "      4.250000      10.125000\r\n"
      "      6.000000       3.000000\r\n";
  EXPECT_EQ(read("PLOT.dat"), knots);
  // The name is the shared one, not a fixed one.
  ASSERT_TRUE(StrCopy(Dsp.Plot_Flnm, "knots.txt"));
  ASSERT_EQ(DSpline(x.data(), y.data(), 5, SPLINE_NATURAL, SPLINE_NATURAL, y2.data(), 1), 1);
  EXPECT_EQ(read("knots.txt"), knots);
}

}  // namespace
