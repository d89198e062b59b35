#include "convert/calib/PeakFind.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/DebugLog.h"
#include "core/TypedArrays.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Win.h"

namespace {

constexpr int32_t kBlock = 65536;
constexpr float kBig = 1e20f;

bool Tracing() { return Debug.DebugLevel == DEBUG_TOPIC_PEAKS; }

// The two tables of the debug topic: one that cannot be written is noted in the debug
// log, and the search goes on without it.
constexpr const char* kPeakTable = "Peak.txt";
constexpr const char* kCutoffTable = "Cutoff.txt";
void OpenTable(platform::TextFileWriter& table, const char* name) {
  if (!table.Open(name)) DebugPrintf("\nFAILED TO CREATE ASCII FILE [%s] FOR WRITING", name);
}
void FinishTable(platform::TextFileWriter& table, const char* name) {
  if (table.IsOpen() && !table.Commit()) DebugPrintf("\nFAILED TO WRITE ASCII FILE [%s]", name);
}

// The settings of one search, read once from Cnl.
struct Settings {
  int32_t p = 8;             // running-average length
  double k = 0.0;            // CUT/SCALAR
  bool inv = false;
  bool scaleDiff = false;    // cutoff from the range
  bool floatMin = false;     // cutoff above the minimum (only when ScaleDiff is off)
  bool adaptive = false;     // either of the two: MIN follows the minima found
  bool rangeOn = false;
  int32_t lo = 0;
  int32_t hi = 0;
};

Settings ReadSettings() {
  Settings c;
  c.p = Cnl.PtsAve;
  c.k = Cnl.CutScalar;
  c.inv = Cnl.Inv != 0;
  c.scaleDiff = Cnl.ScaleDiff != 0;
  c.floatMin = Cnl.FloatMin != 0 && !c.scaleDiff;
  c.adaptive = c.scaleDiff || c.floatMin;
  return c;
}

// Sets the slot's point-range switch from its limits (slots 0..9 have limits).
void SetRangeSwitch(Settings& c, int16_t slot) {
  c.lo = c.hi = 0;
  if (slot >= 0 && slot < 10) {
    c.lo = Win.Pt_Lim[slot][0];
    c.hi = Win.Pt_Lim[slot][1];
  }
  c.rangeOn = c.lo != 0 || c.hi != 0;
  if (slot >= 0 && slot < CNV_SLOTS) Cnv.Lim_Stat[slot] = c.rangeOn ? 1 : 0;
}

// Reads the next block of the ramp file behind the P carried values; the count read.
int32_t ReadBlock(PeakSearch& s, const Settings& c) {
  const size_t got = s.ramp.Read(s.buf + c.p, kBlock, sizeof(float));
  if (c.inv)
    for (size_t j = 0; j < got; ++j) s.buf[c.p + j] = -s.buf[c.p + j];
  return static_cast<int32_t>(got);
}

// After a block of n values: the last P values move to the front of the buffer.
void CarryTail(PeakSearch& s, const Settings& c, int32_t n) {
  std::memmove(s.buf, s.buf + n, static_cast<size_t>(c.p) * sizeof(float));
}

void CutoffLine(PeakSearch& s, const char* what) {
  if (s.cutoffLog.IsOpen())
    s.cutoffLog.Printf("%s CUT=%f MINRT=%f MINLF=%f\n", what, static_cast<double>(s.cutoff),
                       static_cast<double>(s.minRt), static_cast<double>(s.minLf));
}

// The minimum rule on either side of a peak: once an average has fallen below the
// cutoff its index is remembered, and when the averages stop falling that first index
// is the minimum. Returns true when the minimum was found with average a at index k.
struct MinimumSearch {
  int32_t firstBelow = -1;
  float tracker = kBig;

  bool Step(float a, int32_t k, float cutoff) {
    if (a >= cutoff) return false;
    if (firstBelow < 0) firstBelow = k;
    if (tracker <= a) {
      tracker = kBig;
      return true;
    }
    tracker = a;
    return false;
  }
  void Reset() {
    firstBelow = -1;
    tracker = kBig;
  }
};

// One search of PeakFindAll: the state of the peak under way.
class Walk {
 public:
  Walk(PeakSearch& s, const Settings& c) : s_(s), c_(c) {}

