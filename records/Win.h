// The main-window record. The main window owns every message box of the system.
// Further fields (toolbar, status bar, child windows, drawing arrays, ...) join as the
// code that uses them lands.
#pragma once

#include "platform/WinTypes.h"

struct WinRecord {
  HWND hWnd_Main = nullptr;  // the main window
};

extern WinRecord Win;
