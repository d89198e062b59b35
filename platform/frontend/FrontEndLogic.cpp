// The display-free parts of the visible front end: key mapping, menu tracking and
// the front end's own dialogs.
#include "platform/frontend/FrontEndLogic.h"
#include "platform/gdi/PaintTools.h"

#include <SDL2/SDL_keycode.h>
#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/kernel/Files.h"

namespace platform::frontend {
namespace {

using namespace platform::paint;

constexpr int kMenuRow = 18;
constexpr int kMenuSeparator = 7;

void Tick(HDC dc, int x, int y, COLORREF color) {
  HPEN pen = CreatePen(PS_SOLID, 2, color);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x, y + 4, nullptr);
  LineTo(dc, x + 3, y + 7);
  LineTo(dc, x + 8, y);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// The label and the accelerator text of a menu item ("&Open\tCtrl+O").
void SplitMenuText(const std::string& text, std::string* label, std::string* accelerator) {
  size_t tab = text.find('\t');
  *label = text.substr(0, tab);
  *accelerator = tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

bool Selectable(const detail::MenuItem& item) { return !(item.flags & MF_SEPARATOR); }
bool Choosable(const detail::MenuItem& item) {
  return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP));
}

int RowHeight(const detail::MenuItem& item) { return (item.flags & MF_SEPARATOR) ? kMenuSeparator : kMenuRow; }

}  // namespace

std::vector<HWND> RaiseOrder(HWND window, const std::vector<std::pair<HWND, HWND>>& owners) {
  std::vector<HWND> order{window};
  // Each window is followed at once by the windows it owns, before its next sibling.
  for (size_t next = 0; next < order.size(); ++next) {
    std::vector<HWND> owned;
    for (const auto& [w, owner] : owners)
      if (owner == order[next] && w != nullptr && std::find(order.begin(), order.end(), w) == order.end())
        owned.push_back(w);
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(next) + 1, owned.begin(), owned.end());
  }
  return order;
}

bool OnCloseBox(HWND window, int x, int y) {
  detail::WinGuard guard(detail::WinLock());
  const detail::Window* w = detail::Find(window);
  if (!w || (w->style & WS_CHILD)) return false;
  const RECT box = detail::CloseBoxRect(*w);
  return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

bool ClickCloseBox(HWND window, int x, int y) {
  if (!OnCloseBox(window, x, y)) return false;
  PostMessage(window, WM_CLOSE, 0, 0);
  return true;
}

int VirtualKeyOf(int key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return key;
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
  switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    default: return 0;
  }
}

bool KeyTypesText(int virtualKey, bool ctrl) {
  if (ctrl) return false;
  return (virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9') || virtualKey == VK_SPACE;
}

char MnemonicOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    char c = text[i + 1];
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return 0;
}

// ---- menus -----------------------------------------------------------------------------------
int MenuBarItemWidth(const detail::MenuItem& item) {
  return static_cast<int>(item.text.size()) * detail::kCharWidth + 12;
}

int MenuBarItemLeft(const std::vector<detail::MenuItem>& items, int index) {
  int left = 0;
  for (int i = 0; i < index && i < static_cast<int>(items.size()); ++i)
    if (!(items[static_cast<size_t>(i)].flags & MF_SEPARATOR)) left += MenuBarItemWidth(items[static_cast<size_t>(i)]);
  return left;
}

int MenuBarItemAt(const std::vector<detail::MenuItem>& items, int x) {
  int left = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].flags & MF_SEPARATOR) continue;
    int width = MenuBarItemWidth(items[i]);
    if (x >= left && x < left + width) return static_cast<int>(i);
    left += width;
  }
  return -1;
}

MenuTracker::Level MenuTracker::MakeLevel(HMENU menu, int x, int y) const {
  Level level;
  level.menu = menu;
  level.items = detail::MenuItems(menu);
  int labelWidth = 0, accelWidth = 0;
  level.height = 4;
  for (const auto& item : level.items) {
    std::string label, accel;
    SplitMenuText(item.text, &label, &accel);
    std::string shown;
    for (size_t i = 0; i < label.size(); ++i)
      if (label[i] != '&' || (i + 1 < label.size() && label[i + 1] == '&' && ++i)) shown += label[i];
    labelWidth = std::max(labelWidth, detail::TextWidth(shown));
    accelWidth = std::max(accelWidth, detail::TextWidth(accel));
    level.height += RowHeight(item);
  }
  level.width = std::max(100, 24 + labelWidth + (accelWidth ? accelWidth + 24 : 0) + 20);
  if (bounds_.right > bounds_.left && x + level.width > bounds_.right)
    x = std::max<int>(bounds_.left, bounds_.right - level.width);
  if (bounds_.bottom > bounds_.top && y + level.height > bounds_.bottom)
    y = std::max<int>(bounds_.top, bounds_.bottom - level.height);
  level.x = x;
  level.y = y;
  return level;
}

void MenuTracker::StartBar(HMENU bar, int left, int top, RECT bounds, int index, bool open) {
  Close();
  bar_ = bar;
  barItems_ = detail::MenuItems(bar);
  if (barItems_.empty()) {
    bar_ = nullptr;
    return;
  }
  barLeft_ = left;
  barTop_ = top;
  bounds_ = bounds;
  active_ = true;
  barIndex_ = std::clamp(index, 0, static_cast<int>(barItems_.size()) - 1);
  armed_ = open;  // opened with the mouse: a drag onto an item chooses it
  if (open) OpenDropDown(barIndex_, false);
}

