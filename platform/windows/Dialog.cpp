// Dialog templates, modal and modeless dialogs, the dialog window class.
#include <algorithm>
#include <map>

#include "platform/kernel/Error.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/WindowInternal.h"

namespace platform {
namespace {

std::map<int, DialogTemplate>& Templates() {  // guarded by WinLock
  static auto* templates = new std::map<int, DialogTemplate>();
  return *templates;
}
// The dialog is initialised: other threads may find it from here on.
void MarkWhole(HWND dialog) {
  detail::WinGuard guard(detail::WinLock());
  if (detail::Window* w = detail::Find(dialog); w && w->dialog) w->dialog->whole = true;
}

std::vector<HWND>& ModalStack() {  // guarded by WinLock
  static auto* stack = new std::vector<HWND>();
  return *stack;
}
ModalOpenHook& OpenHook() {  // guarded by WinLock
  static auto* hook = new ModalOpenHook();
  return *hook;
}

// The controls of the dialog that Tab visits, in order: the visible, enabled ones with
// WS_TABSTOP, a radio group as one stop (its checked button, or the focused one).
std::vector<HWND> TabStops(HWND dialog, HWND focus) {
  std::vector<HWND> stops;
  detail::WinGuard guard(detail::WinLock());
  detail::Window* w = detail::Find(dialog);
  if (!w) return stops;
  bool groupTaken = false;
  for (HWND child : w->children) {
    detail::Window* c = detail::Find(child);
    if (!c || !c->visible || !c->enabled || c->destroying) continue;
    bool radio = c->cls->name == "BUTTON" &&
                 ((c->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON || (c->style & BS_TYPEMASK) == BS_RADIOBUTTON);
    if (radio) {
      if (c->style & WS_GROUP) groupTaken = false;
      auto* data = dynamic_cast<detail::ButtonData*>(c->control.get());
      bool checked = data && data->check == BST_CHECKED;
      if (groupTaken && !checked && child != focus) continue;
      if (groupTaken && !stops.empty()) stops.back() = child;  // the checked one stands for the group
      else stops.push_back(child);
      groupTaken = true;
      continue;
    }
    groupTaken = false;
    if (c->style & WS_TABSTOP) stops.push_back(child);
  }
  return stops;
}

HWND FirstTabStop(HWND dialog) {
  std::vector<HWND> stops = TabStops(dialog, nullptr);
  return stops.empty() ? nullptr : stops.front();
}

bool DialogEnded(HWND dialog) {
  detail::WinGuard guard(detail::WinLock());
  detail::Window* w = detail::Find(dialog);
  return !w || !w->dialog || w->dialog->ended;
}

int TemplateIdOf(LPCSTR name) {
  if (!name) return -1;
  if (IS_INTRESOURCE(name)) return static_cast<int>(reinterpret_cast<uintptr_t>(name));
  char* end = nullptr;
  long value = std::strtol(name[0] == '#' ? name + 1 : name, &end, 10);
  return (end && *end == '\0') ? static_cast<int>(value) : -1;
}

HWND CreateFromTemplate(LPCSTR templateName, HWND owner, DLGPROC procedure, HINSTANCE instance, bool modal,
                        int* templateId) {
  detail::EnsureBuiltinClasses();
  int id = TemplateIdOf(templateName);
  DialogTemplate tpl;
  {
    detail::WinGuard guard(detail::WinLock());
    auto it = Templates().find(id);
    if (it == Templates().end()) {
      SetLastErrorText("dialog template not found");
      return nullptr;
    }
    tpl = it->second;
  }
  *templateId = id;
  DWORD style = tpl.style ? tpl.style : (WS_POPUP | WS_CAPTION | WS_SYSMENU);
  style &= ~(WS_VISIBLE | WS_CHILD);
  if (!(style & WS_CAPTION)) style |= WS_CAPTION;
  int width = DialogUnitsToPixelsX(tpl.cx) + 2;
  int height = DialogUnitsToPixelsY(tpl.cy) + 2 + detail::kCaptionHeight;
  // Centred over the top-level window it belongs to and kept on the screen (the
  // template's x and y are not used); a modeless one beside the owner's other windows.
  const RECT place = modal ? PlaceOver(owner, width, height) : PlaceBeside(owner, width, height);
  HWND dialog = CreateWindowEx(0, detail::kDialogClass, tpl.caption.c_str(), style, place.left, place.top, width,
                               height, owner, nullptr, instance, nullptr);
  if (!dialog) return nullptr;
  for (const auto& c : tpl.controls) {
    const char* cls = WC_STATIC;
    DWORD cstyle = WS_CHILD | WS_VISIBLE | (c.style & ~WS_VISIBLE);
    switch (c.kind) {
      case ControlKind::PushButton:
        cls = WC_BUTTON;
        cstyle |= WS_TABSTOP;
        break;
      case ControlKind::CheckBox:
        cls = WC_BUTTON;
        if ((c.style & BS_TYPEMASK) == 0) cstyle |= BS_AUTOCHECKBOX;
        cstyle |= WS_TABSTOP;
        break;
      case ControlKind::RadioButton:
        cls = WC_BUTTON;
        if ((c.style & BS_TYPEMASK) == 0) cstyle |= BS_AUTORADIOBUTTON;
        break;
      case ControlKind::GroupBox:
        cls = WC_BUTTON;
        cstyle = (cstyle & ~BS_TYPEMASK) | BS_GROUPBOX;
        break;
      case ControlKind::Edit:
        cls = WC_EDIT;
        cstyle |= WS_BORDER | WS_TABSTOP;
        break;
      case ControlKind::Static:
        cls = WC_STATIC;
        break;
      case ControlKind::ListBox:
        // A scroll bar only where the template asks for one (WS_VSCROLL).
        cls = WC_LISTBOX;
        cstyle |= WS_BORDER | WS_TABSTOP;
        break;
      case ControlKind::ScrollBar:
        cls = WC_SCROLLBAR;
        break;
      case ControlKind::Trackbar:
        cls = TRACKBAR_CLASS;
        cstyle |= WS_TABSTOP;
        break;
    }
    HWND control = CreateWindowEx(0, cls, c.text.c_str(), cstyle, DialogUnitsToPixelsX(c.x), DialogUnitsToPixelsY(c.y),
                                  DialogUnitsToPixelsX(c.cx), DialogUnitsToPixelsY(c.cy), dialog,
                                  reinterpret_cast<HMENU>(static_cast<uintptr_t>(static_cast<uint32_t>(c.id))),
                                  instance, nullptr);
    if (!control) {
      DestroyWindow(dialog);
      SetLastErrorText("dialog control not created");
      return nullptr;
    }
    if (c.kind == ControlKind::Edit && !c.text.empty()) {
      SendMessage(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.text.c_str()));
    }
  }
  {
    detail::WinGuard guard(detail::WinLock());
    detail::Window* w = detail::Find(dialog);
    if (!w) return nullptr;
    w->dialog = std::make_unique<detail::DialogData>();
    w->dialog->templateId = id;
    w->dialog->proc = procedure;
    w->dialog->modal = modal;
  }
  return dialog;
}

}  // namespace

void RegisterDialogTemplate(const DialogTemplate& dialogTemplate) {
  detail::WinGuard guard(detail::WinLock());
  Templates()[dialogTemplate.id] = dialogTemplate;
}

void ClearDialogTemplates() {
  detail::WinGuard guard(detail::WinLock());
  Templates().clear();
}

bool HasDialogTemplate(int id) {
  detail::WinGuard guard(detail::WinLock());
  return Templates().count(id) != 0;
}

int DialogUnitsToPixelsX(int units) { return units * detail::kCharWidth / 4; }
int DialogUnitsToPixelsY(int units) { return units * detail::kCharHeight / 8; }

int DialogTemplateId(HWND dialog) {
  detail::WinGuard guard(detail::WinLock());
  detail::Window* w = detail::Find(dialog);
  return w && w->dialog ? w->dialog->templateId : 0;
}

bool IsModalDialog(HWND dialog) {
  detail::WinGuard guard(detail::WinLock());
  detail::Window* w = detail::Find(dialog);
  return w && w->dialog && w->dialog->modal;
}

std::vector<HWND> OpenModalDialogs() {
  detail::WinGuard guard(detail::WinLock());
  std::vector<HWND> result;
  for (HWND h : ModalStack())
    if (detail::Find(h)) result.push_back(h);
  return result;
}

std::vector<HWND> AllDialogs() {
  detail::WinGuard guard(detail::WinLock());
  std::vector<detail::Window*> dialogs;
  for (detail::Window* w : detail::AllWindows())
    if (w->dialog && w->dialog->whole && !w->destroying) dialogs.push_back(w);
  std::sort(dialogs.begin(), dialogs.end(), [](auto* a, auto* b) { return a->serial < b->serial; });
  std::vector<HWND> result;
  for (auto* w : dialogs) result.push_back(w->handle);
  return result;
}

ModalOpenHook SetModalOpenHook(ModalOpenHook hook) {
  detail::WinGuard guard(detail::WinLock());
  ModalOpenHook previous = std::move(OpenHook());
  OpenHook() = std::move(hook);
  return previous;
}

namespace detail {

LRESULT CALLBACK_DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DLGPROC proc = nullptr;
  {
    WinGuard guard(WinLock());
    Window* w = Find(hwnd);
    if (w && w->dialog) {
      proc = w->dialog->proc;
      w->dialog->msgResult = 0;
    }
  }
  if (!proc) return message == WM_CLOSE ? 0 : DefWindowProc(hwnd, message, wParam, lParam);
  INT_PTR handled = proc(hwnd, message, wParam, lParam);
  if (handled) {
    switch (message) {
      case WM_INITDIALOG:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLORSCROLLBAR:
      case WM_CTLCOLORSTATIC:
        return handled;
      default:
        return GetWindowLongPtr(hwnd, DWLP_MSGRESULT);
    }
  }
  return DefDlgProc(hwnd, message, wParam, lParam);
}

}  // namespace detail
}  // namespace platform

