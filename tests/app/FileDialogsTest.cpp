#include "AppFixture.h"
#include "app/WorkFileDialog.h"
#include "display/FileDialogs.h"
#include "sim/SimFileDialogs.h"
#include "app/WorkFile.h"
#include "core/Threads.h"
#include "display/ViewDecimate.h"
#include "display/ViewFiles.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Sync.h"
#include "platform/driver/TestDriver.h"
#include "records/Cnv.h"
#include "models/quad/Quad.h"
#include "resources/Dialogs.h"
#include "sim/SimDialogs.h"
#include "support/NoFileOverride.h"
#include "support/TestMainWindow.h"

namespace {

using qvtest::AppTest;

class FileDialogsTest : public AppTest {
 protected:
  // Set s with two lines, 1_01 <- 0_00 at f0 and 2_12 <- 1_11 at f1, band 'b', unassigned.
  static void TwoLineSet(int16_t s, double f0, double f1) {
    Sim.FI_Lines[s] = 2;
    ASSERT_EQ(DAlloc1Dim(&Sim.FI_Sim_Erg[s], 2), 1);
    ASSERT_EQ(DAlloc1Dim(&Sim.FI_Exp_Erg[s], 2), 1);
    ASSERT_EQ(FAlloc1Dim(&Sim.FI_Exp_Unc[s], 2), 1);
    ASSERT_EQ(FAlloc1Dim(&Sim.FI_Sim_Itn[s], 2), 1);
    ASSERT_EQ(CAlloc1Dim(&Sim.FI_BT_Lbl[s], 2), 1);
    ASSERT_EQ(SAlloc1Dim(&Sim.FI_Jkk_Lbl[s], 12), 1);
    const int16_t labels[12] = {1, 0, 1, 0, 0, 0, 2, 1, 2, 1, 1, 1};
    std::copy(labels, labels + 12, Sim.FI_Jkk_Lbl[s]);
    Sim.FI_BT_Lbl[s][0] = Sim.FI_BT_Lbl[s][1] = 'b';
    Sim.FI_Sim_Erg[s][0] = f0;
    Sim.FI_Sim_Erg[s][1] = f1;
  }
  // READ ASCII SIM of the control dialog's column: the list, taken as frequency and
  // intensity pairs; `exists`, when given, is the question then answered `answer`.
  static void ReadList(HWND control, int column, const std::string& list, const char* exists, int answer) {
    namespace drv = platform::driver;
    drv::Answers answers;
    answers.File(list)
        .Box("Question", "FULTON-GOUTERMAN MODEL (.fgo)?", IDNO)
        .Box("Question", "FORMAT WITH FREQUENCY + INTENSITY ONLY?", IDYES);
    if (exists) answers.Box("Question", exists, answer);
    EXPECT_TRUE(drv::Click(control, IDC_SC_RDSIM + column));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
  }
  static std::vector<double> Lines(int16_t s) {
    return Sim.FI_Sim_Erg[s] ? std::vector<double>(Sim.FI_Sim_Erg[s], Sim.FI_Sim_Erg[s] + Sim.FI_Lines[s])
                             : std::vector<double>{};
  }
  // The main window and the simulation control dialog on it, shown.
  static HWND ShowControl(const char* title) {
    qvtest::CreateTestMainWindow(title);
    RegisterDialogResources();
    EXPECT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
    Sim.Ctl_Shown = 1;
    return Sim.Ctl_Hwnd;
  }
  static void DestroyDialogs(HWND control) {
    for (auto& row : Sim.Dlg_Hwnd)
      for (HWND& w : row)
        if (w && IsWindow(w)) DestroyWindow(w);
    DestroyWindow(control);
    DestroyWindow(Win.hWnd_Main);
  }
};

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

// A cancelled FTMW dialog keeps the input name it was proposed from; a chosen file
// replaces it.
TEST_F(FileDialogsTest, FtmwOpenKeepsTheInputNameWhenCancelled) {
  StrCopy(Cnv.Ftmw_Flnm, "scan.bin");
  EXPECT_EQ(FtmwFileOpenDialog(nullptr), 0);
  EXPECT_STREQ(Cnv.Ftmw_Flnm, "scan.bin");
  chosen_ = {Path("run7.trc")};
  EXPECT_EQ(FtmwFileOpenDialog(nullptr), 1);
  EXPECT_EQ(std::string(Cnv.Ftmw_Flnm), Path("run7.trc"));
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

// Waits until no view run is under way or asked for (false after a minute).
bool ViewIdle() {
  for (int i = 0; i < 30000; ++i) {
    if (ThreadCtl.View_Running.load() == 0 && ThreadCtl.View_Busy.load() == 0 && ThreadCtl.View_Request.load() == 0)
      return true;
    Sleep(2);
  }
  return false;
}

// File/Open of a MassComp file while a long view run works on the file loaded before:
// the run stops before the data folder and the names change, so the conversion sees
// its own sizes (no question about them), and a new run builds the view files of what
// was opened.
TEST_F(FileDialogsTest, OpenDuringALongViewRunConvertsAndBuildsTheNewViews) {
  Win.Page_Width = 300;
  DataFile("big.bin", 4 * VIEW_BLOCK_POINTS);
  StrCopy(Dsp.Chn_Flnm[0], "big.bin");
  Dsp.Chn_DspStat[0] = 1;
  Win.Active_Chn = 0;
  for (int v = 0; v < 3; ++v) Win.ViewKind[v][0] = VIEW_KIND_MAX;

  std::filesystem::create_directory(Path("m"));
  std::string samples;
  for (int i = 0; i < 20000; ++i) {
    const int value = 100 + (i % 97);
    samples.push_back(static_cast<char>(value & 0xFF));
    samples.push_back(static_cast<char>(value >> 8));
  }
  WriteAll(Path("m/pmt"), samples);
  WriteAll(Path("m/wk-run.7"), "2 pmt stop\n3 5000 10000 15000 stop\n6 1 2 3.0 45000.0 150.0 stop\n");

  ThreadCtl.View_Started = 1;
  ThreadCtl.View_Busy = 1;
  Win.ViewPageType = 0;
  Win.ViewPrep = 1;
  ASSERT_EQ(FunctionThreadCreate(DisplayQviQvoSetup), 1);
  for (int i = 0; i < 5000 && ThreadCtl.View_Running.load() == 0; ++i) Sleep(1);

  chosen_ = {Path("m/wk-run.7")};
  answers_ = {IDYES};  // convert; any other question is answered No
  EXPECT_EQ(WorkFileWin95(0, nullptr), 1);
  ASSERT_TRUE(ViewIdle());
  for (const std::string& text : Texts()) EXPECT_EQ(text.find("SIZE & ACTUAL SIZE"), std::string::npos) << text;
  EXPECT_STREQ(Dsp.Work_Flnm, "run.7.QVW");
  EXPECT_EQ(std::string(Dsp.Data_Dir), Path("m"));
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "pmtF");
  EXPECT_EQ(std::filesystem::file_size(Path("m/pmtF")), 20000u * sizeof(float));

  // Every displayed channel has its raw size and its view files, built in the new folder.
  int shown = 0;
  for (int16_t c = 0; c <= 8; ++c) {
    if (Dsp.Chn_DspStat[c] != 1) continue;
    ++shown;
    SCOPED_TRACE(Dsp.Chn_Flnm[c]);
    EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][c] * sizeof(float), std::filesystem::file_size(Path(std::string("m/") + Dsp.Chn_Flnm[c])));
    for (int v = 0; v < 3; ++v) {
      if (Win.ViewKind[v][c] == VIEW_KIND_NONE) continue;
      const std::string view = platform::MapPath(DisplayViewFileName(c, v, Win.ViewKind[v][c]).c_str());
      ASSERT_TRUE(std::filesystem::exists(view)) << view;
      EXPECT_EQ(std::filesystem::file_size(view), Dsp.FL_SZ[v][c] * sizeof(float)) << view;
      EXPECT_EQ(view.rfind(Path("m/QV95OIM/"), 0), 0u) << view;
    }
  }
  EXPECT_GT(shown, 0);
  // The stopped run left nothing half-written in the old folder.
  if (std::filesystem::exists(Path("QV95OIM"))) {
    for (const auto& entry : std::filesystem::directory_iterator(Path("QV95OIM")))
      EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }
}

