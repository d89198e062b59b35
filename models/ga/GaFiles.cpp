#include "models/ga/GaFiles.h"

#include <charconv>
#include <string>
#include <system_error>
#include <vector>

#include "core/PrmFile.h"
#include "platform/kernel/Text.h"
#include "records/Ga.h"

namespace {

constexpr const char* kVersion = "1.0";

// What one file gives its set.
struct GaSetValues {
  char In_Flnm[200] = "";
  char Score_Flnm[200] = "";
  char Run_Base[200] = "";
  int32_t Pop_Size = 0;
  int16_t Gene_Sel = 0;
  int32_t Genes = 0;
  int16_t Gene_Idx[GA_GENES] = {};
  char Gene_Name[GA_GENES][9] = {};
  char Next[200] = "";
};

std::string GeneKey(int g) { return StrPrintf("GENE %02d", g); }

bool ReadSet(const char* file, GaSetValues* v) {
  prmfile::Fields f;
  if (!prmfile::Read(file, "GA", &f) || !StrCopy(v->In_Flnm, file)) return false;
  int32_t sel = 0;
  if (!f.Text("SCORE FILE", v->Score_Flnm) || !f.Text("RUN BASE", v->Run_Base) ||
      !f.Long("POPULATION", &v->Pop_Size) || v->Pop_Size < 0 || !f.Long("GENES", &v->Genes) || v->Genes < 0 ||
      v->Genes > GA_GENES || !f.Long("GENE SELECTED", &sel) || sel < 0 || (sel >= v->Genes && sel != 0) ||
      !f.Text("NEXT INPUT", v->Next))
    return false;
  v->Gene_Sel = static_cast<int16_t>(sel);
  for (int g = 0; g < v->Genes; ++g) {
    // "index name": the index, then the name (1 to 8 characters).
    const auto it = f.values.find(GeneKey(g));
    if (it == f.values.end()) return false;
    const std::string& value = it->second;
    const size_t blank = value.find(' ');
    if (blank == std::string::npos) return false;
    int16_t index = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + blank, index);
    if (ec != std::errc() || end != value.data() + blank) return false;
    const size_t name = value.find_first_not_of(' ', blank);
    if (name == std::string::npos || !StrCopy(v->Gene_Name[g], value.c_str() + name)) return false;
    v->Gene_Idx[g] = index;
  }
  return true;
}

}  // namespace

int32_t GaMultiReadInputPrm() {
  std::vector<GaSetValues> chain;
  std::string file = Ga.In_Flnm[0];
  while (!file.empty()) {
    if (static_cast<int>(chain.size()) == GA_SETS) return 0;
    chain.emplace_back();
    if (!ReadSet(file.c_str(), &chain.back())) return 0;
    file = chain.back().Next;
  }
  if (chain.empty()) return 0;
  for (size_t k = 0; k < chain.size(); ++k) {
    const GaSetValues& v = chain[k];
    StrCopy(Ga.In_Flnm[k], v.In_Flnm);
    StrCopy(Ga.Score_Flnm[k], v.Score_Flnm);
    StrCopy(Ga.Run_Base[k], v.Run_Base);
    Ga.Pop_Size[k] = v.Pop_Size;
    Ga.Gene_Sel[k] = v.Gene_Sel;
    for (int g = 0; g < GA_GENES; ++g) {
      Ga.Gene_Idx[k][g] = v.Gene_Idx[g];
      StrCopy(Ga.Gene_Name[k][g], v.Gene_Name[g]);
    }
  }
  return 1;
}

int32_t GaWriteInputPrm(int16_t set, const char* file) {
  if (set < 0 || set >= GA_SETS) return 0;
  int genes = 0;
  while (genes < GA_GENES && Ga.Gene_Name[set][genes][0] != '\0') ++genes;
  platform::TextFileWriter w;
  if (!prmfile::Begin(&w, file, "GA", kVersion)) return 0;
  prmfile::Key(&w, "SCORE FILE", Ga.Score_Flnm[set]);
  prmfile::Key(&w, "RUN BASE", Ga.Run_Base[set]);
  prmfile::Key(&w, "POPULATION", StrPrintf("%d", Ga.Pop_Size[set]));
  prmfile::Key(&w, "GENES", StrPrintf("%d", genes));
  prmfile::Key(&w, "GENE SELECTED", StrPrintf("%d", Ga.Gene_Sel[set] < genes ? Ga.Gene_Sel[set] : 0));
  w.Write("# GENE nn = INDEX NAME\n");
  for (int g = 0; g < genes; ++g)
    prmfile::Key(&w, GeneKey(g).c_str(), StrPrintf("%d %s", Ga.Gene_Idx[set][g], Ga.Gene_Name[set][g]));
  prmfile::Key(&w, "NEXT INPUT", set + 1 < GA_SETS ? Ga.In_Flnm[set + 1] : "");
  return w.Commit() ? 1 : 0;
}
