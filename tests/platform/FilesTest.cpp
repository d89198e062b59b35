#include <cstdio>
#include <sys/wait.h>
#include "platform/kernel/Files.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/kernel/Error.h"
#include "platform/kernel/Text.h"
#include "tests/support/TempDir.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

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

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDriveRoots();
    saved_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(saved_);
    ResetDriveRoots();
  }
  qvtest::TempDir dir_;
  fs::path saved_;
};

TEST_F(FilesTest, DriveLettersMapThroughTheRootTable) {
  EXPECT_EQ(MapPath("C:\\no-such-dir\\x.bin"), "/no-such-dir/x.bin");  // default root "/"
  EXPECT_EQ(MapPath("a\\b\\c.dat"), "a/b/c.dat");
  SetDriveRoot('C', dir_.Path().c_str());
  fs::create_directories(dir_.Path() / "data");
  WriteBytes(dir_.File("data/x.bin"), "1");
  EXPECT_EQ(MapPath("C:\\data\\x.bin"), dir_.File("data/x.bin"));
  EXPECT_EQ(MapPath("c:\\data\\x.bin"), dir_.File("data/x.bin"));
  EXPECT_EQ(MapPath("C:data\\x.bin"), dir_.File("data/x.bin"));
  EXPECT_EQ(MapPath("C:\\DATA\\X.BIN"), dir_.File("data/x.bin"));
  SetDriveRoot('D', (dir_.Path().string() + "/").c_str());  // a trailing slash is not doubled
  EXPECT_EQ(MapPath("D:\\data\\x.bin"), dir_.File("data/x.bin"));
  EXPECT_EQ(MapPath("C:\\"), dir_.Path().string() + "/");
  EXPECT_EQ(MapPath(nullptr), "");
}

TEST_F(FilesTest, MissingNamesAreLookedUpIgnoringCaseAndExactNamesWin) {
  fs::create_directories(dir_.Path() / "work");
  fs::create_directories(dir_.Path() / "data");
  WriteBytes(dir_.File("data/file.bin"), "payload");
  ASSERT_TRUE(SetCurrentDirectory(dir_.File("work").c_str()));
  EXPECT_EQ(MapPath("..\\DATA\\File.BIN"), "../data/file.bin");
  EXPECT_EQ(ReadBytes(MapPath("..\\DATA\\File.BIN")), "payload");
  EXPECT_TRUE(FileExists("..\\Data\\FILE.bin"));
  // A missing component is kept as it stands, and so is everything after it.
  EXPECT_EQ(MapPath("..\\DATA\\New\\File.BIN"), "../data/New/File.BIN");

  WriteBytes(dir_.File("data/Name.txt"), "mixed");
  WriteBytes(dir_.File("data/NAME.TXT"), "upper");
  EXPECT_EQ(MapPath("../data/Name.txt"), "../data/Name.txt");
  EXPECT_EQ(MapPath("../data/NAME.TXT"), "../data/NAME.TXT");
  EXPECT_EQ(MapPath("../data/name.txt"), "../data/NAME.TXT");  // first in byte order

  WriteBytes(dir_.File("data/\xC3\x84rger.dat"), "umlaut");  // A with diaeresis
  EXPECT_EQ(MapPath("../DATA/\xC3\xA4RGER.DAT"), "../data/\xC3\x84rger.dat");
  EXPECT_TRUE(NamesEqualIgnoringCase("\xCE\xA9mega", "\xCF\x89MEGA"));  // Greek omega
  EXPECT_FALSE(NamesEqualIgnoringCase("file1", "file"));
}

TEST_F(FilesTest, ShortNamesFindTheSameEntriesAsAFolderRead) {
  ASSERT_TRUE(SetCurrentDirectory(dir_.Path().c_str()));
  WriteBytes(dir_.File("aVes1"), "b");
  WriteBytes(dir_.File("AvEs1"), "a");
  EXPECT_EQ(MapPath("aves1"), "AvEs1");  // first in byte order
  EXPECT_EQ(MapPath("./AVES1"), "./AvEs1");
  EXPECT_EQ(MapPath("aves2"), "aves2");
  ASSERT_EQ(symlink("nowhere", dir_.File("Lnk").c_str()), 0);  // listed, though it leads nowhere
  EXPECT_EQ(MapPath(dir_.File("LNK").c_str()), dir_.File("Lnk"));
  // An overlong form of a letter is no letter.
  WriteBytes(dir_.File("\xE0\x81\x81x"), "overlong");
  EXPECT_FALSE(NamesEqualIgnoringCase("\xE0\x81\x81x", "ax"));
  EXPECT_EQ(MapPath("AX"), "AX");
}

