// AOM calibration: a scan swept by an acousto-optic modulator inside one free
// spectral range (FSR) at a time is made linear in frequency, with a fixed number
// of points per FSR, from five channels of the same block of output names: intensity
// (IN), ramp voltage (CAL), two error signals and the marker signal; the result goes
// to OUT. Stage I bins every accepted point on a fine grid of 4 N bins per FSR and
// keeps the sums of each FSR segment in "TEMP.TMP"; stage II resamples every segment
// onto N output points. The FSR intervals are delimited by the positions of the
// marker-position file (Cnl.Mks_Flnm). Also the demodulation of an on/off modulated
// channel by a phase channel.
#pragma once

#include <cstdint>

// Debug topic of the AOM calibration.
constexpr int16_t DEBUG_TOPIC_AOM = 105;
// Points of the block buffers of the AOM calibration and the demodulation.
constexpr int32_t AOM_BLOCK = 4096;

// Linearises the points [low, high) of the set's IN file (low = high: the whole file
// but its last point). drop 1 leaves out the first segment and the one after the last
// interval (FILL); markerOut and frqOut 1 write the side files (MRK name + "m", + "f");
// report 1 shows the closing box. 1 on success, 0 on failure or refusal.
int32_t AomCalibrate(int16_t set, int32_t low, int32_t high, int32_t drop, int32_t markerOut, int32_t frqOut,
                     int32_t report);

// Builds the RF calibration table (AomSettings.RfRows rows, 1-based arrays) from the
// ramp file or as a linear ramp; the three addresses receive the arrays. 1, or 0.
int32_t AomRFCalib(float** volt, float** frq, float** v2f);
// Releases the table.
void AomRFCalibFree();

// Resamples one segment: m knots (x ascending, intensities y) onto n outputs o at
// 0, s, 2s, ...; an output whose bin (width w) has the count -1 is 0. 1, or 0 when the
// work array cannot be had.
int32_t AomLinearizeItn(const float* y, const float* x, int32_t m, float* o, int32_t n, double s, const int32_t* c,
                        double w);

// AOM frequency of a ramp voltage by the fixed polynomial of the modulator.
float AomVolt2Frq(float v);

// Averages the set's IN file over the on and the off half-periods of the PHASE
// channel (|phase| above or below AomSettings.MarkerCut), points low..high included;
// the on averages go to OUT, the off averages to OUT + "1". 1, or 0.
int32_t DemodProc(int16_t set, int32_t low, int32_t high);
