#include "app/MainWindow.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "app/ModelDialogs.h"
#include "app/WorkFile.h"
#include "app/Startup.h"
#include "core/PathFile.h"
#include "convert/AomCalibrationDialog.h"
#include "convert/AsciiInputDialog.h"
#include "convert/CalNormLinDialog.h"
#include "convert/FileConversionDialog.h"
#include "convert/FtmwDialog.h"
#include "convert/OpSeq.h"
#include "core/MsgWindow.h"
#include "fit/NLLsf.h"
#include "core/Repaint.h"
#include "core/Threads.h"
#include "display/FileDialogs.h"
#include "display/Paint.h"
#include "display/Print.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/WindowInternal.h"
#include "platform/windows/Menu.h"
#include "platform/gdi/Gdi.h"
#include "platform/driver/TestDriver.h"
#include "records/Cnv.h"
#include "records/Locks.h"
#include "records/MathConst.h"
#include "records/ThreadCtl.h"
#include "resources/Dialogs.h"
#include "resources/Menus.h"
#include "sim/SimDialogs.h"
#include "support/LsfReset.h"
#include "support/NoFileOverride.h"

namespace {

namespace drv = platform::driver;

int paints = 0;

// Floats as a headerless data file, and back.
void WriteFloats(const std::string& path, const std::vector<float>& values) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * sizeof(float)));
}
std::vector<float> ReadFloats(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<float> values(bytes.size() / sizeof(float));
  if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
  return values;
}

LRESULT CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++paints;
  return MainWndProc(window, message, wParam, lParam);
}

class MainWindowTest : public qvtest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    paints = 0;
    ASSERT_NE(InitApplication(nullptr), 0);
    ASSERT_EQ(InitInstance(nullptr, SW_SHOWNORMAL), 1);
    drv::PumpUntilIdle();  // the first paint runs the start-up
    // The start-up starts the view-file run: let it end before the commands are tried.
    drv::PumpUntil([] { return ThreadCtl.View_Busy == 0 && ThreadCtl.View_Running == 0; });
    drv::PumpUntilIdle();
    MainStatusText(0, "");
    SetWindowLongPtr(Win.hWnd_Main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc));
    paints = 0;
    platform::ClearBoxLog();
  }
  void TearDown() override {
    if (Dsp.Msg_Hwnd && IsWindow(Dsp.Msg_Hwnd)) DestroyWindow(Dsp.Msg_Hwnd);
    if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) DestroyWindow(Win.hWnd_Main);
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClass(MAIN_CLASS_NAME, nullptr);
    AppTest::TearDown();
  }
  void ActiveChannel(int16_t c) {
    Win.Active_Chn = c;
    Dsp.Chn_Scalar[c] = 1.0;
  }
  // Channel c active at the raw level: size points from f0 in steps of step.
  void RawChannel(int16_t c, uint32_t size, double step, double f0) {
    ActiveChannel(c);
    Dsp.FL_SZ[3][c] = size;
    Win.View_Level = 3;
    Dsp.Pts2Pxl[3] = 1.0;
    Dsp.FrqStpView[3] = step;
    Dsp.Init_Frq = f0;
  }
  // Set A of `lines` lines of intensity 1, from a tenth of the points on and 15 % of
  // the points apart, over their absorption (peak 50, Lorentzian half-width 2 points)
  // in "absorption.bin" of `points` points, one point a frequency unit; the Voigt fit dialog of set A shown
  // and set to fit all its lines to the whole file. Null when it could not be shown.
  HWND VoigtFitOfSetA(uint32_t lines, int points) {
    Dsp.Init_Frq = 0.0;
    for (auto& p : Dsp.Pts2Pxl) p = 1.0;
    for (auto& step : Dsp.FrqStpView) step = 1.0;
    Sim.FI_Lines[0] = lines;
    if (DAlloc1Dim(&Sim.FI_Sim_Erg[0], lines) != 1 || FAlloc1Dim(&Sim.FI_Sim_Itn[0], lines) != 1) return nullptr;
    std::vector<float> absorption(static_cast<size_t>(points), 0.0f);
    for (uint32_t j = 0; j < lines; ++j) {
      const double centre = points / 10 + 3 * points / 20 * static_cast<int>(j);
      Sim.FI_Sim_Erg[0][j] = centre;
      Sim.FI_Sim_Itn[0][j] = 1.0f;
      for (int i = -200; i <= 200; ++i)
        absorption[static_cast<size_t>(centre + i)] = static_cast<float>(50.0 / (1.0 + i * i / 4.0));
    }
    WriteFloats(Path("absorption.bin"), absorption);
    if (LsfVoigtDialogShow(0, 1, Win.hWnd_Main) != 1u) return nullptr;
    Sim.Dlg_Req[SIM_DLG_VOIGT][0] = 1;
    HWND fit = Sim.Dlg_Hwnd[SIM_DLG_VOIGT][0];
    const bool typed = drv::TypeAndCommit(fit, fit_ids::kFile, "absorption.bin") &&
                       drv::TypeAndCommit(fit, fit_ids::kPtEnd, std::to_string(points)) &&
                       drv::TypeAndCommit(fit, fit_ids::kLnEnd, std::to_string(lines - 1));
    return typed ? fit : nullptr;
  }
  bool QuitPosted() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
      if (msg.message == WM_QUIT) return true;
    return false;
  }
};

TEST_F(MainWindowTest, StartUpRanOnceInTheFirstPaint) {
  EXPECT_EQ(Dsp.Init_Done, 1u);
  EXPECT_DOUBLE_EQ(MathConst.Pi, 4.0 * std::atan(1.0));
  EXPECT_NE(Win.PM_DrawAry, nullptr);
  EXPECT_NE(Win.Big_DrawAry, nullptr);
  for (float* array : Win.P_DrawAry) EXPECT_NE(array, nullptr);
  EXPECT_NE(Sim.Pen[3], nullptr);
  EXPECT_NE(Dsp.Brush[10], nullptr);
  EXPECT_EQ(Sim.COLOR_NO[4], 5);
  EXPECT_EQ(Win.Bg_Brush_Idx, 10);  // white paper
  EXPECT_EQ(Win.Fg_Pen_Idx, 0);
  EXPECT_TRUE(IsWindow(Dsp.Msg_Hwnd));
  EXPECT_FALSE(IsWindowVisible(Dsp.Msg_Hwnd));
  EXPECT_EQ(Dsp.Msg_Shown, 0u);
  float* before = Win.PM_DrawAry;
  RepaintWindow("TEST", Win.hWnd_Main, TRUE);
  EXPECT_EQ(Win.PM_DrawAry, before);  // not run again
}

