// The assignment keys end to end through the main plot's key processor: 'j' marks the
// cursor window, the QN list (as the renderer leaves it) is stepped with space, and
// 'k' and 'K' assign and clear the selected line with their counts, RMS and texts.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "SimFixture.h"
#include "core/Coords.h"
#include "core/FrqAxis.h"
#include "display/ViewKeys.h"
#include "lineshape/LineShape.h"
#include "models/quad/Quad.h"
#include "records/Locks.h"
#include "sim/SimAsnKeys.h"
#include "sim/SimDialogs.h"
#include "sim/SimPlot.h"

namespace {

class SimAsnKeysTest : public qvtest::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Dsp.Init_Frq = 1000.0;
    Dsp.FSR = 1.0;
    Dsp.Pts_FSR = 1;
    Win.Active_Chn = 0;
    Dsp.Chn_DspStat[0] = 1;
    FillSet(0, 8, 0, 2, false);
    for (uint32_t i = 0; i < 8; ++i) Sim.FI_Exp_Erg[0][i] = 0.0;
    SimFIAsnCalc(0, 0, 0);
    Sim.Asn_Modified[0] = 0;
    Sim.Dsp_Stat[0] = 1;
    Sim.Cur_Set = 0;
  }
  void TearDown() override {
    LFree1Dim(&Sim.FI_CD_List_Ary[0][2]);
    QuadComponentsFree(0, &Quad);
    SimTest::TearDown();
  }
  int32_t Key(int32_t key) { return DisplayViewKey(Win.hWnd_Main, key, 0); }
  // The QN list of the cursor window as the renderer fills it.
  void List(const std::vector<int32_t>& lines) {
    ASSERT_EQ(LAlloc1Dim(&Sim.FI_QN_List_Ary[0], static_cast<uint32_t>(lines.size())), 1);
    for (size_t i = 0; i < lines.size(); ++i) Sim.FI_QN_List_Ary[0][i] = lines[i];
    Sim.FI_QN_List_Cnt[0] = Sim.FI_QN_List_Tot[0] = Sim.FI_QN_List_Sz[0] = static_cast<int32_t>(lines.size());
    Sim.FI_QN_List_Sel[0] = 0;
    Sim.FI_QN_List_Top[0] = 0;
    Sim.QN_FromList[0] = 1;
    Sim.QN_Sel_Line[0] = lines[0];
  }
  double AtCursor() const { return DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, Win.Cursor_X); }
};

TEST_F(SimAsnKeysTest, SpaceStepsTheListAndItsFirstRowThenWraps) {
  Key('j');
  EXPECT_EQ(Sim.QN_Request[0], 1u);
  List({0, 1, 2, 3, 4, 5, 6});
  const int32_t tops[] = {0, 0, 0, 0, 1, 2, 0};
  for (int step = 1; step <= 7; ++step) {
    Key(' ');
    EXPECT_EQ(Sim.FI_QN_List_Sel[0], step % 7) << step;
    EXPECT_EQ(Sim.QN_Sel_Line[0], step % 7) << step;
    EXPECT_EQ(Sim.FI_QN_List_Top[0], tops[step - 1]) << step;
  }
  EXPECT_EQ(Sim.Sel_Changed, 1u);
  // The list of a new cursor window ('j', then the renderer) is shown from its first
  // row again, where its selection starts.
  for (int step = 0; step < 6; ++step) Key(' ');
  ASSERT_EQ(Sim.FI_QN_List_Top[0], 2);
  Key('j');
  Sim.IDVWIDTH_STAT[0] = 0;
  for (auto& p : Dsp.Pts2Pxl) p = 1.0;
  DspFrqStpSet(1.0);
  if (!SimPlotLock.state) InitializeCriticalSection(&SimPlotLock);
  ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS)));
  EXPECT_EQ(SimFIPlot(nullptr, 0, 0, 3, 0, 40, 1, 9, 9), 1);
  FFree1Dim(&Win.PM_DrawAry);
  SimLineShapeStoresFree();
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 0);
  EXPECT_EQ(Sim.FI_QN_List_Top[0], 0);
  // The combination-difference list (the combined one the dialog shows) takes over while
  // it is the active one.
  ASSERT_EQ(LAlloc1Dim(&Sim.FI_CD_List_Ary[0][2], 2), 1);
  Sim.FI_CD_List_Ary[0][2][0] = 6;
  Sim.FI_CD_List_Ary[0][2][1] = 3;
  Sim.FI_CD_List_Tot[0][2] = 2;
  Sim.QN_FromCD[0] = 1;
  Key(' ');
  EXPECT_EQ(Sim.FI_CD_Sel[0], 1);
  EXPECT_EQ(Sim.QN_Sel_Line[0], 3);
  Key(' ');
  EXPECT_EQ(Sim.QN_Sel_Line[0], 6);
}