// File/Open takes a chosen file that exists as it is, so the MassComp file "wk-run8"
// reaches its converter; the open dialog gives ".QVW" only to a typed name of no file,
// and the save dialog to every name without an extension.
TEST_F(FileDialogsTest, OpenTakesAnExistingFileAsChosenAndSaveAddsTheExtension) {
  std::string samples;
  for (int i = 0; i < 10; ++i) samples += {static_cast<char>(i * 3), '\0'};
  WriteAll(Path("pmt"), samples);
  WriteAll(Path("wk-run8"), "2 pmt stop\n3 100 stop\n");
  chosen_ = {Path("wk-run8")};
  answers_ = {IDYES};  // convert
  EXPECT_EQ(WorkFileWin95(0, nullptr), 1);
  ASSERT_TRUE(ViewIdle());
  EXPECT_STREQ(Dsp.Work_Flnm, "run8.QVW");
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "pmtF");
  EXPECT_TRUE(std::filesystem::exists(Path("run8.QVW")));

  // The loaded file saved as "wk-run8" is "wk-run8.QVW"; then "run8" opens run8.QVW.
  chosen_ = {Path("wk-run8"), Path("run8")};
  EXPECT_EQ(WorkFileWin95(0, nullptr), 1);
  ASSERT_TRUE(ViewIdle());
  EXPECT_TRUE(std::filesystem::exists(Path("wk-run8.QVW")));
  EXPECT_EQ(ReadAll(Path("wk-run8")), "2 pmt stop\n3 100 stop\n");
  EXPECT_STREQ(Dsp.Work_Flnm, "run8.QVW");
}

