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

// Points prepared and run together, and the largest step count sorted apart (more
// steps than any region takes sort together).
constexpr int32_t kBlock = 256;
constexpr int kMaxSteps = 64;

// Where a point lies and what its loops need: region 1 the power series, 2 the Taylor
// ring, 3 the fraction carried as a ratio, 4 the fraction by quotients (huge z).
// Prepare sets every field the loops read, so a block of points is not cleared first.
struct Point {
  double x, y;  // z
  double xabs, yabs, X, Y, rho;
  int region;
  int nu, kapn;
  double h;
  // Results of the loops: w of the first quadrant and, in region 1, exp(-z^2).
  double U, V, U2, V2;
};

typedef double V2 __attribute__((vector_size(16)));

void Prepare(double x, double y, Point* p) {
  p->x = x;
  p->y = y;
  p->xabs = std::fabs(x);
  p->yabs = std::fabs(y);
  const V2 scaled = V2{p->xabs, p->yabs} / V2{6.3, 4.4};
  p->X = scaled[0];
  p->Y = scaled[1];
  p->rho = 0.0;
  p->nu = p->kapn = 0;
  p->h = 0.0;
  const double big = std::max(p->X, p->Y);
  const double small = std::min(p->X, p->Y);
  if (big > 0.0) {
    const double r = small / big;
    p->rho = big * std::sqrt(1.0 + r * r);
  }
  if (p->rho < 0.292) {
    p->region = 1;
    p->nu = static_cast<int>(72.0 * (1.0 - 0.85 * p->Y) * p->rho + 6.5);
  } else if (p->rho < 1.0) {
    p->region = 2;
    const double q = (1.0 - p->Y) * std::sqrt(1.0 - p->X * p->X - p->Y * p->Y);
    p->h = 1.88 * q;
    const double h2 = 2.0 * p->h;
    p->kapn = static_cast<int>(34.0 * q + 8.5);
    p->nu = static_cast<int>(26.0 * q + 17.5);
    if (h2 < 0.25) {
      const int lower = static_cast<int>(-kExpMax / std::log(h2)) + 1;
      if (lower < p->kapn) p->kapn = lower;
    }
  } else {
    p->nu = static_cast<int>(1442.0 / (26.0 * p->rho + 77.0) + 4.5);
    p->region = p->xabs < kRatioLimit && p->yabs < kRatioLimit ? 3 : 4;
  }
}

// The loops of the three regions are one long chain of dependent products per point.
// Each kernel below runs N points side by side, each lane doing exactly the arithmetic
// of its point alone from its own nu down to 1 (a single call runs N = 1); the groups
// further down run four points of many-point calls.

// Power series (nu terms).
template <int N>
void SeriesLanes(Point* const* p) {
  double xquad[N], yquad[N], xsum[N], ysum[N];
  int nu[N];
  int top = 0;
  for (int l = 0; l < N; ++l) {
    xquad[l] = (p[l]->xabs - p[l]->yabs) * (p[l]->xabs + p[l]->yabs);
    yquad[l] = 2.0 * p[l]->xabs * p[l]->yabs;
    nu[l] = p[l]->nu;
    xsum[l] = kTables.fOdd[nu[l]];
    ysum[l] = 0.0;
    top = std::max(top, nu[l]);
  }
  for (int j = top; j >= 1; --j) {
    for (int l = 0; l < N; ++l) {
      const int i = j - (top - nu[l]);
      if (i < 1) continue;
      const double inv = kTables.inv[i];
      const double xaux = (xsum[l] * xquad[l] - ysum[l] * yquad[l]) * inv;
      ysum[l] = (xsum[l] * yquad[l] + ysum[l] * xquad[l]) * inv;
      xsum[l] = xaux + kTables.fOdd[i - 1];
    }
  }
  for (int l = 0; l < N; ++l) {
    const double xabs = p[l]->xabs, yabs = p[l]->yabs;
    const double U1 = 1.0 - (xsum[l] * yabs + ysum[l] * xabs);
    const double V1 = xsum[l] * xabs - ysum[l] * yabs;
    const double D = std::exp(-xquad[l]);
    p[l]->U2 = D * std::cos(yquad[l]);
    p[l]->V2 = -D * std::sin(yquad[l]);
    p[l]->U = U1 * p[l]->U2 - V1 * p[l]->V2;
    p[l]->V = U1 * p[l]->V2 + V1 * p[l]->U2;
  }
}

