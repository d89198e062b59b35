#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "DisplayFixture.h"
#include "display/ViewDecimate.h"

namespace {

using qvtest::DisplayTest;

// The sampling rule written out on an analytic trace g (no blocks, no spline):
// positions k h, pixel j complete once (j + 0.499999) F <= t + h / 2.
std::vector<float> Reference(double ppp, uint32_t size, bool isMax, uint64_t rawPoints,
                             const std::function<double(double)>& g) {
  std::vector<float> out(size, 0.0f);
  const double m = std::trunc(ppp + 0.5);
  const double h = ppp / m;
  uint32_t j = 0;
  double best = -1e20, sum = 0.0, count = 1.0;
  for (uint64_t k = 0; j < size; ++k) {
    const double t = static_cast<double>(k) * h;
    if (t >= static_cast<double>(rawPoints)) break;
    const double y = g(t);
    if (isMax) best = std::max(best, y);
    else sum += y;
    if ((j + 0.499999) * ppp <= t + h / 2) {
      out[j++] = static_cast<float>(isMax ? best : sum / count);
      best = -1e20;
      sum = 0.0;
      count = 0.0;
    }
    count += 1.0;
  }
  return out;
}

class ViewFilesTest : public DisplayTest {
 protected:
  // Channel 0 on file name of n points, page width 3000, pages per level.
  void Setup(const char* name, uint32_t n, double p0, double p1, double p2, int16_t k0, int16_t k1, int16_t k2) {
    Channel(0, name, k0, k1, k2);
    Dsp.FL_SZ[WIN_RAW][0] = n;
    Dsp.ViewUpdate[0] = 1;
    Win.Page_Pixels = 3000;
    Win.X_PAGES[0] = p0;
    Win.X_PAGES[1] = p1;
    Win.X_PAGES[2] = p2;
    Dsp.Frq_Stp = 0.5;
  }
};

TEST_F(ViewFilesTest, ConstantFileGivesConstantLevelsAndOneFileKindPerLevel) {
  WriteRaw("c0.bin", 30000, [](uint64_t) { return 2.5f; });
  Setup("c0.bin", 30000, 1, 2, 5, VIEW_KIND_MAX, VIEW_KIND_AVE, VIEW_KIND_AVE);
  std::filesystem::create_directory(dir_.Path() / VIEW_FOLDER);
  std::ofstream(ViewPath("c0.bin", ".QVOa")) << "old";
  std::ofstream(ViewPath("c0.bin", ".QVIm")) << "old";

  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  EXPECT_EQ(Dsp.ViewUpdate[0], 0u);
  const uint32_t sizes[3] = {3000, 6000, 15000};
  const char* files[3] = {".QVOm", ".QVIa", ".QVMa"};
  for (int v = 0; v < 3; ++v) {
    SCOPED_TRACE(v);
    EXPECT_EQ(Dsp.FL_SZ[v][0], sizes[v]);
    const std::vector<float> level = Level(0, v);
    ASSERT_EQ(level.size(), sizes[v]);
    for (float x : level) ASSERT_FLOAT_EQ(x, 2.5f);
    EXPECT_EQ(ReadFloats(ViewPath("c0.bin", files[v])), level);
  }
  EXPECT_FALSE(Exists(ViewPath("c0.bin", ".QVOa")));
  EXPECT_FALSE(Exists(ViewPath("c0.bin", ".QVIm")));
  EXPECT_DOUBLE_EQ(Dsp.Pts2Pxl[1], 5.0);
  EXPECT_DOUBLE_EQ(Dsp.FrqStpView[1], 2.5);
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / VIEW_FOLDER))
    EXPECT_EQ(entry.path().extension().string().find("tmp"), std::string::npos) << entry.path();
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_EQ(StatusText(0), "[0] [c0.bin] WRITING QVM&QVI&QVO FILES");
}

TEST_F(ViewFilesTest, SpikeLandsInItsPixelAsMaximumAndAsShareOfTheAverage) {
  WriteRaw("c0.bin", 30000, [](uint64_t i) { return i == 12345 ? 1000.0f : 0.0f; });
  Setup("c0.bin", 30000, 1, 2, 5, VIEW_KIND_MAX, VIEW_KIND_AVE, VIEW_KIND_MAX);
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  // Whole points per pixel put every sample on a knot, where the spline is exact.
  const std::vector<float> omni = Level(0, 0), itm1 = Level(0, 1), itm2 = Level(0, 2);
  for (size_t j = 0; j < omni.size(); ++j) ASSERT_EQ(omni[j], j == 1234 ? 1000.0f : 0.0f) << j;
  for (size_t j = 0; j < itm1.size(); ++j) ASSERT_FLOAT_EQ(itm1[j], j == 2469 ? 200.0f : 0.0f) << j;
  for (size_t j = 0; j < itm2.size(); ++j) ASSERT_EQ(itm2[j], j == 6172 ? 1000.0f : 0.0f) << j;
}

TEST_F(ViewFilesTest, RampAcrossBlockBoundariesMatchesTheSamplingRule) {
  const uint32_t n = VIEW_BLOCK_POINTS + 40000;
  WriteRaw("c0.bin", n, [](uint64_t i) { return static_cast<float>(i); });
  Setup("c0.bin", n, 1, 10, 100, VIEW_KIND_AVE, VIEW_KIND_MAX, VIEW_KIND_AVE);
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  for (int v = 0; v < 3; ++v) {
    SCOPED_TRACE(v);
    const double ppp = static_cast<double>(n) / (3000.0 * Win.X_PAGES[v]);
    const std::vector<float> want = Reference(ppp, Dsp.FL_SZ[v][0], v == 1, n, [](double t) { return t; });
    const std::vector<float> got = Level(0, v);
    ASSERT_EQ(got.size(), want.size());
    for (size_t j = 0; j < got.size(); ++j) ASSERT_NEAR(got[j], want[j], 0.2) << j;
  }
}

