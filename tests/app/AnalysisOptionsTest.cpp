#include "display/AnalysisOptions.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

#include "AppFixture.h"
#include "app/MainWindow.h"
#include "app/WorkFile.h"
#include "convert/OpSeq.h"
#include "display/FftTransformDialog.h"
#include "display/ViewDecimate.h"
#include "display/ViewFiles.h"
#include "fileproc/Fourier.h"
#include "models/hitran/HtUnits.h"
#include "platform/windows/Controls.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/ThreadCtl.h"
#include "records/Trans.h"
#include "resources/Menus.h"
#include "sim/SimDialogs.h"
#include "support/NoFileOverride.h"

namespace {

namespace drv = platform::driver;

class AnalysisOptionsTest : public qvtest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Cnv = CnvRecord{};
    Dsp.Init_Done = 1;  // no start-up: the records stay as the test sets them
    ASSERT_NE(InitApplication(nullptr), 0);
    ASSERT_EQ(InitInstance(nullptr, SW_SHOWNORMAL), 1);
    drv::PumpUntilIdle();
    ThreadCtl.View_Started = 1;  // the refresh does not run a view pass of its own
    Cnl = CnlRecord{};
    Trans = TransRecord{};
  }
  void TearDown() override {
    drv::PumpUntil([] { return ThreadCtl.View_Busy == 0 && ThreadCtl.View_Running == 0; });
    if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) DestroyWindow(Win.hWnd_Main);
    drv::PumpUntilIdle();
    UnregisterClass(MAIN_CLASS_NAME, nullptr);
    AppTest::TearDown();
  }
  // Opens the dialog from the menu, runs body inside it and ends it with endId.
  void InDialog(const std::function<void(HWND)>& body, int endId = IDCANCEL) {
    int opened = 0;
    drv::ModalHandler handler([&](HWND d, int id) {
      ++opened;
      EXPECT_EQ(id, IDD_ANALYSIS_OPTIONS);
      EXPECT_EQ(Dsp.Anl_Hwnd, d);
      body(d);
      drv::Click(d, endId);
    });
    drv::ChooseCommand(Win.hWnd_Main, IDM_ANALYSIS);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(Dsp.Anl_Hwnd, nullptr);
  }
};

TEST_F(AnalysisOptionsTest, ScalarEditKeepsTheDrawnOffsetUnlessFixed) {
  Dsp.Chn_Scalar[2] = 2.0;
  Dsp.Chn_Offset[2] = 6.0;
  Dsp.Chn_Scalar[3] = 0.0005;
  Dsp.Chn_Offset[3] = 2.5;
  InDialog([](HWND d) {
    EXPECT_EQ(drv::Text(d, IDC_AO_SCALAR + 3), "5.00000000e-04");
    EXPECT_EQ(drv::Text(d, IDC_AO_OFFSET + 3), "2.50000000");
    EXPECT_EQ(drv::Text(d, IDC_AO_SCALAR + 2), "2.00000000");
    drv::TypeAndCommit(d, IDC_AO_SCALAR + 2, "4.0");
    EXPECT_EQ(Dsp.Chn_Scalar[2], 4.0);
    EXPECT_EQ(Dsp.Chn_Offset[2], 3.0);  // halved
    drv::Click(d, IDC_AO_FIX);
    EXPECT_EQ(Dsp.Anl_OfsFix, 1u);
    drv::TypeAndCommit(d, IDC_AO_SCALAR + 2, "8.0");
    EXPECT_EQ(Dsp.Chn_Scalar[2], 8.0);
    EXPECT_EQ(Dsp.Chn_Offset[2], 3.0);  // fixed
    // A value that is no finite number is not taken.
    drv::TypeAndCommit(d, IDC_AO_SCALAR + 2, "nan");
    drv::TypeAndCommit(d, IDC_AO_OFFSET + 2, "-inf");
    EXPECT_EQ(Dsp.Chn_Scalar[2], 8.0);
    EXPECT_EQ(Dsp.Chn_Offset[2], 3.0);
    // A field left without a change changes nothing.
    drv::Click(d, IDC_AO_SCALAR + 2);
    drv::Commit(d);
    EXPECT_EQ(Dsp.Chn_Scalar[2], 8.0);
  });
}

