// Drawing and instance handles as the records hold them: the platform's own types.
#pragma once

#include "platform/kernel/CommandLine.h"  // HINSTANCE
#include "platform/gdi/Gdi.h"          // HDC, HPEN, HBRUSH, HBITMAP
