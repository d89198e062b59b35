// A small window program for checking the visible front end on a display: a main
// window with a menu bar, a toolbar, a status bar and a drawn curve, a settings
// dialog with an edit, a check box, a trackbar and a list, message boxes (two in a
// row from a worker thread) and the open, save and print dialogs. Every change it makes is
// also written to stdout, so a check can read what a person did.
// Without a display it runs headless and writes a snapshot of its main window.
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/windows/CommonDialogs.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/frontend/FrontEnd.h"
#include "platform/windows/Menu.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Sync.h"
#include "platform/windows/Window.h"

namespace {

constexpr int kOpen = 101, kSave = 102, kPrint = 103, kExit = 104;
constexpr int kSettings = 201, kGrid = 202;
constexpr int kAbout = 301, kWorkerBox = 302;
constexpr int kLeft = 401, kRight = 402;
constexpr int kSettingsDialog = 900;
constexpr int kValue = 10, kEnabled = 11, kLevel = 12, kChoice = 13;

struct Demo {
  HWND main = nullptr;
  HWND toolbar = nullptr;
  HWND status = nullptr;
  int offset = 0;
  int value = 7;
  bool enabled = false;
  int level = 30;
  int choice = 0;
  bool grid = true;
};

Demo& State() {
  static Demo demo;
  return demo;
}

void Report(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void ShowStatus() {
  Demo& d = State();
  char text[160];
  std::snprintf(text, sizeof text, "value %d  %s  level %d  row %d  offset %d", d.value, d.enabled ? "on" : "off",
                d.level, d.choice, d.offset);
  SendMessage(d.status, SB_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  Report(std::string("status: ") + text);
}

INT_PTR SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  Demo& d = State();
  switch (message) {
    case WM_INITDIALOG: {
      SetDlgItemInt(dialog, kValue, static_cast<UINT>(d.value), TRUE);
      CheckDlgButton(dialog, kEnabled, d.enabled ? BST_CHECKED : BST_UNCHECKED);
      HWND bar = GetDlgItem(dialog, kLevel);
      SendMessage(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
      SendMessage(bar, TBM_SETPOS, TRUE, d.level);
      HWND list = GetDlgItem(dialog, kChoice);
      for (const char* row : {"Absorption", "Emission", "Dispersion", "Second derivative"})
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
      SendMessage(list, LB_SETCURSEL, static_cast<WPARAM>(d.choice), 0);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        BOOL ok = FALSE;
        int value = static_cast<int>(GetDlgItemInt(dialog, kValue, &ok, TRUE));
        if (!ok) {
          MessageBox(dialog, "The value must be a whole number.", "Settings", MB_OK | MB_ICONWARNING);
          return TRUE;
        }
        d.value = value;
        d.enabled = IsDlgButtonChecked(dialog, kEnabled) == BST_CHECKED;
        d.level = static_cast<int>(SendDlgItemMessage(dialog, kLevel, TBM_GETPOS, 0, 0));
        d.choice = static_cast<int>(SendDlgItemMessage(dialog, kChoice, LB_GETCURSEL, 0, 0));
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_HSCROLL:
      if (LOWORD(wParam) == TB_ENDTRACK) {
        int pos = static_cast<int>(SendDlgItemMessage(dialog, kLevel, TBM_GETPOS, 0, 0));
        Report("track: " + std::to_string(pos));
      }
      return TRUE;
    default:
      return FALSE;
  }
}

// Two questions in a row from a worker, owned by the main window: the second box opens
// as the first one closes, and takes the keyboard as well.
DWORD WorkerBox(void*) {
  int answer = MessageBox(State().main, "A worker thread asks: continue?", "Worker", MB_YESNO | MB_ICONQUESTION);
  Report(std::string("worker answer: ") + (answer == IDYES ? "yes" : "no"));
  answer = MessageBox(State().main, "The worker asks again: go on?", "Worker again", MB_YESNO | MB_ICONQUESTION);
  Report(std::string("worker second answer: ") + (answer == IDYES ? "yes" : "no"));
  return 0;
}

void Command(HWND window, int id) {
  Demo& d = State();
  switch (id) {
    case kOpen:
    case kSave: {
      char file[512] = "spectrum.dat";
      OPENFILENAME ofn;
      ofn.hwndOwner = window;
      ofn.lpstrFilter = "Data files (*.dat)\0*.dat\0All files\0*\0\0";
      ofn.lpstrFile = file;
      ofn.nMaxFile = sizeof file;
      ofn.Flags = id == kSave ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
      BOOL ok = id == kSave ? GetSaveFileName(&ofn) : GetOpenFileName(&ofn);
      Report(std::string(id == kSave ? "save: " : "open: ") + (ok ? file : "(cancelled)"));
      break;
    }
    case kPrint: {
      PRINTDLG pd;
      pd.hwndOwner = window;
      BOOL ok = PrintDlg(&pd);
      std::string printer = "(cancelled)";
      if (ok && pd.hDevMode) {
        auto* mode = static_cast<DEVMODE*>(GlobalLock(pd.hDevMode));
        if (mode) printer = mode->dmDeviceName;
        GlobalFree(pd.hDevMode);
        GlobalFree(pd.hDevNames);
      }
      Report("print: " + printer);
      break;
    }
    case kExit:
      PostMessage(window, WM_CLOSE, 0, 0);
      break;
    case kSettings:
      if (DialogBox(nullptr, MAKEINTRESOURCE(kSettingsDialog), window, &SettingsProc) == IDOK) ShowStatus();
      InvalidateRect(window, nullptr, TRUE);
      break;
    case kGrid:
      d.grid = !d.grid;
      CheckMenuItem(GetMenu(window), kGrid, d.grid ? MF_CHECKED : MF_UNCHECKED);
      InvalidateRect(window, nullptr, TRUE);
      break;
    case kAbout:
      MessageBox(window, "QV95 window-system demo.\nIt shows every kind of control.", "About", MB_OK | MB_ICONINFORMATION);
      Report("about closed");
      break;
    case kWorkerBox: {
      HANDLE thread = CreateThread(&WorkerBox, nullptr, nullptr);
      if (thread) CloseHandle(thread);
      break;
    }
    case kLeft:
    case kRight:
      d.offset += id == kLeft ? -10 : 10;
      ShowStatus();
      InvalidateRect(window, nullptr, TRUE);
      break;
    default:
      break;
  }
}

void Paint(HWND window) {
  Demo& d = State();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT rc;
  GetClientRect(window, &rc);
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &rc, white);
  DeleteObject(white);
  int top = 32, bottom = rc.bottom - 24;
  if (d.grid) {
    HPEN grid = CreatePen(PS_SOLID, 1, RGB(220, 220, 220));
    HGDIOBJ old = SelectObject(dc, grid);
    for (int x = 0; x < rc.right; x += 40) {
      MoveToEx(dc, x, top, nullptr);
      LineTo(dc, x, bottom);
    }
    SelectObject(dc, old);
    DeleteObject(grid);
  }
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 0, 0));
  HGDIOBJ old = SelectObject(dc, pen);
  int middle = (top + bottom) / 2;
  for (int x = 0; x < rc.right; ++x) {
    double phase = (x + d.offset) / 25.0;
    int y = middle - static_cast<int>(std::sin(phase) * std::exp(-((x - rc.right / 2.0) * (x - rc.right / 2.0)) / 20000.0) *
                                      (bottom - top) * 0.4);
    if (x == 0) MoveToEx(dc, x, y, nullptr);
    else LineTo(dc, x, y);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
  EndPaint(window, &ps);
}

LRESULT MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Demo& d = State();
  switch (message) {
    case WM_SIZE:
      if (d.toolbar) SendMessage(d.toolbar, TB_AUTOSIZE, 0, 0);
      if (d.status) SendMessage(d.status, WM_SIZE, 0, 0);
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_COMMAND:
      Command(window, LOWORD(wParam));
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_LEFT) Command(window, kLeft);
      if (wParam == VK_RIGHT) Command(window, kRight);
      return 0;
    case WM_RBUTTONUP: {
      HMENU popup = CreatePopupMenu();
      AppendMenu(popup, MF_STRING, kLeft, "Move &left");
      AppendMenu(popup, MF_STRING, kRight, "Move &right");
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(window, &at);
      TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
      DestroyMenu(popup);
      return 0;
    }
    case WM_CLOSE:
      Report("closing");
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProc(window, message, wParam, lParam);
  }
}

