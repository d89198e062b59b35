#include "core/TypedArrays.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "core/DebugLog.h"
#include "platform/windows/MessageBox.h"
#include "records/Debug.h"
#include "records/Win.h"

namespace {

bool Tracing() { return Debug.DebugLevel == DEBUG_TOPIC_ALLOC; }

// Bytes of a block of count elements of T, or 0 when count is zero, negative or
// the block would exceed QV_ALLOC_MAX_BYTES.
template <typename T>
size_t BlockBytes(int64_t count) {
  if (count <= 0 || static_cast<uint64_t>(count) > QV_ALLOC_MAX_BYTES / sizeof(T)) return 0;
  return static_cast<size_t>(count) * sizeof(T);
}

// True when rows rows of cols elements of T fit the size limit as a whole.
template <typename T>
bool Fits2Dim(int32_t rows, int32_t cols) {
  size_t rowBytes = BlockBytes<T>(cols);
  size_t vectorBytes = BlockBytes<T*>(rows);
  if (rowBytes == 0 || vectorBytes == 0) return false;
  return static_cast<uint64_t>(rows) <= (QV_ALLOC_MAX_BYTES - vectorBytes) / rowBytes;
}

template <typename T>
void Free1(T** p, const char* name) {
  if (!p) return;
  std::free(*p);
  *p = nullptr;
  if (Tracing()) DebugPrintf("%s\n", name);
}

// Zero-filled block of n elements into *p, which the caller has released.
template <typename T>
int32_t NewBlock(T** p, uint32_t n, const char* name) {
  if (BlockBytes<T>(n) == 0) return QV_ALLOC_FAILED;
  auto* block = static_cast<T*>(std::calloc(n, sizeof(T)));
  if (!block) return QV_ALLOC_FAILED;
  *p = block;
  if (Tracing()) DebugPrintf("%s [%" PRIu32 "]\n", name, n);
  return QV_ALLOC_OK;
}

template <typename T>
int32_t Alloc1(T** p, uint32_t n, const char* name, const char* freeName) {
  if (!p) return QV_ALLOC_FAILED;
  if (*p) Free1(p, freeName);
  return NewBlock(p, n, name);
}

template <typename T>
int32_t ReAlloc1(T** p, uint32_t n, const char* name, const char* freeName) {
  if (!p) return QV_ALLOC_FAILED;
  if (n == 0) {
    Free1(p, freeName);
    return QV_ALLOC_OK;
  }
  if (!*p) return NewBlock(p, n, name);
  size_t bytes = BlockBytes<T>(n);
  T* moved = bytes ? static_cast<T*>(std::realloc(*p, bytes)) : nullptr;
  if (!moved) {
    // The old contents are given up; release them rather than lose the block.
    std::free(*p);
    *p = nullptr;
    return QV_ALLOC_FAILED;
  }
  *p = moved;
  if (Tracing()) DebugPrintf("%s [%" PRIu32 "]\n", name, n);
  return QV_ALLOC_OK;
}

template <typename T>
void ReleaseRows(T** vector, int32_t rows) {
  for (int32_t i = 0; i < rows; ++i) {
    std::free(vector[i]);
    vector[i] = nullptr;
  }
}

template <typename T>
int32_t Alloc2(T*** p, int32_t rows, int32_t cols, const char* name) {
  if (!p) return QV_ALLOC_FAILED;
  if (*p) {
    char text[96];
    std::snprintf(text, sizeof text, "%s()\n\nPOINTER SHOULD BE NULL", name);
    MessageBox(Win.hWnd_Main, text, "Warning", MB_SYSTEMMODAL | MB_ICONWARNING);
  }
  *p = nullptr;
  if (!Fits2Dim<T>(rows, cols)) return QV_ALLOC_FAILED;
  auto** vector = static_cast<T**>(std::calloc(static_cast<size_t>(rows), sizeof(T*)));
  if (!vector) return QV_ALLOC_FAILED;
  size_t rowBytes = BlockBytes<T>(cols);
  for (int32_t i = 0; i < rows; ++i) {
    vector[i] = static_cast<T*>(std::malloc(rowBytes));
    if (!vector[i]) {
      ReleaseRows(vector, i);
      std::free(vector);
      return QV_ALLOC_FAILED;
    }
  }
  *p = vector;
  if (Tracing()) DebugPrintf("%s [%" PRId32 "][%" PRId32 "]\n", name, rows, cols);
  return QV_ALLOC_OK;
}

template <typename T>
int32_t ReAlloc2(T*** p, int32_t oldrows, int32_t newrows, int32_t cols, const char* name) {
  if (!p) return QV_ALLOC_FAILED;
  if (!Fits2Dim<T>(newrows, cols) || (*p && oldrows < 0)) return QV_ALLOC_FAILED;
  auto** vector = static_cast<T**>(std::calloc(static_cast<size_t>(newrows), sizeof(T*)));
  if (!vector) return QV_ALLOC_FAILED;
  T** old = *p;
  if (old) {
    int32_t kept = oldrows < newrows ? oldrows : newrows;
    for (int32_t i = 0; i < kept; ++i) {
      vector[i] = old[i];
      old[i] = nullptr;
    }
    ReleaseRows(old + kept, oldrows - kept);
  }
  size_t rowBytes = BlockBytes<T>(cols);
  for (int32_t i = 0; i < newrows; ++i) {
    T* row = vector[i] ? static_cast<T*>(std::realloc(vector[i], rowBytes)) : static_cast<T*>(std::malloc(rowBytes));
    if (!row) {
      // Give the whole structure up: rows resized so far, rows not yet reached
      // (a failed realloc keeps its block) and both row vectors.
      ReleaseRows(vector, newrows);
      std::free(vector);
      std::free(old);
      *p = nullptr;
      return QV_ALLOC_FAILED;
    }
    vector[i] = row;
  }
  std::free(old);
  *p = vector;
  if (Tracing()) DebugPrintf("%s [%" PRId32 "][%" PRId32 "]\n", name, newrows, cols);
  return QV_ALLOC_OK;
}

template <typename T>
void Free2(T*** p, int32_t rows, const char* name) {
  if (!p) return;
  if (*p) {
    ReleaseRows(*p, rows);
    std::free(*p);
    *p = nullptr;
  }
  if (Tracing()) DebugPrintf("%s\n", name);
}

}  // namespace

