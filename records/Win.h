// The main-window record: window handles (the main window owns every message box),
// child windows per channel and kind, the plot geometry and view level, the cursor,
// the section marks, the drawing arrays and the view-file settings of each level.
// Channel tables have ten rows (row 9: no channel); child tables are [channel][kind]
// with kind 0 time, 1 frequency, 2 data.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/kernel/WinTypes.h"
#include "records/AtomicField.h"
#include "records/GdiHandles.h"

constexpr int WIN_CHN = 10;        // rows of a channel table
constexpr int WIN_KINDS = 3;       // child window kinds: time, frequency, data
constexpr int WIN_RAW = 3;         // the raw view level
constexpr int WIN_DRAW_PTS = 20000;
constexpr int WIN_BIG_DRAW_PTS = 2000000;

struct WinRecord {
  // Program versions; the current row is written to the working file and shown by About.
  int16_t Version_Idx = 2;
  char Version[3][16] = {"v1.0", "v1.04.0", "v6.02.00"};
  char Exe_Path[500] = "Qv95.exe";  // full path of the program itself, filled at start-up
  const char* Cmd_Line = nullptr;   // the command line as the system returned it

  // Handles of the main window, its toolbar and status bar.
  HINSTANCE hInst = nullptr;
  HWND hWnd_Main = nullptr;
  HWND hWnd_ToolBar = nullptr;
  HWND hWnd_StatusBar = nullptr;
  HBITMAP hBmp_ToolBar = nullptr;  // the toolbar's image strip while the main window exists

