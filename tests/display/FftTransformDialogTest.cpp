// The time/frequency transform dialog through the test driver.
#include "display/FftTransformDialog.h"

#include <cmath>
#include <fstream>

#include "ChildFixture.h"
#include "ViewFixture.h"
#include "display/ChildWindows.h"
#include "fileproc/Fourier.h"
#include "platform/driver/TestDriver.h"
#include "records/Trans.h"
#include "resources/Dialogs.h"

namespace {

namespace drv = platform::driver;

class FftTransformDialogTest : public qvtest::ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    RegisterDialogResources();
    Trans = TransRecord{};
    platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });
  }
  void TearDown() override {
    qvtest::CloseChildWindowsAndFreeTheirData();
    for (int16_t c = 0; c <= 9; ++c) {
      if (Trans.Trans_Dlg_Hwnd[c] && IsWindow(Trans.Trans_Dlg_Hwnd[c])) DestroyWindow(Trans.Trans_Dlg_Hwnd[c]);
      TransChannelFree(c);
    }
    Trans = TransRecord{};
    float none = 0.0f;
    FFTwConvertAry(0, 1, 0, &none, &none, nullptr, nullptr, nullptr, 0, 0);
    ViewTest::TearDown();
  }
  HWND Open(int16_t c) {
    EXPECT_EQ(FftTransformDialogCreate(c, 1, Win.hWnd_Main), 1u);
    return Trans.Trans_Dlg_Hwnd[c];
  }
  void TimeFile(int16_t c, int n) {
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<float>(std::sin(0.01 * i));
    std::ofstream out(dir_.File("t"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(v.size() * sizeof(float)));
    out.close();
    StrCopy(Trans.Trans_TimeFlnm[c], "t");
    Trans.Trans_TimeSz[c] = static_cast<uint32_t>(n);
    Cnl.Pt_Cnt[c][0] = static_cast<uint32_t>(n);
  }
  static std::vector<std::string> BoxTexts() {
    std::vector<std::string> t;
    for (const auto& b : platform::BoxLog()) t.push_back(b.text);
    return t;
  }
};

TEST_F(FftTransformDialogTest, OneDialogPerChannelWithEveryControl) {
  StrCopy(Trans.Trans_TimeFlnm[0], "zero.bin");
  StrCopy(Trans.Trans_TimeFlnm[3], "three.bin");
  HWND d0 = Open(0);
  HWND d3 = Open(3);
  ASSERT_TRUE(d0 && d3 && d0 != d3);
  EXPECT_TRUE(IsWindowVisible(d3));
  EXPECT_EQ(drv::Text(d0, IDC_FT_TIMEFLNM), "zero.bin");
  EXPECT_EQ(drv::Text(d3, IDC_FT_TIMEFLNM), "three.bin");
  for (int id : {60, 1209, 1210, 1211, 1212, 1213, 1214, 1215, 1216, 1217, 1218, 1219, 1220, 1221, 1222, 1223, 1230,
                 1233, 1234, 1237, 1238, 1241, 40, 43, 50000, 50007, 1353})
    EXPECT_NE(GetDlgItem(d0, id), nullptr) << id;
  EXPECT_EQ(drv::ListItems(d3, IDC_FT_ASSOC).size(), 9u);
  EXPECT_EQ(drv::ListSelection(d3, IDC_FT_ASSOC), 3);  // the channel itself: no reference
  EXPECT_EQ(drv::Text(d0, IDC_FT_FRQSZ), "200000");
  EXPECT_EQ(drv::Text(d0, IDC_FT_TUKEY_ALPHA), "0.010000");
  EXPECT_EQ(drv::Text(d0, IDC_FT_CYCS), "3");
  EXPECT_EQ(drv::Text(d0, IDC_FT_RATE), "2.00000000e+05");
  EXPECT_EQ(drv::Text(d0, IDC_FT_DELAY), "1.00000000e-03");
  EXPECT_EQ(SendDlgItemMessage(d0, 40, TBM_GETRANGEMIN, 0, 0), -10000);
  EXPECT_EQ(SendDlgItemMessage(d0, 40, TBM_GETRANGEMAX, 0, 0), 0);
  EXPECT_EQ(SendDlgItemMessage(d0, 40, TBM_GETPAGESIZE, 0, 0), 100);
  // Selecting a reference channel stores it.
  ASSERT_TRUE(drv::SelectRow(d0, IDC_FT_ASSOC, 5));
  EXPECT_EQ(Trans.Trans_RefChn[0], 5);
  // The close box hides the dialog and drops the request.
  Trans.Trans_Dlg_Wanted[0] = 1;
  SendMessage(d0, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(d0));
  EXPECT_EQ(Trans.Trans_Dlg_Wanted[0], 0u);
  EXPECT_EQ(Trans.Trans_Dlg_Shown[0], 0u);
}

