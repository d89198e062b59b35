// Demodulation of an on/off modulated intensity channel by its phase channel.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "convert/calib/AomCalib.h"
#include "convert/calib/CalibCommon.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/AomSettings.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/ThzSettings.h"

namespace {

using core_io::Warning;

enum Role { kIn, kPhase, kOut, kRoles };

int32_t Demodulate(int16_t set, int64_t low, int64_t high) {
  if (set < 0 || set >= CNV_SLOTS) {
    Warning(StrPrintf("DemodProc()\n\nINVALID SET=[%d]\n\nABORTING", set));
    return 0;
  }
  const int16_t index[kRoles] = {ThzSettings.InChn, AomSettings.PhaseChn, ThzSettings.OutChn};
  const char* name[kRoles] = {};
  for (int r = 0; r < kRoles; ++r) {
    if (index[r] < 0 || index[r] >= CNV_CHN) {
      Warning(StrPrintf("DemodProc()\n\nCHANNEL ROLE [%d] HAS NO CHANNEL [%d]\n\nABORTING", r, index[r]));
      return 0;
    }
    name[r] = Cnv.Out_Flnm[set][index[r]];
  }
  // The off averages go to the OUT name with "1", refused before anything is opened
  // when it does not fit.
  char offName[sizeof Cnv.Out_Flnm[0][0]];
  if (!core_io::NameWithSuffix(offName, name[kOut], "1")) return 0;

  core_io::BinIn itn, phase;
  // Both outputs are written beside their names and put in place at the end, so an
  // output named like an input never truncates it before it is read.
  core_io::BinOut on, off;
  for (int16_t c = 0; c < CNV_CHN; ++c) {
    for (int r = 0; r < kRoles; ++r) {
      if (index[r] != c) continue;
      if (r == kIn) {
        if (!itn.Open(name[kIn])) {
          Warning(StrPrintf("FAILED TO OPEN BINARY CALIBRATION FILE [%s] FOR READING", name[kIn]));
          return 0;
        }
        calib::SettleSection(name[kIn], &low, &high);
      } else if (r == kPhase) {
        if (!phase.Open(name[kPhase])) {
          Warning(StrPrintf("FAILED TO OPEN BINARY PHASE FILE [%s] FOR READING", name[kPhase]));
          return 0;
        }
      } else {
        if (platform::FileExists(name[kOut]) &&
            calib::AskYesNoId(StrPrintf("OVERWRITE FILE [%s]?", name[kOut])) != IDYES) {
          core_io::Info(StrPrintf("OUTPUT FILE [%s] NOT OVERWRITTEN", name[kOut]));
          return 0;
        }
        if (!on.Open(name[kOut])) {
          Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING", name[kOut]));
          return 0;
        }
        if (!off.Open(offName)) {
          Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING", offName));
          return 0;
        }
      }
    }
  }
  if (low == high) {
    Warning("MARKED DATA INTERVAL CANNOT BE ZERO\n\nABORTING");
    return 0;
  }
  calib::Work<float> ph, in;
  if (!ph.Alloc(AOM_BLOCK) || !in.Alloc(AOM_BLOCK)) {
    core_io::Error("DemodProc()/ramp_fpt/cal_fpt - CORE ALLOCATION ERROR");
    return 0;
  }
  // The phase signal runs d points behind the intensity.
  const int64_t delay = static_cast<int64_t>(std::trunc(AomSettings.ErrFwhm[0]));
  const int64_t phaseStart = low + delay;
  if (phaseStart < 0) {
    Warning("PREMATURE READ EOF");
    return 0;
  }
  phase.Seek(static_cast<uint64_t>(phaseStart) * sizeof(float));
  itn.Seek(static_cast<uint64_t>(low) * sizeof(float));

  const double cut = AomSettings.MarkerCut;
  bool stateOn = true;
  double sum = 0.0;
  int32_t count = 0;
  float last = 0.0f;  // an empty first half-period gives 0
  for (int64_t pos = low; pos <= high;) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(high - pos + 1, AOM_BLOCK));
    if (phase.Read(ph.p, want, sizeof(float)) < want || itn.Read(in.p, want, sizeof(float)) < want) {
      // The half-periods averaged so far stay in both outputs, unless an output is
      // named like an input, which it must never replace.
      for (const auto& [out, outName] : {std::pair<core_io::BinOut*, const char*>{&on, name[kOut]}, {&off, offName}}) {
        if (platform::SameFile(outName, name[kIn]) || platform::SameFile(outName, name[kPhase]) || !out->Commit()) out->Abort();
      }
      Warning("PREMATURE READ EOF");
      return 0;
    }
    for (size_t j = 0; j < want; ++j) {
      const double a = std::fabs(ph[j]);
      if ((stateOn && a < cut) || (!stateOn && a > cut)) {
        if (count > 0) last = static_cast<float>(sum / count);
        if (!(stateOn ? on : off).Write(&last, sizeof(float))) {
          Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING", stateOn ? name[kOut] : offName));
          return 0;
        }
        stateOn = !stateOn;
        sum = 0.0;
        count = 0;
      }
      sum += in[j];
      ++count;
    }
    pos += static_cast<int64_t>(want);
  }
  if (!on.Commit()) {
    Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING", name[kOut]));
    return 0;
  }
  if (!off.Commit()) {
    Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING", offName));
    return 0;
  }
  return 1;
}

}  // namespace

int32_t DemodProc(int16_t set, int32_t low, int32_t high) {
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "DemodProc()", DEBUG_ENTER);
  const int32_t result = Demodulate(set, low, high);
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "DemodProc()", DEBUG_EXIT);
  return result;
}