void MenuTracker::StartPopup(HMENU menu, int x, int y, RECT bounds) {
  Close();
  bounds_ = bounds;
  Level level = MakeLevel(menu, x, y);
  if (level.items.empty()) return;
  levels_.push_back(std::move(level));
  active_ = true;
}

void MenuTracker::Close() {
  active_ = false;
  bar_ = nullptr;
  barItems_.clear();
  barIndex_ = -1;
  levels_.clear();
  armed_ = false;
}

void MenuTracker::OpenDropDown(int barIndex, bool highlightFirst) {
  levels_.clear();
  barIndex_ = barIndex;
  const auto& item = barItems_[static_cast<size_t>(barIndex)];
  if (!(item.flags & MF_POPUP) || !item.popup) return;
  Level level = MakeLevel(item.popup, barLeft_ + MenuBarItemLeft(barItems_, barIndex), barTop_ + detail::kMenuBarHeight);
  if (highlightFirst) MoveHighlight(level, 1);
  levels_.push_back(std::move(level));
}

void MenuTracker::OpenSubMenu(size_t level, int row) {
  levels_.resize(level + 1);
  Level& parent = levels_[level];
  const auto& item = parent.items[static_cast<size_t>(row)];
  int top = parent.y + 2;
  for (int i = 0; i < row; ++i) top += RowHeight(parent.items[static_cast<size_t>(i)]);
  Level sub = MakeLevel(item.popup, parent.x + parent.width - 2, top);
  levels_.push_back(std::move(sub));
}

void MenuTracker::MoveHighlight(Level& level, int step) const {
  int count = static_cast<int>(level.items.size());
  if (count == 0) return;
  int at = level.highlight;
  for (int tries = 0; tries < count; ++tries) {
    at = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
    if (Selectable(level.items[static_cast<size_t>(at)])) {
      level.highlight = at;
      return;
    }
  }
}

void MenuTracker::MoveBar(int step) {
  int count = static_cast<int>(barItems_.size());
  bool open = !levels_.empty();
  int at = barIndex_;
  for (int tries = 0; tries < count; ++tries) {
    at = (at + step + count) % count;
    if (!(barItems_[static_cast<size_t>(at)].flags & MF_SEPARATOR)) break;
  }
  barIndex_ = at;
  levels_.clear();
  if (open) OpenDropDown(at, true);
}

bool MenuTracker::BarCommand(int index) const {
  if (index < 0 || index >= static_cast<int>(barItems_.size())) return false;
  return Choosable(barItems_[static_cast<size_t>(index)]);
}

MenuTracker::Result MenuTracker::ChooseBar(int index) {
  chosen_ = barItems_[static_cast<size_t>(index)].id;
  Close();
  return Result::Chosen;
}

MenuTracker::Result MenuTracker::Activate(size_t level, int row) {
  Level& l = levels_[level];
  l.highlight = row;
  const auto& item = l.items[static_cast<size_t>(row)];
  if ((item.flags & MF_POPUP) && item.popup) {
    OpenSubMenu(level, row);
    MoveHighlight(levels_.back(), 1);
    return Result::Handled;
  }
  if (!Choosable(item)) return Result::Handled;
  chosen_ = item.id;
  Close();
  return Result::Chosen;
}

MenuTracker::Result MenuTracker::Key(int vk) {
  if (!active_) return Result::Ignored;
  switch (vk) {
    case VK_MENU:
      Close();
      return Result::Closed;
    case VK_ESCAPE:
      if (levels_.empty() || (levels_.size() == 1 && !bar_)) {
        Close();
        return Result::Closed;
      }
      levels_.pop_back();
      return Result::Handled;
    case VK_LEFT:
      if (levels_.size() > 1) {
        levels_.pop_back();
      } else if (bar_) {
        MoveBar(-1);
      }
      return Result::Handled;
    case VK_RIGHT: {
      if (!levels_.empty()) {
        Level& top = levels_.back();
        if (top.highlight >= 0) {
          const auto& item = top.items[static_cast<size_t>(top.highlight)];
          if ((item.flags & MF_POPUP) && item.popup) return Activate(levels_.size() - 1, top.highlight);
        }
      }
      if (bar_) MoveBar(1);
      return Result::Handled;
    }
    case VK_UP:
    case VK_DOWN:
      if (levels_.empty()) {
        if (bar_) OpenDropDown(barIndex_, true);
        return Result::Handled;
      }
      MoveHighlight(levels_.back(), vk == VK_DOWN ? 1 : -1);
      return Result::Handled;
    case VK_RETURN:
    case VK_SPACE:
      if (levels_.empty()) {
        if (bar_ && BarCommand(barIndex_)) return ChooseBar(barIndex_);
        if (bar_) OpenDropDown(barIndex_, true);
        return Result::Handled;
      }
      if (levels_.back().highlight < 0) return Result::Handled;
      return Activate(levels_.size() - 1, levels_.back().highlight);
    default:
      break;
  }
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
    if (levels_.empty()) {
      for (size_t i = 0; i < barItems_.size(); ++i)
        if (MnemonicOf(barItems_[i].text) == vk) {
          if (!(barItems_[i].flags & MF_POPUP)) {
            // A command on the bar itself is chosen by its letter (a grayed one only lit).
            if (BarCommand(static_cast<int>(i))) return ChooseBar(static_cast<int>(i));
            barIndex_ = static_cast<int>(i);
            return Result::Handled;
          }
          OpenDropDown(static_cast<int>(i), true);
          return Result::Handled;
        }
      return Result::Handled;
    }
    Level& top = levels_.back();
    for (size_t i = 0; i < top.items.size(); ++i)
      if (Selectable(top.items[i]) && MnemonicOf(top.items[i].text) == vk)
        return Activate(levels_.size() - 1, static_cast<int>(i));
    return Result::Handled;
  }
  return Result::Handled;  // other keys do nothing while a menu is open
}

