// The simulation record: nine simulation sets labelled "A".."I". A field with one
// value per set is an array of nine indexed by the set number; 9 means no set
// wherever a set number is stored. Per-line arrays are typed arrays (core/TypedArrays.h)
// owned by their set, each optional one present exactly when its flag is set; only the
// simulation-file reader, set management and the line-list upkeep change their length.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"
#include "records/AtomicField.h"
#include "records/GdiHandles.h"
#include "records/SimHitranTables.h"

constexpr int SIM_SETS = 9;
constexpr int SIM_COLORS = 11;
constexpr int SIM_NO_SET = 9;     // "no set" wherever a set number is stored
constexpr int SIM_STATES = 2;     // rotor states: ground (GND) and excited (EXC)
constexpr int SIM_GND = 0;
constexpr int SIM_EXC = 1;
constexpr int SIM_RC_CONSTS = 23;  // rotor constants per state; slot 22 of EXC is the band origin
constexpr int SIM_VIEW_LEVELS = 4; // view levels 0..3 (OMNI, ITM1, ITM2, WIN_RAW)
constexpr int SIM_TRACKBARS = 6;   // rotor trackbar dialogs: ABC, Coriolis, cross term, distortion, TDM, temperature

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

#define QV95_SIM_TDM {100.0, 100.0, 100.0}
#define QV95_SIM_TEMPS {0.0, 0.0, 0.0, 1.0}
#define QV95_SIM_SPINS {1, 1, 1, 1}
#define QV95_SIM_RANGE {0.0, 1.0}
#define QV95_SIM_CD_ON {1u, 1u}
#define QV95_SIM_RANGE_W {1.0, 1.0}
#define QV95_SIM_QTREF {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 0.0, 0.0}

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

  // View commands: the cursor-following reference frequency of each set; frequency-shift
  // mode ("SHIFT"), cursor frequency minus the typed shift kept in shift mode, and the
  // shift added to every drawn frequency; the redraw-needed and selection-change flags.
  double Ref_Frq[SIM_SETS] = {};
  uint32_t Shift_Stat[SIM_SETS] = {};
  double Frq_ShiftRef[SIM_SETS] = {};
  double Frq_Shift[SIM_SETS] = {};
  uint32_t Redraw = 0;
  uint32_t Sel_Changed = 0;
  // Assignment keys: the centring switch ("AUTO CTR"), the hand-edit status of each set
  // (a line is added at the cursor instead of assigning one), the request for a new
  // candidate search on the next drawing call, quadrupole assignments owned by the set,
  // and the cursor column of the last cursor-window selection. (The JKK and quadrupole
  // QN dialogs are requested through Dlg_Req[SIM_DLG_JKKQN] and Dlg_Req[SIM_DLG_QUADQN].)
  uint32_t Auto_Ctr = 0;
  uint32_t Edit_Stat[SIM_SETS] = {};
  uint32_t QN_Request[SIM_SETS] = {};
  uint32_t QC_STAT[SIM_SETS] = {};
  int32_t Asn_CursorX = 0;
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

