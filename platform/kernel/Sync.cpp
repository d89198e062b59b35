#include "platform/kernel/Sync.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/kernel/Error.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// Never destroyed: detached threads (workers, process reapers) may still lock and
// notify them while the process exits.
std::mutex& g_kernelMutex = *new std::mutex();
std::atomic<ServiceHook> g_serviceHook{nullptr};

// Per-thread bookkeeping; the fields without atomics are guarded by g_kernelMutex.
struct ThreadRecord {
  DWORD id = 0;
  // Each waiting thread sleeps on its own condition (with g_kernelMutex), so that work
  // handed to one thread, or the answer to its sent message, wakes that thread alone
  // rather than every thread of the process that waits for anything.
  std::condition_variable wake;
  std::atomic<bool> cancelRequested{false};
  DWORD cancelExitCode = 0;
  uint64_t serviceRaised = 0;
  uint64_t serviceSeen = 0;
  bool finished = false;
  DWORD exitCode = STILL_ACTIVE;
  int priority = THREAD_PRIORITY_NORMAL;
  pid_t osThread = 0;
};

std::atomic<DWORD> g_nextThreadId{1};
// The tables below live for the whole process (never destroyed), since detached
// workers may still use them while the process exits.
std::unordered_map<DWORD, std::shared_ptr<ThreadRecord>>& ThreadTable() {
  static auto* table = new std::unordered_map<DWORD, std::shared_ptr<ThreadRecord>>();  // g_kernelMutex
  return *table;
}

// The threads now waiting in WaitUntil, by id. Its own lock, taken after the kernel
// lock or alone (never the other way round), lets a state change be announced with or
// without the kernel lock held.
std::mutex& g_waitersMutex = *new std::mutex();
std::unordered_map<DWORD, ThreadRecord*>& Waiters() {
  static auto* waiters = new std::unordered_map<DWORD, ThreadRecord*>();  // g_waitersMutex
  return *waiters;
}

// Wakes every waiting thread: each looks again at what it waits for.
void WakeAllWaiters() {
  std::lock_guard<std::mutex> lock(g_waitersMutex);
  for (auto& waiter : Waiters()) waiter.second->wake.notify_one();
}

// Holds the calling thread's record; threads not started by CreateThread (the
// program's main thread, test threads) get one on first use.
struct ThreadSlot {
  std::shared_ptr<ThreadRecord> record;
  ~ThreadSlot() {
    if (!record) return;
    std::lock_guard<std::mutex> lock(g_kernelMutex);
    record->finished = true;
    ThreadTable().erase(record->id);
    WakeAllWaiters();
  }
};
thread_local ThreadSlot t_self;

ThreadRecord& SelfLocked() {  // g_kernelMutex held
  if (!t_self.record) {
    auto record = std::make_shared<ThreadRecord>();
    record->id = g_nextThreadId.fetch_add(1);
    record->osThread = static_cast<pid_t>(syscall(SYS_gettid));
    ThreadTable()[record->id] = record;
    t_self.record = record;
  }
  return *t_self.record;
}

// ---- handle table ----------------------------------------------------------------------
struct Slot {
  uint32_t generation = 1;
  std::shared_ptr<KernelObject> object;
};
std::vector<Slot>& Slots() {
  static auto* slots = new std::vector<Slot>();  // guarded by g_kernelMutex
  return *slots;
}
std::vector<uint32_t>& FreeSlots() {
  static auto* free = new std::vector<uint32_t>();  // guarded by g_kernelMutex
  return *free;
}

HANDLE Encode(uint32_t index, uint32_t generation) {
  uintptr_t value = (static_cast<uintptr_t>(generation) << 32) | (static_cast<uintptr_t>(index) + 1u);
  return reinterpret_cast<HANDLE>(value);
}

bool Decode(HANDLE handle, uint32_t* index) {
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  uint32_t low = static_cast<uint32_t>(value & 0xFFFFFFFFu);
  uint32_t generation = static_cast<uint32_t>(value >> 32);
  if (low == 0) return false;
  auto& slots = Slots();
  if (low - 1 >= slots.size()) return false;
  if (slots[low - 1].generation != generation || !slots[low - 1].object) return false;
  *index = low - 1;
  return true;
}

std::shared_ptr<KernelObject> LookupLocked(HANDLE handle) {
  uint32_t index = 0;
  if (!Decode(handle, &index)) return nullptr;
  return Slots()[index].object;
}

