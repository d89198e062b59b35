// Fixture of the peak-finding and marker-writer tests: fresh records, the current folder in a
// temporary folder, a main status bar whose texts the tests read, and helpers for
// float and text files.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/DebugLog.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MessageBox.h"
#include "platform/driver/TestDriver.h"
#include "platform/windows/Window.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Win.h"
#include "tests/support/TempDir.h"

namespace qvtest {

class MarkerCalibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cnl = CnlRecord{};
    Cnv = CnvRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    Debug = DebugRecord{};
    platform::ClearBoxLog();
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    InitCommonControls();
    frame_ = CreateWindow("STATIC", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    Win.hWnd_StatusBar = CreateStatusWindow(static_cast<LONG>(WS_CHILD), "", frame_, 1);
    const int edges[4] = {100, 200, 300, -1};
    SendMessage(Win.hWnd_StatusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
  }
  void TearDown() override {
    if (frame_) DestroyWindow(frame_);
    Win.hWnd_StatusBar = nullptr;
    DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
    std::filesystem::current_path(previousFolder_);
  }

  static std::string Status(int part) { return platform::driver::StatusText(Win.hWnd_StatusBar, part); }
  static void WriteFloats(const std::string& name, const std::vector<float>& values) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * 4));
  }
  static void WriteText(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }
  static std::string ReadText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The integers of a marker file, one per line.
  static std::vector<long long> ReadMarkers(const std::string& name) {
    std::istringstream in(ReadText(name));
    std::vector<long long> values;
    for (long long v; in >> v;) values.push_back(v);
    return values;
  }

  TempDir dir_;
  std::filesystem::path previousFolder_;
  HWND frame_ = nullptr;
};

}  // namespace qvtest