int MenuTracker::LevelAt(int x, int y) const {
  for (int i = static_cast<int>(levels_.size()) - 1; i >= 0; --i) {
    const Level& l = levels_[static_cast<size_t>(i)];
    if (x >= l.x && x < l.x + l.width && y >= l.y && y < l.y + l.height) return i;
  }
  return -1;
}

int MenuTracker::RowAt(const Level& level, int y) const {
  int top = level.y + 2;
  for (size_t i = 0; i < level.items.size(); ++i) {
    int h = RowHeight(level.items[i]);
    if (y >= top && y < top + h) return static_cast<int>(i);
    top += h;
  }
  return -1;
}

static bool OnBar(int x, int y, int left, int top, const std::vector<detail::MenuItem>& items, int* index) {
  if (y < top || y >= top + detail::kMenuBarHeight) return false;
  *index = MenuBarItemAt(items, x - left);
  return true;
}

MenuTracker::Result MenuTracker::MouseDown(int x, int y) {
  if (!active_) return Result::Ignored;
  int level = LevelAt(x, y);
  if (level >= 0) {
    armed_ = true;
    int row = RowAt(levels_[static_cast<size_t>(level)], y);
    if (row >= 0 && Selectable(levels_[static_cast<size_t>(level)].items[static_cast<size_t>(row)]))
      levels_[static_cast<size_t>(level)].highlight = row;
    return Result::Handled;
  }
  int index = -1;
  if (bar_ && OnBar(x, y, barLeft_, barTop_, barItems_, &index) && index >= 0) {
    if (index == barIndex_ && !levels_.empty()) {
      Close();
      return Result::Closed;
    }
    armed_ = true;
    OpenDropDown(index, false);
    return Result::Handled;
  }
  Close();
  return Result::Closed;
}

MenuTracker::Result MenuTracker::MouseMove(int x, int y) {
  if (!active_) return Result::Ignored;
  int level = LevelAt(x, y);
  if (level >= 0) {
    Level& l = levels_[static_cast<size_t>(level)];
    int row = RowAt(l, y);
    if (row < 0 || !Selectable(l.items[static_cast<size_t>(row)]) || row == l.highlight) return Result::Handled;
    armed_ = true;
    l.highlight = row;
    levels_.resize(static_cast<size_t>(level) + 1);
    const auto& item = levels_.back().items[static_cast<size_t>(row)];
    if ((item.flags & MF_POPUP) && item.popup) OpenSubMenu(static_cast<size_t>(level), row);
    return Result::Handled;
  }
  int index = -1;
  if (bar_ && !levels_.empty() && OnBar(x, y, barLeft_, barTop_, barItems_, &index) && index >= 0 &&
      index != barIndex_) {
    OpenDropDown(index, false);
    return Result::Handled;
  }
  return Result::Ignored;
}

MenuTracker::Result MenuTracker::MouseUp(int x, int y) {
  if (!active_) return Result::Ignored;
  int level = LevelAt(x, y);
  if (level < 0) {
    // A command on the bar itself is chosen when the press on it is released over it.
    int index = -1;
    if (bar_ && armed_ && levels_.empty() && OnBar(x, y, barLeft_, barTop_, barItems_, &index) &&
        index == barIndex_ && BarCommand(index))
      return ChooseBar(index);
    return Result::Handled;
  }
  Level& l = levels_[static_cast<size_t>(level)];
  int row = RowAt(l, y);
  if (row < 0 || !armed_) {
    armed_ = true;
    return Result::Handled;
  }
  const auto& item = l.items[static_cast<size_t>(row)];
  if (item.flags & MF_POPUP) return Result::Handled;
  return Activate(static_cast<size_t>(level), row);
}

void MenuTracker::DrawBar(HDC dc) const {
  if (!active_) return;
  if (bar_ && barIndex_ >= 0 && barIndex_ < static_cast<int>(barItems_.size())) {
    const auto& item = barItems_[static_cast<size_t>(barIndex_)];
    int left = barLeft_ + MenuBarItemLeft(barItems_, barIndex_);
    int width = MenuBarItemWidth(item);
    Fill(dc, left, barTop_, left + width, barTop_ + detail::kMenuBarHeight, kSelection);
    Label(dc, item.text, left + 6, barTop_, left + width, barTop_ + detail::kMenuBarHeight,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE, kWhite);
  }
}

void MenuTracker::DrawLevel(HDC dc, size_t index, int dx, int dy) const {
  if (!active_ || index >= levels_.size()) return;
  const Level& l = levels_[index];
  const int x = l.x + dx, y = l.y + dy;
  Fill(dc, x, y, x + l.width, y + l.height, kFace);
  Frame(dc, x, y, x + l.width, y + l.height, kShadow);
  int top = y + 2;
  for (size_t i = 0; i < l.items.size(); ++i) {
    const auto& item = l.items[i];
    int h = RowHeight(item);
    if (item.flags & MF_SEPARATOR) {
      Fill(dc, x + 4, top + 3, x + l.width - 4, top + 4, kShadow);
      top += h;
      continue;
    }
    bool lit = static_cast<int>(i) == l.highlight;
    bool grayed = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    COLORREF color = grayed ? kShadow : (lit ? kWhite : kBlack);
    if (lit) Fill(dc, x + 2, top, x + l.width - 2, top + h, kSelection);
    if (item.flags & MF_CHECKED) Tick(dc, x + 7, top + 5, color);
    std::string label, accel;
    SplitMenuText(item.text, &label, &accel);
    Label(dc, label, x + 22, top, x + l.width - 4, top + h, DT_LEFT | DT_VCENTER | DT_SINGLELINE, color);
    if (!accel.empty())
      Label(dc, accel, x + 22, top, x + l.width - 20, top + h, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
           color);
    if (item.flags & MF_POPUP)
      Label(dc, ">", x, top, x + l.width - 6, top + h, DT_RIGHT | DT_VCENTER | DT_SINGLELINE, color);
    top += h;
  }
}

