// The torsional-barrier dialog of a set ("V3 BARRIER", 4150) and its calculation's
// entry points. The dialog keeps per set the frame choice (1 = principal axes,
// 2 = rho axes; 0 passed to the calls means the kept choice) and the rotor constants
// the calculation started from: W36InitValue takes them from the set, RESET puts them
// back, and W36DevRun recomputes the set's lines from its derivatives.
#include "sim/SimBarrier.h"

#include "platform/kernel/Text.h"
#include "resources/Dialogs.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimLines.h"

using namespace simdlg;

namespace {

using namespace barrier_ids;

int32_t Frame(int16_t set, int32_t frame) {
  if (frame == 1 || frame == 2) return frame;
  return Sim.W36_Frame[set] == 2 ? 2 : 1;
}

void BarrierRefresh(HWND d, int16_t s) {
  Check(d, kPam, Frame(s, 0) == 1);
  Check(d, kRam, Frame(s, 0) == 2);
  SetText(d, kState, Sim.W36_InitSet[s] == 1 ? StrPrintf("START A=%.6lf B=%.6lf C=%.6lf", Sim.W36_Init[s][SIM_GND][0],
                                         Sim.W36_Init[s][SIM_GND][1], Sim.W36_Init[s][SIM_GND][2]) : "NO START VALUES");
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
}

}  // namespace

int32_t W36InitValue(int16_t set, int32_t frame, SimRecord* sim, int32_t /*mode*/) {
  if (!IsSet(set) || !sim) return 0;
  if (frame == 1 || frame == 2) sim->W36_Frame[set] = frame;
  for (int st = 0; st < SIM_STATES; ++st)
    for (int k = 0; k < SIM_RC_CONSTS; ++k) sim->W36_Init[set][st][k] = sim->RC_Prm[set][st][k];
  sim->W36_InitSet[set] = 1;
  return 1;
}

int32_t W36DevRun(int16_t set, int32_t frame, SimRecord* sim) {
  if (!IsSet(set) || !sim) return 0;
  if (frame == 1 || frame == 2) sim->W36_Frame[set] = frame;
  if (sim->DVS_STAT[set] != 1 || !sim->FI_Dev[set]) return 0;
  return SimFIDerRun(set, sim);
}

INT_PTR W36DialogProc(HWND d, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int16_t s = SimDlgSetOf(SIM_DLG_BARRIER, d);
  if (s < 0) return 0;
  switch (msg) {
    case WM_INITDIALOG:
      BarrierRefresh(d, s);
      return 1;
    case WM_CTLCOLORSTATIC:
      return CaptionBrush(s, lParam, 60);
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDCANCEL:
          CloseThroughCreator(SIM_DLG_BARRIER, s);
          break;
        case kPam:
        case kRam:
          Sim.W36_Frame[s] = LOWORD(wParam) == kPam ? 1 : 2;
          break;
        case kReset:
          if (Sim.W36_InitSet[s] != 1) break;
          for (int st = 0; st < SIM_STATES; ++st)
            for (int k = 0; k < SIM_RC_CONSTS; ++k) Sim.RC_Prm[s][st][k] = Sim.W36_Init[s][st][k];
          for (int t = 0; t < SIM_TRACKBARS; ++t) Sim.Trackbar_Stat[t][s] = 1;
          [[fallthrough]];
        case kRun:
          W36DevRun(s, 0, &Sim);
          Repaint("CB2_79P");
          break;
        default:
          break;
      }
      BarrierRefresh(d, s);
      return 1;
    default:
      return 0;
  }
}
