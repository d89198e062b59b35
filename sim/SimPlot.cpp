// SimFIPlot: the contract, the per-call preparation, the mapping to device
// coordinates and the line selection. The per-line work is in SimPlotLines.cpp, the
// baselines, QN list and markers in SimPlotOverlay.cpp.
#include "sim/SimPlot.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/DebugLog.h"
#include "core/Coords.h"
#include "platform/kernel/Text.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Cnl.h"
#include "records/Locks.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "lineshape/LineShape.h"
#include "lineshape/SimInternal.h"
#include "sim/SimPlotInternal.h"

namespace sim {

namespace {

// Frequency of view point `point` on the set's channel scale.
double PointFreq(const PlotCall& c, int32_t point) {
  const double f = DisplayPixelToFreq(c.view, point);
  return c.scale == 1.0 ? f : Dsp.Init_Frq + (f - Dsp.Init_Frq) * c.scale;
}

}  // namespace

double RunFreq(const PlotCall& c, int32_t i) { return PointFreq(c, static_cast<int32_t>(c.first + i * c.p)); }

int32_t RunPoint(const PlotCall& c, double f) { return DisplayFreqToPixelOn(c.view, c.scaleChn, c.first, f); }

double RunColumnFreq(const PlotCall& c, int32_t point) {
  return DisplayPixelToFreqOn(c.view, c.scaleChn, c.first, point);
}

int32_t DeviceCoord(double v) {
  constexpr double kLimit = 1073741824.0;  // 2^30
  if (!(v == v)) return 0;
  return static_cast<int32_t>(std::clamp(v, -kLimit, kLimit));
}

LabelRows Rows(const PlotCall& c, int32_t point, double f, double H, double nrm) {
  const int16_t set = c.set;
  const double slp = Sim.Dsp_Slope[set] != 0.0 ? (f - Sim.Dsp_Intercept[set]) * Sim.Dsp_Slope[set] : 0.0;
  LabelRows r;
  r.x = DeviceCoord(point * c.MX + c.BX);
  r.top = DeviceCoord((H * nrm + c.OFS + slp) * c.MY + c.BY);
  r.base = DeviceCoord((c.OFS + slp) * c.MY + c.BY);
  return r;
}

}  // namespace sim

namespace {

using sim::PlotCall;

bool ChannelValid(int c) { return c >= 0 && c <= 8; }

// Step 2: the channel holding the power-normalisation file, or the switch goes off.
void PowerNormalisationCheck(PlotCall& c) {
  const int16_t set = c.set;
  if (Sim.PowNrm_Stat[set] != 1) return;
  for (int16_t ch = 0; ch < 9; ++ch)
    if (std::strcmp(Dsp.Chn_Flnm[ch], Sim.Norm_Flnm[0]) == 0 && Dsp.FL_SZ[WIN_RAW][ch] > 0) {
      c.powChn = ch;
      return;
    }
  Sim.PowNrm_Stat[set] = 0;
  char text[400];
  StrFormat(text, "[%d] NRM OF ITN OFF\n\nPOWER NRM FILE [%s] NOT FOUND | ZERO LENGTH\n\nDEFINE AS AN EXPT CHN", set,
            Sim.Norm_Flnm[0]);
  sim::Warning(text);
}

// Step 3: text metrics, text colour and the set's pen.
void DrawingSetUp(PlotCall& c) {
  const int16_t row = std::clamp<int16_t>(Sim.COLOR_NO[c.set], 0, SIM_COLORS - 1);
  if (c.draw) {
    TEXTMETRIC tm;
    if (GetTextMetrics(c.dc, &tm)) {
      c.charH = tm.tmHeight;
      c.charW = tm.tmAveCharWidth;
    }
    c.oldText = SetTextColor(c.dc, RGB(Sim.RGB[row][0], Sim.RGB[row][1], Sim.RGB[row][2]));
    if (Sim.Pen[row]) c.oldPen = SelectObject(c.dc, Sim.Pen[row]);
  }
  if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER))
    DebugPrintf("   SET=%hd SIM.COLOR_NO=%hd SIM.RGB[][0,1,2]=%hd %hd %hd IDVWIDTH_STAT=%u\n", c.set, row,
                Sim.RGB[row][0], Sim.RGB[row][1], Sim.RGB[row][2], Sim.IDVWIDTH_STAT[c.set]);
}

// The shared profile's area and peak are every line's factors when the lines have no
// widths of their own.
void SharedFactors(int16_t set) {
  float** rows = Sim.FI_AreaPeak_FAry[set];
  if (!rows) return;
  std::fill(rows[0], rows[0] + Sim.FI_Lines[set], Sim.LS_Area[set]);
  std::fill(rows[1], rows[1] + Sim.FI_Lines[set], Sim.LS_Peak[set]);
}

