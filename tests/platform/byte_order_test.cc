#include "platform/byte_order.h"

#include <gtest/gtest.h>

TEST(ByteOrder, EncodesLittleEndianByteForByte) {
  unsigned char dst[4];
  EncodeFixed32(dst, 0x04030201);
  EXPECT_EQ(dst[0], 0x01);
  EXPECT_EQ(dst[1], 0x02);
  EXPECT_EQ(dst[2], 0x03);
  EXPECT_EQ(dst[3], 0x04);
  EncodeFixed32(dst, -1);
  EXPECT_EQ(dst[0], 0xFF);
  EXPECT_EQ(dst[3], 0xFF);
}

TEST(ByteOrder, DecodesSignedValuesWhateverTheHost) {
  for (std::int32_t v : {0, 1, -1, 152, 0x7FFFFFFF, INT32_MIN, -12345678}) {
    unsigned char b[4];
    EncodeFixed32(b, v);
    EXPECT_EQ(DecodeFixed32(b), v) << v;
  }
  const unsigned char high[4] = {0x00, 0x00, 0x00, 0x80};
  EXPECT_EQ(DecodeFixed32(high), INT32_MIN);
}
