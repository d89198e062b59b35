// Shift between two equally sampled float traces by a damped, length-normalised
// cross-correlation over the lags -R..+R.
//
// Lag k = c - R is stored at index c = 0 .. 2R. Each value is the mean product over
// the overlap (float products formed and summed in double) times the lag's weight
// 1 - |k / R| * d (at least 0; 1 for every lag when d or R is 0). Positive lags
// correlate a[i] with b[i + k], negative lags a[i + k] with b[i]. The result is the
// index of the largest value; values equal to it to nine significant digits count as
// equal maxima, and the one nearest zero lag is chosen. Callers turn the index into a
// shift as R - index. A negative R is taken as 0, a negative d as |d|.
#pragma once

#include <cstdint>

// Single-threaded: a and b hold at least n values; the overlap at lag k is n - k
// values. Among equal maxima the same distance either side of zero lag, the lower
// index (the negative lag) wins. The work buffers are shared process-wide, so only one
// thread may call this at a time. outIndex and outMax may be null. Returns 1, or 0
// (outIndex := R, zero shift) when the buffers could not be had (after an "Error" box)
// or an array is absent.
int32_t CrossCorrArys(const float* a, const float* b, uint32_t n, int32_t radius, double damp, uint32_t* outIndex,
                      double* outMax);

// The thread-pool twin, with its buffers and weights kept per parameter slot (0..29):
// concurrent callers on different slots share nothing; the weights are reused while
// R and d stay the same. At lag k the terms run over i < nInner with k + i < nOuter.
// Among equal maxima the same distance either side of zero lag, the highest index
// holding the exact maximum wins when it is one of the two, else the lower one.
// outIndex is required, outMax may be null. Returns 1, or 0 (outIndex, when given,
// := R) for a bad slot, an absent array or buffers that could not be had.
int32_t CrossCorrArysTS(int16_t slot, const float* a, const float* b, uint32_t nOuter, uint32_t nInner,
                        int32_t radius, double damp, uint32_t* outIndex, double* outMax);
