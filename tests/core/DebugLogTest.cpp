#include "core/DebugLog.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CoreFixture.h"

namespace {

// What the debug log asked of the status bar and the message window.
std::vector<std::string> statusTexts;
std::vector<int32_t> msgShows;
int msgOks = 0;

void RecordStatus(int32_t part, const char* text) { statusTexts.push_back(std::to_string(part) + ":" + text); }
int32_t RecordMsgShow(int32_t show, HWND) {
  msgShows.push_back(show);
  return show;
}
void RecordMsgOk() { ++msgOks; }

class DebugLogTest : public qvtest::CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    statusTexts.clear();
    msgShows.clear();
    msgOks = 0;
    Debug.StatusTextHook = RecordStatus;
    Debug.MsgShowHook = RecordMsgShow;
    Debug.MsgOkHook = RecordMsgOk;
  }
};

TEST_F(DebugLogTest, MenuEntryPressedTwiceOpensThenClosesEverything) {
  {
    std::ofstream old(DEBUG_LOG_FILE_NAME, std::ios::binary);
    old << "left over from an earlier run\r\n";
  }
  DebugFileSet(DEBUG_TOPIC_FILE, 1, 1);
  EXPECT_EQ(Debug.DebugTraceFlag, 1);
  EXPECT_EQ(Debug.DebugLevel, 108);
  EXPECT_EQ(Debug.DebugFileOpen, 1);
  EXPECT_TRUE(DebugLogIsOpen());
  EXPECT_EQ(ReadLog(), "");  // created anew
  EXPECT_EQ(statusTexts, std::vector<std::string>{"0:DEBUG FILE [Qv95_Debug.log] OPEN: LEVEL [108]"});
  EXPECT_EQ(msgShows, std::vector<int32_t>{1});

  DebugFileSet(DEBUG_TOPIC_FILE, 1, 1);
  EXPECT_EQ(Debug.DebugTraceFlag, 0);
  EXPECT_EQ(Debug.DebugLevel, 0);
  EXPECT_EQ(Debug.DebugFileOpen, 0);
  EXPECT_FALSE(DebugLogIsOpen());
  EXPECT_EQ(statusTexts.back(), "0:DEBUG FILE [Qv95_Debug.log] CLOSED");
  EXPECT_EQ(msgShows, (std::vector<int32_t>{1, 0}));
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(DebugLogTest, OperationSequenceSwitchSetsTraceAndKeepsAnOpenLog) {
  Debug.DebugTraceFlag = 0;
  DebugFileSet(DEBUG_TOPIC_OPSEQ, 1, 0);
  EXPECT_EQ(Debug.DebugTraceFlag, 1);
  EXPECT_EQ(Debug.DebugLevel, 119);
  DebugTrace(1, "First()", DEBUG_ENTER);
  DebugFileSet(DEBUG_TOPIC_OPSEQ, 1, 0);  // already open: nothing further
  EXPECT_EQ(statusTexts.size(), 1u);
  EXPECT_EQ(ReadLog(), "ENTER      First()\r\n");
  DebugFileSet(DEBUG_TOPIC_OPSEQ, 0, 0);  // trace not 1: the flag stays
  EXPECT_EQ(Debug.DebugTraceFlag, 1);
}

TEST_F(DebugLogTest, TraceLinesAreIndentedByNestingDepth) {
  DebugFileSet(DEBUG_TOPIC_FILE, 1, 1);
  DebugTrace(1, "WorkFileRead()", DEBUG_ENTER);
  DebugTrace(2, "WorkFileReadFinish()", DEBUG_ENTER);
  DebugTrace(3, "SimFIReadQVS()", DEBUG_EXIT);
  DebugTrace(3, "Leaf(100%s%d)", DEBUG_ENTER_EXIT);
  DebugTrace(3, "Hidden()", -1);
  DebugTrace(0, "Plain()", 7);
  DebugTrace(2, "WorkFileReadFinish()", DEBUG_EXIT);
  DebugTrace(1, "WorkFileRead()", DEBUG_EXIT);
  EXPECT_EQ(ReadLog(),
            "ENTER      WorkFileRead()\r\n"
            "   ENTER      WorkFileReadFinish()\r\n"
            "      EXIT       SimFIReadQVS()\r\n"
            "\r\n"
            "      ENTER/EXIT Leaf(100%s%d)\r\n"
            "Plain()\r\n"
            "   EXIT       WorkFileReadFinish()\r\n"
            "EXIT       WorkFileRead()\r\n");
}

TEST_F(DebugLogTest, CommandsWriteTheLogAndHandTextToTheMessageWindow) {
  DebugFileSet(DEBUG_TOPIC_FILE, 1, 1);
  DebugCmd("BF", 2, "Op()");
  DebugCmd("EF", 2, "Op()");
  DebugCmd("BEF", 1, nullptr);  // no body: keyword without a line end
  DebugCmd("DF", 2, "value %d [3]\n");
  DebugCmd("MBDF", 1, "ignored\n");
  DebugCmd("MIB", 1, "FIRST");
  EXPECT_STREQ(Debug.DebugMsgText, "FIRST");
  DebugCmd("MAB", 1, "SECOND");
  EXPECT_STREQ(Debug.DebugMsgText, "SECOND");
  EXPECT_EQ(msgOks, 2);
  DebugCmd("MIBDF", 1, "BOTH\n");
  EXPECT_STREQ(Debug.DebugMsgText, "BOTH\n");
  EXPECT_EQ(msgOks, 3);
  EXPECT_EQ(ReadLog(),
            "   ENTER      Op()\r\n"
            "   EXIT       Op()\r\n"
            "ENTER/EXIT    value %d [3]\r\n"
            "BOTH\r\n");
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(DebugLogTest, InvalidCommandShowsErrorAndChangesNothing) {
  DebugFileSet(DEBUG_TOPIC_FILE, 1, 1);
  DebugCmd("XF", 1, "body\n");
  auto boxes = platform::BoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "DEBUG CMD STR=[XF] INVALID");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].style, 0x1010u);
  EXPECT_EQ(boxes[0].owner, Win.hWnd_Main);
  EXPECT_EQ(ReadLog(), "");
  EXPECT_EQ(msgOks, 0);
}

