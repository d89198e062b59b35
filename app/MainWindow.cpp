#include "app/MainWindow.h"

#include <cstdlib>

#include "display/AnalysisOptions.h"
#include "app/Hooks.h"
#include "app/MainPaint.h"
#include "app/ModelDialogs.h"
#include "display/PenBrush.h"
#include "app/Wiring.h"
#include "convert/AomCalibrationDialog.h"
#include "convert/AsciiInputDialog.h"
#include "convert/FtmwDialog.h"
#include "convert/CalNormLinDialog.h"
#include "convert/FileConversionDialog.h"
#include "convert/OpSeq.h"
#include "core/DebugLog.h"
#include "core/Coords.h"
#include "display/DisplayDialogs.h"
#include "display/FileSection.h"
#include "core/Repaint.h"
#include "display/Print.h"
#include "display/ViewKeys.h"
#include "fit/NLLsf.h"
#include "platform/windows/CommonDialogs.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/gdi/Gdi.h"
#include "platform/windows/Menu.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Ga.h"
#include "records/Lsf.h"
#include "records/Sim.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "resources/Glyphs.h"
#include "resources/Menus.h"
#include "sim/SimDialogs.h"

namespace {

constexpr UINT kErrorBox = MB_SYSTEMMODAL | MB_ICONERROR;       // 0x1010
constexpr UINT kWarningBox = MB_SYSTEMMODAL | MB_ICONWARNING;   // 0x1030
constexpr UINT kInfoBox = MB_SYSTEMMODAL | MB_ICONINFORMATION;  // 0x1040
constexpr UINT kQuestionBox = MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO;  // 0x1024
constexpr int16_t kDebugTopicPrint = 113;

// Runs a modal dialog of the program; repaints with tag when it ends with 1.
void ModalDialog(HWND window, int templateId, DLGPROC procedure, const char* tag) {
  if (DialogBox(Win.hInst, MAKEINTRESOURCE(templateId), window, procedure) == 1) RepaintWindow(tag, window, TRUE);
}

void ExitCommand(HWND window, uint32_t update) {
  Sim.Upd_Stat = update;
  if (MainQuitSave(window) != 1) return;
  // A running operation sequence ends at its next block or command first, with its log
  // written, never in the middle of an output.
  if (ThreadCtl.OpSeq_Alive != 0) CnvOperationSequenceStop();
  DestroyWindow(window);
}

// The scroll printout on the impact printer, after its options dialog ended with PRINT.
// Nothing more is said, and nothing repainted, when the printout failed.
void ScrollPrintCommand(HWND window, const char* printer) {
  if (DialogBox(Win.hInst, MAKEINTRESOURCE(IDD_SCROLL_PRINTER), window, ScrollPrinterDialogProc) != IDC_SP_PRINT)
    return;
  if (MessageBox(window, "RETRACT PAPER?", "Question", kQuestionBox) == IDYES)
    for (int i = 0; i < 3; ++i) PrntCmd(window, printer, -1);
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const int32_t printed = PrntCmd(window, printer, 0);
  SetCursor(LoadCursor(nullptr, IDC_CROSS));
  if (printed != 1) return;
  MessageBox(window, "PRINTING COMPLETE", "Info", kInfoBox);
  RepaintWindow("WIN_19P", window, TRUE);
}

void PrintCommand(HWND window) {
  if (Debug.DebugLevel == kDebugTopicPrint) DebugLogWrite("BEGIN PRINT\n");
  PRINTDLG pd;
  pd.hwndOwner = window;
  pd.Flags = PD_RETURNDC;
  if (Debug.DebugLevel == kDebugTopicPrint) DebugLogWrite("BEGIN PRINT(2)\n");
  BOOL chosen = PrintDlg(&pd);
  if (Debug.DebugLevel == kDebugTopicPrint) DebugLogWrite("BEGIN PRINT(3)\n");
  if (chosen == 1) {
    char device[CCHDEVICENAME + 1] = "";
    if (auto* mode = static_cast<DEVMODE*>(GlobalLock(pd.hDevMode))) {
      StrCopy(device, sizeof device, mode->dmDeviceName);
      GlobalUnlock(pd.hDevMode);
    }
    if (std::string(device) == SCROLL_PRINTER_NAME) {
      if (Win.Active_Chn == 9)
        MessageBox(window, "NO DATA CHNS SELECTED TO PRINT\n\nDSP DATA FIRST\n\nABORTING", "Warning", kWarningBox);
      else
        ScrollPrintCommand(window, device);
    } else if (pd.hDC) {
      DOCINFO info;
      info.lpszDocName = "Qv95 PLOT";
      if (StartDoc(pd.hDC, &info) > 0) {
        StartPage(pd.hDC);
        PaintParentWindowPaper(3, window, Win.hWnd_ToolBar, pd.hDC);
        EndPage(pd.hDC);
        EndDoc(pd.hDC);
      }
    }
  }
  if (pd.hDC) DeleteDC(pd.hDC);
  if (pd.hDevMode) GlobalFree(pd.hDevMode);
  if (pd.hDevNames) GlobalFree(pd.hDevNames);
}

// Toolbar and key commands that go to the view commands: repaint on 1 only.
void ViewKeyCommand(HWND window, int32_t key, LPARAM lParam, const char* tag) {
  if (DisplayViewKey(window, key, lParam) == 1) RepaintWindow(tag, window, TRUE);
}
void CursorKeyCommand(HWND window, int32_t key, int32_t flags, const char* tag) {
  if (DisplayCursorKey(1, window, key, flags) == 1) RepaintWindow(tag, window, TRUE);
}

// Toolbar QN buttons: the quantum-number mode of set A or B flips; on, the cursor
// window is selected for assignment ('j'); off, the JKK QN dialog ('J') and the
// quadrupole QN dialog are hidden. Repaints in any case.
void QuantumNumberModeCommand(HWND window, int16_t set, LPARAM lParam, const char* tag) {
  Sim.Cur_Set = set;
  Sim.Dlg_Req[SIM_DLG_JKKQN][set] = Sim.Dlg_Req[SIM_DLG_JKKQN][set] ? 0 : 1;
  if (Sim.Dlg_Req[SIM_DLG_JKKQN][set] == 1) {
    DisplayViewKey(window, 'j', lParam);
  } else {
    DisplayViewKey(window, 'J', lParam);
    Sim.Dlg_Req[SIM_DLG_QUADQN][set] = SimQuadQNDialogShow(set, 0, Win.hWnd_Main);
  }
  RepaintWindow(tag, window, TRUE);
}

void Command(HWND window, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDM_TOGGLE_PATH:
      // The file dialogs propose the data folder with a name (1) or the name alone (0).
      Dsp.Path_Propose = Dsp.Path_Propose ? 0 : 1;
      MainStatusText(2, Dsp.Path_Propose ? "TITLE BAR PATH USED FOR FILE OPEN DIALOG"
                                         : "LAST OPEN PATH USED FOR FILE OPEN DIALOG");
      break;
    case IDM_OPEN:
      Sim.Upd_Stat = 1;
      WiredWorkFileMenu(0, window);
      break;
    case IDM_SAVE:
      Sim.Upd_Stat = 0;
      WiredWorkFileMenu(1, window);
      break;
    case IDM_UPDATE_SAVE:
      Sim.Upd_Stat = 1;
      WiredWorkFileMenu(1, window);
      break;
    case IDM_EXIT:
      ExitCommand(window, 0);
      break;
    case IDM_UPDATE_EXIT:
      ExitCommand(window, 1);
      break;
    case IDM_ASCII_OUTPUT:
      MainStatusText(2, "USE BIN-2-ASCII DIALOG OPTION");
      ModalDialog(window, IDD_FILE_CONVERSION, FileConversionDialogProc, "WIN_21P");
      break;
    case IDM_CONVERSION:
      ModalDialog(window, IDD_FILE_CONVERSION, FileConversionDialogProc, "WIN_21P");
      break;
    case IDM_ANALYSIS:
      ModalDialog(window, IDD_ANALYSIS_OPTIONS, AnalysisOptionsDialogProc, "WIN_20P");
      break;
    case IDM_ASCII_INPUT:
      ModalDialog(window, IDD_ASCII_INPUT, AsciiInputDialogProc, "WIN_24P");
      break;
    case IDM_SPECIAL_INPUT:
      ModalDialog(window, IDD_FTMW, FTMWProc, "WIN_23P");
      break;
    case IDM_CAL_NORM_LIN:
      ModalDialog(window, IDD_CAL_NORM_LIN, CalNormLinDialogProc, "WIN_26P");
      break;
    case IDM_AOM_CAL:
      ModalDialog(window, IDD_AOM_CALIBRATION, AomCalibrationDialogProc, "WIN_25P");
      break;
    case IDM_PRINT:
      PrintCommand(window);
      break;
    case IDM_ROT_CALC:
      ModalDialog(window, IDD_ORV_OPTIONS, OrvCalcProc, "WIN_27P");
      break;
    case IDM_VIB_CALC:
      ModalDialog(window, IDD_FG_OPTIONS, FgOptionsDialogProc, "WIN_27P");
      break;
    case IDM_GENETIC:
      ModalDialog(window, IDD_GA_OPTIONS, GaOptionsDialogProc, "WIN_28P");
      break;
    case IDM_ABOUT:
      MessageBox(window, Win.Version[Win.Version_Idx >= 0 && Win.Version_Idx < 3 ? Win.Version_Idx : 2], "Info",
                 kInfoBox);
      break;
    case IDM_DEBUG_FILE:
      DebugFileSet(DEBUG_TOPIC_FILE, 1, 1);
      break;
    case IDM_DEBUG_MSG:
      Debug.DebugLevel = Debug.DebugLevel == 0 ? DEBUG_TOPIC_MESSAGE : DEBUG_LEVEL_OFF;
      break;
    case IDM_SCALAR_OFFSET_DLG:
      Dsp.SclOfs_Shown = DisplayScalarOffsetDialogShow(Dsp.SclOfs_Shown ? 0 : 1, window);
      break;
    case IDM_CURSOR_INFO_DLG:
      Win.CurInfo_Shown = DisplayCursorInfoDialogShow(Win.CurInfo_Shown ? 0 : 1, window);
      break;
    case IDM_ZERO_SECTION:
      CnvReplaceFile(0, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 1);
      break;
    case IDM_REPLACE_SECTION:
      CnvReplaceFile(0, 1, 0, nullptr, nullptr, 1, 0, 0, 0, 1);
      break;
    case IDM_ZERO_OFFSET:
      CnvReplaceFile(0, 2, 0, nullptr, nullptr, 1, 0, 0, 0, 1);
      break;
    case IDM_SIM_CONTROL_DLG:
      Sim.Ctl_Shown = Sim.Ctl_Shown ? 0 : 1;
      Sim.Ctl_Shown = static_cast<uint32_t>(SimControlDialogShow(Sim.Ctl_Shown, Win.hWnd_Main));
      break;
    case IDT_SCALE_UP:
      CursorKeyCommand(window, VK_UP, CURSOR_KEY_SCALE_UP, "WIN_6P");
      break;
    case IDT_SCALE_DOWN:
      CursorKeyCommand(window, VK_DOWN, CURSOR_KEY_SCALE_DOWN, "WIN_7P");
      break;
    case IDT_EXPAND:
      ViewKeyCommand(window, 'x', lParam, "WIN_11P");
      break;
    case IDT_CONTRACT:
      ViewKeyCommand(window, 'o', lParam, "WIN_10P");
      break;
    case IDT_FORWARD:
      CursorKeyCommand(window, VK_RIGHT, CURSOR_KEY_SHIFT, "WIN_9P");
      break;
    case IDT_BACK:
      CursorKeyCommand(window, VK_LEFT, CURSOR_KEY_SHIFT, "WIN_8P");
      break;
    case IDT_SIM_A:
      ViewKeyCommand(window, '[', lParam, "WIN_12P");
      break;
    case IDT_SIM_B:
      ViewKeyCommand(window, ']', lParam, "WIN_13P");
      break;
    case IDT_SIM_AB:
      ViewKeyCommand(window, '+', lParam, "WIN_14P");
      break;
    case IDT_QN_A:
      QuantumNumberModeCommand(window, 0, lParam, "WIN_15P");
      break;
    case IDT_QN_B:
      QuantumNumberModeCommand(window, 1, lParam, "WIN_16P");
      break;
    case IDT_MARK_LOW:
      ViewKeyCommand(window, 'm', lParam, "WIN_17P");
      break;
    case IDT_MARK_HIGH:
      ViewKeyCommand(window, 'M', lParam, "WIN_18P");
      break;
    default:
      break;
  }
}

