// The exciton program's input file ("FG.in"): banner "FG INPUT FILE : VERSION <v>" and
// "KEY = value" lines (docs/ParameterFiles.md).
#pragma once

#include <cstdint>

// Reads FgPrm.In_Flnm. 1 when read; 0 when it cannot be opened or is corrupt (the
// record is then unchanged).
int32_t FgReadInputPrm();
// Writes the file. 0 on failure (an old file then stays as it was), else 1.
int32_t FgWriteInputPrm(const char* file);