// Taylor series whose derivatives come from the continued fraction. With b = (yabs + h)
// - i xabs the fraction is R(n) = 0.5 / (b + n R(n + 1)), R(nu + 1) = 0, and the sum is
// S(n) = R(n) (h2^(n - 1) + S(n + 1)) for n <= kapn. As a ratio R(n) = 0.5 D(n + 1) /
// D(n) with D(n) = b D(n + 1) + 0.5 n D(n + 2), the products of R telescope: S(1) =
// 0.5 / D(1) x sum over n <= kapn of h^(n - 1) D(n + 1), summed by Horner's rule on the
// way down. One division in all; D stays below |b|^nu, small inside this ring.
template <int N>
void TaylorLanes(Point* const* p) {
  double bx[N], by[N], h[N];
  double d1x[N], d1y[N], d2x[N], d2y[N], ax[N], ay[N];
  int nu[N], kapn[N];
  int top = 0;
  for (int l = 0; l < N; ++l) {
    bx[l] = p[l]->yabs + p[l]->h;
    by[l] = -p[l]->xabs;
    h[l] = p[l]->h;
    nu[l] = p[l]->nu;
    kapn[l] = p[l]->kapn;
    d1x[l] = 1.0, d1y[l] = 0.0;  // D(n + 1)
    d2x[l] = 0.0, d2y[l] = 0.0;  // D(n + 2)
    ax[l] = 0.0, ay[l] = 0.0;    // the Horner sum
    top = std::max(top, nu[l]);
  }
  for (int j = top; j >= 1; --j) {
    for (int l = 0; l < N; ++l) {
      const int n = j - (top - nu[l]);
      if (n < 1) continue;
      if (n <= kapn[l]) {
        ax[l] = d1x[l] + h[l] * ax[l];
        ay[l] = d1y[l] + h[l] * ay[l];
      }
      const double half = 0.5 * n;
      const double dx = bx[l] * d1x[l] - by[l] * d1y[l] + half * d2x[l];
      const double dy = bx[l] * d1y[l] + by[l] * d1x[l] + half * d2y[l];
      d2x[l] = d1x[l];
      d2y[l] = d1y[l];
      d1x[l] = dx;
      d1y[l] = dy;
    }
  }
  for (int l = 0; l < N; ++l) {
    const double inv = 0.5 / (d1x[l] * d1x[l] + d1y[l] * d1y[l]);
    p[l]->U = kF * (ax[l] * d1x[l] + ay[l] * d1y[l]) * inv;
    p[l]->V = kF * (ay[l] * d1x[l] - ax[l] * d1y[l]) * inv;
  }
}

