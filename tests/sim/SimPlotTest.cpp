// The renderer: line selection, line shapes in the run, sticks, HITRAN sets, overlays,
// the quantum-number list and the markers.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Coords.h"
#include "models/hitran/Tips.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Text.h"
#include "records/Tips.h"
#include "sim/SimPlot.h"
#include "lineshape/Voigt.h"
#include "support/TempDir.h"
#include "tests/sim/RenderFixture.h"

extern "C" double re_w_of_z(double x, double y);
extern "C" double im_w_of_z(double x, double y);

namespace qvtest {
namespace {

constexpr int kCount = 100;  // the run: points 0..99 at 0.1 apart from frequency 0

// A memory context with a black bitmap of 120 x 120 selected.
struct MemoryDC {
  MemoryDC() : dc(CreateCompatibleDC(nullptr)), bitmap(CreateCompatibleBitmap(dc, 120, 120)) {
    old = SelectObject(dc, bitmap);
  }
  ~MemoryDC() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old = nullptr;
};

class SimPlotTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    Tips = TipsRecord{};
    StrCopy(Tips.Folder, QV95_TIPS_DIR);
    ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS)));
    Dsp.Init_Frq = 0.0;
    for (auto& p : Dsp.Pts2Pxl) p = 1.0;
    Steps(0.1);
    Win.Page_Height = 100;
    Win.Plot_Bottom = 100;
    Win.Page_Pixels = kCount;
  }
  void TearDown() override {
    FFree1Dim(&Win.PM_DrawAry);
    FFree1Dim(&Win.Big_DrawAry);
    if (Sim.Pen[2]) DeleteObject(Sim.Pen[2]);
    Tips = TipsRecord{};
    RenderTest::TearDown();
  }

  int32_t Plot(int16_t set = 0, int32_t count = kCount, HDC dc = nullptr, int16_t paint = 0) {
    return SimFIPlot(dc, paint, set, 3, 0, count, 1, 9, 9);
  }
  std::vector<float> Run() const { return std::vector<float>(Win.PM_DrawAry, Win.PM_DrawAry + kCount); }

  // A HITRAN set of one line: molecule label, frequency, intensity, lower energy.
  void HitranLine(int16_t set, int16_t label, double nu, float S, double lower) {
    Lines(set, {nu}, {S});
    Sim.HT_Global_Stat[set] = 1;
    Sim.LN_STAT[set] = 1;
    SAlloc1Dim(&Sim.HT_Mol_Lbl[set], 1);
    FAlloc1Dim(&Sim.HT_Air_Gamma[set], 1);
    FAlloc1Dim(&Sim.HT_Self_Gamma[set], 1);
    FAlloc1Dim(&Sim.HT_Air_Delta[set], 1);
    FAlloc1Dim(&Sim.HT_Temp_Gamma[set], 1);
    FAlloc1Dim(&Sim.HT_Itn[set], 1);
    DAlloc1Dim(&Sim.HT_Shift_Erg[set], 1);
    DAlloc1Dim(&Sim.FI_HamErg_Vector[set][0], 1);
    LAlloc1Dim(&Sim.FI_Erg_Idx[set][0], 1);
    Sim.HT_Mol_Lbl[set][0] = label;
    Sim.HT_Self_Gamma[set][0] = 0.05f;
    Sim.FI_HamErg_Vector[set][0][0] = lower;
    Sim.FI_Erg_Sz[set] = 1;
  }
};

TEST_F(SimPlotTest, EmptySetGivesTheOverlaysAndNoOffsetInSumMode) {
  std::fill(Win.PM_DrawAry, Win.PM_DrawAry + kCount, 7.0f);
  Sim.Busy_Stat[0] = 1;
  Sim.Dsp_Scalar[0] = 2.0;
  Sim.Dsp_Offset[0] = 0.25;
  ASSERT_EQ(Plot(), 1);
  for (float v : Run()) ASSERT_EQ(v, 0.5f);
  EXPECT_EQ(Sim.FI_IDX_BEG[0], -1);
  EXPECT_EQ(Sim.FI_IDX_END[0], -1);
  EXPECT_EQ(Sim.Busy_Stat[0].load(), 0u);
  // Summed: the sum adds one offset for all, the set none; the slope still applies.
  Sim.Sum_Stat[0] = 1;
  Sim.Dsp_Slope[0] = 2.0;
  Sim.Dsp_Intercept[0] = 1.0;
  ASSERT_EQ(Plot(), 1);
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[10], 0.0f);
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[60], 10.0f);
}

