// Settings of the AOM calibration dialog read by the AOM linearisation and the
// demodulation: the channel roles (indexes 0..8 into a block of the conversion
// record's output names; IN and OUT are ThzSettings.InChn and ThzSettings.OutChn),
// the RF calibration and error-signal settings, and the RF calibration table built
// from "AomRamp.dat" or a linear ramp. Pairs [2] are indexed by the error channel.
#pragma once

#include <cstdint>

// Interpolation methods of stage II, in the order the dialog lists them; the table
// ends with "EOL".
inline constexpr const char* AOM_INTERP_METHODS[] = {"MAP", "FILL", "EOL"};

struct AomSettingsRecord {
  // Channel roles.
  int16_t CalChn = 1;   // AOM ramp voltage
  int16_t ErrChn = 4;   // error channel 0
  int16_t Err2Chn = 6;  // error channel 1
  int16_t MrkChn = 2;   // marker signal
  int16_t PhaseChn = 5; // phase signal of the demodulation
  int16_t ErrSet = 0;   // error set shown and edited by the dialog (ERR CHN): 0 ErrChn, 1 Err2Chn

  int32_t EoStat = 0;       // ask the even/odd question
  int16_t EoAnswer = 0;     // its answer: 1 even intervals, 0 odd
  char Interp[200] = "FILL";  // interpolation method of stage II
  int32_t RampStat = 0;     // read the RF calibration file
  char RampFlnm[200] = "AomRamp.dat";
  int32_t Rev = 0;          // reversed frequency axis
  double RfScalar = 4.0;    // calibration frequency to AOM frequency
  double RfLow = 185.0;
  double RfHigh = 315.0;
  float VoltLow = 1.24f;    // ramp voltage range
  float VoltHigh = 9.595f;
  double ErrMinV[2] = {-1.0, -1.0};
  double ErrMaxV[2] = {1.0, 1.0};
  double ErrZeroV[2] = {0.0, 0.0};
  double ErrFwhm[2] = {0.0, 0.0};  // frequency width of the error-signal range
  double MkCal[2] = {0.0, 0.0};    // marker calibration (element 0 used)
  double MrZeroV[2] = {0.0, 0.0};  // marker zero (element 0 used)
  double MarkerCut = 0.05;         // marker amplitude below which a point is rejected
  int32_t JmpWin = 2;              // points rejected on each side of a jump
  double OutResol = 0.2;           // output frequency step
  // OUT RESOL as typed: kept by the dialog's refreshes after its fields' own stores
  // (their loss of focus), replaced by FSR / points per FSR after any other command.
  bool OutResolTyped = false;

  // RF calibration table: rows, the unused second header integer, and 1-based arrays
  // [1..RfRows] of voltage (ascending), AOM frequency and the spline's second
  // derivatives. Built by AomRFCalib, released by AomRFCalibFree.
  int32_t RfRows = 0;
  int32_t RfHdr2 = 0;
  float* RfVolt = nullptr;
  float* RfFrq = nullptr;
  float* RfV2f = nullptr;
};

extern AomSettingsRecord AomSettings;
