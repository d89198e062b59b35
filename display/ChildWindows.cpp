#include "display/ChildWindows.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <limits>

#include "core/Coords.h"
#include "core/DebugLog.h"
#include "core/Repaint.h"
#include "display/ChildInternal.h"
#include "display/ChildPaint.h"
#include "fileproc/xcorr/ArrayStats.h"
#include "fileproc/xcorr/Resample.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnl.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Ga.h"
#include "records/Lsf.h"
#include "records/Sim.h"
#include "records/Trans.h"
#include "records/Win.h"
#include "resources/Glyphs.h"

// ---- helpers shared with the painting ---------------------------------------------------

namespace child {

bool Valid(int16_t c, int16_t k) { return c >= 0 && c < WIN_CHN && k >= 0 && k < WIN_KINDS; }

void Status(int16_t c, int16_t k, int part, const char* text) {
  if (!Valid(c, k)) return;
  HWND bar = Win.hWnd_ChildStatus[c][k];
  if (bar && IsWindow(bar)) SendMessage(bar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

void StatusF(int16_t c, int16_t k, int part, const char* format, ...) {
  char text[600];
  va_list args;
  va_start(args, format);
  StrFormatV(text, sizeof text, format, args);
  va_end(args);
  Status(c, k, part, text);
}

HWND Window(int16_t c, int16_t k) {
  if (!Valid(c, k) || Win.Child_Created[c][k] == 0) return nullptr;
  HWND w = Win.hWnd_Child[c][k];
  return w && IsWindow(w) ? w : nullptr;
}

uint32_t ShownPoints(int16_t c, int16_t k) {
  if (Cnl.Asc_Stat[c][k] == 1) return Cnl.Asc_Mode[c][k] == 2 ? Cnl.MkDiag_Cnt : Cnl.Pt_Cnt[c][k];
  if (Cnl.Time_Stat[c][k] == 1) return Cnl.Pt_Cnt[c][k];
  return 0;
}

bool TransformMode(int16_t c) { return c >= 0 && c < TRANS_CHN && Trans.Trans_Fft_Flag[c] == 1; }

double Scale(double height, double lo, double hi, double factor) {
  if (hi == lo) return -1.0;
  return -height / (hi - lo) * factor;
}

bool CombinedPhase(int16_t c) {
  if (c < 0 || c >= TRANS_CHN || Trans.Trans_ReImPh_Flag[c] != 1) return false;
  // A fit made at another FFT size is not laid over this one until it is made again.
  return Trans.Trans_Res_Flag[c] == 1 && Trans.Trans_FitLines[c] != 0 &&
         Trans.Trans_FitSz[c] == Trans.Trans_FreqSz[c] && Trans.Trans_Freq_FAry[c][4] && Trans.Trans_Freq_FAry[c][5] &&
         Trans.Trans_Freq_FAry[c][6];
}

const double* ModelPhase(int16_t c) {
  if (c < 0 || c >= TRANS_CHN || Trans.Trans_PhaseSz[c] != Trans.Trans_FreqSz[c]) return nullptr;
  return Trans.Trans_Phase_DAry[c];
}

bool TransformScale(int16_t c, int16_t k, int sub, double height, double* s, double* o) {
  const double f = Cnl.Y_Factor[c][k];
  bool ranged = true;
  if (k == 2 && sub == 0 && CombinedPhase(c)) {
    const double q = Trans.Trans_Cycs[c];
    ranged = q != 0.0;
    *s = ranged ? -height / (720.0 * q) * f : -1.0;
  } else {
    ranged = Cnl.Y_Max[c][k][sub] != Cnl.Y_Min[c][k][sub];
    *s = Scale(height, Cnl.Y_Min[c][k][sub], Cnl.Y_Max[c][k][sub], f);
  }
  *o = Cnl.Fix_Ofs[c][k][sub];
  return ranged;
}

namespace {
HPEN OrBlack(HPEN pen) { return pen ? pen : static_cast<HPEN>(GetStockObject(BLACK_PEN)); }
int Row(int row, int rows) { return row >= 0 && row < rows ? row : 0; }
}  // namespace

HPEN RowPen(int row) { return OrBlack(Dsp.Pen[Row(row, DSP_COLORS)]); }
HPEN ChannelPen(int16_t c) { return RowPen(c >= 0 && c < DSP_CHN ? Dsp.Chn_ColorNo[c] : 0); }
HPEN SetRowPen(int row) { return OrBlack(Sim.Pen[Row(row, SIM_COLORS)]); }
HPEN SetPen(int16_t set) { return SetRowPen(set >= 0 && set < SIM_SETS ? Sim.COLOR_NO[set] : 0); }

void Refresh(HWND dialog) {
  if (dialog && IsWindow(dialog)) SendMessage(dialog, WM_INITDIALOG, 0, 0);
}

}  // namespace child

namespace {

using child::Status;
using child::StatusF;

constexpr UINT kErrorBox = MB_SYSTEMMODAL | MB_ICONERROR;
constexpr UINT kWarningBox = MB_SYSTEMMODAL | MB_ICONWARNING;
constexpr WNDPROC kProcedures[3] = {TimeWndProc, FreqWndProc, DataWndProc};
constexpr const char* kInvalid[3] = {"INVALID X | Y TIME", "INVALID X | Y FREQ", "INVALID X | Y DATA"};

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int32_t StatusHeight(int16_t c, int16_t k) {
  RECT r{};
  HWND bar = Win.hWnd_ChildStatus[c][k];
  if (!bar || !GetWindowRect(bar, &r)) return 0;
  return r.bottom - r.top;
}

// The status bar keeps its height along the bottom edge; the toolbar fits the width.
void LayoutBars(HWND window, int16_t c, int16_t k) {
  RECT client{};
  GetClientRect(window, &client);
  HWND bar = Win.hWnd_ChildStatus[c][k];
  if (bar && IsWindow(bar)) {
    const int32_t h = StatusHeight(c, k);
    MoveWindow(bar, 0, client.bottom - h, client.right, h, TRUE);
  }
  HWND tools = Win.hWnd_ChildToolBar[c][k];
  if (tools && IsWindow(tools)) SendMessage(tools, TB_AUTOSIZE, 0, 0);
}

// The raw point under column x of the child's page.
int32_t PointAt(int16_t c, int16_t k, int32_t x) {
  return Clamp32(static_cast<int64_t>(x) * Win.Child_PtsPerPxl[c][k] + Win.Child_PageStart[c][k]);
}

bool FreqWindowExists(int16_t c) { return child::Window(c, 1) != nullptr; }

void RepaintChild(const char* tag, int16_t c, int16_t k) {
  if (HWND w = child::Window(c, k)) RepaintWindow(tag, w, FALSE);
}

// A mark of the time window or a cursor of the other windows: equal marks clear
// both. In the time window a set window flag of the transform makes the data pending.
void SetCursor(int16_t c, int16_t k, bool low, int32_t point) {
  int32_t& mine = low ? Win.Child_CursorLo[c][k] : Win.Child_CursorHi[c][k];
  int32_t& other = low ? Win.Child_CursorHi[c][k] : Win.Child_CursorLo[c][k];
  mine = point;
  if (mine == other) mine = other = 0;
  if (k == 0 && c < TRANS_CHN && Trans.Trans_Tukey_Flag[c] == 1) Cnl.Data_Pend[c][k] = 1;
}

// Lower (low) or upper FFT limit of the channel.
void SetFftLimit(int16_t c, bool low, int32_t point) {
  int32_t& lo = Win.Fft_LimLo[c];
  int32_t& hi = Win.Fft_LimHi[c];
  (low ? lo : hi) = point;
  if (lo == hi) {
    lo = hi = 0;
  } else {
    if (low && hi == 0) hi = lo + 10;
    if (lo != 0 && hi != 0 && lo > hi) std::swap(lo, hi);
  }
}

// ---- commands ------------------------------------------------------------------------------

void InfoCommand(int16_t c, int16_t k) {
  const int16_t sub = Win.Sub_Chn[k];
  if (k == 0) {
    StatusF(c, k, 0, "CHN=[%d] TIME ALL", sub);
    return;
  }
  Win.Sub_Chn[k] = 0;
  if (k == 1) {
    if (Lsf.Seq_Voigt == 1 && Cnl.Time_Stat[c][k] == 1)
      Status(c, k, 0, "CHN=[0] FREQ VOIGT");
    else if (child::TransformMode(c))
      Status(c, k, 0, "CHN=[0] FREQ TRSFRQ");
    else
      Status(c, k, 0, "CHN=[0] FREQ FFT & ELSE");
    return;
  }
  if (child::TransformMode(c) && Trans.Trans_ReImPh_Flag[c] == 1)
    Status(c, k, 0, "CHN=[0] DATA TRANS");
  else
    Status(c, k, 0, "CHN=[0] DATA ELSE");
}

void ScaleCommand(int16_t c, int16_t k, double factor, const char* tag) {
  const int16_t mode = Cnl.Asc_Mode[c][k];
  const bool ascii = Cnl.Asc_Stat[c][k] == 1 && (mode == 0 || mode == 1 || mode == 2);
  double* target = nullptr;
  bool ga = false;
  if (Cnl.Asc_Stat[c][k] == 1 && (mode == 0 || mode == 1)) {
    target = &Cnl.Y_Factor[c][k];
  } else if (Cnl.Asc_Stat[c][k] == 1 && mode == 2) {
    target = &Cnl.Asc_Scalar;
  } else if (Cnl.Time_Stat[c][k] == 1 || (k != 0 && child::TransformMode(c))) {
    target = &Cnl.Y_Factor[c][k];
  } else if (k == 0 && (Ga.PopPlot_Stat[0] == 1 || Ga.ScorePlot_Stat[0] == 1)) {
    target = &Ga.Plot_Fac[0];
    ga = true;
  }
  if (!target) {
    Status(c, k, 0, "VERTICAL TOOL DISABLED");
  } else {
    *target *= factor;
    if (k == 1)
      StatusF(c, k, 0, "CHN=[%d] SCALAR=[%.3lf]", Win.Sub_Chn[k], *target);
    else if (k == 2)
      StatusF(c, k, 0, "SCALAR=[%.3lf]", *target);
    else if (ga)
      StatusF(c, k, 0, "GA: SCALAR=[%.3lf]", *target);
    else if (ascii)
      StatusF(c, k, 0, "ASC: SCALAR=[%.3lf]", *target);
    else
      StatusF(c, k, 0, "BIN: SCALAR=[%.3lf]", *target);
  }
  RepaintChild(tag, c, k);
}

// The end limit: a page running past the data moves back to the last full page.
void EndLimit(int16_t c, int16_t k) {
  const int64_t n = child::ShownPoints(c, k);
  const int64_t span = static_cast<int64_t>(Win.Child_PlotW[c][k]) * Win.Child_PtsPerPxl[c][k];
  if (n <= span + Win.Child_PageStart[c][k]) Win.Child_PageStart[c][k] = span <= n ? Clamp32(n - span) : 0;
}

void ViewCommand(int16_t c, int16_t k, int id) {
  int32_t& p = Win.Child_PtsPerPxl[c][k];
  int32_t& s0 = Win.Child_PageStart[c][k];
  if (p < 1) p = 1;
  const int32_t x = Win.Child_CursorX[c][k];
  const int64_t width = std::max<int32_t>(Win.Child_PlotW[c][k], 1);
  switch (id) {
    case IDC_CHILD_EXPAND:
      if (p != 1) {
        p /= 2;
        s0 = Clamp32(s0 + static_cast<int64_t>(x) * p);
      }
      EndLimit(c, k);
      StatusF(c, k, 0, "AVERAGE PTS/PXL=[%d] INIT=[%d] CUR=[%d]", p, s0, x);
      RepaintChild("WIN_35C", c, k);
      return;
    case IDC_CHILD_CONTRACT:
      // Doubling stops where a page of the plot width would leave 32 bits.
      if (2 * static_cast<int64_t>(p) * width <= std::numeric_limits<int32_t>::max()) p *= 2;
      s0 = Clamp32(s0 - static_cast<int64_t>(x) * p / 2);
      StatusF(c, k, 0, "AVERAGE PTS/PXL=[%d]", p);
      RepaintChild("WIN_34C", c, k);
      return;
    case IDC_CHILD_FORWARD:
    case IDC_CHILD_BACK: {
      const int64_t step = Win.Cursor_Step == 100.0 ? static_cast<int64_t>(Win.Child_PlotW[c][k] / 2) * p
                                                    : static_cast<int64_t>(std::trunc(Win.Cursor_Step));
      s0 = Clamp32(id == IDC_CHILD_FORWARD ? s0 + step : s0 - step);
      if (id == IDC_CHILD_FORWARD) EndLimit(c, k);
      if (s0 < 0) s0 = 0;
      RepaintChild(id == IDC_CHILD_FORWARD ? "WIN_33C" : "WIN_32C", c, k);
      return;
    }
    default:
      return;
  }
}

void MarkCommand(int16_t c, int16_t k, bool low) {
  const int32_t point = PointAt(c, k, Win.Child_CursorX[c][k]);
  if (k == 0) {
    if (FreqWindowExists(c)) {
      SetFftLimit(c, low, point);
      StatusF(c, k, 0, "FFT LIMITS SET=[%d] [%d]", Win.Fft_LimLo[c], Win.Fft_LimHi[c]);
    } else {
      SetCursor(c, k, low, point);
    }
    if (c < TRANS_CHN && (Trans.Trans_Stat[c] == 1 || Trans.Trans_Fft_Flag[c] == 1)) Cnl.Data_Pend[c][k] = 1;
    StatusF(c, k, 3, "Y MIN=[%.1le] MAX=[%.1le]", Cnl.Y_Min[c][k][0], Cnl.Y_Max[c][k][0]);
    RepaintChild("WIN_30C", c, k);
    RepaintChild("WIN_2C", c, 1);
    RepaintChild("WIN_2C", c, 2);
    return;
  }
  int32_t& mine = low ? Win.Child_CursorLo[c][k] : Win.Child_CursorHi[c][k];
  int32_t& other = low ? Win.Child_CursorHi[c][k] : Win.Child_CursorLo[c][k];
  mine = point;
  if (mine == other) mine = other = 0;
  StatusF(c, k, 3, "Y MIN=[%.1le] MAX=[%.1le]", Cnl.Y_Min[c][k][0], Cnl.Y_Max[c][k][0]);
  RepaintChild("WIN_30C", c, k);
}

void SubArrayTexts(int16_t c, int16_t k) {
  const int16_t sub = Win.Sub_Chn[k];
  StatusF(c, k, 0, "CHN=[%d]", sub);
  StatusF(c, k, 3, "CHN=[%d] MIN=[%.1le] MAX=[%.1le] AVE=[%.1le] FIX OFS=[%.1le]", sub, Cnl.Y_Min[c][k][sub],
          Cnl.Y_Max[c][k][sub], Cnl.Y_Ave[c][k][sub], Cnl.Fix_Ofs[c][k][sub]);
}

void SubChannelCommand(int16_t c, int16_t k) {
  int16_t& sub = Win.Sub_Chn[k];
  const bool transform = child::TransformMode(c);
  const bool all = c < TRANS_CHN && Trans.Trans_ReImPh_Flag[c] == 1;
  if (k == 0) {
    sub = 0;
    SubArrayTexts(c, k);
  } else if (k == 1) {
    sub = static_cast<int16_t>(transform && all ? (sub + 1) % 3 : 0);
    SubArrayTexts(c, k);
  } else {
    if (!transform) {
      sub = 0;
    } else if (sub == 0 && all) {
      sub = 3;
    } else if (sub == 3 && (child::CombinedPhase(c) || child::ModelPhase(c))) {
      sub = 0;
    }
    StatusF(c, k, 1, "ACT CHN=[%d]", sub);
  }
}

// Statistics of one array into sub-array `sub` of the child; false when there were
// none (no array or no values).
bool TakeStatistics(int16_t c, int16_t k, int16_t sub, const float* f, const double* d, uint32_t n) {
  if ((!f && !d) || n == 0) return false;
  double lo = 0.0, hi = 0.0, ave = 0.0;
  if (ManFindMinMaxDiffAveRMS1DAry(nullptr, f, d, n, 0, 0, &lo, &hi, &ave, nullptr) != 1) return false;
  Cnl.Y_Min[c][k][sub] = lo;
  Cnl.Y_Max[c][k][sub] = hi;
  Cnl.Y_Ave[c][k][sub] = ave;
  return true;
}

// The fixed offset that puts the average of sub-array `sub` at the cursor row; an
// empty range has no scale, and the offset is kept.
void FixOffset(int16_t c, int16_t k, int16_t sub) {
  const double lo = Cnl.Y_Min[c][k][sub], hi = Cnl.Y_Max[c][k][sub];
  if (hi == lo) return;
  const double s = child::Scale(Win.Child_PlotH[c][k], lo, hi, Cnl.Y_Factor[c][k]);
  Cnl.Fix_Ofs[c][k][sub] = Win.Child_CursorY[c][k] - s * Cnl.Y_Ave[c][k][sub];
}

void FixOffsetCommand(int16_t c, int16_t k) {
  int16_t& sub = Win.Sub_Chn[k];
  auto report = [&](const char* tail) {
    StatusF(c, k, 3, "CHN=[%d] MIN=[%.1le] MAX=[%.1le] AVE=[%.1le] FIX OFS=[%.1le] %s", sub, Cnl.Y_Min[c][k][sub],
            Cnl.Y_Max[c][k][sub], Cnl.Y_Ave[c][k][sub], Cnl.Fix_Ofs[c][k][sub], tail);
  };
  const bool transform = child::TransformMode(c);
  const bool all = c < TRANS_CHN && Trans.Trans_ReImPh_Flag[c] == 1;
  const uint32_t fftSize =
      c < TRANS_CHN && Trans.Trans_FreqSz[c] > 0 ? static_cast<uint32_t>(Trans.Trans_FreqSz[c]) : 0;
  if (k == 0) {
    sub = 0;
    if (Lsf.Seq_Rdf == 1 && Cnl.Time_Stat[c][k] == 1) {
      TakeStatistics(c, k, 0, nullptr, Cnl.Y_Draw_DAry4[c][k], Cnl.Pt_Cnt[c][k]);
      FixOffset(c, k, 0);
      report("TIME LSFALL");
      StatusF(c, k, 0, "CHN=[%d] LSF FIT", sub);
    } else {
      if (TakeStatistics(c, k, 0, nullptr, Cnl.Y_Draw_DAry1[c][k], Cnl.Pt_Cnt[c][k]) && Cnl.LogLog_Stat == 1)
        Cnl.Y_Min[c][k][0] = Cnl.Y_Max[c][k][0] - 0.5 * std::log(static_cast<double>(Cnl.Pt_Cnt[c][k]));
      FixOffset(c, k, 0);
      report("TIME TRANS");
      StatusF(c, k, 0, "CHN=[%d] TIME TRANS", sub);
    }
  } else if (k == 1) {
    if (Lsf.Seq_Voigt == 1 && Cnl.Time_Stat[c][k] == 1) {
      sub = 0;
      TakeStatistics(c, k, 0, nullptr, Cnl.Y_Draw_DAry4[c][k], Cnl.Pt_Cnt[c][k]);
      FixOffset(c, k, 0);
      report("FREQ LSFALL");
    } else if (transform) {
      if (!all) sub = 0;
      if (sub < 0 || sub > 2) sub = 0;
      TakeStatistics(c, k, sub, Trans.Trans_Freq_FAry[c][sub], nullptr, fftSize);
      FixOffset(c, k, sub);
      report("FREQ TRANS");
    } else {
      sub = 0;
      FixOffset(c, k, 0);
      report("FREQ ELSE");
    }
  } else {
    if (transform && all) {
      if (sub == 3) {
        TakeStatistics(c, k, 3, Trans.Trans_Freq_FAry[c][3], nullptr, fftSize);
      } else {
        sub = 0;
        if (child::CombinedPhase(c)) {
          if (TakeStatistics(c, k, 0, Trans.Trans_Freq_FAry[c][6], nullptr, fftSize)) {
            Cnl.Y_Min[c][k][0] = -360.0 * Trans.Trans_Cycs[c];
            Cnl.Y_Max[c][k][0] = 360.0 * Trans.Trans_Cycs[c];
          }
        } else {
          TakeStatistics(c, k, 0, nullptr, child::ModelPhase(c), fftSize);
        }
      }
      FixOffset(c, k, sub);
      StatusF(c, k, 2, "CHN=[%d] FIX OFS=[%.1le] DATA TRANS", sub, Cnl.Fix_Ofs[c][k][sub]);
      StatusF(c, k, 0, "CHN=[%d] DATA TRANS", sub);
    } else {
      FixOffset(c, k, 0);
      StatusF(c, k, 2, "CHN=[%d] FIX OFS=[%.1le] DATA ELSE", sub, Cnl.Fix_Ofs[c][k][0]);
      StatusF(c, k, 0, "CHN=[%d] DATA ELSE", sub);
    }
  }
  RepaintChild("WIN_30C", c, k);
}

void Command(int16_t c, int16_t k, int id) {
  switch (id) {
    case IDC_CHILD_INFO:
      InfoCommand(c, k);
      return;
    case IDC_CHILD_SCALE_UP:
      ScaleCommand(c, k, 2.0, "WIN_30C");
      return;
    case IDC_CHILD_SCALE_DOWN:
      ScaleCommand(c, k, 0.5, "WIN_31C");
      return;
    case IDC_CHILD_EXPAND:
    case IDC_CHILD_CONTRACT:
    case IDC_CHILD_FORWARD:
    case IDC_CHILD_BACK:
      ViewCommand(c, k, id);
      return;
    case IDC_CHILD_MARK_LOW:
    case IDC_CHILD_MARK_HIGH:
      MarkCommand(c, k, id == IDC_CHILD_MARK_LOW);
      return;
    case IDC_CHILD_SUBCHN:
      SubChannelCommand(c, k);
      return;
    case IDC_CHILD_FIX_OFS:
      FixOffsetCommand(c, k);
      return;
    default:
      return;
  }
}

// ---- mouse ---------------------------------------------------------------------------------

void DoubleClick(HWND window, int16_t c, int16_t k, bool left, int32_t x, int32_t y) {
  Win.Child_CursorX[c][k] = x;
  Win.Child_CursorY[c][k] = y - Win.Child_PlotTop[c][k];
  if (k != 0) {
    RepaintWindow(left ? "WIN_36C" : "WIN_37C", window, FALSE);
    return;
  }
  const int32_t point = PointAt(c, k, x);
  if (Cnl.Time_Stat[c][k] == 1) SetCursor(c, k, left, point);
  if (left && Cnl.Time_Stat[c][k] == 1 && Cnl.Asc_Mode[c][k] == 3) {
    const double lo = Cnl.Y_Min[c][k][0], hi = Cnl.Y_Max[c][k][0], f = Cnl.Y_Factor[c][k];
    const double h = Win.Child_PlotH[c][k];
    if (hi == lo) {
      Lsf.Rdf_MinCut = 0.0;
    } else {
      const double s = child::Scale(h, lo, hi, f);
      const double o = h - lo * s * f;
      Lsf.Rdf_MinCut = (Win.Child_CursorY[c][k] - o) / s;
    }
    StatusF(c, k, 2, "MIN CUT=%le ", Lsf.Rdf_MinCut);
    RepaintWindow("WIN_37C", window, FALSE);
    RepaintChild("ACQ_2C", c, 1);
  }
  if (left) {
    RepaintWindow("WIN_36C", window, FALSE);
    StatusF(c, k, 1, "LOWER MARK=[%d]", Win.Child_CursorLo[c][k]);
  } else {
    RepaintWindow("WIN_37C", window, FALSE);
    RepaintChild("ACQ_2C", c, 1);
    StatusF(c, k, 1, "UPPER MARK=[%d]", Win.Child_CursorHi[c][k]);
  }
}

void AppendY(char* text, size_t size, double value) {
  const double magnitude = std::fabs(value);
  if (magnitude >= 1.0 && magnitude <= 1.0e6)
    StrAppendFormat(text, size, " Y %-10.6lf", value);
  else
    StrAppendFormat(text, size, " Y %-10.6lg", value);
}

// ---- destruction ---------------------------------------------------------------------------

// Section-mark pair 0 is kept aside and takes the window's marks.
void MarksToSectionPair(int16_t c, int16_t k) {
  Win.Pt_Lim0_Save[0] = Win.Pt_Lim[0][0];
  Win.Pt_Lim0_Save[1] = Win.Pt_Lim[0][1];
  Win.Pt_Lim[0][0] = Win.Child_CursorLo[c][k];
  Win.Pt_Lim[0][1] = Win.Child_CursorHi[c][k];
}

void Destroyed(int16_t c, int16_t k) {
  const int16_t set = Lsf.Cur_Set >= 0 && Lsf.Cur_Set < LSF_SETS ? Lsf.Cur_Set : 0;
  if (k == 0) {
    if (Cnl.Asc_Stat[c][k] == 1) {
      Cnl.Asc_Stat[c][k] = 0;
      child::Refresh(Cnl.ChnData_Hwnd);
    } else if (Cnl.Time_Stat[c][k] == 1) {
      Cnl.Time_Stat[c][k] = 0;
      child::Refresh(Cnl.ChnData_Hwnd);
      HWND rdf = Lsf.Rdf_Hwnd[set];
      if (rdf && IsWindow(rdf)) {
        Lsf.Seq_Rdf = 0;
        MarksToSectionPair(c, k);
        child::Refresh(rdf);
      }
    } else if (Ga.PopPlot_Stat[0] == 1 || Ga.ScorePlot_Stat[0] == 1) {
      Ga.PopPlot_Stat[0] = 0;
      Ga.ScorePlot_Stat[0] = 0;
      child::Refresh(Ga.Dlg_Hwnd[0]);
    }
  } else if (k == 1 && Cnl.Time_Stat[c][k] == 1) {
    HWND voigt = Lsf.Voigt_Hwnd[set];
    if (voigt && IsWindow(voigt)) {
      Cnl.Time_Stat[c][k] = 0;
      Lsf.Seq_Voigt = 0;
      MarksToSectionPair(c, k);
      child::Refresh(voigt);
    }
  }
  Win.Child_Created[c][k] = 0;
  Win.hWnd_Child[c][k] = nullptr;
  Win.hWnd_ChildToolBar[c][k] = nullptr;
  Win.hWnd_ChildStatus[c][k] = nullptr;
  if (Win.hBmp_ChildToolBar[c][k]) DeleteObject(Win.hBmp_ChildToolBar[c][k]);
  Win.hBmp_ChildToolBar[c][k] = nullptr;
}

// ---- the window procedure of the family ---------------------------------------------------

int16_t ChannelOf(HWND window, int16_t k) {
  for (int16_t c = 0; c < WIN_CHN; ++c)
    if (Win.hWnd_Child[c][k] == window) return c;
  return -1;
}

LRESULT ChildProc(int16_t k, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE && Win.Child_Creating < WIN_CHN) Win.hWnd_Child[Win.Child_Creating][k] = window;
  const int16_t c = ChannelOf(window, k);
  if (c < 0) return DefWindowProc(window, message, wParam, lParam);
  const int32_t x = GET_X_LPARAM(lParam);
  const int32_t y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_CREATE: {
      HWND tools = CreateChildToolBarStatusBar(window, c, k);
      Win.hWnd_ChildToolBar[c][k] = tools;
      if (!tools)
        MessageBox(window, "CreateChildToolBarStatusBar()\n\nCreateChildToolBarStatusBar() RETURNED NULL\n\nABORTING",
                   "Error", kErrorBox);
      return 0;
    }
    case WM_DESTROY:
      Destroyed(c, k);
      return 0;
    case WM_MOVE:
      Win.Child_X[c][k] = x - 4;
      Win.Child_Y[c][k] = y - StatusHeight(c, k) - 10;
      LayoutBars(window, c, k);
      return 0;
    case WM_SIZE:
      Win.Child_W[c][k] = static_cast<int32_t>(LOWORD(static_cast<uintptr_t>(lParam))) + 8;
      Win.Child_H[c][k] = static_cast<int32_t>(HIWORD(static_cast<uintptr_t>(lParam))) + StatusHeight(c, k) + 14;
      LayoutBars(window, c, k);
      return 0;
    case WM_PAINT:
      if (Win.Child_PaintBusy[k] == 1) {
        if (Debug.DebugTraceFlag == 1) DebugLogWrite("PaintChildWindow() BUSY");
        ValidateRect(window, nullptr);
        return 0;
      }
      Win.Child_PaintBusy[k] = 1;
      PaintChildWindow(window, Win.hWnd_ChildToolBar[c][k], c, k);
      Win.Child_PaintBusy[k] = 0;
      if (Win.Child_Painted[k] == 0) {
        Win.Child_Painted[k] = 1;
        Win.Child_CursorX[c][k] = Win.Child_PlotW[c][k] / 2;
        Win.Child_CursorY[c][k] = Win.Child_PlotH[c][k] / 2 - Win.Child_PlotTop[c][k];
      }
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_QUIT:
      Win.Child_Created[c][k] = 0;
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      Win.Child_CursorX[c][k] = x;
      Win.Child_CursorY[c][k] = y - Win.Child_PlotTop[c][k];
      RepaintWindow("WIN_31C", window, FALSE);
      return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      DoubleClick(window, c, k, message == WM_LBUTTONDBLCLK, x, y);
      return 0;
    case WM_CHAR:
      if (wParam == 's') {
        if (static_cast<int32_t>(10.01 * Win.Cursor_Step) == 1) Win.Cursor_Step = 1000.0;
        Win.Cursor_Step *= 0.1;
      } else if (wParam == 'X') {
        SendMessage(window, WM_COMMAND, IDC_CHILD_CONTRACT, 0);
      } else if (wParam == 'x') {
        SendMessage(window, WM_COMMAND, IDC_CHILD_EXPAND, 0);
      }
      return 0;
    case WM_COMMAND:
      Command(c, k, LOWORD(wParam));
      return 0;
    case WM_MOUSEMOVE: {
      char text[400];
      ChildReadoutText(c, k, x, y, text, sizeof text);
      Status(c, k, 0, text);
      return 0;
    }
    default:
      return DefWindowProc(window, message, wParam, lParam);
  }
}

}  // namespace

