#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <thread>

#include "DisplayFixture.h"
#include "app/MainWindow.h"
#include "core/Threads.h"
#include "display/ViewDecimate.h"
#include "platform/driver/TestDriver.h"

namespace {

using qvtest::DisplayTest;

class ViewThreadTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    Win.Page_Width = 300;
    Win.ViewPageType = 0;
    Win.ViewPrep = 1;
    ThreadCtl.View_Busy = 1;
  }
  // Channel 0 active on a raw file of n points of value f.
  void Active(uint32_t n, float value) {
    WriteRaw("c0.bin", n, [value](uint64_t) { return value; });
    Channel(0, "c0.bin", VIEW_KIND_MAX, VIEW_KIND_MAX, VIEW_KIND_MAX);
    Win.Active_Chn = 0;
    // Pages as a working file gives them; 500 pages exceed a 30,000-point file at
    // 300 pixels a page, so that level falls back to its default.
    Win.X_PAGES[0] = 1.0;
    Win.X_PAGES[1] = 10.0;
    Win.X_PAGES[2] = 500.0;
  }
  void Run() { DisplayQviQvoSetup(nullptr); }
  std::filesystem::file_time_type Time(const std::string& path) { return std::filesystem::last_write_time(path); }
};

TEST_F(ViewThreadTest, FullRunBuildsDefaultLevelsThenLoadsThemAndRebuildsWhenTheRawFileChanges) {
  Active(30000, 1.5f);
  Run();
  // 30,000 points: one page MAX, 10 pages MAX, and the default 100 pages AVE.
  EXPECT_EQ(Win.ViewKind[0][0], VIEW_KIND_MAX);
  EXPECT_EQ(Win.ViewKind[1][0], VIEW_KIND_MAX);
  EXPECT_EQ(Win.ViewKind[2][0], VIEW_KIND_AVE);
  EXPECT_DOUBLE_EQ(Win.X_PAGES[WIN_RAW], 100.0);
  EXPECT_DOUBLE_EQ(Dsp.Pts2Pxl[0], 100.0);
  EXPECT_DOUBLE_EQ(Dsp.Pts2Pxl[1], 10.0);
  EXPECT_DOUBLE_EQ(Dsp.Pts2Pxl[2], 1.0);
  EXPECT_EQ(ReadFloats(ViewPath("c0.bin", ".QVOm")).size(), 300u);
  EXPECT_EQ(ReadFloats(ViewPath("c0.bin", ".QVIm")).size(), 3000u);
  EXPECT_EQ(ReadFloats(ViewPath("c0.bin", ".QVMa")).size(), 30000u);
  EXPECT_EQ(StatusText(2), "TOTAL VIEWS=[4]: USE ANALYSIS MENU TO CHANGE");
  EXPECT_EQ(StatusText(0), "VIEW PROCESSING COMPLETE");
  EXPECT_EQ(ThreadCtl.View_Busy.load(), 0u);
  EXPECT_EQ(WaitForSingleObject(ThreadCtl.View_StoppedEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(Dsp.ViewUpdate[0], 0u);
  EXPECT_FLOAT_EQ(Level(0, 2)[500], 1.5f);

  // Up to date: loaded, not rewritten.
  const std::string omni = ViewPath("c0.bin", ".QVOm");
  SetFileAge(dir_.File("c0.bin"), std::chrono::seconds(-3600));
  const auto written = Time(omni);
  DisplayViewArraysFree(0);
  Run();
  EXPECT_EQ(Time(omni), written);
  EXPECT_FLOAT_EQ(Level(0, 0)[10], 1.5f);

  // The raw file changed after its view files were made.
  WriteRaw("c0.bin", 30000, [](uint64_t) { return -4.0f; });
  SetFileAge(dir_.File("c0.bin"), std::chrono::seconds(60));
  Run();
  EXPECT_NE(Time(omni), written);
  EXPECT_FLOAT_EQ(Level(0, 0)[10], -4.0f);
  EXPECT_FLOAT_EQ(ReadFloats(ViewPath("c0.bin", ".QVMa"))[20000], -4.0f);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(ViewThreadTest, FreshnessFollowsTheRawFilesTime) {
  Active(30000, 1.0f);
  Run();
  SetFileAge(dir_.File("c0.bin"), std::chrono::seconds(-60));
  EXPECT_EQ(DisplayQviQvoUpToDate(0), 1);
  EXPECT_EQ(Dsp.ViewUpdate[0], 0u);
  SetFileAge(dir_.File("c0.bin"), std::chrono::seconds(60));
  EXPECT_EQ(DisplayQviQvoUpToDate(0), 1);
  EXPECT_EQ(Dsp.ViewUpdate[0], 1u);
  EXPECT_EQ(StatusText(2), "[0] [c0.bin] QVM&QVI&QVO OUT-OF-DATE");
  std::filesystem::remove(dir_.File("c0.bin"));
  EXPECT_EQ(DisplayQviQvoUpToDate(0), 0);
}

TEST_F(ViewThreadTest, StopRequestDuringARebuildEndsTheRunWithoutViewFiles) {
  Active(3 * VIEW_BLOCK_POINTS, 2.0f);
  SetEvent(ThreadCtl.View_StopEvent);
  Run();
  EXPECT_EQ(StatusText(0), "VIEW PROCESSING RETURNING");
  EXPECT_EQ(Dsp.Chn_DspStat[0], 0u);
  EXPECT_EQ(Win.Active_Chn, 9);
  EXPECT_EQ(ThreadCtl.View_Busy.load(), 0u);
  EXPECT_EQ(ThreadCtl.View_Running.load(), 0u);
  EXPECT_EQ(WaitForSingleObject(ThreadCtl.View_StoppedEvent, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Path() / VIEW_FOLDER));
  EXPECT_EQ(Dsp.Fl_Pt[0][0], nullptr);
}

TEST_F(ViewThreadTest, AbortWaitsForTheThreadAndLeavesNoStopBehind) {
  Active(3 * VIEW_BLOCK_POINTS, 2.0f);
  ASSERT_EQ(FunctionThreadCreate(DisplayQviQvoSetup), 1);
  DisplayViewAbort();
  EXPECT_EQ(ThreadCtl.View_Running.load(), 0u);
  EXPECT_EQ(ThreadCtl.View_Busy.load(), 0u);
  // The run may have been stopped before it made its folder.
  if (std::filesystem::exists(dir_.Path() / VIEW_FOLDER)) {
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / VIEW_FOLDER))
      EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }
  // Nothing is under way now: an abort returns at once and a new run is not stopped.
  DisplayViewAbort();
  Dsp.Chn_DspStat[0] = 1;
  Win.Active_Chn = 0;
  Run();
  EXPECT_EQ(StatusText(0), "VIEW PROCESSING COMPLETE");
  EXPECT_EQ(ReadFloats(ViewPath("c0.bin", ".QVOm")).size(), 300u);
}

// A start followed at once by an abort leaves the flags as a finished run does, however
// the two meet: before the run began, during it, or queued behind another run.
TEST_F(ViewThreadTest, StartThenAbortNeverLeavesTheViewBusy) {
  for (int i = 0; i < 20000; ++i) {
    ThreadCtl.View_Busy = 1;
    ASSERT_EQ(FunctionThreadCreate(DisplayQviQvoSetup), 1);
    DisplayViewAbort();
    ASSERT_EQ(ThreadCtl.View_Busy.load(), 0u) << "round " << i;
    ASSERT_EQ(ThreadCtl.View_Running.load(), 0u) << "round " << i;
  }
  Active(3 * VIEW_BLOCK_POINTS, 2.0f);
  for (int i = 0; i < 50; ++i) {
    Dsp.Chn_DspStat[0] = 1;
    Win.Active_Chn = 0;
    ThreadCtl.View_Busy = 1;
    ASSERT_EQ(FunctionThreadCreate(DisplayQviQvoSetup), 1);
    ThreadCtl.View_Busy = 1;  // a second start, queued behind the first
    ASSERT_EQ(FunctionThreadCreate(DisplayQviQvoSetup), 1);
    DisplayViewAbort();
    ASSERT_EQ(ThreadCtl.View_Busy.load(), 0u) << "round " << i;
    ASSERT_EQ(ThreadCtl.View_Request.load(), 0u) << "round " << i;
  }
}

// The run works on a copy of the channel table and hands its results to the main
// window's thread: while that thread services no message, the records stay as they
// were, whatever the run has found meanwhile.
TEST_F(ViewThreadTest, RunResultsReachTheRecordsOnlyOnTheInterfaceThread) {
  Active(30000, 1.5f);
  Dsp.Chn_DspStat[3] = 1;  // shown, but its file is missing: the run takes it off
  StrCopy(Dsp.Chn_Flnm[3], "missing.bin");
  Dsp.FL_SZ[WIN_RAW][3] = 777;
  ASSERT_EQ(FunctionThreadCreate(DisplayQviQvoSetup), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(Dsp.Chn_DspStat[3], 1u);
  EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][3], 777u);
  EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][0], 0u);
  EXPECT_DOUBLE_EQ(Win.X_PAGES[2], 500.0);
  platform::driver::PumpUntil([] { return ThreadCtl.View_Busy == 0 && ThreadCtl.View_Running == 0; });
  EXPECT_EQ(Dsp.Chn_DspStat[3], 0u);
  EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][3], 0u);
  EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][0], 30000u);
  EXPECT_EQ(Win.ViewKind[2][0], VIEW_KIND_AVE);
  EXPECT_DOUBLE_EQ(Win.X_PAGES[2], 100.0);
  EXPECT_DOUBLE_EQ(Win.X_PAGES[WIN_RAW], 100.0);
  EXPECT_EQ(ReadFloats(ViewPath("c0.bin", ".QVMa")).size(), 30000u);
}

