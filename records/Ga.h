// The genetic-algorithm record: ten sets, one per chained input file, with program
// and file names, and for the child-window plots of set 0 the population, the gene
// table and the plot settings.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"
#include "records/AtomicField.h"

constexpr int GA_SETS = 10;
constexpr int GA_GENES = 52;

struct GaRecord {
  char Prog_Path[GA_SETS][500] = {"Evo95.exe"};         // genetic-algorithm program
  char In_Flnm[GA_SETS][200] = {"Evo95.gai"};           // input file, carried by the working file
  char Score_Flnm[GA_SETS][200] = {"Evo95_Score.gao"};  // score file
  char Run_Base[GA_SETS][200] = {};                     // run base name (".upd" gives the update file)
  HWND Dlg_Hwnd[GA_SETS] = {};                          // options dialog, null while closed
  // Population: size P, per gene P member values then its lower and upper limit.
  int32_t Pop_Size[GA_SETS] = {};
  double* Pop_DPt[GA_SETS] = {};
  int16_t Gene_Sel[GA_SETS] = {};
  int16_t Gene_Idx[GA_SETS][GA_GENES] = {};
  char Gene_Name[GA_SETS][GA_GENES][9] = {};
  // Plots: population, score and histogram switches, x range and step (written by the
  // painting) and the vertical plot factor, which starts at 1.0 for doubling and halving.
  uint32_t PopPlot_Stat[GA_SETS] = {};
  uint32_t ScorePlot_Stat[GA_SETS] = {};
  uint32_t Hist_Stat[GA_SETS] = {};
  double X_Min[GA_SETS] = {};
  double X_Max[GA_SETS] = {};
  double X_Org[GA_SETS] = {};
  double X_Stp[GA_SETS] = {};
  double Plot_Fac[GA_SETS] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  // The program run of set 0 (GaRunProcessThread): the simulation set it updates, that
  // set's file name and the folder the run works in (the current folder), taken when
  // the run starts; how long the run is waited for;
  // 1 while it runs; its result (1 read, 0 not read, -1 not started, -2 stopped after
  // the wait, -3 failed, -4 no new result) and its thread, for the starter to close.
  int16_t Run_Set = 0;
  char Run_Name[200] = "";
  char Run_Folder[260] = "";
  uint32_t Run_Wait_Ms = 600000;
  Shared<uint32_t> Run_Stat{0};
  Shared<int32_t> Run_Result{0};
  HANDLE Run_Thread = nullptr;
};

extern GaRecord Ga;
