// FTMW scan files and LeCroy waveforms turned into float channel files. The FTMW
// scan keeps the centre of every interval, as wide as one interval-to-interval
// step, and joins the centres into one spectrum.
#include "convert/InstrumentConvert.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/FrqAxis.h"
#include "core/WorkText.h"
#include "fileproc/FileOps.h"
#include "platform/kernel/Binary.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Dsp.h"

using platform::GetDoubleLE;
using platform::GetFloatLE;
using platform::GetInt16LE;
using platform::GetInt32LE;
using platform::GetUInt16LE;
using platform::LoadLE;

namespace {

bool Tracing() { return Debug.DebugLevel == DEBUG_TOPIC_INSTRUMENT; }

// The wait cursor while a conversion runs.
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

// A UTF-16LE text of at most `units` code units, ending at its first NUL or at the end
// of its space; unpaired surrogates become U+FFFD.
std::string Utf16Text(const uint8_t* p, size_t units) {
  std::string out;
  auto put = [&](uint32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  };
  for (size_t i = 0; i < units; ++i) {
    const uint32_t u = GetUInt16LE(p, 2 * i);
    if (u == 0) break;
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
      const uint32_t v = GetUInt16LE(p, 2 * (i + 1));
      if (v >= 0xDC00 && v < 0xE000) {
        put(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
        ++i;
        continue;
      }
    }
    put(u >= 0xD800 && u < 0xE000 ? 0xFFFDu : u);
  }
  return out;
}

// The shared axis, saved so that a refused conversion can put it back.
struct Axis {
  double init = 0.0;
  double fsr = 0.0;
  int32_t ppf = 0;
  double stp = 0.0;
};
Axis AxisNow() { return {Dsp.Init_Frq, Dsp.FSR, Dsp.Pts_FSR, Dsp.Frq_Stp}; }
void AxisSet(const Axis& a) {
  Dsp.Init_Frq = a.init;
  Dsp.FSR = a.fsr;
  Dsp.Pts_FSR = a.ppf;
  DspFrqStpSet(a.stp);
}

// The box of an output that could not be written (a full disk); the conversion then
// ends and the temporary output goes.
bool WriteFailed(const char* output) {
  core_io::Warning(StrPrintf("FAILED TO WRITE BINARY OUTPUT FILE [%s]\n\nABORTING", output));
  return false;
}

// Writes to the output named Cnv.Ftmw_OutFlnm; false after the box of a failed write.
bool WriteOut(core_io::BinOut& out, const void* data, size_t bytes) {
  return out.Write(data, bytes) || WriteFailed(Cnv.Ftmw_OutFlnm);
}

bool WriteZeros(core_io::BinOut& out, int64_t count) {
  static constexpr float kZeros[1024] = {};
  while (count > 0) {
    const int64_t k = std::min<int64_t>(count, 1024);
    if (!WriteOut(out, kZeros, static_cast<size_t>(k) * sizeof(float))) return false;
    count -= k;
  }
  return true;
}

// Asks before an existing file is replaced; true to go on.
bool OverwriteAllowed(const char* name) {
  return !platform::FileExists(name) || core_io::AskYesNo(StrPrintf("OVERWRITE EXISTING FILE [%s]?", name));
}

bool OpenInput(core_io::BinIn& in, const char* input) {
  if (in.Open(input)) return true;
  core_io::Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING", input));
  return false;
}

// Asks before the output (and a second file the conversion leads to, when named) is
// replaced, then opens the output beside its target. False after the box that says why.
bool OpenOutput(core_io::BinOut& out, const char* declined, const char* second) {
  const char* output = Cnv.Ftmw_OutFlnm;
  if (!OverwriteAllowed(output) || (second && !OverwriteAllowed(second))) {
    core_io::Info(declined);
    return false;
  }
  if (out.Open(output)) return true;
  core_io::Warning(StrPrintf("FAILED TO OPEN BINARY OUTPUT FILE [%s] FOR WRITING", output));
  return false;
}

// ---- the interval geometry -------------------------------------------------------------

// The kept centre [ctrBeg, ctrEnd) of every interval of n points.
struct Geometry {
  int64_t n = 0;
  double stp = 0.0;   // FRQ_STP, signed
  double jmp = 0.0;   // FRQ_JMP, signed
  double intv = 0.0;  // FRQ_INTV
  int64_t ctrBeg = 0;
  int64_t ctrPts = 0;
  int64_t ctrEnd = 0;
  double error = 0.0;  // FERROR
};

// Works out the centre. An interval without a step, a step from one interval to the
// next that is 0 or wider than the interval, or a centre without points has no
// sound geometry: refused with a message.
bool MakeGeometry(int64_t n, double stp, double jmp, const char* input, Geometry* g) {
  g->n = n;
  g->stp = stp;
  g->jmp = jmp;
  bool ok = n >= 1 && std::isfinite(stp) && std::isfinite(jmp) && stp != 0.0 && jmp != 0.0;
  if (ok) {
    g->intv = static_cast<double>(n) * std::fabs(stp);
    ok = std::isfinite(g->intv) && std::fabs(jmp) <= g->intv;
  }
  if (ok) {
    const double fBeg = std::fabs(static_cast<double>(n) * (g->intv - std::fabs(jmp)) / g->intv * 0.5);
    const double fEnd = std::fabs(static_cast<double>(n) * std::fabs(jmp) / g->intv + fBeg);
    g->ctrBeg = static_cast<int64_t>(std::trunc(fBeg + 0.5));
    g->ctrPts = static_cast<int64_t>(std::trunc(fEnd - fBeg + 0.5));
    g->ctrEnd = g->ctrBeg + g->ctrPts;
    ok = g->ctrPts >= 1 && g->ctrEnd <= n;
    if (ok) g->error = std::fabs(static_cast<double>(g->ctrPts) - (fEnd - fBeg)) / static_cast<double>(g->ctrPts) * jmp;
    if (Tracing()) {
      DebugPrintf("FCTR_BEG=%f \nFCTR_END=%f \nFCTR_PTS=%f \nFERROR=%f\n", fBeg, fEnd, fEnd - fBeg, g->error);
      DebugPrintf("CTR_BEG=%lld \nCTR_END=%lld \nCTR_PTS=%lld\n", static_cast<long long>(g->ctrBeg),
                  static_cast<long long>(g->ctrEnd), static_cast<long long>(g->ctrPts));
    }
  }
  if (!ok) {
    core_io::Warning(StrPrintf("FILE [%s] HAS NO VALID INTERVAL GEOMETRY\n\nPTS_INTV=[%lld] FRQ_STP=[%f] FRQ_JMP=[%f]\n\n"
                               "|FRQ_JMP| MUST BE ABOVE 0 AND NOT EXCEED PTS_INTV x |FRQ_STP|\n\nABORTING",
                               input, static_cast<long long>(n), stp, jmp));
  }
  return ok;
}

// The box of a file whose values give no axis (what gave none shown after the name);
// false.
bool NoAxis(const char* input, const std::string& values) {
  core_io::Warning(StrPrintf("FILE [%s] GIVES NO FREQUENCY AXIS\n\n%s\n\nABORTING", input, values.c_str()));
  return false;
}

void PartialIntervalWarning(int64_t n, int64_t read) {
  core_io::Warning(StrPrintf("NUMBER OF POINTS IN INTERVAL [%lld] != NUMBER READ [%lld]!\n\nABORTING",
                             static_cast<long long>(n), static_cast<long long>(read)));
}

// What a conversion hands to the common end: the frequency of output point 0, the
// frequency the axis ends at and the count of whole intervals. frqEnd is that of the
// point after the last (the header's steps give it) or, with lastPoint, that of the
// last output point itself (a record names it).
struct Scan {
  double frqBeg = 0.0;
  double frqEnd = 0.0;
  bool lastPoint = false;
  int64_t intervals = 0;
};

// ---- header files ---------------------------------------------------------------------------

bool ConvertHeaderFile(core_io::BinIn& in, const uint8_t* header, const char* input, core_io::BinOut& out,
                       Geometry* g, Scan* scan) {
  const int32_t ptsIntv = GetInt32LE(header, ftmw::PTS_INTV);
  const double initFrq = GetDoubleLE(header, ftmw::INIT_FRQ);
  const int64_t n = std::llabs(static_cast<int64_t>(ptsIntv));
  const double stp = GetDoubleLE(header, ftmw::FRQ_STP);
  const double jmp = GetDoubleLE(header, ftmw::FRQ_JMP);
  if (Tracing())
    DebugPrintf("PTS_INTV=%d\n INIT_FRQ=%f\n FRQ_STP=%f\n FRQ_JMP=%f\n HEADER_SZ=%lld\n", ptsIntv, initFrq, stp, jmp,
                static_cast<long long>(ftmw::HEADER_SIZE));
  if (!std::isfinite(initFrq)) return NoAxis(input, StrPrintf("INIT_FRQ=[%f]", initFrq));
  if (!MakeGeometry(n, stp, jmp, input, g)) return false;

  // One whole interval must be in the file before an interval buffer is made.
  const uint64_t size = in.SizeBytes();
  const uint64_t values = (size - ftmw::HEADER_SIZE) / 4;
  if (values < static_cast<uint64_t>(n)) {
    PartialIntervalWarning(n, static_cast<int64_t>(values));
    return false;
  }
  std::vector<float> itn;
  try {
    itn.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    core_io::Error("CnvB2BFile()/i_itn_pt - CORE ALLOCATION ERROR!");
    return false;
  }
  const bool forward = (stp > 0.0 && jmp > 0.0) || (stp < 0.0 && jmp < 0.0);
  const size_t bytes = static_cast<size_t>(n) * 4;
  if (!WriteZeros(out, forward ? g->ctrBeg : n - g->ctrEnd)) return false;
  in.Seek(ftmw::HEADER_SIZE);
  int64_t total = 0;
  for (;;) {
    const uint64_t left = size - in.Position();
    if (left == 0) break;
    const size_t got = left < bytes ? 0 : in.Read(itn.data(), static_cast<size_t>(n), 4);
    if (got < static_cast<size_t>(n)) {
      PartialIntervalWarning(n, static_cast<int64_t>(std::min<uint64_t>(left, bytes) / 4));
      break;
    }
    if (!forward) std::reverse(itn.begin() + g->ctrBeg, itn.begin() + g->ctrEnd);
    if (!WriteOut(out, itn.data() + g->ctrBeg, static_cast<size_t>(g->ctrPts) * 4)) return false;
    ++total;
    if (Tracing())
      DebugPrintf("%s - INTV_TOT=%lld RD_CT=%lld\n", forward ? "FORWARD" : "REVERSE", static_cast<long long>(total),
                  static_cast<long long>(got));
  }
  if (!WriteZeros(out, forward ? n - g->ctrEnd : g->ctrBeg)) return false;
  const double kept = static_cast<double>(n - g->ctrPts);
  scan->intervals = total;
  if (forward) {
    scan->frqBeg = initFrq;
    scan->frqEnd = kept * stp + static_cast<double>(total) * jmp + initFrq;
  } else {
    // Output point 0 stands for point n-1 of the first interval, whichever way the
    // points of an interval run.
    scan->frqBeg = initFrq + static_cast<double>(n - 1) * stp;
    scan->frqEnd = static_cast<double>(total) * jmp + scan->frqBeg - kept * stp;
  }
  return true;
}

// ---- record files ---------------------------------------------------------------------------

// Reads records sequentially in blocks, so that a long leading run costs few reads.
class RecordReader {
 public:
  explicit RecordReader(core_io::BinIn& in) : in_(in), count_(in.SizeBytes() / ftmw::RECORD_SIZE) {}
  uint64_t Count() const { return count_; }
  // Frequency of record k (k < Count()).
  double Frequency(uint64_t k) {
    if (k < first_ || k >= first_ + held_) {
      first_ = k;
      const uint64_t want = std::min<uint64_t>(kBlock, count_ - k);
      buffer_.resize(static_cast<size_t>(want) * ftmw::RECORD_SIZE);
      in_.Seek(k * ftmw::RECORD_SIZE);
      held_ = in_.Read(buffer_.data(), static_cast<size_t>(want), ftmw::RECORD_SIZE);
      if (held_ == 0) return std::nan("");
    }
    return GetDoubleLE(buffer_.data(), static_cast<size_t>(k - first_) * ftmw::RECORD_SIZE);
  }

