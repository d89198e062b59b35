// Child data and painting: an XY file of public data, one whose x turns back and one
// with a y that is not a number, a one-column file and its question, the marker
// diagnostic, the log/log refusal, cursor lines, the population histogram, the
// simulated time signal, the ring-down model array and a worker reading child data
// while the window paints.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/Coords.h"
#include "tests/display/ChildFixture.h"

namespace {

using qvtest::ChildTest;

// The readout's Y text.
std::string YText(double value) {
  char text[64];
  const double magnitude = std::fabs(value);
  if (magnitude >= 1.0 && magnitude <= 1.0e6)
    std::snprintf(text, sizeof text, " Y %-10.6lf", value);
  else
    std::snprintf(text, sizeof text, " Y %-10.6lg", value);
  return text;
}

TEST_F(ChildTest, AnXyFileOfPublicDataGivesItsRangeStepAndTexts) {
  const std::string path = std::string(QV95_TESTDATA_DIR) + "/xy/radis_slitfunction.txt";
  std::vector<double> xs, ys;
  {
    std::ifstream in(path);
    double x = 0.0, y = 0.0;
    while (in >> x >> y) {
      xs.push_back(x);
      ys.push_back(y);
    }
  }
  ASSERT_EQ(xs.size(), 40u);
  OpenAscii(0, 0, path);
  EXPECT_EQ(Cnl.Asc_Mode[0][0], 1);
  ASSERT_EQ(Cnl.Pt_Cnt[0][0], 40u);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_DOUBLE_EQ(Cnl.X_Stp[0][0], (xs.back() - xs.front()) / 40.0 * 1e-6);
  // The y values interpolated onto an even x grid: the file's range, within the
  // little the grid moves the peak.
  const double top = *std::max_element(ys.begin(), ys.end());
  EXPECT_NEAR(Cnl.Y_Max[0][0][0], top, 0.02 * top);
  EXPECT_NEAR(Cnl.Y_Min[0][0][0], 0.0, 0.02 * top);
  EXPECT_DOUBLE_EQ(Cnl.Y_Draw_DAry1[0][0][0], ys.front());
  EXPECT_EQ(ChildStatus(0, 0, 1), "FILE [" + path + "] READ: XY DATA");
  char range[200];
  std::snprintf(range, sizeof range, "Y MIN=[%le] Y MAX=[%le] SZ=[40]", Cnl.Y_Min[0][0][0], Cnl.Y_Max[0][0][0]);
  EXPECT_EQ(ChildStatus(0, 0, 3), range);

  // Readout at the plot's bottom row: the minimum, at x = first x + P x step.
  Win.Child_PtsPerPxl[0][0] = 1;
  Win.Child_PageStart[0][0] = 0;
  const int bottom = Win.Child_PlotTop[0][0] + Win.Child_PlotH[0][0];
  platform::driver::MouseMove(Win.hWnd_Child[0][0], 3, bottom);
  char x[100];
  std::snprintf(x, sizeof x, "[0] X(us) %-10.5le ", 3 * (xs.back() - xs.front()) / 40.0 + xs.front());
  const double h = Win.Child_PlotH[0][0];
  const double s = -h / (Cnl.Y_Max[0][0][0] - Cnl.Y_Min[0][0][0]);
  EXPECT_NEAR((h - Cnl.Fix_Ofs[0][0][0]) / s, Cnl.Y_Min[0][0][0], 1e-6 * top);
  EXPECT_EQ(ChildStatus(0, 0, 0), std::string(x) + YText((h - Cnl.Fix_Ofs[0][0][0]) / s) + " Pt 3");
  // The curve is drawn in the channel's pen.
  EXPECT_TRUE(ColumnHas(0, 0, 20, qvtest::kChannelBlue));

  // A measured x that turns back (1.9 read after 2): the pairs are plotted in the
  // order of their x, here points of one line.
  WriteText("jitter.txt", "0 0\r\n1 2\r\n2 4\r\n1.9 3.8\r\n4 8\r\n5 10\r\n");
  OpenAscii(1, 0, "jitter.txt");
  EXPECT_TRUE(boxes_.empty()) << ::testing::PrintToString(boxes_);
  EXPECT_EQ(ChildStatus(1, 0, 1), "FILE [jitter.txt] READ: XY DATA");
  ASSERT_EQ(Cnl.Pt_Cnt[1][0], 6u);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(Cnl.Y_Draw_DAry1[1][0][i], 2.0 * i, 1e-9) << i;

  // A y that is not a number refuses the file, naming it: the spline would spread it
  // over every point of the curve.
  WriteText("gap.txt", "0 0\r\n1 2\r\n2 nan\r\n3 6\r\n");
  OpenAscii(2, 0, "gap.txt");
  EXPECT_EQ(boxes_, std::vector<std::string>{"Warning|ChildDataRead()\n\nFILE [gap.txt]\n\nY VALUE [2]=[nan] IS NOT A "
                                             "NUMBER\n\nABORTING"});
  EXPECT_EQ(Cnl.Pt_Cnt[2][0], 0u);
}

TEST_F(ChildTest, AOneColumnFileAsksHowToPlotIt) {
  WriteText("one.txt", "5\r\n7\r\n9\r\n11\r\n");
  WriteText("Mks", "100\n200\n310\n400\n520\n600\n");
  const std::string question =
      "Question|FILE [one.txt]\n\nY ASCII DATA (COLUMN 2) MISSING\n\nPLOT AS Y DATA ONLY [YES] | MARKER DIAG (KAVO) "
      "[NO] | ABORT [ABORT]?";
  answers_ = {IDYES};
  OpenAscii(1, 0, "one.txt");
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], question);
  EXPECT_EQ(Cnl.Asc_Mode[1][0], 0);
  EXPECT_EQ(Cnl.Pt_Cnt[1][0], 4u);
  EXPECT_DOUBLE_EQ(Cnl.Y_Min[1][0][0], 5.0);
  EXPECT_DOUBLE_EQ(Cnl.Y_Max[1][0][0], 11.0);
  EXPECT_EQ(ChildStatus(1, 0, 1), "FILE [one.txt] READ: Y DATA ONLY");

  // No: the marker diagnostic of the marker file, spacing deviations in percent.
  answers_ = {IDNO};
  Cnl.Data_Pend[1][0] = 1;
  Repaint(1, 0);
  EXPECT_EQ(Cnl.Asc_Mode[1][0], 2);
  const double positions[] = {0, 100, 200, 310, 400, 520, 600};
  std::vector<double> expected;
  for (int i = 3; i < 7; ++i) {
    const double before = positions[i - 2] - positions[i - 3];
    const double spacing = positions[i - 1] - positions[i - 2];
    const double after = positions[i] - positions[i - 1];
    expected.push_back((spacing / ((before + after) / 2.0) - 1.0) * 100.0);
  }
  ASSERT_EQ(Cnl.MkDiag_Cnt, expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(Cnl.Y_Draw_DAry1[1][0][i], expected[i], 1e-12) << i;
  EXPECT_EQ(ChildStatus(1, 0, 1), "FILE [one.txt] READ: DIFF PLOT (KAVO)");
  EXPECT_EQ(ChildStatus(1, 0, 2), "Ymax=2.500000  Ymin=-2.500000");

  // Cancel: nothing is read, the window closes and the child shows nothing more.
  answers_ = {IDCANCEL};
  Cnl.Data_Pend[1][0] = 1;
  Repaint(1, 0);
  platform::driver::PumpUntilIdle();
  EXPECT_EQ(Win.Child_Created[1][0], 0u);
  EXPECT_EQ(Cnl.Asc_Stat[1][0], 0u);
  EXPECT_EQ(Cnl.Data_Pend[1][0], 0u);
  EXPECT_EQ(boxes_.size(), 3u);
}

