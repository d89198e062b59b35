#include "fit/LineFit.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fileproc/FileOps.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnl.h"

namespace {

// The values [first, end) of a float file, those it holds of a range past its end;
// false after the reader's own message, or after naming a point without a value (the
// fit would spread it over its result).
bool ReadRange(const char* name, int32_t first, int32_t end, std::vector<double>* out) {
  float* values = nullptr;
  uint32_t n = 0;
  const int32_t ok = ManBinFileRead(name, nullptr, &values, nullptr, BIN_ELEM_FLOAT, static_cast<uint32_t>(first),
                                    static_cast<uint32_t>(end), &n, 1);
  const int64_t size = BinFileElements(name, BIN_ELEM_FLOAT);
  if (size >= 0 && n > size - first) n = static_cast<uint32_t>(std::max<int64_t>(size - first, 0));
  if (ok == 1 && values) out->assign(values, values + n);
  FFree1Dim(&values);
  if (ok != 1) return false;
  const auto bad = std::find_if(out->begin(), out->end(), [](double v) { return ViewValueMissing(static_cast<float>(v)); });
  if (bad == out->end()) return true;
  core_io::Warning(StrPrintf("LsfPowerNrm()\n\nFIT DATA [%s]\n\nPOINT [%lld] HAS NO VALUE [%s]\n\nFIT ABORTED", name,
                             static_cast<long long>(first) + (bad - out->begin()), MissingValueText(*bad).c_str()));
  return false;
}

// The values of the file less its smoothed baseline, which the smoothing operation
// writes to a temporary file. False when the operation fails (after its own box).
bool WithoutBaseline(int16_t slot, const char* name, int32_t first, int32_t end, std::vector<double>* out) {
  char temp[OSI_NAME_SIZE] = "";
  if (GetTempFileName(".", "__qv", 0, temp) == 0) {
    core_io::Warning(StrPrintf("LsfPowerNrm()\n\nUNABLE TO COPY FILE [%s]", name));
    return false;
  }
  // Smoothed into a file of its own rather than in place, the operation leaves no
  // temporary file behind when it fails.
  char in[OSI_NAME_SIZE], outName[OSI_NAME_SIZE];
  StrCopy(in, name);
  StrCopy(outName, temp);
  std::vector<double> baseline;
  const bool ok = OSIFile(slot, -1, OSI_SMOOTH, in, outName, 1, 0, 0) == 1 &&
                  ReadRange(name, first, end, out) && ReadRange(temp, first, end, &baseline) &&
                  baseline.size() == out->size();
  DeleteFile(temp);
  if (!ok) return false;
  for (size_t i = 0; i < out->size(); ++i) (*out)[i] -= baseline[i];
  return true;
}

}  // namespace

int32_t LsfPowerNrm(int16_t slot, const char* signal, const char* power, int32_t first, int32_t end, double level) {
  if (first < 0 || end < 0 || (end != 0 && end <= first)) first = end = 0;
  std::vector<double> y, x;
  const bool ac = Cnl.AcStat == 1;
  const bool read = ac ? WithoutBaseline(slot, signal, first, end, &y) && WithoutBaseline(slot, power, first, end, &x)
                       : ReadRange(signal, first, end, &y) && ReadRange(power, first, end, &x);
  if (!read) return 0;
  const size_t n = std::min(x.size(), y.size());
  double scalar = 1.0, offset = 0.0;
  int32_t kept = 0;
  if (LsfLineFit(static_cast<int32_t>(n), x.data(), y.data(), 1, 1, &scalar, &offset, &kept, level) == 0) return 0;
  // The line fit made the report anew: the normalisation adds its own lines. The
  // report is the normalisation's only result, so one that cannot be read back or
  // rewritten fails it (and the line fit's report stays as it was).
  platform::TextFileWriter log;
  std::vector<std::string> lines;
  bool written = platform::ReadTextLines(LSF_LOG_NAME, &lines) && log.Open(LSF_LOG_NAME);
  for (const std::string& l : lines) written = written && log.Printf("%s\n", l.c_str());
  written = written &&
            log.Printf("POWER NORMALIZATION [%s] = SCALAR x [%s] + OFFSET   AC=[%u]\n", signal, power, ac ? 1u : 0u) &&
            log.Printf("SCALAR=[%.10g]   OFFSET=[%.10g]   POINTS=[%d] OF [%u]\n", scalar, offset, kept,
                       static_cast<uint32_t>(n)) &&
            log.Commit();
  if (!written) {
    core_io::Warning(StrPrintf("LsfPowerNrm()\n\nUNABLE TO WRITE LOG FILE [%s]", LSF_LOG_NAME));
    return 0;
  }
  return 1;
}
