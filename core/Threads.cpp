#include "core/Threads.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "core/DebugLog.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "core/MsgWindow.h"

namespace {

// The view-file preparation routine of the display, named at start-up.
std::atomic<LPTHREAD_START_ROUTINE> g_viewRoutine{nullptr};

constexpr UINT kWarning = MB_SYSTEMMODAL | MB_ICONEXCLAMATION;

void Warn(const char* text) { MessageBox(Win.hWnd_Main, text, "Warning", kWarning); }

// Workers run at the same time: each hands its line over directly rather than
// through the one shared message buffer, so no line is lost or shown twice.
void ShowMessage(const std::string& text) { DspMsgShowText(text.c_str(), Win.hWnd_Main); }

void Trace(const char* name, int16_t kind) {
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, name, kind);
}

// Makes sure an event exists and is reset; a handle that is gone is made anew.
bool ReadyEvent(HANDLE* event, BOOL manualReset) {
  if (*event && WaitForSingleObject(*event, 0) != WAIT_FAILED) return ResetEvent(*event) != FALSE;
  *event = CreateEvent(manualReset, FALSE);
  return *event != nullptr;
}

}  // namespace

void FunctionThreadSetViewRoutine(LPTHREAD_START_ROUTINE routine) { g_viewRoutine = routine; }

RavFileFixRoutine RavSetFileFixRoutine(RavFileFixRoutine routine) {
  return RavThreadPool.FileFix_Routine.exchange(routine);
}

uint32_t ViewRequestBits(uint32_t pageType, uint32_t prep) {
  return (pageType == 1 ? VIEW_REQUEST_RESELECT : VIEW_REQUEST_PAGES) | (prep != 0 ? VIEW_REQUEST_PREP : 0u);
}

namespace {

int32_t Started(HANDLE thread) {
  if (!thread) {
    Warn("FUNCTION THREAD NOT STARTED\n\nABORTING");
    return 0;
  }
  SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
  return 1;
}

}  // namespace

int32_t FunctionThreadViewRequest(uint32_t request) {
  const LPTHREAD_START_ROUTINE routine = g_viewRoutine.load();
  if (!routine) {
    ThreadCtl.View_Held.fetch_or(request);  // kept for a start that can run it
    return 0;
  }
  request |= ThreadCtl.View_Held.exchange(0);
  if (request == 0) return 1;
  ThreadCtl.View_Request.fetch_or(request);
  // One view run at a time: a request made while a run goes on waits for it. The run's
  // own flag decides, not its thread: a run that has released the flag may still be on
  // its way out and would no longer see the request. When the run ended between the
  // look and the request and nobody took it meanwhile, this start runs it.
  if (ThreadCtl.View_Running.load() != 0 || ThreadCtl.View_Request.load() == 0) return 1;
  if (ThreadCtl.View_Thread) {
    CloseHandle(ThreadCtl.View_Thread);
    ThreadCtl.View_Thread = nullptr;
  }
  // The events are made once and reset for every run, so no thread is ever left
  // holding an event that a new run replaced.
  DWORD id = 0;
  HANDLE thread = nullptr;
  if (ReadyEvent(&ThreadCtl.View_StopEvent, FALSE) && ReadyEvent(&ThreadCtl.View_StoppedEvent, TRUE))
    thread = CreateThread(routine, &ThreadCtl, &id);
  if (thread) {
    ThreadCtl.View_Thread = thread;
    ThreadCtl.View_ThreadId = id;
  } else {
    ThreadCtl.View_Held.fetch_or(ThreadCtl.View_Request.exchange(0));  // asked for again at the next start
  }
  return Started(thread);
}

int32_t FunctionThreadCreate(LPTHREAD_START_ROUTINE routine) {
  if (routine != nullptr && routine == g_viewRoutine.load())
    return FunctionThreadViewRequest(ViewRequestBits(Win.ViewPageType, Win.ViewPrep));
  DWORD id = 0;
  HANDLE thread = routine ? CreateThread(routine, nullptr, &id) : nullptr;
  if (thread) {
    if (ThreadCtl.OpSeq_Thread) CloseHandle(ThreadCtl.OpSeq_Thread);
    ThreadCtl.OpSeq_Thread = thread;
    ThreadCtl.OpSeq_ThreadId = id;
  }
  return Started(thread);
}

bool OpSeqStopAsked() {
  // The sequence and its workers work on the sequence's copy of the conversion record.
  return ThreadCtl.OpSeq_Stop == 1 && (CnvThreadCopy != nullptr || GetCurrentThreadId() == ThreadCtl.OpSeq_ThreadId);
}

void OpSeqPause(DWORD milliseconds) {
  // In slices rather than by the clock, so that a capped Sleep (the tests') caps the pause.
  constexpr DWORD kSlice = 50;
  for (DWORD waited = 0; waited < milliseconds && !OpSeqStopAsked(); waited += kSlice)
    Sleep(std::min(kSlice, milliseconds - waited));
}

