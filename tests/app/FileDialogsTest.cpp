#include "AppFixture.h"
#include "app/FileDialogs.h"
#include "app/WorkFile.h"

namespace {

using qvtest::AppTest;

class FileDialogsTest : public AppTest {};

TEST_F(FileDialogsTest, EmptyWorkingFileNameComesFromTheDataFolder) {
  Dsp.Data_Dir[0] = '\0';
  Dsp.Dsp_Ready = 0;
  FileDialogCurrentFolder(1);
  EXPECT_EQ(std::string(Dsp.Data_Dir), dir_.Path().string());
  EXPECT_EQ(std::string(Dsp.Work_Flnm), dir_.Path().filename().string() + ".QVW");
  EXPECT_EQ(Dsp.Dsp_Ready.load(), 1u);
  FileDialogCurrentFolder(0);
  EXPECT_EQ(Dsp.Dsp_Ready.load(), 0u);
}

TEST_F(FileDialogsTest, FileOutsideTheDataFolderIsOfferedForCopying) {
  std::filesystem::create_directory(Path("other"));
  WriteAll(Path("other/a.bin"), "1234");
  char name[200] = "old.bin";
  chosen_ = {Path("other/a.bin")};
  answers_ = {IDYES};
  EXPECT_EQ(BinaryFileDialog(0, name, sizeof name, nullptr), 1);
  EXPECT_STREQ(name, "a.bin");
  EXPECT_EQ(ReadAll(Path("a.bin")), "1234");
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0], "FILE [" + Path("other") + "] MUST BE IN CURRENT FOLDER [" + dir_.Path().string() +
                            "]!\n\nCOPY TO CURRENT FOLDER [YES] | ABORT [NO]?");
  EXPECT_EQ(platform::CommonDialogLog()[0].proposed, dir_.Path().string() + "\\old.bin");

  // A second copy asks before overwriting; No keeps the file and the name.
  platform::ClearBoxLog();
  WriteAll(Path("other/a.bin"), "5678");
  chosen_ = {Path("other/a.bin")};
  answers_ = {IDYES, IDNO};
  StrCopy(name, "x.bin");
  BinaryFileDialog(0, name, sizeof name, nullptr);
  EXPECT_EQ(Texts()[1], "FILE EXITS [" + dir_.Path().string() + "\\a.bin]\n\nOVERWRITE [YES] | ABORT [NO]?");
  EXPECT_EQ(ReadAll(Path("a.bin")), "1234");

  // No copy question inside the data folder, whatever the case of its name.
  platform::ClearBoxLog();
  std::string upper = dir_.Path().string();
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  StrCopy(Dsp.Data_Dir, upper.c_str());
  chosen_ = {Path("a.bin")};
  StrCopy(name, "x.bin");
  BinaryFileDialog(0, name, sizeof name, nullptr);
  EXPECT_TRUE(Texts().empty());
  EXPECT_STREQ(name, "a.bin");
}

TEST_F(FileDialogsTest, SaveProposesADefaultNameAndCancelWritesNothing) {
  EXPECT_EQ(WorkFileWin95(1, nullptr), 1);
  ASSERT_EQ(platform::CommonDialogLog().size(), 1u);
  const auto log = platform::CommonDialogLog();
  const auto& request = log[0];
  EXPECT_EQ(request.proposed, dir_.Path().string() + "\\Qv95.QVW");
  EXPECT_EQ(request.defaultExtension, "QVW");
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].first, "QV95 WORKING FILES (*.QVW)");
  EXPECT_FALSE(std::filesystem::exists(Path("Qv95.QVW")));
  EXPECT_EQ(Dsp.Dsp_Ready.load(), 1u);
}

TEST_F(FileDialogsTest, SaveTakesTheFolderOfTheChosenFile) {
  std::filesystem::create_directory(Path("x"));
  chosen_ = {Path("x/run.QVW")};
  EXPECT_EQ(WorkFileWin95(1, nullptr), 1);
  EXPECT_EQ(std::string(Dsp.Data_Dir), Path("x"));
  EXPECT_STREQ(Dsp.Work_Flnm, "run.QVW");
  EXPECT_TRUE(std::filesystem::exists(Path("x/run.QVW")));
  EXPECT_EQ(std::filesystem::current_path().string(), Path("x"));
}

TEST_F(FileDialogsTest, RefusedOpenKeepsTheLoadedNames) {
  StrCopy(Dsp.Work_Flnm, "run.QVW");
  std::filesystem::create_directory(Path("sub"));
  WriteAll(Path("sub/bad.QVW"), "not a working file\r\n");
  chosen_ = {Path("run.QVW"), Path("sub/bad.QVW")};  // the save of the loaded file, then the open
  EXPECT_EQ(WorkFileWin95(0, nullptr), 0);
  ASSERT_EQ(platform::CommonDialogLog().size(), 2u);
  EXPECT_EQ(platform::CommonDialogLog()[1].proposed, dir_.Path().string() + "\\run.QVW");
  EXPECT_EQ(Texts().back(), "QV95 WORKING FILE\n\nCORRUPTED FIELDS | FILE=[bad.QVW] DOES NOT EXIST\n\nUSING DEFAULT VALUES");
  EXPECT_EQ(std::string(Dsp.Data_Dir), dir_.Path().string());
  EXPECT_STREQ(Dsp.Work_Flnm, "run.QVW");
  EXPECT_EQ(ReadAll(Path("sub/bad.QVW")), "not a working file\r\n");
  EXPECT_EQ(std::filesystem::current_path(), dir_.Path());
}

TEST_F(FileDialogsTest, OpenStopsWhenTheSaveOfTheLoadedFileFails) {
  StrCopy(Dsp.Work_Flnm, "run.QVW");
  chosen_ = {Path("missing/run.QVW"), Path("other.QVW")};
  EXPECT_EQ(WorkFileWin95(0, nullptr), 0);
  EXPECT_EQ(platform::CommonDialogLog().size(), 1u);  // no open dialog after the failed save
  EXPECT_STREQ(Dsp.Work_Flnm, "run.QVW");
  EXPECT_EQ(std::string(Dsp.Data_Dir), dir_.Path().string());
}

TEST_F(FileDialogsTest, OpenReadsTheChosenWorkingFile) {
  std::filesystem::create_directory(Path("y"));
  StrCopy(Dsp.Work_Flnm, "y.QVW");
  Dsp.Init_Frq = 1234.5;
  StrCopy(Dsp.Data_Dir, Path("y").c_str());
  std::filesystem::current_path(Path("y"));
  ASSERT_EQ(WorkFileWrite(), 1);
  Dsp = DspRecord{};
  StrCopy(Dsp.Data_Dir, dir_.Path().c_str());
  std::filesystem::current_path(dir_.Path());
  chosen_ = {Path("y/y.QVW")};
  EXPECT_EQ(WorkFileWin95(0, nullptr), 1);
  EXPECT_EQ(Dsp.Init_Frq, 1234.5);
  EXPECT_EQ(std::string(Dsp.Data_Dir), Path("y"));
  EXPECT_TRUE(std::filesystem::exists(Path("y/QV95OIM")));
}

}  // namespace
