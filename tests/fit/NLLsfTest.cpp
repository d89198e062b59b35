// The non-linear fits: a Voigt fit that recovers a rendered spectrum, a ring-down fit
// that recovers a synthetic decay, one fit at a time, the stop request, the parameter
// log read back, the per-line arrays kept while a fit runs, and the fit dialogs.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "core/BinFile.h"
#include "fit/NLLsf.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnl.h"
#include "resources/Dialogs.h"
#include "sim/SimDialogs.h"
#include "sim/SimPlot.h"
#include "support/TempDir.h"
#include "tests/sim/RenderFixture.h"

namespace qvtest {
namespace {

namespace drv = platform::driver;
constexpr int kCount = 100;  // fit points 0..99 at 0.1 apart from frequency 0

class NLLsfTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS)));
    Dsp.Init_Frq = 0.0;
    for (auto& p : Dsp.Pts2Pxl) p = 1.0;
    Steps(0.1);
    Win.Page_Pixels = kCount;
  }
  void TearDown() override {
    NLLsfWait(60000);
    VoigtNLLsfFree();
    FFree1Dim(&Win.PM_DrawAry);
    std::filesystem::current_path(previous_);
    RenderTest::TearDown();
  }

  // Three Voigt lines on grid points rendered into "fit.dat".
  void RenderedSpectrum() {
    Lines(0, {3.0, 5.0, 7.0}, {2.0f, 1.0f, 3.0f});
    Sim.LN_STAT[0] = 1;
    Sim.LS_Double = 1;
    Sim.LS_GAU[0] = 0.3;
    Sim.LS_LOR[0] = 0.2;
    Sim.LS_WidthMode[0] = 1;
    Sim.LS_NOLWS[0] = 40;
    Sim.Dsp_Scalar[0] = 1.0;
    ASSERT_EQ(SimFIPlot(nullptr, 0, 0, 3, 0, kCount, 0, 9, 9), 1);
    rendered_.assign(Win.PM_DrawAry, Win.PM_DrawAry + kCount);
    ASSERT_EQ(ManBinFileWrite("fit.dat", nullptr, Win.PM_DrawAry, nullptr, BIN_ELEM_FLOAT, 0, kCount, 0, 0), 1);
    StrCopy(Lsf.Res_Base, "fit.dat");
    Lsf.Fit_PtBeg = 0;
    Lsf.Fit_PtEnd = kCount;
    Lsf.Fit_LnBeg[0] = 0;
    Lsf.Fit_LnEnd[0] = 2;
  }

  // A ring-down A exp(-k d) + B on the same grid into "rdf.dat".
  static void Decay(double A, double k, double B) {
    std::vector<float> y(kCount);
    for (int i = 0; i < kCount; ++i) y[static_cast<size_t>(i)] = static_cast<float>(A * std::exp(-k * 0.1 * i) + B);
    ASSERT_EQ(ManBinFileWrite("rdf.dat", nullptr, y.data(), nullptr, BIN_ELEM_FLOAT, 0, kCount, 0, 0), 1);
    StrCopy(Lsf.Res_Base, "rdf.dat");
    Lsf.Fit_PtBeg = 0;
    Lsf.Fit_PtEnd = kCount;
  }

  TempDir dir_;
  std::filesystem::path previous_;
  std::vector<float> rendered_;
};

