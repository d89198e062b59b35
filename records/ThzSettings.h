// Settings and state of the THz scan linearisation, shared by the AOM calibration
// dialog, the operation sequence and the linearisation phases, which hand over to one
// another through it. Frequencies are in the unit of the wavemeter log.
#pragma once

#include <cstdint>

struct ThzSettingsRecord {
  char WaveFlnm[200] = "WaveFreq.dat";  // wavemeter log (CAL FLNM)
  char RepeatFlnm[200] = "MksRepeat";   // repeated-section list, one point position per line
  int32_t LowerMk = 0;                  // first log reading used (line index from 0)
  int32_t UpperMk = 0;                  // end reading; 0 in phase 0: to the end of the log
  int32_t TotIntv = 0;                  // readings used, UpperMk - LowerMk
  int32_t IntvSize = 512;               // intensity points per log reading
  uint32_t FileLen = 0;                 // points phase I leaves for phase II
  uint32_t OutPts = 0;                  // output points
  uint32_t SectLo = 0;                  // current section [SectLo, SectHi) of the intensity file
  uint32_t SectHi = 0;
  double BegFrq = 0.0;                  // target range; BegFrq > EndFrq is a downward scan
  double EndFrq = 0.0;
  double InFrqStp = 1.0;                // shown only
  double OutFrqStp = 0.0;               // output frequency step
  double MinRes = 0.001;                // co-adding resolution of phase II
  double OpseqMin = 1.0;                // smallest span a section must cover (phase I)
  double FsrScalar = 1.0;               // FSR multiplier of the jump threshold
  int32_t MrkStat = 0;                  // place sections by markers or AOM calibration
  int32_t LockStat = 0;                 // AOM calibration way; no wavemeter question
  int32_t WavePlace = 0;                // 1: the wavemeter log places the sections
  int32_t WaveKind = 0;                 // 0 Burleigh, 1 High Finesse
  int32_t PerPointLog = 0;              // 1: one reading per point, 0: one per interval
  int16_t InChn = 8;                    // input intensity name of the set (0..8)
  int16_t OutChn = 7;                   // output name of the set (0..8)
  char FrqFlnm[200] = "";               // frequency file of the section ("FRQ_FRQ" when empty)
  uint32_t SetIdx = 0;                  // current section number
  uint32_t SetCount = 0;                // entries of the repeated-section list
  int32_t Status = 0;                   // answer of the last question: 6 go on, 7 skip, 2 abort
  uint32_t RangeCheck = 0;              // phase I checks the covered span against OpseqMin
  double ActLo = 0.0;                   // absolute frequency covered by phase I, start and end
  double ActHi = 0.0;
  double FsrWork = 0.0;                 // the FSR as the placement phases use it
};

extern ThzSettingsRecord ThzSettings;