TEST_F(MainWindowTest, ToolbarStatusBarAndMenus) {
  ASSERT_NE(Win.hWnd_ToolBar, nullptr);
  std::vector<int> commands;
  for (int i = 0; i < platform::ToolbarButtonCount(Win.hWnd_ToolBar); ++i)
    commands.push_back(platform::ToolbarCommand(Win.hWnd_ToolBar, i));
  EXPECT_EQ(commands, (std::vector<int>{90, 91, 93, 92, 71, 72, 74, 73, 76, 75, 77, 78, 79, 80, 81, 82, 83}));
  EXPECT_EQ(platform::StatusPartCount(Win.hWnd_StatusBar), 4);
  // The first three parts fit the main window's first size: the view count of part 2
  // shows whole.
  int edges[4] = {};
  SendMessage(Win.hWnd_StatusBar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges));
  RECT client{};
  GetClientRect(Win.hWnd_Main, &client);
  EXPECT_LE(edges[2], client.right);
  std::vector<UINT> menu = platform::MenuCommands(GetMenu(Win.hWnd_Main));
  EXPECT_EQ(menu, (std::vector<UINT>{90, 91, 102, 101, 115, 92, 93, 94, 95, 96, 100, 107, 113, 116, 106, 103, 104, 130,
                                     97, 98}));
  HMENU right = LoadMenu(nullptr, MAKEINTRESOURCE(IDM_RIGHT_CLICK));
  EXPECT_EQ(platform::MenuCommands(GetSubMenu(right, 0)),
            (std::vector<UINT>{10017, 10019, 10020, 10022, 10021, 10023}));
  DestroyMenu(right);
}

TEST_F(MainWindowTest, OnlyAViewCommandsOneRepaints) {
  // No active channel: the view commands answer 0, nothing is repainted.
  for (int id : {IDT_SCALE_UP, IDT_SCALE_DOWN, IDT_EXPAND, IDT_CONTRACT, IDT_FORWARD, IDT_BACK, IDT_MARK_LOW})
    EXPECT_TRUE(drv::ClickToolbarButton(Win.hWnd_ToolBar, id));
  EXPECT_TRUE(drv::PressKey(Win.hWnd_Main, VK_LEFT));
  EXPECT_TRUE(drv::TypeChar(Win.hWnd_Main, 's'));
  EXPECT_EQ(paints, 0);

  ActiveChannel(0);
  EXPECT_TRUE(drv::ClickToolbarButton(Win.hWnd_ToolBar, IDT_SCALE_UP));
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(Dsp.Chn_Scalar[0], 2.0);
  EXPECT_TRUE(drv::TypeChar(Win.hWnd_Main, 's'));
  EXPECT_EQ(paints, 2);
  EXPECT_EQ(Win.Cursor_Step, 10.0);
  // With an active channel every key answers 1, also one without an action.
  EXPECT_TRUE(drv::TypeChar(Win.hWnd_Main, 'q'));
  EXPECT_EQ(paints, 3);
  // A double click repaints whatever the answer.
  EXPECT_TRUE(drv::MouseClick(Win.hWnd_Main, drv::Mouse::LeftDouble, 30, 80));
  EXPECT_GE(paints, 4);
  EXPECT_EQ(Win.Cursor_X, 30);
}

TEST_F(MainWindowTest, MouseReadoutAndShiftClickScrolls) {
  drv::MouseMove(Win.hWnd_Main, 40, 90);
  EXPECT_EQ(drv::StatusText(Win.hWnd_StatusBar, 0), "");  // no active channel
  RawChannel(1, 100000, 1.0, 500.0);
  drv::MouseMove(Win.hWnd_Main, 40, 90);
  EXPECT_TRUE(drv::MatchPattern("[1] X(MHz) 540.0000 *Pt     40", drv::StatusText(Win.hWnd_StatusBar, 0)));
  Win.Page_Start = 5000;
  Win.Page_Width = 1000;
  drv::MouseClick(Win.hWnd_Main, drv::Mouse::Left, 40, 90, /*shift=*/true);
  EXPECT_EQ(Win.Page_Start, 4500);  // half a window back, the cursor stays
  EXPECT_EQ(Win.Mouse_Down, 0u);
}

// At the main window's first size every status part shows its text whole: the mouse
// readout (part 0) and the paint readout (part 1) at point 24,037 with their Y fields
// and the relative mark, beside the messages the start-up leaves in parts 2 and 3.
TEST_F(MainWindowTest, StatusPartsShowReadoutsAndMessagesWholeAtTheFirstSize) {
  RECT window{};
  GetWindowRect(Win.hWnd_Main, &window);
  EXPECT_EQ(window.right - window.left, 1024);
  RawChannel(2, 32000, 0.375, 75000.0);
  Dsp.Chn_Offset[2] = -0.3;
  Win.Page_Start = 24000;
  Win.Rel_On = 1;
  drv::MouseMove(Win.hWnd_Main, 37, 200);
  DisplayCursorReadout(nullptr, 37, 200);
  MainStatusText(2, "TOTAL VIEWS=[3]: USE ANALYSIS MENU TO CHANGE");
  MainStatusText(3, "WORK FILE VERSION [v6.02.00]");
  EXPECT_TRUE(drv::MatchPattern("[2] X(MHz) 84013.8750 * Y *Pt  24037(REL)", drv::StatusText(Win.hWnd_StatusBar, 0)));
  EXPECT_TRUE(drv::MatchPattern("[2] X(MHz) 84013.8750 * Y *Pt  24037(REL)", drv::StatusText(Win.hWnd_StatusBar, 1)));
  for (int part = 0; part < 4; ++part)
    EXPECT_TRUE(platform::StatusTextShownWhole(Win.hWnd_StatusBar, part))
        << part << ": " << drv::StatusText(Win.hWnd_StatusBar, part);
}

TEST_F(MainWindowTest, ExitWithNothingModifiedEndsTheProgram) {
  HWND main = Win.hWnd_Main;
  Sim.Upd_Stat = 1;
  EXPECT_TRUE(drv::ChooseCommand(main, IDM_EXIT));
  EXPECT_EQ(Sim.Upd_Stat, 0u);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_TRUE(QuitPosted());
  for (int row = 1; row <= 9; ++row) EXPECT_EQ(Sim.Pen[row], nullptr);
  EXPECT_NE(Sim.Pen[0], nullptr);  // rows 0 and 10 stay
  EXPECT_TRUE(platform::BoxLog().empty());
}

