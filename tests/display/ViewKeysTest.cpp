// The view commands called directly: the shown-channel list and the view-file run it
// starts, the view-level choice with its clamps at both ends of the data, the step
// cycle, marks, the cursor window and the simulation-set keys on sets without lines.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "ViewFixture.h"
#include "platform/windows/WindowInternal.h"

namespace qvtest {
namespace {

class ViewKeysTest : public ViewTest {};

TEST_F(ViewKeysTest, NothingHappensWithoutActiveChannelExceptChannelKeys) {
  Win.Cursor_Step = 100.0;
  for (int32_t key : {'x', 's', 'm', 'q', '[', 'k', '9'}) EXPECT_EQ(Key(key), 0) << char(key);
  EXPECT_EQ(Win.Cursor_Step, 100.0);
  EXPECT_EQ(Win.View_Level, 0);
  EXPECT_EQ(Arrow(VK_LEFT, CURSOR_KEY_SHIFT), 0);
  EXPECT_EQ(Win.Page_Start, 0);

  ShowChannel(0);
  EXPECT_EQ(Key('q'), 1);  // a key without an action still asks for a repaint
  EXPECT_EQ(DisplayCursorKey(1, Win.hWnd_Main, VK_HOME, 0), 0);
}

TEST_F(ViewKeysTest, ShownListAppendsRemovesAndStartsViewRun) {
  EXPECT_EQ(Key('2'), 1);
  EXPECT_EQ(ThreadCtl.View_Busy.load() + 0u, 1u);
  EXPECT_EQ(Win.ViewPageType, 0u);
  EXPECT_EQ(Win.ViewPrep, 1u);
  EXPECT_NE(ThreadCtl.View_Thread, nullptr);
  WaitViewIdle();
  Key('5');
  WaitViewIdle();
  Key('7');
  WaitViewIdle();
  ASSERT_EQ(Win.Shown_Count, 3);
  EXPECT_EQ(Win.Shown_List[0], 2);
  EXPECT_EQ(Win.Shown_List[1], 5);
  EXPECT_EQ(Win.Shown_List[2], 7);

  // Removing a middle entry moves the later ones up; the first shown becomes active.
  Key('5');
  WaitViewIdle();
  ASSERT_EQ(Win.Shown_Count, 2);
  EXPECT_EQ(Win.Shown_List[0], 2);
  EXPECT_EQ(Win.Shown_List[1], 7);
  EXPECT_EQ(Win.Active_Chn, 2);
  EXPECT_EQ(Dsp.Chn_DspStat[5], 0u);

  // A display flag set without the list (as a working file leaves it) still puts the
  // channel into the list, shown.
  Dsp.Chn_DspStat[4] = 1;
  Key('4');
  WaitViewIdle();
  EXPECT_EQ(Win.Shown_Count, 3);
  EXPECT_EQ(Dsp.Chn_DspStat[4], 1u);
  EXPECT_EQ(Win.Active_Chn, 4);
}

// A dialog window that counts its refreshes.
int g_refreshes = 0;
LRESULT CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) ++g_refreshes;
  return DefWindowProc(window, message, wParam, lParam);
}

