#include "numerics/Smooth.h"

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "NumericsFixture.h"

namespace {

using SmoothTest = qvtest::NumericsTest;
using Cx = std::complex<double>;

// Plain DFT with the sign convention of the FFTs: H[k] = sum h[j] exp(sign 2 pi i j k / N).
std::vector<Cx> Dft(const std::vector<Cx>& h, int sign) {
  const size_t n = h.size();
  std::vector<Cx> out(n);
  for (size_t k = 0; k < n; ++k) {
    Cx s = 0.0;
    for (size_t j = 0; j < n; ++j) s += h[j] * std::polar(1.0, sign * 2.0 * M_PI * double(j * k % n) / double(n));
    out[k] = s;
  }
  return out;
}

TEST_F(SmoothTest, Four1MatchesPlainDftBothWays) {
  const int nn = 32;
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<Cx> h(nn);
  for (auto& v : h) v = Cx(u(gen), u(gen));
  for (int sign : {1, -1}) {
    std::vector<double> data(2 * nn + 1);
    for (int j = 0; j < nn; ++j) {
      data[2 * j + 1] = h[j].real();
      data[2 * j + 2] = h[j].imag();
    }
    DFour1(data.data(), nn, sign);
    const auto ref = Dft(h, sign);
    for (int k = 0; k < nn; ++k) {
      EXPECT_NEAR(data[2 * k + 1], ref[k].real(), 1e-12);
      EXPECT_NEAR(data[2 * k + 2], ref[k].imag(), 1e-12);
    }
  }
  // Single precision against the same reference.
  std::vector<float> f(2 * nn + 1);
  for (int j = 0; j < nn; ++j) {
    f[2 * j + 1] = static_cast<float>(h[j].real());
    f[2 * j + 2] = static_cast<float>(h[j].imag());
  }
  FFour1(f.data(), nn, 1);
  const auto ref = Dft(h, 1);
  for (int k = 0; k < nn; ++k) EXPECT_NEAR(f[2 * k + 1], ref[k].real(), 1e-5);
}

TEST_F(SmoothTest, RealftGivesPositiveHalfOfDftAndInvertsUpToHalfLength) {
  const int n = 16;  // half length: 32 real values
  std::vector<Cx> h(2 * n);
  std::vector<double> data(2 * n + 1);
  for (int j = 0; j < 2 * n; ++j) {
    data[j + 1] = std::cos(0.3 * j * j) + 0.1 * j;
    h[j] = data[j + 1];
  }
  const std::vector<double> original = data;
  DRealft(data.data(), n, 1);
  const auto ref = Dft(h, 1);
  EXPECT_NEAR(data[1], ref[0].real(), 1e-12);
  EXPECT_NEAR(data[2], ref[n].real(), 1e-12);
  for (int k = 1; k < n; ++k) {
    EXPECT_NEAR(data[2 * k + 1], ref[k].real(), 1e-12);
    EXPECT_NEAR(data[2 * k + 2], ref[k].imag(), 1e-12);
  }
  DRealft(data.data(), n, -1);
  for (int j = 1; j <= 2 * n; ++j) EXPECT_NEAR(data[j], n * original[j], 1e-11);
}

// The smoothing written out with a plain DFT: remove the line through the ends,
// zero-pad to m, scale coefficient k by max(0, 1 - k^2 (pts/m)^2) (Nyquist by
// max(0, 1 - pts^2 / 4)), transform back, restore the line.
std::vector<double> ReferenceSmooth(const std::vector<double>& a, double pts, int m) {
  const int n = static_cast<int>(a.size());
  std::vector<Cx> h(m, 0.0);
  const double y1 = a[0], yn = a[n - 1];
  auto line = [&](int j) { return (y1 * (n - 1 - j) + yn * j) / (n - 1); };
  for (int j = 0; j < n; ++j) h[j] = a[j] - line(j);
  auto H = Dft(h, 1);
  bool cut = false;
  for (int k = 1; k < m / 2; ++k) {
    double fac = cut ? 0.0 : std::max(0.0, 1.0 - k * k * (pts / m) * (pts / m));
    if (fac == 0.0) cut = true;
    H[k] *= fac;
    H[m - k] *= fac;
  }
  H[m / 2] *= std::max(0.0, 1.0 - 0.25 * pts * pts);
  const auto back = Dft(H, -1);
  std::vector<double> out(n);
  for (int j = 0; j < n; ++j) out[j] = back[j].real() / m + line(j);
  return out;
}

TEST_F(SmoothTest, DSmoothMatchesPlainDftFilter) {
  const int n = 50;
  std::vector<double> a(n);
  for (int j = 0; j < n; ++j) a[j] = std::sin(0.2 * j) + 0.3 * std::cos(2.9 * j) + 0.05 * j;
  for (double pts : {0.0, 1.5, 4.0, 9.0}) {
    const int m = static_cast<int>(SmoothWorkSize(n, pts));
    std::vector<double> s = a;
    ASSERT_EQ(DSmooth(s.data(), pts, n), 1);
    const auto ref = ReferenceSmooth(a, pts, m);
    for (int j = 0; j < n; ++j) EXPECT_NEAR(s[j], ref[j], 1e-12) << pts << " " << j;
    // Single precision follows.
    std::vector<float> f(a.begin(), a.end());
    ASSERT_EQ(FSmooth(f.data(), static_cast<float>(pts), n), 1);
    for (int j = 0; j < n; ++j) EXPECT_NEAR(f[j], ref[j], 2e-5);
  }
  // A negative width pads nothing but filters like its magnitude.
  {
    std::vector<double> s = a;
    ASSERT_EQ(DSmooth(s.data(), -4.0, n), 1);
    const auto ref = ReferenceSmooth(a, 4.0, static_cast<int>(SmoothWorkSize(n, -4.0)));
    for (int j = 0; j < n; ++j) EXPECT_NEAR(s[j], ref[j], 1e-12) << j;
  }
  // pts = 0 keeps the data.
  std::vector<double> s = a;
  ASSERT_EQ(DSmooth(s.data(), 0.0, n), 1);
  for (int j = 0; j < n; ++j) EXPECT_NEAR(s[j], a[j], 1e-13);
}

TEST_F(SmoothTest, WorkSizeLinesConstantsAndTinyArrays) {
  EXPECT_EQ(SmoothWorkSize(12, 2.3), 32);
  EXPECT_EQ(SmoothWorkSize(1, 0.0), 2);
  EXPECT_EQ(SmoothWorkSize(64, 0.0), 64);
  EXPECT_EQ(SmoothWorkSize(64, -5.0), 64);  // never below n
  std::vector<float> line(40), constant(40, 3.25f);
  for (int j = 0; j < 40; ++j) line[j] = 2.0f + 0.5f * j;
  const std::vector<float> lineCopy = line;
  ASSERT_EQ(FSmooth(line.data(), 6.0f, 40), 1);
  ASSERT_EQ(FSmooth(constant.data(), 6.0f, 40), 1);
  for (int j = 0; j < 40; ++j) {
    EXPECT_NEAR(line[j], lineCopy[j], 1e-5);
    EXPECT_NEAR(constant[j], 3.25f, 1e-6);
  }
  // One value: nothing to smooth, and no division by n - 1 = 0.
  double one = 4.5;
  ASSERT_EQ(DSmooth(&one, 3.0, 1), 1);
  EXPECT_EQ(one, 4.5);
  float two[2] = {1.0f, 3.0f};
  ASSERT_EQ(FSmooth(two, 3.0f, 2), 1);
  EXPECT_NEAR(two[0], 1.0f, 1e-6);
  EXPECT_NEAR(two[1], 3.0f, 1e-6);
  EXPECT_EQ(FSmooth(two, 3.0f, 0), 1);
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(SmoothTest, OversizedWidthIsAnAllocationFailureAndLeavesData) {
  float a[3] = {1.0f, 5.0f, 2.0f};
  EXPECT_EQ(FSmooth(a, 1.0e12f, 3), 0);
  EXPECT_EQ(OnlyErrorBox(), "FSmooth()/fft_pt - CORE ALLOCATION ERROR");
  EXPECT_EQ(a[1], 5.0f);
}

}  // namespace
