#include "platform/windows/MessageBox.h"

#include <cstdio>
#include <mutex>

#include "platform/kernel/Sync.h"

namespace platform {
namespace {

std::mutex& BoxMutex() {
  static auto* mutex = new std::mutex();
  return *mutex;
}
BoxAnswerer& Answerer() {
  static auto* answerer = new BoxAnswerer();  // guarded by BoxMutex
  return *answerer;
}
std::vector<BoxRequest>& Log() {
  static auto* log = new std::vector<BoxRequest>();  // guarded by BoxMutex
  return *log;
}

}  // namespace

int NonDestructiveAnswer(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_RETRYCANCEL:
    case MB_YESNOCANCEL:
      return IDCANCEL;
    case MB_YESNO:
      return IDNO;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    default:
      return IDOK;
  }
}

BoxAnswerer SetBoxAnswerer(BoxAnswerer answerer) {
  std::lock_guard<std::mutex> lock(BoxMutex());
  BoxAnswerer previous = std::move(Answerer());
  Answerer() = std::move(answerer);
  return previous;
}

std::vector<BoxRequest> BoxLog() {
  std::lock_guard<std::mutex> lock(BoxMutex());
  return Log();
}

void ClearBoxLog() {
  std::lock_guard<std::mutex> lock(BoxMutex());
  Log().clear();
}

}  // namespace platform

int MessageBox(HWND owner, const char* text, const char* caption, UINT style) {
  platform::BoxRequest request;
  request.owner = owner;
  request.caption = caption ? caption : "";
  request.text = text ? text : "";
  request.style = style;
  request.threadId = GetCurrentThreadId();
  platform::BoxAnswerer answerer;
  {
    std::lock_guard<std::mutex> lock(platform::BoxMutex());
    platform::Log().push_back(request);
    answerer = platform::Answerer();
  }
  if (answerer) return answerer(request);
  int answer = platform::NonDestructiveAnswer(style);
  std::fprintf(stderr, "qv95: box \"%s\" [0x%04X]: %s -> %d\n", request.caption.c_str(), style,
               request.text.c_str(), answer);
  return answer;
}