TEST_F(ViewKeysTest, LastChannelOffLeavesNoneActiveAndRefreshesDialogs) {
  WNDCLASS wc;
  wc.lpfnWndProc = CountingProc;
  wc.lpszClassName = "ViewKeysTestDialog";
  ASSERT_NE(RegisterClass(&wc), 0);
  HWND scalar = CreateWindowEx(0, "ViewKeysTestDialog", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND info = CreateWindowEx(0, "ViewKeysTestDialog", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  Dsp.SclOfs_Shown = 1;
  Dsp.SclOfs_Hwnd = scalar;
  Dsp.SclOfs_Lock = 1;
  Win.CurInfo_Shown = 1;
  Win.CurInfo_Hwnd = info;
  Win.CurInfo_Lock = 1;
  g_refreshes = 0;

  // Showing a channel leaves the dialogs' locks alone (paints still refresh them).
  Key('3');
  WaitViewIdle();
  EXPECT_EQ(Dsp.SclOfs_Lock, 1u);
  EXPECT_EQ(Win.CurInfo_Lock, 1u);
  const int before = g_refreshes;
  Key('3');
  WaitViewIdle();
  EXPECT_EQ(Win.Shown_Count, 0);
  EXPECT_EQ(Win.Active_Chn, 9);
  EXPECT_EQ(Dsp.Chn_DspStat[3], 0u);
  EXPECT_GE(g_refreshes - before, 2);
  EXPECT_EQ(Dsp.SclOfs_Lock, 0u);
  EXPECT_EQ(Win.CurInfo_Lock, 0u);
  DestroyWindow(scalar);
  DestroyWindow(info);
  UnregisterClass("ViewKeysTestDialog", nullptr);
}

TEST_F(ViewKeysTest, ChannelChangeRefusedWhileViewThreadBusy) {
  ShowChannel(1);
  ThreadCtl.View_Busy = 1;
  EXPECT_EQ(Key('6'), 1);
  EXPECT_EQ(Status(0), "WAIT - VIEW PROCESSING RUNNING");
  EXPECT_EQ(Win.Shown_Count, 1);
  EXPECT_EQ(Win.Active_Chn, 1);
  EXPECT_EQ(Dsp.Chn_DspStat[6], 0u);
  EXPECT_EQ(ThreadCtl.View_Thread, nullptr);
  Key('1');  // removing is refused as well
  EXPECT_EQ(Win.Shown_Count, 1);
  EXPECT_EQ(Dsp.Chn_DspStat[1], 1u);
  ThreadCtl.View_Busy = 0;
}

TEST_F(ViewKeysTest, LevelChoiceSkipsLevelsWithoutViewFiles) {
  ShowChannel(0);
  Win.ViewKind[1][0] = 2;  // no MED1 view file
  Win.Cursor_X = 500;
  Key('x');
  EXPECT_EQ(Win.View_Level, 2);
  EXPECT_EQ(Status(2), "VIEW=[MED2]");
  Key('x');
  EXPECT_EQ(Win.View_Level, 3);
  Key('x');
  EXPECT_EQ(Win.View_Level, 3);
  EXPECT_EQ(Status(2), "VIEW=[RAW] - FULLY EXPANDED");
  Key('o');
  EXPECT_EQ(Win.View_Level, 2);
  Key('X');
  EXPECT_EQ(Win.View_Level, 0);
  EXPECT_EQ(Status(2), "VIEW=[LOW]");
  Key('o');
  EXPECT_EQ(Win.View_Level, 0);
  EXPECT_EQ(Status(2), "VIEW=[LOW] - FULLY CONTRACTED");
}

TEST_F(ViewKeysTest, ExpandNearFileStartClampsToZeroAndKeepsCursorFrequency) {
  ShowChannel(0);
  Win.Cursor_X = 2;  // raw point 200
  Key('x');
  EXPECT_EQ(Win.View_Level, 1);
  EXPECT_EQ(Win.Page_Start, 0);
  EXPECT_EQ(Win.Cursor_X, 20);
  EXPECT_EQ(DisplayPixelToPoint(1, Win.Cursor_X), 200);
}

TEST_F(ViewKeysTest, ExpandPastFileEndPutsPageCentreOnTheEnd) {
  ShowChannel(0);
  Win.Page_Start = 500;
  Win.Cursor_X = 999;  // raw point 100400, past the 100000 points
  Key('x');
  EXPECT_EQ(Win.View_Level, 1);
  EXPECT_EQ(Win.Page_Start, 95000);
  EXPECT_EQ(Win.Cursor_X, 540);

  // In the middle the page is centred on the cursor's point.
  Win.View_Level = 0;
  Win.Page_Start = 0;
  Win.Cursor_X = 400;  // raw point 40000
  Key('x');
  EXPECT_EQ(Win.Page_Start, 40000 - 500 * 10);
  EXPECT_EQ(Win.Cursor_X, 500);
}

// The main window paints channel 0: draw arrays as the start-up makes them.
class ViewKeysPaintTest : public ViewKeysTest {
 protected:
  void SetUp() override {
    ViewKeysTest::SetUp();
    for (float** rows : {&Win.PM_DrawAry, &Win.PM_DrawAry_Sum}) ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(rows, WIN_DRAW_PTS)));
    for (float*& rows : Win.P_DrawAry) ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&rows, WIN_DRAW_PTS)));
    Dsp.Dsp_Ready = 1;
  }
  void TearDown() override {
    Dsp.Dsp_Ready = 0;
    for (float** rows : {&Win.PM_DrawAry, &Win.PM_DrawAry_Sum}) FFree1Dim(rows);
    for (float*& rows : Win.P_DrawAry) FFree1Dim(&rows);
    ViewKeysTest::TearDown();
  }
  static int32_t ReadoutPoint() {
    const std::string text = Status(1);
    const size_t at = text.find(" Pt ");
    return at == std::string::npos ? -1 : std::stoi(text.substr(at + 4));
  }
};

