// The window system: window classes and windows with window procedures, message
// queues owned by the creating thread, sent and posted messages, painting over a
// backing surface, focus, keyboard state, menus, dialogs and the common controls.
//
// Every window belongs to the thread that created it. SendMessage from another thread
// runs the procedure on the owner's thread, when the owner is in its message loop, a
// modal loop, a kernel wait or a cross-thread send of its own; the sender keeps
// servicing its own incoming sends while it waits. A send to a window whose thread
// has ended returns 0. Handles carry a generation: a destroyed window's handle fails.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/kernel/WinTypes.h"
#include "platform/gdi/Gdi.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HMENU__;
using HMENU = HMENU__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HICON__;
using HICON = HICON__*;

using LONG_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using INT_PTR = intptr_t;
using DWORD_PTR = uintptr_t;
using ATOM = WORD;
using LPCSTR = const char*;
using LPSTR = char*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// ---- parameter packing ---------------------------------------------------------
constexpr WORD LOWORD(uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>(static_cast<int32_t>((static_cast<uint32_t>(low) & 0xFFFFu) |
                                                  ((static_cast<uint32_t>(high) & 0xFFFFu) << 16)));
}
constexpr WPARAM MAKEWPARAM(int low, int high) {
  return static_cast<WPARAM>((static_cast<uint32_t>(low) & 0xFFFFu) | ((static_cast<uint32_t>(high) & 0xFFFFu) << 16));
}
constexpr LONG MAKELONG(int low, int high) { return static_cast<LONG>(MAKELPARAM(low, high)); }
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(lp))); }

// Resource names: small integers carried in a name pointer, or real names.
inline LPCSTR MAKEINTRESOURCE(int id) { return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(static_cast<WORD>(id))); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<uintptr_t>(name) >> 16) == 0; }

// ---- messages --------------------------------------------------------------------
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_GETFONT = 0x0031;  // the font a control writes with (status bars)
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_CTLCOLOREDIT = 0x0133;
constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
constexpr UINT WM_CTLCOLORBTN = 0x0135;
constexpr UINT WM_CTLCOLORDLG = 0x0136;
constexpr UINT WM_CTLCOLORSCROLLBAR = 0x0137;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_USER = 0x0400;

// Mouse-message key state (wParam).
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// ---- virtual keys ----------------------------------------------------------------
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F1 = 0x70;
constexpr int VK_F12 = 0x7B;

// ---- window styles ---------------------------------------------------------------
constexpr DWORD WS_OVERLAPPED = 0x00000000u;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_MINIMIZE = 0x20000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_DISABLED = 0x08000000u;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000u;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000u;
constexpr DWORD WS_MAXIMIZE = 0x01000000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_DLGFRAME = 0x00400000u;
constexpr DWORD WS_CAPTION = WS_BORDER | WS_DLGFRAME;
constexpr DWORD WS_VSCROLL = 0x00200000u;
constexpr DWORD WS_HSCROLL = 0x00100000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_THICKFRAME = 0x00040000u;
constexpr DWORD WS_GROUP = 0x00020000u;
constexpr DWORD WS_TABSTOP = 0x00010000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000u;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;
constexpr DWORD WS_EX_TOPMOST = 0x00000008u;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080u;

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// SetWindowPos.
inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(static_cast<intptr_t>(1));
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<intptr_t>(-2));
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// GetWindow.
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;

// Window and dialog longs.
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_DLGPROC = 8;
constexpr int DWLP_USER = 16;

// RedrawWindow.
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;

// PeekMessage.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// ---- structures ------------------------------------------------------------------
struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
};

struct WNDCLASS {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;
  LPCSTR lpszMenuName = nullptr;
  LPCSTR lpszClassName = nullptr;
};
using WNDCLASSEX = WNDCLASS;

struct CREATESTRUCT {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  LONG style = 0;
  LPCSTR lpszName = nullptr;
  LPCSTR lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;
  RECT rcPaint;
};

// ---- classes and windows ---------------------------------------------------------
// Registering a class name that is already registered fails (0).
ATOM RegisterClass(const WNDCLASS* windowClass);
inline ATOM RegisterClassEx(const WNDCLASSEX* windowClass) { return RegisterClass(windowClass); }
BOOL UnregisterClass(LPCSTR className, HINSTANCE instance);

