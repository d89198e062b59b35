// Work buffers of the spline resampling, one set per parameter slot (0..29), kept
// between calls so that a resize with unchanged sizes allocates nothing, and so that
// pool workers resizing in their own slots never share storage.
#pragma once

#include <vector>

#include "records/Cnv.h"

struct ResizeSlot {
  // Knots of the spline, used from index 1: abscissae, ordinates, second derivatives.
  std::vector<double> frq;
  std::vector<double> itn;
  std::vector<double> frq2itn;
  // File mode: the values written to the output file.
  std::vector<float> out;
};

struct ResizeWorkRecord {
  ResizeSlot Slot[CNV_SLOTS];
};

extern ResizeWorkRecord ResizeWork;