TEST_F(DebugLogTest, LogThatCannotBeCreatedWarnsAndWritersWriteNothing) {
  std::filesystem::create_directory(DEBUG_LOG_FILE_NAME);  // blocks the file name
  DebugFileSet(DEBUG_TOPIC_FILE, 1, 1);
  auto boxes = platform::BoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "FAILED TO CREATE ASCII FILE [Qv95_Debug.log] FOR WRITING");
  EXPECT_EQ(boxes[0].caption, "Warning");
  EXPECT_EQ(boxes[0].style, 0x1030u);
  EXPECT_EQ(Debug.DebugLevel, 108);
  EXPECT_EQ(Debug.DebugTraceFlag, 1);
  EXPECT_EQ(Debug.DebugFileOpen, 0);  // not reported as open
  EXPECT_FALSE(DebugLogIsOpen());
  EXPECT_EQ(statusTexts.back(), "0:DEBUG FILE [Qv95_Debug.log] NOT OPEN: LEVEL [108]");
  EXPECT_TRUE(msgShows.empty());
  EXPECT_EQ(DebugTrace(1, "Nowhere()", DEBUG_ENTER), 0);
  DebugCmd("DF", 1, "nowhere\n");
  DebugPrintf("%s\n", "nowhere");
}

TEST_F(DebugLogTest, DebugToFileWhileMessageLevelIsSetLeavesNoTraceWithoutLog) {
  Debug.DebugLevel = DEBUG_TOPIC_MESSAGE;  // "&Debug to Message" pressed before
  DebugFileSet(DEBUG_TOPIC_FILE, 1, 1);
  EXPECT_EQ(Debug.DebugLevel, 0);
  EXPECT_EQ(Debug.DebugTraceFlag, 0);
  EXPECT_FALSE(DebugLogIsOpen());
  EXPECT_EQ(statusTexts.back(), "0:DEBUG FILE [Qv95_Debug.log] CLOSED");
}

TEST_F(DebugLogTest, LinesFromSeveralThreadsStayWhole) {
  DebugFileSet(DEBUG_TOPIC_FILE, 1, 1);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      std::string name = "Worker" + std::to_string(t) + "()";
      for (int i = 0; i < 200; ++i) {
        DebugTrace(2, name.c_str(), DEBUG_ENTER_EXIT);
        DebugPrintf("worker %d line %d\n", t, i);
      }
    });
  for (auto& thread : threads) thread.join();
  std::istringstream log(ReadLog());
  std::string line;
  int lines = 0;
  while (std::getline(log, line)) {
    ++lines;
    ASSERT_FALSE(line.empty());
    ASSERT_EQ(line.back(), '\r');
    bool trace = line.rfind("   ENTER/EXIT Worker", 0) == 0 && line.size() == 24;
    bool text = line.rfind("worker ", 0) == 0;
    EXPECT_TRUE(trace || text) << line;
  }
  EXPECT_EQ(lines, 4 * 200 * 2);
}

}  // namespace
