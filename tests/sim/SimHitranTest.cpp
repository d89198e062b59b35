// HITRAN sets turned into line lists and the pressure scan, against direct renders.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/TypedArrays.h"
#include "display/Hooks.h"
#include "models/hitran/Tips.h"
#include "platform/driver/TestDriver.h"
#include "platform/windows/CommonDialogs.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "records/Tips.h"
#include "resources/Dialogs.h"
#include "lineshape/LineShape.h"
#include "sim/SimDialogs.h"
#include "sim/SimHitran.h"
#include "sim/SimPlot.h"
#include "tests/sim/SimFixture.h"
#include "tests/support/ScriptMain.h"

extern "C" double voigt(double x, double sigma, double gamma);

namespace qvtest {
namespace {

constexpr int kCount = 100;  // the page: points 0..99 at 0.1 apart from frequency 0

// The values the renderer gave set A for the last painting, before the painting
// scaled them into rows.
std::vector<float> painted;
int32_t KeepPaintedRun(HDC dc, int16_t paint, int16_t set, int16_t view, int32_t first, int32_t count, int32_t baseline,
                       int16_t childChn, int16_t childView) {
  const int32_t drawn = SimFIPlot(dc, paint, set, view, first, count, baseline, childChn, childView);
  if (set == 0) painted.assign(Win.PM_DrawAry, Win.PM_DrawAry + count);
  return drawn;
}

class SimHitranTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Tips = TipsRecord{};
    if (!SimPlotLock.state) InitializeCriticalSection(&SimPlotLock);
    if (!SimReadLock.state) InitializeCriticalSection(&SimReadLock);
    ASSERT_EQ(FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS), 1);
    ASSERT_EQ(FAlloc1Dim(&Win.PM_DrawAry_Sum, WIN_DRAW_PTS), 1);
    Dsp.Init_Frq = 0.0;
    for (auto& p : Dsp.Pts2Pxl) p = 1.0;
    for (auto& step : Dsp.FrqStpView) step = 0.1;
    Win.Page_Height = 100;
    Win.Plot_Bottom = 100;
    Win.Page_Pixels = kCount;
    Win.View_Level = 3;
    Win.Page_Start = 0;
    Win.Page_Width = kCount;
    Win.Cursor_X = 50;
  }
  void TearDown() override {
    if (painting_) DisplayHooks.simPlot = hook_;
    for (HWND w : std::vector<HWND>{Sim.Dlg_Hwnd[SIM_DLG_HITRAN][0], Sim.Ctl_Hwnd, Dsp.Msg_Hwnd.load()})
      if (w && IsWindow(w)) DestroyWindow(w);
    FFree1Dim(&Win.PM_DrawAry);
    FFree1Dim(&Win.PM_DrawAry_Sum);
    SimLineShapeStoresFree();
    SimTest::TearDown();
  }
  // The records of a HITRAN line list of the test data.
  static std::vector<std::string> DataRecords(const char* name) {
    std::ifstream in(std::string(QV95_TESTDATA_DIR) + "/hitran/" + name);
    std::vector<std::string> records;
    for (std::string record; std::getline(in, record);) {
      if (!record.empty() && record.back() == '\r') record.pop_back();
      records.push_back(record);
    }
    return records;
  }
  // Set A read from these records through READ ASCII SIM of the simulation control
  // dialog: six formats declined, HITRAN taken, every isotope kept.
  void ReadRecords(const std::vector<std::string>& records) {
    namespace drv = platform::driver;
    {
      std::ofstream out("lines.par", std::ios::binary);
      for (const std::string& r : records) out << r << "\n";
    }
    StrCopy(Dsp.Units_Txt, "CM-1");
    StrCopy(Dsp.Data_Dir, std::filesystem::current_path().string().c_str());
    const std::string file = (std::filesystem::current_path() / "lines.par").string();
    platform::SetCommonDialogAnswerer(
        [file](const platform::CommonDialogRequest&) { return platform::CommonDialogAnswer{true, file}; });
    ASSERT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
    answers_ = {IDNO, IDNO, IDNO, IDNO, IDNO, IDNO, IDYES, IDNO};
    ASSERT_TRUE(drv::Click(Sim.Ctl_Hwnd, IDC_SC_RDSIM));
    platform::SetCommonDialogAnswerer(nullptr);
    ASSERT_EQ(Sim.FI_Lines[0], records.size());
    ASSERT_EQ(Sim.HT_Global_Stat[0], 1u);
  }
  // The main window paints set A over a page from `start` cm-1, `step` apart, the
  // renderer's values kept in `painted`; the SIM HITRAN dialog of set A, its pressures
  // in atm.
  HWND PaintWithTheHitranDialog(double start, double step) {
    PaintLikeTheProgram();
    Dsp.Dsp_Ready = 1;
    Win.Active_Chn = 0;
    Dsp.Init_Frq = start;
    for (auto& s : Dsp.FrqStpView) s = step;
    Sim.Dsp_Stat[0] = 1;
    painting_ = true;
    hook_ = DisplayHooks.simPlot;
    DisplayHooks.simPlot = &KeepPaintedRun;
    painted.clear();
    EXPECT_EQ(SimHitranDialogShow(0, 1, Win.hWnd_Main), 1u);
    HWND gas = Sim.Dlg_Hwnd[SIM_DLG_HITRAN][0];
    EXPECT_TRUE(platform::driver::Click(gas, 1007));
    EXPECT_EQ(Sim.HT_Torr_Stat[0], 0u);
    return gas;
  }
  size_t ErrorBoxes() const {
    const auto captions = BoxCaptions();
    return static_cast<size_t>(std::count(captions.begin(), captions.end(), "Error"));
  }

  bool painting_ = false;
  decltype(DisplayHooks.simPlot) hook_ = nullptr;
  // A HITRAN set of three lines, its channel 100 points long.
  static void Gas(int16_t s, std::vector<double> freqs = {2.0, 5.0, 8.0}) {
    FillSet(s, 3, 0, 200, true, &freqs);
    Sim.Dsp_Cnl[s] = 0;
    Sim.HT_SelfFactor[s] = 1.0;  // a zero self width becomes the air width
    Dsp.FL_SZ[3][0] = kCount;
  }
  static std::vector<std::vector<double>> Rows(const std::string& file) {
    std::vector<std::vector<double>> rows;
    std::ifstream in(file);
    double p, a;
    while (in >> p >> a) rows.push_back({p, a});
    return rows;
  }
};

