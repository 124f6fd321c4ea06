// Request 9 and reply 12 payloads against bytes written out by hand from the
// protocol's tables, so that the agent and the editor's side cannot share a
// mistake.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "agent/services/dialog_format.h"

namespace {

using bytes = std::vector<uint8_t>;

bytes cat(std::initializer_list<bytes> parts) {
  bytes b;
  for (const bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}
bytes txt(const std::string& s) { return bytes(s.begin(), s.end()); }

TEST(DialogFormat, RequestNine) {
  // open_mode 1, byte 1, "ORVIK1" padded to 16 bytes, then the path and NUL.
  bytes literal = cat({{0x01, 0x00}, txt("ORVIK1"), bytes(10, 0), txt("C:\\DOCS\\NOTE.TXT"), {0}});
  uint8_t out[300];
  memset(out, 0xEE, sizeof out);
  uint32_t size = encode_dialog_request(1, "ORVIK1", "C:\\DOCS\\NOTE.TXT", out, sizeof out);
  EXPECT_EQ(bytes(out, out + size), literal);
  dialog_request r;
  decode_dialog_request(literal.data(), uint32_t(literal.size()), r);
  EXPECT_EQ(r.open_mode, 1);
  EXPECT_STREQ(r.window_text, "ORVIK1");
  EXPECT_STREQ(r.initial_path, "C:\\DOCS\\NOTE.TXT");

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

TEST(DialogFormat, UnterminatedOrShortRequestFieldsStayInsideTheBlock) {
  // A text filling its 16 bytes keeps 15; a path without a NUL ends with the block.
  const std::tuple<bytes, uint32_t, int, std::string, std::string> rows[] = {
      {cat({{0x00, 0x00}, txt("ABCDEFGHIJKLMNOP"), txt("X:\\Y")}), 22, 0, "ABCDEFGHIJKLMNO", "X:\\Y"},
      {cat({bytes(18, 0), bytes(300, 'q'), {0}}), 319, 0, "", std::string(255, 'q')},
      {{0x05, 0x00, 'A', 'B'}, 4, 5, "AB", ""},  // ends inside the text
      {{0x05, 0x00, 'A', 'B'}, 0, 0, "", ""},
  };
  for (const auto& [block, size, open_mode, window_text, initial_path] : rows) {
    dialog_request got;
    memset(&got, 0x7F, sizeof got);
    decode_dialog_request(block.data(), size, got);
    EXPECT_EQ(got.open_mode, open_mode) << size;
    EXPECT_EQ(got.window_text, window_text) << size;
    EXPECT_EQ(got.initial_path, initial_path) << size;
  }
}

TEST(DialogFormat, ReplyTwelve) {
  dialog_result chosen{DLG_CHOSEN, 11, "C:\\MYDOCU~1\\Quarterly report.txt"};
  ASSERT_EQ(dialog_result_size(chosen), 64u);
  bytes area(64, 0xEE);
  encode_dialog_result(chosen, area.data());
  // Bytes 2-17 are not written.
  EXPECT_EQ(area, cat({{0x02, 0x0B}, bytes(16, 0xEE), txt("C:\\MYDOCU~1\\Quarterly report.txt"), {0},
                       bytes(13, 0xEE)}));

  dialog_result pending{DLG_PENDING, 0, {}};
  EXPECT_EQ(dialog_result_size(pending), 0u);
  bytes one(4, 0xEE);
  encode_dialog_result(pending, one.data());
  EXPECT_EQ(one, (bytes{0x01, 0xEE, 0xEE, 0xEE}));

  bytes b = cat({{0x02, 0x02}, bytes(16, 0), txt("C:\\Read me.txt"), {0}});
  dialog_result r;
  ASSERT_TRUE(decode_dialog_result(b.data(), uint32_t(b.size()), r));
  EXPECT_EQ(r.state, DLG_CHOSEN);
  EXPECT_EQ(r.dir_length, 2);
  EXPECT_STREQ(r.chosen_path, "C:\\Read me.txt");
  EXPECT_FALSE(decode_dialog_result(b.data(), uint32_t(b.size() - 1), r));  // the path loses its NUL

  bytes none = {0x03, 0x77};
  ASSERT_TRUE(decode_dialog_result(none.data(), uint32_t(none.size()), r));
  EXPECT_EQ(r.state, DLG_NONE);
  EXPECT_STREQ(r.chosen_path, "");
  EXPECT_FALSE(decode_dialog_result(none.data(), 0, r));
}

}  // namespace
