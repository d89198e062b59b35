#include "app/Hooks.h"

#include "app/WorkFileDialog.h"
#include "core/Threads.h"
#include "display/Hooks.h"
#include "display/ViewFiles.h"
#include "fileproc/Hooks.h"
#include "sim/SimLines.h"

void Qv95HooksInstall() {
  FunctionThreadSetViewRoutine(&DisplayQviQvoSetup);

  FileprocHooks.simColumnWrite = &SimFIWriteBin;

  DisplayHooks.workFile = &WorkFileWin95;
}
