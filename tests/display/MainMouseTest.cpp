// The mouse buttons of the main plot reach their view commands: through the test
// driver as a person would press them, on the real main window.
#include "ViewFixture.h"

namespace qvtest {
namespace {

using platform::driver::Mouse;
namespace drv = platform::driver;

class MainMouseTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    ShowChannel(0);
    Win.Page_Start = 200000;
    Win.Cursor_Step = 100.0;
    Dsp.Chn_Scalar[0] = 1.0;
    Dsp.Chn_Offset[0] = 8.0;
    Dsp.Chn_ScaleStat[0] = 1;
    drv::ChoosePopupItems({0, 0, 0, 0});  // a plain right click opens the right-click menu
  }
  HWND W() const { return Win.hWnd_Main; }
};

TEST_F(MainMouseTest, ShiftClicksScrollHalfAPage) {
  // Every paint takes the plot width from the window: half a page is half of it at
  // 100 points per pixel.
  InvalidateRect(W(), nullptr, TRUE);
  drv::PumpUntilIdle();
  Win.Page_Start = 200000;
  const int32_t half = Win.Page_Width / 2 * 100;
  ASSERT_GT(half, 0);
  ASSERT_TRUE(drv::MouseClick(W(), Mouse::Left, 300, 100, true));
  EXPECT_EQ(Win.Page_Start, 200000 - half);
  EXPECT_EQ(Win.Cursor_X, 0);  // the cursor is not placed
  EXPECT_EQ(Win.Mouse_Down, 0u);
  // The paint after the click takes the width from the window in any case, when the
  // first paint came too late for it.
  drv::PumpUntilIdle();
  const int32_t back = Win.Page_Start;
  const int32_t half2 = Win.Page_Width / 2 * 100;
  ASSERT_TRUE(drv::MouseClick(W(), Mouse::Right, 300, 100, true));
  ASSERT_TRUE(drv::MouseClick(W(), Mouse::Right, 300, 100, true));
  EXPECT_EQ(Win.Page_Start, back + 2 * half2);
}

TEST_F(MainMouseTest, CtrlClicksMoveTheOffsetOneStep) {
  ASSERT_TRUE(drv::MouseClick(W(), Mouse::Left, 300, 100, false, true));
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], 8.0 - 100.0);
  ASSERT_TRUE(drv::MouseClick(W(), Mouse::Right, 300, 100, false, true));
  ASSERT_TRUE(drv::MouseClick(W(), Mouse::Right, 300, 100, false, true));
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], 8.0 + 100.0);
  EXPECT_EQ(Dsp.Chn_Scalar[0], 1.0);
}

TEST_F(MainMouseTest, BothButtonsHalveOrDoubleTheScale) {
  // Right held, then left pressed: half the scale.
  ASSERT_TRUE(drv::MouseDown(W(), Mouse::Right, 300, 100));
  EXPECT_EQ(Dsp.Chn_Scalar[0], 1.0);  // the right button alone does nothing
  ASSERT_TRUE(drv::MouseDown(W(), Mouse::Left, 300, 100));
  EXPECT_EQ(Dsp.Chn_Scalar[0], 0.5);
  EXPECT_EQ(Dsp.Chn_Offset[0], 16.0);  // the trace keeps its place
  EXPECT_EQ(Win.Mouse_Down, 0u);
  ASSERT_TRUE(drv::MouseUp(W(), Mouse::Left, 300, 100));
  ASSERT_TRUE(drv::MouseUp(W(), Mouse::Right, 300, 100));

  // Left held, then right pressed: double the scale.
  ASSERT_TRUE(drv::MouseDown(W(), Mouse::Left, 300, 100));
  EXPECT_EQ(Win.Mouse_Down, 1u);
  ASSERT_TRUE(drv::MouseDown(W(), Mouse::Right, 300, 100));
  EXPECT_EQ(Dsp.Chn_Scalar[0], 1.0);
  EXPECT_EQ(Dsp.Chn_Offset[0], 8.0);
  ASSERT_TRUE(drv::MouseUp(W(), Mouse::Right, 300, 100));
  ASSERT_TRUE(drv::MouseUp(W(), Mouse::Left, 300, 100));
  EXPECT_EQ(Win.Mouse_Down, 0u);
}

TEST_F(MainMouseTest, PlainLeftPressPlacesTheCursor) {
  ASSERT_TRUE(drv::MouseDown(W(), Mouse::Left, 321, 123));
  EXPECT_EQ(Win.Mouse_Down, 1u);
  EXPECT_EQ(Win.Cursor_X, 321);
  EXPECT_EQ(Win.Cursor_Y, 123);
  EXPECT_EQ(Win.Page_Start, 200000);
  ASSERT_TRUE(drv::MouseUp(W(), Mouse::Left, 321, 123));
  EXPECT_EQ(Win.Mouse_Down, 0u);
}

TEST_F(MainMouseTest, DoubleClickSelectsTheCursorWindow) {
  Sim.Dsp_Stat[4] = 1;
  Win.Page_Start = 0;
  Win.Cursor_HalfWidth = 5;
  ASSERT_TRUE(drv::MouseClick(W(), Mouse::LeftDouble, 40, 90));
  EXPECT_EQ(Win.Cursor_X, 40);
  EXPECT_EQ(Win.Cursor_Y, 90);
  EXPECT_EQ(Sim.Asn_CursorX, 40);
  EXPECT_DOUBLE_EQ(Win.Cursor_Freq_Lo, 1000.0 + 35 * 50.0);
  EXPECT_DOUBLE_EQ(Win.Cursor_Freq_Hi, 1000.0 + 45 * 50.0);
  EXPECT_EQ(Sim.QN_Request[4], 1u);
}

TEST_F(MainMouseTest, NoActiveChannelLeavesTheViewAlone) {
  Win.Active_Chn = 9;
  ASSERT_TRUE(drv::MouseClick(W(), Mouse::Left, 300, 100, true));
  ASSERT_TRUE(drv::MouseClick(W(), Mouse::Right, 300, 100, false, true));
  EXPECT_EQ(Win.Page_Start, 200000);
  EXPECT_EQ(Dsp.Chn_Offset[0], 8.0);
}

TEST_F(MainMouseTest, ToolbarQuantumNumberButtonSwitchesModeOfSetB) {
  Sim.Dsp_Stat[1] = 1;
  Win.Cursor_X = 60;
  ASSERT_TRUE(drv::ClickToolbarButton(Win.hWnd_ToolBar, IDT_QN_B));
  EXPECT_EQ(Sim.Cur_Set, 1);
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_JKKQN][1], 1u);
  EXPECT_EQ(Sim.Asn_CursorX, 60);  // 'j' ran
  EXPECT_EQ(Sim.QN_Request[1], 1u);
  ASSERT_TRUE(drv::ClickToolbarButton(Win.hWnd_ToolBar, IDT_QN_B));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_JKKQN][1], 0u);  // 'J': the QN dialog is hidden
}

}  // namespace
}  // namespace qvtest
