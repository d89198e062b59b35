#include "display/DisplayDialogs.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "ViewFixture.h"
#include "platform/windows/CommonDialogs.h"
#include "platform/driver/TestDriver.h"
#include "resources/Dialogs.h"
#include "resources/Menus.h"

namespace {

namespace drv = platform::driver;

class DisplayDialogsTest : public qvtest::ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    RegisterDialogResources();
    ShowChannel(0);
    StrCopy(Dsp.Chn_Flnm[0], "chan.bin");
  }
  void TearDown() override {
    for (HWND* w : {&Dsp.SclOfs_Hwnd, &Win.CurInfo_Hwnd})
      if (*w && IsWindow(*w)) DestroyWindow(*w);
    ViewTest::TearDown();
  }
  HWND OpenScalarOffset() {
    EXPECT_EQ(DisplayScalarOffsetDialogShow(1, Win.hWnd_Main), 1u);
    return Dsp.SclOfs_Hwnd;
  }
};

TEST(DisplayColorStep, StaysInRangeAndSkipsTheBackground) {
  Win = WinRecord{};
  Win.Bg_Brush_Idx = 10;  // white paper
  EXPECT_EQ(DisplayColorStep(9, 1), 9);  // onto 10 (background), 11 is out of range
  EXPECT_EQ(DisplayColorStep(10, 1), 10);
  EXPECT_EQ(DisplayColorStep(0, -1), 0);
  EXPECT_EQ(DisplayColorStep(3, 1), 4);
  Win.Bg_Brush_Idx = 0;  // black paper
  EXPECT_EQ(DisplayColorStep(2, -1), 1);
  EXPECT_EQ(DisplayColorStep(1, -1), 1);
  Win.Bg_Brush_Idx = 5;
  EXPECT_EQ(DisplayColorStep(4, 1), 6);  // jumps over the background
  EXPECT_EQ(DisplayColorStep(6, -1), 4);
}

TEST(DisplayTrackbar, PositionsAndValues) {
  EXPECT_EQ(DisplayTrackbarPosition(0.5, 0.5, 2.0), 0);
  EXPECT_EQ(DisplayTrackbarPosition(2.0, 0.5, 2.0), -10000);
  EXPECT_EQ(DisplayTrackbarPosition(1.0, 0.5, 2.0), -3333);  // truncated
  EXPECT_EQ(DisplayTrackbarPosition(3.0, 0.25, 0.25), -2500);
  EXPECT_DOUBLE_EQ(DisplayTrackbarValue(-5000, 0.5, 2.0), 1.25);
  EXPECT_DOUBLE_EQ(DisplayTrackbarValue(0, 0.5, 2.0), 0.5);
}

