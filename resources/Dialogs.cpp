#include "resources/Dialogs.h"

#include <string>

#include "platform/windows/Controls.h"
#include "platform/windows/DialogTemplate.h"
#include "platform/windows/Window.h"

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
    c.push_back({ControlKind::Static, -1, left[i].label, 316, static_cast<int16_t>(y + 2), 74, 8, kLabel});
    c.push_back({ControlKind::Edit, left[i].id, "", 390, y, 46, 12, kEdit});
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

// 110: the AOM CALIBRATION dialog: the channel table with its role columns on the left,
// the AOM settings in the middle, the THz settings on the right, the range and the
// buttons at the bottom.
DialogTemplate AomCalibration() {
  DialogTemplate t;
  t.id = 110;
  t.caption = "AOM CALIBRATION DIALOG";
  t.cx = 560;
  t.cy = 258;
  t.style = kPopup;
  constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  constexpr DWORD kLabel = SS_LEFT;
  constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
  constexpr DWORD kBox = BS_AUTOCHECKBOX | WS_TABSTOP;
  constexpr DWORD kList = LBS_NOTIFY | WS_BORDER | WS_TABSTOP;
  auto& c = t.controls;
  c.push_back({ControlKind::GroupBox, -1, "CHANNELS", 2, 2, 254, 140, 0});
  c.push_back({ControlKind::Static, -1, "CHN", 6, 10, 14, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "FILENAME", 22, 10, 80, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "SIZE", 106, 10, 36, 8, kLabel});
  struct Column {
    const char* label;
    int base;
  };
  const Column columns[] = {{"IN", 3310}, {"OUT", 3410}, {"CAL", 3100}, {"ERR", 3110}, {"MRK", 3210}, {"PHASE", 3610}};
  for (int row = 0; row < 9; ++row) {
    const int16_t y = static_cast<int16_t>(21 + 13 * row);
    c.push_back({ControlKind::Static, -1, std::to_string(row), 8, static_cast<int16_t>(y + 2), 10, 8, kLabel});
    c.push_back({ControlKind::Edit, 2310 + row, "", 22, y, 82, 12, kEdit});
    c.push_back({ControlKind::Static, 1160 + row, "", 106, static_cast<int16_t>(y + 2), 36, 8, SS_RIGHT});
  }
  for (int k = 0; k < 6; ++k) {
    const int16_t x = static_cast<int16_t>(146 + 18 * k);
    c.push_back({ControlKind::Static, -1, columns[k].label, x, 10, 20, 8, kLabel});
    for (int row = 0; row < 9; ++row) {
      const int16_t y = static_cast<int16_t>(21 + 13 * row);
      c.push_back({ControlKind::RadioButton, columns[k].base + row, "", x, y, 12, 12,
                   BS_AUTORADIOBUTTON | WS_TABSTOP | (row == 0 ? WS_GROUP : 0u)});
    }
  }
  // AOM settings.
  struct Field {
    const char* label;
    int id;
  };
  const Field aom[] = {{"ERR MIN V", 3505},  {"ERR MAX V", 3506},  {"ERR ZERO V", 3507}, {"ERR FWHM", 3508},
                       {"MK CAL (MHz)", 3509}, {"MR ZERO V", 3510}, {"MARKER CUT", 3512}, {"OUT RESOL", 3511},
                       {"JMP WIN", 3518},    {"RF SCALAR", 3504},  {"RF LOW", 7104},     {"RF HIGH", 7103},
                       {"VOLT LOW", 7105},   {"VOLT HIGH", 7106}};
  c.push_back({ControlKind::GroupBox, -1, "AOM", 260, 2, 146, 254, 0});
  c.push_back({ControlKind::Static, -1, "ERR CHN", 264, 12, 40, 8, kLabel});
  c.push_back({ControlKind::ListBox, 3516, "", 330, 10, 30, 22, kList});  // both rows in view: a click steps it
  int i = 0;
  for (const Field& f : aom) {
    const int16_t y = static_cast<int16_t>(35 + 12 * i++);
    c.push_back({ControlKind::Static, -1, f.label, 264, static_cast<int16_t>(y + 2), 62, 8, kLabel});
    c.push_back({ControlKind::Edit, f.id, "", 330, y, 72, 12, kEdit});
  }
  c.push_back({ControlKind::CheckBox, 3517, "E/O", 264, 210, 30, 10, kBox});
  c.push_back({ControlKind::CheckBox, 3515, "REV", 300, 210, 30, 10, kBox});
  c.push_back({ControlKind::ListBox, 3513, "", 340, 209, 40, 12, kList | WS_VSCROLL});  // one row: its arrows step it
  c.push_back({ControlKind::CheckBox, 3514, "STAT", 264, 224, 30, 10, kBox});
  c.push_back({ControlKind::Static, -1, "RAMP FLNM", 300, 225, 40, 8, kLabel});
  c.push_back({ControlKind::Edit, 7150, "", 342, 223, 60, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "MK POS FLNM", 264, 240, 50, 8, kLabel});
  c.push_back({ControlKind::Edit, 6102, "", 330, 238, 72, 12, kEdit});
  // THz settings.
  const Field thz[] = {{"CAL FLNM", 3050},   {"BEG FRQ", 3053},    {"END FRQ", 3054},   {"IN FRQ STP", 3051},
                       {"OUT FRQ STP", 3052}, {"INTV SIZE", 3056},  {"TOT INTV", 3055},  {"LOWER MK", 3058},
                       {"UPPER MK", 3059},   {"FFT", 2338},        {"FSR SCALAR", 3061}, {"MIN RES", 3065},
                       {"REPEAT FLNM", 3064}};
  c.push_back({ControlKind::GroupBox, -1, "THZ", 410, 2, 146, 216, 0});
  i = 0;
  for (const Field& f : thz) {
    const int16_t y = static_cast<int16_t>(12 + 13 * i++);
    const bool shown = f.id == 3051 || f.id == 3055;
    c.push_back({ControlKind::Static, -1, f.label, 414, static_cast<int16_t>(y + 2), 60, 8, kLabel});
    c.push_back({ControlKind::Edit, f.id, "", 476, y, 76, 12, shown ? ES_RIGHT | ES_READONLY | WS_BORDER : kEdit});
  }
  c.push_back({ControlKind::CheckBox, 3062, "MRK STAT", 414, 184, 50, 10, kBox});
  c.push_back({ControlKind::CheckBox, 3063, "LOCK STAT", 476, 184, 50, 10, kBox});
  // Range.
  c.push_back({ControlKind::GroupBox, -1, "RANGE", 2, 144, 254, 44, 0});
  c.push_back({ControlKind::CheckBox, 2341, "STAT", 6, 156, 40, 10, kBox});
  c.push_back({ControlKind::Static, -1, "LOW PT LIMIT", 50, 157, 56, 8, kLabel});
  c.push_back({ControlKind::Edit, 3502, "", 108, 155, 60, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "HIGH PT LIMIT", 50, 172, 56, 8, kLabel});
  c.push_back({ControlKind::Edit, 3503, "", 108, 170, 60, 12, kEdit});
  // Buttons.
  struct Button {
    const char* label;
    int id;
  };
  const Button buttons[] = {{"AOM CAL", 3005}, {"DEMOD", 3006}, {"THZ I", 3007}, {"THZ II", 3008}, {"THZ III", 3009},
                            {"APPLY", 30},     {"OK", 1},       {"CANCEL", 2}};
  i = 0;
  for (const Button& b : buttons) {
    const int16_t x = static_cast<int16_t>(4 + 63 * (i % 4));
    const int16_t y = static_cast<int16_t>(194 + 18 * (i / 4));
    c.push_back({ControlKind::PushButton, b.id, b.label, x, y, 58, 14, b.id == 1 ? BS_DEFPUSHBUTTON | WS_TABSTOP : kButton});
    ++i;
  }
  return t;
}