void MenuTracker::Draw(HDC dc) const {
  DrawBar(dc);
  for (size_t i = 0; i < levels_.size(); ++i) DrawLevel(dc, i, 0, 0);
}


// ---- panels --------------------------------------------------------------------------------------
int PanelItem::VisibleRows() const { return std::max(1, static_cast<int>((rc.bottom - rc.top - 2) / detail::kListRowHeight)); }

bool PanelItem::HasScrollStrip() const { return kind == Kind::List && static_cast<int>(rows.size()) > VisibleRows(); }

PanelItem* Panel::Find(int id) {
  for (auto& item : items)
    if (item.id == id && item.kind != PanelItem::Kind::Label) return &item;
  return nullptr;
}

void Panel::SetFocusTo(int id) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].id == id && items[i].Focusable()) {
      focus = static_cast<int>(i);
      if (items[i].kind == PanelItem::Kind::Edit) EditApplyKey(items[i].line, EditKey::SelectAll, false);
      return;
    }
}

int Panel::ItemAt(int x, int y) const {
  for (size_t i = 0; i < items.size(); ++i) {
    const RECT& r = items[i].rc;
    if (items[i].Focusable() && x >= r.left && x < r.right && y >= r.top && y < r.bottom) return static_cast<int>(i);
  }
  return -1;
}

PanelEvent Panel::ListKey(PanelItem& list, int vk) {
  int count = static_cast<int>(list.rows.size());
  if (count == 0) return PanelEvent{};
  int rows = list.VisibleRows();
  int next = list.selection;
  switch (vk) {
    case VK_UP: next = list.selection < 0 ? 0 : list.selection - 1; break;
    case VK_DOWN: next = list.selection + 1; break;
    case VK_PRIOR: next = list.selection - rows; break;
    case VK_NEXT: next = list.selection + rows; break;
    case VK_HOME: next = 0; break;
    case VK_END: next = count - 1; break;
    default: return PanelEvent{};
  }
  next = std::clamp(next, 0, count - 1);
  if (next == list.selection) return PanelEvent{PanelEvent::Kind::Redraw};
  list.selection = next;
  if (next < list.top) list.top = next;
  if (next >= list.top + rows) list.top = next - rows + 1;
  return PanelEvent{PanelEvent::Kind::Select, list.id, next};
}

PanelEvent Panel::Key(int vk, bool shift, bool ctrl) {
  PanelItem* focused = (focus >= 0 && focus < static_cast<int>(items.size())) ? &items[static_cast<size_t>(focus)] : nullptr;
  switch (vk) {
    case VK_TAB: {
      int count = static_cast<int>(items.size());
      int at = focus;
      for (int tries = 0; tries < count; ++tries) {
        at = at < 0 ? (shift ? count - 1 : 0) : (at + (shift ? -1 : 1) + count) % count;
        if (items[static_cast<size_t>(at)].Focusable()) break;
      }
      if (at >= 0 && items[static_cast<size_t>(at)].Focusable()) SetFocusTo(items[static_cast<size_t>(at)].id);
      return PanelEvent{PanelEvent::Kind::Redraw};
    }
    case VK_ESCAPE:
      return cancelId ? PanelEvent{PanelEvent::Kind::Command, cancelId} : PanelEvent{};
    case VK_RETURN:
      if (focused && focused->kind == PanelItem::Kind::Button) return PanelEvent{PanelEvent::Kind::Command, focused->id};
      if (focused && focused->kind == PanelItem::Kind::List && focused->selection >= 0)
        return PanelEvent{PanelEvent::Kind::Activate, focused->id, focused->selection};
      if (focused && focused->kind == PanelItem::Kind::Edit) return PanelEvent{PanelEvent::Kind::Enter, focused->id};
      return PanelEvent{PanelEvent::Kind::Command, defaultId};
    case VK_SPACE:
      if (focused && focused->kind == PanelItem::Kind::Button) return PanelEvent{PanelEvent::Kind::Command, focused->id};
      break;
    case VK_LEFT:
    case VK_RIGHT:
      if (focused && focused->kind == PanelItem::Kind::Button) {
        // Arrows move between the buttons, as in a message box.
        std::vector<int> buttons;
        for (size_t i = 0; i < items.size(); ++i)
          if (items[i].kind == PanelItem::Kind::Button) buttons.push_back(static_cast<int>(i));
        auto it = std::find(buttons.begin(), buttons.end(), focus);
        if (it != buttons.end()) {
          int index = static_cast<int>(it - buttons.begin()) + (vk == VK_RIGHT ? 1 : -1);
          index = (index + static_cast<int>(buttons.size())) % static_cast<int>(buttons.size());
          focus = buttons[static_cast<size_t>(index)];
        }
        return PanelEvent{PanelEvent::Kind::Redraw};
      }
      break;
    default:
      break;
  }
  // As in a message box of the desktop system, the underlined letter of a button
  // presses it while no edit or list, which would take the letter, has the keyboard.
  if (!ctrl && (!focused || focused->kind == PanelItem::Kind::Button))
    for (const PanelItem& item : items)
      if (item.kind == PanelItem::Kind::Button && vk != 0 && MnemonicOf(item.text) == vk)
        return PanelEvent{PanelEvent::Kind::Command, item.id};
  if (!focused) return PanelEvent{};
  if (focused->kind == PanelItem::Kind::List) return ListKey(*focused, vk);
  if (focused->kind == PanelItem::Kind::Edit) {
    EditKey key;
    switch (vk) {
      case VK_LEFT: key = EditKey::Left; break;
      case VK_RIGHT: key = EditKey::Right; break;
      case VK_HOME: key = EditKey::Home; break;
      case VK_END: key = EditKey::End; break;
      case VK_DELETE: key = EditKey::Delete; break;
      case VK_BACK: key = EditKey::Backspace; break;
      case 'A':
        if (!ctrl) return PanelEvent{};
        key = EditKey::SelectAll;
        break;
      default: return PanelEvent{};
    }
    EditApplyKey(focused->line, key, shift);
    return PanelEvent{PanelEvent::Kind::Redraw};
  }
  return PanelEvent{};
}

