// Calls of the simulation sets into parts built elsewhere: the partition functions of
// the HITRAN rendering, the combination-difference fix sets and the torsional-barrier
// calculation. sim/PendingLinks.cpp holds weak stand-ins that the owners' definitions
// replace when they are linked in.
#pragma once

#include <cstdint>

#include "records/Sim.h"

// Stores Q(T) of HITRAN molecule 1..25, isotope iso, in *qt and returns 1; 0 for an
// unknown molecule or isotope. Stand-in: 0 (no partition functions yet).
int32_t SimTipsQT(int16_t molecule, double kelvin, int16_t iso, double* qt);
// Applies the fix set's fixed flag: 1 shifts its members, otherwise restores them.
// Returns 1. Stand-in: 1 (no fix set can exist before its owner is linked).
int32_t CombDiffFixRestore(int16_t set, int32_t fixSet);
// Initial values and a fresh run of the torsional-barrier calculation of a set.
// Stand-ins: 0 (nothing calculated).
int32_t W36InitValue(int16_t set, int32_t frame, SimRecord* sim, int32_t mode);
int32_t W36DevRun(int16_t set, int32_t frame, SimRecord* sim);
