// Peak finding on synthetic ramps with known peak centres.
#include <cmath>

#include "MarkerCalibFixture.h"
#include "convert/calib/PeakFind.h"
#include "core/TypedArrays.h"

namespace {

namespace drv = platform::driver;
using qvtest::MarkerCalibTest;

constexpr char kQuestion[] = "PEAK FINDING PROCEDURE\n\nFILE MIN=*";

struct Peak {
  double centre;
  double width;      // sigma of a Gaussian, half width of a Lorentzian
  bool lorentzian;
  double height = 1.0;
};

// Peaks on a baseline rising from 0.1 to 0.3 across the file.
std::vector<float> Signal(int n, const std::vector<Peak>& peaks, double slope = 0.2) {
  std::vector<float> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    double y = 0.1 + slope * i / n;
    for (const Peak& p : peaks) {
      const double d = (i - p.centre) / p.width;
      y += p.lorentzian ? p.height / (1.0 + d * d) : (std::fabs(d) < 40 ? p.height * std::exp(-0.5 * d * d) : 0.0);
    }
    v[static_cast<size_t>(i)] = static_cast<float>(y);
  }
  return v;
}

class PeakFindTest : public MarkerCalibTest {
 protected:
  // Runs the search answering YES to the cutoff question; the markers found.
  std::vector<long long> Find(int32_t expectedPeaks) {
    drv::Answers answers;
    answers.Box("Question", kQuestion, IDYES)
        .Box("Info", "PEAKS FOUND = [" + std::to_string(expectedPeaks) + "]", IDOK);
    EXPECT_EQ(PeakFindHWHM(0), 1);
    EXPECT_TRUE(answers.AllAnswered()) << (answers.Failures().empty() ? "" : answers.Failures()[0]);
    return ReadMarkers("Mks");
  }
};

TEST_F(PeakFindTest, GaussianAndLorentzianCentresOnASlopeAcrossBlockEdges) {
  std::vector<Peak> peaks;
  std::vector<double> centres = {700, 3100, 9000, 30011, 65533, 65536 + 900, 131074, 150000, 199000};
  for (size_t j = 0; j < centres.size(); ++j) peaks.push_back({centres[j], j % 2 ? 5.0 : 6.0, j % 2 == 1});
  WriteFloats("AOMRampF", Signal(200000, peaks));
  for (int32_t p : {8, 7}) {
    Cnl.PtsAve = p;
    auto found = Find(static_cast<int32_t>(centres.size()));
    ASSERT_EQ(found.size(), centres.size()) << "PTS AVE " << p;
    for (size_t j = 0; j < centres.size(); ++j)
      EXPECT_LE(std::fabs(static_cast<double>(found[j]) - centres[j]), 1.0) << "peak " << j << " PTS AVE " << p;
  }
  EXPECT_EQ(Cnv.Lim_Stat[0], 0);
  EXPECT_EQ(Status(0), "FL_CNT=200000");
}

TEST_F(PeakFindTest, ShiftedSignalShiftsEveryMarker) {
  std::vector<Peak> peaks;
  for (int j = 0; j < 12; ++j) peaks.push_back({1000.0 + 5461.0 * j, 4.0 + j % 3, false});
  std::vector<float> signal = Signal(70000, peaks, 0.0);
  WriteFloats("AOMRampF", signal);
  const auto base = Find(12);
  ASSERT_EQ(base.size(), 12u);
  for (int k : {1, 37, 513}) {
    std::vector<float> shifted(static_cast<size_t>(k), signal[0]);
    shifted.insert(shifted.end(), signal.begin(), signal.end());
    WriteFloats("AOMRampF", shifted);
    const auto moved = Find(12);
    ASSERT_EQ(moved.size(), base.size()) << k;
    for (size_t j = 0; j < base.size(); ++j) EXPECT_EQ(moved[j], base[j] + k) << "peak " << j << " shift " << k;
  }
}

TEST_F(PeakFindTest, NoLowersTheCutoffAndCancelLeavesAnEmptyMarkerFile) {
  WriteFloats("AOMRampF", Signal(4000, {{1000, 6, false}, {3000, 6, false}}, 0.0));
  WriteText("Mks", "17\r\n");
  Cnl.CutScalar = 0.5;
  drv::Answers answers;
  // MIN 0.1 from the flat baseline: 0.6, again 0.6 after the first NO, then 0.1 + 0.5 x 0.8.
  answers.Box("Question", "*USE INITIAL VALUE FOR CUTOFF=[0.600000] [YES]*", IDNO)
      .Box("Question", "*USE INITIAL VALUE FOR CUTOFF=[0.600000] [YES]*", IDNO)
      .Box("Question", "*USE INITIAL VALUE FOR CUTOFF=[0.500000] [YES]*", IDCANCEL);
  EXPECT_EQ(PeakFindHWHM(0), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadText("Mks"), "");
  EXPECT_TRUE(drv::MatchPattern("MIN=[0.100000] MAX=[1.0*] CUTOFF=[0.600000]", Status(3))) << Status(3);
}

