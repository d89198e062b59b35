// Line-list upkeep: frequencies from derivatives against a symmetric top's closed
// form, the spectrum dump in draw-array chunks and as a sum (none for a set the renderer
// refuses), assignment files, and appending and deleting lines with every per-line
// array kept in step.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "SimFixture.h"
#include "convert/FileConversionDialog.h"
#include "core/TypedArrays.h"
#include "display/ViewFiles.h"
#include "fileproc/FileOps.h"
#include "platform/driver/TestDriver.h"
#include "platform/windows/CommonDialogs.h"
#include "records/Locks.h"
#include "records/ThreadCtl.h"
#include "lineshape/LineShape.h"
#include "resources/Dialogs.h"
#include "sim/SimDialogs.h"
#include "sim/SimLines.h"
#include "sim/SimPlot.h"

namespace qvtest {
namespace {

namespace drv = platform::driver;

// ---- frequencies from derivatives ---------------------------------------------------------

// The arrays every set has, for n lines, zero-filled.
void BasicArrays(int16_t s, uint32_t n) {
  Sim.FI_Lines[s] = n;
  ASSERT_EQ(DAlloc1Dim(&Sim.FI_Sim_Erg[s], n), 1);
  ASSERT_EQ(DAlloc1Dim(&Sim.FI_Exp_Erg[s], n), 1);
  ASSERT_EQ(FAlloc1Dim(&Sim.FI_Exp_Unc[s], n), 1);
  ASSERT_EQ(FAlloc1Dim(&Sim.FI_Sim_Itn[s], n), 1);
  ASSERT_EQ(CAlloc1Dim(&Sim.FI_BT_Lbl[s], n), 1);
  ASSERT_EQ(SAlloc1Dim(&Sim.FI_Jkk_Lbl[s], 6 * n), 1);
}

// A symmetric top: E(J, K) = B J(J+1) + (A - B) K^2 with constants A (slot 0) and B
// (slot 1) active in both states; the band origin in slot 22 of the excited state.
struct Level {
  int j, k;
};
double TopEnergy(double a, double b, Level l) { return b * l.j * (l.j + 1) + (a - b) * l.k * l.k; }

class SimLinesTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    ThreadCtl = ThreadCtlRecord{};
    if (!SimPlotLock.state) InitializeCriticalSection(&SimPlotLock);
    ASSERT_EQ(FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS), 1);
    ASSERT_EQ(FAlloc1Dim(&Win.PM_DrawAry_Sum, WIN_DRAW_PTS), 1);
  }
  void TearDown() override {
    // A view run that a test's BIN started ends before the next test resets the records
    // it reads and its status bar.
    for (int i = 0; i < 30000 && (ThreadCtl.View_Running.load() != 0 || ThreadCtl.View_Request.load() != 0); ++i)
      Sleep(2);
    if (ThreadCtl.View_Thread) WaitForSingleObject(ThreadCtl.View_Thread, 60000);
    for (int16_t c = 0; c <= 8; ++c) DisplayViewArraysFree(c);
    FFree1Dim(&Win.PM_DrawAry);
    FFree1Dim(&Win.PM_DrawAry_Sum);
    SimLineShapeStoresFree();
    SimTest::TearDown();
  }

  // Lines J+1 <- J (K kept) of a symmetric top, derivatives in two-state or one-state form.
  void TopSet(int16_t s, bool oneState, std::vector<std::pair<Level, Level>>* transitions) {
    FreeAll(s);
    for (int j = 0; j < 6; ++j)
      for (int k = 0; k <= j; ++k) transitions->push_back({{j + 1, k}, {j, k}});
    const uint32_t n = static_cast<uint32_t>(transitions->size());
    Sim.FI_Lines[s] = n;
    Sim.DVS_STAT[s] = 1;
    Sim.ONESTATE_STAT[s] = oneState ? 1 : 0;
    Sim.DVS_NO[s][SIM_GND] = 2;
    Sim.DVS_NO[s][SIM_EXC] = oneState ? 0 : 2;
    for (int st = 0; st < 2; ++st) Sim.RC_DevStat[s][st][0] = Sim.RC_DevStat[s][st][1] = oneState && st == 1 ? 0 : 1;
    BasicArrays(s, n);
    ASSERT_EQ(DAlloc1Dim(&Sim.FI_Dev[s], 4 * n), 1);
    for (uint32_t i = 0; i < n; ++i) {
      const auto [up, lo] = (*transitions)[i];
      double* d = Sim.FI_Dev[s] + 4 * i;
      // dE/dA = K^2, dE/dB = J(J+1) - K^2; the lower state's derivatives enter negated.
      const double dAu = up.k * up.k, dBu = up.j * (up.j + 1) - up.k * up.k;
      const double dAl = lo.k * lo.k, dBl = lo.j * (lo.j + 1) - lo.k * lo.k;
      if (oneState) {
        d[0] = dAu, d[1] = dBu, d[2] = -dAl, d[3] = -dBl;  // upper half, then lower half
      } else {
        d[0] = -dAl, d[1] = -dBl, d[2] = dAu, d[3] = dBu;  // ground constants, then excited
      }
      Sim.FI_Sim_Itn[s][i] = static_cast<float>(i);
      Sim.FI_Jkk_Lbl[s][6 * i] = static_cast<int16_t>(up.j);
      Sim.FI_Jkk_Lbl[s][6 * i + 1] = static_cast<int16_t>(up.k);
    }
  }
};

