// Main-window painting: traces, scaling and clipping, channels of other lengths,
// marker lines, the painting readout, residual statistics with "Res.bin", nested
// paints, the dialog refresh and a printer page.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/TypedArrays.h"
#include "display/Paint.h"
#include "display/ViewKeys.h"
#include "lineshape/LineShape.h"
#include "platform/windows/Controls.h"
#include "platform/kernel/Files.h"
#include "platform/gdi/Gdi.h"
#include "platform/windows/MessageBox.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Lsf.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "support/TempDir.h"

namespace {

// Every displayed set renders the constant fakeValue, or fails while fakeFails is set;
// fakeCalls counts the failing renders (see Paint()).
float fakeValue = 1.0f;
bool fakeFails = false;
int fakeCalls = 0;
int paintMessages = 0;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 170, 0);
constexpr COLORREF kGrey = RGB(160, 160, 160);
constexpr COLORREF kWhite = RGB(255, 255, 255);

LRESULT PaintWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      ++paintMessages;
      PaintParentWindowPaper(2, window, nullptr, nullptr);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProc(window, message, wParam, lParam);
  }
}

int initDialogs = 0;
LRESULT CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) ++initDialogs;
  return DefWindowProc(window, message, wParam, lParam);
}

void WriteFloats(const std::string& path, const std::vector<float>& values) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(values.data(), sizeof(float), values.size(), file), values.size());
  std::fclose(file);
}

