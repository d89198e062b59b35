// The marker writers: evenly spaced markers, the frequency/intensity list and the
// AOM-ramp marker writers.
#include "MarkerCalibFixture.h"
#include "convert/calib/AirIndex.h"
#include "convert/calib/MarkerWriters.h"
#include "platform/kernel/Text.h"

namespace {

namespace drv = platform::driver;
using qvtest::MarkerCalibTest;
using MarkerWritersTest = MarkerCalibTest;

TEST_F(MarkerWritersTest, EvenlySpacedMarkersAfterTheStartAndBelowTheEnd) {
  Cnl.MkEnd = 1000;
  ASSERT_EQ(MarkerFileWrite(), 1);
  EXPECT_EQ(ReadText("Mks"), "100\r\n200\r\n300\r\n400\r\n500\r\n600\r\n700\r\n800\r\n900\r\n");
  Cnl.MkStart = 950;
  Cnl.MkEnd = 1200;
  drv::Answers answers;
  answers.Box("Question", "MARKER FILE [Mks] EXISTS\n\nOVERWRITE [YES] | ABORT [NO]", IDNO)
      .Box("Question", "MARKER FILE [Mks] EXISTS\n\nOVERWRITE [YES] | ABORT [NO]", IDYES);
  EXPECT_EQ(MarkerFileWrite(), 0);
  EXPECT_EQ(ReadMarkers("Mks").size(), 9u);
  EXPECT_EQ(MarkerFileWrite(), 1);
  EXPECT_EQ(ReadText("Mks"), "1050\r\n1150\r\n");
  // A step that never advances is refused.
  Cnl.MkStep = 0;
  answers.Box("Warning", "MARKER FILE [Mks]\n\nMARKER STEP=[0] MUST BE 1 OR MORE\n\nABORTING", IDOK);
  EXPECT_EQ(MarkerFileWrite(), 0);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadText("Mks"), "1050\r\n1150\r\n");
}

TEST_F(MarkerWritersTest, FrequencyAndIntensityAtEveryMarker) {
  WriteFloats("chan.bin", {0.5f, 1.5f, 2.5f, 3.5f, 4.5f, 5.5f});
  StrCopy(Dsp.Chn_Flnm[2], "chan.bin");
  Dsp.Init_Frq = 1000.0;
  Dsp.Pts2Pxl[3] = 1.0;
  Dsp.FrqStpView[3] = 0.25;
  WriteText("Mks", "2\nnot a number\n20\n-1\n5\n");
  drv::Answers answers;
  answers.Box("Info", "FRQ/ITN WRITTEN TO FILE [FrqItn.dat]", IDOK);
  ASSERT_EQ(FrqItnWrite(2), 1);
  EXPECT_TRUE(answers.AllAnswered());
  // The unreadable line repeats position 2; positions outside the file write nothing.
  EXPECT_EQ(ReadText("FrqItn.dat"), StrPrintf("%16.8lf %16.8f\r\n", 1000.5, 2.5) +
                                        StrPrintf("%16.8lf %16.8f\r\n", 1000.5, 2.5) +
                                        StrPrintf("%16.8lf %16.8f\r\n", 1001.25, 5.5));
  EXPECT_EQ(FrqItnWrite(9), 0);
  EXPECT_EQ(FrqItnWrite(-1), 0);
  StrCopy(Dsp.Chn_Flnm[2], "missing.bin");
  answers.Box("Warning", "FAILED TO OPEN FILE [missing.bin] FOR READING", IDOK);
  EXPECT_EQ(FrqItnWrite(2), 0);
  EXPECT_TRUE(answers.AllAnswered());
}

TEST_F(MarkerWritersTest, RampMarkersAtARisingLevel) {
  WriteFloats("AOMRampF", {0.0f, 1.0f, 2.0f, 2.5f, 0.0f, 5.0f, 6.0f, 7.5f});
  ASSERT_EQ(AomRampMarkerWrite(1.0, 2.0), 1);
  // 1 reaches 1; 5 reaches 3; 6 directly follows 5; 7.5 reaches 5.
  EXPECT_EQ(ReadText("Mks"), "1\r\n5\r\n7\r\n");
  StrCopy(Cnl.RampFlnm, "none");
  drv::Answers answers;
  answers.Box("Warning", "FAILED TO OPEN BINARY FILE [none] FOR READING", IDOK);
  EXPECT_EQ(AomRampMarkerWrite(1.0, 2.0), 0);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadText("Mks"), "1\r\n5\r\n7\r\n");
}

TEST_F(MarkerWritersTest, RampWavelengthsToChannelPoints) {
  Dsp.FL_SZ[3][0] = 1000;
  const double first = 1e7 / 502.0;
  const double last = 1e7 / 498.0;
  ASSERT_EQ(AomRampWaveWrite(0, 499.0, 501.0, 1.0, first, last), 1);
  const auto marks = ReadMarkers("Mks");
  ASSERT_EQ(marks.size(), 3u);
  for (size_t k = 0; k < 3; ++k) {
    double vacuum = 0.0;
    WavelengthAirCorrect(499.0 + static_cast<double>(k), 25.0, 760.0, 0.0, 1e-7, &vacuum);
    EXPECT_EQ(marks[k], static_cast<long long>((1e7 / vacuum - first) / (last - first) * 1000.0));
  }
  EXPECT_GT(marks[0], marks[1]);  // longer wavelengths, lower wavenumbers
  // The end is stepped to where the rounding of 1500.3 - 1500 leaves 0.3 / 0.1 short of 3.
  ASSERT_EQ(AomRampWaveWrite(0, 1500.0, 1500.3, 0.1, 1e7 / 1501.0, 1e7 / 1499.0), 1);
  EXPECT_EQ(ReadMarkers("Mks").size(), 4u);
  drv::Answers answers;
  answers.Box("Warning", "AOM RAMP WAVE WRITE*", IDOK);
  EXPECT_EQ(AomRampWaveWrite(0, 499.0, 501.0, 0.0, first, last), 0);
  EXPECT_TRUE(answers.AllAnswered());
}

}  // namespace
