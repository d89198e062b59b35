#include "app/Hooks.h"

#include "app/WorkFileDialog.h"
#include "core/Threads.h"
#include "display/Hooks.h"
#include "display/ViewFiles.h"

void Qv95HooksInstall() {
  FunctionThreadSetViewRoutine(&DisplayQviQvoSetup);
  DisplayHooks.workFile = &WorkFileWin95;
}
