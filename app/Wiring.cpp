#include "app/Wiring.h"

#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "app/PendingLinks.h"
#include "app/WorkFile.h"
#include "core/Threads.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

void WiredWorkFileRead() { WorkFileRead(); }

void WiredDisplayInitialize() { DisplayInitialize(); }

void WiredViewThreadStart() {
  if (ThreadCtl.View_Busy != 0) return;
  ThreadCtl.View_Busy = 1;
  Win.ViewPageType = 0;
  Win.ViewPrep = 1;
  if (!FunctionThreadCreate(DisplayQviQvoSetup)) ThreadCtl.View_Busy = 0;
}

void WiredMainWindowTitleSet() { MainWindowTitleSet(); }

int32_t WiredWorkFileMenu(int32_t mode, HWND window) { return WorkFileWin95(static_cast<int16_t>(mode), window); }

int32_t WiredWorkFileQuitSave(HWND window) { return WorkFileWin95(1, window); }
