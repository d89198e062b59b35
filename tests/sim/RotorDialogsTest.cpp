// The rotor and quadrupole trackbar dialogs driven like a user would: ranges around
// the values, trackbar moves that move the lines, typed values and limits, closing.
#include <cmath>

#include "SimFixture.h"
#include "platform/driver/TestDriver.h"
#include "records/Quad.h"
#include "resources/Dialogs.h"
#include "sim/SimBarrier.h"
#include "sim/SimDialogs.h"

namespace {

namespace drv = platform::driver;
using namespace rotor_ids;

class RotorDialogsTest : public qvtest::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Quad = QuadRecord{};
    RegisterDialogResources();
  }
  void TearDown() override {
    for (auto& row : Sim.Dlg_Hwnd)
      for (HWND& w : row)
        if (w && IsWindow(w)) DestroyWindow(w);
    SimTest::TearDown();
  }
  HWND Open(SimDlgKind kind, uint32_t (*creator)(int16_t, uint32_t, HWND), int16_t s) {
    EXPECT_EQ(creator(s, 1, Win.hWnd_Main), 1u);
    SimDlgRequest(kind, s) = 1;
    return Sim.Dlg_Hwnd[kind][s];
  }
  // A symmetric top: three R-branch lines J+1 <- J at 2B(J+1), A without effect.
  void SymmetricTop(int16_t s) {
    FillSet(s, 3, 4, 2, false);
    Sim.RC_Prm[s][SIM_GND][0] = 5000.0;
    Sim.RC_Prm[s][SIM_GND][1] = 1000.0;
    for (uint32_t j = 0; j < 3; ++j) {
      double* row = Sim.FI_Dev[s] + 4 * j;
      row[0] = row[2] = row[3] = 0.0;
      row[1] = 2.0 * (j + 1);
    }
  }
  static void ExpectLines(int16_t s, double b) {
    for (uint32_t j = 0; j < 3; ++j) EXPECT_NEAR(Sim.FI_Sim_Erg[s][j], 2.0 * b * (j + 1), 1e-9) << j;
  }
};

TEST_F(RotorDialogsTest, RotationalConstantMovesTheLinesOfASymmetricTop) {
  SymmetricTop(1);
  HWND d = Open(SIM_DLG_ABC, SimAbcTrackbarDialogShow, 1);
  ASSERT_TRUE(d && IsWindowVisible(d));
  // B GND (column 1) gets 1000 -+ 0.1 %; the bar sits in the middle.
  EXPECT_DOUBLE_EQ(Sim.Trk_Lo[1][1], 999.0);
  EXPECT_DOUBLE_EQ(Sim.Trk_Hi[1][1], 1001.0);
  EXPECT_EQ(drv::TrackbarPosition(d, kTrack + 1), -5000);
  EXPECT_EQ(drv::Text(d, kValue + 1), "1000.000000");
  EXPECT_EQ(Sim.Trackbar_Stat[SIM_DLG_ABC][1], 0u);
  // The top of the bar: B at its high end and every line at 2B(J+1).
  ASSERT_TRUE(drv::MoveTrackbar(d, kTrack + 1, -10000));
  EXPECT_DOUBLE_EQ(Sim.RC_Prm[1][SIM_GND][1], 1001.0);
  ExpectLines(1, 1001.0);
  // A moves without moving the lines; the other state's columns are its own.
  ASSERT_TRUE(drv::MoveTrackbar(d, kTrack + 0, 0));
  EXPECT_DOUBLE_EQ(Sim.RC_Prm[1][SIM_GND][0], 4995.0);
  ExpectLines(1, 1001.0);
  EXPECT_EQ(Sim.RC_Prm[1][SIM_EXC][1], 0.0);
  // x2 doubles the spread around the current value; /2 twice halves it back and more.
  ASSERT_TRUE(drv::Click(d, kX2 + 1));
  EXPECT_NEAR(Sim.Trk_Lo[1][1], 1001.0 - 2.002, 1e-9);
  EXPECT_NEAR(Sim.Trk_Hi[1][1], 1001.0 + 2.002, 1e-9);
  ASSERT_TRUE(drv::Click(d, kHalf + 1));
  ASSERT_TRUE(drv::Click(d, kHalf + 1));
  EXPECT_NEAR(Sim.Trk_Hi[1][1] - Sim.Trk_Lo[1][1], 1.001, 1e-9);
  // A typed value moves the lines and the range follows it.
  ASSERT_TRUE(drv::TypeAndCommit(d, kValue + 1, "1500"));
  ExpectLines(1, 1500.0);
  EXPECT_LT(Sim.Trk_Lo[1][1], 1500.0);
  EXPECT_GT(Sim.Trk_Hi[1][1], 1500.0);
  EXPECT_EQ(drv::TrackbarPosition(d, kTrack + 1), -5000);
  // Typed ends in the wrong order are put in order.
  ASSERT_TRUE(drv::TypeAndCommit(d, kHigh + 1, "1000"));
  EXPECT_DOUBLE_EQ(Sim.Trk_Lo[1][1], 1000.0);
  EXPECT_GE(Sim.Trk_Hi[1][1], 1500.0);
  // Closing hides it through its creator and clears its request.
  ASSERT_TRUE(drv::Click(d, IDCANCEL));
  EXPECT_FALSE(IsWindowVisible(d));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_ABC][1], 0u);
}

