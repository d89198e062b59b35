// Menus, the menu template table and tracked pop-up menus.
#include <cstring>
#include <map>

#include "platform/kernel/Error.h"
#include "platform/windows/WindowInternal.h"

namespace platform {
namespace {

struct Menu {
  bool popup = false;
  std::vector<detail::MenuItem> items;
};
struct MenuSlot {
  uint32_t generation = 1;
  std::unique_ptr<Menu> menu;
};
std::vector<MenuSlot>& MenuSlots() {  // guarded by WinLock
  static auto* slots = new std::vector<MenuSlot>();
  return *slots;
}
std::vector<uint32_t>& FreeMenuSlots() {
  static auto* free = new std::vector<uint32_t>();
  return *free;
}
std::vector<MenuTemplate>& MenuTemplates() {  // guarded by WinLock
  static auto* templates = new std::vector<MenuTemplate>();
  return *templates;
}
PopupChooser& Chooser() {  // guarded by WinLock
  static auto* chooser = new PopupChooser();
  return *chooser;
}

Menu* FindMenu(HMENU handle) {
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  uint32_t low = static_cast<uint32_t>(value & 0xFFFFFFFFu);
  uint32_t generation = static_cast<uint32_t>(value >> 32);
  auto& slots = MenuSlots();
  if (low == 0 || low - 1 >= slots.size()) return nullptr;
  if (slots[low - 1].generation != generation || !slots[low - 1].menu) return nullptr;
  return slots[low - 1].menu.get();
}

HMENU NewMenu(bool popup) {
  detail::WinGuard guard(detail::WinLock());
  auto& slots = MenuSlots();
  uint32_t index;
  if (!FreeMenuSlots().empty()) {
    index = FreeMenuSlots().back();
    FreeMenuSlots().pop_back();
  } else {
    index = static_cast<uint32_t>(slots.size());
    slots.emplace_back();
  }
  slots[index].menu = std::make_unique<Menu>();
  slots[index].menu->popup = popup;
  return reinterpret_cast<HMENU>((static_cast<uintptr_t>(slots[index].generation) << 32) | (index + 1u));
}

// The item addressed by command id (searching sub-menus) or by position.
detail::MenuItem* Locate(HMENU menu, UINT item, UINT flags) {
  Menu* m = FindMenu(menu);
  if (!m) return nullptr;
  if (flags & MF_BYPOSITION) return item < m->items.size() ? &m->items[item] : nullptr;
  for (auto& entry : m->items) {
    if (!(entry.flags & MF_POPUP) && !(entry.flags & MF_SEPARATOR) && entry.id == item) return &entry;
    if (entry.flags & MF_POPUP)
      if (detail::MenuItem* found = Locate(entry.popup, item, flags)) return found;
  }
  return nullptr;
}

HMENU Build(const std::vector<MenuItemTemplate>& items, bool popup) {
  HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
  for (const auto& item : items) {
    if (item.flags & MF_POPUP) {
      HMENU sub = Build(item.children, true);
      AppendMenu(menu, item.flags, reinterpret_cast<UINT_PTR>(sub), item.text.c_str());
    } else {
      AppendMenu(menu, item.flags, item.id, item.text.c_str());
    }
  }
  return menu;
}

void CollectCommands(HMENU menu, std::vector<UINT>* out) {
  Menu* m = FindMenu(menu);
  if (!m) return;
  for (auto& entry : m->items) {
    if (entry.flags & MF_POPUP) CollectCommands(entry.popup, out);
    else if (!(entry.flags & MF_SEPARATOR) && !(entry.flags & (MF_GRAYED | MF_DISABLED))) out->push_back(entry.id);
  }
}

}  // namespace

void RegisterMenuTemplate(const MenuTemplate& menuTemplate) {
  detail::WinGuard guard(detail::WinLock());
  for (auto& existing : MenuTemplates()) {
    if (existing.id == menuTemplate.id && existing.name == menuTemplate.name) {
      existing = menuTemplate;
      return;
    }
  }
  MenuTemplates().push_back(menuTemplate);
}

void ClearMenuTemplates() {
  detail::WinGuard guard(detail::WinLock());
  MenuTemplates().clear();
}

PopupChooser SetPopupChooser(PopupChooser chooser) {
  detail::WinGuard guard(detail::WinLock());
  PopupChooser previous = std::move(Chooser());
  Chooser() = std::move(chooser);
  return previous;
}

std::vector<UINT> MenuCommands(HMENU menu) {
  detail::WinGuard guard(detail::WinLock());
  std::vector<UINT> out;
  CollectCommands(menu, &out);
  return out;
}

bool FindMenuCommand(HMENU menu, UINT id, UINT* state) {
  detail::WinGuard guard(detail::WinLock());
  detail::MenuItem* item = Locate(menu, id, MF_BYCOMMAND);
  if (!item) return false;
  if (state) *state = item->flags;
  return true;
}

namespace detail {

void DestroyMenuLocked(HMENU menu) {
  Menu* m = FindMenu(menu);
  if (!m) return;
  for (auto& entry : m->items)
    if (entry.flags & MF_POPUP) DestroyMenuLocked(entry.popup);
  uintptr_t value = reinterpret_cast<uintptr_t>(menu);
  uint32_t index = static_cast<uint32_t>(value & 0xFFFFFFFFu) - 1;
  MenuSlots()[index].menu.reset();
  MenuSlots()[index].generation++;
  FreeMenuSlots().push_back(index);
}

std::vector<MenuItem> MenuItems(HMENU menu) {
  WinGuard guard(WinLock());
  Menu* m = FindMenu(menu);
  return m ? m->items : std::vector<MenuItem>();
}

}  // namespace detail
}  // namespace platform