int32_t InitChildInstance(int16_t chn, int16_t kind) {
  if (!child::Valid(chn, kind)) return 0;
  WNDCLASS wc;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = kProcedures[kind];
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = Win.hInst;
  wc.hIcon = LoadIcon(Win.hInst, MAKEINTRESOURCE(IDI_QV95));
  wc.hCursor = LoadCursor(nullptr, IDC_CROSS);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = CHILD_CLASS_NAMES[kind];
  RegisterClass(&wc);  // a repeated registration fails without consequence

  char title[100];
  if (kind == 0)
    StrFormat(title, "TIME DOMAIN WINDOW [%d]", chn);
  else if (kind == 1)
    StrFormat(title, "FREQ DOMAIN WINDOW [%d]", chn);
  else
    StrFormat(title, "DATA WINDOW [%d]", chn);
  Win.Child_Creating = static_cast<uint16_t>(chn);
  HWND window =
      CreateWindowEx(0, CHILD_CLASS_NAMES[kind], title, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW,
                     Win.Child_X[chn][kind], Win.Child_Y[chn][kind], Win.Child_W[chn][kind], Win.Child_H[chn][kind],
                     Win.hWnd_Main, nullptr, Win.hInst, nullptr);
  Win.Child_Creating = 65535;
  if (!window) {
    Win.hWnd_Child[chn][kind] = nullptr;
    MessageBox(nullptr, "InitChildInstance()\n\nCreateWindow() RETURNED NULL\n\nABORTING", "Error", kErrorBox);
    return 0;
  }
  Win.hWnd_Child[chn][kind] = window;
  ShowWindow(window, SW_SHOWNORMAL);
  return 1;
}

