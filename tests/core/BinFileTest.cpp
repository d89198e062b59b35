#include "core/BinFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/TypedArrays.h"
#include "platform/windows/MessageBox.h"
#include "records/Win.h"
#include "support/TempDir.h"

namespace {

class BinFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Win = WinRecord{};
    platform::ClearBoxLog();
    previous_ = platform::SetBoxAnswerer([this](const platform::BoxRequest&) { return answer_; });
  }
  void TearDown() override { platform::SetBoxAnswerer(previous_); }

  template <typename T>
  void WriteRaw(const std::string& path, const std::vector<T>& values) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(values.data()),
                                                static_cast<std::streamsize>(values.size() * sizeof(T)));
  }
  template <typename T>
  std::vector<T> ReadRaw(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<T> values(bytes.size() / sizeof(T));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
  }
  std::string LastBoxText() {
    auto log = platform::BoxLog();
    return log.empty() ? std::string() : log.back().text;
  }

  qvtest::TempDir dir_;
  int answer_ = IDOK;
  platform::BoxAnswerer previous_;
};

TEST_F(BinFileTest, WritesRangeAndConvertsEveryTypePair) {
  float f[10];
  for (int i = 0; i < 10; ++i) f[i] = static_cast<float>(i) + 0.5f;
  std::string path = dir_.File("f.bin");
  ASSERT_EQ(ManBinFileWrite(path.c_str(), nullptr, f, nullptr, BIN_ELEM_FLOAT, 2, 5, 0, 0), 1);
  EXPECT_EQ(ReadRaw<float>(path), (std::vector<float>{2.5f, 3.5f, 4.5f}));

  float g[2] = {-1.7f, 2.9f};
  ASSERT_EQ(ManBinFileWrite(path.c_str(), nullptr, g, nullptr, BIN_ELEM_INT32, 0, 2, 0, 0), 1);
  EXPECT_EQ(ReadRaw<int32_t>(path), (std::vector<int32_t>{-1, 2}));

  int32_t l[2] = {16777217, -3};
  ASSERT_EQ(ManBinFileWrite(path.c_str(), l, nullptr, nullptr, BIN_ELEM_DOUBLE, 0, 2, 0, 0), 1);
  EXPECT_EQ(ReadRaw<double>(path), (std::vector<double>{16777217.0, -3.0}));

  double d[3] = {0.1, 1e300, -1e300};
  ASSERT_EQ(ManBinFileWrite(path.c_str(), nullptr, nullptr, d, BIN_ELEM_FLOAT, 0, 1, 0, 0), 1);
  EXPECT_EQ(ReadRaw<float>(path), (std::vector<float>{0.1f}));
  // Values outside the integer range saturate instead of being undefined.
  ASSERT_EQ(ManBinFileWrite(path.c_str(), nullptr, nullptr, d, BIN_ELEM_INT32, 1, 3, 0, 0), 1);
  EXPECT_EQ(ReadRaw<int32_t>(path), (std::vector<int32_t>{INT32_MAX, INT32_MIN}));
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(BinFileTest, AppendCreatesMissingFileThenAppends) {
  float f[3] = {1, 2, 3};
  std::string path = dir_.File("a.bin");
  ASSERT_EQ(ManBinFileWrite(path.c_str(), nullptr, f, nullptr, BIN_ELEM_FLOAT, 0, 2, 1, 0), 1);
  ASSERT_EQ(ManBinFileWrite(path.c_str(), nullptr, f, nullptr, BIN_ELEM_FLOAT, 2, 3, 1, 0), 1);
  EXPECT_EQ(ReadRaw<float>(path), (std::vector<float>{1, 2, 3}));
}

TEST_F(BinFileTest, DeclinedOverwriteAndRefusedRangesKeepTheOldFile) {
  std::string path = dir_.File("keep.bin");
  WriteRaw<float>(path, {7, 8, 9});
  float f[4] = {1, 2, 3, 4};
  answer_ = IDNO;
  EXPECT_EQ(ManBinFileWrite(path.c_str(), nullptr, f, nullptr, BIN_ELEM_FLOAT, 0, 4, 0, 1), 1);
  ASSERT_EQ(platform::BoxLog().size(), 1u);
  EXPECT_EQ(platform::BoxLog()[0].caption, "Question");
  EXPECT_EQ(platform::BoxLog()[0].style, 0x1024u);
  EXPECT_EQ(platform::BoxLog()[0].text, "OUTPUT FILE [" + path + "] EXISTS\n\nOVERWRITE [YES] | ABORT [NO]?");
  EXPECT_EQ(ReadRaw<float>(path), (std::vector<float>{7, 8, 9}));

  // An empty range is refused without emptying the existing file.
  EXPECT_EQ(ManBinFileWrite(path.c_str(), nullptr, f, nullptr, BIN_ELEM_FLOAT, 2, 2, 0, 0), 0);
  EXPECT_EQ(LastBoxText(), "ManBinFileWrite()\n\nOUTPUT BINARY FILE=[" + path + "] HAS ZERO LENGTH\n\nABORTING");
  EXPECT_EQ(ReadRaw<float>(path), (std::vector<float>{7, 8, 9}));

  EXPECT_EQ(ManBinFileWrite(path.c_str(), nullptr, nullptr, nullptr, BIN_ELEM_FLOAT, 0, 2, 0, 0), 0);
  EXPECT_EQ(LastBoxText(), "ManBinFileWrite()\n\nALL POINTERS ARE NULL\n\nABORTING");

  // A folder that cannot be written reports failure and leaves nothing behind.
  std::string bad = dir_.File("no/such/folder/x.bin");
  EXPECT_EQ(ManBinFileWrite(bad.c_str(), nullptr, f, nullptr, BIN_ELEM_FLOAT, 0, 2, 0, 0), 0);
  EXPECT_EQ(LastBoxText(), "ManBinFileWrite()\n\nFAILED TO CREATE BINARY FILE [" + bad + "] FOR WRITING\n\nABORTING");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1);
}

