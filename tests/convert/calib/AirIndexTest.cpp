// The refractive index of air against two formulas computed here independently, and
// the vacuum-wavelength search.
#include <gtest/gtest.h>

#include <cmath>

#include "convert/calib/AirIndex.h"

namespace {

// Edlen (1966): dispersion of standard air with the full temperature and pressure terms
// (pressure in Torr).
double EdlenMinusOne(double nm, double tC, double pTorr) {
  const double s2 = (1000.0 / nm) * (1000.0 / nm);
  const double standard = 1e-8 * (8342.13 + 2406030.0 / (130.0 - s2) + 15997.0 / (38.9 - s2));
  return standard * pTorr * (1.0 + pTorr * (0.817 - 0.0133 * tC) * 1e-6) / (720.775 * (1.0 + 0.0036610 * tC));
}

// Compressibility of moist air (BIPM 1981/91), as used by Ciddor.
double Compressibility(double pPa, double tK, double xw) {
  const double t = tK - 273.15;
  const double a0 = 1.58123e-6, a1 = -2.9331e-8, a2 = 1.1043e-10;
  const double b0 = 5.707e-6, b1 = -2.051e-8, c0 = 1.9898e-4, c1 = -2.376e-6;
  const double d = 1.83e-11, e = -0.765e-8;
  const double pt = pPa / tK;
  return 1.0 - pt * (a0 + a1 * t + a2 * t * t + (b0 + b1 * t) * xw + (c0 + c1 * t) * xw * xw) +
         pt * pt * (d + e * xw * xw);
}

// Ciddor (1996) for dry air with CO2 mole fraction co2Ppm.
double CiddorMinusOne(double nm, double tC, double pPa, double co2Ppm) {
  const double s2 = (1000.0 / nm) * (1000.0 / nm);
  const double standard = 1e-8 * (5792105.0 / (238.0185 - s2) + 167917.0 / (57.362 - s2));
  const double withCo2 = standard * (1.0 + 0.534e-6 * (co2Ppm - 450.0));
  const double r = 8.314510;
  const double ma = 1e-3 * (28.9635 + 12.011e-6 * (co2Ppm - 400.0));
  const double tK = tC + 273.15;
  const double densityStandard = 101325.0 * ma / (Compressibility(101325.0, 288.15, 0.0) * r * 288.15);
  const double density = pPa * ma / (Compressibility(pPa, tK, 0.0) * r * tK);
  return density / densityStandard * withCo2;
}

TEST(AirIndexTest, HeliumNeonLineAtRoomConditions) {
  double air = 0.0;
  double n = 0.0;
  AirRefractiveIndex(632.8, 25.0, 760.0, 0.0, &air, &n);
  EXPECT_NEAR(n, 1.0002672, 5e-8);
  EXPECT_DOUBLE_EQ(air, 632.8 / n);
  // Water vapour lowers the index.
  double wet = 0.0;
  AirRefractiveIndex(632.8, 25.0, 760.0, 10.0, &air, &wet);
  EXPECT_NEAR(n - wet, 10.0 * (5.722 - 0.0457 * (1000.0 / 632.8) * (1000.0 / 632.8)) * 1e-8, 1e-15);
}

TEST(AirIndexTest, AgreesWithEdlenAndCiddorFromVioletToInfrared) {
  for (double nm = 400.0; nm <= 1064.0; nm += 8.0) {
    for (double t = 15.0; t <= 25.0; t += 2.5) {
      double air = 0.0;
      double n = 0.0;
      AirRefractiveIndex(nm, t, 760.0, 0.0, &air, &n);
      EXPECT_NEAR(n - 1.0, EdlenMinusOne(nm, t, 760.0), 5e-9) << nm << " nm " << t << " C";
      EXPECT_NEAR(n - 1.0, CiddorMinusOne(nm, t, 101325.0, 450.0), 3e-8) << nm << " nm " << t << " C";
    }
  }
}

TEST(AirIndexTest, VacuumWavelengthOfAnAirWavelength) {
  for (double target : {400.0, 532.1, 632.8, 1064.0}) {
    double vacuum = 0.0;
    const long double reached = WavelengthAirCorrect(target, 25.0, 760.0, 0.0, 1e-7, &vacuum);
    double air = 0.0;
    double n = 0.0;
    AirRefractiveIndex(vacuum, 25.0, 760.0, 0.0, &air, &n);
    EXPECT_NEAR(air, target, 1e-7) << target;
    EXPECT_EQ(static_cast<double>(reached), air);
    EXPECT_GT(vacuum, target);
  }
  // A target within the tolerance of itself returns at once.
  double vacuum = 0.0;
  double air = 0.0;
  double n = 0.0;
  AirRefractiveIndex(632.8, 25.0, 760.0, 0.0, &air, &n);
  EXPECT_EQ(static_cast<double>(WavelengthAirCorrect(632.8, 25.0, 760.0, 0.0, 1.0, &vacuum)), air);
  EXPECT_EQ(vacuum, 632.8);
}

TEST(AirIndexTest, ToleranceBelowTheResolutionIsRaised) {
  for (double tolerance : {0.0, -1.0, 1e-30}) {
    double vacuum = 0.0;
    const double reached = static_cast<double>(WavelengthAirCorrect(632.8, 20.0, 760.0, 0.0, tolerance, &vacuum));
    EXPECT_NEAR(reached, 632.8, 632.8 * std::ldexp(1.0, -52)) << tolerance;
  }
  double vacuum = 1.0;
  EXPECT_EQ(static_cast<double>(WavelengthAirCorrect(0.0, 20.0, 760.0, 0.0, 1e-7, &vacuum)), 0.0);
  EXPECT_EQ(vacuum, 0.0);
}

}  // namespace
