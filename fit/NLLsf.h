// The non-linear fits of a simulation set: the Voigt fit of line intensities and the
// two widths to the fit data, and the ring-down fit of A exp(-k d) + B. Each runs in a
// worker thread, one fit at a time; clearing the set's run flag (Lsf.Run_Flag) stops
// it after the next model value. Fit data: the float file Lsf.Res_Base from the first
// fit point Lsf.Fit_PtBeg up to (not including) Lsf.Fit_PtEnd, at least 2 points.
#pragma once

#include <cstdint>

#include "platform/gdi/Gdi.h"
#include "platform/kernel/WinTypes.h"

// The report of the last fit, written in the working folder when a fit ends.
constexpr const char* NLLSF_LOG_NAME = "NLLsf.log";
// Process indices of the two fits in the Levenberg-Marquardt work slots.
constexpr int16_t NLLSF_PROC_VOIGT = 1;
constexpr int16_t NLLSF_PROC_RDF = 2;

// Prepares the set's per-line fit arrays (source label, tag, group, parameter index)
// at Sim.FI_Lines, keeping what the first lines held. Nothing is touched while a fit
// of the set runs (0; the next call after it ends reallocates). 1 when the arrays
// match the set's lines, 0 otherwise.
int32_t VoigtNLLsfAlloc(int32_t mode, int16_t set);
// Releases the per-line fit arrays of every set (end of the program, tests).
void VoigtNLLsfFree();

// Starts the Voigt fit of the set's lines Lsf.Fit_LnBeg..Lsf.Fit_LnEnd: their
// intensities and, unless the set's lines take their widths from their HITRAN
// parameters, the set's Gaussian and Lorentzian widths. 1 when the worker started; 0
// after a message (a fit is running, no lines, no data).
int32_t VoigtNLLsfRun(int16_t set);
DWORD VoigtNLLsfThread(void* job);
// The model: sum over the fit lines of VoigtFuncValue at x; derivatives by the
// intensities and (numerically) by the two widths.
void VoigtNLLsfFunc(int16_t p, int16_t s, int32_t i0, double x, double* a, double* ymod, double* dyda, int32_t ma);
// Stores the fitted intensities and widths into the set (under SimPlotLock) and builds
// the set's half profiles of the four view levels anew; "LINESHAPE ERROR" in part 3 of
// the status bar when that fails. 1, or 0.
int32_t VoigtUpdPrm2Save(int16_t set, const double* a, int32_t ma);

// Starts the ring-down fit of A exp(-k d) + B (d the frequency distance from the first
// fit point) to the fit data; points below the minimum cut (Lsf.Rdf_MinCut, when not
// 0) are left out. Results in Lsf.Rdf_A/K/B with Lsf.Rdf_Valid. 1 when started, 0
// after a message.
int32_t RdfNLLsfRun(int16_t set);
DWORD RdfNLLsfThread(void* job);

// Waits for the running fit's worker to end (at most ms milliseconds); true when no
// fit runs afterwards.
bool NLLsfWait(uint32_t ms);
// True while a fit of the set (any set for -1) runs.
bool NLLsfRunning(int16_t set);
// Stops the running fit as its dialog's STOP does (the set's run flag cleared) and waits
// for its worker to end: the fit stores nothing into its set, and its log is written
// before this returns. Nothing happens while no fit runs.
void NLLsfStop();

// Reads ("INPUT") or writes ("OUTPUT") the Voigt fit parameter log of the set: the fit
// settings, the widths and every fit line's intensity. 1, or 0 on failure (nothing
// changed by a failed read; a failed write leaves any old file as it was).
int32_t VoigtIOLogFile(const char* direction, const char* file, int16_t set);

// The cavity-mode plot of the ring-down fit of the current fit set (Lsf.Cur_Set): its
// result table drawn into dc (the memory context of child window [9][time]) and the
// fitted decay in pixel rows of that child's plot in Win.CM_DrawAry1, the offset in
// Win.CM_DrawAry2 and the initial tangent in Win.CM_DrawAry3 while their switches are
// on. 1 with a fit result, 0 without (the curves then lie on the bottom row).
int32_t RdfCavityModePaint(HDC dc, int16_t mode);