// Update+Exit with a modified set whose simulation file the user may not write: the
// failure is told and the program stays, with the set still modified and the working
// file not written; Update+Exit answered UPDATE NONE then ends it.
TEST_F(MainWindowTest, UpdateExitStaysWhenASimulationCannotBeWritten) {
  SimFile("setA");
  StrCopy(Sim.Sim_Flnm[0], "setA");
  ASSERT_EQ(SimFIReadQVS(0, &Sim, 0, 1), 1);
  Sim.Sim_Modified[0] = 1;  // an edit of its lines
  StrCopy(Dsp.Work_Flnm, "run.QVW");
  namespace fs = std::filesystem;
  fs::permissions(Path("setA.QVS"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string before = ReadAll(Path("setA.QVS"));
  HWND main = Win.hWnd_Main;
  qvtest::NoFileOverride user;
  {
    drv::Answers answers;
    answers.Box("Question", "SIMS MODIFIED\n   [A] SIM [setA]\n*", IDYES)
        .Box("Warning", "[A] SIM [setA]\n\nFAILED TO WRITE QVS FILE\n\nABORTING", IDOK)
        .Box("Warning", "[A] SIM [setA]\n\nFAILED TO UPDATE QVS SIM", IDOK);
    EXPECT_TRUE(drv::ChooseCommand(main, IDM_UPDATE_EXIT));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
  }
  EXPECT_TRUE(IsWindow(main));
  EXPECT_EQ(Sim.Sim_Modified[0], 1u);
  EXPECT_EQ(Sim.FI_Lines[0], 1u);
  EXPECT_TRUE(platform::CommonDialogLog().empty());  // no save dialog
  EXPECT_FALSE(fs::exists(Path("run.QVW")));
  EXPECT_EQ(ReadAll(Path("setA.QVS")), before);

  drv::Answers answers;
  answers.Box("Question", "SIMS MODIFIED\n   [A] SIM [setA]\n*", IDNO).File(Path("run.QVW"));
  EXPECT_TRUE(drv::ChooseCommand(main, IDM_UPDATE_EXIT));
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_FALSE(IsWindow(main));
  EXPECT_TRUE(QuitPosted());
  EXPECT_TRUE(fs::exists(Path("run.QVW")));
}

TEST_F(MainWindowTest, ClosingTheWindowTurnsTheUpdateFlagOn) {
  HWND main = Win.hWnd_Main;
  SendMessage(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(Sim.Upd_Stat, 1u);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_TRUE(QuitPosted());
}

// Closing the program while an operation sequence runs (also after a command cleared
// its running flag) ends the sequence at its next command first: its thread has ended
// and its log is written when the window goes.
TEST_F(MainWindowTest, ClosingWhileASequenceRunsEndsItFirstWithItsLog) {
  Cnv = CnvRecord{};
  StrCopy(Dsp.Data_Dir, dir_.Path().c_str());  // the folder the sequence works in
  const DWORD sleepLimit = platform::SetSleepLimit(0);
  WriteAll(Path("a.bin"), std::string(12, '\0'));
  std::string commands;
  for (int i = 0; i < 3000; ++i) commands += "SQR\r\n-1 a.bin b?.bin\r\n";
  WriteAll(Path("OpASeq100.dat"), commands);
  ThreadCtl.OpSeq_Alive = 1;
  ThreadCtl.OpSeq_Running = 1;
  ASSERT_EQ(FunctionThreadCreate(&CnvOperationSequence), 1);
  HANDLE thread = ThreadCtl.OpSeq_Thread;
  ASSERT_TRUE(drv::PumpUntil([&] { return std::filesystem::exists(Path("b100.bin")); }, 60000));
  // A failed pool alignment clears the running flag while the sequence goes on.
  ThreadCtl.OpSeq_Running = 0;
  EXPECT_TRUE(ProgramWorkersBusy());
  HWND main = Win.hWnd_Main;
  SendMessage(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
  EXPECT_EQ(ThreadCtl.OpSeq_Alive, 0u);
  const std::string log = ReadAll(Path("OpSeq.log"));
  EXPECT_EQ(log.rfind("OPSEQ LINE=[SQR]\r\n", 0), 0u);
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
  platform::SetSleepLimit(sleepLimit);
}

// File/Open and File/Save into another folder while a sequence waits at its block
// question are refused with a warning: the sequence, answered afterwards, works on the
// files of its own folder only, and those of the other folder stay as they were. A save
// into the data folder goes on.
TEST_F(MainWindowTest, OpenAndSaveElsewhereAreRefusedWhileASequenceRuns) {
  Cnv = CnvRecord{};
  const DWORD sleepLimit = platform::SetSleepLimit(0);
  std::filesystem::create_directory(Path("b"));
  WriteFloats(Path("big.bin"), {1, 2, 3, 4});
  WriteFloats(Path("b/big.bin"), {5, 6, 7, 8});
  WriteAll(Path("OpASeq100.dat"),
           "START [-X] scale\r\nSCALE\r\n-1 big.bin big.bin 2.0\r\nOFFSET\r\n-1 big.bin off3?.bin 1.0\r\n");
  StrCopy(Dsp.Work_Flnm, "run.QVW");
  const std::string folder = Dsp.Data_Dir;
  std::atomic<bool> asked{false}, answer{false};
  std::mutex boxesLock;
  std::vector<std::string> boxes;
  const platform::BoxAnswerer previous = platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    if (box.text.find("EDIT USING") != std::string::npos) return IDCANCEL;  // run it as it is
    if (box.text.find("PERFORM OPERATION(S)") != std::string::npos) {        // on the sequence's thread
      asked = true;
      while (!answer) Sleep(1);
      return IDYES;
    }
    if (box.text.find("SKIP REGIONS") != std::string::npos) return IDNO;  // OFFSET: all values
    const std::lock_guard<std::mutex> lock(boxesLock);
    boxes.push_back(box.caption + StrPrintf("|%04X|", box.style) + box.text);
    return IDOK;
  });
  chosen_ = {Path("b/run.QVW"), Path("run.QVW")};  // the two saves
  ThreadCtl.OpSeq_Alive = 1;
  ThreadCtl.OpSeq_Running = 1;
  ASSERT_EQ(FunctionThreadCreate(&CnvOperationSequence), 1);
  ASSERT_TRUE(drv::PumpUntil([&] { return asked.load(); }, 60000));

  EXPECT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_OPEN));
  EXPECT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_SAVE));  // into b: refused
  EXPECT_FALSE(std::filesystem::exists(Path("b/run.QVW")));
  EXPECT_EQ(std::string(Dsp.Data_Dir), folder);
  EXPECT_STREQ(Dsp.Work_Flnm, "run.QVW");
  EXPECT_EQ(std::filesystem::current_path(), dir_.Path());
  EXPECT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_SAVE));  // into the data folder
  EXPECT_TRUE(std::filesystem::exists(Path("run.QVW")));
  EXPECT_EQ(platform::CommonDialogLog().size(), 2u);  // no open dialog

  answer = true;
  ASSERT_TRUE(drv::PumpUntil([] { return ThreadCtl.OpSeq_Alive == 0; }, 60000));
  WaitForSingleObject(ThreadCtl.OpSeq_Thread, 60000);
  platform::SetBoxAnswerer(previous);
  platform::SetSleepLimit(sleepLimit);
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       "Warning|1030|OPSEQ THREAD RUNNING\n\nNO WORKING FILE OPENED UNTIL IT ENDS\n\nABORTING",
                       "Warning|1030|OPSEQ THREAD RUNNING\n\nWORKING FILE SAVED INTO DATA FOLDER [" + folder +
                           "] ONLY UNTIL IT ENDS\n\nABORTING"}));
  EXPECT_EQ(ReadFloats(Path("big.bin")), (std::vector<float>{2, 4, 6, 8}));
  EXPECT_EQ(ReadFloats(Path("off3100.bin")), (std::vector<float>{3, 5, 7, 9}));
  EXPECT_EQ(ReadFloats(Path("b/big.bin")), (std::vector<float>{5, 6, 7, 8}));
  EXPECT_FALSE(std::filesystem::exists(Path("b/off3100.bin")));
}

