// The child-window data record: per child window [channel 0..9][kind 0 time,
// 1 frequency, 2 data] the data source, point count, data arrays and y scale (arrays
// are refilled under ChildDataLock), the options shared by all child windows, and the
// channel marker list with its statistics.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"
#include "records/AtomicField.h"
#include "records/GdiHandles.h"

constexpr int CNL_CHN = 10;
constexpr int CNL_KINDS = 3;

struct CnlRecord {
  // Data source of each child window.
  Shared<uint32_t> Data_Pend[CNL_CHN][CNL_KINDS] = {};  // the data must be read before drawing
  uint32_t Asc_Stat[CNL_CHN][CNL_KINDS] = {};   // data from an ASCII column file
  uint32_t Time_Stat[CNL_CHN][CNL_KINDS] = {};  // data from a float file (fit data or a time file)
  int16_t Asc_Mode[CNL_CHN][CNL_KINDS] = {};    // 0 Y only, 1 XY, 2 marker diagnostic, 4 as 0 and 1
  char Asc_Flnm[CNL_CHN][CNL_KINDS][200] = {};  // ASCII file shown by the window
  uint32_t Pt_Cnt[CNL_CHN][CNL_KINDS] = {};     // values in the data arrays

  // Data arrays: y drawn, two work arrays (copy of y, logarithms), running-fit data, x.
  double* Y_Draw_DAry1[CNL_CHN][CNL_KINDS] = {};
  double* Y_Draw_DAry2[CNL_CHN][CNL_KINDS] = {};
  double* Y_Draw_DAry3[CNL_CHN][CNL_KINDS] = {};
  double* Y_Draw_DAry4[CNL_CHN][CNL_KINDS] = {};
  double* X_DAry[CNL_CHN][CNL_KINDS] = {};
  uint32_t Y_Draw_Sz3[CNL_CHN][CNL_KINDS] = {};  // point count Y_Draw_DAry3 was last sized for

  // Y scale per sub-array 0..3: range, average and fixed pixel offset; x step; y factor.
  double Y_Min[CNL_CHN][CNL_KINDS][4] = {
      {{-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}},
      {{-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}},
      {{-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}},
      {{-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}},
      {{-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}},
      {{-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}},
      {{-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}},
      {{-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}},
      {{-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}},
      {{-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0, -1.0, -1.0}}};
  double Y_Max[CNL_CHN][CNL_KINDS][4] = {
      {{1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}},
      {{1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}},
      {{1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}},
      {{1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}},
      {{1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}},
      {{1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}},
      {{1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}},
      {{1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}},
      {{1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}},
      {{1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}}};
  double Y_Ave[CNL_CHN][CNL_KINDS][4] = {};
  double Fix_Ofs[CNL_CHN][CNL_KINDS][4] = {};
  double X_Stp[CNL_CHN][CNL_KINDS] = {
      {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0},
      {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}};
  // Horizontal interval of each child window: the time window in seconds per point,
  // the frequency window in megahertz per point (written by the channel transform).
  double Horz_Intv[CNL_CHN][CNL_KINDS] = {
      {2.5e-12, 1.0, 1.0}, {2.5e-12, 1.0, 1.0}, {2.5e-12, 1.0, 1.0}, {2.5e-12, 1.0, 1.0},
      {2.5e-12, 1.0, 1.0}, {2.5e-12, 1.0, 1.0}, {2.5e-12, 1.0, 1.0}, {2.5e-12, 1.0, 1.0},
      {2.5e-12, 1.0, 1.0}, {2.5e-12, 1.0, 1.0}};
  // Vertical factor of the plot, doubled and halved by the child commands; it starts at
  // 1.0 so that doubling and halving have something to work on.
  double Y_Factor[CNL_CHN][CNL_KINDS] = {
      {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0},
      {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}};
  HDC hDC_Mem[CNL_CHN][CNL_KINDS] = {};  // memory context, valid only during a paint

  // Options shared by all child windows.
  uint32_t Allan_Stat = 0;    // show the Allan deviation of the data
  uint32_t LogLog_Stat = 0;   // log/log scale
  uint32_t Overlay_Stat = 0;  // straight line of simulation set A over the page
  double Asc_Scalar = 5.0;    // vertical range of the marker-diagnostic plot
  double X_Div = 1.0;         // divides the x step in the ASCII readout (calibration dialog)
  uint32_t MkDiag_Cnt = 0;    // values of the marker diagnostic
  HWND ChnData_Hwnd = nullptr;  // channel-data dialog refreshed by the child windows
  float* Tmp_PLM_FPt = nullptr;  // work array of the genetic-algorithm plots
  uint32_t Tmp_PLM_Sz = 0;       // its size

