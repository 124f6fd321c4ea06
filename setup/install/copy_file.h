// Copies a file byte for byte through one program-wide 16 KiB buffer.
// Returns 1 when the whole file was copied. On any failed or short read or
// write the partial destination is removed and 0 returned, so that a
// truncated agent is never started; a source that cannot be opened leaves
// the destination untouched.
#pragma once

constexpr unsigned copy_chunk_size = 0x4000;

int copy_file(const char* source, const char* destination);
