// Dialog templates of the simulation sets: the SIMULATION CONTROL DIALOG (11500) and
// the per-set dialogs RESIDUALS (9001), SIM SCALAR/OFFSET/SLOPE (1201), the sine and
// chirp baseline (1203), CHEBYSHEV & POWER NORM PRMS (1280), SIM LINESHAPE (1300),
// SIM HITRAN (1000), the JKK QN dialogs (800, 801), the JKK FILTER DIALOG (802), the
// COMBINATION DIFFERENCES DIALOGs (744, 745) and the QUADRUPOLE QN DIALOG (8002).
// The control dialog's identifiers come in pairs: the first for the left column, the
// next for the right one.
#include "resources/Dialogs.h"

#include "platform/windows/Controls.h"
#include "platform/windows/DialogTemplate.h"
#include "platform/windows/Window.h"

using platform::ControlKind;
using platform::DialogTemplate;

namespace {

constexpr DWORD kPopup = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kReadOnly = ES_LEFT | ES_READONLY | WS_BORDER;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT;
constexpr DWORD kSwatch = SS_LEFT | WS_BORDER;
constexpr DWORD kOneRow = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kTrack = TBS_VERT | TBS_AUTOTICKS | WS_TABSTOP;

int16_t I16(int v) { return static_cast<int16_t>(v); }

// 11500: two columns of one set each, the column scroll bar on top.
DialogTemplate SimControl() {
  DialogTemplate t;
  t.id = 11500;
  t.caption = "SIMULATION CONTROL DIALOG";
  t.cx = 440;
  t.cy = 372;
  t.style = kPopup;
  auto& c = t.controls;
  c.push_back({ControlKind::ScrollBar, 20, "", 4, 2, 432, 10, SBS_HORZ});
  c.push_back({ControlKind::CheckBox, 770, "LABELS", 4, 356, 50, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 771, "ASN", 58, 356, 40, 10, kCheck});
  for (int col = 0; col < 2; ++col) {
    const int x = 4 + 218 * col;
    auto add = [&](ControlKind kind, int id, const char* text, int dx, int y, int cx, int cy, DWORD style) {
      c.push_back({kind, id + col, text, I16(x + dx), I16(y), I16(cx), I16(cy), style});
    };
    auto label = [&](const char* text, int dx, int y, int cx) {
      c.push_back({ControlKind::Static, -1, text, I16(x + dx), I16(y + 2), I16(cx), 8, kLabel});
    };
    // Set, colour and display.
    add(ControlKind::Static, 762, "", 0, 16, 14, 10, kLabel);
    add(ControlKind::Static, 60, "", 16, 16, 20, 10, kSwatch);
    add(ControlKind::ScrollBar, 21, "", 38, 14, 8, 14, SBS_VERT);
    add(ControlKind::CheckBox, 11501, "DSP", 50, 16, 30, 10, kCheck);
    add(ControlKind::CheckBox, 8730, "EDIT STAT", 82, 16, 50, 10, kCheck);
    add(ControlKind::RadioButton, 768, "ACTIVE CHN", 136, 16, 60, 10, BS_AUTORADIOBUTTON | WS_TABSTOP);
    // File.
    add(ControlKind::PushButton, 754, "OPEN", 0, 30, 34, 12, kButton);
    add(ControlKind::PushButton, 8157, "RD ORV", 36, 30, 34, 12, kButton);
    label("FILE NAME", 74, 30, 40);
    add(ControlKind::Edit, 11505, "", 116, 30, 84, 12, kEdit);
    label("CAL", 0, 44, 16);
    add(ControlKind::Edit, 11507, "", 18, 44, 40, 12, kReadOnly);
    label("ASN LNS", 62, 44, 32);
    add(ControlKind::Edit, 8129, "", 96, 44, 40, 12, kReadOnly);
    add(ControlKind::CheckBox, 758, "SUM", 140, 44, 30, 10, kCheck);
    label("OMC", 0, 58, 16);
    add(ControlKind::Edit, 8127, "", 18, 58, 60, 12, kReadOnly);
    add(ControlKind::PushButton, 750, "WRT", 82, 58, 36, 12, kButton);
    add(ControlKind::PushButton, 752, "CLR", 120, 58, 36, 12, kButton);
    add(ControlKind::PushButton, 774, "PUB", 158, 58, 36, 12, kButton);
    // Scaling.
    add(ControlKind::CheckBox, 8722, "TB", 0, 74, 22, 10, kCheck);
    label("SCALAR", 24, 72, 30);
    add(ControlKind::Edit, 11509, "", 62, 72, 134, 12, kEdit);
    add(ControlKind::CheckBox, 8724, "SIN TB", 0, 88, 36, 10, kCheck);
    label("OFS", 42, 86, 16);
    add(ControlKind::Edit, 11511, "", 62, 86, 134, 12, kEdit);
    add(ControlKind::CheckBox, 8726, "CHIRP TB", 0, 102, 42, 10, kCheck);
    label("SLP", 46, 100, 14);
    add(ControlKind::Edit, 11513, "", 62, 100, 134, 12, kEdit);
    label("EXP CHN", 0, 114, 34);
    add(ControlKind::ListBox, 11503, "", 36, 114, 30, 12, kOneRow);
    label("ITC", 70, 114, 14);
    add(ControlKind::Edit, 11515, "", 86, 114, 110, 12, kEdit);
    // Line shape.
    add(ControlKind::CheckBox, 1404, "FIT", 0, 130, 24, 10, kCheck);
    label("FUNC", 26, 128, 22);
    add(ControlKind::ListBox, 11540, "", 50, 128, 60, 12, kOneRow);
    add(ControlKind::CheckBox, 8728, "TB", 0, 144, 22, 10, kCheck);
    label("LORZ (FW)", 24, 142, 40);
    add(ControlKind::Edit, 11532, "", 66, 142, 130, 12, kEdit);
    add(ControlKind::CheckBox, 8732, "IDV", 0, 158, 22, 10, kCheck);
    label("GAUS (FW)", 24, 156, 40);
    add(ControlKind::Edit, 11534, "", 66, 156, 130, 12, kEdit);
    add(ControlKind::CheckBox, 11536, "NUM", 0, 172, 30, 10, kCheck);
    label("WIDTH", 32, 170, 26);
    add(ControlKind::Edit, 11538, "", 66, 170, 60, 12, kEdit);
    // Sub-dialogs.
    const struct {
      int id;
      const char* text;
    } boxes[] = {{8720, "RESIDUALS"},  {8700, "JKK(M) QN"},     {8718, "FILTER"},     {8712, "TM/DIPOLE"},
                 {8714, "TEMP TB"},    {8704, "ABC"},           {8708, "CROSS / DIPOLE TB"},
                 {8706, "CORIOLIS"},   {8710, "1ST DISTORT TB"}, {8734, "V3"},        {8702, "QUADRUPOLE QN"},
                 {8716, "TB"},         {1407, "RINGDOWN FIT"},  {8736, "DSP"}};
    // Three columns, each as wide as its longest label ("CROSS / DIPOLE TB",
    // "QUADRUPOLE QN", "1ST DISTORT TB") and a character apart, the last one a
    // character short of the next set's column.
    const int left[3] = {0, 82, 148};
    const int width[3] = {78, 62, 66};
    int i = 0;
    for (const auto& b : boxes) {
      add(ControlKind::CheckBox, b.id, b.text, left[i % 3], 188 + 12 * (i / 3), width[i % 3], 10, kCheck);
      ++i;
    }
    // Frequency shift.
    add(ControlKind::CheckBox, 11517, "SHIFT", 0, 252, 32, 10, kCheck);
    add(ControlKind::Edit, 11519, "", 34, 250, 80, 12, kEdit);
    label("SCALAR", 118, 250, 30);
    add(ControlKind::Edit, 11521, "", 150, 250, 50, 12, kEdit);
    // Writing and reading.
    label("WRITE SIM", 0, 266, 44);
    add(ControlKind::PushButton, 760, "BIN", 46, 266, 34, 12, kButton);
    add(ControlKind::PushButton, 772, "QVS", 82, 266, 34, 12, kButton);
    label("READ ASCII", 0, 282, 44);
    add(ControlKind::PushButton, 764, "SIM", 46, 282, 34, 12, kButton);
    add(ControlKind::PushButton, 766, "ASN", 82, 282, 34, 12, kButton);
    add(ControlKind::PushButton, 756, "ORV (PRMS)", 0, 298, 56, 12, kButton);
    add(ControlKind::PushButton, 776, "ZERO (EXPT)", 60, 298, 56, 12, kButton);
  }
  return t;
}

// The colour caption of a per-set dialog.
void Caption(DialogTemplate& t, int x, int y) {
  t.controls.push_back({ControlKind::Static, 60, "", I16(x), I16(y), 24, 10, kSwatch});
}

// One trackbar column: heading, high edit, trackbar, low edit, value edit, x2 and /2.
void TrackColumn(DialogTemplate& t, int x, const char* head, int high, int low, int value, int track, int x2,
                 int half) {
  auto& c = t.controls;
  c.push_back({ControlKind::Static, -1, head, I16(x), 16, 60, 8, kLabel});
  c.push_back({ControlKind::Edit, high, "", I16(x), 26, 60, 12, kEdit});
  c.push_back({ControlKind::Trackbar, track, "", I16(x + 20), 40, 20, 90, kTrack});
  c.push_back({ControlKind::Edit, low, "", I16(x), 132, 60, 12, kEdit});
  c.push_back({ControlKind::Edit, value, "", I16(x), 148, 60, 12, kEdit});
  if (x2 > 0) {
    c.push_back({ControlKind::PushButton, x2, "x2", I16(x), 164, 28, 12, kButton});
    c.push_back({ControlKind::PushButton, half, "/2", I16(x + 32), 164, 28, 12, kButton});
  }
}

// 9001: RESIDUALS.
DialogTemplate Residuals() {
  DialogTemplate t;
  t.id = 9001;
  t.caption = "RESIDUALS";
  t.cx = 200;
  t.cy = 120;
  t.style = kPopup;
  Caption(t, 4, 4);
  auto& c = t.controls;
  c.push_back({ControlKind::Static, -1, "SCALAR", 4, 20, 40, 8, kLabel});
  c.push_back({ControlKind::Edit, 9016, "", 50, 18, 60, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "OFFSET", 4, 34, 40, 8, kLabel});
  c.push_back({ControlKind::Edit, 9017, "", 50, 32, 60, 12, kEdit});
  c.push_back({ControlKind::CheckBox, 2341, "LIM", 4, 48, 30, 10, kCheck});
  c.push_back({ControlKind::Static, -1, "LO LIM", 36, 48, 26, 8, kLabel});
  c.push_back({ControlKind::Edit, 3502, "", 64, 46, 50, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "HI LIM", 118, 48, 26, 8, kLabel});
  c.push_back({ControlKind::Edit, 3503, "", 146, 46, 50, 12, kEdit});
  c.push_back({ControlKind::CheckBox, 9010, "1ST", 4, 64, 30, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 9012, "AVE", 36, 64, 30, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 9011, "2ND", 68, 64, 30, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 9013, "RMS", 100, 64, 30, 10, kCheck});
  c.push_back({ControlKind::Edit, 9014, "", 4, 78, 90, 12, kReadOnly});
  c.push_back({ControlKind::Edit, 9015, "", 100, 78, 90, 12, kReadOnly});
  c.push_back({ControlKind::PushButton, 9018, "WRITE BIN", 4, 96, 50, 14, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 140, 96, 50, 14, kButton});
  return t;
}

// 1201: SIM SCALAR/OFFSET/SLOPE.
DialogTemplate SimScaleOffset() {
  DialogTemplate t;
  t.id = 1201;
  t.caption = "SIM SCALAR/OFFSET/SLOPE";
  t.cx = 206;
  t.cy = 214;
  t.style = kPopup;
  auto& c = t.controls;
  c.push_back({ControlKind::Static, 762, "", 4, 4, 14, 10, kLabel});
  Caption(t, 20, 4);
  c.push_back({ControlKind::ScrollBar, 21, "", 46, 2, 8, 14, SBS_VERT});
  c.push_back({ControlKind::Static, -1, "EXP CHN", 60, 4, 34, 8, kLabel});
  c.push_back({ControlKind::ListBox, 11503, "", 96, 2, 30, 12, kOneRow});
  TrackColumn(t, 4, "SCALAR", 1204, 1207, 1210, 40, 1213, 1214);
  TrackColumn(t, 70, "SLOPE", 1205, 1208, 1211, 41, 1215, 1216);
  TrackColumn(t, 136, "OFFSET", 1206, 1209, 1212, 42, 1217, 1218);
  c.push_back({ControlKind::Static, -1, "ITC", 4, 182, 14, 8, kLabel});
  c.push_back({ControlKind::Edit, 11515, "", 20, 180, 110, 12, kEdit});
  c.push_back({ControlKind::PushButton, 1353, "CENTER", 4, 196, 50, 12, kButton});
  c.push_back({ControlKind::CheckBox, 1350, "FIX", 60, 196, 30, 12, kCheck});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 150, 196, 50, 12, kButton});
  return t;
}

