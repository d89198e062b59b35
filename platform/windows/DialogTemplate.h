// Dialog templates as C++ tables: resources/ registers them by id at start-up and
// tests register their own. Positions and sizes are in dialog units (one horizontal
// unit is a quarter of the average character width, one vertical unit an eighth of
// the character height).
#pragma once

#include <string>
#include <vector>

#include "platform/kernel/WinTypes.h"

namespace platform {

enum class ControlKind {
  PushButton,   // BN_CLICKED to the dialog
  CheckBox,     // BS_AUTOCHECKBOX unless the style says otherwise
  RadioButton,  // BS_AUTORADIOBUTTON unless the style says otherwise
  GroupBox,     // a frame with a caption, no behaviour
  Edit,         // single-line edit
  Static,       // text; with an empty text and a frame style also a colour swatch
  ListBox,      // list box; one row high for a choice list
  ScrollBar,    // stand-alone scroll bar; SBS_VERT for a vertical one
  Trackbar,     // TBS_VERT for a vertical one
};

struct DialogControlTemplate {
  ControlKind kind = ControlKind::Static;
  int id = 0;
  std::string text;
  int16_t x = 0;
  int16_t y = 0;
  int16_t cx = 0;
  int16_t cy = 0;
  DWORD style = 0;  // control styles (ES_READONLY, BS_AUTOCHECKBOX, WS_GROUP, LBS_NOTIFY, TBS_VERT, ...)
};

struct DialogTemplate {
  int id = 0;
  std::string caption;
  int16_t x = 0;
  int16_t y = 0;
  int16_t cx = 0;
  int16_t cy = 0;
  DWORD style = 0;  // window styles of the dialog
  std::vector<DialogControlTemplate> controls;
};

// Registers (or replaces) the template under its id.
void RegisterDialogTemplate(const DialogTemplate& dialogTemplate);
// Removes every registered template (tests).
void ClearDialogTemplates();
bool HasDialogTemplate(int id);

// Dialog units to pixels.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

}  // namespace platform
