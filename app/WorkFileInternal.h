// Shared pieces of the working-file readers, writer and converters.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/WinTypes.h"

namespace workfile {

// Conversions over the blank-separated tokens of a text, as a scan format would make
// them, but each token is taken whole: a token that is not wholly a number of the
// asked kind, or a text longer than its field, fails the conversion and every later
// one. Count() is the number of stored conversions.
class FieldScan {
 public:
  explicit FieldScan(std::string_view text);
  bool Skip();     // %*s
  bool SkipInt();  // %*d
  bool SkipReal(); // %*lf
  bool Int(int64_t* value);
  bool Hex(int64_t* value);
  bool Real(double* value);
  bool Text(char* dst, size_t cap);
  template <size_t N>
  bool Text(char (&dst)[N]) { return Text(dst, N); }
  template <class T>
  bool IntTo(T* value) {
    int64_t v = 0;
    if (!Int(&v)) return false;
    *value = static_cast<T>(v);
    return true;
  }
  template <class T>
  bool HexTo(T* value) {
    int64_t v = 0;
    if (!Hex(&v)) return false;
    *value = static_cast<T>(static_cast<uint16_t>(v));
    return true;
  }
  template <class T>
  bool RealTo(T* value) {
    double v = 0;
    if (!Real(&v)) return false;
    *value = static_cast<T>(v);
    return true;
  }
  int Count() const { return count_; }
  bool Failed() const { return failed_; }
  // A token was there but did not convert (or did not fit): the file is bad. A
  // conversion that found no token at all is not counted here.
  bool Bad() const { return bad_; }

 private:
  const std::string* Next();
  std::vector<std::string> tokens_;
  size_t pos_ = 0;
  int count_ = 0;
  bool failed_ = false;
  bool bad_ = false;
};

// Every record field that a working file or a converter sets, so that a reader can
// work on a scratch copy and a converter can put everything back when it gives up.
struct WorkFileState;
WorkFileState* StateGather();          // a new copy of the records' fields
void StateApply(const WorkFileState& state);
void StateFree(WorkFileState* state);

// One "Warning" box (0x1030) owned by the main window.
void Warn(const char* text);
int Ask(const char* text);  // "Question" Yes/No (0x1024): IDYES or IDNO
void Info(const char* text);
// Status text of the main window's status bar (part 0..3).
void Status(int part, const char* text);
void WaitCursor(bool wait);

// data folder + "\" + name (the bare name when no data folder is set).
std::string DataPath(const char* name);
bool FileSize(const std::string& path, int64_t* bytes);

// Line read as a 499-character line buffer gives it (at most 498 characters, through
// the line end). False at end of file.
bool ReadLinePiece(FILE* f, std::string* line, size_t max = 498);
// Next blank-separated token of an older working file (no comments); an overlong
// token is cut. False at end of file.
bool ReadToken(FILE* f, std::string* token);
FILE* OpenRead(const char* name);

// The name up to its last "." followed by "QVW" (".QVW" appended without a ".").
std::string QvwNameOf(const char* oldName);
// Asks before an existing working file of the new name is replaced. true: go on. On
// No it says that oldName was not converted and the existing file kept, and sets
// *declined (when given). A new name too long for the working-file name is refused
// with a warning before the question.
bool MayReplace(const std::string& newName, const std::string& oldName, bool* declined);
// Writes the converted records under newName; on failure the old working-file name
// comes back. 1 or 0.
int32_t WriteConverted(const std::string& newName);

// The converters as the dispatch calls them: *declined tells that the user kept an
// existing working file of the new name, which the converter has already said.
int32_t ConvertPelkOld(bool* declined);
int32_t ConvertDefaul(bool* declined);
int32_t ConvertMassComp(bool* declined);

}  // namespace workfile
