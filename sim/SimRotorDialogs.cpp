// The rotor trackbar dialogs of a set (rotational constants 203, Coriolis terms 204,
// cross terms 205, distortion constants 206, transition-dipole shares 207,
// temperatures 208) and the quadrupole trackbar dialog (8001). Every parameter has a
// range (low, high) kept per set, rebuilt around its value when the dialog's rebuild
// flag is set (a fresh simulation file sets it) or on CENTER, x2 and /2:
//   relative  value -+ 0.001 x 2^w x |value| (0.001 x 2^w when the value is 0),
//   additive  value -+ base x 2^w,
//   factor    value / 2^(w+1) to value x 2^(w+1) (0 to base x 2^w when the value is 0),
// then clipped to the parameter's limits and widened to include the value. Moving a
// rotor constant recomputes the line frequencies from the derivatives; every move
// repaints the main window.
#include <algorithm>
#include <cmath>

#include "platform/kernel/Text.h"
#include "records/Quad.h"
#include "resources/Dialogs.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimLines.h"

using namespace simdlg;

namespace {

enum class Spread { Relative, Additive, Factor };

struct RotorPrm {
  Spread spread;
  double base;  // additive spread, or the factor range's high end at value 0
  double min, max;
};

constexpr double kInf = 1e300;
constexpr RotorPrm kConst{Spread::Relative, 0.0, -kInf, kInf};
constexpr RotorPrm kShare{Spread::Additive, 10.0, -100.0, 100.0};
constexpr RotorPrm kTemp{Spread::Factor, 10.0, 0.0, kInf};
constexpr RotorPrm kWeight{Spread::Additive, 0.25, 0.0, 1.0};
constexpr RotorPrm kQuadPrm{Spread::Additive, 1.0, -kInf, kInf};

struct Layout {
  int first;  // row of the first parameter in Trk_Lo/Trk_Hi/Trk_W
  int count;
};

Layout LayoutOf(SimDlgKind kind) {
  switch (kind) {
    case SIM_DLG_ABC: return {0, 6};
    case SIM_DLG_CORIOLIS: return {6, 6};
    case SIM_DLG_CROSS: return {12, 6};
    case SIM_DLG_DDIST: return {18, 10};
    case SIM_DLG_TDM: return {28, 3};
    case SIM_DLG_TEMP: return {31, 3};
    default: return {34, 7};  // quadrupole
  }
}

// First rotor-constant slot of the rotor kinds and the number of slots per state.
bool RotorSlots(SimDlgKind kind, int* slot, int* perState) {
  switch (kind) {
    case SIM_DLG_ABC: *slot = 0; *perState = 3; return true;
    case SIM_DLG_CORIOLIS: *slot = 3; *perState = 3; return true;
    case SIM_DLG_CROSS: *slot = 6; *perState = 3; return true;
    case SIM_DLG_DDIST: *slot = 9; *perState = 5; return true;
    default: return false;
  }
}

double& Value(SimDlgKind kind, int16_t s, int i) {
  int slot = 0, per = 0;
  if (RotorSlots(kind, &slot, &per)) return Sim.RC_Prm[s][i / per][slot + i % per];
  if (kind == SIM_DLG_TDM) return Sim.TDM_Angle[s][i];
  if (kind == SIM_DLG_TEMP) return Sim.Rot_Temp[s][i];
  if (i < 6) return Quad.Prm[s][i / 3][i % 3];
  return Quad.Prm2[s];
}

const RotorPrm& PrmOf(SimDlgKind kind, int i) {
  int slot = 0, per = 0;
  if (RotorSlots(kind, &slot, &per)) return kConst;
  if (kind == SIM_DLG_TDM) return kShare;
  if (kind == SIM_DLG_TEMP) return i == 2 ? kWeight : kTemp;
  return kQuadPrm;
}

uint32_t& RebuildFlag(SimDlgKind kind, int16_t s) {
  return kind == SIM_DLG_QUADTB ? Quad.Trackbar_Stat[s] : Sim.Trackbar_Stat[kind][s];
}

double& Lo(SimDlgKind kind, int16_t s, int i) { return Sim.Trk_Lo[s][LayoutOf(kind).first + i]; }
double& Hi(SimDlgKind kind, int16_t s, int i) { return Sim.Trk_Hi[s][LayoutOf(kind).first + i]; }
double& W(SimDlgKind kind, int16_t s, int i) { return Sim.Trk_W[s][LayoutOf(kind).first + i]; }

void Rebuild(SimDlgKind kind, int16_t s, int i) {
  const RotorPrm& p = PrmOf(kind, i);
  const double v = Value(kind, s, i);
  const double scale = std::pow(2.0, W(kind, s, i));
  double lo, hi;
  switch (p.spread) {
    case Spread::Relative: {
      const double d = 0.001 * scale * (v != 0.0 ? std::fabs(v) : 1.0);
      lo = v - d;
      hi = v + d;
      break;
    }
    case Spread::Additive:
      lo = v - p.base * scale;
      hi = v + p.base * scale;
      break;
    default:
      if (v != 0.0) {
        lo = v / (2.0 * scale);
        hi = v * 2.0 * scale;
      } else {
        lo = 0.0;
        hi = p.base * scale;
      }
      break;
  }
  Lo(kind, s, i) = std::max(std::min(lo, hi), p.min);
  Hi(kind, s, i) = std::min(std::max(lo, hi), p.max);
}

void PrepareRanges(SimDlgKind kind, int16_t s) {
  const Layout l = LayoutOf(kind);
  uint32_t& rebuild = RebuildFlag(kind, s);
  for (int i = 0; i < l.count; ++i) {
    if (rebuild != 0) Rebuild(kind, s, i);
    const double v = Value(kind, s, i);
    if (v < Lo(kind, s, i)) Lo(kind, s, i) = v;
    if (v > Hi(kind, s, i)) Hi(kind, s, i) = v;
  }
  rebuild = 0;
}

const char* Format(double v) { return v == 0.0 || (std::fabs(v) > 0.01 && std::fabs(v) < 1e6) ? "%.6lf" : "%.6le"; }

void Show(HWND d, SimDlgKind kind, int16_t s, int i) {
  using namespace rotor_ids;
  const double v = Value(kind, s, i), lo = Lo(kind, s, i), hi = Hi(kind, s, i);
  SetText(d, kHigh + i, StrPrintf(Format(hi), hi));
  SetText(d, kLow + i, StrPrintf(Format(lo), lo));
  SetText(d, kValue + i, StrPrintf(Format(v), v));
  for (int id : {kHigh + i, kLow + i, kValue + i}) ClearModified(d, id);
  SetTrackbar(d, kTrack + i, v, lo, hi);
}

void RotorRefresh(HWND d, SimDlgKind kind, int16_t s) {
  PrepareRanges(kind, s);
  for (int i = 0; i < LayoutOf(kind).count; ++i) Show(d, kind, s, i);
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
}

// A changed value takes effect: rotor constants move the lines, the temperature
// ratio follows the temperatures; the main window repaints.
void Apply(SimDlgKind kind, int16_t s) {
  int slot = 0, per = 0;
  if (RotorSlots(kind, &slot, &per)) SimFIDerRun(s, &Sim);
  if (kind == SIM_DLG_TEMP) Sim.Rot_Temp[s][3] = Sim.Rot_Temp[s][0] > 0.0 ? Sim.Rot_Temp[s][1] / Sim.Rot_Temp[s][0] : 0.0;
  Repaint("CB2_79P");
}

void Track(HWND d, SimDlgKind kind, int16_t s, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) > TB_THUMBTRACK) return;
  const HWND bar = reinterpret_cast<HWND>(lParam);
  const int i = GetDlgCtrlID(bar) - rotor_ids::kTrack;
  if (i < 0 || i >= LayoutOf(kind).count) return;
  const int32_t pos = static_cast<int32_t>(SendMessage(bar, TBM_GETPOS, 0, 0));
  double& v = Value(kind, s, i);
  v = TrackbarValue(pos, Lo(kind, s, i), Hi(kind, s, i));
  SetText(d, rotor_ids::kValue + i, StrPrintf(Format(v), v));
  ClearModified(d, rotor_ids::kValue + i);
  Apply(kind, s);
}

