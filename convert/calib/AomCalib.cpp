#include "convert/calib/AomCalib.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "convert/calib/CalibCommon.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "numerics/Spline.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/AomSettings.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/ThzSettings.h"

// "TEMP.TMP" holds the segments in the machine's own layout; it never leaves the run.
static_assert(std::endian::native == std::endian::little, "segment records are little-endian");

namespace {

using calib::Work;
using core_io::Error;
using core_io::Warning;

AomSettingsRecord& A = AomSettings;

constexpr char kTempName[] = "TEMP.TMP";

bool Debug105() { return calib::DebugOn(DEBUG_TOPIC_AOM); }

// ---- RF calibration file -------------------------------------------------------------------

// The whitespace-separated tokens of a text file; false when it cannot be opened.
bool ReadTokens(const char* name, std::vector<std::string>* tokens) {
  std::ifstream in(platform::MapPath(name), std::ios::binary);
  if (!in) return false;
  std::string token;
  while (in >> token) tokens->push_back(token);
  return true;
}

bool TokenDouble(const std::vector<std::string>& t, size_t i, double* v) {
  return i < t.size() && platform::ParseDouble(t[i], v);
}

// The first row (1..rows) of the table whose voltage or frequency is not a number, or
// 0: one such knot turns the whole spline into NaN.
int64_t FirstNotFinite(int32_t rows) {
  for (int32_t k = 1; k <= rows; ++k)
    if (!std::isfinite(A.RfVolt[k]) || !std::isfinite(A.RfFrq[k])) return k;
  return 0;
}

bool AllocTable(int32_t rows) {
  AomRFCalibFree();
  const uint32_t n = static_cast<uint32_t>(rows) + 1;
  if (QvAllocFailed(FAlloc1Dim(&A.RfVolt, n)) || QvAllocFailed(FAlloc1Dim(&A.RfFrq, n)) ||
      QvAllocFailed(FAlloc1Dim(&A.RfV2f, n))) {
    AomRFCalibFree();
    Error("AomRFCalib()/volt_pt/frq_pt/v2f_pt - CORE ALLOCATION ERROR");
    return false;
  }
  A.RfRows = rows;
  return true;
}

// The table from the calibration file. 1 read, 0 failed (after a box), -1 the
// header is cut short (the caller falls back to the linear ramp).
int32_t ReadRampFile(const std::vector<std::string>& t) {
  double rfLow = 0.0, rfHigh = 0.0, second = 0.0;
  int64_t n = 0;
  if (t.size() < 12 || !TokenDouble(t, 1, &rfLow) || !TokenDouble(t, 2, &rfHigh) || !platform::ParseInt64(t[7], &n) ||
      !TokenDouble(t, 8, &second))
    return -1;
  // The rows the file holds bound the table before anything is allocated.
  const int64_t available = static_cast<int64_t>((t.size() - 12) / 3);
  const int64_t wanted = n < 0 ? 0 : n;
  const int64_t room = wanted < available ? wanted : available;
  int32_t got = 0;
  if (room >= 1) {
    if (!AllocTable(static_cast<int32_t>(room))) return 0;
    for (int64_t r = 0; r < room; ++r) {
      double v = 0.0, f = 0.0;
      const size_t at = 12 + static_cast<size_t>(r) * 3;
      if (!TokenDouble(t, at, &v) || !TokenDouble(t, at + 1, &f)) break;
      ++got;
      A.RfVolt[got] = static_cast<float>(v);
      A.RfFrq[got] = static_cast<float>(A.Rev == 1 ? (rfHigh - static_cast<float>(f)) * A.RfScalar
                                                   : (static_cast<float>(f) - rfLow) * A.RfScalar);
      if (Debug105()) DebugPrintf("CTS=%d, AOM VOLT=%f, FRQ=%f\n", got, A.RfVolt[got], A.RfFrq[got]);
    }
  }
  if (got < wanted) Warning(StrPrintf("PREMATURE READ EOF IN AOM CALIBRATION FILE [%s]", A.RampFlnm));
  // A spline needs two rows at least.
  if (got < 2) {
    AomRFCalibFree();
    Warning(StrPrintf("AOM CALIBRATION FILE [%s] HOLDS [%d] ROWS\n\nAT LEAST 2 ARE NEEDED\n\nABORTING", A.RampFlnm, got));
    return 0;
  }
  if (const int64_t k = FirstNotFinite(got)) {
    Warning(StrPrintf("AOM CALIBRATION FILE [%s]\n\nROW [%lld] VOLTAGE [%.4f] FREQUENCY [%.4f] IS NOT A "
                      "NUMBER\n\nABORTING",
                      A.RampFlnm, static_cast<long long>(k), static_cast<double>(A.RfVolt[k]),
                      static_cast<double>(A.RfFrq[k])));
    AomRFCalibFree();
    return 0;
  }
  // The voltages must rise from row to row: the spline and its search take them so.
  if (const int64_t k = spline::FirstNotRising(A.RfVolt, got)) {
    Warning(StrPrintf("AOM CALIBRATION FILE [%s]\n\nVOLTAGE [%.4f] OF ROW [%lld] DOES NOT RISE ABOVE [%.4f] OF ROW "
                      "[%lld]\n\nABORTING",
                      A.RampFlnm, static_cast<double>(A.RfVolt[k]), static_cast<long long>(k),
                      static_cast<double>(A.RfVolt[k - 1]), static_cast<long long>(k - 1)));
    AomRFCalibFree();
    return 0;
  }
  // The file's RF range replaces the settings only with a table that is used.
  A.RfLow = rfLow;
  A.RfHigh = rfHigh;
  A.RfHdr2 = static_cast<int32_t>(second);
  A.RfRows = got;
  return 1;
}

bool LinearRamp() {
  if (Debug105()) DebugLogWrite("USING LINEAR RAMP\n");
  A.RampStat = 0;
  if (!AllocTable(100)) return false;
  for (int32_t i = 0; i < 100; ++i) {
    A.RfVolt[i + 1] = A.VoltLow + static_cast<float>(i) * (A.VoltHigh - A.VoltLow) / 99.0f;
    const double step = i * (A.RfHigh - A.RfLow) / 99.0;
    A.RfFrq[i + 1] = static_cast<float>(A.Rev == 1 ? (A.RfHigh - step) * A.RfScalar : (A.RfLow + step) * A.RfScalar);
  }
  // The ramp's voltages must rise as a file's do: VOLT HIGH above VOLT LOW.
  if (spline::FirstNotRising(A.RfVolt, 100) != 0) {
    AomRFCalibFree();
    Warning(StrPrintf("LINEAR AOM CALIBRATION\n\nVOLTAGES FROM VOLT LOW [%.4f] TO VOLT HIGH [%.4f] DO NOT RISE\n\nABORTING",
                      static_cast<double>(A.VoltLow), static_cast<double>(A.VoltHigh)));
    return false;
  }
  if (FirstNotFinite(100) != 0) {
    Warning(StrPrintf("LINEAR AOM CALIBRATION\n\nRF LOW [%.4f] RF HIGH [%.4f] RF SCALAR [%.4f] GIVE NO "
                      "FREQUENCY\n\nABORTING",
                      A.RfLow, A.RfHigh, A.RfScalar));
    AomRFCalibFree();
    return false;
  }
  A.RfHdr2 = 25;
  core_io::Info(StrPrintf("CALIBRATION FILE [%s] NOT FOUND\n\nLINEAR CALIBRATION USED", A.RampFlnm));
  return true;
}

}  // namespace

