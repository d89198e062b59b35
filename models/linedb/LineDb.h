// Line databases and label files of the reference lines that the calibration marks
// of a printout (and the simulation sets) name. Both are plain text files of our own
// layout, read in Windows-1252 or UTF-8 with CR LF or LF line ends; lines starting
// with '#' and blank lines are skipped everywhere.
//
// Line database (a set's "oh00.dat" field): the first line that is not skipped is the
// header, entry 0, whose first field is the number of entries; each further line is
// one entry, counted from 1: a label (one field without blanks), the frequency and up
// to LINEDB_MAX_VALUES - 1 further numbers, separated by blanks or tabs.
//     # OH reference lines
//     2
//     P1(2)  3484.5993  0.25
//     Q1(1)  3568.5232
//
// Label file (a set's "ohuvcal.dat" field): one line per labelled entry, the entry
// index of the line database followed by two label indices; a label index below 0
// marks a label that is not to be used.
//     # entry  label1  label2
//     1  0  3
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t LINEDB_MAX_ENTRIES = 1000000;  // entries of one line database
constexpr int32_t LINEDB_MAX_VALUES = 16;        // frequency and further numbers of an entry
constexpr size_t LINEDB_MAX_LINE = 4096;          // bytes of one line

// An open line database: its header and entry lines, comments and blank lines left out.
struct LineDbFile {
  std::vector<std::string> records;
};

// Reads the line database at path (through the platform's path mapping) into file:
// false, with file empty, when it cannot be opened or read, has a line longer than
// LINEDB_MAX_LINE or more than LINEDB_MAX_ENTRIES entries.
bool LineDbOpen(const char* path, LineDbFile* file);
void LineDbClose(LineDbFile* file);

// Reads record `entry` of the open line database. Entry 0, the header: returns the
// entry count it gives (label, frequency and values untouched), or 0 when it gives
// none. Entries from 1: fills label (bounded, always terminated) and frequency and,
// with mode 1, the further numbers into values[0 .. maxValues - 1]; returns the count
// of numbers on the line (frequency included), or 0 when the entry does not exist or
// has no label or frequency. label, frequency and values may be null.
int32_t LineDbReadEntry(const LineDbFile& file, int32_t mode, int32_t entry, char* label, size_t labelSize,
                        double* frequency, double* values, int32_t maxValues);

// Looks up entry `entry` in the label file at path: 1 with the entry's two label
// indices, or 0 (indices untouched) when the file does not open or has no line for
// the entry.
int32_t LabelReadPositions(const char* path, int32_t entry, int32_t* label1, int32_t* label2);

// Whether the labels of a set may be used: the first label index, or -1 when the set
// is not 0..8 or either label index is below 0.
int32_t LabelFileOpen(int16_t set, int32_t label1, int32_t label2);
