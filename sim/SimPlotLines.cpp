// The per-line work of the renderer: JKK lines, quadrupole components, vibrational
// components and HITRAN lines, each with its height, its line shape added into the
// run, and on a drawing call its stick and one-letter label.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/DebugLog.h"
#include "filelib/FileManip.h"
#include "core/Coords.h"
#include "models/hitran/Tips.h"
#include "models/quad/Quad.h"
#include "models/vib/VibAnharm.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/Lsf.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "lineshape/LineShape.h"
#include "lineshape/SimInternal.h"
#include "sim/SimItn.h"
#include "sim/SimPlotInternal.h"

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLn2 = 0.69314718055994530942;

// ---- adding a line shape into the run -----------------------------------------------

// out[x] += f x v[x] for x < n, each product rounded to a float and added alone (four
// at a time with AVX2 where the processor has it).
void AddScaledPlain(float* out, const double* v, int64_t n, double f) {
  for (int64_t x = 0; x < n; ++x) out[x] += static_cast<float>(f * v[x]);
}
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target("avx2"))) void AddScaledAvx2(float* out, const double* v, int64_t n, double f) {
  for (int64_t x = 0; x < n; ++x) out[x] += static_cast<float>(f * v[x]);
}
void AddScaled(float* out, const double* v, int64_t n, double f) {
  if (__builtin_cpu_supports("avx2")) AddScaledAvx2(out, v, n, f);
  else AddScaledPlain(out, v, n, f);
}
#else
void AddScaled(float* out, const double* v, int64_t n, double f) { AddScaledPlain(out, v, n, f); }
#endif

// Adds f x shape[j] into the run at centre - half + j for every j whose target lies
// in the run, but the centre's own (skipCentre): the shape cut to the run once, then
// added forward.
void AddShape(PlotCall& c, int64_t centre, int64_t half, double f, bool skipCentre) {
  const int64_t from = std::max<int64_t>(0, centre - half);
  const int64_t to = std::min<int64_t>(c.count, centre + half + 1);
  const double* shape = c.shape.data() + (from - (centre - half));
  float* out = c.out;
  if (skipCentre && centre >= from && centre < to) {
    AddScaled(out + from, shape, centre - from, f);
    AddScaled(out + centre + 1, shape + (centre + 1 - from), to - centre - 1, f);
  } else if (to > from) {
    AddScaled(out + from, shape, to - from, f);
  }
}

// Lays out the shape of the n values v (v[0] at the centre, v[i] at -+i; the left
// wing lo, the right hi) unless it is there already.
template <typename T>
void LayOut(PlotCall& c, const T* lo, const T* hi, int32_t n) {
  if (!c.shapeStale && c.shapeOf == lo && c.shape.size() == 2 * static_cast<size_t>(n) - 1) return;
  c.shape.resize(2 * static_cast<size_t>(n) - 1);
  for (int32_t i = 0; i < n; ++i) {
    c.shape[static_cast<size_t>(n - 1 - i)] = static_cast<double>(lo[i]);
    c.shape[static_cast<size_t>(n - 1 + i)] = static_cast<double>(i == 0 ? lo[0] : hi[i]);
  }
  c.shapeOf = lo;
  c.shapeStale = false;
}

// The template: H at the centre, H x T[i] / 32767 at centre -+ i; the wings also when
// the centre lies outside the run.
void AddTemplate(PlotCall& c, int32_t point, double H) {
  const int16_t* T = Sim.LS_SAry[c.set][c.view];
  const int32_t n = Sim.LS_SPts[c.set][c.view];
  if (InRun(c, point)) c.out[point] += static_cast<float>(H);
  if (!T || n <= 1) return;
  LayOut(c, T, T, n);
  AddShape(c, point, n - 1, H / 32767.0, true);
}

template <typename T>
void AddHalves(PlotCall& c, int32_t point, double H, const T* lo, const T* hi, int32_t n) {
  LayOut(c, lo, hi, n);
  AddShape(c, point, n - 1, H, false);
}