// Laplace continued fraction. With a = yabs + i xabs the fraction is Q(n) = 0.5 / (a +
// n Q(n + 1)), Q(nu + 1) = 0, and (RX, RY) = conj Q(1). Carried as a ratio P/D of two
// recurrences, it needs one division in all: D grows like |a|^nu, far inside the range
// of a double below the limit.
template <int N>
void RatioLanes(Point* const* p) {
  double xabs[N], yabs[N], px[N], py[N], dx[N], dy[N];
  int nu[N];
  int top = 0;
  for (int l = 0; l < N; ++l) {
    xabs[l] = p[l]->xabs;
    yabs[l] = p[l]->yabs;
    nu[l] = p[l]->nu;
    px[l] = 0.0, py[l] = 0.0, dx[l] = 1.0, dy[l] = 0.0;
    top = std::max(top, nu[l]);
  }
  for (int j = top; j >= 1; --j) {
    for (int l = 0; l < N; ++l) {
      const int n = j - (top - nu[l]);
      if (n < 1) continue;
      const double ndx = yabs[l] * dx[l] - xabs[l] * dy[l] + n * px[l];
      const double ndy = yabs[l] * dy[l] + xabs[l] * dx[l] + n * py[l];
      px[l] = 0.5 * dx[l];
      py[l] = 0.5 * dy[l];
      dx[l] = ndx;
      dy[l] = ndy;
    }
  }
  for (int l = 0; l < N; ++l) {
    const double inv = 1.0 / (dx[l] * dx[l] + dy[l] * dy[l]);
    p[l]->U = kF * (px[l] * dx[l] + py[l] * dy[l]) * inv;
    p[l]->V = -kF * (py[l] * dx[l] - px[l] * dy[l]) * inv;
  }
}

// The fraction for huge z: each quotient is formed without squaring a large part.
void Quotients(Point* p) {
  const double xabs = p->xabs, yabs = p->yabs;
  double RX = 0.0, RY = 0.0;
  bool txLarger = false;
  for (int n = p->nu; n >= 1; --n) {
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
  p->U = kF * RX;
  p->V = kF * RY;
}

// From the first quadrant to z: the real axis, the sign of x and the reflection below
// the axis. 0, or 1 with w = e^708 where exp(-z^2) overflows.
int16_t Finish(const Point& p, double* w) {
  const double xabs = p.xabs, yabs = p.yabs;
  const bool regionI = p.region == 1;
  double U = p.U, V = p.V;
  if (!regionI && yabs == 0.0) U = xabs * xabs > kExpMax ? 0.0 : std::exp(-xabs * xabs);

  if (p.y >= 0.0) {
    if (p.x < 0.0) V = -V;
    w[0] = U;
    w[1] = V;
    return 0;
  }

  // Lower half plane: w(z) = 2 exp(-z^2) - w(-z).
  if (regionI) {
    U = 2.0 * p.U2 - U;
    V = 2.0 * p.V2 - V;
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
      double pr = xabs * yabs;
      if (W1 < m) pr *= W1 / m;
      if (pr > 59473682.0) return Overflow(w);
      U = W1 * std::cos(2.0 * xabs * yabs) - U;
      V = -W1 * std::sin(2.0 * xabs * yabs) - V;
    }
  }
  if (p.x > 0.0) V = -V;
  w[0] = U;
  w[1] = V;
  return 0;
}

// Four points together: their steps are counted so that all four end with step 1. The
// steps above the smallest count run lane by lane (the others wait); from there on all
// four take the same step n and run as two vectors of two lanes. Each lane's arithmetic
// is still exactly that of its point alone.
V2 Pair(const double* v, int g) { return V2{v[2 * g], v[2 * g + 1]}; }
void Unpair(const V2* v, double* out) {
  for (int l = 0; l < 4; ++l) out[l] = v[l / 2][l % 2];
}

