// The toolbar glyphs (bitmap 301) and the program icon (300) as character tables.
// Palette: '.' button face (192, 192, 192), 'k' black, 'w' white, 'r' red, 'g' green,
// 'b' blue, 'y' yellow.
#pragma once

#include <cstdint>

#include "platform/gdi/Gdi.h"

constexpr int IDI_QV95 = 300;
constexpr int IDB_TOOLBAR = 301;
constexpr int TOOLBAR_IMAGES = 15;
constexpr int GLYPH_SIZE = 24;
constexpr int ICON_SIZE = 32;

// Row `row` of image `image` (GLYPH_SIZE characters), nullptr out of range.
const char* ToolbarGlyphRow(int image, int row);
// Row `row` of the icon (ICON_SIZE characters), nullptr out of range.
const char* IconRow(int row);
// The colour of one palette character (the face colour for unknown characters).
COLORREF GlyphColor(char c);

// A new bitmap of the toolbar strip: 360 x 24 pixels, image i at x = 24 i. The caller
// deletes it with DeleteObject; nullptr when it cannot be made.
HBITMAP CreateToolbarBitmap();
// A new 32 x 32 bitmap of the icon; nullptr when it cannot be made.
HBITMAP CreateIconBitmap();