using namespace platform;

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR item, LPCSTR text) {
  detail::WinGuard guard(detail::WinLock());
  Menu* m = FindMenu(menu);
  if (!m) return FALSE;
  detail::MenuItem entry;
  entry.flags = flags;
  if (flags & MF_POPUP) {
    entry.popup = reinterpret_cast<HMENU>(item);
    if (!FindMenu(entry.popup)) return FALSE;
  } else {
    entry.id = static_cast<UINT>(item);
  }
  if (!(flags & MF_SEPARATOR)) entry.text = text ? text : "";
  m->items.push_back(entry);
  detail::DisplayChanged();
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  detail::WinGuard guard(detail::WinLock());
  detail::MenuItem* entry = Locate(menu, item, flags);
  if (!entry) return 0xFFFFFFFFu;
  DWORD previous = entry->flags & MF_CHECKED;
  entry->flags = (entry->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
  detail::DisplayChanged();
  return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  detail::WinGuard guard(detail::WinLock());
  detail::MenuItem* entry = Locate(menu, item, flags);
  if (!entry) return -1;
  BOOL previous = static_cast<BOOL>(entry->flags & (MF_GRAYED | MF_DISABLED));
  entry->flags = (entry->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  detail::DisplayChanged();
  return previous;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  detail::WinGuard guard(detail::WinLock());
  detail::MenuItem* entry = Locate(menu, item, flags);
  return entry ? (entry->flags & ~MF_BYPOSITION) : 0xFFFFFFFFu;
}

int GetMenuItemCount(HMENU menu) {
  detail::WinGuard guard(detail::WinLock());
  Menu* m = FindMenu(menu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  detail::WinGuard guard(detail::WinLock());
  Menu* m = FindMenu(menu);
  if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return 0xFFFFFFFFu;
  const auto& entry = m->items[static_cast<size_t>(position)];
  return (entry.flags & MF_POPUP) ? 0xFFFFFFFFu : entry.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  detail::WinGuard guard(detail::WinLock());
  Menu* m = FindMenu(menu);
  if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return nullptr;
  const auto& entry = m->items[static_cast<size_t>(position)];
  return (entry.flags & MF_POPUP) ? entry.popup : nullptr;
}

int GetMenuString(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags) {
  detail::WinGuard guard(detail::WinLock());
  detail::MenuItem* entry = Locate(menu, item, flags);
  if (!entry) return 0;
  if (!buffer || size <= 0) return static_cast<int>(entry->text.size());
  size_t n = std::min(entry->text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, entry->text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

HMENU LoadMenu(HINSTANCE, LPCSTR name) {
  if (!name) return nullptr;
  MenuTemplate found;
  bool have = false;
  {
    detail::WinGuard guard(detail::WinLock());
    for (const auto& t : MenuTemplates()) {
      bool match = IS_INTRESOURCE(name) ? (t.name.empty() && t.id == static_cast<int>(reinterpret_cast<uintptr_t>(name)))
                                        : t.name == name;
      if (match) {
        found = t;
        have = true;
        break;
      }
    }
  }
  if (!have) {
    SetLastErrorText("menu template not found");
    return nullptr;
  }
  return Build(found.items, false);
}

BOOL SetMenu(HWND window, HMENU menu) {
  {
    detail::WinGuard guard(detail::WinLock());
    detail::Window* w = detail::Find(window);
    if (!w || (w->style & WS_CHILD)) return FALSE;
    if (menu && !FindMenu(menu)) return FALSE;
    w->menu = menu;
  }
  int cw = 0, ch = 0;
  {
    detail::WinGuard guard(detail::WinLock());
    detail::Window* w = detail::Find(window);
    if (w) detail::ClientSize(*w, &cw, &ch);
  }
  SendMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

HMENU GetMenu(HWND window) {
  detail::WinGuard guard(detail::WinLock());
  detail::Window* w = detail::Find(window);
  return w && !(w->style & WS_CHILD) ? w->menu : nullptr;
}

BOOL DrawMenuBar(HWND window) {
  detail::DisplayChanged();
  return IsWindow(window);
}

BOOL DestroyMenu(HMENU menu) {
  detail::WinGuard guard(detail::WinLock());
  if (!FindMenu(menu)) return FALSE;
  for (detail::Window* w : detail::AllWindows())
    if (w->menu == menu) w->menu = nullptr;
  detail::DestroyMenuLocked(menu);
  return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  PopupChooser chooser;
  {
    detail::WinGuard guard(detail::WinLock());
    if (!FindMenu(menu)) return FALSE;
    chooser = Chooser();
  }
  PopupRequest request;
  request.menu = menu;
  request.owner = owner;
  request.x = x;
  request.y = y;
  UINT chosen = chooser ? chooser(request) : 0;
  if (chosen != 0) {
    UINT state = 0;
    if (!FindMenuCommand(menu, chosen, &state) || (state & (MF_GRAYED | MF_DISABLED))) chosen = 0;
  }
  if (chosen == 0) return 0;
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
  if (!(flags & TPM_NONOTIFY) && owner) PostMessage(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return TRUE;
}
