// The quadrupole hyperfine record, as far as the main window and the working file use
// it: program path, parameter file and the assignment file of each set.
#pragma once

constexpr int QUAD_SETS = 9;

struct QuadRecord {
  char Prog_Path[500] = "Hfs95.exe";
  char In_Flnm[200] = "Quad.in";
  char Asn_Flnm[QUAD_SETS][200] = {"QuadA.asn", "QuadB.asn", "QuadC.asn",
                                   "QuadD.asn", "QuadE.asn", "QuadF.asn",
                                   "QuadG.asn", "QuadH.asn", "QuadI.asn"};
};

extern QuadRecord Quad;