TEST_F(SimLinesTest, FrequenciesFromDerivativesMatchTheSymmetricTop) {
  for (bool oneState : {false, true}) {
    SCOPED_TRACE(oneState ? "one-state" : "two-state");
    std::vector<std::pair<Level, Level>> t;
    TopSet(1, oneState, &t);
    const double a0 = 5000.0, b0 = oneState ? 1500.0 : 1510.0, a1 = 4990.0, b1 = 1500.0, origin = oneState ? 0.0 : 30.0;
    Sim.RC_Prm[1][SIM_GND][0] = a0;
    Sim.RC_Prm[1][SIM_GND][1] = b0;
    Sim.RC_Prm[1][SIM_EXC][0] = a1;
    Sim.RC_Prm[1][SIM_EXC][1] = b1;
    Sim.RC_Prm[1][SIM_EXC][22] = origin;
    Sim.RC_Prm[1][SIM_GND][22] = 1e6;  // never a derivative constant
    Sim.RC_DevStat[1][SIM_GND][22] = 1;
    ASSERT_EQ(SimFIDerRun(1, &Sim), 1);
    // After a change of B, the same closed form with the new constant, in ascending order.
    const double bNew = b0 + 7.25;
    Sim.RC_Prm[1][SIM_GND][1] = bNew;
    ASSERT_EQ(SimFIDerRun(1, &Sim), 1);
    std::multimap<double, std::pair<int, int>> expected;
    for (const auto& [up, lo] : t) {
      const double f = oneState ? TopEnergy(a0, bNew, up) - TopEnergy(a0, bNew, lo)
                                : origin + TopEnergy(a1, b1, up) - TopEnergy(a0, bNew, lo);
      expected.insert({f, {up.j, up.k}});
    }
    uint32_t i = 0;
    for (const auto& [f, jk] : expected) {
      (void)jk;
      ASSERT_NEAR(Sim.FI_Sim_Erg[1][i], f, 1e-9 * std::fabs(f));
      if (i > 0) {
        ASSERT_LE(Sim.FI_Sim_Erg[1][i - 1], Sim.FI_Sim_Erg[1][i]);
      }
      // The labels and derivatives travelled with the frequencies.
      const double check = oneState ? (Sim.FI_Dev[1][4 * i] + Sim.FI_Dev[1][4 * i + 2]) * a0 +
                                          (Sim.FI_Dev[1][4 * i + 1] + Sim.FI_Dev[1][4 * i + 3]) * bNew
                                    : origin + Sim.FI_Dev[1][4 * i] * a0 + Sim.FI_Dev[1][4 * i + 1] * bNew +
                                          Sim.FI_Dev[1][4 * i + 2] * a1 + Sim.FI_Dev[1][4 * i + 3] * b1;
      ASSERT_NEAR(check, Sim.FI_Sim_Erg[1][i], 1e-9 * std::fabs(f));
      ++i;
    }
  }
}

