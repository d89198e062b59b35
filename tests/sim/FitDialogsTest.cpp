// The fit dialogs driven like a user would: each shown for its set, refreshed and
// hidden; the VOIGT+ switches only on HITRAN sets with their line parameters; the
// ring-down switches stored; a fit started and reported from the dialog.
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "core/BinFile.h"
#include "fit/NLLsf.h"
#include "lineshape/LineShape.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/TextFile.h"
#include "resources/Dialogs.h"
#include "sim/SimDialogs.h"
#include "tests/sim/SimFixture.h"

#ifdef QV95_HAVE_GSL
#include <gsl/gsl_blas.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>
#endif

extern "C" double voigt(double x, double sigma, double gamma);

namespace qvtest {
namespace {

namespace drv = platform::driver;
using namespace fit_ids;

// A Voigt line of Gaussian FWHM G and Lorentzian FWHM L, 1 at its centre.
double PeakVoigt(double d, double G, double L) {
  const double sigma = std::fabs(G) / std::sqrt(8.0 * std::log(2.0)), gamma = std::fabs(L) / 2.0;
  return voigt(d, sigma, gamma) / voigt(0.0, sigma, gamma);
}

// Lines of intensities p[0..n-1] at the centres, with the widths G = p[n], L = p[n + 1].
double VoigtLines(const std::vector<double>& centres, const double* p, double x) {
  const size_t n = centres.size();
  double y = 0.0;
  for (size_t j = 0; j < n; ++j) y += p[j] * PeakVoigt(x - centres[j], p[n], p[n + 1]);
  return y;
}

#ifdef QV95_HAVE_GSL
struct GslData {
  const std::vector<double>* centres;
  const std::vector<float>* y;
};

int GslResiduals(const gsl_vector* p, void* data, gsl_vector* f) {
  const auto* d = static_cast<const GslData*>(data);
  for (size_t i = 0; i < d->y->size(); ++i)
    gsl_vector_set(f, i, VoigtLines(*d->centres, p->data, static_cast<double>(i)) - (*d->y)[i]);
  return GSL_SUCCESS;
}

// The least-squares optimum of the lines' intensities and widths over y by GSL's
// trust-region Levenberg-Marquardt, from the start p; chi-square through chisq.
std::vector<double> GslOptimum(const std::vector<double>& centres, const std::vector<float>& y, std::vector<double> p,
                               double* chisq) {
  GslData data{&centres, &y};
  gsl_multifit_nlinear_fdf fdf{};
  fdf.f = GslResiduals;
  fdf.n = y.size();
  fdf.p = p.size();
  fdf.params = &data;
  const gsl_multifit_nlinear_parameters params = gsl_multifit_nlinear_default_parameters();
  gsl_multifit_nlinear_workspace* w =
      gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &params, fdf.n, fdf.p);
  gsl_vector_view start = gsl_vector_view_array(p.data(), p.size());
  gsl_multifit_nlinear_init(&start.vector, &fdf, w);
  int info = 0;
  EXPECT_EQ(gsl_multifit_nlinear_driver(500, 1e-12, 1e-12, 1e-12, nullptr, nullptr, &info, w), GSL_SUCCESS);
  const gsl_vector* x = gsl_multifit_nlinear_position(w);
  // A width enters the lines by its absolute value.
  for (size_t j = 0; j < p.size(); ++j) p[j] = j < centres.size() ? gsl_vector_get(x, j) : std::fabs(gsl_vector_get(x, j));
  gsl_blas_ddot(gsl_multifit_nlinear_residual(w), gsl_multifit_nlinear_residual(w), chisq);
  gsl_multifit_nlinear_free(w);
  return p;
}
#endif

class FitDialogsTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    RegisterDialogResources();
  }
  void TearDown() override {
    NLLsfWait(60000);
    for (auto& row : Sim.Dlg_Hwnd)
      for (HWND& w : row)
        if (w && IsWindow(w)) DestroyWindow(w);
    VoigtNLLsfFree();
    SimLineShapeStoresFree();  // the Voigt fit rebuilds the set's profiles
    SimTest::TearDown();
  }
  static HWND Open(SimDlgKind kind, uint32_t (*creator)(int16_t, uint32_t, HWND), int16_t s) {
    EXPECT_EQ(creator(s, 1, Win.hWnd_Main), 1u);
    SimDlgRequest(kind, s) = 1;
    return Sim.Dlg_Hwnd[kind][s];
  }
  // The script's wait-idle: until no worker of the program is busy, then the messages
  // they left (the end of a fit posted to its dialog).
  static bool WaitIdle() {
    const bool idle = drv::PumpUntil([] { return !ProgramWorkersBusy(); }, 60000);
    drv::PumpUntilIdle();
    return idle;
  }
  // A band of 2,000 points one frequency unit apart: two overlapping lines at 1,700 and
  // 1,709 of peak height 5 (Gaussian width 2.5, Lorentzian 1.0) in noise of 0.02, in
  // "band.dat"; set 0 holds the two lines at `start` intensity and widths G and L.
  static void Band(float start, double G, double L) {
    Dsp.Init_Frq = 0.0;
    for (auto& p : Dsp.Pts2Pxl) p = 1.0;
    for (auto& step : Dsp.FrqStpView) step = 1.0;
    const std::vector<double> centres = {1700.0, 1709.0};
    const double truth[4] = {5.0, 5.0, 2.5, 1.0};
    std::mt19937 random(1700);
    std::normal_distribution<double> noise(0.0, 0.02);
    std::vector<float> y(2000);
    for (size_t i = 0; i < y.size(); ++i)
      y[i] = static_cast<float>(VoigtLines(centres, truth, static_cast<double>(i)) + noise(random));
    ASSERT_EQ(ManBinFileWrite("band.dat", nullptr, y.data(), nullptr, BIN_ELEM_FLOAT, 0, 2000, 0, 0), 1);
    Lines(start, G, L);
  }
  static void Lines(float start, double G, double L) {
    if (Sim.FI_Lines[0] != 2) FillSet(0, 2, 0, 2, false);
    Sim.FI_Sim_Erg[0][0] = 1700.0;
    Sim.FI_Sim_Erg[0][1] = 1709.0;
    Sim.FI_Sim_Itn[0][0] = Sim.FI_Sim_Itn[0][1] = start;
    Sim.LS_GAU[0] = G;
    Sim.LS_LOR[0] = L;
  }
  // RUN over the points [first, end) of the file; false unless the program fell idle.
  static bool Run(HWND d, const char* file, int first, int end) {
    return drv::TypeAndCommit(d, kFile, file) && drv::TypeAndCommit(d, kPtBeg, std::to_string(first)) &&
           drv::TypeAndCommit(d, kPtEnd, std::to_string(end)) && drv::Click(d, kRun) && WaitIdle();
  }
};

