#include "convert/calib/CalibCommon.h"

#include <utility>

#include "core/DebugLog.h"
#include "core/MsgWindow.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "records/Debug.h"
#include "records/Win.h"

namespace calib {

int32_t AskYesNoCancel(const std::string& text) {
  return MessageBox(Win.hWnd_Main, text.c_str(), "Question", MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNOCANCEL);
}

int32_t AskYesNoId(const std::string& text) {
  return MessageBox(Win.hWnd_Main, text.c_str(), "Question", core_io::kQuestionStyle);
}

void Post(const std::string& text) { DspMsgShowText(text.c_str(), Win.hWnd_Main); }

bool DebugOn(int16_t code) { return Debug.DebugLevel == code && DebugLogIsOpen(); }

int64_t FilePoints(const char* name) {
  int64_t bytes = 0;
  if (!name || !platform::GetFileSize64(name, &bytes)) return -1;
  return bytes / 4;
}

void SettleSection(const char* name, int64_t* low, int64_t* high) {
  if (*low > *high) std::swap(*low, *high);
  if (*low != *high) return;
  *low = *high = 0;
  const int64_t points = FilePoints(name);
  if (points >= 0) *high = points - 1;
}

}  // namespace calib