TEST_F(SimPlotTest, RunLongerThanTheDrawArrayIsRefusedUntouched) {
  Lines(0, {5.0}, {1.0f});
  std::fill(Win.PM_DrawAry, Win.PM_DrawAry + kCount, 7.0f);
  Sim.FI_IDX_BEG[0] = 3;
  EXPECT_EQ(Plot(0, WIN_DRAW_PTS + 1), 0);
  EXPECT_EQ(Win.PM_DrawAry[0], 7.0f);
  EXPECT_EQ(Sim.FI_IDX_BEG[0], -1);
  EXPECT_EQ(Sim.FI_IDX_END[0], -1);
  EXPECT_EQ(Plot(0, WIN_DRAW_PTS), 1);
}

TEST_F(SimPlotTest, WindowTakesItsStartAndNotItsEnd) {
  // Template of a span of 1.0 at 0.1: 10 points of margin on each side.
  const double begin = DisplayPixelToFreq(3, -10), end = DisplayPixelToFreq(3, kCount + 10);
  Lines(0, {begin - 1e-9, begin, 5.0, end}, {1.0f, 1.0f, 1.0f, 1.0f});
  ASSERT_EQ(Plot(), 1);
  EXPECT_EQ(Sim.FI_IDX_BEG[0], 1);
  EXPECT_EQ(Sim.FI_IDX_END[0], 2);
}

TEST_F(SimPlotTest, TemplateLinesWithWingsAcrossBothEnds) {
  Sim.LS_GAU[0] = 0.5;
  Sim.Dsp_Scalar[0] = 2.0;
  Lines(0, {-0.3, 5.0, 10.2}, {1.0f, 1.5f, 1.0f});
  ASSERT_EQ(Plot(), 1);
  const int16_t* T = Sim.LS_SAry[0][3];
  ASSERT_EQ(Sim.LS_SPts[0][3], 10);
  // Centre 3 points left of the run and 3 right of it: only their wings reach in.
  const float w3 = static_cast<float>(2.0 * T[3] / 32767.0), w5 = static_cast<float>(2.0 * T[5] / 32767.0);
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[0], w3);
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[2], w5);
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[99], w3);
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[50], 3.0f);  // the centre gets H itself
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[52], static_cast<float>(3.0 * T[2] / 32767.0));
  EXPECT_EQ(Win.PM_DrawAry[30], 0.0f);
  // A template of 30 Lorentzian widths (150 points) and a line 120 points left of the
  // run: its wing is there as long as the template is, also once the margin was set
  // back to 100 while the template stayed as built.
  Sim.LS_GAU[0] = 0.0;
  Sim.LS_LOR[0] = 0.5;
  Sim.LS_WidthMode[0] = 1;
  Sim.LS_NOLWS[0] = 30;
  Sim.FI_Sim_Erg[0][0] = -12.0;
  ASSERT_EQ(Plot(), 1);
  ASSERT_EQ(Sim.LS_SPts[0][3], 150);
  const int16_t* L = Sim.LS_SAry[0][3];
  const double wings = (2.0 * L[120] + 3.0 * L[50] + 2.0 * L[102]) / 32767.0;
  ASSERT_GT(L[120], 0);
  EXPECT_NEAR(Win.PM_DrawAry[0], wings, 1e-6);
  for (auto& margin : Sim.LS_SearchPts[0]) margin = 100;
  ASSERT_EQ(Plot(), 1);
  EXPECT_NEAR(Win.PM_DrawAry[0], wings, 1e-6);
}

TEST_F(SimPlotTest, NormalisedProfilesKeepTheLineArea) {
  Sim.LN_STAT[0] = 1;
  Sim.LS_GAU[0] = 0.3;
  Sim.LS_LOR[0] = 0.05;
  Sim.LS_Span[0] = 4.0f;
  Lines(0, {5.0}, {2.0f});
  for (uint32_t precision : {1u, 0u}) {
    Sim.LS_Double = precision;
    ASSERT_EQ(Plot(), 1);
    double area = 0.0;
    for (float v : Run()) area += v * 0.1;
    EXPECT_NEAR(area, 2.0, 0.01) << precision;
    EXPECT_NEAR(Win.PM_DrawAry[50], 2.0 * VoigtProfile(0.0, 0.3, 0.05), 1e-5);
    EXPECT_NEAR(Sim.LS_Area[0], 1.0, 0.01);
  }
}

