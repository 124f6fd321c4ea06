// The exchange block codec and the request channel over the recording fake.
#include <gtest/gtest.h>

#include "agent/channel/agent_messages.h"
#include "agent/channel/channel.h"
#include "agent/channel/copy_slots.h"
#include "common/retry_within.h"
#include "fake_os.h"

TEST(ExchangeBlock, ReplySizeRoundsUpTo32FromAtLeast64AndNeverEqualsTheRequestsBlockSize) {
  const struct { uint32_t payload; int32_t request_block_size, size; } rows[] = {
      {0, 0, 64}, {38, 0, 64}, {39, 0, 96}, {32710, 0, 32736}, {0, 64, 96}, {32710, 32736, 32768},
      {32710, int16_t(0x8000), 32736}};  // block sizes from 0x8000 are negative and never match
  for (auto r : rows) EXPECT_EQ(reply_size(r.payload, r.request_block_size), uint32_t(r.size)) << r.payload;
}

TEST(ExchangeBlock, RequestViewReadsLittleEndianAndNothingBeyondTheEnd) {
  const uint8_t b[] = {0x55, 0x66, 0x77, 0x88, 'a', 'b', 0, 'c', 'd', 'e', 'f', 0};
  request_view v{b, 9};  // ends inside "cdef"
  char out[4];
  EXPECT_EQ(v.u32(0), 0x88776655u);
  EXPECT_EQ(v.u16(7), 0x6463) << "a field that ends with the block is read";
  EXPECT_EQ(v.u16(8) + v.u32(6) + v.u8(9), 0) << "fields that run past the end read as absent";
  EXPECT_TRUE(v.text(4, out, 4) && !strcmp(out, "ab") && v.terminated_text(4) == (const char*)&b[4]);
  EXPECT_FALSE(v.text(7, out, 4) || strcmp(out, "cd") || v.terminated_text(7)) << "no NUL before the end";
  EXPECT_FALSE(v.text(50, out, 4) || out[0]);
  EXPECT_TRUE((request_view{b, 12}.text(7, out, 4) && !strcmp(out, "cde"))) << "cut to the buffer";
}

namespace {
os_handle const window = reinterpret_cast<os_handle>(0xA1), next = reinterpret_cast<os_handle>(0xB2);
void start() {
  fake_reset();
  fake.viewer_head = next;
  channel_join(agent_window = window);
}
size_t leaked() { return fake.blocks.size() - fake.clipboard.size(); }  // besides what the clipboard holds
strings sent() {
  strings out;
  for (auto& m : fake.messages)
    if (!m.posted) out.push_back((m.message == msg_draw_clipboard ? "draw to " : "chain to ") +
                                 std::string(m.window == next ? "next " : "? ") + std::to_string(m.wparam) + "," + std::to_string(m.lparam));
  return out;
}
}  // namespace

// Each clipboard object is answered, here with a presence reply cleared but for its header, or left
// in place, and passed on to the next viewer unless it was captured.
TEST(Channel, AnswersRequestsPassesOnEverythingElseAndLeaksNothing) {
  bytes presence = {0x44, 0x66, 0x77, 0x88, 0x40, 0x01, 0x60, 0x00, 0x78, 0x56, 0x34, 0x12, 0x08, 0x00}, reply = fake_request(7, {}, 64);
  presence.resize(96, 0);  // block size 64 is never the reply's
  put_u32(&reply[0], reply_magic);
  struct row { const char* what; bytes object; int alloc_ok, lock_ok; bool post_fails, answered, passed_on; };
  std::vector<row> rows = {
      {"presence", fake_request(7, {}, 64), -1, -1, false, true, false}, {"33 bytes", fake_request(7, {}, 33), -1, -1, false, true, false},
      {"32 bytes", fake_request(7, {}, 32), -1, -1, false, false, true},
      {"a reply", reply, -1, -1, false, false, true},
      {"no copy", fake_request(7), 0, -1, false, false, true}, {"copy unlocked", fake_request(7), -1, 1, false, false, true},
      {"no reply", fake_request(7), 1, -1, false, false, false}, {"reply unlocked", fake_request(7), -1, 2, false, false, false},
      {"queue full", fake_request(7), -1, -1, true, false, true}};
  for (int16_t code : {0, 2, 5, 12, 14, -32767}) rows.push_back({"no service", fake_request(code), -1, -1, false, false, false});
  for (const row& r : rows) {
    SCOPED_TRACE(r.what + (" " + std::to_string(get_s16(&r.object[12]))));
    start();
    fake.fail_alloc_after = r.alloc_ok, fake.fail_lock_after = r.lock_ok, fake.fail_post = r.post_fails;
    fake_serve(r.object);
    reply_publish();  // nothing pending: nothing more goes out
    EXPECT_EQ(fake.publications, int(r.answered));
    EXPECT_EQ(fake_clipboard_bytes(), r.answered ? presence : r.object);
    EXPECT_EQ(leaked(), 0u);
    EXPECT_EQ(sent(), r.passed_on ? strings{"draw to next 5,6"} : strings{});
  }
}

