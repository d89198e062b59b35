// Helpers shared by the Fourier routines of fileproc/ (not used outside it).
#pragma once

#include <cstdint>
#include <string>

// Channels that have a transform: 0..8.
inline bool TransValidChn(int16_t chn) { return chn >= 0 && chn <= 8; }
// Reads a float file into *array (resized), its length into *count; false on a
// failed read or an empty file.
bool TransReadFloats(const std::string& name, float** array, uint32_t* count);
bool TransReadDoubles(const std::string& name, double** array, uint32_t* count);