TEST_F(SimPlotTest, ZeroStepStopsTheSetWithTheWarning) {
  Lines(0, {5.0}, {1.0f});
  Sim.LS_GAU[0] = 0.2;
  Dsp.FrqStpView[1] = 0.0;
  EXPECT_EQ(Plot(), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "Warning: SimLineShapeTemplate()\n\nFRQ STEP SIZE IN VIEW [1] IS ZERO\n\nABORTING");
  EXPECT_EQ(Sim.LS_GAU[0], 0.0);
  EXPECT_EQ(Sim.Busy_Stat[0].load(), 0u);
}

TEST_F(SimPlotTest, ProfileTooLongToBuildLeavesTheSetUndrawnWithItsWidths) {
  // Widths of 18 and 8 over ten widths on a grid of 1e-7: 1.8e9 points a side.
  Lines(0, {5.0}, {1.0f});
  Steps(1e-7);
  Sim.LS_WidthMode[0] = 1;
  Sim.LS_NOLWS[0] = 10;
  Sim.LS_GAU[0] = 18.0;
  Sim.LS_LOR[0] = 8.0;
  for (uint32_t norm : {0u, 1u}) {
    Sim.LN_STAT[0] = norm;
    EXPECT_EQ(Plot(), 0) << norm;
    EXPECT_EQ(Sim.LS_GAU[0], 18.0);
    EXPECT_EQ(Sim.LS_LOR[0], 8.0);
    EXPECT_EQ(Sim.LS_SAry[0][3], nullptr);
    EXPECT_EQ(Sim.LS_Lo_DAry[0][3], nullptr);
  }
  EXPECT_TRUE(Boxes().empty());
  // Back on a grid it fits, the set is drawn again.
  Steps(0.1);
  EXPECT_EQ(Plot(), 1);
}

TEST_F(SimPlotTest, PerLineProfilesLeaveTheLinesWhereTheyAre) {
  Sim.IDVWIDTH_STAT[0] = 1;
  Sim.LN_STAT[0] = 1;
  Sim.Frq_Shift[0] = 0.37;
  Lines(0, {2.0, 6.0}, {1.0f, 1.0f});
  FAlloc1Dim(&Sim.FI_Gau_FWHM[0], 2);
  FAlloc1Dim(&Sim.FI_Lor_FWHM[0], 2);
  FAlloc2Dim(&Sim.FI_AreaPeak_FAry[0], 2, 2);
  Sim.FI_Gau_FWHM[0][0] = 0.3f;
  Sim.FI_Gau_FWHM[0][1] = 0.5f;
  for (int paint = 0; paint < 3; ++paint) ASSERT_EQ(Plot(), 1);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][0], 2.0);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][1], 6.0);
  // The last line's widths are the set's; each line's area and peak are kept.
  EXPECT_DOUBLE_EQ(Sim.LS_GAU[0], 0.5f);
  EXPECT_NEAR(Sim.FI_AreaPeak_FAry[0][0][0], 1.0, 1e-6);
  EXPECT_GT(Sim.FI_AreaPeak_FAry[0][1][0], Sim.FI_AreaPeak_FAry[0][1][1]);
  // Each line sits at its shifted frequency (2.37 is 0.07 above point 23).
  EXPECT_NEAR(Win.PM_DrawAry[24], VoigtProfile(0.03, 0.3, 0.0) + 0.0, 1e-4);
  EXPECT_GT(Win.PM_DrawAry[24], Win.PM_DrawAry[23]);
}

