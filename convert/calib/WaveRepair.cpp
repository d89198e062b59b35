// Repair of the wavemeter log into a corrected copy (the log's name with "F"):
// mode 2 numerical read errors, mode 3 runs of repeated readings and negative
// readings, mode 6 jumps beyond a growing tolerance between two line limits.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "convert/calib/CalibCommon.h"
#include "convert/calib/JumpPoints.h"
#include "convert/calib/ThzLinearize.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "filelib/FileManip.h"
#include "core/TypedArrays.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnl.h"
#include "records/ThzSettings.h"

namespace {

using calib::Post;
using core_io::Warning;
using platform::TextFileWriter;

constexpr double kTopReading = 11900.0;  // readings above it are out of range

bool Debug119() { return calib::DebugOn(DEBUG_TOPIC_THZ); }

std::string CorrectedName() { return std::string(ThzSettings.WaveFlnm) + "F"; }

// Fields of a log line read in order as a double, an integer and a double, as far as
// they convert; the number converted.
int32_t ScanLine(const std::string& line, double* f, int32_t* pos, double* third) {
  const char* p = line.c_str();
  if (!core_io::ScanDouble(p, f)) return 0;
  if (!core_io::ScanLong(p, pos)) return 1;
  double ignored = 0.0;
  if (!core_io::ScanDouble(p, third ? third : &ignored)) return 2;
  return 3;
}

// One line of the log held back until the next one has been judged.
struct Held {
  double f = 0.0;        // reading (absolute value)
  int32_t pos = 0;       // position, 0 when the line had none
  int32_t fields = 0;    // fields the line had
  bool negative = false; // written negative again
  uint32_t line = 0;     // counted line number
};

double Signed(const Held& h) { return h.negative ? -h.f : h.f; }

// A reversal: f2 lies outside the range between its neighbours f3 and f1, which agree.
bool Reversal(double f3, double f2, double f1, double stp) {
  if (f3 == f1 || std::fabs(f1 - f3) >= 10.0 * std::fabs(stp)) return false;
  const double margin = 0.01 * stp;
  return f2 > std::max(f3, f1) + margin || f2 < std::min(f3, f1) - margin;
}

// The held line with the two readings before it, written one line late.
struct LateLines {
  Held h;
  double f2 = 0.0, f3 = 0.0;
  // From the n-th line read: writes the held line from the second line on, counting
  // a reversal from the fourth.
  template <class Write>
  void Pass(uint32_t n, int32_t* reversals, Write write) {
    if (n < 2) return;
    if (n >= 4 && Reversal(f3, f2, h.f, Cnl.StpDif)) ++*reversals;
    write(h);
  }
  void MoveOn(const Held& next) {
    f3 = f2;
    f2 = h.f;
    h = next;
  }
};

bool OpenLog(core_io::LineIn& log) {
  if (log.Open(ThzSettings.WaveFlnm)) return true;
  Warning(StrPrintf("FAILED TO OPEN ASCII FILE [%s] FOR READING", ThzSettings.WaveFlnm));
  return false;
}

bool CreateCorrected(TextFileWriter& out, const std::string& name) {
  if (out.Open(name.c_str())) return true;
  Warning(StrPrintf("FAILED TO CREATE ASCII FILE [%s] FOR WRITING", name.c_str()));
  return false;
}

bool CommitCorrected(TextFileWriter& out, const std::string& name) {
  if (out.Commit()) return true;
  Warning(StrPrintf("FAILED TO CREATE ASCII FILE [%s] FOR WRITING", name.c_str()));
  return false;
}

// ---- mode 2 -------------------------------------------------------------------------------

struct Mode2Counts {
  uint32_t lines = 0;
  int32_t detected = 0, decimal = 0, reversals = 0, negative = 0, added = 0, corrected = 0, above = 0, averaged = 0;
  int32_t detSinceAsk = 0, corrSinceAsk = 0;
};

// Asks about a repaired reading unless INTV PTS says not to. IDYES keeps the repair,
// IDNO takes the average, IDCANCEL stops.
int32_t AskRepair(const char* title, Mode2Counts& c, const Held& h, double original, double f, double f2,
                  double repaired) {
  const int32_t mode = Cnl.IntvPts;
  const double stp = std::fabs(Cnl.StpDif);
  if (mode == 0) return IDYES;
  if (mode < 0 && std::fabs(f - repaired) <= stp && c.corrSinceAsk == c.detSinceAsk) return IDYES;
  c.detSinceAsk = c.corrSinceAsk = 0;
  return calib::AskYesNoCancel(StrPrintf("%s\n\nLINE NO=[%u]\n\n[%f] ORIGINAL\n[%f] N-1 FRQ\n[%f] N+1 FRQ\n\n"
                                         "[%f] USE CORRECTED [YES]\n[%f] USE AVERAGE   [NO]\n\nABORT [CANCEL]",
                                         title, h.line, original, f, f2, repaired, (f + f2) / 2.0));
}

// Repairs the digits of the held reading g against its neighbours f (after) and f2
// (before): first a misplaced decimal point, then digit by digit from the top.
double RepairDigits(double g, double f, double f2, Mode2Counts& c) {
  const double stp = Cnl.StpDif;
  if (g < 10000.0 || g > 100000.0) {
    for (double d = 1e7; d >= 1.0; d /= 10.0) {
      if (d <= g) {
        g = (10000.0 / d) * g;
        ++c.decimal;
        break;
      }
    }
  }
  static constexpr double kDigits[] = {10000.0, 1000.0, 100.0, 10.0, 1.0, 0.1, 0.01};
  bool changed = false;
  for (double d : kDigits) {
    if (std::fabs(f - g) <= std::fabs(stp)) break;
    double a = std::trunc(f / d) * d;
    const double b = std::trunc(g / d) * d;
    if (a == b) continue;
    // The digit of the reading after, or one above or below it, whichever puts the
    // reading between its neighbours: a scan may rise or fall. When none does, the
    // digit is lowered if the reading lands outside them.
    const double trial = g + a - b;
    const double lo = std::min(f, f2) - 0.0001 * std::fabs(stp);
    const double hi = std::max(f, f2) + 0.0001 * std::fabs(stp);
    const auto between = [&](double v) { return v >= lo && v <= hi; };
    if (!between(trial)) {
      if (between(trial - d))
        a -= d;
      else if (between(trial + d))
        a += d;
      else if (trial < f - 0.0001 * stp || trial > f2 + 0.0001 * stp)
        a -= d;
    }
    g = g + a - b;
    changed = true;
  }
  if (changed) {
    ++c.corrected;
    ++c.corrSinceAsk;
  }
  return g;
}

void WriteMode2Held(TextFileWriter& out, const Held& h, int32_t detected) {
  if (h.fields <= 1)
    out.Printf("%f %d\n", Signed(h), detected);
  else
    out.Printf("%f %d %d\n", Signed(h), h.pos, detected);
}

// PTS AVE >= 0: each line "%lf%ld".
bool Mode2Plain(core_io::LineIn& log, TextFileWriter& out, Mode2Counts& c) {
  if (Debug119())
    DebugPrintf("BURLEIGH | HIGH FINESSE WAVEMETER FILE READ ERROR CORRECTION PROC ON [%s]\n", ThzSettings.WaveFlnm);
  const double stp = std::fabs(Cnl.StpDif);
  LateLines late;
  Held& h = late.h;
  const double& f2 = late.f2;
  uint32_t count = 0;
  bool cancelled = false;
  std::string line;
  while (!cancelled && log.Next(line)) {
    double v = 0.0;
    int32_t pos = 0;
    const int32_t fields = ScanLine(line, &v, &pos, nullptr);
    if (fields == 0) continue;
    const bool negative = v < 0.0;
    const double f = std::fabs(v);
    ++count;
    c.lines = count;
    if (count >= 3) {
      if (f > kTopReading) {
        ++c.above;
        if (negative) ++c.negative;
        // The readings do not move on; a line with a position keeps its place in the
        // log by the held line written once more.
        if (fields >= 2) WriteMode2Held(out, h, c.detected);
        continue;
      }
      if (std::fabs(f - f2) < 10.0 * stp && std::fabs(f - h.f) > stp && std::fabs(f2 - h.f) > stp) {
        ++c.detected;
        ++c.detSinceAsk;
        const double original = h.f;
        const double repaired = RepairDigits(h.f, f, f2, c);
        const int32_t answer = AskRepair("(2) BURLEIGH WAVEMETER NUMERICAL ERROR REPAIR", c, h, original, f, f2, repaired);
        if (answer == IDCANCEL) {
          cancelled = true;
        } else if (answer == IDNO) {
          h.f = (f + f2) / 2.0;
          ++c.averaged;
        } else {
          h.f = repaired;
        }
      }
    }
    if (negative) ++c.negative;
    late.Pass(count, &c.reversals, [&](const Held& held) { WriteMode2Held(out, held, c.detected); });
    if (cancelled) return false;
    late.MoveOn(Held{f, pos, fields, negative, count});
  }
  if (count >= 1) WriteMode2Held(out, h, c.detected);
  return true;
}

void WriteWindowHeld(TextFileWriter& out, const Held& h, int32_t detected) {
  out.Printf("%f %d %u %d\n", Signed(h), h.pos, h.line, detected);
}

// PTS AVE < 0: each line "%lf %ld %lf", with a window of the last N readings.
bool Mode2Windowed(core_io::LineIn& log, TextFileWriter& out, Mode2Counts& c, int32_t n) {
  if (Debug119())
    DebugPrintf("HIGH FINESSE WAVEMETER FILE READ ERROR CORRECTION PROC ON [%s]\n", ThzSettings.WaveFlnm);
  calib::Work<double> window;
  if (!window.Alloc(static_cast<uint64_t>(n))) {
    core_io::Error("JumpPointFind()/frqD_ary - CORE ALLOCATION ERROR");
    return false;
  }
  const double stp = std::fabs(Cnl.StpDif);
  LateLines late;
  Held& h = late.h;
  const double& f2 = late.f2;
  uint32_t count = 0, used = 0;
  int32_t filled = 0, next = 0;
  uint32_t windowLines = 0;
  bool cancelled = false;
  std::string line;
  while (!cancelled && log.Next(line)) {
    double f = 0.0, third = 0.0;
    int32_t pos = 0;
    const int32_t fields = ScanLine(line, &f, &pos, &third);
    if (fields == 0) continue;
    ++count;
    c.lines = count;
    if (fields == 3) continue;
    if (f < 0.0) {
      ++c.negative;
      continue;
    }
    ++used;
    bool markNegative = false;
    if (used >= 3) {
      if (f > kTopReading) {
        ++c.above;
        continue;
      }
      if (std::fabs(f - f2) >= 10.0 * stp || pos == 0) {
        filled = next = 0;
      } else {
        window[static_cast<uint64_t>(next)] = f;
        next = (next + 1) % n;
        if (filled < n) ++filled;
        if (filled == n) {
          double sum = 0.0;
          for (int32_t i = 0; i < n; ++i) sum += window[static_cast<uint64_t>(i)];
          const double mean = sum / n;
          double var = 0.0;
          for (int32_t i = 0; i < n; ++i) var += (window[static_cast<uint64_t>(i)] - mean) * (window[static_cast<uint64_t>(i)] - mean);
          const double limit = std::max(5.0 * std::sqrt(var / n), 0.3);
          if (++windowLines % 100 == 0) core_io::StatusText(0, StrPrintf("[%u] 5 * STD DEV=[%f]", count, limit));
          if (std::fabs(f - mean) > limit && static_cast<int64_t>(pos) - h.pos <= n) {
            f = h.f;
            ++c.negative;
          }
        }
        if (f > kTopReading || (std::fabs(f - h.f) > stp && std::fabs(f2 - h.f) > stp)) {
          ++c.detected;
          ++c.detSinceAsk;
          const double original = h.f;
          if (f <= kTopReading) {
            h.f = (f + f2) / 2.0;
            ++c.corrected;
            ++c.corrSinceAsk;
          } else {
            // The held reading is written negative; out-of-range lines that follow
            // are passed over up to the end of the log.
            markNegative = true;
            std::string more;
            while (f > kTopReading && log.Next(more)) {
              int32_t p2 = 0;
              if (ScanLine(more, &f, &p2, nullptr) == 0) continue;
              pos = p2;
              ++c.above;
              ++c.corrected;
            }
          }
          if (Cnl.IntvPts == 0) {
            ++c.averaged;
          } else {
            const int32_t answer =
                AskRepair("(2) WAVEMETER NUMERICAL ERROR REPAIR", c, h, original, f, f2, h.f);
            if (answer == IDCANCEL) {
              h.f = original;
              cancelled = true;
            } else if (answer == IDNO) {
              h.f = (f + f2) / 2.0;
              ++c.averaged;
            }
          }
        }
        if (markNegative) h.negative = true;
        // A gap in the positions is filled with readings between the held one and this.
        const int64_t gap = static_cast<int64_t>(pos) - h.pos;
        if (!cancelled && gap > n) {
          const double df = (f - h.f) / n;
          const int32_t dp = static_cast<int32_t>((gap < 0 ? -gap : gap) / n);
          for (int32_t k = 0; k < n - 1; ++k) {
            if (k == 0)
              out.Printf("%f %d %u %d %d %.6f %.6f\n", Signed(h), h.pos, h.line, c.detected, 0, f, f2);
            else
              out.Printf("%f %d %u %d %d\n", Signed(h), h.pos, h.line, c.detected, k);
            ++c.added;
            ++c.detected;
            h.f += df;
            h.pos += dp;
          }
        }
      }
    }
    late.Pass(used, &c.reversals, [&](const Held& held) { WriteWindowHeld(out, held, c.detected); });
    if (cancelled) return false;
    late.MoveOn(Held{f, pos, fields, false, count});
  }
  if (used >= 1) WriteWindowHeld(out, h, c.detected);
  return true;
}

int32_t Mode2() {
  core_io::LineIn log(255);
  if (!OpenLog(log)) return 0;
  const std::string name = CorrectedName();
  TextFileWriter out;
  if (!CreateCorrected(out, name)) return 0;
  Mode2Counts c;
  // The sign of PTS AVE selects the branch; the setting itself keeps its sign.
  const int32_t ptsAve = Cnl.PtsAve;
  const bool finished = ptsAve >= 0 ? Mode2Plain(log, out, c) : Mode2Windowed(log, out, c, -ptsAve);
  if (!CommitCorrected(out, name)) return 0;
  Post(StrPrintf("      BURLEIGH | HI-FINESSE WAVEMETER NUMERICAL ERROR SUMMARY\n      TOTAL LINES\t=[%u]\n"
                 "      DETECTED ERRS\t=[%d]\n      DECIMAL ERRS\t=[%d]\n      FRQ REVERSED\t=[%d]\n"
                 "      JMP/NEG ERRS\t=[%d]\n      ADD FRQS\t\t=[%d]\n      CORR ERRS\t=[%d]\n      FRQ>%.1f\t=[%d]\n"
                 "      FRQ AVERAGED\t=[%d]\n",
                 c.lines, c.detected, c.decimal, c.reversals / 2, c.negative, c.added, c.corrected, kTopReading,
                 c.above, c.averaged));
  return finished ? 1 : 0;
}

// ---- mode 3 -------------------------------------------------------------------------------

int32_t Mode3() {
  if (Debug119())
    DebugPrintf("WAVEMETER FILE RANGE | LOW LEVEL ERROR CORRECTION PROC ON [%s]\n", ThzSettings.WaveFlnm);
  struct Columns {
    double* f = nullptr;
    int32_t* pos = nullptr;
    ~Columns() {
      DFree1Dim(&f);
      LFree1Dim(&pos);
    }
  } col;
  uint32_t n = 0, n2 = 0;
  // A log of frequencies alone is a log like any other: its empty second column reads
  // as 0 without a warning.
  if (ManAsciiFileRead(ThzSettings.WaveFlnm, 1, nullptr, nullptr, &col.f, &n, 1) != 1 || n == 0 ||
      ManAsciiFileRead(ThzSettings.WaveFlnm, 2, &col.pos, nullptr, nullptr, &n2, 0) != 1) {
    Warning(StrPrintf("[3] FAILED TO OPEN|READ ASCII FILE [%s] FOR READING", ThzSettings.WaveFlnm));
    return 0;
  }
  bool hasPos = false;
  for (uint32_t i = 0; i < n; ++i) hasPos = hasPos || col.pos[i] != 0;
  const std::string name = CorrectedName();
  TextFileWriter out;
  if (!CreateCorrected(out, name)) return 0;

  const double stp = std::fabs(Cnl.StpDif);
  uint32_t written = 0;  // readings before it are written
  auto writeUpTo = [&](uint32_t u, int32_t corrections) {
    for (; written <= u; ++written) {
      if (hasPos)
        out.Printf("%f %d %d\n", col.f[written], col.pos[written], corrections);
      else
        out.Printf("%f %d\n", col.f[written], corrections);
    }
  };
  int32_t rangeErrs = 0, corrections = 0, steps = 0, runAve = 0;
  double stepSum = 0.0, stepAve = 0.0;
  uint32_t runStart = 0, runLen = 1;
  for (uint32_t u = 0; u < n; ++u) {
    if (col.f[u] < 0.0) {
      col.f[u] = -col.f[u];
      ++rangeErrs;
    }
    const double d = u == 0 ? 0.0 : std::fabs(col.f[u] - col.f[u - 1]);
    if (u == 0 || d >= stp) {
      if (u > 0 && Debug119())
        DebugPrintf("[%u] IGNORED TRS - JUMP > OPSEQ THRES = %f > %f\n", u, d, stp);
      writeUpTo(u, 0);
      runStart = u;
      runLen = 1;
    } else if (d == 0.0) {
      ++runLen;
    } else {
      stepSum += d;
      ++steps;
      stepAve = stepSum / steps;
      runAve = static_cast<int32_t>(std::floor(static_cast<double>(u) / steps + 0.5));
      const double base = col.f[runStart];
      for (int64_t m = 1; runAve > 0 && m * runAve < runLen; ++m) {
        // Offsets from the run's second reading: m * R - 1 to the run's end.
        for (uint32_t k = runStart + static_cast<uint32_t>(m * runAve); k < runStart + runLen; ++k)
          col.f[k] = base + static_cast<double>(m) * stepAve;
        ++corrections;
        if (Debug119())
          DebugPrintf("[%u] ERR_TOT=[%d] SAME_AVE=[%d] SAME_TOT=[%u] FRQ_DIFF_SUM=[%f] FRQ_INTV=[%f] FRQ_NEW=[%f]\n",
                      u, corrections, runAve, runLen, stepSum, stepAve, base + static_cast<double>(m) * stepAve);
      }
      writeUpTo(u, corrections);
      runStart = u;
      runLen = 1;
    }
  }
  if (n > 0) writeUpTo(n - 1, corrections);
  if (!CommitCorrected(out, name)) return 0;
  const int32_t fields = hasPos ? 2 : 1;
  if (corrections > 0 || rangeErrs > 0)
    core_io::Info(StrPrintf("[3] WAVEMETER INVALID READING SUMMARY\n\nTOTAL FRQS:FIELDS=[%u]:[%d]\n\nRANGE(NEG) ERRS=[%d]\n"
                            "CORRD ERRS=[%d]\n\nAVE SAME FRQ=[%d]\nAVE FRQ INTV=[%f]",
                            n, fields, rangeErrs, corrections, runAve, stepAve));
  Post(StrPrintf("      WAVEMETER INVALID READING SUMMARY\n      TOTAL FRQS:FIELDS=[%u]:[%d]\n      RANGE(NEG) ERRS=[%d]\n"
                 "      CORR ERRS=[%d]\n      AVE SAME FRQ=[%d]\n      AVE FRQ INTV=[%f]\n",
                 n, fields, rangeErrs, corrections, runAve, stepAve));
  return 1;
}

// ---- mode 6 -------------------------------------------------------------------------------

// Starts the corrected log: anew, or with the text it holds when appending.
bool StartCorrected(TextFileWriter& out, const std::string& name, bool append) {
  std::string kept;
  if (append && platform::FileExists(name.c_str())) {
    std::ifstream old(platform::MapPath(name.c_str()), std::ios::binary);
    if (!old) {
      Warning(StrPrintf("FAILED TO OPEN ASCII FILE [%s] FOR APPENDING", name.c_str()));
      return false;
    }
    kept.assign(std::istreambuf_iterator<char>(old), std::istreambuf_iterator<char>());
    if (!platform::IsValidUtf8(kept)) kept = platform::Cp1252ToUtf8(kept);
  }
  if (!CreateCorrected(out, name)) return false;
  out.Write(kept);
  return true;
}

int32_t Mode6() {
  if (Debug119())
    DebugPrintf("HIGH FINESSE WAVEMETER FILE READ ERROR CORRECTION PROC ON [%s]\n", ThzSettings.WaveFlnm);
  core_io::LineIn log(255);
  if (!OpenLog(log)) return 0;
  const std::string name = CorrectedName();
  TextFileWriter out;
  const uint32_t lower = ThzSettings.SectLo, upper = ThzSettings.SectHi;
  if (!StartCorrected(out, name, lower != 0)) return 0;
  Post(StrPrintf("      MARKER LIMITS \t=[%u] - [%u]\n", lower, upper));

  const double stp = std::fabs(Cnl.StpDif);
  LateLines late;
  const Held& h = late.h;
  double tolerance = 1.0;
  int32_t detected = 0, reversals = 0, negative = 0;
  uint32_t count = 0, used = 0;
  std::string line;
  while (count < upper && log.Next(line)) {
    double v = 0.0;
    int32_t pos = 0;
    if (ScanLine(line, &v, &pos, nullptr) == 0) continue;
    if (count++ < lower) continue;
    const bool isNegative = v < 0.0;
    if (isNegative) ++negative;
    double f = std::fabs(v);
    ++used;
    if (used >= 2) {
      if (std::fabs(f - h.f) <= tolerance * stp) {
        tolerance = 1.0;
      } else {
        ++detected;
        if (Debug119()) DebugPrintf(" 1    ERROR AT FRQ3,2,1= %f %f %f\n", late.f2, h.f, f);
        f = h.f;
        tolerance += 1.0;
      }
    }
    late.Pass(used, &reversals, [&](const Held& held) {
      out.Printf("%f %d %d\n", Signed(held), held.pos, detected);
      if (Debug119()) DebugPrintf("%u FRQ=%f DET_CT=%d REV_CT=%d\n", held.line, held.f, detected, reversals);
    });
    late.MoveOn(Held{f, pos, 2, isNegative, count});
  }
  // Nothing is written for a section without readings.
  if (used >= 1) out.Printf("%f %d %d\n", Signed(h), h.pos, detected);
  if (!CommitCorrected(out, name)) return 0;
  Post(StrPrintf("      HI-FINESSE WAVEMETER NUMERICAL ERROR SUMMARY\n      TOTAL LINES\t=[%u]\n      DETECTED ERRS\t=[%d]\n"
                 "      FRQ REVERSED\t=[%d]\n      JMP/NEG ERRS\t=[%d]\n      JUMP DIFF USED\t=[%f]\n",
                 used, detected, reversals / 2, negative, Cnl.StpDif));
  return 1;
}

}  // namespace

int32_t WaveLogRepair(int16_t mode) {
  switch (mode) {
    case 2: return Mode2();
    case 3: return Mode3();
    case 6: return Mode6();
    default: return 1;
  }
}
