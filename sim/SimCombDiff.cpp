// Combination differences: the shared-level and loop lists of the selected line, the fix
// sets that move a group of lines together, their ".acd" file and the ground-state
// error analysis.
#include "sim/SimCombDiff.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "filelib/FileManip.h"
#include "fit/LineFit.h"
#include "numerics/Sorts.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Win.h"
#include "sim/SimDialogsInternal.h"
#include "lineshape/SimInternal.h"
#include "sim/SimItn.h"
#include "sim/SimPlotInternal.h"

namespace {

bool ValidLine(int16_t s, int32_t line) { return line >= 0 && static_cast<uint32_t>(line) < Sim.FI_Lines[s]; }

// J', Ka', Kc' (upper) or J'', Ka'', Kc'' (lower) of a line.
const int16_t* Upper(int16_t s, int32_t line) { return Sim.FI_Jkk_Lbl[s] + 6 * static_cast<int64_t>(line); }
const int16_t* Lower(int16_t s, int32_t line) { return Upper(s, line) + 3; }
bool Same(const int16_t* a, const int16_t* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

bool Assigned(int16_t s, int32_t line) { return Sim.FI_Exp_Erg[s] && Sim.FI_Exp_Erg[s][line] != 0.0; }

// The active channel's frequency range; an empty range without an active channel.
std::pair<double, double> ChannelRange() {
  const int16_t c = Win.Active_Chn;
  const uint32_t points = c >= 0 && c < DSP_CHN - 1 ? Dsp.FL_SZ[3][c] : 0;
  return {Dsp.Init_Frq, Dsp.Init_Frq + static_cast<double>(points) * Dsp.Frq_Stp};
}

// Replaces list k by v (capacity in steps of 100); false after the allocation box.
bool StoreList(int16_t s, int k, const std::vector<int32_t>& v, const char* failure) {
  LFree1Dim(&Sim.FI_CD_List_Ary[s][k]);
  Sim.FI_CD_List_Tot[s][k] = 0;
  if (v.empty()) return true;
  const auto cap = static_cast<uint32_t>((v.size() + 99) / 100 * 100);
  if (QvAllocFailed(LAlloc1Dim(&Sim.FI_CD_List_Ary[s][k], cap))) {
    core_io::Error(failure);
    return false;
  }
  std::copy(v.begin(), v.end(), Sim.FI_CD_List_Ary[s][k]);
  Sim.FI_CD_List_Tot[s][k] = static_cast<uint32_t>(v.size());
  return true;
}

std::vector<int32_t> List(int16_t s, int k) {
  const int32_t* a = Sim.FI_CD_List_Ary[s][k];
  return a ? std::vector<int32_t>(a, a + Sim.FI_CD_List_Tot[s][k]) : std::vector<int32_t>{};
}

// The selected line followed by every line inside (lo, hi) that shares its level
// (lower for LS, upper for US), strongest first when the QN list is ordered by intensity.
std::vector<int32_t> SharedLevel(int16_t s, int k, int32_t sel, double lo, double hi) {
  auto level = k == CD_LS ? Lower : Upper;
  std::vector<int32_t> v{sel};
  for (int32_t i = 0; ValidLine(s, i); ++i) {
    const double f = Sim.FI_Sim_Erg[s][i];
    if (i != sel && f > lo && f < hi && Same(level(s, i), level(s, sel))) v.push_back(i);
  }
  if (Sim.QN_SortItn[s] == 1 && v.size() >= 2) {
    std::vector<std::pair<double, int32_t>> keyed;
    for (size_t n = 1; n < v.size(); ++n) keyed.emplace_back(SimFIItnCalc(s, v[n]), v[n]);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t n = 1; n < v.size(); ++n) v[n] = keyed[n - 1].second;
  }
  return v;
}

std::string Head(int16_t s) { return simdlg::SetHead(s); }

void Bug(const char* what) {
  simdlg::Box(std::string("CombDiffFixRestore()\n\n") + what + "\nSKIPPING (PROGRAM BUG)", "WARNING",
              simdlg::kWarningBox);
}

// Makes the fix sets hold n members per row at least; false after the box.
bool GrowRows(int16_t s, int32_t rows, int32_t newRows, int32_t cols, const char* failure) {
  const int32_t done = LReAlloc2Dim(&Sim.FI_CD_FixSet_Idx[s], rows, newRows, cols);
  if (QvAllocFailed(done) || QvAllocFailed(DReAlloc2Dim(&Sim.FI_CD_FixSet_Erg[s], rows, newRows, cols))) {
    // Keep the two tables the same height so that they are freed alike.
    if (!QvAllocFailed(done)) LReAlloc2Dim(&Sim.FI_CD_FixSet_Idx[s], newRows, rows, cols);
    core_io::Error(failure);
    Sim.CD_FixMode[s] = 0;
    return false;
  }
  return true;
}

void FixStatus(int16_t s, const char* kind, int32_t f) {
  core_io::StatusText(3, Head(s) + StrPrintf(" - CD SET %s [%2ld] CD [%2ld]", kind, static_cast<long>(f),
                                             static_cast<long>(Sim.FI_CD_FixSet_Cnt[s][f])));
}

// The fix set of the group just found: the one holding the selected line, a set none
// of whose members is assigned any more, or a new one.
int32_t FixErgs(int16_t s, int32_t sel) {
  std::vector<int32_t> members;
  for (int32_t line : List(s, CD_BS))
    if (std::find(members.begin(), members.end(), line) == members.end()) members.push_back(line);
  const auto n = static_cast<int32_t>(members.size());
  const auto tot = static_cast<int32_t>(Sim.FI_CD_FixSet_Tot[s]);
  int32_t found = -1, reusable = -1;
  for (int32_t f = 0; f < tot; ++f) {
    bool holds = false, assigned = false;
    for (int32_t m = 0; m < Sim.FI_CD_FixSet_Cnt[s][f]; ++m) {
      const int32_t line = Sim.FI_CD_FixSet_Idx[s][f][m];
      holds = holds || line == sel;
      assigned = assigned || (ValidLine(s, line) && Assigned(s, line));
    }
    if (holds) {
      found = f;
      break;
    }
    if (!assigned && reusable < 0) reusable = f;
  }
  if (reusable >= 0 && Sim.FI_CD_FixSet_Fixed[s][reusable] == 1) {
    Sim.FI_CD_FixSet_Fixed[s][reusable] = 0;
    CombDiffFixRestore(s, reusable);
  }
  int32_t& cap = Sim.FI_CD_FixSet_Cap[s];
  int32_t target = reusable;
  if (found < 0 && reusable < 0) {
    const int32_t cols = std::max({cap, n, 1});
    if (QvAllocFailed(BReAlloc1Dim(&Sim.FI_CD_FixSet_Fixed[s], static_cast<uint32_t>(tot + 1))) ||
        QvAllocFailed(LReAlloc1Dim(&Sim.FI_CD_FixSet_Cnt[s], static_cast<uint32_t>(tot + 1)))) {
      core_io::Error("SimCDFixErgs(1)/Sim.FI_CD_FixSet_Tot - CORE ALLOCATION ERROR!");
      Sim.CD_FixMode[s] = 0;
      return 0;
    }
    if (!GrowRows(s, tot, tot + 1, cols, "SimCDFixErgs(1)/Sim.FI_CD_FixSet_Idx Sim.FI_CD_FixSet_Erg - CORE ALLOCATION ERROR!"))
      return 0;
    cap = cols;
    target = tot;
    Sim.FI_CD_FixSet_Tot[s] = static_cast<uint32_t>(tot + 1);
  } else if (n > cap) {
    if (!GrowRows(s, tot, tot, n, "SimCDFixErgs(2)/Sim.FI_CD_FixSet_Idx Sim.FI_CD_FixSet_Erg - CORE ALLOCATION ERROR!"))
      return 0;
    cap = n;
  }
  if (found >= 0) {
    Sim.FI_CD_FixSet_Cur[s] = found;
    FixStatus(s, "OLD  ", found);
    return 1;
  }
  std::copy(members.begin(), members.end(), Sim.FI_CD_FixSet_Idx[s][target]);
  std::fill(Sim.FI_CD_FixSet_Erg[s][target], Sim.FI_CD_FixSet_Erg[s][target] + cap, 0.0);
  Sim.FI_CD_FixSet_Cnt[s][target] = n;
  Sim.FI_CD_FixSet_Fixed[s][target] = 0;
  Sim.FI_CD_FixSet_Cur[s] = target;
  FixStatus(s, target == reusable ? "EMPTY" : "NEW  ", target);
  return 1;
}

}  // namespace

