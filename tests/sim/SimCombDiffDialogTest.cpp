// The combination-difference and quadrupole QN dialogs driven like a user would: rows,
// scrolling, LS/US/LOOP, FIX and ALL with their shifts, a fixed group that follows its
// lines and statistics without its shift; typed component frequencies and
// uncertainties, rows below the last filled one, an empty or stale list.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "core/Coords.h"
#include "core/TypedArrays.h"
#include "models/quad/Quad.h"
#include "platform/driver/TestDriver.h"
#include "display/ViewKeys.h"
#include "lineshape/LineShape.h"
#include "platform/gdi/Gdi.h"
#include "platform/windows/CommonDialogs.h"
#include "resources/Dialogs.h"
#include "sim/SimAsnWrite.h"
#include "sim/SimCombDiff.h"
#include "sim/SimDialogs.h"
#include "sim/SimFileDialogs.h"
#include "sim/SimPlot.h"

namespace {

namespace drv = platform::driver;

class SimCombDiffDialogTest : public qvtest::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    RegisterDialogResources();
    Dsp.Init_Frq = 1000.0;
    Dsp.FSR = 1.0;
    Dsp.Pts_FSR = 1;
    Dsp.Frq_Stp = 1.0;
    Dsp.FL_SZ[3][0] = 100000;
    Win.Active_Chn = 0;
    Dsp.Chn_DspStat[0] = 1;
    Sim.Dsp_Stat[0] = 1;
    Sim.Cur_Set = 0;
  }
  void TearDown() override {
    for (auto& row : Sim.Dlg_Hwnd)
      for (HWND& w : row)
        if (w && IsWindow(w)) DestroyWindow(w);
    if (Sim.Ctl_Hwnd && IsWindow(Sim.Ctl_Hwnd)) DestroyWindow(Sim.Ctl_Hwnd);
    for (auto*& list : Sim.FI_CD_List_Ary[0]) LFree1Dim(&list);
    QuadComponentsFree(0, &Quad);
    SimTest::TearDown();
  }
  // Line 0 (upper U1, lower L1) is selected; line 1 (U2, L1) shares its lower level,
  // lines 2 (U1, L2) and 4 (U1, L3) its upper one, line 3 (U2, L2) closes the loop.
  // O-C: line 0 +0.2, line 2 +0.4, line 3 +0.1; lines 1, 4, 5 unassigned.
  void Lines(uint32_t nd = 0) {
    FillSet(0, 6, nd, 2, false);
    Sim.FM_STAT[0] = 0;
    const int16_t q[6][6] = {{3, 1, 2, 2, 1, 1}, {3, 0, 3, 2, 1, 1}, {3, 1, 2, 4, 1, 3},
                             {3, 0, 3, 4, 1, 3}, {3, 1, 2, 2, 0, 2}, {5, 0, 5, 4, 0, 4}};
    const double oc[6] = {0.2, 0.0, 0.4, 0.1, 0.0, 0.0};
    for (int i = 0; i < 6; ++i) {
      std::copy(q[i], q[i] + 6, Sim.FI_Jkk_Lbl[0] + 6 * i);
      Sim.FI_Sim_Erg[0][i] = 10000.0 + 1000.0 * i + 0.125;
      Sim.FI_Exp_Erg[0][i] = oc[i] == 0.0 ? 0.0 : Sim.FI_Sim_Erg[0][i] + oc[i];
    }
    Sim.FI_Asn_Lines[0] = 3;
    ASSERT_EQ(LAlloc1Dim(&Sim.FI_QN_List_Ary[0], 1), 1);
    Sim.FI_QN_List_Ary[0][0] = 0;
    Sim.FI_QN_List_Cnt[0] = Sim.FI_QN_List_Sz[0] = 1;
    Sim.QN_Sel_Line[0] = 0;
    Sim.QN_Scan[0] = 1;
    Sim.QN_FromList[0] = 1;
    original_.assign(Sim.FI_Sim_Erg[0], Sim.FI_Sim_Erg[0] + 6);
  }
  std::vector<int32_t> Bs() const {
    const int32_t* a = Sim.FI_CD_List_Ary[0][CD_BS];
    return a ? std::vector<int32_t>(a, a + Sim.FI_CD_List_Tot[0][CD_BS]) : std::vector<int32_t>{};
  }
  double Shift(int line) const { return Sim.FI_Sim_Erg[0][line] - original_[static_cast<size_t>(line)]; }

  // US only, FIX: the group of line 0, {0, 4, 2}, shifted by its mean O-C; the dialog
  // closed again unless asked to stay.
  void FixGroupOfLineZero(bool close = true) {
    ASSERT_EQ(SimJkkCombDiffDialogShow(0, 1, Win.hWnd_Main), 1u);
    HWND d = Sim.Dlg_Hwnd[SIM_DLG_COMBDIFF][0];
    ASSERT_TRUE(drv::SetCheck(d, 747, false));
    ASSERT_TRUE(drv::Click(d, 778));
    ASSERT_EQ(Sim.FI_CD_FixSet_Tot[0], 1u);
    ASSERT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 1);
    if (close) {
      ASSERT_TRUE(drv::Click(d, IDCANCEL));
    }
  }
  // SAVE QVS of the control dialog (left column, set A) as name.QVS here: the file's
  // header and its frequencies (the first block after the header).
  std::string SaveQvs(const std::string& name, std::vector<double>* frequencies) {
    if (!Sim.Ctl_Hwnd) {
      EXPECT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
    }
    const std::string path = (std::filesystem::current_path() / (name + ".QVS")).string();
    if (std::filesystem::exists(path)) answers_.push_back(IDYES);  // replace it
    platform::SetCommonDialogAnswerer(
        [&](const platform::CommonDialogRequest&) { return platform::CommonDialogAnswer{true, path}; });
    EXPECT_TRUE(drv::Click(Sim.Ctl_Hwnd, IDC_SC_QVS));
    platform::SetCommonDialogAnswerer(nullptr);
    const std::string bytes = ReadAll(name + ".QVS");
    frequencies->clear();
    if (bytes.size() < VAVODE_SIZE) return bytes;
    const int32_t n = platform::GetInt32LE(bytes.data(), vav::kLines);
    for (int32_t i = 0; i < n && VAVODE_SIZE + 8 * (i + 1) <= bytes.size(); ++i)
      frequencies->push_back(platform::LoadLE<double>(bytes.data() + VAVODE_SIZE + 8 * i));
    return bytes;
  }
  // The lines of set A that a fix set holds, in its order.
  std::vector<int32_t> Members(int32_t f) const {
    return std::vector<int32_t>(Sim.FI_CD_FixSet_Idx[0][f], Sim.FI_CD_FixSet_Idx[0][f] + Sim.FI_CD_FixSet_Cnt[0][f]);
  }

  // Three components of line 1: F' F'' 1.5 0.5, 2.5 1.5, 1.5 1.5.
  void Components() {
    FillSet(0, 3, 0, 2, false);
    ASSERT_EQ(LAlloc1Dim(&Sim.FI_QN_List_Ary[0], 1), 1);
    Sim.FI_QN_List_Ary[0][0] = 1;
    Sim.FI_QN_List_Cnt[0] = Sim.FI_QN_List_Sz[0] = 1;
    Sim.QN_Sel_Line[0] = 1;
    ASSERT_EQ(DAlloc1Dim(&Quad.Comp_F[0], 6), 1);
    ASSERT_EQ(DAlloc1Dim(&Quad.Comp_Frq[0], 3), 1);
    ASSERT_EQ(FAlloc1Dim(&Quad.Comp_Itn[0], 3), 1);
    ASSERT_EQ(DAlloc1Dim(&Quad.Comp_ExpFrq[0], 3), 1);
    ASSERT_EQ(FAlloc1Dim(&Quad.Comp_Unc[0], 3), 1);
    const double f[6] = {1.5, 0.5, 2.5, 1.5, 1.5, 1.5};
    for (int k = 0; k < 6; ++k) Quad.Comp_F[0][k] = f[k];
    for (int c = 0; c < 3; ++c) {
      Quad.Comp_Frq[0][c] = 20000.1 + 0.1 * c;
      Quad.Comp_Itn[0][c] = 0.5f / static_cast<float>(1 << c);
      Quad.Comp_ExpFrq[0][c] = 0.0;
      Quad.Comp_Unc[0][c] = 0.0f;
    }
    Quad.Comp_Count[0] = Quad.Comp_Cap[0] = 3;
    ASSERT_EQ(LAlloc1Dim(&Quad.QN_List[0], 3000), 1);
    for (int c = 0; c < 3; ++c) Quad.QN_List[0][c] = c;
    Quad.QN_LIST_TOT[0] = 3;
    Quad.QN_Scan[0] = 1;
    Quad.QN_LIST_SEL[0] = 2;
    Quad.QN_List_Top[0] = 1;
  }

  // A set of three lines (990, 1001, 1010), none assigned, whose line 1 has the given
  // quantum numbers and derivatives (-dnu/dG'', then +dnu/dG', by A, B, C), with a nucleus
  // of spin 3/2 (chi_aa, chi_bb, chi_cc = 4, -2, -2).
  void SplitLineOne(const int16_t (&qn)[6], const double (&dev)[6]) {
    FillSet(0, 3, 6, 2, false);  // one-state set: derivatives by A, B and C of both levels
    Sim.TEMP_GLOBAL_STAT[0] = Sim.IDVWIDTH_STAT[0] = Sim.FM_STAT[0] = 0;
    Sim.Dsp_Stat[0] = 1;
    Sim.QC_STAT[0] = 1;
    const double freqs[3] = {990.0, 1001.0, 1010.0};
    for (int i = 0; i < 3; ++i) {
      Sim.FI_Sim_Erg[0][i] = freqs[i];
      Sim.FI_Exp_Erg[0][i] = 0.0;
    }
    std::copy(qn, qn + 6, Sim.FI_Jkk_Lbl[0] + 6);
    std::copy(dev, dev + 6, Sim.FI_Dev[0] + 6);
    const double chi[3] = {4.0, -2.0, -2.0};
    std::copy(chi, chi + 3, Quad.Prm[0][SIM_GND]);
    Quad.Prm2[0] = 1.5;
  }
  // The cursor window over line 1 and 'j': the next paint lists the lines and components.
  void CursorOnLineOne() {
    for (auto& step : Dsp.FrqStpView) step = 0.01;
    for (auto& p : Dsp.Pts2Pxl) p = 1.0;
    Dsp.Init_Frq = 999.5;
    Win.View_Level = 3;
    Win.Page_Start = 0;
    Win.Page_Height = Win.Plot_Bottom = 100;
    Win.Page_Pixels = 300;
    Win.Cursor_X = 100;
    Win.Cursor_HalfWidth = 100;
    ASSERT_EQ(DisplayViewKey(Win.hWnd_Main, 'j', 0), 1);
  }
  // A Q line 1_01 <- 1_01 as line 1, its seven components (F' F'' = 1/2 3/2 second at
  // 999.2, 5/2 3/2 sixth at 1000.0) listed in the QUADRUPOLE QN dialog, shown.
  void QLineInTheQuadDialog(HWND* q) {
    const int16_t j11[6] = {1, 0, 1, 1, 0, 1};
    const double dev[6] = {0.0, -1.0, -1.0, 0.0, 1.0, 1.0};
    SplitLineOne(j11, dev);
    CursorOnLineOne();
    Paint();
    ASSERT_EQ(Quad.QN_LIST_TOT[0], 7);
    ASSERT_EQ(SimQuadQNDialogShow(0, 1, Win.hWnd_Main), 1u);
    Sim.Dlg_Req[SIM_DLG_QUADQN][0] = 1;
    *q = Sim.Dlg_Hwnd[SIM_DLG_QUADQN][0];
    SendMessage(*q, WM_INITDIALOG, 0, 0);
  }
  // A paint of set 0 as the main window makes it (the component arrays end as the
  // selected line's, only the selected component looked up).
  static void Paint() {
    ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS)));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 300, 100);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(SimFIPlot(dc, 2, 0, 3, 0, 300, 1, 9, 9), 1);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    FFree1Dim(&Win.PM_DrawAry);
    SimLineShapeStoresFree();
  }

  std::vector<double> original_;
};

