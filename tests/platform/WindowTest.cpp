#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/windows/CommonDialogs.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/Menu.h"
#include "platform/kernel/Sync.h"
#include "platform/driver/TestDriver.h"
#include "platform/windows/Window.h"
#include "tests/support/TempDir.h"

namespace {

namespace drv = platform::driver;

// What the test window procedure saw, in order.
struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD thread;
};
std::vector<Seen>* g_seen = nullptr;
std::atomic<int> g_paints{0};

LRESULT TestWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_seen) g_seen->push_back(Seen{message, wParam, lParam, GetCurrentThreadId()});
  switch (message) {
    case WM_CREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
      if (cs->lpCreateParams) SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
      return 0;
    }
    case WM_USER + 1:
      return 42;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
      RECT rc{0, 0, 10, 10};
      FillRect(dc, &rc, brush);
      DeleteObject(brush);
      EndPaint(hwnd, &ps);
      g_paints++;
      return 0;
    }
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASS wc;
    wc.lpfnWndProc = &TestWndProc;
    wc.lpszClassName = "TEST WINDOW";
    RegisterClass(&wc);
    g_seen = &seen_;
    g_paints = 0;
  }
  void TearDown() override {
    g_seen = nullptr;
    platform::ClearDialogTemplates();
  }
  HWND MakeWindow(void* param = nullptr) {
    return CreateWindowEx(0, "TEST WINDOW", "TEST", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                          nullptr, nullptr, param);
  }
  int Count(UINT message) const {
    int n = 0;
    for (const auto& s : seen_) n += s.message == message;
    return n;
  }
  std::vector<Seen> seen_;
  qvtest::TempDir dir_;
};

TEST_F(WindowTest, StaleWindowHandleIsRefusedEvenWhenTheSlotIsReused) {
  int tag = 7;
  HWND first = MakeWindow(&tag);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetWindowLongPtr(first, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&tag));
  ASSERT_TRUE(DestroyWindow(first));
  HWND second = MakeWindow();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_FALSE(IsWindow(first));
  seen_.clear();
  EXPECT_EQ(SendMessage(first, WM_USER + 1, 0, 0), 0);
  EXPECT_FALSE(SetWindowText(first, "x"));
  EXPECT_FALSE(DestroyWindow(first));
  EXPECT_FALSE(ShowWindow(first, SW_SHOW));
  EXPECT_EQ(GetDlgItem(first, 1), nullptr);
  EXPECT_TRUE(seen_.empty());  // nothing reached the window now in the slot
  EXPECT_EQ(SendMessage(second, WM_USER + 1, 0, 0), 42);
  DestroyWindow(second);
}

TEST_F(WindowTest, DestroyReachesChildrenBeforeTheWindowIsGone) {
  HWND parent = MakeWindow();
  HWND child = CreateWindowEx(0, "TEST WINDOW", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                              reinterpret_cast<HMENU>(5), nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(GetDlgItem(parent, 5), child);
  EXPECT_EQ(GetDlgCtrlID(child), 5);
  EXPECT_EQ(GetParent(child), parent);
  std::vector<std::pair<UINT, DWORD>> order;
  seen_.clear();
  DestroyWindow(parent);
  std::vector<UINT> destroys;
  for (const auto& s : seen_)
    if (s.message == WM_DESTROY || s.message == WM_NCDESTROY) destroys.push_back(s.message);
  EXPECT_EQ(destroys, (std::vector<UINT>{WM_DESTROY, WM_DESTROY, WM_NCDESTROY, WM_NCDESTROY}));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(parent));
}

TEST_F(WindowTest, PaintComesWhenTheQueueIsOtherwiseEmpty) {
  HWND w = MakeWindow();
  drv::PumpUntilIdle();
  seen_.clear();
  InvalidateRect(w, nullptr, TRUE);
  PostMessage(w, WM_USER + 2, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2u);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  DispatchMessage(&msg);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));  // validated by BeginPaint
  std::string png = dir_.File("w.png");
  EXPECT_TRUE(platform::SnapshotWindow(w, png.c_str()));
  EXPECT_GT(std::filesystem::file_size(png), 100u);
  DestroyWindow(w);
}

INT_PTR EndOnOkProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

platform::DialogTemplate SimpleTemplate(int id) {
  platform::DialogTemplate t;
  t.id = id;
  t.caption = "SIMPLE";
  t.cx = 100;
  t.cy = 60;
  t.controls.push_back({platform::ControlKind::PushButton, IDOK, "OK", 10, 40, 30, 12, 0});
  t.controls.push_back({platform::ControlKind::Edit, 100, "", 10, 10, 60, 12, 0});
  return t;
}

struct WorkerSend {
  HWND target;
  HWND dialog;
  LRESULT answer = 0;
};

