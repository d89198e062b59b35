// The shared message window, the one-line text-input box and the paged value
// tables. Callers fill the shared texts of the display record first:
// Dsp.DspMsgBuffer before DspMsgShow, Dsp.GetTextPrompt and Dsp.GetTextValue
// before GetTextDialog (the answer comes back in Dsp.GetTextValue).
#pragma once

#include <cstdint>

#include "platform/windows/Window.h"

// Dialog templates and controls of the two boxes.
constexpr int IDD_DSP_MSG = 300;
constexpr int IDC_DSP_MSG_TEXT = 301;
constexpr int IDD_GET_TEXT = 302;
constexpr int IDC_GET_TEXT_PROMPT = 303;
constexpr int IDC_GET_TEXT_EDIT = 304;

// show = 1: adds Dsp.DspMsgBuffer to the window and shows it (result 1, or 0 when
// the window cannot be created); show = 0: hides it unless the user pressed OK
// (result 0). Callable from any thread.
int32_t DspMsgShow(int32_t show, HWND owner);
// As DspMsgShow(1, owner) for a message given directly rather than through the
// shared Dsp.DspMsgBuffer, so that threads showing lines at the same time never
// overwrite each other's message.
int32_t DspMsgShowText(const char* text, HWND owner);
INT_PTR DspMsgDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Asks for one word; 1 when confirmed with OK, else 0.
int32_t GetTextDialog();
INT_PTR GetTextDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows n values of fa and/or da in "Info" boxes of per_box items laid out in
// columns running downwards. Returns 1.
int32_t DisplayTableFormat(int32_t enable, const char* header, int32_t columns, int32_t perBox, int32_t n,
                           const float* fa, const double* da, int16_t exponent, double scale);
