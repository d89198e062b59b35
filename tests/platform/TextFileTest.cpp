#include "platform/kernel/TextFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/kernel/Error.h"
#include "tests/support/TempDir.h"

namespace {

using namespace platform;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

int EntryCount(const std::filesystem::path& folder) {
  int count = 0;
  for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

std::vector<std::string> ReadAll(const std::string& path, size_t maxLine = TextFileReader::kDefaultMaxLine,
                                 std::vector<bool>* continues = nullptr) {
  TextFileReader reader(maxLine);
  std::vector<std::string> lines;
  EXPECT_TRUE(reader.Open(path.c_str()));
  std::string line;
  while (reader.ReadLine(line)) {
    lines.push_back(line);
    if (continues) continues->push_back(reader.Continues());
  }
  EXPECT_FALSE(reader.Error());
  return lines;
}

TEST(TextFileTest, WriterWritesCodePageWithCrLfAndReplacesTheOldFile) {
  qvtest::TempDir dir;
  std::string path = dir.File("out.txt");
  WriteBytes(path, "old contents\n");
  TextFileWriter writer;
  ASSERT_TRUE(writer.Open(path.c_str()));
  EXPECT_TRUE(writer.Write("caf\xC3\xA9 \xE2\x82\xAC\n"));
  EXPECT_TRUE(writer.Printf("%d;%s\r\n", 5, "x"));  // a CR LF given stays one CR LF
  EXPECT_TRUE(writer.Write("last\r"));
  EXPECT_TRUE(writer.Write("\nend"));
  EXPECT_EQ(ReadBytes(path), "old contents\n");  // untouched until Commit
  EXPECT_TRUE(writer.Lossless());
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(ReadBytes(path), "caf\xE9 \x80\r\n5;x\r\nlast\r\nend");
  EXPECT_EQ(EntryCount(dir.Path()), 1);  // no temporary left
}

TEST(TextFileTest, AbortOrNoCommitKeepsTheOldFileAndRemovesTheTemporary) {
  qvtest::TempDir dir;
  std::string path = dir.File("keep.txt");
  WriteBytes(path, "precious\r\n");
  {
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(path.c_str()));
    writer.Write("half written\n");
    EXPECT_EQ(EntryCount(dir.Path()), 2);
  }  // destroyed without Commit
  EXPECT_EQ(ReadBytes(path), "precious\r\n");
  EXPECT_EQ(EntryCount(dir.Path()), 1);
  TextFileWriter writer;
  ASSERT_TRUE(writer.Open(path.c_str()));
  writer.Write("other\n");
  writer.Abort();
  EXPECT_FALSE(writer.Commit());
  EXPECT_EQ(ReadBytes(path), "precious\r\n");
  EXPECT_EQ(EntryCount(dir.Path()), 1);
}

TEST(TextFileTest, FailedWriteKeepsTheOldFileAndRemovesTheTemporary) {
  qvtest::TempDir dir;
  std::string path = dir.File("data.txt");
  WriteBytes(path, "old\r\n");
  // A full device: files of this process may not grow past 1000 bytes.
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto savedHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool wrote = true;
  bool committed = true;
  {
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(path.c_str()));
    for (int i = 0; i < 10000 && wrote; ++i) wrote = writer.Write("0123456789012345678901234567890123456789\n");
    committed = writer.Commit();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, savedHandler);
  EXPECT_FALSE(committed);
  EXPECT_FALSE(LastErrorText().empty());
  EXPECT_EQ(ReadBytes(path), "old\r\n");
  EXPECT_EQ(EntryCount(dir.Path()), 1);
}

TEST(TextFileTest, WriterInAMissingFolderFailsWithAText) {
  qvtest::TempDir dir;
  TextFileWriter writer;
  EXPECT_FALSE(writer.Open(dir.File("no/such/folder.txt").c_str()));
  EXPECT_FALSE(LastErrorText().empty());
  EXPECT_FALSE(writer.Write("x"));
  EXPECT_FALSE(writer.Commit());
}

TEST(TextFileTest, ReaderAcceptsCrLfLfMixedEndsAndALastLineWithoutEnd) {
  qvtest::TempDir dir;
  std::string path = dir.File("in.txt");
  WriteBytes(path, "one\r\ntwo\n\r\n\nfive\r\nsix");
  EXPECT_EQ(ReadAll(path), (std::vector<std::string>{"one", "two", "", "", "five", "six"}));
  WriteBytes(path, "a\nb\n");
  EXPECT_EQ(ReadAll(path), (std::vector<std::string>{"a", "b"}));  // no empty line after the last end
  WriteBytes(path, "x\ry\r\n");  // a lone CR is text
  EXPECT_EQ(ReadAll(path), (std::vector<std::string>{"x\ry"}));
  WriteBytes(path, "");
  EXPECT_TRUE(ReadAll(path).empty());
}

TEST(TextFileTest, ReaderStripsTheBomAndConvertsEachLineOnItsOwn) {
  qvtest::TempDir dir;
  std::string path = dir.File("mixed.txt");
  WriteBytes(path, "\xEF\xBB\xBF" "caf\xC3\xA9\r\ncaf\xE9 \x80\r\n\xEF\xBB\xBFnot a bom here\n");
  auto lines = ReadAll(path);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "caf\xC3\xA9");
  EXPECT_EQ(lines[1], "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(lines[2], "\xEF\xBB\xBFnot a bom here");  // only the file's start carries a mark
  WriteBytes(path, "\xEF\xBB");  // the start of a mark, then the end: read as 1252 text
  EXPECT_EQ(ReadAll(path), (std::vector<std::string>{"\xC3\xAF\xC2\xBB"}));
}

TEST(TextFileTest, LongLinesComeInPiecesAtTheLimit) {
  qvtest::TempDir dir;
  std::string path = dir.File("long.txt");
  WriteBytes(path, std::string(20, 'x') + "\r\n" + std::string(8, 'y') + "\r\nabcdefg\xE2\x82\xAC\nz");
  std::vector<bool> continues;
  auto lines = ReadAll(path, 8, &continues);
  EXPECT_EQ(lines, (std::vector<std::string>{"xxxxxxxx", "xxxxxxxx", "xxxx", "yyyyyyyy", "abcdefg",
                                             "\xE2\x82\xAC", "z"}));
  EXPECT_EQ(continues, (std::vector<bool>{true, true, false, false, true, false, false}));

  TextFileReader reader(8);
  ASSERT_TRUE(reader.Open(path.c_str()));
  std::string line;
  std::vector<int64_t> numbers;
  while (reader.ReadLine(line)) numbers.push_back(reader.LineNumber());
  EXPECT_EQ(numbers, (std::vector<int64_t>{1, 1, 1, 2, 3, 3, 4}));

  std::vector<std::string> whole;
  ASSERT_TRUE(ReadTextLines(path.c_str(), &whole));
  EXPECT_EQ(whole[0], std::string(20, 'x'));
}

TEST(TextFileTest, LinesWrittenReadBackUnchanged) {
  qvtest::TempDir dir;
  std::string path = dir.File("round.txt");
  std::vector<std::string> lines = {"GA INPUT FILE : VERSION 6.2", "", "\xC2\xB5m \xC3\x85ngstr\xC3\xB6m", "1.5e-3"};
  ASSERT_TRUE(WriteTextLines(path.c_str(), lines));
  std::vector<std::string> back;
  ASSERT_TRUE(ReadTextLines(path.c_str(), &back));
  EXPECT_EQ(back, lines);
  EXPECT_FALSE(ReadTextLines(dir.File("missing.txt").c_str(), &back));
}

}  // namespace