// The half profiles of the set and view, f32 or f64 by Sim.LS_Double; a spike when
// both widths are 0.
void AddHalfProfiles(PlotCall& c, int32_t point, double H) {
  const int16_t set = c.set, view = c.view;
  const int32_t n = Sim.LS_Pts[set][view];
  if ((Sim.LS_LOR[set] == 0.0 && Sim.LS_GAU[set] == 0.0) || n < 1) {
    if (InRun(c, point)) c.out[point] += static_cast<float>(H);
    return;
  }
  if (Sim.LS_Double == 0) {
    if (Sim.LS_Lo_FAry[set][view] && Sim.LS_Hi_FAry[set][view])
      AddHalves(c, point, H, Sim.LS_Lo_FAry[set][view], Sim.LS_Hi_FAry[set][view], n);
  } else if (Sim.LS_Lo_DAry[set][view] && Sim.LS_Hi_DAry[set][view]) {
    AddHalves(c, point, H, Sim.LS_Lo_DAry[set][view], Sim.LS_Hi_DAry[set][view], n);
  }
}

// ---- sticks and labels ------------------------------------------------------------

void Stick(const PlotCall& c, const LabelRows& r) {
  if (Sim.LS_SPts[c.set][c.view] <= 1) return;
  MoveToEx(c.dc, r.x, r.top, nullptr);
  LineTo(c.dc, r.x, r.base);
}

void Letter(const PlotCall& c, const LabelRows& r, char letter) {
  const char text[2] = {letter, '\0'};
  TextOut(c.dc, r.x - c.charW / 2, r.top - c.charH, text, 1);
}

// The label of a line: lower case and only without Lbl_AsnOnly when unassigned.
// Returns the character drawn, '\0' for none.
char Label(const PlotCall& c, const LabelRows& r, char letter, bool assigned) {
  if (!assigned) {
    if (Sim.Lbl_AsnOnly != 0) return '\0';
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  }
  Letter(c, r, letter);
  return letter;
}

char LineLetter(int16_t set, int32_t line) {
  const char* labels = Sim.FI_BT_Lbl[set];
  const char letter = labels ? labels[line] : ' ';
  return letter == '\0' ? ' ' : letter;
}

bool Assigned(int16_t set, int32_t line) { return Sim.FI_Exp_Erg[set] && Sim.FI_Exp_Erg[set][line] != 0.0; }

// ---- heights ----------------------------------------------------------------------

void PowerNormalise(const PlotCall& c, double f, double* H) {
  if (Sim.PowNrm_Stat[c.set] != 1 || c.powChn < 0) return;
  const int16_t ch = c.powChn;
  const int32_t centre = DisplayFreqToPoint(ch, f);
  FileGetAbsAveValue(ch, 1, Dsp.Chn_Flnm[ch], centre - Win.Cursor_HalfWidth, centre + Win.Cursor_HalfWidth);
  const double ref = Sim.PowNrm_Ref != 0.0 ? Sim.PowNrm_Ref : 1.0;
  *H *= Win.Chn_AveValue[ch] / ref;
}

bool ExponentOutside(double e) { return e > 20.0 || e < -1e10; }

void TimeDomainWeight(const PlotCall& c, int32_t line, double f, double* H) {
  const int16_t set = c.set;
  if (Sim.TD_Rate[set] == 0.0) return;
  const double t = (std::fabs(Sim.Dsp_Intercept[set]) - f) / Sim.TD_Rate[set] + Sim.TD_Delay[set];
  if (Sim.IDVWIDTH_STAT[set] == 1 && Sim.FI_Gau_FWHM[set] && Sim.FI_Lor_FWHM[set]) {
    Sim.LS_GAU[set] = Sim.FI_Gau_FWHM[set][line];
    Sim.LS_LOR[set] = Sim.FI_Lor_FWHM[set][line];
  }
  const double L = static_cast<float>(-2.0 * kPi * t * Sim.LS_LOR[set]);
  const double G = -kPi * kPi * t * t / kLn2 * Sim.LS_GAU[set] * Sim.LS_GAU[set];
  char text[120];
  if (ExponentOutside(L)) {
    StrFormat(text, "LOR EXPONENT [%.2f] OUT-OF-RANGE", L);
    StatusText(3, text);
  } else if (ExponentOutside(G)) {
    StrFormat(text, "GAU EXPONENT [%.2f] OUT-OF-RANGE", G);
    StatusText(3, text);
  } else if (ExponentOutside(L + G)) {
    StrFormat(text, "GAU+LOR EXPONENT [%.2f] OUT-OF-RANGE", L + G);
    StatusText(3, text);
  } else {
    *H *= std::exp(L + G);
  }
  if (set == Sim.Cur_Set && line == Sim.QN_Sel_Line[set]) {
    StrFormat(text, "SET=[%hd] LINE=[%d] L=[%.3f] G=[%.3f] SUM=[%.3f]", set, line, L, G, L + G);
    StatusText(3, text);
  }
}

