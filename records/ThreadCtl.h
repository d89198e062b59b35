// Worker-thread tables: the two long-running function threads (view-file preparation
// and operation sequence) and the pool of RAV workers.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/WinTypes.h"

constexpr int RAV_MAX_THREADS = 30;

struct ThreadCtlRecord {
  // View-file preparation thread.
  HANDLE View_Thread = nullptr;
  DWORD View_ThreadId = 0;
  HANDLE View_StopEvent = nullptr;     // auto-reset: the interface thread asks the view thread to stop
  HANDLE View_StoppedEvent = nullptr;  // manual-reset: the view thread has stopped
  // Operation-sequence thread.
  HANDLE OpSeq_Thread = nullptr;
  DWORD OpSeq_ThreadId = 0;
};

struct RavThreadPoolRecord {
  HANDLE StartEvent[RAV_MAX_THREADS] = {};  // auto-reset
  HANDLE DoneEvent[RAV_MAX_THREADS] = {};   // auto-reset
  HANDLE QuitEvent[RAV_MAX_THREADS] = {};   // manual-reset
  HANDLE Thread[RAV_MAX_THREADS] = {};
  DWORD ThreadId[RAV_MAX_THREADS] = {};
};

extern ThreadCtlRecord ThreadCtl;
extern RavThreadPoolRecord RavThreadPool;
