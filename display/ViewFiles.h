// View files and the view-file thread.
//
// Each display channel keeps three decimated copies of its raw float file, one per
// coarse view level 0..2 (OMNI, ITM1, ITM2), as headerless float files in the
// sub-folder "QV95OIM" of the data folder, and in memory in Dsp.Fl_Pt. A level has
// an average file (".QVOa", ".QVIa", ".QVMa") or a maximum file (".QVOm", ".QVIm",
// ".QVMm"), never both. The view thread (DisplayQviQvoSetup) decides the pages of each
// level, checks the view files against the raw files and has them rebuilt or loaded
// by DisplayQviQvoPrep; painting reads pages with DisplayViewXAryRead.
//
// Only one view run works at a time: a run asked for while another one works is
// queued and follows it. The view arrays are replaced under ViewAryLock
// (records/Locks.h), so page reading never sees an array being freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/kernel/WinTypes.h"

// Name of the view-file sub-folder of the data folder.
inline constexpr char VIEW_FOLDER[] = "QV95OIM";

// Dsp.ViewUpdate of a channel whose file an edit has just written under a new name: the
// next full run takes the channel's kinds and pages from the view files of that name,
// as for a channel opened afresh (a level without one takes its default pages and
// kind), and then rebuilds them all.
constexpr uint32_t VIEW_UPDATE_NEW_FILE = 2;

// ---- view files and page reading ------------------------------------------------
// Loads (ViewUpdate 0) or rebuilds and writes (ViewUpdate 1) the view files of a
// displayed channel, frees the arrays of a channel that is not displayed, and deletes
// the files of levels whose kind is none. 1 on success or when nothing was to be done,
// 0 when stopped or failed (failures reported).
int32_t DisplayQviQvoPrep(int16_t chn);

// Reads one page of channel chn at view level into out (at most 20,000 values):
// *first is the page's first raw point, moved when the page would run past the end;
// *read receives the values read. 1 when a page was read, else 0.
int32_t DisplayViewXAryRead(int16_t chn, int16_t level, int32_t* first, int32_t wanted, float* out, int32_t* read);
// The first point of the raw page that DisplayViewXAryRead reads for a page of wanted
// points asked from first: not before the file, and moved back so that the page ends
// with the file. first itself when the file cannot be read or holds no point.
int32_t DisplayRawPageFirst(int16_t chn, int32_t first, int32_t wanted);

// Frees the three view arrays of a channel (under ViewAryLock).
void DisplayViewArraysFree(int16_t chn);

// Path of a file named relative to the data folder (an absolute name stays as it
// is), in the stored backslash form.
std::string DisplayDataPath(const char* name);
// Path of the view file of channel chn, level 0..2, average (1) or maximum (0) kind.
std::string DisplayViewFileName(int16_t chn, int level, int16_t kind);

// ---- the view thread ------------------------------------------------------------
// Thread body of the view-file preparation. Started through FunctionThreadCreate (a
// non-null parameter: its request is already waiting), or called directly (null: the
// request fields of Win are its request); when a run is under way it only leaves its
// request to that run and returns. Requests that meet are merged into one run.
DWORD DisplayQviQvoSetup(void* queued);
// Stops a view run under way and waits until it has ended (the wait keeps servicing
// messages sent to the waiting thread). The channel whose views were being built leaves
// the display. The stopped run's request and those waiting are held, not dropped: the
// next start asks for them again. Called before the channel table changes.
void DisplayViewAbort();
// Before the data folder, the working-file name or a channel file name changes: stops
// a view run under way (or queued) as DisplayViewAbort does, but as part of a restart:
// the display flags and the active channel stay as they were. Says whether there was a
// run, so that the caller starts it again with DisplayViewRestart or DisplayViewResume
// once the change is made.
bool DisplayViewStopForChange();
// Starts a view run (queued behind one under way): by default a full one (pages and
// preparation), with the requests a stop held back.
void DisplayViewRestart(uint32_t pageType = 0, uint32_t prep = 1);
// Starts again the requests a stop held back, and nothing when there are none.
void DisplayViewResume();
// Runs store, which changes channel file names (true when it stored what it was given),
// with a view run under way stopped first (DisplayViewStopForChange) and what the stop
// held back asked for again afterwards. Only from the interface thread, whose waits
// service what the run sends it. Returns what store returned.
bool DisplayViewStoppedFor(const std::function<bool()>& store);
// Starts the view thread (page reset 0, prepare 1) unless it has been started before
// in this program's life.
void DisplayViewStartOnce();
// mode -1: size in floats of the file name in the data folder (0 when missing).
// mode 0: raw sizes of channels 0..8 into Dsp.FL_SZ[3], date and time texts from the
// first channel file that has them; returns 0.
int64_t DisplayFileDateCheck(int16_t mode, const char* name);
// Date "month-day-year" and time "hour:minutes" of a file in the data folder;
// "00-00-0000" and "00:00" when it has none. 1 when the file's time was read, else 0.
int32_t FileDateTimeRead(const char* name, char* date, size_t dateCap, char* time, size_t timeCap);
template <size_t D, size_t T>
int32_t FileDateTimeRead(const char* name, char (&date)[D], char (&time)[T]) {
  return FileDateTimeRead(name, date, D, time, T);
}
// 1 and the size in bytes when the file exists, else 0.
int32_t FileSizeGet(const char* path, int64_t* bytes);
// Marks the channel's view files for rebuilding when any of them is older than its
// raw file. 0 when the raw file's time cannot be read, else 1.
int32_t DisplayQviQvoUpToDate(int16_t chn);
