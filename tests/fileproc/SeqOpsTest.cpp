// The sequence operations through the engine: chop, window, the two transforms and
// the frequency calibration they end with.
#include <cmath>

#include "FileOpsFixture.h"
#include "fileproc/Fourier.h"
#include "records/FftwCache.h"

namespace {

class SeqOpsTest : public qvtest::AnsweringFileOpsTest {
 protected:
  // seqs sequences of s values, value = 1000 * sequence + position, plus extra values.
  static std::vector<float> Sequences(int seqs, int s, int extra = 0) {
    std::vector<float> v;
    for (int k = 0; k < seqs; ++k)
      for (int i = 0; i < s; ++i) v.push_back(static_cast<float>(1000 * k + i) + std::sin(0.37f * i * (k + 1)));
    for (int i = 0; i < extra; ++i) v.push_back(-1.0f);
    return v;
  }
};

TEST_F(SeqOpsTest, ChopKeepsTheSequencesOfTheRange) {
  WriteValues("in", Sequences(5, 10, 4));
  Cnv.Seq_Sz[0] = 10;
  Cnv.Seq_Beg[0] = 2;
  Cnv.Seq_End[0] = 4;
  ASSERT_EQ(Run(OSI_CHOPSEQ, "in", "out"), 1);
  const std::vector<float> all = Sequences(5, 10, 4);
  EXPECT_EQ(ReadValues<float>("out"), std::vector<float>(all.begin() + 20, all.begin() + 40));
  // The short trailing read (index 5) is kept when it is inside the range.
  Cnv.Seq_End[0] = 6;
  ASSERT_EQ(Run(OSI_CHOPSEQ, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("out"), std::vector<float>(all.begin() + 20, all.end()));
  Cnv.Seq_End[0] = 2;
  ASSERT_EQ(Run(OSI_CHOPSEQ, "in", "out"), 1);
  EXPECT_TRUE(ReadValues<float>("out").empty());
  // No sequence size: refused as such.
  Cnv.Seq_Sz[0] = 0;
  EXPECT_EQ(Run(OSI_CHOPSEQ, "in", "out"), 0);
  EXPECT_EQ(Texts().back(), "Warning: CHOP SEQUENCE FILE OPERATION\n\nSEQ SIZE=[0] < 1\n\nABORTING");
}

TEST_F(SeqOpsTest, WindowWiderThanTheSequenceIsResetAndEverySequenceWindowed) {
  std::vector<float> ones(3 * 100, 1.0f);
  WriteValues("in", ones);
  Cnv.Seq_Sz[0] = 100;
  Cnv.Win_Lo[0] = 0;
  Cnv.Win_Hi[0] = 150;
  Cnv.Fft_Taper = 0.2;
  ASSERT_EQ(Run(OSI_FFTWINSEQ, "in", "out"), 1);
  EXPECT_EQ(Cnv.Win_Lo[0], 0);
  EXPECT_EQ(Cnv.Win_Hi[0], 100);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Warning: SPECTRAL LEAKAGE FILE OPERATION\n\nWINDOW SIZE=[150] LARGER THAN "
                                              "SEQ SIZE=[100]\n\nRESET TO SEQ SIZE\n\nCONTINUING"});
  std::vector<float> one(100, 1.0f);
  FFTwFilterAry(0, FFT_WIN_PASS, 0.2, 1.0, 0, 100, 100, one.data(), nullptr);
  const std::vector<float> out = ReadValues<float>("out");
  ASSERT_EQ(out.size(), 300u);
  for (int k = 0; k < 3; ++k) EXPECT_TRUE(std::equal(one.begin(), one.end(), out.begin() + 100 * k)) << k;
  // A window inside the sequence leaves the values outside it unchanged.
  Cnv.Win_Lo[0] = 20;
  Cnv.Win_Hi[0] = 60;
  ASSERT_EQ(Run(OSI_FFTWINSEQ, "in", "out"), 1);
  EXPECT_EQ(ReadValues<float>("out")[110], 1.0f);
  EXPECT_EQ(ReadValues<float>("out")[120], 0.0f);
}

