// The sibling programs' parameter files written and read back, and what the readers refuse.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/TypedArrays.h"
#include "models/exciton/FgFiles.h"
#include "models/ga/GaFiles.h"
#include "models/quad/QuadFiles.h"
#include "models/rotor/OrvFiles.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/FgPrm.h"
#include "records/Ga.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "tests/support/TempDir.h"

namespace qvtest {
namespace {

namespace fs = std::filesystem;

class ParameterFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OrvPrm = OrvPrmRecord{};
    Quad = QuadRecord{};
    Ga = GaRecord{};
    FgPrm = FgPrmRecord{};
    previous_ = fs::current_path();
    fs::current_path(dir_.Path());
    platform::ClearBoxLog();
    platform::SetBoxAnswerer([this](const platform::BoxRequest&) { return answer_; });
  }
  void TearDown() override {
    platform::SetBoxAnswerer(nullptr);
    fs::current_path(previous_);
    OrvPrm = OrvPrmRecord{};
    Quad = QuadRecord{};
    Ga = GaRecord{};
    FgPrm = FgPrmRecord{};
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // A record whose every field of the file differs from the initial values.
  static void Fill() {
    StrCopy(OrvPrm.Comment, "ground and v=1, second try");
    StrCopy(OrvPrm.Asn_Flnm, "mine.asn");
    StrCopy(OrvPrm.Out_Base, "RUN7");
    OrvPrm.Temp_T1 = 12.5;
    OrvPrm.Temp2Erg = 0.695038770005;
    StrCopy(OrvPrm.Units_Txt, "CM-1");
    OrvPrm.Spin_Wts[0] = 3;
    OrvPrm.Spin_Wts[3] = 5;
    OrvPrm.Fit_Sel = 3;
    OrvPrm.One_State = 1;
    OrvPrm.OneState_Stat = 1;
    OrvPrm.Fit_State = 2;
    for (int s = 0; s < 2; ++s)
      for (int k = 0; k < 23; ++k) {
        OrvPrm.Read_Stat[s][k] = (s + k) % 3;
        OrvPrm.Prm[s][k] = 1000.0 / (1 + k + 30 * s) + 1e-9 * k;
        OrvPrm.Prm_DeltaDev[s][k] = 1e-7 * (k + 1);
        OrvPrm.Prm_StdDev[s][k] = -1e-5 * (s + 1) * k;
      }
  }
  // Writes, forgets and reads back, then copies the read block into the calculation block.
  static OrvPrmRecord RoundTrip() {
    const OrvPrmRecord written = OrvPrm;
    EXPECT_EQ(OrvWriteInputPrm("Orv.in"), 1);
    OrvPrm = OrvPrmRecord{};
    EXPECT_EQ(OrvReadInputPrm(), 1);
    OrvCopyReadToCalc();
    return written;
  }

  TempDir dir_;
  fs::path previous_;
  int answer_ = IDYES;
};

TEST_F(ParameterFilesTest, InputFileReadsBackEveryField) {
  Fill();
  std::ofstream("mine.asn") << "\n";
  const OrvPrmRecord w = RoundTrip();
  EXPECT_TRUE(platform::BoxLog().empty());  // the assignment file exists: no question
  EXPECT_EQ(ReadAll("Orv.in").rfind("ORV INPUT FILE : VERSION v5.6\r\n", 0), 0u);
  EXPECT_STREQ(OrvPrm.Comment, w.Comment);
  EXPECT_STREQ(OrvPrm.Asn_Flnm, "mine.asn");
  EXPECT_STREQ(OrvPrm.Out_Base, "RUN7");
  EXPECT_EQ(OrvPrm.Temp_T1, 12.5);
  EXPECT_EQ(OrvPrm.Temp2Erg, w.Temp2Erg);
  EXPECT_STREQ(OrvPrm.Units_Txt, "CM-1");
  EXPECT_EQ(OrvPrm.Spin_Wts[0], 3);
  EXPECT_EQ(OrvPrm.Spin_Wts[3], 5);
  EXPECT_EQ(OrvPrm.Fit_Sel, 3);
  EXPECT_EQ(OrvPrm.One_State, 1u);
  EXPECT_EQ(OrvPrm.OneState_Stat, 1u);
  EXPECT_EQ(OrvPrm.Fit_State, 2);
  for (int s = 0; s < 2; ++s)
    for (int k = 0; k < 23; ++k) {
      EXPECT_EQ(OrvPrm.Read_Stat[s][k], w.Read_Stat[s][k]);
      EXPECT_EQ(OrvPrm.Prm[s][k], w.Prm[s][k]) << s << " " << k;  // exact
      EXPECT_EQ(OrvPrm.Prm_DeltaDev[s][k], w.Prm_DeltaDev[s][k]);
      EXPECT_EQ(OrvPrm.Prm_StdDev[s][k], w.Prm_StdDev[s][k]);
    }
}

TEST_F(ParameterFilesTest, ReaderRefusesCorruptFilesAndKeepsTheRecord) {
  Fill();
  std::ofstream("mine.asn") << "\n";
  ASSERT_EQ(OrvWriteInputPrm("Orv.in"), 1);
  const std::string good = ReadAll("Orv.in");
  auto refused = [&](const std::string& text) {
    std::ofstream("Orv.in", std::ios::binary | std::ios::trunc) << text;
    OrvPrm = OrvPrmRecord{};
    StrCopy(OrvPrm.Comment, "untouched");
    const int32_t result = OrvReadInputPrm();
    return result == 0 && std::string(OrvPrm.Comment) == "untouched" && OrvPrm.Prm[0][0] == 0.0;
  };
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string t = good;
    const size_t at = t.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return t.replace(at, from.size(), to);
  };
  EXPECT_TRUE(refused("QUAD INPUT FILE : VERSION v5.6\r\n" + good.substr(good.find('\n') + 1)));
  EXPECT_TRUE(refused(replaced("UNITS = CM-1", "UNITS = GHz")));
  EXPECT_TRUE(refused(replaced("FIT SELECTION = 3", "FIT SELECTION = 5")));
  EXPECT_TRUE(refused(replaced("GND 22 = ", "GND 21 = ")));  // one key twice, one missing
  EXPECT_TRUE(refused(replaced("SPIN WEIGHTS = 3 1 1 5", "SPIN WEIGHTS = 3 1 1")));
  EXPECT_TRUE(refused(replaced("TEMPERATURE T1 = 12.5", "TEMPERATURE T1 = 12.5x")));
  EXPECT_TRUE(refused(replaced("OUTPUT BASE = RUN7", "OUTPUT BASE RUN7")));
  EXPECT_TRUE(refused(good.substr(0, good.size() / 2)));  // cut short
  fs::remove("Orv.in");
  EXPECT_TRUE(refused(""));
  // Notes and blank lines are allowed anywhere after the banner.
  std::ofstream("Orv.in", std::ios::binary | std::ios::trunc) << replaced("COMMENT", "\n# a note\n\nCOMMENT");
  EXPECT_EQ(OrvReadInputPrm(), 1);
}

