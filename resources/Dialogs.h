// The program's dialog templates, registered with the window system at start-up.
#pragma once

// Registers every dialog template of the program (idempotent).
void RegisterDialogResources();

// Registers the templates of the simulation control dialog and its per-set dialogs
// (part of RegisterDialogResources).
void RegisterSimDialogResources();

// Registers the rotor and quadrupole trackbar templates (203-208, 8001; part of
// RegisterSimDialogResources).
void RegisterRotorDialogResources();

// Control ids of parameter i (from 0) of a rotor or quadrupole trackbar dialog.
namespace rotor_ids {
constexpr int kHigh = 2100;   // + i: high range end
constexpr int kLow = 2120;    // + i: low range end
constexpr int kValue = 2140;  // + i: value
constexpr int kX2 = 2160;     // + i: range width doubled
constexpr int kHalf = 2180;   // + i: range width halved
constexpr int kTrack = 40;    // + i: trackbar
constexpr int kCenter = 1353; // ranges rebuilt around the values
}  // namespace rotor_ids
