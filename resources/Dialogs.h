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

// The edit of the rotor program's path in its options dialog (200).
constexpr int IDC_ORV_PROG_PATH = 8618;

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

namespace barrier_ids {
constexpr int kPam = 4151;    // radio: principal-axis frame
constexpr int kRam = 4152;    // radio: rho-axis frame
constexpr int kRun = 4153;    // recompute the lines
constexpr int kReset = 4154;  // back to the start values, then recompute
constexpr int kState = 4155;  // static: the start values kept
}  // namespace barrier_ids

// The fit dialogs: Voigt fit 1401, VOIGT+ 1402, ring-down fit 1406.
void RegisterFitDialogResources();
namespace fit_ids {
constexpr int kLnBeg = 1410;    // edit: first fit line
constexpr int kLnEnd = 1411;    // edit: last fit line
constexpr int kPtBeg = 1412;    // edit: first fit point of the data file
constexpr int kPtEnd = 1413;    // edit: end of the fit points (not included)
constexpr int kFile = 1414;     // edit: the fit data file
constexpr int kShift = 1415;    // edit: frequency shift of the fit lines
constexpr int kCycles = 1416;   // edit: most cycles of a fit
constexpr int kRun = 1420;
constexpr int kStop = 1421;
constexpr int kSeq = 1430;      // check: "SEQ FIT"
constexpr int kDisplay = 1431;  // check: ring-down curve over the set
constexpr int kWinSel = 1432;   // check: ring-down window from the child marks
constexpr int kCmPlot = 1433;   // check: cavity-mode plot
constexpr int kCmCurve1 = 1434; // check: its second curve
constexpr int kCmCurve2 = 1435; // check: its third curve
constexpr int kCmA = 1436;      // edit: cavity-mode readout factor
constexpr int kCmB = 1437;      // edit: cavity-mode readout divisor
constexpr int kRecalc = 1439;   // check: lines recalculated at every value
constexpr int kResult = 1440;   // static: the last fit's result
constexpr int kHtCalc = 1516;   // check (VOIGT+): lines from their HITRAN parameters
constexpr int kLnCalc = 1517;   // check (VOIGT+): line calculation of the fit
}  // namespace fit_ids
