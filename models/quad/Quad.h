// First-order quadrupole hyperfine components of a line and their assignments, at
// their least: a line is one component at its own frequency with relative intensity 1
// (F' = F'' = 0) until the hyperfine model is built.
#pragma once

#include <cstdint>

struct SimRecord;
struct QuadRecord;

// The components of one line of the set into the component arrays of q. 1, or 0 after
// the "Error" box when the arrays cannot grow (or the line does not exist).
int32_t QuadCalc(int16_t set, int32_t line, SimRecord* sim, QuadRecord* q);
// Sets the component's assigned frequency to 0 and uncertainty to 1e30, then takes
// both from the set's assignment entry of this line and the component's F' and F''.
// 1 when found, else 0.
int32_t QuadAsnFind(int16_t set, int32_t line, int32_t component, QuadRecord* q);
// Releases the component and list arrays of the set (tests, end of the program).
void QuadComponentsFree(int16_t set, QuadRecord* q);