std::vector<float> ReadFloats(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<float> values(bytes.size() / sizeof(float));
  if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
  return values;
}

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Win = WinRecord{};
    Dsp = DspRecord{};
    Sim = SimRecord{};
    Cnl = CnlRecord{};
    Cnv = CnvRecord{};
    Lsf = LsfRecord{};
    fakeValue = 1.0f;
    fakeFails = false;
    fakeCalls = 0;
    paintMessages = 0;
    initDialogs = 0;
    platform::ClearBoxLog();
    platform::SetBoxAnswerer([this](const platform::BoxRequest& box) {
      boxes.push_back(box.caption + "|" + box.text);
      return IDOK;
    });
    // The per-set dialogs that the painting refreshes are real dialogs.
    RegisterDialogResources();
    StrCopy(Dsp.Data_Dir, dir.Path().string().c_str());
    Dsp.Init_Done = 1;
    Dsp.Dsp_Ready = 1;
    ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Win.PM_DrawAry, WIN_DRAW_PTS)));
    ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Win.PM_DrawAry_Sum, WIN_DRAW_PTS)));
    for (float*& rows : Win.P_DrawAry) ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&rows, WIN_DRAW_PTS)));
    Dsp.Pts2Pxl[WIN_RAW] = 1.0;
    for (auto& step : Dsp.FrqStpView) step = 1.0;  // line shapes are built on every level
    Win.View_Level = WIN_RAW;
    // Pens of rows 1 (blue), 2 (red), 3 (green) and 9 (grey) as the colour table has them.
    const COLORREF colors[] = {kBlue, kRed, kGreen};
    for (int row = 1; row <= 3; ++row) Dsp.Pen[row] = CreatePen(PS_SOLID, 1, colors[row - 1]);
    Dsp.Pen[9] = CreatePen(PS_SOLID, 1, kGrey);
    Sim.Pen[1] = CreatePen(PS_SOLID, 1, kRed);

    static bool registered = false;
    if (!registered) {
      WNDCLASS wc;
      wc.lpfnWndProc = PaintWndProc;
      wc.lpszClassName = "PAINT TEST";
      RegisterClass(&wc);
      WNDCLASS counting;
      counting.lpfnWndProc = CountingProc;
      counting.lpszClassName = "COUNTING DIALOG";
      RegisterClass(&counting);
      registered = true;
    }
    window = CreateWindowEx(0, "PAINT TEST", "PAINT", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 420, 300, nullptr,
                            nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Win.hWnd_Main = window;
    Win.hWnd_StatusBar = CreateStatusWindow(WS_CHILD | WS_VISIBLE, "", window, 100);
    int edges[4] = {100, 200, 300, -1};
    SendMessage(Win.hWnd_StatusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
    platform::driver::PumpUntilIdle();
  }

  void TearDown() override {
    Lsf = LsfRecord{};  // a sequence fit display switched on stays with its test
    for (auto& row : Sim.Dlg_Hwnd)
      for (HWND& w : row)
        if (w && IsWindow(w)) DestroyWindow(w);
    if (IsWindow(window)) DestroyWindow(window);
    DisplayPaintBuffersFree();
    for (HPEN& pen : Dsp.Pen) {
      if (pen) DeleteObject(pen);
      pen = nullptr;
    }
    if (Sim.Pen[1]) DeleteObject(Sim.Pen[1]);
    Sim.Pen[1] = nullptr;
    for (double*& lines : Sim.FI_Sim_Erg) DFree1Dim(&lines);
    SimLineShapeStoresFree();
    FFree1Dim(&Win.PM_DrawAry);
    FFree1Dim(&Win.PM_DrawAry_Sum);
    FFree1Dim(&Win.Res_DrawAry);
    for (float*& rows : Win.P_DrawAry) FFree1Dim(&rows);
    platform::SetBoxAnswerer(nullptr);
  }

  // A displayed channel with its raw file.
  void Channel(int c, const std::vector<float>& values, int16_t colorRow = 1) {
    std::string name = "chn" + std::to_string(c) + ".bin";
    WriteFloats(dir.File(name), values);
    StrCopy(Dsp.Chn_Flnm[c], name.c_str());
    Dsp.Chn_DspStat[c] = 1;
    Dsp.FL_SZ[WIN_RAW][c] = static_cast<uint32_t>(values.size());
    Dsp.Chn_Scalar[c] = 1.0;
    Dsp.Chn_ScaleStat[c] = 1;
    Dsp.Chn_ColorNo[c] = colorRow;
  }

  // The renderer draws each set as the constant fakeValue: its ring-down curve without
  // decay over an interval that spans the whole axis. With fakeFails its line shape
  // asks the HITRAN line calculation, which refuses.
  void Paint() {
    for (int set = 0; set < SIM_SETS; ++set) {
      Lsf.Rdf_Dsp[set] = 1;
      Lsf.Rdf_Valid[set] = 1;
      Lsf.Rdf_WinSel[set] = 1;
      Lsf.Rdf_B[set] = fakeValue;
      Sim.LN_STAT[set] = fakeFails ? 1 : 0;
      Sim.HT_LnCalc[set] = fakeFails ? 1 : 0;
      // Lines (at 0) only for the failing render: without line arrays a set draws its
      // overlays alone.
      if (fakeFails && Sim.FI_Lines[set] > 0 && !Sim.FI_Sim_Erg[set]) DAlloc1Dim(&Sim.FI_Sim_Erg[set], Sim.FI_Lines[set]);
    }
    Win.Child_CursorLo[9][2] = INT32_MIN;
    Win.Child_CursorHi[9][2] = INT32_MAX;
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }

  COLORREF Pixel(int x, int y) {
    HDC dc = GetDC(window);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
  }
  // Whether any pixel of the column inside the plot has the colour.
  bool ColumnHas(int x, COLORREF color) {
    for (int y = Win.Plot_Y0; y <= Win.Plot_Y0 + Win.Page_Height; ++y)
      if (Pixel(x, y) == color) return true;
    return false;
  }
  int Bottom() const { return Win.Plot_Y0 + Win.Page_Height; }
  // Every byte of the window's pixels.
  std::vector<uint32_t> Snapshot() {
    HDC dc = GetDC(window);
    cairo_surface_t* surface = platform::SurfaceOfDC(dc);
    std::vector<uint32_t> pixels;
    if (surface) {
      cairo_surface_flush(surface);
      const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
      const int stride = cairo_image_surface_get_stride(surface) / 4;
      const uint32_t* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
      pixels.push_back(static_cast<uint32_t>(w));
      for (int y = 0; y < h; ++y) pixels.insert(pixels.end(), data + y * stride, data + y * stride + w);
    }
    ReleaseDC(window, dc);
    return pixels;
  }
  // A paint on a back buffer made for it.
  std::vector<uint32_t> FreshPaint() {
    DisplayPaintBuffersFree();
    Paint();
    return Snapshot();
  }
  void ClientSize(int w, int h) {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MoveWindow(window, 0, 0, (outer.right - outer.left) + (w - client.right),
               (outer.bottom - outer.top) + (h - client.bottom), FALSE);
    platform::driver::PumpUntilIdle();
  }

  qvtest::TempDir dir;
  HWND window = nullptr;
  std::vector<std::string> boxes;
};

}  // namespace

// The HITRAN line calculation of these tests (the program's calls of it are wrapped)
// refuses every line, silently: a set that asks for it fails to render without a
// message.
extern "C" int32_t __wrap__Z13SimHTLineCalciP12LineShapeRec(int32_t, LineShapeRec*) {
  ++fakeCalls;
  return 0;
}