using namespace platform;

LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return 0;
    case WM_INITDIALOG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMMAND:
      return 0;
    default:
      return DefWindowProc(dialog, message, wParam, lParam);
  }
}

INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure, LPARAM param) {
  int templateId = 0;
  HWND dialog = CreateFromTemplate(templateName, owner, procedure, instance, true, &templateId);
  if (!dialog) return -1;
  bool disabledOwner = owner && IsWindowEnabled(owner);
  if (disabledOwner) EnableWindow(owner, FALSE);
  HWND focus = GetFocus();
  // As on the desktop system: unless WM_INITDIALOG answers FALSE (it set the focus
  // itself), the first tab stop takes the focus, an edit with its text selected.
  HWND first = FirstTabStop(dialog);
  if (SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(dialog) &&
      !DialogEnded(dialog)) {
    first = FirstTabStop(dialog);  // WM_INITDIALOG may have hidden or disabled it
    if (first) {
      SetFocus(first);
      if (platform::ClassNameOf(first) == "EDIT") SendMessage(first, EM_SETSEL, 0, -1);
    }
  }
  ShowWindow(dialog, SW_SHOW);
  // Open from here on, whole: the innermost modal dialog until it is answered.
  MarkWhole(dialog);
  {
    detail::WinGuard guard(detail::WinLock());
    ModalStack().push_back(dialog);
  }
  ModalOpenHook hook;
  {
    detail::WinGuard guard(detail::WinLock());
    hook = OpenHook();
  }
  if (hook && IsWindow(dialog)) hook(dialog, templateId);
  INT_PTR result = IDCANCEL;
  for (;;) {
    {
      detail::WinGuard guard(detail::WinLock());
      detail::Window* w = detail::Find(dialog);
      if (!w || w->destroying || !w->dialog) break;
      if (w->dialog->ended) {
        result = w->dialog->result;
        break;
      }
    }
    MSG msg;
    BOOL got = GetMessage(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the loop below ends as well
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessage(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }
  if (disabledOwner) EnableWindow(owner, TRUE);
  {
    detail::WinGuard guard(detail::WinLock());
    auto& stack = ModalStack();
    stack.erase(std::remove(stack.begin(), stack.end(), dialog), stack.end());
  }
  if (IsWindow(dialog)) DestroyWindow(dialog);
  if (focus && IsWindow(focus) && WindowThread(focus) == detail::CurrentThread()) SetFocus(focus);
  return result;
}

HWND CreateDialogParam(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure, LPARAM param) {
  int templateId = 0;
  HWND dialog = CreateFromTemplate(templateName, owner, procedure, instance, false, &templateId);
  if (!dialog) return nullptr;
  SendMessage(dialog, WM_INITDIALOG, 0, param);
  DWORD style = static_cast<DWORD>(GetWindowLongPtr(dialog, GWL_STYLE));
  bool visible = false;
  {
    detail::WinGuard guard(detail::WinLock());
    auto it = Templates().find(templateId);
    visible = it != Templates().end() && (it->second.style & WS_VISIBLE);
  }
  static_cast<void>(style);
  if (visible && IsWindow(dialog)) ShowWindow(dialog, SW_SHOW);
  MarkWhole(dialog);
  return IsWindow(dialog) ? dialog : nullptr;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  bool modal = false;
  {
    detail::WinGuard guard(detail::WinLock());
    detail::Window* w = detail::Find(dialog);
    if (!w || !w->dialog) return FALSE;
    w->dialog->ended = true;
    w->dialog->result = result;
    modal = w->dialog->modal;
  }
  if (modal) {
    PostMessage(dialog, WM_NULL, 0, 0);  // wakes the dialog's loop
  } else {
    ShowWindow(dialog, SW_HIDE);
  }
  return TRUE;
}

// Activates the top-level window of the calling thread and moves the focus into it as
// the desktop system does (see ActivateByUser); tell: the activation listener hears of
// it. False for a window that cannot be activated.
static bool Activate(HWND top, bool tell) {
  const HWND focus = GetFocus();
  HWND target = top;
  bool changed = false;
  {
    detail::WinGuard guard(detail::WinLock());
    detail::Window* w = detail::Find(top);
    if (!w || w->thread != detail::CurrentThread() || (w->style & WS_CHILD) || !w->enabled || w->destroying)
      return false;
    detail::Window* had = detail::TopLevelLocked(focus);
    changed = detail::ActivateLocked(*w, focus);
    if (had == w) {
      target = nullptr;  // the focus is inside it already and stays where it is
    } else if (w->dialog) {
      detail::Window* kept = detail::Find(w->dialog->keptFocus);
      const bool usable = kept && (kept->style & WS_CHILD) && kept->parent == top && kept->visible && kept->enabled &&
                          !kept->destroying;
      target = usable ? kept->handle : FirstTabStop(top);
      if (!target) target = top;
    }
  }
  if (target) {
    SetFocus(target);
    if (target != top && platform::ClassNameOf(target) == "EDIT") SendMessage(target, EM_SETSEL, 0, -1);
  }
  if (changed && tell) detail::TellActivation(top);
  return true;
}

void platform::detail::ActivateByUser(HWND top) { Activate(top, false); }

bool platform::detail::ActivateByProgram(HWND top) { return Activate(top, true); }

// Moves the focus to the next (or previous) visible, enabled control of the dialog
// that takes the focus with Tab; a radio group is one stop (its checked button).
static void NextTabStop(HWND dialog, bool backwards) {
  HWND focus = GetFocus();
  std::vector<HWND> stops = platform::TabStops(dialog, focus);
  if (stops.empty()) return;
  auto it = std::find(stops.begin(), stops.end(), focus);
  HWND next;
  if (it == stops.end()) {
    next = backwards ? stops.back() : stops.front();
  } else {
    size_t index = static_cast<size_t>(it - stops.begin());
    next = backwards ? stops[(index + stops.size() - 1) % stops.size()] : stops[(index + 1) % stops.size()];
  }
  SetFocus(next);
  if (platform::ClassNameOf(next) == "EDIT") SendMessage(next, EM_SETSEL, 0, -1);
}

BOOL IsDialogMessage(HWND dialog, MSG* msg) {
  if (!msg || !msg->hwnd || !IsWindow(dialog)) return FALSE;
  bool ours = msg->hwnd == dialog;
  {
    detail::WinGuard guard(detail::WinLock());
    detail::Window* w = detail::Find(msg->hwnd);
    ours = ours || (w && (w->style & WS_CHILD) && w->parent == dialog);
  }
  if (!ours) return FALSE;
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) {
    NextTabStop(dialog, GetKeyState(VK_SHIFT) < 0);
    return TRUE;
  }
  if (msg->message == WM_CHAR && msg->wParam == VK_TAB) return TRUE;
  if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN)) {
    int id = msg->wParam == VK_ESCAPE ? IDCANCEL : IDOK;
    if (msg->wParam == VK_RETURN) {
      detail::WinGuard guard(detail::WinLock());
      detail::Window* w = detail::Find(dialog);
      // Return presses the focused push button, else the default one.
      detail::Window* focus = detail::Find(GetFocus());
      DWORD focusType = focus ? (focus->style & BS_TYPEMASK) : 0;
      if (focus && focus->parent == dialog && focus->cls->name == "BUTTON" &&
          (focusType == BS_PUSHBUTTON || focusType == BS_DEFPUSHBUTTON)) {
        id = focus->id;
      } else {
        for (HWND child : w->children) {
          detail::Window* c = detail::Find(child);
          if (c && c->cls->name == "BUTTON" && (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            id = c->id;
            break;
          }
        }
      }
    }
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    return TRUE;
  }
  TranslateMessage(msg);
  DispatchMessage(msg);
  return TRUE;
}
