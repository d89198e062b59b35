#include "platform/gdi/Gdi.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TempDir.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// A memory context over a white bitmap, with a red one-pixel pen selected.
class Canvas {
 public:
  Canvas(int w, int h) : width(w), height(h) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, w, h);
    oldBitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    pen = CreatePen(PS_SOLID, 1, kRed);
    SelectObject(dc, pen);
  }
  ~Canvas() {
    SelectObject(dc, oldBitmap);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(bitmap);
    DeleteObject(pen);
    DeleteDC(dc);
  }
  // Every pixel that is not white.
  std::set<std::pair<int, int>> Ink() const {
    std::set<std::pair<int, int>> ink;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (GetPixel(dc, x, y) != kWhite) ink.insert({x, y});
    return ink;
  }
  int width, height;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ oldBitmap;
  HPEN pen;
};

using Pixels = std::set<std::pair<int, int>>;

Pixels Line(int x0, int y0, int x1, int y1) {
  Canvas c(40, 40);
  MoveToEx(c.dc, x0, y0, nullptr);
  LineTo(c.dc, x1, y1);
  POINT at{};
  GetCurrentPositionEx(c.dc, &at);
  EXPECT_EQ(at.x, x1);
  EXPECT_EQ(at.y, y1);
  return c.Ink();
}

TEST(GdiLineTest, OnePixelLinesLeaveOutTheirEndPoint) {
  Pixels horizontal;
  for (int x = 0; x <= 9; ++x) horizontal.insert({x, 5});
  EXPECT_EQ(Line(0, 5, 10, 5), horizontal);

  Pixels leftward;
  for (int x = 1; x <= 10; ++x) leftward.insert({x, 5});
  EXPECT_EQ(Line(10, 5, 0, 5), leftward);

  Pixels up;
  for (int y = 4; y <= 20; ++y) up.insert({7, y});
  EXPECT_EQ(Line(7, 20, 7, 3), up);

  Pixels diagonal;
  for (int i = 0; i < 6; ++i) diagonal.insert({2 + i, 12 - i});
  EXPECT_EQ(Line(2, 12, 8, 6), diagonal);

  EXPECT_TRUE(Line(4, 4, 4, 4).empty());
}

TEST(GdiLineTest, SteepAndShallowLinesHaveOnePixelPerMajorStepAndStayConnected) {
  for (auto [x0, y0, x1, y1] : std::vector<std::tuple<int, int, int, int>>{
           {3, 2, 7, 30}, {30, 35, 2, 31}, {20, 1, 17, 33}, {1, 30, 38, 21}}) {
    Pixels ink = Line(x0, y0, x1, y1);
    int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    ASSERT_EQ(static_cast<int>(ink.size()), n) << x0 << "," << y0 << " -> " << x1 << "," << y1;
    EXPECT_TRUE(ink.count({x0, y0}));
    EXPECT_FALSE(ink.count({x1, y1}));
    // The last pixel drawn is the neighbour of the end point.
    bool touches = false;
    for (auto [x, y] : ink) touches = touches || (std::abs(x - x1) <= 1 && std::abs(y - y1) <= 1);
    EXPECT_TRUE(touches);
    // Connected: every pixel but the first has an 8-neighbour in the set.
    for (auto [x, y] : ink) {
      if (x == x0 && y == y0) continue;
      int neighbours = 0;
      for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
          if ((dx || dy) && ink.count({x + dx, y + dy})) ++neighbours;
      EXPECT_GE(neighbours, 1) << x << "," << y;
    }
  }
}

