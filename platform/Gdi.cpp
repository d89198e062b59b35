#include "platform/Gdi.h"

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

#include "platform/Error.h"
#include "platform/GdiPrinters.h"

static_assert(sizeof(void*) == 8, "handles carry a 32-bit generation beside the slot");

namespace {

constexpr const char* kFontRegular = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr const char* kFontBold = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
constexpr const char* kFontFamily = "DejaVu Sans Mono";
constexpr double kScreenDpi = 96.0;
constexpr double kPrinterDpi = 300.0;
constexpr int kPrinterWidth = 2550;   // 8.5 inch at 300 units per inch
constexpr int kPrinterHeight = 3300;  // 11 inch
constexpr double kDefaultEmAt96 = 13.0;

// ---- objects -------------------------------------------------------------------------
enum class Kind : uint32_t { Pen = 0x41, Brush = 0x42, Bitmap = 0x43, Font = 0x44, Dc = 0x45 };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock = false;
};

struct Pen : Object {
  Pen() : Object(Kind::Pen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
};

struct Brush : Object {
  Brush() : Object(Kind::Brush) {}
  bool null = false;
  COLORREF color = 0;
};

struct Bitmap : Object {
  Bitmap() : Object(Kind::Bitmap) {}
  ~Bitmap() override {
    if (surface) cairo_surface_destroy(surface);
  }
  cairo_surface_t* surface = nullptr;
  int selectedIn = 0;  // memory contexts holding it
};

struct Font : Object {
  Font() : Object(Kind::Font) {}
  int height = 0;  // 0: default size of the device
  bool bold = false;
};

struct PdfStream {
  FILE* file = nullptr;
  bool failed = false;
};

struct Dc : Object {
  enum class Type { Memory, Surface, Printer };
  explicit Dc(Type t) : Object(Kind::Dc), type(t) {}
  ~Dc() override;

