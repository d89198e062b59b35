// Channel auto-scale and edits of sections of a channel's raw data file.
//
// CnvAutoScalarOffSetChn sets the display scalar and offset of channels so that
// their data between the cursor pair (Win.Pt_Lim[0], or the whole file when both are
// 0) span 1 % to 99 % of the plot height.
//
// CnvReplaceFile rewrites sections of a float file: mode 0 zeroes them, mode 1
// bridges them with a straight or flat line, mode 2 offsets the whole file by minus
// the average across the crosshair window, mode 3 replaces the data under every
// simulated line of a set. All writing goes to a temporary file "__qv..." in the
// current (data) folder, which is renamed over the target only after a complete
// write; every failure removes it and leaves the target as it was.
#pragma once

#include <cstdint>
#include <vector>

// selector -1: every displayed channel (asking first when more than one is shown;
// Yes acts, No and Cancel abandon); any other value: the active channel alone.
// 1 when done, 0 when abandoned or failed.
int32_t CnvAutoScalarOffSetChn(int16_t selector);

// slot: parameter slot 0..9 (cursor pair Win.Pt_Lim[slot], Cnv.Lim_Stat[slot]); mode
// 0..3; set: simulation set of mode 3; input/output: file names of a non-interactive
// call (the output replaces the input when the names are equal); count, period, low,
// high: the sections of a non-interactive call; interactive 1: the active channel's
// file, the crosshair window and the user's answers. 1 on success, else 0.
int32_t CnvReplaceFile(int16_t slot, int16_t mode, int16_t set, const char* input, const char* output, int32_t count,
                       int32_t period, int32_t low, int32_t high, int32_t interactive);

namespace filesection {

// One section: raw points lo..hi, inclusive.
struct Section {
  int64_t lo = 0;
  int64_t hi = 0;
};

// Sections of a non-interactive call over a file of n points: when low < 0 or the
// period is at most high, one section per period from 0 to period - 1 (the chain
// form, *chain = true); else section k from k * period + low to k * period + high.
// Sections are cut to the file and those wholly outside it are dropped.
std::vector<Section> PeriodicSections(int64_t n, int32_t count, int32_t period, int32_t low, int32_t high,
                                      bool* chain);

// Sections of mode 3: a section opens at the first point of sim[0..n-1] above
// threshold and closes at the next point at or below it (or at the last point);
// first is the raw index of sim[0].
void ScanSimSections(const float* sim, int64_t n, int64_t first, double threshold, bool* open, Section* current,
                     std::vector<Section>* out);

}  // namespace filesection