int32_t QvMPICreate(int16_t n) {
  Trace("QvMPICreate()", DEBUG_ENTER);
  if (n < 1 || n > RAV_MAX_THREADS) {
    Warn(StrPrintf("QvMPICreate()\n\nTHREAD COUNT=[%d] NOT IN [1]-[%d]\n\nABORTING", n, RAV_MAX_THREADS).c_str());
    Trace("QvMPICreate()", DEBUG_EXIT);
    return 0;
  }
  RavThreadPool.Pool_Cnv = CnvThreadCopy;  // the sequence's copy, which its workers share
  for (int16_t i = 0; i < n; ++i) {
    HANDLE* start = &RavThreadPool.StartEvent[i];
    HANDLE* done = &RavThreadPool.DoneEvent[i];
    HANDLE* quit = &RavThreadPool.QuitEvent[i];
    bool ok = ReadyEvent(start, FALSE) && ReadyEvent(done, FALSE) && ReadyEvent(quit, TRUE);
    DWORD id = 0;
    HANDLE thread = ok ? CreateThread(QvMPIThread, reinterpret_cast<void*>(static_cast<intptr_t>(i)), &id) : nullptr;
    if (!thread) {
      // The driver waits for the done events of the whole pool: keep the pool to
      // the workers that exist, so that it never waits for one that does not.
      RavThreadPool.Pool_Size = i;
      Warn("RAV THREAD NOT CREATED");
      Trace("QvMPICreate()", DEBUG_EXIT);
      return 0;
    }
    SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    if (RavThreadPool.Thread[i]) CloseHandle(RavThreadPool.Thread[i]);
    RavThreadPool.Thread[i] = thread;
    RavThreadPool.ThreadId[i] = id;
  }
  Trace("QvMPICreate()", DEBUG_EXIT);
  return 1;
}

namespace {

// Runs the pool's command for worker i over the files i, i + p, i + 2p, ...
void RunCommand(int16_t i) {
  const int16_t command = RavThreadPool.Pool_Cmd;
  if (command != RAV_CMD_SEQCC2FILEFIX && command != RAV_CMD_SEQCCFILEFIX) {
    Warn("OPSEQ COMMAND STRING NOT VALID");
    return;
  }
  const int16_t step = RavThreadPool.Pool_Size > 0 ? RavThreadPool.Pool_Size : 1;
  // The files a worker writes over, one series after the other, are kept and written
  // over in place for its whole share instead of one file's worth: many workers
  // creating and freeing files in one folder wait for each other on it.
  platform::KeepReplacedFiles keep;
  for (int32_t k = i; !OpSeqStopAsked(); k += step) {
    const std::string first = StrPrintf("%s%03d", RavThreadPool.Pool_Flnm[0], k);
    const std::string second = StrPrintf("%s%03d", RavThreadPool.Pool_Flnm[1], k);
    const std::string values = StrPrintf("%s%03d_CCVals", RavThreadPool.Pool_Flnm[2], k);
    const std::string fourth = StrPrintf("%s%03d", RavThreadPool.Pool_Flnm[3], k);
    if (command == RAV_CMD_SEQCC2FILEFIX && i == 0)
      ShowMessage(StrPrintf("OPSEQ:   RAV SEQCC2FILEFIX:   FILE TEST=[%s]\n", first.c_str()));
    if (!platform::FileExists(first.c_str())) {
      ShowMessage(StrPrintf("OPSEQ:   THREAD=[%2d] DONE\n", i));
      return;
    }
    ShowMessage(StrPrintf("OPSEQ:   THREAD=[%2d] FLNM=[%s]\n", i, first.c_str()));
    RavFileFixRoutine fix = RavThreadPool.FileFix_Routine.load();
    const int32_t ok = fix ? fix(static_cast<int16_t>(i + 1), 0, first.c_str(), second.c_str(), values.c_str(),
                                 fourth.c_str(), RavThreadPool.Pool_CCPrm, k)
                           : 0;
    // A file left half done by a stop is no failure: the worker just ends its share.
    if (!ok && OpSeqStopAsked()) return;
    if (!ok) {
      Warn(command == RAV_CMD_SEQCC2FILEFIX ? "SEQCOADD\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING"
                                            : "SEQCCFILEFIX\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING");
      return;
    }
  }
}

}  // namespace

DWORD QvMPIThread(void* worker) {
  const int16_t i = static_cast<int16_t>(reinterpret_cast<intptr_t>(worker));
  Trace("QvMPIThread()", DEBUG_ENTER);
  if (i < 0 || i >= RAV_MAX_THREADS) return 0;
  CnvThreadCopy = RavThreadPool.Pool_Cnv;
  for (;;) {
    if (WaitForSingleObject(RavThreadPool.StartEvent[i], INFINITE) != WAIT_OBJECT_0) {
      // A start event that cannot be waited for never will be: going round again
      // would only repeat the warning for ever, so the worker ends.
      Warn(StrPrintf("MPI THREAD WAIT FAILED=[%2d]", i).c_str());
      Trace("QvMPIThread()", DEBUG_EXIT);
      return 1;
    }
    if (WaitForSingleObject(RavThreadPool.QuitEvent[i], 0) == WAIT_OBJECT_0) {
      ShowMessage(StrPrintf("RAV:   THREAD=[%2d] EXIT\n", i));
      Trace("QvMPIThread()", DEBUG_EXIT);
      return 0;
    }
    if (RavThreadPool.Pool_Proc != 0)
      Warn("RAV PROCEEDURE NOT VALID");
    else
      RunCommand(i);
    SetEvent(RavThreadPool.DoneEvent[i]);
  }
}
