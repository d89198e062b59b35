// Line-shape templates, half profiles, summing and the Voigt values of the line fit.
#include "lineshape/LineShape.h"

#include <algorithm>
#include <cmath>

#include "core/DebugLog.h"
#include "core/TypedArrays.h"
#include "core/Coords.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "records/Sim.h"
#include "lineshape/SimInternal.h"
#include "lineshape/Voigt.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kHalfProfileMin = 100;

// Which of the symmetric shapes two widths give: a width that is more than 1000 times
// the other one decides alone.
enum class Shape { Gaussian, Lorentzian, Voigt, Stick };

Shape ShapeOf(double gau, double lor) {
  if (gau != 0.0 && 0.001 * gau > lor) return Shape::Gaussian;
  if (lor != 0.0 && 0.001 * lor > gau) return Shape::Lorentzian;
  if (gau != 0.0 && lor != 0.0) return Shape::Voigt;
  return Shape::Stick;
}

// Points on one side of the centre: the set's widths or its fixed span in steps of s,
// at least 1 (more than LS_MAX_PTS, or not a number, for a profile too long to build).
double ProfilePoints(int16_t set, double gau, double lor, double s) {
  double n;
  if (Sim.LS_WidthMode[set] == 1)
    n = std::trunc(Sim.LS_NOLWS[set] * std::max(gau, lor) / std::fabs(s) + 0.5);
  else
    n = std::trunc(Sim.LS_Span[set] / std::fabs(s) + 0.5);
  return n < 1.0 ? 1.0 : n;
}

bool TooLong(double n) { return !(n <= LS_MAX_PTS); }

// A profile that would be longer than LS_MAX_PTS: the set is not drawn, and the status
// bar says how many points it would need.
int32_t RefuseTooLong(int16_t set, int16_t view, double n, const char* kind) {
  char text[160];
  StrFormat(text, "[%s] %s [%d] NEEDS [%.0f] PTS - NOT DRAWN", Sim.Set_Lbl[set], kind, view, n);
  sim::StatusText(1, text);
  StrCopy(Sim.LS_Refused[set], text);
  return LS_TOO_LONG;
}

// FULL LOR is the Lorentzian part alone, whatever the Gaussian width.
double ShapeGaussian(int16_t set, double gau) { return Sim.LS_Func[set] == LS_FUNC_FULL_LOR ? 0.0 : gau; }

// Raises the set's and view's search margin to n and shows a new largest value.
void SearchPoints(int16_t set, int16_t view, int32_t n, const char* kind) {
  int32_t& search = Sim.LS_SearchPts[set][view];
  search = std::max(search, n);
  if (search != Sim.LS_SearchPtsShown[set][view]) {
    char text[100];
    StrFormat(text, "[%s] %s [%d] SEARCH PTS=[%d]", Sim.Set_Lbl[set], kind, view, search);
    sim::StatusText(1, text);
    Sim.LS_SearchPtsShown[set][view] = search;
  }
}

int32_t ZeroStep(const char* who, int16_t view) {
  char text[200];
  StrFormat(text, "%s\n\nFRQ STEP SIZE IN VIEW [%hd] IS ZERO\n\nABORTING", who, view);
  sim::Warning(text);
  return 0;
}

// Grows a pair of half profiles to n points; the capacity follows only a success.
template <typename T, typename Grow>
bool GrowPair(T** lo, T** hi, int32_t* capacity, int32_t n, Grow grow) {
  if (n <= *capacity && *lo && *hi) return true;
  const bool ok = !QvAllocFailed(grow(lo, static_cast<uint32_t>(n))) && !QvAllocFailed(grow(hi, static_cast<uint32_t>(n)));
  *capacity = ok ? n : 0;
  return ok;
}

// The Lorentzian coefficient L / (2 pi), held in single precision as the stored
// profiles always were.
double LorentzCoefficient(double lor) { return static_cast<float>(lor / (2.0 * kPi)); }

