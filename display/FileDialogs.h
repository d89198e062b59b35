// The open and save dialogs of the program, the current folder they keep and the main
// window's title (the dialogs of the simulation files are in sim/SimFileDialogs.h, the
// working file's in app/WorkFileDialog.h). The data folder (the working file's folder,
// Dsp.Data_Dir) is the process's current folder before and after every dialog; files
// read by bare name lie in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/kernel/WinTypes.h"

// The pieces every open and save dialog of the program is made of (the simulation
// files' and the working file's dialogs too).
namespace filedialog {

constexpr size_t FILE_CAP = 260;

// Position of the last backslash or slash of a path (npos when it has none).
size_t LastSeparator(const std::string& path);
// The path without its folder.
std::string WithoutFolder(const std::string& path);
// The name in the data folder, or the name alone when the whole path would not fit a
// dialog's file field (the data folder is the current folder while a dialog is shown).
std::string InDataFolder(const char* name);
// The proposal of a dialog: the name in the data folder while the analysis options ask
// for whole paths (Dsp.Path_Propose 1), else the name alone.
std::string Proposed(const char* name);
// Two names of one folder: equal without regard to the kind of separator and to a
// trailing one; without regard to case ("E:\data" and "e:/DATA/") unless both folders
// exist, when they must be the same folder on the disk.
bool SameFolder(std::string a, std::string b);
// Shows the open or save dialog with the fields every dialog of the program uses.
// file holds the proposal and receives the choice. true when a file was chosen.
bool ShowDialog(bool save, HWND owner, const char* filter, const char* defExt, char (&file)[FILE_CAP]);

}  // namespace filedialog

// mode 0: painting pauses (display-ready flag 0). mode 1 without a chosen path: the
// data folder (and, when no working file is named, a working-file name from it)
// becomes the current folder again and painting goes on. mode 1 with a chosen path:
// outName := the chosen file's name without folder; with copyCheck 1 a file outside
// the data folder is first offered for copying into it (No leaves outName as it is).
// Returns 1, or 0 after a warning when the chosen name does not fit outName (which
// then stays as it is).
int32_t FileDialogCurrentFolder(int16_t mode, const char* chosen, char* outName, size_t outCap, int32_t copyCheck);
template <size_t N>
int32_t FileDialogCurrentFolder(int16_t mode, const char* chosen, char (&outName)[N], int32_t copyCheck) {
  return FileDialogCurrentFolder(mode, chosen, outName, N, copyCheck);
}
inline int32_t FileDialogCurrentFolder(int16_t mode) { return FileDialogCurrentFolder(mode, nullptr, nullptr, 0, 0); }

// "QUIVRANE 95 [version] - data folder [working file]".
void MainWindowTitleSet();

// Input files of the calculation programs; kind "ORV", "QUAD", "GA", "FG", "EOC" and,
// for saving, "VESPAR". mode 0 open, 1 save.
int32_t InputFileDialog(int16_t mode, const char* kind, HWND owner);
// The pressure file of the HITRAN pressure scan; name receives the chosen file's name
// in the data folder (a file elsewhere is first offered for copying there). 1 when a
// file was chosen, else 0.
int32_t PressureFileDialog(HWND owner, char* name, size_t cap);
int32_t AsciiFileOpenDialog(HWND owner);
int32_t FtmwFileOpenDialog(HWND owner);
// A headerless float file for open (mode 0) or save (1); name receives the choice.
int32_t BinaryFileDialog(int16_t mode, char* name, size_t cap, HWND owner);
// Opens a chosen text file in the text editor, without waiting.
int32_t OutputFileViewDialog(HWND owner);
