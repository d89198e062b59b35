// The simulation control dialog, the creators of the per-set dialogs and the
// display-shaping and line-shape dialogs, driven like a user would.
#include "sim/SimDialogs.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "app/WorkFile.h"
#include "core/Coords.h"
#include "platform/driver/TestDriver.h"
#include "records/Cnv.h"
#include "lineshape/LineShape.h"
#include "records/Locks.h"
#include "records/ThreadCtl.h"
#include "resources/Dialogs.h"
#include "sim/SimPlot.h"

namespace {

namespace drv = platform::driver;

class SimDialogsTest : public qvtest::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Cnv = CnvRecord{};
    RegisterDialogResources();
    Dsp.Init_Frq = 1000.0;
    Dsp.FSR = 1.0;
    Dsp.Pts_FSR = 1;
    Win.Active_Chn = 0;
  }
  void TearDown() override {
    for (auto& row : Sim.Dlg_Hwnd)
      for (HWND& w : row)
        if (w && IsWindow(w)) DestroyWindow(w);
    if (Sim.Ctl_Hwnd && IsWindow(Sim.Ctl_Hwnd)) DestroyWindow(Sim.Ctl_Hwnd);
    FFree1Dim(&Win.PM_DrawAry);
    SimLineShapeStoresFree();
    SimTest::TearDown();
  }
  HWND OpenControl() {
    EXPECT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
    Sim.Ctl_Shown = 1;
    return Sim.Ctl_Hwnd;
  }
  HWND Open(SimDlgKind kind, uint32_t (*creator)(int16_t, uint32_t, HWND), int16_t s) {
    EXPECT_EQ(creator(s, 1, Win.hWnd_Main), 1u);
    SimDlgRequest(kind, s) = 1;
    return Sim.Dlg_Hwnd[kind][s];
  }
  static double Num(HWND d, int id) { return std::stod(drv::Text(d, id)); }
  // Every view level one point per pixel, `step` apart; a draw array for the renderer.
  static void RenderGrid(double step) {
    if (!SimPlotLock.state) InitializeCriticalSection(&SimPlotLock);
    for (auto& p : Dsp.Pts2Pxl) p = 1.0;
    for (auto& f : Dsp.FrqStpView) f = step;
    if (!Win.PM_DrawAry) {
      ASSERT_EQ(FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS), 1);
    }
  }
  static int32_t Render(int16_t s, int32_t count) { return SimFIPlot(nullptr, 0, s, 3, 0, count, 0, 9, 9); }
};

TEST_F(SimDialogsTest, ColumnsStopAtTheEndsAndColoursSkipTheBackground) {
  HWND d = OpenControl();
  ASSERT_TRUE(d && IsWindowVisible(d));
  EXPECT_EQ(drv::Text(d, IDC_SC_LABEL), "A");
  EXPECT_EQ(drv::Text(d, IDC_SC_LABEL + 1), "B");
  ASSERT_TRUE(drv::Scroll(d, IDC_SC_COLUMNS, true));
  EXPECT_EQ(Sim.Ctl_First, 0);
  ASSERT_TRUE(drv::Scroll(d, IDC_SC_COLUMNS, false, 9));
  EXPECT_EQ(Sim.Ctl_First, 7);
  EXPECT_EQ(drv::Text(d, IDC_SC_LABEL), "H");
  EXPECT_EQ(drv::Text(d, IDC_SC_LABEL + 1), "I");

  // Set I (right column): with the paper at row 10, stepping down from 9 stays at 9.
  Win.Bg_Brush_Idx = 10;
  Sim.COLOR_NO[8] = 8;
  ASSERT_TRUE(drv::Scroll(d, IDC_SC_COLOR + 1, false));
  EXPECT_EQ(Sim.COLOR_NO[8], 9);
  ASSERT_TRUE(drv::Scroll(d, IDC_SC_COLOR + 1, false));
  EXPECT_EQ(Sim.COLOR_NO[8], 9);
  // A background in between is jumped over.
  Win.Bg_Brush_Idx = 5;
  Sim.COLOR_NO[7] = 4;
  ASSERT_TRUE(drv::Scroll(d, IDC_SC_COLOR, false));
  EXPECT_EQ(Sim.COLOR_NO[7], 6);
  ASSERT_TRUE(drv::Scroll(d, IDC_SC_COLOR, true));
  EXPECT_EQ(Sim.COLOR_NO[7], 4);
}

TEST_F(SimDialogsTest, DisplaySwitchSumAndTheCounts) {
  HWND d = OpenControl();
  // A set without lines stays off.
  ASSERT_TRUE(drv::Click(d, IDC_SC_DSP));
  EXPECT_EQ(Sim.Dsp_Stat[0], 0u);
  EXPECT_FALSE(drv::IsChecked(d, IDC_SC_DSP));
  FillSet(1, 6, 0, 2, false);
  SimFIAsnCalc(1, 0, 0);
  ASSERT_TRUE(drv::Click(d, IDC_SC_DSP + 1));
  EXPECT_EQ(Sim.Dsp_Stat[1], 1u);
  EXPECT_EQ(Sim.Cur_Set, 1);
  EXPECT_EQ(drv::Text(d, IDC_SC_CAL + 1), "6");
  EXPECT_EQ(drv::Text(d, IDC_SC_ASNLNS + 1), "4");
  // SUM twice returns to the first value, with the note both times.
  for (uint32_t expected : {1u, 0u}) {
    core_io::StatusText(2, "");
    ASSERT_TRUE(drv::Click(d, IDC_SC_SUM));
    EXPECT_EQ(Sim.Sum_Stat[0], expected);
    EXPECT_EQ(StatusText(2), "OFFSET USED FROM FIRST SIM ONLY");
  }
  // Hiding through the close box.
  SendMessage(d, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindowVisible(d));
  EXPECT_EQ(Sim.Ctl_Shown, 0u);
}

