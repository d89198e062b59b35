// The program's command line and its own path.
//
// main() hands its arguments to SetProgramArguments, which takes our own options off
// (--script FILE or --script=FILE; "--" ends the options) and keeps the command line
// in the shape the system parses: the program path in double quotes, a blank, and the
// working file's path in double quotes, or only the trailing blank when none is given:
//   "/path/qv95" "/data/x.QVW"      or      "/path/qv95" (followed by a blank)
// The program path is the program's own file (GetModuleFileName); a relative working
// file is made absolute against the current folder. Arguments after the working file
// are ignored.
#pragma once

#include <string>

#include "platform/kernel/WinTypes.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

// The command line in the shape above; before SetProgramArguments, the program path
// alone. The text stays valid until the next SetProgramArguments.
const char* GetCommandLine();
// The program's own path (module nullptr) into buffer: the length written, or cap when
// it was cut (the text is still terminated); 0 on failure.
DWORD GetModuleFileName(HMODULE module, char* buffer, DWORD cap);

namespace platform {

// False (with the error text) when an option lacks its value or is unknown; the
// command line is set from the rest all the same.
bool SetProgramArguments(int argc, const char* const* argv);
// The value of one of our options ("script"), empty when not given.
std::string ProgramOption(const char* name);
// The working file as given (after our options), empty when none.
std::string ProgramWorkingFile();
// The program's own path (/proc/self/exe), empty when it cannot be read.
std::string ProgramPath();

}  // namespace platform
