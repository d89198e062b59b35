// File/Open and File/Save of the working file: the dialog, the data folder and the
// working file's name it sets, and the read or write.
#include "app/WorkFileDialog.h"

#include <string>

#include "app/WorkFile.h"
#include "app/WorkFileInternal.h"
#include "core/Repaint.h"
#include "display/FileDialogs.h"
#include "display/ViewFiles.h"
#include "fit/NLLsf.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/Locks.h"
#include "records/Sim.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "sim/SimSets.h"

using namespace filedialog;
using namespace workfile;

namespace {

// Names of the working file taken from a chosen path, and put back after a failure.
struct WorkNames {
  char dataDir[sizeof Dsp.Data_Dir];
  char workFlnm[sizeof Dsp.Work_Flnm];
  void Keep() {
    StrCopy(dataDir, Dsp.Data_Dir);
    StrCopy(workFlnm, Dsp.Work_Flnm);
  }
  void Restore() const {
    StrCopy(Dsp.Data_Dir, dataDir);
    StrCopy(Dsp.Work_Flnm, workFlnm);
  }
};

// The folder of a chosen path: the data folder for a name without one.
std::string ChosenFolder(const std::string& chosen) {
  const size_t cut = LastSeparator(chosen);
  return cut == std::string::npos ? std::string(Dsp.Data_Dir) : chosen.substr(0, cut);
}

bool TakeWorkPath(const std::string& chosen) {
  size_t cut = LastSeparator(chosen);
  std::string folder = ChosenFolder(chosen);
  std::string name = cut == std::string::npos ? std::string("Default") : chosen.substr(cut + 1);
  if (name.empty()) name = "Default";
  if (folder.size() + 1 > sizeof Dsp.Data_Dir || name.size() + 1 > sizeof Dsp.Work_Flnm) return false;
  StrCopy(Dsp.Data_Dir, folder.c_str());
  StrCopy(Dsp.Work_Flnm, name.c_str());
  return true;
}

// Takes the chosen path as the data folder and working-file name and makes that folder
// current; on failure the names are those of before, and *unreachable names the folder
// that could not be made current. A simulation file read by its bare name (under
// SimReadLock, also on the genetic-algorithm thread) is never read across the change.
bool TakeWorkFolder(const std::string& chosen, const WorkNames& before, std::string* unreachable) {
  EnterCriticalSection(&SimReadLock);
  bool taken = TakeWorkPath(chosen);
  if (taken && Dsp.Data_Dir[0] && !SetCurrentDirectory(Dsp.Data_Dir)) {
    *unreachable = Dsp.Data_Dir;
    before.Restore();
    taken = false;
  }
  LeaveCriticalSection(&SimReadLock);
  return taken;
}

// An operation sequence names its files bare, in the folder it runs in: while one runs
// no other working file is opened, and the working file is saved into the data folder
// only (a stop would wait for a sequence that waits for its prompt).
bool SequenceRunning() { return ThreadCtl.OpSeq_Alive != 0; }
void RefuseWhileSequence(const char* what) {
  Warn(StrPrintf("OPSEQ THREAD RUNNING\n\n%s\n\nABORTING", what).c_str());
}

}  // namespace

int32_t WorkFileWin95(int16_t mode, HWND owner) {
  bool save = mode == 1;
  if (!save && SequenceRunning()) {
    RefuseWhileSequence("NO WORKING FILE OPENED UNTIL IT ENDS");
    return 0;
  }
  FileDialogCurrentFolder(0);
  char file[FILE_CAP] = "";
  const char* filter;
  if (!save) {
    if (Dsp.Work_Flnm[0]) {
      // The loaded working file is saved first; when that fails the open does not go on,
      // so that nothing unsaved is dropped.
      if (!WorkFileWin95(1, owner)) {
        FileDialogCurrentFolder(1);
        return 0;
      }
      FileDialogCurrentFolder(0);
      StrCopy(file, InDataFolder(Dsp.Work_Flnm).c_str());
    }
    filter = "QV95 WORKING FILES (*.QVW, *.WKF)\0*.QVW;*.WKF;*.WK;WK.*;WK-*\0ALL FILES\0*.*\0";
  } else {
    if (!Dsp.Work_Flnm[0]) StrCopy(Dsp.Work_Flnm, "Qv95.QVW");
    StrCopy(file, InDataFolder(Dsp.Work_Flnm).c_str());
    filter = "QV95 WORKING FILES (*.QVW)\0*.QVW\0ALL FILES\0*.*\0";
    if (Sim.Upd_Stat == 1 && !SimFIUpdateQVS()) {
      FileDialogCurrentFolder(1);
      return 0;
    }
  }

  int32_t result;
  if (!ShowDialog(save, owner, filter, "QVW", file)) {
    result = save ? 1 : 0;
    FileDialogCurrentFolder(1);
  } else if (save && SequenceRunning() && !SameFolder(ChosenFolder(file), Dsp.Data_Dir)) {
    RefuseWhileSequence(StrPrintf("WORKING FILE SAVED INTO DATA FOLDER [%s] ONLY UNTIL IT ENDS", Dsp.Data_Dir).c_str());
    result = 0;
    FileDialogCurrentFolder(1);
  } else {
    // A fit works in the folder and on the sets it started with: it stops, storing
    // nothing, and its worker ends (with its log) before another folder or working file
    // is taken.
    if (!save || !SameFolder(ChosenFolder(file), Dsp.Data_Dir)) NLLsfStop();
    // The view thread builds its paths from the data folder and the channel names:
    // a run under way stops before they change and starts again afterwards.
    const bool viewStopped = DisplayViewStopForChange();
    WorkNames before;
    before.Keep();
    if (!save) {
      // Reading frees every set: modified quadrupole assignments, written by their set's
      // lines, are offered for saving first, while the data folder is still theirs.
      for (int16_t s = 0; s < SIM_SETS; ++s) SimFIQuadAsnModStat(s);
      FileDialogCurrentFolder(0);
    }
    std::string unreachable;
    if (!TakeWorkFolder(file, before, &unreachable)) {
      if (!unreachable.empty())
        Warn(StrPrintf("FAILED TO CHANGE BACK TO DATA DIRECTORY\n\n[%s]", unreachable.c_str()).c_str());
      result = 0;
    } else if (!save) {
      // A refused file leaves the names of the file loaded before, so that a later save
      // does not write the old fields over the refused file.
      bool refused = false;
      WorkFileReadChecked(&refused);
      if (refused) before.Restore();
      result = refused ? 0 : 1;
    } else {
      result = WorkFileWrite();
      if (!result) before.Restore();
    }
    MainWindowTitleSet();
    FileDialogCurrentFolder(1);
    // An opened working file has its views prepared (its channels' files may be newer
    // than their view files, and the arrays in memory are the former file's).
    if (viewStopped || (!save && result == 1)) DisplayViewRestart();
  }
  RepaintWindow("FD_0P", Win.hWnd_Main, TRUE);
  return result;
}
