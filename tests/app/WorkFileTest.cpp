#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <limits>

#include "AppFixture.h"
#include "app/WorkFile.h"
#include "display/ViewDecimate.h"
#include "display/ViewFiles.h"
#include "sim/SimAscii.h"
#include "sim/SimFile.h"
#include "sim/SimLines.h"
#include "sim/SimPlot.h"
#include "sim/SimSets.h"

namespace {

using qvtest::AppTest;

// Writes a simulation file of two lines for set s under its current name.
void WriteTwoLineSet(int16_t s) {
  Sim.FI_Lines[s] = 2;
  DAlloc1Dim(&Sim.FI_Sim_Erg[s], 2);
  DAlloc1Dim(&Sim.FI_Exp_Erg[s], 2);
  Sim.FI_Sim_Erg[s][0] = 100.0;
  Sim.FI_Sim_Erg[s][1] = 200.0;
  ASSERT_EQ(SimFIWriteQVS(s, &Sim), 1);
  SimFIFreeQVS(s, &Sim, 0);
}


class WorkFileTest : public AppTest {
 protected:
  // A working state as a session leaves it: three channels with data, two simulation
  // sets, one with a sine baseline, one HITRAN set.
  void Fill() {
    StrCopy(Dsp.Work_Comment, "Jet-cooled scan, etalon 150 MHz");
    StrCopy(Dsp.Work_Date, "3-14-1997");
    StrCopy(Dsp.Work_Time, "10:42");
    const char* names[3] = {"abs.bin", "etalon.bin", "base.bin"};
    for (int c = 0; c < 3; c++) {
      StrCopy(Dsp.Chn_Flnm[c], names[c]);
      Dsp.Chn_DspStat[c] = 1;
      Dsp.Chn_Scalar[c] = 1.25;
      Dsp.Chn_Offset[c] = -0.5;
      Dsp.FL_SZ[WIN_RAW][c] = 1000;
      Dsp.FL_SZ[0][c] = 300;
      Dsp.Chn_ColorNo[c] = static_cast<int16_t>(c + 1);
      DataFile(names[c], 1000);
    }
    Dsp.Chn_Dig[1] = 1;
    for (auto& level : Win.ViewKind_Txt)
      for (auto& text : level) StrCopy(text, "AVE");
    Dsp.Init_Frq = 45123.5;
    Dsp.FSR = 150.0;
    Dsp.Pts_FSR = 200;
    StrCopy(Dsp.Units_Txt, "CM-1");
    Dsp.Units_Idx = Dsp.Units_IdxData = 1;
    StrCopy(Sim.Sim_Flnm[0], "simA");
    Sim.Dsp_Stat[0] = 1;
    Sim.Dsp_Scalar[0] = 2.5;
    Sim.Dsp_Slope[0] = 0.001;
    Sim.Dsp_Intercept[0] = 1.23456789;
    Sim.LS_GAU[0] = 0.0012345678;
    Sim.LS_LOR[0] = 0.0004;
    Sim.LS_Func[0] = 1;
    Sim.LS_WidthMode[0] = 0;
    Sim.LS_Span[0] = 2.5f;
    Sim.LS_NOLWS[0] = 15;
    Sim.Dsp_Cnl[0] = 0;
    Sim.COLOR_NO[0] = 3;
    Sim.RGB[0][0] = 255;
    Sim.Sine_Stat[1] = 1;
    Sim.Sine_Amp[1][0] = 0.05;
    Sim.Sine_Period[1][0] = 1.5;
    Sim.Sine_Phase[1][0] = 0.3;
    Sim.Sine_Damping[1] = 0.01;
    Sim.HT_Global_Stat[2] = 1;
    StrCopy(Sim.Sim_Flnm[2], "simC");
    SimFile("simA", false, 0.001, 1.23456789);  // a set's slope and intercept come from its file
    SimFile("simC", true);
    Sim.HT_Press[2] = 0.5;
    Sim.HT_Trans_Stat[2] = 1;
    StrCopy(OrvPrm.In_Flnm, "rotor.in");
    StrCopy(Dsp.Work_Flnm, "run.QVW");
  }

  // Records as a fresh program has them, with the data folder and file name kept.
  void Forget() {
    FreeSimSets();
    Dsp = DspRecord{};
    Sim = SimRecord{};
    OrvPrm = OrvPrmRecord{};
    StrCopy(Dsp.Data_Dir, dir_.Path().c_str());
    StrCopy(Dsp.Work_Flnm, "run.QVW");
    // The HITRAN flag is not carried by the file: reading the set's simulation file sets it.
    Sim.HT_Global_Stat[2] = 1;
  }

