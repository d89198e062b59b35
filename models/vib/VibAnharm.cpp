#include "models/vib/VibAnharm.h"

#include "core/TypedArrays.h"
#include "records/Quad.h"
#include "records/Sim.h"

uint32_t VibAnharmCalc(int16_t set) {
  if (set < 0 || set >= QUAD_SETS || !Sim.FI_Sim_Erg[set]) return 0;
  const uint32_t lines = Sim.FI_Lines[set];
  if (lines == 0) return 0;
  if (VibArrays.Lines[set] != lines || !VibArrays.Cnt[set]) {
    if (QvAllocFailed(LReAlloc1Dim(&VibArrays.Cnt[set], lines)) ||
        QvAllocFailed(DReAlloc1Dim(&VibArrays.Frq[set], lines)) ||
        QvAllocFailed(DReAlloc1Dim(&VibArrays.Itn[set], lines))) {
      VibArraysFree(set);
      return 0;
    }
    VibArrays.Lines[set] = lines;
    VibArrays.Stride[set] = 1;
    for (uint32_t i = 0; i < lines; ++i) VibArrays.Cnt[set][i] = 0;
  }
  const int32_t beg = Sim.FI_IDX_BEG[set], end = Sim.FI_IDX_END[set];
  for (int32_t i = beg; i >= 0 && i <= end && static_cast<uint32_t>(i) < lines; ++i) {
    VibArrays.Cnt[set][i] = 1;
    VibArrays.Frq[set][i] = Sim.FI_Sim_Erg[set][i];
    VibArrays.Itn[set][i] = 1.0;
  }
  return 1;
}

void VibArraysFree(int16_t set) {
  if (set < 0 || set >= QUAD_SETS) return;
  LFree1Dim(&VibArrays.Cnt[set]);
  DFree1Dim(&VibArrays.Frq[set]);
  DFree1Dim(&VibArrays.Itn[set]);
  VibArrays.Lines[set] = 0;
  VibArrays.Stride[set] = 0;
}