TEST_F(SimCombDiffDialogTest, CombinationDifferenceRowsListsAndSelection) {
  Lines();
  ASSERT_EQ(SimJkkCombDiffDialogShow(0, 1, Win.hWnd_Main), 1u);
  Sim.Dlg_Req[SIM_DLG_COMBDIFF][0] = 1;
  HWND d = Sim.Dlg_Hwnd[SIM_DLG_COMBDIFF][0];
  ASSERT_TRUE(d && IsWindowVisible(d));
  EXPECT_FALSE(GetDlgItem(d, 850));
  // Opened from the JKK list: LS {0, 1}, US {0, 4, 2} (strongest first), the closing
  // line 3 of the pair (1, 2).
  EXPECT_EQ(Bs(), (std::vector<int32_t>{0, 1, 0, 4, 2, 3}));
  EXPECT_EQ(drv::Text(d, 820), "3");
  EXPECT_EQ(drv::Text(d, 825), "1");
  EXPECT_EQ(drv::Text(d, 820 + 6 + 1), "0");
  EXPECT_EQ(drv::Text(d, 860), "1.000000");
  EXPECT_EQ(drv::Text(d, 880), "0.2000");
  EXPECT_EQ(drv::Text(d, 881), "");
  EXPECT_EQ(drv::Text(d, 884), "0.4000");
  EXPECT_TRUE(drv::IsChecked(d, 747));
  EXPECT_TRUE(drv::IsChecked(d, 748));
  EXPECT_FALSE(drv::IsChecked(d, 749));
  EXPECT_FALSE(drv::IsChecked(d, 778));
  EXPECT_TRUE(drv::IsChecked(d, 810));

  // Scrolling past row 5 moves the first row; the selected line follows.
  ASSERT_TRUE(drv::Scroll(d, 20, false, 6));
  EXPECT_EQ(Sim.FI_CD_Sel[0], 5);
  EXPECT_EQ(Sim.FI_CD_Top[0], 1);
  EXPECT_EQ(Sim.QN_Sel_Line[0], 3);
  EXPECT_EQ(Sim.CD_SelChanged[0], 1u);
  EXPECT_EQ(Sim.QN_FromCD[0], 1u);
  EXPECT_EQ(Sim.QN_FromList[0], 0u);
  EXPECT_EQ(drv::Text(d, 880 + 4), "0.1000");
  EXPECT_TRUE(drv::IsChecked(d, 814));
  // A row radio selects its line; ASSIGN and CLEAR act on it.
  ASSERT_TRUE(drv::ChooseRadio(d, 810));
  EXPECT_EQ(Sim.FI_CD_Sel[0], 1);
  EXPECT_EQ(Sim.QN_Sel_Line[0], 1);
  ASSERT_TRUE(drv::Click(d, 896));
  EXPECT_NE(Sim.FI_Exp_Erg[0][1], 0.0);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 4u);
  ASSERT_TRUE(drv::Click(d, 897));
  EXPECT_EQ(Sim.FI_Exp_Erg[0][1], 0.0);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 3u);
  // Space on the main plot steps the same list, and the dialog, refreshed as the
  // painting refreshes it, follows: shown from its first row while the position is
  // below 5, then one row further with each step, the selected row checked.
  const int32_t positions[5] = {2, 3, 4, 5, 0}, tops[5] = {0, 0, 0, 1, 0};
  Sim.Dsp_Stat[0] = 1;
  for (int k = 0; k < 5; ++k) {
    DisplayViewKey(Win.hWnd_Main, ' ', 0);
    SimModelessDialogsRefresh();
    EXPECT_EQ(Sim.FI_CD_Sel[0], positions[k]) << k;
    EXPECT_EQ(Sim.FI_CD_Top[0], tops[k]) << k;
    EXPECT_EQ(Sim.QN_Sel_Line[0], Bs()[static_cast<size_t>(positions[k])]) << k;
    EXPECT_TRUE(drv::IsChecked(d, 810 + positions[k] - tops[k])) << k;
  }

  // LOOP: the loops with an assigned closing line only.
  ASSERT_TRUE(drv::Click(d, 749));
  EXPECT_EQ(Sim.CD_Loop[0], 1u);
  EXPECT_EQ(Bs(), (std::vector<int32_t>{0, 3, 1, 2}));
  EXPECT_EQ(drv::Text(d, 880 + 1), "0.1000");
  EXPECT_EQ(drv::Text(d, 880 + 4), "");
  // Switching LS off ends the loops.
  ASSERT_TRUE(drv::SetCheck(d, 747, false));
  EXPECT_EQ(Sim.CD_Search[0][CD_LS], 0u);
  EXPECT_EQ(Sim.CD_Loop[0], 0u);
  EXPECT_FALSE(drv::IsChecked(d, 749));
  // LOOP again switches both lists back on.
  ASSERT_TRUE(drv::Click(d, 749));
  EXPECT_EQ(Sim.CD_Search[0][CD_LS], 1u);
  EXPECT_TRUE(drv::IsChecked(d, 747));

  // Closing frees the lists and ends the request.
  ASSERT_TRUE(drv::Click(d, IDCANCEL));
  EXPECT_FALSE(IsWindowVisible(d));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_COMBDIFF][0], 0u);
  EXPECT_EQ(Sim.CD_SelChanged[0], 0u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(Sim.FI_CD_List_Tot[0][k], 0u);
    EXPECT_EQ(Sim.FI_CD_List_Ary[0][k], nullptr);
  }
  // F labels: the F/M layout in its place, with ASSIGN and CLEAR only.
  Sim.FM_STAT[0] = 1;
  Sim.QN_FromList[0] = 1;
  ASSERT_EQ(SimJkkCombDiffDialogShow(0, 1, Win.hWnd_Main), 1u);
  HWND f = Sim.Dlg_Hwnd[SIM_DLG_COMBDIFF][0];
  EXPECT_FALSE(IsWindow(d));
  ASSERT_TRUE(f && GetDlgItem(f, 850) && GetDlgItem(f, 896) && GetDlgItem(f, 897));
  EXPECT_FALSE(GetDlgItem(f, 747) || GetDlgItem(f, 778) || GetDlgItem(f, 898));
  EXPECT_EQ(drv::Text(f, 850), "30.0");
}