void SeriesGroup(Point* const* p) {
  double xquad[4], yquad[4], xsum[4], ysum[4];
  int nu[4];
  int top = 0, low = 1 << 30;
  for (int l = 0; l < 4; ++l) {
    xquad[l] = (p[l]->xabs - p[l]->yabs) * (p[l]->xabs + p[l]->yabs);
    yquad[l] = 2.0 * p[l]->xabs * p[l]->yabs;
    nu[l] = p[l]->nu;
    xsum[l] = kTables.fOdd[nu[l]];
    ysum[l] = 0.0;
    top = std::max(top, nu[l]);
    low = std::min(low, nu[l]);
  }
  for (int i = top; i > low; --i) {
    const double inv = kTables.inv[i];
    for (int l = 0; l < 4; ++l) {
      if (i > nu[l]) continue;
      const double xaux = (xsum[l] * xquad[l] - ysum[l] * yquad[l]) * inv;
      ysum[l] = (xsum[l] * yquad[l] + ysum[l] * xquad[l]) * inv;
      xsum[l] = xaux + kTables.fOdd[i - 1];
    }
  }
  V2 vxq[2], vyq[2], vxs[2], vys[2];
  for (int g = 0; g < 2; ++g) {
    vxq[g] = Pair(xquad, g);
    vyq[g] = Pair(yquad, g);
    vxs[g] = Pair(xsum, g);
    vys[g] = Pair(ysum, g);
  }
  for (int i = low; i >= 1; --i) {
    const double inv = kTables.inv[i];
    const double next = kTables.fOdd[i - 1];
    for (int g = 0; g < 2; ++g) {
      const V2 xaux = (vxs[g] * vxq[g] - vys[g] * vyq[g]) * inv;
      vys[g] = (vxs[g] * vyq[g] + vys[g] * vxq[g]) * inv;
      vxs[g] = xaux + next;
    }
  }
  Unpair(vxs, xsum);
  Unpair(vys, ysum);
  for (int l = 0; l < 4; ++l) {
    const double xabs = p[l]->xabs, yabs = p[l]->yabs;
    const double U1 = 1.0 - (xsum[l] * yabs + ysum[l] * xabs);
    const double V1 = xsum[l] * xabs - ysum[l] * yabs;
    const double D = std::exp(-xquad[l]);
    p[l]->U2 = D * std::cos(yquad[l]);
    p[l]->V2 = -D * std::sin(yquad[l]);
    p[l]->U = U1 * p[l]->U2 - V1 * p[l]->V2;
    p[l]->V = U1 * p[l]->V2 + V1 * p[l]->U2;
  }
}

void TaylorGroup(Point* const* p) {
  double bx[4], by[4], h[4], d1x[4], d1y[4], d2x[4], d2y[4], ax[4], ay[4], kapnd[4];
  int nu[4], kapn[4];
  int top = 0, low = 1 << 30, kapnLow = 1 << 30, kapnTop = 0;
  for (int l = 0; l < 4; ++l) {
    bx[l] = p[l]->yabs + p[l]->h;
    by[l] = -p[l]->xabs;
    h[l] = p[l]->h;
    nu[l] = p[l]->nu;
    kapn[l] = p[l]->kapn;
    kapnd[l] = kapn[l];
    d1x[l] = 1.0, d1y[l] = 0.0;
    d2x[l] = 0.0, d2y[l] = 0.0;
    ax[l] = 0.0, ay[l] = 0.0;
    top = std::max(top, nu[l]);
    low = std::min(low, nu[l]);
    kapnTop = std::max(kapnTop, kapn[l]);
    kapnLow = std::min(kapnLow, kapn[l]);
  }
  for (int n = top; n > low; --n) {
    const double half = 0.5 * n;
    for (int l = 0; l < 4; ++l) {
      if (n > nu[l]) continue;
      if (n <= kapn[l]) {
        ax[l] = d1x[l] + h[l] * ax[l];
        ay[l] = d1y[l] + h[l] * ay[l];
      }
      const double dx = bx[l] * d1x[l] - by[l] * d1y[l] + half * d2x[l];
      const double dy = bx[l] * d1y[l] + by[l] * d1x[l] + half * d2y[l];
      d2x[l] = d1x[l];
      d2y[l] = d1y[l];
      d1x[l] = dx;
      d1y[l] = dy;
    }
  }
  V2 vbx[2], vby[2], vh[2], vk[2], v1x[2], v1y[2], v2x[2], v2y[2], vax[2], vay[2];
  for (int g = 0; g < 2; ++g) {
    vbx[g] = Pair(bx, g), vby[g] = Pair(by, g), vh[g] = Pair(h, g), vk[g] = Pair(kapnd, g);
    v1x[g] = Pair(d1x, g), v1y[g] = Pair(d1y, g), v2x[g] = Pair(d2x, g), v2y[g] = Pair(d2y, g);
    vax[g] = Pair(ax, g), vay[g] = Pair(ay, g);
  }
  for (int n = low; n >= 1; --n) {
    const double half = 0.5 * n;
    const double nd = n;
    for (int g = 0; g < 2; ++g) {
      if (n <= kapnLow) {
        vax[g] = v1x[g] + vh[g] * vax[g];
        vay[g] = v1y[g] + vh[g] * vay[g];
      } else if (n <= kapnTop) {
        const auto sum = nd <= vk[g];
        vax[g] = sum ? v1x[g] + vh[g] * vax[g] : vax[g];
        vay[g] = sum ? v1y[g] + vh[g] * vay[g] : vay[g];
      }
      const V2 dx = vbx[g] * v1x[g] - vby[g] * v1y[g] + half * v2x[g];
      const V2 dy = vbx[g] * v1y[g] + vby[g] * v1x[g] + half * v2y[g];
      v2x[g] = v1x[g];
      v2y[g] = v1y[g];
      v1x[g] = dx;
      v1y[g] = dy;
    }
  }
  Unpair(v1x, d1x);
  Unpair(v1y, d1y);
  Unpair(vax, ax);
  Unpair(vay, ay);
  for (int l = 0; l < 4; ++l) {
    const double inv = 0.5 / (d1x[l] * d1x[l] + d1y[l] * d1y[l]);
    p[l]->U = kF * (ax[l] * d1x[l] + ay[l] * d1y[l]) * inv;
    p[l]->V = kF * (ay[l] * d1x[l] - ax[l] * d1y[l]) * inv;
  }
}

