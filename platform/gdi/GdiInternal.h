// Shared by the drawing layer's sources: its objects, handle table and helpers. Not for
// use outside platform/gdi/.
#pragma once

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace gdi_internal {

inline constexpr const char* kFontRegular = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
inline constexpr const char* kFontBold = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
inline constexpr const char* kFontFamily = "DejaVu Sans Mono";
inline constexpr double kScreenDpi = 96.0;
inline constexpr double kPrinterDpi = 300.0;
inline constexpr int kPrinterWidth = 2550;   // 8.5 inch at 300 units per inch
inline constexpr int kPrinterHeight = 3300;  // 11 inch
inline constexpr double kDefaultEmAt96 = 13.0;


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
  bool smooth = false;  // antialiased edges on the screen
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

struct TextBox {
  double width = 0;
  double ascent = 0;
  double descent = 0;
};

// ---- the pixel path ---------------------------------------------------------------------------
struct Pixels {
  uint32_t* data = nullptr;
  int64_t stride = 0;  // in pixels
  int width = 0;
  int height = 0;
  cairo_surface_t* surface = nullptr;
};

// On/off pattern of a styled one-pixel pen, one bit per pixel along the line.
struct Dashes {
  uint32_t bits = 0;
  int length = 0;  // 0: solid
  int phase = 0;
};

void ReleaseDrawing(Dc& dc);
void DiscardDocument(Dc& dc);
GdiState& State();
void* Encode(uint32_t index, uint32_t generation, Kind kind);
void* Register(std::shared_ptr<Object> object);
bool Decode(const void* handle, uint32_t* index, Kind* kind);
std::shared_ptr<Object> Lookup(const void* handle);
void Unregister(const void* handle);
HGDIOBJ MakeStockPen(int style, COLORREF color);
HGDIOBJ MakeStockBrush(bool null, COLORREF color);
HGDIOBJ StockLocked(int index);
HGDIOBJ DefaultBitmapLocked();
void SelectDefaults(Dc& dc);
void AttachSurface(Dc& dc, cairo_surface_t* surface);
std::shared_ptr<Dc> DcOf(HDC handle);
void DoneFace(void* face);
cairo_font_face_t* FaceLocked(bool bold);
cairo_t* MeasureLocked();
bool IsPrinter(const Dc& dc);
double CellPerEmLocked();
double EmSize(const Dc& dc);
void ApplyFont(cairo_t* cr, const Dc& dc);
std::string SafeUtf8(const char* text, int length);
TextBox MeasureText(const Dc& dc, const std::string& utf8);
void SetColor(cairo_t* cr, COLORREF c);
bool BeginCairo(Dc& dc);
void EndCairo(Dc& dc);
void StrokeWithPen(Dc& dc, const Pen& pen);
bool BeginPixels(Dc& dc, Pixels* px);
void EndPixels(Pixels& px);
uint32_t PixelValue(COLORREF c);
COLORREF ColorOfPixel(uint32_t v);
Dashes DashesOf(int style);
int64_t FloorDiv(__int128 a, __int128 b);
int64_t CeilDiv(__int128 a, __int128 b);
void PixelLine(Pixels& px, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t value, Dashes* dashes);
void PixelFill(Pixels& px, int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t value);
bool IsPixelPen(const Pen& pen);
void DrawSegments(Dc& dc, const POINT* points, size_t count);
void FillWith(Dc& dc, int64_t left, int64_t top, int64_t right, int64_t bottom, COLORREF color);
void DrawTextLocked(Dc& dc, int x, int y, const std::string& utf8);
cairo_status_t WritePdf(void* closure, const unsigned char* data, unsigned int length);
std::shared_ptr<Dc> MakePrinterDc(const std::string& printer, const char* output);

template <class T>
std::shared_ptr<T> LookupAs(const void* handle, Kind kind) {
  auto object = Lookup(handle);
  if (!object || object->kind != kind) return nullptr;
  return std::static_pointer_cast<T>(object);
}

}  // namespace gdi_internal
