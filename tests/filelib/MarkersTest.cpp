#include "filelib/Markers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FileFixture.h"
#include "platform/kernel/Text.h"
#include "records/Win.h"

namespace {

using MarkersTest = qvtest::FileTest;

TEST_F(MarkersTest, ToggleInsertsAndDeletesInOrder) {
  WriteText("Mks", "100\n300\n700\n");
  ASSERT_EQ(ManMarkerAddDelete("Mks", "500\n", 1), 1);
  EXPECT_EQ(ReadText("Mks"), "100\r\n300\r\n500\r\n700\r\n");
  ASSERT_EQ(ManMarkerAddDelete("Mks", "300\n", 1), 1);
  EXPECT_EQ(ReadText("Mks"), "100\r\n500\r\n700\r\n");
  ASSERT_EQ(ManMarkerAddDelete("Mks", "50\r\n", 1), 1);   // before the first
  ASSERT_EQ(ManMarkerAddDelete("Mks", "900", 1), 1);      // after the last
  EXPECT_EQ(ReadText("Mks"), "50\r\n100\r\n500\r\n700\r\n900\r\n");
  EXPECT_EQ(Win.Pt_Lim[0][0], 1);  // the main window shows the markers
  EXPECT_TRUE(platform::BoxLog().empty());

  // A new file starts with the first marker.
  ASSERT_EQ(ManMarkerAddDelete("New", "42\n", 1), 1);
  EXPECT_EQ(ReadText("New"), "42\r\n");
  EXPECT_EQ(Status(3), "NEW FILE [New]");
  // Toggling the only marker leaves an empty file.
  ASSERT_EQ(ManMarkerAddDelete("New", "42\n", 1), 1);
  EXPECT_EQ(ReadText("New"), "");
}

TEST_F(MarkersTest, SeveralFieldsPerLine) {
  WriteText("Mk3", "1.5 2.25 100\n0.5\t7.0 300\n");
  ASSERT_EQ(ManMarkerAddDelete("Mk3", "9.0 9.0 200\n", 3), 1);
  EXPECT_STREQ(Cnl.Mks_ScanFmt, "%*lf%*lf%ld");
  EXPECT_EQ(ReadText("Mk3"), "1.5 2.25 100\r\n9.0 9.0 200\r\n0.5\t7.0 300\r\n");
  ASSERT_EQ(ManMarkerAddDelete("Mk3", "1.0 1.0 100\n", 3), 1);  // same position: deleted
  EXPECT_EQ(ReadText("Mk3"), "9.0 9.0 200\r\n0.5\t7.0 300\r\n");

  // The wrong field count, and a first line without an integer field, are refused.
  EXPECT_EQ(ManMarkerAddDelete("Mk3", "1.0 200\n", 2), 0);
  EXPECT_EQ(LastBox(), "FILE [Mk3] HAS WRONG FORMAT\n\nFILE FIELDS=[3] != [2]\n\nDELETE | RENAME FILE");
  WriteText("Bad", "1.5 2.5\n");
  EXPECT_EQ(ManMarkerChkFormat("Bad", 2), 0);
  EXPECT_EQ(LastBox(), "FILE [Bad] HAS WRONG FORMAT\n\nENTRIES=[2] CONTAIN NO INTEGER FIELD\n\nDELETE OR RENAME FILE");
  EXPECT_EQ(platform::BoxLog().back().style, 0x1030u);
  EXPECT_EQ(ReadText("Bad"), "1.5 2.5\n");
  EXPECT_EQ(ReadText("Mk3"), "9.0 9.0 200\r\n0.5\t7.0 300\r\n");

  // The position file is read one integer per line, also after another marker file
  // of three fields per line has set the scan format.
  EXPECT_STREQ(Cnl.Mks_ScanFmt, "%*lf%*lf%ld");
  WriteText("Mks", "0\n120\n250\n 390 \n");
  ASSERT_EQ(CsMkOpenRead(0), 1);
  ASSERT_EQ(Cnl.Mks_Cnt, 3u);
  EXPECT_EQ((std::vector<int32_t>{Cnl.Mks_Pos[1], Cnl.Mks_Pos[2], Cnl.Mks_Pos[3]}),
            (std::vector<int32_t>{120, 250, 390}));
  EXPECT_EQ(Cnl.Mks_MaxDif, 140);
}

TEST_F(MarkersTest, DebugTopicLogsTheToggle) {
  WriteText("Mks", "5\n");
  DebugFileSet(133, 0, 0);
  ASSERT_EQ(ManMarkerAddDelete("Mks", "7\n", 1), 1);
  DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
  EXPECT_EQ(ReadLog(),
            "ManMarkerChkFormat CSTR [%ld]\r\nBEG FL_SZ=1 CUR POS=7 CSTR=%ld STR_PT=7\r\nREAD CNT=0 PK_PT=5 STR=5\r\n"
            "SUB CNT=1 PK_PT=7 STR=7\r\nEND\r\n");

  // Every existing line is logged as read, also those after the new line's place.
  WriteText("Mks", "5\n9\n11\n");
  DebugFileSet(133, 0, 0);
  ASSERT_EQ(ManMarkerAddDelete("Mks", "7\n", 1), 1);
  DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
  EXPECT_EQ(ReadLog(),
            "ManMarkerChkFormat CSTR [%ld]\r\nBEG FL_SZ=3 CUR POS=7 CSTR=%ld STR_PT=7\r\nREAD CNT=0 PK_PT=5 STR=5\r\n"
            "READ CNT=1 PK_PT=9 STR=9\r\nREAD CNT=2 PK_PT=11 STR=11\r\nSUB CNT=1 PK_PT=7 STR=7\r\nEND\r\n");
}

TEST_F(MarkersTest, UnreadableFileIsNotReplaced) {
  WriteText("Locked", "100\n200\n");
  std::filesystem::permissions("Locked", std::filesystem::perms::owner_write);
  if (std::ifstream("Locked").good()) GTEST_SKIP() << "running with rights that read any file";
  EXPECT_EQ(ManMarkerAddDelete("Locked", "150\n", 1), 0);
  EXPECT_EQ(LastBox(), "READ ERROR IN FILE [Locked]\n\nABORTING");
  std::filesystem::permissions("Locked", std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadText("Locked"), "100\n200\n");
}

TEST_F(MarkersTest, SpacingStatistics) {
  WriteText("Mks", "0\n100\n200\n300\n");
  ASSERT_EQ(CsMkOpenRead(1), 1);
  ASSERT_EQ(Cnl.Mks_Cnt, 3u);
  EXPECT_EQ(Cnl.Mks_Pos[0], 0);
  EXPECT_EQ((std::vector<int32_t>{Cnl.Mks_Pos[1], Cnl.Mks_Pos[2], Cnl.Mks_Pos[3]}),
            (std::vector<int32_t>{100, 200, 300}));
  EXPECT_EQ((std::vector<int32_t>{Cnl.Mks_Dif[1], Cnl.Mks_Dif[2], Cnl.Mks_Dif[3]}),
            (std::vector<int32_t>{100, 100, 100}));
  EXPECT_EQ(Cnl.Mks_AveDif, 100);
  EXPECT_EQ(Cnl.Mks_MaxDif, 100);
  EXPECT_EQ(Cnl.Mks_RmsLin, 0.0);
  EXPECT_EQ(Cnl.Mks_Beg, 0);
  EXPECT_EQ(Cnl.Mks_End, 3);
  EXPECT_EQ(LastBox(), "MARKER SPACING STATISTICS\n\nNUMBER OF MARKERS=[3]\nAVE DIFF=[100]\nRMS LINEARITY=[0.000000]");
  EXPECT_EQ(platform::BoxLog().back().caption, "Info");

  // Differences 100, 100, 100, 110, 100: linearity terms for markers 4 and 5.
  WriteText("Mks", "100\n200\n300\n410\n510\n");
  ASSERT_EQ(CsMkOpenRead(0), 1);
  const double l4 = (2.0 * 100 / (110 + 100) - 1.0) * 100.0;
  const double l5 = (2.0 * 110 / (100 + 100) - 1.0) * 100.0;
  EXPECT_NEAR(Cnl.Mks_RmsLin, std::sqrt((l4 * l4 + l5 * l5) / 2.0), 1e-12);
  EXPECT_EQ(Cnl.Mks_AveDif, 102);  // 510 / 5 = 102
  EXPECT_EQ(Cnl.Mks_MaxDif, 110);
  EXPECT_EQ(Cnl.Mks_End, 3);  // kept from the first read

  // One marker; an empty file.
  WriteText("Mks", "250\n");
  ASSERT_EQ(CsMkOpenRead(0), 1);
  EXPECT_EQ(Cnl.Mks_Cnt, 1u);
  EXPECT_EQ(Cnl.Mks_AveDif, 250);
  EXPECT_EQ(Cnl.Mks_End, 1);  // an end beyond the markers is cut back
  // A file without a marker is refused without statistics: empty, comments only, a lone 0.
  for (const char* text : {"", "# none\n", "0\n"}) {
    WriteText("Mks", text);
    const size_t boxes = platform::BoxLog().size();
    EXPECT_EQ(CsMkOpenRead(1), 0) << text;
    EXPECT_EQ(Cnl.Mks_Cnt, 0u);
    EXPECT_EQ(Cnl.Mks_AveDif, 0);
    EXPECT_EQ(platform::BoxLog().size(), boxes);
  }

  StrCopy(Cnl.Mks_Flnm, "absent");
  EXPECT_EQ(CsMkOpenRead(1), 0);
  EXPECT_EQ(LastBox(), "CsMkOpenRead()\n\nFAILED TO OPEN MARKER POSITION FILE [absent] FOR READING\n\nABORTING");
}

TEST_F(MarkersTest, NearestMarkersToTheCursorWindow) {
  WriteText("Mks", "100\n200\n300\n400\n500\n600\n700\n");
  Cnl.Mks_CursorStat = 1;
  Win.Pt_Lim[0][0] = 250;  // as near to 200 as to 300: the first stays
  Win.Pt_Lim[0][1] = 640;
  ASSERT_EQ(CsMkOpenRead(0), 1);
  EXPECT_EQ(Cnl.Mks_Beg, 2);
  EXPECT_EQ(Cnl.Mks_End, 6);
}

// A scan whose frequency runs faster than linear in the sample index, with markers
// one free spectral range apart. Between two markers the true frequency is linear in
// the sample index, so the linearised output must follow the signal's analytic form on
// an even frequency axis.
class LinearisationTest : public MarkersTest {
 protected:
  static constexpr double kFsr = 100.0;
  static constexpr int kPoints = 128;
  static constexpr int kMarkers = 12;