TEST_F(SeqOpsTest, WindowOfAnEmptySequenceIsRefused) {
  WriteValues("in", Ramp(10));
  WriteValues("out", Ramp(3));
  Cnv.Seq_Sz[0] = 0;
  EXPECT_EQ(Run(OSI_FFTWINSEQ, "in", "out"), 0);
  EXPECT_EQ(ReadValues<float>("out"), Ramp(3));
}

TEST_F(SeqOpsTest, TransformOfEachSequenceWindow) {
  const std::vector<float> data = Sequences(3, 1000, 300);
  WriteValues("in", data);
  Cnv.Seq_Sz[0] = 1000;
  Cnv.Win_Lo[0] = 100;
  Cnv.Win_Hi[0] = 612;
  ASSERT_EQ(Run(OSI_FFTSEQ, "in", "spec", 0, 0, 1), 1);
  EXPECT_EQ(Cnv.Fft_InSz[0], 512);
  const std::vector<float> out = ReadValues<float>("spec");
  ASSERT_EQ(out.size(), 3u * 256u);
  for (int k = 0; k < 3; ++k) {
    std::vector<float> mag(257);
    ASSERT_EQ(FFTwConvertFileAry(0, 512, 512, data.data() + 1000 * k + 100, mag.data(), nullptr, nullptr, nullptr, 0), 1);
    EXPECT_TRUE(std::equal(mag.begin(), mag.begin() + 256, out.begin() + 256 * k)) << k;
  }
  // The last partial sequence raised the warning, and report 1 set the axis silently.
  EXPECT_EQ(Texts().front(),
            "Warning: SEQUENCE FFT FILE OPERATION\n\nFFT SEQ WINDOW - SEQ TOTAL=[3]\n\nPREMATURE EOF IN [in]\n\n"
            "EXPECTED=[1000] != READ=[300]\n\nCONTINUING");
  EXPECT_EQ(Dsp.Pts_FSR, 1);
  EXPECT_DOUBLE_EQ(Dsp.FSR, 2.0e9 / 512 * 1e-6);
  EXPECT_DOUBLE_EQ(Dsp.Frq_Stp, Dsp.FSR);
}

TEST_F(SeqOpsTest, TheCachedTransformPlansOnceAndUnwrapsThePhase) {
  const std::vector<float> data = Sequences(4, 300);
  WriteValues("in", data);
  Cnv.Seq_Sz[0] = 300;
  Cnv.Win_Lo[0] = 0;
  Cnv.Win_Hi[0] = 300;
  Cnv.Fft_InSz[0] = 400;  // zero-padded to 400
  Cnv.Fft_OutId = FFT_OUT_PHASE;
  yes_ = false;  // report 0 asks, and No keeps the axis
  ASSERT_EQ(Run(OSI_FFTSEQ_ARY, "in", "ph"), 1);
  EXPECT_EQ(FftwCache.Plan_Count, 1u);
  EXPECT_EQ(Dsp.Pts_FSR, DspRecord{}.Pts_FSR);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0],
            "Question: FFT OUTPUT SZ (-1)=[200] SEQ TOTAL=[4]\n\nSAMPLING RATE=[2.000e+00] GS/SEC : DIG RES=[5.000e+00] MHz "
            ": BANDWIDTH SAVED=[1.000e+03] MHz\n\nDEFINE CALIB FACTORS FOR FRQ DOMAIN [YES] | [NO]?");
  const std::vector<float> out = ReadValues<float>("ph");
  ASSERT_EQ(out.size(), 4u * 200u);
  std::vector<float> ph(201);
  ASSERT_EQ(FFTwConvertFileAry(0, 300, 400, data.data() + 600, ph.data(), nullptr, nullptr, nullptr, FFT_OUT_PHASE), 1);
  FFTwPhaseUnwrap(1, 201, ph.data(), nullptr, 1.0);
  for (int i = 0; i < 200; ++i) EXPECT_NEAR(out[static_cast<size_t>(400 + i)], ph[static_cast<size_t>(i)], 1e-3) << i;
  yes_ = true;
  ASSERT_EQ(Run(OSI_FFTSEQ_ARY, "in", "ph"), 1);
  EXPECT_EQ(FftwCache.Plan_Count, 1u);  // the same size reuses the plan
  EXPECT_DOUBLE_EQ(Dsp.FSR, 5.0);
}