  Type type;
  cairo_surface_t* surface = nullptr;  // referenced while held
  cairo_t* cr = nullptr;
  std::shared_ptr<Pen> pen;
  std::shared_ptr<Brush> brush;
  std::shared_ptr<Font> font;
  std::shared_ptr<Bitmap> bitmap;  // memory contexts
  HGDIOBJ penHandle = nullptr;
  HGDIOBJ brushHandle = nullptr;
  HGDIOBJ fontHandle = nullptr;
  HGDIOBJ bitmapHandle = nullptr;
  POINT position;
  POINT origin;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  UINT textAlign = TA_LEFT | TA_TOP;
  // Printer contexts.
  std::string printer;
  std::string output;
  std::string finalPath;
  std::string tempPath;
  std::unique_ptr<PdfStream> stream;
  bool inDoc = false;
  bool inPage = false;
  int pages = 0;
  DWORD job = 0;
};

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

// ---- the handle table ------------------------------------------------------------------
struct Slot {
  uint32_t generation = 1;
  std::shared_ptr<Object> object;
};

struct GdiState {
  std::mutex mutex;
  std::vector<Slot> slots;
  std::vector<uint32_t> free;
  HGDIOBJ stock[18] = {};
  HGDIOBJ defaultBitmap = nullptr;
  FT_Library freetype = nullptr;
  bool freetypeTried = false;
  cairo_font_face_t* faces[2] = {nullptr, nullptr};
  double cellPerEm = 0.0;  // (ascent + descent) / em of the face
  cairo_surface_t* measureSurface = nullptr;
  cairo_t* measure = nullptr;
};

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

template <class T>
std::shared_ptr<T> LookupAs(const void* handle, Kind kind) {
  auto object = Lookup(handle);
  if (!object || object->kind != kind) return nullptr;
  return std::static_pointer_cast<T>(object);
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

// ---- fonts ---------------------------------------------------------------------------------
void DoneFace(void* face) { FT_Done_Face(static_cast<FT_Face>(face)); }

cairo_font_face_t* FaceLocked(bool bold) {
  GdiState& s = State();
  int i = bold ? 1 : 0;
  if (s.faces[i]) return s.faces[i];
  if (!s.freetypeTried) {
    s.freetypeTried = true;
    if (FT_Init_FreeType(&s.freetype) != 0) s.freetype = nullptr;
  }
  cairo_font_face_t* face = nullptr;
  FT_Face ftFace = nullptr;
  if (s.freetype && FT_New_Face(s.freetype, bold ? kFontBold : kFontRegular, 0, &ftFace) == 0) {
    face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    static const cairo_user_data_key_t key{};
    if (cairo_font_face_set_user_data(face, &key, ftFace, DoneFace) != CAIRO_STATUS_SUCCESS) {
      cairo_font_face_destroy(face);
      FT_Done_Face(ftFace);
      face = nullptr;
    }
  }
  if (!face) {
    // The font file is missing: let fontconfig find the family.
    face = cairo_toy_font_face_create(kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                                      bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  }
  s.faces[i] = face;
  return face;
}

cairo_t* MeasureLocked() {
  GdiState& s = State();
  if (!s.measure) {
    s.measureSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    s.measure = cairo_create(s.measureSurface);
  }
  return s.measure;
}

bool IsPrinter(const Dc& dc) { return dc.type == Dc::Type::Printer; }

double CellPerEmLocked() {
  GdiState& s = State();
  if (s.cellPerEm > 0.0) return s.cellPerEm;
  cairo_t* cr = MeasureLocked();
  cairo_save(cr);
  cairo_set_font_face(cr, FaceLocked(false));
  cairo_set_font_size(cr, 1000.0);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  cairo_font_extents_t e;
  cairo_font_extents(cr, &e);
  cairo_restore(cr);
  s.cellPerEm = (e.ascent + e.descent) / 1000.0;
  if (!(s.cellPerEm > 0.1 && s.cellPerEm < 10.0)) s.cellPerEm = 1.164;
  return s.cellPerEm;
}

double EmSize(const Dc& dc) {
  int h = dc.font ? dc.font->height : 0;
  if (h < 0) return -static_cast<double>(h);
  if (h > 0) return h / CellPerEmLocked();
  double dpi = IsPrinter(dc) ? kPrinterDpi : kScreenDpi;
  return std::round(kDefaultEmAt96 * dpi / kScreenDpi);
}

// Selects the context's font into cr (inside a save/restore of the caller).
void ApplyFont(cairo_t* cr, const Dc& dc) {
  cairo_set_font_face(cr, FaceLocked(dc.font && dc.font->bold));
  cairo_set_font_size(cr, EmSize(dc));
  cairo_font_options_t* options = cairo_font_options_create();
  if (IsPrinter(dc)) {
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  } else {
    // Two-level glyphs with hinted, whole-pixel metrics: the same pixels every run.
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
  }
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

// Bytes that are not UTF-8 are taken as Windows-1252 characters; NUL is dropped.
std::string SafeUtf8(const char* text, int length) {
  static constexpr uint16_t k1252[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                         0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::string out;
  if (!text) return out;
  size_t n = length < 0 ? strlen(text) : static_cast<size_t>(length);
  out.reserve(n);
  auto put = [&out](uint32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  };
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < n) {
    unsigned char b = p[i];
    if (b == 0) {
      ++i;
      continue;
    }
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    size_t len = (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3 : (b >= 0xF0 && b <= 0xF4) ? 4 : 0;
    bool ok = len > 0 && i + len <= n;
    uint32_t c = 0;
    if (ok) {
      c = b & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
      for (size_t k = 1; k < len; ++k) {
        if ((p[i + k] & 0xC0) != 0x80) {
          ok = false;
          break;
        }
        c = (c << 6) | (p[i + k] & 0x3F);
      }
      if (ok && ((len == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (len == 4 && (c < 0x10000 || c > 0x10FFFF))))
        ok = false;
    }
    if (ok) {
      out.append(text + i, len);
      i += len;
    } else {
      put(b >= 0xA0 ? b : k1252[b - 0x80]);
      ++i;
    }
  }
  return out;
}

struct TextBox {
  double width = 0;
  double ascent = 0;
  double descent = 0;
};

TextBox MeasureText(const Dc& dc, const std::string& utf8) {
  cairo_t* cr = MeasureLocked();
  cairo_save(cr);
  ApplyFont(cr, dc);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  cairo_text_extents_t te;
  cairo_text_extents(cr, utf8.c_str(), &te);
  cairo_restore(cr);
  return TextBox{te.x_advance, std::round(fe.ascent), std::round(fe.descent)};
}

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

// ---- the pixel path ---------------------------------------------------------------------------
struct Pixels {
  uint32_t* data = nullptr;
  int64_t stride = 0;  // in pixels
  int width = 0;
  int height = 0;
  cairo_surface_t* surface = nullptr;
};

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

// On/off pattern of a styled one-pixel pen, one bit per pixel along the line.
struct Dashes {
  uint32_t bits = 0;
  int length = 0;  // 0: solid
  int phase = 0;
};

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

// One-pixel line from (x0, y0) to (x1, y1), the end point left out. Step i of the
// n steps (n = the longer extent) sits at the major coordinate m0 + i and the minor
// coordinate q0 + round(i * minor / n) (halves away from the start), so that the
// visible part is found by arithmetic before drawing: a line far outside the
// surface costs nothing.
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
  int64_t mLo = 0, mHi = xMajor ? px.width : px.height;  // [lo, hi)
  int64_t qLo = 0, qHi = xMajor ? px.height : px.width;
  int64_t iLo = 0, iHi = n - 1;
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
  if (minor == 0) {
    if (a > 0 || b < 0) return;
  } else {
    __int128 twoN = static_cast<__int128>(2) * n, twoMinor = static_cast<__int128>(2) * minor;
    iLo = std::max(iLo, CeilDiv(twoN * a - n, twoMinor));
    iHi = std::min(iHi, CeilDiv(twoN * b + n, twoMinor) - 1);
  }
  if (iLo > iHi) return;
  __int128 num = static_cast<__int128>(2) * iLo * minor + n;
  int64_t twoN = 2 * n;
  int64_t k = static_cast<int64_t>(num / twoN);
  int64_t r = static_cast<int64_t>(num % twoN);
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

void DrawTextLocked(Dc& dc, int x, int y, const std::string& utf8) {
  TextBox box = MeasureText(dc, utf8);
  double left = x;
  UINT h = dc.textAlign & TA_CENTER;
  if (h == TA_CENTER) left -= std::round(box.width / 2.0);
  else if (h == TA_RIGHT) left -= std::round(box.width);
  double baseline = y + box.ascent;
  if ((dc.textAlign & TA_BASELINE) == TA_BASELINE) baseline = y;
  else if (dc.textAlign & TA_BOTTOM) baseline = y - box.descent;
  if (dc.bkMode == OPAQUE) {
    FillWith(dc, static_cast<int64_t>(left), static_cast<int64_t>(baseline - box.ascent),
             static_cast<int64_t>(left + std::round(box.width)), static_cast<int64_t>(baseline + box.descent), dc.bkColor);
  }
  if (utf8.empty() || !BeginCairo(dc)) return;
  ApplyFont(dc.cr, dc);
  SetColor(dc.cr, dc.textColor);
  cairo_move_to(dc.cr, left, baseline);
  cairo_show_text(dc.cr, utf8.c_str());
  EndCairo(dc);
}

// ---- printer documents ---------------------------------------------------------------------
cairo_status_t WritePdf(void* closure, const unsigned char* data, unsigned int length) {
  auto* stream = static_cast<PdfStream*>(closure);
  if (stream->failed || !stream->file) return CAIRO_STATUS_WRITE_ERROR;
  if (length > 0 && fwrite(data, 1, length, stream->file) != length) {
    stream->failed = true;
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

std::shared_ptr<Dc> MakePrinterDc(const std::string& printer, const char* output) {
  auto dc = std::make_shared<Dc>(Dc::Type::Printer);
  SelectDefaults(*dc);
  dc->printer = printer;
  if (output) dc->output = output;
  return dc;
}

}  // namespace

// ---- objects and contexts --------------------------------------------------------------------
HGDIOBJ GetStockObject(int index) {
  std::lock_guard lock(State().mutex);
  return StockLocked(index);
}

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

// ---- text -----------------------------------------------------------------------------------
HFONT CreateFont(int height, int, int, int, int weight, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                 const char*) {
  if (height > 100000 || height < -100000) return nullptr;
  std::lock_guard lock(State().mutex);
  auto font = std::make_shared<Font>();
  font->height = height;
  font->bold = weight >= 600;
  return static_cast<HFONT>(Register(font));
}

UINT SetTextAlign(HDC handle, UINT align) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return 0xFFFFFFFFu;
  return std::exchange(dc->textAlign, align & (TA_CENTER | TA_BASELINE));
}

BOOL TextOut(HDC handle, int x, int y, const char* text, int length) {
  if (!text && length != 0) return FALSE;
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || (IsPrinter(*dc) && !dc->cr)) return FALSE;
  DrawTextLocked(*dc, x, y, SafeUtf8(text, length));
  return TRUE;
}

BOOL GetTextExtentPoint32(HDC handle, const char* text, int length, SIZE* size) {
  if (!size || (!text && length != 0)) return FALSE;
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return FALSE;
  TextBox box = MeasureText(*dc, SafeUtf8(text, length));
  size->cx = static_cast<LONG>(std::lround(box.width));
  size->cy = static_cast<LONG>(box.ascent + box.descent);
  return TRUE;
}

BOOL GetTextMetrics(HDC handle, TEXTMETRIC* tm) {
  if (!tm) return FALSE;
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return FALSE;
  cairo_t* cr = MeasureLocked();
  cairo_save(cr);
  ApplyFont(cr, *dc);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  cairo_text_extents_t x;
  cairo_text_extents(cr, "x", &x);
  cairo_restore(cr);
  *tm = TEXTMETRIC{};
  tm->tmAscent = static_cast<LONG>(std::lround(fe.ascent));
  tm->tmDescent = static_cast<LONG>(std::lround(fe.descent));
  tm->tmHeight = tm->tmAscent + tm->tmDescent;
  tm->tmInternalLeading = std::max<LONG>(0, tm->tmHeight - static_cast<LONG>(std::lround(EmSize(*dc))));
  tm->tmExternalLeading = std::max<LONG>(0, static_cast<LONG>(std::lround(fe.height)) - tm->tmHeight);
  tm->tmAveCharWidth = static_cast<LONG>(std::lround(x.x_advance));
  tm->tmMaxCharWidth = static_cast<LONG>(std::lround(fe.max_x_advance));
  tm->tmWeight = dc->font && dc->font->bold ? FW_BOLD : FW_NORMAL;
  tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = IsPrinter(*dc) ? 300 : 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = '?';
  tm->tmBreakChar = ' ';
  tm->tmPitchAndFamily = 0x30;  // fixed pitch, modern family
  return TRUE;
}

namespace {

// Splits text into lines for DrawText: '\n' ends a line (a '\r' before it is
// dropped), mnemonic marks are removed, long lines are broken at blanks.
std::vector<std::string> LayoutLines(const Dc& dc, const std::string& text, UINT format, double width) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (!(format & DT_NOPREFIX) && c == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        plain += '&';
        ++i;
      }
      continue;
    }
    plain += c;
  }
  std::vector<std::string> raw;
  if (format & DT_SINGLELINE) {
    for (char& c : plain)
      if (c == '\n' || c == '\r') c = ' ';
    raw.push_back(plain);
  } else {
    size_t start = 0;
    while (true) {
      size_t end = plain.find('\n', start);
      std::string line = plain.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      raw.push_back(line);
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) return raw;
  std::vector<std::string> lines;
  for (const std::string& line : raw) {
    std::string current;
    size_t i = 0;
    while (i <= line.size()) {
      size_t end = line.find(' ', i);
      if (end == std::string::npos) end = line.size();
      std::string word = line.substr(i, end - i);
      std::string candidate = current.empty() ? word : current + " " + word;
      if (!current.empty() && MeasureText(dc, candidate).width > width) {
        lines.push_back(current);
        current = word;
      } else {
        current = candidate;
      }
      i = end + 1;
    }
    lines.push_back(current);
  }
  return lines;
}

}  // namespace

int DrawText(HDC handle, const char* text, int length, RECT* rect, UINT format) {
  if (!rect || (!text && length != 0)) return 0;
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return 0;
  std::string utf8 = SafeUtf8(text, length);
  double boxWidth = static_cast<double>(rect->right) - rect->left;
  std::vector<std::string> lines = LayoutLines(*dc, utf8, format, boxWidth);
  TextBox metrics = MeasureText(*dc, "");
  int lineHeight = static_cast<int>(metrics.ascent + metrics.descent);
  int total = lineHeight * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    double widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, MeasureText(*dc, line).width);
    rect->right = rect->left + static_cast<LONG>(std::lround(widest));
    rect->bottom = rect->top + total;
    return total;
  }
  int y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
    else if (format & DT_BOTTOM) y = rect->bottom - lineHeight;
  }
  UINT savedAlign = dc->textAlign;
  dc->textAlign = TA_LEFT | TA_TOP;
  bool clip = !(format & DT_NOCLIP) && dc->cr;
  if (clip) {
    // The clip lives in the saved cairo state of this call only.
    cairo_save(dc->cr);
    cairo_identity_matrix(dc->cr);
    if (IsPrinter(*dc)) cairo_scale(dc->cr, 72.0 / kPrinterDpi, 72.0 / kPrinterDpi);
    cairo_rectangle(dc->cr, rect->left + dc->origin.x, rect->top + dc->origin.y, boxWidth,
                    static_cast<double>(rect->bottom) - rect->top);
    cairo_clip(dc->cr);
  }
  for (const std::string& line : lines) {
    double w = MeasureText(*dc, line).width;
    double x = rect->left;
    if (format & DT_CENTER) x = rect->left + std::floor((boxWidth - w) / 2.0);
    else if (format & DT_RIGHT) x = rect->right - w;
    // Text clipped through cairo: the pixel path of an opaque background is not.
    if (clip && dc->bkMode == OPAQUE) {
      double top = std::max<double>(y, rect->top), bottom = std::min<double>(y + lineHeight, rect->bottom);
      double left = std::max<double>(x, rect->left), right = std::min<double>(x + w, rect->right);
      if (left < right && top < bottom)
        FillWith(*dc, static_cast<int64_t>(left), static_cast<int64_t>(top), static_cast<int64_t>(right),
                 static_cast<int64_t>(bottom), dc->bkColor);
      int mode = std::exchange(dc->bkMode, TRANSPARENT);
      DrawTextLocked(*dc, static_cast<int>(x), y, line);
      dc->bkMode = mode;
    } else {
      DrawTextLocked(*dc, static_cast<int>(x), y, line);
    }
    y += lineHeight;
  }
  if (clip) cairo_restore(dc->cr);
  dc->textAlign = savedAlign;
  return total;
}

