// Templates, half profiles, summing and the values of the Voigt fit.
#include <cmath>
#include <vector>

#include "lineshape/LineShape.h"
#include "lineshape/Voigt.h"
#include "tests/sim/RenderFixture.h"

namespace qvtest {
namespace {

using LineShapeTest = RenderTest;

double Gauss(double d, double g) { return std::exp(-VOIGT_4LN2 * d * d / (g * g)); }

TEST_F(LineShapeTest, TemplateShapeFollowsTheDominantWidth) {
  Steps(1.0);
  Sim.LS_WidthMode[0] = 1;
  Sim.LS_NOLWS[0] = 3;
  // 0.001 x 100 = 0.1 exceeds 0.05: the pure Gaussian.
  ASSERT_EQ(SimLineShapeTemplate(0, 100.0, 0.05, 0), 1);
  ASSERT_EQ(Sim.LS_SPts[0][3], 300);
  for (int k : {0, 10, 50, 120, 299})
    EXPECT_EQ(Sim.LS_SAry[0][3][k], static_cast<int16_t>(32767.0 * Gauss(k, 100.0) + 0.5)) << k;
  // 0.2 exceeds 0.1: the Voigt template, its wings above the Gaussian's.
  ASSERT_EQ(SimLineShapeTemplate(0, 100.0, 0.2, 0), 1);
  EXPECT_EQ(Sim.LS_SAry[0][3][0], 32767);
  const double v0 = VoigtProfile(0.0, 100.0, 0.2);
  for (int k : {10, 50, 120, 299})
    EXPECT_EQ(Sim.LS_SAry[0][3][k], static_cast<int16_t>(32767.0 * VoigtProfile(k, 100.0, 0.2) / v0 + 0.5)) << k;
  EXPECT_GT(Sim.LS_SAry[0][3][299], static_cast<int16_t>(32767.0 * Gauss(299, 100.0) + 0.5));
  // Lorentzian template and its area (both sides, in frequency units).
  ASSERT_EQ(SimLineShapeTemplate(0, 0.0, 4.0, 0), 1);
  EXPECT_EQ(Sim.LS_SAry[0][3][2], static_cast<int16_t>(32767.0 / (4.0 / 4.0 + 1.0) + 0.5));
  double sum = Sim.LS_SAry[0][3][0];
  for (int k = 1; k < Sim.LS_SPts[0][3]; ++k) sum += 2.0 * Sim.LS_SAry[0][3][k];
  EXPECT_FLOAT_EQ(Sim.LS_Area[0], static_cast<float>(sum / 32767.0));
  EXPECT_EQ(Sim.LS_Peak[0], 1.0f);
}

TEST_F(LineShapeTest, LengthsOfTemplatesAndHalfProfiles) {
  Sim.LS_WidthMode[2] = 1;
  Sim.LS_NOLWS[2] = 10;
  Sim.LS_GAU[2] = 2.0;
  Sim.LS_LOR[2] = 1.0;
  for (double step : {0.1, 1.0}) {
    Steps(step);
    ASSERT_EQ(SimLineShapeTemplate(2, 2.0, 1.0, 1), 1);
    LineShapeRec rec;
    rec.Set = 2;
    rec.View = 1;
    ASSERT_EQ(SimLineShapeFNrm(&rec, &Sim.LS_Lo_FAry[2][1], &Sim.LS_Hi_FAry[2][1]), 1);
    const int expectTemplate = step == 0.1 ? 200 : 20;
    const int expectHalf = step == 0.1 ? 200 : 100;  // half profiles hold at least 100
    EXPECT_EQ(Sim.LS_SPts[2][1], expectTemplate);
    EXPECT_EQ(Sim.LS_Pts[2][1], expectHalf);
  }
  // The largest length so far is the search margin.
  EXPECT_EQ(Sim.LS_SearchPts[2][1], 200);
}

TEST_F(LineShapeTest, ZeroStepWarningNamesItsLevel) {
  Steps(0.5);
  Dsp.FrqStpView[2] = 0.0;
  EXPECT_EQ(SimLineShapeTemplate(4, 1.0, 0.0, 0), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "Warning: SimLineShapeTemplate()\n\nFRQ STEP SIZE IN VIEW [2] IS ZERO\n\nABORTING");
  LineShapeRec rec;
  rec.Set = 4;
  rec.View = 2;
  rec.Gau = 1.0;
  EXPECT_EQ(SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[4][2], &Sim.LS_Hi_DAry[4][2]), 0);
  EXPECT_EQ(Boxes().back(), "Warning: SimLineShapeDNrm()\n\nFRQ STEP SIZE IN VIEW [2] IS ZERO\n\nABORTING");
  // Once the step is there the template is built (the failed level was not cached).
  Dsp.FrqStpView[2] = 0.5;
  EXPECT_EQ(SimLineShapeTemplate(4, 1.0, 0.0, 0), 1);
  EXPECT_GT(Sim.LS_SPts[4][2], 0);
}

TEST_F(LineShapeTest, TemplateCacheAndItsInvalidation) {
  Steps(0.1);
  Sim.LS_Span[1] = 2.0f;
  ASSERT_EQ(SimLineShapeTemplate(1, 0.5, 0.0, 0), 1);
  EXPECT_EQ(Sim.LS_SPts[1][3], 20);
  // Unchanged: returns at once, the area stays as it was.
  Sim.LS_Area[1] = 42.0f;
  ASSERT_EQ(SimLineShapeTemplate(1, 0.5, 0.0, 0), 1);
  EXPECT_EQ(Sim.LS_Area[1], 42.0f);
  // A change of the width mode is a new template (10 widths of 0.5 at 0.1 = 50 points).
  Sim.LS_WidthMode[1] = 1;
  Sim.LS_NOLWS[1] = 10;
  ASSERT_EQ(SimLineShapeTemplate(1, 0.5, 0.0, 0), 1);
  EXPECT_EQ(Sim.LS_SPts[1][3], 50);
  EXPECT_NE(Sim.LS_Area[1], 42.0f);
  // So is a view step.
  Dsp.FrqStpView[0] = 0.05;
  ASSERT_EQ(SimLineShapeTemplate(1, 0.5, 0.0, 0), 1);
  EXPECT_EQ(Sim.LS_SPts[1][0], 100);
}

TEST_F(LineShapeTest, BothWidthsZeroGiveAStickWithNothingLeftBehind) {
  Steps(0.1);
  Sim.LS_Span[3] = 1.0f;
  ASSERT_EQ(SimLineShapeTemplate(3, 0.3, 0.0, 0), 1);
  ASSERT_GT(Sim.LS_SAry[3][3][1], 0);
  ASSERT_EQ(SimLineShapeTemplate(3, 0.0, 0.0, 0), 1);
  EXPECT_EQ(Sim.LS_SAry[3][3][0], 32767);
  for (int k = 1; k < Sim.LS_SPts[3][3]; ++k) EXPECT_EQ(Sim.LS_SAry[3][3][k], 0) << k;
}

TEST_F(LineShapeTest, HalfProfilesAreAreaNormalised) {
  Steps(0.01);
  Sim.LS_WidthMode[0] = 1;
  Sim.LS_NOLWS[0] = 200;  // wide enough for the Lorentzian wings
  struct Case { double gau, lor, tolerance; };
  for (Case c : {Case{0.2, 0.0, 1e-9}, Case{0.0, 0.2, 2e-3}, Case{0.2, 0.1, 2e-3}}) {
    Sim.LS_GAU[0] = c.gau;
    Sim.LS_LOR[0] = c.lor;
    LineShapeRec rec;
    rec.View = 3;
    ASSERT_EQ(SimLineShapeFNrm(&rec, &Sim.LS_Lo_FAry[0][3], &Sim.LS_Hi_FAry[0][3]), 1);
    EXPECT_NEAR(Sim.LS_Area[0], 1.0, c.tolerance) << c.gau << " " << c.lor;
    EXPECT_FLOAT_EQ(Sim.LS_Peak[0], Sim.LS_Lo_FAry[0][3][0]);
    rec.Gau = c.gau;
    rec.Lor = c.lor;
    ASSERT_EQ(SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[0][3], &Sim.LS_Hi_DAry[0][3]), 1);
    EXPECT_NEAR(rec.Area, 1.0, c.tolerance);
    EXPECT_EQ(rec.Peak, Sim.LS_Lo_DAry[0][3][0]);
  }
}