TEST_F(FitDialogsTest, EachIsShownForItsSetRefreshedAndHidden) {
  FillSet(1, 4, 0, 2, false);
  struct Row {
    SimDlgKind kind;
    uint32_t (*creator)(int16_t, uint32_t, HWND);
    bool voigt;
  } rows[] = {{SIM_DLG_VOIGT, LsfVoigtDialogShow, true},
              {SIM_DLG_VOIGT2, LsfVoigt2DialogShow, true},
              {SIM_DLG_RDF, LsfRdfDialogShow, false}};
  for (const Row& r : rows) {
    HWND d = Open(r.kind, r.creator, 1);
    ASSERT_TRUE(d && IsWindowVisible(d)) << r.kind;
    EXPECT_EQ(SimDlgSetOf(r.kind, d), 1);
    EXPECT_EQ(r.voigt ? Lsf.Voigt_Hwnd[1] : Lsf.Rdf_Hwnd[1], d);
    EXPECT_EQ(drv::Text(d, kResult), "NO FIT");
    // A refresh shows the record's values.
    Lsf.Fit_PtEnd = 77;
    Lsf.Fit_LnEnd[1] = 3;
    SendMessage(d, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(drv::Text(d, kPtEnd), "77");
    if (r.voigt) {
      EXPECT_EQ(drv::Text(d, kLnEnd), "3");
    }
    // Closing hides it through its creator, clears the request and the handle.
    ASSERT_TRUE(drv::Click(d, IDCANCEL));
    EXPECT_FALSE(IsWindowVisible(d));
    EXPECT_EQ(Sim.Dlg_Req[r.kind][1], 0u);
    EXPECT_EQ(r.voigt ? Lsf.Voigt_Hwnd[1] : Lsf.Rdf_Hwnd[1], nullptr);
  }
  // Showing the Voigt fit made the set's per-line arrays.
  EXPECT_EQ(Lsf.Alloc_Lines[1], 4u);
  ASSERT_TRUE(Lsf.Line_Grp[1]);
  EXPECT_EQ(Lsf.Line_Grp[1][3], LSF_GROUPS);
}

TEST_F(FitDialogsTest, LineCalculationSwitchesOnlyOnHitranSetsWithTheirParameters) {
  FillSet(0, 3, 0, 2, false);
  FillSet(2, 3, 0, 2, true);
  HWND plain = Open(SIM_DLG_VOIGT2, LsfVoigt2DialogShow, 0);
  ASSERT_TRUE(drv::Click(plain, kHtCalc));
  ASSERT_TRUE(drv::Click(plain, kLnCalc));
  EXPECT_EQ(Sim.HT_LnCalc[0], 0u);
  EXPECT_EQ(Lsf.Ln_Calc[0], 0u);
  EXPECT_FALSE(drv::IsChecked(plain, kHtCalc));
  EXPECT_FALSE(drv::IsChecked(plain, kLnCalc));
  HWND hitran = Open(SIM_DLG_VOIGT2, LsfVoigt2DialogShow, 2);
  ASSERT_TRUE(drv::Click(hitran, kHtCalc));
  ASSERT_TRUE(drv::Click(hitran, kLnCalc));
  EXPECT_EQ(Sim.HT_LnCalc[2], 1u);
  EXPECT_EQ(Lsf.Ln_Calc[2], 1u);
  EXPECT_TRUE(drv::IsChecked(hitran, kHtCalc));
  // Off again; the recalculation switch of both fit dialogs.
  ASSERT_TRUE(drv::Click(hitran, kHtCalc));
  EXPECT_EQ(Sim.HT_LnCalc[2], 0u);
  ASSERT_TRUE(drv::Click(hitran, kRecalc));
  EXPECT_EQ(Lsf.Ln_Recalc[2], 1u);
  // A HITRAN set whose coefficient arrays are gone gets no switch either.
  FFree1Dim(&Sim.HT_Temp_Gamma[2]);
  ASSERT_TRUE(drv::Click(hitran, kHtCalc));
  EXPECT_EQ(Sim.HT_LnCalc[2], 0u);
}

TEST_F(FitDialogsTest, RingDownSwitchesAndAFitStartedFromTheDialog) {
  FillSet(4, 2, 0, 2, false);
  Dsp.Init_Frq = 0.0;
  for (auto& p : Dsp.Pts2Pxl) p = 1.0;
  for (auto& s : Dsp.FrqStpView) s = 0.5;
  std::vector<float> y(60);
  for (size_t i = 0; i < y.size(); ++i) y[i] = static_cast<float>(2.0 * std::exp(-0.25 * 0.5 * i) + 1.0);
  ASSERT_EQ(ManBinFileWrite("decay.dat", nullptr, y.data(), nullptr, BIN_ELEM_FLOAT, 0, 60, 0, 0), 1);
  HWND d = Open(SIM_DLG_RDF, LsfRdfDialogShow, 4);
  ASSERT_TRUE(drv::Click(d, kCmPlot));
  ASSERT_TRUE(drv::Click(d, kCmCurve2));
  ASSERT_TRUE(drv::Click(d, kDisplay));
  EXPECT_EQ(Lsf.CM_Plot, 1u);
  EXPECT_EQ(Lsf.CM_Curve1, 0u);
  EXPECT_EQ(Lsf.CM_Curve2, 1u);
  EXPECT_EQ(Lsf.Rdf_Dsp[4], 1u);
  EXPECT_EQ(Lsf.Cur_Set, 4);
  ASSERT_TRUE(drv::TypeAndCommit(d, kFile, "decay.dat"));
  ASSERT_TRUE(drv::TypeAndCommit(d, kPtEnd, "60"));
  ASSERT_TRUE(drv::Click(d, kRun));
  ASSERT_TRUE(NLLsfWait(60000));
  EXPECT_EQ(Lsf.NL_Result[4], 1);
  EXPECT_NEAR(Lsf.Rdf_K[4], 0.25, 1e-4);
  // The end of the fit refreshes the dialog (its posted message).
  drv::PumpUntilIdle();
  const std::string result = drv::Text(d, kResult);
  EXPECT_EQ(result.rfind("A=", 0), 0u) << result;
  EXPECT_NE(result.find(" CHISQ="), std::string::npos) << result;
}

// The Voigt fit run from its dialog reaches the least-squares optimum from the set's
// start values: a noise-free line exactly, a noisy pair where an independent fit
// finds it, within the uncertainties the fit reports.
TEST_F(FitDialogsTest, VoigtFitFromTheDialogReachesTheOptimum) {
  Dsp.Init_Frq = 0.0;
  for (auto& p : Dsp.Pts2Pxl) p = 1.0;
  for (auto& s : Dsp.FrqStpView) s = 1.0;
  constexpr int kPts = 121;
  // Fits lines at the centres to y from the start intensities and widths (G 18, L 8).
  const auto fit = [&](const std::vector<double>& centres, const std::vector<float>& start,
                       std::vector<float> y) {
    const uint32_t n = static_cast<uint32_t>(centres.size());
    FillSet(0, n, 0, 2, false);
    for (uint32_t j = 0; j < n; ++j) {
      Sim.FI_Sim_Erg[0][j] = centres[j];
      Sim.FI_Sim_Itn[0][j] = start[j];
    }
    Sim.LN_STAT[0] = 0;  // peak-normalised lines
    Sim.LS_GAU[0] = 18.0;
    Sim.LS_LOR[0] = 8.0;
    ASSERT_EQ(ManBinFileWrite("voigt.dat", nullptr, y.data(), nullptr, BIN_ELEM_FLOAT, 0, kPts, 0, 0), 1);
    HWND d = Open(SIM_DLG_VOIGT, LsfVoigtDialogShow, 0);
    ASSERT_TRUE(drv::TypeAndCommit(d, kFile, "voigt.dat"));
    ASSERT_TRUE(drv::TypeAndCommit(d, kPtEnd, std::to_string(kPts)));
    ASSERT_TRUE(drv::TypeAndCommit(d, kLnEnd, std::to_string(n - 1)));
    ASSERT_TRUE(drv::Click(d, kRun));
    ASSERT_TRUE(NLLsfWait(60000));
    drv::PumpUntilIdle();
    EXPECT_EQ(drv::Text(d, kResult).rfind("CHISQ=", 0), 0u) << drv::Text(d, kResult);
    EXPECT_EQ(Lsf.NL_Result[0], 1);
  };

  const double truth[3] = {0.7, 16.0, 7.0};
  std::vector<float> y(kPts);
  for (int i = 0; i < kPts; ++i) y[static_cast<size_t>(i)] = static_cast<float>(VoigtLines({60.0}, truth, i));
  fit({60.0}, {0.0723f}, y);
  EXPECT_NEAR(Sim.FI_Sim_Itn[0][0], 0.7, 0.7e-6);
  EXPECT_NEAR(Sim.LS_GAU[0], 16.0, 16e-6);
  EXPECT_NEAR(Sim.LS_LOR[0], 7.0, 7e-6);

#ifdef QV95_HAVE_GSL
  // Two overlapping lines with Gaussian noise of 0.01.
  const std::vector<double> centres = {52.0, 66.0};
  const double pair[4] = {0.8, 0.5, 14.0, 5.0};
  std::mt19937 random(1995);
  std::normal_distribution<double> noise(0.0, 0.01);
  for (int i = 0; i < kPts; ++i) y[static_cast<size_t>(i)] = static_cast<float>(VoigtLines(centres, pair, i) + noise(random));
  fit(centres, {0.0723f, 0.0723f}, y);
  double best = 0.0;
  const std::vector<double> optimum = GslOptimum(centres, y, {0.0723, 0.0723, 18.0, 8.0}, &best);
  EXPECT_NEAR(Lsf.NL_Chisq[0], best, 0.01 * best);
  // The uncertainties from the parameter log: a line's is its row's last field.
  std::vector<std::string> log;
  ASSERT_TRUE(platform::ReadTextLines(NLLSF_LOG_NAME, &log));
  std::vector<double> sigma;
  for (const std::string& row : log)
    if (row.rfind("LINE ", 0) == 0) sigma.push_back(std::stod(row.substr(row.rfind(' ') + 1)));
  ASSERT_EQ(sigma.size(), 2u);
  sigma.push_back(Lsf.NL_WidthSig[0][0]);
  sigma.push_back(Lsf.NL_WidthSig[0][1]);
  const double fitted[4] = {Sim.FI_Sim_Itn[0][0], Sim.FI_Sim_Itn[0][1], Sim.LS_GAU[0], Sim.LS_LOR[0]};
  for (size_t j = 0; j < 4; ++j) {
    EXPECT_GT(sigma[j], 0.0) << j;
    EXPECT_NEAR(fitted[j], optimum[j], sigma[j]) << j;
  }
#endif
}

// Data a fit cannot fit are refused by RUN before anything starts, in VOIGT FIT,
// VOIGT+ and the ring-down dialog alike: a point that is no number, an infinite one,
// and no more points than the fit has free parameters. The set keeps its intensities,
// widths, fit grid and ring-down result.
TEST_F(FitDialogsTest, FitsRefuseDataWithoutValuesAndTooFewPoints) {
  Dsp.Init_Frq = 0.0;
  for (auto& p : Dsp.Pts2Pxl) p = 1.0;
  for (auto& step : Dsp.FrqStpView) step = 1.0;
  FillSet(0, 3, 0, 2, false);
  for (uint32_t j = 0; j < 3; ++j) {
    Sim.FI_Sim_Erg[0][j] = 20.0 + 10.0 * j;
    Sim.FI_Sim_Itn[0][j] = 0.5f;
  }
  Sim.LS_GAU[0] = 6.0;
  Sim.LS_LOR[0] = 2.0;
  Lsf.Fit_PtFirst[0] = 7;
  Lsf.Fit_PtCnt[0] = 9;
  Lsf.Rdf_A[0] = 2.0;
  Lsf.Rdf_Valid[0] = 1;
  const auto write = [](const char* name, int points, int at, float value) {
    std::vector<float> y(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i) y[static_cast<size_t>(i)] = static_cast<float>(std::exp(-0.05 * i) + 0.1);
    if (at >= 0) y[static_cast<size_t>(at)] = value;
    ASSERT_EQ(ManBinFileWrite(name, nullptr, y.data(), nullptr, BIN_ELEM_FLOAT, 0, points, 0, 0), 1);
  };
  write("nan.dat", 60, 17, std::nanf(""));
  write("inf.dat", 60, 3, -HUGE_VALF);
  write("ok.dat", 60, -1, 0.0f);
  const std::string head = "[A] SIM [NoName]\n\nFIT DATA [";
  struct Case {
    const char* file;
    int points;
    std::string text;
  };
  const Case voigt[] = {
      {"nan.dat", 60, head + "nan.dat]\n\nPOINT [17] HAS NO VALUE [NAN]\n\nFIT ABORTED"},
      {"inf.dat", 60, head + "inf.dat]\n\nPOINT [3] HAS NO VALUE [-INF]\n\nFIT ABORTED"},
      // Three lines and two widths: two points, and as many points as parameters.
      {"ok.dat", 2, head + "ok.dat]\n\n[2] POINTS FOR [5] FREE PARAMETERS\n\nFIT ABORTED"},
      {"ok.dat", 5, head + "ok.dat]\n\n[5] POINTS FOR [5] FREE PARAMETERS\n\nFIT ABORTED"}};
  const auto unchanged = [&](const std::string& where) {
    EXPECT_FALSE(NLLsfRunning(-1)) << where;
    EXPECT_EQ(Lsf.NL_Result[0], 0) << where;
    for (uint32_t j = 0; j < 3; ++j) EXPECT_EQ(Sim.FI_Sim_Itn[0][j], 0.5f) << where;
    EXPECT_EQ(Sim.LS_GAU[0], 6.0) << where;
    EXPECT_EQ(Sim.LS_LOR[0], 2.0) << where;
    EXPECT_EQ(Lsf.Fit_PtFirst[0], 7) << where;
    EXPECT_EQ(Lsf.Fit_PtCnt[0], 9) << where;
    EXPECT_EQ(Lsf.Rdf_A[0], 2.0) << where;
    EXPECT_EQ(Lsf.Rdf_Valid[0], 1u) << where;
  };
  struct Dialog {
    SimDlgKind kind;
    uint32_t (*creator)(int16_t, uint32_t, HWND);
  };
  for (const Dialog& dialog : {Dialog{SIM_DLG_VOIGT, LsfVoigtDialogShow}, Dialog{SIM_DLG_VOIGT2, LsfVoigt2DialogShow}}) {
    const SimDlgKind kind = dialog.kind;
    HWND d = Open(kind, dialog.creator, 0);
    ASSERT_TRUE(drv::TypeAndCommit(d, kLnEnd, "2"));
    for (const Case& c : voigt) {
      ASSERT_TRUE(drv::TypeAndCommit(d, kFile, c.file));
      ASSERT_TRUE(drv::TypeAndCommit(d, kPtEnd, std::to_string(c.points)));
      ASSERT_TRUE(drv::Click(d, kRun));
      ASSERT_TRUE(NLLsfWait(60000));
      ASSERT_FALSE(BoxTexts().empty());
      EXPECT_EQ(BoxTexts().back(), c.text);
      EXPECT_EQ(BoxCaptions().back(), "Warning");
      unchanged(std::string(c.file) + " " + std::to_string(kind));
    }
    ASSERT_TRUE(drv::Click(d, IDCANCEL));
  }
  // The ring-down fit: A, k and B.
  const Case rdf[] = {{"nan.dat", 60, voigt[0].text},
                      {"inf.dat", 60, voigt[1].text},
                      {"ok.dat", 3, head + "ok.dat]\n\n[3] POINTS FOR [3] FREE PARAMETERS\n\nFIT ABORTED"}};
  HWND d = Open(SIM_DLG_RDF, LsfRdfDialogShow, 0);
  const size_t before = BoxTexts().size();
  for (const Case& c : rdf) {
    ASSERT_TRUE(drv::TypeAndCommit(d, kFile, c.file));
    ASSERT_TRUE(drv::TypeAndCommit(d, kPtEnd, std::to_string(c.points)));
    ASSERT_TRUE(drv::Click(d, kRun));
    ASSERT_TRUE(NLLsfWait(60000));
    EXPECT_EQ(BoxTexts().back(), c.text);
    unchanged(c.file);
  }
  EXPECT_EQ(BoxTexts().size(), before + 3);
}

// A range of fit points past the end of the data file: the fit takes the points the
// file holds (the reader's warning names the range) and gives what a fit of those
// points gives, in the Voigt and the ring-down dialog alike; a range left with no more
// points than the free parameters is refused with the range and the file's size, and
// the set keeps what it had. wait-idle waits for each fit, so its result is there.
TEST_F(FitDialogsTest, FitsTakeThePointsTheirFileHolds) {
  Band(4.0f, 2.0, 1.5);
  Sim.LN_STAT[0] = 0;  // peak heights
  HWND d = Open(SIM_DLG_VOIGT, LsfVoigtDialogShow, 0);
  ASSERT_TRUE(drv::TypeAndCommit(d, kLnEnd, "1"));
  ASSERT_TRUE(Run(d, "band.dat", 1500, 2000));
  ASSERT_EQ(Lsf.NL_Result[0], 1);
  EXPECT_EQ(drv::Text(d, kResult).rfind("CHISQ=", 0), 0u) << drv::Text(d, kResult);
  const double chisq = Lsf.NL_Chisq[0], G = Sim.LS_GAU[0], L = Sim.LS_LOR[0];
  const float I0 = Sim.FI_Sim_Itn[0][0], I1 = Sim.FI_Sim_Itn[0][1];
  const double sigmaG = Lsf.NL_WidthSig[0][0];
  EXPECT_NEAR(I0, 5.0, 0.05);
  EXPECT_NEAR(G, 2.5, 0.05);
  EXPECT_NEAR(L, 1.0, 0.05);
  EXPECT_LT(chisq, 2000 * 0.02 * 0.02);

  Lines(4.0f, 2.0, 1.5);
  const size_t boxes = BoxTexts().size();
  ASSERT_TRUE(Run(d, "band.dat", 1500, 2600));
  ASSERT_EQ(BoxTexts().size(), boxes + 1);
  EXPECT_EQ(BoxTexts().back(),
            "ManBinFileRead()\n\nRANGE [1500]-[2600] EXCEEDS\nBINARY FILE=[band.dat] SIZE=[2000]\n\nRESET TO [2000] & "
            "CONTINUING");
  ASSERT_EQ(Lsf.NL_Result[0], 1);
  EXPECT_EQ(Lsf.Fit_PtFirst[0], 1500);
  EXPECT_EQ(Lsf.Fit_PtCnt[0], 500);
  EXPECT_EQ(Lsf.NL_Chisq[0], chisq);
  EXPECT_EQ(Sim.FI_Sim_Itn[0][0], I0);
  EXPECT_EQ(Sim.FI_Sim_Itn[0][1], I1);
  EXPECT_EQ(Sim.LS_GAU[0], G);
  EXPECT_EQ(Sim.LS_LOR[0], L);
  EXPECT_EQ(Lsf.NL_WidthSig[0][0], sigmaG);
  std::vector<std::string> log;
  ASSERT_TRUE(platform::ReadTextLines(NLLSF_LOG_NAME, &log));
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[3], "POINTS 1500 2000");  // the points fitted

  // Nothing or too little left for two intensities and two widths: refused.
  const std::string head = "[A] SIM [NoName]\n\nFIT DATA [band.dat]\n\nRANGE [";
  const std::string tail = " FREE PARAMETERS\n\nFIT ABORTED";
  const struct {
    int first;
    std::string text;
  } refused[] = {{2500, head + "2500]-[2600] EXCEEDS FILE SIZE=[2000]\n\n[0] POINTS FOR [4]" + tail},
                 {1997, head + "1997]-[2600] EXCEEDS FILE SIZE=[2000]\n\n[3] POINTS FOR [4]" + tail}};
  for (const auto& r : refused) {
    ASSERT_TRUE(Run(d, "band.dat", r.first, 2600));
    EXPECT_EQ(BoxTexts().back(), r.text);
    EXPECT_EQ(BoxCaptions().back(), "Warning");
    EXPECT_EQ(Lsf.Fit_PtFirst[0], 1500) << r.first;
    EXPECT_EQ(Lsf.Fit_PtCnt[0], 500) << r.first;
    EXPECT_EQ(Sim.FI_Sim_Itn[0][0], I0) << r.first;
    EXPECT_EQ(Sim.LS_GAU[0], G) << r.first;
  }
  EXPECT_EQ(BoxTexts().size(), boxes + 3);

  // The ring-down fit: a decay of 2,000 points, fitted over 300 .. 2000 and 300 .. 2400.
  std::mt19937 random(1406);
  std::normal_distribution<double> noise(0.0, 0.005);
  std::vector<float> decay(2000);
  for (size_t i = 0; i < decay.size(); ++i)
    decay[i] = static_cast<float>(2.0 * std::exp(-0.004 * static_cast<double>(i)) + 0.3 + noise(random));
  ASSERT_EQ(ManBinFileWrite("decay.dat", nullptr, decay.data(), nullptr, BIN_ELEM_FLOAT, 0, 2000, 0, 0), 1);
  HWND r = Open(SIM_DLG_RDF, LsfRdfDialogShow, 0);
  ASSERT_TRUE(Run(r, "decay.dat", 300, 2000));
  ASSERT_EQ(Lsf.Rdf_Valid[0], 1u);
  const double A = Lsf.Rdf_A[0], k = Lsf.Rdf_K[0], B = Lsf.Rdf_B[0];
  EXPECT_NEAR(A, 2.0 * std::exp(-0.004 * 300), 0.01);
  EXPECT_NEAR(k, 0.004, 1e-4);
  EXPECT_NEAR(B, 0.3, 0.01);
  EXPECT_EQ(drv::Text(r, kResult).rfind("A=", 0), 0u) << drv::Text(r, kResult);
  ASSERT_TRUE(Run(r, "decay.dat", 300, 2400));
  ASSERT_EQ(Lsf.Rdf_Valid[0], 1u);
  EXPECT_EQ(Lsf.Fit_PtCnt[0], 1700);
  EXPECT_EQ(Lsf.Rdf_A[0], A);
  EXPECT_EQ(Lsf.Rdf_K[0], k);
  EXPECT_EQ(Lsf.Rdf_B[0], B);
  ASSERT_TRUE(Run(r, "decay.dat", 2500, 2600));
  EXPECT_EQ(BoxTexts().back(), "[A] SIM [NoName]\n\nFIT DATA [decay.dat]\n\nRANGE [2500]-[2600] EXCEEDS FILE "
                               "SIZE=[2000]\n\n[0] POINTS FOR [3] FREE PARAMETERS\n\nFIT ABORTED");
  EXPECT_EQ(Lsf.Rdf_Valid[0], 1u);
  EXPECT_EQ(Lsf.Rdf_A[0], A);
}

