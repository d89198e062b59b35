// Shared fixture of the core tests: fresh records, a scripted message-box answerer,
// and the current folder moved into a temporary folder (the debug log is written
// to the current folder).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/DebugLog.h"
#include "platform/windows/MessageBox.h"
#include "records/Debug.h"
#include "records/Win.h"
#include "tests/support/TempDir.h"

namespace qvtest {

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Debug = DebugRecord{};
    Win = WinRecord{};
    Win.hWnd_Main = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5150));
    platform::ClearBoxLog();
    platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override {
    DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);  // closes a log left open
    platform::SetBoxAnswerer(nullptr);
    std::filesystem::current_path(previousFolder_);
  }

  std::string ReadLog() const {
    std::ifstream in(dir_.File(DEBUG_LOG_FILE_NAME), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  TempDir dir_;
  std::filesystem::path previousFolder_;
};

}  // namespace qvtest
