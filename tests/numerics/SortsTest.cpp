#include "numerics/Sorts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "NumericsFixture.h"
#include "core/DebugLog.h"

namespace {

using SortsTest = qvtest::NumericsTest;

// indx[1..n] is a permutation of 1..n.
bool IsPermutation(const std::vector<int32_t>& indx) {
  std::vector<int32_t> sorted(indx.begin() + 1, indx.end());
  std::sort(sorted.begin(), sorted.end());
  for (size_t i = 0; i < sorted.size(); ++i)
    if (sorted[i] != static_cast<int32_t>(i) + 1) return false;
  return true;
}

TEST_F(SortsTest, IndexSortsGiveOrderingPermutations) {
  std::vector<double> a = {0, 3.0, 1.0, 2.0};
  std::vector<int32_t> indx(4);
  EXPECT_EQ(IndexSortD(3, a.data(), indx.data()), 1);
  EXPECT_EQ(indx, (std::vector<int32_t>{0, 2, 3, 1}));

  std::mt19937 gen(42);
  for (int n : {2, 3, 17, 256, 1001}) {
    std::vector<double> d(n + 1);
    std::vector<float> f(n + 1);
    for (int i = 1; i <= n; ++i) {
      d[i] = static_cast<double>(gen() % 23) - 11.0;  // many ties
      f[i] = static_cast<float>(gen() % 1000) * 0.5f;
    }
    std::vector<int32_t> id(n + 1), ifl(n + 1);
    ASSERT_EQ(IndexSortD(n, d.data(), id.data()), 1);
    ASSERT_EQ(IndexSortF(n, f.data(), ifl.data()), 1);
    EXPECT_TRUE(IsPermutation(id)) << n;
    EXPECT_TRUE(IsPermutation(ifl)) << n;
    for (int j = 1; j < n; ++j) {
      EXPECT_LE(d[id[j]], d[id[j + 1]]);
      EXPECT_LE(f[ifl[j]], f[ifl[j + 1]]);
    }
  }
}

// The textbook heap-sort index of arrin[1..n].
template <typename T>
std::vector<int32_t> HeapSortIndex(const std::vector<T>& arrin, int32_t n) {
  std::vector<int32_t> indx(n + 1, 0);
  for (int32_t j = 1; j <= n; ++j) indx[j] = j;
  if (n < 2) return indx;
  int32_t l = (n >> 1) + 1, ir = n;
  for (;;) {
    int32_t indxt;
    if (l > 1) {
      indxt = indx[--l];
    } else {
      indxt = indx[ir];
      indx[ir] = indx[1];
      if (--ir == 1) {
        indx[1] = indxt;
        return indx;
      }
    }
    const T q = arrin[indxt];
    int32_t i = l, j = l << 1;
    while (j <= ir) {
      if (j < ir && arrin[indx[j]] < arrin[indx[j + 1]]) ++j;
      if (q < arrin[indx[j]]) {
        indx[i] = indx[j];
        i = j;
        j += j;
      } else {
        j = ir + 1;
      }
    }
    indx[i] = indxt;
  }
}

// The index is the heap sort's own, equal keys placed its way: keys all different,
// many equal, zeros of both signs and values that are not numbers, in both
// precisions.
TEST_F(SortsTest, IndexSortPlacesEqualKeysAsTheHeapSortDoes) {
  std::mt19937 gen(7);
  int kinds = 0;
  for (int n : {2, 5, 64, 1000, 4097})
    for (int kind = 0; kind < 4; ++kind) {
      std::vector<double> d(n + 1);
      std::vector<float> f(n + 1);
      for (int i = 1; i <= n; ++i) {
        double v = static_cast<double>(gen()) / 4294967296.0 * 1000.0;  // all different
        if (kind == 1) v = static_cast<double>(gen() % 9);                // many equal
        if (kind == 2 && i % 5 == 0) v = (i % 10 == 0) ? -0.0 : 0.0;
        if (kind == 3 && i % 97 == 1) v = std::nan("");
        d[i] = v;
        f[i] = static_cast<float>(v);
      }
      std::vector<int32_t> id(n + 1), ifl(n + 1);
      ASSERT_EQ(IndexSortD(n, d.data(), id.data()), 1);
      ASSERT_EQ(IndexSortF(n, f.data(), ifl.data()), 1);
      ASSERT_EQ(id, HeapSortIndex(d, n)) << "n " << n << " kind " << kind;
      ASSERT_EQ(ifl, HeapSortIndex(f, n)) << "n " << n << " kind " << kind;
      ++kinds;
    }
  EXPECT_EQ(kinds, 20);
}

TEST_F(SortsTest, IndexSortOfOneOrNoElement) {
  std::vector<float> a = {0, 5.0f};
  std::vector<int32_t> indx = {-7, -7};
  EXPECT_EQ(IndexSortF(1, a.data(), indx.data()), 1);
  EXPECT_EQ(indx[1], 1);
  indx = {-7, -7};
  EXPECT_EQ(IndexSortF(0, a.data(), indx.data()), 1);
  EXPECT_EQ(indx, (std::vector<int32_t>{-7, -7}));
}

template <typename T>
std::vector<T> Gathered(const std::vector<T>& x, const std::vector<int32_t>& indx, int width) {
  std::vector<T> out = x;
  const int n = static_cast<int>(indx.size()) - 1;
  for (int j = 1; j <= n; ++j)
    for (int k = 0; k < width; ++k) out[j * width + k] = x[indx[j] * width + k];
  return out;
}

TEST_F(SortsTest, ReordersMatchDirectGather) {
  const int n = 50;
  std::mt19937 gen(7);
  std::vector<int32_t> indx(n + 1);
  for (int j = 1; j <= n; ++j) indx[j] = j;
  std::shuffle(indx.begin() + 1, indx.end(), gen);

  for (int w : {0, 4}) {
    const int width = w > 0 ? w : 1;
    std::vector<char> c((n + 1) * width);
    std::vector<BOOL> b((n + 1) * width);
    std::vector<int16_t> s((n + 1) * width), s6((n + 1) * 6);
    std::vector<int32_t> i((n + 1) * width);
    std::vector<float> f((n + 1) * width);
    std::vector<double> d((n + 1) * width);
    for (size_t k = 0; k < c.size(); ++k) {
      c[k] = static_cast<char>('A' + k % 26);
      b[k] = static_cast<BOOL>(k % 3 == 0);
      s[k] = static_cast<int16_t>(k * 7);
      i[k] = static_cast<int32_t>(k * 1000 + 1);
      f[k] = static_cast<float>(k) * 0.5f;
      d[k] = static_cast<double>(k) * 0.25;
    }
    for (size_t k = 0; k < s6.size(); ++k) s6[k] = static_cast<int16_t>(k);
    const auto ec = Gathered(c, indx, width);
    const auto eb = Gathered(b, indx, width);
    const auto es = Gathered(s, indx, width);
    const auto ei = Gathered(i, indx, width);
    const auto es6 = Gathered(s6, indx, 6);
    const auto ef = Gathered(f, indx, width);
    const auto ed = Gathered(d, indx, width);
    ASSERT_EQ(Csi6sfdrddASort(n, indx.data(), c.data(), b.data(), s.data(), i.data(), s6.data(), f.data(),
                              d.data(), w),
              1);
    EXPECT_EQ(c, ec);
    EXPECT_EQ(b, eb);
    EXPECT_EQ(s, es);
    EXPECT_EQ(i, ei);
    EXPECT_EQ(s6, es6);
    EXPECT_EQ(f, ef);
    EXPECT_EQ(d, ed);
  }
  {
    std::vector<char> c(n + 1);
    std::vector<int16_t> s(n + 1), s6((n + 1) * 6);
    std::vector<int32_t> i(n + 1), l(n + 1);
    std::vector<float> f(n + 1);
    std::vector<double> d(n + 1);
    for (int k = 0; k <= n; ++k) {
      c[k] = static_cast<char>('a' + k % 26);
      s[k] = static_cast<int16_t>(-k);
      i[k] = k * 3;
      l[k] = k * 5;
      f[k] = k * 1.5f;
      d[k] = k * 2.5;
    }
    for (size_t k = 0; k < s6.size(); ++k) s6[k] = static_cast<int16_t>(k + 100);
    const auto ec = Gathered(c, indx, 1);
    const auto es6 = Gathered(s6, indx, 6);
    const auto es = Gathered(s, indx, 1);
    const auto ei = Gathered(i, indx, 1), el = Gathered(l, indx, 1);
    const auto ef = Gathered(f, indx, 1);
    const auto ed = Gathered(d, indx, 1);
    ASSERT_EQ(Csi6sfdrddSort(n, indx.data(), c.data(), s.data(), i.data(), s6.data(), l.data(), f.data(), d.data()),
              1);
    EXPECT_EQ(c, ec);
    EXPECT_EQ(s, es);
    EXPECT_EQ(i, ei);
    EXPECT_EQ(s6, es6);
    EXPECT_EQ(l, el);
    EXPECT_EQ(f, ef);
    EXPECT_EQ(d, ed);
    // LldSort123 with one array left out.
    std::vector<int32_t> a = l;
    std::vector<double> dd = d;
    const auto ea = Gathered(a, indx, 1);
    const auto edd = Gathered(dd, indx, 1);
    ASSERT_EQ(LldSort123(n, indx.data(), a.data(), nullptr, dd.data()), 1);
    EXPECT_EQ(a, ea);
    EXPECT_EQ(dd, edd);
  }
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(SortsTest, FixedWidthTextsMoveWhole) {
  // indx (2, 3, 1) turns (a, b, c) into (b, c, a); texts of four characters.
  std::vector<char> texts(4 * 4, '.');
  std::memcpy(&texts[4], "AAAABBBBCCCC", 12);
  std::vector<double> d = {0, 1, 2, 3};
  std::vector<int32_t> indx = {0, 2, 3, 1};
  ASSERT_EQ(Csi6sfdrddASort(3, indx.data(), texts.data(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 4),
            1);
  EXPECT_EQ(std::string(texts.begin() + 4, texts.end()), "BBBBCCCCAAAA");
  ASSERT_EQ(Csi6sfdrddASort(3, indx.data(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, d.data(), 0), 1);
  EXPECT_EQ(d, (std::vector<double>{0, 2, 3, 1}));
}

TEST_F(SortsTest, RefusedReorderLeavesEveryArrayInStep) {
  std::vector<double> d = {0, 1, 2, 3};
  std::vector<float> f = {0, 1, 2, 3};
  std::vector<int32_t> bad = {0, 2, 4, 1};
  EXPECT_EQ(Csi6sfdrddASort(3, bad.data(), nullptr, nullptr, nullptr, nullptr, nullptr, f.data(), d.data(), 0), -1);
  EXPECT_EQ(OnlyErrorBox(), "Csi6sfdrddASort()\n\nBAD SORT INDEX [4] AT [2] OF [3]");
  EXPECT_EQ(d, (std::vector<double>{0, 1, 2, 3}));
  EXPECT_EQ(f, (std::vector<float>{0, 1, 2, 3}));
  // A work copy too large for the allocators fails before anything moves.
  platform::ClearBoxLog();
  std::vector<int32_t> indx = {0, 2, 3, 1};
  std::vector<char> c = {'x', 'a', 'b', 'c'};
  EXPECT_EQ(Csi6sfdrddASort(3, indx.data(), c.data(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            0x40000000),
            -1);
  EXPECT_EQ(OnlyErrorBox(), "Csi6sfdrddASort()/cwksp - CORE ALLOCATION ERROR");
  EXPECT_EQ(c, (std::vector<char>{'x', 'a', 'b', 'c'}));
}

TEST_F(SortsTest, SortTopicWritesOneLinePerArrayKind) {
  DebugFileSet(115, 1, 0);
  std::vector<double> d = {0, 1, 2, 3};
  std::vector<BOOL> b = {0, 1, 0, 1};
  std::vector<int32_t> indx = {0, 3, 2, 1};
  ASSERT_EQ(Csi6sfdrddASort(3, indx.data(), nullptr, b.data(), nullptr, nullptr, nullptr, nullptr, d.data(), 0), 1);
  const std::string log = ReadLog();
  EXPECT_NE(log.find("ENTER      Csi6sfdrddASort()"), std::string::npos);
  EXPECT_NE(log.find("CSI SORT - BOOL"), std::string::npos);
  EXPECT_NE(log.find("CSI SORT - DOUBLE"), std::string::npos);
  EXPECT_EQ(log.find("CSI SORT - CHAR"), std::string::npos);
  EXPECT_NE(log.find("EXIT       Csi6sfdrddASort()"), std::string::npos);
}

}  // namespace