TEST_F(SimDialogsTest, ScalingEditsActOnlyWhenModifiedAndReadInOrder) {
  HWND d = OpenControl();
  EXPECT_EQ(drv::Text(d, IDC_SC_SCALAR), "1.00000000e+00");
  EXPECT_EQ(drv::Text(d, IDC_SC_ITC), "0.000000000e+00");
  // A change elsewhere that the dialog has not shown yet survives a focus change
  // without an edit.
  Sim.Dsp_Offset[0] = 7.0;
  SendMessage(d, WM_COMMAND, MAKEWPARAM(IDC_SC_SCALAR, EN_KILLFOCUS), 0);
  EXPECT_EQ(Sim.Dsp_Offset[0], 7.0);
  // An edit reads every control of its column: the offset as shown comes back too.
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_SC_SCALAR, "2.5"));
  EXPECT_EQ(Sim.Dsp_Scalar[0], 2.5);
  EXPECT_EQ(Sim.Dsp_Offset[0], 0.0);
  // A value that is no finite number is not taken.
  Sim.LS_LOR[0] = 0.25;
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_SC_LOR, "nan"));
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_SC_SCALAR, "-inf"));
  EXPECT_EQ(Sim.LS_LOR[0], 0.25);
  EXPECT_EQ(Sim.Dsp_Scalar[0], 2.5);
  // NUM takes the width edit in the mode in force before the click.
  ASSERT_TRUE(drv::TypeText(d, IDC_SC_WIDTH, "3.5"));
  ASSERT_TRUE(drv::Click(d, IDC_SC_NUM));
  EXPECT_FLOAT_EQ(Sim.LS_Span[0], 3.5f);
  EXPECT_EQ(Sim.LS_WidthMode[0], 1u);
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_SC_WIDTH, "12"));
  EXPECT_EQ(Sim.LS_NOLWS[0], 12);
  EXPECT_EQ(Sim.LS_SearchPts[0][3], 100);
  EXPECT_EQ(StatusText(2), "[A] CTRL [3] SEARCH PTS=[100]");
  // EXP CHN follows the list.
  ASSERT_TRUE(drv::SelectRow(d, IDC_SC_CHN, 3));
  EXPECT_EQ(Sim.Dsp_Cnl[0], 3);
  // FUNC: another function normalises the line shape.
  ASSERT_TRUE(drv::SelectRow(d, IDC_SC_FUNC, 1));
  EXPECT_EQ(Sim.LS_Func[0], 1);
  EXPECT_EQ(Sim.LN_STAT[0], 1u);
  EXPECT_EQ(StatusText(3),
            "LINESHAPE=[FULL LOR- DOUBLE (8-BYTE) PRECISION] GAUSIAN WIDTH IGNORED & LINESHAPE NORMALIZED");
}

TEST_F(SimDialogsTest, IndividualWidthsAreMadeOrRefusedWhole) {
  HWND d = OpenControl();
  // Without lines nothing can be allocated: the flag goes back to 0.
  ASSERT_TRUE(drv::Click(d, IDC_SC_IDV));
  EXPECT_EQ(Sim.IDVWIDTH_STAT[0], 0u);
  EXPECT_EQ(Sim.FI_Gau_FWHM[0], nullptr);
  EXPECT_EQ(Sim.FI_Lor_FWHM[0], nullptr);
  ASSERT_FALSE(BoxTexts().empty());
  EXPECT_EQ(BoxTexts().back(), "SimControlDialogProc()/FI_Gau_FWHM/FI_Lor_FWHM - CORE ALLOCATION ERROR");
  // With lines both are made, all zero; existing widths are kept.
  FillSet(1, 4, 0, 2, false);
  FFree1Dim(&Sim.FI_Gau_FWHM[1]);
  Sim.IDVWIDTH_STAT[1] = 0;
  ASSERT_TRUE(drv::Click(d, IDC_SC_IDV + 1));
  EXPECT_EQ(Sim.IDVWIDTH_STAT[1], 1u);
  ASSERT_NE(Sim.FI_Gau_FWHM[1], nullptr);
  ASSERT_NE(Sim.FI_Lor_FWHM[1], nullptr);
  EXPECT_EQ(Sim.FI_Lor_FWHM[1][3], 0.0f);
  Sim.FI_Gau_FWHM[1][2] = 5.0f;
  ASSERT_TRUE(drv::Click(d, IDC_SC_IDV + 1));
  ASSERT_TRUE(drv::Click(d, IDC_SC_IDV + 1));
  EXPECT_EQ(Sim.FI_Gau_FWHM[1][2], 5.0f);
}

TEST_F(SimDialogsTest, FileNameReadsTheTypedSimulation) {
  FillSet(0, 5, 0, 2, false);
  StrCopy(Sim.Sim_Flnm[0], "typed");
  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  FreeAll(0);
  StrCopy(Sim.Sim_Flnm[0], "NoName");
  HWND d = OpenControl();
  // A name that cannot be read leaves the display flag.
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_SC_FILE, "missing"));
  EXPECT_EQ(Sim.Dsp_Stat[0], 0u);
  EXPECT_EQ(Sim.FI_Lines[0], 0u);
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_SC_FILE, "typed"));
  EXPECT_EQ(Sim.FI_Lines[0], 5u);
  EXPECT_EQ(Sim.Dsp_Stat[0], 1u);
  EXPECT_EQ(drv::Text(d, IDC_SC_CAL), "5");
  // Modified assignments are asked about first; No keeps the set.
  Sim.Asn_Modified[0] = 1;
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_SC_FILE, "missing"));
  EXPECT_EQ(BoxTexts().back(), "[A] SIM [typed]\n\nSIM ASNS HAVE BEEN MODIFIED\n\nOVERWRITE [YES] | ABORT [NO]?");
  EXPECT_EQ(Sim.FI_Lines[0], 5u);
}

TEST_F(SimDialogsTest, ShiftTakesTheCursorFrequencyAsReference) {
  HWND d = OpenControl();
  Win.Cursor_X = 40;
  const double atCursor = DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, Win.Cursor_X);
  ASSERT_TRUE(drv::Click(d, IDC_SC_SHIFT));
  EXPECT_EQ(Sim.Shift_Stat[0], 1u);
  EXPECT_DOUBLE_EQ(Sim.Frq_ShiftRef[0], atCursor);
  EXPECT_TRUE(drv::IsChecked(d, IDC_SC_SHIFT));
  // A typed shift keeps the cursor as the reference point.
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_SC_SHIFTVAL, "2.5"));
  EXPECT_DOUBLE_EQ(Sim.Frq_Shift[0], 2.5);
  EXPECT_DOUBLE_EQ(Sim.Frq_ShiftRef[0], atCursor - 2.5);
  // Unticking leaves both values.
  ASSERT_TRUE(drv::Click(d, IDC_SC_SHIFT));
  EXPECT_EQ(Sim.Shift_Stat[0], 0u);
  EXPECT_DOUBLE_EQ(Sim.Frq_Shift[0], 2.5);
  EXPECT_DOUBLE_EQ(Sim.Frq_ShiftRef[0], atCursor - 2.5);
}