TEST_F(SimHitranTest, ScanMatchesARenderAtEachPressure) {
  Gas(0);
  Sim.HT_Press[0] = 0.75;
  std::ofstream("press.txt") << "0.5\n\n1.0\r\n  2.0\n";
  ASSERT_EQ(SimHitranScanProc(0, "press.txt"), 1);
  EXPECT_EQ(Sim.HtScanRunning[0], 0u);
  EXPECT_EQ(Sim.HT_Press[0], 0.75);
  const auto rows = Rows("HITRAN_AvsP.txt");
  ASSERT_EQ(rows.size(), 3u);
  const double pressures[] = {0.5, 1.0, 2.0};
  for (int i = 0; i < 3; ++i) {
    Sim.HT_Press[0] = pressures[i];
    ASSERT_EQ(SimFIPlot(nullptr, 0, 0, 3, 0, kCount, 1, 9, 9), 1);
    const double expected = Win.PM_DrawAry[50] / Sim.Dsp_Scalar[0];
    EXPECT_EQ(rows[i][0], pressures[i]);
    EXPECT_NEAR(rows[i][1], expected, 1e-9 * std::fabs(expected)) << i;
  }
  EXPECT_NE(rows[0][1], rows[2][1]);  // the pressure reached the render
}

TEST_F(SimHitranTest, ScanWithoutAReadoutStopsWithAWarning) {
  Gas(0);
  std::ofstream("press.txt") << "0.5\n1.0\n";
  std::ofstream("HITRAN_AvsP.txt") << "1 2\n";
  Sim.HT_Press[0] = 0.25;
  // The HITRAN array switch off: the render never writes the readout.
  Sim.HT_Ary_Stat[0] = 0;
  EXPECT_EQ(SimHitranScanProc(0, "press.txt"), 0);
  ASSERT_EQ(BoxCaptions().size(), 1u);
  EXPECT_EQ(BoxCaptions()[0], "Warning");
  EXPECT_NE(BoxTexts()[0].find("HITRAN SCAN STOPPED AT PRESSURE [0.5]"), std::string::npos);
  EXPECT_EQ(Sim.HtScanRunning[0], 0u);
  EXPECT_EQ(Sim.HT_Press[0], 0.25);
  EXPECT_EQ(Rows("HITRAN_AvsP.txt").size(), 1u);  // an earlier scan's file stays
  // The cursor off the page and a zero scalar stop it the same way.
  Sim.HT_Ary_Stat[0] = 1;
  Win.Cursor_X = kCount + 5;
  EXPECT_EQ(SimHitranScanProc(0, "press.txt"), 0);
  Win.Cursor_X = 50;
  Sim.Dsp_Scalar[0] = 0.0;
  EXPECT_EQ(SimHitranScanProc(0, "press.txt"), 0);
  EXPECT_EQ(BoxCaptions().size(), 3u);
  EXPECT_EQ(Sim.HtScanRunning[0], 0u);
  // A pressure file with a bad line is refused before any step.
  Sim.Dsp_Scalar[0] = 1.0;
  std::ofstream("bad.txt") << "0.5\nabc\n";
  EXPECT_EQ(SimHitranScanProc(0, "bad.txt"), 0);
  EXPECT_NE(BoxTexts().back().find("INVALID LINE [abc]"), std::string::npos);
  EXPECT_EQ(SimHitranScanProc(0, "missing.txt"), 0);
  // A step whose render fails (a width too wide to build) stops the scan; the rows
  // before it are written.
  Sim.LS_WidthMode[0] = 1;  // profiles as wide as the widths ask
  std::ofstream("press.txt", std::ios::trunc) << "0.5\n1e20\n1.0\n";
  EXPECT_EQ(SimHitranScanProc(0, "press.txt"), 0);
  EXPECT_NE(BoxTexts().back().find("STOPPED AT PRESSURE [1e+20]"), std::string::npos);
  EXPECT_NE(BoxTexts().back().find("1 ROWS KEPT"), std::string::npos);
  const auto kept = Rows("HITRAN_AvsP.txt");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0][0], 0.5);
  EXPECT_EQ(Sim.HtScanRunning[0], 0u);
  EXPECT_EQ(Sim.HT_Press[0], 0.25);
}