// 112: the CALIBRATION, NORMALIZATION & LINEARIZATION dialog: the CALIBRATION panel on
// the left, NORMALIZATION and SATURATION in the middle, LINEARIZATION and the range on
// the right, the buttons at the bottom.
DialogTemplate CalNormLin() {
  DialogTemplate t;
  t.id = 112;
  t.caption = "CALIBRATION, NORMALIZATION & LINEARIZATION DIALOG";
  t.cx = 600;
  t.cy = 300;
  t.style = kPopup;
  constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  constexpr DWORD kShown = ES_RIGHT | ES_READONLY | WS_BORDER;
  constexpr DWORD kLabel = SS_LEFT;
  constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
  constexpr DWORD kBox = BS_AUTOCHECKBOX | WS_TABSTOP;
  auto& c = t.controls;
  struct Field {
    const char* label;
    int id;
    bool shown;  // read-only
  };
  auto column = [&c](const Field* fields, int count, int16_t x, int16_t y, int16_t labelWidth, int16_t editWidth) {
    for (int i = 0; i < count; ++i) {
      const int16_t row = static_cast<int16_t>(y + 13 * i);
      c.push_back({ControlKind::Static, -1, fields[i].label, x, static_cast<int16_t>(row + 2), labelWidth, 8, kLabel});
      c.push_back({ControlKind::Edit, fields[i].id, "", static_cast<int16_t>(x + labelWidth + 2), row, editWidth, 12,
                   fields[i].shown ? kShown : kEdit});
    }
  };
  // CALIBRATION.
  c.push_back({ControlKind::GroupBox, -1, "CALIBRATION", 2, 2, 196, 250, 0});
  c.push_back({ControlKind::Static, -1, "INPUT", 6, 12, 40, 8, kLabel});
  const Field input[] = {{"MARKER FLNM", 6100, false}, {"SIZE", 6101, true},     {"PTS AVE", 6103, false},
                         {"CUT/SCALAR", 6104, false},  {"PTS/FSR", 6106, true},  {"RMS LIN", 6107, true},
                         {"STP DIF", 6110, false},     {"INTV PTS", 6121, false}, {"PTS/FSR", 6112, false}};
  column(input, 9, 6, 22, 56, 80);
  c.push_back({ControlKind::CheckBox, 6115, "INV", 6, 142, 30, 10, kBox});
  c.push_back({ControlKind::CheckBox, 6117, "FLOAT MIN", 40, 142, 50, 10, kBox});
  c.push_back({ControlKind::CheckBox, 6116, "SCALE DIFF", 96, 142, 56, 10, kBox});
  c.push_back({ControlKind::CheckBox, 6120, "TTL", 156, 142, 30, 10, kBox});
  c.push_back({ControlKind::Static, -1, "OUTPUT", 6, 156, 40, 8, kLabel});
  const Field output[] = {{"ASCII FLNM", 6102, false}, {"X SCALAR", 6122, false}, {"POINTS", 6108, true}};
  column(output, 3, 6, 166, 56, 80);
  c.push_back({ControlKind::CheckBox, 6114, "DSP", 6, 208, 30, 10, kBox});
  c.push_back({ControlKind::CheckBox, 6118, "ALLAN VAR", 40, 208, 50, 10, kBox});
  c.push_back({ControlKind::CheckBox, 6119, "LOG/LOG", 96, 208, 46, 10, kBox});
  c.push_back({ControlKind::PushButton, 2025, "PEAK FIND", 6, 224, 44, 13, kButton});
  c.push_back({ControlKind::PushButton, 2026, "STP FIND", 52, 224, 44, 13, kButton});
  c.push_back({ControlKind::PushButton, 2072, "CREATE", 98, 224, 44, 13, kButton});
  c.push_back({ControlKind::PushButton, 2061, "POS2FRQ", 144, 224, 44, 13, kButton});
  // NORMALIZATION.
  c.push_back({ControlKind::GroupBox, -1, "NORMALIZATION", 202, 2, 196, 150, 0});
  c.push_back({ControlKind::Static, -1, "N[] = Vm (S[] - Vs) / (P[] - Vp)", 206, 12, 180, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "N[] = 0 when (P[] - Vp) < (Vc - Vp)", 206, 21, 180, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "N[] = Vm (S[] - Vs) / (P[] (1 - Vp))", 220, 30, 170, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "N[] = 0 when (P[] (1 - Vp)) < (Vc - P[] Vp)", 206, 39, 180, 8, kLabel});
  c.push_back({ControlKind::CheckBox, 6310, "", 206, 29, 12, 10, kBox});
  const Field norm[] = {{"IN FLNM (S[])", 6300, false}, {"SIZE", 6301, true},  {"OUT FLNM (N[])", 6302, false},
                        {"SIZE", 6303, true},           {"NORM FLNM (P[])", 6304, false}, {"SIZE", 6305, true}};
  column(norm, 6, 206, 50, 60, 76);
  const Field volts[] = {{"REF (Vm)", 6307, false}, {"OFFSET (Vs)", 6308, false}, {"OFFSET (Vp)", 6309, false},
                         {"CUT (Vc)", 6306, false}};
  for (int i = 0; i < 4; ++i) {
    const int16_t x = static_cast<int16_t>(206 + 48 * i);
    c.push_back({ControlKind::Static, -1, volts[i].label, x, 128, 46, 8, kLabel});
    c.push_back({ControlKind::Edit, volts[i].id, "", x, 137, 44, 12, kEdit});
  }
  // SATURATION.
  c.push_back({ControlKind::GroupBox, -1, "SATURATION", 202, 154, 196, 98, 0});
  c.push_back({ControlKind::Static, -1, "S[] = M*P[] / (1+A*P[])+B", 206, 163, 120, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "L[] = Sb[] / (1-A*Sb[]/M)+B; Sb=S[]-B", 206, 172, 180, 8, kLabel});
  const Field satn[] = {{"SIG FLNM (S[])", 6315, false}, {"POW FLNM (P[])", 6316, false}};
  column(satn, 2, 206, 181, 60, 76);
  for (int i = 0; i < 3; ++i) {
    const int16_t x = static_cast<int16_t>(206 + 62 * i);
    c.push_back({ControlKind::Edit, 6317 + i, "", x, 207, 58, 12, kEdit});
    c.push_back({ControlKind::Edit, 6320 + i, "", x, 220, 58, 12, kShown});
  }
  const Field corr[] = {{"IN FLNM (S[])", 6323, false}, {"OUT FLNM (L[])", 6324, false}};
  column(corr, 2, 404, 198, 60, 76);
  for (int i = 0; i < 3; ++i)
    c.push_back({ControlKind::Edit, 6325 + i, "", static_cast<int16_t>(404 + 46 * i), 224, 44, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "A, M, B", 546, 226, 40, 8, kLabel});
  // LINEARIZATION and range.
  c.push_back({ControlKind::GroupBox, -1, "LINEARIZATION", 402, 2, 196, 150, 0});
  const Field lin[] = {{"IN FLNM", 6200, false}, {"SIZE", 6201, true},   {"OUT FLNM", 6202, false},
                       {"SIZE", 6203, true},     {"INIT", 6205, false},  {"FINAL", 6206, false},
                       {"FSR", 6207, false},     {"PTS/FSR", 6208, false}, {"FREQ STP/PT", 6209, false}};
  column(lin, 9, 406, 12, 56, 80);
  c.push_back({ControlKind::CheckBox, 6204, "NEAR", 406, 132, 34, 10, kBox});
  c.push_back({ControlKind::CheckBox, 6312, "AC", 446, 132, 24, 10, kBox});
  c.push_back({ControlKind::CheckBox, 6311, "INV", 474, 132, 26, 10, kBox});
  c.push_back({ControlKind::GroupBox, -1, "RANGE", 402, 154, 196, 40, 0});
  c.push_back({ControlKind::CheckBox, 2341, "STAT", 406, 164, 30, 10, kBox});
  const Field range[] = {{"LOW PT LIMIT", 3502, false}, {"HIGH PT LIMIT", 3503, false}};
  column(range, 2, 440, 163, 54, 60);
  const Field fit[] = {{"FFT WIN", 2338, false}, {"REJ LVL", 6313, false}};
  for (int i = 0; i < 2; ++i) {
    const int16_t x = static_cast<int16_t>(506 + 46 * i);
    c.push_back({ControlKind::Static, -1, fit[i].label, x, 128, 44, 8, kLabel});
    c.push_back({ControlKind::Edit, fit[i].id, "", x, 137, 42, 12, kEdit});
  }
  // Buttons.
  struct Button {
    const char* label;
    int id;
  };
  const Button buttons[] = {{"NORMALIZE", 2028}, {"LSF", 2069},      {"SATN NLLSF", 2077}, {"SATN CORR", 2078},
                            {"LINEARIZE", 6210}, {"ANAL DIAG", 100}, {"CNV DIAG", 103},    {"APPLY", 30},
                            {"OK", 1},           {"CANCEL", 2}};
  int i = 0;
  for (const Button& b : buttons) {
    const int16_t x = static_cast<int16_t>(4 + 59 * i++);
    c.push_back({ControlKind::PushButton, b.id, b.label, x, 270, 55, 14, b.id == 1 ? BS_DEFPUSHBUTTON | WS_TABSTOP : kButton});
  }
  return t;
}

