// Photomultiplier pulse-height analysis: the record is cut into intervals of NPTS
// points that start where the signal leaves the baseline; each interval's peak counts
// for every discriminator level it reaches.
#include <unistd.h>

#include <cmath>
#include <string>

#include "core/FileIo.h"
#include "core/MsgWindow.h"
#include "core/TypedArrays.h"
#include "filelib/FileManip.h"
#include "fileproc/FdIo.h"
#include "fileproc/NoiseStats.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

constexpr uint32_t kBlock = 65536;

// Reads up to kBlock floats from fd; the number of whole values, or -1 on an error.
int64_t ReadFloats(int fd, float* buffer) {
  size_t got = 0;
  if (!FdReadAll(fd, buffer, kBlock * sizeof(float), &got)) return -1;
  return static_cast<int64_t>(got / sizeof(float));
}

struct Arrays {
  float* block = nullptr;
  float* levels = nullptr;
  int32_t* counts = nullptr;
  float* noiseLevels = nullptr;
  int32_t* noiseCounts = nullptr;
  ~Arrays() {
    FFree1Dim(&block);
    FFree1Dim(&levels);
    LFree1Dim(&counts);
    FFree1Dim(&noiseLevels);
    LFree1Dim(&noiseCounts);
  }
};

const char kCreateFailed[] = "PMTDiscLvl()\n\nFAILED TO CREATE ASCII FILE=[%s] FOR WRITING\n\nABORTING";

double Round5(double v) { return std::trunc(v * 100000.0 + 0.5); }

}  // namespace

