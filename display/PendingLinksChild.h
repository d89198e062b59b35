// Calls of the child windows into parts that later work builds: resampling,
// interpolation and statistics of arrays, the Allan deviation and the cavity-mode
// plot of the ring-down fit. The declarations are the ones the owners use;
// display/PendingLinksChild.cpp holds weak stand-ins that the owners' definitions
// replace at link time.
#pragma once

#include <cstdint>

#include "platform/gdi/Gdi.h"
#include "platform/kernel/WinTypes.h"

// Resamples an evenly spaced trace onto a new spacing by a natural cubic spline.
// mode 1 reads inName and writes outName (float32 files), mode 0 works on arrays:
// inDouble (when given) or inFloat supplies inSize values at spacing inStep; the
// output goes to *outArrayRef (made when null). sizeSwitch 1: outSize is given
// (negative: |outSize| times inSize), else outStep is. Every output value is
// multiplied by scalar. 1 on success, 0 after a message.
int32_t ResizeFileAry(int16_t slot, int16_t mode, const char* inName, const char* outName, uint32_t sizeSwitch,
                      int32_t inSize, int32_t outSize, double inStep, double outStep, const float* inFloat,
                      const double* inDouble, float** outArrayRef, double scalar, int16_t report);

// Interpolates y(x), x monotonic, onto n evenly spaced positions from x[0] to x[n-1]
// into out (arrays from index 0). 1, or 0 on failure.
int32_t InterpolateFileAry(uint32_t n, const double* x, const double* y, double* out, int16_t report);

// Minimum, maximum, mean and (when outRms is given) RMS of the first array given of
// the three over lo..hi (lo = hi = 0, a reversed or out-of-range pair: all n). 0 when
// n is 0 (outputs untouched), else 1.
int32_t ManFindMinMaxDiffAveRMS1DAry(const int32_t* longArray, const float* floatArray, const double* doubleArray,
                                     uint32_t n, int32_t lo, int32_t hi, double* outMin, double* outMax,
                                     double* outMean, double* outRms);

// Replaces values[0..count-1] by their Allan deviation for averaging sizes 1 to
// count / 2; the caller halves the count. 1, or 0 on failure.
int32_t AllanVarDev(double* values, uint32_t count, int16_t deviation, int16_t report);
// Draws the ring-down cavity-mode table and labels into dc and leaves the mode curves,
// in pixel rows, in Win.CM_DrawAry1 (and the second and third child curve arrays).
int32_t RdfCavityModePaint(HDC dc, int16_t mode);
