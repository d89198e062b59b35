#include "core/Threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/MsgWindow.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "support/TempDir.h"

namespace {

// What the stand-in per-file routine saw: file index -> worker number.
std::mutex g_seenLock;
std::map<int32_t, int16_t> g_seen;
std::vector<std::string> g_names;

int32_t RecordFile(int16_t worker, int16_t mode, const char* seq, const char* second, const char* values,
                   const char* fourth, const int16_t*, int32_t index) {
  std::lock_guard<std::mutex> lock(g_seenLock);
  EXPECT_EQ(mode, 0);
  g_seen[index] = worker;
  g_names.insert(g_names.end(), {seq, second, values, fourth});
  return 1;
}

int32_t FailFile(int16_t, int16_t, const char*, const char*, const char*, const char*, const int16_t*, int32_t) {
  return 0;
}

class ThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ThreadCtl = ThreadCtlRecord{};
    RavThreadPool = RavThreadPoolRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    Debug = DebugRecord{};
    RegisterDialogResources();
    g_seen.clear();
    g_names.clear();
    platform::ClearBoxLog();
    previous_ = platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });
    previousFix_ = RavSetFileFixRoutine(RecordFile);
    // The message window belongs to this (the interface) thread, as at start-up; the
    // workers' lines reach it through sends serviced while this thread waits.
    ASSERT_EQ(DspMsgShow(1, nullptr), 1);
  }
  void TearDown() override {
    if (Dsp.Msg_Hwnd) DestroyWindow(Dsp.Msg_Hwnd);
    RavSetFileFixRoutine(previousFix_);
    platform::SetBoxAnswerer(previous_);
  }

  void MakeSeries(int count) {
    for (int k = 0; k < count; ++k) std::ofstream(dir_.File(StrPrintf("scan%03d", k))) << "x";
  }
  void FillPool(int16_t size, int16_t command) {
    RavThreadPool.Pool_Size = size;
    RavThreadPool.Pool_Proc = 0;
    RavThreadPool.Pool_Cmd = command;
    StrCopy(RavThreadPool.Pool_Flnm[0], dir_.File("scan").c_str());
    StrCopy(RavThreadPool.Pool_Flnm[1], dir_.File("ref").c_str());
    StrCopy(RavThreadPool.Pool_Flnm[2], dir_.File("cc").c_str());
    StrCopy(RavThreadPool.Pool_Flnm[3], dir_.File("out").c_str());
  }
  // One round of the driver's protocol.
  void RunRound(int16_t size) {
    for (int i = 0; i < size; ++i) SetEvent(RavThreadPool.StartEvent[i]);
    ASSERT_EQ(WaitForMultipleObjects(size, RavThreadPool.DoneEvent, TRUE, 30000), WAIT_OBJECT_0);
  }
  void EndPool(int16_t size) {
    for (int i = 0; i < size; ++i) SetEvent(RavThreadPool.QuitEvent[i]);
    for (int i = 0; i < size; ++i) SetEvent(RavThreadPool.StartEvent[i]);
    ASSERT_EQ(WaitForMultipleObjects(size, RavThreadPool.Thread, TRUE, 30000), WAIT_OBJECT_0);
  }
  std::string Messages() { return Dsp.Msg_Text; }

  qvtest::TempDir dir_;
  platform::BoxAnswerer previous_;
  RavFileFixRoutine previousFix_ = nullptr;
};

