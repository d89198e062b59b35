// The fit record: state of the line-shape and other non-linear fits, per simulation
// set. Only the fields in use so far are here; the fitting subsystem adds its own.
#pragma once

#include <cstdint>

#include "records/RecordAtomic.h"

constexpr int LSF_MAX_SETS = 30;

struct LsfRecord {
  // Run flag per set: 1 while a fit of that set may run; the interface thread sets
  // it to 0 to stop the fit, which tests it before every model evaluation.
  RecordAtomic<uint32_t> Run_Flag[LSF_MAX_SETS] = {};
};

extern LsfRecord Lsf;
