#include "fake_os.h"

#include "agent/channel/channel.h"

fake_os_state fake;
static uintptr_t next_handle = 0x1000;

void fake_reset() {
  fake = fake_os_state{};
  channel_reset();
}

static bool fails(int& after) { return after == 0 || (after > 0 && !after--); }

static os_handle new_block(bytes content) {
  auto h = reinterpret_cast<os_handle>(next_handle += 0x10);
  fake.blocks[h] = std::move(content);
  return h;
}

void fake_put_clipboard(const bytes& object) {
  os_empty_clipboard();
  fake.clipboard[exchange_format] = new_block(object);
}
bytes fake_clipboard_bytes() {
  auto at = fake.clipboard.find(exchange_format);
  return at == fake.clipboard.end() ? bytes{} : fake.blocks.at(at->second);
}

bytes fake_request(int16_t code, const bytes& payload, uint32_t size) {
  bytes b = {0x55, 0x66, 0x77, 0x88, 0, 0, 64, 0, 0x78, 0x56, 0x34, 0x12};
  b.resize(header_size, 0x77);  // the editor's scratch, which must not survive
  put_u16(&b[off_code], uint16_t(code));
  b.insert(b.end(), payload.begin(), payload.end());
  b.resize(std::max<size_t>(b.size(), size));
  return b;
}
uint8_t* fake_notify(const bytes& object) {
  fake_put_clipboard(object);
  size_t before = fake.posted.size();
  channel_draw_clipboard(agent_window, 5, 6);
  if (fake.posted.size() == before) return nullptr;
  return reinterpret_cast<uint8_t*>(fake.posted[before].lparam);
}
void fake_serve(const bytes& object) { request_dispatch(fake_notify(object)); }

os_handle os_global_alloc(uint32_t size) {
  if (fails(fake.fail_alloc_after)) return nullptr;
  fake.allocations++;
  return new_block(bytes(size, 0xCD));  // not zero-filled
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
