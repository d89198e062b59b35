#include "convert/calib/JumpPoints.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "convert/calib/CalibCommon.h"
#include "convert/calib/ThzLinearize.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/ThzSettings.h"
#include "records/Win.h"

namespace {

using calib::Post;
using core_io::Warning;
using platform::TextFileWriter;

bool Debug119() { return calib::DebugOn(DEBUG_TOPIC_THZ); }

// The edge rule of modes 0, 1 and 4: after a jump the next PTS AVE values are passed
// over; the first value looked at after them only becomes the previous value.
class EdgeRule {
 public:
  EdgeRule(double threshold, int32_t skip) : threshold_(std::fabs(threshold)), skip_(skip) {}
  // True when v is a jump; extra is the mode's own test of (previous, v).
  template <class Extra>
  bool Next(double v, Extra extra) {
    ++counter_;
    if (inhibit_) {
      if (counter_ < skip_) return false;
      inhibit_ = false;
      Look(v);
      return false;
    }
    const bool jump = havePrev_ && std::fabs(prev_ - v) > threshold_ && extra(prev_, v);
    if (jump) inhibit_ = true;
    Look(v);
    return jump;
  }
  bool Next(double v) {
    return Next(v, [](double, double) { return true; });
  }

 private:
  void Look(double v) {
    prev_ = v;
    havePrev_ = true;
    counter_ = 0;
  }
  double threshold_;
  int32_t skip_;
  double prev_ = 0.0;
  bool havePrev_ = false;
  bool inhibit_ = false;
  int32_t counter_ = 0;
};

// Reads a float file value by value in blocks.
class FloatStream {
 public:
  explicit FloatStream(core_io::BinIn& in) : in_(in), block_(65536) {}
  bool Next(float* v) {
    if (at_ == got_) {
      got_ = in_.Read(block_.data(), block_.size(), sizeof(float));
      at_ = 0;
      if (got_ == 0) return false;
    }
    *v = block_[at_++];
    return true;
  }

