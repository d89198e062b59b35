// w(z) after the ACM TOMS algorithm 680 (Poppe and Wijers): a power series near the
// origin, a Taylor series with continued-fraction derivatives in the ring up to
// rho = 1 and the Laplace continued fraction beyond, with w(z) = 2 exp(-z^2) - w(-z)
// for the lower half plane. The loops below do the same arithmetic as the textbook
// form; where it divides by a running value every step, the quotient is formed once.
#include "sim/Voigt.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kF = 1.1283791670955126;  // 2 / sqrt(pi)
constexpr double kFactorE = 1.6814159916986475e-08;
constexpr double kExpMax = 708.0;
// Below this size the continued fraction is carried as a ratio (see region III).
constexpr double kRatioLimit = 1e12;

// 1/i and F/(2i + 1) for the power series (at most 27 terms).
struct SeriesTables {
  double inv[32];
  double fOdd[32];
};
constexpr SeriesTables MakeTables() {
  SeriesTables t{};
  for (int i = 0; i < 32; ++i) {
    t.inv[i] = i == 0 ? 0.0 : 1.0 / i;
    t.fOdd[i] = kF / (2 * i + 1);
  }
  return t;
}
constexpr SeriesTables kTables = MakeTables();

int16_t Overflow(double* w) {
  w[0] = std::exp(kExpMax);
  w[1] = std::exp(kExpMax);
  return 1;
}

}  // namespace