 private:
  static constexpr uint64_t kBlock = 65536;
  core_io::BinIn& in_;
  uint64_t count_;
  uint64_t first_ = 0;
  uint64_t held_ = 0;
  std::vector<uint8_t> buffer_;
};

// The records of a block run one way (the step between records), the blocks one way
// (the step from block to block). They are written as the header file's intervals
// are: both rising, each block's kept records in file order; both falling, the same
// order, which the reversal of the whole output then turns round; against each other,
// each block's kept records in reverse order, so that the output runs one way
// throughout.
bool ConvertRecordFile(core_io::BinIn& in, const char* input, core_io::BinOut& out, Geometry* g, Scan* scan) {
  RecordReader records(in);
  if (records.Count() < 1) {
    core_io::Warning(StrPrintf("INPUT FILE [%s] HAS ZERO LENGTH!", input));
    return false;
  }
  const double f0 = records.Frequency(0);
  const double f1 = records.Count() > 1 ? records.Frequency(1) : f0;
  const double stp = f1 - f0;
  // The leading run of records, each one step on from the one before; the record that
  // ends it (or the last record) gives the step from one interval to the next. Each
  // step is compared with the first one up to the rounding of the recorded
  // frequencies, which grows with their size: a run of even steps from f0 is never
  // cut by it, a step that differs from the first by more is.
  uint64_t n = 0;
  double f = f0;
  if (std::isfinite(stp) && stp != 0.0) {
    const double tolerance = 1e-6 * std::fabs(stp);
    double before = f0;
    for (n = 1; n < records.Count(); ++n) {
      f = records.Frequency(n);
      if (!(std::fabs(f - before - stp) <= tolerance)) break;
      before = f;
    }
  }
  const double jmp = f - f0;
  if (Tracing()) DebugPrintf("RECORDS=%llu RUN=%llu FRQ_STP=%f FRQ_JMP=%f\n",
                             static_cast<unsigned long long>(records.Count()), static_cast<unsigned long long>(n), stp, jmp);
  if (n < 2) {
    core_io::Warning(StrPrintf("FILE [%s] HAS NO VALID INTERVAL GEOMETRY\n\nRECORDS=[%llu] RUN OF EVEN STEPS=[%llu]\n\n"
                               "ABORTING",
                               input, static_cast<unsigned long long>(records.Count()), static_cast<unsigned long long>(n)));
    return false;
  }
  if (!MakeGeometry(static_cast<int64_t>(n), stp, jmp, input, g)) return false;

  // n whole records lie in the file, so the block is bounded by its size.
  std::vector<uint8_t> block;
  std::vector<float> itn;
  try {
    block.resize(static_cast<size_t>(n) * ftmw::RECORD_SIZE);
    itn.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    core_io::Error("CnvB2BFile()/i_frq_pt/i_itn_pt - CORE ALLOCATION ERROR!");
    return false;
  }
  const bool forward = (stp > 0.0) == (jmp > 0.0);
  // The records that output point 0 and the last output point stand for: the first
  // and the last of a block in file order, or the other way round.
  const size_t firstRecord = forward ? 0 : static_cast<size_t>(n - 1);
  const size_t lastRecord = forward ? static_cast<size_t>(n - 1) : 0;
  if (!WriteZeros(out, forward ? g->ctrBeg : static_cast<int64_t>(n) - g->ctrEnd)) return false;
  const uint64_t size = in.SizeBytes();
  in.Seek(0);
  int64_t total = 0;
  for (;;) {
    const uint64_t left = size - in.Position();
    if (left == 0) break;
    const size_t got = left < block.size() ? 0 : in.Read(block.data(), static_cast<size_t>(n), ftmw::RECORD_SIZE);
    if (got < n) {
      PartialIntervalWarning(static_cast<int64_t>(n), static_cast<int64_t>(std::min<uint64_t>(left, block.size()) /
                                                                            ftmw::RECORD_SIZE));
      break;
    }
    for (int64_t k = g->ctrBeg; k < g->ctrEnd; ++k)
      itn[static_cast<size_t>(k)] = GetFloatLE(block.data(), static_cast<size_t>(k) * ftmw::RECORD_SIZE + 8);
    if (!forward) std::reverse(itn.begin() + g->ctrBeg, itn.begin() + g->ctrEnd);
    if (!WriteOut(out, itn.data() + g->ctrBeg, static_cast<size_t>(g->ctrPts) * 4)) return false;
    if (total == 0) scan->frqBeg = GetDoubleLE(block.data(), firstRecord * ftmw::RECORD_SIZE);
    scan->frqEnd = GetDoubleLE(block.data(), lastRecord * ftmw::RECORD_SIZE);
    ++total;
  }
  if (!WriteZeros(out, forward ? static_cast<int64_t>(n) - g->ctrEnd : g->ctrBeg)) return false;
  scan->lastPoint = true;
  scan->intervals = total;
  return true;
}

}  // namespace

