// Error boxes of the numerical routines: system-modal, captioned "Error" and owned
// by the main window.
#pragma once

#include "platform/kernel/WinTypes.h"

namespace numerics {

constexpr UINT kErrorBoxStyle = 0x1010;

// Shows the formatted text in an "Error" box.
void ErrorBox(const char* fmt, ...) QV_PRINTF(1, 2);

// Shows "<what> - CORE ALLOCATION ERROR", for example what = "svbksb()/tmp".
void AllocErrorBox(const char* what);

}  // namespace numerics