TEST_F(SimAsnKeysTest, AssignAndClearKeepCountAndRmsTogether) {
  List({2, 5});
  Win.Cursor_X = 10;
  const double f1 = AtCursor();
  Key('k');
  EXPECT_DOUBLE_EQ(Sim.FI_Exp_Erg[0][2], f1);
  const float r1 = static_cast<float>(std::fabs(1006.0 - f1));
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 1u);
  EXPECT_FLOAT_EQ(Sim.FI_OmC_Rms[0], r1);
  EXPECT_EQ(Sim.Asn_Modified[0], 1u);
  EXPECT_EQ(StatusText(0), "[A] SIM [NoName] JKK ASN ADDED=[1]");
  // Then line 5 (1015) elsewhere.
  Key(' ');
  Win.Cursor_X = 30;
  const double f2 = AtCursor();
  ASSERT_NE(f1, f2);
  Key('k');
  EXPECT_DOUBLE_EQ(Sim.FI_Exp_Erg[0][5], f2);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 2u);
  const double d2 = 1015.0 - f2;
  EXPECT_FLOAT_EQ(Sim.FI_OmC_Rms[0], static_cast<float>(std::sqrt((r1 * r1 + d2 * d2) / 2.0)));
  // Clearing line 5 lowers the count and takes its residual out of the RMS.
  Key('K');
  EXPECT_EQ(Sim.FI_Exp_Erg[0][5], 0.0);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 1u);
  EXPECT_FLOAT_EQ(Sim.FI_OmC_Rms[0], r1);
  EXPECT_EQ(StatusText(0), "[A] SIM [NoName] JKK ASN DELETED=[1]");
  // Nothing left to clear on that line.
  Key('K');
  EXPECT_EQ(StatusText(0), "[A] SIM [NoName] ASNS NOT MODIFIED");
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 1u);
}

TEST_F(SimAsnKeysTest, UncertaintyStaleSelectionAndFixedLines) {
  List({1});
  Sim.Asn_StdUnc[0] = 0.05f;
  Sim.FI_Exp_Unc[0][1] = 0.0f;
  // Line 1 belongs to a fixed combination-difference set: assigning marks it fixed.
  Sim.FI_CD_FixSet_Tot[0] = 1;
  ASSERT_EQ(BAlloc1Dim(&Sim.FI_CD_FixSet_Fixed[0], 1), 1);
  ASSERT_EQ(LAlloc1Dim(&Sim.FI_CD_FixSet_Cnt[0], 1), 1);
  ASSERT_EQ(LAlloc2Dim(&Sim.FI_CD_FixSet_Idx[0], 1, 2), 1);
  ASSERT_EQ(DAlloc2Dim(&Sim.FI_CD_FixSet_Erg[0], 1, 2), 1);
  Sim.FI_CD_FixSet_Fixed[0][0] = 0;
  Sim.FI_CD_FixSet_Cnt[0][0] = 2;
  Sim.FI_CD_FixSet_Idx[0][0][0] = 4;
  Sim.FI_CD_FixSet_Idx[0][0][1] = 1;
  Key('k');
  EXPECT_FLOAT_EQ(Sim.FI_Exp_Unc[0][1], 0.05f);
  EXPECT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 1);
  Key('K');
  EXPECT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 0);
  // A selection beyond the line list is no candidate.
  Sim.QN_Sel_Line[0] = 8;
  Key('k');
  EXPECT_EQ(StatusText(0), "[A] SIM [NoName] ASNS NOT MODIFIED");
  // Without a list there is nothing to step or assign.
  Sim.FI_QN_List_Cnt[0] = 0;
  Sim.QN_Sel_Line[0] = 1;
  EXPECT_EQ(ViewKeySimSelectNext(0), 0);
  EXPECT_EQ(ViewKeySimAssign(0, 1234.0), 0);
  EXPECT_EQ(Sim.FI_Exp_Erg[0][1], 0.0);
}

TEST_F(SimAsnKeysTest, LineAddingModeAddsALineAtTheCursorInFrequencyOrder) {
  List({1});
  Sim.Edit_Stat[0] = 1;
  Win.Cursor_X = 10;
  const double fa = AtCursor();
  Key('k');
  ASSERT_EQ(Sim.FI_Lines[0], 9u);
  EXPECT_EQ(StatusText(0), "[A] SIM [NoName] SIM LINE ADDED=[9]");
  int found = 0;
  for (uint32_t i = 0; i < Sim.FI_Lines[0]; ++i) {
    if (Sim.FI_Sim_Erg[0][i] == fa) ++found;
    if (i > 0) {
      EXPECT_LE(Sim.FI_Sim_Erg[0][i - 1], Sim.FI_Sim_Erg[0][i]);
    }
  }
  EXPECT_EQ(found, 1);
  // Position 0 is the new-line slot: no line to delete.
  Sim.FI_QN_List_Sel[0] = 0;
  EXPECT_EQ(ViewKeySimUnassign(0), 0);
  EXPECT_EQ(Sim.FI_Lines[0], 9u);
}

