#include "display/FileSection.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <vector>

#include "ViewFixture.h"
#include "display/ViewDecimate.h"
#include "display/ViewFiles.h"
#include "platform/driver/TestDriver.h"
#include "resources/Menus.h"

namespace {
// The simulated spectrum that the stand-in below writes; empty: the write fails.
std::vector<float> simSpectrum;
std::vector<float>& SimSpectrum() { return simSpectrum; }
}  // namespace

// Takes the place of the simulation writer of the sets in this program (linked with
// --wrap): writes SimSpectrum() as a headerless float file.
extern "C" int32_t __wrap__Z13SimFIWriteBinPKcsis(const char* file, int16_t, int32_t, int16_t) {
  if (SimSpectrum().empty()) return 0;
  FILE* f = std::fopen(file, "wb");
  if (!f) return 0;
  const size_t n = std::fwrite(SimSpectrum().data(), sizeof(float), SimSpectrum().size(), f);
  return std::fclose(f) == 0 && n == SimSpectrum().size() ? 1 : 0;
}

namespace {

namespace drv = platform::driver;
using filesection::Section;

class FileSectionTest : public qvtest::ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    // Channel 0 active at the raw level: the crosshair at column 10 with half-width 5
    // covers raw points 105..115 of a page starting at 100.
    ShowChannel(0);
    StrCopy(Dsp.Chn_Flnm[0], "data.bin");
    WriteValues("data.bin", Ramp(2000));
    Win.View_Level = 3;
    Dsp.Pts2Pxl[3] = 1.0;
    Win.Page_Start = 100;
    Win.Cursor_X = 10;
    Win.Cursor_HalfWidth = 5;
  }

  static std::vector<float> Ramp(int n) {
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<float>(i % 50);
    return v;
  }
  void WriteValues(const std::string& name, const std::vector<float>& values) {
    FILE* f = std::fopen(dir_.File(name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(values.data(), sizeof(float), values.size(), f);
    std::fclose(f);
  }
  std::vector<float> ReadValues(const std::string& name) {
    std::vector<float> v;
    FILE* f = std::fopen(dir_.File(name).c_str(), "rb");
    if (!f) return v;
    float x;
    while (std::fread(&x, sizeof x, 1, f) == 1) v.push_back(x);
    std::fclose(f);
    return v;
  }
  // Temporary files of the edits left in the data folder.
  int TempFilesLeft() {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_.Path()))
      if (e.path().filename().string().rfind("__q", 0) == 0) ++n;
    return n;
  }
  static int32_t Edit(int16_t mode) { return CnvReplaceFile(0, mode, 0, nullptr, nullptr, 1, 0, 0, 0, 1); }
};

TEST_F(FileSectionTest, AutoScaleFillsThePlotFromOnePercentTo99) {
  EXPECT_EQ(CnvAutoScalarOffSetChn(1), 1);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[0], 9.8 / 49.0);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], 0.49);
  EXPECT_EQ(Status(2), "CHN [0] SCALED/OFFSET OVER FULL FILE");
  EXPECT_EQ(Status(3), "MIN=[0.000000] MAX=[49.000000]");
  // Over the cursor pair only; the full-height flag drops the 0.1 factor.
  Win.Pt_Lim[0][0] = 110;
  Win.Pt_Lim[0][1] = 119;
  Dsp.Chn_ScaleStat[0] = 1;
  EXPECT_EQ(CnvAutoScalarOffSetChn(1), 1);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[0], 0.98 / 9.0);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[0], -10.0 + 0.09);
  EXPECT_EQ(Status(2), "CHN [0] SCALED/OFFSET OVER INTERVAL");
  // A flat file is centred with scalar 1.
  WriteValues("data.bin", std::vector<float>(300, 7.0f));
  Win.Pt_Lim[0][0] = Win.Pt_Lim[0][1] = 0;
  EXPECT_EQ(CnvAutoScalarOffSetChn(1), 1);
  EXPECT_EQ(Dsp.Chn_Scalar[0], 1.0);
  EXPECT_EQ(Dsp.Chn_Offset[0], 0.5);
  EXPECT_EQ(Status(2), "CHN [0] IS FLAT LINE");
  // A missing file is a warning and no result.
  StrCopy(Dsp.Chn_Flnm[0], "gone.bin");
  platform::ClearBoxLog();
  EXPECT_EQ(CnvAutoScalarOffSetChn(1), 0);
  ASSERT_EQ(platform::BoxLog().size(), 1u);
  EXPECT_EQ(platform::BoxLog()[0].text, "FAILED TO OPEN BINARY FILE [gone.bin] FOR READING\n\nABORTING");
}

