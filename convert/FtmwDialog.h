// The modal FTMW CONVERSION dialog (template 210): an FTMW scan file or a LeCroy
// waveform (".TRC"/".trc") converted into display channel 1's file or, with the ASCII
// box on, into an ASCII table through a temporary float file ("_FTMW.TMP"), the axis
// then put back as it was. Names and the switch live in Cnv and Dsp.
#pragma once

#include "platform/windows/Window.h"

constexpr int IDD_FTMW = 210;

constexpr int IDC_FTMW_INNAME = 10180;
constexpr int IDC_FTMW_OPEN = 10162;
constexpr int IDC_FTMW_BINNAME = 10181;
constexpr int IDC_FTMW_ASCII = 10182;
constexpr int IDC_FTMW_ASCNAME = 10183;
constexpr int IDC_FTMW_CONVERT = 10184;

// The temporary float file of a conversion into an ASCII table.
inline constexpr const char* FTMW_TEMP_NAME = "_FTMW.TMP";

// WM_INITDIALOG refreshes, WM_COMMAND runs the commands; returns 1 when it closed the
// dialog (result 1 OK, 2 CANCEL).
INT_PTR FTMWProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
