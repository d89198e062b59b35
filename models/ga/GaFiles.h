// The genetic-algorithm program's input files (".gai"): banner "GA INPUT FILE :
// VERSION <v>" and "KEY = value" lines (docs/ParameterFiles.md). A file may name the
// next input file of a chain; the chain fills the sets of the Ga record in order.
#pragma once

#include <cstdint>

// Reads set 0 from Ga.In_Flnm[0] and each further set from the file its predecessor
// names (at most GA_SETS files). 1 when every file of the chain was read; 0 when one
// cannot be opened, is corrupt or the chain is longer than GA_SETS (the record is then
// unchanged).
int32_t GaMultiReadInputPrm();
// Writes set `set` to file; its NEXT INPUT is the following set's input file name when
// that set has one. 0 on failure (an old file then stays as it was), else 1.
int32_t GaWriteInputPrm(int16_t set, const char* file);
