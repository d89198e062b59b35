// The fit dialogs driven like a user would: each shown for its set, refreshed and
// hidden; the VOIGT+ switches only on HITRAN sets with their line parameters; the
// ring-down switches stored; a fit started and reported from the dialog.
#include <cmath>
#include <vector>

#include "core/BinFile.h"
#include "fit/NLLsf.h"
#include "platform/driver/TestDriver.h"
#include "resources/Dialogs.h"
#include "sim/SimDialogs.h"
#include "tests/sim/SimFixture.h"

namespace qvtest {
namespace {

namespace drv = platform::driver;
using namespace fit_ids;

class FitDialogsTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    RegisterDialogResources();
  }
  void TearDown() override {
    NLLsfWait(60000);
    for (auto& row : Sim.Dlg_Hwnd)
      for (HWND& w : row)
        if (w && IsWindow(w)) DestroyWindow(w);
    VoigtNLLsfFree();
    SimTest::TearDown();
  }
  static HWND Open(SimDlgKind kind, uint32_t (*creator)(int16_t, uint32_t, HWND), int16_t s) {
    EXPECT_EQ(creator(s, 1, Win.hWnd_Main), 1u);
    SimDlgRequest(kind, s) = 1;
    return Sim.Dlg_Hwnd[kind][s];
  }
};

TEST_F(FitDialogsTest, EachIsShownForItsSetRefreshedAndHidden) {
  FillSet(1, 4, 0, 2, false);
  struct Row {
    SimDlgKind kind;
    uint32_t (*creator)(int16_t, uint32_t, HWND);
    bool voigt;
  } rows[] = {{SIM_DLG_VOIGT, LsfVoigtDialogShow, true},
              {SIM_DLG_VOIGT2, LsfVoigt2DialogShow, true},
              {SIM_DLG_RDF, LsfRdfDialogShow, false}};
  for (const Row& r : rows) {
    HWND d = Open(r.kind, r.creator, 1);
    ASSERT_TRUE(d && IsWindowVisible(d)) << r.kind;
    EXPECT_EQ(SimDlgSetOf(r.kind, d), 1);
    EXPECT_EQ(r.voigt ? Lsf.Voigt_Hwnd[1] : Lsf.Rdf_Hwnd[1], d);
    EXPECT_EQ(drv::Text(d, kResult), "NO FIT");
    // A refresh shows the record's values.
    Lsf.Fit_PtEnd = 77;
    Lsf.Fit_LnEnd[1] = 3;
    SendMessage(d, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(drv::Text(d, kPtEnd), "77");
    if (r.voigt) {
      EXPECT_EQ(drv::Text(d, kLnEnd), "3");
    }
    // Closing hides it through its creator, clears the request and the handle.
    ASSERT_TRUE(drv::Click(d, IDCANCEL));
    EXPECT_FALSE(IsWindowVisible(d));
    EXPECT_EQ(Sim.Dlg_Req[r.kind][1], 0u);
    EXPECT_EQ(r.voigt ? Lsf.Voigt_Hwnd[1] : Lsf.Rdf_Hwnd[1], nullptr);
  }
  // Showing the Voigt fit made the set's per-line arrays.
  EXPECT_EQ(Lsf.Alloc_Lines[1], 4u);
  ASSERT_TRUE(Lsf.Line_Grp[1]);
  EXPECT_EQ(Lsf.Line_Grp[1][3], LSF_GROUPS);
}

TEST_F(FitDialogsTest, LineCalculationSwitchesOnlyOnHitranSetsWithTheirParameters) {
  FillSet(0, 3, 0, 2, false);
  FillSet(2, 3, 0, 2, true);
  HWND plain = Open(SIM_DLG_VOIGT2, LsfVoigt2DialogShow, 0);
  ASSERT_TRUE(drv::Click(plain, kHtCalc));
  ASSERT_TRUE(drv::Click(plain, kLnCalc));
  EXPECT_EQ(Sim.HT_LnCalc[0], 0u);
  EXPECT_EQ(Lsf.Ln_Calc[0], 0u);
  EXPECT_FALSE(drv::IsChecked(plain, kHtCalc));
  EXPECT_FALSE(drv::IsChecked(plain, kLnCalc));
  HWND hitran = Open(SIM_DLG_VOIGT2, LsfVoigt2DialogShow, 2);
  ASSERT_TRUE(drv::Click(hitran, kHtCalc));
  ASSERT_TRUE(drv::Click(hitran, kLnCalc));
  EXPECT_EQ(Sim.HT_LnCalc[2], 1u);
  EXPECT_EQ(Lsf.Ln_Calc[2], 1u);
  EXPECT_TRUE(drv::IsChecked(hitran, kHtCalc));
  // Off again; the recalculation switch of both fit dialogs.
  ASSERT_TRUE(drv::Click(hitran, kHtCalc));
  EXPECT_EQ(Sim.HT_LnCalc[2], 0u);
  ASSERT_TRUE(drv::Click(hitran, kRecalc));
  EXPECT_EQ(Lsf.Ln_Recalc[2], 1u);
  // A HITRAN set whose coefficient arrays are gone gets no switch either.
  FFree1Dim(&Sim.HT_Temp_Gamma[2]);
  ASSERT_TRUE(drv::Click(hitran, kHtCalc));
  EXPECT_EQ(Sim.HT_LnCalc[2], 0u);
}

TEST_F(FitDialogsTest, RingDownSwitchesAndAFitStartedFromTheDialog) {
  FillSet(4, 2, 0, 2, false);
  Dsp.Init_Frq = 0.0;
  for (auto& p : Dsp.Pts2Pxl) p = 1.0;
  for (auto& s : Dsp.FrqStpView) s = 0.5;
  std::vector<float> y(60);
  for (size_t i = 0; i < y.size(); ++i) y[i] = static_cast<float>(2.0 * std::exp(-0.25 * 0.5 * i) + 1.0);
  ASSERT_EQ(ManBinFileWrite("decay.dat", nullptr, y.data(), nullptr, BIN_ELEM_FLOAT, 0, 60, 0, 0), 1);
  HWND d = Open(SIM_DLG_RDF, LsfRdfDialogShow, 4);
  ASSERT_TRUE(drv::Click(d, kCmPlot));
  ASSERT_TRUE(drv::Click(d, kCmCurve2));
  ASSERT_TRUE(drv::Click(d, kDisplay));
  EXPECT_EQ(Lsf.CM_Plot, 1u);
  EXPECT_EQ(Lsf.CM_Curve1, 0u);
  EXPECT_EQ(Lsf.CM_Curve2, 1u);
  EXPECT_EQ(Lsf.Rdf_Dsp[4], 1u);
  EXPECT_EQ(Lsf.Cur_Set, 4);
  ASSERT_TRUE(drv::TypeAndCommit(d, kFile, "decay.dat"));
  ASSERT_TRUE(drv::TypeAndCommit(d, kPtEnd, "60"));
  ASSERT_TRUE(drv::Click(d, kRun));
  ASSERT_TRUE(NLLsfWait(60000));
  EXPECT_EQ(Lsf.NL_Result[4], 1);
  EXPECT_NEAR(Lsf.Rdf_K[4], 0.25, 1e-4);
  // The end of the fit refreshes the dialog (its posted message).
  drv::PumpUntilIdle();
  const std::string result = drv::Text(d, kResult);
  EXPECT_EQ(result.rfind("A=", 0), 0u) << result;
  EXPECT_NE(result.find(" CHISQ="), std::string::npos) << result;
}

}  // namespace
}  // namespace qvtest
