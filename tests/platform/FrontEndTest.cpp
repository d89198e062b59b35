// The display-free parts of the visible front end: key mapping, caret editing,
// menu tracking, the front end's own dialogs, and the window-system behaviour that
// real input relies on (keys in edits, Tab between controls, trackbar dragging).
#include <gtest/gtest.h>

#include <SDL2/SDL_keycode.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/windows/Dialog.h"
#include "platform/frontend/FrontEndLogic.h"
#include "platform/gdi/PaintTools.h"
#include "platform/kernel/Sync.h"
#include "platform/driver/TestDriver.h"
#include "platform/windows/WindowInternal.h"
#include "tests/support/TempDir.h"

namespace {

namespace fe = platform::frontend;
namespace drv = platform::driver;
using Result = fe::MenuTracker::Result;

TEST(FrontEndKeys, MapsKeysAndTellsWhichTypeText) {
  EXPECT_EQ(fe::VirtualKeyOf(SDLK_a), 'A');
  EXPECT_EQ(fe::VirtualKeyOf(SDLK_z), 'Z');
  EXPECT_EQ(fe::VirtualKeyOf(SDLK_7), '7');
  EXPECT_EQ(fe::VirtualKeyOf(SDLK_F4), VK_F1 + 3);
  EXPECT_EQ(fe::VirtualKeyOf(SDLK_KP_ENTER), VK_RETURN);
  EXPECT_EQ(fe::VirtualKeyOf(SDLK_LEFT), VK_LEFT);
  EXPECT_EQ(fe::VirtualKeyOf(SDLK_DELETE), VK_DELETE);
  EXPECT_EQ(fe::VirtualKeyOf(SDLK_RALT), VK_MENU);
  EXPECT_EQ(fe::VirtualKeyOf(SDLK_CAPSLOCK), 0);
  EXPECT_TRUE(fe::KeyTypesText('Q', false));
  EXPECT_FALSE(fe::KeyTypesText('Q', true));  // Ctrl+Q is a control character
  EXPECT_FALSE(fe::KeyTypesText(VK_RETURN, false));
  EXPECT_EQ(fe::MnemonicOf("&File"), 'F');
  EXPECT_EQ(fe::MnemonicOf("Save &as..."), 'A');
  EXPECT_EQ(fe::MnemonicOf("R&&D &x"), 'X');
  EXPECT_EQ(fe::MnemonicOf("Plain"), 0);
}

TEST(FrontEndKeys, TypedKeysLeaveTheirCharacterToTheFrontEnd) {
  // A key marked as typed by the front end yields only control characters.
  MSG key;
  key.message = WM_KEYDOWN;
  key.hwnd = nullptr;
  key.wParam = 'A';
  key.lParam = 1 | platform::detail::kTypedKeyFlag;
  EXPECT_FALSE(TranslateMessage(&key));
  key.wParam = VK_SPACE;
  EXPECT_FALSE(TranslateMessage(&key));
}

// A modeless dialog and what it owns are raised after their owner, so they stay above
// it; windows of no relation stay where they are, and a cycle of owners ends.
TEST(FrontEndStacking, OwnedWindowsFollowTheirOwner) {
  auto h = [](uintptr_t v) { return reinterpret_cast<HWND>(v); };
  const std::vector<std::pair<HWND, HWND>> owners = {
      {h(1), nullptr}, {h(2), h(1)}, {h(3), h(1)}, {h(4), h(2)}, {h(5), nullptr}, {h(6), h(7)}, {h(7), h(6)}};
  EXPECT_EQ(platform::frontend::RaiseOrder(h(1), owners), (std::vector<HWND>{h(1), h(2), h(4), h(3)}));
  EXPECT_EQ(platform::frontend::RaiseOrder(h(5), owners), (std::vector<HWND>{h(5)}));
  EXPECT_EQ(platform::frontend::RaiseOrder(h(6), owners), (std::vector<HWND>{h(6), h(7)}));
}

TEST(EditLineTest, CaretMovesByCharactersAndShiftSelects) {
  platform::EditLine line;
  line.text = "a\xC3\xA9z";  // a, e-acute (two bytes), z
  line.caret = line.anchor = 4;
  platform::EditApplyKey(line, platform::EditKey::Left, false);
  EXPECT_EQ(line.caret, 3);
  platform::EditApplyKey(line, platform::EditKey::Left, false);
  EXPECT_EQ(line.caret, 1);  // over both bytes of the accented letter
  platform::EditApplyKey(line, platform::EditKey::End, true);
  EXPECT_EQ(line.anchor, 1);
  EXPECT_EQ(line.caret, 4);
  EXPECT_TRUE(platform::EditInsert(line, "b"));
  EXPECT_EQ(line.text, "ab");
  platform::EditApplyKey(line, platform::EditKey::Home, false);
  EXPECT_FALSE(platform::EditApplyKey(line, platform::EditKey::Backspace, false));
  EXPECT_TRUE(platform::EditApplyKey(line, platform::EditKey::Delete, false));
  EXPECT_EQ(line.text, "b");
  // A caret placed inside a character moves back to its start; the limit holds.
  line.text = "\xC3\xA9";
  platform::EditPlaceCaret(line, 1, false);
  EXPECT_EQ(line.caret, 0);
  line.limit = 3;
  EXPECT_FALSE(platform::EditInsert(line, "xy"));
  EXPECT_TRUE(platform::EditInsert(line, "x"));
  EXPECT_EQ(line.text, "x\xC3\xA9");
}

TEST(EditLineTest, OffsetAtPixelPicksTheNearestBoundary) {
  auto width = [](const std::string& prefix) { return static_cast<int>(prefix.size()) * 10; };
  EXPECT_EQ(platform::EditOffsetAt("abcd", -5, width), 0);
  EXPECT_EQ(platform::EditOffsetAt("abcd", 14, width), 1);
  EXPECT_EQ(platform::EditOffsetAt("abcd", 16, width), 2);
  EXPECT_EQ(platform::EditOffsetAt("abcd", 500, width), 4);
}

class MenuTrackerTest : public ::testing::Test {
 protected:
  static constexpr RECT kBounds{0, 0, 600, 400};
  void SetUp() override {
    bar_ = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, 11, "&Open...\tCtrl+O");
    AppendMenu(file, MF_SEPARATOR, 0, nullptr);
    AppendMenu(file, MF_STRING | MF_GRAYED, 12, "&Print");
    AppendMenu(file, MF_STRING, 13, "E&xit");
    HMENU more = CreatePopupMenu();
    AppendMenu(more, MF_STRING, 31, "&Deep");
    HMENU view = CreatePopupMenu();
    AppendMenu(view, MF_STRING, 21, "&Zoom");
    AppendMenu(view, MF_POPUP, reinterpret_cast<UINT_PTR>(more), "&More");
    AppendMenu(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenu(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
  }
  void TearDown() override { DestroyMenu(bar_); }
  HMENU bar_ = nullptr;
  fe::MenuTracker tracker_;
};

TEST_F(MenuTrackerTest, AltAndArrowsWalkTheBarAndChooseWithReturn) {
  tracker_.StartBar(bar_, 1, 21, kBounds, 0, false);  // Alt alone: the bar is lit
  EXPECT_TRUE(tracker_.Levels().empty());
  EXPECT_EQ(tracker_.Key(VK_RIGHT), Result::Handled);
  EXPECT_EQ(tracker_.BarIndex(), 1);
  EXPECT_EQ(tracker_.Key(VK_RIGHT), Result::Handled);  // wraps to File
  EXPECT_EQ(tracker_.BarIndex(), 0);
  EXPECT_EQ(tracker_.Key(VK_DOWN), Result::Handled);  // opens File at its first item
  ASSERT_EQ(tracker_.Levels().size(), 1u);
  EXPECT_EQ(tracker_.Levels()[0].highlight, 0);
  tracker_.Key(VK_DOWN);  // over the separator to the grayed item
  EXPECT_EQ(tracker_.Levels()[0].highlight, 2);
  EXPECT_EQ(tracker_.Key(VK_RETURN), Result::Handled);  // grayed: nothing chosen
  EXPECT_TRUE(tracker_.Active());
  tracker_.Key(VK_DOWN);
  EXPECT_EQ(tracker_.Key(VK_RETURN), Result::Chosen);
  EXPECT_EQ(tracker_.Chosen(), 13u);
  EXPECT_FALSE(tracker_.Active());
}

TEST_F(MenuTrackerTest, SubMenusOpenWithRightAndEscapeStepsBack) {
  tracker_.StartBar(bar_, 1, 21, kBounds, 0, false);
  EXPECT_EQ(tracker_.Key('V'), Result::Handled);  // mnemonic of View
  ASSERT_EQ(tracker_.Levels().size(), 1u);
  tracker_.Key(VK_DOWN);
  EXPECT_EQ(tracker_.Key(VK_RIGHT), Result::Handled);  // More opens its sub-menu
  ASSERT_EQ(tracker_.Levels().size(), 2u);
  EXPECT_EQ(tracker_.Key(VK_ESCAPE), Result::Handled);
  EXPECT_EQ(tracker_.Levels().size(), 1u);
  EXPECT_EQ(tracker_.Key(VK_LEFT), Result::Handled);  // to File, opened
  EXPECT_EQ(tracker_.BarIndex(), 0);
  ASSERT_EQ(tracker_.Levels().size(), 1u);
  EXPECT_EQ(tracker_.Key('X'), Result::Chosen);  // mnemonic inside the drop-down
  EXPECT_EQ(tracker_.Chosen(), 13u);
  tracker_.StartBar(bar_, 1, 21, kBounds, 0, false);
  EXPECT_EQ(tracker_.Key(VK_ESCAPE), Result::Closed);
}

TEST_F(MenuTrackerTest, MouseOpensTheBarAndAReleaseOverAnItemChooses) {
  auto items = platform::detail::MenuItems(bar_);
  int viewLeft = 1 + fe::MenuBarItemLeft(items, 1);
  EXPECT_EQ(fe::MenuBarItemAt(items, viewLeft - 1 + 3), 1);
  tracker_.StartBar(bar_, 1, 21, kBounds, 0, true);
  ASSERT_EQ(tracker_.Levels().size(), 1u);
  const auto& drop = tracker_.Levels()[0];
  EXPECT_EQ(drop.y, 41);
  // Over the bar the open drop-down follows the pointer.
  EXPECT_EQ(tracker_.MouseMove(viewLeft + 5, 30), Result::Handled);
  EXPECT_EQ(tracker_.BarIndex(), 1);
  const auto& view = tracker_.Levels()[0];
  int firstRow = view.y + 2 + 5;
  EXPECT_EQ(tracker_.MouseMove(view.x + 10, firstRow), Result::Handled);
  EXPECT_EQ(tracker_.MouseUp(view.x + 10, firstRow), Result::Chosen);
  EXPECT_EQ(tracker_.Chosen(), 21u);
  // A click outside closes the menu without a choice.
  tracker_.StartBar(bar_, 1, 21, kBounds, 0, true);
  EXPECT_EQ(tracker_.MouseDown(500, 300), Result::Closed);
}

TEST_F(MenuTrackerTest, ACommandOnTheBarIsChosenByClickReturnAndLetter) {
  AppendMenu(bar_, MF_STRING, 51, "&Analysis");
  AppendMenu(bar_, MF_STRING | MF_GRAYED, 52, "&Locked");
  auto items = platform::detail::MenuItems(bar_);
  int analysis = 1 + fe::MenuBarItemLeft(items, 2) + 5;
  int locked = 1 + fe::MenuBarItemLeft(items, 3) + 5;
  // Pressed and released over it.
  tracker_.StartBar(bar_, 1, 21, kBounds, 2, true);
  EXPECT_TRUE(tracker_.Levels().empty());
  EXPECT_EQ(tracker_.MouseUp(analysis, 30), Result::Chosen);
  EXPECT_EQ(tracker_.Chosen(), 51u);
  // Released elsewhere: nothing.
  tracker_.StartBar(bar_, 1, 21, kBounds, 2, true);
  EXPECT_EQ(tracker_.MouseUp(analysis, 200), Result::Handled);
  EXPECT_TRUE(tracker_.Active());
  // From a drop-down that is open, a click on the command.
  tracker_.StartBar(bar_, 1, 21, kBounds, 0, true);
  EXPECT_EQ(tracker_.MouseDown(analysis, 30), Result::Handled);
  EXPECT_EQ(tracker_.MouseUp(analysis, 30), Result::Chosen);
  // Alt, Right twice, Return; the letter; a grayed one is only lit.
  tracker_.StartBar(bar_, 1, 21, kBounds, 0, false);
  tracker_.Key(VK_RIGHT);
  tracker_.Key(VK_RIGHT);
  EXPECT_EQ(tracker_.Key(VK_RETURN), Result::Chosen);
  EXPECT_EQ(tracker_.Chosen(), 51u);
  tracker_.StartBar(bar_, 1, 21, kBounds, 0, false);
  EXPECT_EQ(tracker_.Key('A'), Result::Chosen);
  tracker_.StartBar(bar_, 1, 21, kBounds, 0, false);
  EXPECT_EQ(tracker_.Key('L'), Result::Handled);
  EXPECT_EQ(tracker_.BarIndex(), 3);
  EXPECT_EQ(tracker_.Key(VK_RETURN), Result::Handled);
  tracker_.StartBar(bar_, 1, 21, kBounds, 3, true);
  EXPECT_EQ(tracker_.MouseUp(locked, 30), Result::Handled);
  EXPECT_TRUE(tracker_.Active());
}

TEST_F(MenuTrackerTest, PopupIgnoresTheReleaseOfTheOpeningClickAndStaysInside) {
  HMENU popup = CreatePopupMenu();
  AppendMenu(popup, MF_STRING, 41, "&Left");
  AppendMenu(popup, MF_STRING | MF_CHECKED, 42, "&Right");
  tracker_.StartPopup(popup, 590, 395, kBounds);
  ASSERT_EQ(tracker_.Levels().size(), 1u);
  const auto& level = tracker_.Levels()[0];
  EXPECT_LE(level.x + level.width, 600);  // moved inside the window
  EXPECT_LE(level.y + level.height, 400);
  int row = level.y + 2 + 18 + 5;
  EXPECT_EQ(tracker_.MouseUp(level.x + 5, row), Result::Handled);  // the release that opened it
  EXPECT_EQ(tracker_.MouseDown(level.x + 5, row), Result::Handled);
  EXPECT_EQ(tracker_.MouseUp(level.x + 5, row), Result::Chosen);
  EXPECT_EQ(tracker_.Chosen(), 42u);
  DestroyMenu(popup);
}

// Dark pixels of an image surface inside a rectangle.
int Ink(cairo_surface_t* surface, RECT r) {
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  int count = 0;
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x) {
      const uint32_t pixel = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
      if ((pixel & 0xFF) < 128 && ((pixel >> 8) & 0xFF) < 128 && ((pixel >> 16) & 0xFF) < 128) ++count;
    }
  return count;
}

// The dark pixels of a text in the windows' font, drawn without any clip.
int InkOfText(const std::string& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  const int width = platform::detail::TextWidth(text) + 20;
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, 40);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HFONT font = CreateFont(platform::detail::kCharHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans Mono");
  HGDIOBJ oldFont = SelectObject(dc, font);
  platform::paint::Fill(dc, 0, 0, width, 40, platform::paint::kWhite);
  SetBkMode(dc, TRANSPARENT);
  TextOut(dc, 10, 10, text.c_str(), static_cast<int>(text.size()));
  const int ink = Ink(platform::SurfaceOfBitmap(bitmap), RECT{0, 0, width, 40});
  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return ink;
}

TEST(PanelTest, MessageBoxAnswersWithKeysAndEscapeOnlyWhereItMayCancel) {
  platform::BoxRequest request;
  request.caption = "Question";
  request.text = "Save the changes?";
  request.style = MB_YESNOCANCEL | MB_ICONQUESTION;
  auto box = fe::MakeBoxPanel(request);
  EXPECT_EQ(box->panel.title, "Question");
  // Right moves from Yes to No; Return presses the focused button.
  EXPECT_EQ(box->panel.Key(VK_RIGHT, false, false).kind, fe::PanelEvent::Kind::Redraw);
  auto event = box->panel.Key(VK_RETURN, false, false);
  EXPECT_TRUE(box->Handle(event));
  EXPECT_EQ(box->boxAnswer, IDNO);
  box = fe::MakeBoxPanel(request);
  EXPECT_TRUE(box->Handle(box->panel.Key(VK_ESCAPE, false, false)));
  EXPECT_EQ(box->boxAnswer, IDCANCEL);
  // The underlined letter of a button presses it; other letters do nothing.
  box = fe::MakeBoxPanel(request);
  EXPECT_FALSE(box->Handle(box->panel.Key('C', false, false)));
  EXPECT_TRUE(box->Handle(box->panel.Key('N', false, false)));
  EXPECT_EQ(box->boxAnswer, IDNO);
  request.style = MB_YESNO;
  box = fe::MakeBoxPanel(request);
  EXPECT_FALSE(box->Handle(box->panel.Key(VK_ESCAPE, false, false)));  // Yes/No has no way out
  box->Abandon();
  EXPECT_EQ(box->boxAnswer, IDNO);
  request.style = MB_OK;
  box = fe::MakeBoxPanel(request);
  EXPECT_TRUE(box->Handle(box->panel.Key(VK_ESCAPE, false, false)));
  EXPECT_EQ(box->boxAnswer, IDOK);
}

TEST(PanelTest, FileDialogBrowsesFoldersAndAnswersThePathTyped) {
  qvtest::TempDir dir;
  std::filesystem::create_directory(dir.File("sub"));
  std::ofstream(dir.File("a.dat")) << "x";
  std::ofstream(dir.File("b.txt")) << "x";
  std::ofstream(dir.File("sub/c.dat")) << "x";
  std::ofstream(dir.File(".hidden.dat")) << "x";
  EXPECT_EQ(fe::FolderEntries(dir.File("."), "*.dat"), (std::vector<std::string>{"../", "sub/", "a.dat"}));
  EXPECT_EQ(fe::FolderEntries(dir.File("."), "*.dat; *.TXT"),
            (std::vector<std::string>{"../", "sub/", "a.dat", "b.txt"}));

  platform::CommonDialogRequest request;
  request.kind = platform::CommonDialogKind::Save;
  request.title = "Save As";
  request.filters = {{"Data (*.dat)", "*.dat"}, {"All files", "*"}};
  request.proposed = dir.File("a.dat");
  auto dialog = fe::MakeFilePanel(request);
  auto* entries = dialog->panel.Find(20);
  ASSERT_NE(entries, nullptr);
  EXPECT_EQ(entries->rows, (std::vector<std::string>{"../", "sub/", "a.dat"}));
  // Double-clicking the folder enters it; its file is listed.
  EXPECT_FALSE(dialog->Handle(fe::PanelEvent{fe::PanelEvent::Kind::Activate, 20, 1}));
  EXPECT_EQ(dialog->panel.Find(20)->rows, (std::vector<std::string>{"../", "c.dat"}));
  // Selecting a file fills the name; typing replaces it; Return answers.
  dialog->Handle(fe::PanelEvent{fe::PanelEvent::Kind::Select, 20, 1});
  EXPECT_EQ(dialog->panel.Find(30)->line.text, "c.dat");
  dialog->panel.SetFocusTo(30);
  dialog->panel.Text("new.dat");
  auto enter = dialog->panel.Key(VK_RETURN, false, false);
  EXPECT_EQ(enter.kind, fe::PanelEvent::Kind::Enter);
  EXPECT_TRUE(dialog->Handle(enter));
  EXPECT_TRUE(dialog->dialogAnswer.accepted);
  EXPECT_EQ(std::filesystem::path(dialog->dialogAnswer.value),
            std::filesystem::weakly_canonical(dir.File("sub/new.dat")));
  // A proposed name written with the other separator is split at it as well.
  request.proposed = dir.File("sub") + "\\c.dat";
  dialog = fe::MakeFilePanel(request);
  EXPECT_EQ(dialog->panel.Find(30)->line.text, "c.dat");
  EXPECT_EQ(dialog->panel.Find(20)->rows, (std::vector<std::string>{"../", "c.dat"}));
  // Cancel answers nothing.
  dialog = fe::MakeFilePanel(request);
  EXPECT_TRUE(dialog->Handle(dialog->panel.Key(VK_ESCAPE, false, false)));
  EXPECT_FALSE(dialog->dialogAnswer.accepted);
  // The type box shows each filter text whole, the longest of the program too, and the
  // dialog stays on the screen.
  const std::string longest = "ASCII SIM FILES (*.DAT, *.A, *.ASC, *.TXT, *.CAT, *.PAR, *.OUT, *.INTEN, *.FGO )";
  request.filters = {{"ALL FILES", "*.*"}, {longest, "*.DAT;*.A"}};
  dialog = fe::MakeFilePanel(request);
  const fe::PanelItem* types = dialog->panel.Find(40);
  ASSERT_NE(types, nullptr);
  EXPECT_GE(types->rc.right - types->rc.left, platform::detail::TextWidth(longest) + 5);
  const RECT screen = platform::ScreenArea();
  EXPECT_LE(dialog->panel.width, screen.right - screen.left);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, dialog->panel.width, dialog->panel.height);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HFONT font = CreateFont(platform::detail::kCharHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans Mono");
  HGDIOBJ oldFont = SelectObject(dc, font);
  dialog->panel.Draw(dc);
  const int row = types->rc.top + 1 + platform::detail::kListRowHeight;  // the second row, not selected
  EXPECT_EQ(Ink(platform::SurfaceOfBitmap(bitmap),
                RECT{types->rc.left + 1, row, types->rc.right - 1, row + platform::detail::kListRowHeight}),
            InkOfText(longest));
  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  // Every type is in view (the simulation file's three); a folder with more entries than
  // the list shows has a scroll strip, whose down arrow scrolls a row, the choice kept.
  request.filters = {{"BINARY SIM FILES (*.QVS, *.F)", "*.QVS;*.F"}, {longest, "*.DAT;*.A"}, {"ALL FILES", "*.*"}};
  for (int i = 0; i < 20; ++i) std::ofstream(dir.File("sub/f" + std::to_string(i) + ".QVS")) << "x";
  dialog = fe::MakeFilePanel(request);
  types = dialog->panel.Find(40);
  EXPECT_EQ(types->rows.size(), 3u);
  EXPECT_GE(types->VisibleRows(), 3);
  EXPECT_FALSE(types->HasScrollStrip());
  EXPECT_LE(dialog->panel.height, screen.bottom - screen.top);
  const fe::PanelItem* listed = dialog->panel.Find(20);
  ASSERT_TRUE(listed->HasScrollStrip());
  const RECT box = listed->rc;
  EXPECT_EQ(dialog->panel.MouseDown(box.right - 4, box.bottom - 4, 1, false).kind, fe::PanelEvent::Kind::Redraw);
  EXPECT_EQ(listed->top, 1);
  EXPECT_EQ(listed->selection, -1);
  dialog->panel.MouseDown(box.right - 4, box.top + 4, 1, false);
  EXPECT_EQ(listed->top, 0);
}

TEST(PanelTest, PrintDialogOffersThePrintersAndTabReachesTheButtons) {
  platform::CommonDialogRequest request;
  request.kind = platform::CommonDialogKind::Print;
  auto dialog = fe::MakePrintPanel(request, {"PDF", "Raw capture"});
  auto* list = dialog->panel.Find(50);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->selection, 0);
  EXPECT_EQ(dialog->panel.Key(VK_DOWN, false, false).kind, fe::PanelEvent::Kind::Select);
  dialog->panel.Key(VK_TAB, false, false);  // to Print
  auto event = dialog->panel.Key(VK_SPACE, false, false);
  EXPECT_EQ(event.id, IDOK);
  EXPECT_TRUE(dialog->Handle(event));
  EXPECT_EQ(dialog->dialogAnswer.value, "Raw capture");
}