DWORD SendThenClose(void* p) {
  auto* work = static_cast<WorkerSend*>(p);
  work->answer = SendMessage(work->target, WM_USER + 1, 0, 0);
  SendMessage(work->dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return 0;
}

TEST_F(WindowTest, CrossThreadSendIsServicedInsideAModalDialogLoop) {
  HWND main = MakeWindow();
  platform::RegisterDialogTemplate(SimpleTemplate(500));
  WorkerSend work{main, nullptr};
  HANDLE worker = nullptr;
  bool ownerDisabled = false;
  drv::ModalHandler handler([&](HWND dialog, int templateId) {
    EXPECT_EQ(templateId, 500);
    ownerDisabled = !IsWindowEnabled(main);
    work.dialog = dialog;
    worker = CreateThread(&SendThenClose, &work, nullptr);
  });
  DWORD self = GetCurrentThreadId();
  INT_PTR result = DialogBoxParam(nullptr, MAKEINTRESOURCE(500), main, &EndOnOkProc, 0);
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(main));
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(work.answer, 42);
  bool ranHere = false;
  for (const auto& s : seen_)
    if (s.message == WM_USER + 1) ranHere = s.thread == self;
  EXPECT_TRUE(ranHere);
  CloseHandle(worker);
  DestroyWindow(main);
}

TEST_F(WindowTest, MissingTemplateGivesMinusOne) {
  EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(9999), nullptr, &EndOnOkProc, 0), -1);
  EXPECT_EQ(CreateDialogParam(nullptr, MAKEINTRESOURCE(9999), nullptr, &EndOnOkProc, 0), nullptr);
}

std::atomic<int> g_inits{0};
std::atomic<DWORD> g_initThread{0};
INT_PTR CountInitProc(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    g_inits++;
    g_initThread = GetCurrentThreadId();
    return TRUE;
  }
  return FALSE;
}

DWORD RefreshDialog(void* p) {
  SendMessage(static_cast<HWND>(p), WM_INITDIALOG, 0, 0);
  return 0;
}

TEST_F(WindowTest, HiddenModelessDialogIsRefreshedFromAWorkerOnItsOwnThread) {
  HWND main = MakeWindow();
  platform::RegisterDialogTemplate(SimpleTemplate(501));
  g_inits = 0;
  HWND dialog = CreateDialogParam(nullptr, MAKEINTRESOURCE(501), main, &CountInitProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(g_inits.load(), 1);
  EXPECT_FALSE(IsWindowVisible(dialog));
  ShowWindow(dialog, SW_SHOW);
  ShowWindow(dialog, SW_HIDE);
  HANDLE worker = CreateThread(&RefreshDialog, dialog, nullptr);
  // The interface thread waits for the worker; the wait services the worker's send.
  EXPECT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(g_inits.load(), 2);
  EXPECT_EQ(g_initThread.load(), GetCurrentThreadId());
  EXPECT_FALSE(IsWindowVisible(dialog));
  CloseHandle(worker);
  DestroyWindow(main);
  EXPECT_FALSE(IsWindow(dialog));  // owned windows go with their owner
}

TEST_F(WindowTest, DialogsOpenCentredOverTheirOwnerAndStayOnTheScreen) {
  platform::SetScreenArea(RECT{0, 0, 1024, 768});
  platform::RegisterDialogTemplate(SimpleTemplate(502));
  HWND main = MakeWindow();
  SetWindowPos(main, nullptr, 200, 100, 600, 400, SWP_NOZORDER);
  auto centre = [](HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  auto open = [&](HWND owner) { return CreateDialogParam(nullptr, MAKEINTRESOURCE(502), owner, &CountInitProc, 0); };
  HWND over = open(main);
  EXPECT_NEAR(centre(over).x, 500, 1);
  EXPECT_NEAR(centre(over).y, 300, 1);
  // An owner reaching past the screen's corner: the dialog stays on the screen.
  SetWindowPos(main, nullptr, 900, 700, 600, 400, SWP_NOZORDER);
  RECT r{};
  GetWindowRect(open(main), &r);
  EXPECT_EQ(r.right, 1024);
  EXPECT_EQ(r.bottom, 768);
  // Without an owner: the middle of the screen.
  HWND alone = open(nullptr);
  EXPECT_NEAR(centre(alone).x, 512, 1);
  EXPECT_NEAR(centre(alone).y, 384, 1);
  // A window placed by the system that is larger than the screen keeps its corner on it.
  HWND wide = CreateWindowEx(0, "TEST WINDOW", "WIDE", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 1100, 700,
                             nullptr, nullptr, nullptr, nullptr);
  GetWindowRect(wide, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 32);
  DestroyWindow(alone);
  DestroyWindow(wide);
  DestroyWindow(main);
  platform::SetScreenArea(RECT{0, 0, 1280, 1024});
}

// Sends of many workers to one window, while other threads wait for an event: each
// send must get its own answer, and the waiters must still see the event when it comes.
struct SendLoad {
  HWND window = nullptr;
  HANDLE event = nullptr;
  std::atomic<int> answered{0};
  std::atomic<int> woken{0};
};

DWORD SendMany(void* p) {
  auto* load = static_cast<SendLoad*>(p);
  for (int k = 0; k < 200; ++k)
    if (SendMessage(load->window, WM_USER + 1, 0, 0) == 42) load->answered++;
  return 0;
}

DWORD WaitForTheEvent(void* p) {
  auto* load = static_cast<SendLoad*>(p);
  if (WaitForSingleObject(load->event, 20000) == WAIT_OBJECT_0) load->woken++;
  return 0;
}

TEST_F(WindowTest, SendsOfManyWorkersAreAnsweredWhileOtherThreadsWait) {
  HWND main = MakeWindow();
  SendLoad load;
  load.window = main;
  load.event = CreateEvent(TRUE, FALSE);
  std::vector<HANDLE> waiters;
  std::vector<HANDLE> senders;
  for (int k = 0; k < 4; ++k) waiters.push_back(CreateThread(&WaitForTheEvent, &load, nullptr));
  for (int k = 0; k < 8; ++k) senders.push_back(CreateThread(&SendMany, &load, nullptr));
  // The window's thread answers the sends while it waits for the senders to end.
  EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(senders.size()), senders.data(), TRUE, 20000), WAIT_OBJECT_0);
  EXPECT_EQ(load.answered.load(), 8 * 200);
  EXPECT_EQ(load.woken.load(), 0);
  SetEvent(load.event);
  EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(waiters.size()), waiters.data(), TRUE, 20000), WAIT_OBJECT_0);
  EXPECT_EQ(load.woken.load(), 4);
  for (HANDLE h : senders) CloseHandle(h);
  for (HANDLE h : waiters) CloseHandle(h);
  CloseHandle(load.event);
  DestroyWindow(main);
}

