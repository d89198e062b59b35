// FTMW scan files built by the tests and the public LeCroy waveforms: what is kept of
// every interval, the axis, and files that are truncated or lie about their lengths.
#include "convert/InstrumentConvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/kernel/Binary.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Win.h"
#include "tests/convert/FtmwFiles.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
void WriteBytes(const std::string& name, const Bytes& bytes) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
std::vector<float> ReadFloats(const std::string& name) {
  const Bytes b = ReadBytes(name);
  std::vector<float> v(b.size() / 4);
  if (!v.empty()) std::memcpy(v.data(), b.data(), v.size() * 4);
  return v;
}

Bytes HeaderFile(int32_t ptsIntv, double init, double stp, double jmp, int intervals, const std::string& info1 = "") {
  return qvtest::FtmwHeaderFile(ptsIntv, init, stp, jmp, intervals, info1);
}
Bytes RecordFile(const std::vector<std::pair<double, float>>& records) { return qvtest::FtmwRecordFile(records); }

class InstrumentConvertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cnv = CnvRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    boxes_.clear();
    platform::SetBoxAnswerer([this](const platform::BoxRequest& box) {
      boxes_.push_back(box.caption + ": " + box.text);
      return box.caption == "Question" ? question_ : IDOK;
    });
    Dsp.Init_Frq = 7.0;
    Dsp.FSR = 3.0;
    Dsp.Pts_FSR = 3;
    Dsp.Frq_Stp = 1.0;
    StrCopy(Cnv.Ftmw_OutFlnm, "MW");
  }
  void TearDown() override {
    platform::SetBoxAnswerer(nullptr);
    std::filesystem::current_path(previous_);
  }

  void Input(const std::string& name) { StrCopy(Cnv.Ftmw_Flnm, name.c_str()); }
  int32_t Convert(const Bytes& file) {
    WriteBytes("in.bin", file);
    Input("in.bin");
    char variant[16] = "";
    return CnvB2BFile(variant, 2);
  }
  bool Shown(const std::string& start) const {
    for (const auto& b : boxes_)
      if (b.rfind(start, 0) == 0) return true;
    return false;
  }
  void ExpectAxisUnchanged() const {
    EXPECT_EQ(Dsp.Init_Frq, 7.0);
    EXPECT_EQ(Dsp.FSR, 3.0);
    EXPECT_EQ(Dsp.Pts_FSR, 3);
    EXPECT_EQ(Dsp.Frq_Stp, 1.0);
  }
  // Every point from `from` to `to` holds the frequency the axis gives it.
  void ExpectOnAxis(const std::vector<float>& out, size_t from, size_t to, double init) const {
    for (size_t i = from; i < to; ++i)
      ASSERT_NEAR(out[i], Dsp.Init_Frq + static_cast<double>(i) * Dsp.Frq_Stp - init, 1e-4) << i;
  }

  qvtest::TempDir dir_;
  std::filesystem::path previous_;
  std::vector<std::string> boxes_;
  int question_ = IDYES;
};

// ---- header files ----------------------------------------------------------------------

TEST_F(InstrumentConvertTest, HeaderFileKeepsTheCentreOfEveryIntervalOnItsAxis) {
  ASSERT_EQ(Convert(HeaderFile(-1000, 9000.0, 0.01, 5.0, 3, "MOLECULE X")), 1);
  const std::vector<float> out = ReadFloats("MW");
  ASSERT_EQ(out.size(), 250u + 3 * 500 + 250);
  for (size_t i = 0; i < 250; ++i) {
    EXPECT_EQ(out[i], 0.0f);
    EXPECT_EQ(out[out.size() - 1 - i], 0.0f);
  }
  EXPECT_FLOAT_EQ(out[250], 2.5f);   // point 250 of interval 0
  EXPECT_FLOAT_EQ(out[749], 7.49f);  // point 749
  EXPECT_FLOAT_EQ(out[750], 7.5f);   // point 250 of interval 1: one step on
  EXPECT_EQ(Dsp.Init_Frq, 9000.0);
  EXPECT_EQ(Dsp.Pts_FSR, 100);
  EXPECT_NEAR(Dsp.FSR, 1.0, 1e-12);
  EXPECT_NEAR(Dsp.Frq_Stp, 0.01, 1e-14);
  ExpectOnAxis(out, 250, 1750, 9000.0);
  EXPECT_STREQ(Dsp.Work_Comment, "MOLECULE X - JET");
  EXPECT_STREQ(Dsp.Work_Date, "03-14-2024");
  EXPECT_STREQ(Dsp.Work_Time, "12:30");
  EXPECT_TRUE(boxes_.empty());

  char variant[16] = "";
  EXPECT_EQ(CnvB2BFile(variant, 1), 1);
  EXPECT_STREQ(variant, "TERNAU");
}

