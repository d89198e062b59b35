// The operation-sequence interpreter run on small command files in a folder of its
// own: the choice of the command file, the log, blocks, the keyword table and the
// commands, with every box answered by the test.
#include "convert/OpSeq.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/MsgWindow.h"
#include "core/Threads.h"
#include "core/TypedArrays.h"
#include "fileproc/CrossCorrFix.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "tests/support/TempDir.h"

namespace {

void WriteFloats(const std::string& name, const std::vector<float>& values) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * sizeof(float)));
}
std::vector<float> ReadFloats(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<float> values(bytes.size() / sizeof(float));
  if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
  return values;
}
// A text as the log holds it: every line feed written as CR LF.
std::string CrLf(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (ch == '\n') out += '\r';
    out += ch;
  }
  return out;
}
std::string ReadText(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class OpSeqTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cnv = CnvRecord{};
    Cnl = CnlRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    ThreadCtl.OpSeq_Running = 1;
    ThreadCtl.OpSeq_Stop = 0;
    RegisterDialogResources();
    platform::ClearBoxLog();
    previousSleep_ = platform::SetSleepLimit(0);
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    previousBox_ = platform::SetBoxAnswerer([this](const platform::BoxRequest& box) {
      {
        // Pool workers show their boxes at the same time.
        const std::lock_guard<std::mutex> lock(boxesLock_);
        boxes_.push_back(box.caption + "|" + box.text);
      }
      for (const auto& [prefix, answer] : answers_) {
        if (box.text.compare(0, prefix.size(), prefix) == 0) return answer;
      }
      // The edit question: start no editor.
      if (box.text.find("EDIT USING") != std::string::npos) return IDCANCEL;
      return platform::NonDestructiveAnswer(box.style);
    });
    WriteFloats("a.bin", {1.0f, -2.0f, 3.0f, 4.0f});
  }
  void TearDown() override {
    platform::SetBoxAnswerer(previousBox_);
    platform::SetSleepLimit(previousSleep_);
    std::filesystem::current_path(previousFolder_);
  }

  // Writes the command file under its initial name (CR LF lines) and runs it.
  void RunLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    std::ofstream("OpASeq100.dat", std::ios::binary) << text;
    EXPECT_EQ(CnvOperationSequence(nullptr), 1u);
    EXPECT_EQ(ThreadCtl.OpSeq_Running, 0u);
  }
  // The boxes after the edit question.
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const auto& b : boxes_) {
      if (b.find("EDIT USING") == std::string::npos) out.push_back(b);
    }
    return out;
  }
  std::string Log() const { return ReadText("OpSeq.log"); }

  qvtest::TempDir dir_;
  std::filesystem::path previousFolder_;
  platform::BoxAnswerer previousBox_;
  DWORD previousSleep_ = 0;
  std::mutex boxesLock_;
  std::vector<std::string> boxes_;
  std::map<std::string, int> answers_;
};

TEST_F(OpSeqTest, KeywordTableHoldsTheFiftyFiveKeywordsCaseMatters) {
  EXPECT_EQ(OpSeqKeywordIndex("CHNSUB"), 0);
  EXPECT_EQ(OpSeqKeywordIndex("SCALE"), 5);
  EXPECT_EQ(OpSeqKeywordIndex("REMSECT_FILE"), 16);
  EXPECT_EQ(OpSeqKeywordIndex("NLLSF_FIT"), 46);
  EXPECT_EQ(OpSeqKeywordIndex("AVEOFFSET"), 54);
  EXPECT_EQ(OpSeqKeywordIndex("scale"), -1);
  EXPECT_EQ(OpSeqKeywordIndex("SCALE "), -1);
  for (int32_t i = 0; i < OPSEQ_KEYWORDS; ++i) EXPECT_EQ(OpSeqKeywordIndex(OpSeqKeywordTable[i]), i);
}

TEST_F(OpSeqTest, CommandsWithoutBlocksRunInOrderAndAreLogged) {
  RunLines({"# squares and reverses", "SQR", "2 a.bin b.bin", "", "REVERSE_FILE", "-1 b.bin c.bin"});
  EXPECT_EQ(ReadFloats("b.bin"), (std::vector<float>{1.0f, 4.0f, 9.0f, 16.0f}));
  EXPECT_EQ(ReadFloats("c.bin"), (std::vector<float>{16.0f, 9.0f, 4.0f, 1.0f}));
  EXPECT_STREQ(Dsp.Chn_Flnm[2], "b.bin");
  EXPECT_EQ(Log(),
            "OPSEQ LINE=[# squares and reverses]\r\n"
            "OPSEQ LINE=[SQR]\r\n"
            "   OPSEQ CMD=[SQR] CMD_ID=[8]\r\n"
            "   OPSEQ ARGS=[2 a.bin b.bin]\r\n"
            "OPSEQ LINE=[]\r\n"
            "OPSEQ LINE=[REVERSE_FILE]\r\n"
            "   OPSEQ CMD=[REVERSE_FILE] CMD_ID=[22]\r\n"
            "   OPSEQ ARGS=[-1 b.bin c.bin]\r\n");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_STREQ(Cnv.OpSeq_Flnm, "OpASeq100.dat");
}

// While a command waits for an answer, the log holds every line up to its arguments,
// in the file itself.
TEST_F(OpSeqTest, TheLogIsInItsFileWhileACommandWaits) {
  std::string seen;
  std::vector<std::string> names;
  const platform::BoxAnswerer fixture = platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    if (box.text.find("EDIT USING") != std::string::npos) return IDCANCEL;
    seen = ReadText("OpSeq.log");
    for (const auto& e : std::filesystem::directory_iterator(".")) names.push_back(e.path().filename().string());
    return IDYES;
  });
  RunLines({"SQR", "-1 a.bin b.bin", "S2F_FILE", "-1 a.bin c.bin 0 1 1"});
  platform::SetBoxAnswerer(fixture);
  const std::string lines = CrLf(
      "OPSEQ LINE=[SQR]\n   OPSEQ CMD=[SQR] CMD_ID=[8]\n   OPSEQ ARGS=[-1 a.bin b.bin]\n"
      "OPSEQ LINE=[S2F_FILE]\n   OPSEQ CMD=[S2F_FILE] CMD_ID=[47]\n   OPSEQ ARGS=[-1 a.bin c.bin 0 1 1]\n");
  EXPECT_EQ(seen, lines);
  for (const auto& name : names) EXPECT_NE(name[0], '.') << name;  // no temporary log beside it
  EXPECT_EQ(Log(), lines);
}

