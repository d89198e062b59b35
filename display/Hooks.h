// Calls of the display into the parts of the program above it, which the system's own
// design makes: the first paint starts the program, the painting draws the simulation
// sets and the cavity-mode plot and refreshes the sets' open dialogs, the view keys act
// on the simulation sets, and the SAVE QVW buttons save the working file. The program
// fills the table once at start-up (Qv95HooksInstall, app/Hooks.h), before it makes a
// window or a thread; a hook left null does nothing and answers 0.
#pragma once

#include <cstdint>

#include "platform/gdi/Gdi.h"
#include "platform/kernel/WinTypes.h"

struct DisplayHookTable {
  // File/Open (mode 0) and File/Save (mode 1) of the working file (WorkFileWin95 of
  // app/): the SAVE QVW buttons of the analysis options and of the FILE CONVERSION dialog.
  int32_t (*workFile)(int16_t mode, HWND owner) = nullptr;
  // The program's one-time start-up (Qv95Initialize of app/), run by the first paint of
  // the main window; 1 when the program may go on.
  int32_t (*startup)() = nullptr;

  // Overlay painters of the main and child windows.
  // The renderer of a simulation set (SimFIPlot of sim/): its values into
  // Win.PM_DrawAry, and on a drawing call its sticks and labels; 1 when rendered.
  int32_t (*simPlot)(HDC hdc, int16_t paint, int16_t set, int16_t view, int32_t first, int32_t count,
                     int32_t baseline, int16_t childChn, int16_t childView) = nullptr;
  // The ring-down fit's cavity-mode plot in child window [9] (RdfCavityModePaint of fit/).
  int32_t (*cavityModePaint)(HDC dc, int16_t mode) = nullptr;
  // Refreshes the simulation sets' open per-set dialogs after a paint (sim/SimModeless).
  void (*simDialogsRefresh)() = nullptr;

  // The simulation sets' side of the view keys (sim/).
  // Shows (1) or hides (0) the simulation control dialog; the state it now has.
  int32_t (*simControlDialogShow)(uint32_t show, HWND parent) = nullptr;
  // Opens or closes the sub-dialogs of a set from their request flags.
  int32_t (*simDialogsUpdate)(int16_t set, int32_t repaint) = nullptr;
  // Shows or hides the JKK QN dialog of a set; the requested state.
  uint32_t (*simJkkQNDialogShow)(int16_t set, uint32_t show, HWND parent) = nullptr;
  // The assignment keys: space selects the next candidate, 'k' assigns at frequency fa,
  // 'K' removes the assignment; 1 when the set's assignments or lines changed.
  int32_t (*simSelectNext)(int16_t set) = nullptr;
  int32_t (*simAssign)(int16_t set, double fa) = nullptr;
  int32_t (*simUnassign)(int16_t set) = nullptr;
};

extern DisplayHookTable DisplayHooks;

// The display's calls of the table: each does nothing and answers 0 while its hook is
// null.
int32_t DisplaySimPlot(HDC hdc, int16_t paint, int16_t set, int16_t view, int32_t first, int32_t count,
                       int32_t baseline, int16_t childChn, int16_t childView);
