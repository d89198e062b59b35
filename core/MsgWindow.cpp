#include "core/MsgWindow.h"

#include <functional>
#include <mutex>
#include <string>

#include "core/Repaint.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

constexpr int kMsgLimit = 50;  // messages kept before the window starts afresh
constexpr int kCmdQuiet = 30;  // a command both boxes accept and ignore
constexpr UINT kError = MB_SYSTEMMODAL | MB_ICONHAND;

// Workers and the interface thread add to the accumulated text; the lock keeps each
// change and each read of it whole. It is never held across a message send.
std::mutex g_msgTextLock;
// The window is tested for and made under a lock of its own: making it sends it
// WM_INITDIALOG, which takes the text lock.
std::mutex g_msgCreateLock;

void ReplaceText(const char* text) {
  std::lock_guard<std::mutex> lock(g_msgTextLock);
  StrCopy(Dsp.Msg_Text, text);
}

std::string TextCopy() {
  std::lock_guard<std::mutex> lock(g_msgTextLock);
  return Dsp.Msg_Text;
}

bool MsgWindowExists() {
  const HWND window = Dsp.Msg_Hwnd;
  return window && IsWindow(window);
}

// Makes the window unless it exists: on the main window's thread when there is one, so
// that it outlives the worker that shows the first line, else on the caller's. An owner
// that is gone (the program is closing) leaves it unowned. True when it exists.
bool MsgWindowEnsure(HWND owner) {
  if (MsgWindowExists()) return true;
  const std::function<void()> create = [owner] {
    std::lock_guard<std::mutex> lock(g_msgCreateLock);
    if (MsgWindowExists()) return;
    Dsp.Msg_Hwnd = CreateDialogParam(Win.hInst, MAKEINTRESOURCE(IDD_DSP_MSG), owner && IsWindow(owner) ? owner : nullptr,
                                     DspMsgDlgProc, 0);
  };
  const HWND main = Win.hWnd_Main;
  if (!main || !platform::RunOnWindowThread(main, create)) create();
  return MsgWindowExists();
}

void SetMainStatus(int part, const char* text) {
  if (Win.hWnd_StatusBar)
    SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

}  // namespace

int32_t DspMsgShow(int32_t show, HWND owner) {
  if (show != 1) {
    if (Dsp.Msg_Keep == 0) {
      if (const HWND window = Dsp.Msg_Hwnd) ShowWindow(window, SW_HIDE);
      Dsp.Msg_Shown = 0;
    }
    return 0;
  }
  return DspMsgShowText(Dsp.DspMsgBuffer, owner);
}

int32_t DspMsgShowText(const char* message, HWND owner) {
  const std::string text = message ? message : "";
  bool wasShown = false;
  bool flooded = false;
  {
    std::lock_guard<std::mutex> lock(g_msgTextLock);
    wasShown = Dsp.Msg_Shown != 0;
    if (wasShown && Dsp.Msg_Count + 1 > kMsgLimit) {
      flooded = true;
    } else if (wasShown) {
      // A message that no longer fits starts the text afresh.
      int16_t count = static_cast<int16_t>(Dsp.Msg_Count + 1);
      if (!StrAppend(Dsp.Msg_Text, text.c_str())) {
        StrCopy(Dsp.Msg_Text, text.c_str());
        count = 1;
      }
      Dsp.Msg_Count = count;
    } else {
      StrCopy(Dsp.Msg_Text, text.c_str());
      Dsp.Msg_Count = 1;
      // Shown from here on: the lines other threads show meanwhile are added to this one.
      Dsp.Msg_Shown = 1;
    }
  }
  if (flooded) {
    Sleep(1000);  // slows down a caller that floods the window
    std::lock_guard<std::mutex> lock(g_msgTextLock);
    StrCopy(Dsp.Msg_Text, text.c_str());
    Dsp.Msg_Count = 1;
  }

  if (!MsgWindowEnsure(owner)) {
    Dsp.Msg_Shown = 0;
    MessageBox(Win.hWnd_Main, "FAILED TO CREATE DSP MSG DIALOG", "Error", kError);
    return 0;
  }
  const HWND window = Dsp.Msg_Hwnd;
  if (!wasShown || !IsWindowVisible(window)) ShowWindow(window, SW_SHOWNORMAL);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SendMessage(window, WM_INITDIALOG, 0, 0);
  Dsp.Msg_Shown = 1;
  return 1;
}

