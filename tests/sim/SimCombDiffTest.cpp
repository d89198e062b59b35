// Combination differences on a real line list (formaldehyde, rotational quantum numbers
// J Ka Kc): every loop closes within its uncertainties, the fix sets shift and restore
// exactly, stay out of written simulation files and go to ".acd" files; the error
// analysis of ground-state differences.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "core/TypedArrays.h"
#include "platform/kernel/Text.h"
#include "sim/SimAscii.h"
#include "sim/SimCombDiff.h"

namespace {

struct LinLine {
  int16_t q[6];
  double f;
  double unc;
};

std::vector<LinLine> ReadLin(const std::string& path) {
  std::vector<LinLine> out;
  std::ifstream in(path);
  std::string text;
  while (std::getline(in, text)) {
    std::istringstream fields(text);
    LinLine l{};
    for (int16_t& q : l.q) fields >> q;
    fields >> l.f >> l.unc;
    if (fields) out.push_back(l);
  }
  return out;
}

class SimCombDiffTest : public qvtest::SimTest {
 protected:
  void TearDown() override {
    for (int16_t s = 0; s < SIM_SETS; ++s)
      for (auto*& list : Sim.FI_CD_List_Ary[s]) LFree1Dim(&list);
    SimTest::TearDown();
  }

  // The formaldehyde list as an "ASCII_6QN" set: every line assigned at its own
  // frequency, the list's uncertainties kept.
  void LoadCh2o(int16_t s) {
    lin_ = ReadLin(std::string(QV95_TESTDATA_DIR) + "/catalogue/pyckett_ch2o.lin");
    ASSERT_EQ(lin_.size(), 274u);
    std::string text;
    for (const LinLine& l : lin_)
      text += StrPrintf("A %d %d %d %d %d %d 1.0 %.4f %.4f\n", l.q[0], l.q[1], l.q[2], l.q[3], l.q[4], l.q[5], l.f, l.f);
    WriteAll("ch2o.a", text);
    ASSERT_EQ(SimFIAscii2Binary(s, "ch2o.a", "ASCII_6QN"), 1);
    ASSERT_EQ(Sim.FI_Lines[s], 274u);
    for (uint32_t i = 0; i < 274; ++i) Sim.FI_Exp_Unc[s][i] = static_cast<float>(lin_[i].unc);
  }
  const int16_t* Qn(int16_t s, int32_t line) const { return Sim.FI_Jkk_Lbl[s] + 6 * line; }
  bool SameUpper(int16_t s, int32_t a, int32_t b) const { return std::equal(Qn(s, a), Qn(s, a) + 3, Qn(s, b)); }
  bool SameLower(int16_t s, int32_t a, int32_t b) const {
    return std::equal(Qn(s, a) + 3, Qn(s, a) + 6, Qn(s, b) + 3);
  }
  std::vector<int32_t> CdList(int16_t s, int k) const {
    const int32_t* a = Sim.FI_CD_List_Ary[s][k];
    return a ? std::vector<int32_t>(a, a + Sim.FI_CD_List_Tot[s][k]) : std::vector<int32_t>{};
  }
  // Line index of a transition given by its six quantum numbers, -1 when absent.
  int32_t Find(int16_t s, std::vector<int16_t> q) const {
    for (int32_t i = 0; static_cast<uint32_t>(i) < Sim.FI_Lines[s]; ++i)
      if (std::equal(q.begin(), q.end(), Qn(s, i))) return i;
    return -1;
  }
  // Six lines: 0, 1 and 2 end in the same upper level, 3 and 4 in another, 5 alone.
  void SmallSet() {
    FillSet(0, 6, 0, 4, false);
    const int16_t q[6][6] = {{3, 1, 2, 2, 1, 1}, {3, 1, 2, 3, 0, 3}, {3, 1, 2, 4, 1, 3},
                             {4, 3, 1, 3, 3, 0}, {4, 3, 1, 4, 2, 2}, {5, 0, 5, 4, 0, 4}};
    for (int i = 0; i < 6; ++i) {
      std::copy(q[i], q[i] + 6, Sim.FI_Jkk_Lbl[0] + 6 * i);
      Sim.FI_Sim_Erg[0][i] = 10000.0 + 1000.0 * i + 0.125;
      Sim.FI_Exp_Erg[0][i] = 0.0;
      Sim.FI_BT_Lbl[0][i] = 'A';
    }
    Sim.CD_Search[0][CD_LS] = 0;
    Sim.CD_Search[0][CD_US] = 1;
  }
  void Fix(int32_t f, BOOL on) {
    Sim.FI_CD_FixSet_Fixed[0][f] = on;
    CombDiffFixRestore(0, f);
  }

