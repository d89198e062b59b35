// Jump points of ramps, logs and TTL records, and the wavemeter log repairs.
#include "convert/calib/JumpPoints.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "CalibFixture.h"
#include "platform/windows/MessageBox.h"

namespace qvtest {
namespace {

class JumpTest : public CalibTest {
 protected:
  std::vector<std::string> Markers() { return ReadLines("Mks"); }
  static std::string Numbers(std::initializer_list<int> values) {
    std::string text;
    for (int v : values) text += std::to_string(v) + "\n";
    return text;
  }
  std::string MarkerText() {
    std::string text;
    for (const std::string& l : Markers()) text += l + "\n";
    return text;
  }
};

// A sawtooth: rises by 0.1 a point and falls back every 100 points.
std::vector<float> Sawtooth(int n, int period) {
  std::vector<float> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<float>(i % period) * 0.1f;
  return v;
}

TEST_F(JumpTest, RampJumpsOfASawtoothAreExactAndShifted) {
  WriteValues("AOMRampF", Sawtooth(1000, 100));
  Cnl.IntvPts = 11;  // half of it, truncated, is subtracted
  ASSERT_EQ(JumpPointFind(0, 0), 1);
  EXPECT_EQ(MarkerText(), Numbers({95, 195, 295, 395, 495, 595, 695, 795, 895}));
  EXPECT_EQ(Cnl.Pt_Cnt[9][0], 9u);
  EXPECT_TRUE(Shown("Info", "   JUMP POINTS WRITTEN=[9]\n      INTV SHIFT=[11]/2 & CONSEC PT MIN=[8]\n"
                            "      ASCII FILE WRITTEN=[Mks]\n"));
  EXPECT_NE(std::string(Dsp.Msg_Text).find("   JUMP FIND [0]:\n      JUMP POINTS WRITTEN=[9]"), std::string::npos);

  Cnl.IntvPts = -3;  // -3 / 2 is -1
  ASSERT_EQ(JumpPointFind(0, 0), 1);
  EXPECT_EQ(Markers().front(), "101");
}

TEST_F(JumpTest, JumpsCloserThanPtsAveAreReportedOnce) {
  std::vector<float> v(300, 0.0f);
  for (size_t i = 100; i < 300; ++i) v[i] = 1.0f;
  for (size_t i = 104; i < 300; ++i) v[i] = 2.0f;  // within the eight values passed over
  for (size_t i = 200; i < 300; ++i) v[i] = 3.0f;  // far enough
  WriteValues("AOMRampF", v);
  ASSERT_EQ(JumpPointFind(0, 0), 1);
  EXPECT_EQ(MarkerText(), Numbers({100, 200}));

  // A ramp that never moves by more than STP DIF writes an empty file.
  WriteValues("AOMRampF", std::vector<float>(500, 0.25f));
  ASSERT_EQ(JumpPointFind(0, 0), 1);
  EXPECT_TRUE(Markers().empty());
  EXPECT_EQ(Cnl.Pt_Cnt[9][0], 0u);
}

TEST_F(JumpTest, MissingRampFileWarnsAndUnknownModesTouchNothing) {
  EXPECT_EQ(JumpPointFind(0, 0), 0);
  EXPECT_TRUE(Shown("Warning", "FAILED TO OPEN BINARY FILE [AOMRampF] FOR READING"));
  EXPECT_FALSE(Exists("Mks"));
  platform::ClearBoxLog();
  EXPECT_EQ(JumpPointFind(0, 7), 1);
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_FALSE(Exists("Mks"));
  EXPECT_FALSE(Exists("WaveFreq.datF"));
}

TEST_F(JumpTest, SteppedLogWritesItsJumpsAndTheSummaryDecides) {
  std::string log;
  for (int n = 0; n < 50; ++n) log += StrPrintf("%.3f %d\n", 1000.0 + (n >= 20 ? 5.0 : 0.0) + (n >= 40 ? 5.0 : 0.0) + n * 0.01, n);
  WriteText("WaveFreq.dat", log);
  Cnl.IntvPts = 10;
  Answer("Question", "   JUMP FIND [1]:\n      JUMP POINT SEARCH SUMMARY\n      INTERVALS FOUND = [3]\n*", IDYES);
  ASSERT_EQ(JumpPointFind(0, 1), 1);
  EXPECT_EQ(MarkerText(), Numbers({0, 200, 400, 500}));
  EXPECT_EQ(Cnl.Pt_Cnt[9][0], 4u);

  // A marked interval, used: LOW first, HIGH last, lines outside it passed over.
  rules_.clear();
  Win.Pt_Lim[2][0] = 450;
  Win.Pt_Lim[2][1] = 150;
  Answer("Question", "JUMP POINT SEARCH\n\nMARKED INTERVAL IS DEFINED\n\n*", IDYES);
  Answer("Question", "   JUMP FIND [1]:*", IDNO);
  StrCopy(Cnl.Mks_Flnm, "MksB");
  EXPECT_EQ(JumpPointFind(2, 1), 0);  // the summary declined
  EXPECT_STREQ(Cnl.MksRepeat_Flnm, "MksB");
  EXPECT_EQ(Win.Pt_Lim[2][0], 150);
  EXPECT_EQ(ReadText("MksB"), "150\r\n200\r\n400\r\n450\r\n");
}

TEST_F(JumpTest, TtlTransitionsSingleAndGrouped) {
  // Bursts of three pulses (high 5 points, low 5 points), bursts 200 points apart.
  std::vector<float> v(600, 0.0f);
  for (int burst = 0; burst < 3; ++burst)
    for (int p = 0; p < 3; ++p)
      for (int i = 0; i < 5; ++i) v[static_cast<size_t>(burst * 200 + 50 + p * 10 + i)] = 5.0f;
  WriteValues("AOMRampF", v);
  Cnl.PtsAve = 2;
  ASSERT_EQ(JumpPointFind(0, 4), 1);
  EXPECT_EQ(MarkerText(), Numbers({55, 65, 75, 255, 265, 275, 455, 465, 475}));
  EXPECT_TRUE(Shown("Info", "TTL NEGATIVE GOING TRANSITIONS WRITTEN=[9]\n\nASCII FILE WRITTEN=[Mks]"));

  Cnl.IntvPts = 100;
  Cnl.PtsFsr = 3;
  ASSERT_EQ(JumpPointFind(0, 4), 1);
  EXPECT_EQ(Markers(), (std::vector<std::string>{"  0        3   0", "  0        3   0", "  0        3   0"}));
  EXPECT_EQ(Cnl.Pt_Cnt[9][0], 3u);

  // Counted from LOW PT LIMIT with the range switch on.
  Cnl.IntvPts = 0;
  Cnv.Lim_Stat[1] = 1;
  Win.Pt_Lim[1][0] = 200;
  Win.Pt_Lim[1][1] = 100;
  ASSERT_EQ(JumpPointFind(1, 4), 1);
  EXPECT_EQ(MarkerText(), Numbers({55, 65, 75}));

  // No transition at all: one group line with -1.
  Cnv.Lim_Stat[1] = 0;
  Cnl.IntvPts = 100;
  WriteValues("AOMRampF", std::vector<float>(100, 1.0f));
  ASSERT_EQ(JumpPointFind(0, 4), 1);
  EXPECT_EQ(Markers(), (std::vector<std::string>{"  0       -1   0"}));
}

TEST_F(JumpTest, TransmissionPointsOfTheOlderProcedure) {
  std::string log;
  for (int n = 0; n < 30; ++n) log += StrPrintf("%.3f\n", 1000.0 + n * 0.1 + (n >= 15 ? 3.0 : 0.0));
  WriteText("WaveFreq.dat", log);
  Cnl.PtsAve = 4;
  Cnl.StpDif = 5.0;  // a jump is a step above five average steps
  ASSERT_EQ(JumpPointFind(0, 5), 1);
  EXPECT_EQ(MarkerText(), Numbers({0, 60, 0}));
  EXPECT_NE(std::string(Dsp.Msg_Text).find("      TRANSMISSION POINTS OLD PROC\n"), std::string::npos);

  StrCopy(ThzSettings.WaveFlnm, "None.dat");
  EXPECT_EQ(JumpPointFind(0, 5), 0);
  EXPECT_TRUE(Shown("Warning", "FAILED TO OPEN ASCII CALIBRATION FILE [None.dat] FOR READING"));
}

// ---- wavemeter log repair -----------------------------------------------------------------

TEST_F(JumpTest, RunsOfRepeatedReadingsBecomeSteps) {
  WriteText("WaveFreq.dat", "100.0 1\n100.1 2\n100.2 3\n100.2 4\n100.2 5\n100.2 6\n-100.6 7\n");
  Cnl.StpDif = 0.5;
  ASSERT_EQ(JumpPointFind(0, 3), 1);
  const auto rows = ReadTable("WaveFreq.datF");
  ASSERT_EQ(rows.size(), 7u);
  const double f[] = {100.0, 100.1, 100.2, 100.2, 100.4, 100.4, 100.6};
  const double count[] = {0, 0, 0, 1, 1, 1, 1};
  for (size_t i = 0; i < 7; ++i) {
    ASSERT_EQ(rows[i].size(), 3u) << i;
    EXPECT_NEAR(rows[i][0], f[i], 1e-9) << i;
    EXPECT_EQ(rows[i][1], static_cast<double>(i + 1)) << i;
    EXPECT_EQ(rows[i][2], count[i]) << i;
  }
  EXPECT_TRUE(Shown("Info", "[3] WAVEMETER INVALID READING SUMMARY\n\nTOTAL FRQS:FIELDS=[7]:[2]\n\nRANGE(NEG) ERRS=[1]\n"
                            "CORRD ERRS=[1]\n\nAVE SAME FRQ=[2]\nAVE FRQ INTV=[0.200000]"));
}

TEST_F(JumpTest, StrictlyRisingLogIsWrittenUnchanged) {
  WriteText("WaveFreq.dat", "10.0\n10.1\n10.2\n11.0\n11.1\n");
  Cnl.StpDif = 0.5;
  ASSERT_EQ(JumpPointFind(0, 3), 1);
  EXPECT_EQ(ReadText("WaveFreq.datF"),
            "10.000000 0\r\n10.100000 0\r\n10.200000 0\r\n11.000000 0\r\n11.100000 0\r\n");
  EXPECT_TRUE(Boxes("Info").empty());
  EXPECT_TRUE(Boxes("Warning").empty());  // a log without positions is no read error

  StrCopy(ThzSettings.WaveFlnm, "None.dat");
  EXPECT_EQ(JumpPointFind(0, 3), 0);
  EXPECT_TRUE(Shown("Warning", "[3] FAILED TO OPEN|READ ASCII FILE [None.dat] FOR READING"));
}

TEST_F(JumpTest, DecimalAndDigitErrorsAreRepairedWithoutAsking) {
  // Line 3 lost its decimal point's place, line 6 a digit.
  WriteText("WaveFreq.dat", "11000.00 1\n11000.10 2\n1100.02 3\n11000.30 4\n11000.40 5\n11090.50 6\n11000.60 7\n"
                            "11000.70 8\n");
  Cnl.StpDif = 0.5;
  Cnl.IntvPts = 0;
  ASSERT_EQ(JumpPointFind(0, 2), 1);
  EXPECT_TRUE(Boxes("Question").empty());
  const auto rows = ReadTable("WaveFreq.datF");
  ASSERT_EQ(rows.size(), 8u);
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_NEAR(rows[i][0], 11000.0 + 0.1 * static_cast<double>(i), 0.5) << i;
    EXPECT_EQ(rows[i][1], static_cast<double>(i + 1)) << i;
  }
  EXPECT_NEAR(rows[2][0], 11000.2, 1e-6);
  const std::string messages = Dsp.Msg_Text;
  EXPECT_NE(messages.find("      DETECTED ERRS\t=[2]\n      DECIMAL ERRS\t=[1]\n"), std::string::npos) << messages;
  EXPECT_NE(messages.find("      CORR ERRS\t=[1]\n"), std::string::npos) << messages;
}

TEST_F(JumpTest, DigitRepairPutsTheReadingBetweenItsNeighboursInEitherDirection) {
  // A rising and a falling scan, each with one wrong tens digit in line 4.
  const struct {
    const char* log;
    double repaired;
  } scans[] = {{"10345.670 1\n10345.671 2\n10345.672 3\n10385.673 4\n10345.674 5\n10345.675 6\n", 10345.673},
               {"10350.003 1\n10350.002 2\n10350.001 3\n10390.000 4\n10349.999 5\n10349.998 6\n", 10350.000}};
  for (const auto& scan : scans) {
    WriteText("WaveFreq.dat", scan.log);
    ClearMessages();
    Cnl.StpDif = 0.005;
    Cnl.IntvPts = 0;
    ASSERT_EQ(JumpPointFind(0, 2), 1);
    const auto rows = ReadTable("WaveFreq.datF");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_NEAR(rows[3][0], scan.repaired, 1e-6) << scan.log;
    EXPECT_EQ(rows[3][1], 4.0);
    EXPECT_NE(std::string(Dsp.Msg_Text).find("      CORR ERRS\t=[1]\n"), std::string::npos) << Dsp.Msg_Text;
  }
}

TEST_F(JumpTest, RepairQuestionAveragesOrCancels) {
  const std::string log = "11000.00\n11000.10\n11090.20\n11000.30\n11000.40\n";
  WriteText("WaveFreq.dat", log);
  Cnl.StpDif = 0.5;
  Cnl.IntvPts = 1;
  Answer("Question", "(2) BURLEIGH WAVEMETER NUMERICAL ERROR REPAIR\n\nLINE NO=[3]\n\n[11090.200000] ORIGINAL*", IDNO);
  ASSERT_EQ(JumpPointFind(0, 2), 1);
  auto rows = ReadTable("WaveFreq.datF");
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_NEAR(rows[2][0], 11000.2, 1e-6);  // the average of its neighbours
  EXPECT_EQ(rows[2].size(), 2u);
  EXPECT_NE(std::string(Dsp.Msg_Text).find("      FRQ AVERAGED\t=[1]\n"), std::string::npos);

  rules_.clear();
  ClearMessages();
  Answer("Question", "(2) BURLEIGH*", IDCANCEL);
  EXPECT_EQ(JumpPointFind(0, 2), 0);
  EXPECT_NE(std::string(Dsp.Msg_Text).find("BURLEIGH | HI-FINESSE WAVEMETER NUMERICAL ERROR SUMMARY"), std::string::npos);
}

TEST_F(JumpTest, ReadingsAboveTheRangeAreDroppedAndTheLogEndsCleanly) {
  WriteText("WaveFreq.dat", "11000.0 1\n11000.1 2\n11000.2 3\n12000.0 4\n11000.3 5\n12500.0\n");
  Cnl.StpDif = 0.5;
  ASSERT_EQ(JumpPointFind(0, 2), 1);
  const auto rows = ReadTable("WaveFreq.datF");
  // The line with a position keeps its place by the held line written again; the
  // last one without a position is dropped.
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_NEAR(rows[2][0], 11000.2, 1e-9);
  EXPECT_NEAR(rows[3][0], 11000.2, 1e-9);
  EXPECT_NEAR(rows[4][0], 11000.3, 1e-9);
  EXPECT_NE(std::string(Dsp.Msg_Text).find("FRQ>11900.0\t=[2]"), std::string::npos) << Dsp.Msg_Text;
}

TEST_F(JumpTest, WindowedBranchKeepsTheSignOfPtsAve) {
  std::string log;
  for (int n = 0; n < 40; ++n) log += StrPrintf("%.3f %d\n", 11000.0 + n * 0.01, n + 1);
  WriteText("WaveFreq.dat", log);
  Cnl.PtsAve = -5;
  ASSERT_EQ(JumpPointFind(0, 2), 1);
  EXPECT_EQ(Cnl.PtsAve, -5);
  const auto rows = ReadTable("WaveFreq.datF");
  ASSERT_EQ(rows.size(), 40u);
  for (size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 4u) << i;
    EXPECT_NEAR(rows[i][0], 11000.0 + 0.01 * static_cast<double>(i), 1e-9) << i;
  }
}

