// The program's critical sections, created once at start-up (in this order: the
// spare section of the main-window record, ChildDataLock, the spare section beside
// the simulation record, SimPlotLock, SimReadLock) and never deleted.
#pragma once

#include <mutex>

#include "platform/kernel/Sync.h"

extern CRITICAL_SECTION WinSpareLock;   // created with the others, never entered
extern CRITICAL_SECTION ChildDataLock;  // held while a child window's data arrays are refilled
extern CRITICAL_SECTION SimSpareLock;   // created with the others, never entered
extern CRITICAL_SECTION SimPlotLock;    // held for the whole rendering of simulation sets
extern CRITICAL_SECTION SimReadLock;    // held around reading a simulation file into Sim

// Guards the view arrays Dsp.Fl_Pt with their lengths Dsp.Fl_Pt_Len: the view thread
// swaps finished arrays in under it, page reading copies a page under it. Held only
// for a swap or a copy, never across a wait, a message or a file operation, so it is
// a plain mutex that needs no creation at start-up.
extern std::mutex ViewAryLock;

// Held while the operation sequence takes its copy of the conversion record and hands
// its changes back to the shared record, and while the FILE CONVERSION dialog refreshes
// from and stores its fields into it. Never held across a wait for another thread;
// recursive, so a hand-over that the dialog's thread services inside its own refresh
// cannot lock it out.
extern std::recursive_mutex CnvPublishLock;
