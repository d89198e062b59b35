// Calls of the working file and the file dialogs into parts of the program that are
// built elsewhere: the painting and pens of the main window, the view-file thread, the
// display dialogs, the simulation sets, the marker files, the file-operation engine
// and the models' parameter files. Each is declared here with the name its owner
// uses; app/PendingLinks.cpp holds weak stand-ins that the owner's definitions
// replace when they are linked in.
#pragma once

#include <cstdint>

#include "app/PenBrush.h"
#include "filelib/Markers.h"
#include "core/Threads.h"
#include "display/DisplayDialogs.h"
#include "display/Paint.h"
#include "display/ViewFiles.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/WinTypes.h"
#include "records/Sim.h"
#include "sim/SimAscii.h"
#include "sim/SimFile.h"
#include "sim/SimLines.h"
#include "sim/SimRotor.h"
#include "sim/SimSets.h"


// Simulation sets.
int32_t SimModelessDialogUpdate(int16_t set, int32_t repaint);

// Marker files and the file-operation engine.

// Parameter files of the models and fits.
int32_t OrvReadInputPrm();
int32_t OrvWriteInputPrm(const char* file);
int32_t VesparWriteInputPrm(const char* file);
int32_t QuadReadInputPrm();
int32_t QuadWriteInputPrm(const char* file);
int32_t QuadReadAsnFile(int16_t set);
int32_t QuadWriteAsnFile(int16_t set, const char* file);
int32_t GaMultiReadInputPrm();
int32_t GaWriteInputPrm(int16_t set, const char* file);
int32_t FgReadInputPrm();
int32_t FgWriteInputPrm(const char* file);
int32_t VoigtIOLogFile(const char* direction, const char* file, int16_t set);
// Copies both states' rotor constants from the read block into the calculation/fit block.
void OrvCopyReadToCalc();