// 210: the FTMW CONVERSION dialog: input file, channel 1's output or an ASCII table.
DialogTemplate FtmwConversion() {
  DialogTemplate t;
  t.id = 210;
  t.caption = "FTMW CONVERSION DIALOG";
  t.cx = 280;
  t.cy = 92;
  t.style = kPopup;
  constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
  t.controls = {
      {ControlKind::Static, -1, "INPUT FLNM", 6, 8, 70, 8, SS_LEFT},
      {ControlKind::Edit, 10180, "", 80, 6, 140, 12, kEdit},
      {ControlKind::PushButton, 10162, "OPEN", 224, 5, 50, 14, kButton},
      {ControlKind::Static, -1, "BINARY OUT FLNM", 6, 26, 70, 8, SS_LEFT},
      {ControlKind::Edit, 10181, "", 80, 24, 140, 12, kEdit},
      {ControlKind::CheckBox, 10182, "ASCII", 224, 25, 50, 10, BS_AUTOCHECKBOX | WS_TABSTOP},
      {ControlKind::Static, -1, "ASCII OUT FLNM", 6, 44, 70, 8, SS_LEFT},
      {ControlKind::Edit, 10183, "", 80, 42, 140, 12, kEdit},
      {ControlKind::PushButton, 10184, "CONVERT", 20, 70, 60, 14, kButton},
      {ControlKind::PushButton, 1, "OK", 110, 70, 60, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
      {ControlKind::PushButton, 2, "CANCEL", 200, 70, 60, 14, kButton},
  };
  return t;
}

// 103: the ASCII DATA INPUT CONVERSION dialog: the input file and its lines and
// columns on the left, the transforms and the line rejection in the middle, the
// output grid and files on the right, the buttons at the bottom.
DialogTemplate AsciiInput() {
  DialogTemplate t;
  t.id = 103;
  t.caption = "ASCII DATA INPUT CONVERSION DIALOG";
  t.cx = 560;
  t.cy = 262;
  t.style = kPopup;
  constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  constexpr DWORD kShown = ES_LEFT | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER;
  constexpr DWORD kLabel = SS_LEFT;
  constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
  constexpr DWORD kBox = BS_AUTOCHECKBOX | WS_TABSTOP;
  auto& c = t.controls;
  auto label = [&](const char* text, int x, int y, int w) {
    c.push_back({ControlKind::Static, -1, text, static_cast<int16_t>(x), static_cast<int16_t>(y + 2),
                 static_cast<int16_t>(w), 8, kLabel});
  };
  auto edit = [&](int id, int x, int y, int w, DWORD style) {
    c.push_back({ControlKind::Edit, id, "", static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(w), 12,
                 style});
  };
  auto bar = [&](int id, int x, int y) {
    c.push_back({ControlKind::ScrollBar, id, "", static_cast<int16_t>(x), static_cast<int16_t>(y), 8, 12, SBS_VERT});
  };
  // Input file, lines and columns.
  c.push_back({ControlKind::GroupBox, -1, "ASCII INPUT", 2, 2, 226, 200, 0});
  label("ASCII FLNM", 6, 12, 50);
  edit(10120, 58, 12, 118, kEdit);
  c.push_back({ControlKind::PushButton, 10162, "OPEN", 180, 11, 44, 14, kButton});
  label("FIRST", 6, 28, 30);
  edit(10140, 38, 28, 40, kEdit);
  bar(20, 80, 28);
  edit(10141, 92, 28, 132, kShown);
  label("LAST", 6, 44, 30);
  edit(10142, 38, 44, 40, kEdit);
  bar(21, 80, 44);
  edit(10143, 92, 44, 132, kShown);
  label("ACCEPTED", 6, 60, 40);
  edit(10144, 48, 60, 50, kShown);
  label("CHR SKIP", 110, 60, 36);
  edit(10161, 150, 60, 30, kEdit);
  label("FILE COLUMN", 6, 76, 60);
  const char* groups[4] = {"X", "Y1", "Y2", "Y3"};
  const char* buttons[5] = {"NONE", "1", "2", "3", "4"};
  for (int g = 0; g < 4; ++g) {
    const int16_t y = static_cast<int16_t>(88 + 13 * g);
    label(groups[g], 6, y, 14);
    for (int b = 0; b < 5; ++b)
      c.push_back({ControlKind::RadioButton, 10000 + 5 * g + b, buttons[b], static_cast<int16_t>(22 + 36 * b), y, 34, 12,
                   BS_AUTORADIOBUTTON | WS_TABSTOP | (b == 0 ? WS_GROUP : 0u)});
  }
  label("INPUT ASCII FREQ RANGE", 6, 142, 100);
  edit(10129, 6, 154, 108, kShown);
  edit(10130, 116, 154, 108, kShown);
  label("INPUT RES", 6, 170, 40);
  edit(10145, 50, 170, 100, kShown);
  label("FRQ SCL", 6, 186, 30);
  edit(10136, 38, 186, 70, kEdit);
  label("OFS", 112, 186, 16);
  edit(10137, 130, 186, 94, kEdit);
  // Intensity, region and rejection.
  c.push_back({ControlKind::GroupBox, -1, "INTENSITY / REGION", 232, 2, 150, 200, 0});
  c.push_back({ControlKind::CheckBox, 10158, "1/Y", 236, 12, 30, 10, kBox});
  label("ITN SCL", 236, 26, 34);
  edit(10159, 272, 26, 106, kEdit);
  label("OFS", 236, 42, 34);
  edit(10160, 272, 42, 106, kEdit);
  c.push_back({ControlKind::CheckBox, 10151, "DATA SUB STATUS", 236, 58, 80, 10, kBox});
  label("MARKED REGION", 236, 70, 70);
  edit(3502, 236, 82, 56, kEdit);
  bar(22, 294, 82);
  edit(3503, 306, 82, 60, kEdit);
  bar(23, 368, 82);
  label("FREQ REGION", 236, 96, 70);
  edit(10133, 236, 108, 70, kEdit);
  edit(10134, 308, 108, 70, kEdit);
  c.push_back({ControlKind::PushButton, 10153, "SHOW REGION", 236, 124, 70, 14, kButton});
  c.push_back({ControlKind::CheckBox, 10150, "STICK SPECTRUM STATUS", 236, 142, 100, 10, kBox});
  label("MIN FRQ STEP", 236, 154, 56);
  edit(10146, 294, 154, 84, kEdit);
  label("MAX FRQ STEP", 236, 168, 56);
  edit(10147, 294, 168, 84, kEdit);
  label("REMOVED", 236, 184, 34);
  edit(10148, 272, 184, 36, kShown);
  label("GAPS", 312, 184, 20);
  edit(10149, 336, 184, 42, kShown);
  // Output.
  c.push_back({ControlKind::GroupBox, -1, "BINARY OUTPUT", 386, 2, 172, 200, 0});
  c.push_back({ControlKind::CheckBox, 10152, "CREATE EMPTY", 390, 12, 70, 10, kBox});
  label("OUTPUT BINARY FREQ RANGE", 390, 24, 120);
  edit(10131, 390, 36, 80, kEdit);
  edit(10132, 474, 36, 80, kEdit);
  label("OUTPUT RES", 390, 52, 46);
  edit(10135, 440, 52, 114, kEdit);
  label("ADD", 390, 68, 20);
  label("BINARY FLNM", 412, 68, 60);
  label("SIZE", 512, 68, 30);
  for (int k = 1; k <= 3; ++k) {
    const int y = 66 + 14 * k;
    c.push_back({ControlKind::CheckBox, 10154 + k, "", 392, static_cast<int16_t>(y), 12, 12, kBox});
    edit(10121 + k, 412, y, 96, kEdit);
    edit(10125 + k, 512, y, 42, kShown);
  }
  label("OUT FILE SZ", 390, 130, 50);
  edit(10138, 444, 130, 110, kShown);
  label("MEM REQ (MB)", 390, 146, 50);
  edit(10139, 444, 146, 110, kShown);
  c.push_back({ControlKind::PushButton, 115, "FTMW INPUT", 390, 166, 80, 14, kButton});
  c.push_back({ControlKind::PushButton, 10165, "SORT", 474, 166, 80, 14, kButton});
  // Buttons.
  c.push_back({ControlKind::PushButton, 10163, "CONVERT", 40, 214, 80, 16, kButton});
  c.push_back({ControlKind::PushButton, 30, "APPLY", 160, 214, 80, 16, kButton});
  c.push_back({ControlKind::PushButton, 1, "OK", 280, 214, 80, 16, BS_DEFPUSHBUTTON | WS_TABSTOP});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 400, 214, 80, 16, kButton});
  return t;
}

