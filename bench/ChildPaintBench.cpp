// A repaint of a time window over 1,000,000 points already read (1,000 points per
// pixel on a 1,000-column plot: background, frame, resampling of the page, the
// polyline, the crosshair and the copy to the window) beside the same resampling with
// ResizeFileAry and a Polyline of the same columns on a memory context of the same
// size. Medians of five repetitions and their ratio are printed at the end.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/TypedArrays.h"
#include "display/ChildWindows.h"
#include "fileproc/xcorr/ArrayStats.h"
#include "fileproc/xcorr/Resample.h"
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
BENCHMARK(BM_TimeWindowRepaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ResizeAndPolylineReference(benchmark::State& state) {
  std::vector<double> values(kPoints);
  for (uint32_t i = 0; i < kPoints; ++i) values[i] = Value(i);
  std::vector<float> columns(kColumns);
  std::vector<POINT> line(kColumns);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kColumns + 1, 400);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const double s = -300.0 / 2.2;
  for (auto _ : state) {
    float* out = columns.data();
    ResizeFileAry(29, 0, nullptr, nullptr, 0, kColumns * kPerPixel, kColumns, 1.0, kPerPixel, nullptr, values.data(),
                  &out, 1.0, 0);
    for (int32_t i = 0; i < kColumns; ++i) line[i] = POINT{i, 30 + static_cast<int32_t>(s * out[i] + 200.0)};
    Polyline(dc, line.data(), kColumns);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
BENCHMARK(BM_ResizeAndPolylineReference)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Keeps the medians to print their ratio after the run.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.aggregate_name == "median") medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto repaint = reporter.medians.find("BM_TimeWindowRepaint");
  const auto reference = reporter.medians.find("BM_ResizeAndPolylineReference");
  if (repaint != reporter.medians.end() && reference != reporter.medians.end() && reference->second > 0.0)
    std::printf("median ratio repaint / reference: %.3f\n", repaint->second / reference->second);
  benchmark::Shutdown();
  return 0;
}
