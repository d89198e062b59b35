// Phases of a channel's transform: calculation, unwrapping and wrapping, the model
// phase update of the transform dialog and the per-line phase zero.
#include <cmath>
#include <string>
#include <vector>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "core/Coords.h"
#include "core/Repaint.h"
#include "fileproc/FftInternal.h"
#include "fileproc/Fourier.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/MathConst.h"
#include "records/Sim.h"
#include "records/Trans.h"
#include "records/Win.h"

int32_t FFTwPhaseCalcAry(const float* reF, const float* imF, const double* reD, const double* imD,
                         const double* cplx, int32_t n, float* out) {
  if (n <= 0 || !out) return 0;
  auto value = [&](int32_t k, double* re, double* im) {
    if (reF && imF) {
      *re = reF[k];
      *im = imF[k];
    } else if (reD && imD) {
      *re = reD[k];
      *im = imD[k];
    } else {
      *re = cplx[2 * k];
      *im = cplx[2 * k + 1];
    }
  };
  if (!(reF && imF) && !(reD && imD) && !cplx) return 0;
  double re = 0.0;
  double im = 0.0;
  value(0, &re, &im);
  if (re == 0.0 && im == 0.0) {
    core_io::Warning("FFTwPhaseCalcAry()\n\nINVALID ARG TO ATAN2\n\nABORTING");
    return 0;
  }
  const double toDeg = 1.0 / MathConst.DegToRad;
  int32_t zeros = 0;
  for (int32_t k = 0; k < n; ++k) {
    value(k, &re, &im);
    if (re == 0.0 && im == 0.0) {
      out[k] = 0.0f;
      ++zeros;
    } else {
      out[k] = static_cast<float>(std::atan2(im, re) * toDeg);
    }
  }
  core_io::StatusText(2, StrPrintf("ATAN2 ERRORS=[%ld] - BOTH FLOAT ARGS ZERO", static_cast<long>(zeros)));
  core_io::StatusText(0, "PHASE CALC FINISHED");
  return 1;
}

namespace {

template <class T>
void Unwrap(T* a, int32_t n) {
  if (n <= 0) return;
  double prev = a[0];
  double offset = 0.0;
  for (int32_t k = 1; k < n; ++k) {
    double cur = a[k] + offset;
    while (cur - prev > 180.0) {
      offset -= 360.0;
      cur -= 360.0;
    }
    while (cur - prev < -180.0) {
      offset += 360.0;
      cur += 360.0;
    }
    prev = cur;
    a[k] = static_cast<T>(a[k] + offset);
  }
}

template <class T>
void Wrap(T* a, int32_t n, double scale) {
  const double half = 180.0 * scale;
  const double period = 2.0 * half;
  if (period <= 0.0) return;
  double offset = 0.0;
  for (int32_t k = 0; k < n; ++k) {
    if (std::fabs(a[k] - offset) > 1e8) continue;
    double d = a[k] - offset;
    if (d > half) offset += std::trunc(d / period + 1.0) * period;
    d = a[k] - offset;
    // As few periods as bring the value up to -half or above, never past +half.
    if (d < -half) offset -= std::ceil((-d - half) / period) * period;
    a[k] = static_cast<T>(a[k] - offset);
  }
}

void SizeError(const char* routine, int64_t fileSize, int64_t stored) {
  core_io::Error(StrPrintf("%s\n\nFFT FILE SZ=[%ld] != STORED SZ=[%ld]\n\nABORTING", routine,
                           static_cast<long>(fileSize), static_cast<long>(stored)));
}

// Reads the channel's "Re" and "Im" result files into the double copies once after
// each transform (Trans_Phase_DAry absent); false leaves no phase array, so the next
// update reads again.
bool PhaseArraysReady(int16_t c, int32_t n) {
  if (Trans.Trans_Phase_DAry[c] && Trans.Trans_PhaseSz[c] == n && Trans.Trans_FileDSz[c] == static_cast<uint32_t>(n))
    return true;
  DFree1Dim(&Trans.Trans_Phase_DAry[c]);
  Trans.Trans_PhaseSz[c] = 0;
  if (QvAllocFailed(DAlloc1Dim(&Trans.Trans_Phase_DAry[c], static_cast<uint32_t>(n)))) {
    core_io::Error("FFTwPhaseShift()/Trans_Phase_DAry\n\nCORE ALLOCATION ERROR");
    return false;
  }
  const std::string base = Trans.Trans_TimeFlnm[c];
  uint32_t re = 0;
  uint32_t im = 0;
  bool ok = TransReadDoubles(base + "Re", &Trans.Trans_FileRe_DAry[c], &re) &&
            TransReadDoubles(base + "Im", &Trans.Trans_FileIm_DAry[c], &im);
  if (ok && (re != static_cast<uint32_t>(n) || im != static_cast<uint32_t>(n))) {
    SizeError("FFTwPhaseShift()", re != static_cast<uint32_t>(n) ? re : im, n);
    ok = false;
  }
  if (!ok) {
    DFree1Dim(&Trans.Trans_Phase_DAry[c]);
    Trans.Trans_FileDSz[c] = 0;
    return false;
  }
  Trans.Trans_PhaseSz[c] = n;
  Trans.Trans_FileDSz[c] = static_cast<uint32_t>(n);
  return true;
}

}  // namespace

