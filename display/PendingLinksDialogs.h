// Calls of the display dialogs, the analysis options dialog and the file-section
// edits into parts that later work builds: the child windows and the simulation
// spectrum dump. The declarations are the ones the owners use;
// display/PendingLinksDialogs.cpp holds the weak stand-in of the first (the stand-in of
// SimFIWriteBin lives in app/PendingLinks.cpp), which the owner's definition replaces
// at link time.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

// open 1: creates the child window of a channel and kind (0 time, 1 frequency, 2
// data) when needed; otherwise destroys it. 1 when open is 1 and the window exists.
// Stand-in: 0 (no child window exists).
int32_t ChildWindowOpenClose(int16_t open, int16_t chn, int16_t kind);

// Writes simulation set `set` as a headerless float file matched to its channel; 0 on
// failure.
int32_t SimFIWriteBin(const char* file, int16_t set, int32_t mode);
