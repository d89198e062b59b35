// Correlation of two files: the whole cross-correlation curve of two traces (every
// lag from -L0 to +L0, L0 the first trace's length) written as a float file, and the
// shifts of a sequence file against a second one, sequence by sequence.
#pragma once

#include <cstdint>

// Curve of file0 against file1 into outName, 2 L0 + 1 values (fullLength 1) or L0
// averages of neighbouring pairs (fullLength 0); the maximum at index c means a shift
// of c - L0 (file1 later than file0 gives a positive shift). Lag k is weighted by
// 1 - |k / L0| * damping (at least 0; steps -5, -6, -7: 1 or 0); damping 0 or less
// normalises the curve by the traces' energies instead of averaging each lag.
// Products that are 0 count neither in a sum nor in its count.
//  mode 1: first moves both baselines (steps -1/-5 to the minima, -2/-6 the middles,
//          -3/-7 the maxima, 0 not at all, n > 0 scans n x n offsets between minimum
//          and maximum and keeps those of the largest maximum), then correlates.
//  mode 0: one correlation.
// With no names (null file0) the inputs are the first two channels whose convert box
// is ticked, the output Cnv.Ave_Flnm, with the length and step questions first and
// the table of shifts afterwards. Files of different lengths: the shorter is padded
// with zeros into its name + "m" on YES; NO stops the run. The best values and
// shifts are left in XCorrWork.Files_Max / Files_Shift. Returns 1, or 0 after a box.
int32_t CrossCorrFiles(int16_t slot, int16_t mode, const char* file0, const char* file1, const char* outName,
                       double damping, int32_t steps, int16_t fullLength, int16_t report);

// Shifts of file1 against file2, one per sequence of the slot's SEQ SZ values inside the
// point range (the whole of file1 when the slot's point-range switch is off), found
// over the window [WIN LO, WIN HI) with the slot's radius and damping, written as
// floats to shiftValuesFile. A non-zero CC offset (Cnv.Cc_Offset) first scrolls file1
// by that many points (asked with prompt 1, applied with prompt 0, refused
// otherwise) and is added to every shift. Returns 1, or 0 after a box.
int32_t CrossCorr2Files(int16_t slot, const char* file1, const char* file2, const char* shiftValuesFile, int16_t prompt);
