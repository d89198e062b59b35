// The assigned-line list of a set and the JKK filter dialog, driven like a user would.
#include <algorithm>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "core/DebugLog.h"
#include "core/Repaint.h"
#include "core/Coords.h"
#include "display/Paint.h"
#include "display/ViewKeys.h"
#include "lineshape/LineShape.h"
#include "platform/driver/TestDriver.h"
#include "records/Locks.h"
#include "resources/Dialogs.h"
#include "sim/SimDialogs.h"

namespace {

namespace drv = platform::driver;

class SimAsnListTest : public qvtest::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    RegisterDialogResources();
  }
  void TearDown() override {
    for (auto& row : Sim.Dlg_Hwnd)
      for (HWND& w : row)
        if (w && IsWindow(w)) DestroyWindow(w);
    DisplayPaintBuffersFree();
    for (float** values : {&Win.PM_DrawAry, &Win.PM_DrawAry_Sum}) FFree1Dim(values);
    SimLineShapeStoresFree();  // the painting builds the sets' line shapes
    SimTest::TearDown();
  }
  // Twelve lines; line i has J' = i / 2, Ka' = i % 4, J'' = J' - (i % 3 - 1) (branch
  // i % 3 - 1) and is assigned unless i is a multiple of 3.
  void Lines() {
    FillSet(0, 12, 0, 2, false);
    uint32_t assigned = 0;
    for (int i = 0; i < 12; ++i) {
      int16_t* q = Sim.FI_Jkk_Lbl[0] + 6 * i;
      q[0] = static_cast<int16_t>(i / 2 + 2);
      q[1] = static_cast<int16_t>(i % 4);
      q[2] = 1;
      q[3] = static_cast<int16_t>(q[0] - (i % 3 - 1));
      q[4] = 0;
      q[5] = 1;
      if (Sim.FI_Exp_Erg[0][i] != 0.0) ++assigned;
    }
    Sim.FI_Asn_Lines[0] = assigned;
  }
  std::vector<int32_t> List() const {
    return std::vector<int32_t>(Sim.FI_QN_List_Ary[0], Sim.FI_QN_List_Ary[0] + Sim.FI_QN_List_Cnt[0]);
  }
  // The JKK QN dialog of set 0 over the QN list `lines`.
  HWND OpenJkk(const std::vector<int32_t>& lines) {
    if (LAlloc1Dim(&Sim.FI_QN_List_Ary[0], static_cast<uint32_t>(lines.size())) != 1) return nullptr;
    std::copy(lines.begin(), lines.end(), Sim.FI_QN_List_Ary[0]);
    Sim.FI_QN_List_Cnt[0] = Sim.FI_QN_List_Sz[0] = static_cast<int32_t>(lines.size());
    Sim.QN_Scan[0] = 1;
    if (SimJkkQNDialogShow(0, 1, Win.hWnd_Main) != 1) return nullptr;
    Sim.Dlg_Req[SIM_DLG_JKKQN][0] = 1;
    return Sim.Dlg_Hwnd[SIM_DLG_JKKQN][0];
  }
  HWND OpenFilter() {
    EXPECT_EQ(SimJkkFilterDialogShow(0, 1, Win.hWnd_Main), 1u);
    SimDlgRequest(SIM_DLG_FILTER, 0) = 1;
    return Sim.Dlg_Hwnd[SIM_DLG_FILTER][0];
  }
};