// File/Open while a Voigt fit of set A runs, started from its dialog: the fit stops
// first, storing nothing, and writes its log in its own folder; the opened working
// file's set A keeps its own widths.
TEST_F(MainWindowTest, OpenStopsARunningFitFirst) {
  qvtest::ResetLsf();
  // The working file b/demo.QVW: set A without a simulation file, of widths 3.0 and 8.0.
  std::filesystem::create_directory(Path("b"));
  Sim.LS_GAU[0] = 3.0;
  Sim.LS_LOR[0] = 8.0;
  StrCopy(Dsp.Data_Dir, Path("b").c_str());
  StrCopy(Dsp.Work_Flnm, "demo.QVW");
  std::filesystem::current_path(Path("b"));
  ASSERT_EQ(WorkFileWrite(), 1);
  StrCopy(Dsp.Data_Dir, dir_.Path().c_str());
  StrCopy(Dsp.Work_Flnm, "run.QVW");
  std::filesystem::current_path(dir_.Path());

  // Set A here: six lines in 200,000 points of absorption.
  HWND fit = VoigtFitOfSetA(6, 200000);
  ASSERT_TRUE(fit);

  drv::Answers answers;
  answers.File(Path("run.QVW")).File(Path("b/demo.QVW"));  // the loaded file saved first
  ASSERT_TRUE(drv::Click(fit, fit_ids::kRun));
  ASSERT_TRUE(NLLsfRunning(0));
  EXPECT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_OPEN));
  EXPECT_FALSE(NLLsfRunning(-1));
  ASSERT_TRUE(NLLsfWait(60000));
  drv::PumpUntilIdle();
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(std::string(Dsp.Data_Dir), Path("b"));
  EXPECT_EQ(Lsf.NL_Result[0], -1);  // stopped
  EXPECT_EQ(Sim.LS_GAU[0], 3.0);
  EXPECT_EQ(Sim.LS_LOR[0], 8.0);
  const std::string log = ReadAll(Path(NLLSF_LOG_NAME));
  EXPECT_EQ(log.rfind("NLLSF VOIGT LOG : SET [0]", 0), 0u) << log;
  EXPECT_NE(log.find("RESULT -1 "), std::string::npos) << log;
  EXPECT_FALSE(std::filesystem::exists(Path(std::string("b/") + NLLSF_LOG_NAME)));
  drv::Click(fit, IDCANCEL);
  DestroyWindow(fit);
  qvtest::ResetLsf();
}

// The saturation fit of the calibration dialog (SATN NLLSF) runs on set A's fit run flag:
// while a fit of set A runs it is refused with a warning, writing nothing, and the fit
// goes on to its result with its widths stored; once that fit has ended it runs.
TEST_F(MainWindowTest, SaturationFitWaitsForTheFitOfSetA) {
  qvtest::ResetLsf();
  Cnl = CnlRecord{};
  Cnv = CnvRecord{};
  HWND fit = VoigtFitOfSetA(1, 2000);
  ASSERT_TRUE(fit);
  Sim.LS_GAU[0] = 3.0;
  Sim.LS_LOR[0] = 8.0;
  // A reference of 2 .. 5 and the signal it saturates, S = 1000 u / (1 + 0.5 u) + 100.
  constexpr int kSatn = 200;
  std::vector<float> reference(kSatn), signal(kSatn);
  for (int i = 0; i < kSatn; ++i) {
    const double u = static_cast<double>(i) / (kSatn - 1);
    reference[static_cast<size_t>(i)] = static_cast<float>(2.0 + 3.0 * u);
    signal[static_cast<size_t>(i)] = static_cast<float>(1000.0 * u / (1.0 + 0.5 * u) + 100.0);
  }
  WriteFloats(Path(Cnl.Satn_PowFlnm), reference);
  WriteFloats(Path(Cnl.Satn_SigFlnm), signal);
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = 0;
  Win.Pt_Lim[0][1] = kSatn;
  const auto saturationFit = [] {
    drv::ModalHandler handler([](HWND dialog, int) {
      EXPECT_TRUE(drv::Click(dialog, IDC_CNL_SATNFIT));
      drv::Click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_CAL_NORM_LIN));
  };

  // The fit stores its values under the renderer's lock: held, it stays running.
  EnterCriticalSection(&SimPlotLock);
  ASSERT_TRUE(drv::Click(fit, fit_ids::kRun));
  saturationFit();
  EXPECT_TRUE(NLLsfRunning(0));
  LeaveCriticalSection(&SimPlotLock);
  EXPECT_EQ(Texts(), std::vector<std::string>{"NON-LINEAR FIT OF SATURATION\n\nFIT OF SET [0] RUNNING\n\nABORTING"});
  EXPECT_FALSE(std::filesystem::exists(Path("SatnNLLLsf.log")));
  EXPECT_EQ(Cnl.Satn_Prm[0], CnlRecord{}.Satn_Prm[0]);
  ASSERT_TRUE(NLLsfWait(60000));
  drv::PumpUntilIdle();
  EXPECT_EQ(Lsf.NL_Result[0], 1);
  EXPECT_EQ(drv::Text(fit, fit_ids::kResult).rfind("CHISQ=", 0), 0u) << drv::Text(fit, fit_ids::kResult);
  EXPECT_NE(Sim.LS_LOR[0], 8.0);

  saturationFit();
  EXPECT_NEAR(Cnl.Satn_Prm[0], 0.5, 1e-4);
  EXPECT_TRUE(std::filesystem::exists(Path("SatnNLLLsf.log")));
  drv::Click(fit, IDCANCEL);
  DestroyWindow(fit);
  qvtest::ResetLsf();
}

