// Small drawing helpers shared by the layer's own painting (window frames, controls,
// the front end's menus and dialogs). Internal to platform/.
#pragma once

#include <algorithm>
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

// The keyboard focus: a dotted frame, every other pixel of its edges set, inside
// l, t, r, b (right and bottom excluded).
inline void FocusFrame(HDC dc, int l, int t, int r, int b, COLORREF color) {
  if (r <= l || b <= t) return;
  for (int x = l; x < r; x += 2) {
    SetPixel(dc, x, t, color);
    SetPixel(dc, x, b - 1, color);
  }
  for (int y = t; y < b; y += 2) {
    SetPixel(dc, l, y, color);
    SetPixel(dc, r - 1, y, color);
  }
}

// Text in the rectangle with DrawText's format flags, on a transparent background.
inline void Label(HDC dc, const std::string& text, int l, int t, int r, int b, UINT format, COLORREF color) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  RECT rc{l, t, r, b};
  DrawText(dc, text.c_str(), -1, &rc, format);
}

// A caption's close box: a face-coloured button with a cross.
inline void DrawCloseBox(HDC dc, int l, int t, int r, int b) {
  Fill(dc, l, t, r, b, kFace);
  Frame(dc, l, t, r, b, kBlack);
  HPEN pen = CreatePen(PS_SOLID, 1, kBlack);
  HGDIOBJ old = SelectObject(dc, pen);
  for (int shift : {0, 1}) {
    MoveToEx(dc, l + 3 + shift, t + 3, nullptr);
    LineTo(dc, r - 3 + shift, b - 3);
    MoveToEx(dc, r - 4 + shift, t + 3, nullptr);
    LineTo(dc, l + 2 + shift, b - 3);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

// A scroll arrow: a button face with a solid triangle pointing up, down, left or right
// (dx, dy: -1, 0 or 1), drawn sunken while it is held.
inline void DrawArrowButton(HDC dc, int l, int t, int r, int b, int dx, int dy, bool held) {
  Fill(dc, l, t, r, b, held ? kShadow : kFace);
  Frame(dc, l, t, r, b, held ? kBlack : kShadow);
  const int w = r - l, h = b - t;
  const int size = std::max(1, std::min(w, h) / 3);  // rows of the triangle
  const int cx = l + w / 2, cy = t + h / 2;
  for (int i = 0; i < size; ++i) {
    // Row i from the point: 2i + 1 pixels across the direction of the arrow.
    if (dy != 0) {
      const int y = dy < 0 ? cy - size / 2 + i : cy + size / 2 - i;
      Fill(dc, cx - i, y, cx + i + 1, y + 1, kBlack);
    } else {
      const int x = dx < 0 ? cx - size / 2 + i : cx + size / 2 - i;
      Fill(dc, x, cy - i, x + 1, cy + i + 1, kBlack);
    }
  }
}

}  // namespace platform::paint
