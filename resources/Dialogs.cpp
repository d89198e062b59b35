#include "resources/Dialogs.h"

#include <string>

#include "platform/Controls.h"
#include "platform/DialogTemplate.h"
#include "platform/Window.h"

using platform::ControlKind;
using platform::DialogTemplate;

namespace {

constexpr DWORD kPopup = WS_POPUP | WS_CAPTION | WS_SYSMENU;

// 300: the shared message window ("INFO").
DialogTemplate MessageWindow() {
  DialogTemplate t;
  t.id = 300;
  t.caption = "INFO";
  t.cx = 279;
  t.cy = 409;
  t.style = kPopup;
  t.controls = {
      {ControlKind::Static, 301, "", 3, 3, 272, 384, SS_LEFT | WS_BORDER},
      {ControlKind::PushButton, 1, "OK", 70, 391, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
      {ControlKind::PushButton, 2, "CANCEL", 160, 391, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
  };
  return t;
}

// 302: the one-line text-input box ("INPUT").
DialogTemplate TextInput() {
  DialogTemplate t;
  t.id = 302;
  t.caption = "INPUT";
  t.cx = 257;
  t.cy = 41;
  t.style = kPopup;
  t.controls = {
      {ControlKind::Static, 303, "", 4, 6, 192, 12, SS_LEFT},
      {ControlKind::Edit, 304, "", 200, 4, 52, 12, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
      {ControlKind::PushButton, 1, "OK", 103, 22, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
  };
  return t;
}

// 200: the rotor program's options; 8618 holds the rotor program's path.
DialogTemplate RigidRotorOptions() {
  DialogTemplate t;
  t.id = 200;
  t.caption = "RIGID ROTOR OPTIONS DIALOG";
  t.cx = 300;
  t.cy = 62;
  t.style = kPopup;
  t.controls = {
      {ControlKind::Static, -1, "ROTOR PROGRAM", 6, 8, 70, 10, SS_LEFT},
      {ControlKind::Edit, 8618, "", 80, 6, 214, 12, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
      {ControlKind::PushButton, 1, "OK", 90, 40, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
      {ControlKind::PushButton, 2, "CANCEL", 160, 40, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
  };
  return t;
}

// 20001 and 30000: the options of the genetic algorithm and of the exciton model.
DialogTemplate OkCancelDialog(int id, const char* caption) {
  DialogTemplate t;
  t.id = id;
  t.caption = caption;
  t.cx = 260;
  t.cy = 44;
  t.style = kPopup;
  t.controls = {
      {ControlKind::PushButton, 1, "OK", 70, 22, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
      {ControlKind::PushButton, 2, "CANCEL", 140, 22, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
  };
  return t;
}

// 211: the FILE CONVERSION dialog: the channel table on the left, the operation
// parameters on the right, the resize, pulse-height and sequence rows below it and
// the operation buttons at the bottom.
DialogTemplate FileConversion() {
  DialogTemplate t;
  t.id = 211;
  t.caption = "FILE CONVERSION DIALOG";
  t.cx = 566;
  t.cy = 352;
  t.style = kPopup;
  constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  constexpr DWORD kSize = ES_RIGHT | ES_READONLY | WS_BORDER;
  constexpr DWORD kLabel = SS_LEFT;
  constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
  auto& c = t.controls;
  // Channel table.
  c.push_back({ControlKind::GroupBox, -1, "CHANNELS", 2, 2, 308, 140, 0});
  c.push_back({ControlKind::Static, -1, "CHN", 6, 10, 14, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "CNV", 22, 10, 16, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "IN FLNM", 40, 10, 80, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "SIZE", 128, 10, 40, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "OUT FLNM", 174, 10, 80, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "SIZE", 262, 10, 40, 8, kLabel});
  for (int row = 0; row < 9; ++row) {
    const int16_t y = static_cast<int16_t>(21 + 13 * row);
    c.push_back({ControlKind::Static, -1, std::to_string(row), 8, static_cast<int16_t>(y + 2), 10, 8, kLabel});
    c.push_back({ControlKind::CheckBox, 2110 + row, "", 24, y, 12, 12, BS_AUTOCHECKBOX | WS_TABSTOP});
    c.push_back({ControlKind::Edit, 1130 + row, "", 40, y, 86, 12, kEdit});
    c.push_back({ControlKind::Edit, 1160 + row, "", 128, y, 44, 12, kSize});
    c.push_back({ControlKind::Edit, 2310 + row, "", 174, y, 86, 12, kEdit});
    c.push_back({ControlKind::Edit, 2320 + row, "", 262, y, 44, 12, kSize});
  }
  // Operation parameters, two columns of label and edit.
  struct Field {
    const char* label;
    int id;
  };
  const Field left[] = {{"LOW PT LIMIT", 3502}, {"HIGH PT LIMIT", 3503}, {"PTS TO AVE", 2333}, {"SCALAR", 2334},
                        {"OFFSET", 2336},       {"FLIP PT", 2335},       {"Io [LN( Io/I)] | 0", 2337},
                        {"FFT WINDOW", 2338},   {"DEGLITCH WIN", 2339}};
  const Field right[] = {{"WIN LO", 2353}, {"WIN HI", 2354},      {"RATE (GHz)", 2355},
                         {"NSTPS", 2351},  {"DAMP", 2352},        {"INPUT FLNM", 2331},
                         {"OUTPUT FLNM", 2340}, {"EXT", 2332}};
  c.push_back({ControlKind::CheckBox, 2341, "STAT", 316, 4, 60, 10, BS_AUTOCHECKBOX | WS_TABSTOP});
  for (int i = 0; i < 9; ++i) {
    const int16_t y = static_cast<int16_t>(17 + 14 * i);
    c.push_back({ControlKind::Static, -1, left[i].label, 316, static_cast<int16_t>(y + 2), 64, 8, kLabel});
    c.push_back({ControlKind::Edit, left[i].id, "", 382, y, 52, 12, kEdit});
  }
  for (int i = 0; i < 8; ++i) {
    const int16_t y = static_cast<int16_t>(17 + 14 * i);
    c.push_back({ControlKind::Static, -1, right[i].label, 440, static_cast<int16_t>(y + 2), 52, 8, kLabel});
    c.push_back({ControlKind::Edit, right[i].id, "", 494, y, 66, 12, kEdit});
  }
  // Resize row.
  c.push_back({ControlKind::GroupBox, -1, "RESIZE", 2, 144, 308, 44, 0});
  c.push_back({ControlKind::Static, -1, "STP IN", 6, 157, 30, 8, kLabel});
  c.push_back({ControlKind::Edit, 2356, "", 38, 155, 64, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "SIZE", 108, 157, 24, 8, kLabel});
  c.push_back({ControlKind::Edit, 2358, "", 134, 155, 56, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "STP OUT", 6, 172, 30, 8, kLabel});
  c.push_back({ControlKind::Edit, 2357, "", 38, 170, 64, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "SIZE", 108, 172, 24, 8, kLabel});
  c.push_back({ControlKind::Edit, 2359, "", 134, 170, 56, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "(-)=(*)", 194, 172, 30, 8, kLabel});
  // Pulse-height analysis row.
  c.push_back({ControlKind::GroupBox, -1, "PMT DISC", 316, 144, 244, 44, 0});
  c.push_back({ControlKind::Static, -1, "LVL LO", 320, 157, 28, 8, kLabel});
  c.push_back({ControlKind::Edit, 2360, "", 350, 155, 50, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "LVL HI", 406, 157, 28, 8, kLabel});
  c.push_back({ControlKind::Edit, 2361, "", 436, 155, 50, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "#", 320, 172, 28, 8, kLabel});
  c.push_back({ControlKind::Edit, 2362, "", 350, 170, 50, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "SK", 406, 172, 28, 8, kLabel});
  c.push_back({ControlKind::Edit, 2363, "", 436, 170, 50, 12, kEdit});
  // Operation sequence and NetCDF rows.
  c.push_back({ControlKind::PushButton, 10172, "OP SEQ", 4, 193, 50, 13, kButton});
  c.push_back({ControlKind::Static, -1, "FLNM", 58, 195, 22, 8, kLabel});
  c.push_back({ControlKind::Edit, 2349, "", 82, 193, 90, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "SUB", 176, 195, 18, 8, kLabel});
  c.push_back({ControlKind::Edit, 2350, "", 196, 193, 40, 12, kEdit});
  c.push_back({ControlKind::PushButton, 10174, "NetCDF", 316, 193, 50, 13, kButton});
  c.push_back({ControlKind::Static, -1, "FLNM", 370, 195, 22, 8, kLabel});
  c.push_back({ControlKind::Edit, 2364, "", 394, 193, 90, 12, kEdit});
  // Buttons, ten to a row.
  struct Button {
    const char* label;
    int id;
  };
  const Button buttons[] = {
      {"FFT", 2003},          {"SCALE", 2005},        {"OFFSET", 2006},      {"SCALE2POS", 2007},
      {"SQR", 2008},          {"LOG(10)", 2009},      {"LN(e)", 2010},       {"FFT SMOOTH", 2011},
      {"AVERAGE", 2012},      {"DEGLITCH", 2013},     {"SUBTRACT", 2014},    {"CUTOUT SECT", 2015},
      {"DELETE SECT", 2016},  {"ZERO SECT", 2017},    {"ADD SECT", 2018},    {"SHIFT SECT", 2019},
      {"REVERSE FILE", 2022}, {"SORT 1:2", 2023},     {"SEQ COADD", 2037},   {"SEQ DUP", 2038},
      {"RESIZE", 2041},       {"SHORT2FLOAT", 2047},  {"LONG2FLOAT", 2048},  {"DOUBL2FLOAT", 2049},
      {"SWAP BYTES", 2062},   {"INVERT", 2063},       {"RAND NOISE", 2070},  {"ALLAN VAR", 2071},
      {"FLIP", 2073},         {"MULTIPLY", 2074},     {"APPEND", 2075},      {"PMT DISC", 2076},
      {"SEQ RATIO", 10170},   {"ASCII OUPUT", 10171}, {"SEQ FFT", 2004},     {"CROSS CORR", 2064},
      {"AVE FILES", 2033},    {"NUM SUB", 2067},      {"I->O", 2065},        {"I<-O", 2066},
      {"OPEN", 1193},         {"CTR WIN", 10164},     {"ANL DIAG", 100},     {"CNL DIAG", 106},
      {"SAVE QVW", 93},       {"APPLY", 30},          {"OK", 1},             {"CANCEL", 2},
  };
  int i = 0;
  for (const Button& b : buttons) {
    const int16_t x = static_cast<int16_t>(4 + 56 * (i % 10));
    const int16_t y = static_cast<int16_t>(214 + 16 * (i / 10));
    c.push_back({ControlKind::PushButton, b.id, b.label, x, y, 52, 13, b.id == 1 ? BS_DEFPUSHBUTTON | WS_TABSTOP : kButton});
    ++i;
  }
  return t;
}

}  // namespace

void RegisterDialogResources() {
  platform::RegisterDialogTemplate(RigidRotorOptions());
  platform::RegisterDialogTemplate(OkCancelDialog(20001, "GENETIC ALGORITHM OPTIONS DIALOG"));
  platform::RegisterDialogTemplate(OkCancelDialog(30000, "FULTON-GOUTERMAN EXCITON MODE OPTIONS DIALOG"));
  platform::RegisterDialogTemplate(MessageWindow());
  platform::RegisterDialogTemplate(TextInput());
  platform::RegisterDialogTemplate(FileConversion());
}