int32_t CombDiffFind(int16_t s, int32_t sel, double start, double end) {
  if (!sim::ValidSet(s)) return 1;
  if (!ValidLine(s, sel) || !Sim.FI_Jkk_Lbl[s] || !Sim.FI_Sim_Erg[s]) {
    core_io::StatusText(0, Head(s) + " - CD ERROR - SELECT SIM LINE FIRST");
    return 1;
  }
  if (start == end) std::tie(start, end) = ChannelRange();
  const double lo = std::min(start, end), hi = std::max(start, end);
  for (int k : {CD_LS, CD_US}) {
    const std::vector<int32_t> v = Sim.CD_Search[s][k] == 1 ? SharedLevel(s, k, sel, lo, hi) : std::vector<int32_t>{};
    if (!StoreList(s, k, v, "CombDiffFind(1)/Sim.FI_CD_List_Ary - CORE ALLOCATION ERROR!")) return 0;
  }
  const std::vector<int32_t> ls = List(s, CD_LS), us = List(s, CD_US);
  std::vector<int32_t> bs = ls;
  bs.insert(bs.end(), us.begin(), us.end());
  if (bs.empty()) {
    StoreList(s, CD_BS, bs, "");
    return 1;
  }
  if (Sim.CD_Search[s][CD_LS] == 1 && Sim.CD_Search[s][CD_US] == 1) {
    const bool loops = Sim.CD_Loop[s] == 1;
    if (loops) bs.clear();
    for (size_t i = 1; i < ls.size(); ++i)
      for (size_t j = 1; j < us.size(); ++j)
        for (int32_t m = 0; ValidLine(s, m); ++m) {
          if (!Same(Upper(s, m), Upper(s, ls[i])) || !Same(Lower(s, m), Lower(s, us[j]))) continue;
          if (!loops)
            bs.push_back(m);
          else if (Assigned(s, m))
            bs.insert(bs.end(), {sel, m, ls[i], us[j]});
        }
  }
  if (!StoreList(s, CD_BS, bs, "CombDiffFind(3)/Sim.FI_CD_List_Ary - CORE ALLOCATION ERROR!")) return 0;
  core_io::StatusText(2, Head(s) + StrPrintf(" - CD BS:LS:US=[%2ld][%2ld][%2ld]", static_cast<long>(bs.size()),
                                              static_cast<long>(ls.size()), static_cast<long>(us.size())));
  if (Sim.CD_FixMode[s] != 1 || bs.empty()) return 1;
  return FixErgs(s, sel);
}

