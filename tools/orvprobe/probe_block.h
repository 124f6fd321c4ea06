// Request blocks as orvprobe writes them, and replies as it reports them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct request_spec {
  uint32_t magic = 0x88776655;
  int16_t code = 7;
  uint32_t sequence = 1;
  int16_t block_size = 0;
  uint32_t object_size = 0;   // 0: header and payload, at least 64 bytes
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> payload;  // bytes at payload offsets
};

std::vector<uint8_t> build_request(const request_spec& spec);

// One JSON object describing a reply block: header fields, size, payload in
// hex and, for the codes orvprobe knows, the payload decoded.
std::string describe_reply(const std::vector<uint8_t>& block);

// The decoded payload of a known reply code as JSON, or "" when unknown.
std::string decode_reply_payload(uint16_t code, const uint8_t* payload, uint32_t payload_size);