TEST_F(FftTransformDialogTest, TukeyIsRefusedBeforeTheTransform) {
  HWND d = Open(0);
  ASSERT_TRUE(drv::Click(d, IDC_FT_TUKEY));
  EXPECT_EQ(Trans.Trans_Tukey_Flag[0], 0u);
  EXPECT_FALSE(drv::IsChecked(d, IDC_FT_TUKEY));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"SPECTRAL LEAKAGE FILTER USES FFT LIMITS IN TIME DOMAIN\n\nENABLE FFT "
                                                 "STAT & MARK TIME LIMITS\n\nABORTING"});
  Trans.Trans_Fft_Flag[0] = 1;
  ASSERT_TRUE(drv::SetCheck(d, IDC_FT_TUKEY, true));
  EXPECT_EQ(Trans.Trans_Tukey_Flag[0], 1u);
  EXPECT_EQ(Cnl.Data_Pend[0][0], 1u);
}

TEST_F(FftTransformDialogTest, FrequencySizeSetsTheZeroPaddingOfTheTransform) {
  TimeFile(0, 100000);
  HWND d = Open(0);
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_FRQSZ, "131072"));
  EXPECT_EQ(Trans.Trans_FrqSzEntry[0], 131072u);
  EXPECT_DOUBLE_EQ(Trans.Trans_FrqSzFactor[0], 2.62144);
  ASSERT_TRUE(drv::SetCheck(d, IDC_FT_FFT, true));
  EXPECT_EQ(Trans.Trans_Fft_Flag[0], 1u);
  EXPECT_EQ(Trans.Trans_FreqSz[0], 131072);  // a transform of 262144 values
  EXPECT_TRUE(drv::IsChecked(d, IDC_FT_FFT));
  EXPECT_EQ(std::filesystem::file_size(dir_.File("tMa")), 131072u * 4u);
  EXPECT_DOUBLE_EQ(Cnl.Horz_Intv[0][1], 1.0 / (2.5e-12 * 1e6 * 262144.0));
  // A new time file name drops the transform.
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_TIMEFLNM, "other"));
  EXPECT_STREQ(Trans.Trans_TimeFlnm[0], "other");
  EXPECT_EQ(Trans.Trans_Fft_Flag[0], 0u);
  EXPECT_FALSE(drv::IsChecked(d, IDC_FT_FFT));
}

// A time interval holding a missing value is not transformed: the box names the
// point, no result file is written and the FFT box stays clear.
TEST_F(FftTransformDialogTest, AnIntervalWithAMissingValueIsNotTransformed) {
  TimeFile(0, 1000);
  std::fstream file(dir_.File("t"), std::ios::in | std::ios::out | std::ios::binary);
  const float missing = 1e20f;
  file.seekp(600 * 4);
  file.write(reinterpret_cast<const char*>(&missing), sizeof missing);
  file.close();
  HWND d = Open(0);
  ASSERT_TRUE(drv::Click(d, IDC_FT_FFT));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"FFTwConvertFileAry()\n\nINPUT FILE [t]\n\nPOINT [600] HAS NO VALUE "
                                                 "[1E+20]\n\nABORTING"});
  EXPECT_EQ(Trans.Trans_Fft_Flag[0], 0u);
  EXPECT_FALSE(drv::IsChecked(d, IDC_FT_FFT));
  for (const char* suffix : {"Ma", "Re", "Im", "Ph"}) EXPECT_FALSE(std::filesystem::exists(dir_.File(std::string("t") + suffix)));
}

TEST_F(FftTransformDialogTest, TimeWindowReadsItsFileAtEveryOpening) {
  auto file = [this](const char* name, size_t n) {
    std::vector<float> v(n, 0.5f);
    std::ofstream out(dir_.File(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(n * sizeof(float)));
  };
  file("a", 1000);
  file("b", 600);
  HWND d = Open(0);
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_TIMEFLNM, "a"));
  // STAT on, off and on again: the time window shows the file each time, and FFT works on it.
  for (bool on : {true, false, true}) ASSERT_TRUE(drv::SetCheck(d, IDC_FT_STAT, on));
  EXPECT_EQ(Cnl.Pt_Cnt[0][0], 1000u);
  ASSERT_TRUE(drv::SetCheck(d, IDC_FT_FFT, true));
  EXPECT_EQ(Trans.Trans_Fft_Flag[0], 1u);
  // A new time file of another length: its own size gives the transform's.
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_TIMEFLNM, "b"));
  ASSERT_TRUE(drv::SetCheck(d, IDC_FT_STAT, true));
  ASSERT_TRUE(drv::SetCheck(d, IDC_FT_FFT, true));
  EXPECT_EQ(Trans.Trans_Fft_Flag[0], 1u);
  EXPECT_EQ(Trans.Trans_TimeSz[0], 600u);
  EXPECT_DOUBLE_EQ(Trans.Trans_FrqSzFactor[0], 200000.0 / 300.0);
  EXPECT_TRUE(BoxTexts().empty());
  ChildWindowOpenClose(0, 0, 0);
  ChildWindowOpenClose(0, 0, 1);
}

