// The file calls that copy_file needs; file_io_win32.cpp implements them
// with CreateFileA and friends, unit tests with files in memory.
#pragma once
#include <cstdint>

using file_handle = void*;  // null: not open

// Shared for reading and writing, the file must exist.
file_handle file_open_read(const char* path);
// Not shared; an existing file is truncated.
file_handle file_create(const char* path);
// Moves to the end to learn the length, then back to the beginning.
bool file_length(file_handle file, uint32_t* length);
bool file_read(file_handle file, void* buffer, uint32_t size, uint32_t* done);
bool file_write(file_handle file, const void* buffer, uint32_t size, uint32_t* done);
void file_close(file_handle file);
void file_delete(const char* path);