TEST_F(ViewThreadTest, RunAskedForWhileAnotherRunsIsQueuedNotStartedBesideIt) {
  Active(30000, 1.0f);
  ThreadCtl.View_Running = 1;  // a run is under way
  Run();
  EXPECT_EQ(ThreadCtl.View_Request.load(), VIEW_REQUEST_PAGES | VIEW_REQUEST_PREP);
  EXPECT_EQ(StatusText(0), "");
  EXPECT_FALSE(Exists(ViewPath("c0.bin", ".QVOm")));
  EXPECT_EQ(FunctionThreadCreate(DisplayQviQvoSetup), 1);  // queued as well
  EXPECT_EQ(ThreadCtl.View_Thread, nullptr);
  // A re-selection asked for meanwhile is merged with the full run, not put in its place.
  Win.ViewPageType = 1;
  Win.ViewPrep = 0;
  EXPECT_EQ(FunctionThreadCreate(DisplayQviQvoSetup), 1);
  EXPECT_EQ(ThreadCtl.View_Request.load(), VIEW_REQUEST_RESELECT | VIEW_REQUEST_PAGES | VIEW_REQUEST_PREP);
  // The run under way takes the queued requests, as one run, when it ends; until then
  // the program is not idle.
  ThreadCtl.View_Running = 0;
  ThreadCtl.View_Busy = 0;
  EXPECT_TRUE(ProgramWorkersBusy());  // the requests alone say so
  Run();
  EXPECT_EQ(StatusText(0), "VIEW PROCESSING COMPLETE");
  EXPECT_TRUE(Exists(ViewPath("c0.bin", ".QVOm")));
  EXPECT_EQ(ThreadCtl.View_Request.load(), 0u);
  EXPECT_EQ(ThreadCtl.View_Running.load(), 0u);
}

