// ASCII spectrum conversion on public scans and on small tables written by the tests:
// line selection, step rejection, gaps, stick bins, merging and the grid limits.
#include "convert/AsciiConvert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Win.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<float> ReadFloats(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<float> values(bytes.size() / 4);
  if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * 4);
  return values;
}

void WriteFloats(const std::string& name, const std::vector<float>& values) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * 4));
}

void WriteText(const std::string& name, const std::string& text) {
  std::ofstream out(name, std::ios::binary);
  out << text;
}

// The lines of a file split at CR LF, LF or a lone CR.
std::vector<std::string> Lines(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(line);
      line.clear();
    } else {
      line += text[i];
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::vector<double> Fields(const std::string& line) {
  std::istringstream s(line);
  s.imbue(std::locale::classic());
  std::vector<double> v;
  double d = 0.0;
  while (s >> d) v.push_back(d);
  return v;
}

int64_t UlpDistance(float a, float b) {
  int32_t ia = 0, ib = 0;
  std::memcpy(&ia, &a, 4);
  std::memcpy(&ib, &b, 4);
  if (ia < 0) ia = INT32_MIN - ia;
  if (ib < 0) ib = INT32_MIN - ib;
  return std::llabs(static_cast<int64_t>(ia) - ib);
}

class AsciiConvertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cnv = CnvRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    boxes_.clear();
    platform::SetBoxAnswerer([this](const platform::BoxRequest& box) {
      boxes_.push_back(box.text);
      styles_.push_back(box.style);
      return answer_;
    });
    for (int k = 0; k < 3; ++k) StrCopy(Cnv.Asc_OutFlnm[k], sizeof Cnv.Asc_OutFlnm[k], Out(k).c_str());
  }
  void TearDown() override { platform::SetBoxAnswerer(nullptr); }

  std::string Out(int k) const { return dir_.File("out" + std::to_string(k + 1) + ".bin"); }
  void Input(const std::string& name) { StrCopy(Cnv.Ascii_Flnm, sizeof Cnv.Ascii_Flnm, name.c_str()); }
  // Writes a table into the test folder and selects it.
  void Table(const std::string& text, const std::string& name = "in.txt") {
    WriteText(dir_.File(name), text);
    Input(dir_.File(name));
  }
  // Output 1 holds old at the step 0.2 from 0; the table's lines 1.0 .. last / 10 at the
  // step 0.1 are to be merged into it on that finer step.
  void MergeOnAFinerStep(const std::vector<float>& old, int last) {
    WriteFloats(Out(0), old);
    Dsp.Init_Frq = 0.0;
    Dsp.Frq_Stp = 0.2;
    std::string text;
    for (int i = 10; i <= last; ++i) text += std::to_string(i / 10.0) + " " + std::to_string(100 + i) + "\n";
    Table(text);
    Cnv.Asc_Add[0] = 1;
    Cnv.Asc_OutRes = 0.1;
  }
  bool Shown(const std::string& start) const {
    for (const auto& b : boxes_)
      if (b.rfind(start, 0) == 0) return true;
    return false;
  }

  qvtest::TempDir dir_;
  std::vector<std::string> boxes_;
  std::vector<UINT> styles_;
  int answer_ = IDYES;
};

std::string Data(const char* name) { return std::string(QV95_TESTDATA_DIR) + "/xy/" + name; }