PanelEvent Panel::Text(const std::string& utf8) {
  if (focus < 0 || focus >= static_cast<int>(items.size())) return PanelEvent{};
  PanelItem& item = items[static_cast<size_t>(focus)];
  if (item.kind != PanelItem::Kind::Edit) return PanelEvent{};
  EditInsert(item.line, utf8);
  return PanelEvent{PanelEvent::Kind::Redraw};
}

RECT Panel::CloseBox() const {
  if (!cancelId) return RECT{0, 0, 0, 0};
  const int right = width - 1 - 3;
  const int top = 1 + (detail::kCaptionHeight - detail::kCloseBoxSize) / 2;
  return RECT{right - detail::kCloseBoxSize, top, right, top + detail::kCloseBoxSize};
}

PanelEvent Panel::MouseDown(int x, int y, int clicks, bool shift) {
  const RECT box = CloseBox();
  if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) return PanelEvent{PanelEvent::Kind::Command, cancelId};
  int at = ItemAt(x, y);
  if (at < 0) return PanelEvent{};
  focus = at;
  PanelItem& item = items[static_cast<size_t>(at)];
  switch (item.kind) {
    case PanelItem::Kind::Button:
      return PanelEvent{PanelEvent::Kind::Command, item.id};
    case PanelItem::Kind::Edit: {
      int offset = EditOffsetAt(item.line.text, x - static_cast<int>(item.rc.left) - 3,
                                [](const std::string& prefix) { return detail::TextWidth(prefix); });
      EditPlaceCaret(item.line, offset, shift);
      return PanelEvent{PanelEvent::Kind::Redraw};
    }
    case PanelItem::Kind::List: {
      // An arrow of the scroll strip scrolls the rows by one; the selection stays.
      if (item.HasScrollStrip() && x >= static_cast<int>(item.rc.right) - 1 - detail::kListScrollBarWidth) {
        const int maxTop = static_cast<int>(item.rows.size()) - item.VisibleRows();
        const bool up = y < (item.rc.top + item.rc.bottom) / 2;
        item.top = std::clamp(item.top + (up ? -1 : 1), 0, maxTop);
        return PanelEvent{PanelEvent::Kind::Redraw};
      }
      // The row drawn under the pointer (whole rows only; a strip below them is the last).
      int row = item.top + std::clamp((y - static_cast<int>(item.rc.top) - 1) / detail::kListRowHeight, 0,
                                      std::max(0, item.VisibleRows() - 1));
      if (row < 0 || row >= static_cast<int>(item.rows.size())) return PanelEvent{PanelEvent::Kind::Redraw};
      item.selection = row;
      if (clicks >= 2) return PanelEvent{PanelEvent::Kind::Activate, item.id, row};
      return PanelEvent{PanelEvent::Kind::Select, item.id, row};
    }
    default:
      return PanelEvent{};
  }
}

PanelEvent Panel::MouseMove(int x, int, bool held) {
  if (!held || focus < 0 || focus >= static_cast<int>(items.size())) return PanelEvent{};
  PanelItem& item = items[static_cast<size_t>(focus)];
  if (item.kind != PanelItem::Kind::Edit) return PanelEvent{};
  int offset = EditOffsetAt(item.line.text, x - static_cast<int>(item.rc.left) - 3,
                            [](const std::string& prefix) { return detail::TextWidth(prefix); });
  EditPlaceCaret(item.line, offset, true);
  return PanelEvent{PanelEvent::Kind::Redraw};
}

PanelEvent Panel::Wheel(int x, int y, int steps) {
  for (auto& item : items) {
    const RECT& r = item.rc;
    if (item.kind != PanelItem::Kind::List || x < r.left || x >= r.right || y < r.top || y >= r.bottom) continue;
    int maxTop = std::max(0, static_cast<int>(item.rows.size()) - item.VisibleRows());
    item.top = std::clamp(item.top - steps * 3, 0, maxTop);
    return PanelEvent{PanelEvent::Kind::Redraw};
  }
  return PanelEvent{};
}

