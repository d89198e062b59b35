// Drawing and instance handles as the records hold them: the platform's own types.
#pragma once

#include "platform/CommandLine.h"  // HINSTANCE
#include "platform/Gdi.h"          // HDC, HPEN, HBRUSH, HBITMAP
