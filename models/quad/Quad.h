// First-order quadrupole hyperfine components of a line (one coupling nucleus) and
// their assignments.
#pragma once

#include <cstdint>

struct SimRecord;
struct QuadRecord;

// The components of one line of the set into the component arrays of q: F' and F''
// with F' - F'' = 0, +-1, the line frequency + E_Q(J', F') - E_Q(J'', F''), and the
// share of the line's intensity (components below the set's intensity cut left out).
// A line that does not split (spin below 1, all constants 0, a needed derivative by A,
// B or C not active, which the status bar names) is one component F' = J', F'' = J''
// at its own frequency with share 1. 1, or 0 after the "Error" box when the arrays
// cannot grow (or the line does not exist).
int32_t QuadCalc(int16_t set, int32_t line, SimRecord* sim, QuadRecord* q);
// Sets the component's assigned frequency to 0 and uncertainty to 1e30, then takes
// both from the set's assignment entry of this line and the component's F' and F''.
// 1 when found, else 0.
int32_t QuadAsnFind(int16_t set, int32_t line, int32_t component, QuadRecord* q);
// Releases the component and list arrays of the set (tests, end of the program).
void QuadComponentsFree(int16_t set, QuadRecord* q);
// mode 1: adds (or replaces) the assignment entry of the component of the line from
// the component arrays; mode 0: deletes it. 1, or 0 when there was nothing to do or
// the list cannot grow. The caller sets the quadrupole-assignments-modified flag.
int32_t QuadMakeAsn(int16_t set, int32_t mode, int32_t component, int32_t line, QuadRecord* q);
// Centre frequency of a line from its assigned components: the line is split (QuadCalc)
// and every component's assignment looked up (QuadAsnFind); the mean over the assigned
// ones of the assigned frequency minus the component's offset from the line; 0 when
// none is assigned. The component arrays then hold the set's selected line again.
double QuadAsnCtrFrq(int16_t set, int32_t line, QuadRecord* q, SimRecord* sim);