// The set's and view's search margin: the points on each side of the run within which
// a line's profile can reach it, shown when it is new.
void SetSearchPoints(int16_t set, int16_t view, double margin) {
  if (!(margin < 2e9)) margin = 2e9;
  int32_t& search = Sim.LS_SearchPts[set][view];
  search = static_cast<int32_t>(margin);
  if (search != Sim.LS_SearchPtsShown[set][view]) {
    char text[100];
    StrFormat(text, "[%s] PLOT [%d] SEARCH PTS=[%d]", Sim.Set_Lbl[set], view, search);
    sim::StatusText(0, text);
    Sim.LS_SearchPtsShown[set][view] = search;
  }
}

// The longest profile any line of the set takes at the view when each line has widths
// of its own (individual widths, or a HITRAN line's from the gas sample) and the
// profiles are as long as the widths ask: a line outside the run adds its wing to the
// run's first or last points as far as its own profile reaches. Lines whose profile
// is too long to build are never drawn and do not count.
int32_t LongestLineProfile(const PlotCall& c) {
  const int16_t set = c.set, view = c.view;
  const uint32_t lines = Sim.FI_Lines[set];
  const bool hitran = Sim.HT_Global_Stat[set] == 1;
  const float* gau = Sim.FI_Gau_FWHM[set];
  const float* lor = Sim.FI_Lor_FWHM[set];
  if (!hitran && (!gau || !lor)) return 0;
  const double* erg = Sim.FI_Sim_Erg[set];
  const double scale = Sim.Frq_Scale[set], shift = Sim.Frq_Shift[set] + Sim.Frq_Offset[set];
  int32_t longest = 0;
  for (uint32_t u = 0; u < lines; ++u) {
    double G = 0.0, L = 0.0;
    if (hitran) {
      // The widths the HITRAN path gives the line (its frequency with the air shift).
      double f = erg[u] * scale + shift;
      if (Sim.HT_FrqLim_Stat[set] == 1 && f > Sim.HT_FrqLim[set]) continue;
      if (Sim.HT_Air_Delta[set]) f += Sim.HT_Air_Delta[set][u] * Sim.HT_Press[set];
      SimHTLineWidths(set, u, f, &G, &L);
    } else {
      G = gau[u];
      L = lor[u];
    }
    longest = std::max(longest, SimLineShapeHalfPoints(set, view, G, L));
  }
  return longest;
}

// Step 5: the set's line shape. false when a builder failed, or refused a profile too
// long to build (the set is then not drawn, its widths stay).
bool LineShapeSetUp(PlotCall& c) {
  const int16_t set = c.set, view = c.view;
  const bool widthMode = Sim.LS_WidthMode[set] == 1;
  if (Sim.IDVWIDTH_STAT[set] == 0) {
    int32_t built;
    if (Sim.LN_STAT[set] == 1) {
      // FULL LOR and VVWEISS need a line frequency: the shared profile takes line 0's.
      const double nu0 = Sim.FI_Sim_Erg[set][0] * Sim.Frq_Scale[set] + Sim.Frq_Shift[set] + Sim.Frq_Offset[set];
      LineShapeRec rec;
      built = SimLineShapeSetProfiles(set, view, nu0, &rec);
      if (built == 1) {
        Sim.LS_Area[set] = static_cast<float>(rec.Area);
        Sim.LS_Peak[set] = static_cast<float>(rec.Peak);
      }
    } else {
      built = SimLineShapeTemplate(set, Sim.LS_GAU[set], Sim.LS_LOR[set], 0);
      if (built == 1) {
        // The half profiles of an earlier paint may have left their own factors.
        SimLineShapeTemplateFactors(set);
        // A template kept from an earlier call reaches as far as it is long, also after
        // the margin was set back (the control dialog sets it to 100).
        SetSearchPoints(set, view, std::max(Sim.LS_SearchPts[set][view], Sim.LS_SPts[set][view]));
      }
    }
    if (built == 1) SharedFactors(set);
    if (built != 1 && built != LS_TOO_LONG) {
      Sim.LS_GAU[set] = 0.0;
      Sim.LS_LOR[set] = 0.0;
    }
    // The lines of a HITRAN set take their widths from the gas sample all the same.
    if (built == 1 && widthMode && Sim.HT_Global_Stat[set] == 1)
      SetSearchPoints(set, view, std::max(LongestLineProfile(c), 100));
    return built == 1;
  }
  const double step = sim::SetViewStep(set, view);
  if (step == 0.0) return true;
  const double margin = widthMode ? LongestLineProfile(c) : std::trunc(Sim.LS_Span[set] / std::fabs(step) + 0.5);
  SetSearchPoints(set, view, std::max(margin, 100.0));
  return true;
}