int32_t PMTDiscLvl(int in, const char* inName, const char* outName, int16_t /*flag*/) {
  const int32_t nstps = Cnv.Pmt_Num;
  const int32_t npts = Cnv.Pmt_Sk;
  // The levels are spaced (HI - LO) / (NSTPS - 1) apart: fewer than two levels would
  // divide by zero or size the arrays by a negative count.
  if (nstps < 2) {
    core_io::Warning(StrPrintf("PMTDiscLvl()\n\nNUMBER OF DISC LEVELS=[%d] BELOW 2\n\nABORTING", nstps));
    return 0;
  }
  // The table (output name with ".txt") becomes the current marker file; it and the
  // S/N table's name must fit before anything is written.
  if (!core_io::NameFits(std::string(outName) + ".txt", sizeof Cnl.Mks_Flnm) ||
      !core_io::NameFits(std::string(outName) + "_SN.txt"))
    return 0;
  Arrays a;
  if (QvAllocFailed(FAlloc1Dim(&a.block, kBlock)) || QvAllocFailed(FAlloc1Dim(&a.levels, static_cast<uint32_t>(nstps))) ||
      QvAllocFailed(LAlloc1Dim(&a.counts, static_cast<uint32_t>(nstps)))) {
    core_io::Error("PMTDiscLvl()\n\nin_fpt/discsig_fpt/histsig_lpt/skip_fpt - CORE ALLOCATION ERROR");
    return 0;
  }
  const off_t start = ::lseek(in, 0, SEEK_CUR);
  auto readFailed = [&] {
    core_io::Warning(StrPrintf("PMTDiscLvl()\n\nFAILED TO READ BINARY FILE [%s]\n\nABORTING", inName));
    return 0;
  };

  // First pass: range and size.
  float lo = 1e20f;
  float hi = -1e20f;
  int64_t size = 0;
  for (;;) {
    const int64_t m = ReadFloats(in, a.block);
    if (m < 0) return readFailed();
    if (m == 0) break;
    for (int64_t i = 0; i < m; ++i) {
      lo = std::fmin(lo, a.block[i]);
      hi = std::fmax(hi, a.block[i]);
    }
    size += m;
  }
  const float discLo = static_cast<float>(Cnv.Pmt_LvlLo);
  const float discHi = static_cast<float>(Cnv.Pmt_LvlHi);
  const int answer = MessageBox(
      Win.hWnd_Main,
      StrPrintf("PULSE HEIGHT ANALYSIS\n\nIN FLNM=[%s] SIZE=[%lld]\n\nDATA MIN=[%f] & MAX=[%f]\n\nDISC LO=[%f] & "
                "HI=[%f]\n\nSIGNAL NEGATIVE GOING [YES] | POSITIVE GOING [NO] | ABORT [CANCEL]?",
                inName, static_cast<long long>(size), lo, hi, discLo, discHi)
          .c_str(),
      "Question", 0x1023);
  if (answer != IDYES && answer != IDNO) return 0;
  const bool negative = answer == IDYES;

  for (int32_t k = 0; k < nstps; ++k) a.counts[k] = 0;
  const std::string table = std::string(outName) + ".txt";
  platform::TextFileWriter out;
  if (!out.Open(table.c_str())) {
    core_io::Warning(StrPrintf(kCreateFailed, table.c_str()));
    return 0;
  }
  if (negative && discHi > discLo &&
      !core_io::AskYesNo(StrPrintf("PULSE HEIGHT ANALYSIS\n\nNEGATIVE GOING SIGNAL\n\nDISC LEVEL MAX=[%f] > "
                                   "MIN=[%f]\n\nCONTINUE [YES] | ABORT [NO]",
                                   discHi, discLo)))
    return 0;
  if (!negative && discHi < discLo &&
      !core_io::AskYesNo(StrPrintf("PULSE HEIGHT ANALYSIS\n\nPOSITIVE GOING SIGNAL\n\nDISC LEVEL MAX=[%f] < "
                                   "MIN=[%f]\n\nCONTINUE [YES] | ABORT [NO]",
                                   discHi, discLo)))
    return 0;

  for (int32_t k = 0; k < nstps; ++k)
    a.levels[k] = static_cast<float>(k) * (discHi - discLo) / static_cast<float>(nstps - 1) + discLo;

  // Second pass: intervals and their peaks.
  if (::lseek(in, start, SEEK_SET) < 0) return readFailed();
  const float reset = negative ? 1e20f : -1e20f;
  float peak = reset;
  int32_t p = 0;
  int64_t values = 0;
  int64_t baseline = 0;
  int64_t intervals = 0;
  for (;;) {
    const int64_t m = ReadFloats(in, a.block);
    if (m < 0) return readFailed();
    if (m == 0) break;
    for (int64_t i = 0; i < m; ++i) {
      const float v = a.block[i];
      ++values;
      if (p == 0 && (negative ? v > a.levels[0] : v < a.levels[0])) {
        ++baseline;
        continue;
      }
      if (negative ? v < peak : v > peak) peak = v;
      if (++p >= npts) {
        ++intervals;
        for (int32_t k = 0; k < nstps; ++k)
          if (negative ? peak <= a.levels[k] : peak >= a.levels[k]) ++a.counts[k];
        p = 0;
        peak = reset;
      }
    }
  }
  for (int32_t k = 0; k < nstps; ++k) out.Printf("%16.8f %d\n", static_cast<double>(a.levels[k]), a.counts[k]);
  if (!out.Commit()) {
    core_io::Warning(StrPrintf(kCreateFailed, table.c_str()));
    return 0;
  }
  FFree1Dim(&a.block);

  std::string snName;
  const bool withSn = core_io::AskYesNo("PULSE HEIGHT ANALYSIS\n\nWRITE ASCII FILE OF S/N=(S-N)/SQRT(S) [YES] | SKIP [NO]?");
  if (withSn) {
    StrCopy(Dsp.GetTextPrompt, "PULSE HEIGHT ANALYSIS: ENTER NOISE FILENAME?");
    StrCopy(Dsp.GetTextValue, "BG_PHA.txt");
    if (GetTextDialog() != 1) return 1;
    char noise[sizeof Dsp.GetTextValue];
    StrCopy(noise, Dsp.GetTextValue);
    uint32_t n1 = 0;
    uint32_t n2 = 0;
    if (ManAsciiFileRead(noise, 1, nullptr, &a.noiseLevels, nullptr, &n1, 1) != 1 ||
        ManAsciiFileRead(noise, 2, &a.noiseCounts, nullptr, nullptr, &n2, 1) != 1 ||
        n1 != static_cast<uint32_t>(nstps) || n2 != static_cast<uint32_t>(nstps)) {
      core_io::Warning(StrPrintf("PMTDiscLvl()\n\nFAILED TO OPEN ASCII FILE=[%s] FOR READING\n\nABORTING", noise));
      return 0;
    }
    for (int32_t k = 0; k < nstps; ++k) {
      if (Round5(a.levels[k]) == Round5(a.noiseLevels[k])) continue;
      if (!core_io::AskYesNo(StrPrintf("PULSE HEIGHT ANALYSIS\n\nSIGNAL DISC THRESHOLD[%d]=[%.8f] NOT THE SAME AS\nNOISE "
                                       "DISC THRESHOLD=[%.8f]\n\nCONTINUE [YES] | ABORT [NO]",
                                       k, static_cast<double>(a.levels[k]), static_cast<double>(a.noiseLevels[k]))))
        return 0;
    }
    snName = std::string(outName) + "_SN.txt";
    platform::TextFileWriter sn;
    if (!sn.Open(snName.c_str())) {
      core_io::Warning(StrPrintf(kCreateFailed, snName.c_str()));
      return 0;
    }
    for (int32_t k = 0; k < nstps; ++k) {
      const double s = a.counts[k];
      const double noiseCount = a.noiseCounts[k];
      const double ratio = s + noiseCount == 0.0 ? -1.0 : (s - noiseCount) / std::sqrt(s + noiseCount);
      sn.Printf("%16.8f %16.1f\n", static_cast<double>(a.levels[k]), ratio);
    }
    if (!sn.Commit()) {
      core_io::Warning(StrPrintf(kCreateFailed, snName.c_str()));
      return 0;
    }
  }

  if (withSn)
    core_io::Info(StrPrintf("PULSE HEIGHT ANALYSIS\n\nPULSE HEIGHT ASCII FLNM=[%s] &\nS/N FLNM=[%s] SIZE=[%d]\n\nTOTAL "
                            "PTS=[%lld] BASELINE PTS SKIPPED=[%lld] INTVS=[%lld]\n\nDISPLAY ASCII RESULTS IN "
                            "CALIBRATION/NORMALIZATION/LINEARIZATION DIALOG",
                            table.c_str(), snName.c_str(), nstps, static_cast<long long>(values),
                            static_cast<long long>(baseline), static_cast<long long>(intervals)));
  else
    core_io::Info(StrPrintf("PULSE HEIGHT ANALYSIS\n\nPULSE HEIGHT ASCII FLNM=[%s] SIZE=[%d]\n\nTOTAL PTS=[%lld] "
                            "BASELINE PTS SKIPPED=[%lld] INTVS=[%lld]\n\nDISPLAY ASCII RESULTS IN "
                            "CALIBRATION/NORMALIZATION/LINEARIZATION DIALOG",
                            table.c_str(), nstps, static_cast<long long>(values), static_cast<long long>(baseline),
                            static_cast<long long>(intervals)));
  StrCopy(Cnl.Mks_Flnm, table.c_str());
  return 1;
}