TEST_F(SimCombDiffDialogTest, FixAndAllActOnUpperLevelGroupsOnly) {
  Lines();
  ASSERT_EQ(SimJkkCombDiffDialogShow(0, 1, Win.hWnd_Main), 1u);
  HWND d = Sim.Dlg_Hwnd[SIM_DLG_COMBDIFF][0];
  ASSERT_TRUE(d);
  // With LS on, FIX refuses: no fix mode, box cleared, nothing moved.
  ASSERT_TRUE(drv::Click(d, 778));
  EXPECT_EQ(Sim.CD_FixMode[0], 0u);
  EXPECT_FALSE(drv::IsChecked(d, 778));
  EXPECT_EQ(Sim.FI_CD_FixSet_Tot[0], 0u);
  // ALL with LS on only switches the fix mode off, whatever the answer.
  Sim.CD_FixMode[0] = 1;
  answers_.push_back(IDYES);
  ASSERT_TRUE(drv::Click(d, 898));
  EXPECT_EQ(BoxTexts().back(),
            "[A] SIM [NoName]\n\nAPPLY CD FIXS TO ALL ASN LINES [YES] | REMOVE ALL CD FIXS [NO] | ABORT [CANCEL]?");
  EXPECT_EQ(Sim.CD_FixMode[0], 0u);
  EXPECT_EQ(Sim.FI_CD_FixSet_Tot[0], 0u);

  // US only: FIX forms the group {0, 4, 2} and shifts it by the mean O-C, +0.3.
  ASSERT_TRUE(drv::SetCheck(d, 747, false));
  ASSERT_TRUE(drv::Click(d, 778));
  EXPECT_EQ(Sim.CD_FixMode[0], 1u);
  ASSERT_EQ(Sim.FI_CD_FixSet_Tot[0], 1u);
  EXPECT_EQ(Sim.FI_CD_FixSet_Cnt[0][0], 3);
  EXPECT_TRUE(drv::IsChecked(d, 778));
  for (int line : {0, 2, 4}) EXPECT_NEAR(Shift(line), 0.3, 1e-9) << line;
  for (int line : {1, 3, 5}) EXPECT_EQ(Shift(line), 0.0) << line;
  EXPECT_EQ(drv::Text(d, 880), "-0.1000");  // O-C of line 0 after the shift
  // FIX off restores exactly.
  ASSERT_TRUE(drv::Click(d, 778));
  EXPECT_FALSE(drv::IsChecked(d, 778));
  for (int line = 0; line < 6; ++line) EXPECT_EQ(Shift(line), 0.0) << line;

  // Assigning another member of a fixed set shifts the set by the new mean, from the
  // unshifted frequencies; clearing it releases the set; never a warning on the way.
  ASSERT_TRUE(drv::Click(d, 778));
  ASSERT_TRUE(drv::ChooseRadio(d, 811));
  EXPECT_EQ(Sim.QN_Sel_Line[0], 4);
  ASSERT_TRUE(drv::Click(d, 896));
  ASSERT_NE(Sim.FI_Exp_Erg[0][4], 0.0);
  EXPECT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 1);
  const double mean = (0.2 + 0.4 + Sim.FI_Exp_Erg[0][4] - original_[4]) / 3.0;
  for (int line : {0, 2, 4}) EXPECT_NEAR(Shift(line), mean, 1e-6) << line;
  ASSERT_TRUE(drv::Click(d, 897));
  EXPECT_EQ(Sim.FI_Exp_Erg[0][4], 0.0);
  EXPECT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 0);
  for (int line = 0; line < 6; ++line) EXPECT_EQ(Shift(line), 0.0) << line;
  for (const std::string& caption : BoxCaptions()) EXPECT_NE(caption, "WARNING");

  // ALL, YES: every assigned line's group fixed once: {0, 4, 2} by +0.3 and {3, 1}
  // by +0.1.
  answers_.push_back(IDYES);
  ASSERT_TRUE(drv::Click(d, 898));
  ASSERT_EQ(Sim.FI_CD_FixSet_Tot[0], 2u);
  for (int line : {0, 2, 4}) EXPECT_NEAR(Shift(line), 0.3, 1e-9) << line;
  for (int line : {1, 3}) EXPECT_NEAR(Shift(line), 0.1, 1e-9) << line;
  EXPECT_EQ(Shift(5), 0.0);
  // CANCEL leaves everything; NO releases every set exactly.
  answers_.push_back(IDCANCEL);
  ASSERT_TRUE(drv::Click(d, 898));
  EXPECT_NEAR(Shift(3), 0.1, 1e-9);
  answers_.push_back(IDNO);
  ASSERT_TRUE(drv::Click(d, 898));
  for (int line = 0; line < 6; ++line) EXPECT_EQ(Shift(line), 0.0) << line;
  EXPECT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 0);
  EXPECT_EQ(Sim.FI_CD_FixSet_Fixed[0][1], 0);
}

