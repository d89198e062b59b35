#include "filelib/FileManip.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/BinFile.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/MsgWindow.h"
#include "core/TypedArrays.h"
#include "numerics/Sorts.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Win.h"

using core_io::AskYesNo;
using core_io::Error;
using core_io::Info;
using core_io::StatusText;
using core_io::Warning;

namespace {

constexpr int16_t kTopicSortFile = 128;
constexpr int kAveChannels = 9;

// Releases a float array of the typed-array family at scope end.
struct FloatArray {
  float* p = nullptr;
  FloatArray() = default;
  FloatArray(FloatArray&& other) noexcept : p(other.p) { other.p = nullptr; }
  FloatArray(const FloatArray&) = delete;
  FloatArray& operator=(const FloatArray&) = delete;
  ~FloatArray() { FFree1Dim(&p); }
};
struct DoubleArray {
  double* p = nullptr;
  ~DoubleArray() { DFree1Dim(&p); }
};

// Asks through the text-input box; false when the user cancelled.
bool AskText(const char* prompt, const char* defaultAnswer, std::string* answer);

}  // namespace

// ---- AveDspFiles -------------------------------------------------------------------------

int32_t AveDspFiles(int16_t mode, int16_t warn) {
  // The averaged-file name of the conversion settings (OUTPUT FLNM), copied: the
  // record may change while the files are read.
  char outName[sizeof Cnv.Ave_Flnm];
  StrCopy(outName, Cnv.Ave_Flnm);
  bool includeAll;
  if (mode == 0)
    includeAll = AskYesNo("INCLUDE ALL VALUES IN AVERAGE [YES] | SKIP REGIONS OF ZERO AMPLITUDE [NO]?");
  else
    includeAll = mode == 1;

  struct Input {
    int chn;
    std::unique_ptr<core_io::BinIn> file;
    FloatArray block;
    size_t got = 0;
  };
  std::vector<Input> inputs;
  inputs.reserve(kAveChannels);
  for (int c = 0; c < kAveChannels; ++c) {
    if (Cnv.Cnv_Stat[c] != 1) continue;
    const char* name = Dsp.Chn_Flnm[c];
    if (platform::SameFile(name, outName)) {
      Warning(StrPrintf("AVERAGE DISPLAY FILES\n\nI/O FILESNAMES [%s] ARE IDENTICAL FOR [%d]\n\nABORTING", name, c));
      return 0;
    }
    auto file = std::make_unique<core_io::BinIn>();
    if (!file->Open(name)) {
      if (warn < 0) break;
      Warning(StrPrintf("AveDspFiles()\n\nFAILED TO OPEN BINARY INPUT FILE [%s] IN CHN=[%d] FOR READING\n\nABORTING",
                        name, c));
      return 0;
    }
    inputs.push_back(Input{c, std::move(file), {}, 0});
    if (QvAllocFailed(FAlloc1Dim(&inputs.back().block.p, FILE_BLOCK_FLOATS))) {
      Error("AveDspFiles()/tmp_fpt[] - CORE ALLOCATION ERROR");
      return 0;
    }
  }
  const int32_t count = static_cast<int32_t>(inputs.size());
  if (count == 0) {
    Warning("AVERAGE DISPLAY FILES\n\nNO FILES SELECTED (CNV STAT) TO AVERAGE\n\nABORTING");
    return 0;
  }

  bool sizesDiffer = false;
  bool scalesDiffer = false;
  const int c0 = inputs[0].chn;
  for (const Input& in : inputs) {
    if (in.file->SizeBytes() != inputs[0].file->SizeBytes()) sizesDiffer = true;
    if (Dsp.Chn_Scalar[in.chn] != Dsp.Chn_Scalar[c0] || Dsp.Chn_Offset[in.chn] != Dsp.Chn_Offset[c0])
      scalesDiffer = true;
  }
  if (sizesDiffer &&
      !AskYesNo(StrPrintf("AVERAGE DISPLAY FILES\n\nFILE SIZES IN AVERAGE OF [%d] FILES DIFFER\n\nCONTINUE [YES] | "
                          "ABORT [NO]?",
                          count)))
    return 0;
  if (scalesDiffer && !AskYesNo(StrPrintf("AVERAGE DISPLAY FILES\n\nDSP CHN SCALARS | OFFSETS USED IN AVE OF [%d] "
                                          "FILES DIFFER\n\nCONTINUE [YES] | ABORT [NO]?",
                                          count)))
    return 0;

  core_io::BinOut out;
  const std::string outFail =
      StrPrintf("AveDspFiles()\n\nFAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING\n\nABORTING", outName);
  if (!out.Open(outName)) {
    Warning(outFail);
    return 0;
  }
  FloatArray result;
  if (QvAllocFailed(FAlloc1Dim(&result.p, FILE_BLOCK_FLOATS))) {
    Error("AveDspFiles()/tmp_fpt[] - CORE ALLOCATION ERROR");
    return 0;
  }
  int32_t written = 0;
  for (;;) {
    size_t length = FILE_BLOCK_FLOATS;
    for (Input& in : inputs) {
      in.got = in.file->Read(in.block.p, FILE_BLOCK_FLOATS, sizeof(float));
      if (in.got < length) length = in.got;
    }
    if (length == 0) break;
    for (size_t i = 0; i < length; ++i) {
      double sum = 0.0;
      int32_t used = 0;
      for (const Input& in : inputs) {
        const float v = in.block.p[i];
        if (includeAll || v != 0.0f) {
          sum += v;
          ++used;
        }
      }
      result.p[i] = used > 0 ? static_cast<float>(sum / used) : 0.0f;
    }
    if (!out.Write(result.p, length * sizeof(float))) break;
    written += static_cast<int32_t>(length);
    StatusText(3, StrPrintf("AVE VALS WRITTEN=[%d]", written));
    // A file that ended inside this block is exhausted; the others are not read further.
    if (length < FILE_BLOCK_FLOATS) break;
  }
  bool readFailed = false;
  for (const Input& in : inputs) readFailed = readFailed || in.file->Failed();
  if (readFailed || !out.Commit()) {
    Warning(outFail);
    return 0;
  }
  Info(StrPrintf("NUMBER OF FILES USED IN AVERAGE=[%d]\n\nZERO VALUES EXCLUDED=[%s]", count,
                 includeAll ? "NO" : "YES"));
  return 1;
}

