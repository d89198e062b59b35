// The X display calls of the front end.
#include "platform/frontend/FrontEndX11.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

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

}  // namespace platform::frontend
