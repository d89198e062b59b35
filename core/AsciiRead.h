// Readers for the program's own text formats: blank-separated fields with "#"
// comment fields, and a count of the data lines of a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Lines and collected fields hold at most 499 characters plus the terminator.
constexpr size_t ASCII_LINE_MAX = 500;

// Collects the next n blank-separated fields of f into out (capacity cap bytes),
// joined by single blanks; fields may run across line ends. A field starting with
// "#" skips the rest of its line. n = 0: the next field with the remainder of its
// line (line end included); n < 0: first skip the rest of the current line, then
// read |n| fields. End of file is not reported: out holds what was read. Text that
// is not valid UTF-8 is taken as Windows-1252. Returns out.
char* AsciiReadFields(FILE* f, char* out, int16_t n, size_t cap = ASCII_LINE_MAX);

// Counts the data lines of a text file: pieces of at most 254 characters that hold
// a field and whose second character is not "/". Returns 1, or 0 if the file
// cannot be opened (count 0).
int32_t AsciiCountLines(const char* name, uint32_t* count);