TEST_F(ParameterFilesTest, WriterAsksAboutAMissingAssignmentFileAndKeepsAnOldFile) {
  Fill();
  std::ofstream("Orv.in") << "old";
  answer_ = IDNO;
  EXPECT_EQ(OrvWriteInputPrm("Orv.in"), 0);
  ASSERT_EQ(platform::BoxLog().size(), 1u);
  EXPECT_NE(platform::BoxLog()[0].text.find("ASSIGNMENT FILE [mine.asn] NOT FOUND"), std::string::npos);
  EXPECT_EQ(ReadAll("Orv.in"), "old");
  // A target that cannot be written: failure, nothing left behind.
  answer_ = IDYES;
  EXPECT_EQ(OrvWriteInputPrm("no-folder/Orv.in"), 0);
  EXPECT_EQ(OrvWriteInputPrm(""), 0);
  // The VESPAR form: its own banner, values and deviations only.
  ASSERT_EQ(VesparWriteInputPrm("Vespar.in"), 1);
  const std::string v = ReadAll("Vespar.in");
  EXPECT_EQ(v.rfind("VESPAR INPUT FILE : VERSION v5.6\r\n", 0), 0u);
  EXPECT_NE(v.find("EXC 22 = "), std::string::npos);
  EXPECT_EQ(v.find("FIT SELECTION"), std::string::npos);
  EXPECT_EQ(VesparWriteInputPrm("no-folder/Vespar.in"), 0);
}