// 1203: SIM AMP/FREQ/PHASE/DAMPING/CHIRP.
DialogTemplate SimSine() {
  DialogTemplate t;
  t.id = 1203;
  t.caption = "SIM AMP/FREQ/PHASE/DAMPING/CHIRP";
  t.cx = 404;
  t.cy = 214;
  t.style = kPopup;
  auto& c = t.controls;
  Caption(t, 4, 4);
  c.push_back({ControlKind::CheckBox, 1250, "OFS", 32, 4, 30, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 1252, "REL", 64, 4, 30, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 1251, "FFT", 96, 4, 30, 10, kCheck});
  c.push_back({ControlKind::Static, -1, "TERM", 130, 4, 22, 8, kLabel});
  c.push_back({ControlKind::ListBox, 1255, "", 154, 2, 24, 12, kOneRow});
  TrackColumn(t, 4, "AMP", 1220, 1226, 1232, 40, 1238, 1239);
  TrackColumn(t, 70, "PERIOD", 1221, 1227, 1233, 41, 1240, 1241);
  TrackColumn(t, 136, "PER END", 1222, 1228, 1234, 42, 1242, 1243);
  TrackColumn(t, 202, "PHASE", 1223, 1229, 1235, 43, 1244, 1245);
  TrackColumn(t, 268, "DAMPING", 1224, 1230, 1236, 44, 1246, 1247);
  TrackColumn(t, 334, "CHIRP T", 1225, 1231, 1237, 45, 1248, 1249);
  c.push_back({ControlKind::PushButton, 1353, "CENTER", 4, 196, 50, 12, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 348, 196, 50, 12, kButton});
  return t;
}

