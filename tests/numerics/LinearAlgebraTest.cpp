#include "numerics/LinearAlgebra.h"

#include <cmath>
#include <vector>

#include "NumericsFixture.h"

namespace {

using qvtest::Matrix;
using LinearAlgebraTest = qvtest::NumericsTest;

// Basis table with row stride ma + 1 for the functions x^(j-1), j = 1..ma.
std::vector<double> PowerBasis(const std::vector<double>& x, int ma) {
  const int ndata = static_cast<int>(x.size()) - 1;
  std::vector<double> basis((ndata + 1) * (ma + 1), 0.0);
  for (int i = 1; i <= ndata; ++i) {
    double v = 1.0;
    for (int j = 1; j <= ma; ++j, v *= x[i]) basis[i * (ma + 1) + j] = v;
  }
  return basis;
}

TEST_F(LinearAlgebraTest, SvdfitRecoversStraightLineAndCubicExactly) {
  const int ndata = 9;
  std::vector<double> x(ndata + 1), y(ndata + 1), sig(ndata + 1, 1.0);
  for (int i = 1; i <= ndata; ++i) {
    x[i] = -2.0 + 0.7 * i;
    y[i] = 2.0 + 3.0 * x[i];
  }
  {
    const int ma = 2;
    std::vector<double> a(ma + 1, 0.0), w(ma + 1);
    std::vector<int32_t> lista = {0, 1, 2};
    Matrix u(ndata, ma), v(ma, ma);
    double chisq = -1.0;
    const auto basis = PowerBasis(x, ma);
    ASSERT_EQ(svdfit(0, y.data(), ndata, a.data(), ma, lista.data(), ma, u.p(), v.p(), w.data(), &chisq,
                     basis.data(), sig.data()),
              1);
    EXPECT_NEAR(a[1], 2.0, 1e-12);
    EXPECT_NEAR(a[2], 3.0, 1e-12);
    EXPECT_NEAR(chisq, 0.0, 1e-20);
  }
  {
    const int ma = 4;
    for (int i = 1; i <= ndata; ++i) {
      y[i] = 1.5 - 0.25 * x[i] + 2.0 * x[i] * x[i] - 0.5 * x[i] * x[i] * x[i];
      sig[i] = 0.5 + 0.1 * i;  // weights change nothing for an exact fit
    }
    std::vector<double> a(ma + 1, 0.0), w(ma + 1);
    std::vector<int32_t> lista = {0, 4, 2, 3, 1};  // any order of the listed parameters
    Matrix u(ndata, ma), v(ma, ma);
    double chisq = -1.0;
    const auto basis = PowerBasis(x, ma);
    ASSERT_EQ(svdfit(0, y.data(), ndata, a.data(), ma, lista.data(), ma, u.p(), v.p(), w.data(), &chisq,
                     basis.data(), sig.data()),
              1);
    EXPECT_NEAR(a[1], 1.5, 1e-11);
    EXPECT_NEAR(a[2], -0.25, 1e-11);
    EXPECT_NEAR(a[3], 2.0, 1e-11);
    EXPECT_NEAR(a[4], -0.5, 1e-11);
    EXPECT_NEAR(chisq, 0.0, 1e-18);
  }
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(LinearAlgebraTest, SvdfitHoldsParametersAndRemovesTheirContribution) {
  // Points (0, 1), (1, 4), (2, 5); intercept held at 1: slope = sum x (y - 1) / sum x^2 = 2.2.
  const int ndata = 3, ma = 2;
  std::vector<double> x = {0, 0, 1, 2}, y = {0, 1, 4, 5}, sig(ndata + 1, 1.0);
  std::vector<double> a = {0, 1.0, 99.0}, w(ma + 1);
  std::vector<int32_t> lista = {0, 2, 1};
  Matrix u(ndata, 1), v(1, 1);
  double chisq = 0.0;
  const auto basis = PowerBasis(x, ma);
  ASSERT_EQ(svdfit(0, y.data(), ndata, a.data(), ma, lista.data(), 1, u.p(), v.p(), w.data(), &chisq, basis.data(),
                   sig.data()),
            1);
  EXPECT_DOUBLE_EQ(a[1], 1.0);
  EXPECT_NEAR(a[2], 2.2, 1e-13);
  // Residuals 0, 0.8, -0.4.
  EXPECT_NEAR(chisq, 0.8, 1e-12);
}

TEST_F(LinearAlgebraTest, ZeroSingularValueLeavesItsParameterAtZero) {
  // The third basis function vanishes at every point: its singular value is zero and
  // the fit y = 2 + 3x leaves its parameter at 0.
  const int ndata = 5, ma = 3;
  std::vector<double> x(ndata + 1), y(ndata + 1), sig(ndata + 1, 1.0);
  std::vector<double> basis((ndata + 1) * (ma + 1), 0.0);
  for (int i = 1; i <= ndata; ++i) {
    x[i] = i;
    y[i] = 2.0 + 3.0 * i;
    basis[i * (ma + 1) + 1] = 1.0;
    basis[i * (ma + 1) + 2] = x[i];
  }
  std::vector<double> a(ma + 1, 5.0), w(ma + 1);
  std::vector<int32_t> lista = {0, 1, 2, 3};
  Matrix u(ndata, ma), v(ma, ma);
  double chisq = 0.0;
  ASSERT_EQ(svdfit(0, y.data(), ndata, a.data(), ma, lista.data(), ma, u.p(), v.p(), w.data(), &chisq, basis.data(),
                   sig.data()),
            1);
  int zeros = 0;
  for (int j = 1; j <= ma; ++j) zeros += w[j] == 0.0;
  EXPECT_EQ(zeros, 1);
  EXPECT_NEAR(a[1], 2.0, 1e-12);
  EXPECT_NEAR(a[2], 3.0, 1e-12);
  EXPECT_EQ(a[3], 0.0);
  EXPECT_NEAR(chisq, 0.0, 1e-20);
}

TEST_F(LinearAlgebraTest, SvdvarGivesStraightLineCovariance) {
  // Unit weights: covariance = (X^T X)^-1 with X = [1 x].
  const int ndata = 4, ma = 2;
  std::vector<double> x = {0, 1, 2, 4, 7}, y = {0, 3, 1, 4, 1}, sig(ndata + 1, 1.0);
  std::vector<double> a(ma + 1), w(ma + 1);
  std::vector<int32_t> lista = {0, 1, 2};
  Matrix u(ndata, ma), v(ma, ma), cvm(ma, ma);
  double chisq = 0.0;
  const auto basis = PowerBasis(x, ma);
  ASSERT_EQ(svdfit(0, y.data(), ndata, a.data(), ma, lista.data(), ma, u.p(), v.p(), w.data(), &chisq, basis.data(),
                   sig.data()),
            1);
  ASSERT_EQ(svdvar(v.p(), ma, w.data(), cvm.p()), 1);
  const double s = 4, sx = 14, sxx = 70, det = s * sxx - sx * sx;
  EXPECT_NEAR(cvm(1, 1), sxx / det, 1e-13);
  EXPECT_NEAR(cvm(2, 2), s / det, 1e-13);
  EXPECT_NEAR(cvm(1, 2), -sx / det, 1e-13);
  EXPECT_NEAR(cvm(2, 1), -sx / det, 1e-13);
}

TEST_F(LinearAlgebraTest, SvdcmpReconstructsMatrixWithOrthonormalFactors) {
  const int m = 6, n = 4;
  Matrix a(m, n), orig(m, n), v(n, n);
  for (int i = 1; i <= m; ++i)
    for (int j = 1; j <= n; ++j) a(i, j) = orig(i, j) = std::sin(1.3 * i + 0.7 * j * j) + (i == j ? 2.0 : 0.0);
  std::vector<double> w(n + 1);
  ASSERT_EQ(svdcmp(a.p(), m, n, w.data(), v.p()), 1);
  for (int i = 1; i <= m; ++i) {
    for (int j = 1; j <= n; ++j) {
      double r = 0.0;
      for (int k = 1; k <= n; ++k) r += a(i, k) * w[k] * v(j, k);
      EXPECT_NEAR(r, orig(i, j), 1e-12);
    }
  }
  for (int j = 1; j <= n; ++j) {
    EXPECT_GE(w[j], 0.0);
    for (int k = 1; k <= n; ++k) {
      double uu = 0.0, vv = 0.0;
      for (int i = 1; i <= m; ++i) uu += a(i, j) * a(i, k);
      for (int i = 1; i <= n; ++i) vv += v(i, j) * v(i, k);
      EXPECT_NEAR(uu, j == k ? 1.0 : 0.0, 1e-12);
      EXPECT_NEAR(vv, j == k ? 1.0 : 0.0, 1e-12);
    }
  }
}

TEST_F(LinearAlgebraTest, SvdcmpRefusesFewerRowsThanColumns) {
  Matrix a(2, 3), v(3, 3);
  std::vector<double> w(4);
  EXPECT_EQ(svdcmp(a.p(), 2, 3, w.data(), v.p()), -1);
  EXPECT_EQ(OnlyErrorBox(), "svdcmp()\n\nAUGMENT MATRIX A MUST BE AUGMENTED WITH EXTRA ZERO ROWS");
}

TEST_F(LinearAlgebraTest, GaussjInvertsHilbertMatrixAndSolves) {
  Matrix a(3, 3), b(3, 2);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) a(i, j) = 1.0 / (i + j - 1);
  // Right-hand sides H * (1, 2, 3) and H * (1, 0, 0).
  for (int i = 1; i <= 3; ++i) {
    b(i, 1) = a(i, 1) + 2 * a(i, 2) + 3 * a(i, 3);
    b(i, 2) = a(i, 1);
  }
  ASSERT_EQ(gaussj(a.p(), 3, b.p(), 2), 1);
  const double inverse[3][3] = {{9, -36, 30}, {-36, 192, -180}, {30, -180, 180}};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_NEAR(a(i, j), inverse[i - 1][j - 1], 1e-10);
  EXPECT_NEAR(b(1, 1), 1.0, 1e-12);
  EXPECT_NEAR(b(2, 1), 2.0, 1e-11);
  EXPECT_NEAR(b(3, 1), 3.0, 1e-11);
  EXPECT_NEAR(b(1, 2), 1.0, 1e-12);
  EXPECT_NEAR(b(2, 2), 0.0, 1e-11);
  EXPECT_NEAR(b(3, 2), 0.0, 1e-11);
  // Sizes 3, 5, 5 in a row: nothing is kept between calls.
  Matrix c(5, 5), d(5, 1);
  for (int i = 1; i <= 5; ++i) c(i, i) = i;
  for (int round = 0; round < 2; ++round) {
    for (int i = 1; i <= 5; ++i) {
      for (int j = 1; j <= 5; ++j) c(i, j) = i == j ? i : 0.0;
      d(i, 1) = 1.0;
    }
    ASSERT_EQ(gaussj(c.p(), 5, d.p(), 1), 1);
    for (int i = 1; i <= 5; ++i) EXPECT_DOUBLE_EQ(d(i, 1), 1.0 / i);
  }
}

TEST_F(LinearAlgebraTest, GaussjReportsSingularMatrix) {
  Matrix a(2, 2), b(2, 1);
  a(1, 1) = 1;
  a(1, 2) = 2;
  a(2, 1) = 2;
  a(2, 2) = 4;
  EXPECT_EQ(gaussj(a.p(), 2, b.p(), 1), -1);
  EXPECT_EQ(OnlyErrorBox(), "gaussj()\n\nSINGULAR MATRIX (2)\n\nPRM=[1] OF [2]");
  // A matrix of NaN finds no pivot and fails the same way instead of using garbage.
  platform::ClearBoxLog();
  Matrix n(2, 2), nb(2, 1);
  for (int i = 1; i <= 2; ++i)
    for (int j = 1; j <= 2; ++j) n(i, j) = std::nan("");
  EXPECT_EQ(gaussj(n.p(), 2, nb.p(), 1), -1);
  EXPECT_EQ(OnlyErrorBox(), "gaussj()\n\nSINGULAR MATRIX (2)\n\nPRM=[1] OF [2]");
}

}  // namespace
