#include "tools/orvprobe/probe_block.h"

#include <cstring>

#include "agent/print/print_request_format.h"
#include "agent/services/dialog_format.h"
#include "tools/orvprobe/json_out.h"

namespace {

// Copies the part of bytes that falls inside the block.
void put_inside(uint8_t* block, uint32_t size, uint32_t offset, const void* bytes, uint32_t length) {
  if (offset >= size) return;
  memcpy(block + offset, bytes, length < size - offset ? length : size - offset);
}

void describe_printers(json_out& out, const uint8_t* payload, uint32_t size) {
  static printer_list_reply list;  // 128 name pointers: kept off the stack
  json_open(out, "decoded");
  if (!printer_list_decode(payload, size, list)) {
    json_text(out, "error", "malformed");
  } else {
    json_uint(out, "printer_count", list.printer_count);
    json_int(out, "default_printer", list.default_printer);
    json_open_list(out, "names");
    for (unsigned i = 0; i < list.printer_count && i < max_listed_printers; i++)
      json_text(out, nullptr, list.names[i]);
    json_close_list(out);
  }
  json_close(out);
}

void describe_dialog(json_out& out, const uint8_t* payload, uint32_t size) {
  static dialog_result result;
  json_open(out, "decoded");
  if (!decode_dialog_result(payload, size, result)) {
    json_text(out, "error", "malformed");
  } else {
    json_uint(out, "dialog_state", result.state);
    if (result.state == DLG_CHOSEN) {
      json_uint(out, "dir_length", result.dir_length);
      json_text(out, "chosen_path", result.chosen_path);
    }
  }
  json_close(out);
}

void describe_path(json_out& out, const uint8_t* payload, uint32_t size) {
  uint32_t length = 0;
  while (length < size && payload[length]) ++length;
  json_open(out, "decoded");
  json_text(out, "path", reinterpret_cast<const char*>(payload), length);
  json_close(out);
}

}  // namespace

uint32_t request_object_size(const request_spec& spec) {
  if (spec.object_size) return spec.object_size;
  uint32_t extent = 64;
  for (int i = 0; i < spec.piece_count; ++i) {
    uint32_t end = header_size + spec.pieces[i].offset + spec.pieces[i].length;
    if (end > extent) extent = end;
  }
  return extent;
}

void build_request(const request_spec& spec, uint8_t* block, uint32_t size) {
  memset(block, 0, size);
  uint8_t header[header_size] = {};
  put_u32(header + off_magic, spec.magic);
  put_u16(header + off_block_size, uint16_t(spec.block_size));
  put_u32(header + off_sequence, spec.sequence);
  put_u16(header + off_code, uint16_t(spec.code));
  put_inside(block, size, 0, header, header_size);
  for (int i = 0; i < spec.piece_count; ++i) {
    const payload_piece& piece = spec.pieces[i];
    put_inside(block, size, header_size + piece.offset, piece.bytes, piece.length);
  }
}

void describe_reply(json_out& out, const char* name, const uint8_t* block, uint32_t size) {
  json_open(out, name);
  json_uint(out, "size", size);
  if (size < header_size) {
    json_hex(out, "header_hex", block, size);
    json_close(out);
    return;
  }
  static const char digits[] = "0123456789abcdef";
  char magic[11] = "0x";
  for (int i = 0; i < 8; ++i) magic[2 + i] = digits[(get_u32(block + off_magic) >> (28 - 4 * i)) & 15];
  magic[10] = '\0';
  uint16_t code = get_u16(block + off_code);
  json_text(out, "magic", magic);
  json_uint(out, "format", get_u16(block + off_format));
  json_uint(out, "block_size", get_u16(block + off_block_size));
  json_uint(out, "sequence", get_u32(block + off_sequence));
  json_uint(out, "code", code);
  json_hex(out, "header_hex", block, 14);
  const uint8_t* payload = block + header_size;
  uint32_t payload_size = size - header_size;
  json_hex(out, "payload_hex", payload, payload_size);
  if (code == reply_printer_list) describe_printers(out, payload, payload_size);
  else if (code == reply_dialog_result) describe_dialog(out, payload, payload_size);
  else if (code == reply_spool_name) describe_path(out, payload, payload_size);
  json_close(out);
}
