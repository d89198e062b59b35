// Sequence co-add (single group, groups, table), duplicate, compare with a reference
// (RMS, best lag and the shift-corrected copy) and ratio through the engine.
#include <cmath>
#include <fstream>

#include "FileOpsFixture.h"
#include "tests/support/XyData.h"

namespace {

class SeqCombineTest : public qvtest::AnsweringFileOpsTest {
 protected:
  // Sequence k of s values holds k + 1 + position / 100.
  static std::vector<float> Seqs(int seqs, int s) {
    std::vector<float> v;
    for (int k = 0; k < seqs; ++k)
      for (int i = 0; i < s; ++i) v.push_back(static_cast<float>(k + 1) + static_cast<float>(i) / 100.0f);
    return v;
  }
  static std::vector<float> Slice(const std::vector<float>& v, int k, int s) {
    return std::vector<float>(v.begin() + k * s, v.begin() + (k + 1) * s);
  }
  static std::vector<float> Mean(const std::vector<float>& v, std::vector<int> ks, int s) {
    std::vector<float> m(static_cast<size_t>(s));
    for (int i = 0; i < s; ++i) {
      double sum = 0.0;
      for (int k : ks) sum += v[static_cast<size_t>(k * s + i)];
      m[static_cast<size_t>(i)] = static_cast<float>(sum / static_cast<double>(ks.size()));
    }
    return m;
  }
  static void WriteText(const char* name, const char* text) { std::ofstream(name, std::ios::binary) << text; }
  static std::vector<float> Concat(std::initializer_list<std::vector<float>> parts) {
    std::vector<float> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  }
};

TEST_F(SeqCombineTest, SingleGroupAveragesTheSequencesThatAreNotAllZero) {
  std::vector<float> v = Seqs(4, 5);
  std::fill(v.begin() + 10, v.begin() + 15, 0.0f);  // sequence 2 all zero
  v.push_back(9.0f);                                // a short last sequence
  WriteValues("in", v);
  Cnv.Seq_Sz[0] = 5;
  Cnv.Seq_Cnt[0] = 0;
  ASSERT_EQ(Run(OSI_SEQCOADD, "in", "out", 1, 0, 1), 1);
  EXPECT_EQ(Cnv.Seq_Cnt[0], 1);
  EXPECT_EQ(ReadValues<float>("out"), Mean(v, {0, 1, 3}, 5));
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Warning: SEQUENCE COADD FILE OPERATION\n\nPREMATURE EOF IN [in]\n\nLAST POINTS READ=[1] IN LAST "
                         "SEQ OF SZ=[5]\n\nFULL SEQUENCES COADDED=[3]\n\nCONTINUING",
                         "Warning: SEQUENCE COADD FILE OPERATION (SINGLE SEG)\n\nINPUT BINARY FILE=[in]\nSEQUENCES "
                         "PROCESSED=[3]\n\nZERO SEQS SKIPPED=[1]\n\nSEQ AVERAGES WRITTEN=[1]",
                         "Info: [in] CONVERTED TO [out]"}));
  // Only zeros: nothing is written, and the report says so.
  platform::ClearBoxLog();
  WriteValues("zeros", std::vector<float>(10, 0.0f));
  ASSERT_EQ(Run(OSI_SEQCOADD, "zeros", "out", 1, 0, 1), 1);
  EXPECT_TRUE(ReadValues<float>("out").empty());
  EXPECT_NE(Texts()[0].find("SEQUENCES PROCESSED=[0]\n\nZERO SEQS SKIPPED=[2]\n\nSEQ AVERAGES WRITTEN=[0]"),
            std::string::npos);
}

