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

// Thread routine (started through FunctionThreadCreate by OP SEQ); result 1.
DWORD CnvOperationSequence(void* parameter);

// Index of keyword in the table (exact, case matters), -1 when it is not there.
int32_t OpSeqKeywordIndex(const char* keyword);