// ---- the window system under real input -------------------------------------------------------
// What a scroll-bar control told its parent.
struct BarNote {
  UINT message = 0;
  WORD code = 0;
  int position = 0;  // the high word (the thumb codes)
  HWND from = nullptr;
  bool operator==(const BarNote&) const = default;
};
std::vector<std::pair<WORD, int>>* g_scrolls = nullptr;  // trackbars
std::vector<BarNote>* g_bars = nullptr;
std::vector<std::pair<int, int>>* g_commands = nullptr;  // control id and notification

INT_PTR InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool fromBar = (message == WM_HSCROLL || message == WM_VSCROLL) && lParam &&
                       platform::ClassNameOf(reinterpret_cast<HWND>(lParam)) == "SCROLLBAR";
  if (fromBar && g_bars)
    g_bars->push_back({message, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
  if (message == WM_HSCROLL && !fromBar && g_scrolls)
    g_scrolls->push_back({LOWORD(wParam), static_cast<int>(SendMessage(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0))});
  if (message == WM_COMMAND && g_commands) g_commands->push_back({LOWORD(wParam), HIWORD(wParam)});
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) EndDialog(dialog, IDOK);
  (void)dialog;
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

class RealInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    using K = platform::ControlKind;
    platform::DialogTemplate t;
    t.id = 810;
    t.caption = "Input";
    t.cx = 200;
    t.cy = 100;
    t.controls = {
        {K::Edit, 10, "", 5, 5, 80, 12, 0},
        {K::CheckBox, 11, "Check", 5, 20, 60, 12, 0},
        {K::RadioButton, 12, "One", 5, 35, 40, 12, WS_GROUP},
        {K::RadioButton, 13, "Two", 50, 35, 40, 12, 0},
        {K::Trackbar, 14, "", 5, 50, 120, 16, 0},
        {K::PushButton, IDOK, "OK", 5, 75, 40, 14, BS_DEFPUSHBUTTON},
    };
    platform::RegisterDialogTemplate(t);
    g_scrolls = &scrolls_;
    g_commands = &commands_;
    dialog_ = CreateDialogParam(nullptr, MAKEINTRESOURCE(810), nullptr, &InputProc, 0);
    ASSERT_NE(dialog_, nullptr);
    ShowWindow(dialog_, SW_SHOW);
    drv::PumpUntilIdle();
  }
  void TearDown() override {
    g_scrolls = nullptr;
    g_bars = nullptr;
    g_commands = nullptr;
    if (IsWindow(dialog_)) DestroyWindow(dialog_);
    platform::ClearDialogTemplates();
  }
  // Delivers a key as the front end does: posted, then through the dialog.
  void Key(HWND target, int vk, bool shift = false) {
    platform::SetKeyDown(VK_SHIFT, shift);
    PostMessage(target, WM_KEYDOWN, static_cast<WPARAM>(vk),
                fe::KeyTypesText(vk, false) ? 1 | platform::detail::kTypedKeyFlag : 1);
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
      if (!IsDialogMessage(dialog_, &msg)) DispatchMessage(&msg);
    platform::SetKeyDown(VK_SHIFT, false);
  }
  HWND dialog_ = nullptr;
  std::vector<std::pair<WORD, int>> scrolls_;
  std::vector<std::pair<int, int>> commands_;
};