// A fixed group keeps its lines while the list changes: a line added at the cursor and
// sorted in front of them, another line and one of the group deleted ('k' and 'K' in
// line-adding mode), the frequencies recomputed from a rotor constant moved on its
// trackbar and from one typed that reorders the lines. SAVE QVS writes the lines' own
// frequencies each time, the group shifted by its mean O-C of the moment. READ ASCII SIM
// replaces the lines: the group is released first, and the file holds the new list.
TEST_F(SimCombDiffDialogTest, FixedGroupFollowsItsLinesAndLeavesWithThem) {
  // Derivatives of a one-state set: line i at 0.125 + A a_i + B b_i, A 5000, B 1000;
  // line 0 (of the group) moves with A as well.
  Lines(4);
  Sim.RC_Prm[0][SIM_GND][0] = 5000.0;
  Sim.RC_Prm[0][SIM_GND][1] = 1000.0;
  Sim.RC_Prm[0][SIM_EXC][22] = 0.125;
  const double aOf[6] = {1, 0, 0, 0, 0, 0}, bOf[6] = {5, 11, 12, 13, 14, 15};
  for (int i = 0; i < 6; ++i) {
    double* row = Sim.FI_Dev[0] + 4 * i;
    row[0] = aOf[i];
    row[1] = bOf[i];
    row[2] = row[3] = 0.0;
  }
  std::vector<double> exp(Sim.FI_Exp_Erg[0], Sim.FI_Exp_Erg[0] + 6);
  FixGroupOfLineZero();
  for (int line : {0, 2, 4}) ASSERT_NEAR(Shift(line), 0.3, 1e-9);
  ASSERT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
  HWND control = Sim.Ctl_Hwnd;

  // A line at the cursor, sorted first: the group is lines 1, 5 and 3 now.
  ASSERT_TRUE(drv::Click(control, IDC_SC_EDIT));
  ASSERT_EQ(Sim.Edit_Stat[0], 1u);
  Win.Cursor_X = 10;
  const double added = DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, Win.Cursor_X);
  ASSERT_LT(added, original_[0]);
  DisplayViewKey(Win.hWnd_Main, 'k', 0);
  ASSERT_EQ(Sim.FI_Lines[0], 7u);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][0], added);
  EXPECT_EQ(Members(0), (std::vector<int32_t>{1, 5, 3}));
  for (int i = 0; i < 6; ++i)
    EXPECT_NEAR(Sim.FI_Sim_Erg[0][i + 1], original_[i] + (i % 2 == 0 ? 0.3 : 0.0), 1e-9) << i;
  std::vector<double> file;
  SaveQvs("fixed", &file);
  std::vector<double> own = {added};
  own.insert(own.end(), original_.begin(), original_.end());
  EXPECT_EQ(file, own);

  // Delete line 2 (11000.125), then line 4 (14000.125, of the group): the group keeps
  // its two other lines, unmoved.
  auto remove = [&](int32_t line) {  // position 0 of the list is the new-line slot
    ASSERT_EQ(LReAlloc1Dim(&Sim.FI_QN_List_Ary[0], 2), 1);
    Sim.FI_QN_List_Ary[0][1] = line;
    Sim.FI_QN_List_Cnt[0] = 2;
    Sim.FI_QN_List_Sel[0] = 1;
    DisplayViewKey(Win.hWnd_Main, 'K', 0);
  };
  remove(2);
  ASSERT_EQ(Sim.FI_Lines[0], 6u);
  EXPECT_EQ(Members(0), (std::vector<int32_t>{1, 4, 2}));
  remove(4);
  ASSERT_EQ(Sim.FI_Lines[0], 5u);
  EXPECT_EQ(Members(0), (std::vector<int32_t>{1, 2}));
  EXPECT_NEAR(Sim.FI_Sim_Erg[0][1], original_[0] + 0.3, 1e-9);
  EXPECT_NEAR(Sim.FI_Sim_Erg[0][2], original_[2] + 0.3, 1e-9);
  SaveQvs("fixed", &file);
  EXPECT_EQ(file, (std::vector<double>{added, original_[0], original_[2], original_[3], original_[5]}));
  ASSERT_TRUE(drv::Click(control, IDC_SC_EDIT));

  // B on the top of its bar (1001), then A typed as 7500: line 0 passes line 2. The
  // added line has no derivatives (0.125). Each time the group moves by the mean O-C of
  // its recomputed lines, and the file holds them unshifted.
  ASSERT_EQ(SimAbcTrackbarDialogShow(0, 1, Win.hWnd_Main), 1u);
  HWND abc = Sim.Dlg_Hwnd[SIM_DLG_ABC][0];
  const int kept[4] = {0, 2, 3, 5};
  auto expectLines = [&](double a, double b) {
    std::vector<std::pair<double, int>> lines = {{0.125, -1}};
    for (int i : kept) lines.push_back({0.125 + a * aOf[i] + b * bOf[i], i});
    std::sort(lines.begin(), lines.end());
    const double mean = (exp[0] - (0.125 + a * aOf[0] + b * bOf[0]) + exp[2] - (0.125 + a * aOf[2] + b * bOf[2])) / 2.0;
    std::vector<int32_t> members;
    std::vector<double> unshifted;
    for (size_t j = 0; j < lines.size(); ++j) {
      const bool member = lines[j].second == 0 || lines[j].second == 2;
      if (member) members.push_back(static_cast<int32_t>(j));
      unshifted.push_back(lines[j].first);
      EXPECT_NEAR(Sim.FI_Sim_Erg[0][j], lines[j].first + (member ? mean : 0.0), 1e-6) << j;
    }
    std::vector<int32_t> now = Members(0);
    std::sort(now.begin(), now.end());
    EXPECT_EQ(now, members);
    SaveQvs("fixed", &file);
    ASSERT_EQ(file.size(), unshifted.size());
    for (size_t j = 0; j < file.size(); ++j) EXPECT_NEAR(file[j], unshifted[j], 1e-9) << j;
  };
  ASSERT_TRUE(drv::MoveTrackbar(abc, rotor_ids::kTrack + 1, -10000));
  ASSERT_EQ(Sim.RC_Prm[0][SIM_GND][1], 1001.0);
  expectLines(5000.0, 1001.0);
  ASSERT_TRUE(drv::TypeAndCommit(abc, rotor_ids::kValue + 0, "7500"));
  ASSERT_EQ(Sim.RC_Prm[0][SIM_GND][0], 7500.0);
  EXPECT_EQ(Members(0), (std::vector<int32_t>{2, 1}));
  expectLines(7500.0, 1001.0);
  ASSERT_EQ(Sim.FI_CD_FixSet_Fixed[0][0], 1);

  // A list of four lines through READ ASCII SIM: the group goes, the lines are the list's.
  WriteAll("four.a",
           "b 1 0 1 0 0 0 1.0 0 1001.5\nb 2 1 2 1 1 1 1.0 0 2002.5\nb 3 1 2 2 1 1 1.0 0 3003.5\n"
           "b 4 1 3 3 1 2 1.0 0 4004.5\n");
  platform::SetCommonDialogAnswerer([](const platform::CommonDialogRequest&) {
    return platform::CommonDialogAnswer{true, (std::filesystem::current_path() / "four.a").string()};
  });
  answers_ = {IDNO, IDNO, IDNO, IDYES};  // the fourth format: 6 quantum numbers
  ASSERT_TRUE(drv::Click(control, IDC_SC_RDSIM));
  platform::SetCommonDialogAnswerer(nullptr);
  const std::vector<double> list = {1001.5, 2002.5, 3003.5, 4004.5};
  ASSERT_EQ(Sim.FI_Lines[0], 4u);
  EXPECT_EQ(std::vector<double>(Sim.FI_Sim_Erg[0], Sim.FI_Sim_Erg[0] + 4), list);
  EXPECT_EQ(Sim.FI_CD_FixSet_Tot[0], 0u);
  EXPECT_EQ(Sim.FI_CD_FixSet_Cur[0], -1);
  SaveQvs("fixed", &file);
  EXPECT_EQ(file, list);
  for (const std::string& caption : BoxCaptions()) EXPECT_NE(caption, "WARNING");
}

