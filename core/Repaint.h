// The one repaint function of the whole program.
#pragma once

#include "platform/windows/Window.h"

// Invalidates the whole client area of window (erasing the background when erase
// is TRUE) and updates it at once. tag names the call site and changes nothing.
BOOL RepaintWindow(const char* tag, HWND window, BOOL erase);
