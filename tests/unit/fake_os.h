// A recording fake of the channel's platform: global memory as byte vectors, one clipboard and
// the messages posted and sent; memory, locks, the clipboard and posting can fail. Also the
// editor's side: request blocks put into the clipboard and served.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "agent/channel/channel_os.h"

using bytes = std::vector<uint8_t>;
using strings = std::vector<std::string>;

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
};
extern fake_os_state fake;

void fake_reset();  // and the channel's own state
void fake_put_clipboard(const bytes& object);  // under format 10, as the editor writes it
bytes fake_clipboard_bytes();                  // under format 10 now, or empty

// A request: header with block size 64 and sequence 0x12345678, the payload, at least size bytes.
bytes fake_request(int16_t code, const bytes& payload = {}, uint32_t size = 40);
// Puts the object into the clipboard and notifies agent_window (wparam 5, lparam 6); returns the
// copy posted, or null.
uint8_t* fake_notify(const bytes& object);
void fake_serve(const bytes& object);  // notified, then the copy dispatched