TEST_F(PaintTest, GeometryAndTraceScalingWithClippingAtTheEdges) {
  // Values in plot heights: 0 (bottom), 0.5 (middle), 1 (top), 2 (above), -1 (below).
  std::vector<float> values(1000, 0.25f);
  values[10] = 0.0f;
  values[11] = 0.5f;
  values[12] = 1.0f;
  values[13] = 2.0f;
  values[14] = -1.0f;
  values[15] = 1e30f;
  Channel(0, values);
  Paint();

  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(Win.Plot_Y0, 3);
  EXPECT_EQ(Win.Page_Width, client.right - 1);
  EXPECT_EQ(Win.Page_Pixels, Win.Page_Width);
  EXPECT_EQ(Win.Plot_Bottom, Win.Page_Height);
  ASSERT_EQ(Win.Shown_Count, 1);
  EXPECT_EQ(Win.Shown_List[0], 0);

  const int H = Win.Page_Height, B = Bottom(), top = Win.Plot_Y0;
  const float* rows = Win.P_DrawAry[0];
  EXPECT_EQ(rows[10], B);
  EXPECT_EQ(rows[11], static_cast<int>(B - 0.5 * H));
  EXPECT_EQ(rows[12], top);
  EXPECT_EQ(rows[13], top);  // above the plot: on its top edge
  EXPECT_EQ(rows[14], B);    // below the plot: on its bottom edge
  EXPECT_EQ(rows[15], B);  // a missing value (1e18 or more) reads as 0
  // The line passes through its points; nothing is drawn outside the plot.
  EXPECT_EQ(Pixel(11, static_cast<int>(rows[11])), kBlue);
  EXPECT_EQ(Pixel(13, top), kBlue);
  EXPECT_EQ(Pixel(14, B), kBlue);
  EXPECT_NE(Pixel(13, top - 1), kBlue);
  EXPECT_NE(Pixel(14, B + 1), kBlue);

  // Without the full-height flag the height is a tenth; the offset adds to the value.
  Dsp.Chn_ScaleStat[0] = 0;
  Dsp.Chn_Scalar[0] = 2.0;
  Dsp.Chn_Offset[0] = 1.0;
  Paint();
  EXPECT_NEAR(rows[11], B - 0.2 * H * 1.5, 1.0);
  EXPECT_NEAR(rows[10], B - 0.2 * H * 1.0, 1.0);
  EXPECT_EQ(Win.Paint_Busy, 0u);
  EXPECT_EQ(Win.hDC_Mem, nullptr);
}

TEST_F(PaintTest, ChannelsLongerAndShorterThanTheActiveOneKeepTheirColumns) {
  // Values encode the point index, so each row tells which point was drawn there.
  auto ramp = [](int n) {
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<float>(i) / 1000.0f;
    return v;
  };
  Channel(0, ramp(1000), 1);
  Channel(1, ramp(50000), 2);  // longer
  Channel(2, ramp(700), 3);    // shorter: the page runs past its end
  StrCopy(Dsp.Chn_Flnm[3], "missing.bin");
  Dsp.Chn_DspStat[3] = 1;  // cannot be read
  Win.Page_Start = 500;
  Win.Active_Chn = 0;
  Paint();

  ASSERT_EQ(Win.Shown_Count, 3);
  EXPECT_EQ(Win.Shown_List[0], 0);
  EXPECT_EQ(Win.Shown_List[1], 1);
  EXPECT_EQ(Win.Shown_List[2], 2);
  const int W = Win.Page_Width;
  ASSERT_GT(W, 250);
  // The longer channel fills the page from the same first point; it is never read
  // beyond the page.
  const double s = -Win.Page_Height * 1.0;
  EXPECT_NEAR(Win.P_DrawAry[1][W - 1], Bottom() + s * (500 + W - 1) / 1000.0, 1.0);
  EXPECT_TRUE(ColumnHas(W - 2, kRed));
  // The shorter channel ends at column 199 (point 699); its points stand at their own
  // columns: column 10 shows point 510.
  const int at510 = 510 - (700 - W);  // the page read ends with the file
  EXPECT_EQ(Pixel(10, static_cast<int>(Win.P_DrawAry[2][at510])), kGreen);
  EXPECT_NEAR(Win.P_DrawAry[2][at510], Bottom() + s * 510 / 1000.0, 1.0);
  EXPECT_TRUE(ColumnHas(150, kGreen));
  EXPECT_FALSE(ColumnHas(250, kGreen));
}