TEST_F(SeqCombineTest, GroupsUseTheSequencesInsideTheWindow) {
  const std::vector<float> v = Seqs(7, 4);
  WriteValues("in", v);
  Cnv.Seq_Sz[0] = 4;
  Cnv.Seq_Cnt[0] = 3;
  Cnv.Win_Lo[0] = 0;
  Cnv.Win_Hi[0] = 8;  // every sequence of a group of three
  ASSERT_EQ(Run(OSI_SEQCOADD, "in", "out"), 1);
  // The last group holds one sequence: averaged alone, and noted in the message window.
  EXPECT_EQ(ReadValues<float>("out"), Concat({Mean(v, {0, 1, 2}, 4), Mean(v, {3, 4, 5}, 4), Mean(v, {6}, 4)}));
  EXPECT_NE(std::string(Dsp.Msg_Text).find("COADDS=[1] IN SEQ RANGE=[0]-[0] OF [3]"), std::string::npos);
  // WIN HI 0: only the first sequence of every group.
  Cnv.Win_Hi[0] = 0;
  ASSERT_EQ(Run(OSI_SEQCOADD, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("out"), Concat({Slice(v, 0, 4), Slice(v, 3, 4), Slice(v, 6, 4)}));
}

TEST_F(SeqCombineTest, GroupOfOnlyZeroSequencesWritesZerosAndAsks) {
  std::vector<float> v = Seqs(4, 2);
  std::fill(v.begin() + 4, v.end(), 0.0f);
  WriteValues("in", v);
  Cnv.Seq_Sz[0] = 2;
  Cnv.Seq_Cnt[0] = 2;
  Cnv.Win_Hi[0] = 2;
  ASSERT_EQ(Run(OSI_SEQCOADD, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("out"), Concat({Mean(v, {0, 1}, 2), {0.0f, 0.0f}}));
  EXPECT_EQ(Texts().back(), "Question: FINISH [YES] | [NO]?");
}

TEST_F(SeqCombineTest, TableGroupsAndStopPositions) {
  const std::vector<float> v = Seqs(8, 10);
  WriteValues("in", v);
  Cnv.Seq_Sz[0] = 10;
  Cnv.Seq_Cnt[0] = 2;
  StrCopy(Cnv.SeqTbl_Flnm, "table.txt");
  // "10 4": groups of four sequences (the first integer is not used).
  WriteText("table.txt", "10 4\r\n10 4\r\n");
  ASSERT_EQ(Run(OSI_SEQCOADD, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("out"), Concat({Mean(v, {0, 1, 2, 3}, 10), Mean(v, {4, 5, 6, 7}, 10)}));
  EXPECT_EQ(Cnv.Seq_Cnt[0], 4);
  EXPECT_EQ(Cnv.Win_Hi[0], 40);
  EXPECT_EQ(Texts().back(), "Info: SEQUENCE COADD FILE OPERATION\n\nIN TXT FILE=[table.txt], CURRENT SEQUENCE "
                            "SUM=[8]\nSEQUENCES PROCESSED=[8]\n\nSEQUENCE AVERAGES WRITTEN=[2]");
  // "35": single sequences until the one holding point 35; the one just before it is dropped.
  WriteText("table.txt", "35\n");
  ASSERT_EQ(Run(OSI_SEQCOADD, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("out"), Concat({Slice(v, 0, 10), Slice(v, 1, 10), Slice(v, 3, 10)}));
  // The table leaves SEQ CT at its last group size; 1 would select the single group.
  EXPECT_EQ(Cnv.Seq_Cnt[0], 1);
  Cnv.Seq_Cnt[0] = 2;
  // A table line left over fails the run; the averages written stay.
  platform::ClearBoxLog();
  WriteText("table.txt", "10 4\n10 4\n10 4\n");
  EXPECT_EQ(Run(OSI_SEQCOADD, "in", "out"), 0);
  EXPECT_NE(Texts()[0].find("ADDITIONAL LINE=[10 4] IN TXT FILE"), std::string::npos);
  EXPECT_EQ(ReadValues<float>("out"), Concat({Mean(v, {0, 1, 2, 3}, 10), Mean(v, {4, 5, 6, 7}, 10)}));
  // More sequences than the table names.
  Cnv.Seq_Cnt[0] = 2;
  platform::ClearBoxLog();
  WriteText("table.txt", "10 4\n");
  EXPECT_EQ(Run(OSI_SEQCOADD, "in", "out"), 0);
  EXPECT_NE(Texts()[0].find("TXT FILE SEQUENCE SUM < BIN FILE READ SZ"), std::string::npos);
  EXPECT_EQ(ReadValues<float>("out"), Mean(v, {0, 1, 2, 3}, 10));
  // Run on its own input, the failure leaves the input as it was.
  Cnv.Seq_Cnt[0] = 2;
  WriteValues("in2", v);
  EXPECT_EQ(Run(OSI_SEQCOADD, "in2", "in2"), 0);
  EXPECT_EQ(ReadValues<float>("in2"), v);
  // A missing table.
  platform::ClearBoxLog();
  StrCopy(Cnv.SeqTbl_Flnm, "none.txt");
  EXPECT_EQ(Run(OSI_SEQCOADD, "in", "out"), 0);
  EXPECT_EQ(Texts()[0], "Warning: SEQUENCE COADD FILE OPERATION\n\nFAILED TO OPEN ASCII SEG NUMBER FILE [none.txt] FOR "
                        "READING\n\nABORTING");
}

TEST_F(SeqCombineTest, CoaddRefusesSequencesWithoutValues) {
  WriteValues("in", Seqs(2, 3));
  Cnv.Seq_Sz[0] = 0;
  EXPECT_EQ(Run(OSI_SEQCOADD, "in", "out"), 0);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Warning: SEQUENCE COADD FILE OPERATION\n\nSEQ SZ=[0] < 1\n\nABORTING"});
  EXPECT_FALSE(std::filesystem::exists("out"));
}

TEST_F(SeqCombineTest, DuplicateByCountOrByOutputSize) {
  const std::vector<float> v = Seqs(3, 2);
  WriteValues("in", v);
  Cnv.Seq_Sz[0] = 2;
  Cnv.Pts_Ave[0] = -3;
  ASSERT_EQ(Run(OSI_SEQDUP, "in", "out", 1, 0, 1), 1);
  std::vector<float> expect;
  for (int k = 0; k < 3; ++k)
    for (int c = 0; c < 3; ++c) expect.insert(expect.end(), v.begin() + 2 * k, v.begin() + 2 * k + 2);
  EXPECT_EQ(ReadValues<float>("out"), expect);
  EXPECT_EQ(Cnv.Pts_Ave[0], 3);
  EXPECT_EQ(Texts()[0], "Warning: SEQUENCE COADD FILE OPERATION\n\nSEQUENCES DUPLICATED=[3] OF SIZE=[2] BY [3] TIMES & "
                        "WRITTEN TO FILE=[out]");
  // Output size 7 with S = 2: a warning, then three copies.
  platform::ClearBoxLog();
  Cnv.Pts_Ave[0] = 7;
  ASSERT_EQ(Run(OSI_SEQDUP, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("out"), expect);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Error: OSIFile()\n\nSEQUENCE DUPLICATE FILE OPERATION\n\nOUTPUT SIZE=[7] "
                                              "NOT MULTIPLE OF INPUT SIZE TO DUPLICATE=[2]\n\nCONTINUING"});
  // Variant 0: the whole file (or the point range) is the one sequence.
  Cnv.Pts_Ave[0] = -2;
  ASSERT_EQ(Run(OSI_SEQDUP, "in", "out", 0), 1);
  EXPECT_EQ(ReadValues<float>("out"), Concat({v, v}));
  EXPECT_EQ(Cnv.Seq_Sz[0], 6);
}

TEST_F(SeqCombineTest, DuplicateRefusesZeroCopiesAndEmptySequences) {
  WriteValues("in", Seqs(2, 2));
  WriteValues("out", Ramp(3));
  Cnv.Seq_Sz[0] = 2;
  Cnv.Pts_Ave[0] = 0;
  EXPECT_EQ(Run(OSI_SEQDUP, "in", "out"), 0);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Error: OSIFile()\n\nSEQUENCE DUPLICATE FILE OPERATION\n\nNUMBER OF "
                                              "DUPLICATES IS ZERO\n\nABORTING"});
  EXPECT_EQ(ReadValues<float>("out"), Ramp(3));
  Cnv.Seq_Sz[0] = 0;
  Cnv.Pts_Ave[0] = 4;
  EXPECT_EQ(Run(OSI_SEQDUP, "in", "out"), 0);
  // S x N beyond what one allocation takes is refused, not wrapped.
  Cnv.Seq_Sz[0] = 2;
  Cnv.Pts_Ave[0] = -2147483647;
  EXPECT_EQ(Run(OSI_SEQDUP, "in", "out"), 0);
  EXPECT_EQ(Texts().back(), "Error: OSIFile()\n\nSEQUENCE DUPLICATE FILE OPERATION\n\nf1_pt/f2_pt - CORE ALLOCATION ERROR");
  EXPECT_EQ(ReadValues<float>("out"), Ramp(3));
}

// Sequences of the measured spectrum moved by known lags.
class SeqCompareTest : public SeqCombineTest {
 protected:
  static constexpr int kLen = 2000;
  static constexpr int kOffset = 3000;  // a busy part of the spectrum
  static std::vector<float> Moved(const std::vector<float>& y, int lag) {
    std::vector<float> s(kLen);
    for (int i = 0; i < kLen; ++i) s[static_cast<size_t>(i)] = y[static_cast<size_t>(kOffset + i - lag)];
    return s;
  }
};

TEST_F(SeqCompareTest, FindsKnownShiftsOfAMeasuredSpectrumAndCorrectsThem) {
  const std::vector<float> y = qvtest::XyColumnY();
  ASSERT_GT(y.size(), static_cast<size_t>(kOffset + kLen + 10));
  const std::vector<float> ref = Moved(y, 0);
  WriteValues("ref", ref);
  WriteValues("in", Concat({ref, Moved(y, 3), Moved(y, -7)}));
  StrCopy(Cnv.Sub_Flnm[0], "ref");
  Cnv.Pts_Ave[0] = kLen;
  Cnv.Cc_Rad[0] = 10;
  ASSERT_EQ(Run(OSI_SEQCMP, "in", "out"), 1);
  const std::vector<float> rms = ReadValues<float>("out");
  ASSERT_EQ(rms.size(), 3u);
  EXPECT_EQ(rms[0], 0.0f);
  EXPECT_GT(rms[1], 0.0f);
  // A sequence moved up by 3 correlates best at lag -3 (index R - 3), and moving it by
  // that lag puts it back.
  EXPECT_EQ(ReadValues<float>("refcc"), (std::vector<float>{10.0f, 7.0f, 17.0f}));
  const std::vector<float> fixed = ReadValues<float>("inccf");
  ASSERT_EQ(fixed.size(), 3u * kLen);
  for (int i = 0; i < kLen - 3; ++i) ASSERT_EQ(fixed[static_cast<size_t>(kLen + i)], ref[static_cast<size_t>(i)]) << i;
  for (int i = kLen - 3; i < kLen; ++i) EXPECT_EQ(fixed[static_cast<size_t>(kLen + i)], 0.0f);
  for (int i = 7; i < kLen; ++i) ASSERT_EQ(fixed[static_cast<size_t>(2 * kLen + i)], ref[static_cast<size_t>(i)]) << i;
  for (int i = 0; i < 7; ++i) EXPECT_EQ(fixed[static_cast<size_t>(2 * kLen + i)], 0.0f);
  // Radius 0: only the RMS values, no shift files.
  std::filesystem::remove("refcc");
  std::filesystem::remove("inccf");
  Cnv.Cc_Rad[0] = 0;
  ASSERT_EQ(Run(OSI_SEQCMP, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("out"), rms);
  EXPECT_FALSE(std::filesystem::exists("refcc"));
  EXPECT_FALSE(std::filesystem::exists("inccf"));
}

TEST_F(SeqCompareTest, LagAsLongAsTheSequenceZeroesItAndBadReferencesAreRefused) {
  // Every overlapping lag is negative, so the best lag lies beyond the sequence (-2 with L = 2).
  WriteValues<float>("ref", {1.0f, 1.0f});
  WriteValues<float>("in", {-1.0f, -1.0f});
  StrCopy(Cnv.Sub_Flnm[0], "ref");
  Cnv.Pts_Ave[0] = 2;
  Cnv.Cc_Rad[0] = 5;
  ASSERT_EQ(Run(OSI_SEQCMP, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("refcc"), std::vector<float>{3.0f});
  EXPECT_EQ(ReadValues<float>("inccf"), (std::vector<float>{0.0f, 0.0f}));
  // An empty reference, no reference and no sequence length are refused.
  WriteValues("empty", std::vector<float>{});
  StrCopy(Cnv.Sub_Flnm[0], "empty");
  EXPECT_EQ(Run(OSI_SEQCMP, "in", "out"), 0);
  EXPECT_EQ(Texts().back(), "Warning: SEQUENCE COMPARE FILE OPERATION\n\nREFERENCE FILE [empty] HOLDS NO "
                            "VALUES\n\nABORTING");
  StrCopy(Cnv.Sub_Flnm[0], "none");
  EXPECT_EQ(Run(OSI_SEQCMP, "in", "out"), 0);
  EXPECT_EQ(Texts().back(), "Warning: SEQUENCE COMPARE FILE OPERATION\n\nFAILED TO OPEN BINARY FILE [none] FOR "
                            "READING\n\nABORTING");
  Cnv.Pts_Ave[0] = 0;
  EXPECT_EQ(Run(OSI_SEQCMP, "in", "out"), 0);
  EXPECT_EQ(Texts().back(), "Warning: SEQUENCE COMPARE FILE OPERATION\n\nSEQUENCE LENGTH (PTS TO AVE)=[0] < 1\n\nABORTING");
  // A reference shorter than L.
  StrCopy(Cnv.Sub_Flnm[0], "ref");
  Cnv.Pts_Ave[0] = 3;
  EXPECT_EQ(Run(OSI_SEQCMP, "in", "out"), 0);
  EXPECT_EQ(Texts().back(), "Error: SEQUENCE COMPARE FILE OPERATION\n\nPREMATURE EOF IN [ref]\n\nABORTING");
}

TEST_F(SeqCombineTest, RatioDividesByTheReferenceAndZeroesWhereItIsZero) {
  WriteValues<float>("ref", {2.0f, 0.0f, 4.0f, 99.0f});
  WriteValues<float>("in", {2.0f, 5.0f, 2.0f, 8.0f, 1.0f, 1.0f});
  StrCopy(Cnv.Sub_Flnm[0], "ref");
  Cnv.Pts_Ave[0] = 3;
  ASSERT_EQ(Run(OSI_SEQ_RATIO, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("out"), (std::vector<float>{1.0f, 0.0f, 0.5f, 4.0f, 0.0f, 0.25f}));
  // A short last sequence fails the run; the ratios before it stay.
  WriteValues<float>("in", {2.0f, 5.0f, 2.0f, 8.0f});
  EXPECT_EQ(Run(OSI_SEQ_RATIO, "in", "out"), 0);
  EXPECT_EQ(Texts().back(), "Warning: SEQUENCE RATIO FILE OPERATION\n\nPREMATURE EOF IN [in]\n\nABORTING");
  EXPECT_EQ(ReadValues<float>("out"), (std::vector<float>{1.0f, 0.0f, 0.5f}));
  Cnv.Pts_Ave[0] = -1;
  EXPECT_EQ(Run(OSI_SEQ_RATIO, "in", "out"), 0);
  EXPECT_EQ(Texts().back(), "Warning: SEQUENCE RATIO FILE OPERATION\n\nSEQUENCE LENGTH (PTS TO AVE)=[-1] < 1\n\nABORTING");
}

}  // namespace
