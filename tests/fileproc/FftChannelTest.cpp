// The channel transform of the time/frequency views, the phase update and phase zero.
#include <cmath>

#include "FileOpsFixture.h"
#include "core/TypedArrays.h"
#include "fileproc/Fourier.h"
#include "records/Cnl.h"
#include "records/FftwCache.h"
#include "records/MathConst.h"
#include "records/Sim.h"
#include "records/Trans.h"

namespace {

class FftChannelTest : public qvtest::AnsweringFileOpsTest {
 protected:
  void SetUp() override {
    AnsweringFileOpsTest::SetUp();
    Trans = TransRecord{};
    Cnl = CnlRecord{};
    Sim = SimRecord{};
    MathConst = MathConstRecord{};
  }
  void TearDown() override {
    for (int16_t c = 0; c <= 9; ++c) TransChannelFree(c);
    for (double*& p : Sim.FI_Sim_Erg) DFree1Dim(&p);
    AnsweringFileOpsTest::TearDown();
  }
  // Channel 0 with a time file of n points.
  void TimeChannel(int n) {
    std::vector<float> t(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) t[static_cast<size_t>(i)] = std::cos(0.3f * i) * std::exp(-0.002f * i);
    WriteValues("t", t);
    StrCopy(Trans.Trans_TimeFlnm[0], "t");
    Trans.Trans_TimeSz[0] = static_cast<uint32_t>(n);
    Cnl.Pt_Cnt[0][0] = static_cast<uint32_t>(n);
    Cnl.Horz_Intv[0][0] = 1e-9;
  }
  // A loaded transform of n points whose Re/Im files hold one line at point 200 turned
  // by `turn` degrees: (Re + i Im) = exp(-i turn) (A + i D), A even and D odd about it.
  void RotatedLine(int n, double turn) {
    std::vector<float> re(static_cast<size_t>(n)), im(static_cast<size_t>(n));
    const double t = turn * M_PI / 180.0;
    for (int k = 0; k < n; ++k) {
      const double x = (k - 200) / 6.0;
      const double a = std::exp(-x * x), d = x * std::exp(-x * x);
      re[static_cast<size_t>(k)] = static_cast<float>(std::cos(t) * a + std::sin(t) * d);
      im[static_cast<size_t>(k)] = static_cast<float>(-std::sin(t) * a + std::cos(t) * d);
    }
    WriteValues("tRe", re);
    WriteValues("tIm", im);
    StrCopy(Trans.Trans_TimeFlnm[0], "t");
    Trans.Trans_TimeSz[0] = static_cast<uint32_t>(2 * n);
    Cnl.Horz_Intv[0][0] = 1e-9;
    Trans.Trans_ReImPh_Flag[0] = 1;
    Trans.Trans_FreqSz[0] = n;
    for (int r = 0; r <= 3; ++r) FAlloc1Dim(&Trans.Trans_Freq_FAry[0][r], static_cast<uint32_t>(n));
  }
};

TEST_F(FftChannelTest, WithoutMarksTheWholeTimeWindowIsTransformed) {
  TimeChannel(1000);
  ASSERT_EQ(FFTwExpChnTransform(0, 0), 1);
  EXPECT_EQ(Trans.Trans_FreqSz[0], 500);
  EXPECT_EQ(Trans.Trans_FrqSzEntry[0], 500u);
  EXPECT_EQ(Cnl.Pt_Cnt[0][1], 500u);
  EXPECT_EQ(Cnl.Pt_Cnt[0][2], 500u);
  EXPECT_DOUBLE_EQ(Cnl.Horz_Intv[0][1], 1.0 / (1e-9 * 1e6 * 1000));
  const std::vector<float> ma = ReadValues<float>("tMa");
  ASSERT_EQ(ma.size(), 500u);
  EXPECT_TRUE(std::equal(ma.begin(), ma.end(), Trans.Trans_Freq_FAry[0][0]));
  EXPECT_EQ(Trans.Trans_Freq_FAry[0][1], nullptr);  // Re+Im+Ph not asked for

  // With RE+IM+PH the views come too; marks pick the section.
  Trans.Trans_ReImPh_Flag[0] = 1;
  Win.Fft_LimLo[0] = 100;
  Win.Fft_LimHi[0] = 700;
  ASSERT_EQ(FFTwExpChnTransform(0, 0), 1);
  EXPECT_EQ(ReadValues<float>("tRe"), std::vector<float>(Trans.Trans_Freq_FAry[0][1], Trans.Trans_Freq_FAry[0][1] + 500));
  EXPECT_EQ(Trans.Trans_ReImPh_Flag[0], 1u);
}

TEST_F(FftChannelTest, RefusalsLeaveTheViewsOff) {
  TimeChannel(1000);
  Trans.Trans_ReImPh_Flag[0] = 1;
  Win.Fft_LimLo[0] = 600;
  Win.Fft_LimHi[0] = 400;
  EXPECT_EQ(FFTwExpChnTransform(0, 0), 0);
  EXPECT_EQ(Trans.Trans_ReImPh_Flag[0], 0u);
  EXPECT_EQ(Texts().back(), "Warning: EXP CHN=[0]\n\nVALID FFT INTERVAL MUST BE DEFINED USING MARKS\n\nCURRENT FFT "
                            "INTV=[600] [400]\n\nABORTING");
  Win.Fft_LimLo[0] = Win.Fft_LimHi[0] = 0;
  Cnl.Horz_Intv[0][0] = 0.0;
  EXPECT_EQ(FFTwExpChnTransform(0, 0), 0);
  EXPECT_EQ(Texts().back(), "Warning: EXP CHN=[0]\n\nTIME DOMAIN FILE SIZE ZERO | HORZ INTERVAL ZERO\n\nABORTING");
  // A small FRQ SZ gives a transform shorter than the section: refused, nothing written.
  Cnl.Horz_Intv[0][0] = 1e-9;
  Trans.Trans_ReImPh_Flag[0] = 1;
  Trans.Trans_FrqSzFactor[0] = 0.5;
  EXPECT_EQ(FFTwExpChnTransform(0, 0), 0);
  EXPECT_EQ(Trans.Trans_ReImPh_Flag[0], 0u);
  EXPECT_EQ(Texts().back(), "Warning: FFTwConvertFileAry()\n\nFILE LIMITS ERROR\n\nLO=[0] HI=[1000]\n\nABORTING");
  EXPECT_FALSE(std::filesystem::exists("tMa"));
}

TEST_F(FftChannelTest, PhaseUpdateRotatesTheViewsByTheModelPhase) {
  RotatedLine(400, 0.0);
  Trans.Trans_PhaseCoef[0][0] = 90.0;  // a constant quarter turn
  ASSERT_EQ(FFTwPhaseShift(0, 0, 400), 1);
  const std::vector<float> re = ReadValues<float>("tRe"), im = ReadValues<float>("tIm");
  for (int k : {150, 195, 205, 260}) {
    EXPECT_NEAR(Trans.Trans_Freq_FAry[0][2][k], -im[static_cast<size_t>(k)], 1e-6) << k;  // cos 90 Re - sin 90 Im
    EXPECT_NEAR(Trans.Trans_Freq_FAry[0][1][k], re[static_cast<size_t>(k)], 1e-6) << k;   // sin 90 Re + cos 90 Im
  }
  EXPECT_EQ(Trans.Trans_PhaseSz[0], 400);
  // A reference channel subtracts its phase; with the channel itself nothing is subtracted.
  Trans.Trans_RefChn[0] = 0;
  ASSERT_EQ(FFTwPhaseShift(0, 0, 400), 1);
  EXPECT_NEAR(Trans.Trans_Phase_DAry[0][10], 90.0, 1e-12);
}

TEST_F(FftChannelTest, PhaseUpdateRefusals) {
  RotatedLine(400, 0.0);
  std::vector<float> before(Trans.Trans_Freq_FAry[0][1], Trans.Trans_Freq_FAry[0][1] + 400);
  Trans.Trans_ChirpRate[0] = 0.0;
  EXPECT_EQ(FFTwPhaseShift(0, 0, 400), 0);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), Trans.Trans_Freq_FAry[0][1]));
  EXPECT_TRUE(Texts().empty());  // a status text, not a box
  Trans.Trans_ChirpRate[0] = 2e17;
  // A reference whose phase is shorter than this channel's transform.
  Trans.Trans_RefChn[0] = 1;
  Trans.Trans_FreqSz[1] = 100;
  DAlloc1Dim(&Trans.Trans_Phase_DAry[1], 100);
  FAlloc1Dim(&Trans.Trans_Freq_FAry[1][3], 100);
  EXPECT_EQ(FFTwPhaseShift(0, 0, 400), 0);
  EXPECT_EQ(Texts().back(), "Error: FFTwPhaseShift()\n\nFFT FILE SZ=[100] != STORED SZ=[400]\n\nABORTING");
  Trans.Trans_RefChn[0] = 0;
  // Result files of another length than the loaded transform.
  WriteValues("tIm", Ramp(399));
  DFree1Dim(&Trans.Trans_Phase_DAry[0]);
  EXPECT_EQ(FFTwPhaseShift(0, 0, 400), 0);
  EXPECT_EQ(Texts().back(), "Error: FFTwPhaseShift()\n\nFFT FILE SZ=[399] != STORED SZ=[400]\n\nABORTING");
  EXPECT_EQ(Trans.Trans_Phase_DAry[0], nullptr);  // the next update reads again
  Trans.Trans_ReImPh_Flag[0] = 0;
  EXPECT_EQ(FFTwPhaseShift(0, 0, 400), 0);
}

