// Work arrays of the Levenberg-Marquardt step, one slot per fit process (0..29), kept
// between the calls of one fit so that concurrent fits never share storage.
#pragma once

#include <cstdint>

constexpr int MRQ_MAX_PROCS = 30;

struct MrqSlot {
  int32_t ma = 0;    // sizes the arrays were made for
  int32_t mfit = 0;
  double* atry = nullptr;    // [1..ma] trial parameters
  double* beta = nullptr;    // [1..ma] gradient
  double* da = nullptr;      // [1..ma] step
  double** oneda = nullptr;  // [1..mfit][1..1] right-hand side for gaussj
  double* dyda = nullptr;    // [1..ma] model derivatives (mrqcof)
  int32_t dydaSize = 0;
  double ochisq = 0.0;       // chi-square of the last accepted parameters
  bool started = false;      // a start call (alamda < 0) succeeded
};

struct MrqWorkRecord {
  MrqSlot Slot[MRQ_MAX_PROCS];
};

extern MrqWorkRecord MrqWork;