TEST_F(MainWindowTest, AboutShowsTheCurrentVersion) {
  drv::Answers answers;
  answers.Box("Info", "v6.02.00", IDOK);
  EXPECT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_ABOUT));
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_TRUE(answers.Failures().empty());
  ASSERT_EQ(platform::BoxLog().size(), 1u);
  EXPECT_EQ(platform::BoxLog()[0].style, 0x1040u);
  EXPECT_EQ(paints, 0);
}

// A marker file named in the calibration dialog's ASCII FLNM: the main window draws a
// line at every marker, the first one too, and none where no marker is.
TEST_F(MainWindowTest, MarkersNamedInTheCalibrationDialogAreDrawnAtTheirPoints) {
  WriteAll(Path("Plain"), "110\n120\n135\n");
  {
    drv::ModalHandler handler([&](HWND dialog, int id) {
      EXPECT_EQ(id, IDD_CAL_NORM_LIN);
      EXPECT_TRUE(drv::TypeAndCommit(dialog, IDC_CNL_MKSNAME, "Plain"));
      EXPECT_TRUE(drv::Click(dialog, IDCANCEL));
    });
    drv::ChooseCommand(Win.hWnd_Main, IDM_CAL_NORM_LIN);
  }
  ASSERT_EQ(Cnl.Mks_Cnt, 3u);
  Dsp.Dsp_Ready = 1;
  Win.View_Level = WIN_RAW;
  Dsp.Pts2Pxl[WIN_RAW] = 1.0;
  Win.Page_Start = 100;
  Win.Pt_Lim[0][0] = 1;  // marker lines on (and a cursor at point 1, off the page)
  RepaintWindow("TEST", Win.hWnd_Main, TRUE);
  drv::PumpUntilIdle();
  HDC dc = GetDC(Win.hWnd_Main);
  const int y = Win.Plot_Y0 + Win.Page_Height / 3;
  const COLORREF paper = GetPixel(dc, 5, y);
  std::vector<int> lines;
  for (int x = 0; x < 50; ++x)
    if (GetPixel(dc, x, y) != paper) lines.push_back(x);
  ReleaseDC(Win.hWnd_Main, dc);
  EXPECT_EQ(lines, (std::vector<int>{10, 20, 35}));
}

TEST_F(MainWindowTest, MenuCommandsOpenTheirDialogsAndMenuTogglesWork) {
  // Conversion and Ascii Output open the FILE CONVERSION dialog; Ascii Output first
  // writes its hint.
  std::vector<int> opened;
  {
    drv::ModalHandler handler([&](HWND dialog, int id) {
      opened.push_back(id);
      EndDialog(dialog, IDCANCEL);
    });
    drv::ChooseCommand(Win.hWnd_Main, IDM_CONVERSION);
    drv::ChooseCommand(Win.hWnd_Main, IDM_ASCII_OUTPUT);
    drv::ChooseCommand(Win.hWnd_Main, IDM_AOM_CAL);
    drv::ChooseCommand(Win.hWnd_Main, IDM_CAL_NORM_LIN);
    drv::ChooseCommand(Win.hWnd_Main, IDM_ASCII_INPUT);
    drv::ChooseCommand(Win.hWnd_Main, IDM_SPECIAL_INPUT);
  }
  EXPECT_EQ(opened, (std::vector<int>{IDD_FILE_CONVERSION, IDD_FILE_CONVERSION, IDD_AOM_CALIBRATION, IDD_CAL_NORM_LIN,
                                      IDD_ASCII_INPUT, IDD_FTMW}));
  EXPECT_EQ(drv::StatusText(Win.hWnd_StatusBar, 2), "USE BIN-2-ASCII DIALOG OPTION");
  // TogglePath flips whether the file dialogs propose the data folder with the name.
  char name[200] = "a.bin";
  drv::ChooseCommand(Win.hWnd_Main, IDM_TOGGLE_PATH);
  EXPECT_EQ(Dsp.Path_Propose, 0u);
  EXPECT_EQ(drv::StatusText(Win.hWnd_StatusBar, 2), "LAST OPEN PATH USED FOR FILE OPEN DIALOG");
  BinaryFileDialog(0, name, sizeof name, nullptr);
  EXPECT_EQ(platform::CommonDialogLog().back().proposed, "a.bin");
  drv::ChooseCommand(Win.hWnd_Main, IDM_TOGGLE_PATH);
  EXPECT_EQ(Dsp.Path_Propose, 1u);
  EXPECT_EQ(drv::StatusText(Win.hWnd_StatusBar, 2), "TITLE BAR PATH USED FOR FILE OPEN DIALOG");
  BinaryFileDialog(0, name, sizeof name, nullptr);
  EXPECT_EQ(platform::CommonDialogLog().back().proposed, std::string(Dsp.Data_Dir) + "\\a.bin");
  drv::ChooseCommand(Win.hWnd_Main, IDM_DEBUG_MSG);
  EXPECT_EQ(Debug.DebugLevel, DEBUG_TOPIC_MESSAGE);
  drv::ChooseCommand(Win.hWnd_Main, IDM_DEBUG_MSG);
  EXPECT_EQ(Debug.DebugLevel, 0);
  drv::ChooseCommand(Win.hWnd_Main, IDM_DEBUG_FILE);
  EXPECT_EQ(drv::StatusText(Win.hWnd_StatusBar, 0), "DEBUG FILE [Qv95_Debug.log] OPEN: LEVEL [108]");
  EXPECT_TRUE(IsWindowVisible(Dsp.Msg_Hwnd));
  EXPECT_EQ(paints, 0);
}

