// The editor's side of the print payloads, for tools that play the editor:
// building the payload of a print request (code 5) and reading the payload
// of a printer list reply (code 2).
#pragma once
#include <cstdint>

// Payload offsets of a print request: the three signed name offsets and the
// string area they count from.
constexpr uint32_t print_payload_printer_offset = 22;
constexpr uint32_t print_payload_file_offset = 24;
constexpr uint32_t print_payload_document_offset = 26;
constexpr uint32_t print_payload_strings = 28;

// Writes the payload of a print request naming printer, file and document
// (in that order in the string area; the job values are 0). Returns the
// payload's size, or 0 when it doesn't fit capacity or an offset would
// exceed 16 bits.
uint32_t print_request_encode(const char* printer, const char* file, const char* document,
                              uint8_t* payload, uint32_t capacity);

constexpr uint32_t max_listed_printers = 128;

struct printer_list_reply {
  uint16_t printer_count;
  int16_t default_printer;  // -1: none
  const char* names[max_listed_printers];  // into the decoded payload
};

// Reads a printer list payload of size bytes. False when it is shorter than
// its header, a name runs past its end, or it lists more names than fit.
bool printer_list_decode(const uint8_t* payload, uint32_t size, printer_list_reply& reply);
