// A repaint of the main window with nine channels at 800, 3,000 and 20,000 pixels
// (background, crosshair, nine page reads from the view arrays, scaling, nine
// polylines and the copy to the window) beside a plain repaint that keeps its
// buffers and draws the same pixels: the background filled into a kept buffer, the
// crosshair and the nine scaled traces drawn by a plain line loop, the buffer copied
// to a second one the size of the window.
//
//   bench_paint [benchmark options]
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/BenchMedians.h"
#include "bench/PlainLine.h"
#include "core/TypedArrays.h"
#include "display/Paint.h"
#include "platform/gdi/Gdi.h"
#include "platform/windows/Window.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

constexpr int kChannels = 9;
constexpr int kClientHeight = 603;  // plot height 599 below the 3-row gap
constexpr int kTop = 3;
constexpr int kBottom = kClientHeight - 1;  // B: 3 + 599
constexpr int kPlotHeight = kBottom - kTop;
constexpr uint32_t kBackground = 0xFFFFFFFFu;
constexpr uint32_t kForeground = 0xFF000000u;

uint32_t ChannelPixel(int c) { return 0xFF000000u | (static_cast<uint32_t>(25 * c) << 16) | static_cast<uint32_t>(255 - 25 * c); }

LRESULT BenchWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PaintParentWindowPaper(2, window, nullptr, nullptr);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProc(window, message, wParam, lParam);
}

float Value(int c, int i) {
  return static_cast<float>(0.1 * c + 0.05 * std::sin(i * 0.01 + c) + 0.02 * std::sin(i * 0.37 * (c + 1)));
}

// The nine channels as view arrays of level 0, one value per pixel, in a window of
// the given plot width.
struct Scene {
  explicit Scene(int width) {
    Win = WinRecord{};
    Dsp = DspRecord{};
    Dsp.Init_Done = 1;
    Dsp.Dsp_Ready = 1;
    FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS);
    FAlloc1Dim(&Win.PM_DrawAry_Sum, WIN_DRAW_PTS);
    for (float*& rows : Win.P_DrawAry) FAlloc1Dim(&rows, WIN_DRAW_PTS);
    Win.View_Level = 0;
    Win.Active_Chn = 0;
    Win.Cursor_X = width / 2;
    Win.Cursor_Y = kClientHeight / 2;
    Win.Fg_Pen_Idx = 10;
    Dsp.Pen[10] = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    Dsp.Brush[0] = CreateSolidBrush(RGB(255, 255, 255));
    Dsp.Pts2Pxl[0] = 1.0;
    Dsp.FrqStpView[0] = 1.0;
    for (int c = 0; c < kChannels; ++c) {
      FAlloc1Dim(&Dsp.Fl_Pt[0][c], static_cast<uint32_t>(width));
      for (int i = 0; i < width; ++i) Dsp.Fl_Pt[0][c][i] = Value(c, i);
      Dsp.Fl_Pt_Len[0][c] = width;
      Dsp.FL_SZ[0][c] = static_cast<uint32_t>(width);
      Dsp.FL_SZ[WIN_RAW][c] = static_cast<uint32_t>(width);
      Dsp.Chn_DspStat[c] = 1;
      Dsp.Chn_Scalar[c] = 1.0;
      Dsp.Chn_ScaleStat[c] = 1;
      Dsp.Chn_ColorNo[c] = static_cast<int16_t>(c + 1);
      Dsp.Pen[c + 1] = CreatePen(PS_SOLID, 1, RGB(static_cast<BYTE>(25 * c), 0, static_cast<BYTE>(255 - 25 * c)));
    }
    WNDCLASS wc;
    wc.lpfnWndProc = BenchWndProc;
    wc.lpszClassName = "PAINT BENCH";
    RegisterClass(&wc);
    window = CreateWindowEx(0, "PAINT BENCH", "BENCH", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width + 1,
                            kClientHeight, nullptr, nullptr, nullptr, nullptr);
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MoveWindow(window, 0, 0, (outer.right - outer.left) + (width + 1 - client.right),
               (outer.bottom - outer.top) + (kClientHeight - client.bottom), FALSE);
    Paint();
  }
  ~Scene() {
    DestroyWindow(window);
    UnregisterClass("PAINT BENCH", nullptr);
    DisplayPaintBuffersFree();
    for (int c = 0; c < kChannels; ++c) FFree1Dim(&Dsp.Fl_Pt[0][c]);
    for (HPEN& pen : Dsp.Pen) {
      if (pen) DeleteObject(pen);
      pen = nullptr;
    }
    DeleteObject(Dsp.Brush[0]);
    Dsp.Brush[0] = nullptr;
    FFree1Dim(&Win.PM_DrawAry);
    FFree1Dim(&Win.PM_DrawAry_Sum);
    for (float*& rows : Win.P_DrawAry) FFree1Dim(&rows);
  }
  void Paint() const {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }
  HWND window = nullptr;
};

