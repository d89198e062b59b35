// The test driver.
#include "platform/driver/TestDriver.h"

#include <chrono>
#include <deque>
#include <mutex>

#include "platform/windows/Menu.h"
#include "platform/kernel/Sync.h"
#include "platform/windows/WindowInternal.h"

namespace platform::driver {
namespace {

using detail::RunOnOwner;

bool OnOwner(HWND window, const std::function<bool()>& action) {
  bool result = false;
  if (!RunOnOwner(window, [&] { result = action(); })) return false;
  return result;
}

std::mutex& PopupMutex() {
  static auto* mutex = new std::mutex();
  return *mutex;
}
std::deque<UINT>& PopupChoices() {  // guarded by PopupMutex
  static auto* choices = new std::deque<UINT>();
  return *choices;
}

WPARAM KeyFlags(bool shift, bool ctrl) { return (shift ? MK_SHIFT : 0) | (ctrl ? MK_CONTROL : 0); }

struct HeldKeys {
  bool shift, ctrl;
  HeldKeys(bool s, bool c) : shift(s), ctrl(c) {
    if (shift) SetKeyDown(VK_SHIFT, true);
    if (ctrl) SetKeyDown(VK_CONTROL, true);
  }
  ~HeldKeys() {
    if (shift) SetKeyDown(VK_SHIFT, false);
    if (ctrl) SetKeyDown(VK_CONTROL, false);
  }
};

}  // namespace

int PumpUntilIdle(int maxMessages) {
  int handled = 0;
  MSG msg;
  while (handled < maxMessages && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // left for the real loop
      break;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    ++handled;
  }
  return handled;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    PumpUntilIdle();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(2);  // services sends from other threads while it waits
  }
}

