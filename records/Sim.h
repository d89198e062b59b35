// The simulation record: nine simulation sets labelled "A".."I". A field with one
// value per set is an array of nine indexed by the set number; 9 means no set
// wherever a set number is stored. Per-line arrays are added with the simulation file.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"
#include "records/AtomicField.h"
#include "records/GdiHandles.h"

constexpr int SIM_SETS = 9;
constexpr int SIM_COLORS = 11;

// Kinds of the modeless per-set dialogs (rows of Dlg_Req and Dlg_Hwnd).
enum SimDlgKind : int {
  SIM_DLG_ABC,        // rotational-constant trackbars (203)
  SIM_DLG_CORIOLIS,   // Coriolis trackbars (204)
  SIM_DLG_CROSS,      // cross-term trackbars (205)
  SIM_DLG_DDIST,      // distortion-constant trackbars (206)
  SIM_DLG_TDM,        // transition-dipole trackbars (207)
  SIM_DLG_TEMP,       // temperature trackbars (208)
  SIM_DLG_JKKQN,      // quantum-number list (800/801)
  SIM_DLG_COMBDIFF,   // combination differences (744/745)
  SIM_DLG_FILTER,     // quantum-number filter (802)
  SIM_DLG_QUADTB,     // quadrupole trackbars (8001)
  SIM_DLG_QUADQN,     // quadrupole quantum-number list (8002)
  SIM_DLG_RESIDUAL,   // RESIDUALS (9001)
  SIM_DLG_SCALEOFS,   // scalar/offset (1201)
  SIM_DLG_SINE,       // sine baseline (1203); requested by Sine_Stat
  SIM_DLG_CHEB,       // Chebyshev baseline (1280)
  SIM_DLG_HITRAN,     // HITRAN settings (1000); requested by HT_Ary_Stat
  SIM_DLG_LINESHAPE,  // line shape (1300)
  SIM_DLG_VOIGT,      // line-shape fit (1401)
  SIM_DLG_VOIGT2,     // line-shape fit, second form (1402)
  SIM_DLG_RDF,        // ring-down fit (1406)
  SIM_DLG_BARRIER,    // V3 barrier
  SIM_DLG_KINDS
};

