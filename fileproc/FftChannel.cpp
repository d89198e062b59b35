// The channel transform of the time/frequency views: the FFT interval of the channel's
// time file into the four result files, loaded into the channel's Trans arrays.
#include <cmath>
#include <string>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fileproc/FftInternal.h"
#include "fileproc/Fourier.h"
#include "platform/windows/Controls.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Cnl.h"
#include "records/Trans.h"
#include "records/Win.h"

void TransChildStatus(int16_t chn, int16_t view, int32_t part, const std::string& text) {
  HWND bar = Win.hWnd_ChildStatus[chn][view];
  if (bar && IsWindow(bar))
    SendMessage(bar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}

bool TransReadFloats(const std::string& name, float** array, uint32_t* count) {
  *count = 0;
  return ManBinFileRead(name.c_str(), nullptr, array, nullptr, BIN_ELEM_FLOAT, 0, 0, count, 1) == 1 && *count > 0;
}

bool TransReadDoubles(const std::string& name, double** array, uint32_t* count) {
  *count = 0;
  return ManBinFileRead(name.c_str(), nullptr, nullptr, array, BIN_ELEM_FLOAT, 0, 0, count, 1) == 1 && *count > 0;
}

void TransChannelFree(int16_t chn) {
  if (!TransValidChn(chn) && chn != 9) return;
  for (float*& row : Trans.Trans_Freq_FAry[chn]) FFree1Dim(&row);
  DFree1Dim(&Trans.Trans_Phase_DAry[chn]);
  DFree1Dim(&Trans.Trans_SimPhaseBest_DAry[chn]);
  LFree1Dim(&Trans.Trans_SimPhasePos_LAry[chn]);
  LFree1Dim(&Trans.Trans_SimPhaseWidth[chn]);
  DFree1Dim(&Trans.Trans_FileRe_DAry[chn]);
  DFree1Dim(&Trans.Trans_FileIm_DAry[chn]);
  FFree1Dim(&Trans.Trans_FileRe_FAry[chn]);
  FFree1Dim(&Trans.Trans_FileIm_FAry[chn]);
  Trans.Trans_FreqSz[chn] = 0;
  Trans.Trans_PhaseSz[chn] = 0;
  Trans.Trans_FitSz[chn] = 0;
  Trans.Trans_FitLines[chn] = 0;
  Trans.Trans_FileDSz[chn] = 0;
  Trans.Trans_FileFSz[chn] = 0;
}

namespace {

// Reads rows 1..3 (Re, Im, Ph) of the channel's result files; each must hold the
// magnitude's length.
bool ReadViews(int16_t c, const std::string& base) {
  static constexpr const char* kSuffix[3] = {"Re", "Im", "Ph"};
  for (int r = 1; r <= 3; ++r) {
    uint32_t len = 0;
    if (!TransReadFloats(base + kSuffix[r - 1], &Trans.Trans_Freq_FAry[c][r], &len)) return false;
    if (len != static_cast<uint32_t>(Trans.Trans_FreqSz[c])) {
      core_io::Error(StrPrintf("FFTwExpChnTransform()\n\nFFT FILE SZ=[%ld] != STORED SZ=[%ld]\n\nABORTING",
                               static_cast<long>(len), static_cast<long>(Trans.Trans_FreqSz[c])));
      return false;
    }
  }
  return true;
}

}  // namespace

int32_t FFTwExpChnTransform(int16_t chn, int16_t view) {
  if (!TransValidChn(chn) || view < 0 || view > 2) return 0;
  const int16_t c = chn;
  int32_t lo = Win.Fft_LimLo[c];
  int32_t hi = Win.Fft_LimHi[c];
  if (lo == hi) {
    lo = 0;
    hi = static_cast<int32_t>(Cnl.Pt_Cnt[c][view]);
  }
  if (lo >= hi) {
    Trans.Trans_ReImPh_Flag[c] = 0;
    core_io::Warning(StrPrintf(
        "EXP CHN=[%d]\n\nVALID FFT INTERVAL MUST BE DEFINED USING MARKS\n\nCURRENT FFT INTV=[%ld] [%ld]\n\nABORTING", c,
        static_cast<long>(lo), static_cast<long>(hi)));
    return 0;
  }
  const double dt = Cnl.Horz_Intv[c][view];
  if (Trans.Trans_TimeSz[c] == 0 || dt == 0.0) {
    Trans.Trans_ReImPh_Flag[c] = 0;
    core_io::Warning(StrPrintf("EXP CHN=[%d]\n\nTIME DOMAIN FILE SIZE ZERO | HORZ INTERVAL ZERO\n\nABORTING", c));
    return 0;
  }
  const double size = std::trunc(Trans.Trans_TimeSz[c] * Trans.Trans_FrqSzFactor[c] + 0.5);
  // A size beyond the transform's range is refused as smaller than the section.
  const int32_t n = size >= 0.0 && size < 2147483647.0 ? static_cast<int32_t>(size) : -1;
  const std::string base = Trans.Trans_TimeFlnm[c];
  if (FFTwConvertFileAry(base.c_str(), lo, hi, n, static_cast<int32_t>(Trans.Trans_Tukey_Flag[c]),
                         Trans.Trans_Tukey_Alpha[c], 0) != 1) {
    Trans.Trans_ReImPh_Flag[c] = 0;
    return 0;
  }
  Cnl.Horz_Intv[c][1] = 1.0 / (dt * 1e6 * Trans.Trans_TimeSz[c] * Trans.Trans_FrqSzFactor[c]);

  uint32_t len = 0;
  const std::string ma = base + "Ma";
  if (!TransReadFloats(ma, &Trans.Trans_Freq_FAry[c][0], &len)) {
    Trans.Trans_ReImPh_Flag[c] = 0;
    return 0;
  }
  Trans.Trans_FreqSz[c] = static_cast<int32_t>(len);
  Trans.Trans_FrqSzEntry[c] = len;
  Cnl.Pt_Cnt[c][1] = len;
  Cnl.Pt_Cnt[c][2] = len;
  // The transform replaces the values the phase arrays were made from, whether or not
  // its views can be read below; a phase set up before is laid on the new views again
  // (only while the views are loaded, so that a transform without them still succeeds).
  const bool phased = Trans.Trans_Phase_DAry[c] != nullptr;
  DFree1Dim(&Trans.Trans_Phase_DAry[c]);
  Trans.Trans_PhaseSz[c] = 0;
  Trans.Trans_FileDSz[c] = 0;
  if (Trans.Trans_ReImPh_Flag[c] == 1 && !ReadViews(c, base)) {
    Trans.Trans_ReImPh_Flag[c] = 0;
    return 0;
  }
  TransChildStatus(c, 1, 3,
                   StrPrintf("FILES [%s]+[%s] READ: MIN=[%le] MAX=[%le]", ma.c_str(),
                             Trans.Trans_ReImPh_Flag[c] == 1 ? "Re+Im+Ph" : "", Cnl.Y_Min[c][1][0],
                             Cnl.Y_Max[c][1][0]));
  if (phased && Trans.Trans_ReImPh_Flag[c] == 1) return FFTwPhaseShift(c, 0, Trans.Trans_FreqSz[c]);
  return 1;
}
