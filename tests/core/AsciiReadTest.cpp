#include "core/AsciiRead.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "support/TempDir.h"

namespace {

class AsciiReadTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir_.File(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  qvtest::TempDir dir_;
};

TEST_F(AsciiReadTest, FieldsRunAcrossLinesAndSkipComments) {
  std::string path = Write("a.txt", "a b # note\r\nc d\r\n");
  FILE* f = std::fopen(path.c_str(), "rb");
  char out[ASCII_LINE_MAX];
  EXPECT_STREQ(AsciiReadFields(f, out, 3), "a b c");
  EXPECT_STREQ(AsciiReadFields(f, out, 1), "d");
  EXPECT_STREQ(AsciiReadFields(f, out, 1), "");  // end of file: empty, not an error
  std::fclose(f);
}

TEST_F(AsciiReadTest, ZeroTakesFieldWithRestOfLineAndNegativeSkipsLine) {
  std::string path = Write("b.txt", "# header line\n1 2 3 and more\r\nskip these\nx y z\n");
  FILE* f = std::fopen(path.c_str(), "rb");
  char out[ASCII_LINE_MAX];
  EXPECT_STREQ(AsciiReadFields(f, out, 0), "1 2 3 and more\n");
  EXPECT_STREQ(AsciiReadFields(f, out, 1), "skip");
  EXPECT_STREQ(AsciiReadFields(f, out, -2), "x y");
  std::fclose(f);
}

TEST_F(AsciiReadTest, FewerFieldsThanAskedKeepTrailingBlankAndStayBounded) {
  std::string path = Write("c.txt", "p q");
  FILE* f = std::fopen(path.c_str(), "rb");
  char out[ASCII_LINE_MAX];
  EXPECT_STREQ(AsciiReadFields(f, out, 5), "p q ");
  std::fclose(f);

  // A field far longer than a line never overruns the caller's buffer.
  path = Write("d.txt", std::string(2000, 'x') + " tail\n");
  f = std::fopen(path.c_str(), "rb");
  char small[16];
  AsciiReadFields(f, small, 2, sizeof small);
  EXPECT_EQ(std::string(small), std::string(15, 'x'));
  std::fclose(f);
}

TEST_F(AsciiReadTest, Windows1252FieldsComeBackAsUtf8) {
  std::string path = Write("e.txt", "caf\xE9 \xB5s\n");
  FILE* f = std::fopen(path.c_str(), "rb");
  char out[ASCII_LINE_MAX];
  EXPECT_STREQ(AsciiReadFields(f, out, 2), "caf\xC3\xA9 \xC2\xB5s");
  std::fclose(f);
}

TEST_F(AsciiReadTest, CountLinesSkipsBlankAndSlashLinesAndCountsLongLinesTwice) {
  std::string longLine = std::string(260, 'a') + " b\n";  // second piece holds a field
  std::string path = Write("f.txt", "1 2\n\n   \n// comment\n /x\n3 4\r\n" + longLine + "last");
  uint32_t count = 99;
  ASSERT_EQ(AsciiCountLines(path.c_str(), &count), 1);
  EXPECT_EQ(count, 1u + 1u + 2u + 1u);
  EXPECT_EQ(AsciiCountLines(dir_.File("missing.txt").c_str(), &count), 0);
  EXPECT_EQ(count, 0u);
}

}  // namespace
