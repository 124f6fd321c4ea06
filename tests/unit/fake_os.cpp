#include "fake_os.h"

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

bool os_open_clipboard(os_handle) { return fake.clipboard_open = true; }
void os_close_clipboard() { fake.clipboard_open = false; }
os_handle os_get_clipboard_data(unsigned format) {
  return fake.clipboard_open && fake.clipboard.count(format) ? fake.clipboard[format] : nullptr;
}
bool os_empty_clipboard() {
  for (auto& entry : fake.clipboard) fake.blocks.erase(entry.second);
  fake.clipboard.clear();
  return true;
}
bool os_set_clipboard_data(unsigned format, os_handle memory) {
  if (fake.fail_set_clipboard_data || !fake.clipboard_open) return false;
  fake.clipboard[format] = memory;
  fake.publications++;
  return true;
}

os_handle os_set_clipboard_viewer(os_handle) { return fake.viewer_head; }
void os_change_clipboard_chain(os_handle, os_handle) {}
bool os_post_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam) {
  if (!fake.fail_post) fake.posted.push_back({window, message, wparam, lparam});
  return !fake.fail_post;
}
intptr_t os_send_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam) {
  fake.sent.push_back({window, message, wparam, lparam});
  return 0;
}

void os_sleep(uint32_t milliseconds) { fake.clock_ms += milliseconds; }
uint32_t os_tick_ms() { return fake.clock_ms; }
