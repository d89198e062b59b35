#include "sim/SimSibling.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/PathFile.h"
#include "core/FileIo.h"
#include "models/rotor/OrvFiles.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Process.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Ga.h"
#include "records/Locks.h"
#include "records/OrvPrm.h"
#include "records/Sim.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimFile.h"
#include "sim/SimRotor.h"
#include "sim/SimSets.h"

using namespace simdlg;

namespace {

// When a file was last written, to tell a result of this run from an older one.
struct Stamp {
  bool exists = false;
  std::filesystem::file_time_type time{};
};

Stamp FileStamp(const std::string& name) {
  std::error_code ec;
  const std::filesystem::path path = platform::MapPath(name.c_str());
  Stamp s;
  if (!std::filesystem::is_regular_file(path, ec)) return s;
  s.time = std::filesystem::last_write_time(path, ec);
  s.exists = !ec;
  return s;
}

// Written by the run: it exists now and did not before, or is newer than before.
bool WrittenSince(const Stamp& before, const Stamp& after) {
  return after.exists && (!before.exists || after.time > before.time);
}

// A sibling program that is not where the path file says: the "Warning" naming it.
bool ProgramFound(const std::string& head, const char* path) {
  if (path[0] != '\0' && platform::FileExists(path)) return true;
  Box(StrPrintf("%s\n\nPROGRAM NOT FOUND [%s]\n\nCHECK THE PATHS OF QV95.DIR", head.c_str(), path), "Warning",
      kWarningBox);
  return false;
}

// Runs argv (in folder, when given) and waits for it at most waitMs. The exit code,
// STILL_ACTIVE when it still runs (stopped when stop is set), -1 when it could not be
// started.
int64_t RunWaiting(const std::vector<std::string>& argv, uint32_t waitMs, bool stop, const char* folder = nullptr) {
  HANDLE process = platform::StartProcess(argv, folder);
  if (!process) return -1;
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process, waitMs) == WAIT_TIMEOUT) {
    if (stop) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, INFINITE);
    }
  } else {
    GetExitCodeProcess(process, &code);
  }
  CloseHandle(process);
  return code;
}

bool HoldsRotorResult(int16_t set) {
  return Sim.FI_Lines[set] > 0 &&
         (std::strncmp(Sim.Sim_Type[set], "ORV", 3) == 0 || std::strncmp(Sim.Sim_Type[set], "VESPAR", 6) == 0);
}

// The genetic-algorithm run's result goes into its set only while the set is the one the
// run started for: the current folder is still the run's (another working file may have
// been opened meanwhile, with sets of its own) and the set keeps the run's name. The
// check and the read by bare name hold SimReadLock, under which the folder changes.
int32_t ReadGaResult(int16_t set, const std::string& folder) {
  EnterCriticalSection(&SimReadLock);
  char here[sizeof Ga.Run_Folder] = "";
  const DWORD length = GetCurrentDirectory(sizeof here, here);
  const bool sameFolder = folder.empty() || (length > 0 && length < sizeof here && folder == here);
  const bool sameSet = std::strcmp(Sim.Sim_Flnm[set], Ga.Run_Name) == 0;
  const int32_t read = sameFolder && sameSet && SimFIReadQVS(set, &Sim, 1, 0) == 1 ? 1 : 0;
  LeaveCriticalSection(&SimReadLock);
  return read;
}

}  // namespace