// Lines 0 and 2 of one upper level assigned with O-C +0.2 and +0.4, their group fixed
// (+0.3); 'k' assigns line 4 of the group too. The count and RMS it makes, the control
// dialog shows and SAVE QVS stores are those of the lines' own frequencies, which the
// file holds, while the group stays shifted by its new mean.
TEST_F(SimCombDiffDialogTest, AssignmentStatisticsLeaveTheFixedShiftsOut) {
  Lines();
  Sim.FI_Exp_Erg[0][3] = 0.0;
  FixGroupOfLineZero(false);
  HWND d = Sim.Dlg_Hwnd[SIM_DLG_COMBDIFF][0];
  ASSERT_TRUE(drv::ChooseRadio(d, 811));
  ASSERT_EQ(Sim.QN_Sel_Line[0], 4);
  Win.Cursor_X = 13000;  // 14000.0, O-C -0.125
  ASSERT_TRUE(drv::Click(d, 896));
  const double oc[3] = {0.2, 0.4, Sim.FI_Exp_Erg[0][4] - original_[4]};
  ASSERT_LT(std::fabs(oc[2]), 1.0);
  const float rms = static_cast<float>(std::sqrt((oc[0] * oc[0] + oc[1] * oc[1] + oc[2] * oc[2]) / 3.0));
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 3u);
  EXPECT_FLOAT_EQ(Sim.FI_OmC_Rms[0], rms);
  const double mean = (oc[0] + oc[1] + oc[2]) / 3.0;
  for (int line : {0, 2, 4}) EXPECT_NEAR(Shift(line), mean, 1e-6) << line;

  std::vector<double> file;
  const std::string bytes = SaveQvs("stats", &file);
  ASSERT_GE(bytes.size(), VAVODE_SIZE);
  EXPECT_FLOAT_EQ(platform::GetFloatLE(bytes.data(), vav::kRms), rms);
  EXPECT_EQ(platform::GetInt32LE(bytes.data(), vav::kAsnLines), 3);
  EXPECT_EQ(file, original_);
  EXPECT_EQ(drv::Text(Sim.Ctl_Hwnd, IDC_SC_OMC), StrPrintf("%f", static_cast<double>(rms)));
  for (int line : {0, 2, 4}) EXPECT_NEAR(Shift(line), mean, 1e-6) << line;
}