TEST_F(ViewKeysPaintTest, ExpandingToRawNearTheFileEndKeepsTheCursorPoint) {
  // 12,345 points at 0.1 MHz a point, view arrays of 1, 2 and 2 pages.
  constexpr int kPoints = 12345;
  WriteChannelFile("long.bin", kPoints);
  StrCopy(Dsp.Chn_Flnm[0], "long.bin");
  ShowChannel(0);
  Dsp.Frq_Stp = 0.1;
  Dsp.FL_SZ[WIN_RAW][0] = kPoints;
  InvalidateRect(Win.hWnd_Main, nullptr, TRUE);
  platform::driver::PumpUntilIdle();
  const int32_t W = Win.Page_Width;
  ASSERT_GT(W, 100);
  const int pages[3] = {1, 2, 2};
  for (int v = 0; v < 3; ++v) {
    const uint32_t n = static_cast<uint32_t>(W * pages[v]);
    ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Dsp.Fl_Pt[v][0], n)));
    Dsp.FL_SZ[v][0] = Dsp.Fl_Pt_Len[v][0] = n;
    Dsp.Pts2Pxl[v] = static_cast<double>(kPoints) / n;
    Dsp.FrqStpView[v] = Dsp.Pts2Pxl[v] * Dsp.Frq_Stp;
  }
  Dsp.Pts2Pxl[WIN_RAW] = 1.0;
  Dsp.FrqStpView[WIN_RAW] = Dsp.Frq_Stp;

  ASSERT_TRUE(platform::driver::MouseClick(Win.hWnd_Main, platform::driver::Mouse::Left, W - 21, 100));
  platform::driver::PumpUntilIdle();
  const int32_t clicked = ReadoutPoint();
  ASSERT_GT(clicked, kPoints - W / 2);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(platform::driver::TypeChar(Win.hWnd_Main, 'x'));
  platform::driver::PumpUntilIdle();
  ASSERT_EQ(Win.View_Level, WIN_RAW);
  // The page the key placed is the page painted (it ends with the file), and the
  // cursor reads the clicked point, up to the rounding to the columns of MED1 and MED2.
  EXPECT_EQ(Win.Page_Start, kPoints - W);
  EXPECT_NEAR(ReadoutPoint(), clicked, Dsp.Pts2Pxl[1]);
  ASSERT_TRUE(platform::driver::TypeChar(Win.hWnd_Main, 'P'));
  std::ifstream in(dir_.File("Mks"));
  int32_t saved = -1;
  in >> saved;
  EXPECT_EQ(saved, ReadoutPoint());
}