TEST(GdiLineTest, PolylineDrawsEveryVertexOnceAndNotTheLastPoint) {
  Canvas c(30, 30);
  POINT points[] = {{2, 2}, {12, 2}, {12, 12}, {2, 12}, {2, 3}};
  ASSERT_TRUE(Polyline(c.dc, points, 5));
  Pixels ink = c.Ink();
  EXPECT_EQ(ink.size(), 10u + 10u + 10u + 9u);
  EXPECT_TRUE(ink.count({12, 2}));
  EXPECT_TRUE(ink.count({12, 12}));
  EXPECT_TRUE(ink.count({2, 12}));
  EXPECT_FALSE(ink.count({2, 3}));
  EXPECT_FALSE(Polyline(c.dc, points, 1));

  // PolylineTo starts from the current position and moves it to the last point.
  Canvas d(30, 30);
  MoveToEx(d.dc, 0, 20, nullptr);
  POINT to[] = {{5, 20}, {5, 25}};
  ASSERT_TRUE(PolylineTo(d.dc, to, 2));
  EXPECT_EQ(d.Ink().size(), 10u);
  POINT at{};
  GetCurrentPositionEx(d.dc, &at);
  EXPECT_EQ(at.x, 5);
  EXPECT_EQ(at.y, 25);
}

TEST(GdiLineTest, LinesFarOutsideAreClippedExactly) {
  Canvas c(20, 20);
  MoveToEx(c.dc, -2000000000, 10, nullptr);
  LineTo(c.dc, 2000000000, 10);
  Pixels ink = c.Ink();
  EXPECT_EQ(ink.size(), 20u);
  // A clipped diagonal keeps the pixels the whole line would have had.
  Canvas d(20, 20);
  MoveToEx(d.dc, -10, -10, nullptr);
  LineTo(d.dc, 30, 30);
  Pixels diag = d.Ink();
  EXPECT_EQ(diag.size(), 20u);
  for (auto [x, y] : diag) EXPECT_EQ(x, y);
  // Completely outside: nothing, and no crash.
  Canvas e(10, 10);
  MoveToEx(e.dc, -100, 5, nullptr);
  LineTo(e.dc, -1, 500);
  EXPECT_TRUE(e.Ink().empty());
}

// The pixels of a one-pixel line by its definition: step i of the n steps (n the
// longer extent) at major m0 + i and minor q0 + floor((2 i minor + n) / 2n), the end
// point left out; visited along the canvas's major extent, so any length is cheap.
void DefinedLine(std::vector<uint8_t>& ink, int w, int h, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const int64_t n = std::max(adx, ady);
  if (n == 0) return;
  const bool xMajor = adx >= ady;
  const int64_t m0 = xMajor ? x0 : y0, q0 = xMajor ? y0 : x0;
  const int64_t sm = (xMajor ? dx : dy) < 0 ? -1 : 1, sq = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t minor = xMajor ? ady : adx;
  const int64_t mHi = xMajor ? w : h, qHi = xMajor ? h : w;
  for (int64_t m = 0; m < mHi; ++m) {
    const int64_t i = sm > 0 ? m - m0 : m0 - m;
    if (i < 0 || i > n - 1) continue;
    const __int128 k = (static_cast<__int128>(2) * i * minor + n) / (static_cast<__int128>(2) * n);
    const __int128 q = q0 + sq * k;
    if (q < 0 || q >= qHi) continue;
    const int64_t x = xMajor ? m : static_cast<int64_t>(q), y = xMajor ? static_cast<int64_t>(q) : m;
    ink[static_cast<size_t>(y * w + x)] = 1;
  }
}