  std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = bytes.find("\r\n", start)) != std::string::npos) {
      lines.push_back(bytes.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  std::string Join(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& l : lines) bytes += l + "\r\n";
    return bytes;
  }

  // The written file with one line replaced (found by its beginning).
  std::string Edited(const std::string& bytes, const std::string& begin, const std::string& replacement) {
    auto lines = Lines(bytes);
    for (auto& l : lines)
      if (l.compare(0, begin.size(), begin) == 0) {
        l = replacement;
        break;
      }
    return Join(lines);
  }

  const char* kRefused = "QV95 WORKING FILE\n\nCORRUPTED FIELDS | FILE=[run.QVW] DOES NOT EXIST\n\nUSING DEFAULT VALUES";
};

TEST_F(WorkFileTest, LayoutOfTheWrittenFile) {
  Fill();
  ASSERT_EQ(WorkFileWrite(), 1);
  auto lines = Lines(ReadAll(Path("run.QVW")));
  ASSERT_GT(lines.size(), 60u);
  EXPECT_EQ(lines[0], std::string(80, '#'));
  EXPECT_EQ(lines[1], "#                    QV95 WORKING FILE : VERSION v6.02.00                      #");
  EXPECT_EQ(lines[1].size(), 80u);
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[5], "  Jet-cooled scan, etalon 150 MHz");
  EXPECT_EQ(lines[7], "  3-14-1997            10:42               ");
  EXPECT_EQ(lines[11], "  0   0   1   abs.bin              1.25000000e+00       -5.00000000e-01     ");
  EXPECT_EQ(lines[22], "  0   1000       0          AVE  0          AVE  300        AVE  1   0  0  0 ");
  EXPECT_EQ(lines[33], "  0   4.5123500000000000e+04   1.5000000000000000e+02   200      CM-1  1ST  ");
  EXPECT_EQ(lines[45], "  0   1   simA            2.50000000e+00  0.00000000e+00  1.00000000e-03  1.234567890e+00");
  EXPECT_EQ(lines[56],
            "  0   1.23456780e-03     4.00000000e-04  1    0        2.500000e+00 15       0     3   FF 0  0 ");
  // Every title, column-header and empty line in its place; the file ends with the
  // hash line after the HITRAN rows.
  const std::string hash(80, '#');
  const std::vector<std::pair<size_t, std::string>> fixed = {
      {2, hash}, {4, "# COMMENT LINE (< 500 CHARACTERS WITH NEW LINE END):"}, {6, "# DATE                 TIME"},
      {8, ""}, {9, "############################# EXPT DATA CHANNELS ###############################"},
      {10, "# CHN DIG DSP FILENAME             SCALAR               OFFSET"}, {20, ""},
      {21, "# CHN RAW SIZE   QVM SIZE   AVG  QVI SIZE   AVG  QVO SIZE   AVE  PEN COLOR:RGB"}, {31, ""},
      {32, "# CHN INIT FREQ                FSR                      PTS/FSR  UNITS HARM"}, {42, ""},
      {43, "############################ SIMULATION CHANNELS ###############################"},
      {44, "# CHN DSP FILENAME        SCALAR          OFFSET          SLOPE           INTERCEPT"}, {54, ""},
      {55, "# CHN GAU WIDTH          LOR WIDTH       FUNC NUM STAT WIDTH        NUM      ASSOC PEN COLOR:RGB"},
      {65, ""}, {66, "############################# DIALOGS PARAMETERS ###############################"},
      {67, "# ORV INPUT FILENAME"}, {69, ""}, {70, "# QUAD INPUT FILENAME"}, {71, "  Quad.in             "},
      {72, ""}, {73, "# GENETIC ALGORITHMS INPUT FILENAME"}, {75, ""}, {76, hash}, {77, "SINWAVE SIMULATION INFO"},
      {78, "# CHN DSP AMP             PERIOD          PHASE           DAMPING"}, {88, ""}, {89, hash},
      {90, "HITRAN SIMULATION INFO"},
      {91, "# CHN MASS(AMU) SELF(ATM)    AIR(ATM)     TEMP(K) PATH(M)    SS   CUT(CM-1) LS TRS TORR"}, {101, ""},
      {102, hash}};
  ASSERT_EQ(lines.size(), 103u);
  for (const auto& [index, text] : fixed) EXPECT_EQ(lines[index], text) << "line " << index + 1;
  // Nine channels with the default name of an empty one, and the dialog names.
  EXPECT_EQ(lines[19].substr(0, 33), "  8   0   0   Nothing            ");
  std::string all = ReadAll(Path("run.QVW"));
  EXPECT_NE(all.find("# ORV INPUT FILENAME\r\n  rotor.in            \r\n\r\n"), std::string::npos);
  EXPECT_NE(all.find("# GENETIC ALGORITHMS INPUT FILENAME\r\n  Evo95.gai           \r\n"), std::string::npos);
  // Sine section before the HITRAN section, each with nine rows.
  size_t sine = all.find("SINWAVE SIMULATION INFO\r\n");
  size_t hitran = all.find("HITRAN SIMULATION INFO\r\n");
  ASSERT_NE(sine, std::string::npos);
  ASSERT_NE(hitran, std::string::npos);
  EXPECT_LT(sine, hitran);
  EXPECT_NE(all.find("  1   1   0.05000000      1.50000000e+00  3.00000000e-01  1.00000000e-02 \r\n"), std::string::npos);
  EXPECT_NE(all.find("  2   5.000000  1.000000e-02 5.000000e-01 296.00  1.0000e-02 10000000000.0 2.00e+01  0  1   1\r\n"),
            std::string::npos);
}

