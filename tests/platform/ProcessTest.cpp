#include "platform/kernel/Process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/kernel/Error.h"
#include "platform/kernel/Sync.h"
#include "tests/support/TempDir.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

constexpr DWORD kBound = 30000;  // generous: only to keep a broken run from hanging

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Waits (bounded) until the file exists and is complete (ends with a newline).
bool WaitForFileLine(const std::string& path) {
  for (int i = 0; i < 3000; ++i) {
    std::string text = ReadBytes(path);
    if (!text.empty() && text.back() == '\n') return true;
    Sleep(10);
  }
  return false;
}

// A program is found in the folders of PATH in order; an empty entry (leading,
// doubled or trailing colon) is the current folder; a name with a slash is taken
// as it stands.
TEST(ProcessTest, FindProgramWalksPathAndTakesAnEmptyEntryAsTheCurrentFolder) {
  qvtest::TempDir dir;
  const std::string program = dir.File("qvprobe");
  { std::ofstream(program) << "#!/bin/sh\n"; }
  fs::permissions(program, fs::perms::owner_all);
  const char* saved = std::getenv("PATH");
  const std::string oldPath = saved ? saved : "";
  const fs::path oldDir = fs::current_path();

  setenv("PATH", ("/nonexistent-qv95:" + dir.Path().string()).c_str(), 1);
  EXPECT_EQ(FindProgram("qvprobe"), program);
  EXPECT_EQ(FindProgram("qvprobe-missing"), "");
  EXPECT_EQ(FindProgram(program), program);
  EXPECT_EQ(FindProgram(""), "");
  fs::current_path(dir.Path());
  for (const char* list : {"/nonexistent-qv95:", ":/nonexistent-qv95", "/nonexistent-qv95::/nonexistent-qv96", ""}) {
    setenv("PATH", list, 1);
    EXPECT_EQ(FindProgram("qvprobe"), "./qvprobe") << "PATH=" << list;
  }
  setenv("PATH", "/nonexistent-qv95", 1);
  EXPECT_EQ(FindProgram("qvprobe"), "");

  fs::current_path(oldDir);
  setenv("PATH", oldPath.c_str(), 1);
}

TEST(ProcessTest, SplitsWindowsStyleCommandStrings) {
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\Evo95.exe\" input.gai \"two words\""),
            (std::vector<std::string>{"C:\\Program Files\\Evo95.exe", "input.gai", "two words"}));
  EXPECT_EQ(SplitCommandLine("  prog  a\tb  "), (std::vector<std::string>{"prog", "a", "b"}));
  EXPECT_EQ(SplitCommandLine("p a\\\\b \"c\\\"d\" e\\\\\\\"f \"g\"\"h\" \"\""),
            (std::vector<std::string>{"p", "a\\\\b", "c\"d", "e\\\"f", "g\"h", ""}));
  EXPECT_EQ(SplitCommandLine("p \"x\\\\\" y"), (std::vector<std::string>{"p", "x\\", "y"}));
  EXPECT_EQ(SplitCommandLine("\"unterminated program"), (std::vector<std::string>{"unterminated program"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
  EXPECT_TRUE(SplitCommandLine(nullptr).empty());
}

TEST(ProcessTest, ExitCodeIsReportedAfterTheWait) {
  HANDLE process = StartCommand("/bin/sh -c \"exit 7\"");
  ASSERT_NE(process, nullptr) << LastErrorText();
  ASSERT_EQ(WaitForSingleObject(process, kBound), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(TerminateProcess(process, 1));  // already ended: nothing to do
  ASSERT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(CloseHandle(process));
  EXPECT_FALSE(GetExitCodeProcess(process, &code));
}

TEST(ProcessTest, BoundedWaitTimesOutOnARunningChildUntilItIsTerminated) {
  PROCESS_INFORMATION info;
  ASSERT_TRUE(CreateProcess(nullptr, "/bin/sh -c \"sleep 5\"", nullptr, &info)) << LastErrorText();
  EXPECT_NE(info.dwProcessId, 0u);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 50), WAIT_TIMEOUT);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  ASSERT_TRUE(TerminateProcess(info.hProcess, 3));
  ASSERT_EQ(WaitForSingleObject(info.hProcess, kBound), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 3u);
  CloseHandle(info.hProcess);
}

TEST(ProcessTest, RunsInTheFolderGivenAndFailsForAMissingProgram) {
  qvtest::TempDir dir;
  HANDLE process = StartProcess({"sh", "-c", "pwd > where.txt"}, dir.Path().c_str());
  ASSERT_NE(process, nullptr) << LastErrorText();
  ASSERT_EQ(WaitForSingleObject(process, kBound), WAIT_OBJECT_0);
  CloseHandle(process);
  EXPECT_EQ(ReadBytes(dir.File("where.txt")), fs::canonical(dir.Path()).string() + "\n");

  EXPECT_EQ(StartCommand((std::string("\"") + dir.File("no such program") + "\" x").c_str()), nullptr);
  EXPECT_NE(LastErrorText().find("no such program"), std::string::npos);
  EXPECT_EQ(StartProcess({"sh", "-c", "exit 0"}, dir.File("no such folder").c_str()), nullptr);
  EXPECT_NE(LastErrorText().find("no such folder"), std::string::npos);
  EXPECT_FALSE(StartCommandDetached(""));
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeProcess(nullptr, &code));
  EXPECT_FALSE(TerminateProcess(nullptr, 0));
}

TEST(ProcessTest, DocumentsOpenWithTheEditorCommand) {
  qvtest::TempDir dir;
  std::string document = dir.File("notes.txt");
  std::ofstream(document) << "opened\n";
  std::string copy = dir.File("copy.txt");
  // The document's path arrives as the last argument ($0 of the script).
  SetEditorCommand(("/bin/sh -c \"cat \\\"$0\\\" > '" + copy + "'\"").c_str());
  ASSERT_TRUE(ShellOpenDocument(document.c_str())) << LastErrorText();
  EXPECT_TRUE(WaitForFileLine(copy));
  EXPECT_EQ(ReadBytes(copy), "opened\n");

  // Without a command and without xdg-open on the search path the call fails.
  std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", dir.Path().c_str(), 1);
  SetEditorCommand(nullptr);
  EXPECT_FALSE(ShellOpenDocument(document.c_str()));
  EXPECT_NE(LastErrorText().find("xdg-open"), std::string::npos);
  setenv("PATH", savedPath.c_str(), 1);
}

TEST(ProcessTest, ShellStartsAProgramByNameWithoutWaiting) {
  qvtest::TempDir dir;
  std::string out = dir.File("args.txt");
  ASSERT_TRUE(ShellStartProgram("sh", ("-c \"printf '%s|%s\\n' \\\"$0\\\" \\\"$1\\\" > args.txt\" \"a b\" c"),
                                dir.Path().c_str()))
      << LastErrorText();
  EXPECT_TRUE(WaitForFileLine(out));
  EXPECT_EQ(ReadBytes(out), "a b|c\n");
  EXPECT_FALSE(ShellStartProgram("qv95-no-such-editor", "x"));
}

}  // namespace
