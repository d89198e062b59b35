// The open and save dialogs of the simulation sets, built on the program's file dialogs.
#include "sim/SimFileDialogs.h"

#include <cstring>
#include <string>

#include "core/AsciiRead.h"
#include "core/FileIo.h"
#include "display/FileDialogs.h"
#include "fit/NLLsf.h"
#include "models/quad/QuadFiles.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Dsp.h"
#include "records/OrvPrm.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "sim/SimAscii.h"
#include "sim/SimAsnWrite.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimFile.h"
#include "sim/SimLines.h"
#include "sim/SimRotor.h"
#include "sim/SimSets.h"

using namespace filedialog;

namespace {

void WaitCursor(bool wait) { SetCursor(LoadCursor(nullptr, wait ? IDC_WAIT : IDC_CROSS)); }

bool Is(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// A set's file name from a chosen path: without its folder and its extension.
std::string SetFileName(const char* path) {
  std::string name = WithoutFolder(path);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

// The proposal of a set's simulation file: its name with ".QVS", so that taking it
// names the set's own file also when the name holds a point ("b.c.d" is not cut to "b.c").
std::string QvsProposal(int16_t set) { return Proposed((std::string(Sim.Sim_Flnm[set]) + ".QVS").c_str()); }

// A set without a name of its own ("NoName") takes the name of the chosen line list,
// as a simulation file opened into it does, since the list is kept as "<name>.QVS" and
// two lists read into unnamed sets must not share one file; an existing "<name>.QVS"
// is replaced only after the file-exists question. false (the set's name as it was)
// when the name is refused or the user keeps the file.
bool ListName(int16_t set, const char* chosen) {
  if (!Is(Sim.Sim_Flnm[set], "NoName")) return true;
  const std::string name = SetFileName(chosen);
  if (!SimNameAccepted(set, name.c_str())) return false;
  StrCopy(Sim.Sim_Flnm[set], name.c_str());
  if (!platform::FileExists((name + ".QVS").c_str()) || simdlg::AskOverwrite(set, true)) return true;
  StrCopy(Sim.Sim_Flnm[set], "NoName");
  return false;
}

}  // namespace

int32_t AsnFileDialog(int16_t mode, int16_t set, const char* kind, char* fileName, size_t cap) {
  FileDialogCurrentFolder(0);
  const char* filter;
  const char* defExt;
  if (Is(kind, "NLF")) {
    filter = "LOG FILES (*.NLF)\0*.NLF\0ALL FILES\0*.*\0";
    defExt = "NLF";
  } else if (Is(kind, "FORMAT")) {
    filter = "ASSIGNMENT FILES (*.ASO)\0*.ASO\0ALL FILES\0*.*\0";
    defExt = "ASO";
  } else {
    filter = "ASSIGNMENT FILES (*.ASN, *.ASS, *.LIN)\0*.ASN;*.ASS;*.LIN\0ALL FILES\0*.*\0";
    defExt = "ASN";
  }
  char file[FILE_CAP] = "";
  StrCopy(file, Proposed(fileName).c_str());
  int32_t result = 0;
  if (ShowDialog(mode == 1, Win.hWnd_Main, filter, defExt, file) &&
      FileDialogCurrentFolder(1, file, fileName, cap, mode == 0 ? 1 : 0) == 1) {
    if (mode == 0) {
      if (Is(kind, "ORV")) result = AsciiCountLines(fileName, &OrvPrm.Asn_Lines);
      else if (Is(kind, "QUAD")) result = QuadReadAsnFile(set);
      else if (Is(kind, "NLF")) result = VoigtIOLogFile("INPUT", fileName, set);
    } else {
      if (Is(kind, "ORV")) result = SimAsnWritePickett(set, fileName, 0.0);
      else if (Is(kind, "QUAD")) result = QuadWriteAsnFile(set, fileName);
      else if (Is(kind, "NLF")) result = VoigtIOLogFile("OUTPUT", fileName, set);
      else if (Is(kind, "FORMAT")) result = SimAsnWriteAscii(set, fileName);
    }
  }
  FileDialogCurrentFolder(1);
  return result;
}

int32_t SimFileOpenDialog(HWND owner, int16_t kind, int16_t set) {
  if (set < 0 || set >= SIM_SETS) return 0;
  FileDialogCurrentFolder(0);
  char file[FILE_CAP] = "";
  int32_t result = 0;
  if (kind == 0) {
    StrCopy(file, QvsProposal(set).c_str());
    const char* filter =
        "BINARY SIM FILES (*.QVS, *.F)\0*.QVS;*.F\0"
        "ASCII SIM FILES (*.DAT, *.A, *.ASC, *.TXT, *.CAT, *.PAR, *.OUT, *.INTEN, *.FGO )\0"
        "*.DAT;*.A;*.ASC;*.TXT;*.CAT;*.PAR;*.OUT;*.INTEN;*.FGO\0ALL FILES\0*.*\0";
    if (ShowDialog(false, owner, filter, "QVS", file)) {
      // A name the working file cannot hold leaves the set as it was.
      const std::string name = SetFileName(file);
      if (!SimNameAccepted(set, name.c_str())) {
        result = 0;
      } else if (StrCopy(Sim.Sim_Flnm[set], name.c_str()) && SimFI2QVS(Sim.Sim_Flnm[set]) && SimFIReadQVS(set, &Sim, 0, 1)) {
        result = 1;
      } else {
        StrCopy(Sim.Sim_Flnm[set], "NoName");
      }
    }
  } else {
    StrCopy(file, Proposed("ASCII.TXT").c_str());
    const char* filter =
        "ASCII SIM FILES (*.DAT, *.A, *.ASC, *.TXT, *.CAT, *.PAR, *.OUT, *.INTEN, *.FGO )\0"
        "*.DAT;*.A;*.ASC;*.TXT;*.CAT;*.PAR;*.OUT;*.INTEN;*.FGO\0ALL FILES\0*.*\0";
    if (ShowDialog(false, owner, filter, "DAT", file)) {
      static constexpr const char* kAsk[9][2] = {
          {"FULTON-GOUTERMAN MODEL (.fgo)?", "EXM95"},
          {"FORMAT WITH FREQUENCY + INTENSITY ONLY?", "ASCII_FRQITN"},
          {"QVS FORMAT WITH 8 QUANTUM NUMBERS (.a)?", "ASCII_8QN"},
          {"QVS FORMAT WITH 6 QUANTUM NUMBERS (.a)?", "ASCII_6QN"},
          {"PICKETT FORMAT WITH 8 QUANTUM NUMBERS (.cat)?", "PICKETT_8QN"},
          {"KLEINER FORMAT WITH 8 QUANTUM NUMBERS (.txt)?", "KLEINER_8QN"},
          {"HITRAN DATABASE FORMAT (.par)?", "HITRAN"},
          {"QVS FORMAT FROM ASYROT (.dat)?", "ASCII_LINESDOTDAT"},
          {"GAUSSIAN FRQ/ITN PAIRS (.out)?", "GAUSSIAN"}};
      const char* format = nullptr;
      for (const auto& row : kAsk)
        if (core_io::AskYesNo(row[0])) {
          format = row[1];
          break;
        }
      char previous[sizeof Sim.Sim_Flnm[set]];
      StrCopy(previous, Sim.Sim_Flnm[set]);
      if (!format) {
        core_io::Warning("FORMAT NOT SUPPORTED!\n\nABORTING");
      } else if (ListName(set, file)) {
        std::string input = file;
        bool ok = true;
        if (Is(format, "GAUSSIAN")) {
          ok = SimGaussianFrqExtract(input.c_str()) != 0;
          format = "ASCII_FRQITN";
          input = "_Gaussian.txt";
        }
        if (ok && SimFIAscii2Binary(set, input.c_str(), format)) {
          result = 1;
          if (Sim.FI_Lines[set] > 0 &&
              !(SimFIWriteQVS(set, &Sim) && SimFIFreeQVS(set, &Sim, 1) && SimFIReadQVS(set, &Sim, 0, 0))) {
            SimFIFreeQVS(set, &Sim, 1);
            result = 0;
          }
        }
        // A set left without the list's lines keeps the name it had.
        if (result == 0) StrCopy(Sim.Sim_Flnm[set], previous);
      }
    }
  }
  FileDialogCurrentFolder(1);
  return result;
}

int32_t SimFileSaveDialog(HWND owner, int16_t kind, int16_t set) {
  if (set < 0 || set >= SIM_SETS) return 0;
  FileDialogCurrentFolder(0);
  char file[FILE_CAP] = "";
  const char* filter = kind == 2 ? "SIM FILES (*.QVS)\0*.QVS\0ALL FILES\0*.*\0"
                                 : "BINARY SIM FILES (*.BIN)\0*.bin\0ALL FILES\0*.*\0";
  StrCopy(file, kind == 2 ? QvsProposal(set).c_str() : Proposed(kind == 0 ? "Res.bin" : "Sim.bin").c_str());
  // Cancel counts as done for the spectrum and the simulation file, which it leaves
  // unwritten; the residual is written by the next paint only when a name was chosen.
  int32_t result = kind == 0 ? 0 : 1;
  if (ShowDialog(true, owner, filter, kind == 2 ? "QVS" : "BIN", file)) {
    if (kind == 2) {
      // The set is written to "<name>.QVS" in the data folder, the chosen name without
      // its last extension: a name typed without ".QVS" ("b.c.d") or chosen in another
      // folder lands on a file the dialog's own question did not look at. Such a file is
      // replaced only on Yes; No leaves the set and its name as Cancel does.
      const std::string name = SetFileName(file);
      const std::string qvs = name + ".QVS";
      if (!SimNameAccepted(set, name.c_str()))
        result = 0;
      else if (platform::FileExists(qvs.c_str()) && !platform::SameFile(qvs.c_str(), file) &&
               !simdlg::AskReplaceOutput(qvs))
        result = 1;
      else
        result = StrCopy(Sim.Sim_Flnm[set], name.c_str()) ? SimFIWriteQVS(set, &Sim) : 0;
    } else if (kind == 1) {
      // A path cut to the name's field would name another file: refused with its box.
      if (!core_io::NameFits(file, sizeof Sim.Bin_Flnm)) {
        result = 0;
      } else {
        StrCopy(Sim.Bin_Flnm, file);
        Dsp.Dsp_Ready = 0;
        WaitCursor(true);
        result = SimFIWriteBin(Sim.Bin_Flnm, set, 1);
        WaitCursor(false);
        Dsp.Dsp_Ready = 1;
      }
    } else if (core_io::NameFits(file, sizeof Sim.Res_Flnm)) {
      StrCopy(Sim.Res_Flnm, file);
      result = 1;
    }
  }
  FileDialogCurrentFolder(1);
  return result;
}