TEST_F(FftTransformDialogTest, TrackbarsSpanTheRangeAroundTheCoefficient) {
  Trans.Trans_PhaseCoef[0][1] = 10.0;
  HWND d = Open(0);
  EXPECT_DOUBLE_EQ(Trans.Trans_CoefMax[0][1], 370.0);
  EXPECT_DOUBLE_EQ(Trans.Trans_CoefMin[0][1], -350.0);
  EXPECT_EQ(drv::Text(d, IDC_FT_MAX + 1), "370.00000");
  EXPECT_EQ(drv::Text(d, IDC_FT_COEF + 1), "10.000000");
  EXPECT_EQ(drv::TrackbarPosition(d, IDC_FT_TRACK + 1), -5000);
  ASSERT_TRUE(drv::MoveTrackbar(d, IDC_FT_TRACK + 1, -10000));
  EXPECT_DOUBLE_EQ(Trans.Trans_PhaseCoef[0][1], 370.0);  // the top is the maximum
  ASSERT_TRUE(drv::MoveTrackbar(d, IDC_FT_TRACK + 1, 0));
  EXPECT_DOUBLE_EQ(Trans.Trans_PhaseCoef[0][1], -350.0);
  // x2 twice: a span of 360 becomes 1440 around the current value.
  ASSERT_TRUE(drv::Click(d, IDC_FT_X2 + 2));
  ASSERT_TRUE(drv::Click(d, IDC_FT_X2 + 2));
  EXPECT_DOUBLE_EQ(Trans.Trans_CoefSpan[0][1], 1440.0);
  EXPECT_DOUBLE_EQ(Trans.Trans_CoefMax[0][1], -350.0 + 1440.0);
  EXPECT_DOUBLE_EQ(Trans.Trans_CoefMin[0][1], -350.0 - 1440.0);
  ASSERT_TRUE(drv::Click(d, IDC_FT_HALF + 2));
  EXPECT_DOUBLE_EQ(Trans.Trans_CoefSpan[0][1], 720.0);
  // A large coefficient is shown in exponent form.
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_COEF + 3, "2e7"));
  ASSERT_TRUE(drv::Click(d, IDC_FT_CENTER));
  EXPECT_EQ(drv::Text(d, IDC_FT_COEF + 3), "2.0000e+07");
  EXPECT_EQ(drv::Text(d, IDC_FT_MAX + 3), "2.000e+07");
}

// With UNWRAP off the phase update keeps the model phase wrapped into -180 .. +180.
TEST_F(FftTransformDialogTest, ModelPhaseWithoutUnwrapIsKeptWithinHalfATurn) {
  TimeFile(0, 1000);
  HWND d = Open(0);
  ASSERT_TRUE(drv::SetCheck(d, IDC_FT_FFT, true));
  ASSERT_TRUE(drv::SetCheck(d, IDC_FT_REIMPH, true));
  ASSERT_EQ(Trans.Trans_ReImPh_Flag[0], 1u);
  ASSERT_EQ(Trans.Trans_Unwrap_Flag[0], 0u);
  const std::pair<const char*, double> cases[] = {{"-400", -40.0}, {"720", 0.0}, {"190", -170.0}};
  for (const auto& [typed, kept] : cases) {
    ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_COEF, typed));
    ASSERT_NE(Trans.Trans_Phase_DAry[0], nullptr);
    EXPECT_NEAR(Trans.Trans_Phase_DAry[0][0], kept, 1e-9) << typed;
  }
}