TEST_F(LineShapeTest, DoublePrecisionProfileSampledAroundTheTrueCentre) {
  Steps(0.1);
  Sim.LS_Span[5] = 2.0f;
  LineShapeRec rec;
  rec.Set = 5;
  rec.View = 3;
  rec.Gau = 0.4;
  rec.Lor = 0.1;
  rec.FrqCor = 0.03;  // the line lies 0.03 above the centre grid point
  ASSERT_EQ(SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[5][3], &Sim.LS_Hi_DAry[5][3]), 1);
  const double* lo = Sim.LS_Lo_DAry[5][3];
  const double* hi = Sim.LS_Hi_DAry[5][3];
  EXPECT_DOUBLE_EQ(lo[0], VoigtProfile(0.03, 0.4, 0.1));
  EXPECT_DOUBLE_EQ(lo[2], VoigtProfile(0.23, 0.4, 0.1));
  EXPECT_DOUBLE_EQ(hi[2], VoigtProfile(0.17, 0.4, 0.1));
  EXPECT_GT(hi[1], lo[1]);  // the upper side is nearer the line
  // Gaussian lines are sampled the same way.
  rec.Lor = 0.0;
  ASSERT_EQ(SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[5][3], &Sim.LS_Hi_DAry[5][3]), 1);
  EXPECT_GT(Sim.LS_Hi_DAry[5][3][1], Sim.LS_Lo_DAry[5][3][1]);
}

