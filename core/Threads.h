// The two long-running function threads (view-file preparation and operation
// sequence) and the pool of up to 30 RAV workers that run a command over a
// numbered file series.
//
// Pool protocol (the driver's side): fill RavThreadPool's size, selector, command,
// templates and parameters while every worker waits; QvMPICreate(p) once; set every
// start event; wait for all done events together; to end the pool set every quit
// event, then every start event.
#pragma once

#include <cstdint>

#include "platform/kernel/Sync.h"
#include "records/ThreadCtl.h"

// Pool commands.
constexpr int16_t RAV_CMD_SEQCC2FILEFIX = 37;
constexpr int16_t RAV_CMD_SEQCCFILEFIX = 43;

// Starts routine on a thread of its own at below-normal priority. For the view-file
// preparation routine the start is a request: the request fields of Win (page type,
// prepare) are added to the requests waiting (with those a stop held back), and while
// a view run is still going no thread is made beside it: the running thread takes the
// waiting requests, merged, as its next run. A view thread gets its stop and stopped
// events first and a non-null parameter (its request is already waiting). Returns 1
// started (or queued), 0 failed.
int32_t FunctionThreadCreate(LPTHREAD_START_ROUTINE routine);
// The VIEW_REQUEST_ bits of one pair of request fields.
uint32_t ViewRequestBits(uint32_t pageType, uint32_t prep);
// Starts the view routine for the given VIEW_REQUEST_ bits and those a stop held back
// (nothing when both are none), as FunctionThreadCreate does. 1 started or queued.
int32_t FunctionThreadViewRequest(uint32_t request);
// Names the view-file preparation routine (DisplayQviQvoSetup of the display, above
// core), which FunctionThreadCreate recognises by its address; the program names it once
// at start-up (Qv95HooksInstall). Until then no routine is taken for it.
void FunctionThreadSetViewRoutine(LPTHREAD_START_ROUTINE routine);

// The operation sequence was asked to stop (ThreadCtl.OpSeq_Stop) and the calling
// thread is the sequence's own or a worker of its pool: the file engine then ends the
// call at its next block read, and the sequence's pauses and failure boxes are left out.
// Every other thread (the dialogs' engine calls) goes on as asked.
bool OpSeqStopAsked();
// Waits the given time to let a note be read, ending early when the operation sequence
// is asked to stop (OpSeqStopAsked), so that a stop is not held up by a pause.
void OpSeqPause(DWORD milliseconds);

// Creates workers 0 .. n-1 with their events. Returns 1, or 0 when n is outside
// 1..30 or a worker could not be created (the pool size then counts only the
// workers that exist).
int32_t QvMPICreate(int16_t n);

// Body of worker i: waits for its start event, runs the pool's command, sets its
// done event, and ends when it finds its quit event set after a start.
DWORD QvMPIThread(void* worker);

// The per-file routine of the cross-correlation commands: aligns one file of a
// series. Result 1 on success, 0 on failure (after its own warnings).
// The routine the workers call; the file-operation subsystem installs its own at
// start-up, tests install stand-ins. Returns the one it replaces.
RavFileFixRoutine RavSetFileFixRoutine(RavFileFixRoutine routine);
