#include "channel.h"

#include <cstring>

#include "agent_messages.h"
#include "common/retry_within.h"
#include "copy_set.h"
#include "copy_slots.h"
#include "viewer_chain.h"

os_handle agent_window = nullptr;

static int32_t request_block_size = 0;
static uint32_t request_sequence = 0;
static os_handle pending_reply = nullptr;

static service_table services = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, presence_reply};

// Copies posted as WM_AGENT_REQUEST and not yet dispatched. The editor
// waits for each answer, so a handful is the most that wait at once.
constexpr int max_posted_requests = 32;
static copy_set<max_posted_requests> posted_requests;

// The request last posted, as the clipboard held it: the change's sequence
// number where Windows keeps one (0 on Windows 95), the object and a sum of
// its bytes. The same request found again is not posted again. A reply
// ends it: the editor's next write, even of the same bytes, is a new one.
struct capture_mark {
  bool set;
  uint32_t sequence;
  os_handle object;
  uint32_t size;
  uint32_t sum;
  bool operator==(const capture_mark&) const = default;
};
static capture_mark last_capture{};

void request_set_services(const service_table& table) {
  memcpy(services, table, sizeof services);
}

void channel_reset() {
  agent_window = nullptr;
  request_block_size = 0;
  request_sequence = 0;
  pending_reply = nullptr;
  posted_requests.count = 0;
  last_capture = capture_mark{};
  service_table defaults = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, presence_reply};
  request_set_services(defaults);
  viewer_chain_reset();
}

// Another program may have the clipboard open for a moment (a clipboard
// manager, a viewer reading the change); it is tried again for a bounded
// time, so that the request or reply is not dropped for that.
static bool open_clipboard_patiently(os_handle window) {
  return retry_within(
      clipboard_wait_ms, clipboard_pause_ms, [&] { return os_open_clipboard(window); }, os_tick_ms,
      os_sleep);
}

// FNV-1a of a request copy, but for its scratch bytes, where the copy
// keeps its own handle.
static uint32_t request_sum(const uint8_t* copy, uint32_t size) {
  uint32_t sum = 2166136261u;
  for (uint32_t i = 0; i < size; i++)
    if (i < off_agent_scratch || i >= header_size) sum = (sum ^ copy[i]) * 16777619u;
  return sum;
}

bool request_capture(os_handle window) {
  if (!open_clipboard_patiently(window)) return false;  // held too long: this change is missed
  bool captured = false;
  os_handle object = os_get_clipboard_data(exchange_format);
  uint32_t size = object ? os_global_size(object) : 0;
  uint8_t* copy = size > smallest_ignored_size ? request_copy(object) : nullptr;
  if (copy) {
    capture_mark mark{true, os_clipboard_sequence(), object, size, request_sum(copy, size)};
    if (get_u32(copy + off_magic) != request_magic) {
      request_release(copy);  // the agent's own replies take this path
    } else if (mark == last_capture) {
      request_release(copy);  // posted already
      captured = true;
    } else if (posted_requests.add(copy)) {
      if (os_post_message(window, WM_AGENT_REQUEST, 0, intptr_t(copy))) {
        last_capture = mark;
        captured = true;
      } else {
        posted_requests.take(copy);
        request_release(copy);  // nobody would ever free it
      }
    } else {
      request_release(copy);  // too many wait already: as a copy that could not be made
    }
  }
  os_close_clipboard();
  return captured;
}

uint8_t* request_copy(os_handle object) {
  uint32_t size = os_global_size(object);
  os_handle memory = os_global_alloc(size + copy_prefix_size);
  uint8_t* target = nullptr;
  auto* source = static_cast<const uint8_t*>(os_global_lock(object));
  if (source && memory) {
    auto* area = static_cast<uint8_t*>(os_global_lock(memory));
    if (area) {
      target = area + copy_prefix_size;
      memcpy(target, source, size);
      // GlobalSize, which request_size reads, may be more than was asked
      // for: the names of a request must not run on into old memory there.
      memset(target + size, 0, os_global_size(memory) - copy_prefix_size - size);
      slot_set(target, slot_memory, memory);
    }
  }
  if (source) os_global_unlock(object);
  if (!target && memory) os_global_free(memory);
  return target;
}

uint32_t request_size(uint8_t* block) {
  return os_global_size(slot_get(block, slot_memory)) - copy_prefix_size;
}

void request_release(uint8_t* block) {
  if (!block) return;
  os_handle memory = slot_get(block, slot_memory);
  if (memory) {
    os_global_unlock(memory);
    os_global_free(memory);
  }
}

void request_dispatch(uint8_t* block) {
  if (!posted_requests.take(block)) return;  // not a copy of ours, or served already
  request_block_size = get_s16(block + off_block_size);
  request_sequence = get_u32(block + off_sequence);
  int16_t code = get_s16(block + off_code);
  uint32_t index = uint32_t(int32_t(code) - 1);
  service_fn service = index < uint32_t(service_table_size) ? services[index] : nullptr;
  if (service) service(block, request_size(block));
  if (code == code_print && service) return;  // the print job owns its copy now
  request_release(block);
}

uint8_t* reply_begin(uint32_t payload_size, uint16_t code) {
  pending_reply = nullptr;
  if (payload_size > max_reply_payload) return nullptr;
  uint32_t size = reply_size(payload_size, request_block_size);
  os_handle memory = os_global_alloc(size);
  if (!memory) return nullptr;
  auto* block = static_cast<uint8_t*>(os_global_lock(memory));
  if (!block) {
    os_global_free(memory);
    return nullptr;
  }
  // Cleared, so that no leftover memory of the agent goes out through the
  // clipboard, where every program can read it.
  memset(block, 0, size);
  encode_reply_header(block, uint16_t(size), request_sequence, code);
  pending_reply = memory;
  return block + header_size;
}

void reply_publish() {
  os_handle reply = pending_reply;
  if (!reply) return;
  pending_reply = nullptr;  // one publication per reply, whatever happens
  os_global_unlock(reply);
  bool taken = false;
  if (open_clipboard_patiently(agent_window)) {
    os_empty_clipboard();
    taken = os_set_clipboard_data(exchange_format, reply);
    os_close_clipboard();
  }
  if (taken)
    last_capture.set = false;
  else
    os_global_free(reply);  // the clipboard did not take it
}

void presence_reply(uint8_t*, uint32_t) {
  reply_begin(0, reply_presence);
  reply_publish();
}
