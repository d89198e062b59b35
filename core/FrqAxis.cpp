#include "core/FrqAxis.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "records/Dsp.h"
#include "records/Win.h"

void DspFrqStpSet(double step) {
  Dsp.Frq_Stp = step;
  Dsp.Pts2Pxl[WIN_RAW] = 1.0;
  for (int v = 0; v <= WIN_RAW; ++v) Dsp.FrqStpView[v] = Dsp.Pts2Pxl[v] * step;
}

double FrqWholeSteps(double span, double step, double magnitude) {
  const double tolerance = std::max(1e-9, 8.0 * DBL_EPSILON * std::fabs(magnitude) / std::fabs(step));
  return std::floor(span / step + tolerance);
}