TEST_F(SimHitranTest, RenderedLinesGoIntoAFitSetOnlyFromAValidWindow) {
  Gas(0);
  Sim.HT_Press[0] = 1.0;
  ASSERT_EQ(SimHT2QVS(0, 4), 1);
  ASSERT_EQ(Sim.FI_Lines[4], 3u);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(Sim.FI_Sim_Erg[4][i], Sim.HT_Shift_Erg[0][i]);
    EXPECT_EQ(Sim.FI_Sim_Itn[4][i], Sim.HT_Itn[0][i]);
    EXPECT_EQ(Sim.FI_BT_Lbl[4][i], Sim.Set_Lbl[0][0]);
  }
  EXPECT_NEAR(Sim.FI_Sim_Erg[4][1], 5.0 - 0.002, 1e-6);  // shifted by the pressure
  EXPECT_GT(Sim.FI_Sim_Itn[4][1], 0.0f);

  // Lines outside the rendered interval: no window, nothing copied.
  Gas(1, {20.0, 30.0, 40.0});
  EXPECT_EQ(SimHT2QVS(1, 4), 0);
  EXPECT_EQ(Sim.FI_Lines[4], 3u);
  // A set into itself, into a HITRAN set, or from a set that is not one: refused.
  EXPECT_EQ(SimHT2QVS(0, 0), 0);
  EXPECT_EQ(SimHT2QVS(0, 1), 0);
  EXPECT_EQ(SimHT2QVS(4, 5), 0);
  EXPECT_EQ(Sim.FI_Lines[1], 3u);
  EXPECT_EQ(Sim.FI_Lines[5], 0u);
}

TEST_F(SimHitranTest, SumOfMarkedSetsIsWrittenAsOneFileWithoutOverwritingUnasked) {
  Gas(0);
  Gas(1, {3.0, 6.0, 9.0});
  Gas(2, {4.0, 7.0, 9.5});
  StrCopy(Sim.Sim_Flnm[0], "gas");
  EXPECT_EQ(SimHT2QVSSum(0), 0);  // nothing marked
  EXPECT_NE(BoxTexts().back().find("NO HITRAN SET"), std::string::npos);
  Sim.Sum_Stat[0] = Sim.Sum_Stat[1] = 1;
  // The sum is sorted in a record of its own: set A's quadrupole assignment stays on its
  // line.
  ASSERT_EQ(DAlloc1Dim(&Quad.Asn_TList[0], 5), 1);
  Quad.Asn_TList[0][3] = 1.0;
  Quad.Asn_Cnt[0] = 1;
  ASSERT_EQ(SimHT2QVSSum(0), 1);
  EXPECT_EQ(Quad.Asn_TList[0][3], 1.0);
  EXPECT_EQ(Sim.FI_Lines[0], 3u);
  EXPECT_EQ(Sim.FI_Lines[1], 3u);
  StrCopy(Sim.Sim_Flnm[6], "gas_SUM");
  ASSERT_EQ(SimFIReadQVS(6, &Sim, 0, 0), 1);
  ASSERT_EQ(Sim.FI_Lines[6], 6u);
  for (uint32_t i = 1; i < 6; ++i) EXPECT_LT(Sim.FI_Sim_Erg[6][i - 1], Sim.FI_Sim_Erg[6][i]);
  EXPECT_EQ(Sim.FI_Sim_Erg[6][1], Sim.HT_Shift_Erg[1][0]);

  // The file exists: No keeps it as it was.
  const std::string before = ReadAll("gas_SUM.QVS");
  Sim.Sum_Stat[2] = 1;
  answers_ = {IDNO};
  EXPECT_EQ(SimHT2QVSSum(0), 0);
  EXPECT_EQ(ReadAll("gas_SUM.QVS"), before);
  answers_ = {IDYES};
  EXPECT_EQ(SimHT2QVSSum(0), 1);
  EXPECT_NE(ReadAll("gas_SUM.QVS"), before);
}

TEST_F(SimHitranTest, PressureScanButtonOfTheHitranDialogScansTheChosenFile) {
  RegisterDialogResources();
  Gas(0);
  StrCopy(Dsp.Data_Dir, std::filesystem::current_path().string().c_str());
  std::ofstream("press.txt") << "0.5\n1.5\n";
  const std::string chosen = (std::filesystem::current_path() / "press.txt").string();
  platform::SetCommonDialogAnswerer([&](const platform::CommonDialogRequest&) {
    return platform::CommonDialogAnswer{true, chosen};
  });
  ASSERT_EQ(SimHitranDialogShow(0, 1, Win.hWnd_Main), 1u);
  HWND dialog = Sim.Dlg_Hwnd[SIM_DLG_HITRAN][0];
  ASSERT_NE(dialog, nullptr);
  SendMessage(dialog, WM_COMMAND, 1002, 0);
  EXPECT_EQ(Rows("HITRAN_AvsP.txt").size(), 2u);
  // Cancelled: nothing scanned.
  std::filesystem::remove("HITRAN_AvsP.txt");
  platform::SetCommonDialogAnswerer([](const platform::CommonDialogRequest&) { return platform::CommonDialogAnswer{}; });
  SendMessage(dialog, WM_COMMAND, 1002, 0);
  EXPECT_FALSE(std::filesystem::exists("HITRAN_AvsP.txt"));
  platform::SetCommonDialogAnswerer(nullptr);
  DestroyWindow(dialog);
}

