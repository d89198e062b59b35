// The assignment writers: a public Pickett line list read into a set and written back,
// the assignment layouts with their questions, the readable tables, and that a failed
// or empty write never costs the user an older file.
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "models/quad/Quad.h"
#include "platform/driver/TestDriver.h"
#include "sim/SimAsnWrite.h"
#include "sim/SimLines.h"

namespace {

namespace drv = platform::driver;

std::string Data(const std::string& rel) { return std::string(QV95_TESTDATA_DIR) + "/" + rel; }

// One line of a Pickett list: eight quantum numbers, frequency, uncertainty.
struct PickettLine {
  int q[8] = {};
  double frq = 0.0;
  double unc = 0.0;
};

// The lines of a Pickett list that carry ten numbers (blank lines and comments skipped).
std::vector<PickettLine> ReadPickett(const std::string& text) {
  std::vector<PickettLine> lines;
  std::istringstream in(text);
  std::string row;
  while (std::getline(in, row)) {
    PickettLine l;
    if (std::sscanf(row.c_str(), "%d%d%d%d%d%d%d%d%lf%lf", &l.q[0], &l.q[1], &l.q[2], &l.q[3], &l.q[4], &l.q[5],
                    &l.q[6], &l.q[7], &l.frq, &l.unc) == 10)
      lines.push_back(l);
  }
  return lines;
}

class SimAsnWriteTest : public qvtest::SimTest {
 protected:
  void TearDown() override {
    QuadComponentsFree(0, &Quad);
    SimTest::TearDown();
  }

  // Set 0 labelled from the Pickett lines (J', Ka', Kc', F', J'', Ka'', Kc'', F''), its
  // simulated frequencies 0.05 below the observed ones, nothing assigned.
  void Labelled(const std::vector<PickettLine>& lines) {
    FillSet(0, static_cast<uint32_t>(lines.size()), 0, 2, false);
    StrCopy(Sim.Sim_Type[0], "PICKETT_8QN");
    Sim.FM_STAT[0] = 1;
    for (size_t i = 0; i < lines.size(); ++i) {
      const int* q = lines[i].q;
      int16_t* j = Sim.FI_Jkk_Lbl[0] + 6 * i;
      j[0] = static_cast<int16_t>(q[0]);
      j[1] = static_cast<int16_t>(q[1]);
      j[2] = static_cast<int16_t>(q[2]);
      j[3] = static_cast<int16_t>(q[4]);
      j[4] = static_cast<int16_t>(q[5]);
      j[5] = static_cast<int16_t>(q[6]);
      Sim.FI_FM_Lbl[0][2 * i] = static_cast<float>(q[3]);
      Sim.FI_FM_Lbl[0][2 * i + 1] = static_cast<float>(q[7]);
      Sim.FI_Sim_Erg[0][i] = lines[i].frq - 0.05;
      Sim.FI_Exp_Erg[0][i] = 0.0;
      Sim.FI_Exp_Unc[0][i] = 0.0f;
    }
    Sim.FI_Asn_Lines[0] = 0;
  }

  // Three lines of a six-number set: line i has J' = i + 2, Ka' = 3 for lines 0 and 2,
  // branch R (J'' = J' - 1) for lines 0 and 1, Q for line 2; all assigned.
  void SixQn() {
    FillSet(0, 3, 0, 2, false);
    Sim.FM_STAT[0] = 0;
    const int16_t labels[3][6] = {{2, 3, 0, 1, 2, 0}, {3, 1, 2, 2, 1, 1}, {4, 3, 1, 4, 2, 2}};
    for (int i = 0; i < 3; ++i) {
      for (int k = 0; k < 6; ++k) Sim.FI_Jkk_Lbl[0][6 * i + k] = labels[i][k];
      Sim.FI_Sim_Erg[0][i] = 1000.0 + i;
      Sim.FI_Exp_Erg[0][i] = 1000.0 + i + 0.002 * (i + 1);
      Sim.FI_Exp_Unc[0][i] = 0.01f;
      Sim.FI_BT_Lbl[0][i] = 'a';
    }
    Sim.FI_Asn_Lines[0] = 3;
    Sim.Asn_Modified[0] = 1;
  }
};

TEST_F(SimAsnWriteTest, PublicPickettListRoundTrip) {
  const std::string original = ReadAll(Data("catalogue/pyckett_MeCN.lin"));
  const std::vector<PickettLine> lines = ReadPickett(original);
  ASSERT_EQ(lines.size(), 254u);
  Labelled(lines);
  WriteAll("MeCN_in.lin", original);
  StrCopy(OrvPrm.Asn_Flnm, "MeCN_in.lin");

  // Every one of the 254 lines finds its line (the blank line none).
  ASSERT_EQ(SimFIAsnRead(0, &Sim), 1);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 254u);
  EXPECT_TRUE(drv::MatchPattern("MATCHED [254] OUT OF [254] LINES FROM ASN FILE [MeCN_in.lin]*", BoxTexts().back()));

