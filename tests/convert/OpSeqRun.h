// Runs an operation-sequence command file in the current folder on the calling thread,
// as OP SEQ does, for the tests that reach a command after using a dialog.
#pragma once

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "convert/OpSeq.h"
#include "platform/kernel/Sync.h"
#include "platform/windows/MessageBox.h"
#include "records/ThreadCtl.h"

namespace qvtest {

// Writes the lines as "OpASeq100.dat" (CR LF) and runs it. The edit question is
// answered "run it as it is"; any other box takes the answer of the first entry of
// answers that its text begins with, else the non-destructive one. Returns the boxes
// shown after the edit question, as "caption|text".
inline std::vector<std::string> RunOpSeq(const std::vector<std::string>& lines,
                                         const std::map<std::string, int>& answers = {}) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  std::ofstream("OpASeq100.dat", std::ios::binary) << text;
  std::vector<std::string> boxes;
  const platform::BoxAnswerer previous = platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    if (box.text.find("EDIT USING") != std::string::npos) return IDCANCEL;
    boxes.push_back(box.caption + "|" + box.text);
    for (const auto& [prefix, answer] : answers)
      if (box.text.compare(0, prefix.size(), prefix) == 0) return answer;
    return platform::NonDestructiveAnswer(box.style);
  });
  const DWORD sleepLimit = platform::SetSleepLimit(0);
  ThreadCtl.OpSeq_Running = 1;
  ThreadCtl.OpSeq_Stop = 0;
  CnvOperationSequence(nullptr);
  platform::SetSleepLimit(sleepLimit);
  platform::SetBoxAnswerer(previous);
  return boxes;
}

}  // namespace qvtest
