#include "core/FrqAxis.h"

#include "records/Dsp.h"
#include "records/Win.h"

void DspFrqStpSet(double step) {
  Dsp.Frq_Stp = step;
  Dsp.Pts2Pxl[WIN_RAW] = 1.0;
  for (int v = 0; v <= WIN_RAW; ++v) Dsp.FrqStpView[v] = Dsp.Pts2Pxl[v] * step;
}
