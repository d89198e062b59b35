// The view-file thread: pages per level, freshness of the view files, and the
// preparation of every displayed channel.
#include <cmath>
#include <cstring>
#include <string>

#include "core/Repaint.h"
#include "core/Threads.h"
#include "display/ViewDecimate.h"
#include "display/ViewFiles.h"
#include "display/ViewInternal.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

namespace {

using viewfiles::Status;

struct LevelDefault {
  double pages;
  int16_t kind;
};

// Default pages and kind of each level from the raw size in points.
void DefaultPages(double rawPoints, LevelDefault out[3]) {
  out[0] = {1.0, VIEW_KIND_MAX};
  if (rawPoints <= 100.0) {
    out[0] = {0.0, VIEW_KIND_NONE};
    out[1] = {0.0, VIEW_KIND_NONE};
    out[2] = {0.0, VIEW_KIND_NONE};
  } else if (rawPoints <= 1000.0) {
    out[1] = {5.0, VIEW_KIND_AVE};
    out[2] = {0.0, VIEW_KIND_NONE};
  } else if (rawPoints <= 10000.0) {
    out[1] = {10.0, VIEW_KIND_AVE};
    out[2] = {50.0, VIEW_KIND_AVE};
  } else if (rawPoints <= 100000.0) {
    out[1] = {10.0, VIEW_KIND_MAX};
    out[2] = {100.0, VIEW_KIND_AVE};
  } else {
    out[1] = {100.0, VIEW_KIND_MAX};
    out[2] = {1000.0, VIEW_KIND_MAX};
  }
}

// Scales two page values to integers of a common precision (from 1e10 down until
// both stay below 214748365 in magnitude).
void ScalePages(double a, double b, int64_t* sa, int64_t* sb) {
  double scale = 1.0e10;
  while (scale > 1.0e-30 && (std::fabs(a * scale) >= 214748365.0 || std::fabs(b * scale) >= 214748365.0)) scale /= 10.0;
  *sa = static_cast<int64_t>(scale * a + 0.5);
  *sb = static_cast<int64_t>(scale * b + 0.5);
}

// Level pages that are 0 or exceed the raw pages.
bool PagesFail(double pages, double rawPages) {
  int64_t p = 0;
  int64_t r = 0;
  ScalePages(pages, rawPages, &p, &r);
  return p == 0 || p > r;
}

double RawPages(const ViewRunTable& t, int16_t chn) { return static_cast<double>(t.FL_SZ[WIN_RAW][chn]) / t.Page_Pixels; }

bool Displayed(const ViewRunTable& t, int16_t chn) { return chn >= 0 && chn <= 8 && t.Chn_DspStat[chn] != 0; }

// A SYSTEMTIME as one comparable number (milliseconds resolution).
int64_t TimeKey(const SYSTEMTIME& t) {
  return ((((((static_cast<int64_t>(t.wYear) * 13 + t.wMonth) * 32 + t.wDay) * 24 + t.wHour) * 60 + t.wMinute) * 60 +
           t.wSecond) *
              1000 +
          t.wMilliseconds);
}

// Step 10: the page definition of the active channel. newFile: its file was just
// written under a new name, and every level without a view file of that name takes its
// default pages and kind (a channel opened afresh stops looking at its files once one
// level has taken the defaults, and keeps the working file's choices for the rest).
void DefineActivePages(ViewRunTable& t, int16_t act, bool newFile) {
  const char* flnm = t.Chn_Flnm[act];
  const double rawPts = t.FL_SZ[WIN_RAW][act];
  const double rawPages = t.X_PAGES[WIN_RAW];
  LevelDefault defaults[3];
  DefaultPages(rawPts, defaults);
  for (int v = 0; v < 3; ++v) {
    int16_t& kind = t.ViewKind[v][act];
    if (kind == VIEW_KIND_NONE) {
      t.X_PAGES[v] = 0.0;
      continue;
    }
    if (t.ViewUpdate[act] == 0 || newFile) {
      if (kind == VIEW_KIND_AVE && viewfiles::ViewFileExists(flnm, v, VIEW_KIND_MAX)) {
        DeleteFile(viewfiles::ViewFileNameOf(flnm, v, VIEW_KIND_MAX).c_str());
        viewfiles::Box("Info", viewfiles::kInfo, "SETUP UNLINK A CHN=[%d] VIEW=[%d]", act, v);
      } else if (kind == VIEW_KIND_MAX && viewfiles::ViewFileExists(flnm, v, VIEW_KIND_AVE)) {
        DeleteFile(viewfiles::ViewFileNameOf(flnm, v, VIEW_KIND_AVE).c_str());
        viewfiles::Box("Info", viewfiles::kInfo, "SETUP UNLINK M CHN=[%d] VIEW=[%d]", act, v);
      }
      const int64_t floats = viewfiles::ViewFileFloats(flnm, v, kind == VIEW_KIND_AVE ? VIEW_KIND_AVE : VIEW_KIND_MAX);
      if (floats < 0) {
        t.X_PAGES[v] = defaults[v].pages;
        kind = defaults[v].kind;
        t.ViewUpdate[act] = 1;
      } else {
        t.FL_SZ[v][act] = static_cast<uint32_t>(floats > 4294967295LL ? 4294967295LL : floats);
        t.X_PAGES[v] = static_cast<double>(floats) / t.Page_Pixels;
      }
    }
    if (kind != VIEW_KIND_NONE && PagesFail(t.X_PAGES[v], rawPages)) {
      if (rawPages >= 1.0) {
        t.X_PAGES[v] = defaults[v].pages;
        kind = defaults[v].kind;
      }
      if (kind == VIEW_KIND_NONE || PagesFail(t.X_PAGES[v], rawPages)) {
        t.X_PAGES[v] = 0.0;
        kind = VIEW_KIND_NONE;
      }
      t.ViewUpdate[act] = 1;
    }
    if (kind == VIEW_KIND_NONE) {
      t.X_PAGES[v] = 0.0;
      continue;
    }
    if (t.X_PAGES[v] < 0.001) {
      t.X_PAGES[v] = 0.001;
      if (rawPages >= 0.001) {
        t.ViewUpdate[act] = 1;
        Status(3, "[%hd] [%s] MIN PAGE VALUE=[%lf]", act, flnm, t.X_PAGES[v]);
      } else {
        t.X_PAGES[v] = 0.0;
        kind = VIEW_KIND_NONE;
        continue;
      }
    }
    const double size = std::trunc(t.Page_Pixels * t.X_PAGES[v] + 0.5);
    t.FL_SZ[v][act] = size < 4294967295.0 ? static_cast<uint32_t>(size) : 4294967295u;
    t.X_PAGES[v] = static_cast<double>(t.FL_SZ[v][act]) / t.Page_Pixels;
  }
}

// Step 11 for one displayed channel: its levels against the active channel's pages.
// false when the channel left the display.
bool CheckChannel(ViewRunTable& t, int16_t chn, int16_t act) {
  const char* flnm = t.Chn_Flnm[chn];
  if (t.FL_SZ[WIN_RAW][chn] == 0) {
    t.Chn_DspStat[chn] = 0;
    Status(0, "[%hd] [%s] DOES NOT EXIST", chn, flnm);
    return false;
  }
  const double rawPages = RawPages(t, chn);
  if (rawPages > 100.0 * t.X_PAGES[WIN_RAW]) {
    t.Chn_DspStat[chn] = 0;
    Status(0, "[%hd] [%s] TOO LARGE FOR PAGE VALUES", chn, flnm);
    return false;
  }
  bool upToDateChecked = false;
  for (int v = 0; v < 3; ++v) {
    if (t.ViewKind[v][act] == VIEW_KIND_NONE) {
      t.ViewKind[v][chn] = VIEW_KIND_NONE;
      continue;
    }
    if (t.X_PAGES[v] > rawPages + 0.001) {
      t.Chn_DspStat[chn] = 0;
      Status(0, "[%d] [%s] TOO SHORT FOR PAGE VALUES", chn, flnm);
      return false;
    }
    if (!upToDateChecked) {
      viewfiles::UpToDate(t, chn);
      upToDateChecked = true;
    }
    const bool ave = viewfiles::ViewFileExists(flnm, v, VIEW_KIND_AVE);
    const bool max = viewfiles::ViewFileExists(flnm, v, VIEW_KIND_MAX);
    if (ave || max) {
      if (t.ViewUpdate[chn] == 0) t.ViewKind[v][chn] = ave ? VIEW_KIND_AVE : VIEW_KIND_MAX;
      const int16_t kind = t.ViewKind[v][chn];
      int16_t from = kind == VIEW_KIND_AVE ? VIEW_KIND_AVE : VIEW_KIND_MAX;
      if (!viewfiles::ViewFileExists(flnm, v, from)) from = ave ? VIEW_KIND_AVE : VIEW_KIND_MAX;
      const int64_t floats = viewfiles::ViewFileFloats(flnm, v, from);
      const uint32_t stored = static_cast<uint32_t>(floats < 0 ? 0 : (floats > 4294967295LL ? 4294967295LL : floats));
      t.FL_SZ[v][chn] = stored;
      int64_t a = 0;
      int64_t b = 0;
      ScalePages(static_cast<double>(stored) / t.Page_Pixels, t.X_PAGES[v], &a, &b);
      if (a - b > 1 || b - a > 1) t.ViewUpdate[chn] = 1;
    } else {
      t.ViewUpdate[chn] = 1;
      t.ViewKind[v][chn] = t.ViewKind[v][act];
    }
  }
  return true;
}

// Ends a run early: what it changed handed back, then busy cleared.
void EndRun(ViewRunTable& t, ViewRunTable* start) {
  viewfiles::TablePublish(start, t);
  ThreadCtl.View_Busy = 0;
}

// One complete view run on t, a copy of the records taken as it starts (also in start,
// what the records hold as far as the run knows).
void SetupRun(ViewRunTable& t, ViewRunTable* start) {
  Status(0, "VIEW PROCESSING RUNNING");
  // Requests merged into one run: a re-selection first, then the pages (and the
  // preparation) when any of the requests asked for them.
  const bool reselect = (t.Request & VIEW_REQUEST_RESELECT) != 0;
  const uint32_t prep = (t.Request & VIEW_REQUEST_PREP) != 0 ? 1 : 0;
  if (t.Active_Chn < 0 || t.Active_Chn > 9) t.Active_Chn = 9;
  viewfiles::SizesCheck(t);

  // Step 2: only re-select the active channel.
  if (reselect) {
    const int16_t act = t.Active_Chn;
    const bool none = act == 9 || !Displayed(t, act);
    if (none) {
      if (act == 9) {
        for (int v = 0; v < 3; ++v) {
          t.X_PAGES[v] = 0.0;
          t.ViewKind[v][9] = VIEW_KIND_NONE;
        }
      }
      Status(1, "NO DISPLAY CHN");
    } else {
      t.ViewUpdate[act] = 1;
    }
    if ((t.Request & (VIEW_REQUEST_PAGES | VIEW_REQUEST_PREP)) == 0) {
      Status(0, none ? "VIEW PROCESSING ABORTED" : "VIEW CHANNEL RESELECTED");
      return EndRun(t, start);
    }
  }

  // Step 3: the page width.
  t.Page_Pixels = t.Page_Width;
  if (t.Page_Pixels <= 0) {
    t.Page_Pixels = 3000;
    for (uint32_t& shown : t.Chn_DspStat) shown = 0;
    Status(1, "WINDOW WIDTH ZERO");
    Status(0, "VIEW PROCESSING ABORTED");
    return EndRun(t, start);
  }

  // Steps 4 and 5: the active channel and the raw pages.
  if (!Displayed(t, t.Active_Chn)) {
    for (int v = 0; v < 3; ++v) t.X_PAGES[v] = 0.0;
    for (uint32_t& update : t.ViewUpdate) update = 0;
  }
  if (Displayed(t, t.Active_Chn) && RawPages(t, t.Active_Chn) != 0.0) {
    t.X_PAGES[WIN_RAW] = RawPages(t, t.Active_Chn);
  } else {
    bool found = false;
    for (int16_t c = 0; c <= 8; ++c) {
      if (!Displayed(t, c)) continue;
      if (RawPages(t, c) == 0.0) {
        t.Chn_DspStat[c] = 0;
        Status(0, "[%hd] [%s] DOES NOT EXIST", c, t.Chn_Flnm[c]);
      } else {
        t.Active_Chn = c;
        t.X_PAGES[WIN_RAW] = RawPages(t, c);
        found = true;
      }
    }
    if (!found) {
      for (int v = 0; v < 3; ++v) t.ViewKind[v][9] = VIEW_KIND_NONE;
      t.Active_Chn = 9;
      Status(1, "NO DISPLAY CHN");
      Status(0, "VIEW PROCESSING ABORTED");
      return EndRun(t, start);
    }
  }
  const int16_t act = t.Active_Chn;

  // Step 6: too small for the page width.
  if (t.X_PAGES[WIN_RAW] < 0.001) {
    viewfiles::Box("Warning", viewfiles::kWarning, "FILE [%s] TOO SMALL TO DISPLAY\n\nMAKE DRAWING WINDOW SMALLER",
                   t.Chn_Flnm[act]);
    t.Chn_DspStat[act] = 0;
    t.Active_Chn = 9;
    for (double& pages : t.X_PAGES) pages = 0.0;
    Status(1, "RAW WINDOW WIDTH TOO SMALL");
    Status(0, "VIEW PROCESSING ABORTED");
    return EndRun(t, start);
  }

  // A file just written under a new name is set up as a channel opened afresh, and
  // rebuilt all the same.
  const bool newFile = t.ViewUpdate[act] == VIEW_UPDATE_NEW_FILE;
  if (newFile) t.ViewUpdate[act] = 0;

  // Steps 7 and 8: the view-file folder, older names, kinds from the files present.
  viewfiles::FolderEnsure();
  for (int16_t c = 0; c <= 8; ++c) viewfiles::OlderFilesMove(t.Chn_Flnm[c]);
  if (t.ViewUpdate[act] == 0) {
    for (int v = 0; v < 3; ++v) {
      if (viewfiles::ViewFileExists(t.Chn_Flnm[act], v, VIEW_KIND_AVE)) {
        t.ViewKind[v][act] = VIEW_KIND_AVE;
      } else if (viewfiles::ViewFileExists(t.Chn_Flnm[act], v, VIEW_KIND_MAX)) {
        t.ViewKind[v][act] = VIEW_KIND_MAX;
      }
    }
  }

  // Steps 9 and 10: pages of the active channel.
  DefineActivePages(t, act, newFile);
  if (newFile) t.ViewUpdate[act] = 1;

  // Step 11: every displayed channel against those pages, and its preparation.
  for (int16_t c = 0; c <= 8; ++c) {
    if (!Displayed(t, c)) continue;
    if (!CheckChannel(t, c, act)) continue;
    if (Displayed(t, c) && prep == 1) {
      if (viewfiles::Prep(t, c) == 0) {
        if (t.Active_Chn == c && !t.Stopped_For_Restart) t.Active_Chn = 9;
        // A stop has said so already; a failure has been reported in its box.
        if (!t.Stopped) Status(0, "VIEW PROCESSING ABORTED");
        return EndRun(t, start);
      }
      viewfiles::TablePublish(start, t);  // the channel's arrays are in: so are its sizes and kinds
    }
  }

  // Step 12: points and frequency per pixel of the active channel.
  const int16_t shown = t.Active_Chn;
  const double rawPts = shown >= 0 && shown <= 8 ? t.FL_SZ[WIN_RAW][shown] : 0.0;
  int views = 1;
  for (int v = 0; v < 3; ++v) {
    const double pixels = static_cast<double>(t.Page_Pixels) * t.X_PAGES[v];
    Dsp.Pts2Pxl[v] = pixels != 0.0 ? rawPts / pixels : 1.0;
    Dsp.FrqStpView[v] = Dsp.Pts2Pxl[v] * t.Frq_Stp;
    if (t.ViewKind[v][shown] != VIEW_KIND_NONE) ++views;
  }
  // The raw level shows one point a pixel, on the step the levels above were built with.
  Dsp.Pts2Pxl[WIN_RAW] = 1.0;
  Dsp.FrqStpView[WIN_RAW] = t.Frq_Stp;
  if (views == 1 && Win.View_Level != WIN_RAW) Win.View_Level = WIN_RAW;
  viewfiles::TablePublish(start, t);

  // Step 13.
  if (Win.hWnd_Main) RepaintWindow("DspSetup", Win.hWnd_Main, TRUE);
  SetEvent(ThreadCtl.View_StoppedEvent);
  ThreadCtl.View_Busy = 0;
  Status(2, "TOTAL VIEWS=[%d]: USE ANALYSIS MENU TO CHANGE", views);
  Status(0, "VIEW PROCESSING COMPLETE");
}

// Full runs asked for again in a row because a channel's file changed under a run; a
// file that keeps changing is left marked for an update after these.
constexpr uint32_t kChangedReruns = 3;

// After a run that found a channel's file changed under it: a full run again, unless
// reruns (those asked for so far in a row) reached the limit, or a stop ended the run
// (its request is held for the next start, which rebuilds the channel marked for an
// update). The reruns after this run.
uint32_t RerunAfterChange(const ViewRunTable& t, uint32_t reruns) {
  if (t.Changed_Chn < 0 || t.Stopped) return 0;
  if (reruns >= kChangedReruns) {
    Status(3, "[%hd] [%s] FILE CHANGED DURING VIEW PROCESSING", t.Changed_Chn, t.Chn_Flnm[t.Changed_Chn]);
    return 0;
  }
  ThreadCtl.View_Request.fetch_or(VIEW_REQUEST_PAGES | VIEW_REQUEST_PREP);
  return reruns + 1;
}

}  // namespace

