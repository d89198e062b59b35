#include "display/Paint.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/TypedArrays.h"
#include "core/Coords.h"
#include "core/FileIo.h"
#include "display/FftTransformDialog.h"
#include "display/Hooks.h"
#include "display/ViewFiles.h"
#include "platform/windows/Controls.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Lsf.h"
#include "records/Sim.h"
#include "records/Trans.h"
#include "records/Win.h"

namespace {

constexpr int kChannels = 9;

// The drawing frame of one paint: the context, the plot in device coordinates and
// the horizontal mapping of page points to columns.
struct Plot {
  HDC dc = nullptr;
  int32_t mode = 2;     // 2 screen, 3 printer page
  int32_t left = 0;     // column of page point 0
  int32_t right = 0;    // last column of the plot
  int32_t top = 0;      // first row of the plot
  int32_t bottom = 0;   // last row of the plot: B
  int32_t height = 0;   // H
  int32_t points = 0;   // page points wanted (screen width, at most 20,000)
  double step = 1.0;    // columns per point
  int32_t activeRead = 0;  // points of the active channel's page already in its rows
  std::vector<POINT> line;  // polyline work storage
};

// One channel's page as read: the points, and the page point at which they start
// (not 0 when the reader moved the page back at the end of a shorter file).
struct ChannelPage {
  bool shown = false;
  int32_t count = 0;
  int32_t shift = 0;
};

bool ValidChannel(int c) { return c >= 0 && c < kChannels; }
int ColorRow(int row) { return row >= 0 && row < DSP_COLORS ? row : 0; }

HPEN PenOrBlack(HPEN pen) { return pen ? pen : static_cast<HPEN>(GetStockObject(BLACK_PEN)); }
HPEN ForegroundPen() { return PenOrBlack(Dsp.Pen[ColorRow(Win.Fg_Pen_Idx)]); }
HPEN ChannelPen(int c) { return PenOrBlack(Dsp.Pen[ColorRow(Dsp.Chn_ColorNo[c])]); }
HPEN SetPen(int set) {
  int row = Sim.COLOR_NO[set] >= 0 && Sim.COLOR_NO[set] < SIM_COLORS ? Sim.COLOR_NO[set] : 0;
  return PenOrBlack(Sim.Pen[row]);
}

void MainStatus(int part, const char* text) {
  if (Win.hWnd_StatusBar)
    SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

double PointsPerPixel(int16_t v) {
  int level = v < 0 ? 0 : (v > WIN_RAW ? WIN_RAW : v);
  const double ppp = Dsp.Pts2Pxl[level];
  return ppp > 0.0 ? ppp : 1.0;
}

// Row of a scaled value: truncated, and held on the plot's top or bottom edge when it
// falls outside (a value that is not a number lies on the bottom edge).
int32_t ClipRow(double y, const Plot& p) {
  if (std::isnan(y) || y >= p.bottom) return p.bottom;
  if (y <= p.top) return p.top;
  return static_cast<int32_t>(y);
}

// Vertical scale s of channel c: -H x scalar, times 0.1 unless full height.
double ChannelScale(const Plot& p, int c) {
  double s = -static_cast<double>(p.height) * Dsp.Chn_Scalar[c];
  return Dsp.Chn_ScaleStat[c] ? s : s * 0.1;
}

void VerticalLine(HDC dc, int32_t x, int32_t y0, int32_t y1) {
  MoveToEx(dc, x, y0, nullptr);
  LineTo(dc, x, y1);
}

// Draws rows[0..count-1] as page points first..first+count-1: a polyline, or a marker
// cross at every point while the point display is on. Points left of the plot or
// right of it are not drawn.
void DrawRows(Plot& p, const float* rows, int32_t first, int32_t count, HPEN pen) {
  if (count < 1) return;
  HGDIOBJ old = SelectObject(p.dc, pen);
  p.line.clear();
  const double span = static_cast<double>(p.right - p.left);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t point = first + i;
    if (point < 0) continue;
    const double dx = point * p.step;
    if (dx > span) break;
    p.line.push_back(POINT{p.left + static_cast<int32_t>(dx), static_cast<int32_t>(rows[i])});
  }
  if (Dsp.Pt_Stat == 1) {
    for (const POINT& pt : p.line) DisplayDrawMarkerCross(p.dc, pt.x, pt.y);
  } else if (p.line.size() >= 2) {
    Polyline(p.dc, p.line.data(), static_cast<int>(p.line.size()));
  }
  SelectObject(p.dc, old);
}

// Scales values in place into plot rows: row = b + s v, clipped.
void ScaleRows(const Plot& p, float* values, int32_t count, double s, double b) {
  for (int32_t i = 0; i < count; ++i) values[i] = static_cast<float>(ClipRow(b + s * values[i], p));
}

// ---- channel traces ----------------------------------------------------------------

// The active channel's page defines the page at every level: the page reader moves a
// page that starts too late (or before the file) back into the file, and the page
// start becomes the first point it returns, so that the traces, the overlays, the
// lines and the readout all start there. The page stays in the channel's rows for
// its trace.
void SettlePageStart(Plot& p) {
  p.activeRead = 0;
  const int16_t c = Win.Active_Chn;
  if (Dsp.Dsp_Ready != 1 || !ValidChannel(c) || Dsp.Chn_DspStat[c] == 0 || !Win.P_DrawAry[c] || p.points < 1) return;
  int32_t first = Win.Page_Start;
  int32_t read = 0;
  if (DisplayViewXAryRead(c, Win.View_Level, &first, p.points, Win.P_DrawAry[c], &read) != 1 || read < 1) return;
  Win.Page_Start = first;
  p.activeRead = read;
}

void DrawChannels(Plot& p, ChannelPage pages[kChannels]) {
  Win.Shown_Count = 0;
  if (!Win.PM_DrawAry || p.points < 1) return;
  const int16_t level = Win.View_Level;
  for (int16_t c = 0; c < kChannels; ++c) {
    pages[c] = ChannelPage{};
    if (Dsp.Chn_DspStat[c] == 0 || !Win.P_DrawAry[c]) continue;
    float* rows = Win.P_DrawAry[c];
    int32_t first = Win.Page_Start;
    int32_t read = 0;
    if (c == Win.Active_Chn && p.activeRead > 0) {
      read = p.activeRead;
    } else {
      if (DisplayViewXAryRead(c, level, &first, p.points, Win.PM_DrawAry, &read) != 1 || read < 1) continue;
      for (int32_t i = 0; i < read; ++i) rows[i] = Win.PM_DrawAry[i];
    }
    Win.Shown_List[Win.Shown_Count++] = c;
    // A page moved back at the end of a shorter file keeps its points at their own
    // columns, so every trace shows the same frequencies.
    const double moved = (static_cast<double>(first) - Win.Page_Start) / PointsPerPixel(level);
    pages[c] = ChannelPage{true, read, static_cast<int32_t>(std::lround(moved))};
    const double s = ChannelScale(p, c);
    ScaleRows(p, rows, read, s, p.bottom + s * Dsp.Chn_Offset[c]);
    DrawRows(p, rows, pages[c].shift, read, ChannelPen(c));
  }
}

// ---- simulation overlays ----------------------------------------------------------

bool ChannelShown(const ChannelPage pages[kChannels], int c) { return ValidChannel(c) && pages[c].shown; }

// Scale and offset of a set's trace: its linked channel's, or 0.1 x (-H) (-H while
// its HITRAN dialog is open) on the bottom edge.
void SetScale(const Plot& p, int set, double* s, double* b) {
  const int c = Sim.Dsp_Cnl[set];
  if (ValidChannel(c)) {
    *s = ChannelScale(p, c);
    *b = p.bottom + *s * Dsp.Chn_Offset[c];
  } else {
    *s = (Sim.HT_Ary_Stat[set] == 1 ? 1.0 : 0.1) * -static_cast<double>(p.height);
    *b = p.bottom;
  }
}

bool ResidualShown(int set) { return Sim.Dlg_Req[SIM_DLG_RESIDUAL][set] == 1; }

// The residual of a drawn set against its channel (the active one for a set with
// none), in rows: sign x (set row - channel row), drawn at scale -(residual scale)
// about the row B - H x residual offset, with the zero line there.
void DrawResidual(Plot& p, int set, float* setRows, const ChannelPage pages[kChannels], double sign) {
  const int c = ValidChannel(Sim.Dsp_Cnl[set]) ? Sim.Dsp_Cnl[set] : Win.Active_Chn;
  if (!ChannelShown(pages, c)) return;
  const ChannelPage& page = pages[c];
  const float* chanRows = Win.P_DrawAry[c];
  const double base = p.bottom - p.height * Sim.Res_Offset[set];
  const double s = -Sim.Res_Scalar[set];
  // Columns where both traces have a point.
  const int32_t from = std::max<int32_t>(0, page.shift);
  const int32_t to = std::min<int32_t>(p.points, page.shift + page.count);
  if (to <= from) return;
  for (int32_t i = from; i < to; ++i) {
    const double r = sign * (static_cast<double>(setRows[i]) - chanRows[i - page.shift]);
    setRows[i] = static_cast<float>(ClipRow(base + s * r, p));
  }
  DrawRows(p, setRows + from, from, to - from, SetPen(set));
  HGDIOBJ old = SelectObject(p.dc, Dsp.hPen_Zero ? Dsp.hPen_Zero : ForegroundPen());
  const int32_t zero = ClipRow(base, p);
  MoveToEx(p.dc, p.left, zero, nullptr);
  LineTo(p.dc, p.right + 1, zero);
  SelectObject(p.dc, old);
}

// First set with the sum flag; sets without lines lose it. 9 when none.
int FirstSumSet() {
  int found = 9;
  for (int set = 0; set < SIM_SETS; ++set) {
    if (Sim.Sum_Stat[set] == 0) continue;
    if (Sim.FI_Lines[set] == 0) {
      Sim.Sum_Stat[set] = 0;
      continue;
    }
    if (found == 9) found = set;
  }
  return found;
}

void DrawSimulations(Plot& p, const ChannelPage pages[kChannels], int sumSet) {
  if (!Win.PM_DrawAry || !Win.PM_DrawAry_Sum || p.points < 1) return;
  if (sumSet != 9)
    for (int32_t i = 0; i < p.points; ++i)
      Win.PM_DrawAry_Sum[i] = static_cast<float>(Sim.Dsp_Scalar[sumSet] * Sim.Dsp_Offset[sumSet]);
  if (!ValidChannel(Win.Active_Chn) || Lsf.Seq_Voigt == 1 || Lsf.Seq_Rdf == 1) return;
  bool summed = false;
  for (int16_t set = 0; set < SIM_SETS; ++set) {
    if (Sim.Dsp_Stat[set] == 0) continue;
    // Simulation rendering: the set's values for this page into PM_DrawAry, its
    // sticks and labels onto the context.
    const int32_t rendered =
        DisplaySimPlot(p.dc, static_cast<int16_t>(p.mode), set, Win.View_Level, Win.Page_Start, p.points, 1, 9, 9);
    if (Sim.Dsp_Stat[set] == 1) Win.Cross_Bracket = 1;
    if (rendered != 1) continue;
    if (Sim.Sum_Stat[set] == 1) {
      for (int32_t i = 0; i < p.points; ++i) Win.PM_DrawAry_Sum[i] += Win.PM_DrawAry[i];
      summed = true;
      continue;
    }
    double s = 0.0, b = 0.0;
    SetScale(p, set, &s, &b);
    ScaleRows(p, Win.PM_DrawAry, p.points, s, b);
    DrawRows(p, Win.PM_DrawAry, 0, p.points, SetPen(set));
    const int c = Sim.Dsp_Cnl[set];
    if (ResidualShown(set) && (!ValidChannel(c) || ChannelShown(pages, c)))
      DrawResidual(p, set, Win.PM_DrawAry, pages, 1.0);
  }
  if (sumSet == 9 || !summed) return;
  double s = 0.0, b = 0.0;
  SetScale(p, sumSet, &s, &b);
  ScaleRows(p, Win.PM_DrawAry_Sum, p.points, s, b);
  DrawRows(p, Win.PM_DrawAry_Sum, 0, p.points, SetPen(sumSet));
  const int c = Sim.Dsp_Cnl[sumSet];
  if (ResidualShown(sumSet) && (!ValidChannel(c) || ChannelShown(pages, c)))
    DrawResidual(p, sumSet, Win.PM_DrawAry_Sum, pages, -1.0);
}

// ---- residual statistics --------------------------------------------------------------

// Switches a set's residual statistics and file off after a failure, so that the
// failure is reported once and not again on every paint.
void ResidualStatisticsOff(int set) {
  Sim.Res_1st[set] = 0;
  Sim.Res_2nd[set] = 0;
  Sim.Res_Written[set] = 0;
}

// The residual work arrays (measured page, summed page), made once and kept.
bool ResidualWorkArrays() {
  if (Win.Res_DrawAry) return true;
  return !QvAllocFailed(FAlloc1Dim(&Win.Res_DrawAry, 2 * WIN_DRAW_PTS));
}

// Simulated values of a run of raw points in the channel's units: the set alone, or
// for a summed set the sum of every plotted summed set. false when rendering failed.
bool SimulatedPage(HDC dc, int set, int sumSet, int c, int32_t first, int32_t count, float* sum) {
  const bool summedSet = Sim.Sum_Stat[set] == 1;
  const float* values = Win.PM_DrawAry;
  if (summedSet) {
    for (int32_t i = 0; i < count; ++i) sum[i] = static_cast<float>(Sim.Dsp_Scalar[sumSet] * Sim.Dsp_Offset[sumSet]);
    for (int16_t other = 0; other < SIM_SETS; ++other) {
      if (Sim.Sum_Stat[other] != 1 || Sim.Dsp_Stat[other] == 0) continue;
      if (DisplaySimPlot(dc, 0, other, WIN_RAW, first, count, 1, 9, 9) != 1) return false;
      for (int32_t i = 0; i < count; ++i) sum[i] += Win.PM_DrawAry[i];
    }
    values = sum;
  } else if (DisplaySimPlot(dc, 0, static_cast<int16_t>(set), WIN_RAW, first, count, 1, 9, 9) != 1) {
    return false;
  }
  float* out = summedSet ? sum : Win.PM_DrawAry;
  const int linked = Sim.Dsp_Cnl[set];
  if (ValidChannel(linked) || Dsp.Chn_Scalar[c] == 0.0) {
    if (out != values)
      for (int32_t i = 0; i < count; ++i) out[i] = values[i];
    return true;
  }
  // An unlinked set is drawn at 0.1 x (-H) on the bottom edge: the same rows in the
  // channel's scaling.
  const double k = (1.0 / Dsp.Chn_Scalar[c]) * (Dsp.Chn_ScaleStat[c] ? 0.1 : 1.0);
  for (int32_t i = 0; i < count; ++i) out[i] = static_cast<float>(values[i] * k - Dsp.Chn_Offset[c]);
  return true;
}

void ResidualStatistics(HDC dc, const ChannelPage pages[kChannels], int sumSet) {
  bool firstSummedDone = false;
  for (int set = 0; set < SIM_SETS; ++set) {
    if (!ResidualShown(set)) continue;
    const int linked = Sim.Dsp_Cnl[set];
    if (ValidChannel(linked) && !ChannelShown(pages, linked)) continue;
    if (Sim.Res_1st[set] == 0 && Sim.Res_2nd[set] == 0 && Sim.Res_Written[set] == 0) continue;
    if (Sim.Sum_Stat[set] == 1) {
      if (firstSummedDone || sumSet == 9) continue;
      firstSummedDone = true;
    }
    const int c = ValidChannel(linked) ? linked : Win.Active_Chn;
    if (!ValidChannel(c)) continue;
    const int64_t total = Dsp.FL_SZ[WIN_RAW][c];
    if (total < 1) continue;
    int64_t lo = 0, hi = total - 1;
    // The cursor pair limits the range once an interval is set (both 0: none).
    if (Cnv.Lim_Stat[0] == 1 && (Win.Pt_Lim[0][0] != 0 || Win.Pt_Lim[0][1] != 0)) {
      if (Win.Pt_Lim[0][0] >= 0 && Win.Pt_Lim[0][0] < total) lo = Win.Pt_Lim[0][0];
      if (Win.Pt_Lim[0][1] >= 0 && Win.Pt_Lim[0][1] < total) hi = Win.Pt_Lim[0][1];
      if (lo > hi) std::swap(lo, hi);
    }

    FILE* resFile = nullptr;
    if (Sim.Res_Written[set] == 1) {
      const std::string path = platform::MapPath(DisplayDataPath(Sim.Res_Flnm).c_str());
      resFile = std::fopen(path.c_str(), "wb");
      if (!resFile) {
        Sim.Res_Written[set] = 0;
        char text[700];
        StrFormat(text, "[%s] SIM [%s] - FAILED TO OPEN BINARY FILE [%s] FOR WRITING!\n\nCONTINUING",
                  Sim.Set_Lbl[set], Sim.Sim_Flnm[set], Sim.Res_Flnm);
        MessageBox(Win.hWnd_Main, text, "Warning", MB_SYSTEMMODAL | MB_ICONWARNING);
      }
    }
    if (!ResidualWorkArrays()) {
      if (resFile) std::fclose(resFile);
      ResidualStatisticsOff(set);
      MessageBox(Win.hWnd_Main, "PaintParentWindowPaper()/diff_dary\n\nCORE ALLOCATION ERROR", "Error",
                 MB_SYSTEMMODAL | MB_ICONERROR);
      continue;
    }
    float* measured = Win.Res_DrawAry;
    float* sum = Win.Res_DrawAry + WIN_DRAW_PTS;

    // One pass over the range: sum, plain sum of squares, and the squared deviations
    // from the running mean of the points that were not rejected.
    const int32_t width = std::max<int32_t>(1, std::min<int32_t>(Win.Page_Width, WIN_DRAW_PTS));
    int64_t points = 0, rejected = 0, kept = 0;
    double total1 = 0.0, squares = 0.0, mean = 0.0, m2 = 0.0;
    bool complete = true;
    bool fileOk = resFile != nullptr;
    for (int64_t start = lo; start <= hi; start += width) {
      const int32_t want = static_cast<int32_t>(std::min<int64_t>(width, hi - start + 1));
      int32_t first = static_cast<int32_t>(start);
      int32_t read = 0;
      if (DisplayViewXAryRead(static_cast<int16_t>(c), WIN_RAW, &first, want, measured, &read) != 1 || read < 1 ||
          first != start || !SimulatedPage(dc, set, sumSet, c, first, read, sum)) {
        complete = false;
        break;
      }
      float* sim = Sim.Sum_Stat[set] == 1 ? sum : Win.PM_DrawAry;
      for (int32_t i = 0; i < read; ++i) {
        double r = 0.0;
        if (measured[i] == 0.0f) {
          ++rejected;
        } else {
          r = static_cast<double>(sim[i]) - measured[i];
          ++kept;
          const double delta = r - mean;
          mean += delta / static_cast<double>(kept);
          m2 += delta * (r - mean);
        }
        total1 += r;
        squares += r * r;
        measured[i] = static_cast<float>(r);
      }
      points += read;
      if (fileOk && std::fwrite(measured, sizeof(float), static_cast<size_t>(read), resFile) != static_cast<size_t>(read))
        fileOk = false;
    }
    if (resFile) {
      if (std::fclose(resFile) != 0) fileOk = false;
      Sim.Res_Written[set] = 0;
      if (!fileOk) {
        char text[700];
        StrFormat(text, "[%s] SIM [%s] - FAILED TO WRITE BINARY FILE [%s]!\n\nCONTINUING", Sim.Set_Lbl[set],
                  Sim.Sim_Flnm[set], Sim.Res_Flnm);
        MessageBox(Win.hWnd_Main, text, "Warning", MB_SYSTEMMODAL | MB_ICONWARNING);
      }
    }
    if (!complete) {
      // Rendering or reading failed: reported by the reader, and not tried again on
      // every paint.
      ResidualStatisticsOff(set);
      continue;
    }
    const int64_t used = points - rejected;
    if (used <= 0) {
      Sim.Res_AveVal[set] = 0.0;
      Sim.Res_RmsVal[set] = 0.0;
    } else {
      if (Sim.Res_1st[set] == 1) Sim.Res_AveVal[set] = Sim.Res_Ave[set] == 1 ? total1 / used : total1;
      if (Sim.Res_2nd[set] == 1)
        Sim.Res_RmsVal[set] = Sim.Res_Rms[set] == 1 ? std::sqrt(std::fabs(m2 / used)) : squares;
    }
    char text[100];
    StrFormat(text, "ZERO POINTS REJECTED IN MOMENT CALC=[%" PRId64 "]", rejected);
    MainStatus(3, text);
    HWND dialog = Sim.Dlg_Hwnd[SIM_DLG_RESIDUAL][set];
    if (dialog && IsWindow(dialog)) SendMessage(dialog, WM_INITDIALOG, 0, 0);
  }
}

// ---- marker and cursor lines ---------------------------------------------------------

struct ShownRange {
  double first = 0.0;
  double end = 0.0;  // first point after the page
  double ppp = 1.0;
  bool Inside(double point) const { return point >= first && point < end; }
  int32_t Column(double point) const { return static_cast<int32_t>((point - first) / ppp); }
};

// Marker mode 1: each line of the marker file gives a position and a value; the line
// at the position rises from the bottom edge to the value in the active channel's
// scaling.
void DrawMarkerValueLines(Plot& p, const ShownRange& range) {
  // One marker a line of the file, read from its first 499 characters.
  core_io::LineIn file(499);
  if (!file.Open(DisplayDataPath(Cnl.Mks_Flnm).c_str())) return;
  const int c = Win.Active_Chn;
  const double s = ValidChannel(c) ? ChannelScale(p, c) : 0.0;
  const double b = ValidChannel(c) ? p.bottom + s * Dsp.Chn_Offset[c] : p.bottom;
  std::string line;
  while (file.Next(line)) {
    double value = 0.0, other = 0.0;
    int32_t position = 0;
    if (std::sscanf(line.c_str(), "%*f%*f%*f%lf%" SCNd32 "%lf", &value, &position, &other) != 3) continue;
    if (std::sscanf(line.c_str(), "%*f%*f%*f%*f%lf%" SCNd32, &value, &position) < 2) {
      MainStatus(2, StrPrintf("BAD STR [%s] IN [%s]", line.c_str(), Cnl.Mks_Flnm).c_str());
      continue;
    }
    if (range.Inside(position)) VerticalLine(p.dc, p.left + range.Column(position), p.bottom, ClipRow(b + s * value, p));
  }
}

void DrawMarkerLines(Plot& p) {
  ShownRange range;
  range.ppp = PointsPerPixel(Win.View_Level);
  range.first = Win.Page_Start;
  range.end = Win.Page_Start + static_cast<double>(Win.Page_Width) * range.ppp;

  if (Win.View_Level != 0 && Win.Pt_Lim[0][0] == 1) {
    HGDIOBJ old = SelectObject(p.dc, PenOrBlack(Dsp.Pen[9]));
    if (Cnl.Mks_Mode == 0) {
      if (Cnl.Mks_Pos)
        for (uint32_t j = 1; j <= Cnl.Mks_Cnt; ++j)
          if (range.Inside(Cnl.Mks_Pos[j])) VerticalLine(p.dc, p.left + range.Column(Cnl.Mks_Pos[j]), p.top, p.bottom + 1);
    } else {
      DrawMarkerValueLines(p, range);
    }
    SelectObject(p.dc, old);
  }

  if (Win.Pt_Lim[0][1] == 1) {
    core_io::LineIn file(499);
    if (file.Open(DisplayDataPath(Cnl.MksRepeat_Flnm).c_str())) {
      HGDIOBJ old = SelectObject(p.dc, PenOrBlack(Dsp.Pen[2]));
      std::string line;
      while (file.Next(line)) {
        int32_t position = 0;
        if (std::sscanf(line.c_str(), "%" SCNd32, &position) != 1) continue;
        if (position >= range.end) break;
        if (range.Inside(position)) VerticalLine(p.dc, p.left + range.Column(position), p.top, p.bottom + 1);
      }
      SelectObject(p.dc, old);
    }
  }

  if (Win.Pt_Lim[0][0] != 0 || Win.Pt_Lim[0][1] != 0) {
    HGDIOBJ old = SelectObject(p.dc, PenOrBlack(Dsp.Pen[3]));
    for (int32_t cursor : Win.Pt_Lim[0])
      if (range.Inside(cursor))
        VerticalLine(p.dc, p.left + DisplayPointToPixel(Win.View_Level, cursor), p.top, p.bottom + 1);
    SelectObject(p.dc, old);
  }
}

// ---- the paint ---------------------------------------------------------------------

// Steps shared by the screen and the printer page: traces, simulations, statistics
// and lines.
void PaintData(Plot& p) {
  if (Dsp.Dsp_Ready != 1) return;
  ChannelPage pages[kChannels];
  DrawChannels(p, pages);
  const int sumSet = FirstSumSet();
  DrawSimulations(p, pages, sumSet);
  if (p.mode != 2) return;
  if (ValidChannel(Win.Active_Chn)) ResidualStatistics(p.dc, pages, sumSet);
  DrawMarkerLines(p);
}

// Refreshes the open modeless dialogs through their creators, which give back
// whether each stays open: the simulation sets' per-set dialogs, then the display's.
void RefreshDialogs() {
  if (DisplayHooks.simDialogsRefresh) DisplayHooks.simDialogsRefresh();
  HWND main = Win.hWnd_Main;
  auto refresh = [main](uint32_t& request, int16_t set, uint32_t (*creator)(int16_t, uint32_t, HWND)) {
    if (request == 1) request = creator(set, 1, main);
  };
  for (int16_t c = 0; c <= 8; ++c) refresh(Trans.Trans_Dlg_Wanted[c], c, FftTransformDialogCreate);
  if (Sim.Ctl_Shown == 1 && Sim.Ctl_Hwnd && IsWindow(Sim.Ctl_Hwnd)) SendMessage(Sim.Ctl_Hwnd, WM_INITDIALOG, 0, 0);
  if (Dsp.SclOfs_Shown == 1 && Dsp.SclOfs_Hwnd && IsWindow(Dsp.SclOfs_Hwnd))
    SendMessage(Dsp.SclOfs_Hwnd, WM_INITDIALOG, 0, 0);
  if (Win.CurInfo_Shown == 1 && Win.CurInfo_Hwnd && IsWindow(Win.CurInfo_Hwnd))
    SendMessage(Win.CurInfo_Hwnd, WM_INITDIALOG, 0, 0);
  Sim.Sel_Changed = 0;
  Sim.Redraw = 0;  // else every later paint would refresh the rows and drop an edit being typed
}

int32_t WindowHeight(HWND window) {
  RECT rect;
  if (!window || !GetWindowRect(window, &rect)) return 0;
  return rect.bottom - rect.top;
}

// The back buffer kept between paints: a memory context with a bitmap of the client
// size, made anew only when that size changes.
HDC BackBuffer(int32_t width, int32_t height) {
  width = std::max(1, width);
  height = std::max(1, height);
  if (Win.Paint_MemDC && Win.Paint_Bitmap && Win.Paint_BufW == width && Win.Paint_BufH == height)
    return Win.Paint_MemDC;
  DisplayPaintBuffersFree();
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = memory ? CreateCompatibleBitmap(memory, width, height) : nullptr;
  HGDIOBJ old = bitmap ? SelectObject(memory, bitmap) : nullptr;
  if (!old) {
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    return nullptr;
  }
  Win.Paint_MemDC = memory;
  Win.Paint_Bitmap = bitmap;
  Win.Paint_OldBitmap = old;
  Win.Paint_BufW = width;
  Win.Paint_BufH = height;
  return memory;
}

// Everything a screen paint holds, released on every way out: the paint itself, the
// context handles of the record and the busy flag. The back buffer stays.
class ScreenPaint {
 public:
  explicit ScreenPaint(HWND window) : window_(window) { Win.Paint_Busy = 1; }
  ~ScreenPaint() {
    End();
    Win.Paint_Busy = 0;
  }
  ScreenPaint(const ScreenPaint&) = delete;
  ScreenPaint& operator=(const ScreenPaint&) = delete;