// ---- ManBinFileCoadd ---------------------------------------------------------------------

namespace {

// Pool workers co-add side by side: each change of the shared message buffer is made
// whole under this lock.
std::mutex g_coaddNoteLock;

}  // namespace

int32_t ManBinFileCoadd(const char* base, const char* outName, const char* weights, int16_t first, int16_t last,
                        int32_t report) {
  if (!base) base = "";
  if (!outName) outName = "";
  {
    std::lock_guard<std::mutex> lock(g_coaddNoteLock);
    StrFormat(Dsp.DspMsgBuffer, "   BEG AVE=[%d] END AVE=[%d]  ", first, last);
  }
  core_io::BinOut out;
  const std::string outFail =
      StrPrintf("ManBinFileCoadd()\n\nFAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING\n\nABORTING", outName);
  if (!out.Open(outName)) {
    Warning(outFail);
    return 0;
  }
  core_io::BinIn weightFile;
  const bool haveWeights = weights && weights[0] != '\0';
  if (haveWeights && !weightFile.Open(weights)) {
    Warning(StrPrintf("ManBinFileCoadd()\n\nFAILED TO OPEN BINARY INPUT FILE [%s] FOR READING\n\nABORTING", weights));
    return 0;
  }
  if (last < first) {
    Warning(StrPrintf("ManBinFileCoadd()\n\nNO FILES IN RANGE [%d]-[%d]\n\nABORTING", first, last));
    return 0;
  }

  uint32_t n = 0;
  FloatArray output;
  DoubleArray acc;
  DoubleArray weightAt;  // weight of the files that cover each point
  for (int32_t k = first; k <= last; ++k) {
    int32_t w = 1;
    const char* state = "NONE";
    if (haveWeights) {
      int32_t value = 0;
      if (weightFile.Read(&value, 1, sizeof(value)) == 1) {
        w = value == 0 ? 1 : value;
        state = value == 0 ? "ZERO" : "READ";
      } else {
        state = "DEF";
      }
    }
    if (k == first) {
      std::lock_guard<std::mutex> lock(g_coaddNoteLock);
      StrAppendFormat(Dsp.DspMsgBuffer, "[%d] AVES=[%d] %s\n", k, w, state);
    }

    const std::string name = StrPrintf("%s%03d", base, k);
    float* values = nullptr;
    uint32_t count = 0;
    if (ManBinFileRead(name.c_str(), nullptr, &values, nullptr, BIN_ELEM_FLOAT, 0, 0, &count, 1) != 1) {
      FFree1Dim(&values);
      return 0;
    }
    if (k == first) {
      n = count;
      if (QvAllocFailed(FAlloc1Dim(&output.p, n)) || QvAllocFailed(DAlloc1Dim(&acc.p, n)) ||
          QvAllocFailed(DAlloc1Dim(&weightAt.p, n))) {
        FFree1Dim(&values);
        Error("ManBinFileCoadd()/ave_fpt/ave_dpt - CORE ALLOCATION ERROR");
        return 0;
      }
    }
    const uint32_t cover = count < n ? count : n;
    for (uint32_t i = 0; i < cover; ++i) {
      acc.p[i] += static_cast<double>(w) * values[i];
      weightAt.p[i] += w;
    }
    FFree1Dim(&values);
    if (report == 1) StatusText(3, StrPrintf("FILE=[%s] COADDED", name.c_str()));
  }
  for (uint32_t i = 0; i < n; ++i)
    output.p[i] = weightAt.p[i] != 0.0 ? static_cast<float>(acc.p[i] / weightAt.p[i]) : 0.0f;
  if (!out.Write(output.p, static_cast<size_t>(n) * sizeof(float)) || !out.Commit()) {
    Warning(outFail);
    return 0;
  }
  if (report == 1) Info(StrPrintf("NUMBER OF FILES USED IN AVERAGE=[%d]", last - first + 1));
  return 1;
}

