#include "models/quad/QuadMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace quadmath {

namespace {

// a, b, c (doubled) form a triangle whose sum is integral.
bool Triangle(int a, int b, int c) {
  return a >= 0 && b >= 0 && c >= 0 && (a + b + c) % 2 == 0 && c >= std::abs(a - b) && c <= a + b;
}

// ln n! for n = 0 .. size - 1.
std::vector<double> LogFactorials(int size) {
  std::vector<double> lf(static_cast<size_t>(std::max(size, 1)), 0.0);
  for (size_t n = 2; n < lf.size(); ++n) lf[n] = lf[n - 1] + std::log(static_cast<double>(n));
  return lf;
}

// ln of the triangle coefficient (a+b-c)! (a-b+c)! (-a+b+c)! / (a+b+c+1)!, doubled
// arguments, halved.
double LogDelta(const std::vector<double>& lf, int a, int b, int c) {
  return 0.5 * (lf[(a + b - c) / 2] + lf[(a - b + c) / 2] + lf[(b + c - a) / 2] - lf[(a + b + c) / 2 + 1]);
}

}  // namespace

double SixJ(int j1, int j2, int j3, int j4, int j5, int j6) {
  if (!Triangle(j1, j2, j3) || !Triangle(j1, j5, j6) || !Triangle(j4, j2, j6) || !Triangle(j4, j5, j3)) return 0.0;
  // Racah: sum over t of (-1)^t (t+1)! / [(t-a1)!(t-a2)!(t-a3)!(t-a4)!(b1-t)!(b2-t)!(b3-t)!]
  // (all in whole units now).
  const int a[4] = {(j1 + j2 + j3) / 2, (j1 + j5 + j6) / 2, (j4 + j2 + j6) / 2, (j4 + j5 + j3) / 2};
  const int b[3] = {(j1 + j2 + j4 + j5) / 2, (j2 + j3 + j5 + j6) / 2, (j3 + j1 + j6 + j4) / 2};
  const int tLo = *std::max_element(a, a + 4);
  const int tHi = *std::min_element(b, b + 3);
  const std::vector<double> lf = LogFactorials(std::max(tLo, *std::max_element(b, b + 3)) + 2);
  const double delta =
      LogDelta(lf, j1, j2, j3) + LogDelta(lf, j1, j5, j6) + LogDelta(lf, j4, j2, j6) + LogDelta(lf, j4, j5, j3);
  double sum = 0.0;
  for (int t = tLo; t <= tHi; ++t) {
    double ln = lf[t + 1] + delta;
    for (int k = 0; k < 4; ++k) ln -= lf[t - a[k]];
    for (int k = 0; k < 3; ++k) ln -= lf[b[k] - t];
    sum += (t % 2 == 0 ? 1.0 : -1.0) * std::exp(ln);
  }
  return sum;
}

double Casimir(double J, double I, double F) {
  if (I < 1.0 || J < 1.0) return 0.0;
  const double ii = I * (I + 1.0), jj = J * (J + 1.0);
  const double C = F * (F + 1.0) - ii - jj;
  return (0.75 * C * (C + 1.0) - ii * jj) / (2.0 * I * (2.0 * I - 1.0) * (2.0 * J - 1.0) * (2.0 * J + 3.0));
}

}  // namespace quadmath
