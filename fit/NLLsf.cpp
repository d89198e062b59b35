// The steps both non-linear fits share: the fit data, the one-fit-at-a-time start,
// the Levenberg-Marquardt cycles and the end of a worker.
#include <algorithm>
#include <cmath>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "core/Coords.h"
#include "fit/NLLsf.h"
#include "fit/NLLsfInternal.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Lsf.h"
#include "records/Sim.h"

namespace nllsf {

std::string SetHead(int16_t set) { return StrPrintf("[%s] SIM [%s]", Sim.Set_Lbl[set], Sim.Sim_Flnm[set]); }

bool ReadFitData(LsfFitJob* job, int32_t freeParameters) {
  const int32_t first = std::max<int32_t>(Lsf.Fit_PtBeg, 0);
  const int64_t count = std::max<int64_t>(static_cast<int64_t>(Lsf.Fit_PtEnd) - first, 2);
  // A range past the end of the file fits the points the file holds; the reader's
  // zeros after them are no data.
  const int64_t size = Lsf.Res_Base[0] != '\0' ? BinFileElements(Lsf.Res_Base, BIN_ELEM_FLOAT) : -1;
  if (size >= 0 && first + count > size && size - first <= freeParameters) {
    core_io::Warning(SetHead(job->set) +
                     StrPrintf("\n\nFIT DATA [%s]\n\nRANGE [%d]-[%lld] EXCEEDS FILE SIZE=[%lld]\n\n[%lld] POINTS "
                               "FOR [%d] FREE PARAMETERS\n\nFIT ABORTED",
                               Lsf.Res_Base, first, static_cast<long long>(first + count), static_cast<long long>(size),
                               static_cast<long long>(std::max<int64_t>(size - first, 0)), freeParameters));
    return false;
  }
  double* data = nullptr;
  uint32_t n = 0;
  bool read = Lsf.Res_Base[0] != '\0' &&
              ManBinFileRead(Lsf.Res_Base, nullptr, nullptr, &data, BIN_ELEM_FLOAT, static_cast<uint32_t>(first),
                             static_cast<uint32_t>(first + count), &n, 0) == 1;
  if (read && size >= 0 && n > size - first) n = static_cast<uint32_t>(std::max<int64_t>(size - first, 0));
  read = read && n >= 2;
  if (!read) {
    DFree1Dim(&data);
    core_io::Warning(SetHead(job->set) + StrPrintf("\n\nFIT DATA [%s] NOT READ\n\nFIT ABORTED", Lsf.Res_Base));
    return false;
  }
  const uint32_t bad = static_cast<uint32_t>(std::find_if(data, data + n, [](double v) { return ViewValueMissing(v); }) - data);
  if (bad < n) {
    const std::string value = MissingValueText(data[bad]);
    DFree1Dim(&data);
    core_io::Warning(SetHead(job->set) + StrPrintf("\n\nFIT DATA [%s]\n\nPOINT [%u] HAS NO VALUE [%s]\n\nFIT ABORTED",
                                                   Lsf.Res_Base, static_cast<uint32_t>(first) + bad, value.c_str()));
    return false;
  }
  if (static_cast<int64_t>(n) <= freeParameters) {
    DFree1Dim(&data);
    core_io::Warning(SetHead(job->set) + StrPrintf("\n\nFIT DATA [%s]\n\n[%u] POINTS FOR [%d] FREE PARAMETERS\n\nFIT ABORTED",
                                                   Lsf.Res_Base, n, freeParameters));
    return false;
  }
  job->first = first;
  job->read = static_cast<int32_t>(n);
  job->ndata = static_cast<int32_t>(n);
  job->x.assign(n + 1, 0.0);
  job->y.assign(n + 1, 0.0);
  job->sig.assign(n + 1, 1.0);
  for (uint32_t i = 0; i < n; ++i) {
    job->x[i + 1] = DisplayPixelToFreqAt(3, first, static_cast<int32_t>(i));
    job->y[i + 1] = data[i];
  }
  DFree1Dim(&data);
  return true;
}

bool NoneRunning(int16_t set) {
  const int32_t running = Lsf.Fit_Running;
  if (running < 0) return true;
  core_io::Warning(SetHead(set) + StrPrintf("\n\nFIT OF SET [%d] RUNNING\n\nONE FIT AT A TIME", running));
  return false;
}

bool Start(LsfFitJob* job, DWORD (*routine)(void*)) {
  if (Lsf.Fit_Thread) {
    // The last worker has ended (no fit runs): release its handle.
    WaitForSingleObject(Lsf.Fit_Thread, INFINITE);
    CloseHandle(Lsf.Fit_Thread);
    Lsf.Fit_Thread = nullptr;
  }
  job->dialog = job->rdf ? Lsf.Rdf_Hwnd[job->set] : Lsf.Voigt_Hwnd[job->set];
  Lsf.Fit_PtFirst[job->set] = job->first;
  Lsf.Fit_PtCnt[job->set] = job->read;
  Lsf.Job = job;
  Lsf.Run_Flag[job->set] = 1;
  Lsf.NL_Result[job->set] = 0;
  Lsf.Fit_Running = job->set;
  Lsf.Fit_Thread = CreateThread(routine, job, nullptr);
  if (Lsf.Fit_Thread) return true;
  Lsf.Fit_Running = -1;
  Lsf.Run_Flag[job->set] = 0;
  Lsf.Job = nullptr;
  core_io::Warning(SetHead(job->set) + "\n\nFIT THREAD NOT STARTED");
  delete job;
  return false;
}

void Cycles(LsfFitJob* job, MrqModelFunc model) {
  const int32_t mfit = job->mfit;
  double** covar = nullptr;
  double** alpha = nullptr;
  job->sigma.assign(static_cast<size_t>(job->ma) + 1, 0.0);
  if (QvAllocFailed(DAlloc2Dim(&covar, mfit + 1, mfit + 1)) || QvAllocFailed(DAlloc2Dim(&alpha, mfit + 1, mfit + 1))) {
    DFree2Dim(&covar, mfit + 1);
    DFree2Dim(&alpha, mfit + 1);
    job->result = -1;
    return;
  }
  const int16_t p = job->proc, s = job->set;
  const double* x = job->x.data();
  const double* y = job->y.data();
  const double* sig = job->sig.data();
  double* a = job->a.data();
  int32_t* lista = job->lista.data();
  double alamda = -1.0;
  double chisq = 0.0;
  int16_t status = mrqmin(p, s, x, y, sig, job->ndata, a, job->ma, lista, mfit, covar, alpha, &chisq, model, nullptr,
                          Lsf.Run_Flag[s], &alamda);
  // Ends after two accepted steps in a row that change chi-square by less than a
  // part in 1e6, a step factor beyond reach or the cycle limit.
  int32_t small = 0;
  bool moved = false;  // a step lowered chi-square
  const uint32_t limit = std::max<uint32_t>(Lsf.NL_MaxCyc, 1);
  for (uint32_t cycle = 0; status == 1 && cycle < limit; ++cycle) {
    const double before = chisq;
    status = mrqmin(p, s, x, y, sig, job->ndata, a, job->ma, lista, mfit, covar, alpha, &chisq, model, nullptr,
                    Lsf.Run_Flag[s], &alamda);
    job->cycles = static_cast<int32_t>(cycle) + 1;
    if (status != 1) break;
    if (chisq < before) {
      moved = true;
      small = before - chisq <= 1e-6 * std::max(chisq, 1e-300) ? small + 1 : 0;
    }
    if (small >= 2 || chisq == 0.0 || alamda > 1e12) break;
  }
  // A run in which every step was turned down ends where it started: that is no fit
  // (unless the start values already fit exactly), and nothing of it may be stored.
  if (status == 1 && !moved && chisq > 0.0) {
    core_io::Warning(SetHead(s) + StrPrintf("\n\nFIT MADE NO PROGRESS IN [%d] CYCLES\n\nCHISQ=[%le] OF THE START "
                                             "VALUES\n\nFIT ABORTED",
                                             job->cycles, chisq));
    status = -1;
  }
  if (status == 1) {
    alamda = 0.0;
    status = mrqmin(p, s, x, y, sig, job->ndata, a, job->ma, lista, mfit, covar, alpha, &chisq, model, nullptr,
                    Lsf.Run_Flag[s], &alamda);
  }
  if (status == 1) {
    // Unit weights: the covariance scaled by the residual variance.
    const double variance = job->ndata > mfit ? chisq / (job->ndata - mfit) : 0.0;
    for (int32_t j = 1; j <= mfit; ++j) job->sigma[static_cast<size_t>(lista[j])] = std::sqrt(std::max(covar[j][j], 0.0) * variance);
  }
  job->chisq = chisq;
  // A stop asked after the last step still counts: a stopped fit stores nothing.
  job->result = status == 1 && Lsf.Run_Flag[s] != 0 ? 1 : -1;
  MrqRelease(p);
  DFree2Dim(&covar, mfit + 1);
  DFree2Dim(&alpha, mfit + 1);
}

DWORD Finish(LsfFitJob* job) {
  const int16_t set = job->set;
  Lsf.NL_Result[set] = job->result;
  Lsf.NL_Chisq[set] = job->chisq;
  Lsf.NL_Cycles[set] = job->cycles;
  HWND dialog = job->dialog;
  Lsf.Job = nullptr;
  delete job;
  Lsf.Run_Flag[set] = 0;
  Lsf.Fit_Running = -1;
  if (dialog) PostMessage(dialog, WM_NLLSF_DONE, 0, 0);
  return 0;
}

}  // namespace nllsf

bool NLLsfWait(uint32_t ms) {
  if (Lsf.Fit_Thread) {
    if (WaitForSingleObject(Lsf.Fit_Thread, ms) == WAIT_TIMEOUT) return false;
    CloseHandle(Lsf.Fit_Thread);
    Lsf.Fit_Thread = nullptr;
  }
  return Lsf.Fit_Running < 0;
}

void NLLsfStop() {
  const int32_t running = Lsf.Fit_Running;
  if (running >= 0 && running < LSF_SETS) Lsf.Run_Flag[running] = 0;
  NLLsfWait(INFINITE);
}

bool NLLsfRunning(int16_t set) {
  const int32_t running = Lsf.Fit_Running;
  return set < 0 ? running >= 0 : running == set;
}