DWORD RepaintAndAsk(void* p) {
  HWND w = static_cast<HWND>(p);
  InvalidateRect(w, nullptr, TRUE);
  UpdateWindow(w);
  return SendMessage(w, WM_USER + 1, 0, 0) == 42 ? 0 : 1;
}

TEST_F(WindowTest, WaitingForAWorkerThatRepaintsAndSendsDoesNotDeadlock) {
  HWND w = MakeWindow();
  drv::PumpUntilIdle();
  g_paints = 0;
  HANDLE worker = CreateThread(&RepaintAndAsk, w, nullptr);
  ASSERT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeThread(worker, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(g_paints.load(), 1);
  CloseHandle(worker);
  DestroyWindow(w);
}

struct EndedOwner {
  HWND window = nullptr;
  HANDLE created = nullptr;
};

DWORD CreateAndLeave(void* p) {
  auto* e = static_cast<EndedOwner*>(p);
  e->window = CreateWindowEx(0, "TEST WINDOW", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetEvent(e->created);
  // Busy without a platform wait: sends stay queued until the thread ends.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  return 0;
}

TEST_F(WindowTest, SendToAWindowWhoseThreadEndedFailsInsteadOfHanging) {
  EndedOwner e;
  e.created = CreateEvent(TRUE, FALSE);
  HANDLE worker = CreateThread(&CreateAndLeave, &e, nullptr);
  ASSERT_EQ(WaitForSingleObject(e.created, 10000), WAIT_OBJECT_0);
  ASSERT_NE(e.window, nullptr);
  g_seen = nullptr;  // the worker's window procedure must not touch the test's vector
  // Pending while the owner ends: the send returns 0 when the thread is gone.
  EXPECT_EQ(SendMessage(e.window, WM_USER + 1, 0, 0), 0);
  ASSERT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
  for (int i = 0; i < 100 && IsWindow(e.window); ++i) Sleep(10);
  EXPECT_FALSE(IsWindow(e.window));
  EXPECT_EQ(SendMessage(e.window, WM_USER + 1, 0, 0), 0);
  CloseHandle(worker);
  CloseHandle(e.created);
}

// ---- controls through the driver ------------------------------------------------------------
std::vector<std::pair<int, int>>* g_notes = nullptr;  // (id, code)
std::vector<std::pair<int, int>>* g_scrolls = nullptr;  // (code, pos)
bool g_modifiedAtKill = false;

INT_PTR RecordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && g_notes) {
    g_notes->push_back({LOWORD(wParam), HIWORD(wParam)});
    if (HIWORD(wParam) == EN_KILLFOCUS) g_modifiedAtKill = SendDlgItemMessage(dialog, LOWORD(wParam), EM_GETMODIFY, 0, 0);
    return TRUE;
  }
  if (message == WM_VSCROLL && g_scrolls) {
    EXPECT_EQ(reinterpret_cast<HWND>(lParam), GetDlgItem(dialog, 40));
    g_scrolls->push_back({LOWORD(wParam), static_cast<int16_t>(HIWORD(wParam))});
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

class ControlTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    platform::DialogTemplate t;
    t.id = 600;
    t.caption = "CONTROLS";
    t.cx = 200;
    t.cy = 150;
    using K = platform::ControlKind;
    t.controls = {
        {K::Edit, 100, "", 5, 5, 60, 12, 0},
        {K::PushButton, 200, "GO", 70, 5, 30, 12, 0},
        {K::ListBox, 300, "", 5, 25, 60, 12, LBS_NOTIFY | WS_VSCROLL},
        {K::RadioButton, 401, "A", 5, 45, 30, 10, WS_GROUP},
        {K::RadioButton, 402, "B", 5, 55, 30, 10, 0},
        {K::RadioButton, 403, "C", 5, 65, 30, 10, WS_GROUP},
        {K::CheckBox, 500, "CHK", 5, 80, 40, 10, 0},
        {K::Trackbar, 40, "", 120, 5, 20, 100, TBS_VERT},
        {K::Static, 60, "", 150, 5, 20, 10, SS_BLACKFRAME},
    };
    platform::RegisterDialogTemplate(t);
    g_notes = &notes_;
    g_scrolls = &scrolls_;
    dialog_ = CreateDialogParam(nullptr, MAKEINTRESOURCE(600), nullptr, &RecordProc, 0);
    ASSERT_NE(dialog_, nullptr);
    ShowWindow(dialog_, SW_SHOW);
    notes_.clear();
  }
  void TearDown() override {
    if (IsWindow(dialog_)) DestroyWindow(dialog_);
    g_notes = nullptr;
    g_scrolls = nullptr;
    WindowTest::TearDown();
  }
  size_t IndexOf(int id, int code) const {
    for (size_t i = 0; i < notes_.size(); ++i)
      if (notes_[i].first == id && notes_[i].second == code) return i;
    return notes_.size();
  }
  HWND dialog_ = nullptr;
  std::vector<std::pair<int, int>> notes_;
  std::vector<std::pair<int, int>> scrolls_;
};