// The gas sample set through the dialog by a person's actions: each render taken by
// menu 2 of the script must differ from the one before by the factor the change asks.
TEST_F(SimHitranTest, GasEditsOfTheHitranDialogRedrawByTheirFactor) {
  RegisterDialogResources();
  Gas(0);
  struct Render {
    std::vector<float> values;
    std::vector<double> itn, shifted;
  };
  std::vector<Render> renders;
  const std::string script =
      "menu 1\n"
      "dialog 1000\n"
      "expect-text 1008 (TORR)\n"
      "expect-text 1004 7.6\n"  // 0.01 atm
      "menu 2\n"
      "type 1006 0.1\n"  // path x 10
      "type 1003 296\n"
      "menu 2\n"
      "type 1004 15.2\n"  // partial pressure x 2 (0.02 atm)
      "type 1003 296\n"
      "menu 2\n"
      "type 1005 380\n"  // 0.5 atm
      "type 1003 296\n"
      "menu 2\n"
      // Refused: the stored value comes back.
      "type 1003 0\n"
      "type 1006 0.1\n"
      "box Warning \"*TEMPERATURE=[0] MUST BE ABOVE 0 K*VALUE NOT CHANGED\" ok\n"
      "expect-text 1003 296\n"
      "type 1004 -1\n"
      "type 1006 0.1\n"
      "box Warning \"*PARTIAL PRESSURE=[-1] MUST NOT BE NEGATIVE*\" ok\n"
      "expect-text 1004 15.2\n"
      "type 1006 0\n"
      "type 1003 296\n"
      "box Warning \"*PATH LENGTH=[0] MUST BE ABOVE 0 M*\" ok\n"
      "type 1006 x\n"
      "type 1003 296\n"
      "box Warning \"*PATH LENGTH=[x] IS NOT A NUMBER*\" ok\n"
      "expect-text 1006 0.1\n"
      // A total pressure of 0 is allowed; atm while TORR is off.
      "type 1005 0\n"
      "type 1003 296\n"
      "check 1007 off\n"
      "expect-text 1008 (ATM)\n"
      "expect-text 1004 0.02\n"
      "type 1004 0.04\n"
      "type 1003 296\n"
      "menu 2\n"
      "quit\n";
  std::string failure;
  const HWND fixtureMain = Win.hWnd_Main;
  EXPECT_EQ(RunScriptOnBareMain(
                script,
                [&](HWND main, int id) {
                  if (id == 1) SimHitranDialogShow(0, 1, main);
                  if (id != 2 || SimFIPlot(nullptr, 0, 0, 3, 0, kCount, 1, 9, 9) != 1) return;
                  Render r;
                  r.values.assign(Win.PM_DrawAry, Win.PM_DrawAry + kCount);
                  for (uint32_t i = 0; i < 3; ++i) {
                    r.itn.push_back(Sim.HT_Itn[0][i]);
                    r.shifted.push_back(Sim.HT_Shift_Erg[0][i]);
                  }
                  renders.push_back(r);
                },
                5000, &failure),
            0)
      << failure;
  if (IsWindow(Sim.Dlg_Hwnd[SIM_DLG_HITRAN][0])) DestroyWindow(Sim.Dlg_Hwnd[SIM_DLG_HITRAN][0]);
  Win.hWnd_Main = fixtureMain;
  ASSERT_EQ(renders.size(), 5u);
  // Path x 10: every value of the drawing x 10.
  for (int i = 0; i < kCount; ++i)
    EXPECT_NEAR(renders[1].values[i], 10.0 * renders[0].values[i], 1e-5 * std::fabs(renders[1].values[i]) + 1e-30) << i;
  EXPECT_GT(renders[1].values[50], 0.0f);
  for (int i = 0; i < 3; ++i) {
    // Partial pressure x 2: the line heights x 2 (the self width changes the profile).
    EXPECT_NEAR(renders[2].itn[i], 2.0 * renders[1].itn[i], 1e-6 * renders[2].itn[i]) << i;
    // Total pressure 0.5 atm: each line moved by its air shift x 0.5.
    EXPECT_NEAR(renders[3].shifted[i], Sim.FI_Sim_Erg[0][i] + 0.5 * Sim.HT_Air_Delta[0][i], 1e-9) << i;
    EXPECT_EQ(renders[2].shifted[i], Sim.FI_Sim_Erg[0][i]);
    // 0.04 atm typed with TORR off: x 2 against 0.02 atm, back at no pressure shift.
    EXPECT_NEAR(renders[4].itn[i], 2.0 * renders[2].itn[i], 1e-6 * renders[4].itn[i]) << i;
  }
  EXPECT_EQ(Sim.HT_Torr_Stat[0], 0u);
  EXPECT_EQ(Sim.HT_Press[0], 0.0);
  EXPECT_DOUBLE_EQ(Sim.HT_PPress[0], 0.04);
  EXPECT_DOUBLE_EQ(Sim.HT_Path[0], 0.1);
  EXPECT_EQ(Sim.HT_Temp[0], 296.0);
}

