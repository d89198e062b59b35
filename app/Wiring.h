// Calls from the main window and the start-up into parts of the program that other
// branches build: the working file (WorkFileRead, WorkFileWin95, MainWindowTitleSet),
// the display initialisation and the view-file thread. Each function here is the one
// call site of such a call; until the part is merged it does what is said below.
#pragma once

#include <cstdint>

#include "platform/Window.h"

// WorkFileRead at start-up. Until merged: the records keep their built-in defaults.
void WiredWorkFileRead();
// DisplayInitialize at start-up. Until merged: nothing.
void WiredDisplayInitialize();
// Start-up step 10: start the view-file preparation thread when it is idle. Until
// merged: nothing (the busy flag stays 0).
void WiredViewThreadStart();
// MainWindowTitleSet at start-up. Until merged: the title stays "QUIVRANE 95".
void WiredMainWindowTitleSet();
// WorkFileWin95 (mode, window) for the menu commands Open (0), Save and Update+Save
// (1). Until merged: "OPTION NOT CURRENTLY AVAILABLE"; result 0.
int32_t WiredWorkFileMenu(int32_t mode, HWND window);
// WorkFileWin95 (1, window) on the way out. Until merged: there is no working file to
// save, result 1.
int32_t WiredWorkFileQuitSave(HWND window);