// ---- per-line profiles ------------------------------------------------------------

void AreaPeakRows(int16_t set, int32_t line, double area, double peak) {
  float** rows = Sim.FI_AreaPeak_FAry[set];
  if (!rows) return;
  rows[0][line] = static_cast<float>(area);
  rows[1][line] = static_cast<float>(peak);
}

// Builds the half profiles of one line from rec. The single-precision builder takes
// its widths from the set, so the line's widths are put there first. The record's
// intensity and frequency (the line's own, not the drawn centre) are copied back.
bool LineHalfProfiles(PlotCall& c, LineShapeRec& rec, bool individual) {
  const int16_t set = c.set, view = c.view;
  const int32_t line = static_cast<int32_t>(rec.Line);
  c.shapeStale = true;
  int32_t built;
  if (Sim.LS_Double == 0) {
    Sim.LS_GAU[set] = rec.Gau;
    Sim.LS_LOR[set] = rec.Lor;
    built = SimLineShapeFNrm(&rec, &Sim.LS_Lo_FAry[set][view], &Sim.LS_Hi_FAry[set][view]);
  } else {
    built = SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[set][view], &Sim.LS_Hi_DAry[set][view]);
  }
  if (built == LS_TOO_LONG) return false;
  if (built != 1) {
    if (DebugTopic(DEBUG_TOPIC_RENDER)) DebugLogWrite("   DNRM ABORT\n");
    Sim.LS_GAU[set] = 0.0;
    Sim.LS_LOR[set] = 0.0;
    return false;
  }
  Sim.LS_GAU[set] = rec.Gau;
  Sim.LS_LOR[set] = rec.Lor;
  if (individual && Sim.FI_Gau_FWHM[set] && Sim.FI_Lor_FWHM[set]) {
    Sim.FI_Gau_FWHM[set][line] = static_cast<float>(rec.Gau);
    Sim.FI_Lor_FWHM[set][line] = static_cast<float>(rec.Lor);
  }
  if (Sim.FI_Sim_Itn[set]) Sim.FI_Sim_Itn[set][line] = static_cast<float>(rec.Itn);
  Sim.FI_Sim_Erg[set][line] = rec.Erg;
  Sim.LS_Area[set] = static_cast<float>(rec.Area);
  Sim.LS_Peak[set] = static_cast<float>(rec.Peak);
  AreaPeakRows(set, line, rec.Area, rec.Peak);
  return true;
}

// The template of one line's own widths; false (the widths set to 0) on failure.
bool LineTemplate(PlotCall& c, int32_t line) {
  const int16_t set = c.set;
  c.shapeStale = true;
  float* gau = Sim.FI_Gau_FWHM[set];
  float* lor = Sim.FI_Lor_FWHM[set];
  if (!gau || !lor) return true;
  const int32_t built = SimLineShapeTemplate(set, gau[line], lor[line], 1);
  if (built != 1) {
    if (built != LS_TOO_LONG) {
      gau[line] = 0.0f;
      lor[line] = 0.0f;
    }
    return false;
  }
  AreaPeakRows(set, line, Sim.LS_Area[set], Sim.LS_Peak[set]);
  return true;
}

