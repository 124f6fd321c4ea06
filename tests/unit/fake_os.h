// A recording fake of the channel's platform: global memory as byte vectors, one clipboard and
// the messages posted and sent; memory, locks, the clipboard and posting can fail. Also the
// editor's side: request blocks put into the clipboard and served.
#pragma once
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "agent/channel/channel.h"

using bytes = std::vector<uint8_t>;
using strings = std::vector<std::string>;

template <class T> std::vector<T> cat(std::initializer_list<std::vector<T>> parts) {
  std::vector<T> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline void check(bool ok) { if (!ok) __builtin_trap(); }  // a fuzz target's finding

struct fake_message { os_handle window; unsigned message; uintptr_t wparam; intptr_t lparam; };

struct fake_os_state {
  std::map<os_handle, bytes> blocks;        // live allocations
  std::map<unsigned, os_handle> clipboard;  // format -> memory
  std::vector<fake_message> posted, sent;
  os_handle viewer_head = nullptr;  // what SetClipboardViewer returns
  uint32_t clock_ms = 0;            // os_tick_ms; os_sleep moves it on
  bool clipboard_open = false, fail_set_clipboard_data = false, fail_post = false;
  int allocations = 0, publications = 0;
  int fail_alloc_after = -1, fail_lock_after = -1;  // calls that succeed before all fail; -1 never
  uint32_t alloc_slack = 0;  // GlobalAlloc may give more than was asked for
};
inline fake_os_state fake;

inline void fake_reset() {  // and the channel's own state
  fake = fake_os_state{};
  channel_reset();
}
inline os_handle fake_new_block(bytes content) {  // a live allocation
  static uintptr_t last = 0x1000;
  auto h = reinterpret_cast<os_handle>(last += 0x10);
  fake.blocks[h] = std::move(content);
  return h;
}
inline void fake_put_clipboard(const bytes& object) {  // under format 10, as the editor writes it
  os_empty_clipboard();
  fake.clipboard[exchange_format] = fake_new_block(object);
}
inline bytes fake_clipboard_bytes() {  // under format 10 now, or empty
  auto at = fake.clipboard.find(exchange_format);
  return at == fake.clipboard.end() ? bytes{} : fake.blocks.at(at->second);
}

// A request: header with block size 64 and sequence 0x12345678, the payload, at least size bytes.
inline bytes fake_request(int16_t code, const bytes& payload = {}, uint32_t size = 40) {
  bytes b = {0x55, 0x66, 0x77, 0x88, 0, 0, 64, 0, 0x78, 0x56, 0x34, 0x12};
  b.resize(header_size, 0x77);  // the editor's scratch, which must not survive
  put_u16(&b[off_code], uint16_t(code));
  b.insert(b.end(), payload.begin(), payload.end());
  b.resize(std::max<size_t>(b.size(), size));
  return b;
}
// Puts the object into the clipboard and notifies agent_window (wparam 5, lparam 6); returns the
// copy posted, or null.
inline uint8_t* fake_notify(const bytes& object) {
  fake_put_clipboard(object);
  size_t before = fake.posted.size();
  channel_draw_clipboard(agent_window, 5, 6);
  if (fake.posted.size() == before) return nullptr;
  return reinterpret_cast<uint8_t*>(fake.posted[before].lparam);
}
inline void fake_serve(const bytes& object) { request_dispatch(fake_notify(object)); }