TEST_F(SimAsnListTest, ListTakesAssignedLinesAndRemembersThePosition) {
  // Nothing assigned: told so, nothing listed.
  FillSet(0, 3, 0, 2, false);
  for (int i = 0; i < 3; ++i) Sim.FI_Exp_Erg[0][i] = 0.0;
  Sim.FI_Asn_Lines[0] = 0;
  EXPECT_EQ(SimAsnListCreate(0), 0);
  EXPECT_EQ(BoxTexts().back(), "[A] SIM [NoName]\n\nNO ASSIGNED LINES FOUND");

  Lines();
  Sim.Edit_Stat[0] = 1;
  Sim.FI_QN_List_Sel[0] = 3;
  Sim.FI_QN_List_Top[0] = 2;
  ASSERT_EQ(SimAsnListCreate(0), 1);
  EXPECT_EQ(List(), (std::vector<int32_t>{1, 2, 4, 5, 7, 8, 10, 11}));
  EXPECT_EQ(Sim.QN_Sel_Line[0], 1);
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 0);
  EXPECT_EQ(Sim.FI_QN_List_Top[0], 0);
  EXPECT_EQ(Sim.Edit_Stat[0], 0u);
  EXPECT_EQ(Sim.Auto_Ctr, 1u);
  EXPECT_EQ(StatusText(0), "[A] SIM [NoName] - ASN LINES=[8]");
  // The list stops at the assigned count without calling the unassigned tail a fault.
  Sim.FI_Exp_Erg[0][10] = Sim.FI_Exp_Erg[0][11] = 0.0;
  Sim.FI_Asn_Lines[0] = 6;
  const size_t boxes = BoxTexts().size();
  ASSERT_EQ(SimAsnListCreate(0), 1);
  EXPECT_EQ(List(), (std::vector<int32_t>{1, 2, 4, 5, 7, 8}));
  EXPECT_EQ(BoxTexts().size(), boxes);
  // A remembered position comes back without a filter, with the first row following it.
  Sim.FI_QN_List_Mem[0] = 5;
  ASSERT_EQ(SimAsnListCreate(0), 1);
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 5);
  EXPECT_EQ(Sim.FI_QN_List_Top[0], 5);
  EXPECT_EQ(Sim.QN_Sel_Line[0], 8);
  Sim.FI_QN_List_Mem[0] = 6;  // beyond the list: ignored
  ASSERT_EQ(SimAsnListCreate(0), 1);
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 0);
  // More assigned lines than the count says: warned, the list is not used.
  Sim.FI_Asn_Lines[0] = 4;
  EXPECT_EQ(SimAsnListCreate(0), 0);
  EXPECT_EQ(BoxTexts().back(),
            "SimAsnListCreate()\n\nLIST TOT[5] != ASN SIM LINES[4] (PROGRAM BUG)\nCONTINUING");
}

TEST_F(SimAsnListTest, FilterDialogNarrowsTheListAndClosingWidensIt) {
  Lines();
  Sim.QN_Freeze[0] = 1;
  ASSERT_EQ(SimAsnListCreate(0), 1);
  Sim.FI_QN_List_Sel[0] = 2;
  HWND f = OpenFilter();
  ASSERT_TRUE(f && IsWindowVisible(f));
  EXPECT_EQ(drv::ListItems(f, 780), (std::vector<std::string>{"ALL", "J'", "Ka'", "Kc'", "J\"", "Ka\"", "Kc\""}));
  EXPECT_EQ(drv::ListItems(f, 781), (std::vector<std::string>{"ALL", "P", "Q", "R"}));
  EXPECT_EQ(drv::ListSelection(f, 780), 0);
  EXPECT_EQ(drv::Text(f, 782), "0");
  // Ka' = 3 with branch R: only lines with Ka' 3 and J' - J'' = +1 stay (line 11).
  ASSERT_TRUE(drv::TypeText(f, 782, "3"));
  EXPECT_EQ(Sim.Jkk_QNVal[0], 3);
  ASSERT_TRUE(drv::SelectRow(f, 780, 2));
  EXPECT_EQ(Sim.Jkk_Filter[0][0], 1u);
  EXPECT_EQ(Sim.Jkk_QNIdx[0], 1);
  EXPECT_EQ(Sim.FI_QN_List_Mem[0], 2);  // the unfiltered position is remembered
  EXPECT_EQ(List(), (std::vector<int32_t>{7, 11}));
  ASSERT_TRUE(drv::SelectRow(f, 781, 3));
  EXPECT_EQ(Sim.Jkk_BrVal[0], 1);
  EXPECT_EQ(List(), (std::vector<int32_t>{11}));
  EXPECT_EQ(Sim.QN_Sel_Line[0], 11);
  // With both filters on, every change of the value rebuilds the list at once.
  ASSERT_TRUE(drv::TypeText(f, 782, "1"));
  EXPECT_EQ(List(), (std::vector<int32_t>{5}));
  // Branch P with Ka' 1 matches no assigned line: the list is empty and ASN LIST ends.
  ASSERT_TRUE(drv::SelectRow(f, 781, 1));
  EXPECT_EQ(Sim.FI_QN_List_Cnt[0], 0);
  EXPECT_EQ(Sim.QN_Freeze[0], 0u);
  // A refresh shows the filters set.
  Sim.QN_Freeze[0] = 1;
  SendMessage(f, WM_INITDIALOG, 0, 0);
  EXPECT_EQ(drv::ListSelection(f, 780), 2);
  EXPECT_EQ(drv::ListSelection(f, 781), 1);
  EXPECT_EQ(drv::Text(f, 782), "1");
  // Closing switches both filters off and brings the whole list and its position back.
  ASSERT_TRUE(drv::Click(f, IDCANCEL));
  EXPECT_FALSE(IsWindowVisible(f));
  EXPECT_EQ(Sim.Jkk_Filter[0][0], 0u);
  EXPECT_EQ(Sim.Jkk_Filter[0][1], 0u);
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_FILTER][0], 0u);
  EXPECT_EQ(Sim.QN_Freeze[0], 1u);
  EXPECT_EQ(List(), (std::vector<int32_t>{1, 2, 4, 5, 7, 8, 10, 11}));
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 2);
}

