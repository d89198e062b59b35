// Typed arrays. Every dynamic array of the system is created, resized and released
// through these operations, which work on the address of the caller's pointer
// variable so that the variable itself is set, replaced or cleared.
//
// Element kinds by prefix: T wide text character (char16_t), C narrow character or
// byte (char), B flag (BOOL), S int16_t, US uint16_t, I int32_t, L int32_t,
// UL uint32_t, F float, D double.
//
// 1-D array: one block of n elements from index 0. 2-D array: a vector of row
// pointers and one separate block of cols elements per row.
//
// Allocating operations return a 16-bit status in the low half of the result:
// 1 success, -1 (0xFFFF) failure; test it with QvAllocFailed. They show no message
// on exhaustion (callers report their own "CORE ALLOCATION ERROR"). Sizes are
// checked before anything is requested: zero, negative or too large sizes fail.
// On every failure nothing stays allocated and *p is nullptr, except that a 2-D
// resize which cannot start (bad size or no new row vector) leaves *p unchanged.
//
// While Debug.DebugLevel is 104 each successful allocating operation and every
// release writes one line to the debug log ("DAlloc1Dim [n]", "FReAlloc2Dim
// [rows][cols]", "LFree2Dim").
//
// The operations keep no state and may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel/WinTypes.h"

constexpr int32_t QV_ALLOC_OK = 1;
constexpr int32_t QV_ALLOC_FAILED = -1;

// Largest single request of the family, in bytes (a 2-D array counts as a whole).
constexpr size_t QV_ALLOC_MAX_BYTES = size_t{1} << 32;

// True when an allocator's status reports failure (low 16 bits 0xFFFF).
inline bool QvAllocFailed(int32_t status) { return (static_cast<uint32_t>(status) & 0xFFFFu) == 0xFFFFu; }

// 1-D allocation: releases a non-null *p first, then a zero-filled block of n.
int32_t TAlloc1Dim(char16_t** p, uint32_t n);
int32_t CAlloc1Dim(char** p, uint32_t n);
int32_t BAlloc1Dim(BOOL** p, uint32_t n);
int32_t SAlloc1Dim(int16_t** p, uint32_t n);
int32_t USAlloc1Dim(uint16_t** p, uint32_t n);
int32_t IAlloc1Dim(int32_t** p, uint32_t n);
int32_t LAlloc1Dim(int32_t** p, uint32_t n);
int32_t ULAlloc1Dim(uint32_t** p, uint32_t n);
int32_t FAlloc1Dim(float** p, uint32_t n);
int32_t DAlloc1Dim(double** p, uint32_t n);

// 1-D resize: n = 0 releases (status 1); a null *p is allocated zero-filled;
// otherwise keeps the first min(old, n) elements, an added tail is not zeroed.
int32_t TReAlloc1Dim(char16_t** p, uint32_t n);
int32_t CReAlloc1Dim(char** p, uint32_t n);
int32_t BReAlloc1Dim(BOOL** p, uint32_t n);
int32_t SReAlloc1Dim(int16_t** p, uint32_t n);
int32_t USReAlloc1Dim(uint16_t** p, uint32_t n);
int32_t IReAlloc1Dim(int32_t** p, uint32_t n);
int32_t LReAlloc1Dim(int32_t** p, uint32_t n);
int32_t ULReAlloc1Dim(uint32_t** p, uint32_t n);
int32_t FReAlloc1Dim(float** p, uint32_t n);
int32_t DReAlloc1Dim(double** p, uint32_t n);

// 1-D release: *p becomes nullptr; a null *p is allowed.
void TFree1Dim(char16_t** p);
void CFree1Dim(char** p);
void BFree1Dim(BOOL** p);
void SFree1Dim(int16_t** p);
void USFree1Dim(uint16_t** p);
void IFree1Dim(int32_t** p);
void LFree1Dim(int32_t** p);
void ULFree1Dim(uint32_t** p);
void FFree1Dim(float** p);
void DFree1Dim(double** p);

// 2-D allocation: rows of cols elements, not zero-filled. A non-null *p shows the
// warning "XAlloc2Dim()\n\nPOINTER SHOULD BE NULL" and is then overwritten.
int32_t TAlloc2Dim(char16_t*** p, int32_t rows, int32_t cols);
int32_t LAlloc2Dim(int32_t*** p, int32_t rows, int32_t cols);
int32_t FAlloc2Dim(float*** p, int32_t rows, int32_t cols);
int32_t DAlloc2Dim(double*** p, int32_t rows, int32_t cols);

// 2-D resize from oldrows to newrows rows of cols elements: rows below
// min(oldrows, newrows) keep their contents up to the smaller width, rows beyond
// newrows are released, added rows and elements are not zeroed. A null *p is
// allocated fresh (oldrows is then ignored).
int32_t LReAlloc2Dim(int32_t*** p, int32_t oldrows, int32_t newrows, int32_t cols);
int32_t FReAlloc2Dim(float*** p, int32_t oldrows, int32_t newrows, int32_t cols);
int32_t DReAlloc2Dim(double*** p, int32_t oldrows, int32_t newrows, int32_t cols);

// 2-D release of rows 0..rows-1 and the row vector; *p becomes nullptr.
void TFree2Dim(char16_t*** p, int32_t rows);
void LFree2Dim(int32_t*** p, int32_t rows);
void FFree2Dim(float*** p, int32_t rows);
void DFree2Dim(double*** p, int32_t rows);
