#include "app/ModelDialogs.h"

#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "records/FgPrm.h"
#include "records/Ga.h"
#include "records/OrvPrm.h"

namespace {

// The closing buttons end the dialog with their id; the handle is forgotten as soon
// as the dialog closes or is destroyed.
INT_PTR CloseCommand(HWND dialog, WPARAM wParam, HWND& held) {
  int id = LOWORD(wParam);
  if (id != IDOK && id != IDCANCEL) return FALSE;
  held = nullptr;
  EndDialog(dialog, id);
  return TRUE;
}

}  // namespace

INT_PTR OrvCalcProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OrvPrm.Dlg_Hwnd = dialog;
      SetDlgItemText(dialog, IDC_ORV_PROG_PATH, OrvPrm.Prog_Path);
      return TRUE;
    case WM_COMMAND:
      return CloseCommand(dialog, wParam, OrvPrm.Dlg_Hwnd);
    case WM_DESTROY:
      if (OrvPrm.Dlg_Hwnd == dialog) OrvPrm.Dlg_Hwnd = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR FgOptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      FgPrm.Dlg_Hwnd = dialog;
      return TRUE;
    case WM_COMMAND:
      return CloseCommand(dialog, wParam, FgPrm.Dlg_Hwnd);
    case WM_DESTROY:
      if (FgPrm.Dlg_Hwnd == dialog) FgPrm.Dlg_Hwnd = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

// One handle per genetic-algorithm set; the dialog serves set 0.
INT_PTR GaOptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Ga.Dlg_Hwnd[0] = dialog;
      return TRUE;
    case WM_COMMAND:
      return CloseCommand(dialog, wParam, Ga.Dlg_Hwnd[0]);
    case WM_DESTROY:
      if (Ga.Dlg_Hwnd[0] == dialog) Ga.Dlg_Hwnd[0] = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}