TEST_F(ChildTest, LogLogIsRefusedOnAValueOfZero) {
  WriteText("y.txt", "1 \n2\n0\n4\n");
  Cnl.LogLog_Stat = 1;
  answers_ = {IDYES};
  OpenAscii(2, 0, "y.txt");
  EXPECT_EQ(Cnl.LogLog_Stat, 0u);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1], "Warning|ChildDataRead()\n\nINVALID LOG ARGUMENT FOR LOG/LOG SCALE\n\nABORTING");
  EXPECT_EQ(Cnl.Pt_Cnt[2][0], 4u);
  EXPECT_DOUBLE_EQ(Cnl.Y_Min[2][0][0], 0.0);
  EXPECT_DOUBLE_EQ(Cnl.Y_Max[2][0][0], 4.0);
}

TEST_F(ChildTest, CursorLinesAreDrawnOnlyInsideThePage) {
  std::vector<float> flat(5000, 0.0f);
  WriteFloatFile("t.bin", flat);
  OpenTimeFile(1, "t.bin");
  Win.Child_PtsPerPxl[1][0] = 2;
  Win.Child_PageStart[1][0] = 100;
  Win.Child_CursorLo[1][0] = 99;   // just before the page: (99 - 100) / 2 would be column 0
  Win.Child_CursorHi[1][0] = 160;  // column 30
  Repaint(1, 0);
  EXPECT_FALSE(ColumnHas(1, 0, 0, qvtest::kRowGrey));
  EXPECT_TRUE(ColumnHas(1, 0, 30, qvtest::kRowGrey));
  const int32_t width = Win.Child_PlotW[1][0];
  Win.Child_CursorHi[1][0] = 100 + 2 * width;  // one column past the last
  Repaint(1, 0);
  EXPECT_FALSE(ColumnHas(1, 0, 30, qvtest::kRowGrey));
  for (int x = width - 3; x < width; ++x) EXPECT_FALSE(ColumnHas(1, 0, x, qvtest::kRowGrey)) << x;
  // FFT limits appear in row 3 only while the frequency window exists.
  Win.Fft_LimLo[1] = 120;  // column 10
  Repaint(1, 0);
  EXPECT_FALSE(ColumnHas(1, 0, 10, qvtest::kRowGreen));
  ASSERT_EQ(ChildWindowOpenClose(1, 1, 1), 1);
  Repaint(1, 0);
  EXPECT_TRUE(ColumnHas(1, 0, 10, qvtest::kRowGreen));
}

