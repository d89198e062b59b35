// Input, message loops and the common controls as the main window uses them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/kernel/Sync.h"
#include "platform/driver/TestDriver.h"
#include "platform/windows/Window.h"

namespace {

namespace drv = platform::driver;

struct Event {
  UINT message;
  WPARAM wParam;
  int x;
  int y;
  bool shiftState;
  bool ctrlState;
};
std::vector<Event>* g_events = nullptr;

LRESULT InputWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_COMMAND:
    case WM_USER + 7:
      if (g_events)
        g_events->push_back(Event{message, wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam),
                                  (GetKeyState(VK_SHIFT) & 0x8000) != 0, (GetKeyState(VK_CONTROL) & 0x8000) != 0});
      return 0;
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASS wc;
    wc.lpfnWndProc = &InputWndProc;
    wc.lpszClassName = "INPUT TEST";
    RegisterClass(&wc);
    g_events = &events_;
    window_ = CreateWindowEx(0, "INPUT TEST", "INPUT", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window_);
    drv::PumpUntilIdle();
    g_events = nullptr;
  }
  const Event* Find(UINT message) const {
    for (const auto& e : events_)
      if (e.message == message) return &e;
    return nullptr;
  }

  std::vector<Event> events_;
  HWND window_ = nullptr;
};

TEST_F(InputTest, MouseButtonsCarryPositionAndHeldKeys) {
  ASSERT_TRUE(drv::MouseClick(window_, drv::Mouse::Left, 123, 45, true, false));
  const Event* down = Find(WM_LBUTTONDOWN);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(down->x, 123);
  EXPECT_EQ(down->y, 45);
  EXPECT_TRUE(down->wParam & MK_SHIFT);
  EXPECT_TRUE(down->wParam & MK_LBUTTON);
  EXPECT_FALSE(down->wParam & MK_CONTROL);
  EXPECT_TRUE(down->shiftState);
  EXPECT_FALSE(down->ctrlState);
  ASSERT_NE(Find(WM_LBUTTONUP), nullptr);

  events_.clear();
  ASSERT_TRUE(drv::MouseClick(window_, drv::Mouse::Right, 5, 6, false, true));
  const Event* right = Find(WM_RBUTTONDOWN);
  ASSERT_NE(right, nullptr);
  EXPECT_TRUE(right->wParam & MK_CONTROL);
  EXPECT_TRUE(right->ctrlState);
  // Keys are released again after the click.
  EXPECT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0);

  events_.clear();
  ASSERT_TRUE(drv::MouseClick(window_, drv::Mouse::LeftDouble, 7, 8));
  EXPECT_NE(Find(WM_LBUTTONDBLCLK), nullptr);
}

TEST_F(InputTest, KeysAndCharactersReachTheWindow) {
  ASSERT_TRUE(drv::PressKey(window_, VK_RIGHT, false, true));
  const Event* key = Find(WM_KEYDOWN);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->wParam, static_cast<WPARAM>(VK_RIGHT));
  EXPECT_TRUE(key->ctrlState);
  ASSERT_TRUE(drv::TypeChar(window_, 'q'));
  const Event* ch = Find(WM_CHAR);
  ASSERT_NE(ch, nullptr);
  EXPECT_EQ(ch->wParam, static_cast<WPARAM>('q'));
}

TEST_F(InputTest, PostedMessagesArriveInOrderAndQuitEndsTheLoop) {
  PostMessage(window_, WM_USER + 7, 1, 0);
  PostMessage(window_, WM_USER + 7, 2, 0);
  PostMessage(window_, WM_USER + 7, 3, 0);
  PostQuitMessage(17);
  MSG msg;
  int loops = 0;
  while (GetMessage(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    ASSERT_LT(++loops, 1000);
  }
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 17u);
  std::vector<WPARAM> order;
  for (const auto& e : events_)
    if (e.message == WM_USER + 7) order.push_back(e.wParam);
  EXPECT_EQ(order, (std::vector<WPARAM>{1, 2, 3}));
}

