#include "core/TypedArrays.h"

#include <cstdint>

#include "CoreFixture.h"

namespace {

using TypedArraysTest = qvtest::CoreTest;

TEST_F(TypedArraysTest, StatusIsJudgedByItsLow16BitsOnly) {
  EXPECT_TRUE(QvAllocFailed(-1));
  EXPECT_TRUE(QvAllocFailed(0xFFFF));
  EXPECT_TRUE(QvAllocFailed(static_cast<int32_t>(0x1234FFFF)));
  EXPECT_FALSE(QvAllocFailed(1));
  EXPECT_FALSE(QvAllocFailed(0x7FFF0001));
}

TEST_F(TypedArraysTest, ZeroLengthAllocationFailsButZeroLengthResizeReleases) {
  double* p = nullptr;
  EXPECT_EQ(DAlloc1Dim(&p, 0), -1);
  EXPECT_EQ(p, nullptr);

  ASSERT_EQ(DAlloc1Dim(&p, 4), 1);
  EXPECT_EQ(DAlloc1Dim(&p, 0), -1);  // the old block is released first
  EXPECT_EQ(p, nullptr);

  ASSERT_EQ(DAlloc1Dim(&p, 4), 1);
  EXPECT_EQ(DReAlloc1Dim(&p, 0), 1);
  EXPECT_EQ(p, nullptr);
}

TEST_F(TypedArraysTest, AllocationAndResizeOfNullAreZeroFilledAndGrowingKeepsValues) {
  float* f = nullptr;
  ASSERT_EQ(FReAlloc1Dim(&f, 6), 1);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(f[i], 0.0f);
  for (int i = 0; i < 6; ++i) f[i] = 1.5f * static_cast<float>(i + 1);
  ASSERT_EQ(FReAlloc1Dim(&f, 100000), 1);  // large enough to move the block
  for (int i = 0; i < 6; ++i) EXPECT_EQ(f[i], 1.5f * static_cast<float>(i + 1));
  ASSERT_EQ(FReAlloc1Dim(&f, 3), 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(f[i], 1.5f * static_cast<float>(i + 1));
  FFree1Dim(&f);

  // Allocation over a live block releases it silently and starts from zero.
  int32_t* l = nullptr;
  ASSERT_EQ(LAlloc1Dim(&l, 3), 1);
  l[0] = l[1] = l[2] = 7;
  ASSERT_EQ(LAlloc1Dim(&l, 5), 1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(l[i], 0);
  EXPECT_TRUE(platform::BoxLog().empty());
  LFree1Dim(&l);

  char16_t* t = nullptr;
  ASSERT_EQ(TAlloc1Dim(&t, 2), 1);
  EXPECT_EQ(t[1], u'\0');
  TFree1Dim(&t);
}

TEST_F(TypedArraysTest, EveryReleaseTwiceInARowIsHarmless) {
  char16_t* t = nullptr;
  char* c = nullptr;
  BOOL* b = nullptr;
  int16_t* s = nullptr;
  uint16_t* us = nullptr;
  int32_t* i = nullptr;
  int32_t* l = nullptr;
  uint32_t* ul = nullptr;
  float* f = nullptr;
  double* d = nullptr;
  ASSERT_EQ(TAlloc1Dim(&t, 1) + CAlloc1Dim(&c, 1) + BAlloc1Dim(&b, 1) + SAlloc1Dim(&s, 1) + USAlloc1Dim(&us, 1) +
                IAlloc1Dim(&i, 1) + LAlloc1Dim(&l, 1) + ULAlloc1Dim(&ul, 1) + FAlloc1Dim(&f, 1) + DAlloc1Dim(&d, 1),
            10);
  for (int round = 0; round < 2; ++round) {
    TFree1Dim(&t);
    CFree1Dim(&c);
    BFree1Dim(&b);
    SFree1Dim(&s);
    USFree1Dim(&us);
    IFree1Dim(&i);
    LFree1Dim(&l);
    ULFree1Dim(&ul);
    FFree1Dim(&f);
    DFree1Dim(&d);
  }
  EXPECT_EQ(d, nullptr);

  char16_t** t2 = nullptr;
  int32_t** l2 = nullptr;
  float** f2 = nullptr;
  double** d2 = nullptr;
  ASSERT_EQ(TAlloc2Dim(&t2, 2, 3) + LAlloc2Dim(&l2, 2, 3) + FAlloc2Dim(&f2, 2, 3) + DAlloc2Dim(&d2, 2, 3), 4);
  for (int round = 0; round < 2; ++round) {
    TFree2Dim(&t2, 2);
    LFree2Dim(&l2, 2);
    FFree2Dim(&f2, 2);
    DFree2Dim(&d2, 2);
  }
  EXPECT_EQ(d2, nullptr);
}

TEST_F(TypedArraysTest, TwoDimAllocationOverNonNullPointerWarnsAndContinues) {
  int32_t** l = nullptr;
  ASSERT_EQ(LAlloc2Dim(&l, 2, 2), 1);
  EXPECT_TRUE(platform::BoxLog().empty());
  int32_t** old = l;
  ASSERT_EQ(LAlloc2Dim(&l, 3, 4), 1);
  EXPECT_NE(l, old);
  l[2][3] = 9;

  char16_t** t = nullptr;
  ASSERT_EQ(TAlloc2Dim(&t, 1, 1), 1);
  char16_t** oldT = t;
  ASSERT_EQ(TAlloc2Dim(&t, 1, 1), 1);

  auto boxes = platform::BoxLog();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "LAlloc2Dim()\n\nPOINTER SHOULD BE NULL");
  EXPECT_EQ(boxes[1].text, "TAlloc2Dim()\n\nPOINTER SHOULD BE NULL");
  for (const auto& box : boxes) {
    EXPECT_EQ(box.caption, "Warning");
    EXPECT_EQ(box.style, 0x1030u);
    EXPECT_EQ(box.owner, Win.hWnd_Main);
  }
  // The overwritten structures are the caller's to release.
  LFree2Dim(&old, 2);
  LFree2Dim(&l, 3);
  TFree2Dim(&oldT, 1);
  TFree2Dim(&t, 1);
}

TEST_F(TypedArraysTest, TwoDimResizeKeepsLeadingRowsAndReleasesTheRest) {
  double** d = nullptr;
  ASSERT_EQ(DAlloc2Dim(&d, 5, 2), 1);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 2; ++c) d[r][c] = 10.0 * r + c;
  // Shrinking to 3 rows and widening to 4 columns: rows 3 and 4 are released (the
  // leak checker would report them otherwise), rows 0..2 keep their values.
  ASSERT_EQ(DReAlloc2Dim(&d, 5, 3, 4), 1);
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(d[r][0], 10.0 * r);
    EXPECT_EQ(d[r][1], 10.0 * r + 1);
    d[r][3] = -1.0;  // the new columns are writable
  }
  // Growing to 6 rows keeps the 3 rows and adds usable ones.
  ASSERT_EQ(DReAlloc2Dim(&d, 3, 6, 4), 1);
  EXPECT_EQ(d[2][1], 21.0);
  EXPECT_EQ(d[2][3], -1.0);
  d[5][3] = 1.0;
  DFree2Dim(&d, 6);

