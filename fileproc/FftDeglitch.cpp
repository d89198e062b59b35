// Deglitching: isolated spikes found against an FFT-smoothed copy are listed in a
// temporary text file, then the file is copied with the listed values replaced.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fileproc/FdIo.h"
#include "fileproc/Fourier.h"
#include "numerics/Smooth.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnv.h"

namespace {

// Reads up to count floats at value index first of descriptor fd; the number of whole
// values read, or -1 on a read error.
int64_t ReadAt(int fd, int64_t first, float* buffer, int32_t count) {
  char* p = reinterpret_cast<char*>(buffer);
  const size_t want = static_cast<size_t>(count) * sizeof(float);
  size_t got = 0;
  while (got < want) {
    const ssize_t done = ::pread(fd, p + got, want - got, static_cast<off_t>(first * 4 + static_cast<int64_t>(got)));
    if (done < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (done == 0) break;
    got += static_cast<size_t>(done);
  }
  return static_cast<int64_t>(got / sizeof(float));
}

struct FloatBlock {
  float* p = nullptr;
  ~FloatBlock() { FFree1Dim(&p); }
};

}  // namespace

int32_t FFTDeglitchFile(int16_t /*slot*/, int in, int out, const char* name) {
  char list[260] = "";
  if (GetTempFileName(".", "__qv", 0, list) == 0) {
    core_io::Warning("FFTDeglitchFile()\n\nGET TEMP FLNM FAILED\n\nABORTING");
    return 0;
  }
  platform::TextFileWriter writer;
  if (!writer.Open(list)) {
    core_io::Warning(StrPrintf("FAILED TO CREATE ASCII FILE [%s] FOR WRITING\n\nABORTING", list));
    DeleteFile(list);
    return 0;
  }
  FloatBlock raw;
  FloatBlock smooth;
  if (QvAllocFailed(FAlloc1Dim(&raw.p, FFT_FILE_BLOCK)) || QvAllocFailed(FAlloc1Dim(&smooth.p, FFT_FILE_BLOCK))) {
    core_io::Error("FFTDeglitchFile()/tmp_fpt/tmp2_fpt - CORE ALLOCATION ERROR");
    writer.Abort();
    DeleteFile(list);
    return 0;
  }
  const double window = Cnv.Deglitch_Win;
  int32_t count = 0;
  int64_t start = 0;  // absolute index of the block's first value
  for (;;) {
    const int64_t m = ReadAt(in, start, raw.p, FFT_FILE_BLOCK);
    if (m < 9) break;
    // The smoothed copy spreads a missing value over the whole block: every value
    // would then stand out from it, and one in five be replaced.
    const float* bad = std::find_if(raw.p, raw.p + m, [](float v) { return ViewValueMissing(v); });
    if (bad != raw.p + m) {
      core_io::Warning(StrPrintf("FFTDeglitchFile()\n\nINPUT FILE [%s]\n\nPOINT [%lld] HAS NO VALUE [%s]\n\nABORTING", name,
                                 static_cast<long long>(start + (bad - raw.p)), MissingValueText(*bad).c_str()));
      writer.Abort();
      DeleteFile(list);
      return 0;
    }
    for (int64_t i = 0; i < m; ++i) smooth.p[i] = raw.p[i];
    // A short last block is smoothed over its own values only.
    if (FSmooth(smooth.p, Cnv.FFT_SmoothWin, static_cast<int32_t>(m)) != 1) {
      writer.Abort();
      DeleteFile(list);
      return 0;
    }
    const float* r = raw.p;
    const float* s = smooth.p;
    int64_t k = 2;
    while (k < m - 6) {
      if (std::fabs(r[k] - s[k]) > window) {
        int64_t j = k;
        for (int64_t i = k + 1; i <= k + 4; ++i)
          if (std::fabs(r[i] - s[i]) > std::fabs(r[j] - s[j])) j = i;
        const double avg = (static_cast<double>(r[j - 2]) + r[j - 1] + r[j + 1] + r[j + 2]) / 4.0;
        const double left = std::fabs(r[j - 2] - avg) <= std::fabs(r[j - 1] - avg) ? r[j - 2] : r[j - 1];
        const double right = std::fabs(r[j + 2] - avg) <= std::fabs(r[j + 1] - avg) ? r[j + 2] : r[j + 1];
        writer.Printf("%8ld %.9g\n", static_cast<long>(start + j), 0.5 * (left + right));
        ++count;
        k += 4;
      }
      ++k;
    }
    // The next block starts two values before the first untested one: blocks overlap by 8.
    start += k - 2;
  }
  if (!writer.Commit()) {
    core_io::Warning(StrPrintf("FAILED TO CREATE ASCII FILE [%s] FOR WRITING\n\nABORTING", list));
    DeleteFile(list);
    return 0;
  }
  if (count == 0)
    core_io::Info(StrPrintf("GLITCHES NOT DETECTED IN [%s]\n\nTRY DECREASING DEGLITCH WINDOW FROM [%f]", name,
                            static_cast<double>(Cnv.Deglitch_Win)));
  return DeglitchSub(in, out, list, count);
}

int32_t DeglitchSub(int in, int out, const char* list, int32_t count) {
  platform::TextFileReader reader(499);
  if (!reader.Open(list)) {
    core_io::Warning(StrPrintf("FAILED TO OPEN ASCII FILE [%s] FOR READING\n\nABORTING", list));
    return 0;
  }
  std::vector<int32_t> index;
  std::vector<float> value;
  if (count > 0) {
    try {
      index.reserve(static_cast<size_t>(count));
      value.reserve(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
      core_io::Error("DeglitchSub()/Xvs_lpt/Yvs_fpt - CORE ALLOCATION ERROR");
      return 0;
    }
    std::string line;
    while (static_cast<int32_t>(index.size()) < count && reader.ReadLineStart(line)) {
      const char* p = line.c_str();
      int32_t at = 0;
      double v = 0.0;
      if (!core_io::ScanLong(p, &at) || !core_io::ScanDouble(p, &v)) continue;
      index.push_back(at);
      value.push_back(static_cast<float>(v));
    }
  }
  reader.Close();
  FloatBlock block;
  if (QvAllocFailed(FAlloc1Dim(&block.p, FFT_FILE_BLOCK))) {
    core_io::Error("DeglitchSub()/tmp_fpt - CORE ALLOCATION ERROR");
    return 0;
  }
  size_t next = 0;
  int64_t base = 0;
  bool ok = true;
  for (;;) {
    const int64_t m = ReadAt(in, base, block.p, FFT_FILE_BLOCK);
    if (m < 0) ok = false;
    if (m <= 0) break;
    while (next < index.size() && index[next] < base) ++next;
    while (next < index.size() && index[next] < base + m) {
      block.p[index[next] - base] = value[next];
      ++next;
    }
    if (!FdWriteAll(out, block.p, static_cast<size_t>(m) * sizeof(float))) {
      ok = false;
      break;
    }
    base += m;
  }
  DeleteFile(list);
  if (!ok) core_io::Warning("DeglitchSub()\n\nFAILED TO COPY THE DATA FILE\n\nABORTING");
  return ok ? 1 : 0;
}