bool Held(WPARAM keys, WPARAM flag) { return (keys & flag) != 0; }

void LeftButtonDown(HWND window, WPARAM keys, int32_t x, int32_t y) {
  if (Held(keys, MK_SHIFT)) {
    DisplayCursorKey(1, window, VK_LEFT, CURSOR_KEY_SHIFT);
  } else if (Held(keys, MK_CONTROL)) {
    DisplayCursorKey(1, window, VK_DOWN, CURSOR_KEY_CTRL);
  } else if (Held(keys, MK_RBUTTON)) {
    DisplayCursorKey(1, window, VK_DOWN, CURSOR_KEY_SCALE_DOWN);
  } else {
    Win.Mouse_Down = 1;
    Win.Cursor_X = x;
    Win.Cursor_Y = y;
    if (Win.Cursor_Window_On == 1) {
      Win.Drag_X0 = x;
      Win.Drag_Y0 = y;
    }
  }
  RepaintWindow("WIN_3P", window, TRUE);
}

// A plain right press does nothing here (its release may open the right-click menu)
// and repaints nothing.
void RightButtonDown(HWND window, WPARAM keys) {
  if (Held(keys, MK_SHIFT))
    DisplayCursorKey(1, window, VK_RIGHT, CURSOR_KEY_SHIFT);
  else if (Held(keys, MK_CONTROL))
    DisplayCursorKey(1, window, VK_UP, CURSOR_KEY_CTRL);
  else if (Held(keys, MK_LBUTTON))
    DisplayCursorKey(1, window, VK_UP, CURSOR_KEY_SCALE_UP);
  else
    return;
  RepaintWindow("WIN_5P", window, TRUE);
}