TEST_F(ParameterFilesTest, QuadrupoleExcitonAndGeneticFilesReadBack) {
  for (int s = 0; s < QUAD_SETS; ++s) {
    for (int k = 0; k < 3; ++k) Quad.Prm[s][0][k] = 0.1 * s + k + 1.0 / 3.0;
    for (int k = 0; k < 3; ++k) Quad.Prm[s][1][k] = -0.2 * s - k;
    Quad.Prm2[s] = 1e-6 * s;
  }
  Quad.Frq_Widen = 4.5;
  const QuadRecord q = Quad;
  ASSERT_EQ(QuadWriteInputPrm("Quad.in"), 1);
  Quad = QuadRecord{};
  ASSERT_EQ(QuadReadInputPrm(), 1);
  for (int s = 0; s < QUAD_SETS; ++s) {
    for (int st = 0; st < 2; ++st)
      for (int k = 0; k < 3; ++k) EXPECT_EQ(Quad.Prm[s][st][k], q.Prm[s][st][k]);
    EXPECT_EQ(Quad.Prm2[s], q.Prm2[s]);
  }
  EXPECT_EQ(Quad.Frq_Widen, 4.5);
  // A file with a widening of 0 is refused and changes nothing.
  std::string text = ReadAll("Quad.in");
  text.replace(text.find("FREQUENCY WIDEN = 4.5"), 21, "FREQUENCY WIDEN = 0");
  std::ofstream("Quad.in", std::ios::binary | std::ios::trunc) << text;
  Quad.Prm[3][1][2] = 99.0;
  EXPECT_EQ(QuadReadInputPrm(), 0);
  EXPECT_EQ(Quad.Prm[3][1][2], 99.0);
  EXPECT_EQ(QuadWriteInputPrm("no-folder/Quad.in"), 0);

  StrCopy(FgPrm.Base_Flnm, "dimer run");
  ASSERT_EQ(FgWriteInputPrm("FG.in"), 1);
  EXPECT_EQ(ReadAll("FG.in"), "FG INPUT FILE : VERSION 1.0\r\nBASE NAME = dimer run\r\n");
  FgPrm = FgPrmRecord{};
  ASSERT_EQ(FgReadInputPrm(), 1);
  EXPECT_STREQ(FgPrm.Base_Flnm, "dimer run");
  std::ofstream("FG.in", std::ios::trunc) << "FG INPUT FILE : VERSION 1.0\nBASE = x\n";
  EXPECT_EQ(FgReadInputPrm(), 0);
  EXPECT_STREQ(FgPrm.Base_Flnm, "dimer run");
}

TEST_F(ParameterFilesTest, GeneticInputChainFillsTheSetsInOrder) {
  // Set 0 names set 1's file, which ends the chain.
  StrCopy(Ga.In_Flnm[1], "second.gai");
  StrCopy(Ga.Score_Flnm[0], "score0.gao");
  StrCopy(Ga.Run_Base[0], "run0");
  Ga.Pop_Size[0] = 40;
  StrCopy(Ga.Gene_Name[0][0], "B");
  StrCopy(Ga.Gene_Name[0][1], "DJ K");
  Ga.Gene_Idx[0][0] = 1;
  Ga.Gene_Idx[0][1] = -7;
  Ga.Gene_Sel[0] = 1;
  ASSERT_EQ(GaWriteInputPrm(0, "Evo95.gai"), 1);
  Ga.Pop_Size[1] = 8;
  StrCopy(Ga.Gene_Name[1][0], "A");
  ASSERT_EQ(GaWriteInputPrm(1, "second.gai"), 1);
  EXPECT_NE(ReadAll("Evo95.gai").find("NEXT INPUT = second.gai\r\n"), std::string::npos);
  EXPECT_EQ(ReadAll("Evo95.gai").rfind("GA INPUT FILE : VERSION ", 0), 0u);

  Ga = GaRecord{};
  ASSERT_EQ(GaMultiReadInputPrm(), 1);
  EXPECT_STREQ(Ga.In_Flnm[1], "second.gai");
  EXPECT_STREQ(Ga.Score_Flnm[0], "score0.gao");
  EXPECT_STREQ(Ga.Run_Base[0], "run0");
  EXPECT_EQ(Ga.Pop_Size[0], 40);
  EXPECT_EQ(Ga.Pop_Size[1], 8);
  EXPECT_STREQ(Ga.Gene_Name[0][1], "DJ K");
  EXPECT_EQ(Ga.Gene_Idx[0][1], -7);
  EXPECT_EQ(Ga.Gene_Sel[0], 1);
  EXPECT_STREQ(Ga.Gene_Name[1][0], "A");
  EXPECT_STREQ(Ga.Gene_Name[1][1], "");

  // A chain that loops back on itself never ends: refused, the record kept.
  StrCopy(Ga.In_Flnm[1], "Evo95.gai");
  ASSERT_EQ(GaWriteInputPrm(0, "Evo95.gai"), 1);
  Ga.Pop_Size[0] = 1;
  EXPECT_EQ(GaMultiReadInputPrm(), 0);
  EXPECT_EQ(Ga.Pop_Size[0], 1);
  // A missing link refuses the whole chain.
  StrCopy(Ga.In_Flnm[1], "gone.gai");
  ASSERT_EQ(GaWriteInputPrm(0, "Evo95.gai"), 1);
  EXPECT_EQ(GaMultiReadInputPrm(), 0);
  EXPECT_EQ(Ga.Pop_Size[0], 1);
  EXPECT_EQ(GaWriteInputPrm(GA_SETS, "x.gai"), 0);
}