int32_t ChildWindowOpenClose(int16_t open, int16_t chn, int16_t kind) {
  if (!child::Valid(chn, kind)) return 0;
  HWND window = Win.hWnd_Child[chn][kind];
  const bool exists = Win.Child_Created[chn][kind] == 1 && window && IsWindow(window);
  if (open == 1) {
    if (!exists) {
      Win.Child_Created[chn][kind] = static_cast<uint32_t>(InitChildInstance(chn, kind));
      if (Win.Child_Created[chn][kind] == 0) {
        char text[100];
        StrFormat(text, "CHILD WINDOW [%d] NOT CREATED\n\nABORTING", chn);
        MessageBox(Win.hWnd_Main, text, "Warning", kWarningBox);
        return 0;
      }
      window = Win.hWnd_Child[chn][kind];
    }
    RepaintWindow("PLM_0P", window, FALSE);
    if (IsWindow(window)) SendMessage(window, WM_COMMAND, IDC_CHILD_INFO, 0);
    return child::Window(chn, kind) ? 1 : 0;
  }
  if (exists) DestroyWindow(window);
  Win.Child_Created[chn][kind] = 0;
  return 0;
}

HWND CreateChildToolBarStatusBar(HWND parent, int16_t chn, int16_t kind) {
  if (!child::Valid(chn, kind)) return nullptr;
  InitCommonControls();
  HWND toolbar =
      CreateWindowEx(0, TOOLBARCLASSNAME, "", WS_CHILD | WS_VISIBLE | WS_BORDER | CCS_ADJUSTABLE, 0, 0, 0, 0, parent,
                     reinterpret_cast<HMENU>(static_cast<intptr_t>(IDC_CHILD_TOOLBAR)), Win.hInst, nullptr);
  if (toolbar) {
    SendMessage(toolbar, TB_BUTTONSTRUCTSIZE, 20, 0);
    if (Win.hBmp_ChildToolBar[chn][kind]) DeleteObject(Win.hBmp_ChildToolBar[chn][kind]);
    Win.hBmp_ChildToolBar[chn][kind] = CreateToolbarBitmap();
    TBADDBITMAP glyphs;
    glyphs.hInst = nullptr;
    glyphs.nID = reinterpret_cast<UINT_PTR>(Win.hBmp_ChildToolBar[chn][kind]);
    const LRESULT first = SendMessage(toolbar, TB_ADDBITMAP, TOOLBAR_IMAGES, reinterpret_cast<LPARAM>(&glyphs));
    const int images[10] = {0, 1, 2, 3, 4, 5, 11, 12, 13, 14};
    const int commands[10] = {IDC_CHILD_SCALE_UP, IDC_CHILD_SCALE_DOWN, IDC_CHILD_CONTRACT, IDC_CHILD_EXPAND,
                              IDC_CHILD_BACK,     IDC_CHILD_FORWARD,    IDC_CHILD_MARK_LOW, IDC_CHILD_MARK_HIGH,
                              IDC_CHILD_SUBCHN,   IDC_CHILD_FIX_OFS};
    TBBUTTON buttons[10];
    for (int i = 0; i < 10; ++i) {
      buttons[i] = TBBUTTON{};
      buttons[i].iBitmap = static_cast<int>(first) + images[i];
      buttons[i].idCommand = commands[i];
      buttons[i].fsState = TBSTATE_ENABLED;
      buttons[i].fsStyle = TBSTYLE_BUTTON;
    }
    SendMessage(toolbar, TB_ADDBUTTONS, 10, reinterpret_cast<LPARAM>(buttons));
  }
  HWND bar = CreateStatusWindow(static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_MAXIMIZE | WS_BORDER), "", parent,
                                IDC_CHILD_STATUSBAR);
  Win.hWnd_ChildStatus[chn][kind] = bar;
  if (!bar) {
    MessageBox(parent, "CreateChildToolBarStatusBar()\n\nCreateStatusWindow() RETURNED NULL\n\nABORTING", "Error",
               kErrorBox);
  } else {
    DisplayStatusPartsSet(bar);
  }
  if (toolbar) ShowWindow(toolbar, SW_SHOW);
  return toolbar;
}