TEST_F(BinFileTest, ReadsRangesCountsAndPadsPastTheEnd) {
  std::string path = dir_.File("r.bin");
  WriteRaw<float>(path, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  float* fa = nullptr;
  double* da = nullptr;
  int32_t* la = nullptr;
  uint32_t n = 0;
  ASSERT_EQ(ManBinFileRead(path.c_str(), nullptr, nullptr, &da, BIN_ELEM_DOUBLE, 0, 0, &n, 1), 1);
  EXPECT_EQ(n, 5u);  // 40 bytes as doubles
  ASSERT_EQ(ManBinFileRead(path.c_str(), &la, &fa, nullptr, BIN_ELEM_FLOAT, 3, 7, &n, 1), 1);
  ASSERT_EQ(n, 4u);
  EXPECT_EQ(std::vector<float>(fa, fa + 4), (std::vector<float>{3, 4, 5, 6}));
  EXPECT_EQ(std::vector<int32_t>(la, la + 4), (std::vector<int32_t>{3, 4, 5, 6}));
  EXPECT_TRUE(platform::BoxLog().empty());

  FFree1Dim(&fa);
  ASSERT_EQ(ManBinFileRead(path.c_str(), nullptr, &fa, nullptr, BIN_ELEM_FLOAT, 4, 0, &n, 1), 1);
  ASSERT_EQ(n, 10u);
  EXPECT_EQ(std::vector<float>(fa, fa + 10), (std::vector<float>{4, 5, 6, 7, 8, 9, 0, 0, 0, 0}));

  FFree1Dim(&fa);
  ASSERT_EQ(ManBinFileRead(path.c_str(), nullptr, &fa, nullptr, BIN_ELEM_FLOAT, 0, 20, &n, 1), 1);
  EXPECT_EQ(n, 10u);
  EXPECT_EQ(LastBoxText(), "ManBinFileRead()\n\nRANGE [0]-[20] EXCEEDS\nBINARY FILE=[" + path +
                               "] SIZE=[10]\n\nRESET TO [10] & CONTINUING");
  EXPECT_EQ(fa[9], 9.0f);
  LFree1Dim(&la);
  FFree1Dim(&fa);
  DFree1Dim(&da);
}

TEST_F(BinFileTest, SecondReadIntoLargerArrayWarnsAndShrinks) {
  std::string big = dir_.File("big.bin");
  std::string small = dir_.File("small.bin");
  WriteRaw<float>(big, std::vector<float>(100, 1.0f));
  WriteRaw<float>(small, std::vector<float>(50, 2.0f));
  float* fa = nullptr;
  uint32_t n = 0;
  ASSERT_EQ(ManBinFileRead(big.c_str(), nullptr, &fa, nullptr, BIN_ELEM_FLOAT, 0, 0, &n, 1), 1);
  ASSERT_EQ(n, 100u);
  ASSERT_EQ(ManBinFileRead(small.c_str(), nullptr, &fa, nullptr, BIN_ELEM_FLOAT, 0, 0, &n, 1), 1);
  EXPECT_EQ(n, 50u);
  auto log = platform::BoxLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].caption, "Error");
  EXPECT_EQ(log[0].text, "ManBinFileRead()\n\nREQUEST SIZE=[100] > FILE SIZE=[50]\n\nSET TO FILE SZ");
  EXPECT_EQ(fa[49], 2.0f);
  FFree1Dim(&fa);
}

TEST_F(BinFileTest, UnreadableAndEmptyFilesAndBadRangesFail) {
  float* fa = nullptr;
  uint32_t n = 0;
  std::string missing = dir_.File("missing.bin");
  EXPECT_EQ(ManBinFileRead(missing.c_str(), nullptr, &fa, nullptr, BIN_ELEM_FLOAT, 0, 0, &n, 0), 0);
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_EQ(ManBinFileRead(missing.c_str(), nullptr, &fa, nullptr, BIN_ELEM_FLOAT, 0, 0, &n, 1), 0);
  EXPECT_EQ(LastBoxText(), "ManBinFileRead()\n\nFAILED TO OPEN BINARY FILE [" + missing + "] FOR READING\n\nABORTING");

  std::string empty = dir_.File("empty.bin");
  WriteRaw<float>(empty, {});
  EXPECT_EQ(ManBinFileRead(empty.c_str(), nullptr, &fa, nullptr, BIN_ELEM_FLOAT, 0, 0, &n, 1), 0);
  EXPECT_EQ(LastBoxText(), "ManBinFileRead()\n\nBINARY INPUT FILE [" + empty + "] HAS ZERO LENGTH\n\nABORTING");

  std::string path = dir_.File("r.bin");
  WriteRaw<float>(path, {1, 2, 3});
  EXPECT_EQ(ManBinFileRead(path.c_str(), nullptr, &fa, nullptr, BIN_ELEM_FLOAT, 2, 1, &n, 1), 0);
  EXPECT_EQ(fa, nullptr);
}

}  // namespace