double PeakFactor(int16_t set, int32_t line) {
  if (Sim.LN_STAT[set] != 1) return 1.0;
  float** rows = Sim.FI_AreaPeak_FAry[set];
  return rows ? rows[1][line] : Sim.LS_Peak[set];
}

}  // namespace

void TrackQnWindow(const PlotCall& c, int32_t line, double f, bool quad) {
  const int16_t set = c.set;
  const bool requested = quad ? Quad.QN_Request[set] == 1 : Sim.QN_Request[set] == 1;
  if (!requested || !(Win.Cursor_Freq_Lo <= f && f <= Win.Cursor_Freq_Hi)) return;
  if (Sim.FI_QN_BEG[set] < 0) Sim.FI_QN_BEG[set] = line;
  Sim.FI_QN_END[set] = line;
}

bool PlotJkkLine(PlotCall& c, int32_t line, double f) {
  const int16_t set = c.set, view = c.view;
  f += Lsf.Sim_FrqShift[set];
  const int32_t point = RunPoint(c, f);
  double H = 1.0;
  if (DebugTopic(DEBUG_TOPIC_RENDER)) DebugLogWrite("   ENTER JKK SPECTRUM\n");
  PowerNormalise(c, f, &H);
  TimeDomainWeight(c, line, f, &H);
  const bool individual = Sim.IDVWIDTH_STAT[set] == 1 && Sim.FI_Gau_FWHM[set] && Sim.FI_Lor_FWHM[set];
  if (individual) {
    if (Sim.LN_STAT[set] == 1) {
      LineShapeRec rec;
      rec.HtCalc = Sim.HT_LnCalc[set];
      rec.Set = set;
      rec.View = view;
      rec.Line = static_cast<uint32_t>(line);
      if (Sim.HT_LnCalc[set] == 1) {
        rec.Src = Lsf.Line_Grp[set] ? static_cast<uint16_t>(Lsf.Line_Grp[set][line]) : 0;
        rec.Tag = Lsf.Line_PrmIdx[set] ? Lsf.Line_PrmIdx[set][line] : 0;
      }
      rec.Gau = Sim.FI_Gau_FWHM[set][line];
      rec.Lor = Sim.FI_Lor_FWHM[set][line];
      rec.Erg = Sim.FI_Sim_Erg[set][line];
      rec.Itn = Sim.FI_Sim_Itn[set] ? Sim.FI_Sim_Itn[set][line] : 0.0;
      rec.Nu0 = f;
      rec.FrqCor = f - RunColumnFreq(c, point);
      if (!LineHalfProfiles(c, rec, true)) return false;
    } else if (!LineTemplate(c, line)) {
      return false;
    }
    if (DebugTopic(DEBUG_TOPIC_RENDER)) DebugPrintf("   IDV WID=TRUE LNHT=%f SIMITN=%f\n", H, Sim.FI_Sim_Itn[set] ? Sim.FI_Sim_Itn[set][line] : 0.0f);
  }
  H = SimFIItnCalc(set, line) * Sim.Dsp_Scalar[set] * H;
  if (Lsf.Grp_Stat[set] == 1 && Lsf.Line_Grp[set]) {
    const int16_t group = Lsf.Line_Grp[set][line];
    if (group >= 0 && group < LSF_GROUPS) H *= Lsf.Grp_Amp[set][group];
  }
  if (c.draw) {
    TrackQnWindow(c, line, f, false);
    const char letter = LineLetter(set, line);
    bool drawnR = false;
    if (Sim.Lbl_Stat == 1 && InRun(c, point)) {
      const LabelRows r = Rows(c, point, f, H, PeakFactor(set, line));
      Stick(c, r);
      drawnR = Label(c, r, letter, Assigned(set, line)) == 'R';
    }
    if (letter == 'R' && !drawnR && InRun(c, point)) Letter(c, Rows(c, point, f, H, PeakFactor(set, line)), 'R');
  }
  if (Sim.LN_STAT[set] == 1)
    AddHalfProfiles(c, point, H);
  else
    AddTemplate(c, point, H);
  return true;
}