DWORD DisplayQviQvoSetup(void* queued) {
  // Called directly (not as the thread FunctionThreadCreate made): the request fields
  // of Win are this call's request; the run under way, if any, takes it.
  if (queued == nullptr)
    ThreadCtl.View_Request.fetch_or(ViewRequestBits(Win.ViewPageType, Win.ViewPrep) | ThreadCtl.View_Held.exchange(0));
  uint32_t reruns = 0;
  for (;;) {
    if (ThreadCtl.View_Running.exchange(1) != 0) return 0;
    ThreadCtl.View_RunThreadId = GetCurrentThreadId();
    bool first = true;
    for (uint32_t request; (request = ThreadCtl.View_Request.exchange(0)) != 0;) {
      if (!first) ThreadCtl.View_Busy = 1;  // a queued run is marked like a started one
      first = false;
      ViewRunTable start;
      viewfiles::TableTake(&start);
      start.Request = request;
      ViewRunTable table = start;
      SetupRun(table, &start);
      // A run that a stop ended is asked for again by the next start.
      if (table.Stopped) ThreadCtl.View_Held.fetch_or(request);
      reruns = RerunAfterChange(table, reruns);
    }
    ThreadCtl.View_RunThreadId = 0;
    ThreadCtl.View_Running = 0;
    if (ThreadCtl.View_Request.load() == 0) return 0;  // else a request came in as this run ended
  }
}