LRESULT TimeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ChildProc(0, window, message, wParam, lParam);
}
LRESULT FreqWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ChildProc(1, window, message, wParam, lParam);
}
LRESULT DataWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ChildProc(2, window, message, wParam, lParam);
}

namespace {

// Seconds per point of the time window: the transform dialog's horizontal interval
// while the window shows its time file, else the window's x step.
double TimeStep(int16_t c) {
  const bool fit = Lsf.Seq_Rdf == 1 || Lsf.Seq_Voigt == 1;
  if (c < TRANS_CHN && Cnl.Time_Stat[c][0] == 1 && !fit && Trans.Trans_Stat[c] == 1) return Cnl.Horz_Intv[c][0];
  return Cnl.X_Stp[c][0];
}

// The transform sub-array the readout of the frequency or data window reads: the
// window kind's sub-channel where it names a drawn curve, else 0.
int ReadoutSubArray(int16_t c, int16_t k) {
  const int sub = Win.Sub_Chn[k];
  if (c >= TRANS_CHN || Trans.Trans_ReImPh_Flag[c] != 1) return 0;
  if (k == 1) return sub >= 0 && sub <= 2 ? sub : 0;
  return sub == 3 ? 3 : 0;
}

}  // namespace

void ChildReadoutText(int16_t c, int16_t k, int32_t x, int32_t mouseY, char* text, size_t size) {
  if (size == 0) return;
  text[0] = '\0';
  if (!child::Valid(c, k)) return;
  const double h = Win.Child_PlotH[c][k];
  const double y = mouseY - Win.Child_PlotTop[c][k];
  const int32_t point = PointAt(c, k, x);
  const double lo = Cnl.Y_Min[c][k][0], hi = Cnl.Y_Max[c][k][0], f = Cnl.Y_Factor[c][k];
  const bool empty = hi == lo;
  const double s = child::Scale(h, lo, hi, f);
  // Child data are drawn about the fixed offset of sub-array 0, at every factor.
  const double fixed = Cnl.Fix_Ofs[c][k][0];
  if (k == 0) {
    const int16_t mode = Cnl.Asc_Mode[c][k];
    if (Cnl.Time_Stat[c][k] == 1) {
      // The ring-down sequence draws its data and its minimum cut about the bottom of
      // the y range.
      const bool ringDown = mode == 3 && Lsf.Seq_Rdf == 1;
      const double o = ringDown ? h - lo * s * f : fixed;
      if (empty) {
        StrCopy(text, size, kInvalid[0]);
      } else {
        StrFormat(text, size, "[%d] X(us) %-10.5le ", c, point * TimeStep(c) * 1.0e6);
        AppendY(text, size, (y - o) / s);
        StrAppendFormat(text, size, " Pt %d", point);
      }
    } else if (Cnl.Asc_Stat[c][k] == 1 && (mode == 0 || mode == 1)) {
      if (empty) {
        StrCopy(text, size, kInvalid[0]);
      } else {
        double value = point;
        const double n = Cnl.Pt_Cnt[c][k];
        if (Cnl.LogLog_Stat == 1) {
          const double kk = n > 0.0 ? std::log(n) / n : 0.0;
          value = std::fabs(point * kk) >= 20.0 ? 0.0 : std::pow(10.0, point * kk) - 1.0;
        }
        const double divisor = Cnl.X_Div != 0.0 ? Cnl.X_Div : 1.0;
        value = value * Cnl.X_Stp[c][k] / divisor * 1.0e6;
        if (mode == 1 && Cnl.X_DAry[c][k]) value += Cnl.X_DAry[c][k][0];
        StrFormat(text, size, "[%d] X(us) %-10.5le ", c, value);
        double yv = (y - fixed) / s;
        if (Cnl.LogLog_Stat == 1) yv = std::fabs(yv) >= 20.0 ? 0.0 : std::pow(10.0, yv);
        AppendY(text, size, yv);
        StrAppendFormat(text, size, " Pt %d", point);
      }
    } else if (Cnl.Asc_Stat[c][k] == 1 && mode == 2) {
      StrFormat(text, size, "X %-15d: ", x);
      const double r = Cnl.Asc_Scalar;
      if (r != 0.0)
        AppendY(text, size, (y - h / 2.0) / (-h / r));
      else
        StrAppend(text, size, kInvalid[0]);
    } else if (Cnl.Asc_Stat[c][k] == 0 && Lsf.CM_Plot == 1) {
      if (Lsf.CM_B == 0)
        StrCopy(text, size, kInvalid[0]);
      else
        StrFormat(text, size, "X %-15.6le: ", x * Lsf.CM_A / Lsf.CM_B);
      StrAppendFormat(text, size, "Y %-10.4lf", 0.0);
    }
    if (Ga.PopPlot_Stat[0] == 1 || Ga.ScorePlot_Stat[0] == 1) {
      if (empty) {
        StrCopy(text, size, kInvalid[0]);
      } else {
        const double gs = child::Scale(h, lo, hi, Ga.Plot_Fac[0]);
        const double go = h - lo * gs;
        StrFormat(text, size, "X %-15.8lf: ", x * Ga.X_Stp[0] + Ga.X_Org[0]);
        StrAppendFormat(text, size, "Y %-10.8lf", (y - go) / gs);
      }
    }
    return;
  }
  // The frequency and data windows read the curve they draw: child data about sub-array
  // 0's fixed offset, transform arrays with the range and fixed offset of the
  // sub-array the window's sub-channel names.
  const bool childData = Cnl.Asc_Stat[c][k] == 1 || Cnl.Time_Stat[c][k] == 1;
  double ys = s, yo = childData ? fixed : h - lo * s * f;
  bool ranged = !empty;
  if (!childData && child::TransformMode(c)) ranged = child::TransformScale(c, k, ReadoutSubArray(c, k), h, &ys, &yo);
  if (!ranged) {
    StrCopy(text, size, kInvalid[k]);
    return;
  }
  if (k == 1) {
    if (child::TransformMode(c)) {
      // In transform mode the time window's points lie HORZ INTV (dt) apart: bin P of
      // the transform (twice the frequency size) lies at P / (n dt).
      const double divisor = 2.0 * Trans.Trans_FreqSz[c] * Cnl.Horz_Intv[c][0] * 1.0e6;
      if (divisor == 0.0)
        StrFormat(text, size, "[%d] INVALID X FREQ", c);
      else
        StrFormat(text, size, "[%d] X(MHz) %-10.5le ", c, point / divisor);
    } else {
      StrFormat(text, size, "[%d] X(MHz) %-10.5le ", c, point * Cnl.X_Stp[c][k]);
    }
  } else {
    StrFormat(text, size, "X[%d] %-10.5le ", c, point * Cnl.X_Stp[c][k]);
  }
  AppendY(text, size, (y - yo) / ys);
  StrAppendFormat(text, size, " Pt %d", point);
}
