// Weak stand-ins for the parts that painting calls before they are built (see
// PendingLinks.h). Every definition here is replaced by the real one when that part
// is linked in; none of them changes a record.
//
// Stand-in: SimFIPlot (renderer of simulation sets). The dialog creators are the
// simulation sets' own (sim/SimModeless.cpp).
#include "display/PendingLinks.h"

#include "platform/windows/Window.h"
#include "records/Sim.h"

__attribute__((weak)) int32_t SimFIPlot(HDC, int16_t, int16_t, int16_t, int32_t, int32_t, int32_t, int16_t,
                                        int16_t) {
  return 0;
}
