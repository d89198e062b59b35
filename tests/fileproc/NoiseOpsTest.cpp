// The engine's smoothing, deglitching, noise and Allan operations.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "FileOpsFixture.h"
#include "records/Cnl.h"

namespace {

class NoiseOpsTest : public qvtest::AnsweringFileOpsTest {
 protected:
  void SetUp() override {
    AnsweringFileOpsTest::SetUp();
    Cnl = CnlRecord{};
  }
  static std::vector<std::string> Lines(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::vector<std::string> v;
    std::string line;
    while (std::getline(in, line)) v.push_back(line);
    return v;
  }
};

TEST_F(NoiseOpsTest, SmoothingKeepsALineAndTheLengthAcrossBlockJoins) {
  const int n = 100000;
  std::vector<float> line(n);
  for (int i = 0; i < n; ++i) line[static_cast<size_t>(i)] = 1.0f + 0.001f * static_cast<float>(i);
  WriteValues("line", line);
  ASSERT_EQ(Run(OSI_SMOOTH, "line", "smooth"), 1);
  std::vector<float> out = ReadValues<float>("smooth");
  ASSERT_EQ(out.size(), line.size());
  for (int i = 0; i < n; ++i) ASSERT_NEAR(out[static_cast<size_t>(i)], line[static_cast<size_t>(i)], 2e-3) << i;

  // With the point range: outside [lo, hi) the input's bytes.
  std::vector<float> wavy(n);
  for (int i = 0; i < n; ++i) wavy[static_cast<size_t>(i)] = static_cast<float>(std::sin(i * 1.3) + (i % 7) * 0.1);
  WriteValues("wavy", wavy);
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = 1000;
  Win.Pt_Lim[0][1] = 70000;
  ASSERT_EQ(Run(OSI_SMOOTH, "wavy", "part"), 1);
  out = ReadValues<float>("part");
  ASSERT_EQ(out.size(), wavy.size());
  int changed = 0;
  for (int i = 0; i < n; ++i) {
    if (i < 1000 || i >= 70000)
      ASSERT_EQ(std::memcmp(&out[static_cast<size_t>(i)], &wavy[static_cast<size_t>(i)], 4), 0) << i;
    else
      changed += out[static_cast<size_t>(i)] != wavy[static_cast<size_t>(i)] ? 1 : 0;
  }
  EXPECT_GT(changed, 60000);
}

TEST_F(NoiseOpsTest, SmoothingOfFilesShorterThanTheOverlapCopiesThem) {
  WriteValues("empty", std::vector<float>{});
  ASSERT_EQ(Run(OSI_SMOOTH, "empty", "e"), 1);
  EXPECT_TRUE(std::filesystem::exists("e"));
  EXPECT_TRUE(ReadBytes("e").empty());
  Cnv.FFT_SmoothWin = 10.0f;  // H = 5
  const std::vector<float> three{1.0f, 9.0f, -4.0f};
  WriteValues("three", three);
  ASSERT_EQ(Run(OSI_SMOOTH, "three", "t"), 1);
  EXPECT_EQ(ReadValues<float>("t"), three);
  // Seven values (more than H, fewer than 2H) keep their count.
  WriteValues("seven", Ramp(7));
  ASSERT_EQ(Run(OSI_SMOOTH, "seven", "s"), 1);
  EXPECT_EQ(ReadValues<float>("s").size(), 7u);
  // W below 2: no overlap at all.
  Cnv.FFT_SmoothWin = 1.0f;
  WriteValues("ramp", Ramp(70000));
  ASSERT_EQ(Run(OSI_SMOOTH, "ramp", "r"), 1);
  EXPECT_EQ(ReadValues<float>("r").size(), 70000u);
}

TEST_F(NoiseOpsTest, DeglitchAsksForTheWindowOnlyWhenItIsNotFour) {
  std::vector<float> v(256, 1.0f);
  v[100] = 50.0f;
  WriteValues("g", v);
  ASSERT_EQ(Run(OSI_DEGLITCH, "g", "d"), 1);
  for (const auto& b : platform::BoxLog()) EXPECT_NE(b.caption, "Question");
  Cnv.FFT_SmoothWin = 6.0f;
  platform::ClearBoxLog();
  ASSERT_EQ(Run(OSI_DEGLITCH, "g", "d"), 1);
  ASSERT_FALSE(platform::BoxLog().empty());
  EXPECT_EQ(platform::BoxLog()[0].text,
            "REMOVAL OF SINGLE PIXEL GLITCHS WORKS BEST WITH FFT WINDOW OF 4.0!\n\nUSE [4.0] [YES] | CURRENT [6.00] [NO]?");
  EXPECT_EQ(Cnv.FFT_SmoothWin, 4.0f);
  EXPECT_EQ(ReadValues<float>("d").size(), 256u);
}

TEST_F(NoiseOpsTest, RandomNoiseOverTheWholeFile) {
  Cnv.Pts_Ave[0] = 2;
  Cnv.Lim_Stat[0] = 1;  // no range: the whole file
  Win.Pt_Lim[0][0] = 2;
  Win.Pt_Lim[0][1] = 4;
  WriteValues("z", std::vector<float>(100, 3.0f));
  ASSERT_EQ(Run(OSI_RAND_NOISE, "z", "zn"), 1);
  const std::vector<float> out = ReadValues<float>("zn");
  ASSERT_EQ(out.size(), 100u);
  for (float v : out) ASSERT_TRUE(v == 2.5f || v == 3.5f) << v;
  EXPECT_EQ(Cnv.Elem_Cnt[0], 100);
}

TEST_F(NoiseOpsTest, AllanDeviationOfThePhaseSetWithItsTextFiles) {
  std::ifstream in(std::string(QV95_TESTDATA_DIR) + "/allan/stable32_PHASE.DAT");
  std::vector<double> phase;
  std::string line;
  while (std::getline(in, line))
    if (!line.empty() && line[0] != '#') phase.push_back(std::stod(line));
  ASSERT_EQ(phase.size(), 1001u);
  std::vector<float> freq(1000);
  for (size_t i = 0; i < 1000; ++i) freq[i] = static_cast<float>(phase[i + 1] - phase[i]);
  WriteValues("phase", freq);
  yes_ = true;  // deviation; text files
  ASSERT_EQ(Run(OSI_ALLAN_VAR, "phase", "adev"), 1);
  const std::vector<float> out = ReadValues<float>("adev");
  ASSERT_EQ(out.size(), 500u);
  EXPECT_NEAR(out[0], 2.9223e-01, 1e-5);
  EXPECT_NEAR(out[9], 9.9657e-02, 1e-5);
  EXPECT_EQ(Cnv.Elem_Cnt[0], 1000);
  const std::vector<std::string> lin = Lines("adevLIN.txt");
  ASSERT_EQ(lin.size(), 500u);
  EXPECT_EQ(lin[0].substr(0, 14), "1.000000e+00 2");
  EXPECT_EQ(lin[0].back(), '\r');
  EXPECT_EQ(Lines("adevLOG.txt").size(), 500u);
  EXPECT_EQ(Lines("adevLOG.txt")[499].substr(0, 13), "4.990000e+02 ");
  EXPECT_EQ(std::string(Cnl.Mks_Flnm), "adevLIN.txt");
  EXPECT_EQ(Texts()[0], "Question: ALLAN DEVIATION [YES] | VARIANCE [NO]?");
  EXPECT_EQ(Texts()[1], "Question: ALLAN [DEVIATION]\n\nSAVE LINEAR/LINEAR & LOG/LOG DATA TO XY TXT FILES?");
}

TEST_F(NoiseOpsTest, AllanValuesOfZeroAndTooFewPoints) {
  WriteValues("flat", std::vector<float>(8, 2.0f));
  ASSERT_EQ(Run(OSI_ALLAN_VAR, "flat", "f"), 1);
  EXPECT_EQ(ReadValues<float>("f"), std::vector<float>(4, 0.0f));
  EXPECT_EQ(Texts()[2], "Warning: ALLAN VAR/DEV()\n\nINVALID LOG ARGUMENTS=[4] FOR LOG/LOG SCALE CONVERTED TO [1.0]");
  for (const std::string& l : Lines("fLIN.txt")) EXPECT_NE(l.find(" 1.000000e+00"), std::string::npos) << l;
  for (const std::string& l : Lines("fLOG.txt")) EXPECT_NE(l.find(" 0.000000e+00"), std::string::npos) << l;

  // Three points: one Allan value, log10(N/2) = 0, so no log/log file.
  platform::ClearBoxLog();
  WriteValues("three", std::vector<float>{1.0f, 2.0f, 4.0f});
  ASSERT_EQ(Run(OSI_ALLAN_VAR, "three", "t"), 1);
  EXPECT_EQ(ReadValues<float>("t").size(), 1u);
  EXPECT_EQ(Lines("tLIN.txt").size(), 1u);
  EXPECT_FALSE(std::filesystem::exists("tLOG.txt"));
  EXPECT_EQ(platform::BoxLog().back().caption, "Warning");

  // Variance, no text files.
  yes_ = false;
  ASSERT_EQ(Run(OSI_ALLAN_VAR, "three", "v"), 1);
  EXPECT_EQ(ReadValues<float>("v"), std::vector<float>{1.25f});  // (1 + 4) / 4
  EXPECT_FALSE(std::filesystem::exists("vLIN.txt"));
}

}  // namespace
