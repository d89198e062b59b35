// Device contexts and bitmaps: memory, surface and printer contexts, blits, device
// capabilities and the viewport origin.
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


// A copy at scale 1 between image surfaces of RGB24 pixels into RGB24 or ARGB32
// ones, row by row, with what cairo's copy leaves: the bytes as they are, or with an
// opaque alpha. (x, y) is the destination of source pixel (sx, sy), before the
// context's origin; false when the copy is not of that kind.
bool CopyPixels(Dc& dst, int64_t x, int64_t y, cairo_surface_t* source, int64_t sx, int64_t sy, int64_t w, int64_t h) {
  if (cairo_surface_get_type(source) != CAIRO_SURFACE_TYPE_IMAGE ||
      cairo_image_surface_get_format(source) != CAIRO_FORMAT_RGB24)
    return false;
  Pixels to;
  if (!BeginPixels(dst, &to)) return false;
  const bool opaque = cairo_image_surface_get_format(to.surface) == CAIRO_FORMAT_ARGB32;
  x += dst.origin.x;
  y += dst.origin.y;
  // Cut to the destination.
  if (x < 0) {
    sx -= x;
    w += x;
    x = 0;
  }
  if (y < 0) {
    sy -= y;
    h += y;
    y = 0;
  }
  w = std::min<int64_t>(w, to.width - x);
  h = std::min<int64_t>(h, to.height - y);
  if (w > 0 && h > 0) {
    cairo_surface_flush(source);
    const uint32_t* from = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(source));
    const int64_t fromStride = cairo_image_surface_get_stride(source) / 4;
    for (int64_t row = 0; row < h; ++row) {
      const uint32_t* in = from + (sy + row) * fromStride + sx;
      uint32_t* out = to.data + (y + row) * to.stride + x;
      if (opaque) {
        for (int64_t i = 0; i < w; ++i) out[i] = in[i] | 0xFF000000u;
      } else {
        std::memcpy(out, in, static_cast<size_t>(w) * sizeof(uint32_t));
      }
    }
  }
  EndPixels(to);
  return true;
}

