// Conversion of a rotor program's result family (".f", ".q", ".p", ".d", ".i", ".a"
// sharing a base name) into one simulation file "<base>.QVS" of version "QVS v1.0".
//
// ".f": per line 21 bytes as four blocks: f64 simulated and f64 experimental
// frequencies, f32 intensities, band-type bytes; N = size / 21.
// ".q": i16 J', Ka', Kc', J'', Ka'', Kc'' per line, [6N]; a file of 8 two-byte values
// per line carries the F/M labels after them as i16 F', F'' per line [2N] (the size
// test counts two-byte values, so the labels are two-byte values too), which become
// the f32 labels of the set. Nothing is read past the end of a file.
// ".p": i16; for each state n triples (i16 status, f64 value, f64 standard deviation);
// the origin triple; i32 lines, i32 assigned lines, f32 RMS; for n > 15 the covariance
// matrix f64 [m x m], m = fitted constants.
// ".d": f64 [N x nd]. ".i": f64 [L] ground-state energies, i32 [N] indexes, and for a
// one-state set the same for the excited state.
#pragma once

#include <cstdint>

#include "core/FileIo.h"
#include "sim/SimFile.h"

// Converts the family of baseName. 1 when finished or when there was nothing to
// convert (the sources are deleted only after a complete write of the ".QVS"); 0 on an
// allocation failure or when the ".QVS" could not be written (sources kept).
int32_t SimFI2QVS(const char* baseName);
// Number of constants per state (22, 15, 11 or 9) whose layout puts the line count of
// the open parameter file at the header's number of lines; 0 when none fits. Never
// reads past the end of the file.
int32_t SimFIVersionTest(const VavOde& header, core_io::BinIn* prm);