TEST_F(ThreadsTest, PoolOfThreeHandsOutTheSeriesAndEndsOnQuit) {
  MakeSeries(7);
  FillPool(3, RAV_CMD_SEQCCFILEFIX);
  ASSERT_EQ(QvMPICreate(3), 1);
  RunRound(3);
  std::map<int32_t, int16_t> expected{{0, 1}, {1, 2}, {2, 3}, {3, 1}, {4, 2}, {5, 3}, {6, 1}};
  EXPECT_EQ(g_seen, expected);
  // Four names per file: the templates followed by the number, the third with "_CCVals".
  EXPECT_NE(std::find(g_names.begin(), g_names.end(), dir_.File("cc004_CCVals")), g_names.end());
  EXPECT_NE(std::find(g_names.begin(), g_names.end(), dir_.File("out006")), g_names.end());
  for (int i = 0; i < 3; ++i) EXPECT_NE(Messages().find(StrPrintf("OPSEQ:   THREAD=[%2d] DONE\n", i)), std::string::npos);

  // A second round on the same workers runs the series again.
  g_seen.clear();
  RunRound(3);
  EXPECT_EQ(g_seen, expected);

  EndPool(3);
  for (int i = 0; i < 3; ++i)
    EXPECT_NE(Messages().find(StrPrintf("RAV:   THREAD=[%2d] EXIT\n", i)), std::string::npos) << Messages();
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(ThreadsTest, MissingFirstFileEndsEveryWorkerAtOnce) {
  FillPool(2, RAV_CMD_SEQCC2FILEFIX);
  ASSERT_EQ(QvMPICreate(2), 1);
  RunRound(2);
  EXPECT_TRUE(g_seen.empty());
  EXPECT_NE(Messages().find("OPSEQ:   RAV SEQCC2FILEFIX:   FILE TEST=[" + dir_.File("scan000") + "]\n"),
            std::string::npos);
  EXPECT_NE(Messages().find("OPSEQ:   THREAD=[ 1] DONE\n"), std::string::npos);
  EndPool(2);
}

TEST_F(ThreadsTest, FailedFileAndBadCommandWarnAndStillReportDone) {
  MakeSeries(2);
  FillPool(1, RAV_CMD_SEQCC2FILEFIX);
  RavSetFileFixRoutine(FailFile);
  ASSERT_EQ(QvMPICreate(1), 1);
  RunRound(1);
  RavThreadPool.Pool_Cmd = 5;
  RunRound(1);
  RavThreadPool.Pool_Cmd = RAV_CMD_SEQCCFILEFIX;
  RavThreadPool.Pool_Proc = 1;
  RunRound(1);
  EndPool(1);
  auto log = platform::BoxLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].text, "SEQCOADD\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING");
  EXPECT_EQ(log[0].style, 0x1030u);
  EXPECT_EQ(log[1].text, "OPSEQ COMMAND STRING NOT VALID");
  EXPECT_EQ(log[2].text, "RAV PROCEEDURE NOT VALID");
}

TEST_F(ThreadsTest, PoolLargerThanThirtyIsRefused) {
  EXPECT_EQ(QvMPICreate(31), 0);
  EXPECT_EQ(QvMPICreate(0), 0);
  ASSERT_EQ(platform::BoxLog().size(), 2u);
  EXPECT_EQ(RavThreadPool.Thread[0], nullptr);
}

std::atomic<int> g_opSeqRuns{0};
DWORD OpSeqStandIn(void*) {
  g_opSeqRuns.fetch_add(1);
  return 0;
}

TEST_F(ThreadsTest, FunctionThreadRunsOtherRoutinesAsTheOperationSequence) {
  g_opSeqRuns = 0;
  ASSERT_EQ(FunctionThreadCreate(OpSeqStandIn), 1);
  ASSERT_NE(ThreadCtl.OpSeq_Thread, nullptr);
  EXPECT_EQ(GetThreadPriority(ThreadCtl.OpSeq_Thread), THREAD_PRIORITY_BELOW_NORMAL);
  ASSERT_EQ(WaitForSingleObject(ThreadCtl.OpSeq_Thread, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(g_opSeqRuns.load(), 1);
  EXPECT_EQ(ThreadCtl.View_Thread, nullptr);
  EXPECT_EQ(FunctionThreadCreate(nullptr), 0);
  ASSERT_EQ(platform::BoxLog().size(), 1u);
  EXPECT_EQ(platform::BoxLog()[0].text, "FUNCTION THREAD NOT STARTED\n\nABORTING");
}

}  // namespace