// Line-shape numbers against direct evaluation. A VVWEISS line 0.037 above its centre
// grid point, drawn with a width of its own, has at every point of the run the value of
// the function at that point's frequency, below the line as above it. w(z) of an
// argument with a part that is no finite number is flagged and 0, alone or among other
// points, and a line whose width is no number adds nothing to the paint.
TEST_F(SimPlotTest, VanVleckWeisskopfOffTheGridAndArgumentsThatAreNoNumbers) {
  Sim.IDVWIDTH_STAT[0] = 1;
  Sim.LN_STAT[0] = 1;
  Sim.LS_Func[0] = LS_FUNC_VVWEISS;
  Sim.LS_Span[0] = 3.0f;
  const double M = 5.037, L = 0.4;
  Lines(0, {M}, {1.0f});
  FAlloc1Dim(&Sim.FI_Gau_FWHM[0], 1);
  FAlloc1Dim(&Sim.FI_Lor_FWHM[0], 1);
  FAlloc2Dim(&Sim.FI_AreaPeak_FAry[0], 2, 1);
  Sim.FI_Lor_FWHM[0][0] = static_cast<float>(L);
  const double c = static_cast<float>(L / (2 * M_PI)) / (M * M), d = L * L / 4.0;
  for (uint32_t precision : {1u, 0u}) {
    Sim.LS_Double = precision;
    ASSERT_EQ(Plot(), 1) << precision;
    for (int i = 0; i < kCount; ++i) {
      const double nu = 0.1 * i;
      const double expected = c * nu * nu * (1.0 / (d + (nu + M) * (nu + M)) + 1.0 / (d + (nu - M) * (nu - M)));
      ASSERT_NEAR(Win.PM_DrawAry[i], expected, 2e-6 * expected + 1e-12) << precision << " point " << i;
    }
  }

  const double nan = std::nan(""), inf = HUGE_VAL;
  const double bad[][2] = {{1.0, nan}, {nan, nan}, {nan, 1.0}, {inf, inf}, {0.0, -inf}, {-inf, 1.0}};
  for (const auto& z : bad) {
    double w[2] = {-1.0, -1.0};
    EXPECT_NE(VoigtComplexErrorFn(z, w), 0) << z[0] << " " << z[1];
    EXPECT_EQ(w[0], 0.0);
    EXPECT_EQ(w[1], 0.0);
  }
  // Among finite points in one call: those keep their values.
  std::vector<double> zr, zi;
  for (int k = 0; k < 40; ++k) {
    zr.push_back(k % 5 == 2 ? nan : 0.3 * k - 4.0);
    zi.push_back(k % 7 == 3 ? nan : k % 11 == 4 ? inf : 0.05 + 0.1 * k);
  }
  std::vector<double> wr(zr.size()), wi(zr.size());
  std::vector<int16_t> flags(zr.size());
  VoigtComplexErrorFnMany(zr.data(), zi.data(), static_cast<int32_t>(zr.size()), wr.data(), wi.data(), flags.data());
  for (size_t k = 0; k < zr.size(); ++k) {
    if (!std::isfinite(zr[k]) || !std::isfinite(zi[k])) {
      EXPECT_NE(flags[k], 0) << k;
      EXPECT_EQ(wr[k], 0.0) << k;
      EXPECT_EQ(wi[k], 0.0) << k;
    } else {
      EXPECT_EQ(flags[k], 0) << k;
      EXPECT_NEAR(wr[k], re_w_of_z(zr[k], zi[k]), 1e-13) << k;
      EXPECT_NEAR(wi[k], im_w_of_z(zr[k], zi[k]), 1e-13) << k;
    }
  }
  // A Voigt line whose Lorentzian width is no number: the paint goes on without it.
  Sim.LS_Func[0] = LS_FUNC_VOIGT;
  Sim.FI_Gau_FWHM[0][0] = 0.3f;
  Sim.FI_Lor_FWHM[0][0] = std::nanf("");
  for (uint32_t precision : {1u, 0u}) {
    Sim.LS_Double = precision;
    ASSERT_EQ(Plot(), 1) << precision;
    for (float v : Run()) ASSERT_EQ(v, 0.0f) << precision;
  }
}

TEST_F(SimPlotTest, ComputeOnlyEqualsDrawingAndSticksAreDrawn) {
  Sim.LS_GAU[0] = 0.5;
  Sim.COLOR_NO[0] = 2;
  Sim.Pen[2] = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  Lines(0, {1.0, 5.0, 8.0}, {1.0f, 2.0f, 4.0f});
  Sim.FI_Exp_Erg[0][1] = 5.01;
  Sim.Lbl_AsnOnly = 1;
  ASSERT_EQ(Plot(), 1);
  const std::vector<float> computed = Run();
  {
    MemoryDC memory;
    Win.hDC_Mem = memory.dc;
    ASSERT_EQ(Plot(0, kCount, memory.dc, 2), 1);
    EXPECT_EQ(Run(), computed);
    // Line 1 (height 2, rows of 0.1 x 100 per unit): a stick from row 80 to the base.
    EXPECT_EQ(GetPixel(memory.dc, 50, 90), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(memory.dc, 50, 40), RGB(0, 0, 0));
  }
  // With labels off nothing is drawn, the values stay the same.
  Sim.Lbl_Stat = 0;
  MemoryDC memory;
  Win.hDC_Mem = memory.dc;
  ASSERT_EQ(Plot(0, kCount, memory.dc, 2), 1);
  EXPECT_EQ(Run(), computed);
  EXPECT_EQ(GetPixel(memory.dc, 50, 90), RGB(0, 0, 0));
  Win.hDC_Mem = nullptr;
}

