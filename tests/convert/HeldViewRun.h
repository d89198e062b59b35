// A view run held just before it reads or writes a channel's view files, until the
// test lets it go or it is asked to stop (the stop is left for the run to see): the
// tests of dialogs that change the channel table while a run works on it.
#pragma once

#include <cstdint>

#include "platform/kernel/Sync.h"
#include "records/ThreadCtl.h"

namespace qvtest {

struct HeldViewRun {
  static inline HANDLE held = nullptr;  // set when the run reaches the files
  static inline HANDLE go = nullptr;    // lets it go on

  static void Hook(int16_t) {
    SetEvent(held);
    const HANDLE stop = ThreadCtl.View_StopEvent;
    const HANDLE wake[2] = {go, stop};
    if (WaitForMultipleObjects(2, wake, FALSE, 60000) == WAIT_OBJECT_0 + 1) SetEvent(stop);
  }
  static void Make() {
    held = CreateEvent(FALSE, FALSE);
    go = CreateEvent(FALSE, FALSE);
  }
  static void Close() {
    CloseHandle(held);
    CloseHandle(go);
  }
  static bool Reached() { return WaitForSingleObject(held, 0) == WAIT_OBJECT_0; }
};

}  // namespace qvtest
