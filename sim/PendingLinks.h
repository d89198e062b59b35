// Calls of the simulation sets into parts built elsewhere: the HITRAN line calculation
// and the torsional-barrier calculation.
// sim/PendingLinks.cpp holds weak stand-ins that the owners' definitions replace when
// they are linked in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/Sim.h"

struct LineShapeRec;

// Initial values and a fresh run of the torsional-barrier calculation of a set.
// Stand-ins: 0 (nothing calculated).
int32_t W36InitValue(int16_t set, int32_t frame, SimRecord* sim, int32_t mode);
int32_t W36DevRun(int16_t set, int32_t frame, SimRecord* sim);
// HITRAN line calculation: with the record's Mode 1 and Sub 0 fills the f64 half
// profiles of its set and view level; with Mode 0 and Sub 1 puts the line's value at
// Offset into element 0 of the set's level-3 upper f64 half profile. Non-zero on
// success. Stand-in: 0 (nothing calculated).
int32_t SimHTLineCalc(int32_t mode, LineShapeRec* rec);
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
