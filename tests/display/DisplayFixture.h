// Shared fixture of the display tests: fresh records, a data folder of its own, a
// main window with a four-part status bar, and a scripted message-box answerer.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "display/ViewFiles.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMainWindow.h"

namespace qvtest {

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Win = WinRecord{};
    Dsp = DspRecord{};
    Cnv = CnvRecord{};
    ThreadCtl = ThreadCtlRecord{};
    StrCopy(Dsp.Data_Dir, dir_.Path().string().c_str());
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    platform::ClearBoxLog();
    previousAnswerer_ = platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });

    CreateTestMainWindow("DISPLAY TEST MAIN");
    ThreadCtl.View_StopEvent = CreateEvent(FALSE, FALSE);
    ThreadCtl.View_StoppedEvent = CreateEvent(TRUE, FALSE);
  }

  void TearDown() override {
    DisplayViewAbort();
    for (int16_t c = 0; c <= 8; ++c) DisplayViewArraysFree(c);
    if (ThreadCtl.View_Thread) {
      WaitForSingleObject(ThreadCtl.View_Thread, 60000);
      CloseHandle(ThreadCtl.View_Thread);
    }
    CloseHandle(ThreadCtl.View_StopEvent);
    CloseHandle(ThreadCtl.View_StoppedEvent);
    if (Win.hWnd_Main) DestroyWindow(Win.hWnd_Main);
    platform::SetBoxAnswerer(previousAnswerer_);
    std::filesystem::current_path(previousFolder_);
  }

  // Writes a raw float file of n points, value f(i), in the data folder.
  void WriteRaw(const std::string& name, uint64_t n, const std::function<float(uint64_t)>& f) {
    std::vector<float> values(n);
    for (uint64_t i = 0; i < n; ++i) values[i] = f(i);
    std::ofstream out(dir_.File(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(n * sizeof(float)));
  }

  std::vector<float> ReadFloats(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::vector<float> values;
    float v;
    while (in.read(reinterpret_cast<char*>(&v), sizeof v)) values.push_back(v);
    return values;
  }

  // Path of a view file in the view-file folder.
  std::string ViewPath(const std::string& name, const char* suffix) const {
    return (dir_.Path() / VIEW_FOLDER / (name + suffix)).string();
  }
  bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

  // Channel c shows file name with the given kinds and pages per level.
  void Channel(int16_t c, const char* name, int16_t k0, int16_t k1, int16_t k2) {
    StrCopy(Dsp.Chn_Flnm[c], name);
    Dsp.Chn_DspStat[c] = 1;
    Win.ViewKind[0][c] = k0;
    Win.ViewKind[1][c] = k1;
    Win.ViewKind[2][c] = k2;
  }

  std::vector<float> Level(int16_t c, int v) const {
    const float* p = Dsp.Fl_Pt[v][c];
    return p ? std::vector<float>(p, p + Dsp.Fl_Pt_Len[v][c]) : std::vector<float>();
  }

  std::string StatusText(int part) const { return platform::StatusText(Win.hWnd_StatusBar, part); }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : platform::BoxLog()) texts.push_back(box.text);
    return texts;
  }

  // Sets the modification time of a file in the data folder, relative to now.
  void SetFileAge(const std::string& path, std::chrono::seconds offset) {
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() + offset);
  }

  TempDir dir_;
  std::filesystem::path previousFolder_;
  platform::BoxAnswerer previousAnswerer_;
};

}  // namespace qvtest
