#include "sim/SimSets.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "sim/SimFileDialogs.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "core/WorkText.h"
#include "numerics/Sorts.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Quad.h"
#include "records/Win.h"
#include "sim/SimCombDiff.h"
#include "sim/SimDialogs.h"
#include "sim/SimFile.h"

namespace {

constexpr UINT kQuestionYesNoCancel = 0x1023;  // system-modal, question, Yes/No/Cancel
constexpr int kQuadEntry = 5;                   // values per quadrupole assignment

std::string SetName(int16_t set) { return StrPrintf("[%s] SIM [%s]", Sim.Set_Lbl[set], Sim.Sim_Flnm[set]); }

bool Ask(const std::string& text) { return core_io::AskYesNo(text); }

}  // namespace

int32_t SimFIFreeQVS(int16_t set, SimRecord* sim, int32_t report) {
  if (set < 0 || set >= SIM_SETS || !sim) return 1;
  // The fix sets name these lines: they are put back and go with them.
  CombDiffFixRelease(set, sim);
  for (uint32_t* flag :
       {&sim->Dsp_Stat[set], &sim->Sim_Modified[set], &sim->Asn_Modified[set], &sim->FI_Lines[set],
        &sim->FI_Asn_Lines[set], &sim->IDVWIDTH_STAT[set], &sim->NLLSF_STAT[set], &sim->DM_GLOBAL_STAT[set],
        &sim->TEMP_GLOBAL_STAT[set], &sim->HT_Global_Stat[set], &sim->HT_Ary_Stat[set], &sim->LN_STAT[set],
        &sim->Vib_Stat[set], &sim->QN_Freeze[set], &sim->Edit_Stat[set], &sim->HT_MHz_Stat[set],
        &sim->LS_AreaShown[set]})
    *flag = 0;
  sim->FI_OmC_Rms[set] = 0.0f;

  for (double** p : {&sim->FI_Sim_Erg[set], &sim->FI_Exp_Erg[set], &sim->HT_Shift_Erg[set], &sim->FI_Dev[set],
                     &sim->FI_HamErg_Vector[set][SIM_GND], &sim->FI_HamErg_Vector[set][SIM_EXC]})
    DFree1Dim(p);
  for (float** p : {&sim->FI_Exp_Unc[set], &sim->FI_Sim_Itn[set], &sim->HT_Itn[set], &sim->FI_Amp[set],
                    &sim->FI_Imag[set], &sim->FI_FM_Lbl[set], &sim->FI_Gau_FWHM[set], &sim->FI_Lor_FWHM[set],
                    &sim->FI_LS_StdDev[set], &sim->HT_Air_Gamma[set], &sim->HT_Self_Gamma[set],
                    &sim->HT_Air_Delta[set], &sim->HT_Temp_Gamma[set]})
    FFree1Dim(p);
  FFree2Dim(&sim->FI_AreaPeak_FAry[set], 2);
  CFree1Dim(&sim->FI_BT_Lbl[set]);
  SFree1Dim(&sim->FI_Jkk_Lbl[set]);
  SFree1Dim(&sim->HT_Mol_Lbl[set]);
  BFree1Dim(&sim->FI_LS_VarStat[set]);
  LFree1Dim(&sim->FI_Erg_Idx[set][SIM_GND]);
  LFree1Dim(&sim->FI_Erg_Idx[set][SIM_EXC]);

  if (report == 1 && std::strcmp(sim->Sim_Flnm[set], "NoName") != 0)
    core_io::StatusText(3, StrPrintf("[%s] SIM [%s] RESOURCES FREED", sim->Set_Lbl[set], sim->Sim_Flnm[set]));
  return 1;
}

