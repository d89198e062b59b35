// The CALIBRATION, NORMALIZATION & LINEARIZATION dialog driven as a user would: the
// normalisation and its refusal, the frequency axis, the marker file name, CREATE, the
// saturation buttons, and a script run from the menu.
#include "convert/CalNormLinDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/TypedArrays.h"
#include "numerics/Marquardt.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Lsf.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "resources/Menus.h"
#include "tests/support/ScriptMain.h"
#include "tests/support/LsfReset.h"
#include "tests/support/TempDir.h"

namespace {

namespace drv = platform::driver;

class CalNormLinDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cnv = CnvRecord{};
    Cnl = CnlRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    qvtest::ResetLsf();
    ThreadCtl.View_Started = 1;  // the view files are not this test's subject
    RegisterDialogResources();
    platform::ClearBoxLog();
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override {
    LFree1Dim(&Cnl.Mks_Pos);
    LFree1Dim(&Cnl.Mks_Dif);
    qvtest::ResetLsf();
    std::filesystem::current_path(previousFolder_);
  }
  INT_PTR WithDialog(const std::function<void(HWND)>& steps) {
    drv::ModalHandler handler([&](HWND dialog, int templateId) {
      EXPECT_EQ(templateId, IDD_CAL_NORM_LIN);
      steps(dialog);
    });
    return DialogBox(Win.hInst, MAKEINTRESOURCE(IDD_CAL_NORM_LIN), nullptr, &CalNormLinDialogProc);
  }
  static void WriteFloats(const std::string& name, const std::vector<float>& v) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(v.size() * sizeof(float)));
  }
  static std::vector<float> ReadFloats(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::vector<float> v;
    float x = 0.0f;
    while (in.read(reinterpret_cast<char*>(&x), sizeof x)) v.push_back(x);
    return v;
  }
  // S = 1000 u / (1 + 0.5 u) + 100 against a reference u = 0 .. 1; with levels > 0
  // the reference is read in that many even steps, so that readings repeat.
  static void WriteSaturationPair(int n, int levels = 0) {
    std::vector<float> ref(static_cast<size_t>(n)), sig(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      double u = static_cast<double>(i) / (n - 1);
      if (levels > 0) u = std::round(u * levels) / levels;
      ref[static_cast<size_t>(i)] = static_cast<float>(u);
      sig[static_cast<size_t>(i)] = static_cast<float>(1000.0 * u / (1.0 + 0.5 * u) + 100.0);
    }
    WriteFloats(Cnl.Satn_PowFlnm, ref);
    WriteFloats(Cnl.Satn_SigFlnm, sig);
  }

  qvtest::TempDir dir_;
  std::filesystem::path previousFolder_;
};

// The demo scan: point i lies at i x 0.375 x (1 + 0.03 (i / 32000)^2) MHz from the start
// (the laser sweeps faster towards the end); its etalon has a fringe top every 150 MHz,
// the first at point 0.
double DemoSweep(double i) {
  const double t = i / 32000.0;
  return i * 0.375 * (1.0 + 0.03 * t * t);
}
double Smoothed(const std::vector<float>& v, size_t i) {
  double sum = 0.0;
  for (size_t j = i - 4; j <= i + 4; ++j) sum += v[j];
  return sum / 9.0;
}
// The bottom of a dip near point i: the vertex of a least-squares parabola over i +- 6.
double DipVertex(const std::vector<float>& v, size_t i) {
  double s2 = 0.0, s4 = 0.0, sy = 0.0, sxy = 0.0, sx2y = 0.0;
  for (int x = -6; x <= 6; ++x) {
    const double y = v[static_cast<size_t>(static_cast<int64_t>(i) + x)];
    s2 += x * x;
    s4 += x * x * x * x;
    sy += y;
    sxy += x * y;
    sx2y += x * x * y;
  }
  const double c1 = sxy / s2, c2 = (sx2y - s2 / 13.0 * sy) / (s4 - s2 * s2 / 13.0);
  return static_cast<double>(i) - c1 / (2.0 * c2);
}