TEST_F(WorkFileTest, WriteReadWriteGivesTheSameBytes) {
  Fill();
  Dsp.Init_Frq = 45123.456789012345;  // 17 significant digits come back exactly
  ASSERT_EQ(WorkFileWrite(), 1);
  std::string first = ReadAll(Path("run.QVW"));

  Forget();
  ASSERT_EQ(WorkFileReadPelkNew(), 1);
  EXPECT_EQ(Dsp.Init_Frq, 45123.456789012345);
  EXPECT_STREQ(Dsp.Chn_Flnm[1], "etalon.bin");
  EXPECT_EQ(Dsp.Chn_Dig[1], 1u);
  EXPECT_EQ(Dsp.Units_Idx, 1);
  EXPECT_STREQ(Sim.Sim_Flnm[0], "simA");
  EXPECT_DOUBLE_EQ(Sim.Dsp_Intercept[0], 1.23456789);
  EXPECT_FLOAT_EQ(Sim.LS_Span[0], 2.5f);
  EXPECT_EQ(Sim.COLOR_NO[0], 3);
  EXPECT_EQ(Sim.RGB[0][0], 255);
  EXPECT_DOUBLE_EQ(Sim.Sine_Amp[1][0], 0.05);
  EXPECT_DOUBLE_EQ(Sim.HT_Press[2], 0.5);
  EXPECT_STREQ(OrvPrm.In_Flnm, "rotor.in");
  EXPECT_EQ(Dsp.Frq_Stp, 150.0 / 200);
  EXPECT_EQ(Win.Active_Chn, 2);  // the highest displayed channel with data
  EXPECT_EQ(Dsp.Dsp_Ready.load(), 1u);

  ASSERT_EQ(WorkFileWrite(), 1);
  std::string second = ReadAll(Path("run.QVW"));
  // The comment comes back with its line end, which leaves one empty line after it.
  std::string expected = first;
  std::string comment = "  Jet-cooled scan, etalon 150 MHz\r\n";
  expected.insert(expected.find(comment) + comment.size(), "\r\n");
  EXPECT_EQ(second, expected);

  Forget();
  ASSERT_EQ(WorkFileReadPelkNew(), 1);
  ASSERT_EQ(WorkFileWrite(), 1);
  EXPECT_EQ(ReadAll(Path("run.QVW")), second);
  EXPECT_TRUE(BoxesBesidesTipsWarnings().empty());
}

TEST_F(WorkFileTest, CutOffIsWrittenInWavenumbersWithMegahertzUnits) {
  Fill();
  StrCopy(Dsp.Units_Txt, "MHz");
  Dsp.Units_Idx = 0;
  ASSERT_EQ(WorkFileWrite(), 1);
  EXPECT_NE(ReadAll(Path("run.QVW")).find(" 6.67e-04 "), std::string::npos);
  Forget();
  ASSERT_EQ(WorkFileReadPelkNew(), 1);
  EXPECT_DOUBLE_EQ(Sim.HT_FrqLim[2], 6.67e-04 / WORKFILE_MHZ_TO_CM1);
  EXPECT_NEAR(Sim.HT_FrqLim[2], 19.996, 0.001);

  Fill();
  ASSERT_EQ(WorkFileWrite(), 1);  // "CM-1": unchanged
  EXPECT_NE(ReadAll(Path("run.QVW")).find(" 2.00e+01 "), std::string::npos);
  Forget();
  ASSERT_EQ(WorkFileReadPelkNew(), 1);
  EXPECT_EQ(Sim.HT_FrqLim[2], 20.0);
}

TEST_F(WorkFileTest, OlderVersionReadsTheShortLineShapeRows) {
  Fill();
  ASSERT_EQ(WorkFileWrite(), 1);
  std::string text = ReadAll(Path("run.QVW"));
  text.replace(text.find("VERSION v6.02.00"), 16, "VERSION v1.04.0 ");
  auto lines = Lines(text);
  for (size_t i = 0; i < lines.size(); i++)
    if (lines[i].rfind("# CHN GAU WIDTH", 0) == 0)
      for (int s = 0; s < 9; s++) lines[i + 1 + s] = "  " + std::to_string(s) + " 1.5e-03 2.5e-03 12 9 4 FF 0 0";
  WriteAll(Path("run.QVW"), Join(lines));
  Forget();
  Sim.LS_WidthMode[3] = 0;
  Sim.LS_Func[3] = 2;
  ASSERT_EQ(WorkFileReadPelkNew(), 1);
  EXPECT_EQ(Sim.LS_WidthMode[3], 1u);
  EXPECT_EQ(Sim.LS_Func[3], 0);
  EXPECT_EQ(Sim.LS_NOLWS[3], 12);
  EXPECT_EQ(Sim.COLOR_NO[3], 4);
  EXPECT_DOUBLE_EQ(Sim.LS_LOR[3], 2.5e-03);
}

