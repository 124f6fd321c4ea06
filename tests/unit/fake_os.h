// A recording fake of the channel's platform: global memory as byte vectors, one clipboard, the
// viewer chain and the messages posted and sent. Memory, locks, the clipboard and posting can fail.
#pragma once
#include <map>
#include <vector>

#include "agent/channel/channel_os.h"

struct fake_message { os_handle window; unsigned message; uintptr_t wparam; intptr_t lparam; bool posted; };

struct fake_os_state {
  std::map<os_handle, std::vector<uint8_t>> blocks;  // live allocations
  std::map<unsigned, os_handle> clipboard;            // format -> memory
  std::vector<fake_message> messages;
  std::vector<std::pair<os_handle, os_handle>> chain_changes;
  os_handle viewer_head = nullptr;  // what SetClipboardViewer returns
  bool clipboard_open = false, fail_open_clipboard = false, fail_set_clipboard_data = false, fail_post = false;
  int allocations = 0, publications = 0;
  int fail_alloc_after = -1, fail_lock_after = -1;  // calls that succeed before all fail; -1 never
};
extern fake_os_state fake;

void fake_reset();  // and the channel's own state
os_handle fake_put_clipboard(const std::vector<uint8_t>& bytes);  // under format 10, as the editor does
std::vector<uint8_t> fake_clipboard_bytes();                      // under format 10 now, or empty
