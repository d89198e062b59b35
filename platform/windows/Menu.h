// Menus: menu bars and pop-up menus built in code or loaded from the menu table that
// resources/ fills. Headless, a tracked pop-up menu asks the menu chooser (the test
// driver or the script) which item is taken; without one, nothing is chosen.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/windows/Window.h"

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

HMENU CreateMenu();
HMENU CreatePopupMenu();
// item is the command id, or the HMENU of a sub-menu with MF_POPUP.
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR item, LPCSTR text);
// Return the previous MF_CHECKED / MF_GRAYED state, or -1 (0xFFFFFFFF) when there is no such item.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuString(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags);
// Loads a copy of a registered menu template (by name or MAKEINTRESOURCE id).
HMENU LoadMenu(HINSTANCE instance, LPCSTR name);
BOOL SetMenu(HWND window, HMENU menu);
HMENU GetMenu(HWND window);
BOOL DrawMenuBar(HWND window);
// Destroys the menu and its sub-menus (a menu set on a window is destroyed with it).
BOOL DestroyMenu(HMENU menu);
// Shows the menu at the screen point; the chosen command is sent as WM_COMMAND to
// owner (result nonzero), or returned with TPM_RETURNCMD. 0 when nothing is chosen.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);

namespace platform {

// A menu template: a tree of items. Pop-ups carry children; separators have no text.
struct MenuItemTemplate {
  std::string text;
  UINT id = 0;
  UINT flags = MF_STRING;
  std::vector<MenuItemTemplate> children;  // with MF_POPUP
};
struct MenuTemplate {
  int id = 0;               // the template's number (0 when named)
  std::string name;         // the template's name ("" when numbered)
  std::vector<MenuItemTemplate> items;
};
// Registers (or replaces) a template; LoadMenu finds it by name or number.
void RegisterMenuTemplate(const MenuTemplate& menuTemplate);
void ClearMenuTemplates();

// The one who answers tracked pop-up menus: given the menu and the owner, returns
// the chosen command id or 0 for none. nullptr restores "no choice".
struct PopupRequest {
  HMENU menu = nullptr;
  HWND owner = nullptr;
  int x = 0;
  int y = 0;
};
using PopupChooser = std::function<UINT(const PopupRequest&)>;
PopupChooser SetPopupChooser(PopupChooser chooser);

// Command ids of the enabled items of a menu and its sub-menus, in order.
std::vector<UINT> MenuCommands(HMENU menu);
// Whether the menu (or a sub-menu) holds the command, and its state flags.
bool FindMenuCommand(HMENU menu, UINT id, UINT* state);

}  // namespace platform