// FULL LOR and VVWEISS: Lo and Hi at k steps below and above the centre grid point.
// false when the function is none of them or a width or M is 0. VVWEISS takes the line
// at M, S above the centre grid point: the grid point k steps below lies f + S below
// the line, the one k steps above f - S above it.
template <typename T>
bool FillAsymmetric(int16_t func, double lor, double M, double S, double s, int32_t n, T* lo, T* hi) {
  if ((func != LS_FUNC_FULL_LOR && func != LS_FUNC_VVWEISS) || lor == 0.0 || M == 0.0) return false;
  const double d = lor * lor / 4.0;
  if (func == LS_FUNC_FULL_LOR) {
    const double c = static_cast<float>(lor / (2.0 * kPi) / M);
    for (int32_t k = 0; k < n; ++k) {
      const double f = k * s;
      lo[k] = static_cast<T>(c * (M - f) * (1.0 / (d + (2.0 * M - f) * (2.0 * M - f)) + 1.0 / (d + f * f)));
      hi[k] = static_cast<T>(c * (M + f) * (1.0 / (d + (2.0 * M + f) * (2.0 * M + f)) + 1.0 / (d + f * f)));
    }
  } else {
    const double c = LorentzCoefficient(lor) / (M * M);
    for (int32_t k = 0; k < n; ++k) {
      const double f = k * s;
      const double a = M - f - S, b = M + f - S;
      lo[k] = static_cast<T>(c * a * a * (1.0 / (d + (a + M) * (a + M)) + 1.0 / (d + (f + S) * (f + S))));
      hi[k] = static_cast<T>(c * b * b * (1.0 / (d + (b + M) * (b + M)) + 1.0 / (d + (f - S) * (f - S))));
    }
  }
  return true;
}

// A symmetric shape of area 1 at distance x from the line centre.
double SymmetricValue(Shape shape, double gau, double lor, double x) {
  switch (shape) {
    case Shape::Gaussian:
      return std::sqrt(VOIGT_4LN2 / kPi) / gau * std::exp(-VOIGT_4LN2 * x * x / (gau * gau));
    case Shape::Lorentzian:
      return LorentzCoefficient(lor) / (lor * lor / 4.0 + x * x);
    case Shape::Voigt:
      return VoigtProfile(x, gau, lor);
    case Shape::Stick:
      break;
  }
  return 0.0;
}

// The Voigt half profiles with the line centre S above the centre grid point: Lo at
// k s + S, Hi at k s - S (the same point when S is 0), in blocks of distances so that
// the profile values are computed side by side.
template <typename T>
void FillVoigt(double gau, double lor, double S, double s, int32_t n, T* lo, T* hi) {
  constexpr int32_t kBlock = 256;
  double d[kBlock], v[kBlock];
  if (S == 0.0) {
    for (int32_t from = 0; from < n; from += kBlock) {
      const int32_t m = std::min(kBlock, n - from);
      for (int32_t i = 0; i < m; ++i) d[i] = (from + i) * s;
      VoigtProfiles(d, m, gau, lor, v);
      for (int32_t i = 0; i < m; ++i) lo[from + i] = hi[from + i] = static_cast<T>(v[i]);
    }
    return;
  }
  for (int32_t from = 0; from < n; from += kBlock / 2) {
    const int32_t m = std::min(kBlock / 2, n - from);
    for (int32_t i = 0; i < m; ++i) {
      const int32_t k = from + i;
      d[2 * i] = k * s + S;
      d[2 * i + 1] = k * s - S;
    }
    VoigtProfiles(d, 2 * m, gau, lor, v);
    for (int32_t i = 0; i < m; ++i) {
      lo[from + i] = static_cast<T>(v[2 * i]);
      hi[from + i] = static_cast<T>(v[2 * i + 1]);
    }
  }
}