void AomRFCalibFree() {
  FFree1Dim(&A.RfVolt);
  FFree1Dim(&A.RfFrq);
  FFree1Dim(&A.RfV2f);
  A.RfRows = 0;
}

int32_t AomRFCalib(float** volt, float** frq, float** v2f) {
  if (Debug.DebugTraceFlag == 1) DebugTrace(2, "AomRFCalib()", DEBUG_ENTER);
  int32_t result = 0;
  bool built = false;
  std::vector<std::string> tokens;
  if (A.RampStat == 1 && ReadTokens(A.RampFlnm, &tokens)) {
    calib::Post(StrPrintf("   AOM CALIBRATION FILE USED [%s]\n", A.RampFlnm));
    if (Debug105()) DebugLogWrite("AOM CALIBRATION FILE USED\n");
    const int32_t read = ReadRampFile(tokens);
    if (read < 0) {
      A.RampStat = 0;
      Warning(StrPrintf("FORMAT ERROR IN AOM CALIBRATION FILE [%s]", A.RampFlnm));
    } else if (read == 0) {
      if (Debug.DebugTraceFlag == 1) DebugTrace(2, "AomRFCalib()", DEBUG_EXIT);
      return 0;
    } else {
      built = true;
    }
  }
  if (built || LinearRamp()) {
    A.VoltLow = A.RfVolt[1];
    A.VoltHigh = A.RfVolt[A.RfRows];
    if (FSpline(A.RfVolt, A.RfFrq, A.RfRows, static_cast<float>(SPLINE_NATURAL), static_cast<float>(SPLINE_NATURAL),
                A.RfV2f) == 1)
      result = 1;
    else
      AomRFCalibFree();
  }
  if (volt) *volt = A.RfVolt;
  if (frq) *frq = A.RfFrq;
  if (v2f) *v2f = A.RfV2f;
  if (Debug.DebugTraceFlag == 1) DebugTrace(2, "AomRFCalib()", DEBUG_EXIT);
  return result;
}

