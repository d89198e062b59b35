// The visible front end: real windows on an X display.
//
// Started once by the program's entry when a display is there, it runs one thread
// that owns every display and input call. Each visible top-level window of the
// window system (main window, child windows, dialogs) gets a native window showing
// exactly what the window system draws for it; mouse and keyboard come back as the
// messages the window system expects, posted to the windows' own threads. Message
// boxes and the open, save and print dialogs are shown by the front end itself, so
// that a box from a worker thread never needs the interface thread. Without a
// display nothing of this runs and everything stays headless.
#pragma once

namespace platform {

// True when DISPLAY names an X display (and QV95_HEADLESS is not set).
bool FrontEndAvailable();
// Starts the front end; false (staying headless) when the display cannot be
// opened. A second call does nothing and returns true.
bool StartFrontEnd();
// Closes the front end's windows and ends its thread; boxes and dialogs still open
// get their non-destructive answer. Safe to call when it never started.
void StopFrontEnd();
bool FrontEndRunning();

}  // namespace platform