TEST_F(SimDialogsTest, RotorConstantsGoToTheNextRunWithTheirDeviations) {
  Sim.RC_Prm[0][SIM_GND][0] = 3000.0;
  Sim.RC_StdDev[0][SIM_GND][0] = 0.5;
  Sim.RC_Prm[0][SIM_EXC][0] = 2990.0;
  Sim.RC_StdDev[0][SIM_EXC][0] = 0.25;
  Sim.RC_StdDev[0][SIM_EXC][22] = 0.125;
  Sim.RC_Prm[0][SIM_EXC][22] = 12345.0;
  // Three fitted constants and a 3 x 3 matrix.
  Sim.FI_CovSz[0] = 9;
  ASSERT_EQ(DAlloc1Dim(&Sim.FI_CovMat[0], 9), 1);
  const double v[9] = {4.0, 1.0, 0.0, 1.0, 9.0, 0.0, 0.0, 0.0, 16.0};
  for (int i = 0; i < 9; ++i) Sim.FI_CovMat[0][i] = v[i];
  HWND d = OpenControl();
  ASSERT_TRUE(drv::Click(d, IDC_SC_ORVPRMS));
  EXPECT_EQ(OrvPrm.Prm[SIM_GND][0], 3000.0);
  EXPECT_EQ(OrvPrm.Prm[SIM_EXC][22], 12345.0);
  EXPECT_DOUBLE_EQ(OrvPrm.Prm_StdDev[SIM_GND][0], 2.0);
  EXPECT_DOUBLE_EQ(OrvPrm.Prm_StdDev[SIM_EXC][0], 3.0);
  EXPECT_DOUBLE_EQ(OrvPrm.Prm_DeltaDev[SIM_EXC][0], std::sqrt(4.0 + 9.0 - 2.0));
  EXPECT_DOUBLE_EQ(OrvPrm.Prm_StdDev[SIM_EXC][22], 4.0);
  // Fit state 2 moves the deviation to the change between the states.
  Sim.FIT_STATE[0] = 2;
  ASSERT_TRUE(drv::Click(d, IDC_SC_ORVPRMS));
  EXPECT_DOUBLE_EQ(OrvPrm.Prm_DeltaDev[SIM_EXC][0], 3.0);
  EXPECT_DOUBLE_EQ(OrvPrm.Prm_StdDev[SIM_EXC][0], std::sqrt(4.0 + 9.0 + 2.0));
  // A fourth fitted constant does not fit the 3 x 3 matrix: the plain deviations stay.
  Sim.FIT_STATE[0] = 1;
  Sim.RC_StdDev[0][SIM_GND][1] = 0.75;
  ASSERT_TRUE(drv::Click(d, IDC_SC_ORVPRMS));
  EXPECT_EQ(BoxTexts().back(), "ERROR IN COVARIANCE MATRIX");
  EXPECT_EQ(BoxCaptions().back(), "Error");
  EXPECT_DOUBLE_EQ(OrvPrm.Prm_StdDev[SIM_GND][0], 0.5);
  EXPECT_DOUBLE_EQ(OrvPrm.Prm_StdDev[SIM_GND][1], 0.75);
  EXPECT_DOUBLE_EQ(OrvPrm.Prm_StdDev[SIM_EXC][0], 0.25);
}

TEST_F(SimDialogsTest, SubDialogsOpenOnceAndRefuseWhatIsMissing) {
  FillSet(0, 4, 0, 2, false);
  Sim.Dsp_Stat[0] = 1;
  HWND d = OpenControl();
  // TB (scalar row) opens the scale/offset dialog; a second show only refreshes it.
  ASSERT_TRUE(drv::Click(d, 8722));
  HWND scale = Sim.Dlg_Hwnd[SIM_DLG_SCALEOFS][0];
  ASSERT_TRUE(scale && IsWindowVisible(scale));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_SCALEOFS][0], 1u);
  Sim.Dsp_Scalar[0] = 3.0;
  EXPECT_EQ(SimScaleOffsetDialogShow(0, 1, Win.hWnd_Main), 1u);
  EXPECT_EQ(Sim.Dlg_Hwnd[SIM_DLG_SCALEOFS][0], scale);
  EXPECT_EQ(drv::Text(scale, 1210), "3.000000");
  // Closing it hides it and clears the request and the box.
  ASSERT_TRUE(drv::Click(scale, IDCANCEL));
  EXPECT_FALSE(IsWindowVisible(scale));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_SCALEOFS][0], 0u);
  EXPECT_FALSE(drv::IsChecked(d, 8722));
  // VOIGT FIT opens the set's line-shape fit dialog without a box.
  const size_t boxes = BoxTexts().size();
  ASSERT_TRUE(drv::Click(d, 1404));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_VOIGT][0], 1u);
  ASSERT_TRUE(Sim.Dlg_Hwnd[SIM_DLG_VOIGT][0] != nullptr);
  EXPECT_TRUE(IsWindowVisible(Sim.Dlg_Hwnd[SIM_DLG_VOIGT][0]));
  EXPECT_EQ(BoxTexts().size(), boxes);
  // Trackbars without derivatives are refused with their text.
  ASSERT_TRUE(drv::Click(d, 8704));
  EXPECT_EQ(BoxTexts().back(),
            "[A] SIM [NoName]\n\nDERIVATIVES NOT FOUND\n\nRERUN Orv95.exe TO USE TRACKBARS\n\nOPTION DISABLED");
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_ABC][0], 0u);
  EXPECT_FALSE(drv::IsChecked(d, 8704));
  // Residuals need their channel on display.
  Sim.Dsp_Cnl[0] = 2;
  ASSERT_TRUE(drv::Click(d, 8720));
  EXPECT_EQ(BoxTexts().back(), "DISPLAY ASSOCIATED EXPT DATA FOR RESIDUALS\n\nRESIDUALS DISABLED");
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_RESIDUAL][0], 0u);
  EXPECT_FALSE(drv::IsChecked(d, 8720));
  Dsp.Chn_DspStat[2] = 1;
  ASSERT_TRUE(drv::Click(d, 8720));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_RESIDUAL][0], 1u);
  EXPECT_TRUE(IsWindowVisible(Sim.Dlg_Hwnd[SIM_DLG_RESIDUAL][0]));
  // The temperature trackbar of a Stark set without level energies.
  Sim.TEMP_GLOBAL_STAT[0] = 0;
  Sim.DM_GLOBAL_STAT[0] = 1;
  ASSERT_TRUE(drv::Click(d, 8714));
  EXPECT_EQ(BoxTexts().back(), "[A] SIM [NoName]\n\nGROUND STATE ENERGIES NOT AVAILABLE\n\nOPTION DISABLED");
  // Switching the set's display off closes its dialogs.
  ASSERT_TRUE(drv::Click(d, IDC_SC_DSP));
  EXPECT_FALSE(IsWindowVisible(Sim.Dlg_Hwnd[SIM_DLG_RESIDUAL][0]));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_RESIDUAL][0], 1u);
}

