// The cavity-mode plot of the ring-down fit (child window [9][time]): a table of the
// current fit set's result drawn into the child's memory context, and three curves in
// pixel rows of the child's plot: the fitted decay A exp(-k d) + B over the fit data's
// span (always), its offset B (second curve) and its initial tangent A (1 - k d) + B
// (third curve), each scaled so that the decay fills the plot height.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/Coords.h"
#include "fit/NLLsf.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "records/Sim.h"
#include "records/Win.h"

namespace {

constexpr int16_t kChild = 9;

void Flat(float* out, int32_t columns, float row) {
  if (out)
    for (int32_t i = 0; i < columns; ++i) out[i] = row;
}

}  // namespace

int32_t RdfCavityModePaint(HDC dc, int16_t /*mode*/) {
  const int16_t set = Lsf.Cur_Set >= 0 && Lsf.Cur_Set < LSF_SETS ? Lsf.Cur_Set : 0;
  const int32_t columns = std::clamp<int32_t>(Win.Child_PlotW[kChild][0], 0, WIN_DRAW_PTS);
  const int32_t top = Win.Child_PlotTop[kChild][0];
  const int32_t height = std::max<int32_t>(Win.Child_PlotH[kChild][0], 1);
  const float bottom = static_cast<float>(top + height);
  EnterCriticalSection(&SimPlotLock);
  const bool valid = Lsf.Rdf_Valid[set] == 1;
  const double A = Lsf.Rdf_A[set], k = Lsf.Rdf_K[set], B = Lsf.Rdf_B[set];
  LeaveCriticalSection(&SimPlotLock);

  std::string rows[5];
  rows[0] = StrPrintf("RINGDOWN [%s] %s", Sim.Set_Lbl[set], valid ? "" : "NO FIT");
  if (valid) {
    rows[1] = StrPrintf("A   = %.6le", A);
    rows[2] = StrPrintf("K   = %.6le", k);
    rows[3] = StrPrintf("B   = %.6le", B);
    rows[4] = k != 0.0 ? StrPrintf("TAU = %.6le", 1.0 / k) : std::string("TAU = -");
  }
  if (dc) {
    SetBkMode(dc, TRANSPARENT);
    for (int r = 0; r < 5; ++r)
      if (!rows[r].empty()) TextOut(dc, 8, top + 4 + 14 * r, rows[r].c_str(), static_cast<int>(rows[r].size()));
  }
  if (!valid || columns < 1) {
    Flat(Win.CM_DrawAry1, columns, bottom);
    Flat(Win.CM_DrawAry2, columns, bottom);
    Flat(Win.CM_DrawAry3, columns, bottom);
    return valid ? 1 : 0;
  }
  // The span of the fit data; without one, five decay times.
  const int32_t count = Lsf.Fit_PtCnt[set];
  double span = count > 1 ? DisplayPixelToFreqAt(3, Lsf.Fit_PtFirst[set], count - 1) -
                                DisplayPixelToFreqAt(3, Lsf.Fit_PtFirst[set], 0)
                          : 0.0;
  if (!(span > 0.0)) span = k > 0.0 ? 5.0 / k : 1.0;
  const double lo = std::min(B, A + B), hi = std::max(B, A + B);
  const double range = hi > lo ? hi - lo : 1.0;
  auto row = [&](double v) {
    const double r = top + height - (v - lo) / range * height;
    return static_cast<float>(std::clamp<double>(r, top, top + height));
  };
  for (int32_t i = 0; i < columns; ++i) {
    const double d = columns > 1 ? span * i / (columns - 1) : 0.0;
    if (Win.CM_DrawAry1) Win.CM_DrawAry1[i] = row(A * std::exp(-k * d) + B);
    if (Lsf.CM_Curve1 == 1 && Win.CM_DrawAry2) Win.CM_DrawAry2[i] = row(B);
    if (Lsf.CM_Curve2 == 1 && Win.CM_DrawAry3) Win.CM_DrawAry3[i] = row(A * (1.0 - k * d) + B);
  }
  return 1;
}
