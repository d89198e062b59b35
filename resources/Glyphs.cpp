#include "resources/Glyphs.h"

#include <cairo.h>

namespace {

HBITMAP BitmapFromRows(int width, int height, const char* (*row)(int image, int y), int images, int size) {
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, width, height);
  if (!bitmap) return nullptr;
  cairo_surface_t* surface = platform::SurfaceOfBitmap(bitmap);
  if (!surface || cairo_image_surface_get_format(surface) != CAIRO_FORMAT_RGB24) {
    DeleteObject(bitmap);
    return nullptr;
  }
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int image = 0; image < images; ++image)
    for (int y = 0; y < size && y < height; ++y) {
      const char* text = row(image, y);
      if (!text) continue;
      auto* pixels = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
      for (int x = 0; x < size && text[x]; ++x) {
        COLORREF c = GlyphColor(text[x]);
        uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
        int column = image * size + x;
        if (column < width) pixels[column] = (r << 16) | (g << 8) | b;
      }
    }
  cairo_surface_mark_dirty(surface);
  return bitmap;
}

const char* IconRowOf(int, int y) { return IconRow(y); }

}  // namespace

COLORREF GlyphColor(char c) {
  switch (c) {
    case 'k':
      return RGB(0, 0, 0);
    case 'w':
      return RGB(255, 255, 255);
    case 'r':
      return RGB(255, 0, 0);
    case 'g':
      return RGB(0, 170, 0);
    case 'b':
      return RGB(0, 0, 255);
    case 'y':
      return RGB(255, 255, 0);
    default:
      return RGB(192, 192, 192);
  }
}

HBITMAP CreateToolbarBitmap() {
  return BitmapFromRows(TOOLBAR_IMAGES * GLYPH_SIZE, GLYPH_SIZE, ToolbarGlyphRow, TOOLBAR_IMAGES, GLYPH_SIZE);
}

HBITMAP CreateIconBitmap() { return BitmapFromRows(ICON_SIZE, ICON_SIZE, IconRowOf, 1, ICON_SIZE); }
