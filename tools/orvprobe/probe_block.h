// Request blocks as orvprobe writes them, and replies as it reports them.
#pragma once
#include <cstdint>

#include "agent/channel/exchange_block.h"

struct json_out;

struct payload_piece {
  uint32_t offset;  // from the start of the payload
  const uint8_t* bytes;
  uint32_t length;
};
constexpr int max_payload_pieces = 16;

struct request_spec {
  uint32_t magic = request_magic;
  int16_t code = code_presence;
  uint32_t sequence = 1;
  int16_t block_size = 0;
  uint32_t object_size = 0;  // 0: header and payload, at least 64 bytes
  payload_piece pieces[max_payload_pieces];
  int piece_count = 0;
};

// The clipboard object's size for the request.
uint32_t request_object_size(const request_spec& spec);

// Writes the request into block (request_object_size bytes): the header, the
// pieces at their offsets, zeros elsewhere; what lies past the object's end
// is left out, so an object may end inside its header.
void build_request(const request_spec& spec, uint8_t* block, uint32_t size);

// A reply block as one JSON object: header fields, size, payload in hex and,
// for the codes orvprobe knows, the payload decoded.
void describe_reply(json_out& out, const char* name, const uint8_t* block, uint32_t size);