TEST_F(AnalysisOptionsTest, AxisReadBackRefusesAZeroFsrAndZeroPointsPerFsr) {
  Dsp.FSR = 150.0;
  Dsp.Pts_FSR = 300;
  Dsp.Work_Comment[0] = '\0';
  drv::Answers answers;
  answers.Box("Warning", "FRQ STP / FSR OF [0.0000000000e+00] NOT VALID\n\nKEEPING [1.5000000000e+02]", IDOK);
  InDialog(
      [](HWND d) {
        EXPECT_EQ(drv::Text(d, IDC_AO_FSR), "1.5000000000e+02");
        EXPECT_EQ(drv::Text(d, IDC_AO_COMMENT), "NO COMMENT");
        drv::TypeText(d, IDC_AO_FSR, "0");
        drv::TypeText(d, IDC_AO_PTS_FSR, "0");
        drv::TypeText(d, IDC_AO_INIT_FRQ, "1234.5");
      },
      IDOK);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_EQ(Dsp.FSR, 150.0);
  EXPECT_EQ(Dsp.Pts_FSR, 1);
  EXPECT_EQ(Dsp.Frq_Stp, 150.0);
  EXPECT_EQ(Dsp.Init_Frq, 1234.5);
  EXPECT_STREQ(Dsp.Work_Comment, "NO COMMENT");
}

TEST_F(AnalysisOptionsTest, ColourStepsSkipTheBackgroundAndStopAtTheEnds) {
  Win.Bg_Brush_Idx = 10;
  Dsp.Chn_ColorNo[1] = 8;
  Dsp.Chn_ColorNo[2] = 0;
  InDialog([](HWND d) {
    drv::Scroll(d, IDC_AO_COLOR + 1, /*up=*/false);
    EXPECT_EQ(Dsp.Chn_ColorNo[1], 9);
    drv::Scroll(d, IDC_AO_COLOR + 1, /*up=*/false);  // 10 is the background, 11 out of range
    EXPECT_EQ(Dsp.Chn_ColorNo[1], 9);
    drv::Scroll(d, IDC_AO_COLOR + 2, /*up=*/true);
    EXPECT_EQ(Dsp.Chn_ColorNo[2], 0);
  });
}

TEST_F(AnalysisOptionsTest, NoneOnEveryLevelGoesToTheRawLevel) {
  Win.Active_Chn = 0;
  Dsp.Chn_DspStat[0] = 1;
  Win.View_Level = 0;
  InDialog([](HWND d) {
    EXPECT_TRUE(drv::IsChecked(d, IDC_AO_ACTIVE + 0));
    for (int l = 0; l < 3; ++l) {
      EXPECT_EQ(drv::ListItems(d, IDC_AO_TYPE + l), (std::vector<std::string>{"MAX", "AVE", "NONE"}));
      drv::SelectRow(d, IDC_AO_TYPE + l, 2);
      drv::PumpUntil([] { return ThreadCtl.View_Busy == 0 && ThreadCtl.View_Running == 0; });
    }
  });
  EXPECT_EQ(Win.ViewKind[0][0], 2);
  EXPECT_EQ(Win.ViewKind[2][0], 2);
  EXPECT_EQ(Win.View_Level, 3);
}

// The pages boxes show pages x the resolution factor; typing a factor changes no page
// count, and a cancelled dialog leaves them as they were.
TEST_F(AnalysisOptionsTest, ResolutionFactorMultipliesTheShownPagesOnly) {
  Win.X_PAGES[0] = 1.0;
  Win.X_PAGES[1] = 10.0;
  Dsp.Res_Unlock = 1;
  InDialog([](HWND d) {
    EXPECT_EQ(drv::Text(d, IDC_AO_PAGES + 1), "10.000");
    drv::TypeAndCommit(d, IDC_AO_RES_FACTOR, "2");
    EXPECT_EQ(Dsp.Res_Factor, 2.0);
    EXPECT_EQ(drv::Text(d, IDC_AO_PAGES + 0), "2.000");
    EXPECT_EQ(drv::Text(d, IDC_AO_PAGES + 1), "20.000");
    EXPECT_EQ(Win.X_PAGES[0], 1.0);
    EXPECT_EQ(Win.X_PAGES[1], 10.0);
  });
  EXPECT_EQ(Win.X_PAGES[0], 1.0);
  EXPECT_EQ(Win.X_PAGES[1], 10.0);
}

