// Weak stand-ins for the models that the simulation sets call before they are built
// (see PendingLinks.h).
#include "sim/PendingLinks.h"

__attribute__((weak)) int32_t SimHTLineCalc(int32_t, LineShapeRec*) { return 0; }
