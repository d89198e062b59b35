// The modal AOM CALIBRATION dialog (template 110): roles of the nine channel files of
// block 0 of the conversion record's output names, the settings of the AOM
// calibration, the demodulation and the THz linearisation, and the buttons that run
// them. Every value lives in AomSettings, ThzSettings, Cnv, Cnl and Win (slot 0).
#pragma once

#include "platform/windows/Window.h"

constexpr int IDD_AOM_CALIBRATION = 110;

// Channel table, rows 0..8: base + row.
constexpr int IDC_AOM_NAME0 = 2310;   // FILENAME edits
constexpr int IDC_AOM_SIZE0 = 1160;   // sizes (static)
constexpr int IDC_AOM_IN0 = 3310;     // IN radios
constexpr int IDC_AOM_OUT0 = 3410;    // OUT radios
constexpr int IDC_AOM_CAL0 = 3100;    // CAL radios
constexpr int IDC_AOM_ERR0 = 3110;    // ERR radios (channel of the current error set)
constexpr int IDC_AOM_MRK0 = 3210;    // MRK radios
constexpr int IDC_AOM_PHASE0 = 3610;  // PHASE radios
// AOM settings.
constexpr int IDC_AOM_RFSCALAR = 3504;
constexpr int IDC_AOM_ERRMIN = 3505;
constexpr int IDC_AOM_ERRMAX = 3506;
constexpr int IDC_AOM_ERRZERO = 3507;
constexpr int IDC_AOM_ERRFWHM = 3508;
constexpr int IDC_AOM_MKCAL = 3509;
constexpr int IDC_AOM_MRZERO = 3510;
constexpr int IDC_AOM_OUTRESOL = 3511;
constexpr int IDC_AOM_MARKERCUT = 3512;
constexpr int IDC_AOM_INTERP = 3513;
constexpr int IDC_AOM_RAMPSTAT = 3514;
constexpr int IDC_AOM_REV = 3515;
constexpr int IDC_AOM_ERRCHN = 3516;
constexpr int IDC_AOM_EO = 3517;
constexpr int IDC_AOM_JMPWIN = 3518;
constexpr int IDC_AOM_MKPOSNAME = 6102;
constexpr int IDC_AOM_RFHIGH = 7103;
constexpr int IDC_AOM_RFLOW = 7104;
constexpr int IDC_AOM_VOLTLOW = 7105;
constexpr int IDC_AOM_VOLTHIGH = 7106;
constexpr int IDC_AOM_RAMPNAME = 7150;
// THz settings.
constexpr int IDC_AOM_CALNAME = 3050;
constexpr int IDC_AOM_INFRQSTP = 3051;
constexpr int IDC_AOM_OUTFRQSTP = 3052;
constexpr int IDC_AOM_BEGFRQ = 3053;
constexpr int IDC_AOM_ENDFRQ = 3054;
constexpr int IDC_AOM_TOTINTV = 3055;
constexpr int IDC_AOM_INTVSIZE = 3056;
constexpr int IDC_AOM_LOWERMK = 3058;
constexpr int IDC_AOM_UPPERMK = 3059;
constexpr int IDC_AOM_FFT = 2338;
constexpr int IDC_AOM_FSRSCALAR = 3061;
constexpr int IDC_AOM_MRKSTAT = 3062;
constexpr int IDC_AOM_LOCKSTAT = 3063;
constexpr int IDC_AOM_REPEATNAME = 3064;
constexpr int IDC_AOM_MINRES = 3065;
// Range.
constexpr int IDC_AOM_LIMSTAT = 2341;
constexpr int IDC_AOM_LOWLIM = 3502;
constexpr int IDC_AOM_HIGHLIM = 3503;
// Buttons.
constexpr int IDC_AOM_APPLY = 30;
constexpr int IDC_AOM_AOMCAL = 3005;
constexpr int IDC_AOM_DEMOD = 3006;
constexpr int IDC_AOM_THZ1 = 3007;
constexpr int IDC_AOM_THZ2 = 3008;
constexpr int IDC_AOM_THZ3 = 3009;

// The RF calibration check table written when STAT is switched on.
constexpr const char* AOM_RAMP_TEST_NAME = "AomRmp_Test.dat";

// The dialog procedure: WM_INITDIALOG is the refresh, WM_COMMAND the commands. Returns
// 1 when it closed the dialog; the dialog's result is the closing command's wParam
// (1 OK, 2 CANCEL).
INT_PTR AomCalibrationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
