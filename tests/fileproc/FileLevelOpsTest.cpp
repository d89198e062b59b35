// File-level operations: reverse, resize, per-sequence trim, delete, repack, drop the
// end and append, with their refusals leaving the input as it was.
#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "FileOpsFixture.h"
#include "core/MsgWindow.h"
#include "core/TypedArrays.h"
#include "platform/windows/Dialog.h"
#include "fileproc/xcorr/Resample.h"

namespace {

namespace drv = platform::driver;
using qvtest::FileOpsTest;
using Values = std::vector<float>;

// Reverse, per-sequence trim, end drop and append against plain models on random data,
// for lengths on both sides of the block edge.
class FileLevelModelTest : public FileOpsTest, public ::testing::WithParamInterface<int> {};

TEST_P(FileLevelModelTest, OperationsMatchTheModel) {
  const int n = GetParam();
  std::mt19937 rng(static_cast<unsigned>(n));
  std::uniform_real_distribution<float> value(-5.0f, 5.0f);
  Values v(static_cast<size_t>(n));
  for (float& x : v) x = value(rng);
  WriteValues("in.bin", v);
  auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };

  ASSERT_EQ(Run(OSI_REVERSE, "in.bin", "out.bin", 0), 1);
  EXPECT_EQ(ReadValues<float>("out.bin"), Values(v.rbegin(), v.rend()));
  for (int round = 0; round < 4; ++round) {
    const int seq = pick(1, n);
    const int drop = pick(0, seq);
    Cnv.Seq_Sz[0] = seq;
    Cnv.Pts_Ave[0] = drop;
    ASSERT_EQ(Run(OSI_LECROYDELETE, "in.bin", "out.bin"), 1);
    Values trimmed;
    for (int j = 0; (j + 1) * seq <= n; ++j) trimmed.insert(trimmed.end(), v.begin() + j * seq, v.begin() + (j + 1) * seq - drop);
    EXPECT_EQ(ReadValues<float>("out.bin"), trimmed) << seq << " " << drop;
    Cnv.Pts_Ave[0] = pick(-3, n + 3);
    ASSERT_EQ(Run(OSI_TRUNCATE_END, "in.bin", "out.bin"), 1);
    const int keep = std::clamp(n - Cnv.Pts_Ave[0], 0, n);
    EXPECT_EQ(ReadValues<float>("out.bin"), Values(v.begin(), v.begin() + keep));
    Values second(static_cast<size_t>(pick(0, 70000)));
    for (float& x : second) x = value(rng);
    WriteValues("SubBin", second);
    ASSERT_EQ(Run(OSI_APPEND, "in.bin", "out.bin"), 1);
    Values joined = v;
    joined.insert(joined.end(), second.begin(), second.end());
    EXPECT_EQ(ReadValues<float>("out.bin"), joined);
  }
  EXPECT_EQ(ReadValues<float>("in.bin"), v);
}

INSTANTIATE_TEST_SUITE_P(Lengths, FileLevelModelTest, ::testing::Values(17, 65536 + 1, 65536 * 2 + 10));

