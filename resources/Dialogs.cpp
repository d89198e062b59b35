#include "resources/Dialogs.h"

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

}  // namespace

void RegisterDialogResources() {
  platform::RegisterDialogTemplate(RigidRotorOptions());
  platform::RegisterDialogTemplate(OkCancelDialog(20001, "GENETIC ALGORITHM OPTIONS DIALOG"));
  platform::RegisterDialogTemplate(OkCancelDialog(30000, "FULTON-GOUTERMAN EXCITON MODE OPTIONS DIALOG"));
  platform::RegisterDialogTemplate(MessageWindow());
  platform::RegisterDialogTemplate(TextInput());
}
