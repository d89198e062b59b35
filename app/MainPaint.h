// Painting of the main window: the one-time start-up on the first paint, then the
// paper of the plot area. The traces, simulations and cursor arrive with the painting
// of the data display, which takes this function over.
#pragma once

#include <cstdint>

#include "platform/Window.h"

// mode 2: the screen (inside WM_PAINT); mode 3: a printer page on printerDC.
void PaintParentWindowPaper(int32_t mode, HWND window, HWND toolbar, HDC printerDC);
// True when the per-channel drawing arrays exist (start-up succeeded); painting draws
// nothing into the plot otherwise.
bool ChannelDrawArraysReady();
// True when the shared drawing arrays (page, sum, child and renderer arrays) exist.
bool SharedDrawArraysReady();