  static double Signal(double frequency) { return 2.0 + std::sin(2.0 * M_PI * frequency / 37.0); }

  void SetUp() override {
    MarkersTest::SetUp();
    // Marker m where 0.5 t + 1e-4 t^2 = m x FSR.
    std::string text;
    for (int m = 0; m <= kMarkers; ++m) {
      const double t = (-0.5 + std::sqrt(0.25 + 4e-4 * m * kFsr)) / 2e-4;
      positions_.push_back(static_cast<int32_t>(std::lround(t)));
      text += std::to_string(positions_.back()) + "\n";
    }
    WriteText("Mks", text);  // the first line is the leading 0
    std::vector<float> scan(static_cast<size_t>(positions_.back()) + 5);
    for (size_t t = 0; t < scan.size(); ++t) scan[t] = static_cast<float>(Signal(TrueFrequency(t)));
    scan_ = scan;
    WriteFloats("PmtF", scan_);
    Dsp.FSR = kFsr;
    Dsp.Pts_FSR = kPoints;
    Dsp.Frq_Stp = kFsr / kPoints;
  }
  // The natural spline ends (second derivative 0) cost accuracy within a few samples
  // of each marker; inside the interval the spline is far closer.
  static double Tolerance(int k, double dif) {
    const double sample = k * dif / kPoints;
    return sample > 4 && sample < dif - 5 ? 1e-4 : 2e-3;
  }
  double Dif(int j) const { return positions_[static_cast<size_t>(j)] - positions_[static_cast<size_t>(j) - 1]; }
  double TrueFrequency(size_t t) const {
    size_t m = 1;
    while (m < positions_.size() - 1 && static_cast<int32_t>(t) >= positions_[m]) ++m;
    const double t0 = positions_[m - 1], t1 = positions_[m];
    return ((m - 1) + (static_cast<double>(t) - t0) / (t1 - t0)) * kFsr;
  }