bool PlotQuadLine(PlotCall& c, int32_t line) {
  const int16_t set = c.set;
  if (DebugTopic(DEBUG_TOPIC_RENDER)) DebugLogWrite("   ENTER QUAD SPECTRUM\n");
  if (Sim.IDVWIDTH_STAT[set] == 1 && !LineTemplate(c, line)) return false;
  if (QuadCalc(set, line, &Sim, &Quad) != 1) return true;
  const double itn = SimFIItnCalc(set, line) * Sim.Dsp_Scalar[set];
  const double shift = Sim.Frq_Shift[set] + Sim.Frq_Offset[set];
  for (int32_t k = 0; k < Quad.Comp_Count[set]; ++k) {
    const double f = Quad.Comp_Frq[set][k] + shift;
    const int32_t point = RunPoint(c, f);
    const double H = itn * Quad.Comp_Itn[set][k];
    if (c.draw) {
      TrackQnWindow(c, line, f, true);
      const char letter = LineLetter(set, line);
      bool drawnR = false;
      if (Sim.Lbl_Stat == 1 && InRun(c, point)) {
        QuadAsnFind(set, line, k, &Quad);
        const LabelRows r = Rows(c, point, f, H, 1.0);
        Stick(c, r);
        drawnR = Label(c, r, letter, Quad.Comp_ExpFrq[set][k] != 0.0) == 'R';
      }
      if (letter == 'R' && !drawnR && InRun(c, point)) Letter(c, Rows(c, point, f, H, 1.0), 'R');
    }
    AddTemplate(c, point, H);
  }
  return true;
}

bool PlotVibComponents(PlotCall& c) {
  const int16_t set = c.set;
  if (Sim.FI_IDX_BEG[set] < 0 || Sim.FI_IDX_END[set] < 0) return true;
  Sim.Vib_Stat[set] = VibAnharmCalc(set);
  if (Sim.Vib_Stat[set] == 0) {
    Warning("SimFIPlot()/VibAnharmCalc()\n\nROUTINE FAILED (PROGRAM BUG)");
    return false;
  }
  const double shift = Sim.Frq_Shift[set] + Sim.Frq_Offset[set];
  for (int32_t line = Sim.FI_IDX_BEG[set]; line <= Sim.FI_IDX_END[set]; ++line) {
    if (DebugTopic(106)) DebugPrintf("SimFIPlot() - SIM_CT=%d\n", line);
    if (Sim.IDVWIDTH_STAT[set] == 1 && !LineTemplate(c, line)) return false;
    if (static_cast<uint32_t>(line) >= VibArrays.Lines[set] || !VibArrays.Cnt[set]) continue;
    const int32_t stride = VibArrays.Stride[set];
    for (int32_t k = 0; k < VibArrays.Cnt[set][line] && k < stride; ++k) {
      const double f = VibArrays.Frq[set][line * stride + k] + shift;
      const int32_t point = RunPoint(c, f);
      const double itn = Sim.FI_Sim_Itn[set] ? Sim.FI_Sim_Itn[set][line] : 0.0;
      const double H = VibArrays.Itn[set][line * stride + k] * itn * Sim.Dsp_Scalar[set];
      if (c.draw && Sim.Lbl_Stat == 1 && InRun(c, point)) Stick(c, Rows(c, point, f, H, 1.0));
      if (DebugTopic(DEBUG_TOPIC_RENDER)) DebugPrintf("   SIM_CT=%d VIB_CT=%d\n", line, k);
      AddTemplate(c, point, H);
    }
  }
  return true;
}

// ---- HITRAN ----------------------------------------------------------------------

namespace {

constexpr double kMHzPerCm1 = 29979.2458;
constexpr double kLog10 = 0.434294481903;
constexpr double kCm1PerKelvin = 0.695038770005;

double Kt0i(int16_t set) {
  const double c = Sim.HT_MHz_Stat[set] == 1 ? kMHzPerCm1 : 1.0;
  return 1.0 / (c * kCm1PerKelvin * 296.0);
}

}  // namespace