TEST_F(PeakFindTest, APeakThatRisesAgainIsDroppedOnce) {
  // A peak at 1000 whose signal rises into a higher one at 1024 before it falls below the cutoff.
  WriteFloats("AOMRampF", Signal(3000, {{1000, 8, false, 1.0}, {1024, 8, false, 1.5}}, 0.0));
  Debug.DebugLevel = DEBUG_TOPIC_PEAKS;  // also writes the peak and cutoff tables
  const auto found = Find(1);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_LE(std::abs(found[0] - 1024), 2);  // the shoulder widens the left half a little
  EXPECT_EQ(Status(2), "RT MIN RESETS=[1]");
  EXPECT_EQ(ReadMarkers("Peak.txt").size(), 2u);  // the dropped peak and the real one
  EXPECT_NE(ReadText("Cutoff.txt").find("RTMIN CUT="), std::string::npos);
}

TEST_F(PeakFindTest, APeakNearTheFileStartGetsAWindowFromZero) {
  WriteFloats("AOMRampF", Signal(2000, {{20, 6, false}, {1000, 6, false}}, 0.0));
  Cnl.ScaleDiff = 1;  // cutoff a third of the way up from the minimum
  Cnl.PtsAve = 7;     // an odd window is centred on its point: symmetric peaks come out exact
  const auto found = Find(2);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], 20);  // the clipped window still ends at the peak's window end
  EXPECT_EQ(found[1], 1000);
  EXPECT_EQ(Status(1), "LF MIN RESETS=[1]");
}

TEST_F(PeakFindTest, PointLimitsBoundTheSearch) {
  WriteFloats("AOMRampF", Signal(6000, {{1000, 5, true}, {3000, 5, true}, {5000, 5, true}}, 0.0));
  Win.Pt_Lim[0][0] = 2000;
  Win.Pt_Lim[0][1] = 4000;
  const auto found = Find(1);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_LE(std::abs(found[0] - 3000), 1);
  EXPECT_EQ(Cnv.Lim_Stat[0], 1);
}

TEST_F(PeakFindTest, RefusalsLeaveTheMarkerFileAlone) {
  WriteText("Mks", "5\r\n");
  drv::Answers answers;
  answers.Box("Error", "FAILED TO OPEN BINARY FILE [AOMRampF] FOR READING", IDOK);
  EXPECT_EQ(PeakFindHWHM(0), 0);
  WriteFloats("AOMRampF", {1.0f, 2.0f});
  Cnl.PtsAve = 0;  // sum / 0 has no meaning
  answers.Box("Warning", "PEAK FINDING PROCEDURE\n\nPTS AVE=[0] OUT OF RANGE [1 - 1048576]\n\nABORTING", IDOK);
  EXPECT_EQ(PeakFindHWHM(0), 0);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadText("Mks"), "5\r\n");
}

TEST_F(PeakFindTest, InvertedSignalFindsItsDips) {
  std::vector<float> v = Signal(5000, {{1500, 6, false}, {3500, 5, true}});
  for (float& x : v) x = -x;
  WriteFloats("AOMRampF", v);
  Cnl.Inv = 1;
  const auto found = Find(2);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_LE(std::abs(found[0] - 1500), 1);
  EXPECT_LE(std::abs(found[1] - 3500), 1);
}

}  // namespace

namespace {

TEST_F(PeakFindTest, DiscriminatorRunShowsItsPositionAndNoPhotons) {
  WriteFloats("AOMRampF", Signal(70000, {{500, 6, false}}));
  PeakSearch s;
  ASSERT_TRUE(s.ramp.Open("AOMRampF"));
  ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&s.buf, static_cast<uint32_t>(Cnl.PtsAve + 65536))));
  s.cutoff = 0.5f;
  drv::Answers answers;
  answers.Box("Info", "NUMBER OF PHOTONS FOUND = [0]", IDOK);
  EXPECT_EQ(DiscFindAll(s), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(Status(0), "FL_CNT=70000");
  FFree1Dim(&s.buf);
}

}  // namespace
