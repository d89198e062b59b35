// The modal FILE CONVERSION dialog (template 211): the nine data channels with their
// input and output files and the parameters of the file operations; an operation
// button runs the file operation engine on every checked channel with the button's
// control id as the operation id. Every value lives in Cnv, Dsp and Win (slot 0).
#pragma once

#include "platform/windows/Window.h"

constexpr int IDD_FILE_CONVERSION = 211;

// Controls of template 211.
constexpr int IDC_CNV_CHECK0 = 2110;     // CNV boxes 2110..2118
constexpr int IDC_CNV_INNAME0 = 1130;    // IN FLNM edits 1130..1138
constexpr int IDC_CNV_INSIZE0 = 1160;    // input sizes 1160..1168 (read-only)
constexpr int IDC_CNV_OUTNAME0 = 2310;   // OUT FLNM edits 2310..2318
constexpr int IDC_CNV_OUTSIZE0 = 2320;   // output sizes 2320..2328 (read-only)
constexpr int IDC_CNV_STAT = 2341;
constexpr int IDC_CNV_LOWLIM = 3502;
constexpr int IDC_CNV_HIGHLIM = 3503;
constexpr int IDC_CNV_PTSAVE = 2333;
constexpr int IDC_CNV_SCALAR = 2334;
constexpr int IDC_CNV_FLIPPT = 2335;
constexpr int IDC_CNV_OFFSET = 2336;
constexpr int IDC_CNV_IO = 2337;
constexpr int IDC_CNV_FFTWIN = 2338;
constexpr int IDC_CNV_DEGLITCH = 2339;
constexpr int IDC_CNV_WINLO = 2353;
constexpr int IDC_CNV_WINHI = 2354;
constexpr int IDC_CNV_RATE = 2355;
constexpr int IDC_CNV_NSTPS = 2351;
constexpr int IDC_CNV_DAMP = 2352;
constexpr int IDC_CNV_SUBNAME = 2331;
constexpr int IDC_CNV_AVENAME = 2340;
constexpr int IDC_CNV_EXT = 2332;
constexpr int IDC_CNV_OPSEQNAME = 2349;
constexpr int IDC_CNV_OPSEQSUB = 2350;
constexpr int IDC_CNV_NETCDFNAME = 2364;
constexpr int IDC_CNV_STPIN = 2356;
constexpr int IDC_CNV_STPOUT = 2357;
constexpr int IDC_CNV_SZIN = 2358;
constexpr int IDC_CNV_SZOUT = 2359;
constexpr int IDC_CNV_LVLLO = 2360;
constexpr int IDC_CNV_LVLHI = 2361;
constexpr int IDC_CNV_PMTNUM = 2362;
constexpr int IDC_CNV_PMTSK = 2363;
// Buttons that are not engine operations.
constexpr int IDC_CNV_APPLY = 30;
constexpr int IDC_CNV_SAVEQVW = 93;
constexpr int IDC_CNV_ANLDIAG = 100;
constexpr int IDC_CNV_CNLDIAG = 106;
constexpr int IDC_CNV_OPEN = 1193;
constexpr int IDC_CNV_SEQFFT = 2004;
constexpr int IDC_CNV_AVEFILES = 2033;
constexpr int IDC_CNV_CROSSCORR = 2064;
constexpr int IDC_CNV_IN2OUT = 2065;
constexpr int IDC_CNV_OUT2IN = 2066;
constexpr int IDC_CNV_NUMSUB = 2067;
constexpr int IDC_CNV_CTRWIN = 10164;
constexpr int IDC_CNV_OPSEQ = 10172;
constexpr int IDC_CNV_NETCDF = 10174;

// The dialog procedure: WM_INITDIALOG is the refresh, WM_COMMAND the commands. Returns
// 1 when it closed the dialog; the dialog's result is the closing command's wParam
// (1 OK, 2 CANCEL).
INT_PTR FileConversionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally over owner (the main menu's Conversion and Ascii Output
// commands); returns the dialog's result, or -1 when it could not be created.
INT_PTR FileConversionDialog(HWND owner);