// 1280: CHEBYSHEV & POWER NORM PRMS.
DialogTemplate SimChebyshev() {
  DialogTemplate t;
  t.id = 1280;
  t.caption = "CHEBYSHEV & POWER NORM PRMS";
  t.cx = 250;
  t.cy = 260;
  t.style = kPopup;
  auto& c = t.controls;
  Caption(t, 4, 4);
  c.push_back({ControlKind::Static, -1, "EXP CHN", 32, 4, 34, 8, kLabel});
  c.push_back({ControlKind::ListBox, 11503, "", 68, 2, 30, 12, kOneRow});
  TrackColumn(t, 4, "RATE (MHz/us)", 1289, 1291, 1293, 43, 1285, 1286);
  TrackColumn(t, 70, "DELAY (us)", 1290, 1292, 1294, 44, 1287, 1288);
  c.push_back({ControlKind::CheckBox, 1281, "CHEBYSHEV", 140, 18, 60, 10, kCheck});
  c.push_back({ControlKind::Static, -1, "ORDER", 140, 34, 40, 8, kLabel});
  c.push_back({ControlKind::Edit, 1282, "", 184, 32, 40, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "SECTIONS", 140, 50, 40, 8, kLabel});
  c.push_back({ControlKind::Edit, 1283, "", 184, 48, 40, 12, kEdit});
  c.push_back({ControlKind::CheckBox, 1295, "STAT", 140, 66, 40, 10, kCheck});
  c.push_back({ControlKind::Static, -1, "NRM FLNM", 140, 82, 40, 8, kLabel});
  c.push_back({ControlKind::Edit, 1296, "", 140, 92, 104, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "NRM FACTOR", 140, 108, 50, 8, kLabel});
  c.push_back({ControlKind::Edit, 1297, "", 140, 118, 104, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "ITC", 4, 182, 14, 8, kLabel});
  c.push_back({ControlKind::Edit, 11515, "", 20, 180, 110, 12, kEdit});
  c.push_back({ControlKind::PushButton, 1353, "CENTER", 4, 196, 50, 12, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 194, 240, 50, 14, kButton});
  return t;
}