// ---- SortFile ----------------------------------------------------------------------------

namespace {

size_t ReadFloats(std::FILE* in, float* block, size_t count) {
  return std::fread(block, sizeof(float), count, in);
}

int32_t SortDeinterleave(std::FILE* in, const char* base) {
  std::string answer;
  if (!AskText("ADD OUT-OF-SYNC: INTERVAL?", "0", &answer)) return 1;
  int32_t interval = 0;
  const char* p = answer.c_str();
  if (!core_io::ScanLong(p, &interval)) interval = 0;
  if (interval < 0) interval = -interval;

  const std::string name1 = StrPrintf("%s_%03d", base, 1);
  const std::string name2 = StrPrintf("%s_%03d", base, 2);
  const std::string outFail = StrPrintf(
      "SortFile()\n\nFAILED TO CREATE BINARY OUTPUT FILES [%s] | [%s] FOR WRITING\n\nABORTING", name1.c_str(),
      name2.c_str());
  core_io::BinOut out1, out2;
  if (!out1.Open(name1.c_str()) || !out2.Open(name2.c_str())) {
    Warning(outFail);
    return 0;
  }
  FloatArray block, share1, share2;
  if (QvAllocFailed(FAlloc1Dim(&block.p, FILE_BLOCK_FLOATS)) || QvAllocFailed(FAlloc1Dim(&share1.p, FILE_BLOCK_FLOATS)) ||
      QvAllocFailed(FAlloc1Dim(&share2.p, FILE_BLOCK_FLOATS))) {
    Error("SortFile()/in_fpt/out1_fpt/out2_fpt - CORE ALLOCATION ERROR");
    return 0;
  }
  std::rewind(in);
  int target = 0;     // file of the next value
  uint64_t done = 0;  // values distributed so far
  bool ok = true;
  for (;;) {
    size_t got = ReadFloats(in, block.p, FILE_BLOCK_FLOATS);
    if (got == 0) break;
    size_t n1 = 0, n2 = 0;
    for (size_t i = 0; i < got; ++i) {
      if (target == 0)
        share1.p[n1++] = block.p[i];
      else
        share2.p[n2++] = block.p[i];
      ++done;
      // After every `interval` values the next one goes to the same file again.
      if (interval == 0 || done % static_cast<uint64_t>(interval) != 0) target ^= 1;
    }
    ok = out1.Write(share1.p, n1 * sizeof(float)) && out2.Write(share2.p, n2 * sizeof(float));
    if (!ok || got < FILE_BLOCK_FLOATS) break;
  }
  if (std::ferror(in)) ok = false;
  if (!ok || !out1.Commit() || !out2.Commit()) {
    Warning(outFail);
    return 0;
  }
  return 1;
}

int32_t SortWindow(int16_t s, std::FILE* in, const char* base) {
  const std::string name = StrPrintf("%s_Sort", base);
  const std::string outFail =
      StrPrintf("SortFile()\n\nFAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING\n\nABORTING", name.c_str());
  const int32_t intervalSize = Cnv.Seq_Sz[s];
  const int32_t perAve = Cnv.Pts_Ave[s];
  const int32_t winLo = Cnv.Win_Lo[s];
  const int32_t winHi = Cnv.Win_Hi[s];
  if (intervalSize <= 0 || perAve <= 0) {
    Warning(StrPrintf("SORT FILE\n\nINTV SZ=[%d] | AVE PTS=[%d] NOT VALID\n\nABORTING", intervalSize, perAve));
    return 0;
  }
  if (std::fseek(in, 0, SEEK_END) != 0) return 0;
  const int64_t bytes = ftello(in);
  std::rewind(in);
  const int64_t total = bytes > 0 ? bytes / static_cast<int64_t>(sizeof(float)) : 0;
  const int64_t series = total / intervalSize;  // N
  const int64_t wanted = series * perAve;       // A x N
  if (wanted > static_cast<int64_t>(UINT32_MAX) || series > INT32_MAX) {
    Warning(StrPrintf("SORT FILE\n\nSERIES NUMBER=[%lld] TOO LARGE\n\nABORTING", static_cast<long long>(series)));
    return 0;
  }
  core_io::BinOut out;
  if (!out.Open(name.c_str())) {
    Warning(outFail);
    return 0;
  }
  FloatArray block, collected;
  if (QvAllocFailed(FAlloc1Dim(&block.p, FILE_BLOCK_FLOATS)) ||
      (wanted > 0 && QvAllocFailed(FAlloc1Dim(&collected.p, static_cast<uint32_t>(wanted))))) {
    Error("SortFile()/in_fpt/out_fpt - CORE ALLOCATION ERROR");
    return 0;
  }
  const bool traced = Debug.DebugLevel.load() == kTopicSortFile;
  int64_t k = 1;          // current interval, 1-based
  int64_t position = 0;   // input position of the next value
  int64_t count = 0;      // values collected
  bool full = wanted == 0;
  while (!full && k <= series) {
    size_t got = ReadFloats(in, block.p, FILE_BLOCK_FLOATS);
    if (got == 0) break;
    for (size_t i = 0; i < got && !full; ++i, ++position) {
      if (position > k * intervalSize - 1) {
        ++k;
        if (k > series) break;
      }
      const int64_t offset = position - (k - 1) * intervalSize;
      if (traced)
        DebugPrintf("FL_TOT=%lld rd_uct=%zu CT=%lld INTV_LO=%lld INTV_HI=%lld  CT=%lld WIN_LO=%d WIN_HI=%d   "
                    "SEQSEG_CT=%lld\n",
                    static_cast<long long>(total), got, static_cast<long long>(position),
                    static_cast<long long>((k - 1) * intervalSize), static_cast<long long>(k * intervalSize - 1),
                    static_cast<long long>(offset), winLo, winHi, static_cast<long long>(k));
      if (offset >= winLo && offset < winHi) {
        collected.p[count++] = block.p[i];
        if (count == wanted) full = true;
      }
    }
    if (got < FILE_BLOCK_FLOATS) break;
  }
  const int64_t reached = k < series ? k : series;
  const bool ok = !std::ferror(in) &&
                  out.Write(collected.p, static_cast<size_t>(reached * perAve) * sizeof(float)) && out.Commit();
  if (!ok) {
    Warning(outFail);
    return 0;
  }
  if (reached < series)
    Warning(StrPrintf("SORT FILE\n\nSERIES NUMBER=[%lld] < OPSEQ VALUE OF FILE SZ/AVE_PTS=[%lld]",
                      static_cast<long long>(reached), static_cast<long long>(series)));
  return 1;
}

}  // namespace

