#include "app/Hooks.h"

#include "app/Startup.h"
#include "app/WorkFileDialog.h"
#include "core/Threads.h"
#include "display/Hooks.h"
#include "display/ViewFiles.h"
#include "fileproc/Hooks.h"
#include "fit/NLLsf.h"
#include "sim/SimAsnKeys.h"
#include "sim/SimDialogs.h"
#include "sim/SimLines.h"
#include "sim/SimPlot.h"

void Qv95HooksInstall() {
  FunctionThreadSetViewRoutine(&DisplayQviQvoSetup);

  FileprocHooks.simColumnWrite = &SimFIWriteBin;

  DisplayHooks.workFile = &WorkFileWin95;
  DisplayHooks.startup = &Qv95Initialize;
  DisplayHooks.simPlot = &SimFIPlot;
  DisplayHooks.cavityModePaint = &RdfCavityModePaint;
  DisplayHooks.simDialogsRefresh = &SimModelessDialogsRefresh;
  DisplayHooks.simControlDialogShow = &SimControlDialogShow;
  DisplayHooks.simDialogsUpdate = &SimModelessDialogUpdate;
  DisplayHooks.simJkkQNDialogShow = &SimJkkQNDialogShow;
  DisplayHooks.simSelectNext = &ViewKeySimSelectNext;
  DisplayHooks.simAssign = &ViewKeySimAssign;
  DisplayHooks.simUnassign = &ViewKeySimUnassign;
}
