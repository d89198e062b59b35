// Each point-wise operation and type conversion on known bytes.
#include <cmath>

#include "FileOpsFixture.h"
#include "fileproc/FileOps.h"

namespace {

namespace drv = platform::driver;
using qvtest::FileOpsTest;
using PointOpsTest = FileOpsTest;

TEST_F(PointOpsTest, OffsetAllValuesOrOnlyNonZeroOnes) {
  WriteValues<float>("in.bin", {0.0f, 1.0f, 0.0f, -2.0f});
  Cnv.Offset[0] = 0.5f;
  drv::Answers answers;
  answers.Box("Question", "OFFSET FILE OP\n\nSKIP REGIONS IN [in.bin] HAVING ZERO AMPLITUDE [YES] | USE ALL VALUES [NO]?",
              IDYES);
  ASSERT_EQ(Run(OSI_OFFSET, "in.bin", "skip.bin", 0), 1);
  EXPECT_EQ(ReadValues<float>("skip.bin"), (std::vector<float>{0.0f, 1.5f, 0.0f, -1.5f}));
  ASSERT_EQ(Run(OSI_OFFSET, "in.bin", "all.bin", 1), 1);
  EXPECT_EQ(ReadValues<float>("all.bin"), (std::vector<float>{0.5f, 1.5f, 0.5f, -1.5f}));
  ASSERT_EQ(Run(OSI_OFFSET, "in.bin", "copy.bin", 7), 1);
  EXPECT_EQ(ReadBytes("copy.bin"), ReadBytes("in.bin"));
  EXPECT_TRUE(answers.AllAnswered());
}

TEST_F(PointOpsTest, FlipAndInvertWithTheirCounts) {
  WriteValues<float>("in.bin", {0.0f, -4.0f, 2.0f});
  Cnv.Flip_Pt[0] = 1.0f;
  ASSERT_EQ(Run(OSI_FLIP, "in.bin", "flip.bin"), 1);
  EXPECT_EQ(ReadValues<float>("flip.bin"), (std::vector<float>{1.0f, 5.0f, -1.0f}));
  drv::Answers answers;
  answers.Box("Warning", "INVERT FILE OPERATION\n\nINVALID VALUES KEPT AT ZERO [1]", IDOK)
      .Box("Info", "[in.bin] CONVERTED TO [inv.bin]", IDOK);
  ASSERT_EQ(Run(OSI_INVERT, "in.bin", "inv.bin", 0, 0, 1), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadValues<float>("inv.bin"), (std::vector<float>{0.0f, -0.25f, 0.5f}));
}

TEST_F(PointOpsTest, LogarithmsOfAbsorbanceOrOfTheValue) {
  WriteValues<float>("in.bin", {0.5f, 0.0f, -1.0f, 100.0f});
  ASSERT_EQ(Run(OSI_NATLOG, "in.bin", "ln.bin"), 1);  // Io = 1: ln(1/v)
  auto ln = ReadValues<float>("ln.bin");
  EXPECT_FLOAT_EQ(ln[0], 0.6931472f);
  EXPECT_EQ(ln[1], 0.0f);
  EXPECT_EQ(ln[2], 0.0f);
  EXPECT_FLOAT_EQ(ln[3], -4.6051702f);
  Cnv.Io[0] = 0.0f;  // -log(v)
  drv::Answers answers;
  answers.Box("Info", "LOG CONVERSION FILE OPERATION\n\nPOINTS WITH INVALID ARGUMENTS=[2]", IDOK)
      .Box("Info", "[in.bin] CONVERTED TO [lg.bin]", IDOK);
  ASSERT_EQ(Run(OSI_LOG10, "in.bin", "lg.bin", 0, 0, 1), 1);
  EXPECT_TRUE(answers.AllAnswered());
  auto lg = ReadValues<float>("lg.bin");
  EXPECT_FLOAT_EQ(lg[0], 0.30103f);
  EXPECT_EQ(lg[1], 0.0f);
  EXPECT_FLOAT_EQ(lg[3], -2.0f);
}

TEST_F(PointOpsTest, SquareAsksAboutAScalarOtherThanOne) {
  WriteValues<float>("in.bin", {3.0f, -2.0f});
  Cnv.Scalar[0] = 2.0f;
  drv::Answers answers;
  answers.Box("Question", "SQUARE FILE OPERATION\n\nSQR DATA [YES] | CONVERSION OF KAVO DATA [NO]", IDYES)
      .Box("Question", "SQUARE FILE OPERATION\n\nSCALAR=[2.000000] USED IN SCALAR * Y^2\n\n*", IDNO);
  ASSERT_EQ(Run(OSI_SQR, "in.bin", "sq.bin", 0), 1);
  EXPECT_EQ(ReadValues<float>("sq.bin"), (std::vector<float>{18.0f, 8.0f}));
  answers.Box("Question", "SQUARE FILE OPERATION\n\nSCALAR=*", IDYES);
  ASSERT_EQ(Run(OSI_SQR, "in.bin", "sq.bin", 1), 1);
  EXPECT_EQ(Cnv.Scalar[0], 1.0f);
  EXPECT_EQ(ReadValues<float>("sq.bin"), (std::vector<float>{9.0f, 4.0f}));
  EXPECT_TRUE(answers.AllAnswered());
}

TEST_F(PointOpsTest, LaboratoryDataInDigitalAndVoltageForm) {
  WriteBytes("kavo.bin", {0x01, 0x00, 0x80, 0x00, 0xFF, 0xFF, 0x7F});  // 256, -32768, -1, and a stray byte
  drv::Answers answers;
  answers.Box("Question", "QV SQUARE (KAVO) FILE OPERATION\n\nDATA IN DIGITAL [YES] | VOLTAGE [NO] FORM?", IDYES)
      .Box("Info", "[kavo.bin] CONVERTED TO [dig.bin]", IDOK);
  ASSERT_EQ(Run(OSI_SQR, "kavo.bin", "dig.bin", 2, 0, 1, 0, 3), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(Dsp.Chn_Dig[3], 1u);
  EXPECT_EQ(ReadValues<float>("dig.bin"), (std::vector<float>{64.0f, 1048576.0f, 0.0f}));
  Dsp.Chn_Dig[3] = 0;  // without the report flag the stored form is used
  ASSERT_EQ(Run(OSI_SQR, "kavo.bin", "volt.bin", 2, 0, 0, 0, 3), 1);
  EXPECT_EQ(ReadValues<float>("volt.bin"), (std::vector<float>{0.078125f, -10.0f, -0.00030517578125f}));
  // No channel, or a variant that selects nothing: no output and no success.
  EXPECT_EQ(Run(OSI_SQR, "kavo.bin", "none.bin", 2, 0, 0, 0, -1), 0);
  EXPECT_EQ(Run(OSI_SQR, "kavo.bin", "kavo.bin", 5), 0);
  EXPECT_FALSE(std::filesystem::exists("none.bin"));
  EXPECT_EQ(ReadBytes("kavo.bin").size(), 7u);
}

TEST_F(PointOpsTest, SwapBytesDropsAnOddLastByte) {
  WriteBytes("in.bin", {0x12, 0x34, 0xAB, 0xCD, 0x77});
  ASSERT_EQ(Run(OSI_SWAP_BYTES, "in.bin", "out.bin"), 1);
  EXPECT_EQ(ReadBytes("out.bin"), (std::vector<uint8_t>{0x34, 0x12, 0xCD, 0xAB}));
}

TEST_F(PointOpsTest, IntegersToFloatsDirectlyOrAsAdcVolts) {
  WriteValues<int16_t>("s.bin", {2048, 0, 4095, -3});
  ASSERT_EQ(Run(OSI_SHORT2FLOAT, "s.bin", "direct.bin"), 1);
  EXPECT_EQ(ReadValues<float>("direct.bin"), (std::vector<float>{2048.0f, 0.0f, 4095.0f, -3.0f}));
  Cnv.Adc_Stat = 1;
  Cnv.Adc_16Bit = 0;
  Cnv.Adc_Bipolar = 1;
  ASSERT_EQ(Run(OSI_SHORT2FLOAT, "s.bin", "adc12.bin"), 1);
  auto v = ReadValues<float>("adc12.bin");
  EXPECT_EQ(v[0], 0.0f);
  EXPECT_EQ(v[1], -10.0f);
  EXPECT_FLOAT_EQ(v[2], 9.9951172f);
  Cnv.Adc_16Bit = 1;
  Cnv.Adc_Bipolar = 0;
  WriteValues<int32_t>("l.bin", {65536, 32768, -7});
  ASSERT_EQ(Run(OSI_LONG2FLOAT, "l.bin", "adc16.bin"), 1);
  EXPECT_EQ(ReadValues<float>("adc16.bin"), (std::vector<float>{10.0f, 5.0f, -7.0f * 10.0f / 65536.0f}));
  WriteValues<double>("d.bin", {0.1, -1e300, 2.5});
  ASSERT_EQ(Run(OSI_DOUBLE2FLOAT, "d.bin", "f.bin"), 1);
  auto f = ReadValues<float>("f.bin");
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0], 0.1f);
  EXPECT_TRUE(std::isinf(f[1]) && f[1] < 0);
  EXPECT_EQ(f[2], 2.5f);
}

