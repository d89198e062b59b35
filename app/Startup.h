// The one-time start-up of the program.
#pragma once

#include <cstddef>
#include <cstdint>

// Runs once, inside the first paint of the main window: 1 on success, 0 when the
// per-channel drawing arrays cannot be allocated.
int32_t Qv95Initialize();

// Splits a command line of the shape the system presents into the program path, the
// data folder and the bare working-file name ("" when none is given).
void Qv95CommandLineSplit(const char* commandLine, char* exePath, size_t exeSize, char* dataDir, size_t dirSize,
                          char* workFile, size_t workSize);
