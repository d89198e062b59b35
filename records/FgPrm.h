// The exciton-model record, as far as the main window uses it: program path, input
// and base file names, and its options dialog.
#pragma once

#include "platform/kernel/WinTypes.h"

struct FgPrmRecord {
  char Prog_Path[500] = "";    // exciton program
  char In_Flnm[200] = "FG.in";
  char Base_Flnm[200] = "";
  HWND Dlg_Hwnd = nullptr;     // options dialog, null while closed
};

extern FgPrmRecord FgPrm;