int32_t SortFile(int16_t s, int16_t mode, std::FILE* in, const char* base) {
  if (!base) base = "";
  if (s < 0 || s >= CNV_SLOTS || !in) {
    Warning(StrPrintf("SortFile()\n\nSLOT=[%d] | INPUT FILE NOT VALID\n\nABORTING", s));
    return 0;
  }
  switch (mode) {
    case 0:
      return SortDeinterleave(in, base);
    case 1:
      return SortWindow(s, in, base);
    case 2: {
      const int32_t lo = Cnv.Win_Lo[s];
      const int32_t hi = Cnv.Win_Hi[s];
      const int32_t perAve = Cnv.Pts_Ave[s];
      for (int32_t u = 0; u < Cnv.Rpt_Cnt[s]; ++u) {
        Cnv.Win_Lo[s] = lo + perAve * u;
        Cnv.Win_Hi[s] = hi + perAve * u;
        if (Cnv.Win_Hi[s] > Cnv.Intv_Lim[s] || Cnv.Win_Lo[s] < 0)
          Warning(StrPrintf("SORT FILE\n\nWIN RANGE=[%d]-[%d] OUTSIDE OF INTV SZ=[%d]", Cnv.Win_Lo[s], Cnv.Win_Hi[s],
                            Cnv.Intv_Lim[s]));
        // Every window of the series gets its own output, base_000_Sort, base_001_Sort...
        const std::string seriesBase = StrPrintf("%s_%03d", base, u);
        if (SortWindow(s, in, seriesBase.c_str()) != 1) {
          Warning("SORT FILE\n\nRECURSIVE CALL ABORT");
          return 1;
        }
      }
      return 1;
    }
    default:
      Warning(StrPrintf("SortFile()\n\nMODE=[%d] NOT VALID\n\nABORTING", mode));
      return 0;
  }
}