  // Examines the average a of point x (file value i); false when the search must end.
  bool Examine(int64_t i, int64_t x, float a, double sumBefore) {
    if (peak_ < 0) {
      PeakSearchStep(i, x, a, sumBefore);
    } else if (rtMin_ < 0) {
      RightStep(i, x, a);
    } else {
      return Finish();
    }
    return true;
  }
  bool InPeak() const { return inPeak_; }
  void SetInPeak() { inPeak_ = true; }
  int32_t Peaks() const { return peaks_; }

 private:
  void PeakSearchStep(int64_t i, int64_t x, float a, double sumBefore) {
    if (Tracing()) DebugPrintf("\nPEAK SEARCH: FILE CNT=%lld AVE[%lld]=%f", static_cast<long long>(i),
                               static_cast<long long>(x), static_cast<double>(a));
    if (a > runMax_) {
      // The first average examined starts the running maximum; only a rise after it
      // makes the next fall a peak.
      risen_ = risen_ || examined_;
      examined_ = true;
      runMax_ = a;
      return;
    }
    if (!risen_) {
      // A scan that starts on a falling side: the maximum follows the average down
      // until it has risen once, so the start is not taken for a peak, and no peak is
      // under way, so that the trough below the cutoff is passed over.
      runMax_ = a;
      inPeak_ = false;
      return;
    }
    // The average has stopped rising: the peak is the point before.
    peak_ = x - 1;
    s_.aveRt[0] = runMax_;
    s_.aveRt[1] = a;
    rtCnt_ = 1;
    leftSum_ = sumBefore;
    if (c_.scaleDiff) s_.max = runMax_;
    if (c_.floatMin) s_.cutoff = static_cast<float>(s_.min + c_.k);
    runMax_ = -kBig;
    if (Tracing()) {
      DebugPrintf(" - PEAK AT FILE CNT=%lld", static_cast<long long>(peak_));
      DebugPrintf("\nMAX=%f MIN=%f CUTOFF=%f", static_cast<double>(s_.max), static_cast<double>(s_.min),
                  static_cast<double>(s_.cutoff));
    }
    if (s_.peakLog.IsOpen()) s_.peakLog.Printf("%lld\n", static_cast<long long>(peak_));
    CutoffLine(s_, "PEAK ");
  }

  void RightStep(int64_t i, int64_t x, float a) {
    if (Tracing()) DebugPrintf("\nRT MIN SEARCH: FILE CNT=%lld AVE[%lld]=%f", static_cast<long long>(i),
                               static_cast<long long>(x), static_cast<double>(a));
    if (s_.aveRt[0] <= a) {
      // The signal rose back to the peak's height: drop the peak, search on.
      peak_ = -1;
      rtMin_ = -1;
      rt_.Reset();
      runMax_ = a;
      ++rtResets_;
      core_io::StatusText(2, StrPrintf("RT MIN RESETS=[%d]", rtResets_));
      if (Tracing()) DebugLogWrite("\nRT RESET: AVE >= PK");
      return;
    }
    s_.aveRt[++rtCnt_] = a;
    if (a < s_.cutoff && Tracing()) DebugLogWrite(" - AVE < CUT OFF");
    if (rt_.Step(a, rtCnt_, s_.cutoff)) {
      rtMin_ = rt_.firstBelow;
      if (c_.adaptive) {
        s_.minRt = a;
        s_.min = (a + s_.minLf) * 0.5f;
        if (c_.floatMin) s_.cutoff = static_cast<float>(s_.min + c_.k);
      }
      CutoffLine(s_, "RTMIN");
    } else if (rtCnt_ + 2 > PEAK_AVE_SPACE - 1) {
      rtMin_ = PEAK_AVE_SPACE - 2;
      core_io::Warning(StrPrintf("PEAK FINDING PROC\n\nSPACE=[%d] EXCEEDED", PEAK_AVE_SPACE));
      if (Tracing()) DebugPrintf("\nRT ERROR CATCH: AVE_CNT >= AVESPACE - RT_MIN=%d", rtMin_);
    }
  }