TEST_F(OpSeqTest, AKeywordNotInTheTableEndsTheRunBeforeAnythingRuns) {
  RunLines({"scale", "-1 a.bin b.bin 2.0", "SQR", "-1 a.bin c.bin"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|COMMAND STR=[scale] NOT VALID\n\nTOTAL COMMANDS=[55]\n\nABORTING");
  EXPECT_FALSE(std::filesystem::exists("b.bin"));
  EXPECT_FALSE(std::filesystem::exists("c.bin"));
  EXPECT_EQ(Log(), "OPSEQ LINE=[scale]\r\nscale\r\n");
}

TEST_F(OpSeqTest, NotValidKeywordsWarnAndTheRunGoesOn) {
  RunLines({"REMSECT_FILE", "x", "AVEOFFSET", "y", "SQR", "-1 a.bin b.bin"});
  ASSERT_EQ(Boxes().size(), 2u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|COMMAND STRING [REMSECT_FILE] NOT VALID");
  EXPECT_EQ(Boxes()[1], "Warning|COMMAND STRING [AVEOFFSET] NOT VALID");
  EXPECT_TRUE(std::filesystem::exists("b.bin"));
  EXPECT_NE(Log().find("   OPSEQ ARGS=[x]\r\nCOMMAND STRING [REMSECT_FILE] NOT VALID\r\n"), std::string::npos);
}

TEST_F(OpSeqTest, AWrongFieldCountEndsTheRunWithItsTextInBoxAndLog) {
  RunLines({"SQR", "-1 a.bin", "SQR", "-1 a.bin c.bin"});
  const std::string text =
      "SQR\n\n[SQR] WRONG NUMBER [NEED 3] OF PARAMETER ARGUMENTS [OpASeq100.dat] IN:\n-1 a.bin";
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|" + text);
  EXPECT_FALSE(std::filesystem::exists("c.bin"));
  const std::string log = Log();
  const std::string tail = "SQR\r\n\r\n[SQR] WRONG NUMBER [NEED 3] OF PARAMETER ARGUMENTS [OpASeq100.dat] IN:\r\n-1 a.bin\r\n";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

TEST_F(OpSeqTest, ScaleHasItsOwnSingleBreakTextAndTakesARange) {
  RunLines({"SCALE", "-1 a.bin b.bin 2.0 1 3", "SCALE", "-1 a.bin"});
  const std::vector<float> scaled = ReadFloats("b.bin");  // the range scaled
  ASSERT_GE(scaled.size(), 2u);
  EXPECT_EQ(scaled[0], -4.0f);
  EXPECT_EQ(scaled[1], 6.0f);
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0],
            "Warning|SCALE\n[SCALE] WRONG NUMBER [NEED 4+] OF PARAMETER ARGUMENTS [OpASeq100.dat] IN:\n-1 a.bin");
  EXPECT_EQ(Cnv.Lim_Stat[1], 0);  // cleared after the scaled range
}

TEST_F(OpSeqTest, AScaleOrOffsetThatIsNoNumberFailsTheCommand) {
  // Not the last command's value, and nothing infinite into the data.
  for (const char* keyword : {"SCALE", "OFFSET"})
    for (const char* value : {"nan", "inf", "1e39", "x"}) {
      SCOPED_TRACE(std::string(keyword) + " " + value);
      boxes_.clear();
      RunLines({keyword, std::string("-1 a.bin c.bin ") + value});
      ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
      EXPECT_EQ(Boxes()[0], std::string("Warning|") + keyword + "\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING");
      EXPECT_FALSE(std::filesystem::exists("c.bin"));
    }
}

TEST_F(OpSeqTest, ANameLongerThanItsFieldFailsTheCommand) {
  RunLines({"SQR", "-1 a.bin " + std::string(300, 'n')});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|SQR\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING");
}

TEST_F(OpSeqTest, CommentsBetweenKeywordAndArgumentsCountOnlyInColumnOne) {
  RunLines({"SQR", "# skipped", "", "-1 a.bin b.bin", "SQR", "  # taken", "-1 a.bin c.bin"});
  EXPECT_TRUE(std::filesystem::exists("b.bin"));
  EXPECT_FALSE(std::filesystem::exists("c.bin"));
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_NE(Boxes()[0].find("IN:\n  # taken"), std::string::npos);
}

TEST_F(OpSeqTest, AKeywordOnTheLastLineTakesItselfAsArguments) {
  RunLines({"SQR"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_NE(Boxes()[0].find("IN:\nSQR"), std::string::npos);
}

TEST_F(OpSeqTest, AutomaticBlockRunsWithoutQuestionsAndShowsTheSummary) {
  RunLines({"START [01] X", "SQR", "-1 a.bin b.bin", "CHNSUB", "1 b.bin", "REVERSE_FILE", "-1 a.bin c.bin",
            "STOP [01]", "SQR", "-1 a.bin d.bin"});
  EXPECT_TRUE(std::filesystem::exists("b.bin"));
  EXPECT_TRUE(std::filesystem::exists("c.bin"));
  EXPECT_TRUE(std::filesystem::exists("d.bin"));  // the same selector keeps commands running
  const auto boxes = Boxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back(),
            "Info|AUTOMATIC OPERATIONAL SEQUENCE:\n\n[1] SQR\t\t[01] \n[1] REVERSE_FILE\t\t[01] \n"
            "[2] SQR\t\t[01\n");
}

TEST_F(OpSeqTest, AStopWithAnotherSelectorSkipsToTheNextStart) {
  RunLines({"START [01]", "SQR", "-1 a.bin b.bin", "STOP", "SQR", "-1 a.bin c.bin", "START [02]", "SQR",
            "-1 a.bin d.bin"});
  EXPECT_TRUE(std::filesystem::exists("b.bin"));
  EXPECT_FALSE(std::filesystem::exists("c.bin"));
  EXPECT_TRUE(std::filesystem::exists("d.bin"));
}

TEST_F(OpSeqTest, ANegativeSelectorSkipsUpToItsTagWhereTheQuestionDecides) {
  answers_["[1] [05] [05] la"] = IDYES;
  RunLines({"START [-05]", "SQR", "-1 a.bin b.bin", "STOP [05] last", "SQR", "-1 a.bin c.bin"});
  EXPECT_FALSE(std::filesystem::exists("b.bin"));
  EXPECT_TRUE(std::filesystem::exists("c.bin"));
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Question|[1] [05] [05] las\n\nPERFORM OPERATION(S) [YES] | SKIP [NO] | ABORT [CANCEL]?");
}

TEST_F(OpSeqTest, AnXSelectorAsksAtEveryBlockLine) {
  answers_["[1] [X] [-X\n"] = IDNO;
  answers_["[1] [X] [-X] tw"] = IDYES;
  answers_["[2] "] = IDCANCEL;
  RunLines({"START [-X]", "SQR", "-1 a.bin b.bin", "START [-X] two", "SQR", "-1 a.bin c.bin", "STOP", "SQR",
            "-1 a.bin d.bin"});
  EXPECT_FALSE(std::filesystem::exists("b.bin"));
  EXPECT_TRUE(std::filesystem::exists("c.bin"));
  EXPECT_FALSE(std::filesystem::exists("d.bin"));  // cancelled at the STOP line
  ASSERT_EQ(Boxes().size(), 3u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Question|[1] [X] [-X\n\nPERFORM OPERATION(S) [YES] | SKIP [NO] | ABORT [CANCEL]?");
  EXPECT_EQ(Boxes()[2], "Question|[2] PERFORM OPERATION(S) [YES] | SKIP [NO] | ABORT [CANCEL]?");
}

TEST_F(OpSeqTest, AStopBeforeAnyStartEndsTheRun) {
  RunLines({"STOP", "SQR", "-1 a.bin b.bin"});
  EXPECT_FALSE(std::filesystem::exists("b.bin"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(OpSeqTest, TheSummaryIsCutAtItsCapacity) {
  std::vector<std::string> lines{"START"};
  for (int i = 0; i < 1200; ++i) {
    lines.push_back("REMSECT_FILE");
    lines.push_back("x");
  }
  RunLines(lines);
  const auto boxes = Boxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().size(), std::string("Info|").size() + 14999);
}

TEST_F(OpSeqTest, AStopRequestEndsTheRunAtItsNextLine) {
  ThreadCtl.OpSeq_Stop = 1;
  RunLines({"SQR", "-1 a.bin b.bin"});
  EXPECT_FALSE(std::filesystem::exists("b.bin"));
  EXPECT_EQ(Log(), "");
}

TEST_F(OpSeqTest, ANewSequenceNumberCopiesTheCommandFileFirst) {
  std::ofstream("OpASeq100.dat", std::ios::binary) << "SQR\r\n-1 a.bin b?.bin\r\n";
  StrCopy(Cnv.OpSeq_Sub, "200");
  EXPECT_EQ(CnvOperationSequence(nullptr), 1u);
  ASSERT_FALSE(boxes_.empty());
  EXPECT_EQ(boxes_[0],
            "Question|COPIED [OpASeq100.dat] TO [OpASeq200.dat]\n\nEDIT USING 'vi' [YES] | 'wordpad' [NO]\n\n"
            "RUN [OpASeq200.dat] [CANCEL]?");
  EXPECT_STREQ(Cnv.OpSeq_Flnm, "OpASeq200.dat");
  EXPECT_TRUE(std::filesystem::exists("OpASeq200.dat"));
  EXPECT_TRUE(std::filesystem::exists("b200.bin"));
}

TEST_F(OpSeqTest, NoCommandFileAtAllEndsTheRunWithAWarning) {
  EXPECT_EQ(CnvOperationSequence(nullptr), 1u);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "Warning|NEITHER OPSEQ FILE [OpSeq100F.dat] | [OpSeq100F.dat] EXISTS\n\nABORTING");
  EXPECT_FALSE(std::filesystem::exists("OpSeq.log"));
  EXPECT_EQ(ThreadCtl.OpSeq_Running, 0u);
}

// One command run on its own: the accepted line writes its output and names channel 3
// where the command updates channels; a line with a wrong count ends with its text.
struct CommandCase {
  const char* keyword;
  const char* good;       // accepted argument line
  const char* output;     // the file it writes ("" none)
  bool namesChannel;      // channel 3 then shows output
  const char* bad;        // a line with a wrong field count
  const char* badText;    // the box text it ends with
};

class OpSeqCommandTest : public OpSeqTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(OpSeqCommandTest, AcceptedLineRunsAndAWrongCountEndsTheRun) {
  const CommandCase& k = GetParam();
  WriteFloats("b.bin", {5.0f, 6.0f});
  {
    std::ofstream shorts("s.bin", std::ios::binary);
    const int16_t v[4] = {1, 2, 3, 4};
    shorts.write(reinterpret_cast<const char*>(v), sizeof v);
    std::ofstream doubles("d.bin", std::ios::binary);
    const double w[2] = {1.5, 2.5};
    doubles.write(reinterpret_cast<const char*>(w), sizeof w);
  }
  WriteFloats("q000", {1.0f, 2.0f});
  std::ofstream("w.txt", std::ios::binary) << "1\r\n";
  RunLines({k.keyword, k.good});
  for (const auto& b : Boxes()) EXPECT_EQ(b.rfind("Warning|", 0), std::string::npos) << ::testing::PrintToString(boxes_);
  if (*k.output) {
    EXPECT_TRUE(std::filesystem::exists(k.output));
    if (k.namesChannel) {
      EXPECT_STREQ(Dsp.Chn_Flnm[3], k.output);
    }
  }
  boxes_.clear();
  RunLines({k.keyword, k.bad, "SQR", "-1 a.bin never.bin"});
  const std::string text = std::string(k.badText) + " [OpASeq100.dat] IN:\n" + k.bad;
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|" + text);
  EXPECT_NE(Log().find(CrLf(text)), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists("never.bin"));
}

#define WN(word, need) word "\n\n[" word "] WRONG NUMBER [NEED " need "] OF PARAMETER ARGUMENTS"
INSTANTIATE_TEST_SUITE_P(
    Commands, OpSeqCommandTest,
    ::testing::Values(
        CommandCase{"CHNSUB", "3 x?.bin 2.0", "", false, "3", "CHN2SUB\n\n[CHNSUB] WRONG NUMBER [NEED 2-7] OF PARAMETER ARGUMENTS"},
        CommandCase{"CHOPSEQ_FILE", "3 a.bin c.bin 2 0 1", "c.bin", true, "3 a.bin c.bin 2 0", WN("CHOPSEQ_FILE", "6")},
        CommandCase{"OFFSET", "3 a.bin c.bin 1.5 1", "c.bin", true, "3 a.bin c.bin", WN("OFFSET", "4+")},
        CommandCase{"SQR", "3 a.bin c.bin", "c.bin", true, "3 a.bin", WN("SQR", "3")},
        CommandCase{"LOG10", "3 a.bin c.bin 1.0", "c.bin", true, "3 a.bin c.bin", WN("LOG10", "4")},
        CommandCase{"NATLOG", "3 a.bin c.bin 1.0", "c.bin", true, "3 a.bin c.bin", WN("NATLOG", "4")},
        CommandCase{"SMOOTH", "3 a.bin c.bin 4", "c.bin", true, "3 a.bin c.bin", WN("SMOOTH", "4")},
        CommandCase{"AVERAGE", "3 a.bin c.bin 2", "c.bin", true, "3 a.bin c.bin", WN("AVERAGE", "4")},
        CommandCase{"DEGLITCH", "3 a.bin c.bin 10", "c.bin", true, "3 a.bin c.bin", WN("DEGLITCH", "4")},
        CommandCase{"SUBTRACT", "3 a.bin c.bin a.bin 1", "c.bin", true, "3 a.bin c.bin", WN("SUBTRACT", "4+")},
        CommandCase{"APPEND_FILE", "3 a.bin b.bin c.bin", "c.bin", false, "3 a.bin b.bin", WN("APPEND_FILE", "4")},
        CommandCase{"REVERSE_FILE", "3 a.bin c.bin", "c.bin", true, "3 a.bin", WN("REVERSE_FILE", "3")},
        CommandCase{"SEQDUP", "3 a.bin c.bin 4 2", "c.bin", true, "3 a.bin c.bin 1", WN("SEQDUP", "5")},
        CommandCase{"LECROYDELETE", "3 a.bin c.bin 2 1", "c.bin", true, "3 a.bin c.bin 2", WN("LECROYDELETE", "5+")},
        CommandCase{"S2F_FILE", "3 s.bin c.bin 2 1 1", "c.bin", true, "3 s.bin c.bin 2 1", WN("S2F_FILE", "6")},
        CommandCase{"D2F_FILE", "3 d.bin c.bin", "c.bin", true, "3 d.bin", WN("D2F_FILE", "3")},
        CommandCase{"DELETE_FILE", "3 b.bin", "", false, "3", WN("DELETE_FILE", "2+")},
        CommandCase{"NORMALIZE", "3 a.bin c.bin a.bin 0 0 1.0 0.0 0.0 0.0 0 0 4.0", "c.bin", true,
                    "3 a.bin c.bin a.bin 0 0 1.0 0.0 0.0 0.0 0 0", WN("NORMALIZE", "13")},
        CommandCase{"CALIB", "100.0 50 1000.0 10", "", false, "100.0 50 1000.0", WN("CALIB", "4")},
        CommandCase{"ZEROSECT_FILE", "3 a.bin c.bin 0 1", "c.bin", true, "3 a.bin c.bin 0", WN("ZEROSECT_FILE", "5+")},
        CommandCase{"RESIZE_FILE", "3 a.bin c.bin 8 1.0 0.5", "c.bin", true, "3 a.bin c.bin 8 1.0", WN("RESIZE_FILE", "6")},
        CommandCase{"COADD_FILE", "3 q c.bin w.txt 0 0", "c.bin", true, "3 q c.bin w.txt 0", WN("COADD_FILE", "6")},
        CommandCase{"REPACK_FILE", "3 a.bin c.bin 1 2 1 4", "c.bin", true, "3 a.bin c.bin 1 2 1", WN("REPACK_FILE", "7+")}));

// The other keywords' wrong counts: each ends the run with its own text before anything runs.
struct WrongCountCase {
  const char* keyword;
  const char* bad;
  const char* badText;
};

class OpSeqWrongCountTest : public OpSeqTest, public ::testing::WithParamInterface<WrongCountCase> {};

TEST_P(OpSeqWrongCountTest, EndsTheRunWithItsText) {
  const WrongCountCase& k = GetParam();
  RunLines({k.keyword, k.bad, "SQR", "-1 a.bin never.bin"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  const std::string text = std::string(k.badText) + " [OpASeq100.dat] IN:\n" + k.bad;
  EXPECT_EQ(Boxes()[0], "Warning|" + text);
  EXPECT_NE(Log().find(CrLf(text)), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists("never.bin"));
  EXPECT_FALSE(std::filesystem::exists("c.bin"));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, OpSeqWrongCountTest,
    ::testing::Values(WrongCountCase{"FFTWINSEQ", "3 a.bin c.bin 4 1 0.5 0", WN("FFTWINSEQ", "8+")},
                      WrongCountCase{"FFTSEQ_ARY", "3 a.bin c.bin 0 4 4 4 1.0", WN("FFTSEQ_ARY", "9+")},
                      WrongCountCase{"FFTSEQ_FILE", "3 a.bin c.bin 0 4 4 4 1.0 0 0", WN("FFTSEQ_FILE", "9+")},
                      WrongCountCase{"SCALE2MKS", "3 a.bin c.bin m.txt 0 1", WN("SCALE2MKS", "7")},
                      WrongCountCase{"ADDSECT_FILE", "3 a.bin c.bin 0", WN("ADDSECT_FILE", "5+")},
                      WrongCountCase{"REPSECT_FILE", "3 a.bin c.bin 0", WN("REPSECT_FILE", "5")},
                      WrongCountCase{"SORT_FILE", "3 a.bin c.bin 0 0 4 4 2", WN("SORT_FILE", "5+")},
                      WrongCountCase{"MULTDIV_FILE", "3 a.bin c.bin b.bin", WN("MULTDIV_FILE", "5+")},
                      WrongCountCase{"AVEDSPFILES", "3 out 0", WN("AVEDSPFILES", "13")},
                      WrongCountCase{"AVEVALUE", "3 a.bin 0 0", WN("AVEVALUE", "5")},
                      WrongCountCase{"COMBINTG", "3 a.bin c.bin 1.0 2 0.0", WN("COMBINTG", "8+")},
                      WrongCountCase{"SEQCOADD", "3 a.bin c.bin 2", WN("SEQCOADD", "5+")},
                      WrongCountCase{"SEQCMP", "3 a.bin c.bin 2 1", WN("SEQCMP", "6+")},
                      WrongCountCase{"SEQREP", "3 a.bin c.bin 1 2 4 0", WN("SEQREP", "8")},
                      WrongCountCase{"SEQCCFILEFIX", "-2 a b c d 8", WN("SEQCCFILEFIX", "19")},
                      WrongCountCase{"L2F_FILE", "3 a.bin c.bin 2 1", WN("L2F_FILE", "6")},
                      WrongCountCase{"SCLOFS_FILE", "3 a.bin c.bin f.txt", WN("SCLOFS_FILE", "5")},
                      WrongCountCase{"MIXINGRATIO_FILE", "3 a.bin c.bin m.txt", WN("MIXINGRATIO_FILE", "5")},
                      WrongCountCase{"CUTSECT_FILE", "3 a.bin c.bin 0 1", WN("CUTSECT_FILE", "6+")},
                      WrongCountCase{"LINEARIZE", "3 a.bin c.bin m.txt 50", WN("LINEARIZE", "6+")},
                      WrongCountCase{"ASCII2BIN", "3 a.txt c.bin 1", WN("ASCII2BIN", "10")},
                      WrongCountCase{"THZLINEARIZE", "8 1", WN("THZLINEARIZE", "3")},
                      WrongCountCase{"SEQCC2FILE", "3 a.bin c.bin",
                                     "SEQCC2FILE\n\n[SEQCC2FILE] WRONG NUMBER [NEED 11+] OF PARAMETER ARGUMENTS | "
                                     "SHIFT FLNM INVALID"}));
#undef WN

TEST_F(OpSeqTest, OffsetAvTakesTheStoredAverageOffsetAndDeleteFileRemovesTheFile) {
  Cnv.Ave_Offset[1] = 10.0;
  RunLines({"OFFSET", "-1 a.bin b.bin AV 1", "DELETE_FILE", "-1 a.bin"});
  EXPECT_EQ(ReadFloats("b.bin"), (std::vector<float>{11.0f, 8.0f, 13.0f, 14.0f}));
  EXPECT_FALSE(std::filesystem::exists("a.bin"));
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "Nothing");
}

TEST_F(OpSeqTest, ChnsubSetsTheChannelFieldByFieldAndTheMarkerNames) {
  RunLines({"CHNSUB", "4 x?.bin 2.5 0.5 1 3", "CHNSUB", "-1 m?.txt"});
  EXPECT_STREQ(Dsp.Chn_Flnm[4], "x100.bin");
  EXPECT_DOUBLE_EQ(Dsp.Chn_Scalar[4], 2.5);
  EXPECT_DOUBLE_EQ(Dsp.Chn_Offset[4], 0.5);
  EXPECT_EQ(Dsp.Chn_DspStat[4], 1u);
  EXPECT_EQ(Dsp.Chn_ColorNo[4], 3);
  EXPECT_EQ(Dsp.Chn_ScaleStat[4], 0u);
  EXPECT_STREQ(Cnl.Mks_Flnm, "m100.txt");
}

TEST_F(OpSeqTest, CalibSetsTheAxisAndRefusesZeroPointsPerFsr) {
  RunLines({"CALIB", "-100.0 50 1000.0 10", "CALIB", "100.0 0 1000.0 10"});
  EXPECT_DOUBLE_EQ(Dsp.FSR, -100.0);
  EXPECT_EQ(Dsp.Pts_FSR, 50);
  EXPECT_DOUBLE_EQ(Dsp.Frq_Stp, -2.0);
  EXPECT_DOUBLE_EQ(Dsp.Init_Frq, 1000.0 - 10 * -2.0);  // point 10 at 1000 on the falling axis too
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|CALIB\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING");
}

TEST_F(OpSeqTest, NormalizeWithVmAndFitZeroUsesTheDialogValues) {
  Cnl.NrmVm = 2.0f;
  Cnl.NrmVs = 1.0f;
  Cnl.NrmFit = 1;
  WriteFloats("p100.bin", {1.0f, 2.0f, 4.0f, 8.0f});
  RunLines({"NORMALIZE", "3 a.bin n?.bin p?.bin 0 0 0 0.5 0.5 0 0 1 8.0"});
  // N = Vm (S - Vs) / (P - Vp) with the dialog's Vm 2, Vs 1, Vp 0
  EXPECT_EQ(ReadFloats("n100.bin"), (std::vector<float>{0.0f, -3.0f, 1.0f, 0.75f}));
  EXPECT_STREQ(Dsp.Chn_Flnm[3], "n100.bin");
  EXPECT_STREQ(Cnl.NrmPowFlnm, "p100.bin");
  EXPECT_EQ(Cnl.NrmFit, 0u);
  EXPECT_EQ(Cnl.AcStat, 1u);
  EXPECT_EQ(Cnv.FFT_SmoothWin, 8.0f);
  EXPECT_FALSE(std::filesystem::exists("LLsf.log"));  // no power fit
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0],
            "Info|NORMALIZE\n\nDIALOG VALUES USED\n\nVm=[2.000000]\nVp=[0.000000]\nVs=[1.000000]\nVc=[0.000000]");
}

TEST_F(OpSeqTest, NormalizeTakesItsFieldsAndKeepsTheOffsetsThatAreNoNumbers) {
  Cnl.NrmVs = 1.0f;
  WriteFloats("p.bin", {1.0f, 2.0f, 4.0f, 8.0f});
  RunLines({"NORMALIZE", "-1 a.bin n.bin p.bin 0 0 3.0 0.5 AV 0.0 0 0 4.0"});
  const std::vector<float> n = ReadFloats("n.bin");
  ASSERT_EQ(n.size(), 4u);
  EXPECT_FLOAT_EQ(n[1], -6.0f);  // 3 (-2 - 1) / (2 - 0.5)
  EXPECT_FLOAT_EQ(n[3], 1.2f);
  EXPECT_EQ(Cnl.NrmVm, 3.0f);
  EXPECT_EQ(Cnl.NrmVp, 0.5f);
  EXPECT_EQ(Cnl.NrmVs, 1.0f);
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Info|NORMALIZE\n\nCURSOR DIALOG VALUES USED FOR OFFSETS\n\nVm=[3.000000]\nVp=[0.500000]\n"
                        "Vs=[1.000000]\nVc=[0.000000]");
  // Inside an automatic block nothing is asked or shown, a Vm of 0 becomes 1 and the
  // fit switch runs the power fit first.
  boxes_.clear();
  RunLines({"START [01] X", "NORMALIZE", "-1 a.bin m.bin p.bin 0 0 0 0 AV 0.0 1 0 4.0", "STOP [01]"});
  for (const auto& b : Boxes()) EXPECT_EQ(b.find("Info|NORMALIZE"), std::string::npos) << b;
  EXPECT_EQ(Cnl.NrmFit, 1u);
  EXPECT_EQ(Cnl.NrmVm, 1.0f);
  EXPECT_TRUE(std::filesystem::exists("LLsf.log"));
  EXPECT_TRUE(std::filesystem::exists("m.bin"));
}

TEST_F(OpSeqTest, ThzLinearizeChecksEachLineAndRefusesAnIntervalOfZero) {
  RunLines({"THZLINEARIZE", "8 1 7", "in.bin out.bin cal.bin wave.dat 1.0 512 0.5 4"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|THZLINEARIZE\n\n[THZLINEARIZE] WRONG NUMBER [NEED 9] OF PARAMETER ARGUMENTS "
                        "[OpASeq100.dat] IN:\nin.bin out.bin cal.bin wave.dat 1.0 512 0.5 4");
  boxes_.clear();
  RunLines({"THZLINEARIZE", "8 1 7", "in.bin out.bin cal.bin wave.dat 1.0 0 0.5 4 0.01", "100 200 0"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|THZLINEARIZE\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING");
  EXPECT_STREQ(Cnv.Out_Flnm[1][8], "in.bin");
  EXPECT_NE(Log().find("   OPSEQ ARGS=[100 200 0]\r\n"), std::string::npos);
}

TEST_F(OpSeqTest, RepeatLinearizeWantsTrueOrFalseInCapitals) {
  RunLines({"REPEATLINEARIZE", "true", "8 7 1 2 4 6"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|DEBUG STRING MISSING IN [OpASeq100.dat] - TRUE | FALSE NEEDED\ntrue");
  boxes_.clear();
  RunLines({"NLLSF_FIT", "FALSE", "8 7 1 2 4 6", "i o c m e f"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|LSFFIT\n\n[NLLSF_FIT] WRONG NUMBER [NEED 8] OF PARAMETER ARGUMENTS [OpASeq100.dat] "
                        "IN:\ni o c m e f");
  EXPECT_STREQ(Cnv.Out_Flnm[1][2], "m");
}

TEST_F(OpSeqTest, ALinearisationThatFailsLeavesTheCrossCursor) {
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  RunLines({"REPEATLINEARIZE", "FALSE", "8 7 1 2 4 6", "i o c m e f", "0 ramp 1.0 0 0.05 100 10.0 mk",
            "0 0 0 w.dat r.dat 100 200 512 4 1.0 0.01 10 1 0.01 1 10", "SQR", "-1 a.bin b.bin"});
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes().back(), "Warning|REPEATLINEARIZE\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING");
  EXPECT_EQ(platform::CurrentCursor(), LoadCursor(nullptr, IDC_CROSS));
  EXPECT_FALSE(std::filesystem::exists("b.bin"));
  EXPECT_EQ(Dsp.Pts_FSR, 100);
  EXPECT_EQ(Cnl.RejLvl, 10.0);
}

TEST_F(OpSeqTest, ChannelIndexesOutsideTheTableAreRefused) {
  RunLines({"REPEATLINEARIZE", "FALSE", "8 7 1 2 4 12"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|REPEATLINEARIZE\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING");
}

// The workers' job is replaced by one that notes the slot of each file.
std::atomic<int32_t> g_slotOfFile[8];
int32_t NoteSlot(int16_t worker, int16_t, const char*, const char*, const char*, const char*, const int16_t*,
                 int32_t fileIndex) {
  if (fileIndex >= 0 && fileIndex < 8) g_slotOfFile[fileIndex] = worker;
  return 1;
}

TEST_F(OpSeqTest, SeqcoaddWithANegativeChannelFansOutToOneWorkerPerSlot) {
  for (auto& v : g_slotOfFile) v = 0;
  for (const char* name : {"s000", "s001", "s002", "s003"}) WriteFloats(name, {1.0f});
  const RavFileFixRoutine previous = RavSetFileFixRoutine(&NoteSlot);
  Cnv.Seq_Sz[3] = 77;
  RunLines({"SEQCOADD", "-4 s t 2 3", "SQR", "-1 a.bin b.bin"});
  RavSetFileFixRoutine(previous);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(g_slotOfFile[k].load(), k + 1) << k;
  EXPECT_EQ(g_slotOfFile[4].load(), 0);
  EXPECT_EQ(RavThreadPool.Pool_Size, 4);
  EXPECT_EQ(RavThreadPool.Pool_Cmd, 37);
  EXPECT_EQ(Cnv.Seq_Sz[3], 2);   // slot 1 copied to the workers' slots
  EXPECT_EQ(Cnv.Win_Hi[4], 6);
  EXPECT_EQ(RavThreadPool.Pool_SeqPrm[0], 2);  // SEQ SZ, SEQ CT, WIN LO, WIN HI
  EXPECT_EQ(RavThreadPool.Pool_SeqPrm[1], 3);
  EXPECT_EQ(RavThreadPool.Pool_SeqPrm[2], 0);
  EXPECT_EQ(RavThreadPool.Pool_SeqPrm[3], 6);
  EXPECT_TRUE(std::filesystem::exists("b.bin"));  // the run goes on
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
}

TEST_F(OpSeqTest, APoolThatCannotStartIsNotedAndTheNextCommandRuns) {
  for (auto& v : g_slotOfFile) v = 0;
  WriteFloats("s000", {1.0f});
  const RavFileFixRoutine previous = RavSetFileFixRoutine(&NoteSlot);
  const int32_t limit = platform::SetThreadStartLimit(2);  // the third worker cannot start
  RunLines({"SEQCOADD", "-4 s t 2 3", "REVERSE_FILE", "-1 a.bin b.bin"});
  platform::SetThreadStartLimit(limit);
  RavSetFileFixRoutine(previous);
  EXPECT_EQ(g_slotOfFile[0].load(), 0);  // no worker was started on a file
  EXPECT_EQ(RavThreadPool.Pool_Size, 2);
  const std::string note = "OPSEQ:   RAV SEQCOADD:   THREADS FAILED TO START=[4]\n";
  const std::string shown = Dsp.Msg_Text;
  ASSERT_GE(shown.size(), note.size());
  EXPECT_EQ(shown.substr(shown.size() - note.size()), note);
  EXPECT_EQ(ReadFloats("b.bin"), (std::vector<float>{4.0f, 3.0f, -2.0f, 1.0f}));
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|RAV THREAD NOT CREATED");
  // The two workers that did start were let go: a full pool starts afterwards.
  const RavFileFixRoutine again = RavSetFileFixRoutine(&NoteSlot);
  RunLines({"SEQCOADD", "-4 s t 2 3"});
  RavSetFileFixRoutine(again);
  EXPECT_EQ(g_slotOfFile[0].load(), 1);
  EXPECT_EQ(RavThreadPool.Pool_Size, 4);
}

TEST_F(OpSeqTest, APoolOfFortyIsLimitedToTheSlotsThatExist) {
  const RavFileFixRoutine previous = RavSetFileFixRoutine(&NoteSlot);
  RunLines({"SEQCCFILEFIX", "-40 none s2_ old ave 8 0 5 0.01 1 0 8 1 0 0 3 0 3 0"});
  RavSetFileFixRoutine(previous);
  EXPECT_EQ(RavThreadPool.Pool_Size, 29);
  EXPECT_EQ(RavThreadPool.Pool_Cmd, 43);
  EXPECT_EQ(Cnv.Seq_Sz[29], 8);
  EXPECT_EQ(RavThreadPool.Pool_CCPrm[2], 3);
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
}

// Every file a pool aligns comes out byte for byte as SEQCCFILEFIX mode 0 aligns it
// alone, whichever worker takes it, after whatever files that worker took before and
// whatever the workers' own slots held; with and without a resize.
TEST_F(OpSeqTest, PoolWorkersAlignEveryFileAsItIsAlignedAlone) {
  constexpr int kSeq = 256;
  constexpr int kFiles = 6;
  for (int k = 0; k < kFiles; ++k) {
    std::vector<float> v(4 * kSeq);
    for (int i = 0; i < 4 * kSeq; ++i) {
      const int s = i / kSeq;
      const double t = (i % kSeq - (s * 3 + k) % 7) * 4e-3;
      const float x = static_cast<float>(std::sin(t * (40.0 + 300.0 * t)));
      v[static_cast<size_t>(i)] = s == 2 ? -x : x;  // one sequence upside down
    }
    WriteFloats(StrPrintf("cc%03d", k), v);
  }
  const RavFileFixRoutine previous = RavSetFileFixRoutine(nullptr);
  CrossCorrInstallPoolRoutine();
  // What the runs wrote: everything but the parents, taken away for the next run.
  const auto outputs = [] {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(".")) {
      const std::string name = e.path().filename().string();
      if (name.rfind("al", 0) == 0 || (name.rfind("cc", 0) == 0 && name.size() > 5)) files[name] = ReadText(name);
    }
    for (const auto& [name, bytes] : files) std::filesystem::remove(name);
    return files;
  };
  const auto leftovers = [] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(".")) {
      const std::string name = e.path().filename().string();
      if (name[0] == '.' || name.rfind("__qv", 0) == 0) names.push_back(name);
    }
    return names;
  };
  // SEG SZ 0 (one segment), a negative radius (the inversion test) and the resize
  // value given as a negative multiple.
  for (const char* resize : {"0", "-2"}) {
    SCOPED_TRACE(resize);
    const auto fields = [&](const std::string& names) {
      return names + " 256 0 -8 0.01 1 16 240 " + resize + " 1 0 3 0 3 0";
    };
    std::map<std::string, std::string> alone;
    for (int k = 0; k < kFiles; ++k) {
      RunLines({"SEQCCFILEFIX", "0 " + fields(StrPrintf("cc%03d al%03d old%03d_CCVals aves%03d", k, k, k, k))});
      alone.merge(outputs());
    }
    EXPECT_EQ(alone.size(), static_cast<size_t>(kFiles) * 11u);  // 4 cut, 4 aligned, the average, 2 tables
    EXPECT_TRUE(alone.count("al005Ave"));
    for (int16_t k = 2; k <= 3; ++k) {  // settings left over from other work
      Cnv.Cc_Rad[k] = 1;
      Cnv.Damp[k] = 0.5f;
      Cnv.NStps[k] = 3;
      Cnv.CcRsz_Stat[k] = 1;
      Cnv.Rsz_SzOut[k] = 512;
    }
    // Twice, the second time over the files of the first, which each worker writes
    // over in place through the files it keeps until its share is done.
    RunLines({"SEQCCFILEFIX", "-3 " + fields("cc al old aves")});
    EXPECT_TRUE(leftovers().empty()) << ::testing::PrintToString(leftovers());
    const std::map<std::string, std::string> first = outputs();
    RunLines({"SEQCCFILEFIX", "-3 " + fields("cc al old aves")});
    EXPECT_TRUE(leftovers().empty()) << ::testing::PrintToString(leftovers());
    const std::map<std::string, std::string> pool = outputs();
    ASSERT_EQ(pool.size(), alone.size());
    for (const auto& [name, bytes] : alone) {
      ASSERT_TRUE(pool.count(name)) << name;
      EXPECT_TRUE(pool.at(name) == bytes) << name;
      EXPECT_TRUE(first.count(name) && first.at(name) == bytes) << name;
    }
    EXPECT_EQ(Cnv.Cc_Rad[3], Cnv.Cc_Rad[1]);
  }
  RavSetFileFixRoutine(previous);
  for (const auto& box : Boxes()) EXPECT_EQ(box.rfind("Warning", 0), std::string::npos) << box;
}

TEST_F(OpSeqTest, CalibrationCommandsCheckTheirCountsAndRefuseUnsafeValues) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"PEAKFIND", "m.txt r.bin 8 0.3 0 0 1"},
       "PEAKFIND\n\n[PEAKFIND] WRONG NUMBER [NEED 8] OF PARAMETER ARGUMENTS [OpASeq100.dat] IN:\nm.txt r.bin 8 0.3 0 0 1"},
      {{"JUMPFIND", "0 m.txt r.bin w.dat 0.5 8"},
       "JUMPFIND\n\n[JUMPFIND] WRONG NUMBER [NEED 7] OF PARAMETER ARGUMENTS [OpASeq100.dat] IN:\n0 m.txt r.bin w.dat 0.5 8"},
      {{"LINEARIZE", "-1 a.bin b.bin m.txt 0 100.0"}, "LINEARIZE\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING"},
      {{"ASCII2BIN", "-1 a.txt b.bin 1 5 1 0 0.0 0.0 1.0"}, "ASCII2BIN\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING"},
  };
  for (const auto& [lines, text] : cases) {
    boxes_.clear();
    RunLines(lines);
    ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
    EXPECT_EQ(Boxes()[0], "Warning|" + text);
  }
  EXPECT_EQ(Dsp.Pts_FSR, 0);  // the refused LINEARIZE changed nothing
  // A flat ramp has no peak: the marker file holds none and the points per FSR stay.
  WriteFloats("flat.bin", std::vector<float>(2000, 1.0f));
  Dsp.Pts_FSR = 50;
  boxes_.clear();
  RunLines({"PEAKFIND", "m.txt flat.bin 8 0.3 0 0 1 0"});
  EXPECT_TRUE(std::filesystem::exists("m.txt"));
  EXPECT_EQ(Cnl.Mks_Cnt, 0u);
  EXPECT_EQ(Dsp.Pts_FSR, 50);
  LFree1Dim(&Cnl.Mks_Pos);
  LFree1Dim(&Cnl.Mks_Dif);
}

// JUMPFIND on a wavemeter log whose lines run to 362 characters (the reading, its
// position, then further columns): every line is one reading, in the jump points of
// modes 1 and 5 as in the repaired log of mode 2.
TEST_F(OpSeqTest, JumpfindReadsEachLongLogLineAsOneReading) {
  std::string log;
  std::vector<double> readings;
  for (int n = 0; n < 20; ++n) {
    readings.push_back(1000.0 + 0.01 * n + (n >= 10 ? 5.0 : 0.0));
    std::string line = StrPrintf("%.4f %d", readings.back(), n);
    while (line.size() < 362) line += " 234.5678";
    log += line.substr(0, 362) + "\r\n";
  }
  std::ofstream("WaveFreq.dat", std::ios::binary) << log;
  answers_ = {{"   JUMP FIND [1]:", IDYES}};
  RunLines({"JUMPFIND", "1 m1.txt r.bin WaveFreq.dat 0.5 0 10", "JUMPFIND", "5 m5.txt r.bin WaveFreq.dat 10.0 10 0",
            "JUMPFIND", "2 m2.txt r.bin WaveFreq.dat 0.5 0 0"});
  for (const std::string& box : Boxes()) EXPECT_EQ(box.rfind("Warning", 0), std::string::npos) << box;
  EXPECT_EQ(ReadText("m1.txt"), "0\r\n100\r\n200\r\n");
  EXPECT_EQ(ReadText("m5.txt"), "0\r\n100\r\n0\r\n");
  std::ifstream repaired("WaveFreq.datF", std::ios::binary);
  std::vector<double> column;
  for (std::string line; std::getline(repaired, line);) column.push_back(std::stod(line));
  ASSERT_EQ(column.size(), readings.size());
  for (size_t n = 0; n < readings.size(); ++n) EXPECT_NEAR(column[n], readings[n], 1e-6) << n;
}

TEST_F(OpSeqTest, LinearizeWithoutMarkersEndsWithItsOwnBox) {
  RunLines({"LINEARIZE", "-1 a.bin b.bin nomarkers.txt 50 100.0", "SQR", "-1 a.bin c.bin"});
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes().front(), "Warning|CsMkOpenRead()\n\nFAILED TO OPEN MARKER POSITION FILE [nomarkers.txt] FOR "
                             "READING\n\nABORTING");
  EXPECT_EQ(Boxes().back(), "Warning|LINEARIZE\n\nMARKER POSITIONS NOT DEFINED | DIFFERENCE ZERO\n\nCHECK MARKER "
                            "POSITION FLNM=[nomarkers.txt]\n\nABORTING");
  EXPECT_FALSE(std::filesystem::exists("c.bin"));
  EXPECT_DOUBLE_EQ(Dsp.Frq_Stp, 2.0);
}

// Sort mode 5 of a two-column text file with lines that lack the second column: they
// sort with y 0, and the reader says once that it could not read them.
TEST_F(OpSeqTest, SortFileOfTextSaysOnceThatAColumnIsMissing) {
  std::ofstream("xy.txt", std::ios::binary) << "3.0 30\r\n1.0\r\n2.0 20\r\n2.5\r\n";
  RunLines({"SORT_FILE", "-1 xy.txt sorted.txt 5 0 0 0 0 0"});
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Warning|ManAsciiFileRead()/FILE READ ERROR (FLOAT TYPE)"});
  std::string want;
  for (const auto& [x, y] : std::vector<std::pair<double, double>>{{1.0, 0.0}, {2.0, 20.0}, {2.5, 0.0}, {3.0, 30.0}})
    want += StrPrintf("%-22.8f %.8f\r\n", x, y);
  EXPECT_EQ(ReadText("sorted.txt"), want);
}

TEST_F(OpSeqTest, ShiftsectRefusesAShiftFileNameThatLooksLikeANumber) {
  RunLines({"SHIFTSECT_FILE", "-1 a.bin b.bin 1 1 2 0.5 0"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|SHIFTSECT_FILE\n\n[SHIFTSECT_FILE] WRONG NUMBER [NEED 8+] OF PARAMETER ARGUMENTS | "
                        "SHIFT FLNM INVALID [OpASeq100.dat] IN:\n-1 a.bin b.bin 1 1 2 0.5 0");
  EXPECT_FALSE(std::filesystem::exists("b.bin"));
}

TEST_F(OpSeqTest, BbmwseqsplitTakesTenOrTwelveFieldsUnderItsNinePlusText) {
  RunLines({"BBMWSEQSPLIT", "-1 a.bin b.bin 4 0.5 1.0 2.0 1.0 0.0"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|BBMWSEQSPLIT\n\n[BBMWSEQSPLIT] WRONG NUMBER [NEED 9+] OF PARAMETER ARGUMENTS "
                        "[OpASeq100.dat] IN:\n-1 a.bin b.bin 4 0.5 1.0 2.0 1.0 0.0");
  EXPECT_DOUBLE_EQ(Dsp.Frq_Stp, 0.5);  // the fields converted stay stored
}

// COMBINTG gives one mean per tooth over the points the tooth holds: a last centre
// within one spacing of the sequence's end opens no tooth past it (window 2 .. 398),
// and a last tooth cut by the end is the mean of its three points (window 99 .. 399).
TEST_F(OpSeqTest, CombintgTakesEachToothsMeanOverItsOwnPoints) {
  std::vector<float> seqs;
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 400; ++i) seqs.push_back(static_cast<float>(1000 * k + i));
  WriteFloats("q.bin", seqs);
  RunLines({"COMBINTG", "-1 q.bin c1.bin 100 2 2 398 400", "COMBINTG", "-1 q.bin c2.bin 100 2 99 399 400"});
  EXPECT_EQ(ReadFloats("c1.bin"),
            (std::vector<float>{2, 102, 202, 302, 1002, 1102, 1202, 1302, 2002, 2102, 2202, 2302}));
  EXPECT_EQ(ReadFloats("c2.bin"),
            (std::vector<float>{99, 199, 299, 398, 1099, 1199, 1299, 1398, 2099, 2199, 2299, 2398}));
}

// BBMWSEQSPLIT with a step table shorter than the input's sequences: the rounds past
// the table are skipped before a full round of pieces is padded, so every band of the
// table lies at startOff + q A of piece q mod 3 and all pieces end at the same length,
// also where the table ends inside a round.
TEST_F(OpSeqTest, BbmwseqsplitPastItsTableEndsThePiecesEqual) {
  std::vector<float> seqs;
  for (int k = 0; k < 10; ++k)
    for (int i = 0; i < 100; ++i) seqs.push_back(static_cast<float>(1000 * k + i + 1));
  WriteFloats("x.bin", seqs);
  // Eight rows, one zero band before the third sequence: nine rounds from the table,
  // two past it.
  std::string table;
  for (int row = 0; row < 8; ++row) table += row == 2 ? "0 0 1\r\n" : "0 0 0\r\n";
  std::ofstream("steps.txt", std::ios::binary) << table;
  RunLines({"BBMWSEQSPLIT", "-1 x.bin sp 100 1.0 10.0 50.0 25.0 0.0 steps.txt"});
  const std::vector<std::string> boxes = Boxes();
  EXPECT_EQ(std::count(boxes.begin(), boxes.end(),
                       "Warning|SEQUENCE SPLIT FILE OPERATION\n\nFRQSTP TOT EXCEEDED\n\nCHECK TXT FILE & BIN FILE "
                       "LENGTHS\n\nCONTINUING"),
            2);
  const int startOff = 38;  // B - Wb/2
  std::vector<std::vector<float>> pieces;
  for (const char* name : {"sp000", "sp001", "sp002"}) pieces.push_back(ReadFloats(name));
  for (const auto& piece : pieces) EXPECT_EQ(piece.size(), pieces[0].size());
  // Round q holds sequence q, q - 1 after the zero band of round 2.
  for (int q = 0; q < 9; ++q) {
    const std::vector<float>& piece = pieces[static_cast<size_t>(q % 3)];
    const size_t at = static_cast<size_t>(startOff + 10 * q);
    ASSERT_LT(at + 24, piece.size()) << q;
    const float first = q == 2 ? 0.0f : static_cast<float>(1000 * (q < 2 ? q : q - 1) + 38 + 1);
    EXPECT_EQ(piece[at], first) << q;
  }

  // A table of seven rows ends inside the third round: the pieces whose band the two
  // skipped rounds would have held end at the same length as the others.
  std::ofstream("steps.txt", std::ios::binary) << "0 0 0\r\n0 0 0\r\n0 0 0\r\n0 0 0\r\n0 0 0\r\n0 0 0\r\n0 0 0\r\n";
  RunLines({"BBMWSEQSPLIT", "-1 x.bin sp 100 1.0 10.0 50.0 25.0 0.0 steps.txt"});
  pieces.clear();
  for (const char* name : {"sp000", "sp001", "sp002"}) pieces.push_back(ReadFloats(name));
  // Ten rounds, seven of them with a band: 2 startOff + Wb + 9 A.
  for (const auto& piece : pieces) EXPECT_EQ(piece.size(), 2u * startOff + 25 + 90);
  for (int q = 0; q < 7; ++q) {
    const std::vector<float>& piece = pieces[static_cast<size_t>(q % 3)];
    const size_t at = static_cast<size_t>(startOff + 10 * q);
    ASSERT_LT(at + 24, piece.size()) << q;
    EXPECT_EQ(piece[at], static_cast<float>(1000 * q + 38 + 1)) << q;
    EXPECT_EQ(piece[at + 25], 0.0f) << q;
  }
}

TEST_F(OpSeqTest, CutsectCutsAtThePositionsOfItsFileSkippingBlankLines) {
  std::vector<float> ramp(300);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i);
  WriteFloats("r.bin", ramp);
  std::ofstream("pos?.txt", std::ios::binary) << "x\r\n";  // never used: the name is substituted first
  // A position with a long remark after it is one position.
  std::ofstream("pos100.txt", std::ios::binary) << "0\r\n\r\n100 " << std::string(300, ' ') << "175 remark\r\n250\r\n";
  RunLines({"CUTSECT_FILE", "-1 r.bin out 0 0 1 0 pos?.txt"});
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  const auto first = ReadFloats("out000");
  const auto second = ReadFloats("out001");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(first.front(), 0.0f);
  EXPECT_EQ(second.front(), 100.0f);
  EXPECT_EQ(second.back(), 249.0f);
  EXPECT_FALSE(std::filesystem::exists("out002"));
  EXPECT_EQ(Cnv.Lim_Stat[1], 0);
}

// A section whose end is its start holds that one point, in each of the three modes and
// with either end-point switch; one whose end lies below its start, or that holds no
// point of the file (wholly past its end or before its start), fails the line, naming
// it, and leaves no file of its name.
TEST_F(OpSeqTest, CutsectSectionsOfOnePointHoldThatPoint) {
  std::vector<float> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i);
  WriteFloats("r.bin", ramp);
  std::ofstream("same.txt", std::ios::binary) << "10\r\n10\r\n20\r\n";
  std::ofstream("next.txt", std::ios::binary) << "10\r\n11\r\n13\r\n13\r\n20\r\n";
  RunLines({"CUTSECT_FILE", "-1 r.bin a 500 500 0", "CUTSECT_FILE", "-1 r.bin b 500 501 1", "CUTSECT_FILE",
            "-1 r.bin p 0 0 0 0 same.txt", "CUTSECT_FILE", "-1 r.bin s 7 7 0 100 none 0 300"});
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(ReadFloats("a"), std::vector<float>{500.0f});
  EXPECT_EQ(ReadFloats("b"), std::vector<float>{500.0f});
  EXPECT_EQ(ReadFloats("p000"), std::vector<float>{10.0f});
  EXPECT_EQ(ReadFloats("p001").size(), 11u);  // 10 to 20, the end included
  EXPECT_EQ(ReadFloats("s000"), std::vector<float>{7.0f});
  EXPECT_EQ(ReadFloats("s002"), std::vector<float>{207.0f});
  EXPECT_FALSE(std::filesystem::exists("s003"));

  // A repeated position with the end point excluded, a HI CUT below the LO CUT, a
  // section starting at the file's end, one before its start, and a spacing whose
  // last window lies past the end.
  const auto outside = [](const std::string& section) {
    return section + " LIES OUTSIDE FILE [r.bin] OF [1000] POINTS";
  };
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"CUTSECT_FILE", "-1 r.bin q 0 0 1 0 next.txt"}, "SECTION [q002] LO:HI=[13][12] NOT VALID"},
      {{"CUTSECT_FILE", "-1 r.bin c 500 499 0"}, "SECTION [c] LO:HI=[500][499] NOT VALID"},
      {{"CUTSECT_FILE", "-1 r.bin e 1000 1000 0"}, outside("SECTION [e] LO:HI=[1000][1000]")},
      {{"CUTSECT_FILE", "-1 r.bin n -10 -5 0"}, outside("SECTION [n] LO:HI=[-10][-5]")},
      {{"CUTSECT_FILE", "-1 r.bin w 150 200 0 100"}, outside("SECTION [w009] LO:HI=[1050][1100]")}};
  for (const auto& [lines, what] : refused) {
    boxes_.clear();
    RunLines(lines);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Warning|CUTSECT_FILE\n\n" + what + "\n\nABORTING"});
  }
  EXPECT_EQ(ReadFloats("q000"), std::vector<float>{10.0f});
  EXPECT_EQ(ReadFloats("q001"), (std::vector<float>{11.0f, 12.0f}));
  EXPECT_FALSE(std::filesystem::exists("q002"));
  for (const char* none : {"c", "e", "n", "w009"}) EXPECT_FALSE(std::filesystem::exists(none)) << none;
  EXPECT_EQ(ReadFloats("w008").size(), 50u);  // 950 to 1000 cut at the file's end
}