TEST(Channel, ServicesGetTheCopysSizeAndTheirRequestsSequenceAndOnlyPrintingKeepsItsCopy) {
  start();
  static uint8_t* kept = nullptr;
  static std::vector<uint32_t> sizes;
  service_table table = {};
  table[code_print - 1] = [](uint8_t* block, uint32_t) { kept = block; };
  table[code_spool_name - 1] = [](uint8_t*, uint32_t size) {
    sizes.push_back(size);
    reply_begin(0, 4);
    reply_publish();
  };
  request_set_services(table);
  bytes second = fake_request(code_spool_name, {}, 64);
  put_u32(&second[8], 22);
  uint8_t *copy1 = fake_notify(fake_request(code_spool_name, {}, 41)), *copy2 = fake_notify(second);  // both queued
  for (auto [copy, sequence] : {std::pair{copy1, 0x12345678u}, {copy2, 22u}}) {
    request_dispatch(copy);
    EXPECT_EQ(get_u32(&fake_clipboard_bytes()[8]), sequence);
  }
  EXPECT_EQ(sizes, (std::vector<uint32_t>{41, 64}));
  fake_serve(fake_request(code_print, {}, 80));
  EXPECT_EQ(leaked(), 1u) << "the print service owns its copy";
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(request_size(kept), 80u);
  EXPECT_EQ(fake.blocks.count(slot_get(kept, slot_memory)), 1u) << "the copy knows its own memory";
  request_release(kept);
  EXPECT_EQ(leaked(), 0u);
}

TEST(Channel, RefusedOrUnpublishableRepliesAreFreed) {
  start();
  EXPECT_EQ(reply_begin(max_reply_payload + 1, 2), nullptr);
  EXPECT_EQ(fake.allocations, 0);
  EXPECT_NE(reply_begin(max_reply_payload, 2), nullptr);
  for (bool* failure : {&fake.fail_open_clipboard, &fake.fail_set_clipboard_data}) {
    fake.blocks.clear();
    *failure = true;
    reply_begin(0, 8);
    reply_publish();
    EXPECT_TRUE(fake.blocks.empty() && fake.publications == 0) << "the clipboard did not take the reply";
    *failure = false;
  }
}

TEST(Channel, RepairsTheChainOrPassesTheChangeOn) {
  start();
  os_handle other = reinterpret_cast<os_handle>(5), after = reinterpret_cast<os_handle>(6);
  channel_chain_changed(other, after);
  channel_chain_changed(next, after);  // a repair is not passed on
  EXPECT_EQ(channel_next_viewer(), after);
  channel_leave(window);
  channel_chain_changed(after, nullptr);
  fake.clipboard.clear();
  channel_draw_clipboard(window, 0, 0);
  channel_chain_changed(other, after);  // with no next viewer nothing is sent
  EXPECT_EQ(sent(), strings{"chain to next 5,6"});
  EXPECT_EQ(fake.chain_changes, (std::vector<std::pair<os_handle, os_handle>>{{window, after}}));
}

TEST(Channel, AClipboardHeldForAMomentLosesNothingHeldLongerOnlyThatReply) {
  const struct { bool at_publish; uint32_t held_ms; bool answered; } rows[] = {  // held at capture or at publish
      {false, 20, true}, {false, 95, true}, {false, 150, false}, {true, 20, true}, {true, 2000, false}};
  for (const auto& r : rows) {
    start();
    if (!r.at_publish) fake.clipboard_held_until = r.held_ms;
    uint8_t* copy = fake_notify(fake_request(7, {}, 64));
    if (r.at_publish) fake.clipboard_held_until = fake.clock_ms + r.held_ms;
    if (copy) request_dispatch(copy);
    EXPECT_EQ(fake.publications, int(r.answered)) << r.held_ms;
    EXPECT_LE(fake.clock_ms, clipboard_wait_ms + clipboard_pause_ms) << "the wait is bounded";
    EXPECT_EQ(sent().size(), r.answered || r.at_publish ? 0u : 1u) << "a missed request goes on down the chain";
    EXPECT_EQ(leaked(), 0u) << r.held_ms;
    fake.clock_ms = fake.clipboard_held_until;  // let go: the next request is answered
    bytes again = fake_request(7, {}, 64);
    put_u32(&again[8], 2);
    fake_serve(again);
    EXPECT_EQ(get_u32(&fake_clipboard_bytes()[8]), 2u) << r.held_ms;
  }
}
