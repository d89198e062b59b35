#include "sim/SimLines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "display/FileDialogs.h"
#include "core/FileIo.h"
#include "core/FrqAxis.h"
#include "core/TypedArrays.h"
#include "core/WorkText.h"
#include "core/Coords.h"
#include "display/FileSection.h"
#include "sim/SimPlot.h"
#include "display/ViewFiles.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/Window.h"
#include "records/Dsp.h"
#include "records/Lsf.h"
#include "records/OrvPrm.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "sim/SimCombDiff.h"
#include "sim/SimIo.h"
#include "sim/SimSets.h"

namespace {

constexpr double kStarkFactor = 0.50341125;  // dipole (D) x field (V/cm) to MHz
constexpr int kOrigin = 22;                  // slot of the band origin, not a derivative
constexpr size_t kAsnLine = 499;             // characters of one assignment-file line

bool ValidSet(int16_t set) { return set >= 0 && set < SIM_SETS; }

std::string SetName(const SimRecord* sim, int16_t set) {
  return StrPrintf("[%s] SIM [%s]", sim->Set_Lbl[set], sim->Sim_Flnm[set]);
}

// Derivatives per line of the set's FI_Dev rows.
uint32_t DevWidth(const SimRecord* sim, int16_t set) {
  return sim->ONESTATE_STAT[set] == 1 ? 2 * sim->DVS_NO[set][SIM_GND]
                                      : sim->DVS_NO[set][SIM_GND] + sim->DVS_NO[set][SIM_EXC];
}

// Resizes one 1-D array from oldN to newN values per width, keeping contents and
// zeroing an added tail. A null array is made zero-filled.
template <class T>
bool Resize(T** p, uint32_t oldN, uint32_t newN, uint32_t width, int32_t (*realloc)(T**, uint32_t)) {
  const bool fresh = *p == nullptr;
  if (QvAllocFailed(realloc(p, newN * width))) return false;
  if (!fresh && newN > oldN) std::fill(*p + static_cast<size_t>(oldN) * width, *p + static_cast<size_t>(newN) * width, T{});
  return true;
}

// Brings every per-line array of the set from oldN to newN lines. The arrays the set
// owns (by its flags) follow the count; a grown line points to a new level of energy 0
// in each state's energy vector. False when an allocation failed.
bool ResizeLines(int16_t set, SimRecord* sim, uint32_t oldN, uint32_t newN) {
  if (newN == 0) return true;
  bool ok = Resize(&sim->FI_Sim_Erg[set], oldN, newN, 1, DReAlloc1Dim) &&
            Resize(&sim->FI_Exp_Erg[set], oldN, newN, 1, DReAlloc1Dim) &&
            Resize(&sim->FI_Exp_Unc[set], oldN, newN, 1, FReAlloc1Dim) &&
            Resize(&sim->FI_Sim_Itn[set], oldN, newN, 1, FReAlloc1Dim) &&
            Resize(&sim->FI_BT_Lbl[set], oldN, newN, 1, CReAlloc1Dim) &&
            Resize(&sim->FI_Jkk_Lbl[set], oldN, newN, 6, SReAlloc1Dim);
  if (ok) {
    const bool fresh = sim->FI_AreaPeak_FAry[set] == nullptr;
    ok = !QvAllocFailed(FReAlloc2Dim(&sim->FI_AreaPeak_FAry[set], 2, 2, static_cast<int32_t>(newN)));
    for (int r = 0; ok && r < 2; ++r)
      std::fill(sim->FI_AreaPeak_FAry[set][r] + (fresh ? 0 : std::min(oldN, newN)), sim->FI_AreaPeak_FAry[set][r] + newN,
                0.0f);
  }
  if (ok && sim->AMP_STAT[set]) {
    ok = Resize(&sim->FI_Amp[set], oldN, newN, 3, FReAlloc1Dim);
    if (ok && sim->IMAG_STAT[set]) ok = Resize(&sim->FI_Imag[set], oldN, newN, 3, FReAlloc1Dim);
  }
  if (ok && sim->FM_STAT[set]) ok = Resize(&sim->FI_FM_Lbl[set], oldN, newN, 2, FReAlloc1Dim);
  if (ok && sim->HT_Global_Stat[set]) {
    // SimFISort reorders every HITRAN array over FI_Lines entries: all of them follow.
    ok = Resize(&sim->HT_Shift_Erg[set], oldN, newN, 1, DReAlloc1Dim) &&
         Resize(&sim->HT_Itn[set], oldN, newN, 1, FReAlloc1Dim) &&
         Resize(&sim->HT_Air_Gamma[set], oldN, newN, 1, FReAlloc1Dim) &&
         Resize(&sim->HT_Self_Gamma[set], oldN, newN, 1, FReAlloc1Dim) &&
         Resize(&sim->HT_Air_Delta[set], oldN, newN, 1, FReAlloc1Dim) &&
         Resize(&sim->HT_Temp_Gamma[set], oldN, newN, 1, FReAlloc1Dim) &&
         Resize(&sim->HT_Mol_Lbl[set], oldN, newN, 1, SReAlloc1Dim);
  }
  if (ok && sim->IDVWIDTH_STAT[set])
    ok = Resize(&sim->FI_Gau_FWHM[set], oldN, newN, 1, FReAlloc1Dim) &&
         Resize(&sim->FI_Lor_FWHM[set], oldN, newN, 1, FReAlloc1Dim);
  if (ok && sim->NLLSF_STAT[set]) {
    ok = Resize(&sim->FI_LS_VarStat[set], oldN, newN, 5, BReAlloc1Dim) &&
         Resize(&sim->FI_LS_StdDev[set], oldN, newN, 5, FReAlloc1Dim);
    if (ok && Lsf.ItnSave_Stat[set]) ok = Resize(&sim->FI_Sim_ItnSave[set], oldN, newN, 1, FReAlloc1Dim);
  }
  if (ok && sim->DVS_STAT[set]) {
    const uint32_t nd = DevWidth(sim, set);
    if (nd > 0) ok = Resize(&sim->FI_Dev[set], oldN, newN, nd, DReAlloc1Dim);
  }
  if (ok && sim->TEMP_GLOBAL_STAT[set]) {
    const int states = sim->ONESTATE_STAT[set] == 1 ? 2 : 1;
    const uint32_t levels = sim->FI_Erg_Sz[set];
    const uint32_t added = newN > oldN ? newN - oldN : 0;
    // Top levels that only the removed lines point to (those an append made) go too.
    uint32_t top = levels;
    if (newN < oldN) {
      auto usedBy = [&](uint32_t level, uint32_t from, uint32_t to) {
        for (int st = 0; st < states; ++st)
          for (uint32_t i = from; i < to && sim->FI_Erg_Idx[set][st]; ++i)
            if (sim->FI_Erg_Idx[set][st][i] == static_cast<int32_t>(level)) return true;
        return false;
      };
      while (top > 1 && usedBy(top - 1, newN, oldN) && !usedBy(top - 1, 0, newN)) --top;
    }
    for (int st = 0; ok && st < states; ++st) {
      ok = Resize(&sim->FI_Erg_Idx[set][st], oldN, newN, 1, LReAlloc1Dim);
      if (ok && added > 0) ok = Resize(&sim->FI_HamErg_Vector[set][st], levels, levels + added, 1, DReAlloc1Dim);
      for (uint32_t k = 0; ok && k < added; ++k) sim->FI_Erg_Idx[set][st][oldN + k] = static_cast<int32_t>(levels + k);
    }
    if (ok && added > 0) sim->FI_Erg_Sz[set] = levels + added;
    if (ok && top < levels) {
      for (int st = 0; ok && st < states; ++st)
        ok = Resize(&sim->FI_HamErg_Vector[set][st], levels, top, 1, DReAlloc1Dim);
      if (ok) sim->FI_Erg_Sz[set] = top;
    }
  }
  return ok;
}

void AllocFailed(int16_t set, SimRecord* sim) {
  SimFIFreeQVS(set, sim, 1);
  core_io::Error(
      "SimFIAddDelLineQVS()/FI_Sim_Erg/FI_Exp_Erg/FI_Exp_Unc/FI_Sim_Itn/FI_BT_Lbl/FI_Jkk_Lbl/...\n\nCORE ALLOCATION "
      "ERROR");
}

}  // namespace