TEST_F(FileSectionTest, AutoScaleOfAllChannelsActsOnlyOnYes) {
  ShowChannel(1);
  StrCopy(Dsp.Chn_Flnm[1], "data.bin");
  Dsp.Chn_Scalar[0] = Dsp.Chn_Scalar[1] = 3.0;
  const char* question = "AUTO SCALE & OFFSET ALL DISPLAYED CHANNELS [YES] | ABORT [NO]?";
  {
    drv::Answers answers;
    answers.Box("Question", question, IDNO).Box("Question", question, IDCANCEL);
    EXPECT_EQ(CnvAutoScalarOffSetChn(-1), 0);  // No is the abort the question names
    EXPECT_EQ(CnvAutoScalarOffSetChn(-1), 0);
    EXPECT_TRUE(answers.Failures().empty());
  }
  EXPECT_EQ(Dsp.Chn_Scalar[0], 3.0);
  EXPECT_EQ(Dsp.Chn_Scalar[1], 3.0);
  drv::Answers answers;
  answers.Box("Question", question, IDYES);
  EXPECT_EQ(CnvAutoScalarOffSetChn(-1), 1);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[0], 9.8 / 49.0);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[1], 9.8 / 49.0);
  // No displayed channel: nothing to do.
  Dsp.Chn_DspStat[0] = Dsp.Chn_DspStat[1] = 0;
  EXPECT_EQ(CnvAutoScalarOffSetChn(-1), 0);
}

TEST_F(FileSectionTest, ZeroSectionOverwritesThroughATemporaryFile) {
  drv::Answers answers;
  answers.Box("Question", "ZERO FILE SECTION ACROSS CURSOR WINDOW\n\nOVERWRITE CHN [0] FILE [data.bin]*", IDYES);
  // The view run the edit starts would write its own status texts over the edit's:
  // this thread stands in for a run under way, so the edit's start is only queued and
  // the texts read below are the edit's; the queued run is run afterwards.
  ThreadCtl.View_Running = 1;
  ThreadCtl.View_RunThreadId = GetCurrentThreadId();
  EXPECT_EQ(Edit(0), 1);
  ThreadCtl.View_RunThreadId = 0;
  ThreadCtl.View_Running = 0;
  EXPECT_EQ(ThreadCtl.View_Request.exchange(0), VIEW_REQUEST_PAGES | VIEW_REQUEST_PREP);
  EXPECT_TRUE(answers.Failures().empty());
  const std::vector<float> v = ReadValues("data.bin");
  ASSERT_EQ(v.size(), 2000u);
  for (int i = 0; i < 2000; ++i) EXPECT_EQ(v[i], (i >= 105 && i <= 115) ? 0.0f : static_cast<float>(i % 50)) << i;
  EXPECT_EQ(TempFilesLeft(), 0);
  EXPECT_EQ(Status(2), "FILE [data.bin] MODIFIED");
  EXPECT_EQ(Status(3), "CMD[0]=[ZERO SECT] CONN[0]=[ZERO SECT]");
  ResetEvent(ThreadCtl.View_StopEvent);  // the edit's stop request, made to the stand-in
  DisplayQviQvoSetup(nullptr);
  EXPECT_EQ(Status(0), "VIEW PROCESSING COMPLETE");
}