  // The left window is read back once per peak; S values end at the peak's window end.
  bool LeftWindow(int64_t* start, int64_t* size) {
    const int64_t end = c_.p / 2 + peak_;
    int64_t s = std::min<int64_t>(5 * static_cast<int64_t>(rtMin_) + c_.p, c_.p + int64_t{PEAK_AVE_SPACE} - 1);
    if (s_.bufLf == nullptr || s > bufLfSz_) {
      const bool first = s_.bufLf == nullptr;
      if (QvAllocFailed(first ? FAlloc1Dim(&s_.bufLf, static_cast<uint32_t>(s))
                              : FReAlloc1Dim(&s_.bufLf, static_cast<uint32_t>(s)))) {
        core_io::Error("PeakFindHWHM()/Buf_LF - CORE ALLOCATION ERROR");
        return false;
      }
      if (Tracing()) {
        if (first) {
          DebugPrintf("\nLF INITIAL: LF_BUF_SZ=%lld", static_cast<long long>(s));
        } else {
          DebugPrintf("\nLF SPACE REALLOC: OLD_SZ=%lld NEW_SZ=%lld", static_cast<long long>(bufLfSz_),
                      static_cast<long long>(s));
          DebugPrintf("\nLF SPACE CATCH: LF_START=%lld, LF_BUF_SZ=%lld", static_cast<long long>(end - s + 1),
                      static_cast<long long>(s));
        }
      }
      bufLfSz_ = s;
    }
    int64_t from = end - s + 1;
    if (from < 0) {
      // A peak closer to the file start than its window: the window starts at 0 and
      // still ends at the peak's window end.
      from = 0;
      s = end + 1;
      if (Tracing()) DebugPrintf("\nLF INDEX CATCH: LF_START=%lld, LF_BUF_SZ=%lld", static_cast<long long>(from),
                                 static_cast<long long>(s));
    }
    if (Tracing()) DebugPrintf("\nSTART_LF=%lld END_LF=%lld", static_cast<long long>(from), static_cast<long long>(end));
    *start = from;
    *size = s;
    return true;
  }

  // The left minimum, the half-height centre and the marker line of the peak.
  bool Finish() {
    int64_t from = 0;
    int64_t size = 0;
    if (!LeftWindow(&from, &size)) return false;
    const uint64_t resume = s_.ramp.Position();
    s_.ramp.Seek(static_cast<uint64_t>(from) * sizeof(float));
    const size_t got = s_.ramp.Read(s_.bufLf, static_cast<size_t>(size), sizeof(float));
    s_.ramp.Seek(resume);
    std::fill(s_.bufLf + got, s_.bufLf + size, 0.0f);
    if (c_.inv)
      for (int64_t j = 0; j < size; ++j) s_.bufLf[j] = -s_.bufLf[j];

    // Walk backwards from the peak's window, one average per step.
    s_.aveLf[0] = s_.aveRt[0];
    int32_t lfCnt = 0;
    int32_t lfMin = -1;
    lf_.Reset();
    for (int64_t j = size - c_.p - 1; j >= 0; --j) {
      if (lfCnt + 1 > PEAK_AVE_SPACE - 1) {
        if (Tracing()) DebugPrintf("\nLF LOOP CATCH: AVE_CNT=%d LF_MIN=%d", lfCnt, lfMin);
        break;
      }
      leftSum_ += static_cast<double>(s_.bufLf[j]) - s_.bufLf[j + c_.p];
      const float a = static_cast<float>(leftSum_ / c_.p);
      s_.aveLf[++lfCnt] = a;
      if (Tracing()) DebugPrintf("\nLF MIN SEARCH: CNT_LF=[%lld] CNT_LF+Ave_Pts=[%lld] AVE[%d]=%f",
                                 static_cast<long long>(j), static_cast<long long>(j + c_.p), lfCnt,
                                 static_cast<double>(a));
      if (lf_.Step(a, lfCnt, s_.cutoff)) {
        lfMin = lf_.firstBelow;
        if (c_.adaptive) {
          s_.minLf = a;
          s_.min = (s_.minRt + s_.minLf) * 0.5f;
          s_.cutoff = static_cast<float>(c_.scaleDiff ? s_.min + (s_.max - s_.min) * c_.k : s_.min + c_.k);
        }
        CutoffLine(s_, "LFMIN");
        break;
      }
    }
    if (lfMin < 0) {
      lfMin = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(size - c_.p, lfCnt)));
      ++lfResets_;
      core_io::StatusText(1, StrPrintf("LF MIN RESETS=[%d]", lfResets_));
      if (Tracing()) DebugPrintf("\nERROR CATCH: LF_MIN=%d", lfMin);
    } else if (Tracing()) {
      DebugPrintf("\nLF: LF_CNT=%d", lfCnt);
    }