TEST_F(RealInputTest, CaretKeysEditInsideTheText) {
  HWND edit = GetDlgItem(dialog_, 10);
  ASSERT_TRUE(drv::TypeText(dialog_, 10, "1234"));
  Key(edit, VK_LEFT);
  Key(edit, VK_LEFT);
  drv::TypeChar(edit, '.');
  EXPECT_EQ(drv::Text(dialog_, 10), "12.34");
  Key(edit, VK_HOME, true);  // Shift+Home selects back to the start
  Key(edit, VK_DELETE);
  EXPECT_EQ(drv::Text(dialog_, 10), "34");
  EXPECT_EQ(SendMessage(edit, EM_GETMODIFY, 0, 0), TRUE);
  // A click places the caret at the character under the pointer.
  int x = 3 + platform::detail::TextWidth("3");
  SendMessage(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 3));
  drv::TypeChar(edit, '-');
  EXPECT_EQ(drv::Text(dialog_, 10), "3-4");
  // Ctrl+A typed and let go before the thread takes the key from its queue is still
  // Ctrl+A: the key carries the Ctrl held as it was typed.
  SetFocus(edit);
  const LPARAM posted = 1 | platform::detail::kFollowFocusFlag;
  PostMessage(edit, WM_KEYDOWN, 'A', posted | platform::detail::kControlHeldFlag);
  PostMessage(edit, WM_KEYUP, VK_CONTROL, posted);
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    if (!IsDialogMessage(dialog_, &msg)) DispatchMessage(&msg);
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  drv::TypeChar(edit, '7');
  EXPECT_EQ(drv::Text(dialog_, 10), "7");
}