TEST_F(SeqOpsTest, EveryOutputGoesToFilesNamedAfterTheRequestedOutput) {
  const std::vector<float> data = Sequences(2, 64);
  WriteValues("in", data);
  Cnv.Seq_Sz[0] = 64;
  Cnv.Win_Hi[0] = 64;
  Cnv.Fft_OutId = FFT_OUT_ALL;
  ASSERT_EQ(Run(OSI_FFTSEQ, "in", "in", 0, 0, 1), 1);  // written over its own input
  for (const char* suffix : {"Re", "Im", "Ph"})
    EXPECT_EQ(ReadValues<float>(std::string("in") + suffix).size(), 64u) << suffix;
  EXPECT_EQ(ReadValues<float>("in").size(), 64u);
  for (const std::string& f : Files()) EXPECT_EQ(f.find("__qvosi"), std::string::npos) << f;
}

TEST_F(SeqOpsTest, WindowsOutsideTheSequenceAreRefused) {
  WriteValues("in", Sequences(2, 100));
  WriteValues("out", Ramp(5));
  Cnv.Seq_Sz[0] = 100;
  const struct {
    int32_t id, lo, hi;
  } cases[] = {{OSI_FFTSEQ, 0, 150},  {OSI_FFTSEQ_ARY, 0, 150}, {OSI_FFTSEQ, 50, 120},
               {OSI_FFTSEQ, -10, 20}, {OSI_FFTSEQ_ARY, 30, 30}, {OSI_FFTSEQ_ARY, 0, 101}};
  for (const auto& c : cases) {
    Cnv.Win_Lo[0] = c.lo;
    Cnv.Win_Hi[0] = c.hi;
    EXPECT_EQ(Run(c.id, "in", "out", 0, 0, 1), 0) << c.id << " " << c.lo << " " << c.hi;
    EXPECT_EQ(ReadValues<float>("out"), Ramp(5));
  }
  EXPECT_EQ(Texts()[0], "Warning: SEQUENCE FFT FILE OPERATION\n\nSEQUENCE SIZE (PTS TO AVE) =[100] < WIN SIZE "
                        "[150]\n\nABORTING");
  EXPECT_EQ(Texts()[1], "Warning: SEQUENCE FFT FILE OPERATION\n\nSEQUENCE SIZE=[100] < WIN SIZE [150]\n\nABORTING");
  EXPECT_EQ(Texts()[2], "Warning: SEQUENCE FFT FILE OPERATION\n\nWINDOW=[50] [120] OUTSIDE SEQUENCE SIZE=[100]\n\nABORTING");
  // A sequence of one value is refused by 2003 only.
  Cnv.Seq_Sz[0] = 1;
  Cnv.Win_Lo[0] = 0;
  Cnv.Win_Hi[0] = 1;
  EXPECT_EQ(Run(OSI_FFTSEQ, "in", "out", 0, 0, 1), 0);
  EXPECT_EQ(Dsp.Pts_FSR, DspRecord{}.Pts_FSR);
  // One value transforms to h = 0 values: nothing is written and no axis is set.
  EXPECT_EQ(Run(OSI_FFTSEQ_ARY, "in", "out", 0, 0, 1), 1);
  EXPECT_TRUE(ReadValues<float>("out").empty());
  EXPECT_EQ(Dsp.Pts_FSR, DspRecord{}.Pts_FSR);
}

}  // namespace