// A line list of three molecules read through READ ASCII SIM, its gas sample set in the
// HITRAN dialog (200 K, 1 atm) and its profiles as long as 10 widths: each line is drawn
// with the partition sums of its own molecule and isotope, and the first BIN write holds
// the wings of the lines just before the channel's first point and around the joins of
// its runs, as a second write and runs begun well before do.
TEST_F(SimHitranTest, MixedListDrawnWithItsOwnPartitionSumsAndItsWingsFromTheFirstWrite) {
  namespace drv = platform::driver;
  RegisterDialogResources();
  StrCopy(Dsp.Units_Txt, "CM-1");
  // CO first (the set's molecule), then H2O and CO2, taken from the public files.
  auto take = [](const char* name, const char* label, double from, double to, int every, std::ofstream& out) {
    std::ifstream in(std::string(QV95_TESTDATA_DIR) + "/hitran/" + name);
    std::string record;
    double first = 0.0;
    for (int k = 0; std::getline(in, record);) {
      if (!record.empty() && record.back() == '\r') record.pop_back();
      const double nu = std::stod(record.substr(3, 12));
      if (record.compare(0, 3, label) != 0 || nu < from || nu > to || k++ % every != 0) continue;
      if (first == 0.0) first = nu;
      out << record << "\n";
    }
    return first;
  };
  double firstLine = 0.0;
  {
    std::ofstream out("mixed.par", std::ios::binary);
    firstLine = take("radis_hitran_co_3iso_2000_2300cm.par", " 51", 2000.0, 2300.0, 3, out);
    take("radis_hitran_2016_H2O_2iso_2000_2100cm.par", " 11", 2000.0, 2100.0, 40, out);
    take("radis_hitran_2016_H2O_2iso_2000_2100cm.par", " 12", 2000.0, 2100.0, 20, out);
    take("radis_hitran_co2_626_bandhead_4165_4200nm.par", " 21", 2380.0, 2400.0, 30, out);
  }
  // A channel of 60,000 points from 1 cm-1 above the first line (143 points), three
  // runs of the draw array.
  constexpr int32_t kPoints = 60000;
  constexpr double kStep = 0.007;
  Dsp.Init_Frq = firstLine + 1.0;
  for (auto& step : Dsp.FrqStpView) step = kStep;
  Win.Active_Chn = 0;
  Dsp.FL_SZ[3][0] = kPoints;
  StrCopy(Dsp.Data_Dir, std::filesystem::current_path().string().c_str());
  const auto here = [](const char* name) { return (std::filesystem::current_path() / name).string(); };
  std::vector<std::string> chosen = {here("mixed.par"), here("first.bin"), here("second.bin")};
  platform::SetCommonDialogAnswerer([&](const platform::CommonDialogRequest&) {
    platform::CommonDialogAnswer answer{true, chosen.front()};
    chosen.erase(chosen.begin());
    return answer;
  });
  ASSERT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
  HWND control = Sim.Ctl_Hwnd;
  // Six formats declined, HITRAN taken, every isotope kept.
  answers_ = {IDNO, IDNO, IDNO, IDNO, IDNO, IDNO, IDYES, IDNO};
  ASSERT_TRUE(drv::Click(control, IDC_SC_RDSIM));
  ASSERT_GT(Sim.FI_Lines[0], 50u);
  ASSERT_EQ(Sim.HT_Global_Stat[0], 1u);
  ASSERT_EQ(Sim.HT_QT_Stat[0], 1u);
  ASSERT_EQ(SimHitranDialogShow(0, 1, Win.hWnd_Main), 1u);
  HWND gas = Sim.Dlg_Hwnd[SIM_DLG_HITRAN][0];
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1005, "760"));
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1003, "200"));
  ASSERT_EQ(Sim.HT_Temp[0], 200.0);
  ASSERT_DOUBLE_EQ(Sim.HT_Press[0], 1.0);
  ASSERT_TRUE(drv::Click(control, IDC_SC_NUM));
  ASSERT_TRUE(drv::TypeAndCommit(control, IDC_SC_WIDTH, "10"));
  ASSERT_EQ(Sim.LS_WidthMode[0], 1u);
  ASSERT_EQ(Sim.LS_NOLWS[0], 10);

  ASSERT_TRUE(drv::Click(control, IDC_SC_BIN));
  ASSERT_TRUE(drv::Click(control, IDC_SC_BIN));
  EXPECT_TRUE(chosen.empty());
  platform::SetCommonDialogAnswerer(nullptr);
  const std::string first = ReadAll("first.bin"), second = ReadAll("second.bin");
  ASSERT_EQ(first.size(), sizeof(float) * kPoints);
  EXPECT_TRUE(first == second);
  std::vector<float> written(kPoints);
  std::memcpy(written.data(), first.data(), first.size());

  // Runs begun 2,000 points before each run of the write hold every line that reaches
  // the points compared within themselves.
  const double c2 = 1.0 / 0.695038770005;  // hc/k in cm K
  const double T = 200.0;
  const double K = 7.3388931384e+21 / T * Sim.HT_PPress[0] * Sim.HT_Path[0] * 100.0 * Sim.Dsp_Scalar[0];
  int checked[3] = {};
  for (int32_t start = -2000; start < kPoints; start += 18000) {
    ASSERT_EQ(SimFIPlot(nullptr, 0, 0, 3, start, WIN_DRAW_PTS, 1, 9, 9), 1);
    for (int32_t i = 2000; i < WIN_DRAW_PTS && start + i < kPoints; ++i) {
      const float v = written[static_cast<size_t>(start + i)];
      ASSERT_NEAR(v, Win.PM_DrawAry[i], 1e-6 * std::fabs(v) + 1e-30) << "point " << start + i;
    }
    // Each drawn line's height: its intensity at 200 K with the partition sums of its
    // own molecule and isotope.
    for (int32_t line = Sim.FI_IDX_BEG[0]; line >= 0 && line <= Sim.FI_IDX_END[0]; ++line) {
      const int mol = Sim.HT_Mol_Lbl[0][line] / 10, iso = Sim.HT_Mol_Lbl[0][line] % 10;
      double q296 = 0.0, qT = 0.0;
      ASSERT_EQ(SimTipsQT(static_cast<int16_t>(mol), 296.0, static_cast<int16_t>(iso), &q296), 1);
      ASSERT_EQ(SimTipsQT(static_cast<int16_t>(mol), T, static_cast<int16_t>(iso), &qT), 1);
      const double nu = Sim.HT_Shift_Erg[0][line];
      const double E = Sim.FI_HamErg_Vector[0][SIM_GND][Sim.FI_Erg_Idx[0][SIM_GND][line]];
      const double S = Sim.FI_Sim_Itn[0][line] * q296 / qT * std::exp(-c2 * E / T) / std::exp(-c2 * E / 296.0) *
                       (1.0 - std::exp(-c2 * nu / T)) / (1.0 - std::exp(-c2 * nu / 296.0));
      ASSERT_NEAR(Sim.HT_Itn[0][line], K * S, 1e-5 * K * S) << "line " << line << " label " << mol << iso;
      ++checked[mol == 5 ? 0 : mol == 1 ? 1 : 2];
    }
  }
  EXPECT_GT(checked[0], 0);
  EXPECT_GT(checked[1], 0);
  EXPECT_GT(checked[2], 0);
  EXPECT_TRUE(BoxCaptions().empty() || BoxCaptions().back() != "Error");
  DestroyWindow(gas);
  DestroyWindow(control);
  if (Dsp.Msg_Hwnd) DestroyWindow(Dsp.Msg_Hwnd);
}