int32_t SimFIUpdateQVS() {
  std::string asn, sims;
  for (int16_t s = 0; s < SIM_SETS; ++s) {
    if (Sim.FI_Lines[s] == 0) {
      Sim.Sim_Modified[s] = 0;
      Sim.Asn_Modified[s] = 0;
      Quad.Asn_Modified[s] = 0;
    }
    const std::string line = StrPrintf("   [%s] SIM [%s]\n", Sim.Set_Lbl[s], Sim.Sim_Flnm[s]);
    if (Sim.Asn_Modified[s] || Quad.Asn_Modified[s]) asn += line;
    if (Sim.Sim_Modified[s]) sims += line;
  }
  if (asn.empty() && sims.empty()) return 1;
  const char* tail = "UPDATE ALL [YES] | UPDATE NONE [NO] | RETURN TO PROGRAM [CANCEL]?";
  std::string text;
  if (!asn.empty() && !sims.empty())
    text = StrPrintf("ASN FILES MODIFIED\n%s\n\nSIMS MODIFIED\n%s\n\n%s", asn.c_str(), sims.c_str(), tail);
  else if (!asn.empty())
    text = StrPrintf("ASN FILES MODIFIED\n%s\n\n%s", asn.c_str(), tail);
  else
    text = StrPrintf("SIMS MODIFIED\n%s\n\n%s", sims.c_str(), tail);
  const int answer = MessageBox(Win.hWnd_Main, text.c_str(), "Question", kQuestionYesNoCancel);
  if (answer == IDCANCEL) return 0;
  if (answer != IDYES) return 1;
  // A simulation that could not be written (a write-protected file, a full disk) is
  // still only in memory: the caller returns to the program, as on Cancel, so that
  // neither the exit nor the next working file drops it.
  bool written = true;
  for (int16_t s = 0; s < SIM_SETS; ++s) {
    if (Sim.Asn_Modified[s]) AsnFileDialog(1, s, "ORV", Sim.Asn_Flnm[s], sizeof Sim.Asn_Flnm[s]);
    if (Quad.Asn_Modified[s]) AsnFileDialog(1, s, "QUAD", Quad.Asn_Flnm[s], sizeof Quad.Asn_Flnm[s]);
    if (Sim.Sim_Modified[s] == 0) continue;
    // A set without a name of its own is saved under the name the user chooses: every
    // set named "NoName" would share "NoName.QVS". Cancel there leaves it unsaved, as
    // asked; a failed write is told as for a named set.
    const bool unnamed = std::strcmp(Sim.Sim_Flnm[s], "NoName") == 0;
    if (!(unnamed ? SimFileSaveDialog(Win.hWnd_Main, 2, s) : SimFIWriteQVS(s, &Sim))) {
      core_io::Warning(SetName(s) + "\n\nFAILED TO UPDATE QVS SIM");
      written = false;
    }
  }
  return written ? 1 : 0;
}

