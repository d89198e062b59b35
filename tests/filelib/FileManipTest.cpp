#include "filelib/FileManip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "FileFixture.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "records/Win.h"

namespace {

using qvtest::FileTest;
using FileManipTest = FileTest;

// ---- co-add ------------------------------------------------------------------------------

TEST_F(FileManipTest, CoaddWeighsFilesOfDifferentLengthsPointByPoint) {
  WriteFloats("scan000", {1, 2, 3, 4});
  WriteFloats("scan001", {5, 6, 7, 8});
  WriteFloats("scan002", {9, 10, 11});  // one point short
  WriteFloats("scan003", {0, 0, 0, 0, 99});  // longer than the first: its tail is ignored
  WriteInts("weights", {1, 0, 2});           // the 0 counts as 1; the fourth weight is missing (1)
  ASSERT_EQ(ManBinFileCoadd("scan", "sum", "weights", 0, 3, 1), 1);
  std::vector<float> out = ReadFloats("sum");
  ASSERT_EQ(out.size(), 4u);
  // W = 1 + 1 + 2 + 1 = 5 where all four files have the point.
  EXPECT_FLOAT_EQ(out[0], (1 + 5 + 2 * 9 + 0) / 5.0f);
  EXPECT_FLOAT_EQ(out[2], (3 + 7 + 2 * 11 + 0) / 5.0f);
  // The last point lacks scan002: only weights 1 + 1 + 1 cover it.
  EXPECT_FLOAT_EQ(out[3], (4 + 8 + 0) / 3.0f);
  EXPECT_STREQ(Dsp.DspMsgBuffer, "   BEG AVE=[0] END AVE=[3]  [0] AVES=[1] READ\n");
  EXPECT_EQ(LastBox(), "NUMBER OF FILES USED IN AVERAGE=[4]");
  EXPECT_EQ(Status(3), "FILE=[scan003] COADDED");
}

TEST_F(FileManipTest, CoaddWithoutWeightsAndWithZeroFirstWeight) {
  WriteFloats("a000", {2, 4});
  WriteFloats("a001", {4, 8});
  WriteFloats("a002", {6, 0});
  ASSERT_EQ(ManBinFileCoadd("a", "plain", nullptr, 0, 2, 0), 1);
  EXPECT_EQ(ReadFloats("plain"), (std::vector<float>{4, 4}));
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_STREQ(Dsp.DspMsgBuffer, "   BEG AVE=[0] END AVE=[2]  [0] AVES=[1] NONE\n");

  // The example of weights 1, 0, 2: divided by W = 4.
  WriteInts("w", {1, 0, 2});
  ASSERT_EQ(ManBinFileCoadd("a", "weighted", "w", 0, 2, 0), 1);
  EXPECT_EQ(ReadFloats("weighted"), (std::vector<float>{(2 + 4 + 12) / 4.0f, (4 + 8 + 0) / 4.0f}));
  WriteInts("w0", {0});
  ASSERT_EQ(ManBinFileCoadd("a", "weighted", "w0", 1, 2, 0), 1);
  EXPECT_STREQ(Dsp.DspMsgBuffer, "   BEG AVE=[1] END AVE=[2]  [1] AVES=[1] ZERO\n");
  EXPECT_EQ(ReadFloats("weighted"), (std::vector<float>{5, 4}));
}

TEST_F(FileManipTest, CoaddFailureKeepsOldOutput) {
  WriteFloats("b000", {1, 2});
  WriteFloats("b002", {1, 2});  // b001 is missing
  WriteFloats("out", {42});
  EXPECT_EQ(ManBinFileCoadd("b", "out", nullptr, 0, 2, 1), 0);
  EXPECT_EQ(ReadFloats("out"), (std::vector<float>{42}));
  EXPECT_EQ(LastBox(), "ManBinFileRead()\n\nFAILED TO OPEN BINARY FILE [b001] FOR READING\n\nABORTING");
  EXPECT_EQ(ManBinFileCoadd("b", "out", "no-weights", 0, 0, 1), 0);
  EXPECT_EQ(LastBox(), "ManBinFileCoadd()\n\nFAILED TO OPEN BINARY INPUT FILE [no-weights] FOR READING\n\nABORTING");
  EXPECT_EQ(ReadFloats("out"), (std::vector<float>{42}));
}

// ---- channel averages --------------------------------------------------------------------

class AveDspTest : public FileTest {
 protected:
  void Select(int chn, const char* name, const std::vector<float>& values) {
    WriteFloats(name, values);
    StrCopy(Dsp.Chn_Flnm[chn], name);
    Cnv.Cnv_Stat[chn] = 1;
  }
};

TEST_F(AveDspTest, SkipZerosAndIncludeAllAcrossBlocks) {
  // Three files longer than one block; the second one shorter.
  const size_t n = FILE_BLOCK_FLOATS + 1000;
  std::vector<float> a(n, 0.0f), b(n - 10, 4.0f), c(n, 0.0f);
  for (size_t i = 0; i < n; i += 2) a[i] = 1.0f;  // every other value 1, the rest 0
  Select(0, "c0", a);
  Select(2, "c2", b);
  Select(5, "c5", c);
  answers_ = {IDNO, IDYES};  // mode 0: skip zeros; sizes differ: continue
  ASSERT_EQ(AveDspFiles(0, 0), 1);
  auto texts = BoxTexts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "INCLUDE ALL VALUES IN AVERAGE [YES] | SKIP REGIONS OF ZERO AMPLITUDE [NO]?");
  EXPECT_EQ(texts[1], "AVERAGE DISPLAY FILES\n\nFILE SIZES IN AVERAGE OF [3] FILES DIFFER\n\nCONTINUE [YES] | ABORT [NO]?");
  EXPECT_EQ(texts[2], "NUMBER OF FILES USED IN AVERAGE=[3]\n\nZERO VALUES EXCLUDED=[YES]");
  std::vector<float> out = ReadFloats("AveBinF");
  ASSERT_EQ(out.size(), n - 10);  // the shortest file ends the average
  EXPECT_FLOAT_EQ(out[0], 2.5f);  // 1, 4, 0 -> (1 + 4) / 2
  EXPECT_FLOAT_EQ(out[1], 4.0f);  // 0, 4, 0 -> 4
  EXPECT_FLOAT_EQ(out[FILE_BLOCK_FLOATS + 1], 4.0f);
  EXPECT_EQ(Status(3), "AVE VALS WRITTEN=[" + std::to_string(n - 10) + "]");