int32_t CombDiffFixRestore(int16_t s, int32_t f) {
  if (!sim::ValidSet(s) || f < 0 || static_cast<uint32_t>(f) >= Sim.FI_CD_FixSet_Tot[s] || !Sim.FI_Sim_Erg[s])
    return 1;
  const int32_t* idx = Sim.FI_CD_FixSet_Idx[s][f];
  double* saved = Sim.FI_CD_FixSet_Erg[s][f];
  const int32_t n = Sim.FI_CD_FixSet_Cnt[s][f];
  double* sim = Sim.FI_Sim_Erg[s];
  if (Sim.FI_CD_FixSet_Fixed[s][f] == 1) {
    double sum = 0.0;
    int32_t assigned = 0;
    for (int32_t m = 0; m < n; ++m) {
      if (!ValidLine(s, idx[m]) || !Assigned(s, idx[m])) continue;
      sum += Sim.FI_Exp_Erg[s][idx[m]] - sim[idx[m]];
      ++assigned;
    }
    const double mean = assigned > 0 ? sum / assigned : 0.0;
    for (int32_t m = 0; m < n; ++m) {
      if (!ValidLine(s, idx[m])) continue;
      if (saved[m] != 0.0) {
        Bug("ORIG FRQ TO SAVE IS ALREADY NON-ZERO");
        continue;
      }
      saved[m] = sim[idx[m]];
      sim[idx[m]] += mean;
    }
  } else {
    for (int32_t m = 0; m < n; ++m) {
      if (!ValidLine(s, idx[m])) continue;
      if (saved[m] == 0.0) {
        Bug("FRQ TO RESTORE IS ZERO");
        continue;
      }
      sim[idx[m]] = saved[m];
      saved[m] = 0.0;
    }
  }
  return 1;
}