TEST_F(ViewThreadTest, TinyFilesAndZeroWidth) {
  Active(100, 1.0f);
  Run();
  EXPECT_EQ(StatusText(2), "TOTAL VIEWS=[1]: USE ANALYSIS MENU TO CHANGE");
  EXPECT_EQ(Win.View_Level, WIN_RAW);
  for (int v = 0; v < 3; ++v) EXPECT_EQ(Win.ViewKind[v][0], VIEW_KIND_NONE);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Path() / VIEW_FOLDER));

  Win.Page_Width = 3000;
  Active(2, 1.0f);
  Run();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"FILE [c0.bin] TOO SMALL TO DISPLAY\n\nMAKE DRAWING WINDOW SMALLER"});
  EXPECT_EQ(Win.Active_Chn, 9);
  EXPECT_EQ(Dsp.Chn_DspStat[0], 0u);
  EXPECT_EQ(StatusText(1), "RAW WINDOW WIDTH TOO SMALL");

  Win.Page_Width = 0;
  Active(30000, 1.0f);
  Run();
  EXPECT_EQ(Win.Page_Pixels, 3000);
  EXPECT_EQ(Dsp.Chn_DspStat[0], 0u);
  EXPECT_EQ(StatusText(1), "WINDOW WIDTH ZERO");
  EXPECT_EQ(StatusText(0), "VIEW PROCESSING ABORTED");
  EXPECT_EQ(ThreadCtl.View_Busy.load(), 0u);
}