int32_t SimFIDerRun(int16_t set, SimRecord* sim) {
  if (!ValidSet(set) || !sim) return 0;
  if (sim->DVS_NO[set][SIM_GND] + sim->DVS_NO[set][SIM_EXC] == 0) {
    core_io::Warning(SetName(sim, set) + "\n\nNUMBER OF DERIVATIVES ZERO\n\nABORTING");
    return 0;
  }
  const uint32_t n = sim->FI_Lines[set];
  const bool oneState = sim->ONESTATE_STAT[set] == 1;
  const uint32_t nd = DevWidth(sim, set);
  if (n == 0) return SimFISort(set, sim);
  if (!sim->FI_Dev[set] || !sim->FI_Sim_Erg[set]) return 0;

  // Active constants: ground state, then excited state, slots 0..21.
  std::vector<double> p;
  p.reserve(2 * kOrigin);
  for (int st = 0; st < SIM_STATES; ++st)
    for (int slot = 0; slot < kOrigin; ++slot) {
      if (sim->RC_DevStat[set][st][slot] == 0) continue;
      double v = sim->RC_Prm[set][st][slot];
      if (sim->DM_GLOBAL_STAT[set] == 1 && slot >= 6 && slot <= 8) v *= kStarkFactor * sim->DM_FIELD[set];
      p.push_back(v);
    }
  // A derivative column without an active constant adds nothing.
  if (p.size() < nd) p.resize(nd, 0.0);

  // Fixed combination-difference groups: their shifts come out while the frequencies
  // are recomputed and sorted, and go in again with the mean O-C of the new values.
  CombDiffFixSuspend(set, sim, true);
  const double e0 = sim->RC_Prm[set][SIM_EXC][kOrigin];
  const double* dev = sim->FI_Dev[set];
  double* frq = sim->FI_Sim_Erg[set];
  if (oneState) {
    const uint32_t h = nd / 2;
    for (uint32_t i = 0; i < n; ++i) {
      const double* row = dev + static_cast<size_t>(i) * nd;
      double f = e0;
      for (uint32_t m = 0; m < h; ++m) f += (row[m] + row[h + m]) * p[m];
      frq[i] = f;
    }
  } else {
    for (uint32_t i = 0; i < n; ++i) {
      const double* row = dev + static_cast<size_t>(i) * nd;
      double f = e0;
      for (uint32_t m = 0; m < nd; ++m) f += p[m] * row[m];
      frq[i] = f;
    }
  }
  const int32_t sorted = SimFISort(set, sim);
  CombDiffFixSuspend(set, sim, false);
  return sorted;
}