void Panel::Draw(HDC dc) const {
  constexpr int kCaption = detail::kCaptionHeight;
  Fill(dc, 0, 0, width, height, kFace);
  Frame(dc, 0, 0, width, height, kShadow);
  Fill(dc, 1, 1, width - 1, 1 + kCaption, RGB(10, 36, 106));
  const RECT box = CloseBox();
  const bool closable = box.right > box.left;
  Label(dc, title, 5, 1, closable ? box.left - 4 : width - 5, 1 + kCaption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
       kWhite);
  if (closable) DrawCloseBox(dc, box.left, box.top, box.right, box.bottom);
  for (size_t i = 0; i < items.size(); ++i) {
    const PanelItem& item = items[i];
    bool focused = static_cast<int>(i) == focus;
    int l = item.rc.left, t = item.rc.top, r = item.rc.right, b = item.rc.bottom;
    switch (item.kind) {
      case PanelItem::Kind::Label:
        Label(dc, item.text, l, t, r, b, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX, kBlack);
        break;
      case PanelItem::Kind::Button:
        Fill(dc, l, t, r, b, kFace);
        Frame(dc, l, t, r, b, item.id == defaultId ? kBlack : kShadow);
        if (focused) Frame(dc, l + 3, t + 3, r - 3, b - 3, kShadow);
        Label(dc, item.text, l, t, r, b, DT_CENTER | DT_VCENTER | DT_SINGLELINE, kBlack);
        break;
      case PanelItem::Kind::Edit: {
        Fill(dc, l, t, r, b, kWhite);
        Frame(dc, l, t, r, b, kShadow);
        const EditLine& line = item.line;
        int a = std::min(line.anchor, line.caret), z = std::max(line.anchor, line.caret);
        if (focused && a != z) {
          int from = l + 3 + detail::TextWidth(line.text.substr(0, static_cast<size_t>(a)));
          int to = l + 3 + detail::TextWidth(line.text.substr(0, static_cast<size_t>(z)));
          Fill(dc, from, t + 2, std::min(to, r - 2), b - 2, RGB(173, 200, 230));
        }
        Label(dc, line.text, l + 3, t, r - 2, b, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, kBlack);
        if (focused) {
          int caret = l + 3 + detail::TextWidth(line.text.substr(0, static_cast<size_t>(line.caret)));
          if (caret < r - 1) Fill(dc, caret, t + 3, caret + 1, b - 3, kBlack);
        }
        break;
      }
      case PanelItem::Kind::List: {
        Fill(dc, l, t, r, b, kWhite);
        Frame(dc, l, t, r, b, focused ? kBlack : kShadow);
        if (item.HasScrollStrip()) {
          r -= 1 + detail::kListScrollBarWidth;
          const int mid = (t + b) / 2;
          DrawArrowButton(dc, r, t + 1, r + detail::kListScrollBarWidth, mid, 0, -1, false);
          DrawArrowButton(dc, r, mid, r + detail::kListScrollBarWidth, b - 1, 0, 1, false);
          r += 1;
        }
        int rows = item.VisibleRows();
        for (int row = 0; row < rows; ++row) {
          int index = item.top + row;
          if (index >= static_cast<int>(item.rows.size())) break;
          int top = t + 1 + row * detail::kListRowHeight;
          bool selected = index == item.selection;
          if (selected) Fill(dc, l + 1, top, r - 1, top + detail::kListRowHeight, kSelection);
          Label(dc, item.rows[static_cast<size_t>(index)], l + 3, top, r - 2, top + detail::kListRowHeight,
               DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, selected ? kWhite : kBlack);
        }
        break;
      }
    }
  }
}

// ---- message boxes -----------------------------------------------------------------------------
namespace {

PanelItem Label(int id, const std::string& text, int l, int t, int r, int b) {
  PanelItem item;
  item.kind = PanelItem::Kind::Label;
  item.id = id;
  item.text = text;
  item.rc = RECT{l, t, r, b};
  return item;
}

PanelItem Button(int id, const std::string& text, int l, int t) {
  PanelItem item;
  item.kind = PanelItem::Kind::Button;
  item.id = id;
  item.text = text;
  item.rc = RECT{l, t, l + 80, t + 24};
  return item;
}

// Measures wrapped text in the windows' font.
SIZE MeasureText(const std::string& text, int maxWidth) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFont(detail::kCharHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans Mono");
  HGDIOBJ old = SelectObject(dc, font);
  RECT rc{0, 0, maxWidth, 0};
  DrawText(dc, text.c_str(), -1, &rc, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  SIZE size;
  size.cx = rc.right - rc.left;
  size.cy = rc.bottom - rc.top;
  return size;
}

class BoxController : public PanelController {
 public:
  explicit BoxController(const BoxRequest& request) : style_(request.style) {
    std::vector<std::pair<int, std::string>> buttons;
    switch (request.style & MB_TYPEMASK) {
      case MB_OKCANCEL: buttons = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}}; break;
      case MB_ABORTRETRYIGNORE: buttons = {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}}; break;
      case MB_YESNOCANCEL: buttons = {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}}; break;
      case MB_YESNO: buttons = {{IDYES, "&Yes"}, {IDNO, "&No"}}; break;
      case MB_RETRYCANCEL: buttons = {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}}; break;
      default: buttons = {{IDOK, "OK"}}; break;
    }
    const char* sign = nullptr;
    switch (request.style & MB_ICONMASK) {
      case MB_ICONHAND: sign = "X"; break;
      case MB_ICONQUESTION: sign = "?"; break;
      case MB_ICONEXCLAMATION: sign = "!"; break;
      case MB_ICONASTERISK: sign = "i"; break;
      default: break;
    }
    int textLeft = sign ? 56 : 16;
    SIZE text = MeasureText(request.text, 520);
    int buttonsWidth = static_cast<int>(buttons.size()) * 88 - 8;
    panel.width = std::max({textLeft + static_cast<int>(text.cx) + 20, buttonsWidth + 32, 220});
    int textTop = detail::kCaptionHeight + 16;
    int textBottom = textTop + std::max(static_cast<int>(text.cy), 32);
    panel.height = textBottom + 16 + 24 + 14;
    panel.title = request.caption;
    if (sign) panel.items.push_back(Label(-1, sign, 18, textTop, 50, textTop + 32));
    panel.items.push_back(Label(-2, request.text, textLeft, textTop, panel.width - 12, textBottom));
    int left = (panel.width - buttonsWidth) / 2;
    for (const auto& [id, label] : buttons) {
      panel.items.push_back(Button(id, label, left, textBottom + 16));
      left += 88;
    }
    panel.defaultId = buttons.front().first;
    // Escape answers Cancel where there is one, and OK for a box with nothing else.
    bool hasCancel = std::any_of(buttons.begin(), buttons.end(), [](const auto& b) { return b.first == IDCANCEL; });
    panel.cancelId = hasCancel ? IDCANCEL : (buttons.size() == 1 ? buttons.front().first : 0);
    panel.SetFocusTo(panel.defaultId);
    boxAnswer = NonDestructiveAnswer(style_);
  }

  bool Handle(const PanelEvent& event) override {
    if (event.kind != PanelEvent::Kind::Command || event.id == 0) return false;
    boxAnswer = event.id;
    return true;
  }
  void Abandon() override { boxAnswer = NonDestructiveAnswer(style_); }

 private:
  UINT style_;
};