TEST_F(MainWindowTest, RotorDialogHoldsItsHandleAndRepaintsOnOk) {
  StrCopy(OrvPrm.Prog_Path, "/calc/orv95.exe");
  StrCopy(Win.Exe_Path, (dir_.Path() / "qv95").string().c_str());
  int opened = 0;
  drv::ModalHandler handler([&](HWND dialog, int id) {
    ++opened;
    EXPECT_EQ(id, IDD_ORV_OPTIONS);
    EXPECT_EQ(OrvPrm.Dlg_Hwnd, dialog);
    EXPECT_EQ(drv::Text(dialog, IDC_ORV_PROG_PATH), "/calc/orv95.exe");
    // Writing the path file refreshes the open dialog's rotor path.
    OrvPrm.Prog_Mode = 1;
    ExecResourceFile(0);
    EXPECT_EQ(drv::Text(dialog, IDC_ORV_PROG_PATH), "/calc/vespar95.exe");
    drv::Click(dialog, IDOK);
  });
  drv::ChooseCommand(Win.hWnd_Main, IDM_ROT_CALC);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(OrvPrm.Dlg_Hwnd, nullptr);
  EXPECT_EQ(paints, 1);
}

TEST_F(MainWindowTest, CancelledOptionDialogsDoNotRepaint) {
  std::vector<int> seen;
  drv::ModalHandler handler([&](HWND dialog, int id) {
    seen.push_back(id);
    if (id == IDD_GA_OPTIONS) {
      EXPECT_EQ(Ga.Dlg_Hwnd[0], dialog);
    }
    if (id == IDD_FG_OPTIONS) {
      EXPECT_EQ(FgPrm.Dlg_Hwnd, dialog);
    }
    drv::Click(dialog, IDCANCEL);
  });
  drv::ChooseCommand(Win.hWnd_Main, IDM_GENETIC);
  drv::ChooseCommand(Win.hWnd_Main, IDM_VIB_CALC);
  EXPECT_EQ(seen, (std::vector<int>{IDD_GA_OPTIONS, IDD_FG_OPTIONS}));
  EXPECT_EQ(Ga.Dlg_Hwnd[0], nullptr);
  EXPECT_EQ(FgPrm.Dlg_Hwnd, nullptr);
  EXPECT_EQ(paints, 0);
}

TEST_F(MainWindowTest, RightClickShowsTheContextMenu) {
  drv::ChoosePopupItems({IDM_SIM_CONTROL_DLG});
  drv::MouseClick(Win.hWnd_Main, drv::Mouse::Right, 100, 100);
  drv::PumpUntilIdle();
  // The simulation control dialog opens and its flag is stored back from its show
  // call; a plain right press repaints nothing.
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_EQ(Sim.Ctl_Shown, 1u);
  ASSERT_TRUE(Sim.Ctl_Hwnd && IsWindowVisible(Sim.Ctl_Hwnd));
  EXPECT_EQ(paints, 0);
  // The same item again hides it.
  drv::ChoosePopupItems({IDM_SIM_CONTROL_DLG});
  drv::MouseClick(Win.hWnd_Main, drv::Mouse::Right, 100, 100);
  drv::PumpUntilIdle();
  EXPECT_EQ(Sim.Ctl_Shown, 0u);
  EXPECT_FALSE(IsWindowVisible(Sim.Ctl_Hwnd));
  EXPECT_EQ(ContextMenuHit(Win.hWnd_Main, -5, 10), 0);
  // With Shift the right press steps forward and repaints.
  drv::MouseDown(Win.hWnd_Main, drv::Mouse::Right, 100, 100, /*shift=*/true);
  EXPECT_EQ(paints, 1);
}

// Walks a menu by position: "-" for a separator, "text{...}" for a pop-up,
// "text=id" for a command.
std::string MenuLayout(HMENU menu) {
  std::string out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (!out.empty()) out += ' ';
    char text[100] = "";
    GetMenuString(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    if (HMENU sub = GetSubMenu(menu, i)) {
      out += std::string(text) + "{" + MenuLayout(sub) + "}";
    } else if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) {
      out += "-";
    } else {
      out += std::string(text) + "=" + std::to_string(GetMenuItemID(menu, i));
    }
  }
  return out;
}

TEST_F(MainWindowTest, MenuTextsIdsAndSeparators) {
  EXPECT_EQ(MenuLayout(GetMenu(Win.hWnd_Main)),
            "&File{&TogglePath=90 &Open=91 - Ascii &Input=102 &Ascii Output=101 &Special Input=115 - &Print=92 - "
            "&Save=93 Update+&Save=94 E&xit=95 &Update+Exit=96} &Analysis=100 &RotCalc=107 &VibCalc=113 "
            "&Genetic Algorithms=116 &Manipulation{&Cal/Norm/Linear=106 &Conversion=103 &AOM Calibration=104} "
            "&Help{&About=130 &Debug to File=97 &Debug to Message=98}");
  HMENU right = LoadMenu(nullptr, MAKEINTRESOURCE(IDM_RIGHT_CLICK));
  EXPECT_EQ(MenuLayout(right),
            "RIGHT CLICK{&Dsp Scalar/Offset Dialog=10017 - Sim &Control Dialog=10019 - &Cursor Info Dialog=10020 - "
            "&Zero File Section=10022 &Replace File Section=10021 Zero &Offset File=10023}");
  DestroyMenu(right);
}