bool PlotHitranConstants(PlotCall& c, double* K) {
  const int16_t set = c.set;
  const double cu = Sim.HT_MHz_Stat[set] == 1 ? kMHzPerCm1 : 1.0;
  const double LG = Sim.HT_Log10_Stat[set] == 1 ? kLog10 : 1.0;
  // Every drawing looks the partition sums up afresh: a lookup that failed (a
  // temperature outside the tables) holds for the rest of that drawing only.
  Sim.HT_QT_Stat[set] = 1;
  if (Sim.HT_Temp[set] == 0.0) Sim.HT_Temp[set] = 296.0;
  const double T = Sim.HT_Temp[set];
  // A pure sample (total pressure not above the partial one) has no air: the total
  // pressure is reset before any line takes its air shift from it.
  if (Sim.HT_Press[set] <= Sim.HT_PPress[set]) Sim.HT_Press[set] = 0.0;
  Sim.HT_NDens[set] = 7.3388931384e+21 / T;
  *K = cu * Sim.HT_NDens[set] * Sim.HT_PPress[set] * Sim.HT_Path[set] * 100.0;
  if (Sim.HT_Trans_Stat[set] == 0) *K = LG * Sim.Dsp_Scalar[set] * *K;
  return true;
}

// The temperature factor of a line at f with lower-state energy E: the Boltzmann
// ratio and the stimulated-emission ratio (sinh arguments in single precision; at
// f = 0 their limit kTi / kT0i).
double HitranTemperatureFactor(double kT0i, double kTi, double f, double E) {
  const float a = static_cast<float>(kTi * f / 2.0);
  const float b = static_cast<float>(kT0i * f / 2.0);
  const double ratio = b != 0.0f ? std::sinh(static_cast<double>(a)) / std::sinh(static_cast<double>(b)) : kTi / kT0i;
  return std::exp((kT0i - kTi) * (f / 2.0 + E)) * ratio;
}