#define QV95_SIM_ALL(v) {v, v, v, v, v, v, v, v, v}
  // Sine baseline: the term the sine dialog edits, "REL" (the second term's phase
  // includes the first's). Time-domain weighting: sweep rate (on when not 0) and delay.
  int16_t Sine_Term[SIM_SETS] = {};
  uint32_t Sine_Rel[SIM_SETS] = {};
  double TD_Rate[SIM_SETS] = {};
  double TD_Delay[SIM_SETS] = {};
  // Power normalisation of the line heights: switch, file, divisor ("NRM FACTOR").
  uint32_t PowNrm_Stat[SIM_SETS] = {};
  char Norm_Flnm[SIM_SETS][200] = QV95_SIM_ALL("NormFlnm");
  double PowNrm_Ref = 1.0;
  uint32_t Ofs_Fix[SIM_SETS] = {};  // FIX: the offset is not rescaled with the scalar
  // Chebyshev baseline: shown, points covered, coefficients per section, sections,
  // coefficients present, and the coefficients (Cheb_Sections rows of Cheb_Order).
  uint32_t Cheb_Dsp[SIM_SETS] = {};
  int32_t Cheb_Pts[SIM_SETS] = {};
  int32_t Cheb_Order[SIM_SETS] = QV95_SIM_ALL(2);
  int32_t Cheb_Sections[SIM_SETS] = QV95_SIM_ALL(1);
  uint32_t Cheb_Valid[SIM_SETS] = {};
  double** Cheb_Coef[SIM_SETS] = {};

  // Quantum-number list: ordered by intensity, selection from the list, "ASN LIST"
  // (assigned lines only, kept by the renderer), filled by the renderer, the cursor
  // window's first and last line (-1 and -2 when empty), selected line, selected
  // position (0 = none), lines filled, planned length, capacity and the list itself.
  uint32_t QN_SortItn[SIM_SETS] = QV95_SIM_ALL(1);
  uint32_t QN_FromList[SIM_SETS] = {};
  uint32_t QN_Freeze[SIM_SETS] = {};
  uint32_t QN_Scan[SIM_SETS] = {};
  int32_t FI_QN_BEG[SIM_SETS] = QV95_SIM_ALL(-1);
  int32_t FI_QN_END[SIM_SETS] = QV95_SIM_ALL(-2);
  int32_t QN_Sel_Line[SIM_SETS] = {};
  int32_t FI_QN_List_Sel[SIM_SETS] = {};
  int32_t FI_QN_List_Cnt[SIM_SETS] = {};
  int32_t FI_QN_List_Tot[SIM_SETS] = {};
  int32_t FI_QN_List_Sz[SIM_SETS] = {};
  int32_t* FI_QN_List_Ary[SIM_SETS] = {};
  uint32_t Jkk_Filter[SIM_SETS][2] = {};  // the two quantum-number filters of the list
  // Combination differences: selection from the CD list, selected entry, the LS, US
  // and BS lists; fix sets: count, fixed flag, member count and capacity, members and
  // their saved unshifted frequencies, current fix set (-1 = none).
  uint32_t QN_FromCD[SIM_SETS] = {};
  int32_t FI_CD_Sel[SIM_SETS] = {};
  uint32_t FI_CD_List_Tot[SIM_SETS][3] = {};
  int32_t* FI_CD_List_Ary[SIM_SETS][3] = {};
  uint32_t FI_CD_FixSet_Tot[SIM_SETS] = {};
  BOOL* FI_CD_FixSet_Fixed[SIM_SETS] = {};
  int32_t* FI_CD_FixSet_Cnt[SIM_SETS] = {};
  int32_t FI_CD_FixSet_Cap[SIM_SETS] = {};
  int32_t** FI_CD_FixSet_Idx[SIM_SETS] = {};
  double** FI_CD_FixSet_Erg[SIM_SETS] = {};
  int32_t FI_CD_FixSet_Cur[SIM_SETS] = QV95_SIM_ALL(-1);

  // Lines of the last rendering call (-1 when none), assignment statistics, level count.
  int32_t FI_IDX_BEG[SIM_SETS] = {};
  int32_t FI_IDX_END[SIM_SETS] = {};
  uint32_t FI_Asn_Lines[SIM_SETS] = {};  // lines with an experimental frequency
  uint32_t FI_Erg_Sz[SIM_SETS] = {};     // level energies per state in FI_HamErg_Vector
  float FI_OmC_Rms[SIM_SETS] = {};       // RMS of observed minus calculated
  // A drawn line lies at FI_Sim_Erg x Frq_Scale + Frq_Shift + Frq_Offset.
  double Frq_Scale[SIM_SETS] = QV95_SIM_ALL(1.0);
  double Frq_Offset[SIM_SETS] = {};

  // Presence flags of the optional per-line arrays (each array exists exactly when its
  // flag is set) and of the header sections of the simulation file.
  uint32_t IDVWIDTH_STAT[SIM_SETS] = {};     // FI_Gau_FWHM, FI_Lor_FWHM
  uint32_t NLLSF_STAT[SIM_SETS] = {};        // FI_LS_VarStat, FI_LS_StdDev
  uint32_t DVS_STAT[SIM_SETS] = {};          // FI_Dev
  uint32_t TEMP_GLOBAL_STAT[SIM_SETS] = {};  // level energies and indexes; temperatures from the file
  uint32_t TDM_GLOBAL_STAT[SIM_SETS] = {};   // transition-dipole shares from the file
  uint32_t AMP_STAT[SIM_SETS] = {};          // FI_Amp
  uint32_t IMAG_STAT[SIM_SETS] = {};         // FI_Imag (only with AMP_STAT)
  uint32_t FM_STAT[SIM_SETS] = {};           // FI_FM_Lbl
  uint32_t DM_GLOBAL_STAT[SIM_SETS] = {};    // Stark simulation: DM_Prm and DM_FIELD apply
  uint32_t LN_STAT[SIM_SETS] = {};           // area-normalised line shapes (always 1 for HITRAN)
  uint32_t HT_LnCalc[SIM_SETS] = {};         // each line's profile from its HITRAN parameters
  uint32_t Vib_Stat[SIM_SETS] = {};          // vibrational set

  // Per-line arrays (FI_Lines entries, or the multiple given), parallel: entry i of
  // each belongs to line i. Made, resized and freed only through core/TypedArrays.h.
  int32_t* FI_SortIdx[SIM_SETS] = {};        // 1-based ascending index of FI_Sim_Erg
  BOOL* FI_LS_VarStat[SIM_SETS] = {};        // 5 per line
  float* FI_LS_StdDev[SIM_SETS] = {};        // 5 per line
  float* FI_Gau_FWHM[SIM_SETS] = {};
  float* FI_Lor_FWHM[SIM_SETS] = {};
  char* FI_BT_Lbl[SIM_SETS] = {};            // band type 'A', 'B', 'C' or 'N'
  int16_t* FI_Jkk_Lbl[SIM_SETS] = {};        // J', Ka', Kc', J'', Ka'', Kc''
  float* FI_FM_Lbl[SIM_SETS] = {};           // F' and F'' (or M)
  float* FI_Sim_Itn[SIM_SETS] = {};
  float* HT_Itn[SIM_SETS] = {};
  float* FI_Amp[SIM_SETS] = {};              // 3 per line (a, b, c)
  float* FI_Imag[SIM_SETS] = {};             // 3 per line
  float* FI_Sim_ItnSave[SIM_SETS] = {};
  float* FI_Exp_Unc[SIM_SETS] = {};
  int32_t* FI_Erg_Idx[SIM_SETS][SIM_STATES] = {};  // line's level in FI_HamErg_Vector
  float** FI_AreaPeak_FAry[SIM_SETS] = {};   // two rows: area, peak
  double* FI_Dev[SIM_SETS] = {};             // nd derivatives per line, line by line
  double* FI_CovMat[SIM_SETS] = {};          // FI_CovSz elements
  uint32_t FI_CovSz[SIM_SETS] = {};
  uint32_t LS_AreaShown[SIM_SETS] = {};      // "IA|PK": area (1) or peak (0) shown

  // Rotor constants per state (slot 22 of EXC is the band origin), standard deviations,
  // active flags (a derivative column in FI_Dev) and active count per state; dipole
  // components and field; transition-dipole shares along a, b, c in percent;
  // kelvin to level-energy factor; temperatures (first, second, weight of the second,
  // ratio second/first) and nuclear spin weights.
  double RC_Prm[SIM_SETS][SIM_STATES][SIM_RC_CONSTS] = {};
  double RC_StdDev[SIM_SETS][SIM_STATES][SIM_RC_CONSTS] = {};
  uint32_t RC_DevStat[SIM_SETS][SIM_STATES][SIM_RC_CONSTS] = {};
  uint32_t DVS_NO[SIM_SETS][SIM_STATES] = {};
  double DM_Prm[SIM_SETS][SIM_STATES][3] = {};
  double DM_FIELD[SIM_SETS] = {};
  double TDM_Angle[SIM_SETS][3] = QV95_SIM_ALL(QV95_SIM_TDM);
  double Temp2Erg[SIM_SETS] = QV95_SIM_ALL(20836.7381265);
  double Rot_Temp[SIM_SETS][4] = QV95_SIM_ALL(QV95_SIM_TEMPS);
  uint32_t Spin_Wts[SIM_SETS][4] = QV95_SIM_ALL(QV95_SIM_SPINS);
  // Trackbar states of the rotor trackbar dialogs (rows in SimDlgKind order ABC..TEMP).
  uint32_t Trackbar_Stat[SIM_TRACKBARS][SIM_SETS] = {QV95_SIM_ALL(1), QV95_SIM_ALL(1), QV95_SIM_ALL(1),
                                                     QV95_SIM_ALL(1), QV95_SIM_ALL(1), QV95_SIM_ALL(1)};

  // HITRAN: static isotope tables (labels, counts, molar masses; [molecule][isotope - 1]),
  // result of the last partition-function lookup, lines with a zero self width, molecule
  // label per line (molecule x 10 + isotope), the set's molecule and isotope, temperature
  // exponents, frequency limit switch, number density, Q(T) and Q(296 K) per isotope,
  // Doppler width and base-10 absorbance switches.
  static constexpr const auto& HT_Iso_Lbl = kHtIsoLbl;
  static constexpr const auto& HT_Iso_Cnt = kHtIsoCnt;
  static constexpr const auto& HT_MassTable = kHtMassTable;
  uint32_t HT_QT_Stat[SIM_SETS] = {};
  uint32_t HT_ZeroSelf_Lines[SIM_SETS] = {};
  int16_t* HT_Mol_Lbl[SIM_SETS] = {};
  int16_t HT_Mol[SIM_SETS] = {};
  int16_t HT_Iso[SIM_SETS] = {};
  float* HT_Temp_Gamma[SIM_SETS] = {};
  uint32_t HT_FrqLim_Stat[SIM_SETS] = {};
  double HT_NDens[SIM_SETS] = QV95_SIM_ALL(7.3388931384e+21 / 296.0);
  double HT_QT[SIM_SETS] = QV95_SIM_ALL(1.0);
  double HT_QT_Ref[SIM_SETS][HT_ISOTOPES] = QV95_SIM_ALL(QV95_SIM_QTREF);
  uint32_t HT_Doppler_Stat[SIM_SETS] = QV95_SIM_ALL(1);
  uint32_t HT_Log10_Stat[SIM_SETS] = {};

  // Line shapes: profiles in double precision (1) or single; per set and view level
  // the template and half-profile lengths, the capacities of the three stores, the
  // largest length used ("SEARCH PTS") and the value last shown, the single- and
  // double-precision half profiles, the template, and the view step of the template;
  // trackbar ranges of the line-shape dialog (Gaussian low, high, Lorentzian low, high);
  // area and centre value of the last built profile.
  uint32_t LS_Double = 1;
  int32_t LS_SPts[SIM_SETS][SIM_VIEW_LEVELS] = {};
  int32_t LS_Pts[SIM_SETS][SIM_VIEW_LEVELS] = {};
  int32_t LS_SAryCap[SIM_SETS][SIM_VIEW_LEVELS] = {};
  int32_t LS_FAryCap[SIM_SETS][SIM_VIEW_LEVELS] = {};
  int32_t LS_DAryCap[SIM_SETS][SIM_VIEW_LEVELS] = {};
  int32_t LS_SearchPts[SIM_SETS][SIM_VIEW_LEVELS] = {};
  int32_t LS_SearchPtsShown[SIM_SETS][SIM_VIEW_LEVELS] = {};
  float* LS_Lo_FAry[SIM_SETS][SIM_VIEW_LEVELS] = {};
  float* LS_Hi_FAry[SIM_SETS][SIM_VIEW_LEVELS] = {};
  int16_t* LS_SAry[SIM_SETS][SIM_VIEW_LEVELS] = {};  // template: 32767 at the centre
  double* LS_Lo_DAry[SIM_SETS][SIM_VIEW_LEVELS] = {};
  double* LS_Hi_DAry[SIM_SETS][SIM_VIEW_LEVELS] = {};
  double LS_StepCache[SIM_SETS][SIM_VIEW_LEVELS] = {};
  double LS_GauRange[SIM_SETS][2] = QV95_SIM_ALL(QV95_SIM_RANGE);
  double LS_LorRange[SIM_SETS][2] = QV95_SIM_ALL(QV95_SIM_RANGE);
  float LS_Area[SIM_SETS] = {};
  float LS_Peak[SIM_SETS] = {};
  // The status text of the last profile of the set refused as too long to build ("[A]
  // TMPL [0] NEEDS [57431249] PTS - NOT DRAWN"); the spectrum writer clears it before
  // each rendering and names it when the set is refused.
  char LS_Refused[SIM_SETS][160] = {};

  // Rendering: lines of negative lower energy met by the intensity calculation; the
  // widths, extent and width mode with which each set's template was last built; the
  // JKK filter values (Jkk_Filter[set][0]: quantum number at Jkk_QNIdx equal to
  // Jkk_QNVal; Jkk_Filter[set][1]: J' - J'' equal to Jkk_BrVal); the HITRAN pressure
  // scan's running flag per set and the value at the cursor it reads.
  int32_t NegErg_Cnt[SIM_SETS] = {};
  double LS_CacheGau[SIM_SETS] = {};
  double LS_CacheLor[SIM_SETS] = {};
  int16_t LS_CacheNOLWS[SIM_SETS] = {};
  float LS_CacheSpan[SIM_SETS] = {};
  uint32_t LS_CacheMode[SIM_SETS] = {};
  int16_t Jkk_QNIdx[SIM_SETS] = {};
  int32_t Jkk_QNVal[SIM_SETS] = {};
  int16_t Jkk_BrVal[SIM_SETS] = {};
  uint32_t HtScanRunning[SIM_SETS] = {};
  double HtScanReadout = 0.0;

  int16_t Ctl_First = 0;  // set in the left column of the simulation control dialog

  // Simulation control dialog and the per-set dialogs: the control dialog creator's
  // re-entrancy guard, per kind and set the shown flag, one guard per kind; the
  // quadrupole display flag of each set ("DSP" of the quadrupole row).
  uint32_t Ctl_Guard = 0;
  uint32_t Dlg_Shown[SIM_DLG_KINDS][SIM_SETS] = {};
  uint32_t Dlg_Guard[SIM_DLG_KINDS] = {};
  uint32_t Quad_Dsp[SIM_SETS] = {};
  // Trackbar parameters of the display-shaping dialogs (SimShapePrm order: scalar,
  // slope, offset; amplitude, period, period end, phase, damping, chirp; rate, delay):
  // per set the range low and high ends and the range width w; per set and dialog
  // (scale/offset, sine, Chebyshev) the range-set flag; the sine dialog's first-opening
  // flag and the HITRAN scalar notice shown once per set.