std::vector<uint8_t> InkOf(HDC dc, int w, int h) {
  cairo_surface_t* surface = platform::SurfaceOfDC(dc);
  cairo_surface_flush(surface);
  const int stride = cairo_image_surface_get_stride(surface) / 4;
  const uint32_t* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
  std::vector<uint8_t> ink(static_cast<size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ink[static_cast<size_t>(y * w + x)] = (data[y * stride + x] & 0xFFFFFFu) != 0xFFFFFFu;
  return ink;
}

TEST(GdiLineTest, PolylinePixelsFollowTheDefinitionAcrossTheWhole32BitRange) {
  constexpr int kW = 61, kH = 37;
  Canvas c(kW, kH);
  RECT all{0, 0, kW, kH};
  uint64_t seed = 0x9E3779B97F4A7C15ull;
  auto next = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  // A coordinate of one of several scales: on the canvas, near it, far, anywhere.
  auto coordinate = [&](int size) -> int32_t {
    const uint64_t r = next();
    switch (r % 5) {
      case 0: return static_cast<int32_t>(r >> 8) % (size + 4) - 2;
      case 1: return static_cast<int32_t>((r >> 8) % 4001) - 2000;
      case 2: return static_cast<int32_t>((r >> 8) % 2000000001) - 1000000000;
      case 3: return static_cast<int32_t>(static_cast<uint32_t>(r >> 16));
      default: return (r >> 8) & 1 ? INT32_MAX - static_cast<int32_t>((r >> 9) % 3) : INT32_MIN + static_cast<int32_t>((r >> 9) % 3);
    }
  };
  const POINT origins[] = {{0, 0}, {7, -3}, {INT32_MAX, INT32_MIN}, {INT32_MIN, 20}, {-1000000000, 1000000000}};
  int drawn = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    const POINT origin = origins[trial % 5];
    POINT points[3];
    for (POINT& p : points) p = POINT{coordinate(kW), coordinate(kH)};
    if (trial % 2 == 0) {
      // A line through the canvas: the far end mirrored about a point on it.
      const int64_t cx = static_cast<int64_t>(next() % kW) - origin.x, cy = static_cast<int64_t>(next() % kH) - origin.y;
      const int64_t mx = 2 * cx - points[0].x, my = 2 * cy - points[0].y;
      if (mx >= INT32_MIN && mx <= INT32_MAX && my >= INT32_MIN && my <= INT32_MAX)
        points[1] = POINT{static_cast<int32_t>(mx), static_cast<int32_t>(my)};
    }
    FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetViewportOrgEx(c.dc, origin.x, origin.y, nullptr);
    ASSERT_TRUE(Polyline(c.dc, points, 3));
    SetViewportOrgEx(c.dc, 0, 0, nullptr);
    std::vector<uint8_t> expected(static_cast<size_t>(kW * kH));
    for (int s = 0; s < 2; ++s)
      DefinedLine(expected, kW, kH, int64_t{points[s].x} + origin.x, int64_t{points[s].y} + origin.y,
                  int64_t{points[s + 1].x} + origin.x, int64_t{points[s + 1].y} + origin.y);
    const std::vector<uint8_t> ink = InkOf(c.dc, kW, kH);
    ASSERT_EQ(ink, expected) << "trial " << trial << ": (" << points[0].x << "," << points[0].y << ") ("
                             << points[1].x << "," << points[1].y << ") (" << points[2].x << "," << points[2].y
                             << ") origin (" << origin.x << "," << origin.y << ")";
    drawn += std::count(ink.begin(), ink.end(), 1) > 0;
  }
  EXPECT_GT(drawn, 600);  // a good part of the trials put pixels on the canvas
}

TEST(GdiLineTest, PenColourStylesAndViewportOrigin) {
  Canvas c(40, 10);
  HPEN blue = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  HGDIOBJ red = SelectObject(c.dc, blue);
  EXPECT_EQ(red, static_cast<HGDIOBJ>(c.pen));
  MoveToEx(c.dc, 0, 1, nullptr);
  LineTo(c.dc, 5, 1);
  EXPECT_EQ(GetPixel(c.dc, 0, 1), RGB(0, 0, 255));
  HPEN dotted = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
  SelectObject(c.dc, dotted);
  MoveToEx(c.dc, 0, 3, nullptr);
  LineTo(c.dc, 40, 3);
  int inked = 0;
  for (int x = 0; x < 40; ++x) inked += GetPixel(c.dc, x, 3) == RGB(0, 0, 0);
  EXPECT_GT(inked, 10);
  EXPECT_LT(inked, 30);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  MoveToEx(c.dc, 0, 5, nullptr);
  LineTo(c.dc, 40, 5);
  EXPECT_EQ(GetPixel(c.dc, 3, 5), kWhite);
  SelectObject(c.dc, c.pen);
  SetViewportOrgEx(c.dc, 10, 2, nullptr);
  SetPixel(c.dc, 1, 1, RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(c.dc, 1, 1), RGB(1, 2, 3));
  SetViewportOrgEx(c.dc, 0, 0, nullptr);
  EXPECT_EQ(GetPixel(c.dc, 11, 3), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(c.dc, 40, 0), CLR_INVALID);
  DeleteObject(blue);
  DeleteObject(dotted);
}