bool IsLeCroyName(const char* name) {
  const size_t len = name ? std::strlen(name) : 0;
  if (len < 4) return false;
  const char* tail = name + len - 4;
  return std::strcmp(tail, ".TRC") == 0 || std::strcmp(tail, ".trc") == 0;
}

int32_t CnvB2BFile(char* variant, size_t variantCap, int16_t mode) {
  if (Tracing()) DebugPrintf("ENTER CnvB2BFile()\n");
  const char* input = Cnv.Ftmw_Flnm;
  core_io::BinIn in;
  if (!OpenInput(in, input)) return 0;

  // Probe: a whole header with "FTMW" at the start of version text 1.
  uint8_t header[ftmw::HEADER_SIZE] = {};
  const size_t got = in.Read(header, sizeof header, 1);
  const bool headerFile = got == sizeof header && Utf16Text(header + ftmw::VERSION1, 4) == "FTMW";
  if (headerFile) {
    core_io::StatusText(2, StrPrintf("TERNAU FTMW VERSION %s %s", Utf16Text(header + ftmw::VERSION1, 32).c_str(),
                                     Utf16Text(header + ftmw::VERSION2, 256).c_str()));
  } else {
    core_io::StatusText(2, "PELK FTMW VERSION");
  }
  if (variant && variantCap > 0) StrCopy(variant, variantCap, headerFile ? "TERNAU" : "PELK");
  if (mode != 2) return 1;
  if (Tracing()) DebugPrintf(headerFile ? "TERNAU FTWM CONVERSION\n" : "PELK FTWM CONVERSION\n");

  const char* output = Cnv.Ftmw_OutFlnm;
  core_io::BinOut out;
  if (!OpenOutput(out, "CONVERSION ABORTED!", Cnv.Ftmw_AscStat != 0 ? Cnv.Ftmw_AscFlnm : nullptr)) return 0;
  WaitCursor wait;
  Geometry g;
  Scan scan;
  const bool converted = headerFile ? ConvertHeaderFile(in, header, input, out, &g, &scan)
                                    : ConvertRecordFile(in, input, out, &g, &scan);
  in.Close();
  if (!converted) return 0;  // the temporary output goes with `out`
  if (scan.intervals < 1) {
    core_io::Warning(StrPrintf("FILE [%s] HOLDS NO WHOLE INTERVAL\n\nNOTHING CONVERTED", input));
    return 0;
  }

  // The axis: the kept points run from the first interval's centre on.
  const double points = static_cast<double>(scan.intervals * g.ctrPts + g.n - g.ctrPts);
  const double steps = scan.lastPoint ? points - 1.0 : points;
  const double fsr = (scan.frqEnd - scan.frqBeg) / steps * 100.0;
  if (Tracing())
    DebugPrintf("INTV_PTS=%lld \nINTV_TOT=%lld\nFRQ_INTV=%f \nFRQ_JMP=%f \nFRQ_BEG=%f \nFRQ_END=%f \nFSR=%f\n",
                static_cast<long long>(g.n), static_cast<long long>(scan.intervals), g.intv, g.jmp, scan.frqBeg,
                scan.frqEnd, fsr);
  if (!std::isfinite(fsr) || fsr == 0.0 || !std::isfinite(scan.frqBeg)) {
    NoAxis(input, StrPrintf("FRQ_BEG=[%f] FRQ_END=[%f]", scan.frqBeg, scan.frqEnd));
    return 0;
  }
  if (!out.CloseKeep()) {
    WriteFailed(output);
    return 0;
  }
  const Axis saved = AxisNow();
  AxisSet({scan.frqBeg, fsr, 100, fsr / 100.0});
  if (fsr < 0.0) {
    // Reversed in place while still under its temporary name; the engine turns the
    // axis round with it.
    char name[OSI_NAME_SIZE] = "";
    char same[OSI_NAME_SIZE] = "";
    const bool fits = StrCopy(name, out.TempPath().c_str()) && StrCopy(same, out.TempPath().c_str());
    if (!fits || OSIFile(0, -1, OSI_REVERSE, name, same, 1, 0, 0) != 1) {
      AxisSet(saved);
      core_io::Warning("CnvB2BFile()\n\nFILE REVERSAL ERROR!\n\nABORTING");
      return 0;
    }
  }
  if (!out.Commit()) {
    AxisSet(saved);
    WriteFailed(output);
    return 0;
  }
  if (headerFile) {
    const std::string info = Utf16Text(header + ftmw::INFO1, 256) + " - " + Utf16Text(header + ftmw::INFO2, 32);
    // Each text the working file can hold is taken; the box names any other, which is kept.
    const std::string date = Utf16Text(header + ftmw::DATE, 32);
    const std::string time = Utf16Text(header + ftmw::TIME, 32);
    if (WorkTextAccepted("COMMENT", info, WorkField::Comment, Dsp.Work_Comment)) StrCopy(Dsp.Work_Comment, info.c_str());
    if (WorkTextAccepted("DATE", date, WorkField::DateTime, Dsp.Work_Date)) StrCopy(Dsp.Work_Date, date.c_str());
    if (WorkTextAccepted("TIME", time, WorkField::DateTime, Dsp.Work_Time)) StrCopy(Dsp.Work_Time, time.c_str());
  }
  core_io::StatusText(3, StrPrintf("MAX ERROR IN INTV [%f]=[%f]", g.jmp, g.error));
  if (Tracing()) DebugPrintf("EXIT CnvB2BFile()\n");
  return 1;
}