TEST_F(FilesTest, CopyKeepsContentAndTimeAndRespectsFailIfExists) {
  std::string src = dir_.File("src.dat");
  std::string dst = dir_.File("dst.dat");
  WriteBytes(src, std::string(200000, 'a') + "end");
  struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, src.c_str(), times, 0), 0);
  ASSERT_TRUE(CopyFile(src.c_str(), dst.c_str(), FALSE));
  EXPECT_EQ(ReadBytes(dst), ReadBytes(src));
  struct stat st;
  ASSERT_EQ(stat(dst.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);

  WriteBytes(dst, "keep me");
  EXPECT_FALSE(CopyFile(src.c_str(), dst.c_str(), TRUE));
  EXPECT_FALSE(LastErrorText().empty());
  EXPECT_EQ(ReadBytes(dst), "keep me");
  EXPECT_TRUE(CopyFile(src.c_str(), dst.c_str(), FALSE));
  EXPECT_EQ(ReadBytes(dst).size(), 200003u);

  // Copying a file onto itself leaves it whole; a missing source fails.
  EXPECT_TRUE(CopyFile(src.c_str(), src.c_str(), FALSE));
  EXPECT_EQ(ReadBytes(src).size(), 200003u);
  EXPECT_FALSE(CopyFile(dir_.File("missing").c_str(), dst.c_str(), FALSE));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 2);
}

