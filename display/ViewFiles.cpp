#include "display/ViewFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <vector>

#include "core/TypedArrays.h"
#include "display/ViewDecimate.h"
#include "display/ViewInternal.h"
#include "numerics/Smooth.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Window.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Locks.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

static_assert(std::endian::native == std::endian::little, "view and raw files are little-endian floats");

namespace {

constexpr const char* kLevelSuffix[3] = {".QVO", ".QVI", ".QVM"};

bool IsAbsoluteName(const char* name) {
  if (name[0] == '/' || name[0] == '\\') return true;
  return ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) && name[1] == ':';
}

bool ValidChannel(int16_t chn) { return chn >= 0 && chn <= 8; }

// Writes size floats to name through a temporary file beside it that replaces it
// only after every write and the close succeeded.
bool WriteViewFile(const std::string& name, const float* values, uint32_t size) {
  const std::string target = platform::MapPath(name.c_str());
  std::string temp;
  const int fd = platform::CreateTempBeside(target, &temp);
  if (fd < 0) return false;
  const char* at = reinterpret_cast<const char*>(values);
  size_t left = static_cast<size_t>(size) * 4u;
  bool ok = true;
  while (left > 0) {
    const ssize_t put = ::write(fd, at, left);
    if (put < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    at += put;
    left -= static_cast<size_t>(put);
  }
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(temp.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

// Reads exactly size floats from the start of name into values.
bool ReadViewFile(const std::string& name, float* values, uint32_t size) {
  const std::string path = platform::MapPath(name.c_str());
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const int64_t got = viewdetail::ReadBlock(fd, 0, values, size);
  ::close(fd);
  return got == static_cast<int64_t>(size);
}

// Replaces the channel's view arrays by fresh[0..2] (nullptr: no array) and frees
// the old ones after the lock is released.
void SwapArrays(int16_t chn, float* fresh[3], const uint32_t sizes[3]) {
  float* old[3] = {};
  {
    std::lock_guard<std::mutex> guard(ViewAryLock);
    for (int v = 0; v < 3; ++v) {
      old[v] = Dsp.Fl_Pt[v][chn];
      Dsp.Fl_Pt[v][chn] = fresh[v];
      Dsp.Fl_Pt_Len[v][chn] = fresh[v] ? sizes[v] : 0;
      fresh[v] = nullptr;
    }
  }
  for (float*& p : old) FFree1Dim(&p);
}

void FreeAll(float* arrays[3]) {
  for (int v = 0; v < 3; ++v) FFree1Dim(&arrays[v]);
}

bool IsBlankChannel(const char* name) {
  const char* base = viewfiles::BaseName(name);
  return std::strcmp(base, "blank") == 0 || std::strcmp(base, "Blank") == 0 || std::strcmp(base, "BLANK") == 0;
}

void DeleteIfThere(const std::string& name) {
  if (platform::FileExists(name.c_str())) DeleteFile(name.c_str());
}

void DeleteLevelFiles(const char* flnm, int level) {
  for (int16_t kind : {VIEW_KIND_AVE, VIEW_KIND_MAX}) DeleteIfThere(viewfiles::ViewFileNameOf(flnm, level, kind));
}

// Runs fn where the records belong: on the main window's thread, or on the caller's
// when there is no main window (or it is gone); always under ViewAryLock.
void OnRecordsThread(const std::function<void()>& fn) { platform::RunLockedOnWindowThread(Win.hWnd_Main, ViewAryLock, fn); }

uint32_t PointsOf(int64_t bytes) {
  const int64_t points = bytes / 4;
  return static_cast<uint32_t>(points > 4294967295LL ? 4294967295LL : points);
}

// What tells one raw file from another: a file renamed over a channel's file, or the
// file written anew, differs in one of these.
struct RawIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t bytes = 0;
  int64_t modSeconds = 0;
  int64_t modNanoseconds = 0;
  bool operator==(const RawIdentity&) const = default;
};

RawIdentity IdentityOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<int64_t>(st.st_size),
          static_cast<int64_t>(st.st_mtim.tv_sec), static_cast<int64_t>(st.st_mtim.tv_nsec)};
}

std::string RawPath(const char* flnm) { return platform::MapPath(DisplayDataPath(flnm).c_str()); }

