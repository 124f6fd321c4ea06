// The file-open dialog's request and path rules. Input: payload length (u16), an output capacity
// (1 byte), the request 9 payload, then NUL-separated the Windows directory, the dialog's full
// path and its short form.
#include <cstring>
#include <string>
#include <vector>

#include "agent/services/dialog_format.h"
#include "agent/services/dialog_paths.h"
#include "fake_desktop.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  std::vector<uint8_t> payload(data + 3, data + 3 + std::min<size_t>(get_u16(data), size - 3));
  std::string piece[3];  // Windows directory, full path, short path
  size_t i = 0;
  for (size_t at = 3 + payload.size(); at < size && i < 3; at++) {
    if (data[at]) piece[i] += char(data[at]); else i++;
  }
  dialog_result decoded;  // also the editor's reading of the same bytes
  decode_dialog_result(payload.data(), uint32_t(payload.size()), decoded);
  dialog_request request, again;  // and a request back through the editor's encoding
  decode_dialog_request(payload.data(), uint32_t(payload.size()), request);
  uint8_t encoded[dlg_off_initial_path + initial_path_size];
  uint32_t n = encode_dialog_request(request.open_mode, request.window_text,
                                     request.initial_path, encoded, sizeof encoded);
  decode_dialog_request(encoded, n, again);
  check(n > 0 && !strcmp(again.window_text, request.window_text));
  check(!strcmp(again.initial_path, request.initial_path));

  fake_desk.windows_dir = piece[0];
  const char* full = piece[1].c_str();
  char out[dialog_buffer_size];
  initial_directory(full, out);
  initial_file_name(full, out);
  check(!strncmp(out, file_name_part(full), strlen(out)));
  std::vector<char> chosen(data[2]);  // exactly the capacity, so a write past it is caught
  int dir = compose_chosen_path(full, piece[2].c_str(), chosen.data(), uint32_t(chosen.size()));
  if (dir < 0) return 0;
  std::string path(chosen.data()), name(file_name_part(full));
  check(!path.compare(0, size_t(dir), piece[2], 0, size_t(dir)) && path.ends_with(name));
  dialog_result result = {DLG_CHOSEN, uint8_t(dir), {}};
  memcpy(result.chosen_path, path.c_str(), path.size() + 1);  // under 255 characters
  std::vector<uint8_t> reply(dialog_result_size(result));
  encode_dialog_result(result, reply.data());
  check(decode_dialog_result(reply.data(), uint32_t(reply.size()), decoded));
  check(decoded.dir_length == dir && path == decoded.chosen_path);
  return 0;
}