TEST_F(RealInputTest, TabWalksTheStopsWithARadioGroupAsOneStop) {
  HWND edit = GetDlgItem(dialog_, 10);
  drv::Click(dialog_, 13);  // Two is the checked radio button
  SetFocus(edit);
  Key(edit, VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, 11));
  Key(GetFocus(), VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, 13));  // the group's checked button
  Key(GetFocus(), VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, 14));
  Key(GetFocus(), VK_TAB, true);  // Shift+Tab goes back
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, 13));
  Key(GetFocus(), VK_TAB);
  Key(GetFocus(), VK_TAB);
  Key(GetFocus(), VK_TAB);  // past OK, round to the edit
  EXPECT_EQ(GetFocus(), edit);
}

// The characters a window took: the window, the character and its lParam.
struct Typed {
  HWND window;
  WPARAM character;
  LPARAM flags;
  bool operator==(const Typed&) const = default;
};
std::vector<Typed>* g_typed = nullptr;

LRESULT TypedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR && g_typed) g_typed->push_back({window, wParam, lParam});
  return DefWindowProc(window, message, wParam, lParam);
}

// A click on another top-level window activates it before the click arrives, and the
// focus moves as on the desktop system: a modified edit of a modeless dialog tells its
// loss first, the main window takes the focus, and the dialog gets its edit back (its
// text selected) when it is activated in turn; a dialog without such a control gives
// its first tab stop the focus. The program's own activation, the focus given to a
// window of another top-level window, is told to the front end, and a key typed ahead
// goes to the focus of the moment the thread takes it.
TEST_F(RealInputTest, AnotherWindowActivatedTakesTheFocusAndTheDialogGetsItsControlBack) {
  WNDCLASS wc;
  wc.lpfnWndProc = TypedProc;
  wc.lpszClassName = "ACTIVATION TEST";
  RegisterClass(&wc);
  HWND main = CreateWindowEx(0, "ACTIVATION TEST", "MAIN", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300, nullptr,
                             nullptr, nullptr, nullptr);
  ASSERT_NE(main, nullptr);
  HWND edit = GetDlgItem(dialog_, 10);
  ASSERT_TRUE(drv::TypeText(dialog_, 10, "42"));
  commands_.clear();
  platform::detail::ActivateByUser(main);
  EXPECT_EQ(commands_, (std::vector<std::pair<int, int>>{{10, EN_KILLFOCUS}}));
  EXPECT_EQ(GetFocus(), main);
  EXPECT_EQ(GetActiveWindow(), main);
  commands_.clear();
  platform::detail::ActivateByUser(main);  // active already: nothing moves
  EXPECT_TRUE(commands_.empty());
  platform::detail::ActivateByUser(dialog_);
  EXPECT_EQ(GetFocus(), edit);
  DWORD from = 9, to = 9;
  SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 2u);
  // A click on a control of the inactive dialog: the dialog is activated, then the
  // control takes the focus.
  platform::detail::ActivateByUser(main);
  commands_.clear();
  platform::detail::ActivateByUser(dialog_);
  drv::MouseClick(GetDlgItem(dialog_, 11), drv::Mouse::Left, 2, 2);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, 11));
  EXPECT_EQ(commands_, (std::vector<std::pair<int, int>>{{10, EN_SETFOCUS}, {10, EN_KILLFOCUS}, {11, BN_CLICKED}}));
  // The click's handler gives the focus back to the main window while a character typed
  // next waits in the queue: the main window is activated and takes the character, and
  // the front end hears of the activation, to bring that window up with the keyboard.
  std::vector<HWND> told;
  std::vector<Typed> typed;
  g_typed = &typed;
  auto listener = platform::detail::SetActivationListener([&told](HWND top) { told.push_back(top); });
  const LPARAM ahead = 1 | platform::detail::kFollowFocusFlag;
  auto pump = [&] {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
      if (!IsDialogMessage(dialog_, &msg)) DispatchMessage(&msg);
  };
  PostMessage(GetDlgItem(dialog_, 11), WM_CHAR, 'x', ahead);
  SetFocus(main);
  EXPECT_EQ(GetActiveWindow(), main);
  pump();
  EXPECT_EQ(typed, (std::vector<Typed>{{main, 'x', 1}}));
  EXPECT_EQ(told, (std::vector<HWND>{main}));
  // The user's activation is the front end's own, not told; the dialog's check box gets
  // the focus back. SetActiveWindow activates as the user does, and is told.
  platform::detail::ActivateByUser(dialog_);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, 11));
  EXPECT_EQ(SetActiveWindow(main), dialog_);
  EXPECT_EQ(GetFocus(), main);
  SetActiveWindow(dialog_);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, 11));
  EXPECT_EQ(told, (std::vector<HWND>{main, main, dialog_}));
  // A disabled window (its modal dialog open) is not activated: the keys stay with the
  // window they were typed to.
  EnableWindow(main, FALSE);
  PostMessage(GetDlgItem(dialog_, 11), WM_CHAR, 'y', ahead);
  SetFocus(main);
  EXPECT_EQ(GetActiveWindow(), dialog_);
  pump();
  EXPECT_EQ(typed.size(), 1u);
  EXPECT_EQ(told.size(), 3u);
  EnableWindow(main, TRUE);
  platform::detail::SetActivationListener(std::move(listener));
  g_typed = nullptr;
  // A dialog that never had the focus gives it to its first tab stop.
  HWND second = CreateDialogParam(nullptr, MAKEINTRESOURCE(810), nullptr, &InputProc, 0);
  ASSERT_NE(second, nullptr);
  platform::detail::ActivateByUser(second);
  EXPECT_EQ(GetFocus(), GetDlgItem(second, 10));
  DestroyWindow(second);
  DestroyWindow(main);
}

