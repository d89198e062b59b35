// Weak stand-ins for the calls of the child windows into parts that are not linked
// in yet (see PendingLinksChild.h). The owners' definitions replace them at link time.
//
//   AllanVarDev          not available: 0.  RdfCavityModePaint  draws nothing: 0.
#include "display/PendingLinksChild.h"

__attribute__((weak)) int32_t AllanVarDev(double*, uint32_t, int16_t, int16_t) { return 0; }

__attribute__((weak)) int32_t RdfCavityModePaint(HDC, int16_t) { return 0; }