void DisplayViewStartOnce() {
  if (ThreadCtl.View_Started != 0) return;
  ThreadCtl.View_Started = 1;
  Win.ViewPageType = 0;
  Win.ViewPrep = 1;
  FunctionThreadCreate(&DisplayQviQvoSetup);
}

namespace {

// Stops a view run under way and waits for it. restart: the stop is part of a
// restart (the caller starts a run again once its change is made), so the stopped
// run leaves the display flags and the active channel as they were; otherwise the
// channel being built leaves the display. True when a run was under way, asked for or
// marked busy.
bool ViewStop(bool restart) {
  // Requests waiting are held, not run and not dropped: the next start asks for them.
  const uint32_t waiting = ThreadCtl.View_Request.exchange(0);
  ThreadCtl.View_Held.fetch_or(waiting);
  const bool asked = waiting != 0 || ThreadCtl.View_Busy != 0;
  // A view thread that was started but has not begun its run yet counts as running.
  const HANDLE thread = ThreadCtl.View_Thread;
  const bool ownThread = thread && GetThreadId(thread) == GetCurrentThreadId();
  auto threadAlive = [&] { return thread && !ownThread && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT; };
  const bool under = ThreadCtl.View_Running.load() != 0 || threadAlive();
  if (under) {
    ThreadCtl.View_StopRestart = restart ? 1 : 0;
    SetEvent(ThreadCtl.View_StopEvent);
    if (ownThread || ThreadCtl.View_RunThreadId.load() == GetCurrentThreadId()) return true;  // asked from inside the run
    // Every wait keeps servicing messages sent to this thread, so a run that repaints
    // or shows a box while it ends does not wait for us; the thread's own end wakes it.
    // The run may go on in an older thread than this handle's (the first of two quick
    // starts): once this one has ended, the wait polls, still servicing messages, since
    // the run hands its results to this thread.
    while (ThreadCtl.View_Running.load() != 0 || threadAlive()) {
      if (threadAlive()) {
        WaitForSingleObject(thread, 2);
      } else {
        Sleep(1);
      }
    }
    // A stop that the run never polled must not end the next run.
    if (ThreadCtl.View_StopEvent) ResetEvent(ThreadCtl.View_StopEvent);
  }
  // Nothing runs now and nothing is queued: the flags stand as a finished run leaves
  // them (a request that came in meanwhile is held with the others).
  ThreadCtl.View_Held.fetch_or(ThreadCtl.View_Request.exchange(0));
  ThreadCtl.View_Busy = 0;
  return asked || under;
}

}  // namespace