template <typename T>
double AreaOf(const T* lo, const T* hi, int32_t n, double s) {
  double sum = lo[0];
  for (int32_t k = 1; k < n; ++k) sum += static_cast<double>(lo[k]) + hi[k];
  return sum * s;
}

}  // namespace

int32_t SimLineShapeTemplate(int16_t set, double gau, double lor, int32_t force) {
  if (!sim::ValidSet(set)) return 0;
  gau = ShapeGaussian(set, gau);
  double steps[4];
  for (int16_t v = 0; v < 4; ++v) steps[v] = sim::SetViewStep(set, v);
  if (force == 0 && gau == Sim.LS_CacheGau[set] && lor == Sim.LS_CacheLor[set] &&
      Sim.LS_WidthMode[set] == Sim.LS_CacheMode[set] &&
      (Sim.LS_WidthMode[set] == 0 || Sim.LS_NOLWS[set] == Sim.LS_CacheNOLWS[set]) &&
      (Sim.LS_WidthMode[set] == 1 || Sim.LS_Span[set] == Sim.LS_CacheSpan[set]) &&
      std::equal(steps, steps + 4, Sim.LS_StepCache[set])) {
    if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER) || sim::DebugTopic(sim::DEBUG_TOPIC_TEMPLATE))
      DebugLogWrite("   LINESHAPE UNCHANGED - RETURN\n");
    return 1;
  }
  // Every level's length is known before anything is built or cached.
  int32_t lengths[4] = {};
  for (int16_t v = 0; v < 4; ++v) {
    if (steps[v] == 0.0) continue;  // the loop below warns
    const double n = ProfilePoints(set, gau, lor, steps[v]);
    if (TooLong(n)) return RefuseTooLong(set, v, n, "TMPL");
    lengths[v] = static_cast<int32_t>(n);
  }
  Sim.LS_CacheGau[set] = gau;
  Sim.LS_CacheLor[set] = lor;
  Sim.LS_CacheNOLWS[set] = Sim.LS_NOLWS[set];
  Sim.LS_CacheSpan[set] = Sim.LS_Span[set];
  Sim.LS_CacheMode[set] = Sim.LS_WidthMode[set];
  std::copy(steps, steps + 4, Sim.LS_StepCache[set]);

  const Shape shape = ShapeOf(gau, lor);
  const double peak = shape == Shape::Voigt ? VoigtProfile(0.0, gau, lor) : 1.0;
  for (int16_t v = 0; v < 4; ++v) {
    const double s = steps[v];
    if (s == 0.0) {
      Sim.LS_StepCache[set][v] = 0.0;
      return ZeroStep("SimLineShapeTemplate()", v);
    }
    const int32_t n = lengths[v];
    int16_t*& T = Sim.LS_SAry[set][v];
    if (Sim.LS_SAryCap[set][v] < n || !T) {
      if (QvAllocFailed(SReAlloc1Dim(&T, static_cast<uint32_t>(n)))) {
        Sim.LS_SAryCap[set][v] = 0;
        Sim.LS_CacheNOLWS[set] = 0;
        Sim.LS_CacheGau[set] = 0.0;
        Sim.LS_CacheLor[set] = 0.0;
        Sim.LS_StepCache[set][v] = 0.0;
        sim::Error("SimLineShapeTemplate()/Sim.LS_SAry\n\nCORE ALLOCATION ERROR");
        return 0;
      }
      Sim.LS_SAryCap[set][v] = n;
    }
    Sim.LS_SPts[set][v] = n;
    SearchPoints(set, v, n, "TMPL");
    for (int32_t k = 0; k < n; ++k) {
      const double d = k * s;
      double t = 0.0;
      switch (shape) {
        case Shape::Gaussian:
          t = 32767.0 * std::exp(-VOIGT_4LN2 * d * d / (gau * gau));
          break;
        case Shape::Lorentzian:
          t = 32767.0 / (d * d / (lor * lor / 4.0) + 1.0);
          break;
        case Shape::Voigt:
          t = peak > 0.0 ? 32767.0 * VoigtProfile(d, gau, lor) / peak : 0.0;
          break;
        case Shape::Stick:
          t = k == 0 ? 32767.0 : 0.0;  // no stale points of an earlier shape stay behind
          break;
      }
      T[k] = static_cast<int16_t>(std::min(32767.0, t + 0.5));
    }
  }
  SimLineShapeTemplateFactors(set);
  return 1;
}

