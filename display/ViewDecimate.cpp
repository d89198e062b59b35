#include "display/ViewDecimate.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/TypedArrays.h"
#include "platform/kernel/Sync.h"

int16_t ViewWorkAlloc(ViewWork* work, uint32_t points) {
  if (!work) return -1;
  ViewWorkFree(work);
  if (points < VIEW_BLOCK_MIN) points = VIEW_BLOCK_MIN;
  const uint32_t window = points < VIEW_FIT_WINDOW ? points : VIEW_FIT_WINDOW;
  // A windowed block also needs one stretch's forward values again.
  const uint32_t extra = points > VIEW_FIT_WINDOW ? VIEW_FIT_STRETCH + VIEW_FIT_LEAD_MAX : 0;
  if (QvAllocFailed(FAlloc1Dim(&work->raw, points)) || QvAllocFailed(DAlloc1Dim(&work->y2, window + extra))) {
    ViewWorkFree(work);
    return -1;
  }
  work->y = work->raw;
  work->u = work->y2;
  work->lane = extra > 0 ? work->y2 + window : nullptr;
  work->points = points;
  work->window = window;
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
  DFree1Dim(&work->y2);
  work->y = nullptr;
  work->u = nullptr;
  work->lane = nullptr;
  work->points = 0;
  work->window = 0;
}

void* viewdetail::SystemPages(size_t bytes) {
  if (bytes == 0) bytes = 1;
  void* pages = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return pages == MAP_FAILED ? nullptr : pages;
}