TEST_F(FileSectionTest, ReplaceByConnectingLineOrFlatLineIntoTheMFile) {
  // The old channel's middle level holds averages; the "m" file has no view files yet,
  // so its levels take the defaults of 20,420 points (maxima on 10 pages).
  WriteValues("data.bin", Ramp(20420));
  Win.ViewKind[0][0] = VIEW_KIND_MAX;
  Win.ViewKind[1][0] = VIEW_KIND_AVE;
  Win.ViewKind[2][0] = VIEW_KIND_NONE;
  Win.X_PAGES[1] = 5.0;
  drv::Answers answers;
  answers.Box("Question", "REPLACE FILE SECTION*", IDNO)
      .Box("Question", "CONNECT ENDPOINTS [YES] |*", IDYES)
      .Box("Question", "REPLACE FILE SECTION*", IDNO)
      .Box("Question", "OVERWRITE EXISTING FILE [data.binm] [YES] |\nABORT [NO]?", IDNO);
  EXPECT_EQ(Edit(1), 1);
  WaitViewIdle();
  // The channel now shows the "m" file; the original is untouched.
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "data.binm");
  EXPECT_EQ(ReadValues("data.bin"), Ramp(20420));
  EXPECT_EQ(Win.ViewKind[1][0], VIEW_KIND_MAX);
  EXPECT_EQ(Win.X_PAGES[1], 10.0);
  EXPECT_TRUE(std::filesystem::exists(dir_.Path() / "QV95OIM" / "data.binm.QVIm"));
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "QV95OIM" / "data.binm.QVIa"));
  const std::vector<float> m = ReadValues("data.binm");
  ASSERT_EQ(m.size(), 20420u);
  for (int i = 105; i <= 115; ++i) EXPECT_FLOAT_EQ(m[i], 5.0f + (i - 105) * (15.0f - 5.0f) / 10.0f);
  // (Status part 1 shows "MODS=[11]" until the repaint writes the cursor readout there.)
  // A second "m" edit asks before overwriting the earlier one; No keeps it.
  StrCopy(Dsp.Chn_Flnm[0], "data.bin");
  EXPECT_EQ(Edit(1), 0);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(TempFilesLeft(), 0);
}

TEST_F(FileSectionTest, SectionsAreCutToTheFile) {
  // A crosshair window running past the end is cut at the last point.
  Win.Page_Start = 1990;
  platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDYES; });
  EXPECT_EQ(Edit(0), 1);
  WaitViewIdle();
  std::vector<float> v = ReadValues("data.bin");
  ASSERT_EQ(v.size(), 2000u);  // nothing written past the end
  for (int i = 1995; i < 2000; ++i) EXPECT_EQ(v[i], 0.0f);
  EXPECT_EQ(v[1994], 1994 % 50);
  // A window wholly past the end covers no point: refused, the file stays as it is.
  Win.Page_Start = 5000;
  EXPECT_EQ(Edit(0), 0);
  EXPECT_EQ(ReadValues("data.bin"), v);
  EXPECT_EQ(TempFilesLeft(), 0);

  bool chain = false;
  auto s = filesection::PeriodicSections(100, 5, 30, 10, 40, &chain);  // period <= high: chain form
  EXPECT_TRUE(chain);
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[3].lo, 90);
  EXPECT_EQ(s[3].hi, 99);  // cut to the file
  s = filesection::PeriodicSections(100, 5, 30, 5, 8, &chain);
  EXPECT_FALSE(chain);
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[1].lo, 35);
  EXPECT_EQ(s[1].hi, 38);
}

