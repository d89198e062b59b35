// Runs of the sibling programs on a set, with stand-in programs of our own (small
// shell scripts) in place of the rotor and genetic-algorithm programs: the rotor run
// with a program and without one, the rename of its result, a result the run did not
// write, and the genetic-algorithm run in its thread with its bounded wait.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/driver/TestDriver.h"
#include "records/Ga.h"
#include "records/Locks.h"
#include "resources/Dialogs.h"
#include "sim/SimDialogs.h"
#include "sim/SimSibling.h"
#include "tests/sim/SimFixture.h"

namespace qvtest {
namespace {

namespace fs = std::filesystem;
namespace drv = platform::driver;

class SimSiblingTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Ga = GaRecord{};
    if (!SimReadLock.state) InitializeCriticalSection(&SimReadLock);
    // A simulation file of three lines for the stand-ins to hand back.
    FillSet(8, 3, 0, 1, false);
    StrCopy(Sim.Sim_Flnm[8], "template");
    ASSERT_EQ(SimFIWriteQVS(8, &Sim), 1);
    FreeAll(8);
    Sim.FI_Lines[8] = 0;
    template_ = (fs::current_path() / "template.QVS").string();
  }
  void TearDown() override {
    if (Ga.Run_Thread) {
      WaitForSingleObject(Ga.Run_Thread, 10000);
      CloseHandle(Ga.Run_Thread);
      Ga.Run_Thread = nullptr;
    }
    SimTest::TearDown();
  }

  // An executable shell script in the test folder; its full path.
  std::string Program(const std::string& name, const std::string& body) {
    const fs::path path = dir_.Path() / name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all);
    return path.string();
  }
  // The sibling path file beside the working folder: rotor and genetic-algorithm paths.
  void PathFile(const std::string& rotor, const std::string& ga = "none") {
    std::ofstream(dir_.Path() / "Qv95.dir") << rotor << "\n" << "Hfs95.exe\n" << ga << "\n" << "Exm95.exe\n";
  }
  static bool Exists(const std::string& name) { return fs::exists(name); }
  bool AnyBoxHas(const std::string& part) const {
    for (const std::string& t : BoxTexts())
      if (t.find(part) != std::string::npos) return true;
    return false;
  }

  std::string template_;
};

TEST_F(SimSiblingTest, RotorRunReadsItsResultIntoTheSet) {
  // The stand-in insists on its input file and writes "ORV.QVS" as the program does.
  PathFile(Program("orv.sh", "grep -q 'ORV INPUT FILE : VERSION' \"$1\" || exit 3\ncp '" + template_ + "' ORV.QVS"));
  std::ofstream("Orv.asn") << "\n";
  StrCopy(Sim.Sim_Flnm[2], "mine");
  answers_ = {IDYES};  // read the result now
  EXPECT_EQ(OrvRun(2, 1), 1);
  EXPECT_EQ(Sim.FI_Lines[2], 3u);
  EXPECT_EQ(Sim.Dsp_Stat[2], 1u);
  EXPECT_TRUE(Exists("mine.QVS"));
  EXPECT_FALSE(Exists("ORV.QVS"));
  EXPECT_STREQ(OrvPrm.Res_Flnm, "NO_SIM");
  EXPECT_EQ(ReadAll("Orv.in").rfind("ORV INPUT FILE : VERSION v5.6\r\n", 0), 0u);
  ASSERT_FALSE(BoxTexts().empty());
  EXPECT_NE(BoxTexts().back().find("ENDED WITH EXIT CODE [0]"), std::string::npos);

  // Mode 0 and a later No leave the result pending for RD ORV, under the program's name.
  EXPECT_EQ(OrvRun(3, 0), 1);
  EXPECT_STREQ(OrvPrm.Res_Flnm, "ORV");
  EXPECT_TRUE(Exists("ORV.QVS"));
  EXPECT_EQ(Sim.FI_Lines[3], 0u);
  StrCopy(Sim.Sim_Flnm[3], "later");
  EXPECT_EQ(SimRotorResultRead(3), 1);
  EXPECT_EQ(Sim.FI_Lines[3], 3u);
  EXPECT_TRUE(Exists("later.QVS"));
}

