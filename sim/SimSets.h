// Operations on a simulation set as a whole: freeing its line data, saving every
// modified set before the working file is left, keeping its lines in ascending
// frequency order, the question before modified assignments are dropped, and the
// assignment statistics.
#pragma once

#include <cstdint>

#include "records/Sim.h"

// Empties the set's line data and the flags that describe it; names, labels, display
// settings and rotor constants stay. report 1 writes "RESOURCES FREED" to status part 3
// for a named set. Returns 1.
int32_t SimFIFreeQVS(int16_t set, SimRecord* sim, int32_t report);
// Offers to save the modified assignment files and simulations of all nine sets.
// 0 when the user chose to return to the program or a simulation could not be
// written (it stays modified in memory), else 1.
int32_t SimFIUpdateQVS();
// Sorts the set's lines by simulated frequency, every parallel array and the
// quadrupole assignments with them. 1, or 0 when the sort index cannot be made (the
// order is then unchanged).
int32_t SimFISort(int16_t set, SimRecord* sim);
// Asks what to do with modified quadrupole and JKK assignments before a reload;
// 0 when the set must not be reloaded, else 1.
int32_t SimFIAsnModStat(int16_t set);
// The quadrupole half of SimFIAsnModStat: offers to save the set's modified quadrupole
// assignments and clears their modified flag. Called while the set still holds the
// lines the assignments are written by, so before anything frees them.
void SimFIQuadAsnModStat(int16_t set);
// mode 0: counts the assigned lines and their RMS of observed minus calculated and
// marks the assignments modified. mode 1: clears the assignments (ask 0: only after
// "OVERWRITE" when they are modified; ask 1: after "CLEAR JKK ASNs IN MEMORY").
// 1, or 0 when the user declined in mode 1.
int32_t SimFIAsnCalc(int16_t set, int32_t mode, int32_t ask);
// Whether name can become the set's simulation file name, which the working file
// holds; otherwise a "Warning" headed by the set says why, naming the name kept, or,
// for a name longer than the field, "FILE NAME [name] TOO LONG".
bool SimNameAccepted(int16_t set, const char* name);
