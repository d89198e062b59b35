#include "models/linedb/LineDb.h"

#include <cstring>
#include <string_view>

#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"

namespace {

bool Skipped(const std::string& line) {
  size_t i = line.find_first_not_of(" \t");
  return i == std::string::npos || line[i] == '#';
}

// The blank- or tab-separated fields of a line.
std::vector<std::string_view> Fields(const std::string& line) {
  std::vector<std::string_view> fields;
  std::string_view rest(line);
  while (true) {
    size_t begin = rest.find_first_not_of(" \t");
    if (begin == std::string_view::npos) break;
    rest.remove_prefix(begin);
    size_t end = rest.find_first_of(" \t");
    fields.push_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end);
  }
  return fields;
}

// Reads the lines that are not skipped; false on a read error or an overlong line.
bool ReadRecords(const char* path, size_t maxRecords, std::vector<std::string>* records) {
  platform::TextFileReader reader(LINEDB_MAX_LINE);
  if (!path || !reader.Open(path)) return false;
  std::string line;
  while (reader.ReadLine(line)) {
    if (reader.Continues()) return false;
    if (Skipped(line)) continue;
    if (records->size() >= maxRecords) return false;
    records->push_back(line);
  }
  return !reader.Error();
}

}  // namespace

bool LineDbOpen(const char* path, LineDbFile* file) {
  if (!file) return false;
  file->records.clear();
  if (ReadRecords(path, static_cast<size_t>(LINEDB_MAX_ENTRIES) + 1, &file->records)) return true;
  file->records.clear();
  return false;
}

void LineDbClose(LineDbFile* file) {
  if (file) file->records.clear();
}

int32_t LineDbReadEntry(const LineDbFile& file, int32_t mode, int32_t entry, char* label, size_t labelSize,
                        double* frequency, double* values, int32_t maxValues) {
  if (entry < 0 || static_cast<size_t>(entry) >= file.records.size()) return 0;
  const std::vector<std::string_view> fields = Fields(file.records[static_cast<size_t>(entry)]);
  if (entry == 0) {
    int32_t count = 0;
    if (fields.empty() || !platform::ParseInt32(fields[0], &count) || count < 0) return 0;
    return count;
  }
  double f = 0.0;
  if (fields.size() < 2 || !platform::ParseDouble(fields[1], &f)) return 0;
  int32_t numbers = 1;
  for (size_t i = 2; i < fields.size() && numbers < LINEDB_MAX_VALUES; ++i) {
    double v = 0.0;
    if (!platform::ParseDouble(fields[i], &v)) break;
    if (mode == 1 && values && numbers - 1 < maxValues) values[numbers - 1] = v;
    ++numbers;
  }
  if (label && labelSize > 0) StrCopy(label, labelSize, std::string(fields[0]).c_str());
  if (frequency) *frequency = f;
  return numbers;
}

int32_t LabelReadPositions(const char* path, int32_t entry, int32_t* label1, int32_t* label2) {
  std::vector<std::string> records;
  if (!ReadRecords(path, static_cast<size_t>(LINEDB_MAX_ENTRIES), &records)) return 0;
  for (const std::string& record : records) {
    const std::vector<std::string_view> fields = Fields(record);
    int32_t index = 0, a = 0, b = 0;
    if (fields.size() < 3 || !platform::ParseInt32(fields[0], &index) || index != entry) continue;
    if (!platform::ParseInt32(fields[1], &a) || !platform::ParseInt32(fields[2], &b)) continue;
    if (label1) *label1 = a;
    if (label2) *label2 = b;
    return 1;
  }
  return 0;
}

int32_t LabelFileOpen(int16_t set, int32_t label1, int32_t label2) {
  if (set < 0 || set > 8 || label1 < 0 || label2 < 0) return -1;
  return label1;
}
