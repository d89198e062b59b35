// Work buffers of the array cross-correlation, kept between calls so that repeated
// correlations with an unchanged lag radius allocate nothing: one set for the
// single-threaded routine and one per parameter slot (0..29) for the pool twin, so
// that workers correlating in their own slots never share storage.
#pragma once

#include <cstdint>
#include <vector>

#include "records/Cnv.h"

struct XCorrSet {
  // Indexed by c = 0 .. 2R for the lag c - R: correlation values, weights, and the
  // indices of the equal maxima.
  std::vector<double> ctr;
  std::vector<double> wt;
  std::vector<uint32_t> equal;
  // The two traces widened to doubles (grown as needed).
  std::vector<double> wideA;
  std::vector<double> wideB;
  // The radius the buffers were sized for (-1: none yet) and, for a slot, the damping
  // its weights were computed for.
  int32_t radius = -1;
  double damp = 0.0;
};

// The alignment settings of a slot as the command set them, taken when a pool worker
// starts its share: every later file of the share starts from them again.
struct XCorrPoolStart {
  int32_t seqSz = 0;
  int32_t segSz = 0;
  int32_t radius = 0;  // with its sign (0 or less: the inversion test)
  int32_t winLo = 0;
  int32_t winHi = 0;
  uint32_t szIn = 0;
  uint32_t szOut = 0;
  double stpIn = 1.0;
  double stpOut = 1.0;
};

struct XCorrWorkRecord {
  XCorrSet Single;              // the single-threaded routine
  XCorrSet Slot[CNV_SLOTS];     // the per-slot twin
  XCorrPoolStart Pool[CNV_SLOTS];  // per worker slot, while a pool runs

  // The correlation curve of two files: best value and shift (index - R) of the last
  // single correlation at 0 and of every baseline scan step at 1, 2, ...; Files_Steps
  // counts the entries filled (1 + the scan steps).
  std::vector<float> Files_Max;
  std::vector<float> Files_Shift;
  int32_t Files_Steps = 0;
  // The scan position the status text of a curve names (outer index x steps + inner
  // index; the final pass names the step whose offsets it uses).
  int32_t Files_ScanPos = 0;
};

extern XCorrWorkRecord XCorrWork;
