// Interpolating cubic splines (set-up of the second derivatives, evaluation), in
// single and double precision. Arrays are addressed 1..n. An end slope of 9.9e29 or
// more selects the natural end (second derivative 0); callers pass 1e30. Set-up and
// evaluation need at least two knots. The work vector is allocated per call, so
// every routine may run in several threads at once.
#pragma once

#include <cstdint>

// Natural-end marker that callers pass as an end slope.
constexpr double SPLINE_NATURAL = 1.0e30;

// Second derivatives y2[1..n] of the spline through (x[i], y[i]), x rising strictly
// (a table read from a file or typed is checked with spline::FirstNotRising first).
// 1, or -1 after an "Error" box (allocation failure, fewer than two knots).
int16_t FSpline(const float* x, const float* y, int32_t n, float yp1, float ypn, float* y2);
// As FSpline with the caller's work vector u[1..n] in place of one of its own, for a
// caller that sets up many splines; n >= 2.
void FSplineWork(const float* x, const float* y, int32_t n, float yp1, float ypn, float* y2, float* u);
// As FSpline; with plot = 1 the knots are also written to the file named by
// Dsp.Plot_Flnm ("PLOT.dat" at first, current folder), one "%14.6lf %14.6lf" line
// per knot, with CR LF line ends.
int16_t DSpline(const double* x, const double* y, int32_t n, double yp1, double ypn, double* y2, int16_t plot);

// Spline value at x (the end intervals' cubics extend outside the knots). -1 without
// a message, *y untouched, when the bracketing abscissae are equal or n < 2.
int16_t FSplint(const float* xa, const float* ya, const float* y2a, int32_t n, float x, float* y);
int16_t DSplint(const double* xa, const double* ya, const double* y2a, int32_t n, double x, double* y);

namespace spline {

// The first knot k (2..n) of xa[1..n] that does not lie above the knot before it, or 0
// when the abscissae rise strictly, as set-up and evaluation need them. A knot that is
// not a number is out of order.
template <typename T>
int64_t FirstNotRising(const T* xa, int64_t n) {
  for (int64_t k = 2; k <= n; ++k)
    if (!(xa[k] > xa[k - 1])) return k;
  return 0;
}

// The interval [klo, klo + 1] of xa[1..n] that the evaluation's bisection brackets x in.
template <typename T>
int64_t Bisect(const T* xa, int64_t n, T x) {
  int64_t klo = 1;
  int64_t khi = n;
  while (khi - klo > 1) {
    const int64_t k = klo + (khi - klo) / 2;
    if (xa[k] > x)
      khi = k;
    else
      klo = k;
  }
  return klo;
}

// The value at x of the cubic on [klo, klo + 1]; false when its abscissae are equal.
template <typename T>
__attribute__((always_inline)) inline bool ValueOn(const T* xa, const T* ya, const T* y2a, int64_t klo, T x, T* y) {
  const int64_t khi = klo + 1;
  const T h = xa[khi] - xa[klo];
  if (h == 0) return false;
  const T a = (xa[khi] - x) / h;
  const T b = (x - xa[klo]) / h;
  *y = a * ya[klo] + b * ya[khi] + ((a * a * a - a) * y2a[klo] + (b * b * b - b) * y2a[khi]) * (h * h) / T(6);
  return true;
}

// Evaluation that starts from the interval of the previous call and walks a few knots
// from there: where the abscissae rise strictly, the one interval that satisfies the
// bisection's ends is the one it finds, so an x that moves little costs a comparison or
// two and gives FSplint's and DSplint's values to the bit. Farther moves, and knots that
// do not rise strictly, are bisected.
template <typename T>
class Cursor {
 public:
  Cursor(const T* xa, const T* ya, const T* y2a, int64_t n) : xa_(xa), ya_(ya), y2a_(y2a), n_(n) {
    for (int64_t i = 1; i < n && rising_; ++i) rising_ = xa[i] < xa[i + 1];
  }
  // As FSplint/DSplint: false (y untouched) when n < 2 or the abscissae are equal.
  __attribute__((always_inline)) bool At(T x, T* y) {
    if (n_ < 2) return false;
    if (!rising_ || !Walk(x)) klo_ = Bisect(xa_, n_, x);
    return ValueOn(xa_, ya_, y2a_, klo_, x, y);
  }

 private:
  static constexpr int kSteps = 8;
  bool Brackets(int64_t k, T x) const { return (k == 1 || xa_[k] <= x) && (k + 1 == n_ || xa_[k + 1] > x); }
  // True when x is bracketed within kSteps knots of the last interval (then klo_).
  bool Walk(T x) {
    for (int step = 0; step < kSteps; ++step) {
      if (Brackets(klo_, x)) return true;
      if (klo_ + 1 < n_ && xa_[klo_ + 1] <= x)
        ++klo_;
      else if (klo_ > 1 && xa_[klo_] > x)
        --klo_;
      else
        return false;
    }
    return Brackets(klo_, x);
  }

  const T* xa_;
  const T* ya_;
  const T* y2a_;
  int64_t n_;
  int64_t klo_ = 1;
  bool rising_ = true;
};

}  // namespace spline
