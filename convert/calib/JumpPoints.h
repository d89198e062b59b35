// Jump points and wavemeter log repair. One entry, seven modes:
//  0  jump points of the binary ramp file (Cnl.RampFlnm) -> marker-position file
//  1  jumps of the wavemeter log -> marker-position file
//  2  read errors of the log repaired -> corrected log (log name + "F")
//  3  runs of repeated and negative readings repaired -> corrected log
//  4  negative-going TTL transitions of the ramp file -> marker-position file
//  5  transmission points of the log (the older procedure) -> marker-position file
//  6  read errors repaired between ThzSettings.SectLo and SectHi (log lines) ->
//     corrected log, created when SectLo is 0, else appended to
// The log is ThzSettings.WaveFlnm, the marker-position file Cnl.Mks_Flnm; the
// settings are Cnl.StpDif, IntvPts, PtsAve and PtsFsr, and the slot's section marks
// (Win.Pt_Lim) and point-range switch (Cnv.Lim_Stat).
#pragma once

#include <cstdint>

// 1 on success (and for modes outside 0..6, which do nothing), 0 on failure, when the
// mode 1 summary is declined or a mode 2 question is cancelled. Modes 0, 1 and 4 store
// the number of lines written in Cnl.Pt_Cnt[9][0].
int32_t JumpPointFind(int16_t slot, int16_t mode);

// The repair modes (2, 3, 6), reached through JumpPointFind.
int32_t WaveLogRepair(int16_t mode);
