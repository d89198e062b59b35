#include "convert/calib/ThzLinearize.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "convert/calib/CalibCommon.h"
#include "convert/calib/ThzSections.h"
#include "core/BinFile.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "filelib/FileManip.h"
#include "numerics/Smooth.h"
#include "numerics/Sorts.h"
#include "numerics/Spline.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/ThzSettings.h"

namespace {

using calib::Post;
using calib::Work;
using core_io::Error;
using core_io::Warning;

ThzSettingsRecord& T = ThzSettings;

bool Debug119() { return calib::DebugOn(DEBUG_TOPIC_THZ); }

// Column 1 of the wavemeter log, absolute values, into r[0..lines). False when the
// log cannot be read or holds no reading.
bool ReadLog(double** r, uint32_t* lines) {
  *lines = 0;
  if (ManAsciiFileRead(T.WaveFlnm, 1, nullptr, nullptr, r, lines, 0) != 1 || *lines == 0 || !*r) return false;
  for (uint32_t i = 0; i < *lines; ++i) (*r)[i] = std::fabs((*r)[i]);
  return true;
}

struct LogArray {
  double* p = nullptr;
  ~LogArray() { DFree1Dim(&p); }
};

int32_t Fail(int32_t status) {
  T.Status = status;
  return 0;
}

// The readings r[from, to) of the section and the range they are taken from are
// numbers: one that is not would, through the spline, put NaN on every point of the
// frequency file. False after a warning naming it.
bool ReadingsAreNumbers(const double* r, int64_t from, int64_t to) {
  if (!std::isfinite(T.BegFrq) || !std::isfinite(T.EndFrq)) {
    Warning(StrPrintf("PHASE [I]\n\nBEG FRQ=[%f] END FRQ=[%f] NOT NUMBERS\n\nABORTING", T.BegFrq, T.EndFrq));
    return false;
  }
  for (int64_t i = from; i < to; ++i) {
    if (std::isfinite(r[i])) continue;
    Warning(StrPrintf("PHASE [I]\n\n[%s] LINE=[%lld] FRQ=[%f] NOT A NUMBER\n\nABORTING", T.WaveFlnm,
                      static_cast<long long>(i), r[i]));
    return false;
  }
  return true;
}

// ---- phase 0 ------------------------------------------------------------------------------

int32_t Phase0(int32_t interactive) {
  core_io::LineIn log(255);
  if (!log.Open(T.WaveFlnm)) {
    if (interactive == 1)
      Warning(StrPrintf("PHASE [0]\n\nFAILED TO OPEN ASCII WAVEMETER FRQ FILE [%s] FOR READING", T.WaveFlnm));
    return 0;
  }
  // The limits index the log's readings from 0: its lines whose first field is a
  // number, as the later phases read and index them, so that a header or a blank line
  // shifts no limit. An upper limit of 0 (to the end of the log) or of the reading
  // count (what this phase writes back for 0, and phase I for a section of the whole
  // log) names the last reading.
  std::string line;
  int32_t n = 0;
  double lower = 0.0, upper = 0.0, last = 0.0;
  while (log.Next(line) && n < INT32_MAX) {
    double v = 0.0;
    const char* p = line.c_str();
    if (!core_io::ScanDouble(p, &v)) continue;
    v = std::fabs(v);  // a reading is used by its magnitude, as the later phases read it
    if (n == T.LowerMk) lower = v;
    if (n == T.UpperMk) upper = v;
    last = v;
    ++n;
  }
  const bool toEnd = T.UpperMk == 0 || T.UpperMk == n;
  if (toEnd) upper = last;
  const int32_t upperMk = toEnd ? n : T.UpperMk;
  const int64_t intervals = int64_t{upperMk} - T.LowerMk;
  if (intervals == 0) {
    Warning(StrPrintf("PHASE [0]\n\nTOTAL NUMBER OF INTERVALS IS ZERO\n\nLOWER MK=[%d] UPPER MK=[%d] WAVEMETER FILE "
                      "[%s] READINGS=[%d]\n\nCHECK LIMITS",
                      T.LowerMk, T.UpperMk, T.WaveFlnm, n));
    return 0;
  }
  // Limits that name no reading of the log, or that run backwards, would leave an
  // earlier run's frequencies in place for the later phases.
  if (intervals < 0 || T.LowerMk < 0 || T.LowerMk >= n || upperMk < 0 || upperMk > n) {
    Warning(StrPrintf("PHASE [0]\n\nLOWER MK=[%d] UPPER MK=[%d] NAME NO INTERVAL OF READINGS\nIN WAVEMETER FILE [%s] "
                      "OF [%d] READINGS\n\nCHECK LIMITS",
                      T.LowerMk, T.UpperMk, T.WaveFlnm, n));
    return 0;
  }
  T.BegFrq = lower;
  T.EndFrq = upper;
  T.UpperMk = upperMk;
  T.TotIntv = T.UpperMk - T.LowerMk;
  return 1;
}

// ---- phase I ------------------------------------------------------------------------------

const char* InName(int16_t set) { return Cnv.Out_Flnm[set][T.InChn]; }
const char* OutName(int16_t set) { return Cnv.Out_Flnm[set][T.OutChn]; }

// The common end of phase I: the frequency file, the covered range, the span check.
int32_t Phase1End(int16_t set, const double* out, int64_t count, double lo, double hi) {
  (void)set;
  if (T.FrqFlnm[0] == '\0') StrCopy(T.FrqFlnm, "FRQ_FRQ");
  Work<float> f;
  if (!f.Alloc(static_cast<uint64_t>(count))) {
    Error("THzLinearization()/frqout_dpt/pt2frq_dpt - CORE ALLOCATION ERROR");
    return Fail(2);
  }
  for (int64_t i = 0; i < count; ++i) f[i] = static_cast<float>(out[i]);
  if (ManBinFileWrite(T.FrqFlnm, nullptr, f.p, nullptr, BIN_ELEM_FLOAT, 0, static_cast<int32_t>(count), 0, 0) != 1)
    return Fail(2);

  if (T.BegFrq < T.EndFrq) {
    T.ActLo = T.BegFrq + lo;
    T.ActHi = T.BegFrq + hi;
  } else if (T.BegFrq > T.EndFrq) {
    T.ActLo = T.BegFrq - lo;
    T.ActHi = T.BegFrq - hi;
  }
  if (T.RangeCheck != 0 && std::fabs(T.OpseqMin) >= std::fabs(T.ActHi - T.ActLo)) {
    T.Status = calib::AskYesNoCancel(StrPrintf(
        "PHASE [I]\n\nSET=[%u] INTV FRQ=[%f] < MIN VALUE=[%f]\n\nTARGET=[%f] TO [%f]\nACTUAL=[%f] TO [%f]\n\n"
        "USE ANYWAY [YES] | SKIP SECTION [NO] | ABORT [CANCEL]?",
        T.SetIdx, std::fabs(T.ActHi - T.ActLo), std::fabs(T.OpseqMin), T.BegFrq, T.EndFrq, T.ActLo, T.ActHi));
    if (T.Status != IDYES) return 0;
  }
  T.FileLen = static_cast<uint32_t>((T.TotIntv - 1) * static_cast<int64_t>(T.IntvSize));
  return 1;
}

// Way A: one log reading per intensity point.
int32_t Phase1PerPoint(int16_t set, double s) {
  LogArray r;
  uint32_t lines = 0;
  if (!ReadLog(&r.p, &lines)) {
    Warning(StrPrintf("PHASE [I]\n\nFAILED TO OPEN|READ ASCII WAVEMETER FILE [%s] FOR FRQS", T.WaveFlnm));
    return Fail(2);
  }
  T.IntvSize = static_cast<int32_t>(T.SectHi - T.SectLo);
  const int64_t points = calib::FilePoints(InName(set));
  if (points != static_cast<int64_t>(lines)) {
    core_io::Info(StrPrintf("PHASE [I]\n\nFILE LENGTHS OF WAVEMETER [%u] & ITN FILES [%u] SHOULD BE THE SAME\n\nABORTING",
                            lines, static_cast<uint32_t>(points < 0 ? 0 : points)));
    return Fail(2);
  }
  // The section must lie inside the log: its readings are read by index.
  if (T.SectHi <= T.SectLo || T.SectHi > lines) {
    Warning(StrPrintf("PHASE [I]\n\nSECTION [%u - %u] NOT WITHIN WAVEMETER FILE [%s] OF [%u] LINES\n\nABORTING",
                      T.SectLo, T.SectHi, T.WaveFlnm, lines));
    return Fail(2);
  }
  T.LowerMk = static_cast<int32_t>(T.SectLo);
  T.UpperMk = static_cast<int32_t>(T.SectHi);
  if (!ReadingsAreNumbers(r.p, T.SectLo, T.SectHi)) return Fail(2);
  Work<double> out;
  if (!out.Alloc(static_cast<uint64_t>(T.IntvSize))) {
    Error("THzLinearization()/pt2frq_dpt/frqout_dpt - CORE ALLOCATION ERROR");
    return Fail(2);
  }
  double lo = 1e20, hi = -1e20;
  for (int32_t i = 0; i < T.IntvSize; ++i) {
    out[i] = (r.p[T.SectLo + static_cast<uint32_t>(i)] - T.BegFrq) * s;
    if (out[i] < lo) lo = out[i];
    if (out[i] > hi) hi = out[i];
  }
  const int64_t count = T.IntvSize;
  T.TotIntv = static_cast<int32_t>(T.SectHi - T.SectLo);
  T.IntvSize = 1;
  Post(StrPrintf("   [%u] SZ BIN:TIME=[%d]:[%d] INTP ERRS=[%d] IN MIN|MAX=[%d]|[%d]\n", T.SetIdx, 0, 0, 0, 0, 0));
  if (Debug119()) DebugPrintf("I-A - SECTION=[%u - %u] FRQ MIN|MAX=[%f]|[%f]\n", T.SectLo, T.SectHi, lo, hi);
  return Phase1End(set, out.p, count, lo, hi);
}

}  // namespace

