// Calls of the simulation sets into parts built elsewhere: the rotor program's outputs
// and the HITRAN sums.
// sim/PendingLinks.cpp holds weak stand-ins that the owners' definitions replace when
// they are linked in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/Sim.h"

// The rotor program's output files renamed to the set's simulation name. Stand-in: 0
// (nothing renamed; RD ORV then reverts the name to "NoName").
int32_t OrvOutputRename(int16_t set);
// Converts the summed HITRAN sets into a simulation file; 1 on success. Stand-in:
// "OPTION NOT CURRENTLY AVAILABLE" in the status bar and 0.
int32_t SimHT2QVSSum(int16_t set);
// Runs the rotor program for the set (mode 1: write its input, run it, read the result
// back after the user's confirmation). Non-zero when a result was read. Stand-in:
// "OPTION NOT CURRENTLY AVAILABLE" in the status bar and 0.
int32_t OrvRun(int16_t set, int32_t mode);
