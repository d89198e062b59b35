// The built-in controls: buttons, check boxes, radio buttons, single-line edits,
// static texts and colour swatches, list boxes, scroll bars, trackbars, toolbars and
// status bars. Each is a window class of its own; its state may be read and set from
// any thread under the window system's lock.
#pragma once

#include <string>

#include "platform/windows/Window.h"

// Class names.
inline constexpr const char* WC_BUTTON = "BUTTON";
inline constexpr const char* WC_EDIT = "EDIT";
inline constexpr const char* WC_STATIC = "STATIC";
inline constexpr const char* WC_LISTBOX = "LISTBOX";
inline constexpr const char* WC_SCROLLBAR = "SCROLLBAR";
inline constexpr const char* TRACKBAR_CLASS = "msctls_trackbar32";
inline constexpr const char* TOOLBARCLASSNAME = "ToolbarWindow32";
inline constexpr const char* STATUSCLASSNAME = "msctls_statusbar32";

// Notification codes travel in the high word of WM_COMMAND's wParam.
constexpr int MAKE_COMMAND_CODE_SHIFT = 16;

// ---- buttons ----------------------------------------------------------------------
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_CHECKBOX = 0x2;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD BS_RADIOBUTTON = 0x4;
constexpr DWORD BS_3STATE = 0x5;
constexpr DWORD BS_AUTO3STATE = 0x6;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
constexpr DWORD BS_TYPEMASK = 0xF;
constexpr WORD BN_CLICKED = 0;
constexpr WORD BN_SETFOCUS = 6;
constexpr WORD BN_KILLFOCUS = 7;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5;
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;

// ---- edits -------------------------------------------------------------------------
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_NUMBER = 0x2000;
constexpr WORD EN_SETFOCUS = 0x0100;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD EN_CHANGE = 0x0300;
constexpr WORD EN_UPDATE = 0x0400;
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_SETREADONLY = 0x00CF;

// ---- statics -----------------------------------------------------------------------
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_BLACKRECT = 0x0004;
constexpr DWORD SS_BLACKFRAME = 0x0007;
constexpr DWORD SS_SUNKEN = 0x1000;

// ---- list boxes ----------------------------------------------------------------------
constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_SORT = 0x0002;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr DWORD LBS_DISABLENOSCROLL = 0x1000;
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_INSERTSTRING = 0x0181;
constexpr UINT LB_DELETESTRING = 0x0182;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_FINDSTRING = 0x018F;
constexpr UINT LB_SETTOPINDEX = 0x0197;
constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;
constexpr LRESULT LB_ERR = -1;
constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD LBN_DBLCLK = 2;
constexpr WORD LBN_SELCANCEL = 3;
constexpr WORD LBN_SETFOCUS = 4;
constexpr WORD LBN_KILLFOCUS = 5;

// ---- scroll bars ---------------------------------------------------------------------
constexpr DWORD SBS_HORZ = 0x0000;
constexpr DWORD SBS_VERT = 0x0001;
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr WORD SB_LINEUP = 0;
constexpr WORD SB_LINELEFT = 0;
constexpr WORD SB_LINEDOWN = 1;
constexpr WORD SB_LINERIGHT = 1;
constexpr WORD SB_PAGEUP = 2;
constexpr WORD SB_PAGELEFT = 2;
constexpr WORD SB_PAGEDOWN = 3;
constexpr WORD SB_PAGERIGHT = 3;
constexpr WORD SB_THUMBPOSITION = 4;
constexpr WORD SB_THUMBTRACK = 5;
constexpr WORD SB_TOP = 6;
constexpr WORD SB_BOTTOM = 7;
constexpr WORD SB_ENDSCROLL = 8;
constexpr UINT SBM_SETPOS = 0x00E0;
constexpr UINT SBM_GETPOS = 0x00E1;
constexpr UINT SBM_SETRANGE = 0x00E2;
constexpr UINT SBM_GETRANGE = 0x00E3;
int SetScrollPos(HWND window, int bar, int position, BOOL redraw);
int GetScrollPos(HWND window, int bar);
BOOL SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw);
BOOL GetScrollRange(HWND window, int bar, int* minimum, int* maximum);

