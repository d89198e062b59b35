// Set management: freeing, the update question, sorting with every parallel array,
// the modified-assignment question and the assignment statistics.
#include <algorithm>
#include <cmath>
#include <random>

#include "SimFixture.h"
#include "platform/driver/TestDriver.h"

namespace qvtest {
namespace {

class SimSetsTest : public SimTest {};

// Every array entry of line i of set s still belongs to the line whose intensity is id.
void ExpectAligned(int16_t s, uint32_t nd, bool ht) {
  const uint32_t n = Sim.FI_Lines[s];
  for (uint32_t i = 0; i < n; ++i) {
    const float id = Sim.FI_Sim_Itn[s][i];
    const uint32_t old = static_cast<uint32_t>(id) - 1;
    SCOPED_TRACE(testing::Message() << "line " << i << " id " << id);
    if (i > 0) {
      ASSERT_LE(Sim.FI_Sim_Erg[s][i - 1], Sim.FI_Sim_Erg[s][i]);
    }
    ASSERT_EQ(Sim.FI_Exp_Unc[s][i], 0.5f * id);
    if (Sim.FI_Exp_Erg[s][i] != 0.0) {
      ASSERT_NEAR(Sim.FI_Exp_Erg[s][i] - Sim.FI_Sim_Erg[s][i], 0.01 * id, 1e-9);
    }
    ASSERT_EQ(Sim.FI_Amp[s][3 * i + 2], 10 * id + 2);
    ASSERT_EQ(Sim.FI_Imag[s][3 * i + 1], 20 * id + 1);
    ASSERT_EQ(Sim.FI_BT_Lbl[s][i], static_cast<char>('A' + old % 26));
    for (int k = 0; k < 6; ++k) ASSERT_EQ(Sim.FI_Jkk_Lbl[s][6 * i + k], static_cast<int16_t>(6 * old + k));
    ASSERT_EQ(Sim.FI_FM_Lbl[s][2 * i + 1], 30 * id + 1);
    for (uint32_t k = 0; k < nd; ++k) ASSERT_EQ(Sim.FI_Dev[s][nd * i + k], 40.0 * id + k);
    ASSERT_EQ(Sim.FI_Erg_Idx[s][SIM_GND][i], static_cast<int32_t>(50 * id));
    ASSERT_EQ(Sim.FI_Erg_Idx[s][SIM_EXC][i], static_cast<int32_t>(50 * id + 1));
    ASSERT_EQ(Sim.FI_Gau_FWHM[s][i], 60 * id);
    ASSERT_EQ(Sim.FI_Lor_FWHM[s][i], 70 * id);
    for (int k = 0; k < 5; ++k) {
      ASSERT_EQ(Sim.FI_LS_VarStat[s][5 * i + k], static_cast<BOOL>((old + k) % 2));
      ASSERT_EQ(Sim.FI_LS_StdDev[s][5 * i + k], 80 * id + k);
    }
    if (ht) {
      ASSERT_FLOAT_EQ(Sim.HT_Air_Gamma[s][i], static_cast<float>(0.01 * id));
      ASSERT_FLOAT_EQ(Sim.HT_Temp_Gamma[s][i], static_cast<float>(0.7 + 0.01 * id));
      ASSERT_FLOAT_EQ(Sim.HT_Itn[s][i], static_cast<float>(1e-20 * id));
      ASSERT_EQ(Sim.HT_Shift_Erg[s][i], Sim.FI_Sim_Erg[s][i]);
    }
  }
}

TEST_F(SimSetsTest, SortKeepsEveryParallelArrayAlignedOnRandomSets) {
  std::mt19937 random(20);
  for (int round = 0; round < 40; ++round) {
    const uint32_t n = 2 + random() % 60;
    const uint32_t nd = 2 * (random() % 3);
    const bool ht = round % 2 == 1;
    std::vector<double> freqs(n);
    for (double& f : freqs) f = static_cast<double>(random() % 25);  // many ties
    FillSet(3, n, nd, 3, ht, &freqs);
    Sim.FI_Asn_Lines[3] = 0;  // a stale count: the assignments travel all the same
    // Quadrupole assignments on lines 0 and n - 1.
    Quad.Asn_Cnt[3] = 2;
    ASSERT_EQ(DAlloc1Dim(&Quad.Asn_TList[3], 10), 1);
    Quad.Asn_TList[3][3] = 0;
    Quad.Asn_TList[3][8] = n - 1;
    const float first = Sim.FI_Sim_Itn[3][0], last = Sim.FI_Sim_Itn[3][n - 1];
    ASSERT_EQ(SimFISort(3, &Sim), 1);
    ExpectAligned(3, nd, ht);
    if (HasFatalFailure()) return;
    EXPECT_EQ(Sim.FI_Sim_Itn[3][static_cast<int>(Quad.Asn_TList[3][3])], first);
    EXPECT_EQ(Sim.FI_Sim_Itn[3][static_cast<int>(Quad.Asn_TList[3][8])], last);
  }
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(SimSetsTest, OneLineIsSortedWithoutAnIndex) {
  FillSet(0, 1, 0, 1, false);
  EXPECT_EQ(SimFISort(0, &Sim), 1);
  EXPECT_EQ(Sim.FI_SortIdx[0], nullptr);
}

TEST_F(SimSetsTest, FreeingKeepsIdentityAndEmptiesLineData) {
  FillSet(4, 5, 2, 2, true);
  StrCopy(Sim.Sim_Flnm[4], "keep");
  Sim.Dsp_Scalar[4] = 3.0;
  Sim.RC_Prm[4][0][0] = 1.5;
  Sim.Dsp_Stat[4] = Sim.Sim_Modified[4] = Sim.QN_Freeze[4] = Sim.HT_MHz_Stat[4] = 1;
  EXPECT_EQ(SimFIFreeQVS(4, &Sim, 1), 1);
  EXPECT_EQ(StatusText(3), "[E] SIM [keep] RESOURCES FREED");
  EXPECT_EQ(Sim.FI_Lines[4], 0u);
  EXPECT_EQ(Sim.FI_Sim_Erg[4], nullptr);
  EXPECT_EQ(Sim.HT_Mol_Lbl[4], nullptr);
  EXPECT_EQ(Sim.FI_Erg_Idx[4][1], nullptr);
  EXPECT_EQ(Sim.FI_AreaPeak_FAry[4], nullptr);
  EXPECT_EQ(Sim.Dsp_Stat[4] + Sim.Sim_Modified[4] + Sim.QN_Freeze[4] + Sim.HT_MHz_Stat[4], 0u);
  EXPECT_STREQ(Sim.Sim_Flnm[4], "keep");
  EXPECT_EQ(Sim.Dsp_Scalar[4], 3.0);
  EXPECT_EQ(Sim.RC_Prm[4][0][0], 1.5);
  EXPECT_EQ(Sim.AMP_STAT[4], 1u);  // the next read replaces it
}

TEST_F(SimSetsTest, UpdateAsksOnceInOneOfThreeFormsAndWritesOnYes) {
  EXPECT_EQ(SimFIUpdateQVS(), 1);
  EXPECT_TRUE(BoxTexts().empty());

  FillSet(0, 2, 0, 1, false);
  StrCopy(Sim.Sim_Flnm[0], "upd");
  Sim.Sim_Modified[0] = 1;
  Sim.Sim_Modified[5] = 1;  // no lines: cleared, not listed
  answers_ = {IDCANCEL};
  EXPECT_EQ(SimFIUpdateQVS(), 0);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0],
            "SIMS MODIFIED\n   [A] SIM [upd]\n\n\nUPDATE ALL [YES] | UPDATE NONE [NO] | RETURN TO PROGRAM [CANCEL]?");
  EXPECT_EQ(Sim.Sim_Modified[5], 0u);

