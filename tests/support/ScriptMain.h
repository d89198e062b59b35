// A bare main window for script-driven dialog tests: its menu commands go to a
// handler, closing it ends the message loop. Runs a script of user actions against it
// in the program's message loop.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/driver/Script.h"
#include "platform/windows/Window.h"
#include "records/Win.h"

namespace qvtest {

namespace script_main {
inline LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (auto* handler = reinterpret_cast<std::function<void(HWND, int)>*>(GetWindowLongPtr(hwnd, GWLP_USERDATA)))
        (*handler)(hwnd, LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}
}  // namespace script_main

// Returns the runner's result (0: every line held); failure receives its text.
inline int RunScriptOnBareMain(const std::string& text, std::function<void(HWND, int)> onCommand, DWORD waitMilliseconds,
                               std::string* failure) {
  WNDCLASS wc;
  wc.lpfnWndProc = &script_main::Proc;
  wc.lpszClassName = "QV95 SCRIPT TEST MAIN";
  RegisterClass(&wc);
  HWND main = CreateWindowEx(0, "QV95 SCRIPT TEST MAIN", "MAIN", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                             nullptr, nullptr, nullptr, nullptr);
  if (!main) {
    *failure = "no main window";
    return -1;
  }
  SetWindowLongPtr(main, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&onCommand));
  Win.hWnd_Main = main;
  platform::ScriptRunner runner;
  std::string error;
  if (!runner.LoadText("test.script", text, &error)) {
    *failure = error;
    DestroyWindow(main);
    return -1;
  }
  platform::ScriptOptions options;
  options.mainWindow = main;
  options.waitMilliseconds = waitMilliseconds;
  runner.Start(options);
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  const int code = runner.Finish();
  *failure = runner.Failure();
  if (IsWindow(main)) DestroyWindow(main);
  return code;
}

}  // namespace qvtest