TEST_F(RotorDialogsTest, EveryKindFindsItsSetAndRefreshesOnANewFile) {
  SymmetricTop(0);
  SymmetricTop(2);
  Sim.RC_Prm[2][SIM_EXC][9] = -2.5e-3;  // DJ EXC: column 5 of the distortion dialog
  struct Row {
    SimDlgKind kind;
    uint32_t (*creator)(int16_t, uint32_t, HWND);
    int columns;
  } rows[] = {{SIM_DLG_ABC, SimAbcTrackbarDialogShow, 6},       {SIM_DLG_CORIOLIS, SimCoriolisTrackbarDialogShow, 6},
              {SIM_DLG_CROSS, SimCrossTermTrackbarDialogShow, 6}, {SIM_DLG_DDIST, SimDDistortionTrackbarDialogShow, 10},
              {SIM_DLG_TDM, SimTdmDipoleTrackbarDialogShow, 3},   {SIM_DLG_TEMP, SimTemperatureTrackbarDialogShow, 3},
              {SIM_DLG_QUADTB, SimQuadTrackbarDialogShow, 7}};
  for (const Row& r : rows) {
    HWND a = Open(r.kind, r.creator, 0);
    HWND c = Open(r.kind, r.creator, 2);
    ASSERT_TRUE(a && c && a != c) << r.kind;
    EXPECT_EQ(SimDlgSetOf(r.kind, c), 2);
    EXPECT_TRUE(GetDlgItem(a, kTrack + r.columns - 1)) << r.kind;
    EXPECT_FALSE(GetDlgItem(a, kTrack + r.columns)) << r.kind;
  }
  HWND dist = Sim.Dlg_Hwnd[SIM_DLG_DDIST][2];
  EXPECT_EQ(drv::Text(dist, kValue + 5), "-2.500000e-03");
  // A fresh file sets the rebuild flag: the next refresh centres the ranges anew.
  Sim.RC_Prm[2][SIM_EXC][9] = 1.0;
  SimDDistortionTrackbarDialogShow(2, 1, Win.hWnd_Main);
  EXPECT_EQ(drv::TrackbarPosition(dist, kTrack + 5), -10000);  // widened to the value
  Sim.Trackbar_Stat[SIM_DLG_DDIST][2] = 1;
  SimDDistortionTrackbarDialogShow(2, 1, Win.hWnd_Main);
  EXPECT_EQ(drv::TrackbarPosition(dist, kTrack + 5), -5000);
  EXPECT_DOUBLE_EQ(Sim.Trk_Hi[2][18 + 5], 1.001);
  // Set A's ranges are its own.
  EXPECT_DOUBLE_EQ(Sim.Trk_Hi[0][18 + 5], 0.001);
}

