// The quadrupole program's parameter file (banner "QUAD INPUT FILE : VERSION <v>" and
// "KEY = value" lines: each set's two parameter groups and the frequency widening)
// and the per-set quadrupole assignment files (docs/ParameterFiles.md).
#pragma once

#include <cstdint>

// Reads Quad.In_Flnm. 1 when read; 0 when it cannot be opened or a field is missing or
// corrupt (the record is then unchanged).
int32_t QuadReadInputPrm();
// Writes the file. 0 on failure (an old file then stays as it was), else 1.
int32_t QuadWriteInputPrm(const char* file);

// Reads the set's assignment file Quad.Asn_Flnm[set] (rows "J' Ka' Kc' J'' Ka'' Kc''
// F' F'' frequency uncertainty") and ties each row to the first line of the set with
// those six quantum numbers; rows without such a line are counted in the status bar
// and dropped. Replaces the set's assignment list and clears its modified flag. 1 when
// read; 0 when the file cannot be opened, a row is malformed or the list cannot be
// allocated (the old list then stays).
int32_t QuadReadAsnFile(int16_t set);
// Writes the set's assignment list to file, one row per entry whose line exists
// (others are counted in the status bar); clears the modified flag. 0 on failure (an
// old file then stays as it was), also when the list holds entries but the set has no
// lines to write them by; else 1.
int32_t QuadWriteAsnFile(int16_t set, const char* file);