// The names the comb integration (output + ".mks"), the split (output + piece number)
// and SEQCCFILEFIX (its tables, numbered, temporary and average files) make from the
// command's names must fit 200 characters: one that does not fails the command with a
// warning naming it, and nothing is written under the long names.
TEST_F(OpSeqTest, ANameTooLongWithItsSuffixFailsTheCommandBeforeAnyFileIsWritten) {
  const std::string comb(196, 'c'), split(197, 's'), base(193, 'b');
  WriteFloats("x.bin", std::vector<float>(400, 1.0f));
  WriteFloats(base, std::vector<float>(4 * 256, 1.0f));
  const auto startingWith = [](const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(".")) {
      const std::string name = e.path().filename().string();
      if (name.rfind(prefix.substr(0, 100), 0) == 0) names.push_back(name);
    }
    return names;
  };
  const std::vector<std::tuple<std::string, std::string, std::string>> runs = {
      {"COMBINTG", "-1 x.bin " + comb + " 100 2 10 310 400", comb + ".mks"},
      {"BBMWSEQSPLIT", "-1 x.bin " + split + " 100 1.0 10.0 50.0 25.0 0.0 None", split + "002"},
      {"SEQCCFILEFIX", "0 " + base + " al old aves 256 0 -8 0.01 1 16 240 0 1 0 3 0 3 0", base + "_SRVals"}};
  for (const auto& [keyword, line, name] : runs) {
    SCOPED_TRACE(keyword);
    boxes_.clear();
    RunLines({keyword, line});
    const std::vector<std::string> boxes = Boxes();
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "Warning|FILE NAME [" + name + "] TOO LONG\n\nABORTING"),
              boxes.end())
        << ::testing::PrintToString(boxes);
  }
  EXPECT_TRUE(startingWith(comb).empty());
  EXPECT_TRUE(startingWith(split).empty());
  EXPECT_EQ(startingWith(base), std::vector<std::string>{base});
  EXPECT_TRUE(startingWith("al").empty());
}

