// Calls from the main window and the start-up into the working file (WorkFileRead,
// WorkFileWin95, MainWindowTitleSet), the display initialisation and the view-file
// thread. Each function here is the one call site of such a call.
#pragma once

#include <cstdint>

#include "platform/windows/Window.h"

// WorkFileRead at start-up.
void WiredWorkFileRead();
// DisplayInitialize at start-up.
void WiredDisplayInitialize();
// Start-up step 10: start the view-file preparation thread when it is idle and the
// working file's read has not started it already.
void WiredViewThreadStart();
// MainWindowTitleSet at start-up.
void WiredMainWindowTitleSet();
// WorkFileWin95 (mode, window) for the menu commands Open (0), Save and Update+Save (1).
int32_t WiredWorkFileMenu(int32_t mode, HWND window);
// WorkFileWin95 (1, window) on the way out.
int32_t WiredWorkFileQuitSave(HWND window);