// 101: ANALYSIS OPTIONS DIALOG. Nine channel rows (ids base + channel) under the
// column heads, then the view levels, drawing options, frequency axis and texts.
DialogTemplate AnalysisOptions() {
  DialogTemplate t;
  t.id = 101;
  t.caption = "ANALYSIS OPTIONS DIALOG";
  t.cx = 470;
  t.cy = 330;
  t.style = kPopup;
  constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  constexpr DWORD kReadOnly = ES_LEFT | ES_READONLY | WS_BORDER;
  constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
  constexpr DWORD kList = LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP;
  constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
  auto& c = t.controls;
  const struct {
    int16_t x;
    const char* top;
    const char* bottom;
  } heads[] = {{4, "DSP", "STAT"},      {22, "ACT", "CHN"},  {40, "T2F", "FFT"},     {58, "COLOR", ""},
               {86, "FILENAME", ""},     {180, "DIG", "STAT"}, {198, "SCALAR", ""}, {264, "OFFSET", ""},
               {330, "SIZE", ""}};
  for (const auto& h : heads) {
    c.push_back({ControlKind::Static, -1, h.top, h.x, 2, 40, 8, SS_LEFT});
    if (h.bottom[0]) c.push_back({ControlKind::Static, -1, h.bottom, h.x, 10, 40, 8, SS_LEFT});
  }
  for (int i = 0; i < 9; ++i) {
    const int16_t y = static_cast<int16_t>(20 + 14 * i);
    c.push_back({ControlKind::CheckBox, 1110 + i, "", 6, y, 12, 12, kCheck});
    c.push_back({ControlKind::RadioButton, 1100 + i, "", 24, y, 12, 12, BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0)});
    c.push_back({ControlKind::CheckBox, 1200 + i, "", 42, y, 12, 12, kCheck});
    c.push_back({ControlKind::Static, 60 + i, "", 58, y, 14, 12, SS_BLACKFRAME});
    c.push_back({ControlKind::ScrollBar, 20 + i, "", 74, y, 8, 12, SBS_VERT});
    c.push_back({ControlKind::Edit, 1130 + i, "", 86, y, 90, 12, kEdit});
    c.push_back({ControlKind::CheckBox, 1120 + i, "", 182, y, 12, 12, kCheck});
    // A scalar or offset "%.8le" with its sign, a raw size of ten digits.
    c.push_back({ControlKind::Edit, 1140 + i, "", 198, y, 63, 12, kEdit});
    c.push_back({ControlKind::Edit, 1150 + i, "", 264, y, 63, 12, kEdit});
    c.push_back({ControlKind::Edit, 1160 + i, "", 330, y, 48, 12, kReadOnly});
  }
  c.push_back({ControlKind::CheckBox, 1194, "TB", 382, 20, 30, 12, kCheck});
  c.push_back({ControlKind::CheckBox, 1350, "FIX", 382, 34, 30, 12, kCheck});
  c.push_back({ControlKind::Static, -1, "SEL", 382, 50, 20, 8, SS_LEFT});
  c.push_back({ControlKind::ListBox, 1260, "", 404, 48, 30, 12, kList});
  c.push_back({ControlKind::PushButton, 1193, "OPEN", 382, 64, 52, 13, kButton});
  c.push_back({ControlKind::Edit, 2332, "", 382, 82, 30, 12, kEdit});
  c.push_back({ControlKind::PushButton, 2067, "NUM", 414, 82, 30, 13, kButton});
  // View levels.
  const char* levels[3] = {"LOW", "MED1", "MED2"};
  c.push_back({ControlKind::Static, -1, "TYPE", 40, 152, 40, 8, SS_LEFT});
  c.push_back({ControlKind::Static, -1, "PAGES", 86, 152, 40, 8, SS_LEFT});
  for (int l = 0; l < 3; ++l) {
    const int16_t y = static_cast<int16_t>(162 + 14 * l);
    c.push_back({ControlKind::Static, -1, levels[l], 4, y, 32, 10, SS_LEFT});
    c.push_back({ControlKind::ListBox, 1174 + l, "", 40, y, 40, 12, kList});
    c.push_back({ControlKind::Edit, 1170 + l, "", 86, y, 50, 12, kEdit});
  }
  c.push_back({ControlKind::Static, -1, "RAW", 4, 204, 32, 10, SS_LEFT});
  c.push_back({ControlKind::Static, 1173, "", 86, 204, 50, 10, SS_LEFT});
  c.push_back({ControlKind::CheckBox, 1178, "ALL", 142, 162, 30, 12, kCheck});
  c.push_back({ControlKind::Static, -1, "x", 142, 178, 8, 10, SS_LEFT});
  c.push_back({ControlKind::Edit, 1180, "", 152, 176, 40, 12, kReadOnly});
  c.push_back({ControlKind::Static, -1, "PIXEL WIDTH", 198, 162, 50, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1181, "", 250, 160, 24, 12, kEdit});
  c.push_back({ControlKind::CheckBox, 1182, "WHITE BACKGND", 198, 176, 76, 12, kCheck});
  c.push_back({ControlKind::CheckBox, 1183, "PTS", 198, 190, 40, 12, kCheck});
  // Frequency axis and texts.
  const struct {
    int id;
    const char* label;
    int16_t y;
  } axis[] = {{1185, "INIT ABS FREQ", 222}, {1186, "FRQ STP / FSR", 236}, {1187, "PTS / FSR", 250}};
  for (const auto& a : axis) {
    c.push_back({ControlKind::Static, -1, a.label, 4, static_cast<int16_t>(a.y + 2), 60, 8, SS_LEFT});
    c.push_back({ControlKind::Edit, a.id, "", 66, a.y, 90, 12, kEdit});
  }
  c.push_back({ControlKind::Static, -1, "UNITS", 162, 224, 30, 8, SS_LEFT});
  c.push_back({ControlKind::ListBox, 1191, "", 194, 222, 40, 12, kList});
  c.push_back({ControlKind::Static, -1, "HARM", 162, 238, 30, 8, SS_LEFT});
  c.push_back({ControlKind::ListBox, 1192, "", 194, 236, 40, 12, kList});
  c.push_back({ControlKind::Static, -1, "DATE", 240, 224, 24, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1188, "", 266, 222, 70, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "TIME", 240, 238, 24, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1189, "", 266, 236, 70, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "COMMENT", 4, 268, 40, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1184, "", 46, 266, 290, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "PWD", 4, 284, 40, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1190, "", 46, 282, 290, 12, kReadOnly});
  c.push_back({ControlKind::PushButton, 93, "SAVE QVW", 346, 266, 56, 13, kButton});
  c.push_back({ControlKind::PushButton, 1, "OK", 100, 310, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP});
  c.push_back({ControlKind::PushButton, 30, "APPLY", 180, 310, 50, 14, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 260, 310, 50, 14, kButton});
  return t;
}

