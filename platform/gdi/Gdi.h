// Drawing and printing: device contexts over cairo surfaces, pens, brushes, fonts,
// bitmaps, lines, rectangles, text, bit blits; printer contexts that write PDF
// pages; raw printers that capture their exact byte stream.
//
// Coordinates are device pixels (on a printer, device units of its resolution).
// One-pixel lines are drawn pixel-exact without antialiasing, straight into the
// pixel buffer of image surfaces, and each line leaves out its end point, so that
// the segments of a polyline meet without drawing a shared vertex twice. Text comes
// from one font, DejaVu Sans Mono, so that its metrics are the same on every run.
//
// Every object is addressed through a handle that carries its kind and a
// generation: a deleted, stale or wrongly typed handle is refused (FALSE, nullptr,
// CLR_INVALID) instead of reaching another object. Deleting an object that is still
// selected into a context is safe: the context keeps drawing with it until another
// object replaces it. All calls may be made from any thread; one lock serialises them.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/kernel/WinTypes.h"

// ---- handles --------------------------------------------------------------------
struct HDC__;
using HDC = HDC__*;
struct HPEN__;
using HPEN = HPEN__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HFONT__;
using HFONT = HFONT__*;
// Any drawing object (pen, brush, bitmap, font); cast the result of SelectObject
// back to the kind that was selected.
using HGDIOBJ = void*;

// ---- colours and geometry -----------------------------------------------------------
using COLORREF = DWORD;  // 0x00BBGGRR
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFFu); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFFu); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFFu); }
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

struct POINT {
  LONG x = 0;
  LONG y = 0;
};
struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};
// Right and bottom are exclusive.
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

struct TEXTMETRIC {
  LONG tmHeight = 0;  // ascent + descent
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;  // height - character (em) size
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 0;
  LONG tmDigitizedAspectY = 0;
  BYTE tmFirstChar = 0;
  BYTE tmLastChar = 0;
  BYTE tmDefaultChar = 0;
  BYTE tmBreakChar = 0;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = 0;
};

// ---- stock objects ------------------------------------------------------------------
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;
// Stock objects are never deleted (DeleteObject on them succeeds and does nothing).
HGDIOBJ GetStockObject(int index);

// ---- device contexts ------------------------------------------------------------------
// A memory context; it starts with a 1 x 1 bitmap selected. dc may be nullptr.
HDC CreateCompatibleDC(HDC dc);
// A context drawing onto a surface the caller owns (a window's backing store). The
// context keeps a reference; the surface must stay an image surface of format
// CAIRO_FORMAT_RGB24 or ARGB32 for the fast pixel paths (other surfaces are drawn
// through cairo).
HDC CreateDCForSurface(cairo_surface_t* surface);
// A printer context for the printer called device (see PrinterNames()); output is
// the PDF file to write (nullptr: a file in the print capture folder). driver and
// initData are not used.
HDC CreateDC(const char* driver, const char* device, const char* output, const void* initData);
BOOL DeleteDC(HDC dc);

// A bitmap of w x h pixels (CAIRO_FORMAT_RGB24, initially black). dc is not used.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// Selects a pen, brush, font or bitmap (bitmaps only into memory contexts) and
// returns the object it replaces, or nullptr on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);

constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_DC = 3;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
constexpr UINT OBJ_MEMDC = 10;
// OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP, OBJ_DC or OBJ_MEMDC (pass an HDC cast
// to HGDIOBJ); 0 for an invalid handle.
UINT GetObjectType(HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);

// ---- pens, brushes and colours ------------------------------------------------------
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;        // one-pixel pens only; wider pens draw solid
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;  // drawn as PS_SOLID
// width 0 or 1 is the one-pixel pen.
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
COLORREF SetTextColor(HDC dc, COLORREF color);  // returns the old colour
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);  // returns the old mode, 0 on failure
int GetBkMode(HDC dc);