TEST_F(FileDialogsTest, AssignmentSaveWritesThePickettListAndTheTable) {
  // Set A: two lines, the second assigned.
  TwoLineSet(0, 5000.0, 9000.0);
  Sim.FI_Exp_Erg[0][1] = 9000.125;
  Sim.FI_Exp_Unc[0][1] = 0.02f;
  Sim.FI_Asn_Lines[0] = 1;
  Sim.Asn_Modified[0] = 1;

  // "set.lin.asn" chosen: converted to the Pickett list "set.lin" under the shortened name.
  char name[200] = "A.asn";
  chosen_ = {Path("set.lin.asn")};
  answers_ = {IDYES};
  ASSERT_EQ(AsnFileDialog(1, 0, "ORV", name, sizeof name), 1);
  EXPECT_EQ(std::string(name).substr(std::string(name).size() - 7), "set.lin");
  EXPECT_EQ(ReadAll(Path("set.lin")),
            "  2  1  2  0  1  1  1  0" + std::string(17, ' ') + "9000.125000" + std::string(10, ' ') + "0.0200  1.0\r\n");
  EXPECT_FALSE(std::filesystem::exists(Path("set.lin.asn")));
  EXPECT_EQ(Sim.Asn_Modified[0], 0u);

  // A write-protected assignment file is kept, and the failure is told: the
  // assignments stay modified.
  Sim.Asn_Modified[0] = 1;
  WriteAll(Path("kept.asn"), "mine\r\n");
  std::filesystem::permissions(Path("kept.asn"), std::filesystem::perms::owner_read);
  chosen_ = {Path("kept.asn")};
  answers_ = {IDYES};  // the dialog's replace question
  platform::ClearBoxLog();
  {
    qvtest::NoFileOverride user;
    EXPECT_EQ(AsnFileDialog(1, 0, "ORV", name, sizeof name), 0);
  }
  ASSERT_EQ(Texts().size(), 2u);
  EXPECT_EQ(Texts()[1], "FAILED TO CREATE ASCII OUTPUT FILE [kept.asn]\n\nABORTING");
  EXPECT_EQ(ReadAll(Path("kept.asn")), "mine\r\n");
  EXPECT_EQ(Sim.Asn_Modified[0], 1u);

  // The FORMAT kind writes the readable table.
  char table[200] = "A.aso";
  chosen_ = {Path("t.aso")};
  answers_ = {IDYES};
  ASSERT_EQ(AsnFileDialog(1, 0, "FORMAT", table, sizeof table), 1);
  EXPECT_EQ(ReadAll(Path("t.aso")),
            "BT J' Ka' Kc' - J\" Ka\" Kc\"      Expt Frq   O-C\r\n"
            "b   2   1   2 -  1   1   1      9000.125 125.0\r\n");
}