BOOL BlitLocked(Dc& dst, int x, int y, int width, int height, Dc* src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop) {
  if (width <= 0 || height <= 0) return width == 0 || height == 0;
  if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY) {
    COLORREF color = rop == BLACKNESS ? RGB(0, 0, 0) : rop == WHITENESS ? RGB(255, 255, 255) : dst.brush->color;
    if (rop == PATCOPY && dst.brush->null) return TRUE;
    FillWith(dst, x, y, int64_t{x} + width, int64_t{y} + height, color);
    return TRUE;
  }
  if (rop != SRCCOPY || !src || !src->surface || IsPrinter(*src)) return FALSE;
  if (srcWidth <= 0 || srcHeight <= 0) return FALSE;
  if (!dst.cr) return FALSE;
  // Source rectangle in the source's device pixels, cut to its surface.
  int64_t sx = int64_t{srcX} + src->origin.x, sy = int64_t{srcY} + src->origin.y;
  int sw = cairo_image_surface_get_width(src->surface), sh = cairo_image_surface_get_height(src->surface);
  if (cairo_surface_get_type(src->surface) != CAIRO_SURFACE_TYPE_IMAGE) return FALSE;
  double scaleX = static_cast<double>(width) / srcWidth, scaleY = static_cast<double>(height) / srcHeight;
  int64_t cl = std::max<int64_t>(sx, 0), ct = std::max<int64_t>(sy, 0);
  int64_t cr = std::min<int64_t>(sx + srcWidth, sw), cb = std::min<int64_t>(sy + srcHeight, sh);
  if (cl >= cr || ct >= cb) return TRUE;
  cairo_surface_t* source = src->surface;
  if (width == srcWidth && height == srcHeight && source != dst.surface &&
      CopyPixels(dst, x + (cl - sx), y + (ct - sy), source, cl, ct, cr - cl, cb - ct))
    return TRUE;
  bool copied = false;
  int64_t originX = 0, originY = 0;  // where `source` pixel (0, 0) is in source device pixels
  if (source == dst.surface) {
    // Copy the source part first so that overlapping copies read the old pixels.
    cairo_surface_t* part = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(cr - cl),
                                                       static_cast<int>(cb - ct));
    cairo_t* pc = cairo_create(part);
    cairo_set_source_surface(pc, source, -static_cast<double>(cl), -static_cast<double>(ct));
    cairo_set_operator(pc, CAIRO_OPERATOR_SOURCE);
    cairo_paint(pc);
    cairo_destroy(pc);
    source = part;
    copied = true;
    originX = cl;
    originY = ct;
  }
  BeginCairo(dst);
  // Destination of the cut source rectangle.
  double dx = x + (cl - sx) * scaleX, dy = y + (ct - sy) * scaleY;
  double dw = (cr - cl) * scaleX, dh = (cb - ct) * scaleY;
  cairo_rectangle(dst.cr, std::round(dx), std::round(dy), std::round(dx + dw) - std::round(dx),
                  std::round(dy + dh) - std::round(dy));
  cairo_clip(dst.cr);
  cairo_translate(dst.cr, x, y);
  cairo_scale(dst.cr, scaleX, scaleY);
  cairo_set_source_surface(dst.cr, source, static_cast<double>(originX - sx), static_cast<double>(originY - sy));
  cairo_pattern_set_filter(cairo_get_source(dst.cr), CAIRO_FILTER_NEAREST);
  cairo_set_operator(dst.cr, IsPrinter(dst) ? CAIRO_OPERATOR_OVER : CAIRO_OPERATOR_SOURCE);
  cairo_paint(dst.cr);
  EndCairo(dst);
  if (copied) cairo_surface_destroy(source);
  return TRUE;
}

}  // namespace gdi_internal

using namespace gdi_internal;

HDC CreateCompatibleDC(HDC) {
  std::lock_guard lock(State().mutex);
  auto dc = std::make_shared<Dc>(Dc::Type::Memory);
  SelectDefaults(*dc);
  dc->bitmapHandle = DefaultBitmapLocked();
  dc->bitmap = LookupAs<Bitmap>(dc->bitmapHandle, Kind::Bitmap);
  if (!dc->bitmap) return nullptr;
  AttachSurface(*dc, dc->bitmap->surface);
  return static_cast<HDC>(Register(dc));
}

HDC CreateDCForSurface(cairo_surface_t* surface) {
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return nullptr;
  std::lock_guard lock(State().mutex);
  auto dc = std::make_shared<Dc>(Dc::Type::Surface);
  SelectDefaults(*dc);
  AttachSurface(*dc, surface);
  return static_cast<HDC>(Register(dc));
}

HDC CreateDC(const char*, const char* device, const char* output, const void*) {
  if (!device) return nullptr;
  std::string name = device;
  bool known = false;
  for (const std::string& p : platform::PrinterNames()) known = known || p == name;
  if (!known) {
    platform::SetLastErrorText("CreateDC: no printer called \"" + name + "\"");
    return nullptr;
  }
  std::lock_guard lock(State().mutex);
  return static_cast<HDC>(Register(MakePrinterDc(name, output)));
}

BOOL DeleteDC(HDC handle) {
  std::lock_guard lock(State().mutex);
  if (!DcOf(handle)) return FALSE;
  Unregister(handle);
  return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  if (width <= 0 || height <= 0 || width > 65536 || height > 65536) return nullptr;
  if (static_cast<int64_t>(width) * height > (int64_t{1} << 28)) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  // New image surfaces are cleared to zero: black.
  std::lock_guard lock(State().mutex);
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->surface = surface;
  return static_cast<HBITMAP>(Register(bitmap));
}