void viewdetail::SystemPagesFree(void* pages, size_t bytes) {
  if (pages) ::munmap(pages, bytes == 0 ? 1 : bytes);
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
  // The position that completes pixel q when searched from 0: the pass searches from
  // the position after the one that completed the pixel before, which gives the
  // same position when pixels are two sampling steps wide or wider (their ends lie
  // more than a step apart, whatever the rounding). Then the pixels completed below
  // stop are those whose position comes before it, found from an estimate.
  if (f >= 1.5 * h) {
    const auto ends = [&](uint32_t q) {
      const double edge = (static_cast<double>(q) + 0.499999) * f;
      return FirstReached(0, (edge - half) / h, [&](uint64_t p) { return edge <= static_cast<double>(p) * h + half; });
    };
    const double estimate = (static_cast<double>(stop) * h + half) / f - 0.499999;
    uint32_t end = j;
    if (estimate > static_cast<double>(j)) end = estimate < static_cast<double>(size) ? static_cast<uint32_t>(estimate) : size;
    while (end > j && ends(end - 1) >= stop) --end;
    while (end < size && ends(end) < stop) ++end;
    if (end >= size) {  // the level is complete
      run.k = ends(size - 1) + 1;
      run.j = size;
    } else {
      run.k = stop;
      run.j = end;
    }
    return;
  }
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

namespace {

// One range of scheduled blocks and what its processing left.
struct ViewRange {
  // in
  int fd = -1;
  const ViewSchedule* plan = nullptr;
  size_t first = 0, end = 0;  // blocks [first, end) of the plan
  ViewLevelOut levels[3];
  std::atomic<bool>* halt = nullptr;
  std::atomic<uint64_t>* pointsRead = nullptr;
  // out
  viewdetail::LevelRun runs[3];
  viewdetail::HeldSamples held[3];
  uint64_t reserved = 0;  // doubles held's arrays took
  uint64_t overflows = 0;
  ViewDecimateEnd result = ViewDecimateEnd::Done;
  bool diverged = false;  // a read returned another length than the schedule's
  bool starved = false;   // no memory for the samples to hold back
};

// Reads, fits and samples the blocks of range r (its runs set up by the caller) with
// the work set work, one block after the other. beforeBlock (when given) is called
// before each block.
void RunRange(ViewRange& r, ViewWork& work, const std::function<void()>& beforeBlock) {
  ViewUniformSpline spline;
  const std::vector<ViewBlockStart>& blocks = r.plan->blocks;
  for (size_t b = r.first; b < r.end; ++b) {
    if (beforeBlock) beforeBlock();
    if (r.halt->load(std::memory_order_relaxed)) {
      r.result = ViewDecimateEnd::Stopped;
      return;
    }
    const ViewBlockStart& at = blocks[b];
    const int64_t got = viewdetail::ReadBlock(r.fd, at.p0, work.raw, at.n);
    if (got < 0) {
      r.result = ViewDecimateEnd::ReadFailed;
      r.halt->store(true);
      return;
    }
    if (got != static_cast<int64_t>(at.n)) {
      r.diverged = true;
      r.halt->store(true);
      return;
    }
    // Overflows are counted once per raw point: from the end of the block before on.
    const uint64_t before = b > 0 ? blocks[b - 1].p0 + blocks[b - 1].n : 0;
    const uint32_t fresh = before > at.p0 ? static_cast<uint32_t>(before - at.p0) : 0;
    r.overflows += viewdetail::BlockOrdinates(work, at.n, fresh);
    for (int v = 0; v < 3; ++v) r.runs[v].active = r.runs[v].active && at.active[v];
    const double pd = static_cast<double>(at.p0);
    const double limit = at.last ? pd + at.n : pd + at.n - 1 - VIEW_BLOCK_MARGIN;
    if (!viewdetail::SampleBlock(r.runs, spline, work, at.n, pd, limit, r.levels)) {
      r.result = ViewDecimateEnd::InternalError;
      r.halt->store(true);
      return;
    }
    r.pointsRead->fetch_add(at.n, std::memory_order_relaxed);
  }
}

// Whether the ranges can be cut from plan: the pass runs to its end without
// disabling a level, over several blocks, and the samples an average level holds
// back stay below half a block.
bool CanCut(const ViewSchedule& plan, const viewdetail::LevelRun* runs, uint32_t cap) {
  if (plan.end != ViewDecimateEnd::Done || plan.blocks.size() < 2) return false;
  for (int v = 0; v < 3; ++v) {
    if (plan.disabled[v]) return false;
    if (runs[v].active && !runs[v].isMax && !(runs[v].f / runs[v].h < 0.5 * cap)) return false;
  }
  return true;
}

// Finishes the pixel that range r started inside, from prev (the state the ranges
// before left), and leaves in prev the state after range r.
void JoinRange(ViewRange& r, viewdetail::LevelRun* prev, ViewLevelOut* levels) {
  for (int v = 0; v < 3; ++v) {
    const viewdetail::LevelRun& mine = r.runs[v];
    viewdetail::LevelRun& p = prev[v];
    if (!r.plan->blocks[r.first].active[v]) {
      p = mine;
      continue;
    }
    double best = p.best, sum = p.sum, count = p.count;
    if (mine.isMax) {
      best = mine.heldBest > best ? mine.heldBest : best;
      count += static_cast<double>(mine.heldCount - (mine.heldEdge ? 1 : 0));
    } else {
      const viewdetail::HeldSamples& held = r.held[v];
      const size_t plain = held.size() - (mine.heldEdge ? 1 : 0);
      for (size_t i = 0; i < plain; ++i) {
        sum += held[i];
        count += 1.0;
      }
      if (mine.heldEdge) sum += held.back();
    }
    if (!mine.heldEdge) {
      p.best = best;
      p.sum = sum;
      p.count = count;
      p.k = mine.k;
      p.active = mine.active;
      continue;
    }
    const uint32_t j = r.plan->blocks[r.first].j[v];
    if (j < levels[v].size) {
      const double value = mine.isMax ? best : sum / count;
      levels[v].values[j] = std::fabs(value) > VIEW_MISSING_VALUE ? 0.0f : static_cast<float>(value);
    }
    p = mine;
  }
}

// Samples of level v that range r holds back: from its first position to the one that
// ends the pixel it starts inside, a few more for the rounding of the positions.
size_t HeldEstimate(const ViewRange& r, int v) {
  const viewdetail::LevelRun& run = r.runs[v];
  const ViewBlockStart& at = r.plan->blocks[r.first];
  const double edge = (static_cast<double>(at.j[v]) + 0.499999) * run.f;
  const double last = (edge - 0.5 * run.h) / run.h;
  const double first = static_cast<double>(at.k[v]);
  const double inBlock = static_cast<double>(at.n) / run.h + 2.0;
  double count = last > first ? last - first + 1.0 : 1.0;
  if (count > inBlock) count = inBlock;
  return static_cast<size_t>(count) + 8;
}

// The ranges of a pass, taken in order by the threads. A range is joined as soon as
// it and every range before it are done, and the samples it held back are freed then;
// a thread takes range i only while i is below the ranges joined plus the window, so
// the samples held back at once stay those of a window of ranges, whatever the length
// of the file.
struct RangeQueue {
  std::vector<ViewRange>* parts = nullptr;
  ViewLevelOut* levels = nullptr;
  std::atomic<bool>* halt = nullptr;
  size_t window = 1;
  std::mutex lock;
  std::condition_variable moved;  // a range was joined, or the pass halted
  size_t next = 0;                // the next range to take
  size_t joined = 0;              // ranges [0, joined) are joined into state
  std::vector<char> done;         // ranges whose processing has ended
  viewdetail::LevelRun state[3];  // the levels after the ranges joined
  uint64_t heldNow = 0;           // samples reserved for holding back, now and at most
  uint64_t heldMost = 0;

  static uint64_t Reserved(const ViewRange& r) {
    uint64_t total = 0;
    for (const viewdetail::HeldSamples& held : r.held) total += held.capacity();
    return total;
  }

  // Range i to process, or false when none is left or the pass halted. wait (when
  // given) is called between the waits for a range to be joined, the lock released.
  bool Take(size_t* i, const std::function<void()>& wait) {
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
      if (halt->load() || next >= parts->size()) return false;
      if (next < joined + window) break;
      moved.wait_for(guard, std::chrono::milliseconds(20));
      if (wait) {
        guard.unlock();
        wait();
        guard.lock();
      }
    }
    *i = next++;
    ViewRange& r = (*parts)[*i];
    try {
      for (int v = 0; v < 3; ++v)
        if (r.runs[v].holding && !r.runs[v].isMax) r.held[v].reserve(HeldEstimate(r, v));
    } catch (const std::bad_alloc&) {
      r.starved = true;
    }
    r.reserved = Reserved(r);
    heldNow += r.reserved;
    heldMost = std::max(heldMost, heldNow);
    return true;
  }

  // Range i has ended: joins it and the ranges after it that ended before, in order,
  // up to a range that failed (the pass ends without joining it).
  void Ended(size_t i) {
    std::lock_guard<std::mutex> guard(lock);
    done[i] = 1;
    ViewRange& ended = (*parts)[i];
    const uint64_t reserved = Reserved(ended);
    if (reserved > ended.reserved) {  // it held more than was reserved
      heldNow += reserved - ended.reserved;
      heldMost = std::max(heldMost, heldNow);
      ended.reserved = reserved;
    }
    while (joined < parts->size() && done[joined]) {
      ViewRange& r = (*parts)[joined];
      if (r.result != ViewDecimateEnd::Done || r.diverged || r.starved) break;
      if (joined == 0) {
        for (int v = 0; v < 3; ++v) state[v] = r.runs[v];
      } else {
        JoinRange(r, state, levels);
      }
      heldNow -= r.reserved;
      r.reserved = 0;
      for (viewdetail::HeldSamples& held : r.held) viewdetail::HeldSamples().swap(held);
      ++joined;
    }
    moved.notify_all();
  }

  void Work(ViewWork& work, const std::function<void()>& poll) {
    size_t i = 0;
    while (Take(&i, poll)) {
      ViewRange& r = (*parts)[i];
      if (!r.starved) {
        try {
          RunRange(r, work, poll);
        } catch (const std::bad_alloc&) {  // the samples to hold back
          r.starved = true;
        }
      }
      if (r.starved) halt->store(true);
      Ended(i);
    }
  }
};

struct ViewWorker {
  RangeQueue* queue = nullptr;
  ViewWork* work = nullptr;
};

DWORD RangeWorker(void* parameter) {
  ViewWorker* worker = static_cast<ViewWorker*>(parameter);
  worker->queue->Work(*worker->work, nullptr);
  return 0;
}

}  // namespace

