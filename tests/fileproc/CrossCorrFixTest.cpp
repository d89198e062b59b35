// Alignment of the sequences of a parent file made of a measured spectrum moved by
// known shifts: the shift and score files, the aligned files and the average, the
// array variant agreeing with the file variant, an old shift file reproducing a run,
// the inversion test, and refusals.
#include "fileproc/CrossCorrFix.h"

#include "FileOpsFixture.h"
#include "records/XCorrWork.h"
#include "tests/support/XyData.h"

namespace {

constexpr int kLen = 1000;
constexpr int kSlot = 2;

class CrossCorrFixTest : public qvtest::AnsweringFileOpsTest {
 protected:
  void SetUp() override {
    AnsweringFileOpsTest::SetUp();
    XCorrWork = XCorrWorkRecord{};
    y_ = qvtest::XyColumnY();
    ASSERT_GT(y_.size(), 4200u);
    Cnv.Seq_Sz[kSlot] = kLen;
    Cnv.Win_Lo[kSlot] = 100;
    Cnv.Win_Hi[kSlot] = 900;
    Cnv.Cc_Rad[kSlot] = 10;
    Cnv.Damp[kSlot] = 0.0;
    ThreadCtl.OpSeq_Running = 1;
  }
  // The spectrum from point 3000, lying lag points later.
  std::vector<float> Moved(int lag) const {
    std::vector<float> s(kLen);
    for (int i = 0; i < kLen; ++i) s[static_cast<size_t>(i)] = y_[static_cast<size_t>(3000 + i - lag)];
    return s;
  }
  // Sequence 0 three points later, 1 the reference, 2 seven points earlier, 3 (with
  // inverted) the reference turned upside down about the level given.
  void WriteParent(bool inverted, float about = 1.0f) {
    std::vector<float> all;
    for (int lag : {3, 0, -7}) {
      const std::vector<float> s = Moved(lag);
      all.insert(all.end(), s.begin(), s.end());
    }
    if (inverted)
      for (float v : Moved(0)) all.push_back(about - v);
    WriteValues("par", all);
  }
  static std::vector<float> Window(const std::vector<float>& v) { return std::vector<float>(v.begin() + 100, v.begin() + 900); }
  std::vector<float> y_;
};

TEST_F(CrossCorrFixTest, FileVariantAlignsScoresAndAverages) {
  WriteParent(false);
  ASSERT_EQ(CrossCorrSeqFileFix(kSlot, 0, "par", "al", "", "", 1, 0, 2, 0, 2), 1);
  EXPECT_EQ(ThreadCtl.OpSeq_Running, 1u);
  EXPECT_EQ(ReadValues<float>("par_CCVals"), (std::vector<float>{-3.5f, 0.5f, 7.5f}));
  EXPECT_EQ(ReadValues<float>("par_SRVals"), (std::vector<float>{0.0f, 0.0f, 0.0f}));
  const std::vector<float> ref = Moved(0);
  EXPECT_EQ(ReadValues<float>("al001"), ref);
  const std::vector<float> a0 = ReadValues<float>("al000");
  ASSERT_EQ(a0.size(), static_cast<size_t>(kLen));
  EXPECT_EQ(std::vector<float>(a0.begin(), a0.end() - 3), std::vector<float>(ref.begin(), ref.end() - 3));
  EXPECT_EQ(std::vector<float>(a0.end() - 3, a0.end()), std::vector<float>(3, 0.0f));
  const std::vector<float> a2 = ReadValues<float>("al002");
  EXPECT_EQ(std::vector<float>(a2.begin(), a2.begin() + 7), std::vector<float>(7, 0.0f));
  // Inside the window every aligned sequence is the reference, and so is the average.
  const std::vector<float> ave = ReadValues<float>("alAve");
  ASSERT_EQ(ave.size(), static_cast<size_t>(kLen));
  const std::vector<float> w = Window(ave);
  const std::vector<float> wr = Window(ref);
  for (size_t i = 0; i < w.size(); ++i) ASSERT_FLOAT_EQ(w[i], wr[i]) << i;

  // The array variant agrees: the same shifts and, inside the window, the same average.
  ASSERT_EQ(CrossCorrSeqAryFix(kSlot, 0, "par", "ar", "", "", 1, 0, 2, 0, 2), 1);
  EXPECT_EQ(ReadValues<float>("par_CCVals"), (std::vector<float>{-3.5f, 0.5f, 7.5f}));
  const std::vector<float> cat = ReadValues<float>("arAveCat");
  ASSERT_EQ(cat.size(), static_cast<size_t>(kLen));
  for (size_t i = 0; i < w.size(); ++i) ASSERT_FLOAT_EQ(Window(cat)[i], w[i]) << i;
}

TEST_F(CrossCorrFixTest, OldShiftFileReproducesTheRun) {
  WriteParent(false);
  ASSERT_EQ(CrossCorrSeqFileFix(kSlot, 0, "par", "al", "", "", 1, 0, 2, 0, 2), 1);
  std::filesystem::copy_file("par_CCVals", "old");
  // Sequences that cannot be correlated any more: the stored shifts are applied.
  Cnv.Win_Lo[kSlot] = 0;
  Cnv.Win_Hi[kSlot] = 900;
  ASSERT_EQ(CrossCorrSeqFileFix(kSlot, 0, "par", "bl", "old", "", -1, 0, 2, 0, 2), 1);
  EXPECT_EQ(ReadValues<float>("par_CCVals"), ReadValues<float>("old"));
  for (const char* n : {"000", "001", "002"})
    EXPECT_EQ(ReadValues<float>(std::string("bl") + n), ReadValues<float>(std::string("al") + n)) << n;
  // The old file must not be the one about to be written.
  EXPECT_EQ(CrossCorrSeqFileFix(kSlot, 0, "par", "bl", "par_CCVals", "", -1, 0, 2, 0, 2), 0);
  EXPECT_EQ(Texts().back(), "Warning: CrossCorrSeqFileFix()\n\nFILENAMES=[par_CCVals] OF OLD CC SHIFT VALUES & NEW CC "
                            "SHIFT VALUES MUST BE DIFFERENT\n\nABORTING");
  EXPECT_EQ(ThreadCtl.OpSeq_Running, 0u);
}

TEST_F(CrossCorrFixTest, InvertedSequenceIsFlippedInBothVariants) {
  const std::vector<float> ref = Moved(0);
  const std::vector<float> window = Window(ref);
  // About 1, and about the window's lowest value: the inverted sequence's window
  // maximum is then exactly 0, and it is still turned.
  for (const float about : {1.0f, *std::min_element(window.begin(), window.end())}) {
    SCOPED_TRACE(about);
    WriteParent(true, about);
    Cnv.Cc_Rad[kSlot] = -10;  // the inversion test
    ASSERT_EQ(CrossCorrSeqFileFix(kSlot, 0, "par", "al", "", "", 1, 0, 3, 0, 3), 1);
    EXPECT_EQ(Cnv.Cc_Rad[kSlot], 10);
    EXPECT_EQ(ReadValues<float>("par_CCVals"), (std::vector<float>{-3.5f, 0.5f, 7.5f, -0.5f}));
    // The inverted file itself and its aligned copy were turned back: they differ
    // from the reference by a constant.
    for (const char* name : {"par003", "al003"}) {
      const std::vector<float> v = ReadValues<float>(name);
      ASSERT_EQ(v.size(), ref.size());
      for (size_t i = 1; i < ref.size(); ++i) ASSERT_NEAR(v[i] - ref[i], v[0] - ref[0], 1e-5) << name << " " << i;
    }
    Cnv.Cc_Rad[kSlot] = -10;
    ASSERT_EQ(CrossCorrSeqAryFix(kSlot, 0, "par", "ar", "", "", 1, 0, 3, 0, 3), 1);
    EXPECT_EQ(ReadValues<float>("par_CCVals"), (std::vector<float>{-3.5f, 0.5f, 7.5f, -0.5f}));
  }
}

TEST_F(CrossCorrFixTest, RefusalsAndShortParents) {
  WriteParent(false);
  // A window narrower than 5 points fails before anything is shifted.
  Cnv.Win_Hi[kSlot] = 103;
  EXPECT_EQ(CrossCorrSeqFileFix(kSlot, 0, "par", "al", "", "", 1, 0, 2, 0, 2), 0);
  EXPECT_FALSE(std::filesystem::exists("al000"));
  EXPECT_EQ(CrossCorrSeqAryFix(kSlot, 0, "par", "ar", "", "", 1, 0, 2, 0, 2), 0);
  // The array variant stops when the window reaches past the sequence.
  Cnv.Win_Hi[kSlot] = kLen;
  EXPECT_EQ(CrossCorrSeqAryFix(kSlot, 0, "par", "ar", "", "", 1, 0, 2, 0, 2), 0);
  EXPECT_NE(Texts().back().find("WINDOW HIGH TOO LARGE [999]"), std::string::npos);
  // A slot beyond the pool's is refused.
  EXPECT_EQ(CrossCorrSeqFileFix(30, 0, "par", "al", "", "", 1, 0, 2, 0, 2), 0);
  // More numbers than sequences: the run is shortened to the three there are.
  Cnv.Win_Hi[kSlot] = 900;
  ASSERT_EQ(CrossCorrSeqFileFix(kSlot, 0, "par", "al", "", "", 1, 0, 5, 0, 2), 1);
  EXPECT_EQ(ReadValues<float>("par_CCVals").size(), 3u);
  EXPECT_NE(Texts()[Texts().size() - 1].find("END NUM REDEFINED AS [002]"), std::string::npos);
}

}  // namespace
