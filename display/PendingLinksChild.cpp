// Weak stand-ins for the calls of the child windows into parts that are not linked
// in yet (see PendingLinksChild.h). The owners' definitions replace them at link time.
//
//   RdfCavityModePaint  draws nothing: 0.
#include "display/PendingLinksChild.h"

__attribute__((weak)) int32_t RdfCavityModePaint(HDC, int16_t) { return 0; }