TEST_F(PaintTest, HalfPagesRightEndWithTheChannelOnScreenAtEveryLevel) {
  // A 20,420-point channel, paged to its end with the half-page key at every level: the
  // page the reader moves back is the page shown, from column 0, at least half filled,
  // and the readout's point under column 0 is its first point.
  constexpr int kPoints = 20420;
  Channel(0, std::vector<float>(kPoints, 0.5f));
  Win.Active_Chn = 0;
  Paint();
  const int W = Win.Page_Width;
  ASSERT_GT(W, 200);
  const double pages[3] = {1.0, 10.0, 40.0};
  for (int v = 0; v < 3; ++v) {
    const uint32_t n = static_cast<uint32_t>(W * pages[v]);
    ASSERT_FALSE(QvAllocFailed(FAlloc1Dim(&Dsp.Fl_Pt[v][0], n)));
    std::fill(Dsp.Fl_Pt[v][0], Dsp.Fl_Pt[v][0] + n, 0.5f);
    Dsp.FL_SZ[v][0] = n;
    Dsp.Fl_Pt_Len[v][0] = n;
    Dsp.Pts2Pxl[v] = static_cast<double>(kPoints) / n;
  }
  Win.Cursor_X = 0;
  for (int16_t v = 0; v <= WIN_RAW; ++v) {
    Win.View_Level = v;
    Win.Page_Start = 0;
    const double ppp = Dsp.Pts2Pxl[v];
    const int presses = static_cast<int>(kPoints / (W / 2 * ppp)) + 2;
    for (int i = 0; i < presses; ++i) {
      ASSERT_EQ(DisplayCursorKey(1, window, VK_RIGHT, CURSOR_KEY_SHIFT), 1);
      Paint();
    }
    // The last page: the raw level ends with the file, a view level keeps half a page.
    const int32_t last = v == WIN_RAW ? kPoints - W
                                      : static_cast<int32_t>((Dsp.FL_SZ[v][0] - W / 2) * ppp + 0.5);
    EXPECT_EQ(Win.Page_Start, last) << "level " << v;
    char pt[20];
    std::snprintf(pt, sizeof pt, " Pt %6d", last);
    EXPECT_NE(platform::StatusText(Win.hWnd_StatusBar, 1).find(pt), std::string::npos) << "level " << v;
    EXPECT_TRUE(ColumnHas(0, kBlue)) << "level " << v;
    EXPECT_TRUE(ColumnHas(W / 2 - 2, kBlue)) << "level " << v;
    EXPECT_EQ(ColumnHas(W - 2, kBlue), v == WIN_RAW) << "level " << v;
  }
  for (int v = 0; v < 3; ++v) FFree1Dim(&Dsp.Fl_Pt[v][0]);
}

TEST_F(PaintTest, MarkersAtTheFirstAndLastPointAndRepeatMarkers) {
  Channel(0, std::vector<float>(5000, 0.0f));
  Win.Active_Chn = 0;
  Win.Page_Start = 100;
  Paint();  // geometry
  const int W = Win.Page_Width;
  ASSERT_FALSE(QvAllocFailed(LReAlloc1Dim(&Cnl.Mks_Pos, 4)));
  Cnl.Mks_Pos[1] = 100;          // first point shown
  Cnl.Mks_Pos[2] = 100 + W - 1;  // last point shown
  Cnl.Mks_Pos[3] = 100 + W;      // just beyond the page
  Cnl.Mks_Cnt = 3;
  Win.Pt_Lim[0][0] = 1;  // marker lines on (also a cursor at point 1, off the page)
  std::ofstream(dir.File("MksRepeat")) << "50\n150\n" << 100 + W - 2 << "\n" << 100 + W << "\n160\n";
  Win.Pt_Lim[0][1] = 1;
  Paint();

  const int mid = Win.Plot_Y0 + Win.Page_Height / 3;
  EXPECT_EQ(Pixel(0, mid), kGrey);
  EXPECT_EQ(Pixel(W - 1, mid), kGrey);
  EXPECT_EQ(Pixel(W, mid), kWhite);
  EXPECT_EQ(Pixel(50, mid), kRed);
  EXPECT_EQ(Pixel(W - 2, mid), kRed);
  EXPECT_EQ(Pixel(60, mid), kWhite);  // read stops at the first position beyond the page
  // At view level 0 the marker lines are off.
  Win.View_Level = 0;
  Dsp.Pts2Pxl[0] = 1.0;
  Paint();
  EXPECT_EQ(Pixel(W - 1, mid), kWhite);
  LFree1Dim(&Cnl.Mks_Pos);
}

TEST_F(PaintTest, ReadoutForSmallAndLargeValues) {
  Win.Active_Chn = 0;
  Dsp.FL_SZ[WIN_RAW][0] = 1000;
  Dsp.Chn_Scalar[0] = 1.0;
  Dsp.Chn_ScaleStat[0] = 1;
  Win.Page_Height = 100;
  Win.Plot_Bottom = 100;
  Win.Plot_Y0 = 3;
  Dsp.Init_Frq = 1000.0;
  Dsp.FrqStpView[WIN_RAW] = 0.5;
  char text[300];

  // Client row -147: 250 rows above the zero line, 2.5 plot heights.
  ASSERT_TRUE(DisplayPaintReadoutText(10, -147, text, sizeof text));
  EXPECT_STREQ(text, "[0] X(MHz) 1005.0000        Y 2.5000     Pt     10");
  // 0.01 is below 1: general form.
  ASSERT_TRUE(DisplayPaintReadoutText(10, 102, text, sizeof text));
  EXPECT_STREQ(text, "[0] X(MHz) 1005.0000        Y 0.01       Pt     10");
  // Beyond 1e6: general form; relative readout marked.
  Dsp.Chn_Scalar[0] = 1e-6;
  Win.Rel_On = 1;
  ASSERT_TRUE(DisplayPaintReadoutText(10, -97, text, sizeof text));
  EXPECT_STREQ(text, "[0] X(MHz) 1005.0000        Y 2e+06      Pt     10(REL)");
  // Frequencies whose end lies below 10: exponent form. A zero scalar gives no Y.
  Win.Rel_On = 0;
  Dsp.Init_Frq = 0.001;
  Dsp.FrqStpView[WIN_RAW] = 1e-6;
  Dsp.Chn_Scalar[0] = 0.0;
  ASSERT_TRUE(DisplayPaintReadoutText(10, 50, text, sizeof text));
  EXPECT_STREQ(text, "[0] X(MHz) 1.0100e-03       Pt     10");
  Win.Active_Chn = 9;
  EXPECT_FALSE(DisplayPaintReadoutText(10, 50, text, sizeof text));
  EXPECT_STREQ(text, "");
}