TEST_F(AnalysisOptionsTest, FileNameEditMeasuresTheFileAndApplyStartsTheViewRun) {
  StrCopy(Dsp.Data_Dir, dir_.Path().string().c_str());
  FILE* f = std::fopen(dir_.File("run7.bin").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  const float zeros[400] = {};
  std::fwrite(zeros, sizeof(float), 400, f);
  std::fclose(f);
  Dsp.Chn_DspStat[4] = 1;
  InDialog([](HWND d) {
    drv::TypeAndCommit(d, IDC_AO_FILENAME + 4, "run7.bin");
    EXPECT_STREQ(Dsp.Chn_Flnm[4], "run7.bin");
    EXPECT_EQ(drv::Text(d, IDC_AO_SIZE + 4), "400");
    EXPECT_TRUE(drv::IsChecked(d, IDC_AO_DISPLAY + 4));
    drv::TypeAndCommit(d, IDC_AO_FILENAME + 4, "missing.bin");
    EXPECT_FALSE(drv::IsChecked(d, IDC_AO_DISPLAY + 4));  // a missing file is not shown
    EXPECT_EQ(Dsp.Chn_DspStat[4], 0u);
    // "NUM" puts the file-number text into the first run of digits of every name.
    drv::TypeAndCommit(d, IDC_AO_FILENAME + 4, "run7.bin");
    drv::TypeAndCommit(d, IDC_AO_NUM_TEXT, "12 extra");
    EXPECT_STREQ(Cnv.Out_Ext, "12");
    drv::Click(d, IDC_AO_NUM);
    EXPECT_STREQ(Dsp.Chn_Flnm[4], "run12.bin");
    EXPECT_EQ(drv::Text(d, IDC_AO_FILENAME + 4), "run12.bin");
  });
}

// A page count typed on a level that has no views yet is built by OK: after a kind
// chosen for the level, or on a level of none (which then becomes averages). However
// the dialog's stops and starts meet a run under way as it opens (here the first run
// of a working file, still going), OK's run is not lost: the last run ends with a
// status of its own and nothing asked for is left waiting. Half the rounds open the
// dialog on an idle view thread, so that OK's own request is the only full one.
TEST_F(AnalysisOptionsTest, OkBuildsTheLevelWhosePagesWereTypedWhateverRunWasUnderWay) {
  std::string raw;
  for (int i = 0; i < 30000; ++i) {
    const float v = static_cast<float>(i % 97);
    raw.append(reinterpret_cast<const char*>(&v), sizeof v);
  }
  WriteAll(Path("c0.bin"), raw);
  StrCopy(Dsp.Chn_Flnm[0], "c0.bin");
  Dsp.Chn_DspStat[0] = 1;
  Win.Active_Chn = 0;
  ThreadCtl.View_Request = 0;
  ThreadCtl.View_Held = 0;
  const std::string low = Path("QV95OIM/c0.bin.QVOa");
  for (int round = 0; round < 16; ++round) {
    const bool chooseKind = round % 2 == 0;
    std::filesystem::remove_all(Path("QV95OIM"));
    for (int l = 0; l < 3; ++l) {
      Win.ViewKind[l][0] = VIEW_KIND_NONE;
      Win.X_PAGES[l] = 0.0;
    }
    Dsp.ViewUpdate[0] = 0;
    if (round % 4 < 2) DisplayViewRestart();
    InDialog(
        [chooseKind](HWND d) {
          if (chooseKind) {
            drv::SelectRow(d, IDC_AO_TYPE + 0, 1);
            drv::TypeAndCommit(d, IDC_AO_PAGES + 0, "1");
          } else {
            drv::TypeAndCommit(d, IDC_AO_PAGES + 0, "2");
            EXPECT_EQ(drv::Text(d, IDC_AO_PAGES + 0), "2.000");
            EXPECT_EQ(drv::ListSelection(d, IDC_AO_TYPE + 0), 1);  // AVE
          }
        },
        IDOK);
    ASSERT_TRUE(drv::PumpUntil([] { return !ProgramWorkersBusy(); }, 60000)) << round;
    EXPECT_EQ(drv::StatusText(Win.hWnd_StatusBar, 0), "VIEW PROCESSING COMPLETE") << round;
    EXPECT_EQ(drv::StatusText(Win.hWnd_StatusBar, 2), "TOTAL VIEWS=[2]: USE ANALYSIS MENU TO CHANGE") << round;
    EXPECT_EQ(Win.ViewKind[0][0], VIEW_KIND_AVE) << round;
    const double pages = chooseKind ? 1.0 : 2.0;
    EXPECT_DOUBLE_EQ(Win.X_PAGES[0], pages) << round;
    ASSERT_TRUE(std::filesystem::exists(low)) << round;
    EXPECT_EQ(std::filesystem::file_size(low), static_cast<uintmax_t>(pages * Win.Page_Pixels * 4)) << round;
  }
  InDialog([](HWND d) { EXPECT_EQ(drv::Text(d, IDC_AO_PAGES + 0), "2.000"); });
  drv::PumpUntil([] { return !ProgramWorkersBusy(); }, 60000);
  DisplayViewArraysFree(0);
}

TEST_F(AnalysisOptionsTest, UnitsChoiceConvertsHitranSets) {
  double frq[2] = {1.0, 2.0};
  float air[2] = {0.1f, 0.2f};
  Sim.HT_Global_Stat[3] = 1;
  Sim.HT_MHz_Stat[3] = 0;  // held in cm-1
  Sim.FI_Lines[3] = 2;
  Sim.FI_Sim_Erg[3] = frq;
  Sim.HT_Air_Gamma[3] = air;
  InDialog([](HWND d) {
    drv::SelectRow(d, IDC_AO_UNITS, 0);  // MHz
    EXPECT_STREQ(Dsp.Units_Txt, "MHz");
    drv::SelectRow(d, IDC_AO_UNITS, 1);  // CM-1
    EXPECT_STREQ(Dsp.Units_Txt, "CM-1");
    EXPECT_EQ(Dsp.Units_Idx, 1);
  });
  EXPECT_EQ(Sim.HT_MHz_Stat[3], 0u);
  EXPECT_NEAR(frq[1], 2.0, 1e-12);  // there and back
  EXPECT_NEAR(Sim.HT_FrqLim[3], 20.0, 1e-9);
  SimHTUnitsConvert(3, 1);  // already cm-1: nothing to do
  EXPECT_NEAR(frq[0], 1.0, 1e-12);
  // The readout unit alone (the 'u' key) does not move the sets off the data axis.
  Dsp.Units_Idx = 0;
  SimHTUnitsConvert(-1, 0);
  EXPECT_EQ(Sim.HT_MHz_Stat[3], 0u);
  EXPECT_NEAR(frq[0], 1.0, 1e-12);
  StrCopy(Dsp.Units_Txt, "MHz");
  SimHTUnitsConvert(-1, 0);
  EXPECT_EQ(Sim.HT_MHz_Stat[3], 1u);
  EXPECT_NEAR(frq[0], HT_MHZ_PER_CM1, 1e-9);
  EXPECT_NEAR(air[1], 0.2 * HT_MHZ_PER_CM1, 1e-2);
  // Nanometres: mode 0 converts nothing and says why.
  StrCopy(Dsp.Units_Txt, "NM");
  SimHTUnitsConvert(3, 0);
  EXPECT_EQ(Sim.HT_MHz_Stat[3], 1u);
  EXPECT_NEAR(frq[0], HT_MHZ_PER_CM1, 1e-9);
  EXPECT_EQ(drv::StatusText(Win.hWnd_StatusBar, 3), "[D] SIM [NoName] - [NM] UNITS NOT VALID FOR HITRAN");
  // Mode 1 (before a file is written) still brings a set held in MHz back to cm-1, so
  // a file never receives MHz values.
  SimHTUnitsConvert(3, 1);
  EXPECT_EQ(Sim.HT_MHz_Stat[3], 0u);
  EXPECT_NEAR(frq[0], 1.0, 1e-9);
  Sim.FI_Sim_Erg[3] = nullptr;
  Sim.HT_Air_Gamma[3] = nullptr;
}

TEST_F(AnalysisOptionsTest, TransformBoxOpensTheChildWindowsAndTheTimeWindowShowsTheTimeFile) {
  StrCopy(Dsp.Chn_Flnm[2], "t2.bin");
  std::string trace;
  for (int i = 0; i < 500; ++i) {
    const float v = static_cast<float>(std::sin(0.3 * i));
    trace.append(reinterpret_cast<const char*>(&v), sizeof v);
  }
  WriteAll(Path("t2.bin"), trace);
  InDialog([this](HWND d) {
    drv::SetCheck(d, IDC_AO_TRANSFORM + 2, true);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(Win.Child_Created[2][k], 1u) << k;
    EXPECT_TRUE(IsWindow(Win.hWnd_Child[2][0]));
    EXPECT_EQ(Trans.Trans_Stat[2], 1u);
    EXPECT_EQ(Cnl.Time_Stat[2][0], 1u);
    EXPECT_STREQ(Trans.Trans_TimeFlnm[2], "t2.bin");
    // The time window read its file as it opened: the first FFT transforms it.
    EXPECT_EQ(Cnl.Pt_Cnt[2][0], 500u);
    ASSERT_TRUE(drv::SetCheck(Trans.Trans_Dlg_Hwnd[2], IDC_FT_FFT, true));
    EXPECT_EQ(Trans.Trans_Fft_Flag[2], 1u);
    EXPECT_TRUE(Texts().empty());
    drv::SetCheck(d, IDC_AO_TRANSFORM + 2, false);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(Win.Child_Created[2][k], 0u) << k;
    EXPECT_EQ(Win.hWnd_Child[2][0], nullptr);
  });
  if (Trans.Trans_Dlg_Hwnd[2] && IsWindow(Trans.Trans_Dlg_Hwnd[2])) DestroyWindow(Trans.Trans_Dlg_Hwnd[2]);
  TransChannelFree(2);
  DFree1Dim(&Cnl.Y_Draw_DAry1[2][0]);
  Trans = TransRecord{};
}

}  // namespace