// Opposite signs write each centre backwards; the negative FSR has the engine turn
// the whole file and the axis round, so the result runs upwards again.
TEST_F(InstrumentConvertTest, OppositeStepsAreReversedIntoARisingSpectrum) {
  ASSERT_EQ(Convert(HeaderFile(1000, 500.0, 0.01, -5.0, 3)), 1);
  const std::vector<float> out = ReadFloats("MW");
  ASSERT_EQ(out.size(), 2000u);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(out[1999], 0.0f);
  EXPECT_NEAR(Dsp.Frq_Stp, 0.01, 1e-12);
  EXPECT_NEAR(Dsp.FSR, 1.0, 1e-10);
  EXPECT_NEAR(Dsp.Init_Frq, 490.0, 1e-9);
  EXPECT_FLOAT_EQ(out[250], -7.5f);  // interval 2, point 250
  ExpectOnAxis(out, 250, 1750, 500.0);
  // Both steps negative: forward in the file, then turned round as well.
  ASSERT_EQ(Convert(HeaderFile(1000, 500.0, -0.01, -5.0, 2)), 1);
  const std::vector<float> both = ReadFloats("MW");
  ASSERT_EQ(both.size(), 1500u);
  EXPECT_NEAR(Dsp.Frq_Stp, 0.01, 1e-12);
  ExpectOnAxis(both, 250, 1250, 500.0);
}

TEST_F(InstrumentConvertTest, HeaderFilesWithoutASoundGeometryAreRefusedBeforeAnythingIsWritten) {
  WriteBytes("MW", {1, 2, 3, 4});
  struct Case {
    int32_t pts;
    double stp, jmp;
  } cases[] = {
      {1000, 0.0, 5.0},         // no step: the interval has no width
      {1000, 0.01, 0.0},        // no jump: the centre has no points
      {1000, 0.01, 10.5},       // a jump wider than the interval
      {0, 0.01, 5.0},           // no points
      {1000, NAN, 5.0},
      {1000, 0.01, INFINITY},
  };
  for (const Case& c : cases) {
    boxes_.clear();
    EXPECT_EQ(Convert(HeaderFile(c.pts, 1.0, c.stp, c.jmp, 2)), 0) << c.pts << " " << c.stp << " " << c.jmp;
    EXPECT_TRUE(Shown("Warning: FILE [in.bin] HAS NO VALID INTERVAL GEOMETRY")) << c.stp << " " << c.jmp;
    EXPECT_EQ(ReadBytes("MW"), (Bytes{1, 2, 3, 4}));
    ExpectAxisUnchanged();
  }
  // A count of points far beyond the file is refused before an interval is allocated.
  boxes_.clear();
  EXPECT_EQ(Convert(HeaderFile(INT32_MIN, 1.0, 0.01, 5.0, 0)), 0);
  EXPECT_TRUE(Shown("Warning: NUMBER OF POINTS IN INTERVAL [2147483648] != NUMBER READ [0]!"));
  EXPECT_EQ(ReadBytes("MW"), (Bytes{1, 2, 3, 4}));
  ExpectAxisUnchanged();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 2);
}

