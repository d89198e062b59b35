// Text output and blank file of the file operation engine: a channel's data (or its
// displayed view) as a text table of frequency and value, optionally with one column
// per attached simulation set; and an all-zero data file over a frequency range.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <list>
#include <mutex>
#include <string>
#include <vector>

#include "core/FileIo.h"
#include "core/FrqAxis.h"
#include "core/WorkText.h"
#include "fileproc/FileOps.h"
#include "fileproc/Hooks.h"
#include "fileproc/OsiFrame.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Locks.h"
#include "records/Sim.h"
#include "records/Win.h"

namespace {

// Text lines collected and written in large pieces (CR LF line ends, ASCII only).
class TextSink {
 public:
  explicit TextSink(OsiFrame& f) : f_(f) {}
  void Add(const std::string& line) { text_ += line; }
  bool Flush(bool force) {
    if (text_.empty() || (!force && text_.size() < (1u << 16))) return true;
    const bool ok = f_.Write(text_.data(), text_.size());
    text_.clear();
    return ok;
  }

 private:
  OsiFrame& f_;
  std::string text_;
};

// One attached simulation set: its temporary spectrum file and a block of values.
struct SimColumn {
  int16_t set = 0;
  std::string name;
  core_io::BinIn in;
  std::vector<float> block;
  double sum = 0.0;
};

OsiEnd ViewTable(OsiFrame& f, double factor, double offset) {
  const int16_t level = Win.View_Level;
  double a = static_cast<double>(f.lo) * Dsp.Frq_Stp;
  double b = static_cast<double>(f.hi) * Dsp.Frq_Stp;
  if (a > b) std::swap(a, b);
  TextSink sink(f);
  bool none = false;
  {
    std::lock_guard<std::mutex> lock(ViewAryLock);
    const float* view = Dsp.Fl_Pt[level][f.chn];
    const uint32_t size = view ? Dsp.Fl_Pt_Len[level][f.chn] : 0;
    none = size == 0;
    for (uint32_t i = 0; i < size; ++i) {
      const double x = static_cast<double>(i) * Dsp.FrqStpView[level];
      if (a <= x && x <= b) sink.Add(StrPrintf("%-12.8f %.12f\r\n", Dsp.Init_Frq + x, (view[i] + offset) * factor));
    }
  }
  // A view not built (yet) has nothing to write: no empty table takes the output's place.
  if (none) {
    core_io::Warning(StrPrintf("OSIFile()\n\nB2A\n\nCHN [%d] [%s] HAS NO VIEW %s TO WRITE\n\nABORTING", f.chn,
                               Dsp.Chn_Flnm[f.chn], Win.View_Lbl[level]));
    return OsiEnd::Failed;
  }
  return sink.Flush(true) ? OsiEnd::Done : OsiEnd::Failed;
}

}  // namespace

OsiEnd OsiAsciiOutput(OsiFrame& f) {
  const bool channel = f.chn >= 0 && f.chn < DSP_CHN;
  // Without a channel only the plain table (variant 1) can be written.
  if (!channel && f.variant != 1) return OsiEnd::Declined;

  // 1. Scale.
  double factor = 1.0;
  double offset = 0.0;
  if (f.variant != 1 &&
      core_io::AskYesNo(
          "BINARY TO ASCII CONVERSION\n\nAPPLY DISPLAY SCALAR & OFFSET [YES] OR\nUSE ORIGINAL DATA [NO]?")) {
    factor = Dsp.Chn_Scalar[f.chn];
    offset = Dsp.Chn_Offset[f.chn];
  }

  // 2. The displayed view instead of the raw file.
  if (f.variant != 1 && platform::SameFile(f.inName, Dsp.Chn_Flnm[f.chn]) && Dsp.Chn_DspStat[f.chn] == 1 &&
      Win.View_Level >= 0 && Win.View_Level < 3 &&
      core_io::AskYesNo("WRITE DATA FROM\n\nCURRENTLY DISPLAYED (AVERAGED) VIEW [YES] OR\nRAW DATA [NO]?\n\nSIM DATA "
                        "ONLY AVAILABLE FOR RAW DATA\n\n"))
    return ViewTable(f, factor, offset);

  // 3. Attached simulation sets, each written to a temporary spectrum file.
  std::list<SimColumn> sims;
  struct Cleanup {
    std::list<SimColumn>& sims;
    ~Cleanup() {
      for (SimColumn& c : sims) {
        c.in.Close();
        DeleteFile(c.name.c_str());
      }
    }
  } cleanup{sims};
  bool attached = false;
  for (int16_t s = 0; s < SIM_SETS && channel; ++s)
    attached = attached || (Sim.Dsp_Stat[s] == 1 && (Sim.Dsp_Cnl[s] == f.chn || Sim.Dsp_Cnl[s] == 9));
  if (attached && f.variant == 0 &&
      core_io::AskYesNo("SAVE SIMULATION DATA WITH\n\nEXPT DATA IN MULTI-COLUMN OUTPUT [YES] OR\nSKIP SIMULATION DATA "
                        "[NO]?")) {
    for (int16_t s = 0; s < SIM_SETS; ++s) {
      if (Sim.Dsp_Stat[s] != 1 || (Sim.Dsp_Cnl[s] != f.chn && Sim.Dsp_Cnl[s] != 9)) continue;
      SimColumn& c = sims.emplace_back();
      c.set = s;
      c.name = StrPrintf("_simtmp%d.tmp", s);
      // A write that fails leaves any older file of the name as it was: none is left for
      // it to leave, so that a set not written is never read from an earlier run's file.
      DeleteFile(c.name.c_str());
      // Over the channel written, so that the column is as long as its table; the
      // length is checked block by block below.
      FileprocSimColumnWrite(c.name.c_str(), s, 1, static_cast<int16_t>(f.chn));
      if (!c.in.Open(c.name.c_str())) {
        core_io::Error(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", c.name.c_str()));
        sims.pop_back();
        DeleteFile(StrPrintf("_simtmp%d.tmp", s).c_str());
        break;
      }
      try {
        c.block.resize(OSI_BLOCK);
      } catch (const std::bad_alloc&) {
        core_io::Error("OSIFile()\n\nB2A\n\nsim_fpt - CORE ALLOCATION ERROR");
        c.in.Close();
        DeleteFile(c.name.c_str());
        sims.pop_back();
        break;
      }
    }
  }

  // 4. Stream the input; one line per N used points.
  const int64_t N = Cnv.Pts_Ave[f.slot];
  const double step = Dsp.Frq_Stp;
  TextSink sink(f);
  double frqSum = 0.0;
  double valSum = 0.0;
  int64_t count = 0;
  int64_t q = 0;
  if (!f.Seek(0)) return OsiEnd::Failed;
  for (;;) {
    const int64_t k = f.ReadBlock(f.blkF, sizeof(float));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) break;
    bool short_ = false;
    for (SimColumn& c : sims) {
      const size_t got = short_ ? 0 : c.in.Read(c.block.data(), static_cast<size_t>(k), sizeof(float));
      if (!short_ && got != static_cast<size_t>(k)) {
        core_io::Warning(StrPrintf("SIM FILE [%s] WRONG SIZE\n\nABORTING", c.name.c_str()));
        short_ = true;
      }
      // Values a set file does not hold count as 0.
      std::fill(c.block.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(got, static_cast<size_t>(k))),
                c.block.begin() + k, 0.0f);
    }
    for (int64_t i = 0; i < k; ++i, ++q) {
      if (f.hi != 0 && (q < f.lo || q >= f.hi)) continue;
      frqSum += static_cast<double>(q) * step;
      valSum += f.blkF[i];
      for (SimColumn& c : sims) c.sum += c.block[static_cast<size_t>(i)];
      if (++count != N) continue;
      const double n = static_cast<double>(N);
      sink.Add(StrPrintf("%-16.8f %-16.12f ", Dsp.Init_Frq + frqSum / n, (valSum / n + offset) * factor));
      for (SimColumn& c : sims) {
        sink.Add(StrPrintf("%-16.12f ", (c.sum / n + offset) * factor));
        c.sum = 0.0;
      }
      sink.Add("\r\n");
      frqSum = valSum = 0.0;
      count = 0;
    }
    if (!sink.Flush(false)) return OsiEnd::Failed;
  }
  return sink.Flush(true) ? OsiEnd::Done : OsiEnd::Failed;
}

