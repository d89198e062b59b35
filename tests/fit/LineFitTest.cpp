// Straight-line fit with rejection: exact lines, an outlier, held parameters, too few
// points, and the report file.
#include "fit/LineFit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <cstring>
#include <string>
#include <vector>

#include "fileproc/FileOps.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "tests/support/TempDir.h"

namespace qvtest {
namespace {

class LineFitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearBoxLog();
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override { std::filesystem::current_path(previous_); }
  static std::string Log() {
    std::ifstream in(LSF_LOG_NAME, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  TempDir dir_;
  std::filesystem::path previous_;
};

std::vector<double> Xs(int n) {
  std::vector<double> x(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) x[static_cast<size_t>(i)] = i;
  return x;
}

TEST_F(LineFitTest, ExactLineKeepsEveryPointWhateverTheStart) {
  const std::vector<double> x = Xs(50);
  std::vector<double> y;
  for (double v : x) y.push_back(1.5 + 0.01 * v);
  double slope = 100.0, intercept = -7.0;
  int32_t status = -1;
  ASSERT_EQ(LsfLineFit(50, x.data(), y.data(), 1, 1, &slope, &intercept, &status, 1e10), 1);
  EXPECT_NEAR(slope, 0.01, 1e-12);
  EXPECT_NEAR(intercept, 1.5, 1e-12);
  EXPECT_EQ(status, 50);
  // Even a level below 1 drops nothing from an exact line.
  slope = intercept = 0.0;
  ASSERT_EQ(LsfLineFit(50, x.data(), y.data(), 1, 1, &slope, &intercept, nullptr, 0.5), 1);
  EXPECT_NEAR(slope, 0.01, 1e-12);
  const std::string log = Log();
  EXPECT_NE(log.find("RESULT"), std::string::npos);
  EXPECT_NE(log.find("\r\n"), std::string::npos);
  EXPECT_EQ(log.find("REJECTED"), std::string::npos);  // the file is made anew for each fit
}

TEST_F(LineFitTest, OutlierIsDroppedAtLevelThreeAndKeptAtAHighLevel) {
  const std::vector<double> x = Xs(30);
  std::vector<double> y;
  for (double v : x) y.push_back(-2.0 + 0.5 * v + ((static_cast<int>(v) % 2) ? 0.01 : -0.01));
  y[12] += 50.0;
  double slope = 0.0, intercept = 0.0;
  int32_t status = 0;
  ASSERT_EQ(LsfLineFit(30, x.data(), y.data(), 1, 1, &slope, &intercept, &status, 3.0), 1);
  EXPECT_EQ(status, 29);
  EXPECT_NEAR(slope, 0.5, 1e-3);
  EXPECT_NEAR(intercept, -2.0, 2e-2);
  EXPECT_NE(Log().find("REJECTED"), std::string::npos);

  slope = intercept = 0.0;
  ASSERT_EQ(LsfLineFit(30, x.data(), y.data(), 1, 1, &slope, &intercept, &status, 1e10), 1);
  EXPECT_EQ(status, 30);
  EXPECT_GT(std::abs(intercept + 2.0), 0.1);  // pulled by the outlier
}

TEST_F(LineFitTest, HeldParameterKeepsItsValue) {
  const std::vector<double> x = Xs(20);
  std::vector<double> y;
  for (double v : x) y.push_back(3.0 + 2.0 * v);
  double slope = 0.0, intercept = 1.0;  // intercept held at a wrong value
  ASSERT_EQ(LsfLineFit(20, x.data(), y.data(), 1, 0, &slope, &intercept, nullptr, 1e10), 1);
  EXPECT_EQ(intercept, 1.0);
  EXPECT_GT(slope, 2.0);  // the slope alone makes up for the held intercept
  slope = 2.5;
  intercept = 0.0;
  ASSERT_EQ(LsfLineFit(20, x.data(), y.data(), 0, 1, &slope, &intercept, nullptr, 1e10), 1);
  EXPECT_EQ(slope, 2.5);
  EXPECT_NEAR(intercept, 3.0 - 0.5 * 9.5, 1e-9);  // mean of y - 2.5 x
}

TEST_F(LineFitTest, TooFewPointsOrNothingVariedFails) {
  const std::vector<double> x = {1.0}, y = {2.0};
  double slope = 0.25, intercept = 0.75;
  int32_t status = 9;
  EXPECT_EQ(LsfLineFit(1, x.data(), y.data(), 1, 1, &slope, &intercept, &status, 1e10), 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(slope, 0.25);  // a failed fit leaves the starting values
  EXPECT_EQ(intercept, 0.75);
  EXPECT_EQ(LsfLineFit(0, nullptr, nullptr, 1, 1, &slope, &intercept, nullptr, 1e10), 0);
  EXPECT_EQ(LsfLineFit(1, x.data(), y.data(), 0, 0, &slope, &intercept, nullptr, 1e10), 0);
  EXPECT_NE(Log().find("NOTHING TO FIT"), std::string::npos);
}

void WriteFloats(const std::string& name, const std::vector<float>& v) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(v.size() * sizeof(float)));
}
std::string Bytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class PowerNormTest : public LineFitTest {
 protected:
  void SetUp() override {
    LineFitTest::SetUp();
    Cnl = CnlRecord{};
    Cnv = CnvRecord{};
    std::vector<float> power, signal;
    for (int i = 0; i < 200; ++i) {
      power.push_back(static_cast<float>(1.0 + 0.01 * i + ((i % 3) ? 0.002 : -0.004)));
      signal.push_back(2.0f * power.back() + 0.5f + ((i % 2) ? 0.01f : -0.01f));
    }
    signal[50] += 5.0f;  // one spike, dropped at the rejection level
    WriteFloats("Sig", signal);
    WriteFloats("Pwr", power);
  }
};

TEST_F(PowerNormTest, SignalIsFittedAsScalarTimesPowerPlusOffset) {
  ASSERT_EQ(LsfPowerNrm(0, "Sig", "Pwr", 0, 0, 3.0), 1);
  const std::string log = Log();
  EXPECT_NE(log.find("SCALAR=[2"), std::string::npos) << log;
  EXPECT_NE(log.find("POINTS=[199] OF [200]"), std::string::npos) << log;
  EXPECT_NE(log.find("REJECTED"), std::string::npos);  // the line fit's own report is kept
  // A range: points 100..199 only.
  ASSERT_EQ(LsfPowerNrm(0, "Sig", "Pwr", 100, 200, 3.0), 1);
  EXPECT_NE(Log().find("POINTS=[100] OF [100]"), std::string::npos);
  // A range past the end of the files: the points they hold, no zeros after them.
  ASSERT_EQ(LsfPowerNrm(0, "Sig", "Pwr", 100, 300, 3.0), 1);
  EXPECT_NE(Log().find("POINTS=[100] OF [100]"), std::string::npos) << Log();
  EXPECT_EQ(LsfPowerNrm(0, "Sig", "Missing", 0, 0, 3.0), 0);
}

TEST_F(PowerNormTest, AcWorksOnCopiesAndLeavesTheNamedFiles) {
  const std::string sig = Bytes("Sig"), pwr = Bytes("Pwr");
  Cnl.AcStat = 1;
  const int32_t result = LsfPowerNrm(0, "Sig", "Pwr", 0, 0, 3.0);
  if (OSIFileIdState(OSI_SMOOTH) == OsiIdState::Available) {
    EXPECT_EQ(result, 1);
  } else {
    EXPECT_EQ(result, 0);
    ASSERT_FALSE(platform::BoxLog().empty());
    EXPECT_EQ(platform::BoxLog().back().text, "OPTION NOT CURRENTLY AVAILABLE");
  }
  EXPECT_EQ(Bytes("Sig"), sig);
  EXPECT_EQ(Bytes("Pwr"), pwr);
  EXPECT_EQ(Cnl.AcStat, 1u);
  // No temporary copy is left behind.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, result == 1 ? 3 : 2);
}

}  // namespace
}  // namespace qvtest
