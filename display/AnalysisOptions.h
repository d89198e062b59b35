// The modal "ANALYSIS OPTIONS DIALOG" (template 101): per channel the display flag,
// data file, digital flag, scalar, offset, colour and transform window; the active
// channel; the view kind and pages of each view level; the frequency axis, units and
// harmonic; date, time and comment; drawing options. The view-file thread is stopped
// (and waited for) before the channel files, kinds or pages change, and started again
// afterwards.
#pragma once

#include "platform/windows/Window.h"

constexpr int IDD_ANALYSIS_OPTIONS = 101;

// Per-channel rows: the id of channel i is base + i.
constexpr int IDC_AO_ACTIVE = 1100;     // radio "ACT CHN"
constexpr int IDC_AO_DISPLAY = 1110;    // "DSP STAT"
constexpr int IDC_AO_DIGITAL = 1120;    // "DIG STAT"
constexpr int IDC_AO_FILENAME = 1130;
constexpr int IDC_AO_SCALAR = 1140;
constexpr int IDC_AO_OFFSET = 1150;
constexpr int IDC_AO_SIZE = 1160;
constexpr int IDC_AO_TRANSFORM = 1200;  // "T2F FFT"
constexpr int IDC_AO_SWATCH = 60;
constexpr int IDC_AO_COLOR = 20;        // up/down scroll bar "COLOR"
// Single controls.
constexpr int IDC_AO_PAGES = 1170;      // 1170..1172: LOW, MED1, MED2
constexpr int IDC_AO_PAGES_RAW = 1173;
constexpr int IDC_AO_TYPE = 1174;       // 1174..1176: LOW, MED1, MED2
constexpr int IDC_AO_ALL = 1178;
constexpr int IDC_AO_RES_FACTOR = 1180;
constexpr int IDC_AO_PEN_WIDTH = 1181;
constexpr int IDC_AO_WHITE = 1182;
constexpr int IDC_AO_POINTS = 1183;
constexpr int IDC_AO_COMMENT = 1184;
constexpr int IDC_AO_INIT_FRQ = 1185;
constexpr int IDC_AO_FSR = 1186;
constexpr int IDC_AO_PTS_FSR = 1187;
constexpr int IDC_AO_DATE = 1188;
constexpr int IDC_AO_TIME = 1189;
constexpr int IDC_AO_PWD = 1190;
constexpr int IDC_AO_UNITS = 1191;
constexpr int IDC_AO_HARM = 1192;
constexpr int IDC_AO_OPEN = 1193;
constexpr int IDC_AO_TB = 1194;
constexpr int IDC_AO_SEL = 1260;
constexpr int IDC_AO_FIX = 1350;
constexpr int IDC_AO_NUM_TEXT = 2332;
constexpr int IDC_AO_NUM = 2067;
constexpr int IDC_AO_SAVE_QVW = 93;
constexpr int IDC_AO_APPLY = 30;

INT_PTR AnalysisOptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