void LeftButtonUp(HWND window, WPARAM keys) {
  if (Held(keys, MK_SHIFT) || Held(keys, MK_CONTROL) || Held(keys, MK_RBUTTON)) return;
  bool cursorWindow = Win.Cursor_Window_On == 1;
  if (cursorWindow && Win.Cursor_HalfWidth == 0) Win.Cursor_HalfWidth = std::abs(Win.Drag_X0 - Win.Drag_X);
  Win.Mouse_Drag = 0;
  Win.Mouse_Down = 0;
  if (cursorWindow) RepaintWindow("WIN_4P", window, TRUE);
}

void MouseMove(int32_t x, int32_t y) {
  if (Win.Active_Chn == 9) return;
  int32_t yp = y - Win.Plot_Y0;
  if (Win.Mouse_Down == 1 && Win.Cursor_Window_On == 1) {
    Win.Mouse_Drag = 1;
    if (std::abs(Win.Drag_X0 - x) >= std::abs(Win.Cursor_HalfWidth)) {
      Win.Cursor_HalfWidth = 0;
      Win.Drag_X = x;
      Win.Drag_Y = yp;
    }
  }
  char text[300];
  if (DisplayCursorReadout(x, y, text, sizeof text)) MainStatusText(0, text);
}

void SizeMessage(LPARAM lParam) {
  int width = LOWORD(static_cast<uintptr_t>(lParam));
  int height = HIWORD(static_cast<uintptr_t>(lParam));
  if (Win.hWnd_StatusBar) {
    RECT bar;
    GetWindowRect(Win.hWnd_StatusBar, &bar);
    int barHeight = bar.bottom - bar.top;
    // The status bar keeps its own height along the bottom edge.
    MoveWindow(Win.hWnd_StatusBar, 0, height - barHeight, width, barHeight, TRUE);
  }
  if (Win.hWnd_ToolBar) SendMessage(Win.hWnd_ToolBar, TB_AUTOSIZE, 0, 0);
}

}  // namespace

