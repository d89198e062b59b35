// The Voigt fit of a simulation set: per-line fit arrays, the worker that fits the
// intensities of the fit lines and the set's two widths to the fit data, the model
// function and the saving of the fitted values.
#include <algorithm>
#include <cmath>

#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fit/NLLsf.h"
#include "fit/NLLsfInternal.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "records/Sim.h"
#include "lineshape/LineShape.h"

namespace {

bool ValidSet(int16_t set) { return set >= 0 && set < LSF_SETS && set < SIM_SETS; }

void FreeSet(int16_t set) {
  USFree1Dim(&Lsf.Line_Src[set]);
  LFree1Dim(&Lsf.Line_Tag[set]);
  SFree1Dim(&Lsf.Line_Grp[set]);
  LFree1Dim(&Lsf.Line_PrmIdx[set]);
  Lsf.Alloc_Lines[set] = 0;
}

// The sum of the fit lines at x with the widths G and L (dyda, when given, gets each
// line's own value).
double LineSum(const LsfFitJob& job, int32_t i0, double x, const double* a, double G, double L, double* dyda) {
  const int16_t s = job.set;
  double y = 0.0;
  const size_t n = job.lines.size();
  for (size_t j = 0; j < n; ++j) {
    const int32_t line = job.lines[j];
    const double prm[4] = {1.0, job.centre[j], G, L};
    const double v = VoigtFuncValue(s, line, i0, job.rows[static_cast<size_t>(line)], prm, x);
    if (dyda) dyda[j + 1] = v;
    y += a[j + 1] * v;
  }
  return y;
}

}  // namespace

int32_t VoigtNLLsfAlloc(int32_t /*mode*/, int16_t set) {
  if (!ValidSet(set)) return 0;
  const uint32_t n = Sim.FI_Lines[set];
  if (Lsf.Alloc_Lines[set] == n && (n == 0 || Lsf.Line_Src[set])) return 1;
  // The arrays the running fit works with stay as they are until it ends.
  if (NLLsfRunning(set)) return 0;
  if (n == 0) {
    FreeSet(set);
    return 1;
  }
  const uint32_t old = Lsf.Line_Src[set] ? Lsf.Alloc_Lines[set] : 0;
  if (QvAllocFailed(USReAlloc1Dim(&Lsf.Line_Src[set], n)) || QvAllocFailed(LReAlloc1Dim(&Lsf.Line_Tag[set], n)) ||
      QvAllocFailed(SReAlloc1Dim(&Lsf.Line_Grp[set], n)) || QvAllocFailed(LReAlloc1Dim(&Lsf.Line_PrmIdx[set], n))) {
    FreeSet(set);
    core_io::Error(nllsf::SetHead(set) + "\n\nVoigtNLLsfAlloc() - CORE ALLOCATION ERROR");
    return 0;
  }
  for (uint32_t i = old; i < n; ++i) {
    Lsf.Line_Src[set][i] = static_cast<uint16_t>(set);
    Lsf.Line_Tag[set][i] = 0;
    Lsf.Line_Grp[set][i] = LSF_GROUPS;
    Lsf.Line_PrmIdx[set][i] = static_cast<int32_t>(i);
  }
  Lsf.Alloc_Lines[set] = n;
  return 1;
}

void VoigtNLLsfFree() {
  for (int16_t set = 0; set < LSF_SETS; ++set) FreeSet(set);
}

void VoigtNLLsfFunc(int16_t, int16_t s, int32_t i0, double x, double* a, double* ymod, double* dyda, int32_t) {
  const LsfFitJob& job = *Lsf.Job;
  Lsf.Peak_Nrm[s] = Sim.LN_STAT[s] != 1 ? 1u : 0u;
  const size_t n = job.lines.size();
  const double G = job.widths ? std::fabs(a[n + 1]) : Sim.LS_GAU[s];
  const double L = job.widths ? std::fabs(a[n + 2]) : Sim.LS_LOR[s];
  const double y = LineSum(job, i0, x, a, G, L, dyda);
  *ymod = y;
  if (!job.widths) return;
  // The widths by forward differences of a small part of the larger width. The
  // model takes each width as the absolute value of its parameter, so a negative
  // parameter turns the slope round. A profile changes with the square of a width near
  // 0 (its slope there is 0): a width of nothing beside the other one takes a step that
  // changes the profile well above rounding, or no step away from 0 would ever be seen.
  const double larger = std::max({G, L, 1e-12});
  const auto step = [larger](double width) { return width < 1e-3 * larger ? 1e-2 * larger : 1e-5 * larger; };
  const double hG = step(G), hL = step(L);
  dyda[n + 1] = std::copysign(1.0, a[n + 1]) * (LineSum(job, i0, x, a, G + hG, L, nullptr) - y) / hG;
  dyda[n + 2] = std::copysign(1.0, a[n + 2]) * (LineSum(job, i0, x, a, G, L + hL, nullptr) - y) / hL;
}

