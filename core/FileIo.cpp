#include "core/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/Window.h"
#include "records/Win.h"

namespace core_io {

void Warning(const std::string& text) { MessageBox(Win.hWnd_Main, text.c_str(), "Warning", kWarningStyle); }
void Error(const std::string& text) { MessageBox(Win.hWnd_Main, text.c_str(), "Error", kErrorStyle); }
void Info(const std::string& text) { MessageBox(Win.hWnd_Main, text.c_str(), "Info", kInfoStyle); }
bool AskYesNo(const std::string& text) {
  return MessageBox(Win.hWnd_Main, text.c_str(), "Question", kQuestionStyle) == IDYES;
}
int AskYesNoCancel(const std::string& text) { return MessageBox(Win.hWnd_Main, text.c_str(), "Question", kQuestion3Style); }

void StatusText(int32_t part, const std::string& text) {
  if (Win.hWnd_StatusBar)
    SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}

// ---- file names made from other names --------------------------------------------------

bool NameFits(const std::string& name, size_t cap) {
  if (name.size() < cap) return true;
  Warning(StrPrintf("FILE NAME [%s] TOO LONG\n\nABORTING", name.c_str()));
  return false;
}

bool NameWithSuffix(char* out, size_t cap, const char* base, const std::string& suffix) {
  const std::string name = std::string(base ? base : "") + suffix;
  if (!out || !NameFits(name, cap)) return false;
  return StrCopy(out, cap, name.c_str());
}

// ---- BinIn -------------------------------------------------------------------------------

BinIn::~BinIn() { Close(); }

bool BinIn::Open(const char* name) {
  Close();
  const std::string path = platform::MapPath(name ? name : "");
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  pos_ = 0;
  failed_ = false;
  return fd_ >= 0;
}

void BinIn::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

uint64_t BinIn::SizeBytes() const {
  struct stat info;
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) return 0;
  return static_cast<uint64_t>(info.st_size);
}

size_t BinIn::Read(void* data, size_t count, size_t width) {
  if (fd_ < 0 || width == 0) return 0;
  char* p = static_cast<char*>(data);
  size_t want = count * width;
  size_t got = 0;
  while (got < want) {
    ssize_t done = ::pread(fd_, p + got, want - got, static_cast<off_t>(pos_ + got));
    if (done < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      break;
    }
    if (done == 0) break;
    got += static_cast<size_t>(done);
  }
  // Only whole elements count; a partial trailing element is read again next time.
  size_t elements = got / width;
  pos_ += elements * width;
  return elements;
}

// ---- BinOut ------------------------------------------------------------------------------

BinOut::~BinOut() { Abort(); }

namespace {

// The replaced files this thread keeps for its next outputs (see BinOut): a few, since
// a writer may have several outputs open at once.
constexpr size_t kKeptOuts = 4;
thread_local std::vector<platform::KeptFile> t_keptOuts;

void DropKeptOuts() {
  for (platform::KeptFile& kept : t_keptOuts) platform::DropKept(&kept);
  t_keptOuts.clear();
}

void Keep(platform::KeptFile kept) {
  if (t_keptOuts.size() >= kKeptOuts) {
    platform::DropKept(&t_keptOuts.front());
    t_keptOuts.erase(t_keptOuts.begin());
  }
  t_keptOuts.push_back(std::move(kept));
  platform::AtKeepEnd(&DropKeptOuts);
}

// Takes a kept file of the target's folder, written over from its start; -1 when
// there is none. One as long as the target is taken first: an output mostly replaces
// a file of its own length, and a file cut short or grown frees or takes blocks. Outside
// a keep scope nothing is kept (its end let go of all).
int TakeKept(const std::string& target, std::string* path) {
  if (t_keptOuts.empty()) return -1;
  struct stat targetInfo;
  const bool targetExists = ::stat(target.c_str(), &targetInfo) == 0 && S_ISREG(targetInfo.st_mode);
  auto sameLength = [&](const platform::KeptFile& kept) {
    struct stat st;
    return targetExists && ::fstat(kept.fd, &st) == 0 && st.st_size == targetInfo.st_size;
  };
  for (const bool lengthFirst : {true, false}) {
    for (auto it = t_keptOuts.begin(); it != t_keptOuts.end(); ++it) {
      if (lengthFirst && !sameLength(*it)) continue;
      if (!platform::ReadyKeptFor(*it, target, targetExists ? &targetInfo : nullptr)) continue;
      const int fd = it->fd;
      *path = it->path;
      t_keptOuts.erase(it);
      return fd;
    }
  }
  return -1;
}

}  // namespace

bool BinOut::Open(const char* name) {
  Abort();
  target_ = platform::MapPath(name ? name : "");
  failed_ = false;
  // A write-protected target is refused before a kept file could be put in its place.
  if (!platform::MayWriteOver(target_)) return false;
  fd_ = TakeKept(target_, &temp_);
  reused_ = fd_ >= 0;
  if (!reused_) fd_ = platform::CreateTempBeside(target_, &temp_);
  return fd_ >= 0;
}