ViewDecimateEnd ViewDecimateOnWorkers(int fd, uint64_t rawPoints, ViewLevelOut* levels, ViewWork* works,
                                      int workCount, int workers, const ViewDecimateHooks& hooks,
                                      ViewDecimateStats* stats) {
  const auto oneThread = [&] {
    ViewUniformSpline spline;
    return ViewDecimate(fd, rawPoints, levels, works[0], spline, hooks, stats);
  };
  const int threads = workers < workCount ? workers : workCount;
  if (threads < 2) return oneThread();
  const uint32_t cap = works[0].points;
  const ViewSchedule plan = ViewBlockSchedule(rawPoints, cap, levels);
  viewdetail::LevelRun start[3];
  {
    ViewLevelOut probe[3] = {levels[0], levels[1], levels[2]};
    viewdetail::StartRuns(probe, start);
  }
  if (!CanCut(plan, start, cap)) return oneThread();
  // A range a block: threads the machine gives less time take fewer, and the last
  // ones to finish are short.
  const size_t ranges = plan.blocks.size();

  viewdetail::StartRuns(levels, start);  // the kinds as the one-thread pass leaves them
  std::atomic<bool> halt{false};
  std::atomic<uint64_t> pointsRead{0};
  std::vector<ViewRange> parts(ranges);
  for (size_t i = 0; i < ranges; ++i) {
    ViewRange& r = parts[i];
    r.fd = fd;
    r.plan = &plan;
    r.first = i;
    r.end = i + 1;
    r.halt = &halt;
    r.pointsRead = &pointsRead;
    const ViewBlockStart& at = plan.blocks[r.first];
    for (int v = 0; v < 3; ++v) {
      r.levels[v] = levels[v];
      r.runs[v] = start[v];
      r.runs[v].k = at.k[v];
      r.runs[v].j = at.j[v];
      r.runs[v].active = at.active[v];
      if (i > 0) {  // starts inside a pixel: hold it back
        r.runs[v].count = 0.0;
        r.runs[v].holding = at.active[v];
        r.runs[v].held = &r.held[v];
      }
    }
  }
  // As the one-thread pass polls before its first block is sampled: a stop asked
  // before the pass began ends it whatever the workers would do.
  bool stopAsked = false;
  const auto poll = [&] {
    if (hooks.progress) hooks.progress(pointsRead.load(std::memory_order_relaxed));
    if (!stopAsked && hooks.stop && hooks.stop()) {
      stopAsked = true;
      halt.store(true);
    }
  };
  poll();
  if (stopAsked) return ViewDecimateEnd::Stopped;
  RangeQueue queue;
  queue.parts = &parts;
  queue.levels = levels;
  queue.halt = &halt;
  queue.window = 2 * static_cast<size_t>(threads);
  queue.done.assign(ranges, 0);
  std::vector<ViewWorker> helpers(static_cast<size_t>(threads));
  std::vector<HANDLE> handles;
  for (int i = 1; i < threads; ++i) {
    ViewWorker& worker = helpers[static_cast<size_t>(i)];
    worker.queue = &queue;
    worker.work = &works[i];
    DWORD id = 0;
    HANDLE thread = CreateThread(RangeWorker, &worker, &id);
    if (!thread) break;  // the threads there are take every range
    SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    handles.push_back(thread);
  }
  // The stop is polled on the calling thread only, before each of its blocks and
  // while it waits for the workers; once seen, the pass ends stopped.
  queue.Work(works[0], poll);
  for (HANDLE thread : handles) {
    while (WaitForSingleObject(thread, 20) == WAIT_TIMEOUT) poll();
    CloseHandle(thread);
  }

  // A failed read ends the pass; a range that was halted by a stop ends it stopped;
  // a file that changed length under the pass, or samples to hold back that found no
  // memory, are done again as one thread would.
  bool diverged = false, stopped = false;
  for (const ViewRange& r : parts) {
    if (r.result == ViewDecimateEnd::ReadFailed || r.result == ViewDecimateEnd::InternalError) return r.result;
    diverged = diverged || r.diverged || r.starved;
    stopped = stopped || r.result == ViewDecimateEnd::Stopped;
  }
  if ((stopped || stopAsked) && !diverged) return ViewDecimateEnd::Stopped;
  if (diverged) {
    for (int v = 0; v < 3; ++v)
      if (levels[v].values) std::fill(levels[v].values, levels[v].values + levels[v].size, 0.0f);
    parts.clear();  // what the ranges held back
    return oneThread();
  }
  if (queue.joined != ranges) return ViewDecimateEnd::InternalError;  // every range ended and was joined
  if (stats) {
    for (const ViewRange& r : parts) stats->overflows += r.overflows;
    stats->pointsRead += pointsRead.load();
    stats->ranges = static_cast<int>(ranges);
    stats->heldMost = queue.heldMost;
  }
  if (hooks.progress) hooks.progress(stats ? stats->pointsRead : 0);
  return ViewDecimateEnd::Done;
}