void RatioGroup(Point* const* p) {
  double xabs[4], yabs[4], px[4], py[4], dx[4], dy[4];
  int nu[4];
  int top = 0, low = 1 << 30;
  for (int l = 0; l < 4; ++l) {
    xabs[l] = p[l]->xabs;
    yabs[l] = p[l]->yabs;
    nu[l] = p[l]->nu;
    px[l] = 0.0, py[l] = 0.0, dx[l] = 1.0, dy[l] = 0.0;
    top = std::max(top, nu[l]);
    low = std::min(low, nu[l]);
  }
  for (int n = top; n > low; --n) {
    for (int l = 0; l < 4; ++l) {
      if (n > nu[l]) continue;
      const double ndx = yabs[l] * dx[l] - xabs[l] * dy[l] + n * px[l];
      const double ndy = yabs[l] * dy[l] + xabs[l] * dx[l] + n * py[l];
      px[l] = 0.5 * dx[l];
      py[l] = 0.5 * dy[l];
      dx[l] = ndx;
      dy[l] = ndy;
    }
  }
  V2 vxa[2], vya[2], vpx[2], vpy[2], vdx[2], vdy[2];
  for (int g = 0; g < 2; ++g) {
    vxa[g] = Pair(xabs, g), vya[g] = Pair(yabs, g);
    vpx[g] = Pair(px, g), vpy[g] = Pair(py, g), vdx[g] = Pair(dx, g), vdy[g] = Pair(dy, g);
  }
  for (int n = low; n >= 1; --n) {
    const double nd = n;
    for (int g = 0; g < 2; ++g) {
      const V2 ndx = vya[g] * vdx[g] - vxa[g] * vdy[g] + nd * vpx[g];
      const V2 ndy = vya[g] * vdy[g] + vxa[g] * vdx[g] + nd * vpy[g];
      vpx[g] = 0.5 * vdx[g];
      vpy[g] = 0.5 * vdy[g];
      vdx[g] = ndx;
      vdy[g] = ndy;
    }
  }
  Unpair(vpx, px);
  Unpair(vpy, py);
  Unpair(vdx, dx);
  Unpair(vdy, dy);
  for (int l = 0; l < 4; ++l) {
    const double inv = 1.0 / (dx[l] * dx[l] + dy[l] * dy[l]);
    p[l]->U = kF * (px[l] * dx[l] + py[l] * dy[l]) * inv;
    p[l]->V = -kF * (py[l] * dx[l] - px[l] * dy[l]) * inv;
  }
}

