#include "numerics/Sorts.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/DebugLog.h"
#include "core/TypedArrays.h"
#include "numerics/NumericsBox.h"
#include "records/Debug.h"

namespace {

template <typename T>
void HeapIndex(int32_t n, const T* arrin, int32_t* indx) {
  if (n < 1) return;
  for (int32_t j = 1; j <= n; ++j) indx[j] = j;
  if (n < 2) return;
  int32_t l = (n >> 1) + 1;
  int32_t ir = n;
  for (;;) {
    int32_t indxt;
    T q;
    if (l > 1) {
      indxt = indx[--l];
      q = arrin[indxt];
    } else {
      indxt = indx[ir];
      q = arrin[indxt];
      indx[ir] = indx[1];
      if (--ir == 1) {
        indx[1] = indxt;
        return;
      }
    }
    int32_t i = l;
    int32_t j = l << 1;
    while (j <= ir) {
      if (j < ir && arrin[indx[j]] < arrin[indx[j + 1]]) ++j;
      if (q < arrin[indx[j]]) {
        indx[i] = indx[j];
        i = j;
        j += j;
      } else {
        j = ir + 1;
      }
    }
    indx[i] = indxt;
  }
}

// Element count (n + 1) * width of a work copy, or 0 when it does not fit the
// allocators' 32-bit count.
uint32_t WorkCount(int32_t n, int32_t width) {
  const uint64_t count = (static_cast<uint64_t>(n) + 1) * static_cast<uint64_t>(width);
  return count > 0xFFFFFFFFull ? 0 : static_cast<uint32_t>(count);
}

// The reorder of one array by indx through a work copy of (n + 1) * width elements.
template <typename T>
void Gather(int32_t n, const int32_t* indx, T* x, T* work, int32_t width) {
  // Entries 1..n only: element 0 of a 1-based array belongs to nobody.
  const size_t stride = static_cast<size_t>(width);
  std::memcpy(work + stride, x + stride, static_cast<size_t>(n) * stride * sizeof(T));
  if (width == 1) {
    for (int32_t j = 1; j <= n; ++j) x[j] = work[indx[j]];
    return;
  }
  for (int32_t j = 1; j <= n; ++j) {
    T* to = x + static_cast<size_t>(j) * stride;
    const T* from = work + static_cast<size_t>(indx[j]) * stride;
    for (size_t k = 0; k < stride; ++k) to[k] = from[k];
  }
}

// One work copy of a reorder, sized for the largest array of its kind.
template <typename T>
struct Work {
  using AllocFn = int32_t (*)(T**, uint32_t);
  using FreeFn = void (*)(T**);
  const char* name;  // "LldSort123()/lwksp" and so on
  AllocFn alloc;
  FreeFn release;
  uint32_t count = 0;
  bool tooLarge = false;
  T* p = nullptr;
  Work(const char* n, AllocFn a, FreeFn f) : name(n), alloc(a), release(f) {}
  ~Work() { release(&p); }
  Work(const Work&) = delete;
  Work& operator=(const Work&) = delete;
  void Need(const void* array, int32_t n, int32_t width) {
    if (!array) return;
    const uint32_t c = WorkCount(n, width);
    if (c == 0) tooLarge = true;
    if (c > count) count = c;
  }
  // Allocates the copy when any array needs it; false after the error box.
  bool Allocate() {
    if (!tooLarge && count == 0) return true;
    if (tooLarge || QvAllocFailed(alloc(&p, count))) {
      numerics::AllocErrorBox(name);
      return false;
    }
    return true;
  }
};

bool ValidIndex(const char* name, int32_t n, const int32_t* indx) {
  for (int32_t j = 1; j <= n; ++j) {
    if (indx[j] < 1 || indx[j] > n) {
      numerics::ErrorBox("%s\n\nBAD SORT INDEX [%d] AT [%d] OF [%d]", name, indx[j], j, n);
      return false;
    }
  }
  return true;
}

bool SortTopic() { return Debug.DebugLevel.load() == DEBUG_TOPIC_SORT; }

// The index of arrin[1..n] in rising order. A sort by value comes first: when every
// key is then below the next (no two equal, none not a number), that order is the
// only rising one and so the heap sort's too; otherwise the heap sort decides, as it
// places equal keys its own way.
template <typename T>
void SortIndex(int32_t n, const T* arrin, int32_t* indx) {
  bool plain = n >= 2;
  for (int32_t j = 1; j <= n && plain; ++j) plain = !std::isnan(arrin[j]);
  if (plain) {
    for (int32_t j = 1; j <= n; ++j) indx[j] = j;
    std::sort(indx + 1, indx + n + 1, [arrin](int32_t x, int32_t y) { return arrin[x] < arrin[y]; });
    for (int32_t j = 1; j < n && plain; ++j) plain = arrin[indx[j]] < arrin[indx[j + 1]];
    if (plain) return;
  }
  HeapIndex(n, arrin, indx);
}

}  // namespace

int16_t IndexSortD(int32_t n, const double* a, int32_t* indx) {
  SortIndex(n, a, indx);
  return 1;
}

int16_t IndexSortF(int32_t n, const float* a, int32_t* indx) {
  SortIndex(n, a, indx);
  return 1;
}