// ---- copies -------------------------------------------------------------------------------
BOOL BitBlt(HDC dstHandle, int x, int y, int width, int height, HDC srcHandle, int srcX, int srcY, DWORD rop) {
  std::lock_guard lock(State().mutex);
  auto dst = DcOf(dstHandle);
  if (!dst) return FALSE;
  auto src = DcOf(srcHandle);
  if (srcHandle && !src) return FALSE;
  return BlitLocked(*dst, x, y, width, height, src.get(), srcX, srcY, width, height, rop);
}

BOOL StretchBlt(HDC dstHandle, int x, int y, int width, int height, HDC srcHandle, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop) {
  std::lock_guard lock(State().mutex);
  auto dst = DcOf(dstHandle);
  auto src = DcOf(srcHandle);
  if (!dst || !src) return FALSE;
  return BlitLocked(*dst, x, y, width, height, src.get(), srcX, srcY, srcWidth, srcHeight, rop);
}

// ---- device capabilities and origin -----------------------------------------------------------
int GetDeviceCaps(HDC handle, int index) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return 0;
  if (IsPrinter(*dc)) {
    switch (index) {
      case TECHNOLOGY: return DT_RASPRINTER;
      case HORZSIZE: return static_cast<int>(std::lround(kPrinterWidth * 25.4 / kPrinterDpi));
      case VERTSIZE: return static_cast<int>(std::lround(kPrinterHeight * 25.4 / kPrinterDpi));
      case HORZRES:
      case PHYSICALWIDTH: return kPrinterWidth;
      case VERTRES:
      case PHYSICALHEIGHT: return kPrinterHeight;
      case BITSPIXEL: return 24;
      case PLANES: return 1;
      case NUMCOLORS: return -1;
      case LOGPIXELSX:
      case LOGPIXELSY: return static_cast<int>(kPrinterDpi);
      default: return 0;
    }
  }
  int w = 0, h = 0;
  if (dc->surface && cairo_surface_get_type(dc->surface) == CAIRO_SURFACE_TYPE_IMAGE) {
    w = cairo_image_surface_get_width(dc->surface);
    h = cairo_image_surface_get_height(dc->surface);
  }
  switch (index) {
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZSIZE: return static_cast<int>(std::lround(w * 25.4 / kScreenDpi));
    case VERTSIZE: return static_cast<int>(std::lround(h * 25.4 / kScreenDpi));
    case HORZRES: return w;
    case VERTRES: return h;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case LOGPIXELSX:
    case LOGPIXELSY: return static_cast<int>(kScreenDpi);
    default: return 0;
  }
}

BOOL SetViewportOrgEx(HDC handle, int x, int y, POINT* previous) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->origin;
  dc->origin = POINT{x, y};
  return TRUE;
}

BOOL GetViewportOrgEx(HDC handle, POINT* origin) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || !origin) return FALSE;
  *origin = dc->origin;
  return TRUE;
}

namespace platform {

cairo_surface_t* SurfaceOfDC(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  return dc ? dc->surface : nullptr;
}

cairo_surface_t* SurfaceOfBitmap(HBITMAP handle) {
  std::lock_guard lock(State().mutex);
  auto bitmap = LookupAs<Bitmap>(handle, Kind::Bitmap);
  return bitmap ? bitmap->surface : nullptr;
}

BOOL ClearToNewBitmap(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  Pixels px;
  if (!dc || !BeginPixels(*dc, &px)) return FALSE;
  const size_t rowBytes = static_cast<size_t>(px.width) * sizeof(uint32_t);
  if (px.stride == px.width) {
    std::memset(px.data, 0, rowBytes * static_cast<size_t>(px.height));
  } else {
    for (int y = 0; y < px.height; ++y) std::memset(px.data + y * px.stride, 0, rowBytes);
  }
  EndPixels(px);
  return TRUE;
}

bool BrushPaints(HBRUSH handle) {
  std::lock_guard lock(State().mutex);
  auto brush = LookupAs<Brush>(handle, Kind::Brush);
  return brush && !brush->null;
}

}  // namespace platform
