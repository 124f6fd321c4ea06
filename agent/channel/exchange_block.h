// Exchange blocks: the records that pass through the clipboard between the
// console editor and the agent. A 26-byte header, then the payload; all
// integers little-endian with no gaps.
#pragma once
#include <cstdint>
#include <cstring>

constexpr uint32_t request_magic = 0x88776655;
constexpr uint32_t reply_magic = 0x88776644;
constexpr uint16_t reply_format = 0x0140;
constexpr unsigned exchange_format = 10;  // CF_PENDATA

constexpr uint32_t off_magic = 0;
constexpr uint32_t off_format = 4;
constexpr uint32_t off_block_size = 6;
constexpr uint32_t off_sequence = 8;
constexpr uint32_t off_code = 12;
constexpr uint32_t off_agent_scratch = 14;
constexpr uint32_t header_size = 26;

// A clipboard object is looked at only when it is larger than this.
constexpr uint32_t smallest_ignored_size = 32;
// Largest payload the reply size rule handles; above it the rule loses a bit.
constexpr uint32_t max_reply_payload = 32710;

enum request_code : int16_t {
  code_printer_list = 1,
  code_spool_name = 3,
  code_print = 5,
  code_presence = 7,
  code_file_dialog = 9,
  code_dialog_result = 11,
  code_help = 13,
};

enum reply_code : uint16_t {
  reply_printer_list = 2,
  reply_spool_name = 4,
  reply_print_accepted = 6,
  reply_presence = 8,
  reply_dialog_shown = 10,
  reply_dialog_result = 12,
  reply_help = 14,
  reply_refused = 99,
};

inline uint16_t get_u16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline int16_t get_s16(const uint8_t* p) { return int16_t(get_u16(p)); }
inline uint32_t get_u32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void put_u16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void put_u32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = uint8_t(v >> (8 * i));
}

// Size of a reply block for a payload of n bytes, given the block_size of the
// request it answers (read as signed 16 bits): 26 + n rounded up to 32, at
// least 64, and never equal to the request's block_size.
uint32_t reply_size(uint32_t payload_size, int32_t request_block_size);

// Writes the defined header fields of a reply; agent_scratch is left alone.
void encode_reply_header(uint8_t* block, uint16_t block_size, uint32_t sequence, uint16_t code);

// A request as a service sees it: the private copy and its size. Every read
// is bounded by the size; a field beyond the end reads as zero, a string
// beyond the end as empty.
struct request_view {
  const uint8_t* bytes;
  uint32_t size;

  uint8_t u8(uint32_t offset) const { return offset < size ? bytes[offset] : 0; }
  uint16_t u16(uint32_t offset) const { return fits(offset, 2) ? get_u16(bytes + offset) : 0; }
  int16_t s16(uint32_t offset) const { return int16_t(u16(offset)); }
  uint32_t u32(uint32_t offset) const { return fits(offset, 4) ? get_u32(bytes + offset) : 0; }
  bool fits(uint32_t offset, uint32_t width) const { return offset <= size && width <= size - offset; }

  // Copies the NUL-terminated text at offset into out (capacity bytes, at
  // most capacity - 1 characters kept). Returns false when the text has no
  // NUL before the end of the block; what was found up to there is still
  // copied. An offset beyond the block gives an empty text.
  bool text(uint32_t offset, char* out, uint32_t capacity) const;

  // The text at offset in place, or null when it does not begin inside the
  // block or has no NUL before the block's end.
  const char* terminated_text(uint32_t offset) const {
    if (offset >= size || !memchr(bytes + offset, 0, size - offset)) return nullptr;
    return reinterpret_cast<const char*>(bytes + offset);
  }
};
