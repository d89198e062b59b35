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
BoxStyleRefusal& Refusal() {
  static auto* refusal = new BoxStyleRefusal();  // guarded by BoxMutex
  return *refusal;
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

BoxStyleRefusal SetBoxStyleRefusal(BoxStyleRefusal handler) {
  std::lock_guard<std::mutex> lock(BoxMutex());
  BoxStyleRefusal previous = std::move(Refusal());
  Refusal() = std::move(handler);
  return previous;
}

}  // namespace platform

int MessageBox(HWND owner, const char* text, const char* caption, UINT style) {
  platform::BoxRequest request;
  request.owner = owner;
  request.caption = caption ? caption : "";
  request.text = text ? text : "";
  request.style = style;
  request.threadId = GetCurrentThreadId();
  // A button set none of the known ones: the box offers OK and Cancel and is taken as
  // cancelled, never as any other answer.
  const bool refused = (style & MB_TYPEMASK) > MB_RETRYCANCEL;
  platform::BoxStyleRefusal refusal;
  if (refused) {
    {
      std::lock_guard<std::mutex> lock(platform::BoxMutex());
      refusal = platform::Refusal();
    }
    if (refusal) refusal(request);
    request.style = (style & ~MB_TYPEMASK) | MB_OKCANCEL;
  }
  platform::BoxAnswerer answerer;
  {
    std::lock_guard<std::mutex> lock(platform::BoxMutex());
    platform::Log().push_back(request);
    answerer = platform::Answerer();
  }
  int answer = 0;
  if (answerer) {
    answer = answerer(request);
  } else {
    answer = platform::NonDestructiveAnswer(request.style);
    std::fprintf(stderr, "qv95: box \"%s\" [0x%04X]: %s -> %d\n", request.caption.c_str(), request.style,
                 request.text.c_str(), answer);
  }
  return refused ? IDCANCEL : answer;
}
