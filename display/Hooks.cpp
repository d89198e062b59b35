#include "display/Hooks.h"

DisplayHookTable DisplayHooks;

int32_t DisplaySimPlot(HDC hdc, int16_t paint, int16_t set, int16_t view, int32_t first, int32_t count,
                       int32_t baseline, int16_t childChn, int16_t childView) {
  if (!DisplayHooks.simPlot) return 0;
  return DisplayHooks.simPlot(hdc, paint, set, view, first, count, baseline, childChn, childView);
}