// ---- trackbars -----------------------------------------------------------------------
constexpr DWORD TBS_AUTOTICKS = 0x0001;
constexpr DWORD TBS_VERT = 0x0002;
constexpr DWORD TBS_HORZ = 0x0000;
constexpr DWORD TBS_NOTICKS = 0x0010;
constexpr UINT TBM_GETPOS = WM_USER;
constexpr UINT TBM_GETRANGEMIN = WM_USER + 1;
constexpr UINT TBM_GETRANGEMAX = WM_USER + 2;
constexpr UINT TBM_SETPOS = WM_USER + 5;
constexpr UINT TBM_SETRANGE = WM_USER + 6;
constexpr UINT TBM_SETRANGEMIN = WM_USER + 7;
constexpr UINT TBM_SETRANGEMAX = WM_USER + 8;
constexpr UINT TBM_SETTICFREQ = WM_USER + 20;
constexpr UINT TBM_SETPAGESIZE = WM_USER + 21;
constexpr UINT TBM_GETPAGESIZE = WM_USER + 22;
constexpr UINT TBM_SETLINESIZE = WM_USER + 23;
constexpr WORD TB_LINEUP = 0;
constexpr WORD TB_LINEDOWN = 1;
constexpr WORD TB_PAGEUP = 2;
constexpr WORD TB_PAGEDOWN = 3;
constexpr WORD TB_THUMBPOSITION = 4;
constexpr WORD TB_THUMBTRACK = 5;
constexpr WORD TB_TOP = 6;
constexpr WORD TB_BOTTOM = 7;
constexpr WORD TB_ENDTRACK = 8;

// ---- toolbars ------------------------------------------------------------------------
constexpr DWORD CCS_TOP = 0x0001;
constexpr DWORD CCS_BOTTOM = 0x0003;
constexpr DWORD CCS_ADJUSTABLE = 0x0020;
constexpr BYTE TBSTATE_CHECKED = 0x01;
constexpr BYTE TBSTATE_ENABLED = 0x04;
constexpr BYTE TBSTYLE_BUTTON = 0x00;
constexpr BYTE TBSTYLE_SEP = 0x01;
constexpr UINT TB_ENABLEBUTTON = WM_USER + 1;
constexpr UINT TB_ADDBITMAP = WM_USER + 19;
constexpr UINT TB_ADDBUTTONS = WM_USER + 20;
constexpr UINT TB_BUTTONCOUNT = WM_USER + 24;
constexpr UINT TB_BUTTONSTRUCTSIZE = WM_USER + 30;
constexpr UINT TB_AUTOSIZE = WM_USER + 33;
// The standard image strip of the common controls and its images.
inline HINSTANCE const HINST_COMMCTRL = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(-1));
constexpr UINT_PTR IDB_STD_SMALL_COLOR = 0;
constexpr UINT_PTR IDB_STD_LARGE_COLOR = 1;
constexpr int STD_CUT = 0;
constexpr int STD_COPY = 1;
constexpr int STD_PASTE = 2;
constexpr int STD_UNDO = 3;
constexpr int STD_REDOW = 4;
constexpr int STD_DELETE = 5;
constexpr int STD_FILENEW = 6;
constexpr int STD_FILEOPEN = 7;
constexpr int STD_FILESAVE = 8;
constexpr int STD_PRINTPRE = 9;
constexpr int STD_PROPERTIES = 10;
constexpr int STD_HELP = 11;
constexpr int STD_FIND = 12;
constexpr int STD_REPLACE = 13;
constexpr int STD_PRINT = 14;

struct TBBUTTON {
  int iBitmap = 0;
  int idCommand = 0;
  BYTE fsState = 0;
  BYTE fsStyle = 0;
  BYTE bReserved[2] = {0, 0};
  DWORD_PTR dwData = 0;
  INT_PTR iString = 0;
};

// hInst HINST_COMMCTRL with nID IDB_STD_*: the standard strip; hInst nullptr: nID is
// an HBITMAP whose strip of square images (height x height) is added.
struct TBADDBITMAP {
  HINSTANCE hInst = nullptr;
  UINT_PTR nID = 0;
};

void InitCommonControls();

// ---- status bars ------------------------------------------------------------------------
constexpr UINT SB_SETTEXT = WM_USER + 1;
constexpr UINT SB_GETTEXT = WM_USER + 2;
constexpr UINT SB_GETTEXTLENGTH = WM_USER + 3;
constexpr UINT SB_SETPARTS = WM_USER + 4;
constexpr UINT SB_GETPARTS = WM_USER + 6;
constexpr int SBARS_SIZEGRIP = 0x0100;
// Creates a status bar child window of parent along its bottom edge.
HWND CreateStatusWindow(LONG style, LPCSTR text, HWND parent, UINT id);

// ---- dialog-item helpers ----------------------------------------------------------------
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int size);
// Reads a decimal integer (with optional sign when isSigned); *translated says
// whether the whole text was a number.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks the radio button `check` of the buttons first..last and clears the others.
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);

namespace platform {

// Texts of the layer's own controls, readable from any thread (for tests).
std::string StatusText(HWND statusBar, int part);
int StatusPartCount(HWND statusBar);
// Whether the part's text is drawn whole at the bar's present width (not cut off).
bool StatusTextShownWhole(HWND statusBar, int part);
// Number of toolbar buttons, and the command id of button index (0 when none, for a
// separator, or while the button is disabled).
int ToolbarButtonCount(HWND toolbar);
int ToolbarCommand(HWND toolbar, int index);

}  // namespace platform