// ---- open and save -----------------------------------------------------------------------------
constexpr int kFolderLabel = 10;
constexpr int kEntries = 20;
constexpr int kFileName = 30;
constexpr int kTypes = 40;

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (name.empty()) return folder;
  if (name[0] == '/') return name;
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string Normalised(const std::string& path) {
  std::error_code error;
  std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::path(path), error);
  return error ? path : p.string();
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

class FileController : public PanelController {
 public:
  explicit FileController(const CommonDialogRequest& request) : request_(request) {
    panel.title = request.title;
    // Wide enough for the type box to show each filter text whole (its rows are written
    // from 3 pixels inside it to 2 before its end), within the screen.
    int widest = 0;
    for (const auto& [description, pattern] : request.filters)
      if (!pattern.empty()) widest = std::max(widest, detail::TextWidth(description));
    const RECT screen = ScreenArea();
    panel.width = std::clamp(110 + widest + 5 + 104, 460, std::max<int>(460, screen.right - screen.left));
    panel.height = 380;
    int top = detail::kCaptionHeight + 10;
    panel.items.push_back(Label(-1, "Look in:", 12, top, 110, top + 18));
    panel.items.push_back(Label(kFolderLabel, "", 110, top, panel.width - 12, top + 18));
    PanelItem entries;
    entries.kind = PanelItem::Kind::List;
    entries.id = kEntries;
    entries.rc = RECT{12, top + 22, panel.width - 12, top + 22 + 2 + 14 * detail::kListRowHeight};
    panel.items.push_back(entries);
    int below = static_cast<int>(entries.rc.bottom) + 10;
    panel.items.push_back(Label(-2, "File name:", 12, below + 4, 110, below + 22));
    PanelItem name;
    name.kind = PanelItem::Kind::Edit;
    name.id = kFileName;
    name.rc = RECT{110, below, panel.width - 104, below + 22};
    panel.items.push_back(name);
    panel.items.push_back(Button(IDOK, request.kind == CommonDialogKind::Save ? "&Save" : "&Open", panel.width - 92, below - 1));
    below += 30;
    panel.items.push_back(Label(-3, "Files of type:", 12, below + 4, 110, below + 22));
    PanelItem types;
    types.kind = PanelItem::Kind::List;
    types.id = kTypes;
    for (const auto& [description, pattern] : request.filters)
      if (!pattern.empty()) types.rows.push_back(description);
    if (types.rows.empty()) types.rows.push_back("All files");
    // Every type in view (the program's lists are short), at least two rows high.
    const int typeRows = std::max(2, static_cast<int>(types.rows.size()));
    types.rc = RECT{110, below, panel.width - 104, below + 2 + typeRows * detail::kListRowHeight};
    types.selection = 0;
    panel.items.push_back(types);
    panel.items.push_back(Button(IDCANCEL, "Cancel", panel.width - 92, below - 1));
    panel.height = below + 2 + typeRows * detail::kListRowHeight + 14;

    // The proposed name may carry its folder, written with either separator (or a
    // drive letter) as the program's own names are.
    std::string proposed = MapPath(request.proposed.c_str());
    std::string folder = MapPath(request.initialFolder.c_str());
    size_t slash = proposed.find_last_of('/');
    if (slash != std::string::npos) {
      if (folder.empty() || proposed[0] == '/') folder = proposed.substr(0, slash == 0 ? 1 : slash);
      proposed = proposed.substr(slash + 1);
    }
    if (folder.empty()) folder.assign(1, '.');  // not = ".": GCC 12 at -O3 warns of a false overlap
    panel.Find(kFileName)->line.text = proposed;
    EditApplyKey(panel.Find(kFileName)->line, EditKey::End, false);
    Show(folder);
    panel.SetFocusTo(kFileName);
  }

  std::string Folder() const { return folder_; }