void CombDiffFixSuspend(int16_t s, const SimRecord* sim, bool out) {
  if (!sim::ValidSet(s) || sim != &Sim) return;
  for (uint32_t f = 0; f < Sim.FI_CD_FixSet_Tot[s] && Sim.FI_CD_FixSet_Fixed[s]; ++f) {
    if (Sim.FI_CD_FixSet_Fixed[s][f] != 1) continue;
    if (out) Sim.FI_CD_FixSet_Fixed[s][f] = 0;
    CombDiffFixRestore(s, static_cast<int32_t>(f));
    Sim.FI_CD_FixSet_Fixed[s][f] = 1;
  }
}

void CombDiffFixRelease(int16_t s, const SimRecord* sim) {
  if (!sim::ValidSet(s) || sim != &Sim) return;
  const uint32_t tot = Sim.FI_CD_FixSet_Tot[s];
  for (uint32_t f = 0; f < tot && Sim.FI_CD_FixSet_Fixed[s]; ++f) {
    if (Sim.FI_CD_FixSet_Fixed[s][f] != 1) continue;
    Sim.FI_CD_FixSet_Fixed[s][f] = 0;
    CombDiffFixRestore(s, static_cast<int32_t>(f));
  }
  if (tot > 0) {
    LFree2Dim(&Sim.FI_CD_FixSet_Idx[s], static_cast<int32_t>(tot));
    DFree2Dim(&Sim.FI_CD_FixSet_Erg[s], static_cast<int32_t>(tot));
  }
  BFree1Dim(&Sim.FI_CD_FixSet_Fixed[s]);
  LFree1Dim(&Sim.FI_CD_FixSet_Cnt[s]);
  Sim.FI_CD_FixSet_Tot[s] = 0;
  Sim.FI_CD_FixSet_Cur[s] = -1;
}

void CombDiffFixReorder(int16_t s, const SimRecord* sim, const int32_t* order, int32_t n) {
  if (!sim::ValidSet(s) || sim != &Sim || !order || n <= 0) return;
  const bool members = Sim.FI_CD_FixSet_Tot[s] > 0 && Sim.FI_CD_FixSet_Cnt[s] && Sim.FI_CD_FixSet_Idx[s];
  const bool lists = Sim.FI_CD_List_Ary[s][CD_LS] || Sim.FI_CD_List_Ary[s][CD_US] || Sim.FI_CD_List_Ary[s][CD_BS];
  if (!members && !lists) return;
  std::vector<int32_t> now(static_cast<size_t>(n), -1);  // new index of each old line
  for (int32_t j = 0; j < n; ++j) {
    const int32_t old = order[j] - 1;
    if (old >= 0 && old < n) now[static_cast<size_t>(old)] = j;
  }
  auto follow = [&](int32_t& line) {
    if (line >= 0 && line < n && now[static_cast<size_t>(line)] >= 0) line = now[static_cast<size_t>(line)];
  };
  for (uint32_t f = 0; members && f < Sim.FI_CD_FixSet_Tot[s]; ++f)
    for (int32_t m = 0; m < Sim.FI_CD_FixSet_Cnt[s][f]; ++m) follow(Sim.FI_CD_FixSet_Idx[s][f][m]);
  for (int k : {CD_LS, CD_US, CD_BS})
    for (uint32_t e = 0; Sim.FI_CD_List_Ary[s][k] && e < Sim.FI_CD_List_Tot[s][k]; ++e) follow(Sim.FI_CD_List_Ary[s][k][e]);
}

void CombDiffFixDropLine(int16_t s, const SimRecord* sim, int32_t line) {
  if (!sim::ValidSet(s) || sim != &Sim || line < 0) return;
  for (uint32_t f = 0; f < Sim.FI_CD_FixSet_Tot[s] && Sim.FI_CD_FixSet_Cnt[s] && Sim.FI_CD_FixSet_Idx[s]; ++f) {
    int32_t* idx = Sim.FI_CD_FixSet_Idx[s][f];
    double* saved = Sim.FI_CD_FixSet_Erg[s][f];
    int32_t kept = 0;
    for (int32_t m = 0; m < Sim.FI_CD_FixSet_Cnt[s][f]; ++m) {
      if (idx[m] == line) continue;
      idx[kept] = idx[m] > line ? idx[m] - 1 : idx[m];
      saved[kept] = saved[m];
      ++kept;
    }
    for (int32_t m = kept; m < Sim.FI_CD_FixSet_Cnt[s][f]; ++m) saved[m] = 0.0;
    Sim.FI_CD_FixSet_Cnt[s][f] = kept;
  }
  // The lists keep their layout (loops come in fours): the line's entries name no line.
  for (int k : {CD_LS, CD_US, CD_BS})
    for (uint32_t e = 0; Sim.FI_CD_List_Ary[s][k] && e < Sim.FI_CD_List_Tot[s][k]; ++e) {
      int32_t& entry = Sim.FI_CD_List_Ary[s][k][e];
      entry = entry == line ? -1 : entry > line ? entry - 1 : entry;
    }
}