TEST_F(ViewFilesTest, SmallBlocksGiveTheSameLevelsAsOneBlock) {
  const uint64_t n = 20000;
  const std::string path = dir_.File("wave.bin");
  WriteRaw("wave.bin", n, [](uint64_t i) { return static_cast<float>(std::sin(i * 0.013) + 0.3 * std::cos(i * 0.071)); });
  auto run = [&](uint32_t block, std::vector<float> out[3]) {
    ViewLevelOut levels[3];
    const double ppp[3] = {6.6667, 2.5, 1.3};
    for (int v = 0; v < 3; ++v) {
      out[v].assign(static_cast<size_t>(n / ppp[v]), 0.0f);
      levels[v] = {v == 0 ? VIEW_KIND_MAX : VIEW_KIND_AVE, ppp[v], static_cast<uint32_t>(out[v].size()), out[v].data()};
    }
    ViewWork work;
    ASSERT_EQ(ViewWorkAlloc(&work, block), 1);
    ViewUniformSpline spline;
    ViewDecimateStats stats;
    const int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_EQ(ViewDecimate(fd, n, levels, work, spline, ViewDecimateHooks{}, &stats), ViewDecimateEnd::Done);
    ::close(fd);
    ViewWorkFree(&work);
    if (block < n) {
      EXPECT_GT(stats.pointsRead, n);  // the blocks overlapped
    }
  };
  std::vector<float> whole[3], pieces[3];
  run(32768, whole);
  run(300, pieces);
  for (int v = 0; v < 3; ++v)
    for (size_t j = 0; j < whole[v].size(); ++j) ASSERT_NEAR(pieces[v][j], whole[v][j], 1e-6) << v << " " << j;
}

// The block starts worked out from the sizes alone are the pass's own, with the
// positions and values done at each start: pixels of fewer and of more raw points
// than one, of whole and of odd numbers of points, levels that end before the file
// and levels the file ends first, blocks of the smallest size and larger.
TEST_F(ViewFilesTest, BlockScheduleFromTheSizesIsThePassesOwn) {
  const uint64_t n = 30011;
  const std::string path = dir_.File("sched.bin");
  WriteRaw("sched.bin", n, [](uint64_t i) { return static_cast<float>(std::sin(i * 0.021)); });
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  const double ppps[] = {0.5, 0.73, 1.0, 1.3, 1.5, 2.5, 6.6667, 37.3, 1000.1, 9000.0};
  const double fills[] = {1.0, 0.61, 1.7};  // pixels as a share of the file's
  int blocksSeen = 0;
  for (uint32_t block : {VIEW_BLOCK_MIN, 200u, 1000u, 4096u})
    for (int a = 0; a < 10; ++a)
      for (double fill : fills) {
        ViewLevelOut levels[3];
        std::vector<float> out[3];
        for (int v = 0; v < 3; ++v) {
          const double ppp = ppps[(a + 3 * v) % 10];
          out[v].assign(std::max<size_t>(1, static_cast<size_t>(fill * static_cast<double>(n) / ppp)), 0.0f);
          levels[v] = {v == 1 ? VIEW_KIND_AVE : VIEW_KIND_MAX, ppp, static_cast<uint32_t>(out[v].size()), out[v].data()};
        }
        const ViewSchedule plan = ViewBlockSchedule(n, block, levels);
        std::vector<ViewBlockStart> seen;
        ViewDecimateHooks hooks;
        hooks.block = [&](const ViewBlockStart& b) { seen.push_back(b); };
        ViewWork work;
        ASSERT_EQ(ViewWorkAlloc(&work, block), 1);
        ViewUniformSpline spline;
        const ViewDecimateEnd end = ViewDecimate(fd, n, levels, work, spline, hooks, nullptr);
        ViewWorkFree(&work);
        ASSERT_EQ(plan.end, end);
        ASSERT_EQ(plan.blocks.size(), seen.size()) << "block " << block << " a " << a << " fill " << fill;
        for (size_t b = 0; b < seen.size(); ++b) {
          const ViewBlockStart &x = plan.blocks[b], &y = seen[b];
          ASSERT_EQ(x.p0, y.p0) << b;
          ASSERT_EQ(x.n, y.n) << b;
          ASSERT_EQ(x.last, y.last) << b;
          for (int v = 0; v < 3; ++v) {
            ASSERT_EQ(x.active[v], y.active[v]) << b << " " << v;
            ASSERT_EQ(x.k[v], y.k[v]) << "block " << block << " a " << a << " fill " << fill << " b " << b << " v " << v;
            ASSERT_EQ(x.j[v], y.j[v]) << b << " " << v;
          }
        }
        for (int v = 0; v < 3; ++v) EXPECT_EQ(plan.kinds[v], levels[v].kind);
        blocksSeen += static_cast<int>(seen.size());
      }
  ::close(fd);
  EXPECT_GT(blocksSeen, 5000);
}

