#include "display/ViewDecimate.h"

#include <cerrno>

#include "core/TypedArrays.h"

int16_t ViewWorkAlloc(ViewWork* work, uint32_t points) {
  if (!work) return -1;
  ViewWorkFree(work);
  if (points < VIEW_BLOCK_MIN) points = VIEW_BLOCK_MIN;
  if (QvAllocFailed(FAlloc1Dim(&work->raw, points)) || QvAllocFailed(DAlloc1Dim(&work->y, points)) ||
      QvAllocFailed(DAlloc1Dim(&work->y2, points)) || QvAllocFailed(DAlloc1Dim(&work->u, points))) {
    ViewWorkFree(work);
    return -1;
  }
  work->points = points;
  return 1;
}

void ViewWorkFree(ViewWork* work) {
  if (!work) return;
  FFree1Dim(&work->raw);
  DFree1Dim(&work->y);
  DFree1Dim(&work->y2);
  DFree1Dim(&work->u);
  work->points = 0;
}

int64_t viewdetail::ReadBlock(int fd, uint64_t p, float* into, uint32_t n) {
  char* at = reinterpret_cast<char*>(into);
  uint64_t offset = p * 4u;
  size_t left = static_cast<size_t>(n) * 4u;
  size_t done = 0;
  while (left > 0) {
    const ssize_t got = ::pread(fd, at + done, left, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
    left -= static_cast<size_t>(got);
  }
  return static_cast<int64_t>(done / 4u);
}
