// Fixture of the file-manipulation and marker tests: fresh records, the current folder
// in a temporary folder, scripted answers to message boxes and the text-input box, the
// status-bar texts collected, and float files written and read back raw.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/CoreFixture.h"
#include "core/MsgWindow.h"
#include "core/TypedArrays.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/Window.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "resources/Dialogs.h"

namespace qvtest {

class FileTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    Cnv = CnvRecord{};
    Dsp = DspRecord{};
    Cnl = CnlRecord{};
    Win.hWnd_Main = nullptr;  // the text-input box needs no real main window
    RegisterDialogResources();
    InitCommonControls();
    frame_ = CreateWindow("STATIC", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    Win.hWnd_StatusBar = CreateStatusWindow(static_cast<LONG>(WS_CHILD), "", frame_, 1);
    const int edges[4] = {100, 200, 300, -1};
    SendMessage(Win.hWnd_StatusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
    platform::SetBoxAnswerer([this](const platform::BoxRequest&) {
      if (answers_.empty()) return defaultAnswer_;
      int answer = answers_.front();
      answers_.pop_front();
      return answer;
    });
  }
  void TearDown() override {
    platform::SetModalOpenHook(nullptr);
    if (frame_) DestroyWindow(frame_);
    LFree1Dim(&Cnl.Mks_Pos);
    LFree1Dim(&Cnl.Mks_Dif);
    CoreTest::TearDown();
  }

  // The text-input box answers with the typed text and the button; the default it
  // offered is kept in offered_.
  void AnswerTextBox(std::string typed, int button) {
    platform::SetModalOpenHook([this, typed, button](HWND dialog, int templateId) {
      ASSERT_EQ(templateId, IDD_GET_TEXT);
      char shown[500] = "";
      GetDlgItemText(dialog, IDC_GET_TEXT_EDIT, shown, sizeof shown);
      offered_ = shown;
      if (!typed.empty()) SetDlgItemText(dialog, IDC_GET_TEXT_EDIT, typed.c_str());
      SendMessage(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
    });
  }

  static void WriteFloats(const std::string& name, const std::vector<float>& values) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * 4));
  }
  static void WriteInts(const std::string& name, const std::vector<int32_t>& values) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * 4));
  }

 public:
  static std::vector<float> ReadFloats(const std::string& name) {
    std::string bytes = ReadText(name);
    std::vector<float> values(bytes.size() / 4);
    if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * 4);
    return values;
  }
  static std::string ReadText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void WriteText(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  static std::vector<float> Range(int from, int to) {  // from .. to - 1
    std::vector<float> v;
    for (int i = from; i < to; ++i) v.push_back(static_cast<float>(i));
    return v;
  }
 protected:
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : platform::BoxLog()) texts.push_back(box.text);
    return texts;
  }
  std::string LastBox() const {
    auto log = platform::BoxLog();
    return log.empty() ? std::string() : log.back().text;
  }

  // Text of a part of the main window's status bar.
  static std::string Status(int part) {
    char text[300] = "";
    SendMessage(Win.hWnd_StatusBar, SB_GETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return text;
  }

  HWND frame_ = nullptr;
  std::deque<int> answers_;
  int defaultAnswer_ = IDYES;
  std::string offered_;
};

}  // namespace qvtest