    // Baseline through the two minima, half height above it at the peak.
    const int32_t r = rtMin_;
    const int32_t l = lfMin;
    const double slope = l + r == 0 ? 0.0 : (static_cast<double>(s_.aveRt[r]) - s_.aveLf[l]) / (l + r);
    const double base = l * slope + s_.aveLf[l];
    const double half = base + (s_.aveLf[0] - base) * 0.5;
    // The first averages below half height on either side; only averages computed
    // for this peak are read.
    int32_t hl = -1;
    int32_t hr = -1;
    for (int32_t k = 1; (k < r || k < l) && (hl < 0 || hr < 0); ++k) {
      if (hl < 0 && k <= lfCnt && s_.aveLf[k] < half) hl = k;
      if (hr < 0 && k <= rtCnt_ && s_.aveRt[k] < half) hr = k;
    }
    if (hl < 0 || hr < 0) hl = hr = 0;
    const int64_t before = peak_;
    if (hl > 0 || hr > 0) peak_ += (hr - hl + 1) / 2;
    if (Tracing()) {
      DebugPrintf("\n\nHH - AVE_LF[ %d ](Y)=%f", hl, static_cast<double>(hl <= lfCnt ? s_.aveLf[hl] : 0.0f));
      DebugPrintf("\n     AVE_RT[ %d ](Y)=%f", hr, static_cast<double>(hr <= rtCnt_ ? s_.aveRt[hr] : 0.0f));
      DebugPrintf("\nBASE_Y(Y)=%lf HH(Y)=%lf HWHH(X)=%d", base, half, (hr - hl + 1) / 2);
      DebugPrintf("\nPEAK=%lld HWHM=%lld\nDIFF=%lld", static_cast<long long>(before), static_cast<long long>(peak_),
                  static_cast<long long>(peak_ - lastPeak_));
      DebugPrintf("\nRT_MIN=%d AVE_RT=%f", r, static_cast<double>(s_.aveRt[r]));
      DebugPrintf("\nLF_MIN=%d AVE_LF=%f\n", l, static_cast<double>(s_.aveLf[l]));
    }
    s_.marks.Printf("%lld\n", static_cast<long long>(peak_));
    lastPeak_ = peak_;
    ++peaks_;
    peak_ = -1;
    rtMin_ = -1;
    rtCnt_ = 0;
    rt_.Reset();
    inPeak_ = false;
    return true;
  }

 private:
  PeakSearch& s_;
  const Settings& c_;
  int64_t peak_ = -1;
  int32_t rtMin_ = -1;
  int32_t rtCnt_ = 0;
  float runMax_ = -kBig;
  bool examined_ = false;  // an average has been examined
  bool risen_ = false;     // the average has risen once since the first one examined
  double leftSum_ = 0.0;
  MinimumSearch rt_;
  MinimumSearch lf_;
  bool inPeak_ = false;
  int32_t rtResets_ = 0;
  int32_t lfResets_ = 0;
  int32_t peaks_ = 0;
  int64_t lastPeak_ = 0;
  int64_t bufLfSz_ = 0;  // size of s_.bufLf
};

}  // namespace