TEST(GdiShapeTest, FillRectFrameRectAndRectangleCoverExactPixels) {
  Canvas c(20, 20);
  HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
  RECT r{2, 3, 6, 8};
  EXPECT_EQ(FillRect(c.dc, &r, green), 1);
  Pixels ink = c.Ink();
  EXPECT_EQ(ink.size(), 4u * 5u);
  EXPECT_TRUE(ink.count({2, 3}));
  EXPECT_TRUE(ink.count({5, 7}));
  EXPECT_EQ(GetPixel(c.dc, 2, 3), RGB(0, 128, 0));

  Canvas f(20, 20);
  RECT frame{1, 1, 5, 5};
  FrameRect(f.dc, &frame, green);
  EXPECT_EQ(f.Ink().size(), 12u);

  Canvas g(20, 20);
  SelectObject(g.dc, green);
  Rectangle(g.dc, 10, 10, 15, 14);
  EXPECT_EQ(GetPixel(g.dc, 10, 10), kRed);
  EXPECT_EQ(GetPixel(g.dc, 14, 13), kRed);
  EXPECT_EQ(GetPixel(g.dc, 12, 12), RGB(0, 128, 0));
  EXPECT_EQ(GetPixel(g.dc, 15, 13), kWhite);
  EXPECT_EQ(g.Ink().size(), 5u * 4u);
  SelectObject(g.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(green);
}

TEST(GdiObjectTest, StaleDeletedAndWronglyTypedHandlesAreRefused) {
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  HBRUSH brush = CreateSolidBrush(kRed);
  ASSERT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
  HPEN reused = CreatePen(PS_SOLID, 1, kRed);  // may take the freed slot
  Canvas c(4, 4);
  EXPECT_EQ(SelectObject(c.dc, pen), nullptr);
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_EQ(GetObjectType(reused), OBJ_PEN);
  EXPECT_EQ(FillRect(c.dc, nullptr, brush), 0);
  RECT r{0, 0, 1, 1};
  EXPECT_EQ(FillRect(c.dc, &r, reinterpret_cast<HBRUSH>(reused)), 0);  // a pen is no brush
  EXPECT_EQ(FillRect(c.dc, &r, reinterpret_cast<HBRUSH>(0x1234)), 0);
  EXPECT_FALSE(LineTo(reinterpret_cast<HDC>(brush), 1, 1));
  // Stock objects survive DeleteObject.
  HGDIOBJ white = GetStockObject(WHITE_BRUSH);
  EXPECT_TRUE(DeleteObject(white));
  EXPECT_EQ(FillRect(c.dc, &r, static_cast<HBRUSH>(white)), 1);
  // A pen deleted while selected keeps drawing until it is replaced.
  HPEN green = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
  SelectObject(c.dc, green);
  EXPECT_TRUE(DeleteObject(green));
  MoveToEx(c.dc, 0, 2, nullptr);
  EXPECT_TRUE(LineTo(c.dc, 4, 2));
  EXPECT_EQ(GetPixel(c.dc, 1, 2), RGB(0, 255, 0));
  SelectObject(c.dc, c.pen);
  // A deleted context refuses everything.
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_FALSE(MoveToEx(dc, 0, 0, nullptr));
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
  // A bitmap draws in one memory context at a time.
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, c.bitmap), nullptr);
  DeleteDC(other);
  DeleteObject(reused);
  DeleteObject(brush);
}

