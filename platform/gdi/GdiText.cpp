// Fonts and text: the one face, metrics, text output and DrawText's layout.
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
    // Two-level glyphs (smoothed edges for a font that asks for them) with hinted,
    // whole-pixel metrics: the same pixels every run.
    cairo_font_options_set_antialias(options,
                                     dc.font && dc.font->smooth ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
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
  // The context draws its lines in two levels; a smoothed font's glyphs keep their edges.
  if (!IsPrinter(dc) && dc.font && dc.font->smooth) cairo_set_antialias(dc.cr, CAIRO_ANTIALIAS_GRAY);
  SetColor(dc.cr, dc.textColor);
  cairo_move_to(dc.cr, left, baseline);
  cairo_show_text(dc.cr, utf8.c_str());
  EndCairo(dc);
}


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

}  // namespace gdi_internal

using namespace gdi_internal;

// ---- text -----------------------------------------------------------------------------------
HFONT CreateFont(int height, int, int, int, int weight, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD quality,
                 DWORD, const char*) {
  if (height > 100000 || height < -100000) return nullptr;
  std::lock_guard lock(State().mutex);
  auto font = std::make_shared<Font>();
  font->height = height;
  font->bold = weight >= 600;
  font->smooth = quality == ANTIALIASED_QUALITY;
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