TEST_F(SimCombDiffDialogTest, QuadrupoleRowsTypedFrequenciesAndUncertainties) {
  Components();
  Sim.Asn_StdUnc[0] = 0.05f;
  Quad.Prm[0][SIM_GND][1] = 1.25;
  ASSERT_EQ(SimQuadQNDialogShow(0, 1, Win.hWnd_Main), 1u);
  Sim.Dlg_Req[SIM_DLG_QUADQN][0] = 1;
  HWND d = Sim.Dlg_Hwnd[SIM_DLG_QUADQN][0];
  ASSERT_TRUE(d && IsWindowVisible(d));
  // The first showing starts at the top of the list.
  EXPECT_EQ(Quad.QN_LIST_SEL[0], 0);
  EXPECT_EQ(Quad.QN_List_Top[0], 0);
  SendMessage(d, WM_INITDIALOG, 0, 0);
  EXPECT_EQ(drv::Text(d, 820), "1.5");
  EXPECT_EQ(drv::Text(d, 821), "0.5");
  EXPECT_EQ(drv::Text(d, 822), "2.5");
  EXPECT_EQ(drv::Text(d, 861), "0.250000");
  EXPECT_EQ(drv::Text(d, 872), "20000.3000");
  EXPECT_EQ(drv::Text(d, 880), "");
  EXPECT_EQ(drv::Text(d, 873), "");  // rows past the list are empty
  EXPECT_EQ(drv::Text(d, 8169), "0.0500");
  EXPECT_TRUE(drv::IsChecked(d, 810));
  EXPECT_EQ(Quad.Prm[0][SIM_EXC][1], 1.25);  // one-state set: excited = ground

  // A frequency typed into a row below the last filled one goes to the last filled
  // row; a component without frequency takes the standard uncertainty.
  ASSERT_TRUE(drv::TypeAndCommit(d, 884, "20000.35"));
  EXPECT_EQ(Quad.QN_LIST_SEL[0], 2);
  EXPECT_EQ(Quad.QN_SEL[0], 2);
  EXPECT_EQ(Quad.Comp_ExpFrq[0][2], 20000.35);
  EXPECT_FLOAT_EQ(Quad.Comp_Unc[0][2], 0.05f);
  ASSERT_EQ(Quad.Asn_Cnt[0], 1);
  EXPECT_EQ(Quad.Asn_TList[0][0], 20000.35);
  EXPECT_EQ(Quad.Asn_TList[0][3], 1.0);
  EXPECT_FLOAT_EQ(static_cast<float>(Quad.Asn_TList[0][4]), 0.05f);
  EXPECT_EQ(Quad.Asn_Modified[0], 1u);
  EXPECT_EQ(Sim.Sim_Modified[0], 1u);
  EXPECT_EQ(Quad.QN_FromList[0], 1u);
  EXPECT_EQ(drv::Text(d, 882), "20000.3500");
  EXPECT_EQ(drv::Text(d, 892), "0.0500");
  EXPECT_TRUE(drv::IsChecked(d, 812));

  // An uncertainty for a component without frequency changes nothing.
  Quad.Asn_Modified[0] = Sim.Sim_Modified[0] = 0;
  const float unc0 = Quad.Comp_Unc[0][0];
  ASSERT_TRUE(drv::TypeAndCommit(d, 890, "0.2"));
  EXPECT_EQ(Quad.Comp_Unc[0][0], unc0);
  EXPECT_EQ(Quad.Asn_Modified[0], 0u);
  EXPECT_EQ(Quad.Asn_Cnt[0], 1);
  // For an assigned one it is recorded.
  ASSERT_TRUE(drv::TypeAndCommit(d, 892, "0.0002"));
  EXPECT_FLOAT_EQ(static_cast<float>(Quad.Asn_TList[0][4]), 0.0002f);
  EXPECT_EQ(drv::Text(d, 892), "2.00e-04");
  EXPECT_EQ(Quad.Asn_Modified[0], 1u);
  // O-C in the EXPT FREQ column.
  ASSERT_TRUE(drv::SetCheck(d, 8168, true));
  EXPECT_EQ(Quad.QN_ShowOC[0], 1u);
  EXPECT_EQ(drv::Text(d, 882), "0.0500");

  // Scrolling stops at the ends of the list.
  ASSERT_TRUE(drv::Scroll(d, 20, false));
  EXPECT_EQ(Quad.QN_LIST_SEL[0], 2);
  ASSERT_TRUE(drv::Scroll(d, 20, true, 3));
  EXPECT_EQ(Quad.QN_LIST_SEL[0], 0);
  EXPECT_EQ(Quad.QN_SEL[0], 0);

  // The standard uncertainty for every quadrupole assignment while ASN LIST is on.
  Sim.QN_Freeze[0] = 1;
  answers_.push_back(IDYES);
  ASSERT_TRUE(drv::TypeAndCommit(d, 8169, "0.125"));
  EXPECT_EQ(BoxTexts().back(),
            "[A] SIM [NoName]\n\nASSIGN THIS STANDARD UNCERTAINTY TO ALL QUAD LINES [YES] | ABORT [NO]?");
  EXPECT_FLOAT_EQ(Sim.Asn_StdUnc[0], 0.125f);
  EXPECT_EQ(Quad.Asn_TList[0][4], 0.125);
  // WIN and 2ND ORDER.
  ASSERT_TRUE(drv::TypeAndCommit(d, 8824, "250"));
  EXPECT_EQ(Quad.Frq_Win, 250.0);
  ASSERT_TRUE(drv::Click(d, 8813));
  EXPECT_EQ(BoxTexts().back(), "READ 2ND ORDER LINESET FIRST\n\nUSE OPTION RotCalc/QUAD PRMS/RD");
  EXPECT_EQ(Quad.SecondOrder[0], 0u);
  Quad.SecondOrderRead[0] = 1;
  ASSERT_TRUE(drv::Click(d, 8813));
  EXPECT_EQ(Quad.SecondOrder[0], 1u);

  // A stale position in the QN list records nothing.
  Sim.FI_QN_List_Sel[0] = 4;
  ASSERT_TRUE(drv::TypeAndCommit(d, 880, "20000.05"));
  EXPECT_EQ(Quad.Comp_ExpFrq[0][0], 0.0);
  EXPECT_EQ(Quad.Asn_Cnt[0], 1);
  Sim.FI_QN_List_Sel[0] = 0;
  // With the component list empty the rows and the scroll bar do nothing.
  Quad.QN_LIST_TOT[0] = 0;
  ASSERT_TRUE(drv::ChooseRadio(d, 811));
  EXPECT_EQ(Quad.QN_LIST_SEL[0], 0);
  ASSERT_TRUE(drv::TypeAndCommit(d, 881, "20000.25"));
  EXPECT_EQ(Quad.Comp_ExpFrq[0][1], 0.0);
  ASSERT_TRUE(drv::Scroll(d, 20, false));
  EXPECT_EQ(Quad.QN_LIST_SEL[0], 0);
  EXPECT_EQ(Quad.Asn_Cnt[0], 1);

  // Closing hides it and ends its request.
  ASSERT_TRUE(drv::Click(d, IDCANCEL));
  EXPECT_FALSE(IsWindowVisible(d));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_QUADQN][0], 0u);
}