  char name[200] = "MeCN.lin";
  {
    drv::Answers answers;
    answers.Box("Question", "HALF INTEGRAL SPIN [YES] | INTEGRAL SPIN [NO]?", IDNO)
        .Box("Info", "LINE POSITION UNCERTAINTIES DIFFER BY MORE THAN 10-FOLD*", IDOK);
    ASSERT_EQ(SimAsnWritePickett(0, name, 0.0), 1);
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  }
  EXPECT_EQ(Sim.Asn_Modified[0], 0u);
  const std::string first = ReadAll("MeCN.lin");
  const std::vector<PickettLine> written = ReadPickett(first);
  ASSERT_EQ(written.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    for (int k = 0; k < 8; ++k) EXPECT_EQ(written[i].q[k], lines[i].q[k]) << "line " << i;
    EXPECT_NEAR(written[i].frq, lines[i].frq, 5e-7) << "line " << i;
    EXPECT_EQ(std::llround(written[i].unc * 1e4), std::llround(lines[i].unc * 1e4)) << "line " << i;
  }
  EXPECT_EQ(first.substr(0, first.find('\n') + 1),
            "  1  0  1  1  0  0  1  1" + std::string(16, ' ') + "18396.725300" + std::string(10, ' ') + "0.0010  1.0\r\n");

  // Read back into a cleared set and written again: the same bytes. A fixed
  // combination-difference set is released before the file is read.
  for (uint32_t i = 0; i < Sim.FI_Lines[0]; ++i) Sim.FI_Exp_Erg[0][i] = 0.0;
  Sim.FI_Asn_Lines[0] = 0;
  ASSERT_EQ(BAlloc1Dim(&Sim.FI_CD_FixSet_Fixed[0], 1), 1);
  ASSERT_EQ(LAlloc1Dim(&Sim.FI_CD_FixSet_Cnt[0], 1), 1);
  ASSERT_EQ(LAlloc2Dim(&Sim.FI_CD_FixSet_Idx[0], 1, 1), 1);
  ASSERT_EQ(DAlloc2Dim(&Sim.FI_CD_FixSet_Erg[0], 1, 1), 1);
  Sim.FI_CD_FixSet_Tot[0] = 1;
  Sim.FI_CD_FixSet_Fixed[0][0] = 1;
  StrCopy(OrvPrm.Asn_Flnm, "MeCN.lin");
  ASSERT_EQ(SimFIAsnRead(0, &Sim), 1);
  EXPECT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 0);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 254u);
  char again[200] = "MeCN2.lin";
  ASSERT_EQ(SimAsnWritePickett(0, again, 0.0), 1);
  EXPECT_EQ(FirstDifference(ReadAll("MeCN2.lin"), first), -1);
}