TEST_F(ViewKeysTest, StepCyclesFromTenthBackToHundred) {
  ShowChannel(0);
  const double expected[] = {10.0, 1.0, 0.1, 100.0, 10.0};
  for (double step : expected) {
    Key('s');
    EXPECT_NEAR(Win.Cursor_Step, step, 1e-9);
  }
}

TEST_F(ViewKeysTest, MarksSetWithoutRoundingAndClearedWhenEqual) {
  ShowChannel(0);
  Win.View_Level = 2;  // 2.5 points per pixel
  Win.Page_Start = 10;
  Win.Cursor_X = 3;  // 17.5
  Key('m');
  EXPECT_EQ(Win.Pt_Lim[0][0], 17);
  Win.Cursor_X = 7;  // 27.5
  Key('M');
  EXPECT_EQ(Win.Pt_Lim[0][1], 27);
  EXPECT_EQ(Win.Pt_Lim[0][0], 17);
  Win.Cursor_X = 3;
  Key('M');  // the high mark onto the low one clears both
  EXPECT_EQ(Win.Pt_Lim[0][0], 0);
  EXPECT_EQ(Win.Pt_Lim[0][1], 0);

  Dsp.Pts_FSR = 0;
  Key('t');  // no points per FSR: nothing
  EXPECT_EQ(Win.Pt_Lim[0][0], 0);
  Dsp.Pts_FSR = 200;
  Key('t');
  EXPECT_EQ(Win.Pt_Lim[0][0], 1);
  Key('t');
  EXPECT_EQ(Win.Pt_Lim[0][0], 0);
}

TEST_F(ViewKeysTest, CursorWindowRelativeReadoutUnitsAndSmoothing) {
  ShowChannel(0);
  Key('w');
  EXPECT_EQ(Win.Cursor_Window_On, 1u);
  EXPECT_EQ(Win.Cursor_Window_Set, 1u);
  Win.Cursor_Step = 10.0;
  Arrow(VK_DOWN);
  EXPECT_EQ(Win.Cursor_HalfWidth, 1);  // 10 - 10, not below 1
  Arrow(VK_UP);
  EXPECT_EQ(Win.Cursor_HalfWidth, 11);
  Key('W');
  EXPECT_EQ(Win.Cursor_Window_On, 0u);
  EXPECT_EQ(Win.Cursor_Window_Set, 0u);
  EXPECT_EQ(Win.Cursor_HalfWidth, 10);

  Win.Cursor_X = 4;
  Key('r');
  EXPECT_EQ(Win.Rel_On, 1u);
  EXPECT_DOUBLE_EQ(Win.Rel_Freq, 1000.0 + 4 * 50.0);
  EXPECT_EQ(Win.Rel_Point, 400);
  Key('r');
  EXPECT_EQ(Win.Rel_Freq, 0.0);
  EXPECT_EQ(Win.Rel_Point, 0);

  Key('u');
  EXPECT_EQ(Dsp.Units_Idx, 1);
  Key('u');
  Key('u');
  EXPECT_EQ(Dsp.Units_Idx, 0);
  EXPECT_EQ(Status(2), "");
  for (int i = 0; i < 4; ++i) Key('U');
  EXPECT_EQ(Dsp.Harm_Idx, 0);

  Key('F');
  EXPECT_EQ(Status(2), "FFT SMOOTHING ENABLED - WIN=[4.000]");
  Key('F');
  EXPECT_EQ(Status(2), "FFT SMOOTHING DISABLED");
  EXPECT_EQ(Win.FFT_Smooth_On, 0u);
}