  platform::ClearBoxLog();
  ASSERT_EQ(AveDspFiles(1, 0), 1);
  out = ReadFloats("AveBinF");
  EXPECT_FLOAT_EQ(out[0], 5.0f / 3.0f);
  EXPECT_FLOAT_EQ(out[1], 4.0f / 3.0f);
  EXPECT_EQ(LastBox(), "NUMBER OF FILES USED IN AVERAGE=[3]\n\nZERO VALUES EXCLUDED=[NO]");

  // All zeros at a point give 0 when zeros are skipped.
  Cnv = CnvRecord{};
  Select(1, "z1", {0, 0});
  Select(3, "z3", {0, 6});
  ASSERT_EQ(AveDspFiles(2, 0), 1);
  EXPECT_EQ(ReadFloats("AveBinF"), (std::vector<float>{0, 6}));
}

TEST_F(AveDspTest, RefusalsLeaveNoOutput) {
  EXPECT_EQ(AveDspFiles(1, 0), 0);
  EXPECT_EQ(LastBox(), "AVERAGE DISPLAY FILES\n\nNO FILES SELECTED (CNV STAT) TO AVERAGE\n\nABORTING");

  Select(0, "x0", {1, 2});
  Select(1, "x1", {1, 2, 3});
  answers_ = {IDNO};  // sizes differ: abort
  EXPECT_EQ(AveDspFiles(1, 0), 0);
  EXPECT_FALSE(platform::FileExists("AveBinF"));

  Select(1, "x1", {3, 4});
  Dsp.Chn_Scalar[1] = 2.0;
  answers_ = {IDNO};
  EXPECT_EQ(AveDspFiles(1, 0), 0);
  EXPECT_EQ(LastBox(),
            "AVERAGE DISPLAY FILES\n\nDSP CHN SCALARS | OFFSETS USED IN AVE OF [2] FILES DIFFER\n\nCONTINUE [YES] | "
            "ABORT [NO]?");
  Dsp.Chn_Scalar[1] = 0.0;

  StrCopy(Dsp.Chn_Flnm[4], "missing");
  Cnv.Cnv_Stat[4] = 1;
  EXPECT_EQ(AveDspFiles(1, 0), 0);
  EXPECT_EQ(LastBox(), "AveDspFiles()\n\nFAILED TO OPEN BINARY INPUT FILE [missing] IN CHN=[4] FOR READING\n\nABORTING");
  // warn < 0: the selection silently stops at the missing file.
  platform::ClearBoxLog();
  ASSERT_EQ(AveDspFiles(1, -1), 1);
  EXPECT_EQ(ReadFloats("AveBinF"), (std::vector<float>{2, 3}));
  EXPECT_EQ(LastBox(), "NUMBER OF FILES USED IN AVERAGE=[2]\n\nZERO VALUES EXCLUDED=[NO]");

  StrCopy(Dsp.Chn_Flnm[1], "AveBinF");
  EXPECT_EQ(AveDspFiles(1, 0), 0);
  EXPECT_EQ(LastBox(), "AVERAGE DISPLAY FILES\n\nI/O FILESNAMES [AveBinF] ARE IDENTICAL FOR [1]\n\nABORTING");
}

