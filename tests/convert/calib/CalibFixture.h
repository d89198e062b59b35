// Shared fixture of the calibration tests: fresh records, the current folder moved
// into a temporary folder, every box answered by a rule list (first matching rule,
// else the non-destructive answer) and logged, and helpers for small files.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "convert/calib/AomCalib.h"
#include "core/DebugLog.h"
#include "core/TypedArrays.h"
#include "platform/windows/MessageBox.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Text.h"
#include "records/AomSettings.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/ThzSettings.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "tests/support/TempDir.h"

namespace qvtest {

class CalibTest : public ::testing::Test {
 protected:
  struct Rule {
    std::string caption;
    std::string pattern;
    int answer;
  };

  void SetUp() override {
    AomRFCalibFree();
    Cnv = CnvRecord{};
    Cnl = CnlRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    Debug = DebugRecord{};
    ThzSettings = ThzSettingsRecord{};
    AomSettings = AomSettingsRecord{};
    RegisterDialogResources();  // the message window
    platform::ClearBoxLog();
    platform::SetBoxAnswerer([this](const platform::BoxRequest& box) {
      for (const Rule& r : rules_)
        if (r.caption == box.caption && platform::driver::MatchPattern(r.pattern, box.text)) return r.answer;
      return platform::NonDestructiveAnswer(box.style);
    });
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override {
    platform::SetBoxAnswerer(nullptr);
    AomRFCalibFree();
    LFree1Dim(&Cnl.Mks_Pos);
    LFree1Dim(&Cnl.Mks_Dif);
    DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
    std::filesystem::current_path(previousFolder_);
  }

  // Answers boxes of this caption whose text matches the pattern.
  void Answer(const std::string& caption, const std::string& pattern, int answer) {
    rules_.push_back({caption, pattern, answer});
  }
  // Boxes shown so far with this caption.
  static std::vector<std::string> Boxes(const std::string& caption) {
    std::vector<std::string> texts;
    for (const platform::BoxRequest& b : platform::BoxLog())
      if (b.caption == caption) texts.push_back(b.text);
    return texts;
  }
  static bool Shown(const std::string& caption, const std::string& pattern) {
    for (const std::string& t : Boxes(caption))
      if (platform::driver::MatchPattern(pattern, t)) return true;
    return false;
  }
  // Starts the message window's text afresh, so that long runs never flood it.
  static void ClearMessages() {
    Dsp.Msg_Text[0] = '\0';
    Dsp.Msg_Count = 0;
  }

  template <class T>
  static void WriteValues(const std::string& name, const std::vector<T>& values) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * sizeof(T)));
  }
  template <class T>
  static std::vector<T> ReadValues(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<T> values(bytes.size() / sizeof(T));
    if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
  }
  static void WriteText(const std::string& name, const std::string& text) {
    std::ofstream out(name, std::ios::binary);
    out << text;
  }
  static std::string ReadText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // The lines of a text file, without their CR LF.
  static std::vector<std::string> ReadLines(const std::string& name) {
    std::vector<std::string> lines;
    std::istringstream in(ReadText(name));
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  // The fields of each line as numbers.
  static std::vector<std::vector<double>> ReadTable(const std::string& name) {
    std::vector<std::vector<double>> rows;
    for (const std::string& line : ReadLines(name)) {
      std::istringstream in(line);
      std::vector<double> row;
      double v;
      while (in >> v) row.push_back(v);
      rows.push_back(row);
    }
    return rows;
  }
  static bool Exists(const std::string& name) { return std::filesystem::exists(name); }

  // Names channel c of block 0 of the output-name table.
  static void Name(int c, const char* name) { StrCopy(Cnv.Out_Flnm[0][c], name); }

  TempDir dir_;
  std::filesystem::path previousFolder_;
  std::vector<Rule> rules_;
};

}  // namespace qvtest