TEST_F(WorkFileTest, SimulationRowWithoutSlopeAndInterceptIsAccepted) {
  Fill();
  ASSERT_EQ(WorkFileWrite(), 1);
  WriteAll(Path("run.QVW"), Edited(ReadAll(Path("run.QVW")), "  0   1   simA", "  0   1   simB  3.0 0.5"));
  Forget();
  Sim.Dsp_Slope[0] = 7.0;
  SimFile("simB", false, 7.0);  // the set's slope then comes from its simulation file
  ASSERT_EQ(WorkFileReadPelkNew(), 1);
  EXPECT_STREQ(Sim.Sim_Flnm[0], "simB");
  EXPECT_EQ(Sim.Dsp_Scalar[0], 3.0);
  EXPECT_EQ(Sim.Dsp_Slope[0], 7.0);
}

TEST_F(WorkFileTest, BadFilesAreRefusedAndLeaveTheRecordsAsTheyWere) {
  Fill();
  ASSERT_EQ(WorkFileWrite(), 1);
  const std::string good = ReadAll(Path("run.QVW"));
  std::vector<std::pair<std::string, std::string>> bad = {
      {"missing field", Edited(good, "  0   1000", "  0   1000       AVE  0          AVE  300        AVE  1   0  0  0")},
      {"non-numeric token", Edited(good, "  0   0   1   abs.bin", "  0   0   1   abs.bin 1.25x -0.5")},
      {"truncated", good.substr(0, good.size() * 2 / 5)},
      {"comment starting with #", Edited(good, "  Jet-cooled", "  # Jet-cooled")},
      {"colour row out of range", Edited(good, "  0   1.23456780e-03", "  0 1e-3 4e-4 1 0 2.5 15 0 99 FF 0 0")},
  };
  for (const auto& [what, bytes] : bad) {
    SCOPED_TRACE(what);
    WriteAll(Path("run.QVW"), bytes);
    Forget();
    StrCopy(Dsp.Work_Comment, "before");
    Dsp.Chn_Scalar[0] = 7.0;
    StrCopy(Sim.Sim_Flnm[0], "keep");
    Sim.LS_NOLWS[0] = 3;
    platform::ClearBoxLog();
    bool refused = false;
    EXPECT_EQ(WorkFileReadChecked(&refused), 1);
    EXPECT_TRUE(refused);
    EXPECT_EQ(Texts(), std::vector<std::string>{kRefused});
    EXPECT_STREQ(Dsp.Work_Comment, "before");
    EXPECT_EQ(Dsp.Chn_Scalar[0], 7.0);
    EXPECT_STREQ(Dsp.Chn_Flnm[0], "Nothing");
    EXPECT_STREQ(Sim.Sim_Flnm[0], "keep");
    EXPECT_EQ(Sim.LS_NOLWS[0], 3);
    EXPECT_EQ(Dsp.Dsp_Ready.load(), 0u);  // the finish did not run
    EXPECT_STREQ(Dsp.Work_Flnm, "run.QVW");
  }
}

TEST_F(WorkFileTest, TypedDateTimeAndCommentDoNotSpoilTheFile) {
  // Texts typed in the analysis options dialog: an empty date, a time with a blank
  // and a comment of blanks only. The file written must still read back.
  Fill();
  Dsp.Work_Date[0] = '\0';
  StrCopy(Dsp.Work_Time, "10 42 am");
  StrCopy(Dsp.Work_Comment, "   ");
  ASSERT_EQ(WorkFileWrite(), 1);
  auto lines = Lines(ReadAll(Path("run.QVW")));
  EXPECT_EQ(lines[5], "  NO COMMENT");
  EXPECT_EQ(lines[7], "  00-00-0000           10_42_am            ");
  Forget();
  bool refused = true;
  WorkFileReadChecked(&refused);
  EXPECT_FALSE(refused);
  EXPECT_STREQ(Dsp.Chn_Flnm[1], "etalon.bin");

  Fill();
  StrCopy(Dsp.Work_Date, "14 March 1997");
  StrCopy(Dsp.Work_Time, "10 42");
  ASSERT_EQ(WorkFileWrite(), 1);
  Forget();
  ASSERT_EQ(WorkFileReadPelkNew(), 1);
  EXPECT_STREQ(Dsp.Work_Date, "14_March_1997");
  EXPECT_STREQ(Dsp.Work_Time, "10_42");
  EXPECT_TRUE(BoxesBesidesTipsWarnings().empty());
}

