#include "display/PenBrush.h"

#include "core/DebugLog.h"
#include "platform/gdi/Gdi.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Sim.h"
#include "records/Win.h"

namespace {

constexpr int16_t kDefaultRgb[DSP_COLORS][3] = {{0, 0, 0},     {0, 0, 255},     {255, 0, 0},  {0, 170, 0},
                                                {255, 0, 255}, {255, 144, 0},   {0, 255, 0},  {0, 255, 255},
                                                {255, 255, 0}, {160, 160, 160}, {255, 255, 255}};
constexpr int16_t kDebugTopicPens = 116;

COLORREF RowColor(const int16_t rgb[3]) {
  return RGB(static_cast<BYTE>(rgb[0] & 0xFF), static_cast<BYTE>(rgb[1] & 0xFF), static_cast<BYTE>(rgb[2] & 0xFF));
}

void Release(HPEN& pen) {
  if (pen) DeleteObject(pen);
  pen = nullptr;
}
void Release(HBRUSH& brush) {
  if (brush) DeleteObject(brush);
  brush = nullptr;
}

// Makes the pen and brush of one row of both tables (an old pen or brush is released
// first, so repeated calls never leak).
void MakeRow(int row) {
  Release(Dsp.Pen[row]);
  Release(Dsp.Brush[row]);
  Release(Sim.Pen[row]);
  Release(Sim.Brush[row]);
  Dsp.Pen[row] = CreatePen(PS_SOLID, Dsp.Pen_Width, RowColor(Dsp.RGB[row]));
  Dsp.Brush[row] = CreateSolidBrush(RowColor(Dsp.RGB[row]));
  Sim.Pen[row] = CreatePen(PS_SOLID, Dsp.Pen_Width, RowColor(Sim.RGB[row]));
  Sim.Brush[row] = CreateSolidBrush(RowColor(Sim.RGB[row]));
}

void DebugSetLines(const char* what) {
  if (Debug.DebugLevel != kDebugTopicPens) return;
  for (int s = 0; s < SIM_SETS; ++s) {
    int row = Sim.COLOR_NO[s] >= 0 && Sim.COLOR_NO[s] < SIM_COLORS ? Sim.COLOR_NO[s] : 0;
    DebugPrintf("%s SET=%hd SIM.COLOR_NO=%hd SIM.RGB[][0,1,2]=%hd %hd %hd\n", what, static_cast<int16_t>(s),
                Sim.COLOR_NO[s], Sim.RGB[row][0], Sim.RGB[row][1], Sim.RGB[row][2]);
  }
}

}  // namespace

void SimPenBrushSet(int32_t create, int32_t del, int32_t background, int32_t repen, int32_t defaults) {
  if (defaults == 1) {
    for (int row = 0; row < DSP_COLORS; ++row)
      for (int k = 0; k < 3; ++k) {
        Dsp.RGB[row][k] = kDefaultRgb[row][k];
        Sim.RGB[row][k] = kDefaultRgb[row][k];
      }
    MakeRow(0);
    MakeRow(10);
  }
  if (del == 1) {
    for (int row = 1; row <= 9; ++row) {
      Release(Dsp.Pen[row]);
      Release(Dsp.Brush[row]);
      Release(Sim.Pen[row]);
      Release(Sim.Brush[row]);
    }
  }
  if (create == 1) {
    for (int row = 1; row <= 9; ++row) MakeRow(row);
    if (defaults == 1) {
      for (int c = 0; c < DSP_CHN; ++c) Dsp.Chn_ColorNo[c] = 0;
      for (int s = 0; s < SIM_SETS; ++s) Sim.COLOR_NO[s] = static_cast<int16_t>(s + 1);
    }
    DebugSetLines("CREATE");
  }
  if (background == 1) {
    int16_t from = Dsp.Bkg_Stat == 1 ? 10 : 0;
    int16_t to = Dsp.Bkg_Stat == 1 ? 0 : 10;
    Win.Fg_Pen_Idx = to;
    Win.Bg_Brush_Idx = from;
    for (int c = 0; c < DSP_CHN; ++c)
      if (Dsp.Chn_ColorNo[c] == from) Dsp.Chn_ColorNo[c] = to;
    for (int s = 0; s < SIM_SETS; ++s)
      if (Sim.COLOR_NO[s] == from) Sim.COLOR_NO[s] = to;
    DebugSetLines("BKG");
  }
  if (repen == 1) {
    for (int row = 0; row < DSP_COLORS; ++row) {
      Release(Dsp.Pen[row]);
      Release(Sim.Pen[row]);
      Dsp.Pen[row] = CreatePen(PS_SOLID, Dsp.Pen_Width, RowColor(Dsp.RGB[row]));
      Sim.Pen[row] = CreatePen(PS_SOLID, Dsp.Pen_Width, RowColor(Sim.RGB[row]));
    }
  }
}