// Line lists read through READ ASCII SIM into sets named "NoName" take the names of
// their lists, each kept in its own ".QVS", so that the working file names them apart
// and opening it again gives each set its own lines and the unused set C none. A list
// whose ".QVS" is there already asks first: No leaves the set unnamed and as it was.
TEST_F(FileDialogsTest, ListsReadIntoUnnamedSetsKeepTheirOwnFiles) {
  namespace drv = platform::driver;
  WriteAll(Path("first.txt"), "1000.5 1.0\r\n2000.5 2.0\r\n");
  WriteAll(Path("second.txt"), "3000.5 3.0\r\n");
  HWND control = ShowControl("ASCII SIM NAMES MAIN");
  auto read = [&](int column, const char* list, const char* exists, int answer) {
    ReadList(control, column, Path(list), exists, answer);
  };
  auto lines = Lines;
  read(0, "first.txt", nullptr, 0);
  read(1, "second.txt", nullptr, 0);
  EXPECT_STREQ(Sim.Sim_Flnm[0], "first");
  EXPECT_STREQ(Sim.Sim_Flnm[1], "second");
  EXPECT_FALSE(std::filesystem::exists(Path("NoName.QVS")));
  EXPECT_EQ(lines(0), (std::vector<double>{1000.5, 2000.5}));
  EXPECT_EQ(lines(1), (std::vector<double>{3000.5}));

  // Set C, shown in the right column one step on: "first.QVS" is there; No keeps it.
  ASSERT_TRUE(drv::Scroll(control, IDC_SC_COLUMNS, false));
  ASSERT_EQ(Sim.Ctl_First, 1);
  const std::string kept = ReadAll(Path("first.QVS"));
  ASSERT_FALSE(kept.empty());
  WriteAll(Path("first.txt"), "4000.5 4.0\r\n");
  read(1, "first.txt", "[C] SIM [first]\n\nSIM EXISTS\n\nOVERWRITE [YES] | ABORT [NO]?", IDNO);
  EXPECT_STREQ(Sim.Sim_Flnm[2], "NoName");
  EXPECT_EQ(Sim.FI_Lines[2], 0u);
  EXPECT_EQ(ReadAll(Path("first.QVS")), kept);
  // A list whose name the set's field cannot hold is refused, rather than kept under
  // the cut name, which would be another file's.
  const std::string longName(200, 'n');
  WriteAll(Path(longName + ".txt"), "5000.5 5.0\r\n");
  {
    drv::Answers answers;
    answers.File(Path(longName + ".txt"))
        .Box("Question", "FULTON-GOUTERMAN MODEL (.fgo)?", IDNO)
        .Box("Question", "FORMAT WITH FREQUENCY + INTENSITY ONLY?", IDYES)
        .Box("Warning", "FILE NAME [" + longName + "] TOO LONG\n\nABORTING", IDOK);
    EXPECT_TRUE(drv::Click(control, IDC_SC_RDSIM + 1));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
  }
  EXPECT_STREQ(Sim.Sim_Flnm[2], "NoName");
  EXPECT_EQ(Sim.FI_Lines[2], 0u);
  EXPECT_FALSE(std::filesystem::exists(Path(longName.substr(1) + ".QVS")));

  // The working file saved and opened again, the sets freed in between.
  StrCopy(Dsp.Work_Flnm, "run.QVW");
  FreeSimSets();
  chosen_ = {Path("run.QVW"), Path("run.QVW")};  // the save of the loaded file, then the open
  EXPECT_EQ(WorkFileWin95(0, Win.hWnd_Main), 1);
  ASSERT_TRUE(ViewIdle());
  EXPECT_STREQ(Sim.Sim_Flnm[0], "first");
  EXPECT_STREQ(Sim.Sim_Flnm[1], "second");
  EXPECT_STREQ(Sim.Sim_Flnm[2], "NoName");
  EXPECT_EQ(lines(0), (std::vector<double>{1000.5, 2000.5}));
  EXPECT_EQ(lines(1), (std::vector<double>{3000.5}));
  EXPECT_EQ(Sim.FI_Lines[2], 0u);
  DestroyDialogs(control);
}

