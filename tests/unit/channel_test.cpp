// The exchange block codec and the request channel over the recording fake.
#include <gtest/gtest.h>

#include "agent/channel/channel.h"
#include "fake_os.h"

TEST(ExchangeBlock, ReplySizeRoundsUpTo32FromAtLeast64AndNeverEqualsTheRequestsBlockSize) {
  const struct { uint32_t payload; int32_t request_block_size, size; } rows[] = {
      {0, 0, 64}, {38, 0, 64}, {39, 0, 96}, {32710, 0, 32736}, {0, 64, 96},
      {32710, 32736, 32768}, {32710, int16_t(0x8000), 32736}};  // from 0x8000 sizes are negative
  for (auto r : rows) EXPECT_EQ(reply_size(r.payload, r.request_block_size), uint32_t(r.size));
}

static os_handle const window = (os_handle)0xA1, next = (os_handle)0xB2;
static void start() {
  fake_reset();
  fake.viewer_head = next;
  channel_join(agent_window = window);
}

// Each clipboard object is answered, here with a presence reply cleared but for its header, or
// left in place, and passed on to the next viewer unless it was captured.
TEST(Channel, AnswersRequestsPassesOnEverythingElseAndLeaksNothing) {
  bytes presence = {0x44, 0x66, 0x77, 0x88, 0x40, 0x01, 0x60, 0x00, 0x78, 0x56, 0x34, 0x12, 8, 0};
  bytes reply = fake_request(7, {}, 64), req = fake_request(7);
  presence.resize(96, 0);  // block size 64 is never the reply's
  put_u32(&reply[0], reply_magic);
  // Outcome: answered, Passed on, or neither. Fault: the post or the reply's publication fails.
  struct row { const char* what; bytes object; int alloc_ok, lock_ok; char fault, outcome; };
  std::vector<row> rows = {
      {"presence", fake_request(7, {}, 64), -1, -1, 0, 'a'},
      {"33 bytes", fake_request(7, {}, 33), -1, -1, 0, 'a'},
      {"32 bytes", fake_request(7, {}, 32), -1, -1, 0, 'P'}, {"a reply", reply, -1, -1, 0, 'P'},
      {"no copy", req, 0, -1, 0, 'P'}, {"copy unlocked", req, -1, 1, 0, 'P'},
      {"no reply", req, 1, -1, 0, '-'}, {"reply unlocked", req, -1, 2, 0, '-'},
      {"queue full", req, -1, -1, 'p', 'P'}, {"reply refused", req, -1, -1, 's', '-'}};
  for (int16_t code : {0, 2, 5, 12, 14, -32767})
    rows.push_back({"no service", fake_request(code), -1, -1, 0, '-'});
  for (const row& r : rows) {
    SCOPED_TRACE(r.what + (" " + std::to_string(get_s16(&r.object[12]))));
    start();
    fake.fail_alloc_after = r.alloc_ok, fake.fail_lock_after = r.lock_ok;
    fake.fail_post = r.fault == 'p', fake.fail_set_clipboard_data = r.fault == 's';
    fake_serve(r.object);
    reply_publish();  // nothing pending: nothing more goes out
    EXPECT_EQ(fake.publications, int(r.outcome == 'a'));
    bytes left = r.fault == 's' ? bytes{} : r.object;  // a refused reply empties it
    EXPECT_EQ(fake_clipboard_bytes(), r.outcome == 'a' ? presence : left);
    EXPECT_EQ(fake.blocks.size(), fake.clipboard.size()) << "a block leaked";
    // Passed on as the notification came, to the next viewer.
    for (auto& m : fake.sent) EXPECT_TRUE(m.window == next && m.wparam == 5 && m.lparam == 6);
    EXPECT_EQ(fake.sent.size(), size_t(r.outcome == 'P'));
  }
  start();
  fake.alloc_slack = 8;  // what lies past the request in its copy is cleared
  fake_put_clipboard(fake_request(7));
  uint8_t* copy = request_copy(fake.clipboard[exchange_format]);
  EXPECT_EQ(bytes(copy + 40, copy + request_size(copy)), bytes(8, 0));
  request_release(copy);
  start();
  EXPECT_EQ(reply_begin(max_reply_payload + 1, 2), nullptr);
  EXPECT_NE(reply_begin(max_reply_payload, 2), nullptr);
}