// The CO list of the test data drawn by the painting while the temperature is typed in
// the SIM HITRAN dialog: 20000 K lies beyond the partition-sum tables, so each drawing
// at it shows the "Error" box once (for all its lines), keeping the Doppler widths; the
// temperatures typed afterwards draw exactly as they did before.
TEST_F(SimHitranTest, TemperatureBeyondTheTablesSpoilsOnlyTheDrawingsAtIt) {
  namespace drv = platform::driver;
  RegisterDialogResources();
  ReadRecords(DataRecords("hapi_CO_M5_I1.par"));
  HWND gas = PaintWithTheHitranDialog(2140.0, 0.02);  // the band centre, 2140 to 2155 cm-1
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1004, "1e-4"));
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1006, "100"));
  struct Drawing {
    std::vector<float> run, itn;
    double gau;
    size_t errors;
  };
  auto at = [&](const char* T) {
    EXPECT_TRUE(drv::TypeAndCommit(gas, 1003, T));
    const int32_t beg = Sim.FI_IDX_BEG[0], end = Sim.FI_IDX_END[0];
    EXPECT_LT(beg, end);
    return Drawing{painted, std::vector<float>(Sim.HT_Itn[0] + beg, Sim.HT_Itn[0] + end + 1), Sim.LS_GAU[0],
                   ErrorBoxes()};
  };
  // The Doppler width of the last line drawn: 7.16e-7 f sqrt(T / m) with the mass of 12C16O.
  auto doppler = [](double T) {
    return 7.16234729e-07 * Sim.HT_Shift_Erg[0][Sim.FI_IDX_END[0]] * std::sqrt(T / SimRecord::HT_MassTable[5][0]);
  };
  const Drawing warm = at("296"), cold = at("200");
  ASSERT_FALSE(warm.run.empty());
  EXPECT_EQ(cold.errors, 0u);
  EXPECT_NEAR(warm.gau, doppler(296.0), 1e-12);
  EXPECT_NEAR(cold.gau, doppler(200.0), 1e-12);
  // The R(0) line (E'' 3.845 cm-1): K S at 296 K, and at 200 K with the Boltzmann,
  // emission and partition-sum ratios.
  int32_t r0 = -1;
  for (int32_t line = Sim.FI_IDX_BEG[0]; line <= Sim.FI_IDX_END[0]; ++line)
    if (std::fabs(Sim.FI_Sim_Erg[0][line] - 2150.856008) < 1e-6) r0 = line;
  ASSERT_GE(r0, Sim.FI_IDX_BEG[0]);
  const double S = Sim.FI_Sim_Itn[0][r0], nu = 2150.856008, E = 3.845, c2 = 1.0 / 0.695038770005;
  const double K296 = 7.3388931384e+21 / 296.0 * 1e-4 * 100.0 * 100.0;
  EXPECT_NEAR(warm.itn[r0 - Sim.FI_IDX_BEG[0]], K296 * S, 1e-6 * K296 * S);
  double q296 = 0.0, q200 = 0.0;
  ASSERT_EQ(SimTipsQT(5, 296.0, 1, &q296), 1);
  ASSERT_EQ(SimTipsQT(5, 200.0, 1, &q200), 1);
  const double S200 = S * q296 / q200 * std::exp(-c2 * E / 200.0) / std::exp(-c2 * E / 296.0) *
                      (1.0 - std::exp(-c2 * nu / 200.0)) / (1.0 - std::exp(-c2 * nu / 296.0));
  const double K200 = K296 * 296.0 / 200.0;
  EXPECT_NEAR(cold.itn[r0 - Sim.FI_IDX_BEG[0]], K200 * S200, 1e-5 * K200 * S200);

  const Drawing hot = at("20000");
  EXPECT_EQ(hot.errors, 1u);
  EXPECT_NE(BoxTexts().back().find("]\n\nTIP FUNCTION INVALID | NOT FOUND"), std::string::npos);
  EXPECT_NEAR(hot.gau, doppler(20000.0), 1e-12);
  EXPECT_EQ(at("20000").errors, 2u);
  const Drawing warmAgain = at("296"), coldAgain = at("200");
  EXPECT_EQ(coldAgain.errors, 2u);
  EXPECT_EQ(warmAgain.run, warm.run);
  EXPECT_EQ(warmAgain.itn, warm.itn);
  EXPECT_EQ(warmAgain.gau, warm.gau);
  EXPECT_EQ(coldAgain.run, cold.run);
  EXPECT_EQ(coldAgain.itn, cold.itn);
  EXPECT_EQ(coldAgain.gau, cold.gau);
}