void MainStatusText(int32_t part, const char* text) {
  if (Win.hWnd_StatusBar && IsWindow(Win.hWnd_StatusBar))
    SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

void OptionNotAvailable(HWND owner) { MessageBox(owner, NOT_AVAILABLE_TEXT, "Info", kInfoBox); }

int WinMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show) {
  return AppMain(instance, previous, commandLine, show);
}

ATOM InitApplication(HINSTANCE instance) {
  RegisterDialogResources();
  RegisterMenuResources();
  WNDCLASS wc;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(IDI_QV95));
  wc.hCursor = LoadCursor(nullptr, IDC_CROSS);
  wc.hbrBackground = nullptr;
  wc.lpszMenuName = MAIN_MENU_NAME;
  wc.lpszClassName = MAIN_CLASS_NAME;
  return RegisterClass(&wc);
}

// The main window's first size: on a screen of 1024 x 768, wide enough for the status
// bar's two readouts and its two message parts.
constexpr int kMainWidth = 1024;
constexpr int kMainHeight = 720;

int32_t InitInstance(HINSTANCE instance, int show) {
  Win.hWnd_Main = CreateWindowEx(0, MAIN_CLASS_NAME, MAIN_CLASS_NAME, WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS,
                                 CW_USEDEFAULT, CW_USEDEFAULT, kMainWidth, kMainHeight, nullptr, nullptr, instance,
                                 nullptr);
  if (!Win.hWnd_Main) {
    MessageBox(nullptr, "InitInstance()/CreateWindow() - RETURNED NULL", "Error", kErrorBox);
    return 0;
  }
  ShowWindow(Win.hWnd_Main, show);
  if (!GetMenu(Win.hWnd_Main)) MessageBox(nullptr, "InitInstance()/GetMenu() - RETURNED NULL", "Error", kErrorBox);
  return 1;
}

int AppMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show) {
  (void)previous;
  (void)commandLine;
  Qv95HooksInstall();
  if (!InitApplication(instance)) return 0;
  if (!InitInstance(instance, show)) {
    UnregisterClass(MAIN_CLASS_NAME, instance);
    return 0;
  }
  Win.hInst = instance;
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  UnregisterClass(MAIN_CLASS_NAME, instance);
  return static_cast<int>(msg.wParam);
}

HWND CreateToolBarStatusBar(HWND parent) {
  InitCommonControls();
  HWND toolbar = CreateWindowEx(0, TOOLBARCLASSNAME, "", WS_CHILD | WS_VISIBLE | WS_BORDER | CCS_ADJUSTABLE, 0, 0, 0, 0,
                                parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(IDC_MAIN_TOOLBAR)), Win.hInst,
                                nullptr);
  if (toolbar) {
    SendMessage(toolbar, TB_BUTTONSTRUCTSIZE, 20, 0);
    TBADDBITMAP standard;
    standard.hInst = HINST_COMMCTRL;
    standard.nID = IDB_STD_LARGE_COLOR;
    // The standard strip always brings all its 15 images, whatever count is given;
    // the four buttons below use images 6, 7, 8 and 14 of it.
    LRESULT base = SendMessage(toolbar, TB_ADDBITMAP, 15, reinterpret_cast<LPARAM>(&standard));
    const int stdImages[4] = {STD_FILENEW, STD_FILEOPEN, STD_FILESAVE, STD_PRINT};
    const int stdCommands[4] = {90, 91, 93, 92};
    TBBUTTON buttons[13];
    for (int i = 0; i < 4; ++i) {
      buttons[i].iBitmap = static_cast<int>(base) + stdImages[i];
      buttons[i].idCommand = stdCommands[i];
      buttons[i].fsState = TBSTATE_ENABLED;
      buttons[i].fsStyle = TBSTYLE_BUTTON;
    }
    SendMessage(toolbar, TB_ADDBUTTONS, 4, reinterpret_cast<LPARAM>(buttons));

    if (Win.hBmp_ToolBar) DeleteObject(Win.hBmp_ToolBar);
    Win.hBmp_ToolBar = CreateToolbarBitmap();
    TBADDBITMAP glyphs;
    glyphs.nID = reinterpret_cast<UINT_PTR>(Win.hBmp_ToolBar);
    LRESULT first = SendMessage(toolbar, TB_ADDBITMAP, TOOLBAR_IMAGES, reinterpret_cast<LPARAM>(&glyphs));
    const int commands[13] = {IDT_SCALE_UP, IDT_SCALE_DOWN, IDT_CONTRACT, IDT_EXPAND, IDT_BACK,
                              IDT_FORWARD,  IDT_SIM_A,      IDT_SIM_B,    IDT_SIM_AB, IDT_QN_A,
                              IDT_QN_B,     IDT_MARK_LOW,   IDT_MARK_HIGH};
    for (int i = 0; i < 13; ++i) {
      buttons[i] = TBBUTTON{};
      buttons[i].iBitmap = static_cast<int>(first) + i;
      buttons[i].idCommand = commands[i];
      buttons[i].fsState = TBSTATE_ENABLED;
      buttons[i].fsStyle = TBSTYLE_BUTTON;
    }
    SendMessage(toolbar, TB_ADDBUTTONS, 13, reinterpret_cast<LPARAM>(buttons));
  }

  Win.hWnd_StatusBar =
      CreateStatusWindow(static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_MAXIMIZE | WS_BORDER), "", parent,
                         IDC_MAIN_STATUSBAR);
  if (!Win.hWnd_StatusBar) {
    MessageBox(parent, "CreateToolBarStatusBar()\n\nCreateStatusWindow() RETURNED NULL\n\nABORTING", "Error",
               kErrorBox);
  } else {
    DisplayStatusPartsSet(Win.hWnd_StatusBar);
  }
  if (toolbar) ShowWindow(toolbar, SW_SHOW);
  return toolbar;
}

