// The program's menus: the main menu "MainMenu" and the right-click menu 10010.
#pragma once

inline constexpr const char* MAIN_MENU_NAME = "MainMenu";
constexpr int IDM_RIGHT_CLICK = 10010;

// Main menu commands.
constexpr int IDM_TOGGLE_PATH = 90;
constexpr int IDM_OPEN = 91;
constexpr int IDM_PRINT = 92;
constexpr int IDM_SAVE = 93;
constexpr int IDM_UPDATE_SAVE = 94;
constexpr int IDM_EXIT = 95;
constexpr int IDM_UPDATE_EXIT = 96;
constexpr int IDM_DEBUG_FILE = 97;
constexpr int IDM_DEBUG_MSG = 98;
constexpr int IDM_ANALYSIS = 100;
constexpr int IDM_ASCII_OUTPUT = 101;
constexpr int IDM_ASCII_INPUT = 102;
constexpr int IDM_CONVERSION = 103;
constexpr int IDM_AOM_CAL = 104;
constexpr int IDM_CAL_NORM_LIN = 106;
constexpr int IDM_ROT_CALC = 107;
constexpr int IDM_VIB_CALC = 113;
constexpr int IDM_SPECIAL_INPUT = 115;
constexpr int IDM_GENETIC = 116;
constexpr int IDM_ABOUT = 130;

// Right-click menu commands.
constexpr int IDM_SCALAR_OFFSET_DLG = 10017;
constexpr int IDM_SIM_CONTROL_DLG = 10019;
constexpr int IDM_CURSOR_INFO_DLG = 10020;
constexpr int IDM_REPLACE_SECTION = 10021;
constexpr int IDM_ZERO_SECTION = 10022;
constexpr int IDM_ZERO_OFFSET = 10023;

// Registers both menu templates with the window system (idempotent).
void RegisterMenuResources();
