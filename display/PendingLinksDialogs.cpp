// Weak stand-in for the child windows (see PendingLinksDialogs.h): it reports that
// nothing is open and changes no record; the owner's definition replaces it when it
// is linked in.
#include "display/PendingLinksDialogs.h"

__attribute__((weak)) int32_t ChildWindowOpenClose(int16_t, int16_t, int16_t) { return 0; }