TEST_F(WorkFileTest, FileNameWithABlankIsRefused) {
  Fill();
  ASSERT_EQ(WorkFileWrite(), 1);
  const std::string good = ReadAll(Path("run.QVW"));
  // The writer writes no value its reader would not give back: it names the value and
  // the old file stays.
  const std::vector<std::pair<std::function<void()>, std::string>> refused = {
      {[] { StrCopy(Dsp.Chn_Flnm[2], "base line.bin"); }, "CHN [2] FILENAME [base line.bin] HOLDS A BLANK"},
      {[] { StrCopy(Dsp.Chn_Flnm[3], "\xce\xbb.bin"); }, "CHN [3] FILENAME [\xce\xbb.bin] HOLDS A CHARACTER THE FILE CANNOT KEEP"},
      {[] { StrCopy(Sim.Sim_Flnm[1], "band 1"); }, "[B] SIM FILENAME [band 1] HOLDS A BLANK"},
      {[] { StrCopy(Dsp.Work_Comment, "#3 RUN AT 77 K"); }, "COMMENT [#3 RUN AT 77 K] BEGINS WITH #"},
      {[] { StrCopy(Dsp.Work_Comment, "run 3\nat 77 K"); }, "COMMENT [run 3\nat 77 K] HOLDS A LINE BREAK"},
      {[] { StrCopy(Dsp.Work_Date, "#14"); }, "DATE [#14] BEGINS WITH #"},
      {[] { StrCopy(Quad.In_Flnm, "#q.in"); }, "QUAD INPUT FILENAME [#q.in] BEGINS WITH #"},
      {[] { Sim.Dsp_Cnl[4] = 12; }, "[E] SIM ASSOC CHN [12] NOT IN [0-9]"},
      {[] { Dsp.Chn_Offset[1] = std::numeric_limits<double>::infinity(); }, "CHN [1] OFFSET [inf] IS NOT A NUMBER"},
      {[] { Sim.Dsp_Scalar[2] = std::nan(""); }, "[C] SIM SCALAR [nan] IS NOT A NUMBER"},
  };
  for (const auto& [spoil, refusal] : refused) {
    SCOPED_TRACE(refusal);
    Fill();
    spoil();
    platform::ClearBoxLog();
    EXPECT_EQ(WorkFileWrite(), 0);
    EXPECT_EQ(Texts(), std::vector<std::string>{"WORKING FILE [run.QVW] NOT WRITTEN\n\n" + refusal +
                                                "\n\nTHE WORKING FILE CANNOT STORE IT\n\nRETURNING TO PROGRAM"});
    EXPECT_EQ(ReadAll(Path("run.QVW")), good);
    Forget();
    Quad = QuadRecord{};
  }
  // A file holding such a name all the same is refused by the reader.
  std::string bad = good;
  bad.replace(bad.find("base.bin"), 8, "base line.bin");
  WriteAll(Path("run.QVW"), bad);
  platform::ClearBoxLog();
  bool refusedRead = false;
  WorkFileReadChecked(&refusedRead);
  EXPECT_TRUE(refusedRead);
  EXPECT_EQ(Texts(), std::vector<std::string>{kRefused});
  EXPECT_EQ(Dsp.Init_Frq, 0.0);
}

TEST_F(WorkFileTest, EveryStorableEdgeOfTheNamesAndTextsComesBack) {
  Fill();
  const std::string longName(199, 'n');  // the longest name the field holds
  StrCopy(Dsp.Chn_Flnm[0], "run#1.bin");
  StrCopy(Dsp.Chn_Flnm[1], longName.c_str());
  StrCopy(Dsp.Chn_Flnm[2], "mesure_\xc3\xa9\xe2\x82\xac.bin");  // characters of Windows-1252
  StrCopy(Sim.Sim_Flnm[0], "#band");                               // a row's name may begin with "#"
  SimFile("#band", false, 0.001, 1.23456789);
  // The longest comment, "#" inside, blanks before it (which the reading drops).
  std::string comment = "  run #3 at 77 K, 5 \xc2\xb0" "C ";
  comment += std::string(499 - comment.size(), 'x');
  StrCopy(Dsp.Work_Comment, comment.c_str());
  StrCopy(Dsp.Work_Date, "14 M\xc3\xa4rz 1997");
  StrCopy(OrvPrm.In_Flnm, "rotor#2.in");
  StrCopy(Quad.In_Flnm, "quad_\xc3\xa9.in");
  StrCopy(Ga.In_Flnm[0], "x");
  ASSERT_EQ(WorkFileWrite(), 1);

  Forget();
  StrCopy(Quad.In_Flnm, "other");
  StrCopy(Ga.In_Flnm[0], "other");
  ASSERT_EQ(WorkFileReadPelkNew(), 1);
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "run#1.bin");
  EXPECT_EQ(std::string(Dsp.Chn_Flnm[1]), longName);
  EXPECT_STREQ(Dsp.Chn_Flnm[2], "mesure_\xc3\xa9\xe2\x82\xac.bin");
  EXPECT_STREQ(Sim.Sim_Flnm[0], "#band");
  EXPECT_EQ(std::string(Dsp.Work_Comment), comment.substr(2) + "\n");
  EXPECT_STREQ(Dsp.Work_Date, "14_M\xc3\xa4rz_1997");
  EXPECT_STREQ(OrvPrm.In_Flnm, "rotor#2.in");
  EXPECT_STREQ(Quad.In_Flnm, "quad_\xc3\xa9.in");
  EXPECT_STREQ(Ga.In_Flnm[0], "x");
  EXPECT_TRUE(BoxesBesidesTipsWarnings().empty());
}

