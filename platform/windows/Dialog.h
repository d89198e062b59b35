// Modal and modeless dialogs built from registered templates (DialogTemplate.h).
//
// A modal dialog runs a nested message loop until EndDialog; its owner is disabled
// meanwhile; dialogs nest and may be opened from any thread (the dialog belongs to
// that thread). A modeless dialog is created once, then shown and hidden, and may
// be refreshed by sending it WM_INITDIALOG from any thread.
#pragma once

#include <functional>

#include "platform/windows/Controls.h"
#include "platform/windows/DialogTemplate.h"
#include "platform/windows/Window.h"

// Returns the value given to EndDialog, or -1 when the template is missing or the
// dialog could not be created.
INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure, LPARAM param);
inline INT_PTR DialogBox(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure) {
  return DialogBoxParam(instance, templateName, owner, procedure, 0);
}
HWND CreateDialogParam(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure, LPARAM param);
inline HWND CreateDialog(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure) {
  return CreateDialogParam(instance, templateName, owner, procedure, 0);
}
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

namespace platform {

// The template id a dialog was made from (0 when the window is not a dialog).
int DialogTemplateId(HWND dialog);
bool IsModalDialog(HWND dialog);
// Open modal dialogs of all threads, innermost last.
std::vector<HWND> OpenModalDialogs();
// Every existing dialog window, oldest first.
std::vector<HWND> AllDialogs();

// Called on the dialog's thread right after a modal dialog has been initialised and
// before its loop runs, for the test driver and the script. The driver decides what
// happens inside the dialog (it may end it at once).
using ModalOpenHook = std::function<void(HWND dialog, int templateId)>;
ModalOpenHook SetModalOpenHook(ModalOpenHook hook);

}  // namespace platform