// Copies cut at every edge of both surfaces, through both contexts' origins, into
// an RGB24 and an ARGB32 surface: every byte as a pixel-by-pixel copy leaves it
// (the unused byte kept, or an opaque alpha).
TEST(GdiBlitTest, CopiesCutAtTheEdgesKeepEveryByte) {
  constexpr int kS = 9, kD = 12;
  Canvas src(kS, kS);
  cairo_surface_t* from = platform::SurfaceOfDC(src.dc);
  cairo_surface_flush(from);
  uint32_t* in = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(from));
  const int inStride = cairo_image_surface_get_stride(from) / 4;
  for (int y = 0; y < kS; ++y)
    for (int x = 0; x < kS; ++x) in[y * inStride + x] = (static_cast<uint32_t>(x * 16 + y) << 8) | (x == y ? 0u : 0xFF000000u);
  cairo_surface_mark_dirty(from);
  for (cairo_format_t format : {CAIRO_FORMAT_RGB24, CAIRO_FORMAT_ARGB32}) {
    for (int trial = 0; trial < 40; ++trial) {
      const int x = trial % 7 - 5, y = trial / 7 - 2, srcX = trial % 3 - 1, srcY = trial % 4 - 2, w = 4 + trial % 9;
      const POINT org{trial % 5 - 2, trial % 2};
      cairo_surface_t* to = cairo_image_surface_create(format, kD, kD);
      uint32_t* out = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(to));
      const int outStride = cairo_image_surface_get_stride(to) / 4;
      for (int i = 0; i < kD * outStride; ++i) out[i] = 0x11223344u;
      cairo_surface_mark_dirty(to);
      HDC dc = platform::CreateDCForSurface(to);
      SetViewportOrgEx(dc, org.x, org.y, nullptr);
      SetViewportOrgEx(src.dc, 1, -1, nullptr);
      ASSERT_TRUE(BitBlt(dc, x, y, w, 7, src.dc, srcX, srcY, SRCCOPY));
      SetViewportOrgEx(src.dc, 0, 0, nullptr);
      DeleteDC(dc);
      cairo_surface_flush(to);
      for (int dy = 0; dy < kD; ++dy)
        for (int dx = 0; dx < kD; ++dx) {
          // Source pixel of destination (dx, dy), when the copy covers it.
          const int u = dx - org.x - x, v = dy - org.y - y;
          const int sx = srcX + 1 + u, sy = srcY - 1 + v;
          uint32_t want = 0x11223344u;
          if (u >= 0 && u < w && v >= 0 && v < 7 && sx >= 0 && sx < kS && sy >= 0 && sy < kS) {
            want = in[sy * inStride + sx];
            if (format == CAIRO_FORMAT_ARGB32) want |= 0xFF000000u;
          }
          ASSERT_EQ(out[dy * outStride + dx], want) << "trial " << trial << " at " << dx << "," << dy;
        }
      cairo_surface_destroy(to);
    }
  }
}

TEST(GdiBlitTest, BitBltCopiesAndOverlappingCopiesReadOldPixels) {
  Canvas src(10, 10);
  SetPixel(src.dc, 1, 1, RGB(10, 20, 30));
  SetPixel(src.dc, 2, 1, RGB(40, 50, 60));
  Canvas dst(10, 10);
  ASSERT_TRUE(BitBlt(dst.dc, 5, 5, 3, 3, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(dst.dc, 6, 6), RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(dst.dc, 7, 6), RGB(40, 50, 60));
  EXPECT_EQ(GetPixel(dst.dc, 8, 6), kWhite);
  // Scrolling one pixel to the right within the same surface.
  ASSERT_TRUE(BitBlt(src.dc, 1, 0, 9, 10, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(src.dc, 2, 1), RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(src.dc, 3, 1), RGB(40, 50, 60));
  EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 2, 2, nullptr, 0, 0, BLACKNESS));
  EXPECT_EQ(GetPixel(dst.dc, 1, 1), RGB(0, 0, 0));
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 0x00660046u));  // unsupported operation
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 2, 1, 2, 2, SRCCOPY));
  EXPECT_EQ(GetPixel(dst.dc, 0, 0), RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(dst.dc, 1, 1), RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(dst.dc, 2, 0), RGB(40, 50, 60));
}