int32_t SimFIWriteBin(const char* file, int16_t set, int32_t addBaseline, int16_t columnChn) {
  if (!ValidSet(set) || !file) return 0;
  const std::string name = SetName(&Sim, set);
  const uint32_t lines = Sim.FI_Lines[set];
  const std::string noLength =
      "SIM BIN WRITE\n\n" + name + "\n\nACTIVE & ASSOCIATED CHNS HAVE ZERO LENGTHS | NUMBER OF SIM LINES < 3 \n\nABORTING";

  // 1 and 2. The channel that gives the length: the one a column is written beside,
  // else the set's own, else the active one.
  if (columnChn >= 0 && (columnChn >= 9 || Dsp.FL_SZ[3][columnChn] == 0)) {
    core_io::Warning(noLength);
    return 0;
  }
  int16_t chn = columnChn >= 0 ? columnChn : Sim.Dsp_Cnl[set];
  bool madeChannel = false;
  if (chn >= 0 && chn < 9 && Dsp.FL_SZ[3][chn] > 0) {
    core_io::StatusText(3, StrPrintf("%s - LENGTH/SCALAR/OFFSET SET TO EXPT CHN=[%d]", name.c_str(), chn));
  } else if (Win.Active_Chn >= 0 && Win.Active_Chn < 9 && Dsp.FL_SZ[3][Win.Active_Chn] > 0) {
    chn = Win.Active_Chn;
    core_io::StatusText(3, StrPrintf("%s - LENGTH/SCALAR/OFFSET SET TO ACTIVE EXPT CHN=[%d]", name.c_str(), chn));
  } else if (lines < 2 || !Sim.FI_Sim_Erg[set]) {
    core_io::Warning(noLength);
    return 0;
  } else {
    if (!core_io::AskYesNo("SIM BIN WRITE\n\nEXP DATA DOES NOT EXIST\n\nCREATE SIM FILE [YES] | ABORT [NO]?")) return 0;
    if (!ChannelNameAccepted(0, file)) return 0;  // the file becomes channel 0's
    FileDialogCurrentFolder(1, nullptr, nullptr, 0, 0);
    chn = 0;
    Win.Active_Chn = 0;
    if (Dsp.FL_SZ[3][0] == 0) Dsp.FL_SZ[3][0] = 100000;
    Dsp.Init_Frq = Sim.FI_Sim_Erg[set][0];
    // One point a step: the working file keeps the axis as FSR and points per FSR, so a
    // save and a read give the channel this step back exactly.
    const double step = (Sim.FI_Sim_Erg[set][lines - 1] - Sim.FI_Sim_Erg[set][0]) / Dsp.FL_SZ[3][0];
    Dsp.Pts_FSR = 1;
    Dsp.FSR = step;
    DspFrqStpSet(step);
    StrCopy(Dsp.Chn_Flnm[0], file);
    Dsp.Chn_Scalar[0] = 1.0;
    Dsp.Chn_Offset[0] = 0.0;
    Dsp.Chn_ScaleStat[0] = 0;
    Dsp.Chn_OfsFix[0] = 0;
    Dsp.Chn_Dig[0] = 0;
    Dsp.Chn_DspStat[0] = 1;
    Sim.Dsp_Cnl[set] = 9;
    madeChannel = true;
    core_io::StatusText(3, StrPrintf("%s - LENGTH/SCALAR/OFFSET SET TO CHN=[%d]", name.c_str(), chn));
  }
  const uint32_t points = Dsp.FL_SZ[3][chn];

  // 3. The spectrum goes to a temporary file beside the target.
  const std::string failed = name + StrPrintf("\n\nFAILED TO CREATE BINARY FILE [%s] FOR WRITING\n\nABORTING", file);
  core_io::BinOut out;
  if (!out.Open(file) || !Win.PM_DrawAry || !Win.PM_DrawAry_Sum) {
    core_io::Warning(failed);
    return 0;
  }

  // 4. Chunks of the draw-array length.
  const bool sum = Sim.Sum_Stat[set] == 1;
  if (sum) {
    core_io::StatusText(0, StrPrintf("SIM [%s] OFFSET USED FOR ALL", Sim.Set_Lbl[set]));
    for (int16_t s = 0; s < SIM_SETS; ++s)
      if (Sim.Sum_Stat[s] == 1 && Sim.FI_Lines[s] == 0) Sim.Sum_Stat[s] = 0;
  }
  // A set the renderer refuses is not written: the draw array then holds whatever it
  // had accumulated, another set's values as likely as not.
  int16_t refused = -1;
  auto render = [&](int16_t s, uint32_t first, int32_t count) {
    Sim.LS_Refused[s][0] = '\0';
    if (SimFIPlot(nullptr, 0, s, 3, static_cast<int32_t>(first), count, addBaseline, 9, 9) == 1) return true;
    refused = s;
    return false;
  };
  std::vector<float> chunk;
  bool ok = true;
  for (uint32_t first = 0; ok && first < points; first += WIN_DRAW_PTS) {
    const int32_t count = static_cast<int32_t>(std::min<uint32_t>(WIN_DRAW_PTS, points - first));
    chunk.assign(static_cast<size_t>(count), 0.0f);
    if (sum) {
      std::fill(chunk.begin(), chunk.end(), static_cast<float>(Sim.Dsp_Scalar[set] * Sim.Dsp_Offset[set]));
      for (int16_t s = 0; ok && s < SIM_SETS; ++s) {
        if (Sim.Sum_Stat[s] != 1) continue;
        ok = render(s, first, count);
        for (int32_t k = 0; ok && k < count; ++k) chunk[static_cast<size_t>(k)] += Win.PM_DrawAry[k];
      }
    } else {
      ok = render(set, first, count);
      if (ok) std::copy(Win.PM_DrawAry, Win.PM_DrawAry + count, chunk.begin());
    }
    ok = ok && simio::WriteArray(out, chunk.data(), chunk.size());
  }
  if (refused >= 0) {
    out.Abort();
    const char* reason = Sim.LS_Refused[refused][0] != '\0' ? Sim.LS_Refused[refused] : "SIM NOT RENDERED";
    core_io::Warning("SIM BIN WRITE\n\n" + SetName(&Sim, refused) + "\n\n" + reason + "\n\nABORTING");
    return 0;
  }
  if (!ok) {
    out.Abort();
    core_io::Warning(failed);
    return 0;
  }
  // 5. A set without lines is written all the same. The file is told written only once
  // it is in place.
  if (lines == 0) core_io::Info(name + "\n\nSIM HAS ZERO LINES\n\nCONTINUUING");
  if (!out.Commit()) {
    core_io::Warning(failed);
    return 0;
  }
  core_io::StatusText(0, sum ? "BINARY FORM OF SUM OF SIMS WRITTEN" : "BINARY FORM OF SIM WRITTEN");

  // 6. A channel made here gets its view files (whether or not the view thread ran
  // before) and a scale.
  if (madeChannel) {
    ThreadCtl.View_Started = 1;
    Dsp.ViewUpdate[0] = 1;
    DisplayViewRestart();
    CnvAutoScalarOffSetChn(-1);
  }
  return 1;
}