int32_t OrvOutputRename(int16_t set) {
  if (!IsSet(set)) return -1;
  const std::string result = OrvPrm.Res_Flnm;
  if (result.empty() || result == "NO_SIM") return -1;
  if (!platform::FileExists((result + ".QVS").c_str()) && platform::FileExists((result + ".f").c_str()))
    SimFI2QVS(result.c_str());
  if (!platform::FileExists((result + ".QVS").c_str())) return -1;
  const std::string name = Sim.Sim_Flnm[set];
  if (name.empty()) return -1;
  if (name != result) {
    if (!MoveFileEx((result + ".QVS").c_str(), (name + ".QVS").c_str(), MOVEFILE_REPLACE_EXISTING)) return -1;
    if (platform::FileExists((result + ".asc").c_str()))
      MoveFileEx((result + ".asc").c_str(), (name + ".asc").c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  return set;
}

int32_t OrvRun(int16_t set, int32_t mode) {
  if (!IsSet(set)) return 0;
  const std::string head = SetHead(set);
  ExecResourceFile(1);
  if (!ProgramFound(head, OrvPrm.Prog_Path)) return 0;
  if (HoldsRotorResult(set)) SimOrvPrmsCopy(set);
  const int32_t written =
      OrvPrm.Prog_Mode == 1 ? VesparWriteInputPrm(OrvPrm.In_Flnm) : OrvWriteInputPrm(OrvPrm.In_Flnm);
  if (written != 1) {
    core_io::StatusText(2, StrPrintf("ROTOR INPUT FILE [%s] NOT WRITTEN", OrvPrm.In_Flnm));
    return 0;
  }
  const std::string result = std::string(OrvPrm.Out_Base) + ".QVS";
  const Stamp before = FileStamp(result);
  core_io::StatusText(2, StrPrintf("RUNNING [%s]", OrvPrm.Prog_Path));
  const int64_t code = RunWaiting({OrvPrm.Prog_Path, OrvPrm.In_Flnm}, OrvPrm.Run_Wait_Ms, false);
  if (code < 0) {
    Box(StrPrintf("%s\n\nFAILED TO START [%s]", head.c_str(), OrvPrm.Prog_Path), "Warning", kWarningBox);
    return 0;
  }
  StrCopy(OrvPrm.Res_Flnm, OrvPrm.Out_Base);
  for (uint32_t& counter : OrvPrm.Res_Counts) counter = 0;
  OrvPrm.Res_Counts[3] = static_cast<uint32_t>(code);
  core_io::StatusText(2, code == STILL_ACTIVE ? StrPrintf("[%s] STILL RUNNING", OrvPrm.Prog_Path)
                                              : StrPrintf("[%s] ENDED - EXIT CODE=[%ld]", OrvPrm.Prog_Path,
                                                          static_cast<long>(code)));
  if (mode != 1) return 1;

  const std::string state = code == STILL_ACTIVE ? std::string("IS STILL RUNNING")
                                                 : StrPrintf("ENDED WITH EXIT CODE [%ld]", static_cast<long>(code));
  if (Box(StrPrintf("%s\n\nROTOR PROGRAM %s\n\nREAD RESULT [%s] INTO THE SET NOW [YES] | LATER WITH RD ORV [NO]?",
                    head.c_str(), state.c_str(), result.c_str()),
          "Question", kQuestionBox) != IDYES)
    return 1;
  if (!WrittenSince(before, FileStamp(result))) {
    Box(StrPrintf("%s\n\nRESULT [%s] MISSING | NOT WRITTEN BY THIS RUN\n\nNOT READ", head.c_str(), result.c_str()),
        "Warning", kWarningBox);
    StrCopy(OrvPrm.Res_Flnm, "NO_SIM");
    return 0;
  }
  const std::string name = Sim.Sim_Flnm[set];
  if (name.empty() || name == "NoName") {
    if (!SimNameAccepted(set, OrvPrm.Out_Base)) return 0;
    StrCopy(Sim.Sim_Flnm[set], OrvPrm.Out_Base);
  }
  return SimRotorResultRead(set) == 1 ? 1 : 0;
}

int32_t GaRun(int16_t set) {
  if (!IsSet(set)) return 0;
  if (Ga.Run_Stat == 1) {
    core_io::StatusText(2, "GA RUN BUSY");
    return 0;
  }
  ExecResourceFile(1);
  if (!ProgramFound(SetHead(set), Ga.Prog_Path[0])) return 0;
  if (Ga.Run_Thread) {
    CloseHandle(Ga.Run_Thread);
    Ga.Run_Thread = nullptr;
  }
  Ga.Run_Set = set;
  StrCopy(Ga.Run_Name, Sim.Sim_Flnm[set]);
  const DWORD length = GetCurrentDirectory(sizeof Ga.Run_Folder, Ga.Run_Folder);
  if (length == 0 || length >= sizeof Ga.Run_Folder) Ga.Run_Folder[0] = '\0';
  Ga.Run_Result = 0;
  Ga.Run_Stat = 1;
  Ga.Run_Thread = CreateThread(GaRunProcessThread, nullptr, nullptr);
  if (!Ga.Run_Thread) {
    Ga.Run_Stat = 0;
    return 0;
  }
  return 1;
}

DWORD GaRunProcessThread(void*) {
  const int16_t set = Ga.Run_Set;
  // Everything of the run lies in the folder it started in, whatever is opened meanwhile.
  const std::string folder = Ga.Run_Folder;
  const std::string name = std::string(Ga.Run_Name) + ".QVS";
  const std::string result = folder.empty() ? name : folder + "\\" + name;
  const Stamp before = FileStamp(result);
  const int64_t code = RunWaiting({Ga.Prog_Path[0], Ga.In_Flnm[0], Ga.Run_Name}, Ga.Run_Wait_Ms, true,
                                  folder.empty() ? nullptr : folder.c_str());
  int32_t outcome;
  if (code < 0) outcome = -1;
  else if (code == STILL_ACTIVE) outcome = -2;
  else if (code != 0) outcome = -3;
  else if (!WrittenSince(before, FileStamp(result))) outcome = -4;
  else outcome = ReadGaResult(set, folder);
  Ga.Run_Result = outcome;
  Ga.Run_Stat = 0;
  return 0;
}