TEST_F(CalNormLinDialogTest, DemoEtalonPeaksLinearizeTheScanOntoItsTrueFrequencies) {
  for (const char* name : {"etalon.bin", "absorption.bin"})
    std::filesystem::copy_file(std::string(QV95_SOURCE_DIR) + "/examples/" + name, name);
  Dsp.FSR = 150.0;
  Dsp.Pts_FSR = 400;
  drv::Answers answers;
  // The scan starts on a fringe top, falling: that is no peak of its own.
  answers.Box("Question", "PEAK FINDING PROCEDURE*", IDYES)
      .Box("Info", "PEAKS FOUND = [82]", IDOK)
      .Box("Info", "MARKER SPACING STATISTICS\n\nNUMBER OF MARKERS=[82]*", IDOK)
      .Box("Info", "IN FLNM [absorption.bin] LINEARIZED TO [abs.lin]", IDOK);
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_RAMPNAME, "etalon.bin"));
    EXPECT_TRUE(drv::Click(d, IDC_CNL_PEAKFIND));
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_LININ, "absorption.bin"));
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_LINOUT, "abs.lin"));
    EXPECT_TRUE(drv::Click(d, IDC_CNL_LINEARIZE));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  for (const std::string& f : answers.Failures()) ADD_FAILURE() << f;
  EXPECT_TRUE(answers.AllAnswered());
  ASSERT_EQ(Cnl.Mks_Cnt, 82u);
  EXPECT_NEAR(Cnl.Mks_Pos[1], 400, 2);
  // Every clear dip of the scan sits in abs.lin at its true frequency, 0.375 MHz a point.
  const std::vector<float> raw = ReadFloats("absorption.bin");
  const std::vector<float> lin = ReadFloats("abs.lin");
  ASSERT_EQ(lin.size(), 82u * 400u);
  int dips = 0;
  for (size_t i = 50; i + 50 < raw.size(); ++i) {
    const double here = Smoothed(raw, i);
    bool lowest = here < 0.7;
    for (size_t j = i - 40; lowest && j <= i + 40; ++j) lowest = j == i || Smoothed(raw, j) > here;
    if (!lowest) continue;
    const double f = DemoSweep(DipVertex(raw, i));
    const size_t k = static_cast<size_t>(std::lround(f / 0.375));
    if (k < 40 || k + 40 > lin.size()) continue;
    size_t bottom = k - 25;
    for (size_t j = k - 25; j <= k + 25; ++j)
      if (Smoothed(lin, j) < Smoothed(lin, bottom)) bottom = j;
    EXPECT_NEAR(DipVertex(lin, bottom) * 0.375, f, 1.0) << "dip at raw point " << i;
    ++dips;
  }
  EXPECT_GE(dips, 10);
}

TEST_F(CalNormLinDialogTest, NormalizeRefusesAZeroReferenceWithoutRefreshing) {
  drv::Answers answers;
  answers.Box("Warning", "REFERENCE VOLTAGE (Vm) ZERO\n\nABORTING", IDOK);
  WriteFloats("PmtF", {1, 2, 3});
  WriteFloats("UVPowPDF", {1, 1, 1});
  const INT_PTR result = WithDialog([&](HWND d) {
    EXPECT_EQ(drv::Text(d, IDC_CNL_POINTS), "0");
    // (Leaving the first field, which has the focus when the dialog opens, stores and
    // refreshes.)
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_VM, "0"));
    Cnl.Pt_Cnt[0][0] = 5;  // shown only by a refresh
    EXPECT_TRUE(drv::Click(d, IDC_CNL_NORMALIZE));
    EXPECT_EQ(drv::Text(d, IDC_CNL_POINTS), "0");
    EXPECT_TRUE(drv::Click(d, IDC_CNL_APPLY));
    EXPECT_EQ(drv::Text(d, IDC_CNL_POINTS), "5");
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_FALSE(std::filesystem::exists("PmtFo"));
  EXPECT_STREQ(Cnl.Lin_InFlnm, "PmtF");
}

