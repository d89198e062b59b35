// Weak stand-ins for services whose owners are not linked into this build yet (see
// PendingLinks.h). A real definition elsewhere replaces each of them at link time.
// The dialog answers "OPTION NOT CURRENTLY AVAILABLE" and ends at once.
#include "fileproc/PendingLinks.h"

#include "core/FileIo.h"
#include "platform/Dialog.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "records/Dsp.h"
#include "records/Win.h"


__attribute__((weak)) INT_PTR AnalysisOptionsDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    core_io::Info("OPTION NOT CURRENTLY AVAILABLE");
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}
