// Internals shared by the parts of the window system (not for use outside platform/).
#pragma once

#include <cairo.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/Menu.h"
#include "platform/windows/Window.h"

namespace platform::detail {

// The one lock of the window system's state (window table, classes, menus, control
// state). Never held while a window procedure runs or while waiting; it may be held
// while the kernel lock is taken briefly, never the other way round.
std::recursive_mutex& WinLock();
using WinGuard = std::lock_guard<std::recursive_mutex>;

// Layout constants of the headless window system (pixels).
constexpr int kCaptionHeight = 20;
constexpr int kMenuBarHeight = 20;
constexpr int kToolbarHeight = 30;
constexpr int kToolbarButton = 24;
constexpr int kStatusBarHeight = 22;
// A pop-up window with a sizing frame (WS_POPUP and WS_THICKFRAME) has a 4-pixel frame
// on every side and a taller caption, so that its client area starts 4 pixels across and a
// status bar's height plus 10 down, and is 8 narrower and a status bar's height plus
// 14 lower than the window: the allowances programs use to turn the client origin
// and size of WM_MOVE and WM_SIZE back into the window's place.
constexpr int kSizingFrame = 4;
constexpr int kSizingCaptionHeight = kStatusBarHeight + 10 - kSizingFrame;
constexpr int kCharWidth = 7;
constexpr int kCharHeight = 14;
// A list row holds a whole line of the font (its ascent, descent and a spare pixel),
// so that accents and descenders (the underscore of a file name) are drawn.
constexpr int kListRowHeight = 16;
// The scroll bar of a list box (WS_VSCROLL): a strip along its right edge, its upper
// half the up arrow, its lower half the down arrow.
constexpr int kListScrollBarWidth = 12;
// Status bars write in a smaller cell of the same face, smoothed (5 pixels a
// character), so that the two cursor readouts and two messages fit a bar as wide as
// the screen; WM_GETFONT gives it for measuring.
constexpr int kStatusCharHeight = 11;
// The close box at the right end of a caption with a system menu.
constexpr int kCloseBoxSize = kCaptionHeight - 6;

struct ControlData {
  virtual ~ControlData() = default;
};

struct ButtonData : ControlData {
  UINT check = BST_UNCHECKED;
};
struct EditData : ControlData {
  bool modified = false;
  bool readOnly = false;
  int selStart = 0;
  int selEnd = 0;
  int limit = 30000;
};
struct ListData : ControlData {
  std::vector<std::string> items;
  int selection = -1;
  int top = 0;
  int heldArrow = 0;     // the arrow of its scroll bar held down: -1 up, 1 down
  bool onArrow = false;  // the pointer is still on it
  bool rowPressed = false;  // a row was pressed: its release tells the parent
};
// The parts of a scroll-bar control along its length: an arrow at each end (as long as
// the bar is thick, at most half the bar), the track between them and, while the track
// has room for it, a square thumb on the track at the position within the range.
enum class ScrollPart { None, LineUp, LineDown, PageUp, PageDown, Thumb };
struct ScrollLayout {
  bool vertical = false;
  int length = 0, thickness = 0;
  int arrow = 0;
  int thumbStart = 0, thumb = 0;  // thumb 0: none is drawn
  ScrollPart PartAt(int along) const;
  // The pixels the thumb moves over from one end of the range to the other.
  int Travel() const { return length - 2 * arrow - thumb; }
};
// Where a thumb (of a scroll bar or a trackbar) was taken hold of: the pointer along the
// bar and the position then. A drag moves the position as far as the pointer went from
// there, travel pixels standing for the whole range, so that the pointer not moved (or
// brought back) gives the position the thumb had, whatever the pixel rounding.
struct ThumbGrab {
  int along = 0;
  int position = 0;
  int PositionAt(int pointer, int travel, int minimum, int maximum) const;
};
ScrollLayout LayoutScrollBar(bool vertical, int width, int height, int minimum, int maximum, int position);
// The timer id the front end sends (WM_TIMER) to a scroll bar or list box that the left
// button holds down, as the desktop system's own repeat timer: the press repeats.
constexpr WPARAM kHeldButtonTimer = 0x7FF1;
struct ScrollData : ControlData {
  int minimum = 0;
  int maximum = 100;
  int position = 0;
  ScrollPart pressed = ScrollPart::None;  // held down with the left button
  int trackPosition = 0;                  // the dragged thumb's position
  ThumbGrab grab;                         // where the thumb was taken hold of
  int along = 0;                          // the pointer along the bar while held
};
struct TrackData : ControlData {
  int minimum = 0;
  int maximum = 100;
  int position = 0;
  int page = 20;
  int line = 1;
  int ticFrequency = 1;
  bool dragging = false;  // the thumb is held with the mouse
  bool tracked = false;   // and has been dragged (TB_THUMBTRACK sent) since the press
  ThumbGrab grab;         // where it was taken hold of
};
struct ToolbarImageStrip {
  bool standard = false;        // the common controls' standard strip
  HBITMAP bitmap = nullptr;     // else a bitmap strip of square images
  int first = 0;                // index of its first image in the toolbar's numbering
  int count = 0;
};
struct ToolbarData : ControlData {
  std::vector<TBBUTTON> buttons;
  std::vector<ToolbarImageStrip> strips;
  int imageCount = 0;
  int pressed = -1;  // the button the left mouse button was pressed on
};
struct StatusData : ControlData {
  std::vector<int> rightEdges{-1};
  std::vector<std::string> texts{""};
  HFONT font = nullptr;  // made on the first WM_GETFONT, deleted with the bar
  ~StatusData() override;
};

struct WindowClassRec {
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menuName;
  int menuId = 0;
  bool builtin = false;
};

struct DialogData {
  int templateId = 0;
  DLGPROC proc = nullptr;
  bool modal = false;
  bool ended = false;
  // Initialised (a modal one also shown): only then do other threads find it among the
  // open dialogs, so they never see one whose controls are not filled yet.
  bool whole = false;
  INT_PTR result = 0;
  LONG_PTR msgResult = 0;
  LONG_PTR user = 0;
  HWND keptFocus = nullptr;  // its control that had the focus when another window was activated
};

struct Window {
  HWND handle = nullptr;
  DWORD thread = 0;
  uint64_t serial = 0;  // creation order
  std::shared_ptr<WindowClassRec> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string text;
  RECT rect;  // window rectangle: in the parent's client coordinates for children, else screen
  HWND parent = nullptr;
  HWND owner = nullptr;
  int id = 0;
  HMENU menu = nullptr;
  HINSTANCE instance = nullptr;
  LONG_PTR userData = 0;
  bool visible = false;
  bool enabled = true;
  bool topmost = false;
  bool destroying = false;
  bool needPaint = false;
  bool needErase = false;
  std::vector<HWND> children;
  cairo_surface_t* surface = nullptr;  // client-area backing store
  std::unique_ptr<ControlData> control;
  std::unique_ptr<DialogData> dialog;
  ~Window();
};

// Looks a handle up; nullptr for a stale or invalid one. Caller holds WinLock.
Window* Find(HWND window);
// The top-level window a window belongs to (itself when it is one); nullptr for a stale
// handle. Caller holds WinLock.
Window* TopLevelLocked(HWND window);
// Every live window (creation order). Caller holds WinLock.
std::vector<Window*> AllWindows();
// Client-area size and the client origin inside the window rectangle.
void ClientSize(const Window& w, int* width, int* height);
void ClientOrigin(const Window& w, int* x, int* y);
// Width of the window's frame and height of its caption (0 without one).
int FrameWidth(const Window& w);
int CaptionHeight(const Window& w);
// The close box of a top-level window whose caption has a system menu (WS_SYSMENU), in
// window coordinates; an empty rectangle when the window has none.
RECT CloseBoxRect(const Window& w);
// The client backing surface, created or resized on demand. Caller holds WinLock.
cairo_surface_t* ClientSurface(Window& w);
bool HasMenuBar(const Window& w);

DWORD CurrentThread();
// Runs fn on the window's own thread (directly when that is the caller) and waits.
// False when the window or its thread is gone.
bool RunOnOwner(HWND window, const std::function<void()>& fn);
// Set in a WM_KEYDOWN's lParam by the front end, which delivers the key's typed
// character as WM_CHAR of its own: TranslateMessage then adds only control
// characters (Return, Escape, Backspace, Tab, Ctrl+letter).
constexpr LPARAM kTypedKeyFlag = 0x02000000;

// Set in the lParam of a key or character that the front end posts: the calling thread
// takes it from its queue for the window that has the thread's focus at that moment, as
// the desktop system hands typed keys to the focus of the moment, so a key typed ahead
// reaches the window that an earlier key or click gave the focus (also one of another
// top-level window). It stays with the window it was posted to while the focus is
// nowhere, or in a hidden or disabled window. The flag is cleared before the message is
// handed out.
constexpr LPARAM kFollowFocusFlag = 0x04000000;

// Set by the front end in the lParam of a key it posts while Shift or Ctrl was held as
// the key was typed. As on the desktop system, GetKeyState on the thread that takes the
// key from its queue tells Shift and Ctrl as the key was typed while the thread handles
// it (until it next looks at its queue), whatever the keyboard does by then: Ctrl+A is
// Ctrl+A however late the thread takes it, and a key typed before Ctrl was pressed for
// the next one is no Ctrl key. Cleared before the message is handed out.
constexpr LPARAM kShiftHeldFlag = 0x08000000;
constexpr LPARAM kControlHeldFlag = 0x10000000;

// The user activates a top-level window (a click on it), on the window's own thread,
// before the click itself arrives: as on the desktop system the focus leaves the
// window that had it, whose control hears of the loss first (an edit's EN_KILLFOCUS); a
// dialog keeps that control and gets it back on its own next activation (else its
// first tab stop takes the focus, an edit with its text selected); any other window
// takes the focus itself. Nothing moves while the focus is inside the window already.
void ActivateByUser(HWND top);
// The program activates a top-level window of the calling thread (SetActiveWindow): the
// focus moves as for the user's activation, and the activation listener hears of it.
// False, nothing changed, for a window of another thread, a child or a disabled window.
bool ActivateByProgram(HWND top);
// Makes top the active window of its thread. focus: the thread's focus; when that is a
// control of another dialog, the dialog keeps it for its next activation. True when
// the active window changed. Caller holds WinLock.
bool ActivateLocked(Window& top, HWND focus);
// Hears of each top-level window that the program activates, on the thread that
// activates it, after the change and outside the window system's lock: SetActiveWindow,
// SetFocus to a window of a top-level window other than the active one (as on the
// desktop system, that activates it), a top-level window shown with activation, and the
// owner a hidden window gives the focus to. The user's activations (ActivateByUser)
// are not told. The front end raises the window with the keyboard. Returns the
// listener it replaces; an empty one hears nothing.
using ActivationListener = std::function<void(HWND top)>;
ActivationListener SetActivationListener(ActivationListener listener);
// Tells the listener of an activation (not under WinLock).
void TellActivation(HWND top);

// Runs fn on the window's own thread the next time that thread services messages
// sent to it (its message loop, a modal loop or any wait), without waiting for it.
// False when the window or its thread is gone (fn is then never run).
bool PostToOwner(HWND window, std::function<void()> fn);
// A counter that moves whenever anything a window shows may have changed
// (painting, texts, visibility, geometry, focus, menus, control state).
uint64_t DisplayGeneration();
void DisplayChanged();
// The focus window of a thread (nullptr when none).
HWND FocusOfThread(DWORD thread);
// The whole window as a person sees it (frame, caption, menu bar, client area,
// children and the layer's own controls) in a new RGB24 image surface that the
// caller destroys; run on the window's thread. nullptr for an invalid handle.
cairo_surface_t* ComposeWindow(HWND window);
// Width in pixels of a text in the windows' font, and in the status bars' font.
int TextWidth(const std::string& text);
int StatusTextWidth(const std::string& text);
// A new font of the status bars (the caller deletes it).
HFONT StatusFont();
// Room between a status part's frame and its text, on either side.
constexpr int kStatusTextMargin = 3;
// Where each part of a status bar `width` pixels wide writes its text: from its left
// edge to its right edge, and on over the following parts while their texts are empty
// (a long message reads whole beside empty parts). Pairs of left and right, in the
// bar's client coordinates, before the margins.
std::vector<std::pair<int, int>> StatusTextSpans(const std::vector<int>& rightEdges,
                                                 const std::vector<std::string>& texts, int width);

// The control's class procedure handles some state messages on any thread.
bool IsDirectControlMessage(const std::string& className, UINT message);

// Builtin classes (controls and dialogs), registered on first use.
void EnsureBuiltinClasses();
void RegisterBuiltinClass(const char* name, WNDPROC proc, UINT style);
LRESULT CALLBACK_DialogProc(HWND, UINT, WPARAM, LPARAM);
inline constexpr const char* kDialogClass = "#32770";

// Sends a notification (WM_COMMAND with the control's id and code) to its parent.
void NotifyParent(HWND control, WORD code);

// The menu table (Menu.cpp).
void DestroyMenuLocked(HMENU menu);
struct MenuItem {
  std::string text;
  UINT id = 0;
  UINT flags = 0;
  HMENU popup = nullptr;
};
std::vector<MenuItem> MenuItems(HMENU menu);

// Fills the client area with the class background brush.
void EraseWithClassBrush(HWND window, HDC dc);

}  // namespace platform::detail
