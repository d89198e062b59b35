// The child windows of a channel: a time-domain, a frequency-domain and a data
// window per channel row 0..9, top-level pop-ups owned by the main window, each with
// a ten-button toolbar (id 50) and a four-part status bar (id 101). Their procedures
// share one family of messages and view commands 70..85; what a window shows is drawn
// by PaintChildWindow (display/ChildPaint.h).
#pragma once

#include <cstdint>

#include "platform/windows/Window.h"

constexpr int IDC_CHILD_TOOLBAR = 50;
constexpr int IDC_CHILD_STATUSBAR = 101;
inline constexpr const char* CHILD_CLASS_NAMES[3] = {"TIME DOMAIN WINDOW", "FREQ DOMAIN WINDOW",
                                                     "DATA PROCESSING WINDOW"};

// Child commands (WM_COMMAND ids).
constexpr int IDC_CHILD_INFO = 70;
constexpr int IDC_CHILD_SCALE_UP = 71;
constexpr int IDC_CHILD_SCALE_DOWN = 72;
constexpr int IDC_CHILD_EXPAND = 73;
constexpr int IDC_CHILD_CONTRACT = 74;
constexpr int IDC_CHILD_FORWARD = 75;
constexpr int IDC_CHILD_BACK = 76;
constexpr int IDC_CHILD_MARK_LOW = 82;
constexpr int IDC_CHILD_MARK_HIGH = 83;
constexpr int IDC_CHILD_SUBCHN = 84;
constexpr int IDC_CHILD_FIX_OFS = 85;

// Registers the kind's class, creates the window of channel chn at its stored place
// and shows it. 1, or 0 after an "Error" box.
int32_t InitChildInstance(int16_t chn, int16_t kind);

// open 1: creates the window when needed, repaints it and sends it command 70;
// otherwise destroys it. 1 when open is 1 and the window exists, else 0.
int32_t ChildWindowOpenClose(int16_t open, int16_t chn, int16_t kind);

// The child's toolbar (result) and status bar (into Win.hWnd_ChildStatus).
HWND CreateChildToolBarStatusBar(HWND parent, int16_t chn, int16_t kind);

LRESULT TimeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT FreqWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DataWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The readout text the window writes to status part 0 for the mouse at client (x, y).
void ChildReadoutText(int16_t chn, int16_t kind, int32_t x, int32_t y, char* text, size_t size);
