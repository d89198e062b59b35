// THz section driver, placement and marker repair: synthetic scans of repeated
// sections, the placement numbers read back from the files written, and the marker
// repair of a section.
#include "convert/calib/ThzSections.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "CalibFixture.h"
#include "convert/calib/ThzLinearize.h"
#include "fileproc/FileOps.h"
#include "filelib/Markers.h"
#include "platform/windows/MessageBox.h"

namespace qvtest {
namespace {

constexpr double kStep = 0.01;

// A line of height 1 on a baseline of 0.1.
float Line(double f, double at) { return static_cast<float>(0.1 + std::exp(-0.5 * std::pow((f - at) / 0.05, 2.0))); }

size_t Peak(const std::vector<float>& v) { return static_cast<size_t>(std::max_element(v.begin(), v.end()) - v.begin()); }

bool SectionEditsAvailable() {
  return OSIFileIdState(OSI_ADDSECT) == OsiIdState::Available &&
         OSIFileIdState(OSI_TRUNCATE_END) == OsiIdState::Available;
}

class ThzSectionsTest : public CalibTest {
 protected:
  void SetUp() override {
    CalibTest::SetUp();
    Name(8, "Itn");
    Name(7, "Out");
    Cnv.FFT_SmoothWin = 0.0f;
    ThzSettings.OutFrqStp = kStep;
    ThzSettings.PerPointLog = 1;
    ThzSettings.WavePlace = 1;
    // The section edits overwrite the section output in place.
    Answer("Question", "I/O FILENAMES ARE IDENTICAL*", IDYES);
  }