namespace {

TEST_F(AnalysisOptionsTest, TransformBoxShowsAndHidesTheChannelsTransformDialog) {
  Trans = TransRecord{};
  StrCopy(Dsp.Chn_Flnm[2], "chan2.bin");
  Dsp.FL_SZ[WIN_RAW][2] = 1234;
  InDialog([](HWND d) {
    ASSERT_TRUE(drv::SetCheck(d, IDC_AO_TRANSFORM + 2, true));
    EXPECT_EQ(Trans.Trans_Dlg_Wanted[2], 1u);
    HWND t = Trans.Trans_Dlg_Hwnd[2];
    ASSERT_TRUE(t && IsWindow(t));
    EXPECT_TRUE(IsWindowVisible(t));
    EXPECT_EQ(drv::Text(t, IDC_FT_TIMEFLNM), "chan2.bin");
    EXPECT_EQ(Trans.Trans_TimeSz[2], 1234u);
    ASSERT_TRUE(drv::SetCheck(d, IDC_AO_TRANSFORM + 2, false));
    EXPECT_FALSE(IsWindowVisible(t));
    EXPECT_EQ(Trans.Trans_Dlg_Wanted[2], 0u);
    ASSERT_TRUE(drv::SetCheck(d, IDC_AO_TRANSFORM + 2, true));
  });
  // The modeless dialog outlives the analysis options.
  HWND t = Trans.Trans_Dlg_Hwnd[2];
  ASSERT_TRUE(t && IsWindow(t));
  EXPECT_TRUE(IsWindowVisible(t));
  DestroyWindow(t);
  Trans = TransRecord{};
}

// OPEN of a file in a folder whose name differs from the data folder's only in case:
// both folders exist, so it is another folder's file, offered for copying, and the
// channel takes the copy, not the data folder's own file of that name.
TEST_F(AnalysisOptionsTest, OpenOfAFileInAFolderThatDiffersOnlyInCaseOffersToCopyIt) {
  std::filesystem::create_directory(Path("data"));
  std::filesystem::create_directory(Path("DATA"));
  DataFile("data/special.bin", 32000);
  DataFile("DATA/special.bin", 2000);
  StrCopy(Dsp.Data_Dir, Path("data").c_str());
  std::filesystem::current_path(Path("data"));
  chosen_.push_back(Path("DATA/special.bin"));
  answers_ = {IDYES, IDYES};
  Dsp.Chn_Sel = 4;
  InDialog([](HWND d) {
    drv::Click(d, IDC_AO_OPEN);
    EXPECT_EQ(drv::Text(d, IDC_AO_FILENAME + 4), "special.bin");
    EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][4], 2000u);
  });
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "FILE [" + Path("DATA") + "] MUST BE IN CURRENT FOLDER [" + Path("data") +
                             "]!\n\nCOPY TO CURRENT FOLDER [YES] | ABORT [NO]?",
                         "FILE EXITS [" + Path("data") + "\\special.bin]\n\nOVERWRITE [YES] | ABORT [NO]?",
                     }));
  EXPECT_EQ(std::filesystem::file_size(Path("data/special.bin")), 2000u * 4u);
}

