// Lines, shapes and fills: the exact one-pixel path and cairo for wider pens.
#include "platform/gdi/GdiInternal.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/kernel/Error.h"
#include "platform/gdi/GdiPrinters.h"

namespace gdi_internal {

// ---- cairo drawing -------------------------------------------------------------------------
void SetColor(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

// Starts a cairo operation in device units with the context's origin; false when
// the context has nothing to draw on.
bool BeginCairo(Dc& dc) {
  if (!dc.cr) return false;
  if (cairo_status(dc.cr) != CAIRO_STATUS_SUCCESS) {
    // A context in an error state draws nothing ever again: start a fresh one.
    cairo_destroy(dc.cr);
    dc.cr = cairo_create(dc.surface);
  }
  cairo_save(dc.cr);
  cairo_identity_matrix(dc.cr);
  cairo_new_path(dc.cr);
  if (IsPrinter(dc)) {
    cairo_scale(dc.cr, 72.0 / kPrinterDpi, 72.0 / kPrinterDpi);
  } else {
    cairo_set_antialias(dc.cr, CAIRO_ANTIALIAS_NONE);
  }
  cairo_translate(dc.cr, dc.origin.x, dc.origin.y);
  return true;
}

void EndCairo(Dc& dc) { cairo_restore(dc.cr); }

void StrokeWithPen(Dc& dc, const Pen& pen) {
  cairo_set_line_width(dc.cr, std::max(1, pen.width));
  cairo_set_line_cap(dc.cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(dc.cr, CAIRO_LINE_JOIN_ROUND);
  SetColor(dc.cr, pen.color);
  cairo_stroke(dc.cr);
}


bool BeginPixels(Dc& dc, Pixels* px) {
  if (IsPrinter(dc) || !dc.surface) return false;
  if (cairo_surface_get_type(dc.surface) != CAIRO_SURFACE_TYPE_IMAGE) return false;
  cairo_format_t format = cairo_image_surface_get_format(dc.surface);
  if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32) return false;
  cairo_surface_flush(dc.surface);
  unsigned char* data = cairo_image_surface_get_data(dc.surface);
  if (!data) return false;
  px->data = reinterpret_cast<uint32_t*>(data);
  px->stride = cairo_image_surface_get_stride(dc.surface) / 4;
  px->width = cairo_image_surface_get_width(dc.surface);
  px->height = cairo_image_surface_get_height(dc.surface);
  px->surface = dc.surface;
  return true;
}

void EndPixels(Pixels& px) { cairo_surface_mark_dirty(px.surface); }

uint32_t PixelValue(COLORREF c) {
  return 0xFF000000u | (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

COLORREF ColorOfPixel(uint32_t v) {
  return RGB(static_cast<BYTE>((v >> 16) & 0xFF), static_cast<BYTE>((v >> 8) & 0xFF), static_cast<BYTE>(v & 0xFF));
}


Dashes DashesOf(int style) {
  auto make = [](std::initializer_list<int> runs) {
    Dashes d;
    bool on = true;
    for (int run : runs) {
      for (int k = 0; k < run; ++k, ++d.length)
        if (on) d.bits |= 1u << d.length;
      on = !on;
    }
    return d;
  };
  switch (style) {
    case PS_DASH: return make({18, 6});
    case PS_DOT: return make({3, 3});
    case PS_DASHDOT: return make({9, 6, 3, 6});
    case PS_DASHDOTDOT: return make({9, 3, 3, 3, 3, 3});
    default: return Dashes{};
  }
}

int64_t FloorDiv(__int128 a, __int128 b) {  // b > 0
  __int128 q = a / b;
  if ((a % b) != 0 && a < 0) --q;
  return static_cast<int64_t>(std::clamp<__int128>(q, INT64_MIN / 4, INT64_MAX / 4));
}
int64_t CeilDiv(__int128 a, __int128 b) { return -FloorDiv(-a, b); }

namespace {

int64_t FloorDiv64(int64_t a, int64_t b) {  // b > 0, no overflow
  int64_t q = a / b;
  if ((a % b) != 0 && a < 0) --q;
  return q;
}
int64_t CeilDiv64(int64_t a, int64_t b) { return -FloorDiv64(-a, b); }

// Products of the clipping below stay within 64 bits while every magnitude does
// below 2^30 (2 n a, 2 i minor + n < 2^62).
constexpr int64_t kNarrow = int64_t{1} << 30;
bool Narrow(int64_t v) { return v > -kNarrow && v < kNarrow; }

}  // namespace

// One-pixel line from (x0, y0) to (x1, y1), the end point left out. Step i of the
// n steps (n = the longer extent) sits at the major coordinate m0 + i and the minor
// coordinate q0 + round(i * minor / n) (halves away from the start), so that the
// visible part is found by arithmetic before drawing: a line far outside the
// surface costs nothing. A line with both ends on the surface needs no clipping;
// one whose numbers are small enough is clipped in 64-bit arithmetic, any other
// in 128-bit arithmetic, with the same result.
void PixelLine(Pixels& px, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t value, Dashes* dashes) {
  int64_t dx = x1 - x0, dy = y1 - y0;
  int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  int64_t n = std::max(adx, ady);
  if (n == 0) return;
  bool xMajor = adx >= ady;
  int64_t m0 = xMajor ? x0 : y0, q0 = xMajor ? y0 : x0;
  int64_t sm = (xMajor ? dx : dy) < 0 ? -1 : 1;
  int64_t minor = xMajor ? ady : adx;
  int64_t sq = (xMajor ? dy : dx) < 0 ? -1 : 1;
  int64_t iLo = 0, iHi = n - 1;
  int64_t twoN = 2 * n;
  int64_t k = 0, r = n;  // minor offset and remainder of step iLo
  const bool inside = x0 >= 0 && x0 < px.width && x1 >= 0 && x1 < px.width && y0 >= 0 && y0 < px.height &&
                      y1 >= 0 && y1 < px.height;
  if (!inside) {
    int64_t mLo = 0, mHi = xMajor ? px.width : px.height;  // [lo, hi)
    int64_t qLo = 0, qHi = xMajor ? px.height : px.width;
    if (sm > 0) {
      iLo = std::max(iLo, mLo - m0);
      iHi = std::min(iHi, mHi - 1 - m0);
    } else {
      iLo = std::max(iLo, m0 - (mHi - 1));
      iHi = std::min(iHi, m0 - mLo);
    }
    // The minor offset k(i) = floor((2 i minor + n) / 2n) must lie in [a, b].
    int64_t a = sq > 0 ? qLo - q0 : q0 - (qHi - 1);
    int64_t b = sq > 0 ? qHi - 1 - q0 : q0 - qLo;
    if (iLo > iHi) return;
    if (Narrow(n) && Narrow(a) && Narrow(b)) {
      if (minor == 0) {
        if (a > 0 || b < 0) return;
      } else {
        iLo = std::max(iLo, CeilDiv64(twoN * a - n, 2 * minor));
        iHi = std::min(iHi, CeilDiv64(twoN * b + n, 2 * minor) - 1);
      }
      if (iLo > iHi) return;
      const int64_t num = 2 * iLo * minor + n;
      k = num / twoN;
      r = num % twoN;
    } else {
      if (minor == 0) {
        if (a > 0 || b < 0) return;
      } else {
        __int128 twoN128 = static_cast<__int128>(2) * n, twoMinor = static_cast<__int128>(2) * minor;
        iLo = std::max(iLo, CeilDiv(twoN128 * a - n, twoMinor));
        iHi = std::min(iHi, CeilDiv(twoN128 * b + n, twoMinor) - 1);
      }
      if (iLo > iHi) return;
      __int128 num = static_cast<__int128>(2) * iLo * minor + n;
      k = static_cast<int64_t>(num / twoN);
      r = static_cast<int64_t>(num % twoN);
    }
  }
  int64_t m = m0 + sm * iLo;
  int64_t q = q0 + sq * k;
  int64_t twoMinor = 2 * minor;
  int64_t stepM = xMajor ? sm : sm * px.stride;
  int64_t stepQ = xMajor ? sq * px.stride : sq;
  uint32_t* p = px.data + (xMajor ? q * px.stride + m : m * px.stride + q);
  if (!dashes || dashes->length == 0) {
    for (int64_t i = iLo; i <= iHi; ++i) {
      *p = value;
      p += stepM;
      r += twoMinor;
      if (r >= twoN) {
        r -= twoN;
        p += stepQ;
      }
    }
    return;
  }
  int phase = static_cast<int>((dashes->phase + iLo) % dashes->length);
  for (int64_t i = iLo; i <= iHi; ++i) {
    if ((dashes->bits >> phase) & 1u) *p = value;
    if (++phase == dashes->length) phase = 0;
    p += stepM;
    r += twoMinor;
    if (r >= twoN) {
      r -= twoN;
      p += stepQ;
    }
  }
  dashes->phase = static_cast<int>((dashes->phase + n) % dashes->length);
}

void PixelFill(Pixels& px, int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t value) {
  left = std::max<int64_t>(left, 0);
  top = std::max<int64_t>(top, 0);
  right = std::min<int64_t>(right, px.width);
  bottom = std::min<int64_t>(bottom, px.height);
  if (left >= right || top >= bottom) return;
  // A value of four equal bytes (white, black) is set byte-wise, whole rows at once
  // where they follow one another.
  const uint32_t byte = value & 0xFFu;
  if (value == byte * 0x01010101u) {
    const size_t width = static_cast<size_t>(right - left) * sizeof(uint32_t);
    if (left == 0 && right == px.width && px.stride == px.width) {
      std::memset(px.data + top * px.stride, static_cast<int>(byte), width * static_cast<size_t>(bottom - top));
      return;
    }
    for (int64_t y = top; y < bottom; ++y) std::memset(px.data + y * px.stride + left, static_cast<int>(byte), width);
    return;
  }
  for (int64_t y = top; y < bottom; ++y) std::fill(px.data + y * px.stride + left, px.data + y * px.stride + right, value);
}

bool IsPixelPen(const Pen& pen) { return pen.width <= 1; }

// Draws the segments through points (count >= 2) with the context's pen.
void DrawSegments(Dc& dc, const POINT* points, size_t count) {
  const Pen& pen = *dc.pen;
  if (pen.style == PS_NULL || count < 2) return;
  Pixels px;
  if (IsPixelPen(pen) && BeginPixels(dc, &px)) {
    Dashes dashes = DashesOf(pen.style);
    uint32_t value = PixelValue(pen.color);
    int64_t ox = dc.origin.x, oy = dc.origin.y;
    for (size_t i = 1; i < count; ++i)
      PixelLine(px, ox + points[i - 1].x, oy + points[i - 1].y, ox + points[i].x, oy + points[i].y, value, &dashes);
    EndPixels(px);
    return;
  }
  if (!BeginCairo(dc)) return;
  // Pixel centres, so that odd widths cover whole pixels.
  cairo_move_to(dc.cr, points[0].x + 0.5, points[0].y + 0.5);
  for (size_t i = 1; i < count; ++i) cairo_line_to(dc.cr, points[i].x + 0.5, points[i].y + 0.5);
  StrokeWithPen(dc, pen);
  EndCairo(dc);
}

void FillWith(Dc& dc, int64_t left, int64_t top, int64_t right, int64_t bottom, COLORREF color) {
  if (left >= right || top >= bottom) return;
  Pixels px;
  if (BeginPixels(dc, &px)) {
    PixelFill(px, left + dc.origin.x, top + dc.origin.y, right + dc.origin.x, bottom + dc.origin.y, PixelValue(color));
    EndPixels(px);
    return;
  }
  if (!BeginCairo(dc)) return;
  cairo_rectangle(dc.cr, static_cast<double>(left), static_cast<double>(top), static_cast<double>(right - left),
                  static_cast<double>(bottom - top));
  SetColor(dc.cr, color);
  cairo_fill(dc.cr);
  EndCairo(dc);
}

}  // namespace gdi_internal

using namespace gdi_internal;

// ---- lines and shapes ---------------------------------------------------------------------
BOOL MoveToEx(HDC handle, int x, int y, POINT* previous) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->position;
  dc->position = POINT{x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC handle, POINT* position) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || !position) return FALSE;
  *position = dc->position;
  return TRUE;
}

BOOL LineTo(HDC handle, int x, int y) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return FALSE;
  POINT segment[2] = {dc->position, POINT{x, y}};
  DrawSegments(*dc, segment, 2);
  dc->position = segment[1];
  return TRUE;
}

