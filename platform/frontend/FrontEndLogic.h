// The parts of the visible front end that need no display: the keyboard mapping,
// menu tracking (the menu bar with the mouse and with Alt and the arrow keys, and
// pop-up menus), and the front end's own small dialogs (message boxes, the open and
// save dialogs that browse folders, the print dialog). Each takes input as plain
// key codes and points and draws into a device context, so tests drive them
// without a display. Not for use outside platform/.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/windows/CommonDialogs.h"
#include "platform/windows/EditText.h"
#include "platform/windows/Menu.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/WindowInternal.h"

namespace platform::frontend {

// The virtual key of an SDL key code (0 when the key has none).
int VirtualKeyOf(int sdlKey);
// Whether a key's character arrives as typed text (letters, digits, space and
// punctuation), rather than from the key itself (Return, Escape, Back, Tab).
bool KeyTypesText(int virtualKey, bool ctrl);
// The mnemonic of a menu or button text ("&File" -> 'F'), upper case; 0 when none.
char MnemonicOf(const std::string& text);

// ---- stacking -----------------------------------------------------------------------------
// The order in which to raise window and the windows it owns, directly or through
// others, so that every owned window ends above its owner: window first, then each
// owned window followed by its own. owners: each window with its owner (nullptr for
// none), from the bottom of the stack to its top, so that the windows an owner brings
// along keep their order among themselves; a window appears once, and a cycle of
// owners ends the walk.
std::vector<HWND> RaiseOrder(HWND window, const std::vector<std::pair<HWND, HWND>>& owners);

// ---- the close box ----------------------------------------------------------------------
// Whether the point (x, y) of a top-level window (window coordinates) lies on its close
// box (a caption with a system menu has one).
bool OnCloseBox(HWND window, int x, int y);
// A click there: WM_CLOSE goes to the window (a dialog takes it as Cancel). False, and
// nothing sent, for a point off the box.
bool ClickCloseBox(HWND window, int x, int y);

// ---- menus ------------------------------------------------------------------------------
// Menu-bar layout as the window system draws it: items from the client's left edge,
// each as wide as its text at the layout's character width plus 12.
int MenuBarItemAt(const std::vector<detail::MenuItem>& items, int x);  // -1 outside
int MenuBarItemLeft(const std::vector<detail::MenuItem>& items, int index);
int MenuBarItemWidth(const detail::MenuItem& item);

class MenuTracker {
 public:
  enum class Result { Ignored, Handled, Closed, Chosen };
  struct Level {
    HMENU menu = nullptr;
    std::vector<detail::MenuItem> items;
    int x = 0, y = 0, width = 0, height = 0;
    int highlight = -1;
  };

  // Tracks the menu bar of a window: bar items laid out from (left, top) (window
  // coordinates), index highlighted, its drop-down open when open. bounds: the area,
  // in the same coordinates, that drop-downs stay inside (the screen; none when empty).
  void StartBar(HMENU bar, int left, int top, RECT bounds, int index, bool open);
  // Tracks a pop-up menu at (x, y).
  void StartPopup(HMENU menu, int x, int y, RECT bounds);
  void Close();
  bool Active() const { return active_; }
  bool FromBar() const { return bar_ != nullptr; }
  int BarIndex() const { return barIndex_; }
  const std::vector<Level>& Levels() const { return levels_; }
  // The command chosen (after Result::Chosen).
  UINT Chosen() const { return chosen_; }

  Result Key(int virtualKey);
  Result MouseDown(int x, int y);
  Result MouseMove(int x, int y);
  Result MouseUp(int x, int y);
  // The lit item of the bar, over the window's picture.
  void DrawBar(HDC dc) const;
  // An open menu level, moved by (dx, dy): the front end shows each in a window of its own.
  void DrawLevel(HDC dc, size_t index, int dx, int dy) const;
  // The bar's lit item and every open level, in window coordinates.
  void Draw(HDC dc) const;

