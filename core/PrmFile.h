// Parameter files of the sibling programs: a banner line "<KIND> INPUT FILE : VERSION
// <version>" and then one "KEY = value" line per field (blank lines and lines starting
// with '#' are notes). Keys are unique; a value is the rest of its line without the
// blanks around it. The writer commits through a temporary file beside the target, so
// a failed write leaves an old file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "platform/kernel/TextFile.h"

namespace prmfile {

struct Fields {
  std::string version;                       // the banner's version text
  std::map<std::string, std::string> values;  // key -> value

  bool Text(const char* key, char* out, size_t cap) const;
  template <size_t N>
  bool Text(const char* key, char (&out)[N]) const {
    return Text(key, out, N);
  }
  // The whole value as numbers: exactly n of them, each a complete "C" number.
  bool Doubles(const char* key, double* out, int32_t n) const;
  bool Double(const char* key, double* out) const { return Doubles(key, out, 1); }
  bool Longs(const char* key, int32_t* out, int32_t n) const;
  bool Long(const char* key, int32_t* out) const { return Longs(key, out, 1); }
};

// Reads file (through MapPath). False when it cannot be opened, its first line is not
// "<kind> INPUT FILE : VERSION <text>", a line is neither a note nor "KEY = value", or
// a key comes twice.
bool Read(const char* file, const char* kind, Fields* out);

// Starts the file with its banner; the caller adds lines with Key and commits.
bool Begin(platform::TextFileWriter* w, const char* file, const char* kind, const char* version);
void Key(platform::TextFileWriter* w, const char* key, const std::string& value);
// "%.17g" numbers (exact on reading back) separated by one blank.
std::string Numbers(const double* v, int32_t n);
std::string Numbers(const int32_t* v, int32_t n);

}  // namespace prmfile
