// What the renderer does after the lines: the offset, slope, Chebyshev, sine or chirp
// and ring-down overlays of the run, then on a drawing call the quantum-number list
// and the markers of the selected line.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "core/DebugLog.h"
#include "core/TypedArrays.h"
#include "core/Coords.h"
#include "models/quad/Quad.h"
#include "numerics/Derivative.h"
#include "numerics/Sorts.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/Lsf.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "lineshape/SimInternal.h"
#include "sim/SimItn.h"
#include "sim/SimPlotInternal.h"

namespace sim {

bool JkkFilterPass(int16_t set, int32_t line) {
  const int16_t* qn = Sim.FI_Jkk_Lbl[set];
  if (!qn) return true;
  const int16_t* q = qn + 6 * static_cast<int64_t>(line);
  if (Sim.Jkk_Filter[set][0] == 1) {
    const int idx = std::clamp<int>(Sim.Jkk_QNIdx[set], 0, 5);
    if (q[idx] != Sim.Jkk_QNVal[set]) return false;
  }
  if (Sim.Jkk_Filter[set][1] == 1 && q[0] - q[3] != Sim.Jkk_BrVal[set]) return false;
  return true;
}

namespace {

constexpr double kTwoPi = 6.28318530717958647692;

// Chebyshev baseline of the raw view: section s covers the raw points s x seg up to
// (s + 1) x seg (the last one up to Cheb_Pts), as the dialog fitted them; the run
// takes the value of the section its point lies in, 0 outside every section.
void Chebyshev(PlotCall& c) {
  const int16_t set = c.set;
  if (c.view != WIN_RAW || Sim.Cheb_Dsp[set] != 1 || Sim.Cheb_Valid[set] != 1 || !Sim.Cheb_Coef[set] ||
      !Win.Big_DrawAry || Sim.Cheb_Sections[set] < 1)
    return;
  const int32_t sections = Sim.Cheb_Sections[set];
  const int32_t seg = Sim.Cheb_Pts[set] / sections;
  char text[60];
  StrFormat(text, "CHEBY=[%d]", seg);
  StatusText(3, text);
  if (seg < 1) return;
  float* base = Win.Big_DrawAry;
  std::fill(base, base + c.count, 0.0f);
  for (int32_t s = 0; s < sections; ++s) {
    const int64_t a = static_cast<int64_t>(s) * seg;
    const int64_t b = s + 1 == sections ? Sim.Cheb_Pts[set] : a + seg;
    const int64_t from = std::max<int64_t>(a, c.first);
    const int64_t to = std::min<int64_t>(b, static_cast<int64_t>(c.first) + c.count);
    for (int64_t p = from; p < to; ++p)
      base[p - c.first] = static_cast<float>(chebev(static_cast<double>(a), static_cast<double>(b),
                                                    Sim.Cheb_Coef[set][s], Sim.Cheb_Order[set], static_cast<double>(p)));
  }
  for (int32_t i = 0; i < c.count; ++i) c.out[i] -= base[i];
}

void Sine(PlotCall& c) {
  const int16_t set = c.set;
  const double A1 = Sim.Sine_Amp[set][0], A2 = Sim.Sine_Amp[set][1];
  const double P1 = Sim.Sine_Period[set][0], P2 = Sim.Sine_Period[set][1];
  const double ph1 = Sim.Sine_Phase[set][0], ph2 = Sim.Sine_Phase[set][1];
  const double E = Sim.Sine_PerEnd[set], D = Sim.Sine_Damping[set], T = Sim.Sine_ChirpT[set];
  if (c.baseline != 1 || Sim.Sine_Stat[set] != 1 || A1 == 0.0 || P1 == 0.0) return;
  const double o = Sim.Sine_Ofs[set] == 1 ? 1.0 : 0.0;
  const double r = Sim.Sine_Rel[set] == 1 ? ph1 : 0.0;
  const bool noIntercept = Dsp.Init_Frq != 0.0 && Sim.Dsp_Intercept[set] == 0.0;
  if (T != 0.0 && noIntercept) {
    char text[400];
    StrFormat(text, "[%s] SIM [%s] - DEF INTERCEPT FOR VALID X-AXIS RANGE", Sim.Set_Lbl[set], Sim.Sim_Flnm[set]);
    StatusText(3, text);
  }
  const bool chirp = T != 0.0 && !noIntercept;
  for (int32_t i = 0; i < c.count; ++i) {
    const double x = RunFreq(c, i) - Sim.Dsp_Intercept[set];
    double add = 0.0;
    if (!chirp) {
      if (E == 0.0 && D == 0.0) {
        add = A1 * (std::sin(kTwoPi * (x * P1 + ph1)) + o);
        if (A2 != 0.0 && P2 != 0.0) add += A2 * std::sin(kTwoPi * (r + x * P2 + ph2));
      } else if (E == 0.0) {
        add = A1 * std::exp(-std::fabs(x * D)) * std::sin(kTwoPi * (x * P1 + ph1));
      } else {
        const float beat = static_cast<float>(A1) * std::cos(static_cast<float>(kTwoPi * x * E / 2.0)) *
                           std::sin(static_cast<float>(kTwoPi * (x * P1 / 2.0 + ph1)));
        add = beat;
      }
    } else if (x > 0.0 && x <= T) {
      const double phase = x * P1 + (E - P1) * x * x / (2.0 * T) + ph1;
      add = A1 * (std::sin(static_cast<float>(kTwoPi * phase)) + o);
    }
    c.out[i] += static_cast<float>(add);
  }
}

void RingDown(PlotCall& c) {
  const int16_t set = c.set;
  if (Lsf.Rdf_Dsp[set] != 1 || Lsf.Rdf_Valid[set] != 1) return;
  double lo, hi;
  if (Lsf.Rdf_WinSel[set] == 0) {
    lo = Win.Cursor_Freq_Lo;
    hi = Win.Cursor_Freq_Hi;
  } else {
    const int ch = std::clamp<int>(c.childChn, 0, 9), kind = std::clamp<int>(c.childView, 0, 2);
    lo = DisplayPixelToFreq(c.view, Win.Child_CursorLo[ch][kind]);
    hi = DisplayPixelToFreq(c.view, Win.Child_CursorHi[ch][kind]);
  }
  for (int32_t i = 0; i < c.count; ++i) {
    const double f = RunFreq(c, i);
    const double d1 = f - lo, d2 = f - hi;
    if (d1 >= 0.0 && d2 <= 0.0) c.out[i] += static_cast<float>(Lsf.Rdf_A[set] * std::exp(-Lsf.Rdf_K[set] * d1) + Lsf.Rdf_B[set]);
  }
}

}  // namespace

void PlotOverlays(PlotCall& c) {
  const int16_t set = c.set;
  if (Sim.Sum_Stat[set] == 0) {
    const float ofs = static_cast<float>(Sim.Dsp_Scalar[set] * Sim.Dsp_Offset[set]);
    for (int32_t i = 0; i < c.count; ++i) c.out[i] += ofs;
  }
  if (Sim.Dsp_Slope[set] != 0.0)
    for (int32_t i = 0; i < c.count; ++i)
      c.out[i] += static_cast<float>((RunFreq(c, i) - Sim.Dsp_Intercept[set]) * Sim.Dsp_Slope[set]);
  Chebyshev(c);
  Sine(c);
  RingDown(c);
}

// ---- quantum-number list and markers -----------------------------------------------

namespace {

// The stick and label of the selected line in the foreground colour.
void ForegroundMarker(const PlotCall& c, int32_t point, double f, double H, double nrm, char letter, bool assigned) {
  const sim::LabelRows r = sim::Rows(c, point, f, H, nrm);
  const int32_t x = r.x, top = r.top, base = r.base;
  if (DebugTopic(DEBUG_TOPIC_RENDER))
    DebugPrintf("   AFTER AREA/PEAK LNHT=%f NRM=%f MY=%f BY=%f BSI=%d\n", H, nrm, c.MY, c.BY, base);
  const int fg = std::clamp<int>(Win.Fg_Pen_Idx, 0, SIM_COLORS - 1);
  if (Sim.Pen[fg]) SelectObject(c.dc, Sim.Pen[fg]);
  MoveToEx(c.dc, x, top, nullptr);
  LineTo(c.dc, x, base);
  SetTextColor(c.dc, RGB(Dsp.RGB[fg][0], Dsp.RGB[fg][1], Dsp.RGB[fg][2]));
  const char text[2] = {assigned ? letter : static_cast<char>(std::tolower(static_cast<unsigned char>(letter))), '\0'};
  TextOut(c.dc, x - c.charW / 2, top - c.charH, text, 1);
  if (DebugTopic(DEBUG_TOPIC_RENDER)) DebugLogWrite("   AFTER LN SEL TXT DSP\n");
}

void SetPen(const PlotCall& c) {
  const int row = std::clamp<int>(Sim.COLOR_NO[c.set], 0, SIM_COLORS - 1);
  if (Sim.Pen[row]) SelectObject(c.dc, Sim.Pen[row]);
}

// The line at an experimental frequency, from the top of the plot to row BY, when it
// lies in the run; with bracket also the two bars around the cursor row.
void ExperimentalMarker(const PlotCall& c, double e, bool bracket) {
  const int16_t set = c.set;
  const int32_t p = RunPoint(c, e + Sim.Frq_Shift[set] + Sim.Frq_Offset[set]);
  SetPen(c);
  if (InRun(c, p)) {
    const int32_t x = sim::DeviceCoord(p * c.MX + c.BX);
    MoveToEx(c.dc, x, Win.Plot_Top + (c.paint == 3 ? 0 : Win.Plot_Y0), nullptr);
    LineTo(c.dc, x, sim::DeviceCoord(c.BY));
  }
  if (!bracket) return;
  const int32_t W = Win.Cursor_HalfWidth;
  for (int32_t side : {-W, W}) {
    const int32_t x = sim::DeviceCoord((static_cast<double>(p) + side) * c.MX + c.BX);
    MoveToEx(c.dc, x, Win.Cursor_Y + W, nullptr);
    LineTo(c.dc, x, Win.Cursor_Y - W);
  }
}

// Rebuild of the JKK list: false after an allocation failure.
bool RebuildList(int16_t set) {
  Sim.QN_Request[set] = 0;
  const int32_t n = Sim.FI_QN_END[set] - Sim.FI_QN_BEG[set] + 1;
  if (n >= 0 && (Sim.FI_QN_List_Sz[set] < n || !Sim.FI_QN_List_Ary[set])) {
    Sim.FI_QN_List_Sz[set] = n;
    if (QvAllocFailed(LReAlloc1Dim(&Sim.FI_QN_List_Ary[set], static_cast<uint32_t>(n) + 1))) {
      Sim.FI_QN_List_Sz[set] = 0;
      Sim.Dlg_Req[SIM_DLG_JKKQN][set] = 0;
      Error("SimFIPlot()/Sim.FI_QN_List_Ary\n\nCORE ALLOCATION ERROR");
      return false;
    }
  }
  Sim.FI_QN_List_Tot[set] = std::max(n, 0);
  Sim.QN_Scan[set] = 1;
  Sim.FI_QN_List_Cnt[set] = 0;
  int32_t* list = Sim.FI_QN_List_Ary[set];
  for (int32_t line = Sim.FI_QN_BEG[set]; line >= 0 && Sim.FI_QN_List_Cnt[set] < n && line <= Sim.FI_QN_END[set]; ++line) {
    if (!JkkFilterPass(set, line)) continue;
    list[Sim.FI_QN_List_Cnt[set]++] = line;
    Sim.QN_FromList[set] = 1;
    Sim.QN_FromCD[set] = 0;
    Quad.QN_FromList[set] = 0;
  }
  const int32_t count = Sim.FI_QN_List_Cnt[set];
  if (Sim.QN_SortItn[set] == 1 && count > 1) {
    int32_t* idx = nullptr;
    float* itn = nullptr;
    // 1-based work arrays of the sort.
    if (QvAllocFailed(LAlloc1Dim(&idx, static_cast<uint32_t>(count) + 1)) ||
        QvAllocFailed(FAlloc1Dim(&itn, static_cast<uint32_t>(count) + 1))) {
      LFree1Dim(&idx);
      FFree1Dim(&itn);
      Error("SimFIPlot()/idx_lary/itn_fary\n\nCORE ALLOCATION ERROR");
      return false;
    }
    for (int32_t k = 0; k < count; ++k) itn[k + 1] = static_cast<float>(SimFIItnCalc(set, list[k]));
    IndexSortF(count, itn, idx);
    Csi6sfdrddSort(count, idx, nullptr, nullptr, list - 1, nullptr, nullptr, nullptr, nullptr);
    LFree1Dim(&idx);
    FFree1Dim(&itn);
  }
  if (Sim.Edit_Stat[set] == 1 && count > 0 && Sim.FI_QN_List_Sz[set] >= count) {
    // One extra entry at the head: entries 0 and 1 both hold the former first line.
    for (int32_t k = count; k >= 1; --k) list[k] = list[k - 1];
    Sim.FI_QN_List_Cnt[set] = count + 1;
    if (count + 1 > 1) Sim.FI_QN_List_Sel[set] = 1;
  }
  if (DebugTopic(DEBUG_TOPIC_RENDER)) DebugLogWrite("   AFTER QN SORT\n");
  return true;
}

// The selected line from the combination-difference or QN list; a position outside
// its list or a line outside the set leaves the selection as it was. false when
// there is no valid selected line.
bool SelectedLine(int16_t set) {
  int32_t line = -1;
  // The combination-difference dialog selects positions of the combined list (BS).
  if (Sim.QN_FromCD[set] == 1 && Sim.FI_CD_List_Tot[set][2] != 0) {
    const int32_t k = Sim.FI_CD_Sel[set];
    if (Sim.FI_CD_List_Ary[set][2] && k >= 0 && static_cast<uint32_t>(k) < Sim.FI_CD_List_Tot[set][2])
      line = Sim.FI_CD_List_Ary[set][2][k];
  } else if (Sim.QN_FromList[set] == 1) {
    const int32_t k = Sim.FI_QN_List_Sel[set];
    if (Sim.FI_QN_List_Ary[set] && k >= 0 && k < Sim.FI_QN_List_Cnt[set]) line = Sim.FI_QN_List_Ary[set][k];
  } else {
    line = Sim.QN_Sel_Line[set];
  }
  if (line < 0 || static_cast<uint32_t>(line) >= Sim.FI_Lines[set]) return false;
  Sim.QN_Sel_Line[set] = line;
  return true;
}

char LetterOf(int16_t set, int32_t line) {
  const char letter = Sim.FI_BT_Lbl[set] ? Sim.FI_BT_Lbl[set][line] : ' ';
  return letter == '\0' ? ' ' : letter;
}

int32_t QuadMarkers(PlotCall& c) {
  const int16_t set = c.set;
  if (Sim.FI_QN_List_Cnt[set] == 0) {
    Quad.QN_LIST_TOT[set] = 0;
    Quad.QN_Scan[set] = 1;
    return 1;
  }
  if (!SelectedLine(set)) return 1;
  const int32_t line = Sim.QN_Sel_Line[set];
  if (QuadCalc(set, line, &Sim, &Quad) != 1) return 1;
  const double shift = Sim.Frq_Shift[set] + Sim.Frq_Offset[set];
  const int32_t comps = Quad.Comp_Count[set];
  if (Quad.QN_Request[set] == 1) {
    Quad.QN_Request[set] = 0;
    for (int32_t k = 0; k < comps; ++k) {
      const double f = Quad.Comp_Frq[set][k] + shift;
      if (Win.Cursor_Freq_Lo <= f && f <= Win.Cursor_Freq_Hi) {
        Quad.QN_SEL[set] = k;
        Quad.QN_LIST_SEL[set] = k;
        Quad.QN_List_Top[set] = k < 5 ? 0 : k - 4;
      }
    }
    if (!Quad.QN_List[set] && QvAllocFailed(LAlloc1Dim(&Quad.QN_List[set], 3000))) {
      Sim.Dlg_Req[SIM_DLG_QUADQN][set] = 0;
      Error("SimFIPlot()/Quad.QN_List\n\nCORE ALLOCATION ERROR");
      return 0;
    }
    Quad.QN_Scan[set] = 1;
    Quad.QN_LIST_TOT[set] = 0;
    for (int32_t k = 0; k < comps && Quad.QN_LIST_TOT[set] < 3000; ++k) Quad.QN_List[set][Quad.QN_LIST_TOT[set]++] = k;
    Quad.QN_FromList[set] = 1;
    Sim.QN_FromList[set] = 0;
    Sim.QN_FromCD[set] = 0;
    if (DebugTopic(DEBUG_TOPIC_RENDER)) DebugPrintf("   QUAD.QN_LIST_TOT=%d\n", Quad.QN_LIST_TOT[set]);
  }
  const int32_t k = Quad.QN_SEL[set];
  if (Quad.QN_LIST_TOT[set] != 0 && k >= 0 && k < comps) {
    QuadAsnFind(set, line, k, &Quad);
    const double f = Quad.Comp_Frq[set][k] + shift;
    const int32_t point = RunPoint(c, f);
    if (InRun(c, point)) {
      const double H = SimFIItnCalc(set, line) * Quad.Comp_Itn[set][k] * Sim.Dsp_Scalar[set];
      ForegroundMarker(c, point, f, H, 1.0, LetterOf(set, line), Quad.Comp_ExpFrq[set][k] != 0.0);
    }
  }
  const double e = Sim.FI_Exp_Erg[set] ? Sim.FI_Exp_Erg[set][line] : 0.0;
  if (e != 0.0) {
    ExperimentalMarker(c, e, false);
    const int32_t point = RunPoint(c, e + shift);
    TextOut(c.dc, sim::DeviceCoord(static_cast<double>(point) - c.charW / 2), Win.Page_Height / 2, "J", 1);
  }
  if (Quad.QN_LIST_TOT[set] != 0 && k >= 0 && k < comps && Quad.Comp_ExpFrq[set][k] != 0.0)
    ExperimentalMarker(c, Quad.Comp_ExpFrq[set][k], true);
  return 1;
}

}  // namespace

int32_t PlotQnListAndMarkers(PlotCall& c) {
  const int16_t set = c.set;
  if (Sim.QN_Freeze[set] == 0 && Sim.QN_Request[set] == 1) {
    if (!RebuildList(set)) return 0;
    if (Sim.Edit_Stat[set] == 1 && Sim.FI_QN_List_Sel[set] == 0) return 1;
  }
  if (Sim.QC_STAT[set] == 1) return QuadMarkers(c);
  if (Sim.FI_QN_List_Cnt[set] == 0 || !SelectedLine(set)) return 1;
  const int32_t line = Sim.QN_Sel_Line[set];
  const bool hitran = Sim.HT_Global_Stat[set] == 1;
  double f = Sim.FI_Sim_Erg[set][line] + Sim.Frq_Shift[set] + Sim.Frq_Offset[set];
  if (hitran && Sim.HT_Air_Delta[set]) f += Sim.HT_Air_Delta[set][line] * Sim.HT_Press[set];
  const int32_t point = RunPoint(c, f);
  if (InRun(c, point)) {
    const double H = hitran ? (Sim.HT_Itn[set] ? Sim.HT_Itn[set][line] : 0.0) : SimFIItnCalc(set, line) * Sim.Dsp_Scalar[set];
    double nrm = 1.0;
    if (Sim.LN_STAT[set] == 1) nrm = Sim.FI_AreaPeak_FAry[set] ? Sim.FI_AreaPeak_FAry[set][1][line] : Sim.LS_Peak[set];
    const bool assigned = Sim.FI_Exp_Erg[set] && Sim.FI_Exp_Erg[set][line] != 0.0;
    ForegroundMarker(c, point, f, H, nrm, LetterOf(set, line), assigned);
  }
  const double e = Sim.FI_Exp_Erg[set] ? Sim.FI_Exp_Erg[set][line] : 0.0;
  if (e != 0.0) ExperimentalMarker(c, e, true);
  return 1;
}

}  // namespace sim
