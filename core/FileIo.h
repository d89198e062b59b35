// Small building blocks shared by the file-manipulation library and the marker files:
// boxes owned by the main window, the main window's status-bar parts, block reads of
// headerless binary files, binary outputs written through a temporary file, text
// lines of a bounded length, and "C"-locale field scans in the manner of "%lf" and
// "%ld".
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/kernel/WinTypes.h"
#include "platform/windows/MessageBox.h"

namespace core_io {

// ---- boxes owned by the main window ---------------------------------------------------
// Each style is built from its modality, icon and button set, so a style names exactly
// one set of buttons.
constexpr UINT kWarningStyle = MB_SYSTEMMODAL | MB_ICONEXCLAMATION;                   // 0x1030
constexpr UINT kErrorStyle = MB_SYSTEMMODAL | MB_ICONHAND;                            // 0x1010
constexpr UINT kInfoStyle = MB_SYSTEMMODAL | MB_ICONASTERISK;                         // 0x1040
constexpr UINT kQuestionStyle = MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO;          // 0x1024
constexpr UINT kQuestion3Style = MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNOCANCEL;   // 0x1023
static_assert(kWarningStyle == 0x1030 && kErrorStyle == 0x1010 && kInfoStyle == 0x1040 &&
              kQuestionStyle == 0x1024 && kQuestion3Style == 0x1023);

void Warning(const std::string& text);
void Error(const std::string& text);
void Info(const std::string& text);
// True when the user answered Yes.
bool AskYesNo(const std::string& text);
// A "Question" box with Yes, No and Cancel: IDYES, IDNO or IDCANCEL.
int AskYesNoCancel(const std::string& text);

// Sets part `part` of the main window's status bar (nothing while no status bar exists).
void StatusText(int32_t part, const std::string& text);

// ---- file names made from other names -------------------------------------------------
// File names are held in fields of kNameSize bytes with their terminator. A name made
// by appending to another, or by joining a folder and a name, must fit whole: a cut
// one would name another file.
constexpr size_t kNameSize = 200;
// True when name fits a field of cap bytes; else the "Warning" box
// "FILE NAME [name] TOO LONG\n\nABORTING" and false.
bool NameFits(const std::string& name, size_t cap = kNameSize);
// base followed by suffix into out (cap bytes); a name that does not fit is refused
// as NameFits does and out keeps what it held. base may be out itself.
bool NameWithSuffix(char* out, size_t cap, const char* base, const std::string& suffix);
template <size_t N>
bool NameWithSuffix(char (&out)[N], const char* base, const std::string& suffix) {
  return NameWithSuffix(out, N, base, suffix);
}

// ---- headerless binary input, read sequentially in blocks ------------------------------
class BinIn {
 public:
  BinIn() = default;
  ~BinIn();
  BinIn(const BinIn&) = delete;
  BinIn& operator=(const BinIn&) = delete;

  bool Open(const char* name);  // through MapPath
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  uint64_t SizeBytes() const;
  // Moves the read position to byte offset.
  void Seek(uint64_t offset) { pos_ = offset; }
  uint64_t Position() const { return pos_; }
  // Reads up to count elements of width bytes at the read position; returns the
  // number of whole elements read (fewer only at the end of the file or on an error).
  size_t Read(void* data, size_t count, size_t width);
  bool Failed() const { return failed_; }

 private:
  int fd_ = -1;
  uint64_t pos_ = 0;
  bool failed_ = false;
};

// ---- binary output: a temporary file beside the target, renamed over it by Commit -------
// While a platform::KeepReplacedFiles scope lives on the thread, a commit over an
// existing file keeps the replaced file and the next Open in the same folder writes
// over it instead of creating a new temporary file.
class BinOut {
 public:
  BinOut() = default;
  ~BinOut();  // removes the temporary file unless committed
  BinOut(const BinOut&) = delete;
  BinOut& operator=(const BinOut&) = delete;

  bool Open(const char* name);  // through MapPath; the target is not touched yet
  bool Write(const void* data, size_t bytes);
  // Closes the temporary file and renames it over the target; false on any failure
  // (the old target then stays as it was).
  bool Commit();
  void Abort();
  bool IsOpen() const { return fd_ >= 0; }
  // Closes the temporary file but keeps it, so that it can be worked on under its own
  // name (TempPath) before Commit renames it over the target or Abort removes it;
  // false when a write or the close failed (the file is then removed).
  bool CloseKeep();
  const std::string& TempPath() const { return temp_; }

 private:
  bool CutAndClose();

  int fd_ = -1;
  std::string target_;
  std::string temp_;
  bool failed_ = false;
  bool reused_ = false;  // written over a kept replaced file: cut to length at the close
};

// ---- text lines ----------------------------------------------------------------------
// Reads a text file in pieces of at most maxPiece bytes, as a fixed-size line buffer
// does: a longer line comes in several pieces. CR LF, LF and a lone CR all end a line.
class LineIn {
 public:
  explicit LineIn(size_t maxPiece) : maxPiece_(maxPiece < 1 ? 1 : maxPiece) {}
  ~LineIn();
  LineIn(const LineIn&) = delete;
  LineIn& operator=(const LineIn&) = delete;

  bool Open(const char* name);  // through MapPath
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  void Rewind();
  // The next piece without its line end; false at the end of the file.
  bool Next(std::string& piece);
  // The next whole line cut to its first maxPiece bytes: the rest of a longer line is
  // passed over, so that it never reads as a line of its own. False at the end.
  bool NextLine(std::string& line);

 private:
  std::FILE* file_ = nullptr;
  size_t maxPiece_;
};

// ---- field scans in the "C" locale -----------------------------------------------------
// Each scan skips leading blanks (blanks, tabs, line ends) and reads the longest prefix
// that forms a number, as scanf's "%lf" and "%ld" do; p moves past what was read. A
// failed scan leaves p unspecified.
bool ScanDouble(const char*& p, double* value);
bool ScanLong(const char*& p, int32_t* value);

// Scans a line with a format made only of "%*lf" (skip a floating field), "%lf" and
// "%f" (read a floating field, ignored here), "%ld" (the integer that is returned) and
// blanks. True when every conversion up to and including the "%ld" succeeded.
bool ScanFormatLong(const char* line, const char* format, int32_t* value);

// Field c (1-based) of a line, the fields before it read as floating fields
// ("%*lf" c - 1 times), then the field itself as "%lf" or "%ld".
bool ScanColumnDouble(const char* line, int32_t column, double* value);
bool ScanColumnLong(const char* line, int32_t column, int32_t* value);

}  // namespace core_io