// A start with no Gaussian width reaches the least-squares optimum of the band with
// peak heights and with areas alike; a run in which no step lowered chi-square (one
// cycle, turned down) is no fit: it fails with a warning and stores nothing.
TEST_F(FitDialogsTest, AZeroGaussianStartConvergesAndARunWithoutProgressStoresNothing) {
  Band(4.0f, 2.0, 1.5);
  Sim.LN_STAT[0] = 0;
  HWND d = Open(SIM_DLG_VOIGT, LsfVoigtDialogShow, 0);
  ASSERT_TRUE(drv::TypeAndCommit(d, kLnEnd, "1"));
  ASSERT_TRUE(Run(d, "band.dat", 1500, 2000));
  ASSERT_EQ(Lsf.NL_Result[0], 1);
  const double best = Lsf.NL_Chisq[0], G = Sim.LS_GAU[0], L = Sim.LS_LOR[0];
  const double sigma[2] = {Lsf.NL_WidthSig[0][0], Lsf.NL_WidthSig[0][1]};
  for (uint32_t area : {0u, 1u}) {
    Sim.LN_STAT[0] = area;
    Lines(5.0f, 0.0, 2.0);
    ASSERT_TRUE(Run(d, "band.dat", 1500, 2000));
    ASSERT_EQ(Lsf.NL_Result[0], 1) << area;
    EXPECT_NEAR(Lsf.NL_Chisq[0], best, 1e-6 * best) << area;
    EXPECT_NEAR(Sim.LS_GAU[0], G, 1e-4) << area;
    EXPECT_NEAR(Sim.LS_LOR[0], L, 1e-4) << area;
  }
  // One cycle from far off: its one step is turned down.
  Sim.LN_STAT[0] = 0;
  Lines(0.5f, 0.5, 0.1);
  Lsf.NL_WidthSig[0][0] = sigma[0];
  Lsf.NL_WidthSig[0][1] = sigma[1];
  ASSERT_TRUE(drv::TypeAndCommit(d, kCycles, "1"));
  const size_t boxes = BoxTexts().size();
  ASSERT_TRUE(Run(d, "band.dat", 1500, 2000));
  EXPECT_EQ(Lsf.NL_Result[0], -1);
  EXPECT_EQ(drv::Text(d, kResult), "FIT STOPPED OR FAILED");
  ASSERT_EQ(BoxTexts().size(), boxes + 1);
  EXPECT_TRUE(drv::MatchPattern("[A] SIM [NoName]\n\nFIT MADE NO PROGRESS IN [1] CYCLES\n\nCHISQ=[*] OF THE START "
                                "VALUES\n\nFIT ABORTED",
                                BoxTexts().back()))
      << BoxTexts().back();
  EXPECT_EQ(Sim.FI_Sim_Itn[0][0], 0.5f);
  EXPECT_EQ(Sim.FI_Sim_Itn[0][1], 0.5f);
  EXPECT_EQ(Sim.LS_GAU[0], 0.5);
  EXPECT_EQ(Sim.LS_LOR[0], 0.1);
  EXPECT_EQ(Lsf.NL_WidthSig[0][0], sigma[0]);
  EXPECT_EQ(Lsf.NL_WidthSig[0][1], sigma[1]);
}

}  // namespace
}  // namespace qvtest