// The pixels that differ between two pictures of the same size inside a rectangle.
int Changed(cairo_surface_t* a, cairo_surface_t* b, RECT r) {
  cairo_surface_flush(a);
  cairo_surface_flush(b);
  const int stride = cairo_image_surface_get_stride(a);
  int count = 0;
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x) {
      const size_t at = static_cast<size_t>(y * stride + x * 4);
      if (*reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(a) + at) !=
          *reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(b) + at))
        ++count;
    }
  return count;
}

// The keyboard focus is drawn on every control that can hold it: a dotted frame around
// a check box's or radio button's label (around the box of one without a label), on a
// list's selected row and around a trackbar; nothing of it shows elsewhere.
TEST_F(RealInputTest, FocusIsFramedOnCheckBoxesRadioButtonsListsAndTrackbars) {
  HWND list = CreateWindowEx(0, WC_LISTBOX, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOTIFY | WS_TABSTOP, 200, 10,
                             120, 40, dialog_, reinterpret_cast<HMENU>(static_cast<uintptr_t>(15)), nullptr, nullptr);
  HWND bare = CreateWindowEx(0, WC_BUTTON, "", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 200, 60, 21, 21,
                             dialog_, reinterpret_cast<HMENU>(static_cast<uintptr_t>(16)), nullptr, nullptr);
  ASSERT_TRUE(list && bare);
  for (const char* row : {"MAX", "AVE"}) SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
  SendMessage(list, LB_SETCURSEL, 1, 0);
  RECT dialogRect;
  GetWindowRect(dialog_, &dialogRect);
  auto place = [&](HWND c, int grow) {
    RECT r;
    GetWindowRect(c, &r);
    return RECT{r.left - dialogRect.left - grow, r.top - dialogRect.top - grow, r.right - dialogRect.left + grow,
                r.bottom - dialogRect.top + grow};
  };
  SetFocus(GetDlgItem(dialog_, IDOK));
  cairo_surface_t* unfocused = platform::detail::ComposeWindow(dialog_);
  ASSERT_NE(unfocused, nullptr);
  for (HWND c : {GetDlgItem(dialog_, 11), GetDlgItem(dialog_, 12), list, GetDlgItem(dialog_, 14), bare}) {
    SetFocus(c);
    cairo_surface_t* focused = platform::detail::ComposeWindow(dialog_);
    ASSERT_NE(focused, nullptr);
    const RECT around = place(c, 2);
    const int inside = Changed(unfocused, focused, around);
    EXPECT_GE(inside, 20) << platform::ClassNameOf(c) << " " << GetDlgCtrlID(c);
    const RECT all{0, 0, cairo_image_surface_get_width(focused), cairo_image_surface_get_height(focused)};
    const RECT ok = place(GetDlgItem(dialog_, IDOK), 0);
    EXPECT_EQ(Changed(unfocused, focused, all) - inside, Changed(unfocused, focused, ok)) << GetDlgCtrlID(c);
    cairo_surface_destroy(focused);
  }
  cairo_surface_destroy(unfocused);
}