TEST_F(RotorDialogsTest, SharesTemperaturesAndQuadrupoleStayInTheirLimits) {
  SymmetricTop(0);
  const double before = Sim.FI_Sim_Erg[0][2];
  HWND tdm = Open(SIM_DLG_TDM, SimTdmDipoleTrackbarDialogShow, 0);
  // A share of 100 % has its range clipped to 100; typed beyond, it stays at 100.
  EXPECT_DOUBLE_EQ(Sim.Trk_Hi[0][28 + 2], 100.0);
  EXPECT_DOUBLE_EQ(Sim.Trk_Lo[0][28 + 2], 90.0);
  ASSERT_TRUE(drv::TypeAndCommit(tdm, kValue + 0, "150"));
  EXPECT_EQ(Sim.TDM_Angle[0][0], 100.0);
  ASSERT_TRUE(drv::MoveTrackbar(tdm, kTrack + 2, 0));
  EXPECT_DOUBLE_EQ(Sim.TDM_Angle[0][2], 90.0);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][2], before);  // intensities only: no lines moved

  // Temperatures: a factor range that never goes below 0; the ratio follows.
  Sim.Rot_Temp[0][0] = 10.0;
  Sim.Rot_Temp[0][1] = 0.0;
  Sim.Rot_Temp[0][2] = 0.0;
  HWND temp = Open(SIM_DLG_TEMP, SimTemperatureTrackbarDialogShow, 0);
  EXPECT_DOUBLE_EQ(Sim.Trk_Lo[0][31], 5.0);
  EXPECT_DOUBLE_EQ(Sim.Trk_Hi[0][31], 20.0);
  EXPECT_DOUBLE_EQ(Sim.Trk_Lo[0][32], 0.0);
  EXPECT_DOUBLE_EQ(Sim.Trk_Hi[0][32], 10.0);
  EXPECT_DOUBLE_EQ(Sim.Trk_Lo[0][33], 0.0);
  ASSERT_TRUE(drv::MoveTrackbar(temp, kTrack + 1, -10000));
  EXPECT_DOUBLE_EQ(Sim.Rot_Temp[0][1], 10.0);
  EXPECT_DOUBLE_EQ(Sim.Rot_Temp[0][3], 1.0);
  ASSERT_TRUE(drv::TypeAndCommit(temp, kValue + 0, "-4"));
  EXPECT_EQ(Sim.Rot_Temp[0][0], 0.0);
  EXPECT_EQ(Sim.Rot_Temp[0][3], 0.0);  // no ratio to a zero temperature

  // Quadrupole: both groups and the extra value, rebuilt from its own flag.
  Quad.Prm[0][1][2] = -3.0;
  Quad.Prm2[0] = 0.5;
  HWND quad = Open(SIM_DLG_QUADTB, SimQuadTrackbarDialogShow, 0);
  EXPECT_EQ(Quad.Trackbar_Stat[0], 0u);
  ASSERT_TRUE(drv::MoveTrackbar(quad, kTrack + 5, -10000));
  EXPECT_DOUBLE_EQ(Quad.Prm[0][1][2], -2.0);
  ASSERT_TRUE(drv::MoveTrackbar(quad, kTrack + 6, 0));
  EXPECT_DOUBLE_EQ(Quad.Prm2[0], -0.5);
  ASSERT_TRUE(drv::Click(quad, IDCANCEL));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_QUADTB][0], 0u);
}

TEST_F(RotorDialogsTest, BarrierKeepsItsStartValuesFrameAndRecomputesTheLines) {
  using namespace barrier_ids;
  SymmetricTop(3);
  HWND d = Open(SIM_DLG_BARRIER, W36DialogShow, 3);
  ASSERT_TRUE(d && IsWindowVisible(d));
  EXPECT_EQ(SimDlgSetOf(SIM_DLG_BARRIER, d), 3);
  // No choice yet: the principal-axis frame; no start values kept.
  EXPECT_TRUE(drv::IsChecked(d, kPam));
  EXPECT_FALSE(drv::IsChecked(d, kRam));
  EXPECT_EQ(drv::Text(d, kState), "NO START VALUES");
  // The reader's order: start values, refresh, run. The frame choice is kept.
  ASSERT_EQ(W36InitValue(3, 2, &Sim, 0), 1);
  SendMessage(d, WM_INITDIALOG, 0, 0);
  EXPECT_TRUE(drv::IsChecked(d, kRam));
  EXPECT_EQ(drv::Text(d, kState), "START A=5000.000000 B=1000.000000 C=0.000000");
  Sim.RC_Prm[3][SIM_GND][1] = 1200.0;
  EXPECT_EQ(W36DevRun(3, 0, &Sim), 1);
  ExpectLines(3, 1200.0);
  EXPECT_EQ(Sim.W36_Frame[3], 2);
  // RESET puts the kept constants back, rebuilds the trackbar ranges and recomputes.
  for (int t = 0; t < SIM_TRACKBARS; ++t) Sim.Trackbar_Stat[t][3] = 0;
  ASSERT_TRUE(drv::Click(d, kReset));
  EXPECT_DOUBLE_EQ(Sim.RC_Prm[3][SIM_GND][1], 1000.0);
  ExpectLines(3, 1000.0);
  EXPECT_EQ(Sim.Trackbar_Stat[SIM_DLG_ABC][3], 1u);
  // RUN after a change elsewhere; the frame radio stores the choice.
  Sim.RC_Prm[3][SIM_GND][1] = 900.0;
  ASSERT_TRUE(drv::Click(d, kRun));
  ExpectLines(3, 900.0);
  ASSERT_TRUE(drv::Click(d, kPam));
  EXPECT_EQ(Sim.W36_Frame[3], 1);
  // Without derivatives nothing is recomputed; an invalid set is refused.
  Sim.DVS_STAT[3] = 0;
  Sim.RC_Prm[3][SIM_GND][1] = 100.0;
  EXPECT_EQ(W36DevRun(3, 0, &Sim), 0);
  ExpectLines(3, 900.0);
  EXPECT_EQ(W36InitValue(9, 1, &Sim, 0), 0);
  // Closing hides it through its creator and clears its request.
  ASSERT_TRUE(drv::Click(d, IDCANCEL));
  EXPECT_FALSE(IsWindowVisible(d));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_BARRIER][3], 0u);
}

}  // namespace
