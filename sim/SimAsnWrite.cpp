// The assignment writers: the assignment file (or Pickett line list) and the readable
// table of assigned lines. Both write to a temporary file beside the target, which
// replaces it only after every write and the close succeeded.
#include "sim/SimAsnWrite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/FileIo.h"
#include "models/quad/Quad.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Dsp.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "sim/SimCombDiff.h"
#include "sim/SimPlotInternal.h"

namespace {

constexpr int kQuadRows = 5000;  // assigned components in one table at most
constexpr size_t kNameCap = 512;

bool ValidSet(int16_t s) { return s >= 0 && s < SIM_SETS; }

bool EndsWith(const char* name, const char* a, const char* b) {
  const size_t n = std::strlen(name);
  return n >= 4 && (std::strcmp(name + n - 4, a) == 0 || std::strcmp(name + n - 4, b) == 0);
}

bool HasLines(int16_t s) {
  return Sim.FI_Lines[s] > 0 && Sim.FI_Sim_Erg[s] && Sim.FI_Exp_Erg[s] && Sim.FI_Exp_Unc[s] && Sim.FI_Jkk_Lbl[s];
}

const int16_t* Qn(int16_t s, uint32_t line) { return Sim.FI_Jkk_Lbl[s] + 6 * static_cast<size_t>(line); }

char Band(int16_t s, uint32_t line) { return Sim.FI_BT_Lbl[s] ? Sim.FI_BT_Lbl[s][line] : ' '; }

double FValue(int16_t s, uint32_t line, int k) {
  return Sim.FM_STAT[s] == 1 && Sim.FI_FM_Lbl[s] ? Sim.FI_FM_Lbl[s][2 * static_cast<size_t>(line) + k] : 0.0;
}

enum class Layout { Pickett8, PickettV, Asn };

// The raw data range of the current channel; false when no channel is current.
bool RawRange(double* lo, double* hi) {
  const int16_t c = Win.Active_Chn;
  if (c < 0 || c > 8) return false;
  *lo = Dsp.Init_Frq;
  *hi = Dsp.Init_Frq + static_cast<double>(Dsp.FL_SZ[WIN_RAW][c]) * Dsp.Frq_Stp;
  if (*lo > *hi) std::swap(*lo, *hi);
  return true;
}

}  // namespace