TEST_F(RealInputTest, TrackbarFollowsADraggedThumbAndKeys) {
  HWND bar = GetDlgItem(dialog_, 14);
  RECT rc;
  GetClientRect(bar, &rc);
  SendMessage(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  // The thumb of position 0 starts 4 pixels in; grab it and drag it to the end.
  SendMessage(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 5));
  SendMessage(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(rc.right / 2, 5));
  SendMessage(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(rc.right + 40, 5));
  SendMessage(bar, WM_LBUTTONUP, 0, MAKELPARAM(rc.right + 40, 5));
  ASSERT_GE(scrolls_.size(), 4u);
  EXPECT_EQ(scrolls_[0].first, TB_THUMBTRACK);
  EXPECT_GT(scrolls_[0].second, 30);
  EXPECT_LT(scrolls_[0].second, 70);
  EXPECT_EQ(scrolls_[scrolls_.size() - 2].first, TB_THUMBPOSITION);
  EXPECT_EQ(scrolls_.back().first, TB_ENDTRACK);
  EXPECT_EQ(drv::TrackbarPosition(dialog_, 14), 100);
  scrolls_.clear();
  Key(bar, VK_LEFT);
  EXPECT_EQ(drv::TrackbarPosition(dialog_, 14), 99);
  Key(bar, VK_HOME);
  EXPECT_EQ(drv::TrackbarPosition(dialog_, 14), 0);
  ASSERT_EQ(scrolls_.size(), 4u);
  EXPECT_EQ(scrolls_[2].first, TB_TOP);
  // A click beside the thumb moves a page; the driver's own drag still works.
  SendMessage(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right - 8, 5));
  EXPECT_EQ(drv::TrackbarPosition(dialog_, 14), 20);
  EXPECT_TRUE(drv::MoveTrackbar(dialog_, 14, 55));
  EXPECT_EQ(drv::TrackbarPosition(dialog_, 14), 55);
}