// A damaged set (intensities and a display scalar far beyond any screen) draws its
// sticks, labels and the selected-line marker at the edge of the device range, with
// no arithmetic leaving 32 bits; the values computed stay what they are.
TEST_F(SimPlotTest, LinesFarOffTheScreenDrawWithinTheDeviceRange) {
  Sim.LS_GAU[0] = 0.5;
  Sim.COLOR_NO[0] = 2;
  Sim.Pen[2] = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  Lines(0, {2.0, 5.0, 8.0}, {3.0e38f, -3.0e38f, 1.0f});
  Sim.FI_Exp_Erg[0][0] = 2.0;
  Sim.Dsp_Scalar[0] = 1.0e300;
  Sim.QN_Request[0] = 1;
  Win.Cursor_Freq_Lo = 1.5;
  Win.Cursor_Freq_Hi = 5.5;
  MemoryDC memory;
  Win.hDC_Mem = memory.dc;
  ASSERT_EQ(Plot(0, kCount, memory.dc, 2), 1);
  Win.hDC_Mem = nullptr;
  EXPECT_EQ(Sim.FI_QN_List_Cnt[0], 2);
  // The stick of line 0 runs off the top, that of line 1 off the bottom.
  EXPECT_EQ(GetPixel(memory.dc, 20, 10), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(memory.dc, 50, 110), RGB(255, 0, 0));
}

TEST_F(SimPlotTest, PageThroughThePdfPrinter) {
  TempDir dir;
  const std::string path = dir.File("sim.pdf");
  Sim.LS_GAU[0] = 0.5;
  Lines(0, {1.0, 5.0}, {1.0f, 2.0f});
  ASSERT_EQ(Plot(), 1);
  const std::vector<float> computed = Run();
  HDC dc = platform::CreatePdfPrinterDC(path.c_str());
  ASSERT_NE(dc, nullptr);
  DOCINFO info;
  info.lpszDocName = "Qv95 PLOT";
  ASSERT_GT(StartDoc(dc, &info), 0);
  ASSERT_GT(StartPage(dc), 0);
  Win.Prt_Left = 100;
  Win.Prt_Width = 2000;
  Win.Prt_Height = 2500;
  Win.Prt_Bottom = 2900;
  ASSERT_EQ(Plot(0, kCount, dc, 3), 1);
  EXPECT_EQ(Run(), computed);
  ASSERT_GT(EndPage(dc), 0);
  ASSERT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  EXPECT_GT(std::filesystem::file_size(path), 100u);
}

TEST_F(SimPlotTest, ChirpOnlyInsideItsLengthAndSineOnlyOnRequest) {
  Sim.Sine_Stat[0] = 1;
  Sim.Sine_Amp[0][0] = 1.0;
  Sim.Sine_Period[0][0] = 0.25;
  Sim.Sine_PerEnd[0] = 0.5;
  Sim.Sine_ChirpT[0] = 2.0;
  Sim.Dsp_Intercept[0] = 3.0;
  ASSERT_EQ(Plot(), 1);
  for (int i = 0; i <= 30; ++i) EXPECT_EQ(Win.PM_DrawAry[i], 0.0f) << i;   // x <= 0
  for (int i = 51; i < kCount; ++i) EXPECT_EQ(Win.PM_DrawAry[i], 0.0f) << i;  // x > T
  int nonZero = 0;
  for (int i = 31; i <= 50; ++i) nonZero += Win.PM_DrawAry[i] != 0.0f;
  EXPECT_GT(nonZero, 15);
  // A zero first amplitude, or the caller's baseline switch off, adds nothing.
  ASSERT_EQ(SimFIPlot(nullptr, 0, 0, 3, 0, kCount, 0, 9, 9), 1);
  for (float v : Run()) ASSERT_EQ(v, 0.0f);
  Sim.Sine_Amp[0][0] = 0.0;
  ASSERT_EQ(Plot(), 1);
  for (float v : Run()) ASSERT_EQ(v, 0.0f);
}