// An operation on its own input that makes nothing (a co-add that adds no sequence,
// any sequence operation without a whole sequence or a sequence of its range, blocks
// shorter than a chunk, an empty second file) or that stops (the comb's NO to both
// window-size questions) never takes the place of the input: the call fails and the
// input stays byte for byte. Under another name an empty co-add is written and the run
// goes on, and a repack whose blocks hold exactly one chunk copies that chunk.
TEST_F(OpSeqTest, AnOperationOnItsOwnInputThatMakesNothingOrStopsKeepsTheInput) {
  std::vector<float> x(64, 1.5f);
  x[3] = 7.0f;
  WriteFloats("empty.bin", {});
  answers_["MULTIPLY | SUBTRACT FILE OPERATION\n\nFILE SIZES OF"] = IDYES;
  const std::vector<std::pair<std::string, std::string>> runs = {
      {"SEQCOADD", "9 x.bin x.bin 100 1"},
      {"SEQCOADD", "9 x.bin x.bin 100 2"},
      {"FFTWINSEQ", "9 x.bin x.bin 100 1 0.5 0 100"},
      {"COMBINTG", "-1 x.bin x.bin 10 7 5 45 50"},
      {"COMBINTG", "-1 x.bin x.bin 100 2 10 310 1000"},
      {"REPACK_FILE", "-1 x.bin x.bin 1 100 2 50"},
      {"CHOPSEQ_FILE", "-1 x.bin x.bin 10 20 30"},
      {"SEQDUP", "-1 x.bin x.bin -2 100"},
      {"SHIFTSECT_FILE", "-1 x.bin x.bin 3 3 100 none 0"},
      {"SUBTRACT", "-1 x.bin x.bin empty.bin"}};
  for (const auto& [keyword, line] : runs) {
    WriteFloats("x.bin", x);
    boxes_.clear();
    RunLines({keyword, line});
    EXPECT_EQ(ReadFloats("x.bin"), x) << line;
    ASSERT_FALSE(Boxes().empty()) << line;
    EXPECT_EQ(Boxes().back(), "Warning|" + keyword + "\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING") << line;
  }
  const std::string failed = "Warning|SEQCOADD\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING";
  boxes_.clear();
  RunLines({"SEQCOADD", "9 x.bin y.bin 100 1", "SEQCOADD", "9 x.bin z.bin 100 2"});
  EXPECT_TRUE(std::filesystem::exists("y.bin"));
  EXPECT_TRUE(ReadFloats("y.bin").empty());
  EXPECT_EQ(ReadFloats("z.bin"), std::vector<float>(100, 0.0f));
  for (const auto& box : Boxes()) EXPECT_NE(box, failed);
  RunLines({"REPACK_FILE", "-1 x.bin r.bin 1 16 2 16"});
  EXPECT_EQ(ReadFloats("r.bin"), std::vector<float>(x.begin(), x.begin() + 32));
}