int32_t PeakFindFirst(PeakSearch& s, int16_t slot) {
  if (Tracing()) DebugLogWrite("ENTER PeakFindFirst()\n");
  Settings c = ReadSettings();
  if (!c.scaleDiff && !c.floatMin) {
    s.cutoff = static_cast<float>(c.k);
  } else {
    SetRangeSwitch(c, slot);
    s.ramp.Seek(static_cast<uint64_t>(std::max(c.lo, 0)) * sizeof(float));
    std::fill(s.buf, s.buf + c.p, 0.0f);
    double sum = 0.0;
    s.min = kBig;
    s.max = -kBig;
    int64_t count = 0;
    const int64_t limit = static_cast<int64_t>(c.hi) - c.lo;
    bool done = false;
    while (!done) {
      const int32_t n = ReadBlock(s, c);
      if (n == 0) break;
      for (int32_t j = 0; j < n; ++j) {
        sum += static_cast<double>(s.buf[c.p + j]) - s.buf[j];
        const float a = static_cast<float>(sum / c.p);
        if (count > c.p - 1) {
          s.min = std::min(s.min, a);
          s.max = std::max(s.max, a);
        } else if (count == c.p - 1) {
          s.min = s.max = a;
        }
        ++count;
        if (c.rangeOn && count == limit) {
          done = true;
          break;
        }
      }
      if (!done) CarryTail(s, c, n);
    }
    s.cutoff = static_cast<float>(c.scaleDiff ? s.min + c.k * (s.max - s.min) : s.min + c.k);
    s.minRt = s.minLf = s.min;
  }
  core_io::StatusText(3, StrPrintf("MIN=[%f] MAX=[%f] CUTOFF=[%f]", static_cast<double>(s.min),
                                   static_cast<double>(s.max), static_cast<double>(s.cutoff)));
  if (Tracing()) {
    DebugPrintf("MIN=%f MAX=%f CUT OFF=%f\n", static_cast<double>(s.min), static_cast<double>(s.max),
                static_cast<double>(s.cutoff));
    DebugLogWrite("EXIT PeakFindFirst()\n");
  }
  return 1;
}

int32_t PeakFindAll(PeakSearch& s, int16_t slot) {
  if (Tracing()) DebugLogWrite("ENTER PeakFindAll()\n");
  Settings c = ReadSettings();

  // The cutoff: the initial value, or lower ones, until YES.
  double factor = 1.0;
  for (;;) {
    const std::string question =
        StrPrintf("PEAK FINDING PROCEDURE\n\nFILE MIN=[%f] MAX=[%f]\n\nUSE INITIAL VALUE FOR CUTOFF=[%f] [YES] | NEXT "
                  "VALUE [NO] | ABORT [CANCEL]",
                  static_cast<double>(s.min), static_cast<double>(s.max), static_cast<double>(s.cutoff));
    const int answer = MessageBox(Win.hWnd_Main, question.c_str(), "Question", MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNOCANCEL);
    if (answer == IDYES) break;
    if (answer != IDNO) {
      if (Tracing()) DebugLogWrite("EXIT PeakFindAll()\n");
      return 1;
    }
    if (c.scaleDiff)
      s.cutoff = static_cast<float>(s.min + (s.max - s.min) * c.k * factor);
    else if (c.floatMin)
      s.cutoff = static_cast<float>(s.min + c.k * factor);
    factor *= 0.8;
  }

  SetRangeSwitch(c, slot);
  std::fill(s.buf, s.buf + c.p, 0.0f);
  s.ramp.Seek(0);
  Walk walk(s, c);
  double sum = 0.0;
  int64_t x = -(c.p / 2);  // the average is attributed to the centre of its window
  int64_t i = 0;           // the file index of the value read last
  int32_t result = 1;
  for (bool go = true; go;) {
    const int32_t n = ReadBlock(s, c);
    if (n == 0) break;
    for (int32_t j = 0; j < n; ++j, ++i, ++x) {
      const double before = sum;
      sum += static_cast<double>(s.buf[c.p + j]) - s.buf[j];
      const float a = static_cast<float>(sum / c.p);
      if (c.rangeOn && !(c.lo < x && x < c.hi)) continue;
      if (x < c.p / 2 - 1) continue;
      if (a < s.cutoff && !walk.InPeak()) continue;
      walk.SetInPeak();
      if (!walk.Examine(i, x, a, before)) {
        result = 0;
        go = false;
        break;
      }
    }
    if (!go) break;
    CarryTail(s, c, n);
    if (Tracing()) DebugPrintf("\nFILE READ - LSEEK=%lld\n", static_cast<long long>(i));
    core_io::StatusText(0, StrPrintf("FL_CNT=%lld", static_cast<long long>(i)));
  }
  FFree1Dim(&s.bufLf);
  if (result == 1) core_io::Info(StrPrintf("PEAKS FOUND = [%d]", walk.Peaks()));
  if (Tracing()) DebugLogWrite("EXIT PeakFindAll()\n");
  return result;
}