TEST_F(SimAsnWriteTest, PickettSpinFrequencyFormsAndNameConversion) {
  SixQn();
  StrCopy(Sim.Sim_Type[0], "PICKETT_8QN");
  Sim.FM_STAT[0] = 1;
  Sim.FI_FM_Lbl[0][0] = 1.5f;
  Sim.FI_FM_Lbl[0][1] = 2.5f;
  Sim.FI_FM_Lbl[0][4] = Sim.FI_FM_Lbl[0][5] = 0.0f;
  Sim.FI_Exp_Erg[0][1] = 0.0;
  Sim.FI_Exp_Erg[0][2] = 1.5e9;
  // Half-integral: 1.5 and 2.5 become 2 and 3; 1e9 and more keeps five decimals.
  answers_ = {IDYES};
  char name[200] = "h.lin";
  ASSERT_EQ(SimAsnWritePickett(0, name, 0.0), 1);
  EXPECT_EQ(ReadAll("h.lin"),
            "  2  3  0  2  1  2  0  3                 1000.002000          0.0100  1.0\r\n"
            "  4  3  1  0  4  2  2  0            1500000000.00000          0.0100  1.0\r\n");
  // Integral: 2 and 3 stay 2 and 3.
  Sim.FI_FM_Lbl[0][0] = 2.0f;
  Sim.FI_FM_Lbl[0][1] = 3.0f;
  answers_ = {IDNO};
  ASSERT_EQ(SimAsnWritePickett(0, name, 0.0), 1);
  EXPECT_EQ(ReadAll("h.lin").substr(0, 24), "  2  3  0  2  1  2  0  3");

  // "x.lin.asn" is offered as "x.lin"; the set without F labels gets its set number as V.
  StrCopy(Sim.Sim_Type[0], "ORV v5.1");
  Sim.FM_STAT[0] = 0;
  Sim.FI_Exp_Erg[0][2] = 1002.006;
  char asn[200] = "x.lin.asn";
  {
    drv::Answers answers;
    answers.Box("Question", "CONVERT [x.lin] TO PICKETT'S FORMAT [YES] | ABORT [NO]?", IDYES)
        .Box("Info", "V QN SET TO [0] & [0] FOR UPPER & LOWER STATES", IDOK);
    ASSERT_EQ(SimAsnWritePickett(0, asn, 0.0), 1);
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  }
  EXPECT_STREQ(asn, "x.lin");
  EXPECT_FALSE(std::filesystem::exists("x.lin.asn"));
  EXPECT_EQ(ReadAll("x.lin").substr(0, 24), "  2  3  0  0  1  2  0  0");
  // Declined: nothing written.
  char declined[200] = "y.lin.asn";
  answers_ = {IDNO};
  EXPECT_EQ(SimAsnWritePickett(0, declined, 0.0), 0);
  EXPECT_FALSE(std::filesystem::exists("y.lin"));
}