// Step 6: the mapping of values and pixels into device coordinates.
void Mapping(PlotCall& c) {
  const int16_t set = c.set;
  const int ch = Sim.Dsp_Cnl[set];
  c.OFS = Sim.Dsp_Scalar[set] * Sim.Dsp_Offset[set];
  auto channelMY = [&](double height) {
    if (!ChannelValid(ch)) return -(Sim.HT_Ary_Stat[set] == 1 ? 1.0 : 0.1) * height;
    return (Dsp.Chn_ScaleStat[ch] == 0 ? -0.1 : -1.0) * height * Dsp.Chn_Scalar[ch];
  };
  if (c.paint == 3) {
    c.MX = Win.Page_Pixels > 0 ? static_cast<double>(Win.Prt_Width) / Win.Page_Pixels : 1.0;
    c.BX = Win.Prt_Left;
    c.MY = channelMY(Win.Prt_Height);
    c.BY = Win.Prt_Bottom + (ChannelValid(ch) ? c.MY * Dsp.Chn_Offset[ch] : 0.0);
    if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER)) DebugLogWrite("   PAINT PAPER DONE\n");
  } else if (!c.dc || c.dc == Win.hDC_Mem || c.dc == Win.hDC_Main) {
    c.MX = 1.0;
    c.BX = 0.0;
    c.MY = channelMY(Win.Page_Height);
    // Plot rows of the main window count from its client top, below the toolbar.
    c.BY = c.paint == 0 ? 0.0
                        : Win.Plot_Y0 + Win.Plot_Bottom + (ChannelValid(ch) ? c.MY * Dsp.Chn_Offset[ch] : 0.0);
    if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER))
      DebugPrintf("   NULL|MEM MY|BY DEF - Y_DATA_SZ = %d MX=%f BX=%f MY=%f BY=%f\n", c.count, c.MX, c.BX, c.MY,
                  c.BY);
  } else {
    const int cc = std::clamp<int>(c.childChn, 0, 9);
    const int kind = std::clamp<int>(c.childView, 0, 2);
    const double range = Cnl.Y_Max[cc][kind][0] - Cnl.Y_Min[cc][kind][0];
    c.MX = 1.0;
    c.BX = 0.0;
    c.MY = range != 0.0 ? -Win.Child_PlotH[cc][kind] / range * Cnl.Y_Factor[cc][kind] : -1.0;
    c.BY = Win.Child_PlotTop[cc][kind] + Win.Child_PlotH[cc][kind] - c.MY * Cnl.Y_Min[cc][kind][0];
    c.OFS = 0.0;
    if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER))
      DebugPrintf("   OTHER MY|BY DEF - MX=%f BX=%f MY=%f BY=%f\n", c.MX, c.BX, c.MY, c.BY);
  }
}

// Step 8: the frequency window of the lines that can reach the run.
void FrequencyWindow(PlotCall& c) {
  const double S = Sim.LS_SearchPts[c.set][c.view];
  const double ppp = Dsp.Pts2Pxl[c.view];
  c.p = ppp != 0.0 ? ppp : 1.0;
  auto at = [&](double point) {
    const double clamped = std::clamp(std::trunc(point), -2147483648.0, 2147483647.0);
    return sim::PointFreq(c, static_cast<int32_t>(clamped));
  };
  c.frqBeg = at(c.first - S * c.p);
  c.frqEnd = at(c.first + (S + c.count) * c.p);
  if (c.frqEnd < c.frqBeg) std::swap(c.frqBeg, c.frqEnd);
  if (Sim.QC_STAT[c.set] == 1) {
    const double width = std::max(Sim.LS_GAU[c.set], Sim.LS_LOR[c.set]);
    c.frqBeg -= Quad.Frq_Widen * width;
    c.frqEnd += Quad.Frq_Widen * width;
  }
}

