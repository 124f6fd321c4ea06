// A recording fake of the channel's platform layer: global memory blocks
// kept as byte vectors, one clipboard, and a log of posted and sent
// messages. Any call can be made to fail.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "agent/channel/channel_os.h"

struct fake_message {
  os_handle window;
  unsigned message;
  uintptr_t wparam;
  intptr_t lparam;
  bool posted;
};

struct fake_os_state {
  std::map<os_handle, std::vector<uint8_t>> blocks;  // live allocations
  std::map<os_handle, int> locks;
  int allocations = 0;
  int frees = 0;

  bool clipboard_open = false;
  os_handle clipboard_owner_window = nullptr;
  std::map<unsigned, os_handle> clipboard;  // format -> memory
  int publications = 0;                     // successful SetClipboardData calls
  std::vector<os_handle> published;         // in order

  std::vector<fake_message> messages;
  os_handle viewer_head = nullptr;          // what SetClipboardViewer returns
  std::vector<std::pair<os_handle, os_handle>> chain_changes;

  // Failure injection.
  int fail_alloc_after = -1;  // allocations that succeed before one fails; -1 never
  bool fail_lock = false;
  bool fail_open_clipboard = false;
  uint32_t clock_ms = 0;           // os_tick_ms; os_sleep moves it on
  uint32_t clipboard_held_until = 0;  // another program has it open until then
  bool fail_set_clipboard_data = false;
  bool fail_post = false;
};

extern fake_os_state fake;

void fake_reset();
// Puts a block of these bytes into the clipboard under format 10.
os_handle fake_put_clipboard(const std::vector<uint8_t>& bytes);
// The bytes under format 10 now, or empty.
std::vector<uint8_t> fake_clipboard_bytes();