// 1300: SIM LINESHAPE.
DialogTemplate SimLineshape() {
  DialogTemplate t;
  t.id = 1300;
  t.caption = "SIM LINESHAPE";
  t.cx = 150;
  t.cy = 230;
  t.style = kPopup;
  auto& c = t.controls;
  Caption(t, 4, 4);
  c.push_back({ControlKind::CheckBox, 1311, "NORM", 32, 4, 34, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 1312, "IA|PK", 68, 4, 34, 10, kCheck});
  TrackColumn(t, 4, "GAU", 1304, 1303, 1301, 40, 1308, 1307);
  TrackColumn(t, 76, "LOR", 1306, 1305, 1302, 41, 1310, 1309);
  c.push_back({ControlKind::Edit, 1313, "", 4, 180, 90, 12, kReadOnly});
  c.push_back({ControlKind::PushButton, 1353, "CENTER", 4, 196, 50, 12, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 94, 212, 50, 14, kButton});
  return t;
}

// 1000: SIM HITRAN: the gas sample of the set (temperature, partial and total
// pressure in the unit of the TORR check, path length), the factor of zero self widths,
// the upper line frequency with the check that switches it, transmission and the
// pressure scan.
DialogTemplate SimHitran() {
  DialogTemplate t;
  t.id = 1000;
  t.caption = "SIM HITRAN";
  t.cx = 200;
  t.cy = 156;
  t.style = kPopup;
  auto& c = t.controls;
  Caption(t, 4, 4);
  c.push_back({ControlKind::Static, 1001, "", 32, 4, 160, 10, kLabel});
  const struct {
    int id;
    const char* label;
    int unit;
  } rows[4] = {{1003, "TEMP (K)", -1}, {1004, "P SELF", 1008}, {1005, "P TOTAL", 1009}, {1006, "PATH (M)", -1}};
  for (int k = 0; k < 4; ++k) {
    const int16_t y = I16(20 + 16 * k);
    c.push_back({ControlKind::Static, -1, rows[k].label, 4, I16(y + 2), 44, 8, kLabel});
    if (rows[k].unit > 0) c.push_back({ControlKind::Static, rows[k].unit, "", 48, I16(y + 2), 30, 8, kLabel});
    c.push_back({ControlKind::Edit, rows[k].id, "", 80, y, 80, 12, kEdit});
  }
  c.push_back({ControlKind::CheckBox, 1007, "TORR", 164, 38, 32, 10, kCheck});
  c.push_back({ControlKind::Static, -1, "SELFx", 4, 86, 44, 8, kLabel});
  c.push_back({ControlKind::Edit, 1010, "", 80, 84, 80, 12, kEdit});
  c.push_back({ControlKind::CheckBox, 1012, "HI CUT", 4, 102, 44, 10, kCheck});
  c.push_back({ControlKind::Edit, 1011, "", 80, 100, 80, 12, kEdit});
  c.push_back({ControlKind::CheckBox, 1013, "TRANSMISSION", 4, 118, 74, 10, kCheck});
  c.push_back({ControlKind::PushButton, 1002, "P SCAN", 4, 136, 50, 14, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 144, 136, 50, 14, kButton});
  return t;
}