int32_t SimAsnWritePickett(int16_t set, char* file, double offset) {
  if (!ValidSet(set) || !file || !file[0]) return 0;
  // 1. "x.lin.asn" is offered as the Pickett list "x.lin".
  const size_t len = std::strlen(file);
  if (len >= 8 && (std::strncmp(file + len - 8, ".lin", 4) == 0 || std::strncmp(file + len - 8, ".LIN", 4) == 0)) {
    file[len - 4] = '\0';
    if (!core_io::AskYesNo(StrPrintf("CONVERT [%s] TO PICKETT'S FORMAT [YES] | ABORT [NO]?", file))) return 0;
  }
  const bool pickettName = EndsWith(file, ".lin", ".LIN");
  // 2. The JKK filters, when on, may limit the lines written.
  const bool filter = (Sim.Jkk_Filter[set][0] == 1 || Sim.Jkk_Filter[set][1] == 1) &&
                      core_io::AskYesNo("APPLY QN FILTER WHEN SAVING ASN [YES] | SAVE ALL [NO]?");
  // 3. The text goes to a temporary file first. A file that cannot be written is told:
  // the assignments must not be taken for saved.
  const std::string failed = StrPrintf("FAILED TO CREATE ASCII OUTPUT FILE [%s]\n\nABORTING", file);
  platform::TextFileWriter out;
  if (!out.Open(file)) {
    core_io::Warning(failed);
    return 0;
  }
  // 5. The layout.
  Layout layout = Layout::Asn;
  bool halfSpin = false;
  if (std::strcmp(Sim.Sim_Type[set], "PICKETT_8QN") == 0 || (pickettName && Sim.FM_STAT[set] == 1)) {
    layout = Layout::Pickett8;
    halfSpin = core_io::AskYesNo("HALF INTEGRAL SPIN [YES] | INTEGRAL SPIN [NO]?");
  } else if (pickettName) {
    layout = Layout::PickettV;
    core_io::Info(StrPrintf("V QN SET TO [%hd] & [0] FOR UPPER & LOWER STATES", set));
  }
  const bool fm = Sim.FM_STAT[set] == 1;

  // 4. The assigned lines passing the filters, in line order.
  double lo = 0.0, hi = 0.0;
  const bool range = RawRange(&lo, &hi);
  uint32_t written = 0, outside = 0;
  double first = 0.0;
  float minUnc = 0.0f, maxUnc = 0.0f;
  const uint32_t n = HasLines(set) ? Sim.FI_Lines[set] : 0;
  for (uint32_t i = 0; i < n; ++i) {
    const double exp = Sim.FI_Exp_Erg[set][i];
    if (exp == 0.0 || (filter && !sim::JkkFilterPass(set, static_cast<int32_t>(i)))) continue;
    const double f = exp + offset;
    const float unc = Sim.FI_Exp_Unc[set][i];
    const int16_t* q = Qn(set, i);
    switch (layout) {
      case Layout::Pickett8: {
        const double add = halfSpin ? 0.51 : 0.0;
        const auto f1 = static_cast<int16_t>(std::trunc(FValue(set, i, 0) + add));
        const auto f2 = static_cast<int16_t>(std::trunc(FValue(set, i, 1) + add));
        out.Printf(f >= 1e9 ? "%3hd%3hd%3hd%3hd%3hd%3hd%3hd%3hd %27.5lf %15.4f  1.0\n"
                            : "%3hd%3hd%3hd%3hd%3hd%3hd%3hd%3hd %27.6lf %15.4f  1.0\n",
                   q[0], q[1], q[2], f1, q[3], q[4], q[5], f2, f, static_cast<double>(unc));
        break;
      }
      case Layout::PickettV:
        out.Printf(f >= 1e9 ? "%3hd%3hd%3hd%3hd%3hd%3hd%3hd%3hd %27.5lf %15.4f  1.0\n"
                            : "%3hd%3hd%3hd%3hd%3hd%3hd%3hd%3hd %27.6lf %15.4f  1.0\n",
                   q[0], q[1], q[2], set, q[3], q[4], q[5], static_cast<int16_t>(0), f, static_cast<double>(unc));
        break;
      case Layout::Asn:
        if (fm)
          out.Printf("%2c%4hd%4hd%4hd%7.1f%6hd%4hd%4hd%7.1f %15.4lf %15.4f\n", Band(set, i), q[0], q[1], q[2],
                     FValue(set, i, 0), q[3], q[4], q[5], FValue(set, i, 1), f, static_cast<double>(unc));
        else
          out.Printf("%2c%4hd%4hd%4hd%6hd%4hd%4hd %15.4lf %15.4f\n", Band(set, i), q[0], q[1], q[2], q[3], q[4], q[5],
                     f, static_cast<double>(unc));
        break;
    }
    if (written == 0) {
      first = f;
      minUnc = maxUnc = unc;
    }
    minUnc = std::min(minUnc, unc);
    maxUnc = std::max(maxUnc, unc);
    const bool atEnd = layout == Layout::Pickett8 && exp == hi;
    if (range && (exp < lo || exp > hi || atEnd)) ++outside;
    ++written;
  }
  if (layout == Layout::Asn && !fm) out.Write("//\n");

  // 6. Frequencies written relative to data far above them: offer the data's offset.
  if (layout == Layout::Asn && offset == 0.0 && Sim.Frq_Shift[set] == 0.0 && written > 0) {
    const double base = std::trunc(Dsp.Init_Frq * 1e-6);
    if (base != 0.0 && std::trunc(first * 1e-6) == 0.0 &&
        core_io::AskYesNo(StrPrintf("ADD [%lf] TO ASSIGNED FREQUENCIES [YES] | SKIP [NO]?", base * 1e6))) {
      out.Abort();
      return SimAsnWritePickett(set, file, base * 1e6);
    }
  }
  // 7. Only a complete file replaces the old one and counts as saved.
  if (out.Failed() || !out.Commit()) {
    core_io::Warning(failed);
    return 0;
  }
  Sim.Asn_Modified[set] = 0;
  // 8 and 9.
  if (range && outside > 0)
    core_io::Info(StrPrintf("ASSIGNED LINES FOUND THAT ARE OUTSIDE OF RAW DATA RANGE=[%u]", outside));
  if (written > 0 && maxUnc > 10.0f * minUnc)
    core_io::Info(
        "LINE POSITION UNCERTAINTIES DIFFER BY MORE THAN 10-FOLD\n\nCHECK EXPT UNC IN JKK QN DIALOG USING ASN "
        "LIST\n\nCONTINUING");
  // 10. Fixed combination-difference sets go beside the file.
  if (Sim.CD_FixMode[set] == 1) {
    char base[kNameCap] = "";
    StrCopy(base, file);
    const size_t baseLen = std::strlen(base);
    if (baseLen >= 4) base[baseLen - 4] = '\0';
    CombDiffSaveAsn(base, sizeof base, set);
  }
  return 1;
}