TEST_F(ControlTest, ModifiedEditReportsKillFocusBeforeTheButtonsClick) {
  ASSERT_TRUE(drv::TypeText(dialog_, 100, "2.5"));
  EXPECT_EQ(drv::Text(dialog_, 100), "2.5");
  g_modifiedAtKill = false;
  ASSERT_TRUE(drv::Click(dialog_, 200));
  size_t kill = IndexOf(100, EN_KILLFOCUS);
  size_t click = IndexOf(200, BN_CLICKED);
  ASSERT_LT(kill, notes_.size());
  ASSERT_LT(click, notes_.size());
  EXPECT_LT(kill, click);
  EXPECT_TRUE(g_modifiedAtKill);
  EXPECT_LT(IndexOf(100, EN_SETFOCUS), kill);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, 200));
}

TEST_F(ControlTest, ReadOnlyEditRefusesTypingAndProgramTextClearsModified) {
  SendDlgItemMessage(dialog_, 100, EM_SETREADONLY, TRUE, 0);
  SetDlgItemText(dialog_, 100, "fixed");
  drv::TypeText(dialog_, 100, "xyz");
  EXPECT_EQ(drv::Text(dialog_, 100), "fixed");
  SendDlgItemMessage(dialog_, 100, EM_SETREADONLY, FALSE, 0);
  SetDlgItemInt(dialog_, 100, static_cast<UINT>(-12), TRUE);
  EXPECT_EQ(SendDlgItemMessage(dialog_, 100, EM_GETMODIFY, 0, 0), FALSE);
  BOOL ok = FALSE;
  EXPECT_EQ(static_cast<int>(GetDlgItemInt(dialog_, 100, &ok, TRUE)), -12);
  EXPECT_TRUE(ok);
  SetDlgItemText(dialog_, 100, "12x");
  GetDlgItemInt(dialog_, 100, &ok, TRUE);
  EXPECT_FALSE(ok);
}

