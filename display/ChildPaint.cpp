// PaintChildWindow: one paint of a child window (see ChildPaint.h).
#include "display/ChildPaint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "display/ChildInternal.h"
#include "display/ChildWindows.h"
#include "core/Coords.h"
#include "display/FftTransformDialog.h"
#include "display/Paint.h"
#include "display/Hooks.h"
#include "fileproc/xcorr/ArrayStats.h"
#include "fileproc/xcorr/Resample.h"
#include "fileproc/Fourier.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnl.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Ga.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "records/Sim.h"
#include "records/Trans.h"
#include "records/Win.h"

namespace {

using child::Status;
using child::StatusF;

constexpr UINT kErrorBox = MB_SYSTEMMODAL | MB_ICONERROR;
constexpr UINT kInfoBox = MB_SYSTEMMODAL | MB_ICONINFORMATION;

// The drawing frame of one child paint: the memory context and the plot, whose rows
// start at `top` in the client area.
struct ChildPlot {
  HDC dc = nullptr;
  int16_t c = 0, k = 0;
  int32_t top = 0;
  int32_t width = 0;   // plot width Wc (columns 0 .. Wc - 1)
  int32_t height = 0;  // plot height H
  std::vector<POINT> line;

  // Client row of plot row r, held inside the plot (not a number: the bottom).
  int32_t Row(double r) const {
    if (std::isnan(r) || r >= height) return top + height;
    if (r <= 0.0) return top;
    return top + static_cast<int32_t>(r);
  }
  int32_t Columns(int64_t wanted) const {
    return static_cast<int32_t>(std::clamp<int64_t>(wanted, 0, std::min(width, child::kMaxColumns)));
  }
  // values[0..count-1] one per column from column 0, at s v + o.
  template <typename T>
  void Curve(const T* values, int32_t count, double s, double o, HPEN pen) {
    count = Columns(count);
    if (!values || count < 1) return;
    line.clear();
    for (int32_t i = 0; i < count; ++i) line.push_back(POINT{i, Row(s * values[i] + o)});
    HGDIOBJ old = SelectObject(dc, pen);
    if (line.size() == 1) line.push_back(POINT{1, line[0].y});
    Polyline(dc, line.data(), static_cast<int>(line.size()));
    SelectObject(dc, old);
  }
  void Horizontal(double r, int32_t length, HPEN pen) const {
    HGDIOBJ old = SelectObject(dc, pen);
    const int32_t y = Row(r);
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, length, y);
    SelectObject(dc, old);
  }
  void Vertical(int32_t x, HPEN pen) const {
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x, top + height, nullptr);
    LineTo(dc, x, top);
    SelectObject(dc, old);
  }
};

