// Dialog templates of the fits: the Voigt fit 1401, the VOIGT+ fit 1402 (the Voigt
// fit's controls and the two line-calculation switches) and the ring-down fit 1406
// with its cavity-mode switches.
#include "platform/windows/Controls.h"
#include "platform/windows/DialogTemplate.h"
#include "platform/windows/Window.h"
#include "resources/DialogStyles.h"
#include "resources/Dialogs.h"

using platform::ControlKind;
using platform::DialogTemplate;
using namespace dialog_styles;

namespace {


// A labelled edit at row y.
void Field(DialogTemplate& t, int id, const char* label, int y) {
  t.controls.push_back({ControlKind::Static, -1, label, 4, I16(y + 2), 64, 8, SS_LEFT});
  t.controls.push_back({ControlKind::Edit, id, "", 70, I16(y), 126, 12, kEdit});
}

struct FieldRow {
  int id;
  const char* label;
};

// Labelled edits one below the other from row y; the row after them.
template <size_t N>
int Fields(DialogTemplate& t, const FieldRow (&rows)[N], int y) {
  for (const FieldRow& r : rows) {
    Field(t, r.id, r.label, y);
    y += 14;
  }
  return y;
}

void CheckBox(DialogTemplate& t, int id, const char* label, int x, int y) {
  t.controls.push_back({ControlKind::CheckBox, id, label, I16(x), I16(y), 92, 10, kCheck});
}

// The controls both Voigt dialogs share; the height used so far.
int VoigtCommon(DialogTemplate& t) {
  using namespace fit_ids;
  t.controls.push_back({ControlKind::Static, 60, "", 4, 4, 24, 10, SS_LEFT | WS_BORDER});
  const FieldRow rows[] = {{kLnBeg, "FIRST LINE"}, {kLnEnd, "LAST LINE"}, {kPtBeg, "FIRST POINT"},
                           {kPtEnd, "END POINT"},  {kFile, "DATA FILE"},  {kShift, "FRQ SHIFT"},
                           {kCycles, "MAX CYCLES"}};
  const int y = Fields(t, rows, 18);
  CheckBox(t, kSeq, "SEQ FIT", 4, y + 2);
  CheckBox(t, kRecalc, "LINE RECALC", 100, y + 2);
  return y + 16;
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
  const FieldRow rows[] = {{kPtBeg, "FIRST POINT"}, {kPtEnd, "END POINT"}, {kFile, "DATA FILE"},
                           {kCycles, "MAX CYCLES"},  {kCmA, "CM A"},         {kCmB, "CM B"}};
  Fields(t, rows, 18);
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
