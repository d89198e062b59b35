// Window styles and the coordinate cast the dialog templates of resources/ share.
#pragma once

#include <cstdint>

#include "platform/windows/Controls.h"
#include "platform/windows/Window.h"

namespace dialog_styles {

constexpr DWORD kPopup = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;

inline int16_t I16(int v) { return static_cast<int16_t>(v); }

}  // namespace dialog_styles