// A file the user may not write is kept, whoever runs the test: SAVE QVW over a
// write-protected working file warns as a file that cannot be created does, and so
// does an operation of a command file whose output is write-protected.
TEST_F(AnalysisOptionsTest, WriteProtectedFilesAreNotReplaced) {
  StrCopy(Dsp.Work_Flnm, "run.QVW");
  WriteAll(Path("run.QVW"), "old contents\r\n");
  DataFile("abs.bin", 100);
  WriteAll(Path("out.bin"), "1234");
  for (const char* name : {"run.QVW", "out.bin"})
    std::filesystem::permissions(Path(name), std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                                 std::filesystem::perms::others_read);
  WriteAll(Path("OpASeq100.dat"), "SCALE\r\n-1 abs.bin out.bin 2.0\r\n");
  const auto before = qvtest::FileNames(dir_.Path());
  {
    qvtest::NoFileOverride user;
    chosen_.push_back(Path("run.QVW"));
    answers_ = {IDYES};  // replace it
    InDialog([](HWND d) { drv::Click(d, IDC_AO_SAVE_QVW); });
    answers_ = {IDCANCEL};  // run the command file as it is
    EXPECT_EQ(CnvOperationSequence(nullptr), 1u);
  }
  // The save's own overwrite question, its warning; the run question, the operation's
  // warning and the end of the run.
  const std::vector<std::string> texts = Texts();
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[1], "FAILED TO CREATE ASCII FILE [run.QVW] FOR WRITING\n\nRETURNING TO PROGRAM");
  EXPECT_EQ(texts[3], "OSIFile()\n\nCASE ID=[2005]\n\nFAILED TO CREATE BINARY FILE=[out.bin] FOR WRITING\n\nABORTING");
  EXPECT_EQ(ReadAll(Path("run.QVW")), "old contents\r\n");
  EXPECT_EQ(ReadAll(Path("out.bin")), "1234");
  auto after = qvtest::FileNames(dir_.Path());
  after.erase(std::remove(after.begin(), after.end(), "OpSeq.log"), after.end());
  EXPECT_EQ(after, before);  // no temporary file is left
}

