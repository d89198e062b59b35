#include "app/Startup.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

#include "app/MainWindow.h"
#include "app/ModelDialogs.h"
#include "app/PenBrush.h"
#include "app/Wiring.h"
#include "core/DebugLog.h"
#include "core/MsgWindow.h"
#include "core/TypedArrays.h"
#include "fileproc/CrossCorrFix.h"
#include "platform/kernel/CommandLine.h"
#include "platform/windows/Controls.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/FgPrm.h"
#include "records/Ga.h"
#include "records/Locks.h"
#include "records/MathConst.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
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

// The program's folder: Win.Exe_Path up to and including its last separator.
std::string ProgramFolder() {
  std::string exe = Win.Exe_Path;
  size_t at = LastSeparator(exe);
  return at == std::string::npos ? std::string() : exe.substr(0, at + 1);
}

void SetDefaultPaths() {
  std::string folder = ProgramFolder();
  StrCopy(OrvPrm.Prog_Path, (folder + "Orv95.exe").c_str());
  StrCopy(Quad.Prog_Path, (folder + "Hfs95.exe").c_str());
  StrCopy(Ga.Prog_Path[0], (folder + "Evo95.exe").c_str());
  StrCopy(FgPrm.Prog_Path, (folder + "Exm95.exe").c_str());
}

char* PathField(int line) {
  switch (line) {
    case 0:
      return OrvPrm.Prog_Path;
    case 1:
      return Quad.Prog_Path;
    case 2:
      return Ga.Prog_Path[0];
    default:
      return FgPrm.Prog_Path;
  }
}

bool ReadPathFile(const std::string& mapped) {
  std::ifstream in(mapped, std::ios::binary);
  if (!in) return false;
  std::string line;
  for (int n = 0; n < 4 && std::getline(in, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = platform::ToUtf8(line);
    // Lines are read with a limit of 499 characters.
    StrCopy(PathField(n), 500, line.c_str());
  }
  return true;
}

bool WritePathFile(const char* name) {
  platform::TextFileWriter writer;
  if (!writer.Open(name)) return false;
  for (int n = 0; n < 4; ++n) writer.Printf("%s\n", PathField(n));
  return writer.Commit();
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
  // folder, which is the data folder from here on.
  if (Dsp.Work_Flnm[0] != '\0' && Dsp.Data_Dir[0] != '\0') SetCurrentDirectory(Dsp.Data_Dir);

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

int32_t ExecResourceFile(int32_t mode) {
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "ExecResourceFile()", DEBUG_ENTER);
  const std::string upper = "..\\" + std::string(PATH_FILE_NAME);
  const std::string beside = ProgramFolder() + PATH_FILE_NAME;
  if (mode == 1) {
    if (!ReadPathFile(platform::MapPath(upper.c_str())) && !ReadPathFile(platform::MapPath(beside.c_str()))) {
      SetDefaultPaths();
      MainStatusText(0, "QV95.DIR NOT FOUND - DEFAULT EXE PATH USED");
    }
  } else {
    std::string rotor = OrvPrm.Prog_Path;
    size_t at = LastSeparator(rotor);
    std::string folder = at == std::string::npos ? rotor : rotor.substr(0, at);
    char separator = at == std::string::npos ? '\\' : rotor[at];
    rotor = folder + separator + (OrvPrm.Prog_Mode == 1 ? "vespar95.exe" : "orv95.exe");
    StrCopy(OrvPrm.Prog_Path, rotor.c_str());
    if (OrvPrm.Dlg_Hwnd && IsWindow(OrvPrm.Dlg_Hwnd)) SetDlgItemText(OrvPrm.Dlg_Hwnd, IDC_ORV_PROG_PATH, rotor.c_str());
    const std::string& target = platform::FileExists(upper.c_str()) ? upper : beside;
    if (!WritePathFile(target.c_str())) {
      SetDefaultPaths();
      char text[700];
      StrFormat(text, "FAILED TO OPEN EXECUTABLE RESOURCE FILE [%s] FOR WRITING!", target.c_str());
      MessageBox(Win.hWnd_Main, text, "Warning", MB_SYSTEMMODAL | MB_ICONWARNING);
    }
  }
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "ExecResourceFile()", DEBUG_EXIT);
  return 1;
}
