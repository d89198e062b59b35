// The modal CALIBRATION, NORMALIZATION & LINEARIZATION dialog (template 112): peak and
// step finding on the ramp file, the marker file, normalisation by a power file, the
// power fit, the saturation fit and correction and the marker linearisation. It shows
// and stores settings of Cnl, Cnv (slot 0), Win and Dsp; each button runs the routine
// of its subsystem on channel 0 and child window 0 (the time window).
#pragma once

#include "platform/windows/Window.h"

constexpr int IDD_CAL_NORM_LIN = 112;

// CALIBRATION.
constexpr int IDC_CNL_RAMPNAME = 6100;
constexpr int IDC_CNL_RAMPSIZE = 6101;
constexpr int IDC_CNL_MKSNAME = 6102;
constexpr int IDC_CNL_PTSAVE = 6103;
constexpr int IDC_CNL_CUTSCALAR = 6104;
constexpr int IDC_CNL_MKSPTSFSR = 6106;
constexpr int IDC_CNL_RMSLIN = 6107;
constexpr int IDC_CNL_POINTS = 6108;
constexpr int IDC_CNL_STPDIF = 6110;
constexpr int IDC_CNL_STPPTSFSR = 6112;
constexpr int IDC_CNL_DSP = 6114;
constexpr int IDC_CNL_INV = 6115;
constexpr int IDC_CNL_SCALEDIFF = 6116;
constexpr int IDC_CNL_FLOATMIN = 6117;
constexpr int IDC_CNL_ALLAN = 6118;
constexpr int IDC_CNL_LOGLOG = 6119;
constexpr int IDC_CNL_TTL = 6120;
constexpr int IDC_CNL_INTVPTS = 6121;
constexpr int IDC_CNL_XSCALAR = 6122;
// NORMALIZATION.
constexpr int IDC_CNL_NRMIN = 6300;
constexpr int IDC_CNL_NRMINSIZE = 6301;
constexpr int IDC_CNL_NRMOUT = 6302;
constexpr int IDC_CNL_NRMOUTSIZE = 6303;
constexpr int IDC_CNL_NRMPOW = 6304;
constexpr int IDC_CNL_NRMPOWSIZE = 6305;
constexpr int IDC_CNL_VC = 6306;
constexpr int IDC_CNL_VM = 6307;
constexpr int IDC_CNL_VS = 6308;
constexpr int IDC_CNL_VP = 6309;
constexpr int IDC_CNL_RELATIVE = 6310;
constexpr int IDC_CNL_NRMINV = 6311;
constexpr int IDC_CNL_AC = 6312;
constexpr int IDC_CNL_REJLVL = 6313;
constexpr int IDC_CNL_FFTWIN = 2338;
// SATURATION.
constexpr int IDC_CNL_SATNSIG = 6315;
constexpr int IDC_CNL_SATNPOW = 6316;
constexpr int IDC_CNL_SATNA = 6317;      // A, M, B: 6317..6319
constexpr int IDC_CNL_SATNUNC = 6320;    // their uncertainties: 6320..6322
constexpr int IDC_CNL_SATNIN = 6323;
constexpr int IDC_CNL_SATNOUT = 6324;
constexpr int IDC_CNL_SATNCORR = 6325;   // correction A, M, B: 6325..6327
// LINEARIZATION and range.
constexpr int IDC_CNL_LININ = 6200;
constexpr int IDC_CNL_LININSIZE = 6201;
constexpr int IDC_CNL_LINOUT = 6202;
constexpr int IDC_CNL_LINOUTSIZE = 6203;
constexpr int IDC_CNL_NEAR = 6204;
constexpr int IDC_CNL_INIT = 6205;
constexpr int IDC_CNL_FINAL = 6206;
constexpr int IDC_CNL_FSR = 6207;
constexpr int IDC_CNL_PTSFSR = 6208;
constexpr int IDC_CNL_FRQSTP = 6209;
constexpr int IDC_CNL_LIMSTAT = 2341;
constexpr int IDC_CNL_LOWLIM = 3502;
constexpr int IDC_CNL_HIGHLIM = 3503;
// Buttons.
constexpr int IDC_CNL_ANLDIAG = 100;
constexpr int IDC_CNL_CNVDIAG = 103;
constexpr int IDC_CNL_APPLY = 30;
constexpr int IDC_CNL_PEAKFIND = 2025;
constexpr int IDC_CNL_STPFIND = 2026;
constexpr int IDC_CNL_NORMALIZE = 2028;
constexpr int IDC_CNL_POS2FRQ = 2061;
constexpr int IDC_CNL_LSF = 2069;
constexpr int IDC_CNL_CREATE = 2072;
constexpr int IDC_CNL_SATNFIT = 2077;
constexpr int IDC_CNL_SATNCORRECT = 2078;
constexpr int IDC_CNL_LINEARIZE = 6210;

// The dialog procedure: WM_INITDIALOG is the refresh, WM_COMMAND the commands. Returns
// 1 when it closed the dialog; the dialog's result is the closing command's wParam
// (1 OK, 2 CANCEL).
INT_PTR CalNormLinDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