int32_t FFTwPhaseUnwrap(int16_t mode, int32_t n, float* f, double* d, double scale) {
  if (mode == 1) {
    if (f) Unwrap(f, n);
    if (d) Unwrap(d, n);
    core_io::StatusText(0, "PHASE UNWRAPPED");
  } else {
    if (f) Wrap(f, n, scale);
    if (d) Wrap(d, n, scale);
    core_io::StatusText(0, "PHASE WRAPPED");
  }
  return 1;
}

int32_t FFTwPhaseShift(int16_t chn, int32_t from, int32_t to) {
  if (!TransValidChn(chn) || Trans.Trans_ReImPh_Flag[chn] != 1) return 0;
  const int16_t c = chn;
  const int32_t n = Trans.Trans_FreqSz[c];
  float** view = Trans.Trans_Freq_FAry[c];
  if (n <= 0 || !view[1] || !view[2] || !view[3]) return 0;
  if (!PhaseArraysReady(c, n)) return 0;
  const double* re = Trans.Trans_FileRe_DAry[c];
  const double* im = Trans.Trans_FileIm_DAry[c];
  double* phase = Trans.Trans_Phase_DAry[c];
  if (from < 0) from = 0;
  if (to > n) to = n;

  if (Trans.Trans_Unwrap_Flag[c] == 1 && FFTwPhaseCalcAry(nullptr, nullptr, re, im, nullptr, n, view[3]) == 1)
    FFTwPhaseUnwrap(1, n, view[3], nullptr, 1.0);

  // A reference channel's phase must cover every point of this one.
  const int16_t ref = Trans.Trans_RefChn[c];
  const bool useRef = ref != c && TransValidChn(ref) && Trans.Trans_Phase_DAry[ref];
  if (useRef && (Trans.Trans_FreqSz[ref] < n || !Trans.Trans_Freq_FAry[ref][3])) {
    SizeError("FFTwPhaseShift()", Trans.Trans_FreqSz[ref], n);
    return 0;
  }
  if (Trans.Trans_ChirpRate[c] == 0.0) {
    TransChildStatus(c, 2, 0, "FFTwUpdate()\n\nCHIRP RATE ZERO\n\nABORTING");
    return 0;
  }
  const double span = Trans.Trans_TimeSz[c] * Cnl.Horz_Intv[c][0] * Trans.Trans_FrqSzFactor[c];
  if (span == 0.0) return 0;
  const double df = 1.0 / span;
  const double* p = Trans.Trans_PhaseCoef[c];
  const double delay = Trans.Trans_Delay[c];
  const double rate = Trans.Trans_ChirpRate[c];
  for (int32_t k = from; k < to; ++k) {
    const double f = k * df;
    phase[k] = p[0] + p[1] * delay * f + p[2] * f * f / (2.0 * rate) + p[3] * 1e-14 * f * f * f;
    if (useRef) phase[k] -= Trans.Trans_Freq_FAry[ref][3][k];
  }

  // Fitted lines replace the model phase inside their windows (arrays made for this size only).
  if (Trans.Trans_FitLines[c] > 0 && Trans.Trans_FitSz[c] == n && view[5] && Trans.Trans_SimPhasePos_LAry[c]) {
    for (int32_t k = 0; k < n; ++k) view[5][k] = static_cast<float>(phase[k]);
    for (uint32_t i = 0; i < Trans.Trans_FitLines[c]; ++i) {
      const int32_t pos = Trans.Trans_SimPhasePos_LAry[c][i];
      const int32_t w = Trans.Trans_SimPhaseWidth[c][i];
      if (pos < 0 || pos - w < 0 || pos + w >= n) continue;
      for (int32_t k = pos - w; k < pos + w; ++k) phase[k] = Trans.Trans_SimPhaseBest_DAry[c][i];
    }
    if (Trans.Trans_Unwrap_Flag[c] == 1) FFTwPhaseUnwrap(1, n, nullptr, phase, 1.0);
  }

  const double toRad = MathConst.DegToRad;
  for (int32_t k = from; k < to; ++k) {
    const double t = phase[k] * toRad;
    const double cs = std::cos(t);
    const double sn = std::sin(t);
    view[2][k] = static_cast<float>(cs * re[k] - sn * im[k]);
    view[1][k] = static_cast<float>(sn * re[k] + cs * im[k]);
  }
  if (Trans.Trans_Unwrap_Flag[c] == 0) FFTwPhaseUnwrap(0, n, nullptr, phase, 1.0);
  TransChildStatus(c, 2, 0, "PHASE UPD");
  return 1;
}

