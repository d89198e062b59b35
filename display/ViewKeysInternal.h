// Shared helpers of the view commands (ViewKeys.cpp, ViewKeysSim.cpp).
#pragma once

#include <cstdint>

#include "platform/windows/Window.h"

namespace viewkeys {

// Conversion toward zero, saturated to the 32-bit range (NaN gives 0).
int32_t Trunc32(double x);
// Raw points per pixel of level v; a 0.0 in the table becomes 1.0 there.
double Ppp(int16_t v);
// Text of one part of the main status bar.
void MainStatus(int part, const char* text);
// A "Warning" box (0x1030) owned by the main window.
void Warning(const char* text);
// Sends WM_INITDIALOG to a dialog that exists.
void RefreshDialog(HWND dialog);

}  // namespace viewkeys

// The keys that act on the simulation sets ('[', ']', '+', '&', '^', 'c', 'L', 'R',
// 'z', 'Z', 'j', 'J', ' ', 'k', 'K'); other keys are left alone.
void ViewKeySim(HWND window, int32_t key);
// 'L' (labels drawn) and, for 'l', the assigned-only labels switch: flips it and
// refreshes the simulation control dialog.
void ViewKeySimLabelSwitch(bool assignedOnly);
// 'j': the cursor window becomes the window in which set s and the other displayed
// sets look for assignment candidates (centred first under AUTO CTR).
void ViewKeySimSelectWindow(int16_t s);
