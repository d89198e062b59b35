// Program entry, the main window "QUIVRANE 95" with its menu, toolbar and four-part
// status bar, the message dispatch of the main window, and the save-and-quit path.
#pragma once

#include <cstdint>

#include "platform/windows/Window.h"

inline constexpr const char* MAIN_CLASS_NAME = "QUIVRANE 95";
constexpr int IDC_MAIN_TOOLBAR = 50;
constexpr int IDC_MAIN_STATUSBAR = 100;
inline constexpr const char* NOT_AVAILABLE_TEXT = "OPTION NOT CURRENTLY AVAILABLE";

// Toolbar commands.
constexpr int IDT_SCALE_UP = 71;
constexpr int IDT_SCALE_DOWN = 72;
constexpr int IDT_EXPAND = 73;
constexpr int IDT_CONTRACT = 74;
constexpr int IDT_FORWARD = 75;
constexpr int IDT_BACK = 76;
constexpr int IDT_SIM_A = 77;
constexpr int IDT_SIM_B = 78;
constexpr int IDT_SIM_AB = 79;
constexpr int IDT_QN_A = 80;
constexpr int IDT_QN_B = 81;
constexpr int IDT_MARK_LOW = 82;
constexpr int IDT_MARK_HIGH = 83;

int WinMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show);
// 0 when the class cannot be registered or the window not be created, else the exit
// code of the quit message.
int AppMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show);
ATOM InitApplication(HINSTANCE instance);
int32_t InitInstance(HINSTANCE instance, int show);
LRESULT MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Creates the toolbar (result) and the status bar (into Win.hWnd_StatusBar).
HWND CreateToolBarStatusBar(HWND parent);
// 1 when the program may end, 0 when it stays.
int32_t MainQuitSave(HWND window);
// A worker of the program is busy: a view run under way or asked for, an operation
// sequence (until its thread has ended, whatever its commands cleared; its pool
// workers end within it), a non-linear fit (until its worker has ended, so that its
// end has been posted to its dialog) or a genetic-algorithm run. What a wait for the
// program to be idle waits for.
bool ProgramWorkersBusy();
int32_t ContextMenuHit(HWND window, int32_t x, int32_t y);
void DisplayContextMenu(HWND window, int32_t screenX, int32_t screenY);

// Text of one part of the main status bar (nothing while there is none).
void MainStatusText(int32_t part, const char* text);
// The "Info" box of a command whose work arrives with a later part of the program.
void OptionNotAvailable(HWND owner);
