#include "app/Startup.h"
#include "core/PathFile.h"

#include <cairo.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "AppFixture.h"
#include "app/WorkFileDialog.h"
#include "app/MainWindow.h"
#include "app/WorkFile.h"
#include "core/MsgWindow.h"
#include "core/Repaint.h"
#include "display/ViewDecimate.h"
#include "display/ViewFiles.h"
#include "platform/driver/TestDriver.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/CommandLine.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "support/TempDir.h"

namespace {

struct Split {
  std::string exe, dir, work;
};

Split SplitOf(const char* commandLine) {
  char exe[500], dir[260], work[200];
  Qv95CommandLineSplit(commandLine, exe, sizeof exe, dir, sizeof dir, work, sizeof work);
  return {exe, dir, work};
}

TEST(CommandLineSplitTest, TheCasesOfTheCommandLine) {
  Split quoted = SplitOf(R"("E:\prog\Qv95.exe" "D:\data\run 1\scan.qvw")");
  EXPECT_EQ(quoted.exe, R"(E:\prog\Qv95.exe)");
  EXPECT_EQ(quoted.dir, R"(D:\data\run 1)");
  EXPECT_EQ(quoted.work, "scan.qvw");

  Split none = SplitOf(R"("E:\prog\Qv95.exe" )");
  EXPECT_EQ(none.exe, R"(E:\prog\Qv95.exe)");
  EXPECT_EQ(none.dir, R"(E:\prog)");
  EXPECT_EQ(none.work, "");

  Split unquotedExe = SplitOf(R"(E:\prog\Qv95.exe "D:\data\run 1\scan.qvw")");
  EXPECT_EQ(unquotedExe.exe, R"(E:\prog\Qv95.exe)");
  EXPECT_EQ(unquotedExe.dir, R"(D:\data\run 1)");
  EXPECT_EQ(unquotedExe.work, "scan.qvw");

  Split bare = SplitOf(R"(E:\prog\Qv95.exe)");
  EXPECT_EQ(bare.exe, "C:");
  EXPECT_EQ(bare.dir, "C:");
  EXPECT_EQ(bare.work, "");

  Split unquotedArg = SplitOf(R"("E:\prog\Qv95.exe" D:\data\scan.qvw)");
  EXPECT_EQ(unquotedArg.exe, R"(E:\prog\Qv95.exe)");
  EXPECT_EQ(unquotedArg.dir, R"(D:\data)");
  EXPECT_EQ(unquotedArg.work, "scan.qvw");

  // The shape this platform presents: slashes split like backslashes.
  Split here = SplitOf(R"("/opt/qv95/qv95" "/home/me/run 2/scan.qvw")");
  EXPECT_EQ(here.exe, "/opt/qv95/qv95");
  EXPECT_EQ(here.dir, "/home/me/run 2");
  EXPECT_EQ(here.work, "scan.qvw");

  // Degenerate lines never read outside the text.
  EXPECT_EQ(SplitOf("").exe, "C:");
  EXPECT_EQ(SplitOf("\"").exe, "");
  EXPECT_EQ(SplitOf("\"\" ").dir, "");
}

class PathFileTest : public qvtest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    std::filesystem::create_directories(dir_.Path() / "prog");
    std::filesystem::create_directories(dir_.Path() / "data" / "run");
    StrCopy(Win.Exe_Path, (dir_.Path() / "prog" / "qv95").string().c_str());
    std::filesystem::current_path(dir_.Path() / "data" / "run");
  }
  std::string Folder() const { return (dir_.Path() / "prog").string() + "/"; }
  std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

