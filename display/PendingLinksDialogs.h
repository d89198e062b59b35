// Calls of the display dialogs, the analysis options dialog and the file-section
// edits into parts that later work builds: the simulation spectrum dump. The
// declaration is the one the owner uses; its weak stand-in lives in
// app/PendingLinks.cpp, which the owner's definition replaces at link time.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

// Writes simulation set `set` as a headerless float file matched to its channel; 0 on
// failure.
int32_t SimFIWriteBin(const char* file, int16_t set, int32_t mode);
