// Weak stand-in for the transform dialog (see PendingLinksDialogs.h): it reports that
// nothing is open and changes no record; the owner's definition replaces it when it
// is linked in.
#include "display/PendingLinksDialogs.h"

__attribute__((weak)) uint32_t FftTransformDialogCreate(int16_t, uint32_t, HWND) { return 0; }