// A phase fit made at FRQ SZ 500 and shown with RES, then FRQ SZ 2000: the transform
// runs again at the new size, and the data window (its paint, its fixed offset and its
// sub-channels) works on the model phase of that size instead of the fit's arrays,
// made for 500, until PHASE FIT is pressed again. No array is read past its size.
TEST_F(FftTransformDialogTest, APhaseFitOfAnotherFrequencySizeIsNotShown) {
  TimeFile(0, 1000);
  for (float** array : {&Win.PM_DrawAry, &Win.CM_DrawAry1, &Win.CM_DrawAry2, &Win.CM_DrawAry3})
    ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(array, WIN_DRAW_PTS)));
  // Set A, shown over channel 0, has a line at point 150 of the frequency views.
  Sim.Dsp_Stat[0] = 1;
  Sim.Dsp_Cnl[0] = 0;
  Sim.FI_Lines[0] = 1;
  ASSERT_FALSE(QvAllocFailed(DAlloc1Dim(&Sim.FI_Sim_Erg[0], 1)));
  Sim.FI_Sim_Erg[0][0] = Dsp.Init_Frq + 150.0 * Dsp.FSR / Dsp.Pts_FSR;
  platform::SetBoxAnswerer(
      [](const platform::BoxRequest& box) { return box.caption == "Question" ? IDYES : IDOK; });
  HWND d = Open(0);
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_FRQSZ, "500"));
  ASSERT_TRUE(drv::SetCheck(d, IDC_FT_FFT, true));
  ASSERT_TRUE(drv::SetCheck(d, IDC_FT_REIMPH, true));
  ASSERT_EQ(Trans.Trans_FreqSz[0], 500);
  ASSERT_EQ(Win.Child_Created[0][2], 1u);
  Win.Child_CursorLo[0][1] = 130;  // the two marks of the frequency window
  Win.Child_CursorHi[0][1] = 170;
  Win.Pt_Lim[0][0] = 100;  // the main window's cursor window
  Win.Pt_Lim[0][1] = 300;
  const auto fitAndShow = [&] {
    ASSERT_TRUE(drv::Click(d, IDC_FT_PHASE_FIT));
    ASSERT_EQ(Trans.Trans_FitLines[0], 1u);
    ASSERT_TRUE(drv::SetCheck(d, IDC_FT_RES, true));
    ASSERT_EQ(Trans.Trans_Res_Flag[0], 1u);
  };
  fitAndShow();
  const auto data = [](int id) {
    SendMessage(Win.hWnd_Child[0][2], WM_COMMAND, static_cast<WPARAM>(id), 0);
    drv::PumpUntilIdle();
  };
  data(IDC_CHILD_FIX_OFS);
  EXPECT_DOUBLE_EQ(Cnl.Y_Max[0][2][0], 1080.0);  // the combined phase over +-360 CYCS
  // The new size transforms again and repaints the data window.
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_FRQSZ, "2000"));
  ASSERT_EQ(Trans.Trans_Fft_Flag[0], 1u);
  ASSERT_EQ(Trans.Trans_FreqSz[0], 2000);
  EXPECT_EQ(Trans.Trans_FitSz[0], 500);
  data(IDC_CHILD_FIX_OFS);
  EXPECT_LT(Cnl.Y_Max[0][2][0], 1080.0);  // the model phase, wrapped into +-180
  EXPECT_GE(Cnl.Y_Min[0][2][0], -180.0);
  Win.Sub_Chn[2] = 0;
  data(IDC_CHILD_SUBCHN);
  data(IDC_CHILD_SUBCHN);
  EXPECT_EQ(Win.Sub_Chn[2], 0);  // back from the phase array to the model phase
  // Fitted again at the new size, the fit is shown again.
  fitAndShow();
  EXPECT_EQ(Trans.Trans_FitSz[0], 2000);
  data(IDC_CHILD_FIX_OFS);
  EXPECT_DOUBLE_EQ(Cnl.Y_Max[0][2][0], 1080.0);
  for (float** array : {&Win.PM_DrawAry, &Win.CM_DrawAry1, &Win.CM_DrawAry2, &Win.CM_DrawAry3}) FFree1Dim(array);
  DFree1Dim(&Sim.FI_Sim_Erg[0]);
}

TEST_F(FftTransformDialogTest, HorizontalIntervalIsShownWithTenDecimals) {
  HWND d = Open(0);
  EXPECT_EQ(drv::Text(d, IDC_FT_HORZ_INTV), "2.5000000000e-06");
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_HORZ_INTV, "0.0025"));
  EXPECT_DOUBLE_EQ(Cnl.Horz_Intv[0][0], 2.5e-9);
  ASSERT_TRUE(drv::Click(d, IDC_FT_CENTER));
  EXPECT_EQ(drv::Text(d, IDC_FT_HORZ_INTV), "2.5000000000e-03");
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_HORZ_INTV, "2.5"));
  ASSERT_TRUE(drv::Click(d, IDC_FT_CENTER));
  EXPECT_EQ(drv::Text(d, IDC_FT_HORZ_INTV), "2.5000000000");
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_RATE, "3e5"));
  EXPECT_DOUBLE_EQ(Trans.Trans_ChirpRate[0], 3e17);
  ASSERT_TRUE(drv::TypeAndCommit(d, IDC_FT_DELAY, "2e-3"));
  EXPECT_DOUBLE_EQ(Trans.Trans_Delay[0], 2e-9);
}

}  // namespace