// OPEN of a file of another folder whose copy cannot replace the data folder's
// write-protected file of that name: the failure is told and the channel keeps its
// own file, not the data folder's other file of the chosen name.
TEST_F(AnalysisOptionsTest, OpenWhoseCopyOntoAWriteProtectedFileFailsKeepsTheChannelsFile) {
  std::filesystem::create_directory(Path("other"));
  DataFile("other/special.bin", 2000);
  DataFile("special.bin", 32000);
  DataFile("abs.bin", 100);
  std::filesystem::permissions(Path("special.bin"), std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::group_read |
                                                        std::filesystem::perms::others_read);
  StrCopy(Dsp.Chn_Flnm[4], "abs.bin");
  Dsp.FL_SZ[WIN_RAW][4] = 100;
  Dsp.Chn_Sel = 4;
  chosen_.push_back(Path("other/special.bin"));
  answers_ = {IDYES, IDYES};  // copy, and over the data folder's file
  qvtest::NoFileOverride user;
  InDialog([](HWND d) {
    drv::Click(d, IDC_AO_OPEN);
    EXPECT_EQ(drv::Text(d, IDC_AO_FILENAME + 4), "abs.bin");
  });
  EXPECT_STREQ(Dsp.Chn_Flnm[4], "abs.bin");
  EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][4], 100u);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "FILE [" + Path("other") + "] MUST BE IN CURRENT FOLDER [" + dir_.Path().string() +
                             "]!\n\nCOPY TO CURRENT FOLDER [YES] | ABORT [NO]?",
                         "FILE EXITS [" + dir_.Path().string() + "\\special.bin]\n\nOVERWRITE [YES] | ABORT [NO]?",
                         "FILE COPY FAILED",
                     }));
  EXPECT_EQ(std::filesystem::file_size(Path("special.bin")), 32000u * 4u);
}