  answers_ = {IDNO};
  EXPECT_EQ(SimFIUpdateQVS(), 1);
  EXPECT_FALSE(std::filesystem::exists("upd.QVS"));

  Sim.Asn_Modified[0] = 1;
  platform::ClearBoxLog();
  answers_ = {IDYES};
  EXPECT_EQ(SimFIUpdateQVS(), 1);
  EXPECT_EQ(BoxTexts()[0],
            "ASN FILES MODIFIED\n   [A] SIM [upd]\n\n\nSIMS MODIFIED\n   [A] SIM [upd]\n\n\n"
            "UPDATE ALL [YES] | UPDATE NONE [NO] | RETURN TO PROGRAM [CANCEL]?");
  EXPECT_TRUE(std::filesystem::exists("upd.QVS"));
  EXPECT_EQ(Sim.Sim_Modified[0], 0u);

  Quad.Asn_Modified[0] = 1;
  platform::ClearBoxLog();
  answers_ = {IDNO};
  EXPECT_EQ(SimFIUpdateQVS(), 1);
  EXPECT_EQ(BoxTexts()[0],
            "ASN FILES MODIFIED\n   [A] SIM [upd]\n\n\nUPDATE ALL [YES] | UPDATE NONE [NO] | RETURN TO PROGRAM [CANCEL]?");

