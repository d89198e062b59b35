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

double RawPages(int16_t chn) { return static_cast<double>(Dsp.FL_SZ[WIN_RAW][chn]) / Win.Page_Pixels; }

bool Displayed(int16_t chn) { return chn >= 0 && chn <= 8 && Dsp.Chn_DspStat[chn] != 0; }

// A SYSTEMTIME as one comparable number (milliseconds resolution).
int64_t TimeKey(const SYSTEMTIME& t) {
  return ((((((static_cast<int64_t>(t.wYear) * 13 + t.wMonth) * 32 + t.wDay) * 24 + t.wHour) * 60 + t.wMinute) * 60 +
           t.wSecond) *
              1000 +
          t.wMilliseconds);
}

// Step 10: the page definition of the active channel.
void DefineActivePages(int16_t act) {
  const double rawPts = Dsp.FL_SZ[WIN_RAW][act];
  const double rawPages = Win.X_PAGES[WIN_RAW];
  LevelDefault defaults[3];
  DefaultPages(rawPts, defaults);
  for (int v = 0; v < 3; ++v) {
    int16_t& kind = Win.ViewKind[v][act];
    if (kind == VIEW_KIND_NONE) {
      Win.X_PAGES[v] = 0.0;
      continue;
    }
    if (Dsp.ViewUpdate[act] == 0) {
      if (kind == VIEW_KIND_AVE && viewfiles::ViewFileExists(act, v, VIEW_KIND_MAX)) {
        DeleteFile(DisplayViewFileName(act, v, VIEW_KIND_MAX).c_str());
        viewfiles::Box("Info", viewfiles::kInfo, "SETUP UNLINK A CHN=[%d] VIEW=[%d]", act, v);
      } else if (kind == VIEW_KIND_MAX && viewfiles::ViewFileExists(act, v, VIEW_KIND_AVE)) {
        DeleteFile(DisplayViewFileName(act, v, VIEW_KIND_AVE).c_str());
        viewfiles::Box("Info", viewfiles::kInfo, "SETUP UNLINK M CHN=[%d] VIEW=[%d]", act, v);
      }
      const int64_t floats = viewfiles::ViewFileFloats(act, v, kind == VIEW_KIND_AVE ? VIEW_KIND_AVE : VIEW_KIND_MAX);
      if (floats < 0) {
        Win.X_PAGES[v] = defaults[v].pages;
        kind = defaults[v].kind;
        Dsp.ViewUpdate[act] = 1;
      } else {
        Dsp.FL_SZ[v][act] = static_cast<uint32_t>(floats > 4294967295LL ? 4294967295LL : floats);
        Win.X_PAGES[v] = static_cast<double>(floats) / Win.Page_Pixels;
      }
    }
    if (kind != VIEW_KIND_NONE && PagesFail(Win.X_PAGES[v], rawPages)) {
      if (rawPages >= 1.0) {
        Win.X_PAGES[v] = defaults[v].pages;
        kind = defaults[v].kind;
      }
      if (kind == VIEW_KIND_NONE || PagesFail(Win.X_PAGES[v], rawPages)) {
        Win.X_PAGES[v] = 0.0;
        kind = VIEW_KIND_NONE;
      }
      Dsp.ViewUpdate[act] = 1;
    }
    if (kind == VIEW_KIND_NONE) {
      Win.X_PAGES[v] = 0.0;
      continue;
    }
    if (Win.X_PAGES[v] < 0.001) {
      Win.X_PAGES[v] = 0.001;
      if (rawPages >= 0.001) {
        Dsp.ViewUpdate[act] = 1;
        Status(3, "[%hd] [%s] MIN PAGE VALUE=[%lf]", act, Dsp.Chn_Flnm[act], Win.X_PAGES[v]);
      } else {
        Win.X_PAGES[v] = 0.0;
        kind = VIEW_KIND_NONE;
        continue;
      }
    }
    const double size = std::trunc(Win.Page_Pixels * Win.X_PAGES[v] + 0.5);
    Dsp.FL_SZ[v][act] = size < 4294967295.0 ? static_cast<uint32_t>(size) : 4294967295u;
    Win.X_PAGES[v] = static_cast<double>(Dsp.FL_SZ[v][act]) / Win.Page_Pixels;
  }
}