// Lists with points in their names name sets "b.c.d" (set B) and "b.c" (set C). QVS and
// OPEN propose "<name>.QVS", so that taking the proposal keeps set B on its own file; a
// name typed without ".QVS" that would land on set C's file asks first, and No writes
// nothing and leaves set B named as it was.
TEST_F(FileDialogsTest, DottedSetNamesKeepToTheirOwnFiles) {
  namespace drv = platform::driver;
  WriteAll(Path("b.c.d.dat"), "1000.5 1.0\r\n2000.5 2.0\r\n3000.5 3.0\r\n");
  WriteAll(Path("b.c.txt"), "4000.5 4.0\r\n");
  HWND control = ShowControl("DOTTED NAMES MAIN");
  ReadList(control, 1, Path("b.c.d.dat"), nullptr, 0);
  ASSERT_TRUE(drv::Scroll(control, IDC_SC_COLUMNS, false));  // sets B and C
  ReadList(control, 1, Path("b.c.txt"), nullptr, 0);
  ASSERT_STREQ(Sim.Sim_Flnm[1], "b.c.d");
  ASSERT_STREQ(Sim.Sim_Flnm[2], "b.c");
  const std::string setC = ReadAll(Path("b.c.QVS"));
  ASSERT_FALSE(setC.empty());

  const std::string proposal = dir_.Path().string() + "\\b.c.d.QVS";
  const char* header = "SIM WRITE QVS\n\nWRITE ASCII QVS HEADER FILE [YES] | SKIP [NO]?";
  auto writeB = [&](const std::string& chosen, bool asked) {
    platform::ClearCommonDialogLog();
    drv::Answers answers;
    answers.File(chosen);
    if (chosen == proposal) answers.Box("Confirm Save As", "*already exists*", IDYES);
    if (asked) answers.Box("Question", "OUTPUT FILE [b.c.QVS] EXISTS\n\nOVERWRITE [YES] | ABORT [NO]?", IDNO);
    answers.Box("Question", header, IDNO);
    EXPECT_TRUE(drv::Click(control, IDC_SC_QVS));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
    ASSERT_EQ(platform::CommonDialogLog().size(), 1u);
    EXPECT_EQ(platform::CommonDialogLog()[0].proposed, proposal);
  };
  writeB(proposal, false);
  EXPECT_STREQ(Sim.Sim_Flnm[1], "b.c.d");
  writeB(Path("b.c.d"), true);
  EXPECT_STREQ(Sim.Sim_Flnm[1], "b.c.d");
  EXPECT_TRUE(ReadAll(Path("b.c.QVS")) == setC);  // set C's file as it was
  EXPECT_FALSE(std::filesystem::exists(Path("b.c.d")));

  // OPEN of set B with the proposal reads set B's own file.
  SimFIFreeQVS(1, &Sim, 0);
  platform::ClearCommonDialogLog();
  {
    drv::Answers answers;
    answers.File(proposal);
    EXPECT_TRUE(drv::Click(control, IDC_SC_OPEN));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
  }
  ASSERT_EQ(platform::CommonDialogLog().size(), 1u);
  EXPECT_EQ(platform::CommonDialogLog()[0].proposed, proposal);
  EXPECT_STREQ(Sim.Sim_Flnm[1], "b.c.d");
  EXPECT_EQ(Lines(1), (std::vector<double>{1000.5, 2000.5, 3000.5}));
  EXPECT_EQ(Lines(2), (std::vector<double>{4000.5}));
  DestroyDialogs(control);
}

