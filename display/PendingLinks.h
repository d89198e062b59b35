// Calls from the main-window painting into parts that are not built yet: the show/hide
// creators of the modeless per-set dialogs. Each
// has a weak stand-in in PendingLinks.cpp that the real definition replaces at link
// time; the declarations here are the ones the real parts must match.
#pragma once

#include <cstdint>

#include "platform/gdi/Gdi.h"
#include "platform/kernel/WinTypes.h"

// Show/hide creators of the per-set modeless dialogs: show 1 creates the dialog once,
// refreshes it (WM_INITDIALOG) and shows it; show 0 hides it. The result (show, or 0
// when creation failed) is what the caller stores in the request flag. Stand-ins:
// refresh an existing window of the kind (Sim.Dlg_Hwnd) and return show.
uint32_t SimAbcTrackbarDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimCoriolisTrackbarDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimCrossTermTrackbarDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimDDistortionTrackbarDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimTdmDipoleTrackbarDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimTemperatureTrackbarDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimJkkQNDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimJkkCombDiffDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimQuadTrackbarDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimQuadQNDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimResidualDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimScaleOffsetDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimSineDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimLineShapeDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t LsfVoigtDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t LsfRdfDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t W36DialogShow(int16_t set, uint32_t show, HWND parent);
