// The agent in a clipboard viewer chain of fake viewers that pass notifications on, never do,
// hang or end without leaving; and messages that any program can post to the agent.
#include <gtest/gtest.h>

#include "agent/channel/agent_messages.h"
#include "agent/channel/channel.h"
#include "agent/channel/viewer_chain.h"
#include "agent/print/print_job.h"
#include "fake_os.h"

static os_handle const A = (os_handle)0xA1, W = (os_handle)0xB1, F = (os_handle)0xC1,
                       Z = (os_handle)0xD1;

// W joins, then the agent (so W stands behind it), then the viewers ahead, in order.
static void chain(const std::vector<std::pair<os_handle, char>>& ahead_of_agent) {
  fake_reset();
  fake_join(W);
  channel_join(agent_window = A);
  for (auto [viewer, kind] : ahead_of_agent) fake_join(viewer, kind);
}
static uint32_t next_sequence = 1;
static void editor_writes(bool notified = true) {  // a presence check
  bytes request = fake_request(7);
  put_u32(&request[off_sequence], next_sequence++);
  fake_put_clipboard(request);
  if (notified) fake_system_notify();
}
static void checks(int n) {
  for (int i = 0; i < n; i++) {
    channel_check(A);
    fake_run_posted();
  }
}

// Each fault: after it, the editor's request is answered within the checks given, once; the
// agent is the head again, or stays where it is when the chain still reaches it; the next
// request is answered at once, W behind the agent hears its reply once, and so does F, ahead of
// the break, unless it has ended or hangs (as the head it also hears the request). At rest
// nothing is opened, allocated or sent.
TEST(ViewerChain, HearsAgainAfterAnyBreakAndKeepsEveryViewerThatCanHear) {
  struct row {
    const char* fault;
    std::vector<std::pair<os_handle, char>> ahead;
    char fault_kind;  // what F becomes: x ended, d deaf, h hung; 0 none
    bool head_lost;   // the system's head went with F
    bool notified;    // the editor's write is notified
    int checks;       // until the first answer
    bool agent_heads;
    int f_hears;
  } rows[] = {
      {"killed ahead", {{F, 'f'}}, 'x', true, true, 1, true, 0},
      {"deaf ahead", {{F, 'f'}}, 'd', false, true, 2, true, 1},
      {"hung ahead", {{F, 'f'}}, 'h', false, true, 2, true, 0},
      {"dead between", {{Z, 'f'}, {F, 'f'}}, 0, false, true, 2, true, 1},  // Z ends below
      {"a notification lost", {{F, 'f'}}, 0, false, false, 2, false, 2},
  };
  for (bool sequence : {true, false}) {
    for (const row& r : rows) {
      SCOPED_TRACE(std::string(r.fault) + (sequence ? "" : ", Windows 95"));
      chain(r.ahead);
      fake.has_sequence = sequence;
      if (r.fault_kind) fake.viewers[F].kind = r.fault_kind;
      if (!strcmp(r.fault, "dead between")) fake.viewers[Z].kind = 'x';
      if (r.head_lost) fake.viewer_head = nullptr;
      checks(3);  // nothing to do yet, or the lost head found
      editor_writes(r.notified);
      int published = fake.publications;
      checks(r.checks);
      EXPECT_EQ(fake.publications, published + 1) << "answered once, in time";
      checks(6);
      EXPECT_EQ(fake.publications, published + 1) << "and never again";
      EXPECT_EQ(fake.viewer_head == A, r.agent_heads);
      int w = fake.viewers[W].draws, f = fake.viewers[F].draws;
      editor_writes();
      fake_run_posted();
      EXPECT_EQ(fake.publications, published + 2) << "the next one at once";
      EXPECT_EQ(std::pair(fake.viewers[W].draws, fake.viewers[F].draws), std::pair(w + 1, f + r.f_hears));
      int opens = fake.opens, allocations = fake.allocations;
      size_t sent = fake.sent.size();
      checks(20);
      EXPECT_EQ(std::tuple(fake.opens, fake.allocations, fake.sent.size()),
                std::tuple(opens, allocations, sent));
      fake.viewers[W].next = A;  // W leads back to the agent: passed on once all the same
      w = fake.viewers[W].draws;
      editor_writes();
      fake_run_posted();
      EXPECT_EQ(fake.viewers[W].draws, w + 1);
    }
  }
}

// Chain changes repair a link only for a live window other than the agent; any other is passed
// on as it came. Leaving asks the head first and never waits on a hung one.
TEST(ViewerChain, ChainChangesAndLeavingTrustNothingThatIsNotThere) {
  const struct { os_handle leaving, following, next_after; bool passed_on; } rows[] = {
      {(os_handle)0x4711, (os_handle)0x4712, W, true},  // windows not in the chain
      {W, F, F, false},                                 // W leaves, F follows it
      {W, A, nullptr, false},                           // never the agent's own next
      {W, Z, nullptr, false},                           // a following that has ended
      {nullptr, F, W, false},                           // names no window
  };
  for (const auto& r : rows) {
    chain({});
    fake_join(F), fake_join(Z, 'x');
    fake.viewer_head = A;
    size_t sent = fake.sent.size();
    channel_chain_changed(A, r.leaving, r.following);
    EXPECT_EQ(channel_next_viewer(), r.next_after);
    EXPECT_EQ(fake.sent.size() - sent, size_t(r.passed_on));
  }
  for (char head : {'f', 'h'}) {
    chain({{F, head}});
    channel_leave(A);
    bool left = fake.sent.back().message == 0x30D;
    EXPECT_EQ(left, head == 'f') << head;
    EXPECT_EQ(fake.timers, 0);
  }
}

// The same request found by the check and by a late notification is served once; the editor's
// next write of the same bytes is served again. WM_AGENT_REQUEST and WM_AGENT_PRINT act only on
// a copy the agent posted and has not yet taken up.
TEST(ViewerChain, EachRequestServedOnceAndStrayMessagesIgnored) {
  for (bool sequence : {true, false}) {
    SCOPED_TRACE(sequence ? "sequence numbers" : "Windows 95");
    chain({});
    fake.has_sequence = sequence;
    bytes request = fake_request(7);
    fake_put_clipboard(request);
    EXPECT_TRUE(request_capture(A));
    channel_draw_clipboard(A, 0, 0);  // the late notification
    EXPECT_EQ(fake.posted.size(), 1u);
    fake_run_posted();
    channel_draw_clipboard(A, 0, 0);  // later still: the reply is there now
    fake_put_clipboard(request);      // the editor asks again
    channel_draw_clipboard(A, 0, 0);
    fake_run_posted();
    EXPECT_EQ(fake.publications, 2);
  }
  chain({});
  uint8_t decoy[64] = {0x55, 0x66, 0x77, 0x88};
  uint8_t* copy = fake_notify(fake_request(7));
  for (uint8_t* stray : {(uint8_t*)nullptr, (uint8_t*)0x12345, decoy}) {
    request_dispatch(stray);
    print_complete(stray);
  }
  print_complete(copy);  // a request, not a print job
  EXPECT_EQ(fake.publications, 0);
  request_dispatch(copy);
  request_dispatch(copy);  // posted again by another program
  EXPECT_EQ(fake.publications, 1);
  EXPECT_EQ(fake.blocks.size(), fake.clipboard.size()) << "released once, nothing left";
}
