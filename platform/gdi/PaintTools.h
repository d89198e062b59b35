// Small drawing helpers shared by the layer's own painting (window frames, controls,
// the front end's menus and dialogs). Internal to platform/.
#pragma once

#include <string>

#include "platform/gdi/Gdi.h"

namespace platform::paint {

// The colours of the layer's own window chrome.
constexpr COLORREF kFace = RGB(212, 208, 200);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kSelection = RGB(10, 36, 106);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

inline void Fill(HDC dc, int l, int t, int r, int b, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  RECT rc{l, t, r, b};
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
}

inline void Frame(HDC dc, int l, int t, int r, int b, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  RECT rc{l, t, r, b};
  FrameRect(dc, &rc, brush);
  DeleteObject(brush);
}

// Text in the rectangle with DrawText's format flags, on a transparent background.
inline void Label(HDC dc, const std::string& text, int l, int t, int r, int b, UINT format, COLORREF color) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  RECT rc{l, t, r, b};
  DrawText(dc, text.c_str(), -1, &rc, format);
}

}  // namespace platform::paint