  // A modified set without a name of its own is saved under the name chosen for it, not
  // as "NoName.QVS", which every unnamed set would share.
  Sim.Asn_Modified[0] = Quad.Asn_Modified[0] = 0;
  FillSet(2, 2, 0, 1, false);
  Sim.Sim_Modified[2] = 1;
  platform::driver::Answers answers;
  answers.Box("Question", "SIMS MODIFIED\n   [C] SIM [NoName]\n\n\n*", IDYES)
      .File((std::filesystem::current_path() / "built.QVS").string());
  EXPECT_EQ(SimFIUpdateQVS(), 1);
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_STREQ(Sim.Sim_Flnm[2], "built");
  EXPECT_TRUE(std::filesystem::exists("built.QVS"));
  EXPECT_FALSE(std::filesystem::exists("NoName.QVS"));
  EXPECT_EQ(Sim.Sim_Modified[2], 0u);
}

TEST_F(SimSetsTest, ModifiedAssignmentsAreKeptOnPreserve) {
  FillSet(1, 3, 0, 1, false);
  StrCopy(Sim.Sim_Flnm[1], "mod");
  Sim.Asn_Modified[1] = 1;
  answers_ = {IDNO};
  EXPECT_EQ(SimFIAsnModStat(1), 0);
  EXPECT_EQ(BoxTexts()[0], "[B] SIM [mod]\n\nSIM HAS MODIFIED JKK ASNs\n\nREMOVE [YES] | PRESERVE [NO]?");
  EXPECT_EQ(BoxTexts()[1], "[B] SIM [mod] NOT OVERWRITTEN & ASN PRESERVED");
  // A reload is refused the same way and leaves the set as it was.
  answers_ = {IDNO};
  EXPECT_EQ(SimFIReadQVS(1, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.FI_Lines[1], 3u);

  answers_ = {IDYES};
  EXPECT_EQ(SimFIAsnModStat(1), 1);

  // Modified quadrupole assignments: SAVE fails (no file chosen) and they are lost.
  Quad.Asn_Cnt[1] = 1;
  ASSERT_EQ(DAlloc1Dim(&Quad.Asn_TList[1], 5), 1);
  Quad.Asn_Modified[1] = 1;
  Sim.Asn_Modified[1] = 0;
  platform::ClearBoxLog();
  answers_ = {IDYES};
  EXPECT_EQ(SimFIAsnModStat(1), 1);
  EXPECT_EQ(BoxTexts()[0], "[B] SIM [mod]\n\nSIM HAS MODIFIED QUAD ASNs\n\nSAVE [YES] | REMOVE [NO]?");
  EXPECT_EQ(BoxTexts()[1], "MODIFIED QUAD ASN LOST");
  EXPECT_EQ(Quad.Asn_Modified[1], 0u);
}

TEST_F(SimSetsTest, AssignmentStatisticsAndClearing) {
  FillSet(2, 6, 0, 1, false);
  StrCopy(Sim.Sim_Flnm[2], "asn");
  for (uint32_t i = 0; i < 6; ++i) Sim.FI_Exp_Erg[2][i] = 0.0;
  EXPECT_EQ(SimFIAsnCalc(2, 0, 0), 1);
  EXPECT_EQ(Sim.FI_Asn_Lines[2], 0u);
  EXPECT_EQ(Sim.FI_OmC_Rms[2], 0.0f);
  EXPECT_EQ(Sim.Asn_Modified[2], 1u);

  Sim.FI_Exp_Erg[2][1] = Sim.FI_Sim_Erg[2][1] + 3.0;
  Sim.FI_Exp_Erg[2][4] = Sim.FI_Sim_Erg[2][4] - 4.0;
  SimFIAsnCalc(2, 0, 0);
  EXPECT_EQ(Sim.FI_Asn_Lines[2], 2u);
  EXPECT_FLOAT_EQ(Sim.FI_OmC_Rms[2], static_cast<float>(std::sqrt(12.5)));

  answers_ = {IDNO};  // "OVERWRITE [YES] | ABORT [NO]?"
  EXPECT_EQ(SimFIAsnCalc(2, 1, 0), 0);
  EXPECT_EQ(Sim.FI_Asn_Lines[2], 2u);
  answers_ = {IDNO};  // "CLEAR JKK ASNs IN MEMORY [YES] | ABORT [NO]?"
  EXPECT_EQ(SimFIAsnCalc(2, 1, 1), 1);
  EXPECT_EQ(Sim.FI_Asn_Lines[2], 2u);
  EXPECT_EQ(BoxTexts().back(), "[C] SIM [asn]\n\nCLEAR JKK ASNs IN MEMORY [YES] | ABORT [NO]?");
  answers_ = {IDYES};
  EXPECT_EQ(SimFIAsnCalc(2, 1, 1), 1);
  EXPECT_EQ(Sim.FI_Asn_Lines[2], 0u);
  EXPECT_EQ(Sim.FI_Exp_Erg[2][1], 0.0);
  EXPECT_EQ(Sim.Asn_Modified[2], 0u);
  EXPECT_EQ(Sim.FI_CD_FixSet_Cur[2], -1);
}

}  // namespace
}  // namespace qvtest