 private:
  void OpenDropDown(int barIndex, bool highlightFirst);
  void OpenSubMenu(size_t level, int row);
  Level MakeLevel(HMENU menu, int x, int y) const;
  Result Activate(size_t level, int row);
  // True when the bar item at index is a command (no drop-down) that can be chosen.
  bool BarCommand(int index) const;
  Result ChooseBar(int index);
  int RowAt(const Level& level, int y) const;
  int LevelAt(int x, int y) const;
  void MoveHighlight(Level& level, int step) const;
  void MoveBar(int step);

  bool active_ = false;
  HMENU bar_ = nullptr;
  std::vector<detail::MenuItem> barItems_;
  int barLeft_ = 0, barTop_ = 0;
  int barIndex_ = -1;
  RECT bounds_{0, 0, 0, 0};
  std::vector<Level> levels_;
  bool armed_ = false;  // a release may choose (not the release of the opening click)
  UINT chosen_ = 0;
};

// ---- the front end's own dialogs ------------------------------------------------------------
struct PanelItem {
  enum class Kind { Label, Button, Edit, List };
  Kind kind = Kind::Label;
  int id = 0;
  RECT rc;
  std::string text;                 // label and button text
  EditLine line;                    // edit
  std::vector<std::string> rows;    // list
  int selection = -1;
  int top = 0;
  bool Focusable() const { return kind != Kind::Label; }
  int VisibleRows() const;
  // A list holding more rows than it shows has a scroll strip along its right edge,
  // as wide as a list box's: its upper half the up arrow, its lower half the down one.
  bool HasScrollStrip() const;
};

struct PanelEvent {
  enum class Kind { None, Redraw, Command, Activate, Select, Enter };
  Kind kind = Kind::None;
  int id = 0;
  int row = -1;
};

class Panel {
 public:
  std::string title;
  int width = 0, height = 0;
  std::vector<PanelItem> items;
  int focus = -1;            // index into items
  int defaultId = IDOK;      // Return on anything but a button, a list or an edit
  int cancelId = IDCANCEL;   // Escape (0: Escape does nothing)

  PanelItem* Find(int id);
  void SetFocusTo(int id);
  // The close box at the right end of the title bar, while Escape may cancel (an
  // empty rectangle otherwise); a click on it is the cancel command.
  RECT CloseBox() const;
  PanelEvent Key(int virtualKey, bool shift, bool ctrl);
  PanelEvent Text(const std::string& utf8);
  PanelEvent MouseDown(int x, int y, int clicks, bool shift);
  PanelEvent MouseMove(int x, int y, bool held);
  PanelEvent Wheel(int x, int y, int steps);
  void Draw(HDC dc) const;

 private:
  int ItemAt(int x, int y) const;
  PanelEvent ListKey(PanelItem& list, int virtualKey);
};

// A dialog of the front end: its panel and what it makes of the panel's events.
class PanelController {
 public:
  virtual ~PanelController() = default;
  Panel panel;
  // Handles an event; true when the dialog is finished (the answer is then set).
  virtual bool Handle(const PanelEvent& event) = 0;
  // The answer to give when the dialog goes away unanswered.
  virtual void Abandon() = 0;
  int boxAnswer = 0;
  CommonDialogAnswer dialogAnswer;
};

std::unique_ptr<PanelController> MakeBoxPanel(const BoxRequest& request);
std::unique_ptr<PanelController> MakeFilePanel(const CommonDialogRequest& request);
std::unique_ptr<PanelController> MakePrintPanel(const CommonDialogRequest& request,
                                                const std::vector<std::string>& printers);

// Entries of a folder as the file dialog lists them: "../" first (except at the
// root), then sub-folders ("name/") and then the files matching one of the
// ';'-separated patterns, each group sorted; hidden entries left out.
std::vector<std::string> FolderEntries(const std::string& folder, const std::string& patterns);

}  // namespace platform::frontend
