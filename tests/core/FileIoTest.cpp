#include "core/FileIo.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/kernel/Files.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

class BinOutTest : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_.File(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_.File(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  ino_t Inode(const std::string& name) {
    struct stat st {};
    return ::stat(dir_.File(name).c_str(), &st) == 0 ? st.st_ino : 0;
  }
  std::set<std::string> Names() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.Path())) names.insert(entry.path().filename().string());
    return names;
  }
  bool Put(const std::string& name, const std::string& bytes) {
    core_io::BinOut out;
    return out.Open(dir_.File(name).c_str()) && out.Write(bytes.data(), bytes.size()) && out.Commit();
  }

  qvtest::TempDir dir_;
};

TEST_F(BinOutTest, ReplacedFilesAreKeptForTheNextOutputsAndCutToTheirLength) {
  Write("a", "old a");
  Write("b", "old b, longer than what replaces it");
  Write("c", "old c");
  Write("d", "old d");
  Write("e", "old e");
  Write("f", "old f");
  const ino_t a = Inode("a");
  const ino_t b = Inode("b");
  const ino_t c = Inode("c");
  const ino_t d = Inode("d");
  {
    platform::KeepReplacedFiles keep;
    ASSERT_TRUE(Put("a", "new a, longer than the old one"));
    ASSERT_TRUE(Put("b", "new b"));  // written over what "a" held
    EXPECT_EQ(Inode("b"), a);
    // Outputs open at once: "c" takes the file "b" held, "d" finds none left; then
    // both files that "c" and "d" held are kept, for "e" and "f".
    core_io::BinOut outC;
    core_io::BinOut outD;
    ASSERT_TRUE(outC.Open(dir_.File("c").c_str()));
    ASSERT_TRUE(outD.Open(dir_.File("d").c_str()));
    ASSERT_TRUE(outC.Write("c", 1));
    ASSERT_TRUE(outD.Write("dd", 2));
    ASSERT_TRUE(outC.Commit());
    ASSERT_TRUE(outD.Commit());
    EXPECT_EQ(Inode("c"), b);
    core_io::BinOut outE;
    core_io::BinOut outF;
    ASSERT_TRUE(outE.Open(dir_.File("e").c_str()));
    ASSERT_TRUE(outF.Open(dir_.File("f").c_str()));
    ASSERT_TRUE(outE.Write("e", 1) && outF.Write("f", 1));
    ASSERT_TRUE(outE.Commit() && outF.Commit());
    EXPECT_EQ(Inode("e"), c);
    EXPECT_EQ(Inode("f"), d);
  }
  EXPECT_EQ(Read("a"), "new a, longer than the old one");
  EXPECT_EQ(Read("b"), "new b");
  EXPECT_EQ(Read("c"), "c");
  EXPECT_EQ(Read("d"), "dd");
  EXPECT_EQ(Read("e"), "e");
  EXPECT_EQ(Read("f"), "f");
  // The scope's end removed what it kept.
  EXPECT_EQ(Names(), (std::set<std::string>{"a", "b", "c", "d", "e", "f"}));
}

TEST_F(BinOutTest, AKeptFileAsLongAsTheTargetIsTakenFirst) {
  Write("p", "ten bytes!");
  Write("q", "3 b");
  Write("r", "3 c");
  Write("s", "ten more!!");
  const ino_t p = Inode("p");
  const ino_t q = Inode("q");
  {
    platform::KeepReplacedFiles keep;
    core_io::BinOut outP;
    core_io::BinOut outQ;
    ASSERT_TRUE(outP.Open(dir_.File("p").c_str()) && outQ.Open(dir_.File("q").c_str()));
    ASSERT_TRUE(outP.Write("P", 1) && outQ.Write("Q", 1));
    ASSERT_TRUE(outP.Commit() && outQ.Commit());
    ASSERT_TRUE(Put("r", "R"));  // takes what "q" held, not the older kept file of "p"
    ASSERT_TRUE(Put("s", "S"));
    EXPECT_EQ(Inode("r"), q);
    EXPECT_EQ(Inode("s"), p);
  }
  EXPECT_EQ(Read("r"), "R");
  EXPECT_EQ(Read("s"), "S");
  EXPECT_EQ(Names(), (std::set<std::string>{"p", "q", "r", "s"}));
}

TEST_F(BinOutTest, WithoutAScopeOrForAFileWithASecondNameNothingIsKept) {
  Write("a", "old a");
  Write("b", "old b");
  ASSERT_TRUE(Put("a", "new a"));
  EXPECT_EQ(Names(), (std::set<std::string>{"a", "b"}));
  ASSERT_EQ(::link(dir_.File("b").c_str(), dir_.File("b2").c_str()), 0);
  const ino_t b = Inode("b");
  {
    platform::KeepReplacedFiles keep;
    ASSERT_TRUE(Put("b", "new b"));
    ASSERT_TRUE(Put("a", "newer a"));
    EXPECT_NE(Inode("a"), b);
  }
  EXPECT_EQ(Read("b2"), "old b");  // the other name keeps what it held
  EXPECT_EQ(Read("b"), "new b");
  EXPECT_EQ(Read("a"), "newer a");
  EXPECT_EQ(Names(), (std::set<std::string>{"a", "b", "b2"}));
}

TEST_F(BinOutTest, AnAbortedOutputOverAKeptFileLeavesTheTargetAndNoFileBehind) {
  Write("a", "old a");
  Write("b", "old b");
  {
    platform::KeepReplacedFiles keep;
    ASSERT_TRUE(Put("a", "new a"));
    core_io::BinOut out;
    ASSERT_TRUE(out.Open(dir_.File("b").c_str()));
    ASSERT_TRUE(out.Write("partial", 7));
    out.Abort();
  }
  EXPECT_EQ(Read("a"), "new a");
  EXPECT_EQ(Read("b"), "old b");
  EXPECT_EQ(Names(), (std::set<std::string>{"a", "b"}));
}

}  // namespace