// Levels of no pixels or of under half a raw point per pixel are not built, and a
// file too long for the positions of the next block ends the schedule as the pass.
TEST(ViewScheduleTest, LevelsNotBuiltAndTheSeekLimit) {
  ViewLevelOut levels[3];
  levels[0] = {VIEW_KIND_MAX, 0.49, 100, nullptr};
  levels[1] = {VIEW_KIND_AVE, 3.0, 0, nullptr};
  levels[2] = {VIEW_KIND_NONE, 3.0, 100, nullptr};
  ViewSchedule plan = ViewBlockSchedule(1000, 256, levels);
  EXPECT_TRUE(plan.blocks.empty());
  EXPECT_EQ(plan.end, ViewDecimateEnd::Done);
  for (int v = 0; v < 3; ++v) EXPECT_EQ(plan.kinds[v], VIEW_KIND_NONE);

  levels[0] = {VIEW_KIND_MAX, 1.0e6, 5000, nullptr};  // 5e9 points
  plan = ViewBlockSchedule(5000000000ULL, VIEW_BLOCK_POINTS, levels);
  EXPECT_EQ(plan.end, ViewDecimateEnd::SeekTooFar);
  EXPECT_GE(plan.nextPosition, 4294967295.0);
  ASSERT_FALSE(plan.blocks.empty());
  EXPECT_LT(plan.blocks.back().p0, 4294967296ULL);
  EXPECT_EQ(plan.kinds[0], VIEW_KIND_MAX);
}

TEST_F(ViewFilesTest, MissingValuesEnterAsZeroAndAreCountedOnce) {
  WriteRaw("c0.bin", VIEW_BLOCK_POINTS + 10000, [](uint64_t i) {
    if (i == 100) return 1.0e18f;
    if (i == 200) return -3.0e18f;
    if (i == 300) return std::numeric_limits<float>::infinity();
    if (i == 400) return std::numeric_limits<float>::quiet_NaN();
    if (i == VIEW_BLOCK_POINTS - 20) return 5.0e18f;  // inside the overlap of two blocks
    return 1.0f;
  });
  Setup("c0.bin", VIEW_BLOCK_POINTS + 10000, 1, 100, 0, VIEW_KIND_MAX, VIEW_KIND_AVE, VIEW_KIND_NONE);
  Win.X_PAGES[1] = (VIEW_BLOCK_POINTS + 10000) / 5.0 / 3000.0;  // five points per pixel
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{"DSP QVI&QVM&QVO PREP\n\nNUMBER OF POINTS WHERE MAX FLOAT EXCEEDED=[5]"});
  const std::vector<float> itm1 = Level(0, 1);
  EXPECT_FLOAT_EQ(itm1[20], 0.8f);  // points 98..102, one of them missing
  EXPECT_FLOAT_EQ(itm1[80], 0.8f);
  EXPECT_FLOAT_EQ(itm1[19], 1.0f);
  for (float x : Level(0, 0)) ASSERT_FALSE(std::isnan(x));
}

TEST_F(ViewFilesTest, LevelWithLessThanHalfARawPointPerPixelIsNotBuilt) {
  WriteRaw("c0.bin", 1000, [](uint64_t i) { return static_cast<float>(i % 7); });
  Setup("c0.bin", 1000, 0.1, 1, 0.2, VIEW_KIND_MAX, VIEW_KIND_AVE, VIEW_KIND_AVE);
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  EXPECT_EQ(Win.ViewKind[1][0], VIEW_KIND_NONE);
  EXPECT_EQ(Dsp.Fl_Pt[1][0], nullptr);
  EXPECT_FALSE(Exists(ViewPath("c0.bin", ".QVIa")));
  EXPECT_FALSE(Exists(ViewPath("c0.bin", ".QVIm")));
  EXPECT_TRUE(Exists(ViewPath("c0.bin", ".QVOm")));
  EXPECT_TRUE(Exists(ViewPath("c0.bin", ".QVMa")));
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(ViewFilesTest, PagesAreCappedAndMovedBackAtTheEndOfALevel) {
  WriteRaw("c0.bin", 30000, [](uint64_t i) { return i == 29999 ? 3.0e18f : static_cast<float>(i); });
  Setup("c0.bin", 30000, 1, 2, 10, VIEW_KIND_AVE, VIEW_KIND_AVE, VIEW_KIND_AVE);
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  std::vector<float> page(WIN_DRAW_PTS);  // the draw arrays hold 20,000 values
  int32_t first = 29000, read = 0;
  ASSERT_EQ(DisplayViewXAryRead(0, 1, &first, 3000, page.data(), &read), 1);
  EXPECT_EQ(read, 1500);  // moved back so that half the page is filled
  EXPECT_EQ(first, 22500);
  EXPECT_NEAR(page[0], 22500.0f, 0.01);

  first = 0;
  ASSERT_EQ(DisplayViewXAryRead(0, 2, &first, 25000, page.data(), &read), 1);
  EXPECT_EQ(read, WIN_DRAW_PTS);
  first = 0;
  ASSERT_EQ(DisplayViewXAryRead(0, 0, &first, 25000, page.data(), &read), 1);
  EXPECT_EQ(read, 3000);
  EXPECT_EQ(first, 0);

  first = 29000;
  ASSERT_EQ(DisplayViewXAryRead(0, WIN_RAW, &first, 25000, page.data(), &read), 1);
  EXPECT_EQ(read, WIN_DRAW_PTS);
  EXPECT_EQ(first, 10000);
  EXPECT_EQ(page[0], 10000.0f);
  EXPECT_EQ(page[WIN_DRAW_PTS - 1], 0.0f);  // the missing value
  EXPECT_EQ(StatusText(3), "[0] CHN [c0.bin] MAX FLOAT NUMBER=[1]");

  first = -50;
  ASSERT_EQ(DisplayViewXAryRead(0, WIN_RAW, &first, 10, page.data(), &read), 1);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(DisplayViewXAryRead(0, WIN_RAW, &first, 0, page.data(), &read), 0);
  EXPECT_EQ(DisplayViewXAryRead(1, 0, &first, 10, page.data(), &read), 0);  // no array

  StrCopy(Dsp.Chn_Flnm[0], "gone.bin");
  EXPECT_EQ(DisplayViewXAryRead(0, WIN_RAW, &first, 10, page.data(), &read), 0);
  EXPECT_EQ(Dsp.Chn_DspStat[0], 0u);
  EXPECT_EQ(StatusText(1), "CHN=[0] FAILED TO READ FILE=[gone.bin]");
}

TEST_F(ViewFilesTest, RawPageIsSmoothedWhenAsked) {
  WriteRaw("c0.bin", 64, [](uint64_t i) { return i % 2 ? 1.0f : -1.0f; });
  StrCopy(Dsp.Chn_Flnm[0], "c0.bin");
  Win.FFT_Smooth_On = 1;
  Cnv.FFT_SmoothWin = 8.0f;
  std::vector<float> page(64);
  int32_t first = 0, read = 0;
  ASSERT_EQ(DisplayViewXAryRead(0, WIN_RAW, &first, 64, page.data(), &read), 1);
  for (int i = 8; i < 56; ++i) EXPECT_LT(std::fabs(page[i + 1] - page[i]), 0.5f) << i;
}

TEST_F(ViewFilesTest, ReadingModeLoadsTheFilesAndRefusesMissingOrShortOnes) {
  WriteRaw("c0.bin", 30000, [](uint64_t i) { return static_cast<float>(i % 100); });
  Setup("c0.bin", 30000, 1, 2, 5, VIEW_KIND_MAX, VIEW_KIND_AVE, VIEW_KIND_MAX);
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  const std::vector<float> built[3] = {Level(0, 0), Level(0, 1), Level(0, 2)};
  DisplayViewArraysFree(0);
  ASSERT_EQ(Dsp.ViewUpdate[0], 0u);
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  for (int v = 0; v < 3; ++v) EXPECT_EQ(Level(0, v), built[v]);
  EXPECT_EQ(StatusText(0), "[0] [c0.bin] READING QVM&QVI&QVO FILES");

  std::filesystem::resize_file(ViewPath("c0.bin", ".QVIa"), 100);
  EXPECT_EQ(DisplayQviQvoPrep(0), 0);
  EXPECT_EQ(Dsp.Chn_DspStat[0], 0u);
  std::filesystem::remove(ViewPath("c0.bin", ".QVMm"));
  Dsp.Chn_DspStat[0] = 1;
  EXPECT_EQ(DisplayQviQvoPrep(0), 0);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"CHN=[0] FAILED TO READ FILE=[c0.bin.QVIa]",
                                                  "CHN=[0] FAILED TO READ FILE=[c0.bin.QVIa]"}));
  // The arrays of the last good load stay whole until replaced.
  EXPECT_EQ(Level(0, 2), built[2]);
}

