// The built-in controls and the dialog-item helpers.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/windows/EditText.h"
#include "platform/windows/WindowInternal.h"

namespace platform::detail {
namespace {

template <typename T>
T* DataOf(Window* w) {
  if (!w) return nullptr;
  if (!w->control) w->control = std::make_unique<T>();
  return dynamic_cast<T*>(w->control.get());
}

// Copies text into a caller's buffer of `size` bytes; returns the length copied.
LRESULT CopyOut(const std::string& text, char* buffer, size_t size) {
  if (!buffer || size == 0) return 0;
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

void Invalidate(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

bool TakeFocusOnClick(HWND hwnd) {
  if (!IsWindowEnabled(hwnd)) return false;
  if (GetFocus() != hwnd) SetFocus(hwnd);
  return true;
}

// ---- buttons -----------------------------------------------------------------------------
DWORD ButtonType(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

bool IsRadio(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }

// The radio buttons of hwnd's group: from the nearest sibling at or before it with
// WS_GROUP up to the next sibling with WS_GROUP.
std::vector<HWND> RadioGroup(HWND hwnd) {
  std::vector<HWND> group;
  WinGuard guard(WinLock());
  Window* w = Find(hwnd);
  Window* parent = w ? Find(w->parent) : nullptr;
  if (!parent) return group;
  auto& siblings = parent->children;
  auto it = std::find(siblings.begin(), siblings.end(), hwnd);
  if (it == siblings.end()) return group;
  size_t start = static_cast<size_t>(it - siblings.begin());
  while (start > 0) {
    Window* s = Find(siblings[start]);
    if (s && (s->style & WS_GROUP)) break;
    --start;
  }
  for (size_t i = start; i < siblings.size(); ++i) {
    Window* s = Find(siblings[i]);
    if (!s) continue;
    if (i > start && (s->style & WS_GROUP)) break;
    if (s->cls->name == "BUTTON" && IsRadio(s->style & BS_TYPEMASK)) group.push_back(siblings[i]);
  }
  return group;
}

LRESULT CALLBACK_Button(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK: {
      WinGuard guard(WinLock());
      auto* data = DataOf<ButtonData>(Find(hwnd));
      return data ? data->check : 0;
    }
    case BM_SETCHECK: {
      {
        WinGuard guard(WinLock());
        auto* data = DataOf<ButtonData>(Find(hwnd));
        if (!data) return 0;
        data->check = static_cast<UINT>(wParam);
      }
      Invalidate(hwnd);
      return 0;
    }
    case WM_SETTEXT:
      DefWindowProc(hwnd, message, wParam, lParam);
      Invalidate(hwnd);
      return TRUE;
    case WM_LBUTTONDOWN:
      TakeFocusOnClick(hwnd);
      return 0;
    case WM_LBUTTONUP:
    case BM_CLICK: {
      if (!IsWindowEnabled(hwnd)) return 0;
      DWORD type = ButtonType(hwnd);
      if (type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE) {
        UINT check = static_cast<UINT>(CALLBACK_Button(hwnd, BM_GETCHECK, 0, 0));
        UINT next = type == BS_AUTO3STATE ? (check + 1) % 3 : (check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        CALLBACK_Button(hwnd, BM_SETCHECK, next, 0);
      } else if (type == BS_AUTORADIOBUTTON) {
        for (HWND other : RadioGroup(hwnd))
          if (other != hwnd && ButtonType(other) == BS_AUTORADIOBUTTON) CALLBACK_Button(other, BM_SETCHECK, BST_UNCHECKED, 0);
        CALLBACK_Button(hwnd, BM_SETCHECK, BST_CHECKED, 0);
      }
      if (type != BS_GROUPBOX) NotifyParent(hwnd, BN_CLICKED);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) return CALLBACK_Button(hwnd, BM_CLICK, 0, 0);
      return 0;
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

// ---- edits ---------------------------------------------------------------------------------
// Runs change on the edit's text and selection as one line; true when the text changed.
bool EditChange(HWND hwnd, const std::function<bool(EditLine&)>& change, bool* selectionMoved = nullptr) {
  WinGuard guard(WinLock());
  Window* w = Find(hwnd);
  auto* data = DataOf<EditData>(w);
  if (!data) return false;
  EditLine line;
  line.text = w->text;
  line.anchor = data->selStart;
  line.caret = data->selEnd;
  line.limit = data->limit;
  bool changed = change(line);
  if (changed && data->readOnly) return false;
  if (selectionMoved) *selectionMoved = line.anchor != data->selStart || line.caret != data->selEnd;
  if (changed) {
    w->text = line.text;
    data->modified = true;
  }
  data->selStart = line.anchor;
  data->selEnd = line.caret;
  return changed;
}

int EditOffsetAtX(HWND hwnd, int x) {
  std::string text;
  {
    WinGuard guard(WinLock());
    Window* w = Find(hwnd);
    if (!w) return 0;
    text = w->text;
  }
  return EditOffsetAt(text, x - 3, [](const std::string& prefix) { return TextWidth(prefix); });
}

LRESULT CALLBACK_Edit(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      WinGuard guard(WinLock());
      Window* w = Find(hwnd);
      if (auto* data = DataOf<EditData>(w)) data->readOnly = (w->style & ES_READONLY) != 0;
      return 0;
    }
    case WM_SETTEXT: {
      {
        WinGuard guard(WinLock());
        Window* w = Find(hwnd);
        auto* data = DataOf<EditData>(w);
        if (!data) return FALSE;
        w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        data->modified = false;
        data->selStart = data->selEnd = 0;
      }
      Invalidate(hwnd);
      NotifyParent(hwnd, EN_CHANGE);
      return TRUE;
    }
    case EM_GETMODIFY: {
      WinGuard guard(WinLock());
      auto* data = DataOf<EditData>(Find(hwnd));
      return data && data->modified ? TRUE : FALSE;
    }
    case EM_SETMODIFY: {
      WinGuard guard(WinLock());
      if (auto* data = DataOf<EditData>(Find(hwnd))) data->modified = wParam != 0;
      return 0;
    }
    case EM_SETREADONLY: {
      {
        WinGuard guard(WinLock());
        Window* w = Find(hwnd);
        auto* data = DataOf<EditData>(w);
        if (!data) return FALSE;
        data->readOnly = wParam != 0;
        if (wParam) w->style |= ES_READONLY;
        else w->style &= ~ES_READONLY;
      }
      Invalidate(hwnd);
      return TRUE;
    }
    case EM_SETSEL: {
      WinGuard guard(WinLock());
      Window* w = Find(hwnd);
      auto* data = DataOf<EditData>(w);
      if (!data) return 0;
      int size = static_cast<int>(w->text.size());
      int a = static_cast<int>(static_cast<intptr_t>(wParam));
      int b = static_cast<int>(lParam);
      DisplayChanged();
      if (a < 0) {
        data->selStart = data->selEnd = size;  // -1: remove the selection
      } else {
        data->selStart = std::min(a, size);
        data->selEnd = (b < 0 || b > size) ? size : b;
      }
      return 0;
    }
    case EM_GETSEL: {
      WinGuard guard(WinLock());
      auto* data = DataOf<EditData>(Find(hwnd));
      if (!data) return 0;
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(data->selStart);
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(data->selEnd);
      return MAKELPARAM(data->selStart, data->selEnd);
    }
    case EM_LIMITTEXT: {
      WinGuard guard(WinLock());
      if (auto* data = DataOf<EditData>(Find(hwnd))) data->limit = wParam == 0 ? 30000 : static_cast<int>(wParam);
      return 0;
    }
    case WM_CHAR: {
      bool changed = false;
      if (wParam == VK_BACK) {
        changed = EditChange(hwnd, [](EditLine& line) { return EditApplyKey(line, EditKey::Backspace, false); });
      } else if (wParam == 1) {  // Ctrl+A
        EditChange(hwnd, [](EditLine& line) { return EditApplyKey(line, EditKey::SelectAll, false); });
        Invalidate(hwnd);
      } else if (wParam >= 32 && wParam < 256) {
        std::string insert(1, static_cast<char>(wParam));
        changed = EditChange(hwnd, [&](EditLine& line) { return EditInsert(line, insert); });
      }
      if (changed) {
        Invalidate(hwnd);
        NotifyParent(hwnd, EN_CHANGE);
      }
      return 0;
    }
    case WM_KEYDOWN: {
      EditKey key;
      switch (wParam) {
        case VK_LEFT: key = EditKey::Left; break;
        case VK_RIGHT: key = EditKey::Right; break;
        case VK_HOME: key = EditKey::Home; break;
        case VK_END: key = EditKey::End; break;
        case VK_DELETE: key = EditKey::Delete; break;
        default: return 0;
      }
      bool shift = GetKeyState(VK_SHIFT) < 0;
      bool moved = false;
      bool changed = EditChange(hwnd, [&](EditLine& line) { return EditApplyKey(line, key, shift); }, &moved);
      if (changed || moved) Invalidate(hwnd);
      if (changed) NotifyParent(hwnd, EN_CHANGE);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      TakeFocusOnClick(hwnd);
      int offset = EditOffsetAtX(hwnd, GET_X_LPARAM(lParam));
      bool extend = (wParam & MK_SHIFT) != 0;
      EditChange(hwnd, [&](EditLine& line) {
        EditPlaceCaret(line, offset, extend);
        return false;
      });
      Invalidate(hwnd);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (!(wParam & MK_LBUTTON) || GetFocus() != hwnd) return 0;
      int offset = EditOffsetAtX(hwnd, GET_X_LPARAM(lParam));
      bool moved = false;
      EditChange(hwnd, [&](EditLine& line) {
        EditPlaceCaret(line, offset, true);
        return false;
      }, &moved);
      if (moved) Invalidate(hwnd);
      return 0;
    }
    case WM_SETFOCUS:
      Invalidate(hwnd);
      NotifyParent(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Invalidate(hwnd);
      NotifyParent(hwnd, EN_KILLFOCUS);
      return 0;
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

// ---- statics ----------------------------------------------------------------------------------
LRESULT CALLBACK_Static(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      DefWindowProc(hwnd, message, wParam, lParam);
      Invalidate(hwnd);
      return TRUE;
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

// ---- list boxes --------------------------------------------------------------------------------
int VisibleRows(Window* w) {
  int cw = 0, ch = 0;
  ClientSize(*w, &cw, &ch);
  return std::max(1, ch / kListRowHeight);
}

void ScrollIntoView(Window* w, ListData* data) {
  if (data->selection < 0) return;
  int rows = VisibleRows(w);
  if (data->selection < data->top) data->top = data->selection;
  if (data->selection >= data->top + rows) data->top = data->selection - rows + 1;
}

// One line of the list's own scroll bar. A list that shows one row is a choice list:
// the row it shows is the row chosen, so a line moves the selection along with the
// row (and the parent hears of the change); a taller list scrolls its rows.
WORD ListLine(Window* w, ListData* data, int step) {
  const int count = static_cast<int>(data->items.size());
  const int rows = VisibleRows(w);
  if (rows > 1) {
    data->top = std::clamp(data->top + step, 0, std::max(0, count - rows));
    return 0;
  }
  if (count == 0) return 0;
  const int next = std::clamp(data->top + step, 0, count - 1);
  data->top = next;
  if (next == data->selection) return 0;
  data->selection = next;
  return (w->style & LBS_NOTIFY) ? LBN_SELCHANGE : 0;
}

// The arrow of the list's scroll bar under a client point: -1 up, 1 down, 0 none.
int ListArrowAt(Window* w, int x, int y) {
  if (!(w->style & WS_VSCROLL)) return 0;
  int cw = 0, ch = 0;
  ClientSize(*w, &cw, &ch);
  if (x < cw - kListScrollBarWidth || x >= cw || y < 0 || y >= ch) return 0;
  return y < ch / 2 ? -1 : 1;
}

// The list's messages under the lock; *notify is the notification for the parent (0
// for none).
LRESULT ListMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WORD* notify) {
  WinGuard guard(WinLock());
  Window* w = Find(hwnd);
  auto* data = DataOf<ListData>(w);
  if (!data) return LB_ERR;
  int count = static_cast<int>(data->items.size());
  int index = static_cast<int>(static_cast<intptr_t>(wParam));
  switch (message) {
    case LB_RESETCONTENT:
      data->items.clear();
      data->selection = -1;
      data->top = 0;
      return 0;
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      int at = count;
      if (message == LB_INSERTSTRING && index >= 0) {
        if (index > count) return LB_ERR;
        at = index;
      } else if (message == LB_ADDSTRING && (w->style & LBS_SORT)) {
        at = static_cast<int>(std::upper_bound(data->items.begin(), data->items.end(), text) - data->items.begin());
      }
      data->items.insert(data->items.begin() + at, text);
      if (data->selection >= at) data->selection++;
      return at;
    }
    case LB_DELETESTRING:
      if (index < 0 || index >= count) return LB_ERR;
      data->items.erase(data->items.begin() + index);
      if (data->selection == index) data->selection = -1;
      else if (data->selection > index) data->selection--;
      if (data->top >= static_cast<int>(data->items.size())) data->top = std::max(0, static_cast<int>(data->items.size()) - 1);
      return static_cast<LRESULT>(data->items.size());
    case LB_GETCOUNT:
      return count;
    case LB_SETCURSEL:
      if (index < 0 || index >= count) {
        data->selection = -1;
        return index == -1 ? 0 : LB_ERR;
      }
      data->selection = index;
      ScrollIntoView(w, data);
      return index;
    case LB_GETCURSEL:
      return data->selection;
    case LB_GETTEXT:
      if (index < 0 || index >= count || !lParam) return LB_ERR;
      // The caller's buffer must hold LB_GETTEXTLEN + 1 bytes.
      std::memcpy(reinterpret_cast<char*>(lParam), data->items[static_cast<size_t>(index)].c_str(),
                  data->items[static_cast<size_t>(index)].size() + 1);
      return static_cast<LRESULT>(data->items[static_cast<size_t>(index)].size());
    case LB_GETTEXTLEN:
      if (index < 0 || index >= count) return LB_ERR;
      return static_cast<LRESULT>(data->items[static_cast<size_t>(index)].size());
    case LB_GETTOPINDEX:
      return data->top;
    case LB_SETTOPINDEX:
      if (index < 0 || (index >= count && count > 0)) return LB_ERR;
      data->top = index;
      return 0;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT: {
      std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      for (int i = 0; i < count; ++i) {
        int at = (index + 1 + i) % count;
        if (index < 0) at = i;
        const std::string& item = data->items[static_cast<size_t>(at)];
        bool match = message == LB_FINDSTRINGEXACT ? strcasecmp(item.c_str(), text.c_str()) == 0
                                                   : strncasecmp(item.c_str(), text.c_str(), text.size()) == 0;
        if (match) return at;
      }
      return LB_ERR;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      data->rowPressed = false;
      // A click on an arrow of the scroll bar (a quick second one too) is a line.
      if (int arrow = ListArrowAt(w, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
        data->heldArrow = arrow;
        data->onArrow = true;
        *notify = ListLine(w, data, arrow);
        return 0;
      }
      // The row drawn under the pointer: only whole rows are drawn, so the strip below
      // the last of them belongs to it, as do the border lines around them.
      const int drawn = std::clamp(GET_Y_LPARAM(lParam) / kListRowHeight, 0, VisibleRows(w) - 1);
      const int row = data->top + drawn;
      if (row < 0 || row >= count) return 0;
      data->selection = row;
      if (!(w->style & LBS_NOTIFY)) return 0;
      // The release of a click on a row tells the parent of the selection, whether it
      // changed or not; the second click of a double-click is told as such at once.
      if (message == WM_LBUTTONDBLCLK) *notify = LBN_DBLCLK;
      else data->rowPressed = true;
      return 0;
    }
    case WM_MOUSEMOVE:
      data->onArrow = data->heldArrow != 0 &&
                      ListArrowAt(w, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)) == data->heldArrow;
      return 0;
    case WM_LBUTTONUP:
      data->heldArrow = 0;
      data->onArrow = false;
      if (data->rowPressed && data->selection >= 0) *notify = LBN_SELCHANGE;
      data->rowPressed = false;
      return 0;
    case WM_TIMER:
      // The arrow held down repeats its line while the pointer stays on it.
      if (wParam != kHeldButtonTimer || data->heldArrow == 0 || !data->onArrow) return 0;
      *notify = ListLine(w, data, data->heldArrow);
      return 1;
    case WM_VSCROLL: {
      int rows = VisibleRows(w);
      int maxTop = std::max(0, count - rows);
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          *notify = ListLine(w, data, -1);
          break;
        case SB_LINEDOWN:
          *notify = ListLine(w, data, 1);
          break;
        case SB_PAGEUP:
          data->top = std::max(0, data->top - rows);
          break;
        case SB_PAGEDOWN:
          data->top = std::min(maxTop, data->top + rows);
          break;
        case SB_TOP:
          data->top = 0;
          break;
        case SB_BOTTOM:
          data->top = maxTop;
          break;
        default:
          break;
      }
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT CALLBACK_ListBox(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message >= LB_ADDSTRING && message <= LB_FINDSTRINGEXACT) || message == WM_VSCROLL ||
      message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_LBUTTONUP ||
      message == WM_MOUSEMOVE || message == WM_TIMER) {
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) TakeFocusOnClick(hwnd);
    WORD notify = 0;
    LRESULT result = ListMessage(hwnd, message, wParam, lParam, &notify);
    if (message != LB_GETCOUNT && message != LB_GETCURSEL && message != LB_GETTEXT && message != LB_GETTEXTLEN &&
        message != LB_GETTOPINDEX && message != WM_MOUSEMOVE && message != WM_LBUTTONUP &&
        (message != WM_TIMER || result == 1))
      Invalidate(hwnd);
    if (notify) NotifyParent(hwnd, notify);
    return result;
  }
  switch (message) {
    case WM_KEYDOWN: {
      // Up, Down, Page Up, Page Down, Home and End move the selection.
      int count = static_cast<int>(SendMessage(hwnd, LB_GETCOUNT, 0, 0));
      int current = static_cast<int>(SendMessage(hwnd, LB_GETCURSEL, 0, 0));
      RECT rc;
      GetClientRect(hwnd, &rc);
      int rows = std::max(1, static_cast<int>(rc.bottom) / kListRowHeight);
      int next = current;
      switch (wParam) {
        case VK_UP: next = current - 1; break;
        case VK_DOWN: next = current + 1; break;
        case VK_PRIOR: next = current - rows; break;
        case VK_NEXT: next = current + rows; break;
        case VK_HOME: next = 0; break;
        case VK_END: next = count - 1; break;
        default: return 0;
      }
      if (count == 0) return 0;
      next = std::clamp(next, 0, count - 1);
      if (next == current) return 0;
      SendMessage(hwnd, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
      Invalidate(hwnd);
      if (GetWindowLongPtr(hwnd, GWL_STYLE) & LBS_NOTIFY) NotifyParent(hwnd, LBN_SELCHANGE);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      bool notify = (GetWindowLongPtr(hwnd, GWL_STYLE) & LBS_NOTIFY) != 0;
      if (notify) NotifyParent(hwnd, message == WM_SETFOCUS ? LBN_SETFOCUS : LBN_KILLFOCUS);
      return 0;
    }
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

// ---- scroll bars --------------------------------------------------------------------------------
// What a press on the bar tells the parent, as WM_VSCROLL or WM_HSCROLL with the bar's
// handle; the parent moves the thumb (SetScrollPos), the bar itself only shows a
// dragged thumb where it is held.
void ScrollNotify(HWND hwnd, bool vertical, WORD code, int position = 0) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  WPARAM wParam = (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)
                      ? MAKEWPARAM(code, static_cast<WORD>(position))
                      : static_cast<WPARAM>(code);
  SendMessage(parent, vertical ? WM_VSCROLL : WM_HSCROLL, wParam, reinterpret_cast<LPARAM>(hwnd));
}

struct ScrollState {
  ScrollLayout layout;
  int minimum = 0, maximum = 0;
  ScrollData held;
};

bool ScrollStateOf(HWND hwnd, ScrollState* state) {
  WinGuard guard(WinLock());
  Window* w = Find(hwnd);
  auto* data = DataOf<ScrollData>(w);
  if (!data) return false;
  int cw = 0, ch = 0;
  ClientSize(*w, &cw, &ch);
  const int shown = data->pressed == ScrollPart::Thumb ? data->trackPosition : data->position;
  state->layout = LayoutScrollBar((w->style & SBS_VERT) != 0, cw, ch, data->minimum, data->maximum, shown);
  state->minimum = data->minimum;
  state->maximum = data->maximum;
  state->held = *data;
  return true;
}

void ScrollHold(HWND hwnd, const std::function<void(ScrollData&)>& change) {
  {
    WinGuard guard(WinLock());
    if (auto* data = DataOf<ScrollData>(Find(hwnd))) change(*data);
  }
  Invalidate(hwnd);
}

// The line or page a held part stands for (0xFFFF for none).
WORD ScrollCodeOf(ScrollPart part) {
  switch (part) {
    case ScrollPart::LineUp: return SB_LINEUP;
    case ScrollPart::LineDown: return SB_LINEDOWN;
    case ScrollPart::PageUp: return SB_PAGEUP;
    case ScrollPart::PageDown: return SB_PAGEDOWN;
    default: return 0xFFFF;
  }
}

LRESULT ScrollBarInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ScrollState state;
  if (!ScrollStateOf(hwnd, &state) || !IsWindowEnabled(hwnd)) return 0;
  const ScrollLayout& g = state.layout;
  const int along = g.vertical ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const ScrollPart part = g.PartAt(along);
      if (part == ScrollPart::None) return 0;
      ScrollHold(hwnd, [&](ScrollData& d) {
        d.pressed = part;
        d.along = along;
        d.trackPosition = d.position;
        d.grab = ThumbGrab{along, d.position};
      });
      if (part != ScrollPart::Thumb) ScrollNotify(hwnd, g.vertical, ScrollCodeOf(part));
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (state.held.pressed == ScrollPart::None) return 0;
      ScrollHold(hwnd, [&](ScrollData& d) { d.along = along; });
      if (state.held.pressed != ScrollPart::Thumb || !(wParam & MK_LBUTTON)) return 0;
      const int position = state.held.grab.PositionAt(along, g.Travel(), state.minimum, state.maximum);
      if (position == state.held.trackPosition) return 0;
      ScrollHold(hwnd, [&](ScrollData& d) { d.trackPosition = position; });
      ScrollNotify(hwnd, g.vertical, SB_THUMBTRACK, position);
      return 0;
    }
    case WM_TIMER: {
      // Held down: an arrow repeats its line while the pointer stays on it, the track
      // its page while the thumb has not reached the pointer.
      if (wParam != kHeldButtonTimer || state.held.pressed == ScrollPart::None) return 0;
      if (state.held.pressed == ScrollPart::Thumb) return 0;
      if (g.PartAt(state.held.along) != state.held.pressed) return 0;
      ScrollNotify(hwnd, g.vertical, ScrollCodeOf(state.held.pressed));
      return 0;
    }
    case WM_LBUTTONUP: {
      const ScrollPart part = state.held.pressed;
      if (part == ScrollPart::None) return 0;
      int position = state.held.trackPosition;
      if (part == ScrollPart::Thumb) position = state.held.grab.PositionAt(along, g.Travel(), state.minimum, state.maximum);
      ScrollHold(hwnd, [](ScrollData& d) { d.pressed = ScrollPart::None; });
      if (part == ScrollPart::Thumb) ScrollNotify(hwnd, g.vertical, SB_THUMBPOSITION, position);
      if (IsWindow(hwnd)) ScrollNotify(hwnd, g.vertical, SB_ENDSCROLL);
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT CALLBACK_ScrollBar(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case SBM_SETPOS:
    case SBM_GETPOS:
    case SBM_SETRANGE:
    case SBM_GETRANGE: {
      LRESULT result = 0;
      {
        WinGuard guard(WinLock());
        auto* data = DataOf<ScrollData>(Find(hwnd));
        if (!data) return 0;
        result = data->position;
        if (message == SBM_SETPOS) {
          data->position = std::clamp(static_cast<int>(static_cast<intptr_t>(wParam)), data->minimum,
                                      std::max(data->minimum, data->maximum));
        } else if (message == SBM_SETRANGE) {
          data->minimum = static_cast<int>(static_cast<intptr_t>(wParam));
          data->maximum = static_cast<int>(lParam);
          data->position = std::clamp(data->position, data->minimum, std::max(data->minimum, data->maximum));
        } else if (message == SBM_GETRANGE) {
          if (wParam) *reinterpret_cast<int*>(wParam) = data->minimum;
          if (lParam) *reinterpret_cast<int*>(lParam) = data->maximum;
        }
      }
      if (message == SBM_SETPOS || message == SBM_SETRANGE) Invalidate(hwnd);
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_TIMER:
      return ScrollBarInput(hwnd, message, wParam, lParam);
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

// ---- trackbars ---------------------------------------------------------------------------------
// The thumb as drawn: 8 pixels wide, its left edge 4 pixels in at the minimum and
// 12 pixels short of the far end at the maximum.
struct TrackGeometry {
  bool vertical = false;
  int length = 0;  // along the bar
  int minimum = 0, maximum = 0, position = 0, page = 1, line = 1;
  bool dragging = false;
  bool tracked = false;
  ThumbGrab grab;
  int Travel() const { return std::max(0, length - 16); }
  int ThumbStart() const {
    int span = std::max(1, maximum - minimum);
    double f = static_cast<double>(std::clamp(position, minimum, std::max(minimum, maximum)) - minimum) / span;
    return 4 + static_cast<int>(f * Travel());
  }
  // The position a thumb held since the press shows with the pointer at along.
  int DraggedTo(int along) const { return grab.PositionAt(along, Travel(), minimum, maximum); }
};

TrackGeometry TrackState(HWND hwnd) {
  TrackGeometry g;
  WinGuard guard(WinLock());
  Window* w = Find(hwnd);
  auto* data = DataOf<TrackData>(w);
  if (!data) return g;
  g.vertical = (w->style & TBS_VERT) != 0;
  int cw = 0, ch = 0;
  ClientSize(*w, &cw, &ch);
  g.length = g.vertical ? ch : cw;
  g.minimum = data->minimum;
  g.maximum = data->maximum;
  g.position = data->position;
  g.page = std::max(1, data->page);
  g.line = std::max(1, data->line);
  g.dragging = data->dragging;
  g.tracked = data->tracked;
  g.grab = data->grab;
  return g;
}

void SetDragging(HWND hwnd, bool dragging, const ThumbGrab& grab = ThumbGrab{}) {
  WinGuard guard(WinLock());
  if (auto* data = DataOf<TrackData>(Find(hwnd))) {
    data->dragging = dragging;
    data->tracked = false;
    data->grab = grab;
  }
}

void SetTracked(HWND hwnd) {
  WinGuard guard(WinLock());
  if (auto* data = DataOf<TrackData>(Find(hwnd))) data->tracked = true;
}

// Moves the thumb and tells the parent, as a person's mouse or keys do.
void TrackTo(HWND hwnd, const TrackGeometry& g, int position, WORD code, bool end) {
  SendMessage(hwnd, TBM_SETPOS, TRUE, position);
  int pos = static_cast<int>(SendMessage(hwnd, TBM_GETPOS, 0, 0));
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  UINT message = g.vertical ? WM_VSCROLL : WM_HSCROLL;
  WPARAM wParam = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? MAKEWPARAM(code, pos) : code;
  SendMessage(parent, message, wParam, reinterpret_cast<LPARAM>(hwnd));
  if (end && IsWindow(hwnd)) SendMessage(parent, message, TB_ENDTRACK, reinterpret_cast<LPARAM>(hwnd));
}

LRESULT TrackbarInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TrackGeometry g = TrackState(hwnd);
  int along = g.vertical ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
  switch (message) {
    case WM_LBUTTONDOWN: {
      if (!TakeFocusOnClick(hwnd)) return 0;
      int thumb = g.ThumbStart();
      if (along >= thumb && along < thumb + 8) {
        // Taken hold of where it was pressed: it moves only as far as the pointer does.
        SetDragging(hwnd, true, ThumbGrab{along, g.position});
      } else if (along >= 4 && along < g.length - 4) {
        // A click beside the thumb moves it a page towards the click.
        bool up = along < thumb;
        TrackTo(hwnd, g, up ? g.position - g.page : g.position + g.page, up ? TB_PAGEUP : TB_PAGEDOWN, true);
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (!g.dragging || !(wParam & MK_LBUTTON)) return 0;
      int pos = g.DraggedTo(along);
      if (pos != g.position) {
        SetTracked(hwnd);
        TrackTo(hwnd, g, pos, TB_THUMBTRACK, false);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!g.dragging) return 0;
      SetDragging(hwnd, false);
      const int pos = g.DraggedTo(along);
      if (g.tracked || pos != g.position) {
        TrackTo(hwnd, g, pos, TB_THUMBPOSITION, true);
      } else if (HWND parent = GetParent(hwnd)) {
        // A thumb let go without being dragged moved nothing: the release only ends the
        // track, and the parent hears no position of it.
        SendMessage(parent, g.vertical ? WM_VSCROLL : WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(hwnd));
      }
      return 0;
    }
    case WM_KEYDOWN: {
      switch (wParam) {
        case VK_LEFT:
        case VK_UP:
          TrackTo(hwnd, g, g.position - g.line, TB_LINEUP, true);
          break;
        case VK_RIGHT:
        case VK_DOWN:
          TrackTo(hwnd, g, g.position + g.line, TB_LINEDOWN, true);
          break;
        case VK_PRIOR:
          TrackTo(hwnd, g, g.position - g.page, TB_PAGEUP, true);
          break;
        case VK_NEXT:
          TrackTo(hwnd, g, g.position + g.page, TB_PAGEDOWN, true);
          break;
        case VK_HOME:
          TrackTo(hwnd, g, g.minimum, TB_TOP, true);
          break;
        case VK_END:
          TrackTo(hwnd, g, g.maximum, TB_BOTTOM, true);
          break;
        default:
          break;
      }
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT CALLBACK_Trackbar(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= TBM_GETPOS && message <= TBM_SETLINESIZE) {
    LRESULT result = 0;
    {
      WinGuard guard(WinLock());
      auto* data = DataOf<TrackData>(Find(hwnd));
      if (!data) return 0;
      int value = static_cast<int>(lParam);
      switch (message) {
        case TBM_GETPOS:
          return data->position;
        case TBM_GETRANGEMIN:
          return data->minimum;
        case TBM_GETRANGEMAX:
          return data->maximum;
        case TBM_GETPAGESIZE:
          return data->page;
        case TBM_SETPOS:
          data->position = value;
          break;
        case TBM_SETRANGE:
          data->minimum = static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(lParam)));
          data->maximum = static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(lParam)));
          break;
        case TBM_SETRANGEMIN:
          data->minimum = value;
          break;
        case TBM_SETRANGEMAX:
          data->maximum = value;
          break;
        case TBM_SETTICFREQ:
          data->ticFrequency = static_cast<int>(wParam);
          break;
        case TBM_SETPAGESIZE:
          result = data->page;
          data->page = value;
          break;
        case TBM_SETLINESIZE:
          result = data->line;
          data->line = value;
          break;
        default:
          break;
      }
      data->position = std::clamp(data->position, data->minimum, std::max(data->minimum, data->maximum));
    }
    Invalidate(hwnd);
    return result;
  }
  if (message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE || message == WM_LBUTTONUP || message == WM_KEYDOWN)
    return TrackbarInput(hwnd, message, wParam, lParam);
  return DefWindowProc(hwnd, message, wParam, lParam);
}

// ---- toolbars -----------------------------------------------------------------------------------
// The enabled button drawn at x along the bar (-1 for none: a gap, a separator, a
// disabled button).
int ToolbarButtonAt(const ToolbarData& data, int x) {
  int left = 4;
  for (size_t i = 0; i < data.buttons.size(); ++i) {
    const TBBUTTON& b = data.buttons[i];
    const int width = (b.fsStyle & TBSTYLE_SEP) ? 8 : kToolbarButton + 2;
    if (x >= left && x < left + width)
      return !(b.fsStyle & TBSTYLE_SEP) && (b.fsState & TBSTATE_ENABLED) ? static_cast<int>(i) : -1;
    left += width;
  }
  return -1;
}

LRESULT CALLBACK_Toolbar(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case TB_BUTTONSTRUCTSIZE:
      return 0;
    case TB_ADDBITMAP: {
      WinGuard guard(WinLock());
      auto* data = DataOf<ToolbarData>(Find(hwnd));
      const auto* add = reinterpret_cast<const TBADDBITMAP*>(lParam);
      if (!data || !add) return -1;
      ToolbarImageStrip strip;
      strip.standard = add->hInst == HINST_COMMCTRL;
      strip.bitmap = strip.standard ? nullptr : reinterpret_cast<HBITMAP>(add->nID);
      strip.first = data->imageCount;
      strip.count = std::max(1, static_cast<int>(wParam));
      data->strips.push_back(strip);
      data->imageCount += strip.count;
      return strip.first;
    }
    case TB_ADDBUTTONS: {
      {
        WinGuard guard(WinLock());
        auto* data = DataOf<ToolbarData>(Find(hwnd));
        const auto* buttons = reinterpret_cast<const TBBUTTON*>(lParam);
        if (!data || !buttons) return FALSE;
        for (WPARAM i = 0; i < wParam; ++i) data->buttons.push_back(buttons[i]);
      }
      Invalidate(hwnd);
      return TRUE;
    }
    case TB_BUTTONCOUNT: {
      WinGuard guard(WinLock());
      auto* data = DataOf<ToolbarData>(Find(hwnd));
      return data ? static_cast<LRESULT>(data->buttons.size()) : 0;
    }
    case TB_ENABLEBUTTON: {
      {
        WinGuard guard(WinLock());
        auto* data = DataOf<ToolbarData>(Find(hwnd));
        if (!data) return FALSE;
        for (auto& b : data->buttons)
          if (b.idCommand == static_cast<int>(wParam)) {
            if (LOWORD(static_cast<uintptr_t>(lParam))) b.fsState |= TBSTATE_ENABLED;
            else b.fsState = static_cast<BYTE>(b.fsState & ~TBSTATE_ENABLED);
          }
      }
      Invalidate(hwnd);
      return TRUE;
    }
    case TB_AUTOSIZE: {
      HWND parent = GetParent(hwnd);
      RECT rc;
      if (parent && GetClientRect(parent, &rc)) MoveWindow(hwnd, 0, 0, rc.right, kToolbarHeight, TRUE);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
      // A button acts when the mouse button is let go over the button it was pressed on;
      // let go elsewhere (another button, off the bar), or without a press, it does not.
      int command = 0;
      {
        WinGuard guard(WinLock());
        Window* w = Find(hwnd);
        auto* data = DataOf<ToolbarData>(w);
        if (!data) return 0;
        int cw = 0, ch = 0;
        ClientSize(*w, &cw, &ch);
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        const int at = x >= 0 && x < cw && y >= 0 && y < ch ? ToolbarButtonAt(*data, x) : -1;
        if (message == WM_LBUTTONDOWN) {
          data->pressed = at;
          return 0;
        }
        if (at >= 0 && at == data->pressed) command = data->buttons[static_cast<size_t>(at)].idCommand;
        data->pressed = -1;
      }
      if (command) SendMessage(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
      return 0;
    }
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

// ---- status bars ----------------------------------------------------------------------------------
constexpr size_t kStatusTextLimit = 255;

LRESULT CALLBACK_StatusBar(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case SB_SETPARTS: {
      {
        WinGuard guard(WinLock());
        auto* data = DataOf<StatusData>(Find(hwnd));
        const int* edges = reinterpret_cast<const int*>(lParam);
        if (!data || !edges || wParam == 0 || wParam > 256) return FALSE;
        data->rightEdges.assign(edges, edges + wParam);
        data->texts.resize(wParam);
      }
      Invalidate(hwnd);
      return TRUE;
    }
    case SB_GETPARTS: {
      WinGuard guard(WinLock());
      auto* data = DataOf<StatusData>(Find(hwnd));
      if (!data) return 0;
      int* edges = reinterpret_cast<int*>(lParam);
      for (size_t i = 0; edges && i < std::min<size_t>(wParam, data->rightEdges.size()); ++i) edges[i] = data->rightEdges[i];
      return static_cast<LRESULT>(data->rightEdges.size());
    }
    case SB_SETTEXT: {
      {
        WinGuard guard(WinLock());
        auto* data = DataOf<StatusData>(Find(hwnd));
        size_t part = wParam & 0xFF;
        if (!data || part >= data->texts.size()) return FALSE;
        std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        if (text.size() > kStatusTextLimit) text.resize(kStatusTextLimit);
        data->texts[part] = text;
      }
      Invalidate(hwnd);
      return TRUE;
    }
    case WM_SETTEXT:
      return CALLBACK_StatusBar(hwnd, SB_SETTEXT, 0, lParam);
    case WM_GETFONT: {
      WinGuard guard(WinLock());
      auto* data = DataOf<StatusData>(Find(hwnd));
      if (!data) return 0;
      if (!data->font) data->font = StatusFont();
      return reinterpret_cast<LRESULT>(data->font);
    }
    case SB_GETTEXT:
    case SB_GETTEXTLENGTH: {
      WinGuard guard(WinLock());
      auto* data = DataOf<StatusData>(Find(hwnd));
      size_t part = wParam & 0xFF;
      if (!data || part >= data->texts.size()) return 0;
      // SB_GETTEXT writes at most 256 bytes (texts are kept to 255 characters).
      if (message == SB_GETTEXT) CopyOut(data->texts[part], reinterpret_cast<char*>(lParam), kStatusTextLimit + 1);
      return static_cast<LRESULT>(data->texts[part].size());
    }
    case WM_SIZE: {
      HWND parent = GetParent(hwnd);
      RECT rc;
      if (parent && GetClientRect(parent, &rc))
        MoveWindow(hwnd, 0, rc.bottom - kStatusBarHeight, rc.right, kStatusBarHeight, TRUE);
      return 0;
    }
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

}  // namespace

ScrollLayout LayoutScrollBar(bool vertical, int width, int height, int minimum, int maximum, int position) {
  ScrollLayout g;
  g.vertical = vertical;
  g.length = std::max(0, vertical ? height : width);
  g.thickness = std::max(0, vertical ? width : height);
  g.arrow = std::min(g.thickness, g.length / 2);
  const int track = g.length - 2 * g.arrow;
  if (track >= g.thickness && g.thickness > 0) {
    g.thumb = g.thickness;
    const int span = maximum - minimum;
    const double f =
        span > 0 ? static_cast<double>(std::clamp(position, minimum, maximum) - minimum) / span : 0.0;
    g.thumbStart = g.arrow + static_cast<int>(f * (track - g.thumb) + 0.5);
  }
  return g;
}

ScrollPart ScrollLayout::PartAt(int along) const {
  if (along < 0 || along >= length) return ScrollPart::None;
  if (along < arrow) return ScrollPart::LineUp;
  if (along >= length - arrow) return ScrollPart::LineDown;
  if (thumb == 0) return ScrollPart::None;
  if (along < thumbStart) return ScrollPart::PageUp;
  if (along >= thumbStart + thumb) return ScrollPart::PageDown;
  return ScrollPart::Thumb;
}

int ThumbGrab::PositionAt(int pointer, int travel, int minimum, int maximum) const {
  if (pointer == along || travel <= 0 || maximum <= minimum) return position;
  const double moved = static_cast<double>(pointer - along) * (maximum - minimum) / travel;
  return std::clamp(position + static_cast<int>(std::lround(moved)), minimum, maximum);
}

HFONT StatusFont() {
  return CreateFont(kStatusCharHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "DejaVu Sans Mono");
}

StatusData::~StatusData() {
  if (font) DeleteObject(font);
}

bool IsDirectControlMessage(const std::string& className, UINT message) {
  if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH) return true;
  if (className == "MSCTLS_STATUSBAR32")
    return message == SB_SETTEXT || message == SB_GETTEXT || message == SB_GETTEXTLENGTH || message == SB_SETPARTS ||
           message == SB_GETPARTS || message == WM_SETTEXT || message == WM_GETFONT;
  if (className == "STATIC") return message == WM_SETTEXT;
  if (className == "BUTTON") return message == BM_GETCHECK || message == BM_SETCHECK || message == WM_SETTEXT;
  if (className == "EDIT")
    return message == EM_GETMODIFY || message == EM_SETMODIFY || message == EM_SETREADONLY || message == EM_GETSEL ||
           message == EM_SETSEL || message == EM_LIMITTEXT;
  if (className == "LISTBOX") return message >= LB_ADDSTRING && message <= LB_FINDSTRINGEXACT;
  if (className == "SCROLLBAR") return message >= SBM_SETPOS && message <= SBM_GETRANGE;
  if (className == "MSCTLS_TRACKBAR32") return message >= TBM_GETPOS && message <= TBM_SETLINESIZE;
  if (className == "TOOLBARWINDOW32") return message == TB_BUTTONCOUNT;
  return false;
}

std::once_flag g_builtinOnce;

void EnsureBuiltinClasses() {
  std::call_once(g_builtinOnce, [] {
    RegisterBuiltinClass(WC_BUTTON, &CALLBACK_Button, 0);
    RegisterBuiltinClass(WC_EDIT, &CALLBACK_Edit, 0);
    RegisterBuiltinClass(WC_STATIC, &CALLBACK_Static, 0);
    RegisterBuiltinClass(WC_LISTBOX, &CALLBACK_ListBox, 0);
    RegisterBuiltinClass(WC_SCROLLBAR, &CALLBACK_ScrollBar, 0);
    RegisterBuiltinClass(TRACKBAR_CLASS, &CALLBACK_Trackbar, 0);
    RegisterBuiltinClass(TOOLBARCLASSNAME, &CALLBACK_Toolbar, 0);
    RegisterBuiltinClass(STATUSCLASSNAME, &CALLBACK_StatusBar, 0);
    RegisterBuiltinClass(kDialogClass, &CALLBACK_DialogProc, CS_DBLCLKS);
  });
}

}  // namespace platform::detail

using namespace platform;
using namespace platform::detail;

void InitCommonControls() { EnsureBuiltinClasses(); }

HWND CreateStatusWindow(LONG style, LPCSTR text, HWND parent, UINT id) {
  RECT rc;
  if (!GetClientRect(parent, &rc)) return nullptr;
  HWND bar = CreateWindowEx(0, STATUSCLASSNAME, text, static_cast<DWORD>(style) | WS_CHILD, 0,
                            rc.bottom - kStatusBarHeight, rc.right, kStatusBarHeight, parent,
                            reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
  if (bar && text && *text) SendMessage(bar, SB_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  return bar;
}

static HWND ScrollTarget(HWND window, int bar) {
  // Only stand-alone scroll-bar controls keep a position here.
  return bar == SB_CTL ? window : nullptr;
}

int SetScrollPos(HWND window, int bar, int position, BOOL) {
  HWND target = ScrollTarget(window, bar);
  return target ? static_cast<int>(SendMessage(target, SBM_SETPOS, static_cast<WPARAM>(position), 0)) : 0;
}

int GetScrollPos(HWND window, int bar) {
  HWND target = ScrollTarget(window, bar);
  return target ? static_cast<int>(SendMessage(target, SBM_GETPOS, 0, 0)) : 0;
}

BOOL SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL) {
  HWND target = ScrollTarget(window, bar);
  if (!target || !IsWindow(target)) return FALSE;
  SendMessage(target, SBM_SETRANGE, static_cast<WPARAM>(minimum), maximum);
  return TRUE;
}

BOOL GetScrollRange(HWND window, int bar, int* minimum, int* maximum) {
  HWND target = ScrollTarget(window, bar);
  if (!target || !IsWindow(target)) return FALSE;
  SendMessage(target, SBM_GETRANGE, reinterpret_cast<WPARAM>(minimum), reinterpret_cast<LPARAM>(maximum));
  return TRUE;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessage(item, message, wParam, lParam) : 0;
}

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowText(item, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  HWND item = GetDlgItem(dialog, id);
  return item ? static_cast<UINT>(GetWindowText(item, buffer, size)) : 0;
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  char text[64];
  if (translated) *translated = FALSE;
  if (!GetDlgItem(dialog, id)) return 0;
  GetDlgItemText(dialog, id, text, sizeof text);
  const char* p = text;
  while (*p == ' ') ++p;
  if (*p == '\0' || (!isSigned && *p == '-')) return 0;
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(p, &end, 10);
  while (end && *end == ' ') ++end;
  if (errno != 0 || !end || *end != '\0') return 0;
  if (isSigned ? (value < INT32_MIN || value > INT32_MAX) : (value < 0 || value > UINT32_MAX)) return 0;
  if (translated) *translated = TRUE;
  return static_cast<UINT>(value);
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  char text[32];
  if (isSigned) std::snprintf(text, sizeof text, "%d", static_cast<int32_t>(value));
  else std::snprintf(text, sizeof text, "%u", value);
  return SetDlgItemText(dialog, id, text);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return FALSE;
  SendMessage(item, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item ? static_cast<UINT>(SendMessage(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
  if (!GetDlgItem(dialog, check)) return FALSE;
  for (int id = first; id <= last; ++id)
    if (HWND item = GetDlgItem(dialog, id)) SendMessage(item, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}

std::string platform::StatusText(HWND statusBar, int part) {
  WinGuard guard(WinLock());
  Window* w = Find(statusBar);
  auto* data = w ? dynamic_cast<StatusData*>(w->control.get()) : nullptr;
  if (!data || part < 0 || static_cast<size_t>(part) >= data->texts.size()) return std::string();
  return data->texts[static_cast<size_t>(part)];
}

bool platform::StatusTextShownWhole(HWND statusBar, int part) {
  std::vector<int> edges;
  std::vector<std::string> texts;
  int width = 0;
  {
    WinGuard guard(WinLock());
    Window* w = Find(statusBar);
    auto* data = w ? dynamic_cast<StatusData*>(w->control.get()) : nullptr;
    if (!data || part < 0 || static_cast<size_t>(part) >= data->texts.size()) return false;
    edges = data->rightEdges;
    texts = data->texts;
    width = w->rect.right - w->rect.left;
  }
  const auto spans = StatusTextSpans(edges, texts, width);
  const auto [left, right] = spans[static_cast<size_t>(part)];
  return StatusTextWidth(texts[static_cast<size_t>(part)]) <= right - left - 2 * kStatusTextMargin;
}

int platform::StatusPartCount(HWND statusBar) {
  WinGuard guard(WinLock());
  Window* w = Find(statusBar);
  auto* data = w ? dynamic_cast<StatusData*>(w->control.get()) : nullptr;
  return data ? static_cast<int>(data->texts.size()) : 0;
}

int platform::ToolbarButtonCount(HWND toolbar) {
  WinGuard guard(WinLock());
  Window* w = Find(toolbar);
  auto* data = w ? dynamic_cast<ToolbarData*>(w->control.get()) : nullptr;
  return data ? static_cast<int>(data->buttons.size()) : 0;
}

int platform::ToolbarCommand(HWND toolbar, int index) {
  WinGuard guard(WinLock());
  Window* w = Find(toolbar);
  auto* data = w ? dynamic_cast<ToolbarData*>(w->control.get()) : nullptr;
  if (!data || index < 0 || static_cast<size_t>(index) >= data->buttons.size()) return 0;
  const auto& button = data->buttons[static_cast<size_t>(index)];
  // A separator or a disabled button gives no command, as a click on it gives none.
  if ((button.fsStyle & TBSTYLE_SEP) || !(button.fsState & TBSTATE_ENABLED)) return 0;
  return button.idCommand;
}
