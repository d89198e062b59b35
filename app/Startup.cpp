#include "app/Startup.h"

#include <cmath>
#include <cstring>
#include <string>

#include "app/MainWindow.h"
#include "display/PenBrush.h"
#include "app/Wiring.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/MsgWindow.h"
#include "core/TypedArrays.h"
#include "fileproc/CrossCorrFix.h"
#include "platform/kernel/CommandLine.h"
#include "platform/windows/Controls.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Locks.h"
#include "records/MathConst.h"
#include "records/Win.h"

namespace {

// The path splits at its last backslash or slash.
size_t LastSeparator(const std::string& text) { return text.find_last_of("\\/"); }

// Text cut at its last separator (the whole text when it has none).
std::string CutAtLastSeparator(const std::string& text) {
  size_t at = LastSeparator(text);
  return at == std::string::npos ? text : text.substr(0, at);
}

// Text after the last separator of text, cut at its first double quote.
std::string NameAfterLastSeparator(const std::string& text) {
  size_t at = LastSeparator(text);
  std::string name = at == std::string::npos ? std::string() : text.substr(at + 1);
  size_t quote = name.find('"');
  return quote == std::string::npos ? name : name.substr(0, quote);
}

void DebugMsgOk() {
  if (Dsp.Msg_Hwnd && IsWindow(Dsp.Msg_Hwnd)) SendMessage(Dsp.Msg_Hwnd, WM_COMMAND, IDOK, 0);
}

}  // namespace

void Qv95CommandLineSplit(const char* commandLine, char* exePath, size_t exeSize, char* dataDir, size_t dirSize,
                          char* workFile, size_t workSize) {
  std::string cmd = commandLine ? commandLine : "";
  std::string exe;
  std::string dir;
  std::string work;
  if (!cmd.empty() && cmd[0] == '"') {
    std::string rest = cmd.substr(1);
    size_t q1 = rest.find('"');
    size_t q2 = q1 == std::string::npos ? std::string::npos : rest.find('"', q1 + 1);
    size_t q3 = q2 == std::string::npos ? std::string::npos : rest.find('"', q2 + 1);
    if (q3 != std::string::npos) {
      dir = CutAtLastSeparator(rest.substr(q2 + 1));
      work = NameAfterLastSeparator(rest);
      exe = rest.substr(0, q1);
    } else if (q1 != std::string::npos && rest.size() - q1 >= 3) {
      dir = CutAtLastSeparator(rest.substr(q1 + 2));
      work = NameAfterLastSeparator(rest);
      exe = rest.substr(0, q1);
    } else {
      exe = rest.size() < 2 ? std::string() : rest.substr(0, rest.size() - 2);
      dir = CutAtLastSeparator(exe);
    }
  } else {
    size_t quote = cmd.find('"');
    if (quote != std::string::npos) {
      exe = quote == 0 ? std::string() : cmd.substr(0, quote - 1);
      dir = CutAtLastSeparator(cmd.substr(quote + 1));
      work = NameAfterLastSeparator(cmd);
    } else {
      exe = std::string("C:");
      dir = std::string("C:");
    }
  }
  // A folder or working-file name that does not fit whole is refused: the program
  // starts without a working file rather than with another one.
  if (!core_io::NameFits(dir, dirSize) || !core_io::NameFits(work, workSize)) {
    dir.clear();
    work.clear();
  }
  StrCopy(exePath, exeSize, exe.c_str());
  StrCopy(dataDir, dirSize, dir.c_str());
  StrCopy(workFile, workSize, work.c_str());
}

int32_t Qv95Initialize() {
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "Qv95Initialize()", DEBUG_ENTER);

  MathConst.Pi = 4.0 * std::atan(1.0);
  MathConst.TwoPi = 2.0 * MathConst.Pi;
  MathConst.DegToRad = MathConst.TwoPi * (1.0 / 360.0);

  // Created once per process and never deleted.
  for (CRITICAL_SECTION* section : {&WinSpareLock, &ChildDataLock, &SimSpareLock, &SimPlotLock, &SimReadLock})
    if (!section->state) InitializeCriticalSection(section);

  // The debug log reaches the status bar and the message window from here on.
  Debug.StatusTextHook = MainStatusText;
  Debug.MsgShowHook = DspMsgShow;
  Debug.MsgOkHook = DebugMsgOk;

  // The thread pool's workers align their files with the file variant of the alignment.
  CrossCorrInstallPoolRoutine();

  // Shared drawing arrays: a failure is reported and start-up goes on; every user of
  // these arrays tests for them before drawing.
  float** shared[] = {&Win.PM_DrawAry, &Win.PM_DrawAry_Sum, &Win.CM_DrawAry1, &Win.CM_DrawAry2, &Win.CM_DrawAry3};
  bool sharedOk = true;
  for (float** array : shared) {
    FFree1Dim(array);
    if (QvAllocFailed(FAlloc1Dim(array, WIN_DRAW_PTS))) {
      sharedOk = false;
      break;
    }
  }
  FFree1Dim(&Win.Big_DrawAry);
  if (sharedOk && QvAllocFailed(FAlloc1Dim(&Win.Big_DrawAry, WIN_BIG_DRAW_PTS))) sharedOk = false;
  if (!sharedOk)
    MessageBox(Win.hWnd_Main, "WinMain()/PM_DrawAry/PM_DrawAry_Sum/CM_DrawAry1/... - CORE ALLOCATION ERROR", "Error",
               MB_SYSTEMMODAL | MB_ICONERROR);

  for (float*& array : Win.P_DrawAry) {
    FFree1Dim(&array);
    if (QvAllocFailed(FAlloc1Dim(&array, WIN_DRAW_PTS))) {
      MessageBox(Win.hWnd_Main, "WinMain()/Win.P_DrawAry - CORE ALLOCATION ERROR", "Error",
                 MB_SYSTEMMODAL | MB_ICONERROR);
      return 0;
    }
  }

  Win.Cmd_Line = GetCommandLine();
  Qv95CommandLineSplit(Win.Cmd_Line, Win.Exe_Path, sizeof Win.Exe_Path, Dsp.Data_Dir, sizeof Dsp.Data_Dir,
                       Dsp.Work_Flnm, sizeof Dsp.Work_Flnm);
  // The working file and every file named in it are addressed relative to the current
  // folder, which is the data folder from here on. Started without a working file, the
  // folder the program was started in is the data folder (started by its icon, that is
  // the program's own folder), so that a data file there is found by its bare name.
  if (Dsp.Work_Flnm[0] == '\0') {
    char here[sizeof Dsp.Data_Dir] = "";
    const DWORD length = GetCurrentDirectory(sizeof here, here);
    if (length > 0 && length < sizeof here) StrCopy(Dsp.Data_Dir, sizeof Dsp.Data_Dir, here);
  } else if (Dsp.Data_Dir[0] != '\0') {
    SetCurrentDirectory(Dsp.Data_Dir);
  }

  SimPenBrushSet(1, 0, 1, 0, 1);
  WiredWorkFileRead();
  WiredDisplayInitialize();
  WiredViewThreadStart();
  WiredMainWindowTitleSet();

  Dsp.DspMsgBuffer[0] = '\0';
  DspMsgShow(1, Win.hWnd_Main);
  Dsp.Msg_Shown = static_cast<uint32_t>(DspMsgShow(0, Win.hWnd_Main));

  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "Qv95Initialize()", DEBUG_EXIT);
  return 1;
}
