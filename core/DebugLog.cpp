#include "core/DebugLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/windows/MessageBox.h"
#include "records/Win.h"

namespace {

// Guards Debug.DebugLogFile: workers write while the interface thread may close the
// log. A lock object, not state; the state lives in the Debug record.
std::mutex logLock;

// The log is a text file with CR LF line ends; the text handed in uses "\n".
std::string ToCrLf(const char* text) {
  std::string out;
  size_t length = std::strlen(text);
  out.reserve(length + 16);
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

void SetStatusText(int32_t part, const char* text) {
  if (Debug.StatusTextHook) Debug.StatusTextHook(part, text);
}

void ShowMsgWindow(int32_t show) {
  if (Debug.MsgShowHook) Debug.MsgShowHook(show, Win.hWnd_Main);
}

std::string Indent(int16_t depth) { return depth > 1 ? std::string(3 * (depth - 1), ' ') : std::string(); }

void CopyBounded(char* dest, size_t size, const char* text) { std::snprintf(dest, size, "%s", text ? text : ""); }

const char* Keyword(int16_t kind) {
  switch (kind) {
    case DEBUG_ENTER:
      return "ENTER      ";
    case DEBUG_EXIT:
      return "EXIT       ";
    case DEBUG_ENTER_EXIT:
      return "ENTER/EXIT ";
    default:
      return "";
  }
}

}  // namespace

int32_t DebugLogWrite(const char* text) {
  std::string line = ToCrLf(text ? text : "");
  std::lock_guard<std::mutex> lock(logLock);
  if (!Debug.DebugLogFile) return 0;
  std::fwrite(line.data(), 1, line.size(), Debug.DebugLogFile);
  return std::fflush(Debug.DebugLogFile);
}

void DebugPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length >= 0) {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(length));
    DebugLogWrite(text.c_str());
  }
  va_end(again);
}

bool DebugLogIsOpen() {
  std::lock_guard<std::mutex> lock(logLock);
  return Debug.DebugLogFile != nullptr;
}

void DebugFileSet(int16_t level, int32_t trace, int32_t toggle) {
  int16_t newLevel = level;
  if (toggle == 1) {
    if (trace == 1)
      Debug.DebugTraceFlag = Debug.DebugTraceFlag != 1 ? 1 : 0;
    else
      Debug.DebugTraceFlag = 0;
    if (Debug.DebugLevel != DEBUG_LEVEL_OFF) newLevel = DEBUG_LEVEL_OFF;
  } else if (trace == 1) {
    Debug.DebugTraceFlag = 1;
  }
  Debug.DebugLevel = newLevel;

  char status[256];
  if (newLevel == DEBUG_LEVEL_OFF) {
    {
      std::lock_guard<std::mutex> lock(logLock);
      if (Debug.DebugLogFile) std::fclose(Debug.DebugLogFile);
      Debug.DebugLogFile = nullptr;
    }
    // With no log there is nothing to trace into: a toggle that switches the level off
    // (for instance while "&Debug to Message" holds level 204) must not leave the
    // trace flag on.
    Debug.DebugTraceFlag = 0;
    std::snprintf(status, sizeof status, "DEBUG FILE [%s] CLOSED", DEBUG_LOG_FILE_NAME);
    SetStatusText(0, status);
    Debug.DebugFileOpen = 0;
    ShowMsgWindow(0);
    return;
  }

  bool opened = false;
  bool failed = false;
  {
    std::lock_guard<std::mutex> lock(logLock);
    if (!Debug.DebugLogFile) {
      opened = true;
      // Binary mode: the writers put CR LF themselves.
      Debug.DebugLogFile = std::fopen(DEBUG_LOG_FILE_NAME, "wb");
      failed = Debug.DebugLogFile == nullptr;
    }
  }
  if (!opened) return;
  if (failed) {
    char text[256];
    std::snprintf(text, sizeof text, "FAILED TO CREATE ASCII FILE [%s] FOR WRITING", DEBUG_LOG_FILE_NAME);
    MessageBox(Win.hWnd_Main, text, "Warning", MB_SYSTEMMODAL | MB_ICONWARNING);
    // Level and trace flag stay as requested (the writers skip while no log is open),
    // but the log is not reported as open and the message window is not shown.
    std::snprintf(status, sizeof status, "DEBUG FILE [%s] NOT OPEN: LEVEL [%hd]", DEBUG_LOG_FILE_NAME, newLevel);
    SetStatusText(0, status);
    Debug.DebugFileOpen = 0;
    return;
  }
  std::snprintf(status, sizeof status, "DEBUG FILE [%s] OPEN: LEVEL [%hd]", DEBUG_LOG_FILE_NAME, newLevel);
  SetStatusText(0, status);
  Debug.DebugFileOpen = 1;
  ShowMsgWindow(1);
}

int32_t DebugTrace(int16_t depth, const char* name, int16_t kind) {
  if (kind < 0) return 0;
  std::string line = Indent(depth);
  line += Keyword(kind);
  if (name) line += name;
  line += '\n';
  if (kind == DEBUG_EXIT && name && std::strcmp(name, "SimFIReadQVS()") == 0) line += '\n';
  return DebugLogWrite(line.c_str());
}

void DebugCmd(const char* cmd, int16_t depth, const char* body) {
  static constexpr const char* kValid[] = {"BF", "EF", "BEF", "DF", "MIB", "MAB", "MBDF", "MIBDF", "MABDF"};
  bool valid = false;
  if (cmd)
    for (const char* candidate : kValid) valid = valid || std::strcmp(cmd, candidate) == 0;
  if (!valid) {
    char text[256];
    std::snprintf(text, sizeof text, "DEBUG CMD STR=[%s] INVALID", cmd ? cmd : "");
    MessageBox(Win.hWnd_Main, text, "Error", MB_SYSTEMMODAL | MB_ICONERROR);
    return;
  }
  std::string command = cmd;
  std::string line = Indent(depth);
  if (command == "BF" || command == "EF" || command == "BEF") {
    line += command == "BF" ? "ENTER      " : command == "EF" ? "EXIT       " : "ENTER/EXIT ";
    if (body) {
      line += body;
      line += '\n';
    }
    DebugLogWrite(line.c_str());
    return;
  }
  if (command == "DF" || command == "MIBDF" || command == "MABDF") {
    if (body) line += body;
    DebugLogWrite(line.c_str());
    if (command == "DF") return;
  }
  if (command == "MBDF") return;
  // "MIB", "MAB" and their "DF" forms hand the body to the message window.
  if (body != Debug.DebugMsgText) {
    if (command.rfind("MIB", 0) == 0) Debug.DebugMsgText[0] = '\0';
    CopyBounded(Debug.DebugMsgText, sizeof Debug.DebugMsgText, body);
  }
  if (Debug.MsgOkHook) Debug.MsgOkHook();
}
