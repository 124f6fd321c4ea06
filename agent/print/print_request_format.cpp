#include "agent/print/print_request_format.h"

#include <cstring>

#include "agent/channel/exchange_block.h"

uint32_t print_request_encode(const char* printer, const char* file, const char* document,
                              uint8_t* payload, uint32_t capacity) {
  const char* names[3] = {printer, file, document};
  const uint32_t fields[3] = {print_payload_printer_offset, print_payload_file_offset,
                              print_payload_document_offset};
  uint32_t size = print_payload_strings;
  for (const char* name : names) size += uint32_t(strlen(name)) + 1;
  if (size > capacity) return 0;

  memset(payload, 0, print_payload_strings);
  uint32_t at = 0;  // from the string area
  for (int i = 0; i < 3; i++) {
    if (at > 0x7FFF) return 0;
    put_u16(payload + fields[i], uint16_t(at));
    uint32_t length = uint32_t(strlen(names[i])) + 1;
    memcpy(payload + print_payload_strings + at, names[i], length);
    at += length;
  }
  return size;
}

bool printer_list_decode(const uint8_t* payload, uint32_t size, printer_list_reply& reply) {
  if (size < 4) return false;
  reply.printer_count = get_u16(payload);
  reply.default_printer = get_s16(payload + 2);
  if (reply.printer_count > max_listed_printers) return false;
  uint32_t at = 4;
  for (uint32_t i = 0; i < reply.printer_count; i++) {
    if (at >= size) return false;
    const void* nul = memchr(payload + at, 0, size - at);
    if (!nul) return false;
    reply.names[i] = reinterpret_cast<const char*>(payload + at);
    at = uint32_t(static_cast<const uint8_t*>(nul) - payload) + 1;
  }
  return true;
}
