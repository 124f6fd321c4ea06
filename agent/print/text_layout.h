// Prints a plain text file as one document: chunked reading, source lines,
// word wrap to the printable width and lazy page breaks.
#pragma once
#include <cstdint>

#include "agent/channel/channel_os.h"

constexpr uint32_t print_buffer_size = 17408;  // tail + one chunk + sentinel
constexpr uint32_t print_chunk_size = 16384;
constexpr int32_t max_line_chars = 400;

constexpr int32_t left_margin = 100;
constexpr int32_t right_margin = 10;
constexpr int32_t top_margin = 0;
constexpr int32_t bottom_margin = 0;

constexpr const char* print_data_type = "Text";

// Prints the file from its current position on dc under document_name.
// False when nothing was printed: no memory for the reading buffer, or the
// printer took no document. Failures after the document has begun are not
// detected. Neither closes the file nor deletes the device context.
bool print_text(os_handle file, os_handle dc, const char* document_name);