TEST_F(SimAsnWriteTest, AssignmentLayoutsFilterOffsetAndChecks) {
  SixQn();
  // Six numbers, the "//" end line.
  char name[200] = "a.asn";
  ASSERT_EQ(SimAsnWritePickett(0, name, 0.0), 1);
  EXPECT_EQ(ReadAll("a.asn"),
            " a   2   3   0     1   2   0       1000.0020          0.0100\r\n"
            " a   3   1   2     2   1   1       1001.0040          0.0100\r\n"
            " a   4   3   1     4   2   2       1002.0060          0.0100\r\n"
            "//\r\n");
  EXPECT_EQ(Sim.Asn_Modified[0], 0u);
  // F labels: no end line.
  Sim.FM_STAT[0] = 1;
  Sim.FI_FM_Lbl[0][0] = 2.5f;
  Sim.FI_FM_Lbl[0][1] = 1.5f;
  ASSERT_EQ(SimAsnWritePickett(0, name, 0.0), 1);
  const std::string fm = ReadAll("a.asn");
  EXPECT_EQ(fm.substr(0, 58), " a   2   3   0    2.5     1   2   0    1.5       1000.0020");
  EXPECT_EQ(fm.find("//"), std::string::npos);
  Sim.FM_STAT[0] = 0;

  // Filter Ka' = 3 with branch R: only line 0, also in a Pickett list.
  Sim.Jkk_Filter[0][0] = Sim.Jkk_Filter[0][1] = 1;
  Sim.Jkk_QNIdx[0] = 1;
  Sim.Jkk_QNVal[0] = 3;
  Sim.Jkk_BrVal[0] = 1;
  answers_ = {IDYES};
  ASSERT_EQ(SimAsnWritePickett(0, name, 0.0), 1);
  EXPECT_EQ(ReadAll("a.asn"), " a   2   3   0     1   2   0       1000.0020          0.0100\r\n//\r\n");
  char lin[200] = "f.lin";
  answers_ = {IDYES};
  ASSERT_EQ(SimAsnWritePickett(0, lin, 0.0), 1);
  EXPECT_EQ(ReadAll("f.lin"), "  2  3  0  0  1  2  0  0                 1000.002000          0.0100  1.0\r\n");
  answers_ = {IDNO};  // save all
  ASSERT_EQ(SimAsnWritePickett(0, lin, 0.0), 1);
  EXPECT_EQ(ReadPickett(ReadAll("f.lin")).size(), 3u);
  Sim.Jkk_Filter[0][0] = Sim.Jkk_Filter[0][1] = 0;

  // Data far above the assigned frequencies: the offer adds the data's megahertz millions.
  Dsp.Init_Frq = 2123456.0;
  Dsp.Frq_Stp = 1.0;
  Win.Active_Chn = 0;
  Dsp.FL_SZ[3][0] = 100;
  {
    drv::Answers answers;
    answers.Box("Question", "ADD [2000000.000000] TO ASSIGNED FREQUENCIES [YES] | SKIP [NO]?", IDYES)
        .Box("Info", "ASSIGNED LINES FOUND THAT ARE OUTSIDE OF RAW DATA RANGE=[3]", IDOK);
    ASSERT_EQ(SimAsnWritePickett(0, name, 0.0), 1);
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  }
  EXPECT_EQ(ReadAll("a.asn").substr(0, 62), " a   2   3   0     1   2   0    2001000.0020          0.0100\r\n");
  // Uncertainties more than ten-fold apart are pointed out.
  Win.Active_Chn = 9;
  Sim.FI_Exp_Unc[0][1] = 0.2f;
  answers_ = {IDNO};
  ASSERT_EQ(SimAsnWritePickett(0, name, 0.0), 1);
  EXPECT_EQ(BoxTexts().back(),
            "LINE POSITION UNCERTAINTIES DIFFER BY MORE THAN 10-FOLD\n\nCHECK EXPT UNC IN JKK QN DIALOG USING ASN "
            "LIST\n\nCONTINUING");

  // A file that cannot be written: 0, the assignments still count as unsaved.
  Sim.Asn_Modified[0] = 1;
  char bad[200] = "no_such_folder/a.asn";
  EXPECT_EQ(SimAsnWritePickett(0, bad, 0.0), 0);
  EXPECT_EQ(Sim.Asn_Modified[0], 1u);
}

