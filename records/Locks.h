// The program's critical sections, created once at start-up (in this order: the
// spare section of the main-window record, ChildDataLock, the spare section beside
// the simulation record, SimPlotLock, SimReadLock) and never deleted.
#pragma once

#include "platform/Sync.h"

extern CRITICAL_SECTION WinSpareLock;   // created with the others, never entered
extern CRITICAL_SECTION ChildDataLock;  // held while a child window's data arrays are refilled
extern CRITICAL_SECTION SimSpareLock;   // created with the others, never entered
extern CRITICAL_SECTION SimPlotLock;    // held for the whole rendering of simulation sets
extern CRITICAL_SECTION SimReadLock;    // held around reading a simulation file into Sim
