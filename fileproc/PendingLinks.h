// Calls of the file operations into parts that later work builds: the simulation
// spectrum dump of the simulation sets. The declaration is the one its owner uses;
// the weak stand-in lives in app/PendingLinks.cpp and is replaced by the owner's
// definition at link time.
#pragma once

#include <cstdint>

// Writes simulation set `set` as a headerless float file as long as its channel's
// data; 1 on success, 0 on failure.
int32_t SimFIWriteBin(const char* file, int16_t set, int32_t mode);
