#include "platform/kernel/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/kernel/Error.h"
#include "platform/kernel/Text.h"

namespace platform {
namespace {

std::mutex& DriveMutex() {
  static auto* mutex = new std::mutex();
  return *mutex;
}
std::array<std::string, 26>& DriveRoots() {
  static auto* roots = new std::array<std::string, 26>();  // guarded by DriveMutex; "" = "/"
  return *roots;
}

std::atomic<uint32_t> g_tempCounter{0};

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Decodes one code point for case-insensitive comparison; invalid bytes stand for
// themselves (offset past the Unicode range so they never equal a letter).
uint32_t NextFolded(std::string_view s, size_t* i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = byte(*i);
  uint32_t cp;
  size_t len = 1;
  if (c < 0x80) {
    cp = c;
  } else if (c >= 0xC2 && c <= 0xDF && *i + 1 < s.size() && (byte(*i + 1) & 0xC0) == 0x80) {
    cp = ((c & 0x1Fu) << 6) | (byte(*i + 1) & 0x3Fu);
    len = 2;
  } else if (c >= 0xE0 && c <= 0xEF && *i + 2 < s.size() && (byte(*i + 1) & 0xC0) == 0x80 &&
             (byte(*i + 2) & 0xC0) == 0x80 && (c != 0xE0 || byte(*i + 1) >= 0xA0)) {  // not an overlong form
    cp = ((c & 0x0Fu) << 12) | ((byte(*i + 1) & 0x3Fu) << 6) | (byte(*i + 2) & 0x3Fu);
    len = 3;
  } else {
    cp = 0x200000u + c;  // not folded
  }
  *i += len;
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
  if ((cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177)) return cp | 1u;
  if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E)) return (cp & 1u) ? cp + 1 : cp;
  if (cp == 0x178) return 0xFF;
  if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) return cp + 32;
  if (cp >= 0x410 && cp <= 0x42F) return cp + 32;
  if (cp >= 0x400 && cp <= 0x40F) return cp + 80;
  return cp;
}

// A plain ASCII name equals ignoring case exactly the names that differ from it only in
// the case of its letters (a name with any other byte folds to something else). When
// there are few of those (a name of at most kMaxCaseLetters letters), each is looked up
// on its own: that costs a few lookups where reading a large folder costs a pass over
// every entry, during which the folder's writers wait. *found: the first existing form
// in byte order, or empty. False when the name is not of that kind or a lookup fails for
// another reason than a missing entry; the caller then reads the folder.
constexpr size_t kMaxCaseLetters = 6;  // 64 forms

bool FindCaseForm(const std::string& folder, const std::string& name, std::string* found) {
  std::vector<size_t> letters;
  for (size_t k = 0; k < name.size(); ++k) {
    const unsigned char c = static_cast<unsigned char>(name[k]);
    if (c >= 0x80) return false;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) letters.push_back(k);
  }
  if (letters.size() > kMaxCaseLetters) return false;
  const std::string prefix = folder == "." ? std::string() : folder.back() == '/' ? folder : folder + "/";
  found->clear();
  std::string form = name;
  for (uint32_t bits = 0; bits < (1u << letters.size()); ++bits) {
    for (size_t j = 0; j < letters.size(); ++j) {
      const char c = name[letters[j]];
      const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      form[letters[j]] = (bits >> j) & 1u ? static_cast<char>(lower - 32) : lower;
    }
    struct stat st;
    if (::lstat((prefix + form).c_str(), &st) == 0) {
      if (found->empty() || form < *found) *found = form;
    } else if (errno != ENOENT) {
      return false;
    }
  }
  return true;
}