// ---- sorts of sequence files -------------------------------------------------------------

class SortFileTest : public FileTest {
 protected:
  int32_t Run(int16_t mode, const std::vector<float>& input) {
    WriteFloats("in", input);
    std::FILE* f = std::fopen("in", "rb");
    int32_t result = SortFile(1, mode, f, "seq");
    std::fclose(f);
    return result;
  }
};

TEST_F(SortFileTest, DeinterleavesWithOutOfSyncShift) {
  AnswerTextBox("", IDOK);  // default 0: plain alternation
  ASSERT_EQ(Run(0, Range(0, 10)), 1);
  EXPECT_EQ(offered_, "0");
  EXPECT_STREQ(Dsp.GetTextPrompt, "ADD OUT-OF-SYNC: INTERVAL?");
  EXPECT_EQ(ReadFloats("seq_001"), (std::vector<float>{0, 2, 4, 6, 8}));
  EXPECT_EQ(ReadFloats("seq_002"), (std::vector<float>{1, 3, 5, 7, 9}));

  // Every 3 values the next one goes to the same file as the one before.
  AnswerTextBox("3", IDOK);
  ASSERT_EQ(Run(0, Range(0, 10)), 1);
  EXPECT_EQ(ReadFloats("seq_001"), (std::vector<float>{0, 2, 3, 5, 6, 8, 9}));
  EXPECT_EQ(ReadFloats("seq_002"), (std::vector<float>{1, 4, 7}));

  // Across block boundaries the alternation carries on.
  AnswerTextBox("0", IDOK);
  ASSERT_EQ(Run(0, Range(0, 2 * FILE_BLOCK_FLOATS + 3)), 1);
  auto odd = ReadFloats("seq_002");
  ASSERT_EQ(odd.size(), FILE_BLOCK_FLOATS + 1);
  EXPECT_EQ(odd[FILE_BLOCK_FLOATS / 2], static_cast<float>(FILE_BLOCK_FLOATS + 1));

  // Cancel: nothing is done.
  std::remove("seq_001");
  AnswerTextBox("5", IDCANCEL);
  EXPECT_EQ(Run(0, Range(0, 10)), 1);
  EXPECT_FALSE(platform::FileExists("seq_001"));
}

