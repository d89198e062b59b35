// The pulse-height analysis: intervals, baseline values, the level counts and the
// signal-to-noise table.
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "FileOpsFixture.h"
#include "core/MsgWindow.h"
#include "fileproc/NoiseStats.h"
#include "platform/windows/Dialog.h"
#include "records/Cnl.h"

namespace {

class PmtDiscTest : public qvtest::FileOpsTest {
 protected:
  void SetUp() override {
    FileOpsTest::SetUp();
    Cnl = CnlRecord{};
    previous_ = platform::SetBoxAnswerer([this](const platform::BoxRequest& r) {
      if (r.caption != "Question") return IDOK;
      if (answers_.empty()) return IDCANCEL;
      const int a = answers_.front();
      answers_.pop_front();
      return a;
    });
  }
  void TearDown() override {
    platform::SetBoxAnswerer(previous_);
    platform::SetModalOpenHook(nullptr);
    FileOpsTest::TearDown();
  }
  // The table's lines as (level, second column).
  static std::vector<std::pair<double, double>> Lines(const std::string& name) {
    std::ifstream in(name);
    std::vector<std::pair<double, double>> v;
    double a = 0.0, b = 0.0;
    while (in >> a >> b) v.emplace_back(a, b);
    return v;
  }
  // A record at 0.0 with a pulse dipping to -0.3 at point 50.
  void WritePulse(const char* name, int points = 100) {
    std::vector<float> v(static_cast<size_t>(points), 0.0f);
    v[50] = -0.3f;
    WriteValues(name, v);
  }
  std::deque<int> answers_;
  platform::BoxAnswerer previous_;
};

TEST_F(PmtDiscTest, OnePulseCountsEveryLevelItReaches) {
  WritePulse("rec");
  answers_ = {IDYES, IDNO};  // negative going; no S/N table
  ASSERT_EQ(Run(OSI_PMT_DISC, "rec", "pha"), 1);
  const auto table = Lines("pha.txt");
  ASSERT_EQ(table.size(), 500u);
  EXPECT_NEAR(table.front().first, -0.02, 1e-7);
  EXPECT_NEAR(table.back().first, -0.62, 1e-6);
  for (const auto& [level, count] : table) EXPECT_EQ(count, level >= -0.3 ? 1.0 : 0.0) << level;
  EXPECT_EQ(std::string(Cnl.Mks_Flnm), "pha.txt");
  EXPECT_FALSE(std::filesystem::exists("pha"));  // the engine opens no output of its own
  const auto& boxes = platform::BoxLog();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text,
            "PULSE HEIGHT ANALYSIS\n\nPULSE HEIGHT ASCII FLNM=[pha.txt] SIZE=[500]\n\nTOTAL PTS=[100] BASELINE PTS "
            "SKIPPED=[80] INTVS=[1]\n\nDISPLAY ASCII RESULTS IN CALIBRATION/NORMALIZATION/LINEARIZATION DIALOG");
}

TEST_F(PmtDiscTest, ShortIntervalsAndPositivePulses) {
  // NPTS 1: every value off the baseline is an interval; positive pulses from 0.1 up.
  Cnv.Pmt_Sk = 1;
  Cnv.Pmt_Num = 3;
  Cnv.Pmt_LvlLo = 0.1;
  Cnv.Pmt_LvlHi = 0.5;
  WriteValues("rec", std::vector<float>{0.0f, 0.2f, 0.6f, 0.05f, 0.4f});
  answers_ = {IDNO, IDNO};
  ASSERT_EQ(Run(OSI_PMT_DISC, "rec", "pos"), 1);
  const auto table = Lines("pos.txt");
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0].second, 3.0);  // 0.2, 0.6, 0.4 reach 0.1
  EXPECT_EQ(table[1].second, 2.0);  // 0.6, 0.4 reach 0.3
  EXPECT_EQ(table[2].second, 1.0);  // 0.6 reaches 0.5
  EXPECT_NE(platform::BoxLog().back().text.find("BASELINE PTS SKIPPED=[2] INTVS=[3]"), std::string::npos);
  // Cancel at the direction question: nothing written.
  answers_ = {IDCANCEL};
  EXPECT_EQ(Run(OSI_PMT_DISC, "rec", "gone"), 0);
  EXPECT_FALSE(std::filesystem::exists("gone.txt"));
}

TEST_F(PmtDiscTest, SignalToNoiseAgainstANoiseTable) {
  // The noise record never leaves the baseline: all its counts are 0.
  WriteValues("noise", std::vector<float>(40, 0.0f));
  answers_ = {IDYES, IDNO};
  ASSERT_EQ(Run(OSI_PMT_DISC, "noise", "BG_PHA"), 1);
  for (const auto& line : Lines("BG_PHA.txt")) EXPECT_EQ(line.second, 0.0);
  EXPECT_NE(platform::BoxLog().back().text.find("TOTAL PTS=[40] BASELINE PTS SKIPPED=[40] INTVS=[0]"),
            std::string::npos);

  WritePulse("rec");
  answers_ = {IDYES, IDYES};
  std::string prompt;
  platform::SetModalOpenHook([&prompt](HWND dialog, int templateId) {
    EXPECT_EQ(templateId, IDD_GET_TEXT);
    char shown[200] = "";
    GetDlgItemText(dialog, IDC_GET_TEXT_EDIT, shown, sizeof shown);
    prompt = shown;
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  ASSERT_EQ(Run(OSI_PMT_DISC, "rec", "sig"), 1);
  EXPECT_EQ(prompt, "BG_PHA.txt");
  const auto sn = Lines("sig_SN.txt");
  ASSERT_EQ(sn.size(), 500u);
  for (const auto& [level, ratio] : sn) EXPECT_EQ(ratio, level >= -0.3 ? 1.0 : -1.0) << level;  // (1-0)/sqrt(1); S+N=0
  EXPECT_NE(platform::BoxLog().back().text.find("S/N FLNM=[sig_SN.txt] SIZE=[500]"), std::string::npos);
  EXPECT_EQ(std::string(Cnl.Mks_Flnm), "sig.txt");

  // A noise table of another length is refused.
  Cnv.Pmt_Num = 400;
  answers_ = {IDYES, IDYES};
  EXPECT_EQ(Run(OSI_PMT_DISC, "rec", "sig2"), 0);
  EXPECT_EQ(platform::BoxLog().back().text,
            "PMTDiscLvl()\n\nFAILED TO OPEN ASCII FILE=[BG_PHA.txt] FOR READING\n\nABORTING");
  EXPECT_FALSE(std::filesystem::exists("sig2_SN.txt"));
}

TEST_F(PmtDiscTest, FewerThanTwoLevelsAreRefused) {
  WritePulse("rec");
  for (int32_t levels : {1, 0, -5}) {
    Cnv.Pmt_Num = levels;
    platform::ClearBoxLog();
    EXPECT_EQ(Run(OSI_PMT_DISC, "rec", "pha"), 0);
    ASSERT_EQ(platform::BoxLog().size(), 1u);
    EXPECT_EQ(platform::BoxLog()[0].caption, "Warning");
    EXPECT_FALSE(std::filesystem::exists("pha.txt"));
  }
}

}  // namespace