// Looks each component up ignoring case; see MapPath.
std::string ResolveIgnoringCase(const std::string& path) {
  std::string out = path.size() > 0 && path[0] == '/' ? "/" : "";
  bool lookup = true;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    std::string component = path.substr(pos, slash - pos);
    pos = slash + 1;
    if (component.empty()) continue;
    std::string folder = out.empty() ? "." : out;
    std::string joined = out.empty() ? component : (out.back() == '/' ? out + component : out + "/" + component);
    if (lookup && component != "." && component != ".." && !Exists(joined)) {
      std::string best;
      if (!FindCaseForm(folder, component, &best)) {
        if (DIR* dir = opendir(folder.c_str())) {
          while (dirent* entry = readdir(dir)) {
            std::string_view name = entry->d_name;
            if (NamesEqualIgnoringCase(name, component) && (best.empty() || name < best)) best = name;
          }
          closedir(dir);
        }
      }
      if (best.empty()) {
        lookup = false;  // the rest cannot exist either
      } else {
        joined = out.empty() ? best : (out.back() == '/' ? out + best : out + "/" + best);
      }
    }
    out = std::move(joined);
  }
  if (!path.empty() && path.back() == '/' && !out.empty() && out.back() != '/') out += '/';
  return out;
}

void FillTime(const struct timespec& moment, SYSTEMTIME* time) {
  struct tm fields{};
  time_t seconds = moment.tv_sec;
  localtime_r(&seconds, &fields);
  time->wYear = static_cast<WORD>(fields.tm_year + 1900);
  time->wMonth = static_cast<WORD>(fields.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(fields.tm_wday);
  time->wDay = static_cast<WORD>(fields.tm_mday);
  time->wHour = static_cast<WORD>(fields.tm_hour);
  time->wMinute = static_cast<WORD>(fields.tm_min);
  time->wSecond = static_cast<WORD>(fields.tm_sec > 59 ? 59 : fields.tm_sec);
  time->wMilliseconds = static_cast<WORD>(moment.tv_nsec / 1000000);
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

bool NamesEqualIgnoringCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (NextFolded(a, &i) != NextFolded(b, &j)) return false;
  }
  return i == a.size() && j == b.size();
}

void SetDriveRoot(char drive, const char* root) {
  char letter = static_cast<char>(drive >= 'a' && drive <= 'z' ? drive - 32 : drive);
  if (letter < 'A' || letter > 'Z') return;
  std::lock_guard<std::mutex> lock(DriveMutex());
  DriveRoots()[static_cast<size_t>(letter - 'A')] = root ? root : "";
}

void ResetDriveRoots() {
  std::lock_guard<std::mutex> lock(DriveMutex());
  for (auto& root : DriveRoots()) root.clear();
}

std::string MapPath(const char* name) {
  if (!name) return std::string();
  std::string path(name);
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    char letter = static_cast<char>(path[0] >= 'a' ? path[0] - 32 : path[0]);
    std::string root;
    {
      std::lock_guard<std::mutex> lock(DriveMutex());
      root = DriveRoots()[static_cast<size_t>(letter - 'A')];
    }
    while (!root.empty() && root.back() == '/') root.pop_back();  // "/" becomes ""
    std::string rest = path.substr(2);
    if (rest.empty()) {
      path = root.empty() ? "/" : root;
    } else {
      path = root + (rest[0] == '/' ? "" : "/") + rest;
    }
  }
  if (path.empty() || Exists(path)) return path;
  return ResolveIgnoringCase(path);
}

