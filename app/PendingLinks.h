// Calls of the working file and the file dialogs into parts of the program that are
// built elsewhere: the painting and pens of the main window, the view-file thread, the
// display dialogs, the simulation sets, the marker files, the file-operation engine
// and the models' parameter files. Each is declared here with the name its owner
// uses; app/PendingLinks.cpp holds weak stand-ins that the owner's definitions
// replace when they are linked in.
#pragma once

#include <cstdint>

#include "display/PenBrush.h"
#include "filelib/Markers.h"
#include "core/Threads.h"
#include "display/DisplayDialogs.h"
#include "display/Paint.h"
#include "display/ViewFiles.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/WinTypes.h"
#include "records/Sim.h"
#include "models/exciton/FgFiles.h"
#include "models/ga/GaFiles.h"
#include "models/quad/QuadFiles.h"
#include "models/rotor/OrvFiles.h"
#include "sim/SimAscii.h"
#include "sim/SimFile.h"
#include "sim/SimLines.h"
#include "sim/SimRotor.h"
#include "sim/SimSets.h"

// Simulation sets.
int32_t SimModelessDialogUpdate(int16_t set, int32_t repaint);

// Marker files and the file-operation engine.

// Parameter files of the models and fits.
