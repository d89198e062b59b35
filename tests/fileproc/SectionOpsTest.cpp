// Section edits against an in-memory model on random data (ranges, shifts and
// sequences across the block edge), the edge cases of each edit, their questions and
// refusals, and the input surviving every declined or failed end.
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "FileOpsFixture.h"

namespace {

namespace drv = platform::driver;
using qvtest::FileOpsTest;
using Values = std::vector<float>;

// ---- the model: each edit written out point by point -----------------------------------

Values Slice(const Values& v, int64_t a, int64_t b) {
  a = std::max<int64_t>(a, 0);
  b = std::min<int64_t>(b, static_cast<int64_t>(v.size()));
  return b > a ? Values(v.begin() + a, v.begin() + b) : Values();
}
Values Cat(Values a, const Values& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Values Zeros(int64_t k) { return Values(static_cast<size_t>(std::max<int64_t>(k, 0)), 0.0f); }

// Point range of the frame for a slot with the switch on.
void Range(int64_t n, int64_t limLo, int64_t limHi, int64_t* lo, int64_t* hi) {
  *lo = limLo < 0 || limLo >= n ? 0 : limLo;
  *hi = limHi <= *lo || limHi >= n ? n : limHi;
}

Values ModelCut(const Values& v, int64_t lo, int64_t hi) { return Slice(v, lo, hi + 1); }
Values ModelDelete(const Values& v, int64_t lo, int64_t hi) { return Cat(Slice(v, 0, lo), Slice(v, hi + 1, v.size())); }
Values ModelZero(Values v, int64_t lo, int64_t hi, int64_t k, int64_t wl, int64_t wh) {
  for (int64_t p = 0; p < static_cast<int64_t>(v.size()); ++p) {
    const int64_t q = k >= 2 ? p % k : p;
    if (q >= wl && q < wh && p >= lo && p < hi) v[p] = 0.0f;
  }
  return v;
}
// Left shift with the switch on: the two passes as described, point by point.
Values ModelLeft(const Values& v, int64_t lo, int64_t hi, int64_t s) {
  Values out;
  const int64_t n = v.size();
  for (int64_t p = 0; p < n && p <= hi; ++p)
    if (p < lo - s || p >= lo) out.push_back(v[p]);
  for (int64_t p = 0; p < n; ++p)
    if (p > hi - s) out.push_back(p >= lo && p <= hi ? 0.0f : v[p]);
  return out;
}
Values ModelRight(const Values& v, int64_t lo, int64_t hi, int64_t s) {
  Values out;
  const int64_t n = v.size();
  for (int64_t p = 0; p < n && p < lo + s; ++p) out.push_back(p >= lo && p <= hi ? 0.0f : v[p]);
  for (int64_t p = 0; p < n; ++p)
    if ((p >= lo && p <= hi) || p > hi + s) out.push_back(v[p]);
  return out;
}
Values ModelRotate(const Values& v, int64_t a, int64_t len, int64_t s) {
  if (s < 0) s += len;
  return Cat(Slice(v, a + s, a + len), Slice(v, a, a + s));
}

Values RandomValues(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
  Values v(n);
  for (float& x : v) x = value(rng) + 0.5f;  // never 0, so zeros are the edit's
  return v;
}

// ---- random data against the model, for several file lengths ----------------------------

class SectionModelTest : public FileOpsTest, public ::testing::WithParamInterface<int> {};

TEST_P(SectionModelTest, EveryEditMatchesTheModel) {
  const int64_t n = GetParam();
  const Values v = RandomValues(static_cast<size_t>(n), static_cast<unsigned>(n));
  WriteValues("in.bin", v);
  std::mt19937 rng(static_cast<unsigned>(n) + 1);
  auto pick = [&](int64_t a, int64_t b) { return std::uniform_int_distribution<int64_t>(a, b)(rng); };
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int64_t limLo = pick(0, n - 1);
    const int64_t limHi = pick(0, n);
    int64_t lo = 0, hi = 0;
    Range(n, limLo, limHi, &lo, &hi);
    Cnv = CnvRecord{};
    Cnv.Lim_Stat[0] = 1;
    Win.Pt_Lim[0][0] = static_cast<int32_t>(limLo);
    Win.Pt_Lim[0][1] = static_cast<int32_t>(limHi);

    ASSERT_EQ(Run(OSI_CUTSECT, "in.bin", "out.bin"), 1);
    EXPECT_EQ(ReadValues<float>("out.bin"), ModelCut(v, lo, hi));
    ASSERT_EQ(Run(OSI_DELSECT, "in.bin", "out.bin"), 1);
    EXPECT_EQ(ReadValues<float>("out.bin"), ModelDelete(v, lo, hi));
    // Zero: once over the range, then a window in every sequence.
    ASSERT_EQ(Run(OSI_ZEROSECT, "in.bin", "out.bin", 0), 1);
    EXPECT_EQ(ReadValues<float>("out.bin"), ModelZero(v, lo, hi, 1, lo, hi));
    const int64_t k = pick(2, std::max<int64_t>(n / 3, 2));
    Cnv.Seq_Sz[0] = static_cast<int32_t>(k);
    Cnv.Win_Lo[0] = static_cast<int32_t>(pick(0, k - 1));
    Cnv.Win_Hi[0] = static_cast<int32_t>(pick(Cnv.Win_Lo[0], k + 3));
    ASSERT_EQ(Run(OSI_ZEROSECT, "in.bin", "out.bin", 1), 1);
    EXPECT_EQ(ReadValues<float>("out.bin"), ModelZero(v, lo, hi, k, Cnv.Win_Lo[0], Cnv.Win_Hi[0]));
    // Zeros at the start, the end and before the low limit.
    Cnv.Pts_Ave[0] = static_cast<int32_t>(pick(0, 70000));
    const int64_t z = Cnv.Pts_Ave[0];
    ASSERT_EQ(Run(OSI_ADDSECT, "in.bin", "out.bin", 1), 1);
    EXPECT_EQ(ReadValues<float>("out.bin"), Cat(Zeros(z), v));
    ASSERT_EQ(Run(OSI_ADDSECT, "in.bin", "out.bin", 2), 1);
    EXPECT_EQ(ReadValues<float>("out.bin"), Cat(v, Zeros(z)));
    ASSERT_EQ(Run(OSI_ADDSECT, "in.bin", "out.bin", 3), 1);
    EXPECT_EQ(ReadValues<float>("out.bin"), Cat(Cat(Slice(v, 0, limLo), Zeros(z)), Slice(v, limLo, n)));
    // Shifts inside the file.
    const int64_t s = pick(0, std::max<int64_t>(lo, 1));
    Cnv.Shift_Cnt[0] = static_cast<int32_t>(s);
    if (lo - s >= 0) {
      ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "out.bin", 1), 1);
      EXPECT_EQ(ReadValues<float>("out.bin"), ModelLeft(v, lo, hi, s));
    }
    if (hi + s < n) {
      ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "out.bin", 2), 1);
      EXPECT_EQ(ReadValues<float>("out.bin"), ModelRight(v, lo, hi, s));
    }
    // Scrolls: the range [lo, hi) as one segment, then as sequences.
    Cnv.Seq_Sz[0] = 0;
    Cnv.Shift_Cnt[0] = static_cast<int32_t>(-pick(0, hi - lo));
    ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "out.bin", 3), 1);
    EXPECT_EQ(ReadValues<float>("out.bin"), ModelRotate(v, lo, hi - lo, Cnv.Shift_Cnt[0]));
    if (hi - lo >= 2) {
      const int64_t kk = pick(1, (hi - lo) / 2);
      Cnv.Seq_Sz[0] = static_cast<int32_t>(kk);
      Cnv.Shift_Cnt[0] = static_cast<int32_t>(pick(-kk, kk));
      ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "out.bin", 3), 1);
      Values want;
      for (int64_t j = 0; j < (hi - lo) / kk; ++j) want = Cat(want, ModelRotate(v, lo + j * kk, kk, Cnv.Shift_Cnt[0]));
      EXPECT_EQ(ReadValues<float>("out.bin"), want);
      EXPECT_EQ(Cnv.Seq_Cnt[0], (hi - lo) / kk);
    }
  }
  // With the switch off: the whole file.
  Cnv = CnvRecord{};
  Cnv.Shift_Cnt[0] = static_cast<int32_t>(pick(0, n));
  const int64_t s = Cnv.Shift_Cnt[0];
  ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "out.bin", 1), 1);
  EXPECT_EQ(ReadValues<float>("out.bin"), Cat(Slice(v, s, n), Zeros(s)));
  ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "out.bin", 2), 1);
  EXPECT_EQ(ReadValues<float>("out.bin"), Cat(Zeros(s), Slice(v, 0, n - s)));
  ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "out.bin", 3), 1);
  EXPECT_EQ(ReadValues<float>("out.bin"), ModelRotate(v, 0, n, s));
  Cnv.Seq_Sz[0] = static_cast<int32_t>(std::max<int64_t>(n / 7, 1));
  Cnv.Shift_Cnt[0] = -1;
  ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "out.bin", 3), 1);
  Values want;
  for (int64_t j = 0; j < n / Cnv.Seq_Sz[0]; ++j) want = Cat(want, ModelRotate(v, j * Cnv.Seq_Sz[0], Cnv.Seq_Sz[0], -1));
  EXPECT_EQ(ReadValues<float>("out.bin"), want);
  EXPECT_EQ(ReadValues<float>("in.bin"), v);
}

