#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
// The frame of the file operation engine: names, the temporary output, the point
// range, refused ids, failures and the closing report.
#include "fileproc/FileOps.h"

#include "FileOpsFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "platform/kernel/Sync.h"

namespace {

namespace drv = platform::driver;
using qvtest::FileOpsTest;

TEST_F(FileOpsTest, ScaleOverLimitsDropsTheHeadAndCopiesTheTail) {
  WriteValues("in.bin", Ramp(1000));
  Cnv.Lim_Stat[0] = 1;
  Cnv.Scalar[0] = 2.0f;
  Win.Pt_Lim[0][0] = 100;
  Win.Pt_Lim[0][1] = 200;
  drv::Answers answers;
  answers.Box("Info", "[in.bin] CONVERTED TO [out.bin]\n\nOVER LIMITS FROM [100] TO [200]", IDOK);
  ASSERT_EQ(Run(OSI_SCALE, "in.bin", "out.bin", 0, 1, 1), 1);
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_TRUE(answers.AllAnswered());
  auto out = ReadValues<float>("out.bin");
  ASSERT_EQ(out.size(), 900u);
  EXPECT_EQ(out[0], 200.0f);    // point 100
  EXPECT_EQ(out[99], 398.0f);   // point 199
  EXPECT_EQ(out[100], 200.0f);  // point 200, unchanged
  EXPECT_EQ(out[899], 999.0f);
  EXPECT_EQ(platform::BoxLog()[0].style, 0x1040u);
}

TEST_F(FileOpsTest, PointLimitsOutsideTheFileFallBackToIt) {
  WriteValues("in.bin", Ramp(50));
  Cnv.Lim_Stat[0] = 1;
  Cnv.Scalar[0] = -1.0f;
  Win.Pt_Lim[0][0] = 50;  // not below n: from 0
  Win.Pt_Lim[0][1] = 10;
  ASSERT_EQ(Run(OSI_SCALE, "in.bin", "a.bin"), 1);
  auto a = ReadValues<float>("a.bin");
  ASSERT_EQ(a.size(), 50u);
  EXPECT_EQ(a[9], -9.0f);
  EXPECT_EQ(a[10], 10.0f);
  Win.Pt_Lim[0][0] = 40;
  Win.Pt_Lim[0][1] = 9999;  // past the end: to the end
  ASSERT_EQ(Run(OSI_SCALE, "in.bin", "b.bin"), 1);
  auto b = ReadValues<float>("b.bin");
  ASSERT_EQ(b.size(), 10u);
  EXPECT_EQ(b[9], -49.0f);
  Win.Pt_Lim[0][0] = -5;  // negative: from 0; high 0: to the end
  Win.Pt_Lim[0][1] = 0;
  ASSERT_EQ(Run(OSI_SCALE, "in.bin", "c.bin"), 1);
  EXPECT_EQ(ReadValues<float>("c.bin").size(), 50u);
  // A slot without point limits works on the whole file.
  Cnv.Lim_Stat[12] = 1;
  Cnv.Scalar[12] = 3.0f;
  ASSERT_EQ(Run(OSI_SCALE, "in.bin", "d.bin", 1, 0, 0, 12), 1);
  EXPECT_EQ(ReadValues<float>("d.bin")[49], 147.0f);
}

TEST_F(FileOpsTest, OutputEqualToInputReplacesItThroughTheSlotTemporaryFile) {
  WriteValues("data.bin", Ramp(10));
  WriteBytes("__qvosi003.tmp", {1, 2, 3});  // taken: the next free name is used
  Cnv.Scalar[3] = 10.0f;
  DebugFileSet(DEBUG_TOPIC_FILEOPS, 0, 0);
  drv::Answers answers;  // prompt 0: no question
  ASSERT_EQ(Run(OSI_SCALE, "data.bin", "data.bin", 1, 0, 0, 3), 1);
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_STREQ(inBuf_, "data.bin");
  EXPECT_STREQ(outBuf_, "data.bin");
  EXPECT_EQ(ReadValues<float>("data.bin")[9], 90.0f);
  EXPECT_EQ(Files(), (std::vector<std::string>{"Qv95_Debug.log", "__qvosi003.tmp", "data.bin"}));
  EXPECT_EQ(ReadBytes("__qvosi003.tmp").size(), 3u);
  DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
  std::ifstream log("Qv95_Debug.log");
  std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("RENAMING FILE FROM [data.bin] TO [__qvosi003_000.tmp]"), std::string::npos) << text;
}