TEST_F(SimSiblingTest, MissingRotorProgramWarnsWithItsPathAndChangesNothing) {
  const std::string missing = (dir_.Path() / "nowhere" / "orv95.exe").string();
  PathFile(missing);
  StrCopy(Sim.Sim_Flnm[1], "kept");
  EXPECT_EQ(OrvRun(1, 1), 0);
  ASSERT_EQ(BoxCaptions().size(), 1u);
  EXPECT_EQ(BoxCaptions()[0], "Warning");
  EXPECT_NE(BoxTexts()[0].find(missing), std::string::npos);
  EXPECT_FALSE(Exists("Orv.in"));
  EXPECT_STREQ(OrvPrm.Res_Flnm, "NO_SIM");
  EXPECT_STREQ(Sim.Sim_Flnm[1], "kept");

  // A program that ends without writing leaves an old result unread.
  PathFile(Program("idle.sh", "exit 0"));
  std::ofstream("Orv.asn") << "\n";
  fs::copy_file(template_, "ORV.QVS");
  fs::last_write_time("ORV.QVS", fs::last_write_time("ORV.QVS") - std::chrono::hours(1));
  platform::ClearBoxLog();
  answers_ = {IDYES};
  EXPECT_EQ(OrvRun(1, 1), 0);
  EXPECT_TRUE(AnyBoxHas("NOT WRITTEN BY THIS RUN"));
  EXPECT_EQ(Sim.FI_Lines[1], 0u);
  EXPECT_STREQ(OrvPrm.Res_Flnm, "NO_SIM");
  EXPECT_STREQ(Sim.Sim_Flnm[1], "kept");
  EXPECT_TRUE(Exists("ORV.QVS"));
}

TEST_F(SimSiblingTest, RenameAnswersTheSetOrMinusOneForMissingOutputs) {
  StrCopy(Sim.Sim_Flnm[0], "first");
  StrCopy(Sim.Sim_Flnm[4], "fifth");
  EXPECT_EQ(OrvOutputRename(0), -1);  // nothing pending
  StrCopy(OrvPrm.Res_Flnm, "ORV");
  EXPECT_EQ(OrvOutputRename(0), -1);  // pending, but no output: not set A's number
  fs::copy_file(template_, "ORV.QVS");
  std::ofstream("ORV.asc") << "lines\n";
  EXPECT_EQ(OrvOutputRename(4), 4);
  EXPECT_TRUE(Exists("fifth.QVS"));
  EXPECT_TRUE(Exists("fifth.asc"));
  EXPECT_FALSE(Exists("ORV.QVS"));

  // RD ORV with the output gone: the name reverts, nothing is read, the result is consumed.
  FillSet(0, 2, 0, 1, false);
  OrvPrm.Res_Counts[3] = 7;
  EXPECT_EQ(SimRotorResultRead(0), 0);
  EXPECT_STREQ(Sim.Sim_Flnm[0], "NoName");
  EXPECT_EQ(Sim.Dsp_Stat[0], 0u);
  EXPECT_STREQ(OrvPrm.Res_Flnm, "NO_SIM");
  EXPECT_EQ(OrvPrm.Res_Counts[3], 0u);
}

