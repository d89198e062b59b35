#include "convert/calib/MarkerWriters.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "convert/calib/AirIndex.h"
#include "core/Coords.h"
#include "core/FileIo.h"
#include "core/FrqAxis.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnl.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

// Longest marker line read by the frequency list.
constexpr size_t kMarkerLine = 255;
// Most wavelengths the AOM wave writer steps through.
constexpr int64_t kMaxWaveSteps = 100000000;

void CreateFailed(const char* name) {
  core_io::Warning(StrPrintf("FAILED TO CREATE ASCII FILE [%s] FOR WRITING", name));
}

// Commits a marker file written in full; false after the warning.
bool Commit(platform::TextFileWriter& out, const char* name) {
  if (out.Commit()) return true;
  CreateFailed(name);
  return false;
}

}  // namespace

int32_t MarkerFileWrite() {
  const char* name = Cnl.Mks_Flnm;
  const int64_t step = Cnl.MkStep;
  if (step < 1) {
    // A step that never advances would never reach the end.
    core_io::Warning(StrPrintf("MARKER FILE [%s]\n\nMARKER STEP=[%lld] MUST BE 1 OR MORE\n\nABORTING", name,
                               static_cast<long long>(step)));
    return 0;
  }
  if (platform::FileExists(name) &&
      !core_io::AskYesNo(StrPrintf("MARKER FILE [%s] EXISTS\n\nOVERWRITE [YES] | ABORT [NO]", name)))
    return 0;
  platform::TextFileWriter out;
  if (!out.Open(name)) {
    CreateFailed(name);
    return 0;
  }
  for (int64_t p = int64_t{Cnl.MkStart} + step; p < Cnl.MkEnd; p += step) out.Printf("%lld\n", static_cast<long long>(p));
  return Commit(out, name) ? 1 : 0;
}

int32_t FrqItnWrite(int16_t chn) {
  if (chn < 0 || chn > 8) return 0;
  const char* dataName = Dsp.Chn_Flnm[chn];
  core_io::BinIn data;
  if (!data.Open(dataName)) {
    core_io::Warning(StrPrintf("FAILED TO OPEN FILE [%s] FOR READING", dataName));
    return 0;
  }
  platform::TextFileWriter out;
  if (!out.Open(FRQITN_FILE_NAME)) {
    core_io::Warning(StrPrintf("FAILED TO OPEN FILE [%s] FOR WRITING", FRQITN_FILE_NAME));
    return 0;
  }
  const int64_t points = static_cast<int64_t>(data.SizeBytes() / sizeof(float));
  core_io::LineIn marks(kMarkerLine);
  if (marks.Open(Cnl.Mks_Flnm)) {
    int32_t position = 0;
    std::string line;
    while (marks.Next(line)) {
      const char* p = line.c_str();
      int32_t value = 0;
      if (core_io::ScanLong(p, &value)) position = value;  // else the previous position again
      // A position outside the channel file has no value to list.
      if (position < 0 || position >= points) continue;
      float intensity = 0.0f;
      data.Seek(static_cast<uint64_t>(position) * sizeof(float));
      if (data.Read(&intensity, 1, sizeof intensity) != 1) continue;
      const double frequency = DisplayPixelToFreq(WIN_RAW, position);
      out.Printf("%16.8lf %16.8f\n", frequency, static_cast<double>(intensity));
    }
  }
  if (!out.Commit()) {
    core_io::Warning(StrPrintf("FAILED TO OPEN FILE [%s] FOR WRITING", FRQITN_FILE_NAME));
    return 0;
  }
  core_io::Info(StrPrintf("FRQ/ITN WRITTEN TO FILE [%s]", FRQITN_FILE_NAME));
  return 1;
}

int32_t AomRampMarkerWrite(double base, double step) {
  const char* name = Cnl.Mks_Flnm;
  platform::TextFileWriter out;
  if (!out.Open(name)) {
    CreateFailed(name);
    return 0;
  }
  core_io::BinIn ramp;
  if (!ramp.Open(Cnl.RampFlnm)) {
    core_io::Warning(StrPrintf("FAILED TO OPEN BINARY FILE [%s] FOR READING", Cnl.RampFlnm));
    return 0;
  }
  std::string values(65536 * sizeof(float), '\0');
  float* block = reinterpret_cast<float*>(values.data());
  double level = base;
  int64_t last = -2;
  int64_t i = 0;
  for (size_t n; (n = ramp.Read(block, 65536, sizeof(float))) > 0;) {
    for (size_t j = 0; j < n; ++j, ++i) {
      if (block[j] < level || i == last + 1) continue;
      out.Printf("%lld\n", static_cast<long long>(i));
      last = i;
      level += step;
    }
  }
  return Commit(out, name) ? 1 : 0;
}

int32_t AomRampWaveWrite(int16_t chn, double startNm, double endNm, double stepNm, double firstWn, double lastWn) {
  const char* name = Cnl.Mks_Flnm;
  if (chn < 0 || chn > 8 || !(stepNm > 0.0) || lastWn == firstWn) {
    core_io::Warning(StrPrintf("AOM RAMP WAVE WRITE\n\nCHN=[%d] STEP=[%lf] WAVENUMBERS=[%lf]-[%lf] INVALID\n\nABORTING",
                               chn, stepNm, firstWn, lastWn));
    return 0;
  }
  platform::TextFileWriter out;
  if (!out.Open(name)) {
    CreateFailed(name);
    return 0;
  }
  const double size = Dsp.FL_SZ[WIN_RAW][chn];
  // Wavelengths by index, so that a step below the resolution cannot stall the loop.
  // The end itself is stepped to, also where the rounding of the wavelengths leaves
  // the quotient short of a whole.
  const double count = FrqWholeSteps(endNm - startNm, stepNm, std::max(std::fabs(startNm), std::fabs(endNm))) + 1.0;
  for (int64_t k = 0; k < count && k < kMaxWaveSteps; ++k) {
    const double w = startNm + static_cast<double>(k) * stepNm;
    double vacuum = w;
    WavelengthAirCorrect(w, 25.0, 760.0, 0.0, 1e-7, &vacuum);
    const double index = std::trunc((1e7 / vacuum - firstWn) / (lastWn - firstWn) * size);
    out.Printf("%lld\n", static_cast<long long>(index));
  }
  return Commit(out, name) ? 1 : 0;
}