TEST_F(FftChannelTest, PhaseZeroFindsTheTurnOfALine) {
  RotatedLine(400, 37.0);
  Dsp.Init_Frq = 0.0;
  Dsp.FSR = 100.0;
  Dsp.Pts_FSR = 100;
  Dsp.FL_SZ[WIN_RAW][0] = 1000;
  Sim.Dsp_Stat[2] = 1;
  Sim.Dsp_Cnl[2] = 0;
  Sim.FI_Lines[2] = 2;
  DAlloc1Dim(&Sim.FI_Sim_Erg[2], 2);
  Sim.FI_Sim_Erg[2][0] = 200.0;
  Sim.FI_Sim_Erg[2][1] = 390.0;  // its window would pass the end: not fitted
  ASSERT_EQ(FFTwPhaseZero(1, 0, 100, 395, 30), 1);
  EXPECT_EQ(Trans.Trans_FitLines[0], 2u);
  EXPECT_EQ(Trans.Trans_SimPhaseBest_DAry[0][0], 37.0);
  EXPECT_EQ(Trans.Trans_SimPhasePos_LAry[0][0], 200);
  EXPECT_EQ(Trans.Trans_SimPhasePos_LAry[0][1], -1);
  EXPECT_EQ(Trans.Trans_Freq_FAry[0][4][185], 37.0f);
  EXPECT_EQ(Trans.Trans_Freq_FAry[0][4][100], 0.0f);
  EXPECT_EQ(Win.Child_CursorLo[0][1], 170);
  EXPECT_EQ(Win.Child_CursorHi[0][1], 230);
  // Inside the line's window the views hold the line turned back: A in Im, D in Re.
  for (int k : {195, 200, 204}) {
    const double x = (k - 200) / 6.0;
    EXPECT_NEAR(Trans.Trans_Freq_FAry[0][2][k], std::exp(-x * x), 1e-5) << k;
    EXPECT_NEAR(Trans.Trans_Freq_FAry[0][1][k], x * std::exp(-x * x), 1e-5) << k;
  }
  EXPECT_EQ(ReadValues<float>("tRePS").size(), 400u);
  EXPECT_EQ(ReadValues<float>("tImPS").size(), 400u);
  EXPECT_EQ(Texts().front(), "Question: PERFORM PHASE ZERO [YES|NO]?\n\nFILE=[tRePS] & [tImPS] WILL BE OVERWRITTEN");
  EXPECT_EQ(Texts().back(), "Info: PHASES=[1] CORRECTED IN [tRePS] & [tImPS] SAVED");
}

