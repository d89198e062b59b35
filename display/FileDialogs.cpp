// The open and save dialogs, the data folder they keep current, and the title.
#include "display/FileDialogs.h"

#include <cstring>
#include <string>

#include "core/FileIo.h"
#include "core/WorkText.h"
#include "models/exciton/FgFiles.h"
#include "models/ga/GaFiles.h"
#include "models/quad/QuadFiles.h"
#include "models/rotor/OrvFiles.h"
#include "platform/windows/CommonDialogs.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Process.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/FgPrm.h"
#include "records/Ga.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
#include "records/Win.h"

namespace filedialog {

size_t LastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

std::string WithoutFolder(const std::string& path) {
  size_t cut = LastSeparator(path);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string InDataFolder(const char* name) {
  const std::string path = std::string(Dsp.Data_Dir) + "\\" + name;
  return path.size() < FILE_CAP ? path : std::string(name);
}

std::string Proposed(const char* name) { return Dsp.Path_Propose == 1 ? InDataFolder(name) : std::string(name); }

bool SameFolder(std::string a, std::string b) {
  while (a.size() > 1 && (a.back() == '\\' || a.back() == '/')) a.pop_back();
  while (b.size() > 1 && (b.back() == '\\' || b.back() == '/')) b.pop_back();
  for (char& c : a)
    if (c == '/') c = '\\';
  for (char& c : b)
    if (c == '/') c = '\\';
  // Names here keep their case: where both folders exist, "data" and "DATA" are one
  // folder only when they are the same folder on the disk.
  if (platform::DirectoryExists(a.c_str()) && platform::DirectoryExists(b.c_str()))
    return platform::SameFile(a.c_str(), b.c_str());
  return platform::NamesEqualIgnoringCase(a, b);
}

bool ShowDialog(bool save, HWND owner, const char* filter, const char* defExt, char (&file)[FILE_CAP]) {
  OPENFILENAME ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = FILE_CAP;
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  ofn.lpstrDefExt = defExt;
  return (save ? GetSaveFileName(&ofn) : GetOpenFileName(&ofn)) != FALSE;
}

}  // namespace filedialog

using namespace filedialog;

namespace {

void Warn(const char* text) { core_io::Warning(text); }
int Ask(const char* text) { return core_io::AskYesNo(text) ? IDYES : IDNO; }
void Status(int part, const char* text) { core_io::StatusText(part, text); }

std::string FolderOf(const std::string& path) {
  size_t cut = LastSeparator(path);
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// A copy that fails (a write-protected file of that name in the data folder, a full
// disk) leaves the name as it was, as the copy question's No does: the data folder's
// file of that name is not the file chosen.
void CopyIntoDataFolder(const std::string& chosen, char* outName, size_t outCap) {
  std::string name = WithoutFolder(chosen);
  std::string target = std::string(Dsp.Data_Dir) + "\\" + name;
  const char* result;
  if (platform::FileExists(target.c_str())) {
    std::string ask = StrPrintf("FILE EXITS [%s]\n\nOVERWRITE [YES] | ABORT [NO]?", target.c_str());
    if (Ask(ask.c_str()) == IDYES)
      result = CopyFile(chosen.c_str(), target.c_str(), FALSE) ? "FILE COPIED" : "FILE COPY FAILED";
    else
      result = "FILE NOT COPIED";
  } else {
    result = CopyFile(chosen.c_str(), target.c_str(), TRUE) ? "FILE COPIED" : "FILE COPY FAILED";
  }
  if (std::strcmp(result, "FILE COPY FAILED") == 0)
    Warn(result);
  else
    StrCopy(outName, outCap, name.c_str());
  Status(2, result);
}

bool Is(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

}  // namespace

int32_t FileDialogCurrentFolder(int16_t mode, const char* chosen, char* outName, size_t outCap, int32_t copyCheck) {
  if (mode == 0) {
    Dsp.Dsp_Ready = 0;
    return 1;
  }
  if (!chosen || !chosen[0]) {
    if (!Dsp.Work_Flnm[0]) {
      char current[FILE_CAP] = "";
      DWORD length = GetCurrentDirectory(FILE_CAP, current);
      if (length > 0 && length < FILE_CAP) {
        std::string folder = current;
        while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        StrCopy(Dsp.Data_Dir, folder.c_str());
        size_t cut = LastSeparator(folder);
        std::string last = cut == std::string::npos ? std::string() : folder.substr(cut + 1);
        // A folder whose name would not fit whole with ".QVW" gives "Default.QVW", as
        // a folder without a name does: cut, the name could be another file's.
        if (last.empty() || last.size() + 4 >= sizeof Dsp.Work_Flnm) last = "Default";
        StrCopy(Dsp.Work_Flnm, (last + ".QVW").c_str());
        MainWindowTitleSet();
      }
    }
    if (Dsp.Data_Dir[0] && !SetCurrentDirectory(Dsp.Data_Dir)) {
      std::string text = StrPrintf("FAILED TO CHANGE BACK TO DATA DIRECTORY\n\n[%s]", Dsp.Data_Dir);
      Warn(text.c_str());
    }
    Dsp.Dsp_Ready = 1;
    return 1;
  }
  std::string path = chosen;
  std::string folder = FolderOf(path);
  if (!outName || outCap == 0) return 1;
  // A chosen name that does not fit is refused: cut, it would name another file.
  const std::string name = WithoutFolder(path);
  if (!core_io::NameFits(name, outCap)) return 0;
  if (copyCheck == 1 && Dsp.Data_Dir[0] && !SameFolder(folder, Dsp.Data_Dir)) {
    std::string ask = StrPrintf(
        "FILE [%s] MUST BE IN CURRENT FOLDER [%s]!\n\nCOPY TO CURRENT FOLDER [YES] | ABORT [NO]?", folder.c_str(),
        Dsp.Data_Dir);
    if (Ask(ask.c_str()) == IDYES) CopyIntoDataFolder(path, outName, outCap);
    return 1;
  }
  StrCopy(outName, outCap, name.c_str());
  return 1;
}

void MainWindowTitleSet() {
  const char* version = Win.Version[Win.Version_Idx >= 0 && Win.Version_Idx <= 2 ? Win.Version_Idx : 2];
  std::string title = Dsp.Work_Flnm[0]
                          ? StrPrintf("QUIVRANE 95 [%s] - %s [%s]", version, Dsp.Data_Dir, Dsp.Work_Flnm)
                          : StrPrintf("QUIVRANE 95 [%s] - %s", version, Dsp.Data_Dir);
  SetWindowText(Win.hWnd_Main, title.c_str());
}

int32_t InputFileDialog(int16_t mode, const char* kind, HWND owner) {
  FileDialogCurrentFolder(0);
  bool ga = Is(kind, "GA"), eoc = Is(kind, "EOC");
  const char* filter = ga    ? "INPUT FILES (*.GAI, *.INI)\0*.GAI;*.INI\0ALL FILES\0*.*\0"
                       : eoc ? "INPUT FILES (*.EOC)\0*.EOC\0ALL FILES\0*.*\0"
                             : "INPUT FILES (*.IN)\0*.IN\0ALL FILES\0*.*\0";
  const char* defExt = ga ? "GAI" : eoc ? "EOC" : "IN";
  char eocName[200] = "EOC";
  char* input = eocName;
  size_t cap = sizeof eocName;
  const char* stored = nullptr;  // the input name's label when the working file holds it
  if (Is(kind, "ORV") || Is(kind, "VESPAR")) {
    input = OrvPrm.In_Flnm;
    stored = "ORV INPUT FILENAME";
  } else if (Is(kind, "QUAD")) {
    input = Quad.In_Flnm;
    stored = "QUAD INPUT FILENAME";
  } else if (ga) {
    input = Ga.In_Flnm[0];
    stored = "GENETIC ALGORITHMS INPUT FILENAME";
  } else if (Is(kind, "FG")) {
    input = FgPrm.In_Flnm;
  }
  char file[FILE_CAP] = "";
  StrCopy(file, Proposed(input).c_str());
  int32_t result = 0;
  char chosen[sizeof eocName] = "";
  bool taken = ShowDialog(mode == 1, owner, filter, defExt, file);
  if (taken) {
    StrCopy(chosen, input);
    taken = FileDialogCurrentFolder(1, file, chosen, cap, 0) == 1 &&
            (!stored || WorkTextAccepted(stored, chosen, WorkField::Name, input));
  }
  if (!taken) {
    Status(2, mode == 1 ? "WRITE ABORTED" : "READ ABORTED");
  } else {
    StrCopy(input, cap, chosen);
    if (mode == 0) {
      if (Is(kind, "ORV")) {
        result = OrvReadInputPrm();
        if (!result) {
          Warn(StrPrintf("FAILED TO OPEN | CORRUPTED FIELDS IN [%s]!\n\nABORTING", input).c_str());
        } else if (Ask(StrPrintf("ORV FILE VERSION [%s]\n\nCOPY PRMS TO CALC/FIT VALUES?", OrvPrm.Version).c_str()) ==
                   IDYES) {
          OrvCopyReadToCalc();
        }
      } else if (Is(kind, "QUAD")) {
        result = QuadReadInputPrm();
      } else if (ga) {
        result = GaMultiReadInputPrm();
      } else if (Is(kind, "FG")) {
        result = FgReadInputPrm();
      }
    } else {
      if (Is(kind, "VESPAR")) result = VesparWriteInputPrm(input);
      else if (Is(kind, "ORV")) result = OrvWriteInputPrm(input);
      else if (Is(kind, "QUAD")) result = QuadWriteInputPrm(input);
      else if (ga) result = GaWriteInputPrm(0, input);
      else if (Is(kind, "FG")) result = FgWriteInputPrm(input);
    }
  }
  FileDialogCurrentFolder(1);
  return result;
}

int32_t PressureFileDialog(HWND owner, char* name, size_t cap) {
  if (!name || cap == 0) return 0;
  name[0] = '\0';
  FileDialogCurrentFolder(0);
  char file[FILE_CAP] = "";
  if (ShowDialog(false, owner, "PRESSURE FILES (*.TXT)\0*.TXT\0ALL FILES\0*.*\0", "TXT", file))
    FileDialogCurrentFolder(1, file, name, cap, 1);
  FileDialogCurrentFolder(1);
  return name[0] != '\0' ? 1 : 0;
}

int32_t AsciiFileOpenDialog(HWND owner) {
  FileDialogCurrentFolder(0);
  static_assert(sizeof Cnv.Ascii_Flnm == FILE_CAP);
  StrCopy(Cnv.Ascii_Flnm, InDataFolder(WithoutFolder(Cnv.Ascii_Flnm).c_str()).c_str());
  char file[FILE_CAP] = "";
  StrCopy(file, Cnv.Ascii_Flnm);
  int32_t result = 0;
  if (ShowDialog(false, owner, "ASCII FILES (*.TXT, *.ASC, *.PRN, *.DAT, *XYT)\0*.TXT;*.ASC;*.PRN;*.DAT;*.XYT\0ALL FILES\0*.*\0",
                 "PRN", file))
    result = StrCopy(Cnv.Ascii_Flnm, file) ? 1 : 0;
  FileDialogCurrentFolder(1);
  return result;
}

int32_t FtmwFileOpenDialog(HWND owner) {
  FileDialogCurrentFolder(0);
  // The proposal is only the dialog's: a cancelled dialog keeps the input name.
  char file[FILE_CAP] = "";
  StrCopy(file, (std::string(Dsp.Data_Dir) + "\\FTMW BIN FILES (.LOG,.BIN)").c_str());
  int32_t result = 0;
  if (ShowDialog(false, owner, "FTMW BIN FILES (*.BIN, *.LOG, *.TRC)\0*.BIN;*.LOG;*.TRC\0ALL FILES\0*.*\0", "PRN", file))
    result = StrCopy(Cnv.Ftmw_Flnm, file) ? 1 : 0;
  FileDialogCurrentFolder(1);
  return result;
}

int32_t BinaryFileDialog(int16_t mode, char* name, size_t cap, HWND owner) {
  FileDialogCurrentFolder(0);
  char file[FILE_CAP] = "";
  StrCopy(file, Proposed(name && name[0] ? name : "Nothing").c_str());
  int32_t result = 0;
  if (ShowDialog(mode == 1, owner, "BINARY (4 BYTE FLOAT)\0*.*\0", "bin", file)) {
    // A file saved outside the data folder does not exist yet: there is nothing to copy.
    int32_t copyCheck = (mode == 0 || platform::FileExists(file)) ? 1 : 0;
    result = FileDialogCurrentFolder(1, file, name, cap, copyCheck);
  }
  FileDialogCurrentFolder(1);
  return result;
}

int32_t OutputFileViewDialog(HWND owner) {
  FileDialogCurrentFolder(0);
  char file[FILE_CAP] = "";
  StrCopy(file, (std::string(Dsp.Data_Dir) + "\\ASCII FILES").c_str());
  int32_t result = 0;
  if (ShowDialog(false, owner,
                 "OUTPUT FILES (*.LOG, *.OUT)\0*.LOG;*.OUT\0ASCII FILES (*.A, *.ASC, *.TXT)\0*.A;*.ASC;*.TXT\0"
                 "INPUT FILES (*.IN, *.DAT)\0*.IN;*.DAT\0ASSIGNMENT FILES (*.ASN)\0*.ASN\0ALL FILES\0*.*\0",
                 "ASC", file))
    result = platform::ShellOpenDocument(file) ? 1 : 0;
  FileDialogCurrentFolder(1);
  return result;
}