bool RawIdentityAt(const char* flnm, RawIdentity* id) {
  struct stat st{};
  if (::stat(RawPath(flnm).c_str(), &st) != 0) return false;
  *id = IdentityOf(st);
  return true;
}

// The raw file holds the points the run defined the channel's pages from.
bool SizeAsDefined(const ViewRunTable& t, int16_t chn, const RawIdentity& raw) {
  return PointsOf(raw.bytes) == t.FL_SZ[WIN_RAW][chn];
}

// The records name the channel's file as the run took it.
bool NameAsTaken(const ViewRunTable& t, int16_t chn) {
  bool same = false;
  OnRecordsThread([&] { same = std::strcmp(Dsp.Chn_Flnm[chn], t.Chn_Flnm[chn]) == 0; });
  return same;
}

// The channel's file is no longer the one the run opened (raw): it was renamed in the
// records, or its raw file was replaced, rewritten or removed.
bool ChangedUnderRun(const ViewRunTable& t, int16_t chn, const RawIdentity& raw) {
  RawIdentity now;
  return !NameAsTaken(t, chn) || !RawIdentityAt(t.Chn_Flnm[chn], &now) || !(now == raw);
}

// Drops what the run made of a channel whose file changed under it: the view files it
// wrote and its arrays, which belong to a file the channel no longer names. The channel
// is marked for an update, which the thread asks a run for. 1: the run goes on.
int32_t DropChanged(ViewRunTable& t, int16_t chn, float* fresh[3], const std::vector<std::string>& written = {}) {
  FreeAll(fresh);
  for (const std::string& name : written) DeleteIfThere(name);
  DisplayViewArraysFree(chn);
  t.ViewUpdate[chn] = 1;
  t.Changed_Chn = chn;
  return 1;
}

void FilesHook(int16_t chn) {
  if (void (*hook)(int16_t) = ThreadCtl.View_FilesHook.load()) hook(chn);
}

// Reading mode: loads the view file of every level whose kind is not none.
int32_t PrepRead(ViewRunTable& t, int16_t chn) {
  const char* flnm = t.Chn_Flnm[chn];
  viewfiles::Status(0, "[%hd] [%s] READING QVM&QVI&QVO FILES", chn, flnm);
  float* fresh[3] = {};
  uint32_t sizes[3] = {};
  RawIdentity raw;
  if (!RawIdentityAt(flnm, &raw) || !SizeAsDefined(t, chn, raw)) return DropChanged(t, chn, fresh);
  FilesHook(chn);
  for (int v = 0; v < 3; ++v) {
    const int16_t kind = t.ViewKind[v][chn];
    if (kind == VIEW_KIND_NONE) continue;
    sizes[v] = t.FL_SZ[v][chn];
    if (QvAllocFailed(FAlloc1Dim(&fresh[v], sizes[v]))) {
      FreeAll(fresh);
      t.Chn_DspStat[chn] = 0;
      viewfiles::Box("Error", viewfiles::kError, "DisplayQviQvoPrep()/Dsp.Fl_Pt - CORE ALLOCATION ERROR");
      return 0;
    }
    const std::string name = viewfiles::ViewFileNameOf(flnm, v, kind == VIEW_KIND_AVE ? VIEW_KIND_AVE : VIEW_KIND_MAX);
    if (!ReadViewFile(name, fresh[v], sizes[v])) {
      if (ChangedUnderRun(t, chn, raw)) return DropChanged(t, chn, fresh);
      FreeAll(fresh);
      t.Chn_DspStat[chn] = 0;
      viewfiles::Box("Warning", viewfiles::kWarning, "CHN=[%d] FAILED TO READ FILE=[%s]", chn,
                     viewfiles::BaseName(name.c_str()));
      return 0;
    }
  }
  if (ChangedUnderRun(t, chn, raw)) return DropChanged(t, chn, fresh);
  SwapArrays(chn, fresh, sizes);  // the sizes read are the table's already
  return 1;
}