struct SimRecord {
  // Identity of each set: version and type of its simulation file, labels, file names.
  char Version[SIM_SETS][16] = {"QVS 1.9", "QVS 1.9", "QVS 1.9", "QVS 1.9", "QVS 1.9",
                                "QVS 1.9", "QVS 1.9", "QVS 1.9", "QVS 1.9"};
  char Sim_Type[SIM_SETS][50] = {"ORV v5.1", "ORV v5.1", "ORV v5.1", "ORV v5.1", "ORV v5.1",
                                 "ORV v5.1", "ORV v5.1", "ORV v5.1", "ORV v5.1"};
  int16_t Cur_Set = 0;
  char Set_Lbl[10][5] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "EOL"};
  char Sim_Flnm[SIM_SETS][200] = {"NoName", "NoName", "NoName", "NoName", "NoName",
                                  "NoName", "NoName", "NoName", "NoName"};
  char Asn_Flnm[SIM_SETS][200] = {"SimA.asn", "SimB.asn", "SimC.asn", "SimD.asn", "SimE.asn",
                                  "SimF.asn", "SimG.asn", "SimH.asn", "SimI.asn"};
  uint32_t FI_Lines[SIM_SETS] = {};  // number of lines
  Shared<uint32_t> Busy_Stat[SIM_SETS] = {};  // 1 while the set's simulation file is read

  // Display: shown, part of the sum, linked channel, scalar, offset, slope and its reference.
  uint32_t Dsp_Stat[SIM_SETS] = {};
  uint32_t Sum_Stat[SIM_SETS] = {};
  int16_t Dsp_Cnl[SIM_SETS] = {9, 9, 9, 9, 9, 9, 9, 9, 9};
  double Dsp_Scalar[SIM_SETS] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  double Dsp_Offset[SIM_SETS] = {};
  double Dsp_Slope[SIM_SETS] = {};
  double Dsp_Intercept[SIM_SETS] = {};
  uint32_t AB_Sum = 0;  // sets A and B are drawn as their sum

  // Sine baseline: switch, two terms of amplitude, period and phase, damping, chirp,
  // offset switch and the FFT display of the sine model.
  uint32_t Sine_Stat[SIM_SETS] = {};
  double Sine_Amp[SIM_SETS][2] = {{0.1, 0.0}, {0.1, 0.0}, {0.1, 0.0}, {0.1, 0.0}, {0.1, 0.0},
                                  {0.1, 0.0}, {0.1, 0.0}, {0.1, 0.0}, {0.1, 0.0}};
  double Sine_Period[SIM_SETS][2] = {};
  double Sine_Phase[SIM_SETS][2] = {};
  double Sine_Damping[SIM_SETS] = {};
  double Sine_ChirpT[SIM_SETS] = {};
  double Sine_PerEnd[SIM_SETS] = {};
  uint32_t Sine_Ofs[SIM_SETS] = {};
  uint32_t Sine_FFT = 0;

  // Line shape: Gaussian and Lorentzian widths, function (0 "VOIGT", 1 "FULL LOR",
  // 2 "VVWEISS"), extent over a number of widths (mode 1) or a fixed half extent.
  double LS_GAU[SIM_SETS] = {};
  double LS_LOR[SIM_SETS] = {};
  int16_t LS_Func[SIM_SETS] = {};
  uint32_t LS_WidthMode[SIM_SETS] = {};
  float LS_Span[SIM_SETS] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  int16_t LS_NOLWS[SIM_SETS] = {20, 20, 20, 20, 20, 20, 20, 20, 20};
  char LS_FuncName[5][25] = {"VOIGT", "FULL LOR", "VVWEISS", "EOL", "LOR&GAU"};

  // Colours: the set colour table, its pens and brushes, the row of each set.
  int16_t RGB[SIM_COLORS][3] = {{0, 0, 0},     {0, 0, 255},     {255, 0, 0},  {0, 170, 0},
                                {255, 0, 255}, {255, 144, 0},   {0, 255, 0},  {0, 255, 255},
                                {255, 255, 0}, {160, 160, 160}, {255, 255, 255}};
  HPEN Pen[SIM_COLORS] = {};
  HBRUSH Brush[SIM_COLORS] = {};
  int16_t COLOR_NO[SIM_SETS] = {};

  // HITRAN settings carried by the working file.
  uint32_t HT_Global_Stat[SIM_SETS] = {};  // the set is a HITRAN simulation
  double HT_Mass[SIM_SETS] = {5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0};
  double HT_PPress[SIM_SETS] = {0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01};
  double HT_Press[SIM_SETS] = {};
  double HT_Temp[SIM_SETS] = {296.0, 296.0, 296.0, 296.0, 296.0, 296.0, 296.0, 296.0, 296.0};
  double HT_Path[SIM_SETS] = {0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01};
  double HT_SelfFactor[SIM_SETS] = {1e10, 1e10, 1e10, 1e10, 1e10, 1e10, 1e10, 1e10, 1e10};
  double HT_FrqLim[SIM_SETS] = {20.0, 20.0, 20.0, 20.0, 20.0, 20.0, 20.0, 20.0, 20.0};
  uint32_t HT_Trans_Stat[SIM_SETS] = {};
  uint32_t HT_Torr_Stat[SIM_SETS] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  uint32_t HT_MHz_Stat[SIM_SETS] = {};  // HITRAN values held in MHz (1) or cm-1 (0)

  // Per-line arrays of each set (FI_Lines values; null until the set is read): the
  // simulated, assigned experimental (0 = unassigned) and pressure-shifted frequencies,
  // the level energies of the lower (0) and upper (1) state, and the HITRAN air and self
  // half widths and air pressure shift.
  double* FI_Sim_Erg[SIM_SETS] = {};
  double* FI_Exp_Erg[SIM_SETS] = {};
  double* HT_Shift_Erg[SIM_SETS] = {};
  double* FI_HamErg_Vector[SIM_SETS][2] = {};
  float* HT_Air_Gamma[SIM_SETS] = {};
  float* HT_Self_Gamma[SIM_SETS] = {};
  float* HT_Air_Delta[SIM_SETS] = {};

  // Rotor fit state and the one-state switch.
  int16_t FIT_STATE[SIM_SETS] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  uint32_t ONESTATE_STAT[SIM_SETS] = {};

  // Modified flags and the save-time update flag (saving first offers to rewrite
  // modified simulation and assignment files).
  uint32_t Sim_Modified[SIM_SETS] = {};
  uint32_t Asn_Modified[SIM_SETS] = {};
  uint32_t Upd_Stat = 0;

  // View commands: quantum-number mode, reference frequency, switch, value and base
  // frequency of each set, the redraw-needed and selection-change flags.
  uint32_t QN_Mode[SIM_SETS] = {};
  double Ref_Frq[SIM_SETS] = {};
  uint32_t Ref_Stat[SIM_SETS] = {};
  double Ref_Val[SIM_SETS] = {};
  double Base_Frq[SIM_SETS] = {};
  uint32_t Redraw = 0;
  uint32_t Sel_Changed = 0;
  // Assignment keys: the centring switch ("AUTO CTR"), the hand-edit status of each set
  // (a line is added at the cursor instead of assigning one), the request for a new
  // candidate search on the next drawing call, quadrupole assignments owned by the set,
  // the cursor column of the last cursor-window selection, and the request flag of
  // each set's quadrupole QN dialog.
  uint32_t Auto_Ctr = 0;
  uint32_t Edit_Stat[SIM_SETS] = {};
  uint32_t QN_Request[SIM_SETS] = {};
  uint32_t QC_STAT[SIM_SETS] = {};
  int32_t Asn_CursorX = 0;
  uint32_t QuadQN_Req[SIM_SETS] = {};
  // Labels: sticks and line labels drawn, and labels of assigned lines only.
  uint32_t Lbl_Stat = 1;
  uint32_t Lbl_AsnOnly = 0;

  // Residuals: switches, scale and offset of the trace, results, residual file.
  uint32_t Res_Written[SIM_SETS] = {};
  uint32_t Res_1st[SIM_SETS] = {};
  uint32_t Res_2nd[SIM_SETS] = {};
  uint32_t Res_Ave[SIM_SETS] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  uint32_t Res_Rms[SIM_SETS] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  char Res_Flnm[200] = "Res.bin";
  double Res_Scalar[SIM_SETS] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  double Res_Offset[SIM_SETS] = {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1};
  double Res_AveVal[SIM_SETS] = {};
  double Res_RmsVal[SIM_SETS] = {};

  // Export names: assignment export and spectrum dump.
  char AsnExp_Flnm[200] = "Sim.asn";
  char Bin_Flnm[200] = "Sim.bin";

  // Older working files: OH line-database and calibration names, power-normalisation
  // files with one value each, the line database, label file and molecule of each set,
  // the number of database entries and the temperature of each set in kelvin.
  char OH_Flnm[4][200] = {"oh000.dat", "oh00.dat", "ohuvcal.dat", "out.int"};
  char Pow_Flnm[3][200] = {"irpow", "expow", "uvpowl"};
  double Pow_Val[3] = {};
  char LineDb_Flnm[SIM_SETS][200] = {"oh00.dat", "od00.dat"};
  char LineDb_Lbl[SIM_SETS][25] = {"OH", "OD"};
  char Label_Flnm[SIM_SETS][200] = {"ohuvcal.dat", "oduvcal.dat"};
  int32_t LineDb_Cnt[SIM_SETS] = {};
  float OH_Temp[SIM_SETS] = {300.0f, 300.0f, 300.0f, 300.0f, 300.0f,
                             300.0f, 300.0f, 300.0f, 300.0f};

  // Simulation control dialog: shown flag and window (null until first created).
  uint32_t Ctl_Shown = 0;
  HWND Ctl_Hwnd = nullptr;
  // Modeless per-set dialogs: per kind and set the request flag (1 = the user wants it
  // open; the creator's result is stored here) and the window (null until created).
  // The sine dialog's request is Sine_Stat and the HITRAN dialog's HT_Ary_Stat.
  uint32_t Dlg_Req[SIM_DLG_KINDS][SIM_SETS] = {};
  HWND Dlg_Hwnd[SIM_DLG_KINDS][SIM_SETS] = {};
  uint32_t HT_Ary_Stat[SIM_SETS] = {};  // the HITRAN dialog of the set is requested
};

extern SimRecord Sim;
