#include "sim/SimHitran.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Dsp.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimFile.h"
#include "sim/SimLines.h"
#include "sim/SimPlot.h"
#include "sim/SimSets.h"

using namespace simdlg;

namespace {

bool HasHitranArrays(int16_t s) {
  return Sim.HT_Global_Stat[s] == 1 && Sim.HT_Shift_Erg[s] && Sim.HT_Itn[s] && Sim.FI_Lines[s] > 0;
}

// Points of the set's channel (or the active one) at the raw level, at most one draw
// array; the page width when neither channel holds data.
int32_t IntervalPoints(int16_t s) {
  int16_t chn = Sim.Dsp_Cnl[s];
  if (chn < 0 || chn >= 9 || Dsp.FL_SZ[3][chn] == 0) chn = Win.Active_Chn;
  uint32_t points = chn >= 0 && chn < 9 ? Dsp.FL_SZ[3][chn] : 0;
  if (points == 0) points = static_cast<uint32_t>(std::max<int32_t>(Win.Page_Width, 1));
  return static_cast<int32_t>(std::min<uint32_t>(points, WIN_DRAW_PTS));
}

// Appends the rendered window of htSet to set dst of record sim. Nothing changes when
// it fails.
bool AppendRendered(int16_t htSet, SimRecord* sim, int16_t dst) {
  if (!HasHitranArrays(htSet)) return false;
  if (SimFIPlot(nullptr, 0, htSet, 3, 0, IntervalPoints(htSet), 0, 9, 9) != 1) return false;
  const int32_t beg = Sim.FI_IDX_BEG[htSet], end = Sim.FI_IDX_END[htSet];
  if (beg < 0 || beg > end || static_cast<uint32_t>(end) >= Sim.FI_Lines[htSet]) return false;
  const uint32_t old = sim->FI_Lines[dst];
  const char label = Sim.Set_Lbl[htSet][0];
  for (int32_t line = beg; line <= end; ++line) {
    if (SimFIAddDelLineQVS(1, 1, dst, sim, 0) != 1) {
      sim->FI_Lines[dst] = old;
      if (old == 0) SimFIFreeQVS(dst, sim, 0);
      else SimFIAddDelLineQVS(1, 0, dst, sim, 0);
      return false;
    }
    const uint32_t i = sim->FI_Lines[dst] - 1;
    sim->FI_Sim_Erg[dst][i] = Sim.HT_Shift_Erg[htSet][line];
    sim->FI_Sim_Itn[dst][i] = Sim.HT_Itn[htSet][line];
    sim->FI_BT_Lbl[dst][i] = label;
  }
  SimFISort(dst, sim);
  sim->Sim_Modified[dst] = 1;
  return true;
}

// Every way out of the scan: the running flag cleared and the pressure restored.
struct ScanGuard {
  int16_t set;
  double pressure;
  ~ScanGuard() {
    Sim.HtScanRunning[set] = 0;
    Sim.HT_Press[set] = pressure;
  }
};

bool WriteRows(const std::vector<std::pair<double, double>>& rows) {
  platform::TextFileWriter w;
  if (!w.Open("HITRAN_AvsP.txt")) return false;
  for (const auto& [p, a] : rows) w.Printf("%.10g %.10g\n", p, a);
  return w.Commit();
}

}  // namespace

int32_t SimHT2QVS(int16_t htSet, int16_t fitSet) {
  if (!IsSet(htSet) || !IsSet(fitSet) || htSet == fitSet || Sim.HT_Global_Stat[fitSet] == 1) return 0;
  return AppendRendered(htSet, &Sim, fitSet) ? 1 : 0;
}