bool TypeText(HWND dialog, int id, const std::string& text) {
  HWND edit = GetDlgItem(dialog, id);
  if (!edit || !IsWindowEnabled(edit) || !IsWindowVisible(edit)) return false;
  return OnOwner(edit, [&] {
    SendMessage(edit, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessage(edit, WM_LBUTTONUP, 0, 0);
    if (GetFocus() != edit) return false;
    SendMessage(edit, EM_SETSEL, 0, -1);
    if (text.empty()) SendMessage(edit, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessage(edit, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 0);
    SendMessage(edit, EM_SETMODIFY, TRUE, 0);  // typing always marks the edit modified
    return true;
  });
}

bool Commit(HWND dialog) {
  if (!IsWindow(dialog)) return false;
  return OnOwner(dialog, [&] {
    SetFocus(dialog);
    return true;
  });
}

bool TypeAndCommit(HWND dialog, int id, const std::string& text) {
  return TypeText(dialog, id, text) && Commit(dialog);
}

bool Click(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control || !IsWindowEnabled(control) || !IsWindowVisible(control)) return false;
  return OnOwner(control, [&] {
    SendMessage(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    if (!IsWindow(control)) return true;
    SendMessage(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    return true;
  });
}

bool SetCheck(HWND dialog, int id, bool on) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return false;
  if (IsChecked(dialog, id) == on) return true;
  return Click(dialog, id) && IsChecked(dialog, id) == on;
}

bool ChooseRadio(HWND dialog, int id) { return Click(dialog, id); }

bool SelectRow(HWND dialog, int id, int row, bool doubleClick) {
  HWND list = GetDlgItem(dialog, id);
  if (!list || !IsWindowEnabled(list)) return false;
  int count = static_cast<int>(SendMessage(list, LB_GETCOUNT, 0, 0));
  if (row < 0 || row >= count) return false;
  return OnOwner(list, [&] {
    RECT rc;
    GetClientRect(list, &rc);
    int rows = std::max(1, static_cast<int>(rc.bottom) / detail::kListRowHeight);
    int top = static_cast<int>(SendMessage(list, LB_GETTOPINDEX, 0, 0));
    if (row < top || row >= top + rows) {
      // A person scrolls the row into view first.
      top = row < top ? row : row - rows + 1;
      SendMessage(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    }
    LPARAM at = MAKELPARAM(2, (row - top) * detail::kListRowHeight + 1);
    // Press and release: the press selects the row, the release tells the dialog (which
    // may then choose another row itself).
    auto click = [&](UINT press) {
      SetKeyDown(VK_LBUTTON, true);
      SendMessage(list, press, MK_LBUTTON, at);
      const bool selected = static_cast<int>(SendMessage(list, LB_GETCURSEL, 0, 0)) == row;
      SetKeyDown(VK_LBUTTON, false);
      if (IsWindow(list)) SendMessage(list, WM_LBUTTONUP, 0, at);
      return selected;
    };
    const bool selected = click(WM_LBUTTONDOWN);
    if (!doubleClick || !IsWindow(list)) return selected;
    return click(WM_LBUTTONDBLCLK) && selected;
  });
}

// The client point of the up (or down) arrow of a scroll bar or of a list box's own
// scroll bar; false when the control has none.
static bool ArrowPoint(HWND control, const std::string& cls, DWORD style, bool up, LPARAM* at) {
  RECT rc;
  if (!GetClientRect(control, &rc)) return false;
  if (cls == "LISTBOX") {
    if (!(style & WS_VSCROLL)) return false;
    *at = MAKELPARAM(rc.right - detail::kListScrollBarWidth / 2, up ? 1 : rc.bottom - 2);
    return true;
  }
  const bool vertical = (style & SBS_VERT) != 0;
  const detail::ScrollLayout g = detail::LayoutScrollBar(vertical, rc.right, rc.bottom, 0, 0, 0);
  if (g.arrow <= 0) return false;
  const int along = up ? g.arrow / 2 : g.length - 1 - g.arrow / 2;
  *at = vertical ? MAKELPARAM(g.thickness / 2, along) : MAKELPARAM(along, g.thickness / 2);
  return true;
}

bool Scroll(HWND dialog, int id, bool up, int times) {
  HWND control = GetDlgItem(dialog, id);
  if (!control || !IsWindowEnabled(control)) return false;
  std::string cls = ClassNameOf(control);
  DWORD style = static_cast<DWORD>(GetWindowLongPtr(control, GWL_STYLE));
  return OnOwner(control, [&] {
    for (int i = 0; i < times; ++i) {
      if (cls == "LISTBOX" || cls == "SCROLLBAR") {
        // A click on the arrow, as a person makes it.
        LPARAM at = 0;
        if (!ArrowPoint(control, cls, style, up, &at)) return false;
        SetKeyDown(VK_LBUTTON, true);
        SendMessage(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SetKeyDown(VK_LBUTTON, false);
        if (IsWindow(control)) SendMessage(control, WM_LBUTTONUP, 0, at);
      } else if (cls == "MSCTLS_TRACKBAR32") {
        int line = 1;
        int pos = static_cast<int>(SendMessage(control, TBM_GETPOS, 0, 0));
        SendMessage(control, TBM_SETPOS, TRUE, up ? pos - line : pos + line);
        UINT message = (style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
        SendMessage(dialog, message, up ? TB_LINEUP : TB_LINEDOWN, reinterpret_cast<LPARAM>(control));
        SendMessage(dialog, message, TB_ENDTRACK, reinterpret_cast<LPARAM>(control));
      } else {
        return false;
      }
      if (!IsWindow(control)) return true;
    }
    return true;
  });
}

bool MoveTrackbar(HWND dialog, int id, int position) {
  HWND bar = GetDlgItem(dialog, id);
  if (!bar || ClassNameOf(bar) != "MSCTLS_TRACKBAR32" || !IsWindowEnabled(bar)) return false;
  DWORD style = static_cast<DWORD>(GetWindowLongPtr(bar, GWL_STYLE));
  UINT message = (style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
  HWND parent = GetParent(bar);
  return OnOwner(bar, [&] {
    SendMessage(bar, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessage(bar, TBM_SETPOS, TRUE, position);
    int pos = static_cast<int>(SendMessage(bar, TBM_GETPOS, 0, 0));
    LPARAM from = reinterpret_cast<LPARAM>(bar);
    SendMessage(parent, message, MAKEWPARAM(TB_THUMBTRACK, pos), from);
    if (IsWindow(bar)) SendMessage(parent, message, MAKEWPARAM(TB_THUMBPOSITION, pos), from);
    if (IsWindow(bar)) SendMessage(parent, message, TB_ENDTRACK, from);
    return true;
  });
}

std::string Text(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return std::string();
  int length = GetWindowTextLength(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int got = GetWindowText(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

int ListSelection(HWND dialog, int id) {
  HWND list = GetDlgItem(dialog, id);
  return list ? static_cast<int>(SendMessage(list, LB_GETCURSEL, 0, 0)) : -1;
}

int ListTop(HWND dialog, int id) {
  HWND list = GetDlgItem(dialog, id);
  return list ? static_cast<int>(SendMessage(list, LB_GETTOPINDEX, 0, 0)) : -1;
}

std::vector<std::string> ListItems(HWND dialog, int id) {
  detail::WinGuard guard(detail::WinLock());
  detail::Window* w = detail::Find(GetDlgItem(dialog, id));
  auto* data = w ? dynamic_cast<detail::ListData*>(w->control.get()) : nullptr;
  return data ? data->items : std::vector<std::string>();
}

int TrackbarPosition(HWND dialog, int id) {
  HWND bar = GetDlgItem(dialog, id);
  return bar ? static_cast<int>(SendMessage(bar, TBM_GETPOS, 0, 0)) : 0;
}

bool PressKey(HWND window, int virtualKey, bool shift, bool ctrl) {
  if (!IsWindow(window)) return false;
  return OnOwner(window, [&] {
    HeldKeys held(shift, ctrl);
    SendMessage(window, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
    if (IsWindow(window)) SendMessage(window, WM_KEYUP, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(0xC0000001u));
    return true;
  });
}

bool TypeChar(HWND window, char c) {
  if (!IsWindow(window)) return false;
  return OnOwner(window, [&] {
    SendMessage(window, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
    return true;
  });
}

static bool MouseSend(HWND window, Mouse button, int x, int y, bool shift, bool ctrl, bool down, bool up) {
  if (!IsWindow(window)) return false;
  return OnOwner(window, [&] {
    HeldKeys held(shift, ctrl);
    bool right = button == Mouse::Right || button == Mouse::RightDouble;
    bool dbl = button == Mouse::LeftDouble || button == Mouse::RightDouble;
    WPARAM keys = KeyFlags(shift, ctrl);
    WPARAM held_button = right ? MK_RBUTTON : MK_LBUTTON;
    UINT downMsg = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    UINT upMsg = right ? WM_RBUTTONUP : WM_LBUTTONUP;
    UINT dblMsg = right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
    LPARAM at = MAKELPARAM(x, y);
    // A button still held from an earlier MouseDown shows in wParam as well, so that
    // both-button presses reach the window as they do from a real mouse.
    auto others = [right] {
      int other = right ? VK_LBUTTON : VK_RBUTTON;
      return GetKeyState(other) < 0 ? (right ? MK_LBUTTON : MK_RBUTTON) : WPARAM{0};
    };
    if (down) {
      SetKeyDown(right ? VK_RBUTTON : VK_LBUTTON, true);
      SendMessage(window, downMsg, keys | held_button | others(), at);
    }
    if (up && IsWindow(window)) {
      SetKeyDown(right ? VK_RBUTTON : VK_LBUTTON, false);
      SendMessage(window, upMsg, keys | others(), at);
    }
    if (dbl && IsWindow(window)) {
      SetKeyDown(right ? VK_RBUTTON : VK_LBUTTON, true);
      SendMessage(window, dblMsg, keys | held_button, at);
      SetKeyDown(right ? VK_RBUTTON : VK_LBUTTON, false);
      if (IsWindow(window)) SendMessage(window, upMsg, keys, at);
    }
    return true;
  });
}

bool MouseClick(HWND window, Mouse button, int x, int y, bool shift, bool ctrl) {
  return MouseSend(window, button, x, y, shift, ctrl, true, true);
}
bool MouseDown(HWND window, Mouse button, int x, int y, bool shift, bool ctrl) {
  return MouseSend(window, button, x, y, shift, ctrl, true, false);
}
bool MouseUp(HWND window, Mouse button, int x, int y, bool shift, bool ctrl) {
  return MouseSend(window, button, x, y, shift, ctrl, false, true);
}

bool MouseMove(HWND window, int x, int y, WPARAM keys) {
  if (!IsWindow(window)) return false;
  return OnOwner(window, [&] {
    SendMessage(window, WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
    return true;
  });
}

bool ChooseCommand(HWND window, int id) {
  if (!IsWindow(window) || !IsWindowEnabled(window)) return false;
  HMENU menu = GetMenu(window);
  UINT state = 0;
  if (menu && FindMenuCommand(menu, static_cast<UINT>(id), &state) && (state & (MF_GRAYED | MF_DISABLED))) return false;
  return OnOwner(window, [&] {
    SendMessage(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return true;
  });
}

bool ClickToolbarButton(HWND toolbar, int id) {
  int count = ToolbarButtonCount(toolbar);
  for (int i = 0; i < count; ++i) {
    if (ToolbarCommand(toolbar, i) != id) continue;
    return OnOwner(toolbar, [&] {
      SendMessage(GetParent(toolbar), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(toolbar));
      return true;
    });
  }
  return false;
}

void ChoosePopupItems(std::vector<UINT> ids) {
  {
    std::lock_guard<std::mutex> lock(PopupMutex());
    PopupChoices().assign(ids.begin(), ids.end());
  }
  SetPopupChooser([](const PopupRequest&) -> UINT {
    std::lock_guard<std::mutex> lock(PopupMutex());
    if (PopupChoices().empty()) return 0;
    UINT id = PopupChoices().front();
    PopupChoices().pop_front();
    return id;
  });
}

std::string StatusText(HWND statusBar, int part) { return platform::StatusText(statusBar, part); }

bool MatchPattern(const std::string& pattern, const std::string& text) {
  // Iterative glob match with backtracking to the last '*'.
  size_t p = 0, t = 0, star = std::string::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
    } else if (star != std::string::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// ---- modal handler ---------------------------------------------------------------------------
ModalHandler::ModalHandler(std::function<void(HWND, int)> handler) {
  previous_ = SetModalOpenHook([handler](HWND dialog, int templateId) { handler(dialog, templateId); });
}

ModalHandler::~ModalHandler() { SetModalOpenHook(std::move(previous_)); }

// ---- answers -----------------------------------------------------------------------------------
struct Answers::Expectation {
  enum class Kind { Box, File, Printer } kind = Kind::Box;
  std::string caption;
  std::string pattern;
  int answer = 0;
  bool accept = false;
  std::string value;
};

struct Answers::State {
  std::mutex mutex;
  std::deque<Expectation> expected;
  std::vector<std::string> failures;
  std::function<void(const std::string&)> onFailure;

  void Fail(const std::string& what) {
    std::function<void(const std::string&)> handler;
    {
      std::lock_guard<std::mutex> lock(mutex);
      failures.push_back(what);
      handler = onFailure;
    }
    if (handler) handler(what);
  }
};

Answers::Answers() : state_(std::make_shared<State>()) {
  std::shared_ptr<State> state = state_;
  previousBox_ = SetBoxAnswerer([state](const BoxRequest& box) {
    Expectation next;
    bool have = false;
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      if (!state->expected.empty() && state->expected.front().kind == Expectation::Kind::Box) {
        next = state->expected.front();
        state->expected.pop_front();
        have = true;
      }
    }
    if (!have) {
      state->Fail("unexpected box \"" + box.caption + "\": " + box.text);
      return NonDestructiveAnswer(box.style);
    }
    bool matches = next.caption == box.caption && MatchPattern(next.pattern, box.text);
    if (!matches) {
      state->Fail("box \"" + box.caption + "\": " + box.text + " does not match \"" + next.caption + "\" " + next.pattern);
      return NonDestructiveAnswer(box.style);
    }
    return next.answer;
  });
  previousDialog_ = SetCommonDialogAnswerer([state](const CommonDialogRequest& request) {
    Expectation next;
    bool have = false;
    Expectation::Kind wanted =
        request.kind == CommonDialogKind::Print ? Expectation::Kind::Printer : Expectation::Kind::File;
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      if (!state->expected.empty() && state->expected.front().kind == wanted) {
        next = state->expected.front();
        state->expected.pop_front();
        have = true;
      }
    }
    if (!have) {
      state->Fail(std::string("unexpected ") + CommonDialogKindName(request.kind) + " dialog \"" + request.title + "\"");
      return CommonDialogAnswer{};
    }
    return CommonDialogAnswer{next.accept, next.value};
  });
}

Answers::~Answers() {
  SetBoxAnswerer(std::move(previousBox_));
  SetCommonDialogAnswerer(std::move(previousDialog_));
}

Answers& Answers::Box(const std::string& caption, const std::string& textPattern, int answer) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Expectation e;
  e.kind = Expectation::Kind::Box;
  e.caption = caption;
  e.pattern = textPattern;
  e.answer = answer;
  state_->expected.push_back(e);
  return *this;
}

Answers& Answers::File(const std::string& path) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Expectation e;
  e.kind = Expectation::Kind::File;
  e.accept = true;
  e.value = path;
  state_->expected.push_back(e);
  return *this;
}

Answers& Answers::CancelFile() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Expectation e;
  e.kind = Expectation::Kind::File;
  state_->expected.push_back(e);
  return *this;
}

Answers& Answers::Printer(const std::string& name) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Expectation e;
  e.kind = Expectation::Kind::Printer;
  e.accept = true;
  e.value = name;
  state_->expected.push_back(e);
  return *this;
}

Answers& Answers::CancelPrinter() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Expectation e;
  e.kind = Expectation::Kind::Printer;
  state_->expected.push_back(e);
  return *this;
}

std::vector<std::string> Answers::Failures() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->failures;
}

bool Answers::AllAnswered() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->expected.empty();
}

void Answers::SetFailureHandler(std::function<void(const std::string&)> onFailure) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->onFailure = std::move(onFailure);
}

}  // namespace platform::driver