TEST_F(AsciiConvertTest, ThreeColumnsOnTheInputGridMatchTheInputToOneUlp) {
  const std::string name = Data("blackchirp_1011.txt");
  Input(name);
  Cnv.Asc_First = 28;
  Cnv.Asc_YCol[0] = 2;
  Cnv.Asc_YCol[1] = 3;
  Cnv.Asc_YCol[2] = 4;
  Cnv.Asc_OutRes = 0.1;
  ASSERT_EQ(CnvA2BFile(1, 0, 0), 1);
  const std::vector<std::string> lines = Lines(name);
  std::vector<std::vector<double>> rows;
  for (size_t i = 27; i < lines.size(); ++i)
    if (!Fields(lines[i]).empty()) rows.push_back(Fields(lines[i]));
  ASSERT_GT(rows.size(), 100u);
  EXPECT_EQ(Cnv.Asc_Accepted, static_cast<int32_t>(rows.size()));
  EXPECT_EQ(Cnv.Asc_Removed + Cnv.Asc_Gaps + Cnv.Asc_Unread, 0);
  EXPECT_DOUBLE_EQ(Cnv.Asc_InFrqLo, rows.front()[0]);
  EXPECT_DOUBLE_EQ(Cnv.Asc_InFrqHi, rows.back()[0]);
  EXPECT_STREQ(Cnv.Asc_FirstLine, lines[27].c_str());

  // Interactive: each column is offered for scaling as it lands on its channel; the
  // second is declined.
  Dsp.Chn_ScaleStat[1] = 1;
  std::vector<int> answers{IDYES, IDNO, IDYES};
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    boxes_.push_back(box.text);
    const int a = answers.empty() ? IDNO : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return a;
  });
  ASSERT_EQ(CnvA2BFile(2, 0, 1), 1);
  EXPECT_EQ(boxes_, (std::vector<std::string>(3, "AUTO SCALE & OFFSET?")));
  EXPECT_EQ(Cnv.Asc_OutPts, static_cast<int32_t>(rows.size()));
  EXPECT_DOUBLE_EQ(Dsp.Init_Frq, rows.front()[0]);
  EXPECT_EQ(Win.Active_Chn, 3);
  for (int c = 1; c <= 3; ++c) {
    EXPECT_EQ(Dsp.Chn_Flnm[c], Out(c - 1));
    EXPECT_EQ(Dsp.Chn_DspStat[c], 1u);
  }
  const double span1 = static_cast<double>(Cnv.Asc_Max[0]) - Cnv.Asc_Min[0];
  const double span3 = static_cast<double>(Cnv.Asc_Max[2]) - Cnv.Asc_Min[2];
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[1], 0.98 / span1);  // full-height channel
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[1], span1 * 0.01 - Cnv.Asc_Min[0]);
  EXPECT_EQ(Dsp.Chn_Scalar[2], 0.0);                  // declined
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[3], 9.8 / span3);
  for (int k = 0; k < 3; ++k) {
    const std::vector<float> out = ReadFloats(Out(k));
    ASSERT_EQ(out.size(), rows.size());
    float lo = 1e30f, hi = -1e30f;
    for (size_t j = 0; j < rows.size(); ++j) {
      EXPECT_LE(UlpDistance(out[j], static_cast<float>(rows[j][static_cast<size_t>(k) + 1])), 1) << k << " " << j;
      lo = std::min(lo, out[j]);
      hi = std::max(hi, out[j]);
    }
    EXPECT_EQ(Cnv.Asc_Min[k], lo);
    EXPECT_EQ(Cnv.Asc_Max[k], hi);
  }
}

TEST_F(AsciiConvertTest, DescendingFrequenciesRunTheGridDownwards) {
  const std::string name = Data("radis_CO2abscoeff_300K_4150_4400nm.txt");
  const std::vector<std::string> lines = Lines(name);
  int32_t first = 1;
  while (lines[static_cast<size_t>(first - 1)][0] == '#') ++first;
  std::vector<std::vector<double>> rows;
  for (size_t i = static_cast<size_t>(first - 1); i < lines.size(); ++i) rows.push_back(Fields(lines[i]));
  Input(name);
  Cnv.Asc_First = first;
  Cnv.Asc_OutRes = 0.05;
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  EXPECT_EQ(Cnv.Asc_Dir, -1);
  EXPECT_DOUBLE_EQ(Cnv.Asc_OutFrqLo, rows.front()[0]);
  EXPECT_DOUBLE_EQ(Cnv.Asc_OutFrqHi, rows.back()[0]);
  const std::vector<float> out = ReadFloats(Out(0));
  ASSERT_EQ(out.size(), static_cast<size_t>(Cnv.Asc_OutPts));
  EXPECT_FLOAT_EQ(out.front(), static_cast<float>(rows.front()[1]));
  // Every grid point between two input lines stays within the curve's local range.
  size_t i = 0;
  for (size_t j = 0; j < out.size(); ++j) {
    const double f = Cnv.Asc_OutFrqLo - static_cast<double>(j) * Cnv.Asc_OutRes;
    while (i + 1 < rows.size() && rows[i + 1][0] > f) ++i;
    if (i + 1 >= rows.size()) break;
    const double a = rows[i][1], b = rows[i + 1][1];
    const double span = std::fabs(a - b) + 0.5 * std::max(std::fabs(a), std::fabs(b));
    EXPECT_NEAR(out[j], 0.5 * (a + b), span) << j;
  }
}

