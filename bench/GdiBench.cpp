// Painting draws polylines of up to 20,000 points per channel. The context's
// one-pixel path writes straight into the pixel buffer after clipping each segment;
// the reference is a plain line loop writing the same pixels into a buffer of the
// same size, with no clipping (the trace lies on it) and no context.
//
//   bench_gdi [benchmark options]
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/BenchMedians.h"
#include "bench/PlainLine.h"
#include "platform/gdi/Gdi.h"

namespace {

constexpr int kWidth = 20000;
constexpr int kHeight = 600;
constexpr uint32_t kRed = 0xFFFF0000u;

std::vector<POINT> Trace(int points) {
  std::vector<POINT> trace(static_cast<size_t>(points));
  for (int i = 0; i < points; ++i) {
    double v = std::sin(i * 0.01) * 200.0 + std::sin(i * 0.37) * 60.0;
    trace[static_cast<size_t>(i)] = POINT{i, 300 + static_cast<int>(v)};
  }
  return trace;
}

// The reference polyline: the plain line loop from point to point.
void PlainPolyline(uint32_t* data, int64_t stride, const POINT* points, size_t count, uint32_t value) {
  for (size_t s = 1; s < count; ++s)
    PlainLine(data, stride, points[s - 1].x, points[s - 1].y, points[s].x, points[s].y, value);
}

struct Canvas {
  Canvas() {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, kWidth, kHeight);
    old = SelectObject(dc, bitmap);
    pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    SelectObject(dc, pen);
  }
  ~Canvas() {
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, old);
    DeleteObject(pen);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  HPEN pen;
};

void BM_GdiPolyline(benchmark::State& state) {
  std::vector<POINT> trace = Trace(static_cast<int>(state.range(0)));
  Canvas canvas;
  for (auto _ : state) {
    Polyline(canvas.dc, trace.data(), static_cast<int>(trace.size()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GdiPolyline)->Arg(3000)->Arg(20000)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true);

void BM_PlainLineLoopReference(benchmark::State& state) {
  std::vector<POINT> trace = Trace(static_cast<int>(state.range(0)));
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (auto _ : state) {
    PlainPolyline(pixels.data(), kWidth, trace.data(), trace.size(), kRed);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainLineLoopReference)
    ->Arg(3000)
    ->Arg(20000)
    ->Repetitions(qvbench::kRepetitions)
    ->ReportAggregatesOnly(true);

// Whether both draw the same pixels.
bool SamePixels() {
  std::vector<POINT> trace = Trace(20000);
  Canvas canvas;
  Polyline(canvas.dc, trace.data(), static_cast<int>(trace.size()));
  cairo_surface_t* surface = platform::SurfaceOfDC(canvas.dc);
  cairo_surface_flush(surface);
  const int stride = cairo_image_surface_get_stride(surface) / 4;
  const uint32_t* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
  std::vector<uint32_t> plain(static_cast<size_t>(kWidth) * kHeight);
  PlainPolyline(plain.data(), kWidth, trace.data(), trace.size(), kRed);
  for (int y = 0; y < kHeight; ++y)
    if (std::memcmp(data + y * stride, plain.data() + static_cast<size_t>(y) * kWidth, kWidth * 4u) != 0) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;
  for (const char* n : {"3000", "20000"}) {
    reporter.PrintRatio(std::string("Polyline / plain line loop, ") + n + " points",
                        std::string("BM_GdiPolyline/") + n, std::string("BM_PlainLineLoopReference/") + n, true, 1.5);
  }
  std::printf("same pixels: %s\n", SamePixels() ? "yes" : "NO");
  return 0;
}