TEST_F(JumpTest, SectionRepairGrowsItsToleranceAndAppends) {
  WriteText("WaveFreq.dat", "100.0 0\n101.0 1\n103.5 2\n103.5 3\n103.5 4\n104.0 5\n105.0 6\n");
  Cnl.StpDif = 1.0;
  ThzSettings.SectLo = 0;
  ThzSettings.SectHi = 5;
  ASSERT_EQ(JumpPointFind(0, 6), 1);
  auto rows = ReadTable("WaveFreq.datF");
  ASSERT_EQ(rows.size(), 5u);
  const double f[] = {100.0, 101.0, 101.0, 101.0, 103.5};
  for (size_t i = 0; i < 5; ++i) EXPECT_NEAR(rows[i][0], f[i], 1e-9) << i;
  EXPECT_EQ(rows[4][2], 2.0);
  EXPECT_NE(std::string(Dsp.Msg_Text).find("      MARKER LIMITS \t=[0] - [5]\n"), std::string::npos);

  // The next section is appended.
  ThzSettings.SectLo = 5;
  ThzSettings.SectHi = 7;
  ASSERT_EQ(JumpPointFind(0, 6), 1);
  rows = ReadTable("WaveFreq.datF");
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_NEAR(rows[5][0], 104.0, 1e-9);
  EXPECT_NEAR(rows[6][0], 105.0, 1e-9);

  // A section without readings writes nothing.
  const std::string before = ReadText("WaveFreq.datF");
  ThzSettings.SectLo = 7;
  ThzSettings.SectHi = 7;
  ASSERT_EQ(JumpPointFind(0, 6), 1);
  EXPECT_EQ(ReadText("WaveFreq.datF"), before);
}

}  // namespace
}  // namespace qvtest
