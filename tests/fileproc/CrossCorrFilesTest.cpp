// The correlation curve of two files (shifts, weights, zero products, normalisation,
// length matching, baseline moves and scans) and the per-sequence shifts of one file
// against another.
#include "fileproc/CrossCorrFiles.h"

#include <cmath>
#include <cstring>

#include "FileOpsFixture.h"
#include "records/XCorrWork.h"
#include "tests/support/XyData.h"

namespace {

class CrossCorrFilesTest : public qvtest::AnsweringFileOpsTest {
 protected:
  void SetUp() override {
    AnsweringFileOpsTest::SetUp();
    XCorrWork = XCorrWorkRecord{};
  }
  static std::vector<float> Part(const std::vector<float>& y, int from, int n) {
    return std::vector<float>(y.begin() + from, y.begin() + from + n);
  }
  static int32_t Best(const std::vector<float>& curve) {
    return static_cast<int32_t>(std::max_element(curve.begin(), curve.end()) - curve.begin());
  }
};

TEST_F(CrossCorrFilesTest, IdenticalFilesPeakAtZeroAndALaterFileAtPlusOne) {
  const std::vector<float> y = qvtest::XyColumnY();
  const int n = 400;
  WriteValues("a", Part(y, 5000, n));
  WriteValues("b", Part(y, 5000, n));
  WriteValues("late", Part(y, 4999, n));  // the same trace one point later
  ASSERT_EQ(CrossCorrFiles(0, 0, "a", "b", "cc", 0.01, 0, 1, 0), 1);
  std::vector<float> curve = ReadValues<float>("cc");
  ASSERT_EQ(curve.size(), 2u * n + 1);
  EXPECT_EQ(Best(curve), n);
  EXPECT_EQ(XCorrWork.Files_Shift[0], 0.0f);
  EXPECT_EQ(XCorrWork.Files_Max[0], curve[n]);
  ASSERT_EQ(CrossCorrFiles(0, 0, "a", "late", "cc", 0.01, 0, 1, 0), 1);
  EXPECT_EQ(Best(ReadValues<float>("cc")), n + 1);
  EXPECT_EQ(XCorrWork.Files_Shift[0], 1.0f);
  // Pair averages: as long as the input.
  ASSERT_EQ(CrossCorrFiles(0, 0, "a", "late", "half", 0.01, 0, 0, 0), 1);
  curve = ReadValues<float>("cc");
  const std::vector<float> half = ReadValues<float>("half");
  ASSERT_EQ(half.size(), static_cast<size_t>(n));
  EXPECT_EQ(half[7], (curve[14] + curve[15]) / 2.0f);
}

TEST_F(CrossCorrFilesTest, WeightsZeroProductsAndNormalisation) {
  WriteValues<float>("a", {1.0f, 0.0f, 2.0f});
  WriteValues<float>("b", {1.0f, 5.0f, 1.0f});
  // Damping 1: the end lags weigh nothing; zero products count neither in sum nor count.
  ASSERT_EQ(CrossCorrFiles(0, 0, "a", "b", "cc", 1.0, 0, 1, 0), 1);
  std::vector<float> c = ReadValues<float>("cc");
  ASSERT_EQ(c.size(), 7u);
  EXPECT_EQ(c[0], 0.0f);
  EXPECT_EQ(c[6], 0.0f);
  EXPECT_FLOAT_EQ(c[3], 1.5f);                 // (1 + 2) / 2
  // Lag +1: a[0] b[1] = 5 alone (a[1] b[2] = 0); lag -1: b[1] a[2] = 10 alone; weight 2/3.
  EXPECT_FLOAT_EQ(c[4], 5.0f * 2.0f / 3.0f);
  EXPECT_FLOAT_EQ(c[2], 10.0f * 2.0f / 3.0f);
  // Damping 0 normalises: identical traces give 1 at zero lag.
  WriteValues<float>("b", {1.0f, 0.0f, 2.0f});
  ASSERT_EQ(CrossCorrFiles(0, 0, "a", "b", "cc", 0.0, 0, 1, 0), 1);
  c = ReadValues<float>("cc");
  EXPECT_FLOAT_EQ(c[3], 1.0f);
  // An all-zero trace cannot be normalised.
  WriteValues<float>("z", {0.0f, 0.0f, 0.0f});
  ASSERT_EQ(CrossCorrFiles(0, 0, "a", "z", "cc", 0.0, 0, 1, 0), 1);
  EXPECT_EQ(Texts().back(), "Warning: CROSS CORRELATION\n\nNORMALIZATION ZERO & DISABLED");
}

// A curve long enough to be shared among threads, its lags summed side by side, holds
// every lag's value bit for bit as one lag at a time gives it: zeros of both signs
// among the values, products that round to 0, weights that reach 0 (and all of a
// group of lags), normalised and averaged.
TEST_F(CrossCorrFilesTest, LagsSideBySideOnEveryCoreGiveTheCurveOfOneLagAtATime) {
  const int n = 2100;
  std::vector<float> a(n), b(n);
  for (int i = 0; i < n; ++i) {
    a[i] = static_cast<float>(std::sin(0.037 * i) + 0.3 * std::cos(0.71 * i));
    b[i] = static_cast<float>(std::sin(0.037 * (i - 11)) + 0.2 * std::sin(1.3 * i));
    if (i % 97 < 5) a[i] = i % 2 ? -0.0f : 0.0f;
    if (i % 89 == 3) b[i] = 1e-30f;  // its products with small values round to 0
    if (i % 89 == 4) a[i] = 1e-20f;
  }
  WriteValues("a", a);
  WriteValues("b", b);
  for (double damping : {0.01, 1.7, 0.0}) {
    ASSERT_EQ(CrossCorrFiles(0, 0, "a", "b", "cc", damping, 0, 1, 0), 1);
    const std::vector<float> curve = ReadValues<float>("cc");
    ASSERT_EQ(curve.size(), 2u * n + 1);
    double s0 = 0.0, s1 = 0.0;
    for (int i = 0; i < n; ++i) {
      s0 += static_cast<double>(a[i]) * a[i];
      s1 += static_cast<double>(b[i]) * b[i];
    }
    for (int k = 0; k <= n; ++k) {
      double w = 1.0 - std::fabs(static_cast<double>(k) / n) * damping;
      const float wt = static_cast<float>(w <= 0.0 ? 0.0 : w);
      double p = 0.0, q = 0.0;
      int64_t np = 0, nq = 0;
      for (int i = 0; i < n - k; ++i) {
        const float x = a[i] * b[i + k];
        const float y = b[i] * a[i + k];
        if (x != 0.0f) p += x, ++np;
        if (y != 0.0f) q += y, ++nq;
      }
      float up = 0.0f, down = 0.0f;
      if (wt != 0.0f && damping <= 0.0) {
        up = static_cast<float>(static_cast<float>(p * wt) / std::sqrt(s0 * s1));
        down = static_cast<float>(static_cast<float>(q * wt) / std::sqrt(s0 * s1));
      } else if (wt != 0.0f) {
        up = np > 0 ? static_cast<float>(p * wt / static_cast<double>(np)) : 0.0f;
        down = nq > 0 ? static_cast<float>(q * wt / static_cast<double>(nq)) : 0.0f;
      }
      ASSERT_EQ(std::memcmp(&curve[n + k], &up, 4), 0) << "damping " << damping << " lag " << k;
      ASSERT_EQ(std::memcmp(&curve[n - k], &down, 4), 0) << "damping " << damping << " lag " << -k;
    }
  }
}

TEST_F(CrossCorrFilesTest, DifferentLengthsArePaddedOnYesAndStopOnNo) {
  WriteValues<float>("a", {1.0f, 2.0f, 3.0f, 4.0f, 5.0f});
  WriteValues<float>("b", {2.0f, 3.0f});
  yes_ = false;
  EXPECT_EQ(CrossCorrFiles(0, 0, "a", "b", "cc", 0.01, 0, 1, 0), 0);
  EXPECT_FALSE(std::filesystem::exists("cc"));
  EXPECT_FALSE(std::filesystem::exists("bm"));
  yes_ = true;
  ASSERT_EQ(CrossCorrFiles(0, 0, "a", "b", "cc", 0.01, 0, 1, 0), 1);
  EXPECT_EQ(Texts().back(), "Question: CROSS CORRELATION OPERATION\n\nFILE [a] LENGTH [5] != FILE [b] LENGTH "
                            "[2]\n\nADJUST [YES] | CONTINUE [NO]?");
  // One zero before (half of the difference), two after; b itself is kept.
  EXPECT_EQ(ReadValues<float>("bm"), (std::vector<float>{0.0f, 2.0f, 3.0f, 0.0f, 0.0f}));
  EXPECT_EQ(ReadValues<float>("b"), (std::vector<float>{2.0f, 3.0f}));
  EXPECT_EQ(ReadValues<float>("cc").size(), 11u);
  EXPECT_EQ(Cnv.Pts_Ave[0], 1);
}

TEST_F(CrossCorrFilesTest, BaselineModesAndScan) {
  const std::vector<float> y = qvtest::XyColumnY();
  std::vector<float> a = Part(y, 6000, 200);
  std::vector<float> b = Part(y, 5998, 200);
  WriteValues("a", a);
  WriteValues("b", b);
  // Middles with a rectangular lag window: one correlation, the moved files removed.
  ASSERT_EQ(CrossCorrFiles(0, 1, "a", "b", "cc", 0.5, -6, 1, 1), 1);
  EXPECT_EQ(Texts().back(), "Info: CROSS CORRELATION\n\nBASELINE OFFSETS DEFINED AT MID OF [a] & [b]");
  EXPECT_FALSE(std::filesystem::exists("ao"));
  EXPECT_FALSE(std::filesystem::exists("bo"));
  // The moved traces are correlated: the curve matches that of the traces moved by hand.
  float lo0 = 1e20f, hi0 = -1e20f, lo1 = 1e20f, hi1 = -1e20f;
  for (float v : a) if (v != 0.0f) { lo0 = std::min(lo0, v); hi0 = std::max(hi0, v); }
  for (float v : b) if (v != 0.0f) { lo1 = std::min(lo1, v); hi1 = std::max(hi1, v); }
  for (float& v : a) if (v != 0.0f) v = v + -((lo0 + hi0) / 2.0f);
  for (float& v : b) if (v != 0.0f) v = v + -((lo1 + hi1) / 2.0f);
  WriteValues("am", a);
  WriteValues("bm", b);
  const std::vector<float> moved = ReadValues<float>("cc");
  ASSERT_EQ(CrossCorrFiles(0, 0, "am", "bm", "cc2", 0.5, -6, 1, 0), 1);
  EXPECT_EQ(moved, ReadValues<float>("cc2"));
  // A 2 x 2 scan keeps every curve and a table entry per step.
  ASSERT_EQ(CrossCorrFiles(0, 1, "a", "b", "scan", 0.01, 2, 1, 1), 1);
  EXPECT_EQ(XCorrWork.Files_Steps, 5);
  ASSERT_EQ(XCorrWork.Files_Shift.size(), 5u);
  for (int k = 1; k <= 4; ++k) EXPECT_TRUE(std::filesystem::exists("scan" + std::to_string(k))) << k;
  EXPECT_EQ(Texts().back(), "Info: CROSS CORRELATION\n\nBASELINE OFFSETS=[4] SCANNED BETWEEN MAX & MIN OF [a] & [b]");
}

TEST_F(CrossCorrFilesTest, MissingInputIsRefused) {
  WriteValues<float>("a", {1.0f});
  EXPECT_EQ(CrossCorrFiles(0, 0, "a", "none", "cc", 0.01, 0, 1, 0), 0);
  EXPECT_EQ(Texts().back(), "Warning: CrossCorrFiles()\n\nFAILED TO OPEN BINARY FILE [none] FOR READING\n\nABORTING");
}

// Sequences of the measured spectrum, the second file a reference, the first moved.
TEST_F(CrossCorrFilesTest, TwoFilesGiveTheShiftOfEverySequence) {
  const std::vector<float> y = qvtest::XyColumnY();
  const int s = 1000;
  std::vector<float> ref;
  std::vector<float> moved;
  const int lags[3] = {0, 3, -7};
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < s; ++i) {
      ref.push_back(y[static_cast<size_t>(2000 + 1500 * k + i)]);
      moved.push_back(y[static_cast<size_t>(2000 + 1500 * k + i - lags[k])]);
    }
  WriteValues("f1", moved);
  WriteValues("f2", ref);
  Cnv.Seq_Sz[1] = s;
  Cnv.Win_Lo[1] = 100;
  Cnv.Win_Hi[1] = 900;
  Cnv.Cc_Rad[1] = 12;
  Cnv.Damp[1] = 0.0;
  ASSERT_EQ(CrossCorr2Files(1, "f1", "f2", "shifts", 0), 1);
  EXPECT_EQ(ReadValues<float>("shifts"), (std::vector<float>{0.0f, 3.0f, -7.0f}));
  // A CC offset scrolls the first file first and is added to the shifts.
  Cnv.Cc_Offset[1] = 2;
  EXPECT_EQ(CrossCorr2Files(1, "f1", "f2", "shifts", 2), 0);  // neither applied silently nor asked
  EXPECT_EQ(ReadValues<float>("f1"), moved);
  // A window reaching past the sequence is refused before anything is read.
  Cnv.Cc_Offset[1] = 0;
  Cnv.Win_Hi[1] = 1001;
  EXPECT_EQ(CrossCorr2Files(1, "f1", "f2", "shifts", 0), 0);
  EXPECT_EQ(Texts().back(), "Warning: CrossCorr2Files()\n\nCC WINDOW=[100] TO [1001] OUTSIDE SEQ SZ=[1000]\n\nABORTING");
}

}  // namespace
