// The ring-down fit: A exp(-k d) + B through the fit data, d the frequency distance
// from the first fit point, in a worker thread.
#include <algorithm>
#include <cmath>

#include "core/FileIo.h"
#include "fit/NLLsf.h"
#include "fit/NLLsfInternal.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "records/Sim.h"

namespace {

// A, k and B.
constexpr int32_t kRdfParameters = 3;

void RdfModel(int16_t, int16_t, int32_t, double d, double* a, double* ymod, double* dyda, int32_t) {
  const double e = std::exp(-a[2] * d);
  *ymod = a[1] * e + a[3];
  dyda[1] = e;
  dyda[2] = -a[1] * d * e;
  dyda[3] = 1.0;
}

// Start values from the data: the offset from the last tenth, the amplitude from the
// first point, the rate from where the decay has fallen to 1/e.
void StartValues(LsfFitJob* job) {
  const int32_t n = job->ndata;
  const int32_t tail = std::max(1, n / 10);
  double B = 0.0;
  for (int32_t i = n - tail + 1; i <= n; ++i) B += job->y[static_cast<size_t>(i)];
  B /= tail;
  const double A = job->y[1] - B;
  double k = 0.0;
  for (int32_t i = 2; i <= n && A != 0.0; ++i) {
    const double r = (job->y[static_cast<size_t>(i)] - B) / A;
    if (r <= std::exp(-1.0) && job->x[static_cast<size_t>(i)] > 0.0) {
      k = 1.0 / job->x[static_cast<size_t>(i)];
      break;
    }
  }
  if (k == 0.0 && job->x[static_cast<size_t>(n)] > 0.0) k = 1.0 / job->x[static_cast<size_t>(n)];
  job->a = {0.0, A, k, B};
}

}  // namespace

int32_t RdfNLLsfRun(int16_t set) {
  if (set < 0 || set >= LSF_SETS || !nllsf::NoneRunning(set)) return 0;
  auto* job = new LsfFitJob;
  job->set = set;
  job->proc = NLLSF_PROC_RDF;
  job->rdf = true;
  if (!nllsf::ReadFitData(job, kRdfParameters)) {
    delete job;
    return 0;
  }
  // Distances from the first point; points below the minimum cut are left out.
  const double x0 = job->x[1];
  const double cut = Lsf.Rdf_MinCut;
  int32_t kept = 0;
  for (int32_t i = 1; i <= job->ndata; ++i) {
    const size_t src = static_cast<size_t>(i);
    if (cut != 0.0 && job->y[src] < cut) continue;
    ++kept;
    job->x[static_cast<size_t>(kept)] = job->x[src] - x0;
    job->y[static_cast<size_t>(kept)] = job->y[src];
  }
  if (kept <= kRdfParameters) {
    core_io::Warning(nllsf::SetHead(set) + StrPrintf("\n\n[%d] POINTS ABOVE THE MINIMUM CUT\n\nFIT ABORTED", kept));
    delete job;
    return 0;
  }
  job->ndata = kept;
  EnterCriticalSection(&SimPlotLock);
  Lsf.Rdf_Valid[set] = 0;
  LeaveCriticalSection(&SimPlotLock);
  job->ma = job->mfit = kRdfParameters;
  job->lista = {0, 1, 2, 3};
  StartValues(job);
  return nllsf::Start(job, RdfNLLsfThread) ? 1 : 0;
}

DWORD RdfNLLsfThread(void* parameter) {
  auto* job = static_cast<LsfFitJob*>(parameter);
  nllsf::Cycles(job, RdfModel);
  const int16_t set = job->set;
  if (job->result == 1) {
    // The painting reads the result under the renderer's lock.
    EnterCriticalSection(&SimPlotLock);
    Lsf.Rdf_A[set] = job->a[1];
    Lsf.Rdf_K[set] = job->a[2];
    Lsf.Rdf_B[set] = job->a[3];
    Lsf.Rdf_Valid[set] = 1;
    LeaveCriticalSection(&SimPlotLock);
  }
  nllsf::WriteRdfLog(NLLSF_LOG_NAME, job);
  return nllsf::Finish(job);
}