TEST_F(SimAsnListTest, JkkDialogRowsScrollSelectionAndKeys) {
  Dsp.Init_Frq = 1000.0;
  Dsp.FSR = 1.0;
  Dsp.Pts_FSR = 1;
  Win.Active_Chn = 0;
  Dsp.Chn_DspStat[0] = 1;
  Sim.Dsp_Stat[0] = 1;
  FillSet(0, 8, 0, 2, false);
  for (uint32_t i = 0; i < 8; ++i) Sim.FI_Exp_Erg[0][i] = 0.0;
  Sim.FI_Exp_Erg[0][1] = Sim.FI_Sim_Erg[0][1] + 0.25;
  Sim.FI_Asn_Lines[0] = 1;
  Sim.FI_Exp_Unc[0][0] = 0.0005f;
  Sim.FI_Exp_Unc[0][1] = 150.0f;
  Sim.FI_Exp_Unc[0][2] = 0.5f;
  Sim.FI_Exp_Unc[0][3] = 0.0f;
  Sim.FM_STAT[0] = 0;
  HWND d = OpenJkk({0, 1, 2, 3, 4, 5, 6, 7});
  ASSERT_TRUE(d && IsWindowVisible(d));
  EXPECT_TRUE(GetDlgItem(d, 815) && GetDlgItem(d, 8153));
  EXPECT_FALSE(GetDlgItem(d, 850));
  // Row contents: band, labels, frequencies and the uncertainty forms.
  EXPECT_EQ(drv::Text(d, 815), "A");
  EXPECT_EQ(drv::Text(d, 820 + 6 + 2), "8");
  EXPECT_EQ(drv::Text(d, 870 + 1), "1003.0000");
  EXPECT_EQ(drv::Text(d, 880), "");
  EXPECT_EQ(drv::Text(d, 880 + 1), "1003.2500");
  EXPECT_EQ(drv::Text(d, 890), "5.00e-04");
  EXPECT_EQ(drv::Text(d, 890 + 1), "1.50e+02");
  EXPECT_EQ(drv::Text(d, 890 + 2), "0.5000");
  EXPECT_EQ(drv::Text(d, 890 + 3), "");
  EXPECT_TRUE(drv::IsChecked(d, 810));
  // O-C in the EXPT FREQ column.
  ASSERT_TRUE(drv::SetCheck(d, 8168, true));
  EXPECT_EQ(Sim.QN_ShowOC[0], 1u);
  SendMessage(d, WM_INITDIALOG, 0, 0);
  EXPECT_EQ(drv::Text(d, 880 + 1), "0.2500");
  // Scrolling: up at the top changes nothing; down past row 5 moves the first row.
  ASSERT_TRUE(drv::Scroll(d, 20, true));
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 0);
  EXPECT_EQ(Sim.FI_QN_List_Top[0], 0);
  ASSERT_TRUE(drv::Scroll(d, 20, false, 5));
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 5);
  EXPECT_EQ(Sim.FI_QN_List_Top[0], 1);
  EXPECT_EQ(Sim.QN_Sel_Line[0], 5);
  EXPECT_EQ(drv::Text(d, 870), "1003.0000");  // the first row now shows position 1
  EXPECT_TRUE(drv::IsChecked(d, 814));
  ASSERT_TRUE(drv::Scroll(d, 20, false, 5));
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 7);  // stops at the last entry
  EXPECT_EQ(Sim.FI_QN_List_Top[0], 3);
  // A row radio selects its position; ASSIGN and CLEAR act on the checked row.
  Sim.QN_FromList[0] = 0;
  Quad.QN_FromList[0] = 1;
  ASSERT_TRUE(drv::ChooseRadio(d, 810 + 1));
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 4);
  EXPECT_EQ(Sim.QN_FromList[0], 1u);
  EXPECT_EQ(Quad.QN_FromList[0], 0u);
  ASSERT_TRUE(drv::Click(d, 896));
  EXPECT_NE(Sim.FI_Exp_Erg[0][4], 0.0);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 2u);
  ASSERT_TRUE(drv::Click(d, 897));
  EXPECT_EQ(Sim.FI_Exp_Erg[0][4], 0.0);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 1u);
  // ASN LIST lists the one assigned line.
  ASSERT_TRUE(drv::Click(d, 8170));
  EXPECT_EQ(Sim.QN_Freeze[0], 1u);
  EXPECT_EQ(List(), (std::vector<int32_t>{1}));
  ASSERT_TRUE(drv::Click(d, 8170));
  EXPECT_EQ(Sim.QN_Freeze[0], 0u);
  // F labels bring the other layout in place of this window.
  Sim.FM_STAT[0] = 1;
  ASSERT_EQ(SimJkkQNDialogShow(0, 1, Win.hWnd_Main), 1u);
  HWND f = Sim.Dlg_Hwnd[SIM_DLG_JKKQN][0];
  EXPECT_FALSE(IsWindow(d));
  ASSERT_TRUE(f && GetDlgItem(f, 850));
  EXPECT_FALSE(GetDlgItem(f, 8153));
  // Closing hides it and ends its request.
  ASSERT_TRUE(drv::Click(f, IDCANCEL));
  EXPECT_FALSE(IsWindowVisible(f));
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_JKKQN][0], 0u);
}