// ---- lines and shapes -------------------------------------------------------------------
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL GetCurrentPositionEx(HDC dc, POINT* position);
// From the current position to (x, y), leaving out (x, y); (x, y) becomes the
// current position.
BOOL LineTo(HDC dc, int x, int y);
// Segments through count points (count >= 2), each leaving out its end point; the
// current position is neither used nor changed.
BOOL Polyline(HDC dc, const POINT* points, int count);
// Segments from the current position through count points; the last point becomes
// the current position.
BOOL PolylineTo(HDC dc, const POINT* points, DWORD count);
// Returns the colour set (CLR_INVALID outside the surface or on a printer).
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);
// Outline in the pen inside [left, right) x [top, bottom), interior in the brush.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
// Fills [left, right) x [top, bottom) with the brush; returns 1, 0 on failure.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// A one-pixel border of the rectangle in the brush's colour.
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);

// ---- text ---------------------------------------------------------------------------------
// Height > 0: cell height (ascent + descent) in pixels; < 0: character (em) height;
// 0: the default size. width, escapement, orientation, charSet and the precision
// fields are not used; weight >= 600 selects the bold face; quality
// ANTIALIASED_QUALITY smooths the glyphs' edges on the screen (small text stays
// legible), any other draws them in two levels; face is not used (every font is
// DejaVu Sans Mono).
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* face);
constexpr DWORD ANTIALIASED_QUALITY = 4;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

constexpr UINT TA_LEFT = 0;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
UINT SetTextAlign(HDC dc, UINT align);  // returns the old alignment
// text is UTF-8 (bytes that are not UTF-8 are taken as single Windows-1252
// characters); length in bytes, -1 for a terminated string.
BOOL TextOut(HDC dc, int x, int y, const char* text, int length);
BOOL GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size);
BOOL GetTextMetrics(HDC dc, TEXTMETRIC* metrics);

constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;
// Text in a rectangle: lines split at '\n' (and at blanks with DT_WORDBREAK),
// aligned as asked, clipped to the rectangle unless DT_NOCLIP; '&' marks a mnemonic
// and is not drawn ("&&" draws one '&') unless DT_NOPREFIX. With DT_CALCRECT only
// the rectangle's right and bottom are set to the extent. Returns the text height.
int DrawText(HDC dc, const char* text, int length, RECT* rect, UINT format);

// ---- copies -----------------------------------------------------------------------------
constexpr DWORD SRCCOPY = 0x00CC0020u;
constexpr DWORD PATCOPY = 0x00F00021u;
constexpr DWORD BLACKNESS = 0x00000042u;
constexpr DWORD WHITENESS = 0x00FF0062u;
// SRCCOPY copies from src; PATCOPY fills with dst's brush; BLACKNESS and WHITENESS
// fill (src may be nullptr for these). Other operations are refused.
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
// SRCCOPY with nearest-pixel scaling.
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop);

// ---- device capabilities, origin and clipping ------------------------------------------
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;  // millimetres
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;  // pixels / device units
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;
constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;
// Raster contexts: the size of their surface (memory contexts: of the selected
// bitmap), 96 pixels per inch. Printer contexts: a Letter page at 300 units per
// inch, the whole page printable.
int GetDeviceCaps(HDC dc, int index);

// Logical (0, 0) maps to device (x, y) for every drawing call of the context.
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL GetViewportOrgEx(HDC dc, POINT* origin);

// ---- printer documents --------------------------------------------------------------
struct DOCINFO {
  int cbSize = sizeof(DOCINFO);
  const char* lpszDocName = nullptr;
  const char* lpszOutput = nullptr;  // overrides the context's output file when set
  const char* lpszDatatype = nullptr;
  DWORD fwType = 0;
};
// Each returns > 0 on success and <= 0 on failure (StartDoc: the job number).
// StartDoc opens the output, every StartPage/EndPage pair is one PDF page, EndDoc
// completes the file (written beside it and renamed into place only when every
// write succeeded), AbortDoc discards the document and leaves no file.
int StartDoc(HDC dc, const DOCINFO* info);
int StartPage(HDC dc);
int EndPage(HDC dc);
int EndDoc(HDC dc);
int AbortDoc(HDC dc);