namespace {

// AomLinearizeItn over 1-based knots xs[1..m], ys[1..m], with the work y2 and u of
// m + 1 values each.
int32_t LinearizeKnots(const float* xs, const float* ys, float* y2, float* u, int32_t m, float* o, int32_t n, double s,
                       const int32_t* c, double w) {
  if (Debug.DebugTraceFlag == 1) DebugTrace(2, "AomLinearizeItn()", DEBUG_ENTER_EXIT);
  if (m <= 0) {
    for (int32_t i = 0; i < n; ++i) o[i] = 0.0f;
    return 1;
  }
  if (m == 1) {
    // One knot: the segment is flat.
    for (int32_t i = 0; i < n; ++i) o[i] = ys[1];
    return 1;
  }
  FSplineWork(xs, ys, m, static_cast<float>(SPLINE_NATURAL), static_cast<float>(SPLINE_NATURAL), y2, u);
  spline::Cursor<float> cursor(xs, ys, y2, m);
  double xOut = 0.0;
  int64_t j = 0;
  for (int32_t i = 0; i < n; ++i) {
    while (static_cast<double>(j) * w < xOut) ++j;
    float v = 0.0f;
    if (!(c && c[j] == -1)) cursor.At(static_cast<float>(xOut), &v);
    o[i] = v;
    xOut += s;
  }
  return 1;
}

}  // namespace

int32_t AomLinearizeItn(const float* y, const float* x, int32_t m, float* o, int32_t n, double s, const int32_t* c,
                        double w) {
  if (m <= 0) return LinearizeKnots(nullptr, nullptr, nullptr, nullptr, m, o, n, s, c, w);
  // 1-based copies for the spline.
  Work<float> xs, ys, y2, u;
  const uint64_t m1 = static_cast<uint64_t>(m) + 1;
  if (!xs.Alloc(m1) || !ys.Alloc(m1) || !y2.Alloc(m1) || !u.Alloc(m1)) {
    Error("AomLinearizeItn()/f2i_pt - CORE ALLOCATION ERROR");
    return 0;
  }
  std::copy(x, x + m, xs.p + 1);
  std::copy(y, y + m, ys.p + 1);
  return LinearizeKnots(xs.p, ys.p, y2.p, u.p, m, o, n, s, c, w);
}

float AomVolt2Frq(float v) {
  constexpr float c0 = -358.27f, c1 = 80.675f, c2 = -5.705f, c3 = 0.5433f, c4 = -0.01548f;
  return 250.0f + (c0 + c1 * v + c2 * v * v + c3 * v * v * v + c4 * v * v * v * v);
}

namespace {

// ---- AomCalibrate ----------------------------------------------------------------------------

enum Role { kIn, kCal, kErr0, kErr1, kMrk, kOut, kRoles };

// The jump positions of the marker-position file inside [low, high], then high + 1;
// without the file only -1. Reading stops at the first token that is not an integer.
bool ReadJumps(int64_t low, int64_t high, std::vector<int64_t>* jumps) {
  std::vector<std::string> tokens;
  if (!ReadTokens(Cnl.Mks_Flnm, &tokens)) {
    jumps->assign(1, -1);
    return true;
  }
  std::vector<int64_t> kept;
  for (const std::string& t : tokens) {
    int64_t p = 0;
    if (!platform::ParseInt64(t, &p)) break;
    if (p >= low && p <= high) kept.push_back(p);
  }
  *jumps = kept;
  jumps->push_back(high + 1);
  // The count now describes this list, so no stale position array may claim it.
  LFree1Dim(&Cnl.Mks_Pos);
  LFree1Dim(&Cnl.Mks_Dif);
  Cnl.Mks_Cnt = static_cast<uint32_t>(kept.size());
  return true;
}

class Calibration {
 public:
  Calibration(int16_t set, int32_t low, int32_t high, int32_t drop, int32_t markerOut, int32_t frqOut, int32_t report)
      : set_(set), low_(low), high_(high), drop_(drop), wantMk_(markerOut == 1), wantFrq_(frqOut == 1),
        report_(report) {}
  ~Calibration() {
    if (temp_) std::fclose(temp_);
    AomRFCalibFree();
  }
  int32_t Run();

 private:
  bool OpenFiles();
  bool Setup();
  bool CopyMarkerHead();
  bool StageOne();
  bool WriteSegment(int32_t segment);
  // The segment file is written and read a segment at a time: a buffer of many
  // segments turns thousands of small transfers into a few large ones.
  void TempBuffer() {
    tempBuffer_.resize(std::size_t{1} << 20);
    std::setvbuf(temp_, tempBuffer_.data(), _IOFBF, tempBuffer_.size());
  }
  void ShiftSegments();
  bool FinishStageOne();
  bool StageTwo();
  bool ShortRead(int64_t got, int64_t expected) {
    Warning(StrPrintf("AomCalibrate()/ramp_fpt/err_fpt[2]/mk_fpt/cal_fpt - PREMATURE READ EOF [%lld] = [%lld]\n\nABORTING",
                      static_cast<long long>(got), static_cast<long long>(expected)));
    return false;
  }

  int16_t set_;
  int64_t low_, high_;
  int32_t drop_;
  bool wantMk_, wantFrq_;
  int32_t report_;