#define QV95_SIM_W11 {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}
  double Shape_Lo[SIM_SETS][11] = {};
  double Shape_Hi[SIM_SETS][11] = {};
  double Shape_W[SIM_SETS][11] = QV95_SIM_ALL(QV95_SIM_W11);
#undef QV95_SIM_W11
  uint32_t Shape_Valid[SIM_SETS][3] = {};
  uint32_t Sine_Opened[SIM_SETS] = {};
  uint32_t HT_ScalarNote[SIM_SETS] = {};
  // Line-shape dialog: range widths w (Gaussian, Lorentzian) and the range-set flag.
  double LS_RangeW[SIM_SETS][2] = QV95_SIM_ALL(QV95_SIM_RANGE_W);
  uint32_t LS_RangeValid[SIM_SETS] = {};
  // Rotor and quadrupole trackbar dialogs: per set and parameter row (ABC 0-5,
  // Coriolis 6-11, cross terms 12-17, distortion 18-27, TDM 28-30, temperature 31-33,
  // quadrupole 34-40) the range ends and the range width exponent (0: the base spread).
  // Their rebuild flags are Trackbar_Stat above and Quad.Trackbar_Stat.
  double Trk_Lo[SIM_SETS][48] = {};
  double Trk_Hi[SIM_SETS][48] = {};
  double Trk_W[SIM_SETS][48] = {};
  // Assignment keys: the first visible position of the QN list (the JKK QN dialog's
  // first row) and the uncertainty given to a line assigned without one.
  int32_t FI_QN_List_Top[SIM_SETS] = {};
  float Asn_StdUnc[SIM_SETS] = {};
  // Assigned-line list: the position the list returns to when "ASN LIST" comes back on
  // without a filter (-1 = none), and the filter dialog's last value seen.
  int32_t FI_QN_List_Mem[SIM_SETS] = QV95_SIM_ALL(-1);
  int32_t Jkk_QNValSeen[SIM_SETS] = {};
  // JKK QN dialog: its EXPT FREQ column shows experimental minus simulated frequencies.
  uint32_t QN_ShowOC[SIM_SETS] = {};
  // Combination differences: the lower- and upper-level search flags ([0] LS, [1] US),
  // the loop flag and the fix mode of each set; the CD dialog's first visible BS
  // position and its selection-changed flag; slope and intercept of the last error
  // analysis (ground-state difference against its observed error).
  uint32_t CD_Search[SIM_SETS][2] = QV95_SIM_ALL(QV95_SIM_CD_ON);
  uint32_t CD_Loop[SIM_SETS] = {};
  uint32_t CD_FixMode[SIM_SETS] = {};
  int32_t FI_CD_Top[SIM_SETS] = {};
  uint32_t CD_SelChanged[SIM_SETS] = {};
  double CD_Slope = 0.0;
  double CD_Intercept = 0.0;
  // Torsional-barrier dialog: frame choice (1 principal axes, 2 rho axes, 0 not chosen
  // yet = 1), the rotor constants its calculation started from and whether they are kept.
  int32_t W36_Frame[SIM_SETS] = {};
  double W36_Init[SIM_SETS][SIM_STATES][SIM_RC_CONSTS] = {};
  uint32_t W36_InitSet[SIM_SETS] = {};
#undef QV95_SIM_ALL
};
#undef QV95_SIM_TDM
#undef QV95_SIM_TEMPS
#undef QV95_SIM_SPINS
#undef QV95_SIM_RANGE
#undef QV95_SIM_CD_ON
#undef QV95_SIM_RANGE_W
#undef QV95_SIM_QTREF

extern SimRecord Sim;