// ---- FileGetAveValue ---------------------------------------------------------------------

namespace {

// absMean (may be null) takes the mean (or with sumFlag the sum) of |x| over the range.
int32_t RangeStatistics(const char* name, int32_t lo, int32_t hi, int32_t sumFlag, double* mean, double* sigma,
                        double* min, double* max, double* absMean = nullptr) {
  core_io::BinIn in;
  if (!in.Open(name ? name : "")) return 0;
  FloatArray block;
  if (QvAllocFailed(FAlloc1Dim(&block.p, FILE_BLOCK_FLOATS))) {
    Error("FileGetAveValue()/tmp_fpt - CORE ALLOCATION ERROR");
    return 0;
  }
  int64_t first = lo, last = hi;
  if (last < first) std::swap(first, last);
  if (first < 0) first = 0;
  if (last < 0) last = 0;
  const int64_t count = static_cast<int64_t>(in.SizeBytes() / sizeof(float));
  if (last >= count) last = count - 1;
  if (last < first) return 0;
  const int64_t values = last - first + 1;

  double sum = 0.0, sumAbs = 0.0;
  float fmin = 1e20f, fmax = -1e20f;
  in.Seek(static_cast<uint64_t>(first) * sizeof(float));
  int64_t left = values;
  while (left > 0) {
    size_t want = left < FILE_BLOCK_FLOATS ? static_cast<size_t>(left) : FILE_BLOCK_FLOATS;
    size_t got = in.Read(block.p, want, sizeof(float));
    if (got == 0) return 0;
    for (size_t i = 0; i < got; ++i) {
      sum += block.p[i];
      sumAbs += std::fabs(block.p[i]);
      if (block.p[i] < fmin) fmin = block.p[i];
      if (block.p[i] > fmax) fmax = block.p[i];
    }
    left -= static_cast<int64_t>(got);
  }
  const double average = sum / static_cast<double>(values);
  double deviation = 0.0;
  if (values > 1) {
    double squares = 0.0;
    in.Seek(static_cast<uint64_t>(first) * sizeof(float));
    left = values;
    while (left > 0) {
      size_t want = left < FILE_BLOCK_FLOATS ? static_cast<size_t>(left) : FILE_BLOCK_FLOATS;
      size_t got = in.Read(block.p, want, sizeof(float));
      if (got == 0) return 0;
      for (size_t i = 0; i < got; ++i) {
        const double d = block.p[i] - average;
        squares += d * d;
      }
      left -= static_cast<int64_t>(got);
    }
    deviation = std::sqrt(squares / static_cast<double>(values - 1));
  }
  if (mean) *mean = sumFlag ? sum : average;
  if (absMean) *absMean = sumFlag ? sumAbs : sumAbs / static_cast<double>(values);
  if (sigma) *sigma = deviation;
  if (min) *min = fmin;
  if (max) *max = fmax;
  return 1;
}

}  // namespace