TEST_F(SortFileTest, WindowSortCollectsEachInterval) {
  Cnv.Seq_Sz[1] = 10;
  Cnv.Pts_Ave[1] = 3;
  Cnv.Win_Lo[1] = 2;
  Cnv.Win_Hi[1] = 5;
  ASSERT_EQ(Run(1, Range(0, 35)), 1);  // 3 whole intervals; the rest is ignored
  EXPECT_EQ(ReadFloats("seq_Sort"), (std::vector<float>{2, 3, 4, 12, 13, 14, 22, 23, 24}));
  EXPECT_TRUE(platform::BoxLog().empty());

  // A window wider than the points per average fills the output before the last
  // interval: only the intervals reached are written, with a warning.
  Cnv.Win_Lo[1] = 0;
  Cnv.Win_Hi[1] = 6;
  ASSERT_EQ(Run(1, Range(0, 30)), 1);
  EXPECT_EQ(ReadFloats("seq_Sort"), (std::vector<float>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(LastBox(), "SORT FILE\n\nSERIES NUMBER=[2] < OPSEQ VALUE OF FILE SZ/AVE_PTS=[3]");

  // Intervals running across block boundaries.
  Cnv.Seq_Sz[1] = 1000;
  Cnv.Pts_Ave[1] = 2;
  Cnv.Win_Lo[1] = 998;
  Cnv.Win_Hi[1] = 1000;
  ASSERT_EQ(Run(1, Range(0, 200000)), 1);
  auto out = ReadFloats("seq_Sort");
  ASSERT_EQ(out.size(), 400u);
  for (size_t k = 0; k < 200; ++k) {
    ASSERT_EQ(out[2 * k], static_cast<float>(1000 * k + 998));
    ASSERT_EQ(out[2 * k + 1], static_cast<float>(1000 * k + 999));
  }
}

TEST_F(SortFileTest, WindowSeriesWritesOneFilePerWindow) {
  Cnv.Seq_Sz[1] = 10;
  Cnv.Pts_Ave[1] = 3;
  Cnv.Win_Lo[1] = 0;
  Cnv.Win_Hi[1] = 3;
  Cnv.Rpt_Cnt[1] = 3;
  Cnv.Intv_Lim[1] = 8;
  ASSERT_EQ(Run(2, Range(0, 20)), 1);
  EXPECT_EQ(ReadFloats("seq_000_Sort"), (std::vector<float>{0, 1, 2, 10, 11, 12}));
  EXPECT_EQ(ReadFloats("seq_001_Sort"), (std::vector<float>{3, 4, 5, 13, 14, 15}));
  EXPECT_EQ(ReadFloats("seq_002_Sort"), (std::vector<float>{6, 7, 8, 16, 17, 18}));
  EXPECT_EQ(Cnv.Win_Lo[1], 6);  // the last window stays in the slot
  EXPECT_EQ(Cnv.Win_Hi[1], 9);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"SORT FILE\n\nWIN RANGE=[6]-[9] OUTSIDE OF INTV SZ=[8]"}));
}

// ---- range statistics --------------------------------------------------------------------

