// Worker-thread tables: the two long-running function threads (view-file preparation
// and operation sequence) and the pool of RAV workers.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"
#include "records/AtomicField.h"

constexpr int RAV_MAX_THREADS = 30;

// What a view run is asked to do (bits of ThreadCtl.View_Request): re-select the active
// channel (page type 1), define the pages (page type 0), prepare the view files.
constexpr uint32_t VIEW_REQUEST_RESELECT = 1;
constexpr uint32_t VIEW_REQUEST_PAGES = 2;
constexpr uint32_t VIEW_REQUEST_PREP = 4;

struct ThreadCtlRecord {
  // View-file preparation thread.
  HANDLE View_Thread = nullptr;
  DWORD View_ThreadId = 0;
  HANDLE View_StopEvent = nullptr;     // auto-reset: the interface thread asks the view thread to stop
  HANDLE View_StoppedEvent = nullptr;  // manual-reset: the view thread has stopped
  Shared<uint32_t> View_Busy{0};       // 1 while a view run is marked busy; the thread clears it at every end
  Shared<uint32_t> View_Started{0};    // 1 once the view thread has been started in this program's life
  Shared<uint32_t> View_Running{0};    // 1 while a view run is under way (one run at a time)
  // Runs asked for and not yet taken by a run, as VIEW_REQUEST_ bits: requests made
  // while a run goes on are merged and run next, none replacing another.
  Shared<uint32_t> View_Request{0};
  // Requests a stop took back (queued, or of the run it stopped): the next start asks
  // for them again together with its own.
  Shared<uint32_t> View_Held{0};
  Shared<DWORD> View_RunThreadId{0};   // thread of the run under way, 0 when none
  Shared<uint32_t> View_Workers{0};    // view workers a view-file build uses; 0: one a core
  Shared<uint32_t> View_StopRestart{0};  // 1: the stop asked for is part of a restart; the stopped run leaves the display as it was
  // Called on the view thread just before a preparation reads a channel's view files or
  // writes those it built (the channel as argument). Null in the program; tests hold a
  // run there while they change what it works on.
  Shared<void (*)(int16_t)> View_FilesHook{nullptr};
  // Operation-sequence thread.
  HANDLE OpSeq_Thread = nullptr;
  DWORD OpSeq_ThreadId = 0;
  Shared<uint32_t> OpSeq_Running{0};   // 1 while the operation-sequence thread runs
  Shared<uint32_t> OpSeq_Stop{0};      // 1: the operation sequence is asked to stop at its next block or command
  // 1 from the start of a sequence until its thread's routine has ended, whatever a
  // command clears: what "a sequence runs" means to the idle test, the quit and OP SEQ.
  Shared<uint32_t> OpSeq_Alive{0};
};

struct CnvRecord;

// The per-file routine of the pool's cross-correlation commands (see core/Threads.h).
using RavFileFixRoutine = int32_t (*)(int16_t worker, int16_t mode, const char* seqName, const char* secondName,
                                      const char* valuesName, const char* fourthName, const int16_t* params,
                                      int32_t fileIndex);

struct RavThreadPoolRecord {
  HANDLE StartEvent[RAV_MAX_THREADS] = {};  // auto-reset
  HANDLE DoneEvent[RAV_MAX_THREADS] = {};   // auto-reset
  HANDLE QuitEvent[RAV_MAX_THREADS] = {};   // manual-reset
  HANDLE Thread[RAV_MAX_THREADS] = {};
  DWORD ThreadId[RAV_MAX_THREADS] = {};
  // Set by the driver while every worker waits for its start event; workers only read.
  int16_t Pool_Size = 0;            // number of workers started
  int16_t Pool_Proc = 0;            // procedure selector, must be 0
  int16_t Pool_Cmd = 0;             // 37 "SEQCC2FILEFIX", 43 "SEQCCFILEFIX"
  char Pool_Flnm[4][200] = {};      // file-name templates, each followed by the file number
  int16_t Pool_CCPrm[5] = {};       // cross-correlation parameters handed on unchanged
  // The routine the workers call for each file; installed by the file-operation code.
  Shared<RavFileFixRoutine> FileFix_Routine{nullptr};
  int32_t Pool_SeqPrm[4] = {};      // sequence values of command 37: SEQ SZ, SEQ CT, WIN LO, WIN HI
  CnvRecord* Pool_Cnv = nullptr;    // the conversion record the workers work on: their creator's
};

extern ThreadCtlRecord ThreadCtl;
extern RavThreadPoolRecord RavThreadPool;
