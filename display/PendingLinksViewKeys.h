// Calls of the view commands into the simulation dialogs and the assignment work of
// the simulation sets (defined in sim/: SimControlDialog.cpp, SimModeless.cpp and
// SimAsnKeys.cpp).
#pragma once

#include <cstdint>

#include "display/PendingLinks.h"  // SimJkkQNDialogShow, SimQuadQNDialogShow
#include "platform/windows/Window.h"

// Shows (1) or hides (0) the simulation control dialog; the requested state, 0 when
// the dialog cannot be made. Callers store the result in Sim.Ctl_Shown.
int32_t SimControlDialogShow(uint32_t show, HWND parent);
// Opens or closes the sub-dialogs of a set from their request flags; repaint 1
// repaints the main window after a change. Returns 1.
int32_t SimModelessDialogUpdate(int16_t set, int32_t repaint);
// Shows or hides the JKK QN dialog of a set; the requested state (0 when hidden).
uint32_t SimJkkQNDialogShow(int16_t set, uint32_t show, HWND parent);
// Shows or hides the quadrupole QN dialog of a set; the requested state.
uint32_t SimQuadQNDialogShow(int16_t set, uint32_t show, HWND parent);

// Assignment keys on a set with lines. Each returns 1 when it changed the set's
// assignments or line list (after writing its own status text to part 0 of the main
// status bar), 0 when there was no candidate to act on.
// Space: the selection moves to the next entry of the set's candidate list.
int32_t ViewKeySimSelectNext(int16_t set);
// 'k': the selected line (or quadrupole component) is assigned at frequency fa, or in
// hand-edit mode a line is added there.
int32_t ViewKeySimAssign(int16_t set, double fa);
// 'K': the assignment of the selected line is removed, or in hand-edit mode the line
// is deleted.
int32_t ViewKeySimUnassign(int16_t set);
