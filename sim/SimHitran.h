// HITRAN sets turned into line lists and scanned: the lines of a rendered HITRAN set
// copied into a fit set, the HITRAN sets of the sum written as one simulation file,
// and the pressure scan that records the readout at the cursor against pressure.
#pragma once

#include <cstdint>

// Renders HITRAN set htSet compute-only (view 3 from point 0, as many points as its
// channel holds, at most 20,000) and appends its lines Sim.FI_IDX_BEG..FI_IDX_END to
// fitSet with their shifted frequencies (Sim.HT_Shift_Erg) and rendered intensities
// (Sim.HT_Itn), each labelled (FI_BT_Lbl) with the HITRAN set's letter; the fit set is
// then sorted. 1 when copied; 0 when the sets are unsuitable, the render failed or
// gave no valid window of lines, or an array could not grow (nothing is changed).
int32_t SimHT2QVS(int16_t htSet, int16_t fitSet);

// The HITRAN sets marked for summing (Sim.Sum_Stat 1) gathered as SimHT2QVS does into
// one new set written as "<name of set>_SUM.QVS" (an existing file is replaced only
// when the user says so). 1 when written, 0 otherwise; the sets themselves are left
// as they were.
int32_t SimHT2QVSSum(int16_t set);

// The pressure scan of HITRAN set `set`: for each pressure of pressureFile (the first
// number of each non-empty line) the set is rendered compute-only over the current
// page with that total pressure, and the readout at the cursor (Sim.HtScanReadout) is
// recorded; "HITRAN_AvsP.txt" gets one line "pressure readout" per step. A step that
// leaves no readout (HITRAN array switch off, cursor outside the page, scalar 0,
// render failure) stops the scan with a "Warning"; the rows before it are kept. The
// set's pressure is restored and Sim.HtScanRunning cleared on every way out. 1 when
// every pressure was recorded, 0 otherwise.
int32_t SimHitranScanProc(int16_t set, const char* pressureFile);