TEST_F(PathFileTest, WrittenBesideTheProgramAndReadBack) {
  StrCopy(OrvPrm.Prog_Path, "/calc/rotor/old.exe");
  StrCopy(Quad.Prog_Path, "/calc/Hfs95.exe");
  StrCopy(Ga.Prog_Path[0], "/calc/Evo95.exe");
  StrCopy(FgPrm.Prog_Path, "/calc/Exm95.exe");
  OrvPrm.Prog_Mode = 1;
  EXPECT_EQ(ExecResourceFile(0), 1);
  EXPECT_STREQ(OrvPrm.Prog_Path, "/calc/rotor/vespar95.exe");
  EXPECT_EQ(Read(dir_.Path() / "prog" / PATH_FILE_NAME),
            "/calc/rotor/vespar95.exe\r\n/calc/Hfs95.exe\r\n/calc/Evo95.exe\r\n/calc/Exm95.exe\r\n");

  OrvPrm = OrvPrmRecord{};
  Quad = QuadRecord{};
  Ga = GaRecord{};
  FgPrm = FgPrmRecord{};
  EXPECT_EQ(ExecResourceFile(1), 1);
  EXPECT_STREQ(OrvPrm.Prog_Path, "/calc/rotor/vespar95.exe");
  EXPECT_STREQ(Quad.Prog_Path, "/calc/Hfs95.exe");
  EXPECT_STREQ(Ga.Prog_Path[0], "/calc/Evo95.exe");
  EXPECT_STREQ(FgPrm.Prog_Path, "/calc/Exm95.exe");
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(PathFileTest, TheFileAboveTheCurrentFolderWins) {
  std::ofstream(dir_.Path() / "data" / PATH_FILE_NAME, std::ios::binary) << "/a/orv95.exe\r\n/a/hfs.exe\r\n";
  std::ofstream(dir_.Path() / "prog" / PATH_FILE_NAME, std::ios::binary) << "/b/1\n/b/2\n/b/3\n/b/4\n";
  EXPECT_EQ(ExecResourceFile(1), 1);
  EXPECT_STREQ(OrvPrm.Prog_Path, "/a/orv95.exe");
  EXPECT_STREQ(Quad.Prog_Path, "/a/hfs.exe");
  // Two lines set only two paths.
  EXPECT_STREQ(Ga.Prog_Path[0], "Evo95.exe");
  EXPECT_STREQ(FgPrm.Prog_Path, "");
  // Writing goes to the file that exists there.
  EXPECT_EQ(ExecResourceFile(0), 1);
  EXPECT_EQ(Read(dir_.Path() / "data" / PATH_FILE_NAME), "/a/orv95.exe\r\n/a/hfs.exe\r\nEvo95.exe\r\n\r\n");
}

TEST_F(PathFileTest, MissingFileGivesTheProgramFolderDefaults) {
  EXPECT_EQ(ExecResourceFile(1), 1);
  EXPECT_EQ(std::string(OrvPrm.Prog_Path), Folder() + "Orv95.exe");
  EXPECT_EQ(std::string(Quad.Prog_Path), Folder() + "Hfs95.exe");
  EXPECT_EQ(std::string(Ga.Prog_Path[0]), Folder() + "Evo95.exe");
  EXPECT_EQ(std::string(FgPrm.Prog_Path), Folder() + "Exm95.exe");
}

TEST_F(PathFileTest, UnwritableFileWarnsAndFallsBack) {
  StrCopy(Win.Exe_Path, (dir_.Path() / "gone" / "qv95").string().c_str());
  StrCopy(Quad.Prog_Path, "/calc/Hfs95.exe");
  EXPECT_EQ(ExecResourceFile(0), 1);
  ASSERT_EQ(platform::BoxLog().size(), 1u);
  std::string target = (dir_.Path() / "gone").string() + "/" + PATH_FILE_NAME;
  EXPECT_EQ(platform::BoxLog()[0].text, "FAILED TO OPEN EXECUTABLE RESOURCE FILE [" + target + "] FOR WRITING!");
  EXPECT_EQ(platform::BoxLog()[0].style, 0x1030u);
  EXPECT_EQ(std::string(Quad.Prog_Path), (dir_.Path() / "gone").string() + "/Hfs95.exe");
}

// Channels re-recorded after their view files were built: the working file opens with
// every channel shown, its view files built again and its trace drawn, at start-up
// (whose display initialisation stops the first run to start it again) and through
// File/Open during that run.
class StaleViewsTest : public qvtest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ThreadCtl.View_Started = 0;  // the start-up runs the view thread
  }
  void TearDown() override {
    ASSERT_TRUE(platform::driver::PumpUntil([] { return ViewIdle(); }, 600000));
    if (Dsp.Msg_Hwnd && IsWindow(Dsp.Msg_Hwnd)) DestroyWindow(Dsp.Msg_Hwnd);
    if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) DestroyWindow(Win.hWnd_Main);
    platform::driver::PumpUntilIdle();
    UnregisterClass(MAIN_CLASS_NAME, nullptr);
    for (int16_t c = 0; c <= 8; ++c) DisplayViewArraysFree(c);
    const char* plain[] = {"qv95"};
    platform::SetProgramArguments(1, plain);
    AppTest::TearDown();
  }
  static bool ViewIdle() {
    return ThreadCtl.View_Running.load() == 0 && ThreadCtl.View_Busy.load() == 0 && ThreadCtl.View_Request.load() == 0;
  }
  // View files of every level of the channel file, of the maximum kind, older than it;
  // empty ones or of the size they had.
  void StaleViews(const std::string& raw, bool empty) {
    std::filesystem::create_directory(Path(VIEW_FOLDER));
    const auto rawTime = std::filesystem::last_write_time(Path(raw));
    for (const char* level : {".QVOm", ".QVIm", ".QVMm"}) {
      const std::string view = Path(std::string(VIEW_FOLDER) + "/" + raw + level);
      WriteAll(view, std::string(empty ? 0 : 3000 * 4, '\0'));
      std::filesystem::last_write_time(view, rawTime - std::chrono::hours(24));
    }
  }
  // Starts the program on the working file as the command line names it.
  void StartUp(const std::string& work) {
    const std::string path = Path(work);
    const char* args[] = {"qv95", path.c_str()};
    platform::SetProgramArguments(2, args);
    ASSERT_NE(InitApplication(nullptr), 0);
    ASSERT_EQ(InitInstance(nullptr, SW_SHOWNORMAL), 1);
    platform::driver::PumpUntilIdle();  // the first paint runs the start-up
    ASSERT_EQ(Dsp.Init_Done, 1u);
  }
  // After the view runs: the channel is shown, its view files were built again from
  // the raw file, and its trace is in the picture of the main window.
  void ExpectShownAndDrawn(int16_t c) {
    ASSERT_TRUE(platform::driver::PumpUntil([] { return ViewIdle(); }, 600000));
    platform::driver::PumpUntilIdle();
    SCOPED_TRACE(Dsp.Chn_Flnm[c]);
    EXPECT_EQ(Dsp.Chn_DspStat[c], 1u);
    const std::string raw = Path(Dsp.Chn_Flnm[c]);
    int levels = 0;
    for (int v = 0; v < 3; ++v) {
      if (Win.ViewKind[v][c] == VIEW_KIND_NONE) continue;
      ++levels;
      const std::string view = platform::MapPath(DisplayViewFileName(c, v, Win.ViewKind[v][c]).c_str());
      ASSERT_TRUE(std::filesystem::exists(view)) << view;
      EXPECT_GE(std::filesystem::last_write_time(view), std::filesystem::last_write_time(raw)) << view;
      EXPECT_EQ(std::filesystem::file_size(view), Dsp.FL_SZ[v][c] * sizeof(float)) << view;
      EXPECT_GT(Dsp.Fl_Pt_Len[v][c], 0u);
    }
    EXPECT_EQ(levels, 3);
    RepaintWindow("TEST", Win.hWnd_Main, TRUE);
    ASSERT_NE(Win.Paint_MemDC, nullptr);
    const COLORREF pen = RGB(Dsp.RGB[Dsp.Chn_ColorNo[c]][0], Dsp.RGB[Dsp.Chn_ColorNo[c]][1], Dsp.RGB[Dsp.Chn_ColorNo[c]][2]);
    int drawn = 0;
    for (int x = 0; x < Win.Paint_BufW; x += 2)
      for (int y = 0; y < Win.Paint_BufH; ++y) drawn += GetPixel(Win.Paint_MemDC, x, y) == pen ? 1 : 0;
    EXPECT_GT(drawn, Win.Paint_BufW / 4);
  }
};

