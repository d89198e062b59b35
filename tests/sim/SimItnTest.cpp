// Line intensities from amplitudes, dipole shares and temperatures.
#include <cmath>

#include "sim/SimItn.h"
#include "tests/sim/RenderFixture.h"

namespace qvtest {
namespace {

class SimItnTest : public RenderTest {
 protected:
  void TearDown() override {
    FFree1Dim(&Sim.FI_Amp[0]);
    FFree1Dim(&Sim.FI_Imag[0]);
    DFree1Dim(&Sim.FI_HamErg_Vector[0][1]);
    LFree1Dim(&Sim.FI_Erg_Idx[0][1]);
    RenderTest::TearDown();
  }
  // Lower (and upper) level energies of the set's lines, one level per line.
  void Levels(const std::vector<double>& lower, const std::vector<double>& upper = {}) {
    const uint32_t n = static_cast<uint32_t>(lower.size());
    DAlloc1Dim(&Sim.FI_HamErg_Vector[0][0], n);
    LAlloc1Dim(&Sim.FI_Erg_Idx[0][0], n);
    for (uint32_t i = 0; i < n; ++i) {
      Sim.FI_HamErg_Vector[0][0][i] = lower[i];
      Sim.FI_Erg_Idx[0][0][i] = static_cast<int32_t>(i);
    }
    if (!upper.empty()) {
      DAlloc1Dim(&Sim.FI_HamErg_Vector[0][1], n);
      LAlloc1Dim(&Sim.FI_Erg_Idx[0][1], n);
      for (uint32_t i = 0; i < n; ++i) {
        Sim.FI_HamErg_Vector[0][1][i] = upper[i];
        Sim.FI_Erg_Idx[0][1][i] = static_cast<int32_t>(i);
      }
    }
    Sim.FI_Erg_Sz[0] = n;
    Sim.TEMP_GLOBAL_STAT[0] = 1;
  }
};

TEST_F(SimItnTest, StoredIntensityAndBandShares) {
  Lines(0, {10.0, 20.0, 30.0}, {2.0f, 3.0f, 4.0f});
  EXPECT_EQ(SimFIItnCalc(0, 1), 3.0);
  Sim.FI_BT_Lbl[0][0] = 'A';
  Sim.FI_BT_Lbl[0][1] = 'C';
  Sim.FI_BT_Lbl[0][2] = 'N';
  Sim.TDM_GLOBAL_STAT[0] = 1;
  Sim.TDM_Angle[0][0] = 50.0;
  Sim.TDM_Angle[0][2] = -25.0;
  EXPECT_DOUBLE_EQ(SimFIItnCalc(0, 0), 2.0 * 0.5);
  EXPECT_DOUBLE_EQ(SimFIItnCalc(0, 1), 3.0 * -0.25);
  EXPECT_DOUBLE_EQ(SimFIItnCalc(0, 2), 4.0);  // a line added by hand keeps its value
  EXPECT_EQ(SimFIItnCalc(0, 3), 0.0);          // no such line
  EXPECT_EQ(SimFIItnCalc(0, -1), 0.0);
}

TEST_F(SimItnTest, AmplitudesWithSignedRootsOfTheShares) {
  Lines(0, {10.0}, {9.0f});
  FAlloc1Dim(&Sim.FI_Amp[0], 3);
  FAlloc1Dim(&Sim.FI_Imag[0], 3);
  Sim.FI_Amp[0][0] = 1.0f;
  Sim.FI_Amp[0][1] = 2.0f;
  Sim.FI_Amp[0][2] = 0.5f;
  Sim.FI_Imag[0][2] = 2.0f;
  Sim.TDM_GLOBAL_STAT[0] = 1;
  Sim.AMP_STAT[0] = 1;
  Sim.TDM_Angle[0][0] = 25.0;   // +0.5
  Sim.TDM_Angle[0][1] = -36.0;  // -0.6
  Sim.TDM_Angle[0][2] = 4.0;    // +0.2
  const double re = 0.5 * 1.0 - 0.6 * 2.0 + 0.2 * 0.5;
  EXPECT_NEAR(SimFIItnCalc(0, 0), re * re, 1e-12);
  Sim.IMAG_STAT[0] = 1;
  EXPECT_NEAR(SimFIItnCalc(0, 0), re * re + 0.4 * 0.4, 1e-12);
}

TEST_F(SimItnTest, TemperaturesWeightsAndTheOneStateFactor) {
  Lines(0, {1000.0, 2000.0}, {1.0f, 1.0f});
  Levels({300.0, 0.0}, {400.0, 500.0});
  Sim.Temp2Erg[0] = 100.0;
  Sim.Rot_Temp[0][0] = 10.0;  // kT1 = 1000
  EXPECT_DOUBLE_EQ(SimFIItnCalc(0, 0), std::exp(-0.3));
  // A second temperature with its weight.
  Sim.Rot_Temp[0][1] = 20.0;  // kT2 = 2000
  Sim.Rot_Temp[0][2] = 0.5;
  EXPECT_DOUBLE_EQ(SimFIItnCalc(0, 0), std::exp(-0.3) + 0.5 * std::exp(-0.15));
  // One-state set: the emission factor and nu x 0.0001.
  Sim.ONESTATE_STAT[0] = 1;
  Sim.Rot_Temp[0][2] = 0.0;
  EXPECT_DOUBLE_EQ(SimFIItnCalc(0, 0), (1.0 - std::exp(-1.0)) * std::exp(-0.3) * 1000.0 * 0.0001);
  Sim.Rot_Temp[0][2] = 0.5;
  EXPECT_DOUBLE_EQ(SimFIItnCalc(0, 1),
                   ((1.0 - std::exp(-1.0)) * 0.5 + (1.0 - std::exp(-2.0))) * 2000.0 * 0.0001);
  // A negative upper level gives 0; so does a level index outside the energy table.
  Sim.FI_HamErg_Vector[0][1][1] = -1.0;
  EXPECT_EQ(SimFIItnCalc(0, 1), 0.0);
  Sim.FI_Erg_Idx[0][0][0] = 7;
  EXPECT_EQ(SimFIItnCalc(0, 0), 0.0);
  Sim.FI_Erg_Idx[0][0][0] = -1;
  EXPECT_EQ(SimFIItnCalc(0, 0), 0.0);
}

TEST_F(SimItnTest, NegativeLowerEnergiesAreCounted) {
  Lines(0, {1.0, 2.0, 3.0}, {1.0f, 1.0f, 1.0f});
  Levels({-1.0, -2.0, -3.0});
  Sim.Rot_Temp[0][0] = 300.0;
  for (int32_t line = 0; line < 3; ++line) EXPECT_EQ(SimFIItnCalc(0, line), 0.0);
  EXPECT_EQ(Sim.NegErg_Cnt[0], 3);
  // Line 0 starts the count afresh.
  EXPECT_EQ(SimFIItnCalc(0, 0), 0.0);
  EXPECT_EQ(Sim.NegErg_Cnt[0], 1);
}

}  // namespace
}  // namespace qvtest