void RegisterSettings() {
  using platform::ControlKind;
  platform::DialogTemplate t;
  t.id = kSettingsDialog;
  t.caption = "Settings";
  t.x = 60;
  t.y = 40;
  t.cx = 200;
  t.cy = 150;
  t.controls = {
      {ControlKind::Static, -1, "&Value:", 8, 10, 40, 10, 0},
      {ControlKind::Edit, kValue, "", 50, 8, 60, 12, 0},
      {ControlKind::CheckBox, kEnabled, "&Enabled", 120, 8, 70, 12, 0},
      {ControlKind::Static, -1, "&Level:", 8, 30, 40, 10, 0},
      {ControlKind::Trackbar, kLevel, "", 50, 26, 140, 16, 0},
      {ControlKind::Static, -1, "&Kind:", 8, 50, 40, 10, 0},
      {ControlKind::ListBox, kChoice, "", 50, 48, 140, 56, LBS_NOTIFY},
      {ControlKind::PushButton, IDOK, "OK", 50, 124, 60, 16, BS_DEFPUSHBUTTON},
      {ControlKind::PushButton, IDCANCEL, "Cancel", 120, 124, 60, 16, 0},
  };
  platform::RegisterDialogTemplate(t);
}

HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenu(file, MF_STRING, kOpen, "&Open...\tCtrl+O");
  AppendMenu(file, MF_STRING, kSave, "Save &As...");
  AppendMenu(file, MF_STRING, kPrint, "&Print...");
  AppendMenu(file, MF_SEPARATOR, 0, nullptr);
  AppendMenu(file, MF_STRING, kExit, "E&xit");
  HMENU edit = CreatePopupMenu();
  AppendMenu(edit, MF_STRING, kSettings, "&Settings...");
  AppendMenu(edit, MF_STRING | MF_CHECKED, kGrid, "&Grid");
  HMENU help = CreatePopupMenu();
  AppendMenu(help, MF_STRING, kAbout, "&About");
  AppendMenu(help, MF_STRING, kWorkerBox, "&Worker box");
  AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
  AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
  return bar;
}

}  // namespace

