// The engine's smoothing, noise and statistics operations: FFT smoothing in
// overlapping blocks, glitch removal, added noise, the Allan variance with its text
// files, the pulse-height analysis and the saturation fit and correction.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/BinFile.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fileproc/FileOps.h"
#include "fileproc/Fourier.h"
#include "fileproc/NoiseStats.h"
#include "fileproc/OsiFrame.h"
#include "fileproc/xcorr/Resample.h"
#include "numerics/Smooth.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Debug.h"

namespace {

struct Floats {
  float* p = nullptr;
  ~Floats() { FFree1Dim(&p); }
};
struct Doubles {
  double* p = nullptr;
  ~Doubles() { DFree1Dim(&p); }
};

void DebugLine(const char* text) {
  if (Debug.DebugLevel == DEBUG_TOPIC_FILEOPS) DebugPrintf("%s", text);
}

// The transform spreads a value that is missing over its whole block. A block whose
// smoothed values are written (inside [lo, hi)) must hold none: the first is named.
// A block writes its values from lead on, up to its overlap tail, and the tail too
// when the file ends with it.
bool BlockValued(const OsiFrame& f, const float* a, int64_t pos, int64_t lead, int64_t m, int64_t h) {
  const int64_t end = pos + m >= f.n ? m : m - h;
  if (pos + lead >= f.hi || pos + end <= f.lo) return true;
  const float* bad = std::find_if(a, a + m, [](float v) { return ViewValueMissing(v); });
  if (bad == a + m) return true;
  core_io::Warning(StrPrintf("OSIFile()\n\nFFT FILE OPERATION\n\nINPUT FILE [%s]\n\nPOINT [%lld] HAS NO VALUE "
                             "[%s]\n\nABORTING",
                             f.inName, static_cast<long long>(pos + (bad - a)), MissingValueText(*bad).c_str()));
  return false;
}

}  // namespace

