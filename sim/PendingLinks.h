// Calls of the simulation sets into parts built elsewhere: the HITRAN line calculation,
// the combination-difference fix sets and the torsional-barrier calculation.
// sim/PendingLinks.cpp holds weak stand-ins that the owners' definitions replace when
// they are linked in.
#pragma once

#include <cstdint>

#include "records/Sim.h"

struct LineShapeRec;

// Applies the fix set's fixed flag: 1 shifts its members, otherwise restores them.
// Returns 1. Stand-in: 1 (no fix set can exist before its owner is linked).
int32_t CombDiffFixRestore(int16_t set, int32_t fixSet);
// Initial values and a fresh run of the torsional-barrier calculation of a set.
// Stand-ins: 0 (nothing calculated).
int32_t W36InitValue(int16_t set, int32_t frame, SimRecord* sim, int32_t mode);
int32_t W36DevRun(int16_t set, int32_t frame, SimRecord* sim);
// HITRAN line calculation: with the record's Mode 1 and Sub 0 fills the f64 half
// profiles of its set and view level; with Mode 0 and Sub 1 puts the line's value at
// Offset into element 0 of the set's level-3 upper f64 half profile. Non-zero on
// success. Stand-in: 0 (nothing calculated).
int32_t SimHTLineCalc(int32_t mode, LineShapeRec* rec);