TEST_F(SimPlotTest, ChebyshevBaselineOnlyOnTheRawView) {
  ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Win.Big_DrawAry, WIN_DRAW_PTS)));
  double** coef = nullptr;
  ASSERT_FALSE(QvAllocFailed(DAlloc2Dim(&coef, 1, 1)));
  coef[0][0] = -1.0;  // a constant of c0 / 2 = -0.5, subtracted
  Sim.Cheb_Coef[0] = coef;
  Sim.Cheb_Dsp[0] = 1;
  Sim.Cheb_Valid[0] = 1;
  Sim.Cheb_Order[0] = 1;
  Sim.Cheb_Pts[0] = 50;
  ASSERT_EQ(SimFIPlot(nullptr, 0, 0, 3, 20, kCount, 1, 9, 9), 1);
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[0], 0.5f);   // raw point 20
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[29], 0.5f);  // raw point 49
  EXPECT_EQ(Win.PM_DrawAry[30], 0.0f);        // past the covered points
  ASSERT_EQ(SimFIPlot(nullptr, 0, 0, 2, 20, kCount, 1, 9, 9), 1);
  EXPECT_EQ(Win.PM_DrawAry[0], 0.0f);
  DFree2Dim(&Sim.Cheb_Coef[0], 1);
}

TEST_F(SimPlotTest, QuantumNumberListWeakestFirstAndSafeSelections) {
  Lines(0, {2.0, 3.0, 4.0, 5.0}, {9.0f, 5.0f, 1.0f, 3.0f});
  Sim.QN_Request[0] = 1;
  Win.Cursor_Freq_Lo = 2.5;
  Win.Cursor_Freq_Hi = 5.5;
  MemoryDC memory;
  HDC dc = memory.dc;
  ASSERT_EQ(Plot(0, kCount, dc, 2), 1);
  EXPECT_EQ(Sim.QN_Request[0], 0u);
  EXPECT_EQ(Sim.FI_QN_BEG[0], 1);
  EXPECT_EQ(Sim.FI_QN_END[0], 3);
  ASSERT_EQ(Sim.FI_QN_List_Cnt[0], 3);
  EXPECT_EQ(Sim.FI_QN_List_Ary[0][0], 2);
  EXPECT_EQ(Sim.FI_QN_List_Ary[0][1], 3);
  EXPECT_EQ(Sim.FI_QN_List_Ary[0][2], 1);
  EXPECT_EQ(Sim.QN_Sel_Line[0], 2);
  // A selection at or past the list's end leaves the selected line as it was.
  Sim.FI_QN_List_Sel[0] = 3;
  ASSERT_EQ(Plot(0, kCount, dc, 2), 1);
  EXPECT_EQ(Sim.QN_Sel_Line[0], 2);
  Sim.FI_QN_List_Sel[0] = 1;
  ASSERT_EQ(Plot(0, kCount, dc, 2), 1);
  EXPECT_EQ(Sim.QN_Sel_Line[0], 3);
  // A list entry naming no line of the set is not used either.
  Sim.FI_QN_List_Ary[0][1] = 17;
  ASSERT_EQ(Plot(0, kCount, dc, 2), 1);
  EXPECT_EQ(Sim.QN_Sel_Line[0], 3);
  // An empty cursor window gives an empty list.
  Sim.QN_Request[0] = 1;
  Win.Cursor_Freq_Lo = 50.0;
  Win.Cursor_Freq_Hi = 60.0;
  ASSERT_EQ(Plot(0, kCount, dc, 2), 1);
  EXPECT_EQ(Sim.FI_QN_List_Cnt[0], 0);
  EXPECT_EQ(Sim.FI_QN_List_Tot[0], 0);
}

TEST_F(SimPlotTest, HitranTransmissionAndAbsorbance) {
  HitranLine(0, 51, 5.0, 1e-20f, 0.0);
  Sim.HT_Doppler_Stat[0] = 0;
  Sim.Dsp_Scalar[0] = 2.0;
  Sim.HT_Ary_Stat[0] = 1;
  ASSERT_EQ(Plot(), 1);
  const std::vector<float> absorbance = Run();
  const double H = Sim.HT_Itn[0][0];
  EXPECT_NEAR(H, 2.0 * 7.3388931384e+21 / 296.0 * 0.01 * 0.01 * 100.0 * 1e-20, 1e-6 * H);
  EXPECT_NEAR(absorbance[50], H * Sim.LS_Lo_DAry[0][3][0], 1e-6 * absorbance[50]);
  EXPECT_EQ(Sim.HT_Shift_Erg[0][0], 5.0);
  // Transmission: exp(-tau) x scalar, tau without the scalar.
  Sim.HT_Trans_Stat[0] = 1;
  ASSERT_EQ(Plot(), 1);
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[0], 2.0f);
  EXPECT_NEAR(Win.PM_DrawAry[50], 2.0 * std::exp(-absorbance[50] / 2.0), 1e-5);
}