TEST_F(FileSectionTest, FailuresKeepTheOriginalAndLeaveNoTemporaryFile) {
  platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDNO; });
  // The "m" target cannot be replaced (a folder of that name): no "MODIFIED".
  std::filesystem::create_directory(dir_.Path() / "data.binm");
  std::filesystem::create_directory(dir_.Path() / "data.binm" / "x");
  platform::ClearBoxLog();
  EXPECT_EQ(Edit(0), 0);
  EXPECT_EQ(ReadValues("data.bin"), Ramp(2000));
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "data.bin");
  EXPECT_NE(Status(2), "FILE [data.binm] MODIFIED");
  ASSERT_FALSE(platform::BoxLog().empty());
  EXPECT_EQ(platform::BoxLog().back().text, "CnvReplaceFile()\n\nFAILED TO REPLACE FILE [data.binm]\n\nABORTING");
  EXPECT_EQ(TempFilesLeft(), 0);
  // Cancel at the first question, a missing input, and mode 3 without a simulation
  // writer all end without a temporary file.
  platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDCANCEL; });
  EXPECT_EQ(Edit(0), 0);
  platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDYES; });
  StrCopy(Dsp.Chn_Flnm[0], "gone.bin");
  EXPECT_EQ(Edit(0), 0);
  StrCopy(Dsp.Chn_Flnm[0], "data.bin");
  EXPECT_EQ(Edit(3), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "Sim__Tmp.bin"));
  EXPECT_EQ(TempFilesLeft(), 0);
  EXPECT_EQ(ReadValues("data.bin"), Ramp(2000));
}

TEST_F(FileSectionTest, SimLineEditZeroesUnderTheLinesOrCopiesUnchanged) {
  SimSpectrum().assign(2000, 0.0f);
  for (int i = 310; i <= 314; ++i) SimSpectrum()[static_cast<size_t>(i)] = 1.0f;
  {
    drv::Answers answers;
    answers.Box("Question", "REPLACE EXPT DATA ACROSS FULL LINEWIDTH*", IDYES)
        .Box("Question", "CONNECT ENDPOINTS [YES] |\nDRAW FLAT LINES AT CURSOR POS [NO] |\nZERO SECTIONS [CANCEL]?",
             IDCANCEL)
        .Box("Question", "USE CURSOR POSITION AS INTENSITY THRESHOLD FOR [A] SIM [NoName]*", IDNO);
    SetCursor(LoadCursor(nullptr, IDC_CROSS));
    EXPECT_EQ(Edit(3), 1);
    EXPECT_EQ(platform::CurrentCursor(), LoadCursor(nullptr, IDC_ARROW));  // after the wait cursor
    EXPECT_TRUE(answers.AllAnswered());
    EXPECT_TRUE(answers.Failures().empty());
  }
  WaitViewIdle();
  std::vector<float> v = ReadValues("data.bin");
  ASSERT_EQ(v.size(), 2000u);
  // The section runs from the first point above the threshold to the next one at it.
  for (int i = 300; i < 330; ++i) EXPECT_EQ(v[i], (i >= 310 && i <= 315) ? 0.0f : static_cast<float>(i % 50)) << i;
  EXPECT_EQ(Status(3), "CMD[3]=[REPL AT SIM LNS] CONN[0]=[ZERO SECT]");
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "Sim__Tmp.bin"));

  // Nothing above the threshold: the "m" file is an unchanged copy.
  SimSpectrum().assign(2000, 0.0f);
  platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDNO; });
  EXPECT_EQ(Edit(3), 1);
  WaitViewIdle();
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "data.binm");
  EXPECT_EQ(ReadValues("data.binm"), v);
  EXPECT_EQ(TempFilesLeft(), 0);
  SimSpectrum().clear();
}

TEST_F(FileSectionTest, OffsetEditSubtractsTheWindowAverageFromTheWholeFile) {
  Cnv.Lim_Stat[0] = 1;  // a point range of the slot does not cut the offset short
  Win.Pt_Lim[0][0] = 500;
  Win.Pt_Lim[0][1] = 600;
  platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDYES; });
  EXPECT_EQ(Edit(2), 1);
  WaitViewIdle();
  const std::vector<float> v = ReadValues("data.bin");
  ASSERT_EQ(v.size(), 2000u);
  for (int i = 0; i < 2000; i += 97) EXPECT_FLOAT_EQ(v[i], static_cast<float>(i % 50) - 10.0f) << i;
  EXPECT_FLOAT_EQ(Cnv.Offset[0], -10.0f);
  EXPECT_EQ(Cnv.Ofs_Stat[0], 1u);
  EXPECT_EQ(Cnv.Lim_Stat[0], 1);
  EXPECT_EQ(TempFilesLeft(), 0);
}