INT_PTR LayoutProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Every label, check box and button text of every dialog is drawn whole inside its
// control, and a label or check box text stands a few pixels clear of the controls
// beside it, so that each reads as its own; an edit holds the widest value its dialog
// writes into it.
TEST_F(MainWindowTest, DialogTextsFitTheirControlsAndStandClearOfTheirNeighbours) {
  constexpr int kClear = 3;
  // What a control covers: a text where it is drawn (a check box's with its box), a
  // push button, edit, list or swatch its whole rectangle; empty for a group box.
  // *fits: whether the text is drawn whole inside the control.
  auto covered = [](HWND c, bool* fits) {
    *fits = true;
    RECT r;
    GetWindowRect(c, &r);
    char text[256] = "";
    GetWindowText(c, text, sizeof text);
    const std::string cls = platform::ClassNameOf(c);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtr(c, GWL_STYLE));
    const DWORD type = style & BS_TYPEMASK;
    const int width = platform::detail::TextWidth(text);
    if (cls == "BUTTON" && type == BS_GROUPBOX) return RECT{0, 0, 0, 0};
    if (cls == "BUTTON" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
      *fits = width <= r.right - r.left - 4;
      return r;
    }
    if (cls == "BUTTON") {
      *fits = 16 + width <= r.right - r.left;
      return RECT{r.left, r.top, r.left + 16 + width, r.bottom};
    }
    if (cls != "STATIC" || !*text) return r;
    if (r.bottom - r.top >= 2 * platform::detail::kCharHeight) return r;  // room to wrap
    *fits = width <= r.right - r.left;
    const DWORD align = style & 0x1F;
    LONG left = r.left;
    if (align == SS_RIGHT) left = r.right - width;
    else if (align == SS_CENTER) left = (r.left + r.right - width) / 2;
    return RECT{left, r.top, left + width, r.bottom};
  };
  std::vector<std::string> faults;
  for (int id = 1; id < 20000; ++id) {
    if (!platform::HasDialogTemplate(id)) continue;
    HWND dialog = CreateDialogParam(nullptr, MAKEINTRESOURCE(id), nullptr, &LayoutProc, 0);
    ASSERT_NE(dialog, nullptr) << id;
    std::vector<HWND> controls;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) controls.push_back(c);
    for (HWND c : controls) {
      char text[256] = "";
      GetWindowText(c, text, sizeof text);
      const std::string cls = platform::ClassNameOf(c);
      if (!*text || (cls != "BUTTON" && cls != "STATIC")) continue;
      bool fits = true;
      const RECT ink = covered(c, &fits);
      if (ink.right <= ink.left) continue;
      const std::string where = std::to_string(id) + " \"" + text + "\"";
      if (!fits) faults.push_back(where + " is cut");
      const DWORD type = static_cast<DWORD>(GetWindowLongPtr(c, GWL_STYLE)) & BS_TYPEMASK;
      if (cls == "BUTTON" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) continue;  // framed apart
      for (HWND other : controls) {
        bool otherFits = true;
        const RECT o = covered(other, &otherFits);
        if (other == c || o.right <= o.left) continue;
        if (ink.left - kClear < o.right && o.left < ink.right + kClear && ink.top < o.bottom && o.top < ink.bottom) {
          char near[256] = "";
          GetWindowText(other, near, sizeof near);
          faults.push_back(where + " runs into " + std::to_string(GetDlgCtrlID(other)) + " \"" + near + "\"");
        }
      }
    }
    DestroyWindow(dialog);
  }
  // The widest values (an edit writes from 3 pixels inside its left edge to 2 before its
  // right one).
  auto run = [](int first, int count) {
    std::vector<int> ids;
    for (int k = 0; k < count; ++k) ids.push_back(first + k);
    return ids;
  };
  const struct {
    int dialog;
    std::vector<int> edits;
    const char* widest;
  } values[] = {
      {101, run(1140, 9), "-5.00000000e-04"},     // channel scalars "%.8le" with a sign
      {101, run(1150, 9), "-5.00000000e-04"},     // channel offsets
      {101, run(1160, 9), "4294967295"},          // raw sizes
      {1270, {1214}, "-0.123456"},                // TUKEY, a taper "%lf" with a sign
      {1270, {1220}, "4294967295"},               // FRQ SZ "%lu"
      {1270, {1215}, "-2.5000000000e-03"},        // HORZ INTV "%.10le"
      {1270, {1217, 1218}, "-2.00000000e+12"},    // RATE, DELAY "%.8le"
      {1270, run(1238, 4), "-999999.999999"},     // the coefficients, "%.6lf" below 1e6
      {1270, run(1230, 8), "-999999.99999"},      // the trackbar bounds, "%.5lf" below 1e6
  };
  for (const auto& v : values) {
    HWND dialog = CreateDialogParam(nullptr, MAKEINTRESOURCE(v.dialog), nullptr, &LayoutProc, 0);
    ASSERT_NE(dialog, nullptr) << v.dialog;
    for (int id : v.edits) {
      RECT r{0, 0, 0, 0};
      GetWindowRect(GetDlgItem(dialog, id), &r);
      if (platform::detail::TextWidth(v.widest) + 5 > r.right - r.left)
        faults.push_back(std::to_string(v.dialog) + " edit " + std::to_string(id) + " cuts \"" + v.widest + "\"");
    }
    DestroyWindow(dialog);
  }
  for (const auto& fault : faults) ADD_FAILURE() << fault;
}

class PrintMenuTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    platform::SetPrinterCaptureFolder(Path("spool"));
    platform::SetRawPrinterFailure(platform::RawPrinterStep::None);
    platform::ClearPrintJobs();
  }
  void TearDown() override {
    platform::SetRawPrinterNames({platform::kDefaultRawPrinterName});
    platform::SetRawPrinterFailure(platform::RawPrinterStep::None);
    MainWindowTest::TearDown();
  }
  // Channel 0 shows a float file of n points.
  void PrintableChannel(int n) {
    DataFile("trace.bin", n);
    StrCopy(Dsp.Chn_Flnm[0], "trace.bin");
    Dsp.FL_SZ[WIN_RAW][0] = static_cast<uint32_t>(n);
    ActiveChannel(0);
    Win.Shown_Count = 1;
    Win.Shown_List[0] = 0;
    Win.View_Level = 0;
  }
};

// The PDF printer asks where to write, in the data folder, as a print-to-file printer
// does; Cancel there prints nothing.
TEST_F(PrintMenuTest, EveryPrinterButTheImpactPrinterGetsTheGraphicsPage) {
  platform::SetRawPrinterNames({platform::kDefaultRawPrinterName, "EPSON FX-870"});
  {
    drv::Answers answers;
    answers.Printer("PDF").CancelFile();
    drv::ChooseCommand(Win.hWnd_Main, IDM_PRINT);
    EXPECT_TRUE(answers.AllAnswered());
  }
  EXPECT_TRUE(platform::PrintJobs().empty());
  for (const char* name : {"PDF", "EPSON FX-870"}) {
    drv::Answers answers;
    answers.Printer(name);
    if (std::string(name) == "PDF") answers.File(Path("plot.pdf"));
    drv::ChooseCommand(Win.hWnd_Main, IDM_PRINT);
    EXPECT_TRUE(answers.AllAnswered());
    EXPECT_TRUE(answers.Failures().empty());
  }
  const auto log = platform::CommonDialogLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[1].kind, platform::CommonDialogKind::Save);
  EXPECT_EQ(log[1].title, "Save Print Output As");
  EXPECT_TRUE(platform::SameFile(log[1].initialFolder.c_str(), Dsp.Data_Dir));
  const auto jobs = platform::PrintJobs();
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0].printer, "PDF");
  EXPECT_EQ(jobs[0].path, Path("plot.pdf"));
  EXPECT_TRUE(std::filesystem::exists(Path("plot.pdf")));
  EXPECT_EQ(jobs[1].printer, "EPSON FX-870");
  for (const auto& job : jobs) {
    EXPECT_EQ(job.document, "Qv95 PLOT");
    EXPECT_FALSE(job.raw);
    EXPECT_EQ(job.pages, 1);
    EXPECT_TRUE(job.completed);
  }
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_EQ(paints, 0);
}