TEST_F(SimDialogsTest, ScaleOffsetTrackbarsRangesAndFix) {
  FillSet(0, 3, 0, 2, false);
  Sim.Dsp_Scalar[0] = 1.0;
  Sim.Dsp_Offset[0] = 2.0;
  HWND s = Open(SIM_DLG_SCALEOFS, SimScaleOffsetDialogShow, 0);
  ASSERT_TRUE(s);
  EXPECT_DOUBLE_EQ(Sim.Shape_Lo[0][0], 0.5);
  EXPECT_DOUBLE_EQ(Sim.Shape_Hi[0][0], 2.0);
  EXPECT_EQ(drv::TrackbarPosition(s, 40), -3333);
  EXPECT_EQ(SendDlgItemMessage(s, 40, TBM_GETRANGEMIN, 0, 0), -10000);
  EXPECT_EQ(SendDlgItemMessage(s, 40, TBM_GETRANGEMAX, 0, 0), 0);
  EXPECT_EQ(SendDlgItemMessage(s, 40, TBM_GETPAGESIZE, 0, 0), 100);
  EXPECT_EQ(drv::Text(s, 1204), "2.000000");
  EXPECT_EQ(drv::Text(s, 762), "A");
  // A click on the thumb, off its centre, that drags nothing leaves the scalar as it is
  // (the position of 1.0 is truncated, so a reported position would move it).
  HWND bar = GetDlgItem(s, 40);
  RECT bounds;
  GetClientRect(bar, &bounds);
  const int grip = 4 + static_cast<int>(0.6667 * (bounds.bottom - 16)) + 4 + 2;
  ASSERT_TRUE(drv::MouseDown(bar, drv::Mouse::Left, bounds.right / 2, grip));
  ASSERT_TRUE(drv::MouseUp(bar, drv::Mouse::Left, bounds.right / 2, grip));
  EXPECT_EQ(drv::TrackbarPosition(s, 40), -3333);
  EXPECT_EQ(Sim.Dsp_Scalar[0], 1.0);
  EXPECT_EQ(Sim.Dsp_Offset[0], 2.0);
  // The top of the trackbar is the high end; FIX off keeps scalar x offset.
  ASSERT_TRUE(drv::MoveTrackbar(s, 40, -10000));
  EXPECT_DOUBLE_EQ(Sim.Dsp_Scalar[0], 2.0);
  EXPECT_DOUBLE_EQ(Sim.Dsp_Offset[0], 1.0);
  // Typed: 2 to 4 halves the offset.
  ASSERT_TRUE(drv::TypeAndCommit(s, 1210, "4"));
  EXPECT_DOUBLE_EQ(Sim.Dsp_Scalar[0], 4.0);
  EXPECT_DOUBLE_EQ(Sim.Dsp_Offset[0], 0.5);
  // FIX on: the offset stays.
  ASSERT_TRUE(drv::Click(s, 1350));
  EXPECT_EQ(Sim.Ofs_Fix[0], 1u);
  ASSERT_TRUE(drv::TypeAndCommit(s, 1210, "1"));
  EXPECT_DOUBLE_EQ(Sim.Dsp_Offset[0], 0.5);
  // x2 on the scalar range of scalar 1 rebuilds it as 0.25 to 4 (the width kept as
  // a single-precision number); CENTER rebuilds with the width as it is.
  ASSERT_TRUE(drv::Click(s, 1213));
  EXPECT_EQ(Sim.Shape_W[0][0], 2.0);
  EXPECT_DOUBLE_EQ(Sim.Shape_Lo[0][0], 0.25);
  EXPECT_DOUBLE_EQ(Sim.Shape_Hi[0][0], 4.0);
  Sim.Dsp_Scalar[0] = 2.0;
  ASSERT_TRUE(drv::Click(s, 1353));
  EXPECT_DOUBLE_EQ(Sim.Shape_Lo[0][0], 0.5);
  EXPECT_DOUBLE_EQ(Sim.Shape_Hi[0][0], 8.0);
  // The offset range is additive and its tiny ends are zero.
  Sim.Shape_Valid[0][0] = 0;
  Sim.Dsp_Offset[0] = 1.0;
  SimScaleOffsetDialogShow(0, 1, Win.hWnd_Main);
  EXPECT_DOUBLE_EQ(Sim.Shape_Lo[0][2], 0.0);
  EXPECT_DOUBLE_EQ(Sim.Shape_Hi[0][2], 2.0);
  EXPECT_EQ(drv::TrackbarPosition(s, 42), -5000);
  // A scalar of 0 becomes 1.
  Sim.Dsp_Scalar[0] = 0.0;
  SimScaleOffsetDialogShow(0, 1, Win.hWnd_Main);
  EXPECT_EQ(Sim.Dsp_Scalar[0], 1.0);
}

