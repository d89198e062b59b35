// Headerless binary data files: a plain little-endian sequence of equally sized
// elements. The element type is not stored; callers name it.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

// Element type of a headerless binary data file.
enum BinElemType : int16_t {
  BIN_ELEM_INT32 = 0,   // 32-bit signed integer
  BIN_ELEM_FLOAT = 1,   // 32-bit IEEE float
  BIN_ELEM_DOUBLE = 2,  // 64-bit IEEE double
};

// Magnitude from which a value of a data file holds none (the views read it as 0).
constexpr double VIEW_MISSING_VALUE = 1.0e18;
// A float of a data file that holds no value: magnitude 1e18 or more (infinities
// among them), or not a number.
inline bool ViewValueMissing(float v) { return !(std::fabs(v) < static_cast<float>(VIEW_MISSING_VALUE)); }
// The same for a value read into double precision (fit data).
inline bool ViewValueMissing(double v) { return !(std::fabs(v) < VIEW_MISSING_VALUE); }
// How a box names a value that is missing: "NAN", "INF", "1E+18".
std::string MissingValueText(double v);

// Writes elements lo .. hi-1 of the first non-null array of la, fa, da as elements of
// the given file type. append = 1 adds to the file (a missing file is created);
// ask = 1 asks before overwriting or appending to an existing file. Returns 1 on
// success or when the user declined, 0 on failure (after a warning box).
int32_t ManBinFileWrite(const char* name, int32_t* la, float* fa, double* da, int16_t type, uint32_t lo,
                        int32_t hi, int32_t append, int32_t ask);

// Reads elements lo .. hi-1 (hi = 0: to the end of the file) of the given file type
// into every non-null array of la, fa, da, resizing each to the element count, which
// is stored in *n. warn = 1 reports a file that cannot be opened. Returns 1, or 0
// on failure (after a box, except an unopened file with warn != 1).
int32_t ManBinFileRead(const char* name, int32_t** la, float** fa, double** da, int16_t type, uint32_t lo,
                       uint32_t hi, uint32_t* n, int16_t warn);

// The number of elements of the given type the file holds (its length divided by the
// element width), or -1 when its size cannot be had. A read whose range runs past the
// end of the file gives the file's element count with zeros after the values it holds:
// callers that take the values as measured points keep the first (this - lo) of them.
int64_t BinFileElements(const char* name, int16_t type);
