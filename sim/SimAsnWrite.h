// The assignment writers of a set: its assigned lines as an assignment file or as a
// line list for Pickett's fitting program, and a readable table of the assigned lines
// (or of the whole line list) with observed-minus-calculated values.
#pragma once

#include <cstdint>

// Writes the set's assigned lines to `file` with `offset` added to every frequency:
// a Pickett list when the name ends in ".lin" (a name "x.lin.ext" is offered to be
// shortened to "x.lin" in place), else the set's assignment layout. 1 when written;
// 0 when the user declined or the file could not be written (told in a box; the old
// file stays).
int32_t SimAsnWritePickett(int16_t set, char* file, double offset);
// Writes the table of assigned lines (or the full list) to `file`; 1 when done, 0 when
// the file could not be written or an assigned-only table has nothing to show. A table
// without an assigned line or component leaves the old file as it was.
int32_t SimAsnWriteAscii(int16_t set, const char* file);