  // Child windows: handles, toolbars, status bars, created flags, position and size.
  HWND hWnd_Child[WIN_CHN][WIN_KINDS] = {};
  HWND hWnd_ChildToolBar[WIN_CHN][WIN_KINDS] = {};
  HWND hWnd_ChildStatus[WIN_CHN][WIN_KINDS] = {};
  uint32_t Child_Created[WIN_CHN][WIN_KINDS] = {};
  int32_t Child_X[WIN_CHN][WIN_KINDS] = {};
  int32_t Child_Y[WIN_CHN][WIN_KINDS] = {
      {450, 450, 450}, {450, 450, 450}, {450, 450, 450}, {450, 450, 450}, {450, 450, 450},
      {450, 450, 450}, {450, 450, 450}, {450, 450, 450}, {450, 450, 450}, {450, 450, 450}};
  int32_t Child_W[WIN_CHN][WIN_KINDS] = {
      {1000, 1000, 1000}, {1000, 1000, 1000}, {1000, 1000, 1000}, {1000, 1000, 1000},
      {1000, 1000, 1000}, {1000, 1000, 1000}, {1000, 1000, 1000}, {1000, 1000, 1000},
      {1000, 1000, 1000}, {1000, 1000, 1000}};
  int32_t Child_H[WIN_CHN][WIN_KINDS] = {
      {300, 300, 300}, {300, 300, 300}, {300, 300, 300}, {300, 300, 300}, {300, 300, 300},
      {300, 300, 300}, {300, 300, 300}, {300, 300, 300}, {300, 300, 300}, {300, 300, 300}};
  // Child page and plot: first point, points per pixel, plot top offset, width, height.
  int32_t Child_PageStart[WIN_CHN][WIN_KINDS] = {};
  int32_t Child_PtsPerPxl[WIN_CHN][WIN_KINDS] = {
      {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1},
      {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
  int32_t Child_PlotTop[WIN_CHN][WIN_KINDS] = {};
  int32_t Child_PlotW[WIN_CHN][WIN_KINDS] = {
      {500, 500, 500}, {500, 500, 500}, {500, 500, 500}, {500, 500, 500}, {500, 500, 500},
      {500, 500, 500}, {500, 500, 500}, {500, 500, 500}, {500, 500, 500}, {500, 500, 500}};
  int32_t Child_PlotH[WIN_CHN][WIN_KINDS] = {
      {500, 500, 500}, {500, 500, 500}, {500, 500, 500}, {500, 500, 500}, {500, 500, 500},
      {500, 500, 500}, {500, 500, 500}, {500, 500, 500}, {500, 500, 500}, {500, 500, 500}};
  // Child cursor (crosshair column and row) and the low and high cursor in raw points
  // (0 = none; in the time window the lower and upper marks).
  int32_t Child_CursorX[WIN_CHN][WIN_KINDS] = {};
  int32_t Child_CursorY[WIN_CHN][WIN_KINDS] = {};
  int32_t Child_CursorLo[WIN_CHN][WIN_KINDS] = {};
  int32_t Child_CursorHi[WIN_CHN][WIN_KINDS] = {};
  int32_t Fft_LimLo[WIN_CHN] = {};  // lower FFT limit per channel in raw points, 0 = none
  int32_t Fft_LimHi[WIN_CHN] = {};  // upper FFT limit per channel in raw points, 0 = none
  int16_t Sub_Chn[WIN_KINDS] = {};  // sub-array shown, one for all windows of a kind
  uint16_t Child_Creating = 65535;  // channel whose child window is being created; 65535 = none
  uint32_t Child_PaintBusy[WIN_KINDS] = {};  // a paint of that kind is running
  uint32_t Child_Painted[WIN_KINDS] = {};    // the first paint of that kind has completed
  HBITMAP hBmp_ChildToolBar[WIN_CHN][WIN_KINDS] = {};  // image strip of each child toolbar

  // Device contexts of the main window and of its off-screen copy during a paint.
  HDC hDC_Main = nullptr;
  HDC hDC_Mem = nullptr;

  // Main plot: view level (0 LOW, 1 MED1, 2 MED2, 3 RAW), first raw point, size in pixels.
  Shared<int16_t> View_Level = 0;  // written by the view thread when no level is left
  char View_Lbl[5][25] = {"[LOW]", "[MED1]", "[MED2]", "[RAW]", "EOL"};
  int32_t Page_Start = 0;
  Shared<int32_t> Page_Width = 3000;  // set by the paint, read by the view thread
  int32_t Page_Height = 3000;
  Shared<int32_t> Page_Pixels = 3000;  // width of one screen page used to size the view files

  // Drawing arrays, allocated at start-up: the page array, the sum array, the child
  // page array and the two child curve arrays after it, the renderer's work array and
  // one pixel-row array per display channel.
  float* PM_DrawAry = nullptr;
  float* PM_DrawAry_Sum = nullptr;
  float* CM_DrawAry1 = nullptr;
  float* CM_DrawAry2 = nullptr;
  float* CM_DrawAry3 = nullptr;
  float* Big_DrawAry = nullptr;
  float* P_DrawAry[9] = {};

  // Range statistics of a channel's data file between two points, kept per channel:
  // the last mean, mean and deviation of the two slots, their difference and combined
  // deviation, minimum and maximum.
  double Chn_AveValue[WIN_CHN] = {};
  double Chn_Ave1[WIN_CHN] = {};
  double Chn_Sig1[WIN_CHN] = {};
  double Chn_Ave2[WIN_CHN] = {};
  double Chn_Sig2[WIN_CHN] = {};
  double Chn_AveDiff[WIN_CHN] = {};
  double Chn_SigSum[WIN_CHN] = {};
  double Chn_Min[WIN_CHN] = {};
  double Chn_Max[WIN_CHN] = {};
  uint32_t Ave_SumOpt = 0;  // 1: the range statistics give the plain sum instead of the mean

  int32_t Plot_Y0 = 0;  // client row of the top of the plot (toolbar height + 3)

  // Main-window painting: a paint is running (a paint arriving meanwhile only
  // validates the window), the current simulation set of the previous paint (9: none
  // yet), the first display initialisation has run, and the residual work arrays
  // (measured page and summed simulation page, 2 x 20,000 floats, made once).
  uint32_t Paint_Busy = 0;
  int16_t Paint_SimSet = 9;
  uint32_t DspInit_Done = 0;
  float* Res_DrawAry = nullptr;
  // The main window's back buffer, kept between paints and made anew only when the
  // client size changes: its memory context, bitmap, the bitmap the context held
  // first, and its size; and the polyline work storage of the traces.
  HDC Paint_MemDC = nullptr;
  HBITMAP Paint_Bitmap = nullptr;
  HGDIOBJ Paint_OldBitmap = nullptr;
  int32_t Paint_BufW = 0;
  int32_t Paint_BufH = 0;
  std::vector<POINT> Paint_Line;

  // View levels: pages spanned by the active channel per level, the view-file kind per
  // level 0..2 and channel (0 "MAX", 1 "AVE", 2 "NONE") with its text, and the two
  // request fields the view thread reads when it starts.
  double X_PAGES[4] = {1.0, 2.0, 2.0, 100.0};
  int16_t ViewKind[3][WIN_CHN] = {};
  char ViewKind_Txt[3][WIN_CHN][25] = {};
  char ViewKind_Tbl[4][25] = {"MAX", "AVE", "NONE", "EOL"};
  uint32_t ViewPageType = 0;  // 1: only re-select the active channel
  uint32_t ViewPrep = 0;      // 1: prepare or load the view files

  // Plot rectangle in plot pixels; Plot_Bottom is the zero line.
  int32_t Plot_Left = 0;
  int32_t Plot_Right = 0;
  int32_t Plot_Top = 0;
  int32_t Plot_Bottom = 0;
  // Plot rectangle of a printed page in device units (left edge, width, height, bottom
  // edge), set by the printer painting before it draws.
  int32_t Prt_Left = 0;
  int32_t Prt_Width = 0;
  int32_t Prt_Height = 0;
  int32_t Prt_Bottom = 0;

  // Cursor, cursor window and relative readout.
  int32_t Cursor_X = 0;
  int32_t Cursor_Y = 0;
  int32_t Cursor_HalfWidth = 10;
  double Cursor_Freq_Lo = 0.0;
  double Cursor_Freq_Hi = 0.0;
  double Cursor_Freq_Dif = 0.0;  // width of the cursor window (high - low), set by painting
  double Cursor_Freq_Ave = 0.0;  // centre of the cursor window, set by painting
  uint32_t Cursor_Window_Set = 0;
  uint32_t Cursor_Window_On = 0;
  uint32_t Cross_Bracket = 0;  // draw the cursor-window brackets beside the crosshair
  uint32_t Mouse_Down = 0;
  uint32_t Mouse_Drag = 0;
  int32_t Drag_X0 = 0;
  int32_t Drag_X = 0;
  int32_t Drag_Y0 = 0;
  int32_t Drag_Y = 0;
  uint32_t FFT_Smooth_On = 0;
  uint32_t Rel_On = 0;
  double Rel_Freq = 0.0;
  int32_t Rel_Point = 0;
  double Cursor_Step = 100.0;

  // Active channel (9 = none) and the shown channels in order of display.
  int16_t Active_Chn = 9;
  int16_t Shown_Count = 0;
  int16_t Shown_List[9] = {};
  char Chn_Lbl[WIN_CHN][25] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

  // Section marks: a low and a high raw point per parameter slot 0..9 (both 0 = none);
  // pair 0 is the main window's cursor pair.
  int32_t Pt_Lim[10][2] = {};
  // Pair 0 as it was before a closing fit window put its marks there.
  int32_t Pt_Lim0_Save[2] = {};

  // Colour-table rows of the foreground pen and the background brush.
  int16_t Fg_Pen_Idx = 0;
  int16_t Bg_Brush_Idx = 0;

  // Cursor-info dialog: shown flag, refresh lock, window, re-entry guard, its channel
  // and its check boxes; the cursor-changed flag that its options set.
  uint32_t CurInfo_Shown = 0;
  uint32_t CurInfo_Lock = 0;
  HWND CurInfo_Hwnd = nullptr;
  uint32_t CurInfo_Guard = 0;
  int16_t CurInfo_Chn = 0;
  uint32_t CurInfo_AdjCross = 0;  // "ADJ CROSSHAIR"
  uint32_t CurInfo_Intg = 0;      // "INTG"
  uint32_t CurInfo_CtrDiff = 0;   // "CTR | DIFF": show the centre instead of the difference
  uint32_t Cursor_Changed = 0;

  // Scroll printout settings, kept between prints.
  int32_t Prnt_StartPt = 0;
  int32_t Prnt_EndPt = 0;
  int16_t Prnt_PtsAve = 1;
  char Prnt_Density[25] = "DOUBLE";
  char Prnt_Density_Tbl[4][25] = {"QUADRUPLE", "DOUBLE", "SINGLE", "EOL"};
  double Prnt_Pages = 0.0;
  char Prnt_Comment[500] = "";
  // The scroll printout under way: the raw printer while its document is open, the
  // spool buffer and its fill, the column count of the current block, the channel rows
  // whose files are open (in order) and per opened channel the previous dot and the
  // dot where the previous print line stopped drawing; the first position of the
  // current label group and the last label text.
  HANDLE Prnt_Handle = nullptr;
  uint8_t Prnt_Spool[1000] = {};
  uint32_t Prnt_SpoolCnt = 0;
  int16_t Prnt_Columns = 0;
  int16_t Prnt_ChnCnt = 0;
  int16_t Prnt_Chn[9] = {};
  int16_t Prnt_PrevDot[9] = {};
  int16_t Prnt_StopDot[9] = {};
  int32_t Prnt_GroupPos = 0;
  char Prnt_LastLbl[200] = "";
};

extern WinRecord Win;
