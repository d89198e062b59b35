// Helpers shared by the simulation control dialog and the per-set dialogs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "records/Sim.h"

namespace simdlg {

constexpr UINT kWarningBox = MB_SYSTEMMODAL | MB_ICONWARNING;
constexpr UINT kErrorBox = MB_SYSTEMMODAL | MB_ICONERROR;
constexpr UINT kInfoBox = MB_SYSTEMMODAL | MB_ICONINFORMATION;
constexpr UINT kQuestionBox = MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO;

inline bool IsSet(int32_t s) { return s >= 0 && s < SIM_SETS; }

// "[A] SIM [name]", the head of every message about one set.
std::string SetHead(int16_t set);
int Box(const std::string& text, const char* caption, UINT style);
// The overwrite question of a set ("... SIM EXISTS" when exists, the notes of its
// modified flags, "OVERWRITE [YES] | ABORT [NO]?"), asked when the file exists or a flag
// is set. true: go on, the modified flags then cleared; false: the user kept the set.
bool AskOverwrite(int16_t set, bool exists);
// "OUTPUT FILE [name] EXISTS\n\nOVERWRITE [YES] | ABORT [NO]?", asked before a file whose
// name the program made from another one is replaced; true for Yes.
bool AskReplaceOutput(const std::string& name);
void Repaint(const char* tag);
// Sends WM_INITDIALOG to an existing window.
void Refresh(HWND dialog);
// Refreshes the simulation control dialog when it is shown.
void RefreshControl();
void SetText(HWND dialog, int id, const std::string& text);
std::string GetText(HWND dialog, int id);
// True (and the flag cleared) when the edit was modified since the last refresh.
bool TakeModified(HWND dialog, int id);
void ClearModified(HWND dialog, int id);
// An edit read as one finite "C"-locale number; false (also for "nan" or "inf")
// leaves *value as it was.
bool ReadDouble(HWND dialog, int id, double* value);
bool ReadInt(HWND dialog, int id, int32_t* value);
bool Checked(HWND dialog, int id);
void Check(HWND dialog, int id, bool on);
// Brush of the set's colour row for a colour caption; 0 for other statics.
INT_PTR CaptionBrush(int16_t set, LPARAM control, int captionId);
// The ten channel labels with `selected` selected and scrolled to the top.
void FillChannelList(HWND dialog, int id, int16_t selected);
// The control dialog's column of the set (0 or 1), -1 when it is not shown there.
int ControlColumn(int16_t set);
// Clears the control dialog's check box `id` (left-column id) of the set's column.
void ClearControlBox(int16_t set, int id);
// Hides a per-set dialog through its creator, stores the result in its request flag
// and refreshes the control dialog.
void CloseThroughCreator(SimDlgKind kind, int16_t set);

// The window procedure of a set's assignment-list dialogs (JKK QN, combination
// differences, quadrupole QN): the set found by the handle, a refresh on WM_INITDIALOG,
// caption 60 in the set's brush, line scrolls and commands handed to the dialog's own.
struct ListDialog {
  SimDlgKind kind;
  void (*refresh)(HWND dialog, int16_t set);
  // One line up or down; answers the message's result.
  INT_PTR (*scroll)(HWND dialog, int16_t set, bool up);
  void (*command)(HWND dialog, int16_t set, int id, WORD code);
};
INT_PTR ListDialogProc(const ListDialog& list, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The trackbar mechanism shared by the display-shaping and line-shape dialogs.
void SetTrackbar(HWND dialog, int id, double value, double low, double high);
int32_t TrackbarPosition(double value, double low, double high);
double TrackbarValue(int32_t position, double low, double high);

}  // namespace simdlg