// ---- copies -------------------------------------------------------------------------------
namespace {

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

}  // namespace

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

// ---- printer documents -------------------------------------------------------------------------
int StartDoc(HDC handle, const DOCINFO* info) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || !IsPrinter(*dc) || dc->inDoc) return -1;
  std::string document = info && info->lpszDocName ? info->lpszDocName : "";
  DWORD job = platform::detail::BeginPrintJob(dc->printer, document, false);
  std::string path = info && info->lpszOutput ? info->lpszOutput : dc->output;
  if (path.empty()) path = platform::detail::CaptureFilePath(dc->printer, job, "pdf");
  std::string temp = path + ".part";
  auto stream = std::make_unique<PdfStream>();
  stream->file = fopen(temp.c_str(), "wb");
  if (!stream->file) {
    platform::SetLastErrorFromErrno(("StartDoc: cannot create " + temp).c_str(), errno);
    platform::detail::UpdatePrintJob(job, [](platform::PrintJob& j) { j.aborted = true; });
    return -1;
  }
  platform::detail::UpdatePrintJob(job, [&path](platform::PrintJob& j) { j.path = path; });
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(WritePdf, stream.get(), kPrinterWidth * 72.0 / kPrinterDpi,
                                                                 kPrinterHeight * 72.0 / kPrinterDpi);
  dc->stream = std::move(stream);
  dc->finalPath = path;
  dc->tempPath = temp;
  dc->job = job;
  dc->inDoc = true;
  dc->inPage = false;
  dc->pages = 0;
  AttachSurface(*dc, surface);
  cairo_surface_destroy(surface);  // the context holds its own reference
  return static_cast<int>(job);
}