// Cut below the header's end the file reads as records and fails their checks; cut
// after it, the whole intervals are kept and a part interval ends with a warning.
TEST_F(InstrumentConvertTest, HeaderFileCutAtEveryLengthKeepsWholeIntervalsOrIsRefused) {
  const Bytes whole = HeaderFile(40, 100.0, 0.25, 5.0, 3);
  ASSERT_EQ(Convert(whole), 1);
  const std::vector<float> full = ReadFloats("MW");
  ASSERT_EQ(full.size(), 10u + 3 * 20 + 10);
  const Bytes oldOutput{9, 9, 9, 9};
  for (size_t cut = 712; cut < whole.size(); cut += 4) {
    WriteBytes("MW", oldOutput);
    Dsp.Init_Frq = 7.0;
    Dsp.FSR = 3.0;
    Dsp.Pts_FSR = 3;
    Dsp.Frq_Stp = 1.0;
    boxes_.clear();
    const int32_t result = Convert(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
    const size_t intervals = cut < ftmw::HEADER_SIZE ? 0 : (cut - ftmw::HEADER_SIZE) / 160;
    if (intervals == 0) {
      EXPECT_EQ(result, 0) << cut;
      char variant[16] = "";
      EXPECT_EQ(CnvB2BFile(variant, 1), 1);
      EXPECT_STREQ(variant, cut < ftmw::HEADER_SIZE ? "PELK" : "TERNAU") << cut;
      EXPECT_EQ(ReadBytes("MW"), oldOutput) << cut;
      ExpectAxisUnchanged();
      continue;
    }
    ASSERT_EQ(result, 1) << cut;
    EXPECT_EQ((cut - ftmw::HEADER_SIZE) % 160 != 0, Shown("Warning: NUMBER OF POINTS IN INTERVAL [40] != NUMBER READ"))
        << cut;
    const std::vector<float> out = ReadFloats("MW");
    ASSERT_EQ(out.size(), 10 + 20 * intervals + 10) << cut;
    for (size_t i = 0; i < out.size() - 10; ++i) ASSERT_EQ(out[i], full[i]) << cut << " " << i;
    EXPECT_EQ(Dsp.Init_Frq, 100.0);
  }
}

TEST_F(InstrumentConvertTest, DecliningTheOverwriteKeepsTheOldFile) {
  WriteBytes("MW", {5, 5, 5, 5});
  question_ = IDNO;
  EXPECT_EQ(Convert(HeaderFile(40, 100.0, 0.25, 5.0, 3)), 0);
  EXPECT_EQ(boxes_, (std::vector<std::string>{"Question: OVERWRITE EXISTING FILE [MW]?", "Info: CONVERSION ABORTED!"}));
  EXPECT_EQ(ReadBytes("MW"), (Bytes{5, 5, 5, 5}));
  // The ASCII table is asked about too.
  boxes_.clear();
  question_ = IDYES;
  Cnv.Ftmw_AscStat = 1;
  WriteBytes("FTMW.txt", {1});
  EXPECT_EQ(Convert(HeaderFile(40, 100.0, 0.25, 5.0, 3)), 1);
  EXPECT_EQ(boxes_, (std::vector<std::string>{"Question: OVERWRITE EXISTING FILE [MW]?",
                                              "Question: OVERWRITE EXISTING FILE [FTMW.txt]?"}));
}

// ---- record files ----------------------------------------------------------------------

TEST_F(InstrumentConvertTest, RecordFileKeepsTheMiddleRecordsOfEveryBlock) {
  std::vector<std::pair<double, float>> records;
  for (int block = 0; block < 3; ++block)
    for (int k = 0; k < 4; ++k) {
      const double f = 100.0 + block * 1.0 + k * 0.5;
      records.emplace_back(f, static_cast<float>(f));
    }
  ASSERT_EQ(Convert(RecordFile(records)), 1);
  const std::vector<float> out = ReadFloats("MW");
  EXPECT_EQ(out, (std::vector<float>{0.0f, 100.5f, 101.0f, 101.5f, 102.0f, 102.5f, 103.0f, 0.0f}));
  EXPECT_EQ(Dsp.Init_Frq, 100.0);
  // Point p stands for 100.0 + 0.5 p: the eight points span seven steps.
  EXPECT_DOUBLE_EQ(Dsp.FSR, (103.5 - 100.0) / 7.0 * 100.0);
  char variant[16] = "";
  EXPECT_EQ(CnvB2BFile(variant, 1), 1);
  EXPECT_STREQ(variant, "PELK");

  // Two records more: a part block, which ends the reading with a warning.
  records.emplace_back(103.0, 1.0f);
  records.emplace_back(103.5, 1.0f);
  Bytes file = RecordFile(records);
  file.resize(file.size() + 5);  // and a part record
  ASSERT_EQ(Convert(file), 1);
  EXPECT_TRUE(Shown("Warning: NUMBER OF POINTS IN INTERVAL [4] != NUMBER READ [2]!"));
  EXPECT_EQ(ReadFloats("MW"), out);
}

// Scans recorded at ordinary steps, whose frequencies are only as even as their
// rounding allows: 0.01 from 2000.0 and 0.002 from 200000.0, 400 records a block.
TEST_F(InstrumentConvertTest, RecordFilesAtOrdinaryStepsKeepTheCentreOfEveryBlock) {
  struct Scan {
    double f0, stp, jmp;
  };
  for (const Scan& scan : {Scan{2000.0, 0.01, 3.0}, Scan{200000.0, 0.002, 0.6}}) {
    SCOPED_TRACE(scan.f0);
    std::vector<std::pair<double, float>> records;
    for (int b = 0; b < 3; ++b)
      for (int k = 0; k < 400; ++k)
        records.emplace_back(scan.f0 + b * scan.jmp + k * scan.stp, static_cast<float>(1000 * b + k));
    boxes_.clear();
    ASSERT_EQ(Convert(RecordFile(records)), 1) << ::testing::PrintToString(boxes_);
    // The jump is three quarters of a block: records 50 to 349 of every block.
    const std::vector<float> out = ReadFloats("MW");
    ASSERT_EQ(out.size(), 50u + 3u * 300u + 50u);
    for (size_t i = 0; i < 50; ++i) ASSERT_EQ(out[i] + out[950 + i], 0.0f) << i;
    for (int b = 0; b < 3; ++b)
      for (int k = 50; k < 350; ++k) ASSERT_EQ(out[static_cast<size_t>(50 + 300 * b + k - 50)], 1000.0f * b + k) << b << " " << k;
    EXPECT_EQ(Dsp.Init_Frq, scan.f0);
    EXPECT_NEAR(Dsp.FSR, (2.0 * scan.jmp + 399.0 * scan.stp) / 999.0 * 100.0, 1e-6);
  }
}

TEST_F(InstrumentConvertTest, RecordFilesWithoutARunOfStepsAreRefused) {
  WriteBytes("MW", {1, 2, 3, 4});
  const std::vector<std::vector<std::pair<double, float>>> files = {
      {{100.0, 1.0f}},                                        // a single record
      {{100.0, 1.0f}, {100.0, 2.0f}, {100.0, 3.0f}},          // no step
      {{101.0, 1.0f}, {100.5, 2.0f}, {90.0, 3.0f}},           // falling, then a jump wider than the interval
      {{100.0, 1.0f}, {100.5, 2.0f}, {110.0, 3.0f}},          // a jump wider than the interval
      {{NAN, 1.0f}, {100.5, 2.0f}},
  };
  for (const auto& f : files) {
    boxes_.clear();
    EXPECT_EQ(Convert(RecordFile(f)), 0) << f.size();
    EXPECT_TRUE(Shown("Warning: FILE [in.bin] HAS NO VALID INTERVAL GEOMETRY")) << f.size();
    EXPECT_EQ(ReadBytes("MW"), (Bytes{1, 2, 3, 4}));
    ExpectAxisUnchanged();
  }
  boxes_.clear();
  EXPECT_EQ(Convert(Bytes(11, 0)), 0);
  EXPECT_TRUE(Shown("Warning: INPUT FILE [in.bin] HAS ZERO LENGTH!"));
  Input("missing.bin");
  char variant[16] = "";
  boxes_.clear();
  EXPECT_EQ(CnvB2BFile(variant, 1), 0);
  EXPECT_TRUE(Shown("Warning: FAILED TO OPEN BINARY FILE [missing.bin] FOR READING"));
}

// ---- LeCroy waveforms ------------------------------------------------------------------

std::string LeCroy(const char* name) { return std::string(QV95_TESTDATA_DIR) + "/lecroy/" + name; }

// The samples decoded here from the descriptor's fields, independently of the converter.
struct Waveform {
  std::vector<float> values;
  double horizOffset = 0.0;
  double interval = 0.0;
};
Waveform Decode(const Bytes& b) {
  Waveform w;
  size_t base = 0;
  while (std::memcmp(b.data() + base, "WAVEDESC", 8) != 0) ++base;
  const int32_t start = platform::GetInt32LE(b.data(), base + 36) + platform::GetInt32LE(b.data(), base + 40) +
                        platform::GetInt32LE(b.data(), base + 48);
  const int32_t count = platform::GetInt32LE(b.data(), base + 116);
  const float gain = platform::GetFloatLE(b.data(), base + 156);
  const float offset = platform::GetFloatLE(b.data(), base + 160);
  w.interval = platform::GetFloatLE(b.data(), base + 176);
  w.horizOffset = platform::GetDoubleLE(b.data(), base + 180);
  for (int32_t i = 0; i < count; ++i)
    w.values.push_back(static_cast<float>(platform::GetInt16LE(b.data(), base + start + 2 * i)) * gain - offset);
  return w;
}

TEST_F(InstrumentConvertTest, LeCroyWaveformsAreScaledToVoltsOnTheirTimeAxis) {
  struct Expected {
    const char* file;
    size_t count;
    const char* instrument;
  } files[] = {{"lecroyscope_pulse.trc", 502, "LECROYWR64Xi-A"}, {"lecroyscope_issue_1.trc", 100002, "LECROYWP254HD-MS"}};
  WriteBytes("MW", {0});
  for (const Expected& e : files) {
    boxes_.clear();
    Input(LeCroy(e.file));
    ASSERT_EQ(CnvLeCroy2Bin(), 1) << e.file;
    const Waveform w = Decode(ReadBytes(LeCroy(e.file)));
    ASSERT_EQ(w.values.size(), e.count);
    const std::vector<float> out = ReadFloats("MW");
    ASSERT_EQ(out.size(), e.count);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_FLOAT_EQ(out[i], w.values[i]) << e.file << " " << i;
    EXPECT_EQ(Dsp.Init_Frq, w.horizOffset);
    EXPECT_EQ(Dsp.FSR, w.interval);
    EXPECT_EQ(Dsp.Pts_FSR, 1);
    EXPECT_EQ(Dsp.Frq_Stp, w.interval);
    ASSERT_EQ(boxes_.size(), 2u);  // the overwrite question, then the fields
    EXPECT_TRUE(Shown(StrPrintf("Warning: LECROY INSTRUMENT NAME = [%s]\nNUMBER OF SEGMENTS=[1]  WAVEDESCRIPTOR=[346]\n"
                                "ARRAY SIZE=[%zu]  ARRAY CT=[%zu]\n",
                                e.instrument, 2 * e.count, e.count)))
        << boxes_.back();
  }
}

TEST_F(InstrumentConvertTest, SegmentedHeaderOnlyAndByteWaveformsAreRefusedWithoutTouchingAnything) {
  WriteBytes("MW", {1, 2, 3, 4});
  for (const char* f : {"lecroyscope_pulse_sequence.trc", "lecroyscope_header.trc"}) {
    boxes_.clear();
    Input(LeCroy(f));
    EXPECT_EQ(CnvLeCroy2Bin(), 0) << f;
    EXPECT_TRUE(Shown("Warning: WAVEFORM IS SEQUENCE & NOT AVAILABLE YET")) << f;
    EXPECT_EQ(ReadBytes("MW"), (Bytes{1, 2, 3, 4}));
    ExpectAxisUnchanged();
  }
  // Byte samples: refused, and the axis stays.
  Bytes pulse = ReadBytes(LeCroy("lecroyscope_pulse.trc"));
  platform::PutInt16LE(pulse.data(), 11 + 32, 0);
  WriteBytes("byte.trc", pulse);
  Input("byte.trc");
  boxes_.clear();
  EXPECT_EQ(CnvLeCroy2Bin(), 0);
  EXPECT_TRUE(Shown("Warning: WAVEFORM RECORD IS BYTE & NOT AVAILABLE YET"));
  ExpectAxisUnchanged();
  EXPECT_EQ(ReadBytes("MW"), (Bytes{1, 2, 3, 4}));
}

TEST_F(InstrumentConvertTest, LeCroyLengthsBeyondTheFileAreRefusedBeforeAnythingIsAllocated) {
  const Bytes pulse = ReadBytes(LeCroy("lecroyscope_pulse.trc"));
  WriteBytes("MW", {1, 2, 3, 4});
  struct Lie {
    size_t offset;
    int32_t value;
  } lies[] = {{116, INT32_MAX}, {116, 503}, {116, 0}, {116, -1}, {36, -400}, {40, 1}, {48, INT32_MAX}, {36, INT32_MAX}};
  for (const Lie& lie : lies) {
    Bytes b = pulse;
    platform::PutInt32LE(b.data(), 11 + lie.offset, lie.value);
    WriteBytes("lie.trc", b);
    Input("lie.trc");
    boxes_.clear();
    EXPECT_EQ(CnvLeCroy2Bin(), 0) << lie.offset << " " << lie.value;
    EXPECT_TRUE(Shown("Warning: FILE [lie.trc] IS NOT A LECROY WAVEFORM FILE")) << lie.offset;
    EXPECT_EQ(ReadBytes("MW"), (Bytes{1, 2, 3, 4}));
    ExpectAxisUnchanged();
  }
  // No descriptor within the first 50 bytes.
  Bytes moved(40 + pulse.size(), ' ');
  std::copy(pulse.begin(), pulse.end(), moved.begin() + 40);
  WriteBytes("moved.trc", moved);
  Input("moved.trc");
  boxes_.clear();
  EXPECT_EQ(CnvLeCroy2Bin(), 0);
  EXPECT_EQ(boxes_, (std::vector<std::string>{"Question: OVERWRITE EXISTING FILE [MW]?",
                                              "Warning: FILE [moved.trc] IS NOT A LECROY WAVEFORM FILE"}));
}

TEST_F(InstrumentConvertTest, LeCroyFileCutAtEveryLengthIsRefusedAndChangesNothing) {
  const Bytes pulse = ReadBytes(LeCroy("lecroyscope_pulse.trc"));
  const Bytes oldOutput{7, 7, 7, 7, 7, 7, 7, 7};
  Input("cut.trc");
  for (size_t cut = 0; cut < pulse.size(); ++cut) {
    WriteBytes("cut.trc", Bytes(pulse.begin(), pulse.begin() + static_cast<std::ptrdiff_t>(cut)));
    WriteBytes("MW", oldOutput);
    boxes_.clear();
    ASSERT_EQ(CnvLeCroy2Bin(), 0) << cut;
    ASSERT_TRUE(Shown("Warning: FILE [cut.trc] IS NOT A LECROY WAVEFORM FILE")) << cut;
    ASSERT_EQ(ReadBytes("MW"), oldOutput) << cut;
    ExpectAxisUnchanged();
  }
  // Nothing was left beside the output.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 2);
}

TEST_F(InstrumentConvertTest, LeCroyNamesAreThoseEndingInTrcInOneCase) {
  EXPECT_TRUE(IsLeCroyName("C:\\scope\\a.TRC"));
  EXPECT_TRUE(IsLeCroyName("a.trc"));
  EXPECT_FALSE(IsLeCroyName("a.Trc"));
  EXPECT_FALSE(IsLeCroyName("a.tRC"));
  EXPECT_FALSE(IsLeCroyName("trc"));
  EXPECT_FALSE(IsLeCroyName("a.trc.bin"));
}

}  // namespace
