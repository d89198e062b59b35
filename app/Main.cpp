// Program entry of the workbench.
//
// qv95 [--snapshot FILE] [--script FILE] [WORKING-FILE]
//
// --snapshot FILE: once the start-up has run and the main window is painted, a PNG of
// the main window (frame, menu bar, toolbar, plot and status bar) is written to FILE
// and the program ends without saving anything (exit code 0, or 1 when the PNG could
// not be written). The other arguments go to the platform's command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "platform/CommandLine.h"
#include "platform/Window.h"
#include "records/Dsp.h"
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
  request->done = true;
  request->written = platform::SnapshotWindow(Win.hWnd_Main, request->path.c_str()) == TRUE;
  if (request->written)
    std::fprintf(stderr, "qv95: main window written to %s\n", request->path.c_str());
  else
    std::fprintf(stderr, "qv95: could not write %s\n", request->path.c_str());
  DestroyWindow(Win.hWnd_Main);
  return platform::IdleResult::Idle;
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
  if (!snapshot.path.empty()) {
    platform::SetIdleHook(SnapshotWhenIdle, &snapshot);
  } else if (platform::ProgramOption("script").empty()) {
    std::fprintf(stderr, "qv95: running headless; use --snapshot FILE to write the main window and end\n");
  }
  int code = WinMain(nullptr, nullptr, GetCommandLine(), SW_SHOWNORMAL);
  platform::SetIdleHook(nullptr, nullptr);
  if (!snapshot.path.empty()) return snapshot.written ? 0 : 1;
  return code;
}