bool PlotHitranLine(PlotCall& c, int32_t line, double f, double K) {
  const int16_t set = c.set, view = c.view;
  if (DebugTopic(DEBUG_TOPIC_RENDER)) DebugLogWrite("   ENTER HITRAN\n");
  if (Sim.HT_FrqLim_Stat[set] == 1 && f > Sim.HT_FrqLim[set]) return true;
  auto per = [&](const float* a) { return a ? static_cast<double>(a[line]) : 0.0; };
  f += per(Sim.HT_Air_Delta[set]) * Sim.HT_Press[set];
  const int32_t point = RunPoint(c, f);
  const double T = Sim.HT_Temp[set];
  int mol = 0, iso = 0;
  // The line's mass (and with it its Doppler width) whenever its isotope is known; the
  // isotope is reported only while the partition sums are looked up.
  const bool valid = SimHTLineIsotope(set, static_cast<uint32_t>(line), &mol, &iso);
  if (valid) {
    Sim.HT_Mass[set] = SimRecord::HT_MassTable[mol][iso - 1];
  } else if (Sim.HT_QT_Stat[set] == 1) {
    Sim.LS_GAU[set] = 0.0;
    char text[400];
    StrFormat(text, "[%s] SIM [%s] - INVALID ISOTOPE: LN=[%d] MOL NUM=[%d] ISO=[%d] - DOPPER WIDTH ZERO",
              Sim.Set_Lbl[set], Sim.Sim_Flnm[set], line, mol, iso);
    StatusText(3, text);
  }
  double GD = 0.0, GL = 0.0;
  SimHTLineWidths(set, static_cast<uint32_t>(line), f, &GD, &GL);

  LineShapeRec rec;
  rec.HtCalc = Sim.HT_LnCalc[set];
  rec.Set = set;
  rec.View = view;
  rec.Line = static_cast<uint32_t>(line);
  rec.Gau = GD;
  rec.Lor = GL;
  rec.Itn = Sim.FI_Sim_Itn[set] ? Sim.FI_Sim_Itn[set][line] : 0.0;
  rec.Erg = Sim.FI_Sim_Erg[set][line];
  rec.Nu0 = f;
  rec.FrqCor = f - RunColumnFreq(c, point);
  if (!LineHalfProfiles(c, rec, Sim.IDVWIDTH_STAT[set] == 1)) return false;

  // Lower-state energy; a level outside the energy table counts as 0.
  double E = 0.0;
  {
    const double* levels = Sim.FI_HamErg_Vector[set][0];
    const int32_t* index = Sim.FI_Erg_Idx[set][0];
    if (levels && index && index[line] >= 0 && static_cast<uint32_t>(index[line]) < Sim.FI_Erg_Sz[set])
      E = levels[index[line]];
  }
  const double kT0i = Kt0i(set);
  const double cu = Sim.HT_MHz_Stat[set] == 1 ? kMHzPerCm1 : 1.0;
  const double kTi = T != 0.0 ? 1.0 / (cu * kCm1PerKelvin * T) : kT0i;
  double TF = 1.0;
  if (T != 296.0 && T != 0.0 && E > 0.0) {
    TF = HitranTemperatureFactor(kT0i, kTi, f, E);
    if (Sim.HT_QT_Stat[set] == 1 && valid) {
      // The partition sums of the line's own molecule and isotope: a set may hold lines
      // of several (the tables are loaded once).
      const int16_t m = static_cast<int16_t>(mol), i = static_cast<int16_t>(iso);
      double qRef = 0.0;
      const bool found = SimTipsQT(m, T, i, &Sim.HT_QT[set]) == 1 && Sim.HT_QT[set] != 0.0 &&
                         SimTipsQT(m, 296.0, i, &qRef) == 1 && qRef != 0.0;
      Sim.HT_QT_Stat[set] = found ? 1 : 0;
      if (!found) {
        char text[400];
        StrFormat(text, "[%s] SIM [%s]\n\nTIP FUNCTION INVALID | NOT FOUND", Sim.Set_Lbl[set], Sim.Sim_Flnm[set]);
        Error(text);
      } else {
        TF *= qRef / Sim.HT_QT[set];
      }
    }
  }
  if (DebugTopic(DEBUG_TOPIC_RENDER))
    DebugPrintf("   HITRAN - SIM_CT=%d FRQ=%f ERG=%f KT0I=%f KTI=%f TEMP_FAC=%f\n", line, f, E, kT0i, kTi, TF);
  double H = K * TF * rec.Itn;
  if (Sim.HT_Trans_Stat[set] == 0) {
    PowerNormalise(c, f, &H);
    TimeDomainWeight(c, line, f, &H);
  }
  if (Sim.HT_Shift_Erg[set]) Sim.HT_Shift_Erg[set][line] = f;
  if (Sim.HT_Itn[set]) Sim.HT_Itn[set][line] = static_cast<float>(H);
  AddHalfProfiles(c, point, H);
  if (c.draw) {
    TrackQnWindow(c, line, f, false);
    if (Sim.Lbl_Stat == 1 && InRun(c, point))
      Label(c, Rows(c, point, f, H, PeakFactor(set, line)), LineLetter(set, line), Assigned(set, line));
  }
  return true;
}

void PlotHitranAfter(PlotCall& c) {
  const int16_t set = c.set;
  if (Sim.HT_Trans_Stat[set] == 1 && Sim.HT_Ary_Stat[set] == 1)
    for (int32_t i = 0; i < c.count; ++i)
      c.out[i] = static_cast<float>(std::exp(-static_cast<double>(c.out[i])) * Sim.Dsp_Scalar[set]);
  // The readout needs the cursor inside the run and a scalar to divide by.
  if (Sim.HtScanRunning[set] == 1 && Sim.HT_Ary_Stat[set] == 1 && InRun(c, Win.Cursor_X) &&
      Sim.Dsp_Scalar[set] != 0.0)
    Sim.HtScanReadout = c.out[Win.Cursor_X] / Sim.Dsp_Scalar[set];
}

}  // namespace sim
