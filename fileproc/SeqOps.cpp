// The sequence operations of the engine: a sequence file is a run of equally long
// records of Cnv.Seq_Sz values; 2001 keeps a range of them, 2002 windows each, 2003
// and 2004 transform a window of each into spectra.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "core/FrqAxis.h"
#include "fileproc/FileOps.h"
#include "fileproc/Fourier.h"
#include "fileproc/OsiFrame.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Dsp.h"

namespace {

using FloatBuffer = OsiArray<float>;

long L(int64_t v) { return static_cast<long>(v); }

// The premature-end warning of the transform loops.
std::string TransformEof(const OsiFrame& f, int64_t done, int64_t read, int32_t seqSize) {
  return StrPrintf(
      "SEQUENCE FFT FILE OPERATION\n\nFFT SEQ WINDOW - SEQ TOTAL=[%ld]\n\nPREMATURE EOF IN [%s]\n\nEXPECTED=[%ld] != "
      "READ=[%ld]\n\nCONTINUING",
      L(done), f.inName, L(seqSize), L(read));
}

// After a transform run: the spacing of the h spectral values at the digitiser rate
// becomes the working file's frequency axis, silently with report 1, else on Yes.
void FrequencyCalibration(const OsiFrame& f, int32_t h, int64_t sequences, bool ok) {
  const double rate = Cnv.Rate_GHz;
  const double bandwidth = rate * 1e9 * 0.5 * 1e-6;
  const double resolution = h > 0 ? rate * 1e9 / (2.0 * h) * 1e-6 : 0.0;
  const std::string text = StrPrintf(
      "FFT OUTPUT SZ (-1)=[%ld] SEQ TOTAL=[%ld]\n\nSAMPLING RATE=[%.3le] GS/SEC : DIG RES=[%.3le] MHz : BANDWIDTH "
      "SAVED=[%.3le] MHz\n\nDEFINE CALIB FACTORS FOR FRQ DOMAIN [YES] | [NO]?",
      L(h), L(sequences), rate, resolution, bandwidth);
  // Without spectral values there is no spacing to set.
  if (!ok || h <= 0) return;
  if (f.report != 1 && !core_io::AskYesNo(text)) return;
  Dsp.Pts_FSR = 1;
  Dsp.FSR = resolution;
  DspFrqStpSet(Dsp.FSR / 1.0);
}

// Whether an extra result file can take its name: an existing regular file is replaced
// only at the end of a successful run, a new name is created (empty) at once, and a
// name held by anything else (a folder) can never take a file.
bool ExtraCreatable(const std::string& name) {
  const std::string path = platform::MapPath(name.c_str());
  struct stat info;
  if (::stat(path.c_str(), &info) == 0) return S_ISREG(info.st_mode);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace

OsiEnd OsiChopSeq(OsiFrame& f) {
  const int32_t s = Cnv.Seq_Sz[f.slot];
  if (s < 1) {
    core_io::Warning(StrPrintf("CHOP SEQUENCE FILE OPERATION\n\nSEQ SIZE=[%ld] < 1\n\nABORTING", L(s)));
    return OsiEnd::Failed;
  }
  FloatBuffer seq;
  if (!seq.Make(s)) {
    core_io::Error("OSIFile()\n\nCHOP SEQUENCE FILE OPERATION\n\nf1_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  if (!f.Seek(0)) return OsiEnd::Failed;
  const int32_t beg = Cnv.Seq_Beg[f.slot];
  const int32_t end = Cnv.Seq_End[f.slot];
  int64_t kept = 0;
  for (int64_t k = 0;; ++k) {
    const int64_t got = f.ReadCount(seq.p, static_cast<size_t>(s), sizeof(float));
    if (got < 0) return OsiEnd::Failed;
    if (got == 0) break;
    if (beg <= k && k < end) {
      if (!f.Write(seq.p, static_cast<size_t>(got) * sizeof(float))) return OsiEnd::Failed;
      ++kept;
    }
    if (got < s) break;
  }
  // No sequence of the range in the file (or an empty range): nothing kept.
  return kept > 0 || f.n == 0 ? OsiEnd::Done : OsiEnd::NothingMade;
}

OsiEnd OsiFftWinSeq(OsiFrame& f) {
  const int32_t s = Cnv.Seq_Sz[f.slot];
  // A sequence of no values would never move the loop on.
  if (s < 1) {
    core_io::Warning(StrPrintf("FFT SPECTRAL LEAKAGE FILTER SEQUENCE FILE OPERATION\n\nSEQ SIZE=[%ld] < 1\n\nABORTING", L(s)));
    return OsiEnd::Failed;
  }
  FloatBuffer seq;
  if (!seq.Make(s)) {
    core_io::Error("OSIFile()\n\nFFT SPECTRAL LEAKAGE FILTER SEQUENCE FILE OPERATION\n\nf1_pt - CORE ALLOCATION ERROR");
    return OsiEnd::Failed;
  }
  int32_t& lo = Cnv.Win_Lo[f.slot];
  int32_t& hi = Cnv.Win_Hi[f.slot];
  const int64_t w = static_cast<int64_t>(hi) - lo;
  if (w > s) {
    lo = 0;
    hi = s;
    core_io::Warning(StrPrintf(
        "SPECTRAL LEAKAGE FILE OPERATION\n\nWINDOW SIZE=[%ld] LARGER THAN SEQ SIZE=[%ld]\n\nRESET TO SEQ SIZE\n\nCONTINUING",
        L(w), L(s)));
  }
  if (lo < 0 || hi > s || hi < lo) {
    core_io::Warning(StrPrintf("SPECTRAL LEAKAGE FILE OPERATION\n\nWINDOW=[%ld] [%ld] OUTSIDE SEQ SIZE=[%ld]\n\nABORTING",
                               L(lo), L(hi), L(s)));
    return OsiEnd::Failed;
  }
  int64_t done = 0;
  const bool ok = OsiSequenceLoop(
      f, seq.p, s, &done,
      [&](int64_t) {
        FFTwFilterAry(0, static_cast<uint16_t>(Cnv.Fft_WinSense), Cnv.Fft_Taper, 1.0, lo, hi, s, seq.p, nullptr);
        return f.Write(seq.p, static_cast<size_t>(s) * sizeof(float));
      },
      [&](int64_t k, int64_t read) {
        return StrPrintf(
            "FFT SPECTRAL LEAKAGE FILTER SEQUENCE FILE OPERATION\n\nFFT SEQ WINDOW - SEQ TOTAL=[%ld]\n\nPREMATURE EOF IN "
            "[%s]\n\nEXPECTED=[%ld] != READ=[%ld]\n\nCONTINUING",
            L(k), f.inName, L(s), L(read));
      });
  if (!ok) return OsiEnd::Failed;
  return done > 0 ? OsiEnd::Done : OsiEnd::NothingMade;  // no whole sequence to window
}

OsiEnd OsiFftSeq(OsiFrame& f, bool cachedPlan) {
  const int32_t s = Cnv.Seq_Sz[f.slot];
  const int32_t lo = Cnv.Win_Lo[f.slot];
  const int32_t hi = Cnv.Win_Hi[f.slot];
  const int64_t w = static_cast<int64_t>(hi) - lo;
  if (w > s || (!cachedPlan && (s == 0 || s == 1))) {
    core_io::Warning(StrPrintf(cachedPlan ? "SEQUENCE FFT FILE OPERATION\n\nSEQUENCE SIZE=[%ld] < WIN SIZE [%ld]\n\nABORTING"
                                          : "SEQUENCE FFT FILE OPERATION\n\nSEQUENCE SIZE (PTS TO AVE) =[%ld] < WIN SIZE "
                                            "[%ld]\n\nABORTING",
                               L(s), L(w)));
    return OsiEnd::Failed;
  }
  // The window is read from every sequence: it must lie inside one.
  if (lo < 0 || lo >= hi || hi > s) {
    core_io::Warning(StrPrintf("SEQUENCE FFT FILE OPERATION\n\nWINDOW=[%ld] [%ld] OUTSIDE SEQUENCE SIZE=[%ld]\n\nABORTING",
                               L(lo), L(hi), L(s)));
    return OsiEnd::Failed;
  }
  int32_t& inSz = Cnv.Fft_InSz[f.slot];
  if (w > inSz || (!cachedPlan && inSz == 0)) inSz = static_cast<int32_t>(w);
  const int32_t n = inSz;
  const int32_t h = n / 2;
  const uint16_t mode = static_cast<uint16_t>(Cnv.Fft_OutId);
  FloatBuffer seq;
  FloatBuffer spectrum;
  if (!seq.Make(s) || !spectrum.Make(h + 1)) {
    core_io::Error(cachedPlan ? StrPrintf("OSIFile()\n\nSEQUENCE FFT FILE OPERATION\n\nFFTSEQ_ARY\n\nf1_pt/f2_pt - CORE "
                                          "ALLOCATION ERROR")
                              : StrPrintf("OSIFile()\n\nSEQUENCE FFT FILE OPERATION\n\nFFTSEQ_ARY\n\nf1_pt[%ld]/f2_pt[%ld] "
                                          "- CORE ALLOCATION ERROR",
                                          L(s), L(h + 1)));
    return OsiEnd::Failed;
  }
  // With every output (2003 only) the real and imaginary parts and the phase go to
  // three more files named after the requested output.
  const bool extras = !cachedPlan && mode == FFT_OUT_ALL;
  FloatBuffer part[3];
  core_io::BinOut extra[3];
  if (extras) {
    static constexpr const char* kSuffix[3] = {"Re", "Im", "Ph"};
    const std::string base = f.outName;
    for (int i = 0; i < 3; ++i)
      if (!part[i].Make(h + 1) || !ExtraCreatable(base + kSuffix[i]) || !extra[i].Open((base + kSuffix[i]).c_str())) {
        core_io::Warning(
            StrPrintf("FAILED TO CREATE BINARY OUTPUT FILES [%s]+EXTENSIONS FOR WRITING\n\nABORTING", f.outName));
        return OsiEnd::Failed;
      }
  }
  const size_t bytes = static_cast<size_t>(h) * sizeof(float);
  int64_t done = 0;
  bool ok = OsiSequenceLoop(
      f, seq.p, s, &done,
      [&](int64_t k) {
        // The transform spreads a missing value over the whole spectrum of its sequence,
        // into values (and phases) that look measured: the window must hold none.
        const float* bad = std::find_if(seq.p + lo, seq.p + hi, [](float v) { return ViewValueMissing(v); });
        if (bad != seq.p + hi) {
          core_io::Warning(StrPrintf("OSIFile()\n\nSEQUENCE FFT FILE OPERATION\n\nINPUT FILE [%s]\n\nPOINT [%lld] HAS NO "
                                     "VALUE [%s]\n\nABORTING",
                                     f.inName, static_cast<long long>(f.lo + k * s + (bad - seq.p)),
                                     MissingValueText(*bad).c_str()));
          return false;
        }
        const int32_t r = cachedPlan ? FFTwConvertAry(lo, hi, n, seq.p + lo, spectrum.p, nullptr, nullptr, nullptr, mode, 1)
                                     : FFTwConvertFileAry(lo, hi, n, seq.p + lo, spectrum.p, part[0].p, part[1].p,
                                                          part[2].p, mode);
        if (r != 1 || !f.Write(spectrum.p, bytes)) return false;
        if (!extras) return true;
        for (int i = 0; i < 3; ++i)
          if (!extra[i].Write(part[i].p, bytes)) {
            core_io::Warning(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO WRITE BINARY FILE=[%s]\n\nABORTING", f.id,
                                       f.outName));
            return false;
          }
        return true;
      },
      [&](int64_t k, int64_t read) { return TransformEof(f, k, read, s); });
  // The extra files are in place before the axis may change: a run that fails leaves
  // the working file's axis alone.
  for (int i = 0; extras && ok && i < 3; ++i)
    if (!extra[i].Commit()) {
      core_io::Warning(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO WRITE BINARY FILE=[%s]\n\nABORTING", f.id,
                                 f.outName));
      ok = false;
    }
  // Without a whole sequence an output over its own input fails: no axis then either.
  FrequencyCalibration(f, h, done, ok && (done > 0 || !f.ownInput));
  if (!ok) return OsiEnd::Failed;
  return done > 0 ? OsiEnd::Done : OsiEnd::NothingMade;
}