BOOL Polyline(HDC handle, const POINT* points, int count) {
  if (!points || count < 2) return FALSE;
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return FALSE;
  DrawSegments(*dc, points, static_cast<size_t>(count));
  return TRUE;
}

BOOL PolylineTo(HDC handle, const POINT* points, DWORD count) {
  if (!points || count == 0) return FALSE;
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return FALSE;
  std::vector<POINT> all;
  all.reserve(static_cast<size_t>(count) + 1);
  all.push_back(dc->position);
  all.insert(all.end(), points, points + count);
  DrawSegments(*dc, all.data(), all.size());
  dc->position = points[count - 1];
  return TRUE;
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF color) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return CLR_INVALID;
  color &= 0x00FFFFFFu;
  Pixels px;
  if (BeginPixels(*dc, &px)) {
    int64_t dx = int64_t{x} + dc->origin.x, dy = int64_t{y} + dc->origin.y;
    if (dx < 0 || dy < 0 || dx >= px.width || dy >= px.height) return CLR_INVALID;
    px.data[dy * px.stride + dx] = PixelValue(color);
    EndPixels(px);
    return color;
  }
  if (!IsPrinter(*dc) || !dc->inDoc) return CLR_INVALID;
  FillWith(*dc, x, y, int64_t{x} + 1, int64_t{y} + 1, color);
  return color;
}