TEST_F(PaintTest, PaintWritesReadoutCursorWindowAndUnitsToTheStatusBar) {
  Channel(0, std::vector<float>(2000, 0.5f));
  Win.Active_Chn = 0;
  Dsp.Init_Frq = 100.0;
  Win.Cursor_X = 20;
  Win.Cursor_Y = 40;
  Win.Cursor_HalfWidth = 5;
  Dsp.Units_Idx = 1;  // display in CM-1, data in MHz
  // A plotted set whose reference follows the cursor: measured from its base
  // frequency, as the reference key measures it (not from its assignment offset).
  Sim.Dsp_Stat[2] = 1;
  Sim.FI_Lines[2] = 5;
  Sim.Shift_Stat[2] = 1;
  Sim.Frq_Shift[2] = 7.0;
  Sim.Ref_Frq[2] = 50.0;
  Paint();
  EXPECT_DOUBLE_EQ(Sim.Frq_ShiftRef[2], 120.0 - 7.0);
  EXPECT_EQ(platform::StatusText(Win.hWnd_StatusBar, 2), "MHz x 1ST -> CM-1 x 1ST");
  EXPECT_TRUE(platform::driver::MatchPattern("[0] X(cm-1) * Y * Pt     20", platform::StatusText(Win.hWnd_StatusBar, 1)));
  EXPECT_DOUBLE_EQ(Win.Cursor_Freq_Lo, 115.0);
  EXPECT_DOUBLE_EQ(Win.Cursor_Freq_Hi, 125.0);
  EXPECT_DOUBLE_EQ(Win.Cursor_Freq_Dif, 10.0);
  EXPECT_DOUBLE_EQ(Win.Cursor_Freq_Ave, 120.0);
  // The crosshair stands at the cursor; the trace is drawn over it.
  EXPECT_NE(Pixel(Win.Cursor_X - 5, Win.Cursor_Y), kWhite);
}

