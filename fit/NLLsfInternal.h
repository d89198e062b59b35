// The job of the one running non-linear fit and the steps both fits share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "numerics/Marquardt.h"
#include "platform/windows/Window.h"

struct LsfFitJob {
  int16_t set = 0;
  int16_t proc = 0;
  bool rdf = false;
  HWND dialog = nullptr;  // the fit dialog told at the end
  // Fit points, 1-based (element 0 unused).
  std::vector<double> x, y, sig;
  int32_t ndata = 0;
  // The fit grid as read: its first point and the points read (Lsf.Fit_PtFirst and
  // Lsf.Fit_PtCnt once the fit starts).
  int32_t first = 0;
  int32_t read = 0;
  // Voigt: the fit lines, their centres and, per line of the set, its profile on the
  // fit grid (null unless prepared by VoigtFuncInit).
  std::vector<int32_t> lines;
  std::vector<double> centre;
  std::vector<double*> rows;
  std::vector<double> storage;
  bool widths = false;  // a[n + 1], a[n + 2] are the Gaussian and Lorentzian widths
  // Parameters, 1-based, with their standard deviations and lista.
  std::vector<double> a, sigma;
  std::vector<int32_t> lista;
  int32_t ma = 0;
  int32_t mfit = 0;
  double chisq = 0.0;
  int32_t cycles = 0;
  int32_t result = 0;  // 1 converged or cycles used up, -1 stopped, failed or no step taken
};

namespace nllsf {

// Reads the fit data of Lsf.Res_Base (points Lsf.Fit_PtBeg .. Lsf.Fit_PtEnd - 1, at
// least 2) into the job with their frequencies on the raw view; a range past the end
// of the file takes the points up to its end. Data that cannot be fitted are refused:
// a point without a value (not a finite number, or of the missing magnitude 1e18 or
// more) and no more points than the fit's free parameters (with as many, nothing is
// left to judge the fit by; past the end of the file the warning gives the range and
// the file's size). False after a warning; nothing of the set is changed.
bool ReadFitData(LsfFitJob* job, int32_t freeParameters);
// Publishes the job and its fit grid (Lsf.Fit_PtFirst, Lsf.Fit_PtCnt), sets the run
// flag and starts the worker; false after a warning (the job is then deleted).
bool Start(LsfFitJob* job, DWORD (*routine)(void*));
// Refuses a second fit ("... FIT RUNNING" warning); true when none runs.
bool NoneRunning(int16_t set);
// The Levenberg-Marquardt cycles of the job with the model; fills a, sigma, chisq,
// cycles and result. A run in which no step lowered chi-square fails (result -1)
// after a warning, its start values untouched.
void Cycles(LsfFitJob* job, MrqModelFunc model);
// The end of a worker: the set's results published, the job released, the fit
// marked as ended and the fit dialog told (a posted message).
DWORD Finish(LsfFitJob* job);
// Writes the parameter log of the Voigt fit of the set: from the job when given, else
// from the set's values. False when the file could not be written.
bool WriteVoigtLog(const char* file, const LsfFitJob* job, int16_t set);
// Writes the report of a ring-down fit.
bool WriteRdfLog(const char* file, const LsfFitJob* job);
// Text of the set for messages: "[label] SIM [file]".
std::string SetHead(int16_t set);

}  // namespace nllsf

// Posted to a fit dialog when its set's fit has ended.
constexpr UINT WM_NLLSF_DONE = WM_USER + 124;