// Set B, a quadrupole set whose assignment file holds one entry, gets two more in the
// QUADRUPOLE QN dialog; each way of reading the set again (FILE NAME, READ ASCII SIM,
// File/Open of a working file) frees its lines, and each first offers the modified
// assignments for saving while those lines are there to write them by.
TEST_F(FileDialogsTest, ModifiedQuadrupoleAssignmentsAreSavedBeforeTheSetIsFreed) {
  namespace drv = platform::driver;
  qvtest::CreateTestMainWindow("QUAD ASN SAVE MAIN");
  RegisterDialogResources();
  const std::string kept =
      "# J' KA' KC' J'' KA'' KC'' F' F'' FREQUENCY UNCERTAINTY\r\n1 0 1 0 0 0 2.5 1.5 1000.75 0.25\r\n";
  const std::string question = "[B] SIM [quadB]\n\nSIM HAS MODIFIED QUAD ASNs\n\nSAVE [YES] | REMOVE [NO]?";
  // Line 0 at 1001 is 1_01 <- 0_00, split by a nucleus of spin 3/2 (chi 4, -2, -2) into
  // F' = 1/2, 3/2, 5/2 (F'' = 3/2) at 1000.0, 1001.8, 1000.8; line 1 at 2000 is 2_12 <- 1_11.
  auto prepare = [&] {
    SimFIFreeQVS(1, &Sim, 0);
    TwoLineSet(1, 1001.0, 2000.0);
    ASSERT_EQ(DAlloc1Dim(&Sim.FI_Dev[1], 12), 1);
    Sim.FI_Dev[1][4] = Sim.FI_Dev[1][5] = 1.0;  // upper level <Pb^2> = <Pc^2> = 1
    Sim.DVS_STAT[1] = Sim.ONESTATE_STAT[1] = Sim.QC_STAT[1] = 1;
    StrCopy(Sim.Sim_Type[1], "ORV");  // rotor constants A, B, C active: derivatives by them stored
    Sim.DVS_NO[1][SIM_GND] = 3;
    for (int g = 0; g < 3; ++g) {
      Sim.RC_DevStat[1][SIM_GND][g] = 1;
      Sim.RC_Prm[1][SIM_GND][g] = 3000.0 * (3 - g);
    }
    const double chi[3] = {4.0, -2.0, -2.0};
    std::copy(chi, chi + 3, Quad.Prm[1][SIM_GND]);
    Quad.Prm2[1] = 1.5;
    StrCopy(Sim.Sim_Flnm[1], "quadB");
    ASSERT_EQ(SimFIWriteQVS(1, &Sim), 1);
    WriteAll(Path("QuadB.asn"), kept);
    ASSERT_EQ(SimFIReadQVS(1, &Sim, 0, 1), 1);
    ASSERT_EQ(Quad.Asn_Cnt[1], 1);
    // The selected line and its components as the renderer lists them.
    LFree1Dim(&Sim.FI_QN_List_Ary[1]);
    ASSERT_EQ(LAlloc1Dim(&Sim.FI_QN_List_Ary[1], 1), 1);
    Sim.FI_QN_List_Ary[1][0] = 0;
    Sim.FI_QN_List_Cnt[1] = Sim.FI_QN_List_Sz[1] = 1;
    Sim.FI_QN_List_Sel[1] = 0;
    Sim.QN_Sel_Line[1] = 0;
    ASSERT_EQ(QuadCalc(1, 0, &Sim, &Quad), 1);
    ASSERT_EQ(Quad.Comp_Count[1], 3);
    if (!Quad.QN_List[1]) {
      ASSERT_EQ(LAlloc1Dim(&Quad.QN_List[1], 3000), 1);
    }
    for (int c = 0; c < 3; ++c) Quad.QN_List[1][c] = c;
    Quad.QN_LIST_TOT[1] = 3;
    Quad.QN_Scan[1] = Quad.QN_FromList[1] = 1;
    Sim.Asn_StdUnc[1] = 0.5f;
    ASSERT_EQ(SimQuadQNDialogShow(1, 1, Win.hWnd_Main), 1u);
    HWND q = Sim.Dlg_Hwnd[SIM_DLG_QUADQN][1];
    SendMessage(q, WM_INITDIALOG, 0, 0);
    ASSERT_TRUE(drv::TypeAndCommit(q, 880, "1000.125"));
    ASSERT_TRUE(drv::TypeAndCommit(q, 881, "1001.875"));
    ASSERT_EQ(Quad.Asn_Cnt[1], 3);
    ASSERT_EQ(Quad.Asn_Modified[1], 1u);
  };
  auto savedAll = [&] {
    EXPECT_EQ(ReadAll(Path("QuadB.asn")),
              kept + "1 0 1 0 0 0 0.5 1.5 1000.125 0.5\r\n1 0 1 0 0 0 1.5 1.5 1001.875 0.5\r\n");
    EXPECT_EQ(Sim.FI_Lines[1], 2u);
    EXPECT_EQ(Quad.Asn_Cnt[1], 3);
  };
  // SAVE chooses the set's assignment file again and confirms replacing it.
  auto saveOver = [&](drv::Answers& answers) -> drv::Answers& {
    return answers.File(Path("QuadB.asn")).Box("Confirm Save As", "*already exists*", IDYES);
  };
  const std::string overwrite = "[B] SIM [quadB]\n\nSIM PRMS HAVE BEEN MODIFIED\n\nOVERWRITE [YES] | ABORT [NO]?";
  ASSERT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
  Sim.Ctl_Shown = 1;
  HWND control = Sim.Ctl_Hwnd;

  {
    SCOPED_TRACE("FILE NAME");
    prepare();
    drv::Answers answers;
    answers.Box("Question", overwrite, IDYES).Box("Question", question, IDYES);
    saveOver(answers);
    ASSERT_TRUE(drv::TypeAndCommit(control, IDC_SC_FILE + 1, "quadB"));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
    savedAll();
  }
  {
    SCOPED_TRACE("READ ASCII SIM");
    prepare();
    WriteAll(Path("quadB.a"), "b 1 0 1 0 0 0 1.0 0 1001.0\r\nb 2 1 2 1 1 1 1.0 0 2000.0\r\n");
    drv::Answers answers;
    answers.Box("Question", overwrite, IDYES)
        .File(Path("quadB.a"))
        .Box("Question", "FULTON-GOUTERMAN MODEL (.fgo)?", IDNO)
        .Box("Question", "FORMAT WITH FREQUENCY + INTENSITY ONLY?", IDNO)
        .Box("Question", "QVS FORMAT WITH 8 QUANTUM NUMBERS (.a)?", IDNO)
        .Box("Question", "QVS FORMAT WITH 6 QUANTUM NUMBERS (.a)?", IDYES)
        .Box("Question", question, IDYES);
    saveOver(answers);
    ASSERT_TRUE(drv::Click(control, IDC_SC_RDSIM + 1));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
    savedAll();
  }
  {
    SCOPED_TRACE("working file");
    prepare();
    StrCopy(Dsp.Work_Flnm, "run.QVW");
    drv::Answers answers;
    answers.File(Path("run.QVW")).File(Path("run.QVW")).Box("Question", question, IDYES);
    saveOver(answers);
    EXPECT_EQ(WorkFileWin95(0, Win.hWnd_Main), 1);
    ASSERT_TRUE(ViewIdle());
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
    savedAll();
  }
  {
    // Entries whose lines are gone cannot be written: the old file stays, and reading the
    // set again brings them back.
    SCOPED_TRACE("no lines");
    SimFIFreeQVS(1, &Sim, 0);
    Quad.Asn_Modified[1] = 1;
    const std::string before = ReadAll(Path("QuadB.asn"));
    drv::Answers answers;
    answers.Box("Question", question, IDYES);
    saveOver(answers).Box("Info", "MODIFIED QUAD ASN LOST", IDOK);
    ASSERT_TRUE(drv::TypeAndCommit(control, IDC_SC_FILE + 1, "quadB"));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
    EXPECT_EQ(ReadAll(Path("QuadB.asn")), before);
    EXPECT_EQ(Quad.Asn_Cnt[1], 3);
  }

  DestroyDialogs(control);
  QuadComponentsFree(1, &Quad);
  DFree1Dim(&Quad.Asn_TList[1]);
}

}  // namespace