// The whole call, inside the lock; 1 rendered, 0 failed.
int32_t Render(PlotCall& c) {
  const int16_t set = c.set;
  if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER)) {
    DebugPrintf("   PAINT=[%hd]\n", c.paint);
    DebugPrintf("   FI LINES=[%u]\n", Sim.FI_Lines[set]);
  }
  PowerNormalisationCheck(c);
  DrawingSetUp(c);
  double K = 0.0;
  const bool hitran = Sim.HT_Global_Stat[set] == 1;
  if (hitran) sim::PlotHitranConstants(c, &K);
  const uint32_t lines = Sim.FI_Lines[set] > 0 && Sim.FI_Sim_Erg[set] ? Sim.FI_Lines[set] : 0;
  if (lines > 0 && !LineShapeSetUp(c)) return 0;
  Mapping(c);
  std::fill(c.out, c.out + c.count, 0.0f);
  if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER)) DebugPrintf("   X DATA SZ=%d\n", c.count);
  FrequencyWindow(c);
  if (Sim.QN_Freeze[set] == 0 && (Sim.QN_Request[set] == 1 || Quad.QN_Request[set] == 1)) {
    Sim.FI_QN_BEG[set] = -1;
    Sim.FI_QN_END[set] = -2;
    // The new lists are shown from their first row, where their selection starts.
    Sim.FI_QN_List_Sel[set] = Sim.FI_QN_List_Top[set] = 0;
    Quad.QN_LIST_TOT[set] = 0;
    Quad.QN_LIST_SEL[set] = Quad.QN_List_Top[set] = 0;
  }
  if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER)) {
    DebugPrintf("   DSP STAT=%u MX=%f BX=%f MY=%f BY=%f\n", Sim.Dsp_Stat[set], c.MX, c.BX, c.MY, c.BY);
    DebugPrintf("   FRQ_BEG=%f FRQ_END=%f\n", c.frqBeg, c.frqEnd);
  }

  const double* erg = Sim.FI_Sim_Erg[set];
  const double scale = Sim.Frq_Scale[set], shift = Sim.Frq_Shift[set] + Sim.Frq_Offset[set];
  const bool vib = Sim.Vib_Stat[set] == 1;
  const bool quad = Sim.QC_STAT[set] == 1;
  for (uint32_t u = 0; u < lines; ++u) {
    const int32_t line = static_cast<int32_t>(u);
    const double f = erg[u] * scale + shift;
    if (!(f >= c.frqBeg && f < c.frqEnd) || !sim::JkkFilterPass(set, line)) continue;
    if (Sim.FI_IDX_BEG[set] < 0) Sim.FI_IDX_BEG[set] = line;
    Sim.FI_IDX_END[set] = line;
    if (vib) {
      if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER)) DebugLogWrite("   ENTER VIB ANHARM\n");
      if (c.draw) sim::TrackQnWindow(c, line, f, false);
    } else if (hitran) {
      if (!sim::PlotHitranLine(c, line, f, K)) return 0;
    } else if (!quad) {
      if (!sim::PlotJkkLine(c, line, f)) return 0;
    } else if (!sim::PlotQuadLine(c, line)) {
      return 0;
    }
  }
  if (vib && !sim::PlotVibComponents(c)) return 0;
  if (hitran) sim::PlotHitranAfter(c);
  sim::PlotOverlays(c);
  if (c.draw && sim::PlotQnListAndMarkers(c) == 0) return 0;
  if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER)) DebugPrintf("   FI LINES=[%u]\n", Sim.FI_Lines[set]);
  return 1;
}

}  // namespace

int32_t SimFIPlot(HDC hdc, int16_t paint, int16_t set, int16_t view, int32_t first, int32_t count,
                  int32_t baseline, int16_t childChn, int16_t childView) {
  if (!sim::ValidSet(set)) return 0;
  EnterCriticalSection(&SimPlotLock);
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "SimFIPlot()", DEBUG_ENTER);
  Sim.FI_IDX_BEG[set] = -1;
  Sim.FI_IDX_END[set] = -1;
  int32_t result = 0;
  // The draw array holds WIN_DRAW_PTS values: a longer run is refused before anything
  // is written.
  if (sim::ValidView(view) && count >= 0 && count <= WIN_DRAW_PTS && Win.PM_DrawAry) {
    PlotCall c;
    c.dc = hdc;
    c.paint = paint;
    c.set = set;
    c.view = view;
    c.first = first;
    c.count = count;
    c.baseline = baseline;
    c.childChn = childChn;
    c.childView = childView;
    c.scaleChn = Sim.Dsp_Cnl[set];
    c.scale = DisplayChannelScale(view, c.scaleChn);
    c.draw = paint > 1 && hdc != nullptr;
    c.out = Win.PM_DrawAry;
    result = Render(c);
    if (c.draw) {
      SetTextColor(c.dc, c.oldText);
      if (c.oldPen) SelectObject(c.dc, c.oldPen);
    }
  }
  Sim.Busy_Stat[set] = 0;
  if (result == 1 && Debug.DebugTraceFlag == 1) DebugTrace(1, "SimFIPlot()", DEBUG_EXIT);
  LeaveCriticalSection(&SimPlotLock);
  return result;
}