int16_t VoigtComplexErrorFn(const double* z, double* w) {
  const double xabs = std::fabs(z[0]);
  const double yabs = std::fabs(z[1]);
  const double X = xabs / 6.3;
  const double Y = yabs / 4.4;
  double rho = 0.0;
  {
    const double big = std::max(X, Y);
    const double small = std::min(X, Y);
    if (big > 0.0) {
      const double r = small / big;
      rho = big * std::sqrt(1.0 + r * r);
    }
  }

  double U = 0.0, V = 0.0;
  double U2 = 0.0, V2 = 0.0;
  const bool regionI = rho < 0.292;
  if (regionI) {
    // Power series.
    const double xquad = (xabs - yabs) * (xabs + yabs);
    const double yquad = 2.0 * xabs * yabs;
    const int n = static_cast<int>(72.0 * (1.0 - 0.85 * Y) * rho + 6.5);
    double xsum = kTables.fOdd[n];
    double ysum = 0.0;
    for (int i = n; i >= 1; --i) {
      const double inv = kTables.inv[i];
      const double xaux = (xsum * xquad - ysum * yquad) * inv;
      ysum = (xsum * yquad + ysum * xquad) * inv;
      xsum = xaux + kTables.fOdd[i - 1];
    }
    const double U1 = 1.0 - (xsum * yabs + ysum * xabs);
    const double V1 = xsum * xabs - ysum * yabs;
    const double D = std::exp(-xquad);
    U2 = D * std::cos(yquad);
    V2 = -D * std::sin(yquad);
    U = U1 * U2 - V1 * V2;
    V = U1 * V2 + V1 * U2;
  } else if (rho < 1.0) {
    // Taylor series whose derivatives come from the continued fraction.
    const double q = (1.0 - Y) * std::sqrt(1.0 - X * X - Y * Y);
    const double h = 1.88 * q;
    const double h2 = 2.0 * h;
    int kapn = static_cast<int>(34.0 * q + 8.5);
    const int nu = static_cast<int>(26.0 * q + 17.5);
    if (h2 < 0.25) {
      const int lower = static_cast<int>(-kExpMax / std::log(h2)) + 1;
      if (lower < kapn) kapn = lower;
    }
    // With b = (yabs + h) - i xabs the fraction is R(n) = 0.5 / (b + n R(n + 1)),
    // R(nu + 1) = 0, and the sum is S(n) = R(n) (h2^(n - 1) + S(n + 1)) for n <= kapn.
    // As a ratio R(n) = 0.5 D(n + 1) / D(n) with D(n) = b D(n + 1) + 0.5 n D(n + 2), the
    // products of R telescope: S(1) = 0.5 / D(1) x sum over n <= kapn of
    // h^(n - 1) D(n + 1), summed by Horner's rule on the way down. One division in all;
    // D stays below |b|^nu, small inside this ring.
    const double bx = yabs + h;
    const double by = -xabs;
    double d1x = 1.0, d1y = 0.0;  // D(n + 1)
    double d2x = 0.0, d2y = 0.0;  // D(n + 2)
    double ax = 0.0, ay = 0.0;    // the Horner sum
    for (int n = nu; n >= 1; --n) {
      if (n <= kapn) {
        ax = d1x + h * ax;
        ay = d1y + h * ay;
      }
      const double half = 0.5 * n;
      const double dx = bx * d1x - by * d1y + half * d2x;
      const double dy = bx * d1y + by * d1x + half * d2y;
      d2x = d1x;
      d2y = d1y;
      d1x = dx;
      d1y = dy;
    }
    const double inv = 0.5 / (d1x * d1x + d1y * d1y);
    U = kF * (ax * d1x + ay * d1y) * inv;
    V = kF * (ay * d1x - ax * d1y) * inv;
  } else {
    // Laplace continued fraction; each quotient is formed without squaring a large part.
    const int nu = static_cast<int>(1442.0 / (26.0 * rho + 77.0) + 4.5);
    if (xabs < kRatioLimit && yabs < kRatioLimit) {
      // With a = yabs + i xabs the fraction is Q(n) = 0.5 / (a + n Q(n + 1)), Q(nu + 1)
      // = 0, and (RX, RY) = conj Q(1). Carried as a ratio P/D of two recurrences, it
      // needs one division in all: D grows like |a|^nu, far inside the range of a
      // double below the limit.
      double px = 0.0, py = 0.0, dx = 1.0, dy = 0.0;
      for (int n = nu; n >= 1; --n) {
        const double ndx = yabs * dx - xabs * dy + n * px;
        const double ndy = yabs * dy + xabs * dx + n * py;
        px = 0.5 * dx;
        py = 0.5 * dy;
        dx = ndx;
        dy = ndy;
      }
      const double inv = 1.0 / (dx * dx + dy * dy);
      U = kF * (px * dx + py * dy) * inv;
      V = -kF * (py * dx - px * dy) * inv;
      goto realAxis;
    }
    double RX = 0.0, RY = 0.0;
    bool txLarger = false;
    for (int n = nu; n >= 1; --n) {
      const double TX = yabs + n * RX;
      const double TY = xabs - n * RY;
      if (!txLarger && std::fabs(TY) >= TX) {
        const double t = TX / TY;
        RY = 0.5 / ((t * t + 1.0) * TY);
        RX = RY * t;
      } else {
        txLarger = true;
        const double t = TY / TX;
        RX = 0.5 / ((t * t + 1.0) * TX);
        RY = RX * t;
      }
    }
    U = kF * RX;
    V = kF * RY;
  }
realAxis:
  if (!regionI && yabs == 0.0) U = xabs * xabs > kExpMax ? 0.0 : std::exp(-xabs * xabs);

  if (z[1] >= 0.0) {
    if (z[0] < 0.0) V = -V;
    w[0] = U;
    w[1] = V;
    return 0;
  }

  // Lower half plane: w(z) = 2 exp(-z^2) - w(-z).
  if (regionI) {
    U = 2.0 * U2 - U;
    V = 2.0 * V2 - V;
  } else {
    if (yabs > xabs) {
      if (yabs > kFactorE && (yabs * yabs - xabs * xabs) / yabs > kExpMax / yabs) return Overflow(w);
    }
    if (yabs <= xabs && xabs > kFactorE && (xabs * xabs - yabs * yabs) / xabs > kExpMax / xabs) {
      U = -U;
      V = -V;
    } else {
      double W1 = 2.0 * std::exp((yabs - xabs) * (yabs + xabs));
      double m = yabs > xabs ? std::min(std::fabs(U), std::fabs(V))
                             : std::min({std::fabs(std::trunc(U)), std::fabs(std::trunc(V)), std::fabs(V)});
      double p = xabs * yabs;
      if (W1 < m) p *= W1 / m;
      if (p > 59473682.0) return Overflow(w);
      U = W1 * std::cos(2.0 * xabs * yabs) - U;
      V = -W1 * std::sin(2.0 * xabs * yabs) - V;
    }
  }
  if (z[0] > 0.0) V = -V;
  w[0] = U;
  w[1] = V;
  return 0;
}

double VoigtProfile(double d, double gau, double lor) {
  const double z[2] = {2.0 * VOIGT_SQRT_LN2 * d / gau, VOIGT_SQRT_LN2 * lor / gau};
  double w[2];
  if (VoigtComplexErrorFn(z, w) != 0) return 0.0;
  return VOIGT_NORM / gau * w[0];
}
