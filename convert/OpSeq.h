// The operation-sequence interpreter: runs a command file of keywords, each followed
// by one argument line, that drives batches of file operations without questions.
// START and STOP lines group the commands into blocks that run automatically, are
// skipped, or are offered one by one. The run writes "OpSeq.log" in the current
// folder and ends at the first failing command.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

// Number of keywords of the language, and the entries of the handler table (the
// indices from OPSEQ_KEYWORDS up have handlers that no keyword reaches).
constexpr int32_t OPSEQ_KEYWORDS = 55;
constexpr int32_t OPSEQ_HANDLERS = 100;
// The keywords in index order, each zero-padded to 50 characters.
extern const char OpSeqKeywordTable[OPSEQ_KEYWORDS][50];

// Thread routine (started through FunctionThreadCreate by OP SEQ); result 1. The run
// works on its own copy of the conversion record and hands its changes back after the
// choice of the command file, after every command and at its end.
DWORD CnvOperationSequence(void* parameter);
// Asks a running sequence to stop at its next block or command and waits until its
// thread has ended (the wait services what other threads send to the caller); then
// nothing runs. Used by OP SEQ and when the program quits.
void CnvOperationSequenceStop();

// Index of keyword in the table (exact, case matters), -1 when it is not there.
int32_t OpSeqKeywordIndex(const char* keyword);