TEST_F(ControlTest, ListTopIndexIsIndependentOfTheSelection) {
  HWND list = GetDlgItem(dialog_, 300);
  for (int i = 0; i < 10; ++i) {
    std::string item = "ROW" + std::to_string(i);
    SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  EXPECT_EQ(SendMessage(list, LB_GETCOUNT, 0, 0), 10);
  SendMessage(list, LB_SETTOPINDEX, 5, 0);
  EXPECT_EQ(drv::ListSelection(dialog_, 300), -1);
  EXPECT_EQ(drv::ListTop(dialog_, 300), 5);
  SendMessage(list, LB_SETCURSEL, 3, 0);  // one row high: the selection scrolls into view
  EXPECT_EQ(drv::ListTop(dialog_, 300), 3);
  // The arrows of a list one row high step the row shown and chosen together.
  ASSERT_TRUE(drv::Scroll(dialog_, 300, false, 2));
  EXPECT_EQ(drv::ListTop(dialog_, 300), 5);
  EXPECT_EQ(drv::ListSelection(dialog_, 300), 5);
  EXPECT_LT(IndexOf(300, LBN_SELCHANGE), notes_.size());
  notes_.clear();
  ASSERT_TRUE(drv::SelectRow(dialog_, 300, 8));
  EXPECT_EQ(drv::ListSelection(dialog_, 300), 8);
  EXPECT_EQ(drv::ListTop(dialog_, 300), 8);
  EXPECT_LT(IndexOf(300, LBN_SELCHANGE), notes_.size());
  char text[16];
  EXPECT_EQ(SendMessage(list, LB_GETTEXTLEN, 8, 0), 4);
  SendMessage(list, LB_GETTEXT, 8, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "ROW8");
  SendMessage(list, LB_DELETESTRING, 8, 0);
  EXPECT_EQ(drv::ListSelection(dialog_, 300), -1);
  EXPECT_EQ(SendMessage(list, LB_GETTEXT, 42, reinterpret_cast<LPARAM>(text)), LB_ERR);
  SendMessage(list, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(drv::ListTop(dialog_, 300), 0);
}

bool g_initFocusDefault = true;  // what the focus test's WM_INITDIALOG answers

INT_PTR FocusProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) return g_initFocusDefault ? TRUE : FALSE;
  if (message == WM_COMMAND) return TRUE;
  (void)dialog;
  return FALSE;
}

// A modal dialog opens with the keyboard on its first tab stop, an edit with its text
// selected, unless WM_INITDIALOG answers FALSE; the program's own refreshes (another
// WM_INITDIALOG) and modeless dialogs leave the focus where it is.
TEST_F(ControlTest, ModalDialogOpensWithTheFocusOnItsFirstTabStop) {
  using K = platform::ControlKind;
  platform::RegisterDialogTemplate({601, "FOCUS", 0, 0, 120, 60, 0,
                                    {{K::Static, -1, "VALUE", 5, 5, 30, 8, 0},
                                     {K::Edit, 110, "12.5", 40, 5, 60, 12, 0},
                                     {K::PushButton, IDOK, "OK", 40, 25, 40, 14, BS_DEFPUSHBUTTON}}});
  HWND focused = nullptr, afterRefresh = nullptr;
  int focusedId = 0;
  DWORD from = 99, to = 99;
  {
    drv::ModalHandler handler([&](HWND d, int) {
      focused = GetFocus();
      focusedId = GetDlgCtrlID(focused);
      SendDlgItemMessage(d, 110, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
      SetFocus(GetDlgItem(d, IDOK));
      SendMessage(d, WM_INITDIALOG, 0, 0);
      afterRefresh = GetFocus();
      EXPECT_EQ(afterRefresh, GetDlgItem(d, IDOK));
      EndDialog(d, IDOK);
    });
    EXPECT_EQ(DialogBox(nullptr, MAKEINTRESOURCE(601), dialog_, &FocusProc), IDOK);
  }
  ASSERT_NE(focused, nullptr);
  EXPECT_EQ(focusedId, 110);
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 4u);
  EXPECT_NE(afterRefresh, nullptr);
  // WM_INITDIALOG answering FALSE keeps the focus it set (none here).
  g_initFocusDefault = false;
  SetFocus(GetDlgItem(dialog_, 200));
  {
    drv::ModalHandler handler([&](HWND d, int) {
      focused = GetFocus();
      EndDialog(d, IDOK);
    });
    DialogBox(nullptr, MAKEINTRESOURCE(601), dialog_, &FocusProc);
  }
  g_initFocusDefault = true;
  EXPECT_EQ(focused, GetDlgItem(dialog_, 200));
  // A modeless dialog made now leaves the focus where it was.
  HWND modeless = CreateDialogParam(nullptr, MAKEINTRESOURCE(601), nullptr, &FocusProc, 0);
  ASSERT_NE(modeless, nullptr);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, 200));
  DestroyWindow(modeless);
}

TEST_F(ControlTest, RadioButtonsAndCheckBoxesKeepTheirGroups) {
  ASSERT_TRUE(drv::ChooseRadio(dialog_, 401));
  ASSERT_TRUE(drv::ChooseRadio(dialog_, 403));  // another group: 401 stays
  EXPECT_TRUE(drv::IsChecked(dialog_, 401));
  ASSERT_TRUE(drv::ChooseRadio(dialog_, 402));
  EXPECT_FALSE(drv::IsChecked(dialog_, 401));
  EXPECT_TRUE(drv::IsChecked(dialog_, 402));
  EXPECT_TRUE(drv::IsChecked(dialog_, 403));
  CheckRadioButton(dialog_, 401, 402, 401);
  EXPECT_TRUE(drv::IsChecked(dialog_, 401));
  EXPECT_FALSE(drv::IsChecked(dialog_, 402));
  ASSERT_TRUE(drv::SetCheck(dialog_, 500, true));
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 500), BST_CHECKED);
  ASSERT_TRUE(drv::SetCheck(dialog_, 500, false));
  EXPECT_LT(IndexOf(500, BN_CLICKED), notes_.size());
  EnableWindow(GetDlgItem(dialog_, 500), FALSE);
  EXPECT_FALSE(drv::Click(dialog_, 500));
}