// RESIZE_FILE's value above 1 is the output size, whatever the output step says;
// 1 keeps the output step in charge.
TEST_F(OpSeqTest, ResizeFileTakesItsValueAsTheOutputSize) {
  std::vector<float> ramp(100);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i);
  WriteFloats("in.bin", ramp);
  RunLines({"RESIZE_FILE", "-1 in.bin a.bin 250 1.0 1.0", "RESIZE_FILE", "-1 in.bin b.bin 300 2.0 2.0",
            "RESIZE_FILE", "-1 in.bin c.bin 250 1.0 0.0", "RESIZE_FILE", "-1 in.bin d.bin 1 1.0 0.5"});
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  const std::vector<float> a = ReadFloats("a.bin");
  ASSERT_EQ(a.size(), 250u);
  EXPECT_NEAR(a[1], 0.4f, 1e-4);
  EXPECT_NEAR(a[249], 99.6f, 1e-3);
  EXPECT_EQ(ReadFloats("b.bin").size(), 300u);
  EXPECT_EQ(ReadFloats("c.bin"), a);
  EXPECT_EQ(ReadFloats("d.bin").size(), 200u);
}

// With an extra result file that cannot be created the transform stops before it
// reads a sequence: no calibration question, the axis stays, the extra file created
// first stays empty and the output is not written.
TEST_F(OpSeqTest, FftseqFileWithAnExtraFileThatCannotBeCreatedLeavesTheAxis) {
  WriteFloats("t.bin", std::vector<float>(800, 1.0f));
  std::filesystem::create_directory("fo.binIm");
  Dsp.Pts_FSR = 400;
  Dsp.FSR = 150.0;
  answers_["FFT OUTPUT SZ"] = IDYES;
  RunLines({"FFTSEQ_FILE", "-1 t.bin fo.bin 0 256 400 256 2.0 5"});
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes().front(),
            "Warning|FAILED TO CREATE BINARY OUTPUT FILES [fo.bin]+EXTENSIONS FOR WRITING\n\nABORTING");
  for (const auto& box : Boxes()) EXPECT_EQ(box.find("FFT OUTPUT SZ"), std::string::npos) << box;
  EXPECT_EQ(Dsp.Pts_FSR, 400);
  EXPECT_EQ(Dsp.FSR, 150.0);
  EXPECT_TRUE(std::filesystem::exists("fo.binRe"));
  EXPECT_EQ(std::filesystem::file_size("fo.binRe"), 0u);
  EXPECT_FALSE(std::filesystem::exists("fo.binPh"));
  EXPECT_FALSE(std::filesystem::exists("fo.bin"));
}

