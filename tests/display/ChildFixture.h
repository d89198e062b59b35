// Fixture of the child-window tests: the display fixture's main window and data
// folder, fresh child records, the drawing arrays, coloured pens and ChildDataLock.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "core/TypedArrays.h"
#include "display/ChildPaint.h"
#include "display/ChildWindows.h"
#include "platform/driver/TestDriver.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Sync.h"
#include "records/Cnl.h"
#include "records/Ga.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "records/Sim.h"
#include "records/Trans.h"
#include "tests/display/DisplayFixture.h"

namespace qvtest {

constexpr COLORREF kChannelBlue = RGB(0, 0, 255);
constexpr COLORREF kRowRed = RGB(255, 0, 0);
constexpr COLORREF kRowGreen = RGB(0, 170, 0);
constexpr COLORREF kRowGrey = RGB(160, 160, 160);

// Closes every child window and frees the data arrays their reads made.
inline void CloseChildWindowsAndFreeTheirData() {
  for (int16_t c = 0; c < WIN_CHN; ++c)
    for (int16_t k = 0; k < WIN_KINDS; ++k) ChildWindowOpenClose(0, c, k);
  for (int16_t c = 0; c < CNL_CHN; ++c)
    for (int16_t k = 0; k < CNL_KINDS; ++k)
      for (double** array : {&Cnl.Y_Draw_DAry1[c][k], &Cnl.Y_Draw_DAry2[c][k], &Cnl.Y_Draw_DAry3[c][k],
                             &Cnl.Y_Draw_DAry4[c][k], &Cnl.X_DAry[c][k]})
        DFree1Dim(array);
  FFree1Dim(&Cnl.Tmp_PLM_FPt);
}

class ChildTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    Cnl = CnlRecord{};
    Lsf = LsfRecord{};
    Ga = GaRecord{};
    Sim = SimRecord{};
    Trans = TransRecord{};
    if (!ChildDataLock.state) InitializeCriticalSection(&ChildDataLock);
    for (float** array : {&Win.PM_DrawAry, &Win.CM_DrawAry1, &Win.CM_DrawAry2, &Win.CM_DrawAry3})
      ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(array, WIN_DRAW_PTS)));
    const COLORREF colors[] = {kChannelBlue, kRowRed, kRowGreen};
    for (int row = 1; row <= 3; ++row) Dsp.Pen[row] = CreatePen(PS_SOLID, 1, colors[row - 1]);
    Dsp.Pen[9] = CreatePen(PS_SOLID, 1, kRowGrey);
    Sim.Pen[2] = CreatePen(PS_SOLID, 1, kRowRed);
    for (int16_t c = 0; c < DSP_CHN; ++c) Dsp.Chn_ColorNo[c] = 1;
    boxes_.clear();
    platform::SetBoxAnswerer([this](const platform::BoxRequest& box) {
      boxes_.push_back(box.caption + "|" + box.text);
      if (answers_.empty()) return IDOK;
      const int answer = answers_.front();
      answers_.erase(answers_.begin());
      return answer;
    });
  }

  void TearDown() override {
    CloseChildWindowsAndFreeTheirData();
    // The fit and transform settings a test gave the child windows go with it.
    Lsf = LsfRecord{};
    Trans = TransRecord{};
    for (float** array : {&Win.PM_DrawAry, &Win.CM_DrawAry1, &Win.CM_DrawAry2, &Win.CM_DrawAry3}) FFree1Dim(array);
    for (HPEN& pen : Dsp.Pen) {
      if (pen) DeleteObject(pen);
      pen = nullptr;
    }
    if (Sim.Pen[2]) DeleteObject(Sim.Pen[2]);
    Sim.Pen[2] = nullptr;
    DisplayTest::TearDown();
  }

  void WriteFloatFile(const std::string& name, const std::vector<float>& values) {
    std::ofstream out(dir_.File(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(values.data()),
              static_cast<std::streamsize>(values.size() * sizeof(float)));
  }
  void WriteText(const std::string& name, const std::string& text) {
    std::ofstream out(dir_.File(name), std::ios::binary | std::ios::trunc);
    out << text;
  }

  // The time window of channel c showing the float file `name` as the transform's
  // time file.
  HWND OpenTimeFile(int16_t c, const std::string& name) {
    Trans.Trans_Stat[c] = 1;
    StrCopy(Trans.Trans_TimeFlnm[c], name.c_str());
    Cnl.Time_Stat[c][0] = 1;
    Cnl.Data_Pend[c][0] = 1;
    EXPECT_EQ(ChildWindowOpenClose(1, c, 0), 1);
    platform::driver::PumpUntilIdle();
    return Win.hWnd_Child[c][0];
  }
  // The child window c k showing the ASCII file `name`.
  HWND OpenAscii(int16_t c, int16_t k, const std::string& name) {
    Cnl.Asc_Stat[c][k] = 1;
    StrCopy(Cnl.Asc_Flnm[c][k], name.c_str());
    Cnl.Data_Pend[c][k] = 1;
    ChildWindowOpenClose(1, c, k);
    platform::driver::PumpUntilIdle();
    return Win.hWnd_Child[c][k];
  }

  void Repaint(int16_t c, int16_t k) {
    InvalidateRect(Win.hWnd_Child[c][k], nullptr, FALSE);
    UpdateWindow(Win.hWnd_Child[c][k]);
  }
  void Command(int16_t c, int16_t k, int id) {
    SendMessage(Win.hWnd_Child[c][k], WM_COMMAND, static_cast<WPARAM>(id), 0);
    platform::driver::PumpUntilIdle();
  }
  std::string ChildStatus(int16_t c, int16_t k, int part) const {
    return platform::driver::StatusText(Win.hWnd_ChildStatus[c][k], part);
  }
  COLORREF Pixel(int16_t c, int16_t k, int x, int y) {
    HDC dc = GetDC(Win.hWnd_Child[c][k]);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(Win.hWnd_Child[c][k], dc);
    return color;
  }
  // Whether any pixel of plot column x has the colour.
  bool ColumnHas(int16_t c, int16_t k, int x, COLORREF color) {
    const int top = Win.Child_PlotTop[c][k];
    for (int y = top; y <= top + Win.Child_PlotH[c][k]; ++y)
      if (Pixel(c, k, x, y) == color) return true;
    return false;
  }

  std::vector<std::string> boxes_;
  std::vector<int> answers_;
};

}  // namespace qvtest
