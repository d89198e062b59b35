// Writers around the marker-position file Cnl.Mks_Flnm (one decimal point position
// per line): evenly spaced markers, the frequency and intensity of a channel at every
// marker, and two AOM-ramp marker writers that no command reaches.
#pragma once

#include <cstdint>

inline constexpr char FRQITN_FILE_NAME[] = "FrqItn.dat";

// Writes Cnl.MkStart + Cnl.MkStep, Cnl.MkStart + 2 Cnl.MkStep, ... below Cnl.MkEnd to
// the marker file, asking first when it exists. 1 when written; 0 when the user
// declined, the step is below 1 or the file could not be written.
int32_t MarkerFileWrite();

// Lists "%16.8lf %16.8f" (frequency of the raw point on the shared axis, the channel's
// value there) in "FrqItn.dat" for every marker position; a line that is not an integer
// repeats the previous position, and a position outside the channel file writes no
// line. 1 when written; 0 for a channel outside 0..8 or a file that cannot be opened.
int32_t FrqItnWrite(int16_t chn);

// Writes every index of the ramp file Cnl.RampFlnm whose value reaches a level that
// starts at base and rises by step after each index written; an index directly after
// the last one written is passed over. 1, or 0 after a warning.
int32_t AomRampMarkerWrite(double base, double step);

// Steps an air wavelength from startNm to endNm by stepNm, finds each vacuum wavelength
// (25.0 degrees C, 760.0 Torr, dry, tolerance 1e-7) and writes the raw point
// trunc((1e7 / vacuum - firstWn) / (lastWn - firstWn) x raw size of channel chn).
// 1, or 0 after a warning.
int32_t AomRampWaveWrite(int16_t chn, double startNm, double endNm, double stepNm, double firstWn, double lastWn);
