// Runs of the sibling calculation programs on a simulation set: the rotor program
// (OrvRun, its result renamed by OrvOutputRename) and the genetic-algorithm program
// (GaRun starts GaRunProcessThread). The programs' paths come from the sibling path
// file (ExecResourceFile(1)).
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

// Gives the pending rotor result "<OrvPrm.Res_Flnm>.QVS" (made first from the
// program's family of output files when only those exist) the set's name
// "<Sim.Sim_Flnm>.QVS", with its ".asc" companion when present. Returns the set,
// which the caller reads with SimFIReadQVS; -1 when no result is pending, the output
// is missing or the rename failed (nothing is renamed).
int32_t OrvOutputRename(int16_t set);

// Writes the rotor input file (OrvPrm.In_Flnm; the VESPAR form when the program mode
// is 1) with the set's constants when it holds a rotor result, runs the rotor program
// on it and waits for it at most OrvPrm.Run_Wait_Ms, and marks its result pending.
// Mode 1 then asks whether to read the result into the set now and reads it as RD ORV
// does, refusing a result that the run did not write. A missing program: a "Warning"
// naming its path and nothing changed. 1 when the run finished and, in mode 1, its
// result was read or left pending; 0 otherwise.
int32_t OrvRun(int16_t set, int32_t mode);

// Starts the genetic-algorithm program of set 0 on its input file for simulation set
// `set` in a thread of its own (GaRunProcessThread); the program updates
// "<Sim.Sim_Flnm>.QVS", which the thread then reads into the set. A missing program:
// a "Warning" naming its path. 1 when started, 0 otherwise (also while a run is busy).
int32_t GaRun(int16_t set);
// The run's thread: the program as a process with a bounded wait (Ga.Run_Wait_Ms,
// then it is stopped), then the set read under SimReadLock when the program wrote a
// new result. Leaves its result in Ga.Run_Result and clears Ga.Run_Stat.
DWORD GaRunProcessThread(void* unused);
