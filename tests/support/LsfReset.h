// Releases the arrays of fit set 0, the per-line fit arrays of every set and the
// Levenberg-Marquardt work storage, then puts the fit record back to its initial values.
#pragma once

#include "core/TypedArrays.h"
#include "fit/NLLsf.h"
#include "numerics/Marquardt.h"
#include "records/Lsf.h"

namespace qvtest {

inline void ResetLsf() {
  DFree1Dim(&Lsf.Obl_XXX);
  DFree1Dim(&Lsf.Obl_Itn);
  DFree1Dim(&Lsf.Obl_Sig);
  LFree1Dim(&Lsf.Prm_IdxList);
  DFree2Dim(&Lsf.Cov_Mtx, Lsf.Mtx_Sz);
  DFree2Dim(&Lsf.Crv_Mtx, Lsf.Mtx_Sz);
  MrqRelease(-1);
  VoigtNLLsfFree();
  Lsf = LsfRecord{};
}

}  // namespace qvtest