namespace {

// Offsets from the start of the LeCroy descriptor block.
namespace wavedesc {
constexpr size_t COMM_TYPE = 32;
constexpr size_t WAVE_DESCRIPTOR = 36;
constexpr size_t USER_TEXT = 40;
constexpr size_t TRIGTIME_ARRAY = 48;
constexpr size_t WAVE_ARRAY_1 = 60;
constexpr size_t INSTRUMENT_NAME = 76;
constexpr size_t WAVE_ARRAY_COUNT = 116;
constexpr size_t SUBARRAY_COUNT = 144;
constexpr size_t VERTICAL_GAIN = 156;
constexpr size_t VERTICAL_OFFSET = 160;
constexpr size_t HORIZ_INTERVAL = 176;
constexpr size_t HORIZ_OFFSET = 180;
constexpr size_t FIELDS_END = 188;  // the fields read lie before this offset
}  // namespace wavedesc

constexpr size_t kProbeBytes = 50;

// The conversion up to the written samples; false after its message.
bool LeCroySamples(core_io::BinIn& in, const char* input, core_io::BinOut& out, Axis* axis) {
  const auto notLeCroy = [&] {
    core_io::Warning(StrPrintf("FILE [%s] IS NOT A LECROY WAVEFORM FILE", input));
    return false;
  };
  uint8_t probe[kProbeBytes] = {};
  if (in.Read(probe, kProbeBytes, 1) < kProbeBytes) return notLeCroy();
  const uint8_t* hit = std::search(probe, probe + kProbeBytes, "WAVEDESC", "WAVEDESC" + 8);
  if (hit == probe + kProbeBytes) return notLeCroy();
  const uint64_t base = static_cast<uint64_t>(hit - probe);
  const uint64_t size = in.SizeBytes();
  // The descriptor's fields must lie in the file.
  if (base + wavedesc::FIELDS_END > size) return notLeCroy();
  uint8_t d[wavedesc::FIELDS_END] = {};
  in.Seek(base);
  if (in.Read(d, sizeof d, 1) < sizeof d) return notLeCroy();

  const int16_t commType = GetInt16LE(d, wavedesc::COMM_TYPE);
  const int32_t descLen = GetInt32LE(d, wavedesc::WAVE_DESCRIPTOR);
  const int32_t userLen = GetInt32LE(d, wavedesc::USER_TEXT);
  const int32_t trigLen = GetInt32LE(d, wavedesc::TRIGTIME_ARRAY);
  const int32_t array1 = GetInt32LE(d, wavedesc::WAVE_ARRAY_1);
  const int32_t count = GetInt32LE(d, wavedesc::WAVE_ARRAY_COUNT);
  const int32_t segments = GetInt32LE(d, wavedesc::SUBARRAY_COUNT);
  const float gain = GetFloatLE(d, wavedesc::VERTICAL_GAIN);
  const float offset = GetFloatLE(d, wavedesc::VERTICAL_OFFSET);
  const float interval = GetFloatLE(d, wavedesc::HORIZ_INTERVAL);
  const double horizOffset = GetDoubleLE(d, wavedesc::HORIZ_OFFSET);
  char instrument[17] = {};
  std::memcpy(instrument, d + wavedesc::INSTRUMENT_NAME, 16);
  const std::string name = platform::Cp1252ToUtf8(instrument);

  core_io::Warning(StrPrintf("LECROY INSTRUMENT NAME = [%s]\nNUMBER OF SEGMENTS=[%d]  WAVEDESCRIPTOR=[%d]\nARRAY SIZE=[%d]  "
                             "ARRAY CT=[%d]\nHORZ INTV=[%e]  HORZ OFFSET=[%e]\nVERT GAIN=[%e]  VERT OFFSET=[%e]",
                             name.c_str(), segments, descLen, array1, count, static_cast<double>(interval), horizOffset,
                             static_cast<double>(gain), static_cast<double>(offset)));
  if (segments >= 2) {
    core_io::Warning("WAVEFORM IS SEQUENCE & NOT AVAILABLE YET");
    return false;
  }
  if (commType == 0) {
    core_io::Warning("WAVEFORM RECORD IS BYTE & NOT AVAILABLE YET");
    return false;
  }
  // A time axis of its own: a finite start and a finite step other than 0.
  if (!std::isfinite(horizOffset) || !std::isfinite(interval) || interval == 0.0f)
    return NoAxis(input, StrPrintf("HORZ INTV=[%e]  HORZ OFFSET=[%e]", static_cast<double>(interval), horizOffset));
  // The sample array must lie in the file before anything is allocated.
  if (descLen < 0 || userLen < 0 || trigLen < 0 || count < 1) return notLeCroy();
  const uint64_t start = base + static_cast<uint64_t>(descLen) + static_cast<uint64_t>(userLen) +
                         static_cast<uint64_t>(trigLen);
  if (start > size || (size - start) / 2 < static_cast<uint64_t>(count)) return notLeCroy();

  std::vector<int16_t> samples;
  try {
    samples.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    core_io::Error("CnvB2BFile()/s_itn_pt - CORE ALLOCATION ERROR!");
    return false;
  }
  std::vector<float> values;
  try {
    values.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    core_io::Error("CnvB2BFile()/f_itn_pt - CORE ALLOCATION ERROR!");
    return false;
  }
  in.Seek(start);
  if (in.Read(samples.data(), samples.size(), 2) < samples.size()) return notLeCroy();
  for (size_t i = 0; i < samples.size(); ++i) {
    const int16_t s = LoadLE<int16_t>(&samples[i]);
    values[i] = static_cast<float>(s) * gain - offset;
  }
  if (!WriteOut(out, values.data(), values.size() * sizeof(float))) return false;
  *axis = {horizOffset, static_cast<double>(interval), 1, static_cast<double>(interval)};
  return true;
}

}  // namespace

int32_t CnvLeCroy2Bin() {
  if (Tracing()) DebugPrintf("ENTER CnvB2BFile()\n");
  const char* input = Cnv.Ftmw_Flnm;
  const char* output = Cnv.Ftmw_OutFlnm;
  core_io::BinIn in;
  core_io::BinOut out;
  if (!OpenInput(in, input) || !OpenOutput(out, "LECROY WAVEFORM CONVERSTION\n\nABORTED", nullptr)) return 0;
  WaitCursor wait;
  Axis axis;
  if (!LeCroySamples(in, input, out, &axis)) return 0;
  if (!out.Commit()) {
    WriteFailed(output);
    return 0;
  }
  AxisSet(axis);
  if (Tracing()) DebugPrintf("EXIT CnvB2BFile()\n");
  return 1;
}