TEST_F(SimLinesTest, StarkDipolesScaleWithTheFieldAndZeroDerivativesAreRefused) {
  std::vector<std::pair<Level, Level>> t;
  TopSet(0, false, &t);
  // A dipole component (slot 6) takes the place of A in the ground state.
  Sim.RC_DevStat[0][SIM_GND][0] = 0;
  Sim.RC_DevStat[0][SIM_GND][6] = 1;
  Sim.RC_Prm[0][SIM_GND][6] = 2.0;
  Sim.RC_Prm[0][SIM_GND][1] = 1000.0;
  Sim.RC_Prm[0][SIM_EXC][1] = 1000.0;
  Sim.DM_GLOBAL_STAT[0] = 1;
  Sim.DM_FIELD[0] = 0.0;
  // Active constants in slot order: B'' (slot 1), the dipole (slot 6), A' (0), B' (1000).
  auto expect = [](double field) {
    const double dipole = 2.0 * 0.50341125 * field;
    for (uint32_t i = 0; i < Sim.FI_Lines[0]; ++i) {
      const double* d = Sim.FI_Dev[0] + 4 * i;
      const double f = d[0] * 1000.0 + d[1] * dipole + d[3] * 1000.0;
      ASSERT_NEAR(Sim.FI_Sim_Erg[0][i], f, 1e-9 * (1.0 + std::fabs(f))) << i;
    }
  };
  ASSERT_EQ(SimFIDerRun(0, &Sim), 1);
  expect(0.0);  // field 0: the dipole adds nothing
  Sim.DM_FIELD[0] = 100.0;
  ASSERT_EQ(SimFIDerRun(0, &Sim), 1);
  expect(100.0);
  Sim.DM_GLOBAL_STAT[0] = 0;  // not a Stark set: the component counts as it is
  ASSERT_EQ(SimFIDerRun(0, &Sim), 1);
  expect(1.0 / 0.50341125);

  Sim.DVS_NO[0][SIM_GND] = Sim.DVS_NO[0][SIM_EXC] = 0;
  EXPECT_EQ(SimFIDerRun(0, &Sim), 0);
  EXPECT_EQ(BoxTexts().back(), "[A] SIM [NoName]\n\nNUMBER OF DERIVATIVES ZERO\n\nABORTING");
}

// ---- spectrum dump --------------------------------------------------------------------------

std::vector<float> ReadFloats(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<float> v;
  float x;
  while (in.read(reinterpret_cast<char*>(&x), sizeof x)) v.push_back(x);
  return v;
}

// A set of lines with Voigt profiles on a grid of 0.1 from frequency 0.
void RenderedSet(int16_t s, const std::vector<double>& freqs, float scale) {
  SimFIFreeQVS(s, &Sim, 0);
  const uint32_t n = static_cast<uint32_t>(freqs.size());
  Sim.FI_Lines[s] = n;
  BasicArrays(s, n);
  for (uint32_t i = 0; i < n; ++i) {
    Sim.FI_Sim_Erg[s][i] = freqs[i];
    Sim.FI_Sim_Itn[s][i] = scale * static_cast<float>(i + 1);
    Sim.FI_BT_Lbl[s][i] = 'A';
  }
  Sim.LN_STAT[s] = 1;
  Sim.LS_GAU[s] = 0.3;
  Sim.LS_LOR[s] = 0.05;
  Sim.LS_Span[s] = 4.0f;
  Dsp.Init_Frq = 0.0;
  for (auto& p : Dsp.Pts2Pxl) p = 1.0;
  for (auto& step : Dsp.FrqStpView) step = 0.1;
  Dsp.Frq_Stp = 0.1;
}

// The renderer's values of set s over points [first, first + count).
std::vector<float> Rendered(int16_t s, int32_t first, int32_t count) {
  EXPECT_EQ(SimFIPlot(nullptr, 0, s, 3, first, count, 1, 9, 9), 1);
  return std::vector<float>(Win.PM_DrawAry, Win.PM_DrawAry + count);
}