int main(int argc, char** argv) {
  bool visible = platform::FrontEndAvailable() && platform::StartFrontEnd();
  Report(visible ? "front end: visible" : "front end: headless");
  InitCommonControls();
  RegisterSettings();
  WNDCLASS wc;
  wc.lpfnWndProc = &MainProc;
  wc.lpszClassName = "QvDemoMain";
  RegisterClass(&wc);
  Demo& d = State();
  d.main = CreateWindow("QvDemoMain", "QV95 demo", WS_OVERLAPPEDWINDOW, 40, 40, 640, 420, nullptr, BuildMenu(), nullptr,
                        nullptr);
  d.toolbar = CreateWindowEx(0, TOOLBARCLASSNAME, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 30, d.main,
                             reinterpret_cast<HMENU>(static_cast<uintptr_t>(1)), nullptr, nullptr);
  TBADDBITMAP standard;
  standard.hInst = HINST_COMMCTRL;
  standard.nID = IDB_STD_SMALL_COLOR;
  SendMessage(d.toolbar, TB_ADDBITMAP, 15, reinterpret_cast<LPARAM>(&standard));
  TBBUTTON buttons[3];
  buttons[0].iBitmap = STD_FILEOPEN;
  buttons[0].idCommand = kOpen;
  buttons[0].fsState = TBSTATE_ENABLED;
  buttons[1].iBitmap = STD_UNDO;
  buttons[1].idCommand = kLeft;
  buttons[1].fsState = TBSTATE_ENABLED;
  buttons[2].iBitmap = STD_REDOW;
  buttons[2].idCommand = kRight;
  buttons[2].fsState = TBSTATE_ENABLED;
  SendMessage(d.toolbar, TB_ADDBUTTONS, 3, reinterpret_cast<LPARAM>(buttons));
  SendMessage(d.toolbar, TB_AUTOSIZE, 0, 0);
  d.status = CreateStatusWindow(WS_CHILD | WS_VISIBLE, "", d.main, 2);
  ShowWindow(d.main, SW_SHOW);
  ShowStatus();
  if (!visible) {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    const char* path = argc > 1 ? argv[1] : "qv95-demo.png";
    platform::SnapshotWindow(d.main, path);
    Report(std::string("snapshot: ") + path);
    DestroyWindow(d.main);
    return 0;
  }
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  platform::StopFrontEnd();
  Report("ended");
  return 0;
}
