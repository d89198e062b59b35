// Line databases and label files: the plain text layout, bad and missing records.
#include "models/linedb/LineDb.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/TempDir.h"

namespace {

class LineDbTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_.File(name), std::ios::binary) << text;
    return dir_.File(name);
  }
  qvtest::TempDir dir_;
};

TEST_F(LineDbTest, HeaderAndEntriesSkipCommentsAndBlankLines) {
  LineDbFile db;
  ASSERT_TRUE(LineDbOpen(Write("oh00.dat", "# reference lines\r\n\r\n  3  \r\nP1(2)\t3484.5993 0.25 7\r\n"
                                           "# a comment between entries\nQ1(1) 3568.5232\nbad x\n")
                             .c_str(),
                         &db));
  EXPECT_EQ(LineDbReadEntry(db, 0, 0, nullptr, 0, nullptr, nullptr, 0), 3);
  char label[6] = "";
  double f = 0.0;
  double values[4] = {-1.0, -1.0, -1.0, -1.0};
  EXPECT_EQ(LineDbReadEntry(db, 1, 1, label, sizeof label, &f, values, 1), 3);
  EXPECT_STREQ(label, "P1(2)");
  EXPECT_DOUBLE_EQ(f, 3484.5993);
  EXPECT_DOUBLE_EQ(values[0], 0.25);
  EXPECT_DOUBLE_EQ(values[1], -1.0);  // beyond maxValues: untouched
  // Mode 0 leaves the further values alone; a label longer than its field is cut.
  char small[3] = "";
  EXPECT_EQ(LineDbReadEntry(db, 0, 2, small, sizeof small, &f, values, 4), 1);
  EXPECT_STREQ(small, "Q1");
  EXPECT_DOUBLE_EQ(f, 3568.5232);
  // No frequency, no such entry, a negative index.
  f = 5.0;
  EXPECT_EQ(LineDbReadEntry(db, 0, 3, label, sizeof label, &f, nullptr, 0), 0);
  EXPECT_DOUBLE_EQ(f, 5.0);
  EXPECT_EQ(LineDbReadEntry(db, 0, 4, label, sizeof label, &f, nullptr, 0), 0);
  EXPECT_EQ(LineDbReadEntry(db, 0, -1, label, sizeof label, &f, nullptr, 0), 0);
  LineDbClose(&db);
  EXPECT_EQ(LineDbReadEntry(db, 0, 0, nullptr, 0, nullptr, nullptr, 0), 0);
}

TEST_F(LineDbTest, UnreadableFilesAreRefused) {
  LineDbFile db;
  EXPECT_FALSE(LineDbOpen(dir_.File("missing.dat").c_str(), &db));
  EXPECT_FALSE(LineDbOpen(Write("long.dat", "1\nL " + std::string(LINEDB_MAX_LINE + 10, '1') + "\n").c_str(), &db));
  EXPECT_TRUE(db.records.empty());
  ASSERT_TRUE(LineDbOpen(Write("nohead.dat", "# only comments\nx 1.0\n").c_str(), &db));
  EXPECT_EQ(LineDbReadEntry(db, 0, 0, nullptr, 0, nullptr, nullptr, 0), 0);  // "x" is no count
}

TEST_F(LineDbTest, LabelPositionsAndTheirUse) {
  const std::string path = Write("ohuvcal.dat", "# entry label1 label2\n1 0 3\n7 -1 2\n9 x 1\n");
  int32_t a = 99, b = 99;
  EXPECT_EQ(LabelReadPositions(path.c_str(), 1, &a, &b), 1);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 3);
  EXPECT_EQ(LabelFileOpen(0, a, b), 0);
  EXPECT_EQ(LabelReadPositions(path.c_str(), 7, &a, &b), 1);
  EXPECT_LT(LabelFileOpen(1, a, b), 0);
  a = b = 99;
  EXPECT_EQ(LabelReadPositions(path.c_str(), 9, &a, &b), 0);  // malformed line
  EXPECT_EQ(LabelReadPositions(path.c_str(), 2, &a, &b), 0);
  EXPECT_EQ(LabelReadPositions(dir_.File("none.dat").c_str(), 1, &a, &b), 0);
  EXPECT_EQ(a, 99);
  EXPECT_LT(LabelFileOpen(9, 0, 0), 0);
}

}  // namespace
