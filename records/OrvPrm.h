// The rotor-program parameter record, as far as the main window and the working file
// use it: version, program path and mode, input, assignment and result names, and the
// rotor options dialog.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

struct OrvPrmRecord {
  char Version[16] = "v5.6";
  char Prog_Path[500] = "";       // rotor program ("orv95.exe" or "vespar95.exe")
  int16_t Prog_Mode = 0;          // 1: VESPAR
  char In_Flnm[200] = "Orv.in";   // input file, carried by the working file
  char Asn_Flnm[200] = "Orv.asn";
  uint32_t Asn_Lines = 0;         // data lines of the assignment file chosen last
  char Res_Flnm[200] = "NO_SIM";  // pending rotor result, "NO_SIM" when none
  HWND Dlg_Hwnd = nullptr;        // rotor options dialog, null while closed
  uint32_t One_State = 0;         // one-state setting: the excited state is not calculated
  // Constants handed to the next rotor run (ORV (PRMS) of the simulation control
  // dialog): fit state and one-state switch of the set, and per state (ground,
  // excited) and constant the value, the standard deviation of the value and the
  // standard deviation of the change between the states.
  int16_t Fit_State = 1;
  uint32_t OneState_Stat = 0;
  double Prm[2][23] = {};
  double Prm_StdDev[2][23] = {};
  double Prm_DeltaDev[2][23] = {};
  // Rotor dialog values that the catalogue imports use: temperature T1 in kelvin, the
  // kelvin-to-energy factor in the rotor units ("MHz" or "CM-1"), the fit selection
  // (row of Fit_Names) and the spin statistical weights EE, EO, OO, OE of the lower
  // level's Ka and Kc parities.
  double Temp_T1 = 300.0;
  double Temp2Erg = 20836.7381265;
  char Units_Txt[25] = "MHz";
  int16_t Fit_Sel = 0;
  char Fit_Names[6][25] = {"GND ONLY", "EXC ABS", "EXC DEL", "GND CD", "EXC CD", "EOL"};
  int32_t Spin_Wts[4] = {1, 1, 1, 1};
  // The input file's own fields: its comment, the constants as last read (per state
  // and constant: status flag, value, delta between the states and standard
  // deviation), the base name the program gives its result ("<base>.QVS"), the four
  // counters of a pending result (lines, assigned lines, fitted constants, exit code
  // of the run; cleared when the result is read), and how long a run is waited for.
  char Comment[200] = "";
  int32_t Read_Stat[2][23] = {};
  double Read_Prm[2][23] = {};
  double Read_Delta[2][23] = {};
  double Read_StdDev[2][23] = {};
  char Out_Base[200] = "ORV";
  uint32_t Res_Counts[4] = {};
  uint32_t Run_Wait_Ms = 120000;
};

extern OrvPrmRecord OrvPrm;
