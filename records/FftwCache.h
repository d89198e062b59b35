// The one cached real-to-complex transform plan of the sequence transforms: the plan,
// its size and its two buffers (n doubles in, n/2 + 1 complex values out). An empty
// cache has size 0 and no buffers. Plan_Count counts the plans the cache has made.
#pragma once

#include <fftw3.h>

#include <cstdint>

struct FftwCacheRecord {
  fftw_plan Plan = nullptr;
  int32_t N = 0;
  double* In = nullptr;
  fftw_complex* Out = nullptr;
  uint32_t Plan_Count = 0;
};

extern FftwCacheRecord FftwCache;