#define QV_TYPED_ARRAY_1DIM(X, T)                                                                              \
  int32_t X##Alloc1Dim(T** p, uint32_t n) { return Alloc1(p, n, #X "Alloc1Dim", #X "Free1Dim"); }            \
  int32_t X##ReAlloc1Dim(T** p, uint32_t n) { return ReAlloc1(p, n, #X "ReAlloc1Dim", #X "Free1Dim"); }      \
  void X##Free1Dim(T** p) { Free1(p, #X "Free1Dim"); }

QV_TYPED_ARRAY_1DIM(T, char16_t)
QV_TYPED_ARRAY_1DIM(C, char)
QV_TYPED_ARRAY_1DIM(B, BOOL)
QV_TYPED_ARRAY_1DIM(S, int16_t)
QV_TYPED_ARRAY_1DIM(US, uint16_t)
QV_TYPED_ARRAY_1DIM(I, int32_t)
QV_TYPED_ARRAY_1DIM(L, int32_t)
QV_TYPED_ARRAY_1DIM(UL, uint32_t)
QV_TYPED_ARRAY_1DIM(F, float)
QV_TYPED_ARRAY_1DIM(D, double)

#define QV_TYPED_ARRAY_2DIM_ALLOC(X, T)                                                                        \
  int32_t X##Alloc2Dim(T*** p, int32_t rows, int32_t cols) { return Alloc2(p, rows, cols, #X "Alloc2Dim"); } \
  void X##Free2Dim(T*** p, int32_t rows) { Free2(p, rows, #X "Free2Dim"); }

#define QV_TYPED_ARRAY_2DIM_RESIZE(X, T)                                                \
  int32_t X##ReAlloc2Dim(T*** p, int32_t oldrows, int32_t newrows, int32_t cols) {    \
    return ReAlloc2(p, oldrows, newrows, cols, #X "ReAlloc2Dim");                     \
  }

QV_TYPED_ARRAY_2DIM_ALLOC(T, char16_t)
QV_TYPED_ARRAY_2DIM_ALLOC(L, int32_t)
QV_TYPED_ARRAY_2DIM_ALLOC(F, float)
QV_TYPED_ARRAY_2DIM_ALLOC(D, double)
QV_TYPED_ARRAY_2DIM_RESIZE(L, int32_t)
QV_TYPED_ARRAY_2DIM_RESIZE(F, float)
QV_TYPED_ARRAY_2DIM_RESIZE(D, double)