  // Sections of a per-point scan, one after the other: each scans from 1000.0 upward
  // in steps of 0.01 over points + 1 readings and holds a line at lines[k].
  void WriteSections(const std::vector<int>& points, const std::vector<double>& lines,
                     const std::vector<double>& steps = {}) {
    std::string log, repeat = "0\n";
    std::vector<float> itn;
    uint32_t at = 0;
    for (size_t k = 0; k < points.size(); ++k) {
      const double step = steps.empty() ? kStep : steps[k];
      for (int i = 0; i < points[k]; ++i) {
        const double f = 1000.0 + i * step;
        log += StrPrintf("%.2f %u\n", f, at + static_cast<uint32_t>(i));
        itn.push_back(Line(f, lines[k]));
      }
      at += static_cast<uint32_t>(points[k]);
      repeat += StrPrintf("%u\n", at);
    }
    WriteText("WaveFreq.dat", log);
    WriteText("MksRepeat", repeat);
    WriteValues("Itn", itn);
  }
  // Phase 0 then III, as the dialog's THZ III runs them.
  int32_t RunThzIII(int32_t interactive) {
    if (THzLinearization(0, 0, interactive) != 1) return -1;
    ClearMessages();
    return THzLinearization(0, 3, interactive);
  }
};

TEST_F(ThzSectionsTest, EachSectionGetsItsOwnNumberedOutputAndNamesAreSubstituted) {
  WriteSections({201, 201, 201}, {1001.0, 1001.0, 1001.0});
  Answer("Question", "PHASE [III]*FIX WAVEMETER FILE*", IDNO);
  Answer("Question", "PHASE [III]*SUBSTITUTE INTO OUTPUT FILENAMES*", IDYES);
  ASSERT_EQ(RunThzIII(1), 1);
  EXPECT_TRUE(Shown("Question", "*REPEATED FILE SECTIONS PROCESSED [3]*"));
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const std::vector<float> out = ReadValues<float>(StrPrintf("Outl%03d", k));
    ASSERT_EQ(out.size(), 200u);
    EXPECT_NEAR(static_cast<double>(Peak(out)), 100.0, 1.0);  // 1001.0 is 1.00 above the start
    EXPECT_FALSE(Exists(StrPrintf("FRQ_%d_FRQ", k)));
    EXPECT_EQ(std::string(Cnv.Out_Flnm[0][k]), StrPrintf("Outl%03d", k));
  }
  EXPECT_EQ(std::string(Cnv.Out_Flnm[0][7]), "Out");  // the set's own output name is kept
  EXPECT_FALSE(Exists("Outl003"));
  EXPECT_EQ(ThzSettings.SetCount, 4u);
  EXPECT_EQ(std::string(ThzSettings.WaveFlnm), "WaveFreq.dat");  // no repair
  const std::string text = Dsp.Msg_Text;
  EXPECT_NE(text.find("   WAVEMETER   =[BURLEIGH]\n"), std::string::npos);
  EXPECT_NE(text.find("   REPEAT SCAN SECTIONS   =[3]:  0 - 201 - 402 - 603 - \n"), std::string::npos);
  EXPECT_NE(text.find("PHASE [III] END:\n"), std::string::npos);
}

TEST_F(ThzSectionsTest, FailingMiddleSectionIsDroppedAndTheNextTakesItsNumber) {
  // The middle section spans 0.5 only: the span check of the second section on asks,
  // and SKIP SECTION drops it.
  WriteSections({201, 51, 201}, {1001.0, 1000.2, 1001.5}, {kStep, kStep, kStep});
  ThzSettings.OpseqMin = 1.0;
  Answer("Question", "PHASE [III]*FIX WAVEMETER FILE*", IDNO);
  Answer("Question", "PHASE [I]*SET=[1]*", IDNO);
  ASSERT_EQ(RunThzIII(0), 1);
  ASSERT_TRUE(Exists("Outl000"));
  ASSERT_TRUE(Exists("Outl001"));
  EXPECT_FALSE(Exists("Outl002"));
  const std::vector<float> second = ReadValues<float>("Outl001");
  EXPECT_NEAR(static_cast<double>(Peak(second)), 150.0, 1.0);  // the third section's line
  EXPECT_EQ(ThzSettings.SetCount, 3u);
  EXPECT_NE(std::string(Dsp.Msg_Text).find("   PHASE IV ERROR:   SET   =[  1-  2]"), std::string::npos);
  // Not interactive: substituted without a question.
  EXPECT_FALSE(Shown("Question", "*SUBSTITUTE*"));
  EXPECT_EQ(std::string(Cnv.Out_Flnm[0][1]), "Outl001");
  EXPECT_EQ(std::string(Cnv.Out_Flnm[0][2]), "");  // beyond the two sections: untouched
}

TEST_F(ThzSectionsTest, CancelledSectionEndsThePhaseAndRestoresTheOutputName) {
  WriteSections({201, 51}, {1001.0, 1000.2});
  Answer("Question", "PHASE [III]*FIX WAVEMETER FILE*", IDNO);
  Answer("Question", "PHASE [I]*SET=[1]*", IDCANCEL);
  EXPECT_EQ(RunThzIII(0), 0);
  EXPECT_EQ(ThzSettings.Status, 2);
  EXPECT_EQ(std::string(Cnv.Out_Flnm[0][7]), "Out");
  EXPECT_TRUE(Exists("Outl000"));
}

TEST_F(ThzSectionsTest, TenSectionsSubstituteOnlyNineNamesAndOneEntryNone) {
  std::vector<int> points(10, 21);
  std::vector<double> lines(10, 1000.1);
  WriteSections(points, lines);
  ThzSettings.OpseqMin = 0.0;
  Answer("Question", "PHASE [III]*FIX WAVEMETER FILE*", IDNO);
  Answer("Question", "*SUBSTITUTE*", IDYES);
  ASSERT_EQ(RunThzIII(1), 1);
  EXPECT_TRUE(Exists("Outl009"));
  for (int k = 0; k < 9; ++k) EXPECT_EQ(std::string(Cnv.Out_Flnm[0][k]), StrPrintf("Outl%03d", k));

  // One entry: no section, the question still comes with [0], and no name changes.
  Cnv = CnvRecord{};
  Name(8, "Itn");
  Name(7, "Out");
  platform::ClearBoxLog();
  WriteText("MksRepeat", "0\n");
  StrCopy(ThzSettings.WaveFlnm, "WaveFreq.dat");
  ASSERT_EQ(THzLinearization(0, 3, 1), 1);
  EXPECT_TRUE(Shown("Question", "PHASE [III]\n\nREPEATED FILE SECTIONS PROCESSED [0]\n\n*"));
  EXPECT_EQ(std::string(Cnv.Out_Flnm[0][0]), "");
  EXPECT_EQ(std::string(Cnv.Out_Flnm[0][7]), "Out");
}

TEST_F(ThzSectionsTest, WavemeterKindFromTheDecimalsOfTheFirstReading) {
  // No section list: phase III stops after the wavemeter test.
  WriteText("WaveFreq.dat", "123.45 0\n123.46 1\n");
  EXPECT_EQ(THzLinearization(0, 3, 1), 0);
  EXPECT_EQ(ThzSettings.WaveKind, 0);
  EXPECT_NE(std::string(Dsp.Msg_Text).find("   WAVEMETER   =[BURLEIGH]\n"), std::string::npos);
  EXPECT_TRUE(Shown("Warning", "PHASE [III]\n\nFILE POSITIONS IN [MksRepeat] OF REPEATED SECTIONS MUST BE "
                               "DEFINED\n\nABORTING"));
  EXPECT_EQ(ThzSettings.Status, 6);

  WriteText("WaveFreq.dat", "123.4567 0\n123.4667 1\n");
  Cnv.FFT_SmoothWin = -4.0f;
  Answer("Question", "PHASE [III]\n\nWAVEMETER DETERMINED=[HIGH FINESSE]*", IDNO);
  EXPECT_EQ(THzLinearization(0, 3, 1), 0);
  EXPECT_EQ(ThzSettings.WaveKind, 1);
  EXPECT_EQ(ThzSettings.PerPointLog, 1);
  EXPECT_EQ(Cnv.FFT_SmoothWin, 4.0f);

  rules_.clear();
  Answer("Question", "PHASE [III]\n\nWAVEMETER DETERMINED=[HIGH FINESSE]*", IDCANCEL);
  EXPECT_EQ(THzLinearization(0, 3, 1), 0);
  EXPECT_EQ(ThzSettings.Status, 2);

  // A corrected log name goes back to the log it came from.
  StrCopy(ThzSettings.WaveFlnm, "WaveFreqF.dat");
  ThzSettings.LockStat = 1;
  EXPECT_EQ(THzLinearization(0, 3, 1), 0);
  EXPECT_EQ(std::string(ThzSettings.WaveFlnm), "WaveFreq.dat");
  EXPECT_TRUE(Shown("Warning", "PHASE [III]\n\nCHANGED ASCII WAVEMETER FILE NAME TO [WaveFreq.dat]*"));
}

TEST_F(ThzSectionsTest, WavemeterPlacementNumbers) {
  ThzPlacement p = ThzWavemeterPlacement(0.01, 1.5, 100, 10.0, 1.0);
  EXPECT_EQ(p.begin, 200);
  EXPECT_EQ(p.total, 1000);
  EXPECT_EQ(ThzWavemeterPlacement(-0.01, -1.5, 100, 10.0, 1.0).begin, 100);
  EXPECT_EQ(ThzWavemeterPlacement(-0.01, 1.5, 100, 10.0, 1.0).begin, 0);
}

class ThzPlacementTest : public ThzSectionsTest {
 protected:
  void SetUp() override {
    ThzSectionsTest::SetUp();
    // Placement through the wavemeter line fit, straight after the section output.
    ThzSettings.LockStat = 1;
    ThzSettings.MrkStat = 0;
    ThzSettings.BegFrq = 0.0;
    ThzSettings.EndFrq = 10.0;
    ThzSettings.ActLo = 1.5;
    ThzSettings.ActHi = 8.5;
    StrCopy(ThzSettings.FrqFlnm, "FRQ_0_FRQ");
    Dsp.FSR = 1.0;
    Dsp.Pts_FSR = 100;
    std::vector<float> frq;
    for (int i = 0; i < 700; ++i) frq.push_back(static_cast<float>(1.5 + 0.01 * i));
    WriteValues("FRQ_0_FRQ", frq);
  }
  void WriteSectionOutput(const std::string& name, int points) {
    WriteValues(name, std::vector<float>(static_cast<size_t>(points), 2.0f));
  }
};

TEST_F(ThzPlacementTest, StartAndEndArePaddedToTheTotalLength) {
  if (!SectionEditsAvailable()) GTEST_SKIP() << "section edits 2018 and 2068 are not in this build";
  // The operation sequence's set 1: the counts go into slot 1, the slot the edits run with.
  StrCopy(Cnv.Out_Flnm[1][7], "Out");
  StrCopy(Cnv.Out_Flnm[1][8], "Itn");
  WriteSectionOutput("Outl000", 700);
  ASSERT_EQ(THzLinearization(1, 4, 0), 1);
  const std::vector<float> out = ReadValues<float>("Outl000");
  ASSERT_EQ(out.size(), 1000u);
  EXPECT_EQ(out[199], 0.0f);
  EXPECT_EQ(out[200], 2.0f);
  EXPECT_EQ(out[899], 2.0f);
  EXPECT_EQ(out[900], 0.0f);
  EXPECT_EQ(Cnv.Pts_Ave[0], 1);  // slot 0's settings stay untouched
}

TEST_F(ThzPlacementTest, NegativeEndCutsTheFileEnd) {
  if (!SectionEditsAvailable()) GTEST_SKIP() << "section edits 2018 and 2068 are not in this build";
  WriteSectionOutput("Outl000", 1100);
  Answer("Question", "PHASE [IV]\n\nSET [0] FILE SHIFT=*USE ANYWAY*", IDYES);
  ASSERT_EQ(THzLinearization(0, 4, 0), 1);
  const std::vector<float> out = ReadValues<float>("Outl000");
  ASSERT_EQ(out.size(), 1000u);  // 200 added, 300 cut
  EXPECT_EQ(out[199], 0.0f);
  EXPECT_EQ(out[999], 2.0f);
}

TEST_F(ThzPlacementTest, RefusalsLeaveTheSectionOutputAlone) {
  WriteSectionOutput("Outl000", 1100);
  Answer("Question", "PHASE [IV]\n\nSET [0] FILE SHIFT=*", IDNO);
  EXPECT_EQ(THzLinearization(0, 4, 0), 0);
  EXPECT_EQ(ThzSettings.Status, IDNO);  // skip the section
  EXPECT_EQ(ReadValues<float>("Outl000").size(), 1100u);

  StrCopy(Cnv.Out_Flnm[0][7], "Out");
  ThzSettings.ActHi = ThzSettings.ActLo;
  EXPECT_EQ(THzLinearization(0, 4, 0), 0);
  EXPECT_TRUE(Shown("Warning", "PHASE [IV]\n\nFRQ INTERVAL IS ZERO IN [Outl000]\n\nABORTING"));

  StrCopy(Cnv.Out_Flnm[0][7], "Out");
  EXPECT_TRUE(std::remove("Outl000") == 0);
  EXPECT_EQ(THzLinearization(0, 4, 0), 0);
  EXPECT_TRUE(Shown("Warning", "PHASE [IV]\n\nINPUT FILE [Outl000] NOT FOUND\n\nABORTING"));
  EXPECT_EQ(ThzSettings.Status, 2);
}

TEST_F(ThzPlacementTest, MarkerSpanCoveringTheTargetIsRefused) {
  ThzSettings.WavePlace = 0;
  WriteSectionOutput("Outl000", 700);
  StrCopy(Dsp.Units_Txt, "CM-1");
  Cnl.Mks_Cnt = 12;  // 12 FSRs cover the 10 of the target
  EXPECT_EQ(THzLinearization(0, 4, 0), 0);
  EXPECT_TRUE(Shown("Warning", "PHASE [IV]\n\nFRQ RANGE TOO SMALL FOR [Outl000] - TARGET DIFF=[10.000000]\nACTUAL "
                               "DIFF[12]=[12.000000]\n\nABORTING"));
  EXPECT_EQ(ReadValues<float>("Outl000").size(), 700u);
}

class ThzMarkerTest : public ThzSectionsTest {
 protected:
  void SetUp() override {
    ThzSectionsTest::SetUp();
    ThzSettings.WavePlace = 0;
    ThzSettings.LockStat = 0;
    ThzSettings.MrkStat = 1;
    Dsp.FSR = 1.0;
    Dsp.Pts_FSR = 100;
    WriteValues("Itn", std::vector<float>(1000, 1.0f));
  }
};

TEST_F(ThzMarkerTest, SectionWithoutMarkersInsideWritesNothing) {
  WriteText("Mks", "10\n20\n30\n600\n700\n");
  ThzSettings.SectLo = 100;
  ThzSettings.SectHi = 200;
  ASSERT_EQ(THzLinearization(0, 4, 0), 1);
  EXPECT_EQ(Cnl.Mks_Cnt, 0u);
  EXPECT_EQ(Cnl.Mks_Beg, -1);
  EXPECT_FALSE(Exists("Outl000"));
  EXPECT_EQ(Cnl.Mks_Pos, nullptr);  // the marker arrays are released
  // Phase V had no frequency file to compare by: it passed with a line.
  EXPECT_NE(std::string(Dsp.Msg_Text).find("NO FRQ FILE"), std::string::npos);
}

// Two sections linearised by their markers through the section driver: each is
// resampled over every marker interval inside it and placed on the target axis.
TEST_F(ThzMarkerTest, EachSectionIsResampledOverItsOwnMarkers) {
  if (!SectionEditsAvailable()) GTEST_SKIP() << "section edits 2018 and 2068 are not in this build";
  const std::vector<int> marks = {10, 230, 480, 700, 950, 1010, 1250, 1490, 1720, 1980};
  // The signal over the frequency: one FSR per marker interval, counted from the
  // first marker.
  const auto signal = [](double f) { return 2.0 + std::sin(0.7 * f); };
  std::vector<float> itn(2000, static_cast<float>(signal(0.0)));
  std::string mks;
  for (size_t m = 0; m + 1 < marks.size(); ++m)
    for (int p = marks[m]; p < marks[m + 1]; ++p)
      itn[static_cast<size_t>(p)] =
          static_cast<float>(signal(static_cast<double>(m) + static_cast<double>(p - marks[m]) / (marks[m + 1] - marks[m])));
  for (int m : marks) mks += StrPrintf("%d\n", m);
  WriteValues("Itn", itn);
  WriteText("Mks", mks);
  WriteText("MksRepeat", "0\n1000\n2000\n");
  StrCopy(Dsp.Units_Txt, "CM-1");
  Dsp.Frq_Stp = 0.01;
  ThzSettings.BegFrq = 0.0;
  ThzSettings.EndFrq = 6.0;  // 4 FSRs of markers per section: 1 FSR added at each end
  Answer("Question", "PHASE [III]*FIX WAVEMETER FILE*", IDNO);
  ASSERT_EQ(THzLinearization(0, 3, 0), 1);
  for (int s = 0; s < 2; ++s) {
    SCOPED_TRACE(s);
    const std::vector<float> out = ReadValues<float>(StrPrintf("Outl%03d", s));
    ASSERT_EQ(out.size(), 600u);
    for (size_t k = 0; k < 100; ++k) ASSERT_EQ(out[k] + out[500 + k], 0.0f) << k;
    // Section 1 begins at the sixth marker, five FSRs on.
    for (int k = 0; k < 400; ++k)
      ASSERT_NEAR(out[static_cast<size_t>(100 + k)], signal(5.0 * s + k / 100.0), 1e-3) << k;
  }
}

TEST_F(ThzMarkerTest, PhaseFiveDropsTheEarlierOfTwoCloseMarkers) {
  WriteText("Mks", "100\n150\n300\n450\n1200\n");
  std::vector<float> frq;
  for (int i = 0; i < 1000; ++i) frq.push_back(static_cast<float>(0.01 * i));
  WriteValues("FRQ_0_FRQ", frq);
  StrCopy(ThzSettings.FrqFlnm, "FRQ_0_FRQ");
  ThzSettings.SectLo = 0;
  ThzSettings.SectHi = 1000;
  ThzSettings.FsrWork = 1.0;
  ASSERT_EQ(CsMkOpenRead(0), 1);
  ASSERT_EQ(THzLinearization(0, 5, 0), 1);
  // 100 and 150 lie 0.5 apart: 100 goes; the others lie 1.5 apart and stay; 1200 is
  // outside the section.
  std::vector<std::string> lines = ReadLines("Mks");
  EXPECT_EQ(lines, (std::vector<std::string>{"150", "300", "450", "1200"}));
  EXPECT_NE(std::string(Dsp.Msg_Text).find("PHASE V BEG:\n"), std::string::npos);
}

}  // namespace
}  // namespace qvtest