  float** f = nullptr;
  ASSERT_EQ(FReAlloc2Dim(&f, 99, 2, 3), 1);  // a null structure is allocated fresh
  f[1][2] = 2.0f;
  FFree2Dim(&f, 2);
}

TEST_F(TypedArraysTest, BadAndHugeSizesFailCleanly) {
  double* d = nullptr;
  EXPECT_EQ(DAlloc1Dim(&d, UINT32_MAX), -1);
  EXPECT_EQ(d, nullptr);
  ASSERT_EQ(DAlloc1Dim(&d, 8), 1);
  EXPECT_EQ(DReAlloc1Dim(&d, UINT32_MAX), -1);
  EXPECT_EQ(d, nullptr);  // the old block is released, not leaked

  double** d2 = nullptr;
  EXPECT_EQ(DAlloc2Dim(&d2, 0, 5), -1);
  EXPECT_EQ(DAlloc2Dim(&d2, 5, 0), -1);
  EXPECT_EQ(DAlloc2Dim(&d2, -1, 5), -1);
  EXPECT_EQ(DAlloc2Dim(&d2, 5, -3), -1);
  EXPECT_EQ(DAlloc2Dim(&d2, INT32_MAX, INT32_MAX), -1);
  EXPECT_EQ(DAlloc2Dim(&d2, 1 << 20, 1 << 20), -1);  // rows fit one by one, not as a whole
  EXPECT_EQ(d2, nullptr);

  int32_t** l = nullptr;
  ASSERT_EQ(LAlloc2Dim(&l, 2, 2), 1);
  l[1][1] = 5;
  // A resize that cannot start leaves the structure as it was.
  EXPECT_EQ(LReAlloc2Dim(&l, 2, -1, 2), -1);
  EXPECT_EQ(LReAlloc2Dim(&l, 2, 3, 0), -1);
  EXPECT_EQ(LReAlloc2Dim(&l, -2, 3, 2), -1);
  EXPECT_EQ(LReAlloc2Dim(&l, 2, INT32_MAX, INT32_MAX), -1);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l[1][1], 5);
  LFree2Dim(&l, 2);
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(TypedArraysTest, TraceLinesAreWrittenOnlyAtTheAllocationLevel) {
  DebugFileSet(DEBUG_TOPIC_ALLOC, 0, 0);
  double* d = nullptr;
  ASSERT_EQ(DAlloc1Dim(&d, 5), 1);
  ASSERT_EQ(DReAlloc1Dim(&d, 7), 1);
  EXPECT_EQ(DAlloc1Dim(&d, 0), -1);  // release line, no allocation line
  float** f = nullptr;
  ASSERT_EQ(FAlloc2Dim(&f, 3, 4), 1);
  ASSERT_EQ(FReAlloc2Dim(&f, 3, 2, 6), 1);
  FFree2Dim(&f, 2);
  int32_t** l = nullptr;
  LFree2Dim(&l, 0);

  Debug.DebugLevel = 103;  // another topic: no lines
  ASSERT_EQ(DAlloc1Dim(&d, 2), 1);
  DFree1Dim(&d);

  EXPECT_EQ(ReadLog(),
            "DAlloc1Dim [5]\r\n"
            "DReAlloc1Dim [7]\r\n"
            "DFree1Dim\r\n"
            "FAlloc2Dim [3][4]\r\n"
            "FReAlloc2Dim [2][6]\r\n"
            "FFree2Dim\r\n"
            "LFree2Dim\r\n");
}

}  // namespace