namespace {

bool ThreadAlive(HANDLE thread) { return thread != nullptr && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT; }

}  // namespace

bool ProgramWorkersBusy() {
  // A view request waiting for its run counts as well: it runs as soon as the run under
  // way, or the thread that has just been made for it, takes it.
  const bool view = ThreadCtl.View_Busy != 0 || ThreadCtl.View_Running != 0 || ThreadCtl.View_Request != 0 ||
                    ThreadAlive(ThreadCtl.View_Thread);
  // The pool of a sequence command is made and joined by the sequence's thread.
  const bool sequence = ThreadCtl.OpSeq_Alive != 0;
  // A fit is marked ended just before its worker posts the end to its dialog: the
  // worker counts until it has ended.
  const bool fit = NLLsfRunning(-1) || ThreadAlive(Lsf.Fit_Thread);
  const bool geneticRun = Ga.Run_Stat != 0 || ThreadAlive(Ga.Run_Thread);
  return view || sequence || fit || geneticRun;
}

int32_t MainQuitSave(HWND window) {
  if (WiredWorkFileQuitSave(window) == 0) return 0;
  SimPenBrushSet(0, 1, 0, 0, 0);
  return 1;
}

int32_t ContextMenuHit(HWND window, int32_t x, int32_t y) {
  RECT client;
  GetClientRect(window, &client);
  if (x < client.left || x >= client.right || y < client.top || y >= client.bottom) return 0;
  POINT point{x, y};
  ClientToScreen(window, &point);
  DisplayContextMenu(window, point.x, point.y);
  return 1;
}