// ---- kernel objects ------------------------------------------------------------------
class EventObject : public KernelObject {
 public:
  EventObject(bool manual, bool initial) : manual_(manual), signalled_(initial) {}
  bool IsSignalled() const override { return signalled_; }
  void Acquire() override {
    if (!manual_) signalled_ = false;
  }
  void Set(bool on) { signalled_ = on; }

 private:
  bool manual_;
  bool signalled_;
};

class ThreadObject : public KernelObject {
 public:
  explicit ThreadObject(std::shared_ptr<ThreadRecord> record) : record_(std::move(record)) {}
  bool IsSignalled() const override { return record_->finished; }
  ThreadRecord& Record() { return *record_; }

 private:
  std::shared_ptr<ThreadRecord> record_;
};

// The pseudo handle of GetCurrentThread.
HANDLE const kCurrentThreadPseudo = reinterpret_cast<HANDLE>(~static_cast<uintptr_t>(1));

std::shared_ptr<ThreadRecord> ThreadRecordOf(HANDLE handle) {  // g_kernelMutex held
  if (handle == kCurrentThreadPseudo) {
    SelfLocked();
    return t_self.record;
  }
  auto object = std::dynamic_pointer_cast<ThreadObject>(LookupLocked(handle));
  if (!object) return nullptr;
  // Share ownership of the record through the table entry.
  return std::shared_ptr<ThreadRecord>(object, &object->Record());
}

void ApplyOsPriority(const ThreadRecord& record, int priority) {
  // Best effort: a higher nice value for lower priorities; raising it back may be refused.
  int niceValue = priority >= THREAD_PRIORITY_NORMAL ? 0 : (priority == THREAD_PRIORITY_BELOW_NORMAL ? 5 : 10);
  setpriority(PRIO_PROCESS, static_cast<id_t>(record.osThread), niceValue);
}

}  // namespace

// ---- public kernel plumbing --------------------------------------------------------
HANDLE RegisterObject(std::shared_ptr<KernelObject> object) {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  auto& slots = Slots();
  auto& free = FreeSlots();
  uint32_t index;
  if (!free.empty()) {
    index = free.back();
    free.pop_back();
  } else {
    index = static_cast<uint32_t>(slots.size());
    slots.emplace_back();
  }
  slots[index].object = std::move(object);
  return Encode(index, slots[index].generation);
}

std::shared_ptr<KernelObject> LookupObject(HANDLE handle) {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  return LookupLocked(handle);
}

std::unique_lock<std::mutex> LockKernel() { return std::unique_lock<std::mutex>(g_kernelMutex); }

void NotifyKernel() { WakeAllWaiters(); }

void NotifyThread(DWORD threadId) {
  std::lock_guard<std::mutex> lock(g_waitersMutex);
  auto it = Waiters().find(threadId);
  if (it != Waiters().end()) it->second->wake.notify_one();
}

bool WaitUntil(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready, DWORD milliseconds) {
  ThreadRecord& self = SelfLocked();
  const bool forever = milliseconds == INFINITE;
  const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : milliseconds);
  for (;;) {
    if (self.cancelRequested.load()) throw ThreadUnwind{self.cancelExitCode};
    if (ready()) return true;
    ServiceHook hook = g_serviceHook.load();
    if (hook && self.serviceRaised != self.serviceSeen) {
      self.serviceSeen = self.serviceRaised;
      lock.unlock();
      hook();
      lock.lock();
      continue;
    }
    if (!forever && Clock::now() >= deadline) return false;
    {
      std::lock_guard<std::mutex> registry(g_waitersMutex);
      Waiters()[self.id] = &self;
    }
    if (forever)
      self.wake.wait(lock);
    else
      self.wake.wait_until(lock, deadline);
    {
      std::lock_guard<std::mutex> registry(g_waitersMutex);
      Waiters().erase(self.id);
    }
  }
}

void SetServiceHook(ServiceHook hook) { g_serviceHook.store(hook); }

void RaiseServiceWork(DWORD threadId) {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  auto it = ThreadTable().find(threadId);
  if (it == ThreadTable().end()) return;
  it->second->serviceRaised++;
  NotifyThread(threadId);
}

void ServicePendingWork() {
  auto lock = LockKernel();
  ThreadRecord& self = SelfLocked();
  ServiceHook hook = g_serviceHook.load();
  if (!hook || self.serviceRaised == self.serviceSeen) return;
  self.serviceSeen = self.serviceRaised;
  lock.unlock();
  hook();
}

