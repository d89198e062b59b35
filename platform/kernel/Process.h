// Processes: starting other programs with or without a waitable handle, and the
// shell's stand-ins for opening a document in an editor and starting a program.
//
// A process handle is a kernel object (Sync.h): WaitForSingleObject on it returns
// once the child has ended, with the bound given; CloseHandle releases the handle
// (the child runs on and is still reaped). A command string has the Windows shape:
// the program (in double quotes when it holds blanks) and then its arguments, split
// as SplitCommandLine describes. The program name goes through MapPath; a name
// without a slash is searched along PATH.
#pragma once

#include <string>
#include <vector>

#include "platform/kernel/WinTypes.h"

struct PROCESS_INFORMATION {
  HANDLE hProcess = nullptr;
  HANDLE hThread = nullptr;  // always nullptr here
  DWORD dwProcessId = 0;
  DWORD dwThreadId = 0;
};

// Starts commandLine (or application with commandLine's arguments when application
// is given) in currentDirectory (nullptr: ours). info->hProcess is the waitable
// handle, to be closed with CloseHandle.
BOOL CreateProcess(const char* application, const char* commandLine, const char* currentDirectory,
                   PROCESS_INFORMATION* info);
// STILL_ACTIVE while the process runs; afterwards its exit status, or the code given
// to TerminateProcess, or 128 + the signal number when a signal ended it.
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);
// Kills the process and the programs it started in its process group (SIGKILL);
// its exit code becomes exitCode. TRUE when it has already ended.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
DWORD GetProcessId(HANDLE process);

namespace platform {

// Splits a Windows-style command string into arguments. The program name ends at
// the next double quote when it begins with one, else at the first blank or tab.
// The arguments follow the classic rules: blanks and tabs separate them outside
// double quotes; 2n backslashes before a double quote give n backslashes and the
// quote opens or closes a quoted part; 2n+1 backslashes before it give n backslashes
// and a literal quote; "" inside a quoted part gives one literal quote; other
// backslashes are literal.
std::vector<std::string> SplitCommandLine(const char* commandLine);

// Starts the program argv[0] (through MapPath; searched along PATH when it holds no
// slash) with argv, in folder (nullptr: ours). Returns the waitable process handle,
// or nullptr with the error text set.
HANDLE StartProcess(const std::vector<std::string>& argv, const char* folder = nullptr);
// Starts a Windows-style command string; handle as above.
HANDLE StartCommand(const char* commandLine, const char* folder = nullptr);
// Starts a command string without waiting for it and without a handle.
BOOL StartCommandDetached(const char* commandLine, const char* folder = nullptr);

// The shell's "start a program by name" (for example an editor): program (a name on
// PATH or a path) with the parameters given as a Windows-style argument string,
// not waited for.
BOOL ShellStartProgram(const char* program, const char* parameters, const char* folder = nullptr);

// The shell's "open" verb for a document: starts the editor command with the
// document's path (through MapPath) appended as its last argument, not waited for.
// The editor command is a Windows-style command string set with SetEditorCommand;
// until set (or after SetEditorCommand(nullptr)) it is "xdg-open" when that is found
// on PATH, and the call fails with an error text otherwise.
BOOL ShellOpenDocument(const char* path);
void SetEditorCommand(const char* command);
std::string EditorCommand();

// Full path of program found along PATH (or program itself when it holds a slash and
// exists); empty when not found.
std::string FindProgram(const std::string& program);

}  // namespace platform
