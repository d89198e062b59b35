// Services of the main window, working file and view files that the conversion
// dialogs call, declared here until their own folders provide them. Each has a weak
// stand-in in fileproc/PendingLinks.cpp; the real definition, once linked, replaces
// it. Remove a declaration here when its owner's header lands.
#pragma once

#include <cstdint>

#include "platform/Window.h"

// Working file: mode 0 opens one, 1 saves it, with owner as the dialogs' owner.
// Result 1 on success (or a cancelled save), else 0. (app/, working-file dialogs)
int32_t WorkFileWin95(int16_t mode, HWND owner);

// Open (mode 0) or save (1) dialog for a float binary file; the chosen name without
// folder goes into name (200 characters). Result 1 when a file was chosen, else 0.
// (app/, file dialogs)
int32_t BinaryFileDialog(int16_t mode, char* name, HWND owner);

// Mode -1: size in 4-byte values of the named file in the data folder (0 when
// missing). Mode 0: re-measures the raw sizes of the channel files 0..8 into
// Dsp.FL_SZ (all four sizes 0 for a missing file); returns 0. (display/, view files)
int32_t DisplayFileDateCheck(int16_t mode, const char* name);

// The ANALYSIS OPTIONS dialog (template 101). (app/)
INT_PTR AnalysisOptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