TEST_F(SimLinesTest, SpectrumInDrawArrayChunksAndAsTheSumOfMarkedSets) {
  // Lines on both sides of the chunk borders at points 20,000 and 40,000.
  RenderedSet(2, {100.0, 1999.95, 2000.2, 3999.9, 4400.0}, 1.0f);
  RenderedSet(5, {150.0, 2000.0, 4000.05}, 0.5f);
  Dsp.FL_SZ[3][4] = 45000;  // the linked channel gives the length
  Sim.Dsp_Cnl[2] = 4;
  ASSERT_EQ(SimFIWriteBin("one.bin", 2, 1), 1);
  EXPECT_EQ(StatusText(3), "[C] SIM [NoName] - LENGTH/SCALAR/OFFSET SET TO EXPT CHN=[4]");
  EXPECT_EQ(StatusText(0), "BINARY FORM OF SIM WRITTEN");
  const auto one = ReadFloats("one.bin");
  ASSERT_EQ(one.size(), 45000u);
  std::vector<float> chunks;
  for (int32_t first = 0; first < 45000; first += WIN_DRAW_PTS) {
    const auto part = Rendered(2, first, std::min(WIN_DRAW_PTS, 45000 - first));
    chunks.insert(chunks.end(), part.begin(), part.end());
  }
  ASSERT_EQ(one, chunks);
  EXPECT_GT(one[1000], 0.1f);    // a line at 100.0
  EXPECT_GT(one[20000], 0.01f);  // the wings across the first border
  EXPECT_GT(one[40000], 0.01f);

  // The sum: this set's scaled offset first, then every marked set with lines.
  Sim.Sum_Stat[2] = Sim.Sum_Stat[5] = Sim.Sum_Stat[7] = 1;  // set 7 has no lines: unmarked
  Sim.Dsp_Scalar[2] = 2.0;
  Sim.Dsp_Offset[2] = 0.25;
  ASSERT_EQ(SimFIWriteBin("sum.bin", 2, 1), 1);
  EXPECT_EQ(Sim.Sum_Stat[7], 0u);
  EXPECT_EQ(StatusText(0), "BINARY FORM OF SUM OF SIMS WRITTEN");
  const auto sum = ReadFloats("sum.bin");
  ASSERT_EQ(sum.size(), 45000u);
  for (int32_t first = 0; first < 45000; first += WIN_DRAW_PTS) {
    const int32_t count = std::min(WIN_DRAW_PTS, 45000 - first);
    const auto a = Rendered(2, first, count), b = Rendered(5, first, count);
    for (int32_t k = 0; k < count; ++k)
      ASSERT_EQ(sum[static_cast<size_t>(first + k)], 0.5f + a[static_cast<size_t>(k)] + b[static_cast<size_t>(k)])
          << first + k;
  }
}

// ASCII OUPUT of the FILE CONVERSION dialog for channel 1 (100,003 points) while
// channel 0 (32,000 points) is active, set C shown and tied to no channel: the set's
// column runs over the whole table with the values the renderer draws over channel 1,
// its lines past point 32,000 included, and no size warning.
TEST_F(SimLinesTest, TheSimulationColumnOfATextOutputIsAsLongAsTheChannelWritten) {
  RegisterDialogResources();
  RenderedSet(2, {100.0, 5000.0, 9000.0}, 1.0f);  // points 1,000, 50,000 and 90,000
  Sim.Dsp_Stat[2] = 1;
  Sim.Dsp_Cnl[2] = 9;
  ThreadCtl.View_Started = 1;  // no view thread from a test
  StrCopy(Dsp.Data_Dir, std::filesystem::current_path().string().c_str());
  WriteAll("a.bin", std::string(32000 * sizeof(float), '\0'));
  WriteAll("b.bin", std::string(100003 * sizeof(float), '\0'));
  StrCopy(Dsp.Chn_Flnm[0], "a.bin");
  StrCopy(Dsp.Chn_Flnm[1], "b.bin");
  Win.Active_Chn = 0;
  answers_ = {IDNO, IDYES};  // the data as they are, with the simulation column
  drv::ModalHandler handler([](HWND d, int) {
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0 + 1, true));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0 + 1, "b.txt"));
    EXPECT_TRUE(drv::Click(d, OSI_ASCII_OUTPUT));
    drv::Click(d, IDCANCEL);
  });
  FileConversionDialog(nullptr);
  for (const std::string& box : BoxTexts()) EXPECT_EQ(box.find("WRONG SIZE"), std::string::npos) << box;
  std::istringstream table(ReadAll("b.txt"));
  std::vector<double> column;
  for (std::string line; std::getline(table, line);) {
    double frequency = 0.0, value = 0.0, sim = -1.0;
    std::istringstream(line) >> frequency >> value >> sim;
    column.push_back(sim);
  }
  ASSERT_EQ(column.size(), 100003u);
  for (int32_t first : {0, 40000, 80000, 100000}) {
    const int32_t count = std::min(WIN_DRAW_PTS, 100003 - first);
    const auto drawn = Rendered(2, first, count);
    for (int32_t k = 0; k < count; ++k)
      ASSERT_NEAR(column[static_cast<size_t>(first + k)], drawn[static_cast<size_t>(k)], 1e-9) << first + k;
  }
  EXPECT_GT(column[90000], 0.1);
}

