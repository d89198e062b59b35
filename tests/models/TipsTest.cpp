// Partition functions from the TIPS-2021 tables.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "models/hitran/Tips.h"
#include "platform/kernel/Text.h"
#include "records/Tips.h"

namespace {

class TipsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Tips = TipsRecord{};
    StrCopy(Tips.Folder, QV95_TIPS_DIR);
  }
  void TearDown() override { Tips = TipsRecord{}; }

  // Q at T (a whole number of kelvin) as the table file holds it.
  static double FromFile(const std::string& name, int T) {
    std::ifstream in(std::string(QV95_TIPS_DIR) + "/arts_tips2021_mol1-25/" + name);
    std::string line;
    const std::string key = std::to_string(T) + " ";
    while (std::getline(in, line))
      if (line.rfind(key, 0) == 0) return std::stod(line.substr(key.size()));
    return -1.0;
  }
};

TEST_F(TipsTest, TableValuesAtTheGridPoints) {
  double q = 0.0;
  ASSERT_EQ(SimTipsQT(5, 296.0, 1, &q), 1);  // 12C16O
  EXPECT_NEAR(q, 107.4198, 1e-4);
  for (int T : {1, 100, 296, 1000, 9000}) {
    ASSERT_EQ(SimTipsQT(5, T, 1, &q), 1) << T;
    EXPECT_EQ(q, FromFile("CO-26.xml", T)) << T;
  }
  ASSERT_EQ(SimTipsQT(1, 296.0, 1, &q), 1);
  EXPECT_NEAR(q, 174.5813, 1e-4);
  ASSERT_EQ(SimTipsQT(2, 296.0, 1, &q), 1);
  EXPECT_NEAR(q, 286.0938, 1e-4);
  ASSERT_EQ(SimTipsQT(6, 296.0, 1, &q), 1);
  EXPECT_NEAR(q, 590.5283, 1e-4);
}

TEST_F(TipsTest, BetweenGridPointsWithinTheTablesAccuracy) {
  // The cubic through neighbouring points: between them, and within 1e-5 relative of
  // the mean of the two points it lies between (Q is smooth on a 1 K grid above 10 K).
  double q = 0.0, lo = 0.0, hi = 0.0;
  for (double T : {10.5, 100.25, 296.7, 999.5, 4000.5}) {
    ASSERT_EQ(SimTipsQT(2, T, 1, &q), 1) << T;
    SimTipsQT(2, std::floor(T), 1, &lo);
    SimTipsQT(2, std::ceil(T), 1, &hi);
    EXPECT_GT(q, lo);
    EXPECT_LT(q, hi);
    const double linear = lo + (T - std::floor(T)) * (hi - lo);
    EXPECT_NEAR(q, linear, 1e-5 * q) << T;
  }
  // The ends of a table are reachable; beyond them there is no value.
  EXPECT_EQ(SimTipsQT(2, 1.5, 1, &q), 1);
  EXPECT_EQ(SimTipsQT(3, 1000.0, 1, &q), 1);  // O3 tables end at 1000 K
  q = -1.0;
  EXPECT_EQ(SimTipsQT(3, 1000.5, 1, &q), 0);
  EXPECT_EQ(SimTipsQT(2, 0.5, 1, &q), 0);
  EXPECT_EQ(q, -1.0);
}

TEST_F(TipsTest, NoValueWithoutATable) {
  double q = -1.0;
  EXPECT_EQ(SimTipsQT(0, 296.0, 1, &q), 0);   // molecule 0
  EXPECT_EQ(SimTipsQT(26, 296.0, 1, &q), 0);  // above 25
  EXPECT_EQ(SimTipsQT(3, 296.0, 6, &q), 0);   // O3 isotopes 6 to 18 have none
  EXPECT_EQ(SimTipsQT(3, 296.0, 18, &q), 0);
  EXPECT_EQ(SimTipsQT(5, 296.0, 0, &q), 0);
  EXPECT_EQ(q, -1.0);
  // A folder without tables: every lookup fails, and stays failed for that isotope.
  Tips = TipsRecord{};
  StrCopy(Tips.Folder, "/nonexistent-tips-folder");
  EXPECT_EQ(SimTipsQT(5, 296.0, 1, &q), 0);
  EXPECT_EQ(Tips.State[5][1], -1);
}

}  // namespace