TEST_F(ControlTest, VerticalTrackbarReportsTrackingWithItsHandle) {
  HWND bar = GetDlgItem(dialog_, 40);
  SendMessage(bar, TBM_SETRANGEMIN, FALSE, -10000);
  SendMessage(bar, TBM_SETRANGEMAX, FALSE, 0);
  SendMessage(bar, TBM_SETPAGESIZE, 0, 100);
  SendMessage(bar, TBM_SETTICFREQ, 5000, 0);
  SendMessage(bar, TBM_SETPOS, TRUE, -20000);
  EXPECT_EQ(drv::TrackbarPosition(dialog_, 40), -10000);  // clamped to the range
  ASSERT_TRUE(drv::MoveTrackbar(dialog_, 40, -5000));
  ASSERT_EQ(scrolls_.size(), 3u);
  EXPECT_EQ(scrolls_[0], (std::pair<int, int>{TB_THUMBTRACK, -5000}));
  EXPECT_EQ(scrolls_[1].first, TB_THUMBPOSITION);
  EXPECT_EQ(scrolls_[2].first, TB_ENDTRACK);
  EXPECT_EQ(drv::TrackbarPosition(dialog_, 40), -5000);
  SendMessage(bar, TBM_SETRANGE, TRUE, MAKELONG(-100, 100));
  EXPECT_EQ(SendMessage(bar, TBM_GETRANGEMIN, 0, 0), -100);
  EXPECT_EQ(SendMessage(bar, TBM_GETPOS, 0, 0), -100);
}

DWORD SetStatusFromWorker(void* p) {
  SendMessage(static_cast<HWND>(p), SB_SETTEXT, 2, reinterpret_cast<LPARAM>("FROM WORKER"));
  return 0;
}