  std::vector<LinLine> lin_;
};

TEST_F(SimCombDiffTest, EveryLoopOfTheFormaldehydeListClosesWithinItsUncertainties) {
  LoadCh2o(0);
  const double* f = Sim.FI_Exp_Erg[0];
  const float* u = Sim.FI_Exp_Unc[0];
  int32_t loops = 0, groups = 0;
  for (int32_t sel = 0; sel < 274; ++sel) {
    // Loop mode: quadruples of selected line, closing line, LS partner, US partner.
    Sim.CD_Loop[0] = 1;
    ASSERT_EQ(CombDiffFind(0, sel, 0.0, 1e7), 1);
    const std::vector<int32_t> ls = CdList(0, CD_LS), us = CdList(0, CD_US), bs = CdList(0, CD_BS);
    ASSERT_FALSE(ls.empty());
    ASSERT_FALSE(us.empty());
    EXPECT_EQ(ls[0], sel);
    EXPECT_EQ(us[0], sel);
    for (size_t k = 1; k < ls.size(); ++k) EXPECT_TRUE(SameLower(0, ls[k], sel) && ls[k] != sel);
    for (size_t k = 1; k < us.size(); ++k) EXPECT_TRUE(SameUpper(0, us[k], sel) && us[k] != sel);
    ASSERT_EQ(bs.size() % 4, 0u) << sel;
    for (size_t k = 0; k < bs.size(); k += 4) {
      const int32_t m = bs[k + 1], l = bs[k + 2], v = bs[k + 3];
      EXPECT_EQ(bs[k], sel);
      EXPECT_TRUE(SameUpper(0, m, l) && SameLower(0, m, v));
      const double closure = f[sel] - f[l] - f[v] + f[m];
      EXPECT_LE(std::fabs(closure), u[sel] + u[l] + u[v] + u[m] + 1e-6)
          << "loop " << sel << " " << m << " " << l << " " << v << " closes at " << closure;
      ++loops;
    }
    // Without loops: both lists, then every closing line once per pair.
    Sim.CD_Loop[0] = 0;
    ASSERT_EQ(CombDiffFind(0, sel, 0.0, 1e7), 1);
    EXPECT_EQ(CdList(0, CD_BS).size(), ls.size() + us.size() + bs.size() / 4);
    groups += ls.size() > 1 && us.size() > 1 ? 1 : 0;
  }
  // Each closed loop is met once from each of its four lines.
  EXPECT_GE(loops, 4);
  EXPECT_EQ(loops % 4, 0);
  EXPECT_GT(groups, 30);
  EXPECT_EQ(StatusText(2).substr(0, 31), "[A] SIM [NoName] - CD BS:LS:US=");
}

TEST_F(SimCombDiffTest, WindowSelectionOrderAndEmptyLoops) {
  LoadCh2o(0);
  // No selected line: said so, nothing built.
  ASSERT_EQ(CombDiffFind(0, -1, 0.0, 1e7), 1);
  EXPECT_EQ(StatusText(0), "[A] SIM [NoName] - CD ERROR - SELECT SIM LINE FIRST");
  EXPECT_EQ(Sim.FI_CD_List_Tot[0][CD_BS], 0u);

  // 3(1,3)-2(1,2) shares its lower level with 2(1,1)-2(1,2); a window ending exactly
  // on that partner leaves it out.
  const int32_t sel = Find(0, {3, 1, 3, 2, 1, 2});
  const int32_t lsPartner = Find(0, {2, 1, 1, 2, 1, 2});
  ASSERT_GE(sel, 0);
  ASSERT_GE(lsPartner, 0);
  const double fp = Sim.FI_Sim_Erg[0][lsPartner];
  ASSERT_EQ(CombDiffFind(0, sel, 0.0, 1e7), 1);
  const std::vector<int32_t> ls = CdList(0, CD_LS);
  EXPECT_NE(std::find(ls.begin(), ls.end(), lsPartner), ls.end());
  ASSERT_EQ(CombDiffFind(0, sel, fp, 1e7), 1);
  EXPECT_EQ(CdList(0, CD_LS)[0], sel);
  const std::vector<int32_t> strict = CdList(0, CD_LS);
  EXPECT_EQ(std::find(strict.begin(), strict.end(), lsPartner), strict.end());

  // A window with no partner: one entry each, BS 2.
  const double fs = Sim.FI_Sim_Erg[0][sel];
  ASSERT_EQ(CombDiffFind(0, sel, fs - 0.001, fs + 0.001), 1);
  EXPECT_EQ(CdList(0, CD_LS), std::vector<int32_t>{sel});
  EXPECT_EQ(CdList(0, CD_US), std::vector<int32_t>{sel});
  EXPECT_EQ(CdList(0, CD_BS), (std::vector<int32_t>{sel, sel}));
  EXPECT_EQ(StatusText(2), "[A] SIM [NoName] - CD BS:LS:US=[ 2][ 1][ 1]");

  // Equal ends: the active channel's range (here up to just below the partner).
  Win.Active_Chn = 0;
  Dsp.Init_Frq = 0.0;
  Dsp.Frq_Stp = 1.0;
  Dsp.FL_SZ[3][0] = static_cast<uint32_t>(fp);
  ASSERT_EQ(CombDiffFind(0, sel, 5.0, 5.0), 1);
  const std::vector<int32_t> chan = CdList(0, CD_LS);
  EXPECT_EQ(std::find(chan.begin(), chan.end(), lsPartner), chan.end());
  Dsp.FL_SZ[3][0] = 3000000;
  ASSERT_EQ(CombDiffFind(0, sel, 0.0, 0.0), 1);
  EXPECT_EQ(CdList(0, CD_LS), ls);

  // Partners ordered strongest first, the selected line staying first.
  for (uint32_t i = 0; i < 274; ++i) Sim.FI_Sim_Itn[0][i] = static_cast<float>(i + 1);
  int32_t busy = -1;
  for (int32_t i = 0; i < 274 && busy < 0; ++i) {
    ASSERT_EQ(CombDiffFind(0, i, 0.0, 1e7), 1);
    if (Sim.FI_CD_List_Tot[0][CD_US] >= 3) busy = i;
  }
  ASSERT_GE(busy, 0);
  const std::vector<int32_t> byItn = CdList(0, CD_US);
  EXPECT_EQ(byItn[0], busy);
  EXPECT_TRUE(std::is_sorted(byItn.begin() + 1, byItn.end(), std::greater<int32_t>()));

  // Loop mode keeps assigned closing lines only: none assigned, BS 0.
  Sim.CD_Loop[0] = 1;
  int32_t looped = -1;
  for (int32_t i = 0; i < 274 && looped < 0; ++i) {
    ASSERT_EQ(CombDiffFind(0, i, 0.0, 1e7), 1);
    if (Sim.FI_CD_List_Tot[0][CD_BS] > 0) looped = i;
  }
  ASSERT_GE(looped, 0);
  const std::vector<int32_t> bs = CdList(0, CD_BS);
  for (size_t k = 1; k < bs.size(); k += 4) Sim.FI_Exp_Erg[0][bs[k]] = 0.0;
  ASSERT_EQ(CombDiffFind(0, looped, 0.0, 1e7), 1);
  EXPECT_EQ(Sim.FI_CD_List_Tot[0][CD_BS], 0u);
  EXPECT_NE(StatusText(2).find("BS:LS:US=[ 0]"), std::string::npos);
  // Only one of the lists: no loops, BS is that list.
  Sim.CD_Search[0][CD_LS] = 0;
  ASSERT_EQ(CombDiffFind(0, busy, 0.0, 1e7), 1);
  EXPECT_EQ(Sim.FI_CD_List_Tot[0][CD_LS], 0u);
  EXPECT_EQ(CdList(0, CD_BS), CdList(0, CD_US));
}

TEST_F(SimCombDiffTest, FixSetsShiftByTheMeanRestoreExactlyAndAreReused) {
  SmallSet();
  Sim.FI_Exp_Erg[0][0] = Sim.FI_Sim_Erg[0][0] + 0.2;
  Sim.FI_Exp_Erg[0][1] = Sim.FI_Sim_Erg[0][1] + 0.4;
  const std::vector<double> before(Sim.FI_Sim_Erg[0], Sim.FI_Sim_Erg[0] + 6);
  Sim.CD_FixMode[0] = 1;
  ASSERT_EQ(CombDiffFind(0, 2, 0.0, 1e7), 1);
  EXPECT_EQ(StatusText(3), "[A] SIM [NoName] - CD SET NEW   [ 0] CD [ 3]");
  ASSERT_EQ(Sim.FI_CD_FixSet_Tot[0], 1u);
  EXPECT_EQ(Sim.FI_CD_FixSet_Cur[0], 0);
  EXPECT_EQ(Sim.FI_CD_FixSet_Cnt[0][0], 3);
  EXPECT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 0);

