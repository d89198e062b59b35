#include "display/ViewDecimate.h"

#include <cerrno>

#include "core/TypedArrays.h"

int16_t ViewWorkAlloc(ViewWork* work, uint32_t points) {
  if (!work) return -1;
  ViewWorkFree(work);
  if (points < VIEW_BLOCK_MIN) points = VIEW_BLOCK_MIN;
  if (QvAllocFailed(FAlloc1Dim(&work->raw, points)) || QvAllocFailed(DAlloc1Dim(&work->y, points)) ||
      QvAllocFailed(DAlloc1Dim(&work->y2, points))) {
    ViewWorkFree(work);
    return -1;
  }
  work->u = work->y2;
  work->points = points;
  return 1;
}

int ViewWorkAllocSets(ViewWork* works, int count, uint32_t points) {
  int done = 0;
  while (done < count && ViewWorkAlloc(&works[done], points) == 1) ++done;
  return done > 0 ? done : -1;
}

void ViewWorkFree(ViewWork* work) {
  if (!work) return;
  FFree1Dim(&work->raw);
  DFree1Dim(&work->y);
  DFree1Dim(&work->y2);
  work->u = nullptr;
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

void viewdetail::StartRuns(ViewLevelOut* levels, LevelRun* runs) {
  for (int v = 0; v < 3; ++v) {
    ViewLevelOut& out = levels[v];
    if (out.kind == VIEW_KIND_NONE) continue;
    const double ppp = out.ptsPerPixel;
    const double rounded = ppp + 0.5;
    const double m = std::isfinite(rounded) && rounded >= 1.0 ? std::trunc(rounded) : 0.0;
    if (m < 1.0 || out.size == 0 || !out.values) {
      out.kind = VIEW_KIND_NONE;  // fewer than half a raw point per pixel: not built
      continue;
    }
    runs[v].active = true;
    runs[v].isMax = out.kind == VIEW_KIND_MAX;
    runs[v].h = std::fabs(ppp / m);
    runs[v].f = std::fabs(ppp);
  }
}

ViewDecimateEnd viewdetail::NextBlock(LevelRun* runs, ViewLevelOut* levels, const std::function<void(int)>& disabled,
                                      uint64_t* p0, bool* complete, double* nextPosition) {
  double next = 1.0e20;
  bool any = false;
  for (int v = 0; v < 3; ++v) {
    if (!runs[v].active) continue;
    const double pos = static_cast<double>(runs[v].k) * runs[v].h;
    if (!(pos > 0.0)) {
      runs[v].active = false;
      levels[v].kind = VIEW_KIND_NONE;
      if (disabled) disabled(v);
      continue;
    }
    any = true;
    if (pos < next) next = pos;
  }
  if (!any) {
    bool done = true;
    for (int v = 0; v < 3; ++v) done = done && (levels[v].kind == VIEW_KIND_NONE || runs[v].j >= levels[v].size);
    *complete = done;
    return done ? ViewDecimateEnd::Done : ViewDecimateEnd::InternalError;
  }
  const double start = std::floor(next) - VIEW_BLOCK_MARGIN;
  if (!(start < 4294967295.0)) {
    if (nextPosition) *nextPosition = next;
    return ViewDecimateEnd::SeekTooFar;
  }
  uint64_t p = start > 0.0 ? static_cast<uint64_t>(start) : 0;
  if (p <= *p0) p = *p0 + 1;  // always move on
  *p0 = p;
  return ViewDecimateEnd::Done;
}

namespace {

// The first k >= k0 for which reached(k) holds, reached being false then true as k
// grows; estimate is where it is expected to turn (the search starts there).
template <class Reached>
uint64_t FirstReached(uint64_t k0, double estimate, Reached reached) {
  uint64_t k = k0;
  if (estimate > static_cast<double>(k0) && estimate < 9.0e15) k = static_cast<uint64_t>(estimate);
  while (k > k0 && reached(k - 1)) --k;
  while (!reached(k)) ++k;
  return k;
}

// The sampling of SampleLevel without values: where run stops below limit and how
// many pixels it completes on the way, with the same comparisons.
void AdvanceRun(viewdetail::LevelRun& run, double limit, uint32_t size) {
  const double h = run.h;
  const double half = 0.5 * h;
  const double f = run.f;
  const uint64_t stop = FirstReached(run.k, limit / h, [&](uint64_t k) { return !(static_cast<double>(k) * h < limit); });
  uint64_t k = run.k;
  uint32_t j = run.j;
  for (;;) {
    const double edge = (static_cast<double>(j) + 0.499999) * f;
    const uint64_t done =
        FirstReached(k, (edge - half) / h, [&](uint64_t q) { return edge <= static_cast<double>(q) * h + half; });
    if (done >= stop) {
      k = stop;
      break;
    }
    ++j;
    k = done + 1;
    if (j >= size) break;  // the level is complete
  }
  run.k = k;
  run.j = j;
}

}  // namespace

ViewSchedule ViewBlockSchedule(uint64_t rawPoints, uint32_t blockPoints, const ViewLevelOut* levelsIn) {
  using viewdetail::LevelRun;
  ViewSchedule out;
  ViewLevelOut levels[3];
  float stand = 0.0f;  // the schedule writes no values; StartRuns only asks for an array
  for (int v = 0; v < 3; ++v) {
    levels[v] = levelsIn[v];
    levels[v].values = &stand;
  }
  LevelRun runs[3];
  viewdetail::StartRuns(levels, runs);
  const uint32_t cap = blockPoints < VIEW_BLOCK_MIN ? VIEW_BLOCK_MIN : blockPoints;
  uint64_t p0 = 0;
  for (;;) {
    bool any = false;
    for (const LevelRun& run : runs) any = any || run.active;
    if (!any || p0 >= rawPoints) break;
    const uint64_t left = rawPoints - p0;
    const uint32_t n = left < cap ? static_cast<uint32_t>(left) : cap;
    const bool last = p0 + n >= rawPoints || n <= 2 * VIEW_BLOCK_MARGIN + 1;
    out.blocks.push_back(viewdetail::BlockStartOf(p0, n, last, runs));

    const double pd = static_cast<double>(p0);
    const double limit = last ? pd + n : pd + n - 1 - VIEW_BLOCK_MARGIN;
    for (int v = 0; v < 3; ++v) {
      if (!runs[v].active) continue;
      AdvanceRun(runs[v], limit, levels[v].size);
      if (runs[v].j >= levels[v].size) runs[v].active = false;  // complete
    }
    if (last) break;

    bool complete = false;
    out.end = viewdetail::NextBlock(runs, levels, [&](int v) { out.disabled[v] = true; }, &p0, &complete,
                                    &out.nextPosition);
    if (out.end != ViewDecimateEnd::Done || complete) break;
  }
  for (int v = 0; v < 3; ++v) out.kinds[v] = levels[v].kind;
  return out;
}