void DisplayViewAbort() { ViewStop(false); }

bool DisplayViewStopForChange() { return ViewStop(true); }

void DisplayViewRestart(uint32_t pageType, uint32_t prep) {
  ThreadCtl.View_Busy = 1;
  Win.ViewPageType = pageType;
  Win.ViewPrep = prep;
  if (FunctionThreadCreate(DisplayQviQvoSetup) != 1) ThreadCtl.View_Busy = 0;
}

void DisplayViewResume() {
  const uint32_t held = ThreadCtl.View_Held.exchange(0);
  if (held == 0) return;
  ThreadCtl.View_Busy = 1;
  if (FunctionThreadViewRequest(held) != 1) ThreadCtl.View_Busy = 0;
}

bool DisplayViewStoppedFor(const std::function<bool()>& store) {
  const bool paused = DisplayViewStopForChange();
  const bool stored = store();
  if (paused) DisplayViewResume();
  return stored;
}

int32_t FileSizeGet(const char* path, int64_t* bytes) {
  if (!path || !bytes || !platform::FileExists(path)) return 0;
  int64_t size = 0;
  if (!platform::GetFileSize64(path, &size)) return 0;
  *bytes = size;
  return 1;
}

namespace {

// Raw sizes of channels 0..8 (every level 0 when the file is missing), and the date and
// time texts from the first channel file that has them while they are unset.
void SizesAndDateCheck(const char (&names)[DSP_CHN][200], uint32_t (&sizes)[4][DSP_CHN], char (&date)[256],
                       char (&time)[256]) {
  for (int c = 0; c <= 8; ++c) {
    int64_t bytes = 0;
    if (FileSizeGet(DisplayDataPath(names[c]).c_str(), &bytes)) {
      const int64_t points = bytes / 4;
      sizes[WIN_RAW][c] = static_cast<uint32_t>(points > 4294967295LL ? 4294967295LL : points);
    } else {
      for (int v = 0; v < 4; ++v) sizes[v][c] = 0;
    }
  }
  for (int c = 0; c <= 8 && std::strcmp(date, "00-00-0000") == 0; ++c) FileDateTimeRead(names[c], date, time);
}

// Marks channel chn's view files (of its file flnm) for rebuilding in update when one is
// older than its raw file.
int32_t UpToDateInto(int16_t chn, const char* flnm, uint32_t* update) {
  if (chn < 0 || chn > 8) return 0;
  viewfiles::FolderEnsure();
  SYSTEMTIME raw;
  const std::string rawName = DisplayDataPath(flnm);
  if (!platform::FileExists(rawName.c_str()) || !platform::GetFileModifiedTime(rawName.c_str(), &raw)) return 0;
  const int64_t rawKey = TimeKey(raw);
  bool stale = false;
  for (int v = 0; v < 3; ++v) {
    SYSTEMTIME view;
    const std::string ave = viewfiles::ViewFileNameOf(flnm, v, VIEW_KIND_AVE);
    const std::string max = viewfiles::ViewFileNameOf(flnm, v, VIEW_KIND_MAX);
    if (platform::FileExists(ave.c_str()) && platform::GetFileModifiedTime(ave.c_str(), &view)) {
      stale = stale || TimeKey(view) < rawKey;
    } else if (platform::FileExists(max.c_str()) && platform::GetFileModifiedTime(max.c_str(), &view)) {
      stale = stale || TimeKey(view) < rawKey;
    }
  }
  if (stale) {
    *update = 1;
    Status(2, "[%hd] [%s] QVM&QVI&QVO OUT-OF-DATE", chn, flnm);
  }
  return 1;
}

}  // namespace

