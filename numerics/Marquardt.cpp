#include "numerics/Marquardt.h"

#include "core/DebugLog.h"
#include "core/TypedArrays.h"
#include "numerics/LinearAlgebra.h"
#include "numerics/NumericsBox.h"
#include "records/Debug.h"
#include "records/Lsf.h"  // LSF_SETS, the bound of the set index
#include "records/MrqWork.h"

namespace {

constexpr int16_t kTopicMrq = 106;

bool Traced() { return Debug.DebugLevel.load() == kTopicMrq; }

bool RunFlagSet(const Shared<uint32_t>& run) { return run.load() != 0; }

void FreeSlot(MrqSlot& slot) {
  DFree1Dim(&slot.atry);
  DFree1Dim(&slot.beta);
  DFree1Dim(&slot.da);
  DFree2Dim(&slot.oneda, slot.mfit + 1);
  DFree1Dim(&slot.dyda);
  slot = MrqSlot{};
}

// Makes the slot's arrays fit ma and mfit; they are kept while the sizes stay.
bool PrepareSlot(MrqSlot& slot, int32_t ma, int32_t mfit) {
  if (slot.atry && slot.ma == ma && slot.mfit == mfit) return true;
  FreeSlot(slot);
  slot.ma = ma;
  slot.mfit = mfit;
  const uint32_t size = static_cast<uint32_t>(ma) + 1;
  const char* failed = nullptr;
  if (QvAllocFailed(DAlloc2Dim(&slot.oneda, mfit + 1, 2)))
    failed = "mrqmin()/oneda";
  else if (QvAllocFailed(DAlloc1Dim(&slot.atry, size)))
    failed = "mrqmin()/atry";
  else if (QvAllocFailed(DAlloc1Dim(&slot.da, size)))
    failed = "mrqmin()/da";
  else if (QvAllocFailed(DAlloc1Dim(&slot.beta, size)))
    failed = "mrqmin()/beta";
  if (failed) {
    FreeSlot(slot);
    numerics::AllocErrorBox(failed);
    return false;
  }
  return true;
}

// Checks lista[1..mfit] and fills lista[mfit+1..ma] with the held parameters.
bool CompleteLista(int32_t* lista, int32_t ma, int32_t mfit) {
  for (int32_t k = 1; k <= mfit; ++k) {
    if (lista[k] < 1 || lista[k] > ma) {
      numerics::ErrorBox("mrqmin()\n\nBAD LISTA PERMUTATION (2)");
      return false;
    }
  }
  int32_t kk = mfit + 1;
  for (int32_t j = 1; j <= ma; ++j) {
    int32_t ihit = 0;
    for (int32_t k = 1; k <= mfit; ++k)
      if (lista[k] == j) ++ihit;
    if (ihit > 1) {
      numerics::ErrorBox("mrqmin()\n\nBAD LISTA PERMUTATION (1)");
      return false;
    }
    if (ihit == 0) {
      if (kk > ma) {
        numerics::ErrorBox("mrqmin()\n\nBAD LISTA PERMUTATION (2)");
        return false;
      }
      lista[kk++] = j;
    }
  }
  if (kk != ma + 1) {
    numerics::ErrorBox("mrqmin()\n\nBAD LISTA PERMUTATION (2)");
    return false;
  }
  return true;
}

bool ValidIndices(const char* name, int16_t p, int16_t s) {
  if (p < 0 || p >= MRQ_MAX_PROCS) {
    numerics::ErrorBox("%s\n\nBAD PROCESS INDEX [%hd]", name, p);
    return false;
  }
  if (s < 0 || s >= LSF_SETS) {
    numerics::ErrorBox("%s\n\nBAD SET INDEX [%hd]", name, s);
    return false;
  }
  return true;
}

int16_t MrqminBody(int16_t p, int16_t s, const double* x, const double* y, const double* sig, int32_t ndata,
                   double* a, int32_t ma, int32_t* lista, int32_t mfit, double** covar, double** alpha,
                   double* chisq, MrqModelFunc funcs, MrqHookFunc hook, const Shared<uint32_t>& run,
                   double* alamda) {
  if (!ValidIndices("mrqmin()", p, s)) return -1;
  if (ndata < 1 || ma < 1 || mfit < 1 || mfit > ma) {
    numerics::ErrorBox("mrqmin()\n\nBAD SIZES NDATA=[%d] MA=[%d] MFIT=[%d]", ndata, ma, mfit);
    return -1;
  }
  MrqSlot& slot = MrqWork.Slot[p];
  if (*alamda < 0.0) {
    if (!PrepareSlot(slot, ma, mfit)) return -1;
    slot.started = false;
    if (!CompleteLista(lista, ma, mfit)) return -1;
    if (!RunFlagSet(run)) return -1;
    *alamda = 0.001;
    if (mrqcof(p, s, x, y, sig, ndata, a, ma, lista, mfit, alpha, slot.beta, chisq, funcs, hook, run) != 1) return -1;
    slot.ochisq = *chisq;
    for (int32_t j = 1; j <= ma; ++j) slot.atry[j] = a[j];
    slot.started = true;
    return 1;  // the first call only initialises
  }
  if (!slot.started || slot.ma != ma || slot.mfit != mfit) {
    numerics::ErrorBox("mrqmin()\n\nFIT OF PROCESS [%hd] NOT STARTED", p);
    return -1;
  }
  for (int32_t j = 1; j <= mfit; ++j) {
    for (int32_t k = 1; k <= mfit; ++k) covar[j][k] = alpha[j][k];
    covar[j][j] = alpha[j][j] * (1.0 + *alamda);
    slot.oneda[j][1] = slot.beta[j];
  }
  if (gaussj(covar, mfit, slot.oneda, 1) != 1) return -1;
  for (int32_t j = 1; j <= mfit; ++j) slot.da[j] = slot.oneda[j][1];
  if (*alamda == 0.0) return 1;
  for (int32_t j = 1; j <= ma; ++j) slot.atry[j] = a[j];
  for (int32_t j = 1; j <= mfit; ++j) slot.atry[lista[j]] = a[lista[j]] + slot.da[j];
  if (!RunFlagSet(run)) return -1;
  if (mrqcof(p, s, x, y, sig, ndata, slot.atry, ma, lista, mfit, covar, slot.da, chisq, funcs, hook, run) != 1)
    return -1;
  if (*chisq < slot.ochisq) {
    *alamda *= 0.1;
    slot.ochisq = *chisq;
    for (int32_t j = 1; j <= mfit; ++j) {
      for (int32_t k = 1; k <= mfit; ++k) alpha[j][k] = covar[j][k];
      slot.beta[j] = slot.da[j];
      a[lista[j]] = slot.atry[lista[j]];
    }
  } else {
    *alamda *= 10.0;
    *chisq = slot.ochisq;
  }
  return 1;
}

}  // namespace