int32_t DiscFindAll(PeakSearch& s) {
  Settings c = ReadSettings();
  std::fill(s.buf, s.buf + c.p, 0.0f);
  s.ramp.Seek(0);
  double sum = 0.0;
  bool inPeak = false;
  int64_t i = 0;
  const int32_t photons = 0;
  for (int32_t n; (n = ReadBlock(s, c)) > 0;) {
    for (int32_t j = 0; j < n; ++j, ++i) {
      sum += static_cast<double>(s.buf[c.p + j]) - s.buf[j];
      if (static_cast<float>(sum / c.p) >= s.cutoff) inPeak = true;
    }
    CarryTail(s, c, n);
    core_io::StatusText(0, StrPrintf("FL_CNT=%lld", static_cast<long long>(i)));
  }
  (void)inPeak;
  core_io::Info(StrPrintf("NUMBER OF PHOTONS FOUND = [%d]", photons));
  return 1;
}

int32_t PeakFindHWHM(int16_t slot) {
  if (Tracing()) DebugLogWrite("ENTER PeakFindHWHM()\n");
  int32_t result = 0;
  const int32_t p = Cnl.PtsAve;
  PeakSearch s;
  if (p < 1 || p > PEAK_AVE_SPACE) {
    // A window of no points has no average.
    core_io::Warning(StrPrintf("PEAK FINDING PROCEDURE\n\nPTS AVE=[%d] OUT OF RANGE [1 - %d]\n\nABORTING", p,
                               PEAK_AVE_SPACE));
  } else if (!s.ramp.Open(Cnl.RampFlnm)) {
    core_io::Error(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING", Cnl.RampFlnm));
  } else if (!s.marks.Open(Cnl.Mks_Flnm)) {
    core_io::Warning(StrPrintf("FAILED TO CREATE ASCII FILE [%s] FOR WRITING", Cnl.Mks_Flnm));
  } else if (QvAllocFailed(FAlloc1Dim(&s.buf, static_cast<uint32_t>(p + kBlock))) ||
             QvAllocFailed(FAlloc1Dim(&s.aveRt, PEAK_AVE_SPACE)) ||
             QvAllocFailed(FAlloc1Dim(&s.aveLf, PEAK_AVE_SPACE))) {
    core_io::Error("PeakFindHWHM()/Buf_RT/Ave_RT/Ave_LF - CORE ALLOCATION ERROR");
  } else {
    if (Tracing()) {
      OpenTable(s.peakLog, kPeakTable);
      OpenTable(s.cutoffLog, kCutoffTable);
    }
    PeakFindFirst(s, slot);
    PeakFindAll(s, slot);
    // The peaks written stay, also when the search ended early.
    result = 1;
    if (!s.marks.Commit()) {
      core_io::Warning(StrPrintf("FAILED TO CREATE ASCII FILE [%s] FOR WRITING", Cnl.Mks_Flnm));
      result = 0;
    }
    FinishTable(s.peakLog, kPeakTable);
    FinishTable(s.cutoffLog, kCutoffTable);
  }
  FFree1Dim(&s.buf);
  FFree1Dim(&s.aveRt);
  FFree1Dim(&s.aveLf);
  FFree1Dim(&s.bufLf);
  if (Tracing()) DebugLogWrite("EXIT PeakFindHWHM()\n");
  return result;
}
