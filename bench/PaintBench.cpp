// A repaint of the main window with nine channels (pages 3,000 and 20,000 pixels
// wide: background, nine page reads from the view arrays, scaling, nine polylines,
// the crosshair and the copy to the window) beside drawing the same nine polylines
// straight onto a cairo image surface of the same size, antialiasing off.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <vector>

#include "core/TypedArrays.h"
#include "display/Paint.h"
#include "platform/gdi/Gdi.h"
#include "platform/windows/Window.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

constexpr int kChannels = 9;
constexpr int kClientHeight = 603;  // plot height 599 below the 3-row gap

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

// The nine channels as view arrays of level 0, one value per pixel.
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
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }
  ~Scene() {
    DestroyWindow(window);
    UnregisterClass("PAINT BENCH", nullptr);
    for (int c = 0; c < kChannels; ++c) {
      FFree1Dim(&Dsp.Fl_Pt[0][c]);
      DeleteObject(Dsp.Pen[c + 1]);
      Dsp.Pen[c + 1] = nullptr;
    }
    FFree1Dim(&Win.PM_DrawAry);
    FFree1Dim(&Win.PM_DrawAry_Sum);
    for (float*& rows : Win.P_DrawAry) FFree1Dim(&rows);
  }
  HWND window = nullptr;
};

void BM_PaintNineChannels(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  Scene scene(width);
  if (Win.Page_Width != width || Win.Shown_Count != kChannels) {
    state.SkipWithError("unexpected plot geometry");
    return;
  }
  for (auto _ : state) {
    InvalidateRect(scene.window, nullptr, FALSE);
    UpdateWindow(scene.window);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kChannels * width);
}
BENCHMARK(BM_PaintNineChannels)->Arg(3000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_CairoNinePolylinesReference(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = 599;
  const int bottom = 3 + height;
  std::vector<std::vector<int>> rows(kChannels, std::vector<int>(static_cast<size_t>(width)));
  for (int c = 0; c < kChannels; ++c)
    for (int i = 0; i < width; ++i) rows[c][static_cast<size_t>(i)] = static_cast<int>(bottom - height * Value(c, i));
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width + 1, kClientHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  for (auto _ : state) {
    for (int c = 0; c < kChannels; ++c) {
      cairo_set_source_rgb(cr, c / 10.0, 0.0, 1.0 - c / 10.0);
      cairo_move_to(cr, 0.5, rows[c][0] + 0.5);
      for (int i = 1; i < width; ++i) cairo_line_to(cr, i + 0.5, rows[c][static_cast<size_t>(i)] + 0.5);
      cairo_stroke(cr);
    }
    cairo_surface_flush(surface);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kChannels * width);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_CairoNinePolylinesReference)->Arg(3000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
