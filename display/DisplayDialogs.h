// The two modeless display control dialogs beside the main window: "DSP SCALAR/OFFSET"
// (template 1200) sets the display scalar and offset of one channel with two
// trackbars, and "CURSOR WINDOW INFO" (template 1330) shows the averages and
// deviations of the data between the cursors. Each is created once by its show/hide
// function, then only shown or hidden, and refreshed with WM_INITDIALOG.
#pragma once

#include <cstdint>

#include "platform/windows/Window.h"

// Template ids and controls.
constexpr int IDD_DSP_SCALAR_OFFSET = 1200;
constexpr int IDD_CURSOR_INFO = 1330;

constexpr int IDC_DD_FILENAME = 1130;   // channel file name
constexpr int IDC_DD_CHN_LIST = 1260;   // channel label
constexpr int IDC_DD_CHN_SCROLL = 20;   // "CHN"
constexpr int IDC_DD_RGB_SCROLL = 21;   // "RGB"
constexpr int IDC_DD_SWATCH = 60;
constexpr int IDC_SO_SCL_VALUE = 1210;
constexpr int IDC_SO_SCL_HIGH = 1204;
constexpr int IDC_SO_SCL_LOW = 1206;
constexpr int IDC_SO_SCL_TRACK = 40;
constexpr int IDC_SO_SCL_X2 = 1213;
constexpr int IDC_SO_SCL_HALF = 1214;
constexpr int IDC_SO_CENTER = 1353;
constexpr int IDC_SO_OFS_VALUE = 1211;
constexpr int IDC_SO_OFS_HIGH = 1205;
constexpr int IDC_SO_OFS_LOW = 1207;
constexpr int IDC_SO_OFS_TRACK = 41;
constexpr int IDC_SO_OFS_X2 = 1217;
constexpr int IDC_SO_OFS_HALF = 1218;
constexpr int IDC_SO_AUTO = 1351;
constexpr int IDC_SO_FIX = 1350;
constexpr int IDC_SO_OPEN = 1193;
constexpr int IDC_CI_AVE_LOW = 1331;
constexpr int IDC_CI_AVE_HIGH = 1332;
constexpr int IDC_CI_DIFF = 1333;
constexpr int IDC_CI_RMS_LOW = 1334;
constexpr int IDC_CI_RMS_HIGH = 1335;
constexpr int IDC_CI_SUM_DEV = 1336;
constexpr int IDC_CI_LOW = 1337;
constexpr int IDC_CI_HIGH = 1338;
constexpr int IDC_CI_FRQ_LOW = 1339;
constexpr int IDC_CI_FRQ_HIGH = 1340;
constexpr int IDC_CI_FRQ_MID = 1341;
constexpr int IDC_CI_ADJ_CROSS = 1342;
constexpr int IDC_CI_INTG = 1343;
constexpr int IDC_CI_CTR_DIFF = 1344;

// Trackbars of the scalar/offset dialog: range -10000 (the high bound) to 0 (the low).
constexpr int SO_TRACK_MIN = -10000;
constexpr int SO_TRACK_MAX = 0;

// show 1: creates the dialog once (failure: an "Error" box and result 0), refreshes it
// and shows it; show 0: hides it. The shown flag follows; the result is the requested
// state. A call made while the same function runs does nothing and returns the
// current shown flag.
uint32_t DisplayScalarOffsetDialogShow(uint32_t show, HWND owner);
uint32_t DisplayCursorInfoDialogShow(uint32_t show, HWND owner);

// Shared body of the modeless show/hide functions: show 1 creates the dialog once from
// the template (failure: "Error" box with the failure text, result 0), refreshes it
// with WM_INITDIALOG and shows it; show 0 hides it. A call while *guard is set does
// nothing and returns *shown.
uint32_t DisplayModelessShow(uint32_t show, HWND owner, HWND* handle, uint32_t* shown, uint32_t* guard,
                             int templateId, DLGPROC procedure, const char* failure);

INT_PTR DspScalarOffsetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CursorInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// A colour-table row moved one step up (dir -1) or down (+1) within 0..10, skipping the
// background row: a step onto it moves two when that stays in range, else nothing.
int16_t DisplayColorStep(int16_t row, int dir);

// Trackbar position of value between low and high: trunc(-10000 (value - low) /
// (high - low)), or trunc(-10000 high) when the bounds are equal. A quotient a rounding
// error away from a whole position is that position, so that the value a position gave
// (DisplayTrackbarValue) puts the thumb back there and a key steps on from it.
int32_t DisplayTrackbarPosition(double value, double low, double high);
// The value a trackbar position stands for: low + (high - low) 0.0001 (-position).
double DisplayTrackbarValue(int32_t position, double low, double high);
