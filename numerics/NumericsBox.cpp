#include "numerics/NumericsBox.h"

#include <cstdarg>
#include <cstdio>

#include "platform/windows/MessageBox.h"
#include "records/Win.h"

namespace numerics {

void ErrorBox(const char* fmt, ...) {
  char text[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(text, sizeof text, fmt, args);
  va_end(args);
  MessageBox(Win.hWnd_Main, text, "Error", kErrorBoxStyle);
}

void AllocErrorBox(const char* what) { ErrorBox("%s - CORE ALLOCATION ERROR", what); }

}  // namespace numerics