TEST_F(ViewThreadTest, OtherChannelsMustFitTheActivePages) {
  Active(30000, 1.0f);
  WriteRaw("long.bin", 30000 * 101, [](uint64_t) { return 1.0f; });
  WriteRaw("short.bin", 20000, [](uint64_t) { return 1.0f; });
  WriteRaw("fits.bin", 45000, [](uint64_t i) { return static_cast<float>(i % 3); });
  Channel(1, "long.bin", VIEW_KIND_MAX, VIEW_KIND_MAX, VIEW_KIND_MAX);
  Channel(2, "short.bin", VIEW_KIND_MAX, VIEW_KIND_MAX, VIEW_KIND_MAX);
  Channel(3, "fits.bin", VIEW_KIND_AVE, VIEW_KIND_AVE, VIEW_KIND_AVE);
  Channel(4, "missing.bin", VIEW_KIND_AVE, VIEW_KIND_AVE, VIEW_KIND_AVE);
  Run();
  EXPECT_EQ(Dsp.Chn_DspStat[0], 1u);
  EXPECT_EQ(Dsp.Chn_DspStat[1], 0u);  // too large
  EXPECT_EQ(Dsp.Chn_DspStat[2], 0u);  // too short
  EXPECT_EQ(Dsp.Chn_DspStat[3], 1u);
  EXPECT_EQ(Dsp.Chn_DspStat[4], 0u);  // does not exist
  EXPECT_EQ(Dsp.FL_SZ[2][3], 30000u);
  EXPECT_TRUE(Exists(ViewPath("fits.bin", ".QVMa")));
  EXPECT_EQ(StatusText(0), "VIEW PROCESSING COMPLETE");
}

TEST_F(ViewThreadTest, BothKindsOfALevelKeepTheAverage) {
  Active(30000, 1.0f);
  Run();
  std::filesystem::copy_file(ViewPath("c0.bin", ".QVMa"), ViewPath("c0.bin", ".QVMm"));
  SetFileAge(dir_.File("c0.bin"), std::chrono::seconds(-3600));
  Run();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"SETUP UNLINK A CHN=[0] VIEW=[2]"});
  EXPECT_EQ(platform::BoxLog()[0].style, 0x1040u);
  EXPECT_EQ(platform::BoxLog()[0].caption, "Info");
  EXPECT_FALSE(Exists(ViewPath("c0.bin", ".QVMm")));
  EXPECT_TRUE(Exists(ViewPath("c0.bin", ".QVMa")));
}

TEST_F(ViewThreadTest, FileDatesAndSizes) {
  WriteRaw("c2.bin", 1234, [](uint64_t) { return 0.0f; });
  std::tm moment{};
  moment.tm_year = 2021 - 1900;
  moment.tm_mon = 2;
  moment.tm_mday = 7;
  moment.tm_hour = 9;
  moment.tm_min = 5;
  moment.tm_isdst = -1;
  const std::time_t at = std::mktime(&moment);
  struct timespec times[2] = {{at, 0}, {at, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, dir_.File("c2.bin").c_str(), times, 0), 0);

  char date[32], time[32];
  EXPECT_EQ(FileDateTimeRead("c2.bin", date, time), 1);
  EXPECT_STREQ(date, "3-7-2021");
  EXPECT_STREQ(time, "9:05");
  EXPECT_EQ(FileDateTimeRead("none.bin", date, time), 0);
  EXPECT_STREQ(date, "00-00-0000");
  EXPECT_STREQ(time, "00:00");

  StrCopy(Dsp.Chn_Flnm[2], "c2.bin");
  Dsp.FL_SZ[1][5] = 77;
  EXPECT_EQ(DisplayFileDateCheck(0, nullptr), 0);
  EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][2], 1234u);
  EXPECT_EQ(Dsp.FL_SZ[1][5], 0u);
  EXPECT_STREQ(Dsp.Work_Date, "3-7-2021");
  EXPECT_STREQ(Dsp.Work_Time, "9:05");
  EXPECT_EQ(DisplayFileDateCheck(-1, "c2.bin"), 1234);
  EXPECT_EQ(DisplayFileDateCheck(-1, "none.bin"), 0);
  int64_t bytes = 0;
  EXPECT_EQ(FileSizeGet(dir_.File("c2.bin").c_str(), &bytes), 1);
  EXPECT_EQ(bytes, 4936);
  EXPECT_EQ(FileSizeGet(dir_.File("none.bin").c_str(), &bytes), 0);
}

