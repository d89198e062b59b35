// Resampling of traces by natural cubic spline: onto an even grid between the first
// and the last abscissa of an unevenly sampled trace, or from one even point spacing
// and size to another, between arrays or between headerless float32 files.
#pragma once

#include <cstdint>

// Modes of ResizeFileAry.
constexpr int16_t RESIZE_ARRAY_MODE = 0;  // from inFloat / inDouble into *outArrayRef
constexpr int16_t RESIZE_FILE_MODE = 1;   // from the file inName into the file outName

// Puts y(x) (n values, x rising or falling) onto the even grid of n points from x[0]
// to x[n-1] in out (a falling x gives a falling grid); x and y are left unchanged.
// A run of equal x (a repeated reading) enters the spline as one knot with the mean
// of its y. Grid points the spline cannot give become 0.0; report = 1 then says how
// many. Returns 1, or 0 after a box when the spline cannot be set up (fewer than two
// distinct x). Absent x or y: nothing is done and the result is 1.
int32_t InterpolateFileAry(uint32_t n, const double* x, const double* y, double* out, int16_t report);

// Puts the pairs (x[i], y[i]) in the order of their x, rising (falling: falling);
// pairs of equal x keep their order. For a trace whose x is a measured reading that
// only rises or falls on average, before InterpolateFileAry. Returns false, the pairs
// left as they were, when an x is not a number or the work array cannot be had.
bool SortPairsByX(uint32_t n, double* x, double* y, bool falling);

// Resamples an evenly spaced trace of inSize points at spacing inStep onto outSize
// points at spacing outStep, each output value multiplied by scalar and kept within
// +-1e20 (not a number becomes -1e20).
//  sizeSwitch 1: the output size is given (negative: |outSize| times the input
//    size) and the step follows; otherwise the step is given and the size follows,
//    except in array mode when the caller passes an output array of its own.
//  Array mode: the values come from inDouble when given, else from inFloat; a null
//    *outArrayRef is replaced by a new array (FAlloc1Dim, freed by the caller with
//    FFree1Dim), an existing one must hold the output size.
//  File mode: inName is read whole (inSize becomes its length); the output file is
//    written through a temporary file and replaces outName only when complete.
// Steps of opposite sign are taken as positive (report = 1 warns). The slot's
// resize output size and step (Cnv.Rsz_SzOut, Cnv.Rsz_StpOut) are set on every call.
// Sizes that do not fit 32 bits are refused. Each slot has its own work buffers, so
// calls in different slots may run at once; one slot is used by one thread at a time.
// Returns 1, or 0 after a box.
int32_t ResizeFileAry(int16_t slot, int16_t mode, const char* inName, const char* outName, uint32_t sizeSwitch,
                      int32_t inSize, int32_t outSize, double inStep, double outStep, const float* inFloat,
                      const double* inDouble, float** outArrayRef, double scalar, int16_t report);
