#include "resources/Menus.h"

#include "platform/windows/Menu.h"

using platform::MenuItemTemplate;
using platform::MenuTemplate;

namespace {

MenuItemTemplate Item(const char* text, UINT id) { return MenuItemTemplate{text, id, MF_STRING, {}}; }
MenuItemTemplate Separator() { return MenuItemTemplate{"", 0, MF_SEPARATOR, {}}; }
MenuItemTemplate Popup(const char* text, std::vector<MenuItemTemplate> items) {
  return MenuItemTemplate{text, 0, MF_POPUP, std::move(items)};
}

MenuTemplate MainMenu() {
  MenuTemplate t;
  t.name = MAIN_MENU_NAME;
  t.items = {
      Popup("&File", {Item("&TogglePath", IDM_TOGGLE_PATH), Item("&Open", IDM_OPEN), Separator(),
                      Item("Ascii &Input", IDM_ASCII_INPUT), Item("&Ascii Output", IDM_ASCII_OUTPUT),
                      Item("&Special Input", IDM_SPECIAL_INPUT), Separator(), Item("&Print", IDM_PRINT),
                      Separator(), Item("&Save", IDM_SAVE), Item("Update+&Save", IDM_UPDATE_SAVE),
                      Item("E&xit", IDM_EXIT), Item("&Update+Exit", IDM_UPDATE_EXIT)}),
      Item("&Analysis", IDM_ANALYSIS),
      Item("&RotCalc", IDM_ROT_CALC),
      Item("&VibCalc", IDM_VIB_CALC),
      Item("&Genetic Algorithms", IDM_GENETIC),
      Popup("&Manipulation", {Item("&Cal/Norm/Linear", IDM_CAL_NORM_LIN), Item("&Conversion", IDM_CONVERSION),
                              Item("&AOM Calibration", IDM_AOM_CAL)}),
      Popup("&Help", {Item("&About", IDM_ABOUT), Item("&Debug to File", IDM_DEBUG_FILE),
                      Item("&Debug to Message", IDM_DEBUG_MSG)}),
  };
  return t;
}

MenuTemplate RightClickMenu() {
  MenuTemplate t;
  t.id = IDM_RIGHT_CLICK;
  t.items = {
      Popup("RIGHT CLICK",
            {Item("&Dsp Scalar/Offset Dialog", IDM_SCALAR_OFFSET_DLG), Separator(),
             Item("Sim &Control Dialog", IDM_SIM_CONTROL_DLG), Separator(),
             Item("&Cursor Info Dialog", IDM_CURSOR_INFO_DLG), Separator(), Item("&Zero File Section", IDM_ZERO_SECTION),
             Item("&Replace File Section", IDM_REPLACE_SECTION), Item("Zero &Offset File", IDM_ZERO_OFFSET)}),
  };
  return t;
}

}  // namespace

void RegisterMenuResources() {
  platform::RegisterMenuTemplate(MainMenu());
  platform::RegisterMenuTemplate(RightClickMenu());
}