int32_t SimFISort(int16_t set, SimRecord* sim) {
  if (set < 0 || set >= SIM_SETS || !sim) return 0;
  const uint32_t lines = sim->FI_Lines[set];
  if (lines < 2) return 1;
  if (lines > static_cast<uint32_t>(INT32_MAX) ||
      QvAllocFailed(LReAlloc1Dim(&sim->FI_SortIdx[set], lines))) {
    core_io::Error("SimFIDerRun()/FI_SortIdx\n\nCORE ALLOCATION ERROR");
    return 0;
  }
  const int32_t n = static_cast<int32_t>(lines);
  int32_t* idx = sim->FI_SortIdx[set];
  // The sorts address their arrays from 1: entry j of a 0-based array is at p - 1 + j.
  auto one = [](auto* p, int32_t width = 1) { return p ? p - width : p; };
  IndexSortD(n, one(sim->FI_Sim_Erg[set]), one(idx));
  const int32_t* index = one(idx);
  auto reorder = [&](char* c, BOOL* b, int16_t* s, int32_t* i, int16_t* s6, float* f, double* d, int32_t w) {
    const int32_t width = w > 0 ? w : 1;
    return Csi6sfdrddASort(n, index, c ? c - width : c, b ? b - width : b, s ? s - width : s, i ? i - width : i,
                           s6 ? s6 - 6 : s6, f ? f - width : f, d ? d - width : d, w) == 1;
  };
  bool ok = reorder(sim->FI_BT_Lbl[set], nullptr, nullptr, nullptr, sim->FI_Jkk_Lbl[set], sim->FI_Sim_Itn[set],
                    sim->FI_Sim_Erg[set], 0);
  if (ok && sim->HT_Global_Stat[set]) {
    ok = reorder(nullptr, nullptr, nullptr, nullptr, nullptr, sim->HT_Air_Gamma[set], nullptr, 0) &&
         reorder(nullptr, nullptr, nullptr, nullptr, nullptr, sim->HT_Self_Gamma[set], nullptr, 0) &&
         reorder(nullptr, nullptr, nullptr, nullptr, nullptr, sim->HT_Air_Delta[set], nullptr, 0) &&
         reorder(nullptr, nullptr, nullptr, nullptr, nullptr, sim->HT_Temp_Gamma[set], nullptr, 0) &&
         reorder(nullptr, nullptr, sim->HT_Mol_Lbl[set], nullptr, nullptr, sim->HT_Itn[set], sim->HT_Shift_Erg[set], 0);
  }
  if (ok && sim->AMP_STAT[set]) {
    ok = reorder(nullptr, nullptr, nullptr, nullptr, nullptr, sim->FI_Amp[set], nullptr, 3);
    if (ok && sim->IMAG_STAT[set]) ok = reorder(nullptr, nullptr, nullptr, nullptr, nullptr, sim->FI_Imag[set], nullptr, 3);
  }
  if (ok && sim->FM_STAT[set]) ok = reorder(nullptr, nullptr, nullptr, nullptr, nullptr, sim->FI_FM_Lbl[set], nullptr, 2);
  // The experimental frequencies and uncertainties always travel with their lines: a
  // stale assigned-line count must not leave them behind.
  ok = ok && reorder(nullptr, nullptr, nullptr, nullptr, nullptr, sim->FI_Exp_Unc[set], sim->FI_Exp_Erg[set], 0);
  if (ok && sim->DVS_STAT[set]) {
    const uint32_t nd = sim->ONESTATE_STAT[set] == 1 ? 2 * sim->DVS_NO[set][SIM_GND]
                                                      : sim->DVS_NO[set][SIM_GND] + sim->DVS_NO[set][SIM_EXC];
    if (nd > 0) ok = reorder(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, sim->FI_Dev[set], static_cast<int32_t>(nd));
  }
  if (ok && sim->TEMP_GLOBAL_STAT[set]) {
    ok = reorder(nullptr, nullptr, nullptr, sim->FI_Erg_Idx[set][SIM_GND], nullptr, nullptr, nullptr, 0);
    if (ok && sim->ONESTATE_STAT[set])
      ok = reorder(nullptr, nullptr, nullptr, sim->FI_Erg_Idx[set][SIM_EXC], nullptr, nullptr, nullptr, 0);
  }
  if (ok && sim->IDVWIDTH_STAT[set])
    ok = reorder(nullptr, nullptr, nullptr, nullptr, nullptr, sim->FI_Gau_FWHM[set], nullptr, 0) &&
         reorder(nullptr, nullptr, nullptr, nullptr, nullptr, sim->FI_Lor_FWHM[set], nullptr, 0);
  if (ok && sim->NLLSF_STAT[set])
    ok = reorder(nullptr, sim->FI_LS_VarStat[set], nullptr, nullptr, nullptr, sim->FI_LS_StdDev[set], nullptr, 5);

  if (!ok) return 0;  // a reorder could not get its work copy (its box said so)

  // Quadrupole assignments follow their lines: the new position of a line is the first
  // j whose sort index names its old position. They belong to the program's sets only; a
  // record of its own (a HITRAN sum) sorted under a set's number leaves them alone.
  for (int32_t a = 0; sim == &Sim && a < Quad.Asn_Cnt[set] && Quad.Asn_TList[set]; ++a) {
    double& line = Quad.Asn_TList[set][a * kQuadEntry + 3];
    if (!(line >= 0.0 && line < static_cast<double>(n))) continue;
    for (int32_t j = 0; j < n; ++j)
      if (idx[j] - 1 == static_cast<int32_t>(line)) {
        line = j;
        break;
      }
  }
  CombDiffFixReorder(set, sim, idx, n);
  return 1;
}

