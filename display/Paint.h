// Painting of the main window: one page of every displayed channel at the current
// view level, the simulation sets laid over them with their residuals and residual
// statistics, marker and cursor lines, the crosshair and the cursor readout; in
// printer mode the same traces on one printer page. Also the marker cross, the
// crosshairs of the main and child windows, and DisplayInitialize, which rebuilds the
// list of shown channels.
//
// Geometry set by a screen paint (Win): Plot_Y0 = toolbar height + 3 (client row of
// the plot's top), Page_Width / Page_Height = plot width and height - 1, Page_Pixels =
// Page_Width, Plot_Left/Top = 0, Plot_Right = Page_Width, Plot_Bottom = Page_Height
// (plot pixels; the zero line). A value v of channel c is drawn at plot row
// B + s (v + offset), s = -H scalar, times 0.1 unless the full-height flag is set,
// truncated and held inside the plot.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi/Gdi.h"
#include "platform/windows/Window.h"

inline constexpr char RES_BIN_FILE_NAME[] = "Res.bin";

// mode 2: the main window inside WM_PAINT (double-buffered); mode 3: one printer page
// on printerDC. 1, or 0 when the one-time start-up failed.
int32_t PaintParentWindowPaper(int32_t mode, HWND window, HWND toolbar, HDC printerDC);
// Releases the back buffer that screen paints keep between paints (the main window's
// end; a later paint makes a new one).
void DisplayPaintBuffersFree();

// The crosshair at client (x, y) on the main window's memory context and the readout
// of part 1 of the status bar (the first argument is not used).
void DisplayCursorReadout(HWND unused, int32_t x, int32_t y);
// The text DisplayCursorReadout writes to status part 1 for the cursor at client
// (x, y) of the active channel; false (text empty) while no channel is active.
bool DisplayPaintReadoutText(int32_t x, int32_t y, char* text, size_t size);

// An "x" of half-size Dsp.Mk_Size at (x, y) in the foreground pen; nothing on a null
// context.
void DisplayDrawMarkerCross(HDC dc, int32_t x, int32_t y);
// The crosshair on the main window's memory context (nothing outside a paint).
void DisplayDrawParentCrosshair(int32_t x, int32_t y);
// The crosshair on a child window's memory context (nothing outside its paint).
void DisplayDrawChildCrosshair(int32_t x, int32_t y, int16_t chn, int16_t kind);

// The first time: cursor to the plot centre, FFT smoothing off, page start 0. Every
// time: raw sizes and dates re-read, the shown channels rebuilt from the display flags
// (order 0..8), the last displayed channel active (9 when none). Returns 1.
int32_t DisplayInitialize();
