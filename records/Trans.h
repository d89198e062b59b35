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
  uint32_t Trans_Unwrap_Flag[TRANS_CHN] = {};  // unwrap the phase
  int16_t Trans_RefChn[TRANS_CHN] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};  // phase reference; itself = none
  double Trans_Tukey_Alpha[TRANS_CHN] = {0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01};
  double Trans_FrqSzFactor[TRANS_CHN] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};  // FFT size / time size
  double Trans_ChirpRate[TRANS_CHN] = {2e17, 2e17, 2e17, 2e17, 2e17, 2e17, 2e17, 2e17, 2e17, 2e17};  // Hz/s
  double Trans_Delay[TRANS_CHN] = {1e-9, 1e-9, 1e-9, 1e-9, 1e-9, 1e-9, 1e-9, 1e-9, 1e-9, 1e-9};  // s
  // Model phase P0..P3 in degrees with the trackbar ranges and half-spans.
  double Trans_PhaseCoef[TRANS_CHN][4] = {};
  double Trans_CoefMin[TRANS_CHN][4] = {};
  double Trans_CoefMax[TRANS_CHN][4] = {};
  double Trans_CoefSpan[TRANS_CHN][4] = {
      {360.0, 360.0, 360.0, 360.0}, {360.0, 360.0, 360.0, 360.0}, {360.0, 360.0, 360.0, 360.0},
      {360.0, 360.0, 360.0, 360.0}, {360.0, 360.0, 360.0, 360.0}, {360.0, 360.0, 360.0, 360.0},
      {360.0, 360.0, 360.0, 360.0}, {360.0, 360.0, 360.0, 360.0}, {360.0, 360.0, 360.0, 360.0},
      {360.0, 360.0, 360.0, 360.0}};
  // Values of Trans_Phase_DAry, and of rows 4..6 of Trans_Freq_FAry with the line lists.
  int32_t Trans_PhaseSz[TRANS_CHN] = {};
  int32_t Trans_FitSz[TRANS_CHN] = {};
  // Fitted phase lines: best angle (degrees), peak point (-1 none), half-width in points.
  double* Trans_SimPhaseBest_DAry[TRANS_CHN] = {};
  int32_t* Trans_SimPhasePos_LAry[TRANS_CHN] = {};
  int32_t* Trans_SimPhaseWidth[TRANS_CHN] = {};
  // The untouched transform values read back from the "Re" and "Im" result files, in
  // double (phase update) and float (phase zero), with their lengths.
  double* Trans_FileRe_DAry[TRANS_CHN] = {};
  double* Trans_FileIm_DAry[TRANS_CHN] = {};
  float* Trans_FileRe_FAry[TRANS_CHN] = {};
  float* Trans_FileIm_FAry[TRANS_CHN] = {};
  uint32_t Trans_FileDSz[TRANS_CHN] = {};
  uint32_t Trans_FileFSz[TRANS_CHN] = {};
  // The channel's transform dialog: window, shown flag, trackbar ranges computed,
  // the four trackbars; one guard for the creator.
  HWND Trans_Dlg_Hwnd[TRANS_CHN] = {};
  uint32_t Trans_Dlg_Shown[TRANS_CHN] = {};
  uint32_t Trans_Dlg_RangesSet[TRANS_CHN] = {};
  HWND Trans_Dlg_Track[TRANS_CHN][4] = {};
  uint32_t Trans_Dlg_Guard = 0;
};

extern TransRecord Trans;