// The display of the dialog tests: 10000 points of 1 MHz from `start`.
void Display(double start) {
  Dsp.Init_Frq = start;
  Dsp.FSR = 1.0;
  Dsp.Pts_FSR = 1;
  Dsp.FL_SZ[3][0] = 10000;
  Win.Active_Chn = 0;
  Dsp.Chn_DspStat[0] = 1;
}

TEST_F(SimAsnListTest, JkkDialogEditsActOnLeavingAChangedField) {
  Display(1000.0);
  Sim.Dsp_Stat[0] = 1;
  FillSet(0, 6, 0, 2, false);  // lines at 1000 + 3i; 1, 2, 4 and 5 assigned
  Sim.FM_STAT[0] = 0;
  Sim.FI_Asn_Lines[0] = 4;
  HWND d = OpenJkk({0, 1, 2, 3, 4, 5});
  ASSERT_TRUE(d);

  // A quantum number of an unassigned line: the set is modified, its assignments are not.
  ASSERT_TRUE(drv::TypeAndCommit(d, 820 + 1, "7"));
  EXPECT_EQ(Sim.FI_Jkk_Lbl[0][1], 7);
  EXPECT_EQ(Sim.Sim_Modified[0], 1u);
  EXPECT_EQ(Sim.Asn_Modified[0], 0u);
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 0);
  // The band of an assigned line also modifies the assignments; the row becomes the selection.
  ASSERT_TRUE(drv::TypeAndCommit(d, 815 + 1, "Z"));
  EXPECT_EQ(Sim.FI_BT_Lbl[0][1], 'Z');
  EXPECT_EQ(Sim.Asn_Modified[0], 1u);
  EXPECT_EQ(Sim.FI_QN_List_Sel[0], 1);
  EXPECT_EQ(Sim.QN_Sel_Line[0], 1);
  // Leaving a field without changing it does nothing.
  Sim.Sim_Modified[0] = 0;
  SetFocus(GetDlgItem(d, 862));
  ASSERT_TRUE(drv::Commit(d));
  EXPECT_EQ(Sim.Sim_Modified[0], 0u);
  // EXPT UNC and SIM ITN.
  ASSERT_TRUE(drv::TypeAndCommit(d, 890 + 2, "0.25"));
  EXPECT_EQ(Sim.FI_Exp_Unc[0][2], 0.25f);
  EXPECT_EQ(drv::Text(d, 890 + 2), "0.2500");
  ASSERT_TRUE(drv::TypeAndCommit(d, 860 + 3, "2.5"));
  EXPECT_EQ(Sim.FI_Sim_Itn[0][3], 2.5f);
  // An experimental frequency of 0 unassigns the line without marking the assignments.
  Sim.Asn_Modified[0] = 0;
  ASSERT_TRUE(drv::TypeAndCommit(d, 880 + 4, "0"));
  EXPECT_EQ(Sim.FI_Exp_Erg[0][4], 0.0);
  EXPECT_EQ(Sim.Asn_Modified[0], 0u);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 3u);
  EXPECT_EQ(drv::Text(d, 880 + 4), "");
  ASSERT_TRUE(drv::TypeAndCommit(d, 880, "1000.5"));
  EXPECT_EQ(Sim.FI_Exp_Erg[0][0], 1000.5);
  EXPECT_EQ(Sim.Asn_Modified[0], 1u);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 4u);
  // A simulated frequency outside the data is refused; inside it the line moves in order.
  ASSERT_TRUE(drv::TypeAndCommit(d, 870, "20000"));
  EXPECT_EQ(BoxTexts().back(), "FRQ [20000.000000] NOT IN EXPT DATA RANGE\n\nDISCARDING");
  EXPECT_EQ(Sim.FI_Sim_Erg[0][0], 1000.0);
  Sim.Auto_Ctr = 0;
  ASSERT_TRUE(drv::TypeAndCommit(d, 870, "1010.5"));
  EXPECT_EQ(Sim.FI_Sim_Erg[0][3], 1010.5);
  EXPECT_EQ(Sim.FI_Jkk_Lbl[0][6 * 3 + 1], 7);  // the edited line's label travelled with it
  EXPECT_EQ(Sim.FI_Exp_Erg[0][3], 1000.5);
  EXPECT_EQ(Sim.Auto_Ctr, 1u);
  // UNC with ASN LIST on: offered to every assigned line.
  Sim.QN_Freeze[0] = 1;
  answers_ = {IDYES};
  ASSERT_TRUE(drv::TypeAndCommit(d, 8169, "0.05"));
  EXPECT_EQ(Sim.Asn_StdUnc[0], 0.05f);
  for (uint32_t i = 0; i < 6; ++i) {
    if (Sim.FI_Exp_Erg[0][i] != 0.0) {
      EXPECT_EQ(Sim.FI_Exp_Unc[0][i], 0.05f) << i;
    }
  }
  EXPECT_TRUE(drv::MatchPattern("[A] SIM [NoName]\n\nASN SAME UNCERTAINTY TO ALL LINES*", BoxTexts().back()));
  // CALC: no rotor program is installed here: a warning naming its path, nothing read.
  const size_t boxes = BoxTexts().size();
  ASSERT_TRUE(drv::Click(d, 8153));
  ASSERT_EQ(BoxTexts().size(), boxes + 1);
  EXPECT_TRUE(drv::MatchPattern("[A] SIM [NoName]\n\nPROGRAM NOT FOUND [*", BoxTexts().back()));
}