INSTANTIATE_TEST_SUITE_P(Lengths, SectionModelTest, ::testing::Values(17, 1000, 65536 * 2 + 10));

// ---- the edge cases of each edit ----------------------------------------------------------

TEST_F(FileOpsTest, CutOutAsksAboutTheUpperEndPoint) {
  WriteValues("in.bin", Ramp(100));
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = 10;
  Win.Pt_Lim[0][1] = 20;
  drv::Answers answers;
  answers.Box("Question", "CUT OUT SECTION FILE OPERATION\n\nEXCLUDE UPPER END POINT [YES] | [NO]?", IDNO)
      .Box("Info", "[in.bin] CONVERTED TO [a.bin]\n\nOVER LIMITS FROM [10] TO [20]", IDOK)
      .Box("Question", "CUT OUT SECTION FILE OPERATION\n\nEXCLUDE UPPER END POINT [YES] | [NO]?", IDYES)
      .Box("Info", "[in.bin] CONVERTED TO [b.bin]\n\nOVER LIMITS FROM [10] TO [20]", IDOK);
  ASSERT_EQ(Run(OSI_CUTSECT, "in.bin", "a.bin", 0, 0, 1), 1);
  ASSERT_EQ(Run(OSI_CUTSECT, "in.bin", "b.bin", 0, 0, 1), 1);
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_EQ(ReadValues<float>("a.bin").size(), 11u);
  EXPECT_EQ(ReadValues<float>("b.bin"), Slice(Ramp(100), 10, 20));
  Cnv.Lim_Stat[0] = 0;  // the whole file is copied
  ASSERT_EQ(Run(OSI_CUTSECT, "in.bin", "c.bin", 0, 0, 0), 1);
  EXPECT_EQ(ReadValues<float>("c.bin"), Ramp(100));
}