namespace {

// Best angle of one line over window [a, b) of the float copies; -1 when no angle
// gives the line a positive sum (the line is then not fitted).
int32_t BestAngle(const float* re, const float* im, int32_t a, int32_t b, int32_t* peakOut) {
  double sum[360];
  int32_t peak[360];
  double smax = -1e20;
  for (int th = 0; th < 360; ++th) {
    const double cs = std::cos(th * MathConst.DegToRad);
    const double sn = std::sin(th * MathConst.DegToRad);
    double s = 0.0;
    double top = 0.0;
    peak[th] = a;
    for (int32_t k = a; k < b; ++k) {
      const double r = cs * re[k] - sn * im[k];
      s += r;
      if (k == a || r > top) {
        top = r;
        peak[th] = k;
      }
    }
    sum[th] = s;
    if (s > smax) smax = s;
  }
  if (smax <= 0.0) return -1;
  int32_t best = -1;
  double bestMetric = 1e20;
  for (int th = 0; th < 360; ++th) {
    double metric = 2e20;
    if (sum[th] > 0.9 * smax) {
      const double cs = std::cos(th * MathConst.DegToRad);
      const double sn = std::sin(th * MathConst.DegToRad);
      double left = 0.0;
      double right = 0.0;
      for (int32_t k = a; k < b; ++k) {
        const double d = sn * re[k] + cs * im[k];
        if (k <= peak[th]) left += d;
        if (k >= peak[th]) right += d;
      }
      metric = std::fabs(left + right);
    }
    if (metric < bestMetric) {
      bestMetric = metric;
      best = th;
    }
  }
  if (best >= 0) *peakOut = peak[best];
  return best;
}

bool SizeFitArrays(int16_t c, uint32_t lines, int32_t n) {
  Trans.Trans_FitLines[c] = 0;
  Trans.Trans_FitSz[c] = 0;
  DFree1Dim(&Trans.Trans_SimPhaseBest_DAry[c]);
  LFree1Dim(&Trans.Trans_SimPhasePos_LAry[c]);
  LFree1Dim(&Trans.Trans_SimPhaseWidth[c]);
  for (int r = 4; r <= 6; ++r) FFree1Dim(&Trans.Trans_Freq_FAry[c][r]);
  const uint32_t m = static_cast<uint32_t>(n);
  return !QvAllocFailed(DAlloc1Dim(&Trans.Trans_SimPhaseBest_DAry[c], lines)) &&
         !QvAllocFailed(LAlloc1Dim(&Trans.Trans_SimPhasePos_LAry[c], lines)) &&
         !QvAllocFailed(LAlloc1Dim(&Trans.Trans_SimPhaseWidth[c], lines)) &&
         !QvAllocFailed(FAlloc1Dim(&Trans.Trans_Freq_FAry[c][4], m)) &&
         !QvAllocFailed(FAlloc1Dim(&Trans.Trans_Freq_FAry[c][5], m)) &&
         !QvAllocFailed(FAlloc1Dim(&Trans.Trans_Freq_FAry[c][6], m));
}

}  // namespace

