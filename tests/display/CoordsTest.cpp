#include "core/Coords.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "display/ViewKeys.h"
#include "platform/windows/MessageBox.h"
#include "records/Dsp.h"
#include "records/Win.h"
#include "tests/support/TempDir.h"

namespace {

class CoordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Win = WinRecord{};
    Dsp = DspRecord{};
    platform::ClearBoxLog();
    platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override {
    platform::SetBoxAnswerer(nullptr);
    std::filesystem::current_path(previous_);
  }
  // A channel of count points on an axis starting at f0 with step df; level v shows
  // ppp[v] points per pixel.
  void Axis(double f0, double df, uint32_t count) {
    Dsp.Init_Frq = f0;
    Dsp.Frq_Stp = df;
    Dsp.FSR = 100.0 * df;
    Dsp.Pts_FSR = 100;
    const double ppp[4] = {100.0, 10.0, 4.0, 1.0};
    for (int v = 0; v < 4; ++v) {
      Dsp.Pts2Pxl[v] = ppp[v];
      Dsp.FrqStpView[v] = ppp[v] * df;
    }
    Dsp.FL_SZ[WIN_RAW][0] = count;
  }
  std::string Read(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  qvtest::TempDir dir_;
  std::filesystem::path previous_;
};

TEST_F(CoordsTest, ZeroTablesBecomeOneForGood) {
  Dsp.Pts2Pxl[1] = 0.0;
  Win.Page_Start = 10;
  EXPECT_EQ(DisplayPointToPixel(1, 25), 15);
  EXPECT_EQ(Dsp.Pts2Pxl[1], 1.0);
  Dsp.FrqStpView[2] = 0.0;
  Dsp.Pts2Pxl[2] = 1.0;
  EXPECT_EQ(DisplayPointToFreq(2, 7), 7.0);
  EXPECT_EQ(Dsp.FrqStpView[2], 1.0);
  Dsp.FSR = 0.0;
  Dsp.Pts_FSR = 10;
  EXPECT_EQ(DisplayFreqToPoint(9, 3.0), 30);
  EXPECT_EQ(Dsp.FSR, 1.0);
}

TEST_F(CoordsTest, RoundingAtEveryViewLevel) {
  Axis(1000.0, 0.5, 100000);
  for (int16_t v = 0; v <= 3; ++v) {
    SCOPED_TRACE(v);
    double ppp = Dsp.Pts2Pxl[v];
    Win.Page_Start = 2000;
    for (int32_t pixel : {0, 1, 7, 499}) {
      int32_t point = DisplayPixelToPoint(v, pixel);
      EXPECT_EQ(point, static_cast<int32_t>(2000 + pixel * ppp + 0.5));
      EXPECT_EQ(DisplayPointToPixel(v, point), pixel);
      double f = DisplayPixelToFreqAt(v, Win.Page_Start, pixel);
      EXPECT_DOUBLE_EQ(f, 1000.0 + point * 0.5);
      EXPECT_EQ(DisplayFreqToPixelAt(v, Win.Page_Start, f), pixel);
      EXPECT_EQ(DisplayFreqToPixel(v, f - 1000.0), pixel);
      EXPECT_DOUBLE_EQ(DisplayPixelToFreqRel(v, pixel), f - 1000.0);
      EXPECT_DOUBLE_EQ(DisplayPixelToFreq(v, point), f);
    }
    // Columns of level v counted from the file start.
    EXPECT_EQ(DisplayFreqToPointAt(v, 0, DisplayPointToFreq(v, 37)), 37);
  }
}

TEST_F(CoordsTest, HalvesRoundAwayFromZeroAndPointsTowardZero) {
  Axis(0.0, 1.0, 1000);
  Dsp.Pts2Pxl[3] = 1.0;
  Dsp.FrqStpView[3] = 1.0;
  EXPECT_EQ(DisplayFreqToPixelAt(3, 0, -2.5), -3);
  EXPECT_EQ(DisplayFreqToPixelAt(3, 0, 2.5), 3);
  Dsp.Pts2Pxl[2] = 0.7;
  Win.Page_Start = 0;
  EXPECT_EQ(DisplayPixelToPoint(2, -1), 0);  // -0.7 + 0.5 truncates to 0
}

TEST_F(CoordsTest, FrequencyToPointIsClampedToTheChannel) {
  Axis(1000.0, 0.5, 400);
  EXPECT_EQ(DisplayFreqToPoint(0, 900.0), 0);
  EXPECT_EQ(DisplayFreqToPoint(0, 1000.0 + 500 * 0.5), 400);  // the count, not count - 1
  EXPECT_EQ(DisplayFreqToPoint(9, 1000.0 + 500 * 0.5), 500);  // no channel: no limit
  EXPECT_EQ(DisplayFreqToPointAt(3, 0, 1e300), 400);           // saturated, then limited
  EXPECT_EQ(DisplayFreqToPointAt(3, 0, -1e300), 0);
}

TEST_F(CoordsTest, UnitAndHarmonicConversion) {
  EXPECT_DOUBLE_EQ(DisplayFreqUnitConvert(12.5, 0.25), 12.75);  // same unit and harmonic
  Dsp.Units_IdxData = 0;
  Dsp.Harm_IdxData = 1;  // MHz, 2nd harmonic
  Dsp.Units_Idx = 1;
  Dsp.Harm_Idx = 0;  // cm-1, fundamental
  EXPECT_NEAR(DisplayFreqUnitConvert(59958.4916, 0.0), 1.0, 1e-12);
  Dsp.Units_Idx = 0;
  Dsp.Harm_Idx = 2;  // MHz, 3rd harmonic
  EXPECT_DOUBLE_EQ(DisplayFreqUnitConvert(200.0, -20.0), 270.0);
  Dsp.Units_Idx = 2;
  Dsp.Harm_Idx = 0;  // nm
  EXPECT_EQ(DisplayFreqUnitConvert(0.0, 0.0), 0.0);  // zero stays zero
  // 1e7 / (1 cm-1 of the fundamental) = 1e7 nm.
  EXPECT_NEAR(DisplayFreqUnitConvert(2.0 * MHZ_PER_CM1, 0.0), 1.0e7, 1e-3);
  Dsp.Units_IdxData = 2;
  Dsp.Harm_IdxData = 0;
  Dsp.Units_Idx = 1;
  EXPECT_NEAR(DisplayFreqUnitConvert(500.0, 0.0), 20000.0, 1e-6);  // 500 nm = 20000 cm-1
}

TEST_F(CoordsTest, CentringOnAFrequency) {
  Axis(0.0, 1.0, 10000);
  Win.Page_Width = 1000;
  int32_t first = -1, pixel = -1;
  // In the middle: the frequency lands on the middle column.
  ASSERT_EQ(DisplayCenterOnFreq(3, 0, 5000.0, &first, &pixel), 1);
  EXPECT_EQ(first, 4500);
  EXPECT_EQ(pixel, 500);
  // In the last half page: the page ends at the file end.
  ASSERT_EQ(DisplayCenterOnFreq(3, 0, 9800.0, &first, &pixel), 1);
  EXPECT_EQ(first, 9000);
  EXPECT_EQ(pixel, 800);
  // Beyond the file: 0, outputs untouched.
  first = pixel = -7;
  EXPECT_EQ(DisplayCenterOnFreq(3, 0, 20000.0, &first, &pixel), 0);
  EXPECT_EQ(first, -7);
  EXPECT_EQ(pixel, -7);
}

TEST_F(CoordsTest, StatusReadoutOfTheActiveChannel) {
  char text[300];
  EXPECT_FALSE(DisplayCursorReadout(10, 10, text, sizeof text));  // no active channel
  Axis(1000.0, 0.5, 4000);
  Win.Active_Chn = 2;
  Dsp.FL_SZ[WIN_RAW][2] = 4000;
  Win.View_Level = 3;
  Win.Page_Height = 100;
  Win.Plot_Bottom = 100;
  Win.Plot_Y0 = 20;
  Dsp.Chn_Scalar[2] = 1.0;
  Dsp.Chn_ScaleStat[2] = 1;
  ASSERT_TRUE(DisplayCursorReadout(10, 70, text, sizeof text));
  // x = 1000 + 10 * 0.5; k = -100; value = (50 - 100) / -100.
  EXPECT_STREQ(text, "[2] X(MHz) 1005.0000        Y 0.5        Pt     10");
  Win.Rel_On = 1;
  Win.Rel_Point = 4;
  ASSERT_TRUE(DisplayCursorReadout(10, 70, text, sizeof text));
  EXPECT_STREQ(text, "[2] X(MHz) 1005.0000        Y 0.5        Pt      6(REL)");
}

TEST_F(CoordsTest, CursorInfoLinesAreAppendedToFreqTxt) {
  Axis(100.0, 1.0, 1000);
  Win.View_Level = 3;
  Win.Cursor_X = 5;
  Win.Cursor_HalfWidth = 2;
  DisplayCursorInfoWrite();
  DisplayCursorInfoWrite();
  std::string line = "105.000000          103.000000         107.000000          0.000000     5       \r\n";
  EXPECT_EQ(Read(FREQ_TXT_FILE_NAME), line + line);
  EXPECT_DOUBLE_EQ(Win.Cursor_Freq_Lo, 103.0);
  EXPECT_DOUBLE_EQ(Win.Cursor_Freq_Hi, 107.0);

  // With the cursor-info dialog open and no active channel nothing is written.
  Win.CurInfo_Shown = 1;
  DisplayCursorInfoWrite();
  ASSERT_EQ(platform::BoxLog().size(), 1u);
  EXPECT_EQ(platform::BoxLog()[0].text,
            "CURSOR INFO FILE WRITE\n\nACTIVE CHN MUST BE DEFINED\n\nFRQ/ITN/SD NOT SAVED");
  EXPECT_EQ(platform::BoxLog()[0].style, 0x1030u);
  EXPECT_EQ(Read(FREQ_TXT_FILE_NAME), line + line);
}

TEST_F(CoordsTest, CursorInfoWriteFailureWarns) {
  std::filesystem::create_directory(FREQ_TXT_FILE_NAME);  // blocks the file
  Axis(100.0, 1.0, 1000);
  DisplayCursorInfoWrite();
  ASSERT_EQ(platform::BoxLog().size(), 1u);
  EXPECT_EQ(platform::BoxLog()[0].text, "FAILED TO WRITE FREQUENCY/INTENSITY TO ASCII FILE=[Freq.txt]");
}

TEST_F(CoordsTest, ArrowKeysNeedAnActiveChannelAndScaleKeepsTheTrace) {
  EXPECT_EQ(DisplayCursorKey(1, nullptr, VK_UP, CURSOR_KEY_SCALE_UP), 0);
  Win.Active_Chn = 1;
  Dsp.Chn_Scalar[1] = 2.0;
  Dsp.Chn_Offset[1] = 0.4;
  EXPECT_EQ(DisplayCursorKey(1, nullptr, VK_UP, CURSOR_KEY_SCALE_UP), 1);
  EXPECT_EQ(Dsp.Chn_Scalar[1], 4.0);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[1], 0.2);
  EXPECT_EQ(DisplayCursorKey(1, nullptr, 'A', 0), 0);
  Win.Page_Width = 100;
  Win.View_Level = 3;
  Dsp.Pts2Pxl[3] = 2.0;
  EXPECT_EQ(DisplayCursorKey(1, nullptr, VK_RIGHT, CURSOR_KEY_SHIFT), 1);
  EXPECT_EQ(Win.Page_Start, 100);
  Win.Cursor_X = 95;
  Win.Cursor_Step = 10.0;
  EXPECT_EQ(DisplayCursorKey(1, nullptr, VK_RIGHT, 0), 1);
  EXPECT_EQ(Win.Cursor_X, 99);
}

TEST_F(CoordsTest, ViewKeysWithoutChannelDoNothing) {
  EXPECT_EQ(DisplayViewKey(nullptr, 's', 0), 0);
  EXPECT_EQ(Win.Cursor_Step, 100.0);
  Win.Active_Chn = 0;
  for (int i = 0; i < 4; ++i) DisplayViewKey(nullptr, 's', 0);
  EXPECT_EQ(Win.Cursor_Step, 100.0);  // 100, 10, 1, 0.1, then 100 again
  Dsp.Pts2Pxl[3] = 1.0;
  Win.View_Level = 3;
  Win.Cursor_X = 40;
  DisplayViewKey(nullptr, 'M', 0);
  EXPECT_EQ(Win.Pt_Lim[0][1], 40);
  DisplayViewKey(nullptr, 'm', 0);  // at the high mark: both cleared
  EXPECT_EQ(Win.Pt_Lim[0][0], 0);
  EXPECT_EQ(Win.Pt_Lim[0][1], 0);
}

}  // namespace
