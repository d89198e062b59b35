// Calls of the child windows into parts that later work builds: the cavity-mode
// plot of the ring-down fit. The declarations are the ones the owners use;
// display/PendingLinksChild.cpp holds weak stand-ins that the owners' definitions
// replace at link time.
#pragma once

#include <cstdint>

#include "platform/gdi/Gdi.h"
#include "platform/kernel/WinTypes.h"

// Draws the ring-down cavity-mode table and labels into dc and leaves the mode curves,
// in pixel rows, in Win.CM_DrawAry1 (and the second and third child curve arrays).
int32_t RdfCavityModePaint(HDC dc, int16_t mode);
