// The display coordinate model of the main plot: conversions between pixel columns,
// raw point indices and frequencies at each view level, the unit and harmonic
// conversion of frequencies, centring a page on a frequency, the cursor readout of
// the status bar with the parts of the status bars, and the cursor-info line appended
// to "Freq.txt".
//
// Tables read (all in Dsp): Pts2Pxl[v] (raw points per pixel), FrqStpView[v]
// (frequency per pixel), Init_Frq (f0), FSR, Pts_FSR, FL_SZ[WIN_RAW][c]. A points-per-
// pixel, frequency-per-pixel or FSR value of exactly 0.0 is replaced by 1.0 in the
// table itself before it divides. Out-of-range view levels are taken as the nearest
// level 0..3; results that do not fit 32 bits are saturated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/windows/Window.h"

inline constexpr char FREQ_TXT_FILE_NAME[] = "Freq.txt";
inline constexpr double MHZ_PER_CM1 = 29979.2458;

// Raw point of a pixel column of the page starting at Win.Page_Start.
int32_t DisplayPixelToPoint(int16_t v, int32_t pixel);
// Pixel column of a raw point on the page starting at Win.Page_Start.
int32_t DisplayPointToPixel(int16_t v, int32_t point);
// Pixel column of a frequency given as its offset from f0.
int32_t DisplayFreqToPixel(int16_t v, double offset);
// Pixel column of frequency f on the page starting at first, halves away from zero.
int32_t DisplayFreqToPixelAt(int16_t v, int32_t first, double f);
// Frequency of a raw point index.
double DisplayPixelToFreq(int16_t v, int32_t point);
// Offset from f0 of a pixel column on the page starting at Win.Page_Start.
double DisplayPixelToFreqRel(int16_t v, int32_t pixel);
// Frequency of a pixel column on the page starting at first.
double DisplayPixelToFreqAt(int16_t v, int32_t first, int32_t pixel);
// Channel c's points per pixel at level v over the page's (Pts2Pxl, the active
// channel's). Every channel's view level spans the same pixels and its page starts at
// view point first / Pts2Pxl, so a channel of another length shows other frequencies at
// the same column. 1 at the raw level, and where c or the active channel is no
// displayed channel with points.
double DisplayChannelScale(int16_t v, int16_t c);
// Frequency of a pixel column of the page starting at first, on channel c's scale:
// f0 + (pixel + first / Pts2Pxl) x channel c's points per pixel x step.
double DisplayPixelToFreqOn(int16_t v, int16_t c, int32_t first, int32_t pixel);
// Pixel column of frequency f on channel c's scale, halves away from zero.
int32_t DisplayFreqToPixelOn(int16_t v, int16_t c, int32_t first, double f);
// Raw point of frequency f; not below 0, and for channels 0..8 not above their raw count.
int32_t DisplayFreqToPoint(int16_t c, double f);
// Column of view level v counted from the file start; 0 .. raw count of channel c.
int32_t DisplayFreqToPointAt(int16_t v, int16_t c, double f);
// Frequency of column q of view level v.
double DisplayPointToFreq(int16_t v, int32_t q);
// Centres a page of level v on frequency f for channel c: 1 with the page's first
// point and the frequency's pixel in the outputs, else 0 with the outputs untouched.
int32_t DisplayCenterOnFreq(int16_t v, int16_t c, double f, int32_t* first, int32_t* pixel);
// A value a and an offset b in the data unit and harmonic, converted into the display
// unit and harmonic (MHz, cm-1 or nm; harmonic index h is harmonic number h + 1).
double DisplayFreqUnitConvert(double a, double b);

// The y value of the active channel c at client row y (the readout's scaling):
// false when the channel's display scalar is 0 or c is no channel.
bool DisplayValueAtRow(int16_t c, int32_t clientY, double* value);
// The readout of part 0 of the main status bar for the mouse at client (x, y):
// false (text empty) while there is no active channel.
bool DisplayCursorReadout(int32_t x, int32_t y, char* text, size_t size);
// Gives a status bar (the main window's, a child window's) its four parts, measured in
// average characters of the bar's own font: the first two hold a cursor readout whole
// (55 characters, "(REL)" included), the third ends at 160 characters and the last
// runs to the window's edge.
void DisplayStatusPartsSet(HWND bar);

// Appends the cursor-info line to "Freq.txt" in the current folder (the cursor-info
// key). Reports in part 2 of the status bar or with a warning.
void DisplayCursorInfoWrite();
// Appends text to a text file (created when missing) with CR LF line ends: 1 when
// all of it was written and the file closed, else 0 (the file is cut back to its old
// length so that no partial line stays).
int32_t DisplayAppendText(const char* fileName, const char* text);