  // O-C +0.2 and +0.4: all three move by +0.3; the others stay.
  Fix(0, 1);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(Sim.FI_Sim_Erg[0][i], before[i] + 0.3, 1e-9) << i;
  for (int i = 3; i < 6; ++i) EXPECT_EQ(Sim.FI_Sim_Erg[0][i], before[i]);

  // A member selected again finds its set unchanged.
  ASSERT_EQ(CombDiffFind(0, 0, 0.0, 1e7), 1);
  EXPECT_EQ(StatusText(3), "[A] SIM [NoName] - CD SET OLD   [ 0] CD [ 3]");
  EXPECT_EQ(Sim.FI_CD_FixSet_Tot[0], 1u);
  EXPECT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 1);

  // A simulation file written meanwhile holds the unshifted frequencies; the set
  // stays shifted.
  StrCopy(Sim.Sim_Flnm[0], "fixed");
  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(Sim.FI_Sim_Erg[0][i], before[i] + 0.3, 1e-9);
  StrCopy(Sim.Sim_Flnm[1], "fixed");
  ASSERT_EQ(SimFIReadQVS(1, &Sim, 0, 1), 1);
  ASSERT_EQ(Sim.FI_Lines[1], 6u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Sim.FI_Sim_Erg[1][i], before[i]) << i;

  // Restoring gives back the exact values, and a second restore is refused.
  Fix(0, 0);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Sim.FI_Sim_Erg[0][i], before[i]);
  const size_t boxes = BoxTexts().size();
  CombDiffFixRestore(0, 0);
  ASSERT_EQ(BoxTexts().size(), boxes + 3);
  EXPECT_EQ(BoxTexts().back(), "CombDiffFixRestore()\n\nFRQ TO RESTORE IS ZERO\nSKIPPING (PROGRAM BUG)");
  EXPECT_EQ(BoxCaptions().back(), "WARNING");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Sim.FI_Sim_Erg[0][i], before[i]);

  // A second group gets a set of its own; nothing assigned in it: no shift.
  ASSERT_EQ(CombDiffFind(0, 3, 0.0, 1e7), 1);
  EXPECT_EQ(StatusText(3), "[A] SIM [fixed] - CD SET NEW   [ 1] CD [ 2]");
  Fix(1, 1);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][3], before[3]);
  Fix(1, 0);

  // Once the first set's assignments are gone it is restored and taken for the next
  // group that needs a set.
  Fix(0, 1);
  Sim.FI_Exp_Erg[0][0] = Sim.FI_Exp_Erg[0][1] = 0.0;
  ASSERT_EQ(CombDiffFind(0, 5, 0.0, 1e7), 1);
  EXPECT_EQ(StatusText(3), "[A] SIM [fixed] - CD SET EMPTY [ 0] CD [ 1]");
  EXPECT_EQ(Sim.FI_CD_FixSet_Tot[0], 2u);
  EXPECT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 0);
  EXPECT_EQ(Sim.FI_CD_FixSet_Idx[0][0][0], 5);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Sim.FI_Sim_Erg[0][i], before[i]);
}