// Everything one paint holds, released on every way out.
class PaintFrame {
 public:
  PaintFrame(HWND window, int16_t c, int16_t k) : window_(window), c_(c), k_(k) {}
  ~PaintFrame() {
    if (memory_) {
      if (oldBitmap_) SelectObject(memory_, oldBitmap_);
      DeleteDC(memory_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    Cnl.hDC_Mem[c_][k_] = nullptr;
    if (paintDC_ && IsWindow(window_)) EndPaint(window_, &paint_);
  }
  PaintFrame(const PaintFrame&) = delete;
  PaintFrame& operator=(const PaintFrame&) = delete;

  bool Begin(int32_t width, int32_t height) {
    paintDC_ = BeginPaint(window_, &paint_);
    if (!paintDC_) return false;
    memory_ = CreateCompatibleDC(paintDC_);
    bitmap_ = memory_ ? CreateCompatibleBitmap(paintDC_, std::max(1, width), std::max(1, height)) : nullptr;
    if (!bitmap_) return false;
    oldBitmap_ = SelectObject(memory_, bitmap_);
    width_ = width;
    height_ = height;
    Cnl.hDC_Mem[c_][k_] = memory_;
    return true;
  }
  void Copy() const { BitBlt(paintDC_, 0, 0, width_, height_, memory_, 0, 0, SRCCOPY); }
  HDC Memory() const { return memory_; }

 private:
  HWND window_;
  int16_t c_, k_;
  PAINTSTRUCT paint_{};
  HDC paintDC_ = nullptr;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  int32_t width_ = 0, height_ = 0;
};

int32_t WindowHeight(HWND window) {
  RECT rect{};
  if (!window || !IsWindow(window) || !GetWindowRect(window, &rect)) return 0;
  return rect.bottom - rect.top;
}

// ---- paging --------------------------------------------------------------------------------

// The child's page over n points: the page start (held inside the data and stored
// back) and the number of columns.
int32_t PageOf(ChildPlot& p, int64_t n, int32_t* start) {
  const int64_t ppp = std::max<int32_t>(Win.Child_PtsPerPxl[p.c][p.k], 1);
  int64_t s0 = std::max<int32_t>(Win.Child_PageStart[p.c][p.k], 0);
  const int64_t span = static_cast<int64_t>(p.width) * ppp;
  if (s0 + span > n) s0 = std::max<int64_t>(0, n - span);
  Win.Child_PageStart[p.c][p.k] = static_cast<int32_t>(s0);
  *start = static_cast<int32_t>(s0);
  return n > s0 ? p.Columns((n - s0) / ppp) : 0;
}

// One value per column of the page into Win.CM_DrawAry1, resampled at the
// points-per-pixel step (scalar multiplies every value). false on failure.
bool Resample(const ChildPlot& p, const float* f, const double* d, int32_t start, int32_t columns, double scalar) {
  float* out = Win.CM_DrawAry1;
  if (!out || columns < 1) return false;
  const int32_t ppp = std::max<int32_t>(Win.Child_PtsPerPxl[p.c][p.k], 1);
  if (ppp == 1 || columns == 1) {
    for (int32_t i = 0; i < columns; ++i) {
      const int64_t at = start + static_cast<int64_t>(i) * ppp;
      out[i] = static_cast<float>(scalar * (d ? d[at] : f[at]));
    }
    return true;
  }
  return ResizeFileAry(child::kResizeSlot, 0, nullptr, nullptr, 0, columns * ppp, columns, 1.0, ppp,
                       f ? f + start : nullptr, d ? d + start : nullptr, &out, scalar, 0) == 1;
}

// Pages, resamples and draws a double array; the number of columns drawn (0 when
// nothing or on failure, *failed set then).
int32_t PagedCurve(ChildPlot& p, const double* values, uint32_t n, double s, double o, HPEN pen, bool* failed) {
  // Without the drawing arrays of the start-up there is nothing to draw into, which is
  // no failure of the data.
  if (!values || n == 0 || !Win.CM_DrawAry1) return 0;
  int32_t start = 0;
  const int32_t columns = PageOf(p, n, &start);
  if (columns < 1) return 0;
  if (!Resample(p, nullptr, values, start, columns, 1.0)) {
    if (failed) *failed = true;
    return 0;
  }
  p.Curve(Win.CM_DrawAry1, columns, s, o, pen);
  return columns;
}

// ---- child data ----------------------------------------------------------------------------

void ClearChildFlags(int16_t c, int16_t k) {
  Cnl.Data_Pend[c][k] = 0;
  Cnl.Asc_Stat[c][k] = 0;
  Cnl.Time_Stat[c][k] = 0;
}

void DrawPageData(ChildPlot& p) {
  const int16_t c = p.c, k = p.k;
  const double h = p.height;
  const double s = child::Scale(h, Cnl.Y_Min[c][k][0], Cnl.Y_Max[c][k][0], Cnl.Y_Factor[c][k]);
  const double o = Cnl.Fix_Ofs[c][k][0];
  const uint32_t n = Cnl.Pt_Cnt[c][k];
  bool failed = false;
  const int32_t columns = PagedCurve(p, Cnl.Y_Draw_DAry1[c][k], n, s, o, child::ChannelPen(c), &failed);
  if (failed) {
    ClearChildFlags(c, k);
    return;
  }
  if (Cnl.LogLog_Stat == 1) {
    HGDIOBJ old = SelectObject(p.dc, child::RowPen(9));
    MoveToEx(p.dc, 0, p.top + p.height, nullptr);
    LineTo(p.dc, p.width, p.top);
    SelectObject(p.dc, old);
  }
  if (Cnl.Overlay_Stat == 1 && columns > 0 && Win.CM_DrawAry2 && Win.CM_DrawAry3) {
    // The straight line of set A over the page, then the difference line - data.
    const double ppp = std::max<int32_t>(Win.Child_PtsPerPxl[c][k], 1);
    const double start = Win.Child_PageStart[c][k];
    for (int32_t i = 0; i < columns; ++i) {
      const double x = (start + ppp * i) * Cnl.X_Stp[c][k];
      const double line = ((x - Sim.Dsp_Intercept[0]) * Sim.Dsp_Slope[0] + Sim.Dsp_Offset[0]) * Sim.Dsp_Scalar[0];
      Win.CM_DrawAry2[i] = static_cast<float>(line);
      Win.CM_DrawAry3[i] = static_cast<float>(line - Win.CM_DrawAry1[i]);
    }
    p.Curve(Win.CM_DrawAry2, columns, s, o, child::SetPen(0));
    p.Curve(Win.CM_DrawAry3, columns, s, o, child::SetPen(0));
  }
}

// The fit set's model over the child's points into Y_Draw_DAry3 (grown to the point
// count when that changed); false after the allocation box.
bool FitModel(ChildPlot& p, int16_t set) {
  const int16_t c = p.c, k = p.k;
  const uint32_t n = Cnl.Pt_Cnt[c][k];
  if (n == 0) return false;
  if (Cnl.Y_Draw_Sz3[c][k] != n || !Cnl.Y_Draw_DAry3[c][k]) {
    if (QvAllocFailed(DReAlloc1Dim(&Cnl.Y_Draw_DAry3[c][k], n))) {
      Cnl.Y_Draw_Sz3[c][k] = 0;
      MessageBox(Win.hWnd_Main, "PaintChildWindow()\n\nY_Draw_DAry3\n\nCORE ALLOCATION ERROR", "Info", kInfoBox);
      return false;
    }
    Cnl.Y_Draw_Sz3[c][k] = n;
  }
  const int32_t count = static_cast<int32_t>(std::min<uint32_t>(n, WIN_DRAW_PTS));
  double* model = Cnl.Y_Draw_DAry3[c][k];
  std::fill(model, model + n, 0.0);
  if (DisplaySimPlot(p.dc, 2, set, WIN_RAW, 0, count, 1, c, k) == 1 && Win.PM_DrawAry)
    for (int32_t i = 0; i < count; ++i) model[i] = Win.PM_DrawAry[i];
  return true;
}

void DrawRingDown(ChildPlot& p) {
  const int16_t c = p.c, k = p.k;
  const double f = Cnl.Y_Factor[c][k];
  const double lo = Cnl.Y_Min[c][k][0], hi = Cnl.Y_Max[c][k][0];
  const double s = child::Scale(p.height, lo, hi, f);
  const double o = p.height - lo * s * f;
  p.Horizontal(s * Lsf.Rdf_MinCut + o, p.width, child::ChannelPen(c));
  PagedCurve(p, Cnl.Y_Draw_DAry4[c][k], Cnl.Pt_Cnt[c][k], s, o, child::ChannelPen(c), nullptr);
  const int16_t set = Lsf.Cur_Set >= 0 && Lsf.Cur_Set < SIM_SETS ? Lsf.Cur_Set : 0;
  if (FitModel(p, set)) PagedCurve(p, Cnl.Y_Draw_DAry3[c][k], Cnl.Pt_Cnt[c][k], s, o, child::SetPen(set), nullptr);
}

void DrawLineShape(ChildPlot& p) {
  const int16_t c = p.c, k = p.k;
  const double lo = Cnl.Y_Min[c][k][0], hi = Cnl.Y_Max[c][k][0];
  const double s = child::Scale(p.height, lo, hi, Cnl.Y_Factor[c][k]);
  const double o = Cnl.Fix_Ofs[c][k][0];
  p.Horizontal(s * lo + o, p.width, child::RowPen(9));
  p.Horizontal(s * hi + o, p.width, child::RowPen(9));
  p.Horizontal(s * Cnl.Y_Ave[c][k][0] + o, p.width, child::ChannelPen(c));
  const uint32_t n = Cnl.Pt_Cnt[c][k];
  PagedCurve(p, Cnl.Y_Draw_DAry4[c][k], n, s, o, child::ChannelPen(c), nullptr);
  const int16_t set = Lsf.Cur_Set >= 0 && Lsf.Cur_Set < SIM_SETS ? Lsf.Cur_Set : 0;
  if (!FitModel(p, set)) return;
  // The model from its first value.
  const int32_t saved = Win.Child_PageStart[c][k];
  const int32_t start = std::max<int32_t>(saved, 0);
  Win.Child_PageStart[c][k] = 0;
  PagedCurve(p, Cnl.Y_Draw_DAry3[c][k], n, s, o, child::SetPen(set), nullptr);
  Win.Child_PageStart[c][k] = saved;
  const int16_t linked = Sim.Dsp_Cnl[set];
  const bool shown = linked < 0 || linked > 8 || Dsp.Chn_DspStat[linked] != 0;
  if (Sim.Dlg_Req[SIM_DLG_RESIDUAL][set] == 1 && shown && Cnl.Y_Draw_DAry4[c][k] && n > static_cast<uint32_t>(start)) {
    std::vector<double> residual(n - static_cast<uint32_t>(start));
    for (size_t i = 0; i < residual.size(); ++i)
      residual[i] = Cnl.Y_Draw_DAry4[c][k][start + i] - Cnl.Y_Draw_DAry3[c][k][i];
    Win.Child_PageStart[c][k] = 0;
    PagedCurve(p, residual.data(), static_cast<uint32_t>(residual.size()), s, o, child::SetPen(set), nullptr);
    Win.Child_PageStart[c][k] = saved;
  }
}

void DrawMarkerDiagnostic(ChildPlot& p) {
  const double r = Cnl.Asc_Scalar;
  const double s = r != 0.0 ? -p.height / r : 1.0;
  const int32_t count = static_cast<int32_t>(std::min<uint32_t>(Cnl.MkDiag_Cnt, child::kMaxColumns));
  p.Curve(Cnl.Y_Draw_DAry1[p.c][p.k], count, s, p.height / 2.0, child::ChannelPen(p.c));
  StatusF(p.c, p.k, 2, "Ymax=%lf  Ymin=%lf", r / 2.0, -r / 2.0);
  child::Refresh(Cnl.ChnData_Hwnd);
}

// false when the paint ends here.
bool DrawChildData(HWND window, ChildPlot& p) {
  const int16_t c = p.c, k = p.k;
  if (Cnl.Data_Pend[c][k] == 1 && ChildDataRead(c, k) != 1) {
    ClearChildFlags(c, k);
    ChildWindowOpenClose(0, c, k);
    return false;
  }
  if (Cnl.Data_Pend[c][k] == 1) {
    MessageBox(window, "PaintChildWindow()\n\nOVERLAPPING CHILD PAINT CALL AVOIDED", "Info", kInfoBox);
    return false;
  }
  const int16_t mode = Cnl.Asc_Mode[c][k];
  if (Cnl.Time_Stat[c][k] == 1 && k == 0 && mode == 3 && Lsf.Seq_Rdf == 1)
    DrawRingDown(p);
  else if (Cnl.Time_Stat[c][k] == 1 && k == 1 && mode == 5 && Lsf.Seq_Voigt == 1)
    DrawLineShape(p);
  else if (Cnl.Asc_Stat[c][k] == 1 && mode == 2)
    DrawMarkerDiagnostic(p);
  else if (mode == 0 || mode == 1 || mode == 4 || Cnl.Time_Stat[c][k] == 1)
    DrawPageData(p);
  return true;
}

// ---- the channel's transform ---------------------------------------------------------------

void ZeroLine(ChildPlot& p, double o) { p.Horizontal(o, p.width, child::RowPen(9)); }

bool TransformCurve(ChildPlot& p, const float* f, const double* d, int sub, double scalar, HPEN pen, bool zeroLine) {
  const int16_t c = p.c;
  const int64_t n = Trans.Trans_FreqSz[c];
  if ((!f && !d) || n < 1 || !Win.CM_DrawAry1) return true;
  int32_t start = 0;
  const int32_t columns = PageOf(p, n, &start);
  if (columns < 1) return true;
  if (!Resample(p, f, d, start, columns, scalar)) return false;
  double s = -1.0, o = 0.0;
  child::TransformScale(c, p.k, sub, p.height, &s, &o);
  if (zeroLine) ZeroLine(p, o);
  p.Curve(Win.CM_DrawAry1, columns, s, o, pen);
  return true;
}

void DrawTransform(ChildPlot& p) {
  const int16_t c = p.c, k = p.k;
  const bool all = Trans.Trans_ReImPh_Flag[c] == 1;
  bool ok = true;
  if (k == 1) {
    const HPEN pens[3] = {child::ChannelPen(c), child::RowPen(2), child::RowPen(1)};
    for (int a = 0; a < (all ? 3 : 1) && ok; ++a)
      ok = TransformCurve(p, Trans.Trans_Freq_FAry[c][a], nullptr, a, 1.0, pens[a], a == Win.Sub_Chn[1]);
  } else if (k == 2 && all) {
    ok = TransformCurve(p, Trans.Trans_Freq_FAry[c][3], nullptr, 3, 1.0, child::ChannelPen(c), true);
    float* fitted = Trans.Trans_Freq_FAry[c][4];
    float* working = Trans.Trans_Freq_FAry[c][5];
    float* combined = Trans.Trans_Freq_FAry[c][6];
    if (ok && child::CombinedPhase(c)) {
      // The fit's arrays hold the values of its own size, which is the transform's.
      const int32_t n = Trans.Trans_FitSz[c] > 0 ? Trans.Trans_FitSz[c] : 0;
      const double q = Trans.Trans_Cycs[c];
      FFTwPhaseUnwrap(0, n, working, nullptr, q);
      for (int32_t i = 0; i < n; ++i) combined[i] = fitted[i] != 0.0f ? fitted[i] : working[i];
      FFTwPhaseUnwrap(0, n, combined, nullptr, q);
      ok = TransformCurve(p, combined, nullptr, 0, -1.0, child::ChannelPen(c), true);
    } else if (ok && child::ModelPhase(c)) {
      ok = TransformCurve(p, nullptr, child::ModelPhase(c), 0, -1.0, child::ChannelPen(c), true);
    }
  }
  if (!ok) Trans.Trans_Fft_Flag[c] = 0;
}

// ---- cavity modes and genetic-algorithm plots -------------------------------------------

void DrawCavityModes(ChildPlot& p) {
  if (DisplayHooks.cavityModePaint) DisplayHooks.cavityModePaint(p.dc, 1);
  const int32_t columns = p.Columns(p.width);
  auto draw = [&](const float* values, HPEN pen) {
    if (!values || columns < 1) return;
    p.line.clear();
    for (int32_t i = 0; i < columns; ++i) p.line.push_back(POINT{i, static_cast<int32_t>(values[i])});
    HGDIOBJ old = SelectObject(p.dc, pen);
    Polyline(p.dc, p.line.data(), static_cast<int>(p.line.size()));
    SelectObject(p.dc, old);
  };
  if (Lsf.CM_Curve1 == 1) draw(Win.CM_DrawAry2, child::SetRowPen(1));
  if (Lsf.CM_Curve2 == 1) draw(Win.CM_DrawAry3, child::SetRowPen(2));
  draw(Win.CM_DrawAry1, child::SetRowPen(0));
}

bool WorkArray(uint32_t n) {
  if (Cnl.Tmp_PLM_FPt && Cnl.Tmp_PLM_Sz == n) return true;
  if (QvAllocFailed(FReAlloc1Dim(&Cnl.Tmp_PLM_FPt, n))) {
    Cnl.Tmp_PLM_Sz = 0;
    MessageBox(Win.hWnd_Main, "PaintChildWindow()/Tmp_PLM_FPt - CORE ALLOCATION ERROR", "Error", kErrorBox);
    return false;
  }
  Cnl.Tmp_PLM_Sz = n;
  return true;
}

// Plot scale of the genetic-algorithm plots: the set's plot factor, bottom at y min.
void GaScale(const ChildPlot& p, double* s, double* o) {
  const double lo = Cnl.Y_Min[p.c][p.k][0], hi = Cnl.Y_Max[p.c][p.k][0];
  *s = child::Scale(p.height, lo, hi, Ga.Plot_Fac[0]);
  *o = p.height - lo * *s;
}

// false when the paint ends here.
bool DrawPopulation(ChildPlot& p) {
  const int16_t c = p.c, k = p.k;
  const double* pop = Ga.Pop_DPt[0];
  if (!pop) {
    Status(c, k, 0, "GA POP FILE READ ERROR\n\nPop_DPt IS A NULL POINTER");
    return false;
  }
  const int32_t members = std::max<int32_t>(Ga.Pop_Size[0], 0);
  const int16_t gene = std::clamp<int16_t>(Ga.Gene_Sel[0], 0, GA_GENES - 1);
  if (Debug.DebugLevel == 118) DebugPrintf("POP FILE SZ=%d  GENE SEL=%d\n", members, gene);
  const double* values = pop + static_cast<int64_t>(gene) * (members + 2);
  const double lo = values[members], hi = values[members + 1];
  const int16_t row = std::clamp<int16_t>(Ga.Gene_Idx[0][gene], 0, GA_GENES - 1);
  const char* name = Ga.Gene_Name[0][row];
  double ave = 0.0, rms = 0.0;
  double s = 0.0, o = 0.0;
  if (Ga.Hist_Stat[0] == 1) {
    const int32_t bins = p.width;
    if (bins <= 0) {
      MessageBox(Win.hWnd_Main, "PaintChildWindow()\n\nX DATA OF ZERO LENGTH\n\nABORTING", "Error", kErrorBox);
      return false;
    }
    if (!WorkArray(static_cast<uint32_t>(bins))) return false;
    float* counts = Cnl.Tmp_PLM_FPt;
    Ga.X_Min[0] = lo;
    Ga.X_Max[0] = hi;
    int32_t firstBin = 0;
    if (lo == hi) {
      Ga.X_Max[0] = lo + 1.0;
      StatusF(c, k, 0, "GENE=[%s] RANGE ZERO=[%.2le-%.2le]", name, Ga.X_Min[0], Ga.X_Max[0]);
      if (Debug.DebugLevel == 118) DebugPrintf("GENE=%s RANGE=%lf-%lf\n", name, Ga.X_Min[0], Ga.X_Max[0]);
    } else {
      Ga.X_Stp[0] = (hi - lo) / bins;
      Ga.X_Org[0] = lo;
      std::fill(counts, counts + bins, 0.0f);
      for (int32_t i = 0; i < members; ++i) {
        const double at = std::trunc((values[i] - lo) / Ga.X_Stp[0] + 0.5);
        const int32_t bin = at >= 0.0 && at < bins ? static_cast<int32_t>(at) : bins - 1;
        counts[bin] += 1.0f;
        if (i == 0) firstBin = bin;
      }
      double mn = 0.0, mx = 0.0;
      ManFindMinMaxDiffAveRMS1DAry(nullptr, nullptr, values, static_cast<uint32_t>(members), 0, 0, &mn, &mx, &ave,
                                   &rms);
      ManFindMinMaxDiffAveRMS1DAry(nullptr, counts, nullptr, static_cast<uint32_t>(bins), 0, 0, &Cnl.Y_Min[c][k][0],
                                   &Cnl.Y_Max[c][k][0], nullptr, nullptr);
    }
    GaScale(p, &s, &o);
    p.Curve(counts, bins, s, o, child::ChannelPen(c));
    p.Vertical(firstBin, child::RowPen(3));
    StatusF(c, k, 1, "Xmin=%.1le  Xmax=%.1le Ymin=%.0lf Ymax=%.0lf", Ga.X_Min[0], Ga.X_Max[0], Cnl.Y_Min[c][k][0],
            Cnl.Y_Max[c][k][0]);
  } else {
    const int32_t n = std::max(p.width, members);
    if (n <= 0) {
      MessageBox(Win.hWnd_Main, "PaintChildWindow()\n\nX DATA OF ZERO LENGTH\n\nABORTING", "Error", kErrorBox);
      return false;
    }
    if (!WorkArray(static_cast<uint32_t>(n))) return false;
    ManFindMinMaxDiffAveRMS1DAry(nullptr, nullptr, values, static_cast<uint32_t>(members), 0, 0, &Cnl.Y_Min[c][k][0],
                                 &Cnl.Y_Max[c][k][0], &ave, &rms);
    for (int32_t i = 0; i < members; ++i) Cnl.Tmp_PLM_FPt[i] = static_cast<float>(values[i]);
    Ga.X_Min[0] = 0.0;
    Ga.X_Max[0] = members;
    Ga.X_Org[0] = 0.0;
    Ga.X_Stp[0] = 1.0;
    GaScale(p, &s, &o);
    p.Curve(Cnl.Tmp_PLM_FPt, members, s, o, child::ChannelPen(c));
    StatusF(c, k, 1, "Xmin=%.0lf  Xmax=%.0lf Ymin=%.1le Ymax=%.1le", Ga.X_Min[0], Ga.X_Max[0], Cnl.Y_Min[c][k][0],
            Cnl.Y_Max[c][k][0]);
  }
  StatusF(c, k, 2, "GENE=%s AVE=%.5le RMS=%.5le", name, ave, rms);
  return true;
}

// Reads "%*ld%f%f%f" from a line: true with the three values.
bool ScoreLine(const std::string& line, float values[3]) {
  const char* p = line.c_str();
  int32_t skipped = 0;
  if (!core_io::ScanLong(p, &skipped)) return false;
  for (int i = 0; i < 3; ++i) {
    double v = 0.0;
    if (!core_io::ScanDouble(p, &v)) return false;
    values[i] = static_cast<float>(v);
  }
  return true;
}

// false when the paint ends here.
bool DrawScores(ChildPlot& p) {
  const int16_t c = p.c, k = p.k;
  core_io::LineIn file(1499);
  if (!file.Open(Ga.Score_Flnm[0])) return false;
  std::string line;
  uint32_t lines = 0;
  while (file.Next(line)) ++lines;
  float** matrix = nullptr;
  if (lines == 0 || QvAllocFailed(FAlloc2Dim(&matrix, 3, static_cast<int32_t>(lines)))) {
    if (lines != 0)
      MessageBox(Win.hWnd_Main, "PaintChildWindow()/ytmp_fmat - CORE ALLOCATION ERROR", "Error", kErrorBox);
    return false;
  }
  // Columns past the last line read stay 0.
  for (int r = 0; r < 3; ++r) std::fill(matrix[r], matrix[r] + lines, 0.0f);
  file.Rewind();
  double lo = 1e20, hi = -1e20;
  for (uint32_t i = 0; i < lines && file.Next(line); ++i) {
    float v[3];
    if (line.find_first_not_of(" \t\r") == std::string::npos || !ScoreLine(line, v)) break;
    for (int r = 0; r < 3; ++r) {
      matrix[r][i] = v[r];
      lo = std::min<double>(lo, v[r]);
      hi = std::max<double>(hi, v[r]);
    }
  }
  Cnl.Y_Min[c][k][0] = lo;
  Cnl.Y_Max[c][k][0] = hi;
  Ga.X_Org[0] = 0.0;
  Ga.X_Stp[0] = 1.0;
  StatusF(c, k, 2, "Ymax=%lf Ymin=%lf", hi, lo);
  StatusF(c, k, 1, "CURRENT GENERATION=%u", lines);
  char update[220];
  StrFormat(update, "%s.upd", Ga.Run_Base[0]);
  if (platform::FileExists(update)) StatusF(c, k, 3, "EDIT FILE [%s] TO MODIFY GA RUN-TIME PRMS", update);
  double s = 0.0, o = 0.0;
  GaScale(p, &s, &o);
  for (int r = 0; r < 3; ++r) p.Curve(matrix[r], static_cast<int32_t>(lines), s, o, child::ChannelPen(c));
  FFree2Dim(&matrix, 3);
  return true;
}

// ---- the simulated time signal ---------------------------------------------------------------

void DrawTimeSignal(ChildPlot& p) {
  float* values = Win.CM_DrawAry1;
  if (!values) return;
  const int32_t columns = std::clamp<int32_t>(Win.Page_Width, 0, child::kMaxColumns);
  std::fill(values, values + columns, 0.0f);
  const int16_t set = Sim.Cur_Set >= 0 && Sim.Cur_Set < SIM_SETS ? Sim.Cur_Set : 0;
  const double a = Sim.Sine_Amp[set][0], f = Sim.Sine_Period[set][0];
  if (Sim.Sine_Stat[set] == 1 && a != 0.0 && f != 0.0) {
    const int16_t v = Win.View_Level;
    const double ppp = Dsp.Pts2Pxl[std::clamp<int16_t>(v, 0, WIN_RAW)];
    const double phase = Sim.Sine_Phase[set][0];
    const double c = Sim.Sine_Ofs[set] == 1 ? 1.0 : 0.0;
    const double chirpT = Sim.Sine_ChirpT[set], f1 = Sim.Sine_PerEnd[set], d = Sim.Sine_Damping[set];
    const double f0 = Dsp.Init_Frq, intercept = Sim.Dsp_Intercept[set];
    const double twoPi = 2.0 * M_PI;
    const bool undefinedTime = chirpT != 0.0 && f0 != 0.0 && intercept == 0.0;
    for (int32_t i = 0; i < columns; ++i) {
      const int32_t point = static_cast<int32_t>(std::trunc(Win.Page_Start + i * ppp));
      const double t = DisplayPixelToFreq(v, point) - intercept;
      double model = 0.0;
      if (chirpT == 0.0 || (f0 != 0.0 && intercept == 0.0)) {
        if (f1 == 0.0 && d == 0.0)
          model = a * (std::sin(twoPi * (t * f + phase)) + c);
        else if (f1 == 0.0)
          model = a * std::exp(-std::fabs(t * d)) * std::sin(twoPi * (t * f + phase));
        else
          model = a * std::sin(twoPi * (t * f / 2.0 + phase)) * std::cos(twoPi * t * f1 / 2.0);
      } else if (t > 0.0 && t <= chirpT) {
        model = a * (std::sin(twoPi * (t * f + (f1 - f) * t * t / (2.0 * chirpT) + phase)) + c);
      }
      values[i] += static_cast<float>(model);
    }
    if (undefinedTime && Win.hWnd_StatusBar && IsWindow(Win.hWnd_StatusBar)) {
      char text[600];
      StrFormat(text, "[%s] SIM [%s] - DEF SIM ITC FOR VALID TIME(X) RANGE - INIT FRQ=[%lf] INTP=[%lf]",
                Sim.Set_Lbl[set], Sim.Sim_Flnm[set], f0, intercept);
      SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, 3, reinterpret_cast<LPARAM>(text));
    }
  }
  double s = -static_cast<double>(p.height) * Dsp.Chn_Scalar[0];
  if (Dsp.Chn_ScaleStat[0] != 1) s *= 0.1;
  const double o = p.height + s * Dsp.Chn_Offset[0];
  p.Curve(values, columns, s, o, child::ChannelPen(0));
}

// ---- cursors ------------------------------------------------------------------------------------

void DrawCursors(ChildPlot& p) {
  const int16_t c = p.c, k = p.k;
  const int64_t first = Win.Child_PageStart[c][k];
  const int64_t ppp = std::max<int32_t>(Win.Child_PtsPerPxl[c][k], 1);
  auto draw = [&](int32_t cursor, HPEN pen) {
    if (cursor == 0) return;
    const int64_t column = (cursor - first) / ppp;
    if (cursor < first || column < 0 || column >= p.width) return;
    p.Vertical(static_cast<int32_t>(column), pen);
  };
  draw(Win.Child_CursorLo[c][k], child::RowPen(9));
  draw(Win.Child_CursorHi[c][k], child::RowPen(9));
  if (k == 0 && child::Window(c, 1)) {
    draw(Win.Fft_LimLo[c], child::RowPen(3));
    draw(Win.Fft_LimHi[c], child::RowPen(3));
  }
}

void FillBackground(HDC dc, const RECT& area) {
  HBRUSH brush = Dsp.Brush[Win.Bg_Brush_Idx >= 0 && Win.Bg_Brush_Idx < DSP_COLORS ? Win.Bg_Brush_Idx : 0];
  if (!brush) brush = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  FillRect(dc, &area, brush);
}

}  // namespace