int16_t mrqmin(int16_t p, int16_t s, const double* x, const double* y, const double* sig, int32_t ndata, double* a,
               int32_t ma, int32_t* lista, int32_t mfit, double** covar, double** alpha, double* chisq,
               MrqModelFunc funcs, MrqHookFunc hook, const Shared<uint32_t>& run, double* alamda) {
  if (*alamda == -10.0) return 1;
  if (Traced()) DebugPrintf("ENTER mrqmin() - ENTER alamda = %lf\n", *alamda);
  const int16_t status =
      MrqminBody(p, s, x, y, sig, ndata, a, ma, lista, mfit, covar, alpha, chisq, funcs, hook, run, alamda);
  if (Traced()) DebugPrintf("EXIT mrqmin()\n");
  return status;
}

int16_t mrqcof(int16_t p, int16_t s, const double* x, const double* y, const double* sig, int32_t ndata, double* a,
               int32_t ma, const int32_t* lista, int32_t mfit, double** alpha, double* beta, double* chisq,
               MrqModelFunc funcs, MrqHookFunc hook, const Shared<uint32_t>& run) {
  if (!ValidIndices("mrqcof()", p, s)) return -1;
  if (Traced()) DebugPrintf("ENTER mrqcof()\n");
  MrqSlot& slot = MrqWork.Slot[p];
  if (!slot.dyda || slot.dydaSize != ma) {
    slot.dydaSize = 0;
    if (QvAllocFailed(DAlloc1Dim(&slot.dyda, static_cast<uint32_t>(ma) + 1))) {
      numerics::AllocErrorBox("mrqcof()/dyda");
      return -1;
    }
    slot.dydaSize = ma;
  }
  double* dyda = slot.dyda;
  for (int32_t j = 1; j <= mfit; ++j) {
    for (int32_t k = 1; k <= j; ++k) alpha[j][k] = 0.0;
    beta[j] = 0.0;
  }
  *chisq = 0.0;
  if (hook) hook(s, a);
  int16_t status = 1;
  for (int32_t i = 1; i <= ndata; ++i) {
    double ymod = 0.0;
    funcs(p, s, i - 1, x[i], a, &ymod, dyda, ma);
    if (!RunFlagSet(run)) {
      status = -1;
      break;
    }
    const double sig2i = 1.0 / (sig[i] * sig[i]);
    const double dy = y[i] - ymod;
    for (int32_t j = 1; j <= mfit; ++j) {
      const double wt = dyda[lista[j]] * sig2i;
      for (int32_t k = 1; k <= j; ++k) alpha[j][k] += wt * dyda[lista[k]];
      beta[j] += dy * wt;
    }
    *chisq += dy * dy * sig2i;
  }
  if (status == 1) {
    for (int32_t j = 2; j <= mfit; ++j)
      for (int32_t k = 1; k <= j - 1; ++k) alpha[k][j] = alpha[j][k];
  }
  if (Traced()) DebugPrintf("EXIT mrqcof()\n");
  return status;
}

void MrqRelease(int16_t p) {
  if (p >= MRQ_MAX_PROCS) return;
  const int first = p < 0 ? 0 : p;
  const int last = p < 0 ? MRQ_MAX_PROCS - 1 : p;
  for (int q = first; q <= last; ++q) FreeSlot(MrqWork.Slot[q]);
}