TEST_F(WorkFileTest, MissingFileAndUnknownNames) {
  StrCopy(Dsp.Work_Flnm, "gone.QVW");
  bool refused = false;
  WorkFileReadChecked(&refused);
  EXPECT_TRUE(refused);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "WorkFileReadPelkNew()\n\nFAILED TO OPEN WORKING FILE [gone.QVW] FOR READING\n\nABORTING",
                         "QV95 WORKING FILE\n\nCORRUPTED FIELDS | FILE=[gone.QVW] DOES NOT EXIST\n\nUSING DEFAULT VALUES"}));
  EXPECT_STREQ(Dsp.Work_Flnm, "gone.QVW");

  for (const char* name : {"ab", "notes.txt", "Run.Qvw"}) {
    platform::ClearBoxLog();
    StrCopy(Dsp.Work_Flnm, name);
    EXPECT_EQ(WorkFileRead(), 1);
    EXPECT_STREQ(Dsp.Work_Flnm, "");
    ASSERT_EQ(platform::BoxLog().size(), 1u);
    EXPECT_EQ(platform::BoxLog()[0].text, "USING DEFAULT VALUES IN ANALYSIS DIALOG");
    EXPECT_EQ(platform::BoxLog()[0].style, 0x1040u);
  }
}

TEST_F(WorkFileTest, ShortSectionEndsAtTheFirstWrongRow) {
  Fill();
  ASSERT_EQ(WorkFileWrite(), 1);
  std::string text = ReadAll(Path("run.QVW"));
  size_t hitran = text.find("HITRAN SIMULATION INFO");
  text = Edited(text.substr(0, hitran), "  3   0   0.10000000", "  3   0   oops") + text.substr(hitran);
  WriteAll(Path("run.QVW"), text);
  Forget();
  Sim.Sine_Damping[2] = 9.0;
  Sim.Sine_Damping[4] = 9.0;
  ASSERT_EQ(WorkFileReadPelkNew(), 1);
  EXPECT_EQ(Sim.Sine_Damping[2], 0.0);  // rows before the wrong one are read
  EXPECT_EQ(Sim.Sine_Damping[4], 9.0);  // the sets after it keep their settings
  EXPECT_DOUBLE_EQ(Sim.HT_Press[2], 0.5);
}

TEST_F(WorkFileTest, FailedWriteKeepsTheOldFile) {
  Fill();
  WriteAll(Path("run.QVW"), "old contents\r\n");
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int32_t result = WorkFileWrite();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, handler);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadAll(Path("run.QVW")), "old contents\r\n");
  EXPECT_EQ(Texts(), std::vector<std::string>{
                         "FAILED TO CREATE ASCII FILE [run.QVW] FOR WRITING\n\nRETURNING TO PROGRAM"});
  // 3 data files, 2 simulation files and run.QVW: no temporary file is left.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 6);
}

TEST_F(WorkFileTest, FinishChecksChannelsAndMovesOlderViewFiles) {
  StrCopy(Dsp.Chn_Flnm[0], "a.bin");
  StrCopy(Dsp.Chn_Flnm[4], "b.bin");
  Dsp.Chn_DspStat[0] = 1;
  Dsp.Chn_DspStat[4] = 0;
  DataFile("b.bin", 10);
  WriteAll(Path("b.bin.QVO"), "1234");
  std::filesystem::create_directory(Path("QV95OIM"));
  WriteAll(Path("QV95OIM/b.bin.QVIm"), "1234");
  Dsp.Pts_FSR = 0;
  Dsp.FSR = 0.0;
  WorkFileReadFinish();
  EXPECT_EQ(Dsp.Chn_DspStat[0], 0u);  // missing file
  EXPECT_EQ(Win.Active_Chn, 4);       // the last channel with data is shown
  EXPECT_EQ(Dsp.Chn_DspStat[4], 1u);
  EXPECT_TRUE(std::filesystem::exists(Path("QV95OIM/b.bin.QVOa")));
  EXPECT_FALSE(std::filesystem::exists(Path("b.bin.QVO")));
  EXPECT_EQ(Win.ViewKind[0][4], 1);
  EXPECT_EQ(Win.ViewKind[1][4], 0);
  EXPECT_EQ(Win.ViewKind[2][4], 2);
  EXPECT_EQ(Dsp.Pts_FSR, 100);
  EXPECT_EQ(Dsp.Frq_Stp, 0.01);

  Dsp.Chn_DspStat[4] = 0;
  std::filesystem::remove(Path("b.bin"));
  WorkFileReadFinish();
  EXPECT_EQ(Win.Active_Chn, 9);
  EXPECT_EQ(Dsp.Chn_DspStat[4], 0u);
}