TEST_F(PaintTest, ResidualStatisticsAndResBin) {
  // Measured 0 is rejected; residual = simulated (1.0) - measured.
  std::vector<float> measured = {0.0f, 2.0f, 3.0f, 0.0f, 5.0f, 1.5f, 0.5f, 4.0f};
  std::vector<float> data(900);
  for (size_t i = 0; i < data.size(); ++i) data[i] = measured[i % measured.size()];
  Channel(0, data);
  Win.Active_Chn = 0;
  Sim.Dsp_Stat[0] = 1;
  Sim.FI_Lines[0] = 5;
  Sim.Dsp_Cnl[0] = 0;
  Sim.Dlg_Req[SIM_DLG_RESIDUAL][0] = 1;
  Sim.Res_1st[0] = 1;
  Sim.Res_2nd[0] = 1;
  Sim.Res_Written[0] = 1;
  Paint();

  double sum = 0.0;
  int kept = 0, rejected = 0;
  std::vector<double> r;
  for (float m : data) {
    if (m == 0.0f) {
      ++rejected;
      continue;
    }
    r.push_back(1.0 - m);
    sum += 1.0 - m;
    ++kept;
  }
  const double mean = sum / kept;
  double dev = 0.0;
  for (double x : r) dev += (x - mean) * (x - mean);
  EXPECT_NEAR(Sim.Res_AveVal[0], mean, 1e-9);
  EXPECT_NEAR(Sim.Res_RmsVal[0], std::sqrt(dev / kept), 1e-9);
  EXPECT_EQ(platform::StatusText(Win.hWnd_StatusBar, 3),
            "ZERO POINTS REJECTED IN MOMENT CALC=[" + std::to_string(rejected) + "]");
  // The file holds one residual per point, 0 where rejected; its flag is cleared.
  std::vector<float> file = ReadFloats(dir.File("Res.bin"));
  ASSERT_EQ(file.size(), data.size());
  EXPECT_EQ(file[0], 0.0f);
  EXPECT_EQ(file[1], -1.0f);
  EXPECT_EQ(file[898], 1.0f - data[898]);
  EXPECT_EQ(Sim.Res_Written[0], 0u);

  // Plain sum and plain sum of squares without the average and deviation flags, over
  // the cursor pair when the point-range limit is on.
  Sim.Res_Ave[0] = 0;
  Sim.Res_Rms[0] = 0;
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = 1;
  Win.Pt_Lim[0][1] = 2;
  Paint();
  EXPECT_DOUBLE_EQ(Sim.Res_AveVal[0], (1.0 - 2.0) + (1.0 - 3.0));
  EXPECT_DOUBLE_EQ(Sim.Res_RmsVal[0], 1.0 + 4.0);
  // With no interval set (both marks 0) the limit leaves the whole file.
  Win.Pt_Lim[0][0] = 0;
  Win.Pt_Lim[0][1] = 0;
  Paint();
  EXPECT_NEAR(Sim.Res_AveVal[0], sum, 1e-6);

  // Every point rejected: both results 0.
  Cnv.Lim_Stat[0] = 0;
  Channel(0, std::vector<float>(900, 0.0f));
  Paint();
  EXPECT_EQ(Sim.Res_AveVal[0], 0.0);
  EXPECT_EQ(Sim.Res_RmsVal[0], 0.0);
  EXPECT_EQ(platform::StatusText(Win.hWnd_StatusBar, 3), "ZERO POINTS REJECTED IN MOMENT CALC=[900]");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(PaintTest, ResidualFailuresAreReportedOnceAndSwitchTheStatisticsOff) {
  Channel(0, std::vector<float>(500, 2.0f));
  Win.Active_Chn = 0;
  Sim.Dsp_Stat[0] = 1;
  Sim.FI_Lines[0] = 5;
  Sim.Dlg_Req[SIM_DLG_RESIDUAL][0] = 1;
  Sim.Res_1st[0] = 1;
  Sim.Res_Written[0] = 1;
  StrCopy(Sim.Res_Flnm, "no-such-folder/Res.bin");
  StrCopy(Sim.Sim_Flnm[0], "Water");
  Paint();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0],
            "Warning|[A] SIM [Water] - FAILED TO OPEN BINARY FILE [no-such-folder/Res.bin] FOR WRITING!\n\nCONTINUING");
  EXPECT_EQ(Sim.Res_Written[0], 0u);
  EXPECT_EQ(Sim.Res_1st[0], 1u);  // the statistics go on without the file

  // A renderer that fails switches the statistics off; later paints stay quiet.
  fakeFails = true;
  Paint();
  EXPECT_EQ(Sim.Res_1st[0], 0u);
  const int calls = fakeCalls;
  Paint();
  Paint();
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(fakeCalls, calls + 2);  // only the overlay pass of each paint
}

TEST_F(PaintTest, SimulationOverlayWithResidualTrace) {
  Channel(0, std::vector<float>(1000, 0.5f));
  Win.Active_Chn = 0;
  Sim.Dsp_Stat[0] = 1;
  Sim.FI_Lines[0] = 5;
  Sim.Dsp_Cnl[0] = 0;
  Sim.COLOR_NO[0] = 1;
  fakeValue = 0.55f;
  Paint();
  const int H = Win.Page_Height, B = Bottom();
  const int setRow = static_cast<int>(B - 0.55 * H);
  EXPECT_NEAR(setRow, B - 0.55 * H, 1.0);
  EXPECT_TRUE(Pixel(30, setRow) == kRed || Pixel(30, setRow + 1) == kRed || Pixel(30, setRow - 1) == kRed);
  EXPECT_EQ(Win.Cross_Bracket, 1u);

  // While the RESIDUALS dialog is open: residual rows = set row - channel row, drawn
  // about B - H x 0.1 at scale -1, with the zero line there.
  Sim.Dlg_Req[SIM_DLG_RESIDUAL][0] = 1;
  Paint();
  const double residual = static_cast<double>(Win.PM_DrawAry[30]);  // the residual row
  EXPECT_NEAR(residual, B - H * 0.1 + 0.05 * H, 2.0);
  EXPECT_EQ(Pixel(30, static_cast<int>(residual)), kRed);

  // No overlays while a sequence fit display is on: the renderer is not called (it
  // clears the busy flag on every return).
  Lsf.Seq_Voigt = 1;
  Sim.Busy_Stat[0] = 1;
  Paint();
  EXPECT_EQ(Sim.Busy_Stat[0].load(), 1u);
}

