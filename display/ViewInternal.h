// Helpers shared by the view files and the view thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windows/MessageBox.h"
#include "platform/kernel/WinTypes.h"

namespace viewfiles {

constexpr UINT kWarning = MB_SYSTEMMODAL | MB_ICONEXCLAMATION;  // 0x1030
constexpr UINT kError = MB_SYSTEMMODAL | MB_ICONHAND;           // 0x1010
constexpr UINT kInfo = MB_SYSTEMMODAL | MB_ICONASTERISK;        // 0x1040

// Text of part 0..3 of the main status bar.
void Status(int part, const char* fmt, ...) QV_PRINTF(2, 3);
// A box owned by the main window.
void Box(const char* caption, UINT style, const char* fmt, ...) QV_PRINTF(3, 4);

// Tests the view-file folder and creates it when missing; Dsp.ViewFolderUse becomes
// 0 when it can be neither found nor created, else 1.
void FolderEnsure();
// Moves view files of the older layout (".QVO", ".QVI", ".QVM") of channel chn to the
// average names, first those in the view-file folder, then those in the data folder.
void OlderFilesMove(int16_t chn);
bool ViewFileExists(int16_t chn, int level, int16_t kind);
// Size in floats of a view file, -1 when it does not exist.
int64_t ViewFileFloats(int16_t chn, int level, int16_t kind);
// The view thread's stop event is set (consumes it).
bool StopRequested();
// The name after its last backslash or slash.
const char* BaseName(const char* name);

}  // namespace viewfiles
