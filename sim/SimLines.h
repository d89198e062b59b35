// Upkeep of a set's line list without a file read: line frequencies recomputed from
// the stored derivatives, the set (or the sum of the marked sets) written as a
// spectrum of 32-bit floats, experimental assignments read from the rotor program's
// assignment file, and one line appended or deleted with every per-line array kept
// in step.
#pragma once

#include <cstdint>

#include "records/Sim.h"

// Frequency of every line = band origin + derivatives . active constants (slot 22,
// the origin, excluded; a Stark set's dipole slots 6..8 scaled by the field), then
// the lines sorted. 1 when recomputed and sorted, else 0.
int32_t SimFIDerRun(int16_t set, SimRecord* sim);

// Writes the set (or, when it is in the sum, the sum of the marked sets) as a
// headerless float spectrum as long as its channel; addBaseline goes to the renderer.
// columnChn 0..8 is the channel a text output writes the spectrum beside as a column:
// the spectrum then covers that channel's points (a channel without points is refused);
// negative: the set's associated channel, else the active one. The file is replaced
// only after every write and the close succeeded. 1 when written, 0 otherwise (the old
// file then stays).
int32_t SimFIWriteBin(const char* file, int16_t set, int32_t addBaseline, int16_t columnChn = -1);

// Reads the experimental frequencies and uncertainties of the rotor program's
// assignment file into the matching lines of the set. 1 when read, 0 otherwise.
int32_t SimFIAsnRead(int16_t set, SimRecord* sim);

// resize 1, add 1: appends one line (frequency and intensity 0, for the caller to set);
// resize 1, add 0: brings every per-line array to FI_Lines entries; resize 0: deletes
// the line at the selected position of the quantum-number list. 1, or 0 on failure.
int32_t SimFIAddDelLineQVS(int32_t resize, int32_t add, int16_t set, SimRecord* sim, int32_t report);
