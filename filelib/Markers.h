// Marker files: sample positions (0-based indices into a channel's raw float file)
// one free spectral range apart, kept in a text file with one marker per line in
// ascending order. Every line holds the same number F of blank-separated fields:
// F - 1 floating values written with a decimal point, then the position as an integer.
//
// The channel marker list lives in Cnl: file name Cnl.Mks_Flnm, scan format
// Cnl.Mks_ScanFmt ("%*lf" F - 1 times, then "%ld"), positions Cnl.Mks_Pos[1..count]
// and differences Cnl.Mks_Dif[1..count] (entry 0 is 0; Mks_Dif[1] = Mks_Pos[1]),
// count, average and largest difference, RMS linearity, and the markers nearest the
// cursor-window begin and end (Cnl.Mks_Beg, Cnl.Mks_End).
#pragma once

#include <cstdint>

// Checks that the first line of the marker file holds its integer field at position
// F and sets Cnl.Mks_ScanFmt for F fields. A missing or empty file is a new file
// (status text "NEW FILE [name]") and passes. Returns 1, or 0 after a warning.
int32_t ManMarkerChkFormat(const char* name, int32_t fields);

// Toggles one marker: line is a complete marker line of F fields. A marker at the
// same position is deleted (the new line is then not written); otherwise the line is
// inserted before the first greater position. The file is rewritten through a
// temporary file. Returns 1, or 0 after a box.
int32_t ManMarkerAddDelete(const char* name, const char* line, int32_t fields);

// Reads the marker file Cnl.Mks_Flnm (one integer position per line, taken from the
// first field of each line, whatever Cnl.Mks_ScanFmt holds) into Cnl.Mks_Pos /
// Cnl.Mks_Dif (a leading position 0 is skipped) with the spacing statistics: the largest and the average
// difference (sum of all differences over the count, rounded) and the RMS linearity
// of the markers 4 .. count in percent. report = 1 shows the statistics (and a file
// that cannot be opened). Returns 1, or 0 on failure and for a file that holds no
// marker (count 0, no statistics shown).
int32_t CsMkOpenRead(int32_t report);

// Marker-based linearisation: resamples the raw float file Cnl.Lin_InFlnm between the
// markers Cnl.Mks_Beg and Cnl.Mks_End onto an even frequency grid of Dsp.Pts_FSR
// points per marker interval (one free spectral range, Dsp.FSR) by natural cubic
// splines, into Cnl.Lin_OutFlnm. A raw value of exactly 0 stays a gap (output 0).
// Returns 1, or 0 after a box.
int32_t CsF2ISetup();