TEST_F(PaintTest, UnlinkedSetResidualsInTheActiveChannelsUnits) {
  // An unlinked set is drawn at -0.1 H x value on the bottom edge; in a full-height
  // channel of scalar 2 and offset 0.5 that row reads 0.1 x 1.0 / 2 - 0.5 = -0.45.
  Channel(0, std::vector<float>(600, 1.0f));
  Dsp.Chn_Scalar[0] = 2.0;
  Dsp.Chn_Offset[0] = 0.5;
  Win.Active_Chn = 0;
  Sim.Dsp_Stat[0] = 1;
  Sim.FI_Lines[0] = 5;
  Sim.Dlg_Req[SIM_DLG_RESIDUAL][0] = 1;
  Sim.Res_1st[0] = 1;
  Paint();
  EXPECT_NEAR(Sim.Res_AveVal[0], -0.45 - 1.0, 1e-6);

  // Without the full-height flag the channel's height is a tenth as well.
  Dsp.Chn_ScaleStat[0] = 0;
  Paint();
  EXPECT_NEAR(Sim.Res_AveVal[0], 1.0 / 2.0 - 0.5 - 1.0, 1e-6);
}

TEST_F(PaintTest, SummedSetsDrawnAndComparedAsOneTrace) {
  // Sets A and B summed on channel 0: scalar x offset of A (0.1) + 0.2 + 0.2.
  Channel(0, std::vector<float>(600, 0.25f));
  Win.Active_Chn = 0;
  for (int set : {0, 1}) {
    Sim.Dsp_Stat[set] = 1;
    Sim.FI_Lines[set] = 5;
    Sim.Sum_Stat[set] = 1;
    Sim.Dsp_Cnl[set] = 0;
    Sim.Dlg_Req[SIM_DLG_RESIDUAL][set] = 1;
    Sim.Res_1st[set] = 1;
  }
  Sim.Dsp_Offset[0] = 0.1;
  Sim.COLOR_NO[0] = 1;
  fakeValue = 0.2f;
  Paint();
  const int H = Win.Page_Height, B = Bottom();
  // The sum's residual is channel row - sum row (0.25 H), drawn at scale -1 about
  // B - 0.1 H.
  EXPECT_NEAR(Win.PM_DrawAry_Sum[30], B - 0.1 * H - 0.25 * H, 2.0);
  EXPECT_EQ(Pixel(30, static_cast<int>(Win.PM_DrawAry_Sum[30])), kRed);
  // Statistics once, for the first summed set: sum (0.5) - measured (0.25).
  EXPECT_NEAR(Sim.Res_AveVal[0], 0.25, 1e-6);
  EXPECT_EQ(Sim.Res_AveVal[1], 0.0);
}

TEST_F(PaintTest, PaintInsideAPaintValidatesTheWindow) {
  Channel(0, std::vector<float>(1000, 0.5f));
  platform::driver::PumpUntilIdle();
  paintMessages = 0;
  Win.Paint_Busy = 1;  // as while the start-up or a dialog runs inside a paint
  InvalidateRect(window, nullptr, FALSE);
  const int handled = platform::driver::PumpUntilIdle(500);
  EXPECT_LT(handled, 10);
  EXPECT_EQ(paintMessages, 1);
  Win.Paint_Busy = 0;
}

TEST_F(PaintTest, OpenDialogsAreRefreshedAtTheEndOfEveryPaint) {
  HWND control = CreateWindowEx(0, "COUNTING DIALOG", "CTL", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
  HWND residual = CreateWindowEx(0, "COUNTING DIALOG", "RES", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
  Sim.Ctl_Hwnd = control;
  Sim.Ctl_Shown = 1;
  Sim.Dsp_Stat[1] = 2;  // plotted (not exactly 1)
  Sim.Dlg_Req[SIM_DLG_RESIDUAL][1] = 1;
  Sim.Dlg_Hwnd[SIM_DLG_RESIDUAL][1] = residual;
  Sim.Sel_Changed = 1;
  Sim.Cur_Set = 3;
  Paint();
  // The control dialog twice (new current set, then the end of the paint), the
  // residual dialog once through its creator.
  EXPECT_EQ(initDialogs, 3);
  EXPECT_EQ(Sim.Sel_Changed, 0u);
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_RESIDUAL][1], 1u);
  Paint();
  EXPECT_EQ(initDialogs, 5);
  DestroyWindow(control);
  DestroyWindow(residual);
}