TEST_F(FileSectionTest, CursorWindowWithoutDataOrWithMissingValuesIsRefusedFromTheMenu) {
  // A 600-point file, the crosshair at column 900 of the raw page from point 0.
  std::vector<float> values = Ramp(600);
  values[300] = std::numeric_limits<float>::infinity();
  WriteValues("data.bin", values);
  Win.Page_Start = 0;
  Win.Cursor_X = 900;
  const std::string noData = "CnvReplaceFile()\n\nCURSOR WINDOW HOLDS NO DATA OF FILE [data.bin]\n\nABORTING";
  {
    drv::Answers answers;
    answers.Box("Question", "OFFSET FILE BASED ON AVERAGE VALUE ACROSS CURSOR WINDOW*", IDYES)
        .Box("Warning", noData, IDOK)
        .Box("Question", "ZERO FILE SECTION ACROSS CURSOR WINDOW*", IDYES)
        .Box("Warning", noData, IDOK)
        .Box("Question", "OFFSET FILE BASED ON AVERAGE VALUE ACROSS CURSOR WINDOW*", IDYES)
        .Box("Warning", "CnvReplaceFile()\n\nCURSOR WINDOW HOLDS MISSING VALUES OF FILE [data.bin]\n\nABORTING", IDOK);
    ASSERT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_ZERO_OFFSET));
    ASSERT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_ZERO_SECTION));
    // A window around the missing value would offset the whole file by it.
    Win.Cursor_X = 302;
    ASSERT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_ZERO_OFFSET));
    EXPECT_TRUE(answers.AllAnswered());
    EXPECT_TRUE(answers.Failures().empty());
  }
  EXPECT_EQ(ReadValues("data.bin").size(), 600u);
  EXPECT_EQ(ReadValues("data.bin")[599], 49.0f);
  EXPECT_NE(Status(2), "FILE [data.bin] MODIFIED");
  EXPECT_EQ(TempFilesLeft(), 0);

  // A window over the end averages the points it holds: 592..599 hold 42..49.
  Win.Cursor_X = 597;
  platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDYES; });
  ASSERT_TRUE(drv::ChooseCommand(Win.hWnd_Main, IDM_ZERO_OFFSET));
  WaitViewIdle();
  const std::vector<float> v = ReadValues("data.bin");
  ASSERT_EQ(v.size(), 600u);
  EXPECT_FLOAT_EQ(v[0], -45.5f);
  EXPECT_FLOAT_EQ(v[599], 3.5f);
}

TEST_F(FileSectionTest, NonInteractiveSectionsAndChainBridges) {
  // Section k from 1000 k + 10 to 1000 k + 20, written to another file.
  EXPECT_EQ(CnvReplaceFile(1, 0, 0, "data.bin", "out.bin", 3, 1000, 10, 20, 0), 1);
  std::vector<float> v = ReadValues("out.bin");
  ASSERT_EQ(v.size(), 2000u);
  EXPECT_EQ(v[1010], 0.0f);
  EXPECT_EQ(v[1020], 0.0f);
  EXPECT_EQ(v[1021], 21.0f);
  EXPECT_EQ(v[9], 9.0f);
  // Chain form: each period bridged to the start of the next, the last left alone.
  WriteValues("chain.bin", std::vector<float>{0, 9, 9, 9, 4, 9, 9, 9, 8, 1});
  EXPECT_EQ(CnvReplaceFile(1, 1, 0, "chain.bin", "chain.bin", 3, 4, -1, 0, 0), 1);
  EXPECT_EQ(ReadValues("chain.bin"), (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7, 8, 1}));
  EXPECT_EQ(TempFilesLeft(), 0);
  // A first section whose ends coincide changes nothing.
  EXPECT_EQ(CnvReplaceFile(1, 0, 0, "data.bin", "data.bin", 1, 100, 7, 7, 0), 0);
  EXPECT_EQ(ReadValues("data.bin"), Ramp(2000));
}

}  // namespace
