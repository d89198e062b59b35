// Intensity of one line from its stored intensity or transition amplitudes, the
// transition-dipole shares and the temperatures of the set.
#include "sim/SimItn.h"

#include <cmath>

#include "platform/kernel/Text.h"
#include "records/Sim.h"
#include "lineshape/SimInternal.h"

namespace {

// Signed square root of a share in percent.
double SignedRoot(double t) { return t > 0.0 ? std::sqrt(0.01 * t) : -std::sqrt(0.01 * -t); }

// The energy of the line's level in a state, or false when there is none to read.
bool LevelEnergy(int16_t set, int state, int32_t line, double* energy) {
  const double* levels = Sim.FI_HamErg_Vector[set][state];
  const int32_t* index = Sim.FI_Erg_Idx[set][state];
  if (!levels || !index) return false;
  const int32_t k = index[line];
  if (k < 0 || static_cast<uint32_t>(k) >= Sim.FI_Erg_Sz[set]) return false;
  *energy = levels[k];
  return true;
}

}  // namespace

double SimFIItnCalc(int16_t set, int32_t line) {
  if (!sim::ValidSet(set) || line < 0 || static_cast<uint32_t>(line) >= Sim.FI_Lines[set]) return 0.0;
  const double* t = Sim.TDM_Angle[set];
  double S;
  if (Sim.TDM_GLOBAL_STAT[set] == 1 && Sim.AMP_STAT[set] == 1 && Sim.FI_Amp[set]) {
    const double aA = SignedRoot(t[0]), aB = SignedRoot(t[1]), aC = SignedRoot(t[2]);
    const float* amp = Sim.FI_Amp[set] + 3 * line;
    const double re = aA * amp[0] + aB * amp[1] + aC * amp[2];
    S = re * re;
    if (Sim.IMAG_STAT[set] == 1 && Sim.FI_Imag[set]) {
      const float* imag = Sim.FI_Imag[set] + 3 * line;
      const double im = aA * imag[0] + aB * imag[1] + aC * imag[2];
      S += im * im;
    }
  } else {
    S = Sim.FI_Sim_Itn[set] ? Sim.FI_Sim_Itn[set][line] : 0.0;
    if (Sim.TDM_GLOBAL_STAT[set] == 1 && Sim.FI_BT_Lbl[set]) {
      switch (Sim.FI_BT_Lbl[set][line]) {
        case 'A': S *= 0.01 * t[0]; break;
        case 'B': S *= 0.01 * t[1]; break;
        case 'C': S *= 0.01 * t[2]; break;
        default: break;
      }
    }
  }

  const double T1 = Sim.Rot_Temp[set][0];
  if (Sim.TEMP_GLOBAL_STAT[set] != 1 || !(T1 > 0.0)) return S;
  const double T2 = Sim.Rot_Temp[set][1], w = Sim.Rot_Temp[set][2];
  const double kT1 = T1 * Sim.Temp2Erg[set], kT2 = T2 * Sim.Temp2Erg[set];
  // A line whose level lies outside the energy table has no intensity.
  double E = 0.0;
  if (!LevelEnergy(set, 0, line, &E)) return 0.0;
  if (E < 0.0) {
    if (line == 0) Sim.NegErg_Cnt[set] = 0;
    if (static_cast<uint32_t>(line) + 1 == Sim.FI_Lines[set]) {
      char text[300];
      StrFormat(text, "[%s] SIM [%s] - NEGATIVE ERGS=[%d]", Sim.Set_Lbl[set], Sim.Sim_Flnm[set], Sim.NegErg_Cnt[set]);
      sim::StatusText(3, text);
    }
    ++Sim.NegErg_Cnt[set];
    return 0.0;
  }
  const bool second = T2 != 0.0 && w != 0.0 && kT2 != 0.0;
  if (Sim.ONESTATE_STAT[set] != 1) {
    return second ? S * (std::exp(-E / kT1) + w * std::exp(-E / kT2)) : S * std::exp(-E / kT1);
  }
  double upper = 0.0;
  if (!LevelEnergy(set, 1, line, &upper) || upper < 0.0) return 0.0;
  const double nu = Sim.FI_Sim_Erg[set] ? Sim.FI_Sim_Erg[set][line] : 0.0;
  const double first = (1.0 - std::exp(-nu / kT1)) * std::exp(-E / kT1);
  if (!second) return S * first * nu * 0.0001;
  return S * ((1.0 - std::exp(-nu / kT2)) * std::exp(-E / kT2) * w + first) * nu * 0.0001;
}