int32_t FFTwPhaseZero(int16_t reload, int16_t chn, int32_t lo, int32_t hi, int32_t w) {
  if (!TransValidChn(chn)) return 0;
  const int16_t c = chn;
  const std::string base = Trans.Trans_TimeFlnm[c];
  const std::string rePS = base + "RePS";
  const std::string imPS = base + "ImPS";
  if (!core_io::AskYesNo(StrPrintf("PERFORM PHASE ZERO [YES|NO]?\n\nFILE=[%s] & [%s] WILL BE OVERWRITTEN",
                                   rePS.c_str(), imPS.c_str())) ||
      Trans.Trans_ReImPh_Flag[c] == 0)
    return 0;
  if (lo == 0 && hi == 0) {
    core_io::Info("MARK FIT REGION IN MAIN WINDOW\n\nABORTING");
    return 0;
  }
  if (w <= 0) {
    core_io::Info(StrPrintf("MARK WIDTH OF FIT REGION IN FREQUENCY DOMAIN WINDOW=[%d]\n\nABORTING", c));
    return 0;
  }
  int set = 0;
  while (set < SIM_SETS && !(Sim.Dsp_Stat[set] == 1 && Sim.Dsp_Cnl[set] == c)) ++set;
  if (set == SIM_SETS) {
    core_io::Info(StrPrintf("DSP SIM & ASSOC SIM WITH EXPT CHN=[%d]\n\nABORTING", c));
    return 0;
  }
  const uint32_t lines = Sim.FI_Lines[set];
  if (lines == 0 || !Sim.FI_Sim_Erg[set]) {
    core_io::Info(StrPrintf("SIM [%d] HAS NO LINES TO FIT\n\nABORTING", set));
    return 0;
  }
  const int32_t n = Trans.Trans_FreqSz[c];
  if (n <= 0 || !SizeFitArrays(c, lines, n)) {
    core_io::Error(
        "FFTwPhaseZero()/Trans_SimPhaseBest_DAry/Trans_SimPhasePos_LAry/Trans_SimPhaseWidth/Trans_Freq_FAry[ 4-6 ] - "
        "ALLOCATION ERROR");
    return 0;
  }
  Trans.Trans_FitLines[c] = lines;
  Trans.Trans_FitSz[c] = n;
  for (uint32_t i = 0; i < lines; ++i) {
    Trans.Trans_SimPhaseBest_DAry[c][i] = 0.0;
    Trans.Trans_SimPhasePos_LAry[c][i] = -1;
    Trans.Trans_SimPhaseWidth[c][i] = w;
  }

  if (reload == 1 || !Trans.Trans_FileRe_FAry[c] || !Trans.Trans_FileIm_FAry[c]) {
    uint32_t re = 0;
    uint32_t im = 0;
    Trans.Trans_FileFSz[c] = 0;
    if (!TransReadFloats(base + "Re", &Trans.Trans_FileRe_FAry[c], &re) ||
        !TransReadFloats(base + "Im", &Trans.Trans_FileIm_FAry[c], &im))
      return 0;
    if (re != static_cast<uint32_t>(n) || im != static_cast<uint32_t>(n)) {
      SizeError("FFTwPhaseZero()", re != static_cast<uint32_t>(n) ? re : im, n);
      return 0;
    }
    Trans.Trans_FileFSz[c] = re;
  }
  if (Trans.Trans_FileFSz[c] != static_cast<uint32_t>(n)) {
    SizeError("FFTwPhaseZero()", Trans.Trans_FileFSz[c], n);
    return 0;
  }

  int32_t corrected = 0;
  for (uint32_t j = 0; j < lines; ++j) {
    const int32_t p = DisplayFreqToPoint(c, Sim.FI_Sim_Erg[set][j]);
    if (!(lo < p && p < hi && p - w >= 0 && p + w <= n)) continue;
    int32_t peak = -1;
    const int32_t best = BestAngle(Trans.Trans_FileRe_FAry[c], Trans.Trans_FileIm_FAry[c], p - w, p + w, &peak);
    if (best < 0) continue;
    Trans.Trans_SimPhaseBest_DAry[c][j] = best;
    Trans.Trans_SimPhasePos_LAry[c][j] = peak;
    Trans.Trans_SimPhaseWidth[c][j] = w;
    for (int32_t k = p - w; k < p + w; ++k) Trans.Trans_Freq_FAry[c][4][k] = static_cast<float>(best);
    ++corrected;
    Win.Child_CursorLo[c][1] = p - w;
    Win.Child_CursorHi[c][1] = p + w;
    if (Win.Child_Created[c][1] == 1 && Win.hWnd_Child[c][1]) RepaintWindow("FFTwPhaseZero", Win.hWnd_Child[c][1], TRUE);
  }

  if (FFTwPhaseShift(c, 0, n) != 1) return 0;
  if (ManBinFileWrite(rePS.c_str(), nullptr, Trans.Trans_Freq_FAry[c][1], nullptr, BIN_ELEM_FLOAT, 0, n, 0, 0) != 1 ||
      ManBinFileWrite(imPS.c_str(), nullptr, Trans.Trans_Freq_FAry[c][2], nullptr, BIN_ELEM_FLOAT, 0, n, 0, 0) != 1)
    return 0;
  const std::string done = StrPrintf("PHASES=[%ld] CORRECTED IN [%s] & [%s] SAVED", static_cast<long>(corrected),
                                     rePS.c_str(), imPS.c_str());
  core_io::StatusText(3, done);
  core_io::Info(done);
  return 1;
}