void Command(HWND d, SimDlgKind kind, int16_t s, int id, WORD code) {
  using namespace rotor_ids;
  const int n = LayoutOf(kind).count;
  if (id == kCenter) {
    RebuildFlag(kind, s) = 1;
    Refresh(d);
    return;
  }
  const int base = id >= kHalf ? kHalf : id >= kX2 ? kX2 : id >= kValue ? kValue : id >= kLow ? kLow : kHigh;
  const int i = id - base;
  if (i < 0 || i >= n) return;
  if (base == kX2 || base == kHalf) {
    W(kind, s, i) += base == kX2 ? 1.0 : -1.0;
    RebuildFlag(kind, s) = 1;
    Refresh(d);
    return;
  }
  double v = 0.0;
  if (code != EN_KILLFOCUS || !TakeModified(d, id) || !ReadDouble(d, id, &v)) return;
  if (base == kValue) {
    const RotorPrm& p = PrmOf(kind, i);
    Value(kind, s, i) = std::clamp(v, p.min, p.max);
    RebuildFlag(kind, s) = 1;  // the ranges follow a typed value
    Apply(kind, s);
  } else {
    (base == kHigh ? Hi(kind, s, i) : Lo(kind, s, i)) = v;
    if (Hi(kind, s, i) < Lo(kind, s, i)) std::swap(Hi(kind, s, i), Lo(kind, s, i));
  }
  Refresh(d);
}

INT_PTR RotorProc(SimDlgKind kind, HWND d, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int16_t s = SimDlgSetOf(kind, d);
  if (s < 0) return 0;
  switch (msg) {
    case WM_INITDIALOG:
      RotorRefresh(d, kind, s);
      return 1;
    case WM_CTLCOLORSTATIC:
      return CaptionBrush(s, lParam, 60);
    case WM_VSCROLL:
      Track(d, kind, s, wParam, lParam);
      return 1;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL)
        CloseThroughCreator(kind, s);
      else
        Command(d, kind, s, LOWORD(wParam), HIWORD(wParam));
      return 1;
    default:
      return 0;
  }
}

}  // namespace

#define QV95_ROTOR_PROC(name, kind) \
  INT_PTR name(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return RotorProc(kind, hwnd, msg, wParam, lParam); }

QV95_ROTOR_PROC(OrvABCDervProc, SIM_DLG_ABC)
QV95_ROTOR_PROC(OrvCoriolisDervProc, SIM_DLG_CORIOLIS)
QV95_ROTOR_PROC(OrvCrossTermDervProc, SIM_DLG_CROSS)
QV95_ROTOR_PROC(OrvDDistortionDervProc, SIM_DLG_DDIST)
QV95_ROTOR_PROC(OrvTdmDervProc, SIM_DLG_TDM)
QV95_ROTOR_PROC(OrvTemperatureDervProc, SIM_DLG_TEMP)
QV95_ROTOR_PROC(QuadTrackbarDialogProc, SIM_DLG_QUADTB)

#undef QV95_ROTOR_PROC