TEST_F(FileOpsTest, DeleteAndZeroSectionEdges) {
  WriteValues("in.bin", Ramp(100));
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = 10;
  Win.Pt_Lim[0][1] = 20;
  ASSERT_EQ(Run(OSI_DELSECT, "in.bin", "a.bin"), 1);
  EXPECT_EQ(ReadValues<float>("a.bin").size(), 89u);
  Win.Pt_Lim[0][0] = 5;
  Win.Pt_Lim[0][1] = 8;
  ASSERT_EQ(Run(OSI_ZEROSECT, "in.bin", "b.bin", 0), 1);
  auto b = ReadValues<float>("b.bin");
  EXPECT_EQ(b[4], 4.0f);
  EXPECT_EQ(b[5] + b[6] + b[7], 0.0f);
  EXPECT_EQ(b[8], 8.0f);
  EXPECT_EQ(Cnv.Seq_Sz[0], 1);
  EXPECT_EQ(Cnv.Win_Lo[0], 5);
  EXPECT_EQ(Cnv.Win_Hi[0], 8);
  // Switch off: delete leaves nothing, zero with variant 0 zeroes everything.
  Cnv.Lim_Stat[0] = 0;
  ASSERT_EQ(Run(OSI_DELSECT, "in.bin", "c.bin"), 1);
  EXPECT_TRUE(ReadValues<float>("c.bin").empty());
  ASSERT_EQ(Run(OSI_ZEROSECT, "in.bin", "d.bin", 0), 1);
  EXPECT_EQ(ReadValues<float>("d.bin"), Values(100, 0.0f));
  // Sequences of 100 with the window 10..19; a sequence size below 1 is one sequence.
  WriteValues("seq.bin", RandomValues(350, 3));
  Cnv.Seq_Sz[0] = 100;
  Cnv.Win_Lo[0] = 10;
  Cnv.Win_Hi[0] = 20;
  ASSERT_EQ(Run(OSI_ZEROSECT, "seq.bin", "e.bin", 1), 1);
  auto e = ReadValues<float>("e.bin");
  for (int p = 0; p < 350; ++p) EXPECT_EQ(e[p] == 0.0f, p % 100 >= 10 && p % 100 < 20) << p;
  Cnv.Seq_Sz[0] = 0;
  ASSERT_EQ(Run(OSI_ZEROSECT, "seq.bin", "f.bin", 1), 1);
  auto g = ReadValues<float>("f.bin");
  for (int p = 0; p < 350; ++p) EXPECT_EQ(g[p] == 0.0f, p >= 10 && p < 20) << p;
}

