// Dialog templates of the fits: the Voigt fit 1401, the VOIGT+ fit 1402 (the Voigt
// fit's controls and the two line-calculation switches) and the ring-down fit 1406
// with its cavity-mode switches.
#include "platform/windows/Controls.h"
#include "platform/windows/DialogTemplate.h"
#include "platform/windows/Window.h"
#include "resources/Dialogs.h"

using platform::ControlKind;
using platform::DialogTemplate;

namespace {

constexpr DWORD kPopup = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;

int16_t I16(int v) { return static_cast<int16_t>(v); }

// A labelled edit at row y.
void Field(DialogTemplate& t, int id, const char* label, int y) {
  t.controls.push_back({ControlKind::Static, -1, label, 4, I16(y + 2), 64, 8, SS_LEFT});
  t.controls.push_back({ControlKind::Edit, id, "", 70, I16(y), 126, 12, kEdit});
}

void CheckBox(DialogTemplate& t, int id, const char* label, int x, int y) {
  t.controls.push_back({ControlKind::CheckBox, id, label, I16(x), I16(y), 92, 10, kCheck});
}

// The controls both Voigt dialogs share; the height used so far.
int VoigtCommon(DialogTemplate& t) {
  using namespace fit_ids;
  t.controls.push_back({ControlKind::Static, 60, "", 4, 4, 24, 10, SS_LEFT | WS_BORDER});
  Field(t, kLnBeg, "FIRST LINE", 18);
  Field(t, kLnEnd, "LAST LINE", 32);
  Field(t, kPtBeg, "FIRST POINT", 46);
  Field(t, kPtEnd, "END POINT", 60);
  Field(t, kFile, "DATA FILE", 74);
  Field(t, kShift, "FRQ SHIFT", 88);
  Field(t, kCycles, "MAX CYCLES", 102);
  CheckBox(t, kSeq, "SEQ FIT", 4, 118);
  CheckBox(t, kRecalc, "LINE RECALC", 100, 118);
  return 132;
}

void Bottom(DialogTemplate& t, int y) {
  using namespace fit_ids;
  t.controls.push_back({ControlKind::Static, kResult, "", 4, I16(y), 192, 20, SS_LEFT});
  t.controls.push_back({ControlKind::PushButton, kRun, "RUN", 4, I16(y + 24), 50, 12, kButton});
  t.controls.push_back({ControlKind::PushButton, kStop, "STOP", 60, I16(y + 24), 50, 12, kButton});
  t.controls.push_back({ControlKind::PushButton, 2, "CANCEL", 146, I16(y + 24), 50, 12, kButton});
  t.cy = I16(y + 40);
}

DialogTemplate Voigt(int id, const char* caption, bool plus) {
  DialogTemplate t;
  t.id = id;
  t.caption = caption;
  t.cx = 200;
  t.style = kPopup;
  int y = VoigtCommon(t);
  if (plus) {
    CheckBox(t, fit_ids::kHtCalc, "HT LN CALC", 4, y);
    CheckBox(t, fit_ids::kLnCalc, "LN CALC", 100, y);
    y += 14;
  }
  Bottom(t, y);
  return t;
}

DialogTemplate Ringdown() {
  using namespace fit_ids;
  DialogTemplate t;
  t.id = 1406;
  t.caption = "RINGDOWN FIT";
  t.cx = 200;
  t.style = kPopup;
  t.controls.push_back({ControlKind::Static, 60, "", 4, 4, 24, 10, SS_LEFT | WS_BORDER});
  Field(t, kPtBeg, "FIRST POINT", 18);
  Field(t, kPtEnd, "END POINT", 32);
  Field(t, kFile, "DATA FILE", 46);
  Field(t, kCycles, "MAX CYCLES", 60);
  Field(t, kCmA, "CM A", 74);
  Field(t, kCmB, "CM B", 88);
  CheckBox(t, kSeq, "SEQ FIT", 4, 104);
  CheckBox(t, kDisplay, "DISPLAY", 100, 104);
  CheckBox(t, kWinSel, "CHILD WINDOW", 4, 118);
  CheckBox(t, kCmPlot, "CAVITY MODES", 100, 118);
  CheckBox(t, kCmCurve1, "CM CURVE 2", 4, 132);
  CheckBox(t, kCmCurve2, "CM CURVE 3", 100, 132);
  Bottom(t, 146);
  return t;
}

}  // namespace

void RegisterFitDialogResources() {
  platform::RegisterDialogTemplate(Voigt(1401, "VOIGT FIT", false));
  platform::RegisterDialogTemplate(Voigt(1402, "VOIGT+ FIT", true));
  platform::RegisterDialogTemplate(Ringdown());
}
