// Calls of the simulation sets into parts built elsewhere: the combination-difference
// fix sets, the rotor program's outputs and the HITRAN sums.
// sim/PendingLinks.cpp holds weak stand-ins that the owners' definitions replace when
// they are linked in.
#pragma once

#include <cstdint>

#include "records/Sim.h"

// Applies the fix set's fixed flag: 1 shifts its members, otherwise restores them.
// Returns 1. Stand-in: 1 (no fix set can exist before its owner is linked).
int32_t CombDiffFixRestore(int16_t set, int32_t fixSet);
// The rotor program's output files renamed to the set's simulation name. Stand-in: 0
// (nothing renamed; RD ORV then reverts the name to "NoName").
int32_t OrvOutputRename(int16_t set);
// Converts the summed HITRAN sets into a simulation file; 1 on success. Stand-in:
// "OPTION NOT CURRENTLY AVAILABLE" in the status bar and 0.
int32_t SimHT2QVSSum(int16_t set);
