// View commands of the main plot: character keys (DisplayViewKey) and arrow keys
// (DisplayCursorKey). Both return 1 when the main window must be repainted; the
// caller repaints on 1 only.
#pragma once

#include <cstdint>

#include "platform/windows/Window.h"

// Modifier values that commands pass to DisplayCursorKey in place of the keyboard.
constexpr int32_t CURSOR_KEY_SHIFT = 16;
constexpr int32_t CURSOR_KEY_CTRL = 17;
constexpr int32_t CURSOR_KEY_SCALE_UP = 1;
constexpr int32_t CURSOR_KEY_SCALE_DOWN = 2;
// Command the scalar/offset dialog receives when the active channel's scaling changed.
constexpr int IDC_SCLOFS_REFRESH = 1352;

// Arrow keys. source 0: the keyboard (Shift and Ctrl are read with GetKeyState);
// source 1: a command passing its modifier in flags. 0 while there is no active
// channel or for any other key, else 1.
int32_t DisplayCursorKey(int32_t source, HWND window, int32_t virtualKey, int32_t flags);

// Character keys. 0 without doing anything while there is no active channel and the
// key is not a channel digit '0'..'8'; otherwise the key's action and 1, also for a
// key without an action.
int32_t DisplayViewKey(HWND window, int32_t key, LPARAM lParam);