TEST_F(FileManipTest, RangeStatisticsNormaliseTheRange) {
  WriteFloats("r", Range(0, 20));
  double mean = 0, sigma = 0, min = 0, max = 0;
  ASSERT_EQ(FileGetAveValueFile("r", 10, 5, 0, &mean, &sigma, &min, &max), 1);
  EXPECT_DOUBLE_EQ(mean, 7.5);
  EXPECT_NEAR(sigma, std::sqrt(17.5 / 5.0), 1e-12);
  EXPECT_EQ(min, 5.0);
  EXPECT_EQ(max, 10.0);
  ASSERT_EQ(FileGetAveValueFile("r", 15, 500, 0, &mean, &sigma, &min, &max), 1);
  EXPECT_DOUBLE_EQ(mean, 17.0);
  EXPECT_EQ(max, 19.0);
  ASSERT_EQ(FileGetAveValueFile("r", -5, 3, 1, &mean, &sigma, &min, &max), 1);
  EXPECT_DOUBLE_EQ(mean, 6.0);                 // the plain sum 0 + 1 + 2 + 3
  EXPECT_NEAR(sigma, std::sqrt(5.0 / 3.0), 1e-12);  // still about the average
  ASSERT_EQ(FileGetAveValueFile("r", 7, 7, 0, &mean, &sigma, &min, &max), 1);
  EXPECT_EQ(sigma, 0.0);
  EXPECT_EQ(FileGetAveValueFile("missing", 0, 3, 0, &mean, &sigma, &min, &max), 0);
  EXPECT_EQ(FileGetAveValueFile("r", 30, 40, 0, &mean, &sigma, &min, &max), 0);  // empty range
  EXPECT_TRUE(platform::BoxLog().empty());

  // A range over several blocks.
  std::vector<float> big(3 * FILE_BLOCK_FLOATS, 1.0f);
  for (size_t i = 0; i < big.size(); i += 2) big[i] = 3.0f;
  WriteFloats("big", big);
  ASSERT_EQ(FileGetAveValueFile("big", 0, static_cast<int32_t>(big.size()) - 1, 0, &mean, &sigma, &min, &max), 1);
  EXPECT_NEAR(mean, 2.0, 1e-12);
  EXPECT_NEAR(sigma, 1.0, 1e-5);
}

TEST_F(FileManipTest, ChannelStatisticsFillBothSlots) {
  WriteFloats("r", Range(0, 20));
  ASSERT_EQ(FileGetAveValue(3, 1, "r", 0, 4), 1);   // 0..4: mean 2, sigma sqrt(2.5)
  EXPECT_EQ(Win.Chn_AveDiff[3], 0.0);                // slot 2 still 0
  ASSERT_EQ(FileGetAveValue(3, 2, "r", 10, 14), 1);  // mean 12
  EXPECT_DOUBLE_EQ(Win.Chn_Ave1[3], 2.0);
  EXPECT_DOUBLE_EQ(Win.Chn_Ave2[3], 12.0);
  EXPECT_DOUBLE_EQ(Win.Chn_AveDiff[3], 10.0);
  EXPECT_NEAR(Win.Chn_SigSum[3], std::sqrt(2.5), 1e-12);
  EXPECT_EQ(Win.Chn_Min[3], 10.0);
  EXPECT_EQ(Win.Chn_Max[3], 14.0);
  Win.Ave_SumOpt = 1;
  ASSERT_EQ(FileGetAveValue(3, 1, "r", 0, 4), 1);
  EXPECT_DOUBLE_EQ(Win.Chn_Ave1[3], 10.0);
  EXPECT_EQ(FileGetAveValue(10, 1, "r", 0, 4), 0);
  EXPECT_EQ(LastBox(), "FileGetAveValue()/INVALID CHN=[10]\n\nABORTING");
  EXPECT_EQ(platform::BoxLog().back().caption, "Error");
}

// ---- names -------------------------------------------------------------------------------

TEST_F(FileManipTest, ReplaceFirstNumber) {
  char out[200] = "";
  ASSERT_EQ(ManFlnmReplaceFirstNumber("run012b.dat", out, "77"), 1);
  EXPECT_STREQ(out, "run77b.dat");
  ASSERT_EQ(ManFlnmReplaceFirstNumber("..\\d5\\x9.bin", out, "A"), 1);
  EXPECT_STREQ(out, "..\\dA\\x9.bin");
  ASSERT_EQ(ManFlnmReplaceFirstNumber("plain.dat", out, ""), 1);
  EXPECT_STREQ(out, "plain.dat");
  StrCopy(out, "run1");
  ASSERT_EQ(ManFlnmReplaceFirstNumber(out, out, "22"), 1);  // in place
  EXPECT_STREQ(out, "run22");
  EXPECT_EQ(ManFlnmReplaceFirstNumber("run1", out, ""), 0);
  EXPECT_EQ(LastBox(), "NO STRING TO REPLACE FIRST NUMBER WITH\n\nENTER STRING IN EXT FIELD\n\nABORTING");
  char small[6] = "";
  EXPECT_EQ(ManFlnmReplaceFirstNumber("run1", small, "12345"), 0);  // would not fit
}