TEST_F(AsciiConvertTest, CarriageReturnOnlyFileReadsAsLines) {
  const std::string name = Data("blackchirp_Od_230602_F795A_CSA-X.txt");
  const std::vector<std::string> lines = Lines(name);
  Input(name);
  Cnv.Asc_First = 3;
  ASSERT_EQ(CnvA2BFile(1, 0, 0), 1);
  EXPECT_EQ(Cnv.Asc_Last, static_cast<int32_t>(lines.size()));
  EXPECT_STREQ(Cnv.Asc_FirstLine, "38565.24\t-0.003643");
  EXPECT_DOUBLE_EQ(Cnv.Asc_InFrqLo, 38565.24);
  EXPECT_GT(Cnv.Asc_Accepted, 900);
  EXPECT_EQ(Cnv.Asc_Accepted + Cnv.Asc_Removed + Cnv.Asc_Gaps + Cnv.Asc_Unread, Cnv.Asc_Last - 2);
  Cnv.Asc_OutRes = 0.45;
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  const std::vector<float> out = ReadFloats(Out(0));
  ASSERT_EQ(out.size(), static_cast<size_t>(Cnv.Asc_OutPts));
  EXPECT_FLOAT_EQ(out[0], -0.003643f);

  // A line longer than the 1,499 characters read stays one line: the rest of it is
  // passed over (one of exactly 1,499 characters too).
  std::string tail, text;
  for (int k = 0; k < 400; ++k) tail += " 1.2345";
  for (int i = 0; i <= 10; ++i) {
    std::string line = std::to_string(i) + " " + std::to_string(2 * i);
    line += i == 5 ? std::string(ASCII_CNV_LINE_MAX - line.size(), ' ') : tail;
    text += line + "\r\n";
  }
  Table(text);
  Cnv.Asc_First = 1;
  Cnv.Asc_Last = 0;
  Cnv.Asc_OutFrqLo = Cnv.Asc_OutFrqHi = 0.0;
  Cnv.Asc_MinStp = Cnv.Asc_MaxStp = 0.0;
  Cnv.Asc_OutRes = 0.5;
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  EXPECT_EQ(Cnv.Asc_Last, 11);
  EXPECT_EQ(Cnv.Asc_Accepted, 11);
  const std::vector<float> wide = ReadFloats(Out(0));
  ASSERT_EQ(wide.size(), 21u);
  for (size_t j = 0; j < wide.size(); ++j) EXPECT_NEAR(wide[j], static_cast<float>(j), 1e-4) << j;
}

TEST_F(AsciiConvertTest, HeaderLineIsSkippedAndXytFilesAreTrimmedAndScaled) {
  Table("FREQ INTENSITY\r\n1 10\r\n2 20\r\n3 30\r\n");
  ASSERT_EQ(CnvA2BFile(1, 1, 0), 1);
  EXPECT_EQ(Cnv.Asc_First, 2);
  EXPECT_EQ(Cnv.Asc_Accepted, 3);

  std::string text;
  for (int i = 0; i < 8; ++i) text += "header\n";
  for (int i = 0; i < 5; ++i) text += std::to_string(i) + " " + std::to_string(i + 1) + "\n";
  text += "end\nend\nend\n";
  Cnv = CnvRecord{};
  StrCopy(Cnv.Asc_OutFlnm[0], sizeof Cnv.Asc_OutFlnm[0], Out(0).c_str());
  Table(text, "scan.xyt");
  ASSERT_EQ(CnvA2BFile(1, 1, 0), 1);
  EXPECT_EQ(Cnv.Asc_First, 9);
  EXPECT_EQ(Cnv.Asc_Last, 13);
  EXPECT_EQ(Cnv.Asc_ItnFactor, 1000.0);
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  const std::vector<float> out = ReadFloats(Out(0));
  ASSERT_EQ(out.size(), 5u);
  for (size_t j = 0; j < 5; ++j) EXPECT_FLOAT_EQ(out[j], 1000.0f * static_cast<float>(j + 1));
}

