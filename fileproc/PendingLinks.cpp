// Weak stand-ins for services whose owners are not linked into this build yet (see
// PendingLinks.h). A real definition elsewhere replaces each of them at link time.
// The dialogs and the file dialog answer "OPTION NOT CURRENTLY AVAILABLE" and report
// failure; the size measurement is simple enough to do here meanwhile.
#include "fileproc/PendingLinks.h"

#include "core/FileIo.h"
#include "platform/Dialog.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

uint32_t SizeInValues(const char* name) {
  int64_t bytes = 0;
  if (!name || !platform::FileExists(name) || !platform::GetFileSize64(name, &bytes) || bytes < 0) return 0;
  return static_cast<uint32_t>(bytes / 4);
}

}  // namespace

__attribute__((weak)) int32_t WorkFileWin95(int16_t, HWND) {
  core_io::Info("OPTION NOT CURRENTLY AVAILABLE");
  return 0;
}

__attribute__((weak)) int32_t BinaryFileDialog(int16_t, char*, HWND) {
  core_io::Info("OPTION NOT CURRENTLY AVAILABLE");
  return 0;
}

__attribute__((weak)) int32_t DisplayFileDateCheck(int16_t mode, const char* name) {
  if (mode == -1) return static_cast<int32_t>(SizeInValues(name));
  if (mode == 0) {
    for (int c = 0; c < 9; ++c) {
      const uint32_t size = SizeInValues(Dsp.Chn_Flnm[c]);
      if (size == 0)
        for (int level = 0; level < 4; ++level) Dsp.FL_SZ[level][c] = 0;
      else
        Dsp.FL_SZ[WIN_RAW][c] = size;
    }
  }
  return 0;
}

__attribute__((weak)) INT_PTR AnalysisOptionsDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    core_io::Info("OPTION NOT CURRENTLY AVAILABLE");
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}
