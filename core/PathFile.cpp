// The path file of the sibling programs: read before each run, written from the rotor
// options dialog.
#include "core/PathFile.h"

#include <fstream>
#include <string>

#include "core/DebugLog.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MessageBox.h"
#include "records/Debug.h"
#include "records/FgPrm.h"
#include "records/Ga.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
#include "records/Win.h"
#include "resources/Dialogs.h"

namespace {

// The path splits at its last backslash or slash.
size_t LastSeparator(const std::string& text) { return text.find_last_of("\\/"); }

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

void StatusText(int32_t part, const char* text) {
  if (Win.hWnd_StatusBar && IsWindow(Win.hWnd_StatusBar))
    SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

}  // namespace

int32_t ExecResourceFile(int32_t mode) {
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "ExecResourceFile()", DEBUG_ENTER);
  const std::string upper = "..\\" + std::string(PATH_FILE_NAME);
  const std::string beside = ProgramFolder() + PATH_FILE_NAME;
  if (mode == 1) {
    if (!ReadPathFile(platform::MapPath(upper.c_str())) && !ReadPathFile(platform::MapPath(beside.c_str()))) {
      SetDefaultPaths();
      StatusText(0, "QV95.DIR NOT FOUND - DEFAULT EXE PATH USED");
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
