// Partition-function lookup. A table is read the first time its isotope is asked for
// and kept in the Tips record; a missing table is remembered as missing.
#include "models/hitran/Tips.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <algorithm>

#include "core/DataFiles.h"
#include "platform/kernel/Text.h"
#include "records/Tips.h"

namespace {

// The folder holding the tables: the record's, else the data folder "tips".
std::string TablesFolder() {
  if (Tips.Folder[0] != '\0') return Tips.Folder;
  return core_data::FindDataFolder(TIPS_FOLDER_NAME);
}

// The table file of (mol, iso) from the map, or "" when the map names none.
std::string TableFile(const std::string& folder, int mol, int iso) {
  if (folder.empty()) return "";
  FILE* f = std::fopen((folder + "/" + TIPS_MAP_FILE_NAME).c_str(), "rb");
  if (!f) return "";
  std::string found;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    if (line[0] == '#') continue;
    int m = 0, i = 0;
    char name[32] = {}, code[32] = {};
    if (std::sscanf(line, "%d %d %31s %31s", &m, &i, name, code) != 4) continue;
    if (m == mol && i == iso) {
      found = folder + "/" + TIPS_TABLE_FOLDER_NAME + "/" + name + "-" + code + ".xml";
      break;
    }
  }
  std::fclose(f);
  return found;
}

// The two blank-separated numbers of a row ("C" locale).
bool TwoNumbers(const char* line, double* a, double* b) {
  std::string_view rest(line);
  double* out[2] = {a, b};
  for (double* value : out) {
    const size_t from = rest.find_first_not_of(" \t\r\n");
    if (from == std::string_view::npos) return false;
    rest.remove_prefix(from);
    const size_t to = std::min(rest.find_first_of(" \t\r\n"), rest.size());
    if (!platform::ParseDouble(rest.substr(0, to), value)) return false;
    rest.remove_prefix(to);
  }
  return rest.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Reads the "T Q" rows of a table: rows must run 1, 2, 3, ... K; anything else ends
// the table there. false when it holds no row.
bool ReadTable(const std::string& path, std::vector<double>* q) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char line[256];
  q->clear();
  while (std::fgets(line, sizeof line, f)) {
    if (line[0] == '<') {
      if (!q->empty()) break;
      continue;
    }
    double t = 0.0, value = 0.0;
    if (!TwoNumbers(line, &t, &value)) {
      if (!q->empty()) break;
      continue;
    }
    if (t != static_cast<double>(q->size() + 1) || !(value > 0.0)) break;
    q->push_back(value);
  }
  std::fclose(f);
  return !q->empty();
}

}  // namespace

int32_t SimTipsQT(int16_t mol, double T, int16_t iso, double* q) {
  if (!q || mol < 1 || mol >= TIPS_MOLECULES || iso < 1 || iso >= TIPS_ISOTOPES) return 0;
  std::lock_guard<std::mutex> lock(TipsLock);
  if (Tips.State[mol][iso] == 0) {
    const std::string folder = TablesFolder();
    const std::string file = TableFile(folder, mol, iso);
    Tips.State[mol][iso] = !file.empty() && ReadTable(file, &Tips.Q[mol][iso]) ? 1 : -1;
  }
  if (Tips.State[mol][iso] != 1) return 0;
  const std::vector<double>& table = Tips.Q[mol][iso];
  const double last = static_cast<double>(table.size());
  if (!(T >= 1.0 && T <= last)) return 0;
  // Entry k holds T = k + 1 K.
  const double x = T - 1.0;
  const double k0 = std::floor(x);
  const size_t k = static_cast<size_t>(k0);
  if (x == k0) {
    *q = table[k];
    return 1;
  }
  if (table.size() < 4) {
    *q = table[k] + (x - k0) * (table[k + 1] - table[k]);
    return 1;
  }
  // Four points around x, shifted inwards at the table's ends.
  size_t a = k >= 1 ? k - 1 : 0;
  if (a + 3 >= table.size()) a = table.size() - 4;
  const double u = x - static_cast<double>(a);
  const double y0 = table[a], y1 = table[a + 1], y2 = table[a + 2], y3 = table[a + 3];
  *q = -y0 * (u - 1) * (u - 2) * (u - 3) / 6.0 + y1 * u * (u - 2) * (u - 3) / 2.0 -
       y2 * u * (u - 1) * (u - 3) / 2.0 + y3 * u * (u - 1) * (u - 2) / 6.0;
  return 1;
}