// A J = 1 <- 0 line with a nucleus of spin 3/2 (chi_bb = chi_cc = -2, the line's upper
// level 1_01 with <Pb^2> = <Pc^2> = 1) splits by -eQq Y = -4 Y with Y = 1/4, -1/5, 1/20
// for F' = 1/2, 3/2, 5/2, intensities 1 : 2 : 3, in the QN dialog and the QUAD table.
TEST_F(SimCombDiffDialogTest, QuadrupoleComponentsOfAJOneFromZeroLine) {
  const int16_t j10[6] = {1, 0, 1, 0, 0, 0};
  const double dev[6] = {0.0, 0.0, 0.0, 0.0, 1.0, 1.0};  // J'' = 0: no lower derivatives
  SplitLineOne(j10, dev);
  const double chi[3] = {4.0, -2.0, -2.0};

  // 'j' at the line and a paint list its components.
  CursorOnLineOne();
  ASSERT_EQ(Quad.QN_Request[0], 1u);
  Paint();
  ASSERT_EQ(Quad.QN_LIST_TOT[0], 3);
  ASSERT_EQ(SimQuadQNDialogShow(0, 1, Win.hWnd_Main), 1u);
  HWND d = Sim.Dlg_Hwnd[SIM_DLG_QUADQN][0];
  SendMessage(d, WM_INITDIALOG, 0, 0);
  const char* fUp[3] = {"0.5", "1.5", "2.5"};
  const char* itn[3] = {"0.166667", "0.333333", "0.500000"};
  const char* frq[3] = {"1000.0000", "1001.8000", "1000.8000"};
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(drv::Text(d, 820 + 2 * r), fUp[r]) << r;
    EXPECT_EQ(drv::Text(d, 821 + 2 * r), "1.5") << r;
    EXPECT_EQ(drv::Text(d, 860 + r), itn[r]) << r;
    EXPECT_EQ(drv::Text(d, 870 + r), frq[r]) << r;
  }
  // F' = 5/2 assigned; the full QUAD table: line 1 split, lines 0 (J' = 0, J'' = 3) and
  // 2 (J'' = J' + 3) with no allowed component whole.
  ASSERT_TRUE(drv::TypeAndCommit(d, 882, "1000.81"));
  ASSERT_EQ(Quad.Asn_Cnt[0], 1);
  EXPECT_EQ(Quad.Asn_TList[0][1], 2.5);
  EXPECT_EQ(Quad.Asn_TList[0][2], 1.5);
  answers_ = {IDNO};
  ASSERT_EQ(SimAsnWriteAscii(0, "q.aso"), 1);
  EXPECT_EQ(ReadAll("q.aso"),
            "BT J' Ka' Kc' - J\" Ka\" Kc\"     F'   F\"   Sim Itn      Sim Frq     Expt Frq   O-C\r\n"
            "A   0   1   2 -  3   4   5     0     3     1.000      990.000\r\n"
            "B   1   0   1 -  0   0   0   0.5   1.5     0.167     1000.000\r\n"
            "                             1.5   1.5     0.333     1001.800\r\n"
            "                             2.5   1.5     0.500     1000.800     1000.810  10.0\r\n"
            "C  12  13  14 - 15  16  17    12    15     1.000     1010.000\r\n");

  // The intensity cut is a share of the line: 0.2 drops F' = 1/2.
  Quad.Itn_Cut[0] = 0.2f;
  ASSERT_EQ(QuadCalc(0, 1, &Sim, &Quad), 1);
  ASSERT_EQ(Quad.Comp_Count[0], 2);
  EXPECT_EQ(Quad.Comp_F[0][0], 1.5);
  Quad.Itn_Cut[0] = 0.0f;
  // A two-state set takes the upper level's constants and derivatives from the excited
  // state: half the constants, half the splitting.
  Sim.ONESTATE_STAT[0] = 0;
  Sim.DVS_NO[0][SIM_EXC] = 3;
  for (int g = 0; g < 3; ++g) {
    Sim.RC_DevStat[0][SIM_EXC][g] = 1;
    Quad.Prm[0][SIM_EXC][g] = 0.5 * chi[g];
  }
  ASSERT_EQ(QuadCalc(0, 1, &Sim, &Quad), 1);
  ASSERT_EQ(Quad.Comp_Count[0], 3);
  EXPECT_DOUBLE_EQ(Quad.Comp_Frq[0][0], 1000.5);
  EXPECT_DOUBLE_EQ(Quad.Comp_Frq[0][1], 1001.4);
  // Both levels split in a Q line 1 <- 1 (lower <Pb^2> = <Pc^2> = 1 too): seven
  // components sharing the line; F' = F'' = 1/2 at +(-2 + 4)/4, F' = F'' = 5/2 at
  // +(-2 + 4)/20.
  Sim.FI_Jkk_Lbl[0][6 + 3] = 1;
  Sim.FI_Dev[0][6 + 1] = Sim.FI_Dev[0][6 + 2] = -1.0;
  ASSERT_EQ(QuadCalc(0, 1, &Sim, &Quad), 1);
  ASSERT_EQ(Quad.Comp_Count[0], 7);
  double share = 0.0;
  for (int k = 0; k < 7; ++k) share += Quad.Comp_Itn[0][k];
  EXPECT_NEAR(share, 1.0, 1e-6);
  EXPECT_DOUBLE_EQ(Quad.Comp_Frq[0][0], 1001.5);
  EXPECT_EQ(Quad.Comp_F[0][12], 2.5);
  EXPECT_EQ(Quad.Comp_F[0][13], 2.5);
  EXPECT_DOUBLE_EQ(Quad.Comp_Frq[0][6], 1001.1);
  // No splitting: spin 1/2; a needed derivative that is not active (with its reason in
  // the status bar).
  Quad.Prm2[0] = 0.5;
  ASSERT_EQ(QuadCalc(0, 1, &Sim, &Quad), 1);
  ASSERT_EQ(Quad.Comp_Count[0], 1);
  EXPECT_EQ(Quad.Comp_F[0][0], 1.0);
  EXPECT_EQ(Quad.Comp_F[0][1], 1.0);
  EXPECT_EQ(Quad.Comp_Frq[0][0], 1001.0);
  EXPECT_EQ(Quad.Comp_Itn[0][0], 1.0f);
  Quad.Prm2[0] = 1.5;
  Sim.RC_DevStat[0][SIM_EXC][1] = 0;
  ASSERT_EQ(QuadCalc(0, 1, &Sim, &Quad), 1);
  EXPECT_EQ(Quad.Comp_Count[0], 1);
  EXPECT_EQ(Quad.Comp_Frq[0][0], 1001.0);
  EXPECT_EQ(StatusText(3), "[A] SIM [NoName] - QUAD NOT SPLIT - NO ACTIVE DERIVATIVE BY [B] OF [EXC]");
}

