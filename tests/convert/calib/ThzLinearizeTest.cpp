// THz linearisation, phases 0 to II, on synthetic scans with a line at a known
// frequency: the log gives the frequency of every point (or of every interval) and
// the output must put the line where it belongs on the even grid.
#include "convert/calib/ThzLinearize.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "CalibFixture.h"
#include "platform/windows/MessageBox.h"

namespace qvtest {
namespace {

constexpr double kLine = 1010.0;  // the line's frequency
constexpr double kStep = 0.01;    // output step

// The line on a flat baseline of 0.1.
float Gauss(double f) { return static_cast<float>(0.1 + std::exp(-0.5 * std::pow((f - kLine) / 0.2, 2.0))); }

class ThzTest : public CalibTest {
 protected:
  void SetUp() override {
    CalibTest::SetUp();
    Name(8, "Itn");
    Name(7, "Out");
    Cnv.FFT_SmoothWin = 0.0f;
    ThzSettings.OutFrqStp = kStep;
  }

  // A scan of one reading per point: the frequencies in order, the intensities of the
  // line at the true frequencies.
  void WritePerPointScan(const std::vector<double>& logged, const std::vector<double>& truth) {
    std::string log;
    std::vector<float> itn;
    for (size_t i = 0; i < logged.size(); ++i) {
      log += StrPrintf("%.6f %d\n", logged[i], static_cast<int>(i));
      itn.push_back(Gauss(truth[i]));
    }
    WriteText("WaveFreq.dat", log);
    WriteValues("Itn", itn);
  }
  static std::vector<double> Ramp(int n, double from, double step) {
    std::vector<double> f(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) f[static_cast<size_t>(i)] = from + i * step;
    return f;
  }
  // Index of the largest output value.
  static size_t Peak(const std::vector<float>& out) {
    return static_cast<size_t>(std::max_element(out.begin(), out.end()) - out.begin());
  }
  // A per-point scan of 101 points from 1000.0 in steps of 0.01 through phases 0 and I.
  void WriteSmallScan() {
    const std::vector<double> f = Ramp(101, 1000.0, 0.01);
    WritePerPointScan(f, f);
    ThzSettings.PerPointLog = 1;
    ThzSettings.SectHi = 101;
  }
  bool SmallSectionThroughPhaseOne() {
    WriteSmallScan();
    return THzLinearization(0, 0, 1) == 1 && THzLinearization(0, 1, 1) == 1;
  }
  // Runs phases 0, I and II over the whole per-point log.
  int32_t RunPerPoint(uint32_t points) {
    ThzSettings.PerPointLog = 1;
    ThzSettings.SectLo = 0;
    ThzSettings.SectHi = points;
    if (THzLinearization(0, 0, 1) != 1) return -1;
    if (THzLinearization(0, 1, 1) != 1) return -2;
    ClearMessages();
    return THzLinearization(0, 2, 1);
  }
};

TEST_F(ThzTest, PhaseZeroTakesTheLastLineWhenTheUpperMarkIsZero) {
  // The first line runs on past the 255 characters read: it still counts once.
  std::string first = "1000.5 0";
  for (int k = 0; k < 200; ++k) first += " 9";
  WriteText("WaveFreq.dat", first + "\n1001.5 1\n1002.5 2\n1003.25 3\n");
  ThzSettings.LowerMk = 1;
  ASSERT_EQ(THzLinearization(0, 0, 1), 1);
  EXPECT_DOUBLE_EQ(ThzSettings.BegFrq, 1001.5);
  EXPECT_DOUBLE_EQ(ThzSettings.EndFrq, 1003.25);
  EXPECT_EQ(ThzSettings.UpperMk, 4);
  EXPECT_EQ(ThzSettings.TotIntv, 3);
  EXPECT_NE(std::string(Dsp.Msg_Text).find("PHASE [  0] BEG:\n"), std::string::npos);
  EXPECT_NE(std::string(Dsp.Msg_Text).find("PHASE [  0] END:\n"), std::string::npos);

  ThzSettings = ThzSettingsRecord{};
  ThzSettings.LowerMk = 4;
  ThzSettings.UpperMk = 4;
  EXPECT_EQ(THzLinearization(0, 0, 1), 0);
  EXPECT_TRUE(Shown("Warning", "PHASE [0]\n\nTOTAL NUMBER OF INTERVALS IS ZERO\n\nLOWER MK=[4] UPPER MK=[4] WAVEMETER "
                               "FILE [WaveFreq.dat] READINGS=[4]\n\nCHECK LIMITS"));

  platform::ClearBoxLog();
  StrCopy(ThzSettings.WaveFlnm, "Missing.dat");
  EXPECT_EQ(THzLinearization(0, 0, 0), 0);
  EXPECT_TRUE(platform::BoxLog().empty());  // not interactive: no box
  EXPECT_EQ(THzLinearization(0, 0, 1), 0);
  EXPECT_TRUE(Shown("Warning", "PHASE [0]\n\nFAILED TO OPEN ASCII WAVEMETER FRQ FILE [Missing.dat] FOR READING"));
}

TEST_F(ThzTest, PerPointScanUpAndDownPutsTheLineWithinOneStep) {
  for (int down = 0; down < 2; ++down) {
    SCOPED_TRACE(down);
    ThzSettings = ThzSettingsRecord{};
    ThzSettings.OutFrqStp = kStep;
    const std::vector<double> f = down ? Ramp(2001, 1020.0, -0.01) : Ramp(2001, 1000.0, 0.01);
    WritePerPointScan(f, f);
    ASSERT_EQ(RunPerPoint(2001), 1);
    EXPECT_DOUBLE_EQ(ThzSettings.BegFrq, down ? 1020.0 : 1000.0);
    EXPECT_EQ(ThzSettings.OutPts, 2000u);
    // Relative frequencies grow from 0 in both directions; the covered range keeps
    // the scan's direction.
    if (down)
      EXPECT_GT(ThzSettings.ActLo, ThzSettings.ActHi);
    else
      EXPECT_LT(ThzSettings.ActLo, ThzSettings.ActHi);
    const std::vector<float> out = ReadValues<float>("Out");
    ASSERT_EQ(out.size(), 2000u);
    const double at = static_cast<double>(Peak(out)) * kStep;
    EXPECT_NEAR(at, std::fabs(kLine - ThzSettings.BegFrq), kStep);
    EXPECT_NEAR(out[Peak(out)], 1.1, 0.01);
    const std::vector<float> frq = ReadValues<float>("FRQ_FRQ");
    ASSERT_EQ(frq.size(), 2001u);
    EXPECT_NEAR(frq[100], 1.0, 1e-4);
  }
}

TEST_F(ThzTest, RepeatedAndReversedReadingsAndTheBandOutsideTheScan) {
  std::vector<double> truth = Ramp(2001, 1000.0, 0.01);
  std::vector<double> logged = truth;
  // Reversed pairs near the line: the points are sorted back into frequency order.
  for (size_t i : {995u, 1003u, 1011u}) {
    std::swap(logged[i], logged[i + 1]);
    std::swap(truth[i], truth[i + 1]);
  }
  // A run of five identical readings (a mode hop) far from the line.
  for (size_t i = 1501; i < 1505; ++i) logged[i] = logged[1500];
  WritePerPointScan(logged, truth);
  ThzSettings.PerPointLog = 1;
  ThzSettings.SectHi = 2001;
  ASSERT_EQ(THzLinearization(0, 0, 1), 1);
  ASSERT_EQ(THzLinearization(0, 1, 1), 1);
  ThzSettings.EndFrq = 1025.0;  // a target range beyond what the scan covers
  ClearMessages();
  ASSERT_EQ(THzLinearization(0, 2, 1), 1);
  const std::vector<float> out = ReadValues<float>("Out");
  ASSERT_EQ(out.size(), 2500u);
  EXPECT_NEAR(static_cast<double>(Peak(out)) * kStep, kLine - 1000.0, kStep);
  // The mode hop zeroes its band up to the next different reading: [15.00, 15.05).
  for (size_t j = 1500; j < 1505; ++j) EXPECT_EQ(out[j], 0.0f) << j;
  EXPECT_NE(out[1499], 0.0f);
  EXPECT_NE(out[1506], 0.0f);
  // Nothing was measured beyond 20.00.
  for (size_t j = 2001; j < 2500; ++j) ASSERT_EQ(out[j], 0.0f) << j;
  const std::string messages = Dsp.Msg_Text;
  EXPECT_NE(messages.find("   [0] ZERO ORIG PTS [4] OF [2001] FROM MODE HOPS\n"), std::string::npos) << messages;
  EXPECT_NE(messages.find("   [0] ZERO OUTPUT PTS [5] OF [2500] FROM MODE HOPS\n"), std::string::npos) << messages;
}

TEST_F(ThzTest, ModeHopAtTheSectionEndStaysInsideTheLog) {
  std::vector<double> f = Ramp(1001, 1000.0, 0.01);
  for (size_t i = 995; i < f.size(); ++i) f[i] = f[994];
  WritePerPointScan(f, f);
  ASSERT_EQ(RunPerPoint(1001), 1);
  // No reading follows the run inside the log: no band is zeroed for it.
  EXPECT_NE(std::string(Dsp.Msg_Text).find("ZERO OUTPUT PTS [0] OF"), std::string::npos) << Dsp.Msg_Text;
}

TEST_F(ThzTest, PerIntervalScanUpAndDownPutsTheLineWithinOneStep) {
  for (int down = 0; down < 2; ++down) {
    SCOPED_TRACE(down);
    ThzSettings = ThzSettingsRecord{};
    ThzSettings.OutFrqStp = kStep;
    ThzSettings.IntvSize = 10;
    const double from = down ? 1020.0 : 1000.0;
    const double step = down ? -0.01 : 0.01;
    std::string log;
    for (int l = 0; l <= 200; ++l) log += StrPrintf("%.6f\n", from + l * 10 * step);
    WriteText("WaveFreq.dat", log);
    std::vector<float> itn;
    for (int i = 0; i < 2001; ++i) itn.push_back(Gauss(from + i * step));
    WriteValues("Itn", itn);
    ThzSettings.SectLo = 0;
    ThzSettings.SectHi = 2001;
    ASSERT_EQ(THzLinearization(0, 0, 1), 1);
    ASSERT_EQ(THzLinearization(0, 1, 1), 1);
    EXPECT_TRUE(Boxes("Question").empty());  // the computed size equals INTV SIZE
    EXPECT_EQ(ThzSettings.LowerMk, 0);
    EXPECT_EQ(ThzSettings.UpperMk, 200);
    EXPECT_EQ(ThzSettings.FileLen, 1990u);
    EXPECT_EQ(ReadValues<float>("FRQ_FRQ").size(), 2000u);
    // The section on the point axis, as the placement sets it from the readings used.
    ThzSettings.SectHi = static_cast<uint32_t>(ThzSettings.UpperMk * ThzSettings.IntvSize);
    ClearMessages();
    ASSERT_EQ(THzLinearization(0, 2, 1), 1);
    const std::vector<float> out = ReadValues<float>("Out");
    ASSERT_EQ(out.size(), 2000u);
    EXPECT_NEAR(static_cast<double>(Peak(out)) * kStep, 10.0, kStep);
  }
}

TEST_F(ThzTest, IntervalSizeZeroTakesTheComputedSizeWithoutAsking) {
  WriteText("WaveFreq.dat", "1000.0\n1001.0\n1002.0\n1003.0\n1004.0\n");
  WriteValues("Itn", std::vector<float>(4001, 1.0f));
  ThzSettings.IntvSize = 0;
  ThzSettings.SectHi = 4001;
  ASSERT_EQ(THzLinearization(0, 0, 1), 1);
  ASSERT_EQ(THzLinearization(0, 1, 1), 1);
  EXPECT_EQ(ThzSettings.IntvSize, 1000);
  EXPECT_TRUE(Boxes("Question").empty());
  EXPECT_NE(std::string(Dsp.Msg_Text).find("   [0] ITN SIZE=[1000] FRQ SIZE=[1000]\n"), std::string::npos);
}

TEST_F(ThzTest, IntervalSizeQuestionKeepsTakesOrCancels) {
  WriteText("WaveFreq.dat", "1000.0\n1001.0\n1002.0\n1003.0\n1004.0\n");
  WriteValues("Itn", std::vector<float>(4001, 1.0f));
  const std::string question =
      "PHASE [I]\n\nOPSEQ INTERVAL SIZE=[500] DIFFERENT FROM CALC SIZE=[1000]\n[Itn] & [WaveFreq.dat]\n\n"
      "USE OPSEQ VALUE [YES] | CALC VALUE [NO] | ABORT [CANCEL]?";
  const int answers[] = {IDYES, IDNO, IDCANCEL};
  for (int answer : answers) {
    SCOPED_TRACE(answer);
    rules_.clear();
    Answer("Question", question, answer);
    ThzSettings.IntvSize = 500;
    ThzSettings.SectHi = 4001;
    ASSERT_EQ(THzLinearization(0, 0, 1), 1);
    EXPECT_EQ(THzLinearization(0, 1, 1), answer == IDCANCEL ? 0 : 1);
    EXPECT_EQ(ThzSettings.Status, answer);
    EXPECT_EQ(ThzSettings.IntvSize, answer == IDNO ? 1000 : 500);
  }
}

TEST_F(ThzTest, EqualPositionsMergeAndADecreasingOneAsks) {
  double x[] = {0, 10, 10, 20, 15, 30};
  double y[] = {1, 2, 4, 5, 7, 9};
  Answer("Question", "PHASE [I]\n\n[WaveFreq.dat] LINE=[104] TIME SEQUENCE ERROR\n\nCONTINUE [YES] | ABORT [NO]?",
         IDYES);
  ASSERT_EQ(ThzMergePositions(x, y, 6, 100), 4);
  EXPECT_DOUBLE_EQ(x[1], 10.0);
  EXPECT_DOUBLE_EQ(y[1], 3.0);
  EXPECT_DOUBLE_EQ(x[2], 17.5);  // 15 joined the group of 20
  EXPECT_DOUBLE_EQ(y[2], 6.0);
  EXPECT_DOUBLE_EQ(x[3], 30.0);
  EXPECT_EQ(Boxes("Question").size(), 1u);

  rules_.clear();
  double x2[] = {0, 10, 5};
  double y2[] = {0, 1, 2};
  EXPECT_EQ(ThzMergePositions(x2, y2, 3, 0), -1);
  EXPECT_EQ(ThzSettings.Status, 2);
}

TEST_F(ThzTest, LengthMismatchWarnsContinuingAndKeepsTheStatus) {
  ASSERT_TRUE(SmallSectionThroughPhaseOne());
  ThzSettings.SectHi = 90;
  ThzSettings.Status = 6;
  EXPECT_EQ(THzLinearization(0, 2, 1), 0);
  EXPECT_TRUE(Shown("Warning",
                    "PHASE [II]\n\nFRQ FILE=[FRQ_FRQ] SZ=[101] != ITN INPUT FILE=[Itn] SZ=[90]\n\nCONTINUING"));
  EXPECT_EQ(ThzSettings.Status, 6);
  EXPECT_FALSE(Exists("Out"));
}

TEST_F(ThzTest, OutputStepZeroIsRefusedBeforeAnythingIsRead) {
  ASSERT_TRUE(SmallSectionThroughPhaseOne());
  ThzSettings.OutFrqStp = 0.0;
  EXPECT_EQ(THzLinearization(0, 2, 1), 0);
  EXPECT_TRUE(Shown("Warning", "PHASE [II]\n\nOUTPUT FRQ STEP ZERO\n\nABORTING"));
  EXPECT_EQ(ThzSettings.Status, 2);
  EXPECT_EQ(ThzSettings.OutPts, 0u);
  EXPECT_FALSE(Exists("Out"));
}

TEST_F(ThzTest, PerPointSectionBeyondTheLogIsRefused) {
  WriteSmallScan();
  ThzSettings.SectLo = 50;
  ThzSettings.SectHi = 150;
  ASSERT_EQ(THzLinearization(0, 0, 1), 1);
  EXPECT_EQ(THzLinearization(0, 1, 1), 0);
  EXPECT_EQ(ThzSettings.Status, 2);
  EXPECT_TRUE(Shown("Warning", "PHASE [I]\n\nSECTION [50 - 150] NOT WITHIN WAVEMETER FILE [WaveFreq.dat] OF [101] "
                               "LINES\n\nABORTING"));

  // A log and an intensity file of different lengths.
  WriteValues("Itn", std::vector<float>(99, 0.0f));
  ThzSettings.SectLo = 0;
  ThzSettings.SectHi = 99;
  EXPECT_EQ(THzLinearization(0, 1, 1), 0);
  EXPECT_TRUE(Shown("Info", "PHASE [I]\n\nFILE LENGTHS OF WAVEMETER [101] & ITN FILES [99] SHOULD BE THE SAME\n\nABORTING"));
}

// A log reading that is not a number is refused, named, before any frequency file is
// written: one reading per point, one per interval of 10 points (the spline would carry
// it to every point), and the first reading, which phase 0 makes BEG FRQ.
TEST_F(ThzTest, PhaseOneRefusesReadingsThatAreNotNumbers) {
  const auto logWithNan = [](int lines, int at, double step) {
    std::string log;
    for (int i = 0; i < lines; ++i) log += (i == at ? std::string("nan") : StrPrintf("%.4f", 1000.0 + step * i)) + "\n";
    return log;
  };
  struct Case {
    int lines, at, points, perPoint;
    const char* warning;
  };
  const Case cases[] = {
      {101, 50, 101, 1, "PHASE [I]\n\n[WaveFreq.dat] LINE=[50] FRQ=[nan] NOT A NUMBER\n\nABORTING"},
      {11, 5, 100, 0, "PHASE [I]\n\n[WaveFreq.dat] LINE=[5] FRQ=[nan] NOT A NUMBER\n\nABORTING"},
      {11, 0, 100, 0, "PHASE [I]\n\nBEG FRQ=[nan] END FRQ=[1001.000000] NOT NUMBERS\n\nABORTING"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.warning);
    ThzSettings = ThzSettingsRecord{};
    ThzSettings.OutFrqStp = kStep;
    ThzSettings.PerPointLog = c.perPoint;
    ThzSettings.IntvSize = 0;
    ThzSettings.SectHi = static_cast<uint32_t>(c.points);
    WriteText("WaveFreq.dat", logWithNan(c.lines, c.at, 1.0 / (c.lines - 1)));
    WriteValues("Itn", std::vector<float>(static_cast<size_t>(c.points), 1.0f));
    ASSERT_EQ(THzLinearization(0, 0, 1), 1);
    EXPECT_EQ(THzLinearization(0, 1, 1), 0);
    EXPECT_EQ(Boxes("Warning").back(), c.warning);
    EXPECT_EQ(ThzSettings.Status, 2);
    EXPECT_FALSE(Exists("FRQ_FRQ"));
  }
}

TEST_F(ThzTest, SpanCheckAsksAndSkips) {
  WriteSmallScan();
  ThzSettings.RangeCheck = 1;
  ThzSettings.OpseqMin = 5.0;
  ASSERT_EQ(THzLinearization(0, 0, 1), 1);
  Answer("Question", "PHASE [I]\n\nSET=[0] INTV FRQ=[1.000000] < MIN VALUE=[5.000000]*SKIP SECTION [NO]*", IDNO);
  EXPECT_EQ(THzLinearization(0, 1, 1), 0);
  EXPECT_EQ(ThzSettings.Status, IDNO);
  EXPECT_NEAR(ThzSettings.ActHi - ThzSettings.ActLo, 1.0, 1e-9);
}

TEST_F(ThzTest, SmoothingBandsSelectWhatIsSmoothed) {
  // 2004 smooths the readings of phase I, so a noisy per-interval log still places
  // the line; exactly 2000 smooths nothing and the frequency file follows the noise.
  std::string log;
  for (int l = 0; l <= 200; ++l) log += StrPrintf("%.6f\n", 1000.0 + l * 0.1 + ((l % 2) ? 0.02 : -0.02));
  WriteText("WaveFreq.dat", log);
  WriteValues("Itn", std::vector<float>(2001, 1.0f));
  std::vector<float> frq[2];
  const float windows[] = {2000.0f, 2004.0f};
  for (int k = 0; k < 2; ++k) {
    ThzSettings = ThzSettingsRecord{};
    ThzSettings.IntvSize = 10;
    ThzSettings.SectHi = 2001;
    Cnv.FFT_SmoothWin = windows[k];
    ASSERT_EQ(THzLinearization(0, 0, 1), 1);
    ASSERT_EQ(THzLinearization(0, 1, 1), 1);
    frq[k] = ReadValues<float>("FRQ_FRQ");
    ASSERT_EQ(frq[k].size(), 2000u);
  }
  // Readings 100 and 101 are logged 0.02 low and 0.02 high: 0.14 apart as logged,
  // 0.10 apart once the zigzag is smoothed away.
  EXPECT_NEAR(frq[0][1010] - frq[0][1000], 0.14, 1e-4);
  EXPECT_NEAR(frq[1][1010] - frq[1][1000], 0.10, 0.01);
}

TEST_F(ThzTest, SectionDriverWithoutSectionListStopsAndUnknownPhasesDoNothing) {
  EXPECT_EQ(THzLinearization(0, 9, 1), 1);
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_EQ(THzLinearization(0, 3, 1), 0);
  EXPECT_EQ(ThzSettings.Status, 6);
  EXPECT_TRUE(Shown("Warning", "PHASE [III]\n\nFILE POSITIONS IN [MksRepeat] OF REPEATED SECTIONS MUST BE "
                               "DEFINED\n\nABORTING"));
}

}  // namespace
}  // namespace qvtest