bool IsThreadAlive(DWORD threadId) {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  auto it = ThreadTable().find(threadId);
  return it != ThreadTable().end() && !it->second->finished;
}

void CancellationPoint() {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  ThreadRecord& self = SelfLocked();
  if (self.cancelRequested.load()) throw ThreadUnwind{self.cancelExitCode};
}

}  // namespace platform

using namespace platform;

// ---- events and waits ---------------------------------------------------------------
HANDLE CreateEvent(BOOL manualReset, BOOL initialState) {
  return RegisterObject(std::make_shared<EventObject>(manualReset != 0, initialState != 0));
}

static BOOL SetEventState(HANDLE event, bool on) {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  auto object = std::dynamic_pointer_cast<EventObject>(LookupLocked(event));
  if (!object) {
    SetLastErrorText("invalid event handle");
    return FALSE;
  }
  object->Set(on);
  if (on) WakeAllWaiters();
  return TRUE;
}

BOOL SetEvent(HANDLE event) { return SetEventState(event, true); }
BOOL ResetEvent(HANDLE event) { return SetEventState(event, false); }

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr) {
    SetLastErrorText("invalid wait object count");
    return WAIT_FAILED;
  }
  auto lock = LockKernel();
  std::vector<std::shared_ptr<KernelObject>> objects(count);
  for (DWORD i = 0; i < count; ++i) {
    objects[i] = handles[i] == kCurrentThreadPseudo ? nullptr : LookupLocked(handles[i]);
    if (!objects[i]) {
      SetLastErrorText("invalid handle in wait");
      return WAIT_FAILED;
    }
  }
  DWORD result = WAIT_TIMEOUT;
  auto ready = [&]() {
    if (waitAll) {
      for (auto& object : objects)
        if (!object->IsSignalled()) return false;
      for (auto& object : objects) object->Acquire();
      result = WAIT_OBJECT_0;
      return true;
    }
    for (DWORD i = 0; i < count; ++i) {
      if (objects[i]->IsSignalled()) {
        objects[i]->Acquire();
        result = WAIT_OBJECT_0 + i;
        return true;
      }
    }
    return false;
  };
  if (!WaitUntil(lock, ready, milliseconds)) return WAIT_TIMEOUT;
  return result;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}

BOOL CloseHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> released;  // destroyed after the lock is released
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  uint32_t index = 0;
  if (!Decode(handle, &index)) {
    SetLastErrorText("invalid handle");
    return FALSE;
  }
  auto& slot = Slots()[index];
  released = std::move(slot.object);
  slot.generation++;
  FreeSlots().push_back(index);
  return TRUE;
}

namespace {
std::atomic<DWORD> g_sleepLimit{INFINITE};
}  // namespace

DWORD platform::SetSleepLimit(DWORD limit) { return g_sleepLimit.exchange(limit); }

namespace {
std::atomic<int32_t> g_threadStarts{-1};  // starts still allowed, -1 no limit

// Takes one start from the limit; false when none is left.
bool TakeThreadStart() {
  int32_t left = g_threadStarts.load();
  while (left >= 0) {
    if (left == 0) return false;
    if (g_threadStarts.compare_exchange_weak(left, left - 1)) return true;
  }
  return true;
}
}  // namespace

int32_t platform::SetThreadStartLimit(int32_t count) { return g_threadStarts.exchange(count < 0 ? -1 : count); }

void Sleep(DWORD milliseconds) {
  if (milliseconds > g_sleepLimit.load()) milliseconds = g_sleepLimit.load();
  auto lock = LockKernel();
  if (milliseconds == 0) {
    WaitUntil(lock, [] { return true; }, 0);
    lock.unlock();
    std::this_thread::yield();
    return;
  }
  WaitUntil(lock, [] { return false; }, milliseconds);
}

// ---- critical sections ---------------------------------------------------------------
struct CriticalSectionState {
  DWORD owner = 0;
  int depth = 0;
};

void InitializeCriticalSection(CRITICAL_SECTION* section) {
  if (section) section->state = new CriticalSectionState();
}

void EnterCriticalSection(CRITICAL_SECTION* section) {
  if (!section || !section->state) return;
  auto lock = LockKernel();
  DWORD self = SelfLocked().id;
  CriticalSectionState* state = section->state;
  WaitUntil(lock, [&] {
    if (state->owner != 0 && state->owner != self) return false;
    state->owner = self;
    state->depth++;
    return true;
  }, INFINITE);
}