  std::vector<int32_t> positions_;
  std::vector<float> scan_;
};

TEST_F(LinearisationTest, OutputLiesOnAnEvenFrequencyAxis) {
  ASSERT_GT(positions_[1] - positions_[0], positions_[kMarkers] - positions_[kMarkers - 1] + 50);  // chirped
  ASSERT_EQ(CsF2ISetup(), 1);
  std::vector<float> out = ReadFloats("PmtFl");
  ASSERT_EQ(out.size(), static_cast<size_t>(kMarkers * kPoints));
  for (int j = 1; j <= kMarkers; ++j)
    for (int k = 0; k < kPoints; ++k)
      ASSERT_NEAR(out[static_cast<size_t>((j - 1) * kPoints + k)], Signal((j - 1) * kFsr + k * kFsr / kPoints),
                  Tolerance(k, Dif(j)))
          << j << " " << k;
  // The raw values are not evenly spaced in frequency: reading them as if they were
  // is far off.
  double naive = 0.0;
  for (size_t t = 0; t < static_cast<size_t>(positions_.back()); ++t)
    naive = std::max(naive, std::fabs(scan_[t] - Signal(t * kFsr * kMarkers / positions_.back())));
  EXPECT_GT(naive, 0.5);
}

TEST_F(LinearisationTest, CursorWindowSelectsMarkersAndGapsStayGaps) {
  // Zero a run of raw samples inside the interval after marker 4.
  const int32_t gapBegin = positions_[4] + 40, gapEnd = positions_[4] + 49;
  for (int32_t t = gapBegin; t <= gapEnd; ++t) scan_[static_cast<size_t>(t)] = 0.0f;
  WriteFloats("PmtF", scan_);
  Cnl.Mks_CursorStat = 1;
  Win.Pt_Lim[0][0] = positions_[3] + 3;
  Win.Pt_Lim[0][1] = positions_[7] - 2;
  ASSERT_EQ(CsMkOpenRead(0), 1);
  ASSERT_EQ(Cnl.Mks_Beg, 3);
  ASSERT_EQ(Cnl.Mks_End, 7);
  ASSERT_EQ(CsF2ISetup(), 1);
  std::vector<float> out = ReadFloats("PmtFl");
  ASSERT_EQ(out.size(), static_cast<size_t>(4 * kPoints));
  const double dif = Dif(5);
  int zeros = 0;
  for (int j = 0; j < 4; ++j) {
    for (int k = 0; k < kPoints; ++k) {
      const float value = out[static_cast<size_t>(j * kPoints + k)];
      if (j != 1) {
        ASSERT_NEAR(value, Signal((3 + j) * kFsr + k * kFsr / kPoints), Tolerance(k, Dif(4 + j))) << j << " " << k;
        continue;
      }
      const double sample = k * kFsr / kPoints * dif / kFsr;  // raw sample index of the output
      const double first = std::ceil(sample - 1e-6);
      if (first >= 40 && first <= 49 && std::fabs(sample - std::round(sample)) > 1e-3) {
        EXPECT_EQ(value, 0.0f) << k;
        ++zeros;
      } else if (first < 25 || first > 65) {
        EXPECT_NEAR(value, Signal(4 * kFsr + k * kFsr / kPoints), 1e-3) << k;
      }
    }
  }
  EXPECT_GT(zeros, 3);
}

TEST_F(LinearisationTest, ShortInputEndsAtTheLastWholeInterval) {
  scan_.resize(static_cast<size_t>(positions_[10]) - 7);
  WriteFloats("PmtF", scan_);
  ASSERT_EQ(CsF2ISetup(), 1);
  const int32_t dif = positions_[10] - positions_[9];
  EXPECT_EQ(LastBox(), StrPrintf("CUBIC SPLINE SETUP\n\nMARKER DIFFERENCE=[%d] > INPUT FILE SIZE DIFFERENCE=[%d]\n\n"
                                 "CONTINUING",
                                 dif, dif - 7));
  EXPECT_EQ(Cnl.Mks_End, 10);
  EXPECT_EQ(ReadFloats("PmtFl").size(), static_cast<size_t>(9 * kPoints));
}

TEST_F(LinearisationTest, RefusalsKeepTheOldOutput) {
  WriteFloats("PmtFl", {7});
  StrCopy(Cnl.Lin_OutFlnm, "PmtF");
  EXPECT_EQ(CsF2ISetup(), 0);
  EXPECT_EQ(LastBox(), "INPUT & OUTPUT FILENAMES ARE IDENTICAL\n\nABORTING");
  StrCopy(Cnl.Lin_OutFlnm, "PmtFl");
  StrCopy(Cnl.Lin_InFlnm, "absent");
  EXPECT_EQ(CsF2ISetup(), 0);
  EXPECT_EQ(LastBox(), "FAILED TO OPEN BINARY INPUT FILE [absent] FOR READING");
  EXPECT_EQ(ReadFloats("PmtFl"), (std::vector<float>{7}));

  LFree1Dim(&Cnl.Mks_Pos);
  LFree1Dim(&Cnl.Mks_Dif);
  Cnl.Mks_Cnt = 0;
  WriteText("Mks", "0\n");
  StrCopy(Cnl.Lin_InFlnm, "PmtF");
  EXPECT_EQ(CsF2ISetup(), 0);
  EXPECT_EQ(LastBox(), "MARKER POSITIONS NOT DEFINED | MARKER DIFFERENCE ZERO\n\nCHECK MARKER POSITION FILE "
                       "[Mks]\n\nABORTING");
}

}  // namespace
