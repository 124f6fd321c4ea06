// Payloads of the file-open dialog requests: request 9 (what to show) and
// reply 12 (how the dialog ended). The agent decodes 9 and encodes 12; the
// editor's side (and orvprobe, which plays it) does the reverse.
#pragma once
#include <cstdint>

#include "agent/channel/exchange_block.h"

enum dialog_state_value : uint8_t { DLG_PENDING = 1, DLG_CHOSEN = 2, DLG_NONE = 3 };

// Request 9 payload.
constexpr uint32_t dlg_off_open_mode = 0;
constexpr uint32_t dlg_off_window_text = 2;
constexpr uint32_t dlg_off_initial_path = 18;
constexpr uint32_t window_text_size = 16;   // 15 characters and a NUL
constexpr uint32_t initial_path_size = 256;  // 255 characters and a NUL

// Reply 12 payload.
constexpr uint32_t result_off_state = 0;
constexpr uint32_t result_off_dir_length = 1;
constexpr uint32_t result_off_chosen_path = 18;
// A chosen path is a short directory under 128 characters, a backslash and
// a long file name under 256: it can outgrow 255 characters.
constexpr uint32_t chosen_path_size = 384;
// Payload bytes asked for beyond the path's length in the chosen state.
constexpr uint32_t result_extra_size = 32;

struct dialog_request {
  uint8_t open_mode;
  char window_text[window_text_size];
  char initial_path[initial_path_size];
};

struct dialog_result {
  uint8_t state;
  uint8_t dir_length;                // defined in DLG_CHOSEN only
  char chosen_path[chosen_path_size];  // empty unless DLG_CHOSEN
};

// Reads a request 9 payload of size bytes. Never reads past the end: missing
// fields read as zero or empty, a window text without a NUL in its 16 bytes
// keeps its first 15 characters, an initial path is cut to 255 characters.
void decode_dialog_request(const uint8_t* payload, uint32_t size, dialog_request& out);

// Writes a request 9 payload into out; returns its size, or 0 when a text is
// too long for its field (15 and 255 characters) or out is too small.
uint32_t encode_dialog_request(uint8_t open_mode, const char* window_text,
                               const char* initial_path, uint8_t* out, uint32_t capacity);

// Payload size of reply 12 for this result: the path's length plus 32 in
// the chosen state, 0 otherwise.
uint32_t dialog_result_size(const dialog_result& result);

// Writes reply 12 into a payload area of at least dialog_result_size bytes.
void encode_dialog_result(const dialog_result& result, uint8_t* payload);

// Reads a reply 12 payload of size bytes; false when it is too short for
// its state or its path has no NUL inside it.
bool decode_dialog_result(const uint8_t* payload, uint32_t size, dialog_result& out);
