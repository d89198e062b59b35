// Peak finding on a recorded marker signal: the binary ramp file Cnl.RampFlnm
// ("AOMRampF") is smoothed by a running average of Cnl.PtsAve points, a peak is a
// maximum of the average above a cutoff, and the position written to the marker file
// Cnl.Mks_Flnm ("%ld" per line) is the centre between the two half-height points of
// the peak, measured on a baseline through the minima on either side.
//
// Settings (Cnl, set by the calibration dialog and the operation sequence): PtsAve,
// CutScalar (cutoff offset or fraction K), Inv (negate every value), FloatMin (cutoff
// = MIN + K), ScaleDiff (cutoff = MIN + K (MAX - MIN); wins over FloatMin); with
// neither the cutoff is K itself. The slot's point limits (Win.Pt_Lim, slots 0..9)
// select the section searched; the slot's point-range switch (Cnv.Lim_Stat) is set to
// 1 when either limit is not 0.
//
// At debug topic 107 the search also writes "Peak.txt", "Cutoff.txt" and its trace to
// the debug log.
#pragma once

#include <cstdint>

#include "core/FileIo.h"
#include "platform/kernel/TextFile.h"

inline constexpr int16_t DEBUG_TOPIC_PEAKS = 107;
// Averages kept on either side of a peak; bounds the width of a peak in points.
inline constexpr int32_t PEAK_AVE_SPACE = 1048576;

// Working state of one search, owned by PeakFindHWHM.
struct PeakSearch {
  core_io::BinIn ramp;                 // the ramp file
  platform::TextFileWriter marks;      // the marker file being written
  platform::TextFileWriter peakLog;    // "Peak.txt" (topic 107 only)
  platform::TextFileWriter cutoffLog;  // "Cutoff.txt" (topic 107 only)
  float* buf = nullptr;    // the last PtsAve values of the previous block, then the block
  float* aveRt = nullptr;  // [0] the peak's average, [k] the average k points right of it
  float* aveLf = nullptr;  // [0] the peak's average, [k] the average k points left of it
  float* bufLf = nullptr;  // raw values read back for the left-minimum search
  float min = 0.0f;        // MIN, MAX and the cutoff
  float max = 0.0f;
  float cutoff = 0.0f;
  float minRt = 0.0f;      // the last right and left minima
  float minLf = 0.0f;
};

// Finds the peaks of the ramp file for parameter slot `slot` and writes the marker
// file. 1 when the search ran (also when the user cancelled it), 0 when PtsAve is
// below 1, a file could not be opened or the buffers could not be had (the marker
// file then stays as it was).
int32_t PeakFindHWHM(int16_t slot);

// Sets MIN, MAX and the initial cutoff of s from a scan of the ramp file (with
// neither FloatMin nor ScaleDiff only the cutoff, = CutScalar). Returns 1.
int32_t PeakFindFirst(PeakSearch& s, int16_t slot);

// Asks for the cutoff, searches the ramp file and writes one line per peak to
// s.marks. 1 (also when the user cancels), 0 when the left window buffer could not
// be had (the peaks written so far stay).
int32_t PeakFindAll(PeakSearch& s, int16_t slot);

// Runs the running average of the peak finder over the open ramp file s.ramp block by
// block (s.buf as the read buffer), sets the in-peak flag once the average reaches
// s.cutoff, shows "FL_CNT=%ld" after every block and ends with "NUMBER OF PHOTONS
// FOUND = [%ld]"; no photon is ever counted. Nothing calls it. Returns 1.
int32_t DiscFindAll(PeakSearch& s);