int32_t FileGetAveValueFile(const char* name, int32_t lo, int32_t hi, int32_t sumFlag, double* mean, double* sigma,
                            double* min, double* max) {
  return RangeStatistics(name, lo, hi, sumFlag, mean, sigma, min, max);
}

namespace {

int32_t ChannelStatistics(int16_t chn, int32_t slot, const char* name, int32_t lo, int32_t hi, bool absolute) {
  if (chn < 0 || chn > 9) {
    Error(StrPrintf("FileGetAveValue()/INVALID CHN=[%d]\n\nABORTING", chn));
    return 0;
  }
  double mean = 0.0, sigma = 0.0, min = 0.0, max = 0.0, absMean = 0.0;
  if (RangeStatistics(name, lo, hi, Win.Ave_SumOpt != 0 ? 1 : 0, &mean, &sigma, &min, &max, &absMean) != 1) return 0;
  Win.Chn_AveValue[chn] = absolute ? absMean : mean;
  if (slot == 1) {
    Win.Chn_Ave1[chn] = mean;
    Win.Chn_Sig1[chn] = sigma;
  } else {
    Win.Chn_Ave2[chn] = mean;
    Win.Chn_Sig2[chn] = sigma;
  }
  Win.Chn_Min[chn] = min;
  Win.Chn_Max[chn] = max;
  if (Win.Chn_Ave1[chn] != 0.0 && Win.Chn_Ave2[chn] != 0.0) {
    Win.Chn_AveDiff[chn] = Win.Chn_Ave2[chn] - Win.Chn_Ave1[chn];
    Win.Chn_SigSum[chn] = std::sqrt((Win.Chn_Sig1[chn] * Win.Chn_Sig1[chn] + Win.Chn_Sig2[chn] * Win.Chn_Sig2[chn]) / 2.0);
  }
  return 1;
}

}  // namespace

int32_t FileGetAveValue(int16_t chn, int32_t slot, const char* name, int32_t lo, int32_t hi) {
  return ChannelStatistics(chn, slot, name, lo, hi, false);
}

int32_t FileGetAbsAveValue(int16_t chn, int32_t slot, const char* name, int32_t lo, int32_t hi) {
  return ChannelStatistics(chn, slot, name, lo, hi, true);
}

// ---- file names --------------------------------------------------------------------------

namespace {

int32_t StoreName(const std::string& name, char* out, size_t cap) {
  if (!out || cap == 0 || !core_io::NameFits(name, cap)) return 0;
  StrCopy(out, cap, name.c_str());
  return 1;
}

}  // namespace

