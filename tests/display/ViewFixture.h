// Shared fixture of the view-command tests: fresh records, the real main window
// (start-up already done, so its first paint draws nothing), a folder of its own as
// the data folder, a channel file of 5000 points, and a plain page geometry:
// 1000 pixels wide, 100000 raw points, 0.5 frequency units per point from f0 = 1000.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "core/TypedArrays.h"
#include "core/Coords.h"
#include "display/ViewKeys.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Sync.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Sim.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "tests/support/TempDir.h"

namespace qvtest {

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WaitViewIdle();
    HANDLE stop = ThreadCtl.View_StopEvent;
    HANDLE stopped = ThreadCtl.View_StoppedEvent;
    Win = WinRecord{};
    FreeViewArrays();
    Dsp = DspRecord{};
    Sim = SimRecord{};
    Cnl = CnlRecord{};
    Cnv = CnvRecord{};
    if (ThreadCtl.View_Thread) CloseHandle(ThreadCtl.View_Thread);
    ThreadCtl = ThreadCtlRecord{};
    // The view thread's events are made once and kept for every run.
    ThreadCtl.View_StopEvent = stop;
    ThreadCtl.View_StoppedEvent = stopped;
    platform::ClearBoxLog();
    platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    StrCopy(Dsp.Data_Dir, dir_.Path().string().c_str());
    WriteChannelFile("chan.bin", 5000);
    for (auto& name : Dsp.Chn_Flnm) StrCopy(name, "chan.bin");

    Dsp.Init_Done = 1;
    ASSERT_NE(InitApplication(nullptr), 0);
    ASSERT_EQ(InitInstance(nullptr, SW_SHOW), 1);
    platform::driver::PumpUntilIdle();

    Win.Page_Width = 1000;
    Win.Page_Height = 400;
    Win.Plot_Y0 = 30;
    Win.Plot_Top = 0;
    Win.Plot_Bottom = 400;
    Dsp.Init_Frq = 1000.0;
    Dsp.Frq_Stp = 0.5;
    Dsp.FSR = 100.0;
    Dsp.Pts_FSR = 200;
    const double ppp[4] = {100.0, 10.0, 2.5, 1.0};
    for (int v = 0; v < 4; ++v) {
      Dsp.Pts2Pxl[v] = ppp[v];
      Dsp.FrqStpView[v] = ppp[v] * Dsp.Frq_Stp;
    }
    Dsp.FL_SZ[WIN_RAW][0] = 100000;
  }

  void TearDown() override {
    WaitViewIdle();
    FreeViewArrays();
    if (Win.hWnd_Main && IsWindow(Win.hWnd_Main)) DestroyWindow(Win.hWnd_Main);
    platform::driver::PumpUntilIdle();
    UnregisterClass(MAIN_CLASS_NAME, nullptr);
    platform::SetBoxAnswerer(nullptr);
    std::filesystem::current_path(previousFolder_);
  }

  // The view runs that channel keys start leave view arrays behind.
  static void FreeViewArrays() {
    for (auto& level : Dsp.Fl_Pt)
      for (float*& array : level)
        if (array) FFree1Dim(&array);
  }

  static void WaitViewIdle() {
    platform::driver::PumpUntil([] { return ThreadCtl.View_Busy == 0; });
    if (ThreadCtl.View_Thread) WaitForSingleObject(ThreadCtl.View_Thread, 10000);
    platform::driver::PumpUntilIdle();
  }

  void WriteChannelFile(const std::string& name, int points) {
    std::vector<float> values(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i) values[static_cast<size_t>(i)] = static_cast<float>(i % 50);
    FILE* file = std::fopen(dir_.File(name).c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(values.data(), sizeof(float), values.size(), file);
    std::fclose(file);
  }

  // A channel shown and active without the view-file run.
  static void ShowChannel(int16_t c) {
    Dsp.Chn_DspStat[c] = 1;
    Win.Shown_List[Win.Shown_Count++] = c;
    Win.Active_Chn = c;
  }

  static std::string Status(int part) { return platform::StatusText(Win.hWnd_StatusBar, part); }
  static int32_t Key(int32_t key) { return DisplayViewKey(Win.hWnd_Main, key, 1); }
  static int32_t Arrow(int32_t vk, int32_t flags = 0) { return DisplayCursorKey(1, Win.hWnd_Main, vk, flags); }

  TempDir dir_;
  std::filesystem::path previousFolder_;
};

}  // namespace qvtest