int32_t SimFIAsnRead(int16_t set, SimRecord* sim) {
  if (!ValidSet(set) || !sim) return 0;
  const uint32_t n = sim->FI_Lines[set];
  if (n == 0 || !sim->FI_Sim_Erg[set] || !sim->FI_Exp_Erg[set] || !sim->FI_Exp_Unc[set] || !sim->FI_Jkk_Lbl[set]) {
    core_io::Warning(SetName(sim, set) + "\n\nSIM DOES NOT EXIST\n\nABORTING");
    return 0;
  }
  if (sim->FI_Asn_Lines[set] > 0 &&
      !core_io::AskYesNo(StrPrintf("SIM CURRENTLY CONTAINS [%u] ASN - USE CLR IN SCD TO REMOVE\n\nADD TO & OVERWRITE "
                                   "EXISTING ASNS [YES] | ABORT [NO]?",
                                   sim->FI_Asn_Lines[set])))
    return 0;
  // Shifted fix sets go back to their own frequencies first.
  for (uint32_t f = 0; f < sim->FI_CD_FixSet_Tot[set] && sim->FI_CD_FixSet_Fixed[set]; ++f) {
    if (sim->FI_CD_FixSet_Fixed[set][f] != 1) continue;
    sim->FI_CD_FixSet_Fixed[set][f] = 0;
    CombDiffFixRestore(set, static_cast<int32_t>(f));
  }
  core_io::LineIn in(kAsnLine);
  if (!in.Open(OrvPrm.Asn_Flnm)) {
    core_io::Warning(StrPrintf("ASSIGNMENT FILE [%s] DOES NOT EXIST\n\nDEFINE FLNM IN Rot Calc MENU\n\nABORTING",
                               OrvPrm.Asn_Flnm));
    return 0;
  }
  const bool pickett = std::strcmp(sim->Sim_Type[set], "PICKETT_8QN") == 0;
  const bool halfSpin = pickett && core_io::AskYesNo(
                                       "FIX PICKETT'S QUANTUM NUMBERS\n\nHALF INTEGRAL SPIN [YES] | INTEGRAL SPIN [NO]?");
  const bool vib = sim->Vib_Stat[set] == 1;
  const bool fm = !pickett && !vib && sim->FM_STAT[set] == 1;
  const bool withF = (pickett || fm) && sim->FI_FM_Lbl[set];

  uint32_t matched = 0, read = 0;
  std::string line;
  while (in.Next(line)) {
    if (line.size() > 1 && line[1] == '/') break;
    int16_t q[8] = {};
    float fq[2] = {};
    double frq = 0.0, unc = 1.0;
    int got = 0, full = 0;
    const char* text = line.c_str();
    if (vib) {
      full = 8;
      got = std::sscanf(text, "%*s%hd%hd%hd%hd%hd%hd%lf%lf", &q[0], &q[1], &q[2], &q[4], &q[5], &q[6], &frq, &unc);
    } else if (pickett) {
      full = 10;
      int16_t f1 = 0, f2 = 0;
      got = std::sscanf(text, "%hd%hd%hd%hd%hd%hd%hd%hd%lf%lf", &q[0], &q[1], &q[2], &f1, &q[4], &q[5], &q[6], &f2, &frq,
                        &unc);
      fq[0] = static_cast<float>(f1 - (halfSpin ? 0.5 : 0.0));
      fq[1] = static_cast<float>(f2 - (halfSpin ? 0.5 : 0.0));
    } else if (fm) {
      full = 10;
      got = std::sscanf(text, "%*s%hd%hd%hd%f%hd%hd%hd%f%lf%lf", &q[0], &q[1], &q[2], &fq[0], &q[4], &q[5], &q[6], &fq[1],
                        &frq, &unc);
    } else {
      full = 8;
      got = std::sscanf(text, "%*s%hd%hd%hd%hd%hd%hd%lf%lf", &q[0], &q[1], &q[2], &q[4], &q[5], &q[6], &frq, &unc);
    }
    if (got < full - 1) continue;  // not an assignment line
    if (got == full - 1) unc = 1.0;
    int64_t target = -1;
    if (vib) {
      if (read >= n) {
        core_io::Info(StrPrintf("ASN LINES=[%u] & SIM LNS=[%u] ARE DIFFERENT\n\nABORTING", read + 1, n));
        break;
      }
      target = read;
    } else {
      const int16_t* jkk = sim->FI_Jkk_Lbl[set];
      for (uint32_t i = 0; i < n && target < 0; ++i) {
        const int16_t* l = jkk + 6 * static_cast<size_t>(i);
        if (l[0] != q[0] || l[1] != q[1] || l[2] != q[2] || l[3] != q[4] || l[4] != q[5] || l[5] != q[6]) continue;
        if ((pickett || fm) &&
            (!withF || sim->FI_FM_Lbl[set][2 * i] != fq[0] || sim->FI_FM_Lbl[set][2 * i + 1] != fq[1]))
          continue;
        target = i;
      }
    }
    ++read;
    if (target < 0) continue;
    sim->FI_Exp_Erg[set][target] = frq;
    sim->FI_Exp_Unc[set][target] = static_cast<float>(unc);
    ++matched;
  }

  // Assignment statistics as the assignment count does them.
  uint32_t count = 0;
  double sq = 0.0;
  for (uint32_t i = 0; i < n; ++i) {
    if (sim->FI_Exp_Erg[set][i] == 0.0) continue;
    const double d = sim->FI_Sim_Erg[set][i] - sim->FI_Exp_Erg[set][i];
    sq += d * d;
    ++count;
  }
  sim->FI_Asn_Lines[set] = count;
  sim->FI_OmC_Rms[set] = count > 0 ? static_cast<float>(std::sqrt(sq / count)) : 0.0f;
  sim->Asn_Modified[set] = 1;
  core_io::Info(StrPrintf("MATCHED [%u] OUT OF [%u] LINES FROM ASN FILE [%s]\n\nTOTAL ASN LINES=[%u] WITH OMC=[%f]",
                          matched, read, OrvPrm.Asn_Flnm, count, static_cast<double>(sim->FI_OmC_Rms[set])));
  return 1;
}