TEST(GdiTextTest, MetricsAreStableAndTextInkStaysInsideItsExtent) {
  Canvas c(200, 40);
  TEXTMETRIC tm{};
  ASSERT_TRUE(GetTextMetrics(c.dc, &tm));
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_GT(tm.tmAscent, tm.tmDescent);
  EXPECT_GE(tm.tmHeight, 12);
  EXPECT_LE(tm.tmHeight, 20);
  EXPECT_GT(tm.tmAveCharWidth, 4);
  EXPECT_EQ(tm.tmAveCharWidth, tm.tmMaxCharWidth);  // one fixed-pitch font
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32(c.dc, "PRINTING", 8, &size));
  EXPECT_EQ(size.cx, 8 * tm.tmAveCharWidth);
  EXPECT_EQ(size.cy, tm.tmHeight);
  TEXTMETRIC again{};
  GetTextMetrics(c.dc, &again);
  EXPECT_EQ(again.tmHeight, tm.tmHeight);

  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, RGB(0, 0, 0));
  ASSERT_TRUE(TextOut(c.dc, 10, 5, "PRINTING", 8));
  Pixels ink = c.Ink();
  ASSERT_GT(ink.size(), 30u);
  for (auto [x, y] : ink) {
    EXPECT_GE(x, 10);
    EXPECT_LT(x, 10 + size.cx);
    EXPECT_GE(y, 5);
    EXPECT_LT(y, 5 + size.cy);
  }
  // Text that is not UTF-8 is drawn, not refused; an opaque background fills the extent.
  SetBkMode(c.dc, OPAQUE);
  SetBkColor(c.dc, RGB(0, 0, 255));
  EXPECT_TRUE(TextOut(c.dc, 10, 22, "\xB0\xFF", -1));
  EXPECT_EQ(GetPixel(c.dc, 10, 22), RGB(0, 0, 255));
  GetTextExtentPoint32(c.dc, "\xB0\xFF", 2, &size);
  EXPECT_EQ(size.cx, 2 * tm.tmAveCharWidth);

  // A font by cell height.
  HFONT big = CreateFont(30, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Courier");
  HGDIOBJ old = SelectObject(c.dc, big);
  TEXTMETRIC bigTm{};
  GetTextMetrics(c.dc, &bigTm);
  EXPECT_NEAR(bigTm.tmHeight, 30, 2);
  SelectObject(c.dc, old);
  DeleteObject(big);
}

TEST(GdiTextTest, DrawTextCentresAndMeasuresLines) {
  Canvas c(100, 60);
  RECT calc{0, 0, 0, 0};
  int h = DrawText(c.dc, "&OK\nCANCEL", -1, &calc, DT_CALCRECT);
  TEXTMETRIC tm{};
  GetTextMetrics(c.dc, &tm);
  EXPECT_EQ(h, 2 * tm.tmHeight);
  EXPECT_EQ(calc.right, 6 * tm.tmAveCharWidth);
  SetBkMode(c.dc, TRANSPARENT);
  RECT box{0, 0, 100, 60};
  DrawText(c.dc, "OK", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  Pixels ink = c.Ink();
  ASSERT_FALSE(ink.empty());
  int minX = 100, maxX = 0;
  for (auto [x, y] : ink) {
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
  }
  EXPECT_NEAR((minX + maxX) / 2.0, 50.0, 3.0);
}

TEST(GdiSurfaceTest, SurfaceContextsDrawIntoTheCallersSurfaceAndWritePng) {
  qvtest::TempDir dir;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 8);
  HDC dc = CreateDCForSurface(surface);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(platform::SurfaceOfDC(dc), surface);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 16);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 8);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 16, 0);
  cairo_surface_flush(surface);
  auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
  EXPECT_EQ(row[15], 0xFF000000u);  // opaque black
  std::string png = dir.File("shot.png");
  EXPECT_TRUE(platform::WritePng(dc, png.c_str()));
  std::ifstream in(png, std::ios::binary);
  std::string head(8, '\0');
  in.read(head.data(), 8);
  EXPECT_EQ(head, std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_FALSE(platform::WritePng(dc, dir.File("missing/folder/x.png").c_str()));
  DeleteDC(dc);
  cairo_surface_destroy(surface);
}

}  // namespace