TEST_F(SimSiblingTest, GeneticRunReadsTheUpdatedSetInItsThread) {
  PathFile("none", Program("ga.sh", "test -n \"$2\" || exit 4\ncp '" + template_ + "' \"$2.QVS\""));
  StrCopy(Sim.Sim_Flnm[5], "evolved");
  ASSERT_EQ(GaRun(5), 1);
  EXPECT_EQ(GaRun(5), Ga.Run_Stat == 1 ? 0 : 1);  // one run at a time
  ASSERT_EQ(WaitForSingleObject(Ga.Run_Thread, 20000), WAIT_OBJECT_0);
  EXPECT_EQ(Ga.Run_Stat.load(), 0u);
  EXPECT_EQ(Ga.Run_Result.load(), 1);
  EXPECT_EQ(Sim.FI_Lines[5], 3u);

  // A program that outlives the wait is stopped and nothing is read.
  CloseHandle(Ga.Run_Thread);
  Ga.Run_Thread = nullptr;
  PathFile("none", Program("slow.sh", "exec sleep 30"));
  Ga.Run_Wait_Ms = 200;
  StrCopy(Sim.Sim_Flnm[6], "never");
  ASSERT_EQ(GaRun(6), 1);
  ASSERT_EQ(WaitForSingleObject(Ga.Run_Thread, 20000), WAIT_OBJECT_0);
  EXPECT_EQ(Ga.Run_Result.load(), -2);
  EXPECT_EQ(Sim.FI_Lines[6], 0u);

  // Another folder made current while the program runs (another working file opened):
  // the program works on in the folder the run started in, and the set is not read from
  // the other folder, whose file of that name stays unread.
  CloseHandle(Ga.Run_Thread);
  Ga.Run_Thread = nullptr;
  Ga.Run_Wait_Ms = 60000;
  PathFile("none", Program("wait.sh", ": > started\nwhile [ ! -e go ]; do sleep 0.01; done\ncp '" + template_ +
                                          "' \"$2.QVS\""));
  const fs::path start = fs::current_path();
  fs::create_directory("other");
  fs::copy_file(template_, "other/moved.QVS");
  StrCopy(Sim.Sim_Flnm[7], "moved");
  ASSERT_EQ(GaRun(7), 1);
  ASSERT_TRUE(drv::PumpUntil([&] { return fs::exists(start / "started"); }, 20000));
  fs::current_path("other");
  std::ofstream(start / "go") << "";
  ASSERT_EQ(WaitForSingleObject(Ga.Run_Thread, 20000), WAIT_OBJECT_0);
  fs::current_path(start);
  EXPECT_EQ(Ga.Run_Result.load(), 0);
  EXPECT_EQ(Sim.FI_Lines[7], 0u);
  EXPECT_TRUE(Exists("moved.QVS"));

  // No program: the warning names the path and no thread starts.
  CloseHandle(Ga.Run_Thread);
  Ga.Run_Thread = nullptr;
  PathFile("none", "/nowhere/evo95.exe");
  platform::ClearBoxLog();
  EXPECT_EQ(GaRun(6), 0);
  EXPECT_TRUE(AnyBoxHas("/nowhere/evo95.exe"));
  EXPECT_EQ(Ga.Run_Thread, nullptr);
}

TEST_F(SimSiblingTest, RdOrvButtonReadsThePendingResultOnce) {
  RegisterDialogResources();
  StrCopy(Sim.Sim_Flnm[0], "mine");
  ASSERT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
  HWND d = Sim.Ctl_Hwnd;
  fs::copy_file(template_, "ORV.QVS");
  StrCopy(OrvPrm.Res_Flnm, "ORV");
  ASSERT_TRUE(platform::driver::Click(d, IDC_SC_RDORV));  // the left column: set A, number 0
  EXPECT_EQ(Sim.FI_Lines[0], 3u);
  EXPECT_EQ(Sim.Dsp_Stat[0], 1u);
  EXPECT_TRUE(Exists("mine.QVS"));
  EXPECT_STREQ(OrvPrm.Res_Flnm, "NO_SIM");
  // Nothing pending any more: the warning, the set as it was.
  ASSERT_TRUE(platform::driver::Click(d, IDC_SC_RDORV));
  EXPECT_NE(BoxTexts().back().find("FAILED TO FIND OUTPUT FILES"), std::string::npos);
  EXPECT_EQ(Sim.FI_Lines[0], 3u);
  DestroyWindow(d);
  Sim.Ctl_Hwnd = nullptr;
}

}  // namespace
}  // namespace qvtest
