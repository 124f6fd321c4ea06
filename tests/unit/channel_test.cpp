// The request channel against the recording fake of memory and clipboard.
#include <gtest/gtest.h>

#include "agent/channel/agent_messages.h"
#include "agent/channel/channel.h"
#include "agent/channel/copy_slots.h"
#include "common/retry_within.h"
#include "fake_os.h"

namespace {

os_handle const window = reinterpret_cast<os_handle>(0xA1);
os_handle const next = reinterpret_cast<os_handle>(0xB2);

std::vector<uint8_t> request(int16_t code, uint32_t sequence = 1, int16_t block_size = 64,
                             uint32_t size = 64) {
  std::vector<uint8_t> b(size < 26 ? 26 : size, 0);
  put_u32(&b[0], request_magic);
  put_u16(&b[6], uint16_t(block_size));
  put_u32(&b[8], sequence);
  put_u16(&b[12], uint16_t(code));
  memset(&b[14], 0x77, 12);  // the editor's scratch must not survive
  b.resize(size);
  return b;
}

// Runs a notification and, when a request was captured, its dispatch.
void notify_and_dispatch() {
  size_t before = fake.messages.size();
  channel_draw_clipboard(window, 0, 0);
  for (size_t i = before; i < fake.messages.size(); i++) {
    fake_message m = fake.messages[i];
    if (m.posted && m.message == WM_AGENT_REQUEST) request_dispatch(reinterpret_cast<uint8_t*>(m.lparam));
  }
}

int count_messages(unsigned message, bool posted) {
  int n = 0;
  for (auto& m : fake.messages) n += m.message == message && m.posted == posted;
  return n;
}

class Channel : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_reset();
    fake.viewer_head = next;
    agent_window = window;
    channel_join(window);
  }
  // Live blocks besides what the clipboard holds.
  size_t leaked() const { return fake.blocks.size() - fake.clipboard.size(); }
};

TEST_F(Channel, AnswersAPresenceCheckWithASizedReply) {
  fake_put_clipboard(request(code_presence, 0xFFFFFFFF, 64));
  notify_and_dispatch();
  std::vector<uint8_t> reply = fake_clipboard_bytes();
  ASSERT_EQ(reply.size(), 96u) << "block_size 64 is never the reply's";
  EXPECT_EQ(get_u32(&reply[0]), reply_magic);
  EXPECT_EQ(get_u16(&reply[4]), 0x0140);
  EXPECT_EQ(get_u16(&reply[6]), 96);
  EXPECT_EQ(get_u32(&reply[8]), 0xFFFFFFFFu);
  EXPECT_EQ(get_u16(&reply[12]), reply_presence);
  EXPECT_EQ(leaked(), 0u) << "the private copy is released";
  EXPECT_EQ(std::vector<uint8_t>(reply.begin() + 14, reply.end()), std::vector<uint8_t>(96 - 14, 0))
      << "nothing of the agent's memory goes out in the unwritten bytes";
}

TEST_F(Channel, CapturesOnlyObjectsLargerThan32BytesWithTheRequestMagic) {
  fake_put_clipboard(request(code_presence, 1, 50, 33));
  notify_and_dispatch();
  EXPECT_EQ(fake.publications, 1);
  EXPECT_EQ(fake_clipboard_bytes().size(), 64u);

  fake_reset();
  agent_window = window;
  fake_put_clipboard(request(code_presence, 1, 50, 32));
  notify_and_dispatch();
  EXPECT_EQ(fake.publications, 0);
  EXPECT_EQ(count_messages(WM_AGENT_REQUEST, true), 0);

  std::vector<uint8_t> wrong = request(code_presence);
  put_u32(&wrong[0], reply_magic);
  fake_put_clipboard(wrong);
  notify_and_dispatch();
  EXPECT_EQ(fake.publications, 0);
  EXPECT_EQ(leaked(), 0u) << "the copy of a non-request is freed";
}

TEST_F(Channel, ForwardsEverythingButACapturedRequest) {
  fake_put_clipboard(request(code_presence));
  channel_draw_clipboard(window, 5, 6);
  EXPECT_EQ(count_messages(msg_draw_clipboard, false), 0) << "a captured request is not passed on";
  EXPECT_EQ(count_messages(WM_AGENT_REQUEST, true), 1);

  fake.clipboard.clear();
  channel_draw_clipboard(window, 5, 6);  // some other content
  ASSERT_EQ(count_messages(msg_draw_clipboard, false), 1);
  fake_message m = fake.messages.back();
  EXPECT_EQ(m.window, next);
  EXPECT_EQ(m.wparam, 5u);
  EXPECT_EQ(m.lparam, 6);
}