TEST_F(ViewFilesTest, OlderViewFilesAreMovedToTheAverageNamesAndUsed) {
  std::vector<float> values(3000);
  for (int i = 0; i < 3000; ++i) values[i] = static_cast<float>(i) * 0.5f;
  {
    std::ofstream out(dir_.File("c0.bin.QVO"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(values.data()), 3000 * 4);
  }
  WriteRaw("c0.bin", 30000, [](uint64_t) { return 1.0f; });
  Setup("c0.bin", 30000, 1, 0, 0, VIEW_KIND_AVE, VIEW_KIND_NONE, VIEW_KIND_NONE);
  Dsp.ViewUpdate[0] = 0;
  Dsp.FL_SZ[0][0] = 3000;
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  EXPECT_FALSE(Exists(dir_.File("c0.bin.QVO")));
  EXPECT_EQ(ReadFloats(ViewPath("c0.bin", ".QVOa")), values);
  EXPECT_EQ(Level(0, 0), values);
}

TEST_F(ViewFilesTest, BlankChannelAndLevelsOfKindNone) {
  WriteRaw("blank", 30000, [](uint64_t) { return 7.0f; });
  Setup("blank", 30000, 1, 2, 5, VIEW_KIND_AVE, VIEW_KIND_MAX, VIEW_KIND_AVE);
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  for (int v = 0; v < 3; ++v)
    for (float x : Level(0, v)) ASSERT_EQ(x, 0.0f);
  EXPECT_EQ(ReadFloats(ViewPath("blank", ".QVIm")).size(), 6000u);

  // A level of kind none loses its files; all three none lose every file.
  Win.ViewKind[1][0] = VIEW_KIND_NONE;
  Dsp.ViewUpdate[0] = 1;
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  EXPECT_FALSE(Exists(ViewPath("blank", ".QVIm")));
  EXPECT_TRUE(Exists(ViewPath("blank", ".QVOa")));
  std::ofstream(ViewPath("blank", ".QVMm")) << "x";
  Win.ViewKind[0][0] = Win.ViewKind[2][0] = VIEW_KIND_NONE;
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  for (const char* suffix : {".QVOa", ".QVOm", ".QVIa", ".QVIm", ".QVMa", ".QVMm"})
    EXPECT_FALSE(Exists(ViewPath("blank", suffix))) << suffix;
}

TEST_F(ViewFilesTest, MissingRawFileIsReportedAndHiddenChannelFreesItsArrays) {
  WriteRaw("c0.bin", 30000, [](uint64_t) { return 1.0f; });
  Setup("c0.bin", 30000, 1, 2, 5, VIEW_KIND_AVE, VIEW_KIND_AVE, VIEW_KIND_AVE);
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  Dsp.Chn_DspStat[0] = 0;
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  EXPECT_EQ(Dsp.Fl_Pt[0][0], nullptr);
  EXPECT_EQ(Dsp.Fl_Pt_Len[1][0], 0u);

  Setup("none.bin", 30000, 1, 2, 5, VIEW_KIND_AVE, VIEW_KIND_AVE, VIEW_KIND_AVE);
  EXPECT_EQ(DisplayQviQvoPrep(0), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"CHN=[0] FAILED TO READ RAW FILE=[none.bin]"});
}

