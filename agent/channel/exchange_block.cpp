#include "exchange_block.h"

uint32_t reply_size(uint32_t payload_size, int32_t request_block_size) {
  uint32_t size = (payload_size + 57) & 0x7FE0;
  if (size <= 32) size = 64;
  if (int32_t(size) == request_block_size) size += 32;
  return size;
}

void encode_reply_header(uint8_t* block, uint16_t block_size, uint32_t sequence, uint16_t code) {
  put_u32(block + off_magic, reply_magic);
  put_u16(block + off_format, reply_format);
  put_u16(block + off_block_size, block_size);
  put_u32(block + off_sequence, sequence);
  put_u16(block + off_code, code);
}

bool request_view::text(uint32_t offset, char* out, uint32_t capacity) const {
  uint32_t n = 0;
  bool terminated = false;
  for (uint32_t at = offset; at < size; at++) {
    if (bytes[at] == 0) {
      terminated = true;
      break;
    }
    if (n + 1 < capacity) out[n++] = char(bytes[at]);
  }
  if (capacity > 0) out[n] = 0;
  return terminated;
}