// ---- raw printers (the print spooler) ---------------------------------------------------
struct DOC_INFO_1 {
  const char* pDocName = nullptr;
  const char* pOutputFile = nullptr;  // not used: the capture folder decides
  const char* pDatatype = nullptr;    // "RAW"
};
// Every byte written to an open raw document goes unchanged into its capture file
// (see platform::PrinterCaptureFolder). printer receives a handle of its own kind
// that only the calls below accept.
BOOL OpenPrinter(const char* name, HANDLE* printer, const void* defaults);
// Returns the job number, 0 on failure. level must be 1.
DWORD StartDocPrinter(HANDLE printer, DWORD level, const DOC_INFO_1* info);
BOOL StartPagePrinter(HANDLE printer);
// *written receives the number of bytes accepted (all or, on failure, 0).
BOOL WritePrinter(HANDLE printer, const void* bytes, DWORD count, DWORD* written);
BOOL EndPagePrinter(HANDLE printer);
BOOL EndDocPrinter(HANDLE printer);
// Ends an open document first.
BOOL ClosePrinter(HANDLE printer);

namespace platform {

using ::CreateDCForSurface;

// The surface a context draws on (a memory context: its selected bitmap's), with
// no reference added; nullptr for an invalid handle or a printer between pages.
cairo_surface_t* SurfaceOfDC(HDC dc);
cairo_surface_t* SurfaceOfBitmap(HBITMAP bitmap);
// Sets every pixel a raster context draws on to what a new bitmap holds (all bytes
// zero: black), so that a back buffer kept between paints starts each paint as a
// new one would. FALSE for a printer context or an invalid handle.
BOOL ClearToNewBitmap(HDC dc);
// TRUE when the handle is a brush that paints (not the null brush).
bool BrushPaints(HBRUSH brush);

// A PDF printer context writing to path ("PDF" printer).
HDC CreatePdfPrinterDC(const char* path);
// The printer a printer context was created for ("" for other contexts).
std::string PrinterNameOfDC(HDC dc);
bool IsPrinterDC(HDC dc);

// Writes the context's surface (or the surface) to a PNG file; 1 success, 0 failure.
BOOL WritePng(HDC dc, const char* path);
BOOL WritePng(cairo_surface_t* surface, const char* path);

// ---- printers --------------------------------------------------------------------------
constexpr const char* kPdfPrinterName = "PDF";
constexpr const char* kDefaultRawPrinterName = "Epson FX-870";
// "PDF" followed by the raw printers (by default "Epson FX-870").
std::vector<std::string> PrinterNames();
void SetRawPrinterNames(std::vector<std::string> names);
bool IsRawPrinter(const std::string& name);
// Where raw documents and PDF documents without an output file go (default: the
// folder "qv95-print" in the system's temporary folder, created when needed).
void SetPrinterCaptureFolder(std::string folder);
std::string PrinterCaptureFolder();

// Every document started since the last ClearPrintJobs, in order.
struct PrintJob {
  DWORD job = 0;
  std::string printer;
  std::string document;
  std::string path;     // the capture or PDF file
  bool raw = false;     // a raw spooler document (else a PDF page document)
  uint64_t bytes = 0;   // raw: bytes written
  int pages = 0;        // pages ended (raw: EndPagePrinter calls)
  bool completed = false;  // EndDoc / EndDocPrinter succeeded
  bool aborted = false;
};
std::vector<PrintJob> PrintJobs();
void ClearPrintJobs();

// Test hook: the given step of the raw printer fails after succeeding
// succeedFirst more times (None: nothing fails). A failing step changes nothing
// and sets the last error text.
enum class RawPrinterStep { None, Open, StartDoc, StartPage, Write, EndPage, EndDoc, Close };
void SetRawPrinterFailure(RawPrinterStep step, uint32_t succeedFirst = 0);

}  // namespace platform