void SimFIQuadAsnModStat(int16_t set) {
  if (set < 0 || set >= SIM_SETS || Quad.Asn_Cnt[set] <= 0 || Quad.Asn_Modified[set] != 1) return;
  if (Ask(SetName(set) + "\n\nSIM HAS MODIFIED QUAD ASNs\n\nSAVE [YES] | REMOVE [NO]?")) {
    if (!AsnFileDialog(1, set, "QUAD", Quad.Asn_Flnm[set], sizeof Quad.Asn_Flnm[set]))
      core_io::Info("MODIFIED QUAD ASN LOST");
    else if (HWND qn = Sim.Dlg_Hwnd[SIM_DLG_QUADQN][set])
      SendMessage(qn, WM_INITDIALOG, 0, 0);
  }
  Quad.Asn_Modified[set] = 0;
}

int32_t SimFIAsnModStat(int16_t set) {
  if (set < 0 || set >= SIM_SETS) return 1;
  SimFIQuadAsnModStat(set);
  if (Sim.Asn_Modified[set] == 1 && Sim.FI_Lines[set] > 0 &&
      !Ask(SetName(set) + "\n\nSIM HAS MODIFIED JKK ASNs\n\nREMOVE [YES] | PRESERVE [NO]?")) {
    core_io::Info(SetName(set) + " NOT OVERWRITTEN & ASN PRESERVED");
    return 0;
  }
  return 1;
}

int32_t SimFIAsnCalc(int16_t set, int32_t mode, int32_t ask) {
  if (set < 0 || set >= SIM_SETS) return 1;
  const uint32_t n = Sim.FI_Lines[set];
  if (mode == 0) {
    // The statistics are those of the lines' own frequencies: a fixed combination-
    // difference member counts with its unshifted one (the set stays shifted).
    std::vector<double> unshifted;
    const double* erg = CombDiffUnshifted(set, &unshifted) ? unshifted.data() : Sim.FI_Sim_Erg[set];
    uint32_t count = 0;
    double sum = 0.0;
    for (uint32_t i = 0; i < n && Sim.FI_Exp_Erg[set] && erg; ++i) {
      if (Sim.FI_Exp_Erg[set][i] == 0.0) continue;
      const double d = erg[i] - Sim.FI_Exp_Erg[set][i];
      sum += d * d;
      ++count;
    }
    Sim.FI_Asn_Lines[set] = count;
    Sim.FI_OmC_Rms[set] = count > 0 ? static_cast<float>(std::sqrt(sum / count)) : 0.0f;
    Sim.Asn_Modified[set] = 1;
  } else {
    if (ask == 0 && Sim.Asn_Modified[set] == 1) {
      if (!Ask(SetName(set) + "\n\nSIM HAS MODIFIED JKK ASNs\n\nOVERWRITE [YES] | ABORT [NO]?")) return 0;
      Sim.Asn_Modified[set] = 0;
    }
    const bool clear = ask != 1 || Ask(SetName(set) + "\n\nCLEAR JKK ASNs IN MEMORY [YES] | ABORT [NO]?");
    if (clear) {
      for (uint32_t i = 0; i < n && Sim.FI_Exp_Erg[set]; ++i) Sim.FI_Exp_Erg[set][i] = 0.0;
      Sim.FI_Asn_Lines[set] = 0;
      Sim.FI_OmC_Rms[set] = 0.0f;
      Sim.Asn_Modified[set] = 0;
      CombDiffFixRelease(set, &Sim);
    }
  }
  if (Sim.Ctl_Shown && Sim.Ctl_Hwnd) SendMessage(Sim.Ctl_Hwnd, WM_INITDIALOG, 0, 0);
  return 1;
}

bool SimNameAccepted(int16_t set, const char* name) {
  if (set < 0 || set >= SIM_SETS) return false;
  // A name cut to the field would be another file's.
  return WorkTextAccepted("FILENAME", name ? name : "", WorkField::RowName, Sim.Sim_Flnm[set], SetName(set)) &&
         core_io::NameFits(name ? name : "", sizeof Sim.Sim_Flnm[set]);
}
