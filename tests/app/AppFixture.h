// Shared fixture of the program tests: fresh records, a folder of its own that is the
// current folder and the data folder, scripted boxes and file dialogs. MainWindowTest
// adds the main window on the test's thread.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/DebugLog.h"
#include "core/TypedArrays.h"
#include "platform/windows/CommonDialogs.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Cnl.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/FgPrm.h"
#include "records/Ga.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "support/TempDir.h"

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
    Cnl = CnlRecord{};
    ThreadCtl.View_Started = 1;  // no view thread in these tests
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    StrCopy(Dsp.Data_Dir, dir_.Path().c_str());
    platform::ClearBoxLog();
    platform::ClearCommonDialogLog();
    platform::SetBoxAnswerer([this](const platform::BoxRequest& box) {
      if (answers_.empty()) return (box.style & 0xF) == 0x4 ? IDNO : IDOK;
      int answer = answers_.front();
      answers_.pop_front();
      return answer;
    });
    platform::SetCommonDialogAnswerer([this](const platform::CommonDialogRequest&) {
      platform::CommonDialogAnswer answer;
      if (!chosen_.empty()) {
        answer.accepted = true;
        answer.value = chosen_.front();
        chosen_.pop_front();
      }
      return answer;
    });
  }
  void TearDown() override {
    DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
    FreeDrawArrays();
    platform::SetBoxAnswerer(nullptr);
    platform::SetCommonDialogAnswerer(nullptr);
    std::filesystem::current_path(previous_);
    ThreadCtl.View_Started = 0;
  }
  static void FreeDrawArrays() {
    for (float** array : {&Win.PM_DrawAry, &Win.PM_DrawAry_Sum, &Win.CM_DrawAry1, &Win.CM_DrawAry2, &Win.CM_DrawAry3,
                          &Win.Big_DrawAry, &Win.Res_DrawAry})
      FFree1Dim(array);
    for (float*& array : Win.P_DrawAry) FFree1Dim(&array);
  }

  std::string Path(const std::string& name) const { return dir_.File(name); }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
  }
  // A float file of n points in the data folder.
  void DataFile(const std::string& name, int n) { WriteAll(Path(name), std::string(static_cast<size_t>(n) * 4, '\0')); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& box : platform::BoxLog()) texts.push_back(box.text);
    return texts;
  }

  TempDir dir_;
  std::filesystem::path previous_;
  std::deque<int> answers_;         // answers to the next boxes (default No / OK)
  std::deque<std::string> chosen_;  // paths chosen in the next file dialogs (default cancel)
};

}  // namespace qvtest
