// The working file (".QVW"): which data files the nine channels show and how, the
// shared frequency axis, the nine simulation sets with their display and line-shape
// settings, three dialog input names and the optional sine and HITRAN sections.
// Older working files (".wkf", ".wk", MassComp "wk." and "wk-") are converted on
// reading and rewritten in the current form.
//
// The file is named by Dsp.Work_Flnm, relative to the current folder, which is the
// data folder (Dsp.Data_Dir).
#pragma once

#include <cstdint>
#include <cstdio>

// Writes the working file named in Dsp (through a temporary file that replaces the old
// file only after every write and the close succeeded). 1, or 0 after the warning.
int32_t WorkFileWrite();

// Reads the working file named in Dsp through the reader its name selects; 1 always.
int32_t WorkFileRead();
// As WorkFileRead; *refused (may be nullptr) tells whether a reader refused the file
// (its warning has been shown and the records are as they were before).
int32_t WorkFileReadChecked(bool* refused);

// The current-format reader: 1, or 0 when the file cannot be opened or a field count
// is wrong (the records then stay as they were).
int32_t WorkFileReadPelkNew();
// Completes every read: axis defaults, pens, channel availability, the view folder and
// view kinds, the view thread, the simulation sets.
int32_t WorkFileReadFinish();

// Converters of the older forms: 1 when the old file was read and the new working
// file written, else 0 (records, the old file and an existing new file stay as they were).
int32_t WorkFileReadPelkOld();
int32_t WorkFileReadMassComp();
int32_t WorkFileReadDefaul();
int32_t WorkFileReadMuro();
// Reads single characters until it has read an "=". false when the file ended first.
bool WorkFileSkipToEquals(FILE* f);

// "MHz" to "cm-1" factor of the HITRAN cut-off column.
constexpr double WORKFILE_MHZ_TO_CM1 = 3.3356409519815205e-05;