// Step 11 for one displayed channel: its levels against the active channel's pages.
// false when the channel left the display.
bool CheckChannel(int16_t chn, int16_t act) {
  const char* flnm = Dsp.Chn_Flnm[chn];
  if (Dsp.FL_SZ[WIN_RAW][chn] == 0) {
    Dsp.Chn_DspStat[chn] = 0;
    Status(0, "[%hd] [%s] DOES NOT EXIST", chn, flnm);
    return false;
  }
  const double rawPages = RawPages(chn);
  if (rawPages > 100.0 * Win.X_PAGES[WIN_RAW]) {
    Dsp.Chn_DspStat[chn] = 0;
    Status(0, "[%hd] [%s] TOO LARGE FOR PAGE VALUES", chn, flnm);
    return false;
  }
  bool upToDateChecked = false;
  for (int v = 0; v < 3; ++v) {
    if (Win.ViewKind[v][act] == VIEW_KIND_NONE) {
      Win.ViewKind[v][chn] = VIEW_KIND_NONE;
      continue;
    }
    if (Win.X_PAGES[v] > rawPages + 0.001) {
      Dsp.Chn_DspStat[chn] = 0;
      Status(0, "[%d] [%s] TOO SHORT FOR PAGE VALUES", chn, flnm);
      return false;
    }
    if (!upToDateChecked) {
      DisplayQviQvoUpToDate(chn);
      upToDateChecked = true;
    }
    const bool ave = viewfiles::ViewFileExists(chn, v, VIEW_KIND_AVE);
    const bool max = viewfiles::ViewFileExists(chn, v, VIEW_KIND_MAX);
    if (ave || max) {
      if (Dsp.ViewUpdate[chn] == 0) Win.ViewKind[v][chn] = ave ? VIEW_KIND_AVE : VIEW_KIND_MAX;
      const int16_t kind = Win.ViewKind[v][chn];
      int16_t from = kind == VIEW_KIND_AVE ? VIEW_KIND_AVE : VIEW_KIND_MAX;
      if (!viewfiles::ViewFileExists(chn, v, from)) from = ave ? VIEW_KIND_AVE : VIEW_KIND_MAX;
      const int64_t floats = viewfiles::ViewFileFloats(chn, v, from);
      const uint32_t stored = static_cast<uint32_t>(floats < 0 ? 0 : (floats > 4294967295LL ? 4294967295LL : floats));
      Dsp.FL_SZ[v][chn] = stored;
      int64_t a = 0;
      int64_t b = 0;
      ScalePages(static_cast<double>(stored) / Win.Page_Pixels, Win.X_PAGES[v], &a, &b);
      if (a - b > 1 || b - a > 1) Dsp.ViewUpdate[chn] = 1;
    } else {
      Dsp.ViewUpdate[chn] = 1;
      Win.ViewKind[v][chn] = Win.ViewKind[v][act];
    }
  }
  return true;
}

// Ends a run early: busy cleared, the status texts given.
void EndRun() { ThreadCtl.View_Busy = 0; }