TEST_F(WindowTest, StatusBarTextsAreSetFromAnyThreadWithoutTheOwnersLoop) {
  HWND main = MakeWindow();
  HWND bar = CreateStatusWindow(WS_CHILD | WS_VISIBLE, "", main, 100);
  ASSERT_NE(bar, nullptr);
  int edges[4] = {42, 84, 126, -1};
  SendMessage(bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
  EXPECT_EQ(platform::StatusPartCount(bar), 4);
  HANDLE worker = CreateThread(&SetStatusFromWorker, bar, nullptr);
  // Not a platform wait: the worker must not need this thread.
  for (int i = 0; i < 500 && platform::StatusText(bar, 2).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(platform::StatusText(bar, 2), "FROM WORKER");
  WaitForSingleObject(worker, 10000);
  CloseHandle(worker);
  EXPECT_FALSE(SendMessage(bar, SB_SETTEXT, 7, reinterpret_cast<LPARAM>("x")));
  char text[300];
  std::string longText(400, 'a');
  SendMessage(bar, SB_SETTEXT, 0, reinterpret_cast<LPARAM>(longText.c_str()));
  EXPECT_EQ(SendMessage(bar, SB_GETTEXT, 0, reinterpret_cast<LPARAM>(text)), 255);
  SendMessage(bar, WM_SIZE, 0, 0);
  RECT client, status;
  GetClientRect(main, &client);
  GetWindowRect(bar, &status);
  EXPECT_EQ(status.right - status.left, client.right);
  std::string png = dir_.File("status.png");
  EXPECT_TRUE(platform::SnapshotWindow(main, png.c_str()));
  DestroyWindow(main);
}

// ---- menus -------------------------------------------------------------------------------
TEST_F(WindowTest, MenusLoadFromTemplatesAndPopupsAnswerThroughTheChooser) {
  platform::MenuTemplate tpl;
  tpl.name = "TestMenu";
  platform::MenuItemTemplate file{"&File", 0, MF_POPUP, {{"&Open", 91, MF_STRING, {}}, {"", 0, MF_SEPARATOR, {}},
                                                         {"E&xit", 95, MF_STRING, {}}}};
  tpl.items = {file, {"&Analysis", 100, MF_STRING, {}}};
  platform::RegisterMenuTemplate(tpl);
  WNDCLASS wc;
  wc.lpfnWndProc = &TestWndProc;
  wc.lpszClassName = "MENU WINDOW";
  wc.lpszMenuName = "TestMenu";
  ASSERT_NE(RegisterClass(&wc), 0);
  EXPECT_EQ(RegisterClass(&wc), 0);  // a second registration fails
  HWND w = CreateWindowEx(0, "MENU WINDOW", "M", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                          nullptr, nullptr);
  HMENU bar = GetMenu(w);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuItemCount(bar), 2);
  HMENU sub = GetSubMenu(bar, 0);
  EXPECT_EQ(GetMenuItemID(sub, 2), 95u);
  EXPECT_EQ(CheckMenuItem(bar, 91, MF_CHECKED), 0u);
  EXPECT_EQ(GetMenuState(bar, 91, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  EnableMenuItem(bar, 100, MF_GRAYED);
  EXPECT_FALSE(drv::ChooseCommand(w, 100));
  seen_.clear();
  EXPECT_TRUE(drv::ChooseCommand(w, 95));
  ASSERT_EQ(Count(WM_COMMAND), 1);

  HMENU popup = CreatePopupMenu();
  AppendMenu(popup, MF_STRING, 10017, "&Dsp");
  AppendMenu(popup, MF_STRING | MF_GRAYED, 10019, "Sim");
  EXPECT_FALSE(TrackPopupMenu(popup, TPM_RIGHTBUTTON, 5, 5, 0, w, nullptr));  // nobody answers
  drv::ChoosePopupItems({10019, 10017});
  EXPECT_FALSE(TrackPopupMenu(popup, TPM_RIGHTBUTTON, 5, 5, 0, w, nullptr));  // grayed: no choice
  seen_.clear();
  EXPECT_TRUE(TrackPopupMenu(popup, TPM_RIGHTBUTTON, 5, 5, 0, w, nullptr));
  drv::PumpUntilIdle();
  ASSERT_EQ(Count(WM_COMMAND), 1);
  for (const auto& s : seen_)
    if (s.message == WM_COMMAND) {
      EXPECT_EQ(LOWORD(s.wParam), 10017);
    }
  DestroyMenu(popup);
  EXPECT_EQ(GetMenuItemCount(popup), -1);
  std::string png = dir_.File("menu.png");
  EXPECT_TRUE(platform::SnapshotWindow(w, png.c_str()));
  DestroyWindow(w);
  EXPECT_EQ(GetMenuItemCount(bar), -1);  // the window's menu went with it
  EXPECT_TRUE(UnregisterClass("MENU WINDOW", nullptr));
}

// ---- common dialogs ------------------------------------------------------------------------
TEST_F(WindowTest, SaveDialogAsksBeforeReplacingAndUnexpectedBoxesFail) {
  std::string existing = dir_.File("run.QVW");
  std::FILE* f = std::fopen(existing.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  char name[260] = "Qv95.QVW";
  OPENFILENAME ofn;
  ofn.lpstrFilter = "QV95 WORKING FILES (*.QVW)\0*.QVW\0ALL FILES\0*.*\0\0";
  ofn.lpstrFile = name;
  ofn.nMaxFile = sizeof name;
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  ofn.lpstrDefExt = "QVW";
  {
    drv::Answers answers;
    answers.File(dir_.File("run")).Box("Confirm Save As", "*already exists*", IDNO);
    EXPECT_FALSE(GetSaveFileName(&ofn));
    EXPECT_TRUE(answers.Failures().empty());
    EXPECT_TRUE(answers.AllAnswered());
    auto log = platform::CommonDialogLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().proposed, "Qv95.QVW");
    ASSERT_EQ(log.back().filters.size(), 2u);
    EXPECT_EQ(log.back().filters[0].second, "*.QVW");
  }
  {
    drv::Answers answers;
    answers.File(dir_.File("run")).Box("Confirm Save As", "*", IDYES);
    ASSERT_TRUE(GetSaveFileName(&ofn));
    EXPECT_EQ(std::string(name), existing);
    EXPECT_EQ(std::string(name + ofn.nFileOffset), "run.QVW");
  }
  {
    // A name written with the other separator is the same file: replacing it is asked
    // for, and opening it finds it.
    const std::string backslashed = existing.substr(0, existing.rfind('/')) + "\\run.QVW";
    drv::Answers answers;
    answers.File(backslashed).Box("Confirm Save As", "*already exists*", IDNO);
    EXPECT_FALSE(GetSaveFileName(&ofn));
    answers.File(backslashed);
    OPENFILENAME open = ofn;
    open.Flags = OFN_FILEMUSTEXIST;
    EXPECT_TRUE(GetOpenFileName(&open));
    EXPECT_TRUE(answers.Failures().empty());
    EXPECT_TRUE(answers.AllAnswered());
  }
  {
    drv::Answers answers;  // nothing expected
    EXPECT_EQ(MessageBox(nullptr, "SURPRISE", "Info", 0x1040), IDOK);
    EXPECT_EQ(answers.Failures().size(), 1u);
    char small[8] = "";
    OPENFILENAME tiny;
    tiny.lpstrFile = small;
    tiny.nMaxFile = sizeof small;
    answers.File("/a/much/too/long/name.bin");
    EXPECT_FALSE(GetOpenFileName(&tiny));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  }
  // Unattended: cancelled, nothing chosen.
  EXPECT_FALSE(GetSaveFileName(&ofn));
}

// A style whose button set is none of the known ones (a question style or'ed onto
// another button set) is refused: shown with OK and Cancel, answered Cancel whatever
// was pressed, and reported to the refusal handler with the style asked for.
TEST_F(WindowTest, BoxOfAnUnknownButtonSetIsShownWithOkAndCancelAndTakenAsCancel) {
  std::vector<UINT> refused;
  platform::BoxStyleRefusal previous =
      platform::SetBoxStyleRefusal([&](const platform::BoxRequest& box) { refused.push_back(box.style); });
  std::vector<UINT> shown;
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    shown.push_back(box.style);
    return IDYES;
  });
  EXPECT_EQ(MessageBox(nullptr, "ADD TO [YES] | OVERWRITE [NO] | ABORT [CANCEL]", "Question", 0x1024 | 0x0003), IDCANCEL);
  EXPECT_EQ(MessageBox(nullptr, "KNOWN", "Question", 0x1023), IDYES);
  platform::SetBoxAnswerer(nullptr);
  EXPECT_EQ(MessageBox(nullptr, "UNATTENDED", "Question", 0x1027), IDCANCEL);
  platform::SetBoxStyleRefusal(previous);
  EXPECT_EQ(refused, (std::vector<UINT>{0x1027, 0x1027}));
  EXPECT_EQ(shown, (std::vector<UINT>{0x1021, 0x1023}));
}

TEST_F(WindowTest, PrintDialogReturnsTheChosenPrinterAndItsContext) {
  PRINTDLG pd;
  pd.Flags = PD_RETURNDC;
  {
    drv::Answers answers;
    answers.Printer("Epson FX-870").CancelPrinter().Printer("No Such Printer");
    ASSERT_TRUE(PrintDlg(&pd));
    auto* mode = static_cast<DEVMODE*>(GlobalLock(pd.hDevMode));
    ASSERT_NE(mode, nullptr);
    EXPECT_STREQ(mode->dmDeviceName, "Epson FX-870");
    GlobalUnlock(pd.hDevMode);
    auto* names = static_cast<DEVNAMES*>(GlobalLock(pd.hDevNames));
    EXPECT_STREQ(reinterpret_cast<char*>(names) + names->wDeviceOffset, "Epson FX-870");
    EXPECT_NE(pd.hDC, nullptr);
    DeleteDC(pd.hDC);
    EXPECT_EQ(GlobalFree(pd.hDevMode), nullptr);
    EXPECT_EQ(GlobalLock(pd.hDevMode), nullptr);  // freed blocks are refused
    GlobalFree(pd.hDevNames);
    PRINTDLG again;
    EXPECT_FALSE(PrintDlg(&again));
    EXPECT_FALSE(PrintDlg(&again));  // unknown printer
    EXPECT_TRUE(answers.Failures().empty());
  }
}

}  // namespace