void DisplayContextMenu(HWND window, int32_t screenX, int32_t screenY) {
  HMENU menu = LoadMenu(Win.hInst, MAKEINTRESOURCE(IDM_RIGHT_CLICK));
  if (!menu) {
    MessageBox(window, "DisplayContextMenu()/LoadMenu() - PARENT RETURNED NULL!", "Error", kErrorBox);
    return;
  }
  HMENU popup = GetSubMenu(menu, 0);
  if (!popup) {
    MessageBox(window, "DisplayContextMenu/GetSubMenu() - PARENT RETURNED NULL!", "Error", kErrorBox);
  } else if (!TrackPopupMenu(popup, TPM_RIGHTBUTTON, screenX, screenY, 0, window, nullptr)) {
    // Closing the menu without a choice is no failure here; only a menu that could not
    // be shown would be, and the window system always shows it.
  }
  DestroyMenu(menu);
}

LRESULT MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  int32_t x = GET_X_LPARAM(lParam);
  int32_t y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_CREATE:
      Win.hWnd_ToolBar = CreateToolBarStatusBar(window);
      if (!Win.hWnd_ToolBar)
        MessageBox(window, "MainWndProc()\n\nCreateToolBarStatusBar() RETURNED NULL\n\nABORTING", "Error", kErrorBox);
      return 0;
    case WM_DESTROY:
      if (Win.hBmp_ToolBar) DeleteObject(Win.hBmp_ToolBar);
      Win.hBmp_ToolBar = nullptr;
      DisplayPaintBuffersFree();
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      SizeMessage(lParam);
      return 0;
    case WM_PAINT:
      PaintParentWindowPaper(2, window, Win.hWnd_ToolBar, nullptr);
      return 0;
    case WM_CLOSE:
      ExitCommand(window, 1);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_KEYDOWN:
      if (DisplayCursorKey(0, window, static_cast<int32_t>(wParam), static_cast<int32_t>(lParam)) == 1)
        RepaintWindow("WIN_1P", window, TRUE);
      return 0;
    case WM_CHAR:
      if (DisplayViewKey(window, static_cast<int32_t>(wParam), lParam) == 1) RepaintWindow("WIN_0P", window, TRUE);
      return 0;
    case WM_COMMAND:
      Command(window, wParam, lParam);
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(x, y);
      return 0;
    case WM_LBUTTONDOWN:
      LeftButtonDown(window, wParam, x, y);
      return 0;
    case WM_LBUTTONUP:
      LeftButtonUp(window, wParam);
      return 0;
    case WM_LBUTTONDBLCLK:
      Win.Cursor_X = x;
      Win.Cursor_Y = y;
      DisplayViewKey(window, 'j', lParam);
      RepaintWindow("WIN_2P", window, TRUE);
      return 0;
    case WM_RBUTTONDOWN:
      RightButtonDown(window, wParam);
      return 0;
    case WM_RBUTTONUP:
      if (Held(wParam, MK_SHIFT) || Held(wParam, MK_CONTROL) || Held(wParam, MK_LBUTTON)) return 0;
      if (ContextMenuHit(window, x, y) == 1) return 0;
      return DefWindowProc(window, message, wParam, lParam);
    default:
      return DefWindowProc(window, message, wParam, lParam);
  }
}
