#include "app/Wiring.h"

#include "app/MainWindow.h"

void WiredWorkFileRead() {}

void WiredDisplayInitialize() {}

void WiredViewThreadStart() {}

void WiredMainWindowTitleSet() {}

int32_t WiredWorkFileMenu(int32_t mode, HWND window) {
  (void)mode;
  OptionNotAvailable(window);
  return 0;
}

int32_t WiredWorkFileQuitSave(HWND window) {
  (void)window;
  return 1;
}
