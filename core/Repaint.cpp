#include "core/Repaint.h"

BOOL RepaintWindow(const char* tag, HWND window, BOOL erase) {
  (void)tag;
  InvalidateRect(window, nullptr, erase);
  return UpdateWindow(window);
}
