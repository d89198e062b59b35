// Services of the main window that the conversion
// dialogs call, declared here until their own folders provide them. Each has a weak
// stand-in in fileproc/PendingLinks.cpp; the real definition, once linked, replaces
// it. Remove a declaration here when its owner's header lands.
#pragma once

#include <cstdint>

#include "platform/Window.h"

// The ANALYSIS OPTIONS dialog (template 101). (app/)
INT_PTR AnalysisOptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
