// Helpers shared by the view files and the view thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windows/MessageBox.h"
#include "platform/kernel/WinTypes.h"
#include "records/Dsp.h"
#include "records/Win.h"

// The channel-table fields a view run reads and writes. The run works on a copy taken
// on the main window's thread when it starts and hands back there what it changed, so
// the paint, the keys and the dialogs never read a field while the run writes it.
struct ViewRunTable {
  int16_t Active_Chn = 9;
  uint32_t Chn_DspStat[DSP_CHN] = {};
  uint32_t ViewUpdate[DSP_CHN] = {};
  uint32_t FL_SZ[4][DSP_CHN] = {};
  double X_PAGES[4] = {};
  int16_t ViewKind[3][WIN_CHN] = {};
  int32_t Page_Pixels = 0;
  // Read only: the page width, the run's request (VIEW_REQUEST_ bits), the frequency step.
  int32_t Page_Width = 0;
  uint32_t Request = 0;
  double Frq_Stp = 0.0;
  char Work_Date[256] = "";
  char Work_Time[256] = "";
  // The channel file names as the run took them: it measures, reads and names every
  // file of a channel by these, whatever the interface stores meanwhile (never handed back).
  char Chn_Flnm[DSP_CHN][200] = {};
  // The last channel whose file changed under the run (its name or its raw file): what
  // the run built of it is gone and the channel is marked for an update; -1 for none.
  int16_t Changed_Chn = -1;
  // Set by a build stopped for a restart: the display flags and the active channel
  // stay as they were (never handed back).
  bool Stopped_For_Restart = false;
  // Set by a build ended by a stop request (for a restart or not).
  bool Stopped = false;
};

namespace viewfiles {

constexpr UINT kWarning = MB_SYSTEMMODAL | MB_ICONEXCLAMATION;  // 0x1030
constexpr UINT kError = MB_SYSTEMMODAL | MB_ICONHAND;           // 0x1010
constexpr UINT kInfo = MB_SYSTEMMODAL | MB_ICONASTERISK;        // 0x1040

// Text of part 0..3 of the main status bar.
void Status(int part, const char* fmt, ...) QV_PRINTF(2, 3);
// A box owned by the main window.
void Box(const char* caption, UINT style, const char* fmt, ...) QV_PRINTF(3, 4);

// Tests the view-file folder and creates it when missing; Dsp.ViewFolderUse becomes
// 0 when it can be neither found nor created, else 1.
void FolderEnsure();
// Moves view files of the older layout (".QVO", ".QVI", ".QVM") of channel file flnm to
// the average names, first those in the view-file folder, then those in the data folder.
void OlderFilesMove(const char* flnm);
// Path of the view file of channel file flnm, level 0..2, average (1) or maximum (0) kind.
std::string ViewFileNameOf(const char* flnm, int level, int16_t kind);
bool ViewFileExists(const char* flnm, int level, int16_t kind);
// Size in floats of a view file, -1 when it does not exist.
int64_t ViewFileFloats(const char* flnm, int level, int16_t kind);
// The view thread's stop event is set (consumes it).
bool StopRequested();
// Copies the records' fields into table on the main window's thread (on the caller's
// when there is no main window), under ViewAryLock.
void TableTake(ViewRunTable* table);
// Writes back, the same way, every field in which table differs from start; start
// becomes table.
void TablePublish(ViewRunTable* start, const ViewRunTable& table);
// DisplayQviQvoPrep, DisplayQviQvoUpToDate and the size check of DisplayFileDateCheck
// on a run's table.
int32_t Prep(ViewRunTable& t, int16_t chn);
int32_t UpToDate(ViewRunTable& t, int16_t chn);
void SizesCheck(ViewRunTable& t);
// The name after its last backslash or slash.
const char* BaseName(const char* name);

}  // namespace viewfiles