int32_t VoigtUpdPrm2Save(int16_t set, const double* a, int32_t ma) {
  const LsfFitJob* job = Lsf.Job;
  if (!ValidSet(set) || !a || !job || job->set != set) return 0;
  const size_t n = job->lines.size();
  if (ma < static_cast<int32_t>(n)) return 0;
  EnterCriticalSection(&SimPlotLock);
  int32_t ok = 1;
  if (Sim.FI_Sim_Itn[set] && Sim.FI_Lines[set] > 0) {
    for (size_t j = 0; j < n; ++j) {
      const uint32_t line = static_cast<uint32_t>(job->lines[j]);
      if (line < Sim.FI_Lines[set]) Sim.FI_Sim_Itn[set][line] = static_cast<float>(a[j + 1]);
    }
  }
  if (job->widths && ma >= static_cast<int32_t>(n) + 2) {
    Sim.LS_GAU[set] = std::fabs(a[n + 1]);
    Sim.LS_LOR[set] = std::fabs(a[n + 2]);
    LineShapeRec rec;
    for (int16_t view = 0; view < 4 && ok == 1; ++view)
      ok = SimLineShapeSetProfiles(set, view, n > 0 ? job->centre[0] : 0.0, &rec);
  }
  LeaveCriticalSection(&SimPlotLock);
  if (ok != 1) core_io::StatusText(3, "LINESHAPE ERROR");
  return ok == 1 ? 1 : 0;
}

int32_t VoigtNLLsfRun(int16_t set) {
  if (!ValidSet(set) || !nllsf::NoneRunning(set)) return 0;
  const int32_t lines = static_cast<int32_t>(Sim.FI_Lines[set]);
  const int32_t beg = Lsf.Fit_LnBeg[set], end = Lsf.Fit_LnEnd[set];
  if (lines < 1 || !Sim.FI_Sim_Erg[set] || !Sim.FI_Sim_Itn[set] || beg < 0 || end < beg || end >= lines) {
    core_io::Warning(nllsf::SetHead(set) +
                     StrPrintf("\n\nFIT LINES [%d] TO [%d] NOT IN THE SET'S [%d] LINES\n\nFIT ABORTED", beg, end, lines));
    return 0;
  }
  if (VoigtNLLsfAlloc(1, set) != 1) return 0;
  auto* job = new LsfFitJob;
  job->set = set;
  job->proc = NLLSF_PROC_VOIGT;
  const int32_t n = end - beg + 1;
  // Lines that take their widths from their own HITRAN parameters keep them.
  job->widths = Sim.HT_LnCalc[set] != 1;
  job->ma = n + (job->widths ? 2 : 0);
  if (!nllsf::ReadFitData(job, job->ma)) {
    delete job;
    return 0;
  }
  job->mfit = job->ma;
  job->a.assign(static_cast<size_t>(job->ma) + 1, 0.0);
  job->lista.assign(static_cast<size_t>(job->ma) + 1, 0);
  for (int32_t j = 1; j <= job->ma; ++j) job->lista[static_cast<size_t>(j)] = j;
  for (int32_t j = 0; j < n; ++j) {
    job->lines.push_back(beg + j);
    job->centre.push_back(Sim.FI_Sim_Erg[set][beg + j] + Lsf.Fit_FrqShift[set]);
    job->a[static_cast<size_t>(j) + 1] = Sim.FI_Sim_Itn[set][beg + j];
  }
  if (job->widths) {
    job->a[static_cast<size_t>(n) + 1] = Sim.LS_GAU[set];
    job->a[static_cast<size_t>(n) + 2] = Sim.LS_LOR[set];
  }
  job->rows.assign(static_cast<size_t>(lines), nullptr);
  if (Sim.HT_LnCalc[set] == 1 && Lsf.Ln_Recalc[set] == 0 && Lsf.Fit_FrqShift[set] == 0.0) {
    // Each fit line's own profile on the fit grid, filled by the worker.
    job->storage.assign(static_cast<size_t>(n) * static_cast<size_t>(job->ndata), 0.0);
    for (int32_t j = 0; j < n; ++j)
      job->rows[static_cast<size_t>(beg + j)] = job->storage.data() + static_cast<size_t>(j) * job->ndata;
  }
  return nllsf::Start(job, VoigtNLLsfThread) ? 1 : 0;
}

DWORD VoigtNLLsfThread(void* parameter) {
  auto* job = static_cast<LsfFitJob*>(parameter);
  const int16_t set = job->set;
  if (!job->storage.empty() && VoigtFuncInit(set, job->rows.data(), job->a.data()) != 1) {
    job->result = -1;
  } else {
    nllsf::Cycles(job, VoigtNLLsfFunc);
  }
  // Only a fit that ended well stores its values, the widths' uncertainties with them.
  if (job->result == 1) {
    VoigtUpdPrm2Save(set, job->a.data(), job->ma);
    if (job->widths) {
      const size_t n = job->lines.size();
      Lsf.NL_WidthSig[set][0] = job->sigma.size() > n + 2 ? job->sigma[n + 1] : 0.0;
      Lsf.NL_WidthSig[set][1] = job->sigma.size() > n + 2 ? job->sigma[n + 2] : 0.0;
    }
  }
  nllsf::WriteVoigtLog(NLLSF_LOG_NAME, job, set);
  return nllsf::Finish(job);
}
