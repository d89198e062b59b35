// The simulation file ".QVS": a fixed 13,310-byte header (VAVODE) followed by the
// per-line arrays of one simulation set, little-endian, without gaps. Versions
// "QVS v1.0" to "QVS v1.9" are read ("QVS v1.9" is written), "QVS v6.0" is refused,
// and a header whose version does not begin with "QVS" is an old rotor-program header.
//
// Body blocks after the header, N lines, each only under its condition:
//   1 simulated frequencies f64 N     2 experimental frequencies f64 N
//   3 uncertainties f32 N (v1.4 on)   4 intensities f32 N
//   5 AMP: amplitudes f32 3N          6 AMP and IMAG: imaginary parts f32 3N
//   7 band types 1 byte N             8 quantum numbers i16 6N
//   9 FM: F/M labels f32 2N           10 DVS: derivatives f64 N x nd
//   11/12 TEMP_GLOBAL: ground-state level energies f64 levels, level index i32 N
//   13/14 TEMP_GLOBAL and one-state: excited-state energies and indexes
//   15 covariance f64 count           16/17 IDVWIDTH: Gaussian, Lorentzian widths f32 N
//   18/19 NLLSF: fit status 4-byte 5N, standard deviations f32 5N
//   20-23 HT: air and self widths, air shift, temperature exponent f32 N
//   24 HT, v1.8 on: molecule labels i16 N
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/FileIo.h"
#include "platform/kernel/Binary.h"
#include "records/Sim.h"

constexpr size_t VAVODE_SIZE = 13310;
using VavOde = platform::ByteRecord<VAVODE_SIZE>;

// Offsets of the header fields.
namespace vav {
constexpr size_t kVersion = 0, kVersionLen = 16;
constexpr size_t kComment = 16, kCommentLen = 500;
constexpr size_t kInputFlnm = 516, kBaseFlnm = 716, kAsnFlnm = 916, kNextInput = 1116, kFlnmLen = 200;
constexpr size_t kRcDevStat = 1316;  // i32 [2][50]
constexpr size_t kRcOwn = 1716;      // f64 [2][50], the rotor program's own block
constexpr size_t kLsfStat = 2516;    // i32 [2][50]
constexpr size_t kAngles = 2916;     // f64 [3][2]
constexpr size_t kOneState = 2964, kAReduction = 2968, kJMax = 2972, kKOrder = 2976;
constexpr size_t kItnCut = 2980;     // f64
constexpr size_t kSpinWts = 2988;    // i32 [4]
constexpr size_t kTdmMethod = 3004, kTdmFrame = 3006;  // i16
constexpr size_t kTdmAngle = 3008;   // f64 [3]
constexpr size_t kRotTemp = 3032;    // f64 [2]
constexpr size_t kRotTempWt = 3048, kTemp2Erg = 3056;
constexpr size_t kLsfEcycs = 3064, kAcycs = 3066;  // i16
constexpr size_t kPrmFirst = 3152;   // i16, first value of the rotor parameter file
constexpr size_t kOrvNoPrm = 3154;   // i32, constants stored per state
constexpr size_t kRcStrs = 3158, kRcStrSlot = 10, kRcStrSlots = 50;
constexpr size_t kRcVal = 3658;      // f64 [2][50]
constexpr size_t kRcStdDev = 4458;   // f64 [2][50]
constexpr size_t kRms = 5258;        // f32
constexpr size_t kLines = 5262, kAsnLines = 5270;
constexpr size_t kDvs = 5282, kTempGlobal = 5286, kFm = 5290, kNd = 5294, kFitted = 5298;
constexpr size_t kCovCount = 5302, kLevels = 5306, kIdvWidth = 5310, kNllsf = 5314;
constexpr size_t kTdmGlobal = 5318, kAmp = 5322, kImag = 5326, kDmGlobal = 5330, kHt = 5334;
constexpr size_t kQc = 5338, kLn = 5342, kReserved5346 = 5346;
constexpr size_t kSlope = 5350, kIntercept = 5358;
constexpr size_t kSimType = 5366, kSimTypeLen = 50;
constexpr size_t kReserved5416 = 5416;
constexpr size_t kFitState = 5420;   // i16
constexpr size_t kDmPrm = 5466;      // f64 [2][3]
constexpr size_t kDmField = 5514;
constexpr size_t kQuadAsnFlnm = 5522;
constexpr size_t kQuadPrm = 5722;    // f64 [2][3]
constexpr size_t kQuadPrm2 = 5770;
constexpr size_t kReservedTail = 5778;
constexpr size_t kSlotsPerState = 50;
}  // namespace vav

// The constant default header from which every written header starts.
void VavOdeDefault(VavOde* header);
// Copies the fields from offset 0 to 5521 of src into dst (texts as zero-terminated
// strings, of the label table the 23 used labels); the quadrupole fields and the
// reserved tail are left as they are. Returns 1.
int32_t VavOdeInit(VavOde* dst, const VavOde* src);

// Writes set `set` to Sim_Flnm + ".QVS" through a temporary file that replaces the old
// file only after a complete write. 1 when written; 0 after the "FAILED TO WRITE QVS
// FILE" box, the old file and both modified flags then kept.
int32_t SimFIWriteQVS(int16_t set, SimRecord* sim);
// Reads Sim_Flnm + ".QVS" (or "..\" + it) into set `set` under SimReadLock.
// keepSettings 1 keeps the quadrupole names and parameters, transition-dipole shares
// and (TEMP_GLOBAL files) temperatures; takeSlope 1 takes slope and intercept from the
// file. 1 on success, when the set is busy, or when the user keeps modified
// assignments; 0 on failure with the set freed.
int32_t SimFIReadQVS(int16_t set, SimRecord* sim, int32_t keepSettings, int32_t takeSlope);
// Reads the header of an open simulation file in its 21 groups; a short group gives
// the "VAVODE STRUCTURE CORRUPTED [n]" box and 0. dump 1 then writes the ".TXT" dump,
// whose failure is the result too (0).
int32_t SimFIWinCnvQVS(const char* simName, core_io::BinIn* file, VavOde* header, int32_t dump);
// Writes the header as text to fileName with its extension replaced by ".TXT".
// 1 when written whole; otherwise the "FAILED TO OPEN ASCII FILE [..] FOR WRITING" box
// and 0, an older ".TXT" kept.
int32_t SimFIPrntHeaderQVS(const char* fileName, const VavOde& header);