OsiEnd OsiSmooth(OsiFrame& f) {
  const float window = Cnv.FFT_SmoothWin;
  const int64_t w = window >= 1.0f ? static_cast<int64_t>(window) : 0;
  const int64_t h = static_cast<int64_t>(window * 0.5f) > 0 ? static_cast<int64_t>(window * 0.5f) : 0;
  // A block must reach beyond the overlap of 2H values, or the next block would start
  // where this one did.
  const int64_t size = std::max<int64_t>({OSI_BLOCK, w, 4 * h});
  if (size > 0x3FFFFFFF) {
    core_io::Error("OSIFile()\n\nFFT FILE OPERATION\n\nf1_pt/f2_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  const uint32_t b = static_cast<uint32_t>(size);
  Floats a;
  Floats keep;
  if (QvAllocFailed(FAlloc1Dim(&a.p, b)) || QvAllocFailed(FAlloc1Dim(&keep.p, b))) {
    core_io::Error("OSIFile()\n\nFFT FILE OPERATION\n\nf1_pt/f2_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  int64_t lead = 0;
  int64_t pos = 0;  // point index of a[0]
  for (;;) {
    if (!f.Seek(pos * 4)) return OsiEnd::Failed;
    const int64_t m = f.ReadCount(a.p, b, sizeof(float));
    if (m < 0) return OsiEnd::Failed;
    if (m <= lead + h) {
      if (pos == 0) {
        // Fewer values than the overlap half-width (an empty file too): nothing to
        // smooth between neighbours, so the output is the input.
        return f.Write(a.p, static_cast<size_t>(m) * sizeof(float)) ? OsiEnd::Done : OsiEnd::Failed;
      }
      // Only the overlap already written is left: the last block's tail completes it.
      return f.Write(keep.p, static_cast<size_t>(h) * sizeof(float)) ? OsiEnd::Done : OsiEnd::Failed;
    }
    if (!BlockValued(f, a.p, pos, lead, m, h)) return OsiEnd::Failed;
    std::memcpy(keep.p, a.p, static_cast<size_t>(m) * sizeof(float));
    if (FSmooth(a.p, window, static_cast<int32_t>(m)) != 1) return OsiEnd::Failed;
    for (int64_t i = 0; i < m; ++i)
      if (pos + i < f.lo || pos + i >= f.hi) a.p[i] = keep.p[i];
    if (!f.Write(a.p + lead, static_cast<size_t>(m - lead - h) * sizeof(float))) return OsiEnd::Failed;
    // The tail of this block, written when no further block follows.
    std::memcpy(keep.p, a.p + (m - h), static_cast<size_t>(h) * sizeof(float));
    if (m < b) return f.Write(keep.p, static_cast<size_t>(h) * sizeof(float)) ? OsiEnd::Done : OsiEnd::Failed;
    lead = h;
    pos += m - 2 * h;
  }
}

OsiEnd OsiDeglitch(OsiFrame& f) {
  if (Cnv.FFT_SmoothWin != 4.0f &&
      core_io::AskYesNo(StrPrintf("REMOVAL OF SINGLE PIXEL GLITCHS WORKS BEST WITH FFT WINDOW OF 4.0!\n\nUSE [4.0] "
                                  "[YES] | CURRENT [%.2f] [NO]?",
                                  static_cast<double>(Cnv.FFT_SmoothWin))))
    Cnv.FFT_SmoothWin = 4.0f;
  // A glitch search or copy that fails (after its own box) leaves a partial output.
  return FFTDeglitchFile(f.slot, f.in, f.out, f.inName) == 1 ? OsiEnd::Done : OsiEnd::Failed;
}

OsiEnd OsiRandomNoise(OsiFrame& f) {
  DebugLine("NOISE FILE OPT\n");
  Floats values;
  uint32_t n = 0;
  if (ManBinFileRead(f.inName, nullptr, &values.p, nullptr, BIN_ELEM_FLOAT, 0, 0, &n, 1) != 1) {
    core_io::Error("OSIFile()\n\nNOISE FILE OPERATION\n\nf1_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  Cnv.Elem_Cnt[f.slot] = static_cast<int32_t>(n);
  if (ManAddRandomNoise(values.p, nullptr, n, Cnv.Pts_Ave[f.slot], 1) != 1) return OsiEnd::Failed;
  return f.Write(values.p, static_cast<size_t>(n) * sizeof(float)) ? OsiEnd::Done : OsiEnd::Failed;
}

OsiEnd OsiAllanVar(OsiFrame& f) {
  DebugLine("ALLAN VAR/DEV FILE OPT\n");
  // The text files take the output name with "LIN.txt" (the current marker file
  // afterwards) and "LOG.txt": both must fit before anything is written.
  if (!core_io::NameFits(std::string(f.outName) + "LIN.txt", sizeof Cnl.Mks_Flnm)) return OsiEnd::Failed;
  const bool deviation = core_io::AskYesNo("ALLAN DEVIATION [YES] | VARIANCE [NO]?");
  Floats values;
  uint32_t n = 0;
  if (ManBinFileRead(f.inName, nullptr, &values.p, nullptr, BIN_ELEM_FLOAT, static_cast<uint32_t>(f.lo),
                     static_cast<uint32_t>(f.hi), &n, 1) != 1) {
    core_io::Error("OSIFile()\n\nALLAN VAR/DEV FILE OPERATION\n\nf1_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  Cnv.Elem_Cnt[f.slot] = static_cast<int32_t>(n);
  const uint32_t half = n / 2;
  if (half == 0) return OsiEnd::NothingMade;  // one point has no Allan value
  if (AllanVarDev(values.p, nullptr, nullptr, nullptr, n, deviation ? 1 : 0, 1) != 1) return OsiEnd::Failed;
  if (!f.Write(values.p, static_cast<size_t>(half) * sizeof(float))) return OsiEnd::Failed;

  const char* kind = deviation ? "DEVIATION" : "VARIANCE";
  if (!core_io::AskYesNo(StrPrintf("ALLAN [%s]\n\nSAVE LINEAR/LINEAR & LOG/LOG DATA TO XY TXT FILES?", kind)))
    return OsiEnd::Done;
  int32_t invalid = 0;
  for (uint32_t i = 0; i < half; ++i)
    if (!(values.p[i] > 0.0f)) {
      values.p[i] = 1.0f;
      ++invalid;
    }
  if (invalid > 0)
    core_io::Warning(
        StrPrintf("ALLAN VAR/DEV()\n\nINVALID LOG ARGUMENTS=[%d] FOR LOG/LOG SCALE CONVERTED TO [1.0]", invalid));

  const std::string linName = std::string(f.outName) + "LIN.txt";
  {
    platform::TextFileWriter lin;
    bool ok = lin.Open(linName.c_str());
    for (uint32_t i = 0; ok && i < half; ++i)
      ok = lin.Printf("%le %le\n", static_cast<double>(i + 1), static_cast<double>(values.p[i]));
    if (!ok || !lin.Commit()) {
      core_io::Warning(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO CREATE ASCII FILE=[%s] FOR WRITING\n\nABORTING",
                                 f.id, linName.c_str()));
      return OsiEnd::Done;
    }
  }
  StrCopy(Cnl.Mks_Flnm, linName.c_str());

  // The log/log file spreads log10(tau) over 0 .. N/2, which needs log10(N/2) > 0.
  if (half < 2) {
    core_io::Warning(StrPrintf("ALLAN VAR/DEV()\n\nTOO FEW POINTS=[%u] FOR LOG/LOG SCALE\n\nLOG/LOG FILE NOT WRITTEN", n));
    return OsiEnd::Done;
  }
  Doubles x;
  Doubles y;
  Doubles even;
  if (QvAllocFailed(DAlloc1Dim(&x.p, half)) || QvAllocFailed(DAlloc1Dim(&y.p, half)) ||
      QvAllocFailed(DAlloc1Dim(&even.p, half))) {
    core_io::Error("OSIFile()\n\nALLAN VAR/DEV FILE OPERATION\n\nd1_pt/d2_pt/d3_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  const double scale = static_cast<double>(half) / std::log10(static_cast<double>(half));
  for (uint32_t i = 0; i < half; ++i) {
    x.p[i] = std::log10(static_cast<double>(i + 1)) * scale;
    y.p[i] = std::log10(static_cast<double>(values.p[i]));
  }
  const std::string logName = std::string(f.outName) + "LOG.txt";
  platform::TextFileWriter log;
  if (!log.Open(logName.c_str())) {
    core_io::Warning(StrPrintf("OSIFile()\n\nFAILED TO CREATE ASCII FILE=[%s] FOR WRITING\n\nABORTING", logName.c_str()));
    return OsiEnd::Failed;
  }
  if (InterpolateFileAry(half, x.p, y.p, even.p, 0) != 1) {
    core_io::Error("OSIFile()\n\nALLAN VAR/DEV FILE OPERATION\n\nINTERPOLATION FAILED");
    return OsiEnd::Failed;
  }
  bool ok = true;
  for (uint32_t i = 0; ok && i < half; ++i) ok = log.Printf("%le %le\n", static_cast<double>(i), even.p[i]);
  if (!ok || !log.Commit()) {
    core_io::Warning(StrPrintf("OSIFile()\n\nFAILED TO CREATE ASCII FILE=[%s] FOR WRITING\n\nABORTING", logName.c_str()));
    return OsiEnd::Failed;
  }
  return OsiEnd::Done;
}

OsiEnd OsiPmtDisc(OsiFrame& f) {
  return PMTDiscLvl(f.in, f.inName, f.outName, f.report) == 1 ? OsiEnd::Done : OsiEnd::Failed;
}

OsiEnd OsiSatnFit(OsiFrame& f) { return SatnNLLsfRun(f.report) == 1 ? OsiEnd::Done : OsiEnd::Failed; }

OsiEnd OsiSatnCorr(OsiFrame& f) {
  return SatnCorrFile(f.inName, f.outName, f.in, f.out) == 1 ? OsiEnd::Done : OsiEnd::Failed;
}
