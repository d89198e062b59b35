#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/FgPrm.h"
#include "records/Ga.h"
#include "records/Lsf.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/ThreadCtl.h"
#include "records/Trans.h"
#include "records/Win.h"

namespace {

template <std::size_t N>
bool Terminated(const char (&text)[N]) {
  return std::memchr(text, '\0', N) != nullptr;
}

void ResetAll() {
  Win = WinRecord{};
  Dsp = DspRecord{};
  Cnl = CnlRecord{};
  Cnv = CnvRecord{};
  Sim = SimRecord{};
  Lsf = LsfRecord{};
  Ga = GaRecord{};
  Quad = QuadRecord{};
  OrvPrm = OrvPrmRecord{};
  FgPrm = FgPrmRecord{};
  Trans = TransRecord{};
  ThreadCtl = ThreadCtlRecord{};
  RavThreadPool = RavThreadPoolRecord{};
}

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetAll(); }
  void TearDown() override { ResetAll(); }
};

static_assert(std::is_copy_assignable_v<WinRecord> && std::is_copy_assignable_v<DspRecord> &&
              std::is_copy_assignable_v<CnlRecord> && std::is_copy_assignable_v<SimRecord> &&
              std::is_copy_assignable_v<LsfRecord> && std::is_copy_assignable_v<ThreadCtlRecord>,
              "records must be resettable by assignment");

TEST_F(RecordsTest, StartValuesOfNamesUnitsAndVersions) {
  for (int c = 0; c < 10; ++c) EXPECT_STREQ(Dsp.Chn_Flnm[c], "Nothing") << c;
  EXPECT_STREQ(Dsp.Units_Txt, "MHz");
  EXPECT_STREQ(Dsp.Units_Tbl[Dsp.Units_Idx], "MHz");
  EXPECT_STREQ(Dsp.Units_Tbl[3], "EOL");
  EXPECT_STREQ(Dsp.Harm_Tbl[4], "EOL");
  EXPECT_STREQ(Dsp.Work_Comment, "INFORMATION");
  EXPECT_STREQ(Dsp.Work_Date, "00-00-0000");
  EXPECT_EQ(Dsp.FSR, 100.0);
  EXPECT_EQ(Dsp.Pts2Pxl[0], 100.0);
  EXPECT_EQ(Dsp.Pts2Pxl[3], 1.0);
  EXPECT_EQ(Dsp.ViewFolderUse, 1u);
  EXPECT_EQ(Dsp.RGB[3][1], 170);
  EXPECT_EQ(Dsp.RGB[10][2], 255);

  EXPECT_STREQ(Win.Version[Win.Version_Idx], "v6.02.00");
  EXPECT_STREQ(Win.Exe_Path, "Qv95.exe");
  EXPECT_STREQ(Win.View_Lbl[3], "[RAW]");
  EXPECT_STREQ(Win.ViewKind_Tbl[2], "NONE");

  for (int s = 0; s < 9; ++s) {
    EXPECT_STREQ(Sim.Sim_Flnm[s], "NoName") << s;
    EXPECT_EQ(std::string(Sim.Asn_Flnm[s]), std::string("Sim") + char('A' + s) + ".asn");
    EXPECT_EQ(std::string(Sim.Set_Lbl[s]), std::string(1, char('A' + s)));
    EXPECT_STREQ(Sim.Version[s], "QVS 1.9");
    EXPECT_EQ(Sim.Dsp_Scalar[s], 1.0);
    EXPECT_EQ(Sim.FIT_STATE[s], 1);
    EXPECT_EQ(Sim.Sine_Amp[s][0], 0.1);
    EXPECT_EQ(Sim.LS_NOLWS[s], 20);
    EXPECT_EQ(Sim.HT_Temp[s], 296.0);
    EXPECT_EQ(Sim.HT_Torr_Stat[s], 1u);
    EXPECT_EQ(std::string(Quad.Asn_Flnm[s]), std::string("Quad") + char('A' + s) + ".asn");
  }
  EXPECT_STREQ(Sim.Set_Lbl[9], "EOL");
  EXPECT_STREQ(Sim.LS_FuncName[3], "EOL");

  EXPECT_STREQ(OrvPrm.In_Flnm, "Orv.in");
  EXPECT_STREQ(OrvPrm.Res_Flnm, "NO_SIM");
  EXPECT_STREQ(Quad.In_Flnm, "Quad.in");
  EXPECT_STREQ(Quad.Prog_Path, "Hfs95.exe");
  EXPECT_STREQ(Ga.In_Flnm[0], "Evo95.gai");
  EXPECT_STREQ(Ga.Prog_Path[0], "Evo95.exe");
  EXPECT_STREQ(FgPrm.In_Flnm, "FG.in");
  EXPECT_STREQ(Cnl.Mks_Flnm, "Mks");
  EXPECT_STREQ(Cnl.MksRepeat_Flnm, "MksRepeat");
  EXPECT_STREQ(Cnl.RampFlnm, "AOMRampF");
  EXPECT_STREQ(Cnl.NrmPowFlnm, "UVPowPDF");
  EXPECT_EQ(Cnl.PtsAve, 8);
  EXPECT_EQ(Cnl.FloatMin, 1u);
  EXPECT_EQ(Cnl.MkStep, 100);
  EXPECT_EQ(Cnl.NrmVm, 1.0f);
  EXPECT_STREQ(Cnv.Out_Ext, "00");
  EXPECT_STREQ(Cnv.Ave_Flnm, "AveBinF");
}