TEST_F(SimAsnListTest, JkkDialogNewLineSlotAddsAndCopiesLines) {
  // Frequencies beyond 2147483 MHz: the kHz comparison needs 64 bits.
  const std::vector<double> freqs = {2500000.0, 2500003.1234, 2500006.0};
  Display(2499990.0);
  Sim.Dsp_Stat[0] = 1;
  FillSet(0, 3, 0, 2, false, &freqs);
  Sim.FM_STAT[0] = 0;
  Sim.FI_Asn_Lines[0] = 2;
  // Editing by hand: the list's head entry is the slot for a new line.
  Sim.Edit_Stat[0] = 1;
  HWND d = OpenJkk({0, 0, 1, 2});
  ASSERT_TRUE(d);
  EXPECT_EQ(drv::Text(d, 870), "");  // the slot shows an empty row
  EXPECT_EQ(drv::Text(d, 871), "2500000.0000");

  // Only SIM FREQ and the band act on the slot.
  ASSERT_TRUE(drv::TypeAndCommit(d, 880, "2500001"));
  EXPECT_EQ(BoxTexts().back(), "ENTRY DISCARDED\n\nADD LINE FIRST BY ENTERING SIM FRQ | USING [ASSIGN] BUTTON");
  EXPECT_EQ(Sim.FI_Lines[0], 3u);
  // A band on the slot offers F labels (F = J) to a set without them.
  Sim.FM_STAT[0] = 0;
  answers_ = {IDYES};
  ASSERT_TRUE(drv::TypeAndCommit(d, 815, "B"));
  EXPECT_EQ(Sim.FM_STAT[0], 1u);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(Sim.FI_FM_Lbl[0][2 * i], Sim.FI_Jkk_Lbl[0][6 * i]);
    EXPECT_EQ(Sim.FI_FM_Lbl[0][2 * i + 1], Sim.FI_Jkk_Lbl[0][6 * i + 3]);
  }
  ASSERT_TRUE(drv::TypeAndCommit(d, 815, "C"));
  EXPECT_EQ(BoxTexts().back(), "ENTRY DISCARDED\n\nADD LINE FIRST BY ENTERING SIM FRQ | USING ASSIGN BUTTON");

  // SIM FREQ on the slot adds a line; the line at the same kHz gives its labels.
  Sim.FI_FM_Lbl[0][2] = 7.5f;
  Sim.Auto_Ctr = 0;
  DebugFileSet(131, 0, 0);
  ASSERT_TRUE(drv::TypeAndCommit(d, 870, "2500003.1236"));
  DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
  const std::string log = ReadAll("Qv95_Debug.log");
  EXPECT_EQ(log,
            "DEFINE LINE - FI_LNS[0]=4 SIM_LN=3\r\n"
            "COPY(1) LINE - SIM_CT=0 LST_CT=0 LIST_TOT=4\r\n"
            "COPY(1) LINE - SIM_CT=0 LST_CT=1 LIST_TOT=4\r\n"
            "COPY(1) LINE - SIM_CT=1 LST_CT=2 LIST_TOT=4\r\n"
            "COPY LINE(2) - FI_LINES[0]=4 MATCH\r\n"
            "GET LINE - FRQ=2500003.123600\r\n");
  ASSERT_EQ(Sim.FI_Lines[0], 4u);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][2], 2500003.1236);  // sorted in after its model
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Sim.FI_Jkk_Lbl[0][6 * 2 + k], Sim.FI_Jkk_Lbl[0][6 * 1 + k]) << k;
  EXPECT_EQ(Sim.FI_BT_Lbl[0][2], Sim.FI_BT_Lbl[0][1]);
  EXPECT_EQ(Sim.FI_FM_Lbl[0][4], 7.5f);
  EXPECT_EQ(Sim.FI_Gau_FWHM[0][2], Sim.FI_Gau_FWHM[0][1]);
  EXPECT_EQ(Sim.FI_Sim_Itn[0][2], 1.0f);
  EXPECT_EQ(Sim.FI_Exp_Erg[0][2], 0.0);
  EXPECT_EQ(Sim.Sim_Modified[0], 1u);
  EXPECT_EQ(Sim.Auto_Ctr, 1u);
  // No line at the typed kHz: the new line keeps the labels of a fresh line.
  Sim.FI_QN_List_Sel[0] = 0;
  Sim.FI_QN_List_Top[0] = 0;
  Sim.FI_QN_List_Ary[0][0] = 0;
  ASSERT_TRUE(drv::TypeAndCommit(d, 870, "2500001.5"));
  ASSERT_EQ(Sim.FI_Lines[0], 5u);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][1], 2500001.5);
  EXPECT_EQ(Sim.FI_BT_Lbl[0][1], 'N');
  EXPECT_EQ(Sim.FI_Jkk_Lbl[0][6 * 1], 0);
}

