// Drawing objects: the handle table, stock objects, pens, brushes, selection and the
// context's colours and modes.
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

static_assert(sizeof(void*) == 8, "handles carry a 32-bit generation beside the slot");

void ReleaseDrawing(Dc& dc) {
  if (dc.cr) cairo_destroy(dc.cr);
  dc.cr = nullptr;
  if (dc.surface) cairo_surface_destroy(dc.surface);
  dc.surface = nullptr;
}

// Ends an open printer document without keeping it (with the lock held).
void DiscardDocument(Dc& dc) {
  if (!dc.inDoc) return;
  if (dc.cr) cairo_destroy(dc.cr);
  dc.cr = nullptr;
  if (dc.surface) {
    cairo_surface_finish(dc.surface);
    cairo_surface_destroy(dc.surface);
  }
  dc.surface = nullptr;
  if (dc.stream && dc.stream->file) fclose(dc.stream->file);
  dc.stream.reset();
  std::error_code ignored;
  std::filesystem::remove(dc.tempPath, ignored);
  dc.inDoc = false;
  dc.inPage = false;
  DWORD job = dc.job;
  platform::detail::UpdatePrintJob(job, [](platform::PrintJob& j) { j.aborted = true; });
}

Dc::~Dc() {
  DiscardDocument(*this);
  if (bitmap && bitmap->selectedIn > 0) --bitmap->selectedIn;
  ReleaseDrawing(*this);
}



GdiState& State() {
  static auto* state = new GdiState();  // guarded by its own mutex
  return *state;
}

void* Encode(uint32_t index, uint32_t generation, Kind kind) {
  uintptr_t value = (static_cast<uintptr_t>(generation) << 32) | (static_cast<uintptr_t>(kind) << 24) |
                    (static_cast<uintptr_t>(index) + 1u);
  return reinterpret_cast<void*>(value);
}

void* Register(std::shared_ptr<Object> object) {
  GdiState& s = State();
  uint32_t index = 0;
  if (!s.free.empty()) {
    index = s.free.back();
    s.free.pop_back();
  } else {
    if (s.slots.size() >= 0xFFFFFEu) return nullptr;
    index = static_cast<uint32_t>(s.slots.size());
    s.slots.emplace_back();
  }
  Kind kind = object->kind;
  s.slots[index].object = std::move(object);
  return Encode(index, s.slots[index].generation, kind);
}

bool Decode(const void* handle, uint32_t* index, Kind* kind) {
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  uint32_t low = static_cast<uint32_t>(value & 0xFFFFFFu);
  uint32_t k = static_cast<uint32_t>((value >> 24) & 0xFFu);
  uint32_t generation = static_cast<uint32_t>(value >> 32);
  GdiState& s = State();
  if (low == 0 || low - 1 >= s.slots.size()) return false;
  const Slot& slot = s.slots[low - 1];
  if (slot.generation != generation || !slot.object || static_cast<uint32_t>(slot.object->kind) != k) return false;
  *index = low - 1;
  *kind = slot.object->kind;
  return true;
}

std::shared_ptr<Object> Lookup(const void* handle) {
  uint32_t index = 0;
  Kind kind{};
  if (!Decode(handle, &index, &kind)) return nullptr;
  return State().slots[index].object;
}


void Unregister(const void* handle) {
  uint32_t index = 0;
  Kind kind{};
  if (!Decode(handle, &index, &kind)) return;
  GdiState& s = State();
  std::shared_ptr<Object> doomed = std::move(s.slots[index].object);
  s.slots[index].object.reset();
  if (++s.slots[index].generation == 0) s.slots[index].generation = 1;
  s.free.push_back(index);
  doomed.reset();  // destroyed here, with the lock held
}

// ---- stock objects (created on first use, with the lock held) ------------------------
HGDIOBJ MakeStockPen(int style, COLORREF color) {
  auto pen = std::make_shared<Pen>();
  pen->stock = true;
  pen->style = style;
  pen->color = color;
  return Register(pen);
}

HGDIOBJ MakeStockBrush(bool null, COLORREF color) {
  auto brush = std::make_shared<Brush>();
  brush->stock = true;
  brush->null = null;
  brush->color = color;
  return Register(brush);
}

HGDIOBJ StockLocked(int index) {
  GdiState& s = State();
  if (index < 0 || index >= 18) return nullptr;
  if (s.stock[index]) return s.stock[index];
  HGDIOBJ made = nullptr;
  switch (index) {
    case WHITE_BRUSH: made = MakeStockBrush(false, RGB(255, 255, 255)); break;
    case LTGRAY_BRUSH: made = MakeStockBrush(false, RGB(192, 192, 192)); break;
    case GRAY_BRUSH: made = MakeStockBrush(false, RGB(128, 128, 128)); break;
    case DKGRAY_BRUSH: made = MakeStockBrush(false, RGB(64, 64, 64)); break;
    case BLACK_BRUSH: made = MakeStockBrush(false, RGB(0, 0, 0)); break;
    case NULL_BRUSH: made = MakeStockBrush(true, 0); break;
    case WHITE_PEN: made = MakeStockPen(PS_SOLID, RGB(255, 255, 255)); break;
    case BLACK_PEN: made = MakeStockPen(PS_SOLID, RGB(0, 0, 0)); break;
    case NULL_PEN: made = MakeStockPen(PS_NULL, 0); break;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case SYSTEM_FIXED_FONT:
    case DEFAULT_GUI_FONT: {
      auto font = std::make_shared<Font>();
      font->stock = true;
      made = Register(font);
      break;
    }
    default: return nullptr;
  }
  s.stock[index] = made;
  return made;
}

