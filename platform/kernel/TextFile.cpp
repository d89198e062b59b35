#include "platform/kernel/TextFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>

#include "platform/kernel/Error.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"

namespace platform {

namespace {
constexpr size_t kWriteBuffer = 1 << 16;
constexpr size_t kReadBuffer = 1 << 16;
}  // namespace

// ---- writer -------------------------------------------------------------------------
TextFileWriter::~TextFileWriter() { Abort(); }

bool TextFileWriter::Begin(const char* name, bool inPlace) {
  Abort();
  failed_ = false;
  lossless_ = true;
  lastWasCr_ = false;
  inPlace_ = inPlace;
  buffer_.clear();
  temp_.clear();
  if (!name || !*name) {
    SetLastErrorText("no file name to write");
    return false;
  }
  target_ = MapPath(name);
  return true;
}

bool TextFileWriter::Open(const char* name) {
  if (!Begin(name, false)) return false;
  fd_ = CreateTempBeside(target_, &temp_);
  if (fd_ < 0) {
    temp_.clear();
    return false;
  }
  return true;
}

bool TextFileWriter::OpenInPlace(const char* name) {
  if (!Begin(name, true)) return false;
  fd_ = open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    SetLastErrorFromErrno(StrPrintf("cannot create \"%s\"", target_.c_str()).c_str(), errno);
    return false;
  }
  return true;
}

void TextFileWriter::Fail(const char* what, int errnum) {
  failed_ = true;
  SetLastErrorFromErrno(StrPrintf("%s \"%s\"", what, target_.c_str()).c_str(), errnum);
}

bool TextFileWriter::Flush() {
  if (fd_ < 0 || failed_) return false;
  size_t done = 0;
  while (done < buffer_.size()) {
    ssize_t written = write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write", errno);
      return false;
    }
    done += static_cast<size_t>(written);
  }
  buffer_.clear();
  return true;
}

bool TextFileWriter::Write(std::string_view utf8) {
  if (fd_ < 0 || failed_) {
    if (fd_ < 0) SetLastErrorText("text file not open for writing");
    return false;
  }
  bool exact = true;
  std::string bytes = Utf8ToCp1252(utf8, &exact);
  if (!exact) lossless_ = false;
  for (char c : bytes) {
    if (c == '\n' && !lastWasCr_) buffer_ += '\r';
    buffer_ += c;
    lastWasCr_ = c == '\r';
  }
  if (buffer_.size() >= kWriteBuffer) return Flush();
  return true;
}

bool TextFileWriter::Printf(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text = StrPrintfV(fmt, args);
  va_end(args);
  return Write(text);
}

bool TextFileWriter::Commit() {
  if (fd_ < 0) {
    SetLastErrorText("text file not open for writing");
    return false;
  }
  bool ok = !failed_ && Flush();
  if (ok && fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) {
    Fail("cannot write", errno);
    ok = false;
  }
  if (close(fd_) != 0 && ok) {
    Fail("cannot close", errno);
    ok = false;
  }
  fd_ = -1;
  if (inPlace_) {
    buffer_.clear();
    return ok;
  }
  if (ok && rename(temp_.c_str(), target_.c_str()) != 0) {
    Fail("cannot replace", errno);
    ok = false;
  }
  if (!ok) unlink(temp_.c_str());
  temp_.clear();
  buffer_.clear();
  return ok;
}

void TextFileWriter::Abort() {
  if (fd_ >= 0) {
    if (inPlace_) (void)Flush();  // the file is the target: what was written stays
    close(fd_);
    fd_ = -1;
    if (!inPlace_) unlink(temp_.c_str());
  }
  temp_.clear();
  buffer_.clear();
}

// ---- reader -------------------------------------------------------------------------
TextFileReader::TextFileReader(size_t maxLine) : maxLine_(maxLine < 4 ? 4 : maxLine) {}

TextFileReader::~TextFileReader() { Close(); }

bool TextFileReader::Open(const char* name) {
  Close();
  if (!name || !*name) {
    SetLastErrorText("no file name to read");
    return false;
  }
  std::string path = MapPath(name);
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    SetLastErrorFromErrno(StrPrintf("cannot open \"%s\"", path.c_str()).c_str(), errno);
    return false;
  }
  buffer_.resize(kReadBuffer);
  return true;
}