  const char* name_[kRoles] = {};
  core_io::BinIn in_[kMrk + 1];
  core_io::BinOut out_, mkOut_, frqOut_;
  std::vector<char> tempBuffer_;  // the segment file's buffer, kept for both stages
  std::FILE* temp_ = nullptr;

  double fsr_ = 0.0;
  int32_t n_ = 0;  // output points per FSR
  int32_t g_ = 0;  // grid bins per FSR
  double err2idx_[2] = {0.0, 0.0};
  Work<float> sums_;
  Work<int32_t> counts_;
  Work<float> ramp_, err0_, err1_, mk_, itn_, frq_;
  std::vector<int64_t> jumps_;

  int64_t k_ = 0;
  int32_t rejected_ = 0, extrapolated_ = 0, accepted_ = 0, intervals_ = 0;
  double vMin_ = 10.0, vMax_ = -10.0, vMinSum_ = 0.0, vMaxSum_ = 0.0;
};

bool Calibration::OpenFiles() {
  const int16_t index[kRoles] = {ThzSettings.InChn, A.CalChn, A.ErrChn, A.Err2Chn, A.MrkChn, ThzSettings.OutChn};
  for (int r = 0; r < kRoles; ++r) {
    if (index[r] < 0 || index[r] >= CNV_CHN) {
      Warning(StrPrintf("AomCalibrate()\n\nCHANNEL ROLE [%d] HAS NO CHANNEL [%d]\n\nABORTING", r, index[r]));
      return false;
    }
    name_[r] = Cnv.Out_Flnm[set_][index[r]];
  }
  // The side files take the MRK name with a suffix: both names are checked before
  // any file is opened.
  char mkName[sizeof Cnv.Out_Flnm[0][0]] = "";
  char frqName[sizeof Cnv.Out_Flnm[0][0]] = "";
  if ((wantMk_ && !core_io::NameWithSuffix(mkName, name_[kMrk], "m")) ||
      (wantFrq_ && !core_io::NameWithSuffix(frqName, name_[kMrk], "f")))
    return false;
  static constexpr const char* kWhat[kMrk + 1] = {"CALIBRATION", "RAMP", "ERROR", "ERROR", "MARKER"};
  for (int16_t c = 0; c < CNV_CHN; ++c) {
    for (int r = 0; r < kRoles; ++r) {
      if (index[r] != c) continue;
      if (r == kOut) {
        // Written beside its name and put in place only at the end, so an output
        // named like an input never truncates it before it is read.
        if (!out_.Open(name_[kOut])) {
          Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING", name_[kOut]));
          return false;
        }
        continue;
      }
      if (!in_[r].Open(name_[r])) {
        Warning(StrPrintf("FAILED TO OPEN BINARY %s FILE [%s] FOR READING", kWhat[r], name_[r]));
        return false;
      }
      if (r == kIn) calib::SettleSection(name_[kIn], &low_, &high_);
    }
  }
  if (wantMk_ && !mkOut_.Open(mkName)) {
    Warning(StrPrintf("FAILED TO CREATE BINARY MARKER OUT FILE [%s] FOR WRITING", mkName));
    return false;
  }
  if (wantFrq_ && !frqOut_.Open(frqName)) {
    Warning(StrPrintf("FAILED TO CREATE BINARY FRQ OUT FILE [%s] FOR WRITING", frqName));
    return false;
  }
  return true;
}

bool Calibration::Setup() {
  if (Debug105()) DebugLogWrite("PART I - DEFINE CALIBRATION INFO\n");
  fsr_ = std::fabs(Dsp.FSR);
  // A downward axis (FSR below 0) shows OUT RESOL below 0 too: the step is its size.
  const double resol = std::fabs(A.OutResol);
  const double perFsr = resol != 0.0 ? fsr_ / resol + 0.5 : 0.0;
  // The grid is sized by N: at least one output point per FSR, and a grid that fits
  // the 32-bit counts.
  if (!(perFsr >= 1.0 && perFsr < 1.0e8)) {
    Warning(StrPrintf("AomCalibrate()\n\nOUTPUT POINTS PER FSR FROM FSR=[%f] & OUT RESOL=[%f] INVALID\n\nABORTING", fsr_,
                      A.OutResol));
    return false;
  }
  n_ = static_cast<int32_t>(perFsr);
  A.OutResol = fsr_ / n_;
  Dsp.Pts_FSR = n_;
  g_ = 4 * n_;
  const double range0 = A.ErrMaxV[0] - A.ErrMinV[0];
  if (range0 != 0.0 && A.MkCal[0] != 0.0)
    err2idx_[0] = g_ * (A.MkCal[0] - A.MrZeroV[0]) * A.ErrFwhm[0] / range0 / fsr_;
  else if (range0 != 0.0)
    err2idx_[0] = g_ * A.ErrFwhm[0] / range0 / fsr_;
  const double range1 = A.ErrMaxV[1] - A.ErrMinV[1];
  if (range1 != 0.0) err2idx_[1] = g_ * A.ErrFwhm[1] / range1 / fsr_;
  if (Debug105())
    DebugPrintf("\n   FSR=%f FSR_15Bit_Sz=%d ERR2IDX[0]=%f ERR2IDX[1]=%f\n", fsr_, g_, err2idx_[0], err2idx_[1]);

  const uint64_t bins = 3 * static_cast<uint64_t>(g_);
  if (!sums_.Alloc(bins) || !counts_.Alloc(bins) || !ramp_.Alloc(AOM_BLOCK) || !err0_.Alloc(AOM_BLOCK) ||
      !err1_.Alloc(AOM_BLOCK) || !mk_.Alloc(AOM_BLOCK) || !itn_.Alloc(AOM_BLOCK) || !frq_.Alloc(AOM_BLOCK)) {
    Error("AomCalibrate()/out_fpt/pts2ave_lpt/ramp_fpt/err_fpt[2]/mk_fpt/cal_fpt/frqout_fpt - CORE ALLOCATION ERROR");
    return false;
  }
  ReadJumps(low_, high_, &jumps_);
  if (Debug105()) DebugLogWrite("PART II - DEFINING INDICIES\n");
  temp_ = std::fopen(platform::MapPath(kTempName).c_str(), "wb");
  if (!temp_) {
    Warning(StrPrintf("FAILED TO CREATE BINARY FILE [%s] FOR WRITING", kTempName));
    return false;
  }
  TempBuffer();
  return true;
}

// Marker values before the section go to the marker-out file, zeros to the
// frequency-out file.
bool Calibration::CopyMarkerHead() {
  if (wantMk_) {
    in_[kMrk].Seek(0);
    for (int64_t pos = 0; pos < low_;) {
      const size_t want = static_cast<size_t>(std::min<int64_t>(AOM_BLOCK, low_ - pos));
      const size_t got = in_[kMrk].Read(mk_.p, want, sizeof(float));
      if (got == 0) break;
      mkOut_.Write(mk_.p, got * sizeof(float));
      pos += static_cast<int64_t>(got);
    }
  }
  if (wantFrq_) {
    std::vector<float> zeros(AOM_BLOCK, 0.0f);
    for (int64_t pos = 0; pos < low_;) {
      const size_t want = static_cast<size_t>(std::min<int64_t>(AOM_BLOCK, low_ - pos));
      frqOut_.Write(zeros.data(), want * sizeof(float));
      pos += static_cast<int64_t>(want);
    }
  }
  for (int r = 0; r <= kMrk; ++r) in_[r].Seek(static_cast<uint64_t>(low_) * sizeof(float));
  return true;
}

bool Calibration::WriteSegment(int32_t segment) {
  const size_t g = static_cast<size_t>(g_);
  const size_t at = static_cast<size_t>(segment) * g;
  return std::fwrite(sums_.p + at, sizeof(float), g, temp_) == g &&
         std::fwrite(counts_.p + at, sizeof(int32_t), g, temp_) == g;
}

void Calibration::ShiftSegments() {
  const size_t g = static_cast<size_t>(g_);
  std::copy(sums_.p + g, sums_.p + 3 * g, sums_.p);
  std::copy(counts_.p + g, counts_.p + 3 * g, counts_.p);
  std::fill(sums_.p + 2 * g, sums_.p + 3 * g, 0.0f);
  std::fill(counts_.p + 2 * g, counts_.p + 3 * g, 0);
}

// The index of a grid position raw in (-1, 2^31): trunc(raw), without the change of the
// x87 rounding mode that a conversion of a long double costs. The nearest double lies
// within 2^-22 of raw and on the same side of every integer but one it may round up to:
// only when it is a whole number can it lie above raw, and raw is compared again only then.
int64_t GridIndex(long double raw) {
  if (raw < 1.0L) return 0;
  const double nearest = static_cast<double>(raw);
  int64_t i = static_cast<int64_t>(nearest);
  if (static_cast<double>(i) == nearest && static_cast<long double>(nearest) > raw) --i;
  return i;
}

bool Calibration::StageOne() {
  const float* volt = A.RfVolt;
  const int32_t rows = A.RfRows;
  spline::Cursor<float> ramp2frq(volt, A.RfFrq, A.RfV2f, rows);
  const long double g = g_;
  const long double top = 3.0L * g_;
  const long double fsr = fsr_;
  const int64_t jmpWin = A.JmpWin;
  const double cut = A.MarkerCut;
  const bool useMarker = err2idx_[0] != 0.0 && A.MkCal[0] != 0.0;
  const long double errZero0 = A.ErrZeroV[0], errZero1 = A.ErrZeroV[1];
  const double mrZero0 = A.MrZeroV[0];  // the marker's difference is taken in double
  const long double err2idx0 = err2idx_[0], err2idx1 = err2idx_[1];
  // Without error terms the second error channel's term is its difference times 0.
  const bool errorTerms = err2idx0 != 0.0L || err2idx1 != 0.0L;
  const bool noError1 = !std::isfinite(A.ErrZeroV[1]);
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const bool eo = A.EoStat == 1;
  const bool debug = Debug105();
  float* const sums = sums_.p;
  int32_t* const counts = counts_.p;
  const int64_t* const jumps = jumps_.data();
  // The accepted positions of interval k_: after jumps[k_ - 1] + JmpWin (from the first
  // interval's start), up to jumps[k_] - JmpWin.
  const auto from = [&] { return k_ > 0 ? jumps[k_ - 1] + jmpWin : INT64_MIN; };
  int64_t first = from(), jump = jumps[k_], last = jump - jmpWin;

  for (int64_t pos = low_; pos < high_; pos += AOM_BLOCK) {
    const int64_t want = std::min<int64_t>(AOM_BLOCK, high_ - pos);
    const int64_t got = static_cast<int64_t>(in_[kCal].Read(ramp_.p, static_cast<size_t>(want), sizeof(float)));
    if (got < want) {
      const std::string q = StrPrintf("PREMATURE READ EOF ACTUAL [%lld] != EXPECTED [%lld]\n\nCONTINUE [YES] | ABORT [NO]?",
                                      static_cast<long long>(got), static_cast<long long>(want));
      if (calib::AskYesNoId(q) != IDYES) return ShortRead(got, -1);
    }
    const size_t cnt = static_cast<size_t>(got);
    if (in_[kErr0].Read(err0_.p, cnt, sizeof(float)) < cnt || in_[kErr1].Read(err1_.p, cnt, sizeof(float)) < cnt ||
        in_[kMrk].Read(mk_.p, cnt, sizeof(float)) < cnt || in_[kIn].Read(itn_.p, cnt, sizeof(float)) < cnt)
      return ShortRead(got, want);
    const float* ramp = ramp_.p;
    const float* err0 = err0_.p;
    const float* err1 = err1_.p;
    const float* itn = itn_.p;
    float* mk = mk_.p;
    float* frq = frq_.p;

    for (size_t i = 0; i < cnt; ++i) {
      const int64_t at = pos + static_cast<int64_t>(i);
      const float r = ramp[i];
      float f = 0.0f;
      if (!ramp2frq.At(r, &f)) {
        Warning(StrPrintf("AomCalibrate()/ramp_fpt/err_fpt[2]/mk_fpt/cal_fpt - SPLINT ERROR - Y VAL ZERO\n\nABORTING"));
        return false;
      }
      const long double grid = static_cast<long double>(f) / fsr * g + g;
      long double raw;
      if (errorTerms) {
        long double e;
        const long double e1 = (static_cast<long double>(err1[i]) - errZero1) * err2idx1;
        if (useMarker && std::fabs(mk[i]) > cut)
          e = (static_cast<long double>(err0[i]) - errZero0) * err2idx0 / (mk[i] - mrZero0) + e1;
        else if (err2idx0 != 0.0L)
          e = (static_cast<long double>(err0[i]) - errZero0) * err2idx0 + e1;
        else
          e = e1;
        raw = grid + e;
      } else {
        // The error term is a zero, which leaves the grid position as it is, or NaN.
        raw = noError1 || !std::isfinite(err1[i]) ? nan : grid;
      }
      bool reject = false;
      int64_t idx = 0;
      // trunc(raw) in [0, 3 g) exactly when raw is in (-1, 3 g), 3 g being whole.
      if (!(raw > -1.0L && raw < top)) {
        const long double t = std::trunc(raw);
        const long long shown = std::isfinite(static_cast<double>(t)) && std::fabs(static_cast<double>(t)) < 9.0e18
                                    ? static_cast<long long>(t)
                                    : -1LL;
        const std::string q = StrPrintf(
            "INDEX OUTSIDE [%lld] OF ARRAY BOUNDS: [%d] TO [%lld]\n\nERR2IDX=[%f]\n\nCONTINUE [YES] | ABORT [NO]?", shown,
            0, static_cast<long long>(3) * g_, err2idx_[0]);
        if (calib::AskYesNoId(q) != IDYES) return false;
        // A point passed over counts as rejected; its position may still end the interval.
        reject = true;
      } else {
        idx = GridIndex(raw);
        reject = at < first || at > last || std::fabs(mk[i]) <= cut;
      }
      if (reject) {
        ++rejected_;
        mk[i] = 0.0f;
        frq[i] = 0.0f;
      } else {
        ++accepted_;
        if (r < vMin_) vMin_ = r;
        if (r > vMax_) vMax_ = r;
        if (r < volt[1] || r > volt[rows]) ++extrapolated_;
        sums[idx] += itn[i];
        counts[idx] += 1;
        if (wantFrq_) frq[i] = static_cast<float>((static_cast<double>(idx - g_) / g_ + static_cast<double>(k_)) * fsr_);
        if (debug) DebugPrintf("   MARKER[%d]=%f > %f\n", static_cast<int32_t>(i), mk[i], cut);
      }
      if (at == jump) {
        ++k_;
        first = from();
        jump = jumps[k_];
        last = jump - jmpWin;
        const bool skip = (at == low_ && !eo) || (eo && (A.EoAnswer + k_) % 2 != 0);
        if (!skip) {
          if (!WriteSegment(0)) {
            Warning(StrPrintf("FAILED TO CREATE BINARY FILE [%s] FOR WRITING", kTempName));
            return false;
          }
          if (debug) DebugPrintf("   WRITE SEGMENT - JMP_PTS=%lld TOT_CT=%lld\n", static_cast<long long>(k_),
                                 static_cast<long long>(at));
        }
        ShiftSegments();
        if (debug) DebugPrintf("   ARRAY SHIFT   - JMP_PTS=%lld TOT_CT=%lld\n", static_cast<long long>(k_),
                               static_cast<long long>(at));
        if (accepted_ > 400) {
          vMinSum_ += vMin_;
          vMaxSum_ += vMax_;
          ++intervals_;
          vMin_ = 10.0;
          vMax_ = -10.0;
        }
        accepted_ = 0;
      }
    }
    if (wantMk_) mkOut_.Write(mk_.p, cnt * sizeof(float));
    if (wantFrq_) frqOut_.Write(frq_.p, cnt * sizeof(float));
  }
  return true;
}

bool Calibration::FinishStageOne() {
  const bool debug = Debug105();
  for (int32_t s = 0; s < 3; ++s) {
    bool write = true;
    if (A.EoStat == 1 && s < 2) {
      ++k_;
      write = (A.EoAnswer + k_) % 2 == 0;
    }
    if (!write) continue;
    if (!WriteSegment(s)) {
      Warning(StrPrintf("FAILED TO CREATE BINARY FILE [%s] FOR WRITING", kTempName));
      return false;
    }
    if (debug) DebugPrintf("   WRITE LAST SEGMENT - JMP_PTS=%lld CNT=%d\n", static_cast<long long>(k_), s);
  }
  // The side files go on to the end of the marker file.
  if (wantMk_ || wantFrq_) {
    in_[kMrk].Seek(static_cast<uint64_t>(high_) * sizeof(float));
    std::vector<float> zeros(AOM_BLOCK, 0.0f);
    for (;;) {
      const size_t got = in_[kMrk].Read(mk_.p, AOM_BLOCK, sizeof(float));
      if (got == 0) break;
      if (wantMk_) mkOut_.Write(mk_.p, got * sizeof(float));
      if (wantFrq_) frqOut_.Write(zeros.data(), got * sizeof(float));
    }
  }
  return std::fclose(std::exchange(temp_, nullptr)) == 0;
}

bool Calibration::StageTwo() {
  if (Debug105()) DebugLogWrite("PART II - CREATE LINEARIZED FILE\n");
  temp_ = std::fopen(platform::MapPath(kTempName).c_str(), "rb");
  if (!temp_) {
    Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING", kTempName));
    return false;
  }
  TempBuffer();
  const uint64_t g = static_cast<uint64_t>(g_);
  // The knots of a segment, up to g + 1, from index 1 as the spline takes them, with
  // its work arrays.
  Work<float> knotX, knotY, y2, u;
  if (!knotX.Alloc(g + 2) || !knotY.Alloc(g + 2) || !y2.Alloc(g + 2) || !u.Alloc(g + 2)) {
    Error("AomCalibrate()/i_frq_pt - CORE ALLOCATION ERROR");
    return false;
  }
  float* const kx = knotX.p + 1;
  float* const ky = knotY.p + 1;
  Work<float> seg;
  if (!seg.Alloc(static_cast<uint64_t>(n_))) {
    Error("AomCalibrate()/o_itn_pt - CORE ALLOCATION ERROR");
    return false;
  }
  const bool map = std::string(A.Interp) == "MAP";
  const bool fill = std::string(A.Interp) == "FILL";
  if (Debug105()) DebugPrintf("   INTERPOLATION METHOD=%s\n", A.Interp);
  if (!map && !fill) return true;

  const double width = fsr_ / g_;
  float* sums = sums_.p;
  int32_t* counts = counts_.p;
  auto readRecord = [&]() {
    return std::fread(sums, sizeof(float), g, temp_) == g && std::fread(counts, sizeof(int32_t), g, temp_) == g;
  };
  float carry = 0.0f;
  if (fill && drop_ == 1) readRecord();
  const bool debug = Debug105();
  for (int64_t record = 0; readRecord(); ++record) {
    int32_t m = 0;
    if (map) {
      for (uint64_t b = 0; b < g; ++b) {
        if (counts[b] > 0 || b == 0) {
          kx[m] = static_cast<float>(static_cast<double>(b) * width);
          ky[m] = counts[b] > 0 ? sums[b] / static_cast<float>(counts[b]) : carry;
          ++m;
        }
      }
      if (static_cast<double>(kx[m - 1]) != fsr_) {
        kx[m] = static_cast<float>(fsr_);
        ky[m] = ky[m - 1];
        ++m;
      }
      carry = ky[m - 1];
    } else {
      if (drop_ == 1 && record == k_) continue;
      for (uint64_t b = 0; b < g; ++b) {
        kx[b] = static_cast<float>(static_cast<double>(b) * width);
        if (counts[b] >= 1)
          ky[b] = sums[b] / static_cast<float>(counts[b]);
        else
          ky[b] = b == 0 ? carry : ky[b - 1];
        if (debug) {
          if (b == 0)
            DebugPrintf("   JMP_PT=%lld I_ITN_PT[0]=%f PTS2AVE[0]=%d\n", static_cast<long long>(record), ky[b], counts[b]);
          else
            DebugPrintf("   JMP_PT=%lld I_ITN_PT[ %d ]=%f PTS2AVE[]=%d\n", static_cast<long long>(record),
                        static_cast<int32_t>(b), ky[b], counts[b]);
        }
      }
      m = g_;
      carry = ky[g - 1];
    }
    if (LinearizeKnots(knotX.p, knotY.p, y2.p, u.p, m, seg.p, n_, A.OutResol, counts, width) != 1) continue;
    if (debug && fill)
      for (int32_t j = 0; j < n_; ++j)
        DebugPrintf("   JMP_PT=%lld O_ITN_PT[ %d ]=%f\n", static_cast<long long>(record), j, seg[static_cast<uint64_t>(j)]);
    if (!out_.Write(seg.p, static_cast<size_t>(n_) * sizeof(float))) {
      Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING", name_[kOut]));
      return false;
    }
  }
  return true;
}

int32_t Calibration::Run() {
  if (A.EoStat == 1)
    A.EoAnswer = calib::AskYesNoId("EVEN [YES] | ODD [NO] INTERVALS?") == IDYES ? 1 : 0;
  if (set_ < 0 || set_ >= CNV_SLOTS) {
    Warning(StrPrintf("AomCalibrate()\n\nINVALID SET=[%d]\n\nABORTING", set_));
    return 0;
  }
  if (!OpenFiles()) return 0;
  if (AomRFCalib(nullptr, nullptr, nullptr) != 1) return 0;
  if (low_ == high_) {
    Warning("MARKED DATA INTERVAL CANNOT BE ZERO\n\nABORTING");
    return 0;
  }
  if (!Setup()) return 0;
  if (!CopyMarkerHead() || !StageOne() || !FinishStageOne()) {
    // The side files keep what the finished blocks wrote; OUT, which nothing was
    // written into yet, stays as it was, and the segment file stays on disk.
    if (wantMk_) mkOut_.Commit();
    if (wantFrq_) frqOut_.Commit();
    return 0;
  }

  // AOM frequencies of the average smallest and largest ramp voltages.
  float fLo = 0.0f, fHi = 0.0f;
  if (intervals_ > 0) {
    FSplint(A.RfVolt, A.RfFrq, A.RfV2f, A.RfRows, static_cast<float>(vMinSum_ / intervals_), &fLo);
    FSplint(A.RfVolt, A.RfFrq, A.RfV2f, A.RfRows, static_cast<float>(vMaxSum_ / intervals_), &fHi);
  }
  AomRFCalibFree();

  const bool done = StageTwo();
  if (temp_) std::fclose(std::exchange(temp_, nullptr));
  DeleteFile(kTempName);
  if (!done) return 0;
  if (!out_.Commit()) {
    Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING", name_[kOut]));
    return 0;
  }
  if ((wantMk_ && !mkOut_.Commit()) || (wantFrq_ && !frqOut_.Commit())) {
    Warning(StrPrintf("FAILED TO CREATE BINARY MARKER OUT FILE [%s] FOR WRITING", name_[kMrk]));
    return 0;
  }
  if (report_ == 1) {
    std::string text = StrPrintf(
        "AOM LINEARIZATION\n\nDATA REJECTED BELOW MARKER MIN [%f]=[%d]\n\nAOM FRQ MAX-MIN=DIFF: [%f]-[%f]=[%f]\n\n"
        "ERR2IDX=[%f] [%f] MK_CAL=[%f]",
        A.MarkerCut, rejected_, fLo, fHi, static_cast<double>(fLo) - fHi, err2idx_[0], err2idx_[1], A.MkCal[0]);
    if (extrapolated_ > 0) text += StrPrintf("\n\nEXTRAPOLATED POINTS WITH RAMP VOLT OUTSIDE CALIB=[%d]", extrapolated_);
    core_io::Info(text);
  }
  return 1;
}

}  // namespace

int32_t AomCalibrate(int16_t set, int32_t low, int32_t high, int32_t drop, int32_t markerOut, int32_t frqOut,
                     int32_t report) {
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "AomCalibrate()", DEBUG_ENTER);
  Calibration run(set, low, high, drop, markerOut, frqOut, report);
  const int32_t result = run.Run();
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "AomCalibrate()", DEBUG_EXIT);
  return result;
}