  // Marker list: file names, positions (1-based), differences, count, statistics.
  char Mks_Flnm[200] = "Mks";
  char MksRepeat_Flnm[200] = "MksRepeat";
  char Mks_ScanFmt[100] = "%ld";  // scan format of one marker line
  int32_t* Mks_Pos = nullptr;
  int32_t* Mks_Dif = nullptr;
  uint32_t Mks_Cnt = 0;
  int32_t Mks_AveDif = 0;
  int32_t Mks_MaxDif = 0;
  double Mks_RmsLin = 0.0;
  int32_t Mks_Beg = 0;  // marker nearest the cursor-window begin
  int32_t Mks_End = 0;  // marker nearest the cursor-window end
  uint32_t Mks_CursorStat = 0;  // marker-to-cursor option
  uint32_t Mks_Mode = 0;        // marker mode of the main-window marker lines
  // Marker-based linearisation: input and output float files.
  char Lin_InFlnm[200] = "PmtF";
  char Lin_OutFlnm[200] = "PmtFl";

  // Step and jump finding of the calibration dialog.
  double StpDif = 0.5;              // STP DIF: jump threshold
  double RejLvl = 10.0;             // REJ LVL: rejection level of the line fits, in RMS residuals
  uint32_t AcStat = 0;              // AC: the power normalisation fits without the smoothed baselines
  int32_t IntvPts = 0;              // INTV PTS: shift, points per log line or group gap
  int32_t PtsAve = 8;               // PTS AVE: points passed over after a jump
  int32_t PtsFsr = 5;               // PTS/FSR: smallest number of transitions of a group
  char RampFlnm[200] = "AOMRampF"; // binary ramp file
  // Peak finding on the binary ramp file (calibration dialog): running-average length,
  // cutoff offset or fraction, negate the values, cutoff above the minimum (FLOAT MIN)
  // or as a fraction of the range (SCALE DIFF, which wins when both are on).
  double CutScalar = 0.3333333333333333;
  uint32_t Inv = 0;
  uint32_t FloatMin = 1;
  uint32_t ScaleDiff = 0;
  // Evenly spaced markers written by the CREATE button: start, end (exclusive), step.
  int32_t MkStart = 0;
  int32_t MkEnd = 0;
  int32_t MkStep = 100;

  // Normalisation by a power file: N = Vm (S - Vs) / (P - Vp), zero below the cut Vc;
  // the relative form divides by P (1 - Vp); the inverted cut zeroes above it.
  char NrmPowFlnm[200] = "UVPowPDF";
  float NrmVm = 1.0f;
  float NrmVs = 0.0f;
  float NrmVp = 0.0f;
  float NrmVc = 0.0f;
  uint32_t NrmRelative = 0;
  uint32_t NrmInvCut = 0;

  // Saturation fit and correction, S = M x / (1 + A x) + B: the fit's signal and
  // reference files, its fit switches and start values of A, M and B (replaced by the
  // fitted values) with their uncertainties, and the correction's input, output and
  // constants A, M and B (set by the fit).
  char Satn_SigFlnm[200] = "SG100F_AveISatn1Ave";
  char Satn_PowFlnm[200] = "BG100F_AveISatn1Ave";
  uint32_t Satn_Fit[3] = {1, 1, 1};
  double Satn_Prm[3] = {0.1, 1000.0, 100.0};
  double Satn_Unc[3] = {};
  char Satn_InFlnm[200] = "SG100F_AveI";
  char Satn_OutFlnm[200] = "SG100F_AveIL";
  double Satn_Corr[3] = {0.1, 1000.0, 100.0};
  // Calibration dialog: step finding by TTL transitions, and the signal file normalised
  // by the power file with its output.
  uint32_t TtlStat = 0;
  char NrmInFlnm[200] = "PmtF";
  char NrmOutFlnm[200] = "PmtFo";
  // Power fit before the normalisation of a command file (1: fit first).
  uint32_t NrmFit = 0;
};

extern CnlRecord Cnl;