TEST_F(ViewFilesTest, PagesReadWhileTheArraysAreRebuilt) {
  WriteRaw("c0.bin", 60000, [](uint64_t i) { return static_cast<float>(i % 1000); });
  Setup("c0.bin", 60000, 1, 4, 20, VIEW_KIND_MAX, VIEW_KIND_AVE, VIEW_KIND_AVE);
  ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  std::atomic<bool> done{false};
  std::atomic<int> pages{0};
  std::thread painter([&] {
    std::vector<float> page(WIN_DRAW_PTS);
    while (!done.load()) {
      for (int16_t v = 0; v < 3; ++v) {
        int32_t first = 1000, read = 0;
        if (DisplayViewXAryRead(0, v, &first, 20000, page.data(), &read) == 1) pages.fetch_add(1);
      }
    }
  });
  for (int i = 0; i < 6; ++i) {
    Win.X_PAGES[2] = i % 2 ? 20 : 2;  // arrays of other sizes each time
    Dsp.ViewUpdate[0] = 1;
    ASSERT_EQ(DisplayQviQvoPrep(0), 1);
  }
  done = true;
  painter.join();
  EXPECT_GT(pages.load(), 0);
}

}  // namespace

// The batch evaluation (vectorised where the processor allows) gives every value
// bit for bit as the one-position evaluation: consecutive and skipping intervals,
// steps below and above one knot and just around its limits for runs taken as
// consecutive, positions before the first and past the last knot and far outside,
// batches wholly inside the knots, far from the file's start, and batch lengths that
// leave a tail.
TEST(ViewSplineTest, BatchValuesAreTheSingleValuesBitForBit) {
  constexpr uint32_t kN = 300;
  ViewWork work;
  ASSERT_EQ(ViewWorkAlloc(&work, kN), 1);
  for (uint32_t i = 0; i < kN; ++i) work.y[i] = static_cast<float>(std::sin(0.3 * i) * 100.0 + (i % 7 == 0 ? 1e-3 : 0.0));
  ViewUniformSpline spline;
  spline.Fit(work, kN);
  const double steps[] = {1.0, 0.98765, 1.0101, 1.000011, 2.5, 0.25, 37.0, 1.000004, 0.999996, 1.0000039, 1.5};
  const double starts[] = {0.0, 1000.0, 123456.0, 4294000000.0, 1000.5};
  const int64_t firsts[] = {0, 3, 25, 40, 999, 1000, 1290, 4000000000LL};
  double batch[300];
  int checked = 0;
  for (double h : steps)
    for (double p0 : starts)
      for (int64_t kFirst : firsts) {
        const uint64_t near = static_cast<uint64_t>(std::max<double>(0.0, std::floor((p0 - 20.0) / h)));
        const uint64_t k0 = kFirst >= 1000000 ? static_cast<uint64_t>(kFirst) : near + static_cast<uint64_t>(kFirst);
        for (uint32_t count : {1u, 3u, 4u, 7u, 64u, 257u}) {
          spline.EvalBatch(k0, count, h, p0, batch);
          for (uint32_t q = 0; q < count; ++q) {
            const double single = spline.Eval(static_cast<double>(k0 + q) * h - p0);
            ASSERT_EQ(std::memcmp(&single, &batch[q], sizeof(double)), 0)
                << "h " << h << " p0 " << p0 << " k " << k0 + q << ": " << single << " vs " << batch[q];
            ++checked;
          }
        }
      }
  EXPECT_GT(checked, 100000);
  ViewWorkFree(&work);
}

// A long block worked out window by window gets every second derivative bit for bit
// as the whole sweep gives it, the windows in order and without gaps: smooth data,
// a huge spike among small values (bounds that need a long lead), long runs of zeros
// of both signs, subnormal values, and a zero run whose pattern leaves the sign of a
// stretch's first value open (worked out from the stretch after it, or from the
// whole block at a window's end); lengths just past the window and with short ends.
TEST(ViewSplineTest, WindowsGiveTheWholeSweepBitForBit) {
  constexpr uint32_t S = VIEW_FIT_STRETCH;
  constexpr uint32_t kWindowEnd = 64 + VIEW_FIT_LANES * S;  // the first window's last knot
  // -0, +0, -0 around knot e in a run of zeros: u[e] is -0 after a +0.
  const auto openSign = [](std::vector<float>& y, uint32_t e) {
    for (uint32_t i = e - 3000; i < std::min<uint32_t>(e + 3000, static_cast<uint32_t>(y.size()) - 1); ++i) y[i] = 0.0f;
    y[e - 1] = -0.0f;
    y[e + 1] = -0.0f;
  };
  const auto fill = [&](int kind, uint32_t n) {
    std::vector<float> y(n);
    for (uint32_t i = 0; i < n; ++i) {
      double v = std::sin(0.0021 * i) + 0.01 * std::sin(1.7 * i);
      if (kind == 1) v = i == 50000 ? 9.0e17 : 1e-6 * v;
      if (kind == 2 && (i / 7000) % 2 == 1) v = (i / 3) % 2 ? -0.0 : 0.0;
      if (kind == 3) v *= 1e-41;
      y[i] = static_cast<float>(v);
    }
    if (kind == 4) openSign(y, 64 + S);  // the end of the first stretch
    if (kind == 5) openSign(y, kWindowEnd);
    return y;
  };
  int windows = 0;
  for (int kind = 0; kind < 6; ++kind)
    for (uint32_t n : {VIEW_FIT_WINDOW + 1, 2 * kWindowEnd + 700, 2 * kWindowEnd + 2017, 3 * kWindowEnd + 1, 160007u}) {
      const std::vector<float> y = fill(kind, n);
      std::vector<double> whole(n);
      ViewWork work;
      ASSERT_EQ(ViewWorkAlloc(&work, n), 1);
      std::copy(y.begin(), y.end(), work.raw);
      viewdetail::BlockOrdinates(work, n, 0);
      ViewWork full = work;
      full.y2 = whole.data();
      ViewUniformSpline spline;
      spline.Fit(full, n);
      uint32_t next = 0;
      bool ended = false;
      ASSERT_TRUE(spline.FitWindows(work, n, [&](uint32_t first, uint32_t last, const double* y2, bool final) {
        ASSERT_FALSE(ended);
        ASSERT_EQ(first, next) << "kind " << kind << " n " << n;
        ASSERT_LT(first, last);
        ASSERT_EQ(std::memcmp(y2, whole.data() + first, (last - first + 1) * sizeof(double)), 0)
            << "kind " << kind << " n " << n << " window " << first << ".." << last;
        next = last;
        ended = final;
        ++windows;
      }));
      EXPECT_TRUE(ended);
      EXPECT_EQ(next, n - 1);
      ViewWorkFree(&work);
    }
  EXPECT_GT(windows, 60);
}

