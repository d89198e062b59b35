// The display record: data folder and working file, the channel table, the frequency
// axis shared by all channels with its units and harmonics, the per-level view
// settings and arrays, colours and pens, the display dialogs' per-channel state, and
// the shared message window and text-input box. Channel tables have ten rows (row 9:
// no channel); per-level tables are indexed 0..3 with 3 the raw level.
#pragma once

#include <cstdint>

#include "platform/kernel/WinTypes.h"
#include "records/AtomicField.h"
#include "records/GdiHandles.h"

constexpr int DSP_CHN = 10;
constexpr int DSP_COLORS = 11;

struct DspRecord {
  // Working file: data folder (also the current folder), bare file name and its texts.
  char Data_Dir[260] = "";
  char Work_Flnm[200] = "";
  char Work_Comment[500] = "INFORMATION";
  char Work_Date[256] = "00-00-0000";
  char Work_Time[256] = "00:00";

  // Channel table: digital flag, display flag, data file ("Nothing" for none), display
  // scalar and offset, full-height flag (1: no 0.1 factor on the height; offset steps are
  // 0.01 of the step while it is 0), offset-fixed flag (the offset is not rescaled when
  // the scalar changes) and colour row.
  uint32_t Chn_Dig[DSP_CHN] = {};
  uint32_t Chn_DspStat[DSP_CHN] = {};
  char Chn_Flnm[DSP_CHN][200] = {"Nothing", "Nothing", "Nothing", "Nothing", "Nothing",
                                 "Nothing", "Nothing", "Nothing", "Nothing", "Nothing"};
  double Chn_Scalar[DSP_CHN] = {};
  double Chn_Offset[DSP_CHN] = {};
  uint32_t Chn_ScaleStat[DSP_CHN] = {};
  uint32_t Chn_OfsFix[DSP_CHN] = {};
  int16_t Chn_ColorNo[DSP_CHN] = {};

  // Sizes in points of the three view arrays (levels 0..2) and of the raw file (level 3).
  uint32_t FL_SZ[4][DSP_CHN] = {};
  float* Fl_Pt[3][DSP_CHN] = {};       // view arrays in memory, per level 0..2 and channel
  uint32_t Fl_Pt_Len[3][DSP_CHN] = {}; // values held by each view array (changed with it, under ViewAryLock)
  uint32_t ViewUpdate[DSP_CHN] = {};   // 1: the channel's view files must be rebuilt (2: see VIEW_UPDATE_NEW_FILE)
  Shared<double> Pts2Pxl[4] = {100.0, 10.0, 10.0, 1.0};  // raw points per pixel at each level
  Shared<double> FrqStpView[4] = {};           // frequency step of one pixel at each level
  uint32_t ViewFolderUse = 1;          // view files live in the sub-folder "QV95OIM"

  // Frequency axis shared by all channels.
  double Init_Frq = 0.0;  // initial frequency
  double FSR = 100.0;     // free spectral range
  int32_t Pts_FSR = 0;    // points per FSR
  double Frq_Stp = 0.0;   // frequency step per point = FSR / points per FSR
  // Units and harmonics: texts as read, display index and the data index (its saved copy).
  char Units_Txt[25] = "MHz";
  char Harm_Txt[25] = "1ST";
  int16_t Units_Idx = 0;
  int16_t Units_IdxData = 0;
  int16_t Harm_Idx = 0;
  int16_t Harm_IdxData = 0;
  char Units_Tbl[4][25] = {"MHz", "CM-1", "NM", "EOL"};
  char Units_ReadoutTbl[4][25] = {"MHz", "cm-1", "nm", "EOL"};
  char Harm_Tbl[5][25] = {"1ST", "2ND", "3RD", "4TH", "EOL"};

  // Start-up and painting state.
  uint32_t Init_Done = 0;        // the one-time start-up has run
  Shared<uint32_t> Dsp_Ready{0}; // painting waits while 0 (a dialog or a working-file read runs)
  uint32_t Path_Propose = 1;     // proposed file names start with the data folder (TogglePath flips it)

  // Colours: the channel colour table (red, green, blue), its pens and brushes, the pen
  // width, white (1) or black (0) paper, and the pens of the cursor, markers and zero line.
  int16_t RGB[DSP_COLORS][3] = {{0, 0, 0},     {0, 0, 255},     {255, 0, 0},  {0, 170, 0},
                                {255, 0, 255}, {255, 144, 0},   {0, 255, 0},  {0, 255, 255},
                                {255, 255, 0}, {160, 160, 160}, {255, 255, 255}};
  HPEN Pen[DSP_COLORS] = {};
  HBRUSH Brush[DSP_COLORS] = {};
  int32_t Pen_Width = 1;
  uint32_t Bkg_Stat = 1;
  HPEN hPen_Cursor = nullptr;
  HPEN hPen_Marker = nullptr;
  HPEN hPen_Zero = nullptr;
  // Drawing options: horizontal scale, point display instead of lines, marker-cross size.
  double Hor_Scale = 1.0;
  uint32_t Pt_Stat = 0;
  int16_t Mk_Size = 1;

  // Analysis options dialog: its window, the horizontal resolution factor and its unlock
  // flag, "ALL" (a kind change applies to all displayed channels), the "SEL" channel.
  HWND Anl_Hwnd = nullptr;
  double Res_Factor = 1.0;
  uint32_t Res_Unlock = 0;
  uint32_t Kind_All = 0;
  int16_t Chn_Sel = 0;
  uint32_t Anl_OfsFix = 0;      // "FIX": the offset is not rescaled when a scalar is edited
  uint32_t Anl_ViewStopped = 0; // the dialog stopped the view thread and has not asked for a full run since

  // Scalar/offset dialog: shown flag, window, refresh lock, re-entry guard and channel;
  // per channel the scalar and offset ranges, whether they are valid, the scalar spread
  // exponent and the offset half-width.
  uint32_t SclOfs_Shown = 0;
  HWND SclOfs_Hwnd = nullptr;
  uint32_t SclOfs_Lock = 0;
  uint32_t SclOfs_Guard = 0;
  int16_t SclOfs_Chn = 0;
  double Scl_Hi[DSP_CHN] = {};
  double Scl_Lo[DSP_CHN] = {};
  double Ofs_Hi[DSP_CHN] = {};
  double Ofs_Lo[DSP_CHN] = {};
  uint32_t SclOfs_Valid[DSP_CHN] = {};
  double Scl_SpreadK[DSP_CHN] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  double Ofs_HalfD[DSP_CHN] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};

  // Shared message window: the message a caller formats before showing it, the
  // accumulated text, the message count, shown and keep flags, and the window.
  char DspMsgBuffer[1000] = "";
  char Msg_Text[3000] = "";
  Shared<int16_t> Msg_Count{0};
  Shared<uint32_t> Msg_Shown{0};
  Shared<uint32_t> Msg_Keep{0};
  Shared<HWND> Msg_Hwnd{nullptr};  // made once under the window's creation lock, read by every thread
  // Text-input box: prompt and default / answer.
  char GetTextPrompt[500] = "";
  char GetTextValue[500] = "";

  char Plot_Flnm[200] = "PLOT.dat";  // knots written by the double-precision spline set-up
};

extern DspRecord Dsp;
