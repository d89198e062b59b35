// THz scan linearisation: the intensity file of a scan recorded point by point in
// time is put on an evenly spaced frequency axis from its wavemeter log. One call
// runs one phase; the phases hand over through ThzSettings:
//  0  start and end frequency and number of readings of the log;
//  1  the frequency of every intensity point of the section (the frequency file);
//  2  the section's intensities resampled onto the output grid (the output file).
//  3  the section driver over the repeated-section list, one phase 4 per section;
//  4  one section linearised and placed on the common output axis;
//  5  the marker repair of the section (ThzSections.h).
#pragma once

#include <cstdint>

// Debug topic of the linearisation, the jump points and the wavemeter repair.
constexpr int16_t DEBUG_TOPIC_THZ = 119;

// set: block of the conversion record's output names (ThzSettings.InChn and OutChn
// pick the input and output in it); interactive 1 allows the questions and warnings
// that only the dialog asks. 1 when the phase finished, 0 when it failed or stopped
// (ThzSettings.Status tells why: 7 skip the section, 2 abort). Phases above 5 do
// nothing and give 1.
int32_t THzLinearization(int16_t set, uint16_t phase, int32_t interactive);

// Merges log positions x[0..n) with their frequencies y[0..n) in place: a group
// starts at each position above its first position, an equal position joins it, a
// smaller one asks (with the log name and line lowerMk + i) and joins it on YES.
// Each group becomes the mean of its positions and of its frequencies. Returns the
// number of groups, or -1 after NO (ThzSettings.Status = 2).
int32_t ThzMergePositions(double* x, double* y, int32_t n, int32_t lowerMk);
