// Painting draws polylines of up to 20,000 points per channel. The context's
// one-pixel path writes straight into the pixel buffer; the reference draws the
// same polyline with cairo itself, antialiasing off.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace {

constexpr int kWidth = 20000;
constexpr int kHeight = 600;

std::vector<POINT> Trace(int points) {
  std::vector<POINT> trace(static_cast<size_t>(points));
  for (int i = 0; i < points; ++i) {
    double v = std::sin(i * 0.01) * 200.0 + std::sin(i * 0.37) * 60.0;
    trace[static_cast<size_t>(i)] = POINT{i, 300 + static_cast<int>(v)};
  }
  return trace;
}

void BM_GdiPolyline(benchmark::State& state) {
  std::vector<POINT> trace = Trace(static_cast<int>(state.range(0)));
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kWidth, kHeight);
  HGDIOBJ old = SelectObject(dc, bitmap);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  SelectObject(dc, pen);
  for (auto _ : state) {
    Polyline(dc, trace.data(), static_cast<int>(trace.size()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, old);
  DeleteObject(pen);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
BENCHMARK(BM_GdiPolyline)->Arg(3000)->Arg(20000);

void BM_CairoPolylineReference(benchmark::State& state) {
  std::vector<POINT> trace = Trace(static_cast<int>(state.range(0)));
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  cairo_set_source_rgb(cr, 1.0, 0.0, 0.0);
  for (auto _ : state) {
    cairo_move_to(cr, trace[0].x + 0.5, trace[0].y + 0.5);
    for (size_t i = 1; i < trace.size(); ++i) cairo_line_to(cr, trace[i].x + 0.5, trace[i].y + 0.5);
    cairo_stroke(cr);
    cairo_surface_flush(surface);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_CairoPolylineReference)->Arg(3000)->Arg(20000);

}  // namespace

BENCHMARK_MAIN();