TEST_F(ChildTest, APopulationHistogramPutsMembersOutsideTheLimitsInTheLastBin) {
  // One gene: five members, then the limits 0 and 1.
  std::vector<double> population = {0.1, 0.5, 5.0, -3.0, 0.9, 0.0, 1.0};
  Ga.Pop_DPt[0] = population.data();
  Ga.Pop_Size[0] = 5;
  StrCopy(Ga.Gene_Name[0][0], "ROT");
  Ga.PopPlot_Stat[0] = 1;
  Ga.Hist_Stat[0] = 1;
  ASSERT_EQ(ChildWindowOpenClose(1, 0, 0), 1);
  const int32_t bins = Win.Child_PlotW[0][0];
  ASSERT_EQ(Cnl.Tmp_PLM_Sz, static_cast<uint32_t>(bins));
  EXPECT_EQ(Cnl.Tmp_PLM_FPt[bins - 1], 2.0f);
  EXPECT_EQ(Cnl.Tmp_PLM_FPt[static_cast<int32_t>(0.1 * bins + 0.5)], 1.0f);
  EXPECT_DOUBLE_EQ(Cnl.Y_Max[0][0][0], 2.0);
  EXPECT_DOUBLE_EQ(Cnl.Y_Min[0][0][0], 0.0);
  EXPECT_DOUBLE_EQ(Ga.X_Stp[0], 1.0 / bins);
  char text[200];
  std::snprintf(text, sizeof text, "GENE=ROT AVE=%.5le RMS=", 0.7);
  EXPECT_EQ(ChildStatus(0, 0, 2).rfind(text, 0), 0u) << ChildStatus(0, 0, 2);
  EXPECT_EQ(ChildStatus(0, 0, 1), "Xmin=0.0e+00  Xmax=1.0e+00 Ymin=0 Ymax=2");
  // The readout shows the plot's own x.
  platform::driver::MouseMove(Win.hWnd_Child[0][0], 10, Win.Child_PlotTop[0][0]);
  std::snprintf(text, sizeof text, "X %-15.8lf: ", 10.0 / bins);
  EXPECT_EQ(ChildStatus(0, 0, 0).rfind(text, 0), 0u) << ChildStatus(0, 0, 0);
  Ga.Pop_DPt[0] = nullptr;
}

TEST_F(ChildTest, TheTimeSignalFollowsItsFormulaAndASecondPaintChangesNothing) {
  Sim.Sine_FFT = 1;
  Sim.Cur_Set = 0;
  Sim.Sine_Stat[0] = 1;
  Sim.Sine_Amp[0][0] = 0.3;
  Sim.Sine_Period[0][0] = 0.01;
  Sim.Sine_Phase[0][0] = 0.25;
  Sim.Sine_Ofs[0] = 1;
  Sim.Dsp_Intercept[0] = 2.0;
  Win.View_Level = WIN_RAW;
  Dsp.Pts2Pxl[WIN_RAW] = 1.0;
  Dsp.FrqStpView[WIN_RAW] = 0.5;
  Win.Page_Width = 300;
  Win.Page_Start = 50;
  ASSERT_EQ(ChildWindowOpenClose(1, 0, 0), 1);
  auto model = [](int i) {
    const double t = DisplayPixelToFreq(WIN_RAW, 50 + i) - 2.0;
    return 0.3 * (std::sin(2.0 * M_PI * (t * 0.01 + 0.25)) + 1.0);
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (int i : {0, 123, 299}) EXPECT_NEAR(Win.CM_DrawAry1[i], model(i), 1e-6) << "column " << i;
    Repaint(0, 0);
  }
  // With the dialog closed the array is drawn as it is: all zero now.
  Sim.Sine_Stat[0] = 0;
  Repaint(0, 0);
  EXPECT_EQ(Win.CM_DrawAry1[123], 0.0f);
}

