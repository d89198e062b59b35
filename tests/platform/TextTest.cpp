#include "platform/kernel/Text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace platform;

TEST(TextTest, CopyAndAppendTruncateAtTheBoundaryAndAlwaysTerminate) {
  char buffer[6];
  EXPECT_TRUE(StrCopy(buffer, "hello"));  // 5 + terminator: exactly fits
  EXPECT_STREQ(buffer, "hello");
  EXPECT_FALSE(StrCopy(buffer, "hello!"));
  EXPECT_STREQ(buffer, "hello");
  EXPECT_TRUE(StrCopy(buffer, nullptr));
  EXPECT_STREQ(buffer, "");
  EXPECT_FALSE(StrCopy(buffer, 0, "x"));

  EXPECT_TRUE(StrCopy(buffer, "ab"));
  EXPECT_TRUE(StrAppend(buffer, "cde"));
  EXPECT_STREQ(buffer, "abcde");
  EXPECT_FALSE(StrAppend(buffer, "f"));
  EXPECT_STREQ(buffer, "abcde");

  std::memset(buffer, 'x', sizeof buffer);  // no terminator at all
  EXPECT_FALSE(StrAppend(buffer, "y"));
  EXPECT_EQ(std::strlen(buffer), 5u);
}

TEST(TextTest, TruncationNeverSplitsAUtf8Sequence) {
  char buffer[6];
  // "abc" + e-acute (2 bytes) + "d": the cut at 5 bytes would fall after "abc\xC3\xA9"
  EXPECT_FALSE(StrCopy(buffer, "abc\xC3\xA9" "d"));
  EXPECT_STREQ(buffer, "abc\xC3\xA9");
  // The euro sign (3 bytes) starting at byte 3 does not fit in 5: it is dropped whole.
  EXPECT_FALSE(StrCopy(buffer, "abc\xE2\x82\xAC"));
  EXPECT_STREQ(buffer, "abc");
  EXPECT_FALSE(StrFormat(buffer, "%s", "abcd\xE2\x82\xAC"));
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_TRUE(IsValidUtf8(buffer));
}

TEST(TextTest, FormatReportsWhetherTheTextFit) {
  char buffer[8];
  EXPECT_TRUE(StrFormat(buffer, "%d-%s", 123, "abc"));  // 7 characters
  EXPECT_STREQ(buffer, "123-abc");
  EXPECT_FALSE(StrFormat(buffer, "%d-%s", 1234, "abc"));
  EXPECT_STREQ(buffer, "1234-ab");
  EXPECT_TRUE(StrFormat(buffer, sizeof buffer, "%.2f", 2.5));
  EXPECT_STREQ(buffer, "2.50");
  EXPECT_TRUE(StrAppendFormat(buffer, sizeof buffer, "|%c", 'z'));
  EXPECT_STREQ(buffer, "2.50|z");
  EXPECT_FALSE(StrAppendFormat(buffer, sizeof buffer, "%s", "long"));
  EXPECT_STREQ(buffer, "2.50|zl");

  char small[6] = "ab";
  EXPECT_TRUE(StrAppendFormat(small, "%d", 12));
  EXPECT_FALSE(StrAppendFormat(small, "%s", "xyz"));
  EXPECT_STREQ(small, "ab12x");

  std::string longText = StrPrintf("%0600d|%s", 7, "end");
  EXPECT_EQ(longText.size(), 604u);
  EXPECT_EQ(longText.substr(594), "000007|end");
}

TEST(TextTest, EveryCodePageByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  bool lossless = false;
  EXPECT_EQ(Utf8ToCp1252(utf8, &lossless), all);
  EXPECT_TRUE(lossless);
  for (int b = 1; b < 256; ++b) {
    uint32_t cp = Cp1252ToCodePoint(static_cast<uint8_t>(b));
    EXPECT_EQ(CodePointToCp1252(cp), b) << b;
  }
}

TEST(TextTest, CodePageTableMatchesKnownCharacters) {
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\xC5\xB8");      // Y with diaeresis
  EXPECT_EQ(Cp1252ToUtf8("\x96\x97"), "\xE2\x80\x93\xE2\x80\x94");
  EXPECT_EQ(Cp1252ToUtf8("\xB0\xE9"), "\xC2\xB0\xC3\xA9");  // degree, e acute
  EXPECT_EQ(Cp1252ToCodePoint(0x8A), 0x0160u);
  EXPECT_EQ(Cp1252ToCodePoint(0x99), 0x2122u);

  bool lossless = true;
  EXPECT_EQ(Utf8ToCp1252("a\xE6\x97\xA5z", &lossless), "a?z");  // CJK: not in the code page
  EXPECT_FALSE(lossless);
  EXPECT_EQ(Utf8ToCp1252("a\xFF" "b"), "a?b");  // not UTF-8
  EXPECT_EQ(ToUtf8("caf\xE9"), "caf\xC3\xA9");  // a 1252 text is converted
  EXPECT_EQ(ToUtf8("caf\xC3\xA9"), "caf\xC3\xA9");  // UTF-8 stays
}

TEST(TextTest, Utf8ValidityRejectsMalformedSequences) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));        // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));    // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));        // cut short
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\x80"));
}

TEST(TextTest, NumbersParseInTheCLocaleAndWholeTextOnly) {
  double d = 0;
  EXPECT_TRUE(ParseDouble(" 1.5e3 ", &d));
  EXPECT_EQ(d, 1500.0);
  EXPECT_TRUE(ParseDouble("-0.25\r\n", &d));
  EXPECT_EQ(d, -0.25);
  EXPECT_FALSE(ParseDouble("1,5", &d));
  EXPECT_FALSE(ParseDouble("", &d));
  EXPECT_FALSE(ParseDouble("12abc", &d));
  int32_t i = 0;
  EXPECT_TRUE(ParseInt32("+42", &i));
  EXPECT_EQ(i, 42);
  EXPECT_FALSE(ParseInt32("2147483648", &i));  // overflow leaves the value
  EXPECT_EQ(i, 42);
  int64_t big = 0;
  EXPECT_TRUE(ParseInt64("-9000000000", &big));
  EXPECT_EQ(big, -9000000000LL);
  double back = 0;
  EXPECT_TRUE(ParseDouble(FormatDouble(0.1 + 0.2), &back));
  EXPECT_EQ(back, 0.1 + 0.2);
}

}  // namespace
