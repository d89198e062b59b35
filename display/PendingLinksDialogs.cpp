// Weak stand-ins for the transform dialog and the child windows (see
// PendingLinksDialogs.h). Each reports that nothing is open and changes no record;
// the owners' definitions replace them when they are linked in.
#include "display/PendingLinksDialogs.h"

__attribute__((weak)) uint32_t FftTransformDialogCreate(int16_t, uint32_t, HWND) { return 0; }

__attribute__((weak)) int32_t ChildWindowOpenClose(int16_t, int16_t, int16_t) { return 0; }