// Every row of the ADC table, for 16-bit and 32-bit codes: v = code x scale + offset.
TEST_F(PointOpsTest, AdcCodesToVoltsForEveryResolutionAndRange) {
  const std::vector<int16_t> shorts{0, 1, 2048, 4095, -1};
  const std::vector<int32_t> longs{0, 1, 2048, 4095, 65535, -1};
  WriteValues("s.bin", shorts);
  WriteValues("l.bin", longs);
  struct Row {
    uint32_t bits16, bipolar;
    double scale, offset;
  };
  const Row rows[] = {{1, 0, 10.0 / 65536.0, 0.0},
                      {0, 0, 10.0 / 4096.0, 0.0},
                      {1, 1, 20.0 / 65536.0, -10.0},
                      {0, 1, 20.0 / 4096.0, -10.0}};
  Cnv.Adc_Stat = 1;
  for (const Row& r : rows) {
    Cnv.Adc_16Bit = r.bits16;
    Cnv.Adc_Bipolar = r.bipolar;
    ASSERT_EQ(Run(OSI_SHORT2FLOAT, "s.bin", "s.out"), 1);
    ASSERT_EQ(Run(OSI_LONG2FLOAT, "l.bin", "l.out"), 1);
    const auto s = ReadValues<float>("s.out");
    const auto l = ReadValues<float>("l.out");
    ASSERT_EQ(s.size(), shorts.size());
    ASSERT_EQ(l.size(), longs.size());
    for (size_t i = 0; i < shorts.size(); ++i)
      EXPECT_EQ(s[i], static_cast<float>(shorts[i] * r.scale + r.offset)) << r.bits16 << r.bipolar << " code " << shorts[i];
    for (size_t i = 0; i < longs.size(); ++i)
      EXPECT_EQ(l[i], static_cast<float>(longs[i] * r.scale + r.offset)) << r.bits16 << r.bipolar << " code " << longs[i];
  }
}

