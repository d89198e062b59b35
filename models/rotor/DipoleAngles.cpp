#include "models/rotor/DipoleAngles.h"

#include <cmath>

int32_t HamDipoleAngleCnv(int32_t, double, double theta, double phi, double* a, double* b, double* c) {
  constexpr double kDeg = 3.14159265358979323846 / 180.0;
  const double cosines[3] = {std::cos(theta * kDeg), std::sin(theta * kDeg) * std::cos(phi * kDeg),
                             std::sin(theta * kDeg) * std::sin(phi * kDeg)};
  double* shares[3] = {a, b, c};
  for (int i = 0; i < 3; ++i) {
    const double share = 100.0 * cosines[i] * cosines[i];
    if (shares[i]) *shares[i] = cosines[i] < 0.0 ? -share : share;
  }
  return 1;
}