TEST_F(FileManipTest, SubstituteWithOneAndTwoQuestionMarks) {
  char out[200] = "";
  ASSERT_EQ(ManFlnmSubstitute("data.bin", out, ""), 1);
  EXPECT_STREQ(out, "data.bin");
  ASSERT_EQ(ManFlnmSubstitute("data?.bin", out, "A"), 1);
  EXPECT_STREQ(out, "dataA.bin");
  EXPECT_EQ(ManFlnmSubstitute("data?.bin", out, ""), 0);
  EXPECT_EQ(LastBox(), "FILENAME SUBSTITUTION ENABLED BUT NO STRING FOR SUBSTITUTION SPECIFIED\n\nABORTING");

  // "??": asks, offering sub the first time, and remembers the answer.
  AnswerTextBox("X7", IDOK);
  ASSERT_EQ(ManFlnmSubstitute("data??.bin", out, "B"), 1);
  EXPECT_EQ(offered_, "B");
  EXPECT_STREQ(out, "dataX7.bin");
  AnswerTextBox("", IDOK);  // keeps the offered default
  ASSERT_EQ(ManFlnmSubstitute("r??_?.dat", out, "ignored"), 1);
  EXPECT_EQ(offered_, "X7");
  EXPECT_STREQ(out, "rX7_?.dat");
  // Non-adjacent second mark: the character after the first "?" is replaced as well.
  AnswerTextBox("Q", IDOK);
  ASSERT_EQ(ManFlnmSubstitute("a?b?c", out, ""), 1);
  EXPECT_STREQ(out, "aQ?c");
  AnswerTextBox("Z", IDCANCEL);
  StrCopy(out, "before");
  EXPECT_EQ(ManFlnmSubstitute("d??", out, ""), 0);
  EXPECT_STREQ(out, "before");
  EXPECT_STREQ(Cnv.Sub_Answer, "Q");
}

// ---- column text files -------------------------------------------------------------------

// Independent reading of a text file: lines split at CR, LF or CR LF; the numbers of
// each line whose first field is a number.
std::vector<std::vector<double>> NumericRows(const std::string& path) {
  std::string text = FileTest::ReadText(path);
  std::vector<std::vector<double>> rows;
  std::string line;
  auto flush = [&] {
    std::istringstream in(line);
    in.imbue(std::locale::classic());
    std::vector<double> row;
    double v;
    while (in >> v) row.push_back(v);
    if (!row.empty()) rows.push_back(row);
    line.clear();
  };
  for (char c : text) {
    if (c == '\n' || c == '\r')
      flush();
    else
      line.push_back(c);
  }
  flush();
  return rows;
}

TEST_F(FileManipTest, ColumnReadOfRealSpectra) {
  const std::string slit = std::string(QV95_TESTDATA_DIR) + "/xy/radis_slitfunction.txt";
  auto rows = NumericRows(slit);
  double* x = nullptr;
  float* y = nullptr;
  int32_t* l = nullptr;
  uint32_t n = 0;
  ASSERT_EQ(ManAsciiFileRead(slit.c_str(), 2, &l, &y, nullptr, &n, 1), 1);
  ASSERT_EQ(n, rows.size());
  ASSERT_EQ(ManAsciiFileRead(slit.c_str(), 1, nullptr, nullptr, &x, &n, 1), 1);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_DOUBLE_EQ(x[i], rows[i][0]);
    EXPECT_FLOAT_EQ(y[i], static_cast<float>(rows[i][1]));
    EXPECT_EQ(l[i], static_cast<int32_t>(rows[i][1]));  // "%ld" stops at the decimal point
  }
  // A file with CR-only line ends and a header line.
  const std::string cr = std::string(QV95_TESTDATA_DIR) + "/xy/blackchirp_Od_230602_F795A_CSA-X.txt";
  rows = NumericRows(cr);
  ASSERT_EQ(ManAsciiFileRead(cr.c_str(), 2, nullptr, nullptr, &x, &n, 1), 1);
  EXPECT_GT(n, 900u);
  EXPECT_DOUBLE_EQ(x[n - 1], rows.back()[1]);
  EXPECT_EQ(ManAsciiFileRead("missing.txt", 1, nullptr, nullptr, &x, &n, 1), 0);
  DFree1Dim(&x);
  FFree1Dim(&y);
  LFree1Dim(&l);
}

