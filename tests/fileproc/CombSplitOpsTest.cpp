// Comb integration (teeth, limit file, tooth table, sum mode) and the banded split
// into piece files (offsets, closing pads, zero bands of the step table, refusals).
#include <fstream>
#include <iterator>

#include "FileOpsFixture.h"
#include "records/Cnl.h"

namespace {

class CombSplitTest : public qvtest::AnsweringFileOpsTest {
 protected:
  void SetUp() override {
    AnsweringFileOpsTest::SetUp();
    Cnl = CnlRecord{};
  }
  // Sequence k of s values holds 1000 k + position.
  static std::vector<float> Seqs(int seqs, int s) {
    std::vector<float> v;
    for (int k = 0; k < seqs; ++k)
      for (int i = 0; i < s; ++i) v.push_back(static_cast<float>(1000 * k + i));
    return v;
  }
  static std::string Text(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

TEST_F(CombSplitTest, CombTeethLimitsAndSums) {
  WriteValues("in", Seqs(2, 400));
  Cnv.Seq_Sz[0] = 400;
  Cnv.Comb_Spacing[0] = 100.0;
  Cnv.Comb_Width[0] = 2;
  Cnv.Intg_WinLo[0] = 10.0;
  Cnv.Intg_WinHi[0] = 310.0;
  ASSERT_EQ(Run(OSI_COMBINTG, "in", "out"), 1);
  // Teeth centred at 10, 110, 210 and 310, five points each, averaged.
  EXPECT_EQ(ReadValues<float>("out"), (std::vector<float>{10, 110, 210, 310, 1010, 1110, 1210, 1310}));
  EXPECT_STREQ(Cnl.Mks_Flnm, "out.mks");
  EXPECT_EQ(Text("out.mks"), "8\r\n12\r\n108\r\n112\r\n208\r\n212\r\n308\r\n312\r\n"
                             "408\r\n412\r\n508\r\n512\r\n608\r\n612\r\n708\r\n712\r\n");
  // A negative width sums, and is stored back positive.
  Cnv.Comb_Width[0] = -2;
  ASSERT_EQ(Run(OSI_COMBINTG, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("out"), (std::vector<float>{50, 550, 1050, 1550, 5050, 5550, 6050, 6550}));
  EXPECT_EQ(Cnv.Comb_Width[0], 2);
}

TEST_F(CombSplitTest, CombToothTableWrittenAnewOrAppended) {
  WriteValues("in", Seqs(1, 400));
  Cnv.Seq_Sz[0] = 400;
  Cnv.Comb_Width[0] = 2;
  Cnv.Intg_WinLo[0] = 10.0;
  Cnv.Intg_WinHi[0] = -210.7;  // negative high: a new table
  ASSERT_EQ(Run(OSI_COMBINTG, "in", "out"), 1);
  EXPECT_EQ(Cnv.Intg_WinHi[0], 210.0);
  const std::string lines = "10.000000 10.000000\r\n110.000000 110.000000\r\n210.000000 210.000000\r\n";
  EXPECT_EQ(Text("in.txt"), lines);
  Cnv.Intg_WinLo[0] = -10.0;  // negative low alone: appended
  ASSERT_EQ(Run(OSI_COMBINTG, "in", "out"), 1);
  EXPECT_EQ(Text("in.txt"), lines + lines);
  // No spacing: refused before anything is written.
  Cnv.Comb_Spacing[0] = 0.0;
  EXPECT_EQ(Run(OSI_COMBINTG, "in", "other"), 0);
  EXPECT_FALSE(std::filesystem::exists("other"));
}

class SplitTest : public CombSplitTest {
 protected:
  void SetUp() override {
    CombSplitTest::SetUp();
    Dsp.Frq_Stp = 1.0;
    Cnv.Seq_Sz[0] = 100;
    Cnv.Split_SegStp = 10.0;
    Cnv.Split_BandCtr = 50.0;
    Cnv.Split_BandWidth = 25.0;
  }
  static std::vector<float> Band(int k) {
    std::vector<float> b;
    for (int i = 0; i < 25; ++i) b.push_back(static_cast<float>(1000 * k + 38 + i));
    return b;
  }
  static std::vector<float> At(const std::vector<float>& v, size_t from, size_t n) {
    return from + n <= v.size() ? std::vector<float>(v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(from + n))
                                : std::vector<float>{};
  }
};

TEST_F(SplitTest, BandsLandAtTheirOffsetsAndThePiecesEndEqual) {
  WriteValues("in", Seqs(4, 100));
  ASSERT_EQ(Run(OSI_BBMWSEQSPLIT, "in", "out"), 1);
  const std::vector<float> p0 = ReadValues<float>("out000");
  const std::vector<float> p1 = ReadValues<float>("out001");
  const std::vector<float> p2 = ReadValues<float>("out002");
  EXPECT_FALSE(std::filesystem::exists("out003"));
  EXPECT_FALSE(std::filesystem::exists("out"));
  ASSERT_EQ(p0.size(), 131u);
  EXPECT_EQ(p1.size(), 131u);
  EXPECT_EQ(p2.size(), 131u);
  // Band q starts at 38 + 10 q of piece q mod 3.
  EXPECT_EQ(At(p0, 38, 25), Band(0));
  EXPECT_EQ(At(p1, 48, 25), Band(1));
  EXPECT_EQ(At(p2, 58, 25), Band(2));
  EXPECT_EQ(At(p0, 68, 25), Band(3));
  EXPECT_EQ(At(p0, 0, 38), std::vector<float>(38, 0.0f));
  EXPECT_EQ(At(p0, 63, 5), std::vector<float>(5, 0.0f));
  EXPECT_STREQ(Cnv.Out_Flnm[0][2], "out002");
  EXPECT_EQ(Cnv.Cnv_Stat[2], 1u);
  EXPECT_EQ(Cnv.Cnv_Stat[3], 0u);
  EXPECT_EQ(Texts().back(), "Info: SPLIT & OVERLAP SPECTRA\n\nSEQUENCE FILES CREATED=[3] WITH BASE NAME=[out]\n\nINPUT "
                            "FLNM=[in]");
}

TEST_F(SplitTest, StepTableInsertsZeroBands) {
  WriteValues("in", Seqs(4, 100));
  std::ofstream("steps.txt") << "1 1 0\n2 2 2\n3 3 0\n4 4 0\n";
  StrCopy(Cnv.SeqTbl_Flnm, "steps.txt");
  ASSERT_EQ(Run(OSI_BBMWSEQSPLIT, "in", "out"), 1);
  const std::vector<float> p0 = ReadValues<float>("out000");
  const std::vector<float> p1 = ReadValues<float>("out001");
  const std::vector<float> p2 = ReadValues<float>("out002");
  // Sequence 0, two zero bands, then sequences 1 to 3.
  EXPECT_EQ(At(p0, 38, 25), Band(0));
  EXPECT_EQ(At(p1, 48, 25), std::vector<float>(25, 0.0f));
  EXPECT_EQ(At(p2, 58, 25), std::vector<float>(25, 0.0f));
  EXPECT_EQ(At(p0, 68, 25), Band(1));
  EXPECT_EQ(At(p1, 78, 25), Band(2));
  EXPECT_EQ(At(p2, 88, 25), Band(3));
  EXPECT_EQ(p0.size(), p2.size());
  // A line without its third integer stops before any piece is made.
  std::ofstream("steps.txt") << "1 1 0\n2 2\n";
  std::filesystem::remove("out000");
  EXPECT_EQ(Run(OSI_BBMWSEQSPLIT, "in", "out"), 0);
  EXPECT_EQ(Texts().back(), "Error: BBMWSEQSPLITSEQ()\n\nIN FILE=[steps.txt], THIRD COLUMN MISSING IN LINE=\n2 2");
  EXPECT_FALSE(std::filesystem::exists("out000"));
}

TEST_F(SplitTest, BandsOutsideTheSequenceAndEmptyStepsAreRefused) {
  WriteValues("in", Seqs(2, 100));
  Cnv.Split_BandCtr = 90.0;  // reaches 102
  EXPECT_EQ(Run(OSI_BBMWSEQSPLIT, "in", "out"), 0);
  EXPECT_FALSE(std::filesystem::exists("out000"));
  // A reversed band of odd width starting at point 0 would read one point before it.
  Cnv.Split_BandCtr = 12.0;
  Cnv.Split_BandWidth = -25.0;
  EXPECT_EQ(Run(OSI_BBMWSEQSPLIT, "in", "out"), 0);
  EXPECT_EQ(Cnv.Split_BandWidth, 25.0);
  Cnv.Split_BandCtr = 50.0;
  Cnv.Split_SegStp = 0.2;  // no whole point
  EXPECT_EQ(Run(OSI_BBMWSEQSPLIT, "in", "out"), 0);
  Cnv.Split_SegStp = 10.0;
  Dsp.Frq_Stp = 0.0;
  EXPECT_EQ(Run(OSI_BBMWSEQSPLIT, "in", "out"), 0);
  EXPECT_FALSE(std::filesystem::exists("out000"));
  // A reversed band in range comes out backwards.
  Dsp.Frq_Stp = 1.0;
  Cnv.Split_BandWidth = -25.0;
  ASSERT_EQ(Run(OSI_BBMWSEQSPLIT, "in", "out"), 1);
  std::vector<float> back = Band(0);
  std::reverse(back.begin(), back.end());
  for (float& v : back) v -= 1.0f;  // B + Wb/2 - 1 - i: one point lower for an odd width
  EXPECT_EQ(At(ReadValues<float>("out000"), 38, 25), back);
}

}  // namespace
