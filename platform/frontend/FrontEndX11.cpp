// The X display calls of the front end.
#include "platform/frontend/FrontEndX11.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdio>

namespace platform::frontend {

void RestackAbove(SDL_Window* window) {
  if (!window) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    SDL_RaiseWindow(window);
    return;
  }
  XRaiseWindow(info.info.x11.display, info.info.x11.window);
  XFlush(info.info.x11.display);
}

void PointerOnScreen(SDL_Window* window, int* x, int* y) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    SDL_GetGlobalMouseState(x, y);
    return;
  }
  Display* display = info.info.x11.display;
  ::Window root = 0, child = 0;
  int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
  unsigned int mask = 0;
  if (XQueryPointer(display, info.info.x11.window, &root, &child, &rootX, &rootY, &windowX, &windowY, &mask)) {
    *x = rootX;
    *y = rootY;
  } else {
    SDL_GetGlobalMouseState(x, y);
  }
}

namespace {

int ReportXError(Display* display, XErrorEvent* error) {
  char text[256] = "";
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "qv95: X error on request %d of resource 0x%lx: %s (ignored)\n", error->request_code,
               static_cast<unsigned long>(error->resourceid), text);
  return 0;
}

}  // namespace

void KeepXErrorsNonFatal() { XSetErrorHandler(&ReportXError); }

}  // namespace platform::frontend