int32_t ThzMergePositions(double* x, double* y, int32_t n, int32_t lowerMk) {
  if (n <= 0) return 0;
  int32_t groups = 0;
  int32_t i = 0;
  while (i < n) {
    const double first = x[i];
    double sx = x[i], sy = y[i];
    int32_t members = 1;
    int32_t j = i + 1;
    for (; j < n; ++j) {
      if (x[j] > first) break;
      if (x[j] < first) {
        if (calib::AskYesNoId(StrPrintf("PHASE [I]\n\n[%s] LINE=[%d] TIME SEQUENCE ERROR\n\nCONTINUE [YES] | ABORT [NO]?",
                                        ThzSettings.WaveFlnm, lowerMk + j)) != IDYES) {
          ThzSettings.Status = 2;
          return -1;
        }
      }
      sx += x[j];
      sy += y[j];
      ++members;
    }
    x[groups] = sx / members;
    y[groups] = sy / members;
    ++groups;
    i = j;
  }
  return groups;
}

namespace {

// Way B: one log reading per interval of IntvSize points.
int32_t Phase1PerInterval(int16_t set, double s) {
  Post(StrPrintf("   [%u] IN FLNM=[%s] WAVEMETER FLNM=[%s]\n", T.SetIdx, InName(set), T.WaveFlnm));
  LogArray r;
  uint32_t lines = 0;
  if (!ReadLog(&r.p, &lines)) {
    Warning(StrPrintf("PHASE [I]\n\nFAILED TO OPEN|READ ASCII WAVEMETER FILE [%s] FOR FRQS", T.WaveFlnm));
    return Fail(2);
  }
  int64_t calc = 0;
  const int64_t points = calib::FilePoints(InName(set));
  if (lines > 1 && points >= 0) {
    calc = points / (lines - 1);
    if (calc != T.IntvSize) {
      if (T.IntvSize == 0) {
        T.IntvSize = static_cast<int32_t>(calc);
      } else {
        T.Status = calib::AskYesNoCancel(StrPrintf(
            "PHASE [I]\n\nOPSEQ INTERVAL SIZE=[%d] DIFFERENT FROM CALC SIZE=[%u]\n[%s] & [%s]\n\n"
            "USE OPSEQ VALUE [YES] | CALC VALUE [NO] | ABORT [CANCEL]?",
            T.IntvSize, static_cast<uint32_t>(calc), InName(set), T.WaveFlnm));
        if (T.Status != IDYES && T.Status != IDNO) return 0;
        if (T.Status == IDNO) T.IntvSize = static_cast<int32_t>(calc);
      }
    }
  }
  Post(StrPrintf("   [%u] ITN SIZE=[%d] FRQ SIZE=[%d]\n", T.SetIdx, T.IntvSize, static_cast<int32_t>(calc)));
  // Positions are counted in intervals of IntvSize points: a size below 1 gives no
  // points to place.
  if (T.IntvSize < 1) {
    Warning(StrPrintf("PHASE [I]\n\nINTERVAL SIZE=[%d] NOT POSITIVE\n\nABORTING", T.IntvSize));
    return Fail(2);
  }

  const int64_t size = T.IntvSize;
  int64_t lower = -1, upper = -1;
  for (int64_t i = 0; i < static_cast<int64_t>(lines); ++i) {
    if (lower < 0 && i * size >= static_cast<int64_t>(T.SectLo)) lower = i;
    if (i * size < static_cast<int64_t>(T.SectHi)) upper = i;
  }
  if (upper < 0) upper = static_cast<int64_t>(lines) - 1;
  if (lower < 0 || upper - lower < 2) {
    Warning("PHASE [I]\n\nTOTAL NUMBER OF FRQS ZERO WITHIN MARKER LIMITS\n\nABORTING");
    return Fail(2);
  }
  T.LowerMk = static_cast<int32_t>(lower);
  T.UpperMk = static_cast<int32_t>(upper);
  T.TotIntv = T.UpperMk - T.LowerMk;
  if (!ReadingsAreNumbers(r.p, T.LowerMk, T.UpperMk)) return Fail(2);

  // 1-based copies for the spline: element 0 unused.
  Work<double> x, y, y2;
  const uint64_t n1 = static_cast<uint64_t>(T.TotIntv) + 1;
  if (!x.Alloc(n1) || !y.Alloc(n1) || !y2.Alloc(n1)) {
    Error("THzLinearization()/pt_dpt - CORE ALLOCATION ERROR");
    return Fail(2);
  }
  for (int32_t i = 0; i < T.TotIntv; ++i) {
    x[i + 1] = static_cast<double>(i) * static_cast<double>(size);
    y[i + 1] = (r.p[T.LowerMk + i] - T.BegFrq) * s;
  }
  const int32_t before = T.TotIntv;
  const int32_t groups = ThzMergePositions(x.p + 1, y.p + 1, T.TotIntv, T.LowerMk);
  if (groups < 0) return 0;
  Post(StrPrintf("   [%u] X REPEATS [%d] OF [%d]\n", T.SetIdx, before - groups, before));
  T.TotIntv = groups;

  const float win = Cnv.FFT_SmoothWin;
  if (win < 0.0f || win > 2000.0f) {
    const double w = win < 0.0f ? std::fabs(static_cast<double>(win)) : static_cast<double>(win) - 2000.0;
    if (DSmooth(y.p + 1, w, T.TotIntv) != 1) return Fail(2);
  }
  if (DSpline(x.p, y.p, T.TotIntv, SPLINE_NATURAL, SPLINE_NATURAL, y2.p, 0) != 1) {
    Warning("PHASE [I]\n\nSPLINE ERROR\n\nABORTING");
    return Fail(2);
  }

  const int64_t first = static_cast<int64_t>(x[1]);
  const int64_t last = static_cast<int64_t>(x[static_cast<uint64_t>(T.TotIntv)]);
  const int64_t count = static_cast<int64_t>(T.TotIntv) * size;
  Work<double> out;
  if (count < 1 || count > INT32_MAX || !out.Alloc(static_cast<uint64_t>(count))) {
    Error("THzLinearization()/frqout_dpt/pt2frq_dpt - CORE ALLOCATION ERROR");
    return Fail(2);
  }
  int32_t errors = 0;
  double lo = 1e20, hi = -1e20;
  for (int64_t p = 0; p < count; ++p) {
    int64_t at = p;
    if (p < first) {
      at = first;
      ++errors;
    } else if (p > last) {
      at = last;
      ++errors;
    }
    double v = 0.0;
    if (DSplint(x.p, y.p, y2.p, T.TotIntv, static_cast<double>(at), &v) != 1) {
      Warning("PHASE [I]\n\nSPLINE ERROR\n\nABORTING");
      return Fail(2);
    }
    out[static_cast<uint64_t>(p)] = v;
    if (v < lo) lo = v;
    if (v > hi) hi = v;
  }
  Post(StrPrintf("   [%u] THZ INTV SZ [%d] - INTP ERRS [%d] IN TIME WIN=[%d - %d]\n", T.SetIdx, T.IntvSize, errors,
                 static_cast<int32_t>(first), static_cast<int32_t>(last)));
  if (Debug119())
    DebugPrintf("I-B - READINGS=[%d - %d] POINTS=[%d] FRQ MIN|MAX=[%f]|[%f]\n", T.LowerMk, T.UpperMk,
                static_cast<int32_t>(count), lo, hi);
  return Phase1End(set, out.p, count, lo, hi);
}

int32_t Phase1(int16_t set) {
  const double s = T.BegFrq < T.EndFrq ? 1.0 : -1.0;
  return T.PerPointLog == 1 ? Phase1PerPoint(set, s) : Phase1PerInterval(set, s);
}

// ---- phase II -----------------------------------------------------------------------------

// Zeroes the output points that lie in runs of identical log readings of lines
// [a, b); the run at the end of the lines is bounded by the reading after them when
// the log holds one.
void ZeroModeHops(const double* r, uint32_t lines, uint32_t a, uint32_t b, float* out, uint32_t* zeroLog,
                  uint32_t* zeroOut) {
  uint32_t k = 0;
  const double step = T.OutFrqStp;
  uint32_t i = a;
  while (i + 1 < b) {
    const double wi = std::fabs(r[i] - T.BegFrq);
    uint32_t j = i + 1;
    while (j < b && std::fabs(r[j] - T.BegFrq) == wi) {
      ++(*zeroLog);
      ++j;
    }
    if (j - i > 1) {
      const bool bounded = j < lines;
      const double wj = bounded ? std::fabs(r[j] - T.BegFrq) : wi;
      while (k < T.OutPts && static_cast<double>(k) * step < wi) ++k;
      while (k < T.OutPts && static_cast<double>(k) * step < wj) {
        out[k++] = 0.0f;
        ++(*zeroOut);
      }
    }
    i = j;
  }
}

int32_t Phase2(int16_t set, int32_t interactive) {
  // The step divides the span and sizes the output: refuse it before anything else.
  if (!(T.OutFrqStp > 0.0)) {
    Warning("PHASE [II]\n\nOUTPUT FRQ STEP ZERO\n\nABORTING");
    return Fail(2);
  }
  struct FloatFile {
    float* p = nullptr;
    ~FloatFile() { FFree1Dim(&p); }
  } itn, frq;
  uint32_t itnCount = 0, frqCount = 0;
  if (ManBinFileRead(InName(set), nullptr, &itn.p, nullptr, BIN_ELEM_FLOAT, T.SectLo, T.SectHi, &itnCount, 1) != 1)
    return Fail(2);
  T.FileLen = itnCount;
  if (ManBinFileRead(T.FrqFlnm, nullptr, &frq.p, nullptr, BIN_ELEM_FLOAT, 0, 0, &frqCount, 1) != 1) return Fail(2);
  if (T.SectHi - T.SectLo != T.FileLen || frqCount != T.FileLen) {
    Warning(StrPrintf("PHASE [II]\n\nFRQ FILE=[%s] SZ=[%u] != ITN INPUT FILE=[%s] SZ=[%u]\n\nCONTINUING", T.FrqFlnm,
                      frqCount, InName(set), T.FileLen));
    return 0;
  }
  const int32_t n0 = static_cast<int32_t>(frqCount);
  Work<double> f, v, f2;
  Work<int32_t> idx;
  const uint64_t n1 = static_cast<uint64_t>(n0) + 1;
  if (!f.Alloc(n1) || !v.Alloc(n1) || !idx.Alloc(n1) || !f2.Alloc(n1)) {
    Error("THzLinearization()/frq_dpt/itn_dpt/idx_lpt - CORE ALLOCATION ERROR");
    return Fail(2);
  }
  for (int32_t i = 0; i < n0; ++i) {
    f[static_cast<uint64_t>(i) + 1] = frq.p[i];
    v[static_cast<uint64_t>(i) + 1] = itn.p[i];
  }
  const float win = Cnv.FFT_SmoothWin;
  if (win > 1000.0f && win < 2000.0f && DSmooth(f.p + 1, static_cast<double>(win) - 1000.0, n0) != 1)
    return Fail(2);
  IndexSortD(n0, f.p, idx.p);
  if (n0 > 1 && (Csi6sfdrddASort(n0, idx.p, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, f.p, 0) != 1 ||
                 Csi6sfdrddASort(n0, idx.p, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, v.p, 0) != 1)) {
    Error(StrPrintf("PHASE [II]\n\nSORT ERROR - SORTED FRQS/ITNS=[%u]\n\nABORTING", static_cast<uint32_t>(n0)));
    return Fail(2);
  }
  if (win > 0.0f && win < 1000.0f && DSmooth(f.p + 1, static_cast<double>(win), n0) != 1) return Fail(2);
  if (Debug119())
    DebugPrintf("II-A - SORTED FRQS=[%d] FROM [%f] TO [%f]\n", n0, f[1], f[static_cast<uint64_t>(n0)]);

  // Co-add pairs closer than MinRes to their group's first frequency. A group holds
  // its first pair whatever MinRes is, and equal frequencies always share one, so that
  // the knots rise strictly (a MinRes below 0 co-adds only those).
  const double minRes = T.MinRes > 0.0 ? T.MinRes : 0.0;
  int32_t n = 0;
  for (int32_t i = 1; i <= n0;) {
    const double first = f[static_cast<uint64_t>(i)];
    double sf = 0.0, sv = 0.0;
    int32_t members = 0;
    int32_t j = i;
    for (; j <= n0 && (j == i || f[static_cast<uint64_t>(j)] <= first + minRes); ++j, ++members) {
      sf += f[static_cast<uint64_t>(j)];
      sv += v[static_cast<uint64_t>(j)];
    }
    ++n;
    f[static_cast<uint64_t>(n)] = sf / members;
    v[static_cast<uint64_t>(n)] = sv / members;
    i = j;
  }
  Post(StrPrintf("   [%u] FRQ SPACING COADDED PTS [%u] OF [%u]\n", T.SetIdx, static_cast<uint32_t>(n0 - n),
                 static_cast<uint32_t>(n0)));
  if (Debug119()) {
    Work<float> df, dv;
    if (df.Alloc(static_cast<uint64_t>(n)) && dv.Alloc(static_cast<uint64_t>(n))) {
      for (int32_t i = 0; i < n; ++i) {
        df[static_cast<uint64_t>(i)] = static_cast<float>(f[static_cast<uint64_t>(i) + 1]);
        dv[static_cast<uint64_t>(i)] = static_cast<float>(v[static_cast<uint64_t>(i) + 1]);
      }
      ManBinFileWrite((std::string(T.FrqFlnm) + "F").c_str(), nullptr, df.p, nullptr, BIN_ELEM_FLOAT, 0, n, 0, 0);
      ManBinFileWrite((std::string(T.FrqFlnm) + "I").c_str(), nullptr, dv.p, nullptr, BIN_ELEM_FLOAT, 0, n, 0, 0);
    }
  }

  const double points = std::fabs(T.EndFrq - T.BegFrq) / T.OutFrqStp + 0.5;
  if (!(points < 4294967295.0)) {
    Error("THzLinearization()/frq_fpt/itn_dpt/frq2itn_dpt/itnout_dpt - CORE ALLOCATION ERROR");
    return Fail(2);
  }
  T.OutPts = static_cast<uint32_t>(points);
  // The knots must rise strictly: a frequency that is not a number, or the smoothing
  // after the sort, can leave one out of order.
  if (const int64_t k = spline::FirstNotRising(f.p, n)) {
    Warning(StrPrintf("PHASE [II]\n\nFRQ FILE=[%s] FRQ [%lld]=[%f] OUT OF ORDER\n\nABORTING", T.FrqFlnm,
                      static_cast<long long>(k), f[static_cast<uint64_t>(k)]));
    return Fail(2);
  }
  if (DSpline(f.p, v.p, n, SPLINE_NATURAL, SPLINE_NATURAL, f2.p, 0) != 1) {
    Warning("PHASE [II]\n\nSPLINE ERROR\n\nABORTING");
    return Fail(2);
  }
  Work<float> out;
  if (!out.Alloc(T.OutPts == 0 ? 1 : T.OutPts)) {
    Error("THzLinearization()/frq_fpt/itn_dpt/frq2itn_dpt/itnout_dpt - CORE ALLOCATION ERROR");
    return Fail(2);
  }
  // Ten fine points per output point, averaged.
  const double lo = f[1], hi = f[static_cast<uint64_t>(n)];
  uint64_t inside = 0;
  for (uint32_t j = 0; j < T.OutPts; ++j) {
    double sum = 0.0;
    for (uint32_t q = 0; q < 10; ++q) {
      const double g = static_cast<double>(uint64_t{j} * 10 + q) * T.OutFrqStp / 10.0;
      if (g < lo || g > hi) continue;
      double y = 0.0;
      if (DSplint(f.p, v.p, f2.p, n, g, &y) == 1) sum += y;
      ++inside;
    }
    out[j] = static_cast<float>(sum / 10.0);
  }

  // Runs of identical log readings (mode hops) zero their band of the output. A
  // per-point log covers the section's points; a per-interval log the readings that
  // phase I used.
  LogArray r;
  uint32_t lines = 0;
  const uint32_t a = T.PerPointLog == 1 ? T.SectLo : static_cast<uint32_t>(T.LowerMk < 0 ? 0 : T.LowerMk);
  const uint32_t b = T.PerPointLog == 1 ? T.SectHi : static_cast<uint32_t>(T.UpperMk < 0 ? 0 : T.UpperMk);
  if (!ReadLog(&r.p, &lines) || lines < b) {
    Warning(StrPrintf("PHASE [II]\n\nFAILED TO OPEN|READ ASCII WAVEMETER FILE [%s] FOR FRQS", T.WaveFlnm));
    return Fail(2);
  }
  uint32_t zeroLog = 0, zeroOut = 0;
  ZeroModeHops(r.p, lines, a, b, out.p, &zeroLog, &zeroOut);
  Post(StrPrintf("   [%u] NON-ZERO MIN FRQ & IN RANGE PTS [%d] OF [%d]\n", T.SetIdx,
                 static_cast<int32_t>(T.OutPts - inside / 10), static_cast<int32_t>(T.OutPts)));
  Post(StrPrintf("   [%u] ZERO ORIG PTS [%u] OF [%d] FROM MODE HOPS\n", T.SetIdx, zeroLog,
                 static_cast<int32_t>(T.SectHi - T.SectLo)));
  Post(StrPrintf("   [%u] ZERO OUTPUT PTS [%u] OF [%d] FROM MODE HOPS\n", T.SetIdx, zeroOut,
                 static_cast<int32_t>(T.OutPts)));
  if (Debug119())
    DebugPrintf("II-B - OUTPUT PTS=[%u] STEP=[%f] ZEROED=[%u]\n", T.OutPts, T.OutFrqStp, zeroOut);
  if (ManBinFileWrite(OutName(set), nullptr, out.p, nullptr, BIN_ELEM_FLOAT, 0, static_cast<int32_t>(T.OutPts), 0,
                      interactive) != 1)
    return Fail(2);
  return 1;
}

const char* PhaseTag(uint16_t phase) {
  switch (phase) {
    case 0: return "  0";
    case 1: return "  I";
    case 2: return " II";
    case 3: return "III";
    case 4: return " IV";
    default: return "  V";
  }
}
const char* PhaseRoman(uint16_t phase) {
  static constexpr const char* kNames[] = {"0", "I", "II", "III", "IV", "V"};
  return kNames[phase];
}

}  // namespace