TEST_F(RecordsTest, NoneIndexesAndPerSlotTablesStartFilledToTheLastRow) {
  EXPECT_EQ(Win.Active_Chn, 9);
  for (int s = 0; s < 9; ++s) EXPECT_EQ(Sim.Dsp_Cnl[s], 9) << s;
  EXPECT_EQ(Win.Child_Creating, 65535);
  // The last row of a hand-written table is the one a short initialiser would leave at 0.
  EXPECT_EQ(Win.Child_Y[9][2], 450);
  EXPECT_EQ(Win.Child_W[9][2], 1000);
  EXPECT_EQ(Win.Child_H[9][2], 300);
  EXPECT_EQ(Win.Child_PtsPerPxl[9][2], 1);
  EXPECT_EQ(Win.Child_PlotH[9][2], 500);
  EXPECT_EQ(Win.X_PAGES[3], 100.0);
  EXPECT_EQ(Cnl.Y_Min[9][2][3], -1.0);
  EXPECT_EQ(Cnl.Y_Max[9][2][3], 1.0);
  EXPECT_EQ(Cnl.Asc_Scalar, 5.0);
  EXPECT_EQ(Cnv.Scalar[29], 1.0f);
  EXPECT_EQ(Cnv.Flip_Pt[29], 1.0f);
  EXPECT_EQ(Cnv.Io[29], 1.0f);
  EXPECT_EQ(Cnv.Pts_Ave[29], 1);
  EXPECT_EQ(Cnv.NStps[29], 1);
  EXPECT_EQ(Cnv.Damp[29], 0.01);
  EXPECT_EQ(Cnv.MixRatio_Coef[29], 1.0);
  EXPECT_EQ(Cnv.Func_P1[29], 1.0);
  EXPECT_EQ(Cnv.Rsz_StpOut[29], 1.0);
  EXPECT_STREQ(Cnv.Func_Type[29], "LINEAR");
  EXPECT_STREQ(Cnv.Func_Flnm[29], "Func.txt");
  EXPECT_STREQ(Cnv.MixRatio_Flnm[29], "MixingRatio");
  EXPECT_STREQ(Cnv.Sub_Flnm[29], "SubBin");
  EXPECT_EQ(Trans.Trans_FrqSzEntry[9], 200000u);
  EXPECT_EQ(Trans.Trans_Cycs[9], 3.0);
  for (int16_t c = 0; c < 10; ++c) EXPECT_EQ(Trans.Trans_RefChn[c], c);  // itself: no reference
  EXPECT_EQ(Trans.Trans_Tukey_Alpha[9], 0.01);
  EXPECT_EQ(Trans.Trans_FrqSzFactor[9], 1.0);
  EXPECT_EQ(Trans.Trans_ChirpRate[9], 2e17);
  EXPECT_EQ(Trans.Trans_Delay[9], 1e-9);
  EXPECT_EQ(Trans.Trans_CoefSpan[9][3], 360.0);
  EXPECT_EQ(Cnl.Horz_Intv[9][0], 2.5e-12);
  EXPECT_EQ(Cnv.Fft_WinSense, 1);
  EXPECT_EQ(Cnv.Fft_Taper, 0.1);
  EXPECT_EQ(Ga.Plot_Fac[9], 1.0);
  EXPECT_EQ(Dsp.Scl_SpreadK[9], 1.0);
  EXPECT_EQ(Dsp.Ofs_HalfD[9], 1.0);
}

