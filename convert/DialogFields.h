// Show and read forms of the conversion dialogs' edit fields (a text that yields no
// value leaves the field unchanged), and the procedure the plain conversion dialogs share.
#pragma once

#include <cstdint>
#include <string>

#include "core/FileIo.h"
#include "core/WorkText.h"
#include "display/ViewFiles.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "records/Dsp.h"

namespace dialog_fields {

inline void Show(HWND d, int id, const std::string& text) { SetDlgItemText(d, id, text.c_str()); }
inline void ReadOnly(HWND d, int id, bool on) { SendDlgItemMessage(d, id, EM_SETREADONLY, on ? TRUE : FALSE, 0); }

inline std::string Text(HWND d, int id) {
  char buffer[512] = "";
  GetDlgItemText(d, id, buffer, sizeof buffer);
  return buffer;
}
inline void ReadDouble(HWND d, int id, double* field) {
  const std::string text = Text(d, id);
  const char* p = text.c_str();
  double v = 0.0;
  if (core_io::ScanDouble(p, &v)) *field = v;
}
inline void ReadFloat(HWND d, int id, float* field) {
  const std::string text = Text(d, id);
  const char* p = text.c_str();
  double v = 0.0;
  if (core_io::ScanDouble(p, &v)) *field = static_cast<float>(v);
}
inline void ReadLong(HWND d, int id, int32_t* field) {
  const std::string text = Text(d, id);
  const char* p = text.c_str();
  int32_t v = 0;
  if (core_io::ScanLong(p, &v)) *field = v;
}
// A name is the first blank-separated word; an empty edit leaves it (or, with
// emptyClears, makes it empty), and so does a word too long for the field, after a
// warning.
template <size_t N>
void ReadName(HWND d, int id, char (&field)[N], bool emptyClears = false) {
  const std::string text = Text(d, id);
  const size_t b = text.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) {
    if (emptyClears) field[0] = '\0';
    return;
  }
  const size_t e = text.find_first_of(" \t\r\n", b);
  const std::string word = text.substr(b, e == std::string::npos ? std::string::npos : e - b);
  if (core_io::NameFits(word, N)) StrCopy(field, word.c_str());
}

// Display channel c's file name typed into an edit: the text without the blanks around
// it, taken when the working file can hold it (an empty edit leaves the name);
// otherwise a box says why and the edit shows the name kept. A view run under way
// stops before the name changes and goes on afterwards.
inline void ReadChannelName(HWND d, int id, int c) {
  const std::string name = WorkTextTyped(Text(d, id));
  if (name.empty() || name == Dsp.Chn_Flnm[c]) return;
  if (!DisplayViewStoppedFor([&] { return ChannelNameSet(c, name.c_str()); })) Show(d, id, Dsp.Chn_Flnm[c]);
}

// A dialog that shows its fields on WM_INITDIALOG and hands WM_COMMAND to its command
// handler; every other message is left to the default handling.
inline INT_PTR RefreshAndCommand(HWND d, UINT message, WPARAM wParam, void (*refresh)(HWND),
                                 INT_PTR (*command)(HWND, WPARAM)) {
  switch (message) {
    case WM_INITDIALOG:
      refresh(d);
      return 1;
    case WM_COMMAND:
      return command(d, wParam);
    default:
      return 0;
  }
}

}  // namespace dialog_fields