TEST_F(WorkFileTest, DemoWorkingFileReads) {
  for (const char* name : {"demo.QVW", "demo.QVS", "absorption.bin", "etalon.bin", "baseline.bin"})
    std::filesystem::copy_file(std::string(QV95_SOURCE_DIR) + "/examples/" + name, Path(name));
  StrCopy(Dsp.Work_Flnm, "demo.QVW");
  bool refused = true;
  WorkFileReadChecked(&refused);
  EXPECT_FALSE(refused);
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_EQ(Win.Active_Chn, 2);
  for (int c = 0; c < 3; c++) EXPECT_EQ(Dsp.Chn_DspStat[c], 1u);
  EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][0], 32000u);
  EXPECT_EQ(Dsp.Frq_Stp, 150.0 / 400);
  // Set A lies over the absorption channel: its lines inside the scan, drawn downwards
  // from 1 with the Voigt widths the working file gives.
  WorkFileReadFinish();
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_STREQ(Sim.Sim_Flnm[0], "demo");
  EXPECT_EQ(Sim.Dsp_Stat[0], 1u);
  EXPECT_EQ(Sim.Dsp_Cnl[0], 0);
  EXPECT_EQ(Sim.Dsp_Scalar[0] * Sim.Dsp_Offset[0], 1.0);
  EXPECT_EQ(Sim.LS_GAU[0], 18.0);
  EXPECT_EQ(Sim.LS_LOR[0], 8.0);
  ASSERT_GT(Sim.FI_Lines[0], 20u);
  for (uint32_t i = 0; i < Sim.FI_Lines[0]; i++) {
    EXPECT_GT(Sim.FI_Sim_Erg[0][i], Dsp.Init_Frq);
    EXPECT_LT(Sim.FI_Sim_Erg[0][i], Dsp.Init_Frq + 32000 * Dsp.Frq_Stp);
    EXPECT_GT(Sim.FI_Sim_Itn[0][i], 0.0f);
  }
}


// A scan of the demo's kind (32,000 points of 0.375 MHz from 70,000 MHz) with Lorentzian
// dips and set A holding a line at each, read back as a working file: the BIN export
// of the set, and the set drawn at every view level after a view run, peak where the
// data dip.
TEST_F(WorkFileTest, SimulatedLinesFallOnTheDataDipsAtEveryLevel) {
  constexpr int kPoints = 32000;
  const double f0 = 70000.0, step = 150.0 / 400;
  std::vector<double> centres;
  for (int k = 0; k < 12; ++k) centres.push_back(f0 + 248.3 + 997.1 * k);
  std::string bytes;
  for (int i = 0; i < kPoints; ++i) {
    double a = 0.0;
    for (double c : centres) a += 0.8 / (1.0 + std::pow((f0 + i * step - c) / 6.0, 2));
    const float v = static_cast<float>(1.0 - a);
    bytes.append(reinterpret_cast<const char*>(&v), 4);
  }
  WriteAll(Path("scan.bin"), bytes);
  StrCopy(Dsp.Chn_Flnm[0], "scan.bin");
  Dsp.Chn_DspStat[0] = 1;
  Dsp.Chn_Scalar[0] = 1.0;
  Dsp.FL_SZ[WIN_RAW][0] = kPoints;
  Dsp.Init_Frq = f0;
  Dsp.FSR = 150.0;
  Dsp.Pts_FSR = 400;
  const uint32_t n = static_cast<uint32_t>(centres.size());
  Sim.FI_Lines[0] = n;
  DAlloc1Dim(&Sim.FI_Sim_Erg[0], n);
  DAlloc1Dim(&Sim.FI_Exp_Erg[0], n);
  FAlloc1Dim(&Sim.FI_Sim_Itn[0], n);
  for (uint32_t i = 0; i < n; ++i) {
    Sim.FI_Sim_Erg[0][i] = centres[i];
    Sim.FI_Sim_Itn[0][i] = 1.0f;
  }
  StrCopy(Sim.Sim_Flnm[0], "scan");
  Sim.Dsp_Stat[0] = 1;
  Sim.Dsp_Cnl[0] = 0;
  Sim.LS_GAU[0] = 6.0;
  Sim.LS_LOR[0] = 8.0;
  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  StrCopy(Dsp.Work_Flnm, "scan.QVW");
  ASSERT_EQ(WorkFileWrite(), 1);
  FreeSimSets();
  Dsp = DspRecord{};
  Sim = SimRecord{};
  StrCopy(Dsp.Data_Dir, dir_.Path().c_str());
  StrCopy(Dsp.Work_Flnm, "scan.QVW");
  ASSERT_EQ(WorkFileRead(), 1);
  ASSERT_EQ(Sim.FI_Lines[0], n);
  FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS);
  FAlloc1Dim(&Win.PM_DrawAry_Sum, WIN_DRAW_PTS);

  // The strongest value within 40 columns of the column where line k should lie.
  auto peakNear = [&](const float* values, int32_t size, double columnsPerMHz, size_t k, bool lowest) {
    const int32_t at = static_cast<int32_t>(std::lround((centres[k] - f0) * columnsPerMHz));
    int32_t best = std::max(at - 40, 0);
    for (int32_t j = best; j < std::min(at + 40, size); ++j)
      if (lowest ? values[j] < values[best] : values[j] > values[best]) best = j;
    return best;
  };
  ASSERT_EQ(SimFIWriteBin("sim.bin", 0, 0), 1);
  const std::string sim = ReadAll(Path("sim.bin"));
  ASSERT_EQ(sim.size(), bytes.size());
  const auto* data = reinterpret_cast<const float*>(bytes.data());
  const auto* written = reinterpret_cast<const float*>(sim.data());
  for (size_t k = 0; k < n; ++k)
    EXPECT_NEAR(peakNear(written, kPoints, 1.0 / step, k, false), peakNear(data, kPoints, 1.0 / step, k, true), 1)
        << "raw level, line " << k;

  Win.Page_Width = 3000;
  Win.ViewPageType = 0;
  Win.ViewPrep = 1;
  DisplayQviQvoSetup(nullptr);
  for (int16_t v = 0; v < WIN_RAW; ++v) {
    if (Win.ViewKind[v][0] == VIEW_KIND_NONE) continue;
    const int32_t size = static_cast<int32_t>(std::min<uint32_t>(Dsp.FL_SZ[v][0], WIN_DRAW_PTS));
    ASSERT_EQ(SimFIPlot(nullptr, 0, 0, v, 0, size, 0, 9, 9), 1);
    const double perMHz = 1.0 / Dsp.FrqStpView[v];
    for (size_t k = 0; k < n; ++k) {
      if (centres[k] - f0 >= (size - 40) / perMHz) continue;  // beyond the page drawn
      EXPECT_NEAR(peakNear(Win.PM_DrawAry, size, perMHz, k, false), peakNear(Dsp.Fl_Pt[v][0], size, perMHz, k, true), 1)
          << "level " << v << ", line " << k;
    }
  }
  DisplayViewArraysFree(0);
}