TEST_F(SimAsnKeysTest, QuadrupoleComponentsAreAssignedAndCentreTheLine) {
  List({2});
  Sim.QC_STAT[0] = 1;
  ASSERT_EQ(QuadCalc(0, 2, &Sim, &Quad), 1);
  ASSERT_GE(Quad.Comp_Count[0], 1);
  ASSERT_EQ(LAlloc1Dim(&Quad.QN_List[0], 1), 1);
  Quad.QN_List[0][0] = 0;
  Quad.QN_LIST_TOT[0] = 1;
  Quad.QN_FromList[0] = 1;
  Quad.QN_SEL[0] = 0;
  // 'j' asks the quadrupole list of a quadrupole set for a new search too.
  Key('j');
  EXPECT_EQ(Quad.QN_Request[0], 1u);
  Win.Cursor_X = 10;
  const double fa = AtCursor();
  Key('k');
  EXPECT_DOUBLE_EQ(Quad.Comp_ExpFrq[0][0], fa);
  EXPECT_EQ(Quad.Asn_Cnt[0], 1);
  EXPECT_EQ(Quad.Asn_Modified[0], 1u);
  EXPECT_EQ(StatusText(0), "[A] SIM [NoName] QUAD ASN ADDED=[1]");
  // The line's centre: observed minus the component's offset from the line.
  EXPECT_DOUBLE_EQ(QuadAsnCtrFrq(0, 2, &Quad, &Sim), fa - (Quad.Comp_Frq[0][0] - 1006.0));
  // Assigning again replaces the entry.
  Key('k');
  EXPECT_EQ(Quad.Asn_Cnt[0], 1);
  Key('K');
  EXPECT_EQ(Quad.Comp_ExpFrq[0][0], 0.0);
  EXPECT_EQ(Quad.Asn_Cnt[0], 0);
  EXPECT_EQ(StatusText(0), "[A] SIM [NoName] QUAD ASN DELETED=[0]");
  EXPECT_EQ(QuadAsnCtrFrq(0, 2, &Quad, &Sim), 0.0);
  Key('K');
  EXPECT_EQ(StatusText(0), "[A] SIM [NoName] ASNS NOT MODIFIED");
}

// After a linearisation channel 0 holds 32,800 points and the active power channel
// 32,000: at LOW set A, associated with channel 0, is drawn, windowed ('j') and
// assigned ('k') on channel 0's frequency scale, not on the active channel's.
TEST_F(SimAsnKeysTest, ASetOnALongerChannelIsDrawnAndAssignedOnItsScale) {
  Dsp.Init_Frq = 70000.0;
  Dsp.FSR = 150.0;
  Dsp.Pts_FSR = 400;
  Dsp.FL_SZ[WIN_RAW][0] = 32800;
  Dsp.FL_SZ[WIN_RAW][2] = 32000;
  Dsp.Chn_DspStat[2] = 1;
  Win.Active_Chn = 2;
  Win.View_Level = 0;
  Win.Page_Start = 0;
  Win.Page_Width = Win.Page_Pixels = 1021;
  Dsp.Pts2Pxl[0] = 32000.0 / 1021.0;
  DspFrqStpSet(0.375);
  const double column = 32800.0 / 1021.0 * 0.375;  // MHz a column on channel 0
  const std::vector<double> freqs = {71000.0, 76000.0, 81500.0};
  FillSet(0, 3, 0, 2, false, &freqs);
  Sim.IDVWIDTH_STAT[0] = 0;
  Sim.LS_GAU[0] = 20.0;
  Sim.Dsp_Cnl[0] = 0;
  if (!SimPlotLock.state) InitializeCriticalSection(&SimPlotLock);
  ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS)));
  ASSERT_EQ(SimFIPlot(nullptr, 0, 0, 0, 0, 1021, 1, 9, 9), 1);
  // The shared profile is sampled at the set's channel step, so its lines are as wide
  // as that channel's.
  EXPECT_NEAR(Sim.LS_StepCache[0][0], column, 1e-9);
  std::vector<int32_t> drawn;
  for (double f : freqs) {
    const int32_t x = static_cast<int32_t>(std::lround((f - Dsp.Init_Frq) / column));
    int32_t peak = x - 20;
    for (int32_t i = x - 20; i <= x + 20; ++i)
      if (std::fabs(Win.PM_DrawAry[i]) > std::fabs(Win.PM_DrawAry[peak])) peak = i;
    EXPECT_LE(std::abs(peak - x), 1) << f;
    drawn.push_back(peak);
  }
  FFree1Dim(&Win.PM_DrawAry);
  SimLineShapeStoresFree();
  // The last line, 23 columns left of where the active channel's scale would put it.
  Win.Cursor_X = drawn[2];
  Key('j');
  EXPECT_LE(Win.Cursor_Freq_Lo, freqs[2]);
  EXPECT_GE(Win.Cursor_Freq_Hi, freqs[2]);
  List({2});
  Key('k');
  EXPECT_NEAR(Sim.FI_Exp_Erg[0][2], freqs[2], 1.5 * column);
  // The readout stays the active channel's.
  EXPECT_LT(AtCursor(), freqs[2] - 200.0);
}

}  // namespace