// 800: JKK QN DIALOG (band column, CALC) and 801: JKK F/M QN DIALOG (F' and F''
// columns): five rows of the QN list beside a scroll bar.
DialogTemplate JkkQN(bool fm) {
  DialogTemplate t;
  t.id = fm ? 801 : 800;
  t.caption = fm ? "JKK F/M QN DIALOG" : "JKK QN DIALOG";
  t.cx = 420;
  t.cy = 118;
  t.style = kPopup;
  auto& c = t.controls;
  Caption(t, 4, 4);
  const char* heads[] = {"J'", "Ka'", "Kc'", "J\"", "Ka\"", "Kc\""};
  int x = 18;
  if (!fm) c.push_back({ControlKind::Static, -1, "BAND", I16(x), 18, 20, 8, kLabel});
  const int qx = fm ? 18 : 40;
  for (int k = 0; k < 6; ++k) c.push_back({ControlKind::Static, -1, heads[k], I16(qx + 18 * k), 18, 16, 8, kLabel});
  x = qx + 108;
  if (fm) {
    c.push_back({ControlKind::Static, -1, "F'", I16(x), 18, 20, 8, kLabel});
    c.push_back({ControlKind::Static, -1, "F\"", I16(x + 22), 18, 20, 8, kLabel});
    x += 44;
  }
  c.push_back({ControlKind::CheckBox, 8167, "SIM ITN", I16(x), 18, 50, 8, kCheck});
  c.push_back({ControlKind::Static, -1, "SIM FREQ", I16(x + 52), 18, 60, 8, kLabel});
  c.push_back({ControlKind::CheckBox, 8168, "EXPT FREQ", I16(x + 114), 18, 60, 8, kCheck});
  c.push_back({ControlKind::Static, -1, "EXPT UNC", I16(x + 176), 18, 40, 8, kLabel});
  for (int r = 0; r < 5; ++r) {
    const int16_t y = I16(28 + 14 * r);
    c.push_back({ControlKind::RadioButton, 810 + r, "", 4, y, 12, 12, BS_AUTORADIOBUTTON | WS_TABSTOP});
    if (!fm) c.push_back({ControlKind::Edit, 815 + r, "", 18, y, 20, 12, kEdit});
    for (int k = 0; k < 6; ++k) c.push_back({ControlKind::Edit, 820 + 6 * r + k, "", I16(qx + 18 * k), y, 16, 12, kEdit});
    if (fm)
      for (int k = 0; k < 2; ++k) c.push_back({ControlKind::Edit, 850 + 2 * r + k, "", I16(qx + 108 + 22 * k), y, 20, 12, kEdit});
    c.push_back({ControlKind::Edit, 860 + r, "", I16(x), y, 50, 12, kEdit});
    c.push_back({ControlKind::Edit, 870 + r, "", I16(x + 52), y, 60, 12, kEdit});
    c.push_back({ControlKind::Edit, 880 + r, "", I16(x + 114), y, 60, 12, kEdit});
    c.push_back({ControlKind::Edit, 890 + r, "", I16(x + 176), y, 40, 12, kEdit});
  }
  c.push_back({ControlKind::ScrollBar, 20, "", I16(x + 220), 28, 10, 68, SBS_VERT});
  const int16_t y = 100;
  c.push_back({ControlKind::Static, -1, "UNC", 4, y, 16, 8, kLabel});
  c.push_back({ControlKind::Edit, 8169, "", 22, I16(y - 2), 40, 12, kEdit});
  c.push_back({ControlKind::CheckBox, 8164, "AUTO CTR", 66, y, 44, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 8170, "ASN LIST", 112, y, 44, 10, kCheck});
  c.push_back({ControlKind::CheckBox, 746, "CD", 158, y, 24, 10, kCheck});
  c.push_back({ControlKind::PushButton, 895, "CALL", 186, I16(y - 2), 36, 12, kButton});
  c.push_back({ControlKind::PushButton, 896, "ASSIGN", 226, I16(y - 2), 40, 12, kButton});
  c.push_back({ControlKind::PushButton, 897, "CLEAR", 270, I16(y - 2), 36, 12, kButton});
  if (!fm) c.push_back({ControlKind::PushButton, 8153, "CALC", 310, I16(y - 2), 36, 12, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 366, I16(y - 2), 50, 12, kButton});
  return t;
}

