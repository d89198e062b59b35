#include "core/PrmFile.h"

#include <cerrno>
#include <cstdlib>

#include "platform/kernel/Text.h"

namespace prmfile {

namespace {

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

// The numbers of a value, none more, none fewer.
template <typename T, typename Parse>
bool Numbers(const std::map<std::string, std::string>& values, const char* key, T* out, int32_t n, Parse parse) {
  const auto it = values.find(key);
  if (it == values.end()) return false;
  const char* p = it->second.c_str();
  for (int32_t i = 0; i < n; ++i) {
    while (*p == ' ' || *p == '\t') ++p;
    char* end = nullptr;
    errno = 0;
    const auto v = parse(p, &end);
    if (end == p || errno == ERANGE) return false;
    if (*end != '\0' && *end != ' ' && *end != '\t') return false;
    out[i] = static_cast<T>(v);
    p = end;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return *p == '\0';
}

}  // namespace

bool Fields::Text(const char* key, char* out, size_t cap) const {
  const auto it = values.find(key);
  if (it == values.end() || it->second.size() >= cap) return false;
  return StrCopy(out, cap, it->second.c_str());
}

bool Fields::Doubles(const char* key, double* out, int32_t n) const {
  return Numbers(values, key, out, n, [](const char* p, char** end) { return std::strtod(p, end); });
}

bool Fields::Longs(const char* key, int32_t* out, int32_t n) const {
  return Numbers(values, key, out, n, [](const char* p, char** end) {
    const long long v = std::strtoll(p, end, 10);
    if (v < INT32_MIN || v > INT32_MAX) errno = ERANGE;
    return v;
  });
}

bool Read(const char* file, const char* kind, Fields* out) {
  platform::TextFileReader r;
  if (!file || !r.Open(file)) return false;
  std::string line;
  const std::string banner = std::string(kind) + " INPUT FILE : VERSION ";
  if (!r.ReadLine(line) || line.compare(0, banner.size(), banner) != 0) return false;
  Fields f;
  f.version = Trim(line.substr(banner.size()));
  while (r.ReadLine(line)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == '#') continue;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = Trim(t.substr(0, eq));
    if (key.empty() || !f.values.emplace(key, Trim(t.substr(eq + 1))).second) return false;
  }
  *out = std::move(f);
  return true;
}

bool Begin(platform::TextFileWriter* w, const char* file, const char* kind, const char* version) {
  if (!file || !file[0] || !w->Open(file)) return false;
  return w->Printf("%s INPUT FILE : VERSION %s\n", kind, version);
}

void Key(platform::TextFileWriter* w, const char* key, const std::string& value) {
  w->Printf("%s = %s\n", key, value.c_str());
}

namespace {

template <typename T>
std::string Joined(const T* v, int32_t n, const char* format) {
  std::string s;
  for (int32_t i = 0; i < n; ++i) {
    if (i) s += ' ';
    s += StrPrintf(format, v[i]);
  }
  return s;
}

}  // namespace

std::string Numbers(const double* v, int32_t n) { return Joined(v, n, "%.17g"); }

std::string Numbers(const int32_t* v, int32_t n) { return Joined(v, n, "%d"); }

}  // namespace prmfile