int32_t SimLineShapeHalfPoints(int16_t set, int16_t view, double gau, double lor) {
  if (!sim::ValidSet(set) || !sim::ValidView(view)) return 0;
  const double s = sim::SetViewStep(set, view);
  if (s == 0.0) return 0;
  const double n = ProfilePoints(set, ShapeGaussian(set, gau), lor, s);
  if (TooLong(n)) return 0;
  return std::max(static_cast<int32_t>(n), kHalfProfileMin);
}

void SimLineShapeTemplateFactors(int16_t set) {
  if (!sim::ValidSet(set)) return;
  const int16_t* T = Sim.LS_SAry[set][3];
  double sum = 0.0;
  if (T && Sim.LS_SPts[set][3] >= 1) {
    sum = T[0];
    for (int32_t k = 1; k < Sim.LS_SPts[set][3]; ++k) sum += 2.0 * T[k];
  }
  const double area = sum * std::fabs(Sim.LS_StepCache[set][3]) / 32767.0;
  Sim.LS_Area[set] = static_cast<float>(area == 0.0 ? 1.0 : area);
  Sim.LS_Peak[set] = 1.0f;
}

namespace {

// The common work of the two builders: T is float or double.
template <typename T, typename Grow>
int32_t BuildHalfProfiles(LineShapeRec* rec, T** lo, T** hi, double gau, double lor, bool dnrm,
                          int32_t* capacity, Grow grow) {
  const char* who = dnrm ? "SimLineShapeDNrm()" : "SimLineShapeFNrm()";
  if (!rec || !lo || !hi || !sim::ValidSet(rec->Set) || !sim::ValidView(rec->View)) return 0;
  const int16_t set = rec->Set, view = rec->View;
  const double s = sim::SetViewStep(set, view);
  if (s == 0.0) return ZeroStep(who, view);
  gau = ShapeGaussian(set, gau);
  const double points = ProfilePoints(set, gau, lor, s);
  if (TooLong(points)) return RefuseTooLong(set, view, points, dnrm ? "DNRM" : "FNRM");
  const int32_t n = std::max(static_cast<int32_t>(points), kHalfProfileMin);
  if (!GrowPair(lo, hi, capacity, n, grow)) {
    char text[200];
    StrFormat(text, "%s/Sim.LS_Lo_%cAry/Sim.LS_Hi_%cAry\n\nCORE ALLOCATION ERROR", who, dnrm ? 'D' : 'F',
              dnrm ? 'D' : 'F');
    sim::Error(text);
    return 0;
  }
  Sim.LS_Pts[set][view] = n;
  SearchPoints(set, view, n, dnrm ? "DNRM" : "FNRM");

  T* L = *lo;
  T* H = *hi;
  const double S = rec->FrqCor;
  const bool htCalc = Sim.HT_LnCalc[set] == 1 || (dnrm && Lsf.Ln_Calc[set] == 1);
  const Shape shape = ShapeOf(gau, lor);
  bool written = true;
  if (FillAsymmetric(Sim.LS_Func[set], lor, rec->Nu0, S, s, n, L, H)) {
  } else if (dnrm && htCalc) {
    if (sim::DebugTopic(sim::DEBUG_TOPIC_RENDER))
      DebugPrintf("   MTN LN - VOIGT LOR=%f GAU=%f FRQ_COR=%f\n", lor, gau, S);
    // The line calculation's request for the half profiles, whichever switch (the set's
    // or the fit's) sent the line here and whoever filled the record.
    rec->Mode = 1;
    rec->Sub = 0;
    if (SimHTLineCalc(0, rec) == 0) return 0;
  } else if (shape == Shape::Voigt && htCalc) {
    sim::Error("SimLineShapeFNrm()/MOUNTAIN LINE NOT VALID");
    return 0;
  } else if (shape == Shape::Stick) {
    written = false;
  } else {
    if (dnrm && shape == Shape::Voigt && sim::DebugTopic(sim::DEBUG_TOPIC_RENDER))
      DebugPrintf("   V LN - VOIGT LOR=%f GAU=%f FRQ_COR=%f\n", lor, gau, S);
    if (shape == Shape::Voigt) {
      FillVoigt(gau, lor, dnrm ? S : 0.0, s, n, L, H);
    } else if (dnrm) {
      // The line centre lies S above the centre grid point.
      for (int32_t k = 0; k < n; ++k) {
        L[k] = static_cast<T>(SymmetricValue(shape, gau, lor, k * s + S));
        H[k] = static_cast<T>(SymmetricValue(shape, gau, lor, k * s - S));
      }
    } else {
      for (int32_t k = 0; k < n; ++k) L[k] = H[k] = static_cast<T>(SymmetricValue(shape, gau, lor, k * s));
    }
  }
  // A stick (both widths 0) writes no profile: its area and peak are those of a unit stick.
  const double area = written ? AreaOf(L, H, n, s) : 1.0;
  const double peak = written ? static_cast<double>(L[0]) : 1.0;
  rec->Area = area;
  rec->Peak = peak;
  if (!dnrm && Sim.HT_LnCalc[set] == 0) {
    Sim.LS_Area[set] = static_cast<float>(area);
    Sim.LS_Peak[set] = static_cast<float>(peak);
  }
  return 1;
}

}  // namespace

