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
#include "platform/kernel/Sync.h"
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
#include "lineshape/LineShape.h"
#include "sim/SimFile.h"
#include "sim/SimSets.h"
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
    FreeMarkers();
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
    // A view run that a test's File/Open started ends before the next test resets the
    // records it reads.
    for (int i = 0; i < 30000 && (ThreadCtl.View_Running.load() != 0 || ThreadCtl.View_Request.load() != 0); ++i)
      Sleep(2);
    if (ThreadCtl.View_Thread) WaitForSingleObject(ThreadCtl.View_Thread, 60000);
    DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
    FreeSimSets();
    SimLineShapeStoresFree();
    FreeDrawArrays();
    FreeMarkers();
    platform::SetBoxAnswerer(nullptr);
    platform::SetCommonDialogAnswerer(nullptr);
    std::filesystem::current_path(previous_);
    ThreadCtl.View_Started = 0;
  }
  // The marker positions a converted working file read.
  static void FreeMarkers() {
    LFree1Dim(&Cnl.Mks_Pos);
    LFree1Dim(&Cnl.Mks_Dif);
  }
  static void FreeDrawArrays() {
    for (float** array : {&Win.PM_DrawAry, &Win.PM_DrawAry_Sum, &Win.CM_DrawAry1, &Win.CM_DrawAry2, &Win.CM_DrawAry3,
                          &Win.Big_DrawAry, &Win.Res_DrawAry})
      FFree1Dim(array);
    for (float*& array : Win.P_DrawAry) FFree1Dim(&array);
  }

  // Frees the simulation sets a test read, with what freeing a set keeps.
  static void FreeSimSets() {
    for (int16_t s = 0; s < SIM_SETS; ++s) {
      SimFIFreeQVS(s, &Sim, 0);
      LFree1Dim(&Sim.FI_SortIdx[s]);
      LFree1Dim(&Sim.FI_QN_List_Ary[s]);
      DFree1Dim(&Sim.FI_CovMat[s]);
    }
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
  // A simulation file of one line in the data folder (a HITRAN set with hitran), with
  // the given display slope and intercept in its header.
  void SimFile(const std::string& name, bool hitran = false, double slope = 0.0, double intercept = 0.0) {
    VavOde def, h;
    VavOdeDefault(&def);
    VavOdeInit(&h, &def);
    h.Put<int32_t, vav::kLines>(1);
    h.Put<int32_t, vav::kHt>(hitran ? 1 : 0);
    h.Put<double, vav::kSlope>(slope);
    h.Put<double, vav::kIntercept>(intercept);
    std::string bytes(reinterpret_cast<const char*>(h.data()), h.size());
    bytes += std::string(8 + 8 + 4 + 4 + 1 + 12, '\0');
    if (hitran) bytes += std::string(4 * 4 + 2, '\0');
    WriteAll(Path(name + ".QVS"), bytes);
  }
  // Boxes other than the partition-function warning of a HITRAN set read while no
  // partition functions are linked in.
  std::vector<std::string> BoxesBesidesTipsWarnings() const {
    std::vector<std::string> texts;
    for (const auto& box : platform::BoxLog())
      if (box.text.find("TIP(Q) FUNCTION NOT FOUND") == std::string::npos) texts.push_back(box.text);
    return texts;
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
