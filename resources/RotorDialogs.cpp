// Dialog templates of the rotor trackbar dialogs (rotational constants 203, Coriolis
// terms 204, cross terms 205, distortion constants 206, transition-dipole shares 207,
// temperatures 208) and of the quadrupole trackbar dialog (8001): one column per
// parameter with its high end, trackbar, low end, value and the x2 and /2 buttons;
// and the torsional-barrier dialog "V3 BARRIER" (4150).
#include "platform/windows/Controls.h"
#include "platform/windows/DialogTemplate.h"
#include "platform/windows/Window.h"
#include "resources/DialogStyles.h"
#include "resources/Dialogs.h"

using platform::ControlKind;
using platform::DialogTemplate;
using namespace dialog_styles;

namespace {

constexpr DWORD kTrackStyle = TBS_VERT | TBS_AUTOTICKS | WS_TABSTOP;

template <size_t N>
DialogTemplate Columns(int id, const char* caption, const char* const (&heads)[N]) {
  using namespace rotor_ids;
  constexpr int kColumn = 62;
  DialogTemplate t;
  t.id = id;
  t.caption = caption;
  t.cx = I16(8 + kColumn * static_cast<int>(N));
  t.cy = 200;
  t.style = kPopup;
  auto& c = t.controls;
  c.push_back({ControlKind::Static, 60, "", 4, 4, 24, 10, SS_LEFT | WS_BORDER});
  for (int i = 0; i < static_cast<int>(N); ++i) {
    const int x = 4 + kColumn * i;
    c.push_back({ControlKind::Static, -1, heads[i], I16(x), 18, 58, 8, SS_LEFT});
    c.push_back({ControlKind::Edit, kHigh + i, "", I16(x), 28, 58, 12, kEdit});
    c.push_back({ControlKind::Trackbar, kTrack + i, "", I16(x + 19), 42, 20, 90, kTrackStyle});
    c.push_back({ControlKind::Edit, kLow + i, "", I16(x), 134, 58, 12, kEdit});
    c.push_back({ControlKind::Edit, kValue + i, "", I16(x), 150, 58, 12, kEdit});
    c.push_back({ControlKind::PushButton, kX2 + i, "x2", I16(x), 166, 27, 12, kButton});
    c.push_back({ControlKind::PushButton, kHalf + i, "/2", I16(x + 31), 166, 27, 12, kButton});
  }
  c.push_back({ControlKind::PushButton, kCenter, "CENTER", 4, 182, 50, 12, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", I16(t.cx - 54), 182, 50, 12, kButton});
  return t;
}

constexpr const char* kAbc[] = {"A GND", "B GND", "C GND", "A EXC", "B EXC", "C EXC"};
constexpr const char* kCoriolis[] = {"Ga GND", "Gb GND", "Gc GND", "Ga EXC", "Gb EXC", "Gc EXC"};
constexpr const char* kCross[] = {"Fab GND", "Fbc GND", "Fac GND", "Fab EXC", "Fbc EXC", "Fac EXC"};
constexpr const char* kDist[] = {"DJ GND",  "DJK GND", "DK GND",  "dJ GND", "dK GND",
                                 "DJ EXC",  "DJK EXC", "DK EXC",  "dJ EXC", "dK EXC"};
constexpr const char* kTdm[] = {"a (%)", "b (%)", "c (%)"};
constexpr const char* kTemp[] = {"T1 (K)", "T2 (K)", "WT T2"};
constexpr const char* kQuad[] = {"GND 1", "GND 2", "GND 3", "EXC 1", "EXC 2", "EXC 3", "EXTRA"};

// The torsional-barrier dialog: frame choice, run and reset, the start values kept.
DialogTemplate Barrier() {
  using namespace barrier_ids;
  DialogTemplate t;
  t.id = 4150;
  t.caption = "V3 BARRIER";
  t.cx = 180;
  t.cy = 92;
  t.style = kPopup;
  auto& c = t.controls;
  c.push_back({ControlKind::Static, 60, "", 4, 4, 24, 10, SS_LEFT | WS_BORDER});
  c.push_back({ControlKind::RadioButton, kPam, "PAM", 8, 20, 60, 10, BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP});
  c.push_back({ControlKind::RadioButton, kRam, "RAM", 8, 34, 60, 10, BS_AUTORADIOBUTTON | WS_TABSTOP});
  c.push_back({ControlKind::Static, kState, "", 76, 20, 100, 24, SS_LEFT});
  c.push_back({ControlKind::PushButton, kRun, "RUN", 4, 74, 50, 12, kButton});
  c.push_back({ControlKind::PushButton, kReset, "RESET", 62, 74, 50, 12, kButton});
  c.push_back({ControlKind::PushButton, 2, "CANCEL", 126, 74, 50, 12, kButton});
  return t;
}

}  // namespace

void RegisterRotorDialogResources() {
  platform::RegisterDialogTemplate(Columns(203, "ROTATIONAL CONSTANTS TRACKBARS", kAbc));
  platform::RegisterDialogTemplate(Columns(204, "CORIOLIS TRACKBARS", kCoriolis));
  platform::RegisterDialogTemplate(Columns(205, "CROSS TERM TRACKBARS", kCross));
  platform::RegisterDialogTemplate(Columns(206, "DISTORTION CONSTANTS TRACKBARS", kDist));
  platform::RegisterDialogTemplate(Columns(207, "TDM/DIPOLE TRACKBARS", kTdm));
  platform::RegisterDialogTemplate(Columns(208, "TEMPERATURE TRACKBARS", kTemp));
  platform::RegisterDialogTemplate(Columns(8001, "QUADRUPOLE TRACKBARS", kQuad));
  platform::RegisterDialogTemplate(Barrier());
}
