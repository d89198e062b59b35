// The calling thread's last platform error, as text for the caller's own message.
#pragma once

#include <string>

#include "platform/kernel/WinTypes.h"

namespace platform {

void SetLastErrorText(std::string text);
// Sets "what: strerror(errnum)".
void SetLastErrorFromErrno(const char* what, int errnum);
const std::string& LastErrorText();

}  // namespace platform
