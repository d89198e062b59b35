// Sorting of parallel arrays in two steps: a heap-sort index of one key array, then
// a reorder of every parallel array by that index (x[j] = old x[indx[j]]).
// All arrays are addressed 1..n; indx holds 1-based positions. In the reorders every
// array may be null (skipped). Every work copy is allocated before anything is
// moved, so a failure leaves all arrays as they were and in step with each other.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

// Ascending index of a[1..n]: a[indx[1]] <= a[indx[2]] <= ...; ties in no particular
// order. n < 2 gives the identity. Return 1.
int16_t IndexSortD(int32_t n, const double* a, int32_t* indx);
int16_t IndexSortF(int32_t n, const float* a, int32_t* indx);

// Reorder of two int32 arrays and one double array. 1, or -1 after an error box.
int16_t LldSort123(int32_t n, const int32_t* indx, int32_t* a, int32_t* b, double* c);

// Reorder of characters (or fixed-width texts), flags, shorts, ints, groups of six
// shorts, floats and doubles. With w > 0 each entry of every array except the
// six-short groups is a record of w elements moved as a unit (entry j at j * w).
// A six-short group j occupies s6[6 * j .. 6 * j + 5].
int16_t Csi6sfdrddASort(int32_t n, const int32_t* indx, char* c, BOOL* b, int16_t* s, int32_t* i, int16_t* s6,
                        float* f, double* d, int32_t w);

// Reorder of characters, shorts, ints, groups of six shorts, longs, floats and
// doubles, one element per entry.
int16_t Csi6sfdrddSort(int32_t n, const int32_t* indx, char* c, int16_t* s, int32_t* i, int16_t* s6, int32_t* l,
                       float* f, double* d);
