// A plain main window with the program's four-part status bar, for tests of code that
// owns its boxes by the main window and writes status texts: sets Win.hWnd_Main and
// Win.hWnd_StatusBar. The caller destroys Win.hWnd_Main.
#pragma once

#include "platform/windows/Controls.h"
#include "platform/windows/Window.h"
#include "records/Win.h"

namespace qvtest {

inline LRESULT TestMainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

inline void CreateTestMainWindow(const char* className) {
  WNDCLASS wc;
  wc.lpfnWndProc = &TestMainWindowProc;
  wc.lpszClassName = className;
  RegisterClass(&wc);  // fails harmlessly when a former test registered it
  Win.hWnd_Main =
      CreateWindowEx(0, className, "QV95", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  Win.hWnd_StatusBar = CreateStatusWindow(WS_CHILD | WS_VISIBLE, "", Win.hWnd_Main, 100);
  int edges[4] = {42, 84, 126, -1};
  SendMessage(Win.hWnd_StatusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
}

}  // namespace qvtest
