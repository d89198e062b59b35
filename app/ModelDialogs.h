// The option dialogs of the sibling calculation programs: rotor (200), exciton model
// (30000) and genetic algorithm (20001). Each holds its window handle program-wide
// while it is open and ends with the id of the button that closed it.
#pragma once

#include "platform/windows/Window.h"
#include "resources/Dialogs.h"  // IDC_ORV_PROG_PATH

constexpr int IDD_ORV_OPTIONS = 200;
constexpr int IDD_GA_OPTIONS = 20001;
constexpr int IDD_FG_OPTIONS = 30000;

INT_PTR OrvCalcProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR FgOptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR GaOptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