int StartPage(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || !IsPrinter(*dc) || !dc->inDoc || dc->inPage) return -1;
  dc->inPage = true;
  return 1;
}

namespace {
int EndPageLocked(Dc& dc) {
  if (!IsPrinter(dc) || !dc.inDoc || !dc.inPage) return -1;
  dc.inPage = false;
  cairo_show_page(dc.cr);
  ++dc.pages;
  int pages = dc.pages;
  platform::detail::UpdatePrintJob(dc.job, [pages](platform::PrintJob& j) { j.pages = pages; });
  if (cairo_status(dc.cr) != CAIRO_STATUS_SUCCESS || dc.stream->failed) return -1;
  return 1;
}
}  // namespace

int EndPage(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return -1;
  return EndPageLocked(*dc);
}

int EndDoc(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || !IsPrinter(*dc) || !dc->inDoc) return -1;
  if (dc->inPage) EndPageLocked(*dc);
  cairo_surface_t* surface = cairo_surface_reference(dc->surface);
  ReleaseDrawing(*dc);
  cairo_surface_finish(surface);
  bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && !dc->stream->failed;
  cairo_surface_destroy(surface);
  int closeResult = fclose(dc->stream->file);
  int closeErrno = errno;
  dc->stream->file = nullptr;
  ok = ok && closeResult == 0;
  std::error_code ec;
  if (ok) std::filesystem::rename(dc->tempPath, dc->finalPath, ec);
  if (!ok || ec) {
    if (!ok) platform::SetLastErrorFromErrno(("EndDoc: writing " + dc->tempPath + " failed").c_str(), closeErrno);
    else platform::SetLastErrorText("EndDoc: cannot rename to " + dc->finalPath + ": " + ec.message());
    std::filesystem::remove(dc->tempPath, ec);
    ok = false;
  }
  dc->stream.reset();
  dc->inDoc = false;
  platform::detail::UpdatePrintJob(dc->job, [ok](platform::PrintJob& j) {
    j.completed = ok;
    j.aborted = !ok;
  });
  return ok ? 1 : -1;
}

int AbortDoc(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || !IsPrinter(*dc) || !dc->inDoc) return -1;
  DiscardDocument(*dc);
  return 1;
}

// ---- platform extras ---------------------------------------------------------------------------
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

HDC CreatePdfPrinterDC(const char* path) {
  if (!path || !*path) return nullptr;
  std::lock_guard lock(State().mutex);
  return static_cast<HDC>(Register(MakePrinterDc(kPdfPrinterName, path)));
}

std::string PrinterNameOfDC(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  return dc && IsPrinter(*dc) ? dc->printer : std::string();
}

bool IsPrinterDC(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  return dc && IsPrinter(*dc);
}

BOOL WritePng(cairo_surface_t* surface, const char* path) {
  if (!surface || !path || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return FALSE;
  if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return FALSE;
  cairo_surface_flush(surface);
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
