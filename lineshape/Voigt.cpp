// w(z) after the ACM TOMS algorithm 680 (Poppe and Wijers): a power series near the
// origin, a Taylor series with continued-fraction derivatives in the ring up to
// rho = 1 and the Laplace continued fraction beyond, with w(z) = 2 exp(-z^2) - w(-z)
// for the lower half plane. The loops below do the same arithmetic as the textbook
// form; where it divides by a running value every step, the quotient is formed once.
#include "lineshape/Voigt.h"

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

// An argument with a part that is not finite: no loop runs for it, its value is 0.
int16_t NotFinite(double* w) {
  w[0] = 0.0;
  w[1] = 0.0;
  return 2;
}

// Points prepared and run together, and the largest step count sorted apart (more
// steps than any region takes sort together).
constexpr int32_t kBlock = 256;
constexpr int kMaxSteps = 64;

// Where a point lies and what its loops need: region 1 the power series, 2 the Taylor
// ring, 3 the fraction carried as a ratio, 4 the fraction by quotients (huge z); 0 a
// z with a part that is not finite, for which nothing is computed.
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
  if (!std::isfinite(x) || !std::isfinite(y)) {
    // Term counts formed from such a z would not be numbers.
    p->region = 0;
    p->U = p->V = p->U2 = p->V2 = 0.0;
    return;
  }
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
// Their state is kept for N points side by side (N = 1 for a single call, 4 for a group
// of many-point calls). Steps are counted so that every point ends with step 1: a step
// n runs on the points with at least n steps, each lane doing exactly the arithmetic of
// its point alone.
template <int N>
int MostSteps(Point* const* p) {
  int top = 0;
  for (int l = 0; l < N; ++l) top = std::max(top, p[l]->nu);
  return top;
}
template <int N>
int FewestSteps(Point* const* p) {
  int low = p[0]->nu;
  for (int l = 1; l < N; ++l) low = std::min(low, p[l]->nu);
  return low;
}

// Power series (nu terms).
template <int N>
struct Series {
  double xquad[N], yquad[N], xsum[N], ysum[N];
  int nu[N];

  explicit Series(Point* const* p) {
    for (int l = 0; l < N; ++l) {
      xquad[l] = (p[l]->xabs - p[l]->yabs) * (p[l]->xabs + p[l]->yabs);
      yquad[l] = 2.0 * p[l]->xabs * p[l]->yabs;
      nu[l] = p[l]->nu;
      xsum[l] = kTables.fOdd[nu[l]];
      ysum[l] = 0.0;
    }
  }
  // Steps from, from - 1, ..., stop + 1.
  void Steps(int from, int stop) {
    for (int i = from; i > stop; --i) {
      const double inv = kTables.inv[i];
      for (int l = 0; l < N; ++l) {
        if (i > nu[l]) continue;
        const double xaux = (xsum[l] * xquad[l] - ysum[l] * yquad[l]) * inv;
        ysum[l] = (xsum[l] * yquad[l] + ysum[l] * xquad[l]) * inv;
        xsum[l] = xaux + kTables.fOdd[i - 1];
      }
    }
  }
  void End(Point* const* p) const {
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
};

// Taylor series whose derivatives come from the continued fraction. With b = (yabs + h)
// - i xabs the fraction is R(n) = 0.5 / (b + n R(n + 1)), R(nu + 1) = 0, and the sum is
// S(n) = R(n) (h2^(n - 1) + S(n + 1)) for n <= kapn. As a ratio R(n) = 0.5 D(n + 1) /
// D(n) with D(n) = b D(n + 1) + 0.5 n D(n + 2), the products of R telescope: S(1) =
// 0.5 / D(1) x sum over n <= kapn of h^(n - 1) D(n + 1), summed by Horner's rule on the
// way down. One division in all; D stays below |b|^nu, small inside this ring.
template <int N>
struct Taylor {
  double bx[N], by[N], h[N];
  double d1x[N], d1y[N];  // D(n + 1)
  double d2x[N], d2y[N];  // D(n + 2)
  double ax[N], ay[N];    // the Horner sum
  int nu[N], kapn[N];

