// The simulation control dialog (template 11500), the show/hide creators of the
// per-set modeless dialogs, their update from the request flags, and the per-set
// dialogs of this folder: RESIDUALS (9001), SIM SCALAR/OFFSET/SLOPE (1201), the sine
// and chirp baseline (1203), CHEBYSHEV & POWER NORM PRMS (1280), SIM LINESHAPE (1300)
// and SIM HITRAN (1000). Everything here runs on the main window's thread.
#pragma once

#include <cstdint>

#include "platform/windows/Dialog.h"
#include "records/Sim.h"

// Identifiers of the control dialog (left column; the right column's is one more).
enum SimCtlId : int {
  IDD_SIM_CONTROL = 11500,
  IDC_SC_COLUMNS = 20,  // horizontal scroll bar of the column base
  IDC_SC_COLOR = 21,    // vertical colour scroll bars 21/22
  IDC_SC_SWATCH = 60,   // colour captions 60/61
  IDC_SC_LABEL = 762,
  IDC_SC_DSP = 11501,
  IDC_SC_EDIT = 8730,
  IDC_SC_OPEN = 754,
  IDC_SC_RDORV = 8157,
  IDC_SC_FILE = 11505,
  IDC_SC_CAL = 11507,
  IDC_SC_ASNLNS = 8129,
  IDC_SC_SUM = 758,
  IDC_SC_OMC = 8127,
  IDC_SC_WRT = 750,
  IDC_SC_CLR = 752,
  IDC_SC_PUB = 774,
  IDC_SC_SCALAR = 11509,
  IDC_SC_OFS = 11511,
  IDC_SC_SLP = 11513,
  IDC_SC_CHN = 11503,
  IDC_SC_ITC = 11515,
  IDC_SC_FUNC = 11540,
  IDC_SC_LOR = 11532,
  IDC_SC_IDV = 8732,
  IDC_SC_GAU = 11534,
  IDC_SC_NUM = 11536,
  IDC_SC_WIDTH = 11538,
  IDC_SC_ACTIVE = 768,
  IDC_SC_QUADDSP = 8736,
  IDC_SC_SHIFT = 11517,
  IDC_SC_SHIFTVAL = 11519,
  IDC_SC_FRQSCALE = 11521,
  IDC_SC_LABELS = 770,
  IDC_SC_ASNONLY = 771,
  IDC_SC_BIN = 760,
  IDC_SC_QVS = 772,
  IDC_SC_RDSIM = 764,
  IDC_SC_RDASN = 766,
  IDC_SC_ORVPRMS = 756,
  IDC_SC_ZERO = 776,
};

// The sub-dialog check box of each kind in the control dialog (left column).
int SimCtlRequestBox(SimDlgKind kind);
// The request flag of a kind (Sine_Stat and HT_Ary_Stat for the sine and HITRAN kinds).
uint32_t& SimDlgRequest(SimDlgKind kind, int16_t set);
// The set whose dialog of the kind is `dialog`; -1 when none is.
int16_t SimDlgSetOf(SimDlgKind kind, HWND dialog);

INT_PTR SimControlDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Sends WM_SETTEXT to the colour caption of every open sub-dialog of set first +
// column, then repaints the main window. Returns 1.
int32_t SimModelessDialogRecolor(int16_t column, int16_t first);

// Show/hide creators of the per-set modeless dialogs: show 1 creates the dialog once,
// refreshes it (WM_INITDIALOG) and shows it; show 0 hides it. The result (show, or 0
// when creation failed or the kind is not available) is what the caller stores in
// the request flag.
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
// Shows (1) or hides (0) the simulation control dialog; the requested state, 0 when
// the dialog cannot be made. Callers store the result in Sim.Ctl_Shown.
int32_t SimControlDialogShow(uint32_t show, HWND parent);
// Opens or closes the sub-dialogs of a set from their request flags; repaint 1
// repaints the main window after a change. Returns 1.
int32_t SimModelessDialogUpdate(int16_t set, int32_t repaint);
// Refreshes the open per-set dialogs of the displayed sets through their creators
// after a paint of the main window (the assignment dialogs only after a new selection
// or a redraw request).
void SimModelessDialogsRefresh();

uint32_t SimJkkFilterDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimChebyshevDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t SimHitranDialogShow(int16_t set, uint32_t show, HWND parent);
uint32_t LsfVoigt2DialogShow(int16_t set, uint32_t show, HWND parent);

INT_PTR ResidualDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR SimScaleOffsetDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR SimSineDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR SimChebyshevDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR SimLineshapeDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR SimHitranDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR JkkQNDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR JkkFilterDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR JkkCombDiffDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR QuadQNDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Builds the set's assigned-line list: every line with an experimental frequency that
// passes the JKK filters, the first becoming the selected line. 1 when the list holds
// a line; 0 when it is empty, after an allocation failure (count 0) or when the set
// holds more assigned lines than its count says.
int32_t SimAsnListCreate(int16_t set);
// The rotor trackbar dialogs (203-208) and the quadrupole trackbar dialog (8001).
INT_PTR OrvABCDervProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR OrvCoriolisDervProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR OrvCrossTermDervProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR OrvDDistortionDervProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR OrvTdmDervProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR OrvTemperatureDervProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR QuadTrackbarDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR W36DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The fit dialogs (sim/FitDialogs.cpp).
INT_PTR LsfVoigtProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR LsfVoigt2Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR LsfRdfProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// ORV (PRMS): the set's rotor constants and their deviations into OrvPrm for the next
// rotor run, the deviations from the covariance matrix when the set has one. 0 after
// "ERROR IN COVARIANCE MATRIX" (the deviations of the set stay copied), else 1.
int32_t SimOrvPrmsCopy(int16_t set);
// RD ORV after the set's name is chosen: asks before replacing an existing
// "<name>.QVS", gives the pending rotor result the set's name (OrvOutputRename), reads
// and rewrites it, or reverts the name to "NoName" unread; the result is then
// consumed ("NO_SIM", counters 0) and the rotor dialog refreshed. 1 read, 0 not read,
// -1 when the user kept the existing file (nothing changed).
int32_t SimRotorResultRead(int16_t set);

