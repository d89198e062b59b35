// Shared between the interpreter and its command handlers.
#pragma once

#include <cstdint>
#include <string>

#include "platform/kernel/TextFile.h"

namespace opseq {

// One run of a command file.
struct Run {
  bool going = true;                 // cleared: the run ends at its next line
  platform::TextFileReader* cmd = nullptr;
  platform::TextFileWriter* log = nullptr;
  bool filesOpen = false;
  std::string commandFile;           // name of the command file
  std::string keyword;               // keyword of the current command
  std::string args;                  // its argument line
  int32_t noAutoBlockYet = 1;        // cleared when an automatic block begins

  // Writes text and a line end to the log.
  void LogLine(const std::string& text);
  // Reads the next argument line (comment lines with '#' in column 1 and blank lines
  // are passed over); at the end of the file the last line read stands. Logged.
  void ReadArgs();
  // The failure rule: text to the log, both files closed, a "Warning" box (none when
  // the user stopped the run), run ends.
  void Fail(const std::string& text);
  // Closes the command file and commits the log (each once).
  void CloseFiles();
};

using Handler = void (*)(Run& run);
// The handler of table index i (0 .. 99).
Handler CommandHandler(int32_t index);

}  // namespace opseq