// Writing mode: one pass over the raw file builds every level, then the files.
int32_t PrepWrite(ViewRunTable& t, int16_t chn) {
  const char* flnm = t.Chn_Flnm[chn];
  viewfiles::Status(0, "[%d] [%s] WRT QVM&QVI&QVO FILES", chn, flnm);
  const double rawPts = t.FL_SZ[WIN_RAW][chn];
  ViewLevelOut levels[3];
  float* fresh[3] = {};
  for (int v = 0; v < 3; ++v) {
    if (t.ViewKind[v][chn] == VIEW_KIND_NONE) continue;
    const double pixels = static_cast<double>(t.Page_Pixels) * t.X_PAGES[v];
    const double size = std::trunc(pixels + 0.5);
    if (!(pixels > 0.0) || size < 1.0) {
      t.ViewKind[v][chn] = VIEW_KIND_NONE;  // no pixels: the level cannot be built
      continue;
    }
    Dsp.Pts2Pxl[v] = rawPts / pixels;
    Dsp.FrqStpView[v] = Dsp.Pts2Pxl[v] * t.Frq_Stp;
    if (size > 4294967295.0 || QvAllocFailed(FAlloc1Dim(&fresh[v], static_cast<uint32_t>(size)))) {
      FreeAll(fresh);
      t.Chn_DspStat[chn] = 0;
      viewfiles::Box("Error", viewfiles::kError, "DisplayQviQvoPrep()/Dsp.Fl_Pt - CORE ALLOCATION ERROR");
      return 0;
    }
    levels[v].kind = t.ViewKind[v][chn];
    levels[v].ptsPerPixel = Dsp.Pts2Pxl[v];
    levels[v].size = static_cast<uint32_t>(size);
    levels[v].values = fresh[v];
  }
  const bool blank = IsBlankChannel(flnm);

  const int fd = ::open(RawPath(flnm).c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st{};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    if (fd >= 0) ::close(fd);
    if (!NameAsTaken(t, chn)) return DropChanged(t, chn, fresh);
    FreeAll(fresh);
    DisplayViewArraysFree(chn);
    viewfiles::Box("Warning", viewfiles::kWarning, "CHN=[%d] FAILED TO READ RAW FILE=[%s]", chn, flnm);
    return 0;
  }
  // The file the pages were defined from, or none of it is built.
  const RawIdentity opened = IdentityOf(st);
  if (!SizeAsDefined(t, chn, opened)) {
    ::close(fd);
    return DropChanged(t, chn, fresh);
  }
  // A file of several blocks is cut into ranges of blocks on view workers, one a
  // core the process may run on, as far as there is room for their work sets.
  const uint64_t filePoints = static_cast<uint64_t>(st.st_size) / 4u;
  const uint64_t blocks = filePoints / VIEW_BLOCK_POINTS + 1;
  const uint32_t asked = ThreadCtl.View_Workers;
  const int cores = static_cast<int>(
      std::clamp(asked != 0 ? asked : static_cast<uint32_t>(platform::CoresAllowed()), 1u, kViewWorkersMax));
  const int sets = static_cast<int>(std::min<uint64_t>(blocks, static_cast<uint64_t>(cores)));
  ViewWork works[kViewWorkersMax];
  const int workCount = ViewWorkAllocSets(works, sets, VIEW_BLOCK_POINTS);
  if (workCount < 1) {
    ::close(fd);
    FreeAll(fresh);
    DisplayViewArraysFree(chn);
    viewfiles::Box("Error", viewfiles::kError,
                   "DisplayQviQvoPrep()/f2i_dpt/i_frq_dpt/i_itn_dpt/i_itn_fpt - CORE ALLOCATION ERROR");
    return 0;
  }

  ViewDecimateStats stats;
  if (!blank) {
    ViewDecimateHooks hooks;
    hooks.stop = [] { return viewfiles::StopRequested(); };
    hooks.progress = [chn, flnm](uint64_t points) {
      viewfiles::Status(2, "[%d] [%s] LNS=[%lld]", chn, flnm, static_cast<long long>(points));
    };
    hooks.disabled = [](int level) {
      static constexpr const char* kText[3] = {"OMNI VIEW ERROR\n\nDISABLING",
                                               "INTERMEDIATE VIEW 1 ERROR\n\nDISABLING",
                                               "INTERMEDIATE VIEW 2 ERROR\n\nDISABLING"};
      viewfiles::Box("Warning", viewfiles::kWarning, "%s", kText[level]);
    };
    const ViewDecimateEnd end = ViewDecimateOnWorkers(fd, filePoints, levels, works, workCount, cores, hooks, &stats);
    if (end != ViewDecimateEnd::Done) {
      ::close(fd);
      for (ViewWork& work : works) ViewWorkFree(&work);
      if (end == ViewDecimateEnd::ReadFailed && ChangedUnderRun(t, chn, opened)) return DropChanged(t, chn, fresh);
      FreeAll(fresh);
      // A stop that is part of a restart leaves the channel shown, so that the run
      // after it builds the channel's views; any other end takes it off the display.
      t.Stopped = end == ViewDecimateEnd::Stopped;
      if (end == ViewDecimateEnd::Stopped && ThreadCtl.View_StopRestart != 0)
        t.Stopped_For_Restart = true;
      else
        t.Chn_DspStat[chn] = 0;
      switch (end) {
        case ViewDecimateEnd::Stopped:
          SetEvent(ThreadCtl.View_StoppedEvent);
          viewfiles::Status(0, "VIEW PROCESSING RETURNING");
          break;
        case ViewDecimateEnd::ReadFailed:
          viewfiles::Box("Warning", viewfiles::kWarning, "CHN=[%d] FAILED TO READ RAW FILE=[%s]", chn, flnm);
          break;
        case ViewDecimateEnd::SeekTooFar: {
          const double step = std::fabs(t.Frq_Stp);
          viewfiles::Box("Error", viewfiles::kError,
                         "DisplayQviQvoRead()\n\nEXCEEDED LONG INTEGER FOR FILE SEEK\n\nFRQ BEG=[%lf] FRQ STP "
                         "IN=[%lf]\n\nABORTING",
                         stats.nextPosition * step, step);
          break;
        }
        default:
          viewfiles::Box("Error", viewfiles::kError, "DisplayQviQvoRead()\n\nINTERNAL ERROR\n\nABORTING");
          break;
      }
      return 0;
    }
    for (int v = 0; v < 3; ++v) {
      if (levels[v].kind == VIEW_KIND_NONE && t.ViewKind[v][chn] != VIEW_KIND_NONE) {
        t.ViewKind[v][chn] = VIEW_KIND_NONE;  // fewer than half a raw point per pixel
        FFree1Dim(&fresh[v]);
      }
    }
  }
  if (stats.overflows > 0) {
    viewfiles::Box("Warning", viewfiles::kWarning, "DSP QVI&QVM&QVO PREP\n\nNUMBER OF POINTS WHERE MAX FLOAT EXCEEDED=[%lld]",
                   static_cast<long long>(stats.overflows));
  }
  ::close(fd);
  for (ViewWork& work : works) ViewWorkFree(&work);
  // What was read is the file the channel names, or it is not written.
  if (ChangedUnderRun(t, chn, opened)) return DropChanged(t, chn, fresh);
  viewfiles::Status(0, "[%d] [%s] WRITING QVM&QVI&QVO FILES", chn, flnm);
  FilesHook(chn);

  uint32_t sizes[3] = {};
  std::vector<std::string> written;
  for (int v = 0; v < 3; ++v) {
    const int16_t kind = t.ViewKind[v][chn];
    if (kind == VIEW_KIND_NONE || !fresh[v]) {
      DeleteLevelFiles(flnm, v);
      continue;
    }
    sizes[v] = levels[v].size;
    const int16_t mine = kind == VIEW_KIND_AVE ? VIEW_KIND_AVE : VIEW_KIND_MAX;
    const int16_t other = mine == VIEW_KIND_AVE ? VIEW_KIND_MAX : VIEW_KIND_AVE;
    const std::string name = viewfiles::ViewFileNameOf(flnm, v, mine);
    if (!WriteViewFile(name, fresh[v], sizes[v])) {
      t.Chn_DspStat[chn] = 0;
      viewfiles::Status(3, "[%d] [%s.QVx] FAILED TO CREATE FILE", chn, flnm);
      continue;
    }
    written.push_back(name);
    DeleteIfThere(viewfiles::ViewFileNameOf(flnm, v, other));
  }
  // A change while they were written leaves files stamped after the new raw file:
  // they go, so that the freshness test never takes them for the new file's.
  if (ChangedUnderRun(t, chn, opened)) return DropChanged(t, chn, fresh, written);
  for (int v = 0; v < 3; ++v)
    if (fresh[v]) t.FL_SZ[v][chn] = sizes[v];
  SwapArrays(chn, fresh, sizes);
  t.ViewUpdate[chn] = 0;
  return 1;
}

}  // namespace