TEST_F(SimAsnWriteTest, AsciiTablesAndNoLossOfAnOlderTable) {
  SixQn();
  Sim.FI_Exp_Erg[0][1] = 0.0;
  Sim.FI_Asn_Lines[0] = 2;
  for (int i = 0; i < 3; ++i) Sim.FI_Sim_Itn[0][i] = 0.5f * (i + 1);
  // JKK, assigned only.
  answers_ = {IDYES};
  ASSERT_EQ(SimAsnWriteAscii(0, "t.aso"), 1);
  EXPECT_EQ(ReadAll("t.aso"),
            "BT J' Ka' Kc' - J\" Ka\" Kc\"      Expt Frq   O-C\r\n"
            "a   2   3   0 -  1   2   0      1000.002   2.0\r\n"
            "a   4   3   1 -  4   2   2      1002.006   6.0\r\n");
  // JKK, full list: the unassigned line shows intensity and simulated frequency only.
  answers_ = {IDNO};
  ASSERT_EQ(SimAsnWriteAscii(0, "t.aso"), 1);
  EXPECT_EQ(ReadAll("t.aso"),
            "BT J' Ka' Kc' - J\" Ka\" Kc\"   Sim Itn      Sim Frq     Expt Frq   O-C\r\n"
            "a   2   3   0 -  1   2   0     0.500     1000.000     1000.002   2.0\r\n"
            "a   3   1   2 -  2   1   1     1.000     1001.000\r\n"
            "a   4   3   1 -  4   2   2     1.500     1002.000     1002.006   6.0\r\n");
  // FJKK of a Pickett set, half-integral.
  Sim.FM_STAT[0] = 1;
  StrCopy(Sim.Sim_Type[0], "PICKETT_8QN");
  Sim.FI_FM_Lbl[0][0] = 1.5f;
  Sim.FI_FM_Lbl[0][1] = 2.5f;
  answers_ = {IDYES, IDYES};
  ASSERT_EQ(SimAsnWriteAscii(0, "t.aso"), 1);
  const std::string fjkk = ReadAll("t.aso");
  EXPECT_EQ(fjkk.substr(0, fjkk.find('\n') + 1),
            "BT F'   J' Ka' Kc' - F\"   J\" Ka\" Kc\"    Expt Frq    O-C\r\n");
  EXPECT_NE(fjkk.find("a   2.0  2   3   0 -  3.0  1   2   0      1000.002   2.0\r\n"), std::string::npos);

  // QUAD: the component of line 2 assigned in the quadrupole list.
  Sim.QC_STAT[0] = 1;
  ASSERT_EQ(DAlloc1Dim(&Quad.Asn_TList[0], 5), 1);
  const double entry[5] = {1002.01, 4.0, 4.0, 2.0, 0.02};  // a line that does not split: F' = J', F'' = J''
  std::copy(entry, entry + 5, Quad.Asn_TList[0]);
  Quad.Asn_Cnt[0] = 1;
  Sim.QN_Sel_Line[0] = 0;
  answers_ = {IDYES};
  ASSERT_EQ(SimAsnWriteAscii(0, "q.aso"), 1);
  EXPECT_EQ(Quad.Comp_Frq[0][0], 1000.0);  // the components are the selected line's again
  EXPECT_EQ(ReadAll("q.aso"),
            "BT J' Ka' Kc' - J\" Ka\" Kc\"     F'   F\"      Expt Frq   O-C\r\n"
            "a   4   3   1 -  4   2   2     4     4      1002.010  10.0\r\n");

  // Nothing assigned: warned, and the older table stays as it was.
  WriteAll("old.aso", "older table\r\n");
  Quad.Asn_Cnt[0] = 0;
  answers_ = {IDYES};
  EXPECT_EQ(SimAsnWriteAscii(0, "old.aso"), 0);
  EXPECT_EQ(BoxTexts().back(), "QUADRUPOLE ASN LINES NOT FOUND IN [A] SIM [NoName]\n\nABORTING");
  EXPECT_EQ(ReadAll("old.aso"), "older table\r\n");
  Sim.QC_STAT[0] = 0;
  Sim.FM_STAT[0] = 0;
  for (int i = 0; i < 3; ++i) Sim.FI_Exp_Erg[0][i] = 0.0;
  Sim.FI_Asn_Lines[0] = 0;
  answers_ = {IDYES};
  EXPECT_EQ(SimAsnWriteAscii(0, "old.aso"), 0);
  EXPECT_EQ(BoxTexts().back(), "JKK ASN LINES NOT FOUND IN [A] SIM [NoName]\n\nABORTING");
  // The full list of a set without assignments writes no new table either.
  answers_ = {IDNO};
  EXPECT_EQ(SimAsnWriteAscii(0, "old.aso"), 1);
  EXPECT_EQ(ReadAll("old.aso"), "older table\r\n");
  // A table that cannot be created is reported.
  EXPECT_EQ(SimAsnWriteAscii(0, "no_such_folder/t.aso"), 0);
  EXPECT_EQ(BoxTexts().back(), "FAILED TO CREATE ASCII OUTPUT FILE [no_such_folder/t.aso]\n\nABORTING");
}

}  // namespace