// A sequence whose window holds a missing value fails the transform, naming the point:
// its spectrum, its phases above all, would look measured. The output and the axis stay.
TEST_F(OpSeqTest, FftseqFileRefusesASequenceWithAMissingValue) {
  std::vector<float> wave(3 * 256);
  for (size_t i = 0; i < wave.size(); ++i) wave[i] = static_cast<float>(std::sin(0.3 * static_cast<double>(i)));
  wave[256 + 40] = 1e18f;
  WriteFloats("t.bin", wave);
  WriteFloats("fo.bin", {7.0f});
  Dsp.Pts_FSR = 400;
  Dsp.FSR = 150.0;
  RunLines({"FFTSEQ_FILE", "-1 t.bin fo.bin 0 256 256 256 1.0 3"});
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Warning|OSIFile()\n\nSEQUENCE FFT FILE OPERATION\n\nINPUT FILE [t.bin]\n\nPOINT [296] HAS NO "
                         "VALUE [1E+18]\n\nABORTING",
                         "Warning|FFTSEQ_FILE\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING"}));
  EXPECT_EQ(ReadFloats("fo.bin"), std::vector<float>{7.0f});
  EXPECT_EQ(Dsp.Pts_FSR, 400);
  EXPECT_EQ(Dsp.FSR, 150.0);
}

