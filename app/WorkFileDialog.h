// File/Open and File/Save of the working file.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

// File/Open (mode 0) and File/Save (mode 1) of the working file. 1 for success or a
// cancelled save, 0 otherwise (a cancelled open, a refused file, a failed save).
int32_t WorkFileWin95(int16_t mode, HWND owner);