TEST_F(AsciiConvertTest, RepeatedBackwardAndDistantLinesAreDroppedAndGapsZeroed) {
  std::string text;
  for (int i = 0; i <= 9; ++i) text += std::to_string(i) + " " + std::to_string(2 * i) + "\n";
  text += "9 99\n8 99\n\nnonsense\n100 99\n";
  for (int i = 101; i <= 109; ++i) text += std::to_string(i) + " " + std::to_string(2 * i) + "\n";
  Table(text);
  Cnv.Asc_MinStp = 0.5;
  Cnv.Asc_MaxStp = 5.0;
  ASSERT_EQ(CnvA2BFile(1, 0, 0), 1);
  EXPECT_EQ(Cnv.Asc_Removed, 2);
  EXPECT_EQ(Cnv.Asc_Gaps, 1);
  EXPECT_EQ(Cnv.Asc_Unread, 2);
  EXPECT_EQ(Cnv.Asc_Accepted, 19);
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  const std::vector<float> out = ReadFloats(Out(0));
  ASSERT_EQ(out.size(), 110u);
  for (size_t j = 0; j <= 9; ++j) EXPECT_NEAR(out[j], 2.0f * static_cast<float>(j), 1e-4) << j;
  // Up to and including the first input after the gap.
  for (size_t j = 10; j <= 101; ++j) EXPECT_EQ(out[j], 0.0f) << j;
  for (size_t j = 102; j <= 109; ++j) EXPECT_NEAR(out[j], 2.0f * static_cast<float>(j), 1e-3) << j;
}

TEST_F(AsciiConvertTest, StickSpectrumSumsLinesIntoBins) {
  Table("0 1\n0.1 2\n0.12 4\n0.3 8\n0.74 16\n1.0 32\n");
  Cnv.Asc_Stick = 1;
  Cnv.Asc_OutFrqLo = 0.0;
  Cnv.Asc_OutFrqHi = 1.0;
  Cnv.Asc_OutRes = 0.25;
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  EXPECT_EQ(Cnv.Asc_Removed, 0);  // the rejection is off for sticks
  const std::vector<float> out = ReadFloats(Out(0));
  ASSERT_EQ(out.size(), 5u);
  EXPECT_EQ(out, (std::vector<float>{7, 8, 0, 16, 32}));

  // A channel is scaled to the values it draws: a bin that sums to a missing value
  // (1e18 or more, here 1e19) is left out of the range.
  Table("0 1\n0.25 3\n0.5 1e19\n0.75 2\n1.0 1\n");
  ASSERT_EQ(CnvA2BFile(2, 0, 1), 1);
  EXPECT_EQ(boxes_.back(), "AUTO SCALE & OFFSET?");
  EXPECT_EQ(Cnv.Asc_Max[0], 3.0f);
  EXPECT_EQ(Cnv.Asc_Min[0], 1.0f);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[1], 9.8 / 2.0);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[1], 0.02 - 1.0);

  // Lines past the last bin land in the last point; nothing is written past it.
  Cnv.Asc_Add[0] = 0;
  std::vector<float> buffer(6, -5.0f);
  const double frq[] = {-1.0, 0.0, 0.9, 7.0};
  const double itn[] = {100.0, 1.0, 2.0, 4.0};
  ASSERT_EQ(LinItn(0, itn, frq, 4, buffer.data() + 1, 4, 0.25, 0.0), 1);
  EXPECT_EQ(buffer, (std::vector<float>{-5, -4, -5, -5, 1, -5}));
}

TEST_F(AsciiConvertTest, GapModeHasNoPredecessorForTheFirstInput) {
  Cnv.Asc_Gaps = 1;
  Cnv.Asc_MaxStp = 1.5;
  const double frq[] = {1.0, 2.0, 3.0, 10.0, 11.0};
  const double itn[] = {1.0, 1.0, 1.0, 1.0, 1.0};
  std::vector<float> out(14, -5.0f);
  ASSERT_EQ(LinItn(0, itn, frq, 5, out.data() + 1, 12, 1.0, 0.0), 1);
  EXPECT_EQ(out.front(), -5.0f);
  EXPECT_EQ(out.back(), -5.0f);
  EXPECT_FLOAT_EQ(out[1], 1.0f);  // before the first input: no gap tested
  for (int j = 4; j <= 10; ++j) EXPECT_EQ(out[static_cast<size_t>(j) + 1], 0.0f) << j;
  EXPECT_FLOAT_EQ(out[12], 1.0f);
}

