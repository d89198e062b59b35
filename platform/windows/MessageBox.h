// Message boxes. Every box goes through a replaceable answerer: tests install a
// script of expected boxes and answers; an unattended (headless) run gives the
// non-destructive answer and reports the box on stderr, so that it never
// overwrites a file on its own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/kernel/WinTypes.h"

constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x0002;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_RETRYCANCEL = 0x0005;
constexpr UINT MB_TYPEMASK = 0x000F;
constexpr UINT MB_ICONHAND = 0x0010;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x0040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0x00F0;
constexpr UINT MB_SYSTEMMODAL = 0x1000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a box owned by owner (may be nullptr) and returns the id of the answer.
// May be called from any thread.
int MessageBox(HWND owner, const char* text, const char* caption, UINT style);

namespace platform {

struct BoxRequest {
  HWND owner = nullptr;
  std::string caption;
  std::string text;
  UINT style = 0;
  DWORD threadId = 0;
};

using BoxAnswerer = std::function<int(const BoxRequest&)>;

// Installs the answerer for every later box (nullptr restores the unattended one)
// and returns the one it replaces.
BoxAnswerer SetBoxAnswerer(BoxAnswerer answerer);
// The non-destructive answer to a box of this style: No, Cancel, or OK for a box
// that offers nothing else.
int NonDestructiveAnswer(UINT style);
// Every box shown since the last ClearBoxLog, in order.
std::vector<BoxRequest> BoxLog();
void ClearBoxLog();

// A style whose button set is none of the six above is refused: the box is shown with
// OK and Cancel, and its answer is Cancel whatever was pressed. The handler (tests
// install one that fails the test) hears of every such box first, with the style as
// asked; nullptr removes it. Returns the one it replaces.
using BoxStyleRefusal = std::function<void(const BoxRequest&)>;
BoxStyleRefusal SetBoxStyleRefusal(BoxStyleRefusal handler);

}  // namespace platform