namespace {

// The pixels of a level as the pass took its samples before they came in runs: one
// position after the other, each value from the one-position evaluation.
template <class Spline>
void SampleOneByOne(viewdetail::LevelRun& run, const Spline& spline, double p0, double limit, ViewLevelOut& out) {
  const double h = run.h, half = 0.5 * h, f = run.f;
  double edge = (static_cast<double>(run.j) + 0.499999) * f;
  for (;;) {
    const double t = static_cast<double>(run.k) * h;
    if (!(t < limit)) return;
    const double y = spline.Eval(t - p0);
    if (run.isMax) {
      if (y > run.best) run.best = y;
    } else {
      run.sum += y;
    }
    if (edge <= t + half) {
      if (run.j < out.size) {
        const double v = run.isMax ? run.best : run.sum / run.count;
        out.values[run.j] = std::fabs(v) > VIEW_MISSING_VALUE ? 0.0f : static_cast<float>(v);
      }
      ++run.j;
      edge = (static_cast<double>(run.j) + 0.499999) * f;
      run.best = -1.0e20;
      run.sum = 0.0;
      run.count = 0.0;
      if (run.j >= out.size) {
        ++run.k;
        return;
      }
    }
    ++run.k;
    run.count += 1.0;
  }
}

// The natural spline of ViewUniformSpline written out on ordinates held as doubles
// (the sweep's factors worked out knot by knot), with its evaluation.
struct DoubleSpline {
  std::vector<double> y, y2;
  void Fit() {
    const size_t n = y.size();
    y2.assign(n, 0.0);
    std::vector<double> u(n, 0.0), factor(n, 0.0);
    double prev = 0.0;
    for (size_t i = 1; i + 1 < n; ++i) {
      const double p = 0.5 * prev + 2.0;
      factor[i] = -0.5 / p;
      prev = factor[i];
      u[i] = (3.0 * (y[i + 1] - 2.0 * y[i] + y[i - 1]) - 0.5 * u[i - 1]) * (1.0 / p);
    }
    for (size_t k = n - 1; k-- > 0;) y2[k] = factor[k] * y2[k + 1] + u[k];
  }
  double Eval(double s) const {
    int64_t i = std::clamp<int64_t>(static_cast<int64_t>(s), 0, static_cast<int64_t>(y.size()) - 2);
    const double b = s - static_cast<double>(i);
    const double a = 1.0 - b;
    return a * y[i] + b * y[i + 1] + ((a * a * a - a) * y2[i] + (b * b * b - b) * y2[i + 1]) * (1.0 / 6.0);
  }
};

}  // namespace