int32_t SimLineShapeFNrm(LineShapeRec* rec, float** lo, float** hi) {
  if (!rec || !sim::ValidSet(rec->Set) || !sim::ValidView(rec->View)) return 0;
  return BuildHalfProfiles(rec, lo, hi, Sim.LS_GAU[rec->Set], Sim.LS_LOR[rec->Set], false,
                           &Sim.LS_FAryCap[rec->Set][rec->View], FReAlloc1Dim);
}

int32_t SimLineShapeDNrm(LineShapeRec* rec, double** lo, double** hi) {
  if (!rec || !sim::ValidSet(rec->Set) || !sim::ValidView(rec->View)) return 0;
  return BuildHalfProfiles(rec, lo, hi, rec->Gau, rec->Lor, true, &Sim.LS_DAryCap[rec->Set][rec->View],
                           DReAlloc1Dim);
}

int32_t SimLineShapeSetProfiles(int16_t set, int16_t view, double nu0, LineShapeRec* rec) {
  if (!rec || !sim::ValidSet(set) || !sim::ValidView(view)) return 0;
  *rec = LineShapeRec{};
  rec->HtCalc = Sim.HT_LnCalc[set];
  rec->Set = set;
  rec->View = view;
  rec->Gau = Sim.LS_GAU[set];
  rec->Lor = Sim.LS_LOR[set];
  rec->Nu0 = nu0;
  return Sim.LS_Double == 0 ? SimLineShapeFNrm(rec, &Sim.LS_Lo_FAry[set][view], &Sim.LS_Hi_FAry[set][view])
                            : SimLineShapeDNrm(rec, &Sim.LS_Lo_DAry[set][view], &Sim.LS_Hi_DAry[set][view]);
}

