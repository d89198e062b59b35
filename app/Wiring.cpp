#include "app/Wiring.h"

#include "app/MainWindow.h"
#include "app/WorkFileDialog.h"
#include "display/FileDialogs.h"
#include "app/WorkFile.h"
#include "core/Threads.h"
#include "display/Paint.h"
#include "display/ViewFiles.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

void WiredWorkFileRead() { WorkFileRead(); }

// The working file's finish may have started the first view run already; the sizes and
// dates that the initialisation re-reads are the run's too, so the run waits meanwhile.
void WiredDisplayInitialize() {
  const bool viewStopped = DisplayViewStopForChange();
  DisplayInitialize();
  if (viewStopped) DisplayViewRestart();
}

void WiredViewThreadStart() {
  // The working file's finish starts the first run itself; a second start here would
  // only queue the same run again.
  if (ThreadCtl.View_Busy != 0 || ThreadCtl.View_Started != 0) return;
  ThreadCtl.View_Busy = 1;
  ThreadCtl.View_Started = 1;
  Win.ViewPageType = 0;
  Win.ViewPrep = 1;
  FunctionThreadCreate(DisplayQviQvoSetup);
}

void WiredMainWindowTitleSet() { MainWindowTitleSet(); }

int32_t WiredWorkFileMenu(int32_t mode, HWND window) { return WorkFileWin95(static_cast<int16_t>(mode), window); }

int32_t WiredWorkFileQuitSave(HWND window) { return WorkFileWin95(1, window); }
