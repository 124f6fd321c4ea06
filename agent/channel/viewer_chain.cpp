#include "viewer_chain.h"

#include "agent_messages.h"
#include "channel.h"

namespace {

// What can be learnt of the clipboard without opening it. Where Windows
// keeps a sequence number it tells every change apart, and it is all that
// is asked for. Windows 95 keeps none: there the owner, the number of
// formats and whether format 10 is there tell most changes apart (the
// editor's request and the agent's reply have different owners).
struct clipboard_glance {
  uint32_t sequence;
  os_handle owner;
  int formats;
  bool exchange;
  bool operator==(const clipboard_glance&) const = default;
};

clipboard_glance glance_clipboard() {
  if (uint32_t sequence = os_clipboard_sequence()) return {sequence, nullptr, 0, false};
  return {0, os_clipboard_owner(), os_count_clipboard_formats(), os_clipboard_has(exchange_format)};
}

// A request of the editor's can be in the clipboard: format 10 is there,
// and the agent did not put it there.
bool request_may_wait(os_handle window) {
  return os_clipboard_owner() != window && os_clipboard_has(exchange_format);
}

os_handle next_viewer = nullptr;
// Viewers that stood ahead of the agent when it took the head again. They
// were well until the chain broke behind them, and nothing else would tell
// them of a change now; the agent passes notifications to them too.
constexpr int max_ahead = 3;
os_handle ahead[max_ahead];
clipboard_glance heard{};      // the clipboard as the last notification found it
clipboard_glance inspected{};  // the last state the check looked into for a request
bool notified = false;         // a notification came since the last check
bool unheard_at_last_check = false;
bool question_left = false;  // the last check served a request and did not ask
uint32_t check_period = 0;
uint32_t passed_on = 0;        // sequence number of the change last passed down the chain
bool passing_draw = false, passing_chain_change = false;
bool pinging = false, ping_came_round = false;

// A link the agent may keep: a live window, never the agent itself.
os_handle live_viewer(os_handle window, os_handle viewer) {
  return viewer && viewer != window && os_is_window(viewer) ? viewer : nullptr;
}

// Sends a notification to the head and sees whether the chain brings it
// round to the agent while the head handles it. A hung head, one that does
// not pass it on or a dead link between them: it does not come.
bool chain_reaches(os_handle head) {
  pinging = true;
  ping_came_round = false;
  os_send_message_bounded(head, msg_draw_clipboard, 0, 0, viewer_send_timeout_ms);
  pinging = false;
  return ping_came_round;
}

bool is_linked(os_handle viewer) {
  if (viewer == next_viewer) return true;
  for (os_handle a : ahead)
    if (a == viewer) return true;
  return false;
}

// Forgets links to windows that have ended, or that stand twice.
void tidy_links(os_handle window) {
  next_viewer = live_viewer(window, next_viewer);
  for (int i = 0; i < max_ahead; i++) {
    os_handle a = live_viewer(window, ahead[i]);
    ahead[i] = nullptr;
    if (!is_linked(a)) ahead[i] = a;
  }
}

// The agent becomes the head. The viewers behind it stay behind it: its
// own link to them is kept. The head it displaces still leads to the break,
// through which the agent was cut off, so it gets no place in front of the
// agent: it is told of changes beside the viewers behind.
void take_the_head(os_handle window) {
  os_handle displaced = live_viewer(window, os_set_clipboard_viewer(window));
  if (!next_viewer) {
    next_viewer = displaced;
  } else if (displaced && !is_linked(displaced)) {
    for (int i = max_ahead - 1; i > 0; i--) ahead[i] = ahead[i - 1];  // the oldest goes
    ahead[0] = displaced;
  }
  unheard_at_last_check = question_left = false;
}

// Passes a notification to the next viewer and to those that stood ahead.
void pass_on(unsigned message, uintptr_t wparam, intptr_t lparam) {
  if (next_viewer) os_send_message_bounded(next_viewer, message, wparam, lparam, viewer_send_timeout_ms);
  for (os_handle a : ahead)
    if (a) os_send_message_bounded(a, message, wparam, lparam, viewer_send_timeout_ms);
}

}  // namespace