TEST_F(SimAsnListTest, JkkDialogShowsTheListItsEditsActOn) {
  PaintLikeTheProgram();
  Display(1000.0);
  FillSet(0, 6, 0, 2, false);  // lines at 1000 + 3i; 1, 2, 4 and 5 assigned
  Sim.Dsp_Stat[0] = 1;
  Sim.FM_STAT[0] = 0;
  Sim.FI_Asn_Lines[0] = 4;
  HWND d = OpenJkk({0, 1, 2, 3, 4, 5});
  ASSERT_TRUE(d);
  // ASN LIST: the rows show the assigned lines, and an EXPT FREQ typed into a row goes
  // to the line that row shows.
  ASSERT_TRUE(drv::Click(d, 8170));
  ASSERT_EQ(List(), (std::vector<int32_t>{1, 2, 4, 5}));
  EXPECT_EQ(drv::Text(d, 870), "1003.0000");
  ASSERT_TRUE(drv::TypeAndCommit(d, 880 + 1, "1006.2"));
  EXPECT_EQ(Sim.FI_Exp_Erg[0][2], 1006.2);
  // A later paint leaves an edit being typed alone.
  ASSERT_TRUE(drv::TypeText(d, 880 + 2, "1012.3"));
  RepaintWindow("TEST", Win.hWnd_Main, TRUE);
  EXPECT_EQ(drv::Text(d, 880 + 2), "1012.3");
  ASSERT_TRUE(drv::Commit(d));
  EXPECT_EQ(Sim.FI_Exp_Erg[0][4], 1012.3);
  // Asked for from the control dialog, the hidden dialog shows after the search.
  ShowWindow(d, SW_HIDE);
  Sim.Dlg_Shown[SIM_DLG_JKKQN][0] = 0;
  Sim.Cur_Set = 0;
  SimModelessDialogUpdate(0, 1);
  EXPECT_TRUE(IsWindowVisible(Sim.Dlg_Hwnd[SIM_DLG_JKKQN][0]));
  DisplayPaintBuffersFree();
}