TEST_F(InputTest, PostFromAWorkerIsHandledOnTheOwnersThread) {
  struct Shared {
    HWND window;
  } shared{window_};
  HANDLE worker = CreateThread(
      [](void* p) -> DWORD {
        PostMessage(static_cast<Shared*>(p)->window, WM_USER + 7, 99, 0);
        return 0;
      },
      &shared, nullptr);
  ASSERT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
  CloseHandle(worker);
  EXPECT_TRUE(drv::PumpUntil([&] { return Find(WM_USER + 7) != nullptr; }, 10000));
  EXPECT_EQ(Find(WM_USER + 7)->wParam, 99u);
}

TEST_F(InputTest, ToolbarButtonSendsItsCommandToTheParent) {
  HWND toolbar = CreateWindowEx(0, TOOLBARCLASSNAME, "", WS_CHILD | WS_VISIBLE | CCS_TOP, 0, 0, 0, 0, window_,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(toolbar, nullptr);
  SendMessage(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  TBBUTTON buttons[3];
  buttons[0].idCommand = 501;
  buttons[0].fsState = TBSTATE_ENABLED;
  buttons[1].fsStyle = TBSTYLE_SEP;
  buttons[2].idCommand = 502;
  buttons[2].iBitmap = 1;
  buttons[2].fsState = TBSTATE_ENABLED;
  SendMessage(toolbar, TB_ADDBUTTONS, 3, reinterpret_cast<LPARAM>(buttons));
  EXPECT_EQ(SendMessage(toolbar, TB_BUTTONCOUNT, 0, 0), 3);
  ASSERT_TRUE(drv::ClickToolbarButton(toolbar, 502));
  const Event* command = Find(WM_COMMAND);
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(LOWORD(command->wParam), 502);
  // With the mouse a button acts when let go over the button it was pressed on; let go
  // off the bar, over another button, or without a press of its own, it does nothing.
  SendMessage(toolbar, TB_AUTOSIZE, 0, 0);
  const int x501 = 16, x502 = 50, y = 15, below = 60;
  auto commands = [&] {
    std::vector<int> ids;
    for (const Event& e : events_)
      if (e.message == WM_COMMAND) ids.push_back(LOWORD(e.wParam));
    events_.clear();
    return ids;
  };
  commands();
  drv::MouseClick(toolbar, drv::Mouse::Left, x502, y);
  EXPECT_EQ(commands(), std::vector<int>{502});
  drv::MouseDown(toolbar, drv::Mouse::Left, x502, y);
  drv::MouseUp(toolbar, drv::Mouse::Left, x502, below);
  drv::MouseDown(toolbar, drv::Mouse::Left, x501, y);
  drv::MouseUp(toolbar, drv::Mouse::Left, x502, y);
  drv::MouseUp(toolbar, drv::Mouse::Left, x502, y);
  EXPECT_EQ(commands(), std::vector<int>{});
  SendMessage(toolbar, TB_ENABLEBUTTON, 501, FALSE);
  EXPECT_FALSE(drv::ClickToolbarButton(toolbar, 501));  // a disabled button does nothing
  EXPECT_EQ(Find(WM_COMMAND), nullptr);
}

TEST_F(InputTest, StatusBarPartsKeepTheirTextsAndCount) {
  HWND status = CreateStatusWindow(WS_CHILD | WS_VISIBLE, "", window_, 7);
  ASSERT_NE(status, nullptr);
  int edges[4] = {100, 250, 400, -1};
  SendMessage(status, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
  EXPECT_EQ(platform::StatusPartCount(status), 4);
  SendMessage(status, SB_SETTEXT, 2, reinterpret_cast<LPARAM>("PART TWO"));
  SendMessage(status, SB_SETTEXT, 0, reinterpret_cast<LPARAM>("PART ZERO"));
  EXPECT_EQ(drv::StatusText(status, 2), "PART TWO");
  EXPECT_EQ(drv::StatusText(status, 0), "PART ZERO");
  EXPECT_EQ(drv::StatusText(status, 1), "");
  char text[64] = "";
  SendMessage(status, SB_GETTEXT, 2, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "PART TWO");
}

}  // namespace
