// The models' services the simulation sets call: dipole shares from angles and the
// unit conversion of HITRAN sets.
#include <gtest/gtest.h>

#include <cmath>

#include "core/TypedArrays.h"
#include "models/hitran/HtUnits.h"
#include "models/rotor/DipoleAngles.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/Sim.h"

namespace {

TEST(DipoleAngles, SharesAreSignedSquaredCosinesSummingToAHundred) {
  double a = 0, b = 0, c = 0;
  EXPECT_EQ(HamDipoleAngleCnv(0, 2.0, 0.0, 0.0, &a, &b, &c), 1);
  EXPECT_NEAR(a, 100.0, 1e-12);
  EXPECT_NEAR(b, 0.0, 1e-12);
  HamDipoleAngleCnv(0, 1.5, 90.0, 0.0, &a, &b, &c);
  EXPECT_NEAR(b, 100.0, 1e-12);
  HamDipoleAngleCnv(0, 1.0, 120.0, 225.0, &a, &b, &c);
  EXPECT_NEAR(a, -25.0, 1e-9);
  EXPECT_NEAR(b, -37.5, 1e-9);
  EXPECT_NEAR(c, -37.5, 1e-9);
  for (double theta = 0; theta < 180; theta += 17)
    for (double phi = 0; phi < 360; phi += 23) {
      HamDipoleAngleCnv(0, 0.0, theta, phi, &a, &b, &c);
      EXPECT_NEAR(std::fabs(a) + std::fabs(b) + std::fabs(c), 100.0, 1e-9);
    }
}

TEST(HitranUnits, LevelEnergiesFollowTheSetsOwnLevelCount) {
  Sim = SimRecord{};
  Dsp = DspRecord{};
  StrCopy(Dsp.Units_Txt, "MHz");
  Sim.HT_Global_Stat[0] = 1;
  Sim.FI_Lines[0] = 2;
  Sim.FI_Erg_Sz[0] = 3;  // more levels than lines
  ASSERT_EQ(DAlloc1Dim(&Sim.FI_Sim_Erg[0], 2), 1);
  ASSERT_EQ(DAlloc1Dim(&Sim.FI_HamErg_Vector[0][0], 3), 1);
  for (int l = 0; l < 3; ++l) Sim.FI_HamErg_Vector[0][0][l] = 1.0;
  SimHTUnitsConvert(0, 0);
  EXPECT_EQ(Sim.HT_MHz_Stat[0], 1u);
  for (int l = 0; l < 3; ++l) EXPECT_DOUBLE_EQ(Sim.FI_HamErg_Vector[0][0][l], HT_MHZ_PER_CM1) << l;
  SimHTUnitsConvert(0, 1);
  EXPECT_DOUBLE_EQ(Sim.FI_HamErg_Vector[0][0][2], 1.0);
  DFree1Dim(&Sim.FI_Sim_Erg[0]);
  DFree1Dim(&Sim.FI_HamErg_Vector[0][0]);
}

}  // namespace
