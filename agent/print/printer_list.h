// The printer list (request code 1, reply code 2): the names of the local
// printers and which of them is the default.
#pragma once
#include <cstdint>

// Reply payload: count (u16), default index (s16, -1 none), then the names
// packed with their NULs from offset 4. At least 100 bytes; the names listed
// are those that fit, in order, within 256.
constexpr uint32_t printer_list_names_offset = 4;
constexpr uint32_t printer_list_min_payload = 100;
constexpr uint32_t printer_list_max_payload = 256;

struct printer_listing {
  uint16_t count;           // names listed
  int16_t default_printer;  // index among them, or -1
  uint32_t names_size;      // bytes of the packed names
  char names[printer_list_max_payload - printer_list_names_offset];
};

// Enumerates the printers into a listing.
void printer_list_collect(printer_listing& listing);
// The reply payload's size for a listing, and the payload itself (payload
// has room for that size).
uint32_t printer_list_payload_size(const printer_listing& listing);
void printer_list_encode(const printer_listing& listing, uint8_t* payload);

// Service of code 1.
void printer_list(uint8_t* block, uint32_t size);
