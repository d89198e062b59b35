// AOM linearisation of five-channel scans made from a known spectrum, the RF
// calibration table, and the demodulation of a square-wave modulated channel.
#include "convert/calib/AomCalib.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "CalibFixture.h"
#include "numerics/Spline.h"
#include "platform/windows/MessageBox.h"

namespace qvtest {
namespace {

constexpr int kPerInterval = 4000;  // points of one ramp
constexpr int kIntervals = 4;
constexpr int kN = 500;             // output points per FSR: FSR 100 / OUT RESOL 0.2

// The spectrum over one FSR of 100.
double Spectrum(double f) { return 1.0 + 0.5 * std::sin(2.0 * M_PI * f / 100.0); }

class AomTest : public CalibTest {
 protected:
  void SetUp() override {
    CalibTest::SetUp();
    Name(8, "Itn");
    Name(1, "Ramp");
    Name(4, "Err0");
    Name(6, "Err1");
    Name(2, "Mrk");
    Name(7, "Out");
    Name(5, "Phase");
    // A linear calibration: AOM frequency = 10 x ramp voltage, 0 to 100 over 0 to 10 V.
    AomSettings.RfLow = 0.0;
    AomSettings.RfHigh = 100.0;
    AomSettings.RfScalar = 1.0;
    AomSettings.VoltLow = 0.0f;
    AomSettings.VoltHigh = 10.0f;
  }

  // Four ramps over one FSR each, markers 1.0, error signals 0, and the spectrum as the
  // intensity; the marker-position file lists the last point of every ramp.
  void WriteScan(const std::string& intensityName = "Itn") {
    const int n = kPerInterval * kIntervals;
    std::vector<float> ramp(n), itn(n), zero(n, 0.0f), mrk(n, 1.0f);
    for (int i = 0; i < n; ++i) {
      const double f = 100.0 * (i % kPerInterval) / kPerInterval;
      ramp[static_cast<size_t>(i)] = static_cast<float>(f / 10.0);
      itn[static_cast<size_t>(i)] = static_cast<float>(Spectrum(f));
    }
    WriteValues("Ramp", ramp);
    WriteValues(intensityName, itn);
    WriteValues("Err0", zero);
    WriteValues("Err1", zero);
    WriteValues("Mrk", mrk);
    std::string mks;
    for (int k = 1; k <= kIntervals; ++k) mks += std::to_string(k * kPerInterval - 1) + "\n";
    WriteText("Mks", mks);
  }