TEST_F(NLLsfTest, VoigtFitRecoversARenderedSpectrumAndLogsIt) {
  RenderedSpectrum();
  // Start away from the truth: equal intensities, widths off by a third.
  for (int i = 0; i < 3; ++i) Sim.FI_Sim_Itn[0][i] = 1.5f;
  Sim.LS_GAU[0] = 0.4;
  Sim.LS_LOR[0] = 0.13;
  ASSERT_EQ(VoigtNLLsfRun(0), 1);
  ASSERT_TRUE(NLLsfWait(60000));
  EXPECT_EQ(Lsf.NL_Result[0], 1);
  EXPECT_EQ(Lsf.Run_Flag[0], 0u);
  EXPECT_NEAR(Sim.FI_Sim_Itn[0][0], 2.0, 2e-3);
  EXPECT_NEAR(Sim.FI_Sim_Itn[0][1], 1.0, 2e-3);
  EXPECT_NEAR(Sim.FI_Sim_Itn[0][2], 3.0, 2e-3);
  EXPECT_NEAR(Sim.LS_GAU[0], 0.3, 1e-3);
  EXPECT_NEAR(Sim.LS_LOR[0], 0.2, 1e-3);
  EXPECT_LT(Lsf.NL_Chisq[0], 1e-6);
  // The grid of the fit and the set's profiles built from the fitted widths.
  EXPECT_EQ(Lsf.Fit_PtFirst[0], 0);
  EXPECT_EQ(Lsf.Fit_PtCnt[0], kCount);
  EXPECT_GE(Sim.LS_Pts[0][3], 100);
  // Rendering the fitted set gives the data back.
  ASSERT_EQ(SimFIPlot(nullptr, 0, 0, 3, 0, kCount, 0, 9, 9), 1);
  for (int i = 0; i < kCount; ++i) EXPECT_NEAR(Win.PM_DrawAry[i], rendered_[static_cast<size_t>(i)], 2e-3) << i;

  // The report is the parameter log: read back into another state, the same values.
  std::vector<std::string> log;
  ASSERT_TRUE(platform::ReadTextLines(NLLSF_LOG_NAME, &log));
  ASSERT_GE(log.size(), 11u);
  EXPECT_EQ(log[0].rfind("NLLSF VOIGT LOG : SET [0]", 0), 0u);
  EXPECT_EQ(log.back(), "END");
  const float fitted = Sim.FI_Sim_Itn[0][2];
  const double gau = Sim.LS_GAU[0];
  Sim.FI_Sim_Itn[0][2] = 0.0f;
  Sim.LS_GAU[0] = 0.0;
  Lsf.Fit_LnEnd[0] = 0;
  ASSERT_EQ(VoigtIOLogFile("INPUT", NLLSF_LOG_NAME, 0), 1);
  EXPECT_EQ(Sim.FI_Sim_Itn[0][2], fitted);
  EXPECT_EQ(Sim.LS_GAU[0], gau);
  EXPECT_EQ(Lsf.Fit_LnEnd[0], 2);
  // Written from the set and read back; a log naming lines the set lacks is refused
  // and changes nothing.
  ASSERT_EQ(VoigtIOLogFile("OUTPUT", "set.nlf", 0), 1);
  ASSERT_EQ(VoigtIOLogFile("INPUT", "set.nlf", 0), 1);
  EXPECT_EQ(Sim.FI_Sim_Itn[0][2], fitted);
  std::vector<std::string> bad = log;
  bad[2] = "LINES 0 7";
  ASSERT_TRUE(platform::WriteTextLines("bad.nlf", bad));
  Sim.LS_GAU[0] = 9.0;
  EXPECT_EQ(VoigtIOLogFile("INPUT", "bad.nlf", 0), 0);
  EXPECT_EQ(Sim.LS_GAU[0], 9.0);
  EXPECT_EQ(VoigtIOLogFile("INPUT", "missing.nlf", 0), 0);
  EXPECT_EQ(VoigtIOLogFile("SIDEWAYS", "set.nlf", 0), 0);
}

TEST_F(NLLsfTest, RingDownFitRecoversASyntheticDecayAboveTheCut) {
  Decay(4.0, 0.8, 0.5);
  ASSERT_EQ(RdfNLLsfRun(2), 1);
  ASSERT_TRUE(NLLsfWait(60000));
  EXPECT_EQ(Lsf.NL_Result[2], 1);
  EXPECT_EQ(Lsf.Rdf_Valid[2], 1u);
  EXPECT_NEAR(Lsf.Rdf_A[2], 4.0, 1e-4);
  EXPECT_NEAR(Lsf.Rdf_K[2], 0.8, 1e-4);
  EXPECT_NEAR(Lsf.Rdf_B[2], 0.5, 1e-4);
  std::vector<std::string> log;
  ASSERT_TRUE(platform::ReadTextLines(NLLSF_LOG_NAME, &log));
  EXPECT_EQ(log[0].rfind("NLLSF RINGDOWN LOG : SET [2]", 0), 0u);
  // A cut above every point leaves nothing to fit: refused, the result cleared of
  // nothing (the last stays valid).
  Lsf.Rdf_MinCut = 100.0;
  platform::ClearBoxLog();
  EXPECT_EQ(RdfNLLsfRun(2), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("[0] POINTS ABOVE THE MINIMUM CUT"), std::string::npos);
  EXPECT_EQ(Lsf.Rdf_Valid[2], 1u);
  // The cavity-mode plot draws the fitted decay from the top row down toward B.
  ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Win.CM_DrawAry1, WIN_DRAW_PTS)));
  ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Win.CM_DrawAry2, WIN_DRAW_PTS)));
  Lsf.Cur_Set = 2;
  Lsf.CM_Curve1 = 1;
  Win.Child_PlotW[9][0] = 50;
  Win.Child_PlotH[9][0] = 100;
  Win.Child_PlotTop[9][0] = 10;
  EXPECT_EQ(RdfCavityModePaint(nullptr, 1), 1);
  EXPECT_NEAR(Win.CM_DrawAry1[0], 10.0f, 1e-3);
  for (int i = 1; i < 50; ++i) EXPECT_LE(Win.CM_DrawAry1[i - 1], Win.CM_DrawAry1[i]) << i;
  EXPECT_NEAR(Win.CM_DrawAry2[7], 110.0f, 1e-3);
  // Without a result the curves lie on the bottom row.
  Lsf.Cur_Set = 3;
  EXPECT_EQ(RdfCavityModePaint(nullptr, 1), 0);
  EXPECT_EQ(Win.CM_DrawAry1[0], 110.0f);
  FFree1Dim(&Win.CM_DrawAry1);
  FFree1Dim(&Win.CM_DrawAry2);
}

