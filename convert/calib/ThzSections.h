// The section phases of the THz linearisation, reached through THzLinearization:
//  3  section driver: the repeated-section list, the wavemeter test, the log repair,
//     one phase 4 per section, and the substitution of the section outputs into the
//     set's output names;
//  4  one section: its frequency axis (wavemeter, AOM calibration or markers) and its
//     placement on the common output axis in whole free spectral ranges;
//  5  marker repair: of two markers of the section closer in frequency than
//     FsrScalar x FSR the earlier one is removed from the marker file.
// Each returns 1 or 0 as THzLinearization does; the caller posts the phase lines.
#pragma once

#include <cstdint>

int32_t ThzPhase3(int16_t set, int32_t interactive);
int32_t ThzPhase4(int16_t set, int32_t interactive);
int32_t ThzPhase5(int16_t set);

// Points added at the start (B) and the total length (T) of a section placed by the
// wavemeter line fit: intercept and slope of the section's frequency against its
// point index, P points per FSR, span |EndFrq - BegFrq| and the FSR in the same unit.
struct ThzPlacement {
  int64_t begin = 0;
  int64_t total = 0;
};
ThzPlacement ThzWavemeterPlacement(double slope, double intercept, int32_t pointsPerFsr, double span, double fsr);
