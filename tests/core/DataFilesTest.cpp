#include "core/DataFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class DataFilesTest : public ::testing::Test {
 protected:
  void TearDown() override { core_data::SetDataRoot(""); }
};

TEST_F(DataFilesTest, BuildTreeHoldsThePartitionSumTables) {
  std::string tips = core_data::FindDataFolder("tips");
  ASSERT_FALSE(tips.empty());
  EXPECT_TRUE(std::filesystem::exists(tips + "/iso_map_1_25.txt"));
  EXPECT_TRUE(std::filesystem::exists(tips + "/molparam_HITRAN2020_exojax.txt"));
  EXPECT_TRUE(std::filesystem::exists(tips + "/arts_tips2021_mol1-25/CO-26.xml"));
  EXPECT_TRUE(core_data::FindDataFolder("no-such-set").empty());
  EXPECT_TRUE(core_data::FindDataFolder("").empty());
}

TEST_F(DataFilesTest, AGivenRootIsTheOnlyPlaceSearched) {
  std::filesystem::path root = std::filesystem::temp_directory_path() / "qv95-data-root-test";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "tips");
  core_data::SetDataRoot(root.string());
  EXPECT_EQ(core_data::FindDataFolder("tips"), (root / "tips").string());
  std::filesystem::remove_all(root / "tips");
  EXPECT_TRUE(core_data::FindDataFolder("tips").empty());
  core_data::SetDataRoot("");
  EXPECT_FALSE(core_data::FindDataFolder("tips").empty());
  std::filesystem::remove_all(root);
}

}  // namespace