// A program killed in the middle of an operation leaves its temporary file behind,
// unlocked. The next run that needs the name removes it, so crashes never pile up
// files; the temporary file of an operation still running (locked) is left alone.
TEST_F(FileOpsTest, TemporaryFileOfAKilledRunIsRemovedByTheNextRun) {
  WriteValues("data.bin", Ramp(10));
  WriteBytes("__qvosi003.tmp", std::vector<unsigned char>(4096, 7));
  WriteBytes("__qvosi003_000.tmp", std::vector<unsigned char>(16, 9));
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time("__qvosi003.tmp", old);
  std::filesystem::last_write_time("__qvosi003_000.tmp", old);
  const int held = ::open("__qvosi003_000.tmp", O_RDONLY);  // a live writer's lock
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  Cnv.Scalar[3] = 10.0f;
  drv::Answers answers;
  ASSERT_EQ(Run(OSI_SCALE, "data.bin", "data.bin", 1, 0, 0, 3), 1);
  EXPECT_EQ(ReadValues<float>("data.bin")[9], 90.0f);
  EXPECT_EQ(Files(), (std::vector<std::string>{"__qvosi003_000.tmp", "data.bin"}));
  ::close(held);
  // Unlocked now, but fresh: perhaps a run between its creation and its lock.
  ASSERT_EQ(Run(OSI_SCALE, "data.bin", "data.bin", 1, 0, 0, 3), 1);
  EXPECT_EQ(Files(), (std::vector<std::string>{"__qvosi003_000.tmp", "data.bin"}));
  // Left behind for long: taken over when its name is next needed.
  std::filesystem::last_write_time("__qvosi003_000.tmp", old);
  WriteBytes("__qvosi003.tmp", std::vector<unsigned char>(8, 1));
  const int busy = ::open("__qvosi003.tmp", O_RDONLY);
  ASSERT_EQ(::flock(busy, LOCK_EX), 0);
  ASSERT_EQ(Run(OSI_SCALE, "data.bin", "data.bin", 1, 0, 0, 3), 1);
  EXPECT_EQ(Files(), (std::vector<std::string>{"__qvosi003.tmp", "data.bin"}));
  ::close(busy);
}

TEST_F(FileOpsTest, NamesEqualButForLetterCaseAreTheSameFile) {
  WriteValues("Data.bin", Ramp(8));
  Cnv.Scalar[0] = 2.0f;
  {
    drv::Answers answers;
    answers.Box("Question", "I/O FILENAMES ARE IDENTICAL\n\n[Data.bin]\n\nOVERWRITE INPUT FILE?", IDYES)
        .Box("Info", "[DATA.BIN] CONVERTED TO [DATA.BIN]", IDOK);
    ASSERT_EQ(Run(OSI_SCALE, "Data.bin", "DATA.BIN", 1, 1, 1), 1);
    EXPECT_TRUE(answers.Failures().empty());
    EXPECT_TRUE(answers.AllAnswered());
  }
  EXPECT_EQ(Files(), std::vector<std::string>{"Data.bin"});
  EXPECT_EQ(ReadValues<float>("Data.bin")[7], 14.0f);
  EXPECT_STREQ(inBuf_, "DATA.BIN");
  // A refused overwrite writes nothing at all.
  drv::Answers answers;
  answers.Box("Question", "I/O FILENAMES ARE IDENTICAL*", IDNO);
  EXPECT_EQ(Run(OSI_SCALE, "Data.bin", "data.BIN", 1, 1, 1), 0);
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(Files(), std::vector<std::string>{"Data.bin"});
  EXPECT_EQ(ReadValues<float>("Data.bin")[7], 14.0f);
  EXPECT_STREQ(outBuf_, "data.BIN");
}

