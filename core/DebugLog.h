// The debug log "Qv95_Debug.log" (in the current folder, created anew when switched
// on) with its indented ENTER/EXIT trace lines and free-form debug text.
//
// Every writer writes one whole line with one write followed by a flush; lines from
// different threads may interleave, but never within a line. While no log is open
// every writer writes nothing. The log is written with CR LF line ends; callers
// write "\n".
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"
#include "records/Debug.h"

// Trace kinds of DebugTrace.
constexpr int16_t DEBUG_ENTER = 0;
constexpr int16_t DEBUG_EXIT = 1;
constexpr int16_t DEBUG_ENTER_EXIT = 2;

// Switches the log on or off (menu entry "&Debug to File": (108, 1, 1); operation
// sequences: (119, 1, 0)). With toggle = 1 a second call switches everything off.
void DebugFileSet(int16_t level, int32_t trace, int32_t toggle);

// Writes an ENTER (kind 0), EXIT (1) or ENTER/EXIT (2) line for name, indented by
// three blanks per nesting level above 1. Kind < 0 writes nothing. The name is
// written literally. Returns the flush result (0 also when no log is open).
int32_t DebugTrace(int16_t depth, const char* name, int16_t kind);

// Debug commands: "BF", "EF", "BEF" write an ENTER/EXIT-style line with body;
// "DF" writes body unchanged; "MIB", "MAB" hand body to the message window;
// "MIBDF", "MABDF" do both; "MBDF" is accepted and does nothing. Any other command
// shows "DEBUG CMD STR=[%s] INVALID".
void DebugCmd(const char* cmd, int16_t depth, const char* body);

// Writes text literally to the log and flushes. Returns the flush result (0 when
// no log is open).
int32_t DebugLogWrite(const char* text);
// Formats and writes one piece of text to the log and flushes.
void DebugPrintf(const char* format, ...) QV_PRINTF(1, 2);
// True while a log is open.
bool DebugLogIsOpen();