// A short input ends MULTDIV_FILE early: the outputs keep the products of the blocks
// before it, except an output that bears an input's name, which leaves that input whole.
TEST_F(OpSeqTest, MultdivKeepsTheBlocksWrittenBeforeAShortInput) {
  const size_t n = 70000;
  std::vector<float> ramp(n);
  for (size_t i = 0; i < n; ++i) ramp[i] = static_cast<float>(i % 1000) * 0.01f;
  WriteFloats("xRe", ramp);
  WriteFloats("xIm", std::vector<float>(n, 1.0f));
  WriteFloats("yRe", std::vector<float>(n, 2.0f));
  WriteFloats("yIm", std::vector<float>(66000, 0.5f));
  RunLines({"MULTDIV_FILE", "-1 x y pe 0"});
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes().front(), "Error|MultDiv() - PREMATURE EOF\n\nABORTING");
  const std::vector<float> re = ReadFloats("peRe");
  const std::vector<float> im = ReadFloats("peIm");
  ASSERT_EQ(re.size(), 65536u);
  ASSERT_EQ(im.size(), 65536u);
  for (size_t k = 0; k < re.size(); k += 4099) {
    EXPECT_FLOAT_EQ(re[k], ramp[k] * 2.0f - 0.5f) << k;
    EXPECT_FLOAT_EQ(im[k], ramp[k] * 0.5f + 2.0f) << k;
  }
  RunLines({"MULTDIV_FILE", "-1 x y x 0"});
  EXPECT_EQ(ReadFloats("xRe"), ramp);
  EXPECT_EQ(ReadFloats("xIm"), std::vector<float>(n, 1.0f));
}