 private:
  core_io::BinIn& in_;
  std::vector<float> block_;
  size_t at_ = 0;
  size_t got_ = 0;
};

// Mode 5 words its failure as "FAILED TO CREATE ASCII FILE [%s]!".
bool CreateMarkerFile(TextFileWriter& out, bool shortText = false) {
  if (out.Open(Cnl.Mks_Flnm)) return true;
  Warning(shortText ? StrPrintf("FAILED TO CREATE ASCII FILE [%s]!", Cnl.Mks_Flnm)
                    : StrPrintf("FAILED TO CREATE ASCII FILE [%s] FOR WRITING", Cnl.Mks_Flnm));
  return false;
}

bool OpenRamp(core_io::BinIn& in) {
  if (in.Open(Cnl.RampFlnm)) return true;
  Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING", Cnl.RampFlnm));
  return false;
}

bool CommitMarkerFile(TextFileWriter& out) {
  if (out.Commit()) return true;
  Warning(StrPrintf("FAILED TO CREATE ASCII FILE [%s] FOR WRITING", Cnl.Mks_Flnm));
  return false;
}

// ---- mode 0: jumps of the ramp file ------------------------------------------------------

int32_t RampJumps() {
  if (Debug119()) DebugPrintf("AOM RAMP JUMP PT PROC ON [%s]\n", Cnl.Mks_Flnm);
  TextFileWriter out;
  core_io::BinIn in;
  if (!CreateMarkerFile(out) || !OpenRamp(in)) return 0;
  FloatStream values(in);
  EdgeRule rule(Cnl.StpDif, Cnl.PtsAve);
  uint32_t count = 0;
  float v = 0.0f;
  for (int64_t i = 0; values.Next(&v); ++i) {
    if (rule.Next(v)) {
      out.Printf("%lld\n", static_cast<long long>(i - Cnl.IntvPts / 2));
      ++count;
    }
  }
  if (!CommitMarkerFile(out)) return 0;
  Cnl.Pt_Cnt[9][0] = count;
  const std::string text = StrPrintf("      JUMP POINTS WRITTEN=[%u]\n      INTV SHIFT=[%d]/2 & CONSEC PT MIN=[%d]\n"
                                     "      ASCII FILE WRITTEN=[%s]\n",
                                     count, Cnl.IntvPts, Cnl.PtsAve, Cnl.Mks_Flnm);
  core_io::Info(text.substr(3));
  Post(text);
  return 1;
}

// ---- the marked interval of modes 1 and 5 -------------------------------------------------

// Settles the slot's marks: swapped when reversed, none when equal; when an interval
// is marked asks whether to use it. True when an interval is to be used.
bool MarkedInterval(int16_t slot, const char* question, int32_t* lo, int32_t* hi) {
  int32_t* lim = Win.Pt_Lim[slot];
  if (lim[0] > lim[1]) std::swap(lim[0], lim[1]);
  if (lim[0] == lim[1]) lim[0] = lim[1] = 0;
  if (lim[0] != lim[1] && calib::AskYesNoId(question) != IDYES) lim[0] = lim[1] = 0;
  *lo = lim[0];
  *hi = lim[1];
  return *lo != *hi;
}

bool FirstField(const std::string& line, double* v) {
  const char* p = line.c_str();
  return core_io::ScanDouble(p, v);
}

// ---- mode 1: jumps of the wavemeter log ---------------------------------------------------

int32_t LogJumps(int16_t slot) {
  if (Debug119()) DebugPrintf("WAVEMETER FILE JUMP PT PROC ON [%s]\n", ThzSettings.WaveFlnm);
  int32_t lo = 0, hi = 0;
  const bool marked = MarkedInterval(
      slot, "JUMP POINT SEARCH\n\nMARKED INTERVAL IS DEFINED\n\nUSE MARKED INTERVAL [YES] | USE COMPLETE FILE [NO]?",
      &lo, &hi);
  core_io::LineIn log(255);
  if (!log.Open(ThzSettings.WaveFlnm)) {
    Warning(StrPrintf("FAILED TO OPEN ASCII FILE [%s] FOR READING", ThzSettings.WaveFlnm));
    return 0;
  }
  TextFileWriter out;
  if (!CreateMarkerFile(out)) return 0;
  out.Printf("%d\n", lo);
  uint32_t written = 1;
  int32_t intervals = 1;
  EdgeRule rule(Cnl.StpDif, Cnl.PtsAve);
  std::string line;
  int64_t n = 0;
  double prev = 0.0;
  for (; log.Next(line); ++n) {
    const int64_t at = n * Cnl.IntvPts;
    double v = 0.0;
    if ((marked && (at < lo || at > hi)) || !FirstField(line, &v)) continue;
    const double f = std::fabs(v);
    if (Debug119()) DebugPrintf("   CNT=%lld FRQ1=%f FRQ_DIFF=%f\n", static_cast<long long>(n), f, f - prev);
    prev = f;
    if (rule.Next(f)) {
      out.Printf("%lld\n", static_cast<long long>(at));
      ++written;
      ++intervals;
      if (Debug119()) DebugPrintf("   FRQJMP_PT[%d]=%lld\n", intervals, static_cast<long long>(at));
    }
  }
  out.Printf("%lld\n", marked ? static_cast<long long>(hi) : static_cast<long long>(n * Cnl.IntvPts));
  ++written;
  if (!CommitMarkerFile(out)) return 0;
  Cnl.Pt_Cnt[9][0] = written;
  Post(StrPrintf("      INTERVALS FOUND = [%d]\n", intervals));
  if (calib::AskYesNoId(StrPrintf("   JUMP FIND [1]:\n      JUMP POINT SEARCH SUMMARY\n      INTERVALS FOUND = [%d]\n"
                                  "      CONTINUE [YES] | ABORT [NO]?",
                                  intervals)) != IDYES) {
    StrCopy(Cnl.MksRepeat_Flnm, Cnl.Mks_Flnm);
    return 0;
  }
  return 1;
}

// ---- mode 4: TTL transitions of the ramp file ---------------------------------------------

int32_t TtlTransitions(int16_t slot) {
  if (Debug119()) DebugPrintf("DIG TRS PROC ON [%s]\n", Cnl.Mks_Flnm);
  TextFileWriter out;
  core_io::BinIn in;
  if (!CreateMarkerFile(out) || !OpenRamp(in)) return 0;
  const bool ranged = Cnv.Lim_Stat[slot] == 1;
  const int64_t start = ranged && Win.Pt_Lim[slot][0] > 0 ? Win.Pt_Lim[slot][0] : 0;
  const int64_t last = Win.Pt_Lim[slot][1];

  // First pass: the range of the values, whose half is the level.
  in.Seek(static_cast<uint64_t>(start) * sizeof(float));
  double lowest = 1e20, highest = -1e20;
  {
    FloatStream values(in);
    float v = 0.0f;
    while (values.Next(&v)) {
      if (v < lowest) lowest = v;
      if (v > highest) highest = v;
    }
  }
  const double level = (highest - lowest) * 0.5;

  in.Seek(static_cast<uint64_t>(start) * sizeof(float));
  FloatStream values(in);
  EdgeRule rule(Cnl.StpDif, Cnl.PtsAve);
  const int32_t gapMin = Cnl.IntvPts;
  uint32_t lines = 0;
  int32_t total = 0, group = 0, gap = 0;
  bool any = false;
  auto closeGroup = [&]() {
    out.Printf("%3d %8d %3d\n", 0, group, 0);
    ++lines;
    total += group;
    group = 0;
  };
  float v = 0.0f;
  for (int64_t i = 0; values.Next(&v); ++i) {
    if (ranged && i > last) break;
    ++gap;
    if (!rule.Next(v, [level](double p, double x) { return p > level && x < level; })) continue;
    any = true;
    if (gapMin == 0) {
      out.Printf("%lld\n", static_cast<long long>(i));
      ++lines;
      ++total;
      continue;
    }
    if (gap > gapMin) {
      if (group >= Cnl.PtsFsr) closeGroup();
      gap = 0;
    }
    ++group;
  }
  if (gapMin > 0) {
    if (!any) {
      group = -1;
      out.Printf("%3d %8d %3d\n", 0, group, 0);
      ++lines;
    } else if (group >= Cnl.PtsFsr) {
      closeGroup();
    }
  }
  if (!CommitMarkerFile(out)) return 0;
  Cnl.Pt_Cnt[9][0] = lines;
  if (gapMin == 0)
    core_io::Info(StrPrintf("TTL NEGATIVE GOING TRANSITIONS WRITTEN=[%d]\n\nASCII FILE WRITTEN=[%s]", total,
                            Cnl.Mks_Flnm));
  else
    core_io::Info(StrPrintf("TTL GROUPS WRITTEN=[%u] OVER INTV SZ=[%d]\n\nGROUP TRS MIN=[%d] & CONSEC PT MIN=[%d]\n\n"
                            "TOTAL NEGATIVE GOING TRANSITIONS=[%d]\n\nASCII FILE WRITTEN=[%s]",
                            lines, gapMin, Cnl.PtsFsr, Cnl.PtsAve, total, Cnl.Mks_Flnm));
  Post(StrPrintf("      TTL GROUPS WRITTEN=[%u] OVER INTV SZ=[%d]\n      GROUP TRS MIN=[%d] & CONSEC PT MIN=[%d]\n"
                 "      TOTAL NEGATIVE GOING TRANSITIONS=[%d]\n      ASCII FILE WRITTEN=[%s]\n",
                 lines, gapMin, Cnl.PtsFsr, Cnl.PtsAve, total, Cnl.Mks_Flnm));
  return 1;
}

// ---- mode 5: transmission points, the older procedure -------------------------------------

int32_t TransmissionPoints(int16_t slot) {
  int32_t lo = 0, hi = 0;
  const bool marked =
      MarkedInterval(slot, "MARKED INTERVAL IS DEFINED\n\nUSE MARKED INTERVAL [YES] | USE COMPLETE FILE [NO]?", &lo, &hi);
  core_io::LineIn log(255);
  if (!log.Open(ThzSettings.WaveFlnm)) {
    Warning(StrPrintf("FAILED TO OPEN ASCII CALIBRATION FILE [%s] FOR READING", ThzSettings.WaveFlnm));
    return 0;
  }
  TextFileWriter out;
  if (!CreateMarkerFile(out, true)) return 0;  // the log closes with its reader
  out.Printf("%d\n", lo);
  const double factor = Cnl.StpDif;
  std::string line;
  double prev = 0.0, sum = 0.0, average = 0.0;
  int64_t used = 0;
  int32_t steps = 0;
  int32_t jumps = 0;
  for (int64_t n = 0; log.Next(line); ++n) {
    const int64_t at = n * Cnl.PtsAve;
    double v = 0.0;
    if ((marked && (at < lo || at > hi)) || !FirstField(line, &v)) continue;
    const double f = std::fabs(v);
    if (used > 0) {
      const double d = std::fabs(prev - f);
      if (steps < 4 || average == 0.0 || d <= factor * average) {
        sum += d;
        ++steps;
        average = sum / static_cast<double>(used);
      } else {
        out.Printf("%lld\n", static_cast<long long>(at));
        steps = 0;
        ++jumps;
        if (Debug119()) DebugPrintf("   FRQJMP_PT[%d]=%lld\n", jumps, static_cast<long long>(at));
      }
      if (Debug119())
        DebugPrintf("   CNT=%lld FRQ1=%f FRQ_AVE*10=%f FRQ_DIFF=%f\n", static_cast<long long>(n), f, average * 10.0, d);
    }
    prev = f;
    ++used;
  }
  out.Printf("%d\n", marked ? hi : 0);
  if (!CommitMarkerFile(out)) return 0;
  Post("      TRANSMISSION POINTS OLD PROC\n");
  return 1;
}

}  // namespace

int32_t JumpPointFind(int16_t slot, int16_t mode) {
  if (mode < 0 || mode > 6) return 1;
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "JumpPointFind()", DEBUG_ENTER);
  Post(StrPrintf("   JUMP FIND [%d]:\n", mode));
  int32_t result = 0;
  const bool needsSlot = mode == 1 || mode == 4 || mode == 5;
  if (needsSlot && (slot < 0 || slot > 9)) {
    Warning(StrPrintf("JumpPointFind()\n\nINVALID PARAMETER SLOT=[%d]\n\nABORTING", slot));
  } else {
    switch (mode) {
      case 0: result = RampJumps(); break;
      case 1: result = LogJumps(slot); break;
      case 4: result = TtlTransitions(slot); break;
      case 5: result = TransmissionPoints(slot); break;
      default: result = WaveLogRepair(mode); break;
    }
  }
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "JumpPointFind()", DEBUG_EXIT);
  return result;
}