COLORREF GetPixel(HDC handle, int x, int y) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return CLR_INVALID;
  Pixels px;
  if (!BeginPixels(*dc, &px)) return CLR_INVALID;
  int64_t dx = int64_t{x} + dc->origin.x, dy = int64_t{y} + dc->origin.y;
  if (dx < 0 || dy < 0 || dx >= px.width || dy >= px.height) return CLR_INVALID;
  return ColorOfPixel(px.data[dy * px.stride + dx]);
}

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return FALSE;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const Pen& pen = *dc->pen;
  if (pen.style == PS_NULL) {
    // Without an outline the interior covers one pixel less each way.
    if (!dc->brush->null) FillWith(*dc, left, top, int64_t{right} - 1, int64_t{bottom} - 1, dc->brush->color);
    return TRUE;
  }
  if (!dc->brush->null) FillWith(*dc, left, top, right, bottom, dc->brush->color);
  if (right - left < 1 || bottom - top < 1) return TRUE;
  if (IsPixelPen(pen)) {
    POINT outline[5] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}};
    if (right - left == 1 || bottom - top == 1) {
      FillWith(*dc, left, top, right, bottom, pen.color);
      return TRUE;
    }
    DrawSegments(*dc, outline, 5);
    return TRUE;
  }
  if (!BeginCairo(*dc)) return FALSE;
  double inset = pen.width / 2.0;
  cairo_rectangle(dc->cr, left + inset, top + inset, std::max(0.0, right - left - 2 * inset),
                  std::max(0.0, bottom - top - 2 * inset));
  cairo_set_line_width(dc->cr, pen.width);
  cairo_set_line_join(dc->cr, CAIRO_LINE_JOIN_MITER);
  SetColor(dc->cr, pen.color);
  cairo_stroke(dc->cr);
  EndCairo(*dc);
  return TRUE;
}