// The R(0) line of CO read through READ ASCII SIM, at 800 K and 0.3 atm, drawn with its
// own profile from its HITRAN parameters: by HT LN CALC (1516) of the VOIGT+ dialog,
// and by its LN CALC (1517) alone, the drawing is the one without them, each point the
// line's intensity times the Voigt profile (libcerf) of its Doppler and pressure widths.
TEST_F(SimHitranTest, LinesDrawnWithTheirOwnProfilesOfTheFitSwitches) {
  namespace drv = platform::driver;
  RegisterDialogResources();
  std::vector<std::string> records;
  for (const std::string& r : DataRecords("hapi_CO_M5_I1.par"))
    if (std::stod(r.substr(3, 12)) == 2150.856008) records.push_back(r);
  ASSERT_EQ(records.size(), 1u);
  ReadRecords(records);
  HWND gas = PaintWithTheHitranDialog(2150.76, 0.002);
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1005, "0.3"));
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1003, "800"));
  const std::vector<float> plain = painted;

  // The line's widths from its coefficients: Doppler of 12C16O at its shifted frequency,
  // self and air broadening scaled to 800 K.
  const double T = 800.0, p = 0.3, pSelf = Sim.HT_PPress[0];
  const double f = Sim.HT_Shift_Erg[0][0];
  EXPECT_NEAR(f, 2150.856008 + p * Sim.HT_Air_Delta[0][0], 1e-9);
  const double scale = std::pow(296.0 / T, Sim.HT_Temp_Gamma[0][0]);
  const double lor = (Sim.HT_Self_Gamma[0][0] * pSelf + (p - pSelf) * Sim.HT_Air_Gamma[0][0]) * scale;
  const double gau = 7.16234729e-07 * f * std::sqrt(T / SimRecord::HT_MassTable[5][0]);
  const double H = Sim.HT_Itn[0][0];
  auto expectVoigt = [&](const std::vector<float>& run) {
    ASSERT_GT(run.size(), 100u);
    size_t peak = 0;
    for (size_t i = 0; i < run.size(); ++i) {
      const double d = 2150.76 + 0.002 * static_cast<double>(i) - f;
      if (std::fabs(d) > 0.4) continue;  // beyond the reach of the drawn profile
      const double v = H * voigt(d, gau / (2.0 * std::sqrt(2.0 * std::log(2.0))), lor / 2.0);
      EXPECT_NEAR(run[i], v, 1e-5 * H / lor) << i;
      if (run[i] > run[peak]) peak = i;
    }
    EXPECT_EQ(peak, static_cast<size_t>(std::lround((f - 2150.76) / 0.002)));
    EXPECT_GT(run[peak], 0.0f);
  };
  expectVoigt(plain);

  ASSERT_EQ(LsfVoigt2DialogShow(0, 1, Win.hWnd_Main), 1u);
  HWND fit = Sim.Dlg_Hwnd[SIM_DLG_VOIGT2][0];
  ASSERT_TRUE(drv::Click(fit, fit_ids::kHtCalc));
  ASSERT_EQ(Sim.HT_LnCalc[0], 1u);
  painted.clear();
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1003, "800"));
  EXPECT_EQ(Sim.Dsp_Stat[0], 1u);
  expectVoigt(painted);
  EXPECT_NEAR(Sim.LS_GAU[0], gau, 1e-12);
  EXPECT_NEAR(Sim.LS_LOR[0], lor, 1e-9);

  ASSERT_TRUE(drv::Click(fit, fit_ids::kHtCalc));
  ASSERT_TRUE(drv::Click(fit, fit_ids::kLnCalc));
  ASSERT_EQ(Sim.HT_LnCalc[0], 0u);
  ASSERT_EQ(Lsf.Ln_Calc[0], 1u);
  painted.clear();
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1003, "800"));
  expectVoigt(painted);
  EXPECT_EQ(ErrorBoxes(), 0u);
  DestroyWindow(fit);
}