bool BinOut::Write(const void* data, size_t bytes) {
  if (fd_ < 0 || failed_) return false;
  const char* p = static_cast<const char*>(data);
  while (bytes > 0) {
    ssize_t done = ::write(fd_, p, bytes);
    if (done < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      return false;
    }
    p += done;
    bytes -= static_cast<size_t>(done);
  }
  return true;
}

// Closes the temporary file; one written over in place first ends where the writes
// ended. False when that or the close failed.
bool BinOut::CutAndClose() {
  bool ok = !reused_ || platform::CutAtOffset(fd_);
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  return ok;
}

bool BinOut::Commit() {
  if (fd_ < 0 && temp_.empty()) return false;
  bool ok = !failed_;
  if (fd_ >= 0 && !CutAndClose()) ok = false;
  if (ok) {
    platform::KeptFile kept;
    const bool exchanged = platform::KeepingReplacedFiles() && platform::ExchangeKeeping(temp_, target_, &kept);
    if (exchanged && kept.fd >= 0) Keep(std::move(kept));
    if (!exchanged && ::rename(temp_.c_str(), target_.c_str()) != 0) ok = false;
  }
  if (!ok) ::unlink(temp_.c_str());
  temp_.clear();
  return ok;
}

bool BinOut::CloseKeep() {
  if (fd_ < 0) return false;
  bool ok = !failed_;
  if (!CutAndClose()) ok = false;
  if (!ok) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  return ok;
}

void BinOut::Abort() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

// ---- LineIn ------------------------------------------------------------------------------

LineIn::~LineIn() { Close(); }

bool LineIn::Open(const char* name) {
  Close();
  const std::string path = platform::MapPath(name ? name : "");
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  file_ = std::fopen(path.c_str(), "rb");
  return file_ != nullptr;
}

void LineIn::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void LineIn::Rewind() {
  if (file_) std::rewind(file_);
}

bool LineIn::Next(std::string& line) {
  line.clear();
  if (!file_) return false;
  bool any = false;
  for (;;) {
    const int c = std::getc(file_);
    if (c == EOF) return any;
    any = true;
    if (c == '\n') return true;
    if (c == '\r') {
      const int next = std::getc(file_);
      if (next != '\n' && next != EOF) std::ungetc(next, file_);
      return true;
    }
    if (line.size() < maxLine_) line.push_back(static_cast<char>(c));
  }
}

// ---- scans -------------------------------------------------------------------------------

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

void SkipBlanks(const char*& p) {
  while (*p && IsBlank(*p)) ++p;
}

// The end of the token that starts at p: the first blank or the terminator.
const char* TokenEnd(const char* p) {
  while (*p && !IsBlank(*p)) ++p;
  return p;
}

}  // namespace

bool ScanDouble(const char*& p, double* value) {
  SkipBlanks(p);
  const char* start = p;
  if (*start == '+') {
    ++start;
    if (*start == '-' || *start == '+') return false;
  }
  const char* end = TokenEnd(start);
  double result = 0.0;
  auto [ptr, ec] = std::from_chars(start, end, result, std::chars_format::general);
  if (ec != std::errc() || ptr == start) return false;
  if (value) *value = result;
  p = ptr;
  return true;
}

bool ScanLong(const char*& p, int32_t* value) {
  SkipBlanks(p);
  const char* start = p;
  if (*start == '+') {
    ++start;
    if (*start == '-' || *start == '+') return false;
  }
  const char* end = TokenEnd(start);
  int64_t result = 0;
  auto [ptr, ec] = std::from_chars(start, end, result, 10);
  if (ec != std::errc() || ptr == start) return false;
  if (result > INT32_MAX || result < INT32_MIN) return false;
  if (value) *value = static_cast<int32_t>(result);
  p = ptr;
  return true;
}

bool ScanFormatLong(const char* line, const char* format, int32_t* value) {
  if (!line || !format) return false;
  const char* p = line;
  const char* f = format;
  while (*f) {
    if (IsBlank(*f)) {
      ++f;
      continue;
    }
    if (std::strncmp(f, "%*lf", 4) == 0) {
      if (!ScanDouble(p, nullptr)) return false;
      f += 4;
    } else if (std::strncmp(f, "%lf", 3) == 0) {
      if (!ScanDouble(p, nullptr)) return false;
      f += 3;
    } else if (std::strncmp(f, "%f", 2) == 0) {
      if (!ScanDouble(p, nullptr)) return false;
      f += 2;
    } else if (std::strncmp(f, "%ld", 3) == 0) {
      return ScanLong(p, value);
    } else {
      return false;  // nothing else belongs in a marker format
    }
  }
  return false;  // no "%ld" in the format
}

bool ScanColumnDouble(const char* line, int32_t column, double* value) {
  if (!line || column < 1) return false;
  const char* p = line;
  for (int32_t i = 1; i < column; ++i)
    if (!ScanDouble(p, nullptr)) return false;
  return ScanDouble(p, value);
}

bool ScanColumnLong(const char* line, int32_t column, int32_t* value) {
  if (!line || column < 1) return false;
  const char* p = line;
  for (int32_t i = 1; i < column; ++i)
    if (!ScanDouble(p, nullptr)) return false;
  return ScanLong(p, value);
}

}  // namespace core_io