// A set edited by hand: EDIT STAT ticked in the control dialog, the row the user then
// clicks in the JKK dialog is the line CLEAR deletes, and the control dialog's count
// and RMS of the assigned lines follow every deletion, by CLEAR and by the 'K' key.
TEST_F(SimAsnListTest, EditStatRowClickedIsTheLineDeletedAndTheCountsFollow) {
  PaintLikeTheProgram();
  Dsp.Dsp_Ready = 1;
  Display(1000.0);
  for (auto& p : Dsp.Pts2Pxl) p = 1.0;
  for (auto& step : Dsp.FrqStpView) step = 1.0;
  Win.View_Level = 3;
  Win.Cursor_X = 8;  // the cursor window 998 .. 1018 MHz holds every line
  // The painting draws the sets into the draw arrays, under the renderer's lock.
  if (!SimPlotLock.state) InitializeCriticalSection(&SimPlotLock);
  for (float** values : {&Win.PM_DrawAry, &Win.PM_DrawAry_Sum}) ASSERT_EQ(FAlloc1Dim(values, WIN_DRAW_PTS), 1);
  // Six lines of a band at 1000 + 3i MHz with their labels J' Ka' Kc' - J" Ka" Kc";
  // 2 1 2-2 0 2 (1006) is assigned 0.4 above its frequency, 3 0 3-2 1 2 (1012) 0.2.
  FillSet(0, 6, 0, 2, false);
  const int16_t labels[6][6] = {{1, 0, 1, 0, 0, 0}, {2, 1, 1, 2, 0, 2}, {2, 1, 2, 2, 0, 2},
                                {2, 0, 2, 1, 1, 1}, {3, 0, 3, 2, 1, 2}, {3, 1, 3, 2, 1, 2}};
  for (int i = 0; i < 6; ++i) {
    std::copy(labels[i], labels[i] + 6, Sim.FI_Jkk_Lbl[0] + 6 * i);
    Sim.FI_Exp_Erg[0][i] = 0.0;
  }
  Sim.FI_Exp_Erg[0][2] = 1006.4;
  Sim.FI_Exp_Erg[0][4] = 1012.2;
  SimFIAsnCalc(0, 0, 0);
  Sim.FM_STAT[0] = 0;
  Sim.IDVWIDTH_STAT[0] = 0;  // the set's own widths
  Sim.Dsp_Stat[0] = 1;
  Sim.Cur_Set = 0;
  ASSERT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
  Sim.Ctl_Shown = 1;
  HWND control = Sim.Ctl_Hwnd;
  EXPECT_EQ(drv::Text(control, IDC_SC_ASNLNS), "2");
  EXPECT_EQ(drv::Text(control, IDC_SC_OMC), "0.316228");
  // The JKK QN dialog asked for in the control dialog: the search in the cursor window
  // lists the band.
  ASSERT_TRUE(drv::Click(control, SimCtlRequestBox(SIM_DLG_JKKQN)));
  HWND jkk = Sim.Dlg_Hwnd[SIM_DLG_JKKQN][0];
  ASSERT_TRUE(jkk && IsWindowVisible(jkk));
  ASSERT_EQ(List(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
  // EDIT STAT: the list gets its new-line slot at once; the click on row 4 holds.
  ASSERT_TRUE(drv::Click(control, IDC_SC_EDIT));
  EXPECT_EQ(Sim.Edit_Stat[0], 1u);
  EXPECT_EQ(List(), (std::vector<int32_t>{0, 0, 1, 2, 3, 4, 5}));
  ASSERT_TRUE(drv::ChooseRadio(jkk, 810 + 3));
  EXPECT_TRUE(drv::IsChecked(jkk, 810 + 3));
  EXPECT_EQ(drv::Text(jkk, 820 + 6 * 3 + 2), "2");  // row 4 shows 2 1 2-2 0 2
  EXPECT_EQ(drv::Text(jkk, 870 + 3), "1006.0000");
  // CLEAR deletes that line, and its assignment leaves the count and the RMS.
  ASSERT_TRUE(drv::Click(jkk, 897));
  ASSERT_EQ(Sim.FI_Lines[0], 5u);
  const std::vector<double> left(Sim.FI_Sim_Erg[0], Sim.FI_Sim_Erg[0] + 5);
  EXPECT_EQ(left, (std::vector<double>{1000.0, 1003.0, 1009.0, 1012.0, 1015.0}));
  EXPECT_EQ(Sim.FI_Jkk_Lbl[0][6 * 1 + 2], 1);  // 2 1 1-2 0 2 is still there
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 1u);
  EXPECT_FLOAT_EQ(Sim.FI_OmC_Rms[0], 0.2f);
  EXPECT_EQ(drv::Text(control, IDC_SC_CAL), "5");
  EXPECT_EQ(drv::Text(control, IDC_SC_ASNLNS), "1");
  EXPECT_EQ(drv::Text(control, IDC_SC_OMC), "0.200000");
  // The last assigned line (3 0 3-2 1 2, now in row 5) by the 'K' key of the main plot.
  ASSERT_EQ(List(), (std::vector<int32_t>{0, 0, 1, 2, 3, 4}));
  ASSERT_TRUE(drv::ChooseRadio(jkk, 810 + 4));
  EXPECT_EQ(drv::Text(jkk, 870 + 4), "1012.0000");
  ASSERT_TRUE(drv::TypeChar(Win.hWnd_Main, 'K'));
  ASSERT_EQ(Sim.FI_Lines[0], 4u);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][3], 1015.0);
  EXPECT_EQ(drv::Text(control, IDC_SC_ASNLNS), "0");
  EXPECT_EQ(drv::Text(control, IDC_SC_OMC), "0.000000");
  DestroyWindow(control);
}

TEST_F(SimAsnListTest, JkkDialogHitranColumns) {
  Display(990.0);
  FillSet(0, 3, 0, 2, true);
  Sim.HT_Press[0] = 2.0;
  for (uint32_t i = 0; i < 3; ++i) Sim.FI_Exp_Erg[0][i] = 0.0;
  Sim.FI_Erg_Idx[0][SIM_GND][0] = 1;
  Sim.FM_STAT[0] = 0;
  HWND d = OpenJkk({0, 1, 2});
  ASSERT_TRUE(d);
  EXPECT_EQ(drv::Text(d, 815), "1");            // isotope digit of label 21
  DebugFileSet(123, 0, 0);
  SendMessage(d, WM_INITDIALOG, 0, 0);
  DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
  EXPECT_NE(ReadAll("Qv95_Debug.log").find("QN MOL LBLLBL=2 21\r\n"), std::string::npos);
  EXPECT_EQ(drv::Text(d, 870), "999.9980");     // shifted by air delta x pressure
  EXPECT_EQ(drv::Text(d, 880), "1.0000e+02");  // unassigned: the ground-state energy
  EXPECT_EQ(drv::Text(d, 891), "1");            // line index
}

}  // namespace
