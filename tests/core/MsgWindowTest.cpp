#include "core/MsgWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "tests/support/TestMainWindow.h"

namespace {

class MsgWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dsp = DspRecord{};
    Win = WinRecord{};
    Debug = DebugRecord{};
    RegisterDialogResources();
    platform::ClearBoxLog();
    previous_ = platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });
  }
  void TearDown() override {
    platform::SetModalOpenHook(nullptr);
    platform::SetBoxAnswerer(previous_);
    if (Dsp.Msg_Hwnd) DestroyWindow(Dsp.Msg_Hwnd);
  }
  void Show(const char* text) {
    StrCopy(Dsp.DspMsgBuffer, text);
    ASSERT_EQ(DspMsgShow(1, nullptr), 1);
  }
  std::string ShownText() {
    char text[4000] = "";
    GetDlgItemText(Dsp.Msg_Hwnd, IDC_DSP_MSG_TEXT, text, sizeof text);
    return text;
  }
  platform::BoxAnswerer previous_;
};

TEST_F(MsgWindowTest, AccumulatesFiftyMessagesThenStartsAfresh) {
  for (int i = 0; i < 50; ++i) Show("ab\n");
  EXPECT_EQ(Dsp.Msg_Count, 50);
  std::string expected;
  for (int i = 0; i < 50; ++i) expected += "ab\n";
  EXPECT_EQ(ShownText(), expected);
  EXPECT_TRUE(IsWindowVisible(Dsp.Msg_Hwnd));
  Show("new\n");
  EXPECT_EQ(Dsp.Msg_Count, 1);
  EXPECT_EQ(ShownText(), "new\n");
}

TEST_F(MsgWindowTest, TextNeverOverrunsItsBound) {
  std::string line(900, 'x');
  line += "\n";
  for (int i = 0; i < 5; ++i) Show(line.c_str());
  EXPECT_LT(std::string(Dsp.Msg_Text).size(), sizeof Dsp.Msg_Text);
  EXPECT_EQ(ShownText().substr(0, 901), line);
}

TEST_F(MsgWindowTest, OkKeepsWindowUpUntilCancel) {
  Show("hello\n");
  SendMessage(Dsp.Msg_Hwnd, WM_COMMAND, IDOK, 0);
  DspMsgShow(0, nullptr);
  EXPECT_TRUE(IsWindowVisible(Dsp.Msg_Hwnd));
  SendMessage(Dsp.Msg_Hwnd, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindowVisible(Dsp.Msg_Hwnd));
  EXPECT_EQ(Dsp.Msg_Shown, 0u);
  // Shown again, it starts with the new message only.
  Show("again\n");
  EXPECT_EQ(ShownText(), "again\n");
}

// Workers showing lines at once while no window exists (the first lines of a pool):
// one window is made, on the main window's thread, so that it outlives the workers;
// no worker fails to make it, and every line arrives.
TEST_F(MsgWindowTest, WorkersAtOnceMakeOneWindowThatOutlivesThem) {
  qvtest::CreateTestMainWindow("MSG TEST MAIN");
  constexpr int kWorkers = 8, kLines = 5;
  HANDLE threads[kWorkers] = {};
  for (HANDLE& thread : threads) {
    thread = CreateThread(
        [](void*) -> DWORD {
          for (int i = 0; i < kLines; ++i) DspMsgShowText("L\n", Win.hWnd_Main);
          return 0;
        },
        nullptr, nullptr);
    ASSERT_NE(thread, nullptr);
  }
  // The wait services what the workers send to this thread, the window's making too.
  ASSERT_EQ(WaitForMultipleObjects(kWorkers, threads, TRUE, 60000), WAIT_OBJECT_0);
  for (HANDLE thread : threads) CloseHandle(thread);
  EXPECT_TRUE(platform::BoxLog().empty());
  ASSERT_TRUE(IsWindow(Dsp.Msg_Hwnd));
  EXPECT_EQ(platform::WindowThread(Dsp.Msg_Hwnd), GetCurrentThreadId());
  int windows = 0;
  for (HWND dialog : platform::AllDialogs()) windows += platform::DialogTemplateId(dialog) == IDD_DSP_MSG ? 1 : 0;
  EXPECT_EQ(windows, 1);
  std::string all;
  for (int i = 0; i < kWorkers * kLines; ++i) all += "L\n";
  EXPECT_EQ(ShownText(), all);
  DestroyWindow(Win.hWnd_Main);
}

struct Typed {
  const char* text;
  int button;
};

void AnswerTextBox(const Typed& typed) {
  platform::SetModalOpenHook([typed](HWND dialog, int templateId) {
    ASSERT_EQ(templateId, IDD_GET_TEXT);
    if (typed.text) SetDlgItemText(dialog, IDC_GET_TEXT_EDIT, typed.text);
    SendMessage(dialog, WM_COMMAND, static_cast<WPARAM>(typed.button), 0);
  });
}

TEST_F(MsgWindowTest, TextInputTakesFirstWordOrKeepsDefault) {
  StrCopy(Dsp.GetTextPrompt, "NUMBER?");
  StrCopy(Dsp.GetTextValue, "5");
  AnswerTextBox({"  12  34", IDOK});
  EXPECT_EQ(GetTextDialog(), 1);
  EXPECT_STREQ(Dsp.GetTextValue, "12");

  StrCopy(Dsp.GetTextValue, "5");
  AnswerTextBox({"", IDOK});
  EXPECT_EQ(GetTextDialog(), 1);
  EXPECT_STREQ(Dsp.GetTextValue, "5");

  AnswerTextBox({"99", IDCANCEL});
  EXPECT_EQ(GetTextDialog(), 0);
  EXPECT_STREQ(Dsp.GetTextValue, "5");
}

TEST_F(MsgWindowTest, TableRunsDownColumnsInBoxes) {
  float values[5] = {0.5f, 1.5f, 2.5f, 3.5f, 4.5f};
  EXPECT_EQ(DisplayTableFormat(1, "H\n", 2, 5, 5, values, nullptr, 0, 1.0), 1);
  auto log = platform::BoxLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].caption, "Info");
  EXPECT_EQ(log[0].style, 0x1040u);
  const std::string expected = std::string("[1] H\n") + "  0         0.500000    3         3.500000  \n" +
                               "  1         1.500000    4         4.500000  \n" + "  2         2.500000  \n";
  EXPECT_EQ(log[0].text, expected);

  platform::ClearBoxLog();
  double d[7] = {1, 2, 3, 4, 5, 6, 7};
  DisplayTableFormat(1, "", 0, 3, 7, nullptr, d, 1, 1.0);  // no columns: taken as one
  log = platform::BoxLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[2].text, "[3]   6     7.000000e+00  \n\n\n\n");
  platform::ClearBoxLog();
  EXPECT_EQ(DisplayTableFormat(0, "", 1, 1, 7, nullptr, d, 0, 1.0), 1);
  EXPECT_TRUE(platform::BoxLog().empty());
}

}  // namespace