HGDIOBJ DefaultBitmapLocked() {
  GdiState& s = State();
  if (s.defaultBitmap) return s.defaultBitmap;
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->stock = true;
  bitmap->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
  s.defaultBitmap = Register(bitmap);
  return s.defaultBitmap;
}

void SelectDefaults(Dc& dc) {
  dc.penHandle = StockLocked(BLACK_PEN);
  dc.pen = LookupAs<Pen>(dc.penHandle, Kind::Pen);
  dc.brushHandle = StockLocked(WHITE_BRUSH);
  dc.brush = LookupAs<Brush>(dc.brushHandle, Kind::Brush);
  dc.fontHandle = StockLocked(SYSTEM_FONT);
  dc.font = LookupAs<Font>(dc.fontHandle, Kind::Font);
}

// Points the context at a surface (adds a reference) and makes its cairo context.
void AttachSurface(Dc& dc, cairo_surface_t* surface) {
  ReleaseDrawing(dc);
  if (!surface) return;
  dc.surface = cairo_surface_reference(surface);
  dc.cr = cairo_create(surface);
}

std::shared_ptr<Dc> DcOf(HDC handle) { return LookupAs<Dc>(handle, Kind::Dc); }

}  // namespace gdi_internal

using namespace gdi_internal;

// ---- objects and contexts --------------------------------------------------------------------
HGDIOBJ GetStockObject(int index) {
  std::lock_guard lock(State().mutex);
  return StockLocked(index);
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  auto obj = Lookup(object);
  if (!dc || !obj) return nullptr;
  HGDIOBJ previous = nullptr;
  switch (obj->kind) {
    case Kind::Pen:
      previous = dc->penHandle;
      dc->pen = std::static_pointer_cast<Pen>(obj);
      dc->penHandle = object;
      return previous;
    case Kind::Brush:
      previous = dc->brushHandle;
      dc->brush = std::static_pointer_cast<Brush>(obj);
      dc->brushHandle = object;
      return previous;
    case Kind::Font:
      previous = dc->fontHandle;
      dc->font = std::static_pointer_cast<Font>(obj);
      dc->fontHandle = object;
      return previous;
    case Kind::Bitmap: {
      if (dc->type != Dc::Type::Memory) return nullptr;
      auto bitmap = std::static_pointer_cast<Bitmap>(obj);
      if (bitmap == dc->bitmap) return object;
      // A bitmap draws in one memory context at a time (the default one excepted).
      if (!bitmap->stock && bitmap->selectedIn > 0) return nullptr;
      previous = dc->bitmapHandle;
      if (dc->bitmap && dc->bitmap->selectedIn > 0) --dc->bitmap->selectedIn;
      dc->bitmap = bitmap;
      dc->bitmapHandle = object;
      ++bitmap->selectedIn;
      AttachSurface(*dc, bitmap->surface);
      return previous;
    }
    case Kind::Dc: return nullptr;
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
  std::lock_guard lock(State().mutex);
  auto obj = Lookup(object);
  if (!obj || obj->kind == Kind::Dc) return FALSE;
  if (obj->stock) return TRUE;
  // A context still holding the object keeps it alive until it selects another.
  Unregister(object);
  return TRUE;
}

UINT GetObjectType(HGDIOBJ object) {
  std::lock_guard lock(State().mutex);
  auto obj = Lookup(object);
  if (!obj) return 0;
  switch (obj->kind) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Dc: return static_cast<Dc&>(*obj).type == Dc::Type::Memory ? OBJ_MEMDC : OBJ_DC;
  }
  return 0;
}

HGDIOBJ GetCurrentObject(HDC handle, UINT type) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return dc->penHandle;
    case OBJ_BRUSH: return dc->brushHandle;
    case OBJ_FONT: return dc->fontHandle;
    case OBJ_BITMAP: return dc->bitmapHandle;
    default: return nullptr;
  }
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME || width < 0) return nullptr;
  std::lock_guard lock(State().mutex);
  auto pen = std::make_shared<Pen>();
  pen->style = style == PS_INSIDEFRAME ? PS_SOLID : style;
  if (width > 1 && pen->style != PS_NULL) pen->style = PS_SOLID;
  pen->width = width;
  pen->color = color & 0x00FFFFFFu;
  return static_cast<HPEN>(Register(pen));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  std::lock_guard lock(State().mutex);
  auto brush = std::make_shared<Brush>();
  brush->color = color & 0x00FFFFFFu;
  return static_cast<HBRUSH>(Register(brush));
}

COLORREF SetTextColor(HDC handle, COLORREF color) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->textColor, color & 0x00FFFFFFu);
}

COLORREF GetTextColor(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  return dc ? dc->textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC handle, COLORREF color) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->bkColor, color & 0x00FFFFFFu);
}

COLORREF GetBkColor(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  return dc ? dc->bkColor : CLR_INVALID;
}

int SetBkMode(HDC handle, int mode) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(dc->bkMode, mode);
}

int GetBkMode(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  return dc ? dc->bkMode : 0;
}