TEST_F(FileOpsTest, IdsWithoutAnOperationAreRefusedBeforeAnyFileIsTouched) {
  WriteValues("in.bin", Ramp(16));
  const auto before = ReadBytes("in.bin");
  drv::Answers answers;
  answers.Box("Info", "OPTION NOT CURRENTLY AVAILABLE", IDOK)   // NetCDF
      .Box("Warning", "OSIFile()\n\nCASE ID=[9999]\n\n*", IDOK);
  EXPECT_EQ(Run(OSI_NETCDF, "in.bin", "in.bin", 0, 0, 1), 0);
  EXPECT_EQ(Run(9999, "in.bin", "out.bin", 0, 0, 1), 0);
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_EQ(Files(), std::vector<std::string>{"in.bin"});
  EXPECT_EQ(ReadBytes("in.bin"), before);
  EXPECT_EQ(OSIFileIdState(OSI_SCALE), OsiIdState::Available);
  EXPECT_EQ(OSIFileIdState(OSI_SCALE + 0x10000), OsiIdState::Available);  // dispatch reads the low 16 bits
  EXPECT_EQ(OSIFileIdState(OSI_BBMWSEQSPLIT), OsiIdState::Available);
}

TEST_F(FileOpsTest, MissingInputOrBadSlotCreatesNoOutput) {
  drv::Answers answers;
  answers.Box("Warning", "OSIFile()\n\nCASE ID=[2005]\n\nFAILED TO OPEN BINARY FILE [none.bin] FOR READING\n\nABORTING", IDOK)
      .Box("Warning", "OSIFile()\n\nCASE ID=[2005]\n\nINVALID PARAMETER SLOT=[30]\n\nABORTING", IDOK);
  EXPECT_EQ(Run(OSI_SCALE, "none.bin", "out.bin"), 0);
  WriteValues("in.bin", Ramp(4));
  EXPECT_EQ(Run(OSI_SCALE, "in.bin", "out.bin", 1, 0, 0, 30), 0);
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_EQ(Files(), std::vector<std::string>{"in.bin"});
}

TEST_F(FileOpsTest, EmptyAndRaggedInputs) {
  WriteBytes("empty.bin", {});
  ASSERT_EQ(Run(OSI_SCALE, "empty.bin", "out.bin"), 1);
  EXPECT_TRUE(ReadBytes("out.bin").empty());
  WriteBytes("ragged.bin", {0, 0, 128, 63, 0, 0, 0, 64, 9, 9, 9});  // 1.0, 2.0 and three stray bytes
  Cnv.Scalar[0] = 3.0f;
  ASSERT_EQ(Run(OSI_SCALE, "ragged.bin", "out.bin"), 1);
  EXPECT_EQ(ReadValues<float>("out.bin"), (std::vector<float>{3.0f, 6.0f}));
  EXPECT_EQ(ReadBytes("out.bin").size(), 8u);
}

