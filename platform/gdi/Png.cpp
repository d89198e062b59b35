// PNG files of surfaces and contexts, written beside the target and renamed into place.
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
#include "platform/kernel/Files.h"
#include "platform/gdi/GdiPrinters.h"

using namespace gdi_internal;

namespace platform {

BOOL WritePng(cairo_surface_t* surface, const char* path) {
  if (!surface || !path || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return FALSE;
  if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return FALSE;
  cairo_surface_flush(surface);
  if (!MayWriteOver(path)) return FALSE;  // a write-protected file stays
  // Written beside the target and renamed into place, so a failure keeps the old file.
  std::string temp = std::string(path) + ".part";
  cairo_status_t status = cairo_surface_write_to_png(surface, temp.c_str());
  std::error_code ec;
  if (status != CAIRO_STATUS_SUCCESS) {
    SetLastErrorText(std::string("WritePng: ") + cairo_status_to_string(status));
    std::filesystem::remove(temp, ec);
    return FALSE;
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    SetLastErrorText("WritePng: " + ec.message());
    std::filesystem::remove(temp, ec);
    return FALSE;
  }
  return TRUE;
}

BOOL WritePng(HDC handle, const char* path) {
  cairo_surface_t* surface = nullptr;
  {
    std::lock_guard lock(State().mutex);
    auto dc = DcOf(handle);
    if (!dc || IsPrinter(*dc) || !dc->surface) return FALSE;
    surface = cairo_surface_reference(dc->surface);
  }
  BOOL ok = WritePng(surface, path);
  cairo_surface_destroy(surface);
  return ok;
}

}  // namespace platform