bool FileExists(const char* name) {
  struct stat st;
  return name && stat(MapPath(name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const char* name) {
  struct stat st;
  return name && stat(MapPath(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameFile(const char* a, const char* b) {
  if (!a || !b) return false;
  const std::string pa = MapPath(a);
  const std::string pb = MapPath(b);
  if (pa == pb) return true;
  struct stat sa;
  struct stat sb;
  return stat(pa.c_str(), &sa) == 0 && stat(pb.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

BOOL GetFileSize64(const char* name, int64_t* size) {
  struct stat st;
  std::string path = MapPath(name);
  if (!name || !size) {
    SetLastErrorText("GetFileSize64: no name or result");
    return FALSE;
  }
  if (stat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno(Quoted(path).c_str(), errno);
    return FALSE;
  }
  *size = static_cast<int64_t>(st.st_size);
  return TRUE;
}

BOOL GetFileModifiedTime(const char* name, SYSTEMTIME* time) {
  struct stat st;
  if (!name || !time) {
    SetLastErrorText("GetFileModifiedTime: no name or result");
    return FALSE;
  }
  std::string path = MapPath(name);
  if (stat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno(Quoted(path).c_str(), errno);
    return FALSE;
  }
  FillTime(st.st_mtim, time);
  return TRUE;
}

namespace {

// True when the folder was swept for temporary files less than a while ago. Sweeping
// reads the whole folder, which stops every writer of the folder meanwhile: a folder
// written into over and over by many workers is swept once in a while only.
bool SweptLately(const std::string& folder) {
  constexpr auto kSweepInterval = std::chrono::seconds(10);
  static std::mutex mutex;
  static auto* swept = new std::unordered_map<std::string, std::chrono::steady_clock::time_point>();
  struct stat st;
  if (stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return false;
  const auto now = std::chrono::steady_clock::now();
  std::string key = StrPrintf("%llX:%llX:", static_cast<unsigned long long>(st.st_dev),
                              static_cast<unsigned long long>(st.st_ino));
  if (folder.empty() || folder[0] != '/') {  // the same inode may be a new folder elsewhere
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return false;
    key += cwd;
    key += '/';
  }
  key += folder;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = swept->find(key);
  if (found != swept->end() && now - found->second < kSweepInterval) return true;
  if (swept->size() >= 4096) swept->clear();
  (*swept)[key] = now;
  return false;
}

// The process that wrote a temporary file "." + base + ".<pid>-<n>.tmp" (hexadecimal
// numbers), or 0 when the name is not one.
pid_t TempWriter(const std::string& name) {
  constexpr size_t kTail = 4;  // ".tmp"
  if (name.size() < 1 + 1 + 1 + 3 + kTail || name[0] != '.' ||
      name.compare(name.size() - kTail, kTail, ".tmp") != 0)
    return 0;
  const size_t dot = name.rfind('.', name.size() - kTail - 1);
  if (dot == std::string::npos || dot < 2) return 0;  // the base is not empty
  const std::string tail = name.substr(dot + 1, name.size() - kTail - dot - 1);
  const size_t dash = tail.find('-');
  if (dash == 0 || dash == std::string::npos || dash > 8 || dash + 1 == tail.size()) return 0;
  const std::string digits = tail.substr(0, dash);
  char* end = nullptr;
  const unsigned long pid = std::strtoul(digits.c_str(), &end, 16);
  if (!end || *end != '\0' || pid == 0 || pid > 0x7FFFFFFFul) return 0;
  const std::string count = tail.substr(dash + 1);
  if (count.find_first_not_of("0123456789ABCDEF") != std::string::npos) return 0;
  return static_cast<pid_t>(pid);
}

// Removes the temporary files of writes (see TempWriter) in folder whose process no
// longer exists: a program killed while it wrote leaves them, and the next write into
// the same folder clears them away (the next after a few seconds, when the folder is
// written into over and over).
void RemoveStaleTemps(const std::string& folder) {
  if (SweptLately(folder)) return;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  while (struct dirent* entry = readdir(dir)) {
    const pid_t pid = TempWriter(entry->d_name);
    if (pid == 0) continue;
    if (kill(pid, 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to judge
    unlink((folder + entry->d_name).c_str());
  }
  closedir(dir);
}

}  // namespace

bool MayWriteOver(const std::string& mapped) {
  if (mapped.empty() || faccessat(AT_FDCWD, mapped.c_str(), W_OK, AT_EACCESS) == 0) return true;
  const int error = errno;
  if (error == ENOENT) return true;
  SetLastErrorFromErrno(("cannot write over " + Quoted(mapped)).c_str(), error);
  return false;
}

int CreateTempBeside(const std::string& target, std::string* tempPath) {
  if (!MayWriteOver(target)) return -1;
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  base.resize(Utf8SafeLength(base.data(), base.size() < 200 ? base.size() : 200));
  RemoveStaleTemps(folder);
  struct stat targetStat;
  bool haveTarget = stat(target.c_str(), &targetStat) == 0 && S_ISREG(targetStat.st_mode);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string path = folder + "." + base + "." +
                       StrPrintf("%X-%X", static_cast<unsigned>(getpid()), g_tempCounter.fetch_add(1)) + ".tmp";
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (haveTarget) fchmod(fd, targetStat.st_mode & 07777);
      if (tempPath) *tempPath = path;
      return fd;
    }
    if (errno != EEXIST) {
      SetLastErrorFromErrno(("cannot create a temporary file beside " + Quoted(target)).c_str(), errno);
      return -1;
    }
  }
  SetLastErrorText("cannot create a temporary file beside " + Quoted(target) + ": no free name");
  return -1;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  int error = errno;
  if (error != EINVAL && error != ENOSYS && error != ENOTSUP) return error;
  // File systems without the flag: a hard link refuses an existing name atomically.
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    return 0;
  }
  error = errno;
  if (error == EEXIST) return error;
  if (Exists(to)) return EEXIST;
  return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

BOOL CopyFileMapped(const std::string& src, const std::string& dst, bool failIfExists) {
  const std::string what = "cannot copy " + Quoted(src) + " to " + Quoted(dst);
  int in = open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    SetLastErrorFromErrno(what.c_str(), errno);
    return FALSE;
  }
  struct stat st{};
  if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    int error = errno;
    close(in);
    if (S_ISDIR(st.st_mode)) error = EISDIR;
    SetLastErrorFromErrno(what.c_str(), error ? error : EINVAL);
    return FALSE;
  }
  if (failIfExists && Exists(dst)) {
    close(in);
    SetLastErrorFromErrno(what.c_str(), EEXIST);
    return FALSE;
  }
  std::string temp;
  int out = CreateTempBeside(dst, &temp);
  if (out < 0) {
    close(in);
    SetLastErrorText(what + ": " + LastErrorText());
    return FALSE;
  }
  fchmod(out, st.st_mode & 07777);
  std::vector<char> buffer(1 << 16);
  int error = 0;
  for (;;) {
    ssize_t got = read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = errno;
      break;
    }
    if (got == 0) break;
    if (!WriteAll(out, buffer.data(), static_cast<size_t>(got))) {
      error = errno;
      break;
    }
  }
  close(in);
  if (error == 0) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
  }
  if (close(out) != 0 && error == 0) error = errno;
  if (error == 0) error = failIfExists ? RenameNoReplace(temp, dst) : (rename(temp.c_str(), dst.c_str()) == 0 ? 0 : errno);
  if (error != 0) {
    unlink(temp.c_str());
    SetLastErrorFromErrno(what.c_str(), error);
    return FALSE;
  }
  return TRUE;
}

}  // namespace platform

using namespace platform;

BOOL CopyFile(const char* src, const char* dst, BOOL failIfExists) {
  if (!src || !dst) {
    SetLastErrorText("CopyFile: no file name");
    return FALSE;
  }
  return CopyFileMapped(MapPath(src), MapPath(dst), failIfExists != 0);
}

BOOL MoveFileEx(const char* src, const char* dst, DWORD flags) {
  if (!src || !dst) {
    SetLastErrorText("MoveFileEx: no file name");
    return FALSE;
  }
  std::string from = MapPath(src);
  std::string to = MapPath(dst);
  const std::string what = "cannot move " + Quoted(from) + " to " + Quoted(to);
  const bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
  if (!Exists(from)) {
    SetLastErrorFromErrno(what.c_str(), ENOENT);
    return FALSE;
  }
  if (replace && !MayWriteOver(to)) return FALSE;
  int error = replace ? (rename(from.c_str(), to.c_str()) == 0 ? 0 : errno) : RenameNoReplace(from, to);
  if (error == EXDEV && (flags & MOVEFILE_COPY_ALLOWED)) {
    if (!CopyFileMapped(from, to, !replace)) return FALSE;
    if (unlink(from.c_str()) != 0) {
      SetLastErrorFromErrno(("copied, but cannot delete " + Quoted(from)).c_str(), errno);
      return FALSE;
    }
    return TRUE;
  }
  if (error != 0) {
    SetLastErrorFromErrno(what.c_str(), error);
    return FALSE;
  }
  return TRUE;
}

BOOL MoveFile(const char* src, const char* dst) { return MoveFileEx(src, dst, 0); }

BOOL DeleteFile(const char* name) {
  if (!name) {
    SetLastErrorText("DeleteFile: no file name");
    return FALSE;
  }
  std::string path = MapPath(name);
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    SetLastErrorFromErrno(("cannot delete " + Quoted(path)).c_str(), EISDIR);
    return FALSE;
  }
  if (unlink(path.c_str()) != 0) {
    SetLastErrorFromErrno(("cannot delete " + Quoted(path)).c_str(), errno);
    return FALSE;
  }
  return TRUE;
}

UINT GetTempFileName(const char* folder, const char* prefix, UINT unique, char* out, size_t cap) {
  std::string dir = MapPath(folder && *folder ? folder : ".");
  if (!dir.empty() && dir.back() != '/') dir += '/';
  std::string head = prefix ? prefix : "";
  head.resize(Utf8SafeLength(head.data(), head.size() < 3 ? head.size() : 3));
  if (!out || dir.size() + head.size() + 8 >= cap) {
    SetLastErrorText("GetTempFileName: the name does not fit the buffer");
    return 0;
  }
  auto form = [&](UINT number) { return dir + head + StrPrintf("%04X", number & 0xFFFFu) + ".tmp"; };
  if (unique != 0) {
    StrCopy(out, cap, form(unique).c_str());
    return unique;
  }
  struct timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  UINT start = static_cast<UINT>(getpid()) * 2654435761u + static_cast<UINT>(now.tv_nsec / 1000) +
               g_tempCounter.fetch_add(1) * 40503u;
  for (UINT k = 0; k < 0x10000u; ++k) {
    UINT number = (start + k) & 0xFFFFu;
    if (number == 0) continue;
    std::string path = form(number);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      StrCopy(out, cap, path.c_str());
      return number;
    }
    if (errno != EEXIST) {
      SetLastErrorFromErrno(("cannot create a temporary file in " + Quoted(dir)).c_str(), errno);
      return 0;
    }
  }
  SetLastErrorText("cannot create a temporary file in " + Quoted(dir) + ": every name is taken");
  return 0;
}

DWORD GetCurrentDirectory(DWORD cap, char* buffer) {
  char* cwd = getcwd(nullptr, 0);
  if (!cwd) {
    SetLastErrorFromErrno("cannot get the current folder", errno);
    return 0;
  }
  size_t length = std::strlen(cwd);
  DWORD result;
  if (buffer && length < cap) {
    std::memcpy(buffer, cwd, length + 1);
    result = static_cast<DWORD>(length);
  } else {
    result = static_cast<DWORD>(length + 1);
  }
  std::free(cwd);
  return result;
}

BOOL SetCurrentDirectory(const char* name) {
  if (!name) {
    SetLastErrorText("SetCurrentDirectory: no folder name");
    return FALSE;
  }
  std::string path = MapPath(name);
  if (chdir(path.c_str()) != 0) {
    SetLastErrorFromErrno(("cannot change to " + Quoted(path)).c_str(), errno);
    return FALSE;
  }
  return TRUE;
}

BOOL CreateDirectory(const char* name, void* /*securityAttributes*/) {
  if (!name) {
    SetLastErrorText("CreateDirectory: no folder name");
    return FALSE;
  }
  std::string path = MapPath(name);
  if (mkdir(path.c_str(), 0777) != 0) {
    SetLastErrorFromErrno(("cannot create folder " + Quoted(path)).c_str(), errno);
    return FALSE;
  }
  return TRUE;
}

BOOL RemoveDirectory(const char* name) {
  if (!name) {
    SetLastErrorText("RemoveDirectory: no folder name");
    return FALSE;
  }
  std::string path = MapPath(name);
  if (rmdir(path.c_str()) != 0) {
    SetLastErrorFromErrno(("cannot remove folder " + Quoted(path)).c_str(), errno);
    return FALSE;
  }
  return TRUE;
}

void GetLocalTime(SYSTEMTIME* time) {
  if (!time) return;
  struct timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  FillTime(now, time);
}

// ---- replaced files kept for the next write ------------------------------------------------
namespace platform {
namespace {

thread_local int t_keepDepth = 0;
thread_local std::vector<void (*)()> t_keepDrops;

// True when nobody but the caller's descriptor has the file open: a write lease is
// granted only then. File systems without leases answer no.
bool OpenOnlyHere(int fd) {
  if (::fcntl(fd, F_SETLEASE, F_WRLCK) != 0) return false;
  (void)::fcntl(fd, F_SETLEASE, F_UNLCK);
  return true;
}

// The folder a mapped path lies in.
bool FolderOf(const std::string& mapped, struct stat* st) {
  const size_t slash = mapped.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : mapped.substr(0, slash);
  return ::stat(folder.c_str(), st) == 0;
}

bool OwnSingleRegular(const struct stat& st) {
  return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid();
}

// True when the kept file lies in the folder of the mapped target.
bool KeptBeside(const KeptFile& kept, const std::string& target) {
  struct stat folder;
  return kept.fd >= 0 && FolderOf(target, &folder) && folder.st_dev == kept.folderDev &&
         folder.st_ino == kept.folderIno;
}

}  // namespace

KeepReplacedFiles::KeepReplacedFiles() { ++t_keepDepth; }

KeepReplacedFiles::~KeepReplacedFiles() {
  if (--t_keepDepth > 0) return;
  std::vector<void (*)()> drops;
  drops.swap(t_keepDrops);
  for (void (*drop)() : drops) drop();
}

bool KeepingReplacedFiles() { return t_keepDepth > 0; }

void AtKeepEnd(void (*drop)()) {
  if (t_keepDepth <= 0 || !drop) return;
  for (void (*known)() : t_keepDrops)
    if (known == drop) return;
  t_keepDrops.push_back(drop);
}

bool ExchangeKeeping(const std::string& temp, const std::string& target, KeptFile* kept) {
  *kept = KeptFile{};
  struct stat before;
  if (::lstat(target.c_str(), &before) != 0 || !OwnSingleRegular(before)) return false;
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) return false;
  // The temporary's name now holds the replaced file. Anything that is not plainly
  // ours alone is let go as a rename over it would have let it go.
  const int fd = ::open(temp.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  struct stat folder;
  char cwd[4096] = "";
  const bool relative = temp.empty() || temp[0] != '/';
  const bool keep = fd >= 0 && ::fstat(fd, &st) == 0 && OwnSingleRegular(st) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                    OpenOnlyHere(fd) && FolderOf(temp, &folder) && (!relative || ::getcwd(cwd, sizeof cwd));
  if (!keep) {
    if (fd >= 0) ::close(fd);
    (void)::unlink(temp.c_str());
    return true;
  }
  kept->fd = fd;
  kept->folderDev = folder.st_dev;
  kept->folderIno = folder.st_ino;
  kept->path = relative ? std::string(cwd) + "/" + temp : temp;
  return true;
}

bool ReadyKeptFor(const KeptFile& kept, const std::string& target, const struct stat* targetInfo) {
  if (!KeptBeside(kept, target) || ::lseek(kept.fd, 0, SEEK_SET) != 0) return false;
  if (targetInfo) (void)::fchmod(kept.fd, targetInfo->st_mode & 07777);
  return true;
}

bool CutAtOffset(int fd) {
  const off_t end = ::lseek(fd, 0, SEEK_CUR);
  return end >= 0 && ::ftruncate(fd, end) == 0;
}

void DropKept(KeptFile* kept) {
  if (kept->fd >= 0) {
    (void)::unlink(kept->path.c_str());
    ::close(kept->fd);
  }
  *kept = KeptFile{};
}

}  // namespace platform
