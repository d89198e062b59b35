// The reference line of the drawing benchmarks: the same pixels as the one-pixel pen,
// n steps along the longer extent, the minor coordinate rounded with halves away from
// the start, the end point left out.
#pragma once

#include <cstdint>

inline void PlainLine(uint32_t* data, int64_t stride, int64_t x0, int64_t y0, int64_t x1, int64_t y1,
                      uint32_t value) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx >= ady;
  const int64_t n = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  const int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -stride : stride;
  const int64_t stepM = xMajor ? sx : sy, stepQ = xMajor ? sy : sx;
  uint32_t* p = data + y0 * stride + x0;
  int64_t r = n;
  for (int64_t i = 0; i < n; ++i) {
    *p = value;
    p += stepM;
    r += 2 * minor;
    if (r >= 2 * n) {
      r -= 2 * n;
      p += stepQ;
    }
  }
}
