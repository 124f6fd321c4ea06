#include "tools/orvprobe/probe_block.h"

#include <algorithm>

#include "agent/channel/exchange_block.h"
#include "agent/print/print_request_format.h"
#include "agent/services/dialog_format.h"
#include "tools/orvprobe/probe_args.h"
#include "tools/orvprobe/probe_json.h"

std::vector<uint8_t> build_request(const request_spec& spec) {
  uint32_t extent = header_size;
  for (auto& [offset, bytes] : spec.payload)
    extent = std::max<uint32_t>(extent, header_size + offset + uint32_t(bytes.size()));
  uint32_t size = spec.object_size ? spec.object_size : std::max<uint32_t>(extent, 64);
  std::vector<uint8_t> block(std::max(size, extent), 0);
  put_u32(&block[off_magic], spec.magic);
  put_u16(&block[off_block_size], uint16_t(spec.block_size));
  put_u32(&block[off_sequence], spec.sequence);
  put_u16(&block[off_code], uint16_t(spec.code));
  for (auto& [offset, bytes] : spec.payload)
    std::copy(bytes.begin(), bytes.end(), block.begin() + header_size + offset);
  block.resize(size);  // a cut object may end inside the header
  return block;
}

static std::string decode_string_reply(const uint8_t* payload, uint32_t size) {
  std::string text;
  for (uint32_t i = 0; i < size && payload[i]; i++) text += char(payload[i]);
  return json_object().field("path", text).text();
}

static std::string decode_printers(const uint8_t* payload, uint32_t size) {
  printer_list_reply list;
  if (!printer_list_decode(payload, size, list)) return json_object().field("error", "malformed").text();
  std::string names = "[";
  for (unsigned i = 0; i < list.printer_count && i < max_listed_printers; i++) {
    if (i) names += ",";
    names += json_string(list.names[i]);
  }
  return json_object()
      .field("printer_count", int64_t(list.printer_count))
      .field("default_printer", int64_t(list.default_printer))
      .raw("names", names + "]")
      .text();
}

static std::string decode_dialog(const uint8_t* payload, uint32_t size) {
  dialog_result result;
  if (!decode_dialog_result(payload, size, result)) return json_object().field("error", "malformed").text();
  json_object out;
  out.field("dialog_state", int64_t(result.state));
  if (result.state == DLG_CHOSEN)
    out.field("dir_length", int64_t(result.dir_length)).field("chosen_path", result.chosen_path);
  return out.text();
}

std::string decode_reply_payload(uint16_t code, const uint8_t* payload, uint32_t size) {
  switch (code) {
    case reply_printer_list:
      return decode_printers(payload, size);
    case reply_dialog_result:
      return decode_dialog(payload, size);
    case reply_spool_name:
      return decode_string_reply(payload, size);
    default:
      return "";
  }
}

std::string describe_reply(const std::vector<uint8_t>& block) {
  json_object out;
  uint32_t size = uint32_t(block.size());
  out.field("size", int64_t(size));
  if (size < header_size) return out.field("header_hex", to_hex(block.data(), size)).text();
  const uint8_t* b = block.data();
  char magic[12];
  snprintf(magic, sizeof magic, "0x%08x", get_u32(b + off_magic));
  uint16_t code = get_u16(b + off_code);
  out.field("magic", magic)
      .field("format", int64_t(get_u16(b + off_format)))
      .field("block_size", int64_t(get_u16(b + off_block_size)))
      .field("sequence", int64_t(get_u32(b + off_sequence)))
      .field("code", int64_t(code))
      .field("header_hex", to_hex(b, 14))
      .field("payload_hex", to_hex(b + header_size, size - header_size));
  std::string decoded = decode_reply_payload(code, b + header_size, size - header_size);
  if (!decoded.empty()) out.raw("decoded", decoded);
  return out.text();
}