TEST_F(PointOpsTest, LaboratoryDataAskedForWithVariantZero) {
  WriteBytes("kavo.bin", {0x40, 0x00, 0xC0, 0x00});  // 16384, -16384
  drv::Answers answers;
  answers.Box("Question", "SQUARE FILE OPERATION\n\nSQR DATA [YES] | CONVERSION OF KAVO DATA [NO]", IDNO)
      .Box("Question", "QV SQUARE (KAVO) FILE OPERATION\n\nDATA IN DIGITAL [YES] | VOLTAGE [NO] FORM?", IDNO)
      .Box("Info", "[kavo.bin] CONVERTED TO [volt.bin]", IDOK);
  Dsp.Chn_Dig[0] = 1;
  ASSERT_EQ(Run(OSI_SQR, "kavo.bin", "volt.bin", 0, 0, 1, 0, 0), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(Dsp.Chn_Dig[0], 0u);
  EXPECT_EQ(ReadValues<float>("volt.bin"), (std::vector<float>{5.0f, -5.0f}));
  // Digital form: 16384^2 >> 10.
  Dsp.Chn_Dig[0] = 1;
  ASSERT_EQ(Run(OSI_SQR, "kavo.bin", "dig.bin", 2, 0, 0, 0, 0), 1);
  EXPECT_EQ(ReadValues<float>("dig.bin"), (std::vector<float>{262144.0f, 262144.0f}));
}

TEST_F(PointOpsTest, LogarithmsWithAReferenceAndWithout) {
  WriteValues<float>("in.bin", {0.5f, 0.1f, 0.0f});
  Cnv.Io[0] = 0.0f;  // -ln(v)
  ASSERT_EQ(Run(OSI_NATLOG, "in.bin", "ln.bin"), 1);
  const auto ln = ReadValues<float>("ln.bin");
  EXPECT_FLOAT_EQ(ln[0], 0.6931472f);
  EXPECT_FLOAT_EQ(ln[1], 2.3025851f);
  EXPECT_EQ(ln[2], 0.0f);
  Cnv.Io[0] = 10.0f;  // log10(Io / v)
  ASSERT_EQ(Run(OSI_LOG10, "in.bin", "lg.bin"), 1);
  const auto lg = ReadValues<float>("lg.bin");
  EXPECT_FLOAT_EQ(lg[0], 1.30103f);
  EXPECT_FLOAT_EQ(lg[1], 2.0f);
  EXPECT_EQ(lg[2], 0.0f);
}

TEST_F(PointOpsTest, AverageOffsetInsideTheWindowOfEverySequence) {
  WriteValues<float>("in.bin", {1, 0, 1, 1, 1, 1, 0, 1, 1, 1});
  Cnv.Ave_Offset[0] = 0.5;
  Cnv.Seq_Sz[0] = 4;
  Cnv.Win_Lo[0] = 1;
  Cnv.Win_Hi[0] = 2;  // positions 1 and 2 of each sequence of 4
  ASSERT_EQ(Run(OSI_AVE_OFFSET, "in.bin", "all.bin", 1), 1);
  EXPECT_EQ(ReadValues<float>("all.bin"), (std::vector<float>{1, 0.5f, 1.5f, 1, 1, 1.5f, 0.5f, 1, 1, 1.5f}));
  drv::Answers answers;
  answers.Box("Question", "OFFSET FILE OP\n\nSKIP REGIONS IN [in.bin] *", IDYES);
  ASSERT_EQ(Run(OSI_AVE_OFFSET, "in.bin", "skip.bin", 0), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadValues<float>("skip.bin"), (std::vector<float>{1, 0, 1.5f, 1, 1, 1.5f, 0, 1, 1, 1.5f}));
  Cnv.Seq_Sz[0] = 0;  // no sequences: every value
  ASSERT_EQ(Run(OSI_AVE_OFFSET, "in.bin", "flat.bin", 1), 1);
  EXPECT_EQ(ReadValues<float>("flat.bin")[1], 0.5f);
  EXPECT_EQ(ReadValues<float>("flat.bin")[0], 1.5f);
}

TEST_F(PointOpsTest, AverageGroupsWithAnUnevenLastGroup) {
  WriteValues("in.bin", Ramp(10));
  Cnv.Pts_Ave[0] = 3;
  drv::Answers answers;
  answers.Box("Warning", "AVERAGE FILE OPERATION\n\nUNEVEN INTERVAL IN AVERAGE\n\n[1] != [3]\n\nCONTINUING", IDOK);
  ASSERT_EQ(Run(OSI_AVERAGE, "in.bin", "ave.bin"), 1);
  EXPECT_EQ(ReadValues<float>("ave.bin"), (std::vector<float>{1.0f, 4.0f, 7.0f, 9.0f}));
  // The range selects the points that are averaged.
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = 2;
  Win.Pt_Lim[0][1] = 8;
  ASSERT_EQ(Run(OSI_AVERAGE, "in.bin", "range.bin"), 1);
  EXPECT_EQ(ReadValues<float>("range.bin"), (std::vector<float>{3.0f, 6.0f}));
  EXPECT_TRUE(answers.AllAnswered());
}

TEST_F(PointOpsTest, AverageAcrossBlocksAndARefusedGroupSize) {
  const int n = 3 * 65536 + 5;
  WriteValues("in.bin", Ramp(n));
  Cnv.Pts_Ave[0] = 65537;  // groups span block boundaries
  drv::Answers answers;
  answers.Box("Warning", "AVERAGE FILE OPERATION\n\nUNEVEN INTERVAL IN AVERAGE\n\n[65534] != [65537]\n\nCONTINUING", IDOK)
      .Box("Warning", "AVERAGE FILE OPERATION\n\nPTS TO AVE=[0] MUST BE 1 OR MORE\n\nABORTING", IDOK);
  ASSERT_EQ(Run(OSI_AVERAGE, "in.bin", "ave.bin"), 1);
  auto a = ReadValues<float>("ave.bin");
  ASSERT_EQ(a.size(), 4u);
  EXPECT_EQ(a[0], 32768.0f);
  EXPECT_EQ(a[2], 2.0f * 65537.0f + 32768.0f);
  EXPECT_EQ(a[3], (3.0f * 65537.0f + (n - 1)) / 2.0f);
  Cnv.Pts_Ave[0] = 0;  // would never complete a group
  EXPECT_EQ(Run(OSI_AVERAGE, "in.bin", "in.bin"), 0);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadValues<float>("in.bin").size(), static_cast<size_t>(n));
}

TEST_F(PointOpsTest, ScaleStreamsAcrossBlocks) {
  const int n = 2 * 65536 + 17;
  WriteValues("in.bin", Ramp(n));
  Cnv.Scalar[0] = 0.5f;
  ASSERT_EQ(Run(OSI_SCALE, "in.bin", "in.bin"), 1);
  auto v = ReadValues<float>("in.bin");
  ASSERT_EQ(v.size(), static_cast<size_t>(n));
  for (int i = 0; i < n; i += 4097) ASSERT_EQ(v[static_cast<size_t>(i)], 0.5f * i) << i;
  EXPECT_EQ(v.back(), 0.5f * (n - 1));
}

}  // namespace