TEST_F(ViewThreadTest, DefaultPagesFollowTheRawSize) {
  struct Row {
    uint32_t points;
    int32_t width;
    double itm1, itm2;
    int16_t kind1, kind2;
  };
  const Row rows[] = {
      {500, 100, 5.0, 0.0, VIEW_KIND_AVE, VIEW_KIND_NONE},
      {5000, 10, 10.0, 50.0, VIEW_KIND_AVE, VIEW_KIND_AVE},
      {30000, 300, 10.0, 100.0, VIEW_KIND_MAX, VIEW_KIND_AVE},
      {200000, 100, 100.0, 1000.0, VIEW_KIND_MAX, VIEW_KIND_MAX},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.points);
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path()))
      std::filesystem::remove_all(entry.path());
    Win.Page_Width = row.width;
    Active(row.points, 1.0f);
    Win.X_PAGES[0] = Win.X_PAGES[1] = Win.X_PAGES[2] = 0.0;  // no pages yet: every level takes its default
    Run();
    EXPECT_EQ(StatusText(0), "VIEW PROCESSING COMPLETE");
    EXPECT_EQ(Win.ViewKind[0][0], VIEW_KIND_MAX);
    EXPECT_DOUBLE_EQ(Win.X_PAGES[0], 1.0);
    EXPECT_EQ(Win.ViewKind[1][0], row.kind1);
    EXPECT_DOUBLE_EQ(Win.X_PAGES[1], row.itm1);
    EXPECT_EQ(Win.ViewKind[2][0], row.kind2);
    EXPECT_DOUBLE_EQ(Win.X_PAGES[2], row.itm2);
    EXPECT_EQ(Dsp.FL_SZ[1][0], static_cast<uint32_t>(row.itm1 * row.width));
    const int views = 2 + (row.kind2 != VIEW_KIND_NONE ? 1 : 0) + 1;
    EXPECT_EQ(StatusText(2), "TOTAL VIEWS=[" + std::to_string(views) + "]: USE ANALYSIS MENU TO CHANGE");
  }
}

TEST_F(ViewThreadTest, PagesBelowTheMinimumAreRaisedAndReported) {
  Win.Page_Width = 3000;
  Active(30000, 1.0f);
  Dsp.ViewUpdate[0] = 1;  // pages as the analysis options set them
  Win.X_PAGES[1] = 0.0004;
  Run();
  EXPECT_DOUBLE_EQ(Win.X_PAGES[1], 0.001);
  EXPECT_EQ(Dsp.FL_SZ[1][0], 3u);
  EXPECT_EQ(Win.ViewKind[1][0], VIEW_KIND_MAX);
  EXPECT_EQ(StatusText(3), "[0] [c0.bin] MIN PAGE VALUE=[0.001000]");
}

TEST_F(ViewThreadTest, ReselectionOnlyMarksTheActiveChannel) {
  Active(30000, 1.0f);
  Win.ViewPageType = 1;
  Win.ViewPrep = 0;
  Run();
  EXPECT_EQ(Dsp.ViewUpdate[0], 1u);
  EXPECT_EQ(ThreadCtl.View_Busy.load(), 0u);
  EXPECT_EQ(StatusText(0), "VIEW CHANNEL RESELECTED");  // the run's own end, not "RUNNING"
  EXPECT_FALSE(Exists(ViewPath("c0.bin", ".QVOm")));
  EXPECT_NE(WaitForSingleObject(ThreadCtl.View_StoppedEvent, 0), WAIT_OBJECT_0);

  Win.Active_Chn = 12;  // out of range: none
  ThreadCtl.View_Busy = 1;
  Run();
  EXPECT_EQ(Win.Active_Chn, 9);
  EXPECT_EQ(StatusText(1), "NO DISPLAY CHN");
  EXPECT_EQ(StatusText(0), "VIEW PROCESSING ABORTED");
  for (int v = 0; v < 3; ++v) {
    EXPECT_EQ(Win.X_PAGES[v], 0.0);
    EXPECT_EQ(Win.ViewKind[v][9], VIEW_KIND_NONE);
  }
  EXPECT_EQ(ThreadCtl.View_Busy.load(), 0u);
}