void viewer_chain_reset() {
  next_viewer = nullptr;
  for (os_handle& a : ahead) a = nullptr;
  heard = inspected = clipboard_glance{};
  notified = unheard_at_last_check = question_left = false;
  check_period = 0;
  passed_on = 0;
  passing_draw = passing_chain_change = pinging = ping_came_round = false;
}

os_handle channel_next_viewer() { return next_viewer; }

void channel_join(os_handle window) {
  heard = glance_clipboard();
  next_viewer = live_viewer(window, os_set_clipboard_viewer(window));
  os_start_timer(window, chain_check_timer, check_period = chain_check_ms);
}

void channel_leave(os_handle window) {
  os_stop_timer(window, chain_check_timer);
  // Leaving sends the head a message and waits for it without a bound: a
  // head that does not answer now is not asked. The agent is then left out
  // of the chain as a dead window is.
  os_handle head = os_clipboard_viewer();
  if (head == window || (head && os_send_message_bounded(head, msg_null, 0, 0, viewer_send_timeout_ms)))
    os_change_clipboard_chain(window, next_viewer);
}

void channel_draw_clipboard(os_handle window, uintptr_t wparam, intptr_t lparam) {
  clipboard_glance now = glance_clipboard();
  heard = now;
  notified = true;
  if (pinging) ping_came_round = true;
  if (request_capture(window)) return;  // other viewers never see a request
  // A change already passed on comes back through a loop in the chain, or
  // late from a viewer that has woken up: the viewers behind have had it.
  // Without sequence numbers, one that comes while the agent is passing one
  // on is taken for the loop.
  if (now.sequence ? now.sequence == passed_on : passing_draw) return;
  passed_on = now.sequence;
  bool outer = passing_draw;
  passing_draw = true;
  pass_on(msg_draw_clipboard, wparam, lparam);
  passing_draw = outer;
}

void channel_chain_changed(os_handle window, os_handle leaving, os_handle following) {
  if (!leaving || leaving == window) return;  // names no viewer, or the agent, which stays
  if (is_linked(leaving)) {  // the link is repaired here and goes no further
    if (leaving == next_viewer) next_viewer = following;
    for (os_handle& a : ahead)
      if (a == leaving) a = following;
    tidy_links(window);
    return;
  }
  if (passing_chain_change) return;  // come round a loop: passed on already
  passing_chain_change = true;
  pass_on(msg_change_cb_chain, uintptr_t(leaving), intptr_t(following));
  passing_chain_change = false;
}

void channel_check(os_handle window) {
  // A viewer that ended without leaving: its handle is not used again, as
  // it could by then name another program's window.
  tidy_links(window);
  clipboard_glance now = glance_clipboard();
  bool unheard = !(now == heard);
  // A change that no notification has brought for a whole check. Sooner
  // the notification may be on its way, and the check would open the
  // clipboard while the editor reads it.
  bool silence = unheard && unheard_at_last_check && !notified;
  // The check that serves a request leaves the question to the next one,
  // unless a notification comes meanwhile: asking may wait on the head,
  // and the answer should not wait with it.
  bool ask = silence || (question_left && !notified);
  bool served = false;
  if (silence && !question_left && !(now == inspected) && request_may_wait(window)) {
    inspected = now;
    served = request_capture(window);  // a request that no notification brought
  }
  // The system tells the head itself; a chain whose head has ended is gone;
  // otherwise the question is whether a notification still comes round.
  os_handle head = os_clipboard_viewer();
  bool deaf = head != window && (!head || !os_is_window(head) || (ask && !served && !chain_reaches(head)));
  question_left = served;
  unheard_at_last_check = unheard;
  notified = false;
  uint32_t period = unheard || question_left ? chain_recheck_ms : chain_check_ms;
  if (period != check_period) os_start_timer(window, chain_check_timer, check_period = period);
  if (deaf) take_the_head(window);
}