TEST_F(FilesTest, MoveRenamesOverAnExistingFileOnlyWhenAskedTo) {
  std::string a = dir_.File("a.txt");
  std::string b = dir_.File("b.txt");
  WriteBytes(a, "new");
  WriteBytes(b, "old");
  EXPECT_FALSE(MoveFileEx(a.c_str(), b.c_str(), 0));
  EXPECT_EQ(ReadBytes(a), "new");
  EXPECT_EQ(ReadBytes(b), "old");
  ASSERT_TRUE(MoveFileEx(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(ReadBytes(b), "new");
  EXPECT_TRUE(MoveFile(b.c_str(), a.c_str()));
  EXPECT_FALSE(MoveFile(b.c_str(), a.c_str()));  // source gone
}

TEST_F(FilesTest, MoveAcrossDevicesCopiesOnlyWhenAllowed) {
  struct stat here;
  struct stat shm;
  if (stat(dir_.Path().c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
    GTEST_SKIP() << "no second device to move to";
  std::string other = "/dev/shm/qv95-move-" + std::to_string(getpid()) + ".txt";
  std::string src = dir_.File("move.txt");
  WriteBytes(src, "travels");
  EXPECT_FALSE(MoveFileEx(src.c_str(), other.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_TRUE(fs::exists(src));
  ASSERT_TRUE(MoveFileEx(src.c_str(), other.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  EXPECT_FALSE(fs::exists(src));
  EXPECT_EQ(ReadBytes(other), "travels");
  EXPECT_TRUE(DeleteFile(other.c_str()));
}

TEST_F(FilesTest, DeleteRefusesFoldersAndMissingFiles) {
  std::string file = dir_.File("gone.txt");
  WriteBytes(file, "x");
  EXPECT_TRUE(DeleteFile(file.c_str()));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_FALSE(DeleteFile(file.c_str()));
  EXPECT_FALSE(DeleteFile(dir_.Path().c_str()));
  EXPECT_TRUE(fs::exists(dir_.Path()));
}

TEST_F(FilesTest, TempNamesAreUniqueAndReserved) {
  std::set<std::string> names;
  auto hasShape = [](const std::string& path) {  // ".../__q" + 4 upper-case hex digits + ".tmp"
    std::string base = path.substr(path.rfind('/') + 1);
    if (base.size() != 11 || base.compare(0, 3, "__q") != 0 || base.compare(7, 4, ".tmp") != 0) return false;
    for (size_t k = 3; k < 7; ++k)
      if (!std::isdigit(static_cast<unsigned char>(base[k])) && (base[k] < 'A' || base[k] > 'F')) return false;
    return true;
  };
  for (int i = 0; i < 200; ++i) {
    char name[MAX_PATH];
    UINT number = GetTempFileName(dir_.Path().c_str(), "__qv", 0, name);
    ASSERT_NE(number, 0u);
    EXPECT_TRUE(hasShape(name)) << name;
    EXPECT_TRUE(fs::exists(name));
    EXPECT_EQ(fs::file_size(name), 0u);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 200u);

  char name[MAX_PATH];
  EXPECT_EQ(GetTempFileName(dir_.Path().c_str(), "ab", 0x1A2B, name), 0x1A2Bu);
  EXPECT_EQ(std::string(name), dir_.File("ab1A2B.tmp"));
  EXPECT_FALSE(fs::exists(name));  // a given number only forms the name
  char tiny[8];
  EXPECT_EQ(GetTempFileName(dir_.Path().c_str(), "ab", 0, tiny), 0u);
  EXPECT_EQ(GetTempFileName(dir_.File("missing").c_str(), "ab", 0, name), 0u);
}

TEST_F(FilesTest, CurrentFolderAndFolders) {
  ASSERT_TRUE(SetCurrentDirectory(dir_.Path().c_str()));
  char buffer[MAX_PATH * 4];
  DWORD length = GetCurrentDirectory(sizeof buffer, buffer);
  EXPECT_EQ(std::string(buffer), fs::canonical(dir_.Path()).string());
  EXPECT_EQ(length, std::string(buffer).size());
  char tiny[2];
  EXPECT_EQ(GetCurrentDirectory(sizeof tiny, tiny), length + 1);  // the size needed
  EXPECT_FALSE(SetCurrentDirectory(dir_.File("missing").c_str()));

  EXPECT_TRUE(CreateDirectory("Sub"));
  EXPECT_FALSE(CreateDirectory("Sub"));
  EXPECT_FALSE(CreateDirectory("missing\\child"));
  EXPECT_TRUE(DirectoryExists("SUB"));
  EXPECT_FALSE(FileExists("SUB"));
  WriteBytes("Sub/f", "x");
  EXPECT_FALSE(RemoveDirectory("sub"));  // not empty
  EXPECT_TRUE(DeleteFile("sub\\F"));
  EXPECT_TRUE(RemoveDirectory("sub"));
  EXPECT_FALSE(DirectoryExists("Sub"));
}

TEST_F(FilesTest, SizesAreSixtyFourBit) {
  std::string path = dir_.File("big.bin");
  int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, (int64_t{5} << 30) + 3), 0);  // sparse
  close(fd);
  int64_t size = 0;
  ASSERT_TRUE(GetFileSize64(path.c_str(), &size));
  EXPECT_EQ(size, (int64_t{5} << 30) + 3);
  EXPECT_FALSE(GetFileSize64(dir_.File("missing").c_str(), &size));
}

TEST_F(FilesTest, ModificationTimeComesAsLocalDateAndTimeFields) {
  std::string path = dir_.File("dated.dat");
  WriteBytes(path, "x");
  struct tm fields{};
  fields.tm_year = 2021 - 1900;
  fields.tm_mon = 2;  // March
  fields.tm_mday = 14;
  fields.tm_hour = 15;
  fields.tm_min = 9;
  fields.tm_sec = 26;
  fields.tm_isdst = -1;
  time_t when = mktime(&fields);
  struct timespec times[2] = {{when, 0}, {when, 535000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  SYSTEMTIME t;
  ASSERT_TRUE(GetFileModifiedTime(path.c_str(), &t));
  EXPECT_EQ(t.wYear, 2021);
  EXPECT_EQ(t.wMonth, 3);
  EXPECT_EQ(t.wDay, 14);
  EXPECT_EQ(t.wDayOfWeek, 0);  // a Sunday
  EXPECT_EQ(t.wHour, 15);
  EXPECT_EQ(t.wMinute, 9);
  EXPECT_EQ(t.wSecond, 26);
  EXPECT_EQ(t.wMilliseconds, 535);
  EXPECT_FALSE(GetFileModifiedTime(dir_.File("missing").c_str(), &t));
}

}  // namespace

namespace {

// The process id of a process that has ended.
pid_t EndedProcess() {
  pid_t child = fork();
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  return child;
}

}  // namespace

TEST_F(FilesTest, TemporaryFilesOfEndedProcessesGoWithTheNextWriteIntoTheirFolder) {
  fs::current_path(dir_.Path());
  char dead[64], alive[64], other[64], dotted[64];
  std::snprintf(dead, sizeof dead, ".out.bin.%X-0.tmp", static_cast<unsigned>(EndedProcess()));
  std::snprintf(alive, sizeof alive, ".out.bin.%X-7.tmp", static_cast<unsigned>(getpid()));
  std::snprintf(other, sizeof other, ".other.bin.%X-1F.tmp", static_cast<unsigned>(EndedProcess()));
  std::snprintf(dotted, sizeof dotted, ".a.b.c.%X-0.tmp", static_cast<unsigned>(EndedProcess()));
  // Names that only look like a temporary file of a write, with an ended process's id.
  const unsigned ended = static_cast<unsigned>(EndedProcess());
  const std::vector<std::string> kept = {
      StrPrintf("out.bin.%X-0.tmp", ended),   // not hidden
      StrPrintf(".%X-0.tmp", ended),          // no target name
      StrPrintf(".out.bin.%X-.tmp", ended),   // no count
      StrPrintf(".out.bin.%X-0x.tmp", ended), // a count that is not hexadecimal
      StrPrintf(".out.bin.%X-0.TMP", ended),
      ".out.bin.ZZ-0.tmp",
      ".notes.tmp",
  };
  for (const char* name : {dead, alive, other, dotted}) WriteBytes(name, "partial");
  for (const std::string& name : kept) WriteBytes(name.c_str(), "user's");
  std::string temp;
  int fd = CreateTempBeside("out.bin", &temp);
  ASSERT_GE(fd, 0);
  close(fd);
  unlink(temp.c_str());
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(alive));    // this process still writes it
  EXPECT_FALSE(fs::exists(other));   // another target's in the same folder
  EXPECT_FALSE(fs::exists(dotted));  // a target name with dots of its own
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(name)) << name;
}