  bool Begin(int32_t width, int32_t height) {
    paintDC_ = BeginPaint(window_, &paint_);
    if (!paintDC_) return false;
    Win.hDC_Main = paintDC_;
    memory_ = BackBuffer(width, height);
    if (!memory_) return false;
    width_ = width;
    height_ = height;
    Win.hDC_Mem = memory_;
    return true;
  }
  void Copy() const { BitBlt(paintDC_, 0, 0, width_, height_, memory_, 0, 0, SRCCOPY); }
  // The paint ends here (the window is validated); the dialogs refresh afterwards.
  void End() {
    memory_ = nullptr;
    Win.hDC_Mem = nullptr;
    Win.hDC_Main = nullptr;
    if (paintDC_) EndPaint(window_, &paint_);
    paintDC_ = nullptr;
  }
  HDC Memory() const { return memory_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_;
  HDC paintDC_ = nullptr;
  HDC memory_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// Clears the kept back buffer to what a new bitmap holds (unless the background
// brush covers all of it anyway) and fills the client area with the background.
void FillBackground(HDC dc, const RECT& area) {
  HBRUSH brush = Dsp.Brush[ColorRow(Win.Bg_Brush_Idx)];
  const bool covers = area.left <= 0 && area.top <= 0 && area.right >= Win.Paint_BufW && area.bottom >= Win.Paint_BufH;
  if (!covers || (brush && !platform::BrushPaints(brush))) platform::ClearToNewBitmap(dc);
  if (brush) {
    FillRect(dc, &area, brush);
    return;
  }
  brush = CreateSolidBrush(Dsp.Bkg_Stat == 1 ? RGB(255, 255, 255) : RGB(0, 0, 0));
  FillRect(dc, &area, brush);
  DeleteObject(brush);
}

int32_t PaintScreen(HWND window, HWND toolbar) {
  if (Win.Paint_Busy == 1) {
    // A paint arriving inside a paint (through a message loop of the start-up or of
    // a dialog): the running paint draws everything, so this one only validates.
    ValidateRect(window, nullptr);
    return 1;
  }
  ScreenPaint paint(window);

  // Step 1: a new current set refreshes the simulation control dialog.
  if (Sim.Cur_Set != Win.Paint_SimSet && Sim.Ctl_Shown == 1 && Sim.Ctl_Hwnd && IsWindow(Sim.Ctl_Hwnd))
    SendMessage(Sim.Ctl_Hwnd, WM_INITDIALOG, 0, 0);
  Win.Paint_SimSet = Sim.Cur_Set;

  // Step 2: geometry.
  RECT client{};
  GetClientRect(window, &client);
  const int32_t clientW = client.right - client.left;
  const int32_t clientH = client.bottom - client.top;
  Win.Plot_Y0 = WindowHeight(toolbar) + 3;
  RECT plotRect = client;
  plotRect.top += Win.Plot_Y0;
  plotRect.bottom -= WindowHeight(Win.hWnd_StatusBar);
  Win.Page_Width = std::max<int32_t>(0, plotRect.right - plotRect.left - 1);
  Win.Page_Height = std::max<int32_t>(0, plotRect.bottom - plotRect.top - 1);
  Win.Page_Pixels = Win.Page_Width;
  Win.Plot_Left = 0;
  Win.Plot_Top = 0;
  Win.Plot_Right = Win.Page_Width;
  Win.Plot_Bottom = Win.Page_Height;

  // Step 3: the paint and its memory image.
  if (!paint.Begin(clientW, clientH)) return 1;
  HDC dc = paint.Memory();
  SetBkMode(dc, TRANSPARENT);
  FillBackground(dc, client);

  // Step 4: the one-time start-up.
  if (Dsp.Init_Done == 0) {
    Dsp.Init_Done = 1;
    if (DisplayHooks.startup && DisplayHooks.startup() != 1) return 0;
    if (toolbar) SendMessage(toolbar, TB_AUTOSIZE, 0, 0);
    paint.Copy();
  }

  Plot p;
  p.dc = dc;
  p.mode = 2;
  p.left = 0;
  p.right = Win.Page_Width;
  p.top = Win.Plot_Y0;
  p.bottom = Win.Plot_Y0 + Win.Page_Height;
  p.height = Win.Page_Height;
  p.points = std::min<int32_t>(Win.Page_Width, WIN_DRAW_PTS);
  p.step = Dsp.Hor_Scale;
  p.line.swap(Win.Paint_Line);  // the work storage of earlier paints
  p.line.reserve(static_cast<size_t>(std::max<int32_t>(p.points, 2)));
  SettlePageStart(p);

  // Step 5: crosshair and readout.
  if (ValidChannel(Win.Active_Chn)) DisplayCursorReadout(window, Win.Cursor_X, Win.Cursor_Y);

  PaintData(p);
  p.line.swap(Win.Paint_Line);

  // Step 13: copy and release; step 14: the dialogs.
  paint.Copy();
  paint.End();
  RefreshDialogs();
  return 1;
}

int32_t PaintPrinter(HDC dc) {
  if (!dc) return 0;
  const int32_t v = GetDeviceCaps(dc, VERTRES);
  const int32_t r = GetDeviceCaps(dc, HORZRES);
  Plot p;
  p.dc = dc;
  p.mode = 3;
  p.top = v / 10;
  p.bottom = 9 * v / 10;
  p.left = static_cast<int32_t>(0.05 * r);
  p.right = static_cast<int32_t>(0.95 * r);
  p.height = p.bottom - p.top;
  p.points = std::min<int32_t>(Win.Page_Width, WIN_DRAW_PTS);
  // The renderer maps the sets' sticks and labels onto this rectangle.
  Win.Prt_Left = p.left;
  Win.Prt_Width = p.right - p.left;
  Win.Prt_Height = p.height;
  Win.Prt_Bottom = p.bottom;
  const int32_t pagePixels = Win.Page_Pixels;
  const double pixels = pagePixels > 0 ? pagePixels : 1.0;
  p.step = Dsp.Hor_Scale * (p.right - p.left) / pixels;
  p.line.reserve(static_cast<size_t>(std::max<int32_t>(p.points, 2)));

  HGDIOBJ old = SelectObject(dc, ForegroundPen());
  const POINT frame[5] = {{p.left, p.top}, {p.right, p.top}, {p.right, p.bottom}, {p.left, p.bottom}, {p.left, p.top}};
  Polyline(dc, frame, 5);
  SelectObject(dc, old);
  SettlePageStart(p);
  PaintData(p);
  return 1;
}

void DrawCrosshair(HDC dc, int32_t x, int32_t y, bool bracket) {
  if (!dc) return;
  const int32_t w = Win.Cursor_HalfWidth;
  HGDIOBJ old = SelectObject(dc, ForegroundPen());
  MoveToEx(dc, x - w, y, nullptr);
  LineTo(dc, x + w, y);
  VerticalLine(dc, x, y - 10, y + 10);
  if (bracket) {
    VerticalLine(dc, x - w, y + w, y - w);
    VerticalLine(dc, x + w, y + w, y - w);
  }
  SelectObject(dc, old);
}

}  // namespace

void DisplayPaintBuffersFree() {
  if (Win.Paint_MemDC) {
    if (Win.Paint_OldBitmap) SelectObject(Win.Paint_MemDC, Win.Paint_OldBitmap);
    DeleteDC(Win.Paint_MemDC);
  }
  if (Win.Paint_Bitmap) DeleteObject(Win.Paint_Bitmap);
  Win.Paint_MemDC = nullptr;
  Win.Paint_Bitmap = nullptr;
  Win.Paint_OldBitmap = nullptr;
  Win.Paint_BufW = 0;
  Win.Paint_BufH = 0;
  std::vector<POINT>().swap(Win.Paint_Line);
}

int32_t PaintParentWindowPaper(int32_t mode, HWND window, HWND toolbar, HDC printerDC) {
  if (mode == 2) return PaintScreen(window, toolbar);
  if (mode == 3) return PaintPrinter(printerDC);
  return 0;
}

bool DisplayPaintReadoutText(int32_t x, int32_t y, char* text, size_t size) {
  if (size == 0) return false;
  text[0] = '\0';
  const int16_t c = Win.Active_Chn;
  if (!ValidChannel(c)) return false;
  const int32_t n = static_cast<int32_t>(std::min<uint32_t>(Dsp.FL_SZ[WIN_RAW][c], 2147483647u));
  const double xe = DisplayFreqUnitConvert(DisplayPixelToFreqAt(WIN_RAW, Win.Page_Start, n), -Win.Rel_Freq);
  const double xf = DisplayFreqUnitConvert(DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, x), -Win.Rel_Freq);
  const int unit = Dsp.Units_Idx >= 0 && Dsp.Units_Idx <= 2 ? Dsp.Units_Idx : 0;
  if (std::fabs(xe) >= 10.0)
    StrFormat(text, size, "[%d] X(%s) %-15.4lf ", c, Dsp.Units_ReadoutTbl[unit], xf);
  else
    StrFormat(text, size, "[%d] X(%s) %-15.4le ", c, Dsp.Units_ReadoutTbl[unit], xf);
  double value = 0.0;
  if (DisplayValueAtRow(c, y, &value)) {
    const double magnitude = std::fabs(value);
    if (magnitude >= 1.0 && magnitude <= 1.0e6)
      StrAppendFormat(text, size, " Y %-10.4lf", value);
    else
      StrAppendFormat(text, size, " Y %-10.4lg", value);
  }
  StrAppendFormat(text, size, " Pt %6d", DisplayPixelToPoint(Win.View_Level, x));
  if (Win.Rel_On == 1) StrAppend(text, size, "(REL)");
  return true;
}

void DisplayCursorReadout(HWND, int32_t x, int32_t y) {
  DisplayDrawParentCrosshair(x, y);
  auto row = [](int16_t index, int rows) { return index >= 0 && index < rows ? index : 0; };
  if (Dsp.Units_Idx != Dsp.Units_IdxData || Dsp.Harm_Idx != Dsp.Harm_IdxData) {
    char units[200];
    StrFormat(units, "%s x %s -> %s x %s", Dsp.Units_Tbl[row(Dsp.Units_IdxData, 3)],
              Dsp.Harm_Tbl[row(Dsp.Harm_IdxData, 4)], Dsp.Units_Tbl[row(Dsp.Units_Idx, 3)],
              Dsp.Harm_Tbl[row(Dsp.Harm_Idx, 4)]);
    MainStatus(2, units);
  }
  char text[300];
  if (DisplayPaintReadoutText(x, y, text, sizeof text)) MainStatus(1, text);

  const int16_t v = Win.View_Level;
  double lo = DisplayPixelToFreqAt(v, Win.Page_Start, x - Win.Cursor_HalfWidth);
  double hi = DisplayPixelToFreqAt(v, Win.Page_Start, x + Win.Cursor_HalfWidth);
  if (lo > hi) std::swap(lo, hi);
  Win.Cursor_Freq_Lo = lo;
  Win.Cursor_Freq_Hi = hi;
  Win.Cursor_Freq_Dif = hi - lo;
  Win.Cursor_Freq_Ave = 0.5 * (lo + hi);

  // A set whose reference follows the cursor keeps the cursor frequency measured from
  // its base frequency, as the reference key sets it.
  const double cursor = DisplayPixelToFreqAt(v, Win.Page_Start, x);
  for (int set = 0; set < SIM_SETS; ++set)
    if (Sim.Dsp_Stat[set] != 0 && Sim.Shift_Stat[set] == 1) Sim.Frq_ShiftRef[set] = cursor - Sim.Frq_Shift[set];
}

void DisplayDrawMarkerCross(HDC dc, int32_t x, int32_t y) {
  if (!dc) return;
  const int32_t n = Dsp.Mk_Size;
  const int32_t e = n == 1 ? 1 : 0;
  HGDIOBJ old = SelectObject(dc, ForegroundPen());
  MoveToEx(dc, x + n, y - n, nullptr);
  LineTo(dc, x - n - e, y + n + e);
  MoveToEx(dc, x - n, y - n, nullptr);
  LineTo(dc, x + n + e, y + n + e);
  SelectObject(dc, old);
}

void DisplayDrawParentCrosshair(int32_t x, int32_t y) { DrawCrosshair(Win.hDC_Mem, x, y, Win.Cross_Bracket == 1); }

void DisplayDrawChildCrosshair(int32_t x, int32_t y, int16_t chn, int16_t kind) {
  if (chn < 0 || chn >= CNL_CHN || kind < 0 || kind >= CNL_KINDS) return;
  DrawCrosshair(Cnl.hDC_Mem[chn][kind], x, y, false);
}

int32_t DisplayInitialize() {
  if (Win.DspInit_Done == 0) {
    Win.DspInit_Done = 1;
    Win.Cursor_X = Win.Page_Width / 2;
    Win.Cursor_Y = Win.Page_Height / 2;
    Win.FFT_Smooth_On = 0;
    Win.Page_Start = 0;
  }
  DisplayFileDateCheck(0, nullptr);
  Win.Active_Chn = 9;
  Win.Shown_Count = 0;
  for (int16_t c = 0; c < kChannels; ++c) {
    if (Dsp.Chn_DspStat[c] == 0) continue;
    Win.Shown_List[Win.Shown_Count++] = c;
    Win.Active_Chn = c;
  }
  return 1;
}
