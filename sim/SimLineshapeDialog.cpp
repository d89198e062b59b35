// SIM LINESHAPE (1300): the Gaussian and Lorentzian full widths of a set, or of its
// selected line when the set carries widths per line, on two trackbars; and SIM
// HITRAN (1000): the set's gas sample (temperature, partial and total pressure, path
// length), the factor of zero self widths (SELFx) and the upper line frequency (HI CUT,
// with its switch), each edit taken when it loses the focus after a change and followed
// by a new drawing, transmission or absorbance, and the pressure scan (P SCAN).
#include <cmath>
#include <limits>

#include "display/FileDialogs.h"
#include "core/FileIo.h"
#include "platform/kernel/Text.h"
#include "records/Win.h"
#include "sim/SimDialogs.h"
#include "sim/SimDialogsInternal.h"
#include "sim/SimHitran.h"

using namespace simdlg;

namespace {

constexpr int kNorm = 1311, kAreaPeak = 1312, kShown = 1313, kCenter = 1353;

struct Row {
  int value, high, low, half, x2, track;
};
constexpr Row kRows[2] = {{1301, 1304, 1303, 1307, 1308, 40}, {1302, 1306, 1305, 1309, 1310, 41}};

double* Range(int16_t s, int row) { return row == 0 ? Sim.LS_GauRange[s] : Sim.LS_LorRange[s]; }

// The selected line of the set's QN list, -1 when none: in edit status the list's
// first row is the slot of a line still to be added, and a selection left over from a
// longer line list counts as none.
int32_t SelectedLine(int16_t s) {
  const int32_t line = Sim.QN_Sel_Line[s];
  if (Sim.Edit_Stat[s] == 1 && Sim.FI_QN_List_Sel[s] == 0) return -1;
  if (line < 0 || static_cast<uint32_t>(line) >= Sim.FI_Lines[s]) return -1;
  return line;
}

bool Individual(int16_t s) {
  return Sim.IDVWIDTH_STAT[s] == 1 && Sim.FI_Gau_FWHM[s] != nullptr && Sim.FI_Lor_FWHM[s] != nullptr;
}

// The widths shown and whether they can be edited: with widths per line only those
// of a selected line.
bool Widths(int16_t s, double w[2]) {
  if (!Individual(s)) {
    w[0] = std::fabs(Sim.LS_GAU[s]);
    w[1] = std::fabs(Sim.LS_LOR[s]);
    return true;
  }
  const int32_t line = SelectedLine(s);
  if (line < 0) {
    w[0] = w[1] = 0.0;
    return false;
  }
  w[0] = std::fabs(static_cast<double>(Sim.FI_Gau_FWHM[s][line]));
  w[1] = std::fabs(static_cast<double>(Sim.FI_Lor_FWHM[s][line]));
  return true;
}

// Writes one width (row 0 Gaussian, 1 Lorentzian) where it came from: the set's, and
// with widths per line also the selected line's; the other width stays as it is.
// Nothing without a target, nor a width beyond the single precision of a line's.
void StoreWidth(int16_t s, int row, double w) {
  if (Individual(s)) {
    const int32_t line = SelectedLine(s);
    if (line < 0 || w > static_cast<double>(std::numeric_limits<float>::max())) return;
    (row == 0 ? Sim.FI_Gau_FWHM : Sim.FI_Lor_FWHM)[s][line] = static_cast<float>(w);
  }
  (row == 0 ? Sim.LS_GAU : Sim.LS_LOR)[s] = w;
}

const char* WidthFormat(double w) { return w >= 0.001 ? "%.6lf" : "%.2le"; }

void LineshapeRefresh(HWND d, int16_t s) {
  Check(d, kNorm, Sim.LN_STAT[s] == 1);
  Check(d, kAreaPeak, Sim.LS_AreaShown[s] == 1);
  double w[2];
  const bool editable = Widths(s, w);
  for (int row = 0; row < 2; ++row) {
    double* r = Range(s, row);
    if (Sim.LS_RangeValid[s] == 0 && w[row] != 0.0) {
      const double spread = std::pow(2.0, Sim.LS_RangeW[s][row]);
      r[0] = w[row] / spread;
      r[1] = w[row] * spread;
    }
    if (w[row] < r[0]) r[0] = w[row];
    if (w[row] > r[1]) r[1] = w[row];
    if (r[0] == r[1]) r[1] = r[0] + 1.0;
    const Row& c = kRows[row];
    SetText(d, c.low, StrPrintf(WidthFormat(w[row]), r[0]));
    SetText(d, c.high, StrPrintf(WidthFormat(w[row]), r[1]));
    SetText(d, c.value, editable ? StrPrintf(WidthFormat(w[row]), w[row]) : std::string());
    for (int id : {c.low, c.high, c.value}) ClearModified(d, id);
    SetTrackbar(d, c.track, w[row], r[0], r[1]);
  }
  Sim.LS_RangeValid[s] = 1;
  const int32_t line = SelectedLine(s);
  std::string shown;
  if (editable && line >= 0 && Sim.FI_AreaPeak_FAry[s])
    shown = StrPrintf("%.4e", static_cast<double>(Sim.FI_AreaPeak_FAry[s][Sim.LS_AreaShown[s] == 1 ? 0 : 1][line]));
  SetText(d, kShown, shown);
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
}

void LineshapeCommand(HWND d, int16_t s, int id, WORD code) {
  if (id == kNorm) {
    Sim.LN_STAT[s] = Checked(d, id) ? 1 : 0;
    if (Sim.HT_Global_Stat[s] == 1 && Sim.LN_STAT[s] == 0) {
      Sim.LN_STAT[s] = 1;
      Check(d, id, true);
      Box("HITRAN LINESHAPE ALWAYS NORMALIZED", "Warning", kWarningBox);
    }
    Refresh(d);
    Repaint("CB2_83P");
    return;
  }
  if (id == kAreaPeak) {
    Sim.LS_AreaShown[s] = Checked(d, id) ? 1 : 0;
    core_io::StatusText(2, Sim.LS_AreaShown[s] == 1 ? "INTEGRATED AREA DISPLAYED" : "PEAK HEIGHT DISPLAYED");
    Refresh(d);
    Repaint("CB2_83P");
    return;
  }
  if (id == kCenter) {
    Sim.LS_RangeValid[s] = 0;
    Refresh(d);
    return;
  }
  for (int row = 0; row < 2; ++row) {
    const Row& c = kRows[row];
    if (id == c.half || id == c.x2) {
      const double w = Sim.LS_RangeW[s][row] * (id == c.x2 ? 2.0 : 0.5);
      Sim.LS_RangeW[s][row] = static_cast<float>(w);
      Sim.LS_RangeValid[s] = 0;
      Refresh(d);
      return;
    }
    if (id != c.value && id != c.low && id != c.high) continue;
    if (code != EN_KILLFOCUS || !TakeModified(d, id)) return;
    double v = 0.0;
    if (id == c.value) {
      double w[2];
      if (!Widths(s, w) || !ReadDouble(d, id, &v)) return;
      StoreWidth(s, row, std::fabs(v));
      Repaint("CB2_83P");
      return;
    }
    if (id == c.low || id == c.high) {
      if (ReadDouble(d, id, &v)) Range(s, row)[id == c.low ? 0 : 1] = std::fabs(v);
      Refresh(d);
      return;
    }
  }
}

void LineshapeTrack(HWND d, int16_t s, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) > TB_THUMBTRACK) return;
  const HWND bar = reinterpret_cast<HWND>(lParam);
  const int id = GetDlgCtrlID(bar);
  for (int row = 0; row < 2; ++row) {
    if (kRows[row].track != id) continue;
    double w[2];
    if (!Widths(s, w)) return;
    const double* r = Range(s, row);
    const int32_t pos = static_cast<int32_t>(SendMessage(bar, TBM_GETPOS, 0, 0));
    w[row] = std::fabs(TrackbarValue(pos, r[0], r[1]));
    SetText(d, kRows[row].value, StrPrintf(WidthFormat(w[row]), w[row]));
    ClearModified(d, kRows[row].value);
    StoreWidth(s, row, w[row]);
    Repaint("CB2_84P");
  }
}

}  // namespace