// A command line does what the same dialog does and what it names: RESIZE_FILE's value
// below -1 is that many times the input, CALIB puts the reference point at the reference
// frequency for a negative FSR too, a two-field DELETE_FILE deletes the file it names
// after a family deletion, a "??" name asks with its command's prompt, and SEQCCFILEFIX
// with a resize value of 0 after a resize does not resize, co-adds only the sequences of
// its run and leaves the delete switch as it found it.
TEST_F(OpSeqTest, CommandLinesDoWhatTheDialogDoesAndWhatTheyName) {
  std::vector<float> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i);
  WriteFloats("u.bin", ramp);
  for (const char* name : {"fam.bin", "fam.bin000", "fam.bin001", "one.bin", "one.bin000", "one.bin001"}) WriteFloats(name, {1.0f});
  // 50 sequences of a bump 5 high, and the aligned files 50 .. 79 of an earlier run.
  constexpr int kSeq = 64;
  std::vector<float> parent(50 * kSeq);
  for (size_t i = 0; i < parent.size(); ++i) {
    const double t = (static_cast<int>(i % kSeq) - 32) / 6.0;
    parent[i] = static_cast<float>(5.0 * std::exp(-t * t));
  }
  WriteFloats("par", parent);
  for (int k = 50; k < 80; ++k) WriteFloats(StrPrintf("al%03d", k), std::vector<float>(kSeq, 0.0f));
  std::vector<std::string> prompts;
  platform::driver::ModalHandler typed([&](HWND dialog, int templateId) {
    ASSERT_EQ(templateId, IDD_GET_TEXT);
    prompts.push_back(platform::driver::Text(dialog, IDC_GET_TEXT_PROMPT));
    SetDlgItemText(dialog, IDC_GET_TEXT_EDIT, "7");
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  RunLines({"RESIZE_FILE", "-1 u.bin sm3.bin -3 1.0 1.0", "CALIB", "-150 400 70000 100", "DELETE_FILE", "-1 fam.bin 1",
            "DELETE_FILE", "-1 one.bin", "SQR", "-1 a.bin pr??.bin", "SEQCCFILEFIX",
            "0 par al old aves 64 0 4 0.01 1 8 56 0 0 0 79 0 79 1"});
  const std::vector<float> resized = ReadFloats("sm3.bin");
  ASSERT_EQ(resized.size(), 3000u);
  EXPECT_NEAR(resized[300], 100.0f, 1e-3);
  EXPECT_DOUBLE_EQ(Dsp.Frq_Stp, -0.375);
  EXPECT_DOUBLE_EQ(Dsp.Init_Frq + 100 * Dsp.Frq_Stp, 70000.0);
  EXPECT_FALSE(std::filesystem::exists("fam.bin000") || std::filesystem::exists("fam.bin001"));
  EXPECT_TRUE(std::filesystem::exists("fam.bin"));
  EXPECT_FALSE(std::filesystem::exists("one.bin"));
  EXPECT_TRUE(std::filesystem::exists("one.bin000") && std::filesystem::exists("one.bin001"));
  EXPECT_EQ(prompts, (std::vector<std::string>{"SQR: ENTER FILENAME SUB STRING?"}));
  EXPECT_EQ(ReadFloats("pr7.bin"), (std::vector<float>{1.0f, 4.0f, 9.0f, 16.0f}));
  const std::vector<float> average = ReadFloats("alAve");
  ASSERT_EQ(average.size(), static_cast<size_t>(kSeq));
  EXPECT_NEAR(*std::max_element(average.begin(), average.end()), 5.0f, 1e-4);
  EXPECT_EQ(Cnv.Del_Multi[1], 0);
  const std::vector<std::string> boxes = Boxes();
  EXPECT_NE(std::find(boxes.begin(), boxes.end(),
                      "Warning|CrossCorrSeqFileFix()\n\nPREMATURE EOF IN INPUT FILE=[par]\n\nEND NUM REDEFINED AS "
                      "[049]\n\nCONTINUING"),
            boxes.end())
      << ::testing::PrintToString(boxes);
  EXPECT_NE(std::find(boxes.begin(), boxes.end(), "Info|NUMBER OF FILES USED IN AVERAGE=[50]"), boxes.end())
      << ::testing::PrintToString(boxes);
  for (const auto& box : boxes) EXPECT_EQ(box.find("COMMAND FAILED"), std::string::npos) << box;
}

// A number that a command counts or sizes with, negative or making a product beyond 32
// bits, fails the line with a warning naming it before anything is worked out from it;
// a number beyond its field is no number of that field.
TEST_F(OpSeqTest, NumbersThatCannotCountOrSizeFailTheLineNamingThem) {
  WriteFloats("p", std::vector<float>(4 * 64, 1.0f));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"SEQCOADD", "-4 s t 1000 -2147483648"}, "SEQCOADD\n\nSEQ CT=[-2147483648] NOT VALID\n\nABORTING"},
      {{"SEQCOADD", "-1 a.bin t 2147483647 2"}, "SEQCOADD\n\nSEQ SZ=[2147483647] x SEQ CT=[2] NOT VALID\n\nABORTING"},
      {{"SEQCOADD", "-1 a.bin t -4 2"}, "SEQCOADD\n\nSEQ SZ=[-4] NOT VALID\n\nABORTING"},
      {{"COMBINTG", "-1 a.bin t 2.0 1 0.0 4.0 1000000 1e6"},
       "COMBINTG\n\nX SCALAR=[1000000.000000] NOT VALID\n\nABORTING"},
      {{"CUTSECT_FILE", "-1 a.bin t 0 -2147483648 1 0"}, "CUTSECT_FILE\n\nHI CUT=[-2147483648] - EPT_STAT NOT VALID\n\nABORTING"},
      {{"CUTSECT_FILE", "-1 a.bin t 2147483647 2147483647 0 2 none 5 10"},
       "CUTSECT_FILE\n\nLO:HI CUT=[2147483647][2147483647] + [5] NOT VALID\n\nABORTING"},
      {{"SEQCCFILEFIX", "0 p t old aves -2147483648 0 4 0.01 1 8 56 0 0 0 3 0 3 0"},
       "SEQCCFILEFIX\n\nSEQ SZ=[-2147483648] NOT VALID\n\nABORTING"},
      {{"SEQCCFILEFIX", "0 p t old aves 64 0 4 0.01 1 8 56 -2147483647 0 0 3 0 3 0"},
       "CrossCorrSeqFileFix()\n\nRESIZE MULTIPLE=[2147483647] x SIZE=[64] | WIN=[8]-[56] | CC RADIUS=[4] NOT "
       "VALID\n\nABORTING"},
      {{"REPACK_FILE", "-1 a.bin t 1 2 -2 4"}, "REPACK_FILE\n\nSEG CT=[-2] NOT VALID\n\nABORTING"},
      {{"CALIB", "1e308 1 0.0 2"}, "CALIB\n\nREF PT=[2] x FRQ STP=[1e+308] NOT VALID\n\nABORTING"},
      {{"AVERAGE", "-1 a.bin t 4294967298"},
       "AVERAGE\n\n[AVERAGE] WRONG NUMBER [NEED 4] OF PARAMETER ARGUMENTS [OpASeq100.dat] IN:\n-1 a.bin t 4294967298"},
  };
  for (const auto& [lines, text] : cases) {
    SCOPED_TRACE(lines[1]);
    boxes_.clear();
    RunLines(lines);
    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(Boxes()[0], "Warning|" + text);
    EXPECT_FALSE(std::filesystem::exists("t"));
    EXPECT_FALSE(std::filesystem::exists("t000"));
  }
  EXPECT_EQ(Cnv.Pts_Ave[1], 1);
}

TEST_F(OpSeqTest, CutsectRefusesANegativeSpacing) {
  RunLines({"CUTSECT_FILE", "-1 a.bin out 0 1 0 -2"});
  ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(Boxes()[0], "Warning|CUTSECT_FILE\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING");
}

}  // namespace
