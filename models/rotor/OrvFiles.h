// The rotor program's input files. The ORV form starts "ORV INPUT FILE : VERSION <v>",
// the VESPAR form "VESPAR INPUT FILE : VERSION <v>"; both then hold "KEY = value"
// lines (docs/ParameterFiles.md lists the keys).
#pragma once

#include <cstdint>

// Reads the file named in OrvPrm.In_Flnm into the record's read block and settings.
// 1 when read; 0 when it cannot be opened or a field is missing or corrupt (the
// record is then unchanged).
int32_t OrvReadInputPrm();
// Writes the ORV form from the record's calculation block. When the assignment file
// named in the record does not exist it asks whether to write anyway. 0 on failure
// or refusal (an old file then stays as it was), else 1.
int32_t OrvWriteInputPrm(const char* file);
// Writes the VESPAR form (values and standard deviations only). 0 on failure, else 1.
int32_t VesparWriteInputPrm(const char* file);
// Copies both states' constants of the read block into the calculation/fit block.
void OrvCopyReadToCalc();
