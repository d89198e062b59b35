// ASCII spectrum conversion: a text table of frequency and up to three intensity
// columns turned into headerless float32 channel files on an even frequency grid.
// Settings and results are the Asc_ fields of the conversion record (Cnv); the
// output range and step are Cnv.Asc_OutFrqLo, Cnv.Asc_OutFrqHi and Cnv.Asc_OutRes.
#pragma once

#include <cstdint>

// Longest line read, without its line end (CR LF, LF or a lone CR).
constexpr int32_t ASCII_CNV_LINE_MAX = 1499;

// mode 0 probes the selected lines and the output grid, mode 1 also counts the lines
// the step rejection drops, mode 2 converts. autodetect 1 applies the "xyt" rule and
// skips one header line when the first line holds no frequency; interactive 1 sets
// the working data's start frequency and step after a conversion. Returns 1, or 0
// when the input cannot be opened or a conversion fails or is refused.
int32_t CnvA2BFile(int16_t mode, int16_t autodetect, int16_t interactive);

// Names the ASCII file to convert. The intensity factor of an "xyt" file belongs to
// the file it was found in: another file starts again at 1.0 (the same file under
// another spelling keeps it).
void AsciiInputNameSet(const char* name);

// Maps nIn (frequency, intensity) pairs, frequencies ascending, onto nOut outputs at
// start + j * step: summed into bins with the stick switch, else a natural cubic
// spline (points inside a gap wider than the maximum step are 0 when gaps were
// found). column (0..2) selects the extremes tracked (of the values that are not
// missing). Returns 1, or 0 on failure.
int32_t LinItn(int16_t column, const double* itn, const double* frq, int32_t nIn, float* out, int32_t nOut,
               double step, double start);