TEST_F(ViewKeysTest, CursorStepsClampAndScaleKeepsTracePosition) {
  ShowChannel(0);
  Win.Cursor_Step = 100.0;
  Win.Cursor_X = 50;
  Arrow(VK_LEFT);
  EXPECT_EQ(Win.Cursor_X, 0);
  Win.Cursor_X = 950;
  Arrow(VK_RIGHT);
  EXPECT_EQ(Win.Cursor_X, 999);
  Win.Cursor_Y = 60;
  Arrow(VK_UP);
  EXPECT_EQ(Win.Cursor_Y, 30);
  Win.Cursor_Y = 400;
  Arrow(VK_DOWN);
  EXPECT_EQ(Win.Cursor_Y, 430);

  Dsp.Chn_Scalar[0] = 1.0;
  Dsp.Chn_Offset[0] = 4.0;
  Arrow(VK_UP, CURSOR_KEY_SCALE_UP);
  EXPECT_EQ(Dsp.Chn_Scalar[0], 2.0);
  EXPECT_EQ(Dsp.Chn_Offset[0], 2.0);
  Dsp.Chn_OfsFix[0] = 1;
  Arrow(VK_DOWN, CURSOR_KEY_SCALE_DOWN);
  EXPECT_EQ(Dsp.Chn_Scalar[0], 1.0);
  EXPECT_EQ(Dsp.Chn_Offset[0], 2.0);
  Arrow(VK_UP, CURSOR_KEY_CTRL);  // scale flag 0: a hundredth of the step
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], 3.0);
  Dsp.Chn_ScaleStat[0] = 1;
  Arrow(VK_DOWN, CURSOR_KEY_CTRL);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], -97.0);

  Win.Page_Start = 20000;
  Arrow(VK_LEFT, CURSOR_KEY_SHIFT);  // half a page of 1000 pixels at 100 points per pixel
  EXPECT_EQ(Win.Page_Start, 20000 - 50000);
}

TEST_F(ViewKeysTest, KeyboardArrowsReadShiftAndIgnoreKeystrokeData) {
  ShowChannel(0);
  Win.Cursor_Step = 10.0;
  Win.Cursor_Y = 200;
  Dsp.Chn_Scalar[0] = 1.0;
  // The keystroke's data (repeat count 1) is no command: the cursor moves.
  EXPECT_TRUE(platform::driver::PressKey(Win.hWnd_Main, VK_UP));
  EXPECT_EQ(Win.Cursor_Y, 190);
  EXPECT_EQ(Dsp.Chn_Scalar[0], 1.0);
  InvalidateRect(Win.hWnd_Main, nullptr, TRUE);
  platform::driver::PumpUntilIdle();
  Win.Page_Start = 60000;
  const int32_t half = Win.Page_Width / 2 * 100;  // the plot width the last paint took
  EXPECT_TRUE(platform::driver::PressKey(Win.hWnd_Main, VK_RIGHT, true));
  EXPECT_EQ(Win.Page_Start, 60000 + half);
  EXPECT_TRUE(platform::driver::PressKey(Win.hWnd_Main, VK_UP, false, true));
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], 0.1);
  // Keys typed ahead as the visible front end posts them: Up, then Ctrl+Up, with Ctrl
  // still held when the busy thread takes them. Each acts with the Ctrl of its own
  // typing: the first moves the cursor, the second the offset.
  namespace d = platform::detail;
  const LPARAM posted = 1 | d::kFollowFocusFlag;
  Win.Cursor_Y = 200;
  PostMessage(Win.hWnd_Main, WM_KEYDOWN, VK_UP, posted);
  PostMessage(Win.hWnd_Main, WM_KEYUP, VK_UP, posted);
  PostMessage(Win.hWnd_Main, WM_KEYDOWN, VK_CONTROL, posted | d::kControlHeldFlag);
  PostMessage(Win.hWnd_Main, WM_KEYDOWN, VK_UP, posted | d::kControlHeldFlag);
  platform::SetKeyDown(VK_CONTROL, true);
  platform::driver::PumpUntilIdle();
  EXPECT_EQ(Win.Cursor_Y, 190);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], 0.2);
  // Ctrl let go where no key-up reaches this thread (a message box had the keyboard):
  // the next Up is a plain one.
  platform::SetKeyDown(VK_CONTROL, false);
  EXPECT_TRUE(platform::driver::PressKey(Win.hWnd_Main, VK_UP));
  EXPECT_EQ(Win.Cursor_Y, 180);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], 0.2);
}

