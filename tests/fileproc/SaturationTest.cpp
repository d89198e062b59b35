// The saturation fit and correction.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "FileOpsFixture.h"
#include "tests/support/LsfReset.h"
#include "core/TypedArrays.h"
#include "fileproc/NoiseStats.h"
#include "numerics/Marquardt.h"
#include "records/Cnl.h"
#include "records/Lsf.h"

namespace {

class SaturationTest : public qvtest::AnsweringFileOpsTest {
 protected:
  void SetUp() override {
    AnsweringFileOpsTest::SetUp();
    Cnl = CnlRecord{};
    qvtest::ResetLsf();
  }
  void TearDown() override {
    qvtest::ResetLsf();
    AnsweringFileOpsTest::TearDown();
  }
  // Reference 2 .. 5 (normalised u = 0 .. 1) and S = M u / (1 + A u) + B.
  void WriteSaturated(int n, double a, double m, double b) {
    std::vector<float> ref(static_cast<size_t>(n)), sig(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      const double u = static_cast<double>(i) / (n - 1);
      ref[static_cast<size_t>(i)] = static_cast<float>(2.0 + 3.0 * u);
      sig[static_cast<size_t>(i)] = static_cast<float>(m * u / (1.0 + a * u) + b);
    }
    WriteValues(Cnl.Satn_PowFlnm, ref);
    WriteValues(Cnl.Satn_SigFlnm, sig);
    Cnv.Lim_Stat[0] = 1;
    Win.Pt_Lim[0][0] = 0;
    Win.Pt_Lim[0][1] = n;
  }
  static size_t LineCount(const std::string& name) {
    std::ifstream in(name);
    size_t lines = 0;
    std::string line;
    while (std::getline(in, line)) ++lines;
    return lines;
  }
};

TEST_F(SaturationTest, ModelAndDerivatives) {
  double a[4] = {0.0, 0.5, 1000.0, 100.0};
  double y = 0.0;
  double dyda[4] = {};
  SatnNLLsfFunc(1.0, a, &y, dyda);
  EXPECT_DOUBLE_EQ(y, 1000.0 / 1.5 + 100.0);
  EXPECT_DOUBLE_EQ(dyda[1], -1000.0 / (1.5 * 1.5));
  EXPECT_DOUBLE_EQ(dyda[2], 1.0 / 1.5);
  EXPECT_DOUBLE_EQ(dyda[3], 1.0);
}

TEST_F(SaturationTest, FitRecoversTheConstantsAndCorrectsToALine) {
  const int n = 200;
  WriteSaturated(n, 0.5, 1000.0, 100.0);
  ASSERT_EQ(SatnNLLsfRun(0), 1) << (platform::BoxLog().empty() ? "" : platform::BoxLog().back().text);
  EXPECT_NEAR(Cnl.Satn_Prm[0], 0.5, 1e-6);
  EXPECT_NEAR(Cnl.Satn_Prm[1], 1000.0, 1e-6 * 1000.0);
  EXPECT_NEAR(Cnl.Satn_Prm[2], 100.0, 1e-6 * 100.0);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Cnl.Satn_Corr[k], Cnl.Satn_Prm[k]);
  const std::vector<float> corrected = ReadValues<float>("SatnCorr.bin");
  ASSERT_EQ(corrected.size(), static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    EXPECT_NEAR(corrected[static_cast<size_t>(i)], 1000.0 * i / (n - 1) + 100.0, 2e-3) << i;
  EXPECT_EQ(LineCount("SatnOrig.txt"), static_cast<size_t>(n));
  EXPECT_EQ(LineCount("SatnCorr.txt"), static_cast<size_t>(n));
  EXPECT_EQ(std::string(Cnl.Mks_Flnm), "SatnCorr.txt");
  std::ifstream log("SatnNLLLsf.log");
  std::string all((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(all.find("INIT\r\n"), std::string::npos);
  EXPECT_NE(all.find("FINAL\r\n  ALPHA=[0.500000"), std::string::npos);
  EXPECT_EQ(Lsf.Run_Flag[0].load(), 0u);

  // Held parameters stay; the others are fitted around them.
  Cnl.Satn_Fit[2] = 0;
  Cnl.Satn_Prm[0] = 0.2;
  Cnl.Satn_Prm[1] = 900.0;
  ASSERT_EQ(SatnNLLsfRun(0), 1);
  EXPECT_NEAR(Cnl.Satn_Prm[0], 0.5, 1e-6);
  EXPECT_NEAR(Cnl.Satn_Prm[1], 1000.0, 1e-3);
  EXPECT_NEAR(Cnl.Satn_Prm[2], 100.0, 1e-4);
  EXPECT_EQ(Cnl.Satn_Unc[2], 0.0);
}

TEST_F(SaturationTest, RefusesUnusableReferencesBeforeAnyCycle) {
  const int n = 50;
  WriteSaturated(n, 0.5, 1000.0, 100.0);
  std::vector<float> ref = ReadValues<float>(Cnl.Satn_PowFlnm);
  ref.back() = 0.0f;
  WriteValues(Cnl.Satn_PowFlnm, ref);
  EXPECT_EQ(SatnNLLsfRun(0), 0);
  EXPECT_EQ(Texts().back(), "Error: SatnNLLsfRun()/REFERENCE CHN MAX VALUE=[0.000000]\n\nABORTING");
  // Equal ends would divide by zero in the scaling.
  ref.assign(static_cast<size_t>(n), 3.0f);
  WriteValues(Cnl.Satn_PowFlnm, ref);
  EXPECT_EQ(SatnNLLsfRun(0), 0);
  EXPECT_EQ(Texts().back(),
            "Error: SatnNLLsfRun()/REFERENCE CHN MAX VALUE=[3.000000] EQUALS MIN VALUE=[3.000000]\n\nABORTING");
  EXPECT_EQ(Lsf.Cyc_Cnt, 0u);
  EXPECT_EQ(Cnl.Satn_Prm[0], 0.1);
  EXPECT_EQ(Cnl.Satn_Corr[1], 1000.0);
  EXPECT_FALSE(std::filesystem::exists("SatnCorr.bin"));
  // Without limits nothing is read.
  Cnv.Lim_Stat[0] = 0;
  EXPECT_EQ(SatnNLLsfRun(0), 0);
  EXPECT_EQ(Texts().back(), "Warning: NON-LINEAR FIT OF SATURATION\n\nDEFINE LIMITS WITH MARKS FIRST\n\nABORTING");
}

TEST_F(SaturationTest, CorrectionThroughTheEngine) {
  // A = 0: only B is taken off and put back.
  Cnl.Satn_Corr[0] = 0.0;
  Cnl.Satn_Corr[1] = 10.0;
  Cnl.Satn_Corr[2] = 1.0;
  WriteValues("s", std::vector<float>{1.0f, 2.5f, 7.0f});
  ASSERT_EQ(Run(OSI_SATN_CORR, "s", "l"), 1);
  EXPECT_EQ(ReadValues<float>("l"), (std::vector<float>{1.0f, 2.5f, 7.0f}));
  EXPECT_TRUE(platform::BoxLog().empty());
  // A value equal to B is corrected to B, one just below it is kept and counted.
  Cnl.Satn_Corr[0] = 0.5;
  const float below = std::nextafter(1.0f, 0.0f);
  WriteValues("s", std::vector<float>{1.0f, below, 5.0f});
  ASSERT_EQ(Run(OSI_SATN_CORR, "s", "l"), 1);
  const std::vector<float> l = ReadValues<float>("l");
  EXPECT_EQ(l[0], 1.0f);
  EXPECT_EQ(l[1], below);
  EXPECT_NEAR(l[2], 4.0 / (1.0 - 4.0 * 0.5 / 10.0) + 1.0, 1e-5);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Warning: SATURATION CORRECTED FILE=[l]\n\nVALUES CORRECTED=[3]\n\nVALUES "
                                               "BELOW OFFSET=[1.000000] IGNORED=[1]"}));
  // M = 0 is refused and the old output stays.
  Cnl.Satn_Corr[1] = 0.0;
  EXPECT_EQ(Run(OSI_SATN_CORR, "s", "l"), 0);
  EXPECT_EQ(Texts().back(), "Error: SATURATION CORRECTION\n\nSCALAR [M] IS ZERO\n\nABORTING");
  EXPECT_EQ(ReadValues<float>("l"), l);
}

}  // namespace