namespace {

enum class Table { Quad, Fjkk, Jkk };

constexpr const char* kHeaders[3][2] = {
    {"BT J' Ka' Kc' - J\" Ka\" Kc\"     F'   F\"      Expt Frq   O-C\n",
     "BT J' Ka' Kc' - J\" Ka\" Kc\"     F'   F\"   Sim Itn      Sim Frq     Expt Frq   O-C\n"},
    {"BT F'   J' Ka' Kc' - F\"   J\" Ka\" Kc\"    Expt Frq    O-C\n",
     "BT F'   J' Ka' Kc' - F\"   J\" Ka\" Kc\"  Sim Itn      Sim Frq     Expt Frq   O-C\n"},
    {"BT J' Ka' Kc' - J\" Ka\" Kc\"      Expt Frq   O-C\n",
     "BT J' Ka' Kc' - J\" Ka\" Kc\"   Sim Itn      Sim Frq     Expt Frq   O-C\n"},
};

// The frequency columns of one row: assigned only, full list assigned, full list not.
void Columns(platform::TextFileWriter& out, bool asnOnly, double itn, double sim, double exp) {
  const double omc = (exp - sim) * 1000.0;
  if (asnOnly)
    out.Printf("  %12.3lf %5.1lf\n", exp, omc);
  else if (exp != 0.0)
    out.Printf("  %8.3f %12.3lf %12.3lf %5.1lf\n", itn, sim, exp, omc);
  else
    out.Printf("  %8.3f %12.3lf\n", itn, sim);
}

void JkkHead(platform::TextFileWriter& out, int16_t s, uint32_t i) {
  const int16_t* q = Qn(s, i);
  out.Printf("%-2c %2hd %3hd %3hd - %2hd %3hd %3hd", Band(s, i), q[0], q[1], q[2], q[3], q[4], q[5]);
}

// Rows of the JKK and FJKK tables; the number of assigned lines written.
uint32_t LineRows(platform::TextFileWriter& out, int16_t s, bool asnOnly, bool withF, double addF) {
  uint32_t assigned = 0;
  const uint32_t n = HasLines(s) ? Sim.FI_Lines[s] : 0;
  for (uint32_t i = 0; i < n; ++i) {
    const double exp = Sim.FI_Exp_Erg[s][i];
    if (asnOnly && exp == 0.0) continue;
    if (withF) {
      const int16_t* q = Qn(s, i);
      out.Printf("%-2c %4.1f %2hd %3hd %3hd - %4.1f %2hd %3hd %3hd", Band(s, i), FValue(s, i, 0) + addF, q[0], q[1],
                 q[2], FValue(s, i, 1) + addF, q[3], q[4], q[5]);
    } else {
      JkkHead(out, s, i);
    }
    const double itn = Sim.FI_Sim_Itn[s] ? Sim.FI_Sim_Itn[s][i] : 0.0;
    Columns(out, asnOnly, itn, Sim.FI_Sim_Erg[s][i], exp);
    if (exp != 0.0) ++assigned;
  }
  return assigned;
}

// The entries of the set's quadrupole assignment list grouped by line: those of line
// i are entries order[first[i]] .. order[first[i + 1] - 1], in list order, so that a
// component is looked up among its own line's entries only.
struct EntriesByLine {
  std::vector<int32_t> first, order;
  EntriesByLine(int16_t s, uint32_t lines) : first(static_cast<size_t>(lines) + 2, 0) {
    const double* list = Quad.Asn_TList[s];
    const int32_t count = list ? std::max(Quad.Asn_Cnt[s], 0) : 0;
    auto lineOf = [list](int32_t e) -> int64_t {
      const double l = list[5 * static_cast<size_t>(e) + 3];
      return l >= 0.0 && l == std::floor(l) ? static_cast<int64_t>(l) : -1;
    };
    for (int32_t e = 0; e < count; ++e) {
      const int64_t l = lineOf(e);
      if (l >= 0 && l < static_cast<int64_t>(lines)) ++first[static_cast<size_t>(l) + 2];
    }
    for (size_t i = 2; i < first.size(); ++i) first[i] += first[i - 1];
    order.resize(static_cast<size_t>(first.back()));
    for (int32_t e = 0; e < count; ++e) {
      const int64_t l = lineOf(e);
      if (l >= 0 && l < static_cast<int64_t>(lines)) order[static_cast<size_t>(first[static_cast<size_t>(l) + 1]++)] = e;
    }
  }
  // The assigned frequency of the line's component F', F'' (the first entry of it), 0
  // when none.
  double Frequency(int16_t s, uint32_t line, double f1, double f2) const {
    for (int32_t k = first[line]; k < first[line + 1]; ++k) {
      const double* e = Quad.Asn_TList[s] + 5 * static_cast<size_t>(order[static_cast<size_t>(k)]);
      if (e[1] == f1 && e[2] == f2) return e[0];
    }
    return 0.0;
  }
};

// What the QUAD table wrote: its assigned rows, and where the bound of kQuadRows
// assigned rows stopped it (the line of the last assigned row written, the assigned
// components left out).
struct QuadTable {
  uint32_t assigned = 0;
  int64_t lastLine = -1;
  uint32_t leftOut = 0;
};

// Rows of the QUAD table, one per hyperfine component. Assigned only: each line whose
// first assigned component has its entry in the list, whatever the order of the
// entries, with its assigned components; full list: every component of every line.
// Past kQuadRows assigned rows the assignments are left out (and counted): the
// assigned-only table ends there, the full list goes on showing them as calculated.
QuadTable QuadRows(platform::TextFileWriter& out, int16_t s, bool asnOnly) {
  QuadTable t;
  const uint32_t n = HasLines(s) ? Sim.FI_Lines[s] : 0;
  const EntriesByLine entries(s, n);
  std::vector<double> assignedFrq;
  for (uint32_t i = 0; i < n; ++i) {
    if (asnOnly && entries.first[i] == entries.first[i + 1]) continue;
    if (QuadCalc(s, static_cast<int32_t>(i), &Sim, &Quad) != 1) continue;
    const int32_t comps = Quad.Comp_Count[s];
    assignedFrq.assign(static_cast<size_t>(std::max(comps, 0)), 0.0);
    for (int32_t k = 0; k < comps; ++k)
      assignedFrq[static_cast<size_t>(k)] = entries.Frequency(s, i, Quad.Comp_F[s][2 * k], Quad.Comp_F[s][2 * k + 1]);
    bool head = true;
    for (int32_t k = 0; k < comps; ++k) {
      double e = assignedFrq[static_cast<size_t>(k)];
      if (asnOnly && e == 0.0) continue;
      if (e != 0.0 && t.assigned >= static_cast<uint32_t>(kQuadRows)) {
        ++t.leftOut;
        if (asnOnly) continue;
        e = 0.0;
      }
      if (head)
        JkkHead(out, s, i);
      else
        out.Write(std::string(26, ' '));
      head = false;
      const double f1 = Quad.Comp_F[s][2 * k], f2 = Quad.Comp_F[s][2 * k + 1];
      out.Printf(f1 == std::floor(f1) ? " %5.0lf %5.0lf" : " %5.1lf %5.1lf", f1, f2);
      Columns(out, asnOnly, Quad.Comp_Itn[s][k], Quad.Comp_Frq[s][k], e);
      if (e != 0.0) {
        ++t.assigned;
        t.lastLine = i;
      }
    }
  }
  return t;
}

}  // namespace

