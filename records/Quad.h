// The quadrupole hyperfine record, as far as the main window, the working file, the
// simulation files and the renderer use it: program path, parameter file, and per set the
// assignment file, the assignment list, its modified flag, the parameters stored in the
// set's simulation file and the trackbar state; the hyperfine components of the selected
// line and their list.
#pragma once

#include <cstdint>

constexpr int QUAD_SETS = 9;

struct QuadRecord {
  char Prog_Path[500] = "Hfs95.exe";
  char In_Flnm[200] = "Quad.in";
  char Asn_Flnm[QUAD_SETS][200] = {"QuadA.asn", "QuadB.asn", "QuadC.asn",
                                   "QuadD.asn", "QuadE.asn", "QuadF.asn",
                                   "QuadG.asn", "QuadH.asn", "QuadI.asn"};
  // Assignments of each set: count and list of entries of five values (experimental
  // frequency, F', F'', line index, uncertainty), and the modified flag.
  int32_t Asn_Cnt[QUAD_SETS] = {};
  double* Asn_TList[QUAD_SETS] = {};
  uint32_t Asn_Modified[QUAD_SETS] = {};
  // The two parameter groups stored in the simulation file: per state (ground, excited)
  // the coupling constants chi_aa, chi_bb, chi_cc in the set's frequency unit, and the
  // nuclear spin I of the coupling nucleus.
  double Prm[QUAD_SETS][2][3] = {};
  double Prm2[QUAD_SETS] = {};
  uint32_t Trackbar_Stat[QUAD_SETS] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  // Components of the selected line: count, capacity, F' and F'' pairs, frequency,
  // relative intensity, assigned frequency (0 = unassigned) and its uncertainty.
  int32_t Comp_Count[QUAD_SETS] = {};
  int32_t Comp_Cap[QUAD_SETS] = {};
  double* Comp_F[QUAD_SETS] = {};
  double* Comp_Frq[QUAD_SETS] = {};
  float* Comp_Itn[QUAD_SETS] = {};
  double* Comp_ExpFrq[QUAD_SETS] = {};
  float* Comp_Unc[QUAD_SETS] = {};
  // The component list of the quadrupole QN dialog and its state.
  int32_t* QN_List[QUAD_SETS] = {};
  int32_t QN_LIST_TOT[QUAD_SETS] = {};
  int32_t QN_LIST_SEL[QUAD_SETS] = {};
  int32_t QN_SEL[QUAD_SETS] = {};
  int32_t QN_List_Top[QUAD_SETS] = {};
  uint32_t QN_Request[QUAD_SETS] = {};
  uint32_t QN_FromList[QUAD_SETS] = {};
  uint32_t QN_Scan[QUAD_SETS] = {};
  double Frq_Widen = 10.0;  // the frequency window of a quadrupole set widens by this many widths
  // Quadrupole QN dialog: its EXPT FREQ column shows experimental minus simulated
  // frequencies, the second-order pattern is shown, a second-order line set has been
  // read, the intensity cut of each set (a share of the line's intensity, 0..1: weaker
  // components are not listed or drawn); the frequency window shared by all sets.
  uint32_t QN_ShowOC[QUAD_SETS] = {};
  uint32_t SecondOrder[QUAD_SETS] = {};
  uint32_t SecondOrderRead[QUAD_SETS] = {};
  float Itn_Cut[QUAD_SETS] = {};
  double Frq_Win = 0.0;
};

extern QuadRecord Quad;

// Vibrational anharmonic components per set: for each line its number of components
// and, at line x Stride + c, each component's frequency and relative intensity.
struct VibArraysRecord {
  uint32_t Lines[QUAD_SETS] = {};
  int32_t Stride[QUAD_SETS] = {};
  int32_t* Cnt[QUAD_SETS] = {};
  double* Frq[QUAD_SETS] = {};
  double* Itn[QUAD_SETS] = {};
};

extern VibArraysRecord VibArrays;