TEST_F(StaleViewsTest, DemoAndAHundredMillionPointChannelOpenDrawn) {
  // The demo, every channel re-recorded after empty view files were made.
  for (const char* name : {"demo.QVW", "demo.QVS", "absorption.bin", "etalon.bin", "baseline.bin"})
    std::filesystem::copy_file(std::string(QV95_SOURCE_DIR) + "/examples/" + name, Path(name));
  for (const char* raw : {"absorption.bin", "etalon.bin", "baseline.bin"}) StaleViews(raw, true);
  StartUp("demo.QVW");
  for (int16_t c = 0; c <= 2; ++c) ExpectShownAndDrawn(c);
  EXPECT_EQ(platform::StatusText(Win.hWnd_StatusBar, 0), "VIEW PROCESSING COMPLETE");

  // A channel of 1e8 points (a sparse file of zeros) with the view files of its former
  // recording, opened through File/Open, and opened again while that run builds them.
  const int fd = ::open(Path("long.bin").c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 100000000LL * 4), 0);
  ::close(fd);
  StaleViews("long.bin", false);
  std::string work = ReadAll(Path("demo.QVW"));
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"0   0   1   absorption.bin       3.00000000e+00       0.",
                                                                     "0   0   1   long.bin             3.00000000e+00       1."},
                                 {"1   0   1   etalon.bin", "1   0   0   etalon.bin"},
                                 {"2   0   1   baseline.bin", "2   0   0   baseline.bin"}}) {
    const size_t at = work.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    work.replace(at, from.size(), to);
  }
  WriteAll(Path("long.QVW"), work);
  chosen_ = {Path("saved1.QVW"), Path("long.QVW")};  // the loaded file saved aside, then the open
  ASSERT_EQ(WorkFileWin95(0, Win.hWnd_Main), 1);
  EXPECT_FALSE(ViewIdle());
  chosen_ = {Path("saved2.QVW"), Path("long.QVW")};
  ASSERT_EQ(WorkFileWin95(0, Win.hWnd_Main), 1);
  ExpectShownAndDrawn(0);
  EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][0], 100000000u);
  EXPECT_EQ(platform::StatusText(Win.hWnd_StatusBar, 0), "VIEW PROCESSING COMPLETE");
}

}  // namespace

