#include "platform/kernel/CommandLine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/kernel/Text.h"

namespace {

using namespace platform;

TEST(CommandLineTest, WorkingFileAppearsQuotedAfterTheQuotedProgramPath) {
  std::string self = ProgramPath();
  ASSERT_FALSE(self.empty());
  const char* args[] = {"qv95", "--script", "run.ops", "/data/x.QVW"};
  EXPECT_TRUE(SetProgramArguments(4, args));
  EXPECT_EQ(std::string(GetCommandLine()), "\"" + self + "\" \"/data/x.QVW\"");
  EXPECT_EQ(ProgramOption("script"), "run.ops");
  EXPECT_EQ(ProgramWorkingFile(), "/data/x.QVW");
}

TEST(CommandLineTest, WithoutAWorkingFileATrailingBlankFollows) {
  const char* args[] = {"qv95", "--script=auto.ops"};
  EXPECT_TRUE(SetProgramArguments(2, args));
  EXPECT_EQ(std::string(GetCommandLine()), std::string("\"") + ProgramPath() + "\" ");
  EXPECT_EQ(ProgramOption("script"), "auto.ops");
  EXPECT_EQ(ProgramOption("other"), "");

  const char* plain[] = {"qv95"};
  EXPECT_TRUE(SetProgramArguments(1, plain));
  EXPECT_EQ(std::string(GetCommandLine()), std::string("\"") + ProgramPath() + "\" ");
  EXPECT_EQ(ProgramOption("script"), "");
}

TEST(CommandLineTest, RelativeWorkingFileBecomesAbsoluteAndBadOptionsFail) {
  const char* args[] = {"qv95", "--", "--odd.QVW"};
  EXPECT_TRUE(SetProgramArguments(3, args));
  std::string expected = (std::filesystem::current_path() / "--odd.QVW").string();
  EXPECT_EQ(std::string(GetCommandLine()), std::string("\"") + ProgramPath() + "\" \"" + expected + "\"");

  const char* missing[] = {"qv95", "x.QVW", "--script"};
  EXPECT_FALSE(SetProgramArguments(3, missing));
  EXPECT_EQ(ProgramOption("script"), "");
  const char* unknown[] = {"qv95", "--fast"};
  EXPECT_FALSE(SetProgramArguments(2, unknown));
}

TEST(CommandLineTest, ModuleFileNameIsTheProgramsOwnPath) {
  char path[4096];
  DWORD length = GetModuleFileName(nullptr, path, sizeof path);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::string(path), ProgramPath());
  EXPECT_NE(std::string(path).find("test_platform"), std::string::npos);
  char tiny[4];
  EXPECT_EQ(GetModuleFileName(nullptr, tiny, sizeof tiny), 4u);  // cut, still terminated
  EXPECT_EQ(std::string(tiny).size(), 3u);
}

}  // namespace