TEST_F(FileOpsTest, ReverseReadsTheBlocksFromTheLastAndTurnsTheAxis) {
  const int n = 65536 * 2 + 10;
  WriteValues("in.bin", Ramp(n));
  DebugFileSet(DEBUG_TOPIC_FILEOPS, 0, 0);
  ASSERT_EQ(Run(OSI_REVERSE, "in.bin", "out.bin", 0), 1);
  DebugFileSet(DEBUG_LEVEL_OFF, 0, 0);
  auto out = ReadValues<float>("out.bin");
  ASSERT_EQ(out.size(), static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) ASSERT_EQ(out[i], static_cast<float>(n - 1 - i));
  std::ifstream log("Qv95_Debug.log");
  std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("REVERSE FILE OPT\r\nFL_SZ=131082 BLK_TOT=2 BLK_TOT*BLOCK=131072\r\nFL_SZ=131082 BLK_TOT=2 "
                      "BLK_TOT*BLOCK=131072\r\nBLK_CNT=2\r\nBLK_CNT=1\r\nBLK_CNT=0\r\n"),
            std::string::npos)
      << text;
  // Variant 1 turns the axis; the point count is the file's.
  WriteValues("ten.bin", Ramp(10));
  Dsp.Init_Frq = 1000.0;
  Dsp.FSR = 2.0;
  Dsp.Pts_FSR = 4;
  Dsp.Frq_Stp = 0.5;
  ASSERT_EQ(Run(OSI_REVERSE, "ten.bin", "ten.bin", 1), 1);
  EXPECT_EQ(ReadValues<float>("ten.bin"), (Values{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(Dsp.Init_Frq, 1004.5);
  EXPECT_EQ(Dsp.FSR, -2.0);
  EXPECT_EQ(Dsp.Frq_Stp, -0.5);
  // An empty file: nothing read, success.
  WriteValues("empty.bin", Values{});
  ASSERT_EQ(Run(OSI_REVERSE, "empty.bin", "e.bin", 0), 1);
  EXPECT_TRUE(ReadBytes("e.bin").empty());
}

TEST_F(FileOpsTest, SortWritesItsOwnFilesWithoutATemporaryOne) {
  WriteValues("seq", Ramp(10));
  // The interval question of the sort, answered with 0: plain alternation.
  platform::SetModalOpenHook([](HWND dialog, int templateId) {
    EXPECT_EQ(templateId, IDD_GET_TEXT);
    SetDlgItemText(dialog, IDC_GET_TEXT_EDIT, "0");
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  ASSERT_EQ(Run(OSI_SORT, "seq", "seq"), 1);  // equal names: nothing is put in place
  platform::SetModalOpenHook(nullptr);
  EXPECT_EQ(ReadValues<float>("seq_001"), (Values{0, 2, 4, 6, 8}));
  EXPECT_EQ(ReadValues<float>("seq_002"), (Values{1, 3, 5, 7, 9}));
  EXPECT_EQ(ReadValues<float>("seq"), Ramp(10));
  EXPECT_EQ(Files(), (std::vector<std::string>{"seq", "seq_001", "seq_002"}));
}

TEST_F(FileOpsTest, ResizeGoesThroughTheSplineResampling) {
  Values in(1000);
  for (int i = 0; i < 1000; ++i) in[i] = static_cast<float>(std::sin(i * 0.01));
  WriteValues("in.bin", in);
  Dsp.FSR = 2.0;
  Cnv.Rsz_StpIn[0] = 0.0;  // the working file's FSR
  Cnv.Rsz_StpOut[0] = 0.5;
  Cnv.Rsz_Mode[0] = 0;
  ASSERT_EQ(Run(OSI_RESIZE, "in.bin", "out.bin"), 1);
  EXPECT_EQ(Cnv.Rsz_StpIn[0], 2.0);
  EXPECT_EQ(Cnv.Rsz_SzIn[0], 1000u);
  EXPECT_EQ(Cnv.Rsz_SzOut[0], 4000u);
  float* want = nullptr;
  ASSERT_EQ(ResizeFileAry(5, RESIZE_ARRAY_MODE, nullptr, nullptr, 0, 1000, 0, 2.0, 0.5, in.data(), nullptr, &want, 1.0,
                          0),
            1);
  EXPECT_EQ(ReadValues<float>("out.bin"), Values(want, want + 4000));
  FFree1Dim(&want);
  // A failed resize is a failure: the output given as the input leaves it alone.
  const auto before = ReadBytes("in.bin");
  Cnv.Rsz_Mode[0] = 1;
  Cnv.Rsz_SzOut[0] = 0;
  EXPECT_EQ(Run(OSI_RESIZE, "in.bin", "in.bin"), 0);
  EXPECT_EQ(ReadBytes("in.bin"), before);
  EXPECT_EQ(platform::BoxLog().back().text,
            "ResizeFileAry()\n\nRESIZE FILE|ARY OPERATION\n\nOUTPUT FILE SIZE IS ZERO\n\nABORTING");
}

TEST_F(FileOpsTest, SequenceTrimDropsTheLastPointsOfEverySequence) {
  WriteValues("in.bin", Ramp(3500));
  Cnv.Seq_Sz[0] = 1000;
  Cnv.Pts_Ave[0] = 2;
  drv::Answers answers;
  answers.Box("Warning", "LECROY DELETE FILE OPERATION\n\nPREMATURE EOF IN [in.bin]\n\nSEQUENCES=[3]\nPOINTS READ IN "
                         "LAST SEQUENCE OF SIZE [1000] = [500]\n\nCONTINUING", IDOK);
  ASSERT_EQ(Run(OSI_LECROYDELETE, "in.bin", "out.bin"), 1);
  auto out = ReadValues<float>("out.bin");
  ASSERT_EQ(out.size(), 2994u);
  EXPECT_EQ(out[997], 997.0f);
  EXPECT_EQ(out[998], 1000.0f);
  EXPECT_EQ(out[2993], 2997.0f);
  // Sizes that cannot work are refused and change nothing.
  const auto before = ReadBytes("in.bin");
  for (auto [seq, drop] : {std::pair{0, 0}, std::pair{10, -1}, std::pair{10, 11}}) {
    Cnv.Seq_Sz[0] = seq;
    Cnv.Pts_Ave[0] = drop;
    answers.Box("Warning", StrPrintf("LECROY DELETE FILE OPERATION\n\nSEQ SZ=[%d] & PTS TO AVE=[%d] NOT VALID\n\nABORTING",
                                     seq, drop),
                IDOK);
    EXPECT_EQ(Run(OSI_LECROYDELETE, "in.bin", "in.bin"), 0);
  }
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadBytes("in.bin"), before);
}

TEST_F(FileOpsTest, DeleteOneFileOrANumberedFamily) {
  for (const char* name : {"base", "base000", "base001", "base002", "base003", "base004", "base006"})
    WriteValues(name, Ramp(3));
  char in[200] = "base";
  drv::Answers answers;
  answers.Box("Question", "DEL_FILE\n\nDELETE FILE [base] [YES] | ABORT [NO]?", IDNO)
      .Box("Question", "DEL_FILE\n\nDELETE FILE [base] [YES] | ABORT [NO]?", IDYES);
  EXPECT_EQ(OSIFile(0, 0, OSI_DELETE, in, nullptr, 0, 0, 1), 1);  // NO: nothing deleted
  Cnv.Del_Multi[0] = 1;
  EXPECT_EQ(OSIFile(0, 0, OSI_DELETE, in, nullptr, 0, 0, 1), 1);
  EXPECT_EQ(Files(), (std::vector<std::string>{"base", "base006"}));
  // The named file alone; a file that cannot be deleted fails the call.
  Cnv.Del_Multi[0] = 0;
  EXPECT_EQ(OSIFile(0, 0, OSI_DELETE, in, nullptr, 1, 0, 1), 1);
  EXPECT_EQ(Files(), (std::vector<std::string>{"base006"}));
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_TRUE(answers.AllAnswered());
  // A file that is gone by the time it is deleted: the call fails.
  StrCopy(in, "base006");
  auto previous = platform::SetBoxAnswerer([](const platform::BoxRequest& box) {
    if (box.caption == "Question") std::filesystem::remove("base006");
    return box.caption == "Question" ? IDYES : IDOK;
  });
  EXPECT_EQ(OSIFile(0, 0, OSI_DELETE, in, nullptr, 0, 0, 1), 0);
  platform::SetBoxAnswerer(previous);
  EXPECT_EQ(platform::BoxLog().back().text, "OSIFile()\n\nFAILED TO DELETE FILE [base006]\n\nABORTING");
}

TEST_F(FileOpsTest, RepackPutsTheProcessBlocksInStepOrder) {
  // Two process blocks of 10 values, chunks of 2: steps 0..4, the last chunk ending
  // exactly at the block's end.
  WriteValues("in.bin", Ramp(20));
  Cnv.Seq_Sz[0] = 2;
  Cnv.Seq_Cnt[0] = 1;
  Cnv.Proc_Sz[0] = 10;
  Cnv.Proc_Num[0] = 2;
  ASSERT_EQ(Run(OSI_REPACK, "in.bin", "out.bin"), 1);
  EXPECT_EQ(ReadValues<float>("out.bin"),
            (Values{0, 1, 10, 11, 2, 3, 12, 13, 4, 5, 14, 15, 6, 7, 16, 17, 8, 9, 18, 19}));
  // A chunk of no values would never advance: refused.
  const auto before = ReadBytes("in.bin");
  Cnv.Seq_Cnt[0] = 0;
  EXPECT_EQ(Run(OSI_REPACK, "in.bin", "in.bin"), 0);
  EXPECT_EQ(platform::BoxLog().back().text,
            "OSIFile()\n\nREPACK FILE OPERATION\n\nSEQ SZ=[2] x SEQ CT=[0] NOT VALID\n\nABORTING");
  EXPECT_EQ(ReadBytes("in.bin"), before);
}

TEST_F(FileOpsTest, TruncateEndDropsTheLastPoints) {
  WriteValues("in.bin", Ramp(70000));
  Cnv.Pts_Ave[0] = 3;
  ASSERT_EQ(Run(OSI_TRUNCATE_END, "in.bin", "a.bin"), 1);
  auto a = ReadValues<float>("a.bin");
  ASSERT_EQ(a.size(), 69997u);
  EXPECT_EQ(a.back(), 69996.0f);
  Cnv.Pts_Ave[0] = 80000;
  ASSERT_EQ(Run(OSI_TRUNCATE_END, "in.bin", "b.bin"), 1);
  EXPECT_TRUE(ReadBytes("b.bin").empty());
}

TEST_F(FileOpsTest, AppendToAnOutputOrInPlace) {
  WriteValues("in.bin", Ramp(70000));
  WriteValues("SubBin", Values{-1, -2, -3});
  ASSERT_EQ(Run(OSI_APPEND, "in.bin", "out.bin"), 1);
  auto out = ReadValues<float>("out.bin");
  ASSERT_EQ(out.size(), 70003u);
  EXPECT_EQ(out[69999], 69999.0f);
  EXPECT_EQ(out[70002], -3.0f);
  // In place, without an output name.
  char in[200] = "SubBin";
  StrCopy(Cnv.Sub_Flnm[0], "out.bin");
  ASSERT_EQ(OSIFile(0, 0, OSI_APPEND, in, nullptr, 0, 0, 1), 1);
  EXPECT_EQ(ReadValues<float>("SubBin").size(), 70006u);
  // A file appended to itself is copied once.
  StrCopy(Cnv.Sub_Flnm[0], "SubBin");
  ASSERT_EQ(OSIFile(0, 0, OSI_APPEND, in, nullptr, 0, 0, 1), 1);
  auto twice = ReadValues<float>("SubBin");
  ASSERT_EQ(twice.size(), 140012u);
  EXPECT_EQ(twice[70006], -1.0f);
  // A missing second file fails and changes nothing.
  StrCopy(Cnv.Sub_Flnm[0], "none.bin");
  EXPECT_EQ(OSIFile(0, 0, OSI_APPEND, in, nullptr, 0, 0, 1), 0);
  EXPECT_EQ(platform::BoxLog().back().text,
            "APPEND FILE OPERATION\n\nFAILED TO OPEN BINARY FILE=[none.bin] FOR READING\n\nABORTING");
  EXPECT_EQ(ReadValues<float>("SubBin").size(), 140012u);
}

TEST_F(FileOpsTest, AFailedInPlaceAppendCutsTheFileBack) {
  WriteValues("in.bin", Ramp(100));
  WriteValues("SubBin", Ramp(100000));
  const auto before = ReadBytes("in.bin");
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous = {};
  sigaction(SIGXFSZ, &ignore, &previous);
  struct rlimit old = {};
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 100000;  // the append fails part-way
  setrlimit(RLIMIT_FSIZE, &small);
  char in[200] = "in.bin";
  const int32_t result = OSIFile(0, 0, OSI_APPEND, in, nullptr, 0, 0, 1);
  setrlimit(RLIMIT_FSIZE, &old);
  sigaction(SIGXFSZ, &previous, nullptr);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadBytes("in.bin"), before);
  EXPECT_EQ(platform::BoxLog().back().text, "APPEND_FILE\n\nFAILED TO WRITE FILE [in.bin]\n\nABORTING");
}

}  // namespace