// parent: the parent of a WS_CHILD window (menu is then its control id), else the owner.
HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
inline HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                         HWND parent, HMENU menu, HINSTANCE instance, void* param) {
  return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
// Destroys the window, its children first and its owned windows, with WM_DESTROY and
// WM_NCDESTROY; only the owning thread may destroy a window.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- messages ----------------------------------------------------------------------
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Returns 0 on WM_QUIT, -1 for an invalid window filter, else 1.
BOOL GetMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
BOOL PeekMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
// Handles keyboard navigation for a modeless dialog (Escape = IDCANCEL, Return =
// the default button); TRUE when the message was the dialog's.
BOOL IsDialogMessage(HWND dialog, MSG* msg);

// ---- painting ------------------------------------------------------------------------
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
BOOL UpdateWindow(HWND window);
BOOL RedrawWindow(HWND window, const RECT* rect, void* region, UINT flags);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

// ---- geometry and state ----------------------------------------------------------------
BOOL SetWindowText(HWND window, LPCSTR text);
int GetWindowText(HWND window, LPSTR buffer, int size);
int GetWindowTextLength(HWND window);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL ShowWindow(HWND window, int command);
BOOL IsWindowVisible(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);
HWND SetFocus(HWND window);
HWND GetFocus();
HWND SetActiveWindow(HWND window);
HWND GetActiveWindow();
HWND GetParent(HWND window);
HWND GetWindow(HWND window, UINT relation);
LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtr(HWND window, int index);
inline LONG_PTR SetWindowLong(HWND window, int index, LONG_PTR value) { return SetWindowLongPtr(window, index, value); }
inline LONG_PTR GetWindowLong(HWND window, int index) { return GetWindowLongPtr(window, index); }
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND window);
DWORD GetWindowThreadProcessId(HWND window, DWORD* processId);

// ---- cursors and keyboard ----------------------------------------------------------------
inline LPCSTR const IDC_ARROW = reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(32512));
inline LPCSTR const IDC_IBEAM = reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(32513));
inline LPCSTR const IDC_WAIT = reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(32514));
inline LPCSTR const IDC_CROSS = reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(32515));
HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HICON LoadIcon(HINSTANCE instance, LPCSTR name);
// Negative (high bit set) while the key is down; driven by the test driver's input and
// the front end's. GetKeyState tells Shift and Ctrl as a key the front end posted was
// typed while its thread handles it; GetAsyncKeyState the keyboard as it is now.
SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);

namespace platform {

// The window's class name ("" for an invalid handle).
std::string ClassNameOf(HWND window);
// The cursor last set with SetCursor (for tests).
HCURSOR CurrentCursor();
// Runs hook(context) on the calling thread's idle turns: whenever its message loop
// (GetMessage, a modal loop) finds the queue empty and nothing to paint. The hook
// says whether it wants another turn at once (Again), after a short wait (Poll), or
// only when the queue has been busy again (Idle). One hook per thread; nullptr
// removes it.
enum class IdleResult { Idle, Again, Poll };
using IdleHook = IdleResult (*)(void* context);
void SetIdleHook(IdleHook hook, void* context);
// Services messages sent to the calling thread's windows from other threads.
void ServiceSentMessages();
// The thread that owns the window (0 for an invalid handle).
DWORD WindowThread(HWND window);
// Runs fn on the thread that owns the window and waits for it: directly when that is
// the caller, else when the owner next services messages sent to it (its message loop,
// a modal loop or any wait). False, fn not run, when the window or its thread is gone.
bool RunOnWindowThread(HWND window, const std::function<void()>& fn);
// The screen area that top-level windows are placed in (the desktop's usable area;
// the front end sets it from its display, headless it is 0, 0, 1280, 1024). A window
// created with CW_USEDEFAULT for its position, and every dialog, is kept inside it.
void SetScreenArea(const RECT& area);
RECT ScreenArea();
// A rectangle of the given size centred over the owner's top-level window (over the
// screen area when owner is no window), moved inside the screen area; one larger
// than the area keeps its top-left corner inside.
RECT PlaceOver(HWND owner, int width, int height);
// Where a new modeless window of the owner opens: as PlaceOver when that covers none of
// the owner's other shown windows; else beside them, at the place on the screen that
// covers least of them (nearest the centred one of those that cover as little), so
// that windows opened one after the other do not hide each other's fields.
RECT PlaceBeside(HWND owner, int width, int height);
// rect moved inside the screen area as PlaceOver does, its size kept.
RECT KeepOnScreen(RECT rect);
// Runs fn holding lock: on the thread that owns the window, or on the caller's when there
// is no window (nullptr) or it or its thread is gone.
template <class Lock>
void RunLockedOnWindowThread(HWND window, Lock& lock, const std::function<void()>& fn) {
  const std::function<void()> locked = [&lock, &fn] {
    std::lock_guard<Lock> guard(lock);
    fn();
  };
  if (!window || !RunOnWindowThread(window, locked)) locked();
}
// Writes a PNG of the window as a person would see it: frame, caption, menu bar,
// client area, child windows and the layer's own controls. 1 success, 0 failure.
BOOL SnapshotWindow(HWND window, const char* path);
// Sets the key state that GetKeyState reports (the test driver's input).
void SetKeyDown(int virtualKey, bool down);

}  // namespace platform
