// Alignment of repeated recordings: every sequence (numbered files, or sequences laid
// end to end in one parent file) is cross-correlated with a reference sequence over
// the slot's window, moved by the best lag, scored, and the aligned sequences are
// co-added segment by segment.
//
// Arguments of both variants: parameter slot (0..29; each concurrent caller its own),
// a display switch (unused), the first base name (the parent, or the base of the
// numbered sequence files), the second base name (the aligned files and averages),
// an old shift-values file (used when ref is negative, ref then being |ref|), a
// segment average-count file, the reference number, the first and last number
// (negative last: 100) and the first and last co-added number.
// Result files: first base + "_CCVals" (per sequence the shift, stored as shift + 0.5
// for a positive shift and shift - 0.5 otherwise; 0.5 for the reference) and first
// base + "_SRVals" (the RMS scatter of sequence - reference over the window after the
// shift; 0 for the reference). Slot values used: SEQ SZ, Seg_Sz, Cc_Rad (0 or less
// also tries every sequence inverted), Damp, NStps (-1, -2, -3 baseline modes),
// WIN LO/HI, the resize settings and Del_Multi. Returns 1, or 0 after a box (the
// operation-sequence running flag is then cleared).
#pragma once

#include <cstdint>

// Works through the engine, file by file: the sequences are cut into first base +
// "%03d" files, aligned into second base + "%03d" files and co-added into second base +
// "Ave" (one segment) or "Ave%03d" per segment, concatenated into second base +
// "AveCat".
int32_t CrossCorrSeqFileFix(int16_t slot, int32_t display, const char* firstBase, const char* secondBase,
                            const char* oldShiftFile, const char* avesFile, int16_t ref, int16_t first, int16_t last,
                            int16_t coFirst, int16_t coLast);

// The same in memory for the sequences of one parent file (first base), each segment
// read whole; the averages of every segment go to second base + "AveCat".
int32_t CrossCorrSeqAryFix(int16_t slot, int32_t display, const char* firstBase, const char* secondBase,
                           const char* oldShiftFile, const char* avesFile, int16_t ref, int16_t first, int16_t last,
                           int16_t coFirst, int16_t coLast);

// Installs the file variant as the per-file routine of the thread pool (worker i in
// slot i + 1).
void CrossCorrInstallPoolRoutine();
