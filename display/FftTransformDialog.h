// The modeless "TIME/FREQ TRANSFORM PRMS" dialog (template 1270), one per channel: the
// channel's time file, horizontal interval, FFT size, Tukey taper, unwrapping,
// reference channel, chirp rate and delay of the model phase, four trackbars for its
// coefficients and the PHASE FIT button. Every value lives in the Trans record.
#pragma once

#include <cstdint>

#include "platform/windows/Window.h"

constexpr int IDD_FFT_TRANSFORM = 1270;
constexpr int IDC_FT_SWATCH = 60;
constexpr int IDC_FT_STAT = 1209;
constexpr int IDC_FT_FFT = 1210;
constexpr int IDC_FT_TIMEFLNM = 1211;
constexpr int IDC_FT_REIMPH = 1212;
constexpr int IDC_FT_TUKEY = 1213;
constexpr int IDC_FT_TUKEY_ALPHA = 1214;
constexpr int IDC_FT_HORZ_INTV = 1215;
constexpr int IDC_FT_ASSOC = 1216;
constexpr int IDC_FT_RATE = 1217;
constexpr int IDC_FT_DELAY = 1218;
constexpr int IDC_FT_UNWRAP = 1219;
constexpr int IDC_FT_FRQSZ = 1220;
constexpr int IDC_FT_PHASE_FIT = 1221;
constexpr int IDC_FT_RES = 1222;
constexpr int IDC_FT_CYCS = 1223;
constexpr int IDC_FT_MAX = 1230;    // 1230..1233: trackbar maxima
constexpr int IDC_FT_MIN = 1234;    // 1234..1237: trackbar minima
constexpr int IDC_FT_COEF = 1238;   // 1238..1241: PHASE^0..PHASE^3
constexpr int IDC_FT_TRACK = 40;    // 40..43: TrackBarA..TrackBarD
constexpr int IDC_FT_X2 = 50000;    // 50000, 50002, 50004, 50006
constexpr int IDC_FT_HALF = 50001;  // 50001, 50003, 50005, 50007
constexpr int IDC_FT_CENTER = 1353;

// show 1 creates the channel's dialog once (owner given; failure: "Error" box "FAILED
// TO CREATE FFT TRANSFORMATION DIALOG" and result 0), refreshes it and shows it; show 0
// hides it. Returns show, or 0 when creation failed; a call made while another is
// still inside does nothing.
uint32_t FftTransformDialogCreate(int16_t chn, uint32_t show, HWND owner);
// The procedure of every channel's dialog; it finds its channel among the nine dialog
// handles of Trans and ignores a window that is none of them.
INT_PTR FftTransformDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
