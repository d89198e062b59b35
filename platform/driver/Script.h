// Replays a person's actions from a script file on the interface thread's idle
// turns, through the test driver. One action per line:
//
//   menu ID                      WM_COMMAND ID to the main window (menu or toolbar)
//   popup X Y ID                 right-click at X Y in the main window, choose ID
//   key NAME [shift] [ctrl]      LEFT RIGHT UP DOWN ESC RETURN TAB BACK SPACE HOME END
//                                PGUP PGDN INSERT DELETE F1..F12, or a letter or digit,
//                                to the focused window (else the main window)
//   char [child C K] C           WM_CHAR C to the focused window (else the main window),
//                                or to child window C K
//   mouse [child C K] left|right|dbl|rdbl X Y [shift] [ctrl]   a click (dbl, rdbl: a
//                                left or right double click) in the main window's
//                                client area, or in child window C K's
//   move [child C K] X Y         a mouse move there
//   toolbar [child C K] ID       a toolbar button of the main window (or of child C K)
//   dialog ID                    address the dialog of template ID (default: the
//                                innermost modal dialog, else the last one opened)
//   type ID TEXT | click ID | check ID on|off | radio ID | select ID ROW |
//   scroll ID up|down [N] | track ID POS      controls of the addressed dialog (scroll:
//                                clicks on an arrow of a scroll bar, or of a list's own
//                                scroll bar, which a list without one does not have)
//   box CAPTION PATTERN ANSWER   the next message box: caption equal, PATTERN matching
//                                the whole text ('*' any run, '?' one character),
//                                answered ok|yes|no|cancel|abort|retry|ignore
//   file PATH | file cancel      the next open or save dialog
//   printer NAME | printer cancel  the next print dialog; the printer PDF then asks
//                                for its output file: a file line answers that
//   wait-idle [SECONDS]          until no worker is busy (the queue is already idle)
//   expect-status [child C K] PART PATTERN   a status-bar part of the main window
//                                (or of child window C K)
//   expect-text ID PATTERN | expect-checked ID on|off   addressed dialog's controls
//   expect-file PATH [SIZE]      a file exists (with SIZE bytes)
//   snapshot [main|dialog ID|child C K] PATH   a PNG of the window
//   boxes default                from here on unaddressed boxes and dialogs get the
//                                non-destructive answer (logged on stderr)
//   quit                         WM_CLOSE to the main window, as its close box
//
// '#' starts a comment outside quotes; texts with blanks go in double quotes, in
// which \" \\ and \n stand for a quote, a backslash and a line break. Boxes and file
// and print dialogs are answered when they appear, by the line that is next at that
// moment: a box line therefore follows the action that shows the box. A box or
// dialog that the next line does not address fails the run, unless "boxes default".
// A line on a dialog's controls waits, as a box line does, until the addressed dialog
// is open (another thread may open it a little later); a dialog counts as open only
// once it is initialised, and a modal one of any thread is the innermost until it is
// answered.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows/Window.h"

namespace platform {

struct ScriptOptions {
  HWND mainWindow = nullptr;
  // The program's workers are busy (wait-idle waits until false); may be empty.
  std::function<bool()> busy;
  // The child window of channel c and kind k (snapshot child, expect-status child).
  std::function<HWND(int channel, int kind)> childWindow;
  // Called once on the interface thread when the script ends (code 0: every line
  // held); default: PostQuitMessage(code).
  std::function<void(int code)> finished;
  // How long box, wait-idle and expect lines wait for what they expect.
  DWORD waitMilliseconds = 10000;
};

class ScriptRunner {
 public:
  ScriptRunner();
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Reads and parses the script; false with the reason ("FILE:LINE: ...") in *error.
  bool Load(const std::string& path, std::string* error);
  bool LoadText(const std::string& name, const std::string& text, std::string* error);
  // Installs the runner on the calling (interface) thread: its idle turns run the
  // lines; boxes, common dialogs and pop-up menus are answered by it.
  void Start(const ScriptOptions& options);
  // Removes the runner's hooks and returns the result: 0 when every line ran and
  // held, 1 otherwise (a failure, or lines left when the program ended).
  int Finish();
  bool Finished() const;
  // "FILE:LINE: reason" of the first failure ("" when none).
  std::string Failure() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace platform