// SELFx, HI CUT with its switch and TRANSMISSION of the SIM HITRAN dialog show what the
// set holds and change the painted drawing as the set's settings say. Three lines of
// the CO list, the last one without a self-broadening coefficient, in a pure sample.
TEST_F(SimHitranTest, SelfFactorCutAndTransmissionBoxesChangeTheDrawing) {
  namespace drv = platform::driver;
  RegisterDialogResources();
  std::vector<std::string> records;
  for (const std::string& r : DataRecords("hapi_CO_M5_I1.par")) {
    const double nu = std::stod(r.substr(3, 12));
    if (nu == 2139.426073 || nu == 2147.081134 || nu == 2150.856008) records.push_back(r);
  }
  ASSERT_EQ(records.size(), 3u);
  records[2].replace(40, 5, "0.000");
  ReadRecords(records);
  HWND gas = PaintWithTheHitranDialog(2138.0, 0.02);
  EXPECT_EQ(drv::Text(gas, 1010), "1e+10");
  EXPECT_EQ(drv::Text(gas, 1011), "20");
  EXPECT_FALSE(drv::IsChecked(gas, 1012));
  EXPECT_FALSE(drv::IsChecked(gas, 1013));
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1004, "0.1"));
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1006, "0.001"));
  const double air = Sim.HT_Air_Gamma[0][2];
  auto point = [](double f) { return static_cast<size_t>(std::lround((f - 2138.0) / 0.02)); };
  const size_t last = point(2150.856008), middle = point(2147.081134);

  // SELFx: the last line's Lorentzian width is SELFx x its air width x the pressure;
  // the points its profile does not reach keep their values.
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1010, "1"));
  const std::vector<float> one = painted;
  EXPECT_NEAR(Sim.LS_LOR[0], air * 0.1, 1e-15);
  const size_t reach = static_cast<size_t>(Sim.LS_SearchPts[0][3]);  // points on each side of a line
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1010, "4"));
  const std::vector<float> four = painted;
  EXPECT_NEAR(Sim.LS_LOR[0], 4.0 * air * 0.1, 1e-15);
  ASSERT_GT(four.size(), last);
  for (size_t i = 0; i + reach < last; ++i) ASSERT_EQ(four[i], one[i]) << i;
  EXPECT_LT(four[last], 0.5f * one[last]);
  // Refused: a negative SELFx, a cut not above 0, no number; the values stay.
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1010, "-1"));
  EXPECT_NE(BoxTexts().back().find("SELFx=[-1] MUST NOT BE NEGATIVE\n\nVALUE NOT CHANGED"), std::string::npos);
  EXPECT_EQ(drv::Text(gas, 1010), "4");
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1011, "0"));
  EXPECT_NE(BoxTexts().back().find("HI CUT=[0] MUST BE ABOVE 0"), std::string::npos);
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1011, "x"));
  EXPECT_NE(BoxTexts().back().find("HI CUT=[x] IS NOT A NUMBER"), std::string::npos);
  EXPECT_EQ(drv::Text(gas, 1011), "20");
  EXPECT_EQ(Sim.HT_SelfFactor[0], 4.0);
  EXPECT_EQ(Sim.HT_FrqLim[0], 20.0);

  // HI CUT: lines above it are left out only while its box is ticked.
  ASSERT_TRUE(drv::TypeAndCommit(gas, 1011, "2149"));
  EXPECT_EQ(painted, four);
  ASSERT_TRUE(drv::Click(gas, 1012));
  EXPECT_EQ(Sim.HT_FrqLim_Stat[0], 1u);
  const std::vector<float> cut = painted;
  for (size_t i = 0; i + reach < last; ++i) ASSERT_EQ(cut[i], four[i]) << i;
  for (size_t i = middle + reach + 1; i < cut.size(); ++i) ASSERT_EQ(cut[i], 0.0f) << i;
  EXPECT_GT(four[last], 0.1f);
  ASSERT_TRUE(drv::Click(gas, 1012));
  EXPECT_EQ(painted, four);

  // TRANSMISSION: exp(-absorbance) at every point.
  ASSERT_TRUE(drv::Click(gas, 1013));
  EXPECT_EQ(Sim.HT_Trans_Stat[0], 1u);
  ASSERT_EQ(painted.size(), four.size());
  for (size_t i = 0; i < four.size(); ++i) ASSERT_NEAR(painted[i], std::exp(-four[i]), 1e-6) << i;
  EXPECT_LT(painted[last], 0.9f);
  ASSERT_TRUE(drv::Click(gas, 1013));
  EXPECT_EQ(painted, four);
  // Closed with its close box while TRANSMISSION is ticked, the dialog takes its
  // request back and the window is drawn again at once: absorbance, not the dips.
  ASSERT_TRUE(drv::Click(gas, 1013));
  SendMessage(gas, WM_CLOSE, 0, 0);
  EXPECT_EQ(Sim.HT_Ary_Stat[0], 0u);
  EXPECT_EQ(painted, four);
}

}  // namespace
}  // namespace qvtest