// A HITRAN line half a wavenumber above the start of an axis of 0.001 cm-1 a point is
// drawn at raw point 500.
TEST_F(WorkFileTest, HitranLineLandsOnItsPointOfAWavenumberAxis) {
  std::ifstream in(std::string(QV95_TESTDATA_DIR) + "/hitran/hapi_CO_M5_I1.par");
  std::string record;
  std::getline(in, record);
  WriteAll(Path("line.par"), record + "\n");
  StrCopy(Dsp.Units_Txt, "CM-1");
  Dsp.Units_Idx = Dsp.Units_IdxData = 1;
  Dsp.Init_Frq = std::stod(record.substr(3, 12)) - 0.5;
  Dsp.FSR = 1.0;
  Dsp.Pts_FSR = 1000;
  WorkFileReadFinish();
  answers_ = {IDNO};  // all isotopes
  ASSERT_EQ(SimFIAscii2Binary(0, "line.par", "HITRAN"), 1);
  FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS);
  ASSERT_EQ(SimFIPlot(nullptr, 0, 0, WIN_RAW, 0, 1000, 0, 9, 9), 1);
  EXPECT_EQ(std::max_element(Win.PM_DrawAry, Win.PM_DrawAry + 1000) - Win.PM_DrawAry, 500);
}

TEST_F(WorkFileTest, FinishReadsTheNamedSimulationFilesAndForgetsUnreadableOnes) {
  StrCopy(Sim.Sim_Flnm[0], "simA");
  WriteTwoLineSet(0);
  Sim.Dsp_Stat[0] = 1;
  StrCopy(Sim.Sim_Flnm[1], "broken");
  WriteAll(Path("broken.QVS"), "QVS v1.9");
  Sim.Dsp_Stat[1] = 1;
  StrCopy(Sim.Sim_Flnm[2], "missing");
  WorkFileReadFinish();
  EXPECT_EQ(Sim.FI_Lines[0], 2u);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][1], 200.0);
  EXPECT_EQ(Sim.Dsp_Stat[0], 1u);
  EXPECT_STREQ(Sim.Sim_Flnm[1], "NoName");
  EXPECT_EQ(Sim.Dsp_Stat[1], 0u);
  EXPECT_STREQ(Sim.Sim_Flnm[2], "NoName");
  EXPECT_EQ(Texts(), std::vector<std::string>{"[B] SIM [broken]\n\nVAVODE STRUCTURE CORRUPTED\n\nABORTING"});
}

}  // namespace