TEST_F(PrintMenuTest, ImpactPrinterRetractsPrintsAndRepaints) {
  PrintableChannel(64);
  int dialogs = 0;
  drv::ModalHandler handler([&](HWND dialog, int id) {
    ++dialogs;
    EXPECT_EQ(id, IDD_SCROLL_PRINTER);
    EXPECT_EQ(drv::Text(dialog, IDC_SP_END), "64");
    EXPECT_EQ(drv::Text(dialog, IDC_SP_AVERAGE), "1");  // 64 / 650 read as 1
    drv::Click(dialog, IDC_SP_PRINT);
  });
  drv::Answers answers;
  answers.Printer("Epson FX-870").Box("Question", "RETRACT PAPER?", IDYES).Box("Info", "PRINTING COMPLETE", IDOK);
  drv::ChooseCommand(Win.hWnd_Main, IDM_PRINT);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_EQ(dialogs, 1);
  const auto jobs = platform::PrintJobs();
  ASSERT_EQ(jobs.size(), 4u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(jobs[i].bytes, 4u);
  EXPECT_GT(jobs[3].bytes, 1000u);
  for (const auto& job : jobs) {
    EXPECT_EQ(job.document, "SCROLLED PRINT");
    EXPECT_TRUE(job.completed);
  }
  EXPECT_EQ(platform::BoxLog()[0].style, 0x1024u);
  EXPECT_EQ(platform::BoxLog()[1].style, 0x1040u);
  EXPECT_EQ(paints, 1);
}

// The reference lines of a displayed set that fall on the paper are labelled beside
// the trace: the entries of its line database, as many as the database's header
// gives, one folder above the data.
TEST_F(PrintMenuTest, ScrollPrintLabelsTheReferenceLinesOfTheLineDatabase) {
  std::filesystem::create_directory(Path("data"));
  WriteAll(Path("oh00.dat"), "# set A\n3\nLINEA 70100.0\nLINEB 71000.0\nLINEC 90000.0\n");
  DataFile("data/trace.bin", 4000);
  std::filesystem::current_path(Path("data"));
  StrCopy(Dsp.Chn_Flnm[0], "trace.bin");
  Dsp.FL_SZ[WIN_RAW][0] = 4000;
  ActiveChannel(0);
  Win.Shown_Count = 1;
  Win.Shown_List[0] = 0;
  Win.View_Level = 0;
  Dsp.Init_Frq = 70000.0;  // the trace runs from 70000 to 74000
  Dsp.FrqStpView[1] = 1.0;
  Sim.Dsp_Stat[0] = 1;
  drv::ModalHandler handler([&](HWND dialog, int) { drv::Click(dialog, IDC_SP_PRINT); });
  drv::Answers answers;
  answers.Printer("Epson FX-870").Box("Question", "RETRACT PAPER?", IDNO).Box("Info", "PRINTING COMPLETE", IDOK);
  drv::ChooseCommand(Win.hWnd_Main, IDM_PRINT);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_TRUE(answers.Failures().empty());
  const auto jobs = platform::PrintJobs();
  ASSERT_EQ(jobs.size(), 1u);
  const std::string printed = ReadAll(jobs[0].path);
  // Each label goes back to its line's column (ESC j n), then forward again (ESC J n).
  for (const std::string label : {"LINEAoh00.dat NP", "LINEBoh00.dat NP"}) {
    const size_t at = printed.find(label);
    ASSERT_NE(at, std::string::npos) << label;
    ASSERT_GE(at, 3u);
    EXPECT_EQ(printed.substr(at - 3, 2), "\x1Bj") << label;
    EXPECT_EQ(printed.substr(at + label.size(), 4), std::string("\x0D\x1BJ") + printed[at - 1]) << label;
  }
  EXPECT_EQ(printed.find("LINEC"), std::string::npos);  // 90000 is off the paper
  EXPECT_EQ(Sim.Dsp_Stat[0], 1u);
}

TEST_F(PrintMenuTest, FailedScrollPrintSaysNoCompletionAndDoesNotRepaint) {
  PrintableChannel(64);
  drv::ModalHandler handler([&](HWND dialog, int) { drv::Click(dialog, IDC_SP_PRINT); });
  auto printExpecting = [](const std::string& warning) {
    drv::Answers answers;
    answers.Printer("Epson FX-870").Box("Question", "RETRACT PAPER?", IDNO).Box("Warning", warning, IDOK);
    drv::ChooseCommand(Win.hWnd_Main, IDM_PRINT);
    EXPECT_TRUE(answers.AllAnswered());
    EXPECT_TRUE(answers.Failures().empty());
  };
  platform::SetRawPrinterFailure(platform::RawPrinterStep::Open);
  printExpecting("PrntCmd()/OpenPrinter()*");
  platform::SetRawPrinterFailure(platform::RawPrinterStep::None);
  Win.Shown_Count = 0;  // the document starts, but there is nothing to print
  printExpecting("DISPLAY CHANNELS TO PLOT FIRST\n\nABORTING");
  EXPECT_EQ(platform::BoxLog().size(), 4u);
  EXPECT_EQ(paints, 0);
  // Without an active channel the options dialog does not open.
  Win.Active_Chn = 9;
  drv::Answers answers;
  answers.Printer("Epson FX-870").Box("Warning", "NO DATA CHNS SELECTED TO PRINT\n\nDSP DATA FIRST\n\nABORTING", IDOK);
  drv::ChooseCommand(Win.hWnd_Main, IDM_PRINT);
  EXPECT_TRUE(answers.AllAnswered());
}

}  // namespace
