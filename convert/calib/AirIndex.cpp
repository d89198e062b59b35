#include "convert/calib/AirIndex.h"

#include <cmath>

void AirRefractiveIndex(double lambdaNm, double tC, double pTorr, double fTorr, double* airNm, double* index) {
  const double s = 1000.0 / lambdaNm;  // wavenumber in inverse micrometres
  const double s2 = s * s;
  const double ns = 1.0 + 1e-8 * (8342.13 + 2406030.0 / (130.0 - s2) + 15997.0 / (38.9 - s2));
  double n = 1.0 + (ns - 1.0) * 0.00138823 * pTorr / (1.0 + 0.003671 * tC);
  n -= fTorr * (5.722 - 0.0457 * s2) * 1e-8;
  *index = n;
  *airNm = lambdaNm / n;
}

long double WavelengthAirCorrect(double airNm, double tC, double pTorr, double fTorr, double tolerance,
                                 double* vacuumNm) {
  const double a = airNm;
  if (!(a > 0.0) || !std::isfinite(a)) {
    *vacuumNm = a;
    return a;
  }
  // A step below the resolution of the target would never move the trial wavelength.
  const double e = std::fmax(tolerance, std::fabs(a) * std::ldexp(1.0, -52));
  double w = a;
  double d = 1e10;
  double r = 0.0;
  double n = 1.0;
  AirRefractiveIndex(w, tC, pTorr, fTorr, &r, &n);
  // Each pass moves the trial by at least one step of the tolerance toward the target,
  // so the search ends; the bound only guards against rounding at the last digit.
  for (int pass = 0; pass < 10000000; ++pass) {
    if (a - e <= r && r <= a + e) break;
    while (d > 1.0 && std::fabs(r - a) < e * d) d = std::fmax(d * 0.1, 1.0);
    if (r - a >= e * d)
      w -= e * d;
    else if (r - a <= -e * d)
      w += e * d;
    AirRefractiveIndex(w, tC, pTorr, fTorr, &r, &n);
  }
  *vacuumNm = w;
  return r;
}
