// Shared fixture of the file operation tests: fresh records, the current folder
// moved into a temporary folder (names are bare, as the dialogs pass them), and
// helpers to write and read small binary files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/DebugLog.h"
#include "fileproc/FileOps.h"
#include "fileproc/Fourier.h"
#include "platform/windows/MessageBox.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/FftwCache.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "platform/windows/Window.h"
#include "resources/Dialogs.h"
#include "tests/support/TempDir.h"

namespace qvtest {

class FileOpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cnv = CnvRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    Debug = DebugRecord{};
    ThreadCtl.OpSeq_Stop = 0;
    ThreadCtl.OpSeq_Running = 0;
    ThreadCtl.OpSeq_ThreadId = 0;
    platform::ClearBoxLog();
    RegisterDialogResources();  // the shared message window of the repack and the scroll
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override {
    if (Dsp.Msg_Hwnd) DestroyWindow(Dsp.Msg_Hwnd);
    DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
    std::filesystem::current_path(previousFolder_);
  }

  template <class T>
  static void WriteValues(const std::string& name, const std::vector<T>& values) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * sizeof(T)));
  }
  static void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) { WriteValues(name, bytes); }
  static std::vector<uint8_t> ReadBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  template <class T>
  static std::vector<T> ReadValues(const std::string& name) {
    std::vector<uint8_t> bytes = ReadBytes(name);
    std::vector<T> values(bytes.size() / sizeof(T));
    if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
  }
  static std::vector<float> Ramp(int n) {
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<float>(i);
    return v;
  }
  // Every file of the folder, by name.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.Path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Runs one operation with names held in 200-character buffers, as callers do.
  int32_t Run(int32_t id, const char* in, const char* out, int16_t variant = 1, int16_t prompt = 0,
              int16_t report = 0, int16_t slot = 0, int32_t chn = 0) {
    StrCopy(inBuf_, in);
    StrCopy(outBuf_, out);
    return OSIFile(slot, chn, id, inBuf_, outBuf_, variant, prompt, report);
  }

  TempDir dir_;
  std::filesystem::path previousFolder_;
  char inBuf_[200] = "";
  char outBuf_[200] = "";
};

// The same with Question boxes answered by yes_ (others OK), a text list of the boxes
// shown ("caption: text"), and the cached transform plan released after each test.
class AnsweringFileOpsTest : public FileOpsTest {
 protected:
  void SetUp() override {
    FileOpsTest::SetUp();
    FftwCache.Plan_Count = 0;
    previous_ = platform::SetBoxAnswerer([this](const platform::BoxRequest& r) {
      return r.caption == "Question" ? (yes_ ? IDYES : IDNO) : IDOK;
    });
  }
  void TearDown() override {
    float none = 0.0f;
    FFTwConvertAry(0, 1, 0, &none, &none, nullptr, nullptr, nullptr, 0, 0);
    platform::SetBoxAnswerer(previous_);
    FileOpsTest::TearDown();
  }
  static std::vector<std::string> Texts() {
    std::vector<std::string> t;
    for (const auto& b : platform::BoxLog()) t.push_back(b.caption + ": " + b.text);
    return t;
  }
  bool yes_ = true;
  platform::BoxAnswerer previous_;
};

}  // namespace qvtest