bool CombDiffUnshifted(int16_t s, std::vector<double>* erg) {
  if (!sim::ValidSet(s) || !erg || !Sim.FI_Sim_Erg[s] || !Sim.FI_CD_FixSet_Fixed[s]) return false;
  bool any = false;
  for (uint32_t f = 0; f < Sim.FI_CD_FixSet_Tot[s]; ++f) {
    if (Sim.FI_CD_FixSet_Fixed[s][f] != 1) continue;
    for (int32_t m = 0; m < Sim.FI_CD_FixSet_Cnt[s][f]; ++m) {
      const int32_t line = Sim.FI_CD_FixSet_Idx[s][f][m];
      const double saved = Sim.FI_CD_FixSet_Erg[s][f][m];
      if (!ValidLine(s, line) || saved == 0.0) continue;  // a member that was never shifted
      if (!any) erg->assign(Sim.FI_Sim_Erg[s], Sim.FI_Sim_Erg[s] + Sim.FI_Lines[s]);
      any = true;
      (*erg)[static_cast<size_t>(line)] = saved;
    }
  }
  return any;
}

int32_t CombDiffSaveAsn(char* name, size_t cap, int16_t s) {
  if (!sim::ValidSet(s) || !name) return 0;
  bool filter = false;
  if (Sim.Jkk_Filter[s][0] == 1 || Sim.Jkk_Filter[s][1] == 1)
    filter = core_io::AskYesNo("APPLY QN FILTER WHEN SAVING ASN [YES] | SAVE ALL [NO]?");
  if (!StrAppend(name, cap, ".acd")) return 0;
  platform::TextFileWriter out;
  if (!out.Open(name)) return 0;
  for (uint32_t f = 0; f < Sim.FI_CD_FixSet_Tot[s] && Sim.FI_CD_FixSet_Fixed[s] && Sim.FI_Jkk_Lbl[s]; ++f) {
    if (Sim.FI_CD_FixSet_Fixed[s][f] != 1) continue;
    for (int32_t m = 0; m < Sim.FI_CD_FixSet_Cnt[s][f]; ++m) {
      const int32_t line = Sim.FI_CD_FixSet_Idx[s][f][m];
      if (!ValidLine(s, line) || (filter && !sim::JkkFilterPass(s, line))) continue;
      const int16_t* q = Upper(s, line);
      const char band = Sim.FI_BT_Lbl[s] ? Sim.FI_BT_Lbl[s][line] : ' ';
      const double exp = Sim.FI_Exp_Erg[s] ? Sim.FI_Exp_Erg[s][line] : 0.0;
      const double unc = Sim.FI_Exp_Unc[s] ? Sim.FI_Exp_Unc[s][line] : 0.0;
      const double shift = Sim.FI_Sim_Erg[s][line] - Sim.FI_CD_FixSet_Erg[s][f][m];
      out.Printf("%2c%4hd%4hd%4hd%6hd%4hd%4hd %15.4lf %15.4f %15.4lf\n", band, q[0], q[1], q[2], q[3], q[4], q[5], exp,
                 unc, shift);
    }
  }
  return out.Commit() ? 1 : 0;
}

