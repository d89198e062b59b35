// The modal ASCII DATA INPUT CONVERSION dialog (template 103): the interactive front
// end of CnvA2BFile. The user opens a text table, picks its lines and columns, sees
// the probed input range at once, sets the output grid and up to three output files
// and converts them onto display channels 1 to 3. Every setting is a Cnv field.
#pragma once

#include "platform/windows/Window.h"

constexpr int IDD_ASCII_INPUT = 103;

constexpr int IDC_ASC_FLNM = 10120;
constexpr int IDC_ASC_OUTNAME1 = 10122;  // 10122..10124
constexpr int IDC_ASC_OUTSIZE1 = 10126;  // 10126..10128
constexpr int IDC_ASC_INLO = 10129;
constexpr int IDC_ASC_INHI = 10130;
constexpr int IDC_ASC_OUTLO = 10131;
constexpr int IDC_ASC_OUTHI = 10132;
constexpr int IDC_ASC_REGLO_FRQ = 10133;
constexpr int IDC_ASC_REGHI_FRQ = 10134;
constexpr int IDC_ASC_OUTRES = 10135;
constexpr int IDC_ASC_FRQSCL = 10136;
constexpr int IDC_ASC_FRQOFS = 10137;
constexpr int IDC_ASC_OUTPTS = 10138;
constexpr int IDC_ASC_MEMREQ = 10139;
constexpr int IDC_ASC_FIRST = 10140;
constexpr int IDC_ASC_FIRSTLINE = 10141;
constexpr int IDC_ASC_LAST = 10142;
constexpr int IDC_ASC_LASTLINE = 10143;
constexpr int IDC_ASC_ACCEPTED = 10144;
constexpr int IDC_ASC_INRES = 10145;
constexpr int IDC_ASC_MINSTP = 10146;
constexpr int IDC_ASC_MAXSTP = 10147;
constexpr int IDC_ASC_REMOVED = 10148;
constexpr int IDC_ASC_GAPS = 10149;
constexpr int IDC_ASC_STICK = 10150;
constexpr int IDC_ASC_SUBST = 10151;
constexpr int IDC_ASC_EMPTY = 10152;
constexpr int IDC_ASC_SHOWREGION = 10153;
constexpr int IDC_ASC_ADD1 = 10155;  // 10155..10157
constexpr int IDC_ASC_INVY = 10158;
constexpr int IDC_ASC_ITNSCL = 10159;
constexpr int IDC_ASC_ITNOFS = 10160;
constexpr int IDC_ASC_CHRSKIP = 10161;
constexpr int IDC_ASC_OPEN = 10162;
constexpr int IDC_ASC_CONVERT = 10163;
constexpr int IDC_ASC_SORT = 10165;
constexpr int IDC_ASC_FTMW = 115;
constexpr int IDC_ASC_APPLY = 30;
constexpr int IDC_ASC_REGLO = 3502;
constexpr int IDC_ASC_REGHI = 3503;
// Column radios: group g (0 X, 1..3 Y1..Y3), button b (0 NONE, 1..4 the field).
constexpr int IDC_ASC_COLUMN0 = 10000;
constexpr int AsciiColumnRadio(int group, int button) { return IDC_ASC_COLUMN0 + 5 * group + button; }
// Scroll bars beside FIRST, LAST and the two region points.
constexpr int IDC_ASC_BAR_FIRST = 20;
constexpr int IDC_ASC_BAR_LAST = 21;
constexpr int IDC_ASC_BAR_REGLO = 22;
constexpr int IDC_ASC_BAR_REGHI = 23;

// WM_INITDIALOG refreshes, WM_COMMAND and WM_VSCROLL run the commands; returns 1
// when it closed the dialog (result 1 OK, 2 CANCEL).
INT_PTR AsciiInputDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