int32_t ManFlnmReplaceFirstNumber(const char* in, char* out, size_t cap, const char* rep) {
  const std::string name = in ? in : "";
  const size_t digit = name.find_first_of("0123456789");
  if (digit == std::string::npos) return StoreName(name, out, cap);
  if (!rep || rep[0] == '\0') {
    Warning("NO STRING TO REPLACE FIRST NUMBER WITH\n\nENTER STRING IN EXT FIELD\n\nABORTING");
    return 0;
  }
  size_t end = digit;
  while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
  return StoreName(name.substr(0, digit) + rep + name.substr(end), out, cap);
}

int32_t ManFlnmSubstitute(const char* pattern, char* out, size_t cap, const char* sub) {
  const std::string text = pattern ? pattern : "";
  const size_t mark = text.find('?');
  if (mark == std::string::npos) return StoreName(text, out, cap);
  if (text.find('?', mark + 1) == std::string::npos) {
    if (!sub || sub[0] == '\0') {
      Warning("FILENAME SUBSTITUTION ENABLED BUT NO STRING FOR SUBSTITUTION SPECIFIED\n\nABORTING");
      return 0;
    }
    return StoreName(text.substr(0, mark) + sub + text.substr(mark + 1), out, cap);
  }
  // The "??" form asks with the prompt the caller set, offering the last answer (or sub
  // the first time).
  if (Cnv.Sub_Answer[0] == '\0') StrCopy(Cnv.Sub_Answer, sub ? sub : "");
  const std::string prompt = Dsp.GetTextPrompt[0] != '\0' ? Dsp.GetTextPrompt : "FILENAME SUBSTITUTION STRING?";
  std::string answer;
  if (!AskText(prompt.c_str(), Cnv.Sub_Answer, &answer)) return 0;
  if (answer.empty()) {
    Warning("FILENAME SUBSTITUTION ENABLED BUT NO SUB STRING SPECIFIED\n\nABORTING");
    return 0;
  }
  StrCopy(Cnv.Sub_Answer, answer.c_str());
  const size_t after = mark + 2 <= text.size() ? mark + 2 : text.size();
  return StoreName(text.substr(0, mark) + answer + text.substr(after), out, cap);
}

// ---- column text files -------------------------------------------------------------------

int32_t ManAsciiFileRead(const char* name, int16_t c, int32_t** la, float** fa, double** da, uint32_t* n,
                         int16_t warn) {
  constexpr size_t kPiece = 499;
  core_io::LineIn file(kPiece);
  if (!file.Open(name ? name : "")) return 0;
  uint32_t lines = 0;
  std::string piece;
  while (file.NextLine(piece)) {
    double value;
    const char* p = piece.c_str();
    if (core_io::ScanDouble(p, &value) && lines < UINT32_MAX - 1) ++lines;
  }
  if (n) *n = lines;
  const int32_t column = c < 1 ? 1 : c;

  // One warning per call, whichever array or line met the fault first.
  bool warned = warn != 1;
  auto readError = [&warned](int kind) {
    if (warned) return;
    warned = true;
    Warning(kind == 0 ? "ManAsciiFileRead()/FILE READ ERROR (LONG INT TYPE)"
                      : (kind == 1 ? "ManAsciiFileRead()/FILE READ ERROR (FLOAT TYPE)"
                                   : "ManAsciiFileRead()/FILE READ ERROR (DOUBLE TYPE)"));
  };

  // kind 0 long, 1 float, 2 double
  for (int kind = 0; kind < 3; ++kind) {
    if ((kind == 0 && !la) || (kind == 1 && !fa) || (kind == 2 && !da)) continue;
    int32_t status = kind == 0 ? LReAlloc1Dim(la, lines + 1)
                               : (kind == 1 ? FReAlloc1Dim(fa, lines + 1) : DReAlloc1Dim(da, lines + 1));
    if (QvAllocFailed(status)) {
      Error(kind == 0 ? "ManAsciiFileRead()/io_lptpt - CORE ALLOCATION ERROR"
                      : (kind == 1 ? "ManAsciiFileRead()/io_fptpt - CORE ALLOCATION ERROR"
                                   : "ManAsciiFileRead()/io_dptpt - CORE ALLOCATION ERROR"));
      return 0;
    }
    // Values stay with their lines: entry i belongs to the i-th line whose first field
    // is a number, and a line without a readable value in the column gives 0 there
    // (with the warning), so that the columns of one file read in separate calls stay
    // aligned.
    file.Rewind();
    uint32_t stored = 0;
    while (file.NextLine(piece)) {
      const char* p = piece.c_str();
      if (!core_io::ScanDouble(p, nullptr)) continue;
      if (stored >= lines) {
        // More lines than counted: the file changed between the passes.
        readError(kind);
        break;
      }
      if (kind == 0) {
        int32_t v = 0;
        if (!core_io::ScanColumnLong(piece.c_str(), column, &v)) {
          v = 0;
          readError(kind);
        }
        (*la)[stored] = v;
      } else {
        double v = 0.0;
        if (!core_io::ScanColumnDouble(piece.c_str(), column, &v)) {
          v = 0.0;
          readError(kind);
        }
        if (kind == 1)
          (*fa)[stored] = static_cast<float>(v);
        else
          (*da)[stored] = v;
      }
      ++stored;
    }
    // Entries no line gave a value for are 0, not left over from an earlier use.
    for (uint32_t i = stored; i <= lines; ++i) {
      if (kind == 0) (*la)[i] = 0;
      if (kind == 1) (*fa)[i] = 0.0f;
      if (kind == 2) (*da)[i] = 0.0;
    }
  }
  return 1;
}

