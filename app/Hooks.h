// The calls of the lower folders into the folders above them, named once at start-up:
// the view routine of the thread starter, the file engine's hooks (fileproc/Hooks.h) and
// the display's (display/Hooks.h).
// AppMain calls it before it makes the main window; the test programs, which link every
// folder, call it in their main, so that they run as the program does.
#pragma once

void Qv95HooksInstall();
