// Print jobs (request code 5): accepted or refused at once, printed later
// when the agent's own WM_AGENT_PRINT comes up.
#pragma once
#include <cstdint>

// Where a print request keeps its three name offsets (signed, counted from
// the string area) and where that area begins, as block offsets.
constexpr uint32_t off_printer_name = 48;
constexpr uint32_t off_file_name = 50;
constexpr uint32_t off_document_name = 52;
constexpr uint32_t off_string_area = 54;

struct print_names {
  const char* printer;
  const char* file;
  const char* document;
};

// The three names in place, each beginning in the payload and ending with
// a NUL inside the block's size bytes; false when any of them does not.
bool print_request_names(const uint8_t* block, uint32_t size, print_names& names);

// True for the names the spool naming hands out: "orv" and one or more
// decimal digits, no extension, after the last backslash, slash or colon.
bool is_spool_file_name(const char* path);

// Service of code 5. Takes ownership of the copy in every outcome. Refused
// while 16 accepted jobs wait to be completed.
void print_request(uint8_t* block, uint32_t size);
// WM_AGENT_PRINT: prints the job held in the copy, then releases it all and
// deletes the spool file, which stays when the job could not print. One job
// prints at a time: one that comes while another prints (inside a message
// loop that StartDoc runs) prints after it, in order. An address that is no
// job posted by print_request, and not yet completed, is ignored.
void print_complete(uint8_t* block);

// For tests: no job open or waiting.
void print_jobs_reset();
