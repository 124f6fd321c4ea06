// The reply size rule and the header codec, checked against literal bytes.
#include <gtest/gtest.h>

#include "agent/channel/exchange_block.h"

TEST(ReplySize, FollowsTheTableWhenTheRequestSizeDiffers) {
  struct row { uint32_t payload, size; };
  for (row r : {row{0, 64}, row{38, 64}, row{39, 96}, row{70, 96}, row{71, 128}, row{102, 128},
                row{103, 160}, row{230, 256}, row{32710, 32736}}) {
    EXPECT_EQ(reply_size(r.payload, 0), r.size) << "payload " << r.payload;
  }
}

TEST(ReplySize, NeverEqualsTheRequestsBlockSize) {
  EXPECT_EQ(reply_size(0, 64), 96u);
  EXPECT_EQ(reply_size(38, 64), 96u);
  EXPECT_EQ(reply_size(39, 96), 128u);
  EXPECT_EQ(reply_size(103, 160), 192u);
  EXPECT_EQ(reply_size(230, 256), 288u);
  EXPECT_EQ(reply_size(32710, 32736), 32768u);
  // Request sizes 0x8000-0xFFFF are negative as signed 16 bits and never match.
  EXPECT_EQ(reply_size(32710, int16_t(0x8000)), 32736u);
}

TEST(ReplySize, IsAlwaysAMultipleOf32AndHoldsThePayload) {
  for (uint32_t n = 0; n <= max_reply_payload; n++) {
    uint32_t s = reply_size(n, -1);
    ASSERT_EQ(s % 32, 0u);
    ASSERT_GE(s, 64u);
    ASSERT_LE(s, 32768u);
    ASSERT_GE(s - header_size, n);
  }
}

TEST(ReplyHeader, EncodesTheWorkedExample) {
  uint8_t block[96];
  memset(block, 0xEE, sizeof block);
  encode_reply_header(block, 96, 0x12345678, 8);
  const uint8_t expected[14] = {0x44, 0x66, 0x77, 0x88, 0x40, 0x01, 0x60, 0x00,
                                0x78, 0x56, 0x34, 0x12, 0x08, 0x00};
  EXPECT_EQ(0, memcmp(block, expected, sizeof expected));
  EXPECT_EQ(block[14], 0xEE) << "agent_scratch is not written";
}

TEST(RequestView, ReadsLittleEndianAndNothingBeyondTheEnd) {
  const uint8_t bytes[] = {0x55, 0x66, 0x77, 0x88, 0xFF, 0x7F, 'a', 'b', 0, 'c'};
  request_view v{bytes, sizeof bytes};
  EXPECT_EQ(v.u32(0), 0x88776655u);
  EXPECT_EQ(v.s16(4), 0x7FFF);
  EXPECT_EQ(v.s16(3), int16_t(0xFF88));
  EXPECT_EQ(v.u16(9), 0) << "a field that runs past the end reads as absent";
  EXPECT_EQ(v.u32(8), 0u);
  EXPECT_EQ(v.u8(10), 0);
  char text[8];
  EXPECT_TRUE(v.text(6, text, sizeof text));
  EXPECT_STREQ(text, "ab");
  EXPECT_FALSE(v.text(9, text, sizeof text)) << "no NUL before the end";
  EXPECT_STREQ(text, "c");
  EXPECT_FALSE(v.text(50, text, sizeof text));
  EXPECT_STREQ(text, "");
  EXPECT_STREQ(v.terminated_text(6), "ab");
  EXPECT_EQ(v.terminated_text(9), nullptr);
  EXPECT_EQ(v.terminated_text(10), nullptr);
}

TEST(RequestView, CutsLongTextsToTheBuffer) {
  const uint8_t bytes[] = {'a', 'b', 'c', 'd', 'e', 0};
  request_view v{bytes, sizeof bytes};
  char text[4];
  EXPECT_TRUE(v.text(0, text, sizeof text));
  EXPECT_STREQ(text, "abc");
}