TEST_F(ViewThreadTest, MissingActiveChannelGivesWayToTheLastDisplayedOne) {
  Active(30000, 1.0f);
  StrCopy(Dsp.Chn_Flnm[0], "gone.bin");
  WriteRaw("c3.bin", 30000, [](uint64_t) { return 2.0f; });
  WriteRaw("c5.bin", 60000, [](uint64_t) { return 3.0f; });
  Channel(3, "c3.bin", VIEW_KIND_MAX, VIEW_KIND_MAX, VIEW_KIND_MAX);
  Channel(5, "c5.bin", VIEW_KIND_MAX, VIEW_KIND_MAX, VIEW_KIND_MAX);
  Run();
  EXPECT_EQ(Dsp.Chn_DspStat[0], 0u);
  EXPECT_EQ(Win.Active_Chn, 5);
  EXPECT_DOUBLE_EQ(Win.X_PAGES[WIN_RAW], 200.0);
  EXPECT_EQ(Dsp.Chn_DspStat[3], 1u);
  EXPECT_TRUE(Exists(ViewPath("c3.bin", ".QVOm")));
  EXPECT_DOUBLE_EQ(Dsp.Pts2Pxl[0], 200.0);  // the active channel's points per pixel

  // No channel left: the run ends before any page is defined.
  for (int c : {3, 5}) Dsp.Chn_DspStat[c] = 0;
  Run();
  EXPECT_EQ(StatusText(1), "NO DISPLAY CHN");
  EXPECT_EQ(StatusText(0), "VIEW PROCESSING ABORTED");
  for (int v = 0; v < 3; ++v) EXPECT_EQ(Win.ViewKind[v][9], VIEW_KIND_NONE);
}

TEST_F(ViewThreadTest, OlderViewFileInTheDataFolderIsTakenOverAsTheAverageFile) {
  Active(30000, 1.0f);
  Run();
  std::vector<float> older(300);
  for (size_t i = 0; i < older.size(); ++i) older[i] = static_cast<float>(i);
  std::filesystem::remove(ViewPath("c0.bin", ".QVOm"));
  {
    std::ofstream out(dir_.File("c0.bin.QVO"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(older.data()), 300 * 4);
  }
  SetFileAge(dir_.File("c0.bin"), std::chrono::seconds(-3600));
  Run();
  EXPECT_FALSE(Exists(dir_.File("c0.bin.QVO")));
  EXPECT_FALSE(Exists(ViewPath("c0.bin", ".QVOm")));
  EXPECT_EQ(Win.ViewKind[0][0], VIEW_KIND_AVE);
  EXPECT_EQ(ReadFloats(ViewPath("c0.bin", ".QVOa")), older);
  EXPECT_EQ(Level(0, 0), older);  // loaded, not rebuilt
}

// The status bar of a test run, subclassed to ask the view run to stop once the
// progress of the channel file named stopAt shows.
WNDPROC g_statusProc = nullptr;
const char* g_stopAt = nullptr;

LRESULT StoppingStatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == SB_SETTEXT && wParam == 2 && g_stopAt && lParam) {
    const std::string text = reinterpret_cast<const char*>(lParam);
    if (text.find(g_stopAt) != std::string::npos && text.find("LNS=") != std::string::npos)
      SetEvent(ThreadCtl.View_StopEvent);
  }
  return CallWindowProc(g_statusProc, window, message, wParam, lParam);
}