// The plain repaint: buffers made once, the same pixels as the program's paint.
struct PlainPaint {
  explicit PlainPaint(int width) : w(width + 1), back(static_cast<size_t>(w) * kClientHeight),
                                    screen(back.size()), rows(static_cast<size_t>(width)), plotWidth(width) {}
  void Run() {
    std::fill(back.begin(), back.end(), kBackground);
    const int x = plotWidth / 2, y = kClientHeight / 2, hw = 10;
    PlainLine(back.data(), w, x - hw, y, x + hw, y, kForeground);
    PlainLine(back.data(), w, x, y - 10, x, y + 10, kForeground);
    const double s = -static_cast<double>(kPlotHeight);
    for (int c = 0; c < kChannels; ++c) {
      const float* values = Dsp.Fl_Pt[0][c];
      for (int i = 0; i < plotWidth; ++i) {
        const double row = kBottom + s * values[i];
        rows[static_cast<size_t>(i)] = row >= kBottom ? kBottom : row <= kTop ? kTop : static_cast<int>(row);
      }
      for (int i = 1; i < plotWidth; ++i)
        PlainLine(back.data(), w, i - 1, rows[static_cast<size_t>(i - 1)], i, rows[static_cast<size_t>(i)],
                  ChannelPixel(c));
    }
    std::memcpy(screen.data(), back.data(), back.size() * sizeof(uint32_t));
  }
  int w;
  std::vector<uint32_t> back, screen;
  std::vector<int> rows;
  int plotWidth;
};

void BM_PaintNineChannels(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  Scene scene(width);
  if (Win.Page_Width != width || Win.Shown_Count != kChannels || Win.Page_Height != kPlotHeight) {
    state.SkipWithError("unexpected plot geometry");
    return;
  }
  for (auto _ : state) {
    scene.Paint();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kChannels * width);
}
BENCHMARK(BM_PaintNineChannels)
    ->Arg(800)
    ->Arg(3000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(qvbench::kRepetitions)
    ->ReportAggregatesOnly(true);

void BM_PlainRepaintReference(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  Scene scene(width);
  PlainPaint plain(width);
  for (auto _ : state) {
    plain.Run();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kChannels * width);
}
BENCHMARK(BM_PlainRepaintReference)
    ->Arg(800)
    ->Arg(3000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(qvbench::kRepetitions)
    ->ReportAggregatesOnly(true);

// Whether the window shows the plain repaint's pixels.
bool SamePixels(int width) {
  Scene scene(width);
  PlainPaint plain(width);
  plain.Run();
  HDC dc = GetDC(scene.window);
  cairo_surface_t* surface = platform::SurfaceOfDC(dc);
  bool same = surface != nullptr && cairo_image_surface_get_width(surface) == plain.w &&
              cairo_image_surface_get_height(surface) == kClientHeight;
  if (same) {
    cairo_surface_flush(surface);
    const int stride = cairo_image_surface_get_stride(surface) / 4;
    const uint32_t* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
    for (int y = 0; y < kClientHeight && same; ++y)
      for (int x = 0; x < plain.w; ++x)
        if ((data[y * stride + x] & 0xFFFFFFu) != (plain.screen[static_cast<size_t>(y) * plain.w + x] & 0xFFFFFFu)) {
          same = false;
          break;
        }
  }
  ReleaseDC(scene.window, dc);
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;
  for (const char* n : {"800", "3000", "20000"}) {
    reporter.PrintRatio(std::string("repaint / plain repaint, ") + n + " px", std::string("BM_PaintNineChannels/") + n,
                        std::string("BM_PlainRepaintReference/") + n, true, 1.3);
  }
  std::printf("same pixels: %s %s %s\n", SamePixels(800) ? "yes" : "NO", SamePixels(3000) ? "yes" : "NO",
              SamePixels(20000) ? "yes" : "NO");
  return 0;
}
