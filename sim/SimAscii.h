// Import of line lists written by other programs into a simulation set: HITRAN
// 160-character records, Pickett and Kleiner catalogues, free-format frequency and
// quantum-number lists, exciton-model output blocks, and the vibrational section of a
// Gaussian output turned into a frequency/intensity list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A text file read whole, each line of the file one entry of `lines` whatever its
// length, with a read position. Next gives a line as the layouts read it: its first
// 499 characters (its fields are read from its start; the rest of a longer line is
// passed over, never taken for a line of its own).
struct SimTextLines {
  static constexpr size_t kLineChars = 499;
  std::vector<std::string> lines;
  size_t pos = 0;
  bool Open(const char* name);
  void Rewind() { pos = 0; }
  bool Next(std::string& line);
};

// Reads `format`'s layout ("HITRAN", "KLEINER_8QN", "PICKETT_8QN", "ASCII_FRQITN",
// "ASCII_6QN", "ASCII_8QN", "ASCII_LINESDOTDAT", "EXM95") from file into set `set`.
// 1 on success or for a keyword it does not know (the set then unchanged); 0 on
// failure, when the user aborts (the set then unchanged) or when no line was kept
// (the set then freed).
int32_t SimFIAscii2Binary(int16_t set, const char* file, const char* format);

// Writes the modes of the vibrational analysis of a Gaussian output text as
// "_Gaussian.txt" in the current folder: frequency, IR intensity, force constant,
// reduced mass and the root of the summed squared displacements per mode. 1 when
// written, 0 on failure (message shown).
int32_t SimGaussianFrqExtract(const char* file);

// Rewinds the file; `occurrence` times reads lines up to one whose first token equals
// label (or the end of the file), then reads and discards `skip` lines. 1 when the
// label was found and every skipped line could be read, else 0.
int32_t SimFIFindLabel(SimTextLines* file, const char* label, int32_t skip, int32_t occurrence);
