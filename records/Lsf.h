// The fit record, as far as the display and the Levenberg-Marquardt step use it: the
// run flag of each simulation set (cleared by the interface thread to stop a fit), the
// current fit set, the sequence-display switches of the two fit dialogs, the fit
// range and data file shown by the child windows, and the cavity-mode plot.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"

namespace platform {
class TextFileWriter;
}
#include "records/AtomicField.h"

constexpr int LSF_SETS = 9;
constexpr int LSF_GROUPS = 18;  // fit groups 0..17; 18 = no group

struct LsfRecord {
  Shared<uint32_t> Run_Flag[LSF_SETS] = {};  // 1 while a fit of that set may run; 0 asks it to stop
  int16_t Cur_Set = 0;                        // current fit set
  // "SEQ FIT" switches of the line-shape and ring-down fit dialogs: while one is 1 the
  // main window draws no simulation overlays and the child windows show the fit data.
  Shared<uint32_t> Seq_Voigt{0};
  Shared<uint32_t> Seq_Rdf{0};
  int32_t Fit_PtBeg = 0;     // first fit point of the data file
  int32_t Fit_PtEnd = 0;     // last fit point of the data file
  char Res_Base[200] = "";   // result base name: the fit's data file
  HWND Voigt_Hwnd[LSF_SETS] = {};  // line-shape fit dialog of each set, null while closed
  HWND Rdf_Hwnd[LSF_SETS] = {};    // ring-down fit dialog of each set, null while closed
  // Ring-down: minimum-cut level set in the time window; cavity-mode plot switch, its two
  // curve switches and the two settings of its readout (x = column x CM_A / CM_B).
  double Rdf_MinCut = 0.0;
  uint32_t CM_Plot = 0;
  uint32_t CM_Curve1 = 0;
  uint32_t CM_Curve2 = 0;
  double CM_A = 0.0;
  int32_t CM_B = 0;

  // Fit set 0 of the linear least-squares cycle (the saturation fit): its log, the
  // observations and parameters with the counts their arrays were made for, the
  // covariance and curvature matrices, the cycle counter and limits, the uncertainty.
  platform::TextFileWriter* Fit_Log = nullptr;
  uint32_t Obl_Cnt = 0;         // observations
  uint32_t Obl_Sz = 0;          // observations the arrays were made for
  double* Obl_XXX = nullptr;    // abscissae
  double* Obl_Itn = nullptr;    // observed values
  double* Obl_Sig = nullptr;    // their uncertainties
  int32_t Tot_Prms = 0;         // parameters
  int32_t Fit_Prms = 0;         // of them varied
  int32_t FitFix_Prms = 0;      // of them held
  int32_t* Prm_IdxList = nullptr;
  int32_t Prm_Sz = 0;           // parameters the list was made for
  double** Cov_Mtx = nullptr;   // covariance
  double** Crv_Mtx = nullptr;   // curvature
  int32_t Mtx_Sz = 0;           // rows and columns the matrices were made for
  uint32_t Cyc_Cnt = 0;         // cycles run
  uint32_t Max_Cyc = 100;       // most cycles allowed (cycles 0 .. Max_Cyc)
  double Stop_Crit = 0.0;       // stop when the relative change of chi-square falls below
  double Uncert = 1.0;          // uncertainty value of set 0

  // Per simulation set: lines of the line-shape fit (the set's line count when its
  // simulation file carries fit arrays), saved-intensities flag (while 1, adding a line
  // resizes Sim.FI_Sim_ItnSave) and the line-shape-fit flag (from Sim.NLLSF_STAT).
  uint32_t Fit_Lines[LSF_SETS] = {};
  uint32_t ItnSave_Stat[LSF_SETS] = {};
  uint32_t LsFit_Stat[LSF_SETS] = {};

  // Fit values the renderer reads per set: frequency shift added to every JKK line,
  // the group switch with each line's group (18 = none) and parameter index, and the
  // amplitude of each group.
  float Sim_FrqShift[LSF_SETS] = {};
  uint32_t Grp_Stat[LSF_SETS] = {};
  int16_t* Line_Grp[LSF_SETS] = {};
  int32_t* Line_PrmIdx[LSF_SETS] = {};
  float Grp_Amp[LSF_SETS][LSF_GROUPS] = {};
  // Ring-down result drawn over a set: display switch, result valid, window choice
  // (0: the main cursor window), and A exp(-k d) + B.
  uint32_t Rdf_Dsp[LSF_SETS] = {};
  uint32_t Rdf_Valid[LSF_SETS] = {};
  uint32_t Rdf_WinSel[LSF_SETS] = {};
  double Rdf_A[LSF_SETS] = {};
  double Rdf_K[LSF_SETS] = {};
  double Rdf_B[LSF_SETS] = {};
  // The Voigt fit grid of a set: first and last fit line, first raw point and number of
  // points, the frequency shift, the line-recalculation and line-calculation switches,
  // and per line the source-set label and a tag passed to the HITRAN line calculation.
  int32_t Fit_LnBeg[LSF_SETS] = {};
  int32_t Fit_LnEnd[LSF_SETS] = {};
  int32_t Fit_PtFirst[LSF_SETS] = {};
  int32_t Fit_PtCnt[LSF_SETS] = {};
  double Fit_FrqShift[LSF_SETS] = {};
  uint32_t Ln_Recalc[LSF_SETS] = {};
  uint32_t Ln_Calc[LSF_SETS] = {};
  uint16_t* Line_Src[LSF_SETS] = {};
  int32_t* Line_Tag[LSF_SETS] = {};

  // The non-linear fits (fit/NLLsf.h): per set the lines the per-line arrays were made
  // for, the peak-normalisation flag of the Voigt model, the switches of the fit
  // dialogs (1439 line recalculation is Ln_Recalc, 1517 line calculation Ln_Calc) and
  // the last fit's result (1 done, -1 stopped or failed, 0 none), chi-square, cycles
  // and the standard deviations of the two widths. One fit runs at a time: its set
  // (-1 none), its worker and the job it works on; the cycle limit of a fit.
  uint32_t Alloc_Lines[LSF_SETS] = {};
  Shared<uint32_t> Peak_Nrm[LSF_SETS] = {};
  int32_t NL_Result[LSF_SETS] = {};
  double NL_Chisq[LSF_SETS] = {};
  int32_t NL_Cycles[LSF_SETS] = {};
  double NL_WidthSig[LSF_SETS][2] = {};
  Shared<int32_t> Fit_Running{-1};
  HANDLE Fit_Thread = nullptr;
  struct LsfFitJob* Job = nullptr;
  uint32_t NL_MaxCyc = 50;
};

extern LsfRecord Lsf;