// BIN of the control dialog for a set whose profile the renderer refuses (width mode,
// 20 widths of 1e6 on a grid of 0.1): nothing is written for it, alone or as part of a
// sum, the warning names the refused set and the renderer's reason, and a file of that
// name keeps what it held. Once the set can be drawn, the sum is written.
TEST_F(SimLinesTest, SpectrumOfASetTheRendererRefusesIsNotWritten) {
  RegisterDialogResources();
  RenderedSet(0, {100.0, 1999.95, 2000.2, 3999.9}, 1.0f);
  RenderedSet(1, {150.0, 2000.0, 4000.05}, 0.5f);
  Dsp.FL_SZ[3][4] = 45000;
  Sim.Dsp_Cnl[0] = Sim.Dsp_Cnl[1] = 4;
  std::vector<std::string> chosen = {"a.bin", "b.bin", "a.bin", "a.bin", "sum.bin"};
  platform::SetCommonDialogAnswerer([&](const platform::CommonDialogRequest&) {
    platform::CommonDialogAnswer answer{true, (std::filesystem::current_path() / chosen.front()).string()};
    chosen.erase(chosen.begin());
    return answer;
  });
  ASSERT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
  HWND control = Sim.Ctl_Hwnd;
  ASSERT_TRUE(drv::Click(control, IDC_SC_BIN));
  const std::string a = ReadAll("a.bin");
  ASSERT_EQ(a.size(), 45000u * sizeof(float));

  ASSERT_TRUE(drv::Click(control, IDC_SC_NUM + 1));
  ASSERT_TRUE(drv::TypeAndCommit(control, IDC_SC_WIDTH + 1, "20"));
  ASSERT_TRUE(drv::TypeAndCommit(control, IDC_SC_LOR + 1, "1000000"));
  ASSERT_EQ(Sim.LS_WidthMode[1], 1u);
  ASSERT_EQ(Sim.LS_LOR[1], 1e6);
  const size_t boxes = BoxTexts().size();
  const std::string refused = "SIM BIN WRITE\n\n[B] SIM [NoName]\n\n[B] DNRM [3] NEEDS [200000000] PTS - NOT DRAWN\n\nABORTING";
  ASSERT_TRUE(drv::Click(control, IDC_SC_BIN + 1));
  ASSERT_EQ(BoxTexts().size(), boxes + 1);
  EXPECT_EQ(BoxTexts().back(), refused);
  EXPECT_EQ(BoxCaptions().back(), "Warning");
  EXPECT_FALSE(std::filesystem::exists("b.bin"));
  answers_ = {IDYES};  // replace a.bin
  ASSERT_TRUE(drv::Click(control, IDC_SC_BIN + 1));
  EXPECT_EQ(BoxTexts().back(), refused);
  EXPECT_EQ(ReadAll("a.bin"), a);

  // The sum of A and B fails on B.
  ASSERT_TRUE(drv::Click(control, IDC_SC_SUM));
  ASSERT_TRUE(drv::Click(control, IDC_SC_SUM + 1));
  answers_ = {IDYES};
  ASSERT_TRUE(drv::Click(control, IDC_SC_BIN));
  ASSERT_EQ(BoxTexts().size(), boxes + 5);
  EXPECT_EQ(BoxTexts().back(), refused);
  EXPECT_EQ(ReadAll("a.bin"), a);
  EXPECT_NE(StatusText(0), "BINARY FORM OF SUM OF SIMS WRITTEN");

  ASSERT_TRUE(drv::Click(control, IDC_SC_NUM + 1));
  ASSERT_EQ(Sim.LS_WidthMode[1], 0u);
  ASSERT_TRUE(drv::TypeAndCommit(control, IDC_SC_LOR + 1, "0.05"));
  ASSERT_TRUE(drv::Click(control, IDC_SC_BIN));
  EXPECT_EQ(StatusText(0), "BINARY FORM OF SUM OF SIMS WRITTEN");
  EXPECT_EQ(ReadFloats("sum.bin").size(), 45000u);
  EXPECT_EQ(BoxTexts().size(), boxes + 5);
  EXPECT_TRUE(chosen.empty());
  platform::SetCommonDialogAnswerer(nullptr);
  DestroyWindow(control);
}

