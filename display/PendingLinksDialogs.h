// Calls of the display dialogs, the analysis options dialog and the file-section
// edits into parts that later work builds: the time/frequency transform dialog and
// the simulation spectrum dump. The declarations are the ones the owners use;
// display/PendingLinksDialogs.cpp holds the weak stand-in of the first (that of
// SimFIWriteBin lives in app/PendingLinks.cpp), which the owner's definition replaces
// at link time.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

// Creates once and shows (open 1) or hides (0) the transform dialog of a view and
// returns the resulting open state. Stand-in: 0 (no dialog exists).
uint32_t FftTransformDialogCreate(int16_t view, uint32_t open, HWND owner);

// Writes simulation set `set` as a headerless float file matched to its channel; 0 on
// failure.
int32_t SimFIWriteBin(const char* file, int16_t set, int32_t mode);
