// Helpers shared by the child windows and their painting (display/ only).
#pragma once

#include <cstdint>

#include "platform/gdi/Gdi.h"
#include "platform/windows/Window.h"

namespace child {

constexpr int32_t kMaxColumns = 20000;
// Parameter slot of the painting's resampling: the last one, so that a paint leaves
// the resize settings of the file conversion dialog (slot 0) as they are.
constexpr int16_t kResizeSlot = 29;

bool Valid(int16_t c, int16_t k);
// Status text of part `part` of the child's status bar (nothing without one).
void Status(int16_t c, int16_t k, int part, const char* text);
void StatusF(int16_t c, int16_t k, int part, const char* format, ...) __attribute__((format(printf, 4, 5)));
// The child window of channel c and kind k while it exists, else null.
HWND Window(int16_t c, int16_t k);
// The number of points of the data the child shows: the marker-diagnostic count for
// an ASCII file in mode 2, else the child's point count; 0 without child data.
uint32_t ShownPoints(int16_t c, int16_t k);
// The channel's transform is requested (transform mode of the child commands).
bool TransformMode(int16_t c);
// Vertical scale -(plot height) / (max - min) x factor, -1 for an empty range.
double Scale(double height, double lo, double hi, double factor);
// The data window draws the combined phase (fitted lines over the working phase)
// instead of its double-precision phase array: only while a phase fit of the
// transform's own size is there (the arrays of a fit hold the size it was made at).
bool CombinedPhase(int16_t c);
// The double-precision model phase while it holds the transform's size, else null.
const double* ModelPhase(int16_t c);
// Scale s and offset o with which window k of channel c draws transform sub-array
// `sub`: the sub-array's y range and fixed offset, the combined phase over -360 q ..
// 360 q. false when that range is empty (s is then -1).
bool TransformScale(int16_t c, int16_t k, int sub, double height, double* s, double* o);
// Pens: row n of the channel colour table, the channel's own, row n of the set table.
HPEN RowPen(int row);
HPEN ChannelPen(int16_t c);
HPEN SetRowPen(int row);
HPEN SetPen(int16_t set);
// Refreshes (WM_INITDIALOG) a dialog while it exists.
void Refresh(HWND dialog);

}  // namespace child
