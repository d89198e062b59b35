// Program entry of the workbench.
//
// qv95 [--snapshot FILE] [--script FILE] [WORKING-FILE]
//
// --snapshot FILE: once the start-up and the view-file preparation have run and the
// main window is painted, a PNG of the main window (frame, menu bar, toolbar, plot and
// status bar) is written to FILE and the program ends without saving anything (exit
// code 0, or 1 when the PNG could not be written).
// --script FILE: runs headless and replays the actions of FILE (platform/Script.h)
// once the start-up has run; exit code 0 when every line held, else 1 with the
// failing line on stderr.
// Otherwise the program opens real windows when a display is there; without one it
// runs headless and writes the main window to qv95-main-window.png in the folder it
// was started in, as --snapshot would.
// The other arguments go to the platform's command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "platform/kernel/CommandLine.h"
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

}  // namespace

int main(int argc, char** argv) {
  SnapshotRequest snapshot;
  std::vector<const char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::strcmp(argv[i], "--snapshot") == 0 && i + 1 < argc) {
      snapshot.path = argv[++i];
    } else if (i > 0 && std::strncmp(argv[i], "--snapshot=", 11) == 0) {
      snapshot.path = argv[i] + 11;
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (!platform::SetProgramArguments(static_cast<int>(rest.size()), rest.data()))
    std::fprintf(stderr, "qv95: usage: qv95 [--snapshot FILE] [--script FILE] [WORKING-FILE]\n");
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
