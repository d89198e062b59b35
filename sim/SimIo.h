// Little-endian array blocks of the simulation files and the boxes and status texts
// the simulation-set operations share.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/FileIo.h"
#include "platform/kernel/Binary.h"
#include "records/Sim.h"

namespace simio {

// Reads n values of T stored little-endian into dst; the number of whole values read.
template <class T>
size_t ReadArray(core_io::BinIn& in, T* dst, size_t n) {
  if (n == 0) return 0;
  const size_t got = in.Read(dst, n, sizeof(T));
  if constexpr (std::endian::native != std::endian::little && sizeof(T) > 1) {
    for (size_t i = 0; i < got; ++i) dst[i] = platform::LoadLE<T>(&dst[i]);
  }
  return got;
}

// Writes n values of T little-endian; a null src writes n zero values.
template <class T>
bool WriteArray(core_io::BinOut& out, const T* src, size_t n) {
  if (n == 0) return true;
  if constexpr (sizeof(T) == 1) {
    if (src) return out.Write(src, n);
    std::vector<unsigned char> zeros(n);
    return out.Write(zeros.data(), n);
  } else {
    if (src && std::endian::native == std::endian::little) return out.Write(src, n * sizeof(T));
    constexpr size_t kChunk = 8192;
    std::vector<unsigned char> bytes(kChunk * sizeof(T));
    for (size_t done = 0; done < n;) {
      const size_t count = n - done < kChunk ? n - done : kChunk;
      for (size_t i = 0; i < count; ++i) platform::StoreLE<T>(bytes.data() + i * sizeof(T), src ? src[done + i] : T{});
      if (!out.Write(bytes.data(), count * sizeof(T))) return false;
      done += count;
    }
    return true;
  }
}

}  // namespace simio