TEST_F(CalNormLinDialogTest, NormalizeHandsItsOutputToTheLinearization) {
  WriteFloats("PmtF", {2, 4, 6});
  WriteFloats("UVPowPDF", {1, 2, 3});
  drv::Answers answers;
  answers.Box("Info", "*UNITY RATIO=*CUTOFF*", IDOK).Box("Info", "[PmtF] CONVERTED TO [PmtFo]", IDOK);
  const INT_PTR result = WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::Click(d, IDC_CNL_NORMALIZE));
    EXPECT_EQ(drv::Text(d, IDC_CNL_LININ), "PmtFo");
    EXPECT_EQ(drv::Text(d, IDC_CNL_LINOUT), "PmtFol");
    EXPECT_EQ(drv::Text(d, IDC_CNL_NRMOUTSIZE), "3");
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_EQ(result, IDOK);
  for (const std::string& f : answers.Failures()) ADD_FAILURE() << f;
  EXPECT_EQ(ReadFloats("PmtFo"), (std::vector<float>{2, 2, 2}));
  EXPECT_STREQ(Cnl.Lin_InFlnm, "PmtFo");
  EXPECT_STREQ(Cnl.Lin_OutFlnm, "PmtFol");
}

// LSF on a signal with a point that has no value fails, naming it, and writes no
// report: without AC the fit refuses it, with AC the smoothing of the baseline does,
// leaving no temporary file behind.
TEST_F(CalNormLinDialogTest, LsfRefusesAPointWithoutAValueAndLeavesNoTemporaryFile) {
  std::vector<float> signal(1000), power(1000);
  for (size_t i = 0; i < power.size(); ++i) {
    power[i] = 1.0f + 0.001f * static_cast<float>(i);
    signal[i] = 2.0f * power[i] + 0.5f;
  }
  signal[300] = std::nanf("");
  WriteFloats("PmtF", signal);
  WriteFloats("UVPowPDF", power);
  drv::Answers answers;
  answers.Box("Warning", "LsfPowerNrm()\n\nFIT DATA [PmtF]\n\nPOINT [300] HAS NO VALUE [NAN]\n\nFIT ABORTED", IDOK)
      .Box("Warning", "OSIFile()\n\nFFT FILE OPERATION\n\nINPUT FILE [PmtF]\n\nPOINT [300] HAS NO VALUE [NAN]\n\nABORTING",
           IDOK);
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::Click(d, IDC_CNL_LSF));
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNL_AC, true));
    EXPECT_TRUE(drv::Click(d, IDC_CNL_LSF));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_TRUE(answers.AllAnswered());
  for (const std::string& f : answers.Failures()) ADD_FAILURE() << f;
  EXPECT_EQ(Cnl.AcStat, 1u);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(".")) files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"PmtF", "UVPowPDF"}));
}

TEST_F(CalNormLinDialogTest, FrequencyAxisAndPointsPerFsr) {
  Dsp.FSR = 100.0;
  Dsp.Pts_FSR = 50;
  WithDialog([&](HWND d) {
    // PTS/FSR 0 is stored as 1; the step follows the FSR.
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNL_PTSFSR, "0"));
    EXPECT_EQ(Dsp.Pts_FSR, 1);
    EXPECT_EQ(Dsp.Frq_Stp, 100.0);
    EXPECT_EQ(drv::Text(d, IDC_CNL_PTSFSR), "1");
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNL_PTSFSR, "20"));
    EXPECT_EQ(Dsp.Frq_Stp, 5.0);
    // A typed step sets the FSR.
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNL_FRQSTP, "0.25"));
    EXPECT_EQ(Dsp.FSR, 5.0);
    EXPECT_EQ(drv::Text(d, IDC_CNL_FSR), "5.0000000000e+00");
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
}

TEST_F(CalNormLinDialogTest, MarkerFileNameActsOnlyWhenEdited) {
  std::ofstream("Plain") << "10\n20\n35\n";
  std::ofstream("Three") << "10 1.5 2.5\n20 1.5 2.5\n";
  WithDialog([&](HWND d) {
    // Focus in and out without a change: nothing is read.
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_MKSNAME, "Mks"));
    SendDlgItemMessage(d, IDC_CNL_MKSNAME, EM_SETMODIFY, FALSE, 0);
    EXPECT_TRUE(drv::Commit(d));
    EXPECT_EQ(Cnl.Mks_Pos, nullptr);
    EXPECT_EQ(Cnl.Data_Pend[0][0].load(), 0u);
    // A three-column file: its positions are not read.
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNL_MKSNAME, "Three"));
    EXPECT_STREQ(Cnl.Mks_Flnm, "Three");
    EXPECT_EQ(Cnl.Mks_Pos, nullptr);
    EXPECT_EQ(Cnl.Data_Pend[0][0].load(), 1u);
    // A plain marker file: its positions are read.
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNL_MKSNAME, "Plain"));
    ASSERT_NE(Cnl.Mks_Pos, nullptr);
    EXPECT_EQ(Cnl.Mks_Cnt, 3u);
    EXPECT_EQ((std::vector<int32_t>(Cnl.Mks_Pos, Cnl.Mks_Pos + 4)), (std::vector<int32_t>{0, 10, 20, 35}));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
}

