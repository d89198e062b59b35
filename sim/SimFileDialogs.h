// The open and save dialogs of the simulation sets: simulation files and line lists,
// binary spectra, residual files, and the assignment and fit-log files of a set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel/WinTypes.h"

// Assignment and log files of a set; kind "ORV", "QUAD", "NLF", "FORMAT".
int32_t AsnFileDialog(int16_t mode, int16_t set, const char* kind, char* fileName, size_t cap);
// kind 0: a simulation file; kind 1: an ASCII line list in a format asked in turn.
int32_t SimFileOpenDialog(HWND owner, int16_t kind, int16_t set);
// kind 0: residual file name, 1: binary spectrum written at once, 2: simulation file.
// 1 when done, 0 on failure; Cancel gives 1 for kinds 1 and 2 (nothing written) and 0
// for kind 0 (no residual file name chosen).
int32_t SimFileSaveDialog(HWND owner, int16_t kind, int16_t set);