int32_t SimLineShapeSum(int16_t set, int16_t view, int32_t centre, int32_t half, int32_t length,
                        double amplitude, double* out) {
  if (!sim::ValidSet(set) || !sim::ValidView(view) || !out) return 0;
  const double* lo = Sim.LS_Lo_DAry[set][view];
  const double* hi = Sim.LS_Hi_DAry[set][view];
  if (!lo || !hi) return 0;
  half = std::min(half, Sim.LS_Pts[set][view]);
  if (half < 1) return 1;
  const int64_t c = centre;
  if (c - half >= 0 && c + half < length) {
    out[c] += amplitude * lo[0];
    for (int32_t k = 1; k < half; ++k) {
      out[c - k] += amplitude * lo[k];
      out[c + k] += amplitude * hi[k];
    }
    return 1;
  }
  if (c >= 0 && c < length) out[c] += amplitude * lo[0];
  for (int32_t k = 1; k < half; ++k) {
    if (c - k >= 0 && c - k < length) out[c - k] += amplitude * lo[k];
    if (c + k >= 0 && c + k < length) out[c + k] += amplitude * hi[k];
  }
  return 1;
}

double LineShapeValue(double gau, double lor, double d) {
  return SymmetricValue(ShapeOf(gau, lor), gau, lor, d);
}

namespace {

// A Voigt line of area 1 (peak false) or of height 1 at its centre (peak true) at
// distance d; the limits where a width is 0.
double FitShape(double d, double gau, double lor, bool peak) {
  if (gau <= 0.0) {
    if (lor <= 0.0) return 0.0;
    const double q = lor * lor / 4.0;
    return peak ? q / (q + d * d) : (lor / (2.0 * kPi)) / (q + d * d);
  }
  if (!peak) return VoigtProfile(d, gau, lor);
  const double y = VOIGT_SQRT_LN2 * std::max(lor, 0.0) / gau;
  const double z[2] = {2.0 * VOIGT_SQRT_LN2 * d / gau, y};
  const double zc[2] = {0.0, y};
  double w[2], wc[2];
  const double value = VoigtComplexErrorFn(z, w) != 0 ? 0.0 : w[0];
  const double centre = VoigtComplexErrorFn(zc, wc) != 0 ? 1.0 : wc[0];
  return centre != 0.0 ? value / centre : 0.0;
}

}  // namespace

double VoigtFuncValue(int16_t set, int32_t line, int32_t point, const double* lineProfile, const double* prm,
                      double nu) {
  if (!sim::ValidSet(set) || !prm) return 0.0;
  const double I = prm[0], nu0 = prm[1], G = prm[2], L = prm[3];
  if (Sim.HT_LnCalc[set] == 1) {
    if (Lsf.Ln_Recalc[set] == 0 && Lsf.Fit_FrqShift[set] == 0.0) {
      if (!lineProfile || point < 0 || point >= Lsf.Fit_PtCnt[set]) return 0.0;
      return I * lineProfile[point];
    }
    LineShapeRec rec;
    rec.HtCalc = 1;
    rec.Mode = 0;
    rec.Sub = 1;
    rec.Set = set;
    rec.View = 3;
    rec.Line = static_cast<uint32_t>(line);
    rec.Lor = Sim.LS_LOR[set];
    rec.Gau = Sim.LS_GAU[set];
    rec.Offset = nu - nu0;
    // The value lands in the set's profile store, which painting reads.
    EnterCriticalSection(&SimPlotLock);
    double value = 0.0;
    if (SimHTLineCalc(0, &rec) != 0 && Sim.LS_Hi_DAry[set][3]) value = I * Sim.LS_Hi_DAry[set][3][0];
    LeaveCriticalSection(&SimPlotLock);
    return value;
  }
  return I * FitShape(nu - nu0, G, L, Sim.LN_STAT[set] != 1);
}