TEST_F(ChildTest, TheRingDownModelArrayGrowsWithThePointCount) {
  std::vector<float> fit(3000);
  for (size_t i = 0; i < fit.size(); ++i) fit[i] = static_cast<float>(std::exp(-0.001 * i));
  WriteFloatFile("fit.bin", fit);
  StrCopy(Lsf.Res_Base, "fit.bin");
  Lsf.Fit_PtBeg = 0;
  Lsf.Fit_PtEnd = 3000;
  Lsf.Seq_Rdf = 1;
  ASSERT_FALSE(QvAllocFailed(DAlloc1Dim(&Cnl.Y_Draw_DAry3[2][0], 10)));
  Cnl.Y_Draw_Sz3[2][0] = 10;
  Cnl.Time_Stat[2][0] = 1;
  Cnl.Asc_Mode[2][0] = 3;
  Cnl.Data_Pend[2][0] = 1;
  ASSERT_EQ(ChildWindowOpenClose(1, 2, 0), 1);
  ASSERT_EQ(Cnl.Pt_Cnt[2][0], 3000u);
  EXPECT_EQ(Cnl.Y_Draw_Sz3[2][0], 3000u);
  EXPECT_EQ(Cnl.Y_Draw_DAry3[2][0][2999], Cnl.Y_Draw_DAry3[2][0][0]);
  EXPECT_FLOAT_EQ(static_cast<float>(Cnl.Y_Draw_DAry4[2][0][2999]), fit[2999]);
  // Fit points past the end of the file: the sequence shows the points the file holds,
  // as the fit takes them, without a range warning at every paint.
  Lsf.Fit_PtBeg = 1000;
  Lsf.Fit_PtEnd = 4000;
  const size_t boxes = boxes_.size();
  Cnl.Data_Pend[2][0] = 1;
  ASSERT_EQ(ChildDataRead(2, 0), 1);
  EXPECT_EQ(Cnl.Pt_Cnt[2][0], 2000u);
  EXPECT_FLOAT_EQ(static_cast<float>(Cnl.Y_Draw_DAry4[2][0][1999]), fit[2999]);
  EXPECT_EQ(boxes_.size(), boxes);
  Lsf.Fit_PtEnd = 3000;
  // The minimum cut set by a double click at the bottom row is the y minimum.
  platform::driver::MouseClick(Win.hWnd_Child[2][0], platform::driver::Mouse::LeftDouble, 5,
                               Win.Child_PlotTop[2][0] + Win.Child_PlotH[2][0]);
  EXPECT_NEAR(Lsf.Rdf_MinCut, Cnl.Y_Min[2][0][0], 1e-12);
  char text[100];
  std::snprintf(text, sizeof text, "MIN CUT=%le ", Lsf.Rdf_MinCut);
  EXPECT_EQ(ChildStatus(2, 0, 2), text);
}

TEST_F(ChildTest, AWorkerReadsChildDataWhileTheWindowPaints) {
  std::vector<float> big(20000), small(3000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<float>(std::sin(0.01 * i));
  for (size_t i = 0; i < small.size(); ++i) small[i] = static_cast<float>(i);
  WriteFloatFile("big.bin", big);
  WriteFloatFile("small.bin", small);
  OpenTimeFile(7, "big.bin");
  std::atomic<bool> done{false};
  std::thread worker([&done] {
    for (int i = 0; i < 200; ++i) {
      EnterCriticalSection(&ChildDataLock);
      StrCopy(Trans.Trans_TimeFlnm[7], i % 2 ? "big.bin" : "small.bin");
      Cnl.Data_Pend[7][0] = 1;
      ChildDataRead(7, 0);
      LeaveCriticalSection(&ChildDataLock);
    }
    done = true;
  });
  while (!done) {
    Repaint(7, 0);
    platform::driver::PumpUntilIdle();
  }
  worker.join();
  Repaint(7, 0);
  EXPECT_EQ(Cnl.Pt_Cnt[7][0], 20000u);
  EXPECT_TRUE(ColumnHas(7, 0, 5, qvtest::kChannelBlue));
}

}  // namespace
