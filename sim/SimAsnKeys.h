// The assignment keys of the view on a set with lines (the view keys reach them through
// the display's hooks). Each returns 1 when it changed the set's assignments or line
// list (after writing its own status text to part 0 of the main status bar), 0 when
// there was no candidate to act on.
#pragma once

#include <cstdint>

// Space: the selection moves to the next entry of the set's candidate list.
int32_t ViewKeySimSelectNext(int16_t set);
// 'k': the selected line (or quadrupole component) is assigned at frequency fa, or in
// hand-edit mode a line is added there.
int32_t ViewKeySimAssign(int16_t set, double fa);
// 'K': the assignment of the selected line is removed, or in hand-edit mode the line
// is deleted.
int32_t ViewKeySimUnassign(int16_t set);
