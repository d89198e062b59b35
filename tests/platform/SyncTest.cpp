#include "platform/kernel/Sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace {

TEST(SyncTest, AutoResetEventReleasesOneWaitAndManualResetStays) {
  HANDLE autoEvent = CreateEvent(FALSE, TRUE);
  HANDLE manualEvent = CreateEvent(TRUE, TRUE);
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(manualEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manualEvent, 0), WAIT_OBJECT_0);
  ResetEvent(manualEvent);
  EXPECT_EQ(WaitForSingleObject(manualEvent, 10), WAIT_TIMEOUT);
  CloseHandle(autoEvent);
  CloseHandle(manualEvent);
}

TEST(SyncTest, StaleHandleFailsInsteadOfReachingReusedSlot) {
  HANDLE first = CreateEvent(TRUE, TRUE);
  ASSERT_TRUE(CloseHandle(first));
  HANDLE second = CreateEvent(TRUE, FALSE);  // likely the same slot, new generation
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_FAILED);
  EXPECT_FALSE(SetEvent(first));
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
  EXPECT_FALSE(CloseHandle(first));
  CloseHandle(second);
}

TEST(SyncTest, WaitAllConsumesAutoResetEventsOnlyWhenAllAreSet) {
  HANDLE events[3] = {CreateEvent(FALSE, FALSE), CreateEvent(FALSE, FALSE), CreateEvent(FALSE, FALSE)};
  SetEvent(events[0]);
  SetEvent(events[2]);
  EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), WAIT_TIMEOUT);
  // The two set events must not have been consumed by the failed wait-all.
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 0);
  SetEvent(events[0]);
  SetEvent(events[1]);
  EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), WAIT_OBJECT_0);
  for (HANDLE e : events) EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  for (HANDLE e : events) CloseHandle(e);
}

struct PoolShared {
  HANDLE start[30];
  HANDLE done[30];
  std::atomic<int> runs{0};
};

DWORD PoolWorker(void* p) {
  auto* shared = static_cast<PoolShared*>(p);
  static std::atomic<int> next{0};
  int i = next.fetch_add(1) % 30;
  for (int round = 0; round < 2; ++round) {
    WaitForSingleObject(shared->start[i], INFINITE);
    shared->runs.fetch_add(1);
    SetEvent(shared->done[i]);
  }
  return 0;
}

TEST(SyncTest, WaitAllOverThirtyWorkersDoneEvents) {
  PoolShared shared;
  for (int i = 0; i < 30; ++i) {
    shared.start[i] = CreateEvent(FALSE, FALSE);
    shared.done[i] = CreateEvent(FALSE, FALSE);
  }
  std::vector<HANDLE> threads;
  for (int i = 0; i < 30; ++i) threads.push_back(CreateThread(PoolWorker, &shared, nullptr));
  for (int round = 1; round <= 2; ++round) {
    for (int i = 0; i < 30; ++i) SetEvent(shared.start[i]);
    ASSERT_EQ(WaitForMultipleObjects(30, shared.done, TRUE, 20000), WAIT_OBJECT_0);
    EXPECT_EQ(shared.runs.load(), 30 * round);
  }
  for (HANDLE t : threads) {
    EXPECT_EQ(WaitForSingleObject(t, 20000), WAIT_OBJECT_0);
    CloseHandle(t);
  }
  for (int i = 0; i < 30; ++i) {
    CloseHandle(shared.start[i]);
    CloseHandle(shared.done[i]);
  }
}

DWORD BlockForever(void* p) {
  auto* reached = static_cast<std::atomic<bool>*>(p);
  HANDLE never = CreateEvent(TRUE, FALSE);
  reached->store(true);
  WaitForSingleObject(never, INFINITE);  // unwinds here when asked to end
  reached->store(false);                 // never reached
  return 1;
}

TEST(SyncTest, TerminatedThreadUnwindsFromItsWaitWithTheGivenCode) {
  std::atomic<bool> reached{false};
  HANDLE thread = CreateThread(BlockForever, &reached, nullptr);
  ASSERT_NE(thread, nullptr);
  while (!reached.load()) Sleep(1);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  ASSERT_TRUE(TerminateThread(thread, 77));
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 77u);
  EXPECT_TRUE(reached.load());  // the line after the wait did not run
  CloseHandle(thread);
}

DWORD ReturnsArgument(void* p) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(p)); }

TEST(SyncTest, ThreadExitCodeAndPriority) {
  DWORD id = 0;
  HANDLE thread = CreateThread(ReturnsArgument, reinterpret_cast<void*>(uintptr_t{42}), &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL));
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_BELOW_NORMAL);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 42u);
  CloseHandle(thread);
}