TEST_F(RecordsTest, ResetByAssignmentRestoresStartValuesIncludingSharedFlags) {
  std::snprintf(Dsp.Chn_Flnm[4], sizeof Dsp.Chn_Flnm[4], "%s", "scan.bin");
  std::snprintf(Sim.Sim_Flnm[2], sizeof Sim.Sim_Flnm[2], "%s", "oh");
  Win.Active_Chn = 4;
  Win.Page_Start = 1234;
  Cnv.Scalar[0] = 3.0f;
  Lsf.Run_Flag[3] = 1;
  Lsf.Seq_Voigt = 1;
  Sim.Busy_Stat[1] = 1;
  Cnl.Data_Pend[2][1] = 1;
  Dsp.Dsp_Ready = 1;
  ThreadCtl.View_Busy = 1;
  ThreadCtl.OpSeq_Running = 1;

  ResetAll();

  EXPECT_STREQ(Dsp.Chn_Flnm[4], "Nothing");
  EXPECT_STREQ(Sim.Sim_Flnm[2], "NoName");
  EXPECT_EQ(Win.Active_Chn, 9);
  EXPECT_EQ(Win.Page_Start, 0);
  EXPECT_EQ(Cnv.Scalar[0], 1.0f);
  EXPECT_EQ(Lsf.Run_Flag[3].load(), 0u);
  EXPECT_EQ(Lsf.Seq_Voigt.load(), 0u);
  EXPECT_EQ(Sim.Busy_Stat[1].load(), 0u);
  EXPECT_EQ(Cnl.Data_Pend[2][1].load(), 0u);
  EXPECT_EQ(Dsp.Dsp_Ready.load(), 0u);
  EXPECT_EQ(ThreadCtl.View_Busy.load(), 0u);
  EXPECT_EQ(ThreadCtl.OpSeq_Running.load(), 0u);
}

TEST_F(RecordsTest, StartTextsAreTerminatedInsideTheirFields) {
  for (int c = 0; c < 10; ++c) {
    EXPECT_TRUE(Terminated(Dsp.Chn_Flnm[c]));
    EXPECT_TRUE(Terminated(Win.Chn_Lbl[c]));
    for (int v = 0; v < 3; ++v) EXPECT_TRUE(Terminated(Win.ViewKind_Txt[v][c]));
  }
  for (int s = 0; s < 9; ++s) {
    EXPECT_TRUE(Terminated(Sim.Version[s]));
    EXPECT_TRUE(Terminated(Sim.Sim_Type[s]));
    EXPECT_TRUE(Terminated(Sim.Sim_Flnm[s]));
    EXPECT_TRUE(Terminated(Sim.Asn_Flnm[s]));
    EXPECT_TRUE(Terminated(Sim.LineDb_Flnm[s]));
    EXPECT_TRUE(Terminated(Sim.Label_Flnm[s]));
    EXPECT_TRUE(Terminated(Quad.Asn_Flnm[s]));
  }
  for (int v = 0; v < 3; ++v) EXPECT_TRUE(Terminated(Win.Version[v]));
  for (int k = 0; k < 30; ++k) {
    EXPECT_TRUE(Terminated(Cnv.Func_Type[k]));
    EXPECT_TRUE(Terminated(Cnv.Func_Flnm[k]));
    EXPECT_TRUE(Terminated(Cnv.MixRatio_Flnm[k]));
    EXPECT_TRUE(Terminated(Cnv.Sub_Flnm[k]));
  }
  EXPECT_TRUE(Terminated(Dsp.Work_Comment));
  EXPECT_TRUE(Terminated(Dsp.DspMsgBuffer));
  EXPECT_TRUE(Terminated(Dsp.Msg_Text));
  EXPECT_TRUE(Terminated(Win.Exe_Path));
  EXPECT_TRUE(Terminated(Win.Prnt_Density));
  EXPECT_TRUE(Terminated(OrvPrm.Version));
}

