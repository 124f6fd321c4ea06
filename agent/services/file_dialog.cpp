#include "file_dialog.h"

#include <cstring>

#include "agent/channel/channel.h"
#include "desktop_os.h"
#include "dialog_paths.h"
#include "window_locator.h"

static uint8_t dialog_state = DLG_NONE;
static uint32_t remembered_filter_index = 0;  // 0: the dialog's first pair
// Set while GetOpenFileNameA runs: its message loop keeps dispatching
// requests, and a second request 9 must not reuse the record under it.
static bool dialog_open = false;

static bool record_ready = false;
static dialog_record record;
static char initial_dir[dialog_buffer_size];
static char file_buffer[dialog_buffer_size];
static char file_title[dialog_buffer_size];
static char filter_buffer[64];

static const char filter_list[] = "All Files|*.*|Text Files|*.txt|Html Files|*.htm;*.html";
static_assert(sizeof filter_list < sizeof filter_buffer, "the list needs its closing NULs");
constexpr uint32_t dialog_flags = 0x1804;  // file and path must exist, no read-only box

static void publish_empty_reply(uint16_t code) {
  reply_begin(0, code);
  reply_publish();
}

void split_initial_path(const char* path) {
  initial_directory(path, initial_dir);
  initial_file_name(path, file_buffer);
}

static void prepare_record() {
  if (record_ready) return;
  record_ready = true;
  record = dialog_record{};
  record.file = file_buffer;
  record.file_capacity = sizeof file_buffer;
  record.file_title = file_title;
  record.file_title_capacity = sizeof file_title;
  record.initial_dir = initial_dir;
  record.filter = filter_buffer;
  initial_dir[0] = 0;
  file_title[0] = 0;
}

static void fill_filter() {
  memset(filter_buffer, 0, sizeof filter_buffer);
  memcpy(filter_buffer, filter_list, sizeof filter_list - 1);
  for (char& c : filter_buffer)
    if (c == '|') c = 0;
}

void handle_file_dialog_request(uint8_t* block, uint32_t size) {
  // A request that arrives through the open dialog's message loop would
  // rebind the record and buffers under the running dialog.
  if (dialog_open) {
    publish_empty_reply(reply_refused);
    return;
  }
  dialog_request request;
  uint32_t payload_size = size > header_size ? size - header_size : 0;
  decode_dialog_request(block + header_size, payload_size, request);

  prepare_record();
  split_initial_path(request.initial_path);
  fill_filter();
  record.title = request.open_mode ? "Open File:" : "Insert File:";
  record.flags = dialog_flags;
  record.filter_index = remembered_filter_index;
  record.owner = find_console_window(request.window_text);
  dialog_state = DLG_PENDING;
  if (!record.owner) {
    publish_empty_reply(reply_refused);
    return;
  }
  publish_empty_reply(reply_dialog_shown);  // the editor has its answer before the dialog

  dialog_open = true;
  bool chosen = desktop_open_file_dialog(record);
  dialog_open = false;
  file_buffer[sizeof file_buffer - 1] = 0;
  if (chosen) {
    dialog_state = DLG_CHOSEN;
    remembered_filter_index = record.filter_index;
  } else {
    dialog_state = DLG_NONE;
  }
}

// The result as reply 12 reports it; a chosen file whose short form cannot
// be had, or needs 128 characters or more, ends the chosen state.
static void compose_result(dialog_result& result) {
  result.dir_length = 0;
  result.chosen_path[0] = 0;
  if (dialog_state == DLG_CHOSEN) {
    char short_path[short_path_size];
    uint32_t length = desktop_short_path(file_buffer, short_path, sizeof short_path);
    int dir_length = -1;
    if (length > 0 && length < sizeof short_path) {
      short_path[length] = 0;
      dir_length = compose_chosen_path(file_buffer, short_path, result.chosen_path,
                                       sizeof result.chosen_path);
    }
    if (dir_length < 0) {
      dialog_state = DLG_NONE;
    } else {
      result.dir_length = uint8_t(dir_length);
    }
  }
  result.state = dialog_state;
}

void handle_dialog_result_request(uint8_t*, uint32_t) {
  dialog_result result;
  compose_result(result);
  uint8_t* payload = reply_begin(dialog_result_size(result), reply_dialog_result);
  if (!payload) return;
  encode_dialog_result(result, payload);
  reply_publish();
}

uint8_t file_dialog_state() { return dialog_state; }
uint32_t file_dialog_filter_index() { return remembered_filter_index; }

void file_dialog_reset() {
  dialog_state = DLG_NONE;
  remembered_filter_index = 0;
  dialog_open = false;
  record_ready = false;
  record = dialog_record{};
  initial_dir[0] = file_buffer[0] = file_title[0] = filter_buffer[0] = 0;
}