// One complete view run.
void SetupRun() {
  Status(0, "VIEW PROCESSING RUNNING");
  const uint32_t pageType = Win.ViewPageType;
  const uint32_t prep = Win.ViewPrep;
  if (Win.Active_Chn < 0 || Win.Active_Chn > 9) Win.Active_Chn = 9;
  DisplayFileDateCheck(0, nullptr);

  // Step 2: only re-select the active channel.
  if (pageType == 1) {
    const int16_t act = Win.Active_Chn;
    if (act == 9 || !Displayed(act)) {
      if (act == 9) {
        for (int v = 0; v < 3; ++v) {
          Win.X_PAGES[v] = 0.0;
          Win.ViewKind[v][9] = VIEW_KIND_NONE;
        }
      }
      Status(1, "NO DISPLAY CHN");
    } else {
      Dsp.ViewUpdate[act] = 1;
    }
    if (prep == 0) return EndRun();
  }

  // Step 3: the page width.
  Win.Page_Pixels = Win.Page_Width;
  if (Win.Page_Pixels <= 0) {
    Win.Page_Pixels = 3000;
    for (uint32_t& shown : Dsp.Chn_DspStat) shown = 0;
    Status(1, "WINDOW WIDTH ZERO");
    Status(0, "VIEW PROCESSING ABORTED");
    return EndRun();
  }

  // Steps 4 and 5: the active channel and the raw pages.
  if (!Displayed(Win.Active_Chn)) {
    for (int v = 0; v < 3; ++v) Win.X_PAGES[v] = 0.0;
    for (uint32_t& update : Dsp.ViewUpdate) update = 0;
  }
  if (Displayed(Win.Active_Chn) && RawPages(Win.Active_Chn) != 0.0) {
    Win.X_PAGES[WIN_RAW] = RawPages(Win.Active_Chn);
  } else {
    bool found = false;
    for (int16_t c = 0; c <= 8; ++c) {
      if (!Displayed(c)) continue;
      if (RawPages(c) == 0.0) {
        Dsp.Chn_DspStat[c] = 0;
        Status(0, "[%hd] [%s] DOES NOT EXIST", c, Dsp.Chn_Flnm[c]);
      } else {
        Win.Active_Chn = c;
        Win.X_PAGES[WIN_RAW] = RawPages(c);
        found = true;
      }
    }
    if (!found) {
      for (int v = 0; v < 3; ++v) Win.ViewKind[v][9] = VIEW_KIND_NONE;
      Win.Active_Chn = 9;
      Status(1, "NO DISPLAY CHN");
      Status(0, "VIEW PROCESSING ABORTED");
      return EndRun();
    }
  }
  const int16_t act = Win.Active_Chn;

  // Step 6: too small for the page width.
  if (Win.X_PAGES[WIN_RAW] < 0.001) {
    viewfiles::Box("Warning", viewfiles::kWarning, "FILE [%s] TOO SMALL TO DISPLAY\n\nMAKE DRAWING WINDOW SMALLER",
                   Dsp.Chn_Flnm[act]);
    Dsp.Chn_DspStat[act] = 0;
    Win.Active_Chn = 9;
    for (double& pages : Win.X_PAGES) pages = 0.0;
    Status(1, "RAW WINDOW WIDTH TOO SMALL");
    Status(0, "VIEW PROCESSING ABORTED");
    return EndRun();
  }

  // Steps 7 and 8: the view-file folder, older names, kinds from the files present.
  viewfiles::FolderEnsure();
  for (int16_t c = 0; c <= 8; ++c) viewfiles::OlderFilesMove(c);
  if (Dsp.ViewUpdate[act] == 0) {
    for (int v = 0; v < 3; ++v) {
      if (viewfiles::ViewFileExists(act, v, VIEW_KIND_AVE)) {
        Win.ViewKind[v][act] = VIEW_KIND_AVE;
      } else if (viewfiles::ViewFileExists(act, v, VIEW_KIND_MAX)) {
        Win.ViewKind[v][act] = VIEW_KIND_MAX;
      }
    }
  }

  // Steps 9 and 10: pages of the active channel.
  DefineActivePages(act);

  // Step 11: every displayed channel against those pages, and its preparation.
  for (int16_t c = 0; c <= 8; ++c) {
    if (!Displayed(c)) continue;
    if (!CheckChannel(c, act)) continue;
    if (Displayed(c) && prep == 1 && DisplayQviQvoPrep(c) == 0) {
      if (Win.Active_Chn == c) Win.Active_Chn = 9;
      return EndRun();
    }
  }

  // Step 12: points and frequency per pixel of the active channel.
  const int16_t shown = Win.Active_Chn;
  const double rawPts = shown >= 0 && shown <= 8 ? Dsp.FL_SZ[WIN_RAW][shown] : 0.0;
  int views = 1;
  for (int v = 0; v < 3; ++v) {
    const double pixels = static_cast<double>(Win.Page_Pixels) * Win.X_PAGES[v];
    Dsp.Pts2Pxl[v] = pixels != 0.0 ? rawPts / pixels : 1.0;
    Dsp.FrqStpView[v] = Dsp.Pts2Pxl[v] * Dsp.Frq_Stp;
    if (Win.ViewKind[v][shown] != VIEW_KIND_NONE) ++views;
  }
  if (views == 1 && Win.View_Level != WIN_RAW) Win.View_Level = WIN_RAW;

  // Step 13.
  if (Win.hWnd_Main) RepaintWindow("DspSetup", Win.hWnd_Main, TRUE);
  SetEvent(ThreadCtl.View_StoppedEvent);
  ThreadCtl.View_Busy = 0;
  Status(2, "TOTAL VIEWS=[%d]: USE ANALYSIS MENU TO CHANGE", views);
  Status(0, "VIEW PROCESSING COMPLETE");
}

}  // namespace

DWORD DisplayQviQvoSetup(void* unused) {
  (void)unused;
  ThreadCtl.View_Rerun = 1;  // this request; the run under way, if any, takes it
  for (;;) {
    if (ThreadCtl.View_Running.exchange(1) != 0) return 0;
    ThreadCtl.View_RunThreadId = GetCurrentThreadId();
    bool first = true;
    while (ThreadCtl.View_Rerun.exchange(0) != 0) {
      if (!first) ThreadCtl.View_Busy = 1;  // a queued run is marked like a started one
      first = false;
      SetupRun();
    }
    ThreadCtl.View_RunThreadId = 0;
    ThreadCtl.View_Running = 0;
    if (ThreadCtl.View_Rerun.load() == 0) return 0;  // else a request came in as this run ended
  }
}

void DisplayViewStartOnce() {
  if (ThreadCtl.View_Started != 0) return;
  ThreadCtl.View_Started = 1;
  Win.ViewPageType = 0;
  Win.ViewPrep = 1;
  FunctionThreadCreate(&DisplayQviQvoSetup);
}