TEST_F(SimDialogsTest, SineDefaultsTermSwapAndChebyshev) {
  Dsp.FrqStpView[3] = 0.01;
  Dsp.FL_SZ[3][0] = 1000;
  HWND s = Open(SIM_DLG_SINE, SimSineDialogShow, 0);
  ASSERT_TRUE(s);
  EXPECT_DOUBLE_EQ(Sim.Sine_Period[0][0], 1.0);
  EXPECT_DOUBLE_EQ(Sim.Shape_W[0][7], 0.25);   // damping: 2.5 / (N s)
  EXPECT_DOUBLE_EQ(Sim.Shape_W[0][8], 5.0);    // chirp: N s / 2
  EXPECT_DOUBLE_EQ(Sim.Shape_Hi[0][7], 0.5);
  EXPECT_DOUBLE_EQ(Sim.Shape_Hi[0][8], 10.0);
  EXPECT_DOUBLE_EQ(Sim.Shape_Lo[0][7], 0.0);   // never below 0
  EXPECT_EQ(drv::ListItems(s, 1255), (std::vector<std::string>{"0", "1"}));
  // Selecting the other term edits it; a click on it again, the row the list shows,
  // swaps the AMP, PERIOD and PHASE of the two terms.
  Sim.Sine_Amp[0][1] = 0.7;
  ASSERT_TRUE(drv::SelectRow(s, 1255, 1));
  EXPECT_EQ(Sim.Sine_Term[0], 1);
  // The second term had no period yet: it gets the default too.
  EXPECT_DOUBLE_EQ(Sim.Sine_Period[0][1], 1.0);
  Sim.Sine_Period[0][1] = 2.0;
  Sim.Sine_Phase[0][0] = 0.25;
  ASSERT_TRUE(drv::SelectRow(s, 1255, 1));
  EXPECT_EQ(Sim.Sine_Term[0], 1);
  EXPECT_DOUBLE_EQ(Sim.Sine_Amp[0][0], 0.7);
  EXPECT_DOUBLE_EQ(Sim.Sine_Amp[0][1], 0.1);
  EXPECT_DOUBLE_EQ(Sim.Sine_Period[0][0], 2.0);
  EXPECT_DOUBLE_EQ(Sim.Sine_Period[0][1], 1.0);
  EXPECT_DOUBLE_EQ(Sim.Sine_Phase[0][0], 0.0);
  EXPECT_DOUBLE_EQ(Sim.Sine_Phase[0][1], 0.25);
  EXPECT_DOUBLE_EQ(std::stod(drv::Text(s, 1232)), 0.1);  // AMP of the term selected

  HWND c = Open(SIM_DLG_CHEB, SimChebyshevDialogShow, 2);
  ASSERT_TRUE(c);
  EXPECT_EQ(Sim.Cur_Set, 2);
  EXPECT_DOUBLE_EQ(Sim.Shape_Lo[2][9], -1.0);
  EXPECT_DOUBLE_EQ(Sim.Shape_Hi[2][9], 1.0);
  ASSERT_TRUE(drv::MoveTrackbar(c, 43, -7500));
  EXPECT_DOUBLE_EQ(Sim.TD_Rate[2], 0.5);
  ASSERT_TRUE(drv::Click(c, 1281));
  EXPECT_EQ(BoxTexts().back(), "OPTION NOT YET FUNCTIONAL - SORRY");
  EXPECT_EQ(StatusText(3), "CHEBYSHEV FUNCTION UNDEFINED");
  EXPECT_FALSE(drv::IsChecked(c, 1281));
}

// Set A's sine, set in its dialog and saved with the working file, comes back as saved
// when the file is read again after a restart, although reading it opens the dialog
// for the first time; saving again writes the same row.
TEST_F(SimDialogsTest, SavedSineComesBackWithTheWorkingFile) {
  FillSet(0, 2, 0, 2, false);
  Sim.TEMP_GLOBAL_STAT[0] = Sim.IDVWIDTH_STAT[0] = Sim.NLLSF_STAT[0] = 0;
  StrCopy(Sim.Sim_Flnm[0], "simA");
  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  Sim.Dsp_Stat[0] = 1;
  StrCopy(Dsp.Data_Dir, std::filesystem::current_path().string().c_str());
  StrCopy(Dsp.Work_Flnm, "run.QVW");
  Dsp.FrqStpView[3] = 0.01;
  Dsp.FL_SZ[3][0] = 1000;
  HWND d = OpenControl();
  ASSERT_TRUE(drv::Click(d, 8724));  // SIN TB
  HWND sine = Sim.Dlg_Hwnd[SIM_DLG_SINE][0];
  ASSERT_TRUE(sine);
  for (auto [id, text] : {std::pair{1232, "0.5"}, {1233, "0.75"}, {1235, "0.25"}, {1236, "0.001"}})
    ASSERT_TRUE(drv::TypeAndCommit(sine, id, text));
  auto sineRow = [&] {
    EXPECT_EQ(WorkFileWrite(), 1);
    const std::string file = ReadAll("run.QVW");
    const size_t head = file.find("# CHN DSP AMP");
    const size_t row = file.find("\r\n", head) + 2;
    return head == std::string::npos ? std::string() : file.substr(row, file.find("\r\n", row) - row);
  };
  const std::string saved = sineRow();
  EXPECT_EQ(saved.substr(0, 72), "  0   1   0.50000000      7.50000000e-01  2.50000000e-01  1.00000000e-03");

  // A restart: fresh records, the working file read as at start-up.
  for (HWND w : {sine, d}) DestroyWindow(w);
  FreeAll(0);
  Sim = SimRecord{};
  Dsp = DspRecord{};
  StrCopy(Dsp.Data_Dir, std::filesystem::current_path().string().c_str());
  StrCopy(Dsp.Work_Flnm, "run.QVW");
  const uint32_t started = ThreadCtl.View_Started.load();
  ThreadCtl.View_Started = 1;  // no view thread here
  EXPECT_EQ(WorkFileRead(), 1);
  ThreadCtl.View_Started = started;
  EXPECT_TRUE(Sim.Dlg_Hwnd[SIM_DLG_SINE][0]);
  EXPECT_DOUBLE_EQ(Sim.Sine_Period[0][0], 0.75);
  EXPECT_DOUBLE_EQ(Sim.Sine_Damping[0], 0.001);
  EXPECT_EQ(sineRow(), saved);
}

