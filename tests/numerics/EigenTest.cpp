#include "numerics/Eigen.h"

#include <cmath>
#include <vector>

#include "NumericsFixture.h"

namespace {

using EigenTest = qvtest::NumericsTest;

// Column-major element (i, j), 0-based, leading dimension nm.
double& At(std::vector<double>& m, int nm, int i, int j) { return m[j * nm + i]; }

// Eigen-decomposition of a column-major symmetric matrix through TRED2 and TQL2.
void Solve(std::vector<double>& a, int32_t nm, int32_t n, std::vector<double>& d, std::vector<double>& z,
           int32_t& ierr) {
  std::vector<double> e(n);
  d.assign(n, 0.0);
  z.assign(nm * n, 0.0);
  EXPECT_EQ(TRED2(&nm, &n, a.data(), d.data(), e.data(), z.data()), 0);
  EXPECT_EQ(TQL2(&nm, &n, d.data(), e.data(), z.data(), &ierr), 0);
}

TEST_F(EigenTest, DSignTransfersSign) {
  EXPECT_EQ(DSign(-3.0, 0.0), 3.0);
  EXPECT_EQ(DSign(3.0, -0.5), -3.0);
  EXPECT_EQ(DSign(-2.0, 7.0), 2.0);
}

TEST_F(EigenTest, TridiagonalToeplitzHasCosineSpectrum) {
  // 2 on the diagonal, -1 beside it: eigenvalues 2 - 2 cos(k pi / (n + 1)). Leading
  // dimension larger than n; only the lower triangle is filled.
  const int32_t n = 7, nm = 9;
  std::vector<double> a(nm * n, 0.0);
  for (int i = 0; i < n; ++i) {
    At(a, nm, i, i) = 2.0;
    if (i > 0) At(a, nm, i, i - 1) = -1.0;
  }
  const std::vector<double> original = a;
  std::vector<double> d, z;
  int32_t ierr = -1;
  Solve(a, nm, n, d, z, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(a, original);  // the input matrix is left as it was
  for (int k = 1; k <= n; ++k) EXPECT_NEAR(d[k - 1], 2.0 - 2.0 * std::cos(k * M_PI / (n + 1)), 1e-13);
  // Columns of z are unit eigenvectors: A v = lambda v.
  for (int j = 0; j < n; ++j) {
    double norm = 0.0;
    for (int i = 0; i < n; ++i) {
      const double av = 2.0 * At(z, nm, i, j) - (i > 0 ? At(z, nm, i - 1, j) : 0.0) -
                        (i + 1 < n ? At(z, nm, i + 1, j) : 0.0);
      EXPECT_NEAR(av, d[j] * At(z, nm, i, j), 1e-12);
      norm += At(z, nm, i, j) * At(z, nm, i, j);
    }
    EXPECT_NEAR(norm, 1.0, 1e-12);
  }
}

TEST_F(EigenTest, ReflectedDiagonalMatrixGivesItsDiagonalSorted) {
  // A = H D H with the Householder reflection H = I - 2 v v^T / v^T v: spectrum D.
  const int32_t n = 5, nm = 5;
  const double diag[5] = {4.0, -1.5, 10.0, 0.25, 3.0};
  const double v[5] = {1.0, -2.0, 0.5, 3.0, 1.5};
  double vv = 0.0;
  for (double x : v) vv += x * x;
  std::vector<double> h(n * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) h[i * n + j] = (i == j ? 1.0 : 0.0) - 2.0 * v[i] * v[j] / vv;
  std::vector<double> a(nm * n, 0.0);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      double s = 0.0;
      for (int k = 0; k < n; ++k) s += h[i * n + k] * diag[k] * h[k * n + j];
      At(a, nm, i, j) = s;
    }
  std::vector<double> d, z;
  int32_t ierr = -1;
  Solve(a, nm, n, d, z, ierr);
  EXPECT_EQ(ierr, 0);
  const double sorted[5] = {-1.5, 0.25, 3.0, 4.0, 10.0};
  for (int i = 0; i < n; ++i) EXPECT_NEAR(d[i], sorted[i], 1e-12);
  // The eigenvector of 10 is the column of H that belongs to diag[2], up to sign.
  const double dot = [&] {
    double s = 0.0;
    for (int i = 0; i < n; ++i) s += At(z, nm, i, 4) * h[i * n + 2];
    return s;
  }();
  EXPECT_NEAR(std::fabs(dot), 1.0, 1e-12);
}

TEST_F(EigenTest, OneByOneAndDiagonalCases) {
  {
    int32_t nm = 1, n = 1, ierr = -1;
    std::vector<double> a = {7.5}, d(1), e(1), z(1);
    TRED2(&nm, &n, a.data(), d.data(), e.data(), z.data());
    TQL2(&nm, &n, d.data(), e.data(), z.data(), &ierr);
    EXPECT_EQ(d[0], 7.5);
    EXPECT_EQ(z[0], 1.0);
    EXPECT_EQ(ierr, 0);
  }
  {
    // TQL2 alone on a diagonal matrix with the identity as transformation.
    int32_t nm = 3, n = 3, ierr = -1;
    std::vector<double> d = {3.0, 1.0, 2.0}, e = {0.0, 0.0, 0.0};
    std::vector<double> z = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    TQL2(&nm, &n, d.data(), e.data(), z.data(), &ierr);
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(d, (std::vector<double>{1.0, 2.0, 3.0}));
    // Column 0 belongs to 1.0, which was element 1: the unit vector e2, and so on.
    EXPECT_EQ(z, (std::vector<double>{0, 1, 0, 0, 0, 1, 1, 0, 0}));
  }
}

TEST_F(EigenTest, Tred2GivesTransformationToItsTridiagonalForm) {
  // A 2 x 2 matrix is tridiagonal already: taken as it stands, subdiagonal sign kept.
  {
    int32_t nm = 2, n = 2;
    std::vector<double> a = {2.0, -1.5, 99.0, 3.0}, d(2), e(2, 7.0), z(4);  // upper triangle unused
    EXPECT_EQ(TRED2(&nm, &n, a.data(), d.data(), e.data(), z.data()), 0);
    EXPECT_EQ(d, (std::vector<double>{2.0, 3.0}));
    EXPECT_EQ(e, (std::vector<double>{0.0, -1.5}));
    EXPECT_EQ(z, (std::vector<double>{1.0, 0.0, 0.0, 1.0}));
  }
  // In general Z^T A Z is the tridiagonal matrix of d and e.
  const int32_t n = 5, nm = 6;
  std::vector<double> a(nm * n, 0.0), full(n * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j <= i; ++j) {
      const double v = std::cos(1.7 * i + 0.3 * j * j) + (i == j ? 1.0 : 0.0);
      At(a, nm, i, j) = v;
      full[i * n + j] = full[j * n + i] = v;
    }
  int32_t nmv = nm, nv = n;
  std::vector<double> d(n), e(n), z(nm * n);
  TRED2(&nmv, &nv, a.data(), d.data(), e.data(), z.data());
  EXPECT_EQ(e[0], 0.0);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      double t = 0.0;
      for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) t += At(z, nm, i, r) * full[i * n + j] * At(z, nm, j, c);
      const double expected = r == c ? d[r] : (r == c + 1 ? e[r] : (c == r + 1 ? e[c] : 0.0));
      EXPECT_NEAR(t, expected, 1e-13) << r << " " << c;
    }
}

TEST_F(EigenTest, NonConvergenceReportsIndexInsteadOfLooping) {
  // NaN in the matrix never converges: ierr names the eigenvalue, and the call ends.
  int32_t nm = 3, n = 3, ierr = 0;
  std::vector<double> d = {1.0, std::nan(""), 2.0}, e = {0.0, 1.0, 1.0}, z = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  TQL2(&nm, &n, d.data(), e.data(), z.data(), &ierr);
  EXPECT_GE(ierr, 0);
  EXPECT_LE(ierr, 3);
}

}  // namespace