TEST_F(FileOpsTest, AddSectionQuestionsAndTheLowLimit) {
  WriteValues("in.bin", Ramp(70000));
  Cnv.Pts_Ave[0] = 50;
  Win.Pt_Lim[0][0] = 1000;
  ASSERT_EQ(Run(OSI_ADDSECT, "in.bin", "a.bin", 3), 1);
  auto a = ReadValues<float>("a.bin");
  ASSERT_EQ(a.size(), 70050u);
  EXPECT_EQ(a[999], 999.0f);
  EXPECT_EQ(a[1000] + a[1049], 0.0f);
  EXPECT_EQ(a[1050], 1000.0f);
  const auto before = ReadBytes("in.bin");
  drv::Answers answers;
  answers.Box("Question", "ADD SECTION FILE OPERATION\n\nADD SECTION TO FILE AT BEGINNING [YES] | END [NO]?", IDNO)
      .Box("Question", "ADD SECTION TO FILE AT END [YES] | ABORT [NO]?", IDYES)
      .Box("Question", "ADD SECTION FILE OPERATION\n\nADD SECTION TO FILE AT BEGINNING [YES] | END [NO]?", IDNO)
      .Box("Question", "ADD SECTION TO FILE AT END [YES] | ABORT [NO]?", IDNO)
      .Box("Question", "ADD SECTION STARTING AT LOWER MARKED POSITION [YES] | ABORT [NO]?", IDNO)
      .Box("Warning", "ADD SECTION FILE OPERATION\n\nLOWER MARKED POSITION=[70000] OUTSIDE FILE OF [70000] "
                      "POINTS\n\nABORTING", IDOK);
  ASSERT_EQ(Run(OSI_ADDSECT, "in.bin", "b.bin", 0), 1);
  EXPECT_EQ(ReadValues<float>("b.bin").size(), 70050u);
  // Three NO answers write nothing: the input given as its own output survives.
  EXPECT_EQ(Run(OSI_ADDSECT, "in.bin", "in.bin", 0), 0);
  // A low limit that no block contains is refused.
  Win.Pt_Lim[0][0] = 70000;
  EXPECT_EQ(Run(OSI_ADDSECT, "in.bin", "in.bin", 3), 0);
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadBytes("in.bin"), before);
}

TEST_F(FileOpsTest, ShiftEdgesAndTheirRefusals) {
  WriteValues("in.bin", Ramp(100));
  Cnv.Shift_Cnt[0] = 5;
  ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "a.bin", 1), 1);
  EXPECT_EQ(ReadValues<float>("a.bin"), Cat(Slice(Ramp(100), 5, 100), Zeros(5)));
  // Right shift beyond the file: zeros alone, the file's length of them.
  Cnv.Shift_Cnt[0] = 150;
  ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "b.bin", 2), 1);
  EXPECT_EQ(ReadValues<float>("b.bin"), Zeros(100));
  // Variants -1 and -2 count in points per FSR.
  Dsp.Pts_FSR = 10;
  Cnv.Shift_Cnt[0] = 2;
  ASSERT_EQ(Run(OSI_SHIFTSECT, "in.bin", "c.bin", -2), 1);
  EXPECT_EQ(ReadValues<float>("c.bin"), Cat(Zeros(20), Slice(Ramp(100), 0, 80)));
  const auto before = ReadBytes("in.bin");
  Cnv.Lim_Stat[0] = 1;
  Win.Pt_Lim[0][0] = 10;
  Win.Pt_Lim[0][1] = 90;
  Cnv.Shift_Cnt[0] = 10;  // hi + S = 100 = the file's length
  Cnv.Pts_Ave[0] = 11;    // left by 11 from 10
  drv::Answers answers;
  answers
      .Box("Warning", "RIGHT SHIFT FILE OPERATION\n\nSHIFTED SECTION BEYOND FILE UPPER LIMIT=[90]\n\nSHIFT=[100] NOT < "
                      "FLSZ=[100]\n\nABORTING", IDOK)
      .Box("Question", "SHIFT FILE OPERATION\n\nSHIFT POINTS=[11]\n\nSHIFT FILE TO LEFT   [YES] |\nSHIFT FILE TO RIGHT "
                       "[NO] |\nSCROLL BEG-2-END [CANCEL] ?", IDYES)
      .Box("Error", "LEFT SHIFT FILE OPERATION\n\nSHIFTED SECTION BEYOND FILE LOWER LIMIT=[10]\n\nSHIFT=[-1] NOT >= "
                    "0\n\nABORTING", IDOK)
      .Box("Question", "SHIFT FILE OPERATION\n\nSHIFT POINTS=[-100]\n\nSHIFT FILE TO LEFT   [YES] |\nSHIFT FILE TO "
                       "RIGHT [NO] |\nSCROLL END-2-BEG [CANCEL] ?", IDCANCEL)
      .Box("Warning", "SHIFTSECT_FILE\n\nONE SEQ & FILE LIMIT ON\n\nSHIFT POINTS=[-100] > SEGMENT SIZE=[80]\n\nABORTING",
           IDOK);
  EXPECT_EQ(Run(OSI_SHIFTSECT, "in.bin", "in.bin", 2), 0);
  EXPECT_EQ(Run(OSI_SHIFTSECT, "in.bin", "in.bin", 0), 0);
  Cnv.Pts_Ave[0] = -100;
  EXPECT_EQ(Run(OSI_SHIFTSECT, "in.bin", "in.bin", 0), 0);
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadBytes("in.bin"), before);
}