// ---- shared helpers ---------------------------------------------------------------

void viewfiles::Status(int part, const char* fmt, ...) {
  char text[700];
  va_list args;
  va_start(args, fmt);
  StrFormatV(text, sizeof text, fmt, args);
  va_end(args);
  if (Win.hWnd_StatusBar) SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

void viewfiles::Box(const char* caption, UINT style, const char* fmt, ...) {
  char text[900];
  va_list args;
  va_start(args, fmt);
  StrFormatV(text, sizeof text, fmt, args);
  va_end(args);
  MessageBox(Win.hWnd_Main, text, caption, style);
}

const char* viewfiles::BaseName(const char* name) {
  const char* base = name;
  for (const char* p = name; *p; ++p) {
    if (*p == '\\' || *p == '/') base = p + 1;
  }
  return base;
}

void viewfiles::FolderEnsure() {
  const std::string folder = DisplayDataPath(VIEW_FOLDER);
  const uint32_t use = platform::DirectoryExists(folder.c_str()) || CreateDirectory(folder.c_str()) ||
                               platform::DirectoryExists(folder.c_str())
                           ? 1
                           : 0;
  // Written only when it changes: the interface thread builds view-file names from it.
  if (Dsp.ViewFolderUse != use) Dsp.ViewFolderUse = use;
}

namespace {

template <class T, size_t N>
void CopyChanged(T (&to)[N], const T (&from)[N], const T (&before)[N]) {
  for (size_t i = 0; i < N; ++i)
    if (from[i] != before[i]) to[i] = from[i];
}

}  // namespace

void viewfiles::TableTake(ViewRunTable* table) {
  OnRecordsThread([table] {
    ViewRunTable& t = *table;
    t.Active_Chn = Win.Active_Chn;
    std::memcpy(t.Chn_DspStat, Dsp.Chn_DspStat, sizeof t.Chn_DspStat);
    std::memcpy(t.ViewUpdate, Dsp.ViewUpdate, sizeof t.ViewUpdate);
    std::memcpy(t.FL_SZ, Dsp.FL_SZ, sizeof t.FL_SZ);
    std::memcpy(t.X_PAGES, Win.X_PAGES, sizeof t.X_PAGES);
    std::memcpy(t.ViewKind, Win.ViewKind, sizeof t.ViewKind);
    std::memcpy(t.Chn_Flnm, Dsp.Chn_Flnm, sizeof t.Chn_Flnm);
    t.Page_Pixels = Win.Page_Pixels;
    t.Page_Width = Win.Page_Width;
    t.Frq_Stp = Dsp.Frq_Stp;
    StrCopy(t.Work_Date, Dsp.Work_Date);
    StrCopy(t.Work_Time, Dsp.Work_Time);
  });
}

void viewfiles::TablePublish(ViewRunTable* start, const ViewRunTable& table) {
  // Only what the run changed: a field the interface changed meanwhile and the run
  // did not keeps the interface's value.
  OnRecordsThread([start, &table] {
    const ViewRunTable& t = table;
    const ViewRunTable& b = *start;
    if (t.Active_Chn != b.Active_Chn) Win.Active_Chn = t.Active_Chn;
    CopyChanged(Dsp.Chn_DspStat, t.Chn_DspStat, b.Chn_DspStat);
    CopyChanged(Dsp.ViewUpdate, t.ViewUpdate, b.ViewUpdate);
    for (int v = 0; v < 4; ++v) CopyChanged(Dsp.FL_SZ[v], t.FL_SZ[v], b.FL_SZ[v]);
    CopyChanged(Win.X_PAGES, t.X_PAGES, b.X_PAGES);
    for (int v = 0; v < 3; ++v) CopyChanged(Win.ViewKind[v], t.ViewKind[v], b.ViewKind[v]);
    if (t.Page_Pixels != b.Page_Pixels) Win.Page_Pixels = t.Page_Pixels;
    if (std::strcmp(t.Work_Date, b.Work_Date) != 0) StrCopy(Dsp.Work_Date, t.Work_Date);
    if (std::strcmp(t.Work_Time, b.Work_Time) != 0) StrCopy(Dsp.Work_Time, t.Work_Time);
  });
  *start = table;
}

void viewfiles::OlderFilesMove(const char* flnm) {
  if (Dsp.ViewFolderUse != 1 || !flnm[0]) return;
  for (int v = 0; v < 3; ++v) {
    const std::string target = ViewFileNameOf(flnm, v, VIEW_KIND_AVE);
    const std::string inFolder = DisplayDataPath((std::string(VIEW_FOLDER) + "\\" + flnm + kLevelSuffix[v]).c_str());
    const std::string inData = DisplayDataPath((std::string(flnm) + kLevelSuffix[v]).c_str());
    if (platform::FileExists(inFolder.c_str())) MoveFileEx(inFolder.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (platform::FileExists(inData.c_str()))
      MoveFileEx(inData.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
  }
}

bool viewfiles::ViewFileExists(const char* flnm, int level, int16_t kind) {
  return platform::FileExists(ViewFileNameOf(flnm, level, kind).c_str());
}

int64_t viewfiles::ViewFileFloats(const char* flnm, int level, int16_t kind) {
  int64_t bytes = 0;
  if (!FileSizeGet(ViewFileNameOf(flnm, level, kind).c_str(), &bytes)) return -1;
  return bytes / 4;
}

bool viewfiles::StopRequested() {
  HANDLE stop = ThreadCtl.View_StopEvent;
  return stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0;
}

// ---- names ------------------------------------------------------------------------

std::string DisplayDataPath(const char* name) {
  if (!name) return std::string();
  if (IsAbsoluteName(name) || !Dsp.Data_Dir[0]) return name;
  std::string path = Dsp.Data_Dir;
  const char last = path.back();
  if (last != '\\' && last != '/') path += '\\';
  return path + name;
}

std::string DisplayViewFileName(int16_t chn, int level, int16_t kind) {
  return ValidChannel(chn) ? viewfiles::ViewFileNameOf(Dsp.Chn_Flnm[chn], level, kind) : std::string();
}

std::string viewfiles::ViewFileNameOf(const char* flnm, int level, int16_t kind) {
  if (level < 0 || level > 2) return std::string();
  std::string name = Dsp.ViewFolderUse == 1 ? std::string(VIEW_FOLDER) + "\\" : std::string();
  name += flnm;
  name += kLevelSuffix[level];
  name += kind == VIEW_KIND_AVE ? "a" : "m";
  return DisplayDataPath(name.c_str());
}

// ---- preparation and page reading ---------------------------------------------------

void DisplayViewArraysFree(int16_t chn) {
  if (!ValidChannel(chn)) return;
  float* none[3] = {};
  const uint32_t sizes[3] = {};
  SwapArrays(chn, none, sizes);
}

int32_t viewfiles::Prep(ViewRunTable& t, int16_t chn) {
  if (!ValidChannel(chn)) return 1;
  viewfiles::FolderEnsure();
  viewfiles::OlderFilesMove(t.Chn_Flnm[chn]);
  int none = 0;
  for (int v = 0; v < 3; ++v) {
    if (t.ViewKind[v][chn] != VIEW_KIND_NONE) continue;
    DeleteLevelFiles(t.Chn_Flnm[chn], v);
    ++none;
  }
  if (none == 3) return 1;  // every view file of the channel is gone
  if (t.Chn_DspStat[chn] == 0) {
    DisplayViewArraysFree(chn);
    return 1;
  }
  return t.ViewUpdate[chn] == 0 ? PrepRead(t, chn) : PrepWrite(t, chn);
}

int32_t DisplayQviQvoPrep(int16_t chn) {
  ViewRunTable start;
  viewfiles::TableTake(&start);
  ViewRunTable table = start;
  const int32_t done = viewfiles::Prep(table, chn);
  viewfiles::TablePublish(&start, table);
  return done;
}

namespace {

// The raw page of a file of filePoints points asked from first with wanted points: its
// points (at most 20,000, none when the file is empty) and its first point, not before
// the file and moved back so that the page ends with the file.
struct RawPage {
  int64_t start = 0;
  int64_t points = 0;
};
RawPage RawPageOf(int64_t filePoints, int32_t first, int32_t wanted) {
  const int64_t cap = wanted < WIN_DRAW_PTS ? wanted : WIN_DRAW_PTS;
  RawPage page;
  page.points = filePoints < cap ? filePoints : cap;
  page.start = first < 0 ? 0 : first;
  if (page.start + page.points > filePoints) page.start = filePoints - page.points;
  return page;
}

}  // namespace

int32_t DisplayRawPageFirst(int16_t chn, int32_t first, int32_t wanted) {
  int64_t bytes = 0;
  if (!ValidChannel(chn) || !platform::GetFileSize64(DisplayDataPath(Dsp.Chn_Flnm[chn]).c_str(), &bytes)) return first;
  const RawPage page = RawPageOf(bytes / 4, first, wanted);
  return page.points < 1 ? first : static_cast<int32_t>(page.start);
}

int32_t DisplayViewXAryRead(int16_t chn, int16_t level, int32_t* first, int32_t wanted, float* out, int32_t* read) {
  if (!ValidChannel(chn) || level < 0 || level > WIN_RAW || !first || !out || !read) return 0;
  if (Dsp.Data_Dir[0]) SetCurrentDirectory(Dsp.Data_Dir);
  const int32_t cap = wanted < WIN_DRAW_PTS ? wanted : WIN_DRAW_PTS;

  if (level == WIN_RAW) {
    const char* flnm = Dsp.Chn_Flnm[chn];
    const std::string path = platform::MapPath(DisplayDataPath(flnm).c_str());
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st{};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
      if (fd >= 0) ::close(fd);
      Dsp.Chn_DspStat[chn] = 0;
      viewfiles::Status(1, "CHN=[%d] FAILED TO READ FILE=[%s]", chn, flnm);
      return 0;
    }
    const RawPage page = RawPageOf(static_cast<int64_t>(st.st_size) / 4, *first, wanted);
    const int64_t points = page.points;
    const int64_t start = page.start;
    if (points < 1) {
      ::close(fd);
      return 0;
    }
    const int64_t got = viewdetail::ReadBlock(fd, static_cast<uint64_t>(start), out, static_cast<uint32_t>(points));
    ::close(fd);
    if (got != points) return 0;
    int32_t overflows = 0;
    for (int64_t i = 0; i < points; ++i) {
      if (ViewValueMissing(out[i])) {
        out[i] = 0.0f;
        ++overflows;
      }
    }
    if (overflows > 0) viewfiles::Status(3, "[%d] CHN [%s] MAX FLOAT NUMBER=[%d]", chn, flnm, overflows);
    if (Win.FFT_Smooth_On == 1 && FSmooth(out, Cnv.FFT_SmoothWin, static_cast<int32_t>(points)) != 1) return 0;
    *first = static_cast<int32_t>(start);
    *read = static_cast<int32_t>(points);
    return 1;
  }

  if (cap < 1) return 0;
  double ppp = Dsp.Pts2Pxl[level];
  if (!(ppp > 0.0) || !std::isfinite(ppp)) ppp = 1.0;
  std::lock_guard<std::mutex> guard(ViewAryLock);
  const float* values = Dsp.Fl_Pt[level][chn];
  const int64_t len = Dsp.Fl_Pt_Len[level][chn];
  if (!values || len < 1) return 0;
  const int64_t firstPoint = *first < 0 ? 0 : *first;
  int64_t start = static_cast<int64_t>(static_cast<double>(firstPoint) / ppp + 0.5);
  const int64_t half = wanted / 2;
  if (len - start < half) {
    start = len - half;
    if (start < half) start = 0;
  }
  if (start < 0) start = 0;
  if (start >= len) start = len - 1;
  const int64_t count = len - start < cap ? len - start : cap;
  std::memcpy(out, values + start, static_cast<size_t>(count) * sizeof(float));
  const double newFirst = static_cast<double>(start) * ppp + 0.5;
  *first = newFirst < 2147483647.0 ? static_cast<int32_t>(newFirst) : 2147483647;
  *read = static_cast<int32_t>(count);
  return 1;
}