int16_t LldSort123(int32_t n, const int32_t* indx, int32_t* a, int32_t* b, double* c) {
  if (n < 1) return 1;
  if (!ValidIndex("LldSort123()", n, indx)) return -1;
  Work<int32_t> lwksp("LldSort123()/lwksp", LAlloc1Dim, LFree1Dim);
  Work<double> dwksp("LldSort123()/dwksp", DAlloc1Dim, DFree1Dim);
  lwksp.Need(a, n, 1);
  lwksp.Need(b, n, 1);
  dwksp.Need(c, n, 1);
  if (!lwksp.Allocate() || !dwksp.Allocate()) return -1;
  if (a) Gather(n, indx, a, lwksp.p, 1);
  if (b) Gather(n, indx, b, lwksp.p, 1);
  if (c) Gather(n, indx, c, dwksp.p, 1);
  return 1;
}

int16_t Csi6sfdrddASort(int32_t n, const int32_t* indx, char* c, BOOL* b, int16_t* s, int32_t* i, int16_t* s6,
                        float* f, double* d, int32_t w) {
  if (Debug.DebugTraceFlag.load() == 1) DebugTrace(1, "Csi6sfdrddASort()", DEBUG_ENTER);
  int16_t status = 1;
  const int32_t width = w > 0 ? w : 1;
  if (n >= 1) {
    Work<char> cwksp("Csi6sfdrddASort()/cwksp", CAlloc1Dim, CFree1Dim);
    Work<BOOL> bwksp("Csi6sfdrddASort()/bwksp", BAlloc1Dim, BFree1Dim);
    Work<int16_t> swksp("Csi6sfdrddASort()/swksp", SAlloc1Dim, SFree1Dim);
    Work<int32_t> lwksp("Csi6sfdrddASort()/lwksp", LAlloc1Dim, LFree1Dim);
    Work<float> fwksp("Csi6sfdrddASort()/fwksp", FAlloc1Dim, FFree1Dim);
    Work<double> dwksp("Csi6sfdrddASort()/dwksp", DAlloc1Dim, DFree1Dim);
    cwksp.Need(c, n, width);
    bwksp.Need(b, n, width);
    swksp.Need(s, n, width);
    lwksp.Need(i, n, width);
    swksp.Need(s6, n, 6);
    fwksp.Need(f, n, width);
    dwksp.Need(d, n, width);
    if (!ValidIndex("Csi6sfdrddASort()", n, indx) || !cwksp.Allocate() || !bwksp.Allocate() ||
        !swksp.Allocate() || !lwksp.Allocate() || !fwksp.Allocate() || !dwksp.Allocate()) {
      status = -1;
    } else {
      const bool topic = SortTopic();
      if (c) {
        if (topic) DebugLogWrite("CSI SORT - CHAR\n");
        Gather(n, indx, c, cwksp.p, width);
      }
      if (b) {
        if (topic) DebugLogWrite("CSI SORT - BOOL\n");
        Gather(n, indx, b, bwksp.p, width);
      }
      if (s) {
        if (topic) DebugLogWrite("CSI SORT - SHORT\n");
        Gather(n, indx, s, swksp.p, width);
      }
      if (i) {
        if (topic) DebugLogWrite("CSI SORT - INTEGER\n");
        Gather(n, indx, i, lwksp.p, width);
      }
      if (s6) {
        if (topic) DebugLogWrite("CSI SORT - SHORT6\n");
        Gather(n, indx, s6, swksp.p, 6);
      }
      if (f) {
        if (topic) DebugLogWrite("CSI SORT - FLOAT\n");
        Gather(n, indx, f, fwksp.p, width);
      }
      if (d) {
        if (topic) DebugLogWrite("CSI SORT - DOUBLE\n");
        Gather(n, indx, d, dwksp.p, width);
      }
    }
  }
  if (Debug.DebugTraceFlag.load() == 1) DebugTrace(1, "Csi6sfdrddASort()", DEBUG_EXIT);
  return status;
}

int16_t Csi6sfdrddSort(int32_t n, const int32_t* indx, char* c, int16_t* s, int32_t* i, int16_t* s6, int32_t* l,
                       float* f, double* d) {
  if (n < 1) return 1;
  if (!ValidIndex("Csi6sfdrddSort()", n, indx)) return -1;
  Work<char> cwksp("Csi6sfdrddSort()/cwksp", CAlloc1Dim, CFree1Dim);
  Work<int16_t> swksp("Csi6sfdrddSort()/swksp", SAlloc1Dim, SFree1Dim);
  Work<int32_t> lwksp("Csi6sfdrddSort()/lwksp", LAlloc1Dim, LFree1Dim);
  Work<float> fwksp("Csi6sfdrddSort()/fwksp", FAlloc1Dim, FFree1Dim);
  Work<double> dwksp("Csi6sfdrddSort()/dwksp", DAlloc1Dim, DFree1Dim);
  cwksp.Need(c, n, 1);
  swksp.Need(s, n, 1);
  lwksp.Need(i, n, 1);
  swksp.Need(s6, n, 6);
  lwksp.Need(l, n, 1);
  fwksp.Need(f, n, 1);
  dwksp.Need(d, n, 1);
  if (!cwksp.Allocate() || !swksp.Allocate() || !lwksp.Allocate() || !fwksp.Allocate() || !dwksp.Allocate())
    return -1;
  if (c) Gather(n, indx, c, cwksp.p, 1);
  if (s) Gather(n, indx, s, swksp.p, 1);
  if (i) Gather(n, indx, i, lwksp.p, 1);
  if (s6) Gather(n, indx, s6, swksp.p, 6);
  if (l) Gather(n, indx, l, lwksp.p, 1);
  if (f) Gather(n, indx, f, fwksp.p, 1);
  if (d) Gather(n, indx, d, dwksp.p, 1);
  return 1;
}
