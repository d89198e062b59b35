// The renderer of simulation sets: one set's simulated values for a run of points of
// one view level into Win.PM_DrawAry, and on a drawing call its sticks, labels and the
// markers of the selected line.
#pragma once

#include <cstdint>

#include "platform/gdi/Gdi.h"

// hdc: target of sticks, labels and markers (null for compute only); paint 0 compute
// only, 2 screen, 3 printer page; first and count: the run in the view's point scale;
// baseline 1 adds the sine or chirp baseline; childChn, childView: the child window
// whose y mapping applies when hdc is a child's context. Fills PM_DrawAry[0..count-1]
// (count at most 20,000) and sets Sim.FI_IDX_BEG/END. 1 when rendered, 0 on failure.
// The whole call holds SimPlotLock.
int32_t SimFIPlot(HDC hdc, int16_t paint, int16_t set, int16_t view, int32_t first, int32_t count,
                  int32_t baseline, int16_t childChn, int16_t childView);