// A write that fails part-way (the file-size limit of the process) must leave the
// input, and an older output, exactly as they were.
TEST_F(FileOpsTest, AFailureMidwayLeavesInputAndOldOutputUntouched) {
  const int n = 300000;  // 1.2 MB, several blocks
  WriteValues("big.bin", Ramp(n));
  WriteValues("old.bin", Ramp(3));
  const auto input = ReadBytes("big.bin");
  const auto old = ReadBytes("old.bin");
  int32_t same = 0;
  int32_t other = 0;
  {
    qvtest::FileSizeLimit full(500000);
    ASSERT_TRUE(full.Set());
    drv::Answers answers;
    answers.Box("Warning", "OSIFile()\n\nCASE ID=[2005]\n\nFAILED TO WRITE BINARY FILE=[big.bin]\n\nABORTING", IDOK)
        .Box("Warning", "OSIFile()\n\nCASE ID=[2005]\n\nFAILED TO WRITE BINARY FILE=[old.bin]\n\nABORTING", IDOK);
    same = Run(OSI_SCALE, "big.bin", "big.bin", 1, 0, 1);
    other = Run(OSI_SCALE, "big.bin", "old.bin", 1, 0, 1);
    EXPECT_TRUE(answers.Failures().empty());
  }
  EXPECT_EQ(same, 0);
  EXPECT_EQ(other, 0);
  EXPECT_EQ(ReadBytes("big.bin"), input);
  EXPECT_EQ(ReadBytes("old.bin"), old);
  EXPECT_STREQ(outBuf_, "old.bin");
  // The failed replacement of the input keeps its partial temporary file; nothing else is left.
  EXPECT_EQ(Files(), (std::vector<std::string>{"__qvosi000.tmp", "big.bin", "old.bin"}));
}

struct StopRun {
  int32_t result = -1;
  std::string in;
};

DWORD RunAsOperationSequence(void* p) {
  auto* run = static_cast<StopRun*>(p);
  ThreadCtl.OpSeq_ThreadId = GetCurrentThreadId();
  char in[200];
  char out[200];
  StrCopy(in, run->in.c_str());
  StrCopy(out, run->in.c_str());
  run->result = OSIFile(1, 0, OSI_SCALE, in, out, 1, 0, 0);
  return 0;
}

TEST_F(FileOpsTest, AStopRequestEndsTheSequenceThreadsOperationWithoutTouchingTheInput) {
  WriteValues("seq.bin", Ramp(1000));
  const auto before = ReadBytes("seq.bin");
  ThreadCtl.OpSeq_Stop = 1;
  StopRun run;
  run.in = "seq.bin";
  drv::Answers answers;  // a stop shows nothing
  HANDLE thread = CreateThread(&RunAsOperationSequence, &run, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_EQ(run.result, 0);
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_EQ(ReadBytes("seq.bin"), before);
  EXPECT_EQ(Files(), std::vector<std::string>{"seq.bin"});
  // The same call on another thread is not affected by the sequence's stop request.
  Cnv.Scalar[0] = 2.0f;
  EXPECT_EQ(Run(OSI_SCALE, "seq.bin", "seq.bin"), 1);
}

}  // namespace

namespace {

// Values 0, 1, ... scaled by s.
std::vector<float> Scaled(int n, float s) {
  std::vector<float> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<float>(i) * s;
  return v;
}

}  // namespace

// Outputs that replace files are written over the file each one replaced: a shorter
// output over a longer old file ends where it should, every output holds what it
// must, and nothing of the kept file stays once the run is over.
TEST_F(FileOpsTest, KeptReplacedFilesAreWrittenOverAndCutToTheirOutputs) {
  WriteValues("in.bin", Ramp(100));
  WriteValues("short.bin", Ramp(10));
  WriteValues("a.bin", Ramp(5000));  // the first one replaced: long
  WriteValues("b.bin", Ramp(3));
  Cnv.Scalar[0] = 2.0f;
  {
    const OsiKeepReplacedFiles keep;
    ASSERT_EQ(Run(OSI_SCALE, "in.bin", "a.bin"), 1);     // a.bin's 5000 values become the spare
    ASSERT_EQ(Run(OSI_SCALE, "short.bin", "b.bin"), 1);  // written over them: 10 values
    ASSERT_EQ(Run(OSI_SCALE, "in.bin", "c.bin"), 1);     // a new name: renamed as ever
    ASSERT_EQ(Run(OSI_SCALE, "short.bin", "a.bin"), 1);
    Cnv.Scalar[0] = 3.0f;
    ASSERT_EQ(Run(OSI_SCALE, "short.bin", "short.bin"), 1);  // in place
  }
  EXPECT_EQ(ReadValues<float>("b.bin"), Scaled(10, 2.0f));
  EXPECT_EQ(ReadValues<float>("c.bin"), Scaled(100, 2.0f));
  EXPECT_EQ(ReadValues<float>("a.bin"), Scaled(10, 2.0f));
  EXPECT_EQ(ReadValues<float>("short.bin"), Scaled(10, 3.0f));
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bin", "b.bin", "c.bin", "in.bin", "short.bin"}));
}