int32_t VoigtFuncInit(int16_t set, double** lineProfiles, const double*) {
  if (!sim::ValidSet(set) || !lineProfiles) return 0;
  const int32_t first = Lsf.Fit_PtFirst[set];
  const int32_t count = Lsf.Fit_PtCnt[set];
  const int32_t lines = static_cast<int32_t>(Sim.FI_Lines[set]);
  const int32_t beg = std::max(0, Lsf.Fit_LnBeg[set]);
  const int32_t end = std::min(lines - 1, Lsf.Fit_LnEnd[set]);
  if (count < 1 || !Sim.FI_Sim_Erg[set]) return 0;
  EnterCriticalSection(&SimPlotLock);
  int32_t result = 1;
  if (sim::DebugTopic(sim::DEBUG_TOPIC_FIT)) DebugPrintf("   FRQ START=%e\n", DisplayPixelToFreqAt(3, first, 0));
  // Lines of the other source sets first, then the set's own.
  for (int pass = 0; pass < 2 && result == 1; ++pass) {
    for (int32_t i = beg; i <= end; ++i) {
      const uint16_t src = Lsf.Line_Src[set] ? Lsf.Line_Src[set][i] : static_cast<uint16_t>(set);
      if ((src == static_cast<uint16_t>(set)) != (pass == 1)) continue;
      const double nu = Sim.FI_Sim_Erg[set][i] + Lsf.Fit_FrqShift[set];
      const int32_t centre = DisplayFreqToPixelAt(3, first, nu);
      LineShapeRec rec;
      rec.HtCalc = Sim.HT_LnCalc[set];
      rec.Mode = 1;
      rec.Sub = 0;
      rec.Set = set;
      rec.Src = src;
      rec.View = 3;
      rec.Line = static_cast<uint32_t>(i);
      rec.Tag = Lsf.Line_Tag[set] ? Lsf.Line_Tag[set][i] : 0;
      rec.Lor = Sim.LS_LOR[set];
      rec.Gau = Sim.LS_GAU[set];
      rec.Itn = Sim.FI_Sim_Itn[set] ? Sim.FI_Sim_Itn[set][i] : 0.0;
      rec.Erg = Sim.FI_Sim_Erg[set][i];
      rec.Nu0 = nu;
      rec.FrqCor = nu - DisplayPixelToFreqAt(3, first, centre);
      if (sim::DebugTopic(sim::DEBUG_TOPIC_FIT)) DebugPrintf("[%d] FRQ SHIFT=[%d]=%e\n", i, centre, rec.FrqCor);
      if (SimLineShapeDNrm(&rec, &Sim.LS_Lo_DAry[set][3], &Sim.LS_Hi_DAry[set][3]) != 1) {
        sim::Warning("VoigtFuncInit()\n\nSimLineShapeDNrm ERROR\n\nABORTING");
        result = 0;
        break;
      }
      double* profile = lineProfiles[i];
      if (!profile) {
        result = 0;
        break;
      }
      std::fill(profile, profile + count, 0.0);
      if (SimLineShapeSum(set, 3, centre, Sim.LS_Pts[set][3], count, 1.0, profile) != 1) {
        sim::Warning("VoigtFuncInit()\n\nSimLineShapeSum ERROR\n\nABORTING");
        result = 0;
        break;
      }
    }
  }
  LeaveCriticalSection(&SimPlotLock);
  return result;
}

void SimLineShapeStoresFree() {
  for (int set = 0; set < 9; ++set) {
    for (int v = 0; v < 4; ++v) {
      SFree1Dim(&Sim.LS_SAry[set][v]);
      FFree1Dim(&Sim.LS_Lo_FAry[set][v]);
      FFree1Dim(&Sim.LS_Hi_FAry[set][v]);
      DFree1Dim(&Sim.LS_Lo_DAry[set][v]);
      DFree1Dim(&Sim.LS_Hi_DAry[set][v]);
      Sim.LS_SAryCap[set][v] = Sim.LS_FAryCap[set][v] = Sim.LS_DAryCap[set][v] = 0;
      Sim.LS_SPts[set][v] = Sim.LS_Pts[set][v] = 0;
    }
  }
}