void viewfiles::SizesCheck(ViewRunTable& t) { SizesAndDateCheck(t.Chn_Flnm, t.FL_SZ, t.Work_Date, t.Work_Time); }

int32_t viewfiles::UpToDate(ViewRunTable& t, int16_t chn) {
  return chn < 0 || chn > 8 ? 0 : UpToDateInto(chn, t.Chn_Flnm[chn], &t.ViewUpdate[chn]);
}

int64_t DisplayFileDateCheck(int16_t mode, const char* name) {
  if (mode == -1) {
    int64_t bytes = 0;
    if (!name || !FileSizeGet(DisplayDataPath(name).c_str(), &bytes)) return 0;
    return bytes / 4;
  }
  SizesAndDateCheck(Dsp.Chn_Flnm, Dsp.FL_SZ, Dsp.Work_Date, Dsp.Work_Time);
  return 0;
}

int32_t FileDateTimeRead(const char* name, char* date, size_t dateCap, char* time, size_t timeCap) {
  SYSTEMTIME t;
  const std::string path = name ? DisplayDataPath(name) : std::string();
  if (!name || !platform::FileExists(path.c_str()) || !platform::GetFileModifiedTime(path.c_str(), &t)) {
    StrCopy(date, dateCap, "00-00-0000");
    StrCopy(time, timeCap, "00:00");
    return 0;
  }
  StrFormat(date, dateCap, "%d-%d-%d", t.wMonth, t.wDay, t.wYear);
  StrFormat(time, timeCap, "%d:%02d", t.wHour, t.wMinute);
  return 1;
}

int32_t DisplayQviQvoUpToDate(int16_t chn) {
  return chn < 0 || chn > 8 ? 0 : UpToDateInto(chn, Dsp.Chn_Flnm[chn], &Dsp.ViewUpdate[chn]);
}
