#include "fake_os.h"

#include "agent/channel/agent_messages.h"
#include "agent/print/print_job.h"

static bool fails(int& after) { return after == 0 || (after > 0 && !after--); }

os_handle os_global_alloc(uint32_t size) {
  if (fails(fake.fail_alloc_after)) return nullptr;
  fake.allocations++;
  return fake_new_block(bytes(size + fake.alloc_slack, 0xCD));  // not zero-filled
}
void* os_global_lock(os_handle h) {
  return fake.blocks.count(h) && !fails(fake.fail_lock_after) ? fake.blocks[h].data() : nullptr;
}
void os_global_unlock(os_handle) {}
void os_global_free(os_handle h) { fake.blocks.erase(h); }
uint32_t os_global_size(os_handle h) {
  return fake.blocks.count(h) ? uint32_t(fake.blocks[h].size()) : 0;
}

bool os_open_clipboard(os_handle window) {
  fake.opens++;
  fake.opener = window;
  return fake.clipboard_open = true;
}
void os_close_clipboard() { fake.clipboard_open = false; }
os_handle os_get_clipboard_data(unsigned format) {
  return fake.clipboard_open && fake.clipboard.count(format) ? fake.clipboard[format] : nullptr;
}
bool os_empty_clipboard() {
  for (auto& entry : fake.clipboard) fake.blocks.erase(entry.second);
  fake.clipboard.clear();
  fake.owner = fake.opener;
  fake.sequence++;
  return true;
}
bool os_set_clipboard_data(unsigned format, os_handle memory) {
  if (fake.fail_set_clipboard_data || !fake.clipboard_open) return false;
  fake.clipboard[format] = memory;
  fake.publications++;
  fake.sequence++;
  return true;
}

uint32_t os_clipboard_sequence() { return fake.has_sequence ? fake.sequence : 0; }
os_handle os_clipboard_owner() { return fake.owner; }
int os_count_clipboard_formats() { return int(fake.clipboard.size()); }
bool os_clipboard_has(unsigned format) { return fake.clipboard.count(format) > 0; }

os_handle os_clipboard_viewer() { return fake.viewer_head; }
os_handle os_set_clipboard_viewer(os_handle window) {
  os_handle previous = fake.viewer_head;
  fake.viewer_head = window;
  channel_draw_clipboard(window, 0, 0);  // the new viewer learns what the clipboard holds
  return previous;
}
void os_change_clipboard_chain(os_handle window, os_handle next) {
  fake.sent.push_back({window, 0x30D, uintptr_t(window), intptr_t(next)});
  if (fake.viewer_head == window) fake.viewer_head = next;
}
bool os_is_window(os_handle window) {
  auto viewer = fake.viewers.find(window);
  return window && (viewer == fake.viewers.end() || viewer->second.kind != 'x');
}

bool os_post_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam) {
  if (!fake.fail_post) fake.posted.push_back({window, message, wparam, lparam});
  return !fake.fail_post;
}
// A viewer counts each notification and passes it on as a well-behaved one does, with the same
// bounded send, until it reaches the agent.
bool os_send_message_bounded(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam,
                             uint32_t timeout_ms) {
  fake.sent.push_back({window, message, wparam, lparam});
  if (timeout_ms > 1000) __builtin_trap();  // never a long wait on another program
  if (window == agent_window) {
    if (message == 0x308) channel_draw_clipboard(window, wparam, lparam);
    return true;
  }
  auto found = fake.viewers.find(window);
  if (found == fake.viewers.end()) return true;  // a window of no interest: it answers
  fake_viewer& viewer = found->second;
  if (viewer.kind == 'h' || viewer.kind == 'x') return false;
  if (message == 0x308 && ++viewer.draws && viewer.kind == 'f' && viewer.next)
    os_send_message_bounded(viewer.next, message, wparam, lparam, timeout_ms);
  return true;
}
void os_start_timer(os_handle, uintptr_t, uint32_t) { fake.timers = 1; }  // one timer, replaced
void os_stop_timer(os_handle, uintptr_t) { fake.timers = 0; }

void fake_run_posted() {
  for (size_t i = 0; i < fake.posted.size(); i++) {
    fake_message m = fake.posted[i];
    int publications = fake.publications;
    if (m.message == WM_AGENT_REQUEST) request_dispatch(reinterpret_cast<uint8_t*>(m.lparam));
    if (m.message == WM_AGENT_PRINT) print_complete(reinterpret_cast<uint8_t*>(m.lparam));
    if (fake.publications > publications) fake_system_notify();
  }
  fake.posted.clear();
}

void os_sleep(uint32_t milliseconds) { fake.clock_ms += milliseconds; }
uint32_t os_tick_ms() { return fake.clock_ms; }