namespace {

// Last WM_MOVE and WM_SIZE of a window, as points.
POINT LastParam(const std::vector<Seen>& seen, UINT message) {
  for (auto it = seen.rbegin(); it != seen.rend(); ++it)
    if (it->message == message) return POINT{GET_X_LPARAM(it->lParam), GET_Y_LPARAM(it->lParam)};
  return POINT{-1, -1};
}

}  // namespace

TEST_F(WindowTest, MoveCarriesTheClientOriginAndASizingPopupHasTheWideFrame) {
  // A main window: 1-pixel frame and a 20-pixel caption above its client area.
  HWND plain = MakeWindow();
  SetWindowPos(plain, nullptr, 100, 50, 400, 300, SWP_NOZORDER);
  POINT moved = LastParam(seen_, WM_MOVE);
  EXPECT_EQ(moved.x, 101);
  EXPECT_EQ(moved.y, 71);
  DestroyWindow(plain);

  // An owned pop-up with a sizing frame: 4 pixels across, 32 down, 8 narrower and 36
  // lower, so x - 4, y - 22 - 10, w + 8 and h + 22 + 14 give the window back.
  seen_.clear();
  HWND popup = CreateWindowEx(0, "TEST WINDOW", "POP", WS_POPUP | WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 40, 500,
                              200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(popup, nullptr);
  moved = LastParam(seen_, WM_MOVE);
  POINT sized = LastParam(seen_, WM_SIZE);
  EXPECT_EQ(moved.x, 34);
  EXPECT_EQ(moved.y, 72);
  EXPECT_EQ(sized.x, 492);
  EXPECT_EQ(sized.y, 164);
  MoveWindow(popup, 120, 80, 600, 260, TRUE);
  moved = LastParam(seen_, WM_MOVE);
  sized = LastParam(seen_, WM_SIZE);
  EXPECT_EQ(moved.x - 4, 120);
  EXPECT_EQ(moved.y - 22 - 10, 80);
  EXPECT_EQ(sized.x + 8, 600);
  EXPECT_EQ(sized.y + 22 + 14, 260);
  POINT origin{0, 0};
  ClientToScreen(popup, &origin);
  EXPECT_EQ(origin.x, moved.x);
  EXPECT_EQ(origin.y, moved.y);
  DestroyWindow(popup);
}