void DisplayViewAbort() {
  ThreadCtl.View_Rerun = 0;
  // A view thread that was started but has not begun its run yet counts as running.
  const HANDLE thread = ThreadCtl.View_Thread;
  const bool ownThread = thread && GetThreadId(thread) == GetCurrentThreadId();
  auto threadAlive = [&] { return thread && !ownThread && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT; };
  if (ThreadCtl.View_Running.load() != 0 || threadAlive()) {
    SetEvent(ThreadCtl.View_StopEvent);
    if (ownThread || ThreadCtl.View_RunThreadId.load() == GetCurrentThreadId()) return;  // asked from inside the run
    // Every wait keeps servicing messages sent to this thread, so a run that repaints
    // or shows a box while it ends does not wait for us; the thread's own end wakes it.
    while (ThreadCtl.View_Running.load() != 0 || threadAlive()) {
      if (thread && !ownThread) {
        WaitForSingleObject(thread, 2);
      } else {
        Sleep(2);
      }
    }
    // A stop that the run never polled must not end the next run.
    if (ThreadCtl.View_StopEvent) ResetEvent(ThreadCtl.View_StopEvent);
  }
  // Nothing runs now and nothing is queued: the flags stand as a finished run leaves
  // them (a start queued behind the run just stopped was marked busy and is dropped).
  ThreadCtl.View_Rerun = 0;
  ThreadCtl.View_Busy = 0;
}

bool DisplayViewStopForChange() {
  const bool under = ThreadCtl.View_Running.load() != 0 || ThreadCtl.View_Busy != 0 || ThreadCtl.View_Rerun.load() != 0;
  DisplayViewAbort();
  return under;
}

void DisplayViewRestart() {
  if (ThreadCtl.View_Busy != 0) return;
  ThreadCtl.View_Busy = 1;
  Win.ViewPageType = 0;
  Win.ViewPrep = 1;
  if (FunctionThreadCreate(DisplayQviQvoSetup) != 1) ThreadCtl.View_Busy = 0;
}

int32_t FileSizeGet(const char* path, int64_t* bytes) {
  if (!path || !bytes || !platform::FileExists(path)) return 0;
  int64_t size = 0;
  if (!platform::GetFileSize64(path, &size)) return 0;
  *bytes = size;
  return 1;
}

int64_t DisplayFileDateCheck(int16_t mode, const char* name) {
  if (mode == -1) {
    int64_t bytes = 0;
    if (!name || !FileSizeGet(DisplayDataPath(name).c_str(), &bytes)) return 0;
    return bytes / 4;
  }
  for (int c = 0; c <= 8; ++c) {
    int64_t bytes = 0;
    // Sizes are written only when they change: the paint reads them meanwhile.
    if (FileSizeGet(DisplayDataPath(Dsp.Chn_Flnm[c]).c_str(), &bytes)) {
      const int64_t points = bytes / 4;
      const uint32_t size = static_cast<uint32_t>(points > 4294967295LL ? 4294967295LL : points);
      if (Dsp.FL_SZ[WIN_RAW][c] != size) Dsp.FL_SZ[WIN_RAW][c] = size;
    } else {
      for (int v = 0; v < 4; ++v)
        if (Dsp.FL_SZ[v][c] != 0) Dsp.FL_SZ[v][c] = 0;
    }
  }
  for (int c = 0; c <= 8 && std::strcmp(Dsp.Work_Date, "00-00-0000") == 0; ++c) {
    FileDateTimeRead(Dsp.Chn_Flnm[c], Dsp.Work_Date, Dsp.Work_Time);
  }
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
  if (chn < 0 || chn > 8) return 0;
  viewfiles::FolderEnsure();
  SYSTEMTIME raw;
  const std::string rawName = DisplayDataPath(Dsp.Chn_Flnm[chn]);
  if (!platform::FileExists(rawName.c_str()) || !platform::GetFileModifiedTime(rawName.c_str(), &raw)) return 0;
  const int64_t rawKey = TimeKey(raw);
  bool stale = false;
  for (int v = 0; v < 3; ++v) {
    SYSTEMTIME view;
    const std::string ave = DisplayViewFileName(chn, v, VIEW_KIND_AVE);
    const std::string max = DisplayViewFileName(chn, v, VIEW_KIND_MAX);
    if (platform::FileExists(ave.c_str()) && platform::GetFileModifiedTime(ave.c_str(), &view)) {
      stale = stale || TimeKey(view) < rawKey;
    } else if (platform::FileExists(max.c_str()) && platform::GetFileModifiedTime(max.c_str(), &view)) {
      stale = stale || TimeKey(view) < rawKey;
    }
  }
  if (stale) {
    Dsp.ViewUpdate[chn] = 1;
    Status(2, "[%hd] [%s] QVM&QVI&QVO OUT-OF-DATE", chn, Dsp.Chn_Flnm[chn]);
  }
  return 1;
}
