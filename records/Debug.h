// The debug record: the debug log, the ENTER/EXIT trace switch, the debug topic
// code and the texts that debug output hands to the message window.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/kernel/WinTypes.h"
#include "records/AtomicField.h"

// Debug topic codes: extra diagnostics are written only while DebugLevel equals
// the code fixed for them.
constexpr int16_t DEBUG_LEVEL_OFF = 0;
constexpr int16_t DEBUG_TOPIC_ALLOC = 104;     // typed-array allocation trace
constexpr int16_t DEBUG_TOPIC_FILE = 108;      // "&Debug to File" menu entry
constexpr int16_t DEBUG_TOPIC_SORT = 115;      // sorting
constexpr int16_t DEBUG_TOPIC_OPSEQ = 119;     // operation-sequence runs
constexpr int16_t DEBUG_TOPIC_MESSAGE = 204;   // "&Debug to Message": display diagnostics

constexpr int DEBUG_MSG_TEXT_SIZE = 2500;

inline constexpr char DEBUG_LOG_FILE_NAME[] = "Qv95_Debug.log";

// Hooks to the user interface that the debug log drives: the main window's status
// bar and the shared message window. Each is a no-op while unset.
using DebugStatusTextHook = void (*)(int32_t part, const char* text);
using DebugMsgShowHook = int32_t (*)(int32_t show, HWND owner);
using DebugMsgOkHook = void (*)();

struct DebugRecord {
  // The open log "Qv95_Debug.log" or nullptr. Opened, written and closed only by
  // core/DebugLog.cpp, under its lock.
  FILE* DebugLogFile = nullptr;
  // 1 = ENTER/EXIT trace lines are written (each traced operation tests it).
  Shared<int32_t> DebugTraceFlag = 0;
  // 0 = off; otherwise a debug topic code.
  Shared<int16_t> DebugLevel = DEBUG_LEVEL_OFF;
  // 1 while the log has been switched on by DebugFileSet; makes OK in the message
  // window load DebugMsgText.
  Shared<int32_t> DebugFileOpen = 0;
  // Text that callers format before DebugCmd "DF".
  char DebugMsgBuffer[DEBUG_MSG_TEXT_SIZE] = {};
  // Text that DebugCmd "MIB"/"MAB" hands to the message window.
  char DebugMsgText[DEBUG_MSG_TEXT_SIZE] = {};

  // Set by the program at start-up once the status bar and the message window exist.
  DebugStatusTextHook StatusTextHook = nullptr;
  DebugMsgShowHook MsgShowHook = nullptr;
  DebugMsgOkHook MsgOkHook = nullptr;
};

extern DebugRecord Debug;