TEST_F(SimPlotTest, PureGasHasNoAirShiftAndFullLorentzianNoGaussian) {
  // Total pressure equal to the partial one: a pure sample, no line air-shifted.
  HitranLine(0, 51, 5.0, 1e-20f, 0.0);
  Sim.HT_Doppler_Stat[0] = 0;
  Sim.HT_Air_Delta[0][0] = -2.5f;
  Sim.HT_Press[0] = Sim.HT_PPress[0];
  ASSERT_EQ(Plot(), 1);
  EXPECT_EQ(Sim.HT_Press[0], 0.0);
  EXPECT_EQ(Sim.HT_Shift_Erg[0][0], 5.0);
  Sim.HT_Press[0] = 0.03;  // air in the sample: shifted by delta x p
  ASSERT_EQ(Plot(), 1);
  EXPECT_NEAR(Sim.HT_Shift_Erg[0][0], 5.0 - 2.5 * 0.03, 1e-9);

  // FULL LOR with shared widths G 2, L 3: the Lorentzian and its mirror at -M, M the
  // frequency of the set's first line; the Gaussian width plays no part.
  Lines(1, {5.0}, {1.0f});
  Sim.LN_STAT[1] = 1;
  Sim.LS_Func[1] = LS_FUNC_FULL_LOR;
  Sim.LS_GAU[1] = 2.0;
  Sim.LS_LOR[1] = 3.0;
  Sim.LS_Span[1] = 4.0f;
  const double d = 3.0 * 3.0 / 4.0;
  for (double M : {5.0, 0.0}) {
    Dsp.Init_Frq = M - 5.0;  // the line on point 50
    Sim.FI_Sim_Erg[1][0] = M;
    ASSERT_EQ(Plot(1), 1) << M;
    // At M = 0 no mirror: the area-normalised Lorentzian of width L.
    const double peak = M != 0.0 ? static_cast<float>(3.0 / (2 * M_PI) / M) * M * (1.0 / (d + 4 * M * M) + 1.0 / d)
                                 : static_cast<float>(3.0 / (2 * M_PI)) / d;
    EXPECT_NEAR(Win.PM_DrawAry[50], peak, 1e-6) << M;
  }
}

TEST_F(SimPlotTest, HitranIsotopeLabelZeroHasNoDopplerWidth) {
  HitranLine(0, 0, 5.0, 1e-20f, 0.0);
  Sim.HT_QT_Stat[0] = 1;
  Sim.LS_GAU[0] = 0.3;
  ASSERT_EQ(Plot(), 1);
  EXPECT_EQ(Sim.LS_GAU[0], 0.0);
  // The same line as 12C16O has its Doppler width: 7.16e-7 x f x sqrt(T / m).
  Sim.HT_Mol_Lbl[0][0] = 51;
  ASSERT_EQ(Plot(), 1);
  EXPECT_NEAR(Sim.LS_GAU[0], 7.16234729e-07 * 5.0 * std::sqrt(296.0 / 27.994915), 1e-15);
  EXPECT_EQ(Sim.HT_Mass[0], 27.994915);
}

TEST_F(SimPlotTest, ScanReadoutOnlyAtACursorInsideTheRun) {
  HitranLine(0, 51, 5.0, 1e-20f, 0.0);
  Sim.HT_Ary_Stat[0] = 1;
  Sim.HtScanRunning[0] = 1;
  Sim.HtScanReadout = -1.0;
  Win.Cursor_X = -1;
  ASSERT_EQ(Plot(), 1);
  EXPECT_EQ(Sim.HtScanReadout, -1.0);
  Win.Cursor_X = kCount;
  ASSERT_EQ(Plot(), 1);
  EXPECT_EQ(Sim.HtScanReadout, -1.0);
  Win.Cursor_X = 50;
  Sim.Dsp_Scalar[0] = 0.0;
  ASSERT_EQ(Plot(), 1);
  EXPECT_EQ(Sim.HtScanReadout, -1.0);
  Sim.Dsp_Scalar[0] = 4.0;
  ASSERT_EQ(Plot(), 1);
  EXPECT_FLOAT_EQ(static_cast<float>(Sim.HtScanReadout), Win.PM_DrawAry[50] / 4.0f);
}