TEST_F(LineShapeTest, FullLorentzianAndVanVleckWeisskopf) {
  Steps(0.5);
  Sim.LS_Span[0] = 50.0f;
  Sim.LS_Func[0] = LS_FUNC_FULL_LOR;
  LineShapeRec rec;
  rec.View = 3;
  rec.Lor = 2.0;
  rec.Nu0 = 100.0;
  ASSERT_EQ(SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[0][3], &Sim.LS_Hi_DAry[0][3]), 1);
  const double c = static_cast<float>(2.0 / (2 * M_PI) / 100.0);  // rounded with M
  EXPECT_DOUBLE_EQ(Sim.LS_Lo_DAry[0][3][4], c * 98.0 * (1.0 / (1.0 + 198.0 * 198.0) + 1.0 / (1.0 + 4.0)));
  EXPECT_DOUBLE_EQ(Sim.LS_Hi_DAry[0][3][4], c * 102.0 * (1.0 / (1.0 + 202.0 * 202.0) + 1.0 / (1.0 + 4.0)));
  Sim.LS_Func[0] = LS_FUNC_VVWEISS;
  ASSERT_EQ(SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[0][3], &Sim.LS_Hi_DAry[0][3]), 1);
  const double cv = static_cast<float>(2.0 / (2 * M_PI)) / (100.0 * 100.0);
  EXPECT_DOUBLE_EQ(Sim.LS_Lo_DAry[0][3][4], cv * 98.0 * 98.0 * (1.0 / (1.0 + 198.0 * 198.0) + 1.0 / (1.0 + 4.0)));
}

TEST_F(LineShapeTest, SummingAddsAcrossBothEndsWhateverThePrecision) {
  Steps(1.0);
  Sim.LS_Span[0] = 3.0f;
  LineShapeRec rec;
  rec.View = 3;
  rec.Gau = 2.0;
  ASSERT_EQ(SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[0][3], &Sim.LS_Hi_DAry[0][3]), 1);
  ASSERT_EQ(Sim.LS_Pts[0][3], 100);
  const double* lo = Sim.LS_Lo_DAry[0][3];
  for (uint32_t precision : {1u, 0u}) {
    Sim.LS_Double = precision;
    std::vector<double> out(5, 0.0);
    // A profile of 6 points each side around index 2 of 5: both ends cut.
    ASSERT_EQ(SimLineShapeSum(0, 3, 2, 6, 5, 2.0, out.data()), 1);
    EXPECT_DOUBLE_EQ(out[0], 2.0 * lo[2]);
    EXPECT_DOUBLE_EQ(out[2], 2.0 * lo[0]);
    EXPECT_DOUBLE_EQ(out[4], 2.0 * lo[2]);
    // Centre at index 0: the centre value and the upper half only.
    std::vector<double> edge(3, 0.0);
    ASSERT_EQ(SimLineShapeSum(0, 3, 0, 4, 3, 1.0, edge.data()), 1);
    EXPECT_DOUBLE_EQ(edge[0], lo[0]);
    EXPECT_DOUBLE_EQ(edge[2], lo[2]);
    // Centre beyond the end: only the lower wing reaches in.
    std::vector<double> far(3, 0.0);
    ASSERT_EQ(SimLineShapeSum(0, 3, 4, 4, 3, 1.0, far.data()), 1);
    EXPECT_DOUBLE_EQ(far[2], lo[2]);
    EXPECT_DOUBLE_EQ(far[0], 0.0);
  }
  // A profile that was never built gives 0 and leaves the output alone.
  std::vector<double> out(4, 0.0);
  EXPECT_EQ(SimLineShapeSum(6, 3, 1, 4, 4, 1.0, out.data()), 0);
}