// The pass keeps a block's ordinates as the floats read and widens each where it is
// used: its levels are byte for byte those of ordinates held as doubles, with
// subnormal and huge values, zeros of both signs, values at and just below the
// missing mark, infinities and values that are not numbers (missing ones as 0, each
// counted), and spline values beyond the mark between huge knots; the block is long
// enough to be worked out and sampled window by window.
TEST_F(ViewFilesTest, FloatOrdinatesGiveTheLevelsOfDoubleOrdinates) {
  const uint32_t n = 2 * VIEW_FIT_WINDOW + 6007;
  const float below = std::nextafter(static_cast<float>(VIEW_MISSING_VALUE), 0.0f);
  const float awkward[] = {1.0e-40f, -1.4e-45f, 1.17549435e-38f, -0.0f, 0.0f, below, -below,
                           static_cast<float>(VIEW_MISSING_VALUE), -3.0e38f, std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
                           4.0e17f, 16777217.0f, 3.3333333f};
  const auto value = [&](uint64_t i) {
    if (i % 37 == 11) return awkward[(i / 37) % std::size(awkward)];
    if (i >= 3000 && i < 3200) return i % 2 ? 9.0e17f : -9.0e17f;  // the spline swings beyond the mark
    return static_cast<float>(std::sin(0.013 * static_cast<double>(i)) * 1.0e-39 * (i % 3 == 0 ? 1.0 : 1.0e38));
  };
  WriteRaw("awkward.bin", n, value);
  uint64_t missing = 0;
  DoubleSpline ref;
  for (uint32_t i = 0; i < n; ++i) {
    const float v = value(i);
    const bool keep = std::fabs(v) < static_cast<float>(VIEW_MISSING_VALUE);
    missing += keep ? 0 : 1;
    ref.y.push_back(keep ? static_cast<double>(v) : 0.0);
  }
  ref.Fit();
  const int fd = ::open(dir_.File("awkward.bin").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  int compared = 0;
  for (double ppp : {0.61, 1.0, 1.37, 7.0, 101.3})
    for (bool isMax : {true, false}) {
      const uint32_t size = static_cast<uint32_t>(n / ppp);
      std::vector<float> got(size, 7.0f), want(size, 7.0f);
      ViewLevelOut levels[3] = {{isMax ? VIEW_KIND_MAX : VIEW_KIND_AVE, ppp, size, got.data()}, {}, {}};
      ViewLevelOut wantLevel = levels[0];
      wantLevel.values = want.data();
      viewdetail::LevelRun runs[3];
      ViewLevelOut probe[3] = {levels[0], {}, {}};
      viewdetail::StartRuns(probe, runs);
      SampleOneByOne(runs[0], ref, 0.0, static_cast<double>(n), wantLevel);

      ViewWork work;
      ASSERT_EQ(ViewWorkAlloc(&work, n), 1);
      ViewUniformSpline spline;
      ViewDecimateStats stats;
      ASSERT_EQ(ViewDecimate(fd, n, levels, work, spline, ViewDecimateHooks{}, &stats), ViewDecimateEnd::Done);
      ViewWorkFree(&work);
      EXPECT_EQ(stats.overflows, missing);
      ASSERT_EQ(std::memcmp(got.data(), want.data(), size * sizeof(float)), 0) << "ppp " << ppp << " max " << isMax;
      ++compared;
    }
  ::close(fd);
  EXPECT_EQ(compared, 10);
}

// Samples taken in runs up to each pixel's end give every pixel and the state left
// bit for bit as taken one by one: pixels of under one sample to thousands, maximum
// and average levels, limits that cut pixels and batches anywhere, a level that
// completes on the way, and values of both signs of zero and beyond the missing mark.
TEST(ViewSampleTest, SamplesTakenInRunsGiveThePixelsOfOneByOne) {
  constexpr uint32_t kN = 6000;
  ViewWork work;
  ASSERT_EQ(ViewWorkAlloc(&work, kN), 1);
  for (uint32_t i = 0; i < kN; ++i) {
    double v = std::sin(0.05 * i) * 3.0 + ((i * 31) % 17 == 0 ? 2.0 : 0.0);
    if (i >= 2000 && i < 2600) v = 0.0;        // flat zero: zero samples of either sign
    if (i >= 4000 && i < 4100) v = 5.0e18;     // a stretch beyond the missing mark
    work.y[i] = static_cast<float>(v);
  }
  ViewUniformSpline spline;
  spline.Fit(work, kN);
  const double ppps[] = {0.6, 1.0, 1.37, 3.0, 17.3, 256.5, 1999.0};
  int pixels = 0;
  for (double ppp : ppps)
    for (bool isMax : {true, false})
      for (uint32_t size : {3u, static_cast<uint32_t>(kN / ppp) - 1u}) {
        ViewLevelOut outA{isMax ? VIEW_KIND_MAX : VIEW_KIND_AVE, ppp, size, nullptr};
        ViewLevelOut outB = outA;
        std::vector<float> a(size, 7.0f), b(size, 7.0f);
        outA.values = a.data();
        outB.values = b.data();
        viewdetail::LevelRun runA, runB, unused[3];
        ViewLevelOut probe[3] = {outA, {}, {}};
        viewdetail::StartRuns(probe, unused);
        runA = unused[0];
        runB = unused[0];
        // Limits that cut the file in uneven pieces, as blocks do.
        for (double limit : {1.5, 100.25, 777.0, 778.0, 2500.5, 4050.0, 5999.0}) {
          viewdetail::SampleLevel(runA, spline, 0.0, limit, outA);
          SampleOneByOne(runB, spline, 0.0, limit, outB);
          ASSERT_EQ(runA.k, runB.k) << ppp << " " << limit;
          ASSERT_EQ(runA.j, runB.j);
          ASSERT_EQ(std::memcmp(&runA.best, &runB.best, sizeof(double)), 0);
          ASSERT_EQ(std::memcmp(&runA.sum, &runB.sum, sizeof(double)), 0);
          ASSERT_EQ(runA.count, runB.count);
        }
        ASSERT_EQ(std::memcmp(a.data(), b.data(), size * sizeof(float)), 0) << "ppp " << ppp << " max " << isMax;
        pixels += static_cast<int>(size);
      }
  EXPECT_GT(pixels, 10000);
  ViewWorkFree(&work);
}

// The maximum of a run of samples is the running maximum's, the first of equal
// values kept: zeros of both signs in every order, values below the start and
// values that are not numbers, runs that leave lanes and tails.
TEST(ViewSampleTest, RunMaximumKeepsTheFirstOfEqualValues) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double pool[] = {0.0, -0.0, -1.0, 2.0, -3.0e20, nan, 2.0, -0.0};
  int checked = 0;
  for (uint32_t n = 0; n <= 19; ++n)
    for (uint32_t seed = 0; seed < 200; ++seed) {
      std::vector<double> v(n);
      uint32_t x = seed * 2654435761u + n;
      for (double& value : v) {
        x = x * 1664525u + 1013904223u;
        value = pool[(x >> 16) % (seed < 100 ? 2 : 8)];  // the first half: zeros only
      }
      for (double start : {-1.0e20, -0.0, 0.0, 1.0}) {
        double want = start;
        for (double value : v) want = value > want ? value : want;
        const double got = viewdetail::RunMax(v.data(), n, start);
        ASSERT_EQ(std::memcmp(&want, &got, sizeof(double)), 0) << "n " << n << " seed " << seed << " start " << start;
        ++checked;
      }
    }
  EXPECT_GT(checked, 15000);
}