TEST_F(AsciiConvertTest, MergeRegridsTheExistingFileAndReplacesTheInputRange) {
  std::vector<float> old(21);
  for (size_t i = 0; i < old.size(); ++i) old[i] = 5.0f + 0.2f * static_cast<float>(i);
  MergeOnAFinerStep(old, 20);
  Cnv.Asc_Max[0] = 77.0f;
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_DOUBLE_EQ(Cnv.Asc_OutFrqLo, 0.0);
  EXPECT_DOUBLE_EQ(Cnv.Asc_OutFrqHi, 4.0);
  const std::vector<float> out = ReadFloats(Out(0));
  ASSERT_EQ(out.size(), 41u);
  EXPECT_EQ(Cnv.Asc_OutSz[0], 41u);
  for (size_t j = 0; j < 41; ++j) {
    const float want = (j >= 10 && j <= 20) ? 100.0f + static_cast<float>(j) : 5.0f + 0.1f * static_cast<float>(j);
    EXPECT_NEAR(out[j], want, 1e-3) << j;
  }
  EXPECT_EQ(Cnv.Asc_Max[0], 77.0f);  // a merged column keeps its extremes
}

TEST_F(AsciiConvertTest, SubstitutionWritesOnlyInsideTheMarkedRegion) {
  Table("0 1\n1 1\n2 1\n3 1\n4 1\n5 1\n");
  Cnv.Asc_Subst = 1;
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 0);
  EXPECT_TRUE(Shown("MARK VALID REGION TO MAKE SUBSTITUTION"));
  Win.Pt_Lim[0][0] = 2;
  Win.Pt_Lim[0][1] = 4;
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  EXPECT_EQ(ReadFloats(Out(0)), (std::vector<float>{0, 0, 1, 1, 0, 0}));
}

