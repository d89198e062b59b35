// Time/frequency transform state of each data channel (index 9 is not used): the
// time file, the transform switches, the result arrays the child windows draw and the
// channel's transform dialog.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

constexpr int TRANS_CHN = 10;
constexpr int TRANS_ARYS = 7;  // 0 magnitude, 1 real, 2 imaginary, 3 phase, 4..6 phase fit

struct TransRecord {
  uint32_t Trans_Stat[TRANS_CHN] = {};         // the channel's time window shows its time file
  char Trans_TimeFlnm[TRANS_CHN][200] = {};    // time-domain file
  uint32_t Trans_TimeSz[TRANS_CHN] = {};       // points of the time data
  uint32_t Trans_Fft_Flag[TRANS_CHN] = {};     // transform requested; 1 only while the last one succeeded
  uint32_t Trans_Tukey_Flag[TRANS_CHN] = {};   // taper the marked interval
  uint32_t Trans_ReImPh_Flag[TRANS_CHN] = {};  // real, imaginary and phase arrays loaded
  uint32_t Trans_Res_Flag[TRANS_CHN] = {};     // phase fit shown, only while fitted lines exist
  uint32_t Trans_FitLines[TRANS_CHN] = {};     // fitted phase lines
  uint32_t Trans_Dlg_Wanted[TRANS_CHN] = {};   // the transform dialog is to be shown
  uint32_t Trans_FrqSzEntry[TRANS_CHN] = {200000, 200000, 200000, 200000, 200000,
                                          200000, 200000, 200000, 200000, 200000};
  int32_t Trans_FreqSz[TRANS_CHN] = {};        // values of the transform arrays (FFT size)
  // Result arrays: magnitude, real, imaginary, phase, then the fitted phase at the line
  // positions (0 elsewhere), the working phase and the combined phase.
  float* Trans_Freq_FAry[TRANS_CHN][TRANS_ARYS] = {};
  double* Trans_Phase_DAry[TRANS_CHN] = {};    // double-precision phase
  double Trans_Cycs[TRANS_CHN] = {3.0, 3.0, 3.0, 3.0, 3.0, 3.0, 3.0, 3.0, 3.0, 3.0};  // phase scale q
  HWND Trans_Dlg_Hwnd[TRANS_CHN] = {};
  uint32_t Trans_Dlg_Shown[TRANS_CHN] = {};
};

extern TransRecord Trans;