TEST_F(FftChannelTest, PhaseZeroRefusals) {
  RotatedLine(400, 0.0);
  yes_ = false;
  EXPECT_EQ(FFTwPhaseZero(1, 0, 100, 300, 30), 0);
  EXPECT_EQ(Texts().size(), 1u);
  yes_ = true;
  EXPECT_EQ(FFTwPhaseZero(1, 0, 0, 0, 30), 0);
  EXPECT_EQ(Texts().back(), "Info: MARK FIT REGION IN MAIN WINDOW\n\nABORTING");
  EXPECT_EQ(FFTwPhaseZero(1, 0, 100, 300, 0), 0);
  EXPECT_EQ(Texts().back(), "Info: MARK WIDTH OF FIT REGION IN FREQUENCY DOMAIN WINDOW=[0]\n\nABORTING");
  EXPECT_EQ(FFTwPhaseZero(1, 0, 100, 300, 30), 0);
  EXPECT_EQ(Texts().back(), "Info: DSP SIM & ASSOC SIM WITH EXPT CHN=[0]\n\nABORTING");
  Sim.Dsp_Stat[4] = 1;
  Sim.Dsp_Cnl[4] = 0;
  EXPECT_EQ(FFTwPhaseZero(1, 0, 100, 300, 30), 0);
  EXPECT_EQ(Texts().back(), "Info: SIM [4] HAS NO LINES TO FIT\n\nABORTING");
  // Flat data: no angle gives the line a positive sum, so it keeps position -1.
  Sim.FI_Lines[4] = 1;
  DAlloc1Dim(&Sim.FI_Sim_Erg[4], 1);
  Sim.FI_Sim_Erg[4][0] = 200.0;
  Dsp.FSR = 100.0;
  Dsp.Pts_FSR = 100;
  Dsp.FL_SZ[WIN_RAW][0] = 1000;
  WriteValues("tRe", std::vector<float>(400, 0.0f));
  WriteValues("tIm", std::vector<float>(400, 0.0f));
  Trans.Trans_ChirpRate[0] = 0.0;  // the update that follows then fails
  EXPECT_EQ(FFTwPhaseZero(1, 0, 100, 300, 30), 0);
  EXPECT_EQ(Trans.Trans_SimPhasePos_LAry[0][0], -1);
}

}  // namespace