TEST_F(SimLinesTest, SpectrumWriteFailureKeepsTheOldFile) {
  FillSet(0, 3, 0, 3, false);
  Win.Active_Chn = 1;
  Dsp.FL_SZ[3][1] = 10;
  // A target that cannot be replaced (a folder) gives the warning and 0.
  std::filesystem::create_directory("taken.bin");
  WriteAll("taken.bin/inside", "x");
  EXPECT_EQ(SimFIWriteBin("taken.bin", 0, 1), 0);
  EXPECT_EQ(BoxTexts().back(),
            "[A] SIM [NoName]\n\nFAILED TO CREATE BINARY FILE [taken.bin] FOR WRITING\n\nABORTING");
  EXPECT_EQ(ReadAll("taken.bin/inside"), "x");
  EXPECT_EQ(StatusText(3), "[A] SIM [NoName] - LENGTH/SCALAR/OFFSET SET TO ACTIVE EXPT CHN=[1]");
  EXPECT_EQ(StatusText(0), "");  // never told written
  // Nothing beside the folder is left behind.
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(".")) entries += e.path().filename() != "taken.bin";
  EXPECT_EQ(entries, 0u);
}

TEST_F(SimLinesTest, SpectrumWithoutChannelAsksOrRefuses) {
  FillSet(0, 1, 0, 3, false);
  EXPECT_EQ(SimFIWriteBin("s.bin", 0, 1), 0);
  EXPECT_EQ(BoxTexts().back(), "SIM BIN WRITE\n\n[A] SIM [NoName]\n\nACTIVE & ASSOCIATED CHNS HAVE ZERO LENGTHS | "
                               "NUMBER OF SIM LINES < 3 \n\nABORTING");
  FillSet(0, 5, 0, 3, false);  // lines at 1000 + 3 i
  ThreadCtl.View_Started = 1;  // no view thread from a test
  answers_ = {IDYES};
  ASSERT_EQ(SimFIWriteBin("s.bin", 0, 1), 1);
  EXPECT_EQ(Win.Active_Chn, 0);
  EXPECT_EQ(Dsp.FL_SZ[3][0], 100000u);
  EXPECT_EQ(Dsp.Init_Frq, 1000.0);
  EXPECT_DOUBLE_EQ(Dsp.Frq_Stp, 12.0 / 100000);
  // The axis as the working file keeps it gives the same step back; the raw level has it.
  EXPECT_EQ(Dsp.Pts_FSR, 1);
  EXPECT_EQ(Dsp.FSR / Dsp.Pts_FSR, Dsp.Frq_Stp);
  EXPECT_EQ(Dsp.FrqStpView[WIN_RAW], Dsp.Frq_Stp);
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "s.bin");
  EXPECT_EQ(Sim.Dsp_Cnl[0], 9);
  EXPECT_EQ(ReadFloats("s.bin").size(), 100000u);
}

// ---- assignment file ---------------------------------------------------------------------------

TEST_F(SimLinesTest, AssignmentFileMatchesByQuantumNumbers) {
  FillSet(3, 6, 0, 3, false);  // line i: J' Ka' Kc' J'' Ka'' Kc'' = 6i .. 6i+5
  Sim.FM_STAT[3] = 0;
  for (uint32_t i = 0; i < 6; ++i) Sim.FI_Exp_Erg[3][i] = 0.0;
  Sim.FI_Asn_Lines[3] = 0;
  StrCopy(OrvPrm.Asn_Flnm, "t.asn");
  WriteAll("t.asn",
           "x 6 7 8 9 10 11 1003.5 0.02\n"   // line 1
           "x 18 19 20 21 22 23 1009.25\n"   // line 3, uncertainty 1.0
           "x 1 1 1 1 1 1 5.0 0.1\n"         // matches nothing
           "comment\n"
           " / end\n"
           "x 0 1 2 3 4 5 999.0 0.5\n");    // after the end
  ASSERT_EQ(SimFIAsnRead(3, &Sim), 1);
  EXPECT_EQ(Sim.FI_Exp_Erg[3][1], 1003.5);
  EXPECT_EQ(Sim.FI_Exp_Unc[3][1], 0.02f);
  EXPECT_EQ(Sim.FI_Exp_Erg[3][3], 1009.25);
  EXPECT_EQ(Sim.FI_Exp_Unc[3][3], 1.0f);
  EXPECT_EQ(Sim.FI_Exp_Erg[3][0], 0.0);
  EXPECT_EQ(Sim.FI_Asn_Lines[3], 2u);
  EXPECT_EQ(Sim.Asn_Modified[3], 1u);
  EXPECT_EQ(BoxTexts().back(),
            StrPrintf("MATCHED [2] OUT OF [3] LINES FROM ASN FILE [t.asn]\n\nTOTAL ASN LINES=[2] WITH OMC=[%f]",
                      std::sqrt((0.25 + 0.0625) / 2)));

  // A half-integral Pickett file: F' = 3 meets the label 2.5; the question names the set's
  // assignments first.
  StrCopy(Sim.Sim_Type[3], "PICKETT_8QN");
  Sim.FM_STAT[3] = 1;
  Sim.FI_FM_Lbl[3][2 * 4] = 2.5f;
  Sim.FI_FM_Lbl[3][2 * 4 + 1] = 1.5f;
  WriteAll("t.asn", "24 25 26 3 27 28 29 2 1012.0 0.05\n");
  {
    drv::Answers answers;
    answers.Box("Question", "SIM CURRENTLY CONTAINS [2] ASN - USE CLR IN SCD TO REMOVE*", IDYES)
        .Box("Question", "FIX PICKETT'S QUANTUM NUMBERS\n\nHALF INTEGRAL SPIN [YES] | INTEGRAL SPIN [NO]?", IDYES)
        .Box("Info", "MATCHED [1] OUT OF [1] LINES*", IDOK);
    ASSERT_EQ(SimFIAsnRead(3, &Sim), 1);
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_EQ(Sim.FI_Exp_Erg[3][4], 1012.0);
    EXPECT_EQ(Sim.FI_Asn_Lines[3], 3u);
  }

  StrCopy(OrvPrm.Asn_Flnm, "missing.asn");
  answers_ = {IDYES};
  EXPECT_EQ(SimFIAsnRead(3, &Sim), 0);
  EXPECT_EQ(BoxTexts().back(), "ASSIGNMENT FILE [missing.asn] DOES NOT EXIST\n\nDEFINE FLNM IN Rot Calc MENU\n\nABORTING");
}