BOOL Ellipse(HDC handle, int left, int top, int right, int bottom) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return FALSE;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right - left < 2 || bottom - top < 2) return TRUE;
  if (!BeginCairo(*dc)) return FALSE;
  const Pen& pen = *dc->pen;
  double w = std::max(1, pen.width);
  double rx = (right - left - w) / 2.0, ry = (bottom - top - w) / 2.0;
  cairo_save(dc->cr);
  cairo_translate(dc->cr, (left + right) / 2.0, (top + bottom) / 2.0);
  cairo_scale(dc->cr, std::max(rx, 0.5), std::max(ry, 0.5));
  cairo_arc(dc->cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(dc->cr);
  if (!dc->brush->null) {
    SetColor(dc->cr, dc->brush->color);
    cairo_fill_preserve(dc->cr);
  }
  if (pen.style != PS_NULL) {
    cairo_set_line_width(dc->cr, w);
    SetColor(dc->cr, pen.color);
    cairo_stroke(dc->cr);
  }
  cairo_new_path(dc->cr);
  EndCairo(*dc);
  return TRUE;
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brushHandle) {
  if (!rect) return 0;
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  auto brush = LookupAs<Brush>(brushHandle, Kind::Brush);
  if (!dc || !brush) return 0;
  if (!brush->null) FillWith(*dc, rect->left, rect->top, rect->right, rect->bottom, brush->color);
  return 1;
}

int FrameRect(HDC handle, const RECT* rect, HBRUSH brushHandle) {
  if (!rect) return 0;
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  auto brush = LookupAs<Brush>(brushHandle, Kind::Brush);
  if (!dc || !brush) return 0;
  if (brush->null || rect->right <= rect->left || rect->bottom <= rect->top) return 1;
  int64_t l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
  FillWith(*dc, l, t, r, t + 1, brush->color);
  FillWith(*dc, l, b - 1, r, b, brush->color);
  FillWith(*dc, l, t, l + 1, b, brush->color);
  FillWith(*dc, r - 1, t, r, b, brush->color);
  return 1;
}