// LINEARIZE after ASCII FLNM named a longer marker file works through that file's
// markers, not the spacings of the file read before.
TEST_F(CalNormLinDialogTest, LinearizeAfterANewMarkerFileUsesItsMarkers) {
  std::ofstream("Few") << "100\n200\n300\n";
  std::ofstream("Many") << "100\n200\n300\n400\n500\n600\n700\n800\n";
  std::vector<float> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i);
  WriteFloats("PmtF", ramp);
  Dsp.FSR = 10.0;
  Dsp.Pts_FSR = 10;
  platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNL_MKSNAME, "Few"));
    EXPECT_TRUE(drv::Click(d, IDC_CNL_LINEARIZE));
    EXPECT_EQ(ReadFloats("PmtFl").size(), 30u);
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNL_MKSNAME, "Many"));
    EXPECT_TRUE(drv::Click(d, IDC_CNL_NEAR));  // on, then off: every marker
    EXPECT_TRUE(drv::Click(d, IDC_CNL_NEAR));
    EXPECT_EQ(Cnl.Mks_End, 8);
    EXPECT_TRUE(drv::Click(d, IDC_CNL_LINEARIZE));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  platform::SetBoxAnswerer(nullptr);
  const std::vector<float> lin = ReadFloats("PmtFl");
  ASSERT_EQ(lin.size(), 80u);
  EXPECT_NEAR(lin[75], 750.0f, 1e-3);
}

TEST_F(CalNormLinDialogTest, CreateRefusesAMissingLinearizedFile) {
  drv::Answers answers;
  answers.Box("Warning", "MARKER FILE BASED ON LINEARIZED OUTPUT FILE [PmtFl] WITH ZERO LENGTH\n\nABORTING", IDOK);
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::Click(d, IDC_CNL_CREATE));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_FALSE(std::filesystem::exists("Mks"));
}

TEST_F(CalNormLinDialogTest, SaturationCorrectionUsesTheShownConstants) {
  WriteFloats("SG100F_AveI", {100.0f, 300.0f});
  drv::Answers answers;
  answers.Box("Info", "[SG100F_AveI] CONVERTED TO [SG100F_AveIL]", IDOK);
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_SATNCORR, "0.5"));
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_SATNCORR + 2, "100"));
    EXPECT_TRUE(drv::Click(d, IDC_CNL_SATNCORRECT));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_TRUE(answers.Failures().empty());
  const std::vector<float> l = ReadFloats("SG100F_AveIL");
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0], 100.0f);
  EXPECT_NEAR(l[1], 200.0 / (1.0 - 200.0 * 0.5 / 1000.0) + 100.0, 1e-3);
}

