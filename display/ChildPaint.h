// Painting of a child window and the reading of its data. What a child shows is the
// first of: its data file (an ASCII column file, a marker diagnostic, a float file:
// the data of a running fit or the transform dialog's time file), the channel's
// transform, the cavity-mode plot, the genetic-algorithm population or score plot,
// and the simulated time signal of the current simulation set. Then its cursors, the
// refresh of open transform dialogs and the crosshair.
//
// Page model: the page start is a raw point; a page of p points per pixel shows
// (count - start) / p columns, at most the plot width and at most 20,000; a page that
// would run past the end moves back to the last full page; column j shows point
// start + p j. Rows are plot rows (0 at the plot's top, the plot height at its
// bottom); a value v is drawn at s v + o.
#pragma once

#include <cstdint>

#include "platform/windows/Window.h"

// Paints the child window of channel chn and kind (0 time, 1 frequency, 2 data)
// inside its WM_PAINT. Returns 1.
int32_t PaintChildWindow(HWND window, HWND toolbar, int16_t chn, int16_t kind);

// Reads the child's data when they are pending, under ChildDataLock. 1 when read (or
// nothing was pending), 0 on failure (after a message).
int32_t ChildDataRead(int16_t chn, int16_t kind);