TEST_F(NLLsfTest, OneFitAtATimeAndTheRunFlagStopsIt) {
  RenderedSpectrum();
  // Lines recalculated from their HITRAN parameters at every value take the renderer's
  // lock; holding it keeps the worker at its first model value.
  Sim.HT_LnCalc[0] = 1;
  Lsf.Ln_Recalc[0] = 1;
  Sim.LS_GAU[0] = 3.0;
  EnterCriticalSection(&SimPlotLock);
  ASSERT_EQ(VoigtNLLsfRun(0), 1);
  EXPECT_TRUE(NLLsfRunning(0));
  EXPECT_TRUE(NLLsfRunning(-1));
  EXPECT_FALSE(NLLsfRunning(1));
  EXPECT_TRUE(ProgramWorkersBusy());  // what a script's wait-idle waits for
  // A second fit, of any set, is refused with a warning.
  Decay(1.0, 1.0, 0.0);
  platform::ClearBoxLog();
  EXPECT_EQ(RdfNLLsfRun(1), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("FIT OF SET [0] RUNNING"), std::string::npos);
  // The set's per-line arrays stay while its fit runs; the log cannot be rewritten.
  const uint16_t* src = Lsf.Line_Src[0];
  Sim.FI_Lines[0] = 2;
  EXPECT_EQ(VoigtNLLsfAlloc(1, 0), 0);
  EXPECT_EQ(Lsf.Line_Src[0], src);
  EXPECT_EQ(Lsf.Alloc_Lines[0], 3u);
  Sim.FI_Lines[0] = 3;
  EXPECT_EQ(VoigtIOLogFile("OUTPUT", "x.nlf", 0), 0);
  // Clearing the run flag ends it after that value without changing the set; the
  // program is idle once its worker has ended.
  Lsf.Run_Flag[0] = 0;
  LeaveCriticalSection(&SimPlotLock);
  ASSERT_TRUE(drv::PumpUntil([] { return !ProgramWorkersBusy(); }, 60000));
  EXPECT_FALSE(NLLsfRunning(-1));
  EXPECT_EQ(Lsf.NL_Result[0], -1);
  EXPECT_EQ(Sim.LS_GAU[0], 3.0);
  EXPECT_EQ(Sim.FI_Sim_Itn[0][0], 2.0f);
  // After it ends the arrays follow the set's lines, keeping the first ones' values.
  Lsf.Line_Grp[0][1] = 5;
  Sim.FI_Lines[0] = 2;
  EXPECT_EQ(VoigtNLLsfAlloc(1, 0), 1);
  EXPECT_EQ(Lsf.Alloc_Lines[0], 2u);
  EXPECT_EQ(Lsf.Line_Grp[0][1], 5);
  Sim.FI_Lines[0] = 3;
  EXPECT_EQ(VoigtNLLsfAlloc(1, 0), 1);
  EXPECT_EQ(Lsf.Line_Grp[0][2], LSF_GROUPS);
  EXPECT_EQ(Lsf.Line_Src[0][2], 0);
  Sim.HT_LnCalc[0] = 0;
  // Fit lines outside the set are refused before anything starts.
  Lsf.Fit_LnEnd[0] = 3;
  platform::ClearBoxLog();
  EXPECT_EQ(VoigtNLLsfRun(0), 0);
  EXPECT_FALSE(NLLsfRunning(-1));
  ASSERT_EQ(Boxes().size(), 1u);
  // Data that cannot be read are refused too.
  Lsf.Fit_LnEnd[0] = 2;
  StrCopy(Lsf.Res_Base, "none.dat");
  EXPECT_EQ(VoigtNLLsfRun(0), 0);
  EXPECT_FALSE(NLLsfRunning(-1));
}

}  // namespace
}  // namespace qvtest
