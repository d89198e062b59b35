#include "app/MainPaint.h"

#include "app/Startup.h"
#include "platform/Gdi.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

void FillPaper(HDC dc, const RECT& area) {
  int16_t row = Win.Bg_Brush_Idx >= 0 && Win.Bg_Brush_Idx < DSP_COLORS ? Win.Bg_Brush_Idx : 10;
  HBRUSH brush = Dsp.Brush[row];
  bool own = brush == nullptr;
  if (own) brush = CreateSolidBrush(Dsp.Bkg_Stat == 1 ? RGB(255, 255, 255) : RGB(0, 0, 0));
  FillRect(dc, &area, brush);
  if (own) DeleteObject(brush);
}

}  // namespace

bool ChannelDrawArraysReady() {
  for (float* array : Win.P_DrawAry)
    if (!array) return false;
  return true;
}

bool SharedDrawArraysReady() {
  return Win.PM_DrawAry && Win.PM_DrawAry_Sum && Win.CM_DrawAry1 && Win.CM_DrawAry2 && Win.CM_DrawAry3 &&
         Win.Big_DrawAry;
}

void PaintParentWindowPaper(int32_t mode, HWND window, HWND toolbar, HDC printerDC) {
  if (mode == 3) {
    if (!printerDC) return;
    RECT page{0, 0, GetDeviceCaps(printerDC, HORZRES), GetDeviceCaps(printerDC, VERTRES)};
    FillPaper(printerDC, page);
    return;
  }
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  bool draw = true;
  if (Dsp.Init_Done == 0) {
    Dsp.Init_Done = 1;
    draw = Qv95Initialize() == 1;
  }
  if (draw && ChannelDrawArraysReady()) {
    RECT client;
    GetClientRect(window, &client);
    RECT toolbarRect{};
    if (toolbar && GetWindowRect(toolbar, &toolbarRect)) Win.Plot_Y0 = toolbarRect.bottom - toolbarRect.top + 3;
    client.top = Win.Plot_Y0;
    FillPaper(dc, client);
  }
  EndPaint(window, &paint);
}