int32_t SimFIAddDelLineQVS(int32_t resize, int32_t add, int16_t set, SimRecord* sim, int32_t report) {
  if (!ValidSet(set) || !sim) return 0;
  const uint32_t oldN = sim->FI_Lines[set];

  if (resize == 1 && add == 1) {
    if (oldN == 0) {
      StrCopy(sim->Version[set], "VIB");
      sim->Dsp_Intercept[set] = DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, 0);
    }
    const uint32_t n = oldN + 1;
    sim->FI_Lines[set] = n;
    if (Lsf.LsFit_Stat[set] == 1) sim->NLLSF_STAT[set] = 1;
    if (!ResizeLines(set, sim, oldN, n)) {
      AllocFailed(set, sim);
      return 0;
    }
    const uint32_t i = n - 1;
    sim->FI_Sim_Erg[set][i] = 0.0;
    sim->FI_Sim_Itn[set][i] = 0.0f;
    sim->FI_BT_Lbl[set][i] = 'N';
    std::fill(sim->FI_Jkk_Lbl[set] + 6 * static_cast<size_t>(i), sim->FI_Jkk_Lbl[set] + 6 * static_cast<size_t>(n), 0);
    if (sim->FM_STAT[set]) sim->FI_FM_Lbl[set][2 * i] = sim->FI_FM_Lbl[set][2 * i + 1] = 0.0f;
    sim->FI_Exp_Erg[set][i] = 0.0;
    sim->FI_Exp_Unc[set][i] = 0.0f;
    if (sim->IDVWIDTH_STAT[set]) sim->FI_Gau_FWHM[set][i] = sim->FI_Lor_FWHM[set][i] = 0.1f;
    if (sim->NLLSF_STAT[set]) {
      for (int k = 0; k < 5; ++k) {
        sim->FI_LS_VarStat[set][5 * i + k] = 0;
        sim->FI_LS_StdDev[set][5 * i + k] = 0.0f;
      }
      if (sim->FI_Sim_ItnSave[set] && Lsf.ItnSave_Stat[set]) sim->FI_Sim_ItnSave[set][i] = 0.0f;
    }
    if (report == 1)
      core_io::StatusText(0, StrPrintf("%s SIM LINE ADDED=[%u]", SetName(sim, set).c_str(), n));
    return 1;
  }

  if (resize == 1) {
    if (!ResizeLines(set, sim, oldN, oldN)) {
      AllocFailed(set, sim);
      return 0;
    }
    return 1;
  }

  // Delete the line at the selected list position.
  const int32_t pos = sim->FI_QN_List_Sel[set];
  if (oldN == 0 || pos == 0) return 1;
  if (!sim->FI_QN_List_Ary[set] || pos < 0 || pos >= sim->FI_QN_List_Cnt[set]) return 0;
  const int32_t line = sim->FI_QN_List_Ary[set][pos];
  if (line < 0 || static_cast<uint32_t>(line) >= oldN || !sim->FI_Sim_Erg[set]) return 0;
  const double frequency = sim->FI_Sim_Erg[set][line];
  sim->FI_Sim_Erg[set][line] = 1e100;
  if (SimFISort(set, sim) != 1) {
    // The order is unchanged: the line keeps its place and its frequency.
    sim->FI_Sim_Erg[set][line] = frequency;
    return 0;
  }
  // The sort took the line to the end: it leaves its fix set there.
  CombDiffFixDropLine(set, sim, static_cast<int32_t>(oldN - 1));
  const uint32_t n = oldN - 1;
  sim->FI_Lines[set] = n;
  if (n == 0) {
    SimFIFreeQVS(set, sim, 1);
  } else if (!ResizeLines(set, sim, oldN, n)) {
    AllocFailed(set, sim);
    return 0;
  }
  sim->FI_QN_List_Sel[set] = sim->FI_QN_List_Top[set] = 0;
  sim->FI_QN_List_Cnt[set] = 0;
  if (report == 1) core_io::StatusText(0, StrPrintf("%s SIM LINE DELETED=[%u]", SetName(sim, set).c_str(), n));
  return 1;
}