OsiEnd OsiBlankFile(OsiFrame& f) {
  if (f.chn < 0) return OsiEnd::Declined;
  if (f.chn > 8) {
    core_io::Warning(StrPrintf("OSIFile()\n\nBLANK SPACE FILE OPERATION\n\nCHANNEL=[%d] NOT VALID\n\nABORTING", f.chn));
    return OsiEnd::Failed;
  }
  // The new file becomes the channel's: a name the working file cannot hold is refused first.
  if (!ChannelNameAccepted(f.chn, f.outName)) return OsiEnd::Failed;
  const double start = Cnv.Asc_OutFrqLo;
  const double end = Cnv.Asc_OutFrqHi;
  const double res = Cnv.Asc_OutRes;
  const double points = std::trunc(std::fabs((end - start) / res) + 1.5);
  // A range under half a resolution would give a single point and no step.
  if (end == start || (res != 0.0 && points < 2.0)) {
    core_io::Warning("OSIFile()\n\nBLANK SPACE FILE OPERATION\n\nOUTPUT FRQ RANGE ZERO\n\nABORTING");
    return OsiEnd::Failed;
  }
  if (res == 0.0) {
    core_io::Warning("OSIFile()\n\nBLANK SPACE FILE OPERATION\n\nOUTPUT FRQ RESOLUTION ZERO\n\nABORTING");
    return OsiEnd::Failed;
  }
  if (!(points <= static_cast<double>(INT32_MAX))) {
    core_io::Warning(StrPrintf("OSIFile()\n\nBLANK SPACE FILE OPERATION\n\nPOINTS=[%.0f] EXCEED [%d]\n\nABORTING",
                               points, INT32_MAX));
    return OsiEnd::Failed;
  }
  const int64_t m = static_cast<int64_t>(points);
  const int32_t ppf = Dsp.Pts_FSR == 0 ? 1 : Dsp.Pts_FSR;
  const double fsr = (end - start) / static_cast<double>(m - 1) * ppf;
  if (std::trunc(fsr * 1e10 + 0.5) != std::trunc(Dsp.FSR * 1e10 + 0.5) &&
      !core_io::AskYesNo(StrPrintf("BLANK SPACE FILE OPERATION\n\nNEW FRQ STP=[%.10e]\nCURRENT FRQ STP=[%.10e]\nARE NOT "
                                   "THE SAME\n\nCONTINUE [YES] | ABORT [NO]?",
                                   fsr / ppf, Dsp.FSR / ppf)))
    return OsiEnd::Declined;
  if (OsiWriteZeros(f, m) != OsiEnd::Done) return OsiEnd::Failed;
  // The axis and the channel follow the new file.
  Dsp.Init_Frq = start;
  Dsp.Pts_FSR = ppf;
  Dsp.FSR = fsr;
  DspFrqStpSet(fsr / ppf);
  Win.Active_Chn = static_cast<int16_t>(f.chn);
  StrCopy(Dsp.Chn_Flnm[f.chn], f.outName);
  Dsp.Chn_DspStat[f.chn] = 1;
  return OsiEnd::Done;
}
