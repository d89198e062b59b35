// The state of one SimFIPlot call, shared by the renderer's sources.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace sim {

struct PlotCall {
  HDC dc = nullptr;
  int16_t paint = 0;
  int16_t set = 0;
  int16_t view = 0;
  int32_t first = 0;
  int32_t count = 0;
  int32_t baseline = 0;
  int16_t childChn = 9;
  int16_t childView = 0;
  bool draw = false;    // sticks, labels and markers go to dc
  float* out = nullptr;  // PM_DrawAry
  // Device mapping: x = MX pixel + BX, y = MY value + BY; OFS = scalar x offset.
  double MX = 1.0, BX = 0.0, MY = 0.0, BY = 0.0, OFS = 0.0;
  int32_t charH = 0, charW = 0;
  double p = 1.0;  // points per pixel of the view
  // The set's channel (Sim.Dsp_Cnl) and its points per pixel over the view's: the set
  // is drawn on the frequency scale of the channel it is associated with.
  int16_t scaleChn = 9;
  double scale = 1.0;
  double frqBeg = 0.0, frqEnd = 0.0;
  int16_t powChn = -1;  // channel of the power-normalisation file, -1 none
  HGDIOBJ oldPen = nullptr;   // the context's pen and text colour before the call,
  COLORREF oldText = 0;       // given back at its end
  // The line shape laid out from its far left to its far right, as added into the
  // run; built from the store `shapeOf` names and built again once a line has
  // rebuilt that store (shapeStale).
  std::vector<double> shape;
  const void* shapeOf = nullptr;
  bool shapeStale = true;
};

// Frequency of point i of the run and the run point of frequency f, and the frequency
// of run column `point` (all on the set's channel scale).
double RunFreq(const PlotCall& c, int32_t i);
int32_t RunPoint(const PlotCall& c, double f);
double RunColumnFreq(const PlotCall& c, int32_t point);

// A device coordinate of a mapped value: held within +-2^30, far outside any surface
// with room left for the text offsets, so that values of a damaged set never leave the
// 32-bit range; NaN gives 0.
int32_t DeviceCoord(double v);

// Label position of a line of height H at run point `point` and frequency f (nrm the
// peak factor): its column, the row of its top and the baseline row.
struct LabelRows {
  int32_t x = 0, top = 0, base = 0;
};
LabelRows Rows(const PlotCall& c, int32_t point, double f, double H, double nrm);
inline bool InRun(const PlotCall& c, int32_t point) { return point >= 0 && point < c.count; }

// Per-line work (SimPlotLines.cpp). false ends the call with 0.
bool PlotHitranConstants(PlotCall& c, double* K);
bool PlotJkkLine(PlotCall& c, int32_t line, double f);
bool PlotQuadLine(PlotCall& c, int32_t line);
bool PlotHitranLine(PlotCall& c, int32_t line, double f, double K);
bool PlotVibComponents(PlotCall& c);
void PlotHitranAfter(PlotCall& c);
void TrackQnWindow(const PlotCall& c, int32_t line, double f, bool quad);

// Baselines and overlays, the QN list and the markers (SimPlotOverlay.cpp).
void PlotOverlays(PlotCall& c);
// 0 failure, 1 done (also the early success returns).
int32_t PlotQnListAndMarkers(PlotCall& c);
// Whether the line passes the set's JKK filters.
bool JkkFilterPass(int16_t set, int32_t line);

}  // namespace sim
