// Text files as the system writes and reads them.
//
// TextFileWriter writes UTF-8 text into a temporary file beside the target, as
// Windows-1252 with every line end as CR LF, and replaces the target only in
// Commit, after every write, the flush to the disk and the close succeeded. A failed
// write, Abort or destroying the writer without Commit removes the temporary file
// and leaves the old target as it was. Opened in place, it writes the target itself.
//
// TextFileReader reads lines ended by CR LF or LF (the last line may lack its end),
// strips a UTF-8 byte-order mark at the start, and returns each line as UTF-8: a
// line that is valid UTF-8 stays as it is, any other line is read as Windows-1252.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/WinTypes.h"

namespace platform {

class TextFileWriter {
 public:
  TextFileWriter() = default;
  ~TextFileWriter();  // aborts unless committed
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  // Starts a new text for the file name (through MapPath). The target itself is not
  // touched until Commit. False (with the error text) when no temporary file can be
  // created in the target's folder.
  bool Open(const char* name);
  // Starts a new text written straight into the file itself (created, or emptied
  // now), for a log that must be readable while it grows: what Flush wrote is in the
  // file and stays there whatever happens later. Commit then writes out the rest and
  // closes the file; Abort and the end of the writer do the same without the flush
  // to the disk.
  bool OpenInPlace(const char* name);
  bool IsOpen() const { return fd_ >= 0; }

  // Appends UTF-8 text; each "\n" is written as CR LF (a "\r\n" given stays one
  // CR LF). Characters outside Windows-1252 are written as '?' (see Lossless).
  // False once any write has failed; the writer then only waits for Abort or its end.
  bool Write(std::string_view utf8);
  bool Printf(const char* fmt, ...) QV_PRINTF(2, 3);
  // Hands what is buffered to the file (to the system, not to the disk).
  bool Flush();

  // Writes out what is buffered, flushes it to the disk, closes the file and renames
  // it over the target. On any failure the temporary file is removed, the old target
  // stays and the result is false (with the error text).
  bool Commit();
  // Removes the temporary file; the target stays as it was.
  void Abort();

  bool Failed() const { return failed_; }
  // Every character written so far had a Windows-1252 byte.
  bool Lossless() const { return lossless_; }
  const std::string& TargetPath() const { return target_; }
  const std::string& TempPath() const { return temp_; }

 private:
  // Resets the writer for a new text of the file name; false without a name.
  bool Begin(const char* name, bool inPlace);
  void Fail(const char* what, int errnum);

  int fd_ = -1;
  bool inPlace_ = false;
  std::string target_;
  std::string temp_;
  std::string buffer_;
  bool failed_ = false;
  bool lossless_ = true;
  bool lastWasCr_ = false;
};

class TextFileReader {
 public:
  static constexpr size_t kDefaultMaxLine = 65536;

  // maxLine: the longest line, in bytes of the file, returned in one piece (at least 4).
  explicit TextFileReader(size_t maxLine = kDefaultMaxLine);
  ~TextFileReader();
  TextFileReader(const TextFileReader&) = delete;
  TextFileReader& operator=(const TextFileReader&) = delete;

  bool Open(const char* name);  // through MapPath
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // The next line without its end, as UTF-8. False at the end of the file, on a read
  // error (Error() then tells) or when no file is open.
  //
  // A line longer than maxLine bytes comes in pieces: each piece but the last holds
  // at most maxLine bytes (fewer when the cut would split a UTF-8 sequence) and
  // Continues() is true after it; the last piece ends the line as usual. Every piece
  // is converted on its own. A CR that is not followed by LF (or by the end of the
  // file) is text.
  bool ReadLine(std::string& line);
  bool Continues() const { return continues_; }
  // The next line as one line whatever its length: its first piece (as ReadLine gives
  // it), the rest of a longer line passed over. For files of one record per line.
  bool ReadLineStart(std::string& line);
  bool Error() const { return error_; }
  // The number (from 1) of the file line the last piece came from.
  int64_t LineNumber() const { return lineNumber_; }

 private:
  bool Peek(char* c);
  void Advance();
  void PutBack(std::string_view bytes);
  bool Fill();

  size_t maxLine_;
  int fd_ = -1;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t end_ = 0;
  std::string pending_;  // bytes put back, read before the buffer
  size_t pendingPos_ = 0;
  bool eof_ = false;
  bool error_ = false;
  bool atStart_ = true;
  bool continues_ = false;
  int64_t lineNumber_ = 0;
};

// Reads a whole text file as UTF-8 lines (CR LF or LF; see TextFileReader).
bool ReadTextLines(const char* name, std::vector<std::string>* lines);
// Writes lines (UTF-8) as a Windows-1252 text file with CR LF after every line,
// replacing the file only when everything was written.
bool WriteTextLines(const char* name, const std::vector<std::string>& lines);

}  // namespace platform
