// Program entry of the workbench.
//
// qv95 [--snapshot FILE] [--script FILE] [WORKING-FILE]
// qv95 --help | --version
//
// --snapshot FILE: once the start-up and the view-file preparation have run and the
// main window is painted, a PNG of the main window (frame, menu bar, toolbar, plot and
// status bar) is written to FILE and the program ends without saving anything (exit
// code 0, or 1 when the PNG could not be written).
// --script FILE: runs headless and replays the actions of FILE (platform/driver/Script.h)
// once the start-up has run; exit code 0 when every line held, else 1 with the
// failing line on stderr.
// --help, --version: the usage or the version on stdout, exit code 0, nothing else.
// An unknown option, or an option without its value: the usage on stderr, exit code 2.
// Otherwise the program opens real windows when a display is there; without one it
// runs headless and writes the main window to qv95-main-window.png in the folder it
// was started in, as --snapshot would.
// The other arguments go to the platform's command line.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/Version.h"
#include "platform/kernel/CommandLine.h"
#include "platform/kernel/Error.h"
#include "platform/kernel/Files.h"
#include "platform/frontend/FrontEnd.h"
#include "platform/driver/Script.h"
#include "platform/kernel/Sync.h"
#include "platform/windows/Window.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

namespace {

struct SnapshotRequest {
  std::string path;
  bool done = false;
  bool written = false;
};

// Idle turn of the interface thread: after the first paint, the snapshot and the end.
platform::IdleResult SnapshotWhenIdle(void* context) {
  auto* request = static_cast<SnapshotRequest*>(context);
  if (request->done || !Win.hWnd_Main || !IsWindow(Win.hWnd_Main)) return platform::IdleResult::Idle;
  if (Dsp.Init_Done == 0) return platform::IdleResult::Poll;
  // The channels are drawn once the view-file preparation has ended (its last step
  // repaints the main window).
  if (ThreadCtl.View_Thread && WaitForSingleObject(ThreadCtl.View_Thread, 0) == WAIT_TIMEOUT)
    return platform::IdleResult::Poll;
  request->done = true;
  request->written = platform::SnapshotWindow(Win.hWnd_Main, request->path.c_str()) == TRUE;
  if (request->written)
    std::fprintf(stderr, "qv95: main window written to %s\n", request->path.c_str());
  else
    std::fprintf(stderr, "qv95: could not write %s\n", request->path.c_str());
  DestroyWindow(Win.hWnd_Main);
  return platform::IdleResult::Idle;
}

struct ScriptRequest {
  platform::ScriptRunner runner;
  bool started = false;
  int code = 1;
};

// Idle turn of the interface thread: once the start-up has run, the script takes over
// the idle turns.
platform::IdleResult StartScriptWhenReady(void* context) {
  auto* request = static_cast<ScriptRequest*>(context);
  if (request->started || !Win.hWnd_Main || !IsWindow(Win.hWnd_Main)) return platform::IdleResult::Idle;
  if (Dsp.Init_Done == 0) return platform::IdleResult::Poll;
  request->started = true;
  platform::ScriptOptions options;
  options.mainWindow = Win.hWnd_Main;
  options.busy = [] { return ProgramWorkersBusy(); };
  options.childWindow = [](int channel, int kind) -> HWND {
    if (channel < 0 || channel >= WIN_CHN || kind < 0 || kind >= WIN_KINDS) return nullptr;
    return Win.hWnd_Child[channel][kind];
  };
  options.finished = [request](int code) {
    request->code = code;
    PostQuitMessage(code);
  };
  request->runner.Start(options);
  return platform::IdleResult::Again;
}

constexpr const char* kUsage =
    "usage: qv95 [--snapshot FILE] [--script FILE] [WORKING-FILE]\n"
    "       qv95 --help | --version\n"
    "\n"
    "  WORKING-FILE     the working file (.QVW) to open; its folder becomes the data folder\n"
    "  --snapshot FILE  write a PNG of the main window once it has started up, then end\n"
    "  --script FILE    replay a file of user actions headless (exit code 0 when all held)\n"
    "  --help           print this text\n"
    "  --version        print the version\n"
    "\n"
    "With a display the workbench opens its windows; without one it runs headless and\n"
    "writes the main window to qv95-main-window.png in the current folder.\n";

// The arguments read: --snapshot taken off, the rest for the platform's command line.
struct Arguments {
  enum class Ask { Run, Help, Version, Wrong } ask = Ask::Run;
  std::string wrong;  // why the arguments were refused
};

Arguments ReadArguments(int argc, char** argv, SnapshotRequest* snapshot, std::vector<const char*>* rest) {
  Arguments a;
  bool optionsEnded = false;
  rest->push_back(argc > 0 ? argv[0] : "qv95");
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      rest->push_back(argv[i]);
    } else if (arg == "--") {
      optionsEnded = true;
      rest->push_back(argv[i]);
    } else if (arg == "--help" || arg == "-h") {
      if (a.ask == Arguments::Ask::Run) a.ask = Arguments::Ask::Help;
    } else if (arg == "--version") {
      if (a.ask == Arguments::Ask::Run) a.ask = Arguments::Ask::Version;
    } else if (arg == "--snapshot" || arg == "--script") {
      if (i + 1 >= argc) {
        a.ask = Arguments::Ask::Wrong;
        a.wrong = "option " + arg + " needs a file name";
        break;
      }
      if (arg == "--snapshot") {
        snapshot->path = argv[++i];
      } else {
        rest->push_back(argv[i]);
        rest->push_back(argv[++i]);
      }
    } else if (arg.rfind("--snapshot=", 0) == 0) {
      snapshot->path = arg.substr(11);
    } else if (arg.rfind("--script=", 0) == 0) {
      rest->push_back(argv[i]);
    } else {
      a.ask = Arguments::Ask::Wrong;
      a.wrong = "unknown option " + arg;
      break;
    }
  }
  return a;
}

}  // namespace