// The QUAD tables of PUB in the control dialog: a line whose components were assigned
// in the QUADRUPOLE QN dialog out of their order is written with both; past 5000
// assigned components a table says where it stopped and how many it left out (the
// assigned-only table ends there, the full list goes on with every line); an
// assigned-only table with no row is refused with its warning.
TEST_F(SimCombDiffDialogTest, QuadrupoleTablesKeepEveryAssignedLineAndSayWhereTheyStop) {
  HWND q = nullptr;
  ASSERT_NO_FATAL_FAILURE(QLineInTheQuadDialog(&q));
  // The sixth component (5/2 3/2 at 1000.0) first, then the second (1/2 3/2 at 999.2).
  ASSERT_TRUE(drv::Scroll(q, 20, false, 6));
  ASSERT_EQ(drv::Text(q, 873), "1000.0000");
  ASSERT_TRUE(drv::TypeAndCommit(q, 883, "1000.04"));
  ASSERT_TRUE(drv::Scroll(q, 20, true, 6));
  ASSERT_EQ(drv::Text(q, 871), "999.2000");
  ASSERT_TRUE(drv::TypeAndCommit(q, 881, "999.22"));
  ASSERT_EQ(Quad.Asn_Cnt[0], 2);
  ASSERT_EQ(Quad.Asn_TList[0][1], 2.5);

  StrCopy(Dsp.Data_Dir, std::filesystem::current_path().string().c_str());
  ASSERT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
  const std::string table = (std::filesystem::current_path() / "q.aso").string();
  const char* only = "WRITE ASN LINES ONLY [YES] | FULL LINE LIST [NO]?";
  auto publish = [&](int answer, const char* warning) {
    drv::Answers answers;
    answers.File(table);
    if (std::filesystem::exists(table)) answers.Box("Confirm Save As", "*already exists*", IDYES);
    answers.Box("Question", only, answer);
    if (warning) answers.Box("Warning", warning, IDOK);
    EXPECT_TRUE(drv::Click(Sim.Ctl_Hwnd, IDC_SC_PUB));
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
  };
  publish(IDYES, nullptr);
  EXPECT_EQ(ReadAll("q.aso"),
            "BT J' Ka' Kc' - J\" Ka\" Kc\"     F'   F\"      Expt Frq   O-C\r\n"
            "B   1   0   1 -  1   0   1   0.5   1.5       999.220  20.0\r\n"
            "                             2.5   1.5      1000.040  40.0\r\n");
  // Entries of no component of their line: no row, and the older table stays.
  for (int e = 0; e < 2; ++e) Quad.Asn_TList[0][5 * e + 1] += 10.0;
  publish(IDYES, "QUADRUPOLE ASN LINES NOT FOUND IN [A] SIM [NoName]\n\nABORTING");
  EXPECT_NE(ReadAll("q.aso").find("1000.040"), std::string::npos);

  // 5,003 lines of one component each (spin 0), every one assigned, the entries in
  // reverse order.
  constexpr uint32_t kLines = 5003;
  FillSet(0, kLines, 0, 2, false);
  Sim.FM_STAT[0] = 0;
  Sim.QC_STAT[0] = 1;
  Quad.Prm2[0] = 0.0;
  ASSERT_EQ(DAlloc1Dim(&Quad.Asn_TList[0], 5 * kLines), 1);
  for (uint32_t i = 0; i < kLines; ++i) {
    double* e = Quad.Asn_TList[0] + 5 * (kLines - 1 - i);
    const int16_t* label = Sim.FI_Jkk_Lbl[0] + 6 * i;
    e[0] = Sim.FI_Sim_Erg[0][i] + 0.001;
    e[1] = label[0];
    e[2] = label[3];
    e[3] = i;
    e[4] = 0.01;
  }
  Quad.Asn_Cnt[0] = static_cast<int32_t>(kLines);
  const std::string stop =
      "[A] SIM [NoName]\n\nQUAD TABLE [q.aso] HOLDS AT MOST [5000] ASSIGNED COMPONENTS\n\nLAST ASSIGNED COMPONENT WRITTEN WITH LINE [4999] 29994 29995 "
      "29996 - 29997 29998 29999\n\nASSIGNED COMPONENTS LEFT OUT=[3]\n\nCONTINUING";
  auto rows = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n') - 1; };
  publish(IDYES, stop.c_str());
  std::string written = ReadAll("q.aso");
  EXPECT_EQ(rows(written), 5000);
  publish(IDNO, stop.c_str());
  written = ReadAll("q.aso");
  EXPECT_EQ(rows(written), 5003);
  // The last line: its assignment left out, the line as calculated.
  EXPECT_EQ(written.substr(written.rfind("\n", written.size() - 3) + 1),
            "K  30012 30013 30014 - 30015 30016 30017 30012 30015     1.000    16006.000\r\n");
}

// The JKK assignment of a line whose components are assigned is the mean over all of
// them of the assigned frequency less the component's offset, whichever rows of the
// QUADRUPOLE QN dialog are in view when ASSIGN is pressed in the JKK QN dialog; and a
// row's edits act on the component's assignment as listed, whatever a paint left.
TEST_F(SimCombDiffDialogTest, QuadrupoleCentreOfALineDoesNotDependOnTheRowsInView) {
  HWND q = nullptr;
  ASSERT_NO_FATAL_FAILURE(QLineInTheQuadDialog(&q));
  // F' F'' = 1/2 3/2 (second row, 1.8 below the line) assigned 0.02 above its place,
  // 5/2 3/2 (sixth row, in view after scrolling down; 1.0 below) 0.04 above its place.
  ASSERT_EQ(drv::Text(q, 871), "999.2000");
  ASSERT_TRUE(drv::TypeAndCommit(q, 881, "999.22"));
  ASSERT_TRUE(drv::Scroll(q, 20, false, 6));
  ASSERT_EQ(drv::Text(q, 873), "1000.0000");
  ASSERT_TRUE(drv::TypeAndCommit(q, 883, "1000.04"));
  ASSERT_EQ(Quad.Asn_Cnt[0], 2);
  // What the assignment file could not hold again is not taken.
  ASSERT_TRUE(drv::TypeAndCommit(q, 882, "inf"));
  ASSERT_TRUE(drv::TypeAndCommit(q, 883, "nan"));
  ASSERT_TRUE(drv::TypeAndCommit(q, 893, "1e39"));
  ASSERT_EQ(Quad.Asn_Cnt[0], 2);
  SendMessage(q, WM_INITDIALOG, 0, 0);
  EXPECT_EQ(drv::Text(q, 883), "1000.0400");

  ASSERT_EQ(SimJkkQNDialogShow(0, 1, Win.hWnd_Main), 1u);
  HWND j = Sim.Dlg_Hwnd[SIM_DLG_JKKQN][0];
  for (bool top : {true, false}) {
    SCOPED_TRACE(top ? "first five rows in view" : "last five rows in view");
    ASSERT_TRUE(drv::Scroll(q, 20, top, 6));
    Paint();
    SendMessage(q, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(drv::Text(q, top ? 881 : 883), top ? "999.2200" : "1000.0400");
    Sim.FI_Exp_Erg[0][1] = 0.0;
    ASSERT_TRUE(drv::ChooseRadio(j, 810));
    ASSERT_TRUE(drv::Click(j, 896));
    EXPECT_NEAR(Sim.FI_Exp_Erg[0][1], 1001.03, 1e-9);
    EXPECT_EQ(Sim.FI_Asn_Lines[0], 1u);
  }
  // After a paint only the selected (seventh) component is looked up again; the shown
  // sixth still takes a typed uncertainty, as assigned.
  Paint();
  ASSERT_TRUE(drv::TypeAndCommit(q, 893, "0.125"));
  SendMessage(q, WM_INITDIALOG, 0, 0);
  EXPECT_EQ(drv::Text(q, 893), "0.1250");
}

}  // namespace
