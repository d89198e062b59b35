// The open and save dialogs of the program, the current folder they keep and the main
// window's title. The data folder (the working file's folder, Dsp.Data_Dir) is the
// process's current folder before and after every dialog; files read by bare name
// lie in it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel/WinTypes.h"

// mode 0: painting pauses (display-ready flag 0). mode 1 without a chosen path: the
// data folder (and, when no working file is named, a working-file name from it)
// becomes the current folder again and painting goes on. mode 1 with a chosen path:
// outName := the chosen file's name without folder; with copyCheck 1 a file outside
// the data folder is first offered for copying into it (No leaves outName as it is).
// Returns 1.
int32_t FileDialogCurrentFolder(int16_t mode, const char* chosen, char* outName, size_t outCap, int32_t copyCheck);
template <size_t N>
int32_t FileDialogCurrentFolder(int16_t mode, const char* chosen, char (&outName)[N], int32_t copyCheck) {
  return FileDialogCurrentFolder(mode, chosen, outName, N, copyCheck);
}
inline int32_t FileDialogCurrentFolder(int16_t mode) { return FileDialogCurrentFolder(mode, nullptr, nullptr, 0, 0); }

// "QUIVRANE 95 [version] - data folder [working file]".
void MainWindowTitleSet();

// File/Open (mode 0) and File/Save (mode 1) of the working file. 1 for success or a
// cancelled save, 0 otherwise (a cancelled open, a refused file, a failed save).
int32_t WorkFileWin95(int16_t mode, HWND owner);

// Input files of the calculation programs; kind "ORV", "QUAD", "GA", "FG", "EOC" and,
// for saving, "VESPAR". mode 0 open, 1 save.
int32_t InputFileDialog(int16_t mode, const char* kind, HWND owner);
// Assignment and log files of a set; kind "ORV", "QUAD", "NLF", "FORMAT".
int32_t AsnFileDialog(int16_t mode, int16_t set, const char* kind, char* fileName, size_t cap);
// The pressure file of the HITRAN pressure scan; name receives the chosen file's name
// in the data folder (a file elsewhere is first offered for copying there). 1 when a
// file was chosen, else 0.
int32_t PressureFileDialog(HWND owner, char* name, size_t cap);
// kind 0: a simulation file; kind 1: an ASCII line list in a format asked in turn.
int32_t SimFileOpenDialog(HWND owner, int16_t kind, int16_t set);
// kind 0: residual file name, 1: binary spectrum written at once, 2: simulation file.
int32_t SimFileSaveDialog(HWND owner, int16_t kind, int16_t set);
int32_t AsciiFileOpenDialog(HWND owner);
int32_t FtmwFileOpenDialog(HWND owner);
// A headerless float file for open (mode 0) or save (1); name receives the choice.
int32_t BinaryFileDialog(int16_t mode, char* name, size_t cap, HWND owner);
// Opens a chosen text file in the text editor, without waiting.
int32_t OutputFileViewDialog(HWND owner);