TEST_F(ViewKeysTest, FilePositionGoesToMarkerFileOnlyAtRawLevel) {
  ShowChannel(0);
  std::vector<std::string> texts;
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    texts.push_back(box.text);
    return IDOK;
  });
  Win.Cursor_X = 12;
  Key('P');
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "WRITE OF FILE POSITION FAILED TO ASCII FILE=[Mks]\n\nEXPAND TO RAW DATA VIEW");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("Mks")));

  Win.View_Level = WIN_RAW;
  Win.Page_Start = 300;
  Key('P');
  Win.Cursor_X = 2;
  Key('P');
  EXPECT_EQ(texts.size(), 1u);
  EXPECT_EQ(Status(2), "FILE POSITION SAVED TO FILE=[Mks]");
  std::ifstream in(dir_.File("Mks"));
  std::stringstream lines;
  lines << in.rdbuf();
  std::string text = lines.str();
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  EXPECT_EQ(text, "302\n312\n");
}

TEST_F(ViewKeysTest, InitialFrequencyAtCursorOnlyWhenConfirmed) {
  ShowChannel(0);
  std::vector<platform::BoxRequest> asked;
  int answer = IDNO;
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    asked.push_back(box);
    return answer;
  });
  Win.View_Level = 1;
  Win.Page_Start = 300;
  Win.Cursor_X = 20;  // 0.5 x (20 + 300 / 10) x 10 = 250 above f0
  EXPECT_EQ(Key('C'), 1);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].caption, "Question");
  EXPECT_EQ(asked[0].style, 0x1024u);
  EXPECT_EQ(asked[0].text,
            "DEFINE INITIAL ABSOLUTE FREQUENCY=[1000.000000] (DEFINED IN ANALYSIS DIALOG)\nAT CURSOR LOCATION [YES] | "
            "ABORT [NO]?");
  EXPECT_EQ(Dsp.Init_Frq, 1000.0);

  answer = IDYES;
  Key('C');
  EXPECT_DOUBLE_EQ(Dsp.Init_Frq, 750.0);
  // The cursor column now reads the old initial frequency.
  EXPECT_DOUBLE_EQ(DisplayPixelToFreqAt(1, Win.Page_Start, Win.Cursor_X), 1000.0);
}

TEST_F(ViewKeysTest, AverageKeysTakeFileMeanOverCursorWindow) {
  ShowChannel(0);
  Win.View_Level = WIN_RAW;
  Win.Cursor_X = 20;
  Win.Cursor_HalfWidth = 10;  // points 10..30 of a file holding i % 50
  Win.Cursor_Window_On = 1;
  Key('h');
  EXPECT_DOUBLE_EQ(Win.Chn_Ave2[0], 20.0);
  EXPECT_EQ(Win.Cursor_Window_On, 0u);
  EXPECT_EQ(Win.Cursor_Window_Set, 1u);
  Key('l');
  EXPECT_DOUBLE_EQ(Win.Chn_Ave1[0], 20.0);
  EXPECT_EQ(Sim.Lbl_AsnOnly, 1u);
}