  bool Handle(const PanelEvent& event) override {
    PanelItem* entries = panel.Find(kEntries);
    switch (event.kind) {
      case PanelEvent::Kind::Select:
        if (event.id == kEntries && event.row >= 0) {
          const std::string& entry = entries->rows[static_cast<size_t>(event.row)];
          if (entry.empty() || entry.back() != '/') {
            panel.Find(kFileName)->line.text = entry;
            EditApplyKey(panel.Find(kFileName)->line, EditKey::End, false);
          }
        } else if (event.id == kTypes) {
          Show(folder_);
        }
        return false;
      case PanelEvent::Kind::Activate:
        if (event.id == kEntries && event.row >= 0) return Choose(entries->rows[static_cast<size_t>(event.row)]);
        return false;
      case PanelEvent::Kind::Enter:
        return Choose(panel.Find(kFileName)->line.text);
      case PanelEvent::Kind::Command:
        if (event.id == IDCANCEL) {
          dialogAnswer = CommonDialogAnswer{};
          return true;
        }
        if (event.id == IDOK) return Choose(panel.Find(kFileName)->line.text);
        return false;
      default:
        return false;
    }
  }

  void Abandon() override { dialogAnswer = CommonDialogAnswer{}; }

 private:
  std::string Patterns() {
    PanelItem* types = panel.Find(kTypes);
    int index = 0;
    for (const auto& [description, pattern] : request_.filters) {
      if (pattern.empty()) continue;
      if (index == types->selection) return pattern;
      ++index;
    }
    return "*";
  }

  void Show(const std::string& folder) {
    folder_ = Normalised(folder);
    PanelItem* entries = panel.Find(kEntries);
    entries->rows = FolderEntries(folder_, Patterns());
    entries->selection = -1;
    entries->top = 0;
    for (auto& item : panel.items)
      if (item.id == kFolderLabel) item.text = folder_;
  }

  // A folder is entered; a file name (with wildcards: a new filter) is the answer.
  bool Choose(const std::string& typed) {
    if (typed.empty()) return false;
    std::string path = JoinPath(folder_, typed);
    if (IsFolder(path)) {
      Show(path);
      panel.Find(kFileName)->line = EditLine{};
      return false;
    }
    dialogAnswer.accepted = true;
    dialogAnswer.value = Normalised(path);
    return true;
  }

  CommonDialogRequest request_;
  std::string folder_;
};

// ---- print --------------------------------------------------------------------------------------
constexpr int kPrinters = 50;

class PrintController : public PanelController {
 public:
  PrintController(const CommonDialogRequest& request, const std::vector<std::string>& printers) {
    panel.title = request.title.empty() ? "Print" : request.title;
    panel.width = 380;
    int top = detail::kCaptionHeight + 10;
    panel.items.push_back(Label(-1, "Printer:", 12, top, panel.width - 12, top + 18));
    PanelItem list;
    list.kind = PanelItem::Kind::List;
    list.id = kPrinters;
    list.rows = printers;
    list.selection = printers.empty() ? -1 : 0;
    int rows = std::clamp(static_cast<int>(printers.size()), 3, 8);
    list.rc = RECT{12, top + 22, panel.width - 12, top + 22 + 2 + rows * detail::kListRowHeight};
    panel.items.push_back(list);
    int below = static_cast<int>(list.rc.bottom) + 14;
    panel.items.push_back(Button(IDOK, "&Print", panel.width - 180, below));
    panel.items.push_back(Button(IDCANCEL, "Cancel", panel.width - 92, below));
    panel.height = below + 24 + 14;
    panel.SetFocusTo(kPrinters);
  }

  bool Handle(const PanelEvent& event) override {
    PanelItem* list = panel.Find(kPrinters);
    bool accept = (event.kind == PanelEvent::Kind::Command && event.id == IDOK) ||
                  (event.kind == PanelEvent::Kind::Activate && event.id == kPrinters);
    if (accept) {
      if (list->selection < 0 || list->selection >= static_cast<int>(list->rows.size())) return false;
      dialogAnswer.accepted = true;
      dialogAnswer.value = list->rows[static_cast<size_t>(list->selection)];
      return true;
    }
    if (event.kind == PanelEvent::Kind::Command && event.id == IDCANCEL) {
      dialogAnswer = CommonDialogAnswer{};
      return true;
    }
    return false;
  }

  void Abandon() override { dialogAnswer = CommonDialogAnswer{}; }
};

}  // namespace

std::unique_ptr<PanelController> MakeBoxPanel(const BoxRequest& request) {
  return std::make_unique<BoxController>(request);
}

std::unique_ptr<PanelController> MakeFilePanel(const CommonDialogRequest& request) {
  return std::make_unique<FileController>(request);
}

std::unique_ptr<PanelController> MakePrintPanel(const CommonDialogRequest& request,
                                                const std::vector<std::string>& printers) {
  return std::make_unique<PrintController>(request, printers);
}

std::vector<std::string> FolderEntries(const std::string& folder, const std::string& patterns) {
  std::vector<std::string> folders, files;
  std::vector<std::string> masks;
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    std::string mask = patterns.substr(start, end - start);
    while (!mask.empty() && mask.front() == ' ') mask.erase(mask.begin());
    if (!mask.empty()) masks.push_back(mask);
    start = end + 1;
  }
  if (masks.empty()) masks.push_back("*");
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kindError;
    if (it->is_directory(kindError)) {
      folders.push_back(name + "/");
      continue;
    }
    for (const auto& mask : masks)
      if (fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
        files.push_back(name);
        break;
      }
  }
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  std::vector<std::string> entries;
  if (folder != "/") entries.push_back("../");
  entries.insert(entries.end(), folders.begin(), folders.end());
  entries.insert(entries.end(), files.begin(), files.end());
  return entries;
}

}  // namespace platform::frontend