// ---- append and delete ---------------------------------------------------------------------------

// Every per-line array of a set, copied out.
struct Snapshot {
  std::vector<double> erg, exp, dev, ham0, ham1;
  std::vector<float> unc, itn, amp, imag, fm, gau, lor, sd, ap0;
  std::vector<int16_t> jkk;
  std::vector<int32_t> idx0, idx1;
  std::vector<BOOL> vs;
  std::string bt;
  uint32_t levels = 0;
  bool operator==(const Snapshot&) const = default;
};
template <class T>
std::vector<T> Copy(const T* p, size_t n) {
  return p ? std::vector<T>(p, p + n) : std::vector<T>{};
}
Snapshot Take(int16_t s, uint32_t nd) {
  const size_t n = Sim.FI_Lines[s];
  Snapshot t;
  t.erg = Copy(Sim.FI_Sim_Erg[s], n);
  t.exp = Copy(Sim.FI_Exp_Erg[s], n);
  t.dev = Copy(Sim.FI_Dev[s], n * nd);
  t.levels = Sim.FI_Erg_Sz[s];
  t.ham0 = Copy(Sim.FI_HamErg_Vector[s][0], t.levels);
  t.ham1 = Copy(Sim.FI_HamErg_Vector[s][1], t.levels);
  t.unc = Copy(Sim.FI_Exp_Unc[s], n);
  t.itn = Copy(Sim.FI_Sim_Itn[s], n);
  t.amp = Copy(Sim.FI_Amp[s], 3 * n);
  t.imag = Copy(Sim.FI_Imag[s], 3 * n);
  t.fm = Copy(Sim.FI_FM_Lbl[s], 2 * n);
  t.gau = Copy(Sim.FI_Gau_FWHM[s], n);
  t.lor = Copy(Sim.FI_Lor_FWHM[s], n);
  t.sd = Copy(Sim.FI_LS_StdDev[s], 5 * n);
  t.vs = Copy(Sim.FI_LS_VarStat[s], 5 * n);
  t.ap0 = Copy(Sim.FI_AreaPeak_FAry[s][0], n);
  t.jkk = Copy(Sim.FI_Jkk_Lbl[s], 6 * n);
  t.idx0 = Copy(Sim.FI_Erg_Idx[s][0], n);
  t.idx1 = Copy(Sim.FI_Erg_Idx[s][1], n);
  t.bt = std::string(Sim.FI_BT_Lbl[s], n);
  return t;
}

