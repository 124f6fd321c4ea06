#include "fake_os.h"

#include "agent/channel/channel.h"

fake_os_state fake;
static uintptr_t next_handle = 0x1000;

void fake_reset() {
  fake = fake_os_state{};
  channel_reset();
}

os_handle fake_put_clipboard(const std::vector<uint8_t>& bytes) {
  os_empty_clipboard();  // as the writer's EmptyClipboard would
  os_handle h = reinterpret_cast<os_handle>(next_handle += 0x10);
  fake.blocks[h] = bytes;
  fake.clipboard[10] = h;
  return h;
}

std::vector<uint8_t> fake_clipboard_bytes() {
  auto it = fake.clipboard.find(10);
  if (it == fake.clipboard.end()) return {};
  return fake.blocks.at(it->second);
}

os_handle os_global_alloc(uint32_t size) {
  if (fake.fail_alloc_after == 0) return nullptr;
  if (fake.fail_alloc_after > 0) fake.fail_alloc_after--;
  os_handle h = reinterpret_cast<os_handle>(next_handle += 0x10);
  fake.blocks[h] = std::vector<uint8_t>(size, 0xCD);  // not zero-filled
  fake.allocations++;
  return h;
}

void* os_global_lock(os_handle memory) {
  auto it = fake.blocks.find(memory);
  if (fake.fail_lock || it == fake.blocks.end()) return nullptr;
  fake.locks[memory]++;
  return it->second.data();
}

void os_global_unlock(os_handle memory) {
  if (fake.locks[memory] > 0) fake.locks[memory]--;
}

void os_global_free(os_handle memory) {
  fake.blocks.erase(memory);
  fake.locks.erase(memory);
  fake.frees++;
}

uint32_t os_global_size(os_handle memory) {
  auto it = fake.blocks.find(memory);
  return it == fake.blocks.end() ? 0 : uint32_t(it->second.size());
}

bool os_open_clipboard(os_handle window) {
  if (fake.fail_open_clipboard || int32_t(fake.clipboard_held_until - fake.clock_ms) > 0) return false;
  fake.clipboard_open = true;
  fake.clipboard_owner_window = window;
  return true;
}

os_handle os_get_clipboard_data(unsigned format) {
  if (!fake.clipboard_open) return nullptr;
  auto it = fake.clipboard.find(format);
  return it == fake.clipboard.end() ? nullptr : it->second;
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
  fake.published.push_back(memory);
  return true;
}

void os_close_clipboard() { fake.clipboard_open = false; }

os_handle os_set_clipboard_viewer(os_handle) { return fake.viewer_head; }

void os_change_clipboard_chain(os_handle window, os_handle next) {
  fake.chain_changes.push_back({window, next});
}

bool os_post_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam) {
  if (fake.fail_post) return false;
  fake.messages.push_back({window, message, wparam, lparam, true});
  return true;
}

intptr_t os_send_message(os_handle window, unsigned message, uintptr_t wparam, intptr_t lparam) {
  fake.messages.push_back({window, message, wparam, lparam, false});
  return 0;
}

void os_sleep(uint32_t milliseconds) { fake.clock_ms += milliseconds; }
uint32_t os_tick_ms() { return fake.clock_ms; }