  // Segment s of the output matches the spectrum on the output grid.
  static void ExpectSpectrum(const std::vector<float>& out, int s, double tolerance) {
    ASSERT_GE(out.size(), static_cast<size_t>((s + 1) * kN));
    double worst = 0.0;
    for (int j = 0; j < kN; ++j)
      worst = std::max(worst, std::fabs(out[static_cast<size_t>(s * kN + j)] - Spectrum(j * 0.2)));
    EXPECT_LT(worst, tolerance) << "segment " << s;
  }
  static int32_t RejectedInReport() {
    for (const std::string& t : Boxes("Info")) {
      const std::string key = "DATA REJECTED BELOW MARKER MIN [0.050000]=[";
      const size_t at = t.find(key);
      if (at != std::string::npos) return std::stoi(t.substr(at + key.size()));
    }
    return -1;
  }
};

TEST_F(AomTest, FillReproducesTheSpectrumAtNPointsPerFsr) {
  WriteScan();
  AomSettings.JmpWin = 0;
  ASSERT_EQ(AomCalibrate(0, 0, kPerInterval * kIntervals, 0, 1, 1, 1), 1);
  EXPECT_EQ(Dsp.Pts_FSR, kN);
  EXPECT_DOUBLE_EQ(AomSettings.OutResol, 0.2);
  EXPECT_EQ(Cnl.Mks_Cnt, 4u);
  EXPECT_FALSE(Exists("TEMP.TMP"));
  EXPECT_EQ(AomSettings.RfVolt, nullptr);  // the table is released at the end
  const std::vector<float> out = ReadValues<float>("Out");
  // The FSR before the first ramp, four ramps, and the two FSRs after the last.
  ASSERT_EQ(out.size(), static_cast<size_t>(7 * kN));
  for (int j = 0; j < kN; ++j) ASSERT_EQ(out[static_cast<size_t>(j)], 0.0f) << j;
  for (int s = 1; s <= 4; ++s) ExpectSpectrum(out, s, 5e-3);
  EXPECT_EQ(RejectedInReport(), 0);
  EXPECT_TRUE(Shown("Info", "CALIBRATION FILE [AomRamp.dat] NOT FOUND\n\nLINEAR CALIBRATION USED"));

  // The side files are as long as the marker file; the frequencies of the second ramp
  // run from one FSR up.
  const std::vector<float> mk = ReadValues<float>("Mrkm");
  const std::vector<float> frq = ReadValues<float>("Mrkf");
  ASSERT_EQ(mk.size(), static_cast<size_t>(kPerInterval * kIntervals));
  ASSERT_EQ(frq.size(), mk.size());
  EXPECT_EQ(mk.back(), 1.0f);
  EXPECT_NEAR(frq[kPerInterval], 100.0, 0.06);
  EXPECT_NEAR(frq[kPerInterval + 2000], 150.0, 0.06);
}

TEST_F(AomTest, MapReproducesTheSpectrumAndTheOutputMayBeAnInput) {
  WriteScan();
  AomSettings.JmpWin = 0;
  StrCopy(AomSettings.Interp, "MAP");
  Name(7, "Itn");  // the output replaces the intensity only at the end
  ASSERT_EQ(AomCalibrate(0, 0, kPerInterval * kIntervals, 0, 0, 0, 0), 1);
  const std::vector<float> out = ReadValues<float>("Itn");
  ASSERT_EQ(out.size(), static_cast<size_t>(7 * kN));
  for (int s = 1; s <= 4; ++s) ExpectSpectrum(out, s, 5e-3);
  EXPECT_FALSE(Exists("Mrkm"));
}

TEST_F(AomTest, WithoutAMarkerFileEveryPointIsRejected) {
  WriteScan();
  std::filesystem::remove("Mks");
  ASSERT_EQ(AomCalibrate(0, 0, 0, 0, 1, 0, 1), 1);
  const std::vector<float> out = ReadValues<float>("Out");
  ASSERT_EQ(out.size(), static_cast<size_t>(3 * kN));
  for (float v : out) ASSERT_EQ(v, 0.0f);
  // low = high = 0: the whole file but its last point.
  EXPECT_EQ(RejectedInReport(), kPerInterval * kIntervals - 1);
  // Rejected points are 0 in the marker-out file, which ends with the marker file's
  // last value.
  const std::vector<float> mk = ReadValues<float>("Mrkm");
  ASSERT_EQ(mk.size(), static_cast<size_t>(kPerInterval * kIntervals));
  EXPECT_EQ(mk[0], 0.0f);
  EXPECT_EQ(mk.back(), 1.0f);
}

TEST_F(AomTest, JumpWindowRejectsTwoWMinusOnePointsPerJump) {
  WriteScan();
  WriteText("Mks", "3999\n7999\n11999\n");
  AomSettings.JmpWin = 3;
  // High before low: the same run.
  ASSERT_EQ(AomCalibrate(0, kPerInterval * kIntervals, 0, 0, 0, 0, 1), 1);
  // Three jumps of 5 points, and w - 2 points before the end mark high + 1.
  EXPECT_EQ(RejectedInReport(), 3 * 5 + 1);
}

TEST_F(AomTest, EvenOrOddIntervalsOnly) {
  WriteScan();
  AomSettings.JmpWin = 0;
  AomSettings.EoStat = 1;
  // Even: segments go out after odd interval counts (the FSR before the scan, ramps 1
  // and 3, and the last empty FSR); odd: after even counts (ramps 0 and 2, two empty).
  for (int even = 0; even < 2; ++even) {
    SCOPED_TRACE(even);
    rules_.clear();
    Answer("Question", "EVEN [YES] | ODD [NO] INTERVALS?", even ? IDYES : IDNO);
    ASSERT_EQ(AomCalibrate(0, 0, kPerInterval * kIntervals, 0, 0, 0, 0), 1);
    EXPECT_EQ(AomSettings.EoAnswer, even);
    const std::vector<float> out = ReadValues<float>("Out");
    ASSERT_EQ(out.size(), static_cast<size_t>(4 * kN));
    ExpectSpectrum(out, even ? 1 : 0, 5e-3);
    ExpectSpectrum(out, even ? 2 : 1, 5e-3);
    if (even) {
      EXPECT_EQ(out[0], 0.0f);  // the empty FSR before the scan
    }
  }
}

TEST_F(AomTest, MarkerFileReadingStopsAtTheFirstNonInteger) {
  WriteScan();
  WriteText("Mks", "3999\n7999x\n11999\n");
  AomSettings.JmpWin = 0;
  ASSERT_EQ(AomCalibrate(0, 0, kPerInterval * kIntervals, 0, 0, 0, 0), 1);
  EXPECT_EQ(Cnl.Mks_Cnt, 1u);
  EXPECT_EQ(ReadValues<float>("Out").size(), static_cast<size_t>(4 * kN));
}

TEST_F(AomTest, APointPassedOverAtAJumpStillClosesItsInterval) {
  WriteScan();
  std::vector<float> ramp = ReadValues<float>("Ramp");
  ramp[kPerInterval - 1] = 25.0f;  // 250 MHz: beyond the three FSR segments
  WriteValues("Ramp", ramp);
  AomSettings.JmpWin = 0;
  Answer("Question", "INDEX OUTSIDE [*] OF ARRAY BOUNDS: [0] TO [6000]\n\nERR2IDX=[0.000000]\n\nCONTINUE [YES] | ABORT [NO]?", IDYES);
  ASSERT_EQ(AomCalibrate(0, 0, kPerInterval * kIntervals, 0, 0, 1, 1), 1);
  const std::vector<float> out = ReadValues<float>("Out");
  ASSERT_EQ(out.size(), static_cast<size_t>(7 * kN));
  for (int s = 1; s <= 4; ++s) ExpectSpectrum(out, s, 5e-3);
  EXPECT_EQ(RejectedInReport(), 1);
  EXPECT_EQ(ReadValues<float>("Mrkf")[kPerInterval - 1], 0.0f);

  // Answered No: the run ends without a further box.
  rules_.clear();
  platform::ClearBoxLog();
  EXPECT_EQ(AomCalibrate(0, 0, kPerInterval * kIntervals, 0, 0, 0, 1), 0);
  EXPECT_TRUE(Boxes("Warning").empty());
}

TEST_F(AomTest, BinIndexTruncatesTowardZero) {
  // Error channel 1 moves the index by 1000 bins a volt.
  AomSettings.ErrFwhm[1] = 100.0;
  std::vector<float> err1(10, -2.0007f);  // index -0.7: bin 0
  err1[5] = -2.0012f;                     // index -1.2: outside
  WriteValues("Ramp", std::vector<float>(10, 0.0f));
  WriteValues("Itn", std::vector<float>(10, 1.0f));
  WriteValues("Err0", std::vector<float>(10, 0.0f));
  WriteValues("Err1", err1);
  WriteValues("Mrk", std::vector<float>(10, 1.0f));
  Answer("Question", "INDEX OUTSIDE*", IDYES);
  ASSERT_EQ(AomCalibrate(0, 0, 10, 0, 0, 0, 0), 1);
  const auto questions = Boxes("Question");
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].substr(0, 24), "INDEX OUTSIDE [-1] OF AR");
}