// Controls shared by the two display control dialogs: the channel list with its
// scroll bar and the colour swatch.
void ChannelControls(DialogTemplate& t, bool colourBar) {
  auto& c = t.controls;
  c.push_back({ControlKind::Static, -1, "CHN", 4, 4, 20, 8, SS_LEFT});
  c.push_back({ControlKind::ListBox, 1260, "", 24, 2, 24, 12, LBS_NOTIFY | WS_BORDER | WS_TABSTOP});
  c.push_back({ControlKind::ScrollBar, 20, "", 50, 2, 8, 12, SBS_VERT});
  c.push_back({ControlKind::Static, 60, "", 64, 2, 14, 12, SS_BLACKFRAME});
  if (colourBar) {
    c.push_back({ControlKind::ScrollBar, 21, "", 80, 2, 8, 12, SBS_VERT});
    c.push_back({ControlKind::Static, -1, "RGB", 90, 4, 20, 8, SS_LEFT});
  }
}

// 1200: DSP SCALAR/OFFSET, modeless, two vertical trackbars. Each column: its heading
// over the boxes, the upper bound ("HIGH") above the trackbar, the lower bound ("LOW")
// below it and the value ("VALUE") last, each box with its label on its left.
DialogTemplate ScalarOffset() {
  DialogTemplate t;
  t.id = 1200;
  t.caption = "DSP SCALAR/OFFSET";
  t.cx = 192;
  t.cy = 214;
  t.style = kPopup;
  constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
  ChannelControls(t, true);
  auto& c = t.controls;
  c.push_back({ControlKind::Edit, 1130, "", 4, 18, 148, 12, kEdit});
  c.push_back({ControlKind::PushButton, 1193, "OPEN", 156, 18, 32, 12, kButton});
  const struct {
    int16_t x;
    const char* head;
    int high, value, low, track, x2, half;
  } cols[] = {{4, "SCALAR", 1204, 1210, 1206, 40, 1213, 1214}, {100, "OFFSET", 1205, 1211, 1207, 41, 1217, 1218}};
  for (const auto& col : cols) {
    const int16_t box = static_cast<int16_t>(col.x + 26);  // the boxes, right of their labels
    auto labelled = [&](const char* label, int id, int16_t y) {
      c.push_back({ControlKind::Static, -1, label, col.x, static_cast<int16_t>(y + 2), 21, 8, SS_LEFT});
      c.push_back({ControlKind::Edit, id, "", box, y, 60, 12, kEdit});
    };
    c.push_back({ControlKind::Static, -1, col.head, box, 34, 60, 8, SS_LEFT});
    labelled("HIGH", col.high, 44);
    c.push_back({ControlKind::Trackbar, col.track, "", static_cast<int16_t>(box + 20), 58, 20, 90,
                 TBS_VERT | TBS_AUTOTICKS | WS_TABSTOP});
    labelled("LOW", col.low, 150);
    labelled("VALUE", col.value, 166);
    c.push_back({ControlKind::PushButton, col.x2, "x2", box, 182, 28, 12, kButton});
    c.push_back({ControlKind::PushButton, col.half, "/2", static_cast<int16_t>(box + 32), 182, 28, 12, kButton});
  }
  c.push_back({ControlKind::PushButton, 1353, "CENTER", 30, 198, 60, 12, kButton});
  c.push_back({ControlKind::PushButton, 1351, "AUTO", 126, 198, 36, 12, kButton});
  c.push_back({ControlKind::CheckBox, 1350, "FIX", 166, 198, 24, 12, BS_AUTOCHECKBOX | WS_TABSTOP});
  return t;
}