INT_PTR DspMsgDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      std::string text = TextCopy();
      SetDlgItemText(dialog, IDC_DSP_MSG_TEXT, text.c_str());
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          Dsp.Msg_Keep = 1;
          if (Debug.DebugFileOpen == 1) {
            ReplaceText(Debug.DebugMsgText);
            SendMessage(dialog, WM_INITDIALOG, 0, 0);
          }
          return TRUE;
        case IDCANCEL:
          Dsp.Msg_Keep = 0;
          DspMsgShow(0, Win.hWnd_Main);
          return TRUE;
        case kCmdQuiet:
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

int32_t GetTextDialog() {
  INT_PTR result = DialogBoxParam(Win.hInst, MAKEINTRESOURCE(IDD_GET_TEXT), Win.hWnd_Main, GetTextDlgProc, 0);
  RepaintWindow("WIN_27P", Win.hWnd_Main, TRUE);
  return result == IDOK ? 1 : 0;
}

namespace {

// Takes the first blank-separated word of the edit; an empty edit keeps the value.
void ReadAnswer(HWND dialog) {
  char text[1001] = "";
  GetDlgItemText(dialog, IDC_GET_TEXT_EDIT, text, static_cast<int>(sizeof text));
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  const char* end = p;
  while (*end && *end != ' ' && *end != '\t' && *end != '\r' && *end != '\n') ++end;
  if (end == p) return;
  std::string token(p, end);
  if (token.size() > sizeof Dsp.GetTextValue - 1) token.resize(sizeof Dsp.GetTextValue - 1);
  StrCopy(Dsp.GetTextValue, token.c_str());
}

void EndTextDialog(HWND dialog, int id) {
  SetMainStatus(1, "EDIT POSTKILL MODAL DIALOG EXIT");
  EndDialog(dialog, id);
}

}  // namespace

INT_PTR GetTextDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemText(dialog, IDC_GET_TEXT_PROMPT, Dsp.GetTextPrompt);
      SetDlgItemText(dialog, IDC_GET_TEXT_EDIT, Dsp.GetTextValue);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDOK) {
        ReadAnswer(dialog);
        EndTextDialog(dialog, IDOK);
        return TRUE;
      }
      if (id == kCmdQuiet || (id == IDC_GET_TEXT_EDIT && HIWORD(wParam) == EN_KILLFOCUS)) {
        ReadAnswer(dialog);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndTextDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

int32_t DisplayTableFormat(int32_t enable, const char* header, int32_t columns, int32_t perBox, int32_t n,
                           const float* fa, const double* da, int16_t exponent, double scale) {
  if ((!fa && !da) || enable == 0) return 1;
  if (perBox < 1) perBox = 1;
  if (columns < 1) columns = 1;  // no columns would divide by zero
  if (n < 0) n = 0;
  const int32_t rows = perBox / columns + 1;
  const int32_t boxes = n <= perBox ? 1 : (n + perBox - 1) / perBox;
  for (int32_t box = 0; box < boxes; ++box) {
    const int32_t start = box * perBox;
    std::string text = StrPrintf("[%d] ", box + 1);
    text += header ? header : "";
    for (int32_t r = 0; r < rows; ++r) {
      for (int32_t c = 0; c < columns; ++c) {
        const int32_t k = start + r + c * rows;
        if (k >= start + perBox || k >= n) continue;
        if (fa && da) {
          text += exponent ? StrPrintf("%3d  %15.6e %15.6e  ", k, da[k] * scale, static_cast<double>(fa[k]))
                           : StrPrintf("%3d  %15.6f %15.6f  ", k, da[k] * scale, static_cast<double>(fa[k]));
        } else if (fa) {
          text += exponent ? StrPrintf("%3d  %15.6e  ", k, static_cast<double>(fa[k]))
                           : StrPrintf("%3d  %15.6f  ", k, static_cast<double>(fa[k]));
        } else {
          text += exponent ? StrPrintf("%3d  %15.6e  ", k, da[k]) : StrPrintf("%3d  %15.6f  ", k, da[k]);
        }
      }
      text += "\n";
    }
    MessageBox(Win.hWnd_Main, text.c_str(), "Info", MB_SYSTEMMODAL | MB_ICONINFORMATION);
  }
  return 1;
}