int32_t SimHT2QVSSum(int16_t set) {
  if (!IsSet(set)) return 0;
  std::vector<int16_t> sources;
  for (int16_t s = 0; s < SIM_SETS; ++s)
    if (Sim.Sum_Stat[s] == 1 && HasHitranArrays(s)) sources.push_back(s);
  if (sources.empty()) {
    Box("SIM HITRAN SUM\n\nNO HITRAN SET WITH LINES IS MARKED [SUM]\n\nABORTING", "Warning", kWarningBox);
    return 0;
  }
  // The sum is built in a record of its own, so no set of the program changes; its
  // name is the one the question asks about.
  auto sum = std::make_unique<SimRecord>();
  if (!core_io::NameWithSuffix(sum->Sim_Flnm[0], Sim.Sim_Flnm[set], "_SUM")) return 0;
  const std::string name = sum->Sim_Flnm[0];
  if (platform::FileExists((name + ".QVS").c_str()) &&
      Box(StrPrintf("SIM HITRAN SUM\n\n[%s.QVS] EXISTS\n\nOVERWRITE [YES] | ABORT [NO]?", name.c_str()), "Question",
          kQuestionBox) != IDYES)
    return 0;
  StrCopy(sum->Sim_Type[0], "HITRAN SUM");
  bool ok = true;
  for (int16_t s : sources) ok = ok && AppendRendered(s, sum.get(), 0);
  ok = ok && SimFIWriteQVS(0, sum.get()) == 1;
  // Freeing a set keeps what outlives a reread (the sort index among them); the
  // record of the sum goes away, so everything it holds is released.
  SimFIFreeQVS(0, sum.get(), 0);
  LFree1Dim(&sum->FI_SortIdx[0]);
  LFree1Dim(&sum->FI_QN_List_Ary[0]);
  FFree1Dim(&sum->FI_Sim_ItnSave[0]);
  DFree1Dim(&sum->FI_CovMat[0]);
  if (!ok) {
    Box(StrPrintf("SIM HITRAN SUM\n\nFAILED TO CREATE [%s.QVS]", name.c_str()), "Warning", kWarningBox);
    return 0;
  }
  core_io::StatusText(2, StrPrintf("HITRAN SUM WRITTEN [%s.QVS]", name.c_str()));
  return 1;
}

int32_t SimHitranScanProc(int16_t set, const char* pressureFile) {
  if (!IsSet(set) || !HasHitranArrays(set) || !pressureFile) return 0;
  const std::string head = SetHead(set);
  std::vector<std::string> lines;
  if (!platform::ReadTextLines(pressureFile, &lines)) {
    Box(StrPrintf("%s\n\nFAILED TO OPEN PRESSURE FILE [%s]", head.c_str(), pressureFile), "Warning", kWarningBox);
    return 0;
  }
  std::vector<double> pressures;
  for (const std::string& line : lines) {
    const char* p = line.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0') continue;
    double value = 0.0;
    if (!core_io::ScanDouble(p, &value) || !std::isfinite(value) || value < 0.0) {
      Box(StrPrintf("%s\n\nPRESSURE FILE [%s]\n\nINVALID LINE [%s]\n\nABORTING", head.c_str(), pressureFile,
                    line.c_str()),
          "Warning", kWarningBox);
      return 0;
    }
    pressures.push_back(value);
  }
  if (pressures.empty()) {
    Box(StrPrintf("%s\n\nPRESSURE FILE [%s] HOLDS NO PRESSURE", head.c_str(), pressureFile), "Warning", kWarningBox);
    return 0;
  }

  ScanGuard guard{set, Sim.HT_Press[set]};
  Sim.HtScanRunning[set] = 1;
  const int32_t count = std::clamp<int32_t>(Win.Page_Width, 1, WIN_DRAW_PTS);
  std::vector<std::pair<double, double>> rows;
  for (double pressure : pressures) {
    Sim.HT_Press[set] = pressure;
    // The renderer writes the readout only when it can: a value left unset means the
    // step gave none.
    Sim.HtScanReadout = std::numeric_limits<double>::quiet_NaN();
    const bool rendered = Sim.Dsp_Scalar[set] != 0.0 &&
                          SimFIPlot(nullptr, 0, set, Win.View_Level, Win.Page_Start, count, 1, 9, 9) == 1;
    if (!rendered || !std::isfinite(Sim.HtScanReadout)) {
      Box(StrPrintf("%s\n\nHITRAN SCAN STOPPED AT PRESSURE [%g]\n\nNO READOUT - CHECK HITRAN ARRAY, CURSOR IN "
                    "VIEW AND SCALAR\n\n%zu ROWS KEPT",
                    head.c_str(), pressure, rows.size()),
          "Warning", kWarningBox);
      break;
    }
    rows.emplace_back(pressure, Sim.HtScanReadout);
  }
  if (!rows.empty() && !WriteRows(rows)) {
    Box(StrPrintf("%s\n\nFAILED TO WRITE [HITRAN_AvsP.txt]", head.c_str()), "Warning", kWarningBox);
    return 0;
  }
  if (rows.size() == pressures.size())
    core_io::StatusText(2, StrPrintf("HITRAN SCAN - %zu ROWS WRITTEN TO [HITRAN_AvsP.txt]", rows.size()));
  return rows.size() == pressures.size() ? 1 : 0;
}
