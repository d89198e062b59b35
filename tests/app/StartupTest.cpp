#include "app/Startup.h"

#include <cairo.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "AppFixture.h"
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

}  // namespace

namespace {

// The demo as a newcomer starts it: the snapshot of the main window after start-up
// shows the three channels (absorption blue, etalon red, baseline green) at both
// ends of the plot, and the etalon with the fringes of the whole
// scan (32,000 points at 400 points a fringe), not the two or three of one raw page.
TEST(DemoStartUpTest, SnapshotShowsAllThreeChannelsOverTheWholeScan) {
  qvtest::TempDir dir;
  std::filesystem::copy(std::string(QV95_SOURCE_DIR) + "/examples", dir.Path(),
                        std::filesystem::copy_options::recursive);
  const std::string png = (dir.Path() / "start.png").string();
  const std::string command = "cd '" + dir.Path().string() + "' && '" + QV95_PROGRAM + "' --snapshot '" + png +
                              "' demo.QVW >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
  const int width = cairo_image_surface_get_width(image);
  const int height = cairo_image_surface_get_height(image);
  const int stride = cairo_image_surface_get_stride(image);
  const unsigned char* data = cairo_image_surface_get_data(image);
  auto rgb = [&](int x, int y) {
    const uint32_t pixel = *reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride + 4 * x);
    return pixel & 0xFFFFFFu;
  };
  // The plot: below the caption, menu bar and toolbar, above the status bar.
  const int top = 1 + 20 + 20 + 30, bottom = height - 1 - 22;
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
  cairo_surface_destroy(image);
}

}  // namespace