void TextFileReader::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  pos_ = end_ = 0;
  pending_.clear();
  pendingPos_ = 0;
  eof_ = error_ = continues_ = false;
  atStart_ = true;
  lineNumber_ = 0;
}

bool TextFileReader::Fill() {
  if (eof_ || error_ || fd_ < 0) return false;
  for (;;) {
    ssize_t got = read(fd_, buffer_.data(), buffer_.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error_ = true;
      SetLastErrorFromErrno("cannot read text file", errno);
      return false;
    }
    if (got == 0) {
      eof_ = true;
      return false;
    }
    pos_ = 0;
    end_ = static_cast<size_t>(got);
    return true;
  }
}

bool TextFileReader::Peek(char* c) {
  if (pendingPos_ < pending_.size()) {
    *c = pending_[pendingPos_];
    return true;
  }
  if (pos_ == end_ && !Fill()) return false;
  *c = buffer_[pos_];
  return true;
}

void TextFileReader::Advance() {
  if (pendingPos_ < pending_.size()) {
    if (++pendingPos_ == pending_.size()) {
      pending_.clear();
      pendingPos_ = 0;
    }
    return;
  }
  ++pos_;
}

void TextFileReader::PutBack(std::string_view bytes) {
  pending_ = std::string(bytes) + pending_.substr(pendingPos_);
  pendingPos_ = 0;
}

bool TextFileReader::ReadLine(std::string& line) {
  line.clear();
  if (fd_ < 0 || error_) return false;
  if (atStart_) {  // a UTF-8 byte-order mark
    atStart_ = false;
    std::string head;
    char c;
    static constexpr unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};
    while (head.size() < 3 && Peek(&c) && static_cast<unsigned char>(c) == kBom[head.size()]) {
      head += c;
      Advance();
    }
    if (error_) return false;
    if (head.size() < 3) PutBack(head);
  }
  if (!continues_) ++lineNumber_;
  continues_ = false;
  std::string raw;
  bool any = false;
  auto cutAtLimit = [&]() {
    size_t keep = Utf8SafeLength(raw.data(), raw.size());
    if (keep == 0 || !IsValidUtf8(std::string_view(raw).substr(0, keep))) keep = raw.size();
    PutBack(std::string_view(raw).substr(keep));
    raw.resize(keep);
    continues_ = true;
  };
  for (;;) {
    char c;
    if (!Peek(&c)) {
      if (error_) return false;
      if (!any) {
        if (lineNumber_ > 0) --lineNumber_;
        return false;
      }
      break;  // a last line without its end
    }
    any = true;
    if (c == '\n') {
      Advance();
      break;
    }
    if (c == '\r') {
      Advance();
      char next;
      if (!Peek(&next)) {
        if (error_) return false;
        break;
      }
      if (next == '\n') {
        Advance();
        break;
      }
      if (raw.size() >= maxLine_) {  // the CR is text of the next piece
        PutBack("\r");
        cutAtLimit();
        break;
      }
      raw += '\r';
      continue;
    }
    if (raw.size() >= maxLine_) {
      cutAtLimit();
      break;
    }
    raw += c;
    Advance();
  }
  line = ToUtf8(raw);
  return true;
}

bool TextFileReader::ReadLineStart(std::string& line) {
  if (!ReadLine(line)) return false;
  std::string rest;
  while (continues_ && ReadLine(rest)) {
  }
  return !error_;
}

bool ReadTextLines(const char* name, std::vector<std::string>* lines) {
  if (!lines) return false;
  lines->clear();
  TextFileReader reader;
  if (!reader.Open(name)) return false;
  std::string line;
  std::string whole;
  while (reader.ReadLine(line)) {
    whole += line;
    if (reader.Continues()) continue;
    lines->push_back(std::move(whole));
    whole.clear();
  }
  return !reader.Error();
}

bool WriteTextLines(const char* name, const std::vector<std::string>& lines) {
  TextFileWriter writer;
  if (!writer.Open(name)) return false;
  for (const auto& line : lines) {
    if (!writer.Write(line) || !writer.Write("\n")) return false;
  }
  return writer.Commit();
}

}  // namespace platform
