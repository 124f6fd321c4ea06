// The exchange block codec and the request channel over the recording fake.
#include <gtest/gtest.h>

#include "agent/channel/channel.h"
#include "common/retry_within.h"
#include "fake_os.h"

TEST(ExchangeBlock, ReplySizeRoundsUpTo32FromAtLeast64AndNeverEqualsTheRequestsBlockSize) {
  const struct { uint32_t payload; int32_t request_block_size, size; } rows[] = {
      {0, 0, 64}, {38, 0, 64}, {39, 0, 96}, {32710, 0, 32736}, {0, 64, 96},
      {32710, 32736, 32768}, {32710, int16_t(0x8000), 32736}};  // from 0x8000 sizes are negative
  for (auto r : rows) EXPECT_EQ(reply_size(r.payload, r.request_block_size), uint32_t(r.size));
}

TEST(ExchangeBlock, RequestViewReadsLittleEndianAndNothingBeyondTheEnd) {
  const uint8_t b[] = {0x55, 0x66, 0x77, 0x88, 'a', 'b', 0, 'c', 'd', 'e', 'f', 0};
  request_view v{b, 9};  // ends inside "cdef"
  char out[4];
  EXPECT_EQ(v.u32(0), 0x88776655u);
  EXPECT_EQ(v.u16(7), 0x6463) << "a field that ends with the block is read";
  EXPECT_EQ(v.u16(8) + v.u32(6) + v.u8(9), 0) << "fields that run past the end read as absent";
  EXPECT_TRUE(v.text(4, out, 4) && !strcmp(out, "ab") && v.terminated_text(4) == (char*)&b[4]);
  EXPECT_FALSE(v.text(7, out, 4) || strcmp(out, "cd") || v.terminated_text(7)) << "no NUL";
  EXPECT_FALSE(v.text(50, out, 4) || out[0]);
  EXPECT_TRUE((request_view{b, 12}.text(7, out, 4) && !strcmp(out, "cde"))) << "cut to the buffer";
}

namespace {
os_handle const window = (os_handle)0xA1, next = (os_handle)0xB2;
void start() {
  fake_reset();
  fake.viewer_head = next;
  channel_join(agent_window = window);
}
size_t leaked() { return fake.blocks.size() - fake.clipboard.size(); }  // besides the clipboard's
size_t passed_on() {  // the notification as it came, to the next viewer
  for (auto& m : fake.sent) EXPECT_TRUE(m.window == next && m.wparam == 5 && m.lparam == 6);
  return fake.sent.size();
}
}  // namespace

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
    EXPECT_EQ(leaked(), 0u);
    EXPECT_EQ(passed_on(), size_t(r.outcome == 'P'));
  }
  start();
  EXPECT_EQ(reply_begin(max_reply_payload + 1, 2), nullptr);
  EXPECT_NE(reply_begin(max_reply_payload, 2), nullptr);
}

TEST(Channel, AClipboardHeldForAMomentLosesNothingHeldLongerOnlyThatReply) {
  const struct { bool at_publish; uint32_t held_ms; bool answered; } rows[] = {
      {false, 20, true}, {false, 95, true}, {false, 150, false}, {true, 20, true},
      {true, 2000, false}};  // held at capture or at publication
  for (const auto& r : rows) {
    start();
    if (!r.at_publish) fake.clipboard_held_until = r.held_ms;
    uint8_t* copy = fake_notify(fake_request(7, {}, 64));
    if (r.at_publish) fake.clipboard_held_until = fake.clock_ms + r.held_ms;
    if (copy) request_dispatch(copy);
    EXPECT_EQ(fake.publications, int(r.answered)) << r.held_ms;
    EXPECT_LE(fake.clock_ms, clipboard_wait_ms + clipboard_pause_ms) << "the wait is bounded";
    EXPECT_EQ(passed_on(), r.answered || r.at_publish ? 0u : 1u) << "a missed request goes on";
    EXPECT_EQ(leaked(), 0u) << r.held_ms;
    fake.clock_ms = fake.clipboard_held_until;  // let go: the next request is answered
    bytes again = fake_request(7, {}, 64);
    put_u32(&again[8], 2);
    fake_serve(again);
    EXPECT_EQ(get_u32(&fake_clipboard_bytes()[8]), 2u) << r.held_ms;
  }
}
