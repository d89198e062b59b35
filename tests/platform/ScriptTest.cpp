#include "platform/driver/Script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/Menu.h"
#include "platform/kernel/Sync.h"
#include "platform/windows/MessageBox.h"
#include "tests/support/TempDir.h"

namespace {

HWND g_status = nullptr;

INT_PTR EchoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    char text[64];
    GetDlgItemText(dialog, 100, text, sizeof text);
    std::string shown = std::string("GOT ") + text;
    MessageBox(GetParent(dialog), shown.c_str(), "Info", 0x1040);
    SendMessage(g_status, SB_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EndDialog(dialog, IsDlgButtonChecked(dialog, 101) ? 7 : 1);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 2);
    return TRUE;
  }
  return FALSE;
}

// A dialog that a worker thread opens a little later, and whose initialisation takes
// its time before the edit shows its text.
HANDLE g_worker = nullptr;
INT_PTR SlowInitProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    Sleep(60);
    SetDlgItemText(dialog, 100, "READY");
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 2);
    return TRUE;
  }
  return FALSE;
}
DWORD OpenLater(void* owner) {
  Sleep(20);
  DialogBoxParam(nullptr, MAKEINTRESOURCE(700), static_cast<HWND>(owner), &SlowInitProc, 0);
  return 0;
}

LRESULT ScriptWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      g_status = CreateStatusWindow(WS_CHILD | WS_VISIBLE, "", hwnd, 100);
      int edges[2] = {100, -1};
      SendMessage(g_status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == 501) SendMessage(g_status, SB_SETTEXT, 1, reinterpret_cast<LPARAM>("DONE 501"));
      if (LOWORD(wParam) == 503) g_worker = CreateThread(&OpenLater, hwnd, nullptr);
      if (LOWORD(wParam) == 502) {
        INT_PTR r = DialogBoxParam(nullptr, MAKEINTRESOURCE(700), hwnd, &EchoProc, 0);
        std::string text = "DIALOG " + std::to_string(r);
        SendMessage(g_status, SB_SETTEXT, 1, reinterpret_cast<LPARAM>(text.c_str()));
      }
      return 0;
    case WM_RBUTTONUP: {
      HMENU popup = CreatePopupMenu();
      AppendMenu(popup, MF_STRING, 501, "&Done");
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &p);
      TrackPopupMenu(popup, TPM_RIGHTBUTTON, p.x, p.y, 0, hwnd, nullptr);
      DestroyMenu(popup);
      return 0;
    }
    case WM_CLOSE:
      if (MessageBox(hwnd, "SAVE?", "Question", 0x1024) == IDYES) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

class ScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASS wc;
    wc.lpfnWndProc = &ScriptWndProc;
    wc.lpszClassName = "SCRIPT TEST";
    RegisterClass(&wc);
    platform::DialogTemplate t;
    t.id = 700;
    t.caption = "ECHO";
    t.cx = 120;
    t.cy = 60;
    t.controls = {{platform::ControlKind::Edit, 100, "", 5, 5, 60, 12, 0},
                  {platform::ControlKind::CheckBox, 101, "SEVEN", 5, 20, 60, 10, 0},
                  {platform::ControlKind::PushButton, IDOK, "OK", 5, 40, 30, 12, BS_DEFPUSHBUTTON},
                  {platform::ControlKind::PushButton, IDCANCEL, "CANCEL", 40, 40, 30, 12, 0}};
    platform::RegisterDialogTemplate(t);
    main_ = CreateWindowEx(0, "SCRIPT TEST", "SCRIPT", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                           nullptr, nullptr, nullptr);
    ASSERT_NE(main_, nullptr);
    platform::ClearBoxLog();
  }
  void TearDown() override {
    if (IsWindow(main_)) DestroyWindow(main_);
    platform::ClearDialogTemplates();
  }

  // Runs the script in the program's message loop; returns the runner's result.
  int Run(const std::string& text, std::string* failure, HWND child = nullptr) {
    platform::ScriptRunner runner;
    std::string error;
    EXPECT_TRUE(runner.LoadText("test.script", text, &error)) << error;
    platform::ScriptOptions options;
    options.mainWindow = main_;
    options.waitMilliseconds = 200;
    options.childWindow = [child](int c, int k) { return c == 3 && k == 1 ? child : nullptr; };
    runner.Start(options);
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
    int code = runner.Finish();
    *failure = runner.Failure();
    return code;
  }

  HWND main_ = nullptr;
  qvtest::TempDir dir_;
};

TEST_F(ScriptTest, ChoosesCommandsFillsAModalDialogAnswersBoxesAndReadsTheStatusBar) {
  std::string png = dir_.File("main.png");
  std::string script =
      "# a comment line\n"
      "menu 501\n"
      "expect-status 1 \"DONE 501\"\n"
      "menu 502\n"
      "dialog 700\n"
      "type 100 \"two words\"\n"
      "check 101 on\n"
      "expect-checked 101 on\n"
      "expect-text 100 \"two*\"\n"
      "snapshot dialog 700 " + dir_.File("dialog.png") + "\n"
      "click 1\n"
      "box Info \"GOT two words\" ok\n"
      "expect-status 0 \"two words\"\n"
      "expect-status main 1 \"DIALOG 7\"\n"
      "popup 50 60 501\n"
      "wait-idle\n"
      "snapshot main " + png + "\n"
      "expect-file " + png + "\n"
      "quit\n"
      "box Question SAVE? yes\n";
  std::string failure;
  EXPECT_EQ(Run(script, &failure), 0) << failure;
  EXPECT_FALSE(IsWindow(main_));
  EXPECT_TRUE(std::filesystem::exists(png));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("dialog.png")));
  auto log = platform::BoxLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].text, "GOT two words");
}