int32_t THzLinearization(int16_t set, uint16_t phase, int32_t interactive) {
  if (phase > 5) return 1;
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "THzLinearization()", DEBUG_ENTER);
  int32_t result = 0;
  Post(phase == 5 ? std::string("PHASE V BEG:\n") : StrPrintf("PHASE [%s] BEG:\n", PhaseTag(phase)));
  if (Debug119()) DebugPrintf("\nPHASE %s BEG\n\n", PhaseRoman(phase));
  if (set < 0 || set >= CNV_SLOTS || T.InChn < 0 || T.InChn >= CNV_CHN || T.OutChn < 0 || T.OutChn >= CNV_CHN) {
    Warning(StrPrintf("THzLinearization()\n\nINVALID SET=[%d] OR CHANNEL IN|OUT=[%d]|[%d]\n\nABORTING", set, T.InChn,
                      T.OutChn));
    result = Fail(2);
  } else if (phase == 0) {
    result = Phase0(interactive);
  } else if (phase == 1) {
    result = Phase1(set);
  } else if (phase == 2) {
    result = Phase2(set, interactive);
  } else if (phase == 3) {
    result = ThzPhase3(set, interactive);
  } else if (phase == 4) {
    result = ThzPhase4(set, interactive);
  } else {
    result = ThzPhase5(set);
  }
  if (result == 1) {
    Post(phase == 5 ? std::string("PHASE V END:\n") : StrPrintf("PHASE [%s] END:\n", PhaseTag(phase)));
    if (Debug119()) DebugPrintf("\nPHASE %s END\n\n", PhaseRoman(phase));
  }
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "THzLinearization()", DEBUG_EXIT);
  return result;
}