TEST_F(Channel, TheAgentsOwnReplyIsSeenReleasedAndPassedOn) {
  fake_put_clipboard(request(code_presence));
  notify_and_dispatch();
  int allocations = fake.allocations;
  channel_draw_clipboard(window, 0, 0);  // the notification of our own reply
  EXPECT_EQ(fake.allocations, allocations + 1) << "a copy of the reply was made to look at it";
  EXPECT_EQ(leaked(), 0u) << "and freed";
  EXPECT_EQ(count_messages(msg_draw_clipboard, false), 1);
  EXPECT_EQ(fake.publications, 1) << "a reply is never answered";
}

TEST_F(Channel, DropsUnknownCodesAndKeepsTheEditorsRequest) {
  for (int16_t code : {int16_t(0), int16_t(2), int16_t(4), int16_t(12), int16_t(14), int16_t(-32767)}) {
    std::vector<uint8_t> r = request(code);
    fake_put_clipboard(r);
    notify_and_dispatch();
    EXPECT_EQ(fake.publications, 0) << code;
    EXPECT_EQ(fake_clipboard_bytes(), r) << code;
    EXPECT_EQ(leaked(), 0u) << code;
  }
}

TEST_F(Channel, ReleasesTheCopyAfterEveryServiceButPrinting) {
  static uint8_t* kept = nullptr;
  service_table table = {};
  table[code_presence - 1] = presence_reply;
  table[code_print - 1] = [](uint8_t* block, uint32_t) { kept = block; };
  table[code_spool_name - 1] = [](uint8_t*, uint32_t) {};
  request_set_services(table);

  fake_put_clipboard(request(code_spool_name));
  notify_and_dispatch();
  EXPECT_EQ(leaked(), 0u);

  fake_put_clipboard(request(code_print, 1, 64, 80));
  notify_and_dispatch();
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(leaked(), 1u) << "the print service owns its copy";
  EXPECT_EQ(request_size(kept), 80u);
  EXPECT_EQ(fake.blocks.count(slot_get(kept, slot_memory)), 1u) << "the copy knows its own memory";
  if (slots_in_scratch) {
    EXPECT_NE(get_u32(kept + off_agent_scratch), 0x77777777u);
  }
  request_release(kept);
  EXPECT_EQ(leaked(), 0u);
}

TEST_F(Channel, ServicesSeeTheCopysExactSize) {
  static uint32_t seen = 0;
  service_table table = {};
  table[code_presence - 1] = [](uint8_t*, uint32_t size) { seen = size; };
  request_set_services(table);
  fake_put_clipboard(request(code_presence, 1, 64, 41));
  notify_and_dispatch();
  EXPECT_EQ(seen, 41u);
}

TEST_F(Channel, AFailedReplyAllocationLosesOnlyThatReply) {
  fake_put_clipboard(request(code_presence, 10));
  channel_draw_clipboard(window, 0, 0);  // the copy is made
  fake.fail_alloc_after = 0;             // the reply cannot be
  request_dispatch(reinterpret_cast<uint8_t*>(fake.messages.back().lparam));
  EXPECT_EQ(fake.publications, 0);
  reply_publish();                       // nothing pending: nothing goes out
  EXPECT_EQ(fake.publications, 0);

  fake.fail_alloc_after = -1;
  fake_put_clipboard(request(code_presence, 11));
  notify_and_dispatch();
  ASSERT_EQ(fake.publications, 1);
  EXPECT_EQ(get_u32(&fake_clipboard_bytes()[8]), 11u);
  reply_publish();
  EXPECT_EQ(fake.publications, 1) << "no reply is published twice";
}

TEST_F(Channel, AFailedLockFreesTheNewBlock) {
  fake_put_clipboard(request(code_presence));
  channel_draw_clipboard(window, 0, 0);
  fake.fail_lock = true;
  request_dispatch(reinterpret_cast<uint8_t*>(fake.messages.back().lparam));
  EXPECT_EQ(fake.publications, 0);
  EXPECT_EQ(leaked(), 0u);
}

TEST_F(Channel, RefusesPayloadsBeyondTheSizeRule) {
  EXPECT_EQ(reply_begin(max_reply_payload + 1, 2), nullptr);
  reply_publish();
  EXPECT_EQ(fake.publications, 0);
  EXPECT_EQ(fake.allocations, 0);
  EXPECT_NE(reply_begin(max_reply_payload, 2), nullptr);
}

