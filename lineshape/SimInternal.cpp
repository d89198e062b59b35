#include "lineshape/SimInternal.h"

#include "platform/windows/Controls.h"

namespace sim {

void StatusText(int32_t part, const char* text) {
  if (Win.hWnd_StatusBar && IsWindow(Win.hWnd_StatusBar))
    SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

}  // namespace sim