TEST_F(PaintTest, PrinterPageThroughThePdfPrinter) {
  Channel(0, std::vector<float>(1000, 0.5f));
  Win.Active_Chn = 0;
  Paint();
  const int width = Win.Page_Width;
  const std::string pdf = dir.File("page.pdf");
  HDC dc = platform::CreatePdfPrinterDC(pdf.c_str());
  ASSERT_NE(dc, nullptr);
  DOCINFO doc;
  doc.lpszDocName = "Qv95 PLOT";
  ASSERT_GT(StartDoc(dc, &doc), 0);
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_EQ(PaintParentWindowPaper(3, window, nullptr, dc), 1);
  EXPECT_GT(EndPage(dc), 0);
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);

  // On paper: bottom 9/10 and height 8/10 of the page; the screen geometry stays.
  const int V = 3300;  // Letter at 300 units per inch
  EXPECT_EQ(Win.P_DrawAry[0][0], static_cast<int>(9 * V / 10 - 0.5 * (9 * V / 10 - V / 10)));
  EXPECT_EQ(Win.Page_Width, width);
  std::ifstream in(pdf, std::ios::binary);
  std::string head(4, '\0');
  in.read(head.data(), 4);
  EXPECT_EQ(head, "%PDF");
  EXPECT_EQ(PaintParentWindowPaper(3, window, nullptr, nullptr), 0);
}

TEST_F(PaintTest, DisplayInitializeRebuildsTheShownChannels) {
  Win.Page_Width = 800;
  Win.Page_Height = 400;
  Win.Page_Start = 77;
  Win.FFT_Smooth_On = 1;
  Dsp.Chn_DspStat[1] = 1;
  Dsp.Chn_DspStat[4] = 1;
  EXPECT_EQ(DisplayInitialize(), 1);
  EXPECT_EQ(Win.Cursor_X, 400);
  EXPECT_EQ(Win.Cursor_Y, 200);
  EXPECT_EQ(Win.Page_Start, 0);
  EXPECT_EQ(Win.FFT_Smooth_On, 0u);
  ASSERT_EQ(Win.Shown_Count, 2);
  EXPECT_EQ(Win.Shown_List[0], 1);
  EXPECT_EQ(Win.Shown_List[1], 4);
  EXPECT_EQ(Win.Active_Chn, 4);
  // Later calls leave the cursor and page alone.
  Win.Page_Start = 10;
  Dsp.Chn_DspStat[1] = Dsp.Chn_DspStat[4] = 0;
  DisplayInitialize();
  EXPECT_EQ(Win.Page_Start, 10);
  EXPECT_EQ(Win.Shown_Count, 0);
  EXPECT_EQ(Win.Active_Chn, 9);
}

TEST_F(PaintTest, KeptBackBufferPaintsWhatANewOneWould) {
  std::vector<float> a(2000), b(2000);
  for (size_t i = 0; i < a.size(); ++i) {
    a[i] = static_cast<float>(0.5 + 0.4 * std::sin(0.05 * static_cast<double>(i)));
    b[i] = static_cast<float>(0.3 + 0.2 * std::cos(0.11 * static_cast<double>(i)));
  }
  Channel(0, a, 1);
  Channel(1, b, 2);
  Win.Active_Chn = 1;
  // The background as a solid brush, and as a null brush that leaves the buffer as it
  // was: a kept buffer must then start every paint black, as a new bitmap does.
  const HBRUSH brushes[] = {CreateSolidBrush(kWhite), static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))};
  for (HBRUSH brush : brushes) {
    SCOPED_TRACE(brush == brushes[0] ? "solid background" : "null background");
    Dsp.Brush[0] = brush;
    ClientSize(420, 260);
    Win.Cursor_X = 200;
    Win.Cursor_Y = 120;
    const std::vector<uint32_t> first = FreshPaint();
    ASSERT_GT(first.size(), 1u);
    Paint();
    EXPECT_EQ(Snapshot(), first);  // repeated paints
    Paint();
    EXPECT_EQ(Snapshot(), first);

    // A crosshair on the corner reaches outside the plot and the client area.
    Win.Cursor_X = 0;
    Win.Cursor_Y = 1;
    Paint();
    const std::vector<uint32_t> corner = Snapshot();
    EXPECT_NE(corner, first);
    EXPECT_EQ(FreshPaint(), corner);
    Win.Cursor_X = 200;
    Win.Cursor_Y = 120;
    Paint();
    EXPECT_EQ(Snapshot(), first);

    // A trace moved away and back.
    Dsp.Chn_Offset[0] = 0.3;
    Paint();
    EXPECT_NE(Snapshot(), first);
    Dsp.Chn_Offset[0] = 0.0;
    Paint();
    EXPECT_EQ(Snapshot(), first);

    // Larger, smaller, and back to the first size.
    ClientSize(500, 300);
    Paint();
    const std::vector<uint32_t> larger = Snapshot();
    EXPECT_EQ(Win.Paint_BufW, 500);
    EXPECT_EQ(FreshPaint(), larger);
    ClientSize(300, 200);
    Paint();
    const std::vector<uint32_t> smaller = Snapshot();
    EXPECT_EQ(FreshPaint(), smaller);
    ClientSize(420, 260);
    Paint();
    EXPECT_EQ(Snapshot(), first);
  }
  Dsp.Brush[0] = nullptr;
  DeleteObject(brushes[0]);
  EXPECT_EQ(Win.hDC_Mem, nullptr);  // the memory context is the paint's only while it runs
}