// What a view run left: the view files, byte for byte, and the channels' flags.
struct RunResult {
  std::map<std::string, std::vector<char>> files;
  uint32_t shown[3] = {};
  std::string status;
  int16_t active = 0;
  bool operator==(const RunResult& o) const {
    return files == o.files && std::equal(shown, shown + 3, o.shown) && status == o.status && active == o.active;
  }
};

}  // namespace

// A view run with view workers writes the view files of a run on one worker byte for
// byte, and a stop in the middle of the second of three channels leaves what it
// leaves on one worker: the first channel done, the second taken off, the third
// untouched.
TEST_F(ViewThreadTest, ViewWorkersWriteTheFilesOfOneWorkerAndStopAsIt) {
  const uint64_t n = 3 * VIEW_BLOCK_POINTS + 70001;
  const char* names[3] = {"w0.bin", "w1.bin", "w2.bin"};
  for (int c = 0; c < 3; ++c)
    WriteRaw(names[c], n, [c](uint64_t i) {
      return static_cast<float>(std::sin(i * (0.0013 + 0.0007 * c)) + 0.25 * std::cos(i * 0.31) + (i % 4099 == 0 ? 2 : 0));
    });
  auto run = [&](uint32_t workers, const char* stopAt) {
    std::filesystem::remove_all(dir_.Path() / VIEW_FOLDER);
    for (int c = 0; c < 3; ++c) {
      DisplayViewArraysFree(static_cast<int16_t>(c));
      Channel(static_cast<int16_t>(c), names[c], VIEW_KIND_MAX, VIEW_KIND_AVE, VIEW_KIND_MAX);
    }
    Win.Active_Chn = 0;
    Win.X_PAGES[0] = 1.0;
    Win.X_PAGES[1] = 37.0;
    Win.X_PAGES[2] = 500.0;
    ThreadCtl.View_Busy = 1;
    ThreadCtl.View_Workers = workers;
    g_stopAt = stopAt;
    Run();
    g_stopAt = nullptr;
    RunResult r;
    if (std::filesystem::exists(dir_.Path() / VIEW_FOLDER))
      for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / VIEW_FOLDER)) {
        std::ifstream in(entry.path(), std::ios::binary);
        r.files[entry.path().filename().string()] = std::vector<char>(std::istreambuf_iterator<char>(in), {});
      }
    for (int c = 0; c < 3; ++c) r.shown[c] = Dsp.Chn_DspStat[c];
    r.status = StatusText(0);
    r.active = Win.Active_Chn;
    return r;
  };
  g_statusProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtr(Win.hWnd_StatusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StoppingStatusProc)));
  const RunResult one = run(1, nullptr);
  EXPECT_EQ(one.status, "VIEW PROCESSING COMPLETE");
  EXPECT_EQ(one.files.size(), 9u);
  for (uint32_t workers : {2u, 5u}) EXPECT_TRUE(run(workers, nullptr) == one) << workers << " workers";

  const RunResult stoppedOne = run(1, "[1] [w1.bin]");
  EXPECT_EQ(stoppedOne.status, "VIEW PROCESSING RETURNING");
  EXPECT_EQ(stoppedOne.shown[0], 1u);
  EXPECT_EQ(stoppedOne.shown[1], 0u);
  EXPECT_EQ(stoppedOne.shown[2], 1u);
  EXPECT_EQ(stoppedOne.files.size(), 3u);  // the first channel's
  const RunResult stoppedMany = run(4, "[1] [w1.bin]");
  EXPECT_TRUE(stoppedMany == stoppedOne);
  for (const auto& [name, bytes] : stoppedOne.files) EXPECT_EQ(one.files.at(name), bytes) << name;
  SetWindowLongPtr(Win.hWnd_StatusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_statusProc));
  ThreadCtl.View_Workers = 0;
}

namespace {

// A change made once while a view run works: when the status bar shows the progress of
// the pass over the raw file, or when the run is about to write what it built.
std::function<void()> g_change;
bool g_keepChanging = false;

void ChangeNow() {
  if (!g_change) return;
  const std::function<void()> change = g_change;
  if (!g_keepChanging) g_change = nullptr;
  change();
}

void ChangeAtFiles(int16_t) { ChangeNow(); }

LRESULT ChangingStatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == SB_SETTEXT && wParam == 2 && lParam &&
      std::string(reinterpret_cast<const char*>(lParam)).find("LNS=") != std::string::npos)
    ChangeNow();
  return CallWindowProc(g_statusProc, window, message, wParam, lParam);
}

}  // namespace