// 802: JKK FILTER DIALOG (the two match lists are one row high).
DialogTemplate JkkFilter() {
  DialogTemplate t;
  t.id = 802;
  t.caption = "JKK FILTER DIALOG";
  t.cx = 200;
  t.cy = 64;
  t.style = kPopup;
  auto& c = t.controls;
  Caption(t, 4, 4);
  c.push_back({ControlKind::Static, -1, "JKK QN MATCH", 4, 18, 60, 8, kLabel});
  c.push_back({ControlKind::ListBox, 780, "", 4, 28, 50, 12, kOneRow});
  c.push_back({ControlKind::Static, -1, "JKK VALUE", 68, 18, 60, 8, kLabel});
  c.push_back({ControlKind::Edit, 782, "", 68, 28, 50, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "BRANCH MATCH", 132, 18, 60, 8, kLabel});
  c.push_back({ControlKind::ListBox, 781, "", 132, 28, 50, 12, kOneRow});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 144, 46, 50, 14, kButton});
  return t;
}

// 744: COMBINATION DIFFERENCES DIALOG and 745, its F/M form (F' and F'' columns, only
// ASSIGN and CLEAR): five rows of the combined list beside a scroll bar.
DialogTemplate CombDiff(bool fm) {
  DialogTemplate t;
  t.id = fm ? 745 : 744;
  t.caption = fm ? "F/M COMBINATION DIFFERENCES DIALOG" : "COMBINATION DIFFERENCES DIALOG";
  t.cx = 300;
  t.cy = 118;
  t.style = kPopup;
  auto& c = t.controls;
  Caption(t, 4, 4);
  const char* heads[] = {"J'", "Ka'", "Kc'", "J\"", "Ka\"", "Kc\""};
  for (int k = 0; k < 6; ++k) c.push_back({ControlKind::Static, -1, heads[k], I16(18 + 18 * k), 18, 16, 8, kLabel});
  int x = 126;
  if (fm) {
    c.push_back({ControlKind::Static, -1, "F'", I16(x), 18, 20, 8, kLabel});
    c.push_back({ControlKind::Static, -1, "F\"", I16(x + 22), 18, 20, 8, kLabel});
    x += 44;
  }
  c.push_back({ControlKind::Static, -1, "SIM ITN", I16(x), 18, 50, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "OMC", I16(x + 52), 18, 50, 8, kLabel});
  for (int r = 0; r < 5; ++r) {
    const int16_t y = I16(28 + 14 * r);
    c.push_back({ControlKind::RadioButton, 810 + r, "", 4, y, 12, 12, BS_AUTORADIOBUTTON | WS_TABSTOP});
    for (int k = 0; k < 6; ++k) c.push_back({ControlKind::Edit, 820 + 6 * r + k, "", I16(18 + 18 * k), y, 16, 12, kReadOnly});
    if (fm)
      for (int k = 0; k < 2; ++k) c.push_back({ControlKind::Edit, 850 + 2 * r + k, "", I16(126 + 22 * k), y, 20, 12, kReadOnly});
    c.push_back({ControlKind::Edit, 860 + r, "", I16(x), y, 50, 12, kReadOnly});
    c.push_back({ControlKind::Edit, 880 + r, "", I16(x + 52), y, 50, 12, kReadOnly});
  }
  c.push_back({ControlKind::ScrollBar, 20, "", I16(x + 106), 28, 10, 68, SBS_VERT});
  const int16_t y = 100;
  if (!fm) {
    c.push_back({ControlKind::CheckBox, 747, "LS", 4, y, 24, 10, kCheck});
    c.push_back({ControlKind::CheckBox, 748, "US", 30, y, 24, 10, kCheck});
    c.push_back({ControlKind::CheckBox, 749, "LOOP", 56, y, 32, 10, kCheck});
    c.push_back({ControlKind::CheckBox, 778, "FIX", 90, y, 26, 10, kCheck});
    c.push_back({ControlKind::PushButton, 898, "ALL", 118, I16(y - 2), 28, 12, kButton});
  }
  c.push_back({ControlKind::PushButton, 896, "ASSIGN", 150, I16(y - 2), 40, 12, kButton});
  c.push_back({ControlKind::PushButton, 897, "CLEAR", 194, I16(y - 2), 36, 12, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", I16(t.cx - 54), I16(y - 2), 50, 12, kButton});
  return t;
}

// 8002: QUADRUPOLE QN DIALOG: five rows of the selected line's hyperfine components.
DialogTemplate QuadQN() {
  DialogTemplate t;
  t.id = 8002;
  t.caption = "QUADRUPOLE QN DIALOG";
  t.cx = 332;
  t.cy = 132;
  t.style = kPopup;
  auto& c = t.controls;
  Caption(t, 4, 4);
  c.push_back({ControlKind::Static, -1, "SEL", 30, 4, 16, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "(U) QN (L)", 18, 18, 44, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "SIM ITN", 64, 18, 50, 8, kLabel});
  c.push_back({ControlKind::Static, -1, "SIM FREQ", 116, 18, 60, 8, kLabel});
  c.push_back({ControlKind::CheckBox, 8168, "EXPT FREQ", 178, 18, 60, 8, kCheck});
  c.push_back({ControlKind::Static, -1, "EXPT UNC", 240, 18, 40, 8, kLabel});
  for (int r = 0; r < 5; ++r) {
    const int16_t y = I16(28 + 14 * r);
    c.push_back({ControlKind::RadioButton, 810 + r, "", 4, y, 12, 12, BS_AUTORADIOBUTTON | WS_TABSTOP});
    c.push_back({ControlKind::Edit, 820 + 2 * r, "", 18, y, 22, 12, kReadOnly});
    c.push_back({ControlKind::Edit, 821 + 2 * r, "", 40, y, 22, 12, kReadOnly});
    c.push_back({ControlKind::Edit, 860 + r, "", 64, y, 50, 12, kReadOnly});
    c.push_back({ControlKind::Edit, 870 + r, "", 116, y, 60, 12, kReadOnly});
    c.push_back({ControlKind::Edit, 880 + r, "", 178, y, 60, 12, kEdit});
    c.push_back({ControlKind::Edit, 890 + r, "", 240, y, 40, 12, kEdit});
  }
  c.push_back({ControlKind::ScrollBar, 20, "", 284, 28, 10, 68, SBS_VERT});
  const int16_t y = 100;
  c.push_back({ControlKind::Static, -1, "ITN CUT", 4, y, 28, 8, kLabel});
  c.push_back({ControlKind::Edit, 865, "", 34, I16(y - 2), 40, 12, kReadOnly});
  c.push_back({ControlKind::CheckBox, 8813, "2ND ORDER", 78, y, 46, 10, kCheck});
  c.push_back({ControlKind::Static, -1, "WIN", 126, y, 16, 8, kLabel});
  c.push_back({ControlKind::Edit, 8824, "", 144, I16(y - 2), 30, 12, kEdit});
  c.push_back({ControlKind::Static, -1, "UNC", 178, y, 16, 8, kLabel});
  c.push_back({ControlKind::Edit, 8169, "", 196, I16(y - 2), 36, 12, kEdit});
  c.push_back({ControlKind::PushButton, 895, "CALL", 236, I16(y - 2), 28, 12, kButton});
  c.push_back({ControlKind::PushButton, 896, "ASSIGN", 266, I16(y - 2), 32, 12, kButton});
  c.push_back({ControlKind::PushButton, 897, "CLEAR", 300, I16(y - 2), 28, 12, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 278, I16(y + 14), 50, 12, kButton});
  return t;
}

}  // namespace

void RegisterSimDialogResources() {
  platform::RegisterDialogTemplate(SimControl());
  platform::RegisterDialogTemplate(Residuals());
  platform::RegisterDialogTemplate(SimScaleOffset());
  platform::RegisterDialogTemplate(SimSine());
  platform::RegisterDialogTemplate(SimChebyshev());
  platform::RegisterDialogTemplate(SimLineshape());
  platform::RegisterDialogTemplate(SimHitran());
  platform::RegisterDialogTemplate(JkkQN(false));
  platform::RegisterDialogTemplate(JkkQN(true));
  platform::RegisterDialogTemplate(JkkFilter());
  platform::RegisterDialogTemplate(CombDiff(false));
  platform::RegisterDialogTemplate(CombDiff(true));
  platform::RegisterDialogTemplate(QuadQN());
  RegisterRotorDialogResources();
  RegisterFitDialogResources();
}