int32_t CDErrorAnalysis(int16_t s, double low, double high) {
  if (!sim::ValidSet(s)) return 0;
  const char* title = "COMBINATION DIFFERENCE ANALYSIS\n\n";
  if (Sim.TEMP_GLOBAL_STAT[s] == 0 || !Sim.FI_HamErg_Vector[s][SIM_GND] || !Sim.FI_Erg_Idx[s][SIM_GND]) {
    core_io::Warning(std::string(title) + "GROUND STATE MW ENERGIES NOT FOUND!\n\nRERUN ORV WITH T1=[0]");
    return 0;
  }
  auto inside = [&](int32_t i) {
    const double f = Assigned(s, i) ? Sim.FI_Exp_Erg[s][i] : 0.0;
    return f != 0.0 && f > low && f < high;
  };
  auto ground = [&](int32_t i) {
    const int32_t k = Sim.FI_Erg_Idx[s][SIM_GND][i];
    return k >= 0 && static_cast<uint32_t>(k) < Sim.FI_Erg_Sz[s] ? Sim.FI_HamErg_Vector[s][SIM_GND][k] : 0.0;
  };
  // Every pair sharing an upper level, (i, j) with i < j; as many pairs as there are.
  std::vector<double> mw, err;
  for (int32_t i = 0; ValidLine(s, i) && Sim.FI_Jkk_Lbl[s]; ++i) {
    if (!inside(i)) continue;
    for (int32_t j = i + 1; ValidLine(s, j); ++j) {
      if (!inside(j) || !Same(Upper(s, i), Upper(s, j))) continue;
      const double d = ground(i) - ground(j);
      mw.push_back(d);
      err.push_back(Sim.FI_Exp_Erg[s][j] - Sim.FI_Exp_Erg[s][i] - d);
    }
  }
  if (mw.empty()) {
    core_io::Warning(std::string(title) + "NO COMBINATION DIFFERENCES FOUND!\n\nABORTING");
    return 0;
  }
  const auto pairs = static_cast<int32_t>(mw.size());
  std::vector<double> key(1, 0.0);  // the sort addresses its arrays from 1
  key.insert(key.end(), mw.begin(), mw.end());
  std::vector<int32_t> order(static_cast<size_t>(pairs) + 1);
  IndexSortD(pairs, key.data(), order.data());
  platform::TextFileWriter out;
  if (!out.Open(CD_OUT_NAME)) {
    core_io::Warning(StrPrintf("CDErrorAnalysis()\n\nFAILED TO CREATE OUTPUT FILE [%s] FOR WRITING!", CD_OUT_NAME));
    return 0;
  }
  int32_t written = 0;
  for (int32_t n = 1; n <= pairs; ++n) {
    const size_t k = static_cast<size_t>(order[static_cast<size_t>(n)] - 1);
    if (n > 1) {
      const size_t prev = static_cast<size_t>(order[static_cast<size_t>(n) - 1] - 1);
      if (mw[k] == 0.0 || mw[k] == mw[prev] || err[k] == err[prev]) continue;
    }
    out.Printf("%-14.4lf %-14.4lf\n", mw[k], err[k]);
    ++written;
  }
  if (!out.Commit()) {
    core_io::Warning(StrPrintf("CDErrorAnalysis()\n\nFAILED TO CREATE OUTPUT FILE [%s] FOR WRITING!", CD_OUT_NAME));
    return 0;
  }
  if (written < pairs)
    core_io::Info(StrPrintf("%sNON-DUPLICATES & NON-ZERO ENERGIES=[%ld] OUT OF CD MATCHES=[%lu]", title,
                            static_cast<long>(written), static_cast<unsigned long>(pairs)));
  if (Debug.DebugLevel == 127) DebugPrintf("NUMBER OF COMBINATION DIFFERENCES FOUND=%ld\n", static_cast<long>(written));
  double* x = nullptr;
  double* y = nullptr;
  uint32_t nx = 0, ny = 0;
  const bool read = ManAsciiFileRead(CD_OUT_NAME, 1, nullptr, nullptr, &x, &nx, 0) != 0 &&
                    ManAsciiFileRead(CD_OUT_NAME, 2, nullptr, nullptr, &y, &ny, 0) != 0 && x && y && nx == ny;
  int32_t result = 0;
  if (!read) {
    core_io::Warning(StrPrintf("CDErrorAnalysis()\n\nFAILED TO OPEN/READ FILE [%s]!", CD_OUT_NAME));
  } else {
    double slope = 0.0, intercept = 0.0;
    int32_t status = 0;
    if (LsfLineFit(static_cast<int32_t>(nx), x, y, 1, 1, &slope, &intercept, &status, 1e10) != 0) {
      Sim.CD_Slope = slope;
      Sim.CD_Intercept = intercept;
      result = 1;
    } else {
      core_io::Warning("CDErrorAnalysis()\n\nLSF ROUTINE FAILED FOR SLOPE DETERMINATION!\n\nABORTING");
    }
  }
  DFree1Dim(&x);
  DFree1Dim(&y);
  return result;
}