// The displayed channel's raw file renamed over or rewritten, or the channel given
// another file's name (as a sequence does while a run goes on), during the pass over
// the raw file or just before the views are written: no view file of the old data is
// left under the name, stamped after the new file, and the run after it builds the
// views of what the channel now names. A file that keeps changing is given up after a
// few runs, marked for an update.
TEST_F(ViewThreadTest, AFileChangedUnderTheRunIsBuiltAgainFromWhatItNowHolds) {
  g_statusProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtr(Win.hWnd_StatusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChangingStatusProc)));
  const auto renamedOver = [this] {
    WriteRaw("new.bin", 30000, [](uint64_t) { return 2.5f; });
    std::filesystem::rename(dir_.File("new.bin"), dir_.File("c0.bin"));
  };
  const auto rewritten = [this] { WriteRaw("c0.bin", 36000, [](uint64_t) { return 2.5f; }); };
  const auto renamed = [this] {
    WriteRaw("other.bin", 30000, [](uint64_t) { return 2.5f; });
    StrCopy(Dsp.Chn_Flnm[0], "other.bin");
  };
  const std::function<void()> changes[3] = {renamedOver, rewritten, renamed};
  for (bool atWriting : {false, true}) {
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(testing::Message() << (atWriting ? "before writing, " : "while decimating, ") << "change " << k);
      std::filesystem::remove_all(dir_.Path() / VIEW_FOLDER);
      DisplayViewArraysFree(0);
      platform::ClearBoxLog();
      Active(30000, 1.5f);
      g_change = changes[k];
      if (atWriting) ThreadCtl.View_FilesHook = &ChangeAtFiles;
      Run();
      ThreadCtl.View_FilesHook = nullptr;
      EXPECT_FALSE(g_change);
      const std::string name = Dsp.Chn_Flnm[0];
      EXPECT_EQ(name, k == 2 ? "other.bin" : "c0.bin");
      EXPECT_EQ(Dsp.Chn_DspStat[0], 1u);
      EXPECT_TRUE(BoxTexts().empty());
      EXPECT_EQ(StatusText(0), "VIEW PROCESSING COMPLETE");
      EXPECT_EQ(Dsp.ViewUpdate[0], 0u);
      for (const char* suffix : {".QVOm", ".QVIm", ".QVMa"}) {
        const std::vector<float> values = ReadFloats(ViewPath(name, suffix));
        EXPECT_EQ(values.size(), std::string(suffix) == ".QVOm" ? 300u : suffix[3] == 'I' ? 3000u : 30000u) << suffix;
        EXPECT_TRUE(std::all_of(values.begin(), values.end(), [](float v) { return v == 2.5f; })) << suffix;
      }
      EXPECT_FLOAT_EQ(Level(0, 0).at(10), 2.5f);
    }
  }

  // Changed at every run: given up after the runs asked for again, its views gone.
  Active(30000, 1.5f);
  std::filesystem::remove_all(dir_.Path() / VIEW_FOLDER);
  DisplayViewArraysFree(0);
  int runs = 0;
  g_keepChanging = true;
  g_change = [&] {
    ++runs;
    WriteRaw("c0.bin", 30000 + 1000 * runs, [](uint64_t) { return 3.0f; });
  };
  ThreadCtl.View_FilesHook = &ChangeAtFiles;
  Run();
  ThreadCtl.View_FilesHook = nullptr;
  g_keepChanging = false;
  g_change = nullptr;
  EXPECT_EQ(runs, 4);
  EXPECT_EQ(StatusText(3), "[0] [c0.bin] FILE CHANGED DURING VIEW PROCESSING");
  EXPECT_EQ(Dsp.Chn_DspStat[0], 1u);
  EXPECT_EQ(Dsp.ViewUpdate[0], 1u);
  EXPECT_EQ(Dsp.Fl_Pt[0][0], nullptr);
  EXPECT_FALSE(Exists(ViewPath("c0.bin", ".QVOm")));
  EXPECT_EQ(ThreadCtl.View_Request.load(), 0u);
  SetWindowLongPtr(Win.hWnd_StatusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_statusProc));
}
