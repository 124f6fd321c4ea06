#include "dialog_format.h"

#include <cstring>

void decode_dialog_request(const uint8_t* payload, uint32_t size, dialog_request& out) {
  request_view view{payload, size};
  out.open_mode = view.u8(dlg_off_open_mode);
  // At most 15 characters of the text are taken, so one that fills its 16
  // bytes without a NUL stops there.
  view.text(dlg_off_window_text, out.window_text, sizeof out.window_text);
  view.text(dlg_off_initial_path, out.initial_path, sizeof out.initial_path);
}

uint32_t encode_dialog_request(uint8_t open_mode, const char* window_text,
                               const char* initial_path, uint8_t* out, uint32_t capacity) {
  size_t text_length = strlen(window_text);
  size_t path_length = strlen(initial_path);
  if (text_length >= window_text_size || path_length >= initial_path_size) return 0;
  uint32_t size = dlg_off_initial_path + uint32_t(path_length) + 1;
  if (capacity < size) return 0;
  memset(out, 0, dlg_off_initial_path);
  out[dlg_off_open_mode] = open_mode;
  memcpy(out + dlg_off_window_text, window_text, text_length);
  memcpy(out + dlg_off_initial_path, initial_path, path_length + 1);
  return size;
}

uint32_t dialog_result_size(const dialog_result& result) {
  if (result.state != DLG_CHOSEN) return 0;
  return uint32_t(strnlen(result.chosen_path, sizeof result.chosen_path - 1)) + result_extra_size;
}

void encode_dialog_result(const dialog_result& result, uint8_t* payload) {
  payload[result_off_state] = result.state;
  if (result.state != DLG_CHOSEN) return;
  size_t length = strnlen(result.chosen_path, sizeof result.chosen_path - 1);
  payload[result_off_dir_length] = result.dir_length;
  memcpy(payload + result_off_chosen_path, result.chosen_path, length);
  payload[result_off_chosen_path + length] = 0;
}

bool decode_dialog_result(const uint8_t* payload, uint32_t size, dialog_result& out) {
  request_view view{payload, size};
  out.state = view.u8(result_off_state);
  out.dir_length = 0;
  out.chosen_path[0] = 0;
  if (size < 1) return false;
  if (out.state != DLG_CHOSEN) return true;
  out.dir_length = view.u8(result_off_dir_length);
  const char* path = view.terminated_text(result_off_chosen_path);
  if (!path || strlen(path) >= sizeof out.chosen_path) return false;
  memcpy(out.chosen_path, path, strlen(path) + 1);
  return true;
}