TEST_F(AomTest, RefusalsAndMissingFiles) {
  WriteScan();
  std::filesystem::remove("Err1");
  EXPECT_EQ(AomCalibrate(0, 0, 100, 0, 0, 0, 0), 0);
  EXPECT_TRUE(Shown("Warning", "FAILED TO OPEN BINARY ERROR FILE [Err1] FOR READING"));
  WriteScan();
  EXPECT_EQ(AomCalibrate(0, 5, 5, 0, 0, 0, 0), 1);  // equal limits: the whole file
  platform::ClearBoxLog();
  WriteValues("Itn", std::vector<float>(1, 0.0f));
  EXPECT_EQ(AomCalibrate(0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_TRUE(Shown("Warning", "MARKED DATA INTERVAL CANNOT BE ZERO\n\nABORTING"));
  // OUT RESOL 0 gives no output points per FSR.
  WriteScan();
  AomSettings.OutResol = 0.0;
  EXPECT_EQ(AomCalibrate(0, 0, 100, 0, 0, 0, 0), 0);
  EXPECT_TRUE(Shown("Warning", "AomCalibrate()\n\nOUTPUT POINTS PER FSR*INVALID\n\nABORTING"));
}

TEST_F(AomTest, CalibrationFileRowsAreCheckedBeforeUse) {
  AomSettings.RampStat = 1;
  const std::string header = "RF 0.0 100.0 X 1.0 2.0 ROWS ";
  WriteText("AomRamp.dat", header + "5 25 V F Z\n0.0 0.0 0\n5.0 50.0 0\n10.0 100.0 0\n");
  ASSERT_EQ(AomRFCalib(nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(AomSettings.RfRows, 3);
  EXPECT_TRUE(Shown("Warning", "PREMATURE READ EOF IN AOM CALIBRATION FILE [AomRamp.dat]"));
  EXPECT_FLOAT_EQ(AomSettings.VoltHigh, 10.0f);
  float f = 0.0f;
  ASSERT_EQ(FSplint(AomSettings.RfVolt, AomSettings.RfFrq, AomSettings.RfV2f, AomSettings.RfRows, 2.5f, &f), 1);
  EXPECT_NEAR(f, 25.0f, 1e-4);

  // One row can't be splined; a huge count is not allocated.
  WriteText("AomRamp.dat", header + "2000000000 25 V F Z\n0.0 0.0 0\n");
  EXPECT_EQ(AomRFCalib(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(AomSettings.RfVolt, nullptr);
  EXPECT_TRUE(Shown("Warning", "AOM CALIBRATION FILE [AomRamp.dat] HOLDS [1] ROWS*"));

  // A header cut short falls back to the linear ramp.
  WriteText("AomRamp.dat", "RF 0.0 100.0 X 1.0");
  ASSERT_EQ(AomRFCalib(nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(AomSettings.RampStat, 0);
  EXPECT_EQ(AomSettings.RfRows, 100);
  EXPECT_TRUE(Shown("Warning", "FORMAT ERROR IN AOM CALIBRATION FILE [AomRamp.dat]"));
  EXPECT_EQ(AomSettings.RfHdr2, 25);
}

TEST_F(AomTest, LinearizeItnAndVoltageFormula) {
  float out[4] = {9, 9, 9, 9};
  ASSERT_EQ(AomLinearizeItn(nullptr, nullptr, 0, out, 4, 1.0, nullptr, 1.0), 1);
  for (float v : out) EXPECT_EQ(v, 0.0f);
  const float x[] = {0, 1, 2, 3};
  const float y[] = {0, 2, 4, 6};
  const int32_t c[] = {1, -1, 1, 1};
  ASSERT_EQ(AomLinearizeItn(y, x, 4, out, 4, 0.75, c, 1.0), 1);
  EXPECT_NEAR(out[0], 0.0f, 1e-6);
  EXPECT_EQ(out[1], 0.0f);  // 0.75 lies in bin 1, whose count is -1
  EXPECT_NEAR(out[2], 3.0f, 1e-5);
  EXPECT_NEAR(out[3], 4.5f, 1e-5);
  EXPECT_FLOAT_EQ(AomVolt2Frq(0.0f), 250.0f - 358.27f);
  EXPECT_NEAR(AomVolt2Frq(2.0f), 250.0f + (-358.27f + 161.35f - 22.82f + 4.3464f - 0.24768f), 1e-3);
}

// ---- demodulation -------------------------------------------------------------------------

class DemodTest : public AomTest {
 protected:
  void SetUp() override {
    AomTest::SetUp();
    Answer("Question", "OVERWRITE FILE [Out]?", IDYES);
  }
  // Five periods of ten points on and ten off; the on half-periods average 5, 6, ...
  // and the off ones 2, 3, ..., each with a zero-mean ripple.
  void WriteSquareWave() {
    std::vector<float> phase, itn;
    for (int q = 0; q < 5; ++q) {
      for (int i = 0; i < 20; ++i) {
        const bool on = i < 10;
        phase.push_back(on ? 1.0f : 0.0f);
        itn.push_back(static_cast<float>((on ? 5 + q : 2 + q) + ((i % 2) ? 0.5 : -0.5)));
      }
    }
    WriteValues("Phase", phase);
    WriteValues("Itn", itn);
  }
};

TEST_F(DemodTest, SquareWaveDemodulatesToExactAverages) {
  WriteSquareWave();
  ASSERT_EQ(DemodProc(0, 0, 0), 1);
  EXPECT_EQ(ReadValues<float>("Out"), (std::vector<float>{5, 6, 7, 8, 9}));
  EXPECT_EQ(ReadValues<float>("Out1"), (std::vector<float>{2, 3, 4, 5}));  // the last off half is open

  // The point high is included: ending on point 20 closes the first off half-period.
  ASSERT_EQ(DemodProc(0, 20, 0), 1);
  EXPECT_EQ(ReadValues<float>("Out"), (std::vector<float>{5}));
  EXPECT_EQ(ReadValues<float>("Out1"), (std::vector<float>{2}));
}

TEST_F(DemodTest, ThresholdEqualityEmptyFirstHalfAndDelay) {
  // A phase exactly at MARKER CUT changes nothing.
  WriteValues("Phase", std::vector<float>(40, 0.05f));
  WriteValues("Itn", std::vector<float>(40, 1.0f));
  ASSERT_EQ(DemodProc(0, 0, 39), 1);
  EXPECT_TRUE(ReadValues<float>("Out").empty());
  EXPECT_TRUE(ReadValues<float>("Out1").empty());

  // Starting below the threshold closes an empty on half-period: 0.0.
  std::vector<float> phase(40, 0.0f);
  for (size_t i = 20; i < 40; ++i) phase[i] = 1.0f;
  WriteValues("Phase", phase);
  ASSERT_EQ(DemodProc(0, 0, 39), 1);
  EXPECT_EQ(ReadValues<float>("Out"), (std::vector<float>{0.0f}));
  EXPECT_EQ(ReadValues<float>("Out1"), (std::vector<float>{1.0f}));

  // A delay of 2.9 reads the phase two points later; it then runs short at the end.
  std::vector<float> itn(40);
  for (size_t i = 0; i < 40; ++i) itn[i] = static_cast<float>(i);
  WriteValues("Itn", itn);
  AomSettings.ErrFwhm[0] = 2.9;
  EXPECT_EQ(DemodProc(0, 0, 30), 1);
  // The off half-period is phase points 2..19, intensities 0..17.
  EXPECT_EQ(ReadValues<float>("Out1"), (std::vector<float>{8.5f}));
  platform::ClearBoxLog();
  EXPECT_EQ(DemodProc(0, 0, 39), 0);
  EXPECT_TRUE(Shown("Warning", "PREMATURE READ EOF"));
}

TEST_F(DemodTest, PrematureEndKeepsTheHalfPeriodsAveragedButNeverReplacesAnInput) {
  // Periods of twenty points whose intensity is the period's number; the phase file
  // ends in the second block of 4,096 points.
  std::vector<float> phase, itn;
  for (int i = 0; i < 5000; ++i) {
    phase.push_back(i % 20 < 10 ? 1.0f : 0.0f);
    itn.push_back(static_cast<float>(i / 20));
  }
  phase.resize(4100);
  WriteValues("Phase", phase);
  WriteValues("Itn", itn);
  WriteValues("Out", std::vector<float>{42.0f});
  std::vector<float> on(205), off(204);  // the halves closed within the first block
  for (size_t q = 0; q < on.size(); ++q) on[q] = static_cast<float>(q);
  for (size_t q = 0; q < off.size(); ++q) off[q] = static_cast<float>(q);
  EXPECT_EQ(DemodProc(0, 0, 0), 0);
  EXPECT_TRUE(Shown("Warning", "PREMATURE READ EOF"));
  EXPECT_EQ(ReadValues<float>("Out"), on);
  EXPECT_EQ(ReadValues<float>("Out1"), off);

  Name(7, "Itn");
  Answer("Question", "OVERWRITE FILE [Itn]?", IDYES);
  EXPECT_EQ(DemodProc(0, 0, 0), 0);
  EXPECT_EQ(ReadValues<float>("Itn"), itn);
  EXPECT_EQ(ReadValues<float>("Itn1"), off);
}

TEST_F(DemodTest, OutputsNamedLikeTheInputAndDeclinedOverwrite) {
  WriteSquareWave();
  Name(7, "Itn");
  Answer("Question", "OVERWRITE FILE [Itn]?", IDYES);
  ASSERT_EQ(DemodProc(0, 0, 0), 1);
  EXPECT_EQ(ReadValues<float>("Itn"), (std::vector<float>{5, 6, 7, 8, 9}));
  EXPECT_EQ(ReadValues<float>("Itn1"), (std::vector<float>{2, 3, 4, 5}));

  rules_.clear();
  WriteSquareWave();
  Name(7, "Out");
  WriteValues("Out", std::vector<float>{42.0f});
  EXPECT_EQ(DemodProc(0, 0, 0), 0);
  EXPECT_TRUE(Shown("Info", "OUTPUT FILE [Out] NOT OVERWRITTEN"));
  EXPECT_EQ(ReadValues<float>("Out"), (std::vector<float>{42.0f}));
}

}  // namespace
}  // namespace qvtest
