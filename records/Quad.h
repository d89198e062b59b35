// The quadrupole hyperfine record, as far as the main window, the working file and the
// simulation files use it: program path, parameter file, and per set the assignment
// file, the assignment list, its modified flag, the parameters stored in the set's
// simulation file and the trackbar state.
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
  // The two parameter groups stored in the simulation file: per state three values,
  // and one further value.
  double Prm[QUAD_SETS][2][3] = {};
  double Prm2[QUAD_SETS] = {};
  uint32_t Trackbar_Stat[QUAD_SETS] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
};

extern QuadRecord Quad;