namespace {

// A PNG written by the program, read pixel by pixel.
class Picture {
 public:
  explicit Picture(const std::string& path) : image_(cairo_image_surface_create_from_png(path.c_str())) {}
  ~Picture() { cairo_surface_destroy(image_); }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  bool Ok() const { return cairo_surface_status(image_) == CAIRO_STATUS_SUCCESS; }
  int Width() const { return cairo_image_surface_get_width(image_); }
  int Height() const { return cairo_image_surface_get_height(image_); }
  uint32_t Rgb(int x, int y) const {
    const unsigned char* row = cairo_image_surface_get_data(image_) +
                               static_cast<size_t>(y) * static_cast<size_t>(cairo_image_surface_get_stride(image_));
    return *reinterpret_cast<const uint32_t*>(row + 4 * x) & 0xFFFFFFu;
  }
  // The plot: below the caption, menu bar and toolbar, above the status bar.
  int PlotTop() const { return 1 + 20 + 20 + 30; }
  int PlotBottom() const { return Height() - 1 - 22; }

 private:
  cairo_surface_t* image_;
};

int RunInFolder(const std::filesystem::path& folder, const std::string& arguments) {
  const std::string command =
      "cd '" + folder.string() + "' && '" + QV95_PROGRAM + "' " + arguments + " >/dev/null 2>&1";
  return std::system(command.c_str());
}

// The demo as a newcomer starts it: the snapshot of the main window after start-up
// shows the three channels (absorption blue, etalon red, baseline green) at both
// ends of the plot, and the etalon with the fringes of the whole
// scan (32,000 points at 400 points a fringe), not the two or three of one raw page.
TEST(DemoStartUpTest, SnapshotShowsAllThreeChannelsOverTheWholeScan) {
  qvtest::TempDir dir;
  std::filesystem::copy(std::string(QV95_SOURCE_DIR) + "/examples", dir.Path(),
                        std::filesystem::copy_options::recursive);
  ASSERT_EQ(RunInFolder(dir.Path(), "--snapshot start.png demo.QVW"), 0);
  const Picture picture(dir.File("start.png"));
  ASSERT_TRUE(picture.Ok());
  const int width = picture.Width();
  const int top = picture.PlotTop(), bottom = picture.PlotBottom();
  auto rgb = [&](int x, int y) { return picture.Rgb(x, y); };
  const uint32_t colours[3] = {0x0000FF, 0xFF0000, 0x00AA00};
  for (uint32_t colour : colours) {
    // Within 16 columns of either end (the simulation set drawn over the absorption
    // may hide it for a few columns).
    for (int edge : {1, width - 18}) {
      bool seen = false;
      for (int x = edge; x < edge + 16 && !seen; ++x)
        for (int y = top; y < bottom && !seen; ++y) seen = rgb(x, y) == colour;
      EXPECT_TRUE(seen) << std::hex << colour << " near column " << std::dec << edge;
    }
  }
  // The etalon fringes: runs of columns whose topmost red pixel stands high.
  std::vector<int> peak(static_cast<size_t>(width), bottom);
  int highest = bottom, lowest = top;
  for (int x = 1; x < width - 1; ++x) {
    for (int y = top; y < bottom; ++y)
      if (rgb(x, y) == 0xFF0000) {
        peak[static_cast<size_t>(x)] = y;
        break;
      }
    if (peak[static_cast<size_t>(x)] < bottom) {
      highest = std::min(highest, peak[static_cast<size_t>(x)]);
      lowest = std::max(lowest, peak[static_cast<size_t>(x)]);
    }
  }
  const int middle = (highest + lowest) / 2;
  int fringes = 0;
  for (int x = 2; x < width - 1; ++x)
    if (peak[static_cast<size_t>(x)] < middle && peak[static_cast<size_t>(x - 1)] >= middle) ++fringes;
  EXPECT_GE(fringes, 70);
}

// The program under a limit of the size of the files it writes, as quotas and batch
// systems set one: a SCALE of an operation sequence whose output passes the limit
// fails as on a full disk, with its warnings, the file it would have replaced kept,
// and the program goes on and ends as usual.
TEST(FileSizeLimitStartUpTest, AWritePastTheLimitFailsAndTheProgramGoesOn) {
  qvtest::TempDir dir;
  std::filesystem::copy(std::string(QV95_SOURCE_DIR) + "/examples", dir.Path(),
                        std::filesystem::copy_options::recursive);
  constexpr rlim_t kLimit = 1 << 20;
  std::string big(2 * kLimit, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
  std::ofstream(dir.File("big.bin"), std::ios::binary) << big;
  std::ofstream(dir.File("OpASeq100.dat"), std::ios::binary) << "SCALE\r\n-1 big.bin big.bin 2.0\r\n";
  std::ofstream(dir.File("limit.script"), std::ios::binary)
      << "wait-idle\n"
         "menu 103\n"
         "dialog 211\n"
         "click 10172\n"
         "box Question \"OPSEQ FILE [OpASeq100.dat] EXISTS*\" cancel\n"
         "box Warning \"OSIFile()*FAILED TO WRITE BINARY FILE=[big.bin]*\" ok\n"
         "box Warning \"SCALE*OPERATIONAL SEQUENCE COMMAND FAILED*\" ok\n"
         "wait-idle 60\n"
         "dialog 211\n"
         "click 2\n"
         "quit\n"
         "file cancel\n";
  const std::string folder = dir.Path().string();
  const std::string errors = dir.File("stderr.txt");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Started as from a shell under the limit: the signal with its default action.
    const struct rlimit limit = {kLimit, kLimit};
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigset_t none;
    sigemptyset(&none);
    const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (chdir(folder.c_str()) != 0 || setrlimit(RLIMIT_FSIZE, &limit) != 0 || err < 0 || dup2(err, 2) < 0 ||
        sigaction(SIGXFSZ, &byDefault, nullptr) != 0 || sigprocmask(SIG_SETMASK, &none, nullptr) != 0)
      _exit(126);
    execl(QV95_PROGRAM, QV95_PROGRAM, "--script", "limit.script", "demo.QVW", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  std::ifstream stderrFile(errors);
  const std::string said((std::istreambuf_iterator<char>(stderrFile)), std::istreambuf_iterator<char>());
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0) << "\n"
                                 << said;
  EXPECT_EQ(WEXITSTATUS(status), 0) << said;
  std::ifstream kept(dir.File("big.bin"), std::ios::binary);
  EXPECT_TRUE(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()) == big);
}

// The trace of a black channel (the colour a new channel gets) drawn over most of the
// plot's width and at least half its height, not a flat line on an edge.
void ExpectTraceDrawn(const std::string& png) {
  SCOPED_TRACE(png);
  const Picture picture(png);
  ASSERT_TRUE(picture.Ok());
  int columns = 0, highest = picture.PlotBottom(), lowest = picture.PlotTop();
  for (int x = 1; x < picture.Width() - 1; ++x) {
    bool seen = false;
    for (int y = picture.PlotTop() + 1; y < picture.PlotBottom() - 1; ++y)
      if (picture.Rgb(x, y) == 0x000000) {
        seen = true;
        highest = std::min(highest, y);
        lowest = std::max(lowest, y);
      }
    columns += seen ? 1 : 0;
  }
  EXPECT_GT(columns, picture.Width() * 3 / 4);
  EXPECT_GT(lowest - highest, (picture.PlotBottom() - picture.PlotTop()) / 2);
}

// The README's road to one's own data, from a folder that holds only a raw float
// file: started there without a working file, the file is named in Analysis, shown,
// auto-scaled and drawn, and the working file saved there opens with the channel drawn.
class OwnDataStartUpTest : public qvtest::AppTest {};

TEST_F(OwnDataStartUpTest, RawFloatFileShownSavedAndReopened) {
  const std::filesystem::path data = Path("data");
  std::filesystem::create_directory(data);
  std::vector<float> wave(4000);
  for (size_t i = 0; i < wave.size(); ++i) wave[i] = 1.0f + 0.5f * static_cast<float>(std::sin(i * 0.025));
  WriteAll((data / "own.bin").string(),
           std::string(reinterpret_cast<const char*>(wave.data()), wave.size() * sizeof(float)));
  std::string script = ReadAll(std::string(QV95_SOURCE_DIR) + "/tests/app/scripts/own-data.script");
  for (size_t at; (at = script.find("@DATA@")) != std::string::npos;) script.replace(at, 6, data.string());
  WriteAll(Path("own-data.script"), script);

  ASSERT_EQ(RunInFolder(data, "--script ../own-data.script"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(data / VIEW_FOLDER));
  ExpectTraceDrawn(Path("drawn.png"));
  const std::string work = ReadAll((data / "own.QVW").string());
  EXPECT_NE(work.find("own.bin"), std::string::npos);

  ASSERT_EQ(RunInFolder(data, "--snapshot ../reopened.png own.QVW"), 0);
  ExpectTraceDrawn(Path("reopened.png"));
}

}  // namespace