TEST_F(SimLinesTest, AppendThenDeleteRestoresEveryArray) {
  FillSet(4, 7, 4, 3, false);
  for (uint32_t i = 0; i < 7; ++i)
    for (int st = 0; st < 2; ++st) Sim.FI_Erg_Idx[4][st][i] = static_cast<int32_t>(i % 3);
  const Snapshot before = Take(4, 4);

  ASSERT_EQ(SimFIAddDelLineQVS(1, 1, 4, &Sim, 1), 1);
  ASSERT_EQ(Sim.FI_Lines[4], 8u);
  EXPECT_EQ(StatusText(0), "[E] SIM [NoName] SIM LINE ADDED=[8]");
  // The new line: defaults, a derivative row of zeros, a new level of energy 0.
  EXPECT_EQ(Sim.FI_BT_Lbl[4][7], 'N');
  EXPECT_EQ(Sim.FI_Gau_FWHM[4][7], 0.1f);
  EXPECT_EQ(Sim.FI_Lor_FWHM[4][7], 0.1f);
  EXPECT_EQ(Sim.FI_Exp_Erg[4][7], 0.0);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Sim.FI_Jkk_Lbl[4][42 + k], 0);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(Sim.FI_Dev[4][28 + k], 0.0);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(Sim.FI_LS_StdDev[4][35 + k], 0.0f);
  EXPECT_EQ(Sim.FI_Erg_Sz[4], 4u);
  for (int st = 0; st < 2; ++st) {
    EXPECT_EQ(Sim.FI_Erg_Idx[4][st][7], 3);
    EXPECT_EQ(Sim.FI_HamErg_Vector[4][st][3], 0.0);
  }
  // The caller's frequency puts it among the others; the sort keeps the arrays in step.
  Sim.FI_Sim_Erg[4][7] = 1004.0;
  Sim.FI_Sim_Itn[4][7] = 99.0f;
  ASSERT_EQ(SimFISort(4, &Sim), 1);
  EXPECT_EQ(Sim.FI_Sim_Itn[4][2], 99.0f);
  EXPECT_EQ(Sim.FI_Erg_Idx[4][0][2], 3);

  // Delete it through the quantum-number list.
  Sim.FI_QN_List_Cnt[4] = 2;
  ASSERT_EQ(LAlloc1Dim(&Sim.FI_QN_List_Ary[4], 5), 1);
  Sim.FI_QN_List_Ary[4][1] = 2;
  Sim.FI_QN_List_Sel[4] = 1;
  ASSERT_EQ(SimFIAddDelLineQVS(0, 0, 4, &Sim, 1), 1);
  EXPECT_EQ(StatusText(0), "[E] SIM [NoName] SIM LINE DELETED=[7]");
  EXPECT_TRUE(Take(4, 4) == before);
}

TEST_F(SimLinesTest, DeleteChecksTheSelectionAndFreesTheLastLine) {
  FillSet(1, 2, 0, 3, false);
  // No selection: nothing happens.
  EXPECT_EQ(SimFIAddDelLineQVS(0, 0, 1, &Sim, 0), 1);
  EXPECT_EQ(Sim.FI_Lines[1], 2u);
  // A position outside the list or a line outside the set is refused.
  ASSERT_EQ(LAlloc1Dim(&Sim.FI_QN_List_Ary[1], 5), 1);
  Sim.FI_QN_List_Sel[1] = 3;
  Sim.FI_QN_List_Cnt[1] = 2;
  EXPECT_EQ(SimFIAddDelLineQVS(0, 0, 1, &Sim, 0), 0);
  Sim.FI_QN_List_Sel[1] = 1;
  Sim.FI_QN_List_Ary[1][1] = 2;
  EXPECT_EQ(SimFIAddDelLineQVS(0, 0, 1, &Sim, 0), 0);
  EXPECT_EQ(Sim.FI_Lines[1], 2u);
  // Two deletes empty and free the set.
  for (int k = 0; k < 2; ++k) {
    Sim.FI_QN_List_Sel[1] = 1;
    Sim.FI_QN_List_Cnt[1] = 2;
    Sim.FI_QN_List_Ary[1][1] = 0;
    ASSERT_EQ(SimFIAddDelLineQVS(0, 0, 1, &Sim, 0), 1);
  }
  EXPECT_EQ(Sim.FI_Lines[1], 0u);
  EXPECT_EQ(Sim.FI_Sim_Erg[1], nullptr);
  // Appending to the empty set starts a vibrational list.
  ASSERT_EQ(SimFIAddDelLineQVS(1, 1, 1, &Sim, 0), 1);
  EXPECT_STREQ(Sim.Version[1], "VIB");
  EXPECT_EQ(Sim.FI_Lines[1], 1u);
}

}  // namespace
}  // namespace qvtest