// Runs the loops of a block of prepared points: region 4 one by one, regions 1 to 3
// four at a time, in order of their step counts so that the four of a group take
// nearly the same number of steps (a short group is filled with idle points).
void RunLoops(Point* points, int32_t count) {
  Point idle{};
  Point* order[3][kBlock];
  Point* sorted[kBlock];
  int counts[3] = {0, 0, 0};
  for (int32_t i = 0; i < count; ++i) {
    Point* p = &points[i];
    if (p->region == 4)
      Quotients(p);
    else
      order[p->region - 1][counts[p->region - 1]++] = p;
  }
  for (int r = 0; r < 3; ++r) {
    const int n = counts[r];
    // A counting sort by step count: the counts are small.
    int first[kMaxSteps + 2] = {};
    for (int i = 0; i < n; ++i) ++first[std::clamp(order[r][i]->nu, 0, kMaxSteps) + 1];
    for (int k = 1; k <= kMaxSteps + 1; ++k) first[k] += first[k - 1];
    for (int i = 0; i < n; ++i) sorted[first[std::clamp(order[r][i]->nu, 0, kMaxSteps)]++] = order[r][i];
    for (int from = 0; from < n; from += 4) {
      Point* group[4];
      for (int l = 0; l < 4; ++l) group[l] = from + l < n ? sorted[from + l] : &idle;
      if (r == 0)
        SeriesGroup(group);
      else if (r == 1)
        TaylorGroup(group);
      else
        RatioGroup(group);
    }
  }
}

}  // namespace

int16_t VoigtComplexErrorFn(const double* z, double* w) {
  Point p;
  Prepare(z[0], z[1], &p);
  Point* const one[1] = {&p};
  switch (p.region) {
    case 1:
      SeriesLanes<1>(one);
      break;
    case 2:
      TaylorLanes<1>(one);
      break;
    case 3:
      RatioLanes<1>(one);
      break;
    default:
      Quotients(&p);
      break;
  }
  return Finish(p, w);
}

void VoigtComplexErrorFnMany(const double* zr, const double* zi, int32_t count, double* wr, double* wi,
                             int16_t* flags) {
  Point points[kBlock];
  for (int32_t from = 0; from < count; from += kBlock) {
    const int32_t n = std::min(kBlock, count - from);
    for (int32_t i = 0; i < n; ++i) Prepare(zr[from + i], zi[from + i], &points[i]);
    RunLoops(points, n);
    for (int32_t i = 0; i < n; ++i) {
      double w[2];
      const int16_t flag = Finish(points[i], w);
      wr[from + i] = w[0];
      wi[from + i] = w[1];
      if (flags) flags[from + i] = flag;
    }
  }
}

double VoigtProfile(double d, double gau, double lor) {
  const double z[2] = {2.0 * VOIGT_SQRT_LN2 * d / gau, VOIGT_SQRT_LN2 * lor / gau};
  double w[2];
  if (VoigtComplexErrorFn(z, w) != 0) return 0.0;
  return VOIGT_NORM / gau * w[0];
}

void VoigtProfiles(const double* d, int32_t count, double gau, double lor, double* out) {
  double zr[kBlock], zi[kBlock], wr[kBlock], wi[kBlock];
  int16_t flags[kBlock];
  for (int32_t from = 0; from < count; from += kBlock) {
    const int32_t n = std::min(kBlock, count - from);
    for (int32_t i = 0; i < n; ++i) {
      zr[i] = 2.0 * VOIGT_SQRT_LN2 * d[from + i] / gau;
      zi[i] = VOIGT_SQRT_LN2 * lor / gau;
    }
    VoigtComplexErrorFnMany(zr, zi, n, wr, wi, flags);
    for (int32_t i = 0; i < n; ++i) out[from + i] = flags[i] != 0 ? 0.0 : VOIGT_NORM / gau * wr[i];
  }
}
