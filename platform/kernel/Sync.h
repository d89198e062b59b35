// Kernel synchronisation and threads: events, waits, recursive critical sections,
// sleep, threads with priorities and cooperative cancellation.
//
// Every wait here (events, threads, processes, critical sections, sleep) keeps
// servicing work that other threads hand to the waiting thread (messages sent to
// its windows), so that a thread waiting for a worker never deadlocks with a worker
// that sends it a message. Every wait is also a cancellation point.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/kernel/WinTypes.h"

// ---- events and waits -------------------------------------------------------------
HANDLE CreateEvent(BOOL manualReset, BOOL initialState);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
// Waits for one (waitAll false: result WAIT_OBJECT_0 + index of the first signalled
// object) or all of count objects (waitAll true: result WAIT_OBJECT_0 once every one
// is signalled at the same time; auto-reset events are then all consumed together).
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds);
BOOL CloseHandle(HANDLE object);
void Sleep(DWORD milliseconds);

// ---- recursive critical sections --------------------------------------------------
struct CriticalSectionState;
struct CRITICAL_SECTION {
  CriticalSectionState* state = nullptr;
};
void InitializeCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
BOOL TryEnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);

// ---- threads ------------------------------------------------------------------------
using LPTHREAD_START_ROUTINE = DWORD (*)(void* parameter);
// Starts routine(parameter) on a new thread; the handle is signalled when it ends.
// Returns nullptr on failure (platform::LastErrorText() says why).
HANDLE CreateThread(LPTHREAD_START_ROUTINE routine, void* parameter, DWORD* threadId);
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
HANDLE GetCurrentThread();  // pseudo handle of the calling thread (not to be closed)
DWORD GetCurrentThreadId();
DWORD GetThreadId(HANDLE thread);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
// Ends the calling thread (it unwinds to its start routine's caller).
[[noreturn]] void ExitThread(DWORD exitCode);
// Asks the thread to end: it unwinds at its next platform wait, sleep or
// cancellation point, ending with exitCode. Never kills a thread in the middle of
// its own code.
BOOL TerminateThread(HANDLE thread, DWORD exitCode);

namespace platform {

// Thrown inside a thread to unwind it; caught by the thread's start-up frame.
struct ThreadUnwind {
  DWORD exitCode;
};

// Throws ThreadUnwind if the calling thread was asked to end.
void CancellationPoint();

// The cores the process may run on (its affinity mask), at least 1.
int CoresAllowed();

// Caps every later Sleep at limit milliseconds (tests shorten the pauses of long
// runs); INFINITE restores full sleeps. Returns the cap it replaces.
DWORD SetSleepLimit(DWORD limit);

// Lets only the next count CreateThread calls succeed; later ones fail as if the
// system had no threads left (tests of callers that must cope). A negative count
// lifts the limit. Returns the count it replaces (the starts still allowed).
int32_t SetThreadStartLimit(int32_t count);

// ---- the kernel object table, for the other parts of the platform ----------------
class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // Both called with the kernel lock held.
  virtual bool IsSignalled() const = 0;
  virtual void Acquire() {}  // a satisfied wait consumes the object (auto-reset events)
};

HANDLE RegisterObject(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookupObject(HANDLE handle);

// The one lock of the kernel state; after changing state that a waiter may be
// waiting for, call NotifyKernel() (with or without the lock held).
std::unique_lock<std::mutex> LockKernel();
void NotifyKernel();
// Wakes only the given thread, when what changed concerns it alone (its handed-over
// work, the answer to a message it sent).
void NotifyThread(DWORD threadId);

// Waits, with the kernel lock held by lock, until ready() (called under the lock)
// returns true or the time runs out; services handed-over work and honours
// cancellation while it waits. Returns false on time-out.
bool WaitUntil(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready,
               DWORD milliseconds);

// ---- handing work to another thread ----------------------------------------------
// The window system registers the function that services the calling thread's
// handed-over work (messages sent to its windows from other threads). Waits call it
// whenever RaiseServiceWork was called for the waiting thread.
using ServiceHook = void (*)();
void SetServiceHook(ServiceHook hook);
void RaiseServiceWork(DWORD threadId);
// Runs the service hook now if work was raised for the calling thread.
void ServicePendingWork();
bool IsThreadAlive(DWORD threadId);

}  // namespace platform