TEST_F(FileManipTest, ColumnsStayAlignedOnRaggedLines) {
  WriteText("rag.txt", "# header\n1 10\n2\nword 5\n3 30\n");
  float* a = nullptr;
  uint32_t n = 0;
  ASSERT_EQ(ManAsciiFileRead("rag.txt", 2, nullptr, &a, nullptr, &n, 1), 1);
  ASSERT_EQ(n, 3u);
  EXPECT_EQ(a[0], 10.0f);
  EXPECT_EQ(a[1], 0.0f);  // the line "2" has no second column
  EXPECT_EQ(a[2], 30.0f);
  FFree1Dim(&a);
  // A line longer than the 499 characters read is one line, whatever the rest holds.
  std::string wide = "4 40";
  for (int k = 0; k < 300; ++k) wide += " 7";
  WriteText("wide.txt", "1 10\n" + wide + "\n2 20\n");
  ASSERT_EQ(ManAsciiFileRead("wide.txt", 2, nullptr, &a, nullptr, &n, 1), 1);
  ASSERT_EQ(n, 3u);
  EXPECT_EQ(a[1], 40.0f);
  EXPECT_EQ(a[2], 20.0f);
  FFree1Dim(&a);

  ASSERT_EQ(ManAsciiFileSort("rag.txt", "sorted.txt", 2, 1), 1);
  EXPECT_EQ(ReadText("sorted.txt"), StrPrintf("%-22.8f %.8f\r\n", 0.0, 2.0) + StrPrintf("%-22.8f %.8f\r\n", 10.0, 1.0) +
                                        StrPrintf("%-22.8f %.8f\r\n", 30.0, 3.0));
  EXPECT_EQ(ReadText("sorted.txt").substr(0, 24), "0.00000000             2");
}

TEST_F(FileManipTest, SortOfDescendingSpectrum) {
  const std::string path = std::string(QV95_TESTDATA_DIR) + "/xy/radis_CO2abscoeff_300K_4150_4400nm.txt";
  auto rows = NumericRows(path);
  ASSERT_GT(rows.size(), 1000u);
  WriteText("out.txt", "old");
  ASSERT_EQ(ManAsciiFileSort(path.c_str(), "out.txt", 1, 2), 1);
  auto sorted = NumericRows("out.txt");
  ASSERT_EQ(sorted.size(), rows.size());
  for (size_t i = 1; i < sorted.size(); ++i) ASSERT_LE(sorted[i - 1][0], sorted[i][0]);
  // The source runs downwards, so its last row comes first, with its own y.
  const std::string firstLine =
      StrPrintf("%-22.8f %.8f\r\n", static_cast<float>(rows.back()[0]), static_cast<float>(rows.back()[1]));
  EXPECT_EQ(ReadText("out.txt").substr(0, firstLine.size()), firstLine);
  EXPECT_NEAR(sorted[0][1], rows.back()[1], 1e-8);
  EXPECT_NEAR(sorted.back()[1], rows.front()[1], 1e-8);

  EXPECT_EQ(ManAsciiFileSort(path.c_str(), "no-such-folder/out.txt", 1, 2), 0);
  EXPECT_EQ(LastBox(), "ManAsciiFileSort()\n\nFAILED TO OPEN ASCII FILE [no-such-folder/out.txt] FOR WRITING\n\nABORTING");
}

}  // namespace