TEST_F(ViewKeysTest, SetKeysOnSetsWithoutLines) {
  ShowChannel(0);
  Key('[');
  EXPECT_EQ(Status(3), "[A] SIM [NoName] - READ SIM FIRST");
  EXPECT_EQ(Sim.Dsp_Stat[0], 0u);
  Key('+');
  EXPECT_EQ(Sim.AB_Sum, 0u);  // not both displayed

  Key('k');
  EXPECT_EQ(Status(0), "[A] SIM [NoName] ASNS NOT MODIFIED");
  EXPECT_EQ(Sim.Asn_Modified[0], 0u);
  Sim.Cur_Set = 1;
  Key('K');
  EXPECT_EQ(Status(0), "[B] SIM [NoName] ASNS NOT MODIFIED");
  EXPECT_EQ(Sim.Redraw, 1u);

  Key('&');
  EXPECT_EQ(Sim.Dsp_Scalar[1], 2.0);
  Key('^');
  Key('^');
  EXPECT_EQ(Sim.Dsp_Scalar[1], 0.5);

  Dsp.Init_Frq = 12345678.9;
  Sim.Shift_Stat[3] = 1;
  Key('Z');
  for (int s = 0; s < SIM_SETS; ++s) EXPECT_EQ(Sim.Ref_Frq[s], 12000000.0);
  EXPECT_EQ(Sim.Shift_Stat[3], 0u);
  Key('z');
  EXPECT_EQ(Sim.Ref_Frq[0], 0.0);

  Win.Cursor_X = 10;
  Sim.Frq_Shift[1] = 100.0;
  Key('R');
  EXPECT_EQ(Sim.Shift_Stat[1], 1u);
  EXPECT_DOUBLE_EQ(Sim.Frq_ShiftRef[1], 12345678.9 + 10 * 50.0 - 100.0);
}

TEST_F(ViewKeysTest, SumOfAAndBOnlyWhileBothDisplayed) {
  ShowChannel(0);
  Sim.FI_Lines[0] = Sim.FI_Lines[1] = 3;
  Key('[');
  EXPECT_EQ(Sim.Dsp_Stat[0], 1u);
  EXPECT_EQ(Sim.Cur_Set, 0);
  Key(']');
  EXPECT_EQ(Sim.Cur_Set, 1);
  Key('+');
  EXPECT_EQ(Sim.AB_Sum, 1u);
  EXPECT_EQ(Sim.Sum_Stat[0], 1u);
  EXPECT_EQ(Sim.Sum_Stat[1], 1u);
  Key('[');  // set A off ends the sum
  EXPECT_EQ(Sim.Dsp_Stat[0], 0u);
  EXPECT_EQ(Sim.AB_Sum, 0u);
  EXPECT_EQ(Sim.Sum_Stat[0], 0u);
}

TEST_F(ViewKeysTest, CursorWindowSelectionForAssignment) {
  ShowChannel(0);
  Sim.Dsp_Stat[2] = 1;
  Win.Cursor_X = 100;
  Win.Cursor_HalfWidth = 4;
  Key('j');
  EXPECT_EQ(Sim.Asn_CursorX, 100);
  EXPECT_DOUBLE_EQ(Win.Cursor_Freq_Lo, 1000.0 + 96 * 50.0);
  EXPECT_DOUBLE_EQ(Win.Cursor_Freq_Hi, 1000.0 + 104 * 50.0);
  EXPECT_EQ(Sim.QN_Request[2], 1u);
  EXPECT_EQ(Sim.QN_Request[0], 0u);
  EXPECT_EQ(Sim.Redraw, 1u);

  // A falling frequency axis gives the edges in ascending order all the same.
  Dsp.FrqStpView[0] = -50.0;
  Key('j');
  EXPECT_LT(Win.Cursor_Freq_Lo, Win.Cursor_Freq_Hi);

  // Under AUTO CTR the page is centred on the cursor frequency first.
  Dsp.FrqStpView[0] = 50.0;
  Sim.Auto_Ctr = 1;
  Win.View_Level = 2;
  Win.Page_Start = 0;
  Win.Cursor_X = 900;  // raw point 2250
  Key('j');
  EXPECT_EQ(Win.Page_Start, 1000);
  EXPECT_EQ(Win.Cursor_X, 500);
}

}  // namespace
}  // namespace qvtest