int32_t PaintChildWindow(HWND window, HWND toolbar, int16_t chn, int16_t kind) {
  if (!child::Valid(chn, kind)) return 1;
  const int16_t c = chn, k = kind;
  RECT client{};
  GetClientRect(window, &client);
  const int32_t clientW = client.right - client.left;
  const int32_t clientH = client.bottom - client.top;
  const int32_t top = WindowHeight(toolbar) + 3;
  const int32_t statusH = WindowHeight(Win.hWnd_ChildStatus[c][k]);
  // The plot geometry is read by a data read on another thread: set it under the lock.
  EnterCriticalSection(&ChildDataLock);
  Win.Child_PlotTop[c][k] = top;
  Win.Child_PlotW[c][k] = std::max<int32_t>(0, clientW - 1);
  Win.Child_PlotH[c][k] = std::max<int32_t>(0, clientH - top - statusH - 1);
  LeaveCriticalSection(&ChildDataLock);

  PaintFrame frame(window, c, k);
  if (!frame.Begin(clientW, clientH)) return 1;
  ChildPlot p;
  p.dc = frame.Memory();
  p.c = c;
  p.k = k;
  p.top = top;
  p.width = Win.Child_PlotW[c][k];
  p.height = Win.Child_PlotH[c][k];
  p.line.reserve(static_cast<size_t>(std::min(std::max(p.width, 2), child::kMaxColumns)));
  SetBkMode(p.dc, TRANSPARENT);
  FillBackground(p.dc, client);
  HPEN foreground = child::RowPen(Win.Fg_Pen_Idx);
  {
    HGDIOBJ old = SelectObject(p.dc, foreground);
    const POINT box[5] = {{0, top}, {p.width, top}, {p.width, top + p.height}, {0, top + p.height}, {0, top}};
    Polyline(p.dc, box, 5);
    SelectObject(p.dc, old);
  }

  bool go = true;
  {
    // Workers refill the child arrays under the same lock.
    EnterCriticalSection(&ChildDataLock);
    if (Cnl.Asc_Stat[c][k] == 1 || Cnl.Time_Stat[c][k] == 1)
      go = DrawChildData(window, p);
    else if (k != 0 && child::TransformMode(c))
      DrawTransform(p);
    else if (c == 9 && k == 0 && Lsf.CM_Plot == 1)
      DrawCavityModes(p);
    else if (k == 0 && Ga.PopPlot_Stat[0] == 1)
      go = DrawPopulation(p);
    else if (k == 0 && Ga.ScorePlot_Stat[0] == 1)
      go = DrawScores(p);
    else if (k == 0 && Sim.Sine_FFT == 1)
      DrawTimeSignal(p);
    LeaveCriticalSection(&ChildDataLock);
  }
  if (!go) return 1;

  DrawCursors(p);
  for (int16_t v = 0; v < TRANS_CHN; ++v)
    if (Trans.Trans_Dlg_Shown[v] == 1) Trans.Trans_Dlg_Shown[v] = FftTransformDialogCreate(v, 1, Win.hWnd_Main);
  DisplayDrawChildCrosshair(Win.Child_CursorX[c][k], Win.Child_CursorY[c][k] + top, c, k);
  frame.Copy();
  return 1;
}