int32_t SimAsnWriteAscii(int16_t set, const char* file) {
  if (!ValidSet(set) || !file) return 0;
  const std::string failed = StrPrintf("FAILED TO CREATE ASCII OUTPUT FILE [%s]\n\nABORTING", file);
  platform::TextFileWriter out;
  if (!out.Open(file)) {
    core_io::Warning(failed);
    return 0;
  }
  const bool asnOnly = core_io::AskYesNo("WRITE ASN LINES ONLY [YES] | FULL LINE LIST [NO]?");
  const Table table = Sim.QC_STAT[set] == 1 ? Table::Quad : Sim.FM_STAT[set] != 1 ? Table::Jkk : Table::Fjkk;
  out.Write(kHeaders[static_cast<int>(table)][asnOnly ? 0 : 1]);
  const uint32_t assignedCount =
      table == Table::Quad ? static_cast<uint32_t>(std::max(Quad.Asn_Cnt[set], 0)) : Sim.FI_Asn_Lines[set];
  static constexpr const char* kWhat[3] = {"QUADRUPOLE", "FJKK", "JKK"};
  const std::string notFound = StrPrintf("%s ASN LINES NOT FOUND IN [%s] SIM [%s]\n\nABORTING",
                                         kWhat[static_cast<int>(table)], Sim.Set_Lbl[set], Sim.Sim_Flnm[set]);
  if (asnOnly && assignedCount == 0) {
    core_io::Warning(notFound);
    return 0;  // the header alone never replaces an older table
  }
  uint32_t assigned = 0;
  if (table == Table::Quad) {
    const QuadTable written = QuadRows(out, set, asnOnly);
    assigned = written.assigned;
    // The component arrays belong to the selected line: computed for it again.
    const int32_t sel = Sim.QN_Sel_Line[set];
    if (sel >= 0 && static_cast<uint32_t>(sel) < Sim.FI_Lines[set]) QuadCalc(set, sel, &Sim, &Quad);
    if (written.leftOut > 0) {
      const int16_t* q = Qn(set, static_cast<uint32_t>(written.lastLine));
      core_io::Warning(StrPrintf("[%s] SIM [%s]\n\nQUAD TABLE [%s] HOLDS AT MOST [%d] ASSIGNED COMPONENTS\n\n"
                                 "LAST ASSIGNED COMPONENT WRITTEN WITH LINE [%lld] %hd %hd %hd - %hd %hd %hd\n\n"
                                 "ASSIGNED COMPONENTS LEFT OUT=[%u]\n\nCONTINUING",
                                 Sim.Set_Lbl[set], Sim.Sim_Flnm[set], file, kQuadRows,
                                 static_cast<long long>(written.lastLine), q[0], q[1], q[2], q[3], q[4], q[5],
                                 written.leftOut));
    }
  } else {
    const bool toWrite = asnOnly ? assignedCount > 0 : Sim.FI_Lines[set] > 0;
    const bool half = table == Table::Fjkk && toWrite && std::strcmp(Sim.Sim_Type[set], "PICKETT_8QN") == 0 &&
                      core_io::AskYesNo("PICKETT SIMULATION\nHALF INTEGRAL SPIN [YES] | INTEGRAL [NO]?");
    assigned = LineRows(out, set, asnOnly, table == Table::Fjkk, half ? 0.51 : 0.0);
  }
  // Without an assigned line or component the table is dropped and the older one kept;
  // an assigned-only table says so, as when nothing was counted assigned.
  if (assigned == 0) {
    out.Abort();
    if (!asnOnly) return 1;
    core_io::Warning(notFound);
    return 0;
  }
  if (out.Failed() || !out.Commit()) {
    core_io::Warning(failed);
    return 0;
  }
  return 1;
}
