// Text output of a channel (raw, averaged, scaled, from the displayed view, with
// simulation columns) and the blank file over a frequency range.
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "FileOpsFixture.h"
#include "records/Locks.h"
#include "records/Sim.h"

namespace {
// The spectra the simulation writer below gives each set (empty: no file).
std::vector<float> simSpectra[9];
}  // namespace

// Takes the place of the simulation sets' spectrum writer in this program (linked with
// --wrap): writes the set's test spectrum.
extern "C" int32_t __wrap__Z13SimFIWriteBinPKcsis(const char* file, int16_t set, int32_t, int16_t) {
  if (simSpectra[set].empty()) return 0;
  std::FILE* f = std::fopen(file, "wb");
  if (!f) return 0;
  std::fwrite(simSpectra[set].data(), sizeof(float), simSpectra[set].size(), f);
  return std::fclose(f) == 0 ? 1 : 0;
}

namespace {

namespace drv = platform::driver;
using qvtest::FileOpsTest;

class TextOutputTest : public FileOpsTest {
 protected:
  void SetUp() override {
    FileOpsTest::SetUp();
    Sim = SimRecord{};
    for (auto& s : simSpectra) s.clear();
    Dsp.Init_Frq = 100.0;
    Dsp.Frq_Stp = 0.5;
    StrCopy(Dsp.Chn_Flnm[2], "ch2.bin");
  }
  static std::string Text(const std::string& name) {
    auto bytes = ReadBytes(name);
    return std::string(bytes.begin(), bytes.end());
  }
  static size_t Lines(const std::string& text) {
    size_t count = 0;
    for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++count;
    return count;
  }
};

TEST_F(TextOutputTest, RawTablesAveragedOverBlocks) {
  WriteValues("ch2.bin", Ramp(70000));
  Cnv.Pts_Ave[0] = 1;
  ASSERT_EQ(Run(OSI_ASCII_OUTPUT, "ch2.bin", "a.txt", 1, 0, 0, 0, 2), 1);
  const std::string a = Text("a.txt");
  EXPECT_EQ(Lines(a), 70000u);
  const std::string first = StrPrintf("%-16.8f %-16.12f \r\n", 100.0, 0.0);
  EXPECT_EQ(first, "100.00000000     0.000000000000   \r\n");
  EXPECT_EQ(a.substr(0, 2 * first.size()), first + StrPrintf("%-16.8f %-16.12f \r\n", 100.5, 1.0));
  EXPECT_EQ(a.find('\n'), a.find("\r\n") + 1);
  Cnv.Pts_Ave[0] = 10;
  ASSERT_EQ(Run(OSI_ASCII_OUTPUT, "ch2.bin", "b.txt", 1, 0, 0, 0, 2), 1);
  const std::string b = Text("b.txt");
  EXPECT_EQ(Lines(b), 7000u);
  EXPECT_EQ(b.substr(0, first.size()), StrPrintf("%-16.8f %-16.12f \r\n", 102.25, 4.5));
  // N = 0 writes no line; a range [100, 200) with N = 10 ten lines.
  Cnv.Pts_Ave[0] = 0;
  ASSERT_EQ(Run(OSI_ASCII_OUTPUT, "ch2.bin", "c.txt", 1, 0, 0, 0, 2), 1);
  EXPECT_TRUE(Text("c.txt").empty());
  Cnv.Pts_Ave[0] = 10;
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = 100;
  Win.Pt_Lim[0][1] = 200;
  ASSERT_EQ(Run(OSI_ASCII_OUTPUT, "ch2.bin", "d.txt", 1, 0, 0, 0, 2), 1);
  EXPECT_EQ(Lines(Text("d.txt")), 10u);
  EXPECT_EQ(Text("d.txt").substr(0, 17), "152.25000000     ");
}

TEST_F(TextOutputTest, ChannelScalingTheViewAndNoChannel) {
  WriteValues("ch2.bin", Ramp(4));
  Dsp.Chn_Scalar[2] = 2.0;
  Dsp.Chn_Offset[2] = 1.0;
  Dsp.Chn_DspStat[2] = 1;
  Win.View_Level = 1;
  Dsp.FrqStpView[1] = 1.0;
  std::vector<float> view = {7.0f, 8.0f, 9.0f};
  {
    std::lock_guard<std::mutex> lock(ViewAryLock);
    Dsp.Fl_Pt[1][2] = view.data();
    Dsp.Fl_Pt_Len[1][2] = 3;
  }
  drv::Answers answers;
  answers.Box("Question", "BINARY TO ASCII CONVERSION\n\nAPPLY DISPLAY SCALAR & OFFSET [YES] OR\nUSE ORIGINAL DATA [NO]?",
              IDYES)
      .Box("Question", "WRITE DATA FROM\n\nCURRENTLY DISPLAYED (AVERAGED) VIEW [YES] OR\nRAW DATA [NO]?\n\nSIM DATA ONLY "
                       "AVAILABLE FOR RAW DATA\n\n", IDYES)
      .Box("Info", "[ch2.bin] CONVERTED TO [v.txt]", IDOK)
      .Box("Question", "BINARY TO ASCII CONVERSION\n\nAPPLY DISPLAY SCALAR & OFFSET [YES] OR\nUSE ORIGINAL DATA [NO]?",
           IDYES)
      .Box("Question", "WRITE DATA FROM\n\nCURRENTLY DISPLAYED (AVERAGED) VIEW [YES] OR\nRAW DATA [NO]?\n\nSIM DATA ONLY "
                       "AVAILABLE FOR RAW DATA\n\n", IDNO)
      .Box("Info", "[ch2.bin] CONVERTED TO [r.txt]", IDOK);
  ASSERT_EQ(Run(OSI_ASCII_OUTPUT, "ch2.bin", "v.txt", 0, 0, 1, 0, 2), 1);
  ASSERT_EQ(Run(OSI_ASCII_OUTPUT, "ch2.bin", "r.txt", 0, 0, 1, 0, 2), 1);
  {
    std::lock_guard<std::mutex> lock(ViewAryLock);
    Dsp.Fl_Pt[1][2] = nullptr;
    Dsp.Fl_Pt_Len[1][2] = 0;
  }
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_TRUE(answers.AllAnswered());
  // The view's x from 0 to 2 lies inside 0 .. 4 x 0.5.
  EXPECT_EQ(Text("v.txt"), "100.00000000 16.000000000000\r\n101.00000000 18.000000000000\r\n102.00000000 20.000000000000\r\n");
  EXPECT_EQ(Text("r.txt").substr(0, 36), StrPrintf("%-16.8f %-16.12f \r\n", 100.0, 2.0));
  // A negative channel: nothing with questions, the plain table with variant 1.
  EXPECT_EQ(Run(OSI_ASCII_OUTPUT, "ch2.bin", "n.txt", 0, 0, 0, 0, -1), 0);
  EXPECT_FALSE(std::filesystem::exists("n.txt"));
  ASSERT_EQ(Run(OSI_ASCII_OUTPUT, "ch2.bin", "n.txt", 1, 0, 0, 0, -1), 1);
  EXPECT_EQ(Lines(Text("n.txt")), 4u);
}

TEST_F(TextOutputTest, SimulationColumnsForTheAttachedSets) {
  WriteValues("ch2.bin", Ramp(30));
  Cnv.Pts_Ave[0] = 10;
  Sim.Dsp_Stat[0] = 1;  // attached to channel 2
  Sim.Dsp_Cnl[0] = 2;
  Sim.Dsp_Stat[3] = 1;  // attached to every channel
  Sim.Dsp_Cnl[3] = 9;
  Sim.Dsp_Stat[4] = 1;  // another channel's
  Sim.Dsp_Cnl[4] = 1;
  Sim.Dsp_Stat[5] = 1;  // attached, but its spectrum is not written: an earlier run's file
  Sim.Dsp_Cnl[5] = 2;   // of its name is not taken for it
  WriteValues("_simtmp5.tmp", std::vector<float>(30, 9.0f));
  simSpectra[0] = std::vector<float>(30, 2.0f);
  simSpectra[3] = std::vector<float>(20, 3.0f);  // too short for the last block
  drv::Answers answers;
  answers.Box("Question", "BINARY TO ASCII CONVERSION\n\n*", IDNO)
      .Box("Question", "SAVE SIMULATION DATA WITH\n\nEXPT DATA IN MULTI-COLUMN OUTPUT [YES] OR\nSKIP SIMULATION DATA "
                       "[NO]?", IDYES)
      .Box("Error", "FAILED TO OPEN BINARY FILE [_simtmp5.tmp] FOR READING\n\nABORTING", IDOK)
      .Box("Warning", "SIM FILE [_simtmp3.tmp] WRONG SIZE\n\nABORTING", IDOK);
  ASSERT_EQ(Run(OSI_ASCII_OUTPUT, "ch2.bin", "s.txt", 0, 0, 0, 0, 2), 1);
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_TRUE(answers.AllAnswered());
  // Set 3's file ends early: its missing values count as 0.
  auto line = [](double f, double v, double a, double b) {
    return StrPrintf("%-16.8f %-16.12f %-16.12f %-16.12f \r\n", f, v, a, b);
  };
  EXPECT_EQ(Text("s.txt"), line(102.25, 4.5, 2, 3) + line(107.25, 14.5, 2, 3) + line(112.25, 24.5, 2, 0));
  EXPECT_EQ(Files(), (std::vector<std::string>{"ch2.bin", "s.txt"}));  // the set files are gone
}

TEST_F(TextOutputTest, BlankFileOverAFrequencyRange) {
  Cnv.Asc_OutFrqLo = 100.0;
  Cnv.Asc_OutFrqHi = 101.0;
  Cnv.Asc_OutRes = 0.001;
  Dsp.FSR = 0.001;
  char out[200] = "blank.bin";
  ASSERT_EQ(OSIFile(0, 3, OSI_BLANK_FILE, nullptr, out, 0, 0, 0), 1);
  EXPECT_EQ(ReadValues<float>("blank.bin"), std::vector<float>(1001, 0.0f));
  EXPECT_EQ(Dsp.Init_Frq, 100.0);
  EXPECT_EQ(Dsp.Pts_FSR, 1);
  EXPECT_NEAR(Dsp.Frq_Stp, 0.001, 1e-15);
  EXPECT_STREQ(Dsp.Chn_Flnm[3], "blank.bin");
  EXPECT_EQ(Dsp.Chn_DspStat[3], 1u);
  EXPECT_EQ(Win.Active_Chn, 3);
  // A different step is asked about; NO keeps the axis and writes nothing.
  Cnv.Asc_OutRes = -0.5;  // the sign does not matter: 3 points
  char other[200] = "other.bin";
  drv::Answers answers;
  answers.Box("Question", "BLANK SPACE FILE OPERATION\n\nNEW FRQ STP=[5.0000000000e-01]\nCURRENT FRQ "
                          "STP=[1.0000000000e-03]\nARE NOT THE SAME\n\nCONTINUE [YES] | ABORT [NO]?", IDNO)
      .Box("Warning", "OSIFile()\n\nBLANK SPACE FILE OPERATION\n\nOUTPUT FRQ RANGE ZERO\n\nABORTING", IDOK)
      .Box("Warning", "OSIFile()\n\nBLANK SPACE FILE OPERATION\n\nOUTPUT FRQ RANGE ZERO\n\nABORTING", IDOK)
      .Box("Warning", "OSIFile()\n\nBLANK SPACE FILE OPERATION\n\nOUTPUT FRQ RESOLUTION ZERO\n\nABORTING", IDOK)
      .Box("Warning", "OSIFile()\n\nBLANK SPACE FILE OPERATION\n\nCHANNEL=[9] NOT VALID\n\nABORTING", IDOK);
  EXPECT_EQ(OSIFile(0, 4, OSI_BLANK_FILE, nullptr, other, 0, 0, 0), 0);
  EXPECT_EQ(Dsp.Init_Frq, 100.0);
  EXPECT_NEAR(Dsp.Frq_Stp, 0.001, 1e-15);
  Cnv.Asc_OutFrqHi = 100.0;  // no range
  EXPECT_EQ(OSIFile(0, 4, OSI_BLANK_FILE, nullptr, other, 0, 0, 0), 0);
  Cnv.Asc_OutFrqHi = 100.2;  // under half a resolution: one point, no step
  Cnv.Asc_OutRes = 1.0;
  EXPECT_EQ(OSIFile(0, 4, OSI_BLANK_FILE, nullptr, other, 0, 0, 0), 0);
  Cnv.Asc_OutRes = 0.0;
  EXPECT_EQ(OSIFile(0, 4, OSI_BLANK_FILE, nullptr, other, 0, 0, 0), 0);
  Cnv.Asc_OutRes = 0.1;
  EXPECT_EQ(OSIFile(0, 9, OSI_BLANK_FILE, nullptr, other, 0, 0, 0), 0);
  EXPECT_EQ(OSIFile(0, -1, OSI_BLANK_FILE, nullptr, other, 0, 0, 0), 0);  // no channel: nothing
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_FALSE(std::filesystem::exists("other.bin"));
  EXPECT_STREQ(Dsp.Chn_Flnm[4], "Nothing");
}

}  // namespace
