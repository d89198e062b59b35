#include "models/quad/QuadFiles.h"

#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "core/FileIo.h"
#include "core/PrmFile.h"
#include "core/TypedArrays.h"
#include "platform/kernel/Text.h"
#include "records/Quad.h"
#include "records/Sim.h"

namespace {

constexpr const char* kVersion = "1.0";

// "SET A" .. "SET I": ground-state chi_aa, chi_bb, chi_cc, excited-state ones, spin I.
std::string SetKey(int s) { return StrPrintf("SET %c", 'A' + s); }

constexpr int kEntry = 5;  // frequency, F', F'', line index, uncertainty
using QuantumNumbers = std::array<int16_t, 6>;

bool SetHasLabels(int16_t set) { return Sim.FI_Lines[set] > 0 && Sim.FI_Jkk_Lbl[set] != nullptr; }

QuantumNumbers LineNumbers(int16_t set, uint32_t line) {
  QuantumNumbers q;
  for (int k = 0; k < 6; ++k) q[k] = Sim.FI_Jkk_Lbl[set][6 * static_cast<size_t>(line) + k];
  return q;
}

std::string SetName(int16_t set) { return StrPrintf("[%s] SIM [%s]", Sim.Set_Lbl[set], Sim.Sim_Flnm[set]); }

}  // namespace

int32_t QuadReadInputPrm() {
  prmfile::Fields f;
  if (!prmfile::Read(Quad.In_Flnm, "QUAD", &f)) return 0;
  double prm[QUAD_SETS][7];
  double widen = 0.0;
  for (int s = 0; s < QUAD_SETS; ++s)
    if (!f.Doubles(SetKey(s).c_str(), prm[s], 7)) return 0;
  if (!f.Double("FREQUENCY WIDEN", &widen) || !(widen > 0.0) || !std::isfinite(widen)) return 0;
  for (int s = 0; s < QUAD_SETS; ++s) {
    for (int st = 0; st < 2; ++st)
      for (int k = 0; k < 3; ++k) Quad.Prm[s][st][k] = prm[s][3 * st + k];
    Quad.Prm2[s] = prm[s][6];
  }
  Quad.Frq_Widen = widen;
  return 1;
}

int32_t QuadWriteInputPrm(const char* file) {
  platform::TextFileWriter w;
  if (!prmfile::Begin(&w, file, "QUAD", kVersion)) return 0;
  w.Write("# SET = GND CHI AA BB CC, EXC CHI AA BB CC, SPIN I\n");
  for (int s = 0; s < QUAD_SETS; ++s) {
    double v[7];
    for (int st = 0; st < 2; ++st)
      for (int k = 0; k < 3; ++k) v[3 * st + k] = Quad.Prm[s][st][k];
    v[6] = Quad.Prm2[s];
    prmfile::Key(&w, SetKey(s).c_str(), prmfile::Numbers(v, 7));
  }
  prmfile::Key(&w, "FREQUENCY WIDEN", prmfile::Numbers(&Quad.Frq_Widen, 1));
  return w.Commit() ? 1 : 0;
}

int32_t QuadReadAsnFile(int16_t set) {
  if (set < 0 || set >= QUAD_SETS) return 0;
  platform::TextFileReader r;
  if (!r.Open(Quad.Asn_Flnm[set])) return 0;
  std::map<QuantumNumbers, uint32_t> lines;
  if (SetHasLabels(set))
    for (uint32_t i = 0; i < Sim.FI_Lines[set]; ++i) lines.emplace(LineNumbers(set, i), i);
  std::vector<double> list;
  int32_t unmatched = 0;
  std::string row;
  while (r.ReadLine(row)) {
    const char* p = row.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0' || *p == '#') continue;
    double v[10];
    for (double& x : v)
      if (!core_io::ScanDouble(p, &x) || !std::isfinite(x)) return 0;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p != '\0') return 0;
    QuantumNumbers q;
    for (int k = 0; k < 6; ++k) {
      if (v[k] != std::floor(v[k]) || v[k] < -32768 || v[k] > 32767) return 0;
      q[k] = static_cast<int16_t>(v[k]);
    }
    const auto found = lines.find(q);
    if (found == lines.end()) {
      ++unmatched;
      continue;
    }
    list.insert(list.end(), {v[8], v[6], v[7], static_cast<double>(found->second), v[9]});
  }
  double* fresh = nullptr;
  if (!list.empty() && DAlloc1Dim(&fresh, static_cast<uint32_t>(list.size())) != 1) return 0;
  std::copy(list.begin(), list.end(), fresh);
  DFree1Dim(&Quad.Asn_TList[set]);
  Quad.Asn_TList[set] = fresh;
  Quad.Asn_Cnt[set] = static_cast<int32_t>(list.size() / kEntry);
  Quad.Asn_Modified[set] = 0;
  if (unmatched > 0)
    core_io::StatusText(2, StrPrintf("%s - QUAD ASN [%s] - %d ROWS WITHOUT A LINE DROPPED", SetName(set).c_str(),
                                     Quad.Asn_Flnm[set], unmatched));
  return 1;
}

int32_t QuadWriteAsnFile(int16_t set, const char* file) {
  if (set < 0 || set >= QUAD_SETS || !file || !file[0]) return 0;
  // Rows are written by the set's lines: without them every entry would be dropped, and
  // an empty file must not replace the one that holds them.
  if (Quad.Asn_Cnt[set] > 0 && Quad.Asn_TList[set] && !SetHasLabels(set)) return 0;
  platform::TextFileWriter w;
  if (!w.Open(file)) return 0;
  w.Write("# J' KA' KC' J'' KA'' KC'' F' F'' FREQUENCY UNCERTAINTY\n");
  int32_t skipped = 0;
  const double* list = Quad.Asn_TList[set];
  for (int32_t e = 0; list && e < Quad.Asn_Cnt[set]; ++e) {
    const double* at = list + kEntry * e;
    const double line = at[3];
    if (!SetHasLabels(set) || !(line >= 0.0) || line >= Sim.FI_Lines[set] || line != std::floor(line)) {
      ++skipped;
      continue;
    }
    const QuantumNumbers q = LineNumbers(set, static_cast<uint32_t>(line));
    w.Printf("%d %d %d %d %d %d %.17g %.17g %.17g %.17g\n", q[0], q[1], q[2], q[3], q[4], q[5], at[1], at[2], at[0],
             at[4]);
  }
  if (!w.Commit()) return 0;
  Quad.Asn_Modified[set] = 0;
  if (skipped > 0)
    core_io::StatusText(2, StrPrintf("%s - QUAD ASN [%s] - %d ENTRIES WITHOUT A LINE NOT WRITTEN", SetName(set).c_str(),
                                     file, skipped));
  return 1;
}
