// The test driver: acts as a person at the keyboard and mouse would, through the
// same messages, and reads what the windows show. Every action runs on the thread
// that owns the addressed window (directly when that is the caller), so a test may
// drive a dialog that a worker thread opened.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows/CommonDialogs.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/Window.h"

namespace platform::driver {

// Handles the calling thread's messages until its queue is empty and nothing needs
// painting (at most maxMessages); returns how many were handled.
int PumpUntilIdle(int maxMessages = 100000);
// Handles messages and waits (servicing sent messages) until condition() holds or
// the time runs out; returns condition().
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 10000);

// ---- dialogs and controls (by the dialog and the control id) -------------------------
// Focuses the edit and replaces its text as typed (the modified flag is set).
bool TypeText(HWND dialog, int id, const std::string& text);
// Moves the focus away from the focused control to the dialog itself (EN_KILLFOCUS).
bool Commit(HWND dialog);
bool TypeAndCommit(HWND dialog, int id, const std::string& text);
// Presses a button, check box or radio button with the mouse (focus moves first).
bool Click(HWND dialog, int id);
bool SetCheck(HWND dialog, int id, bool on);
bool ChooseRadio(HWND dialog, int id);
// Clicks a list row (scrolled into view first): the press selects it, the release
// tells the dialog (LBN_SELCHANGE); doubleClick clicks it again as the second click of a
// double-click (LBN_DBLCLK). True when each press selected the row.
bool SelectRow(HWND dialog, int id, int row, bool doubleClick = false);
// Arrow clicks with the mouse on a scroll bar (which sends WM_VSCROLL/WM_HSCROLL with
// the line and SB_ENDSCROLL to the dialog) or on a list box's own scroll bar (its top
// row; in a list one row high the selection with it), or line steps of a trackbar
// (TB_LINEUP/TB_LINEDOWN). False for a list without a scroll bar (no WS_VSCROLL).
bool Scroll(HWND dialog, int id, bool up, int times = 1);
// Drags the trackbar's thumb to position: TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK.
bool MoveTrackbar(HWND dialog, int id, int position);

std::string Text(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
int ListSelection(HWND dialog, int id);
int ListTop(HWND dialog, int id);
std::vector<std::string> ListItems(HWND dialog, int id);
int TrackbarPosition(HWND dialog, int id);

// ---- keyboard and mouse on a window ---------------------------------------------------
// WM_KEYDOWN and WM_KEYUP with Shift and Ctrl held as asked (GetKeyState sees them).
bool PressKey(HWND window, int virtualKey, bool shift = false, bool ctrl = false);
bool TypeChar(HWND window, char c);
enum class Mouse { Left, Right, LeftDouble, RightDouble };
// Press and release at the client point (x, y), with MK_ flags in wParam.
bool MouseClick(HWND window, Mouse button, int x, int y, bool shift = false, bool ctrl = false);
bool MouseDown(HWND window, Mouse button, int x, int y, bool shift = false, bool ctrl = false);
bool MouseUp(HWND window, Mouse button, int x, int y, bool shift = false, bool ctrl = false);
bool MouseMove(HWND window, int x, int y, WPARAM keys = 0);

// ---- commands -----------------------------------------------------------------------------
// A menu or toolbar command of the window (WM_COMMAND); refused when the window's
// menu holds the command grayed.
bool ChooseCommand(HWND window, int id);
// A toolbar button's command, sent by the toolbar to its parent.
bool ClickToolbarButton(HWND toolbar, int id);
// The next tracked pop-up menus choose these commands in order (0: no choice); choices
// of an earlier call that no menu took are dropped.
void ChoosePopupItems(std::vector<UINT> ids);

// Whole-text match: '*' stands for any run of characters (line breaks included),
// '?' for any one character; everything else stands for itself.
bool MatchPattern(const std::string& pattern, const std::string& text);

// ---- status bars -------------------------------------------------------------------------
std::string StatusText(HWND statusBar, int part);

// Runs handler(dialog, templateId) inside every modal dialog that opens while it
// lives, on the dialog's thread, before the dialog's loop runs.
class ModalHandler {
 public:
  explicit ModalHandler(std::function<void(HWND, int)> handler);
  ~ModalHandler();
  ModalHandler(const ModalHandler&) = delete;
  ModalHandler& operator=(const ModalHandler&) = delete;

 private:
  ModalOpenHook previous_;
};

// A script of expected message boxes and common dialogs with their answers. A box
// or dialog that does not match the next expectation is a failure (reported through
// onFailure, default: kept in Failures()) and gets the non-destructive answer.
class Answers {
 public:
  Answers();
  ~Answers();
  Answers(const Answers&) = delete;
  Answers& operator=(const Answers&) = delete;

  // caption must be equal; textPattern must match the whole text (MatchPattern).
  Answers& Box(const std::string& caption, const std::string& textPattern, int answer);
  Answers& File(const std::string& path);  // open or save: choose path
  Answers& CancelFile();
  Answers& Printer(const std::string& name);
  Answers& CancelPrinter();

  std::vector<std::string> Failures() const;
  bool AllAnswered() const;
  void SetFailureHandler(std::function<void(const std::string&)> onFailure);

 private:
  struct Expectation;
  struct State;
  std::shared_ptr<State> state_;
  BoxAnswerer previousBox_;
  CommonDialogAnswerer previousDialog_;
};

}  // namespace platform::driver