// SATN NLLSF refuses a range with a point that has no value in either file, or with no
// more points than free parameters, naming it, and a fit whose log cannot be created
// (a folder of its name): the start values, uncertainties and constants stay as
// shown, and neither the corrected file nor the tables are written.
TEST_F(CalNormLinDialogTest, SaturationFitRefusesWhatItCannotFit) {
  WriteSaturationPair(200);
  std::vector<float> sig = ReadFloats(Cnl.Satn_SigFlnm);
  sig[17] = std::nanf("");
  WriteFloats(Cnl.Satn_SigFlnm, sig);
  std::vector<float> ref = ReadFloats(Cnl.Satn_PowFlnm);
  ref[150] = 1e18f;
  WriteFloats(Cnl.Satn_PowFlnm, ref);
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = 0;
  Win.Pt_Lim[0][1] = 200;
  const std::string head = "NON-LINEAR FIT OF SATURATION\n\nFIT DATA [";
  drv::Answers answers;
  answers.Box("Warning", head + "BG100F_AveISatn1Ave]\n\nPOINT [150] HAS NO VALUE [1E+18]\n\nFIT ABORTED", IDOK)
      .Box("Warning", head + "SG100F_AveISatn1Ave]\n\nPOINT [17] HAS NO VALUE [NAN]\n\nFIT ABORTED", IDOK)
      .Box("Warning", head + "SG100F_AveISatn1Ave]\n\n[2] POINTS FOR [3] FREE PARAMETERS\n\nFIT ABORTED", IDOK)
      .Box("Warning", "SatnNLLsfRun()\n\nFAILED TO CREATE ASCII FILE=[SatnNLLLsf.log] FOR WRITING\n\nABORTING", IDOK);
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::Click(d, IDC_CNL_SATNFIT));
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_LOWLIM, "0"));
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_HIGHLIM, "100"));
    EXPECT_TRUE(drv::Click(d, IDC_CNL_SATNFIT));
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_LOWLIM, "20"));
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_HIGHLIM, "22"));
    EXPECT_TRUE(drv::Click(d, IDC_CNL_SATNFIT));
    // Points 20 .. 119 hold values throughout; the log's name is taken by a folder.
    std::filesystem::remove("SatnNLLLsf.log");
    std::filesystem::create_directory("SatnNLLLsf.log");
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_HIGHLIM, "120"));
    EXPECT_TRUE(drv::Click(d, IDC_CNL_SATNFIT));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(drv::Text(d, IDC_CNL_SATNUNC + k), "0.000000") << k;
    EXPECT_EQ(drv::Text(d, IDC_CNL_SATNA), "0.100000");
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_TRUE(answers.Failures().empty()) << ::testing::PrintToString(answers.Failures());
  EXPECT_EQ(Cnl.Satn_Prm[0], 0.1);
  EXPECT_EQ(Cnl.Satn_Prm[1], 1000.0);
  EXPECT_EQ(Cnl.Satn_Corr[2], 100.0);
  for (const char* name : {"SatnCorr.bin", "SatnOrig.txt", "SatnCorr.txt"}) EXPECT_FALSE(std::filesystem::exists(name)) << name;
}

// SATN NLLSF on a measured reference: a slow ramp with ripple and noise, so that it
// rises only on average, and one reading of 0. The fit gives its constants, and both
// tables take the pairs in the order of their x: an even grid from the lowest to the
// highest normalised reading, the corrected signal on the line M x + B.
TEST_F(CalNormLinDialogTest, SaturationFitTakesAReferenceThatRisesWithNoise) {
  const int n = 1000, lo = 100, hi = 900;
  std::vector<float> ref(n), sig(n);
  uint32_t seed = 12345u;
  for (int i = 0; i < n; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.02;
    ref[static_cast<size_t>(i)] = static_cast<float>(1.0 + 4.0 * i / (n - 1) + 0.01 * std::sin(i * 0.7) + noise);
  }
  ref[500] = 0.0f;
  const double first = ref[lo], last = ref[hi - 1];
  double lowest = 1e9, highest = -1e9;
  for (int i = 0; i < n; ++i) {
    const double x = (ref[static_cast<size_t>(i)] - first) / (last - first);
    sig[static_cast<size_t>(i)] = static_cast<float>(1000.0 * x / (1.0 + 0.5 * x) + 100.0);
    if (i >= lo && i < hi) lowest = std::min(lowest, x), highest = std::max(highest, x);
  }
  WriteFloats(Cnl.Satn_PowFlnm, ref);
  WriteFloats(Cnl.Satn_SigFlnm, sig);
  Cnv.Lim_Stat[0] = 1;
  drv::Answers answers;
  // The reading of 0 and the start of the file lie below the fitted x = 0.
  answers.Box("Warning", "SATURATION CORRECTED FILE=[SatnCorr.bin]\n\nVALUES CORRECTED=[1000]\n\nVALUES BELOW OFFSET=*",
              IDOK);
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_LOWLIM, std::to_string(lo)));
    EXPECT_TRUE(drv::TypeText(d, IDC_CNL_HIGHLIM, std::to_string(hi)));
    EXPECT_TRUE(drv::Click(d, IDC_CNL_SATNFIT));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_TRUE(answers.Failures().empty()) << ::testing::PrintToString(answers.Failures());
  EXPECT_NEAR(Cnl.Satn_Corr[0], 0.5, 1e-4);
  EXPECT_NEAR(Cnl.Satn_Corr[1], 1000.0, 1e-1);
  EXPECT_NEAR(Cnl.Satn_Corr[2], 100.0, 1e-2);
  EXPECT_EQ(ReadFloats("SatnCorr.bin").size(), static_cast<size_t>(n));
  for (const char* table : {"SatnOrig.txt", "SatnCorr.txt"}) {
    std::ifstream in(table);
    std::vector<double> x, y;
    for (double a = 0.0, b = 0.0; in >> a >> b;) x.push_back(a), y.push_back(b);
    EXPECT_TRUE(in.eof()) << table;
    ASSERT_EQ(x.size(), static_cast<size_t>(hi - lo)) << table;
    EXPECT_NEAR(x.front(), lowest, 1e-6) << table;
    EXPECT_NEAR(x.back(), highest, 1e-5) << table;
    // On the ramp the readings lie close: there the spline follows the model.
    const bool corrected = std::string(table) == "SatnCorr.txt";
    for (size_t i = 0; i < x.size(); ++i) {
      const double line = corrected ? 1000.0 * x[i] + 100.0 : 1000.0 * x[i] / (1.0 + 0.5 * x[i]) + 100.0;
      ASSERT_TRUE(std::isfinite(y[i])) << table << " " << i;
      if (x[i] >= 0.0) {
        ASSERT_NEAR(y[i], line, 0.5) << table << " " << i;
      }
    }
  }
}

