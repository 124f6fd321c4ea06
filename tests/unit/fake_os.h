// A recording fake of the channel's platform: global memory as byte vectors, one clipboard and
// the messages posted and sent; memory, locks, the clipboard and posting can fail. Also the
// editor's side: request blocks put into the clipboard and served; and the other viewers of the
// clipboard chain, each passing notifications on, or deaf, hung or dead.
#pragma once
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "agent/channel/channel.h"
#include "agent/channel/viewer_chain.h"

using bytes = std::vector<uint8_t>;
using strings = std::vector<std::string>;

template <class T> std::vector<T> cat(std::initializer_list<std::vector<T>> parts) {
  std::vector<T> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline void check(bool ok) { if (!ok) __builtin_trap(); }  // a fuzz target's finding

struct fake_message { os_handle window; unsigned message; uintptr_t wparam; intptr_t lparam; };

// Another viewer: 'f' passes notifications on, 'd' never passes WM_DRAWCLIPBOARD on, 'h' is
// hung (no send reaches it), 'x' has ended without leaving the chain.
struct fake_viewer { char kind; os_handle next; int draws; };

struct fake_os_state {
  std::map<os_handle, bytes> blocks;        // live allocations
  std::map<unsigned, os_handle> clipboard;  // format -> memory
  std::vector<fake_message> posted, sent;
  os_handle viewer_head = nullptr;  // the system's head of the chain
  std::map<os_handle, fake_viewer> viewers;
  bool has_sequence = true;         // false: Windows 95, no clipboard sequence number
  uint32_t sequence = 100;
  os_handle opener = nullptr, owner = nullptr;
  int opens = 0, timers = 0;
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
  fake.opener = reinterpret_cast<os_handle>(0xED);   // the editor's console
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

// The viewer joins the chain at its head, as SetClipboardViewer does.
inline void fake_join(os_handle viewer, char kind = 'f') {
  fake.viewers[viewer] = {kind, fake.viewer_head, 0};
  fake.viewer_head = viewer;
}
// The system's notification of a change, to the head; it goes down the chain from there.
inline void fake_system_notify() {
  if (fake.viewer_head == agent_window)
    channel_draw_clipboard(agent_window, 0, 0);
  else if (fake.viewer_head)
    os_send_message_bounded(fake.viewer_head, 0x308, 0, 0, viewer_send_timeout_ms);
}
// Dispatches the posted requests and print jobs as the agent's message loop would, services may
// post more meanwhile; each reply is notified to the head.
void fake_run_posted();
