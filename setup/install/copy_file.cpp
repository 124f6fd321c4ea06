#include "setup/install/copy_file.h"

#include <cstdint>

#include "setup/install/file_io.h"

namespace {

uint8_t copy_buffer[copy_chunk_size];

}  // namespace

int copy_file(const char* source, const char* destination) {
  file_handle in = file_open_read(source);
  if (!in) return 0;
  file_handle out = file_create(destination);
  if (!out) {
    file_close(in);
    return 0;
  }

  uint32_t remaining = 0;
  bool whole = file_length(in, &remaining);
  while (whole && remaining > 0) {
    uint32_t chunk = remaining < copy_chunk_size ? remaining : copy_chunk_size;
    remaining -= chunk;
    uint32_t done = 0;
    // Only bytes that were really read are written.
    whole = file_read(in, copy_buffer, chunk, &done) && done == chunk;
    if (whole) whole = file_write(out, copy_buffer, chunk, &done) && done == chunk;
  }

  file_close(out);
  file_close(in);
  if (!whole) {
    file_delete(destination);
    return 0;
  }
  return 1;
}