TEST_F(LineShapeTest, VoigtValueByAreaOrPeak) {
  const double prm[4] = {3.0, 50.0, 0.4, 0.2};
  Sim.LN_STAT[0] = 1;  // normalised: by area
  EXPECT_NEAR(VoigtFuncValue(0, 0, 0, nullptr, prm, 50.1), 3.0 * VoigtProfile(0.1, 0.4, 0.2), 1e-13);
  Sim.LN_STAT[0] = 0;  // peak height I at the centre
  EXPECT_DOUBLE_EQ(VoigtFuncValue(0, 0, 0, nullptr, prm, 50.0), 3.0);
  EXPECT_NEAR(VoigtFuncValue(0, 0, 0, nullptr, prm, 50.1),
              3.0 * VoigtProfile(0.1, 0.4, 0.2) / VoigtProfile(0.0, 0.4, 0.2), 1e-13);
  // A Gaussian width of 0 is the Lorentzian limit, not a division by 0.
  const double lorentz[4] = {1.0, 0.0, 0.0, 2.0};
  EXPECT_DOUBLE_EQ(VoigtFuncValue(0, 0, 0, nullptr, lorentz, 1.0), 0.5);
  Sim.LN_STAT[0] = 1;
  EXPECT_NEAR(VoigtFuncValue(0, 0, 0, nullptr, lorentz, 0.0), 1.0 / M_PI, 1e-15);
}

TEST_F(LineShapeTest, FitProfilesPreparedOnTheFitGrid) {
  Steps(0.1);
  Dsp.Pts2Pxl[3] = 1.0;
  Dsp.Init_Frq = 100.0;
  Sim.LS_Span[0] = 1.0f;
  Sim.LS_GAU[0] = 0.3;
  Sim.LS_LOR[0] = 0.1;
  Sim.HT_LnCalc[0] = 1;
  Lines(0, {101.0, 102.04}, {1.0f, 1.0f});
  Lsf.Fit_LnBeg[0] = 0;
  Lsf.Fit_LnEnd[0] = 1;
  Lsf.Fit_PtFirst[0] = 5;  // the grid starts at 100.5
  Lsf.Fit_PtCnt[0] = 30;
  std::vector<double> a(30, -1.0), b(30, -1.0);
  double* profiles[2] = {a.data(), b.data()};
  // The line calculation of the models is not there: the build fails with its box.
  EXPECT_EQ(VoigtFuncInit(0, profiles, nullptr), 0);
  EXPECT_EQ(Boxes().back(), "Warning: VoigtFuncInit()\n\nSimLineShapeDNrm ERROR\n\nABORTING");
  // Without it the set's widths give Voigt lines centred on their frequencies.
  Sim.HT_LnCalc[0] = 0;
  ASSERT_EQ(VoigtFuncInit(0, profiles, nullptr), 1);
  EXPECT_DOUBLE_EQ(a[5], VoigtProfile(0.0, 0.3, 0.1));        // 101.0 is point 5
  EXPECT_NEAR(a[6], VoigtProfile(0.1, 0.3, 0.1), 1e-12);
  EXPECT_NEAR(a[0], VoigtProfile(0.5, 0.3, 0.1), 1e-12);      // every point written
  EXPECT_NEAR(b[15], VoigtProfile(0.04, 0.3, 0.1), 1e-12);    // 102.04 is 0.04 above point 15
  EXPECT_NEAR(b[16], VoigtProfile(0.06, 0.3, 0.1), 1e-12);
}

}  // namespace
}  // namespace qvtest