INT_PTR SimLineshapeDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int16_t s = SimDlgSetOf(SIM_DLG_LINESHAPE, hwnd);
  if (s < 0) return 0;
  switch (msg) {
    case WM_INITDIALOG:
      LineshapeRefresh(hwnd, s);
      return 1;
    case WM_CTLCOLORSTATIC:
      return CaptionBrush(s, lParam, 60);
    case WM_VSCROLL:
      LineshapeTrack(hwnd, s, wParam, lParam);
      return 1;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL)
        CloseThroughCreator(SIM_DLG_LINESHAPE, s);
      else
        LineshapeCommand(hwnd, s, LOWORD(wParam), HIWORD(wParam));
      return 1;
    default:
      return 0;
  }
}

namespace {

constexpr int kHtPScan = 1002, kHtTemp = 1003, kHtPPress = 1004, kHtPress = 1005, kHtPath = 1006, kHtTorr = 1007;
constexpr int kHtSelf = 1010, kHtCut = 1011, kHtCutOn = 1012, kHtTrans = 1013;
constexpr double kTorrPerAtm = 760.0;

// One edit of the dialog: the stored value (pressures in atm), whether 0 may be
// stored, its name in a refusal and what it must be.
struct HtEdit {
  int id;
  double* (*field)(int16_t set);
  bool pressure;
  bool zero;
  const char* name;
  const char* rule;
};
const HtEdit kHtEdits[6] = {
    {kHtTemp, [](int16_t s) { return &Sim.HT_Temp[s]; }, false, false, "TEMPERATURE", "MUST BE ABOVE 0 K"},
    {kHtPPress, [](int16_t s) { return &Sim.HT_PPress[s]; }, true, true, "PARTIAL PRESSURE", "MUST NOT BE NEGATIVE"},
    {kHtPress, [](int16_t s) { return &Sim.HT_Press[s]; }, true, true, "TOTAL PRESSURE", "MUST NOT BE NEGATIVE"},
    {kHtPath, [](int16_t s) { return &Sim.HT_Path[s]; }, false, false, "PATH LENGTH", "MUST BE ABOVE 0 M"},
    {kHtSelf, [](int16_t s) { return &Sim.HT_SelfFactor[s]; }, false, true, "SELFx", "MUST NOT BE NEGATIVE"},
    {kHtCut, [](int16_t s) { return &Sim.HT_FrqLim[s]; }, false, false, "HI CUT", "MUST BE ABOVE 0"}};

// The check boxes that switch the drawing: the cut at HI CUT and transmission.
struct HtSwitch {
  int id;
  uint32_t* (*field)(int16_t set);
};
const HtSwitch kHtSwitches[2] = {{kHtCutOn, [](int16_t s) { return &Sim.HT_FrqLim_Stat[s]; }},
                                 {kHtTrans, [](int16_t s) { return &Sim.HT_Trans_Stat[s]; }}};

// Pressures are shown and typed in Torr while the set's TORR switch is on.
double PressureShownPerStored(int16_t s) { return Sim.HT_Torr_Stat[s] == 1 ? kTorrPerAtm : 1.0; }

void HitranRefresh(HWND d, int16_t s) {
  SetText(d, 1001, SetHead(s));
  const char* unit = Sim.HT_Torr_Stat[s] == 1 ? "(TORR)" : "(ATM)";
  SetText(d, 1008, unit);
  SetText(d, 1009, unit);
  Check(d, kHtTorr, Sim.HT_Torr_Stat[s] == 1);
  for (const HtSwitch& w : kHtSwitches) Check(d, w.id, *w.field(s) == 1);
  for (const HtEdit& e : kHtEdits) {
    // A value being typed stays until its edit loses the focus (paints refresh the dialog).
    if (SendDlgItemMessage(d, e.id, EM_GETMODIFY, 0, 0) != 0) continue;
    const double shown = *e.field(s) * (e.pressure ? PressureShownPerStored(s) : 1.0);
    SetText(d, e.id, StrPrintf("%.8g", shown));
  }
  InvalidateRect(GetDlgItem(d, 60), nullptr, TRUE);
}

// A changed edit that lost the focus: a temperature, path or cut above 0, or a
// pressure or SELFx not below 0 (a total pressure of 0 leaves the Doppler width alone),
// is stored and drawn; anything else is refused and the stored value shown again.
void HitranEditTaken(HWND d, int16_t s, const HtEdit& e) {
  const std::string text = GetText(d, e.id);
  double v = 0.0;
  const bool number = ReadDouble(d, e.id, &v);
  const bool valid = number && (e.zero ? v >= 0.0 : v > 0.0);
  if (!valid) {
    Box(SetHead(s) + "\n\n" + e.name + "=[" + text + "] " + (number ? e.rule : "IS NOT A NUMBER") +
            "\n\nVALUE NOT CHANGED",
        "Warning", kWarningBox);
    HitranRefresh(d, s);
    return;
  }
  *e.field(s) = e.pressure ? v / PressureShownPerStored(s) : v;
  HitranRefresh(d, s);
  Repaint("CB2_85P");
}

void HitranCommand(HWND d, int16_t s, int id, WORD code) {
  if (id == kHtPScan) {
    // The pressure scan over a chosen pressure file, then a fresh paint.
    char file[260] = "";
    if (PressureFileDialog(d, file, sizeof file) == 1 && SimHitranScanProc(s, file) == 1) Repaint("CB2_2P");
    return;
  }
  if (id == kHtTorr) {
    Sim.HT_Torr_Stat[s] = Checked(d, id) ? 1 : 0;
    HitranRefresh(d, s);
    return;
  }
  for (const HtSwitch& w : kHtSwitches) {
    if (w.id != id) continue;
    *w.field(s) = Checked(d, id) ? 1 : 0;
    Repaint("CB2_85P");
    return;
  }
  for (const HtEdit& e : kHtEdits)
    if (e.id == id && code == EN_KILLFOCUS && TakeModified(d, id)) HitranEditTaken(d, s, e);
}

}  // namespace

INT_PTR SimHitranDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int16_t s = SimDlgSetOf(SIM_DLG_HITRAN, hwnd);
  if (s < 0) return 0;
  switch (msg) {
    case WM_INITDIALOG:
      HitranRefresh(hwnd, s);
      return 1;
    case WM_CTLCOLORSTATIC:
      return CaptionBrush(s, lParam, 60);
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL)
        CloseThroughCreator(SIM_DLG_HITRAN, s);
      else
        HitranCommand(hwnd, s, LOWORD(wParam), HIWORD(wParam));
      return 1;
    default:
      return 0;
  }
}
