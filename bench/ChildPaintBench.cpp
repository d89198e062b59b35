// A repaint of a time window over 1,000,000 points already read (1,000 points per
// pixel on a 1,000-column plot: background, frame, resampling of the page, the
// polyline and the copy to the window) beside plain code doing the same work at its
// best: the background filled into a kept buffer, the frame and the trace drawn by a
// plain line loop, the page resampled by a natural cubic spline through its points
// (the textbook sweep for unit spacing) at the column positions, and the buffer copied
// to one the size of the window; the columns are checked against the repaint's.
// Medians of interleaved repetitions and their ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchMedians.h"
#include "bench/PlainLine.h"
#include "core/TypedArrays.h"
#include "display/ChildWindows.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Sync.h"
#include "platform/windows/Window.h"
#include "records/Cnl.h"
#include "records/Dsp.h"
#include "records/Locks.h"
#include "records/Win.h"

namespace {

constexpr uint32_t kPoints = 1000000;
constexpr int32_t kColumns = 1000;
constexpr int32_t kPerPixel = 1000;

double Value(uint32_t i) { return std::sin(i * 1e-4) + 0.1 * std::sin(i * 0.37); }

struct Scene {
  Scene() {
    Win = WinRecord{};
    Dsp = DspRecord{};
    Cnl = CnlRecord{};
    if (!ChildDataLock.state) InitializeCriticalSection(&ChildDataLock);
    FAlloc1Dim(&Win.CM_DrawAry1, WIN_DRAW_PTS);
    DAlloc1Dim(&Cnl.Y_Draw_DAry1[0][0], kPoints);
    for (uint32_t i = 0; i < kPoints; ++i) Cnl.Y_Draw_DAry1[0][0][i] = Value(i);
    Cnl.Pt_Cnt[0][0] = kPoints;
    Cnl.Time_Stat[0][0] = 1;
    Cnl.Y_Min[0][0][0] = -1.1;
    Cnl.Y_Max[0][0][0] = 1.1;
    Cnl.Fix_Ofs[0][0][0] = 200.0;
    Win.Child_PtsPerPxl[0][0] = kPerPixel;
    // A client area of 1,001 x 400 pixels: the sizing frame takes 8 across, 36 down.
    Win.Child_W[0][0] = kColumns + 1 + 8;
    Win.Child_H[0][0] = 400 + 36;
    ChildWindowOpenClose(1, 0, 0);
    window = Win.hWnd_Child[0][0];
  }
  ~Scene() {
    ChildWindowOpenClose(0, 0, 0);
    DFree1Dim(&Cnl.Y_Draw_DAry1[0][0]);
    FFree1Dim(&Win.CM_DrawAry1);
  }
  HWND window = nullptr;
};

void BM_TimeWindowRepaint(benchmark::State& state) {
  Scene scene;
  if (!scene.window || Win.Child_PlotW[0][0] != kColumns) {
    state.SkipWithError("unexpected plot geometry");
    return;
  }
  for (auto _ : state) {
    InvalidateRect(scene.window, nullptr, FALSE);
    UpdateWindow(scene.window);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

// The plain repaint: buffers kept, the same work.
struct PlainChild {
  int w = kColumns + 1, h = 400;
  std::vector<double> values, y2;
  std::vector<float> columns = std::vector<float>(kColumns);
  std::vector<uint32_t> back, screen;
  PlainChild() : values(kPoints), y2(kPoints), back(static_cast<size_t>(w) * h), screen(back.size()) {
    for (uint32_t i = 0; i < kPoints; ++i) values[i] = Value(i);
  }
  // The natural spline's second derivatives through values (unit spacing), then its
  // value at every column's position k * kPerPixel.
  void Resample() {
    const size_t n = values.size();
    double* u = y2.data();  // the sweep's factors, overwritten by the second derivatives
    std::vector<double>& y = values;
    u[0] = 0.0;
    double prev = 0.0;  // the elimination factor of the knot before
    std::vector<double>& factor = factors;
    factor.resize(n);
    factor[0] = 0.0;
    for (size_t i = 1; i + 1 < n; ++i) {
      const double p = 0.5 * prev + 2.0;
      prev = factor[i] = -0.5 / p;
      u[i] = (3.0 * (y[i + 1] - 2.0 * y[i] + y[i - 1]) - 0.5 * u[i - 1]) / p;
    }
    y2[n - 1] = 0.0;
    for (size_t k = n - 1; k-- > 0;) y2[k] = factor[k] * y2[k + 1] + u[k];
    for (int32_t c = 0; c < kColumns; ++c) {
      const double t = static_cast<double>(c) * kPerPixel;
      const size_t i = std::min(static_cast<size_t>(t), n - 2);
      const double b = t - static_cast<double>(i), a = 1.0 - b;
      columns[static_cast<size_t>(c)] = static_cast<float>(a * y[i] + b * y[i + 1] +
                                                           ((a * a * a - a) * y2[i] + (b * b * b - b) * y2[i + 1]) / 6.0);
    }
  }
  void Run() {
    std::fill(back.begin(), back.end(), 0xFFC0C0C0u);
    const int top = 30, bottom = h - 1;
    PlainLine(back.data(), w, 0, top, kColumns, top, 0xFF000000u);
    PlainLine(back.data(), w, kColumns, top, kColumns, bottom, 0xFF000000u);
    PlainLine(back.data(), w, kColumns, bottom, 0, bottom, 0xFF000000u);
    PlainLine(back.data(), w, 0, bottom, 0, top, 0xFF000000u);
    Resample();
    const double s = -300.0 / 2.2;
    int previous = 0;
    for (int32_t i = 0; i < kColumns; ++i) {
      const int row = std::clamp(top + static_cast<int>(s * columns[static_cast<size_t>(i)] + 200.0), top, bottom);
      if (i > 0) PlainLine(back.data(), w, i - 1, previous, i, row, 0xFF0000FFu);
      previous = row;
    }
    std::memcpy(screen.data(), back.data(), back.size() * sizeof(uint32_t));
  }
  std::vector<double> factors;
};

void BM_PlainRepaintReference(benchmark::State& state) {
  PlainChild plain;
  for (auto _ : state) {
    plain.Run();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

}  // namespace

int main(int argc, char** argv) {
  for (auto* b : {benchmark::RegisterBenchmark("BM_TimeWindowRepaint", BM_TimeWindowRepaint),
                  benchmark::RegisterBenchmark("BM_PlainRepaintReference", BM_PlainRepaintReference)})
    b->Unit(benchmark::kMillisecond)->Repetitions(qvbench::kRepetitions)->ReportAggregatesOnly(true);
  qvbench::MedianReporter reporter;
  if (!qvbench::RunWithMedians(&argc, argv, &reporter)) return 1;
  // The repaint's columns against the plain spline's.
  double largest = -1.0;
  {
    Scene scene;
    if (scene.window) {
      InvalidateRect(scene.window, nullptr, FALSE);
      UpdateWindow(scene.window);
      PlainChild plain;
      plain.Resample();
      largest = 0.0;
      for (int32_t i = 0; i < kColumns; ++i)
        largest = std::max(largest, static_cast<double>(std::fabs(plain.columns[static_cast<size_t>(i)] - Win.CM_DrawAry1[i])));
    }
  }
  std::printf("columns, largest difference to the plain spline's: %.3g (bar 1e-6: %s)\n", largest,
              largest >= 0.0 && largest <= 1e-6 ? "kept" : "MISSED");
  reporter.PrintRatio("repaint / plain repaint", "BM_TimeWindowRepaint", "BM_PlainRepaintReference", true, 1.2);
  return 0;
}