TEST_F(DisplayDialogsTest, RangesTrackbarsAndTheFixRule) {
  Dsp.Chn_Scalar[0] = 1.0;
  Dsp.Chn_Offset[0] = 2.0;
  HWND d = OpenScalarOffset();
  ASSERT_TRUE(IsWindowVisible(d));
  EXPECT_EQ(Dsp.SclOfs_Shown, 1u);
  EXPECT_EQ(drv::Text(d, IDC_SO_SCL_HIGH), "2.00000");
  EXPECT_EQ(drv::Text(d, IDC_SO_SCL_LOW), "0.50000");
  EXPECT_EQ(drv::Text(d, IDC_SO_OFS_HIGH), "3.00000");
  EXPECT_EQ(drv::Text(d, IDC_SO_OFS_LOW), "1.00000");
  EXPECT_EQ(drv::Text(d, IDC_DD_FILENAME), "chan.bin");
  EXPECT_EQ(drv::TrackbarPosition(d, IDC_SO_SCL_TRACK), -3333);
  EXPECT_EQ(drv::TrackbarPosition(d, IDC_SO_OFS_TRACK), -5000);
  EXPECT_EQ(SendDlgItemMessage(d, IDC_SO_SCL_TRACK, TBM_GETRANGEMIN, 0, 0), -10000);
  EXPECT_EQ(SendDlgItemMessage(d, IDC_SO_SCL_TRACK, TBM_GETRANGEMAX, 0, 0), 0);
  EXPECT_EQ(SendDlgItemMessage(d, IDC_SO_SCL_TRACK, TBM_GETPAGESIZE, 0, 0), 100);

  // With the mouse: a press on the thumb 2 pixels below its centre and a release there
  // move nothing, so that a line step goes on from where it was; a drag moves the thumb
  // as far as the pointer goes from where it took hold of it.
  HWND bar = GetDlgItem(d, IDC_SO_SCL_TRACK);
  RECT bounds;
  GetClientRect(bar, &bounds);
  const int travel = bounds.bottom - 16;  // the thumb's travel over the range, 8 pixels high
  const int x = bounds.right / 2;
  const int grip = 4 + static_cast<int>(0.6667 * travel) + 4 + 2;  // at -3333 of -10000 .. 0
  ASSERT_TRUE(drv::MouseDown(bar, drv::Mouse::Left, x, grip));
  ASSERT_TRUE(drv::MouseUp(bar, drv::Mouse::Left, x, grip));
  EXPECT_EQ(drv::TrackbarPosition(d, IDC_SO_SCL_TRACK), -3333);
  EXPECT_EQ(Dsp.Chn_Scalar[0], 1.0);
  EXPECT_EQ(Dsp.Chn_Offset[0], 2.0);
  ASSERT_TRUE(drv::PressKey(bar, VK_UP));
  EXPECT_NEAR(Dsp.Chn_Scalar[0], 1.0001, 1e-9);  // 0.5 + 1.5 x 0.3334
  const int from = drv::TrackbarPosition(d, IDC_SO_SCL_TRACK);
  ASSERT_TRUE(drv::MouseDown(bar, drv::Mouse::Left, x, grip));
  ASSERT_TRUE(drv::MouseMove(bar, x, grip - 5, MK_LBUTTON));
  ASSERT_TRUE(drv::MouseMove(bar, x, grip - 10, MK_LBUTTON));
  ASSERT_TRUE(drv::MouseUp(bar, drv::Mouse::Left, x, grip - 10));
  const int to = from - static_cast<int>(std::lround(10.0 * 10000 / travel));
  EXPECT_EQ(drv::TrackbarPosition(d, IDC_SO_SCL_TRACK), to);
  EXPECT_NEAR(Dsp.Chn_Scalar[0], 0.5 + 1.5 * 0.0001 * -to, 1e-9);
  EXPECT_NEAR(Dsp.Chn_Scalar[0] * Dsp.Chn_Offset[0], 2.0, 1e-9);
  Dsp.Chn_Scalar[0] = 1.0;
  Dsp.Chn_Offset[0] = 2.0;

  // The scalar trackbar at -5000 sets 1.25; with FIX off scalar x offset stays.
  ASSERT_TRUE(drv::MoveTrackbar(d, IDC_SO_SCL_TRACK, -5000));
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[0], 1.25);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[0] * Dsp.Chn_Offset[0], 2.0);
  // The repaint that follows refreshes the open dialog, so the field shows the value
  // in the refresh's own format.
  EXPECT_DOUBLE_EQ(std::stod(drv::Text(d, IDC_SO_SCL_VALUE)), 1.25);
  // With FIX on the offset stays.
  ASSERT_TRUE(drv::Click(d, IDC_SO_FIX));
  EXPECT_EQ(Dsp.Chn_OfsFix[0], 1u);
  const double offset = Dsp.Chn_Offset[0];
  ASSERT_TRUE(drv::MoveTrackbar(d, IDC_SO_SCL_TRACK, 0));
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[0], 0.5);
  EXPECT_EQ(Dsp.Chn_Offset[0], offset);
  // Each key steps on from where the one before left the thumb: the refresh after it
  // puts the thumb back at the position that set the value, not one short of it.
  ASSERT_TRUE(drv::PressKey(bar, VK_PRIOR));
  ASSERT_TRUE(drv::PressKey(bar, VK_UP));
  ASSERT_TRUE(drv::PressKey(bar, VK_UP));
  EXPECT_EQ(drv::TrackbarPosition(d, IDC_SO_SCL_TRACK), -102);
  EXPECT_NEAR(Dsp.Chn_Scalar[0], 0.5153, 1e-12);
  // The offset trackbar maps its own range.
  ASSERT_TRUE(drv::MoveTrackbar(d, IDC_SO_OFS_TRACK, -10000));
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], 3.0);

  // "x2" doubles the spread exponent: around 1.0 the next range is 0.25 to 4.0.
  Dsp.Chn_Scalar[0] = 1.0;
  ASSERT_TRUE(drv::Click(d, IDC_SO_SCL_X2));
  EXPECT_DOUBLE_EQ(Dsp.Scl_Hi[0], 4.0);
  EXPECT_DOUBLE_EQ(Dsp.Scl_Lo[0], 0.25);
  EXPECT_EQ(drv::Text(d, IDC_SO_SCL_LOW), "0.25000");
  // Small bounds are shown in exponent form.
  Dsp.Chn_Scalar[0] = 0.005;
  ASSERT_TRUE(drv::Click(d, IDC_SO_CENTER));
  EXPECT_EQ(drv::Text(d, IDC_SO_SCL_VALUE), "5.000e-03");
  // A typed value outside the range widens it.
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_SO_OFS_HIGH, "50"));
  EXPECT_DOUBLE_EQ(Dsp.Ofs_Hi[0], 50.0);
}