// A replaced file that someone still reads, or that has a second name, is let go as
// a rename over it lets it go: the reader and the other name keep the old values.
TEST_F(FileOpsTest, AReplacedFileStillOpenOrLinkedElsewhereIsNotWrittenOver) {
  WriteValues("in.bin", Ramp(100));
  WriteValues("read.bin", Ramp(64));
  WriteValues("linked.bin", Ramp(32));
  ASSERT_EQ(::link("linked.bin", "other-name.bin"), 0);
  const int reader = ::open("read.bin", O_RDONLY);
  ASSERT_GE(reader, 0);
  Cnv.Scalar[0] = -1.0f;
  {
    const OsiKeepReplacedFiles keep;
    ASSERT_EQ(Run(OSI_SCALE, "in.bin", "read.bin"), 1);
    ASSERT_EQ(Run(OSI_SCALE, "in.bin", "x.bin"), 1);
    ASSERT_EQ(Run(OSI_SCALE, "in.bin", "linked.bin"), 1);
    ASSERT_EQ(Run(OSI_SCALE, "in.bin", "y.bin"), 1);
    ASSERT_EQ(Run(OSI_SCALE, "in.bin", "x.bin"), 1);
  }
  std::vector<float> old(64);
  ASSERT_EQ(::pread(reader, old.data(), 64 * sizeof(float), 0), static_cast<ssize_t>(64 * sizeof(float)));
  ::close(reader);
  EXPECT_EQ(old, Ramp(64));
  EXPECT_EQ(ReadValues<float>("other-name.bin"), Ramp(32));
  for (const char* name : {"read.bin", "x.bin", "linked.bin", "y.bin"})
    EXPECT_EQ(ReadValues<float>(name), Scaled(100, -1.0f)) << name;
  EXPECT_EQ(Files(), (std::vector<std::string>{"in.bin", "linked.bin", "other-name.bin", "read.bin", "x.bin", "y.bin"}));
}

// A kept file belongs to its folder: outputs in another folder, reached by another
// current folder, never take it, and it goes wherever the current folder is then.
TEST_F(FileOpsTest, AKeptFileStaysWithItsFolder) {
  WriteValues("in.bin", Ramp(20));
  WriteValues("a.bin", Ramp(40));
  std::filesystem::create_directory("sub");
  WriteValues("sub/y.bin", Ramp(7));
  Cnv.Scalar[0] = 5.0f;
  {
    const OsiKeepReplacedFiles keep;
    ASSERT_EQ(Run(OSI_SCALE, "in.bin", "a.bin"), 1);  // a.bin's old values kept here
    std::filesystem::current_path("sub");
    ASSERT_EQ(Run(OSI_SCALE, "../in.bin", "x.bin"), 1);
    ASSERT_EQ(Run(OSI_SCALE, "../in.bin", "y.bin"), 1);
    EXPECT_EQ(ReadValues<float>("x.bin"), Scaled(20, 5.0f));
    EXPECT_EQ(ReadValues<float>("y.bin"), Scaled(20, 5.0f));
    std::filesystem::current_path("..");
  }
  EXPECT_EQ(ReadValues<float>("a.bin"), Scaled(20, 5.0f));
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bin", "in.bin", "sub"}));
  std::vector<std::string> inSub;
  for (const auto& e : std::filesystem::directory_iterator("sub")) inSub.push_back(e.path().filename().string());
  std::sort(inSub.begin(), inSub.end());
  EXPECT_EQ(inSub, (std::vector<std::string>{"x.bin", "y.bin"}));
}
