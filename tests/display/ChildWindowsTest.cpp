// Child windows: creation, toolbar and status bar, reopening at the place they were
// left, the view commands on a float file, marks and FFT limits, sub-channels, the
// fixed offset and the readouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "fileproc/Fourier.h"
#include "tests/display/ChildFixture.h"

namespace {

using qvtest::ChildTest;

std::vector<float> Ramp(size_t n) {
  std::vector<float> values(n);
  for (size_t i = 0; i < n; ++i) values[i] = static_cast<float>(i % 100);
  return values;
}

TEST_F(ChildTest, OpenCreatesTheWindowWithItsBarsAndReopensWhereItWasLeft) {
  ASSERT_EQ(ChildWindowOpenClose(1, 2, 0), 1);
  HWND window = Win.hWnd_Child[2][0];
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(Win.Child_Created[2][0], 1u);
  char title[100];
  GetWindowText(window, title, sizeof title);
  EXPECT_STREQ(title, "TIME DOMAIN WINDOW [2]");
  EXPECT_EQ(platform::ClassNameOf(window), "TIME DOMAIN WINDOW");
  HWND toolbar = Win.hWnd_ChildToolBar[2][0];
  EXPECT_EQ(GetDlgCtrlID(toolbar), IDC_CHILD_TOOLBAR);
  EXPECT_EQ(SendMessage(toolbar, TB_BUTTONCOUNT, 0, 0), 10);
  EXPECT_EQ(GetDlgCtrlID(Win.hWnd_ChildStatus[2][0]), IDC_CHILD_STATUSBAR);
  EXPECT_EQ(ChildStatus(2, 0, 0), "CHN=[0] TIME ALL");
  // The first paint put the cursor in the middle of the plot.
  EXPECT_EQ(Win.Child_CursorX[2][0], Win.Child_PlotW[2][0] / 2);

  // Opening an open window keeps it and only repaints it and sends command 70.
  Win.Sub_Chn[1] = 2;
  ASSERT_EQ(ChildWindowOpenClose(1, 2, 1), 1);
  EXPECT_EQ(ChildStatus(2, 1, 0), "CHN=[0] FREQ FFT & ELSE");
  EXPECT_EQ(Win.Sub_Chn[1], 0);
  EXPECT_EQ(ChildWindowOpenClose(1, 2, 0), 1);
  EXPECT_EQ(Win.hWnd_Child[2][0], window);

  // Moved and sized, closed and opened again: the same place, twice over.
  MoveWindow(window, 120, 80, 700, 260, TRUE);
  EXPECT_EQ(Win.Child_X[2][0], 120);
  EXPECT_EQ(Win.Child_Y[2][0], 80);
  EXPECT_EQ(Win.Child_W[2][0], 700);
  EXPECT_EQ(Win.Child_H[2][0], 260);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(ChildWindowOpenClose(0, 2, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Win.Child_Created[2][0], 0u);
    EXPECT_EQ(Win.hWnd_Child[2][0], nullptr);
    EXPECT_EQ(Win.hWnd_ChildStatus[2][0], nullptr);
    ASSERT_EQ(ChildWindowOpenClose(1, 2, 0), 1);
    window = Win.hWnd_Child[2][0];
    EXPECT_EQ(Win.Child_Created[2][0], 1u);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 120);
    EXPECT_EQ(rect.top, 80);
    EXPECT_EQ(rect.right - rect.left, 700);
    EXPECT_EQ(rect.bottom - rect.top, 260);
  }
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(ChildTest, PagingAFloatFileWithSeveralPointsPerPixelReachesTheLastPage) {
  const size_t n = 50000;
  WriteFloatFile("t.bin", Ramp(n));
  OpenTimeFile(1, "t.bin");
  ASSERT_EQ(Cnl.Pt_Cnt[1][0], n);
  const int32_t width = Win.Child_PlotW[1][0];
  ASSERT_GT(width, 100);
  Win.Child_CursorX[1][0] = 0;
  Command(1, 0, IDC_CHILD_CONTRACT);
  Command(1, 0, IDC_CHILD_CONTRACT);
  EXPECT_EQ(Win.Child_PtsPerPxl[1][0], 4);
  EXPECT_EQ(ChildStatus(1, 0, 0), "AVERAGE PTS/PXL=[4]");
  // Forward to the end: the page stops at the last full page and the curve reaches
  // the right edge.
  for (int i = 0; i < 200; ++i) Command(1, 0, IDC_CHILD_FORWARD);
  EXPECT_EQ(Win.Child_PageStart[1][0], static_cast<int32_t>(n) - 4 * width);
  EXPECT_TRUE(ColumnHas(1, 0, width - 1, qvtest::kChannelBlue));
  EXPECT_TRUE(ColumnHas(1, 0, 0, qvtest::kChannelBlue));
  // Back twice moves by half a page each.
  const int32_t end = Win.Child_PageStart[1][0];
  Command(1, 0, IDC_CHILD_BACK);
  EXPECT_EQ(Win.Child_PageStart[1][0], end - (width / 2) * 4);
  // Expanding at column 10 halves p and moves the start by 10 p; at p = 1 only the
  // end limit applies.
  Win.Child_PageStart[1][0] = 1000;
  Win.Child_CursorX[1][0] = 10;
  Command(1, 0, IDC_CHILD_EXPAND);
  EXPECT_EQ(Win.Child_PtsPerPxl[1][0], 2);
  EXPECT_EQ(Win.Child_PageStart[1][0], 1020);
  EXPECT_EQ(ChildStatus(1, 0, 0), "AVERAGE PTS/PXL=[2] INIT=[1020] CUR=[10]");
  Command(1, 0, IDC_CHILD_EXPAND);
  Command(1, 0, IDC_CHILD_EXPAND);
  EXPECT_EQ(Win.Child_PtsPerPxl[1][0], 1);
  Win.Child_PageStart[1][0] = static_cast<int32_t>(n);
  Command(1, 0, IDC_CHILD_EXPAND);
  EXPECT_EQ(Win.Child_PtsPerPxl[1][0], 1);
  EXPECT_EQ(Win.Child_PageStart[1][0], static_cast<int32_t>(n) - width);
  Command(1, 0, IDC_CHILD_BACK);
  Win.Child_PageStart[1][0] = 5;
  Command(1, 0, IDC_CHILD_BACK);
  EXPECT_EQ(Win.Child_PageStart[1][0], 0);
  // The keys 'X' and 'x' are commands 74 and 73.
  SendMessage(Win.hWnd_Child[1][0], WM_CHAR, 'X', 0);
  EXPECT_EQ(Win.Child_PtsPerPxl[1][0], 2);
  SendMessage(Win.hWnd_Child[1][0], WM_CHAR, 'x', 0);
  EXPECT_EQ(Win.Child_PtsPerPxl[1][0], 1);
}

TEST_F(ChildTest, ContractingStopsBeforeThePageLeavesThirtyTwoBits) {
  WriteFloatFile("t.bin", Ramp(1000));
  OpenTimeFile(0, "t.bin");
  Win.Child_CursorX[0][0] = 0;
  for (int i = 0; i < 40; ++i) Command(0, 0, IDC_CHILD_CONTRACT);
  const int64_t p = Win.Child_PtsPerPxl[0][0];
  EXPECT_GT(p, 1);
  EXPECT_LE(p * Win.Child_PlotW[0][0], std::numeric_limits<int32_t>::max());
  EXPECT_GT(2 * p * Win.Child_PlotW[0][0], std::numeric_limits<int32_t>::max());
  Command(0, 0, IDC_CHILD_FORWARD);  // divides by p: no crash
  Repaint(0, 0);
}

TEST_F(ChildTest, MarksClearEachOtherAndFftLimitsAreSwappedInTheirOwnWindowOnly) {
  WriteFloatFile("t.bin", Ramp(5000));
  OpenTimeFile(3, "t.bin");
  HWND time = Win.hWnd_Child[3][0];
  Win.Child_PtsPerPxl[3][0] = 2;
  Win.Child_PageStart[3][0] = 100;
  const int top = Win.Child_PlotTop[3][0];
  // Lower mark by a left double click; the upper one on the same point clears both.
  platform::driver::MouseClick(time, platform::driver::Mouse::LeftDouble, 10, top + 20);
  EXPECT_EQ(Win.Child_CursorLo[3][0], 120);
  EXPECT_EQ(ChildStatus(3, 0, 1), "LOWER MARK=[120]");
  platform::driver::MouseClick(time, platform::driver::Mouse::RightDouble, 10, top + 20);
  EXPECT_EQ(Win.Child_CursorLo[3][0], 0);
  EXPECT_EQ(Win.Child_CursorHi[3][0], 0);
  EXPECT_EQ(ChildStatus(3, 0, 1), "UPPER MARK=[0]");

  // Without a frequency window command 82 sets the lower mark.
  Win.Child_CursorX[3][0] = 5;
  Command(3, 0, IDC_CHILD_MARK_LOW);
  EXPECT_EQ(Win.Child_CursorLo[3][0], 110);
  EXPECT_EQ(Win.Fft_LimLo[3], 0);

  // With it: FFT limits; a lower one alone gets upper = lower + 10, reversed ones swap.
  ASSERT_EQ(ChildWindowOpenClose(1, 3, 1), 1);
  Win.Child_CursorX[3][0] = 50;
  Command(3, 0, IDC_CHILD_MARK_LOW);
  EXPECT_EQ(Win.Fft_LimLo[3], 200);
  EXPECT_EQ(Win.Fft_LimHi[3], 210);
  Win.Child_CursorX[3][0] = 20;
  Command(3, 0, IDC_CHILD_MARK_HIGH);
  EXPECT_EQ(Win.Fft_LimLo[3], 140);
  EXPECT_EQ(Win.Fft_LimHi[3], 200);
  EXPECT_EQ(ChildStatus(3, 0, 0), "FFT LIMITS SET=[140] [200]");
  EXPECT_EQ(Win.Child_CursorLo[3][0], 110);

  // The frequency window's commands set only its own pair.
  Win.Child_PageStart[3][1] = 0;
  Win.Child_PtsPerPxl[3][1] = 1;
  Win.Child_CursorX[3][1] = 30;
  Command(3, 1, IDC_CHILD_MARK_LOW);
  Win.Child_CursorX[3][1] = 40;
  Command(3, 1, IDC_CHILD_MARK_HIGH);
  EXPECT_EQ(Win.Child_CursorLo[3][1], 30);
  EXPECT_EQ(Win.Child_CursorHi[3][1], 40);
  EXPECT_EQ(ChildStatus(3, 1, 3), "Y MIN=[-1.0e+00] MAX=[1.0e+00]");
  EXPECT_EQ(Win.Fft_LimLo[3], 140);
  EXPECT_EQ(Win.Fft_LimHi[3], 200);
  EXPECT_EQ(Win.Child_CursorLo[3][0], 110);
  EXPECT_EQ(Win.Child_CursorHi[3][0], 0);
  Win.Child_CursorX[3][1] = 30;
  Command(3, 1, IDC_CHILD_MARK_HIGH);
  EXPECT_EQ(Win.Child_CursorLo[3][1], 0);
  EXPECT_EQ(Win.Child_CursorHi[3][1], 0);
}

TEST_F(ChildTest, ReadoutOfAFloatFileAtKnownMousePoints) {
  std::vector<float> values(4000);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(i) * 0.5f - 100.0f;
  WriteFloatFile("t.bin", values);
  OpenTimeFile(4, "t.bin");
  EXPECT_DOUBLE_EQ(Cnl.Y_Min[4][0][0], -100.0);
  EXPECT_DOUBLE_EQ(Cnl.Y_Max[4][0][0], 1899.5);
  EXPECT_EQ(ChildStatus(4, 0, 3), "FILE [t.bin] READ: MIN=[-1.000000e+02] MAX=[1.899500e+03] SZ=[4000]");
  Cnl.Horz_Intv[4][0] = 1.0e-6;  // the transform's time file: points HORZ INTV apart
  Win.Child_PtsPerPxl[4][0] = 2;
  Win.Child_PageStart[4][0] = 100;
  const int top = Win.Child_PlotTop[4][0];
  const double h = Win.Child_PlotH[4][0];
  // Bottom row: the minimum; the top row: the maximum.
  platform::driver::MouseMove(Win.hWnd_Child[4][0], 7, top + static_cast<int>(h));
  EXPECT_EQ(ChildStatus(4, 0, 0), "[4] X(us) 1.14000e+02  Y -100.000000 Pt 114");
  platform::driver::MouseMove(Win.hWnd_Child[4][0], 0, top);
  EXPECT_EQ(ChildStatus(4, 0, 0), "[4] X(us) 1.00000e+02  Y 1899.500000 Pt 100");
  // Small values switch to %lg; an empty range has no readout.
  Cnl.Y_Min[4][0][0] = 0.0;
  Cnl.Y_Max[4][0][0] = 0.5;
  Cnl.Fix_Ofs[4][0][0] = h;  // the minimum on the bottom row, as a read of that range puts it
  platform::driver::MouseMove(Win.hWnd_Child[4][0], 0, top + static_cast<int>(h) - 1);
  char expected[100];
  std::snprintf(expected, sizeof expected, "[4] X(us) 1.00000e+02  Y %-10.6lg Pt 100", 0.5 / h);
  EXPECT_EQ(ChildStatus(4, 0, 0), expected);
  Cnl.Y_Max[4][0][0] = 0.0;
  platform::driver::MouseMove(Win.hWnd_Child[4][0], 3, 3);
  EXPECT_EQ(ChildStatus(4, 0, 0), "INVALID X | Y TIME");

  // The data window prints the channel and its own x step.
  ASSERT_EQ(ChildWindowOpenClose(1, 4, 2), 1);
  Cnl.X_Stp[4][2] = 0.25;
  Win.Child_PtsPerPxl[4][2] = 1;
  Win.Child_PageStart[4][2] = 0;
  platform::driver::MouseMove(Win.hWnd_Child[4][2], 8, Win.Child_PlotTop[4][2] + Win.Child_PlotH[4][2]);
  EXPECT_EQ(ChildStatus(4, 2, 0), "X[4] 2.00000e+00  Y -1.000000  Pt 8");
}

TEST_F(ChildTest, ReadoutsReadTheDrawnCurvesAndTheTransformsTimeAndFrequency) {
  // 4,096 points of a decaying oscillation, 0.01 us apart, transformed at their own
  // size (n = 4,096) as the time window reads them.
  std::vector<float> values(4096);
  for (size_t i = 0; i < values.size(); ++i)
    values[i] = static_cast<float>(std::exp(-static_cast<double>(i) / 300.0) * std::cos(0.05 * static_cast<double>(i)));
  WriteFloatFile("t.bin", values);
  Cnl.Horz_Intv[4][0] = 0.01e-6;
  Trans.Trans_FrqSzFactor[4] = 1.0;
  Trans.Trans_Fft_Flag[4] = 1;
  OpenTimeFile(4, "t.bin");
  ASSERT_EQ(Trans.Trans_Fft_Flag[4], 1u);
  ASSERT_EQ(ChildWindowOpenClose(1, 4, 1), 1);
  platform::driver::PumpUntilIdle();
  ASSERT_EQ(Trans.Trans_FreqSz[4], 2048);

  // The readout at a row where column x of the curve is drawn inside the plot (the
  // first such column from `from` on) gives a value between those of its neighbouring
  // points (within a row and a half).
  auto onCurve = [&](int16_t k, int from, const float* v) {
    Repaint(4, k);
    const int top = Win.Child_PlotTop[4][k], h = Win.Child_PlotH[4][k];
    int row = -1, x = from;
    for (; x < Win.Child_PlotW[4][k] - 1 && row < 0; ++x)
      for (int y = top + 1; y < top + h && row < 0; ++y)
        if (Pixel(4, k, x, y) == qvtest::kChannelBlue) row = y;
    --x;
    ASSERT_GE(row, 0) << "kind " << k;
    platform::driver::MouseMove(Win.hWnd_Child[4][k], x, row);
    const std::string text = ChildStatus(4, k, 0);
    const size_t at = text.find(" Y ");
    ASSERT_NE(at, std::string::npos) << text;
    const double y = std::strtod(text.c_str() + at + 3, nullptr);
    const float lo = std::min({v[x - 1], v[x], v[x + 1]}), hi = std::max({v[x - 1], v[x], v[x + 1]});
    const double oneRow = (Cnl.Y_Max[4][k][0] - Cnl.Y_Min[4][k][0]) / (h * Cnl.Y_Factor[4][k]);
    EXPECT_GE(y, lo - 1.5 * oneRow) << "kind " << k << ": " << text;
    EXPECT_LE(y, hi + 1.5 * oneRow) << "kind " << k << ": " << text;
  };

  // Time window: point 200 lies at 2 us; the curve reads right after x2 and FIX OFS.
  Win.Child_PtsPerPxl[4][0] = 1;
  Win.Child_PageStart[4][0] = 200;
  platform::driver::MouseMove(Win.hWnd_Child[4][0], 0, Win.Child_PlotTop[4][0] + 5);
  EXPECT_EQ(ChildStatus(4, 0, 0).rfind("[4] X(us) 2.00000e+00  Y ", 0), 0u) << ChildStatus(4, 0, 0);
  Win.Child_PageStart[4][0] = 0;
  Command(4, 0, IDC_CHILD_SCALE_UP);
  onCurve(0, 1, values.data());
  Win.Child_CursorY[4][0] = Win.Child_PlotH[4][0] / 3;
  Command(4, 0, IDC_CHILD_FIX_OFS);
  onCurve(0, 1, values.data());

  // Frequency window: bin 200 lies at 200 / (n dt), 4.88281 MHz at 0.01 us and
  // 2.44141 MHz at 0.02 us; the magnitude reads right after x2 and FIX OFS.
  Win.Child_PtsPerPxl[4][1] = 1;
  Win.Child_PageStart[4][1] = 200;
  platform::driver::MouseMove(Win.hWnd_Child[4][1], 0, Win.Child_PlotTop[4][1] + 5);
  EXPECT_EQ(ChildStatus(4, 1, 0).rfind("[4] X(MHz) 4.88281e+00  Y ", 0), 0u) << ChildStatus(4, 1, 0);
  Cnl.Horz_Intv[4][0] = 0.02e-6;
  platform::driver::MouseMove(Win.hWnd_Child[4][1], 0, Win.Child_PlotTop[4][1] + 6);
  EXPECT_EQ(ChildStatus(4, 1, 0).rfind("[4] X(MHz) 2.44141e+00  Y ", 0), 0u) << ChildStatus(4, 1, 0);
  Win.Child_PageStart[4][1] = 0;
  Command(4, 1, IDC_CHILD_SCALE_UP);
  Win.Child_CursorY[4][1] = Win.Child_PlotH[4][1] / 2;
  Command(4, 1, IDC_CHILD_FIX_OFS);
  onCurve(1, 1, Trans.Trans_Freq_FAry[4][0]);
  TransChannelFree(4);
}

TEST_F(ChildTest, ScaleSubChannelAndFixedOffsetCommands) {
  WriteFloatFile("t.bin", Ramp(1000));
  OpenTimeFile(5, "t.bin");
  Command(5, 0, IDC_CHILD_SCALE_UP);
  EXPECT_EQ(ChildStatus(5, 0, 0), "BIN: SCALAR=[2.000]");
  Command(5, 0, IDC_CHILD_SCALE_DOWN);
  Command(5, 0, IDC_CHILD_SCALE_DOWN);
  EXPECT_DOUBLE_EQ(Cnl.Y_Factor[5][0], 0.5);

  // Nothing scalable in the frequency window.
  ASSERT_EQ(ChildWindowOpenClose(1, 5, 1), 1);
  Command(5, 1, IDC_CHILD_SCALE_UP);
  EXPECT_EQ(ChildStatus(5, 1, 0), "VERTICAL TOOL DISABLED");

  // Sub-channels: transform mode with all arrays steps 0 -> 1 -> 2 -> 0 and prints the
  // sub-channel, not the channel.
  Trans.Trans_Fft_Flag[5] = 1;
  Trans.Trans_ReImPh_Flag[5] = 1;
  Command(5, 1, IDC_CHILD_SUBCHN);
  EXPECT_EQ(Win.Sub_Chn[1], 1);
  EXPECT_EQ(ChildStatus(5, 1, 0), "CHN=[1]");
  EXPECT_EQ(ChildStatus(5, 1, 3), "CHN=[1] MIN=[-1.0e+00] MAX=[1.0e+00] AVE=[0.0e+00] FIX OFS=[0.0e+00]");
  Command(5, 1, IDC_CHILD_SUBCHN);
  Command(5, 1, IDC_CHILD_SUBCHN);
  EXPECT_EQ(Win.Sub_Chn[1], 0);
  Command(5, 1, IDC_CHILD_SCALE_UP);
  EXPECT_EQ(ChildStatus(5, 1, 0), "CHN=[0] SCALAR=[2.000]");
  // Data window: 0 -> 3, and back only with a phase array.
  ASSERT_EQ(ChildWindowOpenClose(1, 5, 2), 1);
  Command(5, 2, IDC_CHILD_SUBCHN);
  EXPECT_EQ(Win.Sub_Chn[2], 3);
  EXPECT_EQ(ChildStatus(5, 2, 1), "ACT CHN=[3]");
  Command(5, 2, IDC_CHILD_SUBCHN);
  EXPECT_EQ(Win.Sub_Chn[2], 3);
  Trans.Trans_Fft_Flag[5] = 0;

  // Command 85 in the time window: the average of the data at the cursor row.
  Win.Child_CursorY[5][0] = 40;
  Command(5, 0, IDC_CHILD_FIX_OFS);
  const double s = -Win.Child_PlotH[5][0] / 99.0 * 0.5;
  EXPECT_DOUBLE_EQ(Cnl.Y_Ave[5][0][0], 49.5);
  EXPECT_NEAR(Cnl.Fix_Ofs[5][0][0], 40.0 - s * 49.5, 1e-9);
  EXPECT_EQ(ChildStatus(5, 0, 0), "CHN=[0] TIME TRANS");
  // On an empty range the offset stays.
  Cnl.Y_Min[5][1][0] = Cnl.Y_Max[5][1][0] = 3.0;
  Cnl.Fix_Ofs[5][1][0] = 12.0;
  Command(5, 1, IDC_CHILD_FIX_OFS);
  EXPECT_DOUBLE_EQ(Cnl.Fix_Ofs[5][1][0], 12.0);
  EXPECT_EQ(ChildStatus(5, 1, 3), "CHN=[0] MIN=[3.0e+00] MAX=[3.0e+00] AVE=[0.0e+00] FIX OFS=[1.2e+01] FREQ ELSE");
}

TEST_F(ChildTest, ClosingAFrequencyWindowDuringALineShapeFitEndsItAndMovesTheMarks) {
  ASSERT_EQ(ChildWindowOpenClose(1, 6, 1), 1);
  WNDCLASS wc;
  wc.lpfnWndProc = &qvtest::TestMainWindowProc;
  wc.lpszClassName = "CHILD TEST FIT DIALOG";
  RegisterClass(&wc);
  HWND dialog =
      CreateWindowEx(0, "CHILD TEST FIT DIALOG", "VOIGT", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  Lsf.Voigt_Hwnd[0] = dialog;
  Lsf.Seq_Voigt = 1;
  Cnl.Time_Stat[6][1] = 1;
  Win.Child_CursorLo[6][1] = 33;
  Win.Child_CursorHi[6][1] = 77;
  Win.Pt_Lim[0][0] = 5;
  Win.Pt_Lim[0][1] = 6;
  ChildWindowOpenClose(0, 6, 1);
  EXPECT_EQ(Lsf.Seq_Voigt, 0u);
  EXPECT_EQ(Cnl.Time_Stat[6][1], 0u);
  EXPECT_EQ(Win.Pt_Lim[0][0], 33);
  EXPECT_EQ(Win.Pt_Lim[0][1], 77);
  EXPECT_EQ(Win.Pt_Lim0_Save[0], 5);
  EXPECT_EQ(Win.Pt_Lim0_Save[1], 6);
  DestroyWindow(dialog);
}

}  // namespace