int32_t ManAsciiFileSort(const char* in, const char* outName, int16_t xc, int16_t yc) {
  if (!outName) outName = "";
  FloatArray x, y;
  uint32_t nx = 0, ny = 0;
  if (ManAsciiFileRead(in, xc, nullptr, &x.p, nullptr, &nx, 1) != 1) return 0;
  if (ManAsciiFileRead(in, yc, nullptr, &y.p, nullptr, &ny, 1) != 1) return 0;
  const uint32_t n = nx < ny ? nx : ny;
  if (n > static_cast<uint32_t>(INT32_MAX) - 1) return 0;
  // The sorts address their arrays 1..n: move the values up by one place.
  std::memmove(x.p + 1, x.p, n * sizeof(float));
  std::memmove(y.p + 1, y.p, n * sizeof(float));
  int32_t* index = nullptr;
  if (QvAllocFailed(LAlloc1Dim(&index, n + 1))) {
    Error("ManAsciiFileSort()/idx_lpt - CORE ALLOCATION ERROR");
    return 0;
  }
  IndexSortF(static_cast<int32_t>(n), x.p, index);
  const int16_t status = Csi6sfdrddSort(static_cast<int32_t>(n), index, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        x.p, nullptr);
  const int16_t status2 = status == 1 ? Csi6sfdrddSort(static_cast<int32_t>(n), index, nullptr, nullptr, nullptr,
                                                       nullptr, nullptr, y.p, nullptr)
                                      : status;
  LFree1Dim(&index);
  if (status2 != 1) return 0;

  const std::string outFail =
      StrPrintf("ManAsciiFileSort()\n\nFAILED TO OPEN ASCII FILE [%s] FOR WRITING\n\nABORTING", outName);
  platform::TextFileWriter writer;
  if (!writer.Open(outName)) {
    Warning(outFail);
    return 0;
  }
  for (uint32_t i = 1; i <= n; ++i) writer.Printf("%-22.8f %.8f\n", x.p[i], y.p[i]);
  if (!writer.Commit()) {
    Warning(outFail);
    return 0;
  }
  return 1;
}

// ---- text-input box ----------------------------------------------------------------------

namespace {

bool AskText(const char* prompt, const char* defaultAnswer, std::string* answer) {
  StrCopy(Dsp.GetTextPrompt, prompt);
  StrCopy(Dsp.GetTextValue, defaultAnswer);
  if (GetTextDialog() != 1) return false;
  *answer = Dsp.GetTextValue;
  return true;
}

}  // namespace