// A list one row high steps its choice with either arrow of its scroll bar; a caption
// with a system menu has a close box that sends WM_CLOSE (a dialog's Cancel), the front
// end's own boxes too; a list row shows its text whole, the underscore below the line
// included.
TEST_F(RealInputTest, ListArrowsStepTheChoiceCloseBoxesCancelAndRowsShowWholeGlyphs) {
  // A one-row list with its scroll bar, as a dialog template makes it.
  HWND list = CreateWindowEx(0, WC_LISTBOX, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 200, 10, 120,
                             21, dialog_, reinterpret_cast<HMENU>(static_cast<uintptr_t>(15)), nullptr, nullptr);
  ASSERT_NE(list, nullptr);
  for (const char* kind : {"MAX", "AVE", "NONE"}) SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kind));
  SendMessage(list, LB_SETCURSEL, 2, 0);
  RECT rc;
  GetClientRect(list, &rc);
  auto arrow = [&](bool up) {
    const LPARAM at = MAKELPARAM(rc.right - 4, up ? 2 : rc.bottom - 2);
    PostMessage(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessage(list, WM_LBUTTONUP, 0, at);
    drv::PumpUntilIdle();
    return drv::ListSelection(dialog_, 15);
  };
  auto changes = [&] {
    return std::count(commands_.begin(), commands_.end(), std::pair<int, int>{15, LBN_SELCHANGE});
  };
  EXPECT_EQ(arrow(true), 1);  // NONE -> AVE
  EXPECT_EQ(drv::ListTop(dialog_, 15), 1);
  EXPECT_EQ(arrow(true), 0);
  EXPECT_EQ(arrow(true), 0);  // the first row stays, and nothing changed
  EXPECT_EQ(arrow(false), 1);
  EXPECT_EQ(arrow(false), 2);
  EXPECT_EQ(changes(), 4);
  ASSERT_TRUE(drv::Scroll(dialog_, 15, true));  // the driver's arrow, and the wheel's, do the same
  EXPECT_EQ(drv::ListSelection(dialog_, 15), 1);
  // An arrow held down repeats (the front end's timer message) while the pointer stays on it.
  SendMessage(list, LB_SETCURSEL, 0, 0);
  ASSERT_TRUE(drv::MouseDown(list, drv::Mouse::Left, rc.right - 4, rc.bottom - 2));
  EXPECT_EQ(drv::ListSelection(dialog_, 15), 1);
  SendMessage(list, WM_TIMER, platform::detail::kHeldButtonTimer, 0);
  EXPECT_EQ(drv::ListSelection(dialog_, 15), 2);
  SendMessage(list, LB_SETCURSEL, 0, 0);
  drv::MouseMove(list, 10, rc.bottom - 2, MK_LBUTTON);  // off the arrow
  SendMessage(list, WM_TIMER, platform::detail::kHeldButtonTimer, 0);
  EXPECT_EQ(drv::ListSelection(dialog_, 15), 0);
  drv::MouseUp(list, drv::Mouse::Left, 10, rc.bottom - 2);
  // A list has arrows only when its template asks for them (WS_VSCROLL): a click at the
  // right end of one without them is a click on its row, and there are none to step it.
  using K = platform::ControlKind;
  platform::RegisterDialogTemplate({811, "Lists", 0, 0, 120, 40, 0,
                                    {{K::ListBox, 31, "", 5, 5, 50, 12, LBS_NOTIFY | WS_VSCROLL},
                                     {K::ListBox, 32, "", 60, 5, 50, 12, LBS_NOTIFY}}});
  HWND pair = CreateDialogParam(nullptr, MAKEINTRESOURCE(811), nullptr, &InputProc, 0);
  ASSERT_NE(pair, nullptr);
  EXPECT_NE(GetWindowLongPtr(GetDlgItem(pair, 31), GWL_STYLE) & WS_VSCROLL, 0);
  HWND noArrows = GetDlgItem(pair, 32);
  EXPECT_EQ(GetWindowLongPtr(noArrows, GWL_STYLE) & WS_VSCROLL, 0);
  for (const char* row : {"0", "1", "2"}) SendMessage(noArrows, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
  SendMessage(noArrows, LB_SETCURSEL, 1, 0);
  RECT rowRc;
  GetClientRect(noArrows, &rowRc);
  auto changesOf = [&](int id) {
    return std::count(commands_.begin(), commands_.end(), std::pair<int, int>{id, LBN_SELCHANGE});
  };
  drv::MouseClick(noArrows, drv::Mouse::Left, rowRc.right - 4, 2);
  drv::MouseClick(noArrows, drv::Mouse::Left, rowRc.right - 4, platform::detail::kListRowHeight - 3);
  EXPECT_EQ(drv::ListSelection(pair, 32), 1);
  EXPECT_EQ(drv::ListTop(pair, 32), 1);
  // A click selects the row drawn under the pointer, the strip below the whole rows
  // drawn included, and tells the parent when the button is let go, whether the
  // selection changed or not (the two clicks above on the row it shows too).
  EXPECT_EQ(changesOf(32), 2);
  ASSERT_GT(rowRc.bottom, platform::detail::kListRowHeight);
  drv::MouseDown(noArrows, drv::Mouse::Left, 4, rowRc.bottom - 1);
  EXPECT_EQ(changesOf(32), 2);
  drv::MouseUp(noArrows, drv::Mouse::Left, 4, rowRc.bottom - 1);
  EXPECT_EQ(drv::ListSelection(pair, 32), 1);
  EXPECT_EQ(changesOf(32), 3);
  SendMessage(noArrows, LB_SETCURSEL, 2, 0);
  SendMessage(noArrows, LB_SETTOPINDEX, 1, 0);
  drv::MouseClick(noArrows, drv::Mouse::Left, 4, rowRc.bottom - 1);
  EXPECT_EQ(drv::ListSelection(pair, 32), 1);
  EXPECT_EQ(changesOf(32), 4);
  EXPECT_FALSE(drv::Scroll(pair, 32, false));
  EXPECT_TRUE(drv::Scroll(pair, 31, false));
  DestroyWindow(pair);

  // Every glyph of a row is drawn: as much ink as the text drawn without a clip.
  const std::string name = "co_2147.par";
  SendMessage(list, LB_RESETCONTENT, 0, 0);
  SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  cairo_surface_t* picture = platform::detail::ComposeWindow(dialog_);
  ASSERT_NE(picture, nullptr);
  RECT onScreen, dialogRect;
  GetWindowRect(list, &onScreen);
  GetWindowRect(dialog_, &dialogRect);
  // Inside the list's border, left of its scroll bar, in the dialog's picture.
  onScreen = RECT{onScreen.left - dialogRect.left + 1, onScreen.top - dialogRect.top + 1,
                  onScreen.right - dialogRect.left - 1 - platform::detail::kListScrollBarWidth,
                  onScreen.bottom - dialogRect.top - 1};
  EXPECT_EQ(Ink(picture, onScreen), InkOfText(name));
  cairo_surface_destroy(picture);
  // The same row in the list of the front end's file dialog.
  fe::Panel panel;
  panel.width = 200;
  panel.height = 80;
  fe::PanelItem rows;
  rows.kind = fe::PanelItem::Kind::List;
  rows.id = 20;
  rows.rows = {name};
  rows.rc = RECT{10, 30, 190, 32 + platform::detail::kListRowHeight};
  panel.items.push_back(rows);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, panel.width, panel.height);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HFONT font = CreateFont(platform::detail::kCharHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans Mono");
  HGDIOBJ oldFont = SelectObject(dc, font);
  panel.Draw(dc);
  EXPECT_EQ(Ink(platform::SurfaceOfBitmap(bitmap), RECT{11, 31, 189, 31 + platform::detail::kListRowHeight}),
            InkOfText(name));
  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);

  // The close box of the dialog's caption: a click there is Cancel, beside it nothing.
  RECT box;
  {
    platform::detail::WinGuard guard(platform::detail::WinLock());
    box = platform::detail::CloseBoxRect(*platform::detail::Find(dialog_));
  }
  ASSERT_GT(box.right, box.left);
  commands_.clear();
  EXPECT_FALSE(fe::ClickCloseBox(dialog_, box.left - 20, box.top + 2));
  EXPECT_TRUE(fe::ClickCloseBox(dialog_, (box.left + box.right) / 2, (box.top + box.bottom) / 2));
  drv::PumpUntilIdle();
  EXPECT_EQ(commands_, (std::vector<std::pair<int, int>>{{IDCANCEL, BN_CLICKED}}));
  // A main window's close box: WM_CLOSE, which ends it; a caption without a system
  // menu has none.
  WNDCLASS wc;
  wc.lpfnWndProc = DefWindowProc;
  wc.lpszClassName = "CLOSE BOX TEST";
  RegisterClass(&wc);
  HWND main = CreateWindowEx(0, "CLOSE BOX TEST", "MAIN", WS_OVERLAPPEDWINDOW, 10, 10, 400, 300, nullptr, nullptr,
                             nullptr, nullptr);
  HWND plain = CreateWindowEx(0, "CLOSE BOX TEST", "PLAIN", WS_POPUP | WS_CAPTION, 10, 10, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_TRUE(main && plain);
  EXPECT_FALSE(fe::OnCloseBox(plain, 400 - 10, 10));
  EXPECT_TRUE(fe::ClickCloseBox(main, 400 - 10, 10));
  drv::PumpUntilIdle();
  EXPECT_FALSE(IsWindow(main));
  DestroyWindow(plain);
  // A message box with Cancel closes as Cancel from its own close box.
  platform::BoxRequest request;
  request.caption = "Question";
  request.text = "GO ON?";
  request.style = MB_OKCANCEL;
  auto boxPanel = fe::MakeBoxPanel(request);
  const RECT closer = boxPanel->panel.CloseBox();
  const auto click = boxPanel->panel.MouseDown((closer.left + closer.right) / 2, (closer.top + closer.bottom) / 2, 1, false);
  EXPECT_TRUE(boxPanel->Handle(click));
  EXPECT_EQ(boxPanel->boxAnswer, IDCANCEL);
}

// A scroll-bar control answers the mouse as the desktop system's does: an arrow is a
// line, the track beside the thumb a page, a dragged thumb tracks and ends at its
// position, each press closed by SB_ENDSCROLL, all told to the parent with the bar's
// handle; an arrow held down repeats while the pointer stays on it. The test driver's
// arrow clicks go the same way, and both arrows are drawn.
TEST_F(RealInputTest, ScrollBarsAnswerTheMouseAndRepeatWhileHeld) {
  std::vector<BarNote> bars;
  g_bars = &bars;
  HWND vertical = CreateWindowEx(0, WC_SCROLLBAR, "", WS_CHILD | WS_VISIBLE | SBS_VERT, 300, 5, 17, 119, dialog_,
                                 reinterpret_cast<HMENU>(static_cast<uintptr_t>(21)), nullptr, nullptr);
  HWND horizontal = CreateWindowEx(0, WC_SCROLLBAR, "", WS_CHILD | WS_VISIBLE | SBS_HORZ, 130, 150, 160, 17, dialog_,
                                   reinterpret_cast<HMENU>(static_cast<uintptr_t>(22)), nullptr, nullptr);
  ASSERT_TRUE(vertical && horizontal);
  SetScrollRange(vertical, SB_CTL, 0, 10, FALSE);
  // 17-pixel arrows at both ends, the 17-pixel thumb at the top of the track (0..10).
  using N = BarNote;
  const auto click = [](HWND bar, int x, int y) { return drv::MouseClick(bar, drv::Mouse::Left, x, y); };
  click(vertical, 8, 3);
  click(vertical, 8, 115);
  click(vertical, 8, 80);  // below the thumb
  SetScrollPos(vertical, SB_CTL, 10, TRUE);
  click(vertical, 8, 40);  // above it, now at the bottom
  click(horizontal, 3, 8);
  EXPECT_EQ(bars, (std::vector<N>{{WM_VSCROLL, SB_LINEUP, 0, vertical}, {WM_VSCROLL, SB_ENDSCROLL, 0, vertical},
                                  {WM_VSCROLL, SB_LINEDOWN, 0, vertical}, {WM_VSCROLL, SB_ENDSCROLL, 0, vertical},
                                  {WM_VSCROLL, SB_PAGEDOWN, 0, vertical}, {WM_VSCROLL, SB_ENDSCROLL, 0, vertical},
                                  {WM_VSCROLL, SB_PAGEUP, 0, vertical}, {WM_VSCROLL, SB_ENDSCROLL, 0, vertical},
                                  {WM_HSCROLL, SB_LINELEFT, 0, horizontal}, {WM_HSCROLL, SB_ENDSCROLL, 0, horizontal}}));
  // The thumb, grabbed 8 pixels down and dragged half its travel (34 of 68 pixels).
  SetScrollPos(vertical, SB_CTL, 0, TRUE);
  bars.clear();
  drv::MouseDown(vertical, drv::Mouse::Left, 8, 25);
  drv::MouseMove(vertical, 8, 59, MK_LBUTTON);
  drv::MouseUp(vertical, drv::Mouse::Left, 8, 59);
  EXPECT_EQ(bars, (std::vector<N>{{WM_VSCROLL, SB_THUMBTRACK, 5, vertical},
                                  {WM_VSCROLL, SB_THUMBPOSITION, 5, vertical},
                                  {WM_VSCROLL, SB_ENDSCROLL, 0, vertical}}));
  EXPECT_EQ(GetScrollPos(vertical, SB_CTL), 0);  // the parent places the thumb, this one did not
  // Held down on the down arrow: each timer message of the front end is a line more,
  // until the pointer leaves the arrow; after the release nothing repeats.
  bars.clear();
  drv::MouseDown(vertical, drv::Mouse::Left, 8, 115);
  SendMessage(vertical, WM_TIMER, platform::detail::kHeldButtonTimer, 0);
  SendMessage(vertical, WM_TIMER, platform::detail::kHeldButtonTimer, 0);
  drv::MouseMove(vertical, 8, 60, MK_LBUTTON);
  SendMessage(vertical, WM_TIMER, platform::detail::kHeldButtonTimer, 0);
  drv::MouseUp(vertical, drv::Mouse::Left, 8, 60);
  SendMessage(vertical, WM_TIMER, platform::detail::kHeldButtonTimer, 0);
  EXPECT_EQ(bars, (std::vector<N>{{WM_VSCROLL, SB_LINEDOWN, 0, vertical}, {WM_VSCROLL, SB_LINEDOWN, 0, vertical},
                                  {WM_VSCROLL, SB_LINEDOWN, 0, vertical}, {WM_VSCROLL, SB_ENDSCROLL, 0, vertical}}));
  // The driver's arrow clicks.
  bars.clear();
  ASSERT_TRUE(drv::Scroll(dialog_, 21, true));
  ASSERT_TRUE(drv::Scroll(dialog_, 22, false));
  EXPECT_EQ(bars, (std::vector<N>{{WM_VSCROLL, SB_LINEUP, 0, vertical}, {WM_VSCROLL, SB_ENDSCROLL, 0, vertical},
                                  {WM_HSCROLL, SB_LINERIGHT, 0, horizontal},
                                  {WM_HSCROLL, SB_ENDSCROLL, 0, horizontal}}));
  // Both arrows of each bar are drawn (a dark triangle on each).
  cairo_surface_t* picture = platform::detail::ComposeWindow(dialog_);
  ASSERT_NE(picture, nullptr);
  RECT dialogRect, barRect;
  GetWindowRect(dialog_, &dialogRect);
  for (HWND bar : {vertical, horizontal}) {
    GetWindowRect(bar, &barRect);
    const RECT r{barRect.left - dialogRect.left, barRect.top - dialogRect.top, barRect.right - dialogRect.left,
                 barRect.bottom - dialogRect.top};
    const bool isVertical = bar == vertical;
    const RECT first = isVertical ? RECT{r.left, r.top, r.right, r.top + 17} : RECT{r.left, r.top, r.left + 17, r.bottom};
    const RECT last =
        isVertical ? RECT{r.left, r.bottom - 17, r.right, r.bottom} : RECT{r.right - 17, r.top, r.right, r.bottom};
    EXPECT_GE(Ink(picture, first), 9);
    EXPECT_GE(Ink(picture, last), 9);
  }
  cairo_surface_destroy(picture);
}

DWORD PostBack(void* parameter) {
  auto* args = static_cast<std::pair<HWND, std::atomic<DWORD>*>*>(parameter);
  std::atomic<DWORD>* ranOn = args->second;
  platform::detail::PostToOwner(args->first, [ranOn] { ranOn->store(GetCurrentThreadId()); });
  return 0;
}

TEST_F(RealInputTest, WorkHandedToTheOwnerRunsOnItsThreadWithoutWaiting) {
  std::atomic<DWORD> ranOn{0};
  std::pair<HWND, std::atomic<DWORD>*> args{dialog_, &ranOn};
  uint64_t before = platform::detail::DisplayGeneration();
  HANDLE worker = CreateThread(&PostBack, &args, nullptr);
  // The worker does not wait for us: it has ended before we service its work.
  ASSERT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
  CloseHandle(worker);
  EXPECT_TRUE(drv::PumpUntil([&] { return ranOn.load() != 0; }));
  EXPECT_EQ(ranOn.load(), GetCurrentThreadId());
  SetWindowText(dialog_, "Changed");
  EXPECT_GT(platform::detail::DisplayGeneration(), before);
}

}  // namespace