TEST_F(DisplayDialogsTest, AutoScaleSkipsMissingValuesAndStoresOnlyFiniteValues) {
  // 4,000 values from -2 to 3, among them values the display draws as 0.
  std::vector<float> values(4000);
  for (size_t i = 0; i < values.size(); ++i) values[i] = -2.0f + 5.0f * static_cast<float>(i) / 3999.0f;
  values[100] = std::numeric_limits<float>::infinity();
  values[200] = 1e19f;
  values[300] = -1e18f;
  values[400] = std::numeric_limits<float>::quiet_NaN();
  FILE* f = std::fopen(dir_.File("chan.bin").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(values.data(), sizeof(float), values.size(), f);
  std::fclose(f);
  HWND d = OpenScalarOffset();
  ASSERT_TRUE(drv::Click(d, IDC_SO_AUTO));
  EXPECT_EQ(Status(2), "CHN [0] SCALED/OFFSET OVER FULL FILE");
  EXPECT_EQ(Status(3), "MIN=[-2.000000] MAX=[3.000000]");
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[0], 9.8 / 5.0);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], 2.05);
  EXPECT_EQ(drv::Text(d, IDC_SO_OFS_VALUE), "2.05000");
  // A typed value that is no finite number is not taken.
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_SO_OFS_VALUE, "inf"));
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], 2.05);
  EXPECT_EQ(drv::Text(d, IDC_SO_OFS_VALUE), "2.05000");

  // The working file keeps the finite values.
  platform::SetCommonDialogAnswerer(
      [&](const platform::CommonDialogRequest&) { return platform::CommonDialogAnswer{true, dir_.File("auto.QVW")}; });
  ASSERT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_SAVE));
  platform::SetCommonDialogAnswerer(nullptr);
  std::ifstream work(dir_.File("auto.QVW"));
  std::string line;
  bool found = false;
  while (std::getline(work, line)) {
    std::istringstream fields(line);
    int chn = -1, dig = -1, shown = -1;
    std::string name, scalar, offset;
    if (!(fields >> chn >> dig >> shown >> name >> scalar >> offset) || chn != 0 || name != "chan.bin") continue;
    EXPECT_DOUBLE_EQ(std::stod(scalar), 1.96);
    EXPECT_DOUBLE_EQ(std::stod(offset), 2.05);
    found = true;
    break;
  }
  EXPECT_TRUE(found);

  // Nothing but missing values: the flat line.
  std::fill(values.begin(), values.end(), std::numeric_limits<float>::infinity());
  values[7] = 2e18f;
  f = std::fopen(dir_.File("chan.bin").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(values.data(), sizeof(float), values.size(), f);
  std::fclose(f);
  ASSERT_TRUE(drv::Click(d, IDC_SO_AUTO));
  EXPECT_EQ(Status(2), "CHN [0] IS FLAT LINE");
  EXPECT_EQ(Dsp.Chn_Scalar[0], 1.0);
  EXPECT_EQ(Dsp.Chn_Offset[0], 5.0);
}

TEST_F(DisplayDialogsTest, OpenOrATypedNameShowsTheChannelWithItsNewFile) {
  WriteChannelFile("other.bin", 300);
  WriteChannelFile("third.bin", 300);
  HWND d = OpenScalarOffset();
  // A name typed for the shown channel shows it with that file.
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_DD_FILENAME, "third.bin"));
  WaitViewIdle();
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "third.bin");
  EXPECT_EQ(Dsp.Chn_DspStat[0], 1u);
  EXPECT_EQ(Win.Active_Chn, 0);
  EXPECT_EQ(Status(0), "VIEW PROCESSING COMPLETE");
  std::string chosen = dir_.File("other.bin");
  platform::SetCommonDialogAnswerer(
      [&](const platform::CommonDialogRequest&) { return platform::CommonDialogAnswer{true, chosen}; });
  // A displayed channel stays displayed, now with the new file.
  ASSERT_TRUE(drv::Click(d, IDC_SO_OPEN));
  WaitViewIdle();
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "other.bin");
  EXPECT_EQ(Dsp.Chn_DspStat[0], 1u);
  EXPECT_EQ(Win.Active_Chn, 0);
  // A channel that is not displayed is shown with it.
  Dsp.Chn_DspStat[0] = 0;
  Win.Shown_Count = 0;
  Win.Active_Chn = 9;
  chosen = dir_.File("third.bin");
  ASSERT_TRUE(drv::Click(d, IDC_SO_OPEN));
  WaitViewIdle();
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "third.bin");
  EXPECT_EQ(Dsp.Chn_DspStat[0], 1u);
  platform::SetCommonDialogAnswerer(nullptr);
}