TEST(SharedFieldTest, CopyTakesTheValueAndLeavesTheSourceAlone) {
  Shared<uint32_t> a{5};
  Shared<uint32_t> b;
  b = a;
  EXPECT_EQ(b.load(), 5u);
  a = 7u;
  EXPECT_EQ(b.load(), 5u);
  EXPECT_EQ(a.exchange(1u), 7u);
  uint32_t plain = a;
  EXPECT_EQ(plain, 1u);
}

}  // namespace

TEST_F(RecordsTest, SimulationSetsStartEmptyWithTheirSwitchesAndTables) {
  for (int s = 0; s < SIM_SETS; ++s) {
    SCOPED_TRACE(s);
    EXPECT_STREQ(Sim.Sim_Type[s], "ORV v5.1");
    EXPECT_EQ(Sim.FI_Lines[s], 0u);
    EXPECT_EQ(Sim.FI_Sim_Erg[s], nullptr);
    EXPECT_EQ(Sim.QN_SortItn[s], 1u);
    EXPECT_EQ(Sim.HT_Doppler_Stat[s], 1u);
    EXPECT_EQ(Sim.Cheb_Order[s], 2);
    EXPECT_EQ(Sim.Cheb_Sections[s], 1);
    EXPECT_EQ(Sim.FI_QN_BEG[s], -1);
    EXPECT_EQ(Sim.FI_QN_END[s], -2);
    EXPECT_EQ(Sim.Frq_Scale[s], 1.0);
    EXPECT_EQ(Sim.TDM_Angle[s][2], 100.0);
    EXPECT_EQ(Sim.Temp2Erg[s], 20836.7381265);
    EXPECT_EQ(Sim.Rot_Temp[s][3], 1.0);
    EXPECT_EQ(Sim.Spin_Wts[s][3], 1u);
    EXPECT_EQ(Sim.HT_QT_Ref[s][17], 1.0);
    EXPECT_EQ(Sim.HT_QT_Ref[s][18], 0.0);
    EXPECT_DOUBLE_EQ(Sim.HT_NDens[s], 7.3388931384e+21 / 296.0);
    EXPECT_STREQ(Sim.Norm_Flnm[s], "NormFlnm");
    EXPECT_EQ(Sim.Trackbar_Stat[SIM_TRACKBARS - 1][s], 1u);
    EXPECT_EQ(Quad.Trackbar_Stat[s], 1u);
    EXPECT_EQ(Sim.FI_CD_FixSet_Cur[s], -1);
    EXPECT_EQ(Sim.LS_LorRange[s][1], 1.0);
  }
  EXPECT_EQ(Sim.LS_Double, 1u);
  EXPECT_EQ(Sim.PowNrm_Ref, 1.0);
  // Every counted HITRAN isotope has a label and a mass, ozone's older ones included.
  const int16_t counts[26] = {0, 6, 11, 18, 5, 6, 4, 3, 3, 2, 1, 2, 2, 3, 2, 2, 2, 1, 2, 5, 3, 2, 1, 3, 2, 1};
  for (int m = 0; m < HT_MOLECULES; ++m) {
    EXPECT_EQ(Sim.HT_Iso_Cnt[m], counts[m]) << m;
    for (int i = 0; i < Sim.HT_Iso_Cnt[m]; ++i) {
      EXPECT_GT(Sim.HT_MassTable[m][i], 1.0) << m << " " << i;
      EXPECT_GT(std::strlen(Sim.HT_Iso_Lbl[m][i]), 1u) << m << " " << i;
    }
  }
  EXPECT_STREQ(Sim.HT_Iso_Lbl[3][12], "888");
  EXPECT_NEAR(Sim.HT_MassTable[3][12], 3 * 17.999161, 1e-5);
  EXPECT_NEAR(Sim.HT_MassTable[2][0], 43.98983, 1e-5);
}