TEST_F(SimDialogsTest, PowerFileTypedForAnySetNormalisesByTheChannelsMagnitude) {
  RenderGrid(1.0);
  // Channel 2 holds the power file; the power reads -6 (a detector of negative sign).
  std::string bytes;
  Append(bytes, 20, -6.0f);
  WriteAll("power.bin", bytes);
  StrCopy(Dsp.Chn_Flnm[2], "power.bin");
  Dsp.FL_SZ[WIN_RAW][2] = 20;
  FillSet(1, 1, 0, 2, false);
  Sim.IDVWIDTH_STAT[1] = 0;
  Sim.FI_Sim_Erg[1][0] = 1005.0;  // a stick on point 5
  // Set B's dialog: the name, the factor, the switch.
  HWND b = Open(SIM_DLG_CHEB, SimChebyshevDialogShow, 1);
  ASSERT_TRUE(b);
  ASSERT_TRUE(drv::TypeAndCommit(b, 1296, "power.bin"));
  ASSERT_TRUE(drv::TypeAndCommit(b, 1297, "4"));
  ASSERT_TRUE(drv::Click(b, 1295));
  ASSERT_EQ(Render(1, 20), 1);
  EXPECT_EQ(Sim.PowNrm_Stat[1], 1u);
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_FLOAT_EQ(Win.PM_DrawAry[5], 1.5f);  // |-6| / 4
  // The range statistics keep the signed mean for the channel's other readers.
  EXPECT_EQ(Win.Chn_Ave1[2], -6.0);
  // Set A's dialog shows and edits the same name.
  HWND a = Open(SIM_DLG_CHEB, SimChebyshevDialogShow, 0);
  EXPECT_EQ(drv::Text(a, 1296), "power.bin");
  ASSERT_TRUE(drv::TypeAndCommit(a, 1296, "other.bin"));
  SimChebyshevDialogShow(1, 1, Win.hWnd_Main);
  EXPECT_EQ(drv::Text(b, 1296), "other.bin");
}

TEST_F(SimDialogsTest, AreaAndPeakOfTheSelectedLineWithSharedWidths) {
  RenderGrid(1.0);
  FillSet(0, 3, 0, 2, false, nullptr);
  Sim.IDVWIDTH_STAT[0] = 0;
  Sim.LS_GAU[0] = 20.0;
  Sim.LS_WidthMode[0] = 1;
  Sim.LS_NOLWS[0] = 20;
  Sim.FI_QN_List_Sel[0] = 1;
  Sim.QN_Sel_Line[0] = 1;
  // Stale values where nothing was computed yet.
  for (int row = 0; row < 2; ++row) Sim.FI_AreaPeak_FAry[0][row][1] = -1.0e13f;
  HWND l = Open(SIM_DLG_LINESHAPE, SimLineShapeDialogShow, 0);
  ASSERT_TRUE(l);
  // Gaussian of width 20 on a grid of 1: area 20 sqrt(pi / (4 ln 2)) = 21.289.
  const double area = 20.0 * std::sqrt(M_PI / (4.0 * std::log(2.0)));
  struct Shown { bool norm; double area, peak; };
  for (Shown c : {Shown{false, area, 1.0}, Shown{true, 1.0, 1.0 / area}, Shown{false, area, 1.0}}) {
    if (drv::IsChecked(l, 1311) != c.norm) {
      ASSERT_TRUE(drv::Click(l, 1311));
    }
    ASSERT_EQ(Sim.LN_STAT[0], c.norm ? 1u : 0u);
    ASSERT_EQ(Render(0, 100), 1);
    for (bool showArea : {true, false}) {
      Sim.LS_AreaShown[0] = showArea ? 1 : 0;
      SimLineShapeDialogShow(0, 1, Win.hWnd_Main);
      const double expected = showArea ? c.area : c.peak;
      EXPECT_NEAR(Num(l, 1313), expected, 2e-4 * expected) << c.norm << showArea;
    }
  }
}

TEST_F(SimDialogsTest, ResidualLimitsAndWriteBin) {
  HWND r = Open(SIM_DLG_RESIDUAL, SimResidualDialogShow, 0);
  ASSERT_TRUE(r);
  EXPECT_EQ(drv::Text(r, 9016), "1.000000");
  // The limits are editable only with the limit switch on.
  auto readOnly = [r](int id) { return (GetWindowLongPtr(GetDlgItem(r, id), GWL_STYLE) & ES_READONLY) != 0; };
  EXPECT_TRUE(readOnly(3502));
  EXPECT_TRUE(readOnly(3503));
  ASSERT_TRUE(drv::Click(r, 2341));
  EXPECT_EQ(Cnv.Lim_Stat[0], 1);
  EXPECT_FALSE(readOnly(3502));
  Win.Pt_Lim[0][0] = 10;
  Win.Pt_Lim[0][1] = 20;
  ASSERT_TRUE(drv::TypeAndCommit(r, 3502, "30"));
  EXPECT_EQ(Win.Pt_Lim[0][0], 30);
  EXPECT_EQ(Win.Pt_Lim[0][1], 30);
  ASSERT_TRUE(drv::TypeAndCommit(r, 3503, "5"));
  EXPECT_EQ(Win.Pt_Lim[0][0], 5);
  EXPECT_EQ(Win.Pt_Lim[0][1], 5);
  ASSERT_TRUE(drv::TypeAndCommit(r, 3503, "8"));
  ASSERT_TRUE(drv::TypeAndCommit(r, 3502, "8"));
  EXPECT_EQ(Win.Pt_Lim[0][0], 0);
  EXPECT_EQ(Win.Pt_Lim[0][1], 0);
  ASSERT_TRUE(drv::Click(r, 9010));
  EXPECT_EQ(Sim.Res_1st[0], 1u);

  // WRITE BIN: Cancel in the save dialog leaves the residual unmarked, so the next paint
  // writes no file; a chosen name is the file that paint writes.
  {
    drv::Answers answers;
    answers.CancelFile();
    ASSERT_TRUE(drv::Click(r, 9018));
    EXPECT_TRUE(answers.AllAnswered());
  }
  EXPECT_EQ(Sim.Res_Written[0], 0u);
  EXPECT_STREQ(Sim.Res_Flnm, "Res.bin");
  const std::string chosen = (std::filesystem::current_path() / "residual.bin").string();
  {
    drv::Answers answers;
    answers.File(chosen);
    ASSERT_TRUE(drv::Click(r, 9018));
    EXPECT_TRUE(answers.AllAnswered());
  }
  EXPECT_EQ(Sim.Res_Written[0], 1u);
  EXPECT_EQ(std::string(Sim.Res_Flnm), chosen);
}

