#include "platform/kernel/Binary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using namespace platform;

TEST(BinaryTest, FieldsAreLittleEndianAtAnyOffset) {
  unsigned char bytes[32] = {};
  PutInt32LE(bytes, 1, 0x01020304);
  EXPECT_EQ(bytes[1], 0x04);
  EXPECT_EQ(bytes[4], 0x01);
  EXPECT_EQ(GetInt32LE(bytes, 1), 0x01020304);
  PutInt16LE(bytes, 5, -2);
  EXPECT_EQ(bytes[5], 0xFE);
  EXPECT_EQ(bytes[6], 0xFF);
  EXPECT_EQ(GetInt16LE(bytes, 5), -2);
  EXPECT_EQ(GetUInt16LE(bytes, 5), 0xFFFE);
  PutFloatLE(bytes, 7, 1.0f);
  EXPECT_EQ(bytes[9], 0x80);
  EXPECT_EQ(bytes[10], 0x3F);
  EXPECT_EQ(GetFloatLE(bytes, 7), 1.0f);
  PutDoubleLE(bytes, 11, -2.0);
  EXPECT_EQ(bytes[18], 0xC0);
  EXPECT_EQ(GetDoubleLE(bytes, 11), -2.0);
  PutInt64LE(bytes, 19, -5000000000LL);
  EXPECT_EQ(GetInt64LE(bytes, 19), -5000000000LL);
  PutUInt32LE(bytes, 27, 0xDEADBEEFu);
  EXPECT_EQ(GetUInt32LE(bytes, 27), 0xDEADBEEFu);
  EXPECT_EQ(bytes[27], 0xEF);
}

TEST(BinaryTest, RecordRefusesFieldsPastItsEnd) {
  ByteRecord<16> record;
  static_assert(sizeof record == 16);
  EXPECT_EQ((record.Get<int32_t, 0>()), 0);  // made zero-filled
  record.Put<double, 8>(3.5);
  EXPECT_EQ((record.Get<double, 8>()), 3.5);
  EXPECT_TRUE(record.Put<int32_t>(12, 77));
  EXPECT_FALSE(record.Put<int32_t>(13, 1));
  EXPECT_FALSE(record.Put<int16_t>(std::numeric_limits<size_t>::max(), 1));  // no wrap-around
  int32_t value = -1;
  EXPECT_FALSE(record.Get<int32_t>(13, &value));
  EXPECT_EQ(value, -1);
  EXPECT_TRUE(record.Get<int32_t>(12, &value));
  EXPECT_EQ(value, 77);
  unsigned char raw[4];
  EXPECT_FALSE(record.GetBytes(14, raw, 4));
  EXPECT_TRUE(record.GetBytes(12, raw, 4));
  EXPECT_EQ(raw[0], 77);
}

TEST(BinaryTest, TextFieldsArePaddedAndCut) {
  ByteRecord<12> record;
  EXPECT_TRUE(record.PutText(2, 6, "abc"));
  EXPECT_EQ(record.GetText(2, 6), "abc");
  EXPECT_FALSE(record.PutText(2, 6, "abcdefgh"));
  EXPECT_EQ(record.GetText(2, 6), "abcdef");  // a full field has no terminator
  EXPECT_EQ(record.data()[8], 0);
  EXPECT_FALSE(record.PutText(10, 6, "x"));
  EXPECT_EQ(record.GetText(10, 6), "");
}

}  // namespace