int main(int argc, char** argv) {
  // A write past a file-size limit fails as a write to a full disk does (every writer
  // reports that) instead of ending the program; started programs get the signal's
  // default action back (platform::StartProcess).
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, nullptr);
  SnapshotRequest snapshot;
  std::vector<const char*> rest;
  const Arguments arguments = ReadArguments(argc, argv, &snapshot, &rest);
  switch (arguments.ask) {
    case Arguments::Ask::Help:
      std::fputs(kUsage, stdout);
      return 0;
    case Arguments::Ask::Version:
      std::printf("%s %s\n", QV95_PROGRAM_NAME, QV95_VERSION);
      return 0;
    case Arguments::Ask::Wrong:
      std::fprintf(stderr, "qv95: %s\n%s", arguments.wrong.c_str(), kUsage);
      return 2;
    case Arguments::Ask::Run:
      break;
  }
  if (!platform::SetProgramArguments(static_cast<int>(rest.size()), rest.data())) {
    std::fprintf(stderr, "qv95: %s\n%s", platform::LastErrorText().c_str(), kUsage);
    return 2;
  }
  const std::string scriptPath = platform::ProgramOption("script");
  ScriptRequest script;
  if (!snapshot.path.empty()) {
    platform::SetIdleHook(SnapshotWhenIdle, &snapshot);
  } else if (!scriptPath.empty()) {
    std::string error;
    if (!script.runner.Load(scriptPath, &error)) {
      std::fprintf(stderr, "qv95: %s\n", error.c_str());
      return 2;
    }
    platform::SetIdleHook(StartScriptWhenReady, &script);
  } else if (!(platform::FrontEndAvailable() && platform::StartFrontEnd())) {
    // Without a display there is nobody to work with the window: show what it would
    // look like and end.
    char folder[1024] = "";
    GetCurrentDirectory(sizeof folder, folder);
    snapshot.path = std::string(folder) + "/qv95-main-window.png";
    std::fprintf(stderr, "qv95: no display: running headless\n");
    platform::SetIdleHook(SnapshotWhenIdle, &snapshot);
  }
  int code = WinMain(nullptr, nullptr, GetCommandLine(), SW_SHOWNORMAL);
  platform::SetIdleHook(nullptr, nullptr);
  platform::StopFrontEnd();
  if (!snapshot.path.empty()) return snapshot.written ? 0 : 1;
  if (!scriptPath.empty()) {
    const int result = script.started ? script.runner.Finish() : 1;
    if (!script.started) std::fprintf(stderr, "qv95: script not started: the program ended first\n");
    return result;
  }
  return code;
}
