// Calls of the display into the parts of the program above it, which the system's own
// design makes: the SAVE QVW buttons save the working file. The program fills the table
// once at start-up (Qv95HooksInstall, app/Hooks.h), before it makes a window or a
// thread; a hook left null does nothing.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

struct DisplayHookTable {
  // File/Open (mode 0) and File/Save (mode 1) of the working file (WorkFileWin95 of
  // app/): the SAVE QVW buttons of the analysis options and of the FILE CONVERSION dialog.
  int32_t (*workFile)(int16_t mode, HWND owner) = nullptr;
};

extern DisplayHookTable DisplayHooks;
