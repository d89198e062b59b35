// Conversion of instrument files into headerless float32 channel files, with the
// shared frequency axis of Dsp set to match: FTMW scan files (a 1680-byte header
// followed by intervals, or 12-byte frequency/intensity records) and LeCroy waveform
// files. The input is Cnv.Ftmw_Flnm, the output Cnv.Ftmw_OutFlnm.
//
// Every output is written beside its target and renamed over it only after a whole
// conversion, so a refused or failed conversion leaves the old file and the axis as
// they were. Every length read from a file is checked against what the file holds
// before anything is allocated or read.
#pragma once

#include <cstddef>
#include <cstdint>

// Size of the FTMW header and the offsets of its fields.
namespace ftmw {
constexpr size_t HEADER_SIZE = 1680;
constexpr size_t INFO1 = 0;       // 256 UTF-16 characters
constexpr size_t INFO2 = 512;     // 32
constexpr size_t DATE = 576;      // 32
constexpr size_t TIME = 640;      // 32
constexpr size_t VERSION1 = 704;  // 32; begins with "FTMW" in a header file
constexpr size_t VERSION2 = 768;  // 256
constexpr size_t PTS_INTV = 1280; // int32
constexpr size_t INIT_FRQ = 1360; // f64
constexpr size_t FRQ_STP = 1368;  // f64
constexpr size_t FRQ_JMP = 1376;  // f64
constexpr size_t RECORD_SIZE = 12; // record file: f64 frequency, f32 intensity
}  // namespace ftmw

// Debug topic of the instrument conversions' log lines.
constexpr int16_t DEBUG_TOPIC_INSTRUMENT = 109;

// mode 1 probes the input and names its kind in variant ("TERNAU" for a header file,
// "PELK" for a record file); mode 2 probes and converts. Returns 1 on success, 0 when
// the input cannot be read, the user declines, or the file is refused.
int32_t CnvB2BFile(char* variant, size_t variantCap, int16_t mode);
template <size_t N>
int32_t CnvB2BFile(char (&variant)[N], int16_t mode) {
  return CnvB2BFile(variant, N, mode);
}

// Converts a LeCroy waveform of 16-bit samples: value = sample x VERTICAL_GAIN -
// VERTICAL_OFFSET; the axis starts at HORIZ_OFFSET with HORIZ_INTERVAL per point.
// Returns 1 on success, else 0.
int32_t CnvLeCroy2Bin();

// True when the name ends in ".TRC" or ".trc".
bool IsLeCroyName(const char* name);
