// The operations with a second file on values worked by hand, their questions and
// their failures.
#include <cmath>

#include "FileOpsFixture.h"
#include "fileproc/FileOps.h"
#include "records/Cnl.h"

namespace {

namespace drv = platform::driver;
using qvtest::FileOpsTest;

class SecondFileOpsTest : public FileOpsTest {
 protected:
  void SetUp() override {
    FileOpsTest::SetUp();
    Cnl = CnlRecord{};
  }
  static void WriteText(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }
  static std::vector<float> Iota(int n, float from = 1.0f) {
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = from + static_cast<float>(i);
    return v;
  }
};

TEST_F(SecondFileOpsTest, ScaleToPositionsHoldsOnePointAfterEachPosition) {
  WriteValues<float>("in.bin", Iota(300));
  WriteText("Mks", "100 2.0\r\n200 0.5\r\n");
  ASSERT_EQ(Run(OSI_SCALE2MKS, "in.bin", "out.bin"), 1);
  const auto out = ReadValues<float>("out.bin");
  ASSERT_EQ(out.size(), 300u);
  for (int p = 0; p <= 100; ++p) EXPECT_EQ(out[p], 2.0f * (p + 1)) << p;
  EXPECT_EQ(out[101], out[100]);
  for (int p = 102; p <= 200; ++p) EXPECT_EQ(out[p], 0.5f * (p + 1)) << p;
  // After the last listed position the hold ends at that position + 1 as well.
  EXPECT_EQ(out[201], out[200]);
  for (int p = 202; p < 300; ++p) EXPECT_EQ(out[p], 0.5f * (p + 1)) << p;
  EXPECT_EQ(Cnv.Scalar[0], 0.5f);

  // Only the point range is scaled; the file is written whole.
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = 50;
  Win.Pt_Lim[0][1] = 60;
  ASSERT_EQ(Run(OSI_SCALE2MKS, "in.bin", "range.bin"), 1);
  const auto range = ReadValues<float>("range.bin");
  ASSERT_EQ(range.size(), 300u);
  EXPECT_EQ(range[49], 50.0f);
  EXPECT_EQ(range[50], 102.0f);
  EXPECT_EQ(range[59], 120.0f);
  EXPECT_EQ(range[60], 61.0f);
}

TEST_F(SecondFileOpsTest, ScaleToPositionsRefusesAWrongLineOrAMissingList) {
  WriteValues<float>("in.bin", Iota(10));
  WriteText("Mks", "3 2.0\nfour 1.0\n");
  drv::Answers answers;
  answers.Box("Warning",
              "SCALE TO FILE VALUES\n\nINCORRECT FILE FORMAT=[Mks]\n\nFORMAT: POSITION  SCALAR\n\nABORTING", IDOK);
  EXPECT_EQ(Run(OSI_SCALE2MKS, "in.bin", "out.bin"), 0);
  StrCopy(Cnl.Mks_Flnm, "NoList");
  answers.Box("Warning",
              "SCALE TO MARKER POSITION FILE OPERATION\n\nFAILED TO OPEN ASCII FILE [NoList] FOR READING\n\nABORTING",
              IDOK);
  EXPECT_EQ(Run(OSI_SCALE2MKS, "in.bin", "out.bin"), 0);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_FALSE(std::filesystem::exists("out.bin"));
}

TEST_F(SecondFileOpsTest, SubtractAllValuesOrSkipZerosAcrossBlocks) {
  const int n = 70000;  // two blocks
  std::vector<float> in = Iota(n);
  in[5] = 0.0f;
  in[66000] = 0.0f;
  WriteValues<float>("in.bin", in);
  WriteValues<float>("SubBin", std::vector<float>(static_cast<size_t>(n), 0.25f));
  drv::Answers answers;
  answers.Box("Question",
              "SUBTRACT FILE OP\n\nSKIP REGIONS IN [in.bin] HAVING ZERO AMPLITUDE [YES] | USE ALL VALUES [NO]?", IDYES);
  ASSERT_EQ(Run(OSI_SUBTRACT, "in.bin", "skip.bin", 0), 1);
  EXPECT_TRUE(answers.AllAnswered());
  auto skip = ReadValues<float>("skip.bin");
  ASSERT_EQ(skip.size(), static_cast<size_t>(n));
  EXPECT_EQ(skip[0], 0.75f);
  EXPECT_EQ(skip[5], 0.0f);
  EXPECT_EQ(skip[66000], 0.0f);
  EXPECT_EQ(skip[69999], 69999.75f);

  ASSERT_EQ(Run(OSI_SUBTRACT, "in.bin", "all.bin", 1), 1);
  auto all = ReadValues<float>("all.bin");
  EXPECT_EQ(all[5], -0.25f);
  EXPECT_EQ(all[66000], -0.25f);
  ASSERT_EQ(Run(OSI_SUBTRACT, "in.bin", "none.bin", 5), 1);
  EXPECT_EQ(ReadBytes("none.bin"), ReadBytes("in.bin"));
}

TEST_F(SecondFileOpsTest, ShorterSecondFileEndsTheOutputOnYesAndDeclinesOnNo) {
  WriteValues<float>("in.bin", Iota(10));
  WriteValues<float>("SubBin", {1.0f, 1.0f, 1.0f, 1.0f});
  drv::Answers answers;
  answers.Box("Question",
              "MULTIPLY | SUBTRACT FILE OPERATION\n\nFILE SIZES OF\n[in.bin] &\n[SubBin] ARE DIFFERENT BY >[6]\n\n"
              "CONTINUE [YES] | ABORT [NO]",
              IDYES);
  ASSERT_EQ(Run(OSI_SUBTRACT, "in.bin", "out.bin", 1), 1);
  EXPECT_EQ(ReadValues<float>("out.bin"), (std::vector<float>{0.0f, 1.0f, 2.0f, 3.0f}));
  EXPECT_TRUE(answers.AllAnswered());
  // NO: nothing replaces the output.
  answers.Box("Question", "MULTIPLY | SUBTRACT FILE OPERATION\n\nFILE SIZES OF*", IDNO);
  EXPECT_EQ(Run(OSI_SUBTRACT, "in.bin", "out.bin", 1), 0);
  EXPECT_EQ(ReadValues<float>("out.bin").size(), 4u);
}

TEST_F(SecondFileOpsTest, MultiplyShowsTheScaleFactorAndUsesIt) {
  WriteValues<float>("in.bin", {1.0f, 2.0f, 3.0f});
  WriteValues<float>("Other", {2.0f, 0.5f, -1.0f});
  StrCopy(Cnv.Sub_Flnm[0], "Other");
  Cnv.Scalar[0] = 3.0f;
  drv::Answers answers;
  answers.Box("Info", "MULTIPLY | SUBTRACT FILE OPERATION\n\nOVERALL SCALE FACTOR USED=[3.000000]", IDOK);
  ASSERT_EQ(Run(OSI_MULTIPLY, "in.bin", "out.bin"), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadValues<float>("out.bin"), (std::vector<float>{6.0f, 3.0f, -9.0f}));
  StrCopy(Cnv.Sub_Flnm[0], "Missing");
  answers.Box("Info", "*OVERALL SCALE FACTOR*", IDOK);
  answers.Box("Warning",
              "MULTIPLY | SUBTRACT FILE OPERATION\n\nFAILED TO OPEN BINARY FILE [Missing] FOR READING\n\nABORTING", IDOK);
  EXPECT_EQ(Run(OSI_MULTIPLY, "in.bin", "miss.bin"), 0);
  EXPECT_FALSE(std::filesystem::exists("miss.bin"));
}

TEST_F(SecondFileOpsTest, NormalizeAbsoluteModeWithCutAndUnityRatio) {
  WriteValues<float>("PmtF", {3.0f, 5.0f, 2.0f, 4.0f});
  WriteValues<float>("UVPowPDF", {2.5f, 1.0f, 1.5f, 0.5f});
  Cnl.NrmVm = 2.0f;
  Cnl.NrmVs = 1.0f;
  Cnl.NrmVp = 0.5f;
  Cnl.NrmVc = 1.5f;  // cut 1.0 above the power offset
  drv::Answers answers;
  answers.Box("Info",
              "NORMALIZE FILE OPERATION\n\nNORM FILE=[PmtFo]\n\nNORM DATA ZEROED BELOW CUT=[2] OF [4]\n\n"
              "UNITY RATIO=[2.500000]\nSCALAR         =[2.000000]\n\nOFFSETS\nSIGNAL   =[1.000000]\n"
              "POWER   =[0.500000]\nCUTOFF  =[1.000000]",
              IDOK)
      .Box("Info", "[PmtF] CONVERTED TO [PmtFo]", IDOK);
  ASSERT_EQ(Run(OSI_NORMALIZE, "PmtF", "PmtFo", 0, 0, 1), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadValues<float>("PmtFo"), (std::vector<float>{2.0f, 0.0f, 2.0f, 0.0f}));

  // Inverted cut at or below the power offset: everything above it is zeroed.
  Cnl.NrmInvCut = 1;
  Cnl.NrmVc = 0.2f;
  answers.Box("Warning", "NORMALIZE FILE OPERATION\n\nNORM FILE=[PmtFo]\n\nALL DATA=[4] BELOW CUT & ZEROED\n\nCONTINUING",
              IDOK);
  ASSERT_EQ(Run(OSI_NORMALIZE, "PmtF", "PmtFo"), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadValues<float>("PmtFo"), (std::vector<float>(4, 0.0f)));

  // A cut below the offset is ignored: only a power at or below the offset zeroes.
  Cnl.NrmInvCut = 0;
  answers.Box("Info", "CUT THRESHOLD IGNORED", IDOK)
      .Box("Info",
           "NORMALIZE FILE OPERATION\n\nNORM FILE=[PmtFo]\n\nNORM DATA ZEROED BELOW CUT=[1] OF [4]\n\n"
           "UNITY RATIO=[1.000000]\nSCALAR         =[2.000000]\n\nOFFSETS\nSIGNAL   =[1.000000]\n"
           "POWER   =[0.500000]\nCUTOFF  =[0.000000]",
           IDOK)
      .Box("Info", "[PmtF] CONVERTED TO [PmtFo]", IDOK);
  ASSERT_EQ(Run(OSI_NORMALIZE, "PmtF", "PmtFo", 0, 0, 1), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadValues<float>("PmtFo"), (std::vector<float>{2.0f, 16.0f, 2.0f, 0.0f}));
}

TEST_F(SecondFileOpsTest, NormalizeRelativeModeHasNoUnityRatio) {
  WriteValues<float>("PmtF", {3.0f, 3.0f, 6.0f});
  WriteValues<float>("UVPowPDF", {4.0f, 0.8f, 2.0f});
  Cnl.NrmRelative = 1;
  Cnl.NrmVp = 0.5f;
  Cnl.NrmVc = 1.0f;
  drv::Answers answers;
  answers.Box("Info", "[PmtF] CONVERTED TO [PmtFo]", IDOK);  // no report of sums
  ASSERT_EQ(Run(OSI_NORMALIZE, "PmtF", "PmtFo", 0, 0, 1), 1);
  EXPECT_TRUE(answers.AllAnswered());
  // q = P (1 - Vp); the cut Vc - P Vp applies where Vc >= q.
  EXPECT_EQ(ReadValues<float>("PmtFo"), (std::vector<float>{1.5f, 0.0f, 6.0f}));
}

TEST_F(SecondFileOpsTest, FunctionOfEachValueExpandedToASequence) {
  WriteValues<float>("in.bin", {1.0f, 2.0f});
  WriteText("Func.txt", "\r\nLINEAR\r\n\r\n2 1\r\nignored\r\n");
  Cnv.Seq_Sz[0] = 3;
  ASSERT_EQ(Run(OSI_SCLOFS, "in.bin", "lin.bin"), 1);
  EXPECT_EQ(ReadValues<float>("lin.bin"), (std::vector<float>{3.0f, 3.0f, 3.0f, 5.0f, 5.0f, 5.0f}));
  EXPECT_EQ(Cnv.Func_P1[0], 2.0);
  EXPECT_EQ(Cnv.Func_P2[0], 1.0);

  WriteText("Func.txt", "EXPONENTIAL\n2 0.5 1\n");
  Cnv.Seq_Sz[0] = 1;
  ASSERT_EQ(Run(OSI_SCLOFS, "in.bin", "exp.bin"), 1);
  EXPECT_STREQ(Cnv.Func_Type[0], "EXPONENTIAL");
  auto e = ReadValues<float>("exp.bin");
  ASSERT_EQ(e.size(), 2u);
  EXPECT_FLOAT_EQ(e[0], static_cast<float>(2.0 * std::exp(0.5) + 1.0));
  EXPECT_FLOAT_EQ(e[1], static_cast<float>(2.0 * std::exp(1.0) + 1.0));
}

TEST_F(SecondFileOpsTest, FunctionFileFaultsAndSequenceSize) {
  WriteValues<float>("in.bin", {1.0f});
  Cnv.Seq_Sz[0] = 2;
  drv::Answers answers;
  WriteText("Func.txt", "LINEAR\n");
  answers.Box("Warning", "SCALE & OFFSET FILE\n\nINCORRECT FUNCTION PRMS IN [Func.txt]\n   SCAN CT=[1]\n\nABORTING",
              IDOK);
  EXPECT_EQ(Run(OSI_SCLOFS, "in.bin", "out.bin"), 0);
  WriteText("Func.txt", "QUADRATIC\n1 2 3\n");
  answers
      .Box("Warning",
           "SCALE & OFFSET FILE\n\nINCORRECT FUNCTION IN [Func.txt]\n\nFUNCTION OPTIONS:\n   LINEAR | EXPONENTIAL\n\n"
           "ABORTING",
           IDOK)
      .Box("Warning", "*SCAN CT=[1]*", IDOK);
  EXPECT_EQ(Run(OSI_SCLOFS, "in.bin", "out.bin"), 0);
  WriteText("Func.txt", "EXPONENTIAL\n1 2\n");
  answers.Box("Warning",
              "SCALE & OFFSET FILE\n\nINCORRECT FUNCTION PARAMETERS=[Func.txt]\n\nFORMAT:\n   EXPONENTIAL: PRE EXP "
              "OFFSET\n\nABORTING",
              IDOK);
  EXPECT_EQ(Run(OSI_SCLOFS, "in.bin", "out.bin"), 0);
  EXPECT_EQ(Cnv.Func_P1[0], 1.0);
  EXPECT_EQ(Cnv.Func_P3[0], 0.0);
  // A sequence of no values is refused before anything is read or reset.
  Cnv.Seq_Sz[0] = 0;
  Cnv.Func_P1[0] = 7.0;
  answers.Box("Warning", "SCLOFS_FILE FILE OPERATION\n\nSEQ SZ=[0] MUST BE 1 OR MORE\n\nABORTING", IDOK);
  EXPECT_EQ(Run(OSI_SCLOFS, "in.bin", "out.bin"), 0);
  EXPECT_EQ(Cnv.Func_P1[0], 7.0);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_FALSE(std::filesystem::exists("out.bin"));
}

TEST_F(SecondFileOpsTest, MixingRatioCorrectsOrKeepsAndCounts) {
  WriteValues<float>("in.bin", {3.0f, 3.0f, 3.0f});
  WriteValues<float>("MixingRatio", {0.5f, 1.0f, 4.0f});
  Cnv.MixRatio_Coef[0] = 0.5;
  ASSERT_EQ(Run(OSI_MIXINGRATIO, "in.bin", "out.bin"), 1);
  EXPECT_EQ(ReadValues<float>("out.bin"), (std::vector<float>{4.0f, 6.0f, 3.0f}));
  // R x >= 1 everywhere: the data stay and the warning counts them.
  Cnv.MixRatio_Coef[0] = 2.0;
  drv::Answers answers;
  answers.Box("Warning", "MIXING RATIO INVALID DATA TOT=[3]\n\nORIGINAL DATA PRESERVED\n\nCONTINUING", IDOK);
  ASSERT_EQ(Run(OSI_MIXINGRATIO, "in.bin", "same.bin"), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadBytes("same.bin"), ReadBytes("in.bin"));
}

// With equal names, a NO to the overwrite question or to a size question leaves the
// input exactly as it was and no temporary file behind.
TEST_F(SecondFileOpsTest, EqualNamesAndNoLeaveTheInputByteIdentical) {
  WriteValues<float>("data.bin", Iota(8));
  const auto before = ReadBytes("data.bin");
  WriteValues<float>("SubBin", {1.0f, 2.0f});
  WriteValues<float>("UVPowPDF", {1.0f, 2.0f});
  WriteValues<float>("MixingRatio", {0.1f, 0.2f});
  WriteText("Mks", "3 2.0\n");
  WriteText("Func.txt", "LINEAR\n1 0\n");
  Cnv.Seq_Sz[0] = 1;
  for (int32_t id : {OSI_SCALE2MKS, OSI_SUBTRACT, OSI_MULTIPLY, OSI_NORMALIZE, OSI_SCLOFS, OSI_MIXINGRATIO}) {
    drv::Answers answers;
    answers.Box("Question", "I/O FILENAMES ARE IDENTICAL\n\n[data.bin]\n\nOVERWRITE INPUT FILE?", IDNO);
    EXPECT_EQ(Run(id, "data.bin", "data.bin", 1, 1), 0) << id;
    EXPECT_TRUE(answers.AllAnswered()) << id;
  }
  for (int32_t id : {OSI_SUBTRACT, OSI_MULTIPLY, OSI_NORMALIZE, OSI_MIXINGRATIO}) {
    drv::Answers answers;
    if (id == OSI_MULTIPLY) answers.Box("Info", "*OVERALL SCALE FACTOR*", IDOK);
    answers.Box("Question", "*FILE SIZES OF*", IDNO);
    EXPECT_EQ(Run(id, "data.bin", "data.bin", 1, 0), 0) << id;
    EXPECT_TRUE(answers.AllAnswered()) << id;
    EXPECT_EQ(ReadBytes("data.bin"), before) << id;
  }
  EXPECT_EQ(Files(), (std::vector<std::string>{"Func.txt", "MixingRatio", "Mks", "SubBin", "UVPowPDF", "data.bin"}));
}

}  // namespace