TEST_F(SimCombDiffTest, AcdRowsCarryTheShiftAndFollowTheFilter) {
  SmallSet();
  // Line 1 becomes Ka' = 3, branch R (J' - J'' = 1) like line 3.
  const int16_t q1[6] = {4, 3, 1, 3, 3, 0};
  std::copy(q1, q1 + 6, Sim.FI_Jkk_Lbl[0] + 6);
  std::copy(q1, q1 + 6, Sim.FI_Jkk_Lbl[0] + 12);
  Sim.FI_Jkk_Lbl[0][12 + 3] = 5;  // line 2: branch P
  Sim.FI_Exp_Erg[0][0] = Sim.FI_Sim_Erg[0][0] + 0.2;
  Sim.FI_Exp_Erg[0][1] = Sim.FI_Sim_Erg[0][1] + 0.4;
  Sim.FI_Exp_Unc[0][0] = 0.05f;
  Sim.FI_Exp_Unc[0][1] = 0.025f;
  Sim.CD_FixMode[0] = 1;
  // One fix set of lines 0, 1 and 2 built by hand (the group of line 0), fixed.
  ASSERT_EQ(CombDiffFind(0, 5, 0.0, 1e7), 1);
  ASSERT_EQ(Sim.FI_CD_FixSet_Tot[0], 1u);
  Sim.FI_CD_FixSet_Cnt[0][0] = 1;
  ASSERT_EQ(LReAlloc2Dim(&Sim.FI_CD_FixSet_Idx[0], 1, 1, 3), 1);
  ASSERT_EQ(DReAlloc2Dim(&Sim.FI_CD_FixSet_Erg[0], 1, 1, 3), 1);
  Sim.FI_CD_FixSet_Cap[0] = 3;
  for (int m = 0; m < 3; ++m) {
    Sim.FI_CD_FixSet_Idx[0][0][m] = m;
    Sim.FI_CD_FixSet_Erg[0][0][m] = 0.0;
  }
  Sim.FI_CD_FixSet_Cnt[0][0] = 3;
  Fix(0, 1);

  char name[40] = "lines";
  ASSERT_EQ(CombDiffSaveAsn(name, sizeof name, 0), 1);
  EXPECT_STREQ(name, "lines.acd");
  const std::string all = ReadAll("lines.acd");
  EXPECT_EQ(all,
            " A   3   1   2     2   1   1      10000.3250          0.0500          0.3000\r\n"
            " A   4   3   1     3   3   0      11000.5250          0.0250          0.3000\r\n"
            " A   4   3   1     5   3   0          0.0000          1.5000          0.3000\r\n");

  // Filter Ka' = 3, branch R: asked, and with YES only line 1 is written.
  Sim.Jkk_Filter[0][0] = Sim.Jkk_Filter[0][1] = 1;
  Sim.Jkk_QNIdx[0] = 1;
  Sim.Jkk_QNVal[0] = 3;
  Sim.Jkk_BrVal[0] = 1;
  answers_.push_back(IDYES);
  char filtered[40] = "lines";
  ASSERT_EQ(CombDiffSaveAsn(filtered, sizeof filtered, 0), 1);
  EXPECT_EQ(BoxTexts().back(), "APPLY QN FILTER WHEN SAVING ASN [YES] | SAVE ALL [NO]?");
  EXPECT_EQ(BoxCaptions().back(), "Question");
  EXPECT_EQ(ReadAll("lines.acd"), " A   4   3   1     3   3   0      11000.5250          0.0250          0.3000\r\n");
  // NO writes every member again.
  answers_.push_back(IDNO);
  char again[40] = "lines";
  ASSERT_EQ(CombDiffSaveAsn(again, sizeof again, 0), 1);
  EXPECT_EQ(ReadAll("lines.acd"), all);

  // A released set is not written; a name without room or a folder that does not
  // exist gives 0 and leaves the older file.
  Fix(0, 0);
  Sim.Jkk_Filter[0][0] = Sim.Jkk_Filter[0][1] = 0;
  char tight[8] = "lines";
  EXPECT_EQ(CombDiffSaveAsn(tight, sizeof tight, 0), 0);
  char missing[40] = "no/such/dir/x";
  EXPECT_EQ(CombDiffSaveAsn(missing, sizeof missing, 0), 0);
  EXPECT_EQ(ReadAll("lines.acd"), all);
  char empty[40] = "lines";
  ASSERT_EQ(CombDiffSaveAsn(empty, sizeof empty, 0), 1);
  EXPECT_EQ(ReadAll("lines.acd"), "");
}