// A line of the CO list at 100 K and 1000 K: intensity against the textbook S(T) with
// Q from the tables.
TEST_F(SimPlotTest, HitranIntensityAtOtherTemperatures) {
  std::ifstream in(std::string(QV95_TESTDATA_DIR) + "/hitran/hapi_CO_M5_I1.par");
  std::string record;
  ASSERT_TRUE(std::getline(in, record));
  ASSERT_GE(record.size(), 55u);
  const double nu = std::stod(record.substr(3, 12));
  const double S = std::stod(record.substr(15, 10));
  const double E = std::stod(record.substr(45, 10));
  double q296 = 0.0;
  ASSERT_EQ(SimTipsQT(5, 296.0, 1, &q296), 1);
  for (double T : {100.0, 1000.0}) {
    FreeLines();
    SimLineShapeStoresFree();
    Sim = SimRecord{};
    Steps(0.1);
    HitranLine(0, 51, nu, static_cast<float>(S), E);
    Sim.HT_QT_Stat[0] = 1;
    Sim.HT_QT_Ref[0][0] = q296;  // isotope 1
    Sim.HT_Temp[0] = T;
    Sim.HT_Doppler_Stat[0] = 0;
    Dsp.Init_Frq = nu - 5.0;
    ASSERT_EQ(Plot(), 1);
    double qT = 0.0;
    ASSERT_EQ(SimTipsQT(5, T, 1, &qT), 1);
    const double c2 = 1.0 / 0.695038770005;  // hc/k in cm K
    const double textbook = S * q296 / qT * std::exp(-c2 * E / T) / std::exp(-c2 * E / 296.0) *
                            (1.0 - std::exp(-c2 * nu / T)) / (1.0 - std::exp(-c2 * nu / 296.0));
    const double K = 7.3388931384e+21 / T * 0.01 * 0.01 * 100.0;
    const double S_T = Sim.HT_Itn[0][0] / K / (static_cast<float>(S) / S);
    EXPECT_NEAR(S_T, textbook, 1e-6 * textbook) << T;
    EXPECT_EQ(Sim.HT_QT_Stat[0], 1u);
    EXPECT_TRUE(Boxes().empty());
  }
}

TEST_F(SimPlotTest, HitranTemperatureFactorAtZeroFrequencyIsItsLimit) {
  // A line at f = 0 away from 296 K: the sinh ratio 0/0 is replaced by kTi / kT0i (and
  // the partition sums of 12C16O give their ratio).
  HitranLine(0, 51, 0.0, 1e-20f, 200.0);
  Sim.HT_Temp[0] = 150.0;
  Sim.HT_Doppler_Stat[0] = 0;
  Dsp.Init_Frq = -5.0;
  ASSERT_EQ(Plot(), 1);
  const double kT0i = 1.0 / (0.695038770005 * 296.0), kTi = 1.0 / (0.695038770005 * 150.0);
  const double K = 7.3388931384e+21 / 150.0 * 0.01 * 0.01 * 100.0;
  double q296 = 0.0, q150 = 0.0;
  ASSERT_EQ(SimTipsQT(5, 296.0, 1, &q296), 1);
  ASSERT_EQ(SimTipsQT(5, 150.0, 1, &q150), 1);
  const double expected =
      K * std::exp((kT0i - kTi) * 200.0) * kTi / kT0i * q296 / q150 * static_cast<float>(1e-20);
  ASSERT_TRUE(std::isfinite(Sim.HT_Itn[0][0]));
  EXPECT_NEAR(Sim.HT_Itn[0][0], expected, 1e-6 * expected);
  for (float v : Run()) ASSERT_TRUE(std::isfinite(v));
}

TEST_F(SimPlotTest, HitranWithoutAPartitionTableWarnsOnce) {
  // Two lines of O3 isotope 6, which has no TIPS-2021 table.
  Lines(0, {5.0, 6.0}, {1e-20f, 1e-20f});
  Sim.HT_Global_Stat[0] = 1;
  Sim.LN_STAT[0] = 1;
  SAlloc1Dim(&Sim.HT_Mol_Lbl[0], 2);
  DAlloc1Dim(&Sim.FI_HamErg_Vector[0][0], 1);
  LAlloc1Dim(&Sim.FI_Erg_Idx[0][0], 2);
  Sim.FI_HamErg_Vector[0][0][0] = 100.0;
  Sim.FI_Erg_Sz[0] = 1;
  Sim.HT_Mol_Lbl[0][0] = Sim.HT_Mol_Lbl[0][1] = 36;
  Sim.HT_QT_Stat[0] = 1;
  Sim.HT_Temp[0] = 250.0;
  StrCopy(Sim.Sim_Flnm[0], "ozone");
  ASSERT_EQ(Plot(), 1);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "Error: [A] SIM [ozone]\n\nTIP FUNCTION INVALID | NOT FOUND");
  EXPECT_EQ(Sim.HT_QT_Stat[0], 0u);
}

}  // namespace
}  // namespace qvtest