// A name or text that the working file cannot hold is refused where it is entered, with
// a box that names it, and the old value stays: the analysis options' file name edit,
// OPEN and comment, the FILE NAME edit of the simulation control, a CHNSUB line of an
// operation sequence. The values kept write a working file that reads back.
TEST_F(AnalysisOptionsTest, TextsTheWorkingFileCannotHoldAreRefusedWhereTheyAreEntered) {
  DataFile("run 2.bin", 100);
  chosen_.push_back(Path("run 2.bin"));
  Dsp.Chn_Sel = 3;
  InDialog(
      [](HWND d) {
        drv::TypeAndCommit(d, IDC_AO_FILENAME + 4, "my scan.bin");
        EXPECT_EQ(drv::Text(d, IDC_AO_FILENAME + 4), "Nothing");
        drv::Click(d, IDC_AO_OPEN);
        EXPECT_EQ(drv::Text(d, IDC_AO_FILENAME + 3), "Nothing");
        drv::TypeText(d, IDC_AO_COMMENT, "#3 RUN AT 77 K");
        drv::Click(d, IDC_AO_APPLY);
        EXPECT_EQ(drv::Text(d, IDC_AO_COMMENT), "INFORMATION");
        drv::TypeAndCommit(d, IDC_AO_FILENAME + 5, " run#5.bin ");  // taken without the blanks around it
      },
      IDOK);
  ASSERT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
  drv::TypeAndCommit(Sim.Ctl_Hwnd, IDC_SC_FILE, "band 1");
  EXPECT_EQ(drv::Text(Sim.Ctl_Hwnd, IDC_SC_FILE), "NoName");
  DestroyWindow(Sim.Ctl_Hwnd);
  WriteAll(Path("OpASeq100.dat"), "CHNSUB\r\n6 #6.bin 2.0\r\n");
  EXPECT_EQ(CnvOperationSequence(nullptr), 1u);

  const std::string kept = "\n\nTHE WORKING FILE CANNOT STORE IT\n\nKEEPING ";
  std::vector<std::string> refusals;
  for (const std::string& text : Texts())
    if (text.find("CANNOT STORE") != std::string::npos) refusals.push_back(text);
  EXPECT_EQ(refusals, (std::vector<std::string>{
                          "CHN [4] FILENAME [my scan.bin] HOLDS A BLANK" + kept + "[Nothing]",
                          "CHN [3] FILENAME [run 2.bin] HOLDS A BLANK" + kept + "[Nothing]",
                          "COMMENT [#3 RUN AT 77 K] BEGINS WITH #" + kept + "[INFORMATION]",
                          "[A] SIM [NoName]\n\nFILENAME [band 1] HOLDS A BLANK" + kept + "[NoName]",
                          "CHN [6] FILENAME [#6.bin] BEGINS WITH #" + kept + "[Nothing]",
                      }));
  for (int c : {3, 4, 6}) EXPECT_STREQ(Dsp.Chn_Flnm[c], "Nothing");
  EXPECT_EQ(Dsp.Chn_Scalar[6], DspRecord{}.Chn_Scalar[6]);  // the refused line set nothing
  EXPECT_STREQ(Dsp.Work_Comment, "INFORMATION");
  EXPECT_STREQ(Sim.Sim_Flnm[0], "NoName");

  StrCopy(Dsp.Work_Flnm, "run.QVW");
  ASSERT_EQ(WorkFileWrite(), 1);
  StrCopy(Dsp.Chn_Flnm[5], "other.bin");
  EXPECT_EQ(WorkFileReadPelkNew(), 1);
  EXPECT_STREQ(Dsp.Chn_Flnm[5], "run#5.bin");
}

}  // namespace
