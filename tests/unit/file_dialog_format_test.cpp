// Request 9 and reply 12 payloads against bytes written out by hand from the
// protocol's tables, so that the agent and the editor's side cannot share a
// mistake.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "agent/services/dialog_format.h"

namespace {

using bytes = std::vector<uint8_t>;

bytes text_bytes(const char* s) { return bytes(s, s + strlen(s)); }

// open_mode 1, byte 1, "ORVIK1" padded to 16 bytes, then the path and NUL.
bytes literal_request() {
  bytes b = {0x01, 0x00, 'O', 'R', 'V', 'I', 'K', '1', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  bytes path = text_bytes("C:\\DOCS\\NOTE.TXT");
  b.insert(b.end(), path.begin(), path.end());
  b.push_back(0);
  return b;
}

TEST(DialogFormat, EncodesRequestNineAsTheTableLaysItOut) {
  uint8_t out[300];
  memset(out, 0xEE, sizeof out);
  uint32_t size = encode_dialog_request(1, "ORVIK1", "C:\\DOCS\\NOTE.TXT", out, sizeof out);
  bytes expected = literal_request();
  ASSERT_EQ(size, expected.size());
  EXPECT_EQ(bytes(out, out + size), expected);

  // Limits of the fields: 15 characters of text, 255 of path, room in out.
  EXPECT_EQ(encode_dialog_request(0, "0123456789ABCDE", "", out, sizeof out), 19u);
  EXPECT_EQ(out[16], 'E');
  EXPECT_EQ(out[17], 0);
  EXPECT_EQ(encode_dialog_request(0, "0123456789ABCDEF", "", out, sizeof out), 0u);
  EXPECT_EQ(encode_dialog_request(0, "", std::string(255, 'p').c_str(), out, sizeof out), 274u);
  EXPECT_EQ(encode_dialog_request(0, "", std::string(256, 'p').c_str(), out, sizeof out), 0u);
  EXPECT_EQ(encode_dialog_request(0, "", "ab", out, 20), 0u);
  EXPECT_EQ(encode_dialog_request(0, "", "ab", out, 21), 21u);
}

TEST(DialogFormat, DecodesRequestNine) {
  bytes b = literal_request();
  dialog_request r;
  decode_dialog_request(b.data(), uint32_t(b.size()), r);
  EXPECT_EQ(r.open_mode, 1);
  EXPECT_STREQ(r.window_text, "ORVIK1");
  EXPECT_STREQ(r.initial_path, "C:\\DOCS\\NOTE.TXT");
}

TEST(DialogFormat, UnterminatedOrShortRequestFieldsStayInsideTheBlock) {
  // A window text filling all 16 bytes keeps 15 and does not run into the path.
  bytes b = {0x00, 0x00};
  bytes text = text_bytes("ABCDEFGHIJKLMNOP");
  b.insert(b.end(), text.begin(), text.end());
  bytes path = text_bytes("X:\\Y");
  b.insert(b.end(), path.begin(), path.end());  // and no NUL before the end
  dialog_request r;
  decode_dialog_request(b.data(), uint32_t(b.size()), r);
  EXPECT_EQ(r.open_mode, 0);
  EXPECT_STREQ(r.window_text, "ABCDEFGHIJKLMNO");
  EXPECT_STREQ(r.initial_path, "X:\\Y");

  // A path of 300 characters is cut to 255.
  bytes long_one(18, 0);
  long_one.insert(long_one.end(), 300, 'q');
  long_one.push_back(0);
  decode_dialog_request(long_one.data(), uint32_t(long_one.size()), r);
  EXPECT_EQ(strlen(r.initial_path), 255u);

  // A block that ends inside the window text: what is there, and no path.
  bytes cut = {0x05, 0x00, 'A', 'B'};
  decode_dialog_request(cut.data(), uint32_t(cut.size()), r);
  EXPECT_EQ(r.open_mode, 5);
  EXPECT_STREQ(r.window_text, "AB");
  EXPECT_STREQ(r.initial_path, "");

  decode_dialog_request(cut.data(), 0, r);
  EXPECT_EQ(r.open_mode, 0);
  EXPECT_STREQ(r.window_text, "");
  EXPECT_STREQ(r.initial_path, "");
}

TEST(DialogFormat, EncodesReplyTwelve) {
  dialog_result chosen{DLG_CHOSEN, 11, {}};
  strcpy(chosen.chosen_path, "C:\\MYDOCU~1\\Quarterly report.txt");
  ASSERT_EQ(dialog_result_size(chosen), 64u);
  bytes area(64, 0xEE);
  encode_dialog_result(chosen, area.data());
  bytes expected = {0x02, 0x0B};
  expected.insert(expected.end(), 16, 0xEE);  // bytes 2-17 are not written
  bytes path = text_bytes("C:\\MYDOCU~1\\Quarterly report.txt");
  expected.insert(expected.end(), path.begin(), path.end());
  expected.push_back(0);
  expected.insert(expected.end(), 64 - expected.size(), 0xEE);
  EXPECT_EQ(area, expected);

  dialog_result pending{DLG_PENDING, 0, {}};
  EXPECT_EQ(dialog_result_size(pending), 0u);
  bytes one(4, 0xEE);
  encode_dialog_result(pending, one.data());
  EXPECT_EQ(one, (bytes{0x01, 0xEE, 0xEE, 0xEE}));
}

TEST(DialogFormat, DecodesReplyTwelve) {
  bytes b = {0x02, 0x02};
  b.insert(b.end(), 16, 0x00);
  bytes path = text_bytes("C:\\Read me.txt");
  b.insert(b.end(), path.begin(), path.end());
  b.push_back(0);
  dialog_result r;
  ASSERT_TRUE(decode_dialog_result(b.data(), uint32_t(b.size()), r));
  EXPECT_EQ(r.state, DLG_CHOSEN);
  EXPECT_EQ(r.dir_length, 2);
  EXPECT_STREQ(r.chosen_path, "C:\\Read me.txt");

  b.pop_back();  // the path loses its NUL
  EXPECT_FALSE(decode_dialog_result(b.data(), uint32_t(b.size()), r));

  bytes none = {0x03, 0x77};
  ASSERT_TRUE(decode_dialog_result(none.data(), uint32_t(none.size()), r));
  EXPECT_EQ(r.state, DLG_NONE);
  EXPECT_STREQ(r.chosen_path, "");
  EXPECT_FALSE(decode_dialog_result(none.data(), 0, r));
}

}  // namespace