TEST_F(DisplayDialogsTest, ShowFunctionsToggleFromTheRightClickMenu) {
  drv::ChoosePopupItems({IDM_SCALAR_OFFSET_DLG});
  drv::MouseClick(Win.hWnd_Main, drv::Mouse::Right, 100, 100);
  drv::PumpUntilIdle();
  EXPECT_EQ(Dsp.SclOfs_Shown, 1u);
  ASSERT_TRUE(Dsp.SclOfs_Hwnd && IsWindowVisible(Dsp.SclOfs_Hwnd));
  HWND first = Dsp.SclOfs_Hwnd;
  EXPECT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_SCALAR_OFFSET_DLG));
  EXPECT_EQ(Dsp.SclOfs_Shown, 0u);
  EXPECT_FALSE(IsWindowVisible(first));
  EXPECT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_SCALAR_OFFSET_DLG));
  EXPECT_EQ(Dsp.SclOfs_Hwnd, first);  // created once, then only shown and hidden
  // A call from inside the show function (here: the guard is held) does nothing.
  Dsp.SclOfs_Guard = 1;
  EXPECT_EQ(DisplayScalarOffsetDialogShow(0, Win.hWnd_Main), 1u);
  EXPECT_TRUE(IsWindowVisible(first));
  Dsp.SclOfs_Guard = 0;
  // Cancel hides it; a scalar typed and not yet taken is taken as the dialog closes
  // (its edit loses the focus then), not at the next click elsewhere.
  ASSERT_TRUE(drv::TypeText(first, IDC_SO_SCL_VALUE, "2.5"));
  SendMessage(first, WM_CLOSE, 0, 0);  // the close box is the dialog's Cancel
  EXPECT_EQ(Dsp.SclOfs_Shown, 0u);
  EXPECT_FALSE(IsWindowVisible(first));
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[0], 2.5);
  EXPECT_EQ(GetFocus(), Win.hWnd_Main);

  EXPECT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_CURSOR_INFO_DLG));
  EXPECT_EQ(Win.CurInfo_Shown, 1u);
  ASSERT_TRUE(Win.CurInfo_Hwnd && IsWindowVisible(Win.CurInfo_Hwnd));
}

TEST_F(DisplayDialogsTest, CursorInfoShowsTheWindowStatistics) {
  Win.Chn_Ave1[0] = 12.5;
  Win.Chn_Ave2[0] = 0.25;
  Win.Chn_Sig1[0] = 123456.0;
  Dsp.Pts2Pxl[0] = 1.0;
  Dsp.FrqStpView[0] = 0.5;
  Dsp.Init_Frq = 1000.0;
  Win.View_Level = 0;
  Win.Page_Start = 0;
  Win.Cursor_X = 20;
  Win.Cursor_HalfWidth = 10;
  ASSERT_EQ(DisplayCursorInfoDialogShow(1, Win.hWnd_Main), 1u);
  HWND d = Win.CurInfo_Hwnd;
  EXPECT_EQ(drv::Text(d, IDC_CI_AVE_LOW), "12.50000000");
  EXPECT_EQ(drv::Text(d, IDC_CI_AVE_HIGH), "2.500000e-01");
  EXPECT_EQ(drv::Text(d, IDC_CI_RMS_LOW), "1.234560e+05");
  EXPECT_EQ(drv::Text(d, IDC_CI_FRQ_LOW), "1005.00000000");
  EXPECT_EQ(drv::Text(d, IDC_CI_FRQ_HIGH), "1015.00000000");
  EXPECT_EQ(drv::Text(d, IDC_CI_FRQ_MID), "10.00000000");
  ASSERT_TRUE(drv::Click(d, IDC_CI_CTR_DIFF));
  EXPECT_EQ(drv::Text(d, IDC_CI_FRQ_MID), "1010.00000000");
  ASSERT_TRUE(drv::Click(d, IDC_CI_ADJ_CROSS));
  EXPECT_EQ(Win.Cursor_Changed, 1u);
  // LOW takes the average of the channel file across the cursor window.
  Win.Cursor_X = 10;
  Win.Cursor_HalfWidth = 2;
  ASSERT_TRUE(drv::Click(d, IDC_CI_LOW));
  EXPECT_DOUBLE_EQ(Win.Chn_Ave1[0], 10.0);  // points 8..12 of 0, 1, 2, ...
  EXPECT_EQ(drv::Text(d, IDC_CI_AVE_LOW), "10.00000000");
  // A channel that is not displayed is refused.
  Dsp.Chn_DspStat[0] = 0;
  platform::ClearBoxLog();
  ASSERT_TRUE(drv::Click(d, IDC_CI_HIGH));
  ASSERT_EQ(platform::BoxLog().size(), 1u);
  EXPECT_EQ(platform::BoxLog()[0].text, "DISPLAY FILE=[chan.bin] FIRST FOR CHN=[0]\n\nABORTING");
}

}  // namespace