BOOL TryEnterCriticalSection(CRITICAL_SECTION* section) {
  if (!section || !section->state) return FALSE;
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  DWORD self = SelfLocked().id;
  CriticalSectionState* state = section->state;
  if (state->owner != 0 && state->owner != self) return FALSE;
  state->owner = self;
  state->depth++;
  return TRUE;
}

void LeaveCriticalSection(CRITICAL_SECTION* section) {
  if (!section || !section->state) return;
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  CriticalSectionState* state = section->state;
  if (state->owner != SelfLocked().id || state->depth <= 0) return;  // not ours: ignore
  if (--state->depth == 0) {
    state->owner = 0;
    WakeAllWaiters();
  }
}

void DeleteCriticalSection(CRITICAL_SECTION* section) {
  if (!section) return;
  delete section->state;
  section->state = nullptr;
}

// ---- threads ------------------------------------------------------------------------------
HANDLE CreateThread(LPTHREAD_START_ROUTINE routine, void* parameter, DWORD* threadId) {
  if (!routine) {
    SetLastErrorText("no thread routine");
    return nullptr;
  }
  if (!TakeThreadStart()) {
    SetLastErrorText("no more threads may be started");
    return nullptr;
  }
  auto record = std::make_shared<ThreadRecord>();
  record->id = g_nextThreadId.fetch_add(1);
  HANDLE handle = RegisterObject(std::make_shared<ThreadObject>(record));
  {
    std::lock_guard<std::mutex> lock(g_kernelMutex);
    ThreadTable()[record->id] = record;
  }
  try {
    std::thread([record, routine, parameter]() {
      {
        std::lock_guard<std::mutex> lock(g_kernelMutex);
        record->osThread = static_cast<pid_t>(syscall(SYS_gettid));
        t_self.record = record;
        if (record->priority != THREAD_PRIORITY_NORMAL) ApplyOsPriority(*record, record->priority);
      }
      DWORD code = 0;
      try {
        code = routine(parameter);
      } catch (const ThreadUnwind& unwind) {
        code = unwind.exitCode;
      }
      std::lock_guard<std::mutex> lock(g_kernelMutex);
      record->exitCode = code;
      record->finished = true;
      ThreadTable().erase(record->id);
      t_self.record.reset();
      WakeAllWaiters();
    }).detach();
  } catch (const std::system_error& error) {
    {
      std::lock_guard<std::mutex> lock(g_kernelMutex);
      ThreadTable().erase(record->id);
    }
    CloseHandle(handle);
    SetLastErrorText(std::string("thread not started: ") + error.what());
    return nullptr;
  }
  if (threadId) *threadId = record->id;
  return handle;
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  auto record = ThreadRecordOf(thread);
  if (!record) {
    SetLastErrorText("invalid thread handle");
    return FALSE;
  }
  record->priority = priority;
  if (record->osThread != 0 && !record->finished) ApplyOsPriority(*record, priority);
  return TRUE;
}

int GetThreadPriority(HANDLE thread) {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  auto record = ThreadRecordOf(thread);
  return record ? record->priority : THREAD_PRIORITY_NORMAL;
}

HANDLE GetCurrentThread() { return kCurrentThreadPseudo; }

DWORD GetCurrentThreadId() {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  return SelfLocked().id;
}

DWORD GetThreadId(HANDLE thread) {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  auto record = ThreadRecordOf(thread);
  return record ? record->id : 0;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  auto record = ThreadRecordOf(thread);
  if (!record || !exitCode) {
    SetLastErrorText("invalid thread handle");
    return FALSE;
  }
  *exitCode = record->finished ? record->exitCode : STILL_ACTIVE;
  return TRUE;
}

void ExitThread(DWORD exitCode) { throw ThreadUnwind{exitCode}; }

BOOL TerminateThread(HANDLE thread, DWORD exitCode) {
  std::lock_guard<std::mutex> lock(g_kernelMutex);
  auto record = ThreadRecordOf(thread);
  if (!record) {
    SetLastErrorText("invalid thread handle");
    return FALSE;
  }
  if (record->finished) return TRUE;
  record->cancelExitCode = exitCode;
  record->cancelRequested.store(true);
  WakeAllWaiters();
  return TRUE;
}

int platform::CoresAllowed() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware > 0 ? static_cast<int>(hardware) : 1;
}