TEST_F(FileOpsTest, ScrollsOfTheWholeFileAndOfSequencesFromAShiftFile) {
  WriteValues("ten.bin", Ramp(10));
  Cnv.Shift_Cnt[0] = 3;
  ASSERT_EQ(Run(OSI_SHIFTSECT, "ten.bin", "a.bin", 3), 1);
  EXPECT_EQ(ReadValues<float>("a.bin"), (Values{3, 4, 5, 6, 7, 8, 9, 0, 1, 2}));
  Cnv.Shift_Cnt[0] = -3;
  ASSERT_EQ(Run(OSI_SHIFTSECT, "ten.bin", "b.bin", 3), 1);
  EXPECT_EQ(ReadValues<float>("b.bin"), (Values{7, 8, 9, 0, 1, 2, 3, 4, 5, 6}));
  // Four sequences of 8, each rotated by its own value from the shift file.
  WriteValues("seq.bin", Ramp(32));
  WriteValues("shifts.bin", Values{1, 2, 3, 4});
  StrCopy(Cnv.ShiftVal_Flnm, "shifts.bin");
  Cnv.Seq_Sz[0] = 8;
  Cnv.Shift_Cnt[0] = 0;
  drv::Answers answers;
  answers.Box("Info", "SHIFTSECT_FILE\n\nSHIFT VALUES WILL BE READ FROM BINARY FILE (FLOAT)=[shifts.bin]", IDOK)
      .Box("Info", "[seq.bin] CONVERTED TO [c.bin]", IDOK)
      .Box("Info", "SHIFTSECT_FILE\n\nSHIFT VALUES WILL BE READ FROM BINARY FILE (FLOAT)=[shifts.bin]", IDOK)
      .Box("Warning", "SHIFTSECT_FILE\n\nMULTIPLE SEQUENCES & FILE LIMIT OFF\n\nSEQUENCE NUMBER=[4]\n\nSHIFT POINT NOT "
                      "READ FROM FILE=[shifts.bin]\n\nABORTING", IDOK)
      .Box("Warning", "SHIFTSECT_FILE\n\nMULTIPLE SEQUENCES & FILE LIMIT OFF\n\nSEQ=[1] SHIFT VALUE=[nan] NOT "
                      "VALID\n\nABORTING", IDOK);
  ASSERT_EQ(Run(OSI_SHIFTSECT, "seq.bin", "c.bin", 3, 0, 1), 1);
  Values want;
  for (int j = 0; j < 4; ++j) want = Cat(want, ModelRotate(Ramp(32), j * 8, 8, j + 1));
  EXPECT_EQ(ReadValues<float>("c.bin"), want);
  EXPECT_EQ(Cnv.Seq_Cnt[0], 4);
  // A fifth sequence has no value; a value no point count can hold is refused.
  WriteValues("seq.bin", Ramp(40));
  EXPECT_EQ(Run(OSI_SHIFTSECT, "seq.bin", "d.bin", 3, 0, 1), 0);
  WriteValues("shifts.bin", Values{1, NAN, 3, 4, 5});
  EXPECT_EQ(Run(OSI_SHIFTSECT, "seq.bin", "d.bin", 3), 0);
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_FALSE(std::filesystem::exists("d.bin"));
}

}  // namespace