// Levels built with the blocks cut into ranges on view workers are byte for byte
// the levels of one thread, for every kind of range boundary: inside a pixel, at a
// pixel's end, pixels that span whole ranges (maxima) or several blocks
// (averages), several pixels a raw point, levels that complete inside a range and
// levels the file ends first, missing values in the overlap of two blocks, and a
// file that ends before its given size (done again on one thread). Ranges are joined
// as they end, so the samples held back at once are those of about twice the workers'
// ranges, not of every range of the file.
TEST_F(ViewFilesTest, RangesOnViewWorkersGiveTheLevelsOfOneThread) {
  const uint64_t n = 30011;
  const std::string path = dir_.File("ranges.bin");
  WriteRaw("ranges.bin", n, [](uint64_t i) {
    if (i % 1201 == 119) return 3.0e18f;  // a missing value
    if (i >= 9000 && i < 9400) return 0.0f;
    return static_cast<float>(std::sin(i * 0.021) + 0.2 * std::cos(i * 0.3));
  });
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  const double maxPpps[] = {0.5, 0.73, 1.0, 6.6667, 37.3, 1000.1, 4321.0};
  const double avePpps[] = {0.61, 1.0, 1.3, 2.5, 17.7, 60.0};
  const double fills[] = {1.0, 0.61, 1.7};
  int cut = 0, runs = 0;
  for (uint32_t block : {VIEW_BLOCK_MIN, 200u, 1000u})
    for (int a = 0; a < 7; ++a)
      for (int workers : {2, 3, 8})
        for (uint64_t given : {n, n + 3000}) {
          const double fill = fills[(a + workers) % 3];
          std::vector<float> out[2][3];
          ViewDecimateStats stats[2];
          ViewDecimateEnd ends[2];
          double heldPixel = 0.0;  // samples of the widest pixel of an average level
          for (int way = 0; way < 2; ++way) {
            ViewLevelOut levels[3];
            for (int v = 0; v < 3; ++v) {
              const bool ave = v == (a % 3);
              const double ppp = ave ? avePpps[(a + v) % 6] : maxPpps[(a + 2 * v) % 7];
              if (ave) heldPixel = std::max(heldPixel, std::trunc(ppp + 0.5));
              out[way][v].assign(std::max<size_t>(1, static_cast<size_t>(fill * static_cast<double>(n) / ppp)), 0.0f);
              levels[v] = {ave ? VIEW_KIND_AVE : VIEW_KIND_MAX, ppp, static_cast<uint32_t>(out[way][v].size()),
                           out[way][v].data()};
            }
            const int sets = workers;
            std::vector<ViewWork> works(static_cast<size_t>(sets));
            ASSERT_EQ(ViewWorkAllocSets(works.data(), sets, block), sets);
            ends[way] = ViewDecimateOnWorkers(fd, given, levels, works.data(), sets, way == 0 ? 1 : workers,
                                              ViewDecimateHooks{}, &stats[way]);
            for (ViewWork& w : works) ViewWorkFree(&w);
          }
          const std::string where = "block " + std::to_string(block) + " a " + std::to_string(a) + " workers " +
                                    std::to_string(workers) + " given " + std::to_string(given);
          ASSERT_EQ(ends[0], ends[1]) << where;
          EXPECT_EQ(stats[0].overflows, stats[1].overflows) << where;
          EXPECT_EQ(stats[0].pointsRead, stats[1].pointsRead) << where;
          for (int v = 0; v < 3; ++v)
            ASSERT_EQ(std::memcmp(out[0][v].data(), out[1][v].data(), out[0][v].size() * sizeof(float)), 0)
                << where << " level " << v;
          EXPECT_EQ(stats[0].ranges, 1);
          EXPECT_LE(stats[1].heldMost, 2u * static_cast<uint64_t>(workers) * static_cast<uint64_t>(heldPixel + 12.0))
              << where << " (" << stats[1].ranges << " ranges)";
          if (stats[1].ranges > 1) ++cut;
          ++runs;
        }
  ::close(fd);
  EXPECT_GT(cut, runs / 3);
}

// A stop asked before or while the workers run ends the pass stopped once they have
// ended; the pass reports a failed read of any range.
TEST_F(ViewFilesTest, RangesOnViewWorkersStopAndFailAsOneThread) {
  const uint64_t n = 30000;
  const std::string path = dir_.File("stop.bin");
  WriteRaw("stop.bin", n, [](uint64_t i) { return static_cast<float>(i % 100); });
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  std::vector<float> out[3];
  ViewLevelOut levels[3];
  auto reset = [&] {
    for (int v = 0; v < 3; ++v) {
      out[v].assign(3000, 0.0f);
      levels[v] = {VIEW_KIND_MAX, 10.0, 3000, out[v].data()};
    }
  };
  std::vector<ViewWork> works(4);
  ASSERT_EQ(ViewWorkAllocSets(works.data(), 4, VIEW_BLOCK_MIN), 4);
  ViewDecimateHooks hooks;
  int polls = 0;
  for (int stopAt : {1, 2}) {
    polls = 0;
    hooks.stop = [&] { return ++polls >= stopAt; };
    reset();
    const ViewDecimateEnd end = ViewDecimateOnWorkers(fd, n, levels, works.data(), 4, 4, hooks, nullptr);
    // A stop on the second poll may come after the workers have taken every range.
    if (stopAt == 1 || polls >= 2) EXPECT_EQ(end, ViewDecimateEnd::Stopped) << stopAt;
    else EXPECT_EQ(end, ViewDecimateEnd::Done);
  }
  ::close(fd);
  reset();
  EXPECT_EQ(ViewDecimateOnWorkers(fd, n, levels, works.data(), 4, 4, ViewDecimateHooks{}, nullptr),
            ViewDecimateEnd::ReadFailed);  // the file is closed
  for (ViewWork& w : works) ViewWorkFree(&w);
}