// 1330: CURSOR WINDOW INFO, modeless.
DialogTemplate CursorInfo() {
  DialogTemplate t;
  t.id = 1330;
  t.caption = "CURSOR WINDOW INFO";
  t.cx = 200;
  t.cy = 150;
  t.style = kPopup;
  constexpr DWORD kShow = ES_LEFT | ES_READONLY | WS_BORDER;
  ChannelControls(t, false);
  auto& c = t.controls;
  const struct {
    const char* label;
    int left, right;
    int16_t y;
  } rows[] = {{"AVE VAL", 1331, 1332, 20}, {"RMS DEV", 1334, 1335, 34}};
  for (const auto& r : rows) {
    c.push_back({ControlKind::Static, -1, r.label, 4, static_cast<int16_t>(r.y + 2), 40, 8, SS_LEFT});
    c.push_back({ControlKind::Edit, r.left, "", 46, r.y, 72, 12, kShow});
    c.push_back({ControlKind::Edit, r.right, "", 122, r.y, 72, 12, kShow});
  }
  c.push_back({ControlKind::Static, -1, "DIFF VAL", 4, 50, 40, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1333, "", 46, 48, 72, 12, kShow});
  c.push_back({ControlKind::Static, -1, "SUM DEV", 4, 64, 40, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1336, "", 46, 62, 72, 12, kShow});
  c.push_back({ControlKind::Edit, 1339, "", 4, 80, 92, 12, kShow});
  c.push_back({ControlKind::Edit, 1340, "", 100, 80, 92, 12, kShow});
  c.push_back({ControlKind::Edit, 1341, "", 52, 94, 92, 12, kShow});
  c.push_back({ControlKind::CheckBox, 1342, "ADJ CROSSHAIR", 4, 110, 70, 12, BS_AUTOCHECKBOX | WS_TABSTOP});
  c.push_back({ControlKind::CheckBox, 1343, "INTG", 78, 110, 36, 12, BS_AUTOCHECKBOX | WS_TABSTOP});
  c.push_back({ControlKind::CheckBox, 1344, "CTR | DIFF", 118, 110, 60, 12, BS_AUTOCHECKBOX | WS_TABSTOP});
  c.push_back({ControlKind::PushButton, 1337, "LOW", 40, 128, 50, 13, BS_PUSHBUTTON | WS_TABSTOP});
  c.push_back({ControlKind::PushButton, 1338, "HIGH", 110, 128, 50, 13, BS_PUSHBUTTON | WS_TABSTOP});
  return t;
}
// 1270: TIME/FREQ TRANSFORM PRMS, modeless, one per channel; four vertical trackbars
// for the coefficients of the model phase. Each edit holds the widest value the dialog
// writes into it: TUKEY a taper "%lf" with a sign, HORZ INTV "%.10le", RATE and DELAY
// "%.8le" with a sign, a coefficient "%.6lf" below 1e6 and a trackbar bound "%.5lf"
// below 1e6 with a sign.
DialogTemplate FftTransform() {
  DialogTemplate t;
  t.id = 1270;
  t.caption = "TIME/FREQ TRANSFORM PRMS";
  t.cx = 390;
  t.cy = 184;
  t.style = kPopup;
  constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
  constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
  auto& c = t.controls;
  c.push_back({ControlKind::Static, -1, "TIME FLNM", 4, 6, 40, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1211, "", 44, 4, 90, 12, kEdit});
  c.push_back({ControlKind::CheckBox, 1209, "STAT", 4, 20, 32, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 1210, "FFT", 38, 20, 26, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 1212, "RE+IM+PH", 66, 20, 46, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 1213, "TUKEY", 4, 34, 32, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 1219, "UNWRAP", 38, 34, 40, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 1222, "RES", 80, 34, 30, 10, kCheck});
  c.push_back({ControlKind::Edit, 1214, "", 4, 46, 40, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "FRQ SZ", 47, 48, 26, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1220, "", 74, 46, 60, 12, kEdit});
  const struct {
    const char* label;
    int id;
    int16_t y;
  } rows[] = {{"HORZ INTV (us)", 1215, 62}, {"RATE (MHz/us)", 1217, 76}, {"DELAY (us)", 1218, 90}};
  for (const auto& r : rows) {
    c.push_back({ControlKind::Static, -1, r.label, 4, static_cast<int16_t>(r.y + 2), 58, 8, SS_LEFT});
    c.push_back({ControlKind::Edit, r.id, "", 62, r.y, 72, 12, kEdit});
  }
  c.push_back({ControlKind::Static, -1, "ASSOC", 4, 106, 24, 8, SS_LEFT});
  c.push_back({ControlKind::ListBox, 1216, "", 28, 104, 24, 12, LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP});
  c.push_back({ControlKind::Static, -1, "CYCS", 58, 106, 20, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1223, "", 80, 104, 54, 12, kEdit});
  c.push_back({ControlKind::PushButton, 1221, "PHASE FIT", 4, 122, 60, 14, kButton});
  c.push_back({ControlKind::PushButton, 1353, "CENTER", 74, 122, 60, 14, kButton});
  static const char* const kLabels[4] = {"PHASE^0", "PHASE^1", "PHASE^2", "PHASE^3"};
  for (int k = 0; k < 4; ++k) {
    const int16_t x = static_cast<int16_t>(140 + 62 * k);
    c.push_back({ControlKind::Static, -1, kLabels[k], x, 2, 30, 8, SS_LEFT});
    c.push_back({ControlKind::Edit, 1238 + k, "", x, 10, 60, 12, kEdit});
    c.push_back({ControlKind::Edit, 1230 + k, "", x, 24, 60, 12, ES_LEFT | ES_READONLY | WS_BORDER});
    c.push_back({ControlKind::Trackbar, 40 + k, "", static_cast<int16_t>(x + 21), 38, 18, 100,
                 TBS_VERT | TBS_AUTOTICKS | WS_TABSTOP});
    c.push_back({ControlKind::Edit, 1234 + k, "", x, 140, 60, 12, ES_LEFT | ES_READONLY | WS_BORDER});
    c.push_back({ControlKind::PushButton, 50000 + 2 * k, "x2", x, 154, 28, 12, kButton});
    c.push_back({ControlKind::PushButton, 50001 + 2 * k, "/2", static_cast<int16_t>(x + 32), 154, 28, 12, kButton});
  }
  c.push_back({ControlKind::Static, 60, "", 0, 172, 390, 12, SS_BLACKFRAME});
  return t;
}