TEST_F(SimCombDiffTest, ErrorAnalysisPairsEveryUpperLevelShareOnceAndFitsALine) {
  // Five lines of one upper level (ten pairs, more than there are lines) and two of
  // another; ground-state energies through the level index.
  FillSet(0, 7, 0, 8, false);
  const double ground[8] = {0.0, 1.0, 3.0, 7.0, 15.0, 20.0, 21.0, 0.0};
  for (int l = 0; l < 8; ++l) Sim.FI_HamErg_Vector[0][SIM_GND][l] = ground[l];
  for (int i = 0; i < 7; ++i) {
    int16_t* q = Sim.FI_Jkk_Lbl[0] + 6 * i;
    q[0] = i < 5 ? 2 : 7;
    q[1] = q[2] = 1;
    q[3] = static_cast<int16_t>(i);
    q[4] = q[5] = 0;
    Sim.FI_Erg_Idx[0][SIM_GND][i] = i;
    // Observed f = E_upper - E_lower with an error growing with the lower energy.
    const double upper = i < 5 ? 1000.0 : 2000.0;
    Sim.FI_Exp_Erg[0][i] = upper - ground[i] + 0.001 * ground[i];
  }
  Sim.TEMP_GLOBAL_STAT[0] = 1;
  ASSERT_EQ(CDErrorAnalysis(0, 0.0, 1e6), 1);
  // Lines 5 and 6 give a pair with the same ground-state difference as lines 0 and 1
  // (-1): after sorting, the second of those is left out.
  const std::string out = ReadAll("Out.cd");
  std::vector<std::string> rows;
  for (size_t p = 0; p < out.size();) {
    const size_t e = out.find("\r\n", p);
    rows.push_back(out.substr(p, e - p));
    p = e + 2;
  }
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows.front(), "-15.0000       0.0150        ");
  EXPECT_EQ(rows.back(), "-1.0000        0.0010        ");
  EXPECT_EQ(BoxTexts().back(),
            "COMBINATION DIFFERENCE ANALYSIS\n\nNON-DUPLICATES & NON-ZERO ENERGIES=[10] OUT OF CD MATCHES=[11]");
  EXPECT_EQ(BoxCaptions().back(), "Info");
  // The error is -0.001 x the ground-state difference: slope -0.001, intercept 0.
  EXPECT_NEAR(Sim.CD_Slope, -0.001, 1e-9);
  EXPECT_NEAR(Sim.CD_Intercept, 0.0, 1e-9);

  // Outside the window nothing pairs; without ground-state energies nothing starts.
  EXPECT_EQ(CDErrorAnalysis(0, 5000.0, 6000.0), 0);
  EXPECT_EQ(BoxTexts().back(), "COMBINATION DIFFERENCE ANALYSIS\n\nNO COMBINATION DIFFERENCES FOUND!\n\nABORTING");
  Sim.TEMP_GLOBAL_STAT[0] = 0;
  EXPECT_EQ(CDErrorAnalysis(0, 0.0, 1e6), 0);
  EXPECT_EQ(BoxTexts().back(),
            "COMBINATION DIFFERENCE ANALYSIS\n\nGROUND STATE MW ENERGIES NOT FOUND!\n\nRERUN ORV WITH T1=[0]");
  EXPECT_EQ(BoxCaptions().back(), "Warning");
  // One pair only: written, but a line needs two points.
  Sim.TEMP_GLOBAL_STAT[0] = 1;
  EXPECT_EQ(CDErrorAnalysis(0, 1500.0, 1e6), 0);
  EXPECT_EQ(BoxTexts().back(), "CDErrorAnalysis()\n\nLSF ROUTINE FAILED FOR SLOPE DETERMINATION!\n\nABORTING");
  EXPECT_EQ(ReadAll("Out.cd"), "-1.0000        0.0010        \r\n");
}

}  // namespace
