// The HITRAN line calculation: a line's own widths from its coefficients and the gas
// sample, as half profiles (the fit's preparation) and as one value (the fit's value
// path); nothing for a set without the coefficient arrays.
#include <cmath>

#include "core/TypedArrays.h"
#include "lineshape/LineShape.h"
#include "lineshape/Voigt.h"
#include "tests/sim/RenderFixture.h"

namespace qvtest {
namespace {

class SimHtLineTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    Steps(0.01);
    Sim.LS_WidthMode[1] = 1;
    Sim.LS_NOLWS[1] = 200;
  }
  // One CO line (molecule 5, isotope 1) at 2000 with air and self coefficients.
  void HitranLine() {
    Lines(1, {2000.0}, {1.0f});
    Sim.HT_Global_Stat[1] = 1;
    SAlloc1Dim(&Sim.HT_Mol_Lbl[1], 1);
    FAlloc1Dim(&Sim.HT_Air_Gamma[1], 1);
    FAlloc1Dim(&Sim.HT_Self_Gamma[1], 1);
    FAlloc1Dim(&Sim.HT_Air_Delta[1], 1);
    FAlloc1Dim(&Sim.HT_Temp_Gamma[1], 1);
    Sim.HT_Mol_Lbl[1][0] = 51;
    Sim.HT_Air_Gamma[1][0] = 0.06f;
    Sim.HT_Self_Gamma[1][0] = 0.07f;
    Sim.HT_Temp_Gamma[1][0] = 0.75f;
    Sim.HT_Temp[1] = 296.0;
    Sim.HT_PPress[1] = 0.01;
    Sim.HT_Press[1] = 0.5;
    Sim.HT_QT_Stat[1] = 1;
    Sim.HT_LnCalc[1] = 1;
  }
};

TEST_F(SimHtLineTest, HalfProfilesAndOneValueFromTheLinesOwnWidths) {
  HitranLine();
  const double gl = 0.07 * 0.01 + (0.5 - 0.01) * 0.06;
  const double gd = 7.16234729e-07 * 2000.0 * std::sqrt(296.0 / SimRecord::HT_MassTable[5][0]);
  double GD = 0.0, GL = 0.0;
  SimHTLineWidths(1, 0, 2000.0, &GD, &GL);
  EXPECT_NEAR(GL, gl, 1e-7);
  EXPECT_NEAR(GD, gd, 1e-12);
  EXPECT_TRUE(SimHTLineArrays(1));
  const double G = GD, L = GL;  // as computed from the single-precision coefficients
  // The builder's line-calculation path: the record's widths are the line's own, the
  // profile the Voigt profile of them around a centre 0.004 above the grid point.
  LineShapeRec rec;
  rec.HtCalc = 1;
  rec.Mode = 1;
  rec.Set = 1;
  rec.View = 3;
  rec.Gau = 0.001;  // the set's widths only size the arrays
  rec.Lor = 0.03;
  rec.Nu0 = 2000.0;
  rec.FrqCor = 0.004;
  ASSERT_EQ(SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[1][3], &Sim.LS_Hi_DAry[1][3]), 1);
  EXPECT_EQ(rec.Lor, L);
  EXPECT_EQ(rec.Gau, G);
  const double* lo = Sim.LS_Lo_DAry[1][3];
  const double* hi = Sim.LS_Hi_DAry[1][3];
  for (int k : {0, 1, 5, 40}) {
    EXPECT_NEAR(lo[k], VoigtProfile(k * 0.01 + 0.004, G, L), 1e-12) << k;
    EXPECT_NEAR(hi[k], VoigtProfile(k * 0.01 - 0.004, G, L), 1e-12) << k;
  }
  EXPECT_NEAR(rec.Area, 1.0, 0.02);
  // Pressure at or below the partial pressure counts as none: self broadening only.
  Sim.HT_Press[1] = 0.01;
  SimHTLineWidths(1, 0, 2000.0, &GD, &GL);
  EXPECT_NEAR(GL, 0.07 * 0.01 - 0.01 * 0.0, 1e-9);
  EXPECT_EQ(Sim.HT_Press[1], 0.01);  // nothing written back
  Sim.HT_Press[1] = 0.5;

  // The value path: I times the line's profile at the offset.
  Lsf.Ln_Recalc[1] = 1;
  const double prm[4] = {2.5, 2000.0, 0.0, 0.0};
  EXPECT_NEAR(VoigtFuncValue(1, 0, 0, nullptr, prm, 2000.02), 2.5 * VoigtProfile(0.02, G, L), 1e-9);
  rec = LineShapeRec{};
  rec.Mode = 0;
  rec.Sub = 1;
  rec.Set = 1;
  rec.View = 3;
  rec.Offset = -0.03;
  ASSERT_EQ(SimHTLineCalc(0, &rec), 1);
  EXPECT_NEAR(Sim.LS_Hi_DAry[1][3][0], VoigtProfile(-0.03, G, L), 1e-12);
  // Other requests and lines outside the set give nothing.
  rec.Sub = 0;
  EXPECT_EQ(SimHTLineCalc(0, &rec), 0);
  rec.Sub = 1;
  rec.Line = 1;
  EXPECT_EQ(SimHTLineCalc(0, &rec), 0);
}

TEST_F(SimHtLineTest, ASetWithoutTheCoefficientArraysGetsNothing) {
  Lines(1, {2000.0}, {1.0f});
  Sim.HT_LnCalc[1] = 1;
  EXPECT_FALSE(SimHTLineArrays(1));
  LineShapeRec rec;
  rec.HtCalc = 1;
  rec.Mode = 1;
  rec.Set = 1;
  rec.View = 3;
  rec.Gau = 0.001;
  rec.Lor = 0.03;
  rec.Nu0 = 2000.0;
  EXPECT_EQ(SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[1][3], &Sim.LS_Hi_DAry[1][3]), 0);
  rec.Mode = 0;
  rec.Sub = 1;
  EXPECT_EQ(SimHTLineCalc(0, &rec), 0);
  // The value path then gives 0 rather than a stale profile value.
  Lsf.Ln_Recalc[1] = 1;
  const double prm[4] = {1.0, 2000.0, 0.0, 0.0};
  EXPECT_EQ(VoigtFuncValue(1, 0, 0, nullptr, prm, 2000.0), 0.0);
}

}  // namespace
}  // namespace qvtest