TEST_F(Channel, FreesARefusedReplyAndAnUnpostedCopy) {
  fake.fail_set_clipboard_data = true;
  ASSERT_NE(reply_begin(0, 8), nullptr);
  reply_publish();
  EXPECT_EQ(fake.blocks.size(), 0u) << "the clipboard did not take the reply";

  fake.fail_set_clipboard_data = false;
  fake.fail_open_clipboard = true;
  ASSERT_NE(reply_begin(0, 8), nullptr);
  reply_publish();
  EXPECT_EQ(fake.blocks.size(), 0u);

  fake.fail_open_clipboard = false;
  fake.fail_post = true;
  fake_put_clipboard(request(code_presence));
  channel_draw_clipboard(window, 0, 0);
  EXPECT_EQ(leaked(), 0u) << "a copy that could not be posted is freed";
  EXPECT_EQ(count_messages(msg_draw_clipboard, false), 1) << "and the notification goes on";
}

TEST_F(Channel, AClipboardHeldForAMomentLosesNothingHeldLongerOnlyThatReply) {
  struct row {
    bool at_publish;  // held when the reply goes out, else when the request comes in
    uint32_t held_ms;
    bool answered;
  } rows[] = {{false, 20, true}, {false, 95, true}, {false, 150, false}, {true, 20, true}, {true, 2000, false}};
  for (const row& r : rows) {
    SetUp();
    fake_put_clipboard(request(code_presence, 1));
    if (!r.at_publish) fake.clipboard_held_until = r.held_ms;
    channel_draw_clipboard(window, 0, 0);
    if (r.at_publish) fake.clipboard_held_until = fake.clock_ms + r.held_ms;
    for (fake_message m : std::vector<fake_message>(fake.messages))
      if (m.message == WM_AGENT_REQUEST) request_dispatch(reinterpret_cast<uint8_t*>(m.lparam));
    EXPECT_EQ(fake.publications, r.answered ? 1 : 0) << r.held_ms;
    EXPECT_LE(fake.clock_ms, clipboard_wait_ms + clipboard_pause_ms) << "the wait is bounded";
    EXPECT_EQ(count_messages(msg_draw_clipboard, false), r.answered || r.at_publish ? 0 : 1)
        << "a missed request's notification goes on down the chain";
    EXPECT_EQ(leaked(), 0u) << r.held_ms;
    fake.clock_ms = fake.clipboard_held_until;  // let go: the next request is answered
    fake_put_clipboard(request(code_presence, 2));
    notify_and_dispatch();
    EXPECT_EQ(get_u32(&fake_clipboard_bytes()[8]), 2u) << r.held_ms;
  }
}

TEST_F(Channel, RepairsTheChainOrPassesTheChangeOn) {
  os_handle other = reinterpret_cast<os_handle>(0xC3), after = reinterpret_cast<os_handle>(0xD4);
  channel_chain_changed(other, after);
  ASSERT_EQ(count_messages(msg_change_cb_chain, false), 1);
  EXPECT_EQ(fake.messages.back().window, next);
  EXPECT_EQ(fake.messages.back().wparam, uintptr_t(other));
  EXPECT_EQ(fake.messages.back().lparam, intptr_t(after));

  channel_chain_changed(next, after);
  EXPECT_EQ(count_messages(msg_change_cb_chain, false), 1) << "a repair is not passed on";
  EXPECT_EQ(channel_next_viewer(), after);

  channel_chain_changed(after, nullptr);
  EXPECT_EQ(channel_next_viewer(), nullptr);
  fake.clipboard.clear();
  size_t before = fake.messages.size();
  channel_draw_clipboard(window, 0, 0);
  channel_chain_changed(other, after);
  EXPECT_EQ(fake.messages.size(), before) << "with no next viewer nothing is sent";

  channel_leave(window);
  ASSERT_EQ(fake.chain_changes.size(), 1u);
  EXPECT_EQ(fake.chain_changes[0].first, window);
  EXPECT_EQ(fake.chain_changes[0].second, nullptr);
}

TEST_F(Channel, QueuedRequestsAreServedInOrderWithTheirOwnSequence) {
  std::vector<uint8_t*> copies;
  for (uint32_t s : {21u, 22u, 23u}) {
    fake_put_clipboard(request(code_presence, s));
    channel_draw_clipboard(window, 0, 0);
    copies.push_back(reinterpret_cast<uint8_t*>(fake.messages.back().lparam));
  }
  for (size_t i = 0; i < copies.size(); i++) {
    request_dispatch(copies[i]);
    EXPECT_EQ(get_u32(&fake_clipboard_bytes()[8]), 21u + i);
  }
  EXPECT_EQ(leaked(), 0u);
}

}  // namespace