// QVS with the header question answered Yes: the set is written and its header dumped
// into "<name>.TXT", which the status bar reports; a dump that cannot be written (a
// folder of that name) says so in its warning, and no "CREATED" follows. A name with a
// point in it keeps that part in its dump's name. A set named after its line list
// "lines.txt" would dump over that list (found for "lines.TXT" whatever its case): it is
// replaced only after a question, while an earlier dump is replaced without one.
TEST_F(SimDialogsTest, QvsWritesTheSetAndDumpsItsHeaderOrSaysItCannot) {
  FillSet(0, 3, 0, 2, false);
  StrCopy(Sim.Sim_Flnm[0], "demo");
  HWND d = OpenControl();
  const std::string qvs = (std::filesystem::current_path() / "demo.QVS").string();
  const char* header = "SIM WRITE QVS\n\nWRITE ASCII QVS HEADER FILE [YES] | SKIP [NO]?";
  {
    drv::Answers answers;
    answers.File(qvs).Box("Question", header, IDYES);
    ASSERT_TRUE(drv::Click(d, IDC_SC_QVS));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
  }
  EXPECT_EQ(StatusText(2), "SIM STRUCT FILE CREATED [demo.QVS]");
  EXPECT_EQ(ReadAll("demo.TXT").substr(0, 21), "# VERSION\r\nQVS v1.9\r\n");
  std::filesystem::remove("demo.TXT");
  std::filesystem::create_directory("demo.TXT");
  {
    drv::Answers answers;
    answers.File(qvs)
        .Box("Confirm Save As", "*already exists*", IDYES)
        .Box("Question", header, IDYES)
        .Box("Warning", "[A] SIM [demo]\n\nFAILED TO OPEN ASCII FILE [demo.TXT] FOR WRITING\n\nABORTING", IDOK);
    ASSERT_TRUE(drv::Click(d, IDC_SC_QVS));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
  }
  EXPECT_EQ(StatusText(2).find("CREATED"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory("demo.TXT"));
  // A set name holding a point keeps it in the dump's name, which is not "demo.TXT".
  StrCopy(Sim.Sim_Flnm[0], "demo.v2");
  {
    drv::Answers answers;
    answers.File((std::filesystem::current_path() / "demo.v2.QVS").string()).Box("Question", header, IDYES);
    ASSERT_TRUE(drv::Click(d, IDC_SC_QVS));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
  }
  EXPECT_EQ(StatusText(2), "SIM STRUCT FILE CREATED [demo.v2.QVS]");
  EXPECT_EQ(ReadAll("demo.v2.TXT").substr(0, 21), "# VERSION\r\nQVS v1.9\r\n");

  const std::string list = "1000.5 1.0\r\n";
  WriteAll("lines.txt", list);
  StrCopy(Sim.Sim_Flnm[0], "lines");
  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  const std::string question = "OUTPUT FILE [lines.TXT] EXISTS\n\nOVERWRITE [YES] | ABORT [NO]?";
  for (int answer : {IDNO, IDYES, 0}) {
    drv::Answers answers;
    answers.CancelFile().Box("Question", header, IDYES);
    if (answer) answers.Box("Question", question, answer);
    ASSERT_TRUE(drv::Click(d, IDC_SC_QVS));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{}) << answer;
    EXPECT_TRUE(answers.AllAnswered()) << answer;
    if (answer == IDNO) {
      EXPECT_EQ(ReadAll("lines.txt"), list);
    }
  }
  EXPECT_EQ(ReadAll("lines.txt").substr(0, 21), "# VERSION\r\nQVS v1.9\r\n");
  EXPECT_FALSE(std::filesystem::exists("lines.TXT") && !std::filesystem::equivalent("lines.TXT", "lines.txt"));
}

TEST_F(SimDialogsTest, LineShapeWidthsRangesAndTheSelectedLine) {
  FillSet(0, 4, 0, 2, false);
  Sim.IDVWIDTH_STAT[0] = 0;
  Sim.LS_GAU[0] = 0.0;
  Sim.LS_LOR[0] = -2.0;
  HWND l = Open(SIM_DLG_LINESHAPE, SimLineShapeDialogShow, 0);
  ASSERT_TRUE(l);
  // A width of 0 keeps the unbuilt range 0 to 1; 2 gets 1 to 4.
  EXPECT_EQ(Sim.LS_GauRange[0][0], 0.0);
  EXPECT_EQ(Sim.LS_GauRange[0][1], 1.0);
  EXPECT_DOUBLE_EQ(Sim.LS_LorRange[0][0], 1.0);
  EXPECT_DOUBLE_EQ(Sim.LS_LorRange[0][1], 4.0);
  EXPECT_EQ(drv::Text(l, 1302), "2.000000");
  ASSERT_TRUE(drv::MoveTrackbar(l, 41, -10000));
  EXPECT_DOUBLE_EQ(Sim.LS_LOR[0], 4.0);
  ASSERT_TRUE(drv::MoveTrackbar(l, 40, -5000));
  EXPECT_DOUBLE_EQ(Sim.LS_GAU[0], 0.5);
  // Typed negative range ends become positive; a width never goes negative.
  ASSERT_TRUE(drv::TypeAndCommit(l, 1303, "-3"));
  EXPECT_DOUBLE_EQ(Sim.LS_GauRange[0][0], 0.5);  // widened back to the width
  ASSERT_TRUE(drv::TypeAndCommit(l, 1301, "-0.25"));
  EXPECT_DOUBLE_EQ(Sim.LS_GAU[0], 0.25);
  // Widths per line: a stale selection counts as none, nothing is written.
  Sim.IDVWIDTH_STAT[0] = 1;
  Sim.FI_QN_List_Sel[0] = 1;
  Sim.QN_Sel_Line[0] = 9;
  SimLineShapeDialogShow(0, 1, Win.hWnd_Main);
  EXPECT_EQ(drv::Text(l, 1301), "");
  EXPECT_EQ(drv::Text(l, 1313), "");
  ASSERT_TRUE(drv::MoveTrackbar(l, 40, -2000));
  ASSERT_TRUE(drv::TypeAndCommit(l, 1301, "7"));
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(Sim.FI_Gau_FWHM[0][i], static_cast<float>(60 * (i + 1)));
  // A real selection edits that line.
  Sim.QN_Sel_Line[0] = 2;
  Sim.FI_AreaPeak_FAry[0][0][2] = 0.5f;
  Sim.LS_AreaShown[0] = 1;
  SimLineShapeDialogShow(0, 1, Win.hWnd_Main);
  EXPECT_EQ(drv::Text(l, 1301), "180.000000");
  EXPECT_EQ(drv::Text(l, 1313), "5.0000e-01");
  ASSERT_TRUE(drv::TypeAndCommit(l, 1302, "3"));
  EXPECT_EQ(Sim.FI_Lor_FWHM[0][2], 3.0f);
  // NORM stays ticked for a HITRAN set.
  Sim.HT_Global_Stat[0] = 1;
  Sim.LN_STAT[0] = 1;
  SimLineShapeDialogShow(0, 1, Win.hWnd_Main);
  ASSERT_TRUE(drv::Click(l, 1311));
  EXPECT_EQ(Sim.LN_STAT[0], 1u);
  EXPECT_TRUE(drv::IsChecked(l, 1311));
  EXPECT_EQ(BoxTexts().back(), "HITRAN LINESHAPE ALWAYS NORMALIZED");
}