// The saturation fit runs on a reference read in 100 steps over 200 points, so most
// readings come twice: the tables on the even grid hold numbers throughout.
TEST_F(CalNormLinDialogTest, ScriptFromTheMenuRunsTheSaturationFitAndTheRefusals) {
  WriteSaturationPair(200, 100);
  const std::string script = StrPrintf(
      "menu %d\n"
      "dialog 112\n"
      "type 6307 0\n"
      "click 2028\n"
      "box Warning \"REFERENCE VOLTAGE (Vm) ZERO*\" ok\n"
      "type 6208 0\n"
      "click 30\n"
      "expect-text 6208 1\n"
      "check 2341 on\n"
      "type 3502 0\n"
      "type 3503 200\n"
      "click 2077\n"
      "expect-text 6317 0.5000*\n"
      "expect-text 6325 0.5000*\n"
      "expect-file SatnCorr.bin 800\n"
      "click 1\n"
      "quit\n",
      IDM_CAL_NORM_LIN);
  std::string failure;
  EXPECT_EQ(qvtest::RunScriptOnBareMain(
                script,
                [](HWND main, int id) {
                  if (id == IDM_CAL_NORM_LIN)
                    DialogBox(Win.hInst, MAKEINTRESOURCE(IDD_CAL_NORM_LIN), main, &CalNormLinDialogProc);
                },
                5000, &failure),
            0)
      << failure;
  EXPECT_NEAR(Cnl.Satn_Prm[0], 0.5, 1e-6);
  EXPECT_NEAR(Cnl.Satn_Corr[1], 1000.0, 1e-3);
  EXPECT_NEAR(Cnl.Satn_Corr[2], 100.0, 1e-3);
  EXPECT_GT(Cnl.Satn_Unc[1], 0.0);
  EXPECT_EQ(Dsp.Pts_FSR, 1);
  EXPECT_FALSE(std::filesystem::exists("PmtFo"));
  for (const char* table : {"SatnOrig.txt", "SatnCorr.txt"}) {
    std::ifstream in(table);
    std::vector<double> values;
    for (double v = 0.0; in >> v;) values.push_back(v);
    EXPECT_TRUE(in.eof()) << table;  // no text that is not a number
    ASSERT_EQ(values.size(), 400u) << table;
    EXPECT_NEAR(values[1], 100.0, 1e-3) << table;
    for (double v : values) ASSERT_TRUE(std::isfinite(v)) << table;
  }
}

}  // namespace
