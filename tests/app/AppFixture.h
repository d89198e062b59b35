// Shared fixture of the program tests: fresh records, a temporary current folder and
// a message-box log; MainWindowTest adds the main window on the test's thread.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "core/DebugLog.h"
#include "core/TypedArrays.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/FgPrm.h"
#include "records/Ga.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "tests/support/TempDir.h"

namespace qvtest {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Win = WinRecord{};
    Dsp = DspRecord{};
    Sim = SimRecord{};
    Debug = DebugRecord{};
    OrvPrm = OrvPrmRecord{};
    Quad = QuadRecord{};
    Ga = GaRecord{};
    FgPrm = FgPrmRecord{};
    platform::ClearBoxLog();
    platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override {
    DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
    FreeDrawArrays();
    platform::SetBoxAnswerer(nullptr);
    std::filesystem::current_path(previous_);
  }
  static void FreeDrawArrays() {
    for (float** array : {&Win.PM_DrawAry, &Win.PM_DrawAry_Sum, &Win.CM_DrawAry1, &Win.CM_DrawAry2, &Win.CM_DrawAry3,
                          &Win.Big_DrawAry})
      FFree1Dim(array);
    for (float*& array : Win.P_DrawAry) FFree1Dim(&array);
  }

  TempDir dir_;
  std::filesystem::path previous_;
};

}  // namespace qvtest
