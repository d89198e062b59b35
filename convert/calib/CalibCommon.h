// Small helpers shared by the calibration routines of this folder: work arrays made
// through the typed allocators and released on every way out, boxes of the question
// kinds the routines ask, and lines for the shared message window.
#pragma once

#include <cstdint>
#include <string>

#include "core/FileIo.h"
#include "core/TypedArrays.h"

namespace calib {

// A work array of n elements from index 0, zero-filled, released with the owner.
template <class T>
struct Work;

#define QV95_CALIB_WORK(T, ALLOC, FREE)                              \
  template <>                                                        \
  struct Work<T> {                                                   \
    T* p = nullptr;                                                  \
    Work() = default;                                                \
    Work(const Work&) = delete;                                      \
    Work& operator=(const Work&) = delete;                           \
    ~Work() { FREE(&p); }                                            \
    bool Alloc(uint64_t n) {                                         \
      if (n == 0 || n > UINT32_MAX) return false;                    \
      return !QvAllocFailed(ALLOC(&p, static_cast<uint32_t>(n)));    \
    }                                                                \
    T& operator[](uint64_t i) { return p[i]; }                       \
    const T& operator[](uint64_t i) const { return p[i]; }           \
  };
QV95_CALIB_WORK(float, FAlloc1Dim, FFree1Dim)
QV95_CALIB_WORK(double, DAlloc1Dim, DFree1Dim)
QV95_CALIB_WORK(int32_t, LAlloc1Dim, LFree1Dim)
#undef QV95_CALIB_WORK

// Question with YES/NO/CANCEL ("Question", system-modal); the button's id (IDYES 6,
// IDNO 7, IDCANCEL 2).
int32_t AskYesNoCancel(const std::string& text);
// Question with YES/NO; the button's id.
int32_t AskYesNoId(const std::string& text);

// Adds a line to the shared message window.
void Post(const std::string& text);
// True while the debug log is open and the debug topic is code.
bool DebugOn(int16_t code);

// Points (4-byte values) of a file, or -1 when its size cannot be found.
int64_t FilePoints(const char* name);

// The section of an input file as the AOM routines take it: limits given in either
// order; equal limits mean the whole file but its last point (both 0 when its size
// cannot be found).
void SettleSection(const char* name, int64_t* low, int64_t* high);

}  // namespace calib