  explicit Taylor(Point* const* p) {
    for (int l = 0; l < N; ++l) {
      bx[l] = p[l]->yabs + p[l]->h;
      by[l] = -p[l]->xabs;
      h[l] = p[l]->h;
      nu[l] = p[l]->nu;
      kapn[l] = p[l]->kapn;
      d1x[l] = 1.0, d1y[l] = 0.0;
      d2x[l] = 0.0, d2y[l] = 0.0;
      ax[l] = 0.0, ay[l] = 0.0;
    }
  }
  void Steps(int from, int stop) {
    for (int n = from; n > stop; --n) {
      const double half = 0.5 * n;
      for (int l = 0; l < N; ++l) {
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
  }
  void End(Point* const* p) const {
    for (int l = 0; l < N; ++l) {
      const double inv = 0.5 / (d1x[l] * d1x[l] + d1y[l] * d1y[l]);
      p[l]->U = kF * (ax[l] * d1x[l] + ay[l] * d1y[l]) * inv;
      p[l]->V = kF * (ay[l] * d1x[l] - ax[l] * d1y[l]) * inv;
    }
  }
};

// Laplace continued fraction. With a = yabs + i xabs the fraction is Q(n) = 0.5 / (a +
// n Q(n + 1)), Q(nu + 1) = 0, and (RX, RY) = conj Q(1). Carried as a ratio P/D of two
// recurrences, it needs one division in all: D grows like |a|^nu, far inside the range
// of a double below the limit.
template <int N>
struct Ratio {
  double xabs[N], yabs[N], px[N], py[N], dx[N], dy[N];
  int nu[N];

  explicit Ratio(Point* const* p) {
    for (int l = 0; l < N; ++l) {
      xabs[l] = p[l]->xabs;
      yabs[l] = p[l]->yabs;
      nu[l] = p[l]->nu;
      px[l] = 0.0, py[l] = 0.0, dx[l] = 1.0, dy[l] = 0.0;
    }
  }
  void Steps(int from, int stop) {
    for (int n = from; n > stop; --n) {
      for (int l = 0; l < N; ++l) {
        if (n > nu[l]) continue;
        const double ndx = yabs[l] * dx[l] - xabs[l] * dy[l] + n * px[l];
        const double ndy = yabs[l] * dy[l] + xabs[l] * dx[l] + n * py[l];
        px[l] = 0.5 * dx[l];
        py[l] = 0.5 * dy[l];
        dx[l] = ndx;
        dy[l] = ndy;
      }
    }
  }
  void End(Point* const* p) const {
    for (int l = 0; l < N; ++l) {
      const double inv = 1.0 / (dx[l] * dx[l] + dy[l] * dy[l]);
      p[l]->U = kF * (px[l] * dx[l] + py[l] * dy[l]) * inv;
      p[l]->V = -kF * (py[l] * dx[l] - px[l] * dy[l]) * inv;
    }
  }
};

// One point's loops.
template <template <int> class Loop>
void RunOne(Point* p) {
  Point* const one[1] = {p};
  Loop<1> loop(one);
  loop.Steps(p->nu, 0);
  loop.End(one);
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
  if (p.region == 0) return NotFinite(w);
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

// Four points together: the steps above the smallest count run lane by lane (the
// others wait); from there on all four take the same step n and run as two vectors of
// two lanes, each lane's arithmetic still that of its point alone.
V2 Pair(const double* v, int g) { return V2{v[2 * g], v[2 * g + 1]}; }
void Unpair(const V2* v, double* out) {
  for (int l = 0; l < 4; ++l) out[l] = v[l / 2][l % 2];
}

void SeriesGroup(Point* const* p) {
  Series<4> s(p);
  const int low = FewestSteps<4>(p);
  s.Steps(MostSteps<4>(p), low);
  V2 xq[2], yq[2], xs[2], ys[2];
  for (int g = 0; g < 2; ++g) {
    xq[g] = Pair(s.xquad, g), yq[g] = Pair(s.yquad, g), xs[g] = Pair(s.xsum, g), ys[g] = Pair(s.ysum, g);
  }
  for (int i = low; i >= 1; --i) {
    const double inv = kTables.inv[i];
    const double next = kTables.fOdd[i - 1];
    for (int g = 0; g < 2; ++g) {
      const V2 xaux = (xs[g] * xq[g] - ys[g] * yq[g]) * inv;
      ys[g] = (xs[g] * yq[g] + ys[g] * xq[g]) * inv;
      xs[g] = xaux + next;
    }
  }
  Unpair(xs, s.xsum);
  Unpair(ys, s.ysum);
  s.End(p);
}

void TaylorGroup(Point* const* p) {
  Taylor<4> t(p);
  const int low = FewestSteps<4>(p);
  t.Steps(MostSteps<4>(p), low);
  double kapnd[4];
  int kapnLow = t.kapn[0], kapnTop = t.kapn[0];
  for (int l = 0; l < 4; ++l) {
    kapnd[l] = t.kapn[l];
    kapnLow = std::min(kapnLow, t.kapn[l]);
    kapnTop = std::max(kapnTop, t.kapn[l]);
  }
  V2 bx[2], by[2], h[2], k[2], d1x[2], d1y[2], d2x[2], d2y[2], ax[2], ay[2];
  for (int g = 0; g < 2; ++g) {
    bx[g] = Pair(t.bx, g), by[g] = Pair(t.by, g), h[g] = Pair(t.h, g), k[g] = Pair(kapnd, g);
    d1x[g] = Pair(t.d1x, g), d1y[g] = Pair(t.d1y, g), d2x[g] = Pair(t.d2x, g), d2y[g] = Pair(t.d2y, g);
    ax[g] = Pair(t.ax, g), ay[g] = Pair(t.ay, g);
  }
  for (int n = low; n >= 1; --n) {
    const double half = 0.5 * n;
    const double nd = n;
    for (int g = 0; g < 2; ++g) {
      if (n <= kapnLow) {
        ax[g] = d1x[g] + h[g] * ax[g];
        ay[g] = d1y[g] + h[g] * ay[g];
      } else if (n <= kapnTop) {
        const auto sum = nd <= k[g];
        ax[g] = sum ? d1x[g] + h[g] * ax[g] : ax[g];
        ay[g] = sum ? d1y[g] + h[g] * ay[g] : ay[g];
      }
      const V2 dx = bx[g] * d1x[g] - by[g] * d1y[g] + half * d2x[g];
      const V2 dy = bx[g] * d1y[g] + by[g] * d1x[g] + half * d2y[g];
      d2x[g] = d1x[g];
      d2y[g] = d1y[g];
      d1x[g] = dx;
      d1y[g] = dy;
    }
  }
  Unpair(d1x, t.d1x);
  Unpair(d1y, t.d1y);
  Unpair(ax, t.ax);
  Unpair(ay, t.ay);
  t.End(p);
}

void RatioGroup(Point* const* p) {
  Ratio<4> r(p);
  const int low = FewestSteps<4>(p);
  r.Steps(MostSteps<4>(p), low);
  V2 xa[2], ya[2], px[2], py[2], dx[2], dy[2];
  for (int g = 0; g < 2; ++g) {
    xa[g] = Pair(r.xabs, g), ya[g] = Pair(r.yabs, g);
    px[g] = Pair(r.px, g), py[g] = Pair(r.py, g), dx[g] = Pair(r.dx, g), dy[g] = Pair(r.dy, g);
  }
  for (int n = low; n >= 1; --n) {
    const double nd = n;
    for (int g = 0; g < 2; ++g) {
      const V2 ndx = ya[g] * dx[g] - xa[g] * dy[g] + nd * px[g];
      const V2 ndy = ya[g] * dy[g] + xa[g] * dx[g] + nd * py[g];
      px[g] = 0.5 * dx[g];
      py[g] = 0.5 * dy[g];
      dx[g] = ndx;
      dy[g] = ndy;
    }
  }
  Unpair(px, r.px);
  Unpair(py, r.py);
  Unpair(dx, r.dx);
  Unpair(dy, r.dy);
  r.End(p);
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
    if (p->region == 0) continue;
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
  switch (p.region) {
    case 1:
      RunOne<Series>(&p);
      break;
    case 2:
      RunOne<Taylor>(&p);
      break;
    case 3:
      RunOne<Ratio>(&p);
      break;
    case 4:
      Quotients(&p);
      break;
    default:
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
