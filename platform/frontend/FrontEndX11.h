// The few calls the front end makes to the X display itself, kept apart from the
// window system's names (the X headers name types such as Window and Bool).
// Not for use outside platform/frontend.
#pragma once

struct SDL_Window;

namespace platform::frontend {

// Puts the native window above its siblings without asking the window manager to
// activate it (SDL_RaiseWindow does both): a window raised with its owner does not
// take the keyboard. Falls back to SDL_RaiseWindow on a display other than X11.
void RestackAbove(SDL_Window* window);

// Where the pointer is on the screen now, asked of the display itself (SDL may answer
// a place it kept from before); SDL's answer on a display other than X11.
void PointerOnScreen(SDL_Window* window, int* x, int* y);

// From here on an error the X display reports (a request on a window that another
// connection of SDL's had just destroyed, such as the wake-up SDL sends to the window it
// waits on) is written to stderr instead of ending the program, as Xlib's own handler
// does. Called once SDL has started.
void KeepXErrorsNonFatal();

}  // namespace platform::frontend