TEST(SyncTest, ThreadStartLimitLetsTheAllowedStartsThroughThenFails) {
  const int32_t previous = platform::SetThreadStartLimit(2);
  HANDLE a = CreateThread(ReturnsArgument, nullptr, nullptr);
  HANDLE b = CreateThread(ReturnsArgument, nullptr, nullptr);
  HANDLE c = CreateThread(ReturnsArgument, nullptr, nullptr);
  EXPECT_EQ(platform::SetThreadStartLimit(-5), 0);  // all used; a negative count lifts the limit
  HANDLE d = CreateThread(ReturnsArgument, nullptr, nullptr);
  platform::SetThreadStartLimit(previous);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(c, nullptr);
  ASSERT_NE(d, nullptr);
  for (HANDLE h : {a, b, d}) {
    EXPECT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0);
    CloseHandle(h);
  }
}

TEST(SyncTest, SleepLimitCapsLongSleeps) {
  const DWORD previous = platform::SetSleepLimit(0);
  const auto begin = std::chrono::steady_clock::now();
  Sleep(60000);
  const auto waited = std::chrono::steady_clock::now() - begin;
  EXPECT_EQ(platform::SetSleepLimit(previous), 0u);
  EXPECT_LT(waited, std::chrono::seconds(30));
}

struct SectionShared {
  CRITICAL_SECTION section;
  int counter = 0;
};

DWORD IncrementUnderSection(void* p) {
  auto* shared = static_cast<SectionShared*>(p);
  for (int i = 0; i < 2000; ++i) {
    EnterCriticalSection(&shared->section);
    EnterCriticalSection(&shared->section);  // recursive
    int value = shared->counter;
    shared->counter = value + 1;
    LeaveCriticalSection(&shared->section);
    LeaveCriticalSection(&shared->section);
  }
  return 0;
}

TEST(SyncTest, CriticalSectionIsRecursiveAndExclusive) {
  SectionShared shared;
  InitializeCriticalSection(&shared.section);
  HANDLE threads[4];
  for (HANDLE& t : threads) t = CreateThread(IncrementUnderSection, &shared, nullptr);
  ASSERT_EQ(WaitForMultipleObjects(4, threads, TRUE, 30000), WAIT_OBJECT_0);
  EXPECT_EQ(shared.counter, 8000);
  for (HANDLE t : threads) CloseHandle(t);

  EnterCriticalSection(&shared.section);
  HANDLE tryThread = CreateThread(
      [](void* p) -> DWORD { return TryEnterCriticalSection(&static_cast<SectionShared*>(p)->section); },
      &shared, nullptr);
  WaitForSingleObject(tryThread, 10000);
  DWORD got = 1;
  GetExitCodeThread(tryThread, &got);
  EXPECT_EQ(got, 0u);  // held by this thread
  CloseHandle(tryThread);
  LeaveCriticalSection(&shared.section);
  DeleteCriticalSection(&shared.section);
}

std::atomic<int> g_serviced{0};
void CountService() { g_serviced.fetch_add(1); }

struct RaiseShared {
  DWORD waiterId;
  HANDLE done;
};

DWORD RaiseThenSignal(void* p) {
  auto* shared = static_cast<RaiseShared*>(p);
  platform::RaiseServiceWork(shared->waiterId);
  // Give the waiter time to service the work before the event ends its wait.
  while (g_serviced.load() == 0) Sleep(1);
  SetEvent(shared->done);
  return 0;
}

TEST(SyncTest, WaitServicesWorkHandedToTheWaitingThread) {
  g_serviced = 0;
  platform::SetServiceHook(CountService);
  RaiseShared shared{GetCurrentThreadId(), CreateEvent(TRUE, FALSE)};
  HANDLE thread = CreateThread(RaiseThenSignal, &shared, nullptr);
  // Without servicing inside the wait this would never end.
  EXPECT_EQ(WaitForSingleObject(shared.done, 20000), WAIT_OBJECT_0);
  EXPECT_GE(g_serviced.load(), 1);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  CloseHandle(shared.done);
  platform::SetServiceHook(nullptr);
}

TEST(SyncTest, BadWaitArgumentsFailWithoutBlocking) {
  EXPECT_EQ(WaitForMultipleObjects(0, nullptr, FALSE, INFINITE), WAIT_FAILED);
  HANDLE many[65] = {};
  EXPECT_EQ(WaitForMultipleObjects(65, many, TRUE, INFINITE), WAIT_FAILED);
  EXPECT_EQ(WaitForSingleObject(nullptr, INFINITE), WAIT_FAILED);
}

}  // namespace
