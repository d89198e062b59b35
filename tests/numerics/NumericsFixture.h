// Shared fixture and helpers of the numerics tests: fresh records, an answerer that
// logs every box, the current folder in a temporary folder, and 1-based vectors and
// matrices.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/DebugLog.h"
#include "numerics/Marquardt.h"
#include "platform/windows/MessageBox.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Lsf.h"
#include "records/Win.h"
#include "tests/support/TempDir.h"

namespace qvtest {

class NumericsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MrqRelease(-1);
    Debug = DebugRecord{};
    Dsp = DspRecord{};
    Lsf = LsfRecord{};
    Win = WinRecord{};
    Win.hWnd_Main = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5150));
    platform::ClearBoxLog();
    platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override {
    DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);  // closes a log left open
    MrqRelease(-1);
    platform::SetBoxAnswerer(nullptr);
    std::filesystem::current_path(previousFolder_);
  }

  // The single box shown since SetUp, checked for the error caption and style.
  static std::string OnlyErrorBox() {
    const auto log = platform::BoxLog();
    EXPECT_EQ(log.size(), 1u);
    if (log.empty()) return {};
    EXPECT_EQ(log[0].caption, "Error");
    EXPECT_EQ(log[0].style, 0x1010u);
    EXPECT_EQ(log[0].owner, Win.hWnd_Main);
    return log[0].text;
  }

  std::string ReadLog() const {
    std::ifstream in(dir_.File(DEBUG_LOG_FILE_NAME), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  TempDir dir_;
  std::filesystem::path previousFolder_;
};

// A matrix addressed [1..rows][1..cols] as the routines expect (row 0 and column 0
// exist but carry nothing).
struct Matrix {
  Matrix(int rows, int cols) : data(rows + 1, std::vector<double>(cols + 1, 0.0)), ptrs(rows + 1) {
    for (int i = 0; i <= rows; ++i) ptrs[i] = data[i].data();
  }
  double** p() { return ptrs.data(); }
  double& operator()(int i, int j) { return data[i][j]; }
  std::vector<std::vector<double>> data;
  std::vector<double*> ptrs;
};

}  // namespace qvtest