// Set B with widths per line, its QN list rows chosen in the JKK dialog and the
// dialogs refreshed by the paints: a typed or dragged width changes that width of the
// selected line and of the set, never the other one; the line in the list's first row
// is shown and edited, unless the set is in edit status, where that row stands for a
// line still to be added.
TEST_F(SimDialogsTest, LineShapeEditsOneWidthOfTheSelectedLineFirstRowIncluded) {
  PaintLikeTheProgram();
  FillSet(1, 5, 0, 2, false);
  FFree1Dim(&Sim.FI_Gau_FWHM[1]);
  FFree1Dim(&Sim.FI_Lor_FWHM[1]);
  Sim.IDVWIDTH_STAT[1] = 0;
  Sim.Dsp_Stat[1] = 1;
  Sim.LS_GAU[1] = 18.0;
  Sim.LS_LOR[1] = 8.0;
  Sim.LS_AreaShown[1] = 1;
  Sim.FI_AreaPeak_FAry[1][0][3] = 0.25f;
  HWND control = OpenControl();
  ASSERT_TRUE(drv::Click(control, IDC_SC_IDV + 1));  // widths per line, all 0
  ASSERT_EQ(Sim.IDVWIDTH_STAT[1], 1u);
  // The list as a rebuild leaves it: lines 3, 1, 4, the first row selected.
  ASSERT_EQ(LAlloc1Dim(&Sim.FI_QN_List_Ary[1], 3), 1);
  const int32_t listed[3] = {3, 1, 4};
  std::copy(listed, listed + 3, Sim.FI_QN_List_Ary[1]);
  Sim.FI_QN_List_Cnt[1] = Sim.FI_QN_List_Sz[1] = 3;
  Sim.QN_Scan[1] = 1;
  Sim.QN_FromList[1] = 1;
  Sim.QN_Sel_Line[1] = 3;
  ASSERT_EQ(SimJkkQNDialogShow(1, 1, Win.hWnd_Main), 1u);
  Sim.Dlg_Req[SIM_DLG_JKKQN][1] = 1;
  HWND jkk = Sim.Dlg_Hwnd[SIM_DLG_JKKQN][1];
  HWND l = Open(SIM_DLG_LINESHAPE, SimLineShapeDialogShow, 1);
  ASSERT_TRUE(jkk && l);

  // Row 1 (line 1): a typed Gaussian width leaves the Lorentzian widths alone.
  ASSERT_TRUE(drv::Click(jkk, 811));
  ASSERT_EQ(Sim.QN_Sel_Line[1], 1);
  EXPECT_EQ(drv::Text(l, 1302), "0.00e+00");
  ASSERT_TRUE(drv::TypeAndCommit(l, 1301, "-30"));
  EXPECT_EQ(Sim.FI_Gau_FWHM[1][1], 30.0f);
  EXPECT_EQ(Sim.LS_GAU[1], 30.0);
  EXPECT_EQ(Sim.FI_Lor_FWHM[1][1], 0.0f);
  EXPECT_EQ(Sim.LS_LOR[1], 8.0);
  // Row 2 (line 4): a dragged Lorentzian width leaves the Gaussian widths alone.
  ASSERT_TRUE(drv::Click(jkk, 812));
  ASSERT_TRUE(drv::MoveTrackbar(l, 41, -10000));
  EXPECT_EQ(Sim.FI_Lor_FWHM[1][4], 1.0f);  // the top of the range 0 to 1
  EXPECT_EQ(Sim.LS_LOR[1], 1.0);
  EXPECT_EQ(Sim.FI_Gau_FWHM[1][4], 0.0f);
  EXPECT_EQ(Sim.LS_GAU[1], 30.0);

  // Row 0 (line 3) is a line: its widths and area are shown, typed and dragged.
  ASSERT_TRUE(drv::Click(jkk, 810));
  ASSERT_EQ(Sim.QN_Sel_Line[1], 3);
  EXPECT_EQ(drv::Text(l, 1301), "0.00e+00");
  EXPECT_EQ(drv::Text(l, 1313), "2.5000e-01");
  ASSERT_TRUE(drv::TypeAndCommit(l, 1302, "2"));
  EXPECT_EQ(Sim.FI_Lor_FWHM[1][3], 2.0f);
  ASSERT_TRUE(drv::MoveTrackbar(l, 40, -5000));
  EXPECT_EQ(Sim.FI_Gau_FWHM[1][3], 15.0f);  // half of the range 0 to 30
  EXPECT_EQ(Sim.LS_GAU[1], 15.0);
  EXPECT_EQ(Sim.LS_LOR[1], 2.0);
  // Shared widths: row 0's area is shown too, and the set keeps the widths last set.
  ASSERT_TRUE(drv::Click(control, IDC_SC_IDV + 1));
  ASSERT_EQ(Sim.IDVWIDTH_STAT[1], 0u);
  EXPECT_EQ(drv::Text(l, 1313), "2.5000e-01");
  EXPECT_EQ(drv::Text(l, 1301), "15.000000");
  EXPECT_EQ(drv::Text(l, 1302), "2.000000");

  // Edit status: row 0 is the new-line slot, nothing shown, typing and dragging do nothing.
  ASSERT_TRUE(drv::Click(control, IDC_SC_IDV + 1));
  ASSERT_TRUE(drv::Click(control, IDC_SC_EDIT + 1));
  ASSERT_EQ(Sim.Edit_Stat[1], 1u);
  ASSERT_TRUE(drv::Click(jkk, 810));
  for (int id : {1301, 1302, 1313}) EXPECT_EQ(drv::Text(l, id), "") << id;
  ASSERT_TRUE(drv::TypeAndCommit(l, 1301, "7"));
  ASSERT_TRUE(drv::MoveTrackbar(l, 41, -2000));
  EXPECT_EQ(Sim.FI_Gau_FWHM[1][3], 15.0f);
  EXPECT_EQ(Sim.FI_Lor_FWHM[1][3], 2.0f);
  EXPECT_EQ(Sim.LS_GAU[1], 15.0);
  EXPECT_EQ(Sim.LS_LOR[1], 2.0);
}

}  // namespace