// 113: SCROLL PRINTER (EPSON IMPACT ONLY), the options of the scroll printout.
DialogTemplate ScrollPrinter() {
  DialogTemplate t;
  t.id = 113;
  t.caption = "SCROLL PRINTER (EPSON IMPACT ONLY)";
  t.cx = 230;
  t.cy = 150;
  t.style = kPopup;
  constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
  auto& c = t.controls;
  const struct {
    const char* label;
    int id;
    int16_t y;
  } rows[] = {{"START POINT", 1610, 6}, {"END POINT", 1611, 22}, {"AVERAGE PTS", 1612, 38}};
  for (const auto& r : rows) {
    c.push_back({ControlKind::Static, -1, r.label, 6, static_cast<int16_t>(r.y + 2), 90, 8, SS_LEFT});
    c.push_back({ControlKind::Edit, r.id, "", 100, r.y, 70, 12, kEdit});
  }
  c.push_back({ControlKind::Static, -1, "DOT DENSITY (NOT RES)", 6, 56, 90, 8, SS_LEFT});
  c.push_back({ControlKind::ListBox, 1613, "", 100, 54, 70, 12, LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP});
  c.push_back({ControlKind::Static, -1, "NUMBER OF PAGES", 6, 72, 90, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1615, "", 100, 70, 70, 12, ES_LEFT | ES_READONLY | WS_BORDER});
  c.push_back({ControlKind::PushButton, 1614, "UPDATE", 176, 70, 48, 13, kButton});
  c.push_back({ControlKind::Static, -1, "PRINTED COMMENT", 6, 88, 90, 8, SS_LEFT});
  c.push_back({ControlKind::Edit, 1619, "", 6, 98, 218, 12, kEdit});
  c.push_back({ControlKind::PushButton, 1617, "ADVANCE", 176, 6, 48, 13, kButton});
  c.push_back({ControlKind::PushButton, 1618, "RETRACT", 176, 22, 48, 13, kButton});
  c.push_back({ControlKind::PushButton, 1616, "PRINT", 20, 128, 50, 14, kButton});
  c.push_back({ControlKind::PushButton, 1, "OK", 90, 128, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 160, 128, 50, 14, kButton});
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
  platform::RegisterDialogTemplate(AomCalibration());
  platform::RegisterDialogTemplate(CalNormLin());
  platform::RegisterDialogTemplate(AnalysisOptions());
  platform::RegisterDialogTemplate(ScalarOffset());
  platform::RegisterDialogTemplate(CursorInfo());
  platform::RegisterDialogTemplate(FftTransform());
  platform::RegisterDialogTemplate(ScrollPrinter());
  platform::RegisterDialogTemplate(FtmwConversion());
  platform::RegisterDialogTemplate(AsciiInput());
  RegisterSimDialogResources();
}