TEST_F(AsciiConvertTest, RefusedConversionsReturnZeroAndKeepTheOldOutput) {
  WriteFloats(Out(0), {9.0f, 9.0f});
  // 1.5 goes backwards and is dropped; 1.9 is a step up from it, but below the 2 kept
  // before it: the spline has no place for it.
  Table("0 0\n1 1\n2 2\n1.5 9\n1.9 9\n3 3\n");
  Cnv.Asc_MinStp = 0.2;
  Cnv.Asc_MaxStp = 5.0;
  EXPECT_EQ(CnvA2BFile(2, 0, 0), 0);
  EXPECT_EQ(boxes_.back(), "ASCII (TXT) INPUT [" + dir_.File("in.txt") +
                               "]\n\nFREQUENCY OF LINE [5] DOES NOT RISE ABOVE THE LINES KEPT BEFORE IT\n\nABORTING");
  EXPECT_EQ(ReadFloats(Out(0)), (std::vector<float>{9.0f, 9.0f}));
  Table("7 1\n7 2\n");
  EXPECT_EQ(CnvA2BFile(1, 0, 0), 1);  // a probe only warns
  EXPECT_EQ(CnvA2BFile(2, 0, 0), 0);
  EXPECT_TRUE(Shown("INPUT ARRAY SIZE ZERO"));
  Table("x y\n1 2\n");
  EXPECT_EQ(CnvA2BFile(2, 0, 0), 0);
  EXPECT_TRUE(Shown("FIRST | LAST ASCII LINE INVALID"));
  // A last line that reads "nan", and lines farther apart than a double spans, give no
  // grid to place the lines on.
  Table("0 1\n1 2\nnan 3\n");
  Cnv.Asc_Last = 0;
  EXPECT_EQ(CnvA2BFile(2, 0, 0), 0);
  EXPECT_EQ(boxes_.back(), "FIRST | LAST ASCII LINE INVALID");
  Table("-1e308 1\n1e308 2\n");
  EXPECT_EQ(CnvA2BFile(2, 0, 0), 0);
  EXPECT_EQ(boxes_.back(), "INPUT ARRAY SIZE ZERO | INPUT / OUTPUT FRQ RANGE ZERO | OUTPUT RESOLUTION ZERO");
  Cnv.Asc_OutFrqLo = Cnv.Asc_OutFrqHi = 0.0;
  Table("1 2\n2 3\n", "out1.bin.txt");
  StrCopy(Cnv.Asc_OutFlnm[0], sizeof Cnv.Asc_OutFlnm[0], "out1.bin.txt");
  EXPECT_EQ(CnvA2BFile(2, 0, 0), 0);
  EXPECT_TRUE(Shown("INPUT & OUTPUT [1] FILES [out1.bin.txt] HAVE THE SAME NAME"));
  EXPECT_EQ(ReadFloats(Out(0)), (std::vector<float>{9.0f, 9.0f}));
  boxes_.clear();
  Cnv.Ascii_Flnm[0] = '\0';
  EXPECT_EQ(CnvA2BFile(1, 0, 0), 0);  // cannot be opened: no box
  EXPECT_EQ(Cnv.Asc_Valid, 0u);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(AsciiConvertTest, GridLimitsRedefineTheResolution) {
  Table("0 1\n10000000000 2\n");
  Cnv.Asc_OutRes = 0.5;
  ASSERT_EQ(CnvA2BFile(1, 0, 0), 1);
  EXPECT_TRUE(Shown("OUTPUT FILE SIZE TOO LONG (>2e9 POINTS)"));
  EXPECT_EQ(Cnv.Asc_OutPts, 2000000000);
  boxes_.clear();
  Table("0 1\n1 2\n");
  Cnv.Asc_OutFrqLo = Cnv.Asc_OutFrqHi = 0.0;
  Cnv.Asc_MinStp = Cnv.Asc_MaxStp = 0.0;
  Cnv.Asc_OutRes = 5.0;
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  EXPECT_TRUE(Shown("OUTPUT FILE SIZE TOO SHORT (<2 POINTS)"));
  EXPECT_EQ(ReadFloats(Out(0)), (std::vector<float>{1.0f, 2.0f}));
}

// Without a frequency column the lines stand one step apart from 0 and are placed on
// the output grid by their line numbers.
TEST_F(AsciiConvertTest, TableWithoutFrequenciesIsPlacedByLineNumber) {
  Table("10\n20\n30\n40\n");
  Cnv.Asc_XCol = 0;
  Cnv.Asc_YCol[0] = 1;
  Cnv.Asc_OutRes = 0.5;
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(Cnv.Asc_InFrqHi, 3.0);
  EXPECT_EQ(Cnv.Asc_OutFrqHi, 3.0);
  const std::vector<float> out = ReadFloats(Out(0));
  ASSERT_EQ(out.size(), 7u);
  for (size_t j = 0; j < out.size(); ++j) EXPECT_NEAR(out[j], 10.0 + 5.0 * static_cast<double>(j), 1e-4) << j;
}

TEST_F(AsciiConvertTest, ScanFieldErrorsAskAndCancelStopsAsking) {
  Table("0 1 5\n1 2\n2 3\n3 4 6\n4 5 7\n");
  Cnv.Asc_YCol[1] = 3;
  answer_ = IDCANCEL;
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  int asked = 0;
  for (const auto& b : boxes_) asked += b.rfind("SCAN FIELD ERROR ON LINE [2]", 0) == 0 ? 1 : 0;
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(Shown("SCAN FIELD ERROR ON LINE [3]"));
  // No drops the line and asks again at the next one.
  answer_ = IDNO;
  boxes_.clear();
  ASSERT_EQ(CnvA2BFile(2, 0, 0), 1);
  EXPECT_TRUE(Shown("SCAN FIELD ERROR ON LINE [2]"));
  EXPECT_TRUE(Shown("SCAN FIELD ERROR ON LINE [3]"));
  answer_ = IDYES;
  boxes_.clear();
  styles_.clear();
  EXPECT_EQ(CnvA2BFile(2, 0, 0), 0);
  EXPECT_TRUE(Shown("SCAN FIELD ERROR ON LINE [2]"));
  EXPECT_EQ(styles_.back(), 0x1023u);  // Yes, No and Cancel offered
}

// A merge whose output cannot be written (the disk is full) keeps the old file as it
// was, also when its values had to be put on the new step first.
TEST_F(AsciiConvertTest, MergeThatCannotBeWrittenKeepsTheOldFile) {
  const std::vector<float> old(21, 5.0f);
  MergeOnAFinerStep(old, 80);
  int32_t result = -1;
  {
    // Room for the old file on the new step (41 values), not for the output (81).
    qvtest::FileSizeLimit full(200);
    ASSERT_TRUE(full.Set());
    result = CnvA2BFile(2, 0, 0);
  }
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(Shown("FAILED TO CREATE BINARY [1] FILE"));
  EXPECT_EQ(ReadFloats(Out(0)), old);
}

}  // namespace