TEST_F(ParameterFilesTest, QuadrupoleAssignmentsFollowTheirLinesByQuantumNumbers) {
  // Set 2: three lines with distinct quantum numbers.
  Sim = SimRecord{};
  Sim.FI_Lines[2] = 3;
  ASSERT_EQ(SAlloc1Dim(&Sim.FI_Jkk_Lbl[2], 18), 1);
  for (int i = 0; i < 18; ++i) Sim.FI_Jkk_Lbl[2][i] = static_cast<int16_t>(i / 6 + 1 + (i % 6) * 10);
  // Two entries (frequency, F', F'', line, uncertainty) and one whose line is gone.
  ASSERT_EQ(DAlloc1Dim(&Quad.Asn_TList[2], 15), 1);
  const double entries[15] = {1000.125, 1.5, 2.5, 2, 0.01, 999.5, 0.5, 1.5, 0, 0.02, 5.0, 1, 1, 7, 0.1};
  std::copy(entries, entries + 15, Quad.Asn_TList[2]);
  Quad.Asn_Cnt[2] = 3;
  Quad.Asn_Modified[2] = 1;
  ASSERT_EQ(QuadWriteAsnFile(2, "QuadC.asn"), 1);
  EXPECT_EQ(Quad.Asn_Modified[2], 0u);

  // The line list is reordered (lines 0 and 2 swap): the entries follow their lines.
  for (int k = 0; k < 6; ++k) std::swap(Sim.FI_Jkk_Lbl[2][k], Sim.FI_Jkk_Lbl[2][12 + k]);
  Quad.Asn_Modified[2] = 1;
  std::ofstream("QuadC.asn", std::ios::app) << "\n# note\n1 2 3 4 5 6 0.5 0.5 1 1\n";  // no such line
  ASSERT_EQ(QuadReadAsnFile(2), 1);
  ASSERT_EQ(Quad.Asn_Cnt[2], 2);
  const double* list = Quad.Asn_TList[2];
  EXPECT_EQ(list[0], 1000.125);
  EXPECT_EQ(list[1], 1.5);
  EXPECT_EQ(list[2], 2.5);
  EXPECT_EQ(list[3], 0.0);  // was line 2
  EXPECT_EQ(list[4], 0.01);
  EXPECT_EQ(list[8], 2.0);  // was line 0
  EXPECT_EQ(Quad.Asn_Modified[2], 0u);

  // A malformed row keeps the list as it was.
  std::ofstream("QuadC.asn", std::ios::app) << "1 2 3 4 5 6 0.5 0.5 1\n";
  EXPECT_EQ(QuadReadAsnFile(2), 0);
  EXPECT_EQ(Quad.Asn_Cnt[2], 2);
  EXPECT_EQ(Quad.Asn_TList[2], list);
  StrCopy(Quad.Asn_Flnm[2], "missing.asn");
  EXPECT_EQ(QuadReadAsnFile(2), 0);
  EXPECT_EQ(QuadWriteAsnFile(2, "no-folder/QuadC.asn"), 0);
  DFree1Dim(&Quad.Asn_TList[2]);
  SFree1Dim(&Sim.FI_Jkk_Lbl[2]);
  Sim = SimRecord{};
}

}  // namespace
}  // namespace qvtest
