#include "platform/kernel/Error.h"

#include <cstring>

namespace platform {
namespace {
thread_local std::string t_lastError;
}

void SetLastErrorText(std::string text) { t_lastError = std::move(text); }

void SetLastErrorFromErrno(const char* what, int errnum) {
  char buffer[256];
  // GNU strerror_r may return a static string instead of filling the buffer.
  const char* message = strerror_r(errnum, buffer, sizeof buffer);
  t_lastError = std::string(what) + ": " + message;
}

const std::string& LastErrorText() { return t_lastError; }

}  // namespace platform