// A dialog another thread opens after the line that addresses it ran is waited for,
// and found only once it is initialised.
TEST_F(ScriptTest, ADialogOfAnotherThreadIsWaitedForAndSeenWhole) {
  std::string failure;
  EXPECT_EQ(Run("menu 503\ndialog 700\nexpect-text 100 READY\nclick 2\nquit\nbox Question SAVE? yes\n", &failure), 0)
      << failure;
  ASSERT_NE(g_worker, nullptr);
  EXPECT_EQ(WaitForSingleObject(g_worker, 10000), WAIT_OBJECT_0);
  CloseHandle(g_worker);
  g_worker = nullptr;
}

TEST_F(ScriptTest, AnUnaddressedBoxFailsTheRunAtItsLine) {
  std::string failure;
  EXPECT_EQ(Run("menu 502\ntype 100 x\nclick 1\nexpect-status 0 x\n", &failure), 1);
  EXPECT_NE(failure.find("test.script:4: unexpected box \"Info\""), std::string::npos) << failure;
  // The box got the non-destructive answer and the dialog was left through the quit.
  EXPECT_TRUE(IsWindow(main_));
}

TEST_F(ScriptTest, MismatchesAndMissingWindowsAreReportedWithTheirLine) {
  std::string failure;
  EXPECT_EQ(Run("menu 501\nexpect-status 1 \"DONE 5\"\n", &failure), 1);
  EXPECT_NE(failure.find("test.script:2: status part 1 is \"DONE 501\""), std::string::npos) << failure;
  EXPECT_EQ(Run("click 1\n", &failure), 1);
  EXPECT_NE(failure.find("no dialog is open"), std::string::npos) << failure;
  EXPECT_EQ(Run("box Info X ok\n", &failure), 1);
  EXPECT_NE(failure.find("no message box appeared"), std::string::npos) << failure;
  EXPECT_EQ(Run("frobnicate 3\n", &failure), 1);
  EXPECT_NE(failure.find("unknown action frobnicate"), std::string::npos) << failure;
  platform::ScriptRunner runner;
  std::string error;
  EXPECT_FALSE(runner.LoadText("bad.script", "type 100 \"open\n", &error));
  EXPECT_EQ(error, "bad.script:1: unclosed quote");
}

TEST_F(ScriptTest, BoxesDefaultAnswersTheRestNonDestructively) {
  std::string failure;
  // The close question gets No: the window stays, the script ends normally.
  EXPECT_EQ(Run("boxes default\nquit\n", &failure), 0) << failure;
  EXPECT_TRUE(IsWindow(main_));
  auto log = platform::BoxLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].caption, "Question");
}

// A window that writes the mouse, character and command messages it gets into its
// status bar part 0.
LRESULT ChildTargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND bar = GetDlgItem(hwnd, 101);
  char text[80] = "";
  switch (message) {
    case WM_LBUTTONDOWN:
      std::snprintf(text, sizeof text, "LDOWN %d %d", GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      break;
    case WM_RBUTTONDBLCLK:
      std::snprintf(text, sizeof text, "RDBL %d %d", GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      break;
    case WM_MOUSEMOVE:
      std::snprintf(text, sizeof text, "MOVE %d %d", GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      break;
    case WM_CHAR:
      std::snprintf(text, sizeof text, "CHAR %c", static_cast<char>(wParam));
      break;
    case WM_COMMAND:
      std::snprintf(text, sizeof text, "COMMAND %d", static_cast<int>(LOWORD(wParam)));
      break;
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
  SendMessage(bar, SB_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  return 0;
}

TEST_F(ScriptTest, MouseCharAndToolbarLinesReachAChildWindow) {
  WNDCLASS wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &ChildTargetProc;
  wc.lpszClassName = "SCRIPT CHILD";
  RegisterClass(&wc);
  HWND child = CreateWindowEx(0, "SCRIPT CHILD", "CHILD", WS_POPUP | WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                              200, main_, nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  HWND tools = CreateWindowEx(0, TOOLBARCLASSNAME, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, child,
                              reinterpret_cast<HMENU>(static_cast<intptr_t>(50)), nullptr, nullptr);
  TBBUTTON button{};
  button.idCommand = 74;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = TBSTYLE_BUTTON;
  SendMessage(tools, TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&button));
  CreateStatusWindow(WS_CHILD | WS_VISIBLE, "", child, 101);
  std::string failure;
  const std::string script =
      "mouse child 3 1 left 12 34\n"
      "expect-status child 3 1 0 \"LDOWN 12 34\"\n"
      "mouse child 3 1 rdbl 7 8\n"
      "expect-status child 3 1 0 \"RDBL 7 8\"\n"
      "move child 3 1 40 41\n"
      "expect-status child 3 1 0 \"MOVE 40 41\"\n"
      "char child 3 1 X\n"
      "expect-status child 3 1 0 \"CHAR X\"\n"
      "toolbar child 3 1 74\n"
      "expect-status child 3 1 0 \"COMMAND 74\"\n"
      "quit\n"
      "box Question SAVE? yes\n";
  EXPECT_EQ(Run(script, &failure, child), 0) << failure;
  EXPECT_EQ(Run("mouse child 2 0 left 1 1\n", &failure), 1);
  EXPECT_NE(failure.find("no child window 2 0"), std::string::npos) << failure;
}

}  // namespace
